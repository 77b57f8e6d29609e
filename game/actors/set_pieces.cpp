// Two set pieces on the generic enemy AI. The camera-triggered enemy waits
// for the camera, opens a fight with an effect, a sound and the boss bar,
// fights with the generic actions and, defeated, moves the area's camera
// controller on. The rider carrier waits unseen for its screen window,
// flies a route attacking on the way, sets its rider down on a platform of
// its own record, waits until that enemy is gone and flies back out. Each
// object routine runs with R20 = its object.
#include "game/continuations.h"
#include "game/actors/common.h"
#include "game/actors/platform_ai.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// ---- the camera-triggered enemy ----
constexpr uint32_t kCameraHitStates = 0x083064;
constexpr uint32_t kCameraStunFrames = 0x083068;
constexpr uint32_t kFightAnimation = 0x1364CB;
constexpr uint8_t kCameraEnemyType = 8;
constexpr uint16_t kSetUpObjects = 4;
constexpr uint8_t kSetUpSound = 0x90;
constexpr int16_t kTriggerX = 1536;
constexpr uint8_t kOpeningFrames = 180;
constexpr uint8_t kOpeningEffect = 70;
constexpr uint8_t kOpeningSound = 0xB7;
constexpr uint8_t kBossBar = 16;
constexpr uint8_t kControllerState = 14;

// The rider carrier's states; 11 runs the set-up's code.
namespace carrier_state {
constexpr uint8_t setup = 0, wait_window = 1, flight = 2, wait_rider = 3, stun = 4, stunned = 5, destroy = 6,
                  destroy_wait = 7, destroyed = 8, turn_back = 9, fly_out = 10, setup_again = 11;
}  // namespace carrier_state

// ---- the rider carrier ----
constexpr uint32_t kCarrierStates = 0x08428A;  // 3-byte branches by state
constexpr uint32_t kLandedData = 0x0846DC;     // 2 bytes for type 2, then 2 for type 3
constexpr uint32_t kRiderTypes = 0x084620;     // the set-down's jump table by rider type
constexpr uint32_t kCarrierAnimation = 0x1366D0;
constexpr int16_t kCarrierHeight = 128;
constexpr uint16_t kCarrierEnergy = 14;
constexpr uint16_t kCarrierScore = 200;
constexpr uint8_t kCarrierType = 2;
constexpr uint16_t kRiderEnergy = 14;
constexpr uint16_t kRiderScore = 30;
constexpr int16_t kRiderRise = 56;              // the rider stands this far above the carrier
constexpr uint32_t kPlatformHead = 0x01000404;  // last entry 4, start 4, window words 0 and 1
constexpr int16_t kPlatformWidth = 4;
constexpr int16_t kWindowLeft = 80, kWindowRight = 240, kWindowTop = 56, kWindowBottom = 168;
constexpr uint8_t kBlastFrames = 10;
constexpr uint8_t kWreckFrames = 30;
constexpr uint8_t kRiderDefeatSound = 0xF5;

using self::field;
using self::set_state;
using self::state;

void count_in() { orb_write8(var::live_enemy_count, inc<uint8_t>(orb_read8(var::live_enemy_count))); }

uint16_t free_128() { return orb_read16(var::free_stack_128); }

// The rider stands on the carrier: the carrier's X, its Y less 56.
void ride_on(uint32_t rider, uint32_t carrier) {
    orb_write16(rider + object_record::world_x, orb_read16(carrier + object_record::world_x));
    orb_write16(rider + object_record::world_y,
                sub<uint16_t>(orb_read16(carrier + object_record::world_y), kRiderRise));
}

bool rides(uint32_t rider, uint32_t carrier) {
    cmp<uint16_t>(orb_read16(rider + object_record::partner), carrier);
    return eq();
}

void fly() { actors::drift(cpu.reg[20]); }

}  // namespace

