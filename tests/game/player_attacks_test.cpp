#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
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

enum : uint32_t {};

// An owner in play at (2000, 3000) facing right, character 1, and its
// launched object taken from the 128-byte pool with type `type`; the type
// table names the routine for that type. Drawing, animation and the box
// tests are stand-ins.
class AttackObjects : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        // The owner's record starts empty; what it holds is planted below.
        for (uint32_t i = 0; i < 256; ++i) orb_write8(kOwner + i, 0);
        orb_write16(kOwner + ob::flags, 0x41);
        orb_write16(kOwner + ob::owner, static_cast<uint16_t>(kOwner));
        orb_write8(kOwner + pr::character, kCharacter);
        orb_write16(kOwner + ob::world_x, 2000);
        orb_write16(kOwner + ob::world_y, 3000);
        fake_all({sub_061F06 /* anim start */, sub_061FB6 /* anim tick */, sub_062044 /* place */,
                  sub_062094 /* list by height */, sub_0620CD /* list by ground */,
                  sub_08833D /* aimed test */, sub_088171 /* placed test */,
                  sub_0882A0 /* placed word test */});
        // No game bits (not the demo) and both sound rings empty, as
        // start-up leaves them.
        orb_write32(var::game_flags, 0);
        for (uint32_t i = 0; i < 34; ++i) {
            orb_write8(var::sound_ring_a + i, 0);
            orb_write8(var::sound_ring_b + i, 0);
        }
    }
    uint32_t launch(uint8_t type, uint32_t routine) {
        plant32(rom::attack_type_routines + 4 * type, routine);
        const uint32_t o = spawn(entry::sub_077D19, sub_088C67);
        orb_write16(o + ob::owner, static_cast<uint16_t>(kOwner));
        orb_write8(o + ob::type, type);
        orb_write16(kOwner + pr::attack_object, static_cast<uint16_t>(o));
        return o;
    }
};

TEST_F(AttackObjects, EntryStoresTheTypeRoutineAndItsSecondRunEndsTheRun) {
    const uint32_t o = launch(5, continuation::attack_thrown);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram32(o + ob::routine), 0x077F14u);
    EXPECT_EQ(ram8(o + ob::state), thrown_attack_state::flying);
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
    plant32(rom::attack_type_routines + 4 * 6, continuation::attack_projectile);
    orb_write8(o + ob::state, 2);
    EXPECT_EXIT(run(sub_077D19), ::testing::ExitedWithCode(3),
                "^Jump from 07836E to 078377 has no translated target \\(frame 0\\)\n$");
    orb_write8(o + ob::state, 3);
    EXPECT_EXIT(run(sub_077E7E), ::testing::ExitedWithCode(3),
                "^Jump from 077E81 to 077E8D has no translated target \\(frame 0\\)\n$");
}

TEST_F(AttackObjects, ProjectileFacingLeftStepsBackAndGoesAfter32) {
    orb_write16(kOwner + ob::flags, 0x01);  // facing decreasing x
    const uint32_t o = launch(7, continuation::attack_projectile);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), run_state::running);
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
    const uint32_t o = launch(4, continuation::attack_sweep);
    orb_write32(o + ar::score_mark, 1000);
    for (uint32_t gained : {200u, 201u}) {
        SCOPED_TRACE(gained);
        orb_write8(o + ob::state, sweep_state::sweeping);
        orb_write32(kOwner + pr::score, 1000 + gained);
        const uint8_t write = ram8(var::sound_ring_a + sound_ring::write);
        cpu.reg[20] = o;
        cpu.reg[10] = kOwner;
        ASSERT_TRUE(run(sub_0781EE));
        const bool fired = gained > 200;
        EXPECT_EQ(ram8(o + ob::state), fired ? sweep_state::scored : sweep_state::sweeping);
        EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::write), fired ? write + 1 : write);
        if (fired) {
            EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::slots + write), 0xF6);
        }
    }
}

TEST_F(AttackObjects, BeamTakesTheFragmentsThePoolHas) {
    const uint32_t o = launch(4, continuation::attack_beam);
    orb_write16(var::free_stack_64, 3);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), beam_state::growing);
    EXPECT_NE(ram16(o + ob::flags) & 1, 0);
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 4u);
    for (uint32_t k = 0; k < 3; ++k) {
        const uint32_t f = objects[k + 1];
        EXPECT_EQ(ram8(f + ob::type), 7 - k);
        EXPECT_EQ(ram8(f + ob::state), fragment_state::setup);
        EXPECT_EQ(ram16(f + ob::owner), static_cast<uint16_t>(o));
        EXPECT_EQ(ram32(f + ob::routine), entry::sub_077E7E);
    }
    EXPECT_EQ(ram16(var::free_stack_64), 0);
}

