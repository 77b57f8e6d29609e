// The settings pages of the service mode: game settings, coin and credit
// settings and, below them, the coin settings with the coins-to-credits table.
// Edits change the backup record in use at once; leaving a page compares it
// with the copy last saved and marks the settings changed for the exit.
#include <initializer_list>

#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/service.h"
#include "game/operator/vars.h"
#include "game/operator/tables.h"
#include "runtime/guest.h"

using namespace guest;
using namespace service;

namespace {

constexpr uint32_t kBackup = var::backup_image;

// Game settings.
constexpr uint32_t kFlipTexts = 0x08CE88;
constexpr uint32_t kJoinTexts = 0x08CE90;
constexpr uint8_t kGameLines = 7;
constexpr uint8_t kGameLeaveLine = 6;

// Coin and credit settings.
constexpr uint8_t kCoinPresetCount = 26;
constexpr uint8_t kNoCoinItem = 26;
constexpr uint8_t kCoinCreditLines = 5;
constexpr uint8_t kCoinSettingsLine = 3;

// Coin settings.
constexpr uint8_t kCoinLines = 5;
constexpr uint8_t kCoinLeaveLine = 4;

// Colours that the pages write.
constexpr uint8_t kNotApplying = 0x0E;
constexpr uint8_t kApplyingAgain = 0x06;
constexpr uint8_t kBar = 0x04;

uint8_t setting(uint32_t field) { return orb_read8(kBackup + field); }
void set_setting(uint32_t field, uint8_t value) { orb_write8(kBackup + field, value); }

// Flips a 0x00/0xFF setting; Z tells whether it is now 0.
void complement_setting(uint32_t field) { set_setting(field, logic<uint8_t>(~setting(field))); }

bool one_chute_per_player() {
    test<uint8_t>(setting(backup_record::chute_per_player));
    return ne();
}

// The off/on text of a setting: the second pointer when its bit 0 is set.
uint32_t switch_text(uint32_t texts, uint32_t field) { return table_entry(texts, setting(field) & 1); }

// Colours `cells` cells from R10 as a bar and leaves R10 after them.
void colour_bar(uint32_t cells) {
    for (; cells; --cells, cpu.reg[10] += 2) colour_cell(cpu.reg[10], kBar);
}

// Line 2 of the coin settings with one chute per player: its chute 2 cells
// stay grey, and the cursor leaving it passes over line 3 (chute 2 units).
bool on_chute_line(uint8_t line) { return line == 2 && one_chute_per_player(); }

}  // namespace

// Game settings entry (main-menu line 5): draws the page with the cursor on
// the leave line and runs the loop.
void sub_08B8AE() {
    ROUTINE_ENTRY(0x08B8AE);
    if (!call(sub_060942, 0x08B8B1, 0x08B8AE)) return;
    cpu.reg[10] = rom::game_settings_text;
    if (!call(sub_08C494, 0x08B8BA, 0x08B8B7)) return;
    if (!call(sub_08B929, 0x08B8BD, 0x08B8BA)) return;
    cpu.reg[10] = rom::footer_text;
    if (!call(sub_08C494, 0x08B8C6, 0x08B8C3)) return;
    orb_write8(var::service_cursor, kGameLeaveLine);
    cpu.reg[10] = cursor_line_cell(rom::game_cursor_lines, kGameLeaveLine);
    if (!call(sub_08C451, 0x08B8DB, 0x08B8D8)) return;
    orb_write32(var::service_screen, entry::sub_08B8E2 /* game loop */);
    sub_08B8E2();
}

// Game settings loop, each frame: cursor, the line's editor on the test
// switch, blink.
void sub_08B8E2() {
    ROUTINE_ENTRY(0x08B8E2);
    if (service_pressed()) {
        unmark_cursor_cell(0x00);
        if (!call(sub_08C50C, 0x08B8F5, 0x08B8F2)) return;
        cpu.reg[10] = cursor_line_cell(rom::game_cursor_lines, next_line(var::service_cursor, kGameLines));
        if (!call(sub_08C451, 0x08B90D, 0x08B90A)) return;
    }
    if (test_pressed())
        if (!call_at(table_entry(rom::game_settings_lines, orb_read8(var::service_cursor)), 0x08B91B,
                     0x08B918))
            return;
    blink_cursor();
    ret();
}

