#include <gtest/gtest.h>

#include "game/continuations.h"
#include "game/actors/platform_ai.h"
#include "game/actors/tables.h"
#include "tests/game/path_fixture.h"

namespace {

using namespace path_fixture;

// ---- the rider carrier ----

constexpr uint32_t kSpawnData = 0x130900;
constexpr uint32_t kLanded = GameRoutineTest::kTestEntry[2];
constexpr int kRoute = 1;

class RiderCarrier : public PathTest {
protected:
    void SetUp() override {
        PathTest::SetUp();
        for (uint32_t t = 0; t < 5; ++t) {
            plant32(rom::riding_routines + 4 * t, entry::sub_0844B2 /* rider */);
            plant32(rom::landed_routines + 4 * t, kLanded);
        }
        plant16(rom::route_jumps + 4 * kRoute, 8);
        plant16(rom::route_jumps + 4 * kRoute + 2, static_cast<uint16_t>(-4));
        plant8(rom::route_steps + 2 * kRoute, 2);
        plant8(rom::route_steps + 2 * kRoute + 1, 0);
        plant8(rom::route_frames + kRoute, 5);
        plant8(rom::rider_carrier_hit_table + kRankTier, 6);
        plant8(rom::rider_carrier_hit_table + 4, 4);
        plant8(rom::rider_carrier_hit_table + 5, 6);
        plant8(rom::rider_cooldowns + kRankTier, 12);
        const uint32_t rider_states[] = {continuation::rider_appear, continuation::rider_ride,
                                         continuation::rider_stun, continuation::rider_stun_count,
                                         continuation::rider_defeat};
        for (uint32_t s = 0; s < 5; ++s) plant32(rom::rider_states + 4 * s, rider_states[s]);
        fake_all({sub_07A70C /* generic defeat pop */, sub_07A4DE /* facing */});
        landed_.clear();
        fake(kLanded, [this] { landed_.push_back(r(20)); });
    }
    // A carrier at world (x, y) with the rider type and route 1.
    uint32_t carrier(uint8_t rider_type, int x = 100, int y = 400) {
        plant8(kSpawnData, rider_type);
        plant8(kSpawnData + 1, kRoute);
        return path_object(entry::sub_08425C /* carrier */, x, y, kSpawnData);
    }
    static uint32_t rider_of(uint32_t c) { return var::object_area | ram16(c + object_record::partner); }
    // Into the window (screen 100, 68) and through the flight to the set-down.
    void fly_to_set_down(uint32_t c) {
        orb_write16(c + object_record::world_x, 400);
        pass();  // the window: state 2
        pass(5);
    }
    std::vector<uint32_t> landed_;
};

TEST_F(RiderCarrier, UnseenButCountedUntilInsideTheWindow) {
    const uint32_t c = carrier(0);
    pass(5);
    EXPECT_EQ(state_of(c), 1);
    EXPECT_EQ(live(), 1) << "the carrier counts; the rider waits uncounted";
    EXPECT_FALSE(ram16(c) >> object_flag::listed & 1);
    EXPECT_EQ(ram16(c + object_record::energy), 14);
    EXPECT_EQ(ram16(c + object_record::score_value), 200);
    const uint32_t rider = rider_of(c);
    EXPECT_EQ(ram32(rider + object_record::routine), entry::sub_0844B2 /* rider */);
    EXPECT_EQ(ram16(rider + object_record::owner), static_cast<uint16_t>(c));
    EXPECT_EQ(state_of(rider), 0);
    // Window edges: screen x 80..240, y 56..168 (y is world / 4 - 32 here).
    const struct {
        int x, y;
        bool inside;
    } cases[] = {{316, 400, false}, {320, 400, true}, {964, 400, false}, {960, 352, true},
                 {400, 348, false}, {400, 800, true}, {400, 804, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.x * 10000 + k.y);
        orb_write8(c + object_record::state, 1);
        orb_write16(c + object_record::world_x, static_cast<uint16_t>(k.x));
        orb_write16(c + object_record::world_y, static_cast<uint16_t>(k.y));
        pass();
        EXPECT_EQ(state_of(c) == 2, k.inside);
        if (k.inside) {
            EXPECT_EQ(x_of(c), k.x + 8) << "the route's jump";
        }
    }
}

TEST_F(RiderCarrier, FliesTheRouteThenSetsTheRiderDownOnItsOwnPlatform) {
    const uint32_t c = carrier(0);
    pass();
    const uint32_t rider = rider_of(c);
    orb_write16(c + object_record::world_x, 400);
    pass();
    EXPECT_EQ(state_of(c), 2);
    EXPECT_EQ(x_of(c), 408);
    EXPECT_EQ(y_of(c), 396);
    EXPECT_EQ(running(entry::sub_07CFC2 /* attachment */).size(), 1u);
    EXPECT_EQ(state_of(rider), 1) << "the rider appears once the carrier flies";
    EXPECT_EQ(live(), 2);
    EXPECT_EQ(x_of(rider), 408);
    EXPECT_EQ(y_of(rider), 396 - 56);
    pass(5);
    EXPECT_EQ(state_of(c), 3);
    EXPECT_EQ(x_of(c), 418);
    // The landed routine ran at once, then as the rider's routine in the pass.
    EXPECT_EQ(landed_, (std::vector<uint32_t>{rider, rider}));
    EXPECT_EQ(ram32(rider + object_record::routine), kLanded);
    EXPECT_EQ(ram32(c + set_piece::rider_platform), 0x01000404u);
    EXPECT_EQ(ram16(c + set_piece::rider_platform + 4), 418);
    EXPECT_EQ(ram16(c + set_piece::rider_platform + 6), 422);
    EXPECT_EQ(ram16(c + set_piece::rider_platform + 8), 396 - 56);
    EXPECT_EQ(ram32(rider + object_record::data_pointer), c + set_piece::rider_platform);
    // It waits while the rider still names it, then turns back.
    pass(3);
    EXPECT_EQ(state_of(c), 3);
    EXPECT_EQ(x_of(c), 418);
    orb_write16(rider + object_record::partner, 0);
    pass();
    EXPECT_EQ(state_of(c), 9);
    pass();
    EXPECT_EQ(state_of(c), 10);
    EXPECT_EQ(x_of(c), 416);
    // Off screen (not listed) it leaves: removal next frame, counted off.
    orb_write16(c + object_record::world_x, 0x6000);
    pass(2);
    EXPECT_EQ(ram32(c + object_record::routine), entry::sub_08445B /* carrier removal */);
    const uint8_t count = live();
    pass();
    EXPECT_FALSE(on_ring(c));
    EXPECT_EQ(live(), count - 1);
}

TEST_F(RiderCarrier, RiderTypesTwoAndThreeTakeRomPlatformData) {
    const struct {
        uint8_t type;
        bool mirrored;
        uint32_t data;
    } cases[] = {{2, false, 0x0846DC}, {2, true, 0x0846DD}, {3, false, 0x0846DE}, {3, true, 0x0846DF}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.data);
        init_objects();
        landed_.clear();
        const uint32_t c = carrier(k.type);
        pass();
        const uint32_t rider = rider_of(c);
        orb_write16(c + object_record::world_x, 400);
        pass();
        if (k.mirrored) orb_write16(rider, ram16(rider) | 1u << object_flag::mirror_x);
        pass(5);
        EXPECT_EQ(ram32(rider + object_record::data_pointer), k.data);
        EXPECT_FALSE(landed_.empty());
    }
}

