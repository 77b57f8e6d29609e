#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/enemy_fixture.h"

namespace {

using namespace enemy_fixture;

// ---- random numbers, difficulty factor, bookkeeping reset ----

class EnemyRandom : public EnemyTest {};

TEST_F(EnemyRandom, DemoSequenceFromZero) {
    orb_write32(var::game_flags, 1u << game_flag::demo_play);
    orb_write32(var::random_state, 0);
    const struct { uint32_t value, state; } expected[] = {{0x2A6D738D, 0x738D4EE3}, {0x738DFCF7, 0xFCF7B42B}};
    for (const auto& e : expected) {
        cpu.reg[1] = 0x11223344;
        cpu.ov = 1;
        ASSERT_TRUE(run(sub_06925A));
        EXPECT_EQ(r(0), e.value);
        EXPECT_EQ(ram32(var::random_state), e.state);
        EXPECT_EQ(r(1), 0x11223344u) << "R1 kept";
        EXPECT_EQ(cpu.z, e.state == 0);
        EXPECT_EQ(cpu.s, e.state >> 31);
        EXPECT_EQ(cpu.cy, e.state & 1);
        EXPECT_EQ(cpu.ov, 0);
    }
}

TEST_F(EnemyRandom, StateWithZeroLowHalfIsMixedFirst) {
    orb_write32(var::game_flags, 1u << game_flag::demo_play);
    // 0x2A6D365B is what a zero state becomes: the same numbers follow.
    orb_write32(var::random_state, 0x2A6D365B);
    ASSERT_TRUE(run(sub_06925A));
    EXPECT_EQ(r(0), 0x2A6D738Du);
    // A state whose low half is 0 but not its high half is mixed too.
    orb_write32(var::random_state, 0x00010000);
    ASSERT_TRUE(run(sub_06925A));
    const uint32_t x = 0x00010000u ^ 0x2A6D365Bu, y = x * 25u, s = ((y & 0xFFFF) + (y >> 16)) & 0xFFFF;
    EXPECT_EQ(r(0), (x & 0xFFFF0000u) | s);
}

TEST_F(EnemyRandom, OutsideTheDemoThePortAnswers) {
    orb_write32(var::game_flags, 0xFFFFFEFF);
    orb_write32(var::random_state, 0x12345678);
    for (int i = 0; i < 3; ++i) {
        // What the port will answer next, read ahead on a copy of its state.
        const uint32_t saved = orb_board.rng_state;
        const uint32_t expected = orb_read32(0xD80000);
        orb_board.rng_state = saved;
        cpu.z = 0;
        cpu.cy = 1;
        ASSERT_TRUE(run(sub_06925A));
        EXPECT_EQ(r(0), expected);
        EXPECT_EQ(cpu.z, 1);
        EXPECT_EQ(cpu.cy, 0);
    }
    EXPECT_EQ(ram32(var::random_state), 0x12345678u) << "the seeded state is not touched";
}

TEST_F(EnemyRandom, DifficultyFactorBySlotsInPlay) {
    for (uint32_t i = 0; i < 16; ++i)
        plant8(rom::difficulty_factor_table + i, static_cast<uint8_t>(0xA0 + i));
    for (const uint32_t slots : {0x1u, 0x5u, 0xFu}) {
        orb_write32(var::game_flags, 0xABCD0100u | slots);
        cpu.reg[0] = 0xFFFFFFFF;
        ASSERT_TRUE(run(sub_0695E6));
        EXPECT_EQ(r(0), 0xA0 + slots);
    }
}

TEST_F(EnemyRandom, ResetClearsTheBookkeepingOnly) {
    for (uint32_t a = var::random_state; a < 0x20C154; ++a) orb_write8(a, 0x5A);
    ASSERT_TRUE(run(sub_068FD2));
    for (uint32_t s = 0; s < 8; ++s) EXPECT_EQ(ram32(var::target_slot_distances + 4 * s), 0xFFFFFFFFu);
    EXPECT_EQ(ram32(var::random_state), 0u);
    EXPECT_EQ(ram8(var::live_enemy_count), 0);
    EXPECT_EQ(ram8(var::vanish_stagger), 0);
    EXPECT_EQ(ram32(var::enemy_flags), 0x5A5A5A00u) << "only the low byte of enemy_flags";
    EXPECT_EQ(ram16(var::target_slot_holders), 0x5A5Au) << "holders are not reset";
    EXPECT_EQ(ram16(var::target_points), 0x5A5Au) << "target points are not reset";
}

// ---- the mover ----

class EnemyMover : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        orb_write8(enemy + object_record::state, enemy_state::slot_chosen);
        orb_write8(enemy + object_record::enemy_tick, 1);  // no re-pick
    }
};

