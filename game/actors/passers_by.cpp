// Passers-by: actors 49 to 53 that play a short scene of their own and leave
// once the engine no longer lists them, with their children (type 49's part,
// type 51's zoomed companion, type 52's struck object, type 53's gun and its
// shots). None registers a hit box. Types 49, 50, 52 and 53 count as live
// enemies while they play; type 51 does not.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// Type 49.
constexpr uint16_t k49Stop = 1136;

// Type 50.
constexpr uint16_t k50Camera = 4736;

// Type 51 and its companion.
constexpr uint32_t k51Script = 0x1364A0;
constexpr uint32_t k51CompanionStates = 0x079679;  // branch table, 3 bytes a state

// Type 52 and its partner.
constexpr uint32_t kPartnerStates = 0x079724;  // branch table, 3 bytes a state
constexpr uint8_t kStrikeSound = 0xAE;
constexpr uint8_t kStruckSound = 0xCD;

// Type 53, its gun and shots.
constexpr uint16_t kBobHeight = 250;
constexpr uint8_t kEngineSound = 0xE4;
constexpr uint8_t kHaltSound = 0xD8;
constexpr uint8_t kSilence = 0xFF;
constexpr uint8_t kExplosionType = 7;
constexpr uint16_t kShotReach = 320;

constexpr uint8_t kNoSlot = 255;

// The states of type 49's part, the places of its ROM state table's entries;
// the actors' own are in game/engine/states.h.
namespace part_state {
constexpr uint8_t setup = 0, following = 1;
}  // namespace part_state

// The u32 entry of a state table for the object's state.
uint32_t state_step(uint32_t table, uint32_t object) {
    return orb_read32(table + 4u * orb_read8(object + object_record::state));
}

void count_in() { orb_write8(var::live_enemy_count, inc<uint8_t>(orb_read8(var::live_enemy_count))); }
void count_out() { orb_write8(var::live_enemy_count, dec<uint8_t>(orb_read8(var::live_enemy_count))); }

// The head of a passer-by's set-up: flags, type, on the ground.
void start_actor(uint32_t actor, uint16_t flags, uint8_t type) {
    orb_write16(actor + object_record::flags, flags);
    orb_write8(actor + object_record::type, type);
    orb_write16(actor + object_record::height, 0);
}

// A 16-bit timer counted down; true when it reached 0.
bool timer_ends(uint32_t object) {
    orb_write16(object + object_record::enemy_timer,
                dec<uint16_t>(orb_read16(object + object_record::enemy_timer)));
    return eq();
}

void move_x(uint32_t object, uint32_t dx) {
    orb_write16(object + object_record::world_x,
                add<uint16_t>(orb_read16(object + object_record::world_x), dx));
}

// Offsets from the screen centre doubled: with the playfield at half size the
// object keeps its place on the screen.
void double_zoom_offsets(uint32_t object) {
    const uint16_t dx = orb_read16(object + passer_by::zoom_dx), dy = orb_read16(object + passer_by::zoom_dy);
    orb_write16(object + passer_by::zoom_dx, add<uint16_t>(dx, dx));
    orb_write16(object + passer_by::zoom_dy, add<uint16_t>(dy, dy));
}

// The partner an actor keeps, or 0 when its child was not made.
uint32_t partner_of(uint32_t actor) {
    const uint16_t low = orb_read16(actor + object_record::partner);
    return low == 0 ? 0 : linked(actor, object_record::partner);
}

}  // namespace

// ---- type 49 ----

