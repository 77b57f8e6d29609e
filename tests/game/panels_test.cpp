#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint16_t kMark = 0xEEEE;

uint32_t rec(uint32_t slot) { return var::player_records + 0x100 * slot; }
void setting8(uint32_t field, uint8_t v) { orb_write8(var::backup_primary + field, v); }

std::vector<uint16_t> text(uint8_t attribute, const std::string& s) {
    std::vector<uint16_t> out;
    for (char c : s) out.push_back(static_cast<uint16_t>(attribute << 8 | static_cast<uint8_t>(c)));
    return out;
}

std::vector<uint16_t> operator+(std::vector<uint16_t> a, const std::vector<uint16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Panels : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        // Credit labels: free play, then singular and plural, shared and per chute.
        const char* labels[] = {"FS", "FP", "CS", "CP", "PS", "PP"};
        for (uint32_t i = 0; i < 6; ++i) {
            plant_string(0x070000 + 0x10 * i, 5, labels[i]);
            plant32(0x061B78 + 4 * i, 0x070000 + 0x10 * i);
        }
        for (uint32_t c = 0; c < 10; ++c) plant8(0x061BA4 + 2 * c, static_cast<uint8_t>('0' + c));
        plant8(0x061BA4 + 2 * 9 + 1, '+');  // nine shows two characters
        const char* prompts[] = {"N0", "N1", "I0", "I1", "S0", "S1", "J0", "J1"};
        for (uint32_t i = 0; i < 8; ++i) {
            plant_string(0x071000 + 0x10 * i, 2, prompts[i]);
            plant32(0x061B1E + 4 * i, 0x071000 + 0x10 * i);
        }
        plant_string(0x061C14, 3, "RQ");
        setting8(backup_record::start_credits, 1);
        // A game in play, not the demo nor free play, no game or system bits,
        // as start-up leaves it.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        orb_write8(var::free_play_active, 0);
        // One shared chute and a two-slot cabinet unless a test says otherwise.
        orb_write8(var::coin_mode, 0);
        setting8(backup_record::player_count, 0);
        // No player in play and no credit or coin fraction in any record.
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 4 * 8; ++i) orb_write8(var::credit_records + i, 0);
        for (uint32_t s = 0; s < 4; ++s)
            orb_write8(var::player_inputs + input_block::pressed + s, 0);  // no press
    }

    void plant_string(uint32_t at, uint8_t attribute, const std::string& s) {
        plant8(at, attribute);
        for (std::size_t i = 0; i < s.size(); ++i)
            plant8(at + 1 + static_cast<uint32_t>(i), static_cast<uint8_t>(s[i]));
        plant8(at + 1 + static_cast<uint32_t>(s.size()), 0);
    }
    static std::vector<uint16_t> cells(uint32_t at, int n) {
        std::vector<uint16_t> out;
        for (int i = 0; i < n; ++i) out.push_back(ram16(at + 2 * i));
        return out;
    }
    static void fill(uint32_t at, int n, uint16_t v) {
        for (int i = 0; i < n; ++i) orb_write16(at + 2 * i, v);
    }
};

// One credit line: label by the count, the count's characters, the fraction.
TEST_F(Panels, CreditLineShowsLabelCountAndFraction) {
    const struct {
        const char* name;
        uint32_t form;
        uint8_t credits, units, free_play;
        std::vector<uint16_t> want;
    } cases[] = {
        {"0 credits", 0, 0, 0, 0, text(5, "CS") + std::vector<uint16_t>{'0', 0, 0, kMark}},
        {"1 credit", 1, 1, 0, 0, text(5, "CP") + std::vector<uint16_t>{'1', 0, 0, kMark}},
        {"2 credits", 0, 2, 0, 0, text(5, "PS") + std::vector<uint16_t>{'2', 0, 0, kMark}},
        {"9 credits and 3 of 4 coins", 1, 9, 3, 0,
         text(5, "PP") + std::vector<uint16_t>{'9', '+', 0x82, 0x8A}},
        {"free play", 1, 9, 3, 1, text(5, "FP") + std::vector<uint16_t>{kMark, kMark, kMark, kMark}},
    };
    orb_write8(var::coin_setting_copy, 4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fill(0x31F400, 8, kMark);
        orb_write8(0x2080B0, c.credits);
        orb_write8(0x2080B1, c.units);
        orb_write8(var::free_play_active, c.free_play);
        cpu.reg[0] = c.form;
        cpu.reg[10] = 0x2080B0;
        cpu.reg[18] = 0x31F400;
        ASSERT_TRUE(run(sub_0612FA));
        EXPECT_EQ(cells(0x31F400, 6), c.want);
    }
}

