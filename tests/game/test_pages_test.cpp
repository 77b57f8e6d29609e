#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/operator/tables.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/service_stand_ins.h"

namespace {

using namespace service_test;

void set_backup(uint8_t players, uint8_t chute_per_player, uint8_t join) {
    orb_write8(var::backup_primary + backup_record::player_count, players);
    orb_write8(var::backup_primary + backup_record::chute_per_player, chute_per_player);
    orb_write8(var::backup_primary + backup_record::join_option, join);
}

// ---- input test ----

class InputTest : public ServicePageTest {
protected:
    void SetUp() override {
        ServicePageTest::SetUp();
        press(0x00);  // no system switch moves this frame unless a test says so
        orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = 0xFF;
        orb_board.io.io_inputs[ORB_INPUT_DIP] = 0xFF;
        orb_board.io.io_inputs[ORB_INPUT_P1] = 0xFF;
    }

    // Twelve layouts, each naming three text lists that write the layout's
    // letter at row 2 (column k), row 20 (relative: base + k + 1 cells) and row 4,
    // and two descriptor lists of one entry each at rows 7 and 8.
    void plant_layouts() {
        uint32_t lists = 0x08D000;
        for (uint32_t k = 0; k < 12; ++k) {
            const uint32_t e = rom::input_layouts + 16 * k;
            const uint16_t base = static_cast<uint16_t>(cell(20, 10));
            plant16(e, base);
            const std::string name(1, static_cast<char>('a' + k));
            plant16(e + 2, static_cast<uint16_t>(lists - (e + 2)));
            lists = plant_list(lists, static_cast<uint16_t>(cell(2, k)), name);
            plant16(e + 4, static_cast<uint16_t>(lists - (e + 4)));
            lists = plant_list(lists, static_cast<uint16_t>(2 * k + 2), name);
            plant16(e + 6, static_cast<uint16_t>(lists - (e + 6)));
            lists = plant_list(lists, static_cast<uint16_t>(cell(4, k)), name);
            plant32(e + 8, lists);
            plant16(lists, static_cast<uint16_t>(cell(7, 2 * k)));
            plant8(lists + 2, 0x08);  // port E
            plant8(lists + 3, 4);     // start 1
            lists += 6;               // entry and its end mark
            plant32(e + 12, lists);
            plant16(lists, static_cast<uint16_t>(cell(8, 2 * k)));
            plant8(lists + 2, 0x00);  // port A
            plant8(lists + 3, 0);     // player 1, button 1
            lists += 6;
        }
    }
};

struct layout_case {
    uint8_t players, chute_per_player, join;
    uint32_t layout;
};

TEST_F(InputTest, LayoutFollowsPlayersChutesAndJoinOption) {
    const layout_case cases[] = {
        {0, 0x00, 0x00, 0}, {1, 0x00, 0x00, 1},  {2, 0xFF, 0x00, 5},
        {0, 0x00, 0xFF, 6}, {1, 0xFF, 0xFF, 10}, {2, 0xFF, 0xFF, 11},
    };
    plant_layouts();
    for (const layout_case& c : cases) {
        SCOPED_TRACE(c.layout);
        set_backup(c.players, c.chute_per_player, c.join);
        ASSERT_TRUE(run(sub_08B47C));
        const char name = static_cast<char>('a' + c.layout);
        EXPECT_EQ(row_text(2, c.layout, c.layout), std::string(1, name));
        EXPECT_EQ(orb_read16(cell(20, 11) + 2 * c.layout) & 0xFF, name) << "relative to the base";
        EXPECT_EQ(row_text(4, c.layout, c.layout), std::string(1, name));
        EXPECT_EQ(ram32(var::input_test_lists), rom::input_layouts + 16 * c.layout + 8);
        // The loop ran in the same frame: the layout's indicators are drawn.
        EXPECT_EQ(ram16(cell(7, 2 * c.layout)), 0x0013);
        EXPECT_EQ(ram16(cell(8, 2 * c.layout)), 0x0013);
        EXPECT_EQ(screen(), entry::sub_08B4F8);
    }
    EXPECT_EQ(calls(sub_08C403 /* choose message */), 6);
}

// The join option's line lies at base - 0x06FE: 14 rows up, one column right.
TEST_F(InputTest, WithoutTheJoinOptionItsLineIsGreyed) {
    plant_layouts();
    ASSERT_EQ(hw::text_page | ((cell(20, 10) - 0x06FE) & 0xFFFF), cell(6, 11));
    for (uint8_t join : {0x00, 0xFF}) {
        SCOPED_TRACE(int(join));
        set_backup(0, 0, join);
        fake(sub_060942 /* clear text */, [] {});
        for (uint32_t c = 10; c < 16; ++c) orb_write16(cell(6, c), static_cast<uint16_t>('j'));
        orb_write16(cell(6, 16), 0);
        ASSERT_TRUE(run(sub_08B47C));
        EXPECT_EQ(ram16(cell(6, 10)), 0x006A) << "left of the run";
        EXPECT_EQ(ram16(cell(6, 11)), join ? 0x006A : 0x0E6A);
        EXPECT_EQ(ram16(cell(6, 15)), join ? 0x006A : 0x0E6A);
    }
}

TEST_F(InputTest, DescriptorBitsLightTheirIndicators) {
    plant_layouts();
    orb_write32(var::input_test_lists, rom::input_layouts + 8);
    struct {
        uint8_t port_e, port_a;
        uint16_t start1, button1;
    } cases[] = {
        {0xFF, 0xFF, 0x0013, 0x0013},
        {0xEF, 0xFF, 0x0411, 0x0013},  // start 1 down
        {0xFF, 0xFE, 0x0013, 0x0411},  // button 1 down
        {0xEF, 0xFE, 0x0411, 0x0411},
    };
    for (const auto& c : cases) {
        orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = c.port_e;
        orb_board.io.io_inputs[ORB_INPUT_P1] = c.port_a;
        ASSERT_TRUE(run(sub_08B523));
        EXPECT_EQ(ram16(cell(7, 0)), c.start1);
        EXPECT_EQ(ram16(cell(7, 1)), c.start1 + 1);
        EXPECT_EQ(ram16(cell(8, 0)), c.button1);
        EXPECT_EQ(ram16(cell(8, 1)), c.button1 + 1);
    }
}

TEST_F(InputTest, ServiceAndTestIndicatorsFollowPortEAndTheDipSwitches) {
    plant_layouts();
    orb_write32(var::input_test_lists, rom::input_layouts + 8);
    struct {
        uint8_t port_e, dip;
        bool service, test;
    } cases[] = {
        {0xFF, 0xFF, false, false}, {0xFE, 0xFF, true, false},
        {0xFD, 0xFF, false, true},  {0xFF, 0xEF, true, false},  // DIP switch 5 lights the service indicator
        {0xFF, 0xDF, false, true},                              // DIP switch 6 the test indicator
        {0xFF, 0xCF, true, true},   {0xFF, 0x0F ^ 0x7F, false, false},  // other switches do nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.port_e) << " " << int(c.dip));
        orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = c.port_e;
        orb_board.io.io_inputs[ORB_INPUT_DIP] = c.dip;
        ASSERT_TRUE(run(sub_08B523));
        EXPECT_EQ(ram16(0x31FBA2), c.service ? 0x0411 : 0x0013);
        EXPECT_EQ(ram16(0x31FBA4), c.service ? 0x0412 : 0x0014);
        EXPECT_EQ(ram16(0x31FBBA), c.test ? 0x0411 : 0x0013);
        EXPECT_EQ(ram16(0x31FBBC), c.test ? 0x0412 : 0x0014);
    }
}

TEST_F(InputTest, HeldTestSwitchKeepsThePageUntilItsRelease) {
    plant_layouts();
    orb_write32(var::input_test_lists, rom::input_layouts + 8);
    orb_write32(var::service_screen, entry::sub_08B4F8);
    ASSERT_TRUE(run(sub_08B4F8));
    EXPECT_EQ(screen(), entry::sub_08B4F8) << "no press yet";
    // The press: the switch is down (port E bit 1 low) from here on.
    orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = 0xFD;
    press(0x02);
    ASSERT_TRUE(run(sub_08B4F8));
    EXPECT_EQ(screen(), entry::sub_08B50D);
    for (int frame = 0; frame < 3; ++frame) {
        press(0x00);
        ASSERT_TRUE(run(sub_08B50D));
        EXPECT_EQ(screen(), entry::sub_08B50D) << "held";
        EXPECT_EQ(ram16(0x31FBBA), 0x0411) << "its indicator lit while held";
    }
    press(0x02);  // a press edge on the release page does not leave it
    ASSERT_TRUE(run(sub_08B50D));
    EXPECT_EQ(screen(), entry::sub_08B50D);
    orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = 0xFF;
    press(0x00, 0x02);
    ASSERT_TRUE(run(sub_08B50D));
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    EXPECT_EQ(ram16(0x31FBBA), 0x0013);
    EXPECT_EQ(calls(sub_08B520 /* input test tail */), 7) << "every loop frame ends in the message blink";
}

// ---- colour test ----

class ColourTest : public ServicePageTest {
protected:
    void SetUp() override {
        ServicePageTest::SetUp();
        press(0x00);  // no system switch moves this frame unless a test says so
        plant_list(rom::colour_test_text, static_cast<uint16_t>(cell(2, 5)), "COLOR");
        plant_list(rom::colour_grid_text, static_cast<uint16_t>(cell(25, 30)), "GRIDXX");
        orb_write16(0x609C00, 0x0733);
    }

