#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/states.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

namespace pr = player_record;
namespace ob = object_record;
namespace ps = player_state;

constexpr uint32_t kPlayer = 0x20A100;  // slot 1
constexpr uint32_t kCharacter = 2;
constexpr uint32_t kEnemy = var::objects_128;  // an object outside the pools' use here
constexpr uint32_t kMapHeader = 0x180000;
constexpr int16_t kCameraX = 1000, kCameraY = 2000;
constexpr int16_t kStartX = 1500, kStartY = 2400;

// Routines of other areas the controller calls.
enum : uint32_t {};

// ROM tables planted for character 2 (32-bit tables point at byte tables).
constexpr uint32_t kStrikeFrames = rom::strike_frame;
constexpr uint32_t kBoxesPtr = rom::attack_boxes, kBoxes = 0x170000;
constexpr uint32_t kStrengthsPtr = rom::attack_strengths, kStrengths = 0x170100;
constexpr uint32_t kSwingPtr = rom::swing_sounds, kSwing = 0x170200;
constexpr uint32_t kConnectPtr = rom::connect_sounds, kConnect = 0x170300;

enum : uint8_t { kDown = 1, kUp = 2, kRight = 4, kLeft = 8, kButton1 = 16, kButton2 = 32 };

// One player record (slot 1, character 2) standing at (1500, 2400) facing
// right, the playfield camera at (1000, 2000) over a clear terrain map one
// page wide, and stand-ins for every routine of another area. Animation
// starts, sounds and child effects are recorded; the inputs come from the
// player input block as the input fetch reads it.
class Player : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        // What the game's start-up leaves, planted: no game or system bits, no
        // rank event pending, empty player records, no input sampled, the playfield camera at the
        // origin, a clear terrain map, empty display buckets and sound rings.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 24; ++i) orb_write8(var::player_inputs + i, 0);
        for (uint32_t i = 0; i < 64; ++i) orb_write8(var::playfield_camera + i, 0);
        for (uint32_t i = 0; i < 1024; ++i) orb_write8(var::display_buckets + i, 0);
        orb_write16(var::display_count, 0);
        orb_write8(var::rank_events, 0);
        for (uint32_t i = 0; i < 0x1000; ++i) orb_write8(var::terrain_map + i, 0);  // all clear
        for (uint32_t i = 0; i < 34; ++i) {
            orb_write8(var::sound_ring_a + i, 0);
            orb_write8(var::sound_ring_b + i, 0);
        }
        orb_write32(var::camera_pointer, var::playfield_camera);
        orb_write32(var::playfield_camera + camera_record::map_header, kMapHeader);
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(kCameraX));
        orb_write16(var::playfield_camera + camera_record::y, static_cast<uint16_t>(kCameraY));
        plant8(kMapHeader, 1);
        plant8(kMapHeader + 1, 4);
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::mirror_x);
        orb_write16(kPlayer + ob::owner, static_cast<uint16_t>(kPlayer));
        orb_write8(kPlayer + pr::slot, 1);
        orb_write8(kPlayer + pr::character, kCharacter);
        orb_write16(kPlayer + ob::energy, 100);
        orb_write16(kPlayer + ob::world_x, static_cast<uint16_t>(kStartX));
        orb_write16(kPlayer + ob::world_y, static_cast<uint16_t>(kStartY));
        orb_write16(kPlayer + ob::screen_x, 125);
        orb_write16(kPlayer + ob::screen_y, 100);
        orb_write8(kPlayer + pr::hurt_timer, 100);  // keeps the untouchable bit as the tests set it
        fake(sub_06179F /* panel cell */, [] { cpu.reg[18] = 0x31F800; });
        fake_all({sub_063D72 /* drain */, sub_061975 /* name line */, sub_0619CD /* energy line */,
                  sub_062E7E /* place */, sub_061628 /* energy out */, sub_063722 /* leave */,
                  sub_063D29 /* start place */});
        fake(sub_063BBA /* inputs */, [] {
            const uint32_t slot = orb_read8(cpu.reg[20] + pr::slot);
            cpu.reg[0] = orb_read8(var::player_inputs + input_block::current + slot);
            cpu.reg[1] = orb_read8(var::player_inputs + input_block::pressed + slot);
            cpu.reg[2] = orb_read8(var::player_inputs + input_block::previous + slot);
            cpu.reg[7] = orb_read8(var::player_inputs + input_block::mask + slot) | cpu.reg[1];
        });
        fake(sub_0824F0 /* effect */, [this] { effects.push_back(cpu.reg[0] & 0xFF); });
        fake(sub_061F06 /* anim start */, [this] { anims.push_back(cpu.reg[19]); });
        fake(sub_061FB6 /* anim tick */, [this] { orb_write8(cpu.reg[20] + ob::frame_index, next_frame); });
        fake(sub_088F98 /* sound */, [this] { sounds.push_back(cpu.reg[0] & 0xFF); });
        fake(sub_06925A /* random */, [this] { cpu.reg[0] = random; });
    }
    static void inputs(uint8_t held, uint8_t pressed, uint8_t previous = 0, uint8_t mask = 0) {
        orb_write8(var::player_inputs + input_block::current + 1, held);
        orb_write8(var::player_inputs + input_block::pressed + 1, pressed);
        orb_write8(var::player_inputs + input_block::previous + 1, previous);
        orb_write8(var::player_inputs + input_block::mask + 1, mask);
    }
    static void state(uint8_t s) { orb_write8(kPlayer + ob::state, s); }
    static uint8_t state() { return ram8(kPlayer + ob::state); }
    static uint16_t flags() { return ram16(kPlayer + ob::flags); }
    static int16_t s16(uint32_t offset) { return static_cast<int16_t>(ram16(kPlayer + offset)); }
    bool frame() {
        cpu.reg[20] = kPlayer;
        return run(sub_063EB6);
    }
    // A ROM table of 32-bit addresses by character, with entry c = value.
    void plant_by_character(uint32_t table, uint32_t value) { plant32(table + 4 * kCharacter, value); }
    // The strike of action a: frame, box (x 0..40, vertical -40..40), strength and sounds.
    void plant_strike(uint8_t strike_frame, uint8_t strength) {
        plant_by_character(kBoxesPtr, kBoxes);
        plant_by_character(kStrengthsPtr, kStrengths);
        plant_by_character(kSwingPtr, kSwing);
        plant_by_character(kConnectPtr, kConnect);
        for (uint32_t a = 0; a < 10; ++a) {
            plant8(kStrikeFrames + a, strike_frame);
            plant8(kBoxes + 4 * a, 0);
            plant8(kBoxes + 4 * a + 1, 10);
            plant8(kBoxes + 4 * a + 2, static_cast<uint8_t>(-10));
            plant8(kBoxes + 4 * a + 3, 20);
            plant8(kStrengths + a, strength);
            plant8(kSwing + a, static_cast<uint8_t>(0x50 + a));
            plant8(kConnect + a, static_cast<uint8_t>(0x60 + a));
        }
    }
    // An enemy with a body entry in the table at `table` around the player.
    static void enemy_in(uint32_t table, uint16_t energy = 100) {
        orb_write16(kEnemy + ob::flags, 0x8001);
        orb_write16(kEnemy + ob::energy, energy);
        orb_write8(table, 1);
        const uint32_t e = table + hitbox_entry::size;
        orb_write32(e + hitbox_entry::object, kEnemy);
        orb_write16(e + hitbox_entry::x_from, 1400);
        orb_write16(e + hitbox_entry::x_to, 1600);
        orb_write16(e + hitbox_entry::depth_from, 2300);
        orb_write16(e + hitbox_entry::depth_to, 2500);
        orb_write16(e + hitbox_entry::vertical_from, static_cast<uint16_t>(-100));
        orb_write16(e + hitbox_entry::vertical_to, 100);
    }

    std::vector<uint32_t> effects, anims, sounds;
    uint8_t next_frame = 0;
    uint32_t random = 0;
};

