// Variables of the game engine (objects, system state, inputs, sound rings,
// palettes, video shadows), named once. The guest reaches work RAM as R25
// (0x208000) plus an offset; the names here are the absolute guest addresses.
// Each area keeps its own header (engine, flow, actors, operator); one
// namespace `var` spans them, so a name given twice does not compile.
#pragma once
#include <cstdint>

#include "game/engine/object.h"

namespace var {

// ---- objects (0x200000-0x207FFF) ----
constexpr uint32_t object_area = 0x200000;     // also the stale head and tail of an empty ring
constexpr uint32_t active_head = 0x200010;     // 32-bit
constexpr uint32_t active_tail = 0x200014;     // 32-bit
constexpr uint32_t active_count = 0x200018;    // 16-bit
constexpr uint32_t free_stack_256 = 0x20007E;  // 16-bit count, then 12 entries
constexpr uint32_t free_stack_128 = 0x2000FE;  // count, then 124 entries
constexpr uint32_t free_stack_64 = 0x2001FE;   // count, then 200 entries
constexpr uint32_t objects_256 = 0x200400;     // 12 objects of 256 bytes
constexpr uint32_t objects_128 = 0x201000;     // 124 objects of 128 bytes
constexpr uint32_t objects_64 = 0x204E00;      // 200 objects of 64 bytes

// ---- system (0x208000 up) ----
constexpr uint32_t game_mode = 0x208000;            // 8-bit; with game_submode the mode word
constexpr uint32_t game_submode = 0x208001;         // 8-bit
constexpr uint32_t game_flags = 0x208008;           // 32-bit game-state bits
constexpr uint32_t stage = 0x20800C;                // 8-bit, 1-4 in play
constexpr uint32_t area = 0x20800D;                 // 8-bit, area within the stage
constexpr uint32_t system_flags = 0x208010;         // 32-bit frame hand-over bits
constexpr uint32_t fade_record = 0x208014;          // 5 bytes
constexpr uint32_t fade_preset = 0x208017;          // 8-bit, byte +3 of fade_record
constexpr uint32_t display_count = 0x20801A;        // 16-bit, objects linked into buckets this frame
constexpr uint32_t sprite_list_pointer = 0x20801C;  // 32-bit
constexpr uint32_t demo_input_pointer = 0x208020;   // 32-bit, the next word of the recorded inputs
constexpr uint32_t free_play_active = 0x20808A;     // 8-bit
constexpr uint32_t output_port_shadow = 0x20810C;   // 8-bit, written to I/O port D
constexpr uint32_t system_inputs = 0x208110;        // 4 bytes
constexpr uint32_t system_presses = 0x208112;       // 8-bit, byte +2 of system_inputs
constexpr uint32_t player_inputs = 0x208118;        // input_block, a byte per player in each word
constexpr uint32_t demo_inputs = 0x208130;          // input_block fed from the recorded stream
constexpr uint32_t timer0_count = 0x208150;         // 32-bit
constexpr uint32_t timer1_phase = 0x208154;         // 8-bit, 0 to 3
constexpr uint32_t vblank_count = 0x208168;         // 16-bit
constexpr uint32_t frame_counter = 0x20816C;        // 8-bit
constexpr uint32_t video_shadow = 0x208200;         // 72 halfwords
constexpr uint32_t scroll_words = 0x208212;         // layer k: x at +8k, y at +8k + 4 (in video_shadow)
constexpr uint32_t page_picks = 0x208240;           // layer k: 4 page bytes at +4k
// The same shadow words by layer, as the screen set-ups use them.
constexpr uint32_t layer_control = video_shadow;  // 16-bit image of the first video register
constexpr uint32_t nbg0_scroll_x = scroll_words;
constexpr uint32_t nbg0_scroll_y = scroll_words + 4;
constexpr uint32_t nbg1_scroll_x = scroll_words + 8;
constexpr uint32_t nbg1_scroll_y = scroll_words + 12;
constexpr uint32_t layer_centres = 0x208230;  // NBG0 x, y, NBG1 x, y (16-bit each)
constexpr uint32_t nbg0_zoom = 0x208250;      // 16-bit, 0x200 = 1:1
constexpr uint32_t nbg1_zoom = 0x208254;

// ---- cameras (0x2082B0-0x2083FF) ----
constexpr uint32_t camera_pointer = 0x2082B0;         // 32-bit, the playfield camera_record
constexpr uint32_t camera_target_reached = 0x2082B4;  // 8-bit, 0xFF when the move found its target
constexpr uint32_t camera_script_hold = 0x2082B5;     // 8-bit, 0 while a reached gate waits
constexpr uint32_t camera_script_byte = 0x2082BE;     // 8-bit, last byte of a limits block
constexpr uint32_t camera_shake_step = 0x2082C0;      // 8-bit, 0 = no shake
constexpr uint32_t camera_records = 0x208300;         // 4 camera_records of 64 bytes
constexpr uint32_t playfield_camera = 0x208340;       // camera record 1
constexpr uint32_t display_buckets = 0x208700;        // 512 halfwords: heads of the depth chains
constexpr uint32_t display_bucket_zero = 0x208800;    // the bucket of depth key 0 (keys -128 up)
constexpr uint32_t mixer_shadow = 0x208B00;           // 40 halfwords
constexpr uint32_t mixer_pending = 0x208B80;          // 40 halfwords
constexpr uint32_t palette_queue = 0x208D00;          // 32-bit count, then jobs
constexpr uint32_t service_request = 0x208E00;        // 8-bit
constexpr uint32_t terrain_map = 0x20B000;            // one bit per 64 x 64 world-unit cell
constexpr uint32_t sound_ring_a = 0x209180;           // sound_ring, handed to the sound board's first byte
constexpr uint32_t sound_ring_b = 0x209200;           // sound_ring, handed to its second

// ---- hit-box tables: a 16-byte header (count in its first byte), then entries ----
constexpr uint32_t hitbox_table_a = 0x20A800;  // the players' bodies, 4 entries
constexpr uint32_t hitbox_copy_a = 0x20A850;   // table A as the frame began
constexpr uint32_t hitbox_table_b = 0x20A900;  // the other objects' bodies, 47 entries
constexpr uint32_t hitbox_copy_b = 0x20AC00;   // table B of the previous frame

// ---- graphics decompression job (decomp_field offsets) ----
constexpr uint32_t decomp_job = 0x20C000;  // 32-bit job-list pointer, 0 = none

// ---- bookkeeping block in the RAM shared with the sound board ----
constexpr uint32_t power_on_time = 0x701F10;  // time_record
constexpr uint32_t power_on_time_mirror = 0x701F8C;

}  // namespace var

