// The shared enemy behaviours that kinds name in their state tables: seek a
// target, walk around the target player, approach for an attack, grow in
// from the right, and the two attack patterns (melee and leap). Each runs as
// a state routine with R20 = the enemy and ends its frame in the mover.
// Sub-states go through ROM tables of routine addresses; an entry that is
// none of the listed ones ends the run.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr int16_t kAppearX = 640;  // world units right of the camera
constexpr int16_t kApproachNear = 200;
constexpr int16_t kApproachFar = 400;
constexpr uint8_t kLeapSound = 0xF4;
constexpr uint8_t kLeapSpeed = 6;
constexpr uint8_t kLeapRise = 30;

using self::field;
uint32_t table(uint32_t name) { return actors::state_table(cpu.reg[20], name); }

// A behaviour's first frame: state differs from last_state, which then takes it.
bool first_frame() {
    const uint8_t state = orb_read8(field(object_record::state));
    cmp<uint8_t>(state, orb_read8(field(object_record::last_state)));
    if (eq()) return false;
    orb_write8(field(object_record::last_state), state);
    return true;
}

// The ROM sub-state entry: the u32 at the table for the enemy's substate.
uint32_t substate_entry(uint32_t table_address) {
    return orb_read32(table_address + 4u * orb_read8(field(object_record::substate)));
}

void stand_still() {
    orb_write8(field(object_record::velocity_x), 0);
    orb_write8(field(object_record::velocity_y), 0);
}

// Walking starts: enemy_timer := behaviour_params[0], the walk sub-state.
void start_walking() {
    orb_write8(field(object_record::enemy_timer), orb_read8(table(enemy_state_record::behaviour_params)));
    orb_write8(field(object_record::substate), 0);
}

// The script of the attack pattern: the u32 at animation_set +16, indexed.
uint32_t pattern_script() {
    const uint32_t scripts =
        orb_read32(table(enemy_state_record::animation_set) + enemy_animation_set::patterns);
    return orb_read32(scripts + 4u * orb_read8(field(object_record::attack_pattern)));
}

bool player_flag(uint32_t player, unsigned bit) { return test_bit(player + object_record::flags, bit); }

// The walk sub-state's count: true when a running walk time has just run out
// (the enemy then stands still for the pause).
bool walk_time_up() {
    test<uint8_t>(orb_read8(field(object_record::enemy_timer)));
    if (eq()) return false;
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (ne()) return false;
    stand_still();
    return true;
}

// The pause sub-state for (R0 AND 15) + 15 frames, R0 a random number.
void start_pause() {
    orb_write8(field(object_record::enemy_timer), static_cast<uint8_t>((cpu.reg[0] & 15) + 15));
    orb_write8(field(object_record::substate), 1);
}

// False, with state 1, when the target player has left play.
bool target_in_play(uint32_t player) {
    if (player_flag(player, object_flag::alive)) return true;
    orb_write8(field(object_record::state), enemy_state::regroup);
    return false;
}

// The steering's arguments: the target (x, y) in R1, R2, the enemy's own
// position in R3, R4 (low halves).
void aim(uint32_t x, uint32_t y) {
    set16(cpu.reg[1], x);
    set16(cpu.reg[2], y);
    set16(cpu.reg[3], orb_read16(field(object_record::world_x)));
    set16(cpu.reg[4], orb_read16(field(object_record::world_y)));
}

// The hit frame reached: the pattern's value gives attack_kind (top 4 bits)
// and the strength R16 (low 12 bits) of the attack test.
void arm_attack(uint32_t value) {
    orb_write8(field(object_record::attack_kind), static_cast<uint8_t>(value >> 12));
    cpu.reg[16] = value & 0x0FFF;
}

}  // namespace

// Seek: on entry the seek animation and no motion; every frame state 2 once
// a target slot is chosen, and enemy_tick 0 so the mover re-picks each frame.
// In: R20.
void sub_06A333() {
    ROUTINE_ENTRY(0x06A333);
    if (first_frame()) {
        cpu.reg[19] = orb_read32(table(enemy_state_record::animation_set) + enemy_animation_set::seek);
        if (!call(sub_061F67, 0x06A345, 0x06A340)) return;
        stand_still();
    }
    cmp<uint8_t>(orb_read8(field(object_record::target_slot)), 0x80);
    if (carry()) orb_write8(field(object_record::state), enemy_state::slot_chosen);
    orb_write8(field(object_record::enemy_tick), 0);
    sub_06912A();
}

