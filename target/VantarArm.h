#pragma once

// The probe library's C interface, as libVantarARM.so exports it.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*VANTARARM_LogFunc)(const char* text);
// The device-list function that VANTAR_GetpFunc(VANTAR_FUNC_DEVICE_LIST) hands out: fills
// `buffer` with NUL-ended names, the list ended by an empty name; negative on failure.
typedef int (*VANTAR_DeviceListFunc)(int reserved, char* buffer, int size);

#define VANTAR_FUNC_DEVICE_LIST 4
#define VANTARARM_DEVICE_INFO_SIZE 936
#define VANTARARM_DEVICE_INFO_RAM_OFFSET 292

// Null when the session opened, else a text saying why not.
const char* VANTARARM_OpenEx(VANTARARM_LogFunc log, VANTARARM_LogFunc error);
void VANTARARM_Close(void);
// 0 when accepted; otherwise -1 and the reason in `error` (always NUL-terminated).
int VANTARARM_ExecCommand(const char* command, char* error, int errorSize);
// 1 on failure.
unsigned char VANTARARM_SelectIP(const char* host, int port);
int VANTARARM_EMU_SelectByUSBSN(uint32_t serialNumber);
// 0 JTAG, 1 SWD.
void VANTARARM_TIF_Select(int interfaceType);
void VANTARARM_SetSpeed(uint32_t kHz);
// 0 when connected to the target.
int VANTARARM_Connect(void);
int VANTARARM_EMU_GetNumConnections(void);
// 0 while the target runs.
unsigned char VANTARARM_IsHalted(void);
void VANTARARM_Go(void);
void VANTARARM_Halt(void);
// Bytes read: `count` on success, -1 on failure.
int VANTARARM_ReadMemEx(uint32_t address, uint32_t count, void* data, uint32_t flags);
int VANTARARM_ReadMem(uint32_t address, uint32_t count, void* data);
int VANTARARM_DEVICE_GetIndex(const char* deviceName);
// Fills the RAM regions of the 936-byte record; negative on failure.
int VANTARARM_DEVICE_GetInfo(int deviceIndex, void* info);
// Channel terminal commands:
//   0 start: `parameter` null (search RAM, or the ranges of "SetZTXSearchRanges") or a
//     16-byte record whose first 32-bit word is the control block address (0: search);
//   2 describe a channel: a 48-byte record, in: channel index (int32 at 0) and direction
//     (uint32 at 4, 0 = target to host), out: the name, NUL-terminated, from byte 8;
//     negative on failure;
//   3 count channels: `parameter` points to the direction (uint32); the count, -2 while no
//     control block is found, other negative values on failure.
int VANTAR_ZTXTERMINAL_Control(uint32_t command, void* parameter);
// Bytes read from up-channel `channel` (0: none waiting), negative on failure.
int VANTAR_ZTXTERMINAL_Read(uint32_t channel, char* buffer, uint32_t size);
// Bytes taken by down-channel `channel` (0: it is full), negative on failure.
int VANTAR_ZTXTERMINAL_Write(uint32_t channel, const char* data, uint32_t count);
void* VANTAR_GetpFunc(int index);

#ifdef __cplusplus
}
#endif
