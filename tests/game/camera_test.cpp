#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/states.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

// ROM tables.

// Fixture ROM data.
constexpr uint32_t kHeader = 0x100000;  // map header W = 3, H = 2
constexpr uint32_t kScript = 0x100100;

constexpr uint32_t kPlayfield = var::playfield_camera;

uint32_t camera(int k) { return var::camera_records + 64u * k; }

int16_t s16(uint32_t address) { return static_cast<int16_t>(orb_read16(address)); }

class Camera : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        // What the game's start-up leaves, planted: no game, frame or shake
        // bits, no shake running, no enemy counted, no player in play, every
        // camera at the origin with no limits.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        orb_write8(var::camera_shake_step, 0);
        orb_write8(var::live_enemy_count, 0);
        zero(var::player_records, 4 * 256);
        zero(kPlayfield, 64);
        for (int k = 0; k < 4; ++k) zero(camera(k), 64);
        orb_write32(var::camera_pointer, kPlayfield);
        plant8(kHeader, 3);
        plant8(kHeader + 1, 2);
        for (uint32_t i = 0; i < 8; ++i) plant8(kHeader + 2 + i, static_cast<uint8_t>(0x40 + i));
        for (int k = 0; k < 4; ++k) orb_write32(camera(k) + camera_record::map_header, kHeader);
        cpu.reg[15] = kPlayfield;
        fake(sub_0631FD /* player factor */, [this] { guest::set8(cpu.reg[1], factor_); });
        fake(sub_063C2C /* place players */);
        fake(sub_088F98 /* queue sound */, [this] { sounds_.push_back(static_cast<uint8_t>(cpu.reg[0])); });
    }

    static void zero(uint32_t address, uint32_t bytes) {
        for (uint32_t i = 0; i < bytes; ++i) orb_write8(address + i, 0);
    }
    static void put(uint32_t camera_address, int16_t x, int16_t y) {
        orb_write16(camera_address + camera_record::x, static_cast<uint16_t>(x));
        orb_write16(camera_address + camera_record::y, static_cast<uint16_t>(y));
    }
    static void limits(uint32_t camera_address, int16_t x_min, int16_t y_min, int16_t x_max, int16_t y_max) {
        orb_write16(camera_address + camera_record::x_min, static_cast<uint16_t>(x_min));
        orb_write16(camera_address + camera_record::y_min, static_cast<uint16_t>(y_min));
        orb_write16(camera_address + camera_record::x_max, static_cast<uint16_t>(x_max));
        orb_write16(camera_address + camera_record::y_max, static_cast<uint16_t>(y_max));
    }
    static uint32_t player(int slot) { return var::player_records + 0x100u * slot; }
    // A followed player (byte +148 non-zero) at a world position.
    static void put_player(int slot, int16_t x, int16_t y, uint8_t index = 0) {
        orb_write8(player(slot) + 148, 0xFF);
        orb_write8(player(slot) + 38, index);
        orb_write16(player(slot) + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(player(slot) + object_record::world_y, static_cast<uint16_t>(y));
    }
    // A player whose midpoint row is the camera's anchor row (y / 4 = camera
    // pixel row + anchor), so only x follows.
    static int16_t level_y(int16_t camera_y, int anchor) {
        return static_cast<int16_t>(4 * ((camera_y >> 2) + anchor));
    }

    // A limits block of the camera script.
    void plant_limits(uint32_t at, int16_t x_min, int16_t y_min, int16_t x_max, int16_t y_max, uint8_t hold,
                      uint8_t byte) {
        plant16(at, static_cast<uint16_t>(x_min));
        plant16(at + 2, static_cast<uint16_t>(y_min));
        plant16(at + 4, static_cast<uint16_t>(x_max));
        plant16(at + 6, static_cast<uint16_t>(y_max));
        plant8(at + 8, hold);
        plant8(at + 9, byte);
    }
    // A gate: its x and the thresholds for player factors 0 to 3.
    void plant_gate(uint32_t at, int16_t x, uint8_t t0, uint8_t t1, uint8_t t2, uint8_t t3) {
        plant16(at, static_cast<uint16_t>(x));
        plant8(at + 2, t0);
        plant8(at + 3, t1);
        plant8(at + 4, t2);
        plant8(at + 5, t3);
    }

    // Stage 2, area 3 (entry 7 of the script table): a first limits block,
    // the gates given, the end mark, the final block and the end thresholds.
    // Returns the address of the end thresholds.
    uint32_t plant_script(std::vector<int16_t> gates) {
        orb_write8(var::stage, 2);
        orb_write8(var::area, 3);
        plant32(rom::camera_script_table + 4 * 7, kScript);
        plant_limits(kScript, 0, 0, 400, 2000, 1, 0x5A);
        uint32_t at = kScript + 10;
        for (int16_t x : gates) {
            plant_gate(at, x, 6, 4, 2, 0);
            at += 6;
        }
        plant16(at, 0x8000);
        plant_limits(at + 2, 100, 8, 3000, 1500, 7, 0x77);
        for (uint8_t i = 0; i < 4; ++i) plant8(at + 12 + i, static_cast<uint8_t>(5 - i));
        return at + 12;
    }

    void set_live(uint8_t n) { orb_write8(var::live_enemy_count, n); }

    uint8_t factor_ = 1;
    std::vector<uint8_t> sounds_;
};

