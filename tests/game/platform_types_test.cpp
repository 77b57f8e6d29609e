// Platform enemies of AI types 1 to 4, type 3's thrown object, the short
// effect and the random player pick, run through the object runner on the
// real pools.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/continuations.h"
#include "game/actors/tables.h"
#include "game/engine/states.h"
#include "tests/game/platform_fixture.h"

namespace {

using namespace platform_test;

class PlatformTypes : public PlatformEnemies {
protected:
    void SetUp() override {
        PlatformEnemies::SetUp();
        for (uint8_t type : {1, 2, 3, 4}) plant_type(type);
    }
    // A caller that records whether the routine came back to it.
    void caller(uint32_t entry, v60_routine routine, uint32_t r1 = 0) {
        fake(entry, [this, routine, r1] {
            came_back_ = false;
            cpu.reg[1] = r1;
            if (!try_call(routine)) return ended::already;
            came_back_ = true;
            return ended::by_return;
        });
    }
    bool came_back_ = false;
};

TEST_F(PlatformTypes, TypesOneAndFourSetTheirTypeAndVariantThenRun) {
    plant32(rom::type1_states, 0x07BC77);
    const struct {
        uint32_t entry;
        uint8_t type, variant;
    } cases[] = {{entry::sub_07BBAA, 1, 0}, {entry::sub_07BBB6, 4, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.type});
        init_objects();
        orb_write8(var::live_enemy_count, 0);
        const uint32_t o = enemy(c.entry, 7);
        pass();
        EXPECT_EQ(ram8(o + object_record::type), c.type);
        EXPECT_EQ(ram8(o + pe::ai_variant), c.variant);
        EXPECT_EQ(ram32(o + object_record::routine), entry::sub_07BBC9 /* type 1 */);
        EXPECT_EQ(ram8(o + object_record::state), ai_state::start) << "the set-up ran in the same frame";
        EXPECT_EQ(ram8(var::live_enemy_count), 1);
        EXPECT_EQ(s16(o + pe::ai_window_right), 1800 + 2000);
    }
}