    // The page-1 image: the frame, the bars and the title.
    static std::vector<uint16_t> page1() {
        std::vector<uint16_t> t(0xF00 / 2, 0);
        auto at = [&](uint32_t row, uint32_t column) -> uint16_t& { return t[row * 64 + column]; };
        for (uint32_t c = 1; c <= 38; ++c) at(0, c) = at(27, c) = 0x0C15;
        for (uint32_t r = 1; r <= 26; ++r) at(r, 0) = at(r, 39) = 0x0C16;
        at(0, 0) = 0x0C17, at(0, 39) = 0x0C18, at(27, 0) = 0x0C19, at(27, 39) = 0x0C1A;
        for (uint32_t bar = 0; bar < 4; ++bar)
            for (uint32_t c = 0; c < 32; ++c)
                for (uint32_t r = 0; r < 5; ++r)
                    at(4 + 5 * bar + r, 4 + c) = static_cast<uint16_t>(0x1001 + bar + 0x200 * c);
        const std::string title = "COLOR";
        for (uint32_t i = 0; i < title.size(); ++i) at(2, 5 + i) = static_cast<uint16_t>(title[i]);
        return t;
    }
};

TEST_F(ColourTest, PageOneDrawsTheFrameAndFourBarsOfThirtyTwoColours) {
    orb_write8(var::service_flags, 0x04);
    ASSERT_TRUE(run(sub_08B6EC));
    EXPECT_TRUE(text_layer_is(page1()));
    EXPECT_EQ(ram16(0x609C00), 0) << "the backdrop is black";
    EXPECT_EQ(ram8(var::service_cursor), 0x04) << "the operator's flags parked";
    EXPECT_EQ(ram8(var::service_flags), 0x05) << "auto-run forced on";
    EXPECT_EQ(screen(), entry::sub_08B7A4);
    EXPECT_EQ(calls(sub_08C41D /* blink message */), 1);
}

TEST_F(ColourTest, BarLeavesItsPointerFiveRowsDown) {
    cpu.reg[10] = cell(4, 4);
    cpu.reg[0] = 0x1001;
    ASSERT_TRUE(run(sub_08B881));
    EXPECT_EQ(r(10), cell(9, 4));
    EXPECT_EQ(ram16(cell(8, 35)), 0x1001 + 31 * 0x200);
    EXPECT_EQ(ram16(cell(9, 4)), 0);
    EXPECT_EQ(ram16(cell(4, 36)), 0);
}

TEST_F(ColourTest, TestPressWhileDrawingGoesStraightToPageTwo) {
    press(0x02);
    ASSERT_TRUE(run(sub_08B6EC));
    EXPECT_EQ(screen(), entry::sub_08B7B8);
    press(0x00);
    orb_write32(var::service_screen, entry::sub_08B7A4);
    ASSERT_TRUE(run(sub_08B7A4));
    EXPECT_EQ(screen(), entry::sub_08B7A4);
    press(0x02);
    ASSERT_TRUE(run(sub_08B7A4));
    EXPECT_EQ(screen(), entry::sub_08B7B8);
}

TEST_F(ColourTest, PageTwoFillsTheGridKeepsTheCornersAndRestoresAutoRun) {
    for (uint8_t parked : {0x00, 0x01}) {
        SCOPED_TRACE(int(parked));
        orb_write8(var::service_flags, parked);
        ASSERT_TRUE(run(sub_08B6EC));
        ASSERT_TRUE(run(sub_08B7B8));
        std::vector<uint16_t> t = page1();
        auto at = [&](uint32_t row, uint32_t column) -> uint16_t& { return t[row * 64 + column]; };
        for (uint32_t c = 1; c <= 38; ++c) at(0, c) = 0x0C1D, at(27, c) = 0x0C1E;
        for (uint32_t r = 1; r <= 26; ++r) at(r, 0) = 0x0C1B, at(r, 39) = 0x0C1C;
        for (uint32_t r = 1; r <= 26; ++r)
            for (uint32_t c = 1; c <= 38; ++c) at(r, c) = 0x0C1F;
        const std::string text = "GRIDXX";
        for (uint32_t i = 0; i < text.size(); ++i) at(25, 30 + i) = static_cast<uint16_t>(text[i]);
        at(25, parked ? 34 : 32) = 0;
        EXPECT_TRUE(text_layer_is(t));
        EXPECT_EQ(ram8(var::service_flags), parked);
        EXPECT_EQ(screen(), entry::sub_08B85E);
    }
}

TEST_F(ColourTest, LeavingClearsThePageAndGivesTheBackdropItsColourBack) {
    ASSERT_TRUE(run(sub_08B6EC));
    press(0x00);
    ASSERT_TRUE(run(sub_08B85E));
    EXPECT_EQ(ram16(0x609C00), 0) << "no press: the page stays";
    press(0x02);
    ASSERT_TRUE(run(sub_08B85E));
    EXPECT_EQ(ram16(0x609C00), 0x0733);
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    EXPECT_TRUE(text_layer_is(std::vector<uint16_t>(0xF00 / 2, 0)));
}

// ---- bookkeeping pages ----

class BookkeepingPage : public ServicePageTest {
protected:
    void SetUp() override {
        ServicePageTest::SetUp();
        press(0x00);  // no system switch moves this frame unless a test says so
    }

