// Platform enemies of AI types 1 to 4 on the shared actions: types 1 and 4
// jump back, leap up and strike down, or strike on the ground; type 2 leaps
// at a player from a home point; type 3 stands and throws an object that
// flies out, turns and comes back. Also a short effect at a parent's place
// and a random pick of a player in play, which other actors use.
#include "game/continuations.h"
#include "game/actors/platform_ai.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;
using namespace platform_ai;
namespace pe = platform_enemy;
namespace pl = platform_list;

namespace {

// Short effect.
constexpr uint8_t kEffectSound = 205;

// Types 1 and 4.
constexpr uint32_t kRoom = 144;  // needed behind the enemy for the ground strike

// Type 2.

constexpr uint8_t kJumpSound = 0xF4;
constexpr uint8_t kDefeatSound = 0xF5;

uint32_t variant_entry(uint32_t table, uint32_t o, uint32_t field) {
    return orb_read32(table + 4 * orb_read8(o + field));
}
void negate_byte(uint32_t at) { orb_write8(at, neg<uint8_t>(orb_read8(at))); }
// world y at or below y (signed).
bool reached(uint32_t o, uint32_t y) {
    cmp<uint16_t>(orb_read16(o + object_record::world_y), y);
    return greater_equal();
}
void put_at(uint32_t o, uint32_t x_field, uint32_t y_field) {
    orb_write16(o + object_record::world_x, orb_read16(o + x_field));
    orb_write16(o + object_record::world_y, orb_read16(o + y_field));
}

// The states the types' own routines store; their ROM state tables put the
// type's own routines at these numbers.
namespace type1_state {  // types 1 and 4
constexpr uint8_t jump_back = 15;
constexpr uint8_t ground_strike = 19;
constexpr uint8_t high_jump = 24;
}  // namespace type1_state
namespace type2_state {
constexpr uint8_t leap = 15;  // the wind-up, then the leap at the aim point
}  // namespace type2_state
namespace type3_state {
constexpr uint8_t throw_start = 11;
}  // namespace type3_state
// Type 3's thrown object.
namespace thrown_state {
constexpr uint8_t launch = 0;
constexpr uint8_t wait_left = 1;  // until the throw's animation leaves frame 0
constexpr uint8_t out_left = 2;
constexpr uint8_t wait_right = 3;
constexpr uint8_t out_right = 4;
constexpr uint8_t shrink = 5;  // its thrower was hit
constexpr uint8_t launch_again = 6;
}  // namespace thrown_state

// The actions of the hit reaction and the defeat that every type's table may
// name: tail-called; false for any other address.
bool reaction_action(uint32_t t) {
    switch (t) {
    case entry::sub_07A50F: sub_07A50F(); return true;
    case entry::sub_07A68D: sub_07A68D(); return true;
    case continuation::stun_countdown: ai_stun_countdown(); return true;
    case entry::sub_07A6B9: sub_07A6B9(); return true;
    case entry::sub_07A6CC: sub_07A6CC(); return true;
    case entry::sub_07A725: sub_07A725(); return true;
    case entry::sub_07A72D: sub_07A72D(); return true;
    case entry::sub_07A73B: sub_07A73B(); return true;
    default: return false;
    }
}

// ... and those of the start, the walks and the jumps.
bool platform_action(uint32_t t) {
    switch (t) {
    case continuation::start_code: ai_start_code(); return true;
    case entry::sub_07A535: sub_07A535(); return true;
    case entry::sub_07A54F: sub_07A54F(); return true;
    case entry::sub_07A592: sub_07A592(); return true;
    case entry::sub_07A5AC: sub_07A5AC(); return true;
    case entry::sub_07A5EF: sub_07A5EF(); return true;
    case entry::sub_07A60F: sub_07A60F(); return true;
    case entry::sub_07A637: sub_07A637(); return true;
    case entry::sub_07A657: sub_07A657(); return true;
    default: return reaction_action(t);
    }
}

}  // namespace

