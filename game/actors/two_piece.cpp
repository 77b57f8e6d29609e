// Enemy types 5 and 6: a body on the generic enemy AI drawn with a follower
// piece and an attack piece. The body walks between the limits of its
// platform, jumps in place and lands with a hit, strikes, and leaves with an
// effect; the attack piece probes for players, attacks by frame and
// direction, and its boxes count as the body's. Every routine runs with R20 =
// the running object.
#include "game/actors/common.h"
#include "game/actors/running_object.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "game/actors/tables.h"
#include "runtime/guest.h"

using namespace guest;
namespace tp = two_piece_record;

namespace {

constexpr uint32_t kProbeHitState = 0x07E907;
constexpr uint32_t kApproachReload = 0x07E921;       // by rank
constexpr uint32_t kKnockdownAnimations = 0x07ACCC;  // u32 per type
constexpr uint32_t kFollowerStates = 0x07E0C6;       // the pieces' three- and six-entry tables
constexpr uint32_t kAttackPieceStates = 0x07E134;

constexpr uint32_t kLeftLimit = 4;  // platform list words
constexpr uint32_t kRightLimit = 6;
constexpr uint8_t kStrikeState = 11;  // from here only the attack piece shows
constexpr uint8_t kHiddenState = 13;  // from here neither piece shows
constexpr uint8_t kGoneState = 23;    // the defeat: the pieces remove themselves
constexpr uint8_t kJumpState = 15;
constexpr uint8_t kDefeatEffect = 6;
constexpr uint8_t kDefeatFrames = 10;
constexpr uint8_t kJumpSpeed = 0xE8;  // -24
constexpr uint16_t kNormal = 0x200;
constexpr uint16_t kFlash = 0x470;

// The pieces' states, the places of their ROM state tables' entries.
namespace follower_state {
constexpr uint8_t setup = 0, following = 1, setup_again = 2;
}  // namespace follower_state
namespace attack_piece_state {
constexpr uint8_t setup = 0, idle = 1, attack_start = 2, attacking = 3, attack_end = 4, setup_again = 5;
}  // namespace attack_piece_state

using namespace actors::self;

uint8_t direction() { return orb_read8(field(tp::direction)); }

// The piece's owner (the body) by the low half at +12.
uint32_t body_of_piece() { return linked(cpu.reg[20], object_record::owner); }

// The body's state, which every piece frame reads.
uint8_t body_state() { return orb_read8(body_of_piece() + object_record::state); }

void copy_position(uint32_t from) {
    orb_write16(field(object_record::world_x), orb_read16(from + object_record::world_x));
    orb_write16(field(object_record::world_y), orb_read16(from + object_record::world_y));
}

// The piece takes the body's mirror bit. Out: true when the body's direction
// differs from the piece's.
bool follow_facing() {
    const uint32_t body = body_of_piece();
    const uint16_t mirror = orb_read16(body) & (1u << object_flag::mirror_x);
    orb_write16(field(object_record::flags),
                static_cast<uint16_t>(
                    (orb_read16(field(object_record::flags)) & ~(1u << object_flag::mirror_x)) | mirror));
    cmp<uint8_t>(orb_read8(body + tp::direction), direction());
    return ne();
}

// R19 := the piece animation of the body's direction from a per-variant table.
void piece_animation(uint32_t table) {
    const uint8_t dir = orb_read8(body_of_piece() + tp::direction);
    orb_write8(field(tp::direction), dir);
    cpu.reg[19] = orb_read32(table + 4u * (16u * orb_read8(field(tp::piece_variant)) + dir));
}

// The fall's vertical step (the compiler's outlined part of sub_07E05A): the
// speed grows by 1, and the body lands on the floor it left.
void fall_step() {
    const uint8_t speed = static_cast<uint8_t>(orb_read8(field(tp::jump_speed)) + 1);
    orb_write8(field(tp::jump_speed), speed);
    const uint16_t y = static_cast<uint16_t>(orb_read16(field(object_record::world_y)) + sx8(speed));
    orb_write16(field(object_record::world_y), y);
    cmp<uint16_t>(y, orb_read16(field(tp::floor_y)));
    if (less()) return;
    orb_write16(field(object_record::world_y), orb_read16(field(tp::floor_y)));
    set_state(ai_state::start);
    orb_write16(field(object_record::flags),
                static_cast<uint16_t>(orb_read16(field(object_record::flags)) &
                                      ~(1u << object_flag::intangible | 1u << object_flag::airborne)));
}

// One step of a walk by the direction's (dx, dy) pair from the table: x
// moves; past the platform limit (list +4 left, +6 right, signed) x is
// clamped, state 1 taken and true returned; otherwise y moves and the walk
// length counts down (Z set when it ran out).
bool walk_step(uint32_t steps, uint32_t limit_field) {
    const uint32_t pair = steps + 4u * direction();
    const uint16_t x = static_cast<uint16_t>(orb_read16(field(object_record::world_x)) + orb_read16(pair));
    orb_write16(field(object_record::world_x), x);
    const uint16_t limit = orb_read16(orb_read32(field(tp::platform_list)) + limit_field);
    cmp<uint16_t>(x, limit);
    if (limit_field == kRightLimit ? greater_equal() : less_equal()) {
        orb_write16(field(object_record::world_x), limit);
        set_state(ai_state::start);
        return true;
    }
    add16_keeps_flags(field(object_record::world_y), orb_read16(pair + 2));
    orb_write8(field(tp::walk_length), dec<uint8_t>(orb_read8(field(tp::walk_length))));
    return false;
}

}  // namespace

