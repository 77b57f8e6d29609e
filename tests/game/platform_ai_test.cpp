// The platform enemies' shared actions, decision, hit reaction, defeat and
// guards, and AI type 0 with its watch, strike, throw and thrown object, run
// through the object runner on the real pools.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/actors/tables.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "tests/game/platform_fixture.h"

namespace {

using namespace platform_test;

constexpr uint32_t kFree128 = var::free_stack_128;

class PlatformAi : public PlatformEnemies {
protected:
    void SetUp() override {
        PlatformEnemies::SetUp();
        plant_type(0);
    }
    // A condition code in every slot, and the test it names.
    void plant_condition(uint8_t slot, uint8_t code, uint32_t test) {
        plant8(kConditions + slot, code);
        plant32(0x07A846 + 4 * code, test);
    }
};

TEST_F(PlatformAi, SetUpTakesTheListWindowCountsAndFacing) {
    const struct {
        int16_t x, camera_x;
        bool faces_right;
    } cases[] = {{800, 300, true}, {939, 300, true}, {940, 300, false}, {1000, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        init_objects();
        orb_write8(var::live_enemy_count, 3);
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(c.camera_x));
        const uint32_t o = enemy(entry::sub_07A278 /* type 0 */, 9, c.x);
        pass();
        EXPECT_EQ(ram8(o + object_record::type), 0);
        EXPECT_EQ(ram8(o + object_record::state), ai_state::start);
        EXPECT_EQ(ram32(o + pe::ai_platforms), kList);
        EXPECT_EQ(ram8(o + pe::ai_segment), 10);
        EXPECT_EQ(s16(o + pe::ai_window_left), 100 - 2000);
        EXPECT_EQ(s16(o + pe::ai_window_right), 1800 + 2000);
        EXPECT_EQ(s16(o + pe::ai_window_top), 400 - 1000);
        EXPECT_EQ(s16(o + pe::ai_window_bottom), 200 + 1000);
        EXPECT_EQ(ram8(var::live_enemy_count), 4);
        EXPECT_EQ(ram16(o + object_record::flags), c.faces_right ? 0x0041 : 0x0001);
        EXPECT_EQ(ram16(o + object_record::owner), static_cast<uint16_t>(o));
        EXPECT_EQ(ram8(o + object_record::anim_mode), 1);
        EXPECT_EQ(ram8(o + pe::ai_stun_timer), 0);
        EXPECT_EQ(ram16(o + object_record::energy), kEnergy);
        EXPECT_EQ(ram16(o + object_record::score_value), kScore);
    }
}

// From random_state 0 the first number is 0x2A6D738D: slot 13. The slot holds
// code 2, so the next state is byte 2 of the list, not byte 13.
TEST_F(PlatformAi, DecisionTakesTheNextStateByConditionCode) {
    plant_condition(13, 2, continuation::ai_test_always);
    plant8(kNextStates + 2, 7);
    plant8(kNextStates + 13, 9);
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait);
    orb_write8(o + object_record::enemy_timer, 1);
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_state::high_jump);
    EXPECT_EQ(ram32(kRandomState), 0x738D4EE3u);
}

TEST_F(PlatformAi, AFailedTestAsksAgainNextFrame) {
    for (uint8_t slot = 0; slot < 16; ++slot)
        plant_condition(slot, 2, continuation::ai_test_on_screen);  // on screen: it is below
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait, 800, 300);
    orb_write16(var::playfield_camera + camera_record::y, static_cast<uint16_t>(-700));
    orb_write16(o + object_record::screen_y, 250);
    orb_write8(o + object_record::enemy_timer, 1);
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_state::wait);
    EXPECT_EQ(ram8(o + object_record::enemy_timer), 1);
    EXPECT_EQ(calls(sub_06925A /* random */), 1);
    pass();
    EXPECT_EQ(calls(sub_06925A /* random */), 2) << "the decision runs again in the next frame";
}

TEST_F(PlatformAi, AWaitLeftAtZeroLasts256Frames) {
    plant_condition(13, 2, continuation::ai_test_always);
    plant8(kNextStates + 2, 2);
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait);
    orb_write8(o + object_record::enemy_timer, 0);
    passes(255);
    EXPECT_EQ(calls(sub_06925A /* random */), 0);
    pass();
    EXPECT_EQ(calls(sub_06925A /* random */), 1);
}