// Type 49: walks in (+16 a frame) to X 1136, stands after 120 frames and
// turns to release its effect, waits while the effect lives, then walks off
// and goes once it is no longer listed, taking its part with it. Table
// entries without a state end the run. In: R20 = the actor.
void sub_069A9E() {
    ROUTINE_ENTRY(0x069A9E);
    const uint32_t actor = cpu.reg[20];
    {
        const uint32_t step = state_step(rom::type49_states, actor);
        if (step == continuation::type49_set_up) goto L_069ABE;
        if (step == continuation::type49_walk_in) goto L_069B0F;
        if (step == continuation::type49_wait) goto L_069B28;
        if (step == continuation::type49_effect) goto L_069B3E;
        if (step == continuation::type49_leave) goto L_069B4C;
        v60_unknown_jump(step, 0x069AA6);
    }

L_069ABE:  // state 0: set-up
    count_in();
    start_actor(actor, flag_mask(object_flag::enemy, object_flag::mirror_x, object_flag::alive), 49);
    orb_write8(actor + object_record::target_slot, kNoSlot);
    cpu.reg[10] = rom::type49_companion;
    if (!call(sub_077B88, 0x069AD8, 0x069AD3)) return;
    cpu.reg[19] = rom::type49_script;
    if (!call(sub_061F67, 0x069AE3, 0x069ADE)) return;
    cpu.reg[10] = rom::type49_part_data;
    if (!call(sub_069F04, 0x069AEE, 0x069AE9)) return;
    if (ne()) orb_write16(actor + object_record::partner, static_cast<uint16_t>(cpu.reg[21]));
    cpu.reg[0] = 10;
    if (!call(sub_08251B, 0x069AFC, 0x069AF7)) return;
    orb_write16(actor + object_record::enemy_timer, 120);
    orb_write8(actor + object_record::state, walker_state::walk_in);

L_069B0F:  // state 1: walking in
    if (!call(sub_061FB6, 0x069B14, 0x069B0F)) return;
    move_x(actor, 16);
    cmp<uint16_t>(orb_read16(actor + object_record::world_x), k49Stop);
    if (greater_equal()) orb_write8(actor + object_record::state, walker_state::wait);

L_069B28:  // state 2: the timer from the set-up
    if (!timer_ends(actor)) {
        if (!call(sub_062044, 0x069B33, 0x069B2E)) return;
        sub_0620CD();
        return;
    }
    clear_bit(actor + object_record::flags, object_flag::mirror_x);
    cpu.reg[0] = 11;
    if (!call(sub_0824F0, 0x069B3A, 0x069B35)) return;
    next_state_sets_flags(actor);

L_069B3E:  // state 3: while its effect lives
    if (test_bit(actor + object_record::flags, object_flag::effect_lives)) {
        if (!call(sub_062044, 0x069B46, 0x069B41)) return;
        sub_0620CD();
        return;
    }
    set_bit(actor + object_record::flags, object_flag::mirror_x);
    orb_write8(actor + object_record::state, walker_state::walk_off);

L_069B4C:  // state 4: walking off
    if (test_bit(actor + object_record::flags, object_flag::listed)) {
        move_x(actor, 16);
        if (!call(sub_061FB6, 0x069B59, 0x069B54)) return;
        if (!call(sub_062044, 0x069B5E, 0x069B59)) return;
        sub_0620CD();
        return;
    }
    clear_bit(actor + object_record::flags, object_flag::alive);
    if (const uint32_t part = partner_of(actor)) clear_bit(part + object_record::flags, object_flag::alive);
    count_out();
    if (!call(sub_088CD3, 0x069B6D, 0x069B68)) return;
    sub_088D0C();
}

// ---- type 50 ----

// Type 50: stands (not animated) until its 900 frames run out or the camera
// reaches X 4736, acts and releases its effect, waits while it lives, then
// walks off at 14 a frame, animating twice as fast, and goes once it is no
// longer listed. In: R20 = the actor.
void sub_069B78() {
    ROUTINE_ENTRY(0x069B78);
    const uint32_t actor = cpu.reg[20];
    {
        const uint32_t step = state_step(rom::type50_states, actor);
        if (step == continuation::type50_set_up) goto L_069B96;
        if (step == continuation::type50_wait) goto L_069BD2;
        if (step == continuation::type50_effect) goto L_069BFE;
        if (step == continuation::type50_leave) goto L_069C19;
        v60_unknown_jump(step, 0x069B84);
    }

L_069B96:  // state 0: set-up
    count_in();
    start_actor(actor, flag_mask(object_flag::enemy, object_flag::alive), 50);
    orb_write8(actor + object_record::target_slot, kNoSlot);
    cpu.reg[10] = rom::type50_companion;
    if (!call(sub_077B88, 0x069BB5, 0x069BB0)) return;
    cpu.reg[19] = rom::type50_script;
    if (!call(sub_061F67, 0x069BC0, 0x069BBB)) return;
    orb_write16(actor + object_record::enemy_timer, 900);
    orb_write8(actor + object_record::state, waiter_state::wait);

L_069BD2:  // state 1: waiting for the timer or the camera
    if (!timer_ends(actor)) {
        cmp<uint16_t>(orb_read16(orb_read32(var::camera_pointer) + camera_record::x), k50Camera);
        if (less()) {
            if (!call(sub_062044, 0x069BE4, 0x069BDF)) return;
            sub_0620CD();
            return;
        }
    }
    cpu.reg[19] = rom::type50_act_script;
    if (!call(sub_061F06, 0x069BEF, 0x069BEA)) return;
    cpu.reg[0] = 59;
    if (!call(sub_0824F0, 0x069BF7, 0x069BF2)) return;
    orb_write8(actor + object_record::state, waiter_state::effect);

L_069BFE:  // state 2: while its effect lives
    if (test_bit(actor + object_record::flags, object_flag::effect_lives)) {
        if (!call(sub_061FB6, 0x069C06, 0x069C01)) return;
        if (!call(sub_062044, 0x069C0B, 0x069C06)) return;
        sub_0620CD();
        return;
    }
    cpu.reg[19] = rom::leave_script;
    if (!call(sub_061F06, 0x069C13, 0x069C0E)) return;
    set_bit(actor + object_record::flags, object_flag::mirror_x);
    orb_write8(actor + object_record::state, waiter_state::walk_off);

L_069C19:  // state 3: walking off
    if (!test_bit(actor + object_record::flags, object_flag::listed)) {
        clear_bit(actor + object_record::flags, object_flag::alive);
        count_out();
        if (!call(sub_088CD3, 0x069C26, 0x069C21)) return;
        sub_088D0C();
        return;
    }
    move_x(actor, 14);
    if (!call(sub_061FB6, 0x069C2E, 0x069C29)) return;
    if (!call(sub_061FB6, 0x069C33, 0x069C2E)) return;
    if (!call(sub_062044, 0x069C37, 0x069C33)) return;
    sub_0620CD();
}

