// Platform enemies: enemies that live on a list of horizontal segments wait,
// pick their next action at random by their AI type's weights, walk their
// segment, jump to a neighbouring one, react to hits with a stun or a
// knock-back, and when beaten pop up, fall and shrink off the screen. The
// actions here are shared by every AI type (one ROM entry per type in each of
// the tables below); AI type 0's own per-frame routine, its watch and its
// thrown object come first, in address order.
#include "game/actors/platform_ai.h"

#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;
using namespace platform_ai;
namespace pe = platform_enemy;
namespace pl = platform_list;

namespace {

// Type 0's thrown object: set out in 0, flies in 1; 2 runs the set-up's code.
namespace thrown_state {
constexpr uint8_t setup = 0, flying = 1, setup_again = 2;
}  // namespace thrown_state

// The probe boxes of the decision's tests.
constexpr uint32_t kProbeLeft = rom::ai_probe_boxes + 8;
constexpr uint32_t kProbeNext = rom::ai_probe_boxes + 16;
constexpr uint32_t kProbePrevious = rom::ai_probe_boxes + 24;

// AI type 0's data.
constexpr uint32_t kStrikeAnimation = 0x134B02;
constexpr uint32_t kThrowAnimation = 0x134B09;
constexpr uint32_t kThrownAnimation = 0x134B10;
constexpr uint8_t kThrowSound = 0xEA;

uint32_t ai_type(uint32_t o) { return orb_read8(o + object_record::type); }
uint32_t per_type32(uint32_t table, uint32_t o) { return orb_read32(table + 4 * ai_type(o)); }
uint8_t landing_state(uint32_t o) { return orb_read8(rom::ai_landing_states + ai_type(o)); }
uint32_t walk_speed(uint32_t o) { return orb_read16(rom::ai_walk_speeds + 2 * ai_type(o)); }

// Y at or below the floor (signed): put on it.
bool landed_on(uint32_t o, uint32_t floor) {
    cmp<uint16_t>(orb_read16(o + object_record::world_y), floor);
    if (less()) return false;
    orb_write16(o + object_record::world_y, static_cast<uint16_t>(floor));
    return true;
}

// The active area around the playfield camera, open bounds, signed 16-bit:
// x from camera x - 1280 to + 2560, y from camera y - 896 to + 1792.
bool inside_active_area(uint32_t o) {
    const uint32_t camera = orb_read32(var::camera_pointer);
    const uint16_t cx = orb_read16(camera + camera_record::x), cy = orb_read16(camera + camera_record::y);
    const uint16_t x = orb_read16(o + object_record::world_x), y = orb_read16(o + object_record::world_y);
    cmp<uint16_t>(x, cx - 1280);
    if (less_equal()) return false;
    cmp<uint16_t>(x, cx + 2560);
    if (greater_equal()) return false;
    cmp<uint16_t>(y, cy - 896);
    if (less_equal()) return false;
    cmp<uint16_t>(y, cy + 1792);
    return less();
}

// 0 < screen x < 320 and 0 < screen y < 224, signed.
bool on_screen(uint32_t o) {
    const uint16_t x = orb_read16(o + object_record::screen_x), y = orb_read16(o + object_record::screen_y);
    cmp<uint16_t>(x, 0);
    if (less_equal()) return false;
    cmp<uint16_t>(x, 320);
    if (greater_equal()) return false;
    cmp<uint16_t>(y, 0);
    if (less_equal()) return false;
    cmp<uint16_t>(y, 224);
    return less();
}

// The left X <= world x <= right X of the segment entry at s.
bool over_segment(uint32_t o, uint32_t s) {
    const uint16_t x = orb_read16(o + object_record::world_x);
    cmp<uint16_t>(orb_read16(s + pl::left), x);
    if (greater()) return false;
    cmp<uint16_t>(x, orb_read16(s + pl::right));
    return less_equal();
}

// One walk step towards greater X (right) or smaller; at or past the
// segment's end the enemy stops on it and takes the landing state (true).
bool walked_to_end(uint32_t o, bool right) {
    const uint16_t old_x = orb_read16(o + object_record::world_x);
    const uint16_t x = right ? add<uint16_t>(old_x, walk_speed(o)) : sub<uint16_t>(old_x, walk_speed(o));
    orb_write16(o + object_record::world_x, x);
    const uint16_t end = orb_read16(segment(o) + (right ? pl::right : pl::left));
    cmp<uint16_t>(x, end);
    if (right ? less() : greater()) return false;
    orb_write16(o + object_record::world_x, end);
    set_state(o, landing_state(o));
    return true;
}

// Knock-back fall (the second half of sub_07A6CC): down by the growing speed
// until the segment's floor, where the landing state follows and the enemy
// is tangible and on the ground again.
void knockback_fall(uint32_t o) {
    speed_up(o);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (landed_on(o, orb_read16(segment(o) + pl::floor))) {
        set_state(o, landing_state(o));
        clear_bit(o, object_flag::intangible);
        clear_bit(o, object_flag::airborne);
    }
    sub_07A523();
}

}  // namespace

