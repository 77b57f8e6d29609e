// Variables of the game flow and the players (modes, attract cycle, player
// slots and records, panels, results and ranking), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

// ---- mode machine and attract cycle (0x208002-0x208C88, 0x20C018-0x20C021) ----
// game_mode, game_submode, game_flags, system_flags, stage, area and
// demo_input_pointer are named with the engine's variables.
constexpr uint32_t flow_countdown = 0x208002;          // 16-bit, frames left of the current scene
constexpr uint32_t ingame_state = 0x208004;            // 8-bit, state of the in-game flow
constexpr uint32_t demo_index = 0x20800E;              // 8-bit, low 2 bits pick the next demo
constexpr uint32_t presentation_index = 0x20800F;      // 8-bit, 0 to 4
constexpr uint32_t player1_presses = 0x208128;         // 8-bit, player 1's pressed edges (a byte per slot)
constexpr uint32_t ranking_reveal_counter = 0x208C80;  // 16-bit, timer and step of the ranking screen
constexpr uint32_t ranking_reveal_source = 0x208C84;   // 32-bit, next row in video RAM
constexpr uint32_t ranking_reveal_dest = 0x208C88;     // 32-bit, the text-layer row it goes to
constexpr uint32_t player_records = 0x20A000;          // 4 player records of 256 bytes, slot 0 first
constexpr uint32_t notice_text_pointer = 0x20C018;     // 32-bit
constexpr uint32_t notice_cell_pointer = 0x20C01C;     // 32-bit
constexpr uint32_t notice_blink_timer = 0x20C020;      // 16-bit: attribute in bits 8-15 while typing

// ---- in-game flow, rank and stage set-up ----
constexpr uint32_t rank_events = 0x208030;               // 8-bit, bits in rank_event
constexpr uint32_t rank_base = 0x208032;                 // 8-bit, the area's base rank
constexpr uint32_t rank_step = 0x208033;                 // 8-bit, 0-7 in the schedule
constexpr uint32_t rank_timer = 0x208034;                // 16-bit, frames to the next step
constexpr uint32_t game_start_time = 0x2081E0;           // time_record of the power-on time at the start
constexpr uint32_t stage_descriptor_pointer = 0x2082A0;  // 32-bit
constexpr uint32_t area_controller = 0x2082C8;           // 32-bit, the area's 64-byte controller object
constexpr uint32_t playfield_camera_copy = 0x2082CC;     // 32-bit, a second camera_pointer
constexpr uint32_t area_mixer_words = 0x208B22;          // 4 mixer shadow words the descriptors set
constexpr uint32_t fade_mixer_word = 0x208B30;           // 16-bit, bit 14 off during a faded area change
constexpr uint32_t placed_groups = 0x20B800;             // 16 lists of 64 bytes: count, bank, entries
constexpr uint32_t placed_objects = 0x20BC00;            // 16-bit low halves in creation order
constexpr uint32_t target_slot_distances = 0x20C104;     // 8 × 32-bit claims, -1 = free
constexpr uint32_t target_slot_holders = 0x20C124;       // 8 × 16-bit low halves of the holders
constexpr uint32_t target_points = 0x20C134;             // 4 target_point_entry, one per player slot
constexpr uint32_t game_time_mirror = 0x701F92;

// ---- boss bar, indicators, results, ranking, stage intro ----
constexpr uint32_t tally_records = 0x208400;   // 4 tally_records of 32 bytes, slot 0 first
constexpr uint32_t ranking_tables = 0x208C00;  // 4 ranking tables of 32 bytes, by character
constexpr uint32_t player_held = 0x208120;     // held bits of player_inputs, a byte per slot
constexpr uint32_t player_presses = 0x208128;  // pressed edges of player_inputs, a byte per slot
constexpr uint32_t boss_bar_name = 0x31F096;   // text cells from row 1, column 11: the boss's name
constexpr uint32_t boss_bar_cells = 0x31F116;  // text cells of row 2, columns 11-32: the bar
constexpr uint32_t continue_area = 0x31F7A4;   // text cells, 4 by 3 rows: the big continue count

// ---- what the player character controller reads and writes ----
constexpr uint32_t character_places_free = 0x20800B;  // 8-bit, bit n = place n free (bit ops as 32-bit)