// ---- type 51 ----

// Type 51: stands high above the ground (listed by its height) with its
// companion until an area change starts, then shows zoomed with the playfield
// until the change ends, when it goes. Not a live enemy. In: R20 = the actor.
void sub_069C3C() {
    ROUTINE_ENTRY(0x069C3C);
    const uint32_t actor = cpu.reg[20];
    {
        const uint32_t step = state_step(rom::type51_states, actor);
        if (step == continuation::type51_set_up) goto L_069C56;
        if (step == continuation::type51_standing) goto L_069C7D;
        if (step == continuation::type51_zoomed) goto L_069CA7;
        v60_unknown_jump(step, 0x069C48);
    }

L_069C56:  // state 0: set-up
    orb_write16(actor + object_record::flags, flag_mask(object_flag::alive));
    orb_write8(actor + object_record::type, 51);
    orb_write16(actor + object_record::height, static_cast<uint16_t>(-96));
    cpu.reg[19] = k51Script;
    if (!call(sub_061F67, 0x069C6E, 0x069C69)) return;
    if (!call(sub_07964E, 0x069C73, 0x069C6E)) return;
    orb_write8(actor + object_record::state, perched_state::standing);

L_069C7D:  // state 1: standing
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        if (!call(sub_062044, 0x069C88, 0x069C83)) return;
        sub_062094();
        return;
    }
    cpu.reg[19] = rom::zoom_script;
    if (!call(sub_061F67, 0x069C93, 0x069C8E)) return;
    if (!call(sub_0797C0, 0x069C98, 0x069C93)) return;
    double_zoom_offsets(actor);
    orb_write8(actor + object_record::state, perched_state::zoomed);

L_069CA7:  // state 2: zoomed
    if (test_bit(var::game_flags, game_flag::area_change)) {
        sub_0797DB();
        return;
    }
    if (!call(sub_088CD3, 0x069CB8, 0x069CB3)) return;
    sub_088D0C();
}

// ---- type 52 ----

