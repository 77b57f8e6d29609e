// The set-piece boss: a controller that waits for the camera and then makes
// a path-scripted body with a boss bar, two parts drawn over it on a six-phase
// cycle, and a fader that drives the music level through the RAM shared with
// the sound board; at the body's defeat the parts play their exit and the
// music fades out. Also the stationary attacker bound to the area it was made
// in. Every routine runs with R20 = the running object.
#include "game/actors/common.h"
#include "game/actors/running_object.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;
namespace spr = set_piece_record;

namespace {

constexpr uint32_t kBodyStates = 0x083152;  // the state tables' places
constexpr uint32_t kFirstStates = 0x08328A;
constexpr uint32_t kSecondStates = 0x083402;
constexpr uint32_t kFaderStates = 0x08350C;
constexpr uint32_t kGuardStates = 0x083800;

constexpr int16_t kStartX = 0x4000;  // camera x where the set piece starts
constexpr uint16_t kFlagsRunning = 1;
constexpr uint8_t kLastArea = 5;  // the area byte where the set piece is removed
constexpr uint16_t kBodyEnergy = 490;
constexpr uint16_t kBodyScore = 10000;
constexpr uint8_t kBodyType = 5;
constexpr uint8_t kBodyBar = 18;
constexpr uint8_t kDefeatFrames = 10;
constexpr uint8_t kBodyEffect = 4;
constexpr uint16_t kBossFlash = 0x4E0;
constexpr uint8_t kFadeCode = 175;
constexpr uint8_t kFadeEnd = 176;
constexpr uint8_t kFadePhase = 5;
constexpr int16_t kExitPoint = 160;  // screen x and y the first part moves to
constexpr uint16_t kExitStep = 4;
constexpr int16_t kTopEdge = -63;
constexpr uint16_t kRise = 8;
constexpr uint8_t kExitWait = 120;
constexpr uint8_t kExitHold = 250;
constexpr uint8_t kExitEffect = 60;
constexpr uint8_t kGuardEffect = 8;
constexpr uint32_t kGuardTally = 2 * 10;  // tally_record category 10
constexpr uint8_t kHitSound = 0xCA;
constexpr uint16_t kGuardColour = 0x6C0;
constexpr uint16_t kGuardFlash = 0x6D0;

using namespace actors::self;

uint32_t controller() { return orb_read32(field(spr::controller)); }
uint32_t first_part() { return orb_read32(controller() + spr::first_part); }
uint8_t phase() { return orb_read8(first_part() + spr::phase); }
uint32_t body() { return orb_read32(controller() + spr::body); }
bool beaten() { return (orb_read16(controller() + object_record::flags) >> object_flag::defeated) & 1; }
bool in_last_area() { return orb_read8(var::area) == kLastArea; }

// The objects' states, the places of their ROM state tables' entries.
namespace body_state {
constexpr uint8_t start = 0, move = 1, hit = 2, flash = 3, defeat = 4, countdown = 5, gone = 6,
                  start_again = 7;
}  // namespace body_state
namespace first_part_state {
constexpr uint8_t start = 0, new_cycle = 1, phase_0 = 2, next_phase = 3, phase = 4, exit = 5, wait = 6,
                  move = 7, hold = 8, rise = 9, start_again = 10;
}  // namespace first_part_state
namespace second_part_state {
constexpr uint8_t waiting = 0, shown = 1, attack = 2, waiting_again = 3;
}  // namespace second_part_state
namespace fader_state {  // the music fader
constexpr uint8_t wait_phase = 0, playing = 1, wait_rise = 2, falling = 3, wait_again = 4;
}  // namespace fader_state
namespace attacker_state {  // the stationary attacker
constexpr uint8_t start = 0, rest = 1, wait = 2, windup = 3, attack = 4, recover = 5, defeated = 6,
                  start_again = 7;
}  // namespace attacker_state

// A 256-byte object gives itself back after unlinking: the free stack's
// count goes up by one and the new top entry is the low half of its address.
void push_free_256(uint32_t object) {
    const uint16_t count = static_cast<uint16_t>(orb_read16(var::free_stack_256) + 1);
    orb_write16(var::free_stack_256, count);
    orb_write16(var::free_stack_256 + 2u * count, static_cast<uint16_t>(object));
}

// A new object (in R21) of the set piece: its routine and the controller.
void make_part(uint32_t routine) {
    orb_write32(cpu.reg[21] + object_record::routine, routine);
    orb_write32(cpu.reg[21] + spr::controller, cpu.reg[20]);
}

// The short effect of a defeat in R21, owned by the running object.
void make_effect(uint8_t type) {
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_07B615 /* short effect */);
    orb_write8(cpu.reg[21] + object_record::type, type);
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
}

}  // namespace

