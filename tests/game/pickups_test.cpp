#include <gtest/gtest.h>

#include <algorithm>

#include "game/actors/tables.h"
#include "tests/game/path_fixture.h"

namespace {

using namespace path_fixture;

constexpr uint32_t kRecord = 0x130800;  // pickup_record: kind 1, value 250

class Pickup : public PathTest {
protected:
    void SetUp() override {
        PathTest::SetUp();
        plant16(kRecord, 1);
        plant16(kRecord + 2, 250);
        plant32(rom::item_callbacks + 4, entry::sub_07CD01 /* energy callback */);
        plant32(rom::item_callbacks + 8, entry::sub_07CD0C /* score callback */);
        // player_count 1 (three slots): targets at row 4.
        orb_write8(var::backup_primary + backup_record::player_count, 1);
        for (int s = 0; s < 4; ++s) {
            plant16(rom::panel_targets + 4 * (4 + s), static_cast<uint16_t>(40 + 80 * s));
            plant16(rom::panel_targets + 4 * (4 + s) + 2, 10);
        }
        fake(sub_08923F /* direction of */, [] { cpu.reg[0] = direction_; });
    }
    uint32_t item(uint32_t record = kRecord) {
        const uint32_t o = spawn(entry::sub_07CB0C /* item */, sub_088C67);
        orb_write32(o + object_record::data_pointer, record);
        orb_write16(o + object_record::world_x, 400);
        orb_write16(o + object_record::world_y, 400);
        return o;
    }
    static bool hit_mark(int slot) { return ram32(player(slot)) >> object_flag::hit & 1; }
    static std::vector<uint16_t> free_entries() {
        std::vector<uint16_t> v;
        for (uint16_t i = 1; i <= free128(); ++i) v.push_back(ram16(var::free_stack_128 + 2 * i));
        return v;
    }
    static inline uint32_t direction_ = 0;
};

TEST_F(Pickup, TheLowerOfTwoTouchingSlotsCollects) {
    const uint32_t o = item();
    pass();
    EXPECT_EQ(ram16(o + pickup_item::pickup_kind), 1);
    EXPECT_EQ(ram16(o + pickup_item::pickup_value), 250);
    EXPECT_EQ(state_of(o), 1);
    orb_write16(player(1) + object_record::energy, 100);
    orb_write16(player(3) + object_record::energy, 100);
    touching_ = {3, 1};
    pass();
    EXPECT_EQ(ram16(player(1) + object_record::energy), 350);
    EXPECT_EQ(ram16(player(3) + object_record::energy), 100);
    EXPECT_FALSE(hit_mark(1));
    EXPECT_FALSE(hit_mark(3)) << "the other player loses its hit mark";
    EXPECT_EQ(ram32(o + pickup_item::pickup_collector), player(1));
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{167});
    EXPECT_EQ(state_of(o), 2);
    EXPECT_EQ(live(), 0) << "items are not counted";
}

TEST_F(Pickup, CallbacksAddEnergyUnboundedAndScoreUpToTheCap) {
    const struct {
        const char* name;
        v60_routine callback;
        uint32_t field;
        uint32_t before, value, after;
    } cases[] = {
        {"energy", sub_07CD01, object_record::energy, 100, 50, 150},
        {"energy past 16 bits", sub_07CD01, object_record::energy, 0xFFF0, 0x20, 0x10},
        {"score", sub_07CD0C, player_record::score, 1000, 500, 1500},
        {"score to the cap", sub_07CD0C, player_record::score, 99999990, 9, 99999999},
        {"score past the cap", sub_07CD0C, player_record::score, 99999990, 5000, 99999999},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t o = actor(1);
        orb_write16(o + pickup_item::pickup_value, static_cast<uint16_t>(k.value));
        if (k.field == object_record::energy)
            orb_write16(player(2) + k.field, static_cast<uint16_t>(k.before));
        else
            orb_write32(player(2) + k.field, k.before);
        cpu.reg[20] = o;
        cpu.reg[15] = player(2);
        ASSERT_TRUE(run(k.callback));
        EXPECT_EQ(k.field == object_record::energy ? ram16(player(2) + k.field) : ram32(player(2) + k.field),
                  k.after);
        EXPECT_EQ(ram32(o + pickup_item::pickup_collector), player(2));
    }
}

TEST_F(Pickup, InTheDemoACollectedItemVanishes) {
    set_game_flag(game_flag::demo_play);
    const uint16_t before = free128();
    const uint32_t o = item();
    pass();
    touching_ = {0};
    pass();
    touching_.clear();
    pass();
    EXPECT_FALSE(on_ring(o));
    EXPECT_EQ(free128(), before);
}

