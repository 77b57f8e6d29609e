#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "board/machine.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/continuations.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/enemy_fixture.h"

namespace {

using namespace enemy_fixture;

constexpr uint32_t kBoxWords = 0x120C00;  // a box of 16-bit words a pattern entry points at

// Queued codes of sound ring A, oldest first.
std::vector<uint8_t> ring_a() {
    std::vector<uint8_t> codes;
    for (uint8_t i = orb_read8(var::sound_ring_a + sound_ring::read);
         i != orb_read8(var::sound_ring_a + sound_ring::write); i = (i + 1) & 31)
        codes.push_back(orb_read8(var::sound_ring_a + sound_ring::slots + i));
    return codes;
}

class EnemyBehaviour : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        plant32(rom::walk_table, continuation::walk_around_step);
        plant32(rom::walk_table + 4, continuation::walk_around_pause);
        plant32(rom::approach_table, continuation::approach_step);
        plant32(rom::approach_table + 4, continuation::approach_pause);
        plant32(rom::grow_table, continuation::grow_in_step);
        plant32(rom::pattern_table, continuation::melee_pattern);
        plant32(rom::pattern_table + 4, continuation::leap_pattern);
        const uint32_t melee[] = {continuation::melee_wind_up, continuation::melee_swing,
                                  continuation::melee_follow_through, continuation::melee_recovery};
        for (uint32_t i = 0; i < 4; ++i) plant32(rom::melee_table + 4 * i, melee[i]);
        plant32(rom::leap_table, continuation::leap_airborne);
        plant32(rom::leap_table + 4, continuation::leap_landing);
        // Every rank tier: pattern list [0xFF], pattern values [0x3005, 0x1002], rank byte 5.
        for (uint32_t t = 0; t < 16; ++t) {
            plant16(kThresholds + 2 * t, 0x40);
            plant16(kValues + 2 * t, 0x40);
            plant8(kRankBytes + t, 5);
        }
        plant8(kThresholds + 0x40, 0xFF);
        plant16(kValues + 0x40, 0x3005);
        plant16(kValues + 0x42, 0x1002);
        // Pattern 0: box stored in the entry; pattern 1: a box of words. Hit frames 2 and 1.
        plant8(kBoxes + 1, 0x80);
        plant8(kBoxes + 6 + 1, 0x00);
        plant32(kBoxes + 6 + 2, kBoxWords);
        plant8(kAttacks + 0, 2);
        plant8(kAttacks + 1, 0x10);
        plant32(kAttacks + 2, kBoxWords);
        plant8(kAttacks + 6, 1);
        plant8(kAttacks + 6 + 1, 0x10);
        plant32(kAttacks + 6 + 2, kBoxWords);
        put_player(0, 2000, 500);
        orb_write16(enemy + object_record::target_player, 0xA000);
        // Enemies near world x 1000 stay well inside the screen strip.
        orb_write16(var::playfield_camera + camera_record::x, 600);
        orb_write8(enemy + object_record::target_slot, 0);
    }
    void touch_on(uint32_t box_test, bool touches) {
        fake(box_test, [this, touches] {
            const uint32_t f = orb_read32(enemy);
            orb_write32(enemy, touches ? f | 1u << object_flag::touched : f & ~(1u << object_flag::touched));
        });
    }
};

// ---- table helpers ----

