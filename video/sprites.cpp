// The sprite engine: walks the sprite list in sprite RAM and draws each entry,
// zoomed, mirrored, clipped and coloured, into an off-screen frame of 16-bit
// pixels. Two frames alternate: the mixer shows one while the next is drawn.
#include <algorithm>
#include <bit>
#include <cstring>

#include "video/record.h"

namespace {

constexpr int LIST_ENTRIES = 8192;

// Masks of indirect colour values that count as transparent, by latched
// registers 4 and 5 (bits 1-0 each).
constexpr uint16_t transparent_bits[16] = {
    0x7FFF, 0x3FFF, 0x1FFF, 0x0FFF, 0x3FFF, 0x1FFF, 0x0FFF, 0x07FF,
    0x3FFF, 0x1FFF, 0x0FFF, 0x07FF, 0x1FFF, 0x0FFF, 0x07FF, 0x03FF,
};

struct sprite_window {
    int32_t x0, x1, y0, y1;  // inclusive
};

struct list_state {
    sprite_window clip;
    sprite_window exclusion;
    int32_t origin_x, origin_y;
    int32_t screen_x_max;
};

// Word k of list entry `entry`; k may pass 7 into the following entries (a
// colour table runs over two), wrapping at the end of sprite RAM.
uint16_t entry_word(uint32_t entry, int k) {
    const uint32_t offset = ((entry & 0x1FFF) * 16 + static_cast<uint32_t>(k) * 2) & 0x1FFFF;
    return static_cast<uint16_t>(orb_board.sprite_ram[offset] | orb_board.sprite_ram[offset + 1] << 8);
}

int32_t s12(uint16_t v) { return sign_extend(v, 12); }

uint32_t big_endian(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return std::endian::native == std::endian::little ? __builtin_bswap32(v) : v;
}

// Everything one draw entry needs, resolved once per entry.
struct sprite_draw {
    bool eight_bit, all_ones_is_pen, from_ram, indirect, shadow;
    uint32_t bank;
    uint16_t base;         // direct colour base
    uint16_t table[16];    // indirect colour table
    uint16_t transparent;  // indirect transparency mask
    uint32_t pen_bits, pens_per_word, all_ones;

    // Where data words come from: word (address & word_mask) | word_bits of
    // `words`, unless the region's word count is not a power of two.
    const uint8_t* words;
    uint32_t word_mask, word_bits;
    bool masked;

    void locate_words() {
        const uint32_t count = video.sprite_word_count;
        masked = from_ram || (count && (count & (count - 1)) == 0);
        if (from_ram) {
            words = orb_board.sprite_ram;
            word_mask = 0x7FFF;
            word_bits = 0;
        } else {
            // ((address & 0xFFFFF) | bank << 20) & (count - 1), split.
            words = video.sprite_rom;
            word_mask = 0xFFFFF & (count - 1);
            word_bits = (bank << 20) & (count - 1);
        }
    }

    uint32_t word(uint32_t address) const {
        if (masked) return big_endian(words + static_cast<uint64_t>((address & word_mask) | word_bits) * 4);
        if (!video.sprite_word_count) return 0;
        const uint32_t index = wrap_to((address & 0xFFFFF) | bank << 20, video.sprite_word_count);
        return big_endian(video.sprite_rom + static_cast<uint64_t>(index) * 4);
    }

