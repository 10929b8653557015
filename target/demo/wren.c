#include "wren.h"

#include "board.h"
#include "kavrin.h"

#include <stddef.h>

#define STACK_FILL 0xA5A5A5A5u
#define FRAME_WORDS 16u /* r4-r11 saved by the switch, r0-r3, r12, lr, pc, xPSR by the core */
#define THUMB_STATE 0x01000000u
#define THREAD_MODE_PSP 2u
#define BLOCK_DELAYED 1u
#define BLOCK_SEMAPHORE 2u
#define BLOCK_TIMEOUT 0x10u
#define MAX_SEMAPHORES 8u
#define IDLE_STACK_WORDS 256u

static wren_task_t idle_task;
static uint32_t idle_stack[IDLE_STACK_WORDS];
static wren_task_t* tasks[WREN_MAX_TASKS];
static uint32_t task_count;
static wren_task_t* current;
static wren_timer_t* timers[WREN_MAX_TIMERS];
static uint32_t timer_count;
static wren_semaphore_t* semaphores[MAX_SEMAPHORES];
static uint32_t semaphore_count;
static volatile uint32_t ticks;

static void task_returned(void) {
    for (;;) {
        board_wait_for_interrupt();
    }
}

static void fill_stack(uint32_t* stack, uint32_t words) {
    uint32_t i;
    for (i = 0; i < words; ++i)
        stack[i] = STACK_FILL;
}

void wren_task_create(wren_task_t* task, const char* name, uint32_t priority, void (*entry)(void),
                      uint32_t* stack, uint32_t stack_words) {
    uint32_t* frame = stack + stack_words - FRAME_WORDS;
    fill_stack(stack, stack_words);
    frame[8 + 5] = (uint32_t)(uintptr_t)task_returned; /* lr */
    frame[8 + 6] = (uint32_t)(uintptr_t)entry & ~1u;   /* pc */
    frame[8 + 7] = THUMB_STATE;                        /* xPSR */
    task->sp = frame;
    task->name = name;
    task->priority = priority;
    task->stack = stack;
    task->stack_words = stack_words;
    task->ready = 1;
    task->timed = 0;
    task->waiting_on = NULL;
    if (task_count < WREN_MAX_TASKS)
        tasks[task_count++] = task;
    kavrin_task_create(kavrin_task_id(task));
}

void wren_semaphore_init(wren_semaphore_t* semaphore, const char* name, uint32_t count) {
    semaphore->count = count;
    semaphore->name = name;
    if (semaphore_count < MAX_SEMAPHORES)
        semaphores[semaphore_count++] = semaphore;
}

void wren_timer_start(wren_timer_t* timer, uint32_t id, uint32_t period, void (*callback)(void)) {
    const uint32_t saved = board_mask();
    kavrin_api_call2(WREN_API_TIMER_START, id, period);
    timer->id = id;
    timer->period = period;
    timer->due = ticks + period;
    timer->callback = callback;
    if (timer_count < WREN_MAX_TIMERS)
        timers[timer_count++] = timer;
    board_unmask(saved);
    kavrin_api_end(WREN_API_TIMER_START);
}

uint32_t wren_resource_id(const void* object) {
    return KAVRIN_ADDRESS(object);
}

/* The ready task of highest priority; the running one keeps the processor among equals. */
static wren_task_t* best_ready(void) {
    wren_task_t* best = current->ready ? current : &idle_task;
    uint32_t i;
    for (i = 0; i < task_count; ++i) {
        if (tasks[i]->ready && tasks[i]->priority > best->priority)
            best = tasks[i];
    }
    return best;
}

/* Called by PendSV with the stack pointer of the task it leaves: the one to enter. */
uint32_t* wren_switch(uint32_t* sp) {
    const uint32_t saved = board_mask();
    current->sp = sp;
    current = best_ready();
    if (current == &idle_task)
        kavrin_idle();
    else
        kavrin_task_run(kavrin_task_id(current));
    board_unmask(saved);
    return current->sp;
}

__attribute__((naked)) void pendsv_handler(void) {
    __asm__ __volatile__("mrs r0, psp\n"
                         "stmdb r0!, {r4-r11}\n"
                         "push {r3, lr}\n"
                         "bl wren_switch\n"
                         "pop {r3, lr}\n"
                         "ldmia r0!, {r4-r11}\n"
                         "msr psp, r0\n"
                         "bx lr\n");
}

void wren_start(void (*idle)(void)) {
    idle_task.name = "Idle";
    idle_task.priority = 0;
    idle_task.ready = 1;
    current = &idle_task;
    __asm__ __volatile__("msr psp, %0\n"
                         "msr control, %1\n"
                         "isb\n"
                         "cpsie i\n"
                         "bx %2\n" ::"r"(idle_stack + IDLE_STACK_WORDS),
                         "r"(THREAD_MODE_PSP), "r"(idle));
    __builtin_unreachable();
}

uint32_t wren_ticks(void) {
    return ticks;
}

