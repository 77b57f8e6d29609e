// Tables of the program ROM that the enemies and the other actors read, named
// once by their guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- behaviours ----
inline constexpr uint32_t walk_table = 0x06A386;
inline constexpr uint32_t approach_table = 0x06A46E;
inline constexpr uint32_t melee_table = 0x06A5AA;
inline constexpr uint32_t grow_table = 0x06AFBE;
inline constexpr uint32_t pattern_table = 0x06B0AA;  // u32 pattern routine by attack_pattern
inline constexpr uint32_t leap_table = 0x06DAC6;

// ---- child_effects ----
inline constexpr uint32_t child_effect_table = 0x0826E0;  // 16 bytes per type

// ---- enemy_children ----
inline constexpr uint32_t kind2_part_states = 0x06C4C6;
inline constexpr uint32_t kind2_part_entries = 0x06C6AE;  // kind2_part_entry, 12 bytes each
inline constexpr uint32_t entrance_steps = 0x06D91E;
inline constexpr uint32_t entrance_commands = 0x06D956;
inline constexpr uint32_t big_overlay_scripts = 0x07046C;  // the enemy scripts it shows during
inline constexpr uint32_t side_overlay_scripts = 0x071AD6;
inline constexpr uint32_t side_overlay_companion = 0x071AEA;
inline constexpr uint32_t big_overlay_script = 0x097998;   // kinds 13/14 overlay
inline constexpr uint32_t side_overlay_script = 0x098A3C;  // kinds 5/6 overlay
inline constexpr uint32_t flying_piece_script = 0x09985F;

// ---- enemy_framework ----
inline constexpr uint32_t target_player_offsets = 0x0699A8;    // u16 per player: record - 0x208000
inline constexpr uint32_t difficulty_factor_table = 0x0699CD;  // u8 by the slots-in-play bits
inline constexpr uint32_t vanish_table = 0x06A272;             // u32 per vanish state

// ---- enemy_helpers ----
inline constexpr uint32_t direction_map = 0x0699BD;  // u8 direction index by direction code

// ---- enemy_setup ----
inline constexpr uint32_t kind58_state_record = 0x06AE3A;
inline constexpr uint32_t kind58_companion_data = 0x06B150;
inline constexpr uint32_t kind0_state_record = 0x06B412;
inline constexpr uint32_t kind0_companion_data = 0x06BAF8;
inline constexpr uint32_t kind1_state_record = 0x06BD1E;
inline constexpr uint32_t kind1_companion_data = 0x06BDD6;
inline constexpr uint32_t kind2_state_record = 0x06BFA2;
inline constexpr uint32_t kind2_companion_data = 0x06C6DE;
inline constexpr uint32_t kind3_state_record = 0x06C862;
inline constexpr uint32_t kind3_companion_data = 0x06CB16;
inline constexpr uint32_t kind4_state_record = 0x06CC9A;
inline constexpr uint32_t kind4_companion_data = 0x06D26A;
inline constexpr uint32_t kind19_state_record = 0x06D88A;
inline constexpr uint32_t kind19_companion_data = 0x06DB8E;
inline constexpr uint32_t kind20_state_record = 0x06DD70;
inline constexpr uint32_t kind20_companion_data = 0x06DDEC;
inline constexpr uint32_t kind21_state_record = 0x06DFCE;
inline constexpr uint32_t kind21_companion_data = 0x06E052;
inline constexpr uint32_t kind11_state_record = 0x06E250;
inline constexpr uint32_t kind11_companion_data = 0x06E83C;
inline constexpr uint32_t kind12_state_record = 0x06EA04;
inline constexpr uint32_t kind12_companion_data = 0x06EBE8;
inline constexpr uint32_t kind9_state_record = 0x06EDB8;
inline constexpr uint32_t kind9_companion_data = 0x06F006;
inline constexpr uint32_t kind13_state_record = 0x06F93C;
inline constexpr uint32_t kind13_companion_data = 0x070994;
inline constexpr uint32_t kind14_state_record = 0x070BBE;
inline constexpr uint32_t kind14_companion_data = 0x071150;
inline constexpr uint32_t kind5_state_record = 0x0713C6;
inline constexpr uint32_t kind5_companion_data = 0x071B16;
inline constexpr uint32_t kind6_state_record = 0x071CFE;
inline constexpr uint32_t kind6_companion_data = 0x071D60;
inline constexpr uint32_t kind7_state_record = 0x071F26;
inline constexpr uint32_t kind7_companion_data = 0x072BD4;
inline constexpr uint32_t kind8_state_record = 0x072D46;
inline constexpr uint32_t kind8_companion_data = 0x0734FE;
inline constexpr uint32_t kind22_state_record = 0x073696;
inline constexpr uint32_t kind22_companion_data = 0x073896;
inline constexpr uint32_t kind23_state_record = 0x073B82;
inline constexpr uint32_t kind23_companion_data = 0x073C7C;
inline constexpr uint32_t kind24_state_record = 0x073F6A;
inline constexpr uint32_t kind24_companion_data = 0x074064;
inline constexpr uint32_t kind25_state_record = 0x074352;
inline constexpr uint32_t kind25_companion_data = 0x074454;
inline constexpr uint32_t kind26_state_record = 0x074742;
inline constexpr uint32_t kind26_companion_data = 0x074844;
inline constexpr uint32_t kind27_state_record = 0x074AF2;
inline constexpr uint32_t kind27_companion_data = 0x074C92;
inline constexpr uint32_t kind28_state_record = 0x074E50;
inline constexpr uint32_t kind28_companion_data = 0x074F9C;
inline constexpr uint32_t kind29_state_record = 0x075162;
inline constexpr uint32_t kind29_companion_data = 0x0751D2;
inline constexpr uint32_t kind30_state_record = 0x075398;
inline constexpr uint32_t kind30_companion_data = 0x07552E;
inline constexpr uint32_t kind31_state_record = 0x0757A4;
inline constexpr uint32_t kind31_companion_data = 0x075AB8;
inline constexpr uint32_t kind32_state_record = 0x075CA2;
inline constexpr uint32_t kind32_companion_data = 0x075FB4;
inline constexpr uint32_t kind33_state_record = 0x0761A0;
inline constexpr uint32_t kind33_companion_data = 0x0764B4;
inline constexpr uint32_t kind34_state_record = 0x0766AA;
inline constexpr uint32_t kind34_companion_data = 0x076852;
inline constexpr uint32_t kind35_state_record = 0x076A50;
inline constexpr uint32_t kind35_companion_data = 0x076BFA;
inline constexpr uint32_t kind36_state_record = 0x076DFA;
inline constexpr uint32_t kind36_companion_data = 0x076FA2;