TEST_F(Panels, PlayOverErasesTheCreditLineAndFourCellsAfterIt) {
    for (uint8_t free_play : {0, 1}) {
        fill(0x31F400, 13, 0x0141);
        orb_write16(0x31F400 + 16, 0);
        orb_write8(var::free_play_active, free_play);
        orb_write32(var::game_flags, 1u << 14);
        cpu.reg[0] = 0;
        cpu.reg[10] = var::credit_records;
        cpu.reg[18] = 0x31F400;
        ASSERT_TRUE(run(sub_0612FA));
        EXPECT_EQ(cells(0x31F400, 13), (std::vector<uint16_t>(12, 0) + std::vector<uint16_t>{0x0141}));
    }
}

TEST_F(Panels, EveryChuteShowsItsRecordLeftToRight) {
    orb_write8(var::coin_mode, 5);
    for (uint32_t k = 0; k < 4; ++k) orb_write8(var::credit_records + 8 * k, static_cast<uint8_t>(k));
    ASSERT_TRUE(run(sub_0611A2));
    const uint32_t at[] = {0x31FD3C, 0x31FD2A, 0x31FD18, 0x31FD06};  // records 0 to 3
    for (uint32_t k = 0; k < 4; ++k) {
        const uint16_t label = k >= 2 ? 'P' : 'C';
        EXPECT_EQ(cells(at[k], 3), (std::vector<uint16_t>{static_cast<uint16_t>(0x0500 | label), 0x0550,
                                                          static_cast<uint16_t>('0' + k)}))
            << k;
    }
    orb_write8(var::coin_mode, 6);
    orb_write8(var::credit_records, 7);
    ASSERT_TRUE(run(sub_0611A2));
    EXPECT_EQ(cells(0x31FD1C, 3), (text(5, "PS") + std::vector<uint16_t>{'7'})) << "mode 6: the shared form";
    orb_write8(var::coin_mode, 7);
    EXPECT_EXIT(sub_0611A2(), testing::ExitedWithCode(3),
                "^Jump from 0611AD to 0611C5 has no translated target");
}

// Prompts blink with the frame counter: shown with bit 5, erased without,
// unchanged between the 32-frame steps.
TEST_F(Panels, SharedPromptAndRequirementLineBlinkTogether) {
    setting8(backup_record::start_credits, 2);
    orb_write8(var::credit_records, 1);
    const uint32_t prompt = 0x31F718, requirement = prompt + 128;
    orb_write8(var::frame_counter, 0x20);
    ASSERT_TRUE(run(sub_061384));
    EXPECT_EQ(cells(prompt, 2), text(2, "I0"));
    EXPECT_EQ(cells(requirement, 2), text(3, "RQ"));
    orb_write8(var::frame_counter, 0x21);
    fill(prompt, 2, kMark);
    ASSERT_TRUE(run(sub_061384));
    EXPECT_EQ(cells(prompt, 2), std::vector<uint16_t>(2, kMark)) << "no change off the 32-frame step";
    ASSERT_TRUE(run(sub_061384));
    orb_write8(var::frame_counter, 0x40);
    fill(prompt, 2, 0x0141);
    ASSERT_TRUE(run(sub_061384));
    EXPECT_EQ(cells(prompt, 2), std::vector<uint16_t>(2, 0));
    EXPECT_EQ(cells(requirement, 2), std::vector<uint16_t>(2, 0));
}