// The pause counts its timer down once and moves on to the shrinking while
// the count is not yet 0; a count that reaches 0 keeps the pause one frame
// more, and the next count wraps to 255 and ends it.
TEST_F(AttackObjects, BeamGrowsPausesAndShrinksAway) {
    const uint32_t o = launch(4, continuation::attack_beam);
    orb_write8(o + ob::state, beam_state::growing);
    orb_write8(o + ar::length, 7);
    orb_write16(o + ob::flags, 1);
    const auto frame = [&] {
        cpu.reg[20] = o;
        return run(sub_077D19);
    };
    ASSERT_TRUE(frame());
    EXPECT_EQ(ram8(o + ob::state), beam_state::pause);
    EXPECT_EQ(ram8(o + ar::timer), 4);
    EXPECT_EQ(calls(sub_08833D /* aimed test */), 1);
    ASSERT_TRUE(frame());  // the pause
    EXPECT_EQ(ram8(o + ob::state), beam_state::shrinking);
    EXPECT_EQ(ram8(o + ar::timer), 3);
    EXPECT_EQ(ram8(o + ar::length), 8) << "the whole beam through the pause";
    EXPECT_EQ(calls(sub_08833D /* aimed test */), 2) << "its box is tested in the pause too";

    const struct {
        uint8_t timer, timer_after, state_after;
    } pauses[] = {{4, 3, beam_state::shrinking},
                  {2, 1, beam_state::shrinking},
                  {1, 0, beam_state::pause},
                  {0, 255, beam_state::shrinking}};
    for (const auto& p : pauses) {
        SCOPED_TRACE(int(p.timer));
        orb_write8(o + ob::state, beam_state::pause);
        orb_write8(o + ar::timer, p.timer);
        ASSERT_TRUE(frame());
        EXPECT_EQ(ram8(o + ar::timer), p.timer_after);
        EXPECT_EQ(ram8(o + ob::state), p.state_after);
        EXPECT_EQ(ram8(o + ar::length), 8);
    }

    // Shrinking: 7 down to 0 drawn, the ninth frame goes below 0 and removes it.
    const uint16_t free64 = ram16(var::free_stack_64);
    for (int length = 7; length >= 0; --length) {
        ASSERT_TRUE(frame());
        ASSERT_EQ(ram8(o + ar::length), length);
        ASSERT_EQ(ram16(var::active_count), 1) << length;
    }
    EXPECT_NE(ram16(o + ob::flags) & 1, 0);
    ASSERT_TRUE(frame());
    EXPECT_EQ(ram16(o + ob::flags) & 1, 0);
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_64), free64 + 1);
}

TEST_F(AttackObjects, FragmentsSpreadAlongTheBeamAndFollowItOut) {
    const uint32_t beam = launch(4, continuation::attack_beam);
    orb_write16(beam + ob::flags, 1);
    orb_write16(beam + ob::world_x, 1000);
    orb_write16(beam + ob::world_y, 1200);
    orb_write8(beam + ar::length, 5);
    const uint32_t f = spawn(entry::sub_077E7E, sub_088C77);
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
        orb_write8(f + ob::state, fragment_state::following);
        orb_write16(f + ob::flags, 0);
        orb_write8(f + ob::type, c.type);
        orb_write8(beam + ar::step, static_cast<uint8_t>(c.step));
        const int listed = calls(sub_0620CD /* list by ground */);
        cpu.reg[20] = f;
        ASSERT_TRUE(run(sub_077E7E));
        EXPECT_EQ(static_cast<int16_t>(ram16(f + ob::world_x)), c.x);
        EXPECT_EQ(ram16(f + ob::world_y), 1200);
        EXPECT_EQ((ram16(f + ob::flags) & 0x40) != 0, c.mirrored);
        EXPECT_EQ(calls(sub_0620CD /* list by ground */) - listed, c.listed ? 1 : 0);
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
        const uint32_t o = launch(5, continuation::attack_wave);
        orb_write8(o + ob::state, wave_state::rising);
        orb_write16(o + ob::flags, right ? 0x40 : 0);
        orb_write8(o + ar::length, 33);
        orb_write8(o + ar::timer, 10);
        orb_write16(o + ar::part_width, 0xFC00 | 300);
        orb_write16(o + ar::part_height, 0x0400 | 165);
        orb_write16(o + ar::base_x, 2000);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_077D19));
        EXPECT_EQ(ram8(o + ob::state), wave_state::full) << "from 36 on";
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
        {2, 1, player_state::held_squeezed, 0x01, 114, 2000 - 40},
        {2, 0, player_state::held, 0x41, 2, 2000 + 40},
        {3, 0, player_state::reentry_drop, 0x41, 35, 2000 + 40},
    };
    const uint32_t o = launch(4, continuation::attack_projectile);
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
    plant16(rom::placed_offsets + 4 * kCharacter, 12);
    plant16(rom::placed_offsets + 4 * kCharacter + 2, 7);
    orb_write16(kOwner + 104, 3);
    orb_write16(kOwner + 106, 10);
    for (uint16_t mirror : {0x00, 0x40, 0x80}) {
        SCOPED_TRACE(mirror);
        const uint32_t o = launch(4, continuation::attack_sweep);
        orb_write16(kOwner + ob::flags, 0x01 | mirror);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_0784A0));
        EXPECT_EQ(ram8(o + ob::state), sweep_state::waiting);
        EXPECT_EQ(ram8(o + ob::attack_kind), 3);
        EXPECT_EQ(ram8(o + ob::anim_mode), 1);
        EXPECT_EQ(ram16(o + ob::flags) & 0xC0, mirror);
        EXPECT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), mirror ? 2000 - 52 : 2000 + 52);
        EXPECT_EQ(ram16(o + ob::height), 12 + 7);
    }
}

