#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/operator/tables.h"
#include "tests/game/service_fixture.h"

namespace {

using namespace service_test;

constexpr uint8_t kChanged = 1 << 2;

// The three settings pages on planted ROM: line i of each page has its cursor
// cell at row 4 + 2i, column 2 (row 10 + ... for the coin settings, whose line
// 2 holds the chute 2 cells at columns 14 and 15), with a text run from
// column 4; the line tables name the pages' own routines.
class SettingsPages : public ServiceTest {
protected:
    static constexpr uint32_t page_cursor(uint32_t line) { return cell(4 + 2 * line, 2); }
    static constexpr uint32_t coin_cursor(uint32_t line) { return cell(6 + 2 * line, 12); }

    void SetUp() override {
        ServiceTest::SetUp();
        for (uint32_t line = 0; line < 7; ++line) {
            plant16(rom::game_cursor_lines + 2 * line,
                    static_cast<uint16_t>(page_cursor(line) - hw::text_layer));
            if (line < 5) {
                plant16(rom::coin_credit_cursor_lines + 2 * line,
                        static_cast<uint16_t>(page_cursor(line) - hw::text_layer));
                plant16(rom::coin_cursor_lines + 2 * line,
                        static_cast<uint16_t>(coin_cursor(line) - hw::text_layer));
            }
        }
        const auto line_text = [](uint32_t at) { return static_cast<uint16_t>(at + 4); };
        plant_text_here(rom::game_settings_text, {{line_text(page_cursor(0)), "DIFFICULTY"},
                                                  {line_text(page_cursor(1)), "ENERGY"},
                                                  {line_text(page_cursor(2)), "DEMO"},
                                                  {line_text(page_cursor(3)), "FLIP"},
                                                  {line_text(page_cursor(4)), "PLAYERS"},
                                                  {line_text(page_cursor(5)), "JOIN"},
                                                  {line_text(page_cursor(6)), "EXIT"},
                                                  {0xF3A2, "================"},
                                                  {0xF59E, "================"}});
        plant_text_here(rom::coin_credit_text, {{line_text(page_cursor(0)), "CHUTES"},
                                                {line_text(page_cursor(1)), "START"},
                                                {line_text(page_cursor(2)), "ITEM"},
                                                {line_text(page_cursor(3)), "COINS"},
                                                {line_text(page_cursor(4)), "EXIT"}});
        plant_text_here(rom::coin_settings_text, {{line_text(coin_cursor(0)), "CREDIT"},
                                                  {line_text(coin_cursor(1)), "BONUS"},
                                                  {line_text(coin_cursor(2)), "22UNITS1"},
                                                  {line_text(coin_cursor(3)), "UNITS2"},
                                                  {line_text(coin_cursor(4)), "BACK"}});
        const uint32_t game_lines[7] = {entry::sub_08BA04, entry::sub_08BA16, entry::sub_08BA34,
                                        entry::sub_08BA3E, entry::sub_08BA52, entry::sub_08BA69,
                                        entry::sub_08BA73};
        for (uint32_t i = 0; i < 7; ++i) plant32(rom::game_settings_lines + 4 * i, game_lines[i]);
        const uint32_t credit_lines[5] = {entry::sub_08BC08, entry::sub_08BC32, entry::sub_08BC3B,
                                          entry::sub_08BCB6, entry::sub_08BF65};
        const uint32_t coin_lines[5] = {entry::sub_08BEF4, entry::sub_08BF1D, entry::sub_08BF4A,
                                        entry::sub_08BF50, entry::sub_08BF56};
        for (uint32_t i = 0; i < 5; ++i) {
            plant32(rom::coin_credit_lines + 4 * i, credit_lines[i]);
            plant32(rom::coin_settings_lines + 4 * i, coin_lines[i]);
        }
        const uint8_t game_compare[] = {0x20, 0x22, 0x23, 0x16, 0x0A, 0x10, 0x1A, 0};
        for (uint32_t i = 0; i < sizeof game_compare; ++i) plant8(rom::game_compare + i, game_compare[i]);
        plant_text_at(rom::demo_sound_texts, {{0xF2C0, "OFF"}});
        plant_text_at(0x08CE84, {{0xF2C0, "ON "}});
        plant_text_at(rom::chute_texts, {{0xF140, "SHARED"}});
        plant_text_at(0x08D0C8, {{0xF140, "PLAYER"}});
        for (uint32_t item = 0; item < 27; ++item)
            plant_text_at(rom::coin_item_texts + 4 * item, {{0xF4A6, "ITEM" + std::to_string(item)}});
        // Presets: n coins a credit for preset n, no bonus, chute 1 one unit,
        // chute 2 n units.
        for (uint32_t item = 0; item < 26; ++item)
            plant_preset(item,
                         {static_cast<uint8_t>(item % 9 + 1), 0, 1, static_cast<uint8_t>(item % 9 + 1)});
        plant_credit_compare();

        const uint8_t settings[][2] = {{backup_record::difficulty, 3},   {backup_record::demo_sound, 0xFF},
                                       {backup_record::player_count, 1}, {backup_record::coins_per_credit, 1},
                                       {backup_record::chute1_units, 1}, {backup_record::chute2_units, 1},
                                       {backup_record::start_credits, 1}};
        for (const auto& s : settings) set_setting(s[0], s[1]);
        orb_write16(kBackup + backup_record::start_energy, 400);
        save();
        orb_write8(var::saved_credits, 3);  // saved credits
        orb_write8(0x701FF0, 3);
    }