    static void put_time(uint32_t at, uint32_t days, uint8_t h, uint8_t m, uint8_t s) {
        orb_write8(at, s);
        orb_write8(at + 1, m);
        orb_write8(at + 2, h);
        orb_write16(at + 3, static_cast<uint16_t>(days));
    }
    static void clear_text() {
        for (uint32_t a = kTextLayer; a < 0x31FF00; a += 2) orb_write16(a, 0);
    }
};

struct chute_case {
    uint8_t players, chute_per_player;
    bool chute3, chute4;
};

TEST_F(BookkeepingPage, ChutesShownBySettingAndTheTotalAddsOnlyThose) {
    const chute_case cases[] = {
        {0, 0x00, false, false}, {2, 0x00, false, false}, {0, 0xFF, false, false},
        {1, 0xFF, true, false},  {2, 0xFF, true, true},
    };
    for (const chute_case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.players) << " " << int(c.chute_per_player));
        clear_text();
        for (uint32_t row : {7u, 8u})
            for (uint32_t col = 12; col < 18; ++col) orb_write16(cell(row, col), 'c');
        set_backup(c.players, c.chute_per_player, 0);
        const uint16_t coins[4] = {1, 20, 300, 4000};
        for (uint32_t i = 0; i < 4; ++i) orb_write16(var::coin_count + 2 * i, coins[i]);
        ASSERT_TRUE(run(sub_08C007));
        EXPECT_EQ(row_text(5, 25, 29), "    1");
        EXPECT_EQ(row_text(6, 25, 29), "   20");
        EXPECT_EQ(row_text(7, 25, 29), c.chute3 ? "  300" : "     ");
        EXPECT_EQ(row_text(8, 25, 29), c.chute4 ? " 4000" : "     ");
        EXPECT_EQ(ram16(cell(7, 12)) >> 8, c.chute3 ? 0 : 0x0E);
        EXPECT_EQ(ram16(cell(8, 17)) >> 8, c.chute4 ? 0 : 0x0E);
        const uint32_t total = 21 + (c.chute3 ? 300 : 0) + (c.chute4 ? 4000 : 0);
        EXPECT_EQ(row_text(9, 25, 29),
                  std::string(5 - std::to_string(total).size(), ' ') + std::to_string(total));
    }
}

