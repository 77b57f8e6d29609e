#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/continuations.h"
#include "game/actors/tables.h"
#include "game/flow/vars.h"
#include "tests/game/actor_fixture.h"

namespace {

constexpr uint32_t kStageLists = 0x120000;  // the stage's table of area lists
constexpr uint32_t kList = 0x120100;
constexpr uint8_t kStage = 1, kArea = 2;
constexpr uint32_t kEnemyRoutine = GameRoutineTest::kTestEntry[1];
constexpr uint32_t kOtherRoutine = GameRoutineTest::kTestEntry[2];
constexpr uint8_t kFactor = 2;  // one slot in play
constexpr uint8_t kPlayers = 1;
constexpr uint8_t kOrdinary = 1u << kFactor;  // passes the player-count test

struct record {
    uint8_t type, flags;
    uint16_t trigger, x, y, offset;
};

class Spawning : public ActorTest {
protected:
    void SetUp() override {
        ActorTest::SetUp();
        plant32(rom::spawn_list_table + 4 * kStage, kStageLists);
        plant32(kStageLists + 4 * kArea, kList);
        plant32(rom::spawn_routine_table + 0, kEnemyRoutine);
        plant32(rom::spawn_routine_table + 4, kOtherRoutine);
        plant8(rom::difficulty_factor_table + kPlayers, kFactor);
        orb_write8(var::stage, kStage);
        orb_write8(var::area, kArea);
        orb_write32(var::game_flags, kPlayers);
        orb_write32(var::enemy_flags, 0);  // no wave lock, no wave bits yet
        // A spawned actor comes alive in its first frame; a test ends it by
        // clearing its flags.
        for (uint32_t routine : {kEnemyRoutine, kOtherRoutine})
            fake(routine, [] {
                const uint32_t o = cpu.reg[20];
                if (orb_read8(o + object_record::state) == 0) {
                    orb_write16(o + object_record::flags, 0x8001);
                    orb_write8(o + object_record::state, 1);
                }
            });
    }

    void plant_list(const std::vector<record>& records) {
        uint32_t at = kList;
        for (const record& r : records) {
            plant8(at, r.type);
            plant8(at + 1, r.flags);
            plant16(at + 2, r.trigger);
            plant16(at + 4, r.x);
            plant16(at + 6, r.y);
            plant16(at + 8, r.offset);
            at += 10;
        }
        plant8(at, 0xFF);
    }
    void camera(int16_t x, int16_t y = 0) {
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(x));
        orb_write16(var::playfield_camera + camera_record::y, static_cast<uint16_t>(y));
    }
    // A generator on the ring; its first pass runs with the next frame.
    uint32_t generator() {
        gen_ = spawn(entry::sub_066200, sub_088C57);
        return gen_;
    }
    uint16_t counter(int n) const { return ram16(gen_ + 16 + 2 * n); }
    // The object that record n spawned (0 when its counter holds none).
    uint32_t object_of(int n) const {
        const uint16_t c = counter(n);
        return c >= 1 && c < 0x8000 ? var::object_area | c : 0;
    }
    void end(uint32_t object) { orb_write16(object + object_record::flags, 0); }
    std::vector<uint32_t> with_routine(uint32_t routine) const {
        std::vector<uint32_t> found;
        for (uint32_t o : ring())
            if (ram32(o + object_record::routine) == routine) found.push_back(o);
        return found;
    }
    // Which records have spawned, as a string of 0/1 per record.
    std::string spawned(int records) const {
        std::string s;
        for (int n = 0; n < records; ++n) s += object_of(n) ? '1' : '0';
        return s;
    }
    static bool bit(uint32_t address, unsigned b) { return (ram32(address) >> b) & 1; }

    uint32_t gen_ = 0;
};

// ---- start ----

TEST_F(Spawning, StartCountsToTheEndMarkerAndPicksTheModeByTheArea) {
    for (bool placed : {false, true}) {
        SCOPED_TRACE(placed ? "placed objects" : "scrolling");
        init_objects();
        orb_write32(var::game_flags, kPlayers | (placed ? 1u << game_flag::placed_objects : 0));
        plant_list(
            {{0, kOrdinary, 5000, 0, 0, 0}, {1, kOrdinary, 5000, 0, 0, 0}, {0, kOrdinary, 5000, 0, 0, 0}});
        camera(40);
        const uint32_t g = generator();
        orb_write16(g + object_record::flags, 0xFFFF);
        pass();
        EXPECT_EQ(ram16(g + object_record::flags), 0);
        EXPECT_EQ(ram8(g + spawn_generator::count), 3);
        EXPECT_EQ(ram16(g + spawn_generator::last_x), 40);
        EXPECT_EQ(ram32(g + object_record::routine),
                  placed ? entry::sub_06623F /* window */ : entry::sub_06628B /* sweep */);
        EXPECT_EQ(with_routine(entry::sub_06ACB8 /* watcher */).size(), placed ? 0u : 1u);
    }
}

