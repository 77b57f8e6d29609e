// The set-piece boss (controller, body, two parts, music fader) and the
// area-bound attacker, run by the object runner on the real pools with the
// path-script, hit-reaction and effect routines of other parts stood in.
#include <algorithm>
#include <deque>

#include "game/actors/tables.h"
#include "game/hardware.h"
#include "tests/game/ai_stand_ins.h"

namespace {

constexpr int kCameraX = 0x4000;

class SetPieceTest : public AiTest {
protected:
    void SetUp() override {
        AiTest::SetUp();
        fake(sub_07CA05 /* scripted hits */);
        fake(sub_07D252 /* path step */);
        fake(sub_07C9D4 /* contact */);
        fake(sub_07AAE9 /* area guard */);
        fake(sub_06978D /* bar */, [this] { bar_name = r(0); });
        fake(sub_06925A /* random */, [] { cpu.reg[0] = 1; });
        fake(sub_0824F0 /* child effect */, [this] { effects.push_back({r(0), r(10)}); });
        fake(sub_07D203 /* path set up */, [this] {
            const uint32_t e = cpu.reg[20];
            header = orb_read32(e + 16);
            orb_write8(e + object_record::state,
                       static_cast<uint8_t>(orb_read8(e + object_record::state) + 1));
            orb_write16(e, 1);
            orb_write8(var::live_enemy_count, static_cast<uint8_t>(orb_read8(var::live_enemy_count) + 1));
            orb_write16(e + object_record::height, 128);
            orb_write8(e + object_record::anim_mode, 1);
        });
        for (uint32_t p = 0; p < 6; ++p) plant8(rom::set_piece_phase_lengths + p, 3);
        plant8(rom::set_piece_attack_kinds + 3, 2);  // cycle 1, random bit 1: attack kind 2
        for (uint32_t t = 0; t < 4; ++t)
            plant8(rom::set_piece_attack_strength + t, static_cast<uint8_t>(40 + t));
        rank(3);
        camera_controller = actor(0, sub_088C77);
        orb_write32(var::area_controller, camera_controller);
        camera_x(kCameraX);
        controller = actor(0x0001);
        orb_write32(controller + object_record::routine, entry::sub_083074);
        orb_write32(controller + 16, 0x138000);
        put(controller, kCameraX + 4 * 100, 4 * 200);
    }

    static void camera_x(int x) {
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(x));
    }
    uint32_t first() const { return ram32(controller + 76); }
    uint32_t second() const { return ram32(controller + 80); }
    uint32_t body() const { return ram32(controller + 72); }
    uint8_t phase() const { return ram8(first() + 54); }

    uint32_t controller = 0, camera_controller = 0;
    uint32_t bar_name = 0, header = 0;
    std::vector<std::pair<uint32_t, uint32_t>> effects;
};

// Nothing starts left of 0x4000 (signed: 0x8000 reads negative); with two
// free 256-byte objects it waits; with three and one 64-byte it links first
// part, second part, body and fader in that order.
TEST_F(SetPieceTest, ControllerStartsAtTheCameraPointWithEveryObjectFree) {
    struct Case {
        int camera;
        int free_256, free_64;  // -1: as the pools stand
        bool starts;
    } cases[] = {{0x3FFF, -1, -1, false}, {0x8000, -1, -1, false}, {0x4000, 2, -1, false},
                 {0x4000, 3, 0, false},   {0x4000, 3, 1, true},    {0x7FFF, -1, -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.camera);
        SetUp();
        camera_x(c.camera);
        if (c.free_256 >= 0) orb_write16(var::free_stack_256, static_cast<uint16_t>(c.free_256));
        if (c.free_64 >= 0) orb_write16(var::free_stack_64, static_cast<uint16_t>(c.free_64));
        orb_write16(controller, 0x0000);
        pass();
        EXPECT_EQ(ram16(controller), 1);
        EXPECT_EQ(ram32(controller + object_record::routine),
                  c.starts ? entry::sub_083106 : entry::sub_083074);
        const auto objects = ring();
        if (!c.starts) {
            EXPECT_EQ(objects.size(), 2u);
            continue;
        }
        ASSERT_EQ(objects.size(), 6u);
        EXPECT_EQ(objects[2], first());
        EXPECT_EQ(objects[3], second());
        EXPECT_EQ(objects[4], body());
        const uint32_t routines[4] = {entry::sub_083278, entry::sub_0833F8, entry::sub_08312C,
                                      entry::sub_083502};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(ram32(objects[2 + k] + object_record::routine), routines[k]);
            EXPECT_EQ(ram32(objects[2 + k] + 12), controller);
        }
        EXPECT_EQ(header, 0x138000u);
        EXPECT_EQ(x_of(body()), x_of(controller));
        EXPECT_EQ(y_of(body()), y_of(controller));
        EXPECT_EQ(ram8(var::live_enemy_count), 1);
        EXPECT_EQ(bar_name, 18u);
        EXPECT_EQ(ram16(body() + object_record::energy), 490);
        EXPECT_EQ(ram8(body() + object_record::type), 5);
    }
}