// ---- the preamble ----

TEST_F(Player, PlayOverErasesThePanelLine) {
    constexpr uint32_t kCell = 0x31F100;
    for (uint32_t i = 0; i < 4; ++i) orb_write16(kCell + 2 * i, static_cast<uint16_t>(0x200 + 'A' + i));
    uint32_t table = 0;
    fake(sub_06179F /* panel cell */, [&] {
        table = cpu.reg[19];
        cpu.reg[18] = kCell;
    });
    orb_write32(var::game_flags, 1u << 14);
    state(ps::reentry_landing);
    orb_write8(kPlayer + pr::state_timer, 100);
    ASSERT_TRUE(frame());
    EXPECT_EQ(table, rom::leaving_messages);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(ram16(kCell + 2 * i), 0) << "cell " << i;
}

TEST_F(Player, StageClearedHandsOverAndDoesNothingElse) {
    orb_write8(var::ingame_state, flow_state::stage_cleared);
    state(ps::reentry_landing);
    ASSERT_TRUE(frame());
    EXPECT_EQ(ram32(kPlayer + ob::routine), entry::sub_06389E);
    EXPECT_EQ(state(), ps::start);
    EXPECT_TRUE(call_log().empty());
    EXPECT_EQ(ram32(var::game_flags), 0u);
}

TEST_F(Player, SystemFreezeBitsMakeUntouchableAndSkipTheDrain) {
    for (uint32_t bits : {0u, 1u << 8, 1u << 9, 1u << 10, 1u << 11}) {
        SCOPED_TRACE(bits);
        orb_write32(var::system_flags, bits);
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive);
        const int drains = calls(sub_063D72 /* drain */);
        state(ps::reentry_landing);
        orb_write8(kPlayer + pr::state_timer, 100);
        ASSERT_TRUE(frame());
        EXPECT_EQ((flags() & (1u << object_flag::intangible)) != 0, bits != 0);
        EXPECT_EQ(calls(sub_063D72 /* drain */) - drains, bits ? 0 : 1);
        EXPECT_NE(ram32(var::game_flags) & 1u << 10, 0u) << "the controller ran";
    }
}

TEST_F(Player, TimersCountDown) {
    const struct {
        uint8_t action_timer, hurt_timer;
        uint8_t action_timer_after, action_after, hurt_after;
        bool untouchable_after;
    } cases[] = {
        {1, 1, 0, 0, 0, false},     // both run out
        {2, 2, 1, 3, 1, true},      // both still running
        {0, 0, 0, 3, 0, false},     // a stopped chain window keeps the action; hurt time held at 0
        {5, 0x81, 4, 3, 0, false},  // a hurt time read as negative is held at 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.action_timer) << ", " << int(c.hurt_timer));
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::intangible);
        orb_write8(kPlayer + pr::action_timer, c.action_timer);
        orb_write8(kPlayer + ob::attack_kind, 3);
        orb_write8(kPlayer + pr::hurt_timer, c.hurt_timer);
        orb_write8(kPlayer + pr::countdowns, 2);
        orb_write8(kPlayer + pr::countdowns + 1, 0);
        cpu.reg[20] = kPlayer;
        ASSERT_TRUE(run(sub_064CE5));
        EXPECT_EQ(ram8(kPlayer + pr::action_timer), c.action_timer_after);
        EXPECT_EQ(ram8(kPlayer + ob::attack_kind), c.action_after);
        EXPECT_EQ(ram8(kPlayer + pr::hurt_timer), c.hurt_after);
        EXPECT_EQ((flags() & (1u << object_flag::intangible)) != 0, c.untouchable_after);
        EXPECT_EQ(ram8(kPlayer + pr::countdowns), 1);
        EXPECT_EQ(ram8(kPlayer + pr::countdowns + 1), 0);
    }
}

TEST_F(Player, ChainEndsAfter48FramesWithoutAConnect) {
    orb_write8(kPlayer + pr::action_timer, 48);
    orb_write8(kPlayer + ob::attack_kind, 2);
    cpu.reg[20] = kPlayer;
    for (int f = 1; f < 48; ++f) ASSERT_TRUE(run(sub_064CE5));
    EXPECT_EQ(ram8(kPlayer + ob::attack_kind), 2);
    ASSERT_TRUE(run(sub_064CE5));
    EXPECT_EQ(ram8(kPlayer + ob::attack_kind), 0);
}

TEST_F(Player, StateAboveTheLastEndsTheRun) {
    state(ps::count);
    EXPECT_EXIT(frame(), ::testing::ExitedWithCode(3),
                "^Jump from 063F5D to 064011 has no translated target \\(frame 0\\)\n$");
}

TEST_F(Player, EntryChecksTheGroundAndTheScreen) {
    const uint32_t start_cell = 37 * 32 + 23;
    const struct {
        const char* name;
        uint8_t state;
        bool blocked;
        int16_t screen_x, screen_y, energy;
        uint8_t state_after;
    } cases[] = {
        {"blocked ground", ps::start, true, 125, 100, 100, ps::reentry},
        {"clear ground, strong", ps::start, false, 125, 100, 100, ps::standing},
        {"weak", ps::stand_check, false, 25, 33, 50, ps::standing_weak},
        {"above the screen", ps::stand_check, false, 125, 32, 100, ps::reentry},
        {"below the screen", ps::stand_check, false, 125, 256, 100, ps::reentry},
        {"left of the screen", ps::stand_check, false, 24, 100, 100, ps::reentry},
        {"right of the screen", ps::stand_check, false, 296, 100, 100, ps::reentry},
        {"last column", ps::stand_check, false, 295, 255, 100, ps::standing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write8(var::terrain_map + start_cell / 8, c.blocked ? 1 << (start_cell & 7) : 0);
        orb_write16(kPlayer + ob::screen_x, static_cast<uint16_t>(c.screen_x));
        orb_write16(kPlayer + ob::screen_y, static_cast<uint16_t>(c.screen_y));
        orb_write16(kPlayer + ob::energy, static_cast<uint16_t>(c.energy));
        orb_write8(kPlayer + pr::idle_count, 9);
        state(c.state);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ(ram8(kPlayer + pr::idle_count), c.state_after == ps::reentry ? 9 : 0);
    }
}

TEST_F(Player, HurtTakesFacingAndAnimationFromTheReaction) {
    plant16(0x0650D0 + 2 * 5, 1u << object_flag::mirror_x);
    plant32(rom::hurt_anim + 4 * 8 + 4 * kCharacter, 0x160000);
    plant32(rom::hurt_anim + 4 * 4 + 4 * kCharacter, 0x161000);
    plant8(0x0651B1 + kCharacter, 0x31);
    plant_by_character(0x063336, 0x171000);
    plant16(0x171000, 12);
    const struct {
        uint8_t reaction;
        uint16_t facing;
        uint32_t anim;
        int16_t x;
    } cases[] = {{5, 1u << object_flag::mirror_x, 0x160000, kStartX + 12}, {2, 0, 0x161000, kStartX}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.reaction));
        effects.clear();
        anims.clear();
        sounds.clear();
        orb_write16(kPlayer + ob::world_x, static_cast<uint16_t>(kStartX));
        orb_write8(kPlayer + ob::frame_index, 0);
        orb_write8(kPlayer + ob::hit_reaction, c.reaction);
        orb_write8(kPlayer + pr::buffered_buttons, kButton1);
        state(ps::hurt);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::hurt_knock);
        EXPECT_EQ(effects, std::vector<uint32_t>{39});
        EXPECT_EQ(sounds, std::vector<uint32_t>{0x31});
        EXPECT_EQ(anims, std::vector<uint32_t>{c.anim});
        EXPECT_EQ(flags() & (1u << object_flag::mirror_x), c.facing);
        EXPECT_EQ(ram8(kPlayer + pr::buffered_buttons), 0);
        EXPECT_EQ(s16(ob::world_x), c.x);
    }
}

