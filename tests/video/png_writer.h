// A minimal PNG writer for looking at pictures of failed tests: RGB, 8 bits a
// channel, zlib stream of stored (uncompressed) deflate blocks.
#pragma once
#include <cstdint>
#include <string>

// Writes `height` rows of `width` pixels (R << 19 | G << 11 | B << 3, `pitch`
// pixels a row) to `path`. Returns false when the file cannot be written.
bool write_png(const std::string& path, const uint32_t* pixels, int width, int height, int pitch);