TEST_F(RiderCarrier, ARiderDefeatedBeforeTheSetDownSendsTheCarrierBack) {
    const uint32_t c = carrier(0);
    pass();
    const uint32_t rider = rider_of(c);
    orb_write16(c + object_record::world_x, 400);
    pass(2);
    orb_write8(rider + object_record::state, 4);  // the riding defeat
    pass();
    EXPECT_EQ(ram16(rider + object_record::partner), 0);
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0xF5});
    EXPECT_EQ(calls(sub_07A70C /* generic defeat pop */), 1);
    pass(3);
    EXPECT_TRUE(landed_.empty()) << "the set-down does nothing";
    EXPECT_EQ(ram32(rider + object_record::routine), entry::sub_0844B2 /* rider */);
    EXPECT_EQ(state_of(c), 9) << "state 3 sees no rider in the frame of the set-down";
    EXPECT_EQ(x_of(c), 418);
    pass();
    EXPECT_EQ(state_of(c), 10);
    EXPECT_EQ(x_of(c), 416);
}

TEST_F(RiderCarrier, DestructionFlagsTheRiderAfterTenFramesAndFreesThirtyLater) {
    const uint32_t c = carrier(0);
    pass();
    const uint32_t rider = rider_of(c);
    orb_write16(c + object_record::world_x, 400);
    pass();
    orb_write16(c, ram16(c) | 1u << object_flag::hit | 1u << object_flag::defeated);
    const uint8_t count = live();
    pass(9);
    EXPECT_EQ(state_of(c), 7);
    EXPECT_EQ(running(entry::sub_07B615 /* short effect */).size(), 1u);
    EXPECT_FALSE(ram16(rider) >> object_flag::defeated & 1);
    pass();
    EXPECT_EQ(state_of(c), 8);
    EXPECT_TRUE(ram16(rider) >> object_flag::hit & 1);
    EXPECT_TRUE(ram16(rider) >> object_flag::defeated & 1);
    pass(29);
    EXPECT_TRUE(on_ring(c));
    pass();
    EXPECT_FALSE(on_ring(c));
    EXPECT_EQ(live(), count - 1);
}