TEST_F(Player, DefeatFacesTheAttacker) {
    plant8(0x0651B9 + kCharacter, 0x32);
    plant_by_character(rom::defeat_anim, 0x162000);
    plant_by_character(0x063336, 0x171000);
    plant16(0x171000, 12);
    orb_write16(kEnemy + ob::flags, 1u << object_flag::mirror_x);
    orb_write16(kPlayer + ob::last_attacker, static_cast<uint16_t>(kEnemy));
    const struct {
        uint8_t state, state_after;
        uint16_t facing_before, facing_after;
    } cases[] = {{ps::defeated, ps::defeated_knock, 1u << object_flag::mirror_x, 0},
                 {ps::air_defeated, ps::air_defeated_knock, 1u << object_flag::mirror_x, 0},
                 {ps::hold_defeated, ps::air_defeated_knock, 1u << object_flag::mirror_x,
                  1u << object_flag::mirror_x}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.state));
        effects.clear();
        anims.clear();
        sounds.clear();
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | c.facing_before);
        orb_write16(kPlayer + ob::world_x, static_cast<uint16_t>(kStartX));
        orb_write8(kPlayer + pr::followed, 255);
        orb_write8(kPlayer + ob::rise_speed, 9);
        state(c.state);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ(flags() & (1u << object_flag::mirror_x), c.facing_after);
        EXPECT_EQ(effects, std::vector<uint32_t>{40});
        EXPECT_EQ(sounds, std::vector<uint32_t>{0x32});
        EXPECT_EQ(anims, std::vector<uint32_t>{0x162000});
        EXPECT_EQ(ram8(kPlayer + pr::followed), 0);
        EXPECT_EQ(s16(ob::world_x), c.facing_after ? kStartX + 12 : kStartX - 12);
        EXPECT_EQ(ram8(kPlayer + ob::rise_speed), c.state == ps::defeated ? 9 : 0);
    }
}

TEST_F(Player, GrabTakesAGrabbableTarget) {
    plant8(rom::grab_box + 4 * kCharacter, 0);
    plant8(rom::grab_box + 4 * kCharacter + 1, 10);
    plant8(rom::grab_box + 4 * kCharacter + 2, static_cast<uint8_t>(-10));
    plant8(rom::grab_box + 4 * kCharacter + 3, 20);
    plant_by_character(rom::grab_anim, 0x163000);
    for (uint16_t enemy_flags : {0xA001, 0x8001}) {
        SCOPED_TRACE(enemy_flags);
        anims.clear();
        enemy_in(var::hitbox_table_b);
        orb_write16(kEnemy + ob::flags, enemy_flags);
        orb_write16(kEnemy + ob::last_attacker, 0);
        orb_write8(kPlayer + pr::holding, 0);
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::mirror_x |
                                             1u << object_flag::hidden | 1u << object_flag::held);
        state(ps::attack);
        const int loads = calls(sub_063BBA /* inputs */);
        ASSERT_TRUE(frame());
        EXPECT_EQ(flags() & (1u << object_flag::hidden | 1u << object_flag::held), 0);
        if (enemy_flags & 0x2000) {
            EXPECT_EQ(state(), ps::attack_swing) << "not grabbable: an attack";
            EXPECT_EQ(ram8(kPlayer + pr::holding), 0);
            continue;
        }
        EXPECT_EQ(state(), ps::grab_hold);
        EXPECT_EQ(ram16(kEnemy + ob::flags), 0x8011);
        EXPECT_EQ(ram16(kEnemy + ob::last_attacker), static_cast<uint16_t>(kPlayer));
        EXPECT_EQ(ram32(kPlayer + pr::held_object), kEnemy);
        EXPECT_EQ(ram8(kPlayer + pr::holding), 255);
        EXPECT_EQ(ram8(kPlayer + pr::state_timer), 35);
        EXPECT_EQ(anims, std::vector<uint32_t>{0x163000});
        EXPECT_EQ(calls(sub_063BBA /* inputs */) - loads, 2);
    }
    // Holding: button 2 lets go and jumps, button 1 throws.
    inputs(0, kButton2);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::jump);
    EXPECT_EQ(ram16(kEnemy + ob::flags), 0x8001);
    EXPECT_EQ(ram8(kPlayer + pr::holding), 0);
}

TEST_F(Player, ArcTermsFollowTheAngle) {
    plant16(rom::arc_radius, 2048);
    plant16(0x100000 + 2 * 100, 8192);
    plant16(0x100200 + 2 * 100, static_cast<uint16_t>(-16384));
    orb_write16(kPlayer + pr::angle, 100);
    cpu.reg[20] = kPlayer;
    ASSERT_TRUE(run(sub_06475C));
    EXPECT_EQ(static_cast<int32_t>(r(3)), 1024);
    orb_write16(kPlayer + ob::flags, 1u << object_flag::alive);
    ASSERT_TRUE(run(sub_06475C));
    EXPECT_EQ(static_cast<int32_t>(r(3)), -1024);
    ASSERT_TRUE(run(sub_06477F));
    EXPECT_EQ(static_cast<int32_t>(r(3)), -2048);
}

// ---- moves, bounds and the walk step ----

TEST_F(Player, BoundsFollowTheCameraThenTheTerrain) {
    const struct {
        uint32_t mask;
        int16_t x, y;
        bool allowed;
    } cases[] = {
        {kDown, 1500, 2864, true},  {kDown, 1500, 2865, false},  {kUp, 1500, 2320, true},
        {kUp, 1500, 2319, false},   {kLeft, 1192, 2400, true},   {kLeft, 1191, 2400, false},
        {kRight, 2088, 2400, true}, {kRight, 2089, 2400, false}, {0, 5000, 9000, true},
        {12, 1191, 2400, false},    {12, 2089, 2400, false},     {3, 1500, 2319, false},
    };
    cpu.reg[20] = kPlayer;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask " << c.mask << " (" << c.x << ", " << c.y << ")");
        cpu.reg[0] = c.mask;
        cpu.reg[3] = static_cast<uint32_t>(c.x);
        cpu.reg[4] = static_cast<uint32_t>(c.y);
        ASSERT_TRUE(run(sub_064C43));
        EXPECT_EQ(r(9), c.allowed ? 0u : 0xFFFFFFFFu);
    }
    // A set terrain cell refuses a point inside the bounds: (1500, 2400) is cell 37 × 32 + 23.
    orb_write8(var::terrain_map + (37 * 32 + 23) / 8, 1 << ((37 * 32 + 23) & 7));
    cpu.reg[0] = 15;
    cpu.reg[3] = 1500;
    cpu.reg[4] = 2400;
    ASSERT_TRUE(run(sub_064C43));
    EXPECT_EQ(r(9), 0xFFFFFFFFu);
}