TEST_F(AttackObjects, OwnerCheckRemovesTheObjectOnceTheOwnerLetsGo) {
    const uint32_t o = launch(4, continuation::attack_sweep);
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
    const uint32_t again = launch(4, continuation::attack_sweep);
    orb_write16(kOwner + pr::attack_object, 0);
    cpu.reg[20] = again;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(calls(sub_088171 /* placed test */), 0);
    EXPECT_EQ(ram16(var::active_count), 0);
}

// A box test stand-in's view: the box data, the strength and the object's y.
struct box_test {
    uint32_t box, strength;
    int16_t y;
    bool operator==(const box_test&) const = default;
};

class AttackKinds : public AttackObjects {
protected:
    void SetUp() override {
        AttackObjects::SetUp();
        for (uint32_t test : {entry::sub_08833D /* aimed test */, entry::sub_088171 /* placed test */,
                              entry::sub_0882A0 /* placed word test */})
            fake(test, [this, test] {
                tests.push_back({cpu.reg[10], cpu.reg[16] & 0xFFFF,
                                 static_cast<int16_t>(orb_read16(cpu.reg[20] + ob::world_y))});
                test_routines.push_back(test);
                if (touch) orb_write16(cpu.reg[20] + ob::flags, orb_read16(cpu.reg[20] + ob::flags) | 0x400);
            });
        plant8(rom::aimed_strength + kCharacter, 11);
        plant8(rom::placed_strength + kCharacter, 13);
    }
    std::vector<box_test> tests;
    std::vector<uint32_t> test_routines;
    bool touch = false;
};

TEST_F(AttackKinds, ThrownFliesTouchesAndPlaysOut) {
    plant8(0x0787FC, 10);
    plant16(0x07885C, 4);
    plant16(0x07885C + 2, 8);
    const uint32_t o = launch(5, continuation::attack_thrown);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(o + ob::world_x), 2004);
    EXPECT_EQ(ram16(o + ob::world_y), 3008);
    EXPECT_EQ(ram16(o + ob::flags) & 0x40, 0x40) << "a non-negative step";
    EXPECT_EQ(ram8(o + ar::length), 18);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(o + ob::world_x), 2014);
    EXPECT_EQ(tests, (std::vector<box_test>{{0x0787F8, 11, 3008}}));
    EXPECT_EQ(calls(sub_0620CD /* list by ground */), 1);
    touch = true;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), thrown_attack_state::playing_out);
    EXPECT_EQ(calls(sub_0620CD /* list by ground */), 1) << "not drawn in the frame it touched";
    orb_write8(o + ob::frame_duration, 1);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(calls(sub_0620CD /* list by ground */), 2);
    orb_write8(o + ob::frame_duration, 0);
    const uint16_t free64 = ram16(var::free_stack_64);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_64), free64 + 1);
}

