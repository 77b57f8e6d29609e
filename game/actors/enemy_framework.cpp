// The enemy framework: the bookkeeping reset, the mover every enemy state ends
// in, the game's random numbers, the difficulty factor, the state dispatcher
// every enemy runs as its object routine, and the vanish sequence that clears
// the enemies off an area that has been won.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kRandomMix = 0x2A6D365B;  // mixed into a state whose low half is 0
constexpr uint8_t kStaggerStep = 6;
constexpr int16_t kStripLeft = -40;  // screen x of the strip where enemies always move
constexpr int16_t kStripRight = 360;
constexpr uint8_t kLastPlainKind = 18;  // kinds 1-18 stay when an area is won

using self::field;

}  // namespace

// Resets the enemy bookkeeping at a stage or area start: every target slot
// free, no live enemy, no stagger, the seeded generator at 0, and the low byte
// of enemy_flags clear.
void sub_068FD2() {
    ROUTINE_ENTRY(0x068FD2);
    for (uint32_t slot = 0; slot < 8; ++slot) orb_write32(var::target_slot_distances + 4 * slot, 0xFFFFFFFF);
    orb_write8(var::live_enemy_count, 0);
    orb_write8(var::vanish_stagger, 0);
    orb_write32(var::random_state, 0);
    orb_write8(var::enemy_flags, 0);
    ret();
}

// Ticks the enemy's animation, then moves it as sub_069130. In: R20.
void sub_06912A() {
    ROUTINE_ENTRY(0x06912A);
    if (!call(sub_061FB6, 0x06912F, 0x06912A)) return;
    sub_069130();
}

// The mover every enemy state ends in: moves the enemy by its velocities
// (each axis tested against the terrain, Y first, unless it moves freely),
// re-picks its target point every 16th frame, places it, registers its boxes
// in table B and lists it by its ground line, which ends the object's frame.
// In: R20 = the enemy.
void sub_069130() {
    ROUTINE_ENTRY(0x069130);
    const uint32_t x = load_sx16(field(object_record::world_x));
    const uint32_t y = load_sx16(field(object_record::world_y));
    const uint32_t vx = load_sx8(field(object_record::velocity_x));
    const uint32_t vy = load_sx8(field(object_record::velocity_y));
    test<uint8_t>(orb_read8(field(object_record::state)));
    if (eq() || test_bit(field(object_record::flags), object_flag::free_move)) {
        orb_write16(field(object_record::world_y), add<uint16_t>(y, vy));
        orb_write16(field(object_record::world_x), add<uint16_t>(x, vx));
        goto L_0691B0;
    }
    {
        // Off the strip an enemy moves only back toward it; standing still
        // beyond the right edge it does not move at all.
        const uint16_t screen_x = orb_read16(field(object_record::screen_x));
        cmp<uint16_t>(screen_x, static_cast<uint16_t>(kStripLeft));
        if (less()) {
            test<uint8_t>(vx);
            if (negative()) goto L_0691B0;
        } else {
            cmp<uint16_t>(screen_x, static_cast<uint16_t>(kStripRight));
            if (greater()) {
                test<uint8_t>(vx);
                if (!negative()) goto L_0691B0;
            }
        }
    }
    {
        uint32_t new_y = y;
        test<uint8_t>(vy);
        if (ne()) {
            cpu.reg[3] = x;
            cpu.reg[4] = add<uint16_t>(y, vy);
            if (!call(sub_0877D1, 0x069185, 0x069180)) return;
            if (eq()) {
                new_y = cpu.reg[4];
                orb_write16(field(object_record::world_y), static_cast<uint16_t>(new_y));
            }
        }
        test<uint8_t>(vx);
        if (ne()) {
            cpu.reg[3] = add<uint16_t>(x, vx);
            cpu.reg[4] = new_y;
            if (!call(sub_0877D1, 0x0691A5, 0x0691A0)) return;
            if (eq()) orb_write16(field(object_record::world_x), static_cast<uint16_t>(cpu.reg[3]));
        }
    }
L_0691B0:
    test<uint8_t>(orb_read8(field(object_record::enemy_tick)) & 15);
    if (ne()) goto L_069230;
    {
        const uint8_t state = orb_read8(field(object_record::state));
        if (state == enemy_state::attack) {
            orb_write32(field(object_record::target_distance), 0);
            goto L_069230;
        }
        if (state == enemy_state::held || state == enemy_state::defeated) {
            orb_write32(field(object_record::target_distance), 0xFFFFFFFF);
            goto L_069230;
        }
        // The nearest usable target point, the first of equals.
        const uint32_t own_x = load_sx16(field(object_record::world_x));
        const uint32_t own_y = load_sx16(field(object_record::world_y));
        uint32_t best = 0xFFFFFFFF;
        uint8_t slot = 0xFF;
        for (uint32_t point = 0; point < 8; ++point) {
            const uint32_t entry = var::target_points + target_point_entry::size * (point / 2);
            const uint32_t point_x =
                load_sx16(entry + (point & 1 ? target_point_entry::right_x : target_point_entry::left_x));
            test<uint16_t>(point_x);
            if (negative()) continue;
            const uint32_t dy = load_sx16(entry + target_point_entry::y) - own_y;
            const uint32_t dx = point_x - own_x;
            const uint32_t distance = mul<uint32_t>(dy, dy) + mul<uint32_t>(dx, dx);
            cmp<uint32_t>(distance, best);
            if (no_carry()) continue;
            best = distance;
            slot = static_cast<uint8_t>(point);
        }
        orb_write32(field(object_record::target_distance), best);
        orb_write8(field(object_record::target_slot), slot);
        if (slot != 0xFF)
            orb_write16(field(object_record::target_player),
                        static_cast<uint16_t>(cpu.reg[25] +
                                              orb_read16(rom::target_player_offsets + 2u * (slot / 2u))));
    }
L_069230:
    orb_write8(field(object_record::enemy_tick), inc<uint8_t>(orb_read8(field(object_record::enemy_tick))));
    if (!call(sub_062044, 0x069245, 0x069240)) return;
    if (!call(sub_088134, 0x06924D, 0x069248)) return;
    sub_0620CD();
}

