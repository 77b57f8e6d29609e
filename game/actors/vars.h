// Variables of the enemies and actors (spawning, enemy states, platform
// enemies, passers-by, props), named once. Absolute guest addresses; see
// game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

#include "game/engine/states.h"

namespace var {

// ---- enemy bookkeeping (0x20C100-0x20C151), reset at every stage and area start ----
constexpr uint32_t random_state = 0x20C100;      // 32-bit state of the demo's seeded generator
constexpr uint32_t live_enemy_count = 0x20C14C;  // 8-bit, raised by every enemy set-up
constexpr uint32_t vanish_stagger = 0x20C14D;    // 8-bit, wait of the next enemy sent to vanish
constexpr uint32_t enemy_flags = 0x20C14E;       // 32-bit, bits in enemy_flag; the reset clears the low byte

}  // namespace var

// ---- objects attached to an actor: companions, child effects, the enemy
// kinds' children (the record layouts below are read beside object_record) ----

// A companion (64 bytes) beyond the common head: the sizes and offsets its
// two fixed part sets are drawn with.
namespace companion_record {
constexpr uint32_t x_offset_base = 48;     // 16-bit, word 0 of the creator's data
constexpr uint32_t source_width = 50;      // 8-bit, scaled during an area change
constexpr uint32_t source_height = 51;     // 8-bit
constexpr uint32_t part_height = 52;       // 16-bit, word 2 of the drawn parts
constexpr uint32_t part_width = 54;        // 16-bit, word 3: low 10 bits the width
constexpr uint32_t y_offset = 56;          // 16-bit, word 1 of the creator's data
constexpr uint32_t x_offset = 58;          // 16-bit, base + the parent's first-part X offset
constexpr uint32_t parent_x_offset = 106;  // 16-bit, read on the parent
}  // namespace companion_record

// A child effect (128 bytes) beyond the common head.
namespace child_effect_record {
constexpr uint32_t scale = 39;       // 8-bit, the pulse's current scale
constexpr uint32_t scale_step = 40;  // s8, negated at every reversal
constexpr uint32_t period = 41;      // 8-bit, frames between reversals
constexpr uint32_t delay = 54;       // 8-bit start delay, then ...
constexpr uint32_t lifetime = 54;    // ... 16-bit frames left
constexpr uint32_t entry = 72;       // 32-bit, the table entry's header, then its offsets
constexpr uint32_t countdown = 76;   // 8-bit, blink or pulse
}  // namespace child_effect_record

// The boss bar's fields beside the enemy fields of object_record that the
// kinds' children and the entrance state use.
namespace enemy_child {
constexpr uint32_t bar_energy = 32;  // 16-bit, on a boss bar: the energy shown
constexpr uint32_t bar_step = 34;    // 16-bit, on a boss bar: its step
}  // namespace enemy_child

// ---- spawn generators, the progress watcher and the enemy kinds' set-ups ----

namespace enemy_flag {
constexpr unsigned boss_bar = 0;
constexpr unsigned wave_lock = 1;
}  // namespace enemy_flag

// A kind's ROM record: every field the address of a table.
namespace enemy_state_record {
constexpr uint32_t state_routines = 0;         // u32 code address per state
constexpr uint32_t animation_set = 4;          // enemy_animation_set
constexpr uint32_t idle_animations = 8;        // 2 × u32 scripts: normal, energy below 50
constexpr uint32_t direction_velocities = 12;  // (s8 dx, s8 dy) per direction index
constexpr uint32_t rank_bytes = 20;            // u8 per rank tier
constexpr uint32_t pattern_thresholds = 24;    // s16 offsets per rank tier to ascending u8 lists
constexpr uint32_t pattern_values = 28;        // s16 offsets per rank tier to u16 lists by pattern
constexpr uint32_t pattern_boxes = 32;         // 6-byte entries by pattern
constexpr uint32_t pattern_attacks = 36;       // 6-byte entries by pattern
constexpr uint32_t approach_offsets = 44;      // 16 × (s16 dx, s16 dy)
constexpr uint32_t behaviour_params = 48;      // u8 walk time, then bytes of the kind
}  // namespace enemy_state_record