TEST_F(EnemyBehaviour, PatternChoiceByRankTierAndRandomByte) {
    // Tier 2: [0x40, 0x80, 0xFF] after the offsets; tier 3's list lies before its table.
    plant16(kThresholds + 4, 0x50);
    plant8(kThresholds + 0x50, 0x40);
    plant8(kThresholds + 0x51, 0x80);
    plant8(kThresholds + 0x52, 0xFF);
    plant16(kThresholds + 6, static_cast<uint16_t>(-0x10));
    plant8(kThresholds - 0x10, 0x20);
    plant8(kThresholds - 0x0F, 0xFF);
    const struct {
        uint8_t rank, byte, pattern;
    } cases[] = {
        {0x25, 0x00, 0}, {0x25, 0x40, 0}, {0x25, 0x41, 1}, {0x25, 0x80, 1}, {0x25, 0x81, 2},
        {0x25, 0xFF, 2}, {0x2F, 0x41, 1}, {0x35, 0x20, 0}, {0x35, 0x21, 1}, {0x05, 0x41, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rank " << std::hex << int{c.rank} << ", byte " << int{c.byte});
        orb_write8(var::difficulty_rank, c.rank);
        seed_random(0xFF, c.byte);
        ASSERT_TRUE(frame(sub_0692A1));
        EXPECT_EQ(ram8(enemy + object_record::attack_pattern), c.pattern);
    }
}

TEST_F(EnemyBehaviour, RankByteHitFrameAndPatternValue) {
    plant8(kRankBytes + 15, 0xC3);
    plant16(kValues + 30, static_cast<uint16_t>(-0x20));  // tier 15's list before the table
    plant16(kValues - 0x20 + 2, 0xBEEF);
    orb_write8(var::difficulty_rank, 0xF0);
    orb_write8(enemy + object_record::attack_pattern, 1);
    cpu.reg[0] = 0xFFFFFFFF;
    ASSERT_TRUE(frame(sub_0692EC));
    EXPECT_EQ(r(0), 0xC3u);
    ASSERT_TRUE(frame(sub_0692FE));
    EXPECT_EQ(r(0), 1u);
    ASSERT_TRUE(frame(sub_069348));
    EXPECT_EQ(r(0), 0xBEEFu);
    orb_write8(var::difficulty_rank, 0x0F);
    ASSERT_TRUE(frame(sub_0692EC));
    EXPECT_EQ(r(0), 5u);
    ASSERT_TRUE(frame(sub_069348));
    EXPECT_EQ(r(0), 0x1002u);
}

TEST_F(EnemyBehaviour, PatternBoxTestByEntryFlag) {
    for (const uint8_t p : {0, 1}) {
        SCOPED_TRACE(int{p});
        SetUp();
        uint32_t seen_r10 = 0, seen_r12 = 0xFF;
        for (const uint32_t a : {entry::sub_088180 /* flat box test: the box stored in the entry, mode 1 */,
                                 entry::sub_0882B2 /* word box test: a box of words, mode in R12 */})
            fake(a, [&] {
                seen_r10 = r(10);
                seen_r12 = r(12);
            });
        orb_write8(enemy + object_record::attack_pattern, p);
        cpu.reg[12] = 0;
        ASSERT_TRUE(frame(sub_0692C7));
        EXPECT_EQ(calls(p == 0 ? entry::sub_088180 /* flat box test: the box stored in the entry, mode 1 */
                               : entry::sub_0882B2 /* word box test: a box of words, mode in R12 */),
                  1);
        EXPECT_EQ(calls(p == 0 ? entry::sub_0882B2 /* word box test: a box of words, mode in R12 */
                               : entry::sub_088180 /* flat box test: the box stored in the entry, mode 1 */),
                  0);
        EXPECT_EQ(seen_r10, p == 0 ? kBoxes + 2 : kBoxWords);
        if (p == 1) {
            EXPECT_EQ(seen_r12, 1u) << "collision mode 1";
        }
        TearDown();
    }
}

TEST_F(EnemyBehaviour, AttackTestSignAndBoxByBit7) {
    const struct {
        uint8_t b;
        uint32_t routine, r10;
        uint8_t r0;
    } cases[] = {
        {0x10, entry::sub_0882AF /* word box hits: a box of words, mode 0 */, kBoxWords, 0xF0},
        {0x00, entry::sub_0882AF /* word box hits: a box of words, mode 0 */, kBoxWords, 0x00},
        {0x7F, entry::sub_0882AF /* word box hits: a box of words, mode 0 */, kBoxWords, 0x81},
        {0x80, entry::sub_088185 /* flat box hits: the box stored in the entry, mode 0 */, kAttacks + 2,
         0x80},
        {0xFF, entry::sub_088185 /* flat box hits: the box stored in the entry, mode 0 */, kAttacks + 2,
         0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.b});
        SetUp();
        plant8(kAttacks + 1, c.b);
        uint32_t seen_r10 = 0;
        for (const uint32_t a : {entry::sub_0882AF /* word box hits: a box of words, mode 0 */,
                                 entry::sub_088185 /* flat box hits: the box stored in the entry, mode 0 */})
            fake(a, [&] {
                seen_r10 = r(10);
                cpu.reg[0] = 0xDEAD;  // the test routines use R0
            });
        cpu.reg[0] = 0x12345678;
        cpu.reg[16] = 9;
        ASSERT_TRUE(frame(sub_069313));
        EXPECT_EQ(calls(c.routine), 1);
        EXPECT_EQ(seen_r10, c.r10);
        EXPECT_EQ(r(0), 0x12345600u | c.r0) << "R0's low byte, restored after the test";
        TearDown();
    }
}

