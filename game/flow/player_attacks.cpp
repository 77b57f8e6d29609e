// Attack objects of the players' specials: moving hit boxes and images owned
// by a player record. One entry picks the kind's type routine from ROM by the
// object's type and runs it at once; the eight type routines (beam, thrown,
// shot, carried, sweep, wave, projectile, double sweep) are state machines on
// the object's state. They have no entries of their own, so an object that
// is still there on its second run ends the run at the object runner's call
// of its stored routine. The shared routines aim the object from its owner,
// place the beam, the beam's fragments, the placed kinds, the owner check and
// the score check of the sweep.
// Register use: R20 the attack object, R10 its owner (a player record).
#include "game/continuations.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

namespace ob = object_record;
namespace ar = attack_record;
namespace pr = player_record;

// Object flags.
constexpr uint32_t kMirrorBits = flag_mask(object_flag::mirror_x, object_flag::mirror_y);

constexpr uint32_t kFragments = 8;
constexpr uint32_t kWaveWidthCap = 312, kWaveHeightCap = 171;
constexpr uint16_t kSizeBits = 0x3FF;  // the low 10 bits of a part's size words

using self::facing_right;
using self::field;
using self::set_state;
using self::state;
uint32_t owner() { return kHigh | orb_read16(field(ob::owner)); }
uint32_t owner_character() { return orb_read8(owner() + pr::character); }
bool owner_in_play() { return orb_read16(owner() + ob::flags) & flag_mask(object_flag::alive); }

// The x step of the aimed kinds by direction code R1 (a non-negative step
// sets mirror bit 6) and the offset pair added to x and y.
void take_step_and_offsets(uint32_t steps, uint32_t offsets) {
    const uint8_t step = orb_read8(steps + cpu.reg[1]);
    orb_write8(field(ar::step), step);
    if ((step & 0x80) == 0)
        orb_write16(field(ob::flags), orb_read16(field(ob::flags)) | 1u << object_flag::mirror_x);
    add16_keeps_flags(field(ob::world_x), orb_read16(offsets + 4 * cpu.reg[1]));
    add16_keeps_flags(field(ob::world_y), orb_read16(offsets + 4 * cpu.reg[1] + 2));
}

// Pushes the object on the 64-byte pool's free stack.
void free_to_64_pool() {
    const uint16_t count = static_cast<uint16_t>(orb_read16(var::free_stack_64) + 1);
    orb_write16(var::free_stack_64, count);
    orb_write16(var::free_stack_64 + 2 * count, static_cast<uint16_t>(cpu.reg[20]));
}

// The wave's size words grown by `by` in their low 10 bits up to cap; the
// new size.
uint32_t grow(uint32_t offset, uint32_t by, uint32_t cap) {
    const uint16_t word = orb_read16(field(offset));
    uint32_t size = (word & kSizeBits) + by;
    if (size > cap) size = cap;
    orb_write16(field(offset), static_cast<uint16_t>((word & ~kSizeBits) | size));
    return size;
}

}  // namespace

