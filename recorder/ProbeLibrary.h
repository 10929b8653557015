#pragma once

#include "target/VantarArm.h"

#include <QLibrary>
#include <QString>

#include <functional>
#include <optional>

namespace kavrin {

// The binding to the probe library libVantarARM.so. The library is looked for beside the
// executable, then in the folder named by the probe software's "InstallPath" setting; it is
// loaded on the first call and never unloaded. Each function is bound by name on its first
// call. A missing library or function is reported to the user on every call and the call
// yields 0 (or does nothing).
class ProbeLibrary {
public:
    using Notify = std::function<void(const QString& title, const QString& text)>;
    // The "InstallPath" value; none when the settings cannot be read at all.
    using InstallPath = std::function<std::optional<QString>()>;

    // The running program's path, the settings value, and message boxes.
    ProbeLibrary();
    ProbeLibrary(QString executablePath, InstallPath installPath, Notify notify);
    ProbeLibrary(const ProbeLibrary&) = delete;
    ProbeLibrary& operator=(const ProbeLibrary&) = delete;

    // "InstallPath" from the Norvan/Vantar settings of the user.
    static std::optional<QString> installPathSetting();

    bool loaded() const { return library_.isLoaded(); }
    QString fileName() const { return library_.fileName(); }

    const char* VANTARARM_OpenEx(VANTARARM_LogFunc log, VANTARARM_LogFunc error);
    void VANTARARM_Close();
    int VANTARARM_ExecCommand(const char* command, char* error, int errorSize);
    unsigned char VANTARARM_SelectIP(const char* host, int port);
    int VANTARARM_EMU_SelectByUSBSN(uint32_t serialNumber);
    void VANTARARM_TIF_Select(int interfaceType);
    void VANTARARM_SetSpeed(uint32_t kHz);
    int VANTARARM_Connect();
    int VANTARARM_EMU_GetNumConnections();
    unsigned char VANTARARM_IsHalted();
    void VANTARARM_Go();
    void VANTARARM_Halt();
    int VANTARARM_ReadMemEx(uint32_t address, uint32_t count, void* data, uint32_t flags);
    int VANTARARM_ReadMem(uint32_t address, uint32_t count, void* data);
    int VANTARARM_DEVICE_GetIndex(const char* deviceName);
    int VANTARARM_DEVICE_GetInfo(int deviceIndex, void* info);
    int VANTAR_ZTXTERMINAL_Control(uint32_t command, void* parameter);
    int VANTAR_ZTXTERMINAL_Read(uint32_t channel, char* buffer, uint32_t size);
    int VANTAR_ZTXTERMINAL_Write(uint32_t channel, const char* data, uint32_t count);
    void* VANTAR_GetpFunc(int index);

private:
    bool load();
    // Fills `slot` with the library's function `name` unless it holds one already.
    template <class Function> bool bind(Function*& slot, const char* name);

    QString executablePath_;
    InstallPath installPath_;
    Notify notify_;
    QLibrary library_;

    struct Slots {
        decltype(&::VANTARARM_OpenEx) openEx = nullptr;
        decltype(&::VANTARARM_Close) close = nullptr;
        decltype(&::VANTARARM_ExecCommand) execCommand = nullptr;
        decltype(&::VANTARARM_SelectIP) selectIp = nullptr;
        decltype(&::VANTARARM_EMU_SelectByUSBSN) selectByUsbSerial = nullptr;
        decltype(&::VANTARARM_TIF_Select) selectInterface = nullptr;
        decltype(&::VANTARARM_SetSpeed) setSpeed = nullptr;
        decltype(&::VANTARARM_Connect) connect = nullptr;
        decltype(&::VANTARARM_EMU_GetNumConnections) connections = nullptr;
        decltype(&::VANTARARM_IsHalted) isHalted = nullptr;
        decltype(&::VANTARARM_Go) go = nullptr;
        decltype(&::VANTARARM_Halt) halt = nullptr;
        decltype(&::VANTARARM_ReadMemEx) readMemEx = nullptr;
        decltype(&::VANTARARM_ReadMem) readMem = nullptr;
        decltype(&::VANTARARM_DEVICE_GetIndex) deviceIndex = nullptr;
        decltype(&::VANTARARM_DEVICE_GetInfo) deviceInfo = nullptr;
        decltype(&::VANTAR_ZTXTERMINAL_Control) terminalControl = nullptr;
        decltype(&::VANTAR_ZTXTERMINAL_Read) terminalRead = nullptr;
        decltype(&::VANTAR_ZTXTERMINAL_Write) terminalWrite = nullptr;
        decltype(&::VANTAR_GetpFunc) getFunction = nullptr;
    } slots_;
};

} // namespace kavrin