    // Puts pen e at a frame pixel; `edge` says e is its word's first or last
    // pixel, where the all-ones pen is a marker unless bit 8 says otherwise.
    template <bool EightBit, bool Indirect>
    void put(uint16_t& pixel, uint32_t e, bool edge) const {
        const uint32_t marker = (edge && !all_ones_is_pen) ? all_ones : 0;
        uint16_t value;
        if constexpr (!Indirect) {
            if (e == 0 || e == marker) return;
            value = static_cast<uint16_t>(0x8000 | base | e);
        } else {
            if (e == marker) return;
            value = EightBit ? static_cast<uint16_t>(table[e >> 4] | (e & 15)) : table[e];
            if ((value & transparent) == transparent) return;
        }
        if (shadow) {
            pixel &= 0x7FFF;
        } else {
            pixel = value;
        }
    }
};

// Geometry of one draw entry, resolved before its rows are walked.
struct sprite_rows {
    const sprite_draw& d;
    uint32_t address, words_across, step_x, step_y;
    int32_t first_col, dir, j_from, j_to;  // destination columns first_col + dir * j
    int32_t y, height;
    bool mirror_y;
    const list_state& list;
};

// Eight 4-bit pens of a word with direct colours into out[0..7] (in reverse
// order when Mirrored): pen 0 is transparent, and so is the all-ones pen at
// the word's first and last pixel when Marker (bit 8 clear).
template <bool Mirrored, bool Marker>
inline void put_direct_word(uint16_t base, uint16_t* out, uint32_t data) {
#ifdef VIDEO_SSE2
    // Spread the nibbles to bytes: byte i = nibble i (bits 4i+3..4i), i.e.
    // pixel 7 - i of the word; unmirrored the bytes are reversed.
    uint64_t v = data;
    v = (v | v << 16) & 0x0000FFFF0000FFFFull;
    v = (v | v << 8) & 0x00FF00FF00FF00FFull;
    v = (v | v << 4) & 0x0F0F0F0F0F0F0F0Full;
    if constexpr (!Mirrored) v = __builtin_bswap64(v);
    const __m128i zero = _mm_setzero_si128();
    const __m128i pens = _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<long long>(v)), zero);
    __m128i skip = _mm_cmpeq_epi16(pens, zero);
    if constexpr (Marker) {
        const __m128i edges = _mm_set_epi16(-1, 0, 0, 0, 0, 0, 0, -1);
        skip = _mm_or_si128(skip, _mm_and_si128(edges, _mm_cmpeq_epi16(pens, _mm_set1_epi16(15))));
    }
    const __m128i value = _mm_or_si128(pens, _mm_set1_epi16(static_cast<short>(0x8000 | base)));
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
    const __m128i merged = _mm_or_si128(_mm_and_si128(skip, old), _mm_andnot_si128(skip, value));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), merged);
#else
    for (uint32_t q = 0; q < 8; ++q) {
        const uint32_t e = (data >> (28 - 4 * q)) & 15;
        const bool edge = q == 0 || q == 7;
        if (e == 0 || (Marker && edge && e == 15)) continue;
        out[Mirrored ? 7 - q : q] = static_cast<uint16_t>(0x8000 | base | e);
    }
#endif
}

inline void put_direct_word(const sprite_draw& d, uint16_t* out, uint32_t data, bool mirrored) {
    const bool marker = !d.all_ones_is_pen;
    if (mirrored) {
        marker ? put_direct_word<true, true>(d.base, out, data)
               : put_direct_word<true, false>(d.base, out, data);
    } else {
        marker ? put_direct_word<false, true>(d.base, out, data)
               : put_direct_word<false, false>(d.base, out, data);
    }
}

// Whole words of direct colours at 1:1 from word `word_number` of the row on,
// while a whole word fits before column j_to; the common case, with what it
// needs in locals (the frame's pixels could alias `d`). Returns whether the
// row ended (its last column, or the all-ones pen closing a word).
template <bool Mirrored, bool Marker>
bool put_direct_words(const sprite_draw& d, uint16_t* out, uint32_t row_address, uint32_t& word_number,
                      int32_t& j, int32_t& col, int32_t j_to) {
    const uint8_t* const words = d.words;
    const uint32_t mask = d.word_mask;
    const uint32_t bits = d.word_bits;
    const uint16_t base = d.base;
    for (;;) {
        const uint32_t word =
            big_endian(words + static_cast<uint64_t>(((row_address + word_number) & mask) | bits) * 4);
        put_direct_word<Mirrored, Marker>(base, out + (Mirrored ? col - 7 : col), word);
        col += Mirrored ? -8 : 8;
        j += 8;
        if (Marker && (word & 15) == 15) return true;
        if (j + 8 > j_to) return j >= j_to;
        ++word_number;
    }
}

