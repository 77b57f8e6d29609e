// Synthetic ROM data: what the picture is made of. The text layer's font and
// its colours, the mixer defaults that set the layers' priorities, the video
// register defaults that point the text layer at its map and characters, and
// tile graphics for the tile layers.
//
// The glyphs are drawn here, pixel by pixel, for the characters our texts
// print; nothing of any other font is in them.
#include <cstring>
#include <stdexcept>

#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/font.h"
#include "tests/support/synthetic/stage_graphics.h"
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
    {'!',
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     "....."
     "..#.."},
    {'"',
     ".#.#."
     ".#.#."
     "....."
     "....."
     "....."
     "....."
     "....."},
    {'#',
     ".#.#."
     "#####"
     ".#.#."
     ".#.#."
     ".#.#."
     "#####"
     ".#.#."},
    {'%',
     "##..#"
     "##.#."
     "..#.."
     "..#.."
     ".#..."
     ".#.##"
     "#..##"},
    {'&',
     ".##.."
     "#..#."
     ".##.."
     ".#..."
     "#.#.#"
     "#..#."
     ".##.#"},
    {'\'',
     "..#.."
     "..#.."
     "....."
     "....."
     "....."
     "....."
     "....."},
    {'(',
     "...#."
     "..#.."
     ".#..."
     ".#..."
     ".#..."
     "..#.."
     "...#."},
    {')',
     ".#..."
     "..#.."
     "...#."
     "...#."
     "...#."
     "..#.."
     ".#..."},
    {'*',
     "....."
     ".#.#."
     "..#.."
     "#####"
     "..#.."
     ".#.#."
     "....."},
    {'+',
     "....."
     "..#.."
     "..#.."
     "#####"
     "..#.."
     "..#.."
     "....."},
    {',',
     "....."
     "....."
     "....."
     "....."
     ".##.."
     "..#.."
     ".#..."},
    {'-',
     "....."
     "....."
     "....."
     "#####"
     "....."
     "....."
     "....."},
    {'.',
     "....."
     "....."
     "....."
     "....."
     "....."
     ".##.."
     ".##.."},
    {'/',
     "....#"
     "...#."
     "...#."
     "..#.."
     ".#..."
     ".#..."
     "#...."},
    {'0',
     ".###."
     "#...#"
     "#..##"
     "#.#.#"
     "##..#"
     "#...#"
     ".###."},
    {'1',
     "..#.."
     ".##.."
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     ".###."},
    {'2',
     ".###."
     "#...#"
     "....#"
     "...#."
     "..#.."
     ".#..."
     "#####"},
    {'3',
     "#####"
     "...#."
     "..#.."
     "...#."
     "....#"
     "#...#"
     ".###."},
    {'4',
     "...#."
     "..##."
     ".#.#."
     "#..#."
     "#####"
     "...#."
     "...#."},
    {'5',
     "#####"
     "#...."
     "####."
     "....#"
     "....#"
     "#...#"
     ".###."},
    {'6',
     "..##."
     ".#..."
     "#...."
     "####."
     "#...#"
     "#...#"
     ".###."},
    {'7',
     "#####"
     "....#"
     "...#."
     "..#.."
     ".#..."
     ".#..."
     ".#..."},
    {'8',
     ".###."
     "#...#"
     "#...#"
     ".###."
     "#...#"
     "#...#"
     ".###."},
    {'9',
     ".###."
     "#...#"
     "#...#"
     ".####"
     "....#"
     "...#."
     ".##.."},
    {':',
     "....."
     ".##.."
     ".##.."
     "....."
     ".##.."
     ".##.."
     "....."},
    {';',
     "....."
     ".##.."
     ".##.."
     "....."
     ".##.."
     "..#.."
     ".#..."},
    {'<',
     "...#."
     "..#.."
     ".#..."
     "#...."
     ".#..."
     "..#.."
     "...#."},
    {'=',
     "....."
     "....."
     "#####"
     "....."
     "#####"
     "....."
     "....."},
    {'>',
     ".#..."
     "..#.."
     "...#."
     "....#"
     "...#."
     "..#.."
     ".#..."},
    {'?',
     ".###."
     "#...#"
     "....#"
     "...#."
     "..#.."
     "....."
     "..#.."},
    {'@',
     ".###."
     "#...#"
     "....#"
     ".##.#"
     "#.#.#"
     "#.#.#"
     ".###."},
    {'A',
     ".###."
     "#...#"
     "#...#"
     "#####"
     "#...#"
     "#...#"
     "#...#"},
    {'B',
     "####."
     "#...#"
     "#...#"
     "####."
     "#...#"
     "#...#"
     "####."},
    {'C',
     ".###."
     "#...#"
     "#...."
     "#...."
     "#...."
     "#...#"
     ".###."},
    {'D',
     "###.."
     "#..#."
     "#...#"
     "#...#"
     "#...#"
     "#..#."
     "###.."},
    {'E',
     "#####"
     "#...."
     "#...."
     "####."
     "#...."
     "#...."
     "#####"},
    {'F',
     "#####"
     "#...."
     "#...."
     "####."
     "#...."
     "#...."
     "#...."},
    {'G',
     ".###."
     "#...#"
     "#...."
     "#.###"
     "#...#"
     "#...#"
     ".####"},
    {'H',
     "#...#"
     "#...#"
     "#...#"
     "#####"
     "#...#"
     "#...#"
     "#...#"},
    {'I',
     ".###."
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     ".###."},
    {'J',
     "..###"
     "...#."
     "...#."
     "...#."
     "...#."
     "#..#."
     ".##.."},
    {'K',
     "#...#"
     "#..#."
     "#.#.."
     "##..."
     "#.#.."
     "#..#."
     "#...#"},
    {'L',
     "#...."
     "#...."
     "#...."
     "#...."
     "#...."
     "#...."
     "#####"},
    {'M',
     "#...#"
     "##.##"
     "#.#.#"
     "#.#.#"
     "#...#"
     "#...#"
     "#...#"},
    {'N',
     "#...#"
     "#...#"
     "##..#"
     "#.#.#"
     "#..##"
     "#...#"
     "#...#"},
    {'O',
     ".###."
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     ".###."},
    {'P',
     "####."
     "#...#"
     "#...#"
     "####."
     "#...."
     "#...."
     "#...."},
    {'Q',
     ".###."
     "#...#"
     "#...#"
     "#...#"
     "#.#.#"
     "#..#."
     ".##.#"},
    {'R',
     "####."
     "#...#"
     "#...#"
     "####."
     "#.#.."
     "#..#."
     "#...#"},
    {'S',
     ".####"
     "#...."
     "#...."
     ".###."
     "....#"
     "....#"
     "####."},
    {'T',
     "#####"
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     "..#.."
     "..#.."},
    {'U',
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     ".###."},
    {'V',
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     "#...#"
     ".#.#."
     "..#.."},
    {'W',
     "#...#"
     "#...#"
     "#...#"
     "#.#.#"
     "#.#.#"
     "#.#.#"
     ".#.#."},
    {'X',
     "#...#"
     "#...#"
     ".#.#."
     "..#.."
     ".#.#."
     "#...#"
     "#...#"},
    {'Y',
     "#...#"
     "#...#"
     ".#.#."
     "..#.."
     "..#.."
     "..#.."
     "..#.."},
    {'Z',
     "#####"
     "....#"
     "...#."
     "..#.."
     ".#..."
     "#...."
     "#####"},
    {'[',
     ".###."
     ".#..."
     ".#..."
     ".#..."
     ".#..."
     ".#..."
     ".###."},
    {']',
     ".###."
     "...#."
     "...#."
     "...#."
     "...#."
     "...#."
     ".###."},
    {'_',
     "....."
     "....."
     "....."
     "....."
     "....."
     "....."
     "#####"},
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
                rom.put8(rom::text_patterns + uint32_t(32 * n + 4 * y + x / 2),
                         uint8_t(font::pen(n, x, y) << 4 | font::pen(n, x + 1, y)),
                         "text layer character patterns");
}

