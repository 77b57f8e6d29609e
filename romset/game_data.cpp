// Pack file reading and the copy table that completes its regions.

#include "romset/game_data.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "romset/rom_set.h"

namespace {

uint8_t* const regions[4] = {game_program, game_tiles, game_sprites, game_sound};
constexpr uint32_t region_sizes[4] = {game_program_size, game_tiles_size, game_sprites_size, game_sound_size};

struct mirror_entry {
    int region;
    uint32_t source;
    uint32_t length;
    uint32_t destinations[3];  // a 0 ends the list
};

// The repetitions of the program's lower megabyte, its mirrored upper half,
// and the sound region's first bank. The sound region's upper repetitions are
// the pack file's own business.
constexpr mirror_entry mirrors[4] = {
    {0, 0x000000, 0x20000, {0x020000, 0x040000, 0x060000}},
    {0, 0x080000, 0x20000, {0x0A0000, 0x0C0000, 0x0E0000}},
    {0, 0x100000, 0x80000, {0x180000, 0, 0}},
    {3, 0x000000, 0x40000, {0x040000, 0x080000, 0x0C0000}},
};

constexpr bool mirrors_fit() {
    for (const auto& m : mirrors) {
        const uint32_t size = region_sizes[m.region];
        if (m.source > size || m.length > size - m.source) return false;
        for (uint32_t to : m.destinations)
            if (to > size || m.length > size - to) return false;
    }
    return true;
}
static_assert(mirrors_fit());

constexpr uint32_t pack_magic = 0x50415353;  // the bytes "SSAP"
constexpr size_t pack_header_size = 12;
constexpr size_t pack_item_size = 12;

uint32_t read16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t read32(const uint8_t* p) { return read16(p) | read16(p + 2) << 16; }

// Reads the records after the header; result as game_data_load.
int read_records(std::FILE* file) {
    uint8_t header[pack_header_size];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) return 2;
    if (read32(header) != pack_magic || read16(header + 4) != 1) return 2;
    const uint32_t count = read32(header + 8);  // the halfword at 6 is not checked

    for (uint32_t n = 0; n < count; ++n) {
        uint8_t item[pack_item_size];
        if (std::fread(item, 1, sizeof item, file) != sizeof item) return 2;
        const uint8_t kind = item[0];
        const uint8_t region = item[1];
        const uint32_t skip = read16(item + 2);
        const uint32_t offset = read32(item + 4);
        const uint32_t length = read32(item + 8);
        if (region > 3 || offset > region_sizes[region] || length > region_sizes[region] - offset) return 2;
        if (std::fseek(file, long(skip), SEEK_CUR) != 0) return 2;
        uint8_t* to = regions[region] + offset;
        if (kind == 1) {
            const int fill = std::fgetc(file);  // read even when the length is 0
            if (fill == EOF) return 2;
            std::memset(to, fill, length);
        } else if (kind == 0) {
            if (std::fread(to, 1, length, file) != length) return 2;
        } else {
            return 2;
        }
    }
    return 0;
}

}  // namespace

void game_data_mirror() {
    for (const auto& m : mirrors) {
        uint8_t* region = regions[m.region];
        for (uint32_t to : m.destinations) {
            if (to == 0) break;
            std::memcpy(region + to, region + m.source, m.length);
        }
    }
}

int game_data_load(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 1;
    // A directory opens for reading too, but holds nothing to load.
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return 1;
    }
    for (int i = 0; i < 4; ++i) std::memset(regions[i], 0, region_sizes[i]);
    const int result = read_records(file);
    std::fclose(file);
    if (result != 0) return result;
    game_data_mirror();
    return 0;
}
