// Helpers shared by the engine's translated routines.
#pragma once
#include <cstdint>

#include "board/machine.h"

namespace engine {

// Zeroes guest memory [from, to) a 32-bit word at a time, ascending, as the
// guest's clear loops do (whether they store one word a pass or four).
inline void clear_words(uint32_t from, uint32_t to) {
    for (uint32_t a = from; a < to; a += 4) orb_write32(a, 0);
}

}  // namespace engine
