#include <gtest/gtest.h>

#include <cstdint>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kRowPatterns = 0x132F66;
constexpr uint32_t kHeader = 0x100000;
constexpr uint32_t kList = 0x100100;

uint32_t pattern(uint32_t b) { return 0x01000193u * (b + 1) ^ b << 24; }

// The playfield camera at 0x208340 with a W = 2, H = 1 map header; stage 4,
// area 2 (entry 16 of the list table). Memory after the map holds a marker.
class Terrain : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        set_header(2, 1);
        orb_write32(var::camera_pointer, var::playfield_camera);
        orb_write32(var::playfield_camera + camera_record::map_header, kHeader);
        orb_write8(var::stage, 4);
        orb_write8(var::area, 2);
        for (uint32_t b = 0; b < 256; ++b) plant32(kRowPatterns + 4 * b, pattern(b));
        for (uint32_t i = 0; i < 64; ++i) plant8(kList + i, static_cast<uint8_t>(i * 37 + 5));
        for (uint32_t a = var::terrain_map; a < var::terrain_map + 0x200; ++a) orb_write8(a, 0xEE);
    }
    void set_header(uint8_t w, uint8_t h) {
        plant8(kHeader, w);
        plant8(kHeader + 1, h);
    }
};

TEST_F(Terrain, ExpansionWritesOnePatternPerListByte) {
    plant32(rom::terrain_lists + 4 * 16, kList);
    ASSERT_TRUE(run(sub_087786));
    for (uint32_t i = 0; i < 32; ++i)
        ASSERT_EQ(ram32(var::terrain_map + 4 * i), pattern(static_cast<uint8_t>(i * 37 + 5)))
            << "pattern " << i;
    EXPECT_EQ(ram8(var::terrain_map + 128), 0xEE) << "16 rows of 2 patterns, 128 bytes";
}

TEST_F(Terrain, AreaWithoutAListWritesNothing) {
    ASSERT_TRUE(run(sub_087786));
    for (uint32_t a = var::terrain_map; a < var::terrain_map + 0x200; ++a) ASSERT_EQ(ram8(a), 0xEE);
}

TEST_F(Terrain, TestReadsTheCellsBit) {
    const struct {
        const char* name;
        uint32_t x, y;
        uint32_t byte, bit;
    } cases[] = {
        {"x 2,880, y 192: cell (45, 3), n 237", 2880, 192, 29, 5},
        {"first cell", 63, 63, 0, 0},
        {"last cell of row 0", 4095, 0, 7, 7},
        {"upper half of R3 and R4 ignored", 0xABCD0040, 0x12340040, 8, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Every bit but the cell's set, then only the cell's.
        for (uint32_t a = var::terrain_map; a < var::terrain_map + 0x200; ++a) orb_write8(a, 0xFF);
        orb_write8(var::terrain_map + c.byte, static_cast<uint8_t>(~(1u << c.bit)));
        cpu.reg[3] = c.x;
        cpu.reg[4] = c.y;
        ASSERT_TRUE(run(sub_0877D1));
        EXPECT_TRUE(cpu.z) << "free";
        EXPECT_EQ(r(8), c.bit);
        EXPECT_EQ(r(9), c.byte);
        orb_write8(var::terrain_map + c.byte, static_cast<uint8_t>(1u << c.bit));
        for (uint32_t a = var::terrain_map; a < var::terrain_map + 0x200; ++a)
            if (a != var::terrain_map + c.byte) orb_write8(a, 0);
        ASSERT_TRUE(run(sub_0877D1));
        EXPECT_FALSE(cpu.z) << "blocked";
    }
}

TEST_F(Terrain, NegativeXIsBlockedWithoutALook) {
    for (uint32_t a = var::terrain_map; a < var::terrain_map + 0x200; ++a) orb_write8(a, 0);
    for (uint32_t x : {0xFFFFu, 0x8000u, 0x0001C000u}) {
        SCOPED_TRACE(x);
        cpu.reg[3] = x;
        cpu.reg[4] = 0;
        cpu.reg[8] = 0x88;
        cpu.reg[9] = 0x99;
        cpu.z = 1;
        ASSERT_TRUE(run(sub_0877D1));
        EXPECT_FALSE(cpu.z);
        EXPECT_EQ(r(8), 0x88u);
        EXPECT_EQ(r(9), 0x99u);
    }
}

TEST_F(Terrain, RowLengthAndMapAddress) {
    for (uint8_t w : {2, 5, 0}) {
        SCOPED_TRACE(static_cast<int>(w));
        set_header(w, 1);
        ASSERT_TRUE(run(sub_08784E));
        EXPECT_EQ(r(9), 32u * w);
        EXPECT_EQ(r(10), var::terrain_map);
    }
}

// A wider map: the row length comes from the header.
TEST_F(Terrain, RowsAreWTimes32CellsLong) {
    set_header(5, 1);
    orb_write8(var::terrain_map + 61, 1 << 2);  // n = 490 = 3 × 160 + 10
    cpu.reg[3] = 10 * 64;
    cpu.reg[4] = 3 * 64;
    ASSERT_TRUE(run(sub_0877D1));
    EXPECT_FALSE(cpu.z);
    EXPECT_EQ(r(9), 61u);
    EXPECT_EQ(r(8), 2u);
}

}  // namespace
