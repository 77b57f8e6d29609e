#include <gtest/gtest.h>

#include <string>

#include "game/actors/tables.h"
#include "game/flow/vars.h"
#include "tests/game/actor_fixture.h"

namespace {

constexpr uint32_t kRandomState = var::random_state;
constexpr uint32_t kScript = 0x060400;
constexpr uint32_t kFrame = 0x060410;
constexpr uint16_t kWord2 = 0xA800 | 0x123;  // +100: top bits 0xA800
constexpr uint16_t kWord3 = 0x5400 | 0x045;  // +102: top bits 0x5400

struct entry {
    uint8_t first_frame = 0;
    uint8_t delay = 1;
    uint16_t lifetime = 100;
    uint8_t sound = 0;
    uint8_t command = 0;
    int16_t dx = 12, dy = -8;
    uint8_t step = 0, period = 0;
};

class ChildEffect : public ActorTest {
protected:
    void SetUp() override {
        ActorTest::SetUp();
        plant_animation(kScript, kFrame, {0x1111, 0x2418, kWord2, kWord3, 0, 0, 0, 0});
        owner_ = actor(0x0001);
        orb_write16(owner_ + object_record::world_x, 400);
        orb_write16(owner_ + object_record::world_y, 200);
        orb_write16(owner_ + object_record::height, 8);
    }

    void plant_type(uint8_t type, const entry& e) {
        const uint32_t at = rom::child_effect_table + 16u * type;
        plant32(at, kScript);
        plant8(at + 4, e.first_frame);
        plant8(at + 5, e.delay);
        plant16(at + 6, e.lifetime);
        plant8(at + 8, e.sound);
        plant8(at + 9, e.command);
        plant16(at + 10, static_cast<uint16_t>(e.dx));
        plant16(at + 12, static_cast<uint16_t>(e.dy));
        plant8(at + 14, e.step);
        plant8(at + 15, e.period);
    }

    // An effect of a new type 7 with this entry, owned by (and spawned from) the owner.
    uint32_t effect(const entry& e) {
        plant_type(7, e);
        cpu.reg[0] = 7;
        cpu.reg[20] = owner_;
        EXPECT_TRUE(run(sub_0824F0));
        return r(21);
    }

    uint8_t state(uint32_t e) const { return ram8(e + object_record::state); }
    bool listed(uint32_t e) const { return bucket(350) == static_cast<uint16_t>(e); }

    uint32_t owner_ = 0;
};

TEST_F(ChildEffect, SpawnMarksAnEnemyCallerNotTheEffect) {
    const struct {
        const char* name;
        v60_routine entry;
        uint16_t caller_flags;
        bool caller_marked;
    } cases[] = {
        {"enemy owner", sub_0824F0, 0x8001, true},
        {"plain owner", sub_0824F0, 0x0001, false},
        {"enemy caller, other owner", sub_0824F3, 0x8001, true},
    };
    plant_type(9, entry{});
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t caller = actor(k.caller_flags);
        const uint32_t other = actor(0x0001);
        cpu.reg[0] = 0x1209;
        cpu.reg[10] = other;
        cpu.reg[20] = caller;
        ASSERT_TRUE(run(k.entry));
        const uint32_t e = r(21);
        EXPECT_FALSE(cpu.z);
        ASSERT_GE(ring().size(), 1u);
        EXPECT_EQ(ring().back(), e);
        EXPECT_EQ(ram32(e + object_record::routine), ::entry::sub_08254E /* effect */);
        EXPECT_EQ(ram8(e + object_record::type), 9);
        EXPECT_EQ(ram16(e + object_record::owner),
                  static_cast<uint16_t>(k.entry == sub_0824F0 ? caller : other));
        EXPECT_EQ(flag(caller, 11), k.caller_marked);
        EXPECT_FALSE(flag(other, 11));
        EXPECT_FALSE(flag(e, 11)) << "the effect itself is not marked";
    }
}

