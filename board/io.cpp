// I/O chip: only what the bus needs to link; the chip's registers come next.
#include "board/machine.h"

uint8_t orb_io_read(uint32_t) { return 0xFF; }
void orb_io_write(uint32_t, uint8_t) {}
void orb_io_reset() {
    if (orb_board.sound_reset) orb_board.sound_reset(true);
}
