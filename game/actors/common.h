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

// The object another one names by the low half of its address.
inline uint32_t linked(uint32_t object, uint32_t field) { return 0x00200000u | orb_read16(object + field); }

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
    orb_write16(address, static_cast<uint16_t>((word & ~size_bits) | static_cast<uint16_t>((word & size_bits) + delta)));
}

}  // namespace actors