// The camera-triggered enemy: the area-change and camera-window guards and
// the generic hit reaction, then its state through its table: the generic
// actions, the generic start and stun count, and its own set-up, camera
// wait, opening countdown and defeat signal. In: R20.
void sub_082B50() {
    ROUTINE_ENTRY(0x082B50);
    if (!call(sub_07AA8D, 0x082B55, 0x082B50)) return;
    if (!call(sub_07AA53, 0x082B5A, 0x082B55)) return;
    cpu.reg[10] = kCameraStunFrames;
    cpu.reg[11] = kCameraHitStates;
    if (!call(sub_07A980, 0x082B6B, 0x082B66)) return;
    {
        const uint32_t target = orb_read32(rom::camera_enemy_states + 4u * state());
        switch (target) {
        case entry::sub_07A50F: sub_07A50F(); return;
        case entry::sub_07A535: sub_07A535(); return;
        case entry::sub_07A54F: sub_07A54F(); return;
        case entry::sub_07A592: sub_07A592(); return;
        case entry::sub_07A5AC: sub_07A5AC(); return;
        case entry::sub_07A5EF: sub_07A5EF(); return;
        case entry::sub_07A60F: sub_07A60F(); return;
        case entry::sub_07A637: sub_07A637(); return;
        case entry::sub_07A657: sub_07A657(); return;
        case entry::sub_07A68D: sub_07A68D(); return;
        case entry::sub_07A6B9: sub_07A6B9(); return;
        case entry::sub_07A6CC: sub_07A6CC(); return;
        case entry::sub_07A70C: sub_07A70C(); return;
        case entry::sub_07A725: sub_07A725(); return;
        case entry::sub_07A72D: sub_07A72D(); return;
        case entry::sub_07A73B: sub_07A73B(); return;
        case continuation::start_code: goto L_07A4F5;
        case continuation::stun_countdown: goto L_07A6A0;
        case continuation::camera_enemy_set_up: goto L_082BCC;
        case continuation::camera_enemy_trigger: goto L_082C19;
        case continuation::camera_enemy_countdown: goto L_082C4C;
        case continuation::camera_enemy_defeat_signal: goto L_082C60;
        default: v60_unknown_jump(target, 0x082B75);
        }
    }
L_07A4F5:
    ai_start_code();  // the generic AI's start, as its state 1
    return;
L_07A6A0:
    ai_stun_countdown();
    return;
L_082BCC:
    // The four set-up objects are taken only together.
    cmp<uint16_t>(free_128(), kSetUpObjects);
    if (carry()) {
        ret();
        return;
    }
    orb_write8(field(object_record::type), kCameraEnemyType);
    for (uint8_t part = 0; part < kSetUpObjects; ++part) {
        if (!call(sub_088C67, 0x082BDD, 0x082BD8)) return;
        if (!call(sub_088CA5, 0x082BE4, 0x082BDF)) return;
        actors::adopt(continuation::camera_enemy_object);
        orb_write8(cpu.reg[21] + object_record::type, part);
    }
    if (!call(sub_07A49A, 0x082BFD, 0x082BF8)) return;
    cpu.reg[19] = kFightAnimation;
    if (!call(sub_061F06, 0x082C05, 0x082C00)) return;
    cpu.reg[0] = kSetUpSound;
    if (!call(sub_088F98, 0x082C0F, 0x082C0A)) return;
    ret();
    return;
L_082C19:
    cmp<uint16_t>(orb_read16(orb_read32(var::camera_pointer) + camera_record::x),
                  static_cast<uint16_t>(kTriggerX));
    if (less()) goto L_082C54;
    self::next_state_sets_flags();
    orb_write8(field(object_record::enemy_timer), kOpeningFrames);
    cpu.reg[0] = kOpeningEffect;
    cpu.reg[10] = cpu.reg[20];
    if (!call(sub_0824F3, 0x082C33, 0x082C2E)) return;
    cpu.reg[0] = kOpeningSound;
    if (!call(sub_088FD7, 0x082C3D, 0x082C38)) return;
    cpu.reg[0] = kBossBar;
    if (!call(sub_06978D, 0x082C47, 0x082C42)) return;
L_082C4C:
    orb_write8(field(object_record::enemy_timer), dec<uint8_t>(orb_read8(field(object_record::enemy_timer))));
    if (eq()) self::next_state_sets_flags();
L_082C54:
    if (!call(sub_062044, 0x082C59, 0x082C54)) return;
    sub_062094();
    return;
L_082C60:
    orb_write8(orb_read32(var::area_controller) + object_record::state, kControllerState);
    orb_write16(field(object_record::flags), 0);
    sub_07A70C();
}

