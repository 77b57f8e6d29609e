// Enemy type 7 on the generic enemy AI: it watches a chosen player, turns and
// makes an aimed attack in one of eight directions, and after two stuns
// answers with a volley of three timed steps ending in eight projectiles.
// Also the props' guard that removes an object during an area change. Every
// routine runs with R20 = the running object.
#include "game/continuations.h"
#include "game/actors/common.h"
#include "game/actors/running_object.h"
#include "game/actors/platform_ai.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;
namespace vr = volley_record;

namespace {

constexpr uint32_t kVolley1 = 0x135BB2;
constexpr uint32_t kVolley2 = 0x135BBF;
constexpr uint32_t kVolley3 = 0x135BC6;
constexpr uint32_t kTurnAnimation = 0x135B62;
constexpr uint32_t kShotStates = 0x07F71C;

namespace shot_entry {
constexpr uint32_t script = 0;
constexpr uint32_t flags = 4;
constexpr uint32_t dx = 6;
constexpr uint32_t dy = 8;
constexpr uint32_t step_x = 10;
constexpr uint32_t step_y = 11;
constexpr uint32_t size = 12;
}  // namespace shot_entry

constexpr uint8_t kType = 7;
constexpr uint8_t kBarName = 15;
constexpr uint8_t kVolleyState = 22;
constexpr uint8_t kDefeatState = 12;  // the camera controller's, at the defeat
constexpr uint8_t kStuns = 2;
constexpr uint8_t kShotCount = 8;
constexpr uint8_t kAppearSound = 0x90;
constexpr uint8_t kChargeSound = 0xF2;
constexpr uint8_t kVolleySound = 0xCE;
constexpr uint16_t kAimLift = 128;
constexpr int16_t kShotHeight = 224;
constexpr int16_t kBandTop = -80;
constexpr int16_t kBandBottom = 400;
constexpr uint32_t kSlotMask = 0x300;

using namespace actors::self;

// A projectile's states, the places of its ROM state table's entries.
namespace shot_state {
constexpr uint8_t setup = 0, flying = 1, setup_again = 2;
}  // namespace shot_state

// The step timer - 1. Out: Z set when it reached 0.
void count_step() { orb_write8(field(vr::step_timer), dec<uint8_t>(orb_read8(field(vr::step_timer)))); }

}  // namespace

// Guard of the props: with game_flags bit 11 clear it returns; set, the
// running object unlinks itself, is freed to the 128-byte pool, and the
// guard returns past its caller, ending the caller's frame. The live enemy
// count is left as it is. In: R20.
void sub_07F113() {
    ROUTINE_ENTRY(0x07F113);
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x07F125, 0x07F120)) return;
    if (!call(sub_088D0C, 0x07F12A, 0x07F125)) return;
    sp() += 4;
    ret();
}