// Attack object entry: the type routine of the object's type from ROM is
// stored as its routine and runs at once, in whatever state the object holds.
// A table value that is none of the eight type routines ends the run.
// In: R20 = the object.
void sub_077D19() {
    ROUTINE_ENTRY(0x077D19);
    cpu.reg[0] = orb_read32(rom::attack_type_routines + 4 * orb_read8(field(ob::type)));
    orb_write32(field(ob::routine), cpu.reg[0]);
    switch (cpu.reg[0]) {
    case continuation::attack_beam: goto L_077D29;
    case continuation::attack_thrown: goto L_077D54;
    case continuation::attack_shot: goto L_077D70;
    case continuation::attack_carried: goto L_077D7B;
    case continuation::attack_sweep: goto L_077D90;
    case continuation::attack_wave: goto L_077DA7;
    case continuation::attack_projectile: goto L_077DCC;
    case continuation::attack_double_sweep: goto L_077DE1;
    default: v60_unknown_jump(cpu.reg[0], 0x077D26);
    }

// ---- beam: grows to 8 fragments, pauses, shrinks away ----
L_077D29:
    cpu.reg[8] = state();
    if (cpu.reg[8] > beam_state::shrinking) v60_unknown_jump(0x077D2F + 3 * cpu.reg[8], 0x077D2C);
    if (cpu.reg[8] == beam_state::setup) {
        set_state(beam_state::growing);
        set_bit(cpu.reg[20], object_flag::alive);
        orb_write8(field(ob::attack_kind), 0);
        orb_write16(field(ob::height), 64);
        cpu.reg[19] = rom::beam_animation;
        if (!call(sub_061F06, 0x077D2F, 0x077D2A)) return;
        if (!call(sub_077E4D, 0x077D34, 0x077D2F)) return;
        cpu.reg[11] = kFragments;
    L_077D34:
        if (!call(sub_088C77, 0x077D3A, 0x077D35)) return;
        if (eq()) goto L_077D3F;
        cpu.reg[11] -= 1;
        orb_write8(cpu.reg[21] + ob::state, fragment_state::setup);
        orb_write16(cpu.reg[21] + ob::owner, static_cast<uint16_t>(cpu.reg[20]));
        orb_write8(cpu.reg[21] + ob::type, static_cast<uint8_t>(cpu.reg[11]));
        orb_write32(cpu.reg[21] + ob::routine, entry::sub_077E7E /* fragment */);
        if (!call(sub_088CA5, 0x077D3F, 0x077D3A)) return;
        test<uint32_t>(cpu.reg[11]);
        if (ne()) goto L_077D34;
    L_077D3F:
        ret();
        return;
    }
    if (cpu.reg[8] == beam_state::growing) {
        cpu.reg[9] = inc<uint8_t>(orb_read8(field(ar::length)));
        orb_write8(field(ar::length), static_cast<uint8_t>(cpu.reg[9]));
        if (cpu.reg[9] == kFragments) {
            set_state(beam_state::pause);
            orb_write8(field(ar::timer), 4);
        }
    } else if (cpu.reg[8] == beam_state::pause) {
        if (!count_down8_sets_flags(field(ar::timer))) set_state(beam_state::shrinking);
    } else {
        cpu.reg[9] = dec<uint8_t>(orb_read8(field(ar::length)));
        orb_write8(field(ar::length), static_cast<uint8_t>(cpu.reg[9]));
        if (negative()) {
            clear_bit(cpu.reg[20], object_flag::alive);
            if (!call(sub_088CD3, 0x077D45, 0x077D40)) return;
            free_to_64_pool();
            ret();
            return;
        }
    }
    if (!call(sub_077E4D, 0x077D4A, 0x077D45)) return;
    cpu.reg[10] = rom::beam_box;
    cpu.reg[16] = load_zx8(rom::aimed_strength + owner_character());
    if (!call(sub_08833D, 0x077D4F, 0x077D4A)) return;
    if (!call(sub_062044, 0x077D54, 0x077D4F)) return;
    sub_062094();
    return;

// ---- thrown weapon: flies until its life ends or it touches, then plays out ----
L_077D54:
    cpu.reg[8] = state();
    if (cpu.reg[8] > thrown_attack_state::playing_out) v60_unknown_jump(0x077F1A + 3 * cpu.reg[8], 0x077F17);
    if (cpu.reg[8] == thrown_attack_state::setup) {
        set_state(thrown_attack_state::flying);
        if (!call(sub_078119, 0x077D5A, 0x077D55)) return;
        take_step_and_offsets(rom::thrown_attack_steps, rom::thrown_attack_offsets);
        orb_write8(field(ob::attack_kind), 0);
        orb_write8(field(ar::length), 18);
        cpu.reg[19] = rom::thrown_attack_animation;
        sub_061F06();
        return;
    }
    if (cpu.reg[8] == thrown_attack_state::playing_out) {
        if (!call(sub_061FB6, 0x077D5F, 0x077D5A)) return;
        test<uint8_t>(orb_read8(field(ob::frame_duration)));
        if (eq()) goto L_077D6A;
        goto L_077D64;
    }
    if (count_down8_sets_flags(field(ar::length)) || !owner_in_play()) goto L_077D6A;
    add16_keeps_flags(field(ob::world_x), load_sx8(field(ar::step)));
    cpu.reg[10] = rom::thrown_attack_box;
    cpu.reg[16] = load_zx8(rom::aimed_strength + owner_character());
    if (!call(sub_08833D, 0x077D64, 0x077D5F)) return;
    if (test_bit(cpu.reg[20], object_flag::touched)) {
        set_state(thrown_attack_state::playing_out);
        ret();
        return;
    }
L_077D64:
    if (!call(sub_062044, 0x077D6A, 0x077D65)) return;
    sub_0620CD();
    return;
L_077D6A:
    if (!call(sub_088CD3, 0x077D70, 0x077D6B)) return;
    free_to_64_pool();
    ret();
    return;

// ---- shot: flies for its life, gone after a touch ----
L_077D70:
    cpu.reg[8] = state();
    if (cpu.reg[8] > run_state::running) v60_unknown_jump(0x077FD7 + 3 * cpu.reg[8], 0x077FD4);
    if (cpu.reg[8] == run_state::setup) {
        set_state(run_state::running);
        if (!call(sub_078119, 0x077D76, 0x077D71)) return;
        take_step_and_offsets(rom::shot_steps, rom::shot_offsets);
        orb_write8(field(ob::attack_kind), 0);
        orb_write8(field(ar::length), 28);
        cpu.reg[19] = rom::shot_animation;
        sub_061F06();
        return;
    }
    if (count_down8_sets_flags(field(ar::length)) || !owner_in_play() ||
        test_bit(cpu.reg[20], object_flag::touched))
        goto L_077D6A;
    add16_keeps_flags(field(ob::world_x), load_sx8(field(ar::step)));
    cpu.reg[10] = rom::shot_box;
    cpu.reg[16] = load_zx8(rom::aimed_strength + owner_character());
    if (!call(sub_08833D, 0x077D7B, 0x077D76)) return;
    goto L_077D64;

// ---- carried box: follows the owner's aim for its life ----
L_077D7B:
    cpu.reg[8] = state();
    if (cpu.reg[8] > run_state::running) v60_unknown_jump(0x078083 + 3 * cpu.reg[8], 0x078080);
    if (cpu.reg[8] == run_state::setup) {
        set_state(run_state::running);
        orb_write8(field(ob::attack_kind), 0);
        orb_write8(field(ar::length), 8);
        cpu.reg[19] = rom::carried_animation;
        if (!call(sub_061F06, 0x077D81, 0x077D7C)) return;
    }
    if (!call(sub_078119, 0x077D86, 0x077D81)) return;
    if (orb_read8(rom::carried_mirror + cpu.reg[1]) != 0) set_bit(cpu.reg[20], object_flag::mirror_x);
    add16_keeps_flags(field(ob::world_x), orb_read16(rom::carried_offsets + 4 * cpu.reg[1]));
    add16_keeps_flags(field(ob::world_y), orb_read16(rom::carried_offsets + 4 * cpu.reg[1] + 2));
    if (count_down8_sets_flags(field(ar::length)) || !owner_in_play()) goto L_077D6A;
    cpu.reg[10] = rom::carried_box;
    cpu.reg[16] = load_zx8(rom::aimed_strength + owner_character());
    if (!call(sub_08833D, 0x077D8B, 0x077D86)) return;
    if (!call(sub_061FB6, 0x077D90, 0x077D8B)) return;
    goto L_077D64;

// ---- sweep: a box that follows the owner's animation, not drawn ----
L_077D90:
    if (!call(sub_078493, 0x077D96, 0x077D91)) return;
    if (ne()) {
        ret();
        return;
    }
    cpu.reg[8] = state();
    if (cpu.reg[8] > sweep_state::scored) v60_unknown_jump(0x07817F + 3 * cpu.reg[8], 0x07817C);
    if (cpu.reg[8] == sweep_state::setup) {
        if (!call(sub_0784A0, 0x077D9B, 0x077D96)) return;
        orb_write16(field(ar::base_y), orb_read16(field(ob::world_y)));
        orb_write32(field(ar::score_mark), orb_read32(owner() + pr::score));
        goto L_077DA0;
    }
    if (cpu.reg[8] == sweep_state::waiting) {
        test<uint8_t>(orb_read8(owner() + ob::frame_index));
        if (eq()) goto L_077DA0;
        set_state(sweep_state::sweeping);
        cpu.reg[8] = sweep_state::sweeping;
    }
    if (cpu.reg[8] == sweep_state::sweeping) {
        cpu.reg[10] = owner();
        if (!call(sub_0781EE, 0x077DA0, 0x077D9B)) return;
    }
    test<uint8_t>(orb_read8(owner() + ob::frame_index));
    if (eq()) goto L_077DA1;
L_077DA0:
    cpu.reg[9] = load_zx8(owner() + ob::frame_index);
    orb_write16(field(ob::world_y), static_cast<uint16_t>(orb_read16(field(ar::base_y)) +
                                                          load_sx8(rom::sweep_offsets + cpu.reg[9])));
    cpu.reg[10] = rom::sweep_boxes + 4 * cpu.reg[9];
    cpu.reg[16] = load_zx8(rom::placed_strength + owner_character());
    sub_088171();
    return;
L_077DA1:
    if (!call(sub_088CD3, 0x077DA7, 0x077DA2)) return;
    sub_088D0C();
    return;

// ---- wave: grows from the owner to its full size, stays, goes ----
L_077DA7:
    if (!call(sub_078493, 0x077DAD, 0x077DA8)) return;
    if (ne()) {
        ret();
        return;
    }
    cpu.reg[8] = state();
    if (cpu.reg[8] > wave_state::fading) v60_unknown_jump(0x078214 + 3 * cpu.reg[8], 0x078211);
    if (cpu.reg[8] == wave_state::setup) {
        if (!call(sub_0784A0, 0x077DB2, 0x077DAD)) return;
        orb_write8(field(ar::length), 0);
        orb_write8(field(ar::timer), 1);
        cpu.reg[19] = rom::wave_animation;
        if (!call(sub_061F06, 0x077DB7, 0x077DB2)) return;
        orb_write16(field(ar::part_width), orb_read16(field(ar::part_width)) & ~kSizeBits);
        orb_write16(field(ar::part_height), (orb_read16(field(ar::part_height)) & ~kSizeBits) | 1);
        orb_write16(field(ar::base_x), orb_read16(field(ob::world_x)));
        cpu.reg[8] = wave_state::growing;
    }
    if (cpu.reg[8] == wave_state::growing || cpu.reg[8] == wave_state::rising) {
        if (cpu.reg[8] == wave_state::growing) {
            orb_write8(field(ar::length), static_cast<uint8_t>(orb_read8(field(ar::length)) + 2));
            if (orb_read8(field(ar::length)) >= 18) set_state(wave_state::rising);
        } else {
            orb_write8(field(ar::length), static_cast<uint8_t>(orb_read8(field(ar::length)) + 3));
            orb_write8(field(ar::timer), static_cast<uint8_t>(orb_read8(field(ar::timer)) + 3));
            if (orb_read8(field(ar::length)) >= 36) set_state(wave_state::full);
        }
        cpu.reg[5] = grow(ar::part_width, orb_read8(field(ar::length)), kWaveWidthCap);
        cpu.reg[6] = cpu.reg[8] == wave_state::rising
                         ? grow(ar::part_height, orb_read8(field(ar::timer)), kWaveHeightCap)
                         : orb_read16(field(ar::part_height)) & kSizeBits;
        orb_write16(field(ar::box), static_cast<uint16_t>(-static_cast<int32_t>(cpu.reg[5] / 2)));
        orb_write16(field(ar::box + 2), static_cast<uint16_t>(cpu.reg[5]));
        orb_write16(field(ar::box + 4), static_cast<uint16_t>(-static_cast<int32_t>(cpu.reg[6] / 2)));
        orb_write16(field(ar::box + 6), static_cast<uint16_t>(cpu.reg[6]));
        cpu.reg[7] = 2 * cpu.reg[5];
        if (!facing_right()) cpu.reg[7] = 0u - cpu.reg[7];
        orb_write16(field(ob::world_x), static_cast<uint16_t>(orb_read16(field(ar::base_x)) + cpu.reg[7]));
    } else if (cpu.reg[8] == wave_state::full) {
        set_state(wave_state::fading);
        orb_write8(field(ar::timer), 8);
    } else if (count_down8_sets_flags(field(ar::timer))) {
        goto L_077DA1;
    }
    cpu.reg[10] = field(ar::box);
    cpu.reg[16] = load_zx8(rom::placed_strength + owner_character());
    if (!call(sub_0882A0, 0x077DBC, 0x077DB7)) return;
    cpu.reg[10] = rom::wave_box;
    cpu.reg[16] = load_zx8(rom::placed_strength + owner_character());
    if (!call(sub_088171, 0x077DC1, 0x077DBC)) return;
    if (!call(sub_061FB6, 0x077DC6, 0x077DC1)) return;
L_077DC6:
    if (!call(sub_062044, 0x077DCC, 0x077DC7)) return;
    sub_0620CD();
    return;

// ---- projectile: 32 steps of 32 towards the facing ----
L_077DCC:
    cpu.reg[8] = state();
    if (cpu.reg[8] > run_state::running) v60_unknown_jump(0x078371 + 3 * cpu.reg[8], 0x07836E);
    if (cpu.reg[8] == run_state::setup) {
        if (!call(sub_0784A0, 0x077DD2, 0x077DCD)) return;
        orb_write8(field(ar::length), 32);
        cpu.reg[19] = rom::projectile_animation;
        if (!call(sub_061F06, 0x077DD7, 0x077DD2)) return;
        orb_write8(field(ar::step), facing_right() ? 32 : static_cast<uint8_t>(-32));
        add16_keeps_flags(field(ob::world_y), 4);
        ret();
        return;
    }
    if (count_down8_sets_flags(field(ar::length))) goto L_077DA1;
    add16_keeps_flags(field(ob::world_x), load_sx8(field(ar::step)));
    cpu.reg[10] = rom::projectile_box;
    cpu.reg[16] = load_zx8(rom::placed_strength + owner_character());
    if (!call(sub_088171, 0x077DDC, 0x077DD7)) return;
    if (!call(sub_061FB6, 0x077DE1, 0x077DDC)) return;
    goto L_077DC6;

// ---- double sweep: boxes above and below the owner's line while its
// animation runs, not drawn ----
L_077DE1:
    if (!call(sub_078493, 0x077DE7, 0x077DE2)) return;
    if (ne()) {
        ret();
        return;
    }
    cpu.reg[8] = state();
    if (cpu.reg[8] > run_state::running) v60_unknown_jump(0x0783C5 + 3 * cpu.reg[8], 0x0783C2);
    if (cpu.reg[8] == run_state::setup) {
        if (!call(sub_0784A0, 0x077DEC, 0x077DE7)) return;
        orb_write16(field(ob::world_x), orb_read16(owner() + ob::world_x));
        orb_write16(field(ar::base_y), orb_read16(owner() + ob::world_y));
        ret();
        return;
    }
    test<uint8_t>(orb_read8(owner() + ob::frame_duration));
    if (eq()) goto L_077DA1;
    cpu.reg[9] = load_zx8(owner() + ob::frame_index);
    orb_write16(field(ob::world_y), static_cast<uint16_t>(orb_read16(field(ar::base_y)) +
                                                          load_sx8(rom::double_sweep_offsets + cpu.reg[9])));
    cpu.reg[10] = rom::double_sweep_boxes_up + 8 * cpu.reg[9];
    cpu.reg[16] = load_zx8(rom::placed_strength + owner_character());
    if (!call(sub_0882A0, 0x077DF1, 0x077DEC)) return;
    cpu.reg[9] = load_zx8(owner() + ob::frame_index);
    orb_write16(field(ob::world_y), static_cast<uint16_t>(orb_read16(field(ar::base_y)) -
                                                          load_sx8(rom::double_sweep_offsets + cpu.reg[9])));
    cpu.reg[10] = rom::double_sweep_boxes_down + 8 * cpu.reg[9];
    cpu.reg[16] = load_zx8(rom::placed_strength + owner_character());
    sub_0882A0();
}

