#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "game/continuations.h"
#include "board/machine.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

uint32_t rec(uint32_t slot) { return var::player_records + 0x100 * slot; }
void setting8(uint32_t field, uint8_t v) { orb_write8(var::backup_primary + field, v); }
void setting16(uint32_t field, uint16_t v) { orb_write16(var::backup_primary + field, v); }

class Slots : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        // Every slot idle at its place, one shared chute (credit layout 0).
        orb_write8(var::coin_mode, 0);
        ASSERT_TRUE(run(sub_063402));
        // What the game's start-up leaves: no game or frame bits, every
        // slot's state at its first step.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        for (uint32_t n = 0; n < 4; ++n) orb_write8(rec(n) + object_record::state, 0);
        setting8(backup_record::start_credits, 1);
        setting8(backup_record::continue_credits, 1);
        setting16(backup_record::start_energy, 100);
        setting8(backup_record::join_option, 0);  // buttons 1 and 2 join
        setting8(backup_record::chute_per_player, 0);
        setting8(backup_record::player_count, 0);  // two player slots
        // No credits in any of the four credit records.
        for (uint32_t i = 0; i < 4 * credit_record::size; ++i) orb_write8(var::credit_records + i, 0);
        orb_write8(var::free_play_active, 0);
        // The slot reset of the mode machine: game flags and every slot.
        fake(sub_0634A7 /* reset slots */, [] {
            orb_write32(var::game_flags, 0);
            for (uint32_t n = 0; n < 4; ++n) {
                orb_write32(rec(n), 0);
                orb_write8(rec(n) + 148, 0);
                orb_write32(rec(n) + 4, entry::sub_063514 /* idle */);
            }
        });
    }

    // Runs a routine that leaves through a computed jump; the guest address
    // it left for.
    uint32_t run_until_left(v60_routine routine) {
        const uint32_t sp0 = cpu.reg[V60_SP];
        guest::push(kSentinel);
        routine();
        cpu.reg[V60_SP] = sp0;
        return cpu.pc;
    }

    static void press(uint32_t slot, uint8_t edges) { orb_write8(var::player_presses + slot, edges); }
};

// Join matrix: the join button by option, free play or enough credits (a
// signed compare), then the price taken and the bonus units dropped.
TEST_F(Slots, JoinTakesThePriceAndGoesToTheContinuation) {
    enum money { free_play, enough, too_few };
    int joins = 0;
    fake(kTestEntry[0], [&] { ++joins; });
    for (uint8_t option : {0, 1}) {
        for (uint8_t edge : {0x10, 0x20, 0x40}) {
            for (money m : {free_play, enough, too_few}) {
                SCOPED_TRACE(testing::Message()
                             << "option " << int(option) << " edge " << int(edge) << " money " << m);
                setting8(backup_record::join_option, option);
                setting8(backup_record::start_credits, 2);
                orb_write8(var::free_play_active, m == free_play ? 1 : 0);
                const uint8_t credits = m == too_few ? 0x80 : 3;
                orb_write8(var::credit_records, credits);
                orb_write8(var::credit_records + 2, 7);
                orb_write32(rec(1) + 4, entry::sub_063514 /* idle */);
                press(1, edge);
                joins = 0;
                cpu.reg[20] = rec(1);
                cpu.reg[15] = kTestEntry[0];
                ASSERT_TRUE(run(sub_063536));
                const bool button = option == 0 ? edge != 0x40 : edge == 0x40;
                const bool joined = button && m != too_few;
                EXPECT_EQ(joins, joined ? 1 : 0);
                EXPECT_EQ(ram32(rec(1) + 4), joined ? kTestEntry[0] : entry::sub_063514 /* idle */);
                const bool paid = joined && m == enough;
                EXPECT_EQ(ram8(var::credit_records), paid ? 1 : credits);
                EXPECT_EQ(ram8(var::credit_records + 2), paid ? 0 : 7);
            }
        }
    }
}