// ---- player slots, joining, panels and character select ----
constexpr uint32_t panel_layout_shift = 0x208007;     // 8-bit, not 0: the second set of place layouts
constexpr uint32_t join_times = 0x2081C0;             // time_record per slot, 8 bytes apart
constexpr uint32_t bookkeeping_joins = 0x701F0E;      // 16-bit
constexpr uint32_t total_play_time = 0x701F1C;        // time_record
constexpr uint32_t bookkeeping_new_plays = 0x701F2C;  // 16-bit
constexpr uint32_t play_length_bands = 0x701F3C;      // 12 × 16-bit: half minutes to 4:59, 5-9 min, longer

}  // namespace var

// A player slot's record (256 bytes, var::player_records + size × slot): the
// object head first, read by object_record's names (flags, state, routine,
// owner, energy, rise_speed; the player's action is the head's attack_kind),
// then what the player record adds. The character controller, the slot
// routines, the results, the ranking and the indicators share it.
namespace player_record {
constexpr uint32_t size = 0x100;
constexpr uint32_t player_code =
    38;                             // 8-bit, 0 at set-up; the type-2 watch and the camera read its low 4 bits
constexpr uint32_t step_x = 39;     // s8, per-frame move of the walk step
constexpr uint32_t step_y = 40;     // s8
constexpr uint32_t hold_time = 54;  // s16, frames an enemy may keep holding the player; the slot
                                    // routines count the appearance blink and the out time in its low byte
constexpr uint32_t state_timer = 55;         // 8-bit, shares its byte with hold_time's high half
constexpr uint32_t action_timer = 56;        // 8-bit, window of the attack chain
constexpr uint32_t hurt_timer = 57;          // 8-bit, untouchable time after a hit
constexpr uint32_t timer = 74;               // 16-bit frames
constexpr uint32_t shown_second = 76;        // 8-bit, last big continue second shown
constexpr uint32_t credit_offset = 128;      // 8-bit, low byte of its credit_record's address
constexpr uint32_t slot = 129;               // 8-bit
constexpr uint32_t placed_frame = 136;       // 16-bit, 16 at set-up in placed-object areas
constexpr uint32_t score = 140;              // 32-bit, at most 99,999,999
constexpr uint32_t buffered_buttons = 144;   // 8-bit
constexpr uint32_t countdowns = 145;         // 2 bytes
constexpr uint32_t followed = 148;           // 8-bit, non-zero: the camera follows the player; 255 at set-up,
                                             // 0 at a slot reset, on defeat and when out
constexpr uint32_t character = 149;          // 8-bit, 0-3
constexpr uint32_t arc_centre_x = 150;       // s16
constexpr uint32_t arc_centre_height = 152;  // s16
constexpr uint32_t angle = 154;              // 16-bit
constexpr uint32_t arc_speed = 156;          // s16
constexpr uint32_t idle_count = 158;         // 8-bit
constexpr uint32_t hit_pending = 159;        // 8-bit, non-zero while an enemy holds the player
constexpr uint32_t hold_offset_x = 160;      // s16, given by the holding enemy
constexpr uint32_t hold_height = 162;        // s16
constexpr uint32_t hold_damage = 164;        // s16
constexpr uint32_t hold_ticks = 166;         // 8-bit
constexpr uint32_t ranking_position = 167;   // 8-bit, entry 0-3
// +168 in play: the 16-bit low half of the object launched last; once the
// play is over, the 32-bit cursor of the initials entry.
constexpr uint32_t attack_object = 168;
constexpr uint32_t initials_cursor = 168;     // 32-bit, the next initial to write
constexpr uint32_t initials_entry = 172;      // position, choice index, choice code (8-bit each)
constexpr uint32_t best_entry_pointer = 176;  // 32-bit, the saved best entry's initials this play replaced
constexpr uint32_t plays = 180;               // 8-bit, joins including continues
constexpr uint32_t converted_credits = 181;   // 8-bit
constexpr uint32_t drain_timer = 183;         // 8-bit
constexpr uint32_t drain_ticks = 184;         // 16-bit
constexpr uint32_t join_byte = 187;           // 8-bit, 0 at a join
constexpr uint32_t long_landing = 188;        // 8-bit, 255 after an air special
constexpr uint32_t held_object = 220;         // 32-bit, the enemy the player holds
constexpr uint32_t holding = 224;             // 8-bit, 255 while held_object is held
constexpr uint32_t shown_energy = 232;        // 16-bit
}  // namespace player_record