// Start code (0x07A4F5), reached from the state tables of several types: on
// the ground, the next state, a decision time of 64 to 127 frames and the
// type's start animation, then the wait at once. In: R20 = the enemy.
// Its two calls are made here by hand, as the guest code at 0x07A4F5 lies
// inside sub_07A4DE's range.
void ai_start_code() {
    const uint32_t o = cpu.reg[20];
    clear_bit(o, object_flag::airborne);
    add_state(o, 1);
    push(0x07A4FF);
    sub_07A9D7();
    if (!v60_returned_to(0x07A4FF, 0x07A4FA)) return;
    cpu.reg[19] = per_type32(rom::ai_start_animations, o);
    push(0x07A50D);
    sub_061F06();
    if (!v60_returned_to(0x07A50D, 0x07A508)) return;
    sub_07A50F();
}

// Stun countdown (0x07A6A0): while frames of stun remain the enemy only
// shows; at the end it is tangible again and takes the landing state.
void ai_stun_countdown() {
    const uint32_t o = cpu.reg[20];
    const uint8_t left = dec<uint8_t>(orb_read8(o + pe::ai_stun_timer));
    orb_write8(o + pe::ai_stun_timer, left);
    if (less_equal()) {
        clear_bit(o, object_flag::intangible);
        set_state(o, landing_state(o));
    }
    sub_07A523();
}

// Per-frame routine of AI type 0: the guards, the hit reaction, then its
// state, 0 to 27 (see the shared actions below; 11 to 18 are its strike and
// throw, inline here). In: R20 = the enemy.
void sub_07A278() {
    ROUTINE_ENTRY(0x07A278);
    const uint32_t o = cpu.reg[20];
    if (!call(sub_07AAA8, 0x07A27B, 0x07A278)) return;
    if (!call(sub_07AA8D, 0x07A27E, 0x07A27B)) return;
    if (!call(sub_07AA53, 0x07A281, 0x07A27E)) return;
    cpu.reg[10] = rom::ai_stun_frames;
    cpu.reg[11] = rom::ai_hit_states;
    if (!call(sub_07A980, 0x07A28D, 0x07A28A)) return;
    const uint32_t state = load_zx8(o + object_record::state);
    switch (state) {
    case ai_state::setup:
    case ai_state::setup_again:
        orb_write8(o + object_record::type, 0);
        if (!call(sub_07A49A, 0x07A2E9, 0x07A2E4)) return;
        sub_07A4DE();
        return;
    case ai_state::start: ai_start_code(); return;
    case ai_state::wait: sub_07A50F(); return;
    case ai_state::walk_right_start: sub_07A535(); return;
    case ai_state::walk_right: sub_07A54F(); return;
    case ai_state::walk_left_start: sub_07A592(); return;
    case ai_state::walk_left: sub_07A5AC(); return;
    case ai_state::high_jump: sub_07A5EF(); return;
    case ai_state::high_jump_rise: sub_07A60F(); return;
    case ai_state::low_jump: sub_07A637(); return;
    case ai_state::flight: sub_07A657(); return;
    case ai_type0_state::strike: goto L_07A2F0;
    case ai_type0_state::strike_windup: goto L_07A300;
    case ai_type0_state::strike_blow: goto L_07A310;
    case ai_type0_state::strike_recover: goto L_07A330;
    case ai_type0_state::throw_start: goto L_07A340;
    case ai_type0_state::throw_windup: goto L_07A350;
    case ai_type0_state::throw_release: goto L_07A360;
    case ai_type0_state::throw_recover: goto L_07A3A0;
    case ai_state::stun: sub_07A68D(); return;
    case ai_state::stun_countdown: ai_stun_countdown(); return;
    case ai_state::knockback: sub_07A6B9(); return;
    case ai_state::knockback_fall: sub_07A6CC(); return;
    case ai_state::defeat: sub_07A70C(); return;
    case ai_state::defeat_rise: sub_07A725(); return;
    case ai_state::defeat_fall: sub_07A72D(); return;
    case ai_state::shrink: sub_07A73B(); return;
    default: v60_unknown_jump(0x07A290 + 3 * state, 0x07A28D);
    }
L_07A2F0:  // strike: its animation, then the wind-up
    set_state(o, ai_type0_state::strike_windup);
    cpu.reg[19] = kStrikeAnimation;
    if (!call(sub_061F06, 0x07A2FB, 0x07A2F8)) return;
L_07A300:
    count_down8_sets_flags(o + pe::ai_attack_timer);
    if (greater()) {
        sub_07A523();
        return;
    }
    set_state(o, ai_type0_state::strike_blow);
L_07A310:  // the blow lands once, as the animation reaches frame 1
    if (!call(sub_061FB6, 0x07A313, 0x07A310)) return;
    cmp<uint8_t>(orb_read8(o + object_record::frame_index), 1);
    if (eq()) {
        set_state(o, ai_type0_state::strike_recover);
        cpu.reg[10] = rom::ai_type0_boxes;
        cpu.reg[16] = load_zx8(rom::ai_type0_strike_strengths + nibble(o));
        if (!call(sub_088431, 0x07A32B, 0x07A328)) return;
    }
    sub_07A523();
    return;
L_07A330:
    if (!call(sub_061FB6, 0x07A333, 0x07A330)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (eq()) set_state(o, landing_state(o));
    sub_07A523();
    return;
L_07A340:  // throw: its animation, then the wind-up
    set_state(o, ai_type0_state::throw_windup);
    cpu.reg[19] = kThrowAnimation;
    if (!call(sub_061F06, 0x07A34B, 0x07A348)) return;
L_07A350:
    count_down8_sets_flags(o + pe::ai_attack_timer);
    if (greater()) {
        sub_07A523();
        return;
    }
    set_state(o, ai_type0_state::throw_release);
L_07A360:  // the object leaves once, as the animation reaches frame 1
    if (!call(sub_061FB6, 0x07A363, 0x07A360)) return;
    cmp<uint8_t>(orb_read8(o + object_record::frame_index), 1);
    if (eq()) {
        set_state(o, ai_type0_state::throw_recover);
        if (!call(sub_088C77, 0x07A372, 0x07A36F)) return;
        if (ne()) {
            if (!call(sub_088CA5, 0x07A377, 0x07A374)) return;
            orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07A3DA /* thrown */);
            orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(o));
            set8(cpu.reg[0], kThrowSound);
            if (!call(sub_088F98, 0x07A38F, 0x07A38C)) return;
        }
    }
    sub_07A523();
    return;
