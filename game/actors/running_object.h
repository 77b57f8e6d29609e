// Field access for the actors' routines that run with R20 = the running
// object: its fields, its state byte, and the per-rank ROM bytes.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/actors/common.h"
#include "game/engine/vars.h"

namespace actors::self {

using ::self::field;
using ::self::next_state_keeps_flags;
using ::self::set_state;
inline uint8_t by_rank(uint32_t table) { return orb_read8(table + rank_tier()); }

// A colour word keeps bits 11 to 15 and takes the colour in the rest.
inline void colour(uint32_t address, uint16_t value) {
    orb_write16(address, static_cast<uint16_t>((orb_read16(address) & 0xF800) | value));
}

}  // namespace actors::self