TEST_F(ChildEffect, RemovalClearsTheMarkOnAnEnemyOwner) {
    const struct { uint16_t owner_flags, after; } cases[] = {{0x8801, 0x8001}, {0x0801, 0x0801}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.owner_flags);
        const uint32_t e = effect(entry{.lifetime = 1});
        orb_write16(owner_ + object_record::flags, k.owner_flags);
        pass();
        EXPECT_FALSE(on_ring(e));
        EXPECT_EQ(ram16(owner_ + object_record::flags), k.after);
    }
}

TEST_F(ChildEffect, AnEmptyPoolMakesNothing) {
    orb_write16(var::free_stack_128, 0);
    const auto before = ring();
    cpu.reg[0] = 7;
    cpu.reg[20] = owner_;
    ASSERT_TRUE(run(sub_0824F0));
    EXPECT_TRUE(cpu.z);
    EXPECT_EQ(ring(), before);
}

// The seeded generator of demo play, as the enemy framework gives it.
void seeded_random() {
    uint32_t x = orb_read32(kRandomState);
    if ((x & 0xFFFF) == 0) x ^= 0x2A6D365B;
    const uint32_t y = 25u * x;
    const uint32_t s = ((y & 0xFFFF) + (y >> 16)) & 0xFFFF;
    orb_write32(kRandomState, s << 16 | (y & 0xFFFF));
    cpu.reg[0] = (x & 0xFFFF0000) | s;
}

TEST_F(ChildEffect, ARandomPlayerInPlayOwnsIt) {
    const struct {
        const char* name;
        unsigned in_play;  // bit per slot
        uint32_t owner;
    } cases[] = {
        {"slot 3 first", 0b1000, 0x20A300},
        {"only slot 1: wraps", 0b0010, 0x20A100},
        {"slots 0 and 2", 0b0101, var::player_records},
        {"nobody", 0, 0},
    };
    plant_type(5, entry{});
    fake(sub_06925A /* random */, seeded_random);
    orb_write32(var::game_flags, 1u << game_flag::demo_play);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        orb_write32(kRandomState, 0);
        for (uint32_t slot = 0; slot < 4; ++slot)
            orb_write16(var::player_records + 0x100 * slot, (k.in_play >> slot) & 1);
        const auto before = ring();
        cpu.reg[0] = 5;
        cpu.reg[20] = owner_;
        ASSERT_TRUE(run(sub_08251B));
        EXPECT_EQ(ram32(kRandomState), 0x738D4EE3u) << "one number drawn (0x2A6D738D)";
        if (k.owner == 0) {
            EXPECT_TRUE(cpu.z);
            EXPECT_EQ(ring(), before);
            continue;
        }
        ASSERT_GE(ring().size(), 1u);
        EXPECT_EQ(ring().back(), r(21));
        EXPECT_EQ(ram8(r(21) + object_record::type), 5) << "R0 kept";
        EXPECT_EQ(ram16(r(21) + object_record::owner), static_cast<uint16_t>(k.owner));
    }
}

TEST_F(ChildEffect, SetUpAndDelayThenFollowsTheOwner) {
    const uint32_t e = effect(entry{.delay = 3});
    pass();
    EXPECT_EQ(state(e), 1);
    EXPECT_EQ(ram8(e + object_record::anim_mode), 1);
    EXPECT_EQ(ram32(e + object_record::frame), e + object_record::copied_parts);
    EXPECT_EQ(ram16(e + 98), 0x2418) << "the part copied";
    EXPECT_FALSE(listed(e));
    pass(2);
    EXPECT_EQ(state(e), 2);
    EXPECT_EQ(ram16(e + object_record::world_x), 412);
    EXPECT_EQ(ram16(e + object_record::world_y), 192);
    EXPECT_EQ(ram16(e + object_record::height), 8);
    EXPECT_EQ(s16(e + object_record::screen_x), 103);
    EXPECT_TRUE(listed(e)) << "key 350";
    orb_write16(owner_ + object_record::world_x, 800);
    pass();
    EXPECT_EQ(ram16(e + object_record::world_x), 812);
}

