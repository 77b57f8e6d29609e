// The synthetic ROM set's enemies of stage 1 area 1 through the real
// routines: the spawn generator, the two kinds' set-ups and behaviours, hits
// from a player's strike, the defeat, the points and the removal. The frame
// is reduced to what these need: a player standing still with its target
// points, table B emptied after the strike tests it, the object runner and
// the sprite list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"
#include "tests/support/synthetic_rom.h"

namespace {

constexpr uint32_t kCamera = var::playfield_camera;
constexpr uint32_t kPlayer = var::player_records;  // slot 0
constexpr uint16_t kPlayerX = 640, kPlayerY = 760;
// The test's strike box (bytes: x start, x size, vertical start, vertical
// size, pixels) in a corner of the data ROM that the set leaves empty.
constexpr uint32_t kStrikeBox = 0x13FF00;
constexpr uint16_t kStrength = 40;
// A thrown weapon's box (bytes: x start, x size, depth start, depth size).
constexpr uint32_t kWeaponBox = 0x13FF10;

// Fields as the routines use them.
constexpr uint32_t kX = 32, kY = 34, kOwner = 12, kFlags = 0, kType = 3, kState = 2, kEnergy = 64,
                   kScoreValue = 52, kAction = 58;

class SyntheticEnemies : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        const synthetic::rom_builder& set = synthetic::synthetic_set();
        for (uint32_t a = 0; a < 0x200000; ++a)
            if (const uint8_t b = set.program8(a)) plant8(a, b);
        const uint8_t box[] = {4, 28, static_cast<uint8_t>(-40), 30};
        for (uint32_t i = 0; i < sizeof box; ++i) plant8(kStrikeBox + i, box[i]);
        const uint8_t weapon[] = {static_cast<uint8_t>(-4), 8, static_cast<uint8_t>(-4), 8};
        for (uint32_t i = 0; i < sizeof weapon; ++i) plant8(kWeaponBox + i, weapon[i]);
        init_objects();
        // What the game's start-up leaves: no system, enemy or frame bits, no
        // player records, no enemy counted or sent to vanish, the camera at
        // the origin, the lowest rank tier, empty display chains and sound
        // rings.
        orb_write32(var::system_flags, 0);
        orb_write32(var::enemy_flags, 0);
        orb_write8(var::live_enemy_count, 0);
        orb_write8(var::vanish_stagger, 0);
        orb_write8(var::difficulty_rank, 0);
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 64; ++i) orb_write8(kCamera + i, 0);
        for (uint32_t i = 0; i < 1024; i += 2) orb_write16(var::display_buckets + i, 0);
        orb_write16(var::display_count, 0);
        for (uint32_t i = 0; i < 34; ++i) orb_write8(var::sound_ring_a + i, 0);
        for (uint32_t i = 0; i < 34; ++i) orb_write8(var::sound_ring_b + i, 0);
        for (uint32_t i = 0; i < 4 * 32; ++i) orb_write8(var::tally_records + i, 0);       // nothing tallied
        for (uint32_t i = 0; i < 0x800; ++i) orb_write8(var::terrain_map + i, 0);          // no cell blocked
        for (uint32_t i = 0; i < 8 * 2; ++i) orb_write8(var::target_slot_holders + i, 0);  // no slot held
        // No body registered yet in either table (the player's is never
        // registered in this reduced frame).
        orb_write8(var::hitbox_table_a, 0);
        orb_write8(var::hitbox_copy_a, 0);
        orb_write8(var::hitbox_table_b, 0);
        orb_write8(var::hitbox_copy_b, 0);
        orb_write32(var::camera_pointer, kCamera);
        orb_write32(var::sprite_list_pointer, 0x410020);  // sprite list pointer
        orb_write32(var::game_flags, 1);                  // slot 0 in play
        orb_write8(var::stage, 1);
        orb_write8(var::area, 1);
        orb_write32(kPlayer + kFlags, 1);
        orb_write16(kPlayer + kOwner, static_cast<uint16_t>(kPlayer));
        orb_write16(kPlayer + kX, kPlayerX);
        orb_write16(kPlayer + kY, kPlayerY);
        orb_write8(kPlayer + player_record::slot, 0);
        // Target points of player 0 beside it; the other players' unusable.
        for (uint32_t p = 0; p < 4; ++p) {
            const uint32_t e = var::target_points + 6 * p;
            orb_write16(e, kPlayerY);
            orb_write16(e + 2, p == 0 ? kPlayerX - 160 : 0xFFFF);
            orb_write16(e + 4, p == 0 ? kPlayerX + 160 : 0xFFFF);
        }
        EXPECT_TRUE(run(sub_068FD2));
        spawn(entry::sub_066200 /* generator */, sub_088C57);
    }

    // One frame: the strike (when asked) tests table B, which is then
    // copied and emptied; a weapon at `weapon` (when asked) tests the copy;
    // the objects run.
    void frame(bool strike = false, uint32_t weapon = 0) {
        orb_write8(kPlayer + kAction, 2);
        if (strike) {
            cpu.reg[20] = kPlayer;
            cpu.reg[10] = kStrikeBox;
            cpu.reg[16] = kStrength;
            ASSERT_TRUE(run(sub_0881A4));
        }
        for (uint32_t i = 0; i < 16u * (ram8(var::hitbox_table_b) + 1); ++i)
            orb_write8(var::hitbox_copy_b + i, ram8(var::hitbox_table_b + i));
        orb_write8(var::hitbox_table_b, 0);
        if (weapon) {
            // The weapon (in player record 3, out of play), owned by player
            // 0, where the target stands.
            const uint32_t w = kPlayer + 0x300;
            orb_write16(w + kOwner, static_cast<uint16_t>(kPlayer));
            orb_write8(w + kAction, 2);
            orb_write16(w + kX, ram16(weapon + kX));
            orb_write16(w + kY, ram16(weapon + kY));
            cpu.reg[20] = w;
            cpu.reg[10] = kWeaponBox;
            cpu.reg[16] = 10;
            ASSERT_TRUE(run(sub_08833D));
        }
        ASSERT_TRUE(run(sub_088B00));
        ASSERT_TRUE(run(sub_062121));  // the sprite list empties the display buckets
    }

    // The live object on the ring with this routine and type.
    static uint32_t enemy(uint32_t routine, uint8_t type) {
        for (uint32_t o : ring())
            if ((ram16(o + kFlags) & 1) && ram32(o + 4) == routine && ram8(o + kType) == type) return o;
        return 0;
    }
    static uint32_t stalker() { return enemy(entry::sub_06A1DA, 3); }
    static uint32_t pacer() { return enemy(entry::sub_07A278, 0); }
    static bool in_ring(uint32_t o) {
        const auto r = ring();
        return std::find(r.begin(), r.end(), o) != r.end();
    }
    // Runs frames until the object has left the ring, 120 at most.
    bool leaves(uint32_t o) {
        for (int f = 0; f < 120; ++f) {
            frame();
            if (!in_ring(o)) return true;
        }
        return false;
    }
};

