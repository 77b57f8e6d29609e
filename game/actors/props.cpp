// Props: placed scenery that players can hit. A prop has energy and a score
// value, flashes (without hit boxes) and sounds when hit, and once defeated
// either plays its animation out, waits, blinks and goes, or is knocked away
// bouncing until it leaves the screen. Props do not count as live enemies.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint8_t kNoCompanion = 2;
constexpr uint8_t kFlashFrames = 10;
constexpr uint8_t kWaitFrames = 30;
constexpr uint8_t kBounceSound = 151;
constexpr int16_t kScreenLeft = -63;
constexpr int16_t kScreenRight = 384;

constexpr uint32_t kBreakableStates = 0x081604;  // branch tables, 3 bytes a state
constexpr uint32_t kKnockAwayStates = 0x081740;

uint8_t prop_type(uint32_t prop) { return orb_read8(prop + object_record::type); }

// The props' states, the places of their branch tables' entries.
namespace breakable_state {
constexpr uint8_t setup = 0, alive = 1, defeated = 2, fading = 3, waiting = 4, blinking = 5;
}  // namespace breakable_state
namespace knock_away_state {
constexpr uint8_t setup = 0, alive = 1, defeated = 2, flying = 3, gone = 4;
}  // namespace knock_away_state

// True when the last attacker (+60) faces the unmirrored way.
bool attacker_unmirrored(uint32_t prop) {
    return !test_bit(linked(prop, object_record::last_attacker) + object_record::flags,
                     object_flag::mirror_x);
}

}  // namespace

// A prop's first routine: its type from the byte its data pointer names, and
// the type's routine (ROM 0x081ABA), run at once. The three types without
// translated code run their first frame here (set-up; 0x081654 only below
// the camera controller's state 5, else it goes; 0x0816BA behind the
// area-change guard) with their address left installed, so their second
// frame ends the run. Other table values end it at once. In: R20 = the prop.
void sub_0815E2() {
    ROUTINE_ENTRY(0x0815E2);
    const uint32_t prop = cpu.reg[20];
    cpu.reg[19] = orb_read32(prop + object_record::data_pointer);
    orb_write8(prop + object_record::type, orb_read8(cpu.reg[19]));
    const uint32_t routine = orb_read32(rom::prop_routines + 4u * prop_type(prop));
    orb_write32(prop + object_record::routine, routine);
    switch (routine) {
    case entry::sub_0815F6 /* breakable */: sub_0815F6(); return;
    case entry::sub_081732 /* knock away */: sub_081732(); return;
    case continuation::controller_prop:
        cmp<uint8_t>(orb_read8(orb_read32(var::area_controller) + object_record::state),
                     camera_state::to_area_end);
        if (carry()) {
            sub_08199B();
            return;
        }
        if (!call(sub_088CD3, 0x0815F1, 0x0815EC)) return;
        sub_088D0C();
        return;
    case continuation::guarded_prop:
        if (!call(sub_07F113, 0x0815F4, 0x0815F1)) return;
        sub_08199B();
        return;
    case continuation::plain_prop: sub_08199B(); return;
    default: v60_unknown_jump(routine, 0x0815F2);
    }
}

// Breakable prop: behind the area-change guard, set up (0), alive (1); its
// defeat (2) clears its flags bit 0 and lets the animation it shows run out
// (3), waits 30 frames (4) and blinks 16 of 31 frames before it goes (5).
// Branch-table states 0 to 5. In: R20 = the prop.
void sub_0815F6() {
    ROUTINE_ENTRY(0x0815F6);
    if (!call(sub_07F113, 0x0815FB, 0x0815F6)) return;
    const uint32_t prop = cpu.reg[20];
    const uint8_t state = orb_read8(prop + object_record::state);
    switch (state) {
    case breakable_state::setup: sub_08199B(); return;
    case breakable_state::alive: sub_0819E3(); return;
    case breakable_state::defeated:
        orb_write8(prop + object_record::state, breakable_state::fading);
        clear_bit(prop + object_record::flags, object_flag::alive);
        sub_081621();
        return;
    case breakable_state::fading: sub_081621(); return;
    case breakable_state::waiting: sub_081636(); return;
    case breakable_state::blinking: sub_08163F(); return;
    default: v60_unknown_jump(kBreakableStates + 3u * state, 0x081601);
    }
}

