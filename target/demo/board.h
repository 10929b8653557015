/* The MPS2 AN385 board as QEMU models it: a Cortex-M3 at 25 MHz with CMSDK peripherals. */
#ifndef BOARD_H
#define BOARD_H

#include <stdint.h>

#define BOARD_CLOCK_HZ 25000000u

/* Exception numbers, as the recorder reports interrupts. */
#define BOARD_SYSTICK_EXCEPTION 15u
#define BOARD_IRQ_BASE 16u
#define BOARD_UART0_TX_IRQ 1u
#define BOARD_TIMER1_IRQ 9u

void board_init(void);

/* The timestamp: CMSDK TIMER0 running free at the board clock, counting up. */
uint32_t board_timestamp(void);
/* The same, extended to 64 bits; called at least once per wrap (the system tick does). */
uint64_t board_timestamp64(void);

/* SysTick at `hz`; its handler is systick_handler. */
void board_start_systick(uint32_t hz);

/* TIMER1 interrupts at `hz`; its handler is timer1_handler. */
void board_start_timer1(uint32_t hz);
void board_clear_timer1(void);

/* UART0 at 115200 baud; a byte written raises the TX interrupt once it has gone out. */
void board_uart_enable_tx_interrupt(void);
void board_uart_put(uint8_t byte);
void board_uart_clear_tx(void);

/* Makes PendSV run once no other exception is active. */
void board_pend_switch(void);

/* Interrupt mask (PRIMASK): the previous state, restored by board_unmask. */
uint32_t board_mask(void);
void board_unmask(uint32_t state);
void board_wait_for_interrupt(void);

/* Handlers the application provides. */
void systick_handler(void);
void timer1_handler(void);
void uart0_tx_handler(void);

#endif
