// Helpers shared by the actors' translated routines.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"
#include "runtime/v60.h"

namespace actors {

// A 64-byte object gives itself back after unlinking: the free stack's count
// goes up by one and the new top entry is the low half of its address.
inline void push_free_64(uint32_t object) {
    const uint16_t count = guest::inc<uint16_t>(orb_read16(var::free_stack_64));
    orb_write16(var::free_stack_64, count);
    orb_write16(var::free_stack_64 + 2u * count, static_cast<uint16_t>(object));
}

// The rank tier, 0-15: the high nibble of difficulty_rank, which indexes every
// per-rank ROM table of the actors (without a bound check).
inline uint32_t rank_tier() { return orb_read8(var::difficulty_rank) >> 4; }

// The address a field of the enemy's enemy_state_record holds.
inline uint32_t state_table(uint32_t enemy, uint32_t field) {
    return orb_read32(orb_read32(enemy + object_record::state_record) + field);
}

// The enemy's target player record: the guest puts target_player into the low
// half of a copy of R25 (0x208000), so the record lies at 0x20xxxx.
inline uint32_t target_player_record(uint32_t enemy) {
    return (cpu.reg[25] & 0xFFFF0000u) | orb_read16(enemy + object_record::target_player);
}

// The first copied sprite part's two size fields, in the low 10 bits of its
// words 2 (+100) and 3 (+102); their top 6 bits are other part data.
constexpr uint32_t first_part_x = object_record::copied_parts + 1 + 4;
constexpr uint32_t first_part_size = object_record::copied_parts + 1 + 6;
constexpr uint16_t size_bits = 0x03FF;

// A size field's low 10 bits plus delta, the sum OR-ed with the top 6 bits
// as they were (a sum past 10 bits spills into them, as the guest's does).
inline void reshape(uint32_t address, int delta) {
    const uint16_t word = orb_read16(address);
    orb_write16(address, static_cast<uint16_t>((word & ~size_bits) |
                                               static_cast<uint16_t>((word & size_bits) + delta)));
}

// True while 0 < screen_x < 320 and 0 < screen_y < 224 (signed): the
// path-scripted actors shoot and probe only then.
inline bool on_screen(uint32_t object) {
    const int16_t x = static_cast<int16_t>(orb_read16(object + object_record::screen_x));
    const int16_t y = static_cast<int16_t>(orb_read16(object + object_record::screen_y));
    return x > 0 && x < 320 && y > 0 && y < 224;
}

// A shot schedule's first half (flyer and pickup carrier): false while the
// delay runs (counted down here) or after the list's end; true at delay 0
// with the list word to use next in cursor: an end marker followed by a
// non-zero word starts the list again, one followed by 0 sets the delay to
// -1 for good.
inline bool shot_due(uint32_t object, uint32_t& cursor) {
    const uint16_t delay = orb_read16(object + path_object::shot_delay);
    guest::test<uint16_t>(delay);
    if (guest::negative()) return false;
    if (guest::ne()) {
        orb_write16(object + path_object::shot_delay, guest::dec<uint16_t>(delay));
        return false;
    }
    cursor = orb_read32(object + path_object::shot_list_cursor);
    if (orb_read16(cursor) & 0x8000) {
        guest::test<uint16_t>(orb_read16(cursor + 2));
        if (guest::eq()) {
            orb_write16(object + path_object::shot_delay, 0xFFFF);
            return false;
        }
        cursor = orb_read32(object + path_object::shot_list_start);
    }
    return true;
}

// A shot has gone: the gap byte into the delay's low byte (its high byte is
// 0 here), and after the burst's last shot a new burst count, the list word
// at cursor as the delay and the cursor moved on.
inline void shot_taken(uint32_t object, uint32_t cursor, uint8_t gap, uint32_t burst_table) {
    orb_write8(object + path_object::shot_delay, gap);
    orb_write8(object + path_object::shot_burst,
               guest::dec<uint8_t>(orb_read8(object + path_object::shot_burst)));
    if (guest::ne()) return;
    orb_write8(object + path_object::shot_burst, orb_read8(burst_table));
    orb_write16(object + path_object::shot_delay, orb_read16(cursor));
    orb_write32(object + path_object::shot_list_cursor, cursor + 2);
}

// Moves an object by its s8 velocities at +39 and +40.
inline void drift(uint32_t object) {
    orb_write16(object + object_record::world_x,
                guest::add<uint16_t>(orb_read16(object + object_record::world_x),
                                     guest::load_sx8(object + path_object::path_velocity_x)));
    orb_write16(object + object_record::world_y,
                guest::add<uint16_t>(orb_read16(object + object_record::world_y),
                                     guest::load_sx8(object + path_object::path_velocity_y)));
}

// A 128-byte object just taken (R21) becomes a child of R20 running routine.
inline void adopt(uint32_t routine) {
    orb_write32(cpu.reg[21] + object_record::routine, routine);
    orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
}

inline void copy_position(uint32_t to, uint32_t from) {
    orb_write16(to + object_record::world_x, orb_read16(from + object_record::world_x));
    orb_write16(to + object_record::world_y, orb_read16(from + object_record::world_y));
}

}  // namespace actors