// ---- applying a camera ----

using CameraApply = Camera;

TEST_F(CameraApply, ScrollWordsAreTheAppliedPositionInPixelsWrapped) {
    const struct {
        int16_t applied_x, applied_y;
        uint16_t scroll_x, scroll_y;
    } cases[] = {
        {2400, 1200, 88, 44},    // 600 & 0x1FF, 300 & 0xFF
        {-4, -4, 511, 255},      // a logical shift of 0xFFFC
        {2048, 1024, 0, 0},      // 512 and 256 pixels wrap to 0
        {2047, 1023, 511, 255},  // the last pixel before the wrap
        {3, 3, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.applied_x);
        orb_write16(kPlayfield + camera_record::applied_x, static_cast<uint16_t>(c.applied_x));
        orb_write16(kPlayfield + camera_record::applied_y, static_cast<uint16_t>(c.applied_y));
        cpu.reg[0] = 0x109 + 4;
        ASSERT_TRUE(run(sub_0852BE));
        EXPECT_EQ(ram16(var::nbg1_scroll_x), c.scroll_x);
        EXPECT_EQ(ram16(var::nbg1_scroll_y), c.scroll_y);
    }
}

TEST_F(CameraApply, PagePicksReadTheHeaderAroundTheAppliedPageWithoutWrap) {
    // W = 3, H = 2: page bytes at header +2 to +7, then +8, +9 past the map.
    const struct {
        int column, row;
        uint32_t picks[4];  // header offsets
    } cases[] = {
        {0, 0, {2, 3, 5, 6}},
        {1, 0, {3, 4, 6, 7}},
        {2, 0, {4, 5, 7, 8}},  // the last column reads on into the next row and past it
        {0, 1, {5, 6, 8, 9}},  // the last row reads past the map
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " row " << c.row);
        // Anywhere inside the page: 2048 world units a column, 1024 a row.
        orb_write16(kPlayfield + camera_record::applied_x, static_cast<uint16_t>(c.column * 2048 + 2047));
        orb_write16(kPlayfield + camera_record::applied_y, static_cast<uint16_t>(c.row * 1024 + 1000));
        cpu.reg[11] = var::page_picks + 4;
        ASSERT_TRUE(run(sub_0852EF));
        EXPECT_EQ(r(11), var::page_picks + 8);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ram8(var::page_picks + 4 + i), 0x40 + c.picks[i] - 2) << "pick " << i;
    }
}

TEST_F(CameraApply, ShowsThePositionOfThePreviousApplication) {
    put(kPlayfield, 100, 200);
    orb_write16(kPlayfield + camera_record::applied_x, 2400);
    orb_write16(kPlayfield + camera_record::applied_y, 1200);
    cpu.reg[0] = 0x109 + 4;
    cpu.reg[11] = var::page_picks + 4;
    ASSERT_TRUE(run(sub_0852B1));
    EXPECT_EQ(ram16(var::nbg1_scroll_x), 88);
    EXPECT_EQ(ram16(var::nbg1_scroll_y), 44);
    EXPECT_EQ(ram8(var::page_picks + 4), 0x40 + 4) << "column 1, row 1 from the old position";
    EXPECT_EQ(r(11), var::page_picks + 8);
    EXPECT_EQ(s16(kPlayfield + camera_record::applied_x), 100);
    EXPECT_EQ(s16(kPlayfield + camera_record::applied_y), 200);
    cpu.reg[11] = var::page_picks + 4;
    ASSERT_TRUE(run(sub_0852B1));
    EXPECT_EQ(ram16(var::nbg1_scroll_x), 25);
    EXPECT_EQ(ram16(var::nbg1_scroll_y), 50);
    EXPECT_EQ(ram8(var::page_picks + 4), 0x40);
}

TEST_F(CameraApply, AllFourCamerasGoToTheirOwnWordsAndPicks) {
    for (int k = 0; k < 4; ++k) {
        put(camera(k), static_cast<int16_t>(1000 + k), 0);
        // Layer k shows page column k % 3 and pixel 4k + 1 of it.
        orb_write16(camera(k) + camera_record::applied_x,
                    static_cast<uint16_t>((k % 3) * 2048 + 4 * (4 * k + 1)));
        orb_write16(camera(k) + camera_record::applied_y, static_cast<uint16_t>(4 * (k + 10)));
    }
    orb_write16(0x208230, 0xBEEF);  // the word after the last layer's scroll y stays
    ASSERT_TRUE(run(sub_086E28));
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ram16(var::scroll_words + 8 * k), 4 * k + 1);
        EXPECT_EQ(ram16(var::nbg0_scroll_y + 8 * k), k + 10);
        EXPECT_EQ(ram8(var::page_picks + 4 * k), 0x40 + k % 3);
        EXPECT_EQ(s16(camera(k) + camera_record::applied_x), 1000 + k);
    }
    EXPECT_EQ(ram16(0x208230), 0xBEEF);
    EXPECT_EQ(r(11), 0x208250u);  // R11 as the routine leaves it: the address it computed, written out
}

// ---- follow ----

using CameraFollow = Camera;