TEST_F(EnemyMover, YIsTestedFirstThenXAtTheAcceptedY) {
    const struct {
        const char* name;
        std::set<std::pair<int, int>> blocked;
        int x, y;
        std::vector<std::pair<int, int>> tests;
    } cases[] = {
        {"both free", {}, 1005, 497, {{1000, 497}, {1005, 497}}},
        {"Y blocked: X tested at the old Y", {{1000, 497}}, 1005, 500, {{1000, 497}, {1005, 500}}},
        {"X blocked at the new Y", {{1005, 497}}, 1000, 497, {{1000, 497}, {1005, 497}}},
        {"both blocked", {{1000, 497}, {1005, 500}}, 1000, 500, {{1000, 497}, {1005, 500}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        blocked_ = c.blocked;
        tests_.clear();
        position(1000, 500);
        velocity(5, -3);
        ASSERT_TRUE(frame(sub_069130));
        EXPECT_EQ(world_x(), c.x);
        EXPECT_EQ(world_y(), c.y);
        EXPECT_EQ(tests_, c.tests);
    }
}

TEST_F(EnemyMover, AnAxisAtRestIsNotTested) {
    position(1000, 500);
    velocity(0, 4);
    ASSERT_TRUE(frame(sub_069130));
    EXPECT_EQ(tests_, (std::vector<std::pair<int, int>>{{1000, 504}}));
    tests_.clear();
    velocity(-4, 0);
    ASSERT_TRUE(frame(sub_069130));
    EXPECT_EQ(tests_, (std::vector<std::pair<int, int>>{{996, 504}}));
}

TEST_F(EnemyMover, OffTheStripOnlyAMoveBackCounts) {
    const struct {
        int screen_x, vx;
        bool moves;
    } cases[] = {
        {-40, 0, true}, {360, 0, true}, {361, 0, false},  {361, 2, false},  {361, -2, true},
        {-41, 0, true}, {-41, 2, true}, {-41, -2, false}, {1000, -1, true}, {-1000, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "screen x " << c.screen_x << ", velocity x " << c.vx);
        tests_.clear();
        // The camera sits so that placement gives the same screen x again.
        orb_write16(var::playfield_camera + camera_record::x, u16(4000 - 4 * c.screen_x));
        position(4000, 500, c.screen_x);
        velocity(c.vx, 3);
        ASSERT_TRUE(frame(sub_069130));
        EXPECT_EQ(world_y(), c.moves ? 503 : 500) << "not even Y moves off the strip";
        EXPECT_EQ(world_x(), c.moves ? 4000 + c.vx : 4000);
        EXPECT_EQ(tests_.empty(), !c.moves);
    }
}

TEST_F(EnemyMover, StateZeroOrBit12MovesWithoutTests) {
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k == 0 ? "state 0" : "flags bit 12");
        tests_.clear();
        orb_write8(enemy + object_record::state, k == 0 ? enemy_state::first : enemy_state::slot_chosen);
        set_flags16(k == 0 ? 0x8001 : 0x9001);
        blocked_ = {{1005, 497}, {1000, 497}, {1005, 500}};
        position(1000, 500, 1000);  // far right of the strip: no matter
        velocity(5, -3);
        ASSERT_TRUE(frame(sub_069130));
        EXPECT_EQ(world_x(), 1005);
        EXPECT_EQ(world_y(), 497);
        EXPECT_TRUE(tests_.empty());
    }
}