// system_flags bits that the frame code and the vblank handler hand over.
namespace system_flag {
constexpr unsigned frame_ready = 0;
constexpr unsigned video_upload_all = 2;
constexpr unsigned fade_running = 3;
constexpr unsigned sprite_list_ready = 4;
constexpr unsigned sprite_switch_off = 6;
constexpr unsigned mixer_upload = 12;
constexpr unsigned mixer_take_pending = 13;
constexpr unsigned area_change_by_zoom = 10;  // a request to the in-game flow
constexpr unsigned area_won = 11;
constexpr unsigned area_changing = 14;
constexpr unsigned shake_request = 15;
}  // namespace system_flag

// game_flags bits.
namespace game_flag {
constexpr unsigned demo_play = 8;
constexpr unsigned area_change = 11;  // the zoomed layers are centred
constexpr unsigned placed_objects =
    12;  // a placed-object area: no terrain map, screen y leaves the height out
constexpr unsigned wave_gate = 15;
}  // namespace game_flag

// Six words of inputs, one byte per player (or the system bits) in each.
namespace input_block {
constexpr uint32_t newest = 0;
constexpr uint32_t mask = 4;     // loses the bits of every older sample
constexpr uint32_t current = 8;  // one sample behind the newest
constexpr uint32_t previous = 12;
constexpr uint32_t pressed = 16;
constexpr uint32_t released = 20;
}  // namespace input_block