TEST_F(PlatformAi, AnUnknownTestAddressEndsTheRun) {
    plant_condition(13, 2, 0x07A893);
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait);
    cpu.reg[20] = o;
    EXPECT_EXIT(run(sub_07A81E), ::testing::ExitedWithCode(3),
                "Jump from 07A84E to 07A893 has no translated target");
}

// The segment tests: within 4 .. byte 0, over the neighbour (both its ends
// included), no player in the probe box; ai_segment moves before the jump
// starts.
TEST_F(PlatformAi, SegmentTestsMoveTheSegmentWithinTheList) {
    const struct {
        const char* name;
        uint32_t test;
        uint8_t segment;
        int16_t x;
        bool touch;
        bool passes;
        uint8_t segment_after;
        uint32_t box;
    } cases[] = {
        {"next", continuation::ai_test_next_segment, 10, 1150, false, true, 16, 0x07AE2A},
        {"next past the last", continuation::ai_test_next_segment, 16, 1150, false, false, 16, 0},
        {"next not over it", continuation::ai_test_next_segment, 10, 1000, false, false, 10, 0},
        {"next at its left end", continuation::ai_test_next_segment, 10, 1100, false, true, 16, 0x07AE2A},
        {"next just before its left end", continuation::ai_test_next_segment, 10, 1099, false, false, 10, 0},
        {"next at its right end", continuation::ai_test_next_segment, 10, 1800, false, true, 16, 0x07AE2A},
        {"next just past its right end", continuation::ai_test_next_segment, 10, 1801, false, false, 10, 0},
        {"next, a player there", continuation::ai_test_next_segment, 10, 1150, true, false, 10, 0x07AE2A},
        {"previous", continuation::ai_test_previous_segment, 10, 550, false, true, 4, 0x07AE32},
        {"previous before the first", continuation::ai_test_previous_segment, 4, 550, false, false, 4, 0},
        {"previous at its right end", continuation::ai_test_previous_segment, 10, 600, false, true, 4,
         0x07AE32},
        {"previous just past its right end", continuation::ai_test_previous_segment, 10, 601, false, false,
         10, 0},
        {"previous at its left end", continuation::ai_test_previous_segment, 10, 100, false, true, 4,
         0x07AE32},
        {"previous just before its left end", continuation::ai_test_previous_segment, 10, 99, false, false,
         10, 0},
        {"right", continuation::ai_test_room_right, 10, 1195, false, true, 10, rom::ai_probe_boxes},
        {"right at the end", continuation::ai_test_room_right, 10, 1196, false, false, 10, 0},
        {"left", continuation::ai_test_room_left, 10, 505, false, true, 10, 0x07AE22},
        {"left at the end", continuation::ai_test_room_left, 10, 504, false, false, 10, 0},
    };
    plant8(kNextStates + 2, 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        probes_.clear();
        orb_write32(kRandomState, 0);
        plant_condition(13, 2, c.test);
        const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait, c.x);
        orb_write8(o + pe::ai_segment, c.segment);
        orb_write16(o, 0x41);  // facing right: the probe is never mirrored
        touch_ = [&](uint32_t, uint32_t) { return c.touch; };
        cpu.reg[20] = o;
        cpu.reg[1] = 0x1111;
        ASSERT_TRUE(run(sub_07A81E));
        EXPECT_EQ(ram8(o + object_record::state), c.passes ? ai_state::low_jump : ai_state::wait);
        EXPECT_EQ(ram8(o + object_record::enemy_timer), c.passes ? 100 : 1);
        EXPECT_EQ(ram8(o + pe::ai_segment), c.segment_after);
        EXPECT_EQ(ram16(o), 0x41) << "the flags word comes back";
        EXPECT_EQ(r(1), 0x1111u);
        if (c.box) {
            ASSERT_EQ(probes_.size(), 1u);
            EXPECT_EQ(probes_[0].box, c.box);
            EXPECT_EQ((probes_[0].flags >> 6) & 1, 0u) << "not mirrored while probing";
        } else {
            EXPECT_TRUE(probes_.empty());
        }
    }
}