template <bool EightBit, bool Indirect>
void draw_row(const sprite_rows& s, uint16_t* out, uint32_t row_address, bool row_excluded) {
    constexpr uint32_t pen_bits = EightBit ? 8 : 4;
    constexpr uint32_t pen_shift = EightBit ? 2 : 3;  // log2 of the pens in a word
    constexpr uint32_t pens = 1u << pen_shift;
    constexpr uint32_t pen_mask = (1u << pen_bits) - 1;
    const sprite_draw& d = s.d;
    const sprite_window& ex = s.list.exclusion;
    // A word ending in the all-ones pen ends the row, unless bit 8 makes it
    // an ordinary pen.
    const auto ends_row = [&d](uint32_t data) { return !d.all_ones_is_pen && (data & pen_mask) == pen_mask; };
    const auto pen = [](uint32_t data, uint32_t p) { return (data >> (32 - pen_bits * (p + 1))) & pen_mask; };
    uint32_t word_number = 0;
    uint32_t data = d.word(row_address);
    int32_t col = s.first_col + s.dir * s.j_from;

    if (s.step_x == 0x10000 && !row_excluded) {
        // 1:1: column j shows source pixel j, a word at a time.
        int32_t j = s.j_from;
        for (; word_number < (static_cast<uint32_t>(j) >> pen_shift);
             data = d.word(row_address + ++word_number))
            if (ends_row(data)) return;
        if constexpr (!EightBit && !Indirect) {
            if (!d.shadow && d.masked && (j & 7) == 0 && j + 8 <= s.j_to) {
                const bool marker = !d.all_ones_is_pen;
                bool ended;
                if (s.dir < 0) {
                    ended =
                        marker
                            ? put_direct_words<true, true>(d, out, row_address, word_number, j, col, s.j_to)
                            : put_direct_words<true, false>(d, out, row_address, word_number, j, col, s.j_to);
                } else {
                    ended = marker ? put_direct_words<false, true>(d, out, row_address, word_number, j, col,
                                                                   s.j_to)
                                   : put_direct_words<false, false>(d, out, row_address, word_number, j, col,
                                                                    s.j_to);
                }
                if (ended) return;
                data = d.word(row_address + ++word_number);
            }
        }
        for (;;) {
            uint32_t p = static_cast<uint32_t>(j) & (pens - 1);
            const int32_t n = std::min<int32_t>(static_cast<int32_t>(pens - p), s.j_to - j);
            if constexpr (!EightBit && !Indirect) {
                if (n == static_cast<int32_t>(pens) && !d.shadow) {
                    put_direct_word(d, out + (s.dir > 0 ? col : col - 7), data, s.dir < 0);
                    col += s.dir * 8;
                    j += n;
                    if (j >= s.j_to || ends_row(data)) return;
                    data = d.word(row_address + ++word_number);
                    continue;
                }
            }
            if (n == static_cast<int32_t>(pens)) {
                // A whole word: unrolled, with the edge pixels known.
                for (uint32_t q = 0; q < pens; ++q)
                    d.put<EightBit, Indirect>(out[col + s.dir * static_cast<int32_t>(q)], pen(data, q),
                                              q == 0 || q == pens - 1);
                col += s.dir * static_cast<int32_t>(pens);
            } else {
                for (int32_t t = 0; t < n; ++t, ++p, col += s.dir)
                    d.put<EightBit, Indirect>(out[col], pen(data, p), p == 0 || p == pens - 1);
            }
            j += n;
            if (j >= s.j_to || ends_row(data)) return;
            data = d.word(row_address + ++word_number);
        }
    }

    // Destination column j shows source pixel (j * step_x) >> 16: the hardware
    // adds the step per column and takes 0x10000 off per source pixel. Words
    // are still read in order, even those whose pixels the step skips, since
    // any of them may end the row.
    uint64_t position = static_cast<uint64_t>(s.j_from) * s.step_x;
    for (int32_t j = s.j_from; j < s.j_to; ++j, col += s.dir, position += s.step_x) {
        const uint64_t source = position >> 16;
        for (; word_number < (source >> pen_shift); data = d.word(row_address + ++word_number))
            if (ends_row(data)) return;
        if (row_excluded && col >= ex.x0 && col <= ex.x1) continue;
        const uint32_t p = static_cast<uint32_t>(source) & (pens - 1);
        d.put<EightBit, Indirect>(out[col], pen(data, p), p == 0 || p == pens - 1);
    }
}