// Prints the game settings: difficulty 1 to 8 with its bar, start energy with
// its bar, the demo sound, screen flip and join texts, and the player count.
void sub_08B929() {
    ROUTINE_ENTRY(0x08B929);
    cpu.reg[20] = kBackup;
    cpu.reg[0] = setting(backup_record::difficulty) + 1;
    cpu.reg[10] = var::difficulty_digits;
    if (!call(sub_08C4EE, 0x08B938, 0x08B935)) return;
    cpu.reg[10] = var::difficulty_bar;
    colour_bar(2 * setting(backup_record::difficulty));
    if (!call(sub_08C501, 0x08B95B, 0x08B958)) return;

    cpu.reg[0] = orb_read16(kBackup + backup_record::start_energy);
    cpu.reg[10] = var::start_energy_digits;
    if (!call(sub_08C4EE, 0x08B96D, 0x08B96A)) return;
    const uint16_t above = sub<uint16_t>(orb_read16(kBackup + backup_record::start_energy), 200);
    cpu.reg[10] = var::energy_bar;
    cmp<uint16_t>(above, 50);
    if (greater_equal()) colour_bar(2 * div<uint16_t>(above, 50));
    if (!call(sub_08C501, 0x08B99D, 0x08B99A)) return;

    cpu.reg[10] = switch_text(rom::demo_sound_texts, backup_record::demo_sound);
    if (!call(sub_08C494, 0x08B9B1, 0x08B9AE)) return;
    cpu.reg[10] = switch_text(kFlipTexts, backup_record::flip_screen);
    if (!call(sub_08C494, 0x08B9C4, 0x08B9C1)) return;
    cpu.reg[0] = setting(backup_record::player_count) + 2;
    cpu.reg[10] = var::player_count_digit;
    if (!call(sub_08C4EE, 0x08B9D3, 0x08B9D0)) return;
    cpu.reg[10] = switch_text(kJoinTexts, backup_record::join_option);
    if (!call(sub_08C494, 0x08B9E5, 0x08B9E2)) return;
    ret();
}

// Game settings line 0: difficulty 0 to 7, cycling.
void sub_08BA04() {
    ROUTINE_ENTRY(0x08BA04);
    set_setting(backup_record::difficulty,
                logic<uint8_t>(inc<uint8_t>(setting(backup_record::difficulty)) & 7));
    sub_08B929();
}

// Game settings line 1: start energy 200 to 600 in steps of 50, cycling.
void sub_08BA16() {
    ROUTINE_ENTRY(0x08BA16);
    const uint32_t field = kBackup + backup_record::start_energy;
    uint16_t energy = add<uint16_t>(orb_read16(field), 50);
    cmp<uint16_t>(energy, 600);
    if (higher()) energy = 200;
    orb_write16(field, energy);
    sub_08B929();
}

// Game settings line 2: demo sound off or on.
void sub_08BA34() {
    ROUTINE_ENTRY(0x08BA34);
    complement_setting(backup_record::demo_sound);
    sub_08B929();
}

// Game settings line 3: screen flip, which the picture follows at once.
void sub_08BA3E() {
    ROUTINE_ENTRY(0x08BA3E);
    complement_setting(backup_record::flip_screen);
    orb_write16(hw::layer_control, logic<uint16_t>(orb_read16(hw::layer_control) ^ 0x0200));
    sub_08B929();
}

// Game settings line 4: player slots 2 to 4 (stored 0 to 2), cycling.
void sub_08BA52() {
    ROUTINE_ENTRY(0x08BA52);
    uint8_t count = inc<uint8_t>(setting(backup_record::player_count));
    cmp<uint8_t>(count, 3);
    if (no_carry()) count = 0;
    set_setting(backup_record::player_count, count);
    sub_08B929();
}

