// The tile layers (NBG0 and NBG1 with zoom, NBG2 and NBG3 with line scroll),
// the text layer, the bitmap layer and the backdrop. Each writes colour values
// (palette number << 4 | pen, 0 transparent) into its layer record.
#include <algorithm>
#include <bit>
#include <cstring>

#include "video/record.h"

namespace {

// Byte of a tile row that holds column c; even columns in the high nibble.
constexpr uint8_t byte_of_column[16] = {0, 0, 2, 2, 1, 1, 3, 3, 4, 4, 6, 6, 5, 5, 7, 7};

// Loads n bytes as a little-endian number: byte i of memory is bits 8i to 8i + 7.
template <int Bytes>
inline uint64_t load_le(const uint8_t* p) {
    uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, p, Bytes);
    } else {
        for (int i = 0; i < Bytes; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    }
    return v;
}

// Expands 2 * Bytes 4-bit pens, byte i of `v` (bits 8i to 8i + 7) holding pixel
// 2i in its high nibble and 2i + 1 in its low one (in reverse order when
// `reversed`), into colour values: colour | pen, or 0 for pen 0.
template <int Bytes>
inline void expand_pens(uint64_t v, bool reversed, uint16_t colour, uint16_t* out) {
#ifdef VIDEO_SSE2
    if (reversed) v = Bytes == 8 ? __builtin_bswap64(v) : __builtin_bswap32(static_cast<uint32_t>(v));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i packed = _mm_cvtsi64_si128(static_cast<long long>(v));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(packed, 4), nibble);
    const __m128i low = _mm_and_si128(packed, nibble);
    const __m128i pens = reversed ? _mm_unpacklo_epi8(low, high) : _mm_unpacklo_epi8(high, low);
    const __m128i zero = _mm_setzero_si128();
    const __m128i base = _mm_set1_epi16(static_cast<short>(colour));
    const auto values = [&](__m128i p) {
        return _mm_andnot_si128(_mm_cmpeq_epi16(p, zero), _mm_or_si128(p, base));
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), values(_mm_unpacklo_epi8(pens, zero)));
    if constexpr (Bytes == 8)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), values(_mm_unpackhi_epi8(pens, zero)));
#else
    for (int i = 0; i < 2 * Bytes; ++i) {
        const int c = reversed ? 2 * Bytes - 1 - i : i;
        const auto b = static_cast<uint8_t>(v >> (8 * (c >> 1)));
        const uint32_t pen = (c & 1) ? b & 15u : b >> 4u;
        out[i] = pen ? static_cast<uint16_t>(colour | pen) : 0;
    }
#endif
}

// Copies n (at most Max) values: a tile's or a character's share of a run,
// most often the whole of it.
template <int Max>
inline void copy_short(const uint16_t (&from)[Max], int first, int n, uint16_t* to) {
    if (n == Max) {
        std::memcpy(to, from, sizeof from);
    } else {
        for (int i = 0; i < n; ++i) to[i] = from[first + i];
    }
}

// Sets n values of a row to v, 16 at a time where it can.
inline void fill_row(uint16_t* row, int n, uint16_t v) {
    int i = 0;
    for (; i + 16 <= n; i += 16)
        for (int k = 0; k < 16; ++k) row[i + k] = v;
    for (; i < n; ++i) row[i] = v;
}

// The 16 values of a tile row (its 8 bytes as a little-endian number),
// columns 0 to 15 or 15 to 0.
inline void expand_tile_row(uint64_t v, bool reversed, uint16_t colour, uint16_t* out) {
#ifdef VIDEO_SSE2
    // Put the bytes in column order first: swap the middle two of each four.
    static_assert(byte_of_column[2] == 2 && byte_of_column[4] == 1 && byte_of_column[10] == 6 &&
                  byte_of_column[12] == 5);
    expand_pens<8>(
        (v & 0xFF0000FFFF0000FFull) | (v & 0x0000FF000000FF00ull) << 8 | (v & 0x00FF000000FF0000ull) >> 8,
        reversed, colour, out);
#else
    for (int i = 0; i < 16; ++i) {
        const int c = reversed ? 15 - i : i;
        const auto b = static_cast<uint8_t>(v >> (8 * byte_of_column[c]));
        const uint32_t pen = (c & 1) ? b & 15u : b >> 4u;
        out[i] = pen ? static_cast<uint16_t>(colour | pen) : 0;
    }
#endif
}

