// Synthetic ROM data: the operator's service mode (menus, pages, texts, coin
// presets) and the defaults of the backup record and the bookkeeping block.
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "game/engine/tables.h"
#include "game/operator/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/service_layout.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

using namespace service_layout;

// A text list as the service pages print it: entries of a cell (low half of
// the text-layer address, or an offset from a base for a relative list), then
// bytes up to a 0; a byte 0x80-0xFF sets the colour to its complement; a cell
// of 0 ends the list.
class text_list {
public:
    text_list& at(int row, int col) { return at_offset(cell(row, col)); }
    // An entry of a relative list: its first cell is the base plus `offset`.
    text_list& at_offset(uint16_t offset) {
        close();
        put16(offset);
        open_ = true;
        return *this;
    }
    text_list& colour(uint8_t attribute) {
        data_.push_back(uint8_t(~attribute));
        return *this;
    }
    text_list& text(std::string_view s) {
        for (char c : s) data_.push_back(uint8_t(c));
        return *this;
    }
    // The list's bytes, its last entry closed and the end marker added.
    bytes finished() const {
        bytes b = data_;
        if (open_) b.push_back(0);
        b.push_back(0);
        b.push_back(0);
        return b;
    }
    // Writes the list at `address`; it must end before `limit` (the next
    // table). Returns the address after it.
    uint32_t plant(rom_builder& rom, uint32_t address, uint32_t limit, const char* what) const {
        const bytes b = finished();
        if (address + b.size() > limit) {
            char msg[160];
            std::snprintf(msg, sizeof msg, "%s: %zu bytes at %06X run past %06X", what, b.size(), address,
                          limit);
            throw std::logic_error(msg);
        }
        rom.put_bytes(address, b, what);
        return address + uint32_t(b.size());
    }

private:
    void close() {
        if (open_) data_.push_back(0);
        open_ = false;
    }
    void put16(uint16_t v) {
        data_.push_back(uint8_t(v));
        data_.push_back(uint8_t(v >> 8));
    }
    bytes data_;
    bool open_ = false;
};

// Text lists reached through a table of u32 pointers at `pointers`: the
// lists are placed one after another from `at`, ending before `limit`.
void plant_pointed(rom_builder& rom, uint32_t pointers, uint32_t at, uint32_t limit,
                   const std::vector<text_list>& lists, const char* what) {
    for (const auto& list : lists) {
        rom.put32(pointers, at, what);
        pointers += 4;
        at = list.plant(rom, at, limit, what);
    }
}

// A one-entry text list.
text_list line(int row, int col, uint8_t attribute, std::string_view s) {
    text_list t;
    t.at(row, col).colour(attribute).text(s);
    return t;
}

// Cell offsets of a page's cursor lines, as its cursor-line table holds them
// (offsets from the text layer's first cell).
void plant_cursor_lines(rom_builder& rom, uint32_t address, std::initializer_list<int> rows,
                        const char* what) {
    block b(rom, address, address + 2 * uint32_t(rows.size()), what);
    for (int row : rows) b.packed<uint16_t>({uint16_t(cell(row, kCursorColumn) - 0xF000)}, what);
}

// A page's line table: the routine run when the test switch is pressed on
// each line.
void plant_routines(rom_builder& rom, uint32_t address, std::initializer_list<uint32_t> routines,
                    const char* what) {
    block(rom, address, address + 4 * uint32_t(routines.size()), what).packed(routines, what);
}

// A list of `backup_record` byte offsets, ended by 0.
void plant_offsets(rom_builder& rom, uint32_t address, std::initializer_list<uint8_t> offsets,
                   const char* what) {
    block b(rom, address, address + uint32_t(offsets.size()) + 1, what);
    b.packed(offsets, what);
    b.bytes({0}, what);
}

void plant_backup_defaults(rom_builder& rom) {
    // Whole-record default of the backup data (signature, version, revision,
    // then the settings); its +0x10..+0x3B are the settings default read on
    // their own at rom::backup_default_settings. The CRC and the save count start at 0: the first
    // save stores the CRC.
    bytes r(64, 0);
    r[0] = 'K';
    r[1] = 'O';
    r[2] = 'T';
    r[3] = 'A';
    r[4] = 0x01;  // version 0x8101
    r[5] = 0x81;
    r[6] = 1;  // revision
    for (size_t i = 0; i < sizeof kDefaultSettings; ++i) r[0x10 + i] = kDefaultSettings[i];
    rom.put_bytes(rom::backup_default_record, r, "backup record default");

    // Bookkeeping block default (+0x02..+0x7D): every counter 0, the shortest
    // play and the lowest score empty (their top bits set).
    bytes b(124, 0);
    b[0x28 - 2] = 0x80;
    b[0x3B - 2] = 0x80;
    rom.put_bytes(rom::bookkeeping_defaults, b, "bookkeeping block default");
}