// Short effect at its owner (128-byte object): set at the owner's place plus
// the offsets of its type, 288 up, with its animation and sound; shown until
// the animation ends, then unlinked and released. In: R20 = the effect.
void sub_07B615() {
    ROUTINE_ENTRY(0x07B615);
    const uint32_t o = cpu.reg[20];
    const uint32_t state = load_zx8(o + object_record::state);
    if (state == short_effect_state::shown) goto L_07B680;
    if (state != short_effect_state::setup && state != short_effect_state::setup_again)
        v60_unknown_jump(0x07B621 + 3 * state, 0x07B61E);
    {
        add_state(o, 1);
        const uint32_t owner = owner_of(o);
        const uint32_t offsets = rom::platform_effect_offsets + 4 * orb_read8(o + object_record::type);
        orb_write16(o + object_record::world_x,
                    static_cast<uint16_t>(orb_read16(owner + object_record::world_x) + orb_read16(offsets)));
        orb_write16(
            o + object_record::world_y,
            static_cast<uint16_t>(orb_read16(owner + object_record::world_y) + orb_read16(offsets + 2)));
        orb_write16(o + object_record::height, 288);
        orb_write8(o + object_record::anim_mode, anim_mode::copy);
        cpu.reg[19] = rom::short_effect_animation;
        if (!call(sub_061F06, 0x07B666, 0x07B663)) return;
        set8(cpu.reg[0], kEffectSound);
        if (!call(sub_088F98, 0x07B66E, 0x07B66B)) return;
        ret();
        return;
    }
L_07B680:
    if (!call(sub_061FB6, 0x07B683, 0x07B680)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (ne()) {
        if (!call(sub_062044, 0x07B68D, 0x07B68A)) return;
        sub_062094();
        return;
    }
    if (!call(sub_088CD3, 0x07B695, 0x07B692)) return;
    sub_088D0C();
}

// A random player in play: from the slot bits of game_flags a random one of
// four ROM picks. Out: R0 = 0 when none was chosen; otherwise R0 = the pick,
// R19 = its player record and Z set when that record is not in play.
void sub_07B78A() {
    ROUTINE_ENTRY(0x07B78A);
    cpu.reg[0] = test<uint8_t>(orb_read8(var::game_flags));
    if (eq()) {
        ret();
        return;
    }
    push(cpu.reg[0]);
    if (!call(sub_06925A, 0x07B796, 0x07B793)) return;
    const uint32_t slots = pop();
    cpu.reg[0] = test<uint8_t>(orb_read8(rom::player_picks + 4 * slots + (cpu.reg[0] & 3)));
    if (eq()) {
        ret();
        return;
    }
    cpu.reg[19] =
        kHigh | static_cast<uint16_t>(0x8000 + orb_read16(rom::pick_player_offsets + 2 * cpu.reg[0]));
    test_bit(cpu.reg[19], 0);
    ret();
}

// Object routine of AI type 1 as a spawner installs it: type 1, animation
// set 0, then the shared routine of types 1 and 4.
void sub_07BBAA() {
    ROUTINE_ENTRY(0x07BBAA);
    orb_write8(cpu.reg[20] + object_record::type, 1);
    orb_write8(cpu.reg[20] + pe::ai_variant, 0);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_07BBC9 /* type 1 */);
    sub_07BBC9();
}

// ... and of AI type 4: type 4, animation set 1.
void sub_07BBB6() {
    ROUTINE_ENTRY(0x07BBB6);
    orb_write8(cpu.reg[20] + object_record::type, 4);
    orb_write8(cpu.reg[20] + pe::ai_variant, 1);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_07BBC9 /* type 1 */);
    sub_07BBC9();
}

