// Variables of the operator functions (backup settings, coins and credits,
// bookkeeping, service menu and test pages), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

// ---- settings, coins and credits (0x208005-0x2080BF) ----
// free_play_active (0x20808A) and output_port_shadow (0x20810C, the coin-meter
// bits for port D) are named with the engine's variables.
constexpr uint32_t coin_mode = 0x208005;              // 8-bit, credit layout 0 to 6
constexpr uint32_t difficulty_rank = 0x208006;        // 8-bit, set at start from the settings
constexpr uint32_t coin_meter_1 = 0x208080;           // coin_meter_record, port D bit 0
constexpr uint32_t coin_meter_2 = 0x208083;           // coin_meter_record, port D bit 1
constexpr uint32_t coin_sound_pending = 0x208086;     // 8-bit, 0xA5 sounds still to queue
constexpr uint32_t service_sound_pending = 0x208087;  // 8-bit, 0xAD sounds still to queue
constexpr uint32_t same_chute_units = 0x20808B;       // 8-bit, 0xFF when both chutes are worth the same
constexpr uint32_t coin_setting_copy = 0x20808C;      // 4 bytes: per credit, chute 1, chute 2, bonus period
constexpr uint32_t credit_records = 0x2080A0;         // 4 credit_records of 8 bytes
constexpr uint32_t system_releases = 0x208113;        // 8-bit, byte +3 of system_inputs

// ---- service mode (0x208E00 up; service_request is the engine's) ----
constexpr uint32_t service_flags = 0x208E01;         // 8-bit, bits in service_flag
constexpr uint32_t service_menu_index = 0x208E02;    // 8-bit, main-menu line 0 to 9
constexpr uint32_t service_cursor = 0x208E03;        // 8-bit, line of a page
constexpr uint32_t service_screen = 0x208E04;        // 32-bit routine address, run each frame
constexpr uint32_t service_blink_cell = 0x208E08;    // 32-bit cursor cell, or a message's text list
constexpr uint32_t self_test_results = 0x208E10;     // 19 bytes: 0 not run, 1 testing, 2 good, 3 bad
constexpr uint32_t service_blink_timer = 0x208E23;   // s8
constexpr uint32_t sound_test_positions = 0x208E24;  // 3 bytes

// ---- backup image of the serial EEPROM (0x209100-0x20917F) ----
constexpr uint32_t backup_image = 0x209100;    // 64 words, EEPROM word k at +2k
constexpr uint32_t backup_primary = 0x209100;  // backup_record the game reads
constexpr uint32_t backup_spare = 0x209140;    // backup_record kept as the spare
constexpr uint32_t flip_screen = 0x20910A;     // 8-bit, backup_record.flip_screen: not 0 = picture flipped

// ---- bookkeeping block in the RAM shared with the sound board (0x701F00-0x701FF9) ----
constexpr uint32_t bookkeeping_block = 0x701F00;   // 16-bit check value, then the data
constexpr uint32_t bookkeeping_data = 0x701F02;    // 62 halfwords under the check value
constexpr uint32_t bookkeeping_mirror = 0x701F7E;  // copy of the data, 0x7C higher
constexpr uint32_t coin_credits = 0x701F02;        // 16-bit
constexpr uint32_t service_credits = 0x701F04;     // 16-bit
constexpr uint32_t coin_count = 0x701F06;          // 4 × 16-bit, by chute
constexpr uint32_t longest_play = 0x701F22;        // 4 bytes of a time_record
constexpr uint32_t shortest_play = 0x701F28;       // 4 bytes; empty while bit 7 of +0 is set
constexpr uint32_t saved_credits = 0x701F74;       // 4 × 16-bit, credit_record +0 halfwords
// Play scores (ranking routine); each mirrored at +bookkeeping_mirror_offset.
constexpr uint32_t score_total = 0x701F2E;           // 32-bit
constexpr uint32_t score_total_overflow = 0x701F32;  // 16-bit carries out of score_total
constexpr uint32_t score_high = 0x701F34;            // 32-bit
constexpr uint32_t score_low = 0x701F38;             // 32-bit; bit 31 set = none yet
constexpr uint32_t best_entries = 0x701F54;          // 4 ranking entries, by character; score 0 = none
constexpr uint32_t bookkeeping_mirror_offset = bookkeeping_mirror - bookkeeping_data;  // 0x7C

// ---- text cells of the settings pages (rows and columns of the text layer) ----
constexpr uint32_t difficulty_digits = 0x31F2BE;    // row 5, column 31: difficulty + 1, ending here
constexpr uint32_t difficulty_bar = 0x31F3A2;       // row 7, column 17
constexpr uint32_t start_energy_digits = 0x31F4BE;  // row 9, column 31
constexpr uint32_t energy_bar = 0x31F59E;           // row 11, column 15
constexpr uint32_t player_count_digit = 0x31F8BC;   // row 17, column 30: player count + 2
constexpr uint32_t coin_page_chute_run = 0x31F49E;  // row 9, column 15: greyed with one chute per player ...
constexpr uint32_t coin_page_chute_run_2 = 0x31F708;  // row 14, column 4: ... and this run
constexpr uint32_t start_credits_cell = 0x31F334;     // row 6, column 26
constexpr uint32_t coin_item_cells =
    0x31F440;  // row 8, column 32: two cells cleared, then the number ending at +4