// Beam placement: aimed from the owner, the beam's step by direction code
// (a non-negative step sets mirror bit 6) and offset pair, then x moved by
// step × length. In: R20. Out: R10 = the owner, R1 = the direction code.
void sub_077E4D() {
    ROUTINE_ENTRY(0x077E4D);
    if (!call(sub_078119, 0x077E52, 0x077E4D)) return;
    take_step_and_offsets(rom::beam_steps, rom::beam_offsets);
    add16_keeps_flags(field(ob::world_x), load_sx8(field(ar::step)) * orb_read8(field(ar::length)));
    ret();
}

// A fragment of the beam: while the beam is alive it stands at the beam's
// place, the fragments below the beam's length spread out along its step
// (40 back towards the beam), placed and listed; once the beam is gone the
// fragment unlinks itself and goes back to the 64-byte pool. In: R20.
void sub_077E7E() {
    ROUTINE_ENTRY(0x077E7E);
    cpu.reg[8] = state();
    if (cpu.reg[8] > fragment_state::following_too) v60_unknown_jump(0x077E84 + 3 * cpu.reg[8], 0x077E81);
    if (cpu.reg[8] == fragment_state::setup) {
        set_state(fragment_state::following);
        orb_write16(field(ob::height), 64);
        cpu.reg[19] = rom::fragment_animation;
        sub_061F06();
        return;
    }
    cpu.reg[10] = owner();
    if (!test_bit(cpu.reg[10], object_flag::alive)) {
        if (!call(sub_088CD3, 0x077EBC, 0x077EB7)) return;
        free_to_64_pool();
        ret();
        return;
    }
    orb_write16(field(ob::world_x), orb_read16(cpu.reg[10] + ob::world_x));
    orb_write16(field(ob::world_y), orb_read16(cpu.reg[10] + ob::world_y));
    orb_write16(field(ob::height), 0);
    cpu.reg[8] = load_zx8(field(ob::type));
    cmp<uint8_t>(cpu.reg[8], orb_read8(cpu.reg[10] + ar::length));
    if (!carry()) {
        ret();
        return;
    }
    cpu.reg[9] = load_sx8(cpu.reg[10] + ar::step);
    add16_keeps_flags(field(ob::world_x), cpu.reg[9] * cpu.reg[8]);
    if (static_cast<int32_t>(cpu.reg[9]) >= 0) {
        add16_keeps_flags(field(ob::world_x), static_cast<uint32_t>(-40));
        set_bit(cpu.reg[20], object_flag::mirror_x);
    } else {
        add16_keeps_flags(field(ob::world_x), 40);
    }
    if (!call(sub_062044, 0x077F0C, 0x077F07)) return;
    sub_0620CD();
}