TEST_F(Spawning, AnEmptyListFreesItsGeneratorInItsFirstFrame) {
    plant_list({});
    const uint16_t free_before = ram16(var::free_stack_256);
    const uint32_t g = generator();
    pass();
    EXPECT_FALSE(on_ring(g));
    EXPECT_EQ(ram16(var::free_stack_256), free_before);
    EXPECT_EQ(ram16(var::free_stack_256 + 2 * free_before), static_cast<uint16_t>(g));
    EXPECT_TRUE(with_routine(entry::sub_06ACB8 /* watcher */).empty());
}

// ---- sweep mode ----

TEST_F(Spawning, SweepSpawnsTriggersBetweenTheLastAndTheCurrentCameraX) {
    const struct {
        const char* name;
        int16_t from, to;
        const char* expected;  // for triggers 99, 100, 120, 140, 141
    } cases[] = {
        {"still", 100, 100, "01000"},
        {"forward", 100, 140, "01110"},
        {"backward", 140, 100, "01110"},
        {"still at the far end", 140, 140, "00010"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        init_objects();
        std::vector<record> list;
        for (uint16_t t : {99, 100, 120, 140, 141}) list.push_back({0, kOrdinary, t, 0, 0, 0});
        plant_list(list);
        camera(k.from);
        generator();
        pass();
        camera(k.to);
        pass();
        EXPECT_EQ(spawned(5), k.expected);
    }
}

TEST_F(Spawning, ASpawnedObjectTakesItsTypesRoutinePositionAndData) {
    plant_list({{0, kOrdinary, 0, 700, 300, 0}, {1, kOrdinary, 0, 20, 40, 0x1234}});
    camera(0);
    generator();
    pass();
    const uint32_t a = object_of(0), b = object_of(1);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(ram32(a + object_record::routine), kEnemyRoutine);
    EXPECT_EQ(ram32(b + object_record::routine), kOtherRoutine);
    EXPECT_EQ(ram16(a + object_record::world_x), 700);
    EXPECT_EQ(ram16(a + object_record::world_y), 300);
    EXPECT_EQ(ram32(a + 16), 0u) << "no data offset: +16 untouched";
    EXPECT_EQ(ram32(b + 16), kList + 10 + 8 + 0x1234u);
    EXPECT_EQ(calls(kEnemyRoutine), 1) << "the new object runs in the same pass";
}

TEST_F(Spawning, AnEmptyPoolLeavesTheRecordArmed) {
    plant_list({{0, kOrdinary, 0, 0, 0, 0}});
    camera(0);
    generator();
    const uint16_t free_128 = ram16(var::free_stack_128);
    orb_write16(var::free_stack_128, 0);
    pass();
    EXPECT_EQ(counter(0), 0);
    orb_write16(var::free_stack_128, free_128);
    pass();
    EXPECT_NE(object_of(0), 0u);
}

TEST_F(Spawning, SweepRespawnReArmsAtThe480thPassAndOthersAreDone) {
    plant_list({{0, kOrdinary | 1, 0, 0, 0, 0}, {0, kOrdinary, 0, 0, 0, 0}});
    camera(0);
    generator();
    pass();
    end(object_of(0));
    end(object_of(1));
    pass();
    EXPECT_EQ(counter(0), 0xFE20);
    EXPECT_EQ(counter(1), 0x8000);
    int passes = 0;
    while (counter(0) != 0 && passes < 1000) {
        pass();
        ++passes;
    }
    EXPECT_EQ(passes, 480);
    pass();
    EXPECT_NE(object_of(0), 0u) << "armed again, the still camera meets its trigger";
    EXPECT_EQ(counter(1), 0x8000);
}

TEST_F(Spawning, TheAreaWonBitEndsTheGenerator) {
    plant_list({{0, kOrdinary, 5000, 0, 0, 0}});
    const uint16_t free_before = ram16(var::free_stack_256);
    const uint32_t g = generator();
    pass();
    orb_write32(var::system_flags, 1u << system_flag::area_won);
    pass();
    EXPECT_FALSE(on_ring(g));
    EXPECT_EQ(ram16(var::free_stack_256), free_before);
}

// ---- window mode ----

TEST_F(Spawning, WindowSpawnsRecordsInsideTheBoxAroundTheCamera) {
    orb_write32(var::game_flags, kPlayers | 1u << game_flag::placed_objects);
    const int16_t cx = 1000, cy = 500;
    plant_list({
        {0, kOrdinary, 0, cx - 160, cy, 0},
        {0, kOrdinary, 0, cx - 161, cy, 0},
        {0, kOrdinary, 0, cx + 1440, cy, 0},
        {0, kOrdinary, 0, cx + 1441, cy, 0},
        {0, kOrdinary, 0, cx, cy - 160, 0},
        {0, kOrdinary, 0, cx, cy - 161, 0},
        {0, kOrdinary, 0, cx, cy + 1056, 0},
        {0, kOrdinary, 0, cx, cy + 1057, 0},
    });
    camera(cx, cy);
    generator();
    pass();
    EXPECT_EQ(spawned(8), "10101010");
}

TEST_F(Spawning, WindowRespawnWaitsAt0xFFFFUntilItsRecordLeavesTheWindow) {
    orb_write32(var::game_flags, kPlayers | 1u << game_flag::placed_objects);
    plant_list({{0, kOrdinary | 1, 0, 100, 100, 0}});
    camera(0, 0);
    generator();
    pass();
    end(object_of(0));
    pass();
    ASSERT_EQ(counter(0), 0xFE20);
    int passes = 0;
    while (counter(0) != 0xFFFF && passes < 1000) {
        pass();
        ++passes;
    }
    EXPECT_EQ(passes, 479);
    pass(20);
    EXPECT_EQ(counter(0), 0xFFFF) << "still inside";
    camera(3000, 0);
    pass();
    EXPECT_EQ(counter(0), 0) << "armed once outside";
    camera(0, 0);
    pass();
    EXPECT_NE(object_of(0), 0u);
}

// ---- records ----

TEST_F(Spawning, BossRecordsOpenTheGateAndEndTheAreaWhenGone) {
    for (uint8_t flags : {0x00, 0x80}) {
        SCOPED_TRACE(flags);
        init_objects();
        orb_write32(var::game_flags, kPlayers);
        orb_write32(var::system_flags, 0);
        orb_write8(var::sound_ring_a + sound_ring::read, ram8(var::sound_ring_a + sound_ring::write));
        plant_list({{0, flags, 0, 0, 0, 0}});
        camera(0);
        generator();
        pass();
        EXPECT_TRUE(bit(var::game_flags, game_flag::wave_gate));
        EXPECT_EQ(sounds(var::sound_ring_a), (std::vector<uint8_t>{0x84, 0x90}));
        pass();
        EXPECT_FALSE(bit(var::system_flags, system_flag::area_won)) << "alive";
        end(object_of(0));
        pass();
        EXPECT_TRUE(bit(var::system_flags, system_flag::area_won));
        EXPECT_EQ(bit(var::game_flags, game_flag::play_over), flags == 0x80);
        EXPECT_EQ(counter(0), 0x8000);
    }
}

TEST_F(Spawning, AnAfterBossRecordWaitsArmedForTheGate) {
    plant_list({{0, kOrdinary | 1u << 5, 0, 0, 0, 0}, {1, 0x00, 0, 0, 0, 0}});
    camera(0);
    generator();
    pass();
    EXPECT_EQ(spawned(2), "01");
    EXPECT_EQ(counter(0), 0);
    pass();
    EXPECT_EQ(spawned(2), "11");
}

TEST_F(Spawning, ThePlayerCountBitNamedByTheFactor) {
    const struct {
        uint8_t flags, factor;
        uint16_t trigger;
        bool spawns;
    } cases[] = {
        {0x1E, 0, 0, false}, {0x04, 2, 0, true},      {0x1A, 2, 0, false},      {0x10, 4, 0, true},
        {0x02, 1, 0, true},  {0x02, 9, 0x0002, true}, {0x02, 9, 0x0000, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << int(k.flags) << " factor " << int(k.factor));
        init_objects();
        plant8(rom::difficulty_factor_table + kPlayers, k.factor);
        plant_list({{0, k.flags, k.trigger, 0, 0, 0}});
        camera(static_cast<int16_t>(k.trigger));
        generator();
        pass();
        EXPECT_EQ(object_of(0) != 0, k.spawns);
    }
}

TEST_F(Spawning, AWaveLockRecordLocksEvenWhenItFailsAndUnlocksWhenGone) {
    plant8(rom::difficulty_factor_table + kPlayers, 3);
    plant_list({{0, 1u << 6 | 1u << 2, 0, 0, 0, 0}, {0, 1u << 6 | 1u << 3, 5000, 0, 0, 0}});
    camera(0);
    generator();
    pass();
    EXPECT_TRUE(bit(var::enemy_flags, enemy_flag::wave_lock)) << "the failing record set it";
    EXPECT_EQ(spawned(2), "00");
    camera(5000);
    pass();
    ASSERT_NE(object_of(1), 0u);
    orb_write32(var::enemy_flags, 0);
    pass();
    end(object_of(1));
    orb_write32(var::enemy_flags, 1u << enemy_flag::wave_lock);
    pass();
    EXPECT_FALSE(bit(var::enemy_flags, enemy_flag::wave_lock));
}

TEST_F(Spawning, ATypeNamingNoCodeEndsTheRunWhenTheRunnerReachesIt) {
    plant32(rom::spawn_routine_table + 4 * 5, 0x123456);
    plant_list({{5, kOrdinary, 0, 0, 0, 0}});
    camera(0);
    generator();
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "No translated code starts at 123456");
}

