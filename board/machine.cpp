// Board record, guest bus and address map.
#include "board/machine.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

orb_board_record orb_board;

namespace {

constexpr uint32_t kUnmappedLogLimit = 64;

uint16_t ram_word(const uint8_t* ram, uint32_t offset) {
    return static_cast<uint16_t>(ram[offset] | ram[offset + 1] << 8);
}

void ram_store(uint8_t* ram, uint32_t offset, uint16_t value, uint16_t mask) {
    if (mask & 0x00FF) ram[offset] = static_cast<uint8_t>(value);
    if (mask & 0xFF00) ram[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t sprite_control_read(uint32_t reg) {
    const auto& b = orb_board;
    switch (reg) {
    case 0: return 0xFFFC | b.sprite_status;
    case 1: return 0xFFFD;
    case 6: return 0xFFFC | (b.sprite_latched[6] & 1);
    case 7: return 0xFFFC;
    default: return 0xFFFC | (b.sprite_latched[reg] & 3);
    }
}

uint16_t random_step() {
    uint32_t s = orb_board.rng_state * 1664525u + 1013904223u;
    orb_board.rng_state = s;
    return static_cast<uint16_t>(s ^ (s >> 15));
}

uint16_t unmapped_read(uint32_t a) {
    if (orb_board.unmapped_reads++ < kUnmappedLogLimit)
        orb_log("unmapped read %06X at PC %06X", a, orb_board.log_pc);
    return 0xFFFF;
}

void unmapped_write(uint32_t a, uint16_t value, uint16_t mask) {
    if (orb_board.unmapped_writes++ < kUnmappedLogLimit)
        orb_log("unmapped write %06X = %04X & %04X at PC %06X", a, value & mask, mask, orb_board.log_pc);
}

void palette_store(uint32_t index, uint16_t value, uint16_t mask, bool alternate) {
    uint16_t& entry = orb_board.palette[index];
    if (!alternate) {
        entry = static_cast<uint16_t>((value & mask) | (entry & ~mask));
        return;
    }
    uint16_t merged = static_cast<uint16_t>((value & mask) | (orb_palette_to_alternate(entry) & ~mask));
    entry = orb_palette_from_alternate(merged);
}

// One 16-bit bus read at the even address a & 0xFFFFFE, with the region's side effects.
uint16_t bus_read(uint32_t a) {
    a &= 0xFFFFFE;
    auto& b = orb_board;
    switch (a >> 20) {
    case 0x0:
    case 0x1: return ram_word(b.program_rom, a & 0x1FFFFF);
    case 0x2: return ram_word(b.work_ram, a & 0xFFFF);
    case 0x3: return ram_word(b.video_ram, a & 0x1FFFF);
    case 0x4: return ram_word(b.sprite_ram, a & 0x1FFFF);
    case 0x5: return sprite_control_read((a >> 1) & 7);
    case 0x6:
        if (a & 0x10000) return b.mixer_regs[(a >> 1) & 0x3F];
        if (a & 0x8000) return orb_palette_to_alternate(b.palette[(a >> 1) & 0x3FFF]);
        return b.palette[(a >> 1) & 0x3FFF];
    case 0x7: return ram_word(b.shared_ram, a & 0x1FFF);
    case 0xC: return static_cast<uint16_t>(0xFF00 | orb_io_read(a & 0x7E));
    case 0xD: return a < 0xD80000 ? 0xFFFF : random_step();
    case 0xF: return ram_word(b.program_rom, a & 0xFFFFF);
    default: return unmapped_read(a);
    }
}

// One 16-bit bus write at the even address a & 0xFFFFFE; mask selects the lanes
// (0x00FF the byte at the even address, 0xFF00 the odd one).
void bus_write(uint32_t a, uint16_t value, uint16_t mask) {
    a &= 0xFFFFFE;
    auto& b = orb_board;
    switch (a >> 20) {
    case 0x0:
    case 0x1:
    case 0xF: return;  // ROM
    case 0x2: ram_store(b.work_ram, a & 0xFFFF, value, mask); return;
    case 0x3: ram_store(b.video_ram, a & 0x1FFFF, value, mask); return;
    case 0x4: ram_store(b.sprite_ram, a & 0x1FFFF, value, mask); return;
    case 0x5:
        if (mask & 0x00FF) b.sprite_control[(a >> 1) & 7] = static_cast<uint8_t>(value);
        return;
    case 0x6:
        {
            if (a & 0x10000) {
                uint16_t& reg = b.mixer_regs[(a >> 1) & 0x3F];
                reg = static_cast<uint16_t>((value & mask) | (reg & ~mask));
                return;
            }
            uint32_t index = (a >> 1) & 0x3FFF;
            bool alternate = (a & 0x8000) != 0;
            palette_store(index, value, mask, alternate);
            // The mixer can ask for every palette write to land in both halves.
            if (b.mixer_regs[0x27] & 0x0880) palette_store(index ^ 0x2000, value, mask, alternate);
            return;
        }
    case 0x7: ram_store(b.shared_ram, a & 0x1FFF, value, mask); return;
    case 0xC:
        if (mask & 0x00FF) orb_io_write(a & 0x7E, static_cast<uint8_t>(value));
        return;
    case 0xD:
        if (a >= 0xD80000) return;  // random port: writes ignored
        if (mask & 0x00FF) int_control_write(a & 0xE, static_cast<uint8_t>(value));
        if (mask & 0xFF00) int_control_write((a & 0xE) + 1, static_cast<uint8_t>(value >> 8));
        return;
    default: unmapped_write(a, value, mask); return;
    }
}

}  // namespace

uint16_t orb_palette_to_alternate(uint16_t e) {
    uint32_t r = e & 0x1F, g = (e >> 5) & 0x1F, bl = (e >> 10) & 0x1F;
    return static_cast<uint16_t>((e & 0x8000) | (r >> 1) | (g >> 1) << 4 | (bl >> 1) << 8 | (r & 1) << 12 |
                                 (g & 1) << 13 | (bl & 1) << 14);
}

uint16_t orb_palette_from_alternate(uint16_t v) {
    uint32_t r = (v & 0xF) << 1 | ((v >> 12) & 1);
    uint32_t g = ((v >> 4) & 0xF) << 1 | ((v >> 13) & 1);
    uint32_t bl = ((v >> 8) & 0xF) << 1 | ((v >> 14) & 1);
    return static_cast<uint16_t>((v & 0x8000) | r | g << 5 | bl << 10);
}

uint8_t orb_read8(uint32_t a) {
    a &= 0xFFFFFF;
    switch (a >> 20) {  // plain memory: no side effects, read the byte itself
    case 0x2: return orb_board.work_ram[a & 0xFFFF];
    case 0x3: return orb_board.video_ram[a & 0x1FFFF];
    case 0x4: return orb_board.sprite_ram[a & 0x1FFFF];
    case 0x7: return orb_board.shared_ram[a & 0x1FFF];
    default:
        {
            uint16_t w = bus_read(a);
            return static_cast<uint8_t>(a & 1 ? w >> 8 : w);
        }
    }
}

uint16_t orb_read16(uint32_t a) {
    if (!(a & 1)) return bus_read(a);
    // Odd address: the high byte of the word below, then the low byte of the word above.
    uint16_t lo = static_cast<uint16_t>(bus_read(a - 1) >> 8);
    uint16_t hi = static_cast<uint16_t>(bus_read(a + 1) & 0xFF);
    return static_cast<uint16_t>(lo | hi << 8);
}

uint32_t orb_read32(uint32_t a) {
    if (!(a & 1)) {
        uint32_t lo = bus_read(a);
        return lo | static_cast<uint32_t>(bus_read(a + 2)) << 16;
    }
    uint32_t b0 = orb_read8(a);
    uint32_t mid = orb_read16(a + 1);
    uint32_t b3 = orb_read8(a + 3);
    return b0 | mid << 8 | b3 << 24;
}

void orb_write8(uint32_t a, uint8_t value) {
    if (a & 1)
        bus_write(a, static_cast<uint16_t>(value << 8), 0xFF00);
    else
        bus_write(a, value, 0x00FF);
}

void orb_write16(uint32_t a, uint16_t value) {
    if (!(a & 1)) {
        bus_write(a, value, 0xFFFF);
        return;
    }
    orb_write8(a, static_cast<uint8_t>(value));
    orb_write8(a + 1, static_cast<uint8_t>(value >> 8));
}

void orb_write32(uint32_t a, uint32_t value) {
    if (!(a & 1)) {
        orb_write16(a, static_cast<uint16_t>(value));
        orb_write16(a + 2, static_cast<uint16_t>(value >> 16));
        return;
    }
    orb_write8(a, static_cast<uint8_t>(value));
    orb_write16(a + 1, static_cast<uint16_t>(value >> 8));
    orb_write8(a + 3, static_cast<uint8_t>(value >> 24));
}

void orb_init(const uint8_t* program_rom) {
    orb_board_record& b = orb_board;
    const orb_callback_block callbacks = b.callbacks;
    const auto sound_rom = b.sound_rom;
    const auto eeprom_instant = b.eeprom_instant;

    std::memset(&b, 0, sizeof b);

    b.callbacks = callbacks;
    b.sound_rom = sound_rom;
    b.eeprom_instant = eeprom_instant;
    b.program_rom = program_rom;

    std::memset(b.eeprom, 0xFF, sizeof b.eeprom);
    std::memset(b.pcm_ram, 0xFF, sizeof b.pcm_ram);
    b.video_ram[0x1FF01] = 0x80;  // the video-control word starts in 416-pixel mode
    b.sprite_status = 1;
    b.rng_state = 0x9D14ABD7;
    std::memset(b.io.io_inputs, 0xFF, sizeof b.io.io_inputs);
    for (auto& reg : b.mixer_regs) reg = 0xFFFF;

    orb_reset();
}

void orb_reset() {
    orb_board.next_deadline = ~0ull;
    std::memset(orb_board.int_control, 0xFF, sizeof orb_board.int_control);
    orb_board.timer0_deadline = 0;
    orb_board.timer1_deadline = 0;
    orb_io_reset();
    if (orb_board.callbacks.irq_changed) orb_board.callbacks.irq_changed(orb_irq_asserted());
}

uint64_t orb_state_hash() {
    const auto& b = orb_board;
    uint64_t h = ORB_FNV_OFFSET;
    h = orb_fnv1a(h, b.work_ram, 0xFE00);
    h = orb_fnv1a(h, b.video_ram, sizeof b.video_ram);
    h = orb_fnv1a(h, b.sprite_ram, sizeof b.sprite_ram);
    for (uint16_t e : b.palette) {
        uint8_t bytes[2] = {static_cast<uint8_t>(e), static_cast<uint8_t>(e >> 8)};
        h = orb_fnv1a(h, bytes, 2);
    }
    for (uint16_t r : b.mixer_regs) {
        uint8_t bytes[2] = {static_cast<uint8_t>(r), static_cast<uint8_t>(r >> 8)};
        h = orb_fnv1a(h, bytes, 2);
    }
    return h;
}

void orb_log(const char* format, ...) {
    if (!orb_board.callbacks.log) return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    orb_board.callbacks.log(text);
}