// Aim from the owner: the owner's x and y, height 224, y += 4 × owner word
// +104, x += 4 × owner word +106 (negated facing decreasing x), mirror bits
// cleared. Out: R10 = the owner, R0 = the x offset, R1 = the direction code
// (owner byte +38, + 64 with owner byte +187 set, + 32 above state 41, + 16
// facing decreasing x).
void sub_078119() {
    ROUTINE_ENTRY(0x078119);
    cpu.reg[10] = owner();
    orb_write16(field(ob::world_x), orb_read16(cpu.reg[10] + ob::world_x));
    orb_write16(field(ob::world_y), orb_read16(cpu.reg[10] + ob::world_y));
    orb_write16(field(ob::height), 224);
    add16_keeps_flags(field(ob::world_y), 4 * load_sx16(cpu.reg[10] + 104));
    cpu.reg[0] = 4 * load_sx16(cpu.reg[10] + 106);
    cpu.reg[1] = load_zx8(cpu.reg[10] + 38);
    if (orb_read8(cpu.reg[10] + 187) != 0) cpu.reg[1] += 64;
    cmp<uint8_t>(orb_read8(cpu.reg[10] + ob::state), player_state::held);
    if (higher()) cpu.reg[1] += 32;
    if (!test_bit(cpu.reg[10], object_flag::mirror_x)) {
        cpu.reg[1] += 16;
        cpu.reg[0] = neg<uint32_t>(cpu.reg[0]);
    }
    add16_keeps_flags(field(ob::world_x), cpu.reg[0]);
    orb_write16(field(ob::flags), orb_read16(field(ob::flags)) & ~kMirrorBits);
    ret();
}