// The 2 x 2 pages of a tile layer and the tile bank. Within a row the tile of
// the last map entry fetched is kept, expanded, so the pixels of a tile share
// one lookup.
struct tile_map {
    uint8_t pages[4];
    uint32_t bank;
    uint32_t my = 0;
    uint32_t cached_tile = ~0u;  // map x >> 4 of the kept tile
    // The current row's tiles read ahead of their pixels: entry and 8 bytes
    // on this row by map x >> 4, for the tiles whose bit is set.
    uint64_t read = 0;
    uint16_t read_entry[64];
    uint64_t read_bytes[64];
    // Its values in the order of travel (after the entry's own mirrors):
    // by map x & 15 to the right, by 15 - (map x & 15) to the left.
    alignas(16) uint16_t values[16];
    // A zoomed row's values by map x (0 to 1023), for the tiles whose bit is
    // set in `expanded`.
    uint64_t expanded = 0;
    alignas(16) uint16_t row_values[1024];

    explicit tile_map(int k) {
        const uint16_t a = video_reg(0x40 + 4 * k);
        const uint16_t b = video_reg(0x42 + 4 * k);
        pages[0] = a & 0x7F;
        pages[1] = (a >> 8) & 0x7F;
        pages[2] = b & 0x7F;
        pages[3] = (b >> 8) & 0x7F;
        bank = (orb_board.io.tile_bank & 1u) << 1 | ((video_reg(0x00) >> 10) & 1u);
    }

    // Map y of the row about to be read; it wraps at 512.
    void start_row(uint32_t map_y) {
        my = map_y & 0x1FF;
        cached_tile = ~0u;
        read = 0;
        expanded = 0;
    }

    // Reads the entries and the tile rows of the `count` tiles from tile_x on
    // in the direction of travel, all before any is expanded, so that their
    // loads overlap instead of waiting one for another.
    void read_ahead(uint32_t tile_x, int count, int dir) {
        if (!video.tile_count) return;
        for (int i = 0; i < std::min(count, 64); ++i, tile_x += static_cast<uint32_t>(dir)) {
            const uint32_t t = tile_x & 63;
            read_entry[t] = entry_at(t, my);
            read_bytes[t] = load_le<8>(row_of(read_entry[t], my));
            read |= 1ull << t;
        }
    }

    uint16_t entry_at(uint32_t tile_x, uint32_t map_y) const {
        const uint32_t page = pages[((map_y >> 8) & 1) * 2 + ((tile_x >> 5) & 1)];
        return vram_word(page * 1024 + (((map_y >> 4) & 15) * 32 + (tile_x & 31)) * 2);
    }

    const uint8_t* row_of(uint16_t entry, uint32_t map_y) const {
        const uint32_t number = wrap_to((entry & 0x1FFFu) | bank << 13, video.tile_count);
        const uint32_t py = (entry & 0x8000) ? 15 - (map_y & 15) : map_y & 15;
        return video.tile_rom + static_cast<uint64_t>(number) * 128 + py * 8;
    }

    // Expands tile t of the current row into out: its 16 values in map x
    // order, or in reverse for a leftward walk.
    void expand(uint32_t t, bool leftward, uint16_t* out) const {
        if (!video.tile_count) {
            std::fill(out, out + 16, uint16_t{0});
            return;
        }
        const bool ready = (read >> t) & 1;
        const uint16_t entry = ready ? read_entry[t] : entry_at(t, my);
        const uint64_t bytes = ready ? read_bytes[t] : load_le<8>(row_of(entry, my));
        expand_tile_row(bytes, ((entry & 0x4000) != 0) != leftward, entry & 0x1FF0, out);
    }