TEST_F(BookkeepingPage, CountsCarryTheirPluralMarkSixCellsLeftOfTheirEnd) {
    set_backup(0, 0, 0);
    orb_write16(var::coin_credits, 1);
    orb_write16(var::service_credits, 2);
    orb_write16(var::join_count, 0);
    ASSERT_TRUE(run(sub_08C007));
    struct {
        uint32_t row;
        uint16_t mark;
        const char* digits;
    } rows[] = {{9, 0x0A00, "    0"},
                {11, 0x0A00, "    1"},
                {12, 0x0A53, "    2"},
                {13, 0x0A53, "    3"},
                {15, 0x0A00, "    0"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        EXPECT_EQ(ram16(cell(r.row, 24)), r.mark);
        EXPECT_EQ(row_text(r.row, 25, 29), r.digits);
        EXPECT_EQ(ram16(cell(r.row, 29)) >> 8, 0x04);
    }
}

TEST_F(BookkeepingPage, TimesAverageAndShare) {
    set_backup(0, 0, 0);
    put_time(var::power_on_time, 12, 3, 0, 0);
    put_time(var::game_time, 1, 1, 2, 3);
    put_time(var::play_time, 0, 1, 0, 0);
    orb_write16(var::join_count, 7);
    put_time(var::longest_play, 0, 0, 9, 59);
    put_time(var::shortest_play, 0, 0, 0, 31);
    ASSERT_TRUE(run(sub_08C007));
    // Days end 9 cells left of the seconds' end, hours 6, minutes 3.
    EXPECT_EQ(row_text(17, 20, 33), "   12  3  0  0");
    EXPECT_EQ(row_text(18, 20, 33), "    1  1  2  3");
    EXPECT_EQ(row_text(19, 20, 33), "       0  8 34") << "1:00:00 over 7 joins";
    EXPECT_EQ(row_text(20, 20, 33), "       0  9 59");
    EXPECT_EQ(row_text(21, 20, 33), "       0  0 31");
    // Game time 25:02:03 of 291:00:00 power-on = 8.6 %.
    EXPECT_EQ(row_text(22, 25, 30), "   8.6");
    EXPECT_EQ(ram16(cell(22, 29)), 0x042E);
}

struct share_case {
    uint8_t power_hours, game_hours;
    const char* shown;
};

TEST_F(BookkeepingPage, GameTimeShareInTenths) {
    const share_case cases[] = {{3, 1, " 33.3"}, {1, 1, "100.0"}, {0, 1, "     "}, {5, 0, "  0.0"}};
    set_backup(0, 0, 0);
    for (const share_case& c : cases) {
        SCOPED_TRACE(c.shown);
        clear_text();
        put_time(var::power_on_time, 0, c.power_hours, 0, 0);
        put_time(var::game_time, 0, c.game_hours, 0, 0);
        ASSERT_TRUE(run(sub_08C007));
        EXPECT_EQ(row_text(22, 26, 30), c.shown);
    }
}

TEST_F(BookkeepingPage, EmptyAverageAndEmptyShortestPlayLeaveTheirLinesBlank) {
    set_backup(0, 0, 0);
    put_time(var::play_time, 0, 5, 0, 0);
    orb_write16(var::join_count, 0);
    // Empty: bit 7 of the record's first byte, the record keeper's own test.
    put_time(var::shortest_play, 0, 0, 0, 0x80);
    ASSERT_TRUE(run(sub_08C007));
    EXPECT_EQ(row_text(19, 20, 40), std::string(21, ' '));
    EXPECT_EQ(row_text(21, 20, 40), std::string(21, ' '));
    // Bit 7 of the second byte alone does not make it empty.
    clear_text();
    put_time(var::shortest_play, 0, 0, 0x80, 5);
    ASSERT_TRUE(run(sub_08C007));
    EXPECT_EQ(row_text(21, 20, 33), "       0128  5");
}

TEST_F(BookkeepingPage, PageOneEntryParksFlagsAndGoesOnByTest) {
    plant_list(rom::bookkeeping_text_1, static_cast<uint16_t>(cell(1, 1)), "BOOK1");
    plant_list(rom::bookkeeping_text_2, static_cast<uint16_t>(cell(1, 1)), "BOOK2");
    set_backup(0, 0, 0);
    orb_write8(var::service_flags, 0x00);
    ASSERT_TRUE(run(sub_08BF92));
    EXPECT_EQ(row_text(1, 1, 5), "BOOK1");
    EXPECT_EQ(ram8(var::service_flags), 0x01);
    EXPECT_EQ(ram8(var::service_cursor), 0x00);
    EXPECT_EQ(screen(), entry::sub_08BFBC);
    ASSERT_TRUE(run(sub_08BFBC));
    EXPECT_EQ(screen(), entry::sub_08BFBC);
    press(0x02);
    ASSERT_TRUE(run(sub_08BFBC));
    EXPECT_EQ(screen(), entry::sub_08BFD0);
    press(0x00);
    ASSERT_TRUE(run(sub_08BFD0));
    EXPECT_EQ(row_text(1, 1, 5), "BOOK2");
    EXPECT_EQ(ram8(var::service_flags), 0x00) << "auto-run back off";
    EXPECT_EQ(screen(), entry::sub_08BFF4);
    ASSERT_TRUE(run(sub_08BFF4));
    EXPECT_EQ(screen(), entry::sub_08BFF4);
    press(0x02);
    ASSERT_TRUE(run(sub_08BFF4));
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    // With the press in the drawing frames, each page goes straight on.
    ASSERT_TRUE(run(sub_08BF92));
    EXPECT_EQ(screen(), entry::sub_08BFD0);
    ASSERT_TRUE(run(sub_08BFD0));
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    EXPECT_EQ(calls(sub_08C41D /* blink message */), 8);
}

// ---- bookkeeping page 2 ----

TEST_F(BookkeepingPage, HistogramBarsScaleToTheLargestCount) {
    struct {
        std::vector<uint16_t> counts;
        std::vector<uint32_t> bars;
    } cases[] = {
        {{3, 2, 1}, {20, 13, 7}},
        {{}, {}},
        {{1, 0, 1}, {20, 0, 20}},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65535}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20}},
    };
    for (const auto& c : cases) {
        clear_text();
        for (uint32_t i = 0; i < 12; ++i)
            orb_write16(var::play_histogram + 2 * i, i < c.counts.size() ? c.counts[i] : 0);
        ASSERT_TRUE(run(sub_08C19B));
        for (uint32_t i = 0; i < 12; ++i) {
            SCOPED_TRACE(i);
            const uint16_t count = i < c.counts.size() ? c.counts[i] : 0;
            const std::string digits = std::to_string(count);
            EXPECT_EQ(row_text(6 + i, 18 - static_cast<uint32_t>(digits.size()), 17), digits);
            const uint32_t bar = i < c.bars.size() ? c.bars[i] : 0;
            for (uint32_t k = 0; k < bar; ++k) ASSERT_EQ(ram16(cell(6 + i, 18 + k)), 0x0403) << k;
            EXPECT_EQ(ram16(cell(6 + i, 18 + bar)), 0) << "the bar ends after " << bar;
        }
    }
}

