#include <gtest/gtest.h>

#include <vector>

#include "game/operator/tables.h"
#include "tests/game/service_fixture.h"

namespace {

using namespace service_test;

// Line 0 plays 0x81 then 0x05; line 1 plays 0x10; line 2's list is empty.
class SoundPage : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        plant_text_here(rom::sound_test_text,
                        {{0xF520, "FIRST"}, {0xF620, "SECOND"}, {0xF720, "THIRD"}, {0xF820, "EXIT"}});
        const uint8_t lists[3][3] = {{0x81, 0x05, 0}, {0x10, 0, 0}, {0, 0, 0}};
        for (uint32_t line = 0; line < 3; ++line) {
            plant32(rom::sound_lists + 4 * line, 0x09A000 + 16 * line);
            for (uint32_t i = 0; i < 3; ++i) plant8(0x09A000 + 16 * line + i, lists[line][i]);
        }
        for (uint32_t line = 0; line < 3; ++line)
            plant32(rom::sound_test_lines + 4 * line, entry::sub_08B6A0);
        plant32(0x08B69C, entry::sub_08B6DA);
        screen(entry::sub_08B5B7 /* entry */);
        frame();
    }
    static uint8_t line() { return orb_read8(var::service_cursor); }
    // The two cells of a line's position.
    static std::vector<uint16_t> position_cells(uint32_t line) { return cells(0x31F530 + 256 * line, 2); }
};

TEST_F(SoundPage, OpensOnTheLeaveLineWithEveryPositionAtZero) {
    EXPECT_EQ(line(), 3);
    EXPECT_EQ(screen(), entry::sub_08B5F5 /* loop */);
    EXPECT_EQ(orb_read16(0x31F81C), 0x0A7F) << "the loop ran in the same frame";
    EXPECT_EQ(colour(0x31F820), 0x0A);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(position_cells(i), (std::vector<uint16_t>{0x0020, 0x0430}));
    EXPECT_TRUE(ring_a.empty());
}

// What the page shows is its own text list, each line at the cell it names.
TEST_F(SoundPage, DrawsItsTextListOnItsLines) {
    EXPECT_EQ(text_at(0x31F520), "FIRST");
    EXPECT_EQ(text_at(0x31F620), "SECOND");
    EXPECT_EQ(text_at(0x31F720), "THIRD");
    EXPECT_EQ(text_at(0x31F820), "EXIT");
}

TEST_F(SoundPage, CursorWrapsFromTheLeaveLine) {
    std::vector<int> lines;
    for (int i = 0; i < 4; ++i) {
        frame(kPressService);
        lines.push_back(line());
    }
    EXPECT_EQ(lines, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(colour(0x31F820), 0x0A);
    EXPECT_EQ(colour(0x31F520), 0x00);
}

// Every press first silences (code 0 in ring A); codes from 0x80 go to ring A,
// lower ones to ring B as their complement; the list's end plays nothing and
// takes the position back to 0.
TEST_F(SoundPage, PressesPlayTheListInTurnAndStartAgainAfterItsEnd) {
    frame(kPressService);  // line 0
    const struct {
        std::vector<uint8_t> a, b;
        std::vector<uint16_t> shown;
    } presses[] = {
        {{0, 0x81}, {}, {0x0020, 0x0431}},
        {{0}, {0xFA}, {0x0020, 0x0432}},
        {{0}, {}, {0x0020, 0x0430}},
        {{0, 0x81}, {}, {0x0020, 0x0431}},
    };
    for (const auto& p : presses) {
        ring_a.clear();
        ring_b.clear();
        frame(kPressTest);
        EXPECT_EQ(ring_a, p.a);
        EXPECT_EQ(ring_b, p.b);
        EXPECT_EQ(position_cells(0), p.shown);
    }
    frame(kPressService);  // line 1
    ring_a.clear();
    ring_b.clear();
    frame(kPressTest);
    EXPECT_EQ(ring_a, std::vector<uint8_t>{0});
    EXPECT_EQ(ring_b, std::vector<uint8_t>{0xEF});
    EXPECT_EQ(position_cells(1), (std::vector<uint16_t>{0x0020, 0x0431}));
    EXPECT_EQ(position_cells(0), (std::vector<uint16_t>{0x0020, 0x0431})) << "each line keeps its place";
}

TEST_F(SoundPage, LeaveSilencesAndGoesBackToTheMenu) {
    frame(kPressTest);
    EXPECT_EQ(ring_a, (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(screen(), entry::sub_08B04A);
}

}  // namespace
