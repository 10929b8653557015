/* Wren: the demo's small preemptive kernel. Fixed priorities (higher runs first), tasks
   created before start, counting semaphores with timeouts, delays and periodic software
   timers run from the system tick. It reports what it does to the Kavrin recorder module. */
#ifndef WREN_H
#define WREN_H

#include <stdint.h>

#define WREN_MAX_TASKS 8u
#define WREN_MAX_TIMERS 4u
#define WREN_FOREVER 0u

/* API event ids and Task Block reasons, as Description/KAVRIN_Wren.txt names them. */
enum {
    WREN_API_DELAY = 33,
    WREN_API_DELAY_UNTIL = 34,
    WREN_API_SEM_TAKE = 35,
    WREN_API_SEM_GIVE = 36,
    WREN_API_TIMER_START = 37
};
enum { WREN_OK = 0, WREN_TIMEOUT = 1 };

typedef struct {
    volatile uint32_t count;
    const char* name;
} wren_semaphore_t;

typedef struct {
    uint32_t* sp; /* saved stack pointer while not running */
    const char* name;
    uint32_t priority;
    uint32_t* stack;
    uint32_t stack_words;
    volatile uint8_t ready;
    uint8_t timed;
    uint32_t wake_tick;
    wren_semaphore_t* waiting_on;
    int32_t result;
} wren_task_t;

typedef struct {
    uint32_t id;
    uint32_t period;
    uint32_t due;
    void (*callback)(void);
} wren_timer_t;

void wren_task_create(wren_task_t* task, const char* name, uint32_t priority, void (*entry)(void),
                      uint32_t* stack, uint32_t stack_words);
void wren_semaphore_init(wren_semaphore_t* semaphore, const char* name, uint32_t count);
void wren_timer_start(wren_timer_t* timer, uint32_t id, uint32_t period, void (*callback)(void));

/* Runs the tasks; the caller goes on as the idle task in `idle`, which never returns. */
__attribute__((noreturn)) void wren_start(void (*idle)(void));

uint32_t wren_ticks(void);
void wren_delay(uint32_t ticks);
/* Waits until `*wake` + `period`, then advances `*wake` by `period`. */
void wren_delay_until(uint32_t* wake, uint32_t period);
/* WREN_OK, or WREN_TIMEOUT after `timeout` ticks (WREN_FOREVER: no timeout). */
int32_t wren_take(wren_semaphore_t* semaphore, uint32_t timeout);
/* From tasks and interrupt handlers. */
void wren_give(wren_semaphore_t* semaphore);

/* Every interrupt handler begins and ends with these. */
void wren_isr_enter(uint32_t exception);
void wren_isr_exit(void);
/* The system tick's work: delays, timeouts and timers. */
void wren_tick(void);

/* For the recorder's callbacks: Task Info and Stack of every task, resource names. */
void wren_list_tasks(void);
uint32_t wren_resource_id(const void* object);

#endif
