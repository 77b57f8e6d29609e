#include <gtest/gtest.h>

#include "game/actors/tables.h"
#include "tests/game/path_fixture.h"

namespace {

using namespace path_fixture;

class Flyer : public PathTest {
protected:
    void SetUp() override {
        PathTest::SetUp();
        // Stun 10 + tier, hit state 2, defeat state 4.
        for (int t = 0; t < 4; ++t) plant8(rom::flyer_hit_table + t, static_cast<uint8_t>(10 + t));
        plant8(rom::flyer_hit_table + 4, 2);
        plant8(rom::flyer_hit_table + 5, 4);
        plant8(rom::flyer_shot_gaps + kRankTier, 5);
        plant8(rom::flyer_burst_shots + kRankTier, 2);
        plant8(rom::burst_strength + kRankTier, 9);
    }
    uint16_t flags(uint32_t o) const { return ram16(o + object_record::flags); }
    static std::vector<uint8_t> ring_a() { return sounds(var::sound_ring_a); }
};

TEST_F(Flyer, FirstFrameSetsUpWithTurretAndBossBar) {
    entry(100, 1, 0);
    command(1);
    const uint32_t flyer = path_object(entry::sub_07C57E /* flyer */);
    pass();
    EXPECT_EQ(ram16(flyer + object_record::energy), 100);
    EXPECT_EQ(ram16(flyer + object_record::score_value), 10000);
    EXPECT_EQ(ram8(flyer + object_record::type), 0);
    EXPECT_EQ(ram8(flyer + path_object::shot_burst), 2);
    EXPECT_EQ(bars_, std::vector<uint32_t>{17});
    EXPECT_EQ(live(), 1);
    EXPECT_EQ(x_of(flyer), 401) << "the set-up frame also moves";
    const auto turrets = running(entry::sub_07C6A0 /* turret */);
    ASSERT_EQ(turrets.size(), 1u);
    EXPECT_EQ(ram16(turrets[0] + object_record::owner), static_cast<uint16_t>(flyer));
    EXPECT_EQ(ram16(turrets[0] + object_record::height), 160);
}

TEST_F(Flyer, ScriptEndRemovesFlyerAndTurretAndRestoresCounts) {
    entry(3, 1, 0);
    command(0);
    const uint16_t free_before = free128();
    const uint32_t flyer = path_object(entry::sub_07C57E /* flyer */);
    pass(3);
    EXPECT_EQ(live(), 1);
    EXPECT_EQ(running(entry::sub_07C6A0 /* turret */).size(), 1u);
    pass();  // the script ends: bit 9 and state 6; the turret goes on bit 9
    EXPECT_EQ(state_of(flyer), 6);
    EXPECT_TRUE(running(entry::sub_07C6A0 /* turret */).empty());
    pass();
    EXPECT_FALSE(on_ring(flyer));
    EXPECT_EQ(live(), 0);
    EXPECT_EQ(free128(), free_before);
}

TEST_F(Flyer, HitReactionRunsBeforeTheState) {
    entry(100, 1, 0);
    command(1);
    const uint32_t flyer = path_object(entry::sub_07C57E /* flyer */);
    pass();
    orb_write16(flyer, flags(flyer) | 1u << object_flag::hit);
    pass();
    EXPECT_EQ(state_of(flyer), 3) << "stun state 2 passes to 3 in the frame of the hit";
    EXPECT_EQ(ram8(flyer + path_object::saved_state), 1);
    EXPECT_EQ(ram8(flyer + path_object::stun_timer), 12 - 1) << "hit_table[2], one frame counted";
    EXPECT_TRUE(flags(flyer) >> object_flag::intangible & 1);
    EXPECT_EQ(ring_a(), std::vector<uint8_t>{0xCA});
    pass(11);
    EXPECT_EQ(state_of(flyer), 1);
    EXPECT_FALSE(flags(flyer) >> object_flag::intangible & 1);
}

TEST_F(Flyer, DefeatCountsOnTheAttackersTallyByType) {
    const struct {
        uint8_t type;
        uint8_t category;
        int slot;
    } cases[] = {{0, 1, 0}, {5, 3, 2}, {3, 15, 1}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.type);
        plant8(rom::flyer_tally_categories + k.type, k.category);
        const uint32_t enemy = actor(1u << object_flag::hit | 1u << object_flag::defeated | 1);
        orb_write8(enemy + object_record::type, k.type);
        orb_write16(enemy + object_record::last_attacker, static_cast<uint16_t>(player(k.slot)));
        const uint32_t counter = var::tally_records + 32u * k.slot + 2u * k.category;
        orb_write16(counter, 41);
        cpu.reg[20] = enemy;
        cpu.reg[10] = rom::flyer_hit_table;
        ASSERT_TRUE(run(sub_07CA05));
        EXPECT_EQ(ram16(counter), 42);
        EXPECT_EQ(state_of(enemy), 4);
    }
}

