// Tables of the program ROM that the game flow and the players read, named once
// by their guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- boss_bar ----
inline constexpr uint32_t bar_portrait_frames = 0x0699DD;  // u8 per bar subject
inline constexpr uint32_t bar_names = 0x069A02;  // s16 per bar subject, to its text
inline constexpr uint32_t bar_colours = 0x069A8C;  // 6 bytes per bar variant
inline constexpr uint32_t bar_portrait = 0x08F09B;  // the portrait's animation script

// ---- character_select ----

// ---- effects ----
inline constexpr uint32_t touch55_states = 0x0770F4;  // u32 step per state
inline constexpr uint32_t touch56_states = 0x0771B8;  // u32 step per state
inline constexpr uint32_t drifter_states = 0x077284;  // u32 step per state
inline constexpr uint32_t drifter_directions = 0x0772CC;  // u32 step per direction parameter
inline constexpr uint32_t touch55_box = 0x07733D;
inline constexpr uint32_t strike55_box = 0x077341;
inline constexpr uint32_t touch56_box = 0x077345;
inline constexpr uint32_t strike56_box = 0x077349;
inline constexpr uint32_t strike_word = 0x07734E;  // bits 15-12 attack kind, 11-0 strength
inline constexpr uint32_t touch56_triggered_script = 0x08EAE3;
inline constexpr uint32_t touch55_waiting_script = 0x08F274;
inline constexpr uint32_t touch56_waiting_script = 0x08F27B;
inline constexpr uint32_t drifting_script = 0x090338;
inline constexpr uint32_t touch55_triggered_script = 0x099081;

// ---- indicators ----
inline constexpr uint32_t indicator_width = 0x08500C;
inline constexpr uint32_t indicator_height = 0x08500E;
inline constexpr uint32_t indicator_layouts = 0x085010;  // u32 per player count
inline constexpr uint32_t indicator_colours = 0x085040;  // u16 per reason

// ---- ingame ----
inline constexpr uint32_t area_music = 0x062B5B;  // by (stage - 1) × 5 + area - 1

// ---- modes ----

// ---- panels ----

// ---- placed_objects ----

// ---- player ----

// ---- player_attacks ----
inline constexpr uint32_t wave_box = 0x077B74;
inline constexpr uint32_t attack_type_routines = 0x07859C;  // 32-bit entries by type
inline constexpr uint32_t placed_offsets = 0x078600;  // 4c: x offset, height offset
inline constexpr uint32_t carried_box = 0x078BC0;
inline constexpr uint32_t carried_mirror = 0x078BC4;  // u8 by direction code
inline constexpr uint32_t carried_offsets = 0x078C24;  // offset pairs (4 bytes) by direction code
inline constexpr uint32_t aimed_strength = 0x078EAF;  // u8 by the owner's character
inline constexpr uint32_t placed_strength = 0x078EB3;  // u8 by the owner's character
inline constexpr uint32_t wave_animation = 0x0929E3;

// ---- presentation ----

// ---- rank ----

// ---- ranking ----

// ---- results ----

// ---- slots ----
inline constexpr uint32_t player_start_y = 0x063E4C;  // s16 per stage and area

// ---- stage_intro ----

// ---- stage_setup ----
inline constexpr uint32_t stage_descriptor_table = 0x08541E;  // 32-bit by stage
inline constexpr uint32_t object_list_table = 0x08DD98;  // 32-bit by stage, then 32-bit by area
inline constexpr uint32_t graphics_source = 0x108F36;  // source base of the scene graphics

// ---- title ----

}  // namespace rom
