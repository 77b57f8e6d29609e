#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "game/routines.h"
#include "runtime/v60.h"
#include "tests/support/game_harness.h"

namespace {

// The tests' build of the table: the game's 742 rows and the eight test
// entries just below the reset row (the product's table is checked when it
// compiles).
TEST(RoutineTable, IsCompleteAndStrictlyAscending) {
    ASSERT_EQ(game_routine_count(), 742u);
    ASSERT_EQ(v60_code_entry_count, 742u + 8);
    EXPECT_EQ(v60_code_entries[0].address, 0x000000u);
    EXPECT_EQ(v60_code_entries[v60_code_entry_count - 1].address, 0xFFFFF0u);
    for (uint64_t i = 0; i < 8; ++i)
        EXPECT_EQ(v60_code_entries[v60_code_entry_count - 9 + i].address, 0xFE0000 + i);
    for (uint64_t i = 1; i < v60_code_entry_count; ++i)
        EXPECT_LT(v60_code_entries[i - 1].address, v60_code_entries[i].address) << "row " << i;
    for (uint64_t i = 0; i < v60_code_entry_count; ++i)
        EXPECT_NE(v60_code_entries[i].function, nullptr) << "row " << i;
}

TEST(RoutineTable, HandlerRowsSitAtTheirVectors) {
    const struct {
        uint32_t address;
        v60_routine routine;
    } rows[] = {
        {0x09F500, int_vblank_start}, {0x09F610, int_vblank_end},
        {0x09F61C, int_sound},        {0x09F628, int_timer0},
        {0x09F640, int_timer1},       {0x09F6BC, int_default},
        {0x09F6C8, int_nmi},          {0x09F6D1, sub_09F6D1},
        {0x09F6E2, sub_09F6E2},       {0xFFFFF0, reset},
    };
    for (const auto& row : rows) {
        const v60_code_entry* entry = v60_lookup(row.address);
        ASSERT_NE(entry, nullptr) << std::hex << row.address;
        EXPECT_EQ(entry->function, row.routine) << std::hex << row.address;
    }
    EXPECT_EQ(v60_lookup(0x09F500) + 9 + 8, v60_lookup(0xFFFFF0)) << "the last ten game rows";
}

// Each routine marks its own row entered, and only that row: a routine whose
// entry hook named another routine's address would be counted as that one.
// The stand-in answers every routine, so no body runs.
TEST(RoutineTable, EachRoutineMarksItsOwnRowAsItIsEntered) {
    bool (*const saved)(uint32_t) = game_seam;
    game_seam = [](uint32_t) { return true; };
    const uint64_t rows = game_routine_count();
    std::string wrong;
    uint64_t row = 0;
    for (uint64_t i = 0; i < v60_code_entry_count; ++i) {
        const uint32_t address = v60_code_entries[i].address;
        const bool test_entry = address >= 0xFE0000 && address <= 0xFE0007;
        std::fill(game_entered, game_entered + rows + 1, 0);
        v60_code_entries[i].function();
        const uint64_t own = test_entry ? rows : row;
        uint64_t marked = 0;
        for (uint64_t k = 0; k <= rows; ++k) marked += game_entered[k];
        if (game_entered[own] != 1 || marked != 1 || (!test_entry && game_routine_address(row) != address)) {
            char line[64];
            std::snprintf(line, sizeof line, " %06X", address);
            wrong += line;
        }
        row += !test_entry;
    }
    game_seam = saved;
    std::fill(game_entered, game_entered + rows + 1, 0);
    EXPECT_EQ(row, rows);
    EXPECT_EQ(wrong, "") << "routines that mark another row:" << wrong;
}

}  // namespace
