// Variables of the operator functions (backup settings, coins and credits,
// bookkeeping, service menu and test pages), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

// ---- service mode (0x208E00 up; service_request is the engine's) ----
constexpr uint32_t service_flags = 0x208E01;        // 8-bit, bits in service_flag
constexpr uint32_t service_menu_index = 0x208E02;   // 8-bit, main-menu line 0 to 9
constexpr uint32_t service_cursor = 0x208E03;       // 8-bit, line of a page
constexpr uint32_t service_screen = 0x208E04;       // 32-bit routine address, run each frame
constexpr uint32_t service_blink_cell = 0x208E08;   // 32-bit cursor cell, or a message's text list
constexpr uint32_t self_test_results = 0x208E10;    // 19 bytes: 0 not run, 1 testing, 2 good, 3 bad
constexpr uint32_t service_blink_timer = 0x208E23;  // s8
constexpr uint32_t sound_test_positions = 0x208E24; // 3 bytes

// ---- backup image in work RAM: the settings edited by the service pages ----
constexpr uint32_t backup_image = 0x209100;         // the primary backup_record, then the spare

}  // namespace var

namespace service_flag {
constexpr unsigned auto_run = 0;
constexpr unsigned settings_changed = 2;  // the service exit saves the backup image
}  // namespace service_flag

// Fields of backup_record (64 bytes) that the service pages show and edit.
// The primary copy in use starts the backup image; the spare, as last saved,
// follows it.
namespace backup_record {
constexpr uint32_t spare = 0x40;            // the spare copy, from the image's start
constexpr uint32_t flip_screen = 0x0A;
constexpr uint32_t player_count = 0x10;     // 0 to 2: 2 to 4 player slots
constexpr uint32_t chute_per_player = 0x11;
constexpr uint32_t coins_per_credit = 0x12;
constexpr uint32_t chute1_units = 0x13;
constexpr uint32_t chute2_units = 0x14;
constexpr uint32_t bonus_period = 0x15;     // s8: 0 none, 0xFF the free-play marker
constexpr uint32_t demo_sound = 0x16;
constexpr uint32_t start_credits = 0x17;
constexpr uint32_t free_play = 0x19;
constexpr uint32_t join_option = 0x1A;
constexpr uint32_t coin_item = 0x1B;        // coin preset 0 to 25, 26 none
constexpr uint32_t difficulty = 0x20;
constexpr uint32_t start_energy = 0x22;     // 16-bit
constexpr uint32_t save_count = 0x3C;       // 32-bit
}  // namespace backup_record