TEST_F(RiderCarrier, AnAttackThatLandsSetsTheCooldownAndClearsTheStun) {
    const uint32_t c = carrier(0);
    pass();
    orb_write16(c + object_record::world_x, 400);
    pass();
    orb_write8(c + set_piece::ai_stun_timer, 5);
    touching_ = {1};
    pass();
    EXPECT_EQ(ram32(c + set_piece::attack_cooldown), 12u);
    touching_.clear();
}

TEST_F(RiderCarrier, AnEmptyPoolKeepsItInStateZeroUnchanged) {
    // Fillers that give themselves back once release_ is set.
    constexpr uint32_t kFiller = kTestEntry[3];
    bool release = false;
    fake(kFiller, [&release] {
        if (!release) return;
        release = false;
        call_routine(sub_088CD3);
        call_routine(sub_088D0C);
    });
    const uint32_t c = carrier(0);
    while (free128() > 0) spawn(kFiller, sub_088C67);
    orb_write16(c + object_record::energy, 77);
    pass(3);
    EXPECT_EQ(state_of(c), 0);
    EXPECT_EQ(ram16(c), 0);
    EXPECT_EQ(live(), 0);
    EXPECT_EQ(ram16(c + object_record::energy), 77);
    EXPECT_EQ(ram16(c + object_record::partner), 0);
    release = true;
    pass();  // a filler gives itself back after the carrier has run
    EXPECT_EQ(state_of(c), 0);
    pass();
    EXPECT_EQ(state_of(c), 1);
    EXPECT_EQ(ram32(rider_of(c) + object_record::routine), entry::sub_0844B2 /* rider */);
}

TEST_F(RiderCarrier, WithoutAFreeObjectItFliesWithoutTheAttachedPart) {
    const uint32_t c = carrier(0);
    pass();
    while (free128() > 0) spawn(kIdle, sub_088C67);
    orb_write16(c + object_record::world_x, 400);
    pass();
    EXPECT_EQ(state_of(c), 2);
    EXPECT_TRUE(running(entry::sub_07CFC2 /* attachment */).empty());
    pass();
    EXPECT_EQ(x_of(c), 410);
}

using RiderCarrierDeathTest = RiderCarrier;

TEST_F(RiderCarrierDeathTest, RiderTypeSixEndsTheRun) {
    // Entry 6 of the riding routines lies in the route table: route 1's jump.
    plant32(rom::riding_routines + 4 * 6, kIdle);
    const uint32_t c = carrier(6);
    pass();
    orb_write16(c + object_record::world_x, 400);
    pass();
    EXPECT_EXIT(pass(5), ::testing::ExitedWithCode(3), "has no translated target");
}

// ---- the camera-triggered enemy ----

class CameraEnemy : public PathTest {
protected:
    void SetUp() override {
        PathTest::SetUp();
        const uint32_t states[] = {continuation::camera_enemy_set_up,
                                   continuation::camera_enemy_trigger,
                                   continuation::camera_enemy_countdown,
                                   entry::sub_07A50F /* wait */,
                                   continuation::camera_enemy_defeat_signal,
                                   continuation::start_code,
                                   continuation::stun_countdown,
                                   entry::sub_07A592};
        for (uint32_t s = 0; s < 8; ++s) plant32(rom::camera_enemy_states + 4 * s, states[s]);
        fake(sub_07A49A /* platform set up */,
             [] { orb_write8(r(20) + 2, static_cast<uint8_t>(ram8(r(20) + 2) + 1)); });
        fake(sub_0824F3 /* child effect */, [this] { effects_.push_back({r(0), r(10)}); });
        fake_all({sub_07A9D7 /* random timer */, sub_07A50F /* wait */, sub_07A523 /* place list boxes */,
                  sub_07A70C /* generic defeat pop */, sub_07A592});
        enemy_ = spawn(entry::sub_082B50 /* camera enemy */, sub_088C67);
        orb_write16(enemy_, 1);
        cpu.reg[20] = enemy_;
    }
    void camera_x(int x) { orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(x)); }
    void enter(uint8_t state) { orb_write8(enemy_ + object_record::state, state); }
    uint32_t enemy_ = 0;
    std::vector<std::pair<uint32_t, uint32_t>> effects_;
};