TEST_F(CameraFollow, StepsRightAPixelAFrameUpToTheLimit) {
    put(kPlayfield, 0, 0);
    limits(kPlayfield, 0, 0, 26, 0);
    put_player(2, 2000, level_y(0, 176));
    std::vector<int16_t> xs;
    for (int frame = 0; frame < 9; ++frame) {
        ASSERT_TRUE(run(sub_086CAF));
        xs.push_back(s16(kPlayfield + camera_record::x));
    }
    EXPECT_EQ(xs, (std::vector<int16_t>{4, 8, 12, 16, 20, 24, 24, 24, 24})) << "28 would pass x_max 26";
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 0);
    put(kPlayfield, 26, 0);
    ASSERT_TRUE(run(sub_086CAF));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 26) << "a camera at x_max stays";
}

TEST_F(CameraFollow, StepsLeftDownToTheLimitAndNotFurtherOut) {
    limits(kPlayfield, 990, 0, 4000, 0);
    put_player(0, 0, level_y(0, 176));
    put(kPlayfield, 1000, 0);
    ASSERT_TRUE(run(sub_086CAF));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 996);
    ASSERT_TRUE(run(sub_086CAF));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 992);
    ASSERT_TRUE(run(sub_086CAF));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 992) << "988 would pass x_min 990";
    put(kPlayfield, 900, 0);  // already outside its limits
    ASSERT_TRUE(run(sub_086CAF));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 900);
}

TEST_F(CameraFollow, WithoutAFollowedPlayerNothingMoves) {
    put(kPlayfield, 400, 400);
    limits(kPlayfield, -4000, -4000, 4000, 4000);
    for (int slot = 0; slot < 4; ++slot) {
        put_player(slot, 3000, 3000);
        orb_write8(player(slot) + 148, 0);
    }
    cpu.reg[9] = 0xABCDEF00;
    ASSERT_TRUE(run(sub_086CAF));
    ASSERT_TRUE(run(sub_086D27));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 400);
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 400);
    EXPECT_EQ(r(9), 0u);
}

TEST_F(CameraFollow, BoundsSpanEveryFollowedPlayer) {
    put_player(0, 100, 900);
    put_player(1, -300, 50);
    put_player(3, 700, -20);
    put_player(2, 5000, 5000);
    orb_write8(player(2) + 148, 0);  // not followed
    cpu.reg[3] = 0xFFFF8000;
    cpu.reg[4] = 0x7FFF;
    ASSERT_TRUE(run(sub_086DA9));
    EXPECT_EQ(static_cast<int16_t>(r(3)), 700);
    EXPECT_EQ(static_cast<int16_t>(r(4)), -300);
    EXPECT_EQ(static_cast<int16_t>(r(5)), 900);
    EXPECT_EQ(static_cast<int16_t>(r(6)), -20);
    EXPECT_EQ(r(9) & 0xFF, 0xFFu);
}

// The players' midpoint uses a 32-bit sum: 20,000 + 20,400 does not wrap.
TEST_F(CameraFollow, MidpointOfPlayersFarRightDoesNotWrap) {
    put(kPlayfield, 19000, 0);
    limits(kPlayfield, 0, 0, 30000, 0);
    put_player(0, 20000, level_y(0, 176));
    put_player(1, 20400, level_y(0, 176));
    ASSERT_TRUE(run(sub_086CAF));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 19004) << "u = 5,050 lies right of 4,750 + 160";
}

// Camera y 400 (pixel row 100): anchor 176 puts the players' row at 276
// (world y 1,104), anchor 112 at 212 (848). In placed-object areas the
// offset picked by +38 & 15 is added to the player's y first.
TEST_F(CameraFollow, VerticalAnchorAndOffsetsByAreaKind) {
    for (uint32_t i = 0; i < 16; ++i)
        plant16(rom::follow_y_offsets + 2 * i, static_cast<uint16_t>(i == 3 ? -256 : 0));
    const struct {
        const char* name;
        v60_routine follow;
        bool placed;
        int16_t player_y;
        uint8_t index;
        int16_t y_after;
    } cases[] = {
        {"terrain, on the anchor", sub_086CAF, false, 1104, 0x13, 400},
        {"terrain, below it", sub_086CAF, false, 1112, 0, 404},
        {"terrain, above it", sub_086CAF, false, 1096, 0, 396},
        {"terrain ignores the offsets", sub_086CAF, false, 1108, 0x13, 404},
        {"placed, offset 3 of index 0x13 lands on 112", sub_086CAF, true, 1104, 0x13, 400},
        {"placed, offset 4 is 0", sub_086CAF, true, 1104, 0x14, 404},
        {"placed, 112 below the offset y", sub_086CAF, true, 1100, 0x13, 396},
        {"vertical only keeps 176 in placed areas", sub_086D27, true, 1104, 0x13, 396},
        {"vertical only, terrain", sub_086D27, false, 1112, 0, 404},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(kPlayfield, 0, 400);
        limits(kPlayfield, 0, 0, 0, 4000);
        orb_write32(var::game_flags, c.placed ? 1u << 12 : 0);
        put_player(1, 640, c.player_y, c.index);
        ASSERT_TRUE(run(c.follow));
        EXPECT_EQ(s16(kPlayfield + camera_record::y), c.y_after);
        EXPECT_EQ(s16(kPlayfield + camera_record::x), 0);
    }
}