// The rider carrier (type 2, counted): unseen until it comes inside the
// screen window, then a jump and a timed flight on its route with attacks,
// the set-down of its rider and a wait until the rider is gone, then back
// out; stunned and destroyed through its hit table, destruction taking the
// rider with it. In: R20.
void sub_08425C() {
    ROUTINE_ENTRY(0x08425C);
    if (!call(sub_07AA8D, 0x084261, 0x08425C)) return;
    cpu.reg[10] = rom::rider_carrier_hit_table;
    if (!call(sub_07CA05, 0x08426B, 0x084266)) return;
    switch (state()) {
    case carrier_state::setup:
    case carrier_state::setup_again: break;
    case carrier_state::wait_window: goto L_084330;
    case carrier_state::flight: goto L_0843A0;
    case carrier_state::wait_rider: goto L_0843C0;
    case carrier_state::stun: goto L_0843D8;
    case carrier_state::stunned: goto L_0843DC;
    case carrier_state::destroy: goto L_0843F8;
    case carrier_state::destroy_wait: goto L_084414;
    case carrier_state::destroyed: goto L_084438;
    case carrier_state::turn_back: goto L_084440;
    case carrier_state::fly_out: goto L_084448;
    default: v60_unknown_jump(kCarrierStates + 3u * state(), 0x084287);
    }
    // Nothing changes until a 128-byte object is free for the rider.
    test<uint16_t>(free_128());
    if (eq()) {
        ret();
        return;
    }
    {
        const uint32_t spawn = orb_read32(field(object_record::data_pointer));
        const uint8_t rider_type = orb_read8(spawn);
        const uint8_t route = orb_read8(spawn + 1);
        set_state(carrier_state::wait_window);
        orb_write16(field(object_record::flags), 1);
        count_in();
        orb_write16(field(object_record::height), kCarrierHeight);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        orb_write8(field(set_piece::attack_cooldown), 0);
        orb_write8(field(set_piece::ai_stun_timer), 0);
        orb_write16(field(object_record::energy), kCarrierEnergy);
        orb_write16(field(object_record::score_value), kCarrierScore);
        orb_write8(field(object_record::type), kCarrierType);
        cpu.reg[19] = kCarrierAnimation;
        if (!call(sub_061F06, 0x0842F5, 0x0842F0)) return;
        if (!call(sub_088C67, 0x0842FA, 0x0842F5)) return;
        if (!call(sub_088CA5, 0x084301, 0x0842FC)) return;
        const uint32_t rider = cpu.reg[21];
        orb_write32(rider + object_record::routine, orb_read32(rom::riding_routines + 4u * rider_type));
        orb_write16(rider + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
        orb_write16(rider + object_record::partner, static_cast<uint16_t>(cpu.reg[20]));
        orb_write8(rider + object_record::type, rider_type);
        orb_write16(field(object_record::partner), static_cast<uint16_t>(rider));
        orb_write32(field(set_piece::route_index), route);
    }
L_084330:
    if (!call(sub_062044, 0x084335, 0x084330)) return;
    {
        const int16_t x = static_cast<int16_t>(orb_read16(field(object_record::screen_x)));
        const int16_t y = static_cast<int16_t>(orb_read16(field(object_record::screen_y)));
        if (x < kWindowLeft || x > kWindowRight || y < kWindowTop || y > kWindowBottom) {
            ret();
            return;
        }
    }
    {
        const uint32_t route = orb_read8(field(set_piece::route_index));
        set_state(carrier_state::flight);
        orb_write8(field(set_piece::resume_state), 2);
        orb_write16(field(object_record::world_x), add<uint16_t>(orb_read16(field(object_record::world_x)),
                                                                 orb_read16(rom::route_jumps + 4u * route)));
        orb_write16(field(object_record::world_y),
                    add<uint16_t>(orb_read16(field(object_record::world_y)),
                                  orb_read16(rom::route_jumps + 4u * route + 2)));
        orb_write8(field(object_record::velocity_x), orb_read8(rom::route_steps + 2u * route));
        orb_write8(field(object_record::velocity_y), orb_read8(rom::route_steps + 2u * route + 1));
        orb_write8(field(object_record::enemy_timer), orb_read8(rom::route_frames + route));
    }
    // The attached part is left out when no object is free.
    if (!call(sub_088C67, 0x084381, 0x08437C)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x084388, 0x084383)) return;
        actors::adopt(entry::sub_07CFC2 /* attachment */);
    }
    ret();
    return;
L_0843A0:
    fly();
    orb_write8(field(object_record::enemy_timer), dec<uint8_t>(orb_read8(field(object_record::enemy_timer))));
    if (ne()) goto L_084420;
    set_state(carrier_state::wait_rider);
    orb_write8(field(set_piece::resume_state), 3);
    if (!call(sub_0845D6, 0x0843BB, 0x0843B6)) return;
L_0843C0:
    if (!rides(linked(cpu.reg[20], object_record::partner), cpu.reg[20])) set_state(carrier_state::turn_back);
    goto L_084420;
