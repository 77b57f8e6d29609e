// Helpers shared by the game engine's routines.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/engine/vars.h"

// The 32-bit entry of a ROM table with one entry per stage and area, five
// areas to a stage: entry (stage - 1) × 5 + (area - 1).
inline uint32_t area_table_entry(uint32_t table) {
    const uint32_t index = (orb_read8(var::stage) - 1u) * 5u + orb_read8(var::area) - 1u;
    return orb_read32(table + 4u * index);
}