// Type 52: waits 120 frames, strikes its partner (at frame 3 of its
// animation), waits for the animation's end and 60 frames more, then walks
// off at 14 a frame and is removed in the next frame once it is no longer
// listed. In: R20 = the actor.
void sub_069CC1() {
    ROUTINE_ENTRY(0x069CC1);
    const uint32_t actor = cpu.reg[20];
    {
        const uint32_t step = state_step(rom::type52_states, actor);
        if (step == continuation::type52_set_up) goto L_069CE6;
        if (step == continuation::type52_wait) goto L_069D25;
        if (step == continuation::type52_strike) goto L_069D2E;
        if (step == continuation::type52_finish) goto L_069D57;
        if (step == continuation::type52_pause) goto L_069D6D;
        if (step == continuation::type52_leave) goto L_069D87;
        v60_unknown_jump(step, 0x069CCA);
    }

L_069CE6:  // state 0: set-up
    count_in();
    start_actor(actor, flag_mask(object_flag::alive), 52);
    cpu.reg[10] = rom::type52_companion;
    if (!call(sub_077B88, 0x069D00, 0x069CFB)) return;
    cpu.reg[19] = rom::zoom_script;
    if (!call(sub_061F67, 0x069D0B, 0x069D06)) return;
    if (!call(sub_0796F9, 0x069D10, 0x069D0B)) return;
    if (ne()) orb_write16(actor + object_record::partner, static_cast<uint16_t>(cpu.reg[21]));
    orb_write16(actor + object_record::enemy_timer, 120);
    orb_write8(actor + object_record::state, striker_state::wait);

L_069D25:  // state 1: waiting
    if (!timer_ends(actor)) {
        if (!call(sub_062044, 0x069D2B, 0x069D27)) return;
        sub_0620CD();
        return;
    }
    orb_write8(actor + object_record::state, striker_state::strike);

L_069D2E:  // state 2: the strike
    if (!call(sub_061FB6, 0x069D33, 0x069D2E)) return;
    cmp<uint8_t>(orb_read8(actor + object_record::frame_index), 3);
    if (eq()) {
        if (const uint32_t partner = partner_of(actor))
            set_bit(partner + object_record::flags, object_flag::hit);
        cpu.reg[0] = kStrikeSound;
        if (!call(sub_088FD7, 0x069D48, 0x069D43)) return;
        orb_write8(actor + object_record::state, striker_state::finish);
    }
    if (!call(sub_062044, 0x069D52, 0x069D4D)) return;
    sub_0620CD();
    return;

L_069D57:  // state 3: to the animation's end
    if (!call(sub_061FB6, 0x069D5C, 0x069D57)) return;
    test<uint8_t>(orb_read8(actor + object_record::frame_duration));
    if (ne()) {
        if (!call(sub_062044, 0x069D66, 0x069D61)) return;
        sub_0620CD();
        return;
    }
    orb_write16(actor + object_record::enemy_timer, 60);
    orb_write8(actor + object_record::state, striker_state::pause);

L_069D6D:  // state 4: a pause
    if (!timer_ends(actor)) {
        if (!call(sub_062044, 0x069D73, 0x069D6F)) return;
        sub_0620CD();
        return;
    }
    cpu.reg[19] = rom::leave_script;
    if (!call(sub_061F67, 0x069D7E, 0x069D79)) return;
    set_bit(actor + object_record::flags, object_flag::mirror_x);
    orb_write8(actor + object_record::state, striker_state::walk_off);

L_069D87:  // state 5: walking off
    if (!test_bit(actor + object_record::flags, object_flag::listed)) {
        clear_bit(actor + object_record::flags, object_flag::alive);
        count_out();
        orb_write32(actor + object_record::routine, entry::sub_069EF8 /* removal */);
        ret();
        return;
    }
    move_x(actor, 14);
    if (!call(sub_061FB6, 0x069D9E, 0x069D99)) return;
    if (!call(sub_061FB6, 0x069DA3, 0x069D9E)) return;
    if (!call(sub_062044, 0x069DA8, 0x069DA3)) return;
    sub_0620CD();
}

// ---- type 53 ----

// Type 53: flies in bobbing about height 250, slowing from 50 to 0 a frame,
// releases its effect and waits while it lives, then flies off speeding up;
// once it is no longer listed its gun goes with it and it is removed in the
// next frame. Each frame (but the last) ends in the motion step.
// In: R20 = the actor.
void sub_069DB0() {
    ROUTINE_ENTRY(0x069DB0);
    const uint32_t actor = cpu.reg[20];
    {
        const uint32_t step = state_step(rom::type53_states, actor);
        if (step == continuation::type53_set_up) goto L_069DCE;
        if (step == continuation::type53_slow) goto L_069E29;
        if (step == continuation::type53_effect) goto L_069E56;
        if (step == continuation::type53_leave) goto L_069E6D;
        v60_unknown_jump(step, 0x069DBA);
    }

L_069DCE:  // state 0: set-up
    count_in();
    start_actor(actor, flag_mask(object_flag::enemy, object_flag::mirror_x, object_flag::alive), 53);
    orb_write16(actor + object_record::height, kBobHeight);
    orb_write8(actor + passer_by::wave_phase, 0);
    orb_write8(actor + object_record::velocity_x, 50);
    orb_write8(actor + object_record::offset_index, 0);
    orb_write8(actor + object_record::target_slot, kNoSlot);
    cpu.reg[10] = rom::type53_companion;
    if (!call(sub_077B88, 0x069E04, 0x069DFF)) return;
    cpu.reg[19] = rom::type53_script;
    if (!call(sub_061F67, 0x069E0F, 0x069E0A)) return;
    if (!call(sub_072825, 0x069E14, 0x069E0F)) return;
    if (ne()) orb_write16(actor + object_record::partner, static_cast<uint16_t>(cpu.reg[21]));
    cpu.reg[0] = kEngineSound;
    if (!call(sub_088F98, 0x069E22, 0x069E1D)) return;
    orb_write8(actor + object_record::state, gun_carrier_state::slow_down);

L_069E29:  // state 1: slowing down
    move_x(actor, orb_read8(actor + object_record::velocity_x));
    orb_write8(actor + object_record::velocity_x, dec<uint8_t>(orb_read8(actor + object_record::velocity_x)));
    if (ne()) goto L_069E9C;
    clear_bit(actor + object_record::flags, object_flag::mirror_x);
    cpu.reg[0] = kHaltSound;
    if (!call(sub_088F98, 0x069E44, 0x069E3F)) return;
    cpu.reg[0] = 62;
    if (!call(sub_0824F0, 0x069E4E, 0x069E49)) return;
    orb_write8(actor + object_record::state, gun_carrier_state::effect);

L_069E56:  // state 2: while its effect lives
    if (test_bit(actor + object_record::flags, object_flag::effect_lives)) goto L_069E9C;
    set_bit(actor + object_record::flags, object_flag::mirror_x);
    cpu.reg[0] = kEngineSound;
    if (!call(sub_088F98, 0x069E66, 0x069E61)) return;
    orb_write8(actor + object_record::state, gun_carrier_state::fly_off);

L_069E6D:  // state 3: flying off
    if (!test_bit(actor + object_record::flags, object_flag::listed)) {
        clear_bit(actor + object_record::flags, object_flag::alive);
        if (const uint32_t gun = partner_of(actor)) {
            cpu.reg[20] = gun;
            if (!call(sub_088CD3, 0x069E80, 0x069E7B)) return;
            if (!call(sub_088D0C, 0x069E85, 0x069E80)) return;
            cpu.reg[20] = actor;
        }
        cpu.reg[0] = kSilence;
        if (!call(sub_088F98, 0x069E8D, 0x069E88)) return;
        count_out();
        orb_write32(actor + object_record::routine, entry::sub_069EF8 /* removal */);
        ret();
        return;
    }
    move_x(actor, orb_read8(actor + object_record::velocity_x));
    orb_write8(actor + object_record::velocity_x, inc<uint8_t>(orb_read8(actor + object_record::velocity_x)));

L_069E9C:  // motion step: bobbing by the sine table, one turn in 64 frames
    {
        const uint8_t phase = add<uint8_t>(orb_read8(actor + passer_by::wave_phase), 4);
        orb_write8(actor + passer_by::wave_phase, phase);
        cpu.reg[0] = load_sx16(rom::wave_table + 2u * (4u * phase));
        cpu.reg[0] = mul<uint32_t>(cpu.reg[0], 50);
        cpu.reg[0] = sha<uint32_t>(cpu.reg[0], static_cast<uint32_t>(-14));
        orb_write16(actor + object_record::height, add<uint16_t>(cpu.reg[0], kBobHeight));
    }
    if (!call(sub_061FB6, 0x069EC6, 0x069EC1)) return;
    if (!call(sub_062044, 0x069ECB, 0x069EC6)) return;
    sub_0620CD();
}