// Walk around the target player toward the point of the current approach
// offset, taking the next offset on arrival, when blocked or every 240
// frames; every behaviour_params[0] frames (0: never) a pause of 15-30
// frames. A target player out of play sends the enemy to state 1. In: R20.
void sub_06A36F() {
    ROUTINE_ENTRY(0x06A36F);
    if (first_frame()) {
        if (!call(sub_06A431, 0x06A379, 0x06A374)) return;
        start_walking();
    }
    {
        const uint32_t target = substate_entry(rom::walk_table);
        if (target == continuation::walk_around_pause) goto L_06A429;
        if (target != continuation::walk_around_step) v60_unknown_jump(target, 0x06A382);
    }
L_06A3A6:
    if (walk_time_up()) {
        if (!call(sub_06925A, 0x06A3B5, 0x06A3B0)) return;
        start_pause();
        goto L_06A429;
    }
    {
        const uint32_t player = actors::target_player_record(cpu.reg[20]);
        if (!target_in_play(player)) goto L_06A420;
        const uint16_t own_x = orb_read16(field(object_record::world_x));
        const uint16_t player_x = orb_read16(player + object_record::world_x);
        sub<uint16_t>(own_x, player_x);
        if (negative())
            set_bit(field(object_record::flags), object_flag::mirror_x);
        else
            clear_bit(field(object_record::flags), object_flag::mirror_x);
        aim(player_x + orb_read16(field(object_record::approach_dx)),
            orb_read16(player + object_record::world_y) + orb_read16(field(object_record::approach_dy)));
        if (!call(sub_069393, 0x06A3E5, 0x06A3E0)) return;
        test<uint32_t>(cpu.reg[0]);
        if (eq()) {
            if (!call(sub_06A431, 0x06A3F5, 0x06A3F0)) return;
            goto L_06A420;
        }
        orb_write8(field(object_record::approach_timer),
                   dec<uint8_t>(orb_read8(field(object_record::approach_timer))));
        if (eq())
            if (!call(sub_06A431, 0x06A405, 0x06A400)) return;
    }
L_06A420:
    if (!call(sub_0694A5, 0x06A425, 0x06A420)) return;
    sub_069130();
    return;
L_06A429:
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (ne()) goto L_06A420;
    start_walking();
    goto L_06A3A6;
}

// Approach for an attack: with a pattern chosen by rank, walk to the target
// player's side at distance 200 (400 when that is blocked or reached), the
// same walk and pause timers as the walk behaviour, a new pattern after each
// pause; when the enemy stands on its own side of a touchable player and the
// pattern's box touches a player, state 4 and its routine at once. In: R20.
void sub_06A458() {
    ROUTINE_ENTRY(0x06A458);
    if (!first_frame()) goto L_06A466;
L_06A45C:
    orb_write16(field(object_record::approach_dx), static_cast<uint16_t>(kApproachNear));
    if (!call(sub_0692A1, 0x06A463, 0x06A45E)) return;
    orb_write8(field(object_record::approach_timer), 1);
    start_walking();
L_06A466:
    {
        const uint32_t target = substate_entry(rom::approach_table);
        if (target == continuation::approach_pause) goto L_06A585;
        if (target != continuation::approach_step) v60_unknown_jump(target, 0x06A469);
    }
L_06A49D:
    if (walk_time_up()) {
        if (!call(sub_06925A, 0x06A4B5, 0x06A4B0)) return;
        start_pause();
        goto L_06A585;
    }
    {
        const uint32_t player = actors::target_player_record(cpu.reg[20]);
        if (!target_in_play(player)) goto L_06A570;
        const uint16_t own_x = orb_read16(field(object_record::world_x));
        const uint16_t player_x = orb_read16(player + object_record::world_x);
        const uint16_t distance = orb_read16(field(object_record::approach_dx));
        const bool right_side = orb_read8(field(object_record::target_slot)) & 1;
        uint16_t flags = orb_read16(field(object_record::flags));
        flags &= static_cast<uint16_t>(~(1u << object_flag::mirror_x | 1u << object_flag::touched));
        bool own_side;
        sub<uint16_t>(own_x, player_x);
        if (negative()) {
            flags |= 1u << object_flag::mirror_x;
            own_side = !right_side;
        } else {
            own_side = right_side;
        }
        if (own_side) flags |= 1u << object_flag::touched;
        orb_write16(field(object_record::flags), flags);
        aim(right_side ? player_x + distance : player_x - distance,
            orb_read16(player + object_record::world_y));
        if (!call(sub_069393, 0x06A525, 0x06A520)) return;
        test<uint32_t>(cpu.reg[0]);
        if (eq()) {
            cmp<uint16_t>(distance, static_cast<uint16_t>(kApproachNear));
            orb_write16(
                field(object_record::approach_dx),
                eq() ? static_cast<uint16_t>(kApproachFar) : static_cast<uint16_t>(distance - kApproachNear));
        }
        if (clear_bit(field(object_record::flags), object_flag::touched) &&
            !player_flag(player, object_flag::intangible)) {
            if (!call(sub_0692C7, 0x06A555, 0x06A550)) return;
            if (clear_bit(field(object_record::flags), object_flag::touched)) {
                orb_write8(field(object_record::state), enemy_state::attack);
                v60_jump(orb_read32(table(enemy_state_record::state_routines) + 4u * enemy_state::attack));
                return;
            }
        }
    }
L_06A570:
    if (!call(sub_0694A5, 0x06A575, 0x06A570)) return;
    sub_069130();
    return;
L_06A585:
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (ne()) goto L_06A570;
    orb_write8(field(object_record::approach_timer),
               dec<uint8_t>(orb_read8(field(object_record::approach_timer))));
    if (eq()) goto L_06A45C;
    start_walking();
    goto L_06A49D;
}

