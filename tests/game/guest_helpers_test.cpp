#include <gtest/gtest.h>

#include "board/machine.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

using GuestHelpers = GameRoutineTest;

// TEST1, SET1 and CLR1 on a word in memory: CY = the old bit, Z = its
// opposite, S and OV untouched; only the one bit changes.
TEST_F(GuestHelpers, BitInstructionsOnMemory) {
    const struct {
        const char* name;
        bool (*op)(uint32_t, unsigned);
        uint32_t before;
        unsigned bit;
        uint32_t after;
        bool old_bit;
    } cases[] = {
        {"test, set", guest::test_bit, 0x80000001, 31, 0x80000001, true},
        {"test, clear", guest::test_bit, 0x80000001, 30, 0x80000001, false},
        {"set a clear bit", guest::set_bit, 0x00001000, 4, 0x00001010, false},
        {"set a set bit", guest::set_bit, 0x00001000, 12, 0x00001000, true},
        {"clear a set bit", guest::clear_bit, 0xFFFFFFFF, 0, 0xFFFFFFFE, true},
        {"clear a clear bit", guest::clear_bit, 0x7FFFFFFF, 31, 0x7FFFFFFF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orb_write32(0x208010, c.before);
        cpu.s = cpu.ov = 1;
        EXPECT_EQ(c.op(0x208010, c.bit), c.old_bit);
        EXPECT_EQ(orb_read32(0x208010), c.after);
        EXPECT_EQ(cpu.cy, c.old_bit);
        EXPECT_EQ(cpu.z, !c.old_bit);
        EXPECT_EQ(cpu.s, 1);
        EXPECT_EQ(cpu.ov, 1);
    }
}

// PUSHM leaves the lowest register on top; POPM takes them back.
TEST_F(GuestHelpers, RegisterRangesPushHighestFirst) {
    for (int n = 0; n < 4; ++n) cpu.reg[n] = 0x100 + n;
    guest::push_range(0, 3);
    EXPECT_EQ(r(V60_SP), kMainStack - 16);
    for (uint32_t n = 0; n < 4; ++n) EXPECT_EQ(ram32(kMainStack - 16 + 4 * n), 0x100 + n);
    for (int n = 0; n < 4; ++n) cpu.reg[n] = 0;
    guest::pop_range(0, 3);
    EXPECT_EQ(r(V60_SP), kMainStack);
    for (int n = 0; n < 4; ++n) EXPECT_EQ(r(n), 0x100u + n);
}

TEST_F(GuestHelpers, HalfwordMoveLeavesTheEndsInR27AndR28) {
    for (uint32_t i = 0; i < 3; ++i) orb_write16(0x208100 + 2 * i, static_cast<uint16_t>(0xA0 + i));
    cpu.z = 1;
    guest::move_halfwords(0x208100, 0x208200, 3);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(ram16(0x208200 + 2 * i), 0xA0 + i);
    EXPECT_EQ(r(27), 0x208206u);
    EXPECT_EQ(r(28), 0x208106u);
    EXPECT_EQ(cpu.z, 1) << "no flag changes";
}

}  // namespace
