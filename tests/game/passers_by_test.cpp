#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/actors/tables.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "tests/game/dressing_fixture.h"

namespace {

class PassersBy : public DressingTest {
protected:
    void SetUp() override {
        DressingTest::SetUp();
        table(rom::type49_states,
              {continuation::type49_set_up, continuation::type49_walk_in, continuation::type49_wait,
               continuation::type49_effect, continuation::type49_leave});
        table(rom::type49_part_states, {continuation::type49_part_set_up, continuation::type49_part_follow});
        table(rom::type50_states, {continuation::type50_set_up, continuation::type50_wait,
                                   continuation::type50_effect, continuation::type50_leave});
        table(rom::type51_states,
              {continuation::type51_set_up, continuation::type51_standing, continuation::type51_zoomed});
        table(rom::type52_states,
              {continuation::type52_set_up, continuation::type52_wait, continuation::type52_strike,
               continuation::type52_finish, continuation::type52_pause, continuation::type52_leave});
        table(rom::type53_states, {continuation::type53_set_up, continuation::type53_slow,
                                   continuation::type53_effect, continuation::type53_leave});
        table(rom::gun_states, {entry::sub_07288C, continuation::type53_gun_fired});
        for (uint32_t script : {rom::type49_script, rom::type49_part_script, rom::type50_act_script,
                                rom::leave_script, 0x1364A0u, rom::type51_companion_script,
                                rom::type53_script, rom::gun_script, rom::gun_shot_script})
            plant_script(script, 4, true);
        plant_script(rom::type50_script, 1, true);  // 5 bytes: type 50's leaving script follows
        plant_script(rom::zoom_script, 5);          // type 52's strike: frames 0 to 4, then stop
        plant_script(rom::struck_script, 3);        // the struck object's
        plant8(rom::type49_part_data, 3);           // type 49's part: X offset 3 x 4 ...
        plant8(0x069B77, 2);                        // ... height offset (2 - 1) x 4
    }

    void table(uint32_t at, std::initializer_list<uint32_t> entries) {
        uint32_t a = at;
        for (uint32_t e : entries) {
            plant32(a, e);
            a += 4;
        }
    }

    // A passer-by of the given routine at a world position, state 0.
    uint32_t passer(uint32_t routine, int16_t x, int16_t y) {
        const uint32_t a = spawn(routine, sub_088C67);
        orb_write16(a + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(a + object_record::world_y, static_cast<uint16_t>(y));
        return a;
    }
    static uint8_t state(uint32_t o) { return ram8(o + object_record::state); }
    static uint32_t partner(uint32_t o) { return kHigh | ram16(o + object_record::partner); }
    static bool freed_128(uint32_t o) {
        for (uint16_t i = 1; i <= ram16(var::free_stack_128); ++i)
            if ((kHigh | ram16(var::free_stack_128 + 2 * i)) == o) return true;
        return false;
    }
    void set_camera_x(int16_t x) {
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(x));
    }
};

TEST_F(PassersBy, LiveEnemyCountRisesAtSetUpExceptForType51) {
    const struct {
        uint32_t routine;
        int rise;
        uint8_t state;  // the state after the set-up
    } cases[] = {{entry::sub_069A9E /* type 49 */, 1, walker_state::walk_in},
                 {entry::sub_069B78 /* type 50 */, 1, waiter_state::wait},
                 {entry::sub_069C3C /* type 51 */, 0, perched_state::standing},
                 {entry::sub_069CC1 /* type 52 */, 1, striker_state::wait},
                 {entry::sub_069DB0 /* type 53 */, 1, gun_carrier_state::slow_down}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.routine);
        orb_write8(var::live_enemy_count, 5);
        const uint32_t a = passer(k.routine, 400, 400);
        pass();
        EXPECT_EQ(live_enemies(), 5 + k.rise);
        EXPECT_EQ(state(a), k.state);
        init_objects();
    }
}

