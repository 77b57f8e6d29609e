// The enemy kinds' children: the boss bar's starter, the afterimage trail,
// kind 2's three fixed parts, the overlays of kinds 13/14 and 5/6 that show
// only during chosen animations of their enemy, the defeat wrapper of kinds
// 22 to 26 with the piece that flies off, and the scripted entrance state.
// None of them counts as a live enemy or registers a hit box.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint8_t kSpawnInterval = 4;
constexpr uint8_t kAfterimageLife = 12;
constexpr uint16_t kAfterimageKey = static_cast<uint16_t>(-125);

// A kind-2 part's states, the places of its ROM state table's entries.
namespace part_state {
constexpr uint8_t standing = 0, zoomed = 1;
}  // namespace part_state

namespace part_entry {
constexpr uint32_t script = 0;
constexpr uint32_t x_offset = 4;
constexpr uint32_t y_offset = 6;
constexpr uint32_t height_offset = 8;
constexpr uint32_t zoomed_height = 10;
constexpr uint32_t size = 12;
}  // namespace part_entry

constexpr uint16_t kSideDistance = 140;

constexpr uint8_t kDefeatSound = 0xF5;
constexpr uint16_t kScreenWidth = 320;

constexpr uint8_t kEntranceSound = 0xF4;
constexpr uint32_t kCommandJump = 0x073752;
constexpr uint32_t kStepJump = 0x07372C;
constexpr uint16_t kSideEntry = 1220;
constexpr uint16_t kFrontEntry = 915;
constexpr uint16_t kDropHeight = 780;
constexpr uint16_t kCameraPatience = 900;
constexpr uint16_t kScreenMiddle = 160;

// The first copied sprite part's two halfwords (+96 to +127) and the part
// count, as an afterimage takes them from its enemy.
constexpr uint32_t kCopiedHalfwords = 16;

// Looks the enemy's running animation script up in a list of u32 scripts
// ended by a negative entry. Z set when it is listed.
void find_script(uint32_t enemy, uint32_t list) {
    const uint32_t script = orb_read32(enemy + object_record::frame_table) - 1;
    for (uint32_t at = list;; at += 4) {
        const uint32_t listed = orb_read32(at);
        cmp<uint32_t>(script, listed);
        if (eq()) return;
        test<uint32_t>(listed);
        if (negative()) {
            cpu.z = 0;
            return;
        }
    }
}

// An overlay shows: the enemy's mirror bit and bit 0, its position with the
// given offsets from the enemy's.
void place_overlay(uint32_t overlay, uint32_t enemy, uint16_t dx, uint16_t dy, uint16_t dh) {
    orb_write16(
        overlay + object_record::flags,
        logic<uint16_t>((orb_read16(enemy + object_record::flags) & 1u << object_flag::mirror_x) | 1));
    orb_write16(overlay + object_record::world_x,
                add<uint16_t>(orb_read16(enemy + object_record::world_x), dx));
    orb_write16(overlay + object_record::world_y,
                add<uint16_t>(orb_read16(enemy + object_record::world_y), dy));
    orb_write16(overlay + object_record::height,
                add<uint16_t>(orb_read16(enemy + object_record::height), dh));
}

// An overlay whose enemy has left play: flags cleared and the removal routine
// installed, which frees it in the next frame.
bool overlay_orphaned(uint32_t overlay, uint32_t enemy, uint32_t removal) {
    if (test_bit(enemy + object_record::flags, object_flag::alive)) return false;
    orb_write16(overlay + object_record::flags, 0);
    orb_write32(overlay + object_record::routine, removal);
    return true;
}

// The entrance's end: standing, a target again, state 1.
void end_entrance(uint32_t enemy) {
    orb_write8(enemy + object_record::velocity_x, 0);
    orb_write8(enemy + object_record::velocity_y, 0);
    clear_bit(enemy + object_record::flags, object_flag::intangible);
    orb_write8(enemy + object_record::state, enemy_state::regroup);
}

void set_velocities(uint32_t enemy, uint8_t vx, uint8_t vy, uint8_t rise) {
    orb_write8(enemy + object_record::velocity_x, vx);
    orb_write8(enemy + object_record::velocity_y, vy);
    orb_write8(enemy + object_record::rise_speed, rise);
}

