// Variables of the game flow and the players (modes, attract cycle, player
// slots and records, panels, results and ranking), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t player_records = 0x20A000;  // 4 player records of 256 bytes, slot 0 first

// ---- player slots, joining, panels and character select ----
constexpr uint32_t flow_countdown = 0x208002;        // 16-bit, frames left of the scene
constexpr uint32_t ingame_state = 0x208004;          // 8-bit, state of the in-game flow
constexpr uint32_t panel_layout_shift = 0x208007;    // 8-bit, not 0: the second set of place layouts
constexpr uint32_t character_places_free = 0x20800B; // 8-bit, top byte of game_flags: bit n place n free
constexpr uint32_t rank_events = 0x208030;           // 8-bit event bits for the rank schedule
constexpr uint32_t join_times = 0x2081C0;            // time_record per slot, 8 bytes apart
constexpr uint32_t bookkeeping_joins = 0x701F0E;     // 16-bit
constexpr uint32_t total_play_time = 0x701F1C;       // time_record
constexpr uint32_t bookkeeping_new_plays = 0x701F2C; // 16-bit
constexpr uint32_t play_length_bands = 0x701F3C;     // 12 × 16-bit: half minutes to 4:59, 5-9 min, longer

}  // namespace var

// game_flags bits of the running game (bits 0-3: the slots in play; bits
// 24-27 are character_places_free).
namespace game_flag {
constexpr unsigned play_running = 9;
constexpr unsigned slot_out = 13;     // a slot left play this frame
constexpr unsigned play_over = 14;    // every panel, prompt and message erases instead
constexpr unsigned places_free = 24;  // character_places_free's bit 0
}  // namespace game_flag

namespace system_flag {
constexpr unsigned game_ended = 7;    // no join, no continue
}  // namespace system_flag

// A player slot's record: the object head (flags, state, routine, owner,
// positions, animation), then the player's own fields.
namespace player_record {
constexpr uint32_t size = 0x100;
constexpr uint32_t flags = 0;               // 16-bit, bits in player_flag
constexpr uint32_t state = 2;               // 8-bit
constexpr uint32_t routine = 4;             // 32-bit
constexpr uint32_t owner = 12;              // 16-bit, low half of its own address
constexpr uint32_t appear_timer = 54;       // 8-bit: appearance blink, then the out timer
constexpr uint32_t energy = 64;             // s16
constexpr uint32_t timer = 74;              // 16-bit, frames left of the continue countdown
constexpr uint32_t shown_second = 76;       // 8-bit, last big continue second shown
constexpr uint32_t credit_offset = 128;     // 8-bit, low byte of its credit_record's address
constexpr uint32_t slot = 129;              // 8-bit
constexpr uint32_t placed_frame = 136;      // 16-bit, 16 at set-up in placed-object areas
constexpr uint32_t score = 140;             // 32-bit
constexpr uint32_t follow_weight = 148;     // 8-bit, 0 at a reset, 255 at set-up
constexpr uint32_t character = 149;         // 8-bit, 0-3
constexpr uint32_t plays = 180;             // 8-bit
constexpr uint32_t converted_credits = 181; // 8-bit
constexpr uint32_t drain_timer = 183;       // 8-bit
constexpr uint32_t drain_ticks = 184;       // 16-bit
constexpr uint32_t join_byte = 187;         // 8-bit, 0 at a join
constexpr uint32_t shown_energy = 232;      // 16-bit
}  // namespace player_record

namespace player_flag {
constexpr unsigned in_play = 0;
constexpr unsigned hidden = 1;
constexpr unsigned untouchable = 2;
constexpr unsigned set_up_clear = 4;
constexpr unsigned facing = 6;
constexpr unsigned continuing = 13;
}  // namespace player_flag