constexpr uint32_t coin_item_description = 0x31F4A6;  // row 9, column 19: the description block
constexpr uint32_t preset_description =
    0x31F726;  // rows 14 to 18, column 19: the preset's block, greyed with one chute per player
constexpr uint32_t coin_settings_run_1 =
    0x31F806;  // row 16, column 3: the coin settings' runs greyed with one chute per player
constexpr uint32_t coin_settings_run_2 = 0x31F884;  // row 17, column 2
constexpr uint32_t coin_settings_run_3 = 0x31F908;  // row 18, column 4
constexpr uint32_t coin_settings_run_4 = 0x31FA04;  // row 20, column 2
constexpr uint32_t chute2_line_cells =
    0x31F51C;  // row 10, column 14: the two cells kept grey on line 2 with one chute per player
constexpr uint32_t coins_per_credit_cell = 0x31F330;  // row 6, column 24
constexpr uint32_t bonus_period_digits = 0x31F420;    // row 8, column 16
constexpr uint32_t chute1_units_cell = 0x31F5C2;      // row 11, column 33
constexpr uint32_t chute2_units_cell = 0x31F8C2;      // row 17, column 33
constexpr uint32_t chute1_credit_row = 0x31F686;      // row 13, column 3: credits by coins 1 to 9
constexpr uint32_t chute2_credit_row = 0x31F986;      // row 19, column 3; greyed with one chute per player
constexpr uint32_t chute2_run = 0x31F89E;             // row 17, column 15: greyed with one chute per player

// ---- read by the test and bookkeeping pages and the self test ----
constexpr uint32_t input_test_lists = 0x208E0C;  // 32-bit, the two descriptor-list pointers
constexpr uint32_t join_count = 0x701F0E;        // 16-bit
constexpr uint32_t game_time = 0x701F16;         // time_record
constexpr uint32_t play_time = 0x701F1C;         // time_record
constexpr uint32_t new_play_count = 0x701F2C;    // 16-bit
constexpr uint32_t score_overflow = 0x701F32;    // 16-bit, carries out of score_total
constexpr uint32_t play_histogram = 0x701F3C;    // 12 × 16-bit
constexpr uint32_t shared_ram_flag = 0x701FFF;   // 8-bit, 0xFF while the self test runs

}  // namespace var

// A credit record: one per coin chute in the per-player layouts, record 0 for
// every player in the shared ones.
namespace credit_record {
constexpr uint32_t credits = 0;       // 0 to 9
constexpr uint32_t coin_units = 1;    // units toward the next credit
constexpr uint32_t bonus_units = 2;   // bonus accumulator
constexpr uint32_t credit_added = 3;  // credits the last coin made (1 after a service credit)
constexpr uint32_t size = 8;
}  // namespace credit_record

// A coin meter: on and off timers, then the pulses still to give.
namespace coin_meter_record {
constexpr uint32_t on = 0;
constexpr uint32_t off = 1;
constexpr uint32_t pending = 2;
}  // namespace coin_meter_record

namespace service_flag {
constexpr unsigned auto_run = 0;
constexpr unsigned reset_choice = 1;
constexpr unsigned settings_changed = 2;  // the service exit saves the backup image
}  // namespace service_flag

// A copy of the operator settings, two of which make up the backup image.
namespace backup_record {
constexpr uint32_t spare = 0x40;      // the spare copy, from the image's start
constexpr uint32_t signature = 0x00;  // "KOTA"
constexpr uint32_t version = 0x04;    // 16-bit, 0x8101
constexpr uint32_t revision = 0x06;   // 16-bit, 1
constexpr uint32_t crc = 0x08;        // 16-bit, over +0x0A..+0x3F
constexpr uint32_t flip_screen = 0x0A;
constexpr uint32_t player_count = 0x10;  // 0, 1, 2 for 2, 3, 4 player slots
constexpr uint32_t chute_per_player = 0x11;
constexpr uint32_t coins_per_credit = 0x12;
constexpr uint32_t chute1_units = 0x13;
constexpr uint32_t chute2_units = 0x14;
constexpr uint32_t bonus_period = 0x15;
constexpr uint32_t demo_sound = 0x16;
constexpr uint32_t start_credits = 0x17;
constexpr uint32_t continue_credits = 0x18;
constexpr uint32_t free_play = 0x19;
constexpr uint32_t join_option = 0x1A;
constexpr uint32_t coin_item = 0x1B;     // coin preset 0 to 25, 26 = none
constexpr uint32_t difficulty = 0x20;    // 0 to 7
constexpr uint32_t start_energy = 0x22;  // 16-bit, 200 to 600
constexpr uint32_t save_count = 0x3C;    // 32-bit
constexpr uint32_t settings = 0x10;      // +0x10..+0x3B, what the settings default covers
constexpr uint32_t size = 0x40;
}  // namespace backup_record