TEST_F(Panels, PromptByCredits) {
    const struct {
        const char* name;
        uint8_t credits, units, start, join_option, free_play;
        uint32_t form;
        std::string want;
        bool requirement;
    } cases[] = {
        {"nothing inserted", 0, 0, 1, 0, 0, 0, "N0", false},
        {"nothing inserted, two needed", 0, 0, 2, 0, 0, 0, "N0", true},
        {"coin units only, per chute", 0, 2, 2, 0, 0, 1, "I1", false},
        {"enough", 1, 0, 1, 0, 0, 0, "S0", false},
        {"enough, start button", 2, 0, 2, 1, 0, 1, "J1", false},
        {"free play", 0, 0, 2, 0, 1, 0, "S0", false},
        {"0x80 credits are too few", 0x80, 0, 1, 0, 0, 0, "I0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fill(0x31F400, 3, kMark);
        fill(0x31F480, 3, kMark);
        setting8(backup_record::start_credits, c.start);
        setting8(backup_record::join_option, c.join_option);
        orb_write8(var::free_play_active, c.free_play);
        cpu.reg[0] = c.form;
        cpu.reg[1] = c.credits;
        cpu.reg[2] = c.units;
        cpu.reg[4] = 0x20;
        cpu.reg[18] = 0x31F400;
        ASSERT_TRUE(run(sub_061526));
        EXPECT_EQ(cells(0x31F400, 2), text(2, c.want));
        EXPECT_EQ(cells(0x31F480, 2), c.requirement ? text(3, "RQ") : std::vector<uint16_t>(2, kMark));
    }
    orb_write32(var::game_flags, 1u << 14);
    cpu.reg[18] = 0x31F400;
    ASSERT_TRUE(run(sub_061526));
    EXPECT_EQ(cells(0x31F400, 2), std::vector<uint16_t>(2, 0)) << "erased while the play is over";
}

TEST_F(Panels, PerChuteRequirementLineBlinksWhileAChuteHoldsTooFew) {
    setting8(backup_record::chute_per_player, 1);
    setting8(backup_record::start_credits, 2);
    setting8(backup_record::player_count, 1);
    plant16(0x061B62, 0xF600);
    for (uint32_t k = 0; k < 3; ++k) orb_write8(var::credit_records + 8 * k, 2);
    orb_write8(var::frame_counter, 0x20);
    ASSERT_TRUE(run(sub_0615C4));
    EXPECT_EQ(ram16(0x31F600), 0) << "every chute holds two";
    orb_write8(var::credit_records + 16, 1);
    ASSERT_TRUE(run(sub_0615C4));
    EXPECT_EQ(cells(0x31F600, 2), text(3, "RQ"));
    orb_write8(var::frame_counter, 0x40);
    ASSERT_TRUE(run(sub_0615C4));
    EXPECT_EQ(cells(0x31F600, 2), std::vector<uint16_t>(2, 0));
}

// The energy counter rolls toward the energy: steps of 111, 11 and 1 as the
// distance shrinks, one a frame, stopping on the value.
class PanelEnergy : public Panels {
protected:
    void SetUp() override {
        Panels::SetUp();
        plant16(rom::credit_cells, 0xF400);
        plant_string(rom::energy_label, 4, "E");
    }
    std::vector<int> roll(int from, int to, int frames) {
        orb_write16(rec(0) + 232, static_cast<uint16_t>(from));
        orb_write16(rec(0) + 64, static_cast<uint16_t>(to));
        std::vector<int> shown;
        for (int i = 0; i < frames; ++i) {
            cpu.reg[20] = rec(0);
            EXPECT_TRUE(run(sub_0619CD));
            shown.push_back(ram16(rec(0) + 232));
        }
        return shown;
    }
    // The step sizes in the order they first appear.
    static std::vector<int> steps(int from, const std::vector<int>& shown) {
        std::vector<int> out;
        int last = from;
        for (int v : shown) {
            const int d = v > last ? v - last : last - v;
            if (d != 0 && (out.empty() || out.back() != d)) out.push_back(d);
            last = v;
        }
        return out;
    }
};

TEST_F(PanelEnergy, RollsUpAndDownAndStopsOnTheValue) {
    const std::vector<int> up = roll(100, 500, 80);
    EXPECT_EQ(up[0], 211);
    EXPECT_EQ(up[1], 222);
    EXPECT_EQ(up[22], 453);
    EXPECT_EQ(up[23], 454);
    EXPECT_EQ(up.back(), 500);
    EXPECT_EQ(steps(100, up), (std::vector<int>{111, 11, 1}));
    EXPECT_EQ(cells(0x31F400, 7), (text(4, "E") + std::vector<uint16_t>{0, 0, 0, 0x0435, 0x0430, 0x0430}));

    const std::vector<int> down = roll(500, 0, 80);
    EXPECT_EQ(down[0], 389);
    EXPECT_EQ(steps(500, down), (std::vector<int>{111, 11, 1}));
    EXPECT_EQ(down.back(), 0);
    EXPECT_EQ(roll(0, 5000, 1)[0], 1111);
}

TEST_F(PanelEnergy, ErasedWhilePlayIsOverAndQuietInTheDemo) {
    fill(0x31F400, 12, 0x0141);
    orb_write32(var::game_flags, 1u << 14);
    roll(100, 500, 1);
    EXPECT_EQ(cells(0x31F400, 12), (std::vector<uint16_t>(12, 0)));
    fill(0x31F400, 12, 0x0141);
    orb_write32(var::game_flags, 1u << 8);
    EXPECT_EQ(roll(100, 500, 1)[0], 100);
    EXPECT_EQ(ram16(0x31F400), 0x0141);
}

// Everyone out: the continue routine shows big digits of the seconds left
// and ticks once per change.
TEST_F(Panels, ContinueWithEveryoneOutShowsBigDigits) {
    for (uint32_t d = 0; d <= 10; ++d) {
        plant32(rom::big_digits + 4 * d, 0x072000 + 16 * d);
        for (uint32_t row = 0; row < 3; ++row) {
            const uint32_t v = d | row << 5;
            plant32(0x072000 + 16 * d + 4 * row, v | v << 16);
        }
    }
    auto digit_rows = [](uint32_t d) {
        std::vector<uint32_t> rows;
        for (uint32_t row = 0; row < 3; ++row) {
            const uint32_t v = d | row << 5;
            rows.push_back((v | v << 16) | 0x1A001A00);
        }
        return rows;
    };
    plant16(rom::small_count_cells, 0xF500);
    orb_write32(0x31F500, 0x01410141);
    int ticks = 0;
    fake(sub_088F98 /* sound a */, [&ticks] { ticks += (cpu.reg[0] & 0xFF) == 0x91; });
    orb_write32(rec(0) + 4, entry::sub_063799 /* continue */);
    orb_write16(rec(0) + 74, 1260);
    for (int frame = 1; frame < 1260; ++frame) {
        cpu.reg[20] = rec(0);
        ASSERT_TRUE(run(sub_063799));
        const uint32_t seconds = static_cast<uint32_t>(1260 - frame) / 60;
        std::vector<uint32_t> tens, units;
        for (uint32_t row = 0; row < 3; ++row) {
            tens.push_back(ram32(var::continue_area + 128 * row));
            units.push_back(ram32(0x31F7A8 + 128 * row));
        }
        ASSERT_EQ(tens, digit_rows(seconds < 10 ? 10 : seconds / 10)) << frame;
        ASSERT_EQ(units, digit_rows(seconds % 10)) << frame;
    }
    EXPECT_EQ(ticks, 21);
    EXPECT_EQ(ram32(0x31F500), 0u) << "the small countdown is cleared";
    // With somebody in play the small countdown shows instead.
    orb_write16(rec(1), 1);
    orb_write16(rec(0) + 74, 1260);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_063799));
    EXPECT_EQ(cells(0x31F500, 2), text(6, "20"));
    EXPECT_EQ(ram32(var::continue_area), 0u) << "the big digits go";
}