template <bool EightBit, bool Indirect>
void draw_rows(const sprite_rows& s, uint16_t (*target)[ORB_VIDEO_COLUMNS]) {
    const sprite_window& clip = s.list.clip;
    const sprite_window& ex = s.list.exclusion;
    uint32_t row_address = s.address;
    uint32_t accumulator = 0;
    for (int32_t i = 0; i < s.height; ++i) {
        const int32_t row = s.mirror_y ? s.y + s.height - 1 - i : s.y + i;
        if (row >= clip.y0 && row <= clip.y1)
            draw_row<EightBit, Indirect>(s, target[row], row_address, row >= ex.y0 && row <= ex.y1);
        accumulator += s.step_y;
        row_address += (accumulator >> 16) * s.words_across;
        accumulator &= 0xFFFF;
    }
}

// Draws entry n; returns the extra entries it occupies (its inline colour table).
int draw_entry(uint32_t n, const list_state& list, uint16_t (*target)[ORB_VIDEO_COLUMNS]) {
    uint16_t w[8];
    for (int k = 0; k < 8; ++k) w[k] = entry_word(n, k);
    const bool inline_table = (w[0] & 0x3000) == 0x3000;
    const int extra = inline_table ? 2 : 0;
    const uint8_t* latched = orb_board.sprite_latched;

    sprite_draw d{};
    d.eight_bit = (w[0] >> 9) & 1;
    d.all_ones_is_pen = (w[0] >> 8) & 1;
    d.from_ram = (w[0] >> 10) & 1;
    d.indirect = (w[0] >> 13) & 1;
    d.shadow = ((w[0] >> 11) & 1) && (latched[5] & 1);
    d.pen_bits = d.eight_bit ? 8 : 4;
    d.pens_per_word = d.eight_bit ? 4 : 8;
    d.all_ones = d.eight_bit ? 255 : 15;
    d.bank = (((w[3] >> 11) & 1) | ((w[3] >> 14) & 1) << 1) % std::max(video.sprite_bank_count, 1u);
    d.locate_words();
    d.base = static_cast<uint16_t>(w[7] & (d.eight_bit ? 0x7F00 : 0x7FF0));
    d.transparent = transparent_bits[(latched[4] & 3) * 4 + (latched[5] & 3)];
    if (d.eight_bit) d.transparent &= 0xFFF0;
    if (d.indirect) {
        const uint32_t table_entry = inline_table ? n + 1 : w[7] & 0x1FFFu;
        for (int k = 0; k < 16; ++k) {
            const uint16_t t = entry_word(table_entry, k);
            d.table[k] = static_cast<uint16_t>((d.eight_bit ? t & 0xFFF0 : t) | (latched[5] & 1) << 15);
        }
    }
    const uint32_t address = w[6] | static_cast<uint32_t>(w[2] >> 12) << 16;
    const uint32_t words_across = d.eight_bit ? w[1] & 0x3Fu : (w[1] >> 1) & 0x3Fu;
    const uint32_t source_rows = w[1] >> 8;

    if (orb_video_sprite_observer && !d.from_ram) {
        uint16_t colours[256];
        const uint32_t pens = 1u << d.pen_bits;
        for (uint32_t i = 0; i < pens; ++i) {
            if (!d.indirect) {
                colours[i] = static_cast<uint16_t>(d.base | i);
            } else {
                colours[i] = d.eight_bit ? static_cast<uint16_t>(d.table[i >> 4] | (i & 15)) : d.table[i];
            }
        }
        orb_video_sprite_observer(d.bank << 20 | address, static_cast<int>(words_across),
                                  static_cast<int>(source_rows), d.eight_bit, d.all_ones_is_pen, colours);
    }

    const int32_t height = w[2] & 0x3FF;
    const int32_t width = w[3] & 0x3FF;
    if (!words_across || !source_rows || !height || !width) return extra;

    const uint32_t step_x = d.pens_per_word * words_across * 0x10000u / static_cast<uint32_t>(width);
    const uint32_t step_y = source_rows * 0x10000u / static_cast<uint32_t>(height);

    int32_t x = s12(w[5]) + ((w[0] & 0x10) ? list.origin_x : 0);
    int32_t y = s12(w[4]) + ((w[0] & 0x20) ? list.origin_y : 0);
    // Anchors: 0 and 3 centre, 1 right, 2 left (and the same for top/bottom).
    const auto anchor = [](int code, int32_t& pos, int32_t size) {
        if (code == 1)
            pos -= size - 1;
        else if (code != 2)
            pos -= (size - 1) / 2;
    };
    anchor(w[0] & 3, x, width);
    anchor((w[0] >> 2) & 3, y, height);

    const bool mirror_x = (w[0] >> 6) & 1;
    const bool mirror_y = (w[0] >> 7) & 1;
    const sprite_window& clip = list.clip;
    int32_t first_col, end_col, dir;
    if (!mirror_x) {
        first_col = x;
        end_col = std::min(x + width, clip.x1 + 1);
        dir = 1;
        if (first_col >= end_col) return extra;
    } else {
        first_col = x + width - 1;
        end_col = std::max(x - 1, clip.x0 - 1);
        dir = -1;
        if (first_col <= end_col) return extra;
    }
    // Columns actually written: inside the clip window, on the way to end_col.
    int32_t j_from, j_to;
    if (!mirror_x) {
        j_from = std::max(0, clip.x0 - first_col);
        j_to = end_col - first_col;
    } else {
        j_from = std::max(0, first_col - clip.x1);
        j_to = first_col - end_col;
    }
    const sprite_rows rows{d,    address, words_across, step_x,   step_y, first_col, dir, j_from,
                           j_to, y,       height,       mirror_y, list};
    if (d.eight_bit) {
        d.indirect ? draw_rows<true, true>(rows, target) : draw_rows<true, false>(rows, target);
    } else {
        d.indirect ? draw_rows<false, true>(rows, target) : draw_rows<false, false>(rows, target);
    }
    return extra;
}

}  // namespace