// Per-frame routine of type 7: the guards, the hit reaction, then the state's
// step: its own steps here, the stun countdown of the generic stun, or a
// generic action through the runtime (which ends the run for an address
// without translated code). In: R20.
void sub_07F3EE() {
    ROUTINE_ENTRY(0x07F3EE);
    if (!call(sub_07AA8D, 0x07F3F3, 0x07F3EE)) return;
    if (!call(sub_07AA53, 0x07F3F8, 0x07F3F3)) return;
    cpu.reg[10] = rom::volley_stun_frames;
    cpu.reg[11] = rom::volley_hit_states;
    if (!call(sub_07A980, 0x07F407, 0x07F402)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    {
        const uint32_t step = orb_read32(rom::volley_states + 4 * cpu.reg[0]);
        switch (step) {
        case continuation::volley_start: goto L_07F47E;
        case continuation::volley_pose: goto L_07F4A1;
        case continuation::volley_turn: goto L_07F4D3;
        case continuation::volley_aim: goto L_07F513;
        case continuation::volley_aimed_attack: goto L_07F555;
        case continuation::volley_round1_start: goto L_07F5C8;
        case continuation::volley_round1: goto L_07F5E1;
        case continuation::volley_round2: goto L_07F638;
        case continuation::volley_round3: goto L_07F6D0;
        case continuation::volley_stun: goto L_07F6F4;
        case continuation::volley_defeat: goto L_07F6FD;
        case continuation::stun_countdown:  // the generic stun's countdown (type 7 set at the start)
            ai_stun_countdown();
            return;
        default:
            // A generic action, entered as a jump (it ends the frame and
            // returns for this routine); an address where no translated
            // code starts ends the run with the runtime's message.
            v60_call(step);
            return;
        }
    }

L_07F47E:  // start: type 7, no stuns, the generic set-up, the boss bar, sound 0x90
    orb_write8(field(object_record::type), kType);
    orb_write8(field(vr::stun_count), 0);
    if (!call(sub_07A49A, 0x07F48C, 0x07F487)) return;
    cpu.reg[0] = kBarName;
    if (!call(sub_06978D, 0x07F495, 0x07F490)) return;
    cpu.reg[0] = kAppearSound;
    if (!call(sub_088F98, 0x07F49E, 0x07F499)) return;
    ret();
    return;

L_07F4A1:  // pose: a random wait animation, or the volley after two stuns
    next_state_keeps_flags();
    clear_bit(field(object_record::flags), object_flag::airborne);
    cmp<uint8_t>(orb_read8(field(vr::stun_count)), kStuns);
    if (no_carry()) {
        set_state(kVolleyState);
        goto L_07F5C8;
    }
    if (!call(sub_06925A, 0x07F4B5, 0x07F4B0)) return;
    cpu.reg[19] = orb_read32(rom::volley_wait_animations + 4 * (cpu.reg[0] & 3));
    if (!call(sub_061F06, 0x07F4C2, 0x07F4BD)) return;
    orb_write8(field(object_record::enemy_timer), dec<uint8_t>(orb_read8(field(object_record::enemy_timer))));
    if (eq())
        if (!call(sub_07A81E, 0x07F4CE, 0x07F4C9)) return;
    sub_07A523();
    return;

L_07F4D3:  // turn toward the target, aimed from 128 units above the body
    next_state_keeps_flags();
    cpu.reg[19] = orb_read32(field(vr::target));
    add16_keeps_flags(field(object_record::world_y), static_cast<uint32_t>(-kAimLift));
    if (!call(sub_08921C, 0x07F4E5, 0x07F4E0)) return;
    add16_keeps_flags(field(object_record::world_y), kAimLift);
    orb_write16(field(vr::aim), static_cast<uint16_t>(cpu.reg[0]));
    clear_bit(field(object_record::flags), object_flag::mirror_x);
    if (((cpu.reg[0] + 256) & 0x200) == 0) set_bit(field(object_record::flags), object_flag::mirror_x);
    cpu.reg[19] = kTurnAnimation;
    if (!call(sub_061F06, 0x07F50E, 0x07F509)) return;

L_07F513:  // aim: the octant's animation once the step timer runs out
    count_step();
    if (ne()) {
        if (!call(sub_061FB6, 0x07F51D, 0x07F518)) return;
        sub_07A523();
        return;
    }
    next_state_keeps_flags();
    orb_write8(field(vr::octant), static_cast<uint8_t>(((orb_read16(field(vr::aim)) + 64) >> 7) & 7));
    cpu.reg[19] = orb_read32(rom::volley_aim_animations + 4u * orb_read8(field(vr::octant)));
    if (!call(sub_061F06, 0x07F547, 0x07F542)) return;
    orb_write8(field(vr::step_timer), by_rank(rom::volley_step_timer));

L_07F555:  // aimed attack: the octant's boxes hit every frame of the step
    count_step();
    if (eq()) {
        orb_write8(field(vr::step_timer), by_rank(rom::volley_rest_timer));
        set_state(ai_state::start);
        sub_07A523();
        return;
    }
    cpu.reg[16] = by_rank(rom::volley_aim_strength);
    {
        const uint32_t entry = rom::volley_octant_boxes + 3u * orb_read8(field(vr::octant));
        const uint8_t count = orb_read8(entry);
        for (uint32_t k = 0; k < count; ++k) {
            cpu.reg[10] = rom::volley_aim_boxes + 8u * (orb_read8(entry + 1 + k) & 0x7F);
            if (!call(sub_088431, 0x07F5A3, 0x07F59E)) return;
        }
    }
    if (!call(sub_061FB6, 0x07F5B4, 0x07F5AF)) return;
    cpu.reg[0] = kChargeSound;
    if (!call(sub_088F98, 0x07F5BD, 0x07F5B8)) return;
    sub_07A523();
    return;

L_07F5C8:  // volley 1 start: untouchable, stun count cleared
    next_state_keeps_flags();
    orb_write8(field(vr::stun_count), 0);
    set_bit(field(object_record::flags), object_flag::intangible);
    cpu.reg[19] = kVolley1;
    if (!call(sub_061F06, 0x07F5DC, 0x07F5D7)) return;

L_07F5E1:  // volley 1: the frame's box hits while the step runs
    count_step();
    if (ne()) {
        if (!call(sub_061FB6, 0x07F5EB, 0x07F5E6)) return;
        cpu.reg[0] = kChargeSound;
        if (!call(sub_088F98, 0x07F5F4, 0x07F5EF)) return;
        cpu.reg[10] = rom::volley_boxes + 4u * orb_read8(field(object_record::frame_index));
        cpu.reg[16] = by_rank(rom::volley_strength);
        if (!call(sub_08834C, 0x07F612, 0x07F60D)) return;
        sub_07A523();
        return;
    }
    next_state_keeps_flags();
    orb_write8(field(vr::step_timer), by_rank(rom::volley_step_timer));
    cpu.reg[19] = kVolley2;
    if (!call(sub_061F06, 0x07F633, 0x07F62E)) return;

L_07F638:  // volley 2: charging, then the eight projectiles
    count_step();
    if (ne()) {
        if (!call(sub_061FB6, 0x07F642, 0x07F63D)) return;
        cpu.reg[0] = kChargeSound;
        if (!call(sub_088F98, 0x07F64B, 0x07F646)) return;
        sub_07A523();
        return;
    }
    next_state_keeps_flags();
    orb_write8(field(vr::step_timer), by_rank(rom::volley_step_timer));
    cpu.reg[19] = kVolley3;
    if (!call(sub_061F06, 0x07F665, 0x07F660)) return;
    // The projectiles are taken in index order while the pool has objects;
    // the first empty take ends the spawning (the rest of the step runs).
    for (uint32_t index = 0; index < kShotCount; ++index) {
        const uint32_t entry = rom::volley_shots + shot_entry::size * index;
        cpu.reg[10] = entry;
        if (!call(sub_088C67, 0x07F672, 0x07F66D)) return;
        if (eq()) break;
        if (!call(sub_088CA5, 0x07F679, 0x07F674)) return;
        const uint32_t shot = cpu.reg[21];
        orb_write16(shot + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
        orb_write8(shot + vr::shot_index, static_cast<uint8_t>(index));
        orb_write32(shot + object_record::routine, entry::sub_07F70B /* shot */);
        orb_write32(shot + object_record::frame, orb_read32(entry + shot_entry::script));
        orb_write16(shot + object_record::flags, orb_read16(entry + shot_entry::flags));
        orb_write16(shot + object_record::world_x,
                    static_cast<uint16_t>(orb_read16(field(object_record::world_x)) +
                                          orb_read16(entry + shot_entry::dx)));
        orb_write16(shot + object_record::world_y,
                    static_cast<uint16_t>(orb_read16(field(object_record::world_y)) +
                                          orb_read16(entry + shot_entry::dy)));
        orb_write8(shot + vr::shot_step_x, orb_read8(entry + shot_entry::step_x));
        orb_write8(shot + vr::shot_step_y, orb_read8(entry + shot_entry::step_y));
    }
    cpu.reg[0] = kVolleySound;
    if (!call(sub_088F98, 0x07F6CB, 0x07F6C6)) return;

L_07F6D0:  // volley 3: at the end touchable again, state 1, rest timer
    count_step();
    if (eq()) {
        set_state(ai_state::start);
        clear_bit(field(object_record::flags), object_flag::intangible);
        orb_write8(field(vr::step_timer), by_rank(rom::volley_rest_timer));
    }
    sub_07A523();
    return;

L_07F6F4:  // stun: one more counted, then the generic stun
    orb_write8(field(vr::stun_count), static_cast<uint8_t>(orb_read8(field(vr::stun_count)) + 1));
    sub_07A68D();
    return;

L_07F6FD:  // defeat: the camera controller's state 12, then the generic defeat
    orb_write8(orb_read32(var::area_controller) + object_record::state, kDefeatState);
    sub_07A70C();
}

// A projectile of the volley: starts its animation, then flies by its steps;
// while listed inside the screen band -80..400 its boxes hit players (and it
// flies on); outside the band or unlisted it unlinks and frees itself.
// In: R20 = the projectile.
void sub_07F70B() {
    ROUTINE_ENTRY(0x07F70B);
    cpu.reg[0] = load_zx8(field(object_record::state));
    if (cpu.reg[0] == shot_state::setup || cpu.reg[0] == shot_state::setup_again) {
        next_state_keeps_flags();
        orb_write16(field(object_record::height), static_cast<uint16_t>(kShotHeight));
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        cpu.reg[19] = orb_read32(field(object_record::frame));
        if (!call(sub_061F06, 0x07F738, 0x07F733)) return;
    } else if (cpu.reg[0] != shot_state::flying) {
        v60_unknown_jump(kShotStates + 4 * cpu.reg[0], 0x07F714);
    }
    if (!call(sub_061FB6, 0x07F73D, 0x07F738)) return;
    add16_keeps_flags(field(object_record::world_x), load_sx8(field(vr::shot_step_x)));
    add16_keeps_flags(field(object_record::world_y), load_sx8(field(vr::shot_step_y)));
    if (!call(sub_062044, 0x07F756, 0x07F751)) return;
    {
        const int16_t y = static_cast<int16_t>(orb_read16(field(object_record::screen_y)));
        if (y < kBandTop || y > kBandBottom) goto L_07F7A8;
    }
    if (!call(sub_062094, 0x07F76E, 0x07F769)) return;
    if (!clear_bit(field(object_record::flags), object_flag::listed)) goto L_07F7A8;
    cpu.reg[16] = by_rank(rom::volley_shot_strength);
    {
        const uint32_t entry = rom::volley_shot_box_lists + 3u * orb_read8(field(vr::shot_index));
        const uint8_t count = orb_read8(entry);
        for (uint32_t k = 0; k < count; ++k) {
            cpu.reg[10] = rom::volley_shot_boxes + 4u * orb_read8(entry + 1 + k);
            if (!call(sub_08834C, 0x07F7A0, 0x07F79B)) return;
        }
    }
    ret();
    return;
L_07F7A8:
    if (!call(sub_088CD3, 0x07F7AD, 0x07F7A8)) return;
    sub_088D0C();
}

// Idle callback of type 7: every step-timer run-out it picks a candidate
// player (0x20A000 + (random & 0x300)); one out of play, hit or untouchable
// is tried again next frame; otherwise it becomes the target and a second
// random number picks the next state. In: R20.
void sub_07F7B7() {
    ROUTINE_ENTRY(0x07F7B7);
    count_step();
    if (ne()) {
        ret();
        return;
    }
    if (!call(sub_06925A, 0x07F7C3, 0x07F7BE)) return;
    {
        const uint32_t player = var::player_records + (cpu.reg[0] & kSlotMask);
        const uint32_t flags = orb_read32(player + object_record::flags);
        if (!(flags & 1u << object_flag::alive) || (flags & 1u << object_flag::hit) ||
            (flags & 1u << object_flag::intangible)) {
            orb_write8(field(vr::step_timer), 1);
            ret();
            return;
        }
        orb_write32(field(vr::target), player);
    }
    orb_write8(field(vr::step_timer), by_rank(rom::volley_step_timer));
    if (!call(sub_06925A, 0x07F7F8, 0x07F7F3)) return;
    set_state(orb_read8(rom::volley_chosen_states + (cpu.reg[0] & 3)));
    ret();
}