TEST_F(CameraFollow, VerticalOnlyLeavesX) {
    put(kPlayfield, 0, 0);
    limits(kPlayfield, 0, 0, 4000, 4000);
    put_player(0, 3000, 3000);
    ASSERT_TRUE(run(sub_086D27));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 0);
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 4);
}

TEST_F(CameraFollow, RunningShakeHoldsBothAxesInTerrainAreasOnly) {
    const struct {
        const char* name;
        v60_routine follow;
        bool placed;
        int16_t moved;
    } cases[] = {
        {"both axes, terrain", sub_086CAF, false, 0},
        {"both axes, placed objects", sub_086CAF, true, 4},
        {"vertical only, terrain", sub_086D27, false, 0},
        {"vertical only, placed objects", sub_086D27, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(kPlayfield, 0, 0);
        limits(kPlayfield, 0, 0, 4000, 4000);
        orb_write32(var::game_flags, c.placed ? 1u << 12 : 0);
        orb_write8(var::camera_shake_step, 9);
        put_player(0, 3000, 3000);
        ASSERT_TRUE(run(c.follow));
        EXPECT_EQ(s16(kPlayfield + camera_record::y), c.moved);
        if (c.follow == sub_086CAF) {
            EXPECT_EQ(s16(kPlayfield + camera_record::x), c.moved);
        }
    }
}

TEST_F(CameraFollow, VerticalStepsKeepToTheirLimits) {
    const struct {
        v60_routine step;
        int16_t y, y_min, y_max, y_after;
    } cases[] = {
        {sub_08532C, 100, 96, 200, 96},
        {sub_08532C, 100, 97, 200, 100},
        {sub_08532C, 100, 200, 300, 100},
        {sub_08533F, 100, 0, 104, 104},
        {sub_08533F, 100, 0, 103, 100},
        {sub_08533F, 100, 0, 50, 100},
        {sub_08532C, -30000, -30004, 0, -30004},
        // The end of the 16-bit range is a limit too: no wrap to the other end.
        {sub_08533F, 32765, 0, 32767, 32765},
        {sub_08532C, -32766, -32768, 0, -32766},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << " in " << c.y_min << ".." << c.y_max);
        put(kPlayfield, 0, c.y);
        limits(kPlayfield, 0, c.y_min, 0, c.y_max);
        ASSERT_TRUE(run(c.step));
        EXPECT_EQ(s16(kPlayfield + camera_record::y), c.y_after);
    }
}

// ---- camera script ----

class CameraScript : public Camera {
protected:
    void SetUp() override {
        Camera::SetUp();
        init_objects();
        controller_ = spawn(kTestEntry[0], sub_088C77);
        cpu.reg[20] = controller_;
    }
    uint8_t state() const { return ram8(controller_ + object_record::state); }
    uint8_t step() const { return ram8(controller_ + camera_controller::script_step); }
    uint32_t pointer() const { return ram32(controller_ + camera_controller::script_pointer); }
    void script_step() {
        cpu.reg[15] = kPlayfield;
        cpu.reg[20] = controller_;
        ASSERT_TRUE(run(sub_086BDF));
    }
    // Straight to step 3 with the first limits block taken.
    void at_gates() {
        orb_write8(controller_ + camera_controller::script_step, 2);
        orb_write32(controller_ + camera_controller::script_pointer, kScript);
        script_step();
    }
    uint32_t controller_ = 0;
};

TEST_F(CameraScript, StartWaits90FramesThenTakesTheFirstLimits) {
    plant_script({1000});
    orb_write8(controller_ + object_record::state, camera_state::layered);
    script_step();
    EXPECT_EQ(pointer(), kScript) << "entry (2 - 1) × 5 + 3 - 1";
    EXPECT_EQ(state(), camera_state::last_gate);
    EXPECT_EQ(step(), 1);
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 89) << "counted once in the same frame";
    for (int frame = 2; frame < 90; ++frame) script_step();
    EXPECT_EQ(step(), 1);
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 1);
    script_step();
    EXPECT_EQ(step(), 2);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 0) << "not copied yet";
    script_step();
    EXPECT_EQ(step(), 3);
    EXPECT_EQ(pointer(), kScript + 10);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_min), 0);
    EXPECT_EQ(s16(kPlayfield + camera_record::y_min), 0);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 400);
    EXPECT_EQ(s16(kPlayfield + camera_record::y_max), 2000);
    EXPECT_EQ(ram8(var::camera_script_hold), 1);
    EXPECT_EQ(ram8(var::camera_script_byte), 0x5A);
    EXPECT_EQ(state(), camera_state::last_gate);
}

TEST_F(CameraScript, LeftLimitFollowsTheCamera) {
    plant_script({1000});
    at_gates();
    put(kPlayfield, 300, 0);
    put_player(0, 0, level_y(0, 176));  // the players would take the camera left
    script_step();
    EXPECT_EQ(s16(kPlayfield + camera_record::x_min), 300);
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 300) << "it never scrolls back";
    EXPECT_EQ(ram8(var::camera_script_hold), 1);
}