// Priorities of the mixer's sources, highest in front: the text layer over
// everything, the sprites over the tile layers, the bitmap layer (which
// would show video RAM itself) never shown.
constexpr uint16_t kTextPriority = 6;
constexpr uint16_t kSpritePriority = 4;
constexpr uint16_t kTilePriorities[4] = {3, 2, 1, 1};  // NBG0 to NBG3
// Palette banks (1,024 entries each) of the text layer and the tile layers.
constexpr uint16_t kTextBank = 3;
constexpr uint16_t kTileBank = 0;

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
        rom.put16(rom::mixer_defaults + 2 * n, v, "mixer register defaults");
    }
}

// Of the 71 default video registers (0x31FF02-0x31FF8F from ROM 0x060AAC),
// only these are not 0: the zooms of NBG0 and NBG1, 1:1 (a zoom of 0 would
// show their maps at a quarter of their size); the text layer's word,
// character bank 7 (video RAM 0x31C000, where start-up copies the font) and
// map base 31 (0x31F000, the cells the game prints to); and the backdrop's,
// colour block 1.
void plant_video_defaults(rom_builder& rom) {
    for (uint32_t word : {0x50u, 0x52u, 0x54u, 0x56u})
        rom.put16(rom::video_defaults + (word - 0x02), 0x0200, "default video registers: NBG0 and NBG1 zoom");
    rom.put16(rom::video_defaults + (0x5C - 0x02), 0x01F7,
              "default video registers: text character bank and map base");
    rom.put16(rom::video_defaults + (0x5E - 0x02), 0x0200, "default video registers: backdrop colour block");
}