TEST_F(Slots, NoJoinAfterTheGameOrWhileThePlayIsOverAndContinuesPayTheirOwnPrice) {
    fake(kTestEntry[0]);
    const struct {
        const char* name;
        uint32_t system_flags, game_flags, flags;
        uint8_t credits, continue_price;
        bool joins;
    } cases[] = {
        {"game ended", 0x80, 0, 0, 5, 1, false},
        {"play over", 0, 0x4000, 0, 5, 1, false},
        {"continuing, price 3, 2 credits", 0, 0, 0x2000, 2, 3, false},
        {"continuing, price 3, 3 credits", 0, 0, 0x2000, 3, 3, true},
        {"new player at the start price", 0, 0, 0, 1, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write32(var::system_flags, c.system_flags);
        orb_write32(var::game_flags, c.game_flags);
        orb_write16(rec(0), static_cast<uint16_t>(c.flags));
        orb_write32(rec(0) + 4, entry::sub_063514 /* idle */);
        orb_write8(var::credit_records, c.credits);
        setting8(backup_record::continue_credits, c.continue_price);
        press(0, 0x10);
        cpu.reg[20] = rec(0);
        cpu.reg[15] = kTestEntry[0];
        ASSERT_TRUE(run(sub_063536));
        EXPECT_EQ(ram32(rec(0) + 4), c.joins ? kTestEntry[0] : entry::sub_063514 /* idle */);
    }
}

// A join from the attract screens in a per-chute layout: the remaining
// credits of the chute all become energy.
TEST_F(Slots, PlayStartOfANewPlayerConvertsTheChutesCredits) {
    orb_write8(var::coin_mode, 5);
    ASSERT_TRUE(run(sub_063402));
    setting8(backup_record::player_count, 2);
    setting8(backup_record::chute_per_player, 1);
    const uint32_t chute = 0x2080A8;  // slot 2 of four
    ASSERT_EQ(ram8(rec(2) + 128), 0xA8);
    orb_write8(chute, 4);
    orb_write32(rec(2) + 140, 12345);
    orb_write8(rec(2) + 180, 9);
    orb_write16(rec(2) + 184, 77);
    orb_write32(var::game_flags, 0x300);
    orb_write8(var::rank_events, 0);
    for (uint32_t i = 0; i < 5; ++i) orb_write8(var::power_on_time + i, static_cast<uint8_t>(0x11 * (i + 1)));
    press(2, 0x20);
    press(3, 0x10);
    cpu.reg[20] = rec(2);
    ASSERT_TRUE(run(sub_06350B));

    EXPECT_EQ(ram32(var::player_presses), 0u) << "every slot's presses are spent";
    EXPECT_EQ(ram32(var::game_flags), 0x4u);
    EXPECT_EQ(ram16(var::game_mode), game_mode::game);
    EXPECT_EQ(ram8(var::ingame_state), flow_state::select_start);
    EXPECT_EQ(ram8(var::fade_preset), 0);
    EXPECT_TRUE(ram32(var::system_flags) & 8) << "fade out";
    EXPECT_EQ(ram32(rec(2) + 4), entry::sub_0638B4);
    EXPECT_EQ(ram16(rec(2)), 7);
    EXPECT_EQ(ram8(rec(2) + 149), 2) << "the slot's own character";
    EXPECT_EQ(ram8(rec(2) + 180), 1);
    EXPECT_EQ(ram32(rec(2) + 140), 0u);
    EXPECT_EQ(ram16(var::new_play_count), 1) << "new plays";
    EXPECT_EQ(ram16(var::new_play_count + var::bookkeeping_mirror_offset), 1);
    EXPECT_EQ(ram16(var::join_count), 1) << "joins";
    EXPECT_EQ(ram16(var::join_count + var::bookkeeping_mirror_offset), 1);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(ram8(var::join_times + 16 + i), 0x11 * (i + 1)) << "join time " << i;
    EXPECT_EQ(ram16(rec(2) + 64), 400);
    EXPECT_EQ(ram8(rec(2) + 181), 3);
    EXPECT_EQ(ram8(chute), 0);
    EXPECT_EQ(ram16(rec(2) + 232), 100);
    EXPECT_EQ(ram8(rec(2) + 183), 60);
    EXPECT_EQ(ram16(rec(2) + 184), 0);
    EXPECT_EQ(ram8(var::rank_events), 0);
}

// The continuing branch of the play start. The real slot reset clears the
// continuing bit before the test (see the play start), so this branch is
// reached only through the stand-in below, which leaves the record as it
// was; ModeMachine.PlayStartAfterTheRealSlotResetSetsUpItsOwnRecord runs the
// play start with the real reset.
TEST_F(Slots, PlayStartOfAContinuingPlayerKeepsTheScoreAndTellsTheRank) {
    fake(sub_0634A7 /* reset slots */);  // does nothing: the record keeps its continuing bit
    orb_write16(rec(1), 0x2000);
    orb_write8(rec(1) + 149, 3);
    orb_write32(rec(1) + 140, 12345);
    orb_write8(rec(1) + 180, 2);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_0635B4));
    EXPECT_EQ(ram16(rec(1)), 7) << "the continuing bit is spent";
    EXPECT_EQ(ram8(var::rank_events) & 1, 1);
    EXPECT_EQ(ram32(rec(1) + 140), 12345u);
    EXPECT_EQ(ram8(rec(1) + 149), 3);
    EXPECT_EQ(ram8(rec(1) + 180), 3);
    EXPECT_EQ(ram16(var::new_play_count), 0) << "no new play";
    EXPECT_EQ(ram16(rec(1) + 64), 100);
}