    // Expands the tile at tile_x into `values` for a walk in direction dir.
    void fetch(uint32_t tile_x, int dir) {
        const uint32_t t = tile_x & 63;
        cached_tile = t;
        expand(t, dir < 0, values);
    }

    // Expands tile t of the row into row_values, in map x order.
    void expand_into_row(uint32_t t) {
        expanded |= 1ull << t;
        expand(t, false, row_values + t * 16);
    }

    // Fills `count` pixels from a 12.20 map x position on, the position
    // moving by `move` a column (wrapping in 32 bits); map x is position bits
    // 29-20, its tile bits 29-24. The tiles the walk meets are expanded into
    // the row first, so each pixel is one look-up.
    void fill_stepped(uint16_t* out, int count, uint32_t position, uint32_t move) {
        const bool left = move >> 31;  // a step is at most 4 map pixels
        const uint64_t step = left ? 0u - move : move;
        const uint64_t distance = step * static_cast<uint64_t>(count - 1);
        // How far the walk reaches, in map pixels from the first tile's
        // near edge in the direction of travel (at most one more than it
        // truly does), and so how many tiles it meets.
        const uint32_t mx = (position >> 20) & 0x3FF;
        const uint64_t reach = (left ? 15 - (mx & 15) : mx & 15) + (distance >> 20) + 1;
        const uint32_t tiles = reach >= 1024 ? 64 : static_cast<uint32_t>(reach / 16 + 1);
        for (uint32_t i = 0, t = mx >> 4; i < tiles; ++i, t = (t + (left ? 63 : 1)) & 63)
            if (!((expanded >> t) & 1)) expand_into_row(t);
        for (int i = 0; i < count; ++i) {
            out[i] = row_values[(position >> 20) & 0x3FF];
            position += move;
        }
    }

    // Fills `count` pixels from map x on, stepping one map pixel left
    // (dir -1) or right (dir 1) a column, a tile at a time. One row's walk
    // keeps one direction.
    void fill_span(uint16_t* out, int count, uint32_t mx, int dir) {
        while (count > 0) {
            mx &= 0x3FF;
            if ((mx >> 4) != cached_tile) fetch(mx >> 4, dir);
            const uint32_t first = dir > 0 ? mx & 15 : 15 - (mx & 15);
            const int n = std::min(count, static_cast<int>(16 - first));
            copy_short(values, static_cast<int>(first), n, out);
            out += n;
            count -= n;
            mx += static_cast<uint32_t>(n * dir);
        }
    }
};

struct layer_flip {
    bool horizontal, vertical;
};

// Tile layer k mirrors with the screen flip xor its own bit; bit 8 limits the
// layer's own bit to the horizontal axis.
layer_flip tile_layer_flip(int k) {
    const uint16_t r = video_reg(0x00);
    const bool screen = (r >> 9) & 1;
    const bool own = (r >> k) & 1;
    const bool horizontal_only = (r >> 8) & 1;
    return {screen != own, screen != (own && !horizontal_only)};
}

// Whether columns lo to hi - 1 of a row are all 0.
bool row_is_clear(const uint16_t* row, int lo, int hi) {
    uint16_t any = 0;
    int x = lo;
    for (; x + 16 <= hi; x += 16)
        for (int k = 0; k < 16; ++k) any |= row[x + k];
    for (; x < hi; ++x) any |= row[x];
    return any == 0;
}