// Game settings line 5: which buttons join.
void sub_08BA69() {
    ROUTINE_ENTRY(0x08BA69);
    complement_setting(backup_record::join_option);
    sub_08B929();
}

// Leaves the game settings for the main menu, marking the settings changed
// when one differs from the copy last saved.
void sub_08BA73() {
    ROUTINE_ENTRY(0x08BA73);
    if (settings_differ(rom::game_compare)) set_bit(var::service_flags, service_flag::settings_changed);
    orb_write32(var::service_screen, entry::sub_08B04A /* main menu */);
    ret();
}

// Coin and credit entry (main-menu line 6) with the cursor on the leave line.
void sub_08BA9A() {
    ROUTINE_ENTRY(0x08BA9A);
    orb_write8(var::service_cursor, kCoinCreditLines - 1);
    sub_08BAA0();
}

// Coin and credit entry keeping service_cursor: draws the page (greying the
// lines that one chute per player makes moot) and runs the loop.
void sub_08BAA0() {
    ROUTINE_ENTRY(0x08BAA0);
    if (!call(sub_060942, 0x08BAA3, 0x08BAA0)) return;
    cpu.reg[10] = rom::coin_credit_text;
    if (!call(sub_08C494, 0x08BAAC, 0x08BAA9)) return;
    if (one_chute_per_player()) {
        cpu.reg[0] = kNotApplying;
        cpu.reg[10] = var::coin_page_chute_run;
        if (!call(sub_08C50C, 0x08BABD, 0x08BABA)) return;
        cpu.reg[10] = var::coin_page_chute_run_2;
        if (!call(sub_08C50C, 0x08BAC6, 0x08BAC3)) return;
    }
    if (!call(sub_08BB38, 0x08BAC9, 0x08BAC6)) return;
    cpu.reg[10] = rom::footer_text;
    if (!call(sub_08C494, 0x08BAD2, 0x08BACF)) return;
    cpu.reg[10] = cursor_line_cell(rom::coin_credit_cursor_lines, orb_read8(var::service_cursor));
    if (!call(sub_08C451, 0x08BAE5, 0x08BAE2)) return;
    orb_write32(var::service_screen, entry::sub_08BAF1 /* coin credit loop */);
    sub_08BAF1();
}

// Coin and credit loop, each frame: cursor, the line's routine (R0 = the
// line) on the test switch, blink.
void sub_08BAF1() {
    ROUTINE_ENTRY(0x08BAF1);
    if (service_pressed()) {
        unmark_cursor_cell(0x00);
        if (!call(sub_08C50C, 0x08BB03, 0x08BB00)) return;
        cpu.reg[10] =
            cursor_line_cell(rom::coin_credit_cursor_lines, next_line(var::service_cursor, kCoinCreditLines));
        if (!call(sub_08C451, 0x08BB1B, 0x08BB18)) return;
    }
    if (test_pressed()) {
        cpu.reg[0] = orb_read8(var::service_cursor);
        if (!call_at(table_entry(rom::coin_credit_lines, cpu.reg[0]), 0x08BB2D, 0x08BB2A)) return;
    }
    blink_cursor();
    ret();
}

// Prints the coin and credit values: chutes, start credits, the coin item
// number and its description.
void sub_08BB38() {
    ROUTINE_ENTRY(0x08BB38);
    cpu.reg[20] = kBackup;
    cpu.reg[10] = switch_text(rom::chute_texts, backup_record::chute_per_player);
    if (!call(sub_08C494, 0x08BB48, 0x08BB45)) return;
    cpu.reg[0] = setting(backup_record::start_credits);
    cpu.reg[1] = 0x04;
    cpu.reg[2] = 7;
    cpu.reg[10] = var::start_credits_cell;
    if (!call(sub_08C4DE, 0x08BB5D, 0x08BB5A)) return;
    orb_write16(var::coin_item_cells, 0);
    orb_write16(var::coin_item_cells + 2, 0);
    // Item 26 (no preset, after a unit or bonus edit) shows as 27 with the
    // description past the presets' own.
    cpu.reg[0] = setting(backup_record::coin_item) + 1;
    cpu.reg[10] = var::coin_item_cells + 4;
    if (!call(sub_08C4EE, 0x08BB75, 0x08BB72)) return;
    cpu.reg[10] = var::coin_item_description;
    if (!call(sub_08BBED, 0x08BB7E, 0x08BB7B)) return;
    cpu.reg[10] = var::preset_description;
    if (!call(sub_08BBED, 0x08BB87, 0x08BB84)) return;
    cpu.reg[10] = table_entry(rom::coin_item_texts, setting(backup_record::coin_item));
    if (!call(sub_08C494, 0x08BB99, 0x08BB96)) return;
    if (one_chute_per_player()) {
        for (uint32_t row = 0; row < 5; ++row) {
            cpu.reg[0] = kNotApplying;
            cpu.reg[10] = var::preset_description + 128 * row;
            if (!call(sub_08C50C, 0x08BBB3, 0x08BBB0)) return;
        }
    }
    ret();
}