TEST_F(EnemyMover, FramePlacesRegistersBoxesAndListsByGroundLine) {
    fake(sub_062044 /* place */);
    fake(sub_0620CD /* list by ground */);
    orb_write8(enemy + object_record::enemy_tick, 0xFF);
    ASSERT_TRUE(frame(sub_069130));
    EXPECT_EQ(call_log(),
              (std::vector<uint32_t>{entry::sub_062044 /* place */, entry::sub_088134 /* boxes to table b */,
                                     entry::sub_0620CD /* list by ground */}));
    EXPECT_EQ(ram8(enemy + object_record::enemy_tick), 0) << "the tick wraps";
}

TEST_F(EnemyMover, PlacementUsesThePlayfieldCamera) {
    orb_write16(var::playfield_camera + camera_record::x, u16(400));
    orb_write16(var::playfield_camera + camera_record::y, u16(80));
    position(1000, 500);
    velocity(0, 0);
    ASSERT_TRUE(frame(sub_069130));
    EXPECT_EQ(static_cast<int16_t>(ram16(enemy + object_record::screen_x)), 1000 / 4 - 400 / 4);
    EXPECT_EQ(static_cast<int16_t>(ram16(enemy + object_record::screen_y)), 500 / 4 - 80 / 4);
    EXPECT_TRUE(flag(object_flag::listed)) << "listed by its ground line";
}

class EnemyRepick : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        position(1000, 500);
        orb_write16(enemy + object_record::target_player, 0xBEEF);
        orb_write32(enemy + object_record::target_distance, 0x12345678);
        orb_write8(enemy + object_record::target_slot, 0x77);
        orb_write8(enemy + object_record::state, enemy_state::slot_chosen);
    }
    uint32_t distance() const { return ram32(enemy + object_record::target_distance); }
    uint8_t slot() const { return ram8(enemy + object_record::target_slot); }
    uint16_t target() const { return ram16(enemy + object_record::target_player); }
};

TEST_F(EnemyRepick, NearestUsablePoint) {
    const struct {
        const char* name;
        int points[4][3];  // y, x0, x1
        uint32_t distance;
        uint8_t slot;
        uint16_t target;
    } cases[] = {
        {"all unusable",
         {{500, -1, -1}, {500, -1, -1}, {500, -200, -1}, {500, -1, -32768}},
         0xFFFFFFFF,
         0xFF,
         0xBEEF},
        {"one point", {{0, -1, -1}, {0, -1, -1}, {0, -1, -1}, {503, -1, 1004}}, 25, 7, 0xA300},
        {"a tie goes to the lower slot",
         {{500, 990, 1010}, {0, -1, -1}, {0, -1, -1}, {0, -1, -1}},
         100,
         0,
         0xA000},
        {"a tie across players",
         {{0, -1, -1}, {510, -1, -1}, {490, 1000, -1}, {500, 1010, -1}},
         100,
         4,
         0xA200},
        {"slot 3 is player 1", {{500, 800, 1300}, {500, 900, 1003}, {0, -1, -1}, {0, -1, -1}}, 9, 3, 0xA100},
        {"X 0 is usable", {{500, 0, -1}, {0, -1, -1}, {0, -1, -1}, {0, -1, -1}}, 1000000, 0, 0xA000},
        {"dy counts as much as dx",
         {{530, 1000, -1}, {500, -1, 1031}, {0, -1, -1}, {0, -1, -1}},
         900,
         0,
         0xA000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (int p = 0; p < 4; ++p) target_point(p, c.points[p][0], c.points[p][1], c.points[p][2]);
        ASSERT_TRUE(frame(sub_069130));
        EXPECT_EQ(distance(), c.distance);
        EXPECT_EQ(slot(), c.slot);
        EXPECT_EQ(target(), c.target);
        TearDown();
    }
}

TEST_F(EnemyRepick, ByStateAndOnlyEverySixteenthFrame) {
    const struct {
        uint8_t state, tick;
        uint32_t distance;
        uint8_t slot;
    } cases[] = {
        {enemy_state::attack, 0, 0, 0x77},
        {enemy_state::held, 0, 0xFFFFFFFF, 0x77},
        {enemy_state::defeated, 0, 0xFFFFFFFF, 0x77},
        {enemy_state::hit, 0, 25, 1},
        {enemy_state::slot_granted, 32, 25, 1},
        {enemy_state::slot_granted, 1, 0x12345678, 0x77},
        {enemy_state::attack, 15, 0x12345678, 0x77},
        {enemy_state::slot_chosen, 0xF0, 25, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << int{c.state} << ", tick " << int{c.tick});
        SetUp();
        target_point(0, 503, -1, 1004);
        orb_write8(enemy + object_record::state, c.state);
        orb_write8(enemy + object_record::enemy_tick, c.tick);
        ASSERT_TRUE(frame(sub_069130));
        EXPECT_EQ(distance(), c.distance);
        EXPECT_EQ(slot(), c.slot);
        EXPECT_EQ(ram8(enemy + object_record::enemy_tick), static_cast<uint8_t>(c.tick + 1));
        TearDown();
    }
}

// ---- the dispatcher ----

class EnemyDispatch : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        plant32(rom::vanish_table, continuation::vanish_wait);
        plant32(rom::vanish_table + 4, continuation::vanish_shrink);
        for (int s = 0; s < 8; ++s) fake(kTestEntry[s], [this, s] { ran.push_back(s); });
        ran.clear();
    }
    std::vector<int> ran;
};

