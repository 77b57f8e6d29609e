#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kPlayer = 0x20A100;  // slot 1
constexpr uint32_t kCharacter = 2;
constexpr uint32_t kTable = var::ranking_tables + 32 * kCharacter;
constexpr uint32_t kBest = var::best_entries + 8 * kCharacter;
constexpr uint32_t kMirror = var::bookkeeping_mirror_offset;
constexpr uint32_t kMessageCell = 0x31F400;
constexpr uint32_t kSets = 0x09D000;

enum : uint8_t { kBack = 0xF0, kEnd = 0xF1 };

class Ranking : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        fake_all({sub_061281 /* credit line */, sub_062F3E /* seconds */, sub_062F86 /* seconds clear */});
        orb_write8(var::backup_primary + backup_record::player_count, 1);  // base 2
        plant16(rom::message_cells + 2 * 3, 0xF400);
        plant8(rom::rank_label_attribute, 0x07);
        const std::string labels = "1ST 2ND 3RD 4TH ";
        for (uint32_t i = 0; i < 16; ++i) plant8(rom::rank_labels + i, static_cast<uint8_t>(labels[i]));
        // Every position offers back, end and the letters A-F; arriving on A.
        for (uint32_t p = 0; p < 4; ++p) {
            const uint32_t set = kSets + 16 * p;
            plant32(rom::choice_sets + 4 * p, set);
            plant8(set, 7);
            const uint8_t codes[8] = {kBack, kEnd, 'A', 'B', 'C', 'D', 'E', 'F'};
            for (uint32_t i = 0; i < 8; ++i) plant8(set + 1 + i, codes[i]);
            plant8(rom::arrival_bits + p, 2);
        }
        orb_write32(var::score_low, 0x80000000);
        orb_write8(kPlayer + player_record::slot, 1);
        orb_write8(kPlayer + player_record::character, kCharacter);
        orb_write32(kPlayer + object_record::routine, entry::sub_08A3D6);
        orb_write8(kPlayer + object_record::state, 0);  // the ranking's set-up step
        table({50000, 40000, 30000, 20000});
    }
    static void table(std::vector<uint32_t> scores) {
        for (uint32_t i = 0; i < 4; ++i) {
            orb_write32(kTable + 8 * i, scores[i]);
            orb_write32(kTable + 8 * i + 4, 0x00424242 + i);  // "BBB" + entry number
        }
    }
    static std::vector<uint32_t> scores() {
        std::vector<uint32_t> list;
        for (uint32_t i = 0; i < 4; ++i) list.push_back(orb_read32(kTable + 8 * i));
        return list;
    }
    static std::string initials(uint32_t at) {
        std::string s;
        for (uint32_t i = 0; i < 4; ++i) s += static_cast<char>(orb_read8(at + i));
        return s;
    }
    void play(uint32_t score, uint8_t plays = 1) {
        orb_write32(kPlayer + player_record::score, score);
        orb_write8(kPlayer + player_record::plays, plays);
        step();
    }
    void step(uint8_t presses = 0, uint8_t held = 0) {
        orb_write8(var::player_presses + 1, presses);
        orb_write8(var::player_held + 1, held);
        cpu.reg[20] = kPlayer;
        ASSERT_TRUE(run(sub_08A3D6));
    }
    // A button press, then a frame with nothing pressed.
    void press() {
        step(0x10);
        step();
    }
    static uint8_t state() { return orb_read8(kPlayer + object_record::state); }
    static uint8_t position() { return orb_read8(kPlayer + player_record::initials_entry); }
    static uint8_t choice() { return orb_read8(kPlayer + player_record::initials_entry + 1); }
    // The check value stored is the one of the block as it now is.
    void expect_check_value_current() {
        const uint16_t stored = ram16(var::bookkeeping_block);
        ASSERT_TRUE(run(sub_0610CF));
        EXPECT_EQ(ram16(var::bookkeeping_block), stored);
    }
};