// The defeat animation runs to its end, then the 30-frame wait starts at
// once. In: R20 = the prop.
void sub_081621() {
    ROUTINE_ENTRY(0x081621);
    if (!call(sub_061FB6, 0x081626, 0x081621)) return;
    const uint32_t prop = cpu.reg[20];
    test<uint8_t>(orb_read8(prop + object_record::frame_duration));
    if (ne()) {
        if (!call(sub_062044, 0x08162C, 0x081628)) return;
        sub_0620CD();
        return;
    }
    orb_write8(prop + object_record::state, breakable_state::waiting);
    orb_write8(prop + prop_record::counter, kWaitFrames);
    sub_081636();
}

// The wait: at its end the blink starts at once. In: R20 = the prop.
void sub_081636() {
    ROUTINE_ENTRY(0x081636);
    const uint32_t prop = cpu.reg[20];
    orb_write8(prop + prop_record::counter, dec<uint8_t>(orb_read8(prop + prop_record::counter)));
    if (eq()) {
        orb_write8(prop + object_record::state, breakable_state::blinking);
        sub_08163F();
        return;
    }
    if (!call(sub_062044, 0x08163D, 0x081639)) return;
    sub_0620CD();
}

// The blink: drawn on odd counts, gone when the 5-bit count wraps to 0 (the
// 32nd frame). In: R20 = the prop.
void sub_08163F() {
    ROUTINE_ENTRY(0x08163F);
    const uint32_t prop = cpu.reg[20];
    const uint8_t count = logic<uint8_t>(inc<uint8_t>(orb_read8(prop + prop_record::counter)) & 0x1F);
    orb_write8(prop + prop_record::counter, count);
    if (eq()) {
        if (!call(sub_088CD3, 0x08164A, 0x081645)) return;
        sub_088D0C();
        return;
    }
    if (!(count & 1)) {
        ret();
        return;
    }
    if (!call(sub_062044, 0x081651, 0x08164D)) return;
    sub_0620CD();
}

// Knock-away prop: behind the area-change guard, set up (0), alive (1);
// defeated (2) it is thrown at 10 a frame (the way its attacker faces, see
// sub_081A5C) and 25 up, and (3) bounces with ever smaller bounces, sound 151
// at each, until its screen X leaves -63..383; then (4) it goes.
// Branch-table states 0 to 4. In: R20 = the prop.
void sub_081732() {
    ROUTINE_ENTRY(0x081732);
    if (!call(sub_07F113, 0x081737, 0x081732)) return;
    const uint32_t prop = cpu.reg[20];
    {
        const uint8_t state = orb_read8(prop + object_record::state);
        if (state == knock_away_state::setup) {
            sub_08199B();
            return;
        }
        if (state == knock_away_state::alive) {
            sub_0819E3();
            return;
        }
        if (state == knock_away_state::flying) goto L_0817AD;
        if (state == knock_away_state::gone) goto L_081840;
        if (state != knock_away_state::defeated) v60_unknown_jump(kKnockAwayStates + 3u * state, 0x08173D);
    }
    orb_write8(prop + object_record::state, knock_away_state::flying);
    orb_write8(prop + object_record::velocity_x, 10);
    orb_write8(prop + prop_record::vertical_speed, 25);
    orb_write8(prop + prop_record::bounce_speed, 25);
    if (!call(sub_081A5C, 0x0817A4, 0x08179F)) return;

L_0817AD:  // state 3: flying
    cmp<uint16_t>(orb_read16(prop + object_record::screen_x), static_cast<uint16_t>(kScreenLeft));
    if (less()) goto L_081830;
    cmp<uint16_t>(orb_read16(prop + object_record::screen_x), static_cast<uint16_t>(kScreenRight));
    if (greater_equal()) goto L_081830;
    orb_write8(prop + prop_record::vertical_speed,
               dec<uint8_t>(orb_read8(prop + prop_record::vertical_speed)));
    orb_write16(prop + object_record::world_x, add<uint16_t>(orb_read16(prop + object_record::world_x),
                                                             load_sx8(prop + object_record::velocity_x)));
    orb_write16(prop + object_record::height, add<uint16_t>(orb_read16(prop + object_record::height),
                                                            load_sx8(prop + prop_record::vertical_speed)));
    if (!call(sub_061FB6, 0x0817F0, 0x0817EB)) return;
    test<uint16_t>(orb_read16(prop + object_record::height));
    if (less_equal()) {
        orb_write16(prop + object_record::height, 0);
        const uint8_t bounce = sub<uint8_t>(orb_read8(prop + prop_record::bounce_speed), 5);
        orb_write8(prop + prop_record::bounce_speed, bounce);
        orb_write8(prop + prop_record::vertical_speed, bounce);
        cpu.reg[0] = kBounceSound;
        if (!call(sub_088F98, 0x08181E, 0x081819)) return;
    }
    if (!call(sub_062044, 0x081828, 0x081823)) return;
    sub_0620CD();
    return;

L_081830:  // off the screen
    orb_write8(prop + object_record::state, knock_away_state::gone);
    clear_bit(prop + object_record::flags, object_flag::alive);
    ret();
    return;

L_081840:  // state 4
    if (!call(sub_088CD3, 0x081845, 0x081840)) return;
    sub_088D0C();
}