// Score check of the sweep: once the owner's score is more than 200 above
// the mark, sound 0xF6 on ring A and the next state. In: R20, R10 = owner.
void sub_0781EE() {
    ROUTINE_ENTRY(0x0781EE);
    cpu.reg[0] = sub<uint32_t>(orb_read32(cpu.reg[10] + pr::score), orb_read32(field(ar::score_mark)));
    cmp<uint32_t>(cpu.reg[0], 200);
    if (not_higher()) {
        ret();
        return;
    }
    cpu.reg[0] = 0xF6;
    if (!call(sub_088F98, 0x078207, 0x078202)) return;
    self::next_state_keeps_flags();
    ret();
}

// Owner check of the kinds that last as long as their launch: when the
// owner's attack_object is 0 the object unlinks itself and goes back to the
// 128-byte pool. In: R20. Out: R10 = the owner; Z clear when it went (its
// frame ends there).
void sub_078493() {
    ROUTINE_ENTRY(0x078493);
    cpu.reg[10] = owner();
    test<uint16_t>(orb_read16(cpu.reg[10] + pr::attack_object));
    if (ne()) {
        cpu.z = 1;
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x07849B, 0x078496)) return;
    if (!call(sub_088D0C, 0x07849F, 0x07849B)) return;
    cpu.z = 0;
    ret();
}