TEST_F(Player, BlockedMovesSlideVerticallyFirst) {
    const struct {
        const char* name;
        int8_t step_x, step_y;
        int16_t x, y;  // start
        int16_t x_after, y_after;
    } cases[] = {
        {"free diagonal", 8, 4, 1500, 2400, 1508, 2404},
        {"x refused: slides along y", 8, 4, 2085, 2400, 2085, 2404},
        {"y refused: slides along x", 8, 4, 1500, 2862, 1508, 2862},
        {"both refused: stays", 8, 4, 2085, 2862, 2085, 2862},
    };
    cpu.reg[20] = kPlayer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write8(kPlayer + pr::step_x, static_cast<uint8_t>(c.step_x));
        orb_write8(kPlayer + pr::step_y, static_cast<uint8_t>(c.step_y));
        orb_write16(kPlayer + ob::world_x, static_cast<uint16_t>(c.x));
        orb_write16(kPlayer + ob::world_y, static_cast<uint16_t>(c.y));
        cpu.reg[0] = kDown | kRight;
        ASSERT_TRUE(run(sub_064BFC));
        EXPECT_EQ(s16(ob::world_x), c.x_after);
        EXPECT_EQ(s16(ob::world_y), c.y_after);
    }
    // A wall cell only at the diagonal: both slides are open, the vertical one is taken.
    orb_write8(kPlayer + pr::step_x, 40);
    orb_write8(kPlayer + pr::step_y, 40);
    orb_write16(kPlayer + ob::world_x, 1500);
    orb_write16(kPlayer + ob::world_y, 2400);
    const uint32_t diagonal = (2440 / 64) * 32 + 1540 / 64;
    orb_write8(var::terrain_map + diagonal / 8, 1 << (diagonal & 7));
    cpu.reg[0] = kDown | kRight;
    ASSERT_TRUE(run(sub_064BFC));
    EXPECT_EQ(s16(ob::world_x), 1500);
    EXPECT_EQ(s16(ob::world_y), 2440);
}

TEST_F(Player, WalkStepMovesAndMarksNewPresses) {
    constexpr uint32_t kTable = rom::player_walk_table;
    plant8(kTable + 4 * kRight, 1);
    plant8(kTable + 4 * kRight + 1, 6);
    plant8(kTable + 4 * kRight + 2, 0);
    plant8(kTable + 4 * (kRight | kUp), 0x81);  // turns the mirror bits to byte 3
    plant8(kTable + 4 * (kRight | kUp) + 1, 4);
    plant8(kTable + 4 * (kRight | kUp) + 2, static_cast<uint8_t>(-4));
    plant8(kTable + 4 * (kRight | kUp) + 3, 0x80);
    plant8(0x064FE0 + kRight, pr::countdowns);
    plant8(0x064FE0 + kUp, pr::countdowns + 1);
    plant_by_character(rom::walking_anim, 0x150000);
    const struct {
        const char* name;
        uint8_t held, pressed, previous;
        int16_t x_after, y_after;
        uint16_t flags_after;
        uint8_t byte_right, byte_up;
        std::vector<uint32_t> anims;
    } cases[] = {
        {"new press",
         kRight,
         kRight,
         0,
         1506,
         2400,
         1u << object_flag::alive | 1u << object_flag::mirror_x,
         32,
         0,
         {0x150000}},
        {"held on",
         kRight,
         0,
         kRight,
         1506,
         2400,
         1u << object_flag::alive | 1u << object_flag::mirror_x,
         0,
         0,
         {}},
        {"pressed while held",
         kRight | kUp,
         kUp,
         kRight,
         1504,
         2396,
         1u << object_flag::alive | 1u << object_flag::mirror_y,
         0,
         0,
         {}},
        {"let go",
         0,
         0,
         kRight,
         1500,
         2400,
         1u << object_flag::alive | 1u << object_flag::mirror_x,
         0,
         0,
         {0x140000}},
        {"standing still",
         0,
         0,
         0,
         1500,
         2400,
         1u << object_flag::alive | 1u << object_flag::mirror_x,
         0,
         0,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        anims.clear();
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::mirror_x);
        orb_write16(kPlayer + ob::world_x, 1500);
        orb_write16(kPlayer + ob::world_y, 2400);
        orb_write8(kPlayer + pr::countdowns, 0);
        orb_write8(kPlayer + pr::countdowns + 1, 0);
        orb_write8(kPlayer + pr::idle_count, 77);
        cpu.reg[20] = kPlayer;
        cpu.reg[0] = c.held | kButton1;
        cpu.reg[1] = c.pressed;
        cpu.reg[2] = c.previous;
        cpu.reg[18] = 0x140000;
        ASSERT_TRUE(run(sub_064B86));
        EXPECT_EQ(s16(ob::world_x), c.x_after);
        EXPECT_EQ(s16(ob::world_y), c.y_after);
        EXPECT_EQ(flags(), c.flags_after);
        EXPECT_EQ(ram8(kPlayer + pr::countdowns), c.byte_right);
        EXPECT_EQ(ram8(kPlayer + pr::countdowns + 1), c.byte_up);
        EXPECT_EQ(anims, c.anims);
        EXPECT_EQ(ram8(kPlayer + pr::idle_count), c.held ? 1 : 77);
    }
}

// ---- jumping ----

TEST_F(Player, JumpRisesHangsFallsAndLands) {
    state(ps::jump);
    ASSERT_TRUE(frame());  // 4, then 5 with frame 0
    EXPECT_EQ(state(), ps::jump_takeoff);
    EXPECT_EQ(ram8(kPlayer + ob::rise_speed), 28);
    next_frame = 1;
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::rising);
    std::vector<int> heights;
    while (state() == ps::rising) {
        ASSERT_TRUE(frame());
        heights.push_back(s16(ob::height));
    }
    EXPECT_EQ(heights, (std::vector<int>{26, 50, 72, 92, 110, 126, 140, 152, 162, 170, 176, 180, 182, 182}));
    EXPECT_EQ(state(), ps::jump_top);
    EXPECT_EQ(ram8(kPlayer + pr::state_timer), 6);
    // The top: the animation has stopped (duration 0), then 6 frames.
    for (int f = 1; f < 6; ++f) ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::jump_top);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::fall);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::falling);
    int frames = 0;
    while (state() == ps::falling && frames < 100) {
        ASSERT_TRUE(frame());
        ++frames;
    }
    EXPECT_EQ(state(), ps::landing);
    EXPECT_EQ(s16(ob::height), 0);
    EXPECT_EQ(ram8(kPlayer + pr::state_timer), 6);
}

TEST_F(Player, LandingPauseIsLongerAfterAnAirSpecial) {
    for (uint8_t long_landing : {0, 255}) {
        SCOPED_TRACE(int(long_landing));
        state(ps::falling);
        orb_write16(kPlayer + ob::height, 2);
        orb_write8(kPlayer + ob::rise_speed, 0);
        orb_write8(kPlayer + pr::long_landing, long_landing);
        ASSERT_TRUE(frame());
        ASSERT_EQ(state(), ps::landing);
        const int pause = ram8(kPlayer + pr::state_timer);
        EXPECT_EQ(pause, long_landing ? 16 : 6);
        for (int f = 1; f < pause; ++f) ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::landing);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::start);
    }
}