TEST_F(PlatformAi, AWalkSnapsToTheSegmentEndAndLandsInTheSameFrame) {
    const struct {
        uint8_t state;
        int16_t x, x_after;
        uint8_t state_after;
    } cases[] = {{ai_state::walk_right, 1195, 1199, ai_state::walk_right},
                 {ai_state::walk_right, 1196, 1200, kLanding},
                 {ai_state::walk_right, 1199, 1200, kLanding},
                 {ai_state::walk_left, 505, 501, ai_state::walk_left},
                 {ai_state::walk_left, 504, 500, kLanding},
                 {ai_state::walk_left, 501, 500, kLanding}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        init_objects();
        const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, c.state, c.x);
        pass();
        EXPECT_EQ(s16(o + object_record::world_x), c.x_after);
        EXPECT_EQ(ram8(o + object_record::state), c.state_after);
        EXPECT_EQ(ram8(o + object_record::enemy_timer), c.state_after == kLanding ? 100 : 99);
    }
}

TEST_F(PlatformAi, WalkStartsFaceTheirWayWithANewTime) {
    randoms_ = {0x12345683};
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::walk_right_start);
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_state::walk_right);
    EXPECT_EQ(ram8(o + object_record::enemy_timer), 0x42);
    EXPECT_EQ(started_, std::vector<uint32_t>{kAnimWalk});
    EXPECT_TRUE(flag(o, 6));
    EXPECT_EQ(s16(o + object_record::world_x), 804);
    orb_write8(o + object_record::state, ai_state::walk_left_start);
    randoms_ = {0x7F};
    pass();
    EXPECT_FALSE(flag(o, 6));
    EXPECT_EQ(ram8(o + object_record::enemy_timer), 0x7F - 1);
    EXPECT_EQ(s16(o + object_record::world_x), 800);
}

// The high jump rises without floor tests until velocity_y is no longer
// negative, then falls onto the (new) segment's floor.
TEST_F(PlatformAi, HighJumpRisesThenLandsOnTheNewFloor) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::high_jump, 1150, 300);
    orb_write8(o + pe::ai_segment, 16);  // as the next-segment test left it
    pass();
    EXPECT_TRUE(flag(o, object_flag::airborne));
    EXPECT_EQ(ram8(o + object_record::state), ai_state::high_jump_rise);
    EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_y)), -20);
    int y = 300;
    for (int v = -19; v < 0; ++v) {
        pass();
        y += v;
        ASSERT_EQ(s16(o + object_record::world_y), y) << v;
    }
    EXPECT_EQ(y, 300 - 190);
    pass();  // speed 0: the fall animation, no move
    EXPECT_EQ(ram8(o + object_record::state), ai_state::flight);
    EXPECT_EQ(s16(o + object_record::world_y), y);
    ASSERT_GE(started_.size(), 1u);
    EXPECT_EQ(started_.back(), kAnimFall);
    int frames = 0;
    while (ram8(o + object_record::state) == ai_state::flight && frames < 100) {
        pass();
        ++frames;
    }
    EXPECT_EQ(frames, 13) << "110 + 1 + 2 + ... + 13 passes 200";
    EXPECT_EQ(s16(o + object_record::world_y), 200);
    EXPECT_EQ(ram8(o + object_record::state), kLanding);
    EXPECT_FALSE(flag(o, object_flag::airborne));
}

TEST_F(PlatformAi, TheLowJumpIsPutOnAHigherFloorAtOnce) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::low_jump, 1150, 300);
    orb_write8(o + pe::ai_segment, 16);
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_state::flight);
    EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_y)), -14);
    pass();
    EXPECT_EQ(s16(o + object_record::world_y), 200);
    EXPECT_EQ(ram8(o + object_record::state), kLanding);
}

TEST_F(PlatformAi, CameraOutsideTheWindowFreezesTheEnemyAndKeepsItsHitPending) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::walk_right);
    orb_write16(o + pe::ai_window_left, 10);
    orb_write16(o, 0x0001 | 1u << 5 | 1u << object_flag::hit);
    pass();
    EXPECT_EQ(ram16(o), 0x0001 | 1 << object_flag::hit) << "not listed, the hit still pending";
    EXPECT_EQ(s16(o + object_record::world_x), 800);
    EXPECT_TRUE(sounds_.empty());
    EXPECT_EQ(calls(sub_08814E /* register boxes */), 0);
    EXPECT_EQ(ring(), std::vector<uint32_t>{o});
    orb_write16(o + pe::ai_window_left, 0);  // the camera at 0 is inside again
    pass();
    EXPECT_EQ(sounds_, std::vector<uint8_t>{kHitSound});
}

