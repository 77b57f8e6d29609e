// The sound board's link as its Z80 sees it: memory map, ports, ROM bank and
// the small interrupt controller in front of the Z80's interrupt input.
#pragma once
#include <cstdint>

struct orb_sound_irq_regs {
    uint8_t sound_irq_source[3];  // source id that drives Z80 line 0, 1, 2
    uint8_t sound_irq_mask;       // bit n set: line n masked
    uint8_t sound_irq_pending;    // bit n set: line n requested
};

uint8_t orb_z80_read(uint16_t address);
void orb_z80_write(uint16_t address, uint8_t value);
uint8_t orb_z80_in(uint8_t port);
void orb_z80_out(uint8_t port, uint8_t value);
// Sets (clears) the pending bit of every line that follows source id, then reports.
void orb_sound_signal_irq(int id);
void orb_sound_clear_irq(int id);