TEST_F(CameraScript, GateHoldsWhileEnemiesLiveAboveItsThreshold) {
    plant_script({400, 900});
    at_gates();
    put(kPlayfield, 400, 0);
    put_player(0, 3000, 3000);
    factor_ = 2;  // threshold 2
    set_live(3);
    script_step();
    EXPECT_EQ(ram8(var::camera_script_hold), 0);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 400);
    EXPECT_EQ(pointer(), kScript + 10);
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 400) << "only the vertical follow ran";
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 4);
    set_live(2);
    script_step();
    EXPECT_EQ(ram8(var::camera_script_hold), 1);
    EXPECT_EQ(pointer(), kScript + 16);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 900) << "the next gate";
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 404) << "both axes followed in the same frame";
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 8);
    EXPECT_EQ(state(), camera_state::setup);
}

TEST_F(CameraScript, ThresholdByPlayerFactor) {
    for (uint8_t factor = 0; factor < 4; ++factor) {
        SCOPED_TRACE(factor);
        SetUp();
        plant_script({400, 900});
        at_gates();
        put(kPlayfield, 500, 0);  // past the gate
        factor_ = factor;
        const uint8_t threshold = static_cast<uint8_t>(6 - 2 * factor);
        set_live(threshold + 1);
        script_step();
        EXPECT_EQ(pointer(), kScript + 10);
        set_live(threshold);
        script_step();
        EXPECT_EQ(pointer(), kScript + 16);
        TearDown();
    }
}

TEST_F(CameraScript, EndMarkTakesTheFinalLimitsAndAdvancesTheState) {
    const uint32_t thresholds = plant_script({400});
    at_gates();
    orb_write8(controller_ + object_record::state, camera_state::layered);
    put(kPlayfield, 400, 0);
    put_player(0, 3000, 3000);
    set_live(0);
    script_step();
    EXPECT_EQ(pointer(), kScript + 28);
    EXPECT_EQ(pointer(), thresholds);
    EXPECT_EQ(state(), camera_state::last_gate);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_min), 100);
    EXPECT_EQ(s16(kPlayfield + camera_record::y_min), 8);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 3000);
    EXPECT_EQ(s16(kPlayfield + camera_record::y_max), 1500);
    EXPECT_EQ(ram8(var::camera_script_hold), 7);
    EXPECT_EQ(ram8(var::camera_script_byte), 0x77);
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 400) << "no follow in that frame";
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 0);
}

// Behind the last gate the end's threshold array chooses the follow.
TEST_F(CameraScript, EndThresholdsChooseBetweenTheFollows) {
    const uint32_t thresholds = plant_script({});
    orb_write32(controller_ + camera_controller::script_pointer, thresholds);
    limits(kPlayfield, 0, 0, 4000, 4000);
    put_player(0, 3000, 3000);
    factor_ = 1;  // threshold 4
    const struct {
        uint8_t live;
        int16_t x, y;
    } cases[] = {{5, 0, 4}, {4, 4, 4}, {0, 4, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.live));
        put(kPlayfield, 0, 0);
        set_live(c.live);
        ASSERT_TRUE(run(sub_086C9B));
        EXPECT_EQ(s16(kPlayfield + camera_record::x), c.x);
        EXPECT_EQ(s16(kPlayfield + camera_record::y), c.y);
    }
}

// ---- scripted move ----

using CameraMove = CameraScript;

TEST_F(CameraMove, PreparationAlignsAndTakesTheTarget) {
    put(kPlayfield, 1003, -5);
    orb_write8(var::camera_target_reached, 0xFF);
    orb_write8(controller_ + object_record::state, camera_state::last_gate);
    plant16(rom::move_target, 1200);
    plant16(rom::move_target + 2, static_cast<uint16_t>(-100));
    cpu.reg[10] = rom::move_target;
    ASSERT_TRUE(run(sub_086F8B));
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 1000);
    EXPECT_EQ(s16(kPlayfield + camera_record::y), -8);
    EXPECT_EQ(s16(kPlayfield + camera_record::target_x), 1200);
    EXPECT_EQ(s16(kPlayfield + camera_record::target_y), -100);
    EXPECT_EQ(state(), camera_state::to_area_end);
    EXPECT_EQ(ram8(var::camera_target_reached), 0);
}

TEST_F(CameraMove, StepsEachAxisFourTowardItsTarget) {
    const struct {
        int16_t x, y, target_x, target_y, x_after, y_after;
        uint8_t reached;
    } cases[] = {
        {100, 100, 200, 0, 104, 96, 0},   {100, 100, 100, 300, 100, 104, 0},
        {100, 100, 0, 100, 96, 100, 0},   {100, 100, 100, 100, 100, 100, 0xFF},
        {101, 100, 100, 100, 97, 100, 0},  // off the grid: steps past the target
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " to " << c.target_x << "," << c.target_y);
        put(kPlayfield, c.x, c.y);
        orb_write16(kPlayfield + camera_record::target_x, static_cast<uint16_t>(c.target_x));
        orb_write16(kPlayfield + camera_record::target_y, static_cast<uint16_t>(c.target_y));
        orb_write8(var::camera_target_reached, 0x5A);
        ASSERT_TRUE(run(sub_086E9B));
        EXPECT_EQ(s16(kPlayfield + camera_record::x), c.x_after);
        EXPECT_EQ(s16(kPlayfield + camera_record::y), c.y_after);
        EXPECT_EQ(ram8(var::camera_target_reached), c.reached);
    }
}

TEST_F(CameraMove, TimerAndNextState) {
    orb_write16(controller_ + camera_controller::timer, 0xFFFF);
    orb_write8(controller_ + object_record::state, camera_state::ask_change);
    ASSERT_TRUE(run(sub_08702C));
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 90);
    EXPECT_EQ(state(), camera_state::wait_change);
}

