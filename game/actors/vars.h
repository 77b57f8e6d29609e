// Variables of the enemies and actors (spawning, enemy states, platform
// enemies, passers-by, props), named once. Absolute guest addresses; see
// game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t live_enemy_count = 0x20C14C;  // 8-bit, raised by every enemy set-up

}  // namespace var

// ---- objects attached to an actor: companions, child effects, the enemy
// kinds' children (the record layouts below are read beside object_record) ----

// A companion (64 bytes) beyond the common head: the sizes and offsets its
// two fixed part sets are drawn with.
namespace companion_record {
constexpr uint32_t x_offset_base = 48;  // 16-bit, word 0 of the creator's data
constexpr uint32_t source_width = 50;   // 8-bit, scaled during an area change
constexpr uint32_t source_height = 51;  // 8-bit
constexpr uint32_t part_height = 52;    // 16-bit, word 2 of the drawn parts
constexpr uint32_t part_width = 54;     // 16-bit, word 3: low 10 bits the width
constexpr uint32_t y_offset = 56;       // 16-bit, word 1 of the creator's data
constexpr uint32_t x_offset = 58;       // 16-bit, base + the parent's first-part X offset
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

// Enemy fields that the kinds' children and the entrance state use.
namespace enemy_child {
constexpr uint32_t velocity_x = 39;    // s8 per frame
constexpr uint32_t velocity_y = 40;    // s8 per frame
constexpr uint32_t rise_speed = 41;    // s8, added to the height, then less 1
constexpr uint32_t enemy_timer = 54;   // 8-bit (16-bit in the entrance)
constexpr uint32_t substate = 56;      // 8-bit
constexpr uint32_t last_state = 57;    // 8-bit
constexpr uint32_t state_record = 68;  // 32-bit, the kind's enemy_state_record
constexpr uint32_t bar_energy = 32;    // 16-bit, on a boss bar: the energy shown
constexpr uint32_t bar_step = 34;      // 16-bit, on a boss bar: its step
}  // namespace enemy_child

// Bits of object_record.flags that actors use beyond the display's.
namespace owner_flag {
constexpr unsigned alive = 0;
constexpr unsigned not_target = 2;
constexpr unsigned defeated = 9;
constexpr unsigned effect_lives = 11;
constexpr unsigned enemy = 15;
}  // namespace owner_flag

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

// Passer-by fields beyond enemy_child's (velocities, rise speed, timer) and
// target_claim::slot; the zoomed placement's fields of any object.
namespace passer_by {
constexpr uint32_t wave_phase = 41;          // 8-bit, type 53's bobbing phase
constexpr uint32_t zoom_dx = 72;             // s16, offset from the screen centre
constexpr uint32_t zoom_dy = 74;             // s16
constexpr uint32_t offset_index = 84;        // 8-bit, type 53: non-zero keeps its gun still
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

// A prop (128 bytes) beyond the head.
namespace prop_record {
constexpr uint32_t data_pointer = 16;    // 32-bit, its first byte the prop type; screen_x later
constexpr uint32_t velocity_x = 39;      // s8, knocked away
constexpr uint32_t vertical_speed = 41;  // s8
constexpr uint32_t bounce_speed = 54;    // s8, knocked away ...
constexpr uint32_t counter = 54;         // ... or 8-bit frames of the wait and the blink
constexpr uint32_t flash_timer = 57;     // 8-bit, frames without hit boxes after a hit
}  // namespace prop_record

namespace owner_flag {
constexpr unsigned hit = 8;
}  // namespace owner_flag