// Player-input masks, chosen by the player-count setting (2, 3, 4 players):
// the bytes of the absent players are cleared.
void plant_player_masks(rom_builder& rom) {
    rom.put32(rom::player_masks, 0x0000FFFF, "player input mask, 2 players");
    rom.put32(rom::player_masks + 4, 0x00FFFFFF, "player input mask, 3 players");
    rom.put32(rom::player_masks + 8, 0xFFFFFFFF, "player input mask, 4 players");
}

// Main menu: ten lines, the cursor in column 10 of rows 4, 6, ... 22, the
// texts from column 12; line 0 (auto-run) in colour 2.
void plant_main_menu(rom_builder& rom) {
    plant_routines(
        rom, rom::menu_routines,
        {entry::sub_08B129, entry::sub_08B159, entry::sub_08B47C, entry::sub_08B5B7, entry::sub_08B6EC,
         entry::sub_08B8AE, entry::sub_08BA9A, entry::sub_08BF92, entry::sub_08C2BF, entry::sub_08C35C},
        "service menu lines");
    text_list menu;
    menu.at(1, 16).colour(0x00).text("SERVICE");
    for (int i = 0; i < 10; ++i) {
        menu.at(4 + 2 * i, 12);
        if (i == 0) menu.colour(0x02);
        if (i == 1) menu.colour(0x00);
        menu.text(kMenuLines[i]);
    }
    menu.plant(rom, rom::menu_text, rom::auto_run_texts, "service menu text");
    // The auto-run state, printed after line 0's text so that it joins its run.
    plant_pointed(rom, rom::auto_run_texts, rom::auto_run_texts + 8, rom::self_test_text,
                  {line(4, 20, 0x02, " OFF"), line(4, 20, 0x02, " ON ")}, "auto-run state texts");

    // Footer of the menu and the settings pages; the bookkeeping reset erases
    // its first line.
    text_list footer;
    footer.at(26, 4).colour(0x00).text("SERVICE SWITCH: NEXT LINE");
    footer.at(27, 4).text("TEST SWITCH: SELECT");
    footer.plant(rom, rom::footer_text, rom::message_texts, "service footer");
    // The blinking message of the test and bookkeeping pages, plain and auto-run.
    plant_pointed(rom, rom::message_texts, rom::message_texts + 8, rom::save_count_label,
                  {line(25, 12, 0x0A, "PRESS TEST SWITCH"), line(25, 12, 0x0A, "AUTO RUN: PRESS TEST")},
                  "page messages");
    // Label of the save count shown while the service switch is held.
    line(26, 20, 0x00, "SAVES").plant(rom, rom::save_count_label, rom::service_palette, "save count label");

    // Service palette block: eight 16-colour palettes from palette 192 (text
    // colour 0 of the text layer's bank) in the alternate-layout view, one per
    // text colour code 0, 2, ... 14: colour 0 and colour 2 (the font's
    // shadow) black, the rest a tint of the code.
    bytes pal;
    auto put16 = [&](uint16_t v) {
        pal.push_back(uint8_t(v));
        pal.push_back(uint8_t(v >> 8));
    };
    put16(0x9800);
    put16(8 * 16);
    for (int p = 0; p < 8; ++p)
        for (int c = 0; c < 16; ++c) put16(c == 0 || c == 2 ? 0 : uint16_t(0x7FFF ^ (p << 2) ^ (c << 7)));
    rom.put_bytes(rom::service_palette, pal, "service palette block");
}