// The join check offers slots 3 down to 0: the first press starts the play
// and spends the others' presses.
TEST_F(Slots, OfTwoSlotsPressingTogetherTheHigherJoins) {
    orb_write8(var::credit_records, 5);
    press(3, 0x10);
    press(2, 0x10);
    for (uint32_t slot : {3u, 2u}) {
        cpu.reg[20] = rec(slot);
        cpu.reg[15] = entry::sub_0635B4 /* play start */;
        ASSERT_TRUE(run(sub_063536));
    }
    EXPECT_EQ(ram32(rec(3) + 4), entry::sub_0638B4);
    EXPECT_EQ(ram32(rec(2) + 4), entry::sub_063514 /* idle */);
    EXPECT_EQ(ram32(var::game_flags), 0x8u);
    EXPECT_EQ(ram8(var::credit_records), 4);
}

// During a game a paid press from an idle slot has no translated
// continuation; outside play it does nothing.
TEST_F(Slots, IdleSlotJoinsOnlyWhilePlayRuns) {
    orb_write8(var::free_play_active, 1);
    press(0, 0x10);
    orb_write8(var::game_mode, game_mode::game);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_063514)) << "character select: play not running";
    EXPECT_EQ(ram32(rec(0) + 4), entry::sub_063514 /* idle */);
    orb_write32(var::game_flags, 1u << 9);
    cpu.reg[20] = rec(0);
    EXPECT_EQ(run_until_left(sub_063514), continuation::join_in_play);
    EXPECT_EQ(ram32(rec(0) + 4), continuation::join_in_play);
    orb_write8(var::game_mode, game_mode::title);
    orb_write32(rec(1) + 4, entry::sub_063514 /* idle */);
    cpu.reg[20] = rec(1);
    press(1, 0x10);
    ASSERT_TRUE(run(sub_063514)) << "attract screens: the join check's business";
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_063514 /* idle */);
}

// Continue: each frame the countdown falls and a join is offered; short of
// credits a press cuts the countdown to its second's start plus one frame.
TEST_F(Slots, ContinueCountdownAndItsSpeedUp) {
    orb_write32(rec(0) + 4, entry::sub_063799 /* continue */);
    orb_write16(rec(0) + 74, 1000);
    orb_write16(rec(1), 1);  // another player plays
    press(0, 0x10);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_063799));
    EXPECT_EQ(ram16(rec(0) + 74), 961);
    EXPECT_TRUE(ram16(rec(0)) & 0x2000) << "continuing";
    EXPECT_TRUE(ram32(var::game_flags) & 0x2000) << "slot out";

    // Nobody plays and no credits anywhere: every continuing slot is cut.
    orb_write16(rec(1), 0);
    orb_write32(rec(2) + 4, entry::sub_063799 /* continue */);
    orb_write16(rec(2) + 74, 700);
    orb_write16(rec(0) + 74, 1000);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_063799));
    EXPECT_EQ(ram16(rec(0) + 74), 961);
    EXPECT_EQ(ram16(rec(2) + 74), 661);
    // A credit somewhere: nothing is cut.
    orb_write8(var::credit_records + 8, 1);
    orb_write16(rec(0) + 74, 1000);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_063799));
    EXPECT_EQ(ram16(rec(0) + 74), 999);
    // With the credits for it, a continue has no translated continuation.
    orb_write8(var::credit_records, 1);
    cpu.reg[20] = rec(0);
    EXPECT_EQ(run_until_left(sub_063799), continuation::join_in_play);
}

TEST_F(Slots, ContinueEndsInTheRankingAndTheLastOneClearsTheContinueArea) {
    orb_write32(rec(0) + 4, entry::sub_063799 /* continue */);
    orb_write16(rec(0) + 74, 1);
    for (uint32_t a = var::continue_area; a < var::continue_area + 3 * 128; a += 128)
        orb_write32(a, 0x12341234);
    cpu.reg[20] = rec(0);
    ASSERT_TRUE(run(sub_063799));
    EXPECT_EQ(ram32(rec(0) + 4), entry::sub_08A3D6);
    EXPECT_EQ(ram8(rec(0) + 2), 0);
    EXPECT_EQ(ram32(var::continue_area + 128), 0u);
    // The game over ends every countdown at once.
    orb_write32(rec(1) + 4, entry::sub_063799 /* continue */);
    orb_write16(rec(1) + 74, 500);
    orb_write32(var::system_flags, 0x80);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_063799));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_08A3D6);
    EXPECT_EQ(ram16(rec(1) + 74), 500);
}

