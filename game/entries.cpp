// The table of translated routines, and the bodies of the routines that are not
// written yet, both expanded from the routine list.
#include <cstddef>

#include "game/routines.h"
#include "runtime/v60.h"

bool (*game_stand_in)(uint32_t address) = nullptr;

void game_unwritten(uint32_t address) {
    if (game_stand_in && game_stand_in(address)) return;
    v60_fatal("No translated code starts at %06X (frame %llu)\n", address & 0xFFFFFF,
              static_cast<unsigned long long>(cpu.frames));
}

#define ROUTINE_yes(address, name)
#define ROUTINE_no(address, name) \
    void name() { game_unwritten(address); }
#define ROUTINE(address, name, written) ROUTINE_##written(address, name)
#include "game/routines.def"
#undef ROUTINE

namespace {

struct row_info {
    uint32_t address;
    bool written;
};

constexpr bool yes = true;
constexpr bool no = false;

constexpr row_info kRows[] = {
#define ROUTINE(address, name, written) {address, written},
#include "game/routines.def"
#undef ROUTINE
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

}  // namespace

const v60_code_entry v60_code_entries[] = {
#define ROUTINE(address, name, written) {address, name},
#include "game/routines.def"
#undef ROUTINE
};
const uint64_t v60_code_entry_count = kRowCount;

uint64_t game_routine_count() { return kRowCount; }
uint64_t game_unwritten_count() { return count_unwritten(); }

bool game_routine_written(uint32_t address) {
    const v60_code_entry* row = v60_lookup(address);
    return row && kRows[row - v60_code_entries].written;
}
