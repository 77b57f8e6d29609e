// The player character controller: the slot routine a player in play runs
// every frame. A fixed preamble (panel lines, energy drain, body boxes,
// timers, inputs) and a machine of 59 states for standing, walking, jumping,
// the attack chain, jump attacks, the characters' specials, grabbing and
// throwing, being hurt, held and defeated, re-entry and going out; then the
// small routines the states share (walk step, moves with walls, bounds test,
// hit check, knock-back, strikes, child effects).
// Register use: R20 the player record; at dispatch R0 = held inputs, R1 =
// pressed edges, R2 = the previous sample, R7 = the input mask OR the pressed
// edges (bits 0 down, 1 up, 2 right, 3 left, 4 button 1, 5 button 2).
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/flow/tables.h"
#include "game/actors/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

namespace pr = player_record;
namespace ob = object_record;

// game_flags and system_flags bits read or written here.
constexpr unsigned kControllerRan = 10;
constexpr uint32_t kFreezeBits = 0x0F00;  // system_flags bits 8-11
constexpr unsigned kRankDown = 2;         // rank_events bit

// Input bits.
constexpr uint32_t kDown = 0x01, kUp = 0x02, kRight = 0x04, kLeft = 0x08, kDirections = 0x0F;
constexpr unsigned kButton1 = 4, kButton2 = 5;

constexpr uint32_t kStateTable = 0x063F60;  // the dispatch's branch table

// The camera bounds of the walk (quarter pixels from the camera's corner).
constexpr int16_t kBoundDown = 864, kBoundUp = 320, kBoundLeft = 192, kBoundRight = 1088;

// The steps of the free-place search: one pass through the 16-bit x range.
constexpr int kPlaceSteps = 1024;

using self::facing_right;
using self::field;
uint32_t character() { return orb_read8(field(pr::character)); }
uint32_t action() { return orb_read8(field(ob::attack_kind)); }
int16_t s16_at(uint32_t address) { return static_cast<int16_t>(orb_read16(address)); }
// The entry of a 32-bit table by character.
uint32_t by_character(uint32_t table) { return orb_read32(table + 4 * character()); }
// A byte of the per-character table of bytes by action.
uint32_t action_byte(uint32_t table) { return orb_read8(by_character(table) + action()); }
uint32_t attack_animation() { return orb_read32(rom::attack_anim + 4 * (4 * action() + character())); }
uint32_t other(uint32_t low_half_at) { return kHigh | orb_read16(low_half_at); }

// Energy costs never defeat: a result of 0 or less leaves 1.
void pay_energy(uint32_t cost_table) {
    const uint16_t left = sub<uint16_t>(orb_read16(field(ob::energy)), orb_read8(cost_table + character()));
    orb_write16(field(ob::energy), static_cast<int16_t>(left) <= 0 ? uint16_t{1} : left);
}

// The enemy the player holds lets go: its bit 4 cleared, holding 0.
void release_held() {
    orb_write8(field(pr::holding), 0);
    clear_bit(orb_read32(field(pr::held_object)), object_flag::held);
}

void end_frame() { ret(); }

}  // namespace

// The player character controller, once a frame. In: R20 = the player record.
void sub_063EB6() {
    ROUTINE_ENTRY(0x063EB6);
    if (test_bit(var::game_flags, game_flag::play_over)) {
        cpu.reg[19] = rom::leaving_messages;
        if (!call(sub_06179F, 0x063EBF, 0x063EBA)) return;
        if (!call(sub_088A15, 0x063EC5, 0x063EC0)) return;
    }
    cmp<uint8_t>(orb_read8(var::ingame_state), flow_state::stage_cleared);
    if (eq()) {
        orb_write32(field(ob::routine), entry::sub_06389E /* stage cleared */);
        orb_write8(field(ob::state), 0);
        return end_frame();
    }
    test<uint32_t>(orb_read32(var::system_flags) & kFreezeBits);
    if (ne()) {
        set_bit(cpu.reg[20], object_flag::intangible);
    } else {
        if (!call(sub_063D72, 0x063ECB, 0x063EC6)) return;
    }
    if (!call(sub_061975, 0x063ED1, 0x063ECC)) return;
    if (!test_bit(var::game_flags, game_flag::demo_play)) {
        if (!call(sub_0619CD, 0x063ED7, 0x063ED2)) return;
    }
    if (!call(sub_08800A, 0x063EDD, 0x063ED8)) return;
    if (!call(sub_064CE5, 0x063EE3, 0x063EDE)) return;
    if (!call(sub_063BBA, 0x063EE9, 0x063EE4)) return;
    set_bit(var::game_flags, kControllerRan);

    cpu.reg[8] = load_zx8(field(ob::state));
    cmp<uint8_t>(cpu.reg[8], player_state::count - 1);
    if (higher()) v60_unknown_jump(kStateTable + 3 * cpu.reg[8], 0x063F5D);
    switch (cpu.reg[8]) {
    case player_state::start:
    case player_state::start_again: goto L_064012;
    case player_state::stand_check: goto L_06401A;
    case player_state::standing: goto L_06401C;
    case player_state::standing_weak: goto L_064030;
    case player_state::jump: goto L_064040;
    case player_state::jump_takeoff: goto L_064048;
    case player_state::rising: goto L_06405C;
    case player_state::jump_top: goto L_064070;
    case player_state::fall: goto L_064084;
    case player_state::falling: goto L_064098;
    case player_state::landing: goto L_0640B4;
    case player_state::attack: goto L_0640BC;
    case player_state::attack_swing: goto L_0640CA;
    case player_state::attack_recovery: goto L_0640E6;
    case player_state::hurt: goto L_0640F4;
    case player_state::hurt_knock:
    case player_state::air_hurt_knock: goto L_06410A;
    case player_state::hurt_recover:
    case player_state::air_hurt_recover: goto L_06411E;
    case player_state::defeated: goto L_06412E;
    case player_state::defeated_knock:
    case player_state::air_defeated_knock: goto L_06414A;
    case player_state::defeated_blink:
    case player_state::air_defeated_blink: goto L_06415E;
    case player_state::special: goto L_06416C;
    case player_state::special_strike: goto L_06417A;
    case player_state::special_launch: goto L_06418E;
    case player_state::special_end: goto L_0641A8;
    case player_state::air_hurt: goto L_0641B6;
    case player_state::air_hurt_fall:
    case player_state::air_defeated_fall: goto L_0641B8;
    case player_state::air_defeated: goto L_06412C;
    case player_state::jump_attack: goto L_0641CC;
    case player_state::jump_attack_swing: goto L_0641E0;
    case player_state::jump_attack_end: goto L_064200;
    case player_state::arc_special: goto L_064208;
    case player_state::arc_swing: goto L_064234;
    case player_state::arc_end:
    case player_state::dash_end: goto L_06424E;
    case player_state::dash_special: goto L_064256;
    case player_state::dash: goto L_06426A;
    case player_state::held: goto L_064278;
    case player_state::held_squeezed: goto L_064280;
    case player_state::held_struggle: goto L_064282;
    case player_state::hold_released: goto L_064290;
    case player_state::thrown_off: goto L_064298;
    case player_state::hold_defeated: goto L_0642A2;
    case player_state::reentry: goto L_0642A4;
    case player_state::reentry_takeoff: goto L_0642A6;
    case player_state::reentry_rise: goto L_0642AE;
    case player_state::reentry_drop: goto L_0642B6;
    case player_state::reentry_landing: goto L_0642BE;
    case player_state::grab: goto L_0642C0;
    case player_state::grab_hold: goto L_0642CE;
    case player_state::throw_swing: goto L_0642D6;
    case player_state::throw_follow: goto L_0642F6;
    case player_state::throw_pause: goto L_0642FE;
    default: goto L_064306;
    }

// ---- standing and walking ----
L_064012:
    orb_write8(field(ob::state), player_state::stand_check);
    cpu.reg[3] = load_sx16(field(ob::world_x));
    cpu.reg[4] = load_sx16(field(ob::world_y));
    if (!call(sub_0877D1, 0x064019, 0x064014)) return;
    if (ne()) {
        orb_write8(field(ob::state), player_state::reentry);
        return end_frame();
    }
L_06401A:
    cpu.reg[8] = load_sx16(field(ob::screen_y));
    cpu.reg[9] = load_sx16(field(ob::screen_x));
    if (static_cast<int32_t>(cpu.reg[8]) < 33 || static_cast<int32_t>(cpu.reg[8]) >= 256 ||
        static_cast<int32_t>(cpu.reg[9]) < 25 || static_cast<int32_t>(cpu.reg[9]) >= 296) {
        orb_write8(field(ob::state), player_state::reentry);
        return end_frame();
    }
    orb_write8(field(pr::idle_count), 0);
    cmp<uint16_t>(orb_read16(field(ob::energy)), 50);
    orb_write8(field(ob::state), greater() ? player_state::standing : player_state::standing_weak);
    return end_frame();

L_06401C:
    cmp<uint16_t>(orb_read16(field(ob::energy)), 50);
    if (less_equal()) {
        orb_write8(field(ob::state), player_state::start);
        return end_frame();
    }
    orb_write8(field(pr::idle_count), inc<uint8_t>(orb_read8(field(pr::idle_count))));
    if (!call(sub_064D3E, 0x064023, 0x06401E)) return;
    if (ne()) return end_frame();
    cpu.reg[8] = load_zx8(field(pr::idle_count));
    if (cpu.reg[8] == 0) {
        cpu.reg[19] = by_character(rom::standing_anim);
        if (!call(sub_061F06, 0x064029, 0x064024)) return;
    } else if (cpu.reg[8] == 128) {
        cpu.reg[19] = by_character(rom::idle_anim);
        if (!call(sub_061F06, 0x06402F, 0x06402A)) return;
    }
    cpu.reg[18] = by_character(rom::standing_anim);
    goto L_064038;

L_064030:
    cmp<uint16_t>(orb_read16(field(ob::energy)), 50);
    if (greater()) {
        orb_write8(field(ob::state), player_state::start);
        return end_frame();
    }
    if (!call(sub_064D3E, 0x064037, 0x064032)) return;
    if (ne()) return end_frame();
    cpu.reg[18] = by_character(rom::weak_standing_anim);
    // The standing choice: an attack, a jump, both buttons for the special,
    // or a walk step.
L_064038:
    if ((cpu.reg[1] >> kButton1) & 1) {
        orb_write8(field(ob::state),
                   (cpu.reg[7] >> kButton2) & 1 ? player_state::special : player_state::attack);
        return end_frame();
    }
    if ((cpu.reg[1] >> kButton2) & 1) {
        orb_write8(field(ob::state),
                   (cpu.reg[7] >> kButton1) & 1 ? player_state::special : player_state::jump);
        return end_frame();
    }
    if (!call(sub_064B86, 0x06403F, 0x06403A)) return;
    sub_061FB6();
    return;

// ---- jumping ----
L_064040:
    orb_write8(field(ob::state), player_state::jump_takeoff);
    orb_write8(field(pr::long_landing), 0);
    orb_write8(field(ob::rise_speed), 28);
    cpu.reg[19] = by_character(rom::jump_anim);
    if (!call(sub_061F06, 0x064047, 0x064042)) return;
L_064048:
    if (!call(sub_064D3E, 0x06404F, 0x06404A)) return;
    if (ne()) return end_frame();
    if (!call(sub_064DEC, 0x064055, 0x064050)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x06405B, 0x064056)) return;
    test<uint8_t>(orb_read8(field(ob::frame_index)));
    if (eq()) return end_frame();
    orb_write8(field(ob::state), player_state::rising);
    goto L_0640B2;

