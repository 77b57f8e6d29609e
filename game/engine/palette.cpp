// Palette queue and fades: palette jobs queued during the frame and copied
// into palette RAM at the next vblank, the fixed palettes of start-up, and the
// fade that steps a level into the mixer's colour-offset words.
#include "game/routines.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kJobs = var::palette_queue + 4;  // 32-bit jobs after the count
constexpr uint32_t kQueueSize = 64;
constexpr uint32_t kBlockList = 0x80000000;    // job bit: a block list, not a block
constexpr uint32_t kStagePalettes = 0x0897D8;  // 32-bit record address per stage

// Fade presets: level, step, target, channel mask.
constexpr uint8_t kFadeRunning = 18;
// The preset dispatch is a table of 3-byte branches indexed by the preset
// byte itself; these are where that jump and its table lie.
constexpr uint32_t kFadeJump = 0x089744;
constexpr uint32_t kFadeTable = 0x089747;
constexpr uint32_t kColourOffsetHigh = var::mixer_shadow + 0x3F;  // high byte of word 0x208B3E
constexpr uint32_t kColourOffsets = var::mixer_shadow + 0x40;     // three 16-bit levels

uint32_t fade(uint32_t field) { return var::fade_record + field; }

}  // namespace

// Loads the fixed palettes of start-up into palette RAM, in this order.
void sub_089674() {
    ROUTINE_ENTRY(0x089674);
    cpu.reg[19] = rom::text_palette;
    if (!call(sub_0896F1, 0x08967E, 0x08967A)) return;
    cpu.reg[19] = rom::scene_palette;
    if (!call(sub_0896F1, 0x089688, 0x089684)) return;
    cpu.reg[19] = rom::tile_palette;
    if (!call(sub_0896F1, 0x089691, 0x08968D)) return;
    ret();
}

// Queues the current stage's palette block (`stage` counts from 1).
void sub_089692() {
    ROUTINE_ENTRY(0x089692);
    cpu.reg[19] = orb_read32(kStagePalettes + 4 * (load_zx8(var::stage) - 1));
    sub_0896A9();
}

// Queues the block list at R19.
void sub_0896A0() {
    ROUTINE_ENTRY(0x0896A0);
    cpu.reg[8] = kBlockList;
    sub_0896AC();
}

// Queues the plain block at R19.
void sub_0896A9() {
    ROUTINE_ENTRY(0x0896A9);
    cpu.reg[8] = 0;
    sub_0896AC();
}

// Queues the job R19 OR R8 for the next vblank; with 64 jobs waiting the job
// is dropped. In: R19 = the ROM record, R8 = 0x80000000 for a block list or 0.
void sub_0896AC() {
    ROUTINE_ENTRY(0x0896AC);
    const uint32_t n = orb_read32(var::palette_queue);
    cmp<uint32_t>(n, kQueueSize);
    if (less()) {
        orb_write32(kJobs + 4 * n, cpu.reg[19] | cpu.reg[8]);
        orb_write32(var::palette_queue, n + 1);
    }
    ret();
}

// Drains the palette queue (vblank): every job in queue order, then the count
// back to 0. Uses R0 (jobs left), R1 (the next job) and R19.
void sub_0896CB() {
    ROUTINE_ENTRY(0x0896CB);
    cpu.reg[0] = orb_read32(var::palette_queue);
    cpu.reg[1] = kJobs;
    while (cpu.reg[0] != 0) {
        const uint32_t job = orb_read32(cpu.reg[1]);
        cpu.reg[19] = job & ~kBlockList;
        if (job & kBlockList) {
            if (!call(sub_089705, 0x0896E0, 0x0896DD)) return;
        } else {
            if (!call(sub_0896F1, 0x0896E5, 0x0896E2)) return;
        }
        cpu.reg[1] += 4;
        cpu.reg[0] -= 1;
    }
    orb_write32(var::palette_queue, 0);
    ret();
}

// Copies a palette block into palette RAM at once: at 0x600000 + its offset
// word, its count of colours. In: R19 = the block. Out: R27 = the end of the
// colours written, R28 = the end of the record.
void sub_0896F1() {
    ROUTINE_ENTRY(0x0896F1);
    const uint32_t destination = hw::palette + orb_read16(cpu.reg[19]);
    move_halfwords(cpu.reg[19] + 4, destination, orb_read16(cpu.reg[19] + 2));
    ret();
}

// Copies a palette block list into palette RAM at once: each entry names a
// 16-colour set, a palette offset and a row count, and the set fills that many
// 32-byte rows from the offset. In: R19 = the list.
void sub_089705() {
    ROUTINE_ENTRY(0x089705);
    uint32_t entry = cpu.reg[19] + 2;
    for (uint32_t m = orb_read16(cpu.reg[19]); m != 0; --m, entry += 6) {
        const uint32_t source = rom::colour_sets + orb_read16(entry);
        uint32_t destination = hw::palette + orb_read16(entry + 2);
        for (uint32_t rows = orb_read16(entry + 4); rows != 0; --rows, destination += 32)
            move_halfwords(source, destination, 16);
    }
    ret();
}

// One fade step (vblank, while system_flags bit 3 is set). A new preset in
// byte 0x208017 loads level, step, target and channel mask and marks the fade
// running (18); then the level moves by the step modulo 64 and goes to the
// colour-offset words the mask's top three bits select, and the fade ends when
// the level meets its target. Any other preset byte has no branch.
void sub_08973C() {
    ROUTINE_ENTRY(0x08973C);
    const uint8_t preset = orb_read8(fade(fade_record::preset));
    uint32_t values = 0;
    switch (preset) {
    case 0:
    case 21: values = rom::fade_presets; break;
    case 3: values = rom::fade_presets + 4; break;
    case 6: values = rom::fade_presets + 8; break;
    case 9: values = rom::fade_presets + 12; break;
    case 12: values = rom::fade_presets + 16; break;
    case 15: values = rom::fade_presets + 20; break;
    case kFadeRunning: break;
    default: v60_unknown_jump(kFadeTable + preset, kFadeJump);
    }
    if (values != 0) {
        orb_write8(fade(fade_record::level), orb_read8(values));
        orb_write8(fade(fade_record::step), orb_read8(values + 1));
        orb_write8(fade(fade_record::target), orb_read8(values + 2));
        orb_write8(fade(fade_record::channels), orb_read8(values + 3));
        orb_write8(fade(fade_record::preset), kFadeRunning);
    }
    const uint8_t level = logic<uint8_t>(
        add<uint8_t>(orb_read8(fade(fade_record::level)), orb_read8(fade(fade_record::step))) & 63);
    orb_write8(fade(fade_record::level), level);
    orb_write8(kColourOffsetHigh, 0xC0);
    uint32_t to = kColourOffsets;
    const uint8_t channels = orb_read8(fade(fade_record::channels));
    for (unsigned bit = 7; bit >= 5; --bit) {
        if (channels >> bit & 1) {
            orb_write16(to, level);
            to += 2;
        }
    }
    cmp<uint8_t>(level, orb_read8(fade(fade_record::target)));
    if (eq()) clear_bit(var::system_flags, system_flag::fade_running);
    ret();
}