// Open bounds: camera x - 1280 < x < camera x + 2560, y - 896 < y < y + 1792.
TEST_F(PlatformAi, TheActiveAreaHasOpenBounds) {
    orb_write16(var::playfield_camera + camera_record::x, 1000);
    orb_write16(var::playfield_camera + camera_record::y, 100);
    const struct {
        int16_t x, y;
        bool stays;
    } cases[] = {{-279, 300, true}, {-280, 300, false}, {3559, 300, true}, {3560, 300, false},
                 {800, -795, true}, {800, -796, false}, {800, 1891, true}, {800, 1892, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        init_objects();
        orb_write8(var::live_enemy_count, 5);
        const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait, c.x, c.y);
        const uint16_t free = ram16(kFree128);
        pass();
        EXPECT_EQ(ring().size(), c.stays ? 1u : 0u);
        EXPECT_EQ(ram8(var::live_enemy_count), c.stays ? 5 : 4);
        EXPECT_EQ(ram16(kFree128), c.stays ? free : free + 1);
        // sub_07AB3F: the same test, clearing bit 0 only.
        orb_write16(o, 0x8001);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_07AB3F));
        EXPECT_EQ(ram16(o), c.stays ? 0x8001 : 0x8000);
        if (!c.stays) {
            EXPECT_EQ(cpu.cy, 1);
            EXPECT_EQ(cpu.z, 0);
        }
    }
}

TEST_F(PlatformAi, AnAreaChangeCountsOffUnlinksAndReleases) {
    orb_write8(var::live_enemy_count, 2);
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait);
    const uint32_t other = spawn(kTestEntry[1], sub_088C67);
    fake(kTestEntry[1]);
    orb_write32(var::game_flags, orb_read32(var::game_flags) | 1u << game_flag::area_change);
    const uint16_t free = ram16(kFree128);
    pass();
    EXPECT_EQ(ring(), std::vector<uint32_t>{other});
    EXPECT_EQ(ram8(var::live_enemy_count), 1);
    EXPECT_EQ(ram16(kFree128), free + 1);
    EXPECT_EQ(ram16(kFree128 + 2 * (free + 1)), static_cast<uint16_t>(o));
    EXPECT_EQ(calls(kTestEntry[1]), 1) << "the pass goes on with the next object";
}

// A guard that acts ends its caller's frame: the caller sees a return that
// is not its own.
TEST_F(PlatformAi, TheStateGuardSkipsStateZeroAndLeavesTheCount) {
    orb_write8(var::live_enemy_count, 2);
    bool came_back = false;
    fake(kTestEntry[3], [&] {
        if (!try_call(sub_07AAE9)) return ended::already;
        came_back = true;
        return ended::by_return;
    });
    for (uint8_t state : {0, 5}) {
        SCOPED_TRACE(int{state});
        init_objects();
        came_back = false;
        placed(kTestEntry[3], 0, state, 5000);
        pass();
        EXPECT_EQ(came_back, state == 0);
        EXPECT_EQ(ring().size(), state == 0 ? 1u : 0u);
        EXPECT_EQ(ram8(var::live_enemy_count), 2);
    }
}

TEST_F(PlatformAi, HitsStunOnTheGroundKnockBackInTheAirAndCountTheDefeat) {
    plant8(rom::ai_hit_states, ai_state::stun);
    plant8(0x07AE77, ai_state::knockback);
    plant8(0x07AE78, ai_state::defeat);
    plant8(rom::ai_stun_frames, 6);  // stun frames by the nibble index 0
    const struct {
        const char* name;
        uint32_t bits;
        uint8_t state;
        uint8_t stun;
    } cases[] = {{"ground", 0, ai_state::stun, 6},
                 {"airborne", 1u << object_flag::airborne, ai_state::knockback, 0},
                 {"defeat", 1u << object_flag::defeated, ai_state::defeat, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sounds_.clear();
        const uint32_t attacker = var::player_records + 2 * 0x100;
        orb_write8(attacker + player_record::slot, 2);
        const uint32_t counter = var::tally_records + 32 * 2 + 2 * kCategory;
        orb_write16(counter, 40);
        const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::walk_right);
        orb_write16(o + object_record::last_attacker, static_cast<uint16_t>(attacker));
        orb_write16(o, 0x0001 | 1u << object_flag::hit | c.bits);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_07A976));
        EXPECT_EQ(ram8(o + object_record::state), c.state);
        EXPECT_EQ(ram8(o + pe::ai_stun_timer), c.stun);
        EXPECT_EQ(sounds_, std::vector<uint8_t>{kHitSound});
        EXPECT_EQ(
            ram16(o) & (1 << object_flag::hit | 1 << object_flag::defeated | 1 << object_flag::intangible),
            1 << object_flag::intangible);
        EXPECT_EQ(ram16(counter), c.state == ai_state::defeat ? 41 : 40);
    }
}