TEST_F(PassersBy, Type53FliesInBobsWaitsAndLeavesWithItsGun) {
    plant16(rom::wave_table + 0x20, 0x2000);  // entry 16: the phase after the first step
    orb_write8(var::live_enemy_count, 0);
    const uint32_t a = passer(entry::sub_069DB0 /* type 53 */, 0, 400);
    pass();
    EXPECT_EQ(s16(a + object_record::height), 275);
    EXPECT_EQ(ram16(a) & ~0x20, 0x8041);
    EXPECT_EQ(ram8(a + object_record::target_slot), 255);
    const uint32_t gun = partner(a);
    ASSERT_TRUE(on_ring(gun));
    EXPECT_EQ(ram32(gun + object_record::routine), entry::sub_07285D);
    EXPECT_EQ(s16(gun + object_record::world_x), 50);
    EXPECT_EQ(sounds(var::sound_ring_a), (std::vector<uint8_t>{0xE4, 0xE4}));  // the actor's, the gun's
    pass(48);
    EXPECT_EQ(state(a), gun_carrier_state::slow_down);
    EXPECT_TRUE(effects_.empty());
    pass();  // the 50th frame: speed 0 after 50 + 49 + ... + 1
    EXPECT_EQ(s16(a + object_record::world_x), 1275);
    EXPECT_EQ(state(a), gun_carrier_state::effect);
    EXPECT_FALSE(flag(a, object_flag::mirror_x));
    EXPECT_EQ(effects_, std::vector<uint8_t>{62});
    ASSERT_GE(sounds(var::sound_ring_a).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_a).back(), 0xD8);
    pass(5);
    EXPECT_EQ(state(a), gun_carrier_state::effect);
    EXPECT_EQ(s16(a + object_record::world_x), 1275);
    clear_effect_bit(a);
    pass();
    EXPECT_EQ(state(a), gun_carrier_state::fly_off);
    EXPECT_TRUE(flag(a, object_flag::mirror_x));
    ASSERT_GE(sounds(var::sound_ring_a).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_a).back(), 0xE4);
    orb_write16(a + object_record::world_x, 4000);  // off the screen
    pass();
    EXPECT_EQ(live_enemies(), 1);
    pass();  // not listed last frame: it leaves
    EXPECT_EQ(live_enemies(), 0);
    EXPECT_FALSE(on_ring(gun));
    EXPECT_TRUE(freed_128(gun));
    EXPECT_FALSE(flag(a, object_flag::alive));
    EXPECT_EQ(ram32(a + object_record::routine), entry::sub_069EF8 /* removal */);
    ASSERT_GE(sounds(var::sound_ring_a).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_a).back(), 0xFF);
    EXPECT_TRUE(on_ring(a));
    pass();
    EXPECT_FALSE(on_ring(a));
    EXPECT_TRUE(freed_128(a));
}

TEST_F(PassersBy, Type53GunFiresAtFrame3UnlessHeldAndFollows) {
    const uint32_t a = passer(entry::sub_069DB0 /* type 53 */, 0, 400);
    pass();
    const uint32_t gun = partner(a);
    // Gun frames: 0 at its first frame, then one a frame; frame 3 fires.
    pass(2);
    const auto before = ring().size();
    pass();
    EXPECT_EQ(ram8(gun + object_record::state), gun_state::fired);
    ASSERT_EQ(ring().size(), before + 1);
    const uint32_t shot = ring().back();
    EXPECT_EQ(s16(shot + object_record::world_x), s16(gun + object_record::world_x) - 320);  // mirrored
    EXPECT_EQ(s16(shot + object_record::world_y), 400 - 64);
    EXPECT_EQ(ram16(shot) & 0x8000, 0);
    pass();  // frame 0 again: ready
    EXPECT_EQ(ram8(gun + object_record::state), gun_state::ready);
    EXPECT_EQ(s16(gun + object_record::world_x), s16(a + object_record::world_x));
    EXPECT_EQ(s16(gun + object_record::height), s16(a + object_record::height));
    orb_write8(a + object_record::offset_index, 1);  // held: no shot, not animated
    const uint8_t frame_index = ram8(gun + object_record::frame_index);
    pass(6);
    EXPECT_EQ(ram8(gun + object_record::frame_index), frame_index);
    EXPECT_EQ(ram8(gun + object_record::state), gun_state::ready);
}