L_06405C:
    if (!call(sub_064D47, 0x064063, 0x06405E)) return;
    if (ne()) return end_frame();
    if (!call(sub_064DEC, 0x064069, 0x064064)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x06406F, 0x06406A)) return;
    cmp<uint8_t>(orb_read8(field(ob::rise_speed)), 3);
    if (less()) {
        orb_write8(field(ob::rise_speed), 0);
        orb_write8(field(pr::state_timer), 6);
        orb_write8(field(ob::state), player_state::jump_top);
    } else {
        cpu.reg[8] = sub<uint8_t>(orb_read8(field(ob::rise_speed)), 2);
        orb_write8(field(ob::rise_speed), static_cast<uint8_t>(cpu.reg[8]));
        orb_write16(field(ob::height), add<uint16_t>(orb_read16(field(ob::height)), sx8(cpu.reg[8])));
    }
    goto L_0640B2;

L_064070:
    if (!call(sub_064D47, 0x064077, 0x064072)) return;
    if (ne()) return end_frame();
    if (!call(sub_064E05, 0x06407D, 0x064078)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x064083, 0x06407E)) return;
    test<uint8_t>(orb_read8(field(ob::frame_duration)));
    if (eq() && count_down8_sets_flags(field(pr::state_timer)))
        orb_write8(field(ob::state), player_state::fall);
    goto L_0640B2;

L_064084:
    if (!call(sub_064D47, 0x06408B, 0x064086)) return;
    if (ne()) return end_frame();
    if (!call(sub_064DEC, 0x064091, 0x06408C)) return;
    if (ne()) return end_frame();
    cpu.reg[19] = by_character(rom::fall_anim);
    if (!call(sub_061F06, 0x064097, 0x064092)) return;
    orb_write8(field(ob::state), player_state::falling);
    goto L_0640B2;

L_064098:
    if (!call(sub_064D47, 0x06409F, 0x06409A)) return;
    if (ne()) return end_frame();
    if (!call(sub_064DEC, 0x0640A5, 0x0640A0)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x0640AB, 0x0640A6)) return;
    push_range(0, 2);
    if (!call(sub_064E25, 0x0640B1, 0x0640AC)) return;
    pop_range(0, 2);
    test<uint16_t>(orb_read16(field(ob::height)));
    if (ne()) goto L_0640B2;
    orb_write8(field(ob::state), player_state::landing);
    test<uint8_t>(orb_read8(field(pr::long_landing)));
    orb_write8(field(pr::state_timer), ne() ? 16 : 6);
    cpu.reg[19] = by_character(rom::land_anim);
    sub_061F06();
    return;
    // Steering in the air: the walk step with the steering table, no
    // animation of its own.
L_0640B2:
    cpu.reg[12] = rom::steer_table;
    cpu.reg[1] = 0;
    cpu.reg[2] = 0;
    sub_064B9A();
    return;

L_0640B4:
    if (!call(sub_064D3E, 0x0640BB, 0x0640B6)) return;
    if (ne()) return end_frame();
    if ((cpu.reg[1] >> kButton1) & 1) {
        orb_write8(field(ob::state), player_state::attack);
        return end_frame();
    }
    if ((cpu.reg[1] >> kButton2) & 1) {
        orb_write8(field(ob::state), player_state::jump);
        return end_frame();
    }
    if (count_down8_sets_flags(field(pr::state_timer))) orb_write8(field(ob::state), player_state::start);
    return end_frame();

// ---- the attack chain ----
L_0640BC:
    orb_write16(field(ob::flags),
                orb_read16(field(ob::flags)) & ~(1u << object_flag::held | 1u << object_flag::hidden));
    if (!call(sub_064D3E, 0x0640C3, 0x0640BE)) return;
    if (ne()) return end_frame();
    cpu.reg[10] = rom::grab_box + 4 * character();
    if (!call(sub_08819A, 0x0640C9, 0x0640C4)) return;
    if (test_bit(cpu.reg[20], object_flag::touched)) goto L_0642C0;
    orb_write8(field(ob::state), player_state::attack_swing);
    orb_write8(field(pr::action_timer), 0);
    cpu.reg[19] = attack_animation();
    sub_061F06();
    return;

L_0640CA:
    if (!call(sub_064D3E, 0x0640D1, 0x0640CC)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x0640D7, 0x0640D2)) return;
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), orb_read8(rom::strike_frame + action()));
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::attack_recovery);
    orb_write8(field(pr::buffered_buttons), 0);
    if (!call(sub_064E44, 0x0640DD, 0x0640D8)) return;
    // Chain bookkeeping: a connect raises the chain step (and rounds it off
    // after the fourth), a miss ends the chain.