static void make_ready(wren_task_t* task, int32_t result) {
    task->ready = 1;
    task->timed = 0;
    task->waiting_on = NULL;
    task->result = result;
    kavrin_task_ready(kavrin_task_id(task));
}

/* With interrupts masked: the running task waits; the switch follows the unmask. */
static void block_current(uint32_t reason, uint32_t timeout) {
    current->ready = 0;
    current->timed = timeout != WREN_FOREVER;
    current->wake_tick = ticks + timeout;
    kavrin_task_block(kavrin_task_id(current), current->timed ? reason | BLOCK_TIMEOUT : reason);
    board_pend_switch();
}

static void wait_ticks(uint32_t api, uint32_t argument, uint32_t timeout) {
    uint32_t saved;
    kavrin_api_call1(api, argument);
    saved = board_mask();
    if (timeout != 0)
        block_current(BLOCK_DELAYED, timeout);
    board_unmask(saved);
    kavrin_api_end(api);
}

void wren_delay(uint32_t count) {
    wait_ticks(WREN_API_DELAY, count, count);
}

void wren_delay_until(uint32_t* wake, uint32_t period) {
    const uint32_t until = *wake + period;
    const uint32_t now = ticks;
    *wake = until;
    /* An overrun returns at once, and the next period starts from now. */
    if ((int32_t)(until - now) <= 0)
        *wake = now;
    wait_ticks(WREN_API_DELAY_UNTIL, until, (int32_t)(until - now) > 0 ? until - now : 0u);
}

int32_t wren_take(wren_semaphore_t* semaphore, uint32_t timeout) {
    int32_t result = WREN_OK;
    uint32_t saved;
    kavrin_api_call2(WREN_API_SEM_TAKE, wren_resource_id(semaphore), timeout);
    saved = board_mask();
    if (semaphore->count > 0) {
        --semaphore->count;
    } else {
        current->waiting_on = semaphore;
        block_current(BLOCK_SEMAPHORE, timeout);
        board_unmask(saved); /* the switch happens here; we return when given or timed out */
        saved = board_mask();
        result = current->result;
    }
    board_unmask(saved);
    kavrin_api_end_value(WREN_API_SEM_TAKE, (uint32_t)result);
    return result;
}

static int in_handler(void) {
    uint32_t ipsr;
    __asm__ __volatile__("mrs %0, ipsr" : "=r"(ipsr));
    return ipsr != 0;
}

void wren_give(wren_semaphore_t* semaphore) {
    wren_task_t* waiter = NULL;
    uint32_t saved;
    uint32_t i;
    kavrin_api_call1(WREN_API_SEM_GIVE, wren_resource_id(semaphore));
    saved = board_mask();
    for (i = 0; i < task_count; ++i) {
        if (tasks[i]->waiting_on == semaphore &&
            (waiter == NULL || tasks[i]->priority > waiter->priority))
            waiter = tasks[i];
    }
    if (waiter != NULL)
        make_ready(waiter, WREN_OK);
    else
        ++semaphore->count;
    /* A task that readies a more urgent one gives way at once; handlers at their exit. */
    if (!in_handler() && best_ready() != current)
        board_pend_switch();
    board_unmask(saved);
    kavrin_api_end_value(WREN_API_SEM_GIVE, WREN_OK);
}

void wren_isr_enter(uint32_t exception) {
    kavrin_isr_enter(exception);
}

void wren_isr_exit(void) {
    const uint32_t saved = board_mask();
    if (best_ready() != current) {
        kavrin_isr_exit_to_scheduler();
        board_pend_switch();
    } else {
        kavrin_isr_exit();
    }
    board_unmask(saved);
}

void wren_tick(void) {
    uint32_t i;
    const uint32_t now = ++ticks;
    for (i = 0; i < task_count; ++i) {
        wren_task_t* task = tasks[i];
        if (!task->ready && task->timed && (int32_t)(now - task->wake_tick) >= 0)
            make_ready(task, task->waiting_on != NULL ? WREN_TIMEOUT : WREN_OK);
    }
    for (i = 0; i < timer_count; ++i) {
        wren_timer_t* timer = timers[i];
        if ((int32_t)(now - timer->due) >= 0) {
            timer->due += timer->period;
            kavrin_timer_enter(timer->id);
            timer->callback();
            kavrin_timer_exit();
        }
    }
}

static uint32_t stack_used(const wren_task_t* task) {
    uint32_t untouched = 0;
    while (untouched < task->stack_words && task->stack[untouched] == STACK_FILL)
        ++untouched;
    return (task->stack_words - untouched) * 4u;
}

void wren_list_tasks(void) {
    uint32_t i;
    for (i = 0; i < task_count; ++i) {
        const wren_task_t* task = tasks[i];
        const uint32_t id = kavrin_task_id(task);
        kavrin_task_info(id, task->priority, task->name);
        kavrin_task_stack(id, KAVRIN_ADDRESS(task->stack), task->stack_words * 4u,
                          stack_used(task));
    }
    for (i = 0; i < semaphore_count; ++i)
        kavrin_resource_name(wren_resource_id(semaphores[i]), semaphores[i]->name);
}