// Grow-in: the enemy appears 640 world units right of the camera on the
// area's ground line, intangible, its first copied part shrunk to the size's
// remainder mod 4, and grows back by 4 a frame over size / 4 frames, then
// state 1. In: R20.
void sub_06AFAA() {
    ROUTINE_ENTRY(0x06AFAA);
    if (first_frame()) {
        set_bit(field(object_record::flags), object_flag::intangible);
        orb_write16(field(object_record::world_x),
                    add<uint16_t>(orb_read16(orb_read32(var::camera_pointer) + camera_record::x), kAppearX));
        const uint32_t index = (orb_read8(var::stage) - 1u) * 5u + orb_read8(var::area) - 1u;
        orb_write16(field(object_record::world_y), orb_read16(rom::player_start_y + 2u * index));
        stand_still();
        cpu.reg[19] = orb_read32(table(enemy_state_record::animation_set) + enemy_animation_set::appearance);
        if (!call(sub_061F67, 0x06AFE5, 0x06AFE0)) return;
        const uint32_t size = field(actors::first_part_size);
        const uint16_t size_word = orb_read16(size);
        const uint16_t steps = (size_word & actors::size_bits) >> 2;
        orb_write16(size, static_cast<uint16_t>((size_word & ~actors::size_bits) | (size_word & 3)));
        orb_write8(field(object_record::enemy_timer), static_cast<uint8_t>(steps));
        actors::reshape(field(actors::first_part_x), 10 * steps);
        orb_write8(field(object_record::substate), 0);
    }
    {
        const uint32_t target = substate_entry(rom::grow_table);
        if (target != continuation::grow_in_step) v60_unknown_jump(target, 0x06AFBA);
    }
    actors::reshape(field(actors::first_part_x), -10);
    actors::reshape(field(actors::first_part_size), 4);
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (eq()) {
        clear_bit(field(object_record::flags), object_flag::intangible);
        orb_write8(field(object_record::state), enemy_state::regroup);
    }
    sub_069130();
}