TEST_F(Flyer, DefeatStateFreesWithoutCountingOff) {
    entry(100, 1, 0);
    command(1);
    const uint32_t flyer = path_object(entry::sub_07C57E /* flyer */);
    pass();
    orb_write16(flyer, flags(flyer) | 1u << object_flag::hit | 1u << object_flag::defeated);
    orb_write8(flyer + object_record::frame_duration, 4);
    pass();
    EXPECT_EQ(state_of(flyer), 5);
    EXPECT_EQ(running(entry::sub_07B615 /* short effect */).size(), 1u);
    EXPECT_TRUE(running(entry::sub_07C6A0 /* turret */).empty()) << "the turret leaves on bit 9";
    orb_write8(flyer + object_record::frame_duration, 0);
    pass();
    EXPECT_FALSE(on_ring(flyer));
    EXPECT_EQ(live(), 1) << "kept as the game does";
}

// ---- the shot schedule ----

class FlyerShots : public Flyer {
protected:
    uint32_t set_up(const std::vector<uint16_t>& list) {
        shot_list(list);
        entry(1000);
        const uint32_t o = path_object(kIdle);
        cpu.reg[20] = o;
        EXPECT_TRUE(run(sub_07D203));
        orb_write8(o + path_object::shot_burst, 2);
        on_screen(o, true);
        return o;
    }
    static void on_screen(uint32_t o, bool yes) {
        orb_write16(o + object_record::screen_x, yes ? 100 : 0);
        orb_write16(o + object_record::screen_y, 100);
    }
    // Frames of the schedule; the frames in which a shell appeared.
    std::vector<int> shots(uint32_t o, int frames) {
        std::vector<int> at;
        for (int f = 1; f <= frames; ++f) {
            const size_t before = running(entry::sub_07C7FD /* shell */).size();
            cpu.reg[20] = o;
            EXPECT_TRUE(run(sub_07C94D));
            if (running(entry::sub_07C7FD /* shell */).size() > before) at.push_back(f);
        }
        return at;
    }
};

TEST_F(FlyerShots, BurstsFollowTheListAndAZeroAfterTheEndStopsForGood) {
    const uint32_t o = set_up({2, 3, 0x8000, 0});
    // Delay 2, shot, gap 5, shot (burst over: delay 3), then the end marker.
    EXPECT_EQ(shots(o, 40), (std::vector<int>{3, 9}));
    EXPECT_EQ(ram16(o + path_object::shot_delay), 0xFFFF);
    ASSERT_GE(running(entry::sub_07C7FD /* shell */).size(), 1u);
    const uint32_t shell = running(entry::sub_07C7FD /* shell */)[0];
    EXPECT_EQ(ram8(shell + object_record::type), kRankTier);
    EXPECT_EQ(ram16(shell + object_record::owner), static_cast<uint16_t>(o));
}

TEST_F(FlyerShots, ANonZeroWordAfterTheEndRestartsTheList) {
    const uint32_t o = set_up({1, 0x8000, 1});
    EXPECT_EQ(shots(o, 16), (std::vector<int>{2, 8, 10, 16}));
}