L_07A3A0:  // after the throw: another one when a random byte is at most byte +6 + 32
    if (!call(sub_061FB6, 0x07A3A3, 0x07A3A0)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (eq()) {
        set_state(o, landing_state(o));
        if (!call(sub_06925A, 0x07A3B4, 0x07A3B1)) return;
        cmp<uint8_t>(cpu.reg[0], orb_read8(o + 6) + 32);
        if (not_higher()) set_state(o, ai_type0_state::throw_start);
    }
    sub_07A523();
}

// Object thrown by AI type 0 (64-byte object, the thrower at +12): set out
// from the thrower's side with the ROM steps, then flies straight on until it
// is off the screen or touches a player, and goes back to its pool.
// In: R20 = the object.
void sub_07A3DA() {
    ROUTINE_ENTRY(0x07A3DA);
    const uint32_t o = cpu.reg[20];
    const uint32_t state = load_zx8(o + object_record::state);
    if (state == thrown_state::flying) goto L_07A420;
    if (state != thrown_state::setup && state != thrown_state::setup_again)
        v60_unknown_jump(0x07A3E6 + 3 * state, 0x07A3E3);
    {
        add_state(o, 1);
        const uint32_t owner = owner_of(o);
        uint32_t x_step = load_sx8(rom::ai_type0_throw), x_offset = load_sx16(rom::ai_type0_throw + 2);
        if (test_bit(owner, object_flag::mirror_x)) {
            x_step = neg<uint8_t>(x_step);
            x_offset = neg<uint16_t>(x_offset);
            set_bit(o, object_flag::mirror_x);
        }
        orb_write8(o + object_record::velocity_x, static_cast<uint8_t>(x_step));
        orb_write8(o + object_record::velocity_y, orb_read8(rom::ai_type0_throw + 1));
        orb_write16(o + object_record::world_x,
                    static_cast<uint16_t>(orb_read16(owner + object_record::world_x) + x_offset));
        orb_write16(o + object_record::world_y,
                    static_cast<uint16_t>(orb_read16(owner + object_record::world_y) +
                                          orb_read16(rom::ai_type0_throw + 4)));
        orb_write16(o + object_record::height, 224);
        orb_write8(o + object_record::anim_mode, anim_mode::pointer);
        cpu.reg[19] = kThrownAnimation;
        if (!call(sub_061F06, 0x07A41D, 0x07A41A)) return;
    }
L_07A420:
    move_by(o, object_record::world_x, object_record::velocity_x);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (!call(sub_062044, 0x07A42D, 0x07A42A)) return;
    if (!call(sub_062094, 0x07A432, 0x07A42F)) return;
    if (clear_bit(o, object_flag::listed)) {
        cpu.reg[10] = rom::ai_type0_thrown_box;
        cpu.reg[16] = load_zx8(rom::ai_type0_throw_strengths + nibble(o));
        if (!call(sub_08834C, 0x07A44A, 0x07A447)) return;
        if (!test_bit(o, object_flag::touched)) {
            ret();
            return;
        }
    }
    if (!call(sub_088CD3, 0x07A458, 0x07A455)) return;
    const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_64));
    orb_write16(var::free_stack_64, count);
    orb_write16(var::free_stack_64 + 2u * count, static_cast<uint16_t>(o));
    ret();
}