// Colours of the text layer: one 16-colour palette per colour number (the
// attribute byte's bits 7-1) in the text bank; pen 1 the letters' ink, pen 2
// their shadow, the other pens unused. Loaded at start-up as the first of
// the fixed palettes: a plain block of 256 colours (colour numbers 0-15).
uint16_t rgb(int r, int g, int b) { return uint16_t(r | g << 5 | b << 10); }

void plant_text_palettes(rom_builder& rom) {
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
    block b(rom, rom::text_palette, rom::text_palette + 4 + 2 * 256, "fixed palette 0, text colours");
    b.words({uint16_t(kTextBank * 1024 * 2)}, "fixed palette 0, text colours: palette RAM offset");
    b.words({256}, "fixed palette 0, text colours: count");
    for (uint32_t c = 0; c < 16; ++c)
        for (uint32_t p = 0; p < 16; ++p) {
            const uint16_t colour = p == font::kShadow ? rgb(1, 1, 3) : ink[c % 8];
            b.words({colour}, "fixed palette 0, text colours");
        }
}

// Stage 1's tiles, 16 x 16 at 4 bits a pixel. A tile's number is also its
// colour number (bits 12-4), so ours sit at 0x1F00 and up, where no text
// cell a screen leaves in video RAM (an attribute byte over a character)
// reaches: wall, skirting and floor, colour numbers 0x1F0-0x1F2.
constexpr uint16_t kWallTile = 0x1F00;
constexpr uint16_t kSkirtingTile = 0x1F10;
constexpr uint16_t kFloorTile = 0x1F20;

// The pen of pixel (x, y) of each tile: pen 1 the dark seams, pens 2 and 3
// the body, pen 4 a highlight.
uint8_t tile_pen(uint16_t tile, int x, int y) {
    switch (tile) {
    case kWallTile:  // upright planks, a seam every 8 pixels, grain dots
        if (x % 8 == 0) return 1;
        return (x * 5 + y * 3) % 11 == 0 ? 3 : 2;
    case kSkirtingTile:  // a board with a dark top edge and a lit one below it
        if (y < 2) return 1;
        if (y == 2) return 4;
        return y > 12 ? 3 : 2;
    default:  // kFloorTile: slabs in a running bond, lit along their tops
        if (y % 8 == 0 || (x + (y / 8) * 8) % 16 == 0) return 1;
        if (y % 8 == 1) return 4;
        return (x + y) % 7 == 0 ? 3 : 2;
    }
}

// Tile row r at byte 8r of the tile; column c in byte {0, 0, 2, 2, 1, 1, 3,
// 3, 4, 4, 6, 6, 5, 5, 7, 7}[c], the even column in the high nibble.
void plant_tiles(rom_builder& rom) {
    static const uint8_t byte_of_column[16] = {0, 0, 2, 2, 1, 1, 3, 3, 4, 4, 6, 6, 5, 5, 7, 7};
    for (uint16_t tile : {kWallTile, kSkirtingTile, kFloorTile})
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; x += 2)
                rom.tile8(uint32_t(tile) * 128 + 8 * uint32_t(y) + byte_of_column[x],
                          uint8_t(tile_pen(tile, x, y) << 4 | tile_pen(tile, x + 1, y)));
}