// Offsets of the video registers (0x31FF00 up) in var::video_shadow, and of
// the mixer registers (0x610000 up) in var::mixer_shadow, that the title
// writes.
namespace video_reg {
constexpr uint32_t control = 0x00;    // bit 15: 416-pixel-wide screen
constexpr uint32_t layer_off = 0x02;  // bit 0: NBG0 off
constexpr uint32_t nbg0_scroll_x = 0x12;
constexpr uint32_t nbg0_scroll_y = 0x16;
constexpr uint32_t nbg0_centre_x = 0x30;
constexpr uint32_t nbg0_centre_y = 0x32;
constexpr uint32_t nbg0_pages = 0x40;  // two words, four page bytes
constexpr uint32_t nbg2_pages = 0x48;
constexpr uint32_t nbg0_zoom = 0x50;  // 0x200 = 1:1
}  // namespace video_reg

namespace mixer_reg {
constexpr uint32_t nbg0_mix = 0x32;  // group and blend-mask bits of NBG0
constexpr uint32_t nbg2_mix = 0x36;
constexpr uint32_t blend = 0x4E;  // bits 10-8 blend level
}  // namespace mixer_reg
// rank_events bits, each taken by the rank schedule.
namespace rank_event {
constexpr unsigned continued = 0;
constexpr unsigned up = 1;
constexpr unsigned down = 2;
constexpr unsigned restart = 3;
}  // namespace rank_event

// The in-game flow's bits of system_flags and game_flags beside the engine's.
namespace system_flag {
constexpr unsigned game_ended = 7;
constexpr unsigned stage_cleared = 8;
constexpr unsigned area_change_by_terrain = 9;
constexpr unsigned area_change_with_fade = 17;
}  // namespace system_flag

namespace game_flag {
constexpr unsigned play_running = 9;
constexpr unsigned slot_out = 13;
constexpr unsigned play_over = 14;
}  // namespace game_flag

// target_points entry: the player's world y and the two points beside him.
namespace target_point_entry {
constexpr uint32_t y = 0;
constexpr uint32_t left_x = 2;
constexpr uint32_t right_x = 4;
constexpr uint32_t size = 6;
}  // namespace target_point_entry

// A placed object (64 bytes) beyond the common head.
namespace placed_object {
constexpr uint32_t index = 3;                           // 8-bit, position in its list
constexpr uint32_t group_list = 20;                     // 32-bit address of its group list
constexpr uint32_t retire_mark = 27;                    // 8-bit, cleared when it retires
constexpr uint32_t x1 = 32, y1 = 34, x2 = 36, y2 = 38;  // s16 rectangle
constexpr uint32_t link_prev = 40;                      // 16-bit low half
constexpr uint32_t link_next = 42;                      // 16-bit low half
constexpr uint32_t link_in = 44;  // 8-bit list bytes: link-in mode, link-out mode, group, extra
constexpr uint32_t link_out = 45;
constexpr uint32_t group = 46;
constexpr uint32_t extra = 47;
constexpr uint32_t max_x = 48, min_x = 50, max_y = 52, min_y = 54;
constexpr uint32_t window_max_x = 56, window_min_x = 58, window_max_y = 60, window_min_y = 62;
constexpr unsigned active = 0;  // flags bits
constexpr unsigned retired = 11;
}  // namespace placed_object

// A ranking entry: a score and four initials (0 ends them early).
namespace ranking_entry {
constexpr uint32_t score = 0;
constexpr uint32_t initials = 4;
constexpr uint32_t size = 8;
}  // namespace ranking_entry
// A player record reads bit 13 of its flags word (object_flag::airborne on an
// enemy) as its own: the slot's continue runs.
namespace player_bit {
constexpr unsigned continuing = 13;
}  // namespace player_bit

// An attack object launched by a player (an object_record beyond its head).
namespace attack_record {
constexpr uint32_t step = 39;          // s8, x step per frame or per fragment
constexpr uint32_t length = 54;        // 8-bit life, beam length or the wave's horizontal stretch
constexpr uint32_t timer = 55;         // 8-bit
constexpr uint32_t base_y = 72;        // s16; the wave keeps its box words at +72..+79
constexpr uint32_t box = 72;           // 4 × s16: -w/2, w, -h/2, h
constexpr uint32_t score_mark = 76;    // 32-bit
constexpr uint32_t base_x = 80;        // s16
constexpr uint32_t part_height = 100;  // 16-bit word 2 of the first copied part
constexpr uint32_t part_width = 102;   // 16-bit word 3 of the first copied part
}  // namespace attack_record
// game_flags bits of the running game (bits 0-3: the slots in play; bits
// 24-27 are character_places_free).
namespace game_flag {
constexpr unsigned places_free = 24;  // character_places_free's bit 0
}  // namespace game_flag
