#include <gtest/gtest.h>

#include <cstdint>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kDifficulty = var::backup_primary + backup_record::difficulty;

class Rank : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        const uint8_t schedule[8] = {0, 3, 5, 10, 20, 40, 80, 0x90};
        for (uint32_t i = 0; i < 8; ++i) plant8(rom::rank_schedule + i, schedule[i]);
        plant8(rom::continue_raise, 6);
        // A game in play, not the demo, with no rank event pending.
        orb_write32(var::game_flags, 0);
        orb_write8(var::rank_events, 0);
    }
    static void rank(uint8_t rank, uint8_t base) {
        orb_write8(var::difficulty_rank, rank);
        orb_write8(var::rank_base, base);
    }
};

TEST_F(Rank, SetUpSumsAreaStageAndPlayerBytesWithTheDifficultyWrapping) {
    orb_write8(var::stage, 1);
    orb_write8(var::area, 2);
    orb_write32(var::game_flags, 0x1203);  // slots 0 and 1; the other bits are no index
    plant8(rom::area_ranks + 6 * 1 + 2, 200);
    plant8(rom::stage_ranks + 0, 60);
    plant8(rom::player_factors + 3, 10);
    plant8(rom::rank_start_offset, 0xF5);
    orb_write8(var::rank_step, 5);
    orb_write16(var::rank_timer, 7);
    for (uint8_t difficulty : {0, 3}) {
        orb_write8(kDifficulty, difficulty);
        ASSERT_TRUE(run(sub_06313A));
        EXPECT_EQ(ram8(var::rank_base), 14 + difficulty);  // 270 wraps to 14
        EXPECT_EQ(ram8(var::difficulty_rank), (14 + difficulty + 0xF5) & 0xFF);
        EXPECT_EQ(ram8(var::rank_step), 0);
        EXPECT_EQ(ram16(var::rank_timer), 1800);
    }
}

TEST_F(Rank, ResultsWriteOnlyTheLowByteOfTheirRegister) {
    orb_write8(var::stage, 2);
    orb_write8(var::area, 3);
    orb_write32(var::game_flags, 0x0105);
    plant8(rom::area_ranks + 15, 0x37);
    plant8(rom::player_factors + 5, 0x42);
    cpu.reg[0] = 0xAABBCCDD;
    cpu.reg[1] = 0x11223344;
    ASSERT_TRUE(run(sub_0631E7));
    ASSERT_TRUE(run(sub_0631FD));
    EXPECT_EQ(r(0), 0xAABBCC37u);
    EXPECT_EQ(r(1), 0x11223342u);
    // The stage is doubled as a byte: stage 0x80 reads the row of stage 0.
    orb_write8(var::stage, 0x80);
    plant8(rom::area_ranks + 3, 0x55);
    ASSERT_TRUE(run(sub_0631E7));
    EXPECT_EQ(r(0), 0xAABBCC55u);
}

TEST_F(Rank, ScheduleTakesSevenStepsOfEighteenHundredFramesThenStands) {
    rank(0x10, 0x10);
    orb_write8(var::rank_step, 0);
    orb_write16(var::rank_timer, 1800);
    const uint8_t expected[8] = {0x10, 0x13, 0x15, 0x1A, 0x24, 0x38, 0x60, 0xA0};
    for (int step = 1; step <= 9; ++step) {
        for (int f = 0; f < 1799; ++f) ASSERT_TRUE(run(sub_06316E));
        EXPECT_EQ(ram8(var::difficulty_rank), expected[step - 1 < 7 ? step - 1 : 7])
            << "before step " << step;
        ASSERT_TRUE(run(sub_06316E));
        EXPECT_EQ(ram8(var::difficulty_rank), expected[step < 7 ? step : 7]) << "step " << step;
        EXPECT_EQ(ram16(var::rank_timer), 1800);
        EXPECT_EQ(ram8(var::rank_step), step < 7 ? step : 7);
    }
}

TEST_F(Rank, EventsMoveRankAndBase) {
    const struct {
        const char* name;
        uint8_t events, rank, base, rank_after, base_after;
    } cases[] = {
        {"continue above the base", 0x01, 0x21, 0x20, 0x27, 0x20},
        {"continue at the base", 0x01, 0x20, 0x20, 0x20, 0x20},
        {"continue below the base (signed)", 0x01, 0x90, 0x10, 0x90, 0x10},
        {"up", 0x02, 0x20, 0x10, 0x22, 0x12},
        {"down wraps", 0x04, 0x01, 0x00, 0xFF, 0xFE},
        {"up and down cancel", 0x06, 0x20, 0x10, 0x20, 0x10},
        {"continue, then up", 0x03, 0x11, 0x10, 0x19, 0x12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rank(c.rank, c.base);
        orb_write8(var::rank_events, c.events);
        orb_write16(var::rank_timer, 100);
        ASSERT_TRUE(run(sub_06316E));
        EXPECT_EQ(ram8(var::difficulty_rank), c.rank_after);
        EXPECT_EQ(ram8(var::rank_base), c.base_after);
        EXPECT_EQ(ram8(var::rank_events), 0);
        EXPECT_EQ(ram16(var::rank_timer), 99);
    }
}

TEST_F(Rank, RestartReloadsTheScheduleAndEndsTheFrame) {
    rank(0x30, 0x20);
    orb_write8(var::rank_step, 5);
    orb_write16(var::rank_timer, 1);
    orb_write8(var::rank_events, 0x0A);  // restart with an up
    ASSERT_TRUE(run(sub_06316E));
    EXPECT_EQ(ram8(var::rank_step), 0);
    EXPECT_EQ(ram16(var::rank_timer), 1800);  // no step of the timer this frame
    EXPECT_EQ(ram8(var::difficulty_rank), 0x32);
    EXPECT_EQ(ram8(var::rank_events), 0);
}

TEST_F(Rank, DemoLeavesEverythingAlone) {
    orb_write32(var::game_flags, 1u << game_flag::demo_play);
    rank(0x30, 0x20);
    orb_write8(var::rank_events, 0x0F);
    orb_write16(var::rank_timer, 1);
    for (int f = 0; f < 2000; ++f) ASSERT_TRUE(run(sub_06316E));
    EXPECT_EQ(ram8(var::difficulty_rank), 0x30);
    EXPECT_EQ(ram8(var::rank_events), 0x0F);
    EXPECT_EQ(ram16(var::rank_timer), 1);
}

}  // namespace
