// Variables of the game flow and the players (modes, attract cycle, player
// slots and records, panels, results and ranking), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t player_records = 0x20A000;  // 4 player records of 256 bytes, slot 0 first

// ---- what the player character controller reads and writes ----
constexpr uint32_t ingame_state = 0x208004;           // 8-bit, state of the in-game flow
constexpr uint32_t character_places_free = 0x20800B;  // 8-bit, bit n = place n free (bit ops as 32-bit)
constexpr uint32_t rank_events = 0x208030;            // 8-bit event bits of the rank schedule

}  // namespace var

// The player record (256 bytes, the object head first) as the character
// controller uses it beyond the head; the slot fields are the slot code's.
namespace player_record {
constexpr uint32_t step_x = 39;            // s8, per-frame move of the walk step
constexpr uint32_t step_y = 40;            // s8
constexpr uint32_t rise_speed = 41;        // s8, added to the height each frame (up > 0)
constexpr uint32_t hold_time = 54;         // s16, frames an enemy may keep holding the player
constexpr uint32_t state_timer = 55;       // 8-bit, shares its byte with hold_time's high half
constexpr uint32_t action_timer = 56;      // 8-bit, window of the attack chain
constexpr uint32_t hurt_timer = 57;        // 8-bit, untouchable time after a hit
constexpr uint32_t action = 58;            // 8-bit attack kind, the object head's attack_kind
constexpr uint32_t timer = 74;             // 16-bit continue countdown
constexpr uint32_t slot = 129;             // 8-bit
constexpr uint32_t score = 140;            // 32-bit
constexpr uint32_t buffered_buttons = 144; // 8-bit
constexpr uint32_t countdowns = 145;       // 2 bytes
constexpr uint32_t followed = 148;         // 8-bit, non-zero: the camera follows; 0 once defeated or out
constexpr uint32_t character = 149;        // 8-bit, 0-3
constexpr uint32_t arc_centre_x = 150;     // s16
constexpr uint32_t arc_centre_height = 152;  // s16
constexpr uint32_t angle = 154;            // 16-bit
constexpr uint32_t arc_speed = 156;        // s16
constexpr uint32_t idle_count = 158;       // 8-bit
constexpr uint32_t hit_pending = 159;      // 8-bit, non-zero while an enemy holds the player
constexpr uint32_t hold_offset_x = 160;    // s16, given by the holding enemy
constexpr uint32_t hold_height = 162;      // s16
constexpr uint32_t hold_damage = 164;      // s16
constexpr uint32_t hold_ticks = 166;       // 8-bit
constexpr uint32_t attack_object = 168;    // 16-bit low half of the object launched last
constexpr uint32_t long_landing = 188;     // 8-bit, 255 after an air special
constexpr uint32_t held_object = 220;      // 32-bit, the enemy the player holds
constexpr uint32_t holding = 224;          // 8-bit, 255 while held_object is held
}  // namespace player_record

// An attack object launched by a player (an object_record beyond its head).
namespace attack_record {
constexpr uint32_t step = 39;         // s8, x step per frame or per fragment
constexpr uint32_t length = 54;       // 8-bit life, beam length or the wave's horizontal stretch
constexpr uint32_t timer = 55;        // 8-bit
constexpr uint32_t base_y = 72;       // s16; the wave keeps its box words at +72..+79
constexpr uint32_t box = 72;          // 4 × s16: -w/2, w, -h/2, h
constexpr uint32_t score_mark = 76;   // 32-bit
constexpr uint32_t base_x = 80;       // s16
constexpr uint32_t part_height = 100; // 16-bit word 2 of the first copied part
constexpr uint32_t part_width = 102;  // 16-bit word 3 of the first copied part
}  // namespace attack_record
