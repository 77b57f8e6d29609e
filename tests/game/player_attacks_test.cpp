#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

namespace pr = player_record;
namespace ob = object_record;
namespace ar = attack_record;

constexpr uint32_t kOwner = 0x20A200;  // slot 2
constexpr uint32_t kCharacter = 1;
constexpr uint32_t kTypeRoutines = 0x07859C;

enum : uint32_t {
    kAnimStart = 0x061F06,
    kAnimTick = 0x061FB6,
    kPlace = 0x062044,
    kListByHeight = 0x062094,
    kListByGround = 0x0620CD,
    kAimedTest = 0x08833D,
    kPlacedTest = 0x088171,
    kPlacedWordTest = 0x0882A0,
};

// An owner in play at (2000, 3000) facing right, character 1, and its
// launched object taken from the 128-byte pool with type `type`; the type
// table names the routine for that type. Drawing, animation and the box
// tests are stand-ins.
class AttackObjects : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        orb_write16(kOwner + ob::flags, 0x41);
        orb_write16(kOwner + ob::owner, static_cast<uint16_t>(kOwner));
        orb_write8(kOwner + pr::character, kCharacter);
        orb_write16(kOwner + ob::world_x, 2000);
        orb_write16(kOwner + ob::world_y, 3000);
        fake_all({kAnimStart, kAnimTick, kPlace, kListByHeight, kListByGround, kAimedTest, kPlacedTest,
                  kPlacedWordTest});
    }
    uint32_t launch(uint8_t type, uint32_t routine) {
        plant32(kTypeRoutines + 4 * type, routine);
        const uint32_t o = spawn(0x077D19, sub_088C67);
        orb_write16(o + ob::owner, static_cast<uint16_t>(kOwner));
        orb_write8(o + ob::type, type);
        orb_write16(kOwner + pr::attack_object, static_cast<uint16_t>(o));
        return o;
    }
};

TEST_F(AttackObjects, EntryStoresTheTypeRoutineAndItsSecondRunEndsTheRun) {
    const uint32_t o = launch(5, 0x077F14);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram32(o + ob::routine), 0x077F14u);
    EXPECT_EQ(ram8(o + ob::state), 1);
    EXPECT_EQ(ram8(o + ar::length), 18);
    cpu.frames = 7;
    EXPECT_EXIT(run(sub_088B00), ::testing::ExitedWithCode(3),
                "^No translated code starts at 077F14 \\(frame 7\\)\n$");
}

TEST_F(AttackObjects, UnknownTypeRoutineOrStateEndsTheRun) {
    const uint32_t o = launch(6, 0x123456);
    cpu.reg[20] = o;
    EXPECT_EXIT(run(sub_077D19), ::testing::ExitedWithCode(3),
                "^Jump from 077D26 to 123456 has no translated target \\(frame 0\\)\n$");
    plant32(kTypeRoutines + 4 * 6, 0x07836B);
    orb_write8(o + ob::state, 2);
    EXPECT_EXIT(run(sub_077D19), ::testing::ExitedWithCode(3),
                "^Jump from 07836E to 078377 has no translated target \\(frame 0\\)\n$");
    orb_write8(o + ob::state, 3);
    EXPECT_EXIT(run(sub_077E7E), ::testing::ExitedWithCode(3),
                "^Jump from 077E81 to 077E8D has no translated target \\(frame 0\\)\n$");
}

TEST_F(AttackObjects, ProjectileFacingLeftStepsBackAndGoesAfter32) {
    orb_write16(kOwner + ob::flags, 0x01);  // facing decreasing x
    const uint32_t o = launch(7, 0x07836B);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), 1);
    EXPECT_EQ(ram8(o + ob::attack_kind), 3);
    EXPECT_EQ(static_cast<int8_t>(ram8(o + ar::step)), -32);
    const int16_t x0 = static_cast<int16_t>(ram16(o + ob::world_x));
    const uint16_t free_before = ram16(var::free_stack_128);
    for (int f = 1; f <= 31; ++f) {
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_077D19));
        ASSERT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), x0 - 32 * f) << "frame " << f;
        ASSERT_EQ(ring().size(), 1u);
    }
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), x0 - 32 * 31);
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_128), free_before + 1);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * (free_before + 1)), static_cast<uint16_t>(o));
}