// Walks the clip runs of row y: drawn runs come from fill(row, a, b), blank
// runs are zeroed; then the row's row_empty flag is set from what it holds.
// Writing stays within the shown columns even when an edge wrapped (a flipped
// window whose left edge lies beyond the screen gives a huge right edge).
template <class Fill>
void walk_runs(layer_record& layer, int y, int first_state, Fill fill) {
    const clip_rect& c = video.clip;
    const clip_run_sets& runs = video.clip_runs;
    const int set = runs.set_of_row[y];
    const uint16_t* e = runs.edges[set];
    const int n = runs.edge_count[set];
    uint16_t* row = layer.pixels[y];
    const int lo = c.x_min;
    const int hi = c.x_max + 1;
    int state = first_state;
    for (int i = 0; i + 1 < n; ++i) {
        const int a = std::clamp<int>(e[i], lo, hi);
        const int b = std::clamp<int>(e[i + 1], lo, hi);
        if (b > a) {
            if (state) {
                fill(row, a, b);
            } else {
                std::fill(row + a, row + b, uint16_t{0});
            }
        }
        if (e[i + 1] > c.x_max) break;
        state ^= 1;
    }
    layer.row_empty[y] = row_is_clear(row, lo, hi);
}

// Clip-run request of tile layer k (0 to 3) or the bitmap (k = 4).
int request_clip_runs(int k) {
    const uint16_t r = video_reg(0x02);
    const unsigned selection = k == 4 ? 0x10u : (video_reg(0x06) >> (4 * k)) & 15u;
    return find_clip_runs((r >> (11 + k)) & 1, (r >> (6 + k)) & 1, selection);
}

}  // namespace

void draw_scrolled_layer(int k) {
    layer_record& layer = video.layers[LAYER_NBG0 + k];
    const clip_rect& c = video.clip;
    const int first = request_clip_runs(k);
    const layer_flip flip = tile_layer_flip(k);
    tile_map map(k);

    const uint16_t line = video_reg(0x04);
    const bool cancel = (line >> (k + 2)) & 1;  // bits 4 and 5 serve the clip windows
    const bool line_x = !cancel && ((line >> (k - 2)) & 1);
    const bool line_y = !cancel && ((line >> k) & 1);
    const uint32_t table = (line >> 10) * 1024u;
    const uint32_t x_table = table + (k == 2 ? 0 : 256);
    const uint32_t y_table = table + (k == 2 ? 512 : 768);
    const uint32_t scroll_x = video_reg(0x12 + 8 * k) & 0x3FF;
    const uint32_t scroll_y = video_reg(0x16 + 8 * k);
    const uint32_t centre_x = video_reg(0x30 + 4 * k) & 0x1FF;

    const int dir = flip.horizontal ? -1 : 1;
    const int tiles_across = (c.x_max - c.x_min + 1) / 16 + 2;

    for (int y = c.y_min; y <= c.y_max; ++y) {
        const uint32_t r = static_cast<uint32_t>(flip.vertical ? c.y_max - y : y);
        const uint32_t my = line_y ? (vram_word(((y_table + r) & 0xFFFF) * 2) + scroll_y) & 0x1FF
                                   : (r + (scroll_y & 0x1FF)) & 0x1FF;
        uint32_t start = scroll_x - centre_x + static_cast<uint32_t>(flip.horizontal ? c.x_max : c.x_min);
        if (line_x) start += vram_word(((x_table + r) & 0xFFFF) * 2) & 0x3FF;
        map.start_row(my);
        map.read_ahead((start & 0x3FF) >> 4, tiles_across, dir);
        walk_runs(layer, y, first, [&](uint16_t* row, int a, int b) {
            const uint32_t d = static_cast<uint32_t>(a - c.x_min);
            map.fill_span(row + a, b - a, flip.horizontal ? start - d : start + d, dir);
        });
    }
}

