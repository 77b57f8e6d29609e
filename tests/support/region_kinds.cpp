#include "tests/support/region_kinds.h"

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

}  // namespace

void flip(synthetic::rom_builder& rom, uint32_t index, uint8_t mask) {
  const uint32_t address = program_address(index);
  rom.damage8(address, uint8_t(rom.program8(address) ^ mask));
}

synthetic::rom_builder region(kind k, uint32_t seed) {
  synthetic::rom_builder rom = synthetic::synthetic_set();
  std::mt19937 random(seed);
  switch (k) {
    case zeros:
    case ones:
      for (uint32_t i = 0; i < kProgramBytes; ++i)
        rom.damage8(program_address(i), k == ones ? 0xFF : 0x00);
      break;
    case noise:
      for (uint32_t i = 0; i < kProgramBytes; ++i) rom.damage8(program_address(i), uint8_t(random()));
      break;
    case flipped: {
      // Seed modulo 3 of the flips land in the planted tables (the set's
      // non-zero bytes), where they change what the game reads; the rest
      // anywhere.
      std::vector<uint32_t> planted;
      for (uint32_t i = 0; i < kProgramBytes; ++i)
        if (rom.program8(program_address(i))) planted.push_back(i);
      const int in_tables = planted.empty() ? 0 : int(seed % 3);
      for (int n = 0; n < kFlips; ++n) {
        const uint32_t index = n < in_tables ? planted[random() % planted.size()] : random();
        flip(rom, index, uint8_t(1 + random() % 255));
      }
      break;
    }
  }
  return rom;
}

std::array<synthetic::bytes, rom_member_count> members(kind k, uint32_t seed) {
  return region(k, seed).members();
}

void assemble_program(const synthetic::rom_builder& rom, std::span<uint8_t> region) {
  for (uint32_t a = 0; a < region.size(); ++a) region[a] = rom.program8(a);
}

}  // namespace region_kinds