// Their colours, loaded at start-up as the last of the fixed palettes: a
// plain block over colour numbers 0x1F0-0x1F2 of the tile layers' bank.
void plant_tile_palettes(rom_builder& rom) {
    static const uint16_t pens[3][5] = {
        {0, rgb(3, 4, 7), rgb(7, 9, 13), rgb(9, 11, 16), rgb(11, 13, 18)},    // wall
        {0, rgb(2, 2, 2), rgb(13, 9, 5), rgb(10, 7, 4), rgb(20, 15, 9)},      // skirting
        {0, rgb(5, 4, 3), rgb(15, 12, 9), rgb(17, 14, 10), rgb(21, 18, 13)},  // floor
    };
    block b(rom, rom::tile_palette, rom::tile_palette + 4 + 2 * 48, "fixed palette 2, tile colours");
    b.words({uint16_t((kTileBank * 1024 + kWallTile) * 2)},
            "fixed palette 2, tile colours: palette RAM offset");
    b.words({48}, "fixed palette 2, tile colours: count");
    for (uint32_t c = 0; c < 3; ++c)
        for (uint32_t p = 0; p < 16; ++p)
            b.words({p < 5 ? pens[c][p] : pens[c][2]}, "fixed palette 2, tile colours");
}

// A compressed stream as the decompressor reads it: descriptor words, their
// bits used from bit 0 up, each read as soon as the one before runs out, so
// that it sits in the stream right where that happened.
class stream {
public:
    stream() : out_(2, 0) {}
    void literal(uint8_t v) {
        bit(1);
        out_.push_back(v);
    }
    // A long reference: `count` (3 to 256) bytes from `distance` (1 to 8,192)
    // bytes back, in the form with a count byte.
    void copy(int distance, int count) {
        const int field = 0x2000 - distance;
        bit(0);
        bit(1);
        out_.push_back(uint8_t(field));
        out_.push_back(uint8_t(field >> 8 << 3));
        out_.push_back(uint8_t(count - 1));
    }
    void end() {
        bit(0);
        bit(1);
        for (int i = 0; i < 3; ++i) out_.push_back(0);
    }
    const bytes& data() const { return out_; }

private:
    void bit(int b) {
        if (b) out_[descriptor_ + used_ / 8] |= uint8_t(1 << (used_ % 8));
        if (++used_ == 16) {
            descriptor_ = out_.size();
            out_.push_back(0);
            out_.push_back(0);
            used_ = 0;
        }
    }
    bytes out_;
    size_t descriptor_ = 0;
    int used_ = 0;
};

// Stage 1's map pages 0 and 1 (32 x 16 tiles each): wall in rows 0-7, the
// skirting in row 8, floor below, where the players walk (from 150 pixels
// down). Each row of tile entries is written once and repeated by a
// reference to the row above while the rows are the same.
void plant_stage_pages(rom_builder& rom) {
    using namespace stage_graphics;
    stream s;
    auto tile_row = [](int row) { return row < 8 ? kWallTile : row == 8 ? kSkirtingTile : kFloorTile; };
    for (int row = 0; row < 16; ++row) {
        if (row > 0 && tile_row(row) == tile_row(row - 1)) {
            s.copy(64, 64);
            continue;
        }
        for (int col = 0; col < 32; ++col) {
            s.literal(uint8_t(tile_row(row)));
            s.literal(uint8_t(tile_row(row) >> 8));
        }
    }
    s.end();
    const uint32_t at = kJobList + 12;
    rom.put_bytes(at, s.data(), "stage 1 pages: compressed tile map");
    for (uint16_t page = 0; page < 2; ++page) {
        rom.put16(kJobList + 4 * page, uint16_t(at - rom::graphics_source),
                  "stage 1 pages: job list, stream offset");
        rom.put16(kJobList + 4 * page + 2, page, "stage 1 pages: job list, 1 KB block");
    }
    rom.put16(kJobList + 8, 0xFFFF, "stage 1 pages: job list end");
}

// The tile layers' priorities of stage 1's areas 1-5, which the area set-up
// puts into the mixer (the default's, NBG0 in front).
void plant_area_priorities(rom_builder& rom) {
    for (uint32_t area = 0; area < 5; ++area)
        for (uint32_t k = 0; k < 4; ++k)
            rom.put8(rom::area_mixer_nibbles + 4 * area + k, uint8_t(kTilePriorities[k]),
                     "tile layer priorities: stage 1, by area");
}

}  // namespace

void plant_graphics(rom_builder& rom) {
    plant_font(rom);
    plant_mixer_defaults(rom);
    plant_video_defaults(rom);
    plant_text_palettes(rom);
    plant_tiles(rom);
    plant_tile_palettes(rom);
    plant_stage_pages(rom);
    plant_area_priorities(rom);
}

}  // namespace synthetic
