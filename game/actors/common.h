// Helpers shared by the actors' translated routines.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"

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

}  // namespace actors