// ---- the progress watcher and its stallers ----

class Watcher : public Spawning {
protected:
    void SetUp() override {
        Spawning::SetUp();
        fake(sub_06ADBB /* staller setup */);
        orb_write16(var::player_records + object_record::flags, 1);
        orb_write32(var::player_records + object_record::routine, kIdle);
        camera(0);
        watcher_ = spawn(entry::sub_06ACB8 /* watcher */, sub_088C67);
    }
    // Passes until the first staller appears (at most limit); 0 when none.
    int passes_to_staller(int limit) {
        for (int n = 1; n <= limit; ++n) {
            pass();
            if (!with_routine(entry::sub_06ADBB /* staller setup */).empty()) return n;
        }
        return 0;
    }
    uint32_t watcher_ = 0;
};

TEST_F(Watcher, TheFirstStallerComesAfter900FramesPerEnemyAlivePlusOne) {
    const struct {
        uint8_t live, stallers;
        int expected;
    } cases[] = {{0, 0, 900}, {1, 0, 1800}, {0, 1, 900}, {0, 2, 0}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "live " << int(k.live) << " stallers " << int(k.stallers));
        init_objects();
        watcher_ = spawn(entry::sub_06ACB8 /* watcher */, sub_088C67);
        orb_write8(watcher_ + progress_watcher::stallers, k.stallers);
        orb_write8(var::live_enemy_count, k.live);
        pass();
        orb_write8(var::live_enemy_count, 0);  // the peak since the restart counts
        const int n = passes_to_staller(2000);
        EXPECT_EQ(n == 0 ? 0 : n + 1, k.expected);
    }
}

