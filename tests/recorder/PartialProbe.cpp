// A probe library that lacks VANTAR_GetpFunc, with answers the binding tests recognise.

#include "target/VantarArm.h"

#define TEST_EXPORT __attribute__((visibility("default")))

extern "C" {
TEST_EXPORT const char* VANTARARM_OpenEx(VANTARARM_LogFunc, VANTARARM_LogFunc) {
    return nullptr;
}
TEST_EXPORT void VANTARARM_Close(void) {}
TEST_EXPORT int VANTARARM_ExecCommand(const char*, char* error, int) {
    error[0] = 0;
    return 0;
}
TEST_EXPORT unsigned char VANTARARM_SelectIP(const char*, int) {
    return 0;
}
TEST_EXPORT int VANTARARM_EMU_SelectByUSBSN(uint32_t) {
    return 0;
}
TEST_EXPORT void VANTARARM_TIF_Select(int) {}
TEST_EXPORT void VANTARARM_SetSpeed(uint32_t) {}
TEST_EXPORT int VANTARARM_Connect(void) {
    return 42;
}
TEST_EXPORT int VANTARARM_EMU_GetNumConnections(void) {
    return 7;
}
TEST_EXPORT unsigned char VANTARARM_IsHalted(void) {
    return 1;
}
TEST_EXPORT void VANTARARM_Go(void) {}
TEST_EXPORT void VANTARARM_Halt(void) {}
TEST_EXPORT int VANTARARM_ReadMemEx(uint32_t, uint32_t count, void*, uint32_t) {
    return int(count);
}
TEST_EXPORT int VANTARARM_ReadMem(uint32_t, uint32_t, void*) {
    return 0;
}
TEST_EXPORT int VANTARARM_DEVICE_GetIndex(const char*) {
    return 3;
}
TEST_EXPORT int VANTARARM_DEVICE_GetInfo(int, void*) {
    return 0;
}
TEST_EXPORT int VANTAR_ZTXTERMINAL_Control(uint32_t command, void*) {
    return int(command) + 100;
}
TEST_EXPORT int VANTAR_ZTXTERMINAL_Read(uint32_t, char*, uint32_t) {
    return 0;
}
TEST_EXPORT int VANTAR_ZTXTERMINAL_Write(uint32_t, const char*, uint32_t count) {
    return int(count);
}
}