// ---- copies into other layers ----

TEST_F(Camera, LayerCopiesFollowThePlayfieldCameraThroughThePointer) {
    orb_write32(var::camera_pointer, camera(2));
    put(camera(2), -1234, 567);
    put(camera(1), 1, 1);
    cpu.reg[15] = camera(0);
    ASSERT_TRUE(run(sub_086985));
    EXPECT_EQ(s16(camera(0) + camera_record::x), -1234);
    EXPECT_EQ(s16(camera(0) + camera_record::y), 567);
    cpu.reg[15] = camera(3);
    ASSERT_TRUE(run(sub_086F1C));
    EXPECT_EQ(s16(camera(3) + camera_record::y), 567 + 448);
    EXPECT_EQ(s16(camera(3) + camera_record::x), 0);
}

// ---- shake ----

class CameraShake : public Camera {
protected:
    void SetUp() override {
        Camera::SetUp();
        // Offsets whose sums tell the steps apart; the shake goes through
        // camera_pointer, here at layer 2.
        for (int i = 0; i < 16; ++i)
            plant16(rom::shake_offsets + 2 * i, static_cast<uint16_t>(i % 2 ? -(1 << i) : 1 << i));
        orb_write32(var::camera_pointer, camera(2));
    }
    static int offset(int step) { return step % 2 ? -(1 << step) : 1 << step; }
    // The change of y one frame of the shake makes.
    int frame() {
        const uint16_t before = ram16(camera(2) + camera_record::y);
        EXPECT_TRUE(run(sub_08705E));
        return static_cast<int16_t>(ram16(camera(2) + camera_record::y) - before);
    }
};

TEST_F(CameraShake, RequestShakesSixteenFramesStartingAtOnce) {
    orb_write32(var::system_flags, 1u << 15 | 1u << 14);
    std::vector<int> moves, expected;
    for (int step = 0; step < 18; ++step) {
        moves.push_back(frame());
        expected.push_back(step < 16 ? offset(step) : 0);
    }
    EXPECT_EQ(moves, expected);
    EXPECT_EQ(ram32(var::system_flags), 1u << 14) << "the request is taken, nothing else";
    EXPECT_EQ(ram8(var::camera_shake_step), 0);
    EXPECT_EQ(s16(camera(1) + camera_record::y), 0) << "only the camera named by the pointer";
}

TEST_F(CameraShake, RequestDuringAShakeRestarts) {
    const struct {
        uint8_t step;
        int first_move;
    } cases[] = {
        {5, offset(5) + offset(0)},  // an odd step is applied once more first
        {4, offset(0)},
        {15, offset(15) + offset(0)},
        {0, offset(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        orb_write8(var::camera_shake_step, c.step);
        orb_write32(var::system_flags, 1u << 15);
        EXPECT_EQ(frame(), c.first_move);
        EXPECT_EQ(ram8(var::camera_shake_step), 1);
        EXPECT_EQ(frame(), offset(1));
    }
}

// ---- the controller ----

class CameraController : public CameraScript {
protected:
    void SetUp() override {
        CameraScript::SetUp();
        orb_write32(controller_ + object_record::routine, entry::sub_08595F);
        fake(sub_0810CE /* partner */, [this] { partner_runs_.push_back(cpu.reg[20]); });
    }
    void frame() {
        cpu.reg[20] = controller_;
        ASSERT_TRUE(run(sub_08595F));
    }
    void set_state(uint8_t s) { orb_write8(controller_ + object_record::state, s); }
    uint32_t partner() const { return kHigh | ram16(controller_ + object_record::partner); }
    std::vector<uint32_t> partner_runs_;
};

TEST_F(CameraController, StartTakesThePartnerAndRunsTheScriptInTheSameFrame) {
    plant_script({1000});
    orb_write8(controller_ + camera_controller::script_step, 3);
    frame();
    const uint32_t object = partner();
    EXPECT_EQ(object, 0x204D80u) << "the 128-byte pool's first object";
    EXPECT_EQ(ram32(object + object_record::routine), entry::sub_0810CE /* partner */);
    EXPECT_EQ(ram16(object + object_record::owner), static_cast<uint16_t>(controller_));
    EXPECT_EQ(ring(), std::vector<uint32_t>{controller_}) << "the partner is not linked";
    EXPECT_EQ(state(), camera_state::leave_start) << "script step 0 advanced it";
    EXPECT_EQ(step(), 1);
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 89);
    EXPECT_EQ(partner_runs_, std::vector<uint32_t>{object});
    EXPECT_EQ(r(20), controller_) << "R20 restored after the partner";
    EXPECT_EQ(call_log(), (std::vector<uint32_t>{entry::sub_0810CE /* partner */,
                                                 entry::sub_063C2C /* place players */}));
}

// With the 128-byte pool empty the controller goes on without a partner.
TEST_F(CameraController, EmptyPoolLeavesNoPartner) {
    plant_script({1000});
    const uint32_t other = spawn(kTestEntry[1], sub_088C67);  // R21 names it afterwards
    orb_write16(var::free_stack_128, 0);
    orb_write16(controller_ + object_record::partner, static_cast<uint16_t>(other));
    std::vector<uint8_t> before;
    for (uint32_t a = var::objects_256; a < 0x208000; ++a) before.push_back(ram8(a));
    for (int n = 0; n < 5; ++n) frame();
    EXPECT_EQ(ram16(controller_ + object_record::partner), 0);
    EXPECT_EQ(calls(sub_0810CE /* partner */), 0);
    EXPECT_EQ(calls(sub_063C2C /* place players */), 5);
    EXPECT_EQ(state(), camera_state::leave_start) << "the script runs as usual";
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 85);
    for (uint32_t a = var::objects_256, i = 0; a < 0x208000; ++a, ++i) {
        if (a >= controller_ && a < controller_ + 64) continue;
        ASSERT_EQ(ram8(a), before[i]) << std::hex << "byte at " << a;
    }
}