TEST_F(Player, SteeringStartsWhenTheJumpLeavesFrameZero) {
    plant8(rom::steer_table + 4 * kLeft, 1);
    plant8(rom::steer_table + 4 * kLeft + 1, static_cast<uint8_t>(-5));
    inputs(kLeft, 0, kLeft);
    state(ps::jump_takeoff);
    next_frame = 0;
    ASSERT_TRUE(frame());
    EXPECT_EQ(s16(ob::world_x), kStartX) << "frame 0: no steering";
    next_frame = 1;
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::rising);
    EXPECT_EQ(s16(ob::world_x), kStartX - 5);
}

// ---- the hit check ----

TEST_F(Player, HitCheckTakesOverTheState) {
    const struct {
        const char* name;
        uint8_t state;
        uint16_t flags;
        uint8_t pending;
        uint8_t state_after;
        uint8_t hurt_timer;
    } cases[] = {
        {"hit and defeat on the ground", ps::landing, 1u << object_flag::hit | 1u << object_flag::defeated, 0,
         ps::defeated, 100},
        {"hit and defeat in the air", ps::rising, 1u << object_flag::hit | 1u << object_flag::defeated, 0,
         ps::air_defeated, 100},
        {"hit on the ground", ps::landing, 1u << object_flag::hit, 0, ps::hurt, 32},
        {"hit in the air", ps::falling, 1u << object_flag::hit, 0, ps::air_hurt, 32},
        {"held by an enemy", ps::landing, 0, 1, ps::held, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state(c.state);
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | c.flags);
        orb_write8(kPlayer + pr::hit_pending, c.pending);
        orb_write8(kPlayer + pr::hurt_timer, 100);
        orb_write8(kPlayer + ob::attack_kind, 3);
        orb_write8(kPlayer + pr::state_timer, 5);
        orb_write16(kPlayer + pr::attack_object, 0x1234);
        orb_write8(kPlayer + pr::holding, 255);
        orb_write32(kPlayer + pr::held_object, kEnemy);
        orb_write16(kEnemy + ob::flags, 0x8011);
        orb_write16(kPlayer + ob::height, 50);
        inputs(0, kButton1);  // the state would attack: it does nothing more
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ(ram8(kPlayer + pr::hurt_timer), c.hurt_timer == 100 ? 99 : c.hurt_timer);
        EXPECT_NE(flags() & (1u << object_flag::intangible), 0);
        EXPECT_EQ(ram16(kPlayer + pr::attack_object), 0);
        EXPECT_EQ(ram8(kPlayer + pr::holding), 0);
        EXPECT_EQ(ram16(kEnemy + ob::flags), 0x8001) << "the held enemy is let go";
        EXPECT_EQ(ram8(kPlayer + pr::state_timer), 5);
        EXPECT_EQ(s16(ob::height), 50);
        EXPECT_EQ(ram8(kPlayer + ob::attack_kind), c.flags & (1u << object_flag::defeated) ? 3 : 0);
        EXPECT_EQ((flags() & (1u << object_flag::defeated)), 0);
    }
}

// ---- the attack chain ----

TEST_F(Player, EachConnectRaisesTheChainAndTheFourthEndsIt) {
    plant_strike(2, 8);
    const struct {
        uint8_t action;
        bool connect;
        uint8_t action_after, timer_after;
    } cases[] = {
        {0, true, 1, 48}, {1, true, 2, 48}, {2, true, 3, 48}, {3, true, 0, 0}, {2, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.action) << (c.connect ? " connect" : " miss"));
        sounds.clear();
        state(ps::attack_swing);
        next_frame = 2;
        orb_write8(kPlayer + ob::attack_kind, c.action);
        orb_write8(kPlayer + pr::action_timer, 0);
        orb_write8(kPlayer + pr::buffered_buttons, kButton2);
        orb_write8(var::hitbox_table_b, 0);
        orb_write8(var::hitbox_copy_a, 0);
        if (c.connect) enemy_in(var::hitbox_table_b);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::attack_recovery);
        EXPECT_EQ(ram8(kPlayer + pr::buffered_buttons), 0);
        EXPECT_EQ(ram8(kPlayer + ob::attack_kind), c.action_after);
        EXPECT_EQ(ram8(kPlayer + pr::action_timer), c.timer_after);
        EXPECT_EQ(flags() & (1u << object_flag::touched), 0) << "the connect was taken";
        std::vector<uint32_t> expected{0x50u + c.action};
        if (c.connect) expected.push_back(0x60u + c.action);
        EXPECT_EQ(sounds, expected);
    }
}

TEST_F(Player, StrikeWithTableBEmptyHitsTheOtherPlayersAtHalfStrength) {
    plant_strike(2, 5);
    state(ps::attack_swing);
    next_frame = 2;
    orb_write8(var::hitbox_table_b, 0);  // table B empty
    enemy_in(var::hitbox_copy_a, 100);
    ASSERT_TRUE(frame());
    EXPECT_EQ(static_cast<int16_t>(ram16(kEnemy + ob::energy)), 100 - 3);
    EXPECT_EQ(ram8(kPlayer + ob::attack_kind), 1);
}

TEST_F(Player, RecoveryTakesTheBufferedButton) {
    const struct {
        const char* name;
        uint8_t buffered, pressed, held;
        uint8_t state_after, action_after;
        uint16_t facing_after;
    } cases[] = {
        {"jump", kButton2, 0, 0, ps::jump_takeoff, 2, 1u << object_flag::mirror_x},
        {"attack on", kButton1, 0, kRight, ps::attack_swing, 2, 1u << object_flag::mirror_x},
        {"attack turned round", 0, kButton1, kLeft, ps::attack_swing, 4, 0},
        {"nothing", 0, 0, 0, ps::start, 2, 1u << object_flag::mirror_x},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state(ps::attack_recovery);
        next_frame = 0;
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::mirror_x);
        orb_write8(kPlayer + ob::attack_kind, 2);
        orb_write8(kPlayer + pr::buffered_buttons, c.buffered);
        inputs(c.held, c.pressed);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ(ram8(kPlayer + ob::attack_kind), c.action_after);
        EXPECT_EQ(flags() & (1u << object_flag::mirror_x), c.facing_after);
    }
}

TEST_F(Player, RecoveryStatesMoveOnByFrameAndTime) {
    const struct {
        const char* name;
        uint8_t state;
        uint8_t frame_before, frame_after, duration, timer;
        int16_t height;
        uint8_t state_after;
        bool untouchable_after;
    } cases[] = {
        {"hurt, frame 0", ps::hurt_knock, 0, 0, 1, 0, 0, ps::hurt_knock, true},
        {"hurt, frame on", ps::hurt_knock, 0, 1, 1, 0, 0, ps::hurt_recover, true},
        {"hurt, frame back at 0", ps::hurt_recover, 1, 0, 1, 0, 0, ps::start, false},
        {"hurt, frame on again", ps::hurt_recover, 1, 2, 1, 0, 0, ps::hurt_recover, true},
        {"defeated, frame 3", ps::defeated_knock, 2, 3, 1, 0, 0, ps::defeated_knock, true},
        {"defeated, frame 4", ps::defeated_knock, 3, 4, 1, 64, 0, ps::defeated_blink, true},
        {"hurt in the air, landed", ps::air_hurt_fall, 0, 0, 1, 0, 2, ps::air_hurt_recover, true},
        {"hurt in the air, falling", ps::air_hurt_fall, 0, 0, 1, 0, 90, ps::air_hurt_fall, true},
        {"special, not yet back", ps::special_end, 2, 3, 1, 0, 0, ps::special_end, false},
        {"special, back at 0", ps::special_end, 2, 0, 1, 0, 0, ps::start, false},
        {"thrown, animating", ps::throw_follow, 4, 5, 1, 0, 0, ps::throw_follow, false},
        {"thrown, stopped", ps::throw_follow, 4, 5, 0, 10, 0, ps::throw_pause, false},
        {"after the throw", ps::throw_pause, 0, 0, 1, 0, 0, ps::grab_end, false},
        {"done", ps::grab_end, 0, 0, 1, 0, 0, ps::start, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state(c.state);
        orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::mirror_x);
        orb_write8(kPlayer + ob::frame_index, c.frame_before);
        next_frame = c.frame_after;
        orb_write8(kPlayer + ob::frame_duration, c.duration);
        orb_write8(kPlayer + pr::state_timer, c.state == ps::throw_pause ? 1 : 9);
        orb_write16(kPlayer + ob::height, static_cast<uint16_t>(c.height));
        orb_write8(kPlayer + ob::rise_speed, 0);
        orb_write8(kPlayer + ob::attack_kind, 9);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ((flags() & (1u << object_flag::intangible)) != 0, c.untouchable_after);
        if (c.timer) {
            EXPECT_EQ(ram8(kPlayer + pr::state_timer), c.timer);
        }
        EXPECT_EQ(ram8(kPlayer + ob::attack_kind), c.state == ps::grab_end ? 0 : 9);
    }
}