TEST_F(EnemyDispatch, ForcedStatesInOrder) {
    const struct {
        uint16_t bits;
        int state;
    } cases[] = {
        {0, enemy_state::slot_granted},  {1 << 8, enemy_state::hit},
        {1 << 9, enemy_state::defeated}, {1 << 9 | 1 << 8, enemy_state::defeated},
        {1 << 4, enemy_state::held},     {1 << 4 | 1 << 8 | 1 << 9, enemy_state::held},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bits " << std::hex << c.bits);
        SetUp();
        orb_write8(enemy + object_record::state, enemy_state::slot_granted);
        set_flags16(0x8001 | c.bits);
        for (int f = 0; f < 2; ++f) {
            orb_write8(enemy + object_record::state,
                       enemy_state::slot_granted);  // a state routine moved on: forced again
            ASSERT_TRUE(frame(sub_06A1DA));
            EXPECT_EQ(state(), c.state);
        }
        EXPECT_EQ(ran, (std::vector<int>{c.state, c.state}));
        TearDown();
    }
}

TEST_F(EnemyDispatch, ForcedStateReleasesAHeldPlayer) {
    const struct {
        uint16_t flags;
        uint8_t pending_after;
        uint16_t flags_after;
    } cases[] = {
        {0x8001 | 1 << 8 | 1 << 14, 0, 0x8001 | 1 << 8},
        {0x8001 | 1 << 8, 0x33, 0x8001 | 1 << 8},
        {0x8001 | 1 << 14, 0x33, 0x8001 | 1 << 14},  // not forced: no release
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        SetUp();
        orb_write16(enemy + object_record::target_player, 0xA100);
        orb_write8(player(1) + player_record::hit_pending, 0x33);
        set_flags16(c.flags);
        ASSERT_TRUE(frame(sub_06A1DA));
        EXPECT_EQ(ram8(0x20A19F), c.pending_after);
        EXPECT_EQ(flags(), c.flags_after);
        TearDown();
    }
}

TEST_F(EnemyDispatch, BitFourteenReleaseOnItsOwn) {
    for (const bool set : {true, false}) {
        SetUp();
        orb_write16(enemy + object_record::target_player, 0xA100);
        orb_write8(0x20A19F, 0x44);
        orb_write8(0x20A09F, 0x44);
        set_flags16(set ? 0xC001 : 0x8001);
        ASSERT_TRUE(frame(sub_06A2F5));
        EXPECT_EQ(ram8(0x20A19F), set ? 0 : 0x44);
        EXPECT_EQ(ram8(0x20A09F), 0x44) << "another player's byte";
        EXPECT_EQ(flags(), 0x8001);
        TearDown();
    }
}