// A state-table entry none of the type's cases names ends the run, and so
// does a thrown object's state past the guest's table.
TEST_F(PlatformTypes, AnUnknownStateEndsTheRun) {
    // The defeat pop is reached through each type's own defeat state only.
    plant32(rom::type1_states + 4 * 3, entry::sub_07A70C);
    plant32(rom::type2_states + 4 * 3, entry::sub_07A535);  // no walks for type 2
    plant32(rom::type3_states + 4 * 3, continuation::start_code);
    const struct {
        const char* name;
        uint32_t routine;
        v60_routine body;
        uint8_t state;
        const char* message;
    } cases[] = {
        {"types 1 and 4", entry::sub_07BBC9 /* type 1 */, sub_07BBC9, 3,
         "Jump from 07BBF4 to 07A70C has no translated target"},
        {"type 2", entry::sub_07D5BE /* type 2 */, sub_07D5BE, 3,
         "Jump from 07D5FA to 07A535 has no translated target"},
        {"type 3", entry::sub_07D95C /* type 3 */, sub_07D95C, 3,
         "Jump from 07D98C to 07A4F5 has no translated target"},
        {"type 3's object", entry::sub_07DABD, sub_07DABD, 7,
         "Jump from 07DAEB to 07DB03 has no translated target"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t o = placed(c.routine, 3, c.state);
        orb_write16(o + object_record::owner, static_cast<uint16_t>(o));
        cpu.reg[20] = o;
        EXPECT_EXIT(run(c.body), ::testing::ExitedWithCode(3), c.message);
    }
}

// The watch of types 1 and 4: index R1 + probe side bit 0; the interval goes
// into the four bytes at +56 at once; the branch of the index decides.
TEST_F(PlatformTypes, TheWatchBranchesByItsIndex) {
    plant8(rom::type1_watch_interval + 15, 30);  // the caller's routine 0xFE0004 gives the nibble index 15
    plant32(rom::type1_watch_boxes + 4 * 3, 0x123400);  // index 2 + side 1
    const struct {
        const char* name;
        uint32_t branch;
        int16_t x;
        bool faces_right;
        uint8_t state;  // 2: unchanged
    } cases[] = {
        {"high jump", continuation::watch_high_jump, 800, false, 24},
        {"jump back", continuation::watch_ground_strike, 800, false, 19},
        {"strike, room on the right", continuation::watch_jump_back, 1055, false, 15},
        {"strike, no room on the right", continuation::watch_jump_back, 1056, false, 2},
        {"strike, room on the left", continuation::watch_jump_back, 645, true, 15},
        {"strike, no room on the left", continuation::watch_jump_back, 644, true, 2},
    };
    caller(kTestEntry[4], sub_07BEB3, 0xFFFFFF02);
    touch_ = [](uint32_t, uint32_t) { return true; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        init_objects();
        probes_.clear();
        plant32(rom::type1_watch_branches + 4 * 3, c.branch);
        const uint32_t o = placed(kTestEntry[4], 1, 2, c.x);
        if (c.faces_right) set_flag(o, 6);
        orb_write32(o + pe::ai_attack_timer, 0xBBAA0701);  // timer 1, stun 7, +58, +59
        pass();
        ASSERT_EQ(probes_.size(), 1u);
        EXPECT_EQ(probes_[0].box, 0x123400u);
        EXPECT_EQ(ram32(o + pe::ai_attack_timer), 30u) << "+57 to +59 cleared with it";
        EXPECT_EQ(ram8(o + object_record::state), c.state);
        EXPECT_EQ(came_back_, c.state == 2) << "a new state ends the calling action";
    }
    plant32(rom::type1_watch_branches + 4 * 3, 0x07BF04);
    init_objects();
    const uint32_t o = placed(kTestEntry[4], 1, 2);
    orb_write8(o + pe::ai_attack_timer, 1);
    EXPECT_EXIT(passes(1), ::testing::ExitedWithCode(3),
                "Jump from 07BEF6 to 07BF04 has no translated target");
}

TEST_F(PlatformTypes, TheWatchWaitsForItsTimerAndAlternatesItsBoxes) {
    plant32(rom::type1_watch_boxes + 0, 0x123000);
    plant32(rom::type1_watch_boxes + 4, 0x123100);
    caller(kTestEntry[4], sub_07BEB0);
    const uint32_t o = placed(kTestEntry[4], 4, 2);
    orb_write8(o + pe::ai_attack_timer, 3);
    passes(2);
    EXPECT_TRUE(probes_.empty());
    passes(3);
    ASSERT_EQ(probes_.size(), 3u);
    EXPECT_EQ(probes_[0].box, 0x123100u);
    EXPECT_EQ(probes_[1].box, 0x123000u);
    EXPECT_EQ(probes_[2].box, 0x123100u);
    EXPECT_TRUE(came_back_);
}

// The jump back turns the enemy before it leaves the ground and moves it 3 a
// frame in its new direction.
TEST_F(PlatformTypes, TheJumpBackTurnsThenMovesAtThree) {
    plant32(rom::type1_states + 4 * 5, 0x07BC83);
    plant32(rom::type1_states + 4 * 6, 0x07BCBD);
    plant32(rom::jump_start_animations + 4, 0x130000);  // variant 1
    for (bool faced_right : {true, false}) {
        SCOPED_TRACE(faced_right);
        init_objects();
        sounds_.clear();
        const uint32_t o = placed(entry::sub_07BBC9 /* type 1 */, 4, 5);
        orb_write8(o + pe::ai_variant, 1);
        if (faced_right) set_flag(o, 6);
        pass();
        EXPECT_EQ(flag(o, 6), !faced_right);
        EXPECT_TRUE(flag(o, object_flag::airborne));
        EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_x)), faced_right ? -3 : 3);
        EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_y)), -24);
        EXPECT_EQ(s16(o + object_record::world_x), 800) << "not moved in the first frame";
        ASSERT_GE(started_.size(), 1u);
        EXPECT_EQ(started_.back(), 0x130000u);
        EXPECT_EQ(sounds_, std::vector<uint8_t>{0xF4});
        passes(2);
        EXPECT_EQ(s16(o + object_record::world_x), 800 + (faced_right ? -6 : 6));
        EXPECT_EQ(s16(o + object_record::world_y), 300 - 23 - 22);
    }
}