// Set-piece controller: flags 1 while it waits for the playfield camera to
// reach x 0x4000 (signed); then, when the pools hold three 256-byte and one
// 64-byte object, the first part, second part, body and fader, linked in
// that order, and the wait for the body's defeat. Nothing is drawn. In: R20.
void sub_083074() {
    ROUTINE_ENTRY(0x083074);
    orb_write16(field(object_record::flags), kFlagsRunning);
    cmp<uint16_t>(orb_read16(orb_read32(var::camera_pointer) + camera_record::x),
                  static_cast<uint16_t>(kStartX));
    if (less()) goto L_083104;
    // The parts and the fader read each other through the controller, so the
    // set piece starts only once every object it needs is free.
    if (orb_read16(var::free_stack_256) < 3 || orb_read16(var::free_stack_64) < 1) goto L_083104;
    if (!call(sub_088C57, 0x083095, 0x083090)) return;
    if (!call(sub_088CA5, 0x08309A, 0x083095)) return;
    make_part(entry::sub_083278 /* first part */);
    orb_write32(field(spr::first_part), cpu.reg[21]);
    if (!call(sub_088C57, 0x0830AD, 0x0830A8)) return;
    if (!call(sub_088CA5, 0x0830B2, 0x0830AD)) return;
    make_part(entry::sub_0833F8 /* second part */);
    orb_write32(field(spr::second_part), cpu.reg[21]);
    if (!call(sub_088C57, 0x0830C5, 0x0830C0)) return;
    if (!call(sub_088CA5, 0x0830CA, 0x0830C5)) return;
    make_part(entry::sub_08312C /* body */);
    orb_write32(cpu.reg[21] + 16, orb_read32(field(16)));
    orb_write16(cpu.reg[21] + object_record::world_x, orb_read16(field(object_record::world_x)));
    orb_write16(cpu.reg[21] + object_record::world_y, orb_read16(field(object_record::world_y)));
    orb_write32(field(spr::body), cpu.reg[21]);
    if (!call(sub_088C77, 0x0830ED, 0x0830E8)) return;
    if (!call(sub_088CA5, 0x0830F2, 0x0830ED)) return;
    make_part(entry::sub_083502 /* fader */);
    orb_write32(field(object_record::routine), entry::sub_083106 /* waiting */);
    sub_083106();
    return;
L_083104:
    ret();
}

// Controller after the start: at the body's defeat (its flags bit 9) the
// set piece is counted off once and the controller waits for area 5. In: R20.
void sub_083106() {
    ROUTINE_ENTRY(0x083106);
    if (test_bit(field(object_record::flags), object_flag::defeated)) {
        orb_write8(var::live_enemy_count, static_cast<uint8_t>(orb_read8(var::live_enemy_count) - 1));
        orb_write32(field(object_record::routine), entry::sub_083118 /* leaving */);
    }
    ret();
}

// Controller at the end: in area 5 it unlinks and frees itself. In: R20.
void sub_083118() {
    ROUTINE_ENTRY(0x083118);
    if (in_last_area()) {
        if (!call(sub_088CD3, 0x083125, 0x083120)) return;
        sub_088D0C();
        return;
    }
    ret();
}