// Prop set-up: the next state, alive, its energy, score and animation by
// type, on the ground, no flash; a companion for every type but 2. Not drawn
// this frame. In: R20 = the prop.
void sub_08199B() {
    ROUTINE_ENTRY(0x08199B);
    const uint32_t prop = cpu.reg[20];
    next_state_sets_flags(prop);
    set_bit(prop + object_record::flags, object_flag::alive);
    orb_write8(prop + object_record::anim_mode, anim_mode::copy);
    orb_write8(prop + prop_record::flash_timer, 0);
    const uint8_t type = prop_type(prop);
    orb_write16(prop + object_record::energy, orb_read16(rom::prop_energy + 2u * type));
    orb_write16(prop + object_record::score_value, orb_read16(rom::prop_scores + 2u * type));
    orb_write16(prop + object_record::height, 0);
    cpu.reg[19] = orb_read32(rom::prop_animations + 4u * type);
    if (!call(sub_061F06, 0x0819C9, 0x0819C4)) return;
    cmp<uint8_t>(prop_type(prop), kNoCompanion);
    if (eq()) {
        ret();
        return;
    }
    cpu.reg[10] = rom::prop_companions + 4u * prop_type(prop);
    if (!call(sub_077B88, 0x0819E0, 0x0819DB)) return;
    ret();
}

// A prop alive: a hit (flags bit 8) starts 10 flash frames and queues its
// type's sound; the defeat (bit 9) advances the state; otherwise its hit
// boxes go into table B unless it flashes. Placed and listed.
// In: R20 = the prop.
void sub_0819E3() {
    ROUTINE_ENTRY(0x0819E3);
    const uint32_t prop = cpu.reg[20];
    if (clear_bit(prop + object_record::flags, object_flag::hit)) {
        orb_write8(prop + prop_record::flash_timer, kFlashFrames);
        cpu.reg[0] = load_zx8(rom::prop_hit_sounds + prop_type(prop));
        if (!call(sub_088F98, 0x081A02, 0x0819FD)) return;
    }
    if (clear_bit(prop + object_record::flags, object_flag::defeated)) {
        next_state_sets_flags(prop);
    } else {
        test<uint8_t>(orb_read8(prop + prop_record::flash_timer));
        if (ne()) {
            orb_write8(prop + prop_record::flash_timer,
                       dec<uint8_t>(orb_read8(prop + prop_record::flash_timer)));
        } else {
            if (!call(sub_088134, 0x081A22, 0x081A1D)) return;
        }
    }
    if (!call(sub_062044, 0x081A2C, 0x081A27)) return;
    sub_0620CD();
}

// Faces the prop away from an unmirrored last attacker (flags bit 6 set);
// nothing when the attacker is mirrored. In: R20 = the prop.
void sub_081A33() {
    ROUTINE_ENTRY(0x081A33);
    const uint32_t prop = cpu.reg[20];
    if (attacker_unmirrored(prop)) set_bit(prop + object_record::flags, object_flag::mirror_x);
    ret();
}

// The knock-away's direction: after an unmirrored last attacker the X speed
// is negated and the type's knock animation starts; after a mirrored one
// nothing changes. In: R20 = the prop.
void sub_081A5C() {
    ROUTINE_ENTRY(0x081A5C);
    const uint32_t prop = cpu.reg[20];
    if (!attacker_unmirrored(prop)) {
        ret();
        return;
    }
    orb_write8(prop + object_record::velocity_x, neg<uint8_t>(orb_read8(prop + object_record::velocity_x)));
    cpu.reg[19] = orb_read32(rom::prop_knock_animations + 4u * prop_type(prop));
    if (!call(sub_061F06, 0x081A7D, 0x081A78)) return;
    ret();
}