TEST_F(BookkeepingPage, AverageHighestAndLowestScores) {
    struct {
        uint32_t total;
        uint16_t overflow, plays;
        uint32_t high, low;
        const char *average, *high_text, *low_text;
    } cases[] = {
        {0, 1, 2, 7, 0x80000000, "2147483648", "7", "0"},
        {1000, 0, 0, 0, 5, "0", "0", "5"},
        {999, 0, 3, 4294967295u, 0x7FFFFFFF, "333", "4294967295", "2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.average);
        clear_text();
        orb_write32(var::score_total, c.total);
        orb_write16(var::score_total_overflow, c.overflow);
        orb_write16(var::new_play_count, c.plays);
        orb_write32(var::score_high, c.high);
        orb_write32(var::score_low, c.low);
        ASSERT_TRUE(run(sub_08C19B));
        auto ending = [](uint32_t row, const std::string& s) {
            return row_text(row, 32 - static_cast<uint32_t>(s.size()), 31) == s &&
                   row_text(row, 31 - static_cast<uint32_t>(s.size()),
                            31 - static_cast<uint32_t>(s.size())) == " ";
        };
        EXPECT_TRUE(ending(20, c.average)) << row_text(20, 18, 31);
        EXPECT_TRUE(ending(21, c.high_text)) << row_text(21, 18, 31);
        EXPECT_TRUE(ending(22, c.low_text)) << row_text(22, 18, 31);
    }
}

// ---- time routines ----

TEST_F(BookkeepingPage, TimeToSecondsAndBack) {
    put_time(0x208F00, 1, 1, 1, 1);
    cpu.reg[10] = 0x208F00;
    ASSERT_TRUE(run(sub_08C273));
    EXPECT_EQ(r(0), 90061u);
    put_time(0x208F00, 9999, 23, 59, 59);
    ASSERT_TRUE(run(sub_08C273));
    EXPECT_EQ(r(0), 9999u * 86400 + 86399);

    struct {
        uint32_t seconds;
        uint8_t s, m, h;
    } cases[] = {{90061, 1, 1, 25}, {0, 0, 0, 0}, {3599, 59, 59, 0}, {3600 * 300 + 61, 1, 1, 300 & 0xFF}};
    for (const auto& c : cases) {
        orb_write32(0x208F10, 0xAAAAAAAA);
        cpu.reg[0] = c.seconds;
        cpu.reg[10] = 0x208F10;
        ASSERT_TRUE(run(sub_08C2A1));
        EXPECT_EQ(ram8(0x208F10), c.s);
        EXPECT_EQ(ram8(0x208F11), c.m);
        EXPECT_EQ(ram8(0x208F12), c.h);
        EXPECT_EQ(ram8(0x208F13), 0xAA) << "three bytes only";
    }
}

TEST_F(BookkeepingPage, TimePrintersPlaceTheirFields) {
    put_time(0x208F00, 321, 23, 45, 6);
    cpu.reg[11] = 0x208F00;
    cpu.reg[12] = cell(3, 40);
    ASSERT_TRUE(run(sub_08C253));
    EXPECT_EQ(row_text(3, 28, 39), "321 23 45  6");
    EXPECT_EQ(ram16(cell(3, 39)), 0x0436) << "seconds' last digit just left of R12";
    EXPECT_EQ(ram16(cell(3, 30)), 0x0431) << "days end 18 bytes left of R12";
    clear_text();
    cpu.reg[11] = 0x208F00;
    ASSERT_TRUE(run(sub_08C25F));
    EXPECT_EQ(r(11), 0x208F03u) << "left on the day count";
    EXPECT_EQ(row_text(3, 28, 39), "    23 45  6");
}

// ---- bookkeeping reset ----

class BookkeepingReset : public ServicePageTest {
protected:
    void SetUp() override {
        ServicePageTest::SetUp();
        press(0x00);  // no system switch moves this frame unless a test says so
        plant_list(rom::bookkeeping_reset_text, static_cast<uint16_t>(cell(12, 19)), "NO");
        plant16(rom::bookkeeping_reset_text + 6, static_cast<uint16_t>(cell(18, 19)));
        plant8(rom::bookkeeping_reset_text + 8, 0xFF);
        plant8(rom::bookkeeping_reset_text + 9, 'Y');
        plant8(rom::bookkeeping_reset_text + 10, 'E');
        plant8(rom::bookkeeping_reset_text + 11, 'S');
        plant8(rom::bookkeeping_reset_text + 12, 0);
        plant16(rom::bookkeeping_reset_text + 13, 0);
        plant_list(rom::bookkeeping_cleared_text, static_cast<uint16_t>(cell(22, 5)), "DONE");
        plant_list(rom::footer_text, static_cast<uint16_t>(cell(26, 3)), "FOOTER");
        // The defaults image: 124 bytes counting up.
        for (uint32_t i = 0; i < 124; ++i) plant8(rom::bookkeeping_defaults + i, static_cast<uint8_t>(i + 1));
        fake(sub_06109C /* bookkeeping defaults */, [] {
            for (uint32_t i = 0; i < 124; ++i)
                orb_write8(var::bookkeeping_data + i, orb_read8(rom::bookkeeping_defaults + i));
            orb_write16(var::bookkeeping_block, check_value(var::bookkeeping_data));
            for (uint32_t i = 0; i < 124; ++i)
                orb_write8(var::bookkeeping_mirror + i, orb_read8(var::bookkeeping_data + i));
        });
        fake(sub_088A0B /* erase line */, [] {
            for (uint32_t c = hw::text_page | orb_read16(cpu.reg[19]); orb_read16(c) & 0xFF; c += 2)
                orb_write16(c, 0);
        });
        for (uint32_t a = var::bookkeeping_block; a < 0x702000; ++a) orb_write8(a, 0x5A);
    }

    static uint16_t check_value(uint32_t from) {
        uint16_t c = 1;
        for (uint32_t i = 0; i < 62; ++i) {
            c ^= orb_read16(from + 2 * i);
            c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0x8810) : static_cast<uint16_t>(c >> 1);
        }
        return c;
    }
};