TEST_F(PassersBy, Type53GunWithoutBit0TurnsIntoAnExplosion) {
    const uint32_t a = passer(entry::sub_069DB0 /* type 53 */, 0, 400);
    pass();
    const uint32_t gun = partner(a);
    orb_write16(gun, 0x40);
    pass();
    EXPECT_EQ(calls(sub_07B615 /* short effect */), 1);
    EXPECT_EQ(ram8(gun + object_record::type), 7);
    EXPECT_EQ(ram16(gun + object_record::owner), static_cast<uint16_t>(gun));
    EXPECT_EQ(ram16(gun) & 3, 1);
    EXPECT_EQ(ram32(gun + object_record::routine), entry::sub_07B615);
    EXPECT_EQ(effects_, std::vector<uint8_t>{49});
    ASSERT_GE(sounds(var::sound_ring_a).size(), 1u);
    EXPECT_EQ(sounds(var::sound_ring_a).back(), 0xFF);
}

TEST_F(PassersBy, Type50ActsByTimerOrCamera) {
    const struct {
        int16_t camera_x;
        int frames;
    } cases[] = {{4736, 1}, {4735, 900}, {-2000, 900}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.camera_x);
        effects_.clear();
        set_camera_x(k.camera_x);
        const uint32_t a = passer(entry::sub_069B78 /* type 50 */, k.camera_x + 800, 400);
        pass(k.frames - 1);
        EXPECT_TRUE(effects_.empty());
        pass();
        EXPECT_EQ(effects_, std::vector<uint8_t>{59});
        EXPECT_EQ(state(a), waiter_state::effect);
        init_objects();
    }
}

TEST_F(PassersBy, Type50WalksOffAndLeavesUnlisted) {
    set_camera_x(4736);
    orb_write8(var::live_enemy_count, 1);
    const uint32_t a = passer(entry::sub_069B78 /* type 50 */, 4736 + 800, 400);
    pass(3);
    EXPECT_EQ(state(a), waiter_state::effect);
    clear_effect_bit(a);
    pass();
    EXPECT_EQ(state(a), waiter_state::walk_off);
    EXPECT_TRUE(flag(a, object_flag::mirror_x));
    const int16_t x = s16(a + object_record::world_x);
    pass();
    EXPECT_EQ(s16(a + object_record::world_x), x + 14);
    orb_write16(a + object_record::world_x, 9000);
    pass(2);
    EXPECT_FALSE(on_ring(a));
    EXPECT_EQ(live_enemies(), 1);  // +1 at set-up, -1 on leaving
}

TEST_F(PassersBy, Type49PartFollowsMirroredAndBlinks) {
    const uint32_t a = passer(entry::sub_069A9E /* type 49 */, 200, 400);
    pass();
    const uint32_t part = partner(a);
    ASSERT_TRUE(on_ring(part));
    EXPECT_EQ(ram8(part + object_record::velocity_x), 3);
    EXPECT_EQ(ram8(part + object_record::rise_speed), 1);
    // The actor is mirrored at set-up: the X offset is negated.
    EXPECT_EQ(s16(part + object_record::world_x), 216 - 12);
    EXPECT_EQ(s16(part + object_record::world_y), 404);
    EXPECT_EQ(s16(part + object_record::height), 4);
    std::vector<bool> hidden;
    for (int i = 0; i < 4; ++i) {
        hidden.push_back(flag(part, object_flag::hidden));
        pass();
    }
    EXPECT_EQ(hidden, (std::vector<bool>{true, false, true, false}));
    orb_write16(a, static_cast<uint16_t>(ram16(a) & ~(1u << object_flag::mirror_x)));
    pass();
    EXPECT_EQ(s16(part + object_record::world_x), s16(a + object_record::world_x) + 12);
    EXPECT_EQ(calls(sub_08251B /* player effect */), 1);
}