TEST_F(SyntheticEnemies, BothKindsEnterAsTheAreaStarts) {
    frame();
    const uint32_t stalker = this->stalker();
    ASSERT_NE(stalker, 0u) << "kind 3";
    EXPECT_EQ(ram16(stalker + kX), 960);
    EXPECT_EQ(ram16(stalker + kEnergy), 260) << "one player: the base energy";
    EXPECT_EQ(ram16(stalker + kScoreValue), 5000);
    // The pacer set itself up in the same pass (state 0 to its wait).
    frame();
    const uint32_t pacer = this->pacer();
    ASSERT_NE(pacer, 0u) << "AI type 0";
    EXPECT_EQ(ram16(pacer + kEnergy), 24);
    EXPECT_EQ(ram16(pacer + kScoreValue), 300);
    EXPECT_EQ(ram8(var::live_enemy_count), 2);

    // The pacer keeps to its segment; the stalker comes to stand beside the
    // player on its right, at its depth.
    uint16_t pacer_min = 0xFFFF, pacer_max = 0;
    for (int f = 0; f < 600; ++f) {
        frame();
        ASSERT_TRUE(in_ring(pacer)) << "frame " << f;
        pacer_min = std::min(pacer_min, ram16(pacer + kX));
        pacer_max = std::max(pacer_max, ram16(pacer + kX));
    }
    EXPECT_GE(pacer_min, 64);
    EXPECT_LE(pacer_max, 1216);
    EXPECT_GT(pacer_max, pacer_min) << "it walked";
    // It stops short of a step that would reach its point.
    EXPECT_GT(ram16(stalker + kX), kPlayerX + 100);
    EXPECT_LT(ram16(stalker + kX), kPlayerX + 100 + 8);
    EXPECT_EQ(ram16(stalker + kY), kPlayerY);
    EXPECT_EQ(ram8(var::live_enemy_count), 2);
}