// ---- flyers ----
inline constexpr uint32_t flyer_directions = 0x07CA50;       // u8 direction index by path_angle_x >> 6
inline constexpr uint32_t flyer_animations = 0x07CA60;       // u32 by direction index
inline constexpr uint32_t flyer_direction_flags = 0x07CA80;  // u16 flag bits by direction index
inline constexpr uint32_t turret_animations = 0x07CA90;      // u32 by direction index
inline constexpr uint32_t turret_offsets = 0x07CAB0;         // {s16 dx, s16 dy} by direction index
inline constexpr uint32_t shell_box = 0x07CAD0;
inline constexpr uint32_t burst_boxes = 0x07CAD4;      // 4 bytes by burst frame 0-2
inline constexpr uint32_t flyer_shot_gaps = 0x07CAE0;  // u8 by rank tier
inline constexpr uint32_t flyer_hit_table = 0x07CAE4;
inline constexpr uint32_t burst_strength = 0x07CAEA;          // u8 by rank tier
inline constexpr uint32_t flyer_burst_shots = 0x07CAEE;       // u8 by rank tier
inline constexpr uint32_t contact_strength = 0x07CAF2;        // 4 × u8 per type, by rank tier
inline constexpr uint32_t flyer_tally_categories = 0x07CB06;  // u8 per type

// ---- passers_by ----
inline constexpr uint32_t type49_states = 0x069AAA;
inline constexpr uint32_t type49_companion = 0x069B72;
inline constexpr uint32_t type49_part_data = 0x069B76;
inline constexpr uint32_t type50_states = 0x069B86;
inline constexpr uint32_t type50_companion = 0x069C38;
inline constexpr uint32_t type51_states = 0x069C4A;
inline constexpr uint32_t type52_states = 0x069CCE;
inline constexpr uint32_t type52_companion = 0x069DAC;
inline constexpr uint32_t type53_states = 0x069DBE;
inline constexpr uint32_t type53_companion = 0x069EE2;
inline constexpr uint32_t type49_part_states = 0x069F3E;
inline constexpr uint32_t gun_states = 0x072872;
inline constexpr uint32_t type49_script = 0x08F43B;
inline constexpr uint32_t type49_part_script = 0x08F480;
inline constexpr uint32_t struck_script = 0x090009;  // the companion zoomed, type 52's partner
inline constexpr uint32_t type51_companion_script = 0x09001E;
inline constexpr uint32_t type50_script = 0x096CA2;
inline constexpr uint32_t leave_script = 0x096CA7;  // types 50 and 52 walking off
inline constexpr uint32_t type50_act_script = 0x096CE6;
inline constexpr uint32_t zoom_script = 0x096D4C;  // type 51 zoomed, type 52's own
inline constexpr uint32_t type53_script = 0x099048;
inline constexpr uint32_t gun_script = 0x09906D;
inline constexpr uint32_t gun_shot_script = 0x099078;