TEST_F(BookkeepingReset, ServicePressAlternatesBetweenRowsTwelveAndEighteen) {
    ASSERT_TRUE(run(sub_08C2BF));
    EXPECT_EQ(row_text(12, 19, 20), "NO");
    EXPECT_EQ(row_text(18, 19, 21), "YES");
    EXPECT_EQ(row_text(26, 3, 8), "FOOTER");
    EXPECT_EQ(ram32(var::service_blink_cell), 0x31F622u);
    EXPECT_EQ(ram16(0x31F622), 0x0A7F) << "the loop ran in the same frame: the mark shows";
    EXPECT_EQ(ram16(cell(12, 19)), 0x0A00 | 'N');
    EXPECT_EQ(screen(), entry::sub_08C2E2);

    press(0x01);
    ASSERT_TRUE(run(sub_08C2E2));
    EXPECT_EQ(ram32(var::service_blink_cell), 0x31F922u);
    EXPECT_EQ(ram16(0x31F622), 0) << "the old mark is gone";
    EXPECT_EQ(ram16(cell(12, 19)), 'N') << "the old line plain again";
    EXPECT_EQ(ram16(cell(18, 19)), 0x0A00 | 'Y');
    EXPECT_EQ(ram16(0x31F922), 0x0A7F);
    EXPECT_EQ(ram8(var::service_flags) & 2, 2);

    ASSERT_TRUE(run(sub_08C2E2));
    EXPECT_EQ(ram32(var::service_blink_cell), 0x31F622u);
    EXPECT_EQ(ram16(0x31F922), 0);
    EXPECT_EQ(ram8(var::service_flags) & 2, 0);
}