L_0843D8:
    set_state(carrier_state::stunned);
L_0843DC:
    orb_write8(field(set_piece::ai_stun_timer), dec<uint8_t>(orb_read8(field(set_piece::ai_stun_timer))));
    if (eq()) {
        set_state(orb_read8(field(set_piece::resume_state)));
        clear_bit(field(object_record::flags), object_flag::intangible);
    }
    if (!call(sub_062044, 0x0843F3, 0x0843EE)) return;
    sub_062094();
    return;
L_0843F8:
    set_state(carrier_state::destroy_wait);
    orb_write8(field(object_record::enemy_timer), kBlastFrames);
    if (!call(sub_088C67, 0x084405, 0x084400)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x08440C, 0x084407)) return;
        actors::adopt(entry::sub_07B615 /* short effect */);
        orb_write8(cpu.reg[21] + object_record::type, 4);
    }
L_084414:
    orb_write8(field(object_record::enemy_timer), dec<uint8_t>(orb_read8(field(object_record::enemy_timer))));
    if (ne()) {
        if (!call(sub_062044, 0x08441A, 0x084415)) return;
        sub_062094();
        return;
    }
    set_state(carrier_state::destroyed);
    orb_write8(field(object_record::enemy_timer), kWreckFrames);
    {
        const uint32_t rider = linked(cpu.reg[20], object_record::partner);
        if (rides(rider, cpu.reg[20]))
            orb_write16(rider + object_record::flags,
                        logic<uint16_t>(orb_read16(rider + object_record::flags) | 1u << object_flag::hit |
                                        1u << object_flag::defeated));
    }
    ret();
    return;
L_084438:
    orb_write8(field(object_record::enemy_timer), dec<uint8_t>(orb_read8(field(object_record::enemy_timer))));
    if (eq()) {
        sub_08445B();
        return;
    }
    ret();
    return;
L_084440:
    set_state(carrier_state::fly_out);
    orb_write8(field(object_record::velocity_x), neg<uint8_t>(orb_read8(field(object_record::velocity_x))));
    orb_write8(field(object_record::velocity_y), neg<uint8_t>(orb_read8(field(object_record::velocity_y))));
L_084448:
    if (!test_bit(field(object_record::flags), object_flag::listed)) {
        orb_write32(field(object_record::routine), entry::sub_08445B /* removal */);
        set_bit(field(object_record::flags), object_flag::defeated);
        ret();
        return;
    }
    fly();
    if (!call(sub_062044, 0x08444F, 0x08444A)) return;
    if (!call(sub_062094, 0x084454, 0x08444F)) return;
    sub_08814E();
    return;
L_084420:
    // The attack step of the flight and the wait.
    {
        const uint8_t cooldown = orb_read8(field(set_piece::attack_cooldown));
        test<uint8_t>(cooldown);
        if (ne()) {
            orb_write8(field(set_piece::attack_cooldown), dec<uint8_t>(cooldown));
        } else {
            if (!call(sub_07C9D4, 0x084425, 0x084420)) return;
            if (test_bit(field(object_record::flags), object_flag::touched))
                orb_write32(field(set_piece::attack_cooldown),
                            orb_read8(rom::rider_cooldowns + actors::rank_tier()));
        }
    }
    if (!call(sub_062044, 0x08442D, 0x084428)) return;
    if (!call(sub_062094, 0x084432, 0x08442D)) return;
    sub_08814E();
}

// Removal of the rider carrier: flags (low half) 0, counted off, unlinked
// and freed. In: R20.
void sub_08445B() {
    ROUTINE_ENTRY(0x08445B);
    orb_write16(field(object_record::flags), 0);
    orb_write8(var::live_enemy_count, dec<uint8_t>(orb_read8(var::live_enemy_count)));
    if (!call(sub_088CD3, 0x08446D, 0x084468)) return;
    sub_088D0C();
}