// The removal a leaving actor installs: unlinked and given back to the
// 128-byte pool in the next frame. In: R20 = the object.
void sub_069EF8() {
    ROUTINE_ENTRY(0x069EF8);
    if (!call(sub_088CD3, 0x069EFD, 0x069EF8)) return;
    sub_088D0C();
}

// Type 49's part: a 128-byte object owned by the actor with its X offset and
// height offset (both in units of 4 pixels) from the part data.
// In: R10 = part data, R20 = the actor. Out: R21 = the part; Z set when the
// 128-byte pool was empty (nothing made).
void sub_069F04() {
    ROUTINE_ENTRY(0x069F04);
    if (!call(sub_088C67, 0x069F09, 0x069F04)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x069F10, 0x069F0B)) return;
    const uint32_t part = cpu.reg[21];
    orb_write16(part + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write8(part + object_record::state, part_state::setup);
    orb_write8(part + object_record::velocity_x, orb_read8(cpu.reg[10]));
    // An address-style subtraction: Z stays as the allocation left it.
    orb_write8(part + object_record::rise_speed, static_cast<uint8_t>(orb_read8(cpu.reg[10] + 1) - 1));
    orb_write32(part + object_record::routine, entry::sub_069F31 /* part */);
    ret();
}

// Type 49's part routine: it follows the actor at 4 times its offsets (X
// mirrored with the actor), shown every other frame, and goes once its own
// or the actor's flags lose bit 0. In: R20 = the part.
void sub_069F31() {
    ROUTINE_ENTRY(0x069F31);
    const uint32_t part = cpu.reg[20];
    {
        const uint32_t step = state_step(rom::type49_part_states, part);
        if (step == continuation::type49_part_set_up) goto L_069F46;
        if (step == continuation::type49_part_follow) goto L_069F5F;
        v60_unknown_jump(step, 0x069F3A);
    }

L_069F46:  // state 0: set-up
    orb_write16(part + object_record::flags, flag_mask(object_flag::alive));
    orb_write8(part + object_record::velocity_y, 1);
    cpu.reg[19] = rom::type49_part_script;
    if (!call(sub_061F67, 0x069F57, 0x069F52)) return;
    orb_write8(part + object_record::state, part_state::following);

L_069F5F:  // state 1: following
    cpu.reg[10] = linked(part, object_record::owner);
    {
        const uint32_t actor = cpu.reg[10];
        if (!test_bit(part + object_record::flags, object_flag::alive) ||
            !test_bit(actor + object_record::flags, object_flag::alive)) {
            if (!call(sub_088CD3, 0x069F74, 0x069F6F)) return;
            sub_088D0C();
            return;
        }
        not_bit(part + object_record::flags, object_flag::hidden);
        uint32_t dx = shl<uint32_t>(load_sx8(part + object_record::velocity_x), 2);
        if (test_bit(actor + object_record::flags, object_flag::mirror_x)) dx = neg<uint32_t>(dx);
        orb_write16(part + object_record::world_x,
                    add<uint16_t>(orb_read16(actor + object_record::world_x), dx));
        orb_write16(part + object_record::world_y,
                    add<uint16_t>(orb_read16(actor + object_record::world_y),
                                  shl<uint32_t>(load_sx8(part + object_record::velocity_y), 2)));
        orb_write16(part + object_record::height,
                    add<uint16_t>(orb_read16(actor + object_record::height),
                                  shl<uint32_t>(load_sx8(part + object_record::rise_speed), 2)));
    }
    if (!call(sub_061FB6, 0x069FC0, 0x069FBB)) return;
    if (!call(sub_062044, 0x069FC5, 0x069FC0)) return;
    sub_0620CD();
}