// Self test page: a title, the progress message (11 characters that the RAM
// tests show and erase on their own at rom::progress_text, so the list carries them
// there), the group labels, the 19 result cells and the four status texts.
void plant_self_test(rom_builder& rom) {
    constexpr uint32_t kList = rom::self_test_text, kProgress = rom::progress_text;
    constexpr std::string_view kProgressText = "TESTING NOW";
    // Title entry: cell, colour byte, text, 0; the next entry's cell and
    // colour byte come before the progress characters.
    const size_t title = kProgress - kList - 2 - 1 - 1 - 2 - 1;
    text_list page;
    std::string head = "SELF TEST OF ROM AND RAM";
    head.resize(title, ' ');
    page.at(1, 6).colour(0x00).text(head);
    page.at(25, 14).colour(0x06).text(kProgressText);
    // Items by group: row, label, count; results from column 14, six apart.
    struct group {
        int row;
        const char* label;
        int items;
    };
    const group groups[] = {{5, "PROGRAM", 2},  {7, "DATA", 2},  {9, "VIDEO", 4},  {11, "SPRITE", 4},
                            {13, "PALETTE", 4}, {15, "WORK", 2}, {17, "SHARED", 1}};
    bytes cells;
    for (const auto& g : groups) {
        page.at(g.row, 4).text(g.label);
        for (int i = 0; i < g.items; ++i) {
            const uint16_t c = cell(g.row, 14 + 6 * i);
            cells.push_back(uint8_t(c));
            cells.push_back(uint8_t(c >> 8));
        }
    }
    const bytes planted = page.finished();
    if (planted.size() < kProgress - kList + kProgressText.size() ||
        !std::equal(kProgressText.begin(), kProgressText.end(), planted.begin() + (kProgress - kList)))
        throw std::logic_error("self test page: the progress message is not where the RAM tests print it");
    page.plant(rom, kList, rom::self_test_cells, "self test page text");
    rom.put_bytes(rom::self_test_cells, cells, "self test result cells");
    // Status texts: attribute, four characters, one byte not read.
    const char* status[4] = {"----", "TEST", "GOOD", "BAD "};
    const uint8_t attribute[4] = {0x00, 0x06, 0x04, 0x0A};
    for (int k = 0; k < 4; ++k) {
        const uint8_t t[6] = {attribute[k],          uint8_t(status[k][0]), uint8_t(status[k][1]),
                              uint8_t(status[k][2]), uint8_t(status[k][3]), 0};
        rom.put_bytes(rom::status_texts + 6 * uint32_t(k), t, "self test status text");
    }
}

// Input test: the same layout for all twelve combinations of players, chutes
// and join option: labels in column 4, player 1's indicators in column 16,
// player 2's in column 28, the service and test indicators on row 23.
void plant_input_test(rom_builder& rom) {
    line(1, 14, 0x00, "INPUT TEST").plant(rom, rom::input_test_text, rom::input_layouts, "input test title");
    constexpr uint32_t kLayouts = rom::input_layouts, kData = rom::input_layouts + 12 * 16,
                       kEnd = rom::sound_test_text;
    // The base cell; the join-option line (start) is greyed at base - 0x06FE.
    const uint16_t base = cell(20, 3);
    text_list heads;
    heads.at(4, 14).colour(0x00).text("PLAYER 1");
    heads.at(4, 26).text("PLAYER 2");
    text_list labels;
    const char* names[] = {"START", "UP", "DOWN", "LEFT", "RIGHT", "BUTTON 1", "BUTTON 2", "COIN"};
    const int rows[] = {6, 7, 8, 9, 10, 11, 12, 14};
    labels.at_offset(uint16_t(cell(rows[0], 4) - base)).colour(0x00).text(names[0]);
    for (int i = 1; i < 8; ++i) labels.at_offset(uint16_t(cell(rows[i], 4) - base)).text(names[i]);
    text_list system;
    system.at(23, 9).colour(0x00).text("SERVICE");
    system.at(23, 24).text("TEST");
    // Indicator lists: cell, I/O register offset, bit (pressed when 0).
    auto indicators = [&](int col, uint8_t pad, uint8_t start_bit, uint8_t coin_bit) {
        const uint8_t reg_bit[8][2] = {{8, start_bit}, {pad, 5}, {pad, 4}, {pad, 7},
                                       {pad, 6},       {pad, 0}, {pad, 1}, {8, coin_bit}};
        bytes b;
        for (int i = 0; i < 8; ++i) {
            const uint16_t c = cell(rows[i], col);
            b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), reg_bit[i][0], reg_bit[i][1]});
        }
        b.insert(b.end(), {0, 0});
        return b;
    };
    const bytes player1 = indicators(16, 0, 4, 2), player2 = indicators(28, 2, 5, 3);

    uint32_t at = kData;
    auto place = [&](const bytes& b, const char* what) {
        if (at + b.size() > kEnd) throw std::logic_error("input test data runs past its end");
        rom.put_bytes(at, b, what);
        const uint32_t placed = at;
        at += uint32_t(b.size());
        return placed;
    };
    const uint32_t heads_at = place(heads.finished(), "input test headings");
    const uint32_t labels_at = place(labels.finished(), "input test labels (relative)");
    const uint32_t system_at = place(system.finished(), "input test system labels");
    const uint32_t list1 = place(player1, "input test indicators, player 1");
    const uint32_t list2 = place(player2, "input test indicators, player 2");
    for (uint32_t k = 0; k < 12; ++k) {
        const uint32_t e = kLayouts + 16 * k;
        rom.put16(e, base, "input test layout: base cell");
        rom.put16(e + 2, uint16_t(heads_at - (e + 2)), "input test layout: headings");
        rom.put16(e + 4, uint16_t(labels_at - (e + 4)), "input test layout: labels");
        rom.put16(e + 6, uint16_t(system_at - (e + 6)), "input test layout: system labels");
        rom.put32(e + 8, list1, "input test layout: first indicator list");
        rom.put32(e + 12, list2, "input test layout: second indicator list");
    }
}

