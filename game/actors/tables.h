// Tables of the program ROM that the enemies and the other actors read, named
// once by their guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- behaviours ----

// ---- child_effects ----

// ---- companion ----

// ---- enemy_children ----

// ---- enemy_framework ----

// ---- enemy_helpers ----

// ---- enemy_setup ----

// ---- flyers ----

// ---- passers_by ----

// ---- path_script ----
inline constexpr uint32_t wave_table = 0x100000;  // s16 × 1,024 per period (to 0x1009FF), the cosine 256 further

// ---- pickups ----

// ---- platform_ai ----

// ---- platform_types ----
inline constexpr uint32_t type1_states = 0x07BBF7;
inline constexpr uint32_t type1_hit_states = 0x07BF4B;
inline constexpr uint32_t jump_back_box = 0x07BF4E;
inline constexpr uint32_t high_jump_box = 0x07BF56;
inline constexpr uint32_t ground_strike_box = 0x07BF5E;
inline constexpr uint32_t type1_watch_boxes = 0x07BF62;  // u32 per watch index
inline constexpr uint32_t type1_watch_branches = 0x07BF72;  // u32 per watch index
inline constexpr uint32_t type1_stun_frames = 0x07BF82;
inline constexpr uint32_t type1_watch_interval = 0x07BF86;
inline constexpr uint32_t ground_strike_strengths = 0x07BF8A;
inline constexpr uint32_t high_jump_strengths = 0x07BF8E;
inline constexpr uint32_t jump_back_strengths = 0x07BF92;
inline constexpr uint32_t jump_start_animations = 0x07BF96;  // u32 per variant
inline constexpr uint32_t high_jump_top_animations = 0x07BF9E;
inline constexpr uint32_t high_jump_strike_animations = 0x07BFA6;
inline constexpr uint32_t jump_back_descent_animations = 0x07BFAE;
inline constexpr uint32_t ground_strike_animations = 0x07BFB6;
inline constexpr uint32_t type2_states = 0x07D5FD;
inline constexpr uint32_t type2_start_animations = 0x07D8F4;  // u32 per facing code
inline constexpr uint32_t type2_hit_states = 0x07D938;  // 3 bytes, a further 3 per state above 15
inline constexpr uint32_t reach_mask = 0x07D942;
inline constexpr uint32_t reach_box = 0x07D944;  // 4 s16: x from, x to, y from, y to
inline constexpr uint32_t landing_box = 0x07D94C;
inline constexpr uint32_t type2_stun_frames = 0x07D950;
inline constexpr uint32_t leap_windup = 0x07D954;
inline constexpr uint32_t landing_strengths = 0x07D958;
inline constexpr uint32_t leap_animation = 0x134F80;
inline constexpr uint32_t descent_animation = 0x134FAD;
inline constexpr uint32_t return_animation = 0x134FC4;
inline constexpr uint32_t type3_states = 0x07D98F;
inline constexpr uint32_t recovery_frames = 0x07DC42;
inline constexpr uint32_t thrown_offsets = 0x07DC44;  // s16 x, s16 y per variant
inline constexpr uint32_t thrown_box = 0x07DC64;
inline constexpr uint32_t windup_animations = 0x07DC68;  // u32 per thrower variant
inline constexpr uint32_t throw_animations = 0x07DC88;
inline constexpr uint32_t recovery_animations = 0x07DCA8;
inline constexpr uint32_t type3_flags = 0x07DCC8;  // u16 each: variant bit 0 clear, set
inline constexpr uint32_t type3_hit_states = 0x07DCCC;
inline constexpr uint32_t type3_stun_frames = 0x07DCD4;
inline constexpr uint32_t type3_interval = 0x07DCD8;
inline constexpr uint32_t thrown_strengths = 0x07DCDC;  // by the rank step
inline constexpr uint32_t thrown_animation = 0x135957;
inline constexpr uint32_t short_effect_offsets = 0x07BB66;  // s16 x, s16 y per type
inline constexpr uint32_t short_effect_animation = 0x134B1E;

// ---- playfield_objects ----

// ---- props ----

// ---- set_piece ----

// ---- set_pieces ----

// ---- spawning ----
inline constexpr uint32_t spawn_routines = 0x066424;  // u32 per spawn type

// ---- two_piece ----
inline constexpr uint32_t two_piece_states = 0x07DD4D;  // u32 routine per state
inline constexpr uint32_t two_piece_wait_animations = 0x07E378;  // u32 per direction
inline constexpr uint32_t two_piece_mirror_bits = 0x07E3B8;  // u16 per direction
inline constexpr uint32_t two_piece_steps_left = 0x07E3D8;  // (s16 dx, s16 dy) per direction
inline constexpr uint32_t two_piece_steps_right = 0x07E418;
inline constexpr uint32_t two_piece_follower_animations = 0x07E458;
inline constexpr uint32_t two_piece_idle_animations = 0x07E498;  // u32 per 16 x variant + direction
inline constexpr uint32_t two_piece_attack_animations = 0x07E518;
inline constexpr uint32_t two_piece_attack_box_numbers = 0x07E598;  // u32 per variant -> bytes per 16 x frame + direction
inline constexpr uint32_t two_piece_attack_boxes = 0x07E880;  // 4-byte boxes by number
inline constexpr uint32_t two_piece_hit_states = 0x07E904;
inline constexpr uint32_t two_piece_approach_box = 0x07E90C;
inline constexpr uint32_t two_piece_probe_boxes = 0x07E910;  // per variant; entry 0 is the strike box
inline constexpr uint32_t two_piece_stun_frames = 0x07E918;  // 4 per variant, by rank
inline constexpr uint32_t two_piece_attack_reload = 0x07E920;  // by rank
inline constexpr uint32_t two_piece_strengths = 0x07E928;  // 4 per variant, by rank
inline constexpr uint32_t two_piece_landing_strength = 0x07E930;  // by rank
inline constexpr uint32_t two_piece_jump_animations = 0x07E938;  // u32 per variant
inline constexpr uint32_t two_piece_strike_animation = 0x136E0A;

// ---- volley ----

}  // namespace rom