TEST_F(Player, SpecialStrikeUsesTheBoxAfterItsFrame) {
    plant8(rom::special_strike, 2);
    plant8(0x06514C, 0);
    plant8(0x06514D, 10);
    plant8(0x06514E, static_cast<uint8_t>(-10));
    plant8(0x06514F, 20);
    enemy_in(var::hitbox_table_b, 100);
    state(ps::special_strike);
    next_frame = 1;
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::special_strike);
    next_frame = 2;
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::special_launch);
    EXPECT_EQ(sounds, std::vector<uint32_t>{201});
    EXPECT_EQ(static_cast<int16_t>(ram16(kEnemy + ob::energy)), 76);
}

TEST_F(Player, GrabTimesOut) {
    orb_write8(kPlayer + pr::holding, 255);
    orb_write32(kPlayer + pr::held_object, kEnemy);
    orb_write16(kEnemy + ob::flags, 0x8011);
    orb_write8(kPlayer + pr::state_timer, 2);
    state(ps::grab_hold);
    inputs(kLeft, 0);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::grab_hold);
    EXPECT_EQ(flags() & (1u << object_flag::mirror_x), 0) << "left turns the player";
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::start);
    EXPECT_EQ(ram8(kPlayer + pr::holding), 0);
    EXPECT_EQ(ram16(kEnemy + ob::flags), 0x8001);
}

// ---- standing ----

TEST_F(Player, StandingTurnsIdleAt128AndRestartsAt256) {
    plant_by_character(rom::standing_anim, 0x140000);
    plant_by_character(rom::idle_anim, 0x141000);
    const struct {
        uint8_t count;
        std::vector<uint32_t> anims;
    } cases[] = {{126, {}}, {127, {0x141000}}, {128, {}}, {255, {0x140000}}, {0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.count));
        anims.clear();
        state(ps::standing);
        orb_write8(kPlayer + pr::idle_count, c.count);
        ASSERT_TRUE(frame());
        EXPECT_EQ(ram8(kPlayer + pr::idle_count), static_cast<uint8_t>(c.count + 1));
        EXPECT_EQ(anims, c.anims);
    }
}

TEST_F(Player, StandingChoosesByButtons) {
    const struct {
        uint8_t pressed, mask;
        uint8_t state_after;
    } cases[] = {
        {kButton1, 0, ps::attack},         {kButton1, kButton2, ps::special},     {kButton2, 0, ps::jump},
        {kButton2, kButton1, ps::special}, {kButton1 | kButton2, 0, ps::special},
    };
    for (const auto& c : cases) {
        state(ps::standing_weak);
        orb_write16(kPlayer + ob::energy, 40);
        inputs(0, c.pressed, 0, c.mask);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), c.state_after) << int(c.pressed) << " " << int(c.mask);
    }
}

TEST_F(Player, EnergyCostsNeverDefeat) {
    plant8(0x063326 + kCharacter, 5);
    plant8(rom::special_state + kCharacter, 1);
    const struct { int16_t energy, after; } cases[] = {{3, 1}, {5, 1}, {6, 1}, {10, 5}};
    for (const auto& c : cases) {
        state(ps::special);
        orb_write16(kPlayer + ob::energy, static_cast<uint16_t>(c.energy));
        ASSERT_TRUE(frame());
        EXPECT_EQ(s16(ob::energy), c.after) << c.energy;
        EXPECT_EQ(state(), ps::special_strike);
    }
    ASSERT_GE(effects.size(), 1u);
    EXPECT_EQ(effects.back(), 14u + kCharacter + 4) << "facing right";
}

// ---- jump attack and air specials ----

TEST_F(Player, JumpAttackFallsDriftsAndStrikes) {
    plant_strike(3, 6);
    plant32(rom::attack_anim + 4 * (4 * 5 + kCharacter), 0x164000);
    plant8(rom::jump_attack_cost + kCharacter, 7);
    plant8(rom::drift_table + 4 * kRight, 1);
    plant8(rom::drift_table + 4 * kRight + 1, 3);
    state(ps::jump_attack);
    orb_write8(kPlayer + ob::attack_kind, 5);
    orb_write8(kPlayer + pr::action_timer, 20);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::jump_attack_swing);
    EXPECT_EQ(ram8(kPlayer + pr::action_timer), 0);
    EXPECT_EQ(anims, std::vector<uint32_t>{0x164000});
    EXPECT_EQ(sounds, std::vector<uint32_t>{0x55});
    EXPECT_EQ(s16(ob::energy), 93);
    const struct {
        int8_t rise;
        int16_t height;
        uint8_t timer;
        int8_t rise_after;
        int16_t height_after;
        uint8_t timer_after, state_after;
        int16_t drift;
    } cases[] = {
        {10, 100, 0, 8, 108, 0, ps::jump_attack_swing, 3},    // still rising
        {0, 100, 2, 0, 100, 1, ps::jump_attack_swing, 3},     // hanging: the count runs first
        {0, 100, 1, 6 - 8, 98, 0, ps::jump_attack_swing, 3},  // the count has run out: falling again
        {-4, 3, 0, 0, 0, 6, ps::jump_attack_end, 0},          // landed: no drift
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.rise) << " " << c.height << " " << int(c.timer));
        state(ps::jump_attack_swing);
        orb_write16(kPlayer + ob::world_x, static_cast<uint16_t>(kStartX));
        orb_write8(kPlayer + ob::rise_speed, static_cast<uint8_t>(c.rise));
        orb_write16(kPlayer + ob::height, static_cast<uint16_t>(c.height));
        orb_write8(kPlayer + pr::state_timer, c.timer);
        ASSERT_TRUE(frame());
        EXPECT_EQ(static_cast<int8_t>(ram8(kPlayer + ob::rise_speed)), c.rise_after);
        EXPECT_EQ(s16(ob::height), c.height_after);
        EXPECT_EQ(ram8(kPlayer + pr::state_timer), c.timer_after);
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ(s16(ob::world_x), kStartX + c.drift);
    }
    // At the strike frame the box is tested instead of the tick; a connect sounds 202.
    sounds.clear();
    state(ps::jump_attack_swing);
    orb_write16(kPlayer + ob::height, 100);
    orb_write8(kPlayer + ob::rise_speed, 10);
    orb_write8(kPlayer + ob::frame_index, 3);
    next_frame = 9;
    enemy_in(var::hitbox_table_b, 100);
    orb_write16(kPlayer + ob::height, 0);
    orb_write8(kPlayer + ob::rise_speed, 12);
    ASSERT_TRUE(frame());
    EXPECT_EQ(ram8(kPlayer + ob::frame_index), 3);
    EXPECT_EQ(sounds, std::vector<uint32_t>{202});
    EXPECT_EQ(static_cast<int16_t>(ram16(kEnemy + ob::energy)), 94);
    // Landing: 34 goes back to 0 with the chain bookkeeping of the connect.
    state(ps::jump_attack_end);
    orb_write8(kPlayer + ob::attack_kind, 5);
    sounds.clear();
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::start);
    EXPECT_EQ(sounds, std::vector<uint32_t>{0x65});
    EXPECT_EQ(ram8(kPlayer + ob::attack_kind), 6);
    EXPECT_EQ(ram8(kPlayer + pr::action_timer), 48);
}

