// The table of translated routines, and the bodies of the routines that are not
// written yet, both expanded from the routine list.
#include <cstddef>

#include "game/routines.h"
#include "runtime/v60.h"

#ifdef IRONBELL_GAME_SEAM
bool (*game_seam)(uint32_t address) = nullptr;
#endif

void game_unwritten(uint32_t address) {
    v60_fatal("No translated code starts at %06X (frame %llu)\n", address & 0xFFFFFF,
              static_cast<unsigned long long>(cpu.frames));
}

#define ROUTINE_yes(address, name)
#define ROUTINE_no(address, name) \
    void name() {                  \
        ROUTINE_ENTRY(address);    \
        game_unwritten(address);   \
    }
#define ROUTINE(address, name, written) ROUTINE_##written(address, name)
// The tests' own entries exist only in the tests' build, as routines that
// nothing but a stand-in answers.
#ifdef IRONBELL_GAME_SEAM
#define TEST_ENTRY(address, name) ROUTINE_no(address, name)
#else
#define TEST_ENTRY(address, name)
#endif
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY

namespace {

struct row_info {
    uint32_t address;
    bool written;
};

constexpr bool yes = true;
constexpr bool no = false;

// The game's own rows, without the tests' entries.
constexpr row_info kRows[] = {
#define ROUTINE(address, name, written) {address, written},
#define TEST_ENTRY(address, name)
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
};
constexpr std::size_t kRowCount = sizeof kRows / sizeof kRows[0];

constexpr bool strictly_ascending() {
    for (std::size_t i = 1; i < kRowCount; ++i)
        if (kRows[i - 1].address >= kRows[i].address) return false;
    return true;
}

constexpr uint64_t count_unwritten() {
    uint64_t n = 0;
    for (const row_info& row : kRows) n += !row.written;
    return n;
}

static_assert(kRowCount == 742, "the game program has 742 entry points");
static_assert(strictly_ascending(), "the routine list must be strictly ascending");
static_assert(kRows[0].address == 0x000000, "the first row is the bottom of ROM");
static_assert(kRows[kRowCount - 1].address == 0xFFFFF0, "the last row is the reset entry");
static_assert(game_list::kGameRows == kRowCount, "ROUTINE_ENTRY counts the same rows");

}  // namespace

uint8_t game_entered[kRowCount + 1];

const v60_code_entry v60_code_entries[] = {
#define ROUTINE(address, name, written) {address, name},
#ifdef IRONBELL_GAME_SEAM
#define TEST_ENTRY(address, name) {address, name},
#else
#define TEST_ENTRY(address, name)
#endif
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
};
const uint64_t v60_code_entry_count = sizeof v60_code_entries / sizeof v60_code_entries[0];

uint64_t game_routine_count() { return kRowCount; }
uint64_t game_unwritten_count() { return count_unwritten(); }

uint32_t game_routine_address(uint64_t row) { return kRows[row].address; }

bool game_routine_written(uint32_t address) {
    for (const row_info& row : kRows)
        if (row.address == (address & 0xFFFFFF)) return row.written;
    return false;
}
