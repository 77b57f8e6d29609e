// Variables of the game flow and the players (modes, attract cycle, player
// slots and records, panels, results and ranking), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

// ---- mode machine and attract cycle (0x208002-0x208C88, 0x20C018-0x20C021) ----
// game_mode, game_submode, game_flags, system_flags, stage, area and
// demo_input_pointer are named with the engine's variables.
constexpr uint32_t flow_countdown = 0x208002;        // 16-bit, frames left of the current scene
constexpr uint32_t ingame_state = 0x208004;          // 8-bit, state of the in-game flow
constexpr uint32_t demo_index = 0x20800E;            // 8-bit, low 2 bits pick the next demo
constexpr uint32_t presentation_index = 0x20800F;    // 8-bit, 0 to 4
constexpr uint32_t player1_presses = 0x208128;       // 8-bit, player 1's pressed edges (a byte per slot)
constexpr uint32_t ranking_reveal_counter = 0x208C80;  // 16-bit, timer and step of the ranking screen
constexpr uint32_t ranking_reveal_source = 0x208C84;   // 32-bit, next row in video RAM
constexpr uint32_t ranking_reveal_dest = 0x208C88;     // 32-bit, the text-layer row it goes to
constexpr uint32_t player_records = 0x20A000;        // 4 player records of 256 bytes, slot 0 first
constexpr uint32_t notice_text_pointer = 0x20C018;   // 32-bit
constexpr uint32_t notice_cell_pointer = 0x20C01C;   // 32-bit
constexpr uint32_t notice_blink_timer = 0x20C020;    // 16-bit: attribute in bits 8-15 while typing

}  // namespace var

// The player records' fields that the mode machine resets.
namespace player_record {
constexpr uint32_t size = 0x100;
constexpr uint32_t flags = 0;     // tested as 32-bit
constexpr uint32_t state = 2;     // 8-bit
constexpr uint32_t routine = 4;   // 32-bit
constexpr uint32_t reset_byte = 148;  // 8-bit, 0 at a slot reset
}  // namespace player_record

// Offsets of the video registers (0x31FF00 up) in var::video_shadow, and of
// the mixer registers (0x610000 up) in var::mixer_shadow, that the title
// writes.
namespace video_reg {
constexpr uint32_t control = 0x00;        // bit 15: 416-pixel-wide screen
constexpr uint32_t layer_off = 0x02;      // bit 0: NBG0 off
constexpr uint32_t nbg0_scroll_x = 0x12;
constexpr uint32_t nbg0_scroll_y = 0x16;
constexpr uint32_t nbg0_centre_x = 0x30;
constexpr uint32_t nbg0_centre_y = 0x32;
constexpr uint32_t nbg0_pages = 0x40;     // two words, four page bytes
constexpr uint32_t nbg2_pages = 0x48;
constexpr uint32_t nbg0_zoom = 0x50;      // 0x200 = 1:1
}  // namespace video_reg

namespace mixer_reg {
constexpr uint32_t nbg0_mix = 0x32;       // group and blend-mask bits of NBG0
constexpr uint32_t nbg2_mix = 0x36;
constexpr uint32_t blend = 0x4E;          // bits 10-8 blend level
}  // namespace mixer_reg