TEST_F(Player, DashMovesWithoutGravityUntilItsTimeOrAWall) {
    plant8(0x063302 + 3 * kCharacter, 3);
    plant8(0x063302 + 3 * kCharacter + 1, 12);
    plant8(0x063302 + 3 * kCharacter + 2, 5);
    plant8(rom::air_special_cost + kCharacter, 4);
    state(ps::dash_special);
    orb_write8(kPlayer + ob::attack_kind, 6);
    orb_write16(kPlayer + ob::height, 40);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::dash);
    EXPECT_EQ(ram8(kPlayer + pr::long_landing), 255);
    EXPECT_EQ(static_cast<int8_t>(ram8(kPlayer + pr::step_x)), -12) << "negated facing right";
    EXPECT_EQ(ram8(kPlayer + pr::state_timer), 3);
    EXPECT_EQ(s16(ob::energy), 96);
    for (int f = 1; f <= 2; ++f) {
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::dash);
        EXPECT_EQ(s16(ob::world_x), kStartX - 12 * f);
        EXPECT_EQ(s16(ob::height), 40 + 5 * f);
    }
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::fall) << "the time is up";
    EXPECT_EQ(s16(ob::world_x), kStartX - 24);
    // A wall ends it at once.
    state(ps::dash);
    orb_write8(kPlayer + pr::state_timer, 3);
    orb_write16(kPlayer + ob::world_x, 1200);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::fall);
    EXPECT_EQ(s16(ob::world_x), 1200);
}

TEST_F(Player, ArcSwingsAroundItsCentre) {
    plant16(rom::arc_start, 510);
    plant16(rom::arc_end, 520);
    plant16(rom::arc_radius, 1 << 14);  // radius terms equal the table values
    for (uint32_t a = 500; a < 530; ++a) {
        plant16(0x100000 + 2 * a, static_cast<uint16_t>(a - 500));
        plant16(0x100200 + 2 * a, static_cast<uint16_t>(2 * (a - 500)));
    }
    plant_by_character(rom::arc_object, 0x155555);
    plant8(rom::air_special_cost + kCharacter, 4);
    state(ps::arc_special);
    orb_write8(kPlayer + ob::attack_kind, 6);
    orb_write16(kPlayer + ob::height, 100);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::arc_swing);
    EXPECT_EQ(s16(pr::arc_centre_x), kStartX - 10);
    EXPECT_EQ(s16(pr::arc_centre_height), 100 - 20);
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(ram32(objects[0] + ob::routine), 0x155555u);
    EXPECT_EQ(ram16(objects[0] + ob::owner), static_cast<uint16_t>(kPlayer));
    EXPECT_EQ(ram16(kPlayer + pr::attack_object), static_cast<uint16_t>(objects[0]));
    EXPECT_GE(objects[0], var::objects_256);
    EXPECT_LT(objects[0], var::objects_128) << "a 256-byte object";
    // Speeds: +1 below angle 512, -1 from it on; angle += speed / 2.
    const int angles[] = {510, 511, 512, 513, 513};
    for (int angle : angles) {
        ASSERT_TRUE(frame());
        EXPECT_EQ(s16(pr::angle), angle);
        EXPECT_EQ(s16(ob::world_x), kStartX - 10 + (angle - 500));
        EXPECT_EQ(s16(ob::height), 80 + 2 * (angle - 500));
    }
    orb_write16(kPlayer + pr::angle, 521);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::fall) << "past the end angle";
}

// ---- held by an enemy ----

TEST_F(Player, HeldFacesTheHolderAtItsOffsets) {
    for (bool holder_right : {false, true}) {
        SCOPED_TRACE(holder_right);
        orb_write16(kEnemy + ob::flags, holder_right ? 0x40 : 0);
        orb_write16(kEnemy + ob::world_x, 1600);
        orb_write16(kEnemy + ob::world_y, 2450);
        orb_write16(kPlayer + ob::last_attacker, static_cast<uint16_t>(kEnemy));
        orb_write16(kPlayer + pr::hold_offset_x, 40);
        orb_write16(kPlayer + pr::hold_height, 100);
        state(ps::held);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::held_squeezed);
        EXPECT_EQ(s16(ob::world_x), holder_right ? 1560 : 1640);
        EXPECT_EQ(s16(ob::world_y), 2446);
        EXPECT_EQ(s16(ob::height), 100);
        EXPECT_EQ((flags() & (1u << object_flag::mirror_x)) != 0, !holder_right);
        EXPECT_EQ(s16(pr::hold_time), 240);
    }
}

TEST_F(Player, StrugglingShortensTheHold) {
    orb_write16(kPlayer + ob::last_attacker, static_cast<uint16_t>(kEnemy));
    orb_write8(kPlayer + pr::hit_pending, 1);
    orb_write16(kPlayer + pr::hold_time, 240);
    state(ps::held_struggle);
    inputs(0, kUp);
    ASSERT_TRUE(frame());
    EXPECT_EQ(s16(pr::hold_time), 229);
    inputs(kUp, 0, kUp);
    ASSERT_TRUE(frame());
    EXPECT_EQ(s16(pr::hold_time), 228);
    EXPECT_EQ(state(), ps::held_struggle);
    // Running out frees the player: placed and on to the release.
    orb_write16(kPlayer + pr::hold_time, 1);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::thrown_off);
    EXPECT_EQ(ram8(kPlayer + pr::hit_pending), 0);
}

TEST_F(Player, HoldDrainingTheEnergyDefeats) {
    const struct {
        uint8_t state, ticks;
        int16_t energy, damage;
    } cases[] = {
        {ps::held_squeezed, 7, 10, 10}, {ps::held_squeezed, 7, 10, 30}, {ps::held_struggle, 15, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.state));
        state(c.state);
        orb_write16(kPlayer + ob::last_attacker, static_cast<uint16_t>(kEnemy));
        orb_write8(kPlayer + pr::hit_pending, 1);
        orb_write16(kPlayer + pr::hold_time, 240);
        orb_write8(kPlayer + pr::hold_ticks, c.ticks);
        orb_write16(kPlayer + ob::energy, static_cast<uint16_t>(c.energy));
        orb_write16(kPlayer + pr::hold_damage, static_cast<uint16_t>(c.damage));
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::hold_defeated);
        EXPECT_EQ(s16(ob::energy), 0);
        EXPECT_EQ(ram8(kPlayer + pr::hit_pending), 0);
    }
}