TEST_F(PlatformAi, AStunOfZeroOrOneEndsInItsFirstFrame) {
    for (uint8_t frames : {0, 1, 2, 5}) {
        SCOPED_TRACE(int{frames});
        init_objects();
        const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::stun);
        orb_write8(o + pe::ai_stun_timer, frames);
        set_flag(o, object_flag::intangible);
        int lasted = 0;
        do {
            pass();
            ++lasted;
        } while (ram8(o + object_record::state) != kLanding && lasted < 10);
        EXPECT_EQ(lasted, frames <= 1 ? 1 : frames);
        EXPECT_FALSE(flag(o, object_flag::intangible));
    }
}

TEST_F(PlatformAi, KnockBackFallsToTheFloorAndIsTangibleAgain) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::knockback, 800, 290);
    orb_write8(o + object_record::velocity_y, 0);
    orb_write16(o, 0x0001 | 1u << object_flag::intangible | 1u << object_flag::airborne);
    passes(4);  // 291, 293, 296, 300
    EXPECT_EQ(s16(o + object_record::world_y), 300);
    EXPECT_EQ(ram8(o + object_record::state), kLanding);
    EXPECT_EQ(ram16(o), 0x0001 | 1 << 5) << "tangible, on the ground, listed";
    EXPECT_EQ(started_, std::vector<uint32_t>{kAnimKnockback});
    EXPECT_EQ(calls(sub_061FB6 /* tick */), 4);
}

// 23 to 26: pop up at -8, fall while the animation runs, then shrink; gone
// once screen y passes 256.
TEST_F(PlatformAi, TheDefeatPopsFallsShrinksAndLeaves) {
    orb_write8(var::live_enemy_count, 3);
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::defeat, 800, 300);
    orb_write16(o + pe::part_word2, 0xA400 | 0x3F4);
    orb_write16(o + pe::part_word3, 9);
    orb_write16(o + object_record::partner, 0x1234);
    int ticks = 0;
    tick_ = [&](uint32_t t) {
        if (++ticks == 3) orb_write8(t + object_record::frame_duration, 0);
    };
    pass();
    EXPECT_EQ(started_, std::vector<uint32_t>{kAnimDefeat});
    EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_y)), -7);
    EXPECT_EQ(s16(o + object_record::world_y), 293);
    EXPECT_EQ(calls(sub_08814E /* register boxes */), 0) << "no hit boxes while beaten";
    passes(7);  // the rise to speed 0
    EXPECT_EQ(ram8(o + object_record::state), ai_state::defeat_rise);
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_state::defeat_fall);
    passes(2);  // the animation ends in the third tick
    EXPECT_EQ(ram8(o + object_record::state), ai_state::shrink);
    std::vector<uint16_t> w2, w3;
    const uint16_t free = ram16(kFree128);
    for (int i = 0; i < 400 && ring().size() == 1; ++i) {
        w2.push_back(ram16(o + pe::part_word2));
        w3.push_back(ram16(o + pe::part_word3));
        pass();
    }
    ASSERT_GE(w3.size(), 3u);
    EXPECT_EQ(w2[0], 0xA400 | 0x3FA);
    EXPECT_EQ(w2[1], 0xA400 | 0x3FF) << "0x400 has low bits 0";
    EXPECT_EQ(w3[0], 5);
    EXPECT_EQ(w3[1], 1);
    EXPECT_EQ(w3[2], 0) << "stops at 0";
    EXPECT_EQ(w3.back(), 0);
    EXPECT_TRUE(ring().empty());
    EXPECT_GT(s16(o + object_record::screen_y), 256);
    EXPECT_EQ(ram8(var::live_enemy_count), 2);
    EXPECT_EQ(ram16(o + object_record::flags), 0);
    EXPECT_EQ(ram16(o + object_record::partner), 0);
    EXPECT_EQ(ram16(kFree128), free + 1);
}