// Set-up of the placed kinds: next state, attack kind 3, copy-mode frames,
// the owner's place and mirror bits, x += 4 × owner word +106 + the
// character's x offset (the sum negated when a mirror bit is set), height =
// 4 × owner word +104 + the character's height offset. In: R20.
// Out: R10 = the owner.
void sub_0784A0() {
    ROUTINE_ENTRY(0x0784A0);
    self::next_state_keeps_flags();
    orb_write8(field(ob::attack_kind), 3);
    orb_write8(field(ob::anim_mode), anim_mode::copy);
    cpu.reg[10] = owner();
    orb_write16(field(ob::world_x), orb_read16(cpu.reg[10] + ob::world_x));
    orb_write16(field(ob::world_y), orb_read16(cpu.reg[10] + ob::world_y));
    orb_write16(field(ob::flags), (orb_read16(field(ob::flags)) & ~kMirrorBits) |
                                      (orb_read16(cpu.reg[10] + ob::flags) & kMirrorBits));
    cpu.reg[8] = rom::placed_offsets + 4 * owner_character();
    cpu.reg[0] = 4 * load_sx16(cpu.reg[10] + 106) + load_sx16(cpu.reg[8]);
    if (orb_read16(field(ob::flags)) & kMirrorBits) cpu.reg[0] = neg<uint32_t>(cpu.reg[0]);
    add16_keeps_flags(field(ob::world_x), cpu.reg[0]);
    orb_write16(field(ob::height),
                static_cast<uint16_t>(4 * load_sx16(cpu.reg[10] + 104) + load_sx16(cpu.reg[8] + 2)));
    ret();
}