TEST_F(AttackObjects, SweepScoreCheckNeedsMoreThan200) {
    const uint32_t o = launch(4, 0x078179);
    orb_write32(o + ar::score_mark, 1000);
    for (uint32_t gained : {200u, 201u}) {
        SCOPED_TRACE(gained);
        orb_write8(o + ob::state, 2);
        orb_write32(kOwner + pr::score, 1000 + gained);
        const uint8_t write = ram8(var::sound_ring_a + sound_ring::write);
        cpu.reg[20] = o;
        cpu.reg[10] = kOwner;
        ASSERT_TRUE(run(sub_0781EE));
        const bool fired = gained > 200;
        EXPECT_EQ(ram8(o + ob::state), fired ? 3 : 2);
        EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::write), fired ? write + 1 : write);
        if (fired) {
            EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::slots + write), 0xF6);
        }
    }
}

TEST_F(AttackObjects, BeamTakesTheFragmentsThePoolHas) {
    const uint32_t o = launch(4, 0x077D29);
    orb_write16(var::free_stack_64, 3);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), 1);
    EXPECT_NE(ram16(o + ob::flags) & 1, 0);
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 4u);
    for (uint32_t k = 0; k < 3; ++k) {
        const uint32_t f = objects[k + 1];
        EXPECT_EQ(ram8(f + ob::type), 7 - k);
        EXPECT_EQ(ram8(f + ob::state), 0);
        EXPECT_EQ(ram16(f + ob::owner), static_cast<uint16_t>(o));
        EXPECT_EQ(ram32(f + ob::routine), 0x077E7Eu);
    }
    EXPECT_EQ(ram16(var::free_stack_64), 0);
}

TEST_F(AttackObjects, BeamGrowsPausesAndShrinksAway) {
    const uint32_t o = launch(4, 0x077D29);
    orb_write8(o + ob::state, 1);
    orb_write8(o + ar::length, 7);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), 2);
    EXPECT_EQ(ram8(o + ar::timer), 4);
    EXPECT_EQ(calls(kAimedTest), 1);
    orb_write8(o + ob::state, 3);
    orb_write8(o + ar::length, 0);
    orb_write16(o + ob::flags, 1);
    const uint16_t free64 = ram16(var::free_stack_64);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(o + ob::flags) & 1, 0);
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_64), free64 + 1);
}

TEST_F(AttackObjects, FragmentsSpreadAlongTheBeamAndFollowItOut) {
    const uint32_t beam = launch(4, 0x077D29);
    orb_write16(beam + ob::flags, 1);
    orb_write16(beam + ob::world_x, 1000);
    orb_write16(beam + ob::world_y, 1200);
    orb_write8(beam + ar::length, 5);
    const uint32_t f = spawn(0x077E7E, sub_088C77);
    orb_write16(f + ob::owner, static_cast<uint16_t>(beam));
    const struct {
        int8_t step;
        uint8_t type;
        int16_t x;
        bool mirrored, listed;
    } cases[] = {
        {10, 2, 1000 + 20 - 40, true, true},
        {-10, 2, 1000 - 20 + 40, false, true},
        {10, 5, 1000, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.type));
        orb_write8(f + ob::state, 1);
        orb_write16(f + ob::flags, 0);
        orb_write8(f + ob::type, c.type);
        orb_write8(beam + ar::step, static_cast<uint8_t>(c.step));
        const int listed = calls(kListByGround);
        cpu.reg[20] = f;
        ASSERT_TRUE(run(sub_077E7E));
        EXPECT_EQ(static_cast<int16_t>(ram16(f + ob::world_x)), c.x);
        EXPECT_EQ(ram16(f + ob::world_y), 1200);
        EXPECT_EQ((ram16(f + ob::flags) & 0x40) != 0, c.mirrored);
        EXPECT_EQ(calls(kListByGround) - listed, c.listed ? 1 : 0);
    }
    orb_write16(beam + ob::flags, 0);
    const uint16_t free64 = ram16(var::free_stack_64);
    const size_t before = ring().size();
    cpu.reg[20] = f;
    ASSERT_TRUE(run(sub_077E7E));
    EXPECT_EQ(ring().size(), before - 1);
    EXPECT_EQ(ram16(var::free_stack_64), free64 + 1);
}