// ---- type 53's gun and shots ----

// The gun: a 128-byte object owned by the actor, alive and mirrored as it
// is. In: R20 = the actor. Out: R21 = the gun; Z set when the 128-byte pool
// was empty (nothing made).
void sub_072825() {
    ROUTINE_ENTRY(0x072825);
    if (!call(sub_088C67, 0x07282A, 0x072825)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x072831, 0x07282C)) return;
    const uint32_t gun = cpu.reg[21];
    orb_write16(gun + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write32(gun + object_record::routine, entry::sub_07284A /* gun first */);
    // The actor's bit 0 is set: Z comes out clear.
    orb_write16(gun + object_record::flags,
                logic<uint16_t>(orb_read16(cpu.reg[20] + object_record::flags) &
                                flag_mask(object_flag::mirror_x, object_flag::alive)));
    ret();
}

// The gun's first frame: engine sound, its animation, then state 0 at once.
// In: R20 = the gun.
void sub_07284A() {
    ROUTINE_ENTRY(0x07284A);
    cpu.reg[0] = kEngineSound;
    if (!call(sub_088F98, 0x07284F, 0x07284A)) return;
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_07285D /* gun */);
    cpu.reg[19] = rom::gun_script;
    if (!call(sub_061F67, 0x07285A, 0x072855)) return;
    orb_write8(cpu.reg[20] + object_record::state, gun_state::ready);
    sub_07288C();
}

// The gun's routine: ready (0) or fired (1) by its state table while its
// flags keep bit 0; once they lose it, the gun turns into an explosion (a
// short effect of type 7 owning itself) with a silence on the sound ring and
// a child effect of type 49. In: R20 = the gun.
void sub_07285D() {
    ROUTINE_ENTRY(0x07285D);
    const uint32_t gun = cpu.reg[20];
    if (test_bit(gun + object_record::flags, object_flag::alive)) {
        const uint32_t step = state_step(rom::gun_states, gun);
        if (step == entry::sub_07288C /* gun ready */) {
            sub_07288C();
            return;
        }
        if (step != continuation::type53_gun_fired) v60_unknown_jump(step, 0x07286E);
        // L_0728A9 (in sub_07288C's body), state 1: ready again at frame 0
        test<uint8_t>(orb_read8(gun + object_record::frame_index));
        if (eq()) orb_write8(gun + object_record::state, gun_state::ready);
        sub_0728B3();
        return;
    }
    cpu.reg[0] = kSilence;
    if (!call(sub_088F98, 0x07287A, 0x072875)) return;
    cpu.reg[0] = 49;
    if (!call(sub_0824F0, 0x072881, 0x07287C)) return;
    set_bit(gun + object_record::flags, object_flag::alive);
    clear_bit(gun + object_record::flags, object_flag::hidden);
    orb_write16(gun + object_record::owner, static_cast<uint16_t>(gun));
    orb_write8(gun + object_record::state, short_effect_state::setup);
    orb_write8(gun + object_record::type, kExplosionType);
    orb_write32(gun + object_record::routine, entry::sub_07B615 /* explosion */);
    sub_07B615();
}

// The gun ready: at frame 3 of its animation, unless the actor's offset
// index holds it, it fires a shot and waits for frame 0; then it follows the
// actor. In: R20 = the gun.
void sub_07288C() {
    ROUTINE_ENTRY(0x07288C);
    const uint32_t gun = cpu.reg[20];
    cpu.reg[10] = linked(gun, object_record::owner);
    cmp<uint8_t>(orb_read8(gun + object_record::frame_index), 3);
    if (eq()) {
        test<uint8_t>(orb_read8(cpu.reg[10] + object_record::offset_index));
        if (eq()) {
            if (!call(sub_072938, 0x0728A2, 0x07289D)) return;
            orb_write8(gun + object_record::state, gun_state::fired);
        }
    }
    sub_0728B3();
}