// ---- path_script ----
inline constexpr uint32_t wave_table =
    0x100000;  // s16 × 1,024 per period (to 0x1009FF), the cosine 256 further

// ---- pickups ----
inline constexpr uint32_t shadow_params = 0x07CD2C;      // companion data of an item
inline constexpr uint32_t item_animations = 0x07CD30;    // u32 by pickup_kind
inline constexpr uint32_t item_boxes = 0x07CD70;         // 4-byte touch box by pickup_kind
inline constexpr uint32_t item_callbacks = 0x07CDA0;     // u32 code by pickup_kind
inline constexpr uint32_t panel_targets = 0x07CDD0;      // {s16 x, s16 y} by player_count × 4 + slot
inline constexpr uint32_t carrier_shot_gaps = 0x07D534;  // by 4 × type + rank tier
inline constexpr uint32_t carrier_burst_shots = 0x07D544;
inline constexpr uint32_t contact_cooldowns = 0x07D554;
inline constexpr uint32_t probe_reloads = 0x07D564;
inline constexpr uint32_t carrier_hit_table = 0x07D578;
inline constexpr uint32_t carrier_shot_strength = 0x07D57A;
inline constexpr uint32_t side_burst_strength = 0x07D58A;
inline constexpr uint32_t attachment_x = 0x07D59E;
inline constexpr uint32_t carrier_shot_box = 0x07D5A2;
inline constexpr uint32_t carrier_probe_boxes = 0x07D5A6;  // 4 bytes by side
inline constexpr uint32_t side_burst_box = 0x07D5AE;
inline constexpr uint32_t side_burst_offsets = 0x07D5B2;  // {s16 dx, s16 dy} by side
inline constexpr uint32_t left_item = 0x07D5BA;           // the pickup_record a type-3 carrier leaves

// ---- platform_ai ----
// Per-type tables, one entry per AI type 0 to 8.
inline constexpr uint32_t ai_condition_lists = 0x07AB88;   // u32: 16 condition codes
inline constexpr uint32_t ai_next_state_lists = 0x07ABAC;  // u32: a state per condition code
inline constexpr uint32_t ai_idle_callbacks = 0x07ABD0;    // u32: the type's watch
inline constexpr uint32_t ai_start_animations = 0x07ABF4;  // u32 each
inline constexpr uint32_t ai_walk_animations = 0x07AC18;
inline constexpr uint32_t ai_defeat_animations = 0x07AC3C;
inline constexpr uint32_t ai_jump_animations = 0x07AC60;
inline constexpr uint32_t ai_fall_animations = 0x07AC84;
inline constexpr uint32_t ai_stun_animations = 0x07ACA8;
inline constexpr uint32_t ai_knockback_animations = 0x07ACCC;
inline constexpr uint32_t ai_window_margins = 0x07ACF0;    // 4 x s16: left, right, top, bottom
inline constexpr uint32_t ai_energy = 0x07AD38;            // u16
inline constexpr uint32_t ai_scores = 0x07AD4A;            // u16
inline constexpr uint32_t ai_walk_speeds = 0x07AD5C;       // u16
inline constexpr uint32_t ai_landing_states = 0x07AD6E;    // u8
inline constexpr uint32_t ai_hit_sounds = 0x07AD77;        // u8
inline constexpr uint32_t ai_tally_categories = 0x07AE11;  // u8
// The decision's tests by condition code.
inline constexpr uint32_t ai_condition_routines = 0x07A846;
// Shared tables of the actions.
inline constexpr uint32_t ai_probe_boxes = 0x07AE1A;
inline constexpr uint32_t ai_type0_boxes = 0x07AE5A;          // strike box (probe 0), probe 1
inline constexpr uint32_t ai_type0_attack_states = 0x07AE6A;  // a state per probe box
inline constexpr uint32_t ai_type0_throw = 0x07AE6C;          // s8 x step, s8 y step, s16 x, s16 y offsets
inline constexpr uint32_t ai_type0_thrown_box = 0x07AE72;
inline constexpr uint32_t ai_hit_states = 0x07AE76;
inline constexpr uint32_t ai_stun_frames = 0x07AE79;
inline constexpr uint32_t ai_type0_windup_frames = 0x07AE7D;
inline constexpr uint32_t ai_type0_strike_strengths = 0x07AE81;
inline constexpr uint32_t ai_type0_throw_strengths = 0x07AE85;