// The phase runs 0..5 and reads 6 for one frame between cycles; the cycle
// number steps 1, 2, 3, 0.
TEST_F(SetPieceTest, FirstPartCyclesThroughSixPhases) {
    std::vector<int> phases, cycles;
    for (int f = 0; f < 60; ++f) {
        pass();
        phases.push_back(phase());
        cycles.push_back(ram8(first() + 72));
    }
    int sixes = 0;
    for (size_t i = 0; i < phases.size(); ++i) {
        if (phases[i] != 6) continue;
        ++sixes;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(phases[i - 1], 5);
        if (i + 1 < phases.size()) {
            EXPECT_EQ(phases[i + 1], 0);
        }
    }
    EXPECT_EQ(sixes, 3);
    EXPECT_EQ(std::count(phases.begin(), phases.end(), 2), 10);
    EXPECT_EQ(cycles.front(), 1);
    EXPECT_EQ(cycles.back(), 0);
}

// The second part shows at phase 2, tests its two boxes every frame of phase
// 3 with the body hidden, and at phase 4 shows the body at frame 3 again.
TEST_F(SetPieceTest, SecondPartAttacksThroughPhaseThreeWithTheBodyHidden) {
    int phase3_frames = 0;
    bool shown_at_2 = false;
    while (phase3_frames == 0 || phase() == 3) {
        pass();
        if (phase() == 2 && state_of(second()) == 1) shown_at_2 = true;
        if (phase() == 3) {
            ++phase3_frames;
            EXPECT_TRUE(flag(body(), object_flag::hidden));
        }
        ASSERT_LT(boxes.size(), 100u);
    }
    EXPECT_TRUE(shown_at_2);
    EXPECT_EQ(phase3_frames, 3);
    EXPECT_EQ(ram8(second() + object_record::attack_kind), 2);
    const auto a = tests_of(rom::set_piece_attack_boxes + 16), b = tests_of(rom::set_piece_attack_boxes + 20);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(b.size(), 3u);
    EXPECT_EQ(a[0].strength, 43u);
    EXPECT_EQ(phase(), 4);
    EXPECT_FALSE(flag(body(), object_flag::hidden));
    EXPECT_EQ(ram8(body() + object_record::frame_timer), 1);
    EXPECT_EQ(ram8(body() + object_record::frame_index), 3);
    EXPECT_EQ(state_of(second()), 0);
}

// The fader: full level and 175 at phase 5, 176 when it ends.
TEST_F(SetPieceTest, FaderRaisesTheMusicAtPhaseFive) {
    orb_write8(hw::music_level, 0x20);
    while (phase() != 5) pass();
    EXPECT_EQ(ram8(hw::music_level), 0xFF);
    EXPECT_EQ(sounds(var::sound_ring_b), std::vector<uint8_t>{175});
    while (phase() == 5) pass();
    pass();
    EXPECT_EQ(sounds(var::sound_ring_b), (std::vector<uint8_t>{175, 176}));
}

