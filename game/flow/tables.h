// Tables of the program ROM that the game flow and the players read, named once
// by their guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- boss_bar ----
inline constexpr uint32_t bar_portrait_frames = 0x0699DD;  // u8 per bar subject
inline constexpr uint32_t bar_names = 0x069A02;            // s16 per bar subject, to its text
inline constexpr uint32_t bar_colours = 0x069A8C;          // 6 bytes per bar variant
inline constexpr uint32_t bar_portrait = 0x08F09B;         // the portrait's animation script

// ---- character_select ----
inline constexpr uint32_t select_objects = 0x06301C;    // count, then {u32 routine, u8 type}
inline constexpr uint32_t place_characters = 0x06304A;  // 5 bytes per layout
inline constexpr uint32_t character_places = 0x063068;  // 4 bytes per layout
inline constexpr uint32_t select_portraits = 0x063080;  // u32 script per character
inline constexpr uint32_t marker_positions = 0x063094;  // {x, y} per marker
inline constexpr uint32_t cursor_players = 0x063014;    // 16-bit offset from 0x208000 per cursor
inline constexpr uint32_t cursor_positions = 0x0630A8;  // {x, y} per place
inline constexpr uint32_t cursor_scripts = 0x0630C8;    // u32 per cursor
inline constexpr uint32_t taken_sounds = 0x063136;      // sound code per character

// ---- effects ----
inline constexpr uint32_t touch55_states = 0x0770F4;      // u32 step per state
inline constexpr uint32_t touch56_states = 0x0771B8;      // u32 step per state
inline constexpr uint32_t drifter_states = 0x077284;      // u32 step per state
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
inline constexpr uint32_t game_over_texts[2] = {0x062B11, 0x062B36};
inline constexpr uint32_t demo_setups = 0x062A88;      // by player_count: 4-byte rows by demo_index
inline constexpr uint32_t demo_characters = 0x062AA4;  // by player_count: 4-byte rows by demo_index
inline constexpr uint32_t area_port_bytes = 0x062AC0;  // by stage

// ---- modes ----
inline constexpr uint32_t notice_text = 0x06061B;
inline constexpr uint32_t title_texts = 0x06075A;
inline constexpr uint32_t presentation_actor_lists = 0x081ECE;
inline constexpr uint32_t presentation_palettes = 0x081F1E;
inline constexpr uint32_t presentation_second_palette = 0x126EFE;
inline constexpr uint32_t reveal_mask = 0x08A872;
inline constexpr uint32_t title_scene = 0x09DC50;
inline constexpr uint32_t demo_streams = 0x103F02;
inline constexpr uint32_t title_palette = 0x08E264;
inline constexpr uint32_t menu_palette = 0x08E240;

// ---- panels ----
inline constexpr uint32_t credit_cells = 0x061B90;   // per slot + base
inline constexpr uint32_t message_cells = 0x061B4E;  // per slot + base
inline constexpr uint32_t character_names = 0x061CFE;
inline constexpr uint32_t energy_label = 0x061D36;
inline constexpr uint32_t energy_out = 0x061B3E;        // pair; the second is the message
inline constexpr uint32_t leaving_messages = 0x061B46;  // pair; the second is the message
inline constexpr uint32_t continue_headings[2] = {0x061C9C, 0x061CB0};
inline constexpr uint32_t small_count_cells = 0x06310C;
inline constexpr uint32_t big_digits = 0x061D3A;
inline constexpr uint32_t logo_closing_text = 0x061CF0;

// ---- player ----
// Tables by character c (4c for 32-bit entries) and action a.
inline constexpr uint32_t pressed_byte_offsets =
    0x064FE0;  // by newly pressed direction bits: the record byte set to 32, 0 none
