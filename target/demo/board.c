#include "board.h"

#define REG(address) (*(volatile uint32_t*)(address))

/* CMSDK APB timers */
#define TIMER0 0x40000000u
#define TIMER1 0x40001000u
#define TIMER_CTRL 0x00u
#define TIMER_VALUE 0x04u
#define TIMER_RELOAD 0x08u
#define TIMER_INTCLEAR 0x0Cu
#define TIMER_ENABLE 1u
#define TIMER_INTERRUPT 8u

/* CMSDK APB UART 0 */
#define UART0 0x40004000u
#define UART_DATA 0x00u
#define UART_CTRL 0x08u
#define UART_INTCLEAR 0x0Cu
#define UART_BAUDDIV 0x10u
#define UART_TX_ENABLE 1u
#define UART_TX_INTERRUPT 4u
#define UART_TX_PENDING 1u
#define UART_BAUD 115200u

/* System control space */
#define SYST_CSR 0xE000E010u
#define SYST_RVR 0xE000E014u
#define SYST_CVR 0xE000E018u
#define SYST_ENABLE_INTERRUPT_CPU_CLOCK 7u
#define NVIC_ISER 0xE000E100u
#define NVIC_IPR 0xE000E400u
#define SCB_ICSR 0xE000ED04u
#define SCB_SHPR3 0xE000ED20u
#define ICSR_PENDSVSET (1u << 28)

/* All handlers share one priority, so none nests in another; PendSV comes last. */
#define HANDLER_PRIORITY 0x80u
#define PENDSV_PRIORITY 0xFFu

static void enable_irq(uint32_t irq) {
    ((volatile uint8_t*)NVIC_IPR)[irq] = HANDLER_PRIORITY;
    REG(NVIC_ISER + 4u * (irq / 32u)) = 1u << (irq % 32u);
}

void board_init(void) {
    REG(SCB_SHPR3) = (HANDLER_PRIORITY << 24) | (PENDSV_PRIORITY << 16);
    REG(TIMER0 + TIMER_RELOAD) = 0xFFFFFFFFu;
    REG(TIMER0 + TIMER_VALUE) = 0xFFFFFFFFu;
    REG(TIMER0 + TIMER_CTRL) = TIMER_ENABLE;
    REG(UART0 + UART_BAUDDIV) = BOARD_CLOCK_HZ / UART_BAUD;
    REG(UART0 + UART_CTRL) = UART_TX_ENABLE;
}

uint32_t board_timestamp(void) {
    return ~REG(TIMER0 + TIMER_VALUE);
}

uint64_t board_timestamp64(void) {
    static uint32_t high;
    static uint32_t last;
    const uint32_t saved = board_mask();
    const uint32_t now = board_timestamp();
    uint64_t extended;
    if (now < last)
        ++high;
    last = now;
    extended = ((uint64_t)high << 32) | now;
    board_unmask(saved);
    return extended;
}

void board_start_systick(uint32_t hz) {
    REG(SYST_RVR) = BOARD_CLOCK_HZ / hz - 1u;
    REG(SYST_CVR) = 0;
    REG(SYST_CSR) = SYST_ENABLE_INTERRUPT_CPU_CLOCK;
}

void board_start_timer1(uint32_t hz) {
    REG(TIMER1 + TIMER_RELOAD) = BOARD_CLOCK_HZ / hz - 1u;
    REG(TIMER1 + TIMER_VALUE) = BOARD_CLOCK_HZ / hz - 1u;
    REG(TIMER1 + TIMER_CTRL) = TIMER_ENABLE | TIMER_INTERRUPT;
    enable_irq(BOARD_TIMER1_IRQ);
}

void board_clear_timer1(void) {
    REG(TIMER1 + TIMER_INTCLEAR) = 1u;
}

void board_uart_enable_tx_interrupt(void) {
    REG(UART0 + UART_CTRL) = UART_TX_ENABLE | UART_TX_INTERRUPT;
    enable_irq(BOARD_UART0_TX_IRQ);
}

void board_uart_put(uint8_t byte) {
    REG(UART0 + UART_DATA) = byte;
}

void board_uart_clear_tx(void) {
    REG(UART0 + UART_INTCLEAR) = UART_TX_PENDING;
}

void board_pend_switch(void) {
    REG(SCB_ICSR) = ICSR_PENDSVSET;
}

uint32_t board_mask(void) {
    uint32_t state;
    __asm__ __volatile__("mrs %0, primask\n cpsid i" : "=r"(state)::"memory");
    return state;
}

void board_unmask(uint32_t state) {
    __asm__ __volatile__("msr primask, %0" ::"r"(state) : "memory");
}

void board_wait_for_interrupt(void) {
    __asm__ __volatile__("wfi" ::: "memory");
}