// The boss body: the scripted objects' hit reaction, then start (path
// script, energy, bar), move (contact attack, path step, boxes every frame),
// hit flash, defeat with a 10-frame countdown that signals the controller
// and the camera controller, and the hidden wait for area 5. In: R20.
void sub_08312C() {
    ROUTINE_ENTRY(0x08312C);
    cpu.reg[10] = rom::set_piece_body_hits;
    if (!call(sub_07CA05, 0x083136, 0x083131)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case body_state::start:
    case body_state::start_again: goto L_083172;
    case body_state::move: goto L_0831AA;
    case body_state::hit: goto L_0831D0;
    case body_state::flash: goto L_0831D3;
    case body_state::defeat: goto L_0831F0;
    case body_state::countdown: goto L_08321C;
    case body_state::gone: goto L_08324A;
    default: v60_unknown_jump(kBodyStates + 4 * cpu.reg[0], 0x08314E);
    }
L_083172:  // start
    if (!call(sub_07D203, 0x083177, 0x083172)) return;
    orb_write16(field(spr::stun_count), 0);
    orb_write16(field(object_record::energy), kBodyEnergy);
    orb_write16(field(object_record::score_value), kBodyScore);
    orb_write8(field(object_record::type), kBodyType);
    cpu.reg[19] = rom::set_piece_body_animation;
    if (!call(sub_061F06, 0x08319C, 0x083197)) return;
    cpu.reg[0] = kBodyBar;
    if (!call(sub_06978D, 0x0831A5, 0x0831A0)) return;
L_0831AA:  // move: boxes registered every frame, listed or not
    if (!call(sub_07C9D4, 0x0831AF, 0x0831AA)) return;
    if (!call(sub_07D252, 0x0831B4, 0x0831AF)) return;
    if (!call(sub_061FB6, 0x0831B9, 0x0831B4)) return;
    if (!call(sub_062044, 0x0831BE, 0x0831B9)) return;
    if (!call(sub_062094, 0x0831C3, 0x0831BE)) return;
    set_bit(field(object_record::flags), object_flag::listed);
    sub_08814E();
    return;
L_0831D0:  // hit
    next_state_keeps_flags();
L_0831D3:  // flash
    count_down8_sets_flags(field(spr::flash_timer));
    if (eq()) {
        set_state(body_state::move);
        clear_bit(field(object_record::flags), object_flag::intangible);
    }
    if (!call(sub_07D252, 0x0831E6, 0x0831E1)) return;
    if (!call(sub_061FB6, 0x0831EB, 0x0831E6)) return;
    goto L_083230;
L_0831F0:  // defeat
    next_state_keeps_flags();
    orb_write8(field(spr::countdown), kDefeatFrames);
    if (!call(sub_088C67, 0x083201, 0x0831FC)) return;
    if (ne()) {
        if (!call(sub_088CA5, 0x083208, 0x083203)) return;
        make_effect(kBodyEffect);
    }
L_08321C:  // countdown
    count_down8_sets_flags(field(spr::countdown));
    if (ne()) goto L_083230;
    set_bit(controller() + object_record::flags, object_flag::defeated);
    next_state_keeps_flags();
    {
        const uint32_t camera_controller = orb_read32(var::area_controller) + object_record::state;
        orb_write8(camera_controller, static_cast<uint8_t>(orb_read8(camera_controller) + 1));
    }
L_08324A:  // gone: hidden until area 5
    if (in_last_area()) {
        if (!call(sub_088CD3, 0x083257, 0x083252)) return;
        push_free_256(cpu.reg[20]);
    }
    ret();
    return;
L_083230:  // flash tail
    if (!call(sub_062044, 0x083235, 0x083230)) return;
    if (!call(sub_062094, 0x08323A, 0x083235)) return;
    for (uint32_t k = 0; k < 5; ++k) colour(field(spr::part0_colour + 16 * k), kBossFlash);
    ret();
}