// Per-frame routine of AI types 1 and 4: the guards, the hit reaction, then
// the state through the ROM table 0x07BBF7, which names shared actions and
// the type's own states (inline here: set-up, jump back, high jump with its
// strike from above, ground strike, defeat). In: R20 = the enemy.
void sub_07BBC9() {
    ROUTINE_ENTRY(0x07BBC9);
    const uint32_t o = cpu.reg[20];
    if (!call(sub_07AAA8, 0x07BBCC, 0x07BBC9)) return;
    if (!call(sub_07AA8D, 0x07BBCF, 0x07BBCC)) return;
    // The body the guest keeps apart (reached from here only).
    if (!call(sub_07AA53, 0x07BBD4, 0x07BBD1)) return;
    cpu.reg[10] = rom::type1_stun_frames;
    cpu.reg[11] = rom::type1_hit_states;
    if (!call(sub_07A980, 0x07BBE6, 0x07BBE3)) return;
    {
        const uint32_t t = orb_read32(rom::type1_states + 4 * orb_read8(o + object_record::state));
        if (platform_action(t)) return;
        switch (t) {
        case 0x07BC77: goto L_07BC77;
        case 0x07BC83: goto L_07BC83;
        case 0x07BCBD: goto L_07BCBD;
        case 0x07BCEB: goto L_07BCEB;
        case 0x07BCF3: goto L_07BCF3;
        case 0x07BD45: goto L_07BD45;
        case 0x07BD74: goto L_07BD74;
        case 0x07BDA5: goto L_07BDA5;
        case 0x07BE0A: goto L_07BE0A;
        case 0x07BE2F: goto L_07BE2F;
        case 0x07BE3B: goto L_07BE3B;
        case 0x07BE51: goto L_07BE51;
        case 0x07BE5A: goto L_07BE5A;
        case 0x07BE87: goto L_07BE87;
        case 0x07BE9B: goto L_07BE9B;
        default: v60_unknown_jump(t, 0x07BBF4);
        }
    }
L_07BC77:  // set-up on the platform list
    if (!call(sub_07A49A, 0x07BC7C, 0x07BC77)) return;
    sub_07A4DE();
    return;
L_07BC83:  // jump back: turned round before leaving the ground, 3 a frame
    set8(cpu.reg[0], kJumpSound);
    if (!call(sub_088F98, 0x07BC88, 0x07BC85)) return;
    set_bit(o, object_flag::airborne);
    add_state(o, 1);
    orb_write8(o + object_record::velocity_y, static_cast<uint8_t>(-24));
    orb_write8(o + object_record::velocity_x,
               not_bit(o, object_flag::mirror_x) ? static_cast<uint8_t>(-3) : 3);
    cpu.reg[19] = variant_entry(rom::jump_start_animations, o, pe::ai_variant);
    if (!call(sub_061F06, 0x07BCB8, 0x07BCB5)) return;
    sub_07A523();
    return;
L_07BCBD:  // jump-back rise
    move_by(o, object_record::world_x, object_record::velocity_x);
    if (speed_up(o) >= 0) {
        add_state(o, 1);
        cpu.reg[19] = variant_entry(rom::jump_back_descent_animations, o, pe::ai_variant);
        if (!call(sub_061F06, 0x07BCE3, 0x07BCE0)) return;
    } else {
        move_by(o, object_record::world_y, object_record::velocity_y);
    }
    sub_07A523();
    return;
L_07BCEB:
    test<uint8_t>(orb_read8(o + object_record::frame_index));
    if (eq()) goto L_07BD08;
    add_state(o, 1);
L_07BCF3:  // jump-back descent, striking what it lands on
    cpu.reg[10] = rom::jump_back_box;
    cpu.reg[16] = load_zx8(rom::jump_back_strengths + nibble(o));
    if (!call(sub_08834C, 0x07BD05, 0x07BD02)) return;
L_07BD08:
    if (!call(sub_061FB6, 0x07BD0B, 0x07BD08)) return;
    speed_up(o);
    move_by(o, object_record::world_y, object_record::velocity_y);
    move_by(o, object_record::world_x, object_record::velocity_x);
    if (reached(o, orb_read16(segment(o) + pl::floor))) {
        orb_write16(o + object_record::world_y, orb_read16(segment(o) + pl::floor));
        set_state(o, ai_state::start);
    }
    sub_07A523();
    return;
L_07BD45:  // high jump
    set8(cpu.reg[0], kJumpSound);
    if (!call(sub_088F98, 0x07BD4A, 0x07BD47)) return;
    set_bit(o, object_flag::airborne);
    add_state(o, 1);
    orb_write8(o + pe::ai_jump_flag, 0);
    orb_write8(o + object_record::velocity_y, static_cast<uint8_t>(-28));
    cpu.reg[19] = variant_entry(rom::jump_start_animations, o, pe::ai_variant);
    if (!call(sub_061F06, 0x07BD6F, 0x07BD6C)) return;
    sub_07A523();
    return;
L_07BD74:  // high-jump rise
    if (!call(sub_061FB6, 0x07BD77, 0x07BD74)) return;
    if (speed_up(o) < 0) {
        move_by(o, object_record::world_y, object_record::velocity_y);
    } else {
        add_state(o, 1);
        orb_write8(o + pe::ai_attack_timer, 0);
        cpu.reg[19] = variant_entry(rom::high_jump_top_animations, o, pe::ai_variant);
        if (!call(sub_061F06, 0x07BDA0, 0x07BD9D)) return;
    }
    sub_07A523();
    return;
L_07BDA5:  // falling, watching below for a player
    count_down8_sets_flags(o + pe::ai_attack_timer);
    if (less_equal()) {
        orb_write8(o + pe::ai_attack_timer, 0);
        cpu.reg[10] = rom::high_jump_box;
        if (!call(sub_088347, 0x07BDBC, 0x07BDB9)) return;
        if (clear_bit(o, object_flag::touched)) {
            add_state(o, 1);
            cpu.reg[19] = variant_entry(rom::high_jump_strike_animations, o, pe::ai_variant);
            if (!call(sub_061F06, 0x07BDD2, 0x07BDCF)) return;
            orb_write8(o + pe::ai_attack_timer, 20);
        }
    }
L_07BDDA:  // the fall to the floor
    if (!call(sub_061FB6, 0x07BDDD, 0x07BDDA)) return;
    speed_up(o);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (reached(o, orb_read16(segment(o) + pl::floor))) {
        orb_write16(o + object_record::world_y, orb_read16(segment(o) + pl::floor));
        set_state(o, ai_state::start);
    }
    sub_07A523();
    return;
L_07BE0A:  // strike from above in animation frame 1
    cmp<uint8_t>(orb_read8(o + object_record::frame_index), 1);
    if (eq()) {
        add_state(o, 1);
        cpu.reg[10] = rom::high_jump_box;
        cpu.reg[16] = load_zx8(rom::high_jump_strengths + nibble(o));
        if (!call(sub_08834C, 0x07BE2C, 0x07BE29)) return;
    }
    goto L_07BDDA;
L_07BE2F:
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (eq()) add_state(o, static_cast<uint32_t>(-2));
    goto L_07BDDA;
L_07BE3B:  // ground strike
    add_state(o, 1);
    cpu.reg[19] = variant_entry(rom::ground_strike_animations, o, pe::ai_variant);
    if (!call(sub_061F06, 0x07BE4C, 0x07BE49)) return;
    sub_07A523();
    return;
L_07BE51:  // wind-up
    count_down8_sets_flags(o + pe::ai_attack_timer);
    if (greater()) {
        sub_07A523();
        return;
    }
    add_state(o, 1);
L_07BE5A:
    if (!call(sub_061FB6, 0x07BE5D, 0x07BE5A)) return;
    cmp<uint8_t>(orb_read8(o + object_record::frame_index), 1);
    if (eq()) {
        add_state(o, 1);
        cpu.reg[10] = rom::ground_strike_box;
        cpu.reg[16] = load_zx8(rom::ground_strike_strengths + nibble(o));
        if (!call(sub_08834C, 0x07BE82, 0x07BE7F)) return;
    }
    sub_07A523();
    return;
L_07BE87:
    if (!call(sub_061FB6, 0x07BE8A, 0x07BE87)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (eq()) set_state(o, ai_state::start);
    sub_07A523();
    return;
L_07BE9B:  // defeat
    set8(cpu.reg[0], kDefeatSound);
    if (!call(sub_088F98, 0x07BEA0, 0x07BE9D)) return;
    sub_07A70C();
}

// Watch of AI type 1 (first watch index 2).
void sub_07BEAB() {
    ROUTINE_ENTRY(0x07BEAB);
    set8(cpu.reg[1], 2);
    sub_07BEB3();
}

// Watch of AI type 4 (first watch index 0).
void sub_07BEB0() {
    ROUTINE_ENTRY(0x07BEB0);
    set8(cpu.reg[1], 0);
    sub_07BEB3();
}

// Watch of types 1 and 4: once its timer has run out, one of two boxes a
// frame in turn (index R1 + probe side bit 0); a player inside sets the next
// interval and the branch of that index: the high jump, the jump back, or the
// ground strike when there are 144 units of room behind the enemy. A state
// change ends the calling action's frame here, undrawn. In: R20, R1 low byte.
void sub_07BEB3() {
    ROUTINE_ENTRY(0x07BEB3);
    const uint32_t o = cpu.reg[20];
    if (!watch_due(o)) {
        ret();
        return;
    }
    const uint8_t side = inc<uint8_t>(orb_read8(o + pe::ai_probe_side));
    orb_write8(o + pe::ai_probe_side, side);
    const uint32_t index = (cpu.reg[1] & 0xFF) + (side & 1);
    cpu.reg[10] = orb_read32(rom::type1_watch_boxes + 4 * index);
    if (!call(sub_088347, 0x07BEDA, 0x07BED7)) return;
    if (!test_bit(o, object_flag::touched)) {
        ret();
        return;
    }
    // One 32-bit store: the stun count and the bytes +58 and +59 become 0 too.
    orb_write32(o + pe::ai_attack_timer, load_zx8(rom::type1_watch_interval + nibble(o)));
    const uint32_t branch = orb_read32(rom::type1_watch_branches + 4 * index);
    switch (branch) {
    case continuation::watch_high_jump: set_state(o, type1_state::high_jump); break;
    case continuation::watch_ground_strike: set_state(o, type1_state::ground_strike); break;
    case continuation::watch_jump_back:
        {
            const uint16_t x = orb_read16(o + object_record::world_x);
            if (!test_bit(o, object_flag::mirror_x)) {
                cmp<uint16_t>(x + kRoom, orb_read16(segment(o) + pl::right));
                if (!less()) {
                    ret();
                    return;
                }
            } else {
                cmp<uint16_t>(x - kRoom, orb_read16(segment(o) + pl::left));
                if (!greater()) {
                    ret();
                    return;
                }
            }
            set_state(o, type1_state::jump_back);
            break;
        }
    default: v60_unknown_jump(branch, 0x07BEF6);
    }
    pop();  // our own return address: the action ends here
    ret();
}

// Per-frame routine of AI type 2: the guards, the hit reaction (its hit
// states move on by 3 for each state above 15), then the state through the
// ROM table 0x07D5FD: shared reactions or the type's own states (set-up,
// start at the home point, the leap with its wind-up, rise and descent onto
// the aim point, the return and the drop, defeat). In: R20 = the enemy.
void sub_07D5BE() {
    ROUTINE_ENTRY(0x07D5BE);
    const uint32_t o = cpu.reg[20];
    if (!call(sub_07AAA8, 0x07D5C1, 0x07D5BE)) return;
    if (!call(sub_07AA8D, 0x07D5C4, 0x07D5C1)) return;
    if (!call(sub_07AA53, 0x07D5C7, 0x07D5C4)) return;
    cpu.reg[10] = rom::type2_stun_frames;
    cpu.reg[11] = rom::type2_hit_states;
    {
        const uint8_t state = orb_read8(o + object_record::state);
        cmp<uint8_t>(state, type2_state::leap);
        if (higher()) cpu.reg[11] += 3 * (state - type2_state::leap);
    }
    if (!call(sub_07A980, 0x07D5E8, 0x07D5E5)) return;
    {
        const uint32_t t = orb_read32(rom::type2_states + 4 * orb_read8(o + object_record::state));
        if (reaction_action(t)) return;
        switch (t) {
        case 0x07D645: goto L_07D645;
        case 0x07D65C: goto L_07D65C;
        case 0x07D6B2: goto L_07D6B2;
        case 0x07D6ED: goto L_07D6ED;
        case 0x07D71E: goto L_07D71E;
        case 0x07D776: goto L_07D776;
        case 0x07D792: goto L_07D792;
        case 0x07D7D8: goto L_07D7D8;
        case 0x07D7EE: goto L_07D7EE;
        case 0x07D82C: goto L_07D82C;
        default: v60_unknown_jump(t, 0x07D5FA);
        }
    }
L_07D645:  // set-up around its own place
    orb_write8(o + object_record::type, 2);
    orb_write8(o + pe::ai_facing_code, orb_read8(orb_read32(o + object_record::data_pointer)));
    if (!call(sub_07AA19, 0x07D657, 0x07D654)) return;
    sub_07A4AB();
    return;
L_07D65C:  // start: home point and window, facing, the start animation
    {
        add_state(o, 1);
        const uint16_t x = orb_read16(o + object_record::world_x), y = orb_read16(o + object_record::world_y);
        orb_write16(o + pe::ai_home_x, x);
        orb_write16(o + pe::ai_window_left, x);
        orb_write16(o + pe::ai_window_right, x);
        orb_write16(o + pe::ai_home_y, y);
        orb_write16(o + pe::ai_window_top, y);
        orb_write16(o + pe::ai_window_bottom, y);
        if (!call(sub_07AA31, 0x07D681, 0x07D67E)) return;
        if (!call(sub_07A9D7, 0x07D686, 0x07D681)) return;
        const uint8_t code = test<uint8_t>(orb_read8(o + pe::ai_facing_code));
        if (ne()) {
            cmp<uint8_t>(code, 9);
            if (less())
                set_bit(o, object_flag::mirror_x);
            else
                clear_bit(o, object_flag::mirror_x);
        }
        cpu.reg[19] = variant_entry(rom::type2_start_animations, o, pe::ai_facing_code);
        if (!call(sub_061F06, 0x07D6A2, 0x07D69F)) return;
        count_down8_sets_flags(o + object_record::enemy_timer);
        if (eq())
            if (!call(sub_07A81E, 0x07D6AD, 0x07D6AA)) return;
        sub_07A523();
        return;
    }
L_07D6B2:  // leap wind-up
    count_down8_sets_flags(o + pe::ai_attack_timer);
    if (ne()) {
        sub_07A523();
        return;
    }
    set_bit(o, object_flag::airborne);
    add_state(o, 1);
    orb_write8(o + object_record::velocity_y, static_cast<uint8_t>(-32));
    cpu.reg[19] = rom::leap_animation;
    if (!call(sub_061F06, 0x07D6D2, 0x07D6CF)) return;
    orb_write16(o + pe::ai_home_x, orb_read16(o + object_record::world_x));
    orb_write16(o + pe::ai_home_y, orb_read16(o + object_record::world_y));
    set8(cpu.reg[0], kJumpSound);
    if (!call(sub_088F98, 0x07D6EA, 0x07D6E7)) return;
L_07D6ED:  // leap rise
    if (!call(sub_061FB6, 0x07D6F0, 0x07D6ED)) return;
    move_by(o, object_record::world_x, object_record::velocity_x);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (speed_up(o) != 0) {
        sub_07A523();
        return;
    }
    add_state(o, 1);
    cpu.reg[19] = rom::descent_animation;
    if (!call(sub_061F06, 0x07D71B, 0x07D718)) return;
L_07D71E:  // leap descent onto the aim point
    if (!call(sub_061FB6, 0x07D721, 0x07D71E)) return;
    cpu.reg[10] = rom::landing_box;
    cpu.reg[16] = load_zx8(rom::landing_strengths + nibble(o));
    if (!call(sub_08834C, 0x07D737, 0x07D734)) return;
    speed_up(o);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (reached(o, orb_read16(o + pe::ai_target_y))) {
        put_at(o, pe::ai_target_x, pe::ai_target_y);
        set_state(o, ai_state::start);
        clear_bit(o, object_flag::airborne);
        orb_write16(o + object_record::partner, 0);
    }
    sub_07A523();
    return;
L_07D776:  // back home
    add_state(o, 1);
    negate_byte(o + object_record::velocity_x);
    negate_byte(o + object_record::velocity_y);
    cpu.reg[19] = rom::return_animation;
    if (!call(sub_061F06, 0x07D78F, 0x07D78C)) return;
L_07D792:
    if (!call(sub_061FB6, 0x07D795, 0x07D792)) return;
    move_by(o, object_record::world_x, object_record::velocity_x);
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (!reached(o, orb_read16(o + pe::ai_home_y))) {
        speed_up(o);
    } else {
        put_at(o, pe::ai_home_x, pe::ai_home_y);
        set_state(o, ai_state::start);
        clear_bit(o, object_flag::airborne);
        clear_bit(o, object_flag::intangible);
    }
    sub_07A523();
    return;
L_07D7D8:  // straight down to the aim point
    add_state(o, 1);
    negate_byte(o + object_record::velocity_y);
    cpu.reg[19] = rom::return_animation;
    if (!call(sub_061F06, 0x07D7EB, 0x07D7E8)) return;
L_07D7EE:
    if (!call(sub_061FB6, 0x07D7F1, 0x07D7EE)) return;
    move_by(o, object_record::world_y, object_record::velocity_y);
    if (!reached(o, orb_read16(o + pe::ai_target_y))) {
        speed_up(o);
    } else {
        put_at(o, pe::ai_target_x, pe::ai_target_y);
        set_state(o, ai_state::start);
        clear_bit(o, object_flag::airborne);
        clear_bit(o, object_flag::intangible);
    }
    sub_07A523();
    return;
L_07D82C:  // defeat
    set8(cpu.reg[0], kDefeatSound);
    if (!call(sub_088F98, 0x07D831, 0x07D82E)) return;
    sub_07A70C();
}

// Watch of AI type 2: a random one of the four player records, taken when it
// is in play, not hit, not untouchable, in states 6 to 11, allowed by the
// reach mask and inside the reach box (own x + word 0 < player x <= own x +
// word 1, the same for y): the enemy aims at that player's place and its
// leap (state 15) starts after the wind-up. In: R20 = the enemy.
void sub_07D83C() {
    ROUTINE_ENTRY(0x07D83C);
    const uint32_t o = cpu.reg[20];
    if (!call(sub_06925A, 0x07D83F, 0x07D83C)) return;
    const uint32_t player = var::player_records + (cpu.reg[0] & 0x300);
    const uint32_t flags = orb_read32(player + object_record::flags);
    if (!(flags & 1) || (flags & (1u << object_flag::hit)) || (flags & (1u << object_flag::intangible))) {
        ret();
        return;
    }
    const uint8_t state = orb_read8(player + object_record::state);
    cmp<uint8_t>(state, player_state::jump_takeoff);
    if (less_equal()) {
        ret();
        return;
    }
    cmp<uint8_t>(state, player_state::attack_swing);
    if (greater_equal()) {
        ret();
        return;
    }
    const uint32_t code = orb_read8(player + player_record::player_code) & 15;
    if (!((orb_read32(rom::reach_mask) >> code) & 1)) {
        ret();
        return;
    }
    const uint16_t x = orb_read16(o + object_record::world_x), y = orb_read16(o + object_record::world_y);
    const uint16_t px = orb_read16(player + object_record::world_x),
                   py = orb_read16(player + object_record::world_y);
    const auto spans = [](uint16_t own, uint32_t from, uint32_t to, uint16_t other) {
        return ((static_cast<uint16_t>(own + orb_read16(from) - other) ^
                 static_cast<uint16_t>(own + orb_read16(to) - other)) &
                0x8000) != 0;
    };
    if (!spans(x, rom::reach_box, rom::reach_box + 2, px) ||
        !spans(y, rom::reach_box + 4, rom::reach_box + 6, py)) {
        ret();
        return;
    }
    orb_write16(o + pe::ai_target_y, py);
    orb_write16(o + pe::ai_target_x, px);
    orb_write8(o + object_record::velocity_x,
               static_cast<uint8_t>(sha<uint16_t>(static_cast<uint16_t>(px - x + 16), 0xFB)));
    set_state(o, type2_state::leap);
    orb_write8(o + pe::ai_facing_code, static_cast<uint8_t>(code));
    orb_write8(o + pe::ai_attack_timer, orb_read8(rom::leap_windup + nibble(o)));
    ret();
}

// Per-frame routine of AI type 3: the flags as the frame begins (its thrown
// object reads them), the guards, the hit reaction, then the state through
// the ROM table 0x07D98F: shared reactions or the type's own states (set-up,
// start, the throw with its recovery, defeat). In: R20 = the enemy.
void sub_07D95C() {
    ROUTINE_ENTRY(0x07D95C);
    const uint32_t o = cpu.reg[20];
    orb_write16(o + pe::ai_last_flags, orb_read16(o + object_record::flags));
    if (!call(sub_07AAA8, 0x07D966, 0x07D963)) return;
    if (!call(sub_07AA8D, 0x07D969, 0x07D966)) return;
    if (!call(sub_07AA53, 0x07D96C, 0x07D969)) return;
    cpu.reg[10] = rom::type3_stun_frames;
    cpu.reg[11] = rom::type3_hit_states;
    if (!call(sub_07A980, 0x07D97E, 0x07D97B)) return;
    {
        const uint32_t t = orb_read32(rom::type3_states + 4 * orb_read8(o + object_record::state));
        if (reaction_action(t)) return;
        switch (t) {
        case 0x07D9CB: goto L_07D9CB;
        case 0x07DA04: goto L_07DA04;
        case 0x07DA1D: goto L_07DA1D;
        case 0x07DA49: goto L_07DA49;
        case 0x07DA64: goto L_07DA64;
        case 0x07DA82: goto L_07DA82;
        case 0x07DAAD: goto L_07DAAD;
        default: v60_unknown_jump(t, 0x07D98C);
        }
    }
L_07D9CB:  // set-up around its own place
    orb_write8(o + pe::ai_thrower_variant, orb_read8(orb_read32(o + object_record::data_pointer)));
    orb_write8(o + pe::ai_attack_timer, orb_read8(rom::type3_interval));
    orb_write8(o + object_record::type, 3);
    if (!call(sub_07AA19, 0x07D9E6, 0x07D9E3)) return;
    if (!call(sub_07A4AB, 0x07D9EB, 0x07D9E6)) return;
    orb_write16(o + object_record::flags,
                logic<uint16_t>(
                    orb_read16(o + object_record::flags) |
                    orb_read16(rom::type3_flags + ((orb_read8(o + pe::ai_thrower_variant) & 1) ? 2 : 0))));
L_07DA04:  // start: the wind-up animation, then the wait
    add_state(o, 1);
    cpu.reg[19] = variant_entry(rom::windup_animations, o, pe::ai_thrower_variant);
    if (!call(sub_061F06, 0x07DA18, 0x07DA15)) return;
    sub_07A50F();
    return;
L_07DA1D:  // throw (nothing leaves when no object is free)
    add_state(o, 1);
    cpu.reg[19] = variant_entry(rom::throw_animations, o, pe::ai_thrower_variant);
    if (!call(sub_061F06, 0x07DA2B, 0x07DA28)) return;
    if (!call(sub_088C67, 0x07DA30, 0x07DA2D)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x07DA35, 0x07DA32)) return;
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07DABD /* thrown */);
        orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(o));
    }
