// Synthetic ROM data: what the picture is made of. The text layer's font and
// its colours, the mixer defaults that set the layers' priorities, the video
// register defaults that point the text layer at its map and characters, and
// tile graphics for the tile layers.
//
// The glyphs are drawn here, pixel by pixel, for the characters our texts
// print; nothing of any other font is in them.
#include <cstring>
#include <stdexcept>

#include "tests/support/synthetic/font.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace font {

namespace {

// Seven rows of five pixels each ('#' ink), placed in columns 1-5 and rows
// 0-6 of the 8 x 8 cell so that the shadow fits at the right and below.
struct drawn {
  char code;
  const char* pixels;  // 35 characters, row by row
};

constexpr drawn kGlyphs[] = {
    {'!', "..#.." "..#.." "..#.." "..#.." "..#.." "....." "..#.."},
    {'"', ".#.#." ".#.#." "....." "....." "....." "....." "....."},
    {'#', ".#.#." "#####" ".#.#." ".#.#." ".#.#." "#####" ".#.#."},
    {'%', "##..#" "##.#." "..#.." "..#.." ".#..." ".#.##" "#..##"},
    {'&', ".##.." "#..#." ".##.." ".#..." "#.#.#" "#..#." ".##.#"},
    {'\'', "..#.." "..#.." "....." "....." "....." "....." "....."},
    {'(', "...#." "..#.." ".#..." ".#..." ".#..." "..#.." "...#."},
    {')', ".#..." "..#.." "...#." "...#." "...#." "..#.." ".#..."},
    {'*', "....." ".#.#." "..#.." "#####" "..#.." ".#.#." "....."},
    {'+', "....." "..#.." "..#.." "#####" "..#.." "..#.." "....."},
    {',', "....." "....." "....." "....." ".##.." "..#.." ".#..."},
    {'-', "....." "....." "....." "#####" "....." "....." "....."},
    {'.', "....." "....." "....." "....." "....." ".##.." ".##.."},
    {'/', "....#" "...#." "...#." "..#.." ".#..." ".#..." "#...."},
    {'0', ".###." "#...#" "#..##" "#.#.#" "##..#" "#...#" ".###."},
    {'1', "..#.." ".##.." "..#.." "..#.." "..#.." "..#.." ".###."},
    {'2', ".###." "#...#" "....#" "...#." "..#.." ".#..." "#####"},
    {'3', "#####" "...#." "..#.." "...#." "....#" "#...#" ".###."},
    {'4', "...#." "..##." ".#.#." "#..#." "#####" "...#." "...#."},
    {'5', "#####" "#...." "####." "....#" "....#" "#...#" ".###."},
    {'6', "..##." ".#..." "#...." "####." "#...#" "#...#" ".###."},
    {'7', "#####" "....#" "...#." "..#.." ".#..." ".#..." ".#..."},
    {'8', ".###." "#...#" "#...#" ".###." "#...#" "#...#" ".###."},
    {'9', ".###." "#...#" "#...#" ".####" "....#" "...#." ".##.."},
    {':', "....." ".##.." ".##.." "....." ".##.." ".##.." "....."},
    {';', "....." ".##.." ".##.." "....." ".##.." "..#.." ".#..."},
    {'<', "...#." "..#.." ".#..." "#...." ".#..." "..#.." "...#."},
    {'=', "....." "....." "#####" "....." "#####" "....." "....."},
    {'>', ".#..." "..#.." "...#." "....#" "...#." "..#.." ".#..."},
    {'?', ".###." "#...#" "....#" "...#." "..#.." "....." "..#.."},
    {'@', ".###." "#...#" "....#" ".##.#" "#.#.#" "#.#.#" ".###."},
    {'A', ".###." "#...#" "#...#" "#####" "#...#" "#...#" "#...#"},
    {'B', "####." "#...#" "#...#" "####." "#...#" "#...#" "####."},
    {'C', ".###." "#...#" "#...." "#...." "#...." "#...#" ".###."},
    {'D', "###.." "#..#." "#...#" "#...#" "#...#" "#..#." "###.."},
    {'E', "#####" "#...." "#...." "####." "#...." "#...." "#####"},
    {'F', "#####" "#...." "#...." "####." "#...." "#...." "#...."},
    {'G', ".###." "#...#" "#...." "#.###" "#...#" "#...#" ".####"},
    {'H', "#...#" "#...#" "#...#" "#####" "#...#" "#...#" "#...#"},
    {'I', ".###." "..#.." "..#.." "..#.." "..#.." "..#.." ".###."},
    {'J', "..###" "...#." "...#." "...#." "...#." "#..#." ".##.."},
    {'K', "#...#" "#..#." "#.#.." "##..." "#.#.." "#..#." "#...#"},
    {'L', "#...." "#...." "#...." "#...." "#...." "#...." "#####"},
    {'M', "#...#" "##.##" "#.#.#" "#.#.#" "#...#" "#...#" "#...#"},
    {'N', "#...#" "#...#" "##..#" "#.#.#" "#..##" "#...#" "#...#"},
    {'O', ".###." "#...#" "#...#" "#...#" "#...#" "#...#" ".###."},
    {'P', "####." "#...#" "#...#" "####." "#...." "#...." "#...."},
    {'Q', ".###." "#...#" "#...#" "#...#" "#.#.#" "#..#." ".##.#"},
    {'R', "####." "#...#" "#...#" "####." "#.#.." "#..#." "#...#"},
    {'S', ".####" "#...." "#...." ".###." "....#" "....#" "####."},
    {'T', "#####" "..#.." "..#.." "..#.." "..#.." "..#.." "..#.."},
    {'U', "#...#" "#...#" "#...#" "#...#" "#...#" "#...#" ".###."},
    {'V', "#...#" "#...#" "#...#" "#...#" "#...#" ".#.#." "..#.."},
    {'W', "#...#" "#...#" "#...#" "#.#.#" "#.#.#" "#.#.#" ".#.#."},
    {'X', "#...#" "#...#" ".#.#." "..#.." ".#.#." "#...#" "#...#"},
    {'Y', "#...#" "#...#" ".#.#." "..#.." "..#.." "..#.." "..#.."},
    {'Z', "#####" "....#" "...#." "..#.." ".#..." "#...." "#####"},
    {'[', ".###." ".#..." ".#..." ".#..." ".#..." ".#..." ".###."},
    {']', ".###." "...#." "...#." "...#." "...#." "...#." ".###."},
    {'_', "....." "....." "....." "....." "....." "....." "#####"},
};

}  // namespace

