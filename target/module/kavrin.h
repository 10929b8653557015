/*
 * Kavrin recorder module
 * ======================
 *
 * The part of Kavrin that runs on your target. Your RTOS port and your application call the
 * event functions below; the module encodes each event as a packet of the Kavrin event stream
 * and puts it into a ring buffer in target RAM, where the Kavrin host program reads it through
 * a debug probe or a GDB server while your firmware runs.
 *
 * Getting started
 * ---------------
 * 1. Add kavrin.c to your build and write the four port functions of kavrin_port.h (an
 *    interrupt lock, a free-running timestamp counter and the time in microseconds).
 * 2. Call kavrin_init once at start-up, before any other function of the module:
 *
 *        static void describe_system(void) {
 *            kavrin_system_description("N=Pump controller,O=MyRTOS,D=STM32F407VG");
 *            kavrin_system_description("I#15=SysTick,I#53=USART2");
 *        }
 *        static void list_tasks(void) {
 *            for each task t:
 *                kavrin_task_info(kavrin_task_id(t), t->priority, t->name);
 *                kavrin_task_stack(kavrin_task_id(t), t->stack_base, t->stack_size, used);
 *        }
 *        static const kavrin_system_t system = {
 *            .timestamp_frequency = 25000000, .cpu_frequency = 25000000,
 *            .task_id_base = 0x20000000, .task_id_shift = 2,
 *            .describe_system = describe_system, .list_tasks = list_tasks,
 *        };
 *        kavrin_init(&system);
 *
 * 3. Call kavrin_poll regularly, for example from the idle loop or a periodic timer: it
 *    reads the host's command bytes and answers them. Recording begins when the host sends
 *    its start command (or when the firmware calls kavrin_start).
 * 4. Call the event functions from your RTOS port: kavrin_isr_enter / kavrin_isr_exit in
 *    every interrupt handler, kavrin_task_ready / kavrin_task_block / kavrin_task_run /
 *    kavrin_idle from the scheduler, kavrin_api_call / kavrin_api_end around the RTOS
 *    functions you want to see. Each is cheap and does nothing while not recording.
 *
 * The host finds the module by searching target RAM for its control block (the text
 * "NORVAN ZTX"). Putting the module's area at a known place (KAVRIN_AREA_ATTRIBUTE) and
 * giving the host that address or a small search range makes connecting fast.
 *
 * Names
 * -----
 * The host shows names it learns from the stream:
 * - The system description (describe_system callback): comma-separated items "N=" the
 *   application's name, "O=" the operating system (the host then loads its description file
 *   Description/KAVRIN_<OS>.txt, which names the API events), "D=" the device, "C=" the core,
 *   "I#<n>=" the name of interrupt n. Send several short texts rather than one long one.
 * - Task names and priorities (list_tasks callback), resource names (kavrin_resource_name).
 * - Modules (kavrin_register_module): middleware with API events of its own. The host asks
 *   for their descriptions; a description "M=<name>" (optionally followed by ",V=<version>")
 *   makes it load Description/KAVRIN_<name>[_<version>].txt with the ids offset by the
 *   module's event offset.
 *
 * Ids
 * ---
 * Task ids are 32-bit numbers other than 0 (idle), 0xFFFFFFFE and 0xFFFFFFFF; they share
 * their number space with interrupt numbers, so they must not equal an interrupt number.
 * A task's control block address, made small with kavrin_task_id, serves well. Interrupt
 * numbers are the CPU's exception numbers (on a Cortex-M, IPSR: 15 for SysTick, 16 + n for
 * external interrupt n). API event ids are 33 and above and match the description file.
 *
 * Concurrency and cost
 * --------------------
 * Every function may be called from any task and any interrupt handler: a packet is
 * encoded and copied into the ring inside the port's lock, so packets never interleave. No
 * function allocates memory or blocks. When the ring has no room for a packet, the packet
 * is dropped and counted; the next packet that fits is preceded by an Overflow packet with
 * the number of packets dropped since recording began, so the host shows exactly where and
 * how much was lost. Make the ring large enough for the bursts between two host reads.
 *
 * Host commands
 * -------------
 * kavrin_poll answers the command bytes the host writes into the "Kavrin" down-channel:
 *   1 start recording       2 stop recording        3 send the target time
 *   4 send the task list    5 send the system description
 *   6 and 7 send the number of registered modules
 *   0x80 n  send the description of module n
 */
#ifndef KAVRIN_H
#define KAVRIN_H

#include "kavrin_port.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What the host learns about the system when recording starts. */
typedef struct {
    uint32_t timestamp_frequency; /* ticks per second of kavrin_port_timestamp */
    uint32_t cpu_frequency;       /* Hz */
    uint32_t task_id_base;        /* see kavrin_task_id */
    uint32_t task_id_shift;
    /* Sends the system description with kavrin_system_description (may be null). */
    void (*describe_system)(void);
    /* Sends kavrin_task_info, and kavrin_task_stack if known, for every task, and the
       names of semaphores, queues and the like with kavrin_resource_name (may be null). */
    void (*list_tasks)(void);
} kavrin_system_t;

/* A module (middleware) with API events of its own; registered once, kept by pointer. */
typedef struct {
    const char* description; /* "M=<name>[,V=<version>]" and/or event items */
    uint32_t event_offset;   /* added by the host to the module's event ids */
} kavrin_module_t;