L_0640DE:
    if (clear_bit(cpu.reg[20], object_flag::touched)) {
        cpu.reg[0] = action_byte(rom::connect_sounds);
        if (!call(sub_088F98, 0x0640E5, 0x0640E0)) return;
        orb_write8(field(pr::action_timer), 48);
        cpu.reg[8] = inc<uint8_t>(orb_read8(field(ob::attack_kind)));
        orb_write8(field(ob::attack_kind), static_cast<uint8_t>(cpu.reg[8]));
        cmp<uint8_t>(cpu.reg[8], 4);
        if (ne()) return end_frame();
    }
    orb_write8(field(ob::attack_kind), 0);
    orb_write8(field(pr::action_timer), 0);
    return end_frame();

L_0640E6:
    if (!call(sub_064D3E, 0x0640ED, 0x0640E8)) return;
    if (ne()) return end_frame();
    orb_write8(field(pr::buffered_buttons),
               orb_read8(field(pr::buffered_buttons)) | (cpu.reg[1] & (1u << kButton1 | 1u << kButton2)));
    push(cpu.reg[0]);
    if (!call(sub_061FB6, 0x0640F3, 0x0640EE)) return;
    cpu.reg[0] = pop();
    test<uint8_t>(orb_read8(field(ob::frame_index)));
    if (ne()) return end_frame();
    cpu.reg[8] = load_zx8(field(pr::buffered_buttons));
    if ((cpu.reg[8] >> kButton2) & 1) {
        orb_write8(field(ob::state), player_state::jump);
        goto L_064040;
    }
    if ((cpu.reg[8] >> kButton1) & 1) {
        orb_write8(field(ob::state), player_state::attack);
        cpu.reg[9] = load_zx16(field(ob::flags));
        if (cpu.reg[0] & kLeft) clear_bit(cpu.reg[20], object_flag::mirror_x);
        if (cpu.reg[0] & kRight) set_bit(cpu.reg[20], object_flag::mirror_x);
        cmp<uint16_t>(orb_read16(field(ob::flags)), cpu.reg[9]);
        if (ne()) orb_write8(field(ob::attack_kind), 4);
        goto L_0640BC;
    }
    orb_write8(field(ob::state), player_state::start);
    return end_frame();

// ---- hurt and defeated ----
L_0640F4:
    if (!call(sub_064ED8, 0x0640FB, 0x0640F6)) return;
    cpu.reg[0] = load_zx8(rom::hit_sounds + character());
    // Hurt entry: the sound, the next state, the facing and the hurt
    // animation by the reaction, and a knock-back step for a strong one.
L_0640FC:
    if (!call(sub_088F98, 0x064103, 0x0640FE)) return;
    orb_write8(field(ob::state), inc<uint8_t>(orb_read8(field(ob::state))));
    orb_write8(field(pr::buffered_buttons), 0);
    cpu.reg[8] = load_zx8(field(ob::hit_reaction));
    orb_write16(field(ob::flags), (orb_read16(field(ob::flags)) & ~(1u << object_flag::mirror_x)) |
                                      orb_read16(rom::hit_facing + 2 * cpu.reg[8]));
    cpu.reg[19] = orb_read32(rom::hurt_anim + 4 * ((2 * cpu.reg[8]) & 0xFC) + 4 * character());
    if (!call(sub_061F06, 0x064109, 0x064104)) return;
    sub_064DB2();
    return;

    // Hurt on the ground (15) or in the air after the fall step (25).
L_06410A:
    cmp<uint8_t>(orb_read8(field(ob::state)), player_state::air_hurt_knock);
    if (eq()) {
        if (!call(sub_064E25, 0x064111, 0x06410C)) return;
    }
    cpu.reg[9] = load_zx8(field(ob::frame_index));
    push(cpu.reg[9]);
    if (!call(sub_061FB6, 0x064117, 0x064112)) return;
    cpu.reg[9] = pop();
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), cpu.reg[9]);
    if (ne()) {
        if (!call(sub_064DB2, 0x06411D, 0x064118)) return;
    }
    test<uint8_t>(orb_read8(field(ob::frame_index)));
    if (ne()) orb_write8(field(ob::state), inc<uint8_t>(orb_read8(field(ob::state))));
    set_bit(cpu.reg[20], object_flag::intangible);
    return end_frame();

L_06411E:
    set_bit(cpu.reg[20], object_flag::intangible);
    cpu.reg[9] = load_zx8(field(ob::frame_index));
    push(cpu.reg[9]);
    if (!call(sub_061FB6, 0x064125, 0x064120)) return;
    cpu.reg[9] = pop();
    cpu.reg[8] = load_zx8(field(ob::frame_index));
    if (cpu.reg[8] != 0 && cpu.reg[8] != cpu.reg[9]) {
        if (!call(sub_064DB2, 0x06412B, 0x064126)) return;
    }
    test<uint8_t>(orb_read8(field(ob::frame_index)));
    if (ne()) return end_frame();
    clear_bit(cpu.reg[20], object_flag::intangible);
    orb_write8(field(ob::state), player_state::start);
    return end_frame();

L_06412C:
    orb_write8(field(ob::rise_speed), 0);
L_06412E:
    // Facing the attacker: bit 6 the inverse of its own.
    cpu.reg[8] = other(field(ob::last_attacker));
    if (test_bit(cpu.reg[8], object_flag::mirror_x))
        clear_bit(cpu.reg[20], object_flag::mirror_x);
    else
        set_bit(cpu.reg[20], object_flag::mirror_x);
L_064130:
    if (!call(sub_064EE2, 0x064137, 0x064132)) return;
    orb_write8(field(pr::followed), 0);
    cpu.reg[0] = load_zx8(rom::defeat_sounds + character());
    if (!call(sub_088F98, 0x06413D, 0x064138)) return;
    cpu.reg[19] = by_character(rom::defeat_anim);
    if (!call(sub_061F06, 0x064143, 0x06413E)) return;
    if (!call(sub_064DB9, 0x064149, 0x064144)) return;
    orb_write8(field(ob::state), inc<uint8_t>(orb_read8(field(ob::state))));
    return end_frame();

    // Falling down defeated (18), in the air after the fall step (29).
L_06414A:
    cmp<uint8_t>(orb_read8(field(ob::state)), player_state::air_defeated_knock);
    if (eq()) {
        if (!call(sub_064E25, 0x064151, 0x06414C)) return;
    }
    cpu.reg[9] = load_zx8(field(ob::frame_index));
    push(cpu.reg[9]);
    if (!call(sub_061FB6, 0x064157, 0x064152)) return;
    cpu.reg[9] = pop();
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), cpu.reg[9]);
    if (ne()) {
        if (!call(sub_064DB9, 0x06415D, 0x064158)) return;
    }
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), 3);
    if (higher()) {
        orb_write8(field(ob::state), inc<uint8_t>(orb_read8(field(ob::state))));
        orb_write8(field(pr::state_timer), 64);
    }
    set_bit(cpu.reg[20], object_flag::intangible);
    return end_frame();

L_06415E:
    clear_bit(cpu.reg[20], object_flag::hidden);
    if (!count_down8_sets_flags(field(pr::state_timer))) {
        if ((orb_read8(field(pr::state_timer)) & 1) == 0) set_bit(cpu.reg[20], object_flag::hidden);
        return end_frame();
    }
    set_bit(cpu.reg[20], object_flag::hidden);
    if (test_bit(var::game_flags, game_flag::play_over)) return end_frame();
    // Out: the character's place is free again and the slot goes to the
    // continue countdown.
    set_bit(var::game_flags, game_flag::slot_out);
    orb_write8(var::rank_events, orb_read8(var::rank_events) | 1u << kRankDown);
    orb_write8(field(pr::followed), 0);
    if (!call(sub_062E7E, 0x064165, 0x064160)) return;
    set_bit(var::character_places_free, cpu.reg[0] & 31);
    orb_write16(field(ob::flags), 0);
    orb_write8(field(ob::state), 0);
    orb_write16(field(pr::timer), 1260);
    if (!call(sub_061628, 0x06416B, 0x064166)) return;
    orb_write32(field(ob::routine), entry::sub_063799 /* continue */);
    sub_063722();
    return;