TEST_F(Panels, EnergyOutRestartsTheContinueCountdownsWhenNobodyPlays) {
    plant16(0x061C9C, 0xF300);
    plant_string(0x061C9E, 7, "H");
    plant16(0x061CB0, 0xF380);
    plant_string(0x061CB2, 7, "K");
    plant32(rom::energy_out + 4, 0x073000);
    plant_string(0x073000, 1, "O");
    plant16(rom::message_cells, 0xF600);
    orb_write32(rec(1) + 4, entry::sub_063799 /* continue */);
    orb_write32(rec(3) + 4, entry::sub_063799 /* continue */);
    orb_write16(rec(0) + 74, 1260);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_061628));
    EXPECT_EQ(ram16(rec(1) + 74), 1260);
    EXPECT_EQ(ram16(rec(3) + 74), 1260);
    EXPECT_EQ(ram16(0x31F300), 0x0748);
    EXPECT_EQ(ram16(0x31F380), 0x074B);
    EXPECT_EQ(ram16(0x31F600), 0x014F);

    orb_write16(0x31F300, 0);
    orb_write16(rec(2), 1);
    orb_write16(rec(0) + 74, 900);
    ASSERT_TRUE(run(sub_061628));
    EXPECT_EQ(ram16(rec(1) + 74), 1260) << "somebody plays";
    EXPECT_EQ(ram16(0x31F300), 0);
    orb_write32(var::game_flags, 1u << 14);
    ASSERT_TRUE(run(sub_061628));
    EXPECT_EQ(ram16(0x31F600), 0) << "erased while the play is over";
}

TEST_F(Panels, SlotCreditLineFollowsTheCoinModeBaseAndTheSlotsChute) {
    orb_write8(var::coin_mode, 4);  // three chutes: base 2
    setting8(backup_record::player_count, 1);
    plant16(rom::credit_cells + 2 * (1 + 2), 0xF700);
    orb_write8(0x2080A8, 3);  // slot 1 of three: record 1
    fill(0x31F700, 8, kMark);
    cpu.reg[1] = 1;
    ASSERT_TRUE(run(sub_061281));
    EXPECT_EQ(cells(0x31F700, 8), (text(5, "PP") + std::vector<uint16_t>{'3', 0, 0, 0, 0, 0}));
    // A slot in play shows none.
    fill(0x31F700, 8, kMark);
    orb_write8(rec(1) + 129, 1);
    orb_write32(var::game_flags, 2);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_061275));
    EXPECT_EQ(ram16(0x31F700), kMark);
}

TEST_F(Panels, PlayerCountWithoutACaseEndsTheRun) {
    setting8(backup_record::player_count, 4);
    cpu.reg[20] = rec(0);
    EXPECT_EXIT(sub_062F86(), testing::ExitedWithCode(3),
                "^Jump from 062F8D to 062F9C has no translated target");
}

}  // namespace