// The drop and the front entry face the screen's middle.
void face_middle(uint32_t enemy) {
    cmp<uint16_t>(orb_read16(enemy + object_record::screen_x), kScreenMiddle);
    if (less()) set_bit(enemy + object_record::flags, object_flag::mirror_x);
}

}  // namespace

// ---- afterimage trail ----

// Afterimage spawner: a 64-byte object, never drawn, that makes an afterimage
// of its enemy every 4 frames. In: R20 = the enemy. Out: Z set when the
// 64-byte pool was empty (nothing made).
void sub_0696A7() {
    ROUTINE_ENTRY(0x0696A7);
    if (!call(sub_088C77, 0x0696AC, 0x0696A7)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0696B3, 0x0696AE)) return;
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write8(cpu.reg[21] + object_record::enemy_timer, kSpawnInterval);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_0696C6 /* spawner */);
    ret();
}

// The spawner's routine: one afterimage when its count reaches 0, the first
// in its 4th frame; once the enemy's flags lose bit 0 it frees itself.
// In: R20 = the spawner. Out: R10 = the enemy.
void sub_0696C6() {
    ROUTINE_ENTRY(0x0696C6);
    const uint32_t spawner = cpu.reg[20];
    cpu.reg[10] = linked(spawner, object_record::owner);
    if (!test_bit(cpu.reg[10] + object_record::flags, object_flag::alive)) {
        if (!call(sub_088CD3, 0x0696D5, 0x0696D0)) return;
        actors::push_free_64(cpu.reg[20]);
        ret();
        return;
    }
    orb_write8(spawner + object_record::enemy_timer,
               dec<uint8_t>(orb_read8(spawner + object_record::enemy_timer)));
    if (ne()) {
        ret();
        return;
    }
    if (!call(sub_0696ED, 0x0696E3, 0x0696DE)) return;
    orb_write8(cpu.reg[20] + object_record::enemy_timer, kSpawnInterval);
    ret();
}

// One afterimage: a 128-byte object of the spawner's enemy. In: R20 = the
// spawner. Out: Z set when the 128-byte pool was empty.
void sub_0696ED() {
    ROUTINE_ENTRY(0x0696ED);
    if (!call(sub_088C67, 0x0696F2, 0x0696ED)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0696F9, 0x0696F4)) return;
    orb_write16(cpu.reg[21] + object_record::owner, orb_read16(cpu.reg[20] + object_record::owner));
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_06970A /* afterimage first */);
    ret();
}

// An afterimage's first frame: the enemy's mirror bit, position, animation
// mode, part count and first two sprite parts, shown from its own copy; not
// listed this frame. In: R20 = the afterimage.
void sub_06970A() {
    ROUTINE_ENTRY(0x06970A);
    const uint32_t image = cpu.reg[20];
    cpu.reg[10] = linked(image, object_record::owner);
    const uint32_t enemy = cpu.reg[10];
    orb_write16(image + object_record::flags,
                logic<uint16_t>(orb_read16(enemy + object_record::flags) & 1u << object_flag::mirror_x));
    orb_write16(image + object_record::world_x, orb_read16(enemy + object_record::world_x));
    orb_write16(image + object_record::world_y, orb_read16(enemy + object_record::world_y));
    orb_write16(image + object_record::height, orb_read16(enemy + object_record::height));
    orb_write8(image + object_record::anim_mode, orb_read8(enemy + object_record::anim_mode));
    orb_write8(image + object_record::copied_parts, orb_read8(enemy + object_record::copied_parts));
    move_halfwords(enemy + object_record::copied_parts + 1, image + object_record::copied_parts + 1,
                   kCopiedHalfwords);
    orb_write32(image + object_record::frame, image + object_record::copied_parts);
    orb_write8(image + object_record::enemy_timer, kAfterimageLife);
    orb_write32(image + object_record::routine, entry::sub_069755 /* afterimage */);
    ret();
}

// An afterimage's routine: it blinks (shown every other frame) where it was
// made, and goes after 12 frames. In: R20 = the afterimage.
void sub_069755() {
    ROUTINE_ENTRY(0x069755);
    const uint32_t image = cpu.reg[20];
    not_bit(image + object_record::flags, object_flag::hidden);
    orb_write8(image + object_record::enemy_timer,
               dec<uint8_t>(orb_read8(image + object_record::enemy_timer)));
    if (eq()) {
        if (!call(sub_088CD3, 0x069765, 0x069760)) return;
        sub_088D0C();
        return;
    }
    if (!call(sub_062044, 0x06976F, 0x06976A)) return;
    cpu.reg[0] = sx16(kAfterimageKey);
    sub_0620DC();
}

