/* The recorder module's port to the demo board: PRIMASK lock, TIMER0 timestamps. */
#include "kavrin.h"

#include "board.h"

uint32_t kavrin_port_lock(void) {
    return board_mask();
}

void kavrin_port_unlock(uint32_t state) {
    board_unmask(state);
}

uint32_t kavrin_port_timestamp(void) {
    return board_timestamp();
}

uint64_t kavrin_port_time_us(void) {
    return board_timestamp64() / (BOARD_CLOCK_HZ / 1000000u);
}