// Erases a block of text rows from R10: row after row, while the row's first
// cell is not empty, its run of cells up to the first empty one.
void sub_08BBED() {
    ROUTINE_ENTRY(0x08BBED);
    for (;; cpu.reg[10] += 128) {
        test<uint16_t>(orb_read16(cpu.reg[10]));
        if (eq()) break;
        for (cpu.reg[18] = cpu.reg[10]; test<uint16_t>(orb_read16(cpu.reg[18])), ne(); cpu.reg[18] += 2)
            orb_write16(cpu.reg[18], 0);
    }
    ret();
}

// Coin and credit line 0: shared chutes or one per player; the chute lines
// grey out or come back at once.
void sub_08BC08() {
    ROUTINE_ENTRY(0x08BC08);
    complement_setting(backup_record::chute_per_player);
    cpu.reg[0] = ne() ? kNotApplying : kApplyingAgain;
    cpu.reg[10] = var::coin_page_chute_run;
    if (!call(sub_08C50C, 0x08BC1C, 0x08BC19)) return;
    cpu.reg[10] = var::coin_page_chute_run_2;
    if (!call(sub_08C50C, 0x08BC28, 0x08BC25)) return;
    sub_08BB38();
}

// Coin and credit line 1: one or two credits to start.
void sub_08BC32() {
    ROUTINE_ENTRY(0x08BC32);
    set_setting(backup_record::start_credits, logic<uint8_t>(setting(backup_record::start_credits) ^ 3));
    sub_08BB38();
}

// Coin and credit line 2: the next coin preset (0 to 25). The free-play
// preset sets free play; with one chute per player a preset that would change
// only chute 2 is passed over (never preset 0).
void sub_08BC3B() {
    ROUTINE_ENTRY(0x08BC3B);
    uint8_t item;
    do {
        // Any value from 26 up (26 is "none", left by the unit and bonus
        // edits) starts again at 0: the presets end at 25.
        item = inc<uint8_t>(setting(backup_record::coin_item));
        cmp<uint8_t>(item, kCoinPresetCount);
        if (no_carry()) item = 0;
        set_setting(backup_record::coin_item, item);
        cpu.reg[19] = rom::coin_presets + 4 * item;
        test<uint8_t>(orb_read8(cpu.reg[19]));
        if (negative()) {
            set_setting(backup_record::coins_per_credit, 1);
            set_setting(backup_record::bonus_period, 0xFF);
            set_setting(backup_record::chute1_units, 1);
            set_setting(backup_record::chute2_units, 1);
            set_setting(backup_record::free_play, 0xFF);
            sub_08BB38();
            return;
        }
    } while (one_chute_per_player() && item != 0 &&
             orb_read8(cpu.reg[19]) == setting(backup_record::coins_per_credit) &&
             orb_read8(cpu.reg[19] + 1) == setting(backup_record::bonus_period) &&
             orb_read8(cpu.reg[19] + 2) == setting(backup_record::chute1_units));
    set_setting(backup_record::coins_per_credit, orb_read8(cpu.reg[19]));
    set_setting(backup_record::bonus_period, orb_read8(cpu.reg[19] + 1));
    set_setting(backup_record::chute1_units, orb_read8(cpu.reg[19] + 2));
    set_setting(backup_record::chute2_units, orb_read8(cpu.reg[19] + 3));
    set_setting(backup_record::free_play, 0);
    sub_08BB38();
}

