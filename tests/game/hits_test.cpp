#include <gtest/gtest.h>

#include <cstdint>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kAttacker = var::objects_128;
constexpr uint32_t kTarget = 0x201080;
constexpr uint32_t kOwner = 0x20A100;  // a player record
constexpr uint32_t kScore = kOwner + 140;
constexpr uint32_t kEntry = 0x20A810;  // the target's entry in table A
constexpr uint32_t kFirstSpark = 0x207FC0;
constexpr uint32_t kSparkScript = 0x131957;

// Points 1,000 + kind; reaction code row × 16 + column + 1 in the row of each
// kind 0 to 9, so that any other cell shows.
class Hits : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        for (uint32_t k = 0; k < 256; ++k)
            plant16(rom::hit_points_table + 2 * k, static_cast<uint16_t>(1000 + k));
        for (uint32_t row = 0; row < 10; ++row)
            for (uint32_t column = 0; column < 4; ++column)
                plant8(rom::hit_reaction_table + 4 * row + column,
                       static_cast<uint8_t>(row * 16 + column + 1));
        attacker(1);
        target(30, 500);
    }
    static void attacker(uint8_t kind, uint16_t flags = 0) {
        orb_write16(kAttacker + object_record::flags, flags);
        orb_write16(kAttacker + object_record::owner, static_cast<uint16_t>(kOwner));
        orb_write8(kAttacker + object_record::attack_kind, kind);
        cpu.reg[20] = kAttacker;
    }
    static void target(int energy, uint16_t score_value, uint16_t flags = 0x8001) {
        orb_write16(kTarget + object_record::flags, flags);
        orb_write16(kTarget + object_record::energy, static_cast<uint16_t>(energy));
        orb_write16(kTarget + object_record::score_value, score_value);
        orb_write8(kTarget + object_record::hit_reaction, 0xEE);
        orb_write16(kTarget + object_record::last_attacker, 0xBEEF);
        cpu.reg[18] = kTarget;
    }
    static int16_t energy() { return static_cast<int16_t>(ram16(kTarget + object_record::energy)); }
    static uint16_t target_flags() { return ram16(kTarget + object_record::flags); }
    static uint16_t sparks_taken() { return static_cast<uint16_t>(200 - ram16(var::free_stack_64)); }
};