// Colour test: the titles of its two pages.
void plant_colour_test(rom_builder& rom) {
    line(1, 14, 0x00, "COLOUR TEST")
        .plant(rom, rom::colour_test_text, rom::colour_grid_text, "colour test title");
    line(13, 14, 0x00, "COLOUR GRID")
        .plant(rom, rom::colour_grid_text, rom::game_settings_text, "colour grid title");
}

// Sound test: three lines of sound codes and a leave line, cursor in column
// 14 of rows 10, 12, 14, 16.
void plant_sound_test(rom_builder& rom) {
    plant_routines(rom, rom::sound_test_lines,
                   {entry::sub_08B6A0, entry::sub_08B6A0, entry::sub_08B6A0, entry::sub_08B6DA},
                   "sound test lines");
    text_list page;
    page.at(4, 14).colour(0x00).text("SOUND TEST");
    page.at(10, 16).text("MUSIC");
    page.at(12, 16).text("EFFECT");
    page.at(14, 16).text("VOICE");
    page.at(16, 16).text("EXIT");
    page.plant(rom, rom::sound_test_text, rom::sound_lists, "sound test text");
    // Per line, its sound codes ended by 0: 0x80 and above go to ring A,
    // below 0x80 to ring B as their complement.
    rom.put32(rom::sound_lists, rom::sound_lists + 12, "sound test list pointer");
    rom.put32(rom::sound_lists + 4, rom::sound_lists + 15, "sound test list pointer");
    rom.put32(rom::sound_lists + 8, rom::sound_lists + 19, "sound test list pointer");
    const uint8_t lists[] = {0x81, 0x82, 0, 0xA5, 0xAD, 0xA0, 0, 0x10, 0x11, 0};
    rom.put_bytes(rom::sound_lists + 12, lists, "sound test lists");
}

// Game settings: seven lines, values on the right, two bars.
void plant_game_settings(rom_builder& rom) {
    plant_routines(rom, rom::game_settings_lines,
                   {entry::sub_08BA04, entry::sub_08BA16, entry::sub_08BA34, entry::sub_08BA3E,
                    entry::sub_08BA52, entry::sub_08BA69, entry::sub_08BA73},
                   "game settings lines");
    plant_cursor_lines(
        rom, rom::game_cursor_lines,
        {kGameRows[0], kGameRows[1], kGameRows[2], kGameRows[3], kGameRows[4], kGameRows[5], kGameRows[6]},
        "game settings cursor lines");
    text_list page;
    page.at(1, 14).colour(0x00).text("GAME OPTIONS");
    const char* labels[] = {"DIFFICULTY", "ENERGY",  "DEMO SOUND", "FLIP SCREEN",
                            "PLAYERS",    "JOIN IN", "EXIT"};
    for (int i = 0; i < 7; ++i) page.at(kGameRows[i], kCursorColumn + 2).text(labels[i]);
    page.at(7, 17).text(std::string(16, '='));   // difficulty bar
    page.at(11, 15).text(std::string(16, '='));  // energy bar
    page.plant(rom, rom::game_settings_text, rom::game_cursor_lines, "game settings text");
    // Off/on texts of demo sound, screen flip and join option.
    std::vector<text_list> off_on;
    for (int row : {kGameRows[2], kGameRows[3], kGameRows[5]}) {
        off_on.push_back(line(row, 26, 0x00, "OFF"));
        off_on.push_back(line(row, 26, 0x00, "ON "));
    }
    plant_pointed(rom, rom::demo_sound_texts, rom::demo_sound_texts + 0x18, rom::game_compare, off_on,
                  "off/on texts");
    // Fields whose change sets the changed bit on leaving.
    plant_offsets(rom, rom::game_compare, {0x0A, 0x10, 0x16, 0x1A, 0x20, 0x22, 0x23},
                  "game settings compare list");
}