// The first part: a cycle of six timed phases over the body (the cycle
// number +1 each time round), and at the body's defeat the exit: 120 frames
// in place, a move to screen (160, 160), a type-60 child effect, 250 frames,
// a rise off the top; then system_flags bit 11, the controller's flags
// cleared, and the part gives itself back. In: R20.
void sub_083278() {
    ROUTINE_ENTRY(0x083278);
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case first_part_state::start:
    case first_part_state::start_again: goto L_0832B6;
    case first_part_state::new_cycle: goto L_0832D4;
    case first_part_state::phase_0: goto L_0832F6;
    case first_part_state::next_phase: goto L_083304;
    case first_part_state::phase: goto L_08332A;
    case first_part_state::exit: goto L_083338;
    case first_part_state::wait: goto L_083350;
    case first_part_state::move: goto L_083360;
    case first_part_state::hold: goto L_083392;
    case first_part_state::rise: goto L_0833A0;
    default: v60_unknown_jump(kFirstStates + 4 * cpu.reg[0], 0x083286);
    }
L_0832B6:  // start
    next_state_keeps_flags();
    set_bit(field(object_record::flags), object_flag::alive);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    if (!call(sub_0835B8, 0x0832C4, 0x0832BF)) return;
    orb_write16(field(object_record::height), 96);
    orb_write8(field(spr::cycle), 0);
L_0832D4:  // a new cycle
    next_state_keeps_flags();
    orb_write8(field(spr::cycle), static_cast<uint8_t>((orb_read8(field(spr::cycle)) + 1) & 3));
    orb_write8(field(spr::phase), 0);
    orb_write8(field(spr::phase_timer), orb_read8(rom::set_piece_phase_lengths));
    if (!call(sub_0833CF, 0x0832F1, 0x0832EC)) return;
L_0832F6:  // phase 0
    if (!call(sub_0833E6, 0x0832FB, 0x0832F6)) return;
    count_down8_sets_flags(field(spr::phase_timer));
    if (ne()) goto L_0833B0;
    next_state_keeps_flags();
L_083304:  // the next phase, or a new cycle after phase 5
    orb_write8(field(spr::phase), static_cast<uint8_t>(orb_read8(field(spr::phase)) + 1));
    cmp<uint8_t>(orb_read8(field(spr::phase)), 5);
    if (greater()) {
        set_state(first_part_state::new_cycle);
        goto L_0833B0;
    }
    next_state_keeps_flags();
    if (!call(sub_0833C2, 0x08331F, 0x08331A)) return;
    if (!call(sub_0833CF, 0x083325, 0x083320)) return;
L_08332A:  // a phase
    if (!call(sub_0833E6, 0x08332F, 0x08332A)) return;
    count_down8_sets_flags(field(spr::phase_timer));
    if (eq())
        orb_write8(field(object_record::state),
                   static_cast<uint8_t>(orb_read8(field(object_record::state)) - 1));
    goto L_0833B0;
L_083338:  // exit
    next_state_keeps_flags();
    orb_write8(field(spr::cycle), 1);
    orb_write8(field(spr::phase), 0);
    orb_write8(field(spr::phase_timer), kExitWait);
    if (!call(sub_0833CF, 0x08334B, 0x083346)) return;
L_083350:  // wait in place
    count_down8_sets_flags(field(spr::phase_timer));
    if (ne()) goto L_0833B5;
    next_state_keeps_flags();