// The attack patterns, chosen through a ROM table by attack_pattern; both
// start the pattern's own animation.
// Melee: stand, wind up (rank byte / 4 + random -7..8 frames, at least 1),
// swing with the attack test at the hit frame (a hit queues a sound), follow
// through to the animation's end, recover rank-byte frames (0 gives 256),
// then state 2.
// Leap: a jump toward the facing at speed 6, rising by 30 less 1 a frame,
// with the attack test at the hit frame; on landing rank-byte frames of rest,
// then state 2. In: R20.
void sub_06B09E() {
    ROUTINE_ENTRY(0x06B09E);
    {
        const uint32_t target =
            orb_read32(rom::pattern_table + 4u * orb_read8(field(object_record::attack_pattern)));
        if (target == continuation::leap_pattern) goto L_073762;
        if (target != continuation::melee_pattern) v60_unknown_jump(target, 0x06B0A6);
    }
    // ---- melee ----
    if (first_frame()) {
        cpu.reg[19] = pattern_script();
        if (!call(sub_061F67, 0x06B0C5, 0x06B0C0)) return;
        stand_still();
        if (!call(sub_0692EC, 0x06B0D5, 0x06B0D0)) return;
        cpu.reg[1] = cpu.reg[0] >> 2;
        if (!call(sub_06925A, 0x06B0DD, 0x06B0D8)) return;
        uint8_t timer = add<uint8_t>(cpu.reg[1], (cpu.reg[0] & 15) - 7);
        test<uint8_t>(timer);
        if (less_equal()) timer = 1;
        orb_write8(field(object_record::enemy_timer), timer);
        orb_write8(field(object_record::substate), 0);
    }
    {
        const uint32_t target = substate_entry(rom::melee_table);
        if (target == continuation::melee_swing) goto L_06A61D;
        if (target == continuation::melee_follow_through) goto L_06A65E;
        if (target == continuation::melee_recovery) goto L_06A672;
        if (target != continuation::melee_wind_up) v60_unknown_jump(target, 0x06A5A6);
    }
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (ne()) {
        sub_069130();
        return;
    }
    if (!call(sub_0692FE, 0x06B105, 0x06B100)) return;
    orb_write8(field(object_record::approach_timer), static_cast<uint8_t>(cpu.reg[0]));
    orb_write8(field(object_record::substate), 1);
L_06A61D:
    if (!call(sub_061FB6, 0x06B115, 0x06B110)) return;
    cmp<uint8_t>(orb_read8(field(object_record::frame_index)),
                 orb_read8(field(object_record::approach_timer)));
    if (eq()) {
        if (!call(sub_069348, 0x06B125, 0x06B120)) return;
        arm_attack(cpu.reg[0]);
        if (!call(sub_069313, 0x06B135, 0x06B130)) return;
        if (clear_bit(field(object_record::flags), object_flag::touched)) {
            const uint8_t sound = add<uint8_t>(cpu.reg[0], 1);
            if (ne()) {
                set8(cpu.reg[0], sound);
                if (!call(sub_088F98, 0x06B145, 0x06B140)) return;
            }
        }
        orb_write8(field(object_record::substate), 2);
    }
    sub_069130();
    return;
L_06A65E:
    test<uint8_t>(orb_read8(field(object_record::frame_duration)));
    if (ne()) {
        sub_06912A();
        return;
    }
    if (!call(sub_0692EC, 0x06B155, 0x06B150)) return;
    orb_write8(field(object_record::enemy_timer), static_cast<uint8_t>(cpu.reg[0]));
    orb_write8(field(object_record::substate), 3);
L_06A672:
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (eq()) {
        orb_write8(field(object_record::state), enemy_state::slot_chosen);
        orb_write8(field(object_record::enemy_tick), 0);
        clear_bit(field(object_record::flags), object_flag::intangible);
    }
    sub_06912A();
    return;

    // ---- leap ----
L_073762:
    if (first_frame()) {
        cpu.reg[19] = pattern_script();
        if (!call(sub_061F67, 0x06B205, 0x06B200)) return;
        cpu.reg[0] = kLeapSound;
        if (!call(sub_088F98, 0x06B215, 0x06B210)) return;
        const bool facing = test_bit(field(object_record::flags), object_flag::mirror_x);
        orb_write8(field(object_record::velocity_x), facing ? kLeapSpeed : static_cast<uint8_t>(-kLeapSpeed));
        orb_write8(field(object_record::velocity_y), 0);
        orb_write8(field(object_record::rise_speed), kLeapRise);
        set_bit(field(object_record::flags), object_flag::airborne);
        if (!call(sub_0692FE, 0x06B225, 0x06B220)) return;
        orb_write8(field(object_record::approach_timer), static_cast<uint8_t>(cpu.reg[0]));
        orb_write8(field(object_record::substate), 0);
    }
    {
        const uint32_t target = substate_entry(rom::leap_table);
        if (target == continuation::leap_landing) goto L_06DB6B;
        if (target != continuation::leap_airborne) v60_unknown_jump(target, 0x06DAC2);
    }
    if (!call(sub_061FB6, 0x06B235, 0x06B230)) return;
    cmp<uint8_t>(orb_read8(field(object_record::frame_index)),
                 orb_read8(field(object_record::approach_timer)));
    if (eq()) {
        if (!call(sub_069348, 0x06B245, 0x06B240)) return;
        arm_attack(cpu.reg[0]);
        if (!call(sub_069313, 0x06B255, 0x06B250)) return;
        clear_bit(field(object_record::flags), object_flag::touched);
    }
    {
        const uint8_t rise = orb_read8(field(object_record::rise_speed));
        const uint16_t height = add<uint16_t>(orb_read16(field(object_record::height)), sx8(rise));
        orb_write16(field(object_record::height), height);
        test<uint16_t>(height);
        if (greater()) {
            orb_write8(field(object_record::rise_speed), dec<uint8_t>(rise));
            sub_069130();
            return;
        }
    }
    clear_bit(field(object_record::flags), object_flag::airborne);
    orb_write16(field(object_record::height), 0);
    orb_write8(field(object_record::velocity_x), 0);
    if (!call(sub_0692EC, 0x06B265, 0x06B260)) return;
    orb_write8(field(object_record::enemy_timer), static_cast<uint8_t>(cpu.reg[0]));
    orb_write8(field(object_record::substate), 1);
L_06DB6B:
    count_down8_sets_flags(field(object_record::enemy_timer));
    if (eq()) {
        orb_write8(field(object_record::state), enemy_state::slot_chosen);
        orb_write8(field(object_record::enemy_tick), 0);
    }
    sub_06912A();
}