// Set-up from the spawn data: the platform list from +16, the start
// segment, the camera window of the list, then the counts (sub_07A4AB).
// In: R20 = the enemy.
void sub_07A49A() {
    ROUTINE_ENTRY(0x07A49A);
    const uint32_t o = cpu.reg[20];
    const uint32_t list = orb_read32(o + object_record::data_pointer);
    orb_write32(o + pe::ai_platforms, list);
    orb_write8(o + pe::ai_segment, orb_read8(list + pl::start));
    if (!call(sub_07A9EA, 0x07A4AA, 0x07A4A5)) return;
    sub_07A4AB();
}

// Counts the enemy in and gives it its type's energy and score: the next
// state, live_enemy_count + 1, flags low half 0x0001, its own owner, height 0,
// copy-mode animation, no stun. In: R20 = the enemy.
void sub_07A4AB() {
    ROUTINE_ENTRY(0x07A4AB);
    const uint32_t o = cpu.reg[20];
    add_state(o, 1);
    orb_write8(var::live_enemy_count, inc<uint8_t>(orb_read8(var::live_enemy_count)));
    orb_write16(o + object_record::flags, 0x0001);
    orb_write16(o + object_record::owner, static_cast<uint16_t>(o));
    orb_write16(o + object_record::height, 0);
    orb_write8(o + object_record::anim_mode, anim_mode::copy);
    orb_write8(o + pe::ai_stun_timer, 0);
    orb_write16(o + object_record::energy, orb_read16(rom::ai_energy + 2 * ai_type(o)));
    orb_write16(o + object_record::score_value, orb_read16(rom::ai_scores + 2 * ai_type(o)));
    ret();
}

// Faces towards greater X (flags bit 6) when the enemy starts left of
// camera x + 640. In: R20 = the enemy.
void sub_07A4DE() {
    ROUTINE_ENTRY(0x07A4DE);
    const uint32_t o = cpu.reg[20];
    const uint32_t camera = orb_read32(var::camera_pointer);
    cmp<uint16_t>(orb_read16(o + object_record::world_x), orb_read16(camera + camera_record::x) + 640);
    if (less()) set_bit(o, object_flag::mirror_x);
    ret();
}

// Wait: the type's watch, then the decision when the timer runs out.
// In: R20 = the enemy.
void sub_07A50F() {
    ROUTINE_ENTRY(0x07A50F);
    const uint32_t o = cpu.reg[20];
    if (!call_at(per_type32(rom::ai_idle_callbacks, o), 0x07A518, 0x07A515)) return;
    count_down8_sets_flags(o + object_record::enemy_timer);
    if (eq())
        if (!call(sub_07A81E, 0x07A520, 0x07A51D)) return;
    sub_07A523();
}

// Place, list by height, register the hit boxes: the end of an action's
// frame. In: R20 = the enemy.
void sub_07A523() {
    ROUTINE_ENTRY(0x07A523);
    if (!call(sub_062044, 0x07A528, 0x07A523)) return;
    if (!call(sub_062094, 0x07A52D, 0x07A528)) return;
    sub_08814E();
}

// Walk right: a new walk time, the walk animation, facing right.
void sub_07A535() {
    ROUTINE_ENTRY(0x07A535);
    const uint32_t o = cpu.reg[20];
    add_state(o, 1);
    if (!call(sub_07A9D7, 0x07A53D, 0x07A53A)) return;
    cpu.reg[19] = per_type32(rom::ai_walk_animations, o);
    if (!call(sub_061F06, 0x07A548, 0x07A545)) return;
    set_bit(o, object_flag::mirror_x);
    sub_07A54F();
}

// Walking right: the watch, a step; at the segment's right end the enemy
// stops there and takes the landing state, otherwise the timer runs down to
// the next decision. In: R20 = the enemy.
void sub_07A54F() {
    ROUTINE_ENTRY(0x07A54F);
    const uint32_t o = cpu.reg[20];
    if (!call_at(per_type32(rom::ai_idle_callbacks, o), 0x07A558, 0x07A555)) return;
    if (!call(sub_061FB6, 0x07A55D, 0x07A558)) return;
    if (!walked_to_end(o, true)) {
        count_down8_sets_flags(o + object_record::enemy_timer);
        if (eq())
            if (!call(sub_07A81E, 0x07A58D, 0x07A58A)) return;
    }
    sub_07A523();
}

// Walk left: as sub_07A535, facing left.
void sub_07A592() {
    ROUTINE_ENTRY(0x07A592);
    const uint32_t o = cpu.reg[20];
    add_state(o, 1);
    if (!call(sub_07A9D7, 0x07A59A, 0x07A597)) return;
    cpu.reg[19] = per_type32(rom::ai_walk_animations, o);
    if (!call(sub_061F06, 0x07A5A5, 0x07A5A2)) return;
    clear_bit(o, object_flag::mirror_x);
    sub_07A5AC();
}