// Coin settings entry (coin and credit line 3): draws the page, greying what
// one chute per player makes moot, with the cursor on the back line; the loop
// runs from the next frame.
void sub_08BCB6() {
    ROUTINE_ENTRY(0x08BCB6);
    if (!call(sub_060942, 0x08BCB9, 0x08BCB6)) return;
    cpu.reg[10] = rom::coin_settings_text;
    if (!call(sub_08C494, 0x08BCC2, 0x08BCBF)) return;
    if (one_chute_per_player()) {
        if (!call(sub_08BD90, 0x08BCCD, 0x08BCCA)) return;
        cpu.reg[0] = kNotApplying;
        cpu.reg[10] = var::coin_settings_run_1;
        if (!call(sub_08C50C, 0x08BCD9, 0x08BCD6)) return;
        cpu.reg[10] = var::coin_settings_run_2;
        if (!call(sub_08C50C, 0x08BCE2, 0x08BCDF)) return;
        cpu.reg[10] = var::coin_settings_run_3;
        if (!call(sub_08C50C, 0x08BCEB, 0x08BCE8)) return;
        cpu.reg[10] = var::coin_settings_run_4;
        if (!call(sub_08C50C, 0x08BCF4, 0x08BCF1)) return;
    }
    if (!call(sub_08BDA8, 0x08BCF7, 0x08BCF4)) return;
    cpu.reg[10] = rom::footer_text;
    if (!call(sub_08C494, 0x08BD00, 0x08BCFD)) return;
    orb_write8(var::service_cursor, kCoinLeaveLine);
    cpu.reg[10] = cursor_line_cell(rom::coin_cursor_lines, kCoinLeaveLine);
    if (!call(sub_08C451, 0x08BD1B, 0x08BD18)) return;
    orb_write32(var::service_screen, entry::sub_08BD28 /* coin loop */);
    ret();
}

// Coin settings loop, each frame: cursor (passing over line 3 with one chute
// per player), the line's routine (R0 = the line) on the test switch, blink.
void sub_08BD28() {
    ROUTINE_ENTRY(0x08BD28);
    if (service_pressed()) {
        const uint8_t leaving = orb_read8(var::service_cursor);
        unmark_cursor_cell(0x00);
        if (!call(sub_08C50C, 0x08BD3B, 0x08BD38)) return;
        if (on_chute_line(leaving)) {
            if (!call(sub_08BD90, 0x08BD4D, 0x08BD4A)) return;
            orb_write8(var::service_cursor, inc<uint8_t>(leaving));
        }
        const uint8_t line = next_line(var::service_cursor, kCoinLines);
        cpu.reg[10] = cursor_line_cell(rom::coin_cursor_lines, line);
        if (!call(sub_08C451, 0x08BD63, 0x08BD60)) return;
        if (on_chute_line(line))
            if (!call(sub_08BD90, 0x08BD6F, 0x08BD6C)) return;
    }
    if (test_pressed()) {
        cpu.reg[0] = orb_read8(var::service_cursor);
        if (!call_at(table_entry(rom::coin_settings_lines, cpu.reg[0]), 0x08BD80, 0x08BD7D)) return;
    }
    blink_cursor();
    ret();
}

// Greys the two chute 2 cells of line 2 (row 10, columns 14 and 15).
void sub_08BD90() {
    ROUTINE_ENTRY(0x08BD90);
    colour_cell(var::chute2_line_cells, kNotApplying);
    colour_cell(var::chute2_line_cells + 2, kNotApplying);
    ret();
}

