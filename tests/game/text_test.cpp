#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kText = 0x070000;  // ROM strings and records
constexpr uint32_t kCells = 0x31F100;
constexpr uint16_t kMarker = 0xEEEE;

class Text : public GameRoutineTest {
protected:
    void plant_bytes(uint32_t at, const std::vector<uint8_t>& bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) plant8(at + static_cast<uint32_t>(i), bytes[i]);
    }
    static std::vector<uint16_t> cells(uint32_t at, int n) {
        std::vector<uint16_t> out;
        for (int i = 0; i < n; ++i) out.push_back(ram16(at + 2 * i));
        return out;
    }
    static void mark(uint32_t at, int n) {
        for (int i = 0; i < n; ++i) orb_write16(at + 2 * i, kMarker);
    }
};

// Cells of a string with one attribute.
std::vector<uint16_t> line(uint8_t attribute, const std::string& s) {
    std::vector<uint16_t> out;
    for (char c : s)
        out.push_back(c == ' ' ? 0 : static_cast<uint16_t>(attribute << 8 | static_cast<uint8_t>(c)));
    return out;
}

TEST_F(Text, PrintersWriteOneCellPerCharacter) {
    const struct {
        const char* name;
        v60_routine routine;
        std::vector<uint8_t> source;
        uint32_t r9;
        uint32_t first_cell;  // where the cells go (R18 for the plain printers)
        std::vector<uint16_t> want;
        uint32_t source_used;  // bytes R19 moves over
    } cases[] = {
        {"string", sub_0889D2, {'A', 'B', 0}, 0x12340500, kCells, line(5, "AB"), 3},
        {"empty string", sub_0889D2, {0, 'X'}, 0x0500, kCells, {}, 1},
        {"attribute in R9's low byte", sub_0889CF, {'O', 'K', 0}, 0x12345606, kCells, line(6, "OK"), 3},
        {"attribute byte first", sub_0889CC, {7, 'G', 'O', 0}, 0xFFFF, kCells, line(7, "GO"), 4},
        {"8-bit text record", sub_0889C2, {0x40, 0xF2, 3, 'H', 'I', 0}, 0, 0x31F240, line(3, "HI"), 6},
        {"16-bit text record",
         sub_088A20,
         {0x40, 0xF3, 0x0A, 0x41, 0x01, 0x42, 0x00, 0, 0},
         0,
         0x31F340,
         {0x0B41, 0x0A42},
         9},
        {"empty 16-bit record", sub_088A20, {0x00, 0xF4, 0x0A, 0, 0}, 0, 0x31F400, {}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        plant_bytes(kText, c.source);
        mark(c.first_cell, 4);
        cpu.reg[19] = kText;
        cpu.reg[18] = kCells;
        cpu.reg[9] = c.r9;
        cpu.z = 0;
        ASSERT_TRUE(run(c.routine));
        const int n = static_cast<int>(c.want.size());
        EXPECT_EQ(cells(c.first_cell, n), c.want);
        EXPECT_EQ(ram16(c.first_cell + 2 * n), kMarker) << "nothing past the text";
        EXPECT_EQ(r(18), c.first_cell + 2 * n) << "R18 past the last cell";
        EXPECT_EQ(r(19), kText + c.source_used) << "R19 past the terminator";
        EXPECT_TRUE(cpu.z) << "Z set after printing";
        TearDown();
    }
}

TEST_F(Text, ErasingStopsAtTheFirstEmptyCellAfterTheFirst) {
    const struct {
        const char* name;
        std::vector<uint16_t> before;
        int erased;
    } cases[] = {
        {"three characters, then an empty cell", {0x0541, 0x0542, 0x0543, 0x0000, 0x0544}, 3},
        {"an empty first cell is erased anyway", {0x0000, 0x0541, 0x0542, 0x0000, 0x0544}, 3},
        {"an attribute alone ends the line", {0x0541, 0x0700, 0x0542, 0x0000, 0x0000}, 1},
    };
    for (const auto& c : cases) {
        for (bool by_pointer : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (by_pointer ? ", by its cell word" : ""));
            SetUp();
            for (std::size_t i = 0; i < c.before.size(); ++i) orb_write16(kCells + 2 * i, c.before[i]);
            if (by_pointer) {
                plant16(kText, kCells & 0xFFFF);
                cpu.reg[19] = kText;
                ASSERT_TRUE(run(sub_088A0B));
            } else {
                cpu.reg[18] = kCells;
                ASSERT_TRUE(run(sub_088A15));
            }
            std::vector<uint16_t> want = c.before;
            for (int i = 0; i < c.erased; ++i) want[i] = 0;
            EXPECT_EQ(cells(kCells, static_cast<int>(want.size())), want);
            EXPECT_EQ(r(18), kCells + 2 * c.erased);
            TearDown();
        }
    }
}