TEST_F(EnemyDispatch, AreaWonSendsAllButKindsOneToEighteenToVanish) {
    const struct {
        uint8_t kind;
        bool vanishes;
    } cases[] = {{0, true}, {1, false}, {5, false}, {18, false}, {19, true}, {58, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int{c.kind});
        SetUp();
        make_enemy(enemy, c.kind);
        orb_write32(var::system_flags, 1u << system_flag::area_won);
        orb_write8(var::vanish_stagger, 12);
        orb_write8(var::live_enemy_count, 3);
        orb_write8(enemy + object_record::state, enemy_state::slot_granted);
        set_flags16(0x8001 | 1 << 8);  // hit: not forced while the area is won
        velocity(3, -3);
        orb_write8(enemy + object_record::rise_speed, 9);
        ASSERT_TRUE(frame(sub_06A1DA));
        if (!c.vanishes) {
            EXPECT_EQ(state(), enemy_state::slot_granted);
            EXPECT_EQ(ran, std::vector<int>{enemy_state::slot_granted});
            EXPECT_EQ(ram8(var::vanish_stagger), 12);
        } else {
            EXPECT_TRUE(ran.empty());
            EXPECT_EQ(ram32(enemy + object_record::routine), entry::sub_06A265 /* vanish */);
            EXPECT_FALSE(flag(object_flag::alive));
            EXPECT_EQ(vx(), 0);
            EXPECT_EQ(vy(), 0);
            EXPECT_EQ(ram8(enemy + object_record::rise_speed), 0);
            EXPECT_EQ(ram8(var::vanish_stagger), 18);
            // The vanish ran at once: the first frame of a 12-frame wait.
            EXPECT_EQ(state(), vanish_state::wait);
            EXPECT_EQ(timer(), 11);
            EXPECT_EQ(ram8(var::live_enemy_count), 3);
        }
        TearDown();
    }
}

// ---- the vanish sequence ----

class EnemyVanish : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        plant32(rom::vanish_table, continuation::vanish_wait);
        plant32(rom::vanish_table + 4, continuation::vanish_shrink);
        orb_write32(var::system_flags, 1u << system_flag::area_won);
    }
    // A vanishing enemy's first part: parts count, word 2 and word 3.
    static void parts(uint32_t object, uint8_t count, uint16_t word2, uint16_t word3) {
        orb_write8(object + object_record::copied_parts, count);
        orb_write16(object + 100, word2);
        orb_write16(object + 102, word3);
    }
    bool pass() { return run(sub_088B00); }
};

TEST_F(EnemyVanish, ThreeSentTogetherStartSixFramesApart) {
    const uint32_t others[2] = {spawn(entry::sub_06A1DA, sub_088C67), spawn(entry::sub_06A1DA, sub_088C67)};
    const uint32_t all[3] = {enemy, others[0], others[1]};
    for (uint32_t e : all) {
        make_enemy(e, 20);
        parts(e, 1, 0, 400);
    }
    orb_write8(var::live_enemy_count, 3);
    int started[3] = {0, 0, 0};
    std::vector<int> counts;
    for (int f = 1; f <= 20; ++f) {
        ASSERT_TRUE(pass());
        for (int i = 0; i < 3; ++i)
            if (!started[i] && ram8(all[i] + object_record::state) == vanish_state::shrink) started[i] = f;
        counts.push_back(ram8(var::live_enemy_count));
    }
    EXPECT_EQ(started[0], 1);
    EXPECT_EQ(started[1], 7);
    EXPECT_EQ(started[2], 13);
    EXPECT_EQ(ram8(var::vanish_stagger), 18);
    EXPECT_EQ(counts[0], 2);
    EXPECT_EQ(counts[5], 2);
    EXPECT_EQ(counts[6], 1);
    EXPECT_EQ(counts[11], 1);
    EXPECT_EQ(counts[12], 0);
}