TEST_F(Slots, TheLastSlotOutEndsTheGameAndWaitsForGameOver) {
    fake(sub_084CFE /* tally clear */);
    orb_write32(var::game_flags, 1u << 2);
    orb_write8(var::credit_records + 2, 9);
    orb_write32(rec(2) + 4, entry::sub_063818);
    cpu.reg[20] = rec(2);
    ASSERT_TRUE(run(sub_063818));
    EXPECT_EQ(ram8(rec(2) + 2), 2);
    EXPECT_EQ(ram32(var::game_flags), 1u << 13);
    EXPECT_TRUE(ram32(var::system_flags) & 0x80);
    EXPECT_EQ(calls(sub_084CFE /* tally clear */), 1);
    orb_write8(var::ingame_state, flow_state::game_over_fade_out);
    ASSERT_TRUE(run(sub_063818));
    EXPECT_EQ(ram32(rec(2) + 4), entry::sub_063818) << "still out";
    orb_write8(var::ingame_state, flow_state::game_over_wait_out);
    ASSERT_TRUE(run(sub_063818));
    EXPECT_EQ(ram32(rec(2) + 4), entry::sub_063514 /* idle */);
    EXPECT_EQ(ram8(rec(2) + 2), 0);
    EXPECT_EQ(ram8(var::credit_records + 2), 0);
}

TEST_F(Slots, OtherSlotsOutShowTheirLine127FramesThenGoIdle) {
    fake(sub_084CFE /* tally clear */);
    orb_write32(var::game_flags, 0b0011);
    orb_write32(rec(1) + 4, entry::sub_063818);
    orb_write16(rec(1), 0x2000);
    int frames = 0;
    while (ram32(rec(1) + 4) != entry::sub_063514 /* idle */ && frames < 300) {
        cpu.reg[20] = rec(1);
        ASSERT_TRUE(run(sub_063818));
        ++frames;
    }
    EXPECT_EQ(frames, 127);
    EXPECT_EQ(ram16(rec(1)) & 0x2000, 0);
    EXPECT_FALSE(ram32(var::system_flags) & 0x80);
    EXPECT_EQ(ram32(var::game_flags) & 15, 1u);
}

TEST_F(Slots, OutStateWithoutACaseEndsTheRun) {
    orb_write8(rec(0) + 2, 3);
    cpu.reg[20] = rec(0);
    EXPECT_EXIT(sub_063818(), testing::ExitedWithCode(3),
                "^Jump from 06381F to 06382B has no translated target");
}

// Join and leave bookkeeping with the play-length bands.
TEST_F(Slots, LeavingBooksThePlayTimeInItsBand) {
    const struct {
        uint8_t minutes, seconds, hours;
        uint32_t band;
    } cases[] = {{0, 29, 0, 0},  {0, 30, 0, 1},  {4, 59, 0, 9}, {5, 0, 0, 10},
                 {9, 59, 0, 10}, {10, 0, 0, 11}, {0, 0, 1, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.hours) << ":" << int(c.minutes) << ":" << int(c.seconds));
        for (uint32_t a = var::bookkeeping_block; a < 0x701FFA; ++a) orb_write8(a, 0);
        for (uint32_t i = 0; i < 5; ++i) orb_write8(var::join_times + 8 + i, 0);
        orb_write8(var::power_on_time, c.seconds);
        orb_write8(var::power_on_time + 1, c.minutes);
        orb_write8(var::power_on_time + 2, c.hours);
        cpu.reg[20] = rec(1);
        ASSERT_TRUE(run(sub_063722));
        for (uint32_t band = 0; band < 12; ++band) {
            EXPECT_EQ(ram16(var::play_histogram + 2 * band), band == c.band ? 1 : 0) << band;
            EXPECT_EQ(ram16(var::play_histogram + var::bookkeeping_mirror_offset + 2 * band),
                      band == c.band ? 1 : 0)
                << band;
        }
        EXPECT_EQ(ram8(var::play_time), c.seconds) << "total play time";
        EXPECT_EQ(ram8(0x701F1D), c.minutes);
        EXPECT_EQ(ram8(0x701F98 + 1), c.minutes) << "its mirror";
        EXPECT_EQ(ram8(0x2081C8 + 1), c.minutes) << "the join time became the play time";
    }
}