// Type 5's spawn routine: type 5, variant 0, then the per-frame routine. In: R20.
void sub_07DCE0() {
    ROUTINE_ENTRY(0x07DCE0);
    orb_write8(field(object_record::type), 5);
    orb_write8(field(tp::variant), 0);
    orb_write32(field(object_record::routine), entry::sub_07DD04);
    sub_07DD04();
}

// Type 6's spawn routine: type 6, variant 1, then the per-frame routine. In: R20.
void sub_07DCF3() {
    ROUTINE_ENTRY(0x07DCF3);
    orb_write8(field(object_record::type), 6);
    orb_write8(field(tp::variant), 1);
    orb_write32(field(object_record::routine), entry::sub_07DD04);
    sub_07DD04();
}

// Per-frame routine of types 5 and 6: the area-change and camera-window
// guards, the hit reaction, the state's routine, then the colour of copied
// part 0 (flash while the stun timer runs). In: R20 = the body.
void sub_07DD04() {
    ROUTINE_ENTRY(0x07DD04);
    if (!call(sub_07AA8D, 0x07DD09, 0x07DD04)) return;
    if (!call(sub_07AA53, 0x07DD0E, 0x07DD09)) return;
    cpu.reg[10] = rom::two_piece_stun_frames + 4u * orb_read8(field(tp::variant));
    cpu.reg[11] = rom::two_piece_hit_states;
    if (!call(sub_07A980, 0x07DD22, 0x07DD1D)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    if (!call_at(orb_read32(rom::two_piece_states + 4 * cpu.reg[0]), 0x07DD33, 0x07DD2D)) return;
    test<uint8_t>(orb_read8(field(tp::stun_timer)));
    colour(field(tp::part0_colour), ne() ? kFlash : kNormal);
    ret();
}

// Start: the direction from the spawn data, the generic set-up on the
// platform list after it, then the follower piece and the attack piece, each
// only while the 128-byte pool has an object. Nothing is drawn. In: R20.
void sub_07DDB5() {
    ROUTINE_ENTRY(0x07DDB5);
    const uint32_t data = orb_read32(field(tp::spawn_data));
    orb_write8(field(tp::direction), orb_read8(data));
    orb_write32(field(tp::spawn_data), data + 1);
    if (!call(sub_07A49A, 0x07DDC8, 0x07DDC3)) return;
    orb_write8(field(tp::walk_side), 0);
    orb_write8(field(tp::attack_timer), by_rank(rom::two_piece_attack_reload));
    if (!call(sub_088C67, 0x07DDDB, 0x07DDD6)) return;
    if (eq()) goto L_07DE14;
    if (!call(sub_088CA5, 0x07DDE2, 0x07DDDD)) return;
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07E0B0 /* follower */);
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    if (!call(sub_088C67, 0x07DDF2, 0x07DDED)) return;
    if (eq()) goto L_07DE14;
    if (!call(sub_088CA5, 0x07DDF9, 0x07DDF4)) return;
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07E11E /* attack piece */);
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write8(cpu.reg[21] + tp::piece_variant, orb_read8(field(tp::variant)));
    orb_write16(field(object_record::partner), static_cast<uint16_t>(cpu.reg[21]));