void draw_zoomed_layer(int k) {
    layer_record& layer = video.layers[LAYER_NBG0 + k];
    const clip_rect& c = video.clip;
    const int first = request_clip_runs(k);
    const layer_flip flip = tile_layer_flip(k);
    tile_map map(k);

    const uint32_t zx = video_reg(0x50 + 4 * k) & 0xFFF;
    const uint32_t zy = (video_reg(0x00) & 0x4000) ? video_reg(0x52 + 4 * k) & 0xFFF : zx;
    // Steps in 12.20 fixed point: 0x200 is 1:1, 0x80 and below four map
    // pixels per screen pixel.
    const uint32_t step_x = 0x20000000u / std::max(zx, 0x80u);
    const uint32_t step_y = 0x20000000u / std::max(zy, 0x80u);
    const uint32_t origin_x = (video_reg(0x12 + 8 * k) & 0x3FFu) << 20 | (video_reg(0x10 + 8 * k) >> 8) << 12;
    const uint32_t origin_y =
        (video_reg(0x16 + 8 * k) & 0x1FFu) << 20 | (((video_reg(0x14 + 8 * k) >> 8) << 12) & 0xFE000u);
    // At exactly 1:1 the centre is a 9-bit signed value, otherwise 10 bits.
    const int32_t centre_x = sign_extend(video_reg(0x30 + 4 * k), zx == 0x200 ? 9 : 10);
    const int32_t centre_y = sign_extend(video_reg(0x32 + 4 * k), zy == 0x200 ? 9 : 10);

    // Every row covers the same map x range.
    const int32_t left = (flip.horizontal ? c.x_max : c.x_min) - centre_x;
    const uint32_t first_tile = ((origin_x + static_cast<uint32_t>(left) * step_x) >> 24) & 63;
    const auto tiles_across = static_cast<int>(
        std::min<uint64_t>((static_cast<uint64_t>(c.x_max - c.x_min + 1) * step_x >> 20) / 16 + 2, 64));

    for (int y = c.y_min; y <= c.y_max; ++y) {
        const int32_t sy = (flip.vertical ? c.y_max - y : y) - centre_y;
        map.start_row((origin_y + static_cast<uint32_t>(sy) * step_y) >> 20);
        map.read_ahead(first_tile, tiles_across, flip.horizontal ? -1 : 1);
        walk_runs(layer, y, first, [&](uint16_t* row, int a, int b) {
            // Map x moves by one step a column (positions wrap in 32 bits).
            const int32_t sx = (flip.horizontal ? c.x_max - a : a) - centre_x;
            uint32_t position = origin_x + static_cast<uint32_t>(sx) * step_x;
            if (step_x == 0x100000) {
                // 1:1: map x moves by exactly one a column.
                map.fill_span(row + a, b - a, position >> 20, flip.horizontal ? -1 : 1);
                return;
            }
            map.fill_stepped(row + a, b - a, position, flip.horizontal ? 0u - step_x : step_x);
        });
    }
}

void draw_text_layer() {
    layer_record& layer = video.layers[LAYER_TEXT];
    const clip_rect& c = video.clip;
    const uint16_t r = video_reg(0x5C);
    const uint32_t char_base = (r & 7u) * 16384;
    const uint32_t map_base = ((r >> 4) & 0x1Fu) * 4096;
    const bool flip = (video_reg(0x00) >> 9) & 1;
    for (int y = c.y_min; y <= c.y_max; ++y) {
        const uint32_t my = static_cast<uint32_t>(flip ? 255 - y : y) & 0xFF;
        uint16_t* row = layer.pixels[y];
        // A character's 8 pixels at a time, in the order the row meets them.
        for (int x = c.x_min; x <= c.x_max;) {
            const uint32_t mx = static_cast<uint32_t>(flip ? 511 - x : x) & 0x1FF;
            const uint16_t cell = vram_word(map_base + ((my >> 3) * 64 + (mx >> 3)) * 2);
            // Bank 7, character 511, row 7 ends at the last byte of video RAM.
            const uint8_t* pattern = &orb_board.video_ram[char_base + (cell & 0x1FFu) * 32 + (my & 7) * 4];
            alignas(16) uint16_t values[8];
            expand_pens<4>(load_le<4>(pattern), flip, static_cast<uint16_t>((cell >> 9) << 4), values);
            const int first = static_cast<int>(flip ? 7 - (mx & 7) : mx & 7);
            const int n = std::min(8 - first, c.x_max + 1 - x);
            copy_short(values, first, n, row + x);
            x += n;
        }
        layer.row_empty[y] = 0;
    }
}