// ---- specials ----
L_06416C:
    if (!call(sub_064D3E, 0x064173, 0x06416E)) return;
    if (ne()) return end_frame();
    pay_energy(rom::special_cost);
    orb_write8(field(ob::state), player_state::special + orb_read8(rom::special_state + character()));
    cpu.reg[19] = by_character(rom::special_anim);
    if (!call(sub_061F06, 0x064179, 0x064174)) return;
    cpu.reg[0] = 14;
    sub_064F09();
    return;

L_06417A:
    if (!call(sub_064D3E, 0x064181, 0x06417C)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x064187, 0x064182)) return;
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), orb_read8(rom::special_strike));
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::special_launch);
    cpu.reg[0] = 201;
    if (!call(sub_088F98, 0x06418D, 0x064188)) return;
    cpu.reg[10] = rom::special_strike + 1;
    cpu.reg[16] = 24;
    sub_0881A4();
    return;

L_06418E:
    if (!call(sub_064D3E, 0x064195, 0x064190)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x06419B, 0x064196)) return;
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), orb_read8(rom::launch_frame + character()));
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::special_end);
    if (!call(sub_088C67, 0x0641A1, 0x06419C)) return;
    if (ne()) {
        orb_write8(cpu.reg[21] + ob::state, 0);
        orb_write16(cpu.reg[21] + ob::owner, static_cast<uint16_t>(cpu.reg[20]));
        orb_write8(cpu.reg[21] + ob::type, static_cast<uint8_t>(character() + 4));
        orb_write32(cpu.reg[21] + ob::routine, entry::sub_077D19 /* attack object */);
        if (!call(sub_088CA5, 0x0641A7, 0x0641A2)) return;
        orb_write16(field(pr::attack_object), static_cast<uint16_t>(cpu.reg[21]));
    }
    cpu.reg[0] = load_zx8(by_character(rom::swing_sounds) + 7);
    sub_088F98();
    return;

L_0641A8:
    if (!call(sub_064D3E, 0x0641AF, 0x0641AA)) return;
    if (ne()) return end_frame();
    if (!call(sub_061FB6, 0x0641B5, 0x0641B0)) return;
    test<uint8_t>(orb_read8(field(ob::frame_index)));
    if (eq()) orb_write8(field(ob::state), player_state::start);
    return end_frame();

L_0641B6:
    orb_write8(field(ob::rise_speed), 0);
    orb_write8(field(ob::hit_reaction),
               test_bit(other(field(ob::last_attacker)), object_flag::mirror_x) ? 4 : 5);
    goto L_0640F4;

L_0641B8:
    set_bit(cpu.reg[20], object_flag::intangible);
    cpu.reg[9] = load_zx8(field(ob::frame_index));
    push(cpu.reg[9]);
    if (!call(sub_061FB6, 0x0641BF, 0x0641BA)) return;
    cpu.reg[9] = pop();
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), cpu.reg[9]);
    if (ne()) {
        if (!call(sub_064DB9, 0x0641C5, 0x0641C0)) return;
    }
    if (!call(sub_064E25, 0x0641CB, 0x0641C6)) return;
    cmp<uint16_t>(orb_read16(field(ob::height)), 1);
    if (less()) orb_write8(field(ob::state), inc<uint8_t>(orb_read8(field(ob::state))));
    return end_frame();

// ---- jump attack and air specials ----
L_0641CC:
    if (!call(sub_064D47, 0x0641D3, 0x0641CE)) return;
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::jump_attack_swing);
    orb_write8(field(pr::action_timer), 0);
    cpu.reg[19] = attack_animation();
    if (!call(sub_061F06, 0x0641D9, 0x0641D4)) return;
    cpu.reg[0] = action_byte(rom::swing_sounds);
    if (!call(sub_088F98, 0x0641DF, 0x0641DA)) return;
    pay_energy(rom::jump_attack_cost);
    return end_frame();

L_0641E0:
    if (!call(sub_064D47, 0x0641E7, 0x0641E2)) return;
    if (ne()) return end_frame();
    test<uint8_t>(orb_read8(field(ob::rise_speed)));
    if (ne()) goto L_0641E8;
    cmp<uint16_t>(orb_read16(field(ob::height)), 0);
    if (greater()) {
        cpu.reg[8] = dec<uint8_t>(orb_read8(field(pr::state_timer)));
        orb_write8(field(pr::state_timer), static_cast<uint8_t>(cpu.reg[8]));
        if (greater()) goto L_0641F0;
    }
L_0641E8:
    if (!call(sub_064E25, 0x0641EF, 0x0641EA)) return;
    if (eq()) {
        orb_write8(field(pr::state_timer), 6);
        orb_write8(field(ob::state), player_state::jump_attack_end);
        return end_frame();
    }
L_0641F0:
    if (!call(sub_064B42, 0x0641F7, 0x0641F2)) return;
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), orb_read8(rom::strike_frame + action()));
    if (ne()) {
        sub_061FB6();
        return;
    }
    // The air strikes: the action's box against the other objects, sound 202
    // on a connect.
L_0641F8:
    cpu.reg[10] = by_character(rom::attack_boxes) + 4 * action();
    cpu.reg[16] = action_byte(rom::attack_strengths);
    if (!call(sub_0881A4, 0x0641FF, 0x0641FA)) return;
    if (!test_bit(cpu.reg[20], object_flag::touched)) return end_frame();
    cpu.reg[0] = 202;
    sub_088F98();
    return;

L_064200:
    if (!call(sub_064D3E, 0x064207, 0x064202)) return;
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::start);
    goto L_0640DE;

L_064208:
    if (!call(sub_064D47, 0x06420F, 0x06420A)) return;
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::arc_swing);
    orb_write8(field(pr::long_landing), 255);
    cpu.reg[19] = attack_animation();
    if (!call(sub_061F06, 0x064215, 0x064210)) return;
    orb_write16(field(pr::angle), orb_read16(rom::arc_start));
    orb_write16(field(pr::arc_speed), 0);
    if (!call(sub_06475C, 0x06421B, 0x064216)) return;
    orb_write16(field(pr::arc_centre_x), static_cast<uint16_t>(orb_read16(field(ob::world_x)) - cpu.reg[3]));
    if (!call(sub_06477F, 0x064221, 0x06421C)) return;
    orb_write16(field(pr::arc_centre_height),
                static_cast<uint16_t>(orb_read16(field(ob::height)) - cpu.reg[3]));
    cpu.reg[8] = by_character(rom::arc_object);
    test<uint32_t>(cpu.reg[8]);
    if (ne()) {
        if (!call(sub_088C57, 0x064227, 0x064222)) return;
        if (ne()) {
            orb_write32(cpu.reg[21] + ob::routine, by_character(rom::arc_object));
            orb_write16(cpu.reg[21] + ob::owner, static_cast<uint16_t>(cpu.reg[20]));
            if (!call(sub_088CA5, 0x06422D, 0x064228)) return;
            orb_write16(field(pr::attack_object), static_cast<uint16_t>(cpu.reg[21]));
        }
    }
    cpu.reg[0] = action_byte(rom::swing_sounds);
    if (!call(sub_088F98, 0x064233, 0x06422E)) return;
    pay_energy(rom::air_special_cost);
    return end_frame();

