/* The demo application: a control loop, a sampled sensor, an interrupt-driven console and a
   monitor, recorded by the Kavrin module. Built with DEMO_FLOOD, the idle loop also sends
   events as fast as the host takes them, to measure the channel. */
#include "board.h"
#include "kavrin.h"
#include "wren.h"

#include <stddef.h>

#define STACK_WORDS 256u
#define CONSOLE_OFFSET 128u
#define CONSOLE_WRITE (CONSOLE_OFFSET + 0u)
#define CONSOLE_SAMPLE (CONSOLE_OFFSET + 1u)
#define MEASURE_CONTROL 1u
#define HEARTBEAT_TIMER 1u
#define SAMPLE_RATE_HZ 2000u
#define TICK_RATE_HZ 1000u
/* What the flood leaves free for the other events until the host reads again. */
#define FLOOD_HEADROOM (KAVRIN_UP_SIZE / 2u)

static const kavrin_module_t console_module = {"M=WrenConsole", CONSOLE_OFFSET};

static wren_task_t control_task, sensor_task, console_task, monitor_task;
static uint32_t control_stack[STACK_WORDS], sensor_stack[STACK_WORDS], console_stack[STACK_WORDS],
    monitor_stack[STACK_WORDS];
static wren_semaphore_t sample_ready, line_sent, report_due;
static wren_timer_t heartbeat;

static volatile uint32_t samples;
static char line[48];
static volatile uint32_t line_length;
static volatile uint32_t line_sent_up_to;

/* Stands for computation. */
static void work(uint32_t loops) {
    volatile uint32_t i;
    for (i = 0; i < loops; ++i) {
    }
}

static void control(void) {
    uint32_t wake = wren_ticks();
    for (;;) {
        wren_delay_until(&wake, 2);
        kavrin_user_start(MEASURE_CONTROL);
        work(2000);
        kavrin_user_stop(MEASURE_CONTROL);
    }
}

static void sensor(void) {
    uint32_t processed = 0;
    for (;;) {
        if (wren_take(&sample_ready, 10) != WREN_OK) {
            kavrin_print(KAVRIN_WARNING, "Sensor: no sample for 10 ms");
            continue;
        }
        work(300);
        if (++processed % 1000u == 0) {
            const uint32_t args[2] = {processed, samples};
            kavrin_log(KAVRIN_LOG, "Sensor: %u samples processed, %u taken", args, 2);
        }
    }
}

/* "tick <n>\r\n" into `line`: its length. */
static uint32_t format_line(uint32_t tick) {
    static const char prefix[] = "tick ";
    char digits[10];
    uint32_t count = 0;
    uint32_t length = 0;
    uint32_t i;
    for (i = 0; prefix[i] != 0; ++i)
        line[length++] = prefix[i];
    do {
        digits[count++] = (char)('0' + tick % 10u);
        tick /= 10u;
    } while (tick != 0);
    while (count > 0)
        line[length++] = digits[--count];
    line[length++] = '\r';
    line[length++] = '\n';
    return length;
}

/* Writes a line through the UART's transmit interrupt and waits until it has gone out. */
static void console(void) {
    uint8_t block[1 + sizeof line];
    uint32_t i;
    for (;;) {
        const uint32_t length = format_line(wren_ticks());
        int32_t result;
        block[0] = (uint8_t)length; /* the parameter is a text: length, then characters */
        for (i = 0; i < length; ++i)
            block[1 + i] = (uint8_t)line[i];
        kavrin_api_block(CONSOLE_WRITE, block, 1 + length);
        line_length = length;
        line_sent_up_to = 1;
        board_uart_put((uint8_t)line[0]);
        result = wren_take(&line_sent, 10);
        kavrin_api_end_value(CONSOLE_WRITE, result == WREN_OK ? length : 0u);
        wren_delay(20);
    }
}

static void monitor(void) {
    for (;;) {
        wren_take(&report_due, WREN_FOREVER);
        kavrin_log_counters();
    }
}

static void heartbeat_expired(void) {
    wren_give(&report_due);
}

void systick_handler(void) {
    wren_isr_enter(BOARD_SYSTICK_EXCEPTION);
    board_timestamp64();
    wren_tick();
    wren_isr_exit();
}

void timer1_handler(void) {
    wren_isr_enter(BOARD_IRQ_BASE + BOARD_TIMER1_IRQ);
    board_clear_timer1();
    ++samples;
    wren_give(&sample_ready);
    wren_isr_exit();
}

void uart0_tx_handler(void) {
    wren_isr_enter(BOARD_IRQ_BASE + BOARD_UART0_TX_IRQ);
    board_uart_clear_tx();
    if (line_sent_up_to < line_length) {
        board_uart_put((uint8_t)line[line_sent_up_to++]);
    } else if (line_length != 0) {
        line_length = 0;
        wren_give(&line_sent);
    }
    wren_isr_exit();
}

#ifdef DEMO_FLOOD
/* As many events as the channel has room for, leaving room for the others: nothing is
   dropped. */
static void flood(void) {
    static uint32_t sent;
    while (kavrin_is_recording() && kavrin_free_space() >= FLOOD_HEADROOM) {
        kavrin_api_call2(CONSOLE_SAMPLE, sent, sent * 7u);
        ++sent;
    }
}
#endif

static void idle(void) {
    for (;;) {
        kavrin_poll();
#ifdef DEMO_FLOOD
        flood();
#else
        board_wait_for_interrupt();
#endif
    }
}

static void describe_system(void) {
    kavrin_system_description("N=Kavrin demo,O=Wren,D=MPS2-AN385,C=Cortex-M3");
    kavrin_system_description("I#15=SysTick,I#17=UART0 TX,I#25=Sample timer");
}

static const kavrin_system_t recorded_system = {
    BOARD_CLOCK_HZ, BOARD_CLOCK_HZ, 0x20000000u, 2u, describe_system, wren_list_tasks,
};

int main(void) {
    /* The handlers need the kernel: interrupts wait until wren_start unmasks them. */
    board_mask();
    board_init();
    kavrin_init(&recorded_system);
    kavrin_register_module(&console_module);
    wren_semaphore_init(&sample_ready, "Sample ready", 0);
    wren_semaphore_init(&line_sent, "Line sent", 0);
    wren_semaphore_init(&report_due, "Report due", 0);
    wren_task_create(&control_task, "Control", 5, control, control_stack, STACK_WORDS);
    wren_task_create(&sensor_task, "Sensor", 4, sensor, sensor_stack, STACK_WORDS);
    wren_task_create(&console_task, "Console", 2, console, console_stack, STACK_WORDS);
    wren_task_create(&monitor_task, "Monitor", 1, monitor, monitor_stack, STACK_WORDS);
    wren_timer_start(&heartbeat, HEARTBEAT_TIMER, TICK_RATE_HZ / 10u, heartbeat_expired);
    board_uart_enable_tx_interrupt();
    board_start_timer1(SAMPLE_RATE_HZ);
    board_start_systick(TICK_RATE_HZ);
    wren_start(idle);
}