TEST_F(Pickup, FlightAimsAtThePanelAndEndsWithin300Frames) {
    direction_ = 0;  // straight right: x step wave[256] >> 8 = 16, y step 0
    const uint16_t before = free128();
    const uint32_t o = item();
    pass();
    touching_ = {2};
    pass();
    touching_.clear();
    // Target of slot 2 with three slots is (200, 10); the item sits at
    // screen (100, 100) and flies right, passing it at a distance of 90.
    int frames = 0;
    while (on_ring(o) && frames < 400) {
        pass();
        ++frames;
    }
    EXPECT_EQ(frames, 300);
    EXPECT_EQ(ram16(o + pickup_item::pickup_target_x), 200);
    EXPECT_EQ(ram16(o + pickup_item::pickup_target_y), 10);
    EXPECT_EQ(free128(), before);
}

// The direction comes back in R0's low half only; the upper half still holds
// the sign-extended target x, all ones for a target left of the screen.
TEST_F(Pickup, FlightStepsComeFromTheDirectionInR0sLowHalf) {
    plant16(rom::panel_targets + 4 * (4 + 2), static_cast<uint16_t>(-8));
    fake(sub_08923F /* direction of */, [] {
        EXPECT_EQ(cpu.reg[0], 0xFFFFFFF8u) << "the target x, sign-extended";
        guest::set16(cpu.reg[0], 100);
    });
    const uint32_t o = item();
    pass();
    touching_ = {2};
    pass();
    touching_.clear();
    pass();
    ASSERT_EQ(state_of(o), 3);
    EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_x)), wave(356) >> 8);
    EXPECT_EQ(static_cast<int8_t>(ram8(o + object_record::velocity_y)), wave(100) >> 8);
}

TEST_F(Pickup, FlightMovesInSixteenthsAndArrivesWithinDistance40) {
    direction_ = 0;
    const uint16_t before = free128();
    const uint32_t o = item();
    pass();
    touching_ = {0};  // target (40, 10)
    pass();
    touching_.clear();
    orb_write16(o + object_record::screen_x, 30);
    orb_write16(o + object_record::screen_y, 7);
    pass();
    ASSERT_EQ(state_of(o), 3);
    // 10² + 3² = 109: flies on by 16/16 pixel per frame.
    EXPECT_EQ(s16(o + object_record::screen_x), 31);
    EXPECT_EQ(ram16(o + path_object::colour_word) & 0xF800, 0);
    int frames = 0;
    while (on_ring(o) && frames < 20) {
        pass();
        ++frames;
    }
    EXPECT_EQ(frames, 5) << "at x 35: 5² + 3² = 34";
    EXPECT_EQ(free128(), before);
}

// The flight ends at a squared distance of 40 or less from the target, on
// either side of it; at 41 the item flies on.
TEST_F(Pickup, FlightEndsAtASquaredDistanceOf40AndGoesOnAt41) {
    direction_ = 0;  // one pixel right a frame
    const struct {
        int16_t x, y;
        bool arrives;
    } rows[] = {
        {34, 8, true},    // 6² + 2² = 40
        {42, 4, true},    // (-2)² + 6² = 40
        {46, 12, true},   // (-6)² + (-2)² = 40
        {35, 6, false},   // 5² + 4² = 41
        {44, 15, false},  // (-4)² + (-5)² = 41
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "at " << row.x << ", " << row.y);
        const uint32_t o = item();
        pass();
        touching_ = {0};  // target (40, 10)
        pass();
        touching_.clear();
        orb_write16(o + object_record::screen_x, static_cast<uint16_t>(row.x));
        orb_write16(o + object_record::screen_y, static_cast<uint16_t>(row.y));
        const uint16_t before = free128();
        pass();
        EXPECT_EQ(on_ring(o), !row.arrives);
        EXPECT_EQ(free128(), row.arrives ? before + 1 : before);
        if (!row.arrives) {
            EXPECT_EQ(s16(o + object_record::screen_x), row.x + 1) << "flew on";
        }
        for (int f = 0; f < 300 && on_ring(o); ++f) pass();
        ASSERT_FALSE(on_ring(o));
    }
}

TEST_F(Pickup, ATimerRunningOutNearTheTargetFreesTheItemOnce) {
    direction_ = 0;
    const uint32_t o = item();
    pass();
    touching_ = {0};
    pass();
    touching_.clear();
    pass();  // state 3
    orb_write16(o + object_record::screen_x, 40);
    orb_write16(o + object_record::screen_y, 10);
    orb_write16(o + pickup_item::pickup_timer, 1);
    const uint16_t before = free128();
    pass();
    EXPECT_FALSE(on_ring(o));
    EXPECT_EQ(free128(), before + 1);
    const auto entries = free_entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), static_cast<uint16_t>(o)), 1);
    EXPECT_EQ(s16(o + object_record::screen_x), 40) << "a freed item is not moved";
}