/* Log levels. */
enum { KAVRIN_LOG = 0, KAVRIN_WARNING = 1, KAVRIN_ERROR = 2 };

/* ---- Set-up and control ----------------------------------------------------------------- */

/* Sets up the control block and the channels; the module is idle until recording starts.
   `system` is kept by pointer. */
void kavrin_init(const kavrin_system_t* system);

/* Registers a module: its index (0, 1, ...), or -1 when KAVRIN_MAX_MODULES are registered. */
int kavrin_register_module(const kavrin_module_t* module);

/* Reads the host's command bytes and answers them; call it from one context only. */
void kavrin_poll(void);

/* Starts and stops recording as the host's commands 1 and 2 do. Starting writes the Start
   packet, then what the host needs to know: system info, target time, system description,
   module count, task list and the context that runs. */
void kavrin_start(void);
void kavrin_stop(void);
int kavrin_is_recording(void);

/* ---- Tasks and scheduling --------------------------------------------------------------- */

/* (address - task_id_base) >> task_id_shift: a small, unique id for a task control block. */
uint32_t kavrin_task_id(const void* task_control_block);

void kavrin_task_create(uint32_t task);
void kavrin_task_info(uint32_t task, uint32_t priority, const char* name);
/* Stack base address and size; `used` is the deepest use seen, if the port knows it. */
void kavrin_task_stack(uint32_t task, uint32_t base, uint32_t size, uint32_t used);
/* The task became ready to run. */
void kavrin_task_ready(uint32_t task);
/* The scheduler switched to the task. */
void kavrin_task_run(uint32_t task);
/* The running task stops executing (and stays ready). */
void kavrin_task_stop(void);
/* The task waits; `reason` is shown through the OS description's TaskState line. */
void kavrin_task_block(uint32_t task, uint32_t reason);
/* Nothing is ready: the system idles. */
void kavrin_idle(void);

/* ---- Interrupts and timers -------------------------------------------------------------- */

void kavrin_isr_enter(uint32_t number);
/* The handler returns to what it interrupted. */
void kavrin_isr_exit(void);
/* The handler returns into the scheduler, which switches to another task. */
void kavrin_isr_exit_to_scheduler(void);
/* A software timer's callback begins and ends. */
void kavrin_timer_enter(uint32_t timer);
void kavrin_timer_exit(void);

/* ---- Measurements, API calls and log output --------------------------------------------- */

void kavrin_user_start(uint32_t measurement);
void kavrin_user_stop(uint32_t measurement);

/* An API call (id 33 and above) with up to 255 numeric parameters. */
void kavrin_api_call(uint32_t id, const uint32_t* params, uint32_t count);
void kavrin_api_call0(uint32_t id);
void kavrin_api_call1(uint32_t id, uint32_t a);
void kavrin_api_call2(uint32_t id, uint32_t a, uint32_t b);
void kavrin_api_call3(uint32_t id, uint32_t a, uint32_t b, uint32_t c);
/* An API call whose parameter block the caller encoded (e.g. with texts): at most 2048
   bytes; a longer block is not sent and counts as dropped. */
void kavrin_api_block(uint32_t id, const uint8_t* block, uint32_t length);
/* The call `id` returns, without or with a value. */
void kavrin_api_end(uint32_t id);
void kavrin_api_end_value(uint32_t id, uint32_t value);

/* A log message: a small printf format (%d %u %x %X %p %c, width, precision, flags) that
   the host formats with the numeric arguments. */
void kavrin_log(uint32_t level, const char* format, const uint32_t* args, uint32_t count);
/* The same, indented by `indent` steps in the host's terminal. */
void kavrin_log_indented(uint32_t level, uint32_t indent, const char* format, const uint32_t* args,
                         uint32_t count);
void kavrin_print(uint32_t level, const char* text);

/* ---- Descriptions (from the callbacks, or whenever they change) ------------------------- */

void kavrin_system_description(const char* text);
void kavrin_resource_name(uint32_t resource, const char* name);
/* Target Time packets: microseconds (kavrin_port_time_us) and CPU cycles. */
void kavrin_target_time(void);

/* ---- Counters --------------------------------------------------------------------------- */

/* Bytes free in the up-channel now. Code that sends a burst of events can wait for room
   instead of losing them. */
uint32_t kavrin_free_space(void);

/* Packets of this recording, from its Start packet: written or dropped. */
uint32_t kavrin_packets_produced(void);
uint32_t kavrin_packets_dropped(void);
/* A log message "Kavrin: %u packets produced, %u dropped" whose numbers count the packets
   before it, taken inside the lock. A host that lost nothing sees it as the event with index
   produced - dropped. */
void kavrin_log_counters(void);

/* ---- The "Terminal" channel ------------------------------------------------------------- */

/* Bytes of text to the host's terminal: how many fitted. */
uint32_t kavrin_terminal_write(const char* text, uint32_t length);
/* Bytes the host typed: how many were read into `out`. */
uint32_t kavrin_terminal_read(char* out, uint32_t capacity);

/* ---- For ports and tests ---------------------------------------------------------------- */

/* The module's RAM area; it begins with the control block. */
const void* kavrin_area(void);
uint32_t kavrin_area_size(void);

#ifdef __cplusplus
}
#endif

#endif /* KAVRIN_H */
