#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/actors/tables.h"
#include "game/continuations.h"
#include "tests/game/dressing_fixture.h"

namespace {

constexpr uint32_t kTypeBytes = 0x0C0000;  // a data byte per prop type
constexpr uint32_t kScript = 0x0C1000;     // every type's animation: 4 frames, then stop
constexpr uint32_t kKnockScript = 0x0C2000;

class Props : public DressingTest {
protected:
    void SetUp() override {
        DressingTest::SetUp();
        fake(sub_088134 /* register boxes */);
        const uint32_t routines[] = {entry::sub_0815F6,          entry::sub_081732,
                                     entry::sub_0815F6,          continuation::controller_prop,
                                     continuation::guarded_prop, continuation::plain_prop};
        for (uint32_t t = 0; t < 6; ++t) {
            plant8(kTypeBytes + t, static_cast<uint8_t>(t));
            plant32(rom::prop_routines + 4 * t, routines[t]);
            plant32(rom::prop_animations + 4 * t, kScript);
            plant32(rom::prop_knock_animations + 4 * t, kKnockScript);
            plant16(rom::prop_energy + 2 * t, static_cast<uint16_t>(100 + t));
            plant16(rom::prop_scores + 2 * t, static_cast<uint16_t>(500 + t));
            plant8(rom::prop_hit_sounds + t, static_cast<uint8_t>(0x90 + t));
        }
        plant_script(kScript, 4);
        plant_script(kKnockScript, 2, true);
        attacker_ = actor(1);
    }

    uint32_t prop(uint8_t type, int16_t x = 400, int16_t y = 400) {
        const uint32_t p = spawn(entry::sub_0815E2 /* dispatcher */, sub_088C67);
        orb_write32(p + object_record::data_pointer, kTypeBytes + type);
        orb_write16(p + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(p + object_record::world_y, static_cast<uint16_t>(y));
        return p;
    }
    void hit(uint32_t p, bool defeat = false) {
        uint16_t f = ram16(p) | 1u << object_flag::hit;
        if (defeat) f |= 1u << object_flag::defeated;
        orb_write16(p, f);
        orb_write16(p + object_record::last_attacker, static_cast<uint16_t>(attacker_));
    }
    static uint8_t state(uint32_t p) { return ram8(p + object_record::state); }

    uint32_t attacker_ = 0;
};

TEST_F(Props, SetUpByTypeWithACompanionExceptForType2) {
    for (uint8_t type : {0, 1, 2}) {
        SCOPED_TRACE(type);
        const int companions = calls(sub_077B88 /* companion */);
        const uint32_t p = prop(type);
        pass();
        EXPECT_EQ(ram8(p + object_record::type), type);
        EXPECT_EQ(state(p), 1);
        EXPECT_TRUE(flag(p, object_flag::alive));
        EXPECT_EQ(ram16(p + object_record::energy), 100 + type);
        EXPECT_EQ(ram16(p + object_record::score_value), 500 + type);
        EXPECT_EQ(ram32(p + object_record::frame_table), kScript + 1);
        EXPECT_FALSE(shown(p));  // the set-up frame is not drawn
        EXPECT_EQ(calls(sub_077B88 /* companion */) - companions, type == 2 ? 0 : 1);
    }
}

TEST_F(Props, AHitFlashesTenFramesWithoutHitBoxes) {
    const uint32_t p = prop(0);
    pass(2);
    EXPECT_EQ(calls(sub_088134 /* register boxes */), 1);
    hit(p);
    std::string boxes;
    for (int i = 0; i < 12; ++i) {
        const int before = calls(sub_088134 /* register boxes */);
        pass();
        boxes += calls(sub_088134 /* register boxes */) > before ? '#' : '.';
        if (i == 0) {
            EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0x90});
            EXPECT_FALSE(flag(p, object_flag::hit));
        }
    }
    EXPECT_EQ(boxes, "..........##");
    EXPECT_TRUE(shown(p));
}

TEST_F(Props, HitAndDefeatInOneFrameSoundAndEnterTheDefeat) {
    for (uint8_t type : {0, 1}) {
        SCOPED_TRACE(type);
        const uint32_t p = prop(type);
        pass(2);
        hit(p, true);
        pass();
        ASSERT_GE(sounds(var::sound_ring_a).size(), 1u);
        EXPECT_EQ(sounds(var::sound_ring_a).back(), 0x90 + type);
        EXPECT_EQ(state(p), 2);
        EXPECT_FALSE(flag(p, object_flag::defeated));
        EXPECT_EQ(ram8(p + prop_record::flash_timer), 10);  // not counted in the defeat frame
    }
}

TEST_F(Props, BreakablePropPlaysOutWaitsBlinksAndGoes) {
    const uint32_t p = prop(0);
    pass(2);
    hit(p, true);
    pass();
    std::string shown_frames;
    int frames = 0;
    while (on_ring(p)) {
        pass();
        if (!on_ring(p)) break;
        ++frames;
        if (state(p) == 5) shown_frames += shown(p) ? '#' : '.';
        ASSERT_LT(frames, 200);
    }
    EXPECT_FALSE(flag(p, object_flag::alive));
    // Animation frames 1..3 left and the stop (4 frames incl. the one that
    // starts the wait), 29 more of waiting, the blink's 31: gone on the 32nd.
    EXPECT_EQ(shown_frames.size(), 31u);
    EXPECT_EQ(std::count(shown_frames.begin(), shown_frames.end(), '#'), 16);
    EXPECT_EQ(shown_frames.substr(0, 4), "#.#.");
    EXPECT_EQ(frames, 3 + 29 + 31);
}

