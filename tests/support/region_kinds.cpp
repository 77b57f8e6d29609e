#include "tests/support/region_kinds.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace region_kinds {

namespace {

// Index 0-0x7FFFF to the guest address of a byte no other index reaches:
// the first 128 KB of each of the two mirrored halves, then the interleaved
// 256 KB from 0x100000.
uint32_t program_address(uint32_t index) {
    index %= kProgramBytes;
    if (index < 0x20000) return index;
    if (index < 0x40000) return 0x080000 + (index - 0x20000);
    return 0x100000 + (index - 0x40000);
}

// The assembled region shows each byte an index picks at one address and its
// mirrors: each of the two 128 KB ROMs repeats four times in its 512 KB, the
// interleaved pair twice in its 1 MB (0x100000 and 0x180000). Copies the
// bytes at the indices' own addresses to every mirror.
void mirror(std::span<uint8_t> region) {
    for (uint32_t half : {0x000000u, 0x080000u})
        for (uint32_t copy = 1; copy < 4; ++copy)
            std::copy_n(region.begin() + half, 0x20000, region.begin() + half + copy * 0x20000);
    std::copy_n(region.begin() + 0x100000, 0x40000, region.begin() + 0x180000);
}

// The synthetic set's non-zero program bytes (its planted tables), by index.
const std::vector<uint32_t>& planted() {
    static const std::vector<uint32_t> indices = [] {
        std::vector<uint32_t> found;
        const synthetic::rom_builder& rom = synthetic::synthetic_set();
        for (uint32_t i = 0; i < kProgramBytes; ++i)
            if (rom.program8(program_address(i))) found.push_back(i);
        return found;
    }();
    return indices;
}

// What makes a kind out of the synthetic set, on any form of the program:
// `get(index)` reads the byte an index picks, `put(index, value)` writes it.
template <typename Get, typename Put>
void make(kind k, uint32_t seed, Get get, Put put) {
    std::mt19937 random(seed);
    switch (k) {
    case zeros:
    case ones:
        for (uint32_t i = 0; i < kProgramBytes; ++i) put(i, k == ones ? 0xFF : 0x00);
        break;
    case noise:
        for (uint32_t i = 0; i < kProgramBytes; ++i) put(i, uint8_t(random()));
        break;
    case flipped:
        {
            // Seed modulo 3 of the flips land in the planted tables (the set's
            // non-zero bytes), where they change what the game reads; the rest
            // anywhere.
            const std::vector<uint32_t>& tables = planted();
            const int in_tables = tables.empty() ? 0 : int(seed % 3);
            for (int n = 0; n < kFlips; ++n) {
                const uint32_t index = n < in_tables ? tables[random() % tables.size()] : random();
                const uint8_t mask = uint8_t(1 + random() % 255);
                put(index, uint8_t(get(index) ^ mask));
            }
            break;
        }
    }
}

}  // namespace

void flip(synthetic::rom_builder& rom, uint32_t index, uint8_t mask) {
    const uint32_t address = program_address(index);
    rom.damage8(address, uint8_t(rom.program8(address) ^ mask));
}

synthetic::rom_builder region(kind k, uint32_t seed) {
    synthetic::rom_builder rom = synthetic::synthetic_set();
    make(
        k, seed, [&](uint32_t i) { return rom.program8(program_address(i)); },
        [&](uint32_t i, uint8_t value) { rom.damage8(program_address(i), value); });
    return rom;
}

std::array<synthetic::bytes, rom_member_count> members(kind k, uint32_t seed) {
    return region(k, seed).members();
}

void assemble_program(const synthetic::rom_builder& rom, std::span<uint8_t> region) {
    for (uint32_t a = 0; a < region.size(); ++a) region[a] = rom.program8(a);
}

void assemble_region(kind k, uint32_t seed, std::span<const flip_at> flips, std::span<uint8_t> region) {
    if (region.size() != kRegionBytes) {
        std::fprintf(stderr, "region_kinds: a program region holds %u bytes, not %zu\n", kRegionBytes,
                     region.size());
        std::abort();
    }
    const auto put = [&](uint32_t i, uint8_t value) { region[program_address(i)] = value; };
    const auto get = [&](uint32_t i) { return region[program_address(i)]; };
    // The synthetic set, and the two kinds no seed changes, are made once.
    static const std::vector<uint8_t> set = [] {
        std::vector<uint8_t> assembled(kRegionBytes);
        assemble_program(synthetic::synthetic_set(), assembled);
        return assembled;
    }();
    static std::vector<uint8_t> made[2];
    const bool fixed = k == zeros || k == ones;
    if (fixed && !made[k].empty()) {
        std::copy(made[k].begin(), made[k].end(), region.begin());
    } else {
        std::copy(set.begin(), set.end(), region.begin());
        make(k, seed, get, put);
        if (fixed) made[k].assign(region.begin(), region.end());
    }
    for (const flip_at& f : flips) put(f.index, uint8_t(get(f.index) ^ f.mask));
    mirror(region);
}

}  // namespace region_kinds