inline constexpr uint32_t swing_effects = 0x0651C7;  // effect type by action, 0 none
inline constexpr uint32_t connect_effects = 0x0651BD;
inline constexpr uint32_t launch_frame = 0x065147;  // by character
inline constexpr uint32_t special_cost = 0x063326;
inline constexpr uint32_t dash_values = 0x063302;  // 3 bytes by character: state_timer, step_x, rise_speed
inline constexpr uint32_t hit_facing = 0x0650D0;   // flags bits by reaction (16-bit)
inline constexpr uint32_t knock_back_tables = 0x063336;  // 32-bit by character: s16 x offset by frame
inline constexpr uint32_t hit_sounds = 0x0651B1;         // by character
inline constexpr uint32_t release_sounds = 0x0651B5;
inline constexpr uint32_t defeat_sounds = 0x0651B9;
inline constexpr uint32_t standing_anim = 0x063E1C;
inline constexpr uint32_t weak_standing_anim = 0x064FF0;
inline constexpr uint32_t idle_anim = 0x065000;
inline constexpr uint32_t walking_anim = 0x063E2C;
inline constexpr uint32_t player_walk_table = 0x064F20;
inline constexpr uint32_t steer_table = 0x064F60;
inline constexpr uint32_t drift_table = 0x064FA0;
inline constexpr uint32_t jump_anim = 0x0650EC;
inline constexpr uint32_t fall_anim = 0x0650FC;
inline constexpr uint32_t land_anim = 0x06510C;
inline constexpr uint32_t attack_anim = 0x065010;
inline constexpr uint32_t strike_frame = 0x06513C;
inline constexpr uint32_t attack_boxes = 0x063288;
inline constexpr uint32_t attack_strengths = 0x06325C;
inline constexpr uint32_t swing_sounds = 0x06516A;
inline constexpr uint32_t connect_sounds = 0x06519A;
inline constexpr uint32_t grab_box = 0x06330E;
inline constexpr uint32_t grab_anim = 0x065090;
inline constexpr uint32_t throw_strength = 0x06331E;
inline constexpr uint32_t top_state = 0x065150;
inline constexpr uint32_t special_state = 0x065143;
inline constexpr uint32_t special_anim = 0x065080;
inline constexpr uint32_t special_strike = 0x06514B;  // the strike frame, then its box
inline constexpr uint32_t jump_attack_cost = 0x06332A;
inline constexpr uint32_t air_special_cost = 0x06332E;
inline constexpr uint32_t throw_cost = 0x063332;
inline constexpr uint32_t arc_start = 0x065154;
inline constexpr uint32_t arc_end = 0x065156;
inline constexpr uint32_t arc_radius = 0x065158;
inline constexpr uint32_t arc_object = 0x06515A;
inline constexpr uint32_t held_anim = 0x06511C;
inline constexpr uint32_t held_anim_b = 0x06512C;
inline constexpr uint32_t hurt_anim = 0x0650A0;
inline constexpr uint32_t defeat_anim = 0x0650DC;

// ---- player_attacks ----
// Steps (bytes) and offset pairs (4 bytes) by direction code, boxes and
// animations of the attack kinds.
inline constexpr uint32_t beam_steps =
    0x078618;  // s8 x step by direction code (a non-negative step sets mirror bit 6)
inline constexpr uint32_t beam_offsets = 0x078678;  // {s16 x, s16 y} by direction code
inline constexpr uint32_t thrown_attack_steps = 0x0787FC;
inline constexpr uint32_t thrown_attack_offsets = 0x07885C;
inline constexpr uint32_t shot_steps = 0x0789E0;
inline constexpr uint32_t shot_offsets = 0x078A40;
inline constexpr uint32_t beam_box = 0x078614;
inline constexpr uint32_t thrown_attack_box = 0x0787F8;
inline constexpr uint32_t shot_box = 0x0789DC;
inline constexpr uint32_t projectile_box = 0x078DA4;
inline constexpr uint32_t sweep_boxes = 0x078DA8;            // 4 × owner frame
inline constexpr uint32_t sweep_offsets = 0x078DC0;          // s8 by owner frame
inline constexpr uint32_t double_sweep_boxes_up = 0x078DC6;  // 8 × owner frame, words
inline constexpr uint32_t double_sweep_boxes_down = 0x078E0E;
inline constexpr uint32_t double_sweep_offsets = 0x078E56;  // s8 by owner frame
inline constexpr uint32_t beam_animation = 0x12C706;
inline constexpr uint32_t fragment_animation = 0x12C70B;
inline constexpr uint32_t thrown_attack_animation = 0x129D8E;
inline constexpr uint32_t shot_animation = 0x12B051;
inline constexpr uint32_t carried_animation = 0x12DCDF;
inline constexpr uint32_t projectile_animation = 0x09338C;
inline constexpr uint32_t wave_box = 0x077B74;
inline constexpr uint32_t attack_type_routines = 0x07859C;  // 32-bit entries by type
inline constexpr uint32_t placed_offsets = 0x078600;        // 4c: x offset, height offset
inline constexpr uint32_t carried_box = 0x078BC0;
inline constexpr uint32_t carried_mirror = 0x078BC4;   // u8 by direction code
inline constexpr uint32_t carried_offsets = 0x078C24;  // offset pairs (4 bytes) by direction code
inline constexpr uint32_t aimed_strength = 0x078EAF;   // u8 by the owner's character
inline constexpr uint32_t placed_strength = 0x078EB3;  // u8 by the owner's character
inline constexpr uint32_t wave_animation = 0x0929E3;