// Credits and energy during play in a per-chute layout.
class SlotsInPlay : public Slots {
protected:
    void SetUp() override {
        Slots::SetUp();
        orb_write8(var::coin_mode, 3);
        ASSERT_TRUE(run(sub_063402));
        setting8(backup_record::chute_per_player, 1);
        orb_write32(var::camera_pointer, var::playfield_camera);
        plant8(0x063EA6, 10);  // controller states 11-20 leave the credits alone
        plant8(0x063EA7, 20);
        orb_write16(rec(0), 1);
        orb_write8(rec(0) + 2, 5);
        // Every depth bucket empty and nothing listed yet, as the list
        // builder leaves them between frames.
        for (uint32_t k = 0; k < 512; ++k) orb_write16(var::display_buckets + 2 * k, 0);
        orb_write16(var::display_count, 0);
    }
    void frame() {
        cpu.reg[20] = 0x1234;
        ASSERT_TRUE(run(sub_063C2C));
        EXPECT_EQ(r(20), 0x1234u);
    }
};

TEST_F(SlotsInPlay, AFurtherCreditAddsEnergyOneAFrameBelow30000) {
    const uint32_t chute = 0x2080A8;
    orb_write8(chute, 2);
    orb_write16(rec(0) + 64, 150);
    orb_write8(rec(0) + 181, 1);
    frame();
    EXPECT_EQ(ram16(rec(0) + 64), 250);
    EXPECT_EQ(ram8(rec(0) + 181), 2);
    EXPECT_EQ(ram8(chute), 1);
    frame();
    EXPECT_EQ(ram16(rec(0) + 64), 350);
    EXPECT_EQ(ram8(chute), 0);
    frame();
    EXPECT_EQ(ram16(rec(0) + 64), 350);

    orb_write8(chute, 1);
    orb_write16(rec(0) + 64, 30000);
    orb_write8(rec(0) + 181, 0xFF);
    frame();
    EXPECT_EQ(ram16(rec(0) + 64), 30000) << "none at 30,000";
    EXPECT_EQ(ram8(chute), 1);
    // Inside the controller's excluded states, and in the demo, nothing.
    orb_write16(rec(0) + 64, 100);
    orb_write8(rec(0) + 2, 15);
    frame();
    EXPECT_EQ(ram8(chute), 1);
    orb_write8(rec(0) + 2, 5);
    orb_write32(var::game_flags, 1u << 8);
    frame();
    EXPECT_EQ(ram8(chute), 1);
    orb_write32(var::game_flags, 0);
    frame();
    EXPECT_EQ(ram8(chute), 0);
}

TEST_F(SlotsInPlay, EnergyUsedUpBelowTheConvertedCreditsBooksALeaveAJoinAndAPlay) {
    orb_write16(rec(0) + 64, 201);  // (201 - 1) / 100 = 2
    orb_write8(rec(0) + 181, 3);
    orb_write8(rec(0) + 180, 1);
    // Slot 0 joined at the very time the clock reads now: a play of under
    // half a minute.
    for (uint32_t i = 0; i < 8; ++i) orb_write8(var::join_times + i, ram8(var::power_on_time + i));
    frame();
    EXPECT_EQ(ram8(rec(0) + 181), 2);
    EXPECT_EQ(ram8(rec(0) + 180), 2);
    EXPECT_EQ(ram16(var::join_count), 1) << "a join";
    EXPECT_EQ(ram16(var::play_histogram), 1) << "a leave, in the first band";
    frame();
    EXPECT_EQ(ram8(rec(0) + 180), 2) << "once";
    EXPECT_EQ(ram16(rec(0) + 16), 0) << "placed with the camera";
}

TEST_F(Slots, DrainTicksAfter60FramesThenEvery180NeverBelow1) {
    orb_write8(rec(0) + 183, 60);
    orb_write16(rec(0) + 64, 3);
    std::vector<int> ticks;
    for (int frame = 1; frame <= 800; ++frame) {
        const uint16_t before = ram16(rec(0) + 184);
        cpu.reg[20] = rec(0);
        ASSERT_TRUE(run(sub_063D72));
        if (ram16(rec(0) + 184) != before) ticks.push_back(frame);
    }
    EXPECT_EQ(ticks, (std::vector<int>{60, 240, 420, 600, 780}));
    EXPECT_EQ(ram16(rec(0) + 64), 1);
}

