#pragma once
// The synthetic set's text font: our own 8 x 8 glyphs for the characters the
// synthetic texts print, shared by the ROM builder (which plants them as the
// text layer's character patterns) and by the runs that read texts back out
// of the picture.
#include <array>
#include <cstdint>

namespace synthetic::font {

// The text layer's 384 character patterns that start-up copies from
// rom::text_patterns: 32 bytes each, 4 bits a pixel, eight rows of four bytes.
constexpr int kCharacters = 384;
// Pens of a glyph: its ink, and the shadow one pixel right and down.
constexpr uint8_t kInk = 1;
constexpr uint8_t kShadow = 2;

using rows = std::array<uint8_t, 8>;  // bit 7 the leftmost pixel

// The ink of character `code` (lower case shows the upper-case glyph); all
// zero for a code the font has no glyph for, the space among them.
rows glyph(uint8_t code);
// Character n of the pattern table shows glyph (n & 0xFF): an odd attribute
// byte (character bit 8) prints the same letters.
inline rows character(int n) { return glyph(uint8_t(n & 0xFF)); }
// The pen of pixel (x, y) of character n: ink, shadow or 0.
uint8_t pen(int n, int x, int y);

}  // namespace synthetic::font
