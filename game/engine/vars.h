// Variables of the game engine (objects, system state, inputs, sound rings,
// palettes, video shadows), named once. The guest reaches work RAM as R25
// (0x208000) plus an offset; the names here are the absolute guest addresses.
// Each area keeps its own header (engine, flow, actors, operator); one
// namespace `var` spans them, so a name given twice does not compile.
#pragma once
#include <cstdint>

namespace var {

// ---- objects (0x200000-0x207FFF) ----
constexpr uint32_t object_area = 0x200000;       // also the stale head and tail of an empty ring
constexpr uint32_t active_head = 0x200010;       // 32-bit
constexpr uint32_t active_tail = 0x200014;       // 32-bit
constexpr uint32_t active_count = 0x200018;      // 16-bit
constexpr uint32_t free_stack_256 = 0x20007E;    // 16-bit count, then 12 entries
constexpr uint32_t free_stack_128 = 0x2000FE;    // count, then 124 entries
constexpr uint32_t free_stack_64 = 0x2001FE;     // count, then 200 entries
constexpr uint32_t objects_256 = 0x200400;       // 12 objects of 256 bytes
constexpr uint32_t objects_128 = 0x201000;       // 124 objects of 128 bytes
constexpr uint32_t objects_64 = 0x204E00;        // 200 objects of 64 bytes

// ---- system (0x208000 up) ----
constexpr uint32_t game_mode = 0x208000;         // 8-bit; with game_submode the mode word
constexpr uint32_t game_submode = 0x208001;      // 8-bit
constexpr uint32_t game_flags = 0x208008;       // 32-bit, bit 8 demo play
constexpr uint32_t system_flags = 0x208010;      // 32-bit frame hand-over bits
constexpr uint32_t fade_record = 0x208014;       // 5 bytes
constexpr uint32_t fade_preset = 0x208017;       // 8-bit, byte +3 of fade_record
constexpr uint32_t sprite_list_pointer = 0x20801C;  // 32-bit
constexpr uint32_t free_play_active = 0x20808A;  // 8-bit
constexpr uint32_t output_port_shadow = 0x20810C;  // 8-bit, written to I/O port D
constexpr uint32_t system_inputs = 0x208110;     // 4 bytes
constexpr uint32_t system_presses = 0x208112;    // 8-bit, byte +2 of system_inputs
constexpr uint32_t timer0_count = 0x208150;      // 32-bit
constexpr uint32_t timer1_phase = 0x208154;      // 8-bit, 0 to 3
constexpr uint32_t vblank_count = 0x208168;      // 16-bit
constexpr uint32_t frame_counter = 0x20816C;     // 8-bit
constexpr uint32_t video_shadow = 0x208200;      // 72 halfwords
constexpr uint32_t mixer_shadow = 0x208B00;      // 40 halfwords
constexpr uint32_t mixer_pending = 0x208B80;     // 40 halfwords
constexpr uint32_t palette_queue = 0x208D00;     // 32-bit count, then jobs
constexpr uint32_t service_request = 0x208E00;   // 8-bit
constexpr uint32_t decomp_job = 0x20C000;        // 32-bit, 0 = none

// ---- bookkeeping block in the RAM shared with the sound board ----
constexpr uint32_t power_on_time = 0x701F10;     // time_record
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
}  // namespace system_flag

// time_record: seconds, minutes, hours, then a 16-bit day count at +3.
namespace time_record {
constexpr uint32_t seconds = 0;
constexpr uint32_t minutes = 1;
constexpr uint32_t hours = 2;
constexpr uint32_t days = 3;
}  // namespace time_record

// The common head of every object (and of the player records).
namespace object_record {
constexpr uint32_t flags = 0;          // 16-bit
constexpr uint32_t state = 2;          // 8-bit
constexpr uint32_t type = 3;           // 8-bit
constexpr uint32_t routine = 4;        // 32-bit guest address, called once a frame
constexpr uint32_t prev = 8;           // 16-bit low half
constexpr uint32_t next = 10;          // 16-bit low half
constexpr uint32_t owner = 12;         // 16-bit low half
constexpr uint32_t partner = 14;       // 16-bit low half
constexpr uint32_t screen_x = 16;      // s16
constexpr uint32_t screen_y = 18;      // s16
constexpr uint32_t frame = 20;         // 32-bit
constexpr uint32_t next_script = 24;   // 32-bit
constexpr uint32_t frame_table = 28;   // 32-bit
constexpr uint32_t world_x = 32;       // s16, quarter pixels
constexpr uint32_t world_y = 34;       // s16
constexpr uint32_t height = 36;        // s16
constexpr uint32_t frame_duration = 42;
constexpr uint32_t frame_timer = 43;
constexpr uint32_t anim_mode = 44;
constexpr uint32_t frame_index = 45;
constexpr uint32_t display_link = 46;  // 16-bit
constexpr uint32_t hitbox_data = 48;   // 32-bit
constexpr uint32_t score_value = 52;   // 16-bit
constexpr uint32_t attack_kind = 58;
constexpr uint32_t hit_reaction = 59;
constexpr uint32_t last_attacker = 60;  // 16-bit
constexpr uint32_t energy = 64;         // s16, 128- and 256-byte records
}  // namespace object_record