TEST_F(PassersBy, Type49StandsReleasesItsEffectThenLeavesWithItsPart) {
    orb_write8(var::live_enemy_count, 0);
    const uint32_t a = passer(entry::sub_069A9E /* type 49 */, 1000, 400);
    pass(9);
    EXPECT_EQ(state(a), walker_state::wait);  // X 1136 reached
    EXPECT_EQ(s16(a + object_record::world_x), 1144);
    pass(110);
    EXPECT_TRUE(effects_.empty());
    pass();  // 120 frames from the set-up
    EXPECT_EQ(effects_, std::vector<uint8_t>{11});
    EXPECT_EQ(state(a), walker_state::effect);
    EXPECT_FALSE(flag(a, object_flag::mirror_x));
    pass(3);
    EXPECT_EQ(state(a), walker_state::effect);
    clear_effect_bit(a);
    pass();
    EXPECT_EQ(state(a), walker_state::walk_off);
    EXPECT_TRUE(flag(a, object_flag::mirror_x));
    const uint32_t part = partner(a);
    orb_write16(a + object_record::world_x, 8000);
    pass();
    EXPECT_TRUE(on_ring(part));
    pass();  // the actor leaves, and the part (later on the ring) in the same pass
    EXPECT_FALSE(on_ring(a));
    EXPECT_FALSE(on_ring(part));
    EXPECT_TRUE(freed_128(part));
    EXPECT_EQ(live_enemies(), 0);
}

TEST_F(PassersBy, Type49SpawnedFarLeftWaitsAFullTimerTurn) {
    const uint32_t a = passer(entry::sub_069A9E /* type 49 */, -800, 400);
    pass(120);
    EXPECT_EQ(s16(a + object_record::world_x), -800 + 16 * 120);
    EXPECT_EQ(state(a), walker_state::wait);  // state 1 plus one
    EXPECT_EQ(effects_, std::vector<uint8_t>{11});
    clear_effect_bit(a);
    pass();
    EXPECT_EQ(state(a), walker_state::wait);
    EXPECT_EQ(ram16(a + object_record::enemy_timer), 0xFFFF);
    pass(100);
    EXPECT_EQ(state(a), walker_state::wait);
    EXPECT_EQ(effects_.size(), 1u);
}

TEST_F(PassersBy, Type52StrikesAtFrame3AndItsPartnerBlinksOut) {
    orb_write8(var::live_enemy_count, 0);
    const uint32_t a = passer(entry::sub_069CC1 /* type 52 */, 400, 400);
    pass();
    const uint32_t struck = partner(a);
    ASSERT_TRUE(on_ring(struck));
    EXPECT_EQ(s16(struck + object_record::world_x), 1872);
    EXPECT_EQ(s16(struck + object_record::world_y), 1184);
    pass(120);
    EXPECT_EQ(state(a), striker_state::strike);
    EXPECT_EQ(ram8(a + object_record::frame_index), 2);
    EXPECT_TRUE(sounds(var::sound_ring_b).empty());
    pass();  // frame index 3
    EXPECT_EQ(state(a), striker_state::finish);
    EXPECT_EQ(sounds(var::sound_ring_b), std::vector<uint8_t>{0xAE});
    // The partner, later on the ring, takes the hit in the same pass.
    EXPECT_EQ(ram8(struck + object_record::state), partner_state::struck);
    EXPECT_FALSE(flag(struck, object_flag::hit));
    EXPECT_EQ(effects_, std::vector<uint8_t>{61});
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0xCD});
    while (ram8(struck + object_record::state) == partner_state::struck) pass();
    // The first blinking frame is the one its animation stopped in.
    std::string blink = shown(struck) ? "#" : ".";
    int frames = 1;
    while (on_ring(struck)) {
        pass();
        if (!on_ring(struck)) break;
        blink += shown(struck) ? "#" : ".";
        ++frames;
    }
    EXPECT_EQ(frames, 63);
    EXPECT_EQ(blink.substr(0, 9), "#..##..##");
    EXPECT_TRUE(freed_128(struck));
}

TEST_F(PassersBy, Type52LeavesThroughTheRemovalRoutine) {
    orb_write8(var::live_enemy_count, 0);
    const uint32_t a = passer(entry::sub_069CC1 /* type 52 */, 400, 400);
    pass(123);
    while (state(a) != striker_state::walk_off) pass();
    orb_write16(a + object_record::world_x, 8000);
    pass(2);
    EXPECT_EQ(ram32(a + object_record::routine), entry::sub_069EF8 /* removal */);
    EXPECT_EQ(live_enemies(), 0);
    EXPECT_FALSE(flag(a, object_flag::alive));
    pass();
    EXPECT_FALSE(on_ring(a));
}