L_07DE14:
    ret();
}

// Stop and wait: the facing of the direction, its wait animation, then the
// generic wait. In: R20.
void sub_07DE16() {
    ROUTINE_ENTRY(0x07DE16);
    next_state_keeps_flags();
    clear_bit(field(object_record::flags), object_flag::airborne);
    cpu.reg[0] = direction();
    test<uint8_t>(cpu.reg[0]);
    if (ne()) {
        clear_bit(field(object_record::flags), object_flag::mirror_x);
        orb_write16(field(object_record::flags),
                    static_cast<uint16_t>(orb_read16(field(object_record::flags)) |
                                          orb_read16(rom::two_piece_mirror_bits + 2 * cpu.reg[0])));
    }
    cpu.reg[19] = orb_read32(rom::two_piece_wait_animations + 4 * cpu.reg[0]);
    if (!call(sub_061F06, 0x07DE40, 0x07DE3B)) return;
    sub_07A50F();
}

// Walk to the right: a walk length, then its first step. In: R20.
void sub_07DE44() {
    ROUTINE_ENTRY(0x07DE44);
    next_state_keeps_flags();
    if (!call(sub_07A9D7, 0x07DE4C, 0x07DE47)) return;
    orb_write8(field(tp::walk_side), 255);
    sub_07DE52();
}

// Walk to the right, one step: the approach check, then the direction's step
// up to the platform's right limit (there x is clamped and state 1 taken);
// the decision when the walk length runs out. In: R20.
void sub_07DE52() {
    ROUTINE_ENTRY(0x07DE52);
    if (!call(sub_07E336, 0x07DE57, 0x07DE52)) return;
    if (walk_step(rom::two_piece_steps_right, kRightLimit)) {
        sub_07A523();
        return;
    }
    if (eq())
        if (!call(sub_07A81E, 0x07DE87, 0x07DE82)) return;
    sub_07A523();
}

// Walk to the left: a walk length, then its first step. In: R20.
void sub_07DE8C() {
    ROUTINE_ENTRY(0x07DE8C);
    next_state_keeps_flags();
    if (!call(sub_07A9D7, 0x07DE94, 0x07DE8F)) return;
    orb_write8(field(tp::walk_side), 0);
    sub_07DE9A();
}

// Walk to the left, one step, as sub_07DE52 with the left limit. In: R20.
void sub_07DE9A() {
    ROUTINE_ENTRY(0x07DE9A);
    if (!call(sub_07E336, 0x07DE9F, 0x07DE9A)) return;
    if (walk_step(rom::two_piece_steps_left, kLeftLimit)) {
        sub_07A523();
        return;
    }
    if (eq())
        if (!call(sub_07A81E, 0x07DECF, 0x07DECA)) return;
    sub_07A523();
}

// Jump start: airborne, the floor kept, speed -24, facing turned, no
// horizontal step, the variant's jump animation. In: R20.
void sub_07DED4() {
    ROUTINE_ENTRY(0x07DED4);
    set_bit(field(object_record::flags), object_flag::airborne);
    next_state_keeps_flags();
    orb_write16(field(tp::floor_y), orb_read16(field(object_record::world_y)));
    orb_write8(field(tp::jump_speed), kJumpSpeed);
    not_bit(field(object_record::flags), object_flag::mirror_x);
    orb_write8(field(tp::jump_step_x), 0);
    cpu.reg[19] = orb_read32(rom::two_piece_jump_animations + 4u * orb_read8(field(tp::variant)));
    if (!call(sub_061F06, 0x07DF05, 0x07DF00)) return;
    sub_07A523();
}