L_083360:  // move to screen (160, 160)
    {
        uint16_t step_x = 0, step_y = 0;
        cmp<uint16_t>(orb_read16(field(object_record::screen_x)), static_cast<uint16_t>(kExitPoint));
        if (ne()) step_x = greater() ? static_cast<uint16_t>(-kExitStep) : kExitStep;
        cmp<uint16_t>(orb_read16(field(object_record::screen_y)), static_cast<uint16_t>(kExitPoint));
        if (ne()) step_y = greater() ? static_cast<uint16_t>(-kExitStep) : kExitStep;
        orb_write16(field(object_record::world_x),
                    static_cast<uint16_t>(orb_read16(field(object_record::world_x)) + step_x));
        orb_write16(field(object_record::world_y),
                    static_cast<uint16_t>(orb_read16(field(object_record::world_y)) + step_y));
        if (step_x | step_y) goto L_0833B5;
    }
    next_state_keeps_flags();
    orb_write8(field(spr::phase_timer), kExitHold);
    orb_write8(field(spr::phase), 5);
    if (!call(sub_0833CF, 0x083385, 0x083380)) return;
    cpu.reg[0] = kExitEffect;
    cpu.reg[10] = cpu.reg[20];
    if (!call(sub_0824F0, 0x08338D, 0x083388)) return;
L_083392:  // hold
    count_down8_sets_flags(field(spr::phase_timer));
    if (ne()) goto L_0833B5;
    next_state_keeps_flags();
L_0833A0:  // rise off the top of the screen
    {
        cmp<uint16_t>(orb_read16(field(object_record::screen_y)), static_cast<uint16_t>(kTopEdge));
        if (greater_equal()) {
            orb_write16(field(object_record::world_y),
                        static_cast<uint16_t>(orb_read16(field(object_record::world_y)) - kRise));
            goto L_0833B5;
        }
    }
    orb_write16(controller() + object_record::flags, 0);
    set_bit(var::system_flags, system_flag::area_won);
    if (!call(sub_088CD3, 0x0833AB, 0x0833A6)) return;
    push_free_256(cpu.reg[20]);
    ret();
    return;
L_0833B0:  // tail: over the body
    if (!call(sub_0835B8, 0x0833B5, 0x0833B0)) return;
L_0833B5:
    if (!call(sub_061FB6, 0x0833BA, 0x0833B5)) return;
    if (!call(sub_062044, 0x0833BF, 0x0833BA)) return;
    sub_062094();
}

// The phase's length into the phase timer. In: R20 = the first part.
void sub_0833C2() {
    ROUTINE_ENTRY(0x0833C2);
    orb_write8(field(spr::phase_timer),
               orb_read8(rom::set_piece_phase_lengths + orb_read8(field(spr::phase))));
    ret();
}

// Starts the first part's animation for its phase and cycle. In: R20.
void sub_0833CF() {
    ROUTINE_ENTRY(0x0833CF);
    cpu.reg[19] = orb_read32(rom::set_piece_first_animations +
                             4u * (4u * orb_read8(field(spr::phase)) + orb_read8(field(spr::cycle))));
    sub_061F06();
}

// At the body's defeat the first part takes its exit state and ends its
// frame over the body; otherwise it returns. In: R20 = the first part.
void sub_0833E6() {
    ROUTINE_ENTRY(0x0833E6);
    if (!beaten()) {
        ret();
        return;
    }
    set_state(first_part_state::exit);
    sp() += 4;
    if (!call(sub_0835B8, 0x0833EE, 0x0833EB)) return;
    if (!call(sub_061FB6, 0x0833F2, 0x0833EF)) return;
    if (!call(sub_062044, 0x0833F6, 0x0833F3)) return;
    sub_062094();
}