// Coin and credit page, its coin settings page, the coin presets and their
// descriptions.
void plant_coin_settings(rom_builder& rom) {
    plant_routines(
        rom, rom::coin_credit_lines,
        {entry::sub_08BC08, entry::sub_08BC32, entry::sub_08BC3B, entry::sub_08BCB6, entry::sub_08BF65},
        "coin and credit lines");
    plant_cursor_lines(rom, rom::coin_credit_cursor_lines,
                       {kCreditRows[0], kCreditRows[1], kCreditRows[2], kCreditRows[3], kCreditRows[4]},
                       "coin and credit cursor lines");
    text_list credit;
    credit.at(kCreditRows[0], 4).colour(0x00).text("CHUTES");
    credit.at(kCreditRows[1], 4).text("TO START");
    credit.at(6, 26).text(" CREDIT");
    credit.at(kCreditRows[2], 4).text("PRESET");
    credit.at(9, 15).text("A:");
    credit.at(14, 4).text("CHUTE B");
    credit.at(kCreditRows[3], 4).text("DETAILS");
    credit.at(kCreditRows[4], 4).text("EXIT");
    credit.plant(rom, rom::coin_credit_text, rom::coin_settings_text, "coin and credit text");
    // Shared chutes / one chute per player.
    plant_pointed(
        rom, rom::chute_texts, rom::chute_texts + 8, rom::coin_item_texts,
        {line(kCreditRows[0], 20, 0x00, "SHARED    "), line(kCreditRows[0], 20, 0x00, "PER PLAYER")},
        "chute texts");

    plant_routines(
        rom, rom::coin_settings_lines,
        {entry::sub_08BEF4, entry::sub_08BF1D, entry::sub_08BF4A, entry::sub_08BF50, entry::sub_08BF56},
        "coin settings lines");
    plant_cursor_lines(rom, rom::coin_cursor_lines,
                       {kCoinRows[0], kCoinRows[1], kCoinRows[2], kCoinRows[3], kCoinRows[4]},
                       "coin settings cursor lines");
    text_list coin;
    coin.at(1, 14).colour(0x00).text("COIN DETAILS");
    coin.at(kCoinRows[0], 4).text("ONE CREDIT");
    coin.at(6, 24).text(" COIN");
    coin.at(kCoinRows[1], 4).text("BONUS");
    coin.at(kCoinRows[2], 4).text("CHUTE A");
    coin.at(11, 33).text(" UNIT");
    coin.at(12, 3).text("COINS:  1   2   3   4   5   6   7   8   9");
    coin.at(16, 3).text("CHUTE B");
    coin.at(17, 2).text("B UNITS");
    coin.at(17, 15).text("PER COIN");
    coin.at(17, 33).text(" UNIT");
    coin.at(18, 4).text("COINS");
    coin.at(20, 2).text("CREDITS");
    coin.at(kCoinRows[4], 4).text("BACK");
    coin.plant(rom, rom::coin_settings_text, rom::coin_credit_cursor_lines, "coin settings text");
    // Bonus texts: none, the free-play marker, and the words after a period.
    text_list after;
    after.at(8, 12).colour(0x00).text("  ");
    after.at(8, 16).text(" UNITS +1");
    line(8, 12, 0x00, "    NONE     ")
        .plant(rom, rom::no_bonus_text, rom::free_play_bonus_text, "no bonus text");
    line(8, 12, 0x00, "  FREE PLAY  ")
        .plant(rom, rom::free_play_bonus_text, rom::bonus_after_text, "free-play bonus text");
    after.plant(rom, rom::bonus_after_text, rom::coin_presets, "bonus period text");

    // Presets (coins per credit, bonus period, chute-1 units, chute-2 units)
    // and their descriptions, with one description more for item 26 (no
    // preset), which the page prints once a coin field was edited by hand.
    std::vector<text_list> descriptions;
    for (int k = 0; k < kPresetCount; ++k) {
        const auto& p = kPresets[k];
        const uint32_t at = rom::coin_presets + 4 * uint32_t(k);
        if (p[0] & 0x80) {
            rom.put8(at, p[0], "coin preset (free play)");
            descriptions.push_back(line(9, 19, 0x00, "FREE PLAY"));
            continue;
        }
        rom.put_bytes(at, p, "coin preset");
        char text[40];
        std::snprintf(text, sizeof text, "%d UNIT, %d PER CREDIT", p[2], p[0]);
        text_list d = line(9, 19, 0x00, text);
        if (p[1]) {
            std::snprintf(text, sizeof text, "BONUS EVERY %d", p[1]);
            d.at(10, 19).text(text);
        }
        std::snprintf(text, sizeof text, "%d UNIT", p[3]);
        d.at(14, 19).text(text);
        descriptions.push_back(d);
    }
    descriptions.push_back(line(9, 19, 0x00, "CUSTOM"));
    plant_pointed(rom, rom::coin_item_texts, rom::coin_item_texts + 4 * uint32_t(descriptions.size()),
                  rom::no_bonus_text, descriptions, "coin preset descriptions");
    // Fields whose change sets the changed bit (and drops the saved credits).
    plant_offsets(rom, rom::coin_credit_compare, {0x11, 0x12, 0x13, 0x14, 0x15, 0x17, 0x19, 0x1B},
                  "coin settings compare list");
}