L_07DA49:
    if (!call(sub_061FB6, 0x07DA4C, 0x07DA49)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (ne()) {
        sub_07A523();
        return;
    }
    add_state(o, 1);
    orb_write8(o + object_record::enemy_timer, orb_read8(rom::recovery_frames));
L_07DA64:  // recovery
    count_down8_sets_flags(o + object_record::enemy_timer);
    if (ne()) {
        sub_07A523();
        return;
    }
    add_state(o, 1);
    cpu.reg[19] = variant_entry(rom::recovery_animations, o, pe::ai_thrower_variant);
    if (!call(sub_061F06, 0x07DA7F, 0x07DA7C)) return;
L_07DA82:
    if (!call(sub_061FB6, 0x07DA85, 0x07DA82)) return;
    test<uint8_t>(orb_read8(o + object_record::frame_duration));
    if (eq()) {
        orb_write8(o + pe::ai_attack_timer, orb_read8(rom::type3_interval));
        set_state(o, ai_state::start);
    }
    sub_07A523();
    return;
L_07DAAD:  // defeat
    set8(cpu.reg[0], kDefeatSound);
    if (!call(sub_088F98, 0x07DAB2, 0x07DAAF)) return;
    sub_07A70C();
}

// Object thrown by AI type 3 (128-byte object, the thrower at +12): it waits
// for the throw's animation frame, flies out at 32 a frame, slows by 1 a
// frame, comes back and is freed once its speed passes 31 the other way; a
// hit on its thrower shrinks it away. In: R20 = the object.
void sub_07DABD() {
    ROUTINE_ENTRY(0x07DABD);
    const uint32_t o = cpu.reg[20];
    const uint32_t owner = owner_of(o);
    if (orb_read16(owner + pe::ai_last_flags) & (1u << object_flag::hit | 1u << object_flag::defeated))
        set_state(o, thrown_state::shrink);
    if (!call(sub_07AA8D, 0x07DAE0, 0x07DADD)) return;
    const uint32_t state = load_zx8(o + object_record::state);
    switch (state) {
    case thrown_state::launch:
    case thrown_state::launch_again:
        {
            add_state(o, 1);
            orb_write8(o + object_record::anim_mode, anim_mode::copy);
            cpu.reg[19] = rom::thrown_animation;
            if (!call(sub_061F06, 0x07DB12, 0x07DB0F)) return;
            const uint32_t offsets = rom::thrown_offsets + 4 * orb_read8(owner + pe::ai_thrower_variant);
            uint16_t x_offset = orb_read16(offsets);
            orb_write16(o + object_record::height, 224);
            orb_write8(o + object_record::velocity_x, static_cast<uint8_t>(-32));
            orb_write8(o + object_record::velocity_y, 0);
            if (test_bit(owner, object_flag::mirror_x)) {
                set_bit(o, object_flag::mirror_x);
                x_offset = neg<uint16_t>(x_offset);
                orb_write8(o + object_record::velocity_x, 32);
                add_state(o, 2);
            }
            orb_write16(o + object_record::world_x,
                        static_cast<uint16_t>(orb_read16(owner + object_record::world_x) + x_offset));
            orb_write16(
                o + object_record::world_y,
                static_cast<uint16_t>(orb_read16(owner + object_record::world_y) + orb_read16(offsets + 2)));
            ret();
            return;
        }
    case thrown_state::wait_left:
    case thrown_state::wait_right:
        test<uint8_t>(orb_read8(owner + object_record::frame_index));
        if (eq()) {
            ret();
            return;
        }
        add_state(o, 1);
        if (state == thrown_state::wait_right) goto L_07DBB0;
        goto L_07DB70;
    case thrown_state::out_left: goto L_07DB70;
    case thrown_state::out_right: goto L_07DBB0;
    case thrown_state::shrink: goto L_07DBF0;
    default: v60_unknown_jump(0x07DAEE + 3 * state, 0x07DAEB);
    }
L_07DB70:  // out to the left and back
    if (!call(sub_061FB6, 0x07DB73, 0x07DB70)) return;
    move_by(o, object_record::world_x, object_record::velocity_x);
    cmp<uint8_t>(orb_read8(o + object_record::velocity_x), 31);
    if (greater()) goto L_07DC1C;
    orb_write8(o + object_record::velocity_x, inc<uint8_t>(orb_read8(o + object_record::velocity_x)));
    goto L_07DB90;
L_07DBB0:  // out to the right and back
    if (!call(sub_061FB6, 0x07DBB3, 0x07DBB0)) return;
    move_by(o, object_record::world_x, object_record::velocity_x);
    cmp<uint8_t>(orb_read8(o + object_record::velocity_x), static_cast<uint8_t>(-31));
    if (less()) goto L_07DC1C;
    count_down8_sets_flags(o + object_record::velocity_x);
L_07DB90:
    cpu.reg[10] = rom::thrown_box;
    cpu.reg[16] = load_zx8(rom::thrown_strengths + (orb_read8(var::difficulty_rank) >> 4));
    if (!call(sub_08834C, 0x07DBD6, 0x07DBD3)) return;
    if (!call(sub_062044, 0x07DBDB, 0x07DBD6)) return;
    sub_062094();
    return;
L_07DBF0:  // shrinking away
    {
        widen_part(o);
        const uint16_t w = orb_read16(o + pe::part_word3);
        cmp<uint16_t>(w & 0x3FF, 5);
        if (carry()) goto L_07DC1C;
        orb_write16(o + pe::part_word3, static_cast<uint16_t>((w & 0xFC00) | ((w & 0x3FF) - 4)));
        if (!call(sub_062044, 0x07DC15, 0x07DC12)) return;
        sub_062094();
        return;
    }
L_07DC1C:
    if (!call(sub_088CD3, 0x07DC1F, 0x07DC1C)) return;
    sub_088D0C();
}

// Watch of AI type 3: when its timer runs out it is set again and the throw
// (state 11) starts. In: R20 = the enemy.
void sub_07DC27() {
    ROUTINE_ENTRY(0x07DC27);
    const uint32_t o = cpu.reg[20];
    count_down8_sets_flags(o + pe::ai_attack_timer);
    if (eq()) {
        orb_write8(o + pe::ai_attack_timer, orb_read8(rom::type3_interval));
        set_state(o, type3_state::throw_start);
    }
    ret();
}