TEST_F(SyntheticEnemies, TheStalkerIsHitUntilDefeatedThenLeaves) {
    uint32_t stalker = 0;
    for (int f = 0; f < 400; ++f) frame();
    stalker = this->stalker();
    ASSERT_NE(stalker, 0u);
    ASSERT_LT(ram16(stalker + kX), kPlayerX + 100 + 8);

    // Strike every 8th frame: 260 energy takes 7 strikes of 40; each but the
    // last scores the hit points (10), the last the kind's 5000.
    std::vector<int16_t> energy;
    for (int f = 0; f < 8 * 7; ++f) {
        frame(f % 8 == 0);
        if (f % 8 == 0) energy.push_back(static_cast<int16_t>(ram16(stalker + kEnergy)));
    }
    EXPECT_EQ(energy, (std::vector<int16_t>{220, 180, 140, 100, 60, 20, 0}));
    EXPECT_EQ(ram32(kPlayer + player_record::score), 6u * 10 + 5000);
    EXPECT_EQ(ram16(var::tally_records + 2 * 1), 1) << "counted in its category for slot 0";
    EXPECT_EQ(ram8(var::live_enemy_count), 2) << "still falling";

    // It pops up, falls off the bottom of the screen and is gone.
    ASSERT_TRUE(leaves(stalker));
    EXPECT_EQ(ram8(var::live_enemy_count), 1);
    EXPECT_EQ(ram16(stalker + kFlags) & 1, 0);
    EXPECT_EQ(this->stalker(), 0u);
    // Its companion went with it: only the pacer's kind is left on the ring
    // with the generator and the watcher.
    for (int f = 0; f < 2; ++f) frame();
    for (uint32_t o : ring()) EXPECT_NE(ram16(o + kOwner), static_cast<uint16_t>(stalker)) << std::hex << o;
    EXPECT_EQ(ram32(kPlayer + player_record::score), 5060u) << "nothing more";
}

TEST_F(SyntheticEnemies, ThePacerIsBeatenByAWeaponAndFallsAway) {
    for (int f = 0; f < 200; ++f) frame();
    const uint32_t pacer = this->pacer();
    ASSERT_NE(pacer, 0u);
    // Three throws of strength 10 at every 8th frame: 24 energy, 14, 4, 0;
    // 10 points each for the first two, the pacer's 300 for the last.
    std::vector<int16_t> energy;
    for (int f = 0; f < 24; ++f) {
        frame(false, f % 8 == 0 ? pacer : 0);
        if (f % 8 == 0) energy.push_back(static_cast<int16_t>(ram16(pacer + kEnergy)));
    }
    EXPECT_EQ(energy, (std::vector<int16_t>{14, 4, 0}));
    EXPECT_EQ(ram32(kPlayer + player_record::score), 320u);
    EXPECT_EQ(ram16(var::tally_records), 1) << "category 0 of slot 0";
    ASSERT_TRUE(leaves(pacer));
    EXPECT_EQ(ram8(var::live_enemy_count), 1);
    EXPECT_NE(this->stalker(), 0u) << "the stalker stays";
}

// A camera that never moves: the progress watcher sends its stand-in enemy
// after 900 frames for each live enemy at most plus one (2,700 here); it
// seeks and walks up to the player like the stalker, counted apart.
TEST_F(SyntheticEnemies, TheWatchersStandInFindsItsTables) {
    for (int f = 0; f < 2699; ++f) frame();
    EXPECT_EQ(enemy(entry::sub_06AEA4, 58), 0u) << "not yet";
    frame();
    const uint32_t stand_in = enemy(entry::sub_06AEA4, 58);
    ASSERT_NE(stand_in, 0u);
    for (int f = 0; f < 300; ++f) frame();
    EXPECT_EQ(ram8(var::live_enemy_count), 2) << "not counted";
    EXPECT_GE(ram8(stand_in + kState), 2) << "it took a slot";
}

}  // namespace
