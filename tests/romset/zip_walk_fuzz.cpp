// Walks arbitrary bytes as a zip archive against the tiny member table. The
// archive buffer has exactly the input's size, so any read past it is caught;
// every member the walk accepts must be the table's own.

#include <array>
#include <cstdint>
#include <cstring>

#include "romset/rom_set.h"
#include "tests/support/romset_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const rom_member_table& files = romset_fixture::tiny_table();
    std::array<rom_slot, rom_member_count> slots;
    const char* problem = rom_zip_walk(data, size, files, slots);
    // "not a .zip", or a member known by name found twice.
    if (problem && std::strcmp(problem, "not a .zip") != 0 &&
        !(std::strncmp(problem, "no part", 7) == 0 &&
          std::strstr(problem, " (or not this version of it)") != nullptr))
        __builtin_trap();
    for (size_t i = 0; i < rom_member_count; ++i) {
        if (slots[i] && files[i].crc_known && rom_crc32(slots[i].get(), files[i].size) != files[i].crc)
            __builtin_trap();
    }
    return 0;
}