// The scripts an enemy_state_record's animation set names (u32 each).
namespace enemy_animation_set {
constexpr uint32_t appearance = 0;  // grow-in
constexpr uint32_t seek = 4;
constexpr uint32_t walk = 8;       // frame list stepped by the motion
constexpr uint32_t patterns = 16;  // address of u32 scripts by attack pattern
}  // namespace enemy_animation_set

// A 6-byte entry of pattern_boxes and pattern_attacks.
namespace pattern_entry {
constexpr uint32_t hit_frame = 0;  // pattern_attacks only
constexpr uint32_t flag = 1;       // bit 7 set: the box is stored at +2; clear: +2 holds its address
constexpr uint32_t box = 2;
constexpr uint32_t size = 6;
}  // namespace pattern_entry

// The generic-AI enemy's fields beyond the common head (128-byte objects).
// Its speeds are object_record's velocity_x and velocity_y (+1 each frame of
// a jump or fall), which the thrown objects of types 0 and 3 use too, and
// enemy_timer counts the frames to its next decision.
namespace platform_enemy {
constexpr uint32_t ai_facing_code = 38;   // u8, type 2: picks facing and start animation
constexpr uint32_t ai_probe_side = 55;    // u8, bit 0 picks the watch's probe box
constexpr uint32_t ai_attack_timer = 56;  // u8, watch interval, then wind-up
constexpr uint32_t ai_stun_timer = 57;    // u8
constexpr uint32_t ai_variant = 62;       // u8, types 1 and 4: animation set
constexpr uint32_t ai_platforms = 72;     // u32, the platform_list
constexpr uint32_t ai_segment = 76;       // u8, offset of the current segment entry
constexpr uint32_t ai_window_left = 78;   // s16 camera range in which the enemy runs
constexpr uint32_t ai_window_right = 80;
constexpr uint32_t ai_window_top = 82;
constexpr uint32_t ai_window_bottom = 84;
constexpr uint32_t ai_jump_flag = 86;  // u8, types 1 and 4: cleared by the high jump
constexpr uint32_t ai_target_x = 86;   // s16, type 2: where the leap lands
constexpr uint32_t ai_target_y = 88;
constexpr uint32_t ai_thrower_variant = 88;  // u8, type 3
constexpr uint32_t ai_home_x = 90;           // s16, type 2
constexpr uint32_t ai_home_y = 92;
constexpr uint32_t ai_last_flags = 90;  // u16, type 3: the flags as its frame began
constexpr uint32_t part_word2 = 100;    // u16, words 2 and 3 of the first copied part
constexpr uint32_t part_word3 = 102;
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
// A ROM spawn list entry (10 bytes); a type byte with bit 7 ends the list.
namespace spawn_record {
constexpr uint32_t type = 0;         // 8-bit, index into the spawn routine table
constexpr uint32_t flags = 1;        // s8: 0 or negative = boss record
constexpr uint32_t trigger_x = 2;    // 16-bit camera X (sweep mode)
constexpr uint32_t world_x = 4;      // 16-bit
constexpr uint32_t world_y = 6;      // 16-bit
constexpr uint32_t data_offset = 8;  // 16-bit, from this field to the spawn data; 0 = none
constexpr uint32_t size = 10;
constexpr unsigned respawn = 0;  // flags bits of an ordinary record
constexpr unsigned after_boss = 5;
constexpr unsigned wave_lock = 6;
}  // namespace spawn_record

// The generator (a 256-byte object) beyond the common head.
namespace spawn_generator {
constexpr uint32_t count = 2;      // 8-bit, records in the list
constexpr uint32_t last_x = 12;    // 16-bit, camera X of the last pass
constexpr uint32_t counters = 16;  // 16-bit spawn_counter per record
}  // namespace spawn_generator

// spawn_counter values beside a live object's low half.
namespace spawn_counter {
constexpr uint16_t armed = 0x0000;
constexpr uint16_t done = 0x8000;
constexpr uint16_t respawn_delay = 0xFE20;  // re-armed 480 passes later
}  // namespace spawn_counter

// The progress watcher (a 128-byte object) beyond the common head.
namespace progress_watcher {
constexpr uint32_t peak = 3;       // 8-bit, most live enemies since the restart
constexpr uint32_t last_x = 16;    // 16-bit camera X of the last counted frame
constexpr uint32_t stallers = 45;  // 8-bit, its kind-58 enemies alive
constexpr uint32_t frames = 54;    // 16-bit frames counted
constexpr uint32_t progress = 72;  // 16-bit camera progress since the restart
}  // namespace progress_watcher

// Enemy fields the kinds' set-ups write beyond enemy_child's.
namespace enemy_setup {
constexpr uint32_t field_80 = 80;           // 16-bit, 0 at set-up
constexpr uint32_t overlay_flag = 85;       // 8-bit, kind 14
constexpr uint32_t overlay_companion = 86;  // 16-bit, kinds 13 and 14
constexpr uint32_t spawn_data = 88;         // 32-bit, kinds 7 and 8
constexpr uint32_t boss_byte = 92;          // 8-bit, kinds 7 and 8
}  // namespace enemy_setup
// ---- passers-by, the zoomed placement, the camera indicator, the stage
// events with their decorations, and the props ----

namespace var {
constexpr uint32_t layer_camera = 0x2083C0;  // camera record 3, the background layer's
}  // namespace var

// Video shadow words (offsets in var::video_shadow) and the mixer word (in
// var::mixer_shadow) that the stage events write.
namespace video_reg {
constexpr uint32_t wipe_position = 0x7A;  // 16-bit, counts 0 to 96 during the wipe
constexpr uint32_t wipe_extent = 0x7E;    // 16-bit, 96 during the wipe, 223 after it
}  // namespace video_reg
namespace mixer_reg {
constexpr uint32_t nbg3_priority = 0x28;  // bits 0-3 the layer's priority
}  // namespace mixer_reg

// Passer-by fields beyond object_record's enemy fields (velocities, rise
// speed, timer; offset_index non-zero keeps type 53's gun still) and
// object_record::target_slot; the zoomed placement's fields of any object.
namespace passer_by {
constexpr uint32_t wave_phase = 41;          // 8-bit, type 53's bobbing phase
constexpr uint32_t zoom_dx = 72;             // s16, offset from the screen centre
constexpr uint32_t zoom_dy = 74;             // s16
constexpr uint32_t part_source_width = 98;   // 8-bit, of the first copied sprite part
constexpr uint32_t part_source_height = 99;  // 8-bit
constexpr uint32_t part_height = 100;        // 16-bit, bits 0-9 the drawn height
constexpr uint32_t part_width = 102;         // 16-bit, bits 0-9 the drawn width
}  // namespace passer_by

// The stage-event object (128 bytes, not on the ring) beyond the head.
namespace stage_event {
constexpr uint32_t wipe_speed = 54;  // s16, the layer's fall during the wipe
}  // namespace stage_event

// A decoration's ROM record: its animation and where it stands.
namespace decoration_record {
constexpr uint32_t animation = 0;  // 32-bit
constexpr uint32_t world_x = 4;    // s16 each
constexpr uint32_t world_y = 6;
constexpr uint32_t height = 8;
constexpr uint32_t size = 10;
}  // namespace decoration_record

// A prop (128 bytes) beyond the head; knocked away, it moves by velocity_x.
namespace prop_record {
constexpr uint32_t vertical_speed = 41;  // s8
constexpr uint32_t bounce_speed = 54;    // s8, knocked away ...
constexpr uint32_t counter = 54;         // ... or 8-bit frames of the wait and the blink
constexpr uint32_t flash_timer = 57;     // 8-bit, frames without hit boxes after a hit
}  // namespace prop_record

// ---- the two-piece enemies (types 5 and 6), the volley enemy (type 7) and
// their pieces and projectiles, beside object_record ----
namespace two_piece_record {
constexpr uint32_t spawn_data = 16;     // 32-bit: the start direction byte, then the platform list
constexpr uint32_t direction = 38;      // 8-bit 0-15, index of the per-direction tables
constexpr uint32_t jump_step_x = 39;    // s8
constexpr uint32_t jump_speed = 40;     // s8, +1 per frame
constexpr uint32_t walk_length = 54;    // 8-bit
constexpr uint32_t attack_timer = 56;   // 8-bit, frames until the next attack or approach check
constexpr uint32_t stun_timer = 57;     // 8-bit, set by the hit reaction
constexpr uint32_t platform_list = 72;  // 32-bit; +4 and +6 the walk's left and right limits
constexpr uint32_t variant = 88;        // 8-bit, 0 (type 5) or 1 (type 6)
constexpr uint32_t walk_side = 89;      // 8-bit, 255 right, 0 left
constexpr uint32_t floor_y = 90;        // s16, world y where the jump began
constexpr uint32_t part0_colour = 110;  // 16-bit colour words of copied parts 0 and 1
constexpr uint32_t part1_colour = 126;
constexpr uint32_t piece_variant = 3;  // on the attack piece: the body's variant
}  // namespace two_piece_record

namespace volley_record {
constexpr uint32_t stun_timer = 57;   // 8-bit, the generic stun's
constexpr uint32_t step_timer = 56;   // 8-bit
constexpr uint32_t stun_count = 62;   // 8-bit, 0 after a volley
constexpr uint32_t target = 86;       // 32-bit player_record
constexpr uint32_t aim = 90;          // 16-bit direction word, 1024 per turn
constexpr uint32_t octant = 92;       // 8-bit 0-7
constexpr uint32_t shot_index = 3;    // on a projectile: 0-7
constexpr uint32_t shot_step_x = 39;  // s8 per frame
constexpr uint32_t shot_step_y = 40;
}  // namespace volley_record

// ---- the set-piece boss (controller, body, two parts, music fader) and the
// area-bound attacker ----
namespace set_piece_record {
constexpr uint32_t controller = 12;  // 32-bit on every object of the set piece
constexpr uint32_t body = 72;        // 32-bit, on the controller
constexpr uint32_t first_part = 76;
constexpr uint32_t second_part = 80;
constexpr uint32_t phase = 54;        // 8-bit on the first part, 0-5 (6 for one frame)
constexpr uint32_t phase_timer = 55;  // 8-bit
constexpr uint32_t cycle = 72;        // 8-bit on the first part, 0-3
constexpr uint32_t countdown = 54;    // 8-bit: the body's defeat, the fader's level, the attacker's timer
constexpr uint32_t flash_timer = 57;  // 8-bit
constexpr uint32_t stun_count = 62;   // 16-bit on the body
constexpr uint32_t home_area = 72;    // 8-bit on the area-bound attacker
constexpr uint32_t part0_colour = 110;
}  // namespace set_piece_record
// ---- path-scripted actors: the flyer, the pickup carrier and their children ----

// A path-scripted object (128 bytes) beyond the common head.
namespace path_object {
constexpr uint32_t path_mode = 38;  // 8-bit: 0 read, 1 timed, 2 command, 3/4 wait for a player in X/Y, 5 read
constexpr uint32_t path_velocity_x = 39;    // s8 quarter pixels per frame
constexpr uint32_t path_velocity_y = 40;    // s8
constexpr uint32_t path_frames = 54;        // s16, frames left of the timed entry
constexpr uint32_t contact_cooldown = 56;   // 8-bit, frames before the next contact test
constexpr uint32_t stun_timer = 57;         // 8-bit
constexpr uint32_t anim_choice = 62;        // 8-bit direction index shown, 0xFF = choose again
constexpr uint32_t side_probe_timers = 62;  // 2 × 8-bit on the pickup carrier
constexpr uint32_t saved_state = 66;        // 8-bit, state at the last hit
constexpr uint32_t path_angle_x = 68;       // 16-bit phase, 0-1023
constexpr uint32_t path_angle_y = 70;
constexpr uint32_t path_script_start = 72;  // 32-bit
constexpr uint32_t frame_mark = 72;         // 8-bit on the flyer's turret: frame index last seen
constexpr uint32_t path_cursor = 76;        // 32-bit, the current entry's parameter block
constexpr uint32_t shot_list_start = 80;    // 32-bit
constexpr uint32_t shot_list_cursor = 84;   // 32-bit
constexpr uint32_t path_base_x = 88;        // s16 centre of the oscillation
constexpr uint32_t path_base_y = 90;
constexpr uint32_t shot_delay = 92;    // s16, -1 = no more shots
constexpr uint32_t shot_burst = 94;    // 8-bit shots left in the burst
constexpr uint32_t colour_word = 110;  // word 7 of the first copied sprite part
constexpr uint32_t timer = 54;         // 8-bit life of a shell or an aimed shot
}  // namespace path_object

// The ROM header a path object's data pointer names.
namespace path_script_header {
constexpr uint32_t first_entry = 0;  // 32-bit
constexpr uint32_t shot_list = 4;    // 32-bit, u16 words; bit 15 ends the list
}  // namespace path_script_header

// A 14-byte script entry: a control word, then the parameter block the cursor names.
namespace path_params {
constexpr uint32_t velocity_x = 0;  // s8 whole pixels, 0x80 = keep
constexpr uint32_t velocity_y = 1;  // s8, 0x80 = keep and re-centre on the spot
constexpr uint32_t accel_x = 2;     // s8
constexpr uint32_t accel_y = 3;
constexpr uint32_t amplitude_x = 4;  // s16
constexpr uint32_t amplitude_y = 6;
constexpr uint32_t phase_step_x = 8;  // u16
constexpr uint32_t phase_step_y = 10;
constexpr uint32_t next_entry = 12;  // the next entry's control word
}  // namespace path_params

// ROM: what a pickup gives.
namespace pickup_record {
constexpr uint32_t kind = 0;   // u16
constexpr uint32_t value = 2;  // u16
}  // namespace pickup_record

// A pickup item (128 bytes) beyond the common head; flying, its velocities
// are in 1/16 pixel per frame.
namespace pickup_item {
constexpr uint32_t fine_x = 32;  // flying: screen position in 1/16 pixel
constexpr uint32_t fine_y = 34;
constexpr uint32_t pickup_timer = 54;      // 16-bit flight frames left
constexpr uint32_t pickup_kind = 72;       // 16-bit
constexpr uint32_t pickup_value = 74;      // 16-bit
constexpr uint32_t pickup_collector = 76;  // 32-bit player record
constexpr uint32_t pickup_target_x = 80;   // s16 screen target of the flight
constexpr uint32_t pickup_target_y = 82;
constexpr uint32_t colour_word = 110;
}  // namespace pickup_item

// The rider carrier and the set-piece enemies of the generic AI (128 bytes).
namespace set_piece {
constexpr uint32_t route_index = 38;      // 8-bit, written as 32-bit with the velocities
constexpr uint32_t attack_cooldown = 56;  // 8-bit; the u32 at +56 clears the three after it
constexpr uint32_t ai_stun_timer = 57;    // 8-bit
constexpr uint32_t resume_state = 62;     // 8-bit, state after a stun
constexpr uint32_t rider_platform = 72;   // 10 bytes: a one-segment platform list
}  // namespace set_piece