TEST_F(PlatformTypes, TheJumpBackDescentStrikesAndLandsInStateOne) {
    plant32(rom::type1_states + 4 * 7, 0x07BCEB);
    plant32(rom::type1_states + 4 * 8, 0x07BCF3);
    plant8(rom::jump_back_strengths, 9);
    const uint32_t o = placed(entry::sub_07BBC9 /* type 1 */, 1, 7, 800, 290);
    orb_write8(o + object_record::velocity_x, 3);
    orb_write8(o + object_record::velocity_y, 0);
    tick_ = [](uint32_t t) { orb_write8(t + object_record::frame_index, 1); };
    pass();  // frame index 0: the descent step alone
    EXPECT_TRUE(probes_.empty());
    EXPECT_EQ(ram8(o + object_record::state), 7);
    EXPECT_EQ(s16(o + object_record::world_y), 291);
    pass();  // frame index 1 seen: on to 8, box tested in this frame
    EXPECT_EQ(ram8(o + object_record::state), 8);
    ASSERT_EQ(probes_.size(), 1u);
    EXPECT_EQ(probes_[0].box, rom::jump_back_box);
    EXPECT_EQ(probes_[0].strength, 9u);
    passes(2);  // 296, then 300: the floor
    EXPECT_EQ(s16(o + object_record::world_y), 300);
    EXPECT_EQ(ram8(o + object_record::state), ai_state::start);
    EXPECT_EQ(s16(o + object_record::world_x), 800 + 3 * 4);
}

TEST_F(PlatformTypes, TypeTwoWatchTakesOnlyAPlayerItMayLeapAt) {
    plant32(rom::reach_mask, 1u << 3);  // the low half is read for codes 0 to 15
    plant16(rom::reach_box, static_cast<uint16_t>(-400));
    plant16(0x07D946, 400);
    plant16(0x07D948, static_cast<uint16_t>(-200));
    plant16(0x07D94A, 200);
    plant8(rom::leap_windup, 12);
    const struct {
        const char* name;
        uint16_t flags;
        uint8_t state, code;
        int16_t x, y;
        bool leaps;
    } cases[] = {
        {"in reach", 0x0001, player_state::fall, 3, 1000, 350, true},
        {"right edge", 0x0001, player_state::rising, 3, 1200, 500, true},
        {"left edge", 0x0001, player_state::attack, 3, 400, 350, false},
        {"just inside left", 0x0001, player_state::attack, 0x13, 401, 101, true},
        {"not in play", 0x0000, player_state::fall, 3, 1000, 350, false},
        {"hit", 0x0101, player_state::fall, 3, 1000, 350, false},
        {"untouchable", 0x0005, player_state::fall, 3, 1000, 350, false},
        {"state 5", 0x0001, player_state::jump_takeoff, 3, 1000, 350, false},
        {"state 12", 0x0001, player_state::attack_swing, 3, 1000, 350, false},
        {"not in the mask", 0x0001, player_state::fall, 4, 1000, 350, false},
        {"too low", 0x0001, player_state::fall, 3, 1000, 501, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t player = var::player_records + 0x100;
        orb_write16(player, c.flags);
        orb_write8(player + object_record::state, c.state);
        orb_write8(player + player_record::player_code, c.code);
        orb_write16(player + object_record::world_x, static_cast<uint16_t>(c.x));
        orb_write16(player + object_record::world_y, static_cast<uint16_t>(c.y));
        const uint32_t o = placed(entry::sub_07D5BE /* type 2 */, 2, 2, 800, 300);
        randoms_ = {0xFFFFF1FF};  // AND 0x300: player 1
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_07D83C));
        EXPECT_EQ(ram8(o + object_record::state), c.leaps ? 15 : 2);
        if (!c.leaps) continue;
        EXPECT_EQ(s16(o + pe::ai_target_x), c.x);
        EXPECT_EQ(s16(o + pe::ai_target_y), c.y);
        EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_x)), (c.x - 800 + 16) >> 5);
        EXPECT_EQ(ram8(o + pe::ai_facing_code), 3);
        EXPECT_EQ(ram8(o + pe::ai_attack_timer), 12);
    }
}

