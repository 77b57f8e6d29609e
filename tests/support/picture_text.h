#pragma once
// Texts read back out of a picture of the game: each 8 x 8 text cell is
// matched against the synthetic set's font, so a run can check what a
// player sees rather than what lies in the text layer's cells.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace picture_text {

struct picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // three bytes a pixel, row by row
    // The pixel at (x, y) as 0xRRGGBB.
    uint32_t at(int x, int y) const {
        const size_t i = 3 * (size_t(y) * size_t(width) + size_t(x));
        return uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2];
    }
};

// A binary PPM (P6, 255 levels); nothing when the file is not one.
std::optional<picture> read_ppm(const std::filesystem::path& path);
std::optional<picture> parse_ppm(const std::string& bytes);
// Writes `p` as a binary PPM, creating the folder; false when it cannot.
bool write_ppm(const picture& p, const std::filesystem::path& path);

// The characters shown in `length` cells from text cell (row, column) of the
// game's picture, drawn into `p` at `scale` times its size with its top-left
// corner at (left, top). A cell shows a character when the pixels of its
// glyph's ink all have one colour and no other pixel of the cell has it; a
// cell that shows none reads as a space (so does a space). Lower case reads
// as upper case; cells outside the picture read as spaces.
std::string text_at(const picture& p, int row, int column, int length, int scale = 1, int left = 0,
                    int top = 0);

}  // namespace picture_text