TEST_F(Watcher, TheStallerNamesItsWatcher) {
    passes_to_staller(900);
    const auto found = with_routine(entry::sub_06ADBB /* staller setup */);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(ram16(found[0] + object_record::partner), static_cast<uint16_t>(watcher_));
    EXPECT_EQ(ram16(found[0] + object_record::flags), 0);
    EXPECT_EQ(ram8(watcher_ + object_record::state), 0) << "restarted";
}

TEST_F(Watcher, ProgressAndSlotsOutRestartTheLockPauses) {
    const struct {
        const char* name;
        std::function<void()> at_500, after;
        int expected;  // the pass of the first staller, counted from 1
    } cases[] = {
        {"camera 320 on", [] { orb_write16(var::playfield_camera + camera_record::x, 320); }, [] {},
         500 + 900},
        {"camera 319 on", [] { orb_write16(var::playfield_camera + camera_record::x, 319); }, [] {}, 900},
        {"camera back", [] { orb_write16(var::playfield_camera + camera_record::x, 0xFFFF); }, [] {},
         500 + 900},
        {"slot out",
         [] { orb_write32(var::player_records + 0x100 + object_record::routine, continuation::out_of_play); },
         [] { orb_write32(var::player_records + 0x100 + object_record::routine, 0); }, 500 + 900},
        {"no player in play", [] { orb_write16(var::player_records + object_record::flags, 0); },
         [] { orb_write16(var::player_records + object_record::flags, 1); }, 500 + 900},
        {"wave lock", [] { orb_write32(var::enemy_flags, 1u << enemy_flag::wave_lock); },
         [] { orb_write32(var::enemy_flags, 0); }, 901},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        init_objects();
        camera(0);
        orb_write16(var::player_records + object_record::flags, 1);
        watcher_ = spawn(entry::sub_06ACB8 /* watcher */, sub_088C67);
        ASSERT_EQ(passes_to_staller(499), 0);
        k.at_500();
        pass();
        k.after();
        const int n = passes_to_staller(2000);
        EXPECT_EQ(n == 0 ? 0 : 500 + n, k.expected);
    }
}