TEST_F(Ranking, TheTablesStartFromTheDefaultsAndTheSavedBestEntries) {
    for (uint32_t i = 0; i < 32; ++i) plant8(rom::default_ranking + i, static_cast<uint8_t>(i + 1));
    orb_write32(var::best_entries + 8, 77777);
    orb_write32(0x701F58 + 8, 0x5A5958);
    ASSERT_TRUE(run(sub_08A1F2));
    for (uint32_t c = 0; c < 4; ++c)
        for (uint32_t i = c == 1 ? 8 : 0; i < 32; ++i)
            ASSERT_EQ(ram8(var::ranking_tables + 32 * c + i), i + 1) << c << " " << i;
    EXPECT_EQ(ram32(0x208C20), 77777u);
    EXPECT_EQ(ram32(0x208C24), 0x5A5958u);
}

TEST_F(Ranking, ThePlayScoreIsPerJoinRoundedDownToTen) {
    struct row {
        uint32_t score;
        uint8_t plays;
        uint32_t s;
    };
    for (const row& c : {row{123456, 2, 61720}, row{123456, 0, 123450}, row{99999999, 3, 33333330}}) {
        table({0, 0, 0, 0});
        orb_write8(kPlayer + object_record::state, 0);
        play(c.score, c.plays);
        EXPECT_EQ(ram32(kTable), c.s);
        EXPECT_EQ(ram16(kPlayer + player_record::timer), 1200);
        EXPECT_EQ(state(), 1);
    }
}

TEST_F(Ranking, ThePlayGoesAboveEqualScoresAndPushesTheRestDown) {
    struct row {
        uint32_t s;
        uint8_t k;
        std::vector<uint32_t> after;
    };
    for (const row& c :
         {row{60000, 0, {60000, 50000, 40000, 30000}}, row{40000, 1, {50000, 40000, 40000, 30000}},
          row{20000, 3, {50000, 40000, 30000, 20000}}, row{25000, 3, {50000, 40000, 30000, 25000}}}) {
        SCOPED_TRACE(c.s);
        table({50000, 40000, 30000, 20000});
        orb_write8(kPlayer + object_record::state, 0);
        play(c.s);
        EXPECT_EQ(scores(), c.after);
        EXPECT_EQ(ram8(kPlayer + player_record::ranking_position), c.k);
        EXPECT_EQ(ram32(kPlayer + player_record::initials_cursor), kTable + 8 * c.k + 4);
        EXPECT_EQ(ram32(kTable + 8 * c.k + 4), 0u) << "no initials yet";
        for (uint32_t j = c.k + 1; j < 4; ++j)
            EXPECT_EQ(ram32(kTable + 8 * j + 4), 0x00424242 + j - 1) << "moved with its score";
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(ram16(kMessageCell + 2 * i),
                      0x0700 | static_cast<uint8_t>("1ST 2ND 3RD 4TH "[4 * c.k + i]));
        for (uint32_t i = 4; i < 9; ++i) EXPECT_EQ(ram16(kMessageCell + 2 * i), 0);
        EXPECT_EQ(ram32(kPlayer + object_record::routine), entry::sub_08A3D6);
    }
}

// The message cell is the one the panels use: entry slot + base of 0x061B4E,
// base 0, 2, 5 for player_count 0, 1, 2, and 3 taking the four-slot base.
TEST_F(Ranking, TheMessageCellIsThePanelsCellForEveryPlayerCount) {
    for (uint32_t i = 0; i < 16; ++i)
        plant16(rom::message_cells + 2 * i, static_cast<uint16_t>(0x0100 * (i + 1)));
    const struct {
        uint8_t count, slot;
        uint32_t index;
    } cases[] = {{0, 1, 1}, {1, 0, 2}, {1, 2, 4}, {2, 3, 8}, {3, 0, 5}, {3, 1, 6}, {3, 3, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "player_count " << int{c.count} << ", slot " << int{c.slot});
        orb_write8(var::backup_primary + backup_record::player_count, c.count);
        orb_write8(kPlayer + player_record::slot, c.slot);
        cpu.reg[20] = kPlayer;
        ASSERT_TRUE(run(sub_08A5B4));
        EXPECT_EQ(cpu.reg[18], hw::text_layer + 0x0100 * (c.index + 1));
    }
}

TEST_F(Ranking, APlayerCountWithoutACaseEndsTheRun) {
    orb_write8(var::backup_primary + backup_record::player_count, 4);
    cpu.reg[20] = kPlayer;
    EXPECT_EXIT(sub_08A5B4(), testing::ExitedWithCode(3),
                "^Jump from 08A5BB to 08A5CA has no translated target");
}

