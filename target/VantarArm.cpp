// The exported functions of libVantarARM.so: each forwards to the library's one probe session.

#include "target/VantarArm.h"

#include "target/ProbeSession.h"

#define VANTAR_EXPORT __attribute__((visibility("default")))

namespace {

kavrin::ProbeSession& session() {
    static kavrin::ProbeSession instance;
    return instance;
}

int deviceList(int, char* buffer, int size) {
    return session().deviceList(buffer, size);
}

} // namespace

extern "C" {

VANTAR_EXPORT const char* VANTARARM_OpenEx(VANTARARM_LogFunc, VANTARARM_LogFunc error) {
    const char* failure = session().open();
    if (failure && error)
        error(failure);
    return failure;
}

VANTAR_EXPORT void VANTARARM_Close(void) {
    session().close();
}

VANTAR_EXPORT int VANTARARM_ExecCommand(const char* command, char* error, int errorSize) {
    return session().execCommand(command, error, errorSize);
}

VANTAR_EXPORT unsigned char VANTARARM_SelectIP(const char* host, int port) {
    return session().selectIp(host, port);
}

VANTAR_EXPORT int VANTARARM_EMU_SelectByUSBSN(uint32_t serialNumber) {
    return session().selectByUsbSerial(serialNumber);
}

VANTAR_EXPORT void VANTARARM_TIF_Select(int interfaceType) {
    session().selectInterface(interfaceType);
}

VANTAR_EXPORT void VANTARARM_SetSpeed(uint32_t kHz) {
    session().setSpeed(kHz);
}

VANTAR_EXPORT int VANTARARM_Connect(void) {
    return session().connect();
}

VANTAR_EXPORT int VANTARARM_EMU_GetNumConnections(void) {
    return session().connections();
}

VANTAR_EXPORT unsigned char VANTARARM_IsHalted(void) {
    return session().isHalted();
}

VANTAR_EXPORT void VANTARARM_Go(void) {
    session().go();
}

VANTAR_EXPORT void VANTARARM_Halt(void) {
    session().halt();
}

VANTAR_EXPORT int VANTARARM_ReadMemEx(uint32_t address, uint32_t count, void* data, uint32_t) {
    return session().readMemory(address, count, data);
}

VANTAR_EXPORT int VANTARARM_ReadMem(uint32_t address, uint32_t count, void* data) {
    return session().readMemory(address, count, data);
}

VANTAR_EXPORT int VANTARARM_DEVICE_GetIndex(const char* deviceName) {
    return session().deviceIndex(deviceName);
}

VANTAR_EXPORT int VANTARARM_DEVICE_GetInfo(int deviceIndex, void* info) {
    return session().deviceInfo(deviceIndex, info);
}

VANTAR_EXPORT int VANTAR_ZTXTERMINAL_Control(uint32_t command, void* parameter) {
    return session().terminalControl(command, parameter);
}

VANTAR_EXPORT int VANTAR_ZTXTERMINAL_Read(uint32_t channel, char* buffer, uint32_t size) {
    return session().terminalRead(channel, buffer, size);
}

VANTAR_EXPORT int VANTAR_ZTXTERMINAL_Write(uint32_t channel, const char* data, uint32_t count) {
    return session().terminalWrite(channel, data, count);
}

VANTAR_EXPORT void* VANTAR_GetpFunc(int index) {
    if (index != VANTAR_FUNC_DEVICE_LIST)
        return nullptr;
    return reinterpret_cast<void*>(&deviceList);
}

} // extern "C"
