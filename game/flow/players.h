// Pieces the player-slot, panel and character-select routines share: the
// player records, the operator settings they read, the per-slot position
// base of the text tables, and the credit record of a slot.
#pragma once
#include <cstdint>

#include "game/continuations.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

namespace players {

inline uint32_t record(uint32_t slot) { return var::player_records + slot * player_record::size; }
inline uint8_t slot_of(uint32_t rec) { return orb_read8(rec + player_record::slot); }
inline uint8_t setting8(uint32_t field) { return orb_read8(var::backup_primary + field); }
inline uint16_t setting16(uint32_t field) { return orb_read16(var::backup_primary + field); }
inline bool game_flag_set(unsigned bit) { return guest::test_bit(var::game_flags, bit); }

// Per-slot text tables hold slot + base: base 0, 2, 5 for 2, 3, 4 slots. The
// guest picks it through a jump table on backup_record.player_count; 3 takes
// the four-slot case as the slot runner does, and above 3 there is no case.
inline uint32_t base_by_players(uint32_t table, uint32_t from) {
    const uint8_t n = setting8(backup_record::player_count);
    switch (n) {
    case 0: return 0;
    case 1: return 2;
    case 2:
    case 3: return 5;
    default: v60_unknown_jump(table + 3u * n, from);
    }
}

// The same base from coin_mode (modulo 3); mode 6, a shared chute, takes the
// base of modes 0-2. Modes above 6 have no case.
inline uint32_t base_by_coin_mode(uint32_t table, uint32_t from) {
    const uint8_t mode = orb_read8(var::coin_mode);
    switch (mode) {
    case 0:
    case 3:
    case 6: return 0;
    case 1:
    case 4: return 2;
    case 2:
    case 5: return 5;
    default: v60_unknown_jump(table + 3u * mode, from);
    }
}

// True in the layouts with one shared credit record (coin_mode 0-2 and 6).
inline bool shared_chute() {
    const uint8_t mode = orb_read8(var::coin_mode);
    return mode < 3 || mode == 6;
}

// The credit record the text routines show for a slot: record 0 in the shared
// layouts, record players - 1 - slot in the per-chute ones.
inline uint32_t chute_record(uint32_t slot) {
    if (shared_chute()) return var::credit_records;
    return var::credit_records + credit_record::size +
           credit_record::size * (setting8(backup_record::player_count) - slot);
}

// A text cell named by entry `index` of a ROM table of 16-bit cell offsets.
inline uint32_t table_cell(uint32_t table, uint32_t index) {
    return hw::text_layer | orb_read16(table + 2 * index);
}

// Somebody plays: a record with flags bit 0, or one holding the out-of-play
// routine address.
inline bool somebody_in_play() {
    for (uint32_t n = 0; n < 4; ++n) {
        if (guest::test_bit(record(n) + object_record::flags, object_flag::alive)) return true;
        guest::cmp<uint32_t>(orb_read32(record(n) + object_record::routine), continuation::out_of_play);
        if (guest::eq()) return true;
    }
    return false;
}

}  // namespace players