TEST_F(Ranking, APlayBelowAllFourLeavesAtOnce) {
    orb_write16(kMessageCell, 0x1234);
    play(19990);
    EXPECT_EQ(ram32(kPlayer + object_record::routine), entry::sub_063818 /* slot out */);
    EXPECT_EQ(state(), 0);
    EXPECT_EQ(scores(), (std::vector<uint32_t>{50000, 40000, 30000, 20000}));
    EXPECT_EQ(ram16(kMessageCell), 0x1234);
    EXPECT_EQ(ram32(var::score_total), 19990u) << "still counted";
}

TEST_F(Ranking, TheStatisticsCountEveryPlayWithTheirMirrors) {
    orb_write32(var::score_total, 0xFFFFFFF0);
    orb_write16(var::score_total_overflow, 7);
    orb_write32(var::score_high, 1000);
    play(100);
    EXPECT_EQ(ram32(var::score_total), 0x54u);
    EXPECT_EQ(ram16(var::score_total_overflow), 8) << "the carry is counted";
    EXPECT_EQ(ram32(var::score_total + kMirror), 0x54u);
    EXPECT_EQ(ram16(var::score_total_overflow + kMirror), 8);
    EXPECT_EQ(ram32(var::score_high), 1000u);
    EXPECT_EQ(ram32(var::score_low), 100u) << "the first low score";
    EXPECT_EQ(ram32(var::score_low + kMirror), 100u);
    expect_check_value_current();

    orb_write8(kPlayer + object_record::state, 0);
    play(2000);
    EXPECT_EQ(ram32(var::score_high), 2000u);
    EXPECT_EQ(ram32(var::score_high + kMirror), 2000u);
    EXPECT_EQ(ram32(var::score_low), 100u);
    EXPECT_EQ(ram16(var::score_total_overflow), 8);
    expect_check_value_current();
}

TEST_F(Ranking, OnlyAGreaterScoreReplacesTheSavedBest) {
    struct row {
        uint32_t s;
        bool replaced;
    };
    for (const row& c : {row{50000, false}, row{50010, true}}) {
        table({50000, 40000, 30000, 20000});
        orb_write32(kBest, 50000);
        orb_write32(kBest + 4, 0x444C4F);  // "OLD"
        orb_write32(kPlayer + player_record::best_entry_pointer, 0);
        orb_write8(kPlayer + object_record::state, 0);
        play(c.s);
        EXPECT_EQ(ram32(kTable), c.s) << "entry 0 of the table either way";
        EXPECT_EQ(ram32(kBest), c.replaced ? c.s : 50000u);
        EXPECT_EQ(ram32(kBest + 4), c.replaced ? 0u : 0x444C4Fu);
        EXPECT_EQ(ram32(kBest + kMirror), c.replaced ? c.s : 0u);
        EXPECT_EQ(ram32(kPlayer + player_record::best_entry_pointer), c.replaced ? kBest + 4 : 0u);
        expect_check_value_current();
    }
}

TEST_F(Ranking, EndChosenFirstLeavesWithoutInitials) {
    play(60000);
    step();  // state 1 starts the entry on "end"
    EXPECT_EQ(state(), 2);
    EXPECT_EQ(choice(), 1);
    EXPECT_EQ(ram16(kMessageCell + 8) & 0xFF, kEnd);
    step(0x20);
    EXPECT_EQ(state(), 3);
    EXPECT_EQ(ram16(kMessageCell + 8) & 0xFF, 0) << "code 0 written";
    step();
    EXPECT_EQ(calls(sub_062F86 /* seconds clear */), 1);
    EXPECT_EQ(state(), 4);
    for (int n = 0; n < 59; ++n) step();
    EXPECT_EQ(ram32(kPlayer + object_record::routine), entry::sub_08A3D6);
    step();
    EXPECT_EQ(ram32(kPlayer + object_record::routine), entry::sub_063818 /* slot out */);
    EXPECT_EQ(state(), 0);
    EXPECT_EQ(ram32(kTable + 4), 0u);
}