L_064234:
    if (!call(sub_064D47, 0x06423B, 0x064236)) return;
    if (ne()) return end_frame();
    cmp<uint16_t>(orb_read16(field(pr::angle)), orb_read16(rom::arc_end));
    if (greater()) goto L_06424E;
    cmp<uint16_t>(orb_read16(field(pr::angle)), 512);
    orb_write16(field(pr::arc_speed),
                static_cast<uint16_t>(orb_read16(field(pr::arc_speed)) + (greater_equal() ? -1 : 1)));
    orb_write16(field(pr::angle),
                static_cast<uint16_t>(orb_read16(field(pr::angle)) + (s16_at(field(pr::arc_speed)) >> 1)));
    if (!call(sub_06475C, 0x064241, 0x06423C)) return;
    cpu.reg[3] = sx16(orb_read16(field(pr::arc_centre_x)) + cpu.reg[3]);
    cpu.reg[4] = load_sx16(field(ob::world_y));
    cpu.reg[0] = 12;
    if (!call(sub_064C43, 0x064247, 0x064242)) return;
    test<uint32_t>(cpu.reg[9]);
    if (ne()) goto L_06424E;
    orb_write16(field(ob::world_x), static_cast<uint16_t>(cpu.reg[3]));
    if (!call(sub_06477F, 0x06424D, 0x064248)) return;
    orb_write16(field(ob::height),
                static_cast<uint16_t>(orb_read16(field(pr::arc_centre_height)) + cpu.reg[3]));
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), orb_read8(rom::strike_frame + action()));
    if (eq()) goto L_0641F8;
    sub_061FB6();
    return;

L_06424E:
    if (!call(sub_064D47, 0x064255, 0x064250)) return;
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::fall);
    goto L_0640DE;

L_064256:
    if (!call(sub_064D47, 0x06425D, 0x064258)) return;
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::dash);
    orb_write8(field(pr::long_landing), 255);
    cpu.reg[19] = attack_animation();
    if (!call(sub_061F06, 0x064263, 0x06425E)) return;
    cpu.reg[8] = rom::dash_values + 3 * character();
    orb_write8(field(pr::state_timer), orb_read8(cpu.reg[8]));
    orb_write8(field(pr::step_x),
               facing_right() ? static_cast<uint8_t>(-orb_read8(cpu.reg[8] + 1)) : orb_read8(cpu.reg[8] + 1));
    orb_write8(field(ob::rise_speed), orb_read8(cpu.reg[8] + 2));
    cpu.reg[0] = action_byte(rom::swing_sounds);
    if (!call(sub_088F98, 0x064269, 0x064264)) return;
    pay_energy(rom::air_special_cost);
    return end_frame();

L_06426A:
    if (!call(sub_064D47, 0x064271, 0x06426C)) return;
    if (ne()) return end_frame();
    if (count_down8_sets_flags(field(pr::state_timer))) goto L_06424E;
    cpu.reg[3] = sx16(orb_read16(field(ob::world_x)) + load_sx8(field(pr::step_x)));
    cpu.reg[4] = load_sx16(field(ob::world_y));
    cpu.reg[0] = 12;
    if (!call(sub_064C43, 0x064277, 0x064272)) return;
    test<uint32_t>(cpu.reg[9]);
    if (ne()) goto L_06424E;
    orb_write16(field(ob::world_x), static_cast<uint16_t>(cpu.reg[3]));
    orb_write16(field(ob::height),
                static_cast<uint16_t>(orb_read16(field(ob::height)) + load_sx8(field(ob::rise_speed))));
    goto L_0641F8;

// ---- held by an enemy ----
L_064278:
    orb_write8(field(ob::state), player_state::held_squeezed);
    orb_write8(field(pr::buffered_buttons), 0);
    cpu.reg[10] = other(field(ob::last_attacker));
    cpu.reg[8] = load_zx8(cpu.reg[10] + ob::type);
    cpu.reg[19] = by_character(cpu.reg[8] == 5 || cpu.reg[8] == 6 ? rom::held_anim_b : rom::held_anim);
    if (!call(sub_061F06, 0x06427F, 0x06427A)) return;
    if (test_bit(cpu.reg[10], object_flag::mirror_x))
        clear_bit(cpu.reg[20], object_flag::mirror_x);
    else
        set_bit(cpu.reg[20], object_flag::mirror_x);
    orb_write16(field(ob::world_y), static_cast<uint16_t>(orb_read16(cpu.reg[10] + ob::world_y) - 4));
    cpu.reg[8] = load_sx16(field(pr::hold_offset_x));
    if (test_bit(cpu.reg[10], object_flag::mirror_x)) cpu.reg[8] = 0u - cpu.reg[8];
    orb_write16(field(ob::world_x),
                static_cast<uint16_t>(orb_read16(cpu.reg[10] + ob::world_x) + cpu.reg[8]));
    orb_write16(field(ob::height), orb_read16(field(pr::hold_height)));
    orb_write16(field(pr::hold_time), 240);
    orb_write8(field(pr::hold_ticks), 0);
    return end_frame();

L_064280:
    set_bit(cpu.reg[20], object_flag::intangible);
    cpu.reg[8] = inc<uint8_t>(orb_read8(field(pr::hold_ticks)));
    orb_write8(field(pr::hold_ticks), static_cast<uint8_t>(cpu.reg[8]));
    if ((cpu.reg[8] & 7) == 0) {
        orb_write8(field(ob::state), player_state::held_struggle);
        cpu.reg[8] = sub<uint16_t>(orb_read16(field(ob::energy)), orb_read16(field(pr::hold_damage)));
        orb_write16(field(ob::energy), static_cast<uint16_t>(cpu.reg[8]));
        if (less_equal()) goto L_06429A;
    }
    sub_061FB6();
    return;

L_064282:
    set_bit(cpu.reg[20], object_flag::intangible);
    cpu.reg[11] = cpu.reg[1];  // the presses of this frame, kept over the effect
    cpu.reg[8] = inc<uint8_t>(orb_read8(field(pr::hold_ticks)));
    orb_write8(field(pr::hold_ticks), static_cast<uint8_t>(cpu.reg[8]));
    if ((cpu.reg[8] & 15) == 0) {
        cpu.reg[8] = load_zx8(other(field(ob::last_attacker)) + ob::type);
        push(cpu.reg[11]);
        if (cpu.reg[8] == 5 || cpu.reg[8] == 6) {
            if (!call(sub_064EF6, 0x064289, 0x064284)) return;
        } else {
            if (!call(sub_064EEC, 0x06428F, 0x06428A)) return;
        }
        cpu.reg[11] = pop();
        cpu.reg[8] = dec<uint16_t>(orb_read16(field(ob::energy)));
        orb_write16(field(ob::energy), static_cast<uint16_t>(cpu.reg[8]));
        if (less_equal()) goto L_06429A;
    }
    test<uint8_t>(orb_read8(field(pr::hit_pending)));
    if (eq()) goto L_064290;
    cpu.reg[8] = load_zx16(field(pr::hold_time));
    if (cpu.reg[11] != 0) cpu.reg[8] -= 10;
    cpu.reg[8] = dec<uint16_t>(cpu.reg[8]);
    orb_write16(field(pr::hold_time), static_cast<uint16_t>(cpu.reg[8]));
    if (less_equal()) goto L_064290;
    sub_061FB6();
    return;

L_064290:
    if (!call(sub_06495A, 0x064297, 0x064292)) return;
    orb_write8(field(ob::state), player_state::thrown_off);
    return end_frame();

L_064298:
    orb_write8(field(ob::state), player_state::air_hurt);
    orb_write8(field(ob::rise_speed), 0);
    orb_write8(field(ob::hit_reaction), facing_right() ? 5 : 4);
    cpu.reg[0] = load_zx8(rom::release_sounds + character());
    goto L_0640FC;

    // Hold defeat: no energy left, placed free, defeated in the air.
L_06429A:
    orb_write16(field(ob::energy), 0);
    if (!call(sub_06495A, 0x0642A1, 0x06429C)) return;
    orb_write8(field(ob::state), player_state::hold_defeated);
    return end_frame();

L_0642A2:
    orb_write8(field(ob::state), player_state::air_defeated);
    orb_write8(field(ob::rise_speed), 0);
    goto L_064130;

// ---- re-entry from above ----
L_0642A4:
    set_bit(cpu.reg[20], object_flag::intangible);
    orb_write8(field(ob::state), player_state::reentry_takeoff);
    orb_write8(field(ob::rise_speed), 44);
    cpu.reg[19] = by_character(rom::jump_anim);
    sub_061F06();
    return;