rows glyph(uint8_t code) {
  if (code >= 'a' && code <= 'z') code = uint8_t(code - 'a' + 'A');
  for (const drawn& d : kGlyphs) {
    if (uint8_t(d.code) != code) continue;
    rows r{};
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 5; ++x)
        if (d.pixels[5 * y + x] == '#') r[y] |= uint8_t(0x40 >> x);
    return r;
  }
  return rows{};
}

uint8_t pen(int n, int x, int y) {
  const rows r = character(n);
  auto ink = [&](int px, int py) { return px >= 0 && py >= 0 && (r[py] & (0x80 >> px)) != 0; };
  if (ink(x, y)) return kInk;
  if (ink(x - 1, y - 1)) return kShadow;
  return 0;
}

}  // namespace font

namespace {

// The text layer's character patterns, as start-up copies them into video
// RAM: pixel x of a row in byte x / 2 of the row's four, the even pixel in
// the high nibble.
void plant_font(rom_builder& rom) {
  for (int n = 0; n < font::kCharacters; ++n)
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; x += 2)
        rom.put8(font::kPatterns + uint32_t(32 * n + 4 * y + x / 2),
                 uint8_t(font::pen(n, x, y) << 4 | font::pen(n, x + 1, y)), "text layer character patterns");
}

// Priorities of the mixer's sources, highest in front: the text layer over
// everything, the sprites over the tile layers, the bitmap layer (which
// would show video RAM itself) never shown.
constexpr uint16_t kTextPriority = 6;
constexpr uint16_t kSpritePriority = 4;
constexpr uint16_t kTilePriorities[4] = {3, 2, 1, 1};  // NBG0 to NBG3
// Palette banks (1,024 entries each) of the text layer and the tile layers.
constexpr uint16_t kTextBank = 3;
constexpr uint16_t kTileBank = 2;

