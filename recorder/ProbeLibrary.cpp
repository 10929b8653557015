#include "recorder/ProbeLibrary.h"

#include "recorder/ModalMessage.h"
#include "recorder/ProbeLibraryPath.h"

#include <QCoreApplication>
#include <QSettings>

namespace kavrin {

namespace {

const QString ErrorTitle = QStringLiteral("Vantar ARM Error");
// The probe software keeps its folder in a value of at most 260 bytes with its NUL.
constexpr qsizetype PathLimit = 259;

void warn(const QString& title, const QString& text) {
    showModalMessage(QMessageBox::Warning, title, text);
}

} // namespace

ProbeLibrary::ProbeLibrary()
    : ProbeLibrary(QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                : QString(),
                   installPathSetting, warn) {}

ProbeLibrary::ProbeLibrary(QString executablePath, InstallPath installPath, Notify notify)
    : executablePath_(std::move(executablePath)), installPath_(std::move(installPath)),
      notify_(std::move(notify)) {}

std::optional<QString> ProbeLibrary::installPathSetting() {
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Norvan"),
                             QStringLiteral("Vantar"));
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    return settings.value(QStringLiteral("InstallPath")).toString();
}

bool ProbeLibrary::load() {
    if (library_.isLoaded())
        return true;
    QString path = probeLibraryBeside(executablePath_);
    library_.setFileName(path);
    if (library_.load())
        return true;
    // Unreadable settings leave the path tried beside the program in the message.
    if (const std::optional<QString> installPath = installPath_()) {
        path = installPath->left(PathLimit);
        if (!path.isEmpty()) {
            path = probeLibraryBeside(path);
            library_.setFileName(path);
            if (library_.load())
                return true;
        }
    }
    // Last, where an installation puts it; the message keeps naming the places above.
    library_.setFileName(installedProbeLibrary(executablePath_));
    if (library_.load())
        return true;
    notify_(ErrorTitle, QStringLiteral("Target DLL ") + path + QStringLiteral(" not found !"));
    return false;
}

template <class Function> bool ProbeLibrary::bind(Function*& slot, const char* name) {
    if (slot)
        return true;
    if (!load())
        return false;
    slot = reinterpret_cast<Function*>(library_.resolve(name));
    if (!slot) {
        notify_(ErrorTitle, QStringLiteral("DLL function ") + QLatin1String(name) +
                                QStringLiteral("(...) not found !"));
        return false;
    }
    return true;
}

const char* ProbeLibrary::VANTARARM_OpenEx(VANTARARM_LogFunc log, VANTARARM_LogFunc error) {
    return bind(slots_.openEx, "VANTARARM_OpenEx") ? slots_.openEx(log, error) : nullptr;
}

void ProbeLibrary::VANTARARM_Close() {
    if (bind(slots_.close, "VANTARARM_Close"))
        slots_.close();
}

int ProbeLibrary::VANTARARM_ExecCommand(const char* command, char* error, int errorSize) {
    return bind(slots_.execCommand, "VANTARARM_ExecCommand")
               ? slots_.execCommand(command, error, errorSize)
               : 0;
}

unsigned char ProbeLibrary::VANTARARM_SelectIP(const char* host, int port) {
    return bind(slots_.selectIp, "VANTARARM_SelectIP") ? slots_.selectIp(host, port) : 0;
}

int ProbeLibrary::VANTARARM_EMU_SelectByUSBSN(uint32_t serialNumber) {
    return bind(slots_.selectByUsbSerial, "VANTARARM_EMU_SelectByUSBSN")
               ? slots_.selectByUsbSerial(serialNumber)
               : 0;
}

void ProbeLibrary::VANTARARM_TIF_Select(int interfaceType) {
    if (bind(slots_.selectInterface, "VANTARARM_TIF_Select"))
        slots_.selectInterface(interfaceType);
}

void ProbeLibrary::VANTARARM_SetSpeed(uint32_t kHz) {
    if (bind(slots_.setSpeed, "VANTARARM_SetSpeed"))
        slots_.setSpeed(kHz);
}

int ProbeLibrary::VANTARARM_Connect() {
    return bind(slots_.connect, "VANTARARM_Connect") ? slots_.connect() : 0;
}

int ProbeLibrary::VANTARARM_EMU_GetNumConnections() {
    return bind(slots_.connections, "VANTARARM_EMU_GetNumConnections") ? slots_.connections() : 0;
}

unsigned char ProbeLibrary::VANTARARM_IsHalted() {
    return bind(slots_.isHalted, "VANTARARM_IsHalted") ? slots_.isHalted() : 0;
}

void ProbeLibrary::VANTARARM_Go() {
    if (bind(slots_.go, "VANTARARM_Go"))
        slots_.go();
}

void ProbeLibrary::VANTARARM_Halt() {
    if (bind(slots_.halt, "VANTARARM_Halt"))
        slots_.halt();
}

int ProbeLibrary::VANTARARM_ReadMemEx(uint32_t address, uint32_t count, void* data,
                                      uint32_t flags) {
    return bind(slots_.readMemEx, "VANTARARM_ReadMemEx")
               ? slots_.readMemEx(address, count, data, flags)
               : 0;
}

int ProbeLibrary::VANTARARM_ReadMem(uint32_t address, uint32_t count, void* data) {
    return bind(slots_.readMem, "VANTARARM_ReadMem") ? slots_.readMem(address, count, data) : 0;
}

int ProbeLibrary::VANTARARM_DEVICE_GetIndex(const char* deviceName) {
    return bind(slots_.deviceIndex, "VANTARARM_DEVICE_GetIndex") ? slots_.deviceIndex(deviceName)
                                                                 : 0;
}

int ProbeLibrary::VANTARARM_DEVICE_GetInfo(int deviceIndex, void* info) {
    return bind(slots_.deviceInfo, "VANTARARM_DEVICE_GetInfo")
               ? slots_.deviceInfo(deviceIndex, info)
               : 0;
}

int ProbeLibrary::VANTAR_ZTXTERMINAL_Control(uint32_t command, void* parameter) {
    return bind(slots_.terminalControl, "VANTAR_ZTXTERMINAL_Control")
               ? slots_.terminalControl(command, parameter)
               : 0;
}

int ProbeLibrary::VANTAR_ZTXTERMINAL_Read(uint32_t channel, char* buffer, uint32_t size) {
    return bind(slots_.terminalRead, "VANTAR_ZTXTERMINAL_Read")
               ? slots_.terminalRead(channel, buffer, size)
               : 0;
}

int ProbeLibrary::VANTAR_ZTXTERMINAL_Write(uint32_t channel, const char* data, uint32_t count) {
    return bind(slots_.terminalWrite, "VANTAR_ZTXTERMINAL_Write")
               ? slots_.terminalWrite(channel, data, count)
               : 0;
}

void* ProbeLibrary::VANTAR_GetpFunc(int index) {
    return bind(slots_.getFunction, "VANTAR_GetpFunc") ? slots_.getFunction(index) : nullptr;
}

} // namespace kavrin