    // The credit compare list starts inside preset 25, as in the game's ROM.
    void plant_credit_compare() {
        const uint8_t compare[] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x17, 0x19, 0x1B, 0};
        for (uint32_t i = 0; i < sizeof compare; ++i) plant8(rom::coin_credit_compare + i, compare[i]);
    }
    void plant_preset(uint32_t item, std::vector<uint8_t> bytes) {
        for (uint32_t i = 0; i < 4; ++i) plant8(rom::coin_presets + 4 * item + i, bytes[i]);
    }
    // The values as the last save left them.
    static void save() {
        for (uint32_t i = 0; i < 64; ++i) orb_write8(kSpare + i, orb_read8(kBackup + i));
    }
    static uint8_t line() { return orb_read8(var::service_cursor); }
    static uint8_t changed() { return orb_read8(var::service_flags) & kChanged; }
    // Opens a page as the main menu starts it, then presses the service switch.
    void open(uint32_t entry, int presses = 0) {
        screen(entry);
        frame();
        for (int i = 0; i < presses; ++i) frame(kPressService);
    }
};

TEST_F(SettingsPages, GameSettingsShowEveryValueWithItsBars) {
    open(entry::sub_08B8AE /* game entry */);
    EXPECT_EQ(line(), 6);
    EXPECT_EQ(orb_read16(page_cursor(6)), 0x0A7F) << "the loop runs in the entry's frame";
    EXPECT_EQ(colour(page_cursor(6) + 4), 0x0A);
    EXPECT_EQ(cells(0x31F2BC, 1), std::vector<uint16_t>{0x0434}) << "difficulty 3 shows 4";
    EXPECT_EQ(cells(0x31F4B8, 3), (std::vector<uint16_t>{0x0434, 0x0430, 0x0430}));
    EXPECT_EQ(cells(0x31F8BA, 1), std::vector<uint16_t>{0x0433}) << "players 1 shows 3";
    EXPECT_EQ(text_at(0x31F2C0), "ON ");
    std::string bar, energy;
    for (uint32_t i = 0; i < 16; ++i) {
        bar += colour(0x31F3A2 + 2 * i) == 4 ? '#' : '.';
        energy += colour(0x31F59E + 2 * i) == 4 ? '#' : '.';
    }
    EXPECT_EQ(bar, "######..........");
    EXPECT_EQ(energy, "########........") << "(400 - 200) / 50 = 4 steps";

    orb_write16(kBackup + backup_record::start_energy, 200);
    set_setting(backup_record::difficulty, 0);
    ASSERT_TRUE(run(sub_08B929));
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(colour(0x31F3A2 + 2 * i), 0) << i;
        EXPECT_EQ(colour(0x31F59E + 2 * i), 0) << i;
    }
}