L_0642A6:
    if (!call(sub_061FB6, 0x0642AD, 0x0642A8)) return;
    test<uint8_t>(orb_read8(field(ob::frame_index)));
    if (ne()) orb_write8(field(ob::state), player_state::reentry_rise);
    return end_frame();

L_0642AE:
    cmp<uint16_t>(orb_read16(field(ob::screen_y)), 0);
    if (greater()) {
        orb_write16(field(ob::height), static_cast<uint16_t>(orb_read16(field(ob::height)) + 44));
        return end_frame();
    }
    orb_write8(field(ob::state), player_state::reentry_drop);
    orb_write8(field(ob::rise_speed), 4);
    if (!call(sub_063D29, 0x0642B5, 0x0642B0)) return;
    orb_write16(field(ob::height), 896);
    return end_frame();

L_0642B6:
    cpu.reg[8] = inc<uint8_t>(orb_read8(field(ob::rise_speed)));
    orb_write8(field(ob::rise_speed), static_cast<uint8_t>(cpu.reg[8]));
    cpu.reg[9] = sub<uint16_t>(orb_read16(field(ob::height)), sx8(cpu.reg[8]));
    orb_write16(field(ob::height), static_cast<uint16_t>(cpu.reg[9]));
    if (!less()) return end_frame();
    orb_write16(field(ob::height), 0);
    orb_write8(field(ob::state), player_state::reentry_landing);
    orb_write8(field(pr::state_timer), 6);
    cpu.reg[19] = by_character(rom::land_anim);
    if (!call(sub_061F06, 0x0642BD, 0x0642B8)) return;
    cpu.reg[0] = load_zx8(field(pr::slot));
    sub_0824F0();
    return;

L_0642BE:
    if (count_down8_sets_flags(field(pr::state_timer))) {
        orb_write8(field(ob::state), player_state::start);
        clear_bit(cpu.reg[20], object_flag::intangible);
    }
    return end_frame();

// ---- grab and throw ----
L_0642C0:
    orb_write8(field(ob::state), player_state::grab_hold);
    set_bit(cpu.reg[18], object_flag::held);
    orb_write8(field(pr::holding), 255);
    orb_write16(cpu.reg[18] + ob::last_attacker, static_cast<uint16_t>(cpu.reg[20]));
    orb_write32(field(pr::held_object), cpu.reg[18]);
    orb_write8(field(pr::state_timer), 36);
    cpu.reg[19] = by_character(rom::grab_anim);
    if (!call(sub_061F06, 0x0642C7, 0x0642C2)) return;
    if (!call(sub_063BBA, 0x0642CD, 0x0642C8)) return;
L_0642CE:
    if (!call(sub_064D3E, 0x0642D5, 0x0642D0)) return;
    if (ne()) return end_frame();
    test<uint8_t>(orb_read8(field(pr::holding)));
    if (eq()) goto L_064306;
    if (count_down8_sets_flags(field(pr::state_timer))) {
        release_held();
        goto L_064306;
    }
    if (cpu.reg[0] & kLeft) clear_bit(cpu.reg[20], object_flag::mirror_x);
    if (cpu.reg[0] & kRight) set_bit(cpu.reg[20], object_flag::mirror_x);
    if ((cpu.reg[1] >> kButton1) & 1) {
        orb_write8(field(ob::state), player_state::throw_swing);
        pay_energy(rom::throw_cost);
    } else if ((cpu.reg[1] >> kButton2) & 1) {
        orb_write8(field(ob::state), player_state::jump);
        release_held();
    }
    return end_frame();

L_0642D6:
    if (!call(sub_064D3E, 0x0642DD, 0x0642D8)) return;
    if (ne()) return end_frame();
    test<uint8_t>(orb_read8(field(pr::holding)));
    if (eq()) goto L_064306;
    if (!call(sub_061FB6, 0x0642E3, 0x0642DE)) return;
    cmp<uint8_t>(orb_read8(field(ob::frame_index)), 3);
    if (ne()) return end_frame();
    orb_write8(field(ob::state), player_state::throw_follow);
    cpu.reg[16] = load_zx16(rom::throw_strength + 2 * character());
    orb_write8(field(ob::attack_kind), 9);
    orb_write8(field(pr::action_timer), 0);
    orb_write8(field(pr::holding), 0);
    cpu.reg[18] = orb_read32(field(pr::held_object));
    if (!call(sub_08852B, 0x0642E9, 0x0642E4)) return;
    orb_write8(field(ob::attack_kind), 0);
    cpu.reg[0] = 243;
    if (!call(sub_088F98, 0x0642EF, 0x0642EA)) return;
    if (!call(sub_06925A, 0x0642F5, 0x0642F0)) return;
    cpu.reg[0] = 42 + remu<uint32_t>(cpu.reg[0], 3) + (facing_right() ? 3 : 0);
    sub_0824F0();
    return;

L_0642F6:
    if (!call(sub_061FB6, 0x0642FD, 0x0642F8)) return;
    test<uint8_t>(orb_read8(field(ob::frame_duration)));
    if (eq()) {
        orb_write8(field(ob::state), player_state::throw_pause);
        orb_write8(field(pr::state_timer), 10);
    }
    return end_frame();

L_0642FE:
    if (!call(sub_064D3E, 0x064305, 0x064300)) return;
    if (ne()) return end_frame();
    if (count_down8_sets_flags(field(pr::state_timer))) orb_write8(field(ob::state), player_state::grab_end);
    return end_frame();

L_064306:
    orb_write8(field(ob::state), player_state::start);
    orb_write8(field(ob::attack_kind), 0);
    return end_frame();
}

// Sine term of the arc special. In: R20. Out: R3 = (sine[angle] × radius)
// >> 14, negated when the player faces decreasing x.
void sub_06475C() {
    ROUTINE_ENTRY(0x06475C);
    cpu.reg[3] = mul<uint32_t>(load_sx16(rom::wave_table + 2 * orb_read16(field(pr::angle))),
                               load_sx16(rom::arc_radius));
    cpu.reg[3] = sha<uint32_t>(cpu.reg[3], static_cast<uint32_t>(-14));
    if (!test_bit(cpu.reg[20], object_flag::mirror_x)) cpu.reg[3] = neg<uint32_t>(cpu.reg[3]);
    ret();
}

// Cosine term of the arc special. In: R20. Out: R3 = (cosine[angle] ×
// radius) >> 14.
void sub_06477F() {
    ROUTINE_ENTRY(0x06477F);
    cpu.reg[3] = mul<uint32_t>(load_sx16(rom::wave_table + 0x200 + 2 * orb_read16(field(pr::angle))),
                               load_sx16(rom::arc_radius));
    cpu.reg[3] = sha<uint32_t>(cpu.reg[3], static_cast<uint32_t>(-14));
    ret();
}

// Free place after a hold: untouchable, no hold pending; from (x, y + 4) x
// steps by 64 towards the facing until the terrain there is clear, is pulled
// back towards the screen and stored with y + 4. A search that finds no
// clear cell within one pass through the 16-bit x range keeps the start x.
// In: R20. Changes R3, R4, R8-R11.
void sub_06495A() {
    ROUTINE_ENTRY(0x06495A);
    set_bit(cpu.reg[20], object_flag::intangible);
    orb_write8(field(pr::hit_pending), 0);
    cpu.reg[3] = load_sx16(field(ob::world_x));
    cpu.reg[4] = sx16(orb_read16(field(ob::world_y)) + 4);
    cpu.reg[11] = cpu.reg[3];
    cpu.reg[10] = kPlaceSteps;
L_06497A:
    if (!call(sub_0877D1, 0x064983, 0x06497E)) return;
    if (eq()) goto L_06499C;
    cpu.reg[3] =
        sx16(cpu.reg[3] + (test_bit(cpu.reg[20], object_flag::mirror_x) ? 64u : static_cast<uint32_t>(-64)));
    cpu.reg[10] = dec<uint32_t>(cpu.reg[10]);
    if (ne()) goto L_06497A;
    cpu.reg[3] = cpu.reg[11];
L_06499C:
    if (!call(sub_064E9C, 0x0649A5, 0x0649A0)) return;
    orb_write16(field(ob::world_x), static_cast<uint16_t>(cpu.reg[3]));
    orb_write16(field(ob::world_y), static_cast<uint16_t>(cpu.reg[4]));
    ret();
}