TEST_F(Hits, HitTakesEnergyAndCreditsTheOwner) {
    const struct {
        const char* name;
        uint32_t strength;
        int energy;
        uint16_t score_value;
        uint8_t kind;
        uint32_t score_before;
        int energy_after;
        bool defeated;
        uint32_t score_after;
    } cases[] = {
        {"per-hit points", 10, 30, 500, 3, 7, 20, false, 7 + 1003},
        {"strength equal to the energy", 30, 30, 500, 3, 7, 0, true, 7 + 500},
        {"more than the energy", 40, 30, 500, 3, 7, 0, true, 7 + 500},
        {"only the low half of R16", 0xFFFF0005, 30, 500, 2, 0, 25, false, 1002},
        {"score value 0, a hit", 10, 30, 0, 3, 7, 20, false, 7},
        {"score value 0, the defeat", 30, 30, 0, 3, 7, 0, true, 7},
        {"capped", 30, 30, 50, 3, 99999990, 0, true, 99999999},
        {"capped per hit", 1, 30, 50, 3, 99999000, 29, false, 99999999},
        {"just below the cap", 1, 30, 50, 0, 99998999, 29, false, 99999999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        attacker(c.kind);
        target(c.energy, c.score_value);
        orb_write32(kScore, c.score_before);
        cpu.reg[16] = c.strength;
        ASSERT_TRUE(run(sub_088556));
        EXPECT_EQ(energy(), c.energy_after);
        EXPECT_EQ(target_flags(),
                  0x8001 | 1u << object_flag::hit | (c.defeated ? 1u << object_flag::defeated : 0));
        EXPECT_EQ(ram32(kScore), c.score_after);
        EXPECT_EQ(ram16(kTarget + object_record::last_attacker), static_cast<uint16_t>(kOwner));
        EXPECT_EQ(ram8(kTarget + object_record::hit_reaction), 0xEE) << "no reaction code";
        TearDown();
    }
}

// The table starts at an odd address: halfword k lies at 0x088611 + 2k.
TEST_F(Hits, PointsComeFromTheOddAddressedTable) {
    for (const uint8_t kind : {0, 1, 15}) {
        SCOPED_TRACE(testing::Message() << "kind " << int{kind});
        SetUp();
        plant16(rom::hit_points_table + 2 * kind, static_cast<uint16_t>(0x1234 + kind));
        attacker(kind);
        orb_write32(kScore, 0);
        cpu.reg[16] = 1;
        ASSERT_TRUE(run(sub_088556));
        EXPECT_EQ(ram32(kScore), 0x1234u + kind);
        TearDown();
    }
}

TEST_F(Hits, ReactionCodeByKindAndMirroring) {
    const struct {
        uint8_t kind;
        bool target_mirrored, attacker_mirrored;
        uint32_t row, column;
    } cases[] = {
        {0, false, false, 0, 0},  {3, true, false, 3, 1},  {3, false, true, 3, 2},   {9, true, true, 9, 3},
        {10, false, false, 7, 0}, {12, true, false, 7, 1}, {255, false, true, 7, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int{c.kind} << ", target mirrored " << c.target_mirrored
                                        << ", attacker mirrored " << c.attacker_mirrored);
        SetUp();
        attacker(c.kind, c.attacker_mirrored ? 1u << object_flag::mirror_x : 0);
        target(30, 500, c.target_mirrored ? 1u << object_flag::mirror_x : 0);
        cpu.reg[16] = 4;
        ASSERT_TRUE(run(sub_08852B));
        EXPECT_EQ(ram8(kTarget + object_record::hit_reaction), c.row * 16 + c.column + 1);
        EXPECT_EQ(energy(), 26) << "the hit follows";
        EXPECT_TRUE(target_flags() & (1u << object_flag::hit));
        TearDown();
    }
}

class HitEffect : public Hits {
protected:
    // The attacker's box in R2-R5 and the target's entry, as the vertical walk leaves them.
    static void boxes(int x_from, int x_to, int v_from, int v_to, int entry_x_from, int entry_x_to,
                      int entry_v_from, int entry_v_to) {
        cpu.reg[2] = static_cast<uint32_t>(x_from);
        cpu.reg[3] = static_cast<uint32_t>(x_to);
        cpu.reg[4] = static_cast<uint32_t>(v_from);
        cpu.reg[5] = static_cast<uint32_t>(v_to);
        const int spans[6] = {entry_x_from, entry_x_to, -50, 50, entry_v_from, entry_v_to};
        orb_write32(kEntry, kTarget);
        for (uint32_t i = 0; i < 6; ++i) orb_write16(kEntry + 4 + 2 * i, static_cast<uint16_t>(spans[i]));
        cpu.reg[15] = kEntry;
    }
};

TEST_F(HitEffect, SparkAppearsWhereTheBoxesMeet) {
    const struct {
        const char* name;
        int box[8];
        int attacker_y, target_y;
        int x, height, y;
    } cases[] = {
        {"overlapping ends", {100, 200, -80, -20, 150, 300, -60, 0}, 300, 320, 175, 40, 324},
        {"entry inside the box", {0, 1000, -200, 0, 150, 300, -60, -20}, 330, 320, 225, 40, 334},
        {"negative x", {-300, -100, -80, -20, -200, 0, -60, 0}, -20, -40, -150, 40, -16},
        {"odd sums round down", {100, 201, -81, -20, 150, 300, -61, 0}, 0, 0, 175, 41, 4},
        // The two bounds add up beyond 16 bits: the middle still lies between them.
        {"far right", {20000, 20200, -20200, -20000, 20100, 20300, -20300, -20100}, 0, 0, 20150, 20150, 4},
        {"far left and low",
         {-20300, -20100, 20000, 20200, -20200, -20000, 20100, 20300},
         0,
         0,
         -20150,
         -20150,
         4},
        {"at the ends of the range",
         {32000, 32767, -32768, -32000, 32700, 32767, -32767, -32700},
         0,
         0,
         32733,
         32734,
         4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const int* b = c.box;
        boxes(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
        orb_write16(kAttacker + object_record::world_y, static_cast<uint16_t>(c.attacker_y));
        orb_write16(kTarget + object_record::world_y, static_cast<uint16_t>(c.target_y));
        cpu.reg[16] = 4;
        cpu.reg[0] = 0x12345678;  // the walk's count survives the allocation
        ASSERT_TRUE(run(sub_0884AD));
        EXPECT_EQ(r(0), 0x12345678u);
        EXPECT_EQ(sparks_taken(), 1);
        EXPECT_EQ(ring(), std::vector<uint32_t>{kFirstSpark});
        EXPECT_EQ(ram32(kFirstSpark + object_record::routine), entry::sub_0885A4);
        EXPECT_EQ(static_cast<int16_t>(ram16(kFirstSpark + object_record::world_x)), c.x);
        EXPECT_EQ(static_cast<int16_t>(ram16(kFirstSpark + object_record::height)), c.height);
        EXPECT_EQ(static_cast<int16_t>(ram16(kFirstSpark + object_record::world_y)), c.y);
        EXPECT_EQ(ram8(kTarget + object_record::hit_reaction), 1 * 16 + 1) << "kind 1, nothing mirrored";
        EXPECT_EQ(energy(), 26);
        TearDown();
    }
}

// No spark for strength 0 nor from an empty pool; the reaction and the hit still follow.
TEST_F(HitEffect, WithoutASparkTheHitStillLands) {
    for (const bool empty_pool : {false, true}) {
        SCOPED_TRACE(empty_pool ? "empty pool" : "strength 0");
        SetUp();
        boxes(100, 200, -80, -20, 150, 300, -60, 0);
        if (empty_pool) orb_write16(var::free_stack_64, 0);
        const uint16_t free_before = ram16(var::free_stack_64);
        cpu.reg[16] = empty_pool ? 4 : 0x10000;
        cpu.reg[0] = 0x12345678;
        ASSERT_TRUE(run(sub_0884AD));
        EXPECT_EQ(r(0), 0x12345678u);
        EXPECT_EQ(ram16(var::free_stack_64), free_before);
        EXPECT_EQ(ram16(var::active_count), 0);
        EXPECT_EQ(ram8(kTarget + object_record::hit_reaction), 17);
        EXPECT_TRUE(target_flags() & (1u << object_flag::hit));
        EXPECT_EQ(ram16(kTarget + object_record::last_attacker), static_cast<uint16_t>(kOwner));
        EXPECT_EQ(energy(), empty_pool ? 26 : 30);
        TearDown();
    }
}

// A spark plays its script until it stops, then leaves the ring and goes back
// to the 64-byte pool. The animation stand-ins: the start gives 3 steps, each
// step counts one down and stops at 0.
TEST_F(HitEffect, SparkPlaysItsScriptThenFreesItself) {
    fake(sub_061F06 /* animation start */, [] {
        EXPECT_EQ(cpu.reg[19], kSparkScript);
        EXPECT_EQ(ram8(cpu.reg[20] + object_record::anim_mode), 0);
        orb_write8(cpu.reg[20] + object_record::frame_timer, 3);
        orb_write8(cpu.reg[20] + object_record::frame_duration, 1);
    });
    fake(sub_061FB6 /* animation step */, [] {
        const uint8_t left = static_cast<uint8_t>(ram8(cpu.reg[20] + object_record::frame_timer) - 1);
        orb_write8(cpu.reg[20] + object_record::frame_timer, left);
        if (left == 0) orb_write8(cpu.reg[20] + object_record::frame_duration, 0);
    });
    fake(sub_062044 /* place */);
    fake(sub_0620CD /* list by ground */);
    boxes(100, 200, -80, -20, 150, 300, -60, 0);
    cpu.reg[16] = 4;
    ASSERT_TRUE(run(sub_0884AD));
    orb_write32(kFirstSpark + object_record::flags, 0xFFFFFFFF);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ram32(kFirstSpark + object_record::flags), 0xFF000000u) << "flags and state cleared, type kept";
    EXPECT_EQ(ram32(kFirstSpark + object_record::routine), entry::sub_0885C6);
    EXPECT_EQ(calls(sub_061F06 /* animation start */), 1);
    EXPECT_EQ(calls(sub_061FB6 /* animation step */), 1) << "the first step comes in the same frame";
    ASSERT_TRUE(run(sub_088B00));
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(calls(sub_061FB6 /* animation step */), 3);
    EXPECT_EQ(calls(sub_0620CD /* list by ground */), 3);
    EXPECT_EQ(ram16(var::active_count), 1) << "shown in the frame its script stopped";
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(calls(sub_061FB6 /* animation step */), 3);
    EXPECT_EQ(calls(sub_062044 /* place */), 3);
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_64), 200);
    EXPECT_EQ(ram16(var::free_stack_64 + 2 * 200), static_cast<uint16_t>(kFirstSpark));
}

}  // namespace