TEST_F(Text, HexadecimalDigitsRightAlignedWithoutLeadingZeros) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t value, digits;
        std::string want;
    } cases[] = {
        {"0x2A, two digits", sub_088A79, 0x2A, 2, "2A"},
        {"0x0A, two digits", sub_088A79, 0x0A, 2, " A"},
        {"a zero inside shows", sub_088A79, 0x100, 3, "100"},
        {"more digits than asked", sub_088A79, 0xABC, 2, "BC"},
        {"eight digits of 0", sub_088A76, 0, 8, "       0"},
        {"eight digits", sub_088A76, 0x1234ABCD, 8, "1234ABCD"},
        {"low byte", sub_088A5A, 0x12345F, 2, "5F"},
        {"low byte below 0x10", sub_088A5A, 0x1204, 2, " 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        mark(kCells - 2, 10);
        cpu.reg[0] = c.value;
        cpu.reg[1] = 0x000209FF;  // the attribute is bits 8-15 only
        cpu.reg[2] = c.digits;
        cpu.reg[11] = kCells;
        ASSERT_TRUE(run(c.routine));
        const int n = static_cast<int>(c.digits);
        EXPECT_EQ(cells(kCells, n), line(9, c.want));
        EXPECT_EQ(ram16(kCells - 2), kMarker);
        EXPECT_EQ(ram16(kCells + 2 * n), kMarker);
        TearDown();
    }
}

TEST_F(Text, PackedDecimal) {
    const struct {
        uint32_t value, bcd;
        uint8_t above;  // R1's low byte when the value has more than 8 digits
        bool more, z;
    } cases[] = {
        {0, 0, 0, false, true},
        {7, 0x7, 0, false, true},
        {12'345'678, 0x12345678, 0, false, true},
        {99'999'999, 0x99999999, 0, false, true},
        {100'000'000, 0x00000000, 0x01, true, true},
        {1'234'567'890, 0x34567890, 0x12, true, false},
        {4'294'967'295, 0x94967295, 0x42, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SetUp();
        cpu.reg[0] = c.value;
        cpu.reg[1] = 0x000600AA;
        ASSERT_TRUE(run(sub_088AC3));
        EXPECT_EQ(r(0), c.bcd);
        EXPECT_EQ(r(1), c.more ? 0x00060000u | c.above : 0x000600AAu) << "attribute bits kept";
        EXPECT_EQ(cpu.z, c.z) << "Z from the last quotient";
        TearDown();
    }
}

TEST_F(Text, ClearingTheTextLayerStopsAtItsEnds) {
    mark(0x31EFFC, 2);
    mark(hw::text_layer, 1920);
    mark(0x31FF00, 2);
    ASSERT_TRUE(run(sub_060942));
    EXPECT_EQ(cells(hw::text_layer, 1920), std::vector<uint16_t>(1920, 0));
    EXPECT_EQ(cells(0x31EFFC, 2), std::vector<uint16_t>(2, kMarker));
    EXPECT_EQ(cells(0x31FF00, 2), std::vector<uint16_t>(2, kMarker));
}

}  // namespace