TEST_F(PlatformAi, TheShrinkFillsTheLowBitsWhenTheyComeToZero) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::shrink);
    orb_write16(o + pe::part_word2, 0x03FA);
    orb_write16(o + pe::part_word3, 0x0003);
    pass();
    EXPECT_EQ(ram16(o + pe::part_word2), 0x03FF) << "0x400 has low bits 0";
    EXPECT_EQ(ram16(o + pe::part_word3), 0x0000);
}

class TypeZero : public PlatformAi {
protected:
    void SetUp() override {
        PlatformAi::SetUp();
        plant_type(0, entry::sub_07A7B0 /* type 0 watch */);
        plant8(rom::ai_type0_attack_states, 11);
        plant8(0x07AE6B, 15);
        plant8(rom::ai_type0_windup_frames, 5);      // wind-up
        plant8(rom::ai_type0_strike_strengths, 12);  // strike strength
        plant8(rom::ai_type0_throw_strengths, 7);    // throw strength
        plant8(rom::ai_type0_throw, static_cast<uint8_t>(-6));
        plant8(0x07AE6D, 1);
        plant16(0x07AE6E, static_cast<uint16_t>(-40));
        plant16(0x07AE70, 8);
    }
};

TEST_F(TypeZero, TheWatchAlternatesItsProbeBoxesThenStartsTheAttack) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait);
    orb_write8(o + pe::ai_attack_timer, 2);
    int frames_seen = 0;
    touch_ = [&](uint32_t, uint32_t) { return frames_seen == 4; };
    std::vector<uint32_t> boxes;
    for (; frames_seen < 5; ++frames_seen) {
        pass();
        if (!probes_.empty()) boxes.push_back(probes_.back().box), probes_.clear();
    }
    EXPECT_EQ(boxes, (std::vector<uint32_t>{0x07AE62, rom::ai_type0_boxes, 0x07AE62, rom::ai_type0_boxes}));
    EXPECT_EQ(ram8(o + object_record::state), ai_type0_state::strike) << "the strike box's state";
    EXPECT_EQ(ram8(o + pe::ai_attack_timer), 5);
    EXPECT_EQ(ram8(o + object_record::enemy_timer), 100 - 4)
        << "the wait's count skipped in the attack frame";
    EXPECT_EQ(calls(sub_08814E /* register boxes */), 5)
        << "the callback placed and registered the enemy itself";
}

TEST_F(TypeZero, TheWatchProbesOnlyOnScreen) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_state::wait, 800, 300);
    orb_write8(o + pe::ai_attack_timer, 1);
    orb_write16(var::playfield_camera + camera_record::x, 3300);  // screen x -25
    orb_write16(o + pe::ai_window_right, 8000);
    pass();
    EXPECT_TRUE(probes_.empty());
}

TEST_F(TypeZero, TheStrikeHitsOnceInAnimationFrameOne) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_type0_state::strike);
    orb_write8(o + pe::ai_attack_timer, 3);
    int ticks = 0;
    tick_ = [&](uint32_t t) {
        ++ticks;
        orb_write8(t + object_record::frame_index, ticks >= 2 ? 1 : 0);
        if (ticks == 5) orb_write8(t + object_record::frame_duration, 0);
    };
    passes(10);
    EXPECT_EQ(started_, std::vector<uint32_t>{0x134B02});
    ASSERT_EQ(calls_of_box(entry::sub_088431 /* box hit: halfword box, hits */), 1);
    EXPECT_EQ(probes_[0].box, rom::ai_type0_boxes);
    EXPECT_EQ(probes_[0].strength, 12u);
    EXPECT_EQ(ram8(o + object_record::state), kLanding);
}

TEST_F(TypeZero, TheThrowReleasesOneObjectWithItsSound) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_type0_state::throw_start);
    orb_write8(o + pe::ai_attack_timer, 1);
    tick_ = [&](uint32_t t) {
        if (t == o) orb_write8(t + object_record::frame_index, 1);
    };
    randoms_ = {0x100};  // low byte 0: a second throw
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_type0_state::throw_recover);
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 2u);
    const uint32_t thrown = objects[1];
    EXPECT_GE(thrown, var::objects_64);
    EXPECT_EQ(ram32(thrown + object_record::routine), entry::sub_07A3DA);
    EXPECT_EQ(ram16(thrown + object_record::owner), static_cast<uint16_t>(o));
    EXPECT_EQ(sounds_, std::vector<uint8_t>{0xEA});
}

