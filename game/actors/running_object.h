// Field access for the actors' routines that run with R20 = the running
// object: its fields, its state byte, and the per-rank ROM bytes.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/actors/common.h"
#include "game/engine/vars.h"

namespace actors::self {

using ::self::field;
inline uint8_t by_rank(uint32_t table) { return orb_read8(table + rank_tier()); }
inline void set_state(uint8_t state) { orb_write8(field(object_record::state), state); }
inline void next_state() { set_state(static_cast<uint8_t>(orb_read8(field(object_record::state)) + 1)); }

// A colour word keeps bits 11 to 15 and takes the colour in the rest.
inline void colour(uint32_t address, uint16_t value) {
    orb_write16(address, static_cast<uint16_t>((orb_read16(address) & 0xF800) | value));
}

// A 16-bit field plus a delta (modulo 2^16).
inline void add16(uint32_t address, uint32_t delta) {
    orb_write16(address, static_cast<uint16_t>(orb_read16(address) + delta));
}

}  // namespace actors::self