// Jump rise: up until the speed reaches 0, where the animation starts again
// and the descent follows. In: R20.
void sub_07DF0A() {
    ROUTINE_ENTRY(0x07DF0A);
    add16_keeps_flags(field(object_record::world_x), load_sx8(field(tp::jump_step_x)));
    const uint8_t speed = inc<uint8_t>(orb_read8(field(tp::jump_speed)));
    orb_write8(field(tp::jump_speed), speed);
    if (positive()) {
        next_state_keeps_flags();
        cpu.reg[19] = orb_read32(rom::two_piece_jump_animations + 4u * orb_read8(field(tp::variant)));
        if (!call(sub_061F06, 0x07DF2E, 0x07DF29)) return;
    } else {
        add16_keeps_flags(field(object_record::world_y), sx8(speed));
    }
    sub_07A523();
}

// Jump descent: down until the floor it left; the landing hits what the
// approach box touches, then the jump ends. In: R20.
void sub_07DF38() {
    ROUTINE_ENTRY(0x07DF38);
    const uint8_t speed = static_cast<uint8_t>(orb_read8(field(tp::jump_speed)) + 1);
    orb_write8(field(tp::jump_speed), speed);
    const uint16_t y = static_cast<uint16_t>(orb_read16(field(object_record::world_y)) + sx8(speed));
    orb_write16(field(object_record::world_y), y);
    add16_keeps_flags(field(object_record::world_x), load_sx8(field(tp::jump_step_x)));
    cmp<uint16_t>(y, orb_read16(field(tp::floor_y)));
    if (less()) {
        sub_07A523();
        return;
    }
    orb_write16(field(object_record::world_y), orb_read16(field(tp::floor_y)));
    next_state_keeps_flags();
    cpu.reg[10] = rom::two_piece_approach_box;
    cpu.reg[16] = by_rank(rom::two_piece_landing_strength);
    if (!call(sub_08834C, 0x07DF75, 0x07DF70)) return;
    sub_07DF7A();
}

// Jump end: state 1 and the attack timer reloaded. In: R20.
void sub_07DF7A() {
    ROUTINE_ENTRY(0x07DF7A);
    set_state(ai_state::start);
    orb_write8(field(tp::attack_timer), by_rank(rom::two_piece_attack_reload));
    sub_07A523();
}

// Strike start: the strike animation. In: R20.
void sub_07DF92() {
    ROUTINE_ENTRY(0x07DF92);
    next_state_keeps_flags();
    cpu.reg[19] = rom::two_piece_strike_animation;
    if (!call(sub_061F06, 0x07DFA0, 0x07DF9B)) return;
    sub_07A523();
}

// Strike wind-up: the attack timer counts down, then the hit frame. In: R20.
void sub_07DFA5() {
    ROUTINE_ENTRY(0x07DFA5);
    orb_write8(field(tp::attack_timer), dec<uint8_t>(orb_read8(field(tp::attack_timer))));
    if (greater()) {
        sub_07A523();
        return;
    }
    next_state_keeps_flags();
    sub_07DFAE();
}

// Strike: at frame index 1 the strike box hits, once. In: R20.
void sub_07DFAE() {
    ROUTINE_ENTRY(0x07DFAE);
    if (!call(sub_061FB6, 0x07DFB3, 0x07DFAE)) return;
    cmp<uint8_t>(orb_read8(field(object_record::frame_index)), 1);
    if (eq()) {
        next_state_keeps_flags();
        cpu.reg[10] = rom::two_piece_probe_boxes;
        cpu.reg[16] = by_rank(rom::two_piece_strengths);
        if (!call(sub_08834C, 0x07DFD6, 0x07DFD1)) return;
    }
    sub_07A523();
}

// Strike end: state 1 once the animation has stopped. In: R20.
void sub_07DFDB() {
    ROUTINE_ENTRY(0x07DFDB);
    if (!call(sub_061FB6, 0x07DFE0, 0x07DFDB)) return;
    test<uint8_t>(orb_read8(field(object_record::frame_duration)));
    if (eq()) set_state(ai_state::start);
    sub_07A523();
}

