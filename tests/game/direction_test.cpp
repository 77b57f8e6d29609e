#include <gtest/gtest.h>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "tests/support/game_harness.h"

namespace {

// Tables whose entries differ, so that a wrong octant or ratio shows: the
// arctangent of ratio q is q * 5 + 1 (mod 256), the octant bases are
// 0x1000 apart and every sign differs.
class Direction : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        for (uint32_t q = 0; q <= 256; ++q) plant8(rom::arctangent + q, atan(q));
        for (uint32_t o = 0; o < 8; ++o) {
            plant16(rom::octant_base + 2 * o, base(o));
            plant16(rom::octant_sign + 2 * o, static_cast<uint16_t>(sign(o)));
        }
        plant8(rom::arctangent - 6, 0xEE);  // below the table: read by a ratio of -6
    }
    static uint8_t atan(uint32_t q) { return static_cast<uint8_t>(q * 5 + 1); }
    static uint16_t base(uint32_t octant) { return static_cast<uint16_t>(0x1000 * (octant + 1)); }
    static int16_t sign(uint32_t octant) {
        return static_cast<int16_t>(octant & 1 ? -(octant + 2) : octant + 2);
    }
    static uint16_t expected(uint32_t octant, uint8_t angle) {
        return static_cast<uint16_t>(angle * sign(octant) + base(octant));
    }
};

TEST_F(Direction, FoldsIntoTheOctantAndLooksUpTheRatio) {
    const struct {
        const char* name;
        int x, y, ox, oy;
        uint32_t octant, ratio;
    } cases[] = {
        {"equal points", 5, 5, 5, 5, 0, 0},
        {"along +x", 100, 0, 0, 0, 0, 0},
        {"along +y", 0, 100, 0, 0, 4, 0},
        {"along -x", -100, 7, 0, 7, 1, 0},
        {"along -y", 3, -50, 3, 0, 6, 0},
        {"diagonal: ratio 256", 40, 40, 0, 0, 0, 256},
        {"x negative", -10, 5, 0, 0, 1, 128},
        {"y negative, |x| smaller", 3, -7, 0, 0, 6, 109},
        {"both negative", -7, -3, 0, 0, 3, 109},
        {"both negative, |x| smaller", -3, -7, 0, 0, 7, 109},
        {"x positive, |x| smaller", 1, 3, 0, 0, 4, 85},
        {"ratio truncates to 0", 1000, 1, 0, 0, 0, 0},
        {"origin away from 0", 110, 230, 100, 200, 4, 85},
        {"16-bit wrap of the difference", 0x7FFF, 0, -2, 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The high halves are ignored.
        cpu.reg[0] = 0xABCD0000 | (c.x & 0xFFFF);
        cpu.reg[1] = 0x12340000 | (c.y & 0xFFFF);
        cpu.reg[2] = 0x56780000 | (c.ox & 0xFFFF);
        cpu.reg[3] = 0x9ABC0000 | (c.oy & 0xFFFF);
        ASSERT_TRUE(run(sub_08923F));
        EXPECT_EQ(r(2), c.octant);
        EXPECT_EQ(r(0) & 0xFFFF, expected(c.octant, atan(c.ratio)));
        EXPECT_EQ(r(0) >> 16, 0xABCDu) << "only the low half of R0 changes";
    }
}

TEST_F(Direction, UnfoldedResultSetsTheFlagsOfItsAddition) {
    // Octant 0 with ratio 0: 1 * 2 + 0x1000. Make the base wrap it to 0.
    plant16(rom::octant_base, static_cast<uint16_t>(-2));
    cpu.reg[0] = 10, cpu.reg[1] = 0, cpu.reg[2] = 0, cpu.reg[3] = 0;
    ASSERT_TRUE(run(sub_08923F));
    EXPECT_EQ(r(0) & 0xFFFF, 0u);
    EXPECT_TRUE(cpu.z);
    EXPECT_TRUE(cpu.cy);
}

TEST_F(Direction, MostNegativeComponentDoesNotFold) {
    // dx = -32768 stays negative after the sign fold, so the octant takes
    // bit 2 and the ratio comes out negative: the guest reads below its table.
    cpu.reg[0] = 0x8000, cpu.reg[1] = 10, cpu.reg[2] = 0, cpu.reg[3] = 0;
    ASSERT_TRUE(run(sub_08923F));
    EXPECT_EQ(r(2), 5u);
    // ratio = -32768 * 256 / 10 = -838860: the byte 0x100A00 - 838860.
    const uint8_t angle = orb_read8(rom::arctangent - 838860);
    EXPECT_EQ(r(0) & 0xFFFF, expected(5, angle));
}

TEST_F(Direction, AimsFromTheRunningObjectAtTheTargetsAimPoint) {
    // Aim pair 9 of 16, picked by the low 4 bits of the target's byte +38.
    for (uint32_t i = 0; i < 16; ++i) {
        plant16(rom::aim_offsets + 4 * i, static_cast<uint16_t>(i == 9 ? -20 : 1000));
        plant16(rom::aim_offsets + 4 * i + 2, static_cast<uint16_t>(i == 9 ? 30 : 1000));
    }
    const uint32_t self = 0x207FC0, target = 0x207F80;
    orb_write16(self + object_record::world_x, 100);
    orb_write16(self + object_record::world_y, 50);
    orb_write16(target + object_record::world_x, 60);
    orb_write16(target + object_record::world_y, 40);
    orb_write8(target + 38, 0xF9);
    cpu.reg[20] = self;
    cpu.reg[19] = target;
    ASSERT_TRUE(run(sub_08921C));
    // (60 - 20, 40 + 30) from (100, 50): dx = -60, dy = 20 -> octant 1, 20 * 256 / 60.
    EXPECT_EQ(r(2), 1u);
    EXPECT_EQ(r(0) & 0xFFFF, expected(1, atan(85)));
}

}  // namespace