// The rider while it rides: the generic hit reaction, then its state: wait
// unseen until the carrier flies, appear (counted) and ride on it, the
// generic stun and knock-back actions, and a defeat that lets the carrier go
// back. In: R20 = the rider (owner and partner the carrier).
void sub_0844B2() {
    ROUTINE_ENTRY(0x0844B2);
    if (!call(sub_07AA8D, 0x0844B7, 0x0844B2)) return;
    cpu.reg[10] = rom::rider_stun_frames;
    cpu.reg[11] = rom::rider_hit_states;
    if (!call(sub_07A980, 0x0844C8, 0x0844C3)) return;
    const uint32_t carrier = linked(cpu.reg[20], object_record::owner);
    {
        const uint32_t target = orb_read32(rom::rider_states + 4u * state());
        switch (target) {
        case continuation::rider_appear: break;
        case continuation::rider_ride: goto L_084555;
        case continuation::rider_stun: goto L_084581;
        case continuation::rider_stun_count: goto L_0845A1;
        case continuation::rider_defeat: goto L_0845C1;
        case entry::sub_07A6B9: sub_07A6B9(); return;
        case entry::sub_07A6CC: sub_07A6CC(); return;
        case entry::sub_07A725: sub_07A725(); return;
        case entry::sub_07A72D: sub_07A72D(); return;
        case entry::sub_07A73B: sub_07A73B(); return;
        default: v60_unknown_jump(target, 0x0844D1);
        }
    }
    cmp<uint8_t>(orb_read8(carrier + object_record::state), carrier_state::flight);
    if (carry()) {
        ret();
        return;
    }
    self::next_state_sets_flags();
    count_in();
    orb_write16(field(object_record::flags), 1);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    ride_on(cpu.reg[20], carrier);
    orb_write16(field(object_record::height), 0);
    orb_write16(field(object_record::energy), kRiderEnergy);
    orb_write16(field(object_record::score_value), kRiderScore);
    cpu.reg[19] = orb_read32(rom::riding_animations + 4u * orb_read8(field(object_record::type)));
    if (!call(sub_061F06, 0x084545, 0x084540)) return;
    if (!call(sub_07A4DE, 0x08454A, 0x084545)) return;
L_084555:
    ride_on(cpu.reg[20], carrier);
    if (!call(sub_062044, 0x08456B, 0x084566)) return;
    if (!call(sub_062094, 0x084570, 0x08456B)) return;
    sub_08814E();
    return;
L_084581:
    ride_on(cpu.reg[20], carrier);
    sub_07A68D();
    return;
L_0845A1:
    ride_on(cpu.reg[20], carrier);
    ai_stun_countdown();
    return;
L_0845C1:
    orb_write16(field(object_record::partner), 0);
    cpu.reg[0] = kRiderDefeatSound;
    if (!call(sub_088F98, 0x0845CF, 0x0845CA)) return;
    sub_07A70C();
}

// Sets the rider down (unless it no longer rides): its routine after the
// set-down, state 0, the carrier's position less 56 in Y, and the platform
// it walks on: for types 0, 1, 4 and 5 a one-segment list built in the
// carrier's record, for types 2 and 3 ROM data (the second byte when
// mirrored); then the rider's new routine runs at once. A type above 5 ends
// the run. In: R20 = the carrier. Out: R11 = the rider.
void sub_0845D6() {
    ROUTINE_ENTRY(0x0845D6);
    cpu.reg[11] = linked(cpu.reg[20], object_record::partner);
    const uint32_t rider = cpu.reg[11];
    if (!rides(rider, cpu.reg[20])) {
        ret();
        return;
    }
    const uint8_t type = orb_read8(rider + object_record::type);
    orb_write32(rider + object_record::routine, orb_read32(rom::landed_routines + 4u * type));
    orb_write8(rider + object_record::state, ai_state::setup);
    ride_on(rider, cpu.reg[20]);
    switch (type) {
    case 0:
    case 1:
    case 4:
    case 5:
        {
            const uint32_t platform = field(set_piece::rider_platform);
            const uint16_t x = orb_read16(field(object_record::world_x));
            orb_write32(platform, kPlatformHead);
            orb_write16(platform + 4, x);
            orb_write16(platform + 6, add<uint16_t>(x, kPlatformWidth));
            orb_write16(platform + 8, orb_read16(rider + object_record::world_y));
            orb_write32(rider + object_record::data_pointer, platform);
            break;
        }
    case 2:
    case 3:
        {
            uint32_t data = kLandedData + 2u * (type - 2u);
            if (test_bit(rider + object_record::flags, object_flag::mirror_x)) data += 1;
            orb_write32(rider + object_record::data_pointer, data);
            break;
        }
    default: v60_unknown_jump(kRiderTypes + 3u * type, 0x084630);
    }
    push(cpu.reg[20]);
    cpu.reg[20] = rider;
    if (!call_at(orb_read32(rider + object_record::routine), 0x084665, 0x084660)) return;
    cpu.reg[20] = pop();
    ret();
}