TEST_F(EnemyVanish, StaggerOf128OrMoreShrinksAtOnce) {
    for (const uint8_t stagger : {0x7F, 0x80, 0xFA}) {
        SCOPED_TRACE(int{stagger});
        SetUp();
        make_enemy(enemy, 0);
        parts(enemy, 1, 0, 400);
        orb_write8(var::vanish_stagger, stagger);
        orb_write8(var::live_enemy_count, 1);
        ASSERT_TRUE(pass());
        EXPECT_EQ(state(), stagger == 0x7F ? vanish_state::wait : vanish_state::shrink);
        EXPECT_EQ(ram8(var::live_enemy_count), stagger == 0x7F ? 1 : 0);
        EXPECT_EQ(ram8(var::vanish_stagger), static_cast<uint8_t>(stagger + 6));
        TearDown();
    }
}

TEST_F(EnemyVanish, ShrinkKeepsTopBitsLiftsAndFreesAtZero) {
    make_enemy(enemy, 0);
    parts(enemy, 1, 0xFC00 | 0x3FA, 0xA800 | 10);
    orb_write8(var::live_enemy_count, 1);
    const uint16_t free_before = ram16(var::free_stack_128);
    ASSERT_TRUE(pass());  // 10 -> 6
    EXPECT_EQ(ram16(enemy + 102), 0xA800 | 6);
    EXPECT_EQ(ram16(enemy + 100), static_cast<uint16_t>(0xFC00 | (0x3FA + 10)))
        << "the sum OR-ed with the top bits";
    EXPECT_EQ(height(), 0);
    EXPECT_EQ(ram8(enemy + object_record::rise_speed), 4);
    ASSERT_TRUE(pass());  // 6 -> 2
    EXPECT_EQ(height(), 4);
    EXPECT_EQ(ram8(enemy + object_record::rise_speed), 8);
    EXPECT_EQ(ring().size(), 1u);
    ASSERT_TRUE(pass());  // 2 -> 0 (not below): freed
    EXPECT_EQ(ram16(enemy + 102), 0xA800);
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_128), free_before + 1);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * (free_before + 1)), static_cast<uint16_t>(enemy));
}

TEST_F(EnemyVanish, EveryPartCountShrinksTheFirstPartAgain) {
    make_enemy(enemy, 0);
    parts(enemy, 3, 0x0010, 0x0400 | 100);
    ASSERT_TRUE(pass());
    EXPECT_EQ(ram16(enemy + 102), 0x0400 | 88);
    EXPECT_EQ(ram16(enemy + 100), 0x0010 + 30);
    EXPECT_EQ(ram8(enemy + object_record::rise_speed), 4);
}

TEST_F(EnemyVanish, PartCountZeroFreesWhenTheWaitEnds) {
    make_enemy(enemy, 0);
    parts(enemy, 0, 0, 400);
    orb_write8(var::vanish_stagger, 1);
    orb_write8(var::live_enemy_count, 1);
    const uint16_t free_before = ram16(var::free_stack_128);
    ASSERT_TRUE(pass());
    EXPECT_EQ(ring().size(), 1u) << "waits one frame";
    ASSERT_TRUE(pass());
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_128), free_before + 1);
    EXPECT_EQ(ram8(var::live_enemy_count), 0);
}

// ---- fatal paths ----

using EnemyFatal = EnemyTest;

TEST_F(EnemyFatal, UnlistedVanishStateEndsTheRun) {
    plant32(rom::vanish_table, continuation::vanish_wait);
    plant32(rom::vanish_table + 4, continuation::vanish_shrink);
    plant32(rom::vanish_table + 8, 0x06A2A0);
    orb_write8(enemy + object_record::state, 2);
    EXPECT_EXIT(frame(sub_06A265), ::testing::ExitedWithCode(3),
                "Jump from 06A26E to 06A2A0 has no translated target");
}

TEST_F(EnemyFatal, UntranslatedStateRoutineUnwindsWithItsAddress) {
    plant32(kStateRoutines + 4 * 3, 0x0ABCDE);
    orb_write8(enemy + object_record::state, 3);
    const uint32_t sp0 = cpu.reg[V60_SP];
    guest::push(kSentinel);
    sub_06A1DA();
    EXPECT_EQ(cpu.pc, 0x0ABCDEu) << "the address waits in the PC for the unwinding";
    cpu.reg[V60_SP] = sp0;
}

}  // namespace