// Walking left: as sub_07A54F towards the segment's left end.
void sub_07A5AC() {
    ROUTINE_ENTRY(0x07A5AC);
    const uint32_t o = cpu.reg[20];
    if (!call_at(per_type32(rom::ai_idle_callbacks, o), 0x07A5B5, 0x07A5B2)) return;
    if (!call(sub_061FB6, 0x07A5BA, 0x07A5B5)) return;
    if (!walked_to_end(o, false)) {
        count_down8_sets_flags(o + object_record::enemy_timer);
        if (eq())
            if (!call(sub_07A81E, 0x07A5EA, 0x07A5E7)) return;
    }
    sub_07A523();
}

// High jump: airborne, speed -20, the jump animation.
void sub_07A5EF() {
    ROUTINE_ENTRY(0x07A5EF);
    const uint32_t o = cpu.reg[20];
    set_bit(o, object_flag::airborne);
    add_state(o, 1);
    orb_write8(o + object_record::velocity_y, static_cast<uint8_t>(-20));
    cpu.reg[19] = per_type32(rom::ai_jump_animations, o);
    if (!call(sub_061F06, 0x07A60A, 0x07A607)) return;
    sub_07A523();
}

// Rising: up without floor tests until the speed is no longer negative; then
// the fall animation and the flight state (two on), without a move.
void sub_07A60F() {
    ROUTINE_ENTRY(0x07A60F);
    const uint32_t o = cpu.reg[20];
    if (speed_up(o) >= 0) {
        add_state(o, 2);
        cpu.reg[19] = per_type32(rom::ai_fall_animations, o);
        if (!call(sub_061F06, 0x07A627, 0x07A624)) return;
        sub_07A523();
        return;
    }
    move_by(o, object_record::world_y, object_record::velocity_y);
    sub_07A523();
}

// Low jump: airborne, speed -14, the jump animation; the flight follows.
void sub_07A637() {
    ROUTINE_ENTRY(0x07A637);
    const uint32_t o = cpu.reg[20];
    set_bit(o, object_flag::airborne);
    add_state(o, 1);
    orb_write8(o + object_record::velocity_y, static_cast<uint8_t>(-14));
    cpu.reg[19] = per_type32(rom::ai_jump_animations, o);
    if (!call(sub_061F06, 0x07A652, 0x07A64F)) return;
    sub_07A523();
}

// Flight: speed + 1 and move, from the first frame tested against the
// current segment's floor, where the enemy lands (landing state, on the
// ground). A floor above the enemy is taken at once.
void sub_07A657() {
    ROUTINE_ENTRY(0x07A657);
    const uint32_t o = cpu.reg[20];
    speed_up(o);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (landed_on(o, orb_read16(segment(o) + pl::floor))) {
        set_state(o, landing_state(o));
        clear_bit(o, object_flag::airborne);
    }
    sub_07A523();
}

// Stun: the stun animation, then the countdown (a stun of 0 or 1 frames ends
// in this frame).
void sub_07A68D() {
    ROUTINE_ENTRY(0x07A68D);
    const uint32_t o = cpu.reg[20];
    add_state(o, 1);
    cpu.reg[19] = per_type32(rom::ai_stun_animations, o);
    if (!call(sub_061F06, 0x07A69D, 0x07A69A)) return;
    ai_stun_countdown();
}

// Knock-back: its animation and one step, then the fall to the floor.
void sub_07A6B9() {
    ROUTINE_ENTRY(0x07A6B9);
    const uint32_t o = cpu.reg[20];
    add_state(o, 1);
    cpu.reg[19] = per_type32(rom::ai_knockback_animations, o);
    if (!call(sub_061F06, 0x07A6C6, 0x07A6C3)) return;
    if (!call(sub_061FB6, 0x07A6CB, 0x07A6C6)) return;
    knockback_fall(o);
}

// Knock-back fall: an animation step and the fall.
void sub_07A6CC() {
    ROUTINE_ENTRY(0x07A6CC);
    if (!call(sub_061FB6, 0x07A6CF, 0x07A6CC)) return;
    knockback_fall(cpu.reg[20]);
}

// Defeat: a pop up at speed -8 with the defeat animation, rising at once.
void sub_07A70C() {
    ROUTINE_ENTRY(0x07A70C);
    const uint32_t o = cpu.reg[20];
    add_state(o, 1);
    orb_write8(o + object_record::velocity_y, static_cast<uint8_t>(-8));
    cpu.reg[19] = per_type32(rom::ai_defeat_animations, o);
    if (!call(sub_061F06, 0x07A722, 0x07A71F)) return;
    sub_07A725();
}

// Defeat rise: up while the speed is negative, then the fall.
void sub_07A725() {
    ROUTINE_ENTRY(0x07A725);
    const uint32_t o = cpu.reg[20];
    test<uint8_t>(orb_read8(o + object_record::velocity_y));
    if (negative()) {
        sub_07A777();
        return;
    }
    add_state(o, 1);
    sub_07A72D();
}