void draw_bitmap_layer() {
    layer_record& layer = video.layers[LAYER_BITMAP];
    const clip_rect& c = video.clip;
    const int first = request_clip_runs(4);
    const bool eight_bit = (video_reg(0x00) >> 11) & 1;
    const uint32_t scroll_x = video_reg(0x88) & 0x1FF;
    const uint32_t scroll_y = video_reg(0x8A) & 0x1FF;
    const uint32_t palette = video_reg(0x8C);
    const uint32_t base = eight_bit ? (palette << 4) & 0xFF00 : (palette << 4) & 0xFFF0;
    const uint8_t* ram = orb_board.video_ram;
    for (int y = c.y_min; y <= c.y_max; ++y) {
        // Rows wrap at 256 (8 bits a pixel) or 512, both within video RAM.
        const uint32_t by = (static_cast<uint32_t>(y) + scroll_y) & (eight_bit ? 0xFF : 0x1FF);
        // The picture's row is one run of bytes; a run of the screen reads it
        // in at most two pieces, split where x wraps at 512.
        const uint8_t* __restrict source = ram + by * (eight_bit ? 512 : 256);
        walk_runs(layer, y, first, [&](uint16_t* __restrict row, int a, int b) {
            for (int x = a; x < b;) {
                const uint32_t bx = (static_cast<uint32_t>(x) + scroll_x) & 0x1FF;
                const int n = std::min(b - x, static_cast<int>(512 - bx));
                uint16_t* out = row + x;
                if (eight_bit) {
                    const uint8_t* in = source + bx;
                    for (int i = 0; i < n; ++i)
                        out[i] = in[i] ? static_cast<uint16_t>(base | in[i]) : uint16_t{0};
                } else {
                    // Pixel bx is the low nibble of byte bx / 2 when even, the high one when odd.
                    const auto pixel = [&](int i) {
                        const uint32_t at = bx + static_cast<uint32_t>(i);
                        const uint32_t pen = (source[at >> 1] >> ((at & 1) * 4)) & 15;
                        out[i] = pen ? static_cast<uint16_t>(base | pen) : uint16_t{0};
                    };
                    int i = 0;
                    if ((bx & 1) && n > 0) pixel(i++);
                    // From an even pixel on, 8 bytes give 16 pixels, low nibble first.
                    for (; i + 16 <= n; i += 16) {
                        const uint64_t v = load_le<8>(source + ((bx + static_cast<uint32_t>(i)) >> 1));
                        const uint64_t swapped =
                            (v >> 4 & 0x0F0F0F0F0F0F0F0Full) | (v & 0x0F0F0F0F0F0F0F0Full) << 4;
                        expand_pens<8>(swapped, false, static_cast<uint16_t>(base), out + i);
                    }
                    for (; i < n; ++i) pixel(i);
                }
                x += n;
            }
        });
    }
}

void draw_backdrop() {
    layer_record& layer = video.layers[LAYER_BACKDROP];
    const clip_rect& c = video.clip;
    const uint16_t r = video_reg(0x5E);
    const bool flip = (video_reg(0x00) >> 9) & 1;
    for (int y = c.y_min; y <= c.y_max; ++y) {
        uint16_t value = r & 0x1E00;
        // Per-line mode ramps through the block's colours, one a row.
        if (r & 0x8000) value |= (r + y) & 0x1FF;
        const int row = flip ? c.y_max - y : y;
        fill_row(layer.pixels[row] + c.x_min, c.x_max - c.x_min + 1, value);
        layer.row_empty[row] = 0;
    }
}

void report_tile_pages(int k) {
    if (!orb_video_tile_observer) return;
    const tile_map map(k);
    for (int i = 0; i < 4; ++i) {
        if (std::find(map.pages, map.pages + i, map.pages[i]) != map.pages + i) continue;
        for (uint32_t n = 0; n < 512; ++n) {
            const uint16_t entry = vram_word(map.pages[i] * 1024u + n * 2);
            orb_video_tile_observer(k, static_cast<uint16_t>((entry & 0x1FFFu) | map.bank << 13),
                                    static_cast<uint16_t>((entry >> 4) & 0x1FF));
        }
    }
}
