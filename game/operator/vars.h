// Variables of the operator functions (backup settings, coins and credits,
// bookkeeping, service menu and test pages), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

// ---- backup settings, loaded from the EEPROM at start ----
constexpr uint32_t flip_screen = 0x20910A;  // 8-bit, backup_record.flip_screen: not 0 = picture flipped

// ---- service pages: test pages, bookkeeping pages and the self test ----
// (service variables 0x208E01-0x208E23, the backup fields and the bookkeeping
// fields these pages read)
constexpr uint32_t service_flags = 0x208E01;        // 8-bit, bits in service_flag
constexpr uint32_t service_cursor = 0x208E03;       // 8-bit, line of a page; parks service_flags
constexpr uint32_t service_screen = 0x208E04;       // 32-bit routine address, run each frame
constexpr uint32_t service_blink_cell = 0x208E08;   // 32-bit cursor cell, or a message's text list
constexpr uint32_t input_test_lists = 0x208E0C;     // 32-bit, the two descriptor-list pointers
constexpr uint32_t self_test_results = 0x208E10;    // 19 bytes: 0 not run, 1 testing, 2 good, 3 bad
constexpr uint32_t service_blink_timer = 0x208E23;  // s8
constexpr uint32_t system_releases = 0x208113;      // 8-bit, byte +3 of system_inputs
constexpr uint32_t backup_primary = 0x209100;       // backup_record the game reads
constexpr uint32_t bookkeeping_block = 0x701F00;    // 16-bit check value, then the data
constexpr uint32_t coin_credits = 0x701F02;         // 16-bit
constexpr uint32_t service_credits = 0x701F04;      // 16-bit
constexpr uint32_t coin_count = 0x701F06;           // 4 × 16-bit, by chute
constexpr uint32_t join_count = 0x701F0E;           // 16-bit
constexpr uint32_t game_time = 0x701F16;            // time_record
constexpr uint32_t play_time = 0x701F1C;            // time_record
constexpr uint32_t longest_play = 0x701F22;         // 4 bytes of a time_record
constexpr uint32_t shortest_play = 0x701F28;        // 4 bytes; empty while bit 7 of +0 is set
constexpr uint32_t new_play_count = 0x701F2C;       // 16-bit
constexpr uint32_t score_total = 0x701F2E;          // 32-bit
constexpr uint32_t score_overflow = 0x701F32;       // 16-bit, carries out of score_total
constexpr uint32_t score_high = 0x701F34;           // 32-bit
constexpr uint32_t score_low = 0x701F38;            // 32-bit; empty while bit 31 is set
constexpr uint32_t play_histogram = 0x701F3C;       // 12 × 16-bit
constexpr uint32_t shared_ram_flag = 0x701FFF;      // 8-bit, 0xFF while the self test runs

}  // namespace var

namespace service_flag {
constexpr unsigned auto_run = 0;
constexpr unsigned reset_choice = 1;
}  // namespace service_flag

// Fields of backup_record that the input test and the bookkeeping pages read.
namespace backup_record {
constexpr uint32_t player_count = 0x10;      // 0, 1, 2 for 2, 3, 4 player slots
constexpr uint32_t chute_per_player = 0x11;
constexpr uint32_t join_option = 0x1A;
}  // namespace backup_record
