#include "tests/support/picture_text.h"

#include <fstream>
#include <sstream>

#include "tests/support/synthetic/font.h"

namespace picture_text {

std::optional<picture> parse_ppm(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int w = 0, h = 0, levels = 0;
    if (!(in >> magic >> w >> h >> levels) || magic != "P6" || levels != 255 || w <= 0 || h <= 0)
        return std::nullopt;
    in.get();  // the one whitespace byte after the header
    picture p;
    p.width = w;
    p.height = h;
    p.rgb.resize(3 * size_t(w) * size_t(h));
    if (!in.read(reinterpret_cast<char*>(p.rgb.data()), std::streamsize(p.rgb.size()))) return std::nullopt;
    return p;
}

std::optional<picture> read_ppm(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::nullopt;
    std::stringstream bytes;
    bytes << f.rdbuf();
    return parse_ppm(bytes.str());
}

bool write_ppm(const picture& p, const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << "P6\n" << p.width << " " << p.height << "\n255\n";
    f.write(reinterpret_cast<const char*>(p.rgb.data()), std::streamsize(p.rgb.size()));
    return bool(f);
}

namespace {

// Whether the 8 x 8 cell with its top-left picture pixel at (x0, y0) shows
// glyph `g` (pixels sampled at the centre of each scaled pixel).
bool shows(const picture& p, int x0, int y0, int scale, const synthetic::font::rows& g) {
    auto pixel = [&](int x, int y) { return p.at(x0 + scale * x + scale / 2, y0 + scale * y + scale / 2); };
    bool have = false;
    uint32_t ink = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (g[y] & (0x80 >> x)) {
                const uint32_t c = pixel(x, y);
                if (have && c != ink) return false;
                ink = c;
                have = true;
            }
    if (!have) return false;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (!(g[y] & (0x80 >> x)) && pixel(x, y) == ink) return false;
    return true;
}

}  // namespace

std::string text_at(const picture& p, int row, int column, int length, int scale, int left, int top) {
    std::string text;
    for (int k = 0; k < length; ++k) {
        const int x0 = left + scale * 8 * (column + k), y0 = top + scale * 8 * row;
        char seen = ' ';
        if (x0 >= 0 && y0 >= 0 && x0 + 8 * scale <= p.width && y0 + 8 * scale <= p.height)
            for (int code = 0x21; code < 0x7F && seen == ' '; ++code) {
                if (code >= 'a' && code <= 'z') continue;
                const auto g = synthetic::font::glyph(uint8_t(code));
                if (shows(p, x0, y0, scale, g)) seen = char(code);
            }
        text += seen;
    }
    return text;
}

}  // namespace picture_text