// ---- presentation ----
inline constexpr uint32_t drop_scripts = 0x081F32;                  // 32-bit per scene
inline constexpr uint32_t drop_places = 0x081F46;                   // x, y, depth key per scene
inline constexpr uint32_t presentation_texts = 0x081F64;            // 32-bit per scene, 0 = no text
inline constexpr uint32_t presentation_first_cell = 0x081F78;       // 16-bit low half, high half 0x0031
inline constexpr uint32_t presentation_text_attributes = 0x081F7A;  // 8-bit per scene
inline constexpr uint32_t ranking_places = 0x08A862;                // x, y per ranking index
inline constexpr uint32_t particle_places = 0x08AD0A;               // x, y per particle index
inline constexpr uint32_t ranking_script = 0x1319A2;
inline constexpr uint32_t split_script = 0x13236D;
inline constexpr uint32_t emitter_script = 0x132398;
inline constexpr uint32_t particle_script = 0x13239D;

// ---- rank ----
inline constexpr uint32_t player_factors = 0x063208;     // by the slots in play (game_flags low byte)
inline constexpr uint32_t rank_start_offset = 0x063218;  // added to the base for the starting rank
inline constexpr uint32_t rank_schedule = 0x063229;      // 8 values, by rank_step
inline constexpr uint32_t stage_ranks = 0x063231;        // by stage - 1
inline constexpr uint32_t continue_raise = 0x063236;
inline constexpr uint32_t area_ranks = 0x063237;  // by 6 × stage + area

// ---- ranking ----
inline constexpr uint32_t choice_sets = 0x08A818;   // 32-bit per position: mask, then mask + 1 codes
inline constexpr uint32_t arrival_bits = 0x08A84C;  // 8-bit per position
inline constexpr uint32_t rank_label_attribute = 0x08A850;
inline constexpr uint32_t rank_labels = 0x08A851;  // 4 characters per rank
inline constexpr uint32_t default_ranking = 0x08A77E;
inline constexpr uint32_t ranking_blocks = 0x08A79E;  // 16-bit offset by character
inline constexpr uint32_t ranking_title_offset = 0x08A7A6;
inline constexpr uint32_t ranking_title_attribute = 0x08A7A8;
inline constexpr uint32_t ranking_titles = 0x08A7A9;  // 32-bit text by character
inline constexpr uint32_t ranking_label_attribute = 0x08A7DD;
inline constexpr uint32_t ranking_labels = 0x08A7DE;        // 32-bit {offset, text} by row
inline constexpr uint32_t ranking_score_fields = 0x08A807;  // 16-bit offset by row
inline constexpr uint32_t ranking_initials_attribute = 0x08A80F;
inline constexpr uint32_t ranking_initials_fields = 0x08A810;  // 16-bit offset by row

// ---- results ----
inline constexpr uint32_t digit_limits = 0x061E7E;          // 32-bit largest value of n digits
inline constexpr uint32_t digit_weights = 0x061EAA;         // 32-bit weight of digit k
inline constexpr uint32_t lower_glyph_cells = 0x061EDA;     // 16-bit by glyph, 4 apart
inline constexpr uint32_t upper_glyph_cells = 0x061EDC;     // 16-bit by glyph, 4 apart
inline constexpr uint32_t results_players = 0x084DA0;       // 32-bit player record by slot
inline constexpr uint32_t results_portraits = 0x084DB0;     // 32-bit script by character
inline constexpr uint32_t results_categories = 0x084DC0;    // 32-bit category list by stage - 1
inline constexpr uint32_t results_places = 0x084DE8;        // 32-bit by player count: {x, y, depth} by slot
inline constexpr uint32_t results_text_origins = 0x084E2A;  // 16-bit cell by slot + base
inline constexpr uint32_t heading_offset = 0x084E3C;
inline constexpr uint32_t heading_attribute = 0x084E3E;
inline constexpr uint32_t results_headings = 0x084E3F;  // 32-bit text by slot
inline constexpr uint32_t count_label = 0x084E70;       // {offset, attribute, text}
inline constexpr uint32_t count_number_offset = 0x084E75;
inline constexpr uint32_t bonus_label = 0x084E78;  // {offset, attribute, text}
inline constexpr uint32_t bonus_number_offset = 0x084E81;
inline constexpr uint32_t energy_line_label = 0x084E84;  // {offset, attribute, text}
inline constexpr uint32_t energy_number_offset = 0x084E8C;
inline constexpr uint32_t energy_bonuses = 0x084E8F;          // 32-bit by factor: 16-bit by rank
inline constexpr uint32_t results_position_bases = 0x084EBF;  // byte by player count
inline constexpr uint32_t icon_offsets = 0x084EC4;            // {x, y} by icon number
inline constexpr uint32_t bonus_icon_offset = 0x084F04;       // {x, y}
inline constexpr uint32_t bonus_icon_offset_y = 0x084F06;
inline constexpr uint32_t icon_script = 0x08EF90;
inline constexpr uint32_t results_palette = 0x127102;