// The gun follows the actor: its mirror bit and position; while the actor's
// offset index is not 0 it is neither animated nor listed. In: R20 = the gun.
void sub_0728B3() {
    ROUTINE_ENTRY(0x0728B3);
    const uint32_t gun = cpu.reg[20];
    cpu.reg[10] = linked(gun, object_record::owner);
    const uint32_t actor = cpu.reg[10];
    if (test_bit(actor + object_record::flags, object_flag::mirror_x))
        set_bit(gun + object_record::flags, object_flag::mirror_x);
    else
        clear_bit(gun + object_record::flags, object_flag::mirror_x);
    orb_write16(gun + object_record::world_x, orb_read16(actor + object_record::world_x));
    orb_write16(gun + object_record::world_y, orb_read16(actor + object_record::world_y));
    orb_write16(gun + object_record::height, orb_read16(actor + object_record::height));
    test<uint8_t>(orb_read8(actor + object_record::offset_index));
    if (ne()) {
        ret();
        return;
    }
    if (!call(sub_061FB6, 0x072928, 0x072923)) return;
    if (!call(sub_062044, 0x07292D, 0x072928)) return;
    sub_0620CD();
}

// A shot: a 128-byte object owned by the gun. In: R20 = the gun. Out: Z set
// when the 128-byte pool was empty (nothing made).
void sub_072938() {
    ROUTINE_ENTRY(0x072938);
    if (!call(sub_088C67, 0x07293D, 0x072938)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x072944, 0x07293F)) return;
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_072952 /* shot first */);
    ret();
}

// A shot's first frame: its animation, 320 in front of the gun (behind when
// mirrored), 64 further up the screen, at the gun's height; then its routine
// at once. In: R20 = the shot.
void sub_072952() {
    ROUTINE_ENTRY(0x072952);
    const uint32_t shot = cpu.reg[20];
    cpu.reg[19] = rom::gun_shot_script;
    if (!call(sub_061F67, 0x07295D, 0x072958)) return;
    cpu.reg[10] = linked(shot, object_record::owner);
    const uint32_t gun = cpu.reg[10];
    orb_write16(shot + object_record::flags,
                logic<uint16_t>(orb_read16(gun + object_record::flags) & ~flag_mask(object_flag::enemy)));
    uint16_t dx = kShotReach;
    if (test_bit(gun + object_record::flags, object_flag::mirror_x)) dx = static_cast<uint16_t>(-kShotReach);
    orb_write16(shot + object_record::world_x, add<uint16_t>(orb_read16(gun + object_record::world_x), dx));
    orb_write16(shot + object_record::world_y, sub<uint16_t>(orb_read16(gun + object_record::world_y), 64));
    orb_write16(shot + object_record::height, orb_read16(gun + object_record::height));
    orb_write32(shot + object_record::routine, entry::sub_07299F /* shot */);
    sub_07299F();
}

// A shot's routine: shown until its animation stops, then gone.
// In: R20 = the shot.
void sub_07299F() {
    ROUTINE_ENTRY(0x07299F);
    if (!call(sub_061FB6, 0x0729A4, 0x07299F)) return;
    test<uint8_t>(orb_read8(cpu.reg[20] + object_record::frame_duration));
    if (ne()) {
        if (!call(sub_062044, 0x0729AE, 0x0729A9)) return;
        sub_0620CD();
        return;
    }
    if (!call(sub_088CD3, 0x0729B8, 0x0729B3)) return;
    sub_088D0C();
}

// ---- type 51's companion and type 52's partner ----

// Type 51's companion: a 128-byte object owned by the actor. In: R20 = the
// actor. Out: Z set when the 128-byte pool was empty (nothing made).
void sub_07964E() {
    ROUTINE_ENTRY(0x07964E);
    if (!call(sub_088C67, 0x079653, 0x07964E)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x07965A, 0x079655)) return;
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write8(cpu.reg[21] + object_record::state, perched_state::setup);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07966D /* 51 companion */);
    ret();
}

