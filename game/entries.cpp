// The table of translated routines, expanded from the routine list, and the
// bodies of the tests' own entries.
#include <cstddef>

#include "game/routines.h"
#include "runtime/v60.h"

// The tests' own entries exist only in the tests' build, as routines that
// nothing but a stand-in answers: without one, an entry ends the run the way
// a computed call to an address without code does.
#ifdef IRONBELL_GAME_SEAM
bool (*game_seam)(uint32_t address) = nullptr;

namespace {
[[noreturn]] void no_code_at(uint32_t address) {
    v60_fatal("No translated code starts at %06X (frame %llu)\n", address & 0xFFFFFF,
              static_cast<unsigned long long>(cpu.frames));
}
}  // namespace

#define ROUTINE(address, name)
#define TEST_ENTRY(address, name) \
    void name() {                 \
        ROUTINE_ENTRY(address);   \
        no_code_at(address);      \
    }
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
#endif

namespace {

// The game's own rows, without the tests' entries.
constexpr uint32_t kRows[] = {
#define ROUTINE(address, name) address,
#define TEST_ENTRY(address, name)
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
};
constexpr std::size_t kRowCount = sizeof kRows / sizeof kRows[0];

constexpr bool strictly_ascending() {
    for (std::size_t i = 1; i < kRowCount; ++i)
        if (kRows[i - 1] >= kRows[i]) return false;
    return true;
}

static_assert(kRowCount == 742, "the game program has 742 entry points");
static_assert(strictly_ascending(), "the routine list must be strictly ascending");
static_assert(kRows[0] == 0x000000, "the first row is the bottom of ROM");
static_assert(kRows[kRowCount - 1] == 0xFFFFF0, "the last row is the reset entry");
static_assert(game_list::kGameRows == kRowCount, "ROUTINE_ENTRY counts the same rows");

}  // namespace

uint8_t game_entered[kRowCount + 1];

const v60_code_entry v60_code_entries[] = {
#define ROUTINE(address, name) {address, name},
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

uint32_t game_routine_address(uint64_t row) { return kRows[row]; }