TEST_F(Ranking, LettersBackAndTheRepeatOfAHeldDirection) {
    play(60000);
    step();  // the entry starts on "end"
    std::vector<int> moves;
    for (int n = 1; n <= 40; ++n) {
        const uint8_t before = choice();
        step(0, 0x04);
        if (choice() != before) moves.push_back(n);
    }
    EXPECT_EQ(moves, (std::vector<int>{1, 17, 33}));
    EXPECT_EQ(choice(), 4);  // C
    press();
    EXPECT_EQ(position(), 1);
    EXPECT_EQ(choice(), 6) << "kept within the set, OR-ed with the arrival bits";
    press();  // E
    EXPECT_EQ(initials(kTable + 4), std::string("CE\0\0", 4));
    EXPECT_EQ(position(), 2);
    for (int n = 0; n < 200 && choice() != 0; ++n) step(0, 0x08);
    ASSERT_EQ(choice(), 0);
    press();  // back at position 2 clears the second initial
    EXPECT_EQ(position(), 1);
    EXPECT_EQ(initials(kTable + 4), std::string("C\0\0\0", 4));
    press();
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(initials(kTable + 4), std::string(4, '\0'));
    press();
    EXPECT_EQ(position(), 0) << "back at position 0 does nothing";
    EXPECT_EQ(ram32(kPlayer + player_record::initials_cursor), kTable + 4);
}

TEST_F(Ranking, AFourthLetterStaysInsideItsEntry) {
    table({90000, 80000, 70000, 20000});
    orb_write32(var::ranking_tables + 32 * 3, 0x11111111);  // the next table
    plant8(rom::arrival_bits + 3, 3);                       // position 3 arrives on B
    play(60000);                                            // entry 3
    step();
    step(0, 0x04);  // A
    for (int n = 0; n < 6; ++n) press();
    EXPECT_EQ(initials(kTable + 28), "AAAB");
    EXPECT_EQ(position(), 3);
    EXPECT_EQ(ram32(kPlayer + player_record::initials_cursor), kTable + 31);
    EXPECT_EQ(ram32(var::ranking_tables + 32 * 3), 0x11111111u);
    EXPECT_EQ(ram16(kMessageCell + 16), 0) << "the cell after the fourth is cleared";
}

TEST_F(Ranking, TimeOutKeepsTheLettersAndTheSavedBestTakesThem) {
    orb_write32(kBest, 1000);
    play(60000);
    step();
    step(0, 0x04);
    press();
    press();  // "AA"
    while (state() == 2) step();
    EXPECT_EQ(ram16(kPlayer + player_record::timer), 60);
    EXPECT_EQ(initials(kTable + 4), std::string("AA\0\0", 4));
    EXPECT_EQ(ram32(kBest + 4), 0u) << "not before the pause ends";
    while (state() == 4) step();
    EXPECT_EQ(ram32(kPlayer + object_record::routine), entry::sub_063818 /* slot out */);
    EXPECT_EQ(initials(kBest + 4), std::string("AA\0\0", 4));
    EXPECT_EQ(initials(kBest + 4 + kMirror), std::string("AA\0\0", 4));
    expect_check_value_current();
}

TEST_F(Ranking, ASavedBestReplacedInAnEarlierGameKeepsItsInitials) {
    constexpr uint32_t kOtherBest = var::best_entries + 8 * 3;
    orb_write32(kOtherBest, 90000);
    orb_write32(kOtherBest + 4, 0x444C4F);
    orb_write32(kPlayer + player_record::best_entry_pointer, kOtherBest + 4);  // left by an earlier game
    orb_write32(kBest, 99999);
    play(60000);
    step();
    step(0, 0x04);
    press();  // "A"
    while (state() != 0) step();
    EXPECT_EQ(ram32(kPlayer + object_record::routine), entry::sub_063818 /* slot out */);
    EXPECT_EQ(initials(kTable + 4), std::string("A\0\0\0", 4));
    EXPECT_EQ(ram32(kOtherBest + 4), 0x444C4Fu);
    EXPECT_EQ(ram32(kBest + 4), 0u);
}

TEST_F(Ranking, AStateWithoutACaseEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    orb_write8(kPlayer + object_record::state, 6);
    EXPECT_EXIT(step(), ::testing::ExitedWithCode(3), "Jump from 08A3ED to 08A402 has no translated target");
}

// ---- the ranking page ----

