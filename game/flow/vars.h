// Variables of the game flow and the players (modes, attract cycle, player
// slots and records, panels, results and ranking), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t player_records = 0x20A000;  // 4 player records of 256 bytes, slot 0 first

// ---- boss bar, indicators, results, ranking, stage intro ----
constexpr uint32_t flow_countdown = 0x208002;   // 16-bit, frames left of the flow's current wait
constexpr uint32_t ingame_state = 0x208004;     // 8-bit, state of the in-game flow
constexpr uint32_t tally_records = 0x208400;    // 4 tally_records of 32 bytes, slot 0 first
constexpr uint32_t ranking_tables = 0x208C00;   // 4 ranking tables of 32 bytes, by character
constexpr uint32_t player_held = 0x208120;      // held bits of player_inputs, a byte per slot
constexpr uint32_t player_presses = 0x208128;   // pressed edges of player_inputs, a byte per slot

}  // namespace var

// game_flags bits of the flow.
namespace game_flag {
constexpr unsigned slot_out = 13;   // a slot is leaving: its credit line shows
constexpr unsigned play_over = 14;
}  // namespace game_flag

// The fields of a player record (object head, then the player's own) that
// the results, ranking and indicator routines use.
namespace player_record {
constexpr uint32_t flags = 0;                // bit 0 in play
constexpr uint32_t state = 2;                // 8-bit
constexpr uint32_t routine = 4;              // 32-bit
constexpr uint32_t energy = 64;              // s16
constexpr uint32_t timer = 74;               // 16-bit frames
constexpr uint32_t slot = 129;               // 8-bit
constexpr uint32_t score = 140;              // 32-bit, at most 99,999,999
constexpr uint32_t character = 149;          // 8-bit
constexpr uint32_t ranking_position = 167;   // 8-bit, entry 0-3
constexpr uint32_t initials_cursor = 168;    // 32-bit, the next initial to write
constexpr uint32_t initials_entry = 172;     // position, choice index, choice code (8-bit each)
constexpr uint32_t best_entry_pointer = 176; // 32-bit, the saved best entry's initials this play replaced
constexpr uint32_t plays = 180;              // 8-bit, joins including continues
constexpr uint32_t shown_energy = 232;       // 16-bit
constexpr uint32_t size = 0x100;
}  // namespace player_record

// A ranking entry: a score and four initials (0 ends them early).
namespace ranking_entry {
constexpr uint32_t score = 0;
constexpr uint32_t initials = 4;
constexpr uint32_t size = 8;
}  // namespace ranking_entry
