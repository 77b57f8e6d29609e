// Stage, area and scene set-up from the ROM descriptors: the graphics
// decompression job, layer mode, mixer nibbles and palettes, the four cameras
// with the playfield camera, the area's controller object, and the objects of
// an area's object list.
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kSceneModeJump = 0x085094;   // the scene layer mode's computed jump
constexpr uint32_t kSceneModeTable = 0x08509A;  // 4 × 32-bit code addresses
constexpr uint32_t kStageModeJump = 0x08514C;   // the stage layer mode's branch table jump
constexpr uint32_t kStageModeTable = 0x08514F;  // 5 × 3-byte branches
constexpr uint32_t kFinalAreaPalette = 0x121234;
constexpr uint8_t kFinalArea = 20;        // (stage - 1) × 5 + area
constexpr uint32_t kControllerArea = 45;  // the area controller object's area byte

// Scene descriptor.
namespace scene {
constexpr uint32_t job_list = 0;
constexpr uint32_t page_picks = 4;
constexpr uint32_t mixer_nibbles = 8;
constexpr uint32_t layer_mode = 12;  // 16-bit
constexpr uint32_t palette = 14;
}  // namespace scene

// Stage descriptor.
namespace stage_descriptor {
constexpr uint32_t job_list = 0;
constexpr uint32_t source_base = 4;
constexpr uint32_t selectors = 8;   // byte per area: camera 4 - s is the playfield's
constexpr uint32_t areas = 16;      // 36-byte area records
constexpr uint32_t area_size = 36;  // controller routine, then per camera map, x, y
}  // namespace stage_descriptor

constexpr uint32_t kLayerBit = 1u << 10;

// A layer mode: layer control bit 10 and bit 0 of port H (read, changed,
// written back).
void layer_mode(bool layer_bit, bool port_bit) {
    const uint16_t control = orb_read16(var::layer_control);
    orb_write16(var::layer_control, layer_bit ? control | kLayerBit : control & ~kLayerBit);
    const uint8_t port = orb_read8(hw::port_h);
    orb_write8(hw::port_h, port_bit ? port | 1u : port & ~1u);
}

// Each of the four mixer words: bits 0-3 cleared, then its low byte ORed
// with nibble byte i; then the mixer shadow upload asked for.
void mixer_nibbles(uint32_t nibbles) {
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t word = var::area_mixer_words + 2 * i;
        orb_write16(word, (orb_read16(word) & ~0xFu) | orb_read8(nibbles + i));
    }
    set_bit(var::system_flags, system_flag::mixer_upload);
}

}  // namespace

// Scene set-up from the descriptor at R19: graphics job, page picks, mixer
// nibbles, layer mode (index 0-3; any other has no branch), cameras at 0,
// then the palette job list queued.
void sub_085046() {
    ROUTINE_ENTRY(0x085046);
    orb_write32(var::decomp_job, orb_read32(cpu.reg[19] + scene::job_list));
    orb_write32(var::decomp_job + decomp_field::source_base, rom::graphics_source);
    for (uint32_t k = 0; k < 4; ++k)
        orb_write8(var::page_picks + 4 * k, orb_read8(cpu.reg[19] + scene::page_picks + k));
    mixer_nibbles(cpu.reg[19] + scene::mixer_nibbles);
    const uint16_t mode = orb_read16(cpu.reg[19] + scene::layer_mode);
    switch (mode) {
    case 0: layer_mode(false, false); break;
    case 1: layer_mode(true, false); break;
    case 2: layer_mode(false, true); break;
    case 3: layer_mode(true, true); break;
    default: v60_unknown_jump(kSceneModeTable + 4u * mode, kSceneModeJump);
    }
    for (uint32_t k = 0; k < 4; ++k)
        orb_write32(var::camera_records + camera_record::size * k + camera_record::x, 0);
    set_bit(var::system_flags, system_flag::video_upload_all);
    cpu.reg[19] = orb_read32(cpu.reg[19] + scene::palette);
    if (!call(sub_0896A0, 0x0850F4, 0x0850F0)) return;
    ret();
}

// Stage graphics set-up: the stage's descriptor, its graphics job (in the
// demo the demo's), its layer mode (0-4, 0 and 4 alike; any other has no
// branch) and its palette job list.
void sub_085118() {
    ROUTINE_ENTRY(0x085118);
    const uint8_t stage = orb_read8(var::stage);
    const uint32_t descriptor = orb_read32(rom::stage_descriptor_table + 4u * stage);
    orb_write32(var::stage_descriptor_pointer, descriptor);
    uint32_t graphics = descriptor + stage_descriptor::job_list;
    if (test_bit(var::game_flags, game_flag::demo_play))
        graphics = orb_read32(rom::demo_graphics + 4u * orb_read8(var::demo_index));
    orb_write32(var::decomp_job, orb_read32(graphics));
    orb_write32(var::decomp_job + decomp_field::source_base,
                orb_read32(graphics + stage_descriptor::source_base));
    const uint8_t mode = orb_read8(rom::stage_modes + stage);
    switch (mode) {
    case 0:
    case 4: layer_mode(false, false); break;
    case 1: layer_mode(true, false); break;
    case 2: layer_mode(false, true); break;
    case 3: layer_mode(true, true); break;
    default: v60_unknown_jump(kStageModeTable + 3u * mode, kStageModeJump);
    }
    set_bit(var::system_flags, system_flag::video_upload_all);
    cpu.reg[19] = orb_read32(rom::stage_palette_blocks + 4u * stage);
    if (!call(sub_0896A0, 0x085174, 0x085170)) return;
    ret();
}