// Prints the coin settings: coins per credit, the bonus, the units of each
// chute and a coins-to-credits row for each chute.
void sub_08BDA8() {
    ROUTINE_ENTRY(0x08BDA8);
    cpu.reg[20] = kBackup;
    cpu.reg[0] = setting(backup_record::coins_per_credit);
    cpu.reg[1] = 0x04;
    cpu.reg[2] = 5;
    cpu.reg[10] = var::coins_per_credit_cell;
    if (!call(sub_08C4DE, 0x08BDBF, 0x08BDBC)) return;
    const uint8_t bonus = test<uint8_t>(setting(backup_record::bonus_period));
    if (eq()) {
        cpu.reg[10] = rom::no_bonus_text;
        if (!call(sub_08C494, 0x08BDD0, 0x08BDCD)) return;
    } else if (negative()) {
        cpu.reg[10] = rom::free_play_bonus_text;
        if (!call(sub_08C494, 0x08BDDB, 0x08BDD8)) return;
    } else {
        cpu.reg[0] = bonus;
        cpu.reg[10] = var::bonus_period_digits;
        if (!call(sub_08C4EE, 0x08BDE6, 0x08BDE3)) return;
        cpu.reg[10] = rom::bonus_after_text;
        if (!call(sub_08C494, 0x08BDEF, 0x08BDEC)) return;
    }
    cpu.reg[0] = setting(backup_record::chute1_units);
    cpu.reg[1] = 0x04;
    cpu.reg[2] = 5;
    cpu.reg[10] = var::chute1_units_cell;
    if (!call(sub_08C4DE, 0x08BE00, 0x08BDFD)) return;
    cpu.reg[0] = setting(backup_record::chute2_units);
    cpu.reg[1] = 0x04;
    cpu.reg[2] = 5;
    cpu.reg[10] = var::chute2_units_cell;
    if (!call(sub_08C4DE, 0x08BE0F, 0x08BE0C)) return;
    for (const uint32_t field : {backup_record::chute1_units, backup_record::chute2_units}) {
        cpu.reg[0] = setting(backup_record::coins_per_credit);
        cpu.reg[1] = sx8(setting(backup_record::bonus_period));
        cpu.reg[2] = setting(field);
        cpu.reg[10] = field == backup_record::chute1_units ? var::chute1_credit_row : var::chute2_credit_row;
        if (!call(sub_08BE5D, 0x08BE2B, 0x08BE28)) return;
    }
    if (one_chute_per_player()) {
        cpu.reg[0] = kNotApplying;
        cpu.reg[10] = var::chute2_run;
        if (!call(sub_08C50C, 0x08BE51, 0x08BE4E)) return;
        cpu.reg[10] = var::chute2_credit_row;
        if (!call(sub_08C50C, 0x08BE5A, 0x08BE57)) return;
    }
    ret();
}

// One row of the coins-to-credits table: for 1 to 9 coins, the credits they
// give (at most 9) and the fraction left over, four cells a column.
// In: R0 coins per credit, R1 bonus period (signed; a unit more every R1
// units when above 0), R2 units per coin, R10 the first cell.
void sub_08BE5D() {
    ROUTINE_ENTRY(0x08BE5D);
    cpu.reg[3] = 0;  // units
    cpu.reg[4] = 0;  // bonus units
    for (cpu.reg[5] = 1; cpu.reg[5] <= 9; ++cpu.reg[5]) {
        cpu.reg[3] = add<uint32_t>(cpu.reg[3], cpu.reg[2]);
        cmp<uint32_t>(cpu.reg[1], 0);
        if (greater()) {
            cpu.reg[4] = add<uint32_t>(cpu.reg[4], cpu.reg[2]);
            cpu.reg[3] = add<uint32_t>(cpu.reg[3], divu<uint32_t>(cpu.reg[4], cpu.reg[1]));
            cpu.reg[4] = remu<uint32_t>(cpu.reg[4], cpu.reg[1]);
        }
        cpu.reg[6] = divu<uint32_t>(cpu.reg[3], cpu.reg[0]);
        cpu.reg[7] = remu<uint32_t>(cpu.reg[3], cpu.reg[0]);
        cmp<uint8_t>(cpu.reg[6], 9);
        if (no_carry()) {
            cpu.reg[6] = 9;
            cpu.reg[7] = 0;
        }
        if (!call(sub_08BEBF, 0x08BE93, 0x08BE90)) return;
        test<uint32_t>(cpu.reg[7]);
        if (ne()) {
            orb_write16(cpu.reg[10], 0x0A7F + cpu.reg[7]);      // numerator glyph
            orb_write16(cpu.reg[10] + 2, 0x0A86 + cpu.reg[0]);  // denominator glyph
        } else {
            orb_write16(cpu.reg[10], kBlankCell);
            orb_write16(cpu.reg[10] + 2, kBlankCell);
        }
        cpu.reg[10] += 4;
    }
    ret();
}