// Defeat: a 10-frame countdown and, when an object is free, a short effect
// of type 6 owned by the body. In: R20.
void sub_07DFEF() {
    ROUTINE_ENTRY(0x07DFEF);
    next_state_keeps_flags();
    orb_write8(field(object_record::enemy_timer), kDefeatFrames);
    if (!call(sub_088C67, 0x07DFFC, 0x07DFF7)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x07E003, 0x07DFFE)) return;
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07B615 /* short effect */);
        orb_write8(cpu.reg[21] + object_record::type, kDefeatEffect);
        orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    }
    orb_write8(field(object_record::enemy_timer),
               static_cast<uint8_t>(orb_read8(field(object_record::enemy_timer)) - 1));
    sub_07A523();
}

// Defeat countdown: at 0 the body leaves. In: R20.
void sub_07E017() {
    ROUTINE_ENTRY(0x07E017);
    orb_write8(field(object_record::enemy_timer), dec<uint8_t>(orb_read8(field(object_record::enemy_timer))));
    if (eq()) {
        sub_07E01D();
        return;
    }
    sub_07A523();
}

// Removal: flags cleared, counted off, unlinked and freed. In: R20.
void sub_07E01D() {
    ROUTINE_ENTRY(0x07E01D);
    orb_write16(field(object_record::flags), 0);
    orb_write8(var::live_enemy_count, static_cast<uint8_t>(orb_read8(var::live_enemy_count) - 1));
    if (!call(sub_088CD3, 0x07E02C, 0x07E027)) return;
    if (!call(sub_088D0C, 0x07E030, 0x07E02C)) return;
    ret();
}

// Stun start, then its countdown. In: R20.
void sub_07E031() {
    ROUTINE_ENTRY(0x07E031);
    next_state_keeps_flags();
    sub_07E034();
}

// Stun countdown: at 0 or below touchable again and state 1. In: R20.
void sub_07E034() {
    ROUTINE_ENTRY(0x07E034);
    orb_write8(field(tp::stun_timer), dec<uint8_t>(orb_read8(field(tp::stun_timer))));
    if (less_equal()) {
        clear_bit(field(object_record::flags), object_flag::intangible);
        set_state(ai_state::start);
    }
    sub_07A523();
}

// Knock-down fall start: the type's knock-back animation, then the fall. In: R20.
void sub_07E048() {
    ROUTINE_ENTRY(0x07E048);
    cpu.reg[0] = load_zx8(field(object_record::type));
    cpu.reg[19] = orb_read32(kKnockdownAnimations + 4 * cpu.reg[0]);
    if (!call(sub_061F06, 0x07E056, 0x07E051)) return;
    sub_07E05A();
}

// Knock-down fall: tick, fall to the floor it left (state 1 there), place,
// and both copied parts flash on every frame. The body's frame ends here, so
// the per-frame routine's part-0 colour does not overwrite the flash. In: R20.
void sub_07E05A() {
    ROUTINE_ENTRY(0x07E05A);
    if (!call(sub_061FB6, 0x07E05F, 0x07E05A)) return;
    fall_step();
    if (!call(sub_07A523, 0x07E095, 0x07E090)) return;
    colour(field(tp::part0_colour), kFlash);
    colour(field(tp::part1_colour), kFlash);
    sp() += 4;
    ret();
}