// Forward drift of the jump attack: the inputs reloaded, then the walk step
// with the drift table in the facing direction alone. In: R20.
void sub_064B42() {
    ROUTINE_ENTRY(0x064B42);
    if (!call(sub_063BBA, 0x064B4B, 0x064B46)) return;
    cpu.reg[0] = test_bit(cpu.reg[20], object_flag::mirror_x) ? kRight : kLeft;
    cpu.reg[1] = 0;
    cpu.reg[2] = 0;
    cpu.reg[12] = rom::drift_table;
    sub_064B9A();
}

// Walk on the ground: the walk step with the walk table and the walking
// animation. In: R20, R0-R2 the inputs, R18 the standing animation.
void sub_064B86() {
    ROUTINE_ENTRY(0x064B86);
    cpu.reg[12] = rom::player_walk_table;
    cpu.reg[19] = by_character(rom::walking_anim);
    sub_064B9A();
}

// Walk step. In: R20, R12 the step table (4 bytes per direction: move code,
// x step, y step, mirror bits), R0 held, R1 newly pressed, R2 previous
// inputs (directions used), R19 the animation of a new move, R18 the
// standing animation. A move (code not 0) sets idle_count 1, takes the
// steps (bit 7 of the code: the mirror bits from byte 3) and moves with the
// walls; a newly pressed direction not already held sets the record byte
// that table 0x064FE0 names to 32 and starts R19. No move: R18 starts when
// a direction was held before.
void sub_064B9A() {
    ROUTINE_ENTRY(0x064B9A);
    orb_write8(field(pr::step_x), 0);
    orb_write8(field(pr::step_y), 0);
    cpu.reg[0] &= kDirections;
    cpu.reg[1] &= kDirections;
    cpu.reg[2] &= kDirections;
    cpu.reg[8] = cpu.reg[12] + 4 * cpu.reg[0];
    test<uint8_t>(orb_read8(cpu.reg[8]));
    if (ne()) goto L_064BB8;
    test<uint32_t>(cpu.reg[2]);
    if (eq()) return end_frame();
    cpu.reg[19] = cpu.reg[18];
    sub_061F06();
    return;
L_064BB8:
    orb_write8(field(pr::idle_count), 1);
    orb_write8(field(pr::step_x), orb_read8(cpu.reg[8] + 1));
    orb_write8(field(pr::step_y), orb_read8(cpu.reg[8] + 2));
    if (orb_read8(cpu.reg[8]) & 0x80)
        orb_write16(field(ob::flags),
                    (orb_read16(field(ob::flags)) & ~0xC0u) | (orb_read8(cpu.reg[8] + 3) & 0xC0u));
    push_range(0, 2);
    if (!call(sub_064BFC, 0x064BDC, 0x064BD7)) return;
    pop_range(0, 2);
    test<uint32_t>(cpu.reg[1]);
    if (eq()) return end_frame();
    test<uint32_t>(cpu.reg[0] & cpu.reg[2]);
    if (ne()) return end_frame();
    cpu.reg[8] = load_zx8(rom::pressed_byte_offsets + cpu.reg[1]);
    if (cpu.reg[8] != 0) orb_write8(cpu.reg[20] + cpu.reg[8], 32);
    sub_061F06();
}

// Move with walls: (x + step_x, y + step_y), else (x, y + step_y), else (x
// + step_x, y); the first the bounds test allows is taken, none leaves the
// player where it is. In: R20, R0 = the bounds mask. Changes R3, R4, R8, R9.
void sub_064BFC() {
    ROUTINE_ENTRY(0x064BFC);
    cpu.reg[3] = sx16(orb_read16(field(ob::world_x)) + load_sx8(field(pr::step_x)));
    cpu.reg[4] = sx16(orb_read16(field(ob::world_y)) + load_sx8(field(pr::step_y)));
    if (!call(sub_064C43, 0x064C11, 0x064C0C)) return;
    test<uint32_t>(cpu.reg[9]);
    if (eq()) goto L_064C35;
    cpu.reg[3] = load_sx16(field(ob::world_x));
    if (!call(sub_064C43, 0x064C21, 0x064C1C)) return;
    test<uint32_t>(cpu.reg[9]);
    if (eq()) goto L_064C35;
    cpu.reg[3] = sx16(orb_read16(field(ob::world_x)) + load_sx8(field(pr::step_x)));
    cpu.reg[4] = load_sx16(field(ob::world_y));
    if (!call(sub_064C43, 0x064C33, 0x064C2E)) return;
    test<uint32_t>(cpu.reg[9]);
    if (ne()) return end_frame();
L_064C35:
    orb_write16(field(ob::world_x), static_cast<uint16_t>(cpu.reg[3]));
    orb_write16(field(ob::world_y), static_cast<uint16_t>(cpu.reg[4]));
    ret();
}

// Bounds and terrain test of the point (R3 x, R4 y) for the bounds of mask
// R0 (bit 0 down, 1 up, 2 right, 3 left) against the playfield camera, then
// the terrain bit. Out: R9 = 0 allowed, -1 refused. Changes R8-R10.
void sub_064C43() {
    ROUTINE_ENTRY(0x064C43);
    cpu.reg[10] = orb_read32(var::camera_pointer);
    cpu.reg[8] = load_sx16(cpu.reg[10] + camera_record::x);
    cpu.reg[9] = load_sx16(cpu.reg[10] + camera_record::y);
    if (cpu.reg[0] & kDown) {
        cmp<uint16_t>(cpu.reg[4], cpu.reg[9] + kBoundDown);
        if (greater()) goto L_064CDE;
    }
    if (cpu.reg[0] & kUp) {
        cmp<uint16_t>(cpu.reg[4], cpu.reg[9] + kBoundUp);
        if (less()) goto L_064CDE;
    }
    if (cpu.reg[0] & kLeft) {
        cmp<uint16_t>(cpu.reg[3], cpu.reg[8] + kBoundLeft);
        if (less()) goto L_064CDE;
    }
    if (cpu.reg[0] & kRight) {
        cmp<uint16_t>(cpu.reg[3], cpu.reg[8] + kBoundRight);
        if (greater()) goto L_064CDE;
    }
    if (!call(sub_0877D1, 0x064CD5, 0x064CD0)) return;
    if (ne()) goto L_064CDE;
    cpu.reg[9] = 0;
    ret();
    return;
L_064CDE:
    cpu.reg[9] = 0xFFFFFFFF;
    ret();
}

// Per-frame timers: the chain window (at 0 the chain step is cleared), the
// hurt time (at 0 or less held at 0, untouchable cleared) and the two
// countdowns. In: R20. Changes R8.
void sub_064CE5() {
    ROUTINE_ENTRY(0x064CE5);
    test<uint8_t>(orb_read8(field(pr::action_timer)));
    if (ne() && count_down8_sets_flags(field(pr::action_timer))) orb_write8(field(ob::attack_kind), 0);
    cpu.reg[8] = dec<uint8_t>(orb_read8(field(pr::hurt_timer)));
    orb_write8(field(pr::hurt_timer), static_cast<uint8_t>(cpu.reg[8]));
    if (less_equal()) {
        orb_write8(field(pr::hurt_timer), 0);
        clear_bit(cpu.reg[20], object_flag::intangible);
    }
    for (uint32_t k = 0; k < 2; ++k) {
        test<uint8_t>(orb_read8(field(pr::countdowns + k)));
        if (ne()) orb_write8(field(pr::countdowns + k), dec<uint8_t>(orb_read8(field(pr::countdowns + k))));
    }
    ret();
}

// Hit check on the ground: hurt state 14, defeat state 17.
void sub_064D3E() {
    ROUTINE_ENTRY(0x064D3E);
    cpu.reg[18] = player_state::hurt;
    cpu.reg[19] = player_state::defeated;
    sub_064D4F();
}

