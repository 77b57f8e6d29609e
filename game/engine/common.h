// Helpers shared by the engine's translated routines.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/engine/vars.h"

namespace engine {

// Zeroes guest memory [from, to) a 32-bit word at a time, ascending, as the
// guest's clear loops do (whether they store one word a pass or four).
inline void clear_words(uint32_t from, uint32_t to) {
    for (uint32_t a = from; a < to; a += 4) orb_write32(a, 0);
}

}  // namespace engine

// The 32-bit entry of a ROM table with one entry per stage and area, five
// areas to a stage: entry (stage - 1) × 5 + (area - 1).
inline uint32_t area_table_entry(uint32_t table) {
    const uint32_t index = (orb_read8(var::stage) - 1u) * 5u + orb_read8(var::area) - 1u;
    return orb_read32(table + 4u * index);
}