// ---- platform_types ----
inline constexpr uint32_t player_picks = 0x07BAD2;             // 4 bytes per set of slot bits
inline constexpr uint32_t pick_player_offsets = 0x07BB10;      // u16 per pick
inline constexpr uint32_t platform_effect_offsets = 0x07BB66;  // s16 x, s16 y per type
inline constexpr uint32_t type1_states = 0x07BBF7;
inline constexpr uint32_t type1_hit_states = 0x07BF4B;
inline constexpr uint32_t jump_back_box = 0x07BF4E;
inline constexpr uint32_t high_jump_box = 0x07BF56;
inline constexpr uint32_t ground_strike_box = 0x07BF5E;
inline constexpr uint32_t type1_watch_boxes = 0x07BF62;     // u32 per watch index
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
inline constexpr uint32_t type2_hit_states = 0x07D938;        // 3 bytes, a further 3 per state above 15
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
inline constexpr uint32_t short_effect_animation = 0x134B1E;

// ---- playfield_objects ----
inline constexpr uint32_t hold_icons = 0x079ED4;    // u8 per camera_script_hold value
inline constexpr uint32_t icon_scripts = 0x079EE0;  // u32 per icon number
inline constexpr uint32_t area_decoration_a =
    0x081556;  // decoration records: animation, world x, world y, height
inline constexpr uint32_t area_decoration_b = 0x081560;
inline constexpr uint32_t layer_decoration_a = 0x08156A;
inline constexpr uint32_t layer_decoration_b = 0x081574;

// ---- props ----
inline constexpr uint32_t prop_routines = 0x081ABA;          // u32
inline constexpr uint32_t prop_animations = 0x081AD2;        // u32
inline constexpr uint32_t prop_knock_animations = 0x081AEA;  // u32
inline constexpr uint32_t prop_energy = 0x081B1A;            // u16
inline constexpr uint32_t prop_scores = 0x081B26;            // u16
inline constexpr uint32_t prop_hit_sounds = 0x081B32;        // u8
inline constexpr uint32_t prop_companions = 0x081B3A;        // 4 bytes

// ---- set_piece ----
inline constexpr uint32_t set_piece_attack_kinds = 0x0835E8;       // u8 per 2 x cycle + random bit
inline constexpr uint32_t set_piece_attack_animations = 0x0835F0;  // u32 per attack kind
inline constexpr uint32_t set_piece_attack_boxes = 0x083604;       // two 4-byte boxes per attack kind
inline constexpr uint32_t set_piece_first_animations = 0x08362C;   // u32 per 4 x phase + cycle
inline constexpr uint32_t set_piece_phase_lengths = 0x08368C;      // u8 per phase
inline constexpr uint32_t set_piece_body_hits =
    0x083692;  // flash frames by rank, state after a hit, after the defeat
inline constexpr uint32_t set_piece_attack_strength = 0x083698;  // u8 by rank
inline constexpr uint32_t set_piece_guard_wait = 0x0841D4;       // u8 by rank
inline constexpr uint32_t set_piece_guard_strength = 0x0841D8;   // u8 by rank
inline constexpr uint32_t set_piece_guard_box = 0x0841DC;
inline constexpr uint32_t set_piece_appear_animation = 0x090469;
inline constexpr uint32_t set_piece_body_animation = 0x090474;
inline constexpr uint32_t set_piece_guard_animation = 0x0922F8;