TEST_F(Slots, StateRangeTestAroundBothBounds) {
    plant8(0x070000, 10);
    plant8(0x070001, 20);
    const struct {
        uint8_t state;
        bool outside;
    } cases[] = {{0, true},   {9, true},   {10, true}, {11, false},
                 {19, false}, {20, false}, {21, true}, {200, true}};
    for (const auto& c : cases) {
        orb_write8(rec(0) + 2, c.state);
        cpu.reg[19] = 0x070000;
        cpu.reg[20] = rec(0);
        ASSERT_TRUE(run(sub_063D0C));
        EXPECT_EQ(cpu.s == 0, c.outside) << int(c.state);
    }
}

TEST_F(Slots, InputFetchReadsTheSlotsBytes) {
    for (uint32_t i = 0; i < 24; ++i) {
        orb_write8(var::player_inputs + i, static_cast<uint8_t>(0x10 + i));
        orb_write8(var::demo_inputs + i, static_cast<uint8_t>(0x80 + i));
    }
    const struct {
        const char* name;
        uint32_t game_flags, system_flags;
        uint32_t r0, r1, r2, r7;
    } cases[] = {
        {"play", 0, 0, 0x10 + 9, 0x10 + 17, 0x10 + 13, (0x10 + 5) | (0x10 + 17)},
        {"demo", 1u << 8, 0, 0x80 + 9, 0x80 + 17, 0x80 + 13, (0x80 + 5) | (0x80 + 17)},
        {"area change", 0, 1u << 14, 0, 0, 0x10 + 13, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write32(var::game_flags, c.game_flags);
        orb_write32(var::system_flags, c.system_flags);
        cpu.reg[0] = cpu.reg[1] = cpu.reg[2] = cpu.reg[7] = 0xDEAD;
        cpu.reg[20] = rec(1);
        ASSERT_TRUE(run(sub_063BBA));
        EXPECT_EQ(r(0), c.r0);
        EXPECT_EQ(r(1), c.r1);
        EXPECT_EQ(r(2), c.r2);
        EXPECT_EQ(r(7), c.r7);
    }
}

TEST_F(Slots, RunnerCallsTheSlotsHighestFirstThenHandsOnTableB) {
    fake(sub_087FD6 /* hitbox copy a */);
    std::vector<uint32_t> order;
    for (uint32_t n = 0; n < 4; ++n) {
        orb_write32(rec(n) + 4, kTestEntry[n]);
        fake(kTestEntry[n], [&order] { order.push_back(cpu.reg[20]); });
    }
    const struct {
        uint8_t count;
        std::vector<uint32_t> slots;
    } cases[] = {{0, {1, 0}}, {1, {2, 1, 0}}, {2, {3, 2, 1, 0}}, {3, {3, 2, 1, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.count));
        setting8(backup_record::player_count, c.count);
        for (uint32_t i = 0; i < 0x100; ++i) orb_write8(var::hitbox_table_b + i, static_cast<uint8_t>(i + 1));
        for (uint32_t i = 0; i < 0x100; ++i) orb_write8(var::hitbox_copy_b + i, 0xEE);
        orb_write8(var::hitbox_table_b, 2);
        order.clear();
        ASSERT_TRUE(run(sub_0633C0));
        std::vector<uint32_t> want;
        for (uint32_t s : c.slots) want.push_back(rec(s));
        EXPECT_EQ(order, want);
        EXPECT_EQ(ram8(var::hitbox_copy_b), 2);
        EXPECT_EQ(ram8(var::hitbox_copy_b + 47), 48);
        EXPECT_EQ(ram8(var::hitbox_copy_b + 48), 0xEE) << "(count + 1) entries";
        EXPECT_EQ(ram8(var::hitbox_table_b), 0);
    }
    EXPECT_EQ(calls(sub_087FD6 /* hitbox copy a */), 4);
}

TEST_F(Slots, PowerOnSetsEverySlotIdleWithItsCreditRecord) {
    const struct {
        uint8_t mode;
        std::vector<uint8_t> offsets;
    } cases[] = {{0, {0xA0, 0xA0, 0xA0, 0xA0}}, {2, {0xA0, 0xA0, 0xA0, 0xA0}}, {6, {0xA0, 0xA0, 0xA0, 0xA0}},
                 {3, {0xA8, 0xA0, 0x11, 0x11}}, {4, {0xB0, 0xA8, 0xA0, 0x11}}, {5, {0xB8, 0xB0, 0xA8, 0xA0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        for (uint32_t n = 0; n < 4; ++n) {
            orb_write8(rec(n) + 128, 0x11);
            orb_write16(rec(n), 0xFFFF);
        }
        orb_write8(var::coin_mode, c.mode);
        ASSERT_TRUE(run(sub_063402));
        for (uint32_t n = 0; n < 4; ++n) {
            EXPECT_EQ(ram8(rec(n) + 128), c.offsets[n]) << n;
            EXPECT_EQ(ram16(rec(n)), 0);
            EXPECT_EQ(ram32(rec(n) + 4), entry::sub_063514 /* idle */);
            EXPECT_EQ(ram8(rec(n) + 129), n);
            EXPECT_EQ(ram16(rec(n) + 12), static_cast<uint16_t>(rec(n)));
        }
    }
}

TEST_F(Slots, LayoutsWithoutACaseEndTheRun) {
    setting8(backup_record::player_count, 4);
    EXPECT_EXIT(sub_0633C0(), testing::ExitedWithCode(3),
                "^Jump from 0633CD to 0633DC has no translated target");
    orb_write8(var::coin_mode, 7);
    EXPECT_EXIT(sub_063402(), testing::ExitedWithCode(3),
                "^Jump from 06343D to 063455 has no translated target");
}

// The chain from waiting to the controller.
class SlotChain : public Slots {
protected:
    void SetUp() override {
        Slots::SetUp();
        fake(sub_061F06 /* animation start */);
        fake(sub_077B88 /* companion */, [this] { companion_ = cpu.reg[10]; });
        fake(sub_0824F0 /* appear effect */, [this] { effect_ = cpu.reg[0]; });
        fake(sub_063EB6 /* controller */);
        orb_write32(var::camera_pointer, var::playfield_camera);
        orb_write16(var::playfield_camera + 4, 1000);
        orb_write16(var::playfield_camera + 6, 200);
        setting8(backup_record::player_count, 1);
        plant8(rom::offset_rows + 1, 3);        // three slots: rows 3 to 5
        plant16(rom::slot_offsets + 4 * 4, 8);  // slot 1: x + 8
        plant16(rom::slot_offsets + 4 * 4 + 2, static_cast<uint16_t>(-4));
        orb_write8(var::stage, 2);
        orb_write8(var::area, 3);
        plant16(rom::player_start_y + 2 * 7, 600);  // stage 2, area 3
        plant32(rom::standing_anim + 4 * 3, 0x0A0000);
        plant32(rom::placed_scripts + 4 * 3, 0x0B0000);
        orb_write8(rec(1) + 149, 3);
    }
    uint32_t companion_ = 0, effect_ = 0xFF;
};

TEST_F(SlotChain, WaitsThenPlacesOnTheAreasStartLine) {
    orb_write32(rec(1) + 4, entry::sub_06389E);
    orb_write8(var::ingame_state, flow_state::next_stage);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_06389E));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_06389E);
    orb_write8(var::ingame_state, flow_state::stage_start);
    ASSERT_TRUE(run(sub_06389E));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_0638B4);
    ASSERT_TRUE(run(sub_0638B4));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_0638B4);
    orb_write8(var::ingame_state, flow_state::play);
    ASSERT_TRUE(run(sub_0638B4));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_0638C6);

    orb_write8(rec(1) + 159, 9);
    ASSERT_TRUE(run(sub_0638C6));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_063955);
    EXPECT_EQ(static_cast<int16_t>(ram16(rec(1) + 32)), 1000 + 640 + 8);
    EXPECT_EQ(static_cast<int16_t>(ram16(rec(1) + 34)), 600 - 4);
    EXPECT_EQ(ram16(rec(1) + 36), 0);
    EXPECT_EQ(ram32(rec(1) + 24), 0x0A0000u);
    EXPECT_EQ(ram8(rec(1) + 44), 2);
    EXPECT_EQ(ram8(rec(1) + 159), 0);
    EXPECT_EQ(static_cast<int16_t>(ram16(rec(1) + 16)), (1648 >> 2) - (1000 >> 2));
    EXPECT_EQ(calls(sub_061F06 /* animation start */), 1);
}