TEST_F(Pickup, AnAreaChangeFreesTheItem) {
    const uint16_t before = free128();
    const uint32_t o = item();
    pass();
    set_game_flag(game_flag::area_change);
    pass();
    EXPECT_FALSE(on_ring(o));
    EXPECT_EQ(free128(), before);
}

// ---- the pickup carrier ----

class PickupCarrier : public Pickup {
protected:
    void SetUp() override {
        Pickup::SetUp();
        for (uint32_t t : {1u, 3u}) {
            plant8(rom::carrier_shot_gaps + 4 * t + kRankTier, 4);
            plant8(rom::carrier_burst_shots + 4 * t + kRankTier, 1);
            plant8(rom::contact_cooldowns + 4 * t + kRankTier, static_cast<uint8_t>(20 + t));
            plant8(rom::probe_reloads + 4 * t + kRankTier, 6);
        }
        plant8(rom::carrier_hit_table + kRankTier, 3);
        plant8(rom::carrier_hit_table + 4, 2);
        plant8(rom::carrier_hit_table + 5, 4);
        plant16(rom::left_item, 2);
        plant16(rom::left_item + 2, 1000);
        fake(sub_07B78A /* random player */, [] { cpu.reg[0] = 0; });  // shots wait for a player
    }
    // Contact tests so far: the box of a frame whose box list is at 0.
    size_t contact_tests() const {
        return static_cast<size_t>(
            std::count_if(tests_.begin(), tests_.end(), [](const Test& t) { return t.box == 1; }));
    }
    uint32_t carrier(uint32_t entry_routine) {
        const uint32_t o = path_object(entry_routine, 400, 400);
        return o;
    }
};

