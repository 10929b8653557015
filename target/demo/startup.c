/* Vector table and reset: copy the initialised data, clear the rest, run main. */
#include "board.h"

#include <stdint.h>

extern uint32_t __data_load[], __data_start[], __data_end[], __bss_start[], __bss_end[];
extern uint32_t __stack_top[];

int main(void);
void pendsv_handler(void);

void reset_handler(void) {
    uint32_t* from = __data_load;
    uint32_t* to;
    for (to = __data_start; to < __data_end; ++to)
        *to = *from++;
    for (to = __bss_start; to < __bss_end; ++to)
        *to = 0;
    main();
    for (;;) {
    }
}

/* A fault stops the demo where a debugger can see it. */
static void fault_handler(void) {
    for (;;) {
        board_wait_for_interrupt();
    }
}

#define IRQ_COUNT 32

typedef void (*vector_t)(void);

__attribute__((section(".vectors"), used)) static const vector_t vectors[16 + IRQ_COUNT] = {
    [0] = (vector_t)(uintptr_t)__stack_top,
    [1] = reset_handler,
    [2] = fault_handler, /* NMI */
    [3] = fault_handler, /* HardFault */
    [4] = fault_handler, /* MemManage */
    [5] = fault_handler, /* BusFault */
    [6] = fault_handler, /* UsageFault */
    [14] = pendsv_handler,
    [BOARD_SYSTICK_EXCEPTION] = systick_handler,
    [BOARD_IRQ_BASE + BOARD_UART0_TX_IRQ] = uart0_tx_handler,
    [BOARD_IRQ_BASE + BOARD_TIMER1_IRQ] = timer1_handler,
};