// ---- boss name-and-energy bar ----

// Bar start with the low byte of R1 cleared. In: R0 low byte = the subject,
// R20 = the enemy.
void sub_06978D() {
    ROUTINE_ENTRY(0x06978D);
    set8(cpu.reg[1], 0);
    sub_069799();
}

// Bar start for the enemy's own kind, variant 0. In: R20 = the enemy.
void sub_069792() {
    ROUTINE_ENTRY(0x069792);
    set8(cpu.reg[1], 0);
    sub_069795();
}

// Bar start for the enemy's own kind. In: R1 low byte = the variant, R20 =
// the enemy.
void sub_069795() {
    ROUTINE_ENTRY(0x069795);
    set8(cpu.reg[0], orb_read8(cpu.reg[20] + object_record::type));
    sub_069799();
}

// Bar start: a 64-byte bar object owned by the enemy, with its subject,
// variant, energy and step; the energy must already be set. The step is
// (energy x 32 + 85) / 86 in 16 bits: the sum wraps before the division.
// In: R0 low byte = subject, R1 low byte = variant, R20 = the enemy.
// Out: Z set when the 64-byte pool was empty (nothing made).
void sub_069799() {
    ROUTINE_ENTRY(0x069799);
    if (!call(sub_088C77, 0x06979E, 0x069799)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0697A5, 0x0697A0)) return;
    const uint32_t bar = cpu.reg[21];
    orb_write16(bar + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write8(bar + object_record::type, static_cast<uint8_t>(cpu.reg[0]));
    orb_write8(bar + object_record::state, static_cast<uint8_t>(cpu.reg[1]));
    const uint16_t energy = orb_read16(cpu.reg[20] + object_record::energy);
    orb_write16(bar + enemy_child::bar_energy, energy);
    cpu.reg[2] = energy;
    set16(cpu.reg[2], add<uint16_t>(shl<uint16_t>(cpu.reg[2], 5), 85));
    set16(cpu.reg[2], divu<uint16_t>(cpu.reg[2], 86));
    orb_write16(bar + enemy_child::bar_step, static_cast<uint16_t>(cpu.reg[2]));
    orb_write32(bar + object_record::routine, entry::sub_0697D7 /* bar */);
    ret();
}

// ---- kind 2's parts ----

// Kind-2 part 0. In: R20 = the enemy.
void sub_06C438() {
    ROUTINE_ENTRY(0x06C438);
    cpu.reg[0] = 0;
    sub_06C445();
}

// Kind-2 part 1. In: R20 = the enemy.
void sub_06C43D() {
    ROUTINE_ENTRY(0x06C43D);
    cpu.reg[0] = 1;
    sub_06C445();
}

// Kind-2 part 2. In: R20 = the enemy.
void sub_06C442() {
    ROUTINE_ENTRY(0x06C442);
    cpu.reg[0] = 2;
    sub_06C445();
}

// Kind-2 part spawn: a 128-byte object with its part entry. In: R0 = the part
// number, R20 = the enemy. Out: R21 = the part; Z set when the 128-byte pool
// was empty.
void sub_06C445() {
    ROUTINE_ENTRY(0x06C445);
    if (!call(sub_088C67, 0x06C44A, 0x06C445)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x06C451, 0x06C44C)) return;
    const uint32_t part = cpu.reg[21];
    orb_write16(part + object_record::flags, 0);
    orb_write16(part + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write32(part + object_record::next_script, rom::kind2_part_entries + part_entry::size * cpu.reg[0]);
    orb_write32(part + object_record::routine, entry::sub_06C46F /* part first */);
    ret();
}