// The second part: appears at phase 2, attacks through phase 3 with two
// boxes every frame while the body is hidden, and at phase 4 goes back to
// waiting, showing the body again at frame 3. In: R20.
void sub_0833F8() {
    ROUTINE_ENTRY(0x0833F8);
    if (!call(sub_0835CA, 0x0833FD, 0x0833F8)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case second_part_state::waiting:
    case second_part_state::waiting_again: goto L_08341A;
    case second_part_state::shown: goto L_08343E;
    case second_part_state::attack: goto L_083490;
    default: v60_unknown_jump(kSecondStates + 4 * cpu.reg[0], 0x083400);
    }
L_08341A:  // waiting for phase 2
    if (phase() != 2) {
        ret();
        return;
    }
    next_state_keeps_flags();
    orb_write16(field(object_record::height), 160);
    cpu.reg[19] = rom::set_piece_appear_animation;
    if (!call(sub_061F06, 0x083439, 0x083434)) return;
L_08343E:  // shown, until phase 3
    if (phase() != 3) goto L_0834E4;
    next_state_keeps_flags();
    if (!call(sub_06925A, 0x08344D, 0x083448)) return;
    cpu.reg[0] &= 1;
    orb_write8(
        field(object_record::attack_kind),
        orb_read8(rom::set_piece_attack_kinds + 2u * orb_read8(first_part() + spr::cycle) + cpu.reg[0]));
    cpu.reg[19] =
        orb_read32(rom::set_piece_attack_animations + 4u * orb_read8(field(object_record::attack_kind)));
    if (!call(sub_061F06, 0x083479, 0x083474)) return;
    set_bit(body() + object_record::flags, object_flag::hidden);
L_083490:  // attack, until phase 4
    if (phase() == 4) {
        set_state(second_part_state::waiting);
        clear_bit(body() + object_record::flags, object_flag::hidden);
        orb_write8(body() + object_record::frame_timer, 1);
        orb_write8(body() + object_record::frame_index, 3);
        ret();
        return;
    }
    cpu.reg[16] = by_rank(rom::set_piece_attack_strength);
    cpu.reg[10] = rom::set_piece_attack_boxes + 8u * orb_read8(field(object_record::attack_kind));
    if (!call(sub_08834C, 0x0834C3, 0x0834BE)) return;
    cpu.reg[10] = rom::set_piece_attack_boxes + 8u * orb_read8(field(object_record::attack_kind)) + 4;
    if (!call(sub_08834C, 0x0834CC, 0x0834C7)) return;
    if (!call(sub_0835B8, 0x0834D1, 0x0834CC)) return;
    if (!call(sub_061FB6, 0x0834D6, 0x0834D1)) return;
    if (!call(sub_062044, 0x0834DB, 0x0834D6)) return;
    if (!call(sub_062094, 0x0834E0, 0x0834DB)) return;
    test<uint8_t>(orb_read8(body() + spr::flash_timer));
    if (ne()) colour(field(spr::part0_colour), kBossFlash);
    ret();
    return;
L_0834E4:
    if (!call(sub_0835B8, 0x0834E9, 0x0834E4)) return;
    if (!call(sub_061FB6, 0x0834EE, 0x0834E9)) return;
    if (!call(sub_062044, 0x0834F3, 0x0834EE)) return;
    sub_062094();
}

// The music fader: code 175 on ring B and full level at phase 5, code 176
// when the phase or the fight ends; when the first part rises, the level
// falls from 254 to 1, one step a frame, and the fader gives itself back
// (the level stays at 1). In: R20.
void sub_083502() {
    ROUTINE_ENTRY(0x083502);
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case fader_state::wait_phase:
    case fader_state::wait_again: goto L_08351E;
    case fader_state::playing: goto L_083552;
    case fader_state::wait_rise: goto L_083578;
    case fader_state::falling: goto L_083598;
    default: v60_unknown_jump(kFaderStates + 4 * cpu.reg[0], 0x083508);
    }
L_08351E:
    if (orb_read8(first_part() + object_record::state) == first_part_state::exit) goto L_083568;
    if (phase() != kFadePhase) goto L_083576;
    next_state_keeps_flags();
    orb_write8(hw::music_level, 0xFF);
    cpu.reg[0] = kFadeCode;
    if (!call(sub_088FD7, 0x08354D, 0x083548)) return;