// A ring of 32 sound codes: read and write indices, then the slots.
namespace sound_ring {
constexpr uint32_t read = 0;   // 8-bit
constexpr uint32_t write = 1;  // 8-bit
constexpr uint32_t slots = 2;  // 32 bytes
}  // namespace sound_ring

// The fade in progress (5 bytes at fade_record).
namespace fade_record {
constexpr uint32_t level = 0;  // 0 to 63
constexpr uint32_t step = 1;   // added modulo 64 each frame
constexpr uint32_t target = 2;
constexpr uint32_t preset = 3;    // a preset to load, or 18 while running
constexpr uint32_t channels = 4;  // bits 7, 6, 5: which colour offsets follow the level
}  // namespace fade_record

// The graphics decompressor's state beside its job-list pointer.
namespace decomp_field {
constexpr uint32_t state = 3;         // 8-bit, the pointer's top byte: 0 next job, 1 tokens, 0xFF copying
constexpr uint32_t source_base = 4;   // 32-bit, added to every job's source offset
constexpr uint32_t source = 8;        // 32-bit, next byte of the compressed stream
constexpr uint32_t destination = 12;  // 32-bit, next output byte in video RAM
constexpr uint32_t copy_offset = 16;  // 32-bit, negative, added to the destination
constexpr uint32_t bits = 20;         // 16-bit descriptor bits not yet used, lowest next
constexpr uint32_t bit_count = 22;    // 8-bit, 1 to 16
constexpr uint32_t copy_count = 23;   // 8-bit bytes of the reference still to copy (0 = 256)
}  // namespace decomp_field

// time_record: seconds, minutes, hours, then a 16-bit day count at +3.
namespace time_record {
constexpr uint32_t seconds = 0;
constexpr uint32_t minutes = 1;
constexpr uint32_t hours = 2;
constexpr uint32_t days = 3;
}  // namespace time_record

// The animation modes of object_record.anim_mode.
namespace anim_mode {
constexpr uint8_t pointer = 0;
constexpr uint8_t copy = 1;
constexpr uint8_t fixed_a = 3;  // the two fixed part sets, taken in turn
constexpr uint8_t fixed_b = 4;
}  // namespace anim_mode

// A layer's camera: position and follow limits in world units (quarter
// pixels), and the position last applied to the video shadow.
namespace camera_record {
constexpr uint32_t map_header = 0;  // 32-bit: width and height in pages, then the page numbers
constexpr uint32_t x = 4;           // s16, left edge
constexpr uint32_t y = 6;           // s16, top edge
constexpr uint32_t applied_x = 8;   // s16
constexpr uint32_t applied_y = 10;  // s16
constexpr uint32_t x_min = 16;      // s16 limits of the follow steps
constexpr uint32_t y_min = 18;
constexpr uint32_t x_max = 20;
constexpr uint32_t y_max = 22;
constexpr uint32_t target_x = 32;  // s16, end of a scripted move
constexpr uint32_t target_y = 34;
constexpr uint32_t size = 64;
}  // namespace camera_record

// The camera controller object (64 bytes) beyond the common head; its
// partner object is object_record::partner.
namespace camera_controller {
constexpr uint32_t script_step = 38;     // 8-bit, 0-3
constexpr uint32_t script_pointer = 48;  // 32-bit
constexpr uint32_t timer = 54;           // 16-bit
}  // namespace camera_controller

// One box of a hit-box table; its header is one entry long.
namespace hitbox_entry {
constexpr uint32_t object = 0;  // 32-bit address of the object the box belongs to
constexpr uint32_t x_from = 4;  // s16 each
constexpr uint32_t x_to = 6;
constexpr uint32_t depth_from = 8;
constexpr uint32_t depth_to = 10;
constexpr uint32_t vertical_from = 12;
constexpr uint32_t vertical_to = 14;
constexpr uint32_t size = 16;
}  // namespace hitbox_entry