TEST_F(BookkeepingReset, TestPressOnYesResetsTheBlockAndWaitsForAnotherPress) {
    orb_write8(var::service_flags, 0x05);
    ASSERT_TRUE(run(sub_08C2BF));
    press(0x01);
    ASSERT_TRUE(run(sub_08C2E2));
    // Let the mark be in its dark phase when the press comes.
    orb_write16(0x31F922, 0);
    press(0x02);
    ASSERT_TRUE(run(sub_08C2E2));
    EXPECT_EQ(calls(sub_06109C /* bookkeeping defaults */), 1);
    EXPECT_EQ(ram16(var::bookkeeping_block), check_value(var::bookkeeping_data)) << "a valid check value";
    for (uint32_t i = 0; i < 124; ++i) {
        ASSERT_EQ(ram8(var::bookkeeping_data + i), i + 1) << std::hex << var::bookkeeping_data + i;
        ASSERT_EQ(ram8(var::bookkeeping_mirror + i), i + 1) << std::hex << var::bookkeeping_mirror + i;
    }
    EXPECT_EQ(ram16(0x31F922), 0x0A7F) << "the mark stays on the choice";
    EXPECT_EQ(row_text(22, 5, 8), "DONE");
    EXPECT_EQ(row_text(26, 3, 8), "      ") << "the footer's first line erased";
    EXPECT_EQ(ram8(var::service_flags), 0x05) << "bit 1 clear again";
    EXPECT_EQ(calls(sub_08C403 /* choose message */), 1);
    EXPECT_EQ(screen(), entry::sub_08C349);

    press(0x00);
    ASSERT_TRUE(run(sub_08C349));
    EXPECT_EQ(screen(), entry::sub_08C349);
    press(0x02);
    ASSERT_TRUE(run(sub_08C349));
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    EXPECT_EQ(calls(sub_06109C /* bookkeeping defaults */), 1);
}

TEST_F(BookkeepingReset, TestPressOnNoReturnsToTheMenuWithoutAReset) {
    orb_write8(var::service_flags, 0x01);
    ASSERT_TRUE(run(sub_08C2BF));
    press(0x02);
    ASSERT_TRUE(run(sub_08C2E2));
    EXPECT_EQ(calls(sub_06109C /* bookkeeping defaults */), 0);
    EXPECT_EQ(screen(), entry::sub_08B04A /* main menu */);
    EXPECT_EQ(ram8(var::service_flags), 0x01);
    EXPECT_EQ(ram8(var::bookkeeping_block), 0x5A) << "the block untouched";
    // Both presses in one frame: the cursor moves to yes first, then the
    // test press takes it.
    ASSERT_TRUE(run(sub_08C2BF));
    press(0x03);
    ASSERT_TRUE(run(sub_08C2E2));
    EXPECT_EQ(calls(sub_06109C /* bookkeeping defaults */), 1);
    EXPECT_EQ(ram8(var::service_flags), 0x01);
}

TEST_F(BookkeepingReset, FooterPrinter) {
    ASSERT_TRUE(run(sub_08C3FB));
    EXPECT_EQ(row_text(26, 3, 8), "FOOTER");
}

}  // namespace