// Hit check in the air: hurt state 24, defeat state 28.
void sub_064D47() {
    ROUTINE_ENTRY(0x064D47);
    cpu.reg[18] = player_state::air_hurt;
    cpu.reg[19] = player_state::air_defeated;
    sub_064D4F();
}

// Hit check: defeated → state R19; hit → state R18, untouchable, hurt time
// 32; held by an enemy → state 41, hurt time 32. On any of them a held enemy
// is let go, the player is untouchable and its attack object forgotten.
// In: R20, R18 hurt state, R19 defeat state. Out: Z clear when the state
// changed (the calling state does nothing more this frame). Changes R8.
void sub_064D4F() {
    ROUTINE_ENTRY(0x064D4F);
    if (clear_bit(cpu.reg[20], object_flag::defeated)) {
        orb_write8(field(ob::state), static_cast<uint8_t>(cpu.reg[19]));
        goto L_064D8C;
    }
    if (clear_bit(cpu.reg[20], object_flag::hit)) {
        orb_write8(field(ob::state), static_cast<uint8_t>(cpu.reg[18]));
        set_bit(cpu.reg[20], object_flag::intangible);
        orb_write8(field(pr::hurt_timer), 32);
        orb_write8(field(ob::attack_kind), 0);
        goto L_064D8C;
    }
    test<uint8_t>(orb_read8(field(pr::hit_pending)));
    if (eq()) {
        ret();
        return;
    }
    orb_write8(field(ob::attack_kind), 0);
    orb_write8(field(ob::state), player_state::held);
    orb_write8(field(pr::hurt_timer), 32);
L_064D8C:
    test<uint8_t>(orb_read8(field(pr::holding)));
    if (ne()) release_held();
    set_bit(cpu.reg[20], object_flag::intangible);
    orb_write16(field(pr::attack_object), 0);
    cpu.z = 0;
    ret();
}

// Knock-back step for a strong reaction (hit_reaction above 3). In: R20.
void sub_064DB2() {
    ROUTINE_ENTRY(0x064DB2);
    cmp<uint8_t>(orb_read8(field(ob::hit_reaction)), 3);
    if (higher()) {
        sub_064DB9();
        return;
    }
    ret();
}

// Knock-back step: the character's x offset for the current frame (negated
// facing decreasing x) is taken when the bounds test with both sides allows
// it. In: R20. Changes R0, R3, R4, R8-R10.
void sub_064DB9() {
    ROUTINE_ENTRY(0x064DB9);
    cpu.reg[8] = load_sx16(by_character(rom::knock_back_tables) + 2 * orb_read8(field(ob::frame_index)));
    if (!test_bit(cpu.reg[20], object_flag::mirror_x)) cpu.reg[8] = 0u - cpu.reg[8];
    cpu.reg[3] = sx16(orb_read16(field(ob::world_x)) + cpu.reg[8]);
    cpu.reg[4] = load_sx16(field(ob::world_y));
    cpu.reg[0] = 12;
    if (!call(sub_064C43, 0x064DE1, 0x064DDC)) return;
    test<uint32_t>(cpu.reg[9]);
    if (eq()) orb_write16(field(ob::world_x), static_cast<uint16_t>(cpu.reg[3]));
    ret();
}

// Button 1 in a jump: the jump attack (state 32, action 5). In: R20, R1 the
// pressed edges. Out: Z clear when it started.
void sub_064DEC() {
    ROUTINE_ENTRY(0x064DEC);
    bit_flags(cpu.reg[1], kButton1);
    if (eq()) {
        ret();
        return;
    }
    orb_write8(field(ob::state), player_state::jump_attack);
    orb_write8(field(ob::attack_kind), 5);
    cpu.z = 0;
    ret();
}

// Button 1 at the top of a jump: the character's air special (state
// 0x065150[c], action 6). In: R20, R1. Out: Z clear when it started.
void sub_064E05() {
    ROUTINE_ENTRY(0x064E05);
    bit_flags(cpu.reg[1], kButton1);
    if (eq()) {
        ret();
        return;
    }
    orb_write8(field(ob::state), orb_read8(rom::top_state + character()));
    orb_write8(field(ob::attack_kind), 6);
    cpu.z = 0;
    ret();
}

// Falling: rise_speed -= 2, height += rise_speed; at 0 or below the player
// has landed (height and rise_speed 0). In: R20. Out: Z set when landed.
// Changes R8.
void sub_064E25() {
    ROUTINE_ENTRY(0x064E25);
    cpu.reg[8] = sub<uint8_t>(orb_read8(field(ob::rise_speed)), 2);
    orb_write8(field(ob::rise_speed), static_cast<uint8_t>(cpu.reg[8]));
    cpu.reg[8] = add<uint16_t>(orb_read16(field(ob::height)), sx8(cpu.reg[8]));
    orb_write16(field(ob::height), static_cast<uint16_t>(cpu.reg[8]));
    if (greater()) {
        ret();
        return;
    }
    orb_write16(field(ob::height), 0);
    orb_write8(field(ob::rise_speed), 0);
    cpu.z = 1;
    ret();
}

// Attack strike of the current action: the swing effect and sound, the
// action's box against the other objects (the copy of table A at half
// strength when table B is empty), the connect effect on a touch.
// In: R20. Changes R0-R19 as the box test does.
void sub_064E44() {
    ROUTINE_ENTRY(0x064E44);
    cpu.reg[0] = load_zx8(rom::swing_effects + action());
    test<uint32_t>(cpu.reg[0]);
    if (ne()) {
        if (!call(sub_0824F0, 0x064E57, 0x064E52)) return;
    }
    cpu.reg[0] = action_byte(rom::swing_sounds);
    if (!call(sub_088F98, 0x064E68, 0x064E63)) return;
    cpu.reg[10] = by_character(rom::attack_boxes) + 4 * action();
    cpu.reg[16] = action_byte(rom::attack_strengths);
    if (!call(sub_0881A4, 0x064E84, 0x064E7F)) return;
    if (!test_bit(cpu.reg[20], object_flag::touched)) return end_frame();
    cpu.reg[0] = load_zx8(rom::connect_effects + action());
    test<uint32_t>(cpu.reg[0]);
    if (eq()) return end_frame();
    sub_0824F0();
}

// Pulls R3 back towards the screen: with s = R3's screen x against the
// playfield camera, R3 -= 4 × (s - 48) below 48 and 4 × (s - 272) above 272.
// Changes R8, R10.
void sub_064E9C() {
    ROUTINE_ENTRY(0x064E9C);
    cpu.reg[10] = orb_read32(var::camera_pointer);
    cpu.reg[8] =
        sx16((static_cast<int16_t>(cpu.reg[3]) >> 2) - (s16_at(cpu.reg[10] + camera_record::x) >> 2));
    cmp<uint16_t>(cpu.reg[8], 48);
    if (less()) {
        cpu.reg[3] = sx16(cpu.reg[3] - 4 * (cpu.reg[8] - 48));
    } else {
        cmp<uint16_t>(cpu.reg[8], 272);
        if (greater()) cpu.reg[3] = sx16(cpu.reg[3] - 4 * (cpu.reg[8] - 272));
    }
    ret();
}

// Child effects of the player: type 39 (hurt), 40 (defeat), 41 and 66 (held).
void sub_064ED8() {
    ROUTINE_ENTRY(0x064ED8);
    cpu.reg[0] = 39;
    sub_0824F0();
}

void sub_064EE2() {
    ROUTINE_ENTRY(0x064EE2);
    cpu.reg[0] = 40;
    sub_0824F0();
}

void sub_064EEC() {
    ROUTINE_ENTRY(0x064EEC);
    cpu.reg[0] = 41;
    sub_0824F0();
}

void sub_064EF6() {
    ROUTINE_ENTRY(0x064EF6);
    cpu.reg[0] = 66;
    sub_0824F0();
}

// Child effect of type R0 + character, + 4 facing increasing x. In: R20, R0.
void sub_064F09() {
    ROUTINE_ENTRY(0x064F09);
    cpu.reg[0] += character();
    if (test_bit(cpu.reg[20], object_flag::mirror_x)) cpu.reg[0] += 4;
    sub_0824F0();
}