// Bookkeeping pages and the bookkeeping reset.
void plant_bookkeeping(rom_builder& rom) {
    text_list p1;
    p1.at(1, 14).colour(0x00).text("BOOKKEEPING");
    // Chute lines: greyed from column 12 when the chute is not in use.
    const char* chutes[] = {"CHUTE 1 COIN", "CHUTE 2 COIN", "CHUTE 3 COIN", "CHUTE 4 COIN", "  TOTAL COIN"};
    for (int i = 0; i < 5; ++i) p1.at(5 + i, 12).text(chutes[i]);
    p1.at(11, 13).text("COIN CREDIT");
    p1.at(12, 10).text("SERVICE CREDIT");
    p1.at(13, 12).text("TOTAL CREDIT");
    p1.at(15, 20).text("JOIN");
    p1.at(17, 4).text("POWER ON");
    p1.at(18, 4).text("PLAYING");
    p1.at(19, 4).text("AVERAGE PLAY");
    p1.at(20, 4).text("LONGEST PLAY");
    p1.at(21, 4).text("SHORTEST PLAY");
    p1.at(22, 4).text("GAME SHARE");
    p1.at(22, 31).text("%");
    p1.plant(rom, rom::bookkeeping_text_1, rom::bookkeeping_text_2, "bookkeeping page 1 text");

    text_list p2;
    p2.at(1, 14).colour(0x00).text("PLAY LENGTHS");
    for (int i = 0; i < 12; ++i) {
        char band[24];
        if (i < 10)
            std::snprintf(band, sizeof band, "%d:%02d", i / 2, 30 * (i % 2));
        else
            std::snprintf(band, sizeof band, "%s", i == 10 ? "5:00" : "10:00");
        p2.at(6 + i, 4).text(band);
    }
    p2.at(20, 4).text("AVERAGE SCORE");
    p2.at(21, 4).text("BEST SCORE");
    p2.at(22, 4).text("LOWEST SCORE");
    p2.plant(rom, rom::bookkeeping_text_2, rom::bookkeeping_reset_text, "bookkeeping page 2 text");

    text_list reset = line(8, 10, 0x00, "CLEAR BOOKKEEPING");
    reset.at(12, 19).text("NO");
    reset.at(18, 19).text("YES");
    reset.plant(rom, rom::bookkeeping_reset_text, rom::bookkeeping_cleared_text, "bookkeeping reset text");
    line(20, 16, 0x0A, "CLEARED")
        .plant(rom, rom::bookkeeping_cleared_text, rom::footer_text, "bookkeeping cleared text");
}

}  // namespace

void plant_service(rom_builder& rom) {
    plant_backup_defaults(rom);
    plant_player_masks(rom);
    plant_main_menu(rom);
    plant_self_test(rom);
    plant_input_test(rom);
    plant_sound_test(rom);
    plant_colour_test(rom);
    plant_game_settings(rom);
    plant_coin_settings(rom);
    plant_bookkeeping(rom);
}

}  // namespace synthetic