L_083552:
    if (orb_read8(first_part() + object_record::state) == first_part_state::exit) goto L_083568;
    if (phase() == kFadePhase) goto L_083576;
    orb_write8(field(object_record::state), static_cast<uint8_t>(orb_read8(field(object_record::state)) - 1));
    cpu.reg[0] = kFadeEnd;
    if (!call(sub_088FD7, 0x083566, 0x083561)) return;
    goto L_083576;
L_083568:
    set_state(fader_state::wait_rise);
    cpu.reg[0] = kFadeEnd;
    if (!call(sub_088FD7, 0x083575, 0x083570)) return;
L_083576:
    ret();
    return;
L_083578:
    if (orb_read8(first_part() + object_record::state) != first_part_state::rise) goto L_083576;
    next_state_keeps_flags();
    orb_write8(field(spr::countdown), 255);
    orb_write8(hw::music_level, 0xFF);
    cpu.reg[0] = kFadeCode;
    if (!call(sub_088FD7, 0x083593, 0x08358E)) return;
L_083598:
    count_down8_sets_flags(field(spr::countdown));
    if (ne()) {
        orb_write8(hw::music_level, orb_read8(field(spr::countdown)));
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x0835AE, 0x0835A9)) return;
    actors::push_free_64(cpu.reg[20]);
    ret();
}

// Copies the body's world x and y. In: R20 = a part.
void sub_0835B8() {
    ROUTINE_ENTRY(0x0835B8);
    const uint32_t from = body();
    orb_write16(field(object_record::world_x), orb_read16(from + object_record::world_x));
    orb_write16(field(object_record::world_y), orb_read16(from + object_record::world_y));
    ret();
}

// The second part leaves when the body is beaten or in area 5: it unlinks,
// gives itself back and ends its frame. In: R20.
void sub_0835CA() {
    ROUTINE_ENTRY(0x0835CA);
    if (!beaten() && !in_last_area()) {
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x0835DA, 0x0835D5)) return;
    push_free_256(cpu.reg[20]);
    sp() += 4;
    ret();
}

// The stationary attacker: removed outside the active area or once the
// area changes; its hits and defeat; then rest, wait, wind-up to frame 4,
// attack in frames 4-17, recover; the defeat shows 10 frames. In: R20.
void sub_0837C2() {
    ROUTINE_ENTRY(0x0837C2);
    if (!call(sub_07AAE9, 0x0837C7, 0x0837C2)) return;
    test<uint8_t>(orb_read8(field(object_record::state)));
    if (ne())
        if (!call(sub_083F64, 0x0837D1, 0x0837CC)) return;
    if (!call(sub_0838DE, 0x0837D6, 0x0837D1)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case attacker_state::start:
    case attacker_state::start_again: goto L_083808;
    case attacker_state::rest: goto L_083834;
    case attacker_state::wait: goto L_083843;
    case attacker_state::windup: goto L_08384D;
    case attacker_state::attack: goto L_08385C;
    case attacker_state::recover: goto L_083882;
    case attacker_state::defeated: goto L_083890;
    default: v60_unknown_jump(kGuardStates + 4 * cpu.reg[0], 0x0837DC);
    }
L_083808:  // start
    next_state_keeps_flags();
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    orb_write16(field(object_record::height), static_cast<uint16_t>(-64));
    cpu.reg[19] = rom::set_piece_guard_animation;
    if (!call(sub_061F06, 0x08381A, 0x083815)) return;
    orb_write8(field(spr::home_area), orb_read8(var::area));
    orb_write16(field(object_record::energy), 100);
    orb_write16(field(object_record::score_value), 600);
    orb_write8(field(spr::flash_timer), 0);
L_083834:  // rest
    next_state_keeps_flags();
    orb_write8(field(spr::countdown), by_rank(rom::set_piece_guard_wait));
L_083843:  // wait
    count_down8_sets_flags(field(spr::countdown));
    if (ne()) goto L_0838AE;
    next_state_keeps_flags();
L_08384D:  // wind-up
    if (!call(sub_061FB6, 0x083852, 0x08384D)) return;
    cmp<uint8_t>(orb_read8(field(object_record::frame_index)), 4);
    if (carry()) goto L_0838AE;
    next_state_keeps_flags();
L_08385C:  // attack
    if (!call(sub_061FB6, 0x083861, 0x08385C)) return;
    cmp<uint8_t>(orb_read8(field(object_record::frame_index)), 17);
    if (not_higher()) {
        cpu.reg[10] = rom::set_piece_guard_box;
        cpu.reg[16] = by_rank(rom::set_piece_guard_strength);
        if (!call(sub_08834C, 0x08387D, 0x083878)) return;
        goto L_0838AE;
    }
    next_state_keeps_flags();
L_083882:  // recover
    if (!call(sub_061FB6, 0x083887, 0x083882)) return;
    test<uint8_t>(orb_read8(field(object_record::frame_index)));
    if (eq()) set_state(attacker_state::rest);
    goto L_0838AE;
L_083890:  // defeated
    count_down8_sets_flags(field(spr::countdown));
    if (eq()) {
        if (!call(sub_088CD3, 0x08389A, 0x083895)) return;
        sub_088D0C();
        return;
    }
    colour(field(spr::part0_colour), kGuardFlash);
    if (!call(sub_062044, 0x0838A9, 0x0838A4)) return;
    sub_062094();
    return;
L_0838AE:  // tail: boxes only while not flashing
    test<uint8_t>(orb_read8(field(spr::flash_timer)));
    if (eq()) {
        if (!call(sub_08814E, 0x0838B9, 0x0838B4)) return;
        colour(field(spr::part0_colour), kGuardColour);
    } else {
        colour(field(spr::part0_colour), kGuardFlash);
    }
    if (!call(sub_062044, 0x0838D6, 0x0838D1)) return;
    sub_062094();
}