// The defeat: 10 frames, then the controller's bit 9 and the camera
// controller's state + 1 once, the count - 1 once; the first part's exit to
// screen (160, 160), the effect, the hold and the rise; system_flags bit 11;
// the fade 254 .. 1; area 5 frees controller and body.
TEST_F(SetPieceTest, DefeatRunsTheExitAndFadesTheMusicOut) {
    pass(5);
    orb_write8(body() + object_record::state, 4);
    pass();
    ASSERT_EQ(running(entry::sub_07B615 /* short effect */).size(), 1u);
    const uint32_t effect = running(entry::sub_07B615 /* short effect */)[0];
    EXPECT_EQ(ram8(effect + object_record::type), 4);
    pass(8);
    EXPECT_FALSE(flag(controller, 9));
    pass();
    EXPECT_TRUE(flag(controller, 9));
    EXPECT_EQ(state_of(camera_controller), 1);
    EXPECT_EQ(ram8(var::live_enemy_count), 1);  // the controller counts it off next frame
    const uint32_t part = first();
    const uint16_t free_256 = ram16(var::free_stack_256);
    pass();
    EXPECT_EQ(ram8(var::live_enemy_count), 0);
    EXPECT_FALSE(on_ring(second()));
    EXPECT_EQ(state_of(part), 5);
    ASSERT_GE(sounds(var::sound_ring_b).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_b).back(), 176);
    // 120 frames in place
    const int16_t x0 = x_of(part), y0 = y_of(part);
    pass(119);
    EXPECT_EQ(x_of(part), x0);
    EXPECT_EQ(y_of(part), y0);
    EXPECT_EQ(state_of(part), 6);
    pass();
    EXPECT_EQ(state_of(part), 7);
    // the move, one screen pixel per axis and frame
    int frames = 0;
    while (state_of(part) == 7 && frames < 400) {
        pass();
        ++frames;
    }
    EXPECT_EQ(s16(part + object_record::screen_x), 160);
    EXPECT_EQ(s16(part + object_record::screen_y), 160);
    EXPECT_EQ(frames, 60);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].first, 60u);
    EXPECT_EQ(effects[0].second, part);
    pass(248);
    EXPECT_EQ(state_of(part), 8);
    std::vector<int> levels;
    int rise = 0;
    while (on_ring(part) && rise < 400) {
        EXPECT_FALSE(ram32(var::system_flags) & 1u << system_flag::area_won);
        pass();
        levels.push_back(ram8(hw::music_level));
        ++rise;
    }
    EXPECT_LT(s16(part + object_record::screen_y), -63);
    EXPECT_GE(s16(part + object_record::screen_y), -63 - 2);
    EXPECT_TRUE(ram32(var::system_flags) & 1u << system_flag::area_won);
    EXPECT_EQ(ram16(controller), 0);
    EXPECT_EQ(ram16(var::free_stack_256), free_256 + 2);  // second and first part
    EXPECT_EQ(state_of(camera_controller), 1);
    // the fade began with the rise: 254 down to 1, one step a frame, then 1
    for (int f = 0; f < 300; ++f) {
        pass();
        levels.push_back(ram8(hw::music_level));
    }
    ASSERT_EQ(levels.front(), 254);
    for (int k = 0; k < 254; ++k) ASSERT_EQ(levels[k], 254 - k) << k;
    EXPECT_EQ(levels.back(), 1);
    ASSERT_GE(sounds(var::sound_ring_b).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_b).back(), 175);
    EXPECT_TRUE(on_ring(controller));
    EXPECT_TRUE(on_ring(body()));
    orb_write8(var::area, 5);
    const uint32_t b = body();
    pass();
    EXPECT_FALSE(on_ring(controller));
    EXPECT_FALSE(on_ring(b));
    EXPECT_EQ(ram8(var::live_enemy_count), 0);
}

// A state past a table's known entries ends the run.
TEST_F(SetPieceTest, UnknownStatesEndTheRun) {
    pass();
    ASSERT_EQ(running(entry::sub_083502).size(), 1u);
    const uint32_t objects[4] = {body(), first(), second(), running(entry::sub_083502)[0]};
    const uint8_t states[4] = {8, 11, 4, 5};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EXIT(
            {
                orb_write8(objects[k] + object_record::state, states[k]);
                pass();
            },
            ::testing::ExitedWithCode(3), "has no translated target");
    }
}

// A hit on the body flashes its five parts and registers no boxes.
TEST_F(SetPieceTest, BodyFlashesAfterAHitWithoutBoxes) {
    pass(2);
    orb_write8(body() + object_record::state, 2);
    orb_write8(body() + 57, 2);
    orb_write16(var::hitbox_table_b, 0);
    pass();
    for (uint32_t k = 0; k < 5; ++k) EXPECT_EQ(ram16(body() + 110 + 16 * k) & 0x7FF, 0x4E0);
    EXPECT_EQ(ram8(var::hitbox_table_b), 0);
    pass();
    EXPECT_EQ(state_of(body()), 1);
}

class AreaGuardTest : public AiTest {
protected:
    void SetUp() override {
        AiTest::SetUp();
        fake(sub_07AAE9 /* area guard */);
        anim_frames = 24;
        anim_hold = 2;
        for (uint32_t t = 0; t < 4; ++t) {
            plant8(rom::set_piece_guard_wait + t, 5);
            plant8(rom::set_piece_guard_strength + t, static_cast<uint8_t>(20 + t));
        }
        rank(0);
        orb_write8(var::area, 2);
        guard = actor(0x0001);
        orb_write32(guard + object_record::routine, entry::sub_0837C2);
        put(guard, 400, 800);
        pass();
    }
    uint32_t guard = 0;
};