// The 40 mixer register defaults start-up copies: sprite groups 0-15, then
// the layers text, NBG0-NBG3 and bitmap (priority in bits 3-0, palette bank
// in bits 7-4), then the backdrop's bank: the text bank, so that with colour
// block 1 the backdrop is colour 0 of palette 224, the entry the service
// pages colour; masks, offsets and blending stay 0.
void plant_mixer_defaults(rom_builder& rom) {
  for (uint32_t n = 0; n < 40; ++n) {
    uint16_t v = 0;
    if (n < 16) v = kSpritePriority;
    if (n == 16) v = uint16_t(kTextBank << 4 | kTextPriority);
    if (n >= 17 && n <= 20) v = uint16_t(kTileBank << 4 | kTilePriorities[n - 17]);
    if (n == 22) v = uint16_t(kTextBank << 4);
    rom.put16(0x060A36 + 2 * n, v, "mixer register defaults");
  }
}

// Of the 71 default video registers (0x31FF02-0x31FF8F from ROM 0x060AAC),
// only two are not 0: the text layer's word, character bank 7 (video RAM
// 0x31C000, where start-up copies the font) and map base 31 (0x31F000, the
// cells the game prints to); and the backdrop's, colour block 1.
void plant_video_defaults(rom_builder& rom) {
  rom.put16(0x060AAC + (0x5C - 0x02), 0x01F7, "default video registers: text character bank and map base");
  rom.put16(0x060AAC + (0x5E - 0x02), 0x0200, "default video registers: backdrop colour block");
}

// Colours of the text layer: one 16-colour palette per colour number (the
// attribute byte's bits 7-1) in the text bank; pen 1 the letters' ink, pen 2
// their shadow, the other pens unused. Loaded at start-up as the first of
// the fixed palettes: a plain block of 256 colours (colour numbers 0-15).
uint16_t rgb(int r, int g, int b) { return uint16_t(r | g << 5 | b << 10); }

void plant_text_palettes(rom_builder& rom) {
  constexpr uint32_t kBlock = 0x08E018;
  static const uint16_t ink[8] = {
      rgb(31, 31, 31),  // 0 white
      rgb(31, 28, 6),   // 1 yellow
      rgb(8, 28, 31),   // 2 cyan
      rgb(10, 31, 10),  // 3 green
      rgb(31, 18, 4),   // 4 orange
      rgb(31, 14, 24),  // 5 pink
      rgb(16, 20, 31),  // 6 light blue
      rgb(31, 8, 8),    // 7 red
  };
  rom.put16(kBlock, uint16_t(kTextBank * 1024 * 2), "fixed palette 0, text colours: palette RAM offset");
  rom.put16(kBlock + 2, 256, "fixed palette 0, text colours: count");
  for (uint32_t c = 0; c < 16; ++c)
    for (uint32_t p = 0; p < 16; ++p) {
      const uint16_t colour = p == font::kShadow ? rgb(1, 1, 3) : ink[c % 8];
      rom.put16(kBlock + 4 + 2 * (16 * c + p), colour, "fixed palette 0, text colours");
    }
}

}  // namespace

void plant_graphics(rom_builder& rom) {
  plant_font(rom);
  plant_mixer_defaults(rom);
  plant_video_defaults(rom);
  plant_text_palettes(rom);
}

}  // namespace synthetic