TEST_F(SlotChain, PlacedObjectAreasPlaceBelowTheCameraAt64High) {
    orb_write32(var::game_flags, 1u << 12);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_0638C6));
    EXPECT_EQ(static_cast<int16_t>(ram16(rec(1) + 32)), 1000 + 640 + 8);
    EXPECT_EQ(static_cast<int16_t>(ram16(rec(1) + 34)), 200 + 448 - 4);
    EXPECT_EQ(ram16(rec(1) + 36), 64);
    EXPECT_EQ(ram32(rec(1) + 24), 0x0B0000u);
}

TEST_F(SlotChain, SetUpThenAppearsFor128FramesRunningTheController) {
    orb_write16(rec(1), 0x0011);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_063955));
    EXPECT_EQ(companion_, 0x063E0Cu + 12);
    EXPECT_EQ(effect_, 1u);
    EXPECT_EQ(ram16(rec(1)) & 0x54, 0x44) << "facing, bit 4 clear, untouchable";
    EXPECT_EQ(ram8(rec(1) + 148), 255);
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_0639CB);
    int frames = 1;
    EXPECT_EQ(calls(sub_063EB6 /* controller */), 1);
    while (ram32(rec(1) + 4) == entry::sub_0639CB && frames < 300) {
        const bool hidden_expected = ((ram8(rec(1) + 54) + 1) & 4) != 0;
        ASSERT_TRUE(run(sub_0639CB));
        EXPECT_EQ((ram16(rec(1)) & 2) != 0, hidden_expected) << frames;
        ++frames;
    }
    EXPECT_EQ(frames, 128);
    EXPECT_EQ(calls(sub_063EB6 /* controller */), 128);
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_063EB6 /* controller */);
    EXPECT_EQ(ram16(rec(1)) & 4, 0);
}