// Random numbers. Out: R0 = a random 32-bit value; every other register kept.
// Outside the demo (game_flags bit 8 clear) the board's random port, with Z
// set and CY clear. In the demo the seeded generator, so a demo replays: Z, S
// and CY then describe the new state (zero, bit 31, bit 0), OV clear.
void sub_06925A() {
    ROUTINE_ENTRY(0x06925A);
    if (!test_bit(var::game_flags, game_flag::demo_play)) {
        cpu.reg[0] = orb_read32(hw::random_port);
        ret();
        return;
    }
    uint32_t x = orb_read32(var::random_state);
    if ((x & 0xFFFF) == 0) x ^= kRandomMix;
    const uint32_t y = x * 25u;
    const uint32_t s = ((y & 0xFFFF) + (y >> 16)) & 0xFFFF;
    const uint32_t state = s << 16 | (y & 0xFFFF);
    orb_write32(var::random_state, state);
    cpu.reg[0] = (x & 0xFFFF0000u) | s;
    set_flags(state == 0, state >> 31, 0, state & 1);
    ret();
}

// The difficulty factor of the slots in play. Out: R0 = ROM 0x0699CD[low
// byte of game_flags].
void sub_0695E6() {
    ROUTINE_ENTRY(0x0695E6);
    cpu.reg[0] = load_zx8(rom::difficulty_factor_table + orb_read8(var::game_flags));
    ret();
}