// Follower piece: follows the body while it is below state 11, hides during
// states 11-22 and removes itself from 23. In: R20 = the piece.
void sub_07E0B0() {
    ROUTINE_ENTRY(0x07E0B0);
    if (!call(sub_07AA8D, 0x07E0B5, 0x07E0B0)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    if (cpu.reg[0] == follower_state::following) goto L_07E0E4;
    if (cpu.reg[0] != follower_state::setup && cpu.reg[0] != follower_state::setup_again)
        v60_unknown_jump(kFollowerStates + 4 * cpu.reg[0], 0x07E0BE);
    next_state_keeps_flags();
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    orb_write16(field(object_record::height), 32);
    cpu.reg[0] = orb_read8(body_of_piece() + tp::direction);
    orb_write8(field(tp::direction), static_cast<uint8_t>(cpu.reg[0]));
    cpu.reg[19] = orb_read32(rom::two_piece_follower_animations + 4 * cpu.reg[0]);
    if (!call(sub_061F06, 0x07E0E3, 0x07E0DE)) return;
    ret();
    return;
L_07E0E4:
    cmp<uint8_t>(body_state(), kGoneState);
    if (no_carry()) {
        if (!call(sub_088CD3, 0x07E0F0, 0x07E0EB)) return;
        sub_088D0C();
        return;
    }
    cmp<uint8_t>(body_state(), kStrikeState);
    if (no_carry()) {
        ret();
        return;
    }
    copy_position(body_of_piece());
    if (!call(sub_07E261, 0x07E10C, 0x07E107)) return;
    if (!call(sub_061FB6, 0x07E111, 0x07E10C)) return;
    if (!call(sub_062044, 0x07E116, 0x07E111)) return;
    sub_062094();
}

// Attack piece: idle with a probe for players, attack start, attack boxes by
// frame and direction, attack end; then its common tail (follow the body,
// lend its boxes to the body, show below the body's state 13). In: R20 = the
// piece.
void sub_07E11E() {
    ROUTINE_ENTRY(0x07E11E);
    if (!call(sub_07AA8D, 0x07E123, 0x07E11E)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case attack_piece_state::setup:
    case attack_piece_state::setup_again:
        next_state_keeps_flags();
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        orb_write16(field(object_record::height), 32);
        if (!call(sub_07E2A8, 0x07E14F, 0x07E14A)) return;
        ret();
        return;
    case attack_piece_state::idle:
        if (!call(sub_07E28F, 0x07E155, 0x07E150)) return;
        if (!call(sub_07E2F6, 0x07E15A, 0x07E155)) return;
        goto L_07E1DA;
    case attack_piece_state::attack_start:
        next_state_keeps_flags();
        if (!call(sub_07E2C7, 0x07E165, 0x07E160)) return;
        goto L_07E1DA;
    case attack_piece_state::attacking:
        if (!call(sub_061FB6, 0x07E16A, 0x07E165)) return;
        test<uint8_t>(orb_read8(field(object_record::frame_duration)));
        if (eq()) goto L_07E1BE;
        {
            const uint8_t variant = orb_read8(field(tp::piece_variant));
            cpu.reg[16] = orb_read8(rom::two_piece_strengths + 4u * variant + actors::rank_tier());
            const uint32_t numbers = orb_read32(rom::two_piece_attack_box_numbers + 4u * variant);
            cpu.reg[0] =
                orb_read8(numbers + 16u * orb_read8(field(object_record::frame_index)) + direction());
        }
        test<uint8_t>(cpu.reg[0]);
        if (ne()) {
            cpu.reg[10] = rom::two_piece_attack_boxes + 4 * cpu.reg[0];
            if (!call(sub_08834C, 0x07E1B8, 0x07E1B3)) return;
        }
        goto L_07E1DA;
    case attack_piece_state::attack_end: goto L_07E1BE;
    default: v60_unknown_jump(kAttackPieceStates + 4 * cpu.reg[0], 0x07E12C);
    }
L_07E1BE:
    orb_write8(body_of_piece() + tp::attack_timer, by_rank(rom::two_piece_attack_reload));
    set_state(attack_piece_state::idle);
    if (!call(sub_07E2A8, 0x07E1D5, 0x07E1D0)) return;
L_07E1DA:
    if (body_state() >= kGoneState) {
        if (!call(sub_088CD3, 0x07E1E6, 0x07E1E1)) return;
        sub_088D0C();
        return;
    }
    {
        const uint32_t body = body_of_piece();
        const uint32_t piece = cpu.reg[20];
        copy_position(body);
        const uint32_t saved = orb_read32(body + object_record::hitbox_data);
        orb_write32(body + object_record::hitbox_data, orb_read32(piece + object_record::hitbox_data));
        push(piece);
        cpu.reg[20] = body;
        if (!call(sub_08814E, 0x07E210, 0x07E20B)) return;
        cpu.reg[20] = pop();
        orb_write32(body + object_record::hitbox_data, saved);
    }
    if (body_state() >= kHiddenState) {
        ret();
        return;
    }
    if (!call(sub_061FB6, 0x07E229, 0x07E224)) return;
    if (!call(sub_062044, 0x07E22E, 0x07E229)) return;
    if (!call(sub_062094, 0x07E233, 0x07E22E)) return;
    {
        cmp<uint8_t>(orb_read8(field(object_record::copied_parts)), 2);
        const uint32_t word = no_carry() ? field(tp::part1_colour) : field(tp::part0_colour);
        test<uint8_t>(orb_read8(body_of_piece() + tp::stun_timer));
        colour(word, ne() ? kFlash : kNormal);
    }
    ret();
}

// The follower takes the body's mirror bit and, when it turned, its
// direction and the direction's animation. In: R20 = the piece.
void sub_07E261() {
    ROUTINE_ENTRY(0x07E261);
    if (!follow_facing()) {
        ret();
        return;
    }
    cpu.reg[0] = orb_read8(body_of_piece() + tp::direction);
    orb_write8(field(tp::direction), static_cast<uint8_t>(cpu.reg[0]));
    cpu.reg[19] = orb_read32(rom::two_piece_follower_animations + 4 * cpu.reg[0]);
    sub_061F06();
}

// The attack piece takes the body's mirror bit and, when it turned, the idle
// animation of the new direction. In: R20 = the piece.
void sub_07E28F() {
    ROUTINE_ENTRY(0x07E28F);
    if (follow_facing()) {
        sub_07E2A8();
        return;
    }
    ret();
}

// The attack piece's idle animation for the body's direction. In: R20.
void sub_07E2A8() {
    ROUTINE_ENTRY(0x07E2A8);
    piece_animation(rom::two_piece_idle_animations);
    sub_061F06();
}

// The attack piece takes the body's facing and starts the attack animation
// of its direction. In: R20 = the piece.
void sub_07E2C7() {
    ROUTINE_ENTRY(0x07E2C7);
    follow_facing();
    piece_animation(rom::two_piece_attack_animations);
    sub_061F06();
}

// The attack piece's probe: while the body's attack timer is 0, the
// variant's probe box tested on the players; a touch starts the attack.
// In: R20 = the piece.
void sub_07E2F6() {
    ROUTINE_ENTRY(0x07E2F6);
    const uint32_t body = body_of_piece();
    test<uint8_t>(orb_read8(body + tp::attack_timer));
    if (ne()) {
        ret();
        return;
    }
    cpu.reg[10] = rom::two_piece_probe_boxes + 4u * orb_read8(body + tp::variant);
    if (!call(sub_088347, 0x07E31A, 0x07E315)) return;
    if (clear_bit(field(object_record::flags), object_flag::touched)) set_state(orb_read8(kProbeHitState));
    ret();
}

// Approach check of the walks: counts the attack timer down; at 0, with the
// attack piece idle, the approach box tested on the players; a touch starts
// the jump (state 15, timer reloaded) and ends the walk's frame. In: R20.
void sub_07E336() {
    ROUTINE_ENTRY(0x07E336);
    test<uint8_t>(orb_read8(field(tp::attack_timer)));
    if (ne()) {
        orb_write8(field(tp::attack_timer), static_cast<uint8_t>(orb_read8(field(tp::attack_timer)) - 1));
        ret();
        return;
    }
    cmp<uint8_t>(orb_read8(linked(cpu.reg[20], object_record::partner) + object_record::state),
                 attack_piece_state::attack_start);
    if (no_carry()) {
        ret();
        return;
    }
    cpu.reg[10] = rom::two_piece_approach_box;
    if (!call(sub_088347, 0x07E35C, 0x07E357)) return;
    if (!clear_bit(field(object_record::flags), object_flag::touched)) {
        ret();
        return;
    }
    orb_write8(field(tp::attack_timer), by_rank(kApproachReload));
    set_state(kJumpState);
    sp() += 4;  // the walk body's frame ends with this return
    ret();
}
