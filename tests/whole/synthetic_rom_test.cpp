// The synthetic ROM set's builder: what it plants is what the board reads
// after the product's own loader has assembled the members.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/romset_fixture.h"
#include "tests/support/synthetic_rom.h"

namespace {

using synthetic::rom_builder;

TEST(SyntheticRom, PlantedBytesReadBackThroughTheProductsLoader) {
  rom_builder rom;
  rom.put32(0x060098, 0x12345678, "low mirror");
  rom.put16(0x09F100, 0xBEEF, "part02");
  rom.put8(0x100001, 0xA5, "odd interleave");
  rom.put8(0x100002, 0x5A, "even interleave");
  rom.put_text(0x120000, "HI", "text");
  rom.tile8(5, 0x11);
  rom.sprite8(9, 0x22);
  rom.sound8(0x100003, 0x33);
  romset_fixture::temp_dir dir;
  rom.write_folder(dir / "set");
  ASSERT_EQ(game_rom_set_load((dir / "set").c_str(), game_rom_members), nullptr);
  for (uint32_t a : {0x000098u, 0x020098u, 0x040098u, 0x060098u})
    EXPECT_EQ(std::memcmp(game_program + a, "\x78\x56\x34\x12", 4), 0) << std::hex << a;
  EXPECT_EQ(game_program[0x0DF100], 0xEF);
  for (uint32_t base : {0x100000u, 0x180000u}) {
    EXPECT_EQ(game_program[base + 1], 0xA5);
    EXPECT_EQ(game_program[base + 2], 0x5A);
    EXPECT_EQ(std::memcmp(game_program + base + 0x20000, "HI\0", 3), 0);
  }
  EXPECT_EQ(game_tiles[5], 0x11);
  EXPECT_EQ(game_sprites[9], 0x22);
  EXPECT_EQ(game_sound[0x100003], 0x33);
  EXPECT_EQ(game_sound[0x180003], 0x33);
  for (uint32_t a = 0; a < game_program_size; a += 0x1357)
    ASSERT_EQ(game_program[a], rom.program8(a)) << std::hex << a;
}

TEST(SyntheticRom, TablesThatClaimOneByteAreRefusedWithBothNames) {
  rom_builder rom;
  rom.put16(0x060100, 0x0102, "first table");
  rom.put8(0x060100, 0x02, "same value is fine");
  try {
    rom.put8(0x000101, 0x07, "mirror of it");
    FAIL() << "an overlap through the mirror was accepted";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("mirror of it at 0x000101 overlaps first table"), std::string::npos) << e.what();
  }
  EXPECT_THROW(rom.put8(0x140000, 1, "hole"), std::out_of_range);
  EXPECT_THROW(rom.put8(0x1C0000, 1, "hole"), std::out_of_range);
}

TEST(SyntheticRom, TheWholeSetBuildsWithoutOverlaps) {
  EXPECT_NO_THROW(synthetic::synthetic_set());
}

// The signature step on halfwords worked by hand: 1 ^ 3 = 2 -> 1; 1 ^ 0 = 1
// -> 0 ^ 0x8810; and a planted set carries the words of its own ROM.
TEST(SyntheticRom, SignatureWordsCoverWhatIsPlanted) {
  const uint16_t two[] = {3, 0};
  EXPECT_EQ(synthetic::rom_signature(two), 0x8810);
  EXPECT_EQ(synthetic::rom_signature({}), 1);
  rom_builder rom;
  rom.put8(0x060010, 0x42, "a byte");
  synthetic::plant_signatures(rom);
  std::vector<uint16_t> program(0x10000);
  for (uint32_t i = 0; i < program.size(); ++i) program[i] = rom.program16(0x060000 + 2 * i);
  EXPECT_EQ(rom.program16(0x09FFF8), synthetic::rom_signature(program));
  EXPECT_NE(rom.program16(0x09FFF8), rom.program16(0x09FFFA));
  EXPECT_EQ(rom.program16(0x09FFFC), rom.program16(0x09FFFE)) << "both empty data lanes";
}

}  // namespace