TEST_F(SlotChain, DemoSpawnsNoEffectAndPlacedAreasLeaveForTheirController) {
    orb_write32(var::game_flags, 1u << 8);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_063955));
    EXPECT_EQ(calls(sub_0824F0 /* appear effect */), 0);
    orb_write32(var::game_flags, 1u << 12);
    cpu.reg[20] = rec(1);
    EXPECT_EQ(run_until_left(sub_063955), 0x0651D1u);
    EXPECT_EQ(effect_, 5u) << "slot + 4";
    EXPECT_EQ(ram16(rec(1) + 136), 16);
}

// From reset: the real slot runner and power-on set-up, every other callee
// of boot and the main loop a stand-in. A mode machine that starts play on
// its third pass with a press from slot 0 in free play: the idle slot's join
// has no translated continuation, and the run ends there.
class JoinFromReset : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        const uint32_t handlers[] = {entry::int_vblank_start, entry::int_vblank_end, entry::int_sound,
                                     entry::int_timer0, entry::int_timer1};
        for (uint32_t n = 0; n < 5; ++n) plant32(0x09F100 + 4 * n, handlers[n]);
        const uint8_t controller[12] = {0, 1, 2, 3, 4, 0, 0, 0x00, 50, 0, 57, 0};
        for (uint32_t i = 0; i < 12; ++i) plant8(0x060098 + i, controller[i]);
        fake_all({sub_0609F3 /* io set up */,
                  sub_089389 /* backup data */,
                  sub_0609D3 /* mixer set up */,
                  sub_089674 /* fixed palettes */,
                  sub_060978 /* sprite header */,
                  sub_0608A8 /* layers */,
                  sub_061077 /* bookkeeping check */,
                  sub_060CCE /* settings */,
                  sub_08A1F2 /* ranking tables */,
                  sub_088F58 /* sound rings */,
                  sub_0604CF /* player inputs */,
                  sub_060480 /* system inputs */,
                  sub_062121 /* sprite list */,
                  sub_09F6E2 /* sound hand off */,
                  sub_060D76 /* coins */,
                  sub_0610E1 /* bookkeeping verify */,
                  sub_0610CF /* check value store */,
                  sub_08973C /* fade step */,
                  sub_0896CB /* palette drain */,
                  sub_0609AA /* sprite list reset */,
                  sub_060942 /* text clear */,
                  sub_088F98 /* sound a */});
        fake(sub_0896F1 /* palette block */, [] { cpu.reg[27] = 0x600040; });
        fake(sub_060148 /* mode machine */, [this] {
            if (++passes_ != 3) return;
            orb_write8(var::game_mode, game_mode::game);
            orb_write32(var::game_flags, 1u << 9);
            orb_write8(var::free_play_active, 1);
            orb_write8(var::player_presses, 0x10);
        });
    }
    void run_from_reset() {
        cpu.psw = V60_PSW_IS;
        cpu.reg[V60_SP] = 0;
        cpu.pc = 0xFFFFFFF0;
        program_frame_done = [] {
            if (cpu.frames >= 20) program_stop();
        };
        program_run();
    }
    int passes_ = 0;
};

// Not anchored: under AddressSanitizer a warning about the host tasks comes first.
TEST_F(JoinFromReset, AJoinDuringAGameEndsTheRunAtItsContinuation) {
    EXPECT_EXIT(run_from_reset(), testing::ExitedWithCode(3),
                "The task started at FFFFF0 came to its end at 0635E5 \\(frame 3\\)\n");
}

}  // namespace