// A kind-2 part's first frame: its animation, and its place by the enemy's
// (the entry's Y offset lifts the height too); the entry's zoomed height is
// kept in the low half of +24. In: R20 = the part. Uses R10 = the enemy,
// R11 = the entry.
void sub_06C46F() {
    ROUTINE_ENTRY(0x06C46F);
    const uint32_t part = cpu.reg[20];
    cpu.reg[10] = linked(part, object_record::owner);
    cpu.reg[11] = orb_read32(part + object_record::next_script);
    cpu.reg[19] = orb_read32(cpu.reg[11] + part_entry::script);
    if (!call(sub_061F67, 0x06C47D, 0x06C478)) return;
    const uint32_t enemy = cpu.reg[10], entry = cpu.reg[11];
    orb_write16(part + object_record::world_x, add<uint16_t>(orb_read16(enemy + object_record::world_x),
                                                             orb_read16(entry + part_entry::x_offset)));
    orb_write16(part + object_record::world_y, add<uint16_t>(orb_read16(enemy + object_record::world_y),
                                                             orb_read16(entry + part_entry::y_offset)));
    uint16_t height =
        add<uint16_t>(orb_read16(enemy + object_record::height), orb_read16(entry + part_entry::y_offset));
    height = add<uint16_t>(height, orb_read16(entry + part_entry::height_offset));
    orb_write16(part + object_record::height, height);
    orb_write16(part + object_record::next_script, orb_read16(entry + part_entry::zoomed_height));
    orb_write8(part + object_record::state, part_state::standing);
    orb_write32(part + object_record::routine, entry::sub_06C4B8 /* part */);
    sub_06C4B8();
}

// A kind-2 part's routine, by its state table: 0 stands (animated, placed,
// listed) until an area change starts, then takes its zoomed height and
// screen offsets and goes on as 1, drawn zoomed until the change ends, when
// it frees itself. Other table entries end the run. In: R20 = the part.
void sub_06C4B8() {
    ROUTINE_ENTRY(0x06C4B8);
    const uint32_t part = cpu.reg[20];
    {
        const uint32_t step =
            orb_read32(rom::kind2_part_states + 4u * orb_read8(part + object_record::state));
        if (step == continuation::kind2_part_zoomed) goto L_06C4F6;
        if (step != continuation::kind2_part_standing) v60_unknown_jump(step, 0x06C4C3);
    }
    // L_06C4CE, state 0
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        if (!call(sub_061FB6, 0x06C4DB, 0x06C4D6)) return;
        if (!call(sub_062044, 0x06C4E2, 0x06C4DD)) return;
        sub_0620CD();
        return;
    }
    orb_write16(part + object_record::height, orb_read16(part + object_record::next_script));
    if (!call(sub_0797C0, 0x06C4F1, 0x06C4EC)) return;
    orb_write8(part + object_record::state, part_state::zoomed);

L_06C4F6:  // state 1: zoomed
    if (test_bit(var::game_flags, game_flag::area_change)) {
        if (!call(sub_061FB6, 0x06C505, 0x06C500)) return;
        sub_0797DB();
        return;
    }
    if (!call(sub_088CD3, 0x06C50F, 0x06C50A)) return;
    sub_088D0C();
}

// ---- overlay of kinds 13 and 14 ----

// Overlay spawn for kinds 13 and 14: a 128-byte object owned by the enemy.
// In: R20 = the enemy. Out: Z set when the 128-byte pool was empty.
void sub_0703B4() {
    ROUTINE_ENTRY(0x0703B4);
    if (!call(sub_088C67, 0x0703B9, 0x0703B4)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0703C0, 0x0703BB)) return;
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write16(cpu.reg[21] + object_record::flags, 1);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_0703D2 /* big first */);
    ret();
}

// The overlay's first frame: its animation, then its every-frame routine at
// once. In: R20 = the overlay.
void sub_0703D2() {
    ROUTINE_ENTRY(0x0703D2);
    cpu.reg[19] = rom::big_overlay_script;
    if (!call(sub_061F67, 0x0703DD, 0x0703D8)) return;
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0703E6 /* big */);
    sub_0703E6();
}

// The overlay's routine: while the enemy runs one of the listed scripts it
// shows at the enemy (Y - 4, height + 12), animated; otherwise it stays
// hidden and frozen. It goes the frame after its enemy's flags lose bit 0.
// In: R20 = the overlay. Out: R10 = the enemy.
void sub_0703E6() {
    ROUTINE_ENTRY(0x0703E6);
    const uint32_t overlay = cpu.reg[20];
    cpu.reg[10] = linked(overlay, object_record::owner);
    const uint32_t enemy = cpu.reg[10];
    if (overlay_orphaned(overlay, enemy, entry::sub_070460 /* big removal */)) {
        ret();
        return;
    }
    find_script(enemy, rom::big_overlay_scripts);
    if (ne()) {
        set_bit(overlay + object_record::flags, object_flag::hidden);
        ret();
        return;
    }
    place_overlay(overlay, enemy, 0, static_cast<uint16_t>(-4), 12);
    if (!call(sub_061FB6, 0x070445, 0x070440)) return;
    if (!call(sub_062044, 0x07044C, 0x070447)) return;
    sub_0620CD();
}