// Prints the credit count R6 in the two cells at R10 (a blank for a tens digit
// of 0); R10 is left after them.
void sub_08BEBF() {
    ROUTINE_ENTRY(0x08BEBF);
    const uint32_t tens = divu<uint32_t>(cpu.reg[6], 10);
    const uint32_t ones = remu<uint32_t>(cpu.reg[6], 10);
    test<uint32_t>(tens);
    orb_write16(cpu.reg[10], eq() ? kBlankCell : 0x0A30 + tens);
    orb_write16(cpu.reg[10] + 2, 0x0A30 + ones);
    cpu.reg[10] += 4;
    ret();
}

// Coin settings line 0: coins per credit.
void sub_08BEF4() {
    ROUTINE_ENTRY(0x08BEF4);
    cpu.reg[0] = 0x12;
    sub_08BEF8();
}

// Steps the coin setting at backup offset R0 through 1 to 9 (anything from 9
// up, and 0, becomes 1); the coin item becomes "none" unless free play is on.
void sub_08BEF8() {
    ROUTINE_ENTRY(0x08BEF8);
    const uint32_t field = kBackup + cpu.reg[0];
    const uint8_t v = orb_read8(field);
    cmp<uint8_t>(v, 9);
    orb_write8(field, no_carry() ? 1 : inc<uint8_t>(v));
    test<uint8_t>(setting(backup_record::free_play));
    if (eq()) set_setting(backup_record::coin_item, kNoCoinItem);
    sub_08BDA8();
}

// Coin settings line 1: the bonus period 0, 2 to 9, cycling; on the free-play
// marker it goes to 0 and free play ends.
void sub_08BF1D() {
    ROUTINE_ENTRY(0x08BF1D);
    uint8_t v = test<uint8_t>(setting(backup_record::bonus_period));
    if (eq()) v = 1;
    v = inc<uint8_t>(v);
    if (eq()) set_setting(backup_record::free_play, 0);
    cmp<uint8_t>(v, 10);
    if (no_carry()) v = 0;
    set_setting(backup_record::bonus_period, v);
    set_setting(backup_record::coin_item, kNoCoinItem);
    sub_08BDA8();
}

// Coin settings line 2: chute 1 units per coin.
void sub_08BF4A() {
    ROUTINE_ENTRY(0x08BF4A);
    cpu.reg[0] = 0x13;
    sub_08BEF8();
}

// Coin settings line 3: chute 2 units per coin.
void sub_08BF50() {
    ROUTINE_ENTRY(0x08BF50);
    cpu.reg[0] = 0x14;
    sub_08BEF8();
}

// Coin settings line 4: back to the coin and credit page, redrawn on the next
// frame with its cursor on the coin settings line.
void sub_08BF56() {
    ROUTINE_ENTRY(0x08BF56);
    orb_write8(var::service_cursor, kCoinSettingsLine);
    orb_write32(var::service_screen, entry::sub_08BAA0 /* coin credit page */);
    ret();
}

// Leaves the coin and credit page for the main menu. A change marks the
// settings changed and clears the credits saved in the bookkeeping block.
void sub_08BF65() {
    ROUTINE_ENTRY(0x08BF65);
    if (settings_differ(rom::coin_credit_compare)) {
        set_bit(var::service_flags, service_flag::settings_changed);
        if (!call(sub_061055, 0x08BF85, 0x08BF82)) return;
    }
    orb_write32(var::service_screen, entry::sub_08B04A /* main menu */);
    ret();
}
