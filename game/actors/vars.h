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

// ---- spawn generators, the progress watcher and the enemy kinds' set-ups ----

namespace var {
constexpr uint32_t enemy_flags = 0x20C14E;  // 32-bit: bit 0 boss bar shown, bit 1 wave lock
}  // namespace var

namespace enemy_flag {
constexpr unsigned boss_bar = 0;
constexpr unsigned wave_lock = 1;
}  // namespace enemy_flag

// A ROM spawn list entry (10 bytes); a type byte with bit 7 ends the list.
namespace spawn_record {
constexpr uint32_t type = 0;         // 8-bit, index into the spawn routine table
constexpr uint32_t flags = 1;        // s8: 0 or negative = boss record
constexpr uint32_t trigger_x = 2;    // 16-bit camera X (sweep mode)
constexpr uint32_t world_x = 4;      // 16-bit
constexpr uint32_t world_y = 6;      // 16-bit
constexpr uint32_t data_offset = 8;  // 16-bit, from this field to the spawn data; 0 = none
constexpr uint32_t size = 10;
constexpr unsigned respawn = 0;      // flags bits of an ordinary record
constexpr unsigned after_boss = 5;
constexpr unsigned wave_lock = 6;
}  // namespace spawn_record

// The generator (a 256-byte object) beyond the common head.
namespace spawn_generator {
constexpr uint32_t count = 2;        // 8-bit, records in the list
constexpr uint32_t last_x = 12;      // 16-bit, camera X of the last pass
constexpr uint32_t counters = 16;    // 16-bit spawn_counter per record
}  // namespace spawn_generator

// spawn_counter values beside a live object's low half.
namespace spawn_counter {
constexpr uint16_t armed = 0x0000;
constexpr uint16_t done = 0x8000;
constexpr uint16_t respawn_delay = 0xFE20;  // re-armed 480 passes later
}  // namespace spawn_counter

// The progress watcher (a 128-byte object) beyond the common head.
namespace progress_watcher {
constexpr uint32_t peak = 3;         // 8-bit, most live enemies since the restart
constexpr uint32_t last_x = 16;      // 16-bit camera X of the last counted frame
constexpr uint32_t stallers = 45;    // 8-bit, its kind-58 enemies alive
constexpr uint32_t frames = 54;      // 16-bit frames counted
constexpr uint32_t progress = 72;    // 16-bit camera progress since the restart
}  // namespace progress_watcher

// Enemy fields the kinds' set-ups write beyond enemy_child's.
namespace enemy_setup {
constexpr uint32_t kind2_companion = 66;  // 16-bit, kind 2's companion
constexpr uint32_t field_80 = 80;         // 16-bit, 0 at set-up
constexpr uint32_t target_slot = 83;      // 8-bit, 255 = none
constexpr uint32_t offset_index = 84;     // 8-bit, random 0-15
constexpr uint32_t overlay_flag = 85;     // 8-bit, kind 14
constexpr uint32_t overlay_companion = 86;  // 16-bit, kinds 13 and 14
constexpr uint32_t spawn_data = 88;       // 32-bit, kinds 7 and 8
constexpr uint32_t boss_byte = 92;        // 8-bit, kinds 7 and 8
}  // namespace enemy_setup