TEST_F(FlyerShots, OffScreenTheDelayWaitsAtZeroAndTheShotComesLater) {
    const uint32_t o = set_up({1, 3, 0x8000, 0});
    on_screen(o, false);
    EXPECT_TRUE(shots(o, 10).empty());
    EXPECT_EQ(ram16(o + path_object::shot_delay), 0);
    on_screen(o, true);
    EXPECT_EQ(shots(o, 1), std::vector<int>{1});
}

TEST_F(FlyerShots, AnEmptyPoolDelaysTheShot) {
    const uint32_t o = set_up({1, 3, 0x8000, 0});
    while (free128() > 0) spawn(kIdle, sub_088C67);
    EXPECT_TRUE(shots(o, 3).empty());
    EXPECT_EQ(ram16(o + path_object::shot_delay), 0);
}

// ---- the shell ----

TEST_F(Flyer, ShellFallsThirtyFramesOrUntilItTouchesThenBursts) {
    const struct {
        const char* name;
        bool mirrored;
        int touch_frame;  // 0: never
        int burst_frame;
    } cases[] = {{"time out", false, 0, 30}, {"touch", true, 5, 5}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        touching_.clear();
        const uint32_t flyer = actor(k.mirrored ? 1u << object_flag::mirror_x : 0);
        orb_write16(flyer + object_record::world_x, 400);
        orb_write16(flyer + object_record::world_y, 400);
        const uint32_t shell = spawn(entry::sub_07C7FD /* shell */, sub_088C67);
        orb_write16(shell + object_record::owner, static_cast<uint16_t>(flyer));
        int burst = 0;
        for (int f = 1; f <= 40 && !burst; ++f) {
            if (f == k.touch_frame) touching_ = {1};
            pass();
            if (state_of(shell) == 2) burst = f;
        }
        EXPECT_EQ(burst, k.burst_frame);
        const int dx = x_of(shell) - 400, steps = k.burst_frame + (k.touch_frame ? 1 : 0);
        EXPECT_EQ(dx, (k.mirrored ? 2 : -2) * steps) << "the burst frame moves too";
        // Burst: hits in frames 0 to 2 with its box and the tier's strength.
        touching_.clear();
        tests_.clear();
        for (uint8_t frame = 0; frame < 4; ++frame) {
            orb_write8(shell + object_record::frame_index, frame);
            orb_write8(shell + object_record::frame_duration, 1);
            pass();
        }
        ASSERT_EQ(tests_.size(), 3u);
        EXPECT_EQ(tests_[2].box, rom::burst_boxes + 8);
        EXPECT_EQ(tests_[2].strength, 9u);
        EXPECT_EQ(state_of(shell), 3);
        orb_write8(shell + object_record::frame_duration, 0);
        pass();
        EXPECT_FALSE(on_ring(shell));
    }
}

TEST_F(Flyer, TurretFlashesWhenItsAnimationStartsOver) {
    fake(sub_061F06 /* anim start */, [] { orb_write8(r(20) + object_record::frame_duration, 1); });
    entry(100, 1, 0);
    command(1);
    const uint32_t flyer = path_object(entry::sub_07C57E /* flyer */);
    pass();
    ASSERT_GE(running(entry::sub_07C6A0 /* turret */).size(), 1u);
    const uint32_t turret = running(entry::sub_07C6A0 /* turret */)[0];
    EXPECT_TRUE(running(entry::sub_07C77C /* flash */).empty());
    orb_write8(turret + object_record::frame_index, 1);
    pass();
    EXPECT_TRUE(running(entry::sub_07C77C /* flash */).empty());
    orb_write8(turret + object_record::frame_index, 0);
    pass();
    ASSERT_EQ(running(entry::sub_07C77C /* flash */).size(), 1u);
    EXPECT_EQ(ram16(running(entry::sub_07C77C /* flash */)[0] + object_record::owner),
              static_cast<uint16_t>(turret));
    (void)flyer;
}

}  // namespace
