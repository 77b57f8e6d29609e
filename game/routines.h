// Declarations of every translated routine, expanded from the routine list,
// and what the rest of the project may ask about that list.
#pragma once
#include <cstdint>

#include "runtime/v60.h"

#define ROUTINE(address, name) void name();
#define TEST_ENTRY(address, name) void name();
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY

// Each routine's guest entry address under the routine's own name
// (entry::sub_07B615 is 0x07B615): the one way game code, the tests and the
// synthetic set write a routine's address as data (an object routine, a
// set-up, a script's target).
namespace entry {
#define ROUTINE(address, name) inline constexpr uint32_t name = address;
#define TEST_ENTRY(address, name) inline constexpr uint32_t name = address;
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
}  // namespace entry

// Rows of the game's own routine list.
uint64_t game_routine_count();

// The guest entry address of the game's row `row` (0 to game_routine_count() - 1).
uint32_t game_routine_address(uint64_t row);

// Which routines have run since the start: one byte per row of the game's own
// list (rows as in game_routine_address), set to 1 by ROUTINE_ENTRY as the
// routine is entered and never cleared by the game; the tests' own entries
// share the one byte past the last row.
extern uint8_t game_entered[];

namespace game_list {

struct entry_row {
    uint32_t address;
    bool test;
};
inline constexpr entry_row kEntryRows[] = {
#define ROUTINE(address, name) {address, false},
#define TEST_ENTRY(address, name) {address, true},
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
};

constexpr uint32_t game_rows() {
    uint32_t n = 0;
    for (const entry_row& row : kEntryRows) n += !row.test;
    return n;
}
inline constexpr uint32_t kGameRows = game_rows();

// The game's row of a routine entry address, for ROUTINE_ENTRY: found at
// compile time, so the hook stores to a fixed byte. A tests' entry gives the
// byte past the last row; an address the list does not hold does not compile.
consteval uint32_t entered_row(uint32_t address) {
    uint32_t game_row = 0;
    for (const entry_row& row : kEntryRows) {
        if (row.address == address) return row.test ? kGameRows : game_row;
        game_row += !row.test;
    }
    throw "ROUTINE_ENTRY names an address that starts no row of the routine list";
}

}  // namespace game_list

// The first line of every routine: ROUTINE_ENTRY(0x088B00);
// with the routine's own entry address. In the product it notes where the
// guest is (one store, for the runtime's report of a run that stops making
// progress) and marks the routine entered (one store of a constant to a byte
// fixed at compile time). In the build the game's tests use, a test may also put a
// stand-in in any routine's place: the hook runs it and says so, and the
// routine then returns at once without running its own body.
#ifdef IRONBELL_GAME_SEAM
extern bool (*game_seam)(uint32_t address);
#define ROUTINE_ENTRY(address)                         \
    v60_where = (address);                             \
    game_entered[game_list::entered_row(address)] = 1; \
    if (game_seam && game_seam(address))               \
        return;                                        \
    else                                               \
        (void)0
#else
#define ROUTINE_ENTRY(address) \
    v60_where = (address);     \
    game_entered[game_list::entered_row(address)] = 1
#endif