// The leap lands on the point it aimed at, wherever the player has gone.
TEST_F(PlatformTypes, TheLeapLandsOnItsAimPoint) {
    plant32(rom::type2_states + 4 * 15, 0x07D6B2);
    plant32(rom::type2_states + 4 * 16, 0x07D6ED);
    plant32(rom::type2_states + 4 * 17, 0x07D71E);
    plant8(rom::landing_strengths, 4);
    const uint32_t o = placed(entry::sub_07D5BE /* type 2 */, 2, 15, 800, 300);
    orb_write16(o + pe::ai_target_x, 1000);
    orb_write16(o + pe::ai_target_y, 350);
    orb_write8(o + object_record::velocity_x, 6);
    orb_write8(o + pe::ai_attack_timer, 2);
    orb_write16(o + object_record::partner, 0x4444);
    pass();
    EXPECT_EQ(ram8(o + object_record::state), 15) << "wind-up";
    pass();
    EXPECT_EQ(ram8(o + object_record::state), 16);
    EXPECT_EQ(s16(o + object_record::world_y), 300 - 32) << "the rise runs at once";
    EXPECT_EQ(s16(o + pe::ai_home_x), 800);
    EXPECT_EQ(sounds_, std::vector<uint8_t>{0xF4});
    int frames = 2;
    while (ram8(o + object_record::state) != ai_state::start && frames < 200) {
        pass();
        ++frames;
    }
    EXPECT_EQ(s16(o + object_record::world_x), 1000);
    EXPECT_EQ(s16(o + object_record::world_y), 350);
    EXPECT_FALSE(flag(o, object_flag::airborne));
    EXPECT_EQ(ram16(o + object_record::partner), 0);
    EXPECT_GT(calls_of_box(entry::sub_08834C /* box bytes hit */), 30);
    ASSERT_GE(probes_.size(), 1u);
    EXPECT_EQ(probes_.back().box, rom::landing_box);
    EXPECT_EQ(probes_.back().strength, 4u);
}

TEST_F(PlatformTypes, TypeTwoHitStatesMoveOnByThreeAboveFifteen) {
    for (uint8_t state : {2, 15, 16, 17}) {
        SCOPED_TRACE(int{state});
        init_objects();
        const uint32_t base = rom::type2_hit_states + (state > 15 ? 3 * (state - 15) : 0);
        plant8(base, 40 + state);  // the ground hit's state
        plant32(rom::type2_states + 4 * (40 + state), entry::sub_07A50F);
        const uint32_t o = placed(entry::sub_07D5BE /* type 2 */, 2, state);
        orb_write16(o, 0x0001 | 1 << object_flag::hit);
        pass();
        EXPECT_EQ(ram8(o + object_record::state), 40 + state);
    }
}

class ThrownByTypeThree : public PlatformTypes {
protected:
    void SetUp() override {
        PlatformTypes::SetUp();
        plant16(rom::thrown_offsets + 4, static_cast<uint16_t>(-20));  // variant 1
        plant16(0x07DC46 + 4, 10);
        plant8(rom::thrown_strengths + 2, 6);  // rank step 2
        orb_write8(var::difficulty_rank, 0x2F);
        owner_ = placed(kTestEntry[5], 3, 4, 800, 300);
        fake(kTestEntry[5]);
        orb_write8(owner_ + pe::ai_thrower_variant, 1);
        thrown_ = spawn(entry::sub_07DABD, sub_088C67);
        orb_write16(thrown_ + object_record::owner, static_cast<uint16_t>(owner_));
    }
    uint32_t owner_ = 0, thrown_ = 0;
};