TEST_F(Props, KnockedAwayPropFliesTheWayItsAttackerFaces) {
    const struct {
        bool mirrored;
        int8_t velocity;
        uint32_t frame_table;
    } cases[] = {{true, 10, kScript + 1}, {false, -10, kKnockScript + 1}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.mirrored);
        orb_write16(attacker_, k.mirrored ? 0x41 : 0x01);
        const uint32_t p = prop(1);
        pass(2);
        hit(p, true);
        pass(2);
        EXPECT_EQ(state(p), 3);
        EXPECT_EQ(static_cast<int8_t>(ram8(p + object_record::velocity_x)), k.velocity);
        EXPECT_EQ(ram32(p + object_record::frame_table), k.frame_table);
        EXPECT_EQ(s16(p + object_record::world_x), 400 + k.velocity);
        EXPECT_EQ(s16(p + object_record::height), 24);
    }
}

// Launched at 25 and falling 1 a frame; each landing bounces 5 lower (down to
// 0 and below) with sound 151, until screen X (0 + 2.5 a frame) passes 383.
TEST_F(Props, KnockedAwayPropBouncesLowerUntilItLeavesTheScreen) {
    orb_write16(attacker_, 0x41);
    const uint32_t p = prop(1, 0);
    pass(2);
    hit(p, true);
    pass();
    const auto queued = sounds(var::sound_ring_a).size();
    std::vector<int> bounces;
    int frames = 0;
    while (state(p) == 2 || state(p) == 3) {
        const int8_t before = static_cast<int8_t>(ram8(p + prop_record::bounce_speed));
        pass();
        const int8_t after = static_cast<int8_t>(ram8(p + prop_record::bounce_speed));
        if (frames++ > 0 && after != before) bounces.push_back(after);
        ASSERT_LT(frames, 500);
    }
    ASSERT_GE(bounces.size(), 6u);
    EXPECT_EQ(std::vector<int>(bounces.begin(), bounces.begin() + 6),
              (std::vector<int>{20, 15, 10, 5, 0, -5}));
    EXPECT_EQ(sounds(var::sound_ring_a).size() - queued, bounces.size());
    ASSERT_GE(sounds(var::sound_ring_a).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_a).back(), 151);
    EXPECT_GE(s16(p + object_record::screen_x), 384);
    EXPECT_EQ(state(p), 4);
    EXPECT_FALSE(flag(p, object_flag::alive));
    EXPECT_TRUE(on_ring(p));
    pass();
    EXPECT_FALSE(on_ring(p));
}

TEST_F(Props, TheAreaChangeGuardRemovesTranslatedProps) {
    for (uint8_t type : {0, 1}) {
        const uint32_t p = prop(type);
        pass(2);
        set_game_flag(game_flag::area_change, true);
        pass();
        EXPECT_FALSE(on_ring(p));
        set_game_flag(game_flag::area_change, false);
    }
}

TEST_F(Props, UntranslatedTypesRunOnlyTheirFirstFrame) {
    const uint32_t controller = actor(1, sub_088C77);
    orb_write32(var::area_controller, controller);
    const struct {
        uint8_t type;
        uint8_t controller_state;
        bool stays;
    } cases[] = {{3, 4, true}, {3, 5, false}, {4, 9, true}, {5, 9, true}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.type);
        orb_write8(controller + object_record::state, k.controller_state);
        const uint32_t p = prop(k.type);
        pass();
        EXPECT_EQ(on_ring(p), k.stays);
        if (k.stays) {
            EXPECT_EQ(state(p), 1);
            EXPECT_EQ(ram16(p + object_record::energy), 100 + k.type);
            EXPECT_EQ(ram32(p + object_record::routine), ram32(rom::prop_routines + 4 * k.type));
            orb_write16(p, 0);  // out of the following cases' way
            orb_write32(p + object_record::routine, kIdle);
        }
    }
}

using PropsDeath = Props;

TEST_F(PropsDeath, AnUntranslatedTypeEndsTheRunOnItsSecondFrame) {
    const uint32_t controller = actor(1, sub_088C77);
    orb_write32(var::area_controller, controller);
    prop(3);
    pass();
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "No translated code starts at 081654");
}

TEST_F(PropsDeath, ATableValueOutsideTheFiveEndsTheRun) {
    plant32(rom::prop_routines + 4 * 5, 0x123456);
    prop(5);
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 0815F2 to 123456 has no translated target");
}

TEST_F(PropsDeath, StatesOutsideTheTablesEndTheRun) {
    const struct {
        uint8_t type, state;
        const char* message;
    } cases[] = {{0, 6, "Jump from 081601 to 081616 has no translated target"},
                 {1, 5, "Jump from 08173D to 08174F has no translated target"}};
    for (const auto& k : cases) {
        const uint32_t p = prop(k.type);
        pass();
        orb_write8(p + object_record::state, k.state);
        EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), k.message);
        init_objects();
        fake(kIdle);
        attacker_ = actor(1);
    }
}

}  // namespace