// The overlay's removal: unlinked and freed. In: R20 = the overlay.
void sub_070460() {
    ROUTINE_ENTRY(0x070460);
    if (!call(sub_088CD3, 0x070465, 0x070460)) return;
    sub_088D0C();
}

// ---- overlay of kinds 5 and 6 ----

// Overlay spawn for kinds 5 and 6, as sub_0703B4.
void sub_071A0C() {
    ROUTINE_ENTRY(0x071A0C);
    if (!call(sub_088C67, 0x071A11, 0x071A0C)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x071A18, 0x071A13)) return;
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write16(cpu.reg[21] + object_record::flags, 1);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_071A2A /* side first */);
    ret();
}

// The overlay's first frame: its animation and a companion of its own, then
// its every-frame routine at once. In: R20 = the overlay.
void sub_071A2A() {
    ROUTINE_ENTRY(0x071A2A);
    cpu.reg[19] = rom::side_overlay_script;
    if (!call(sub_061F67, 0x071A35, 0x071A30)) return;
    cpu.reg[10] = rom::side_overlay_companion;
    if (!call(sub_077B88, 0x071A40, 0x071A3B)) return;
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_071A49 /* side */);
    sub_071A49();
}

// The overlay's routine, as sub_0703E6 with its own list, 140 in front of the
// enemy (behind it when mirrored), Y - 4, height + 80. In: R20 = the overlay.
void sub_071A49() {
    ROUTINE_ENTRY(0x071A49);
    const uint32_t overlay = cpu.reg[20];
    cpu.reg[10] = linked(overlay, object_record::owner);
    const uint32_t enemy = cpu.reg[10];
    if (overlay_orphaned(overlay, enemy, entry::sub_071AC7 /* side removal */)) {
        ret();
        return;
    }
    find_script(enemy, rom::side_overlay_scripts);
    if (ne()) {
        set_bit(overlay + object_record::flags, object_flag::hidden);
        ret();
        return;
    }
    uint16_t dx = kSideDistance;
    if (test_bit(enemy + object_record::flags, object_flag::mirror_x))
        dx = static_cast<uint16_t>(-kSideDistance);
    place_overlay(overlay, enemy, dx, static_cast<uint16_t>(-4), 80);
    if (!call(sub_061FB6, 0x071AAD, 0x071AA8)) return;
    if (!call(sub_062044, 0x071AB4, 0x071AAF)) return;
    sub_0620CD();
}

// The overlay's removal: unlinked and freed. In: R20 = the overlay.
void sub_071AC7() {
    ROUTINE_ENTRY(0x071AC7);
    if (!call(sub_088CD3, 0x071ACC, 0x071AC7)) return;
    sub_088D0C();
}

// ---- defeat of kinds 22 to 26 and the flying piece ----

// The routine of kinds 22 to 26: the dispatcher, and at the first frame of
// the defeat its sound and a piece flying off; then the plain dispatcher.
// In: R20 = the enemy.
void sub_0736F4() {
    ROUTINE_ENTRY(0x0736F4);
    if (test_bit(cpu.reg[20] + object_record::flags, object_flag::defeated)) {
        cpu.reg[0] = kDefeatSound;
        if (!call(sub_088F98, 0x073705, 0x073700)) return;
        if (!call(sub_0737D9, 0x07370A, 0x073705)) return;
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06A1DA /* dispatcher */);
    }
    sub_06A1DA();
}