// Defeat fall while the defeat animation runs; then the shrink.
void sub_07A72D() {
    ROUTINE_ENTRY(0x07A72D);
    const uint32_t o = cpu.reg[20];
    if (!call(sub_061FB6, 0x07A730, 0x07A72D)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (ne()) {
        sub_07A777();
        return;
    }
    add_state(o, 1);
    sub_07A73B();
}

// Shrink: the first copied part widens by 6 (0x3FF when its low 10 bits come
// to 0) and its height field shrinks by 4 down to 0, while the enemy falls on
// at its speed.
void sub_07A73B() {
    ROUTINE_ENTRY(0x07A73B);
    const uint32_t o = cpu.reg[20];
    widen_part(o);
    const uint16_t w = orb_read16(o + pe::part_word3);
    uint16_t t = static_cast<uint16_t>(w - 4);
    if (t & 0x8000) t = 0;
    orb_write16(o + pe::part_word3, static_cast<uint16_t>((w & 0xFC00) | t));
    sub_07A77A();
}

// Defeat fall with the speed increased first (no caller in the program).
void sub_07A777() {
    ROUTINE_ENTRY(0x07A777);
    speed_up(cpu.reg[20]);
    sub_07A77A();
}

// Defeat fall step: down by the speed and shown (no hit boxes) while screen
// y is at most 256; below that the enemy is counted off, cleared, unlinked
// and released. In: R20 = the enemy.
void sub_07A77A() {
    ROUTINE_ENTRY(0x07A77A);
    const uint32_t o = cpu.reg[20];
    cmp<uint16_t>(orb_read16(o + object_record::screen_y), 256);
    if (less_equal()) {
        move_by(o, object_record::world_y, object_record::velocity_y);
        if (!call(sub_062044, 0x07A793, 0x07A790)) return;
        sub_062094();
        return;
    }
    count_down8_sets_flags(var::live_enemy_count);
    orb_write16(o + object_record::flags, 0);
    orb_write16(o + object_record::partner, 0);
    if (!call(sub_088CD3, 0x07A7AD, 0x07A7AA)) return;
    sub_088D0C();
}

// Watch of AI type 0: once its timer has run out, and while the enemy is on
// screen, one of the two probe boxes a frame, in turn; a player inside one
// starts that box's attack after the wind-up and ends the calling action's
// frame here (placed, listed, boxes registered). In: R20 = the enemy.
void sub_07A7B0() {
    ROUTINE_ENTRY(0x07A7B0);
    const uint32_t o = cpu.reg[20];
    if (!watch_due(o)) {
        ret();
        return;
    }
    if (!on_screen(o)) {
        ret();
        return;
    }
    const uint8_t side = (orb_read8(o + pe::ai_probe_side) + 1) & 1;
    orb_write8(o + pe::ai_probe_side, side);
    cpu.reg[10] = rom::ai_type0_boxes + 8 * side;
    if (!call(sub_08842C, 0x07A7F5, 0x07A7F2)) return;
    if (!test_bit(o, object_flag::touched)) {
        ret();
        return;
    }
    orb_write8(o + pe::ai_attack_timer, orb_read8(rom::ai_type0_windup_frames + nibble(o)));
    set_state(o, orb_read8(rom::ai_type0_attack_states + side));
    pop();  // our own return address: the action ends here
    sub_07A523();
}

// Decision: a random slot of the type's 16 condition codes names a test;
// when it passes the state becomes the next-state list's entry for that code,
// otherwise the timer is 1 and the next frame asks again. In: R20.
void sub_07A81E() {
    ROUTINE_ENTRY(0x07A81E);
    const uint32_t o = cpu.reg[20];
    cpu.reg[10] = per_type32(rom::ai_condition_lists, o);
    cpu.reg[11] = per_type32(rom::ai_next_state_lists, o);
    if (!call(sub_06925A, 0x07A836, 0x07A833)) return;
    const uint32_t code = load_zx8(cpu.reg[10] + (cpu.reg[0] & 15));
    cpu.reg[0] = code;
    const uint32_t test_at = orb_read32(rom::ai_condition_routines + 4 * code);
    bool passed = false;
    switch (test_at) {
    case continuation::ai_test_on_screen: passed = on_screen(o); break;
    case continuation::ai_test_always: passed = true; break;
    case continuation::ai_test_room_right:
        {
            const uint16_t x = add<uint16_t>(orb_read16(o + object_record::world_x), walk_speed(o));
            cmp<uint16_t>(x, orb_read16(segment(o) + pl::right));
            if (!less()) break;
            cpu.reg[10] = rom::ai_probe_boxes;
            if (!call(sub_07A957, 0x07A8C3, 0x07A8C0)) return;
            passed = eq();
            break;
        }
    case continuation::ai_test_room_left:
        {
            const uint16_t x = sub<uint16_t>(orb_read16(o + object_record::world_x), walk_speed(o));
            cmp<uint16_t>(x, orb_read16(segment(o) + pl::left));
            if (!greater()) break;
            cpu.reg[10] = kProbeLeft;
            if (!call(sub_07A957, 0x07A8EB, 0x07A8E8)) return;
            passed = eq();
            break;
        }
    case continuation::ai_test_previous_segment:
        {
            const uint8_t previous = sub<uint8_t>(orb_read8(o + pe::ai_segment), 6);
            cmp<uint8_t>(previous, 4);
            if (less()) break;
            if (!over_segment(o, orb_read32(o + pe::ai_platforms) + previous)) break;
            cpu.reg[10] = kProbePrevious;
            if (!call(sub_07A957, 0x07A91A, 0x07A917)) return;
            if (!eq()) break;
            orb_write8(o + pe::ai_segment, previous);
            passed = true;
            break;
        }
    case continuation::ai_test_next_segment:
        {
            const uint8_t next = add<uint8_t>(orb_read8(o + pe::ai_segment), 6);
            cmp<uint8_t>(next, orb_read8(orb_read32(o + pe::ai_platforms) + pl::last));
            if (greater()) break;
            if (!over_segment(o, orb_read32(o + pe::ai_platforms) + next)) break;
            cpu.reg[10] = kProbeNext;
            if (!call(sub_07A957, 0x07A94C, 0x07A949)) return;
            if (!eq()) break;
            orb_write8(o + pe::ai_segment, next);
            passed = true;
            break;
        }
    default: v60_unknown_jump(test_at, 0x07A84E);
    }
    if (passed)
        set_state(o, orb_read8(cpu.reg[11] + code));
    else
        orb_write8(o + object_record::enemy_timer, 1);
    ret();
}

// Probe: the box at R10 against the players' boxes without effect, never
// mirrored; the flags word comes back as it was. R0, R1 and R11 kept.
// In: R20, R10 = the box. Out: Z set when no player was touched.
void sub_07A957() {
    ROUTINE_ENTRY(0x07A957);
    const uint32_t o = cpu.reg[20];
    push(cpu.reg[0]);
    push(cpu.reg[1]);
    push(cpu.reg[11]);
    push(orb_read32(o + object_record::flags));
    clear_bit(o, object_flag::mirror_x);
    if (!call(sub_08842C, 0x07A96A, 0x07A967)) return;
    test_bit(o, object_flag::touched);
    orb_write32(o + object_record::flags, pop());
    cpu.reg[11] = pop();
    cpu.reg[1] = pop();
    cpu.reg[0] = pop();
    ret();
}

// Hit reaction with type 0's stun frames and hit states (no caller in the
// program).
void sub_07A976() {
    ROUTINE_ENTRY(0x07A976);
    cpu.reg[10] = rom::ai_stun_frames;
    cpu.reg[11] = rom::ai_hit_states;
    sub_07A980();
}

// Hit reaction: a pending hit sounds, makes the enemy intangible and sets
// the state of R11 [0] (on the ground, with the stun time of R10 by the
// nibble index), [1] (airborne) or [2] (defeated, counted in the tally of the
// attacker's slot by the type's category). In: R20, R10 = stun frames, R11 =
// hit states.
void sub_07A980() {
    ROUTINE_ENTRY(0x07A980);
    const uint32_t o = cpu.reg[20];
    if (!clear_bit(o, object_flag::hit)) {
        ret();
        return;
    }
    set8(cpu.reg[0], orb_read8(rom::ai_hit_sounds + ai_type(o)));
    if (!call(sub_088F98, 0x07A995, 0x07A992)) return;
    set_bit(o, object_flag::intangible);
    if (clear_bit(o, object_flag::defeated)) {
        set_state(o, orb_read8(cpu.reg[11] + 2));
        const uint32_t attacker = kHigh | orb_read16(o + object_record::last_attacker);
        const uint32_t slot = orb_read8(attacker + player_record::slot);
        const uint32_t counter =
            var::tally_records + 32 * slot + 2 * orb_read8(rom::ai_tally_categories + ai_type(o));
        orb_write16(counter, inc<uint16_t>(orb_read16(counter)));
        ret();
        return;
    }
    if (test_bit(o, object_flag::airborne)) {
        set_state(o, orb_read8(cpu.reg[11] + 1));
    } else {
        orb_write8(o + pe::ai_stun_timer, orb_read8(cpu.reg[10] + nibble(o)));
        set_state(o, orb_read8(cpu.reg[11]));
    }
    ret();
}

// enemy_timer := a random 64 to 127. In: R20.
void sub_07A9D7() {
    ROUTINE_ENTRY(0x07A9D7);
    if (!call(sub_06925A, 0x07A9DA, 0x07A9D7)) return;
    orb_write8(cpu.reg[20] + object_record::enemy_timer, static_cast<uint8_t>((cpu.reg[0] & 0x7F) | 0x40));
    ret();
}

// The camera window from the platform list: x from the two words the list
// names, y from the first and the last segment's floors; then the margins.
void sub_07A9EA() {
    ROUTINE_ENTRY(0x07A9EA);
    const uint32_t o = cpu.reg[20];
    const uint32_t list = orb_read32(o + pe::ai_platforms);
    orb_write16(o + pe::ai_window_top, orb_read16(list + pl::first_segment + pl::floor));
    orb_write16(o + pe::ai_window_bottom, orb_read16(list + orb_read8(list + pl::last) + pl::floor));
    orb_write16(o + pe::ai_window_left,
                orb_read16(list + pl::first_segment + 2 * orb_read8(list + pl::left_word)));
    orb_write16(o + pe::ai_window_right,
                orb_read16(list + pl::first_segment + 2 * orb_read8(list + pl::right_word)));
    sub_07AA31();
}

// The camera window around the enemy's own position, then the margins.
void sub_07AA19() {
    ROUTINE_ENTRY(0x07AA19);
    const uint32_t o = cpu.reg[20];
    const uint16_t x = orb_read16(o + object_record::world_x), y = orb_read16(o + object_record::world_y);
    orb_write16(o + pe::ai_window_left, x);
    orb_write16(o + pe::ai_window_right, x);
    orb_write16(o + pe::ai_window_top, y);
    orb_write16(o + pe::ai_window_bottom, y);
    sub_07AA31();
}

// Adds the type's four window margins (left, right, top, bottom).
void sub_07AA31() {
    ROUTINE_ENTRY(0x07AA31);
    const uint32_t o = cpu.reg[20];
    const uint32_t margins = rom::ai_window_margins + 8 * ai_type(o);
    for (uint32_t k = 0; k < 4; ++k) {
        const uint32_t field = o + pe::ai_window_left + 2 * k;
        orb_write16(field, add<uint16_t>(orb_read16(field), orb_read16(margins + 2 * k)));
    }
    ret();
}

// Camera window guard: past its set-up the enemy runs only while the camera
// lies inside its window (inclusive); outside it is not listed and its frame
// ends here. In: R20.
void sub_07AA53() {
    ROUTINE_ENTRY(0x07AA53);
    const uint32_t o = cpu.reg[20];
    test<uint8_t>(orb_read8(o + object_record::state));
    if (eq()) {
        ret();
        return;
    }
    const uint32_t camera = orb_read32(var::camera_pointer);
    const uint16_t cx = orb_read16(camera + camera_record::x), cy = orb_read16(camera + camera_record::y);
    bool inside = false;
    cmp<uint16_t>(cy, orb_read16(o + pe::ai_window_top));
    if (greater_equal()) {
        cmp<uint16_t>(cy, orb_read16(o + pe::ai_window_bottom));
        if (less_equal()) {
            cmp<uint16_t>(cx, orb_read16(o + pe::ai_window_left));
            if (greater_equal()) {
                cmp<uint16_t>(cx, orb_read16(o + pe::ai_window_right));
                inside = less_equal();
            }
        }
    }
    if (inside) {
        ret();
        return;
    }
    clear_bit(o, object_flag::listed);
    pop();  // our own return address: the caller's frame ends
    ret();
}

// Area-change guard: while game_flags bit 11 is set the enemy is counted off,
// unlinked and released, and its frame ends here. In: R20.
void sub_07AA8D() {
    ROUTINE_ENTRY(0x07AA8D);
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        ret();
        return;
    }
    count_down8_sets_flags(var::live_enemy_count);
    pop();  // our own return address: the release returns past the caller
    if (!call(sub_088CD3, 0x07AAA4, 0x07AAA1)) return;
    sub_088D0C();
}