TEST_F(Watcher, AfterTheGateItIsFreedOnceItsStallersAreGone) {
    orb_write8(watcher_ + progress_watcher::stallers, 1);
    orb_write32(var::game_flags, kPlayers | 1u << game_flag::wave_gate);
    pass();
    EXPECT_EQ(ram32(watcher_ + object_record::routine), entry::sub_06AD8A);
    pass(3);
    EXPECT_TRUE(on_ring(watcher_));
    const uint16_t free_before = ram16(var::free_stack_128);
    orb_write8(watcher_ + progress_watcher::stallers, 0);
    pass();
    EXPECT_FALSE(on_ring(watcher_));
    EXPECT_EQ(ram16(var::free_stack_128), free_before + 1);
}

// A staller run by its real set-up; its watcher is an idle object here.
class Staller : public Spawning {
protected:
    void SetUp() override {
        Spawning::SetUp();
        orb_write16(var::player_records + object_record::flags, 1);
        orb_write32(var::player_records + object_record::routine, kIdle);
        camera(0);
        watcher_ = actor(0);
        fake(sub_06A1DA /* dispatcher */);
        fake(sub_069130 /* mover */);
        fake(sub_06925A, [] { cpu.reg[0] = 0; });
        fake(sub_0737D9);
        staller_ = spawn(entry::sub_06ADBB /* staller setup */, sub_088C67);
        orb_write16(staller_ + object_record::partner, static_cast<uint16_t>(watcher_));
        orb_write8(var::live_enemy_count, 5);
    }
    uint32_t watcher_ = 0, staller_ = 0;
};

TEST_F(Staller, ItsSetUpCountsItOnTheWatcherNotAsALiveEnemy) {
    pass();
    EXPECT_EQ(ram8(staller_ + object_record::type), 58);
    EXPECT_EQ(ram8(watcher_ + progress_watcher::stallers), 1);
    EXPECT_EQ(ram8(var::live_enemy_count), 5);
    EXPECT_EQ(ram32(staller_ + object_record::routine), entry::sub_06AEA4);
}

TEST_F(Staller, ItsDefeatQueuesItsSoundAndThrowsThePieceOnce) {
    pass();
    orb_write16(staller_ + object_record::flags, ram16(staller_ + object_record::flags) | 1u << 9);
    pass(3);
    EXPECT_EQ(sounds(var::sound_ring_a), (std::vector<uint8_t>{0xF5}));
    EXPECT_EQ(calls(sub_0737D9), 1);
    EXPECT_EQ(ram32(staller_ + object_record::routine), entry::sub_06AEDA);
    EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), 3);
}

TEST_F(Staller, WhenTheGateOpensItShrinksAwayWithoutRising) {
    pass();
    orb_write8(staller_ + object_record::copied_parts, 1);
    orb_write16(staller_ + 100, 0xFC00 | 5);
    orb_write16(staller_ + 102, 0xA800 | 6);
    orb_write16(staller_ + object_record::height, 30);
    orb_write8(staller_ + object_record::velocity_x, 3);
    orb_write32(var::game_flags, kPlayers | 1u << game_flag::wave_gate);
    const int dispatched = calls(sub_06A1DA /* dispatcher */);
    pass();
    EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), dispatched);
    EXPECT_EQ(ram32(staller_ + object_record::routine), entry::sub_06AF40);
    EXPECT_EQ(ram16(staller_ + object_record::flags) & 1, 0);
    EXPECT_EQ(ram8(staller_ + object_record::velocity_x), 0);
    EXPECT_EQ(ram16(staller_ + 102), 0xA800 | 2);
    EXPECT_EQ(ram16(staller_ + 100), 0xFC00 | 15);
    EXPECT_EQ(ram16(staller_ + object_record::height), 30);
    EXPECT_TRUE(on_ring(staller_));
    const uint16_t free_before = ram16(var::free_stack_128);
    pass();
    EXPECT_FALSE(on_ring(staller_));
    EXPECT_EQ(ram16(var::free_stack_128), free_before + 1);
    EXPECT_EQ(ram8(watcher_ + progress_watcher::stallers), 0);
    EXPECT_EQ(ram8(var::live_enemy_count), 5);
}

}  // namespace