TEST_F(AttackKinds, AimedKindsGoWhenTheirLifeOrTheirOwnerEnds) {
    const struct {
        const char* name;
        uint32_t routine;
        uint8_t length;
        bool owner_in_play, touched, removed;
    } cases[] = {
        {"thrown, life left", continuation::attack_thrown, 2, true, false, false},
        {"thrown, life over", continuation::attack_thrown, 1, true, false, true},
        {"thrown, owner out", continuation::attack_thrown, 5, false, false, true},
        {"shot, life left", continuation::attack_shot, 2, true, false, false},
        {"shot, after a touch", continuation::attack_shot, 5, true, true, true},
        {"shot, owner out", continuation::attack_shot, 5, false, false, true},
        {"carried, life left", continuation::attack_carried, 2, true, false, false},
        {"carried, life over", continuation::attack_carried, 1, true, false, true},
        {"carried, owner out", continuation::attack_carried, 5, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        init_objects();
        const uint32_t o = launch(5, c.routine);
        orb_write8(o + ob::state, run_state::running);  // the thrown kind's flying too
        orb_write8(o + ar::length, c.length);
        orb_write16(o + ob::flags, c.touched ? 0x400 : 0);
        orb_write16(kOwner + ob::flags, c.owner_in_play ? 0x41 : 0x40);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_077D19));
        EXPECT_EQ(ram16(var::active_count), c.removed ? 0 : 1);
        EXPECT_EQ(ram8(o + ar::length), c.length - 1);
    }
}

TEST_F(AttackKinds, SweepFollowsTheOwnersAnimation) {
    plant8(0x078DC0 + 0, static_cast<uint8_t>(-8));
    plant8(0x078DC0 + 2, 6);
    const uint32_t o = launch(4, continuation::attack_sweep);
    orb_write32(kOwner + pr::score, 500);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), sweep_state::waiting);
    EXPECT_EQ(ram16(o + ar::base_y), 3000);
    EXPECT_EQ(ram32(o + ar::score_mark), 500u);
    ASSERT_TRUE(run(sub_077D19));  // owner frame still 0
    EXPECT_EQ(ram8(o + ob::state), sweep_state::waiting);
    orb_write8(kOwner + ob::frame_index, 2);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), sweep_state::sweeping);
    orb_write32(kOwner + pr::score, 800);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), sweep_state::scored);
    EXPECT_EQ(
        tests,
        (std::vector<box_test>{
            {0x078DA8, 13, 2992}, {0x078DA8, 13, 2992}, {0x078DA8 + 8, 13, 3006}, {0x078DA8 + 8, 13, 3006}}));
    EXPECT_EQ(calls(sub_0620CD /* list by ground */) + calls(sub_062094 /* list by height */), 0)
        << "nothing drawn";
    orb_write8(kOwner + ob::frame_index, 0);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(tests.size(), 4u);
}

TEST_F(AttackKinds, DoubleSweepTestsAboveAndBelowWhileTheOwnerAnimates) {
    plant8(0x078E56 + 3, 20);
    const uint32_t o = launch(6, continuation::attack_double_sweep);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(o + ob::world_x), 2000);
    EXPECT_EQ(ram16(o + ar::base_y), 3000);
    orb_write8(kOwner + ob::frame_duration, 4);
    orb_write8(kOwner + ob::frame_index, 3);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(tests, (std::vector<box_test>{{0x078DC6 + 24, 13, 3020}, {0x078E0E + 24, 13, 2980}}));
    EXPECT_EQ(test_routines, (std::vector<uint32_t>{entry::sub_0882A0 /* placed word test */,
                                                    entry::sub_0882A0 /* placed word test */}));
    orb_write8(kOwner + ob::frame_duration, 0);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(var::active_count), 0);
}

TEST_F(AttackKinds, WaveStartsFromItsOwnerAndTestsBothBoxes) {
    const uint32_t o = launch(5, continuation::attack_wave);
    orb_write16(o + ar::part_width, 0xABCD);
    orb_write16(o + ar::part_height, 0x1234);
    fake(sub_061F06 /* anim start */);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), wave_state::growing);
    EXPECT_EQ(ram8(o + ar::length), 2);
    EXPECT_EQ(ram16(o + ar::base_x), 2000);
    EXPECT_EQ(ram16(o + ar::part_width), 0xA800 | 2);
    EXPECT_EQ(ram16(o + ar::part_height), 0x1000 | 1) << "height 1, not grown in state 1";
    EXPECT_EQ(static_cast<int16_t>(ram16(o + ob::world_x)), 2000 + 4);
    EXPECT_EQ(tests, (std::vector<box_test>{{o + ar::box, 13, 3000}, {rom::wave_box, 13, 3000}}));
    EXPECT_EQ(test_routines, (std::vector<uint32_t>{entry::sub_0882A0 /* placed word test */,
                                                    entry::sub_088171 /* placed test */}));
    orb_write8(o + ob::state, wave_state::full);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram8(o + ob::state), wave_state::fading);
    EXPECT_EQ(ram8(o + ar::timer), 8);
    for (int f = 1; f < 8; ++f) ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(var::active_count), 1);
    ASSERT_TRUE(run(sub_077D19));
    EXPECT_EQ(ram16(var::active_count), 0);
}

}  // namespace
