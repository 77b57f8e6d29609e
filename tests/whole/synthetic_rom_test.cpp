// The synthetic ROM set's builder: what it plants is what the board reads
// after the product's own loader has assembled the members.
#include <gtest/gtest.h>

#include <cstring>

#include "game/engine/tables.h"
#include "tests/support/picture_text.h"
#include "tests/support/romset_fixture.h"
#include "tests/support/synthetic/font.h"
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
        EXPECT_NE(std::string(e.what()).find("mirror of it at 0x000101 overlaps first table"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_THROW(rom.put8(0x140000, 1, "hole"), std::out_of_range);
    EXPECT_THROW(rom.put8(0x1C0000, 1, "hole"), std::out_of_range);
}

TEST(SyntheticRom, TheWholeSetBuildsWithoutOverlaps) { EXPECT_NO_THROW(synthetic::synthetic_set()); }

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

// The font planted as the text layer's characters is the one the runs read
// pictures with: each pattern holds its glyph's ink and shadow pens, with
// character 0 (the empty cell) blank.
TEST(SyntheticFont, PlantedPatternsHoldTheGlyphs) {
    const rom_builder& rom = synthetic::synthetic_set();
    namespace font = synthetic::font;
    auto planted = [&](int n, int x, int y) {
        const uint8_t b = rom.program8(rom::text_patterns + uint32_t(32 * n + 4 * y + x / 2));
        return x % 2 ? b & 15 : b >> 4;
    };
    for (int n : {0, int('A'), int('z'), int('0'), int(':'), 0x100 | 'E', 0x17F})
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(planted(n, x, y), font::pen(n, x, y)) << n << " " << x << "," << y;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(planted(0, x, y), 0);
    EXPECT_EQ(planted('E', 1, 0), font::kInk);
    EXPECT_EQ(planted('E', 2, 1), font::kShadow);
    EXPECT_EQ(planted(0x100 | 'E', 1, 0), font::kInk) << "an odd attribute prints the same letter";
}

// Every glyph drawn into a picture (ink, a shadow of another colour, a third
// colour around them) reads back as itself, scaled or not, so no two glyphs
// can be taken for each other; a glyph in two colours, or one colour
// everywhere, reads as a space.
TEST(SyntheticFont, EveryGlyphReadsBackFromAPicture) {
    namespace font = synthetic::font;
    std::string text;
    for (int c = 0x21; c < 0x7F; ++c)
        if (!(c >= 'a' && c <= 'z') && font::glyph(uint8_t(c)) != font::rows{}) text += char(c);
    ASSERT_GE(text.size(), 36u) << "letters and digits at least";
    for (int scale : {1, 2}) {
        picture_text::picture p;
        p.width = scale * 8 * int(text.size() + 2);
        p.height = scale * 8;
        p.rgb.assign(3 * size_t(p.width) * size_t(p.height), 0x20);
        auto put = [&](int x, int y, uint32_t rgb) {
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx) {
                    const size_t i = 3 * (size_t(scale * y + dy) * size_t(p.width) + size_t(scale * x + dx));
                    p.rgb[i] = uint8_t(rgb >> 16);
                    p.rgb[i + 1] = uint8_t(rgb >> 8);
                    p.rgb[i + 2] = uint8_t(rgb);
                }
        };
        for (size_t k = 0; k < text.size(); ++k)
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const uint8_t pen = font::pen(uint8_t(text[k]), x, y);
                    if (pen) put(int(8 * k) + x, y, pen == font::kInk ? 0xF8F8F8 : 0x080818);
                }
        // Cell n: 'H' with its first row in another colour.
        const int n = int(text.size());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (font::pen('H', x, y) == font::kInk) put(8 * n + x, y, y == 0 ? 0xF80000 : 0xF8F8F8);
        EXPECT_EQ(picture_text::text_at(p, 0, 0, n + 2, scale), text + "  ") << "scale " << scale;
    }
}

}  // namespace