class RankingPage : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        for (uint32_t c = 0; c < 4; ++c)
            plant16(rom::ranking_blocks + 2 * c, static_cast<uint16_t>(0x400 * c));
        plant16(rom::ranking_title_offset, 0x10);
        plant8(rom::ranking_title_attribute, 0x21);
        for (uint32_t c = 0; c < 4; ++c) {
            plant32(rom::ranking_titles + 4 * c, 0x09E000 + 8 * c);
            plant8(0x09E000 + 8 * c, 'T');
            plant8(0x09E001 + 8 * c, static_cast<uint8_t>('0' + c));
        }
        plant8(rom::ranking_label_attribute, 0x22);
        for (uint32_t i = 0; i < 4; ++i) {
            plant32(rom::ranking_labels + 4 * i, 0x09E100 + 8 * i);
            plant16(0x09E100 + 8 * i, static_cast<uint16_t>(0x80 * (i + 1)));
            plant8(0x09E102 + 8 * i, 'L');
            plant16(rom::ranking_score_fields + 2 * i, static_cast<uint16_t>(0x80 * (i + 1) + 0x10));
            plant16(rom::ranking_initials_fields + 2 * i, static_cast<uint16_t>(0x80 * (i + 1) + 0x30));
        }
        plant8(rom::ranking_initials_attribute, 0x23);
    }
    static uint32_t block(uint32_t c) { return 0x300400 + 0x400 * c; }
    static void entry(uint32_t c, uint32_t i, uint32_t score, const std::string& initials) {
        orb_write32(var::ranking_tables + 32 * c + 8 * i, score);
        for (uint32_t b = 0; b < 4; ++b)
            orb_write8(0x208C04 + 32 * c + 8 * i + b,
                       b < initials.size() ? static_cast<uint8_t>(initials[b]) : 0);
    }
};

TEST_F(RankingPage, ThePageShowsEachTableWithBlankLeadingDigitsAndMaskedWords) {
    orb_write16(0x300002, 0xFFFF);
    orb_write16(0x3013FE, 0xFFFF);
    orb_write16(0x301400, 0xABCD);
    entry(2, 0, 123456, "SEX");
    entry(2, 1, 99999999, "ABCD");  // a fourth letter: no 0 after the initials
    entry(2, 2, 0xFFFFFFFF, "AB");
    entry(2, 3, 0, "SEXY");
    ASSERT_TRUE(run(sub_08A6A0));
    EXPECT_EQ(ram16(0x300002), 0);
    EXPECT_EQ(ram16(0x3013FE), 0);
    EXPECT_EQ(ram16(0x301400), 0xABCD);
    const uint32_t b = block(2);
    EXPECT_EQ(ram16(b + 0x10), 0x2100 | 'T');
    EXPECT_EQ(ram16(b + 0x12), 0x2100 | '2');
    EXPECT_EQ(ram16(b + 0x80), 0x2200 | 'L');
    auto row = [](uint32_t at, int cells) {
        std::string s;
        for (int i = 0; i < cells; ++i) {
            const uint16_t cell = orb_read16(at + 2 * i);
            s += cell == 0 ? '.' : static_cast<char>(cell & 0xFF);
        }
        return s;
    };
    EXPECT_EQ(row(b + 0x90, 9), "..123456.");
    EXPECT_EQ(ram16(b + 0x90 + 4), '1') << "attribute 0";
    EXPECT_EQ(row(b + 0x110, 8), "99999999");
    EXPECT_EQ(row(b + 0x210, 8), ".......0");
    EXPECT_EQ(row(b + 0xB0, 5), "***..");
    EXPECT_EQ(ram16(b + 0xB0), 0x2300 | '*');
    EXPECT_EQ(row(b + 0x130, 5), "ABCD.");
    EXPECT_EQ(row(b + 0x1B0, 5), "AB...");
    EXPECT_EQ(row(b + 0x230, 5), "***Y.");
    EXPECT_EQ(ram32(0x208C04 + 64), 0x2A2A2Au) << "masked in the table itself";
}

TEST_F(RankingPage, ASavedBestEntryWithAScoreTakesEntryZero) {
    orb_write32(var::best_entries, 5);
    orb_write32(0x701F58, 0x414141);
    ASSERT_TRUE(run(sub_08A1F2));
    ASSERT_TRUE(run(sub_08A6A0));
    EXPECT_EQ(ram16(block(0) + 0x90 + 14), '5');
    EXPECT_EQ(ram16(block(0) + 0xB0 + 4), 0x2300 | 'A');
    EXPECT_EQ(ram16(block(1) + 0x90 + 14), '0') << "the ROM default";
}

}  // namespace