// Rest shows frame 0; wind-up to frame 4; hits in frames 4 to 17.
TEST_F(AreaGuardTest, WaitsWindsUpAndHitsInItsWindow) {
    EXPECT_EQ(ram8(guard + 72), 2);
    EXPECT_EQ(ram16(guard + object_record::energy), 100);
    EXPECT_EQ(ram32(guard + object_record::frame), rom::set_piece_guard_animation);
    std::vector<int> hit_frames;
    for (int f = 0; f < 60; ++f) {
        const size_t before = tests_of(rom::set_piece_guard_box).size();
        const int state = state_of(guard);
        pass();
        if (state <= 2 && state_of(guard) <= 2) {
            EXPECT_EQ(ram8(guard + object_record::frame_index), 0);
        }
        if (tests_of(rom::set_piece_guard_box).size() > before)
            hit_frames.push_back(ram8(guard + object_record::frame_index));
    }
    ASSERT_FALSE(hit_frames.empty());
    EXPECT_EQ(hit_frames.front(), 4);
    EXPECT_EQ(*std::max_element(hit_frames.begin(), hit_frames.end()), 17);
    EXPECT_EQ(tests_of(rom::set_piece_guard_box)[0].strength, 20u);
}

// A hit: 4 flashing frames without boxes and sound 0xCA.
TEST_F(AreaGuardTest, HitFlashesFourFrames) {
    orb_write16(guard, ram16(guard) | 1u << object_flag::hit);
    std::vector<bool> flashing;
    for (int f = 0; f < 6; ++f) {
        orb_write16(var::hitbox_table_b, 0);
        pass();
        flashing.push_back((ram16(guard + 110) & 0x7FF) == 0x6D0);
        if (flashing.back()) {
            EXPECT_EQ(ram8(var::hitbox_table_b), 0);
        }
    }
    EXPECT_EQ(flashing, (std::vector<bool>{true, true, true, true, false, false}));
    EXPECT_FALSE(flag(guard, object_flag::intangible));
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0xCA});
}

// The defeat: 10 frames, effect 8 and tally category 10 of the attacker's
// slot; with no free object neither effect nor count.
TEST_F(AreaGuardTest, DefeatShowsTenFramesWithEffectAndTally) {
    for (bool free : {true, false}) {
        SCOPED_TRACE(free);
        SetUp();
        const uint32_t player = var::player_records + 0x200;
        orb_write8(player + player_record::slot, 2);
        for (uint32_t i = 0; i < 32; ++i)
            orb_write8(var::tally_records + 32 * 2 + i, 0);  // slot 2: nothing tallied
        orb_write16(guard + object_record::last_attacker, static_cast<uint16_t>(player));
        orb_write16(guard, ram16(guard) | 1u << object_flag::defeated);
        if (!free) free_128(0);
        const uint8_t count = ram8(var::live_enemy_count);
        pass(9);
        EXPECT_TRUE(on_ring(guard));
        EXPECT_EQ(state_of(guard), 6);
        pass();
        EXPECT_FALSE(on_ring(guard));
        const auto effects = running(entry::sub_07B615 /* short effect */);
        ASSERT_EQ(effects.size(), free ? 1u : 0u);
        if (free) {
            EXPECT_EQ(ram8(effects[0] + object_record::type), 8);
        }
        EXPECT_EQ(ram16(var::tally_records + 32 * 2 + 20), free ? 1 : 0);
        EXPECT_EQ(ram8(var::live_enemy_count), count);
    }
}

// Removed by the active-area guard, it does nothing more that frame.
TEST_F(AreaGuardTest, ActiveAreaGuardEndsTheFrame) {
    fake(sub_07AAE9 /* area guard */, body_fn([] {
             call_routine(sub_088CD3);
             call_routine(sub_088D0C);
             guest::sp() += 4;
             guest::ret();
             return ended::already;
         }));
    orb_write8(guard + 54, 1);
    orb_write16(guard, ram16(guard) | 1u << object_flag::hit);
    pass();
    EXPECT_FALSE(on_ring(guard));
    EXPECT_EQ(state_of(guard), 2);
    EXPECT_TRUE(flag(guard, object_flag::hit));
    EXPECT_TRUE(sounds(var::sound_ring_a).empty());
}

// It leaves when the area byte changes, without touching the count.
TEST_F(AreaGuardTest, LeavesOnAnAreaChange) {
    orb_write8(var::live_enemy_count, 4);
    pass();
    EXPECT_TRUE(on_ring(guard));
    orb_write8(var::area, 3);
    pass();
    EXPECT_FALSE(on_ring(guard));
    EXPECT_EQ(ram8(var::live_enemy_count), 4);
    EXPECT_TRUE(tests_of(rom::set_piece_guard_box).empty());
}

}  // namespace