TEST_F(Player, FreePlaceSearchEndsWithoutAClearCell) {
    // Every cell blocked: one pass through the x range, then the start x.
    for (uint32_t a = var::terrain_map; a < var::terrain_map + 0x2000; ++a) orb_write8(a, 0xFF);
    orb_write16(kPlayer + ob::world_x, 1500);
    cpu.reg[20] = kPlayer;
    ASSERT_TRUE(run(sub_06495A));
    EXPECT_EQ(s16(ob::world_x), 1500);
    EXPECT_EQ(s16(ob::world_y), kStartY + 4);
    // A clear cell 3 steps on is found.
    const uint32_t cell = (2404 / 64) * 32 + (1500 + 3 * 64) / 64;
    orb_write8(var::terrain_map + cell / 8, static_cast<uint8_t>(~(1 << (cell & 7))));
    ASSERT_TRUE(run(sub_06495A));
    EXPECT_EQ(s16(ob::world_x), 1500 + 3 * 64);
    // A clear cell past the screen's right margin (screen x 272): pulled back.
    const uint32_t far = (2412 / 64) * 32 + (1500 + 12 * 64) / 64;
    orb_write8(var::terrain_map + cell / 8, 0xFF);
    orb_write8(var::terrain_map + far / 8, static_cast<uint8_t>(~(1 << (far & 7))));
    orb_write16(kPlayer + ob::world_x, 1500);
    ASSERT_TRUE(run(sub_06495A));
    EXPECT_EQ(s16(ob::world_x), 2268 - 4 * ((2268 >> 2) - (1000 >> 2) - 272));
}

// ---- grab and throw ----

TEST_F(Player, ThrowHitsTheHeldEnemy) {
    plant16(rom::throw_strength + 2 * kCharacter, 20);
    plant8(rom::hit_reaction_table + 9 * 4 + 2, 0x77);  // reaction of kind 9, the thrower facing right
    for (bool right : {false, true}) {
        SCOPED_TRACE(right);
        effects.clear();
        sounds.clear();
        orb_write16(kPlayer + ob::flags,
                    1u << object_flag::alive | (right ? 1u << object_flag::mirror_x : 0));
        orb_write16(kEnemy + ob::flags, 0x8011);
        orb_write16(kEnemy + ob::energy, 50);
        orb_write8(kPlayer + pr::holding, 255);
        orb_write32(kPlayer + pr::held_object, kEnemy);
        state(ps::throw_swing);
        next_frame = 3;
        random = 7;
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::throw_follow);
        EXPECT_EQ(static_cast<int16_t>(ram16(kEnemy + ob::energy)), 30);
        EXPECT_EQ(ram8(kEnemy + ob::hit_reaction), right ? 0x77 : 0);
        EXPECT_NE(ram16(kEnemy + ob::flags) & (1u << object_flag::hit), 0);
        EXPECT_EQ(sounds, std::vector<uint32_t>{243});
        EXPECT_EQ(effects, std::vector<uint32_t>{right ? 46u : 43u});
        EXPECT_EQ(ram8(kPlayer + pr::holding), 0);
        EXPECT_EQ(ram8(kPlayer + ob::attack_kind), 0);
    }
}

TEST_F(Player, SpecialLaunchesItsAttackObject) {
    plant8(0x065147 + kCharacter, 4);
    plant_by_character(kSwingPtr, kSwing);
    plant8(kSwing + 7, 0x99);
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty);
        init_objects();
        if (empty) orb_write16(var::free_stack_128, 0);
        sounds.clear();
        state(ps::special_launch);
        next_frame = 4;
        orb_write16(kPlayer + pr::attack_object, 0);
        ASSERT_TRUE(frame());
        EXPECT_EQ(state(), ps::special_end);
        EXPECT_EQ(sounds, std::vector<uint32_t>{0x99});
        if (empty) {
            EXPECT_TRUE(ring().empty());
            EXPECT_EQ(ram16(var::active_count), 0);
            EXPECT_EQ(ram16(kPlayer + pr::attack_object), 0);
            continue;
        }
        const auto objects = ring();
        ASSERT_EQ(objects.size(), 1u);
        const uint32_t o = objects[0];
        EXPECT_EQ(ram8(o + ob::state), 0);
        EXPECT_EQ(ram16(o + ob::owner), static_cast<uint16_t>(kPlayer));
        EXPECT_EQ(ram8(o + ob::type), kCharacter + 4);
        EXPECT_EQ(ram32(o + ob::routine), entry::sub_077D19);
        EXPECT_EQ(ram16(kPlayer + pr::attack_object), static_cast<uint16_t>(o));
    }
}

// ---- re-entry and going out ----

TEST_F(Player, ReentryRisesOutThenDropsIn) {
    state(ps::reentry_rise);
    orb_write16(kPlayer + ob::screen_y, 10);
    orb_write16(kPlayer + ob::height, 0);
    ASSERT_TRUE(frame());
    EXPECT_EQ(s16(ob::height), 44);
    orb_write16(kPlayer + ob::screen_y, 0);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::reentry_drop);
    EXPECT_EQ(calls(sub_063D29 /* start place */), 1);
    EXPECT_EQ(s16(ob::height), 896);
    int expected = 896, rise = 4, frames = 0;
    while (state() == ps::reentry_drop) {
        ASSERT_TRUE(frame());
        ++rise;
        expected -= rise;
        ++frames;
        if (expected >= 0) {
            ASSERT_EQ(s16(ob::height), expected) << "frame " << frames;
        }
    }
    EXPECT_EQ(s16(ob::height), 0);
    EXPECT_EQ(state(), ps::reentry_landing);
    EXPECT_EQ(effects, std::vector<uint32_t>{1}) << "the slot's effect";
    orb_write16(kPlayer + ob::flags, 1u << object_flag::alive | 1u << object_flag::intangible);
    for (int f = 1; f < 6; ++f) ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::reentry_landing);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::start);
    EXPECT_EQ(flags() & (1u << object_flag::intangible), 0);
}

TEST_F(Player, OutOpensThePlaceAndStartsTheContinue) {
    fake(sub_062E7E /* place */, [] { cpu.reg[0] = 2; });
    orb_write8(var::character_places_free, 0x01);
    state(ps::defeated_blink);
    orb_write8(kPlayer + pr::state_timer, 1);
    orb_write8(kPlayer + pr::followed, 255);
    ASSERT_TRUE(frame());
    EXPECT_EQ(flags(), 0);
    EXPECT_EQ(state(), ps::start);
    EXPECT_EQ(ram16(kPlayer + pr::timer), 1260);
    EXPECT_EQ(ram8(var::rank_events), 4);
    EXPECT_EQ(ram8(var::character_places_free), 0x05);
    EXPECT_EQ(ram8(kPlayer + pr::followed), 0);
    EXPECT_NE(ram32(var::game_flags) & 1u << 13, 0u);
    EXPECT_EQ(ram32(kPlayer + ob::routine), entry::sub_063799);
    ASSERT_GE(call_log().size(), 2u);
    EXPECT_EQ(call_log().back(), entry::sub_063722 /* leave */);
    EXPECT_EQ(calls(sub_061628 /* energy out */), 1);
}

TEST_F(Player, BlinkGoesOnWhilePlayIsOver) {
    orb_write32(var::game_flags, 1u << 14);
    state(ps::air_defeated_blink);
    orb_write8(kPlayer + pr::state_timer, 1);
    ASSERT_TRUE(frame());
    EXPECT_EQ(state(), ps::air_defeated_blink);
    EXPECT_NE(flags() & (1u << object_flag::hidden), 0);
    EXPECT_EQ(calls(sub_063722 /* leave */), 0);
}

}  // namespace