TEST_F(ThrownByTypeThree, FliesOutSlowsComesBackAndIsFreedPastThirtyOne) {
    for (bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored);
        if (mirrored) {
            init_objects();
            owner_ = placed(kTestEntry[5], 3, 4, 800, 300);
            orb_write8(owner_ + pe::ai_thrower_variant, 1);
            set_flag(owner_, 6);
            thrown_ = spawn(entry::sub_07DABD, sub_088C67);
            orb_write16(thrown_ + object_record::owner, static_cast<uint16_t>(owner_));
        }
        probes_.clear();
        pass();
        const int sign = mirrored ? -1 : 1;
        EXPECT_EQ(ram8(thrown_ + object_record::state), mirrored ? 3 : 1);
        EXPECT_EQ(s16(thrown_ + object_record::world_x), 800 - 20 * sign);
        EXPECT_EQ(s16(thrown_ + object_record::world_y), 310);
        EXPECT_EQ(s16(thrown_ + object_record::height), 224);
        EXPECT_EQ(static_cast<int8_t>(ram8(thrown_ + object_record::velocity_x)), -32 * sign);
        pass();  // the thrower's animation is not at its frame yet
        EXPECT_EQ(s16(thrown_ + object_record::world_x), 800 - 20 * sign);
        orb_write8(owner_ + object_record::frame_index, 1);
        int frames = 0;
        int x = 800 - 20 * sign;
        while (ring().size() == 2 && frames < 100) {
            pass();
            x += sign * (frames - 32);
            ++frames;
            if (ring().size() == 2) {
                ASSERT_EQ(s16(thrown_ + object_record::world_x), x) << frames;
            }
        }
        EXPECT_EQ(frames, 65) << "speeds -32 .. 31 move it, 32 frees it";
        ASSERT_EQ(probes_.size(), 64u);
        EXPECT_EQ(probes_[0].box, rom::thrown_box);
        EXPECT_EQ(probes_[0].strength, 6u) << "by the rank step";
    }
}

TEST_F(ThrownByTypeThree, AHitOnItsThrowerShrinksItAway) {
    pass();
    orb_write16(thrown_ + pe::part_word3, 0x8400 | 13);
    orb_write16(thrown_ + pe::part_word2, 0x03FA);
    orb_write16(owner_ + pe::ai_last_flags, 1 << object_flag::hit);
    const uint16_t free = ram16(var::free_stack_128);
    pass();
    EXPECT_EQ(ram8(thrown_ + object_record::state), 5);
    EXPECT_EQ(ram16(thrown_ + pe::part_word3), 0x8400 | 9);
    EXPECT_EQ(ram16(thrown_ + pe::part_word2), 0x03FF);
    passes(2);  // 5, then 1
    EXPECT_EQ(ring().size(), 2u);
    pass();  // below 5: freed
    EXPECT_EQ(ring().size(), 1u);
    EXPECT_EQ(ram16(var::free_stack_128), free + 1);
}

TEST_F(PlatformTypes, TypeThreeThrowsOnlyWithAFreeObject) {
    plant32(rom::type3_states + 4 * 11, 0x07DA1D);
    plant32(rom::type3_states + 4 * 12, 0x07DA49);
    plant32(rom::throw_animations, 0x131000);
    for (bool pool_empty : {false, true}) {
        SCOPED_TRACE(pool_empty);
        init_objects();
        started_.clear();
        const uint32_t o = placed(entry::sub_07D95C /* type 3 */, 3, 11);
        if (pool_empty) orb_write16(var::free_stack_128, 0);
        pass();
        EXPECT_EQ(ram8(o + object_record::state), 12);
        ASSERT_EQ(started_.size(), pool_empty ? 1u : 2u) << "a thrown object starts its own in the same pass";
        EXPECT_EQ(started_[0], 0x131000u);
        const auto objects = ring();
        ASSERT_EQ(objects.size(), pool_empty ? 1u : 2u);
        if (!pool_empty) {
            EXPECT_EQ(ram32(objects[1] + object_record::routine), entry::sub_07DABD);
            EXPECT_EQ(ram16(objects[1] + object_record::owner), static_cast<uint16_t>(o));
        }
    }
}