// Type 51's companion routine: it stands at world (7084, 588), 64 high,
// whatever the actor does, until an area change starts; then it shows
// zoomed until the change ends, when it goes. Branch-table states 0 to 2.
// In: R20 = the companion.
void sub_07966D() {
    ROUTINE_ENTRY(0x07966D);
    const uint32_t object = cpu.reg[20];
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == perched_state::standing) goto L_0796AB;
        if (state == perched_state::zoomed) goto L_0796E5;
        if (state != perched_state::setup) v60_unknown_jump(k51CompanionStates + 3u * state, 0x079676);
    }
    orb_write8(object + object_record::state, perched_state::standing);
    orb_write16(object + object_record::world_x, 7084);
    orb_write16(object + object_record::world_y, 588);
    orb_write16(object + object_record::height, static_cast<uint16_t>(-64));
    orb_write8(object + object_record::anim_mode, anim_mode::copy);
    cpu.reg[19] = rom::type51_companion_script;
    if (!call(sub_061F06, 0x0796A8, 0x0796A3)) return;

L_0796AB:
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        if (!call(sub_062044, 0x0796B6, 0x0796B1)) return;
        sub_062094();
        return;
    }
    orb_write8(object + object_record::state, perched_state::zoomed);
    cpu.reg[19] = rom::struck_script;
    if (!call(sub_061F06, 0x0796C7, 0x0796C2)) return;
    if (!call(sub_0797C0, 0x0796CC, 0x0796C7)) return;
    double_zoom_offsets(object);
    sub_0797DB();
    return;

L_0796E5:
    if (test_bit(var::game_flags, game_flag::area_change)) {
        sub_0797DB();
        return;
    }
    if (!call(sub_088CD3, 0x0796F3, 0x0796EE)) return;
    sub_088D0C();
}

// Type 52's partner, the object it strikes: a 128-byte object owned by the
// actor. In: R20 = the actor. Out: R21 = the partner; Z set when the 128-byte
// pool was empty (nothing made).
void sub_0796F9() {
    ROUTINE_ENTRY(0x0796F9);
    if (!call(sub_088C67, 0x0796FE, 0x0796F9)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x079705, 0x079700)) return;
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write8(cpu.reg[21] + object_record::state, partner_state::setup);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_079718 /* partner */);
    ret();
}

// Type 52's partner routine: it stands at world (1872, 1184), not listed
// while an area change runs; struck (its flags bit 8) it releases effect 61
// with a sound, plays its animation to the end, then blinks two frames on,
// two off, and goes in the 64th frame of its count. Branch-table states 0 to
// 4. In: R20 = the partner.
void sub_079718() {
    ROUTINE_ENTRY(0x079718);
    const uint32_t object = cpu.reg[20];
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == partner_state::standing) goto L_079762;
        if (state == partner_state::waiting) goto L_07976C;
        if (state == partner_state::struck) goto L_079792;
        if (state == partner_state::blinking) goto L_0797A6;
        if (state != partner_state::setup) v60_unknown_jump(kPartnerStates + 3u * state, 0x079721);
    }
    orb_write8(object + object_record::state, partner_state::standing);
    orb_write16(object + object_record::flags, flag_mask(object_flag::alive));
    orb_write16(object + object_record::world_x, 1872);
    orb_write16(object + object_record::world_y, 1184);
    orb_write16(object + object_record::height, 4);
    orb_write8(object + object_record::anim_mode, anim_mode::copy);
    cpu.reg[19] = rom::struck_script;
    if (!call(sub_061F06, 0x07975F, 0x07975A)) return;

L_079762:
    if (test_bit(var::game_flags, game_flag::area_change)) {
        ret();
        return;
    }
    orb_write8(object + object_record::state, partner_state::waiting);

L_07976C:
    if (!clear_bit(object + object_record::flags, object_flag::hit)) {
        if (!call(sub_062044, 0x079779, 0x079774)) return;
        sub_0620CD();
        return;
    }
    cpu.reg[0] = 61;
    if (!call(sub_0824F0, 0x079785, 0x079780)) return;
    cpu.reg[0] = kStruckSound;
    if (!call(sub_088F98, 0x07978D, 0x079788)) return;
    orb_write8(object + object_record::state, partner_state::struck);

L_079792:
    if (!call(sub_061FB6, 0x079797, 0x079792)) return;
    test<uint8_t>(orb_read8(object + object_record::frame_duration));
    if (ne()) {
        if (!call(sub_062044, 0x0797A1, 0x07979C)) return;
        sub_0620CD();
        return;
    }
    orb_write8(object + object_record::state, partner_state::blinking);

L_0797A6:
    {
        const uint8_t count =
            logic<uint8_t>(inc<uint8_t>(orb_read8(object + object_record::enemy_timer)) & 0x3F);
        orb_write8(object + object_record::enemy_timer, count);
        if (eq()) {
            if (!call(sub_088CD3, 0x0797B2, 0x0797AD)) return;
            sub_088D0C();
            return;
        }
        if (count & 2) {
            ret();
            return;
        }
    }
    if (!call(sub_062044, 0x0797BB, 0x0797B6)) return;
    sub_0620CD();
}