TEST_F(AttackObjects, WaveGrowsToItsCapsAroundItsBase) {
    for (bool right : {true, false}) {
        SCOPED_TRACE(right);
        const uint32_t o = launch(5, 0x07820E);
        orb_write8(o + ob::state, 2);
        orb_write16(o + ob::flags, right ? 0x40 : 0);
        orb_write8(o + ar::length, 33);
        orb_write8(o + ar::timer, 10);
        orb_write16(o + ar::part_width, 0xFC00 | 300);
        orb_write16(o + ar::part_height, 0x0400 | 165);
        orb_write16(o + ar::base_x, 2000);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_077D19));
        EXPECT_EQ(ram8(o + ob::state), 3) << "from 36 on";
        EXPECT_EQ(ram16(o + ar::part_width), 0xFC00 | 312);
        EXPECT_EQ(ram16(o + ar::part_height), 0x0400 | 171);
        EXPECT_EQ(static_cast<int16_t>(ram16(o + ar::box)), -156);
        EXPECT_EQ(ram16(o + ar::box + 2), 312);
        EXPECT_EQ(static_cast<int16_t>(ram16(o + ar::box + 4)), -85);
        EXPECT_EQ(ram16(o + ar::box + 6), 171);
        EXPECT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), right ? 2000 + 624 : 2000 - 624);
    }
}

TEST_F(AttackObjects, AimTakesTheOwnersDirectionCode) {
    const struct {
        uint8_t b38, b187, owner_state;
        uint16_t owner_flags;
        uint32_t code;
        int16_t x;
    } cases[] = {
        {2, 1, 42, 0x01, 114, 2000 - 40},
        {2, 0, 41, 0x41, 2, 2000 + 40},
        {3, 0, 50, 0x41, 35, 2000 + 40},
    };
    const uint32_t o = launch(4, 0x07836B);
    orb_write16(kOwner + 104, 5);
    orb_write16(kOwner + 106, 10);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        orb_write8(kOwner + 38, c.b38);
        orb_write8(kOwner + 187, c.b187);
        orb_write8(kOwner + ob::state, c.owner_state);
        orb_write16(kOwner + ob::flags, c.owner_flags);
        orb_write16(o + ob::flags, 0xC0);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_078119));
        EXPECT_EQ(r(1), c.code);
        EXPECT_EQ(r(10), kOwner);
        EXPECT_EQ(static_cast<int32_t>(r(0)), c.owner_flags & 0x40 ? 40 : -40);
        EXPECT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), c.x);
        EXPECT_EQ(ram16(o + ob::world_y), 3020);
        EXPECT_EQ(ram16(o + ob::height), 224);
        EXPECT_EQ(ram16(o + ob::flags) & 0xC0, 0);
    }
}

TEST_F(AttackObjects, PlacedKindsNegateTheWholeOffsetWhenMirrored) {
    plant16(0x078600 + 4 * kCharacter, 12);
    plant16(0x078600 + 4 * kCharacter + 2, 7);
    orb_write16(kOwner + 104, 3);
    orb_write16(kOwner + 106, 10);
    for (uint16_t mirror : {0x00, 0x40, 0x80}) {
        SCOPED_TRACE(mirror);
        const uint32_t o = launch(4, 0x078179);
        orb_write16(kOwner + ob::flags, 0x01 | mirror);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_0784A0));
        EXPECT_EQ(ram8(o + ob::state), 1);
        EXPECT_EQ(ram8(o + ob::attack_kind), 3);
        EXPECT_EQ(ram8(o + ob::anim_mode), 1);
        EXPECT_EQ(ram16(o + ob::flags) & 0xC0, mirror);
        EXPECT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), mirror ? 2000 - 52 : 2000 + 52);
        EXPECT_EQ(ram16(o + ob::height), 12 + 7);
    }
}

TEST_F(AttackObjects, OwnerCheckRemovesTheObjectOnceTheOwnerLetsGo) {
    const uint32_t o = launch(4, 0x078179);
    const uint16_t free_before = ram16(var::free_stack_128);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_078493));
    EXPECT_EQ(cpu.z, 1);
    EXPECT_EQ(ring().size(), 1u);
    orb_write16(kOwner + pr::attack_object, 0);
    ASSERT_TRUE(run(sub_078493));
    EXPECT_EQ(cpu.z, 0);
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_128), free_before + 1);
    // The sweep's own run then ends at once, drawing and testing nothing.
    const uint32_t again = launch(4, 0x078179);
    orb_write16(kOwner + pr::attack_object, 0);
    cpu.reg[20] = again;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(calls(kPlacedTest), 0);
    EXPECT_EQ(ram16(var::active_count), 0);
}

}  // namespace