TEST_F(CameraEnemy, SetUpMakesFourObjectsOnlyWhenFourAreFree) {
    const struct {
        uint16_t free;
        bool made;
    } cases[] = {{3, false}, {4, true}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.free);
        init_objects();
        enemy_ = spawn(entry::sub_082B50 /* camera enemy */, sub_088C67);
        while (free128() > k.free) spawn(kIdle, sub_088C67);
        cpu.reg[20] = enemy_;
        ASSERT_TRUE(run(sub_082B50));
        const auto parts = running(continuation::camera_enemy_object);
        if (!k.made) {
            EXPECT_TRUE(parts.empty());
            EXPECT_EQ(state_of(enemy_), 0);
            EXPECT_EQ(ram8(enemy_ + object_record::type), 0);
            continue;
        }
        ASSERT_EQ(parts.size(), 4u);
        for (uint8_t i = 0; i < 4; ++i) {
            EXPECT_EQ(ram8(parts[i] + object_record::type), i);
            EXPECT_EQ(ram16(parts[i] + object_record::owner), static_cast<uint16_t>(enemy_));
        }
        EXPECT_EQ(ram8(enemy_ + object_record::type), 8);
        EXPECT_EQ(state_of(enemy_), 1);
        EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0x90});
    }
}

TEST_F(CameraEnemy, WaitsForCameraX1536ThenOpensTheFight) {
    enter(1);
    camera_x(1535);
    pass(3);
    EXPECT_EQ(state_of(enemy_), 1);
    EXPECT_TRUE(effects_.empty());
    camera_x(1536);
    pass();
    EXPECT_EQ(state_of(enemy_), 2);
    EXPECT_EQ(ram8(enemy_ + object_record::enemy_timer), 179);
    ASSERT_EQ(effects_.size(), 1u);
    EXPECT_EQ(effects_[0].first & 0xFF, 70u);
    EXPECT_EQ(effects_[0].second & 0xFFFF, enemy_ & 0xFFFF);
    EXPECT_EQ(sounds(var::sound_ring_b), std::vector<uint8_t>{0xB7});
    EXPECT_EQ(bars_, std::vector<uint32_t>{16});
    pass(178);
    EXPECT_EQ(state_of(enemy_), 2);
    pass();
    EXPECT_EQ(state_of(enemy_), 3);
    pass();
    EXPECT_EQ(calls(sub_07A50F /* wait */), 1) << "then the generic actions";
}

TEST_F(CameraEnemy, DefeatSetsTheControllersStateTo14) {
    const uint32_t controller = actor(1);
    orb_write32(var::area_controller, controller);
    orb_write16(enemy_, 0x8301);
    enter(4);
    pass();
    EXPECT_EQ(state_of(controller), 14);
    EXPECT_EQ(ram16(enemy_), 0);
    EXPECT_EQ(calls(sub_07A70C /* generic defeat pop */), 1);
}

TEST_F(CameraEnemy, GenericStartAndStunCountSteps) {
    orb_write8(enemy_ + object_record::type, 3);
    plant32(rom::ai_start_animations + 12, 0x131000);
    plant8(rom::ai_landing_states + 3, 7);
    orb_write16(enemy_, 1u << object_flag::airborne | 1);
    enter(5);
    pass();
    EXPECT_EQ(state_of(enemy_), 6);
    EXPECT_FALSE(ram16(enemy_) >> object_flag::airborne & 1);
    EXPECT_EQ(calls(sub_07A9D7 /* random timer */), 1);
    EXPECT_EQ(calls(sub_07A50F /* wait */), 1);
    const struct {
        uint8_t timer;
        uint8_t state;
    } cases[] = {{3, 6}, {1, 7}, {0, 7}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.timer);
        enter(6);
        orb_write16(enemy_, 1u << object_flag::intangible | 1);
        orb_write8(enemy_ + set_piece::ai_stun_timer, k.timer);
        pass();
        EXPECT_EQ(state_of(enemy_), k.state);
        EXPECT_EQ((ram16(enemy_) >> object_flag::intangible & 1) != 0, k.state == 6);
    }
    enter(7);
    pass();
    EXPECT_EQ(calls(sub_07A592), 1);
}

using CameraEnemyDeathTest = CameraEnemy;

TEST_F(CameraEnemyDeathTest, TheRunEndsWhenTheRunnerReachesASetUpObject) {
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "No translated code starts at 082C72");
}

TEST_F(CameraEnemyDeathTest, AnUnknownTableEntryEndsTheRun) {
    plant32(rom::camera_enemy_states + 4 * 9, 0x082C00);
    enter(9);
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 082B75 to 082C00 has no translated target");
}

}  // namespace