// Entrance, an enemy state: sound 0xF4 and the entrance animation, then the
// script's command: a jump in from the left, the right or the front, a drop,
// a wait for the camera or a timed wait, or the end at once. The enemy is no
// target meanwhile; the end leaves it standing in state 1. Each frame ends
// in the animation step and mover. Table entries without a step end the run.
// In: R20 = the enemy. Uses R10 = the script.
void sub_073716() {
    ROUTINE_ENTRY(0x073716);
    const uint32_t enemy = cpu.reg[20];
    uint32_t step;
    cmp<uint8_t>(orb_read8(enemy + object_record::state), orb_read8(enemy + object_record::last_state));
    if (ne()) goto L_07371E;
    step = orb_read32(rom::entrance_steps + 4u * orb_read8(enemy + object_record::substate));
    if (step == continuation::entrance_height_step) goto L_0737A0;
    if (step == continuation::entrance_camera_step) goto L_0737B8;
    if (step == continuation::entrance_timer_step) goto L_0737C4;
    v60_unknown_jump(step, kStepJump);

L_07371E:  // set-up
    cpu.reg[0] = kEntranceSound;
    if (!call(sub_088F98, 0x073723, 0x07371E)) return;
    cpu.reg[10] = orb_read32(enemy + object_record::next_script);
    {
        const uint32_t animations =
            orb_read32(orb_read32(orb_read32(enemy + object_record::state_record) + 4));
        cpu.reg[19] = orb_read32(animations + 4u * orb_read8(cpu.reg[10]));
    }
    if (!call(sub_061F67, 0x07373D, 0x073738)) return;
    set_bit(enemy + object_record::flags, object_flag::intangible);
    orb_write8(enemy + object_record::last_state, orb_read8(enemy + object_record::state));
    step = orb_read32(rom::entrance_commands + 4u * orb_read8(cpu.reg[10]));
    cpu.reg[10] += 1;
    switch (step) {
    case continuation::entrance_from_left:
        set_bit(enemy + object_record::flags, object_flag::mirror_x);
        orb_write16(enemy + object_record::world_x,
                    sub<uint16_t>(orb_read16(enemy + object_record::world_x), kSideEntry));
        set_velocities(enemy, 20, 0, 30);
        break;
    case continuation::entrance_from_right:
        orb_write16(enemy + object_record::world_x,
                    add<uint16_t>(orb_read16(enemy + object_record::world_x), kSideEntry));
        set_velocities(enemy, static_cast<uint8_t>(-20), 0, 30);
        break;
    case continuation::entrance_drop:
        if (!call(sub_062044, 0x073765, 0x073760)) return;
        face_middle(enemy);
        orb_write16(enemy + object_record::height, kDropHeight);
        set_velocities(enemy, 0, 0, 0);
        break;
    case continuation::entrance_from_front:
        if (!call(sub_062044, 0x07377D, 0x073778)) return;
        face_middle(enemy);
        orb_write16(enemy + object_record::world_y,
                    add<uint16_t>(orb_read16(enemy + object_record::world_y), kFrontEntry));
        set_velocities(enemy, 0, static_cast<uint8_t>(-15), 30);
        break;
    case continuation::entrance_camera_wait:
        orb_write16(enemy + object_record::partner, orb_read16(cpu.reg[10]));
        orb_write16(enemy + object_record::enemy_timer, kCameraPatience);
        orb_write8(enemy + object_record::velocity_x, 0);
        orb_write8(enemy + object_record::velocity_y, 0);
        orb_write8(enemy + object_record::substate, 1);
        goto L_0737B8;
    case continuation::entrance_timed_wait:
        orb_write16(enemy + object_record::enemy_timer, orb_read16(cpu.reg[10]));
        orb_write8(enemy + object_record::velocity_x, 0);
        orb_write8(enemy + object_record::velocity_y, 0);
        orb_write8(enemy + object_record::substate, 2);
        goto L_0737C4;
    case continuation::entrance_end: goto L_0737D0;
    default: v60_unknown_jump(step, kCommandJump);
    }
    orb_write8(enemy + object_record::substate, 0);

L_0737A0:  // height step: the jump's arc, or the drop's fall, to the ground
    {
        const uint16_t height = add<uint16_t>(orb_read16(enemy + object_record::height),
                                              sx8(orb_read8(enemy + object_record::rise_speed)));
        orb_write16(enemy + object_record::height, height);
        if (less_equal()) {
            orb_write16(enemy + object_record::height, 0);
            goto L_0737D0;
        }
    }
    orb_write8(enemy + object_record::rise_speed, dec<uint8_t>(orb_read8(enemy + object_record::rise_speed)));
    sub_06912A();
    return;

L_0737B8:  // camera wait: the timer runs until the camera's X reaches the mark
    cmp<uint16_t>(orb_read16(orb_read32(var::camera_pointer) + camera_record::x),
                  orb_read16(enemy + object_record::partner));
    if (!less()) goto L_0737D0;

L_0737C4:  // timer step
    orb_write16(enemy + object_record::enemy_timer,
                dec<uint16_t>(orb_read16(enemy + object_record::enemy_timer)));
    if (eq()) goto L_0737D0;
    sub_06912A();
    return;

L_0737D0:  // end step
    end_entrance(enemy);
    sub_06912A();
}

