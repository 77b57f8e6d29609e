// The sound board's link as its Z80 sees it: memory map, I/O ports, the ROM
// bank and the three-line interrupt controller in front of the Z80.
#include "board/machine.h"

namespace {

// The Z80 sees the lowest pending unmasked line, with vector 0, 2 or 4.
void report() {
    const auto& r = orb_board.sound_irq_regs;
    const unsigned active = r.sound_irq_pending & ~r.sound_irq_mask & 7;
    if (!orb_board.callbacks.sound_irq) return;
    if (active == 0) {
        orb_board.callbacks.sound_irq(false, 0);
        return;
    }
    unsigned line = 0;
    while (!(active & (1u << line))) ++line;
    orb_board.callbacks.sound_irq(true, static_cast<uint8_t>(2 * line));
}

// Each of the three lines follows the source id written into its source byte,
// so one source may drive several lines.
uint8_t lines_following(int id) {
    const auto& r = orb_board.sound_irq_regs;
    uint8_t lines = 0;
    for (unsigned n = 0; n < 3; ++n)
        if (r.sound_irq_source[n] == id) lines |= static_cast<uint8_t>(1u << n);
    return lines;
}

uint8_t sound_rom_byte(uint32_t offset) {
    // The host installs the region before the Z80 can run; without one the
    // bus floats high rather than reading through an empty pointer.
    return orb_board.sound_rom ? orb_board.sound_rom[offset] : 0xFF;
}

}  // namespace

uint8_t orb_z80_read(uint16_t a) {
    auto& b = orb_board;
    if (a < 0xA000) return sound_rom_byte(a);
    if (a < 0xC000) {
        // An 8 KB window onto page z80_bank of the 4 MB sound ROM.
        return sound_rom_byte(((static_cast<uint32_t>(b.z80_bank) << 13) + (a & 0x1FFF)) & 0x3FFFFF);
    }
    if (a < 0xD000) return 0;  // PCM registers are write-only
    if (a < 0xE000) return b.callbacks.pcm_memory_read(a & 0xFFF);
    return b.shared_ram[a & 0x1FFF];
}

void orb_z80_write(uint16_t a, uint8_t value) {
    auto& b = orb_board;
    if (a < 0xC000) return;  // ROM
    if (a < 0xD000) {
        if ((a & 0xF) <= 8) b.callbacks.pcm_write(a & 0xF, value);
        return;
    }
    if (a < 0xE000) {
        b.callbacks.pcm_memory_write(a & 0xFFF, value);
        return;
    }
    b.shared_ram[a & 0x1FFF] = value;
}

uint8_t orb_z80_in(uint8_t port) {
    auto& b = orb_board;
    switch (port >> 4) {
    case 0x8: return b.callbacks.fm_read(0, port & 3);
    case 0x9: return b.callbacks.fm_read(1, port & 3);
    default: return port == 0xF1 ? b.sound_latch : 0xFF;
    }
}

void orb_z80_out(uint8_t port, uint8_t value) {
    auto& b = orb_board;
    auto& r = b.sound_irq_regs;
    switch (port >> 4) {
    case 0x8: b.callbacks.fm_write(0, port & 3, value); return;
    case 0x9: b.callbacks.fm_write(1, port & 3, value); return;
    case 0xA:  // bank bits 0-5
        b.z80_bank = static_cast<uint16_t>((b.z80_bank & 0x1C0) | (value & 0x3F));
        return;
    case 0xB:  // bank bit 6 from value bit 2, bits 7-8 from value bits 0-1
        b.z80_bank = static_cast<uint16_t>((b.z80_bank & 0x3F) | (value & 4) << 4 | (value & 3) << 7);
        return;
    case 0xC:
        if (port & 1) {
            r.sound_irq_pending &= value;
            report();
        }
        if (port & 4) orb_signal_irq(2);  // the V60's sound-board source
        return;
    case 0xD:
        if (port & 8) return;
        if ((port & 3) == 3)
            r.sound_irq_mask = value;
        else
            r.sound_irq_source[port & 3] = value;
        report();
        return;
    default:
        if (port == 0xF1) b.sound_latch = value;
        return;
    }
}

void orb_sound_signal_irq(int id) {
    orb_board.sound_irq_regs.sound_irq_pending |= lines_following(id);
    report();
}

void orb_sound_clear_irq(int id) {
    orb_board.sound_irq_regs.sound_irq_pending &= static_cast<uint8_t>(~lines_following(id));
    report();
}
