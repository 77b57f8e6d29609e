// Helpers shared by the enemies' translated routines.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "runtime/v60.h"

namespace actors {

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

}  // namespace actors