// Flying piece spawn: a 128-byte object at the running enemy, a little lower
// and 256 higher, thrown 10 a frame the way the enemy faces with a rise of
// 30. In: R20 = the enemy. Out: Z set when the 128-byte pool was empty.
void sub_0737D9() {
    ROUTINE_ENTRY(0x0737D9);
    if (!call(sub_088C67, 0x0737DE, 0x0737D9)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0737E5, 0x0737E0)) return;
    const uint32_t piece = cpu.reg[21], enemy = cpu.reg[20];
    orb_write16(piece + object_record::owner, static_cast<uint16_t>(enemy));
    orb_write16(piece + object_record::world_x, orb_read16(enemy + object_record::world_x));
    orb_write16(piece + object_record::world_y, add<uint16_t>(orb_read16(enemy + object_record::world_y), 4));
    orb_write16(piece + object_record::height, add<uint16_t>(orb_read16(enemy + object_record::height), 256));
    const uint16_t mirror =
        logic<uint16_t>(orb_read16(enemy + object_record::flags) & 1u << object_flag::mirror_x);
    orb_write16(piece + object_record::flags, logic<uint16_t>(mirror | 1));
    orb_write8(piece + object_record::velocity_x, mirror ? static_cast<uint8_t>(-10) : 10);
    orb_write8(piece + object_record::rise_speed, 30);
    orb_write32(piece + object_record::routine, entry::sub_073832 /* piece first */);
    ret();
}

// The piece's first frame: its animation, placed where it was made; it goes
// once it is off the screen's 320 columns. In: R20 = the piece.
void sub_073832() {
    ROUTINE_ENTRY(0x073832);
    cpu.reg[19] = rom::flying_piece_script;
    if (!call(sub_061F67, 0x073837, 0x073834)) return;
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_073848 /* piece */);
    if (!call(sub_061FB6, 0x07383A, 0x073837)) return;
    if (!call(sub_062044, 0x07383D, 0x07383A)) return;
    cmp<uint16_t>(orb_read16(cpu.reg[20] + object_record::screen_x), kScreenWidth);
    if (carry()) {
        sub_0620CD();
        return;
    }
    if (!call(sub_088CD3, 0x073842, 0x07383F)) return;
    sub_088D0C();
}

// The piece's routine: it flies along X, rises and falls, and bounces off the
// ground with half its speed; it goes once it is off the screen's 320
// columns (a negative screen X reads as off). In: R20 = the piece.
void sub_073848() {
    ROUTINE_ENTRY(0x073848);
    const uint32_t piece = cpu.reg[20];
    orb_write16(piece + object_record::world_x,
                add<uint16_t>(orb_read16(piece + object_record::world_x),
                              sx8(orb_read8(piece + object_record::velocity_x))));
    const uint16_t height = add<uint16_t>(orb_read16(piece + object_record::height),
                                          sx8(orb_read8(piece + object_record::rise_speed)));
    orb_write16(piece + object_record::height, height);
    if (less_equal()) {
        orb_write16(piece + object_record::height, 0);
        const uint8_t speed = neg<uint8_t>(orb_read8(piece + object_record::rise_speed));
        orb_write8(piece + object_record::rise_speed, shl<uint8_t>(speed, 0xFF));
    } else {
        orb_write8(piece + object_record::rise_speed,
                   dec<uint8_t>(orb_read8(piece + object_record::rise_speed)));
    }
    if (!call(sub_061FB6, 0x073875, 0x073870)) return;
    if (!call(sub_062044, 0x07387A, 0x073875)) return;
    cmp<uint16_t>(orb_read16(piece + object_record::screen_x), kScreenWidth);
    if (carry()) {
        sub_0620CD();
        return;
    }
    if (!call(sub_088CD3, 0x07388D, 0x073888)) return;
    sub_088D0C();
}
