/*
 * Kavrin recorder module: the port layer and the build-time configuration.
 *
 * A port supplies the four functions below for its CPU and board. Everything else in the
 * module is portable C99 and uses nothing but <stdint.h> and <stddef.h>.
 *
 * Every configuration value can be set on the compiler's command line (-DKAVRIN_UP_SIZE=16384)
 * or in a header named by KAVRIN_CONFIG_HEADER (-DKAVRIN_CONFIG_HEADER='"my_kavrin.h"').
 */
#ifndef KAVRIN_PORT_H
#define KAVRIN_PORT_H

#include <stdint.h>

#ifdef KAVRIN_CONFIG_HEADER
#include KAVRIN_CONFIG_HEADER
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Functions the port provides -------------------------------------------------------- */

/*
 * Enters a section that no interrupt handler and no other task can enter at the same time,
 * and returns what kavrin_port_unlock needs to restore the previous state. Sections nest:
 * on a Cortex-M, save PRIMASK and disable interrupts; restore PRIMASK on unlock. A port for
 * a system whose interrupts must never be masked may use a lock of its RTOS instead, as long
 * as every caller of the event functions takes it.
 */
uint32_t kavrin_port_lock(void);
void kavrin_port_unlock(uint32_t state);

/*
 * The timestamp: a free-running counter at the timestamp frequency given to kavrin_init,
 * counting up and wrapping at 2^32. Packets carry the difference to the previous packet, so
 * at least one packet must be written per 2^32 ticks while recording (a periodic system tick
 * that is recorded is enough).
 */
uint32_t kavrin_port_timestamp(void);

/* The target's absolute time in microseconds, for the Target Time packets. */
uint64_t kavrin_port_time_us(void);

/* ---- Configuration ---------------------------------------------------------------------- */

/* Bytes of the "Kavrin" up-channel ring; one byte always stays free. */
#ifndef KAVRIN_UP_SIZE
#define KAVRIN_UP_SIZE 4096
#endif

/* Bytes of the "Kavrin" down-channel ring (the host's command bytes). */
#ifndef KAVRIN_DOWN_SIZE
#define KAVRIN_DOWN_SIZE 64
#endif

/* Bytes of the "Terminal" channel rings, text to and from a host terminal. */
#ifndef KAVRIN_TERMINAL_UP_SIZE
#define KAVRIN_TERMINAL_UP_SIZE 1024
#endif
#ifndef KAVRIN_TERMINAL_DOWN_SIZE
#define KAVRIN_TERMINAL_DOWN_SIZE 16
#endif

/* Modules that can be registered with kavrin_register_module. */
#ifndef KAVRIN_MAX_MODULES
#define KAVRIN_MAX_MODULES 4
#endif

/* Longest text sent in a packet (names, descriptions, log formats); longer ones are cut. */
#ifndef KAVRIN_MAX_TEXT
#define KAVRIN_MAX_TEXT 1024
#endif

/* Most arguments of one log message; further ones are left out. */
#ifndef KAVRIN_MAX_LOG_ARGS
#define KAVRIN_MAX_LOG_ARGS 8
#endif

/*
 * The 32-bit target address of an object, as a debug probe sees it. Ports of CPUs whose
 * pointers are wider than their bus addresses (or host builds) redefine it.
 */
#ifndef KAVRIN_ADDRESS
#define KAVRIN_ADDRESS(pointer) ((uint32_t)(uintptr_t)(pointer))
#endif

/*
 * Placement of the module's RAM area (control block, channel names and rings), for
 * example a section that the linker puts at the start of RAM, where a host finds the
 * control block with its first memory read.
 */
#ifndef KAVRIN_AREA_ATTRIBUTE
#define KAVRIN_AREA_ATTRIBUTE
#endif

/*
 * Keeps the compiler from moving the stores of a packet's bytes behind the store of the
 * write offset that publishes them. A port for a CPU that reorders stores to memory itself
 * adds its store barrier.
 */
#ifndef KAVRIN_BARRIER
#if defined(__GNUC__)
#define KAVRIN_BARRIER() __asm__ __volatile__("" ::: "memory")
#else
#define KAVRIN_BARRIER() ((void)0)
#endif
#endif

#ifdef __cplusplus
}
#endif

#endif /* KAVRIN_PORT_H */
