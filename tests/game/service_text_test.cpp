#include <gtest/gtest.h>

#include <vector>

#include "tests/game/service_fixture.h"

namespace {

using namespace service_test;

using ServiceText = ServiceTest;

// Colour bytes set the attribute to their complement; it carries from entry
// to entry and out of the call.
TEST_F(ServiceText, ListColourBytesSetTheAttributeThatCarriesOn) {
    cpu.reg[10] = plant_text({{0xF000,
                               "A\xFF"
                               "B\xFD"
                               "C\x80"
                               "D"},
                              {0xF080, "E"}});
    cpu.reg[0] = 0x12340500;
    ASSERT_TRUE(run(sub_08C494));
    EXPECT_EQ(cells(hw::text_layer, 5), (std::vector<uint16_t>{0x0541, 0x0042, 0x0243, 0x7F44, 0}));
    EXPECT_EQ(cells(0x31F080, 2), (std::vector<uint16_t>{0x7F45, 0}));
    EXPECT_EQ(r(0) & 0xFF00, 0x7F00u) << "the attribute comes out in R0";
    EXPECT_EQ(r(0) >> 16, 0x1234u);
}

TEST_F(ServiceText, RelativeListAddsR12) {
    cpu.reg[10] = plant_text({{0x0010, "XY"}, {0x0084, "Z"}});
    cpu.reg[12] = 0xABCDF100;
    cpu.reg[0] = 0x0300;
    ASSERT_TRUE(run(sub_08C4B7));
    EXPECT_EQ(cells(0x31F110, 3), (std::vector<uint16_t>{0x0358, 0x0359, 0}));
    EXPECT_EQ(cells(0x31F184, 2), (std::vector<uint16_t>{0x035A, 0}));
}

TEST_F(ServiceText, DecimalEndsLeftOfR10) {
    const struct {
        uint32_t value;
        std::vector<uint16_t> digits;
    } cases[] = {
        {0, {0x0430}},
        {7, {0x0437}},
        {10, {0x0431, 0x0430}},
        {1234567, {0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437}},
        {4294967295u, {0x0434, 0x0432, 0x0439, 0x0434, 0x0439, 0x0436, 0x0437, 0x0432, 0x0439, 0x0435}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        for (uint32_t a = 0x31F200; a < 0x31F240; a += 2) orb_write16(a, 0xEEEE);
        const int n = static_cast<int>(c.digits.size());
        cpu.reg[0] = c.value;
        cpu.reg[10] = 0x31F23C;
        ASSERT_TRUE(run(sub_08C4EE));
        EXPECT_EQ(cells(0x31F23C - 2 * n, n), c.digits);
        EXPECT_EQ(orb_read16(0x31F23A - 2 * n), 0xEEEE) << "nothing before the first digit";
        EXPECT_EQ(orb_read16(0x31F23C), 0xEEEE);
        EXPECT_EQ(r(10), 0x31F23Cu - 2 * n) << "R10 on the first digit";
    }
}

TEST_F(ServiceText, PluralMarkOnlyAboveOne) {
    const struct {
        uint32_t value;
        int32_t offset;
        uint16_t mark;
    } cases[] = {
        {0, 5, 0x0400}, {1, 5, 0x0400}, {2, 5, 0x0453}, {9, 7, 0x0453}, {1, -6, 0x0400}, {2, -6, 0x0453},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " at " << c.offset);
        const uint32_t at = 0x31F340 + 2 * c.offset;
        orb_write16(at, 0xEEEE);
        cpu.reg[0] = c.value;
        cpu.reg[1] = 0x1204;
        cpu.reg[2] = static_cast<uint32_t>(c.offset);
        cpu.reg[10] = 0x31F340;
        ASSERT_TRUE(run(sub_08C4DE));
        // With the mark to the left (-6) it sits apart from the digit at -2.
        EXPECT_EQ(orb_read16(at), c.mark);
        EXPECT_EQ(orb_read16(0x31F33E), 0x0430 + c.value);
    }
}

TEST_F(ServiceText, RecolourStopsAtTheEmptyCellAndClearsItsColour) {
    const std::vector<uint16_t> before = {0x0241, 0x7E42, 0x0043, 0x0A00, 0x0544};
    for (size_t i = 0; i < before.size(); ++i)
        orb_write16(0x31F400 + 2 * static_cast<uint32_t>(i), before[i]);
    cpu.reg[0] = 0xFF0E;
    cpu.reg[10] = 0x31F400;
    ASSERT_TRUE(run(sub_08C50C));
    EXPECT_EQ(cells(0x31F400, 5), (std::vector<uint16_t>{0x0E41, 0x0E42, 0x0E43, 0x0000, 0x0544}));

    for (size_t i = 0; i < before.size(); ++i)
        orb_write16(0x31F400 + 2 * static_cast<uint32_t>(i), before[i]);
    cpu.reg[10] = 0x31F400;
    ASSERT_TRUE(run(sub_08C501));
    EXPECT_EQ(cells(0x31F400, 5), (std::vector<uint16_t>{0x0041, 0x0042, 0x0043, 0x0000, 0x0544}));
}

TEST_F(ServiceText, MarkAndUnmarkTheCurrentLine) {
    for (uint32_t i = 0; i < 3; ++i) orb_write16(0x31F604 + 2 * i, static_cast<uint16_t>(0x0061 + i));
    orb_write8(var::service_blink_timer, 7);
    cpu.reg[10] = 0x31F600;
    ASSERT_TRUE(run(sub_08C451));
    EXPECT_EQ(ram32(var::service_blink_cell), 0x31F600u);
    EXPECT_EQ(ram8(var::service_blink_timer), 0);
    EXPECT_EQ(cells(0x31F604, 3), (std::vector<uint16_t>{0x0A61, 0x0A62, 0x0A63}));

    orb_write16(0x31F600, 0x0A7F);
    ASSERT_TRUE(run(sub_08C482));
    EXPECT_EQ(orb_read16(0x31F600), 0);
    EXPECT_EQ(cells(0x31F604, 3), (std::vector<uint16_t>{0x0061, 0x0062, 0x0063}));
    cpu.reg[0] = 0x0E;
    ASSERT_TRUE(run(sub_08C485));
    EXPECT_EQ(cells(0x31F604, 3), (std::vector<uint16_t>{0x0E61, 0x0E62, 0x0E63}));
}

}  // namespace
