#pragma once
// Program regions no game was written for, to show that none of them crashes
// the host: all zeros, all ones, noise, and the synthetic set with bytes
// flipped. The graphics and sound ROM are the synthetic set's in every kind.
#include <array>
#include <cstdint>
#include <span>

#include "tests/support/synthetic_rom.h"

namespace region_kinds {

enum kind : uint8_t { zeros, ones, noise, flipped };
constexpr int kinds = 4;
// Bytes a flipped region changes at most.
constexpr int kFlips = 64;

// The ROM set whose program region is of this kind; `seed` picks the noise
// and the flipped bytes (the same seed gives the same region).
synthetic::rom_builder region(kind k, uint32_t seed);
// Its member files, for a whole-program run.
std::array<synthetic::bytes, rom_member_count> members(kind k, uint32_t seed);
// The program ROM holds 512 KB of its own (the rest are mirrors and empty
// ranges): `index` (taken modulo that size) picks one of those bytes, whose
// bits `mask` flips.
constexpr uint32_t kProgramBytes = 0x80000;
void flip(synthetic::rom_builder& rom, uint32_t index, uint8_t mask);
// The 2 MB program region as the board sees it after assembly.
constexpr uint32_t kRegionBytes = 0x200000;
void assemble_program(const synthetic::rom_builder& rom, std::span<uint8_t> region);
// The same steps straight on the assembled region (which holds kRegionBytes),
// without a copy of the whole ROM set each time, for a run that makes regions
// by the thousand (the fuzz target): the region of region(k, seed) with
// flip(rom, index, mask) for each of `flips` in turn, as assemble_program
// gives it.
struct flip_at {
    uint32_t index;
    uint8_t mask;
};
void assemble_region(kind k, uint32_t seed, std::span<const flip_at> flips, std::span<uint8_t> region);

}  // namespace region_kinds