// The stationary attacker's hits: the flash counts down (touchable again at
// 0); a hit gives 4 untouchable frames and sound 0xCA; the defeat starts the
// 10 defeated frames and, when an object is free, an effect of type 8 and the
// defeat counted in the attacker's tally category 10. In: R20.
void sub_0838DE() {
    ROUTINE_ENTRY(0x0838DE);
    test<uint8_t>(orb_read8(field(spr::flash_timer)));
    if (ne()) {
        count_down8_sets_flags(field(spr::flash_timer));
        if (eq()) clear_bit(field(object_record::flags), object_flag::intangible);
    }
    if (clear_bit(field(object_record::flags), object_flag::hit)) {
        set_bit(field(object_record::flags), object_flag::intangible);
        orb_write8(field(spr::flash_timer), 4);
        cpu.reg[0] = kHitSound;
        if (!call(sub_088F98, 0x083919, 0x083914)) return;
    }
    if (clear_bit(field(object_record::flags), object_flag::defeated)) {
        set_state(attacker_state::defeated);
        orb_write8(field(spr::countdown), kDefeatFrames);
        if (!call(sub_088C67, 0x083938, 0x083933)) return;
        if (ne()) {
            if (!call(sub_088CA5, 0x08393F, 0x08393A)) return;
            make_effect(kGuardEffect);
            const uint32_t player = linked(cpu.reg[20], object_record::last_attacker);
            const uint32_t tally =
                var::tally_records + 32u * orb_read8(player + player_record::slot) + kGuardTally;
            orb_write16(tally, static_cast<uint16_t>(orb_read16(tally) + 1));
        }
    }
    ret();
}

// The stationary attacker leaves once the area byte differs from the one it
// was made in: unlinked, freed, and its frame ends. In: R20.
void sub_083F64() {
    ROUTINE_ENTRY(0x083F64);
    cmp<uint8_t>(orb_read8(var::area), orb_read8(field(spr::home_area)));
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x083F74, 0x083F6F)) return;
    if (!call(sub_088D0C, 0x083F78, 0x083F74)) return;
    sp() += 4;
    ret();
}