// ---- set_pieces ----
inline constexpr uint32_t camera_enemy_states = 0x082B78;  // u32 per state
inline constexpr uint32_t rider_states = 0x0844D4;         // u32 per rider state
inline constexpr uint32_t riding_routines = 0x08467C;      // u32 by rider type
inline constexpr uint32_t route_jumps = 0x084690;          // {s16 dx, s16 dy} by route
inline constexpr uint32_t route_steps = 0x0846B0;          // {s8 x, s8 y} by route
inline constexpr uint32_t route_frames = 0x0846C0;         // u8 by route
inline constexpr uint32_t landed_routines = 0x0846C8;      // u32 by rider type
inline constexpr uint32_t riding_animations = 0x0846E0;    // u32 by rider type
inline constexpr uint32_t rider_carrier_hit_table = 0x0846F4;
inline constexpr uint32_t rider_cooldowns = 0x0846FA;  // u8 by rank tier
inline constexpr uint32_t rider_hit_states = 0x0846FE;
inline constexpr uint32_t rider_stun_frames = 0x084701;

// ---- spawning ----
inline constexpr uint32_t spawn_routine_table = 0x066424;  // u32 per spawn type
inline constexpr uint32_t spawn_list_table = 0x06650C;     // u32 per stage: u32 per area

// ---- two_piece ----
inline constexpr uint32_t two_piece_states = 0x07DD4D;           // u32 routine per state
inline constexpr uint32_t two_piece_wait_animations = 0x07E378;  // u32 per direction
inline constexpr uint32_t two_piece_mirror_bits = 0x07E3B8;      // u16 per direction
inline constexpr uint32_t two_piece_steps_left = 0x07E3D8;       // (s16 dx, s16 dy) per direction
inline constexpr uint32_t two_piece_steps_right = 0x07E418;
inline constexpr uint32_t two_piece_follower_animations = 0x07E458;
inline constexpr uint32_t two_piece_idle_animations = 0x07E498;  // u32 per 16 x variant + direction
inline constexpr uint32_t two_piece_attack_animations = 0x07E518;
inline constexpr uint32_t two_piece_attack_box_numbers =
    0x07E598;  // u32 per variant -> bytes per 16 x frame + direction
inline constexpr uint32_t two_piece_attack_boxes = 0x07E880;  // 4-byte boxes by number
inline constexpr uint32_t two_piece_hit_states = 0x07E904;
inline constexpr uint32_t two_piece_approach_box = 0x07E90C;
inline constexpr uint32_t two_piece_probe_boxes = 0x07E910;       // per variant; entry 0 is the strike box
inline constexpr uint32_t two_piece_stun_frames = 0x07E918;       // 4 per variant, by rank
inline constexpr uint32_t two_piece_attack_reload = 0x07E920;     // by rank
inline constexpr uint32_t two_piece_strengths = 0x07E928;         // 4 per variant, by rank
inline constexpr uint32_t two_piece_landing_strength = 0x07E930;  // by rank
inline constexpr uint32_t two_piece_jump_animations = 0x07E938;   // u32 per variant
inline constexpr uint32_t two_piece_strike_animation = 0x136E0A;

// ---- volley ----
inline constexpr uint32_t volley_states = 0x07F416;           // u32 step per state
inline constexpr uint32_t volley_octant_boxes = 0x07F812;     // 3 bytes per octant: count, box numbers
inline constexpr uint32_t volley_aim_boxes = 0x07F82A;        // 4 x s16 per box number
inline constexpr uint32_t volley_boxes = 0x07F862;            // 4-byte box per frame index
inline constexpr uint32_t volley_shot_box_lists = 0x07F876;   // 3 bytes per projectile
inline constexpr uint32_t volley_shot_boxes = 0x07F88E;       // 4-byte box per number
inline constexpr uint32_t volley_shots = 0x07F8AA;            // 12-byte entry per projectile
inline constexpr uint32_t volley_wait_animations = 0x07F90A;  // u32 per random 0-3
inline constexpr uint32_t volley_aim_animations = 0x07F91A;   // u32 per octant
inline constexpr uint32_t volley_chosen_states = 0x07F93A;    // u8 per random 0-3
inline constexpr uint32_t volley_hit_states = 0x07F93E;
inline constexpr uint32_t volley_stun_frames = 0x07F942;  // the rank tables below: u8 by rank
inline constexpr uint32_t volley_step_timer = 0x07F946;
inline constexpr uint32_t volley_rest_timer = 0x07F94A;
inline constexpr uint32_t volley_aim_strength = 0x07F94E;
inline constexpr uint32_t volley_shot_strength = 0x07F952;
inline constexpr uint32_t volley_strength = 0x07F956;

}  // namespace rom