// At half size the doubled offsets put type 51 (and its companion) back on
// the screen position the area change started from.
TEST_F(PassersBy, Type51KeepsItsScreenPlaceThroughTheZoom) {
    const struct {
        int16_t world_x;
        int16_t screen_x;
    } cases[] = {{800, 200}, {480, 120}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.screen_x);
        const uint32_t a =
            passer(entry::sub_069C3C /* type 51 */, k.world_x, 104);  // height -96: screen Y 26 + 24
        pass();
        EXPECT_EQ(s16(a + object_record::screen_x), k.screen_x);
        EXPECT_EQ(s16(a + object_record::screen_y), 50);
        orb_write16(var::nbg0_zoom, 0x100);
        set_game_flag(game_flag::area_change, true);
        pass();
        EXPECT_EQ(state(a), perched_state::zoomed);
        EXPECT_EQ(s16(a + passer_by::zoom_dx), 2 * (k.screen_x - 160));
        EXPECT_EQ(s16(a + object_record::screen_x), k.screen_x);
        EXPECT_EQ(s16(a + object_record::screen_y), 50);
        set_game_flag(game_flag::area_change, false);
        pass();
        EXPECT_FALSE(on_ring(a));
        EXPECT_EQ(ring().size(), 0u);  // the companion went too
        init_objects();
    }
}

TEST_F(PassersBy, Type51CompanionStandsAtItsFixedPlace) {
    const uint32_t a = passer(entry::sub_069C3C /* type 51 */, 800, 104);
    set_camera_x(6400);
    pass();
    ASSERT_EQ(ring().size(), 2u);
    const uint32_t companion = ring()[1];
    EXPECT_EQ(s16(companion + object_record::world_x), 7084);
    EXPECT_EQ(s16(companion + object_record::world_y), 588);
    EXPECT_EQ(s16(companion + object_record::height), -64);
    EXPECT_EQ(s16(companion + object_record::screen_x), 7084 / 4 - 1600);
    EXPECT_TRUE(shown(companion));
    EXPECT_EQ(live_enemies(), 0);
    (void)a;
}

TEST_F(PassersBy, EmptyPoolLeavesTheActorWithoutChildren) {
    const uint32_t a = passer(entry::sub_069DB0 /* type 53 */, 0, 400);
    while (ram16(var::free_stack_128) != 0) ASSERT_TRUE(run(sub_088C67));
    pass(3);
    EXPECT_EQ(ram16(a + object_record::partner), 0);
    EXPECT_EQ(ring().size(), 1u);
    orb_write16(a + object_record::world_x, 8000);
    orb_write8(a + object_record::state, gun_carrier_state::fly_off);
    pass(2);
    EXPECT_EQ(ram32(a + object_record::routine), entry::sub_069EF8 /* removal */);
}

using PassersByDeath = PassersBy;

TEST_F(PassersByDeath, StateValuesOutsideTheTablesEndTheRun) {
    const struct {
        uint32_t routine;
        uint8_t state;
        const char* message;
    } cases[] = {
        {entry::sub_069A9E /* type 49 */, 5, "Jump from 069AA6 to 000000 has no translated target"},
        {entry::sub_069B78 /* type 50 */, 4, "Jump from 069B84 to 000000 has no translated target"},
        {entry::sub_069C3C /* type 51 */, 3, "Jump from 069C48 to 000000 has no translated target"},
        {entry::sub_069CC1 /* type 52 */, 6, "Jump from 069CCA to 000000 has no translated target"},
        {entry::sub_069DB0 /* type 53 */, 4, "Jump from 069DBA to 000000 has no translated target"},
        {entry::sub_069F31, 2, "Jump from 069F3A to 000000 has no translated target"},
        {entry::sub_07285D, 2, "Jump from 07286E to 000000 has no translated target"},
        {entry::sub_07966D, 3, "Jump from 079676 to 079682 has no translated target"},
        {entry::sub_079718, 5, "Jump from 079721 to 079733 has no translated target"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.message);
        init_objects();
        const uint32_t a = passer(k.routine, 0, 400);
        orb_write16(a, 1);
        orb_write8(a + object_record::state, k.state);
        EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), k.message);
    }
}

}  // namespace
