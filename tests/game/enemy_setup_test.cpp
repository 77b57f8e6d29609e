#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "game/actors/tables.h"
#include "game/engine/states.h"
#include "tests/game/actor_fixture.h"

namespace {

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
    {0, entry::sub_06B392, 4000, 27, 110, rom::kind0_state_record, rom::kind0_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, 14, 0, false},
    {1, entry::sub_06BC9E, 5000, 80, 320, rom::kind1_state_record, rom::kind1_companion_data, entry::sub_06A1DA /* dispatcher */, 1, 0, false, kNoLink, 0, false},
    {2, entry::sub_06BF22, 5000, 55, 220, rom::kind2_state_record, rom::kind2_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, 66, 0, false},
    {3, entry::sub_06C7E2, 5000, 65, 260, rom::kind3_state_record, rom::kind3_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, false},
    {4, entry::sub_06CC1A, 50000, 95, 380, rom::kind4_state_record, rom::kind4_companion_data, entry::sub_06CD00, 1, -1, false, 14, 0, false},
    {5, entry::sub_071346, 5000, 67, 270, rom::kind5_state_record, rom::kind5_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, entry::sub_071A2A /* side overlay */, false},
    {6, entry::sub_071C7E, 5000, 75, 300, rom::kind6_state_record, rom::kind6_companion_data, entry::sub_06A1DA /* dispatcher */, 1, 0, true, kNoLink, entry::sub_071A2A /* side overlay */, false},
    {7, entry::sub_071EA6, 3000, 35, 140, rom::kind7_state_record, rom::kind7_companion_data, entry::sub_071F9B, 3, 2, false, 14, 0, false},
    {8, entry::sub_072CC6, 1000, 25, 100, rom::kind8_state_record, rom::kind8_companion_data, entry::sub_072DBB, 3, 2, false, 14, 0, false},
    {9, entry::sub_06ED28, 5000, 90, 360, rom::kind9_state_record, rom::kind9_companion_data, entry::sub_06A1DA /* dispatcher */, 1, 0, false, 14, 0, false},
    {11, entry::sub_06E1C4, 4000, 20, 80, rom::kind11_state_record, rom::kind11_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, false},
    {12, entry::sub_06E984, 15000, 100, 400, rom::kind12_state_record, rom::kind12_companion_data, entry::sub_06A1DA /* dispatcher */, 1, 0, false, kNoLink, 0, false},
    {13, entry::sub_06F8BC, 20000, 90, 360, rom::kind13_state_record, rom::kind13_companion_data, entry::sub_06A1DA /* dispatcher */, 1, 0, false, 86, entry::sub_0703D2 /* big overlay */, false},
    {14, entry::sub_070B3E, 20000, 75, 300, rom::kind14_state_record, rom::kind14_companion_data, entry::sub_06A1DA /* dispatcher */, 1, 1, false, 86, entry::sub_0703D2 /* big overlay */, false},
    {19, entry::sub_06D806, 100, 15, 60, rom::kind19_state_record, rom::kind19_companion_data, entry::sub_06D8E8, 1, -1, false, kNoLink, 0, true},
    {20, entry::sub_06DCEC, 80, 12, 50, rom::kind20_state_record, rom::kind20_companion_data, entry::sub_06D8E8, 1, -1, false, kNoLink, 0, true},
    {21, entry::sub_06DF4A, 160, 17, 70, rom::kind21_state_record, rom::kind21_companion_data, entry::sub_06D8E8, 1, -1, true, kNoLink, 0, true},
    {22, entry::sub_073612, 200, 17, 70, rom::kind22_state_record, rom::kind22_companion_data, entry::sub_0736F4, 1, -1, false, kNoLink, 0, true},
    {23, entry::sub_073AFE, 160, 15, 60, rom::kind23_state_record, rom::kind23_companion_data, entry::sub_0736F4, 1, -1, false, kNoLink, 0, true},
    {24, entry::sub_073EE6, 400, 30, 120, rom::kind24_state_record, rom::kind24_companion_data, entry::sub_0736F4, 1, -1, false, kNoLink, 0, true},
    {25, entry::sub_0742CE, 320, 25, 100, rom::kind25_state_record, rom::kind25_companion_data, entry::sub_0736F4, 1, -1, true, kNoLink, 0, true},
    {26, entry::sub_0746BE, 320, 20, 80, rom::kind26_state_record, rom::kind26_companion_data, entry::sub_0736F4, 1, -1, true, kNoLink, 0, true},
    {27, entry::sub_074A72, 400, 2, 10, rom::kind27_state_record, rom::kind27_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {28, entry::sub_074DCC, 200, 10, 40, rom::kind28_state_record, rom::kind28_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {29, entry::sub_0750DE, 100, 5, 20, rom::kind29_state_record, rom::kind29_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {30, entry::sub_075314, 300, 15, 60, rom::kind30_state_record, rom::kind30_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {31, entry::sub_075720, 600, 30, 120, rom::kind31_state_record, rom::kind31_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {32, entry::sub_075C1E, 600, 20, 80, rom::kind32_state_record, rom::kind32_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {33, entry::sub_07611C, 800, 30, 120, rom::kind33_state_record, rom::kind33_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {34, entry::sub_076626, 400, 17, 70, rom::kind34_state_record, rom::kind34_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {35, entry::sub_0769CC, 300, 12, 50, rom::kind35_state_record, rom::kind35_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {36, entry::sub_076D76, 500, 22, 90, rom::kind36_state_record, rom::kind36_companion_data, entry::sub_06A1DA /* dispatcher */, 1, -1, false, kNoLink, 0, true},
    {58, entry::sub_06ADBB, 0, 50, 200, rom::kind58_state_record, rom::kind58_companion_data, entry::sub_06AEA4, 0, -1, true, kNoLink, 0, false},
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
        fake_all({sub_06A1DA /* dispatcher */, sub_0697D7 /* bar */, sub_077BD6 /* companion */,
                  sub_0696C6 /* spawner */, sub_06C46F /* part first */, sub_0703D2 /* big overlay */,
                  sub_071A2A /* side overlay */});
        // The framework's random numbers: the seeded generator in demo play,
        // the board's port otherwise.
        fake(sub_06925A /* random */, [] {
            if (!((orb_read32(var::game_flags) >> 8) & 1)) {
                cpu.reg[0] = 0x12345677;
                return;
            }
            uint32_t x = orb_read32(var::random_state);
            if ((x & 0xFFFF) == 0) x ^= 0x2A6D365B;
            const uint32_t y = 25 * x;
            const uint16_t s = static_cast<uint16_t>((y & 0xFFFF) + (y >> 16));
            orb_write32(var::random_state, uint32_t{s} << 16 | (y & 0xFFFF));
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

        const auto companions = children(e, entry::sub_077BD6 /* companion */);
        ASSERT_EQ(companions.size(), 1u);
        EXPECT_EQ(ram16(companions[0] + companion_record::x_offset_base), 0x100 + c.kind);
        EXPECT_EQ(ram16(companions[0] + companion_record::y_offset), 0x200 + c.kind);
        if (c.link != kNoLink) {
            EXPECT_EQ(ram16(e + c.link), static_cast<uint16_t>(companions[0]));
        }
        EXPECT_EQ(flag(companions[0], object_flag::hidden), c.kind == 0);

        const auto bars = children(e, entry::sub_0697D7 /* bar */);
        ASSERT_EQ(bars.size(), c.bar < 0 ? 0u : 1u);
        if (c.bar >= 0) {
            EXPECT_EQ(ram8(bars[0] + object_record::state), c.bar);
            EXPECT_EQ(ram8(bars[0] + object_record::type), c.kind);
            EXPECT_EQ(ram16(bars[0] + enemy_child::bar_energy), c.base);
        }
        EXPECT_EQ(children(e, entry::sub_0696C6 /* spawner */).size(), c.afterimage ? 1u : 0u);
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
    orb_write32(var::random_state, 0);
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
    const auto companions = children(e, entry::sub_077BD6 /* companion */);
    const auto parts = children(e, entry::sub_06C46F /* part first */);
    ASSERT_EQ(companions.size(), 1u);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(ram16(e + object_record::target_player), static_cast<uint16_t>(companions[0]));
    for (uint32_t n = 0; n < 3; ++n)
        EXPECT_EQ(ram32(parts[n] + object_record::next_script), rom::kind2_part_entries + 12 * n);
    EXPECT_EQ(ram16(e + object_record::partner), static_cast<uint16_t>(parts[2]));
}

TEST_F(EnemySetup, KindTwoWithoutItsThirdPartKeepsNoPartner) {
    // The enemy and two parts take the last three 128-byte objects.
    orb_write16(var::free_stack_128, 3);
    const uint32_t e = set_up(kind(2).setup);
    EXPECT_EQ(children(e, entry::sub_06C46F /* part first */).size(), 2u);
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
                 {"kind 9, first entry", entry::sub_06ED28, 0x9A},
                 {"kind 9, second entry", entry::sub_06ED2E, 0x9B}};
    std::vector<std::pair<uint8_t, uint8_t>> heard;  // code, live count then
    fake(sub_088FD7, [&heard] { heard.emplace_back(cpu.reg[0] & 0xFF, orb_read8(var::live_enemy_count)); });
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
        const int dispatched = calls(sub_06A1DA /* dispatcher */);
        set_flags(e, 1u << object_flag::defeated);
        pass(3);
        EXPECT_EQ(sounds(var::sound_ring_a), k.defeat_a);
        EXPECT_EQ(sounds(var::sound_ring_b), k.defeat_b);
        EXPECT_EQ(ram32(e + object_record::routine), entry::sub_06A1DA /* dispatcher */);
        EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), dispatched + 3);
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
            const int dispatched = calls(sub_06A1DA /* dispatcher */);
            pass();
            EXPECT_EQ(sounds(var::sound_ring_b), f.heard);
            EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), dispatched + 1);
        }
        EXPECT_EQ(ram32(e + object_record::routine), k == 7 ? entry::sub_071FCD : entry::sub_072DED);
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
        EXPECT_TRUE(children(e, entry::sub_077BD6 /* companion */).empty());
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