// The entry's first frame is its own byte after the script pointer, not the
// pointer's top byte (0 here): frame 1 of a two-frame script shows first.
TEST_F(ChildEffect, TheSetUpShowsTheEntrysFirstFrame) {
    constexpr uint32_t kTwoFrames = 0x060440;  // duration 1; frames A, B; loop
    constexpr uint32_t kFrameA = 0x060450, kFrameB = 0x060470;
    plant8(kTwoFrames, 1);
    plant16(kTwoFrames + 1, static_cast<uint16_t>(kFrameA - (kTwoFrames + 1)));
    plant16(kTwoFrames + 3, static_cast<uint16_t>(kFrameB - (kTwoFrames + 3)));
    plant16(kTwoFrames + 5, 0xFFFE);
    for (const auto& [frame, word] :
         {std::pair{kFrameA, uint16_t{0x2418}}, std::pair{kFrameB, uint16_t{0x3C19}}}) {
        plant8(frame, 1);
        for (uint32_t k = 0; k < 8; ++k) plant16(frame + 1 + 2 * k, k == 1 ? word : 0);
    }
    plant_type(7, entry{.first_frame = 1});
    plant32(rom::child_effect_table + 16u * 7, kTwoFrames);
    cpu.reg[0] = 7;
    cpu.reg[20] = owner_;
    ASSERT_TRUE(run(sub_0824F0));
    const uint32_t e = r(21);
    pass();
    EXPECT_EQ(ram8(e + object_record::frame_index), 1);
    EXPECT_EQ(ram16(e + 98), 0x3C19) << "frame B's part copied";
}

TEST_F(ChildEffect, LifetimeOneEndsInTheHeaderFrame) {
    const uint32_t e = effect(entry{.lifetime = 1});
    const uint16_t count = ram16(var::free_stack_128);
    pass();
    EXPECT_FALSE(on_ring(e));
    EXPECT_EQ(ram16(var::free_stack_128), count + 1);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * (count + 1)), static_cast<uint16_t>(e));
    EXPECT_EQ(bucket(350), 0);
}

TEST_F(ChildEffect, LifetimeCountsFromTheHeaderFrame) {
    const uint32_t e = effect(entry{.lifetime = 5});
    pass(4);
    EXPECT_TRUE(on_ring(e));
    pass();
    EXPECT_FALSE(on_ring(e));
}

TEST_F(ChildEffect, DelayZeroLasts256Frames) {
    const uint32_t e = effect(entry{.delay = 0});
    pass(255);
    EXPECT_EQ(state(e), 1);
    EXPECT_FALSE(listed(e));
    pass();
    EXPECT_EQ(state(e), 2);
    EXPECT_TRUE(listed(e));
}

TEST_F(ChildEffect, BlinkIsHiddenFourFramesThenShownEight) {
    const uint32_t e = effect(entry{.command = 1});
    std::string seen;
    for (int f = 0; f < 28; ++f) {
        pass();
        seen += flag(e, object_flag::hidden) ? 'h' : 's';
        EXPECT_EQ(listed(e), !flag(e, object_flag::hidden));
    }
    EXPECT_EQ(state(e), 3);
    EXPECT_EQ(seen, "hhhhsssssssshhhhsssssssshhhh");
}

TEST_F(ChildEffect, PulseGrowsEightFramesShrinksEightAndKeepsTheTopBits) {
    const uint32_t e = effect(entry{.command = 2, .step = 2, .period = 8});
    pass();
    EXPECT_EQ(state(e), 4);
    EXPECT_EQ(ram8(e + child_effect_record::scale), 16);
    std::vector<int> scales;
    for (int f = 0; f < 17; ++f) {
        pass();
        scales.push_back(ram8(e + child_effect_record::scale));
    }
    EXPECT_EQ(scales, (std::vector<int>{18, 20, 22, 24, 26, 28, 30, 32, 30, 28, 26, 24, 22, 20, 18, 16, 18}));
    // The sizes follow the scale; at 16 they are as the part was drawn.
    pass();  // scale 20
    EXPECT_EQ(ram16(e + 102), 0x5400 | (0x18 * 4 * 20 / 16));
    EXPECT_EQ(ram16(e + 100), 0xA800 | (0x24 * 20 / 16));
    orb_write8(e + child_effect_record::scale, 14);
    orb_write8(e + child_effect_record::scale_step, 2);
    pass();
    EXPECT_EQ(ram16(e + 102), 0x5400 | (4 * 0x18)) << "scale 16: 4 x (+98)";
    EXPECT_EQ(ram16(e + 100), 0xA800 | 0x24) << "scale 16: +99";
    EXPECT_TRUE(listed(e));
}