// Active-area guard: outside the area around the camera the enemy is counted
// off, unlinked and released, and its frame ends here. In: R20.
void sub_07AAA8() {
    ROUTINE_ENTRY(0x07AAA8);
    if (inside_active_area(cpu.reg[20])) {
        ret();
        return;
    }
    count_down8_sets_flags(var::live_enemy_count);
    pop();
    if (!call(sub_088CD3, 0x07AAE5, 0x07AAE2)) return;
    sub_088D0C();
}

// The same without the count and not in state 0. In: R20.
void sub_07AAE9() {
    ROUTINE_ENTRY(0x07AAE9);
    const uint32_t o = cpu.reg[20];
    test<uint8_t>(orb_read8(o + object_record::state));
    if (eq() || inside_active_area(o)) {
        ret();
        return;
    }
    pop();
    if (!call(sub_088CD3, 0x07AB3B, 0x07AB38)) return;
    sub_088D0C();
}

// Active-area test: outside, flags bit 0 is cleared, CY = its old value and
// Z its complement; inside nothing changes. The caller goes on. In: R20.
void sub_07AB3F() {
    ROUTINE_ENTRY(0x07AB3F);
    if (!inside_active_area(cpu.reg[20])) clear_bit(cpu.reg[20], object_flag::alive);
    ret();
}