// Area set-up: video shadow defaults, the area's controller object (none when
// the 64-byte pool is empty), the four cameras from the area record, each
// applied at once, the playfield camera by the area's selector; the final
// area's layer mode and palette; the area's mixer nibbles.
void sub_0851BC() {
    ROUTINE_ENTRY(0x0851BC);
    orb_write8(var::camera_script_hold, 0);
    move_halfwords(rom::video_defaults, var::video_shadow + 2, 71);
    if (!call(sub_088C77, 0x0851C6, 0x0851C2)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x0851CE, 0x0851CA)) return;
        const uint32_t descriptor = orb_read32(var::stage_descriptor_pointer);
        const uint8_t area = orb_read8(var::area);
        orb_write8(cpu.reg[21] + kControllerArea, area);
        orb_write32(cpu.reg[21] + object_record::routine,
                    orb_read32(descriptor + stage_descriptor::areas + stage_descriptor::area_size * area));
        orb_write32(var::area_controller, cpu.reg[21]);
    }
    // R10: the area record's camera entries; R15, R0, R11: the camera being
    // set, its scroll words and its page picks.
    cpu.reg[10] = orb_read32(var::stage_descriptor_pointer) + stage_descriptor::areas +
                  stage_descriptor::area_size * orb_read8(var::area) + 4;
    cpu.reg[15] = var::camera_records;
    cpu.reg[0] = (var::scroll_words - var::game_mode) / 2;
    cpu.reg[11] = var::page_picks;
    cpu.reg[1] = 4;
    do {
        orb_write32(cpu.reg[15] + camera_record::map_header, orb_read32(cpu.reg[10]));
        orb_write16(cpu.reg[15] + camera_record::x, orb_read16(cpu.reg[10] + 4));
        orb_write16(cpu.reg[15] + camera_record::applied_x, orb_read16(cpu.reg[10] + 4));
        orb_write16(cpu.reg[15] + camera_record::y, orb_read16(cpu.reg[10] + 6));
        orb_write16(cpu.reg[15] + camera_record::applied_y, orb_read16(cpu.reg[10] + 6));
        if (!call(sub_0852B1, 0x0851D6, 0x0851D2)) return;
        const uint32_t descriptor = orb_read32(var::stage_descriptor_pointer);
        cmp<uint8_t>(cpu.reg[1], orb_read8(descriptor + stage_descriptor::selectors + orb_read8(var::area)));
        if (eq()) {
            orb_write32(var::camera_pointer, cpu.reg[15]);
            orb_write32(var::playfield_camera_copy, cpu.reg[15]);
        }
        cpu.reg[10] += 8;
        cpu.reg[15] += camera_record::size;
        cpu.reg[0] += 4;
        cpu.reg[1] = dec<uint32_t>(cpu.reg[1]);
    } while (ne());
    set_bit(var::system_flags, system_flag::video_upload_all);
    const uint8_t entry = static_cast<uint8_t>((orb_read8(var::stage) - 1u) * 5u + orb_read8(var::area));
    if (entry == kFinalArea) {
        layer_mode(false, false);
        set_bit(var::system_flags, system_flag::video_upload_all);
        cpu.reg[19] = kFinalAreaPalette;
        if (!call(sub_0896A0, 0x0851DE, 0x0851DA)) return;
    }
    mixer_nibbles(rom::area_mixer_nibbles + 4u * static_cast<uint8_t>(entry - 1u));
    ret();
}

// Spawns the area's object list: three groups (256-, 128- then 64-byte
// objects), each a count and that many routine addresses; each object linked
// at the tail with its routine. A pool that runs out ends its group, whose
// remaining addresses are passed over; then the ring's head and tail are
// saved. Uses R10 (the list) and R1 (left in the group).
void sub_088BED() {
    ROUTINE_ENTRY(0x088BED);
    cpu.reg[10] = orb_read32(orb_read32(rom::object_list_table + 4u * orb_read8(var::stage)) +
                             4u * orb_read8(var::area));
    for (uint32_t group = 0; group < 3; ++group) {
        cpu.reg[1] = orb_read8(cpu.reg[10]);
        cpu.reg[10] += 1;
        for (; cpu.reg[1] != 0; --cpu.reg[1]) {
            if (group == 0) {
                if (!call(sub_088C57, 0x088BF7, 0x088BF3)) return;
            } else if (group == 1) {
                if (!call(sub_088C67, 0x088BFF, 0x088BFB)) return;
            } else {
                if (!call(sub_088C77, 0x088C07, 0x088C03)) return;
            }
            if (eq()) {
                // The pool is empty: the group's remaining addresses are skipped
                // so that the next group's count is read where it stands.
                cpu.reg[10] += 4 * cpu.reg[1];
                break;
            }
            if (!call(sub_088CA5, 0x088C0F, 0x088C0B)) return;
            orb_write32(cpu.reg[21] + object_record::routine, orb_read32(cpu.reg[10]));
            cpu.reg[10] += 4;
        }
    }
    orb_write16(var::active_head, static_cast<uint16_t>(cpu.reg[22]));
    orb_write16(var::active_tail, static_cast<uint16_t>(cpu.reg[24]));
    ret();
}
