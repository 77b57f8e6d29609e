// String moves, searches, bit-string moves and divisions.
#include <gtest/gtest.h>

#include "tests/support/board_fixture.h"

namespace {

class Instructions : public BoardFixture {
protected:
    void bytes(uint32_t a, std::initializer_list<uint8_t> v) {
        for (uint8_t b : v) orb_write8(a++, b);
    }
};

TEST_F(Instructions, StringMoveUpAndDownWithOverlap) {
    bytes(0x201000, {1, 2, 3, 4, 5});
    v60_move_string(0x201000, 4, 0x201001, 4, 1, 0, 0);
    EXPECT_EQ(orb_read32(0x201001), 0x01010101u) << "upward repeats the first byte";
    EXPECT_EQ(cpu.reg[27], 0x201005u);
    EXPECT_EQ(cpu.reg[28], 0x201004u);

    bytes(0x201000, {1, 2, 3, 4, 5});
    v60_move_string(0x201000, 4, 0x201001, 4, 1, 0, 1);
    EXPECT_EQ(orb_read32(0x201001), 0x04030201u) << "downward shifts the bytes";
    EXPECT_EQ(cpu.reg[28], 0x201000u - 1);
    EXPECT_EQ(cpu.reg[27], 0x201001u - 1);

    orb_write16(0x202000, 0x1111);
    orb_write16(0x202002, 0x2222);
    v60_move_string(0x202000, 2, 0x203000, 2, 2, 0, 0);
    EXPECT_EQ(orb_read32(0x203000), 0x22221111u);
    EXPECT_EQ(cpu.reg[27], 0x203004u);
}

TEST_F(Instructions, StringMoveOfNothingAndFill) {
    v60_move_string(0x201000, 0, 0x202000, 0, 1, 0, 0);
    EXPECT_EQ(cpu.reg[27], 0x202000u);
    EXPECT_EQ(cpu.reg[28], 0x201000u);
    bytes(0x201000, {9, 9});
    cpu.reg[26] = 0x1AB;
    v60_move_string(0x201000, 2, 0x202000, 4, 1, 1, 0);
    EXPECT_EQ(orb_read32(0x202000), 0xABAB0909u);
    EXPECT_EQ(cpu.reg[27], 0x202004u);
    cpu.z = 1;
    cpu.cy = 1;
    v60_move_string(0x201000, 1, 0x202000, 1, 1, 0, 0);
    EXPECT_EQ(cpu.z + cpu.cy, 2) << "string moves change no flag";
}

TEST_F(Instructions, Searches) {
    for (int i = 0; i < 8; ++i) orb_write16(0x201000 + 2 * i, uint16_t(0x100 + i));
    v60_search_halfwords(0x201000, 8, 0x103, 1);
    EXPECT_EQ(cpu.reg[27], 3u);
    EXPECT_EQ(cpu.reg[28], 0x201006u);
    v60_search_halfwords(0x201000, 8, 0x999, 1);
    EXPECT_EQ(cpu.reg[27], 8u);
    EXPECT_EQ(cpu.reg[28], 0x201010u);
    v60_search_halfwords(0x201000, 8, 0x100, 0);
    EXPECT_EQ(cpu.reg[27], 1u) << "find the first unequal";
    bytes(0x203000, {7, 7, 7, 8});
    v60_search_bytes(0x203000, 4, 0x107, 0);
    EXPECT_EQ(cpu.reg[27], 3u);
}

TEST_F(Instructions, Divisions) {
    cpu.reg[0] = 100;
    cpu.reg[1] = 0;
    cpu.ov = 1;
    cpu.cy = 1;
    v60_divux(10, 0, 0);
    EXPECT_EQ(cpu.reg[0], 10u);
    EXPECT_EQ(cpu.reg[1], 0u);
    EXPECT_EQ(cpu.z, 0);
    EXPECT_EQ(cpu.ov + cpu.cy, 2) << "OV and CY keep their values";

    cpu.reg[4] = uint32_t(-7);
    cpu.reg[5] = 0xFFFFFFFF;
    v60_divx(2, 4, 0);
    EXPECT_EQ(int32_t(cpu.reg[4]), -3);
    EXPECT_EQ(int32_t(cpu.reg[5]), -1);
    EXPECT_EQ(cpu.s, 1);

    // Memory form: a 64-bit dividend above 32 bits.
    orb_write32(0x201000, 0x00000000);
    orb_write32(0x201004, 0x00000003);
    v60_divux(0x10, -1, 0x201000);
    EXPECT_EQ(orb_read32(0x201000), 0x30000000u);
    EXPECT_EQ(orb_read32(0x201004), 0u);
    orb_write32(0x201000, 5);
    orb_write32(0x201004, 0);
    v60_divx(uint32_t(-5), -1, 0x201000);
    EXPECT_EQ(orb_read32(0x201000), uint32_t(-1));
    EXPECT_EQ(cpu.z, 0);

    // The one signed quotient that does not fit: defined, not a trap.
    cpu.reg[0] = 0;
    cpu.reg[1] = 0x80000000;
    v60_divx(0xFFFFFFFF, 0, 0);
    EXPECT_EQ(cpu.reg[0], 0u);
    EXPECT_EQ(cpu.reg[1], 0u);
    EXPECT_EQ(cpu.z, 1);
}

TEST_F(Instructions, DivisionByZeroEndsTheRun) {
    cpu.frames = 8;
    EXPECT_EXIT(v60_divux(0, 0, 0), ::testing::ExitedWithCode(3), "^V60 division by zero \\(frame 8\\)\n$");
    EXPECT_EXIT(v60_divx(0, -1, 0x201000), ::testing::ExitedWithCode(3), "V60 division by zero");
}

TEST_F(Instructions, BitStringMoves) {
    bytes(0x201000, {0xB5, 0x0F});
    bytes(0x202000, {0x00, 0x00, 0xFF});
    v60_move_bits_up(0x201000, 0, 0x202000, 3, 12);  // 12 bits land at bits 3..14
    EXPECT_EQ(orb_read16(0x202000), uint16_t((0x0FB5 & 0xFFF) << 3));
    EXPECT_EQ(orb_read8(0x202002), 0xFF);
    bytes(0x203000, {0xFF, 0xFF});
    v60_move_bits_down(0x202000, 3, 0x203000, 2, 9);
    EXPECT_EQ(orb_read16(0x203000), uint16_t((0xFFFF & ~(0x1FF << 2)) | (0x1B5 << 2)));
    EXPECT_EQ(cpu.reg[27], 0x203000u) << "the move ends at the lowest offset";
}

}  // namespace
