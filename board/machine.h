// The board record, the guest memory bus, the interrupt controller, the
// timers and the frame clock. Everything the translated program reaches of the
// board goes through the accessors declared here.
#pragma once
#include <cstdint>

#include "board/eeprom.h"
#include "board/io.h"
#include "board/sound.h"

// Board time: 16,107,950 ticks per second, 60 frames of 262 lines.
constexpr uint64_t ORB_TICKS_PER_SECOND = 16'107'950;
constexpr uint64_t ORB_LINES_PER_SECOND = 15'720;
constexpr uint32_t ORB_SPRITE_UPDATE_DELAY = 805;

using orb_fm_read_fn = uint8_t (*)(int chip, int reg);
using orb_fm_write_fn = void (*)(int chip, int reg, uint8_t value);
using orb_pcm_write_fn = void (*)(int reg, uint8_t value);
using orb_pcm_memory_read_fn = uint8_t (*)(int offset);
using orb_pcm_memory_write_fn = void (*)(int offset, uint8_t value);
using orb_irq_changed_fn = void (*)(int level);
using orb_void_fn = void (*)();
using orb_sprites_fn = void (*)(bool clear, bool draw);
using orb_time_passes_fn = void (*)(uint64_t until);
using orb_sound_irq_fn = void (*)(bool asserted, uint8_t vector);
using orb_sound_reset_fn = void (*)(bool held);
using orb_log_fn = void (*)(const char* text);

// Everything the board calls outside itself. The board skips a call whose
// pointer is empty, except the five sound-chip callbacks, which the Z80 side
// calls unconditionally; orb_init keeps the block whole.
struct orb_callback_block {
    orb_fm_read_fn fm_read;
    orb_fm_write_fn fm_write;
    orb_pcm_write_fn pcm_write;
    orb_pcm_memory_read_fn pcm_memory_read;
    orb_pcm_memory_write_fn pcm_memory_write;
    orb_irq_changed_fn irq_changed;
    orb_void_fn controls_update;
    orb_void_fn frame;
    orb_sprites_fn sprites;
    orb_time_passes_fn time_passes;
    orb_sound_irq_fn sound_irq;
    orb_sound_reset_fn sound_reset;
    orb_log_fn log;
};

struct orb_board_record {
    const uint8_t* program_rom;
    uint8_t work_ram[0x10000];
    uint8_t video_ram[0x20000];
    uint8_t sprite_ram[0x20000];
    uint16_t palette[0x4000];
    uint16_t mixer_regs[64];
    uint8_t shared_ram[0x2000];
    uint8_t sprite_control[8];
    uint8_t sprite_latched[8];
    uint8_t sprite_status;
    uint32_t sprite_countdown;
    uint32_t sprite_updates;
    uint8_t int_control[16];
    uint64_t timer0_deadline;
    uint64_t timer1_deadline;
    uint64_t next_deadline;
    uint64_t now;
    uint8_t eeprom_instant;
    uint64_t frame_count;
    uint32_t frame_phase;
    orb_io_block io;
    uint16_t eeprom[64];
    orb_eeprom_engine eeprom_state;
    const uint8_t* sound_rom;
    uint8_t pcm_ram[0x10000];
    uint16_t z80_bank;
    orb_sound_irq_regs sound_irq_regs;
    uint8_t sound_latch;
    uint32_t rng_state;
    uint32_t sound_irq_writes;
    uint32_t unmapped_reads;
    uint32_t unmapped_writes;
    uint32_t log_pc;
    orb_callback_block callbacks;
};

extern orb_board_record orb_board;

// Guest memory: 24-bit addresses, little-endian, 16-bit bus cycles.
uint8_t orb_read8(uint32_t address);
uint16_t orb_read16(uint32_t address);
uint32_t orb_read32(uint32_t address);
void orb_write8(uint32_t address, uint8_t value);
void orb_write16(uint32_t address, uint16_t value);
void orb_write32(uint32_t address, uint32_t value);

void orb_init(const uint8_t* program_rom);
void orb_reset();
uint64_t orb_state_hash();
void orb_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Palette layouts: the stored one (flag, blue, green, red, 5 bits each) and
// the alternate one the bus offers at A bit 15 = 1.
uint16_t orb_palette_to_alternate(uint16_t stored);
uint16_t orb_palette_from_alternate(uint16_t alternate);

// Interrupt controller, timers and frame clock.
void orb_wait();
uint8_t orb_irq_acknowledge();
void orb_signal_irq(unsigned n);
void orb_run_timers();
void orb_sprite_update();
void int_control_write(unsigned index, uint8_t value);
uint64_t orb_frame_start(uint64_t n);
uint64_t orb_line_start(uint64_t n, int line);
void orb_vblank_start();
void orb_vblank_end();
uint64_t orb_next_timer();
int orb_irq_asserted();

// FNV-1a 64-bit, the hash every "compare two runs" check uses.
constexpr uint64_t ORB_FNV_OFFSET = 0xcbf29ce484222325ull;
constexpr uint64_t ORB_FNV_PRIME = 0x100000001b3ull;
inline uint64_t orb_fnv1a(uint64_t hash, const void* data, uint64_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (uint64_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * ORB_FNV_PRIME;
    return hash;
}