TEST_F(EnemyBehaviour, DirectionCodeAndVelocities) {
    const struct {
        int tx, ty, px, py;
        uint32_t code;
    } cases[] = {
        {5, 5, 5, 5, 0},  {6, 5, 5, 5, 4},   {4, 5, 5, 5, 8},          {5, 6, 5, 5, 1},
        {5, 4, 5, 5, 2},  {6, 6, 5, 5, 5},   {6, 4, 5, 5, 6},          {4, 6, 5, 5, 9},
        {4, 4, 5, 5, 10}, {1, -1, -1, 1, 6}, {-32768, 0, 32767, 0, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tx << "," << c.ty << " from " << c.px << "," << c.py);
        cpu.reg[1] = 0xAAAA0000u | u16(c.tx);  // the high halves do not count
        cpu.reg[2] = 0x5555u << 16 | u16(c.ty);
        cpu.reg[3] = u16(c.px);
        cpu.reg[4] = 0xFFFF0000u | u16(c.py);
        ASSERT_TRUE(run(sub_06946D));
        EXPECT_EQ(r(0), c.code);
        cpu.reg[6] = cpu.reg[7] = 0x77770000;
        ASSERT_TRUE(frame(sub_06948F));
        EXPECT_EQ(r(0), c.code) << "the fixture's map is the identity";
        const int dx = c.code & 4   ? kStep
                       : c.code & 8 ? -kStep
                                    : 0,
                  dy = c.code & 1   ? kStep
                       : c.code & 2 ? -kStep
                                    : 0;
        EXPECT_EQ(r(6), 0x77770000u | u16(dx));
        EXPECT_EQ(r(7), 0x77770000u | u16(dy));
    }
}