// ---- slots ----
inline constexpr uint32_t player_start_y = 0x063E4C;  // s16 per stage and area
inline constexpr uint32_t placed_scripts = 0x063E3C;
inline constexpr uint32_t offset_rows = 0x063E7E;   // first row per player_count
inline constexpr uint32_t slot_offsets = 0x063E82;  // {x, y} per row

// ---- stage_intro ----
inline constexpr uint32_t intro_actor_lists = 0x089E34;   // 32-bit by stage - 1
inline constexpr uint32_t intro_countdowns = 0x089EBC;    // 16-bit by stage - 1
inline constexpr uint32_t intro_title_delays = 0x089EC4;  // 16-bit by stage - 1
inline constexpr uint32_t intro_palettes = 0x089ECC;      // 32-bit by stage - 1
inline constexpr uint32_t intro_sounds = 0x08A004;        // byte by stage
inline constexpr uint32_t intro_titles = 0x08A009;        // 32-bit by stage - 1
inline constexpr uint32_t banner_script = 0x13278E;
inline constexpr uint32_t delayed_sprite = 0x089EDC;   // {script, delay, x, y}
inline constexpr uint32_t growing_actor_a = 0x089F2C;  // {script, delay, x, y, steps, limits}
inline constexpr uint32_t growing_actor_b = 0x089F3C;
inline constexpr uint32_t intro_arc_delay = 0x089FE4;
inline constexpr uint32_t intro_arc_start_x = 0x089FE6;
inline constexpr uint32_t intro_arc_start_y = 0x089FE8;
inline constexpr uint32_t intro_arc_step_x = 0x089FEA;
inline constexpr uint32_t intro_arc_step_y = 0x089FEB;
inline constexpr uint32_t intro_arc_end_x = 0x089FEC;
inline constexpr uint32_t intro_arc_end_y = 0x089FEE;
inline constexpr uint32_t intro_arc_script = 0x12EFD0;
inline constexpr uint32_t intro_sound_sequence = 0x089FF6;  // {16-bit delay, 8-bit code} pairs

// ---- stage_setup ----
inline constexpr uint32_t stage_descriptor_table = 0x08541E;  // 32-bit by stage
inline constexpr uint32_t object_list_table = 0x08DD98;       // 32-bit by stage, then 32-bit by area
inline constexpr uint32_t graphics_source = 0x108F36;         // source base of the scene graphics
inline constexpr uint32_t demo_graphics = 0x085432;           // 32-bit by demo_index: job list, source base
inline constexpr uint32_t stage_modes = 0x085402;             // byte by stage
inline constexpr uint32_t stage_palette_blocks = 0x08540A;    // 32-bit by stage
inline constexpr uint32_t area_mixer_nibbles = 0x0853B2;      // 4 bytes by (stage - 1) × 5 + area - 1

// ---- title ----
inline constexpr uint32_t hidden_sequence = 0x07797A;
inline constexpr uint32_t hidden_sequence_text = 0x077985;
inline constexpr uint32_t title_scripts = 0x077AFC;        // 32-bit per type
inline constexpr uint32_t title_timers = 0x077B1C;         // 16-bit per type
inline constexpr uint32_t title_positions = 0x077B2C;      // x, y per type
inline constexpr uint32_t title_steps = 0x077B4C;          // two signed bytes per type
inline constexpr uint32_t title_accelerations = 0x077B5A;  // two signed bytes per frame index
inline constexpr uint32_t watcher_palette = 0x125852;
inline constexpr uint32_t squash_picture = 0x13168B;
inline constexpr uint32_t title_picture = 0x132352;
inline constexpr uint32_t watcher_picture = 0x132763;

}  // namespace rom