// The object routine of every enemy. When the area is won, kinds 1-18 carry
// on and the others are sent to vanish, each waiting 6 frames longer than the
// one sent before; otherwise a set bit 4, 9 or 8 forces state 5, 7 or 6 (in
// that order) every frame it stays set. Then the state's routine is jumped to.
// In: R20 = the enemy.
void sub_06A1DA() {
    ROUTINE_ENTRY(0x06A1DA);
    const uint32_t flags = field(object_record::flags);
    if (test_bit(var::system_flags, system_flag::area_won)) {
        const uint8_t kind = orb_read8(field(object_record::type));
        test<uint8_t>(kind);
        if (ne()) {
            cmp<uint8_t>(kind, kLastPlainKind);
            if (not_higher()) goto L_06A24C;
        }
        if (!call(sub_06A2F5, 0x06A1F5, 0x06A1F0)) return;
        orb_write8(field(object_record::velocity_x), 0);
        orb_write8(field(object_record::velocity_y), 0);
        orb_write8(field(object_record::rise_speed), 0);
        clear_bit(flags, object_flag::alive);
        const uint8_t stagger = orb_read8(var::vanish_stagger);
        orb_write8(field(object_record::enemy_timer), stagger);
        orb_write8(var::vanish_stagger, add<uint8_t>(stagger, kStaggerStep));
        orb_write8(field(object_record::state), vanish_state::wait);
        orb_write32(field(object_record::routine), entry::sub_06A265 /* vanish */);
        sub_06A265();
        return;
    }
    {
        uint8_t forced;
        if (test_bit(flags, object_flag::held))
            forced = enemy_state::held;
        else if (test_bit(flags, object_flag::defeated))
            forced = enemy_state::defeated;
        else if (test_bit(flags, object_flag::hit))
            forced = enemy_state::hit;
        else
            goto L_06A24C;
        orb_write8(field(object_record::state), forced);
        if (!call(sub_06A2F5, 0x06A235, 0x06A230)) return;
    }
L_06A24C:
    v60_jump(orb_read32(actors::state_table(cpu.reg[20], enemy_state_record::state_routines) +
                        4u * orb_read8(field(object_record::state))));
}

// The vanish sequence, the object routine of an enemy sent off a won area.
// State 0 waits enemy_timer frames in place (a timer of 0x80 or more reads as
// negative and ends the wait at once), then counts the enemy off; state 1
// shrinks the first copied part and lifts the enemy until the size is gone,
// then frees it. The states are reached through a ROM table of addresses.
// In: R20 = the enemy.
void sub_06A265() {
    ROUTINE_ENTRY(0x06A265);
    const uint32_t target = orb_read32(rom::vanish_table + 4u * orb_read8(field(object_record::state)));
    if (target == continuation::vanish_shrink) goto L_06A286;
    if (target != continuation::vanish_wait) v60_unknown_jump(target, 0x06A26E);
    {
        const uint8_t timer = dec<uint8_t>(orb_read8(field(object_record::enemy_timer)));
        orb_write8(field(object_record::enemy_timer), timer);
        if (greater_equal()) {
            sub_069130();
            return;
        }
        orb_write8(var::live_enemy_count, dec<uint8_t>(orb_read8(var::live_enemy_count)));
        orb_write8(field(object_record::state), vanish_state::shrink);
    }
L_06A286:
    {
        // The loop works on the first part once per part of the frame.
        uint32_t sum = 0;
        for (uint8_t n = orb_read8(field(object_record::copied_parts)); n != 0; --n) {
            const uint32_t size_field = field(actors::first_part_size);
            const uint16_t size_word = orb_read16(size_field);
            int size = (size_word & actors::size_bits) - 4;
            if (size < 0) size = 0;
            orb_write16(size_field, static_cast<uint16_t>((size_word & ~actors::size_bits) | size));
            actors::reshape(field(actors::first_part_x), 10);
            sum += static_cast<uint32_t>(size);
        }
        test<uint32_t>(sum);
        if (ne()) {
            const uint8_t rise = orb_read8(field(object_record::rise_speed));
            orb_write16(field(object_record::height),
                        add<uint16_t>(orb_read16(field(object_record::height)), rise));
            orb_write8(field(object_record::rise_speed), add<uint8_t>(rise, 4));
            sub_069130();
            return;
        }
        if (!call(sub_088CD3, 0x06A2E5, 0x06A2E0)) return;
        sub_088D0C();
    }
}

// Lets go of a held player: test and clear flags bit 14; when it was set,
// clear the target player's hit_pending byte. In: R20 = the enemy.
void sub_06A2F5() {
    ROUTINE_ENTRY(0x06A2F5);
    if (clear_bit(field(object_record::flags), object_flag::holds_player))
        orb_write8(actors::target_player_record(cpu.reg[20]) + player_record::hit_pending, 0);
    ret();
}