TEST_F(CameraController, CommonTailCopiesCallsAppliesAndPlaces) {
    plant_script({1000});
    set_state(camera_state::leave_start);
    orb_write8(controller_ + camera_controller::script_step, 1);
    orb_write16(controller_ + camera_controller::timer, 50);
    const uint32_t object = spawn(kTestEntry[1], sub_088C67);
    orb_write16(controller_ + object_record::partner, static_cast<uint16_t>(object));
    orb_write32(object + object_record::routine, entry::sub_0810CE /* partner */);
    put(kPlayfield, 40, 80);
    orb_write16(kPlayfield + camera_record::applied_x, 8);
    frame();
    EXPECT_EQ(s16(camera(0) + camera_record::x), 40);
    EXPECT_EQ(s16(camera(0) + camera_record::y), 80);
    EXPECT_EQ(partner_runs_, std::vector<uint32_t>{object});
    EXPECT_EQ(r(20), controller_);
    EXPECT_EQ(ram16(var::nbg1_scroll_x), 2) << "layer 1's scroll from its previous position";
    EXPECT_EQ(s16(kPlayfield + camera_record::applied_x), 40);
    EXPECT_EQ(s16(camera(0) + camera_record::applied_x), 40) << "layer 0 copied before the application";
    EXPECT_EQ(call_log(), (std::vector<uint32_t>{entry::sub_0810CE /* partner */,
                                                 entry::sub_063C2C /* place players */}));
}

TEST_F(CameraController, LeavingTheStartScrollsLayersTwoAndThreeIn) {
    set_state(camera_state::leave_start);
    orb_write8(controller_ + camera_controller::script_step, 1);
    orb_write16(controller_ + camera_controller::timer, 1000);
    put(kPlayfield, 64, 1000);
    put(camera(2), 600, 0);
    put(camera(3), 900, 0);
    set_live(3);
    frame();
    EXPECT_EQ(state(), camera_state::layers_in);
    EXPECT_EQ(ram8(var::live_enemy_count), 4);
    EXPECT_EQ(sounds_, std::vector<uint8_t>{0xE8});
    std::vector<int16_t> xs{s16(camera(2) + camera_record::x)};
    while (state() == camera_state::layers_in && xs.size() < 10) {
        frame();
        xs.push_back(s16(camera(2) + camera_record::x));
    }
    EXPECT_EQ(xs, (std::vector<int16_t>{572, 544, 516, 0})) << "488 is below 512";
    EXPECT_EQ(s16(camera(3) + camera_record::x), 0);
    EXPECT_EQ(state(), camera_state::layered);
    EXPECT_EQ(ram8(var::live_enemy_count), 3);
    EXPECT_EQ(sounds_, (std::vector<uint8_t>{0xE8, 0xE9}));
    EXPECT_EQ(s16(camera(2) + camera_record::y), 1448) << "state 3 ran in the same frame";
    EXPECT_EQ(s16(camera(3) + camera_record::y), 1448);
}

TEST_F(CameraController, StateThreeKeepsLayersTwoAndThreeBelowThePlayfield) {
    plant_script({1000});
    set_state(camera_state::layered);
    orb_write8(controller_ + camera_controller::script_step, 1);
    orb_write16(controller_ + camera_controller::timer, 50);
    put(kPlayfield, 2000, -300);
    frame();
    EXPECT_EQ(s16(camera(2) + camera_record::y), 148);
    EXPECT_EQ(s16(camera(3) + camera_record::y), 148);
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 49) << "the script ran";
}

TEST_F(CameraController, AreaWonStartsTheMoveAndItsEndEndsTheFrame) {
    plant16(rom::move_target, 1008);
    plant16(rom::move_target + 2, 0);
    set_state(camera_state::last_gate);
    put(kPlayfield, 1001, 2);
    orb_write32(var::system_flags, 1u << 11);
    frame();
    EXPECT_EQ(state(), camera_state::to_area_end);
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 1004) << "aligned to 1000, then a step";
    EXPECT_EQ(s16(kPlayfield + camera_record::y), 0);
    frame();
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 1008);
    EXPECT_EQ(ram8(var::camera_target_reached), 0);
    frame();
    EXPECT_EQ(ram8(var::camera_target_reached), 0xFF);
    EXPECT_EQ(state(), camera_state::to_area_end);
    const int places = calls(sub_063C2C /* place players */);
    put(kPlayfield, 2000, 0);  // the rest of the frame would copy and apply this
    frame();
    EXPECT_EQ(state(), camera_state::ask_change);
    EXPECT_EQ(ram32(var::system_flags), 1u << 11 | 1u << 14);
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 90);
    EXPECT_EQ(calls(sub_063C2C /* place players */), places + 1);
    EXPECT_EQ(s16(camera(0) + camera_record::x), 1008) << "copied the frame before";
    EXPECT_EQ(s16(kPlayfield + camera_record::applied_x), 1008) << "not applied";
}

