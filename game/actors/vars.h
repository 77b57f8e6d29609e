// Variables of the enemies and actors (spawning, enemy states, platform
// enemies, passers-by, props), named once. Absolute guest addresses; see
// game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t live_enemy_count = 0x20C14C;  // 8-bit, raised by every enemy set-up

}  // namespace var

// ---- platform enemies (generic AI) ----
namespace var {
constexpr uint32_t difficulty_rank = 0x208006;   // 8-bit, its high nibble is the rank step
constexpr uint32_t tally_records = 0x208400;     // 4 x 32 bytes: 16 counters of defeats per slot
}  // namespace var

// The generic-AI enemy's fields beyond the common head (128-byte objects;
// the thrown objects of types 0 and 3 use the speeds too).
namespace platform_enemy {
constexpr uint32_t ai_facing_code = 38;     // u8, type 2: picks facing and start animation
constexpr uint32_t velocity_x = 39;         // s8 per frame
constexpr uint32_t velocity_y = 40;         // s8 per frame, +1 each frame of a jump or fall
constexpr uint32_t enemy_timer = 54;        // u8, frames to the next decision
constexpr uint32_t ai_probe_side = 55;      // u8, bit 0 picks the watch's probe box
constexpr uint32_t ai_attack_timer = 56;    // u8, watch interval, then wind-up
constexpr uint32_t ai_stun_timer = 57;      // u8
constexpr uint32_t ai_variant = 62;         // u8, types 1 and 4: animation set
constexpr uint32_t ai_platforms = 72;       // u32, the platform_list
constexpr uint32_t ai_segment = 76;         // u8, offset of the current segment entry
constexpr uint32_t ai_window_left = 78;     // s16 camera range in which the enemy runs
constexpr uint32_t ai_window_right = 80;
constexpr uint32_t ai_window_top = 82;
constexpr uint32_t ai_window_bottom = 84;
constexpr uint32_t ai_jump_flag = 86;       // u8, types 1 and 4: cleared by the high jump
constexpr uint32_t ai_target_x = 86;        // s16, type 2: where the leap lands
constexpr uint32_t ai_target_y = 88;
constexpr uint32_t ai_thrower_variant = 88; // u8, type 3
constexpr uint32_t ai_home_x = 90;          // s16, type 2
constexpr uint32_t ai_home_y = 92;
constexpr uint32_t ai_last_flags = 90;      // u16, type 3: the flags as its frame began
constexpr uint32_t part_word2 = 100;        // u16, words 2 and 3 of the first copied part
constexpr uint32_t part_word3 = 102;
// Bits of the flags word.
constexpr unsigned active = 0;
constexpr unsigned intangible = 2;
constexpr unsigned hit = 8;
constexpr unsigned defeated = 9;
constexpr unsigned touched = 10;
constexpr unsigned airborne = 13;
// The player record's bytes the enemies read.
constexpr uint32_t player_code = 38;        // u8, low 4 bits read by the type-2 watch
constexpr uint32_t player_slot = 129;       // u8
}  // namespace platform_enemy

// A platform_list in ROM: the last segment's offset, the start segment's,
// the window's left and right words by index, then 6-byte segments from +4.
namespace platform_list {
constexpr uint32_t last = 0;
constexpr uint32_t start = 1;
constexpr uint32_t left_word = 2;
constexpr uint32_t right_word = 3;
constexpr uint32_t first_segment = 4;
constexpr uint32_t segment_size = 6;
// platform_segment_entry
constexpr uint32_t left = 0;   // s16
constexpr uint32_t right = 2;  // s16
constexpr uint32_t floor = 4;  // s16
}  // namespace platform_list