TEST_F(PickupCarrier, TypeThreeLeavesAnItemWhenDefeatedOrAtTheScriptEnd) {
    const struct {
        const char* name;
        uint32_t routine;
        bool defeat;
        bool item;
    } cases[] = {
        {"type 3 defeated", entry::sub_07CE00 /* carrier type 3 */, true, true},
        {"type 3 script end", entry::sub_07CE00 /* carrier type 3 */, false, true},
        {"type 1 defeated", entry::sub_07CE0E /* carrier type 1 */, true, false},
        {"type 1 script end", entry::sub_07CE0E /* carrier type 1 */, false, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        init_objects();
        orb_write8(var::live_enemy_count, 0);
        at_ = kScript;
        entry(k.defeat ? 500 : 2, 1, 0);
        command(0);
        const uint16_t before = free128();
        const uint32_t o = carrier(k.routine);
        pass();
        EXPECT_EQ(live(), 1);
        EXPECT_EQ(ram32(o + object_record::routine), entry::sub_07CE1C /* carrier */);
        EXPECT_EQ(running(entry::sub_07CFC2 /* attachment */).size(), 1u);
        if (k.defeat) {
            orb_write16(o, ram16(o) | 1u << object_flag::hit | 1u << object_flag::defeated);
            pass(10);
        } else {
            pass(3);
        }
        EXPECT_EQ(live(), 0);
        pass();  // the attachment sees bit 0 gone
        EXPECT_TRUE(running(entry::sub_07CFC2 /* attachment */).empty());
        if (k.item) {
            EXPECT_TRUE(on_ring(o));
            EXPECT_EQ(ram32(o + object_record::routine), entry::sub_07CB0C /* item */);
            EXPECT_EQ(ram16(o + pickup_item::pickup_kind), 2) << "the item started in the next frame";
            EXPECT_EQ(ram16(o + pickup_item::pickup_value), 1000);
            EXPECT_EQ(x_of(o), k.defeat ? 401 : 402);
        } else {
            EXPECT_FALSE(on_ring(o));
            EXPECT_EQ(free128(), before + (k.defeat ? -1 : 0)) << "the defeat effect (a stand-in) stays";
        }
    }
}

TEST_F(PickupCarrier, AContactHitSetsTheCooldownAsAWordClearingTheStun) {
    entry(500, 1, 0);
    command(1);
    const uint32_t o = carrier(entry::sub_07CE00 /* carrier type 3 */);
    pass();
    orb_write8(o + path_object::stun_timer, 9);
    orb_write8(o + 58, 7);
    touching_ = {0};
    pass();
    EXPECT_EQ(ram32(o + path_object::contact_cooldown), 23u);
    touching_.clear();
    const size_t tests = contact_tests();
    pass(23);
    EXPECT_EQ(ram8(o + path_object::contact_cooldown), 0);
    EXPECT_EQ(contact_tests(), tests) << "no contact test while cooling down";
    pass();
    EXPECT_EQ(contact_tests(), tests + 1);
}

TEST_F(PickupCarrier, ASideBurstPausesPathAnimationAndShots) {
    shot_list({0, 0, 0x8000, 1});
    entry(500, 1, 0);
    command(1);
    orb_write8(var::frame_counter, 1);
    const uint32_t o = carrier(entry::sub_07CE0E /* carrier type 1 */);
    orb_write16(o + object_record::world_x, 400);
    pass();
    // The side-1 probe touches a player.
    touching_ = {0};
    pass();
    touching_.clear();
    const auto bursts = running(entry::sub_07D12D /* side burst */);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(ram8(bursts[0] + object_record::type), 1);
    EXPECT_EQ(ram8(o + path_object::side_probe_timers + 1), 6);
    const size_t shots = running(entry::sub_07D041 /* shot */).size();
    const int x_at_burst = x_of(o);
    pass(5);
    EXPECT_EQ(x_of(o), x_at_burst) << "the path waits";
    EXPECT_EQ(running(entry::sub_07D041 /* shot */).size(), shots) << "no shots";
    pass(8);
    EXPECT_GT(x_of(o), x_at_burst);
}

// A side burst stands at its side's {dx, dy} from the carrier, frame after
// frame while it runs.
TEST_F(PickupCarrier, ASideBurstStandsAtItsSidesOffsetFromTheCarrier) {
    const struct {
        uint8_t side;
        int dx, dy;
    } cases[] = {{0, -56, 6}, {1, 72, -10}};
    for (const auto& k : cases) {
        plant16(rom::side_burst_offsets + 4 * k.side, static_cast<uint16_t>(k.dx));
        plant16(rom::side_burst_offsets + 4 * k.side + 2, static_cast<uint16_t>(k.dy));
    }
    entry(500, 1, 0);
    command(1);
    for (const auto& k : cases) {
        SCOPED_TRACE(int(k.side));
        init_objects();
        orb_write8(var::frame_counter, k.side);
        const uint32_t o = carrier(entry::sub_07CE0E /* carrier type 1 */);
        pass();
        touching_ = {0};
        pass();
        touching_.clear();
        const auto bursts = running(entry::sub_07D12D /* side burst */);
        ASSERT_EQ(bursts.size(), 1u);
        ASSERT_EQ(ram8(bursts[0] + object_record::type), k.side);
        for (int f = 0; f < 3; ++f) {
            pass();
            EXPECT_EQ(x_of(bursts[0]) - x_of(o), k.dx) << "frame " << f;
            EXPECT_EQ(y_of(bursts[0]) - y_of(o), k.dy) << "frame " << f;
        }
    }
}

TEST_F(PickupCarrier, AnAimedShotFliesAtThreeTimesTheWaveOver4096) {
    const uint32_t parent = actor(1);
    orb_write8(parent + object_record::type, 3);
    orb_write16(parent + object_record::world_x, 300);
    orb_write16(parent + object_record::world_y, 500);
    plant8(rom::carrier_shot_strength + 12 + kRankTier, 17);
    const uint32_t shot = spawn(entry::sub_07D041 /* shot */, sub_088C67);
    orb_write16(shot + object_record::owner, static_cast<uint16_t>(parent));
    // R21 holds another object, owned by another carrier elsewhere: the shot
    // finds its carrier through itself (R20), not through what R21 holds.
    const uint32_t other = actor(1);
    orb_write8(other + object_record::type, 1);
    orb_write16(other + object_record::world_x, 700);
    orb_write16(other + object_record::world_y, 100);
    const uint32_t stranger = actor(1);
    orb_write16(stranger + object_record::owner, static_cast<uint16_t>(other));
    cpu.reg[21] = stranger;
    // No player in play: the shot waits in state 0.
    fake(sub_07B78A /* random player */, [] { cpu.reg[0] = 0; });
    pass();
    EXPECT_EQ(state_of(shot), 0);
    fake(sub_07B78A /* random player */, [] {
        cpu.reg[0] = 1;
        cpu.reg[19] = player(1);
    });
    fake(sub_08921C /* direction to */, [] { cpu.reg[0] = 100; });
    pass();
    EXPECT_EQ(state_of(shot), 1);
    const int vx = (3 * wave(356)) >> 12, vy = (3 * wave(100)) >> 12;
    EXPECT_EQ(static_cast<int8_t>(ram8(shot + path_object::path_velocity_x)), vx);
    EXPECT_EQ(static_cast<int8_t>(ram8(shot + path_object::path_velocity_y)), vy);
    EXPECT_EQ(x_of(shot), 300 + vx);
    ASSERT_GE(tests_.size(), 1u);
    EXPECT_EQ(tests_.back().strength, 17u);
    touching_ = {0};
    pass();
    EXPECT_FALSE(on_ring(shot)) << "gone at its first touch";
}

}  // namespace