TEST_F(ChildEffect, ALargeScaleStaysInTheTenBits) {
    const uint32_t e = effect(entry{.command = 2, .step = 0, .period = 100});
    pass();
    orb_write8(e + child_effect_record::scale, 200);
    pass();
    EXPECT_EQ(ram16(e + 102), 0x5400 | ((0x18 * 4 * 200 / 16) & 0x3FF));
    EXPECT_EQ(ram16(e + 100), 0xA800 | ((0x24 * 200 / 16) & 0x3FF));
}

TEST_F(ChildEffect, ItsSoundIsQueuedOnRingBUnlessAPlayerOwnerHasNoCharacter) {
    const struct {
        const char* name;
        bool player;
        uint8_t character;
        bool heard;
    } cases[] = {
        {"object owner", false, 0, true},
        {"player with character 0", true, 0, false},
        {"player with character 2", true, 2, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        SetUp();
        plant_type(3, entry{.sound = 0x77});
        const uint32_t owner = k.player ? var::player_records + 0x100 : owner_;
        orb_write16(owner, 1);
        orb_write8(owner + 149, k.character);
        cpu.reg[0] = 3;
        cpu.reg[10] = owner;
        cpu.reg[20] = owner_;
        ASSERT_TRUE(run(sub_0824F3));
        pass();
        EXPECT_EQ(sounds(var::sound_ring_b), k.heard ? std::vector<uint8_t>{0x77} : std::vector<uint8_t>{});
        TearDown();
    }
}

TEST_F(ChildEffect, AGoneOwnerOrAnAreaChangeRemovesItBeforeAnyWork) {
    const struct {
        const char* name;
        uint16_t owner_flags;
        uint32_t game_flags;
    } cases[] = {{"owner gone", 0x8800, 0}, {"area change", 0x8801, 1u << 11}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t e = effect(entry{.delay = 1, .sound = 0x55});
        orb_write16(owner_ + object_record::flags, k.owner_flags);
        orb_write32(var::game_flags, k.game_flags);
        pass();
        EXPECT_FALSE(on_ring(e));
        EXPECT_EQ(state(e), 0) << "no set-up";
        EXPECT_EQ(ram8(e + object_record::anim_mode), 0);
        EXPECT_TRUE(sounds(var::sound_ring_b).empty());
        EXPECT_FALSE(flag(owner_, 11));
        orb_write32(var::game_flags, 0);
        orb_write16(owner_ + object_record::flags, 1);
    }
}

// Command 3 would leave state 5, whose set-up leaves state 6, which has no
// routine: it follows instead.
TEST_F(ChildEffect, CommandThreeFollows) {
    const uint32_t e = effect(entry{.lifetime = 20, .command = 3});
    for (int f = 0; f < 19; ++f) {
        pass();
        ASSERT_EQ(state(e), 2) << "frame " << f;
        ASSERT_TRUE(listed(e)) << "frame " << f;
        EXPECT_FALSE(flag(e, object_flag::hidden));
    }
    pass();
    EXPECT_FALSE(on_ring(e));
}

TEST_F(ChildEffect, StateFiveIsTheSetUpAgainAndAStateAboveFiveEndsTheRun) {
    const uint32_t e = effect(entry{.delay = 2});
    orb_write8(e + object_record::state, 5);
    pass();
    EXPECT_EQ(state(e), 6);
    EXPECT_EQ(ram8(e + object_record::anim_mode), 1);
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 082574 to 082589 has no translated target");
}

TEST_F(ChildEffect, AnUnknownCommandEndsTheRun) {
    effect(entry{.command = 4});
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 08262B to 08263A has no translated target");
}

TEST_F(ChildEffect, TheEmptyRoutineReturnsAtOnce) {
    for (int i = 0; i < 31; ++i) cpu.reg[i] = 0x1000 + i;
    const auto before = cpu;
    ASSERT_TRUE(run(sub_082E5D));
    for (int i = 0; i < 31; ++i) EXPECT_EQ(r(i), before.reg[i]) << "R" << i;
}

}  // namespace