// Each page opens on its leave line; leaving at once, or after an edit that
// was undone, changes nothing. A real change marks it once, on leaving.
TEST_F(SettingsPages, LeavingMarksTheSettingsChangedOnlyForARealChange) {
    const struct {
        const char* name;
        uint32_t entry;
        uint8_t leave_line;
        int line;
        int edits;  // test presses on that line
        bool changed;
    } cases[] = {
        {"game, no edit", entry::sub_08B8AE /* game entry */, 6, -1, 0, false},
        {"game, demo sound twice", entry::sub_08B8AE /* game entry */, 6, 2, 2, false},
        {"game, difficulty", entry::sub_08B8AE /* game entry */, 6, 0, 1, true},
        {"game, difficulty eight times", entry::sub_08B8AE /* game entry */, 6, 0, 8, false},
        {"coin and credit, no edit", entry::sub_08BA9A /* coin credit entry */, 4, -1, 0, false},
        {"coin and credit, start credits twice", entry::sub_08BA9A /* coin credit entry */, 4, 1, 2, false},
        {"coin and credit, start credits", entry::sub_08BA9A /* coin credit entry */, 4, 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write8(var::service_flags, 0);
        open(c.entry);
        EXPECT_EQ(line(), c.leave_line);
        if (c.line >= 0) {
            for (int i = 0; i <= c.line; ++i) frame(kPressService);
            for (int i = 0; i < c.edits; ++i) frame(kPressTest);
            EXPECT_EQ(changed(), 0) << "decided on leaving";
            while (line() != c.leave_line) frame(kPressService);
        }
        const int clears = calls(sub_061055 /* clear saved credits */);
        frame(kPressTest);
        EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
        EXPECT_EQ(changed(), c.changed ? kChanged : 0);
        const bool coin_page = c.entry == entry::sub_08BA9A /* coin credit entry */;
        EXPECT_EQ(calls(sub_061055 /* clear saved credits */) - clears, c.changed && coin_page ? 1 : 0);
        save();
    }
    EXPECT_EQ(orb_read8(var::saved_credits), 0) << "the saved credits are cleared";
}

// The coin settings entry is called from the coin and credit loop and its own
// loop starts on the next frame; the other entries run theirs at once.
TEST_F(SettingsPages, EntriesStartTheirLoopsInTheSameFrameButTheCoinSettings) {
    const struct {
        v60_routine entry;
        uint32_t loop;
        uint32_t cursor;
        bool ran;
    } cases[] = {
        {sub_08B8AE, entry::sub_08B8E2, page_cursor(6), true},
        {sub_08BA9A, entry::sub_08BAF1, page_cursor(4), true},
        {sub_08BCB6, entry::sub_08BD28, coin_cursor(4), false},
    };
    orb_write8(var::system_presses, 0);  // no switch pressed in this frame
    for (const auto& c : cases) {
        orb_write8(var::service_blink_timer, 0x33);
        ASSERT_TRUE(run(c.entry));
        EXPECT_EQ(screen(), c.loop);
        EXPECT_EQ(ram32(var::service_blink_cell), c.cursor);
        EXPECT_EQ(orb_read16(c.cursor), c.ran ? 0x0A7F : 0);
        EXPECT_EQ(ram8(var::service_blink_timer), c.ran ? 10 : 0);
    }
}

TEST_F(SettingsPages, CoinSettingsGoBackToTheCoinLine) {
    open(entry::sub_08BA9A /* coin credit entry */, 4);  // line 3
    frame(kPressTest);
    EXPECT_EQ(screen(), entry::sub_08BD28);
    EXPECT_EQ(text_at(coin_cursor(4) + 4), "BACK");
    frame(kPressTest);  // back, on line 4
    EXPECT_EQ(screen(), entry::sub_08BAA0);
    EXPECT_EQ(line(), 3);
    frame();
    EXPECT_EQ(text_at(page_cursor(3) + 4), "COINS");
    EXPECT_EQ(ram32(var::service_blink_cell), page_cursor(3));
    EXPECT_EQ(screen(), entry::sub_08BAF1);
}

TEST_F(SettingsPages, Editors) {
    const struct {
        const char* name;
        v60_routine editor;
        uint32_t field;
        uint16_t before, after;
        uint8_t free_play = 0;
        uint8_t free_play_after = 0;
        uint8_t coin_item_after = 7;  // 7: left alone
    } cases[] = {
        {"energy 600", sub_08BA16, backup_record::start_energy, 600, 200},
        {"energy 550", sub_08BA16, backup_record::start_energy, 550, 600},
        {"energy 200", sub_08BA16, backup_record::start_energy, 200, 250},
        {"difficulty 7", sub_08BA04, backup_record::difficulty, 7, 0},
        {"difficulty 3", sub_08BA04, backup_record::difficulty, 3, 4},
        {"demo sound", sub_08BA34, backup_record::demo_sound, 0, 0xFF},
        {"players 2", sub_08BA52, backup_record::player_count, 2, 0},
        {"players 0", sub_08BA52, backup_record::player_count, 0, 1},
        {"join", sub_08BA69, backup_record::join_option, 0xFF, 0},
        {"chutes", sub_08BC08, backup_record::chute_per_player, 0, 0xFF},
        {"start credits 1", sub_08BC32, backup_record::start_credits, 1, 2},
        {"start credits 2", sub_08BC32, backup_record::start_credits, 2, 1},
        {"coins 9", sub_08BEF4, backup_record::coins_per_credit, 9, 1, 0, 0, 26},
        {"coins 0", sub_08BEF4, backup_record::coins_per_credit, 0, 1, 0, 0, 26},
        {"coins 4", sub_08BEF4, backup_record::coins_per_credit, 4, 5, 0, 0, 26},
        {"coins 200", sub_08BEF4, backup_record::coins_per_credit, 200, 1, 0, 0, 26},
        {"units 1 in free play", sub_08BF4A, backup_record::chute1_units, 9, 1, 0xFF, 0xFF, 7},
        {"units 2", sub_08BF50, backup_record::chute2_units, 0, 1, 0, 0, 26},
        {"bonus 0", sub_08BF1D, backup_record::bonus_period, 0, 2, 0, 0, 26},
        {"bonus 2", sub_08BF1D, backup_record::bonus_period, 2, 3, 0, 0, 26},
        {"bonus 9", sub_08BF1D, backup_record::bonus_period, 9, 0, 0, 0, 26},
        {"bonus free play", sub_08BF1D, backup_record::bonus_period, 0xFF, 0, 0xFF, 0, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool wide = c.field == backup_record::start_energy;
        if (wide)
            orb_write16(kBackup + c.field, c.before);
        else
            set_setting(c.field, static_cast<uint8_t>(c.before));
        set_setting(backup_record::free_play, c.free_play);
        set_setting(backup_record::coin_item, 7);
        ASSERT_TRUE(run(c.editor));
        EXPECT_EQ(wide ? orb_read16(kBackup + c.field) : setting(c.field), c.after);
        EXPECT_EQ(setting(backup_record::free_play), c.free_play_after);
        EXPECT_EQ(setting(backup_record::coin_item), c.coin_item_after);
    }
}

TEST_F(SettingsPages, ScreenFlipTurnsThePictureAtOnce) {
    orb_write16(hw::layer_control, 0x1234);
    set_setting(backup_record::flip_screen, 0);
    ASSERT_TRUE(run(sub_08BA3E));
    EXPECT_EQ(setting(backup_record::flip_screen), 0xFF);
    EXPECT_EQ(orb_read16(hw::layer_control), 0x1034);
    ASSERT_TRUE(run(sub_08BA3E));
    EXPECT_EQ(setting(backup_record::flip_screen), 0);
    EXPECT_EQ(orb_read16(hw::layer_control), 0x1234);
}

TEST_F(SettingsPages, ChuteEditGreysOrRestoresTheChuteLines) {
    open(entry::sub_08BA9A /* coin credit entry */);
    set_setting(backup_record::chute_per_player, 0);  // shared chutes
    orb_write16(0x31F49E, 0x0041);
    orb_write16(0x31F708, 0x0042);
    ASSERT_TRUE(run(sub_08BC08));
    EXPECT_EQ(orb_read16(0x31F49E), 0x0E41);
    EXPECT_EQ(orb_read16(0x31F708), 0x0E42);
    EXPECT_EQ(text_at(0x31F140), "PLAYER");
    ASSERT_TRUE(run(sub_08BC08));
    EXPECT_EQ(orb_read16(0x31F49E), 0x0641);
    EXPECT_EQ(text_at(0x31F140), "SHARED");
}

// Stepping the coin item: the next preset's four values, free play off.
TEST_F(SettingsPages, CoinItemStepsThroughThePresets) {
    const struct {
        const char* name;
        uint8_t from, chutes, to;
        std::vector<uint8_t> coins;  // coins per credit, bonus, units 1, units 2, free play
    } cases[] = {
        {"next", 3, 0, 4, {5, 0, 1, 5, 0}},
        {"25 wraps", 25, 0, 0, {1, 0, 1, 1, 0}},
        {"26 (none) starts again", 26, 0, 0, {1, 0, 1, 1, 0}},
        {"255 starts again", 255, 0, 0, {1, 0, 1, 1, 0}},
        {"one chute: past chute 2 only", 0, 0xFF, 1, {2, 0, 1, 2, 0}},
        {"one chute: preset 0 all the same", 25, 0xFF, 0, {1, 0, 1, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set_setting(backup_record::coin_item, c.from);
        set_setting(backup_record::chute_per_player, c.chutes);
        set_setting(backup_record::coins_per_credit, 1);
        set_setting(backup_record::bonus_period, 0);
        set_setting(backup_record::chute1_units, 1);
        set_setting(backup_record::free_play, 0xFF);
        ASSERT_TRUE(run(sub_08BC3B));
        EXPECT_EQ(setting(backup_record::coin_item), c.to);
        EXPECT_EQ(
            (std::vector<uint8_t>{setting(backup_record::coins_per_credit),
                                  setting(backup_record::bonus_period), setting(backup_record::chute1_units),
                                  setting(backup_record::chute2_units), setting(backup_record::free_play)}),
            c.coins);
        EXPECT_EQ(text_at(0x31F4A6), "ITEM" + std::to_string(c.to));
    }
}

TEST_F(SettingsPages, OneChutePerPlayerSkipsPresetsThatChangeOnlyChute2) {
    set_setting(backup_record::chute_per_player, 0xFF);
    plant_preset(5, {3, 0, 2, 4});
    plant_preset(6, {3, 0, 2, 7});
    plant_preset(7, {3, 0, 2, 8});
    plant_preset(8, {3, 4, 2, 8});
    set_setting(backup_record::coins_per_credit, 3);
    set_setting(backup_record::bonus_period, 0);
    set_setting(backup_record::chute1_units, 2);
    set_setting(backup_record::chute2_units, 1);
    set_setting(backup_record::coin_item, 4);
    ASSERT_TRUE(run(sub_08BC3B));
    EXPECT_EQ(setting(backup_record::coin_item), 8);
    EXPECT_EQ(setting(backup_record::bonus_period), 4);
    EXPECT_EQ(setting(backup_record::chute2_units), 8);
}

TEST_F(SettingsPages, FreePlayPresetSetsFreePlay) {
    plant_preset(5, {0x80, 7, 7, 7});
    set_setting(backup_record::coin_item, 4);
    ASSERT_TRUE(run(sub_08BC3B));
    EXPECT_EQ(setting(backup_record::coin_item), 5);
    EXPECT_EQ(setting(backup_record::coins_per_credit), 1);
    EXPECT_EQ(setting(backup_record::bonus_period), 0xFF);
    EXPECT_EQ(setting(backup_record::chute1_units), 1);
    EXPECT_EQ(setting(backup_record::chute2_units), 1);
    EXPECT_EQ(setting(backup_record::free_play), 0xFF);
}

// Past the 26 presets lies the compare list; from "none" (26) the step must
// not read it as presets 26 or 27.
TEST_F(SettingsPages, CoinItemFromNoneNeverReadsPastThePresets) {
    plant8(0x08D92A, 0x81);
    plant8(0x08D92E, 0x82);
    for (const uint8_t chutes : {0x00, 0xFF}) {
        set_setting(backup_record::chute_per_player, chutes);
        set_setting(backup_record::coin_item, 26);
        set_setting(backup_record::free_play, 0);
        ASSERT_TRUE(run(sub_08BC3B));
        EXPECT_EQ(setting(backup_record::coin_item), 0);
        EXPECT_EQ(setting(backup_record::free_play), 0);
        EXPECT_EQ(setting(backup_record::bonus_period), 0);
    }
}

// Item 26 is what every unit and bonus edit leaves: the page shows 27 and the
// description after the presets' own.
TEST_F(SettingsPages, CoinItemNoneShowsTwentySeven) {
    set_setting(backup_record::coin_item, 26);
    ASSERT_TRUE(run(sub_08BB38));
    EXPECT_EQ(cells(0x31F440, 2), (std::vector<uint16_t>{0x0432, 0x0437}));
    EXPECT_EQ(text_at(0x31F4A6), "ITEM26");
}

TEST_F(SettingsPages, OneChutePerPlayerCursorPassesOverChute2) {
    set_setting(backup_record::chute_per_player, 0xFF);
    open(entry::sub_08BA9A /* coin credit entry */, 4);
    frame(kPressTest);  // the coin settings
    frame();
    EXPECT_EQ(colour(0x31F51C), 0x0E);
    std::vector<int> lines;
    for (int i = 0; i < 5; ++i) {
        frame(kPressService);
        lines.push_back(line());
        EXPECT_EQ(colour(0x31F51C), 0x0E) << "line " << int(line());
        EXPECT_EQ(colour(0x31F51E), 0x0E) << "line " << int(line());
        if (line() == 2) {
            EXPECT_EQ(colour(0x31F520), 0x0A);
        }
    }
    EXPECT_EQ(lines, (std::vector<int>{0, 1, 2, 4, 0}));
    EXPECT_EQ(colour(0x31F520), 0x00);

    set_setting(backup_record::chute_per_player, 0);
    lines.clear();
    for (int i = 0; i < 3; ++i) {
        frame(kPressService);
        lines.push_back(line());
    }
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3}));
}

// Four cells a column for 1 to 9 coins: credits (tens blank), then the
// fraction's glyphs or two blanks.
TEST_F(SettingsPages, CoinsToCreditsRows) {
    const auto column = [](uint32_t credits, uint32_t rest, uint32_t c) {
        return std::vector<uint16_t>{0x0020, static_cast<uint16_t>(0x0A30 + credits),
                                     static_cast<uint16_t>(rest ? 0x0A7F + rest : 0x0020),
                                     static_cast<uint16_t>(rest ? 0x0A86 + c : 0x0020)};
    };
    const struct {
        uint32_t c;
        int32_t b;
        uint32_t u;
        std::vector<std::pair<uint32_t, uint32_t>> shown;  // credits, rest for 1 to 9 coins
    } cases[] = {
        {2, 0, 1, {{0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {4, 0}, {4, 1}}},
        {1, 0, 2, {{2, 0}, {4, 0}, {6, 0}, {8, 0}, {9, 0}, {9, 0}, {9, 0}, {9, 0}, {9, 0}}},
        {2, 0, 3, {{1, 1}, {3, 0}, {4, 1}, {6, 0}, {7, 1}, {9, 0}, {9, 0}, {9, 0}, {9, 0}}},
        {2, 4, 1, {{0, 1}, {1, 0}, {1, 1}, {2, 1}, {3, 0}, {3, 1}, {4, 0}, {5, 0}, {5, 1}}},
        {3, -1, 1, {{0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}, {3, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "c " << c.c << " b " << c.b << " u " << c.u);
        cpu.reg[0] = c.c;
        cpu.reg[1] = static_cast<uint32_t>(c.b);
        cpu.reg[2] = c.u;
        cpu.reg[10] = 0x31F686;
        ASSERT_TRUE(run(sub_08BE5D));
        for (uint32_t n = 0; n < 9; ++n)
            EXPECT_EQ(cells(0x31F686 + 8 * n, 4), column(c.shown[n].first, c.shown[n].second, c.c))
                << n + 1 << " coins";
    }
}

// The row divides by the coins per credit; a 0 there ends the run.
TEST_F(SettingsPages, CoinsToCreditsRowWithNoCoinsPerCreditEndsTheRun) {
    cpu.reg[0] = 0;
    cpu.reg[2] = 1;
    cpu.reg[10] = 0x31F686;
    EXPECT_EXIT(run(sub_08BE5D), ::testing::ExitedWithCode(3), "V60 division by zero \\(frame 0\\)");
}

TEST_F(SettingsPages, BonusTexts) {
    plant_text_here(rom::no_bonus_text, {{0xF410, "NONE"}});
    plant_text_here(rom::free_play_bonus_text, {{0xF410, "FREE"}});
    plant_text_here(rom::bonus_after_text, {{0xF422, "PERIOD"}});
    const struct {
        uint8_t bonus;
        const char* text;
        uint16_t digit;
    } cases[] = {{0, "NONE", 0}, {0xFF, "FREE", 0}, {3, "PERIOD", 0x0433}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (uint32_t a = 0x31F400; a < 0x31F440; a += 2) orb_write16(a, 0);
        set_setting(backup_record::bonus_period, c.bonus);
        ASSERT_TRUE(run(sub_08BDA8));
        EXPECT_EQ(text_at(c.digit ? 0x31F422 : 0x31F410), c.text);
        EXPECT_EQ(orb_read16(0x31F41E), c.digit);
    }
}

// A line whose table entry names no routine ends the run at the test press.
TEST_F(SettingsPages, LineWithoutCodeEndsTheRun) {
    plant32(rom::game_settings_lines + 4 * 6, 0x08BA35);
    open(entry::sub_08B8AE /* game entry */);
    EXPECT_EXIT(frame(kPressTest), ::testing::ExitedWithCode(3),
                "No translated code starts at 08BA35 \\(frame 0\\)");
}

}  // namespace