TEST_F(PlatformTypes, TypeThreeWatchStartsTheThrowWhenItsTimerRunsOut) {
    plant8(rom::type3_interval, 90);
    const uint32_t o = placed(entry::sub_07D95C /* type 3 */, 3, 2);
    orb_write8(o + pe::ai_attack_timer, 2);
    cpu.reg[20] = o;
    ASSERT_TRUE(run(sub_07DC27));
    EXPECT_EQ(ram8(o + object_record::state), 2);
    ASSERT_TRUE(run(sub_07DC27));
    EXPECT_EQ(ram8(o + object_record::state), 11);
    EXPECT_EQ(ram8(o + pe::ai_attack_timer), 90);
}

TEST_F(PlatformTypes, ShortEffectSitsAtItsOwnerThenLeaves) {
    plant16(rom::platform_effect_offsets + 4 * 2, 10);
    plant16(0x07BB68 + 4 * 2, static_cast<uint16_t>(-4));
    const uint32_t owner = placed(kTestEntry[6], 1, 0, 500, 300);
    fake(kTestEntry[6]);
    const uint32_t e = spawn(entry::sub_07B615, sub_088C67);
    orb_write8(e + object_record::type, 2);
    orb_write16(e + object_record::owner, static_cast<uint16_t>(owner));
    pass();
    EXPECT_EQ(ram8(e + object_record::state), 1);
    EXPECT_EQ(s16(e + object_record::world_x), 510);
    EXPECT_EQ(s16(e + object_record::world_y), 296);
    EXPECT_EQ(s16(e + object_record::height), 288);
    EXPECT_EQ(ram8(e + object_record::anim_mode), 1);
    EXPECT_EQ(started_, std::vector<uint32_t>{rom::short_effect_animation});
    EXPECT_EQ(sounds_, std::vector<uint8_t>{205});
    pass();
    EXPECT_TRUE(flag(e, 5)) << "listed while its animation runs";
    tick_ = [](uint32_t t) { orb_write8(t + object_record::frame_duration, 0); };
    const uint16_t free = ram16(var::free_stack_128);
    pass();
    EXPECT_EQ(ring(), std::vector<uint32_t>{owner});
    EXPECT_EQ(ram16(var::free_stack_128), free + 1);
    orb_write8(e + object_record::state, 3);
    cpu.reg[20] = e;
    EXPECT_EXIT(run(sub_07B615), ::testing::ExitedWithCode(3),
                "Jump from 07B61E to 07B62A has no translated target");
}

TEST_F(PlatformTypes, RandomPlayerPick) {
    plant8(rom::player_picks + 4 * 5 + 2, 3);
    plant8(rom::player_picks + 4 * 5 + 1, 0);
    plant16(rom::pick_player_offsets + 2 * 3, 0x2300);  // 0x20A300 - 0x208000, from 0x8000
    const struct {
        const char* name;
        uint8_t slots;
        uint32_t random;
        uint16_t player_flags;
        uint32_t r0;
        bool z;
    } cases[] = {{"no slot in play", 0, 2, 1, 0, true},
                 {"a pick of 0", 5, 1, 1, 0, true},
                 {"player 3 in play", 5, 6, 1, 3, false},
                 {"player 3 out of play", 5, 2, 0, 3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write32(var::game_flags, c.slots);
        orb_write16(0x20A300, c.player_flags);
        randoms_ = {c.random};
        cpu.reg[19] = 0;
        ASSERT_TRUE(run(sub_07B78A));
        EXPECT_EQ(r(0), c.r0);
        EXPECT_EQ(randoms_.empty(), c.slots != 0) << "a number is drawn only with a slot in play";
        if (c.r0) {
            EXPECT_EQ(r(19), 0x20A300u);
            EXPECT_EQ(cpu.z, c.z);
        }
    }
}

}  // namespace
