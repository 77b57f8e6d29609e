#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "game/actors/tables.h"
#include "game/engine/states.h"
#include "tests/game/actor_fixture.h"

namespace {

constexpr uint32_t kDispatcher = 0x06A1DA;
constexpr uint32_t kRandom = 0x06925A;
constexpr uint32_t kCompanionRoutine = 0x077BD6;
constexpr uint32_t kBarRoutine = 0x0697D7;
constexpr uint32_t kSpawnerRoutine = 0x0696C6;
constexpr uint32_t kPartFirst = 0x06C46F;
constexpr uint32_t kBigOverlay = 0x0703D2;
constexpr uint32_t kSideOverlay = 0x071A2A;
constexpr uint32_t kSpawnData = 0x120200;
constexpr uint32_t kScript = 0x0ABCDE5A;  // the u32 the spawn data holds
constexpr uint8_t kPlayers = 1;

enum : int { kNoLink = -1 };

struct kind_case {
    uint8_t kind;
    uint32_t setup;
    uint16_t score, step, base;
    uint32_t state_record, companion_data, routine;
    int live;  // rise of live_enemy_count
    int bar;   // variant, or -1
    bool afterimage;
    int link;          // field that keeps the companion, or kNoLink
    uint32_t overlay;  // first-frame routine of its overlay, or 0
    bool script;       // next_script from the spawn data
};

// clang-format off
const kind_case kKinds[] = {
    {0, 0x06B392, 4000, 27, 110, 0x06B412, 0x06BAF8, kDispatcher, 1, -1, false, 14, 0, false},
    {1, 0x06BC9E, 5000, 80, 320, 0x06BD1E, 0x06BDD6, kDispatcher, 1, 0, false, kNoLink, 0, false},
    {2, 0x06BF22, 5000, 55, 220, 0x06BFA2, 0x06C6DE, kDispatcher, 1, -1, false, 66, 0, false},
    {3, 0x06C7E2, 5000, 65, 260, 0x06C862, 0x06CB16, kDispatcher, 1, -1, false, kNoLink, 0, false},
    {4, 0x06CC1A, 50000, 95, 380, 0x06CC9A, 0x06D26A, 0x06CD00, 1, -1, false, 14, 0, false},
    {5, 0x071346, 5000, 67, 270, 0x0713C6, 0x071B16, kDispatcher, 1, -1, false, kNoLink, kSideOverlay, false},
    {6, 0x071C7E, 5000, 75, 300, 0x071CFE, 0x071D60, kDispatcher, 1, 0, true, kNoLink, kSideOverlay, false},
    {7, 0x071EA6, 3000, 35, 140, 0x071F26, 0x072BD4, 0x071F9B, 3, 2, false, 14, 0, false},
    {8, 0x072CC6, 1000, 25, 100, 0x072D46, 0x0734FE, 0x072DBB, 3, 2, false, 14, 0, false},
    {9, 0x06ED28, 5000, 90, 360, 0x06EDB8, 0x06F006, kDispatcher, 1, 0, false, 14, 0, false},
    {11, 0x06E1C4, 4000, 20, 80, 0x06E250, 0x06E83C, kDispatcher, 1, -1, false, kNoLink, 0, false},
    {12, 0x06E984, 15000, 100, 400, 0x06EA04, 0x06EBE8, kDispatcher, 1, 0, false, kNoLink, 0, false},
    {13, 0x06F8BC, 20000, 90, 360, 0x06F93C, 0x070994, kDispatcher, 1, 0, false, 86, kBigOverlay, false},
    {14, 0x070B3E, 20000, 75, 300, 0x070BBE, 0x071150, kDispatcher, 1, 1, false, 86, kBigOverlay, false},
    {19, 0x06D806, 100, 15, 60, 0x06D88A, 0x06DB8E, 0x06D8E8, 1, -1, false, kNoLink, 0, true},
    {20, 0x06DCEC, 80, 12, 50, 0x06DD70, 0x06DDEC, 0x06D8E8, 1, -1, false, kNoLink, 0, true},
    {21, 0x06DF4A, 160, 17, 70, 0x06DFCE, 0x06E052, 0x06D8E8, 1, -1, true, kNoLink, 0, true},
    {22, 0x073612, 200, 17, 70, 0x073696, 0x073896, 0x0736F4, 1, -1, false, kNoLink, 0, true},
    {23, 0x073AFE, 160, 15, 60, 0x073B82, 0x073C7C, 0x0736F4, 1, -1, false, kNoLink, 0, true},
    {24, 0x073EE6, 400, 30, 120, 0x073F6A, 0x074064, 0x0736F4, 1, -1, false, kNoLink, 0, true},
    {25, 0x0742CE, 320, 25, 100, 0x074352, 0x074454, 0x0736F4, 1, -1, true, kNoLink, 0, true},
    {26, 0x0746BE, 320, 20, 80, 0x074742, 0x074844, 0x0736F4, 1, -1, true, kNoLink, 0, true},
    {27, 0x074A72, 400, 2, 10, 0x074AF2, 0x074C92, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {28, 0x074DCC, 200, 10, 40, 0x074E50, 0x074F9C, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {29, 0x0750DE, 100, 5, 20, 0x075162, 0x0751D2, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {30, 0x075314, 300, 15, 60, 0x075398, 0x07552E, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {31, 0x075720, 600, 30, 120, 0x0757A4, 0x075AB8, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {32, 0x075C1E, 600, 20, 80, 0x075CA2, 0x075FB4, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {33, 0x07611C, 800, 30, 120, 0x0761A0, 0x0764B4, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {34, 0x076626, 400, 17, 70, 0x0766AA, 0x076852, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {35, 0x0769CC, 300, 12, 50, 0x076A50, 0x076BFA, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {36, 0x076D76, 500, 22, 90, 0x076DFA, 0x076FA2, kDispatcher, 1, -1, false, kNoLink, 0, true},
    {58, 0x06ADBB, 0, 50, 200, 0x06AE3A, 0x06B150, 0x06AEA4, 0, -1, true, kNoLink, 0, false},
};
// clang-format on

const kind_case& kind(uint8_t k) {
    for (const kind_case& c : kKinds)
        if (c.kind == k) return c;
    return kKinds[0];
}

class EnemySetup : public ActorTest {
protected:
    void SetUp() override {
        ActorTest::SetUp();
        fake_all({kDispatcher, kBarRoutine, kCompanionRoutine, kSpawnerRoutine, kPartFirst, kBigOverlay,
                  kSideOverlay});
        // The framework's random numbers: the seeded generator in demo play,
        // the board's port otherwise.
        fake(kRandom, [] {
            if (!((orb_read32(var::game_flags) >> 8) & 1)) {
                cpu.reg[0] = 0x12345677;
                return;
            }
            uint32_t x = orb_read32(0x20C100);
            if ((x & 0xFFFF) == 0) x ^= 0x2A6D365B;
            const uint32_t y = 25 * x;
            const uint16_t s = static_cast<uint16_t>((y & 0xFFFF) + (y >> 16));
            orb_write32(0x20C100, uint32_t{s} << 16 | (y & 0xFFFF));
            cpu.reg[0] = (x & 0xFFFF0000u) | s;
        });
        for (const kind_case& c : kKinds) {
            plant16(c.companion_data, static_cast<uint16_t>(0x100 + c.kind));
            plant16(c.companion_data + 2, static_cast<uint16_t>(0x200 + c.kind));
        }
        plant32(kSpawnData, kScript);
        factor(1);
        watcher_ = actor(0);
    }

    void factor(uint8_t f) {
        orb_write32(var::game_flags, (orb_read32(var::game_flags) & ~0xFFu) | kPlayers);
        plant8(rom::difficulty_factor_table + kPlayers, f);
    }
    // A new enemy as a generator leaves it, run for one frame.
    uint32_t set_up(uint32_t routine) {
        const uint32_t e = spawn(routine, sub_088C67);
        orb_write32(e + object_record::screen_x, kSpawnData);
        orb_write16(e + object_record::partner, static_cast<uint16_t>(watcher_));
        pass();
        return e;
    }
    // Objects on the ring whose routine and owner match.
    std::vector<uint32_t> children(uint32_t enemy, uint32_t routine) const {
        std::vector<uint32_t> found;
        for (uint32_t o : ring())
            if (o != enemy && ram32(o + object_record::routine) == routine &&
                ram16(o + object_record::owner) == static_cast<uint16_t>(enemy))
                found.push_back(o);
        return found;
    }
    void set_flags(uint32_t enemy, uint16_t bits) {
        orb_write16(enemy + object_record::flags, ram16(enemy + object_record::flags) | bits);
    }

    uint32_t watcher_ = 0;
};

TEST_F(EnemySetup, EveryKindGetsItsFiguresCompanionAndExtras) {
    for (const kind_case& c : kKinds) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind));
        init_objects();
        watcher_ = actor(0);
        const uint8_t live = 40;
        orb_write8(var::live_enemy_count, live);
        const uint32_t e = set_up(c.setup);
        EXPECT_EQ(ram8(e + object_record::type), c.kind);
        EXPECT_EQ(ram16(e + object_record::flags), 0x8001);
        EXPECT_EQ(ram8(e + object_record::state), enemy_state::first);
        EXPECT_EQ(ram16(e + object_record::score_value), c.score);
        EXPECT_EQ(ram16(e + object_record::energy), c.base) << "factor 1";
        EXPECT_EQ(ram32(e + object_record::state_record), c.state_record);
        EXPECT_EQ(ram32(e + object_record::routine), c.routine);
        EXPECT_EQ(ram8(e + object_record::last_state), 255);
        EXPECT_EQ(ram8(e + object_record::target_slot), 255);
        EXPECT_EQ(ram16(e + enemy_setup::field_80), 0);
        EXPECT_EQ(ram16(e + object_record::height), 0);
        EXPECT_EQ(ram8(e + object_record::offset_index), 7);
        EXPECT_EQ(ram16(e + object_record::owner), static_cast<uint16_t>(e));
        EXPECT_EQ(ram8(var::live_enemy_count), live + c.live);

        const auto companions = children(e, kCompanionRoutine);
        ASSERT_EQ(companions.size(), 1u);
        EXPECT_EQ(ram16(companions[0] + companion_record::x_offset_base), 0x100 + c.kind);
        EXPECT_EQ(ram16(companions[0] + companion_record::y_offset), 0x200 + c.kind);
        if (c.link != kNoLink) {
            EXPECT_EQ(ram16(e + c.link), static_cast<uint16_t>(companions[0]));
        }
        EXPECT_EQ(flag(companions[0], object_flag::hidden), c.kind == 0);

        const auto bars = children(e, kBarRoutine);
        ASSERT_EQ(bars.size(), c.bar < 0 ? 0u : 1u);
        if (c.bar >= 0) {
            EXPECT_EQ(ram8(bars[0] + object_record::state), c.bar);
            EXPECT_EQ(ram8(bars[0] + object_record::type), c.kind);
            EXPECT_EQ(ram16(bars[0] + enemy_child::bar_energy), c.base);
        }
        EXPECT_EQ(children(e, kSpawnerRoutine).size(), c.afterimage ? 1u : 0u);
        if (c.overlay) {
            EXPECT_EQ(children(e, c.overlay).size(), 1u);
        }
        if (c.script) {
            EXPECT_EQ(ram32(e + object_record::next_script), kSpawnData) << "the spawn data is the script";
        }
    }
}

TEST_F(EnemySetup, EnergyByTheDifficultyFactor) {
    const struct {
        uint8_t kind, factor;
        int16_t energy;
    } cases[] = {{0, 0, 110}, {0, 1, 110}, {0, 3, 164}, {27, 0, 10}, {27, 1, 10}, {27, 3, 14}, {4, 4, 665}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(k.kind) << " factor " << int(k.factor));
        factor(k.factor);
        const uint32_t e = set_up(kind(k.kind).setup);
        EXPECT_EQ(static_cast<int16_t>(ram16(e + object_record::energy)), k.energy);
    }
}

TEST_F(EnemySetup, DemoPlayTakesTheOffsetFromTheSeededGenerator) {
    orb_write32(var::game_flags, 1u << game_flag::demo_play | kPlayers);
    orb_write32(0x20C100, 0);
    const uint32_t e = set_up(kind(0).setup);
    EXPECT_EQ(ram8(e + object_record::offset_index), 13);
}

TEST_F(EnemySetup, KindsSevenAndEightKeepTheirSpawnData) {
    for (uint8_t k : {7, 8}) {
        SCOPED_TRACE(int(k));
        const uint32_t e = set_up(kind(k).setup);
        EXPECT_EQ(ram32(e + enemy_setup::spawn_data), kSpawnData);
        EXPECT_EQ(ram8(e + enemy_setup::boss_byte), 1);
    }
}

// The scripted kinds run their spawn data as their entrance script: here a
// timed wait (command 5) of 7 frames.
TEST_F(EnemySetup, ScriptedKindsStartTheScriptTheirSpawnDataIs) {
    plant8(kSpawnData, 5);
    plant8(kSpawnData + 1, 7);
    for (uint8_t k : {19, 22, 27}) {
        SCOPED_TRACE(int(k));
        const uint32_t e = set_up(kind(k).setup);
        EXPECT_EQ(ram32(e + object_record::next_script), kSpawnData);
        EXPECT_EQ(ram32(e + object_record::screen_x), kSpawnData) << "the spawn data address stays";
    }
}

TEST_F(EnemySetup, KindNineTakesItsFirstSubstateFromItsSpawnData) {
    const uint32_t e = set_up(kind(9).setup);
    EXPECT_EQ(ram8(e + object_record::substate), 0x5A);
}

TEST_F(EnemySetup, KindTwoKeepsItsCompanionAndThreePartsInOrder) {
    const uint32_t e = set_up(kind(2).setup);
    const auto companions = children(e, kCompanionRoutine);
    const auto parts = children(e, kPartFirst);
    ASSERT_EQ(companions.size(), 1u);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(ram16(e + object_record::target_player), static_cast<uint16_t>(companions[0]));
    for (uint32_t n = 0; n < 3; ++n)
        EXPECT_EQ(ram32(parts[n] + object_record::next_script), 0x06C6AE + 12 * n);
    EXPECT_EQ(ram16(e + object_record::partner), static_cast<uint16_t>(parts[2]));
}

TEST_F(EnemySetup, KindTwoWithoutItsThirdPartKeepsNoPartner) {
    // The enemy and two parts take the last three 128-byte objects.
    orb_write16(var::free_stack_128, 3);
    const uint32_t e = set_up(kind(2).setup);
    EXPECT_EQ(children(e, kPartFirst).size(), 2u);
    EXPECT_EQ(ram16(e + object_record::partner), 0);
}

TEST_F(EnemySetup, KindFourteenMarksItsOverlay) {
    const uint32_t e = set_up(kind(14).setup);
    EXPECT_EQ(ram8(e + enemy_setup::overlay_flag), 1);
}

TEST_F(EnemySetup, KindFiftyEightIsCountedOnItsWatcher) {
    orb_write8(watcher_ + 45, 1);
    set_up(kind(58).setup);
    EXPECT_EQ(ram8(watcher_ + 45), 2);
}

// ---- sounds ----

TEST_F(EnemySetup, SoundsQueuedBeforeTheEnemyCountsItself) {
    const struct {
        const char* name;
        uint32_t setup;
        uint8_t code;
    } cases[] = {{"kind 11", kind(11).setup, 0xAE},
                 {"kind 9, first entry", 0x06ED28, 0x9A},
                 {"kind 9, second entry", 0x06ED2E, 0x9B}};
    std::vector<std::pair<uint8_t, uint8_t>> heard;  // code, live count then
    fake(0x088FD7, [&heard] { heard.emplace_back(cpu.reg[0] & 0xFF, orb_read8(var::live_enemy_count)); });
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        heard.clear();
        orb_write8(var::live_enemy_count, 4);
        set_up(k.setup);
        EXPECT_EQ(heard, (std::vector<std::pair<uint8_t, uint8_t>>{{k.code, 4}}));
    }
}

TEST_F(EnemySetup, KindNineEnteredDirectlyQueuesWhatR0Holds) {
    const uint32_t e = spawn(kIdle, sub_088C67);
    orb_write32(e + object_record::screen_x, kSpawnData);
    cpu.reg[20] = e;
    cpu.reg[0] = 0x77;
    ASSERT_TRUE(run(sub_06ED32));
    EXPECT_EQ(sounds(var::sound_ring_b), std::vector<uint8_t>{0x77});
    EXPECT_EQ(ram8(e + object_record::type), 9);
}

TEST_F(EnemySetup, DefeatSoundsAreQueuedOnce) {
    const struct {
        const char* name;
        uint8_t kind;
        std::vector<uint8_t> at_setup_a, defeat_a, defeat_b;
    } cases[] = {
        {"kind 4", 4, {0x8C}, {}, {0xA9}},
        {"kind 19", 19, {}, {0xF5}, {}},
        {"kind 20", 20, {}, {0xF5}, {}},
        {"kind 21", 21, {}, {0xF5}, {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        init_objects();
        for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
            orb_write8(ring + sound_ring::read, ram8(ring + sound_ring::write));
        const uint32_t e = set_up(kind(k.kind).setup);
        EXPECT_EQ(sounds(var::sound_ring_a), k.at_setup_a);
        orb_write8(var::sound_ring_a + sound_ring::read, ram8(var::sound_ring_a + sound_ring::write));
        const int dispatched = calls(kDispatcher);
        set_flags(e, 1u << object_flag::defeated);
        pass(3);
        EXPECT_EQ(sounds(var::sound_ring_a), k.defeat_a);
        EXPECT_EQ(sounds(var::sound_ring_b), k.defeat_b);
        EXPECT_EQ(ram32(e + object_record::routine), kDispatcher);
        EXPECT_EQ(calls(kDispatcher), dispatched + 3);
    }
}

TEST_F(EnemySetup, KindsSevenAndEightSoundHardHitsAndTheirDefeat) {
    const struct {
        uint16_t flags;
        uint8_t reaction;
        std::vector<uint8_t> heard;
    } frames[] = {
        {0, 3, {}},
        {1u << object_flag::hit, 0, {}},
        {1u << object_flag::hit, 1, {}},
        {1u << object_flag::hit, 2, {0xB3}},
        {1u << object_flag::hit, 0xF0, {0xB3}},
        {1u << object_flag::hit | 1u << object_flag::defeated, 2, {0xB4}},  // the defeat frame
        {1u << object_flag::hit | 1u << object_flag::defeated, 2, {0xB3}},  // after it, the hit routine alone
        {1u << object_flag::defeated, 2, {}},
    };
    for (uint8_t k : {7, 8}) {
        SCOPED_TRACE(int(k));
        init_objects();
        const uint32_t e = set_up(kind(k).setup);
        int n = 0;
        for (const auto& f : frames) {
            SCOPED_TRACE(n++);
            orb_write8(var::sound_ring_b + sound_ring::read, ram8(var::sound_ring_b + sound_ring::write));
            orb_write16(e + object_record::flags, 0x8001 | f.flags);
            orb_write8(e + object_record::hit_reaction, f.reaction);
            const int dispatched = calls(kDispatcher);
            pass();
            EXPECT_EQ(sounds(var::sound_ring_b), f.heard);
            EXPECT_EQ(calls(kDispatcher), dispatched + 1);
        }
        EXPECT_EQ(ram32(e + object_record::routine), k == 7 ? 0x071FCDu : 0x072DEDu);
    }
}

// ---- the 64-byte pool empty ----

TEST_F(EnemySetup, WithNoCompanionTheLinkIsZeroAndNoOtherObjectChanges) {
    for (const kind_case& c : kKinds) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind));
        init_objects();
        watcher_ = actor(0);
        // The object allocated last before the enemy, which R21 still names.
        const uint32_t victim = actor(0x0001);
        const uint32_t e = spawn(kIdle, sub_088C67);
        orb_write32(e + object_record::screen_x, kSpawnData);
        orb_write16(e + object_record::partner, static_cast<uint16_t>(watcher_));
        orb_write16(var::free_stack_64, 0);
        const auto before_ring = ring();
        std::vector<uint8_t> before;
        for (uint32_t a = var::objects_256; a < var::display_buckets; ++a) before.push_back(ram8(a));
        cpu.reg[20] = e;
        cpu.reg[21] = victim;
        ASSERT_TRUE(run(v60_lookup(c.setup)->function));
        EXPECT_TRUE(children(e, kCompanionRoutine).empty());
        if (c.link != kNoLink) {
            EXPECT_EQ(ram16(e + c.link), 0);
        }
        EXPECT_EQ(ram16(victim + object_record::flags), 0x0001);
        // Objects made now (parts, overlays) are new on the ring; everything
        // else outside the enemy is as it was.
        std::vector<uint32_t> fresh;
        for (uint32_t o : ring())
            if (std::find(before_ring.begin(), before_ring.end(), o) == before_ring.end()) fresh.push_back(o);
        for (uint32_t o : fresh) EXPECT_LT(o, var::objects_64) << "nothing from the empty pool";
        // Linking changes the ring's links; kind 58 counts itself on its watcher.
        const auto outside = [&](uint32_t a) {
            if (a >= e && a < e + 128) return false;
            for (uint32_t o : before_ring)
                if (a >= o + object_record::prev && a < o + object_record::next + 2) return false;
            if (c.kind == 58 && a == watcher_ + progress_watcher::stallers) return false;
            for (uint32_t o : fresh)
                if (a >= o && a < o + 128) return false;
            return true;
        };
        for (uint32_t a = var::objects_256; a < var::display_buckets; ++a)
            if (outside(a) && ram8(a) != before[a - var::objects_256]) {
                ADD_FAILURE() << std::hex << "first change at " << a;
                break;
            }
    }
}

}  // namespace