TEST_F(TypeZero, NoFreeObjectNoThrowNoSoundButTheStateAdvances) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_type0_state::throw_release);
    orb_write16(var::free_stack_64, 0);
    tick_ = [&](uint32_t t) { orb_write8(t + object_record::frame_index, 1); };
    pass();
    EXPECT_EQ(ram8(o + object_record::state), ai_type0_state::throw_recover);
    EXPECT_EQ(ring().size(), 1u);
    EXPECT_TRUE(sounds_.empty());
}

TEST_F(TypeZero, ARandomByteOf39RepeatsTheThrowAnd40DoesNot) {
    for (uint32_t random : {0xFFFFFF27u, 0x28u, 0u, 0xFFu}) {
        SCOPED_TRACE(random);
        init_objects();
        const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, ai_type0_state::throw_recover);
        orb_write8(o + object_record::frame_duration, 0);
        randoms_ = {random};
        pass();
        EXPECT_EQ(ram8(o + object_record::state),
                  (random & 0xFF) <= 39 ? ai_type0_state::throw_start : kLanding);
    }
}

TEST_F(TypeZero, StateTwentyEightEndsTheRun) {
    const uint32_t o = placed(entry::sub_07A278 /* type 0 */, 0, 28);
    cpu.reg[20] = o;
    EXPECT_EXIT(run(sub_07A278), ::testing::ExitedWithCode(3),
                "Jump from 07A28D to 07A2E4 has no translated target");
}

TEST_F(TypeZero, ThrownObjectFliesUntilItTouchesOrLeavesTheScreen) {
    const struct {
        const char* name;
        int16_t owner_x;
        bool mirrored;
        int touch_frame;  // 0: never
        int frames_alive;
    } cases[] = {{"off screen at once", 2400, false, 0, 0},
                 {"touches in its third frame", 800, false, 3, 2},
                 {"mirrored, flies on", 800, true, 0, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        init_objects();
        probes_.clear();
        const uint32_t owner = placed(kTestEntry[2], 0, 0, c.owner_x, 300);
        fake(kTestEntry[2]);
        if (c.mirrored) set_flag(owner, 6);
        const uint32_t t = spawn(entry::sub_07A3DA, sub_088C77);
        orb_write16(t + object_record::owner, static_cast<uint16_t>(owner));
        const uint16_t free = ram16(var::free_stack_64);
        int frame = 0;
        touch_ = [&](uint32_t, uint32_t) { return frame == c.touch_frame; };
        std::vector<int16_t> xs;
        for (frame = 1; frame <= 5 && ring().size() == 2; ++frame) {
            pass();
            xs.push_back(s16(t + object_record::world_x));
        }
        EXPECT_EQ(static_cast<int>(ring().size()), c.frames_alive == 5 ? 2 : 1);
        EXPECT_EQ(ram16(var::free_stack_64), c.frames_alive == 5 ? free : free + 1);
        if (c.frames_alive < 5) {
            EXPECT_EQ(ram16(var::free_stack_64 + 2 * (free + 1)), static_cast<uint16_t>(t));
        }
        const int sign = c.mirrored ? -1 : 1;
        ASSERT_GE(xs.size(), 1u);
        EXPECT_EQ(xs[0], c.owner_x + sign * (-40 - 6));
        if (xs.size() > 1) {
            EXPECT_EQ(xs[1], c.owner_x + sign * (-40 - 12));
        }
        EXPECT_EQ(flag(t, 6), c.mirrored);
        EXPECT_EQ(s16(t + object_record::height), 224);
        EXPECT_EQ(s16(t + object_record::world_y), 300 + 8 + static_cast<int>(xs.size()));
        for (const auto& p : probes_) {
            EXPECT_EQ(p.box, rom::ai_type0_thrown_box);
            EXPECT_EQ(p.strength, 7u);
        }
    }
}

TEST_F(TypeZero, ThrownObjectStateThreeEndsTheRun) {
    const uint32_t t = spawn(entry::sub_07A3DA, sub_088C77);
    orb_write8(t + object_record::state, 3);
    cpu.reg[20] = t;
    EXPECT_EXIT(run(sub_07A3DA), ::testing::ExitedWithCode(3),
                "Jump from 07A3E3 to 07A3EF has no translated target");
}

}  // namespace
