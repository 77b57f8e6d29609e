// Tables of the program ROM that the operator's pages read, named once by their
// guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- backup ----
inline constexpr uint32_t backup_default_record = 0x0895F4;    // ROM: a whole 64-byte record
inline constexpr uint32_t backup_default_settings = 0x089604;  // ROM: its +0x10..+0x3B

// ---- bookkeeping ----
inline constexpr uint32_t bookkeeping_defaults = 0x061126;  // ROM image of the 124 data bytes

// ---- self_test ----
inline constexpr uint32_t progress_text = 0x08C908;  // 11 characters

// ---- service_menu ----
inline constexpr uint32_t menu_routines = 0x08B101;  // 10 routine addresses, one per line
inline constexpr uint32_t menu_text = 0x08C822;
inline constexpr uint32_t auto_run_texts = 0x08C8B8;  // off, on
inline constexpr uint32_t self_test_text = 0x08C8E6;
inline constexpr uint32_t self_test_cells = 0x08C99A;  // 19 cells
inline constexpr uint32_t status_texts = 0x08C9C0;     // 6 bytes a status: attribute, 4 characters, spare
inline constexpr uint32_t message_texts = 0x08DC1F;    // plain, auto-run
inline constexpr uint32_t service_palette = 0x08DC92;
inline constexpr uint32_t footer_text = 0x08DBD8;  // text list under the menu and settings pages

// ---- service_text ----
inline constexpr uint32_t save_count_label = 0x08DC79;

// ---- settings_pages ----
inline constexpr uint32_t game_settings_lines = 0x08B9E8;
inline constexpr uint32_t coin_credit_lines = 0x08BBF4;
inline constexpr uint32_t coin_settings_lines = 0x08BEE0;
inline constexpr uint32_t game_settings_text = 0x08CDA2;
inline constexpr uint32_t game_cursor_lines = 0x08CE72;
inline constexpr uint32_t demo_sound_texts = 0x08CE80;  // off, on
inline constexpr uint32_t game_compare = 0x08CEDC;
inline constexpr uint32_t coin_credit_text = 0x08CEE4;
inline constexpr uint32_t coin_settings_text = 0x08CF7C;
inline constexpr uint32_t coin_credit_cursor_lines = 0x08D0B0;
inline constexpr uint32_t coin_cursor_lines = 0x08D0BA;
inline constexpr uint32_t chute_texts = 0x08D0C4;      // shared chutes, one per player
inline constexpr uint32_t coin_item_texts = 0x08D0EC;  // a description per preset
inline constexpr uint32_t no_bonus_text = 0x08D867;
inline constexpr uint32_t free_play_bonus_text = 0x08D886;
inline constexpr uint32_t bonus_after_text = 0x08D8A5;
inline constexpr uint32_t coin_presets = 0x08D8C2;  // 4 bytes each: coins, bonus, units 1, units 2
inline constexpr uint32_t coin_credit_compare = 0x08D927;

// ---- sound_test ----
inline constexpr uint32_t sound_test_lines = 0x08B690;
inline constexpr uint32_t sound_test_text = 0x08CC96;
inline constexpr uint32_t sound_lists = 0x08CCD4;  // one byte list per line, ended by 0

// ---- test_pages ----
inline constexpr uint32_t input_test_text = 0x08C9D8;
inline constexpr uint32_t input_layouts = 0x08C9E8;  // 12 layouts of 16 bytes
inline constexpr uint32_t colour_test_text = 0x08CD76;
inline constexpr uint32_t colour_grid_text = 0x08CD8B;
inline constexpr uint32_t bookkeeping_text_1 = 0x08D930;
inline constexpr uint32_t bookkeeping_text_2 = 0x08DAA8;
inline constexpr uint32_t bookkeeping_reset_text = 0x08DBA6;
inline constexpr uint32_t bookkeeping_cleared_text = 0x08DBC9;

}  // namespace rom