TEST_F(CameraController, WaitThenAreaChangeThenFree) {
    init_objects();
    fake(kTestEntry[1]);
    const uint32_t before = spawn(kTestEntry[1], sub_088C77);
    controller_ = spawn(entry::sub_08595F, sub_088C77);
    const uint32_t after = spawn(kTestEntry[1], sub_088C77);
    set_state(camera_state::ask_change);
    orb_write16(controller_ + camera_controller::timer, 2);
    orb_write32(var::system_flags, 1u << 11 | 1u << 14);
    orb_write32(var::game_flags, 1u << 15 | 1u << 3);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(state(), camera_state::ask_change);
    EXPECT_EQ(ram16(controller_ + camera_controller::timer), 1);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(state(), camera_state::wait_change);
    EXPECT_EQ(ram32(var::system_flags), 1u << 10 | 1u << 14);
    EXPECT_EQ(ram32(var::game_flags), 1u << 3);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(state(), camera_state::wait_change) << "waits for the area change";
    EXPECT_EQ(calls(sub_063C2C /* place players */), 3);
    EXPECT_EQ(ring().size(), 3u);
    const uint16_t free_count = ram16(var::free_stack_64);
    orb_write32(var::game_flags, 1u << 11);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ring(), (std::vector<uint32_t>{before, after}));
    EXPECT_EQ(calls(kTestEntry[1]), 8) << "the runner went on past it";
    EXPECT_EQ(ram16(var::free_stack_64), free_count + 1);
    EXPECT_EQ(ram16(var::free_stack_64 + 2 * (free_count + 1)), static_cast<uint16_t>(controller_));
    EXPECT_EQ(calls(sub_063C2C /* place players */), 3);
    EXPECT_EQ(calls(sub_0810CE /* partner */), 0) << "no partner call after state 5";
}

TEST_F(CameraController, StateEightRunsStateZero) {
    plant_script({1000});
    set_state(camera_state::setup_again);
    frame();
    EXPECT_EQ(ram32(partner() + object_record::routine), entry::sub_0810CE /* partner */);
    EXPECT_EQ(step(), 1);
    EXPECT_EQ(state(), 9) << "the script's start added 1";
}

TEST_F(CameraController, StateNineEndsTheRun) {
    set_state(9);
    EXPECT_EXIT(frame(), ::testing::ExitedWithCode(3), "Jump from 085969 to 085987 has no translated target");
}

// The whole area on a one-gate script: wait, scroll to the gate, hold while
// enemies live, open the end, follow behind it, move to the end and free.
TEST_F(CameraController, RunsAnAreaFrameByFrame) {
    plant_script({200});
    plant16(rom::move_target, 600);
    plant16(rom::move_target + 2, 0);
    put(camera(2), 540, 0);
    put(camera(3), 540, 0);
    put_player(0, 8000, level_y(0, 176));
    factor_ = 3;  // gate threshold 0, end threshold 2
    set_live(1);
    frame();
    EXPECT_EQ(state(), camera_state::leave_start);
    for (int n = 0; n < 89; ++n) frame();
    EXPECT_EQ(step(), 2);
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 0) << "no follow while the script waits";
    frame();
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 400);
    int frames = 0;
    while (state() == camera_state::leave_start && frames++ < 100) frame();
    EXPECT_EQ(state(), camera_state::layers_in) << "from x = 64 on";
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 68) << "the script goes on in state 2";
    EXPECT_EQ(ram8(var::live_enemy_count), 2) << "state 1 counts itself as an enemy";
    frame();
    EXPECT_EQ(state(), camera_state::layered);
    EXPECT_EQ(ram8(var::live_enemy_count), 1);
    frames = 0;
    while (s16(kPlayfield + camera_record::x) < 200 && frames++ < 100) frame();
    for (int n = 0; n < 5; ++n) frame();
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 200) << "held at the gate";
    EXPECT_EQ(ram8(var::camera_script_hold), 0);
    set_live(0);
    frame();
    EXPECT_EQ(state(), camera_state::last_gate);
    EXPECT_EQ(s16(kPlayfield + camera_record::x_max), 3000);
    set_live(3);
    frame();
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 200) << "3 live enemies are above the end's 2";
    set_live(2);
    frame();
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 204);
    orb_write32(var::system_flags, 1u << 11);
    frames = 0;
    while (state() != 6 && frames++ < 200) frame();
    EXPECT_EQ(s16(kPlayfield + camera_record::x), 600);
    for (int n = 0; n < 90; ++n) frame();
    EXPECT_EQ(state(), camera_state::wait_change);
    orb_write32(var::game_flags, 1u << 11);
    frame();
    EXPECT_EQ(ring().size(), 0u);
    EXPECT_EQ(calls(sub_0810CE /* partner */), static_cast<int>(partner_runs_.size()));
    for (uint32_t run_with : partner_runs_) ASSERT_EQ(run_with, 0x204D80u);
}

}  // namespace