void draw_sprite_list(uint16_t (*target)[ORB_VIDEO_COLUMNS]) {
    list_state list{};
    list.screen_x_max = (orb_board.sprite_latched[6] & 1) ? 415 : 319;
    list.clip = {0, list.screen_x_max, 0, ORB_VIDEO_ROWS - 1};
    list.exclusion = {0, -1, 0, -1};
    uint32_t n = 0;
    for (int step = 0; step < LIST_ENTRIES; ++step) {
        const uint16_t w0 = entry_word(n, 0);
        switch (w0 >> 14) {
        case 3: return;
        case 1:
            if (w0 & 0x1000) {
                list.clip.y0 = std::max(s12(w0), 0);
                list.clip.y1 = std::min(s12(entry_word(n, 1)), ORB_VIDEO_ROWS - 1);
                list.clip.x0 = std::max(s12(entry_word(n, 2)), 0);
                list.clip.x1 = std::min(s12(entry_word(n, 3)), list.screen_x_max);
            }
            if (w0 & 0x2000) {
                list.exclusion = {s12(entry_word(n, 6)), s12(entry_word(n, 7)), s12(entry_word(n, 4)),
                                  s12(entry_word(n, 5))};
            }
            n = (n + 1) & 0x1FFF;
            break;
        case 2:
            if (w0 & 0x2000) {
                list.origin_y = s12(entry_word(n, 1));
                list.origin_x = s12(entry_word(n, 2));
            }
            n = w0 & 0x1FFF;
            break;
        default:
            {
                const int extra = draw_entry(n, list, target);
                n = (n + 1 + static_cast<uint32_t>(extra)) & 0x1FFF;
                break;
            }
        }
    }
}