TEST_F(EnemyBehaviour, SteeringTrimsBlocksAndDoubles) {
    const struct {
        const char* name;
        int tx, ty;
        std::set<std::pair<int, int>> blocked;
        int screen_x;
        uint16_t flags;
        int vx, vy;
        uint32_t index;
    } cases[] = {
        {"far", 1100, 600, {}, 100, 0x8001, 8, 8, 5},
        {"less than a step in X loses the X part", 1005, 500, {}, 100, 0x8001, 0, 0, 0},
        {"exactly a step in X", 1008, 500, {}, 100, 0x8001, 0, 0, 0},
        {"a diagonal keeps Y", 1005, 600, {}, 100, 0x8001, 0, 8, 1},
        {"Y-only fallback", 1100, 600, {{1008, 508}}, 100, 0x8001, 0, 8, 1},
        {"X-only fallback", 1100, 600, {{1008, 508}, {1000, 508}}, 100, 0x8001, 8, 0, 4},
        {"blocked everywhere", 1100, 600, {{1008, 508}, {1000, 508}, {1008, 500}}, 100, 0x8001, 0, 0, 0},
        {"X only, blocked", 1100, 500, {{1008, 500}}, 100, 0x8001, 0, 0, 0},
        {"bit 12 skips the terrain", 1100, 600, {{1008, 508}}, 100, 0x9001, 8, 8, 5},
        {"left of the screen", 1100, 600, {}, -17, 0x8001, 16, 16, 5},
        {"right of the screen", 900, 400, {}, 416, 0x8001, -16, -16, 10},
        {"left edge", 1100, 600, {}, -16, 0x8001, 8, 8, 5},
        {"right edge", 1100, 600, {}, 415, 0x8001, 8, 8, 5},
        {"blocked off screen", 1100, 600, {{1008, 508}, {1000, 508}, {1008, 500}}, 500, 0x8001, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        blocked_ = c.blocked;
        position(1000, 500, c.screen_x);
        set_flags16(c.flags);
        velocity(99, 99);
        cpu.reg[1] = u16(c.tx);
        cpu.reg[2] = u16(c.ty);
        cpu.reg[3] = 1000;
        cpu.reg[4] = 500;
        ASSERT_TRUE(frame(sub_069393));
        EXPECT_EQ(vx(), c.vx);
        EXPECT_EQ(vy(), c.vy);
        EXPECT_EQ(r(0), c.index);
    }
}

TEST_F(EnemyBehaviour, IdleAnimationByEnergy) {
    for (const int energy : {49, 50, -5}) {
        SCOPED_TRACE(energy);
        SetUp();
        orb_write16(enemy + object_record::energy, u16(energy));
        velocity(0, 0);
        ASSERT_TRUE(frame(sub_0694A5));
        const uint32_t script = energy < 50 ? kLowIdleScript : kIdleScript;
        EXPECT_EQ(ram32(enemy + object_record::frame_table), script + 1);
        EXPECT_EQ(ram8(enemy + object_record::frame_timer), 2) << "started and ticked";
        ASSERT_TRUE(frame(sub_0694A5));
        EXPECT_EQ(ram8(enemy + object_record::frame_timer), 1) << "a running script is not restarted";
        TearDown();
    }
}

TEST_F(EnemyBehaviour, WalkFramesFollowTheMotion) {
    const struct {
        const char* name;
        int vx, vy;
        bool facing;
        std::vector<int> indices;
    } cases[] = {
        {"facing right, moving right: forward", 2, 0, true, {1, 2, 3, 0, 1}},
        {"facing right, moving left: back", -2, 0, true, {3, 2, 1, 0, 3}},
        {"facing left, moving right: back", 2, 0, false, {3, 2, 1, 0, 3}},
        {"facing left, moving left: forward", -2, 5, false, {1, 2, 3, 0, 1}},
        {"only down: forward", 0, 3, false, {1, 2, 3, 0, 1}},
        {"only up: back", 0, -3, true, {3, 2, 1, 0, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        set_flags16(c.facing ? 0x8041 : 0x8001);
        velocity(c.vx, c.vy);
        std::vector<int> indices;
        for (std::size_t f = 0; f < c.indices.size(); ++f) {
            ASSERT_TRUE(frame(sub_0694A5));
            EXPECT_EQ(ram32(enemy + object_record::frame_table), kWalkScript + 1);
            indices.push_back(ram8(enemy + object_record::frame_index));
            EXPECT_EQ(ram16(enemy + 96), indices.back()) << "the frame installed is the indexed one";
        }
        EXPECT_EQ(indices, c.indices);
        TearDown();
    }
}

TEST_F(EnemyBehaviour, NextApproachOffsetWraps) {
    for (uint32_t i = 0; i < 16; ++i) {
        plant16(kOffsets + 4 * i, static_cast<uint16_t>(100 + i));
        plant16(kOffsets + 4 * i + 2, static_cast<uint16_t>(-50 - static_cast<int>(i)));
    }
    for (const uint8_t from : {0, 7, 15}) {
        orb_write8(enemy + object_record::offset_index, from);
        ASSERT_TRUE(frame(sub_06A431));
        const int to = (from + 1) & 15;
        EXPECT_EQ(ram8(enemy + object_record::offset_index), to);
        EXPECT_EQ(ram16(enemy + object_record::approach_dx), 100 + to);
        EXPECT_EQ(static_cast<int16_t>(ram16(enemy + object_record::approach_dy)), -50 - to);
        EXPECT_EQ(ram8(enemy + object_record::approach_timer), 240);
    }
}

// ---- shared behaviours over frames ----

TEST_F(EnemyBehaviour, SeekMovesToStateTwoOnceASlotIsChosen) {
    enter(1);
    orb_write8(enemy + object_record::target_slot, 0xFF);
    velocity(4, 4);
    ASSERT_TRUE(frame(sub_06A333));
    EXPECT_EQ(ram32(enemy + object_record::frame_table), kSeekScript + 1);
    EXPECT_EQ(vx(), 0);
    EXPECT_EQ(vy(), 0);
    EXPECT_EQ(state(), 1);
    target_point(1, 500, 1200, -1);
    ASSERT_TRUE(frame(sub_06A333));
    EXPECT_EQ(state(), 1) << "the mover chose the slot after the test";
    EXPECT_EQ(ram8(enemy + object_record::target_slot), 2);
    ASSERT_TRUE(frame(sub_06A333));
    EXPECT_EQ(state(), 2);
    EXPECT_EQ(ram8(enemy + object_record::enemy_tick), 1)
        << "reset every frame, so the mover re-picks each frame";
}

TEST_F(EnemyBehaviour, WalkWithTimeOnePausesAlwaysForFifteenToThirtyFrames) {
    plant8(kParams, 1);
    enter(3);
    position(1000, 500);
    std::vector<int> pauses;
    int last_start = 0;
    uint8_t last_timer = 0;
    for (int f = 1; f <= 400; ++f) {
        ASSERT_TRUE(frame(sub_06A36F));
        ASSERT_EQ(substate(), 1) << "frame " << f;
        ASSERT_EQ(vx(), 0);
        ASSERT_EQ(vy(), 0);
        if (f == 1 || timer() > last_timer) {
            // The frame whose count ends one pause starts the next.
            if (f > 1) pauses.push_back(f - last_start + 1);
            last_start = f;
        }
        last_timer = timer();
    }
    EXPECT_EQ(world_x(), 1000) << "the walk step never runs";
    ASSERT_GT(pauses.size(), 10u);
    std::set<int> lengths(pauses.begin(), pauses.end());
    EXPECT_GE(*lengths.begin(), 15);
    EXPECT_LE(*lengths.rbegin(), 30);
    EXPECT_GT(lengths.size(), 2u);
}

TEST_F(EnemyBehaviour, WalkWithTimeZeroNeverPauses) {
    plant8(kParams, 0);
    enter(3);
    position(1000, 500);
    for (int f = 1; f <= 100; ++f) {
        ASSERT_TRUE(frame(sub_06A36F));
        ASSERT_EQ(substate(), 0) << "frame " << f;
    }
    EXPECT_EQ(world_x(), 1000 + 100 * kStep) << "steered toward the player";
    EXPECT_TRUE(flag(object_flag::mirror_x)) << "left of the player faces right";
    EXPECT_EQ(ram8(enemy + object_record::offset_index), 1);
    EXPECT_EQ(state(), 3);
}

TEST_F(EnemyBehaviour, WalkTakesTheNextOffsetOnArrival) {
    plant8(kParams, 0);
    plant16(kOffsets + 4, u16(-1000));  // offset 1: arrive at the enemy's own place
    plant16(kOffsets + 8, u16(-500));
    enter(3);
    position(1000, 500);
    ASSERT_TRUE(frame(sub_06A36F));
    EXPECT_EQ(ram8(enemy + object_record::offset_index), 2);
    EXPECT_EQ(ram16(enemy + object_record::approach_dx), u16(-500));
    EXPECT_EQ(ram8(enemy + object_record::approach_timer), 240);
}

TEST_F(EnemyBehaviour, WalkAndApproachLeaveWhenThePlayerIsOutOfPlay) {
    put_player(0, 2000, 500, 0);
    for (const v60_routine routine : {sub_06A36F, sub_06A458}) {
        plant8(kParams, 0);
        enter(3);
        ASSERT_TRUE(frame(routine));
        EXPECT_EQ(state(), 1);
    }
}

TEST_F(EnemyBehaviour, ApproachAttacksWhenThePatternBoxTouches) {
    const struct {
        const char* name;
        int player_x;
        uint8_t slot;
        uint16_t player_flags;
        bool touches;
        bool box_tested, attacks;
    } cases[] = {
        {"own side, touching", 1300, 0, 1, true, true, true},
        {"own side, right of the player", 700, 1, 1, true, true, true},
        {"own side, not touching", 1300, 0, 1, false, true, false},
        {"the far side", 1300, 1, 1, true, false, false},
        {"the far side, right of the player", 700, 0, 1, true, false, false},
        {"untouchable player", 1300, 0, 1 | 1 << 2, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        plant8(kParams, 0);
        touch_on(entry::sub_088180 /* flat box test: the box stored in the entry, mode 1 */, c.touches);
        bool attacked = false;
        fake(kTestEntry[4], [&] { attacked = true; });
        put_player(0, c.player_x, 500, c.player_flags);
        orb_write8(enemy + object_record::target_slot, c.slot);
        enter(3);
        position(1000, 500);
        ASSERT_TRUE(frame(sub_06A458));
        EXPECT_EQ(calls(sub_088180 /* flat box test: the box stored in the entry, mode 1 */),
                  c.box_tested ? 1 : 0);
        EXPECT_EQ(attacked, c.attacks) << "state_routines[4] in the same frame";
        EXPECT_EQ(state(), c.attacks ? 4 : 3);
        EXPECT_FALSE(flag(object_flag::touched));
        EXPECT_EQ(flag(object_flag::mirror_x), c.player_x > 1000);
        TearDown();
    }
}

TEST_F(EnemyBehaviour, ApproachDistanceAlternatesWhenReached) {
    plant8(kParams, 0);
    touch_on(entry::sub_088180 /* flat box test: the box stored in the entry, mode 1 */, false);
    put_player(0, 1300, 500);
    enter(3);
    position(1100, 500);  // on the left point at 200
    ASSERT_TRUE(frame(sub_06A458));
    EXPECT_EQ(ram16(enemy + object_record::approach_dx), 400);
    position(900, 500);
    orb_write8(enemy + object_record::target_slot, 0);  // the mover's re-pick found no point
    ASSERT_TRUE(frame(sub_06A458));
    EXPECT_EQ(ram16(enemy + object_record::approach_dx), 200);
}

TEST_F(EnemyBehaviour, ApproachPicksANewPatternAfterEachPause) {
    plant8(kParams, 1);
    touch_on(entry::sub_088180 /* flat box test: the box stored in the entry, mode 1 */, false);
    enter(3);
    position(1000, 500);
    orb_write16(enemy + object_record::approach_dx, 1234);
    orb_write8(enemy + object_record::attack_pattern, 7);
    ASSERT_TRUE(frame(sub_06A458));
    EXPECT_EQ(ram8(enemy + object_record::attack_pattern), 0);
    EXPECT_EQ(ram16(enemy + object_record::approach_dx), 200);
    EXPECT_EQ(substate(), 1) << "paused at once";
    // Each pause that ends starts the behaviour again: a new pattern at 200.
    int restarts = 0;
    for (int f = 0; f < 64; ++f) {
        orb_write8(enemy + object_record::attack_pattern, 7);
        orb_write16(enemy + object_record::approach_dx, 1234);
        ASSERT_TRUE(frame(sub_06A458));
        ASSERT_EQ(substate(), 1);
        const bool restarted = ram8(enemy + object_record::attack_pattern) == 0;
        EXPECT_EQ(ram16(enemy + object_record::approach_dx), restarted ? 200 : 1234);
        restarts += restarted;
    }
    EXPECT_GE(restarts, 2);
    EXPECT_LE(restarts, 5);
}

TEST_F(EnemyBehaviour, GrowInFromTheRight) {
    orb_write16(var::playfield_camera + camera_record::x, 1000);
    orb_write8(var::stage, 2);
    orb_write8(var::area, 3);
    plant16(rom::player_start_y + 2 * 7, 0x1234);
    enter(0);
    ASSERT_TRUE(frame(sub_06AFAA));
    EXPECT_EQ(world_x(), 1640);
    EXPECT_EQ(world_y(), 0x1234);
    EXPECT_TRUE(flag(object_flag::intangible));
    EXPECT_EQ(timer(), 9) << "10 steps, the first in this frame";
    EXPECT_EQ(ram16(enemy + 102), 0x2400 | (2 + 4));
    EXPECT_EQ(ram16(enemy + 100), 0x0400 | (100 + 100 - 10));
    for (int f = 2; f <= 10; ++f) {
        EXPECT_EQ(state(), 0);
        ASSERT_TRUE(frame(sub_06AFAA));
    }
    EXPECT_EQ(ram16(enemy + 102), 0x2400 | 42);
    EXPECT_EQ(ram16(enemy + 100), 0x0400 | 100);
    EXPECT_FALSE(flag(object_flag::intangible));
    EXPECT_EQ(state(), 1);
    EXPECT_EQ(world_x(), 1640);
}

TEST_F(EnemyBehaviour, MeleeWindUpIsAtLeastOneFrame) {
    for (const uint8_t rank_byte : {0, 3, 28, 255})
        for (const uint8_t nibble : {0, 6, 7, 15}) {
            SCOPED_TRACE(testing::Message() << "rank byte " << int{rank_byte} << ", random " << int{nibble});
            SetUp();
            plant8(kRankBytes, rank_byte);
            seed_random(0x0F, nibble);
            enter(4);
            int frames = 0;
            while (substate() == 0 && frames < 300) {
                ASSERT_TRUE(frame(sub_06B09E));
                ++frames;
            }
            const int expected = rank_byte / 4 + nibble - 7;
            EXPECT_EQ(frames, expected < 1 ? 1 : expected);
            TearDown();
        }
}

TEST_F(EnemyBehaviour, MeleeHitQueuesTheNextSound) {
    const struct {
        uint8_t b;
        bool touches;
        uint32_t box;
        std::vector<uint8_t> sounds;
    } cases[] = {
        {0x10, true, entry::sub_0882AF /* word box hits: a box of words, mode 0 */, {0xF1}},
        {0x81, true, entry::sub_088185 /* flat box hits: the box stored in the entry, mode 0 */, {0x82}},
        {0xFF, true, entry::sub_088185 /* flat box hits: the box stored in the entry, mode 0 */, {}},
        {0x10, false, entry::sub_0882AF /* word box hits: a box of words, mode 0 */, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.b});
        SetUp();
        plant8(kAttacks + 1, c.b);
        touch_on(c.box, c.touches);
        enter(4);
        int frames = 0;
        while (substate() < 2 && frames < 100) {
            ASSERT_TRUE(frame(sub_06B09E));
            ++frames;
        }
        EXPECT_EQ(ram8(enemy + object_record::frame_index), 2) << "at the hit frame";
        EXPECT_EQ(calls(c.box), 1);
        EXPECT_EQ(ram8(enemy + object_record::attack_kind), 3);
        EXPECT_EQ(r(16) & 0xFFF, 5u);
        EXPECT_EQ(ring_a(), c.sounds);
        EXPECT_FALSE(flag(object_flag::touched));
        TearDown();
    }
}

TEST_F(EnemyBehaviour, MeleeRecoversRankByteFramesThenStateTwo) {
    for (const uint8_t rank_byte : {5, 1, 0}) {
        SCOPED_TRACE(int{rank_byte});
        SetUp();
        plant8(kRankBytes, rank_byte);
        touch_on(entry::sub_0882AF /* word box hits: a box of words, mode 0 */, false);
        enter(4);
        set_flags16(0x8005);
        int frames = 0;
        while (substate() != 3 && frames < 300) {
            ASSERT_TRUE(frame(sub_06B09E));
            ++frames;
        }
        EXPECT_EQ(ram8(enemy + object_record::frame_duration), 0) << "the follow-through ran the script out";
        int recovery = 1;
        while (state() == 4 && recovery < 400) {
            ASSERT_TRUE(frame(sub_06B09E));
            ++recovery;
        }
        EXPECT_EQ(recovery, rank_byte == 0 ? 256 : rank_byte);
        EXPECT_EQ(state(), 2);
        EXPECT_EQ(ram8(enemy + object_record::enemy_tick), 1);
        EXPECT_FALSE(flag(object_flag::intangible));
        TearDown();
    }
}

TEST_F(EnemyBehaviour, LeapFromTheGroundLandsInFrame61) {
    for (const bool facing : {true, false}) {
        SCOPED_TRACE(facing ? "facing right" : "facing left");
        SetUp();
        touch_on(entry::sub_0882AF /* word box hits: a box of words, mode 0 */, true);
        orb_write8(enemy + object_record::attack_pattern, 1);
        set_flags16(facing ? 0x8041 : 0x8001);
        enter(4);
        position(1000, 500);
        ASSERT_TRUE(frame(sub_06B09E));
        EXPECT_EQ(ring_a(), std::vector<uint8_t>{0xF4});
        EXPECT_EQ(vx(), facing ? 6 : -6);
        EXPECT_EQ(height(), 30);
        EXPECT_TRUE(flag(object_flag::airborne));
        int frames = 1;
        while (substate() == 0 && frames < 200) {
            ASSERT_TRUE(frame(sub_06B09E));
            ++frames;
        }
        EXPECT_EQ(frames, 61);
        EXPECT_EQ(height(), 0);
        EXPECT_EQ(vx(), 0);
        EXPECT_FALSE(flag(object_flag::airborne));
        EXPECT_EQ(world_x(), 1000 + (facing ? 6 : -6) * 60);
        EXPECT_EQ(timer(), 4) << "rank byte 5, the first frame counted";
        EXPECT_EQ(ring_a().size(), 1u) << "a hit in the air makes no sound";
        EXPECT_GE(calls(sub_0882AF /* word box hits: a box of words, mode 0 */), 1);
        EXPECT_FALSE(flag(object_flag::touched));
        for (int f = 0; f < 4; ++f) ASSERT_TRUE(frame(sub_06B09E));
        EXPECT_EQ(state(), 2);
        TearDown();
    }
}

// ---- fatal paths ----

TEST_F(EnemyBehaviour, UnlistedSubStateOrPatternEndsTheRun) {
    plant32(rom::walk_table + 8, 0x06A3FF);
    orb_write8(enemy + object_record::substate, 2);
    orb_write8(enemy + object_record::last_state, 0);
    EXPECT_EXIT(frame(sub_06A36F), ::testing::ExitedWithCode(3),
                "Jump from 06A382 to 06A3FF has no translated target");
    plant32(rom::pattern_table + 8, 0x0700AA);
    orb_write8(enemy + object_record::attack_pattern, 2);
    EXPECT_EXIT(frame(sub_06B09E), ::testing::ExitedWithCode(3),
                "Jump from 06B0A6 to 0700AA has no translated target");
    orb_write8(enemy + object_record::attack_pattern, 0);
    orb_write8(enemy + object_record::substate, 4);
    EXPECT_EXIT(frame(sub_06B09E), ::testing::ExitedWithCode(3),
                "Jump from 06A5A6 to 000000 has no translated target");
}

}  // namespace
