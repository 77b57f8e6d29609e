// The mixer: per pixel, the first opaque source from the top of a priority
// list (layers, one sprite group, the backdrop), its palette colour, an
// optional blend with the next opaque source below, colour offsets and the
// sprite shadow, packed into the output picture.
#include <algorithm>
#include <cstring>

#include "video/record.h"

namespace {

enum : uint8_t { SOURCE_SPRITES = 6, SOURCE_BACKDROP = 7 };
enum : uint8_t { OFFSET_A = 0, OFFSET_B = 1, OFFSET_NONE = 2 };

// Mixer register numbers (guest 0x610000 + 2 * number).
enum : int {
    MIX_GROUP0 = 0x00,
    MIX_LAYER0 = 0x10,
    MIX_BACKDROP = 0x16,
    MIX_MASK0 = 0x18,
    MIX_OFFSET_CONTROL = 0x1F,
    MIX_OFFSET_A = 0x20,
    MIX_OFFSET_B = 0x23,
    MIX_SPRITES = 0x26,
    MIX_BLEND = 0x27,
};

struct grouping {
    uint8_t shift, mask, base;
};
// How a sprite-frame pixel splits into group and colour, by 0x61004C bits 3-0.
constexpr grouping groupings[16] = {
    {14, 0, 1}, {14, 1, 2}, {13, 3, 4}, {12, 7, 8},  {14, 1, 0}, {13, 3, 0}, {12, 7, 0}, {11, 15, 0},
    {14, 1, 0}, {13, 3, 0}, {12, 7, 0}, {11, 15, 0}, {13, 1, 0}, {12, 3, 0}, {11, 7, 0}, {10, 15, 0},
};

struct source_entry {
    uint16_t bank;        // first palette entry, bank * 1024
    uint16_t group_mask;  // sprite groups this source may blend with
    uint8_t blend_mask;   // bit s: blends with source s below
    uint8_t source;       // 0-5 layers, 6 sprites, 7 backdrop
    uint8_t key;          // priority << 3 | tie-break
    uint8_t shift;        // colour shift
    uint8_t offset_set;
};

// Colours are worked on as three 10-bit lanes of one word (red bits 0-9,
// green 10-19, blue 20-29), each held with a bias of 32 so that offsets down
// to -32 stay non-negative. Every step keeps a lane below 1024: a palette
// component and offset give 0 to 94, a blend sums at most 8 x 94 = 752.
constexpr uint32_t lanes(uint32_t v) { return v | v << 10 | v << 20; }
constexpr uint32_t LANE_BIAS = lanes(32);

uint8_t offset_set(bool offset_bit, bool set_a) {
    const bool mode = (mixer_reg(MIX_OFFSET_CONTROL) >> 15) & 1;
    if (!mode && offset_bit) return OFFSET_NONE;
    if (mode && !offset_bit) return set_a ? OFFSET_A : OFFSET_NONE;
    return set_a ? OFFSET_A : OFFSET_B;
}

uint16_t group_mask_of(uint16_t r) {
    const uint32_t n = r & 15;
    switch ((r >> 4) & 3) {
    case 0: return static_cast<uint16_t>(1u << n);
    case 1: return static_cast<uint16_t>((1u << n) | ((1u << n) - 1));
    case 2: return static_cast<uint16_t>(-(1u << n));
    default: return 0xFFFF;
    }
}

uint16_t bank_of(uint16_t r) { return static_cast<uint16_t>(((r >> 4) & 15) * 1024); }
uint8_t shift_of(uint16_t r) { return static_cast<uint8_t>((r >> 8) & 3); }

uint16_t palette_index(const source_entry& s, uint32_t v) {
    return static_cast<uint16_t>((((v >> s.shift) & 0xFFF0) + s.bank + (v & 0xF)) & 0x3FFF);
}

// Bank of sprite group g: its own register, or 0x61004C's when that
// register's bits 1-0 are both set.
uint16_t sprite_bank(int group) {
    const uint16_t sprites = mixer_reg(MIX_SPRITES);
    return (sprites & 3) == 3 ? bank_of(sprites) : bank_of(mixer_reg(MIX_GROUP0 + group));
}

// The frame's sources. The layers and the backdrop are sorted once, highest
// key first; each sprite group's entry would go in front of the first of them
// with a lower key. So a walk meets a group's sprite entry before a layer
// exactly when the sprite key is the higher, and for every pixel the two walks
// come down to comparing the sprite key with the keys of the top opaque layer
// and of the one under it.
struct mix_setup {
    source_entry layers[7];  // the backdrop last
    int8_t layer_slot[7];    // `video.layers` index of each
    int count;
    source_entry sprites[16];  // by group g = 0 .. split.mask
    uint32_t offset_of[7];     // biased offset lanes of each layer entry
    grouping split;
    uint32_t offsets[3];  // A, B, none: biased lanes
    int blend_level;
    bool shadow_clear15;  // 0x61004C bit 2: bit 15 clear means shadowed
    bool any_blend;       // some layer entry has a blend mask
};

void build_lists(unsigned layer_mask, mix_setup& m) {
    const bool blending = (mixer_reg(MIX_BLEND) >> 11) & 1;
    const uint16_t control = mixer_reg(MIX_OFFSET_CONTROL);
    source_entry* sorted = m.layers;
    int8_t* slot = m.layer_slot;
    int n = 0;
    for (int i = 0; i < 6; ++i) {
        const uint16_t r = mixer_reg(MIX_LAYER0 + i);
        if (!(layer_mask & (1u << i)) || !(r & 15)) continue;
        const uint16_t mask = mixer_reg(MIX_MASK0 + i);
        sorted[n] = {bank_of(r),
                     group_mask_of(mask),
                     blending ? static_cast<uint8_t>(mask >> 6) : uint8_t{0},
                     static_cast<uint8_t>(i),
                     static_cast<uint8_t>((r & 15) << 3 | (6 - i)),
                     shift_of(r),
                     offset_set((control >> i) & 1, (mask >> 14) & 1)};
        slot[n++] = static_cast<int8_t>(i);
    }
    const uint16_t backdrop = mixer_reg(MIX_BACKDROP);
    sorted[n] = {bank_of(backdrop),
                 0,
                 0,
                 SOURCE_BACKDROP,
                 8,
                 shift_of(backdrop),
                 offset_set((control >> 8) & 1, (control >> 14) & 1)};
    slot[n++] = LAYER_BACKDROP;
    // Insertion sort, highest key first; keys are distinct.
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && sorted[j].key > sorted[j - 1].key; --j) {
            std::swap(sorted[j], sorted[j - 1]);
            std::swap(slot[j], slot[j - 1]);
        }
    m.count = n;

    const uint16_t sprites = mixer_reg(MIX_SPRITES);
    m.split = groupings[sprites & 15];
    const uint8_t sprite_offsets = offset_set((control >> 6) & 1, (sprites >> 15) & 1);
    for (int g = 0; g <= m.split.mask; ++g) {
        const int group = m.split.base | g;
        const uint16_t r = mixer_reg(MIX_GROUP0 + group);
        m.sprites[g] = {
            sprite_bank(group), 0, 0, SOURCE_SPRITES, static_cast<uint8_t>((r & 15) << 3 | 7), shift_of(r),
            sprite_offsets};
    }

    for (int s = 0; s < 2; ++s) {
        const auto lane = [s](int c) {
            return static_cast<uint32_t>(sign_extend(mixer_reg(MIX_OFFSET_A + 3 * s + c), 6) + 32);
        };
        m.offsets[s] = lane(0) | lane(1) << 10 | lane(2) << 20;
    }
    m.offsets[OFFSET_NONE] = LANE_BIAS;
    m.any_blend = false;
    for (int i = 0; i < n; ++i) {
        m.offset_of[i] = m.offsets[sorted[i].offset_set];
        m.any_blend |= sorted[i].blend_mask != 0;
    }
    m.blend_level = (mixer_reg(MIX_BLEND) >> 8) & 7;
    m.shadow_clear15 = (sprites >> 2) & 1;
}

// The palette as lanes (without bias or offsets), converted once a frame.
uint32_t palette_lanes[0x4000];

void convert_palette() {
    const uint16_t* __restrict palette = orb_board.palette;
    uint32_t* __restrict out = palette_lanes;
    for (int i = 0; i < 0x4000; ++i) {
        const uint32_t e = palette[i];
        out[i] = (e & 0x1F) | (e & 0x3E0) << 5 | (e & 0x7C00) << 10;
    }
}

[[gnu::always_inline]] inline uint32_t lanes_of(uint32_t index) { return palette_lanes[index]; }

// Per column of a row: the palette index and entry number of the top opaque
// layer (the backdrop when no layer is) and, with blending, of the first
// opaque one under it. Rows are worked in blocks of 16 columns; the shown
// widths are multiples of 16, and in any case a last block stays within the
// 416 columns of these scratch rows and of the layer rows it reads.
constexpr int BLOCK = 16;
struct row_sources {
    alignas(16) uint16_t top_index[ORB_VIDEO_COLUMNS];
    alignas(16) uint16_t top[ORB_VIDEO_COLUMNS];
    alignas(16) uint16_t under_index[ORB_VIDEO_COLUMNS];
    alignas(16) uint16_t under[ORB_VIDEO_COLUMNS];
};

// Lays entry e's row over the sources found so far: where its pixel is
// opaque it becomes the top, and the old top moves under it. The backdrop
// (Base) is opaque everywhere and starts the row. Shift is the entry's colour
// shift, a constant so that the compiler can keep 16-bit lanes.
template <bool Under, bool Base, int Shift>
void lay_over(row_sources& r, const uint16_t* __restrict row, uint16_t bank, uint16_t e, int from, int to) {
    uint16_t* __restrict top_index = r.top_index;
    uint16_t* __restrict top = r.top;
    uint16_t* __restrict under_index = r.under_index;
    uint16_t* __restrict under = r.under;
    for (int b = from; b < to; b += BLOCK)
        for (int x = b; x < b + BLOCK; ++x) {
            const auto v = static_cast<uint16_t>(row[x] & 0x1FFF);
            const auto high = static_cast<uint16_t>(static_cast<uint16_t>(v >> Shift) & 0xFFF0);
            const auto index = static_cast<uint16_t>(static_cast<uint16_t>(high + bank + (v & 0xF)) & 0x3FFF);
            if constexpr (Base) {
                top_index[x] = index;
                top[x] = e;
                if constexpr (Under) under[x] = e;
                continue;
            }
            const uint16_t opaque = static_cast<uint16_t>(-(v != 0));  // all ones where opaque
            if constexpr (Under) {
                under_index[x] = static_cast<uint16_t>((top_index[x] & opaque) | (under_index[x] & ~opaque));
                under[x] = static_cast<uint16_t>((top[x] & opaque) | (under[x] & ~opaque));
            }
            top_index[x] = static_cast<uint16_t>((index & opaque) | (top_index[x] & ~opaque));
            top[x] = static_cast<uint16_t>((e & opaque) | (top[x] & ~opaque));
        }
}

template <bool Under, bool Base>
void lay_entry(row_sources& r, const uint16_t* row, const source_entry& s, int e, int from, int to) {
    const auto entry = static_cast<uint16_t>(e);
    switch (s.shift) {
    case 0: lay_over<Under, Base, 0>(r, row, s.bank, entry, from, to); break;
    case 1: lay_over<Under, Base, 1>(r, row, s.bank, entry, from, to); break;
    case 2: lay_over<Under, Base, 2>(r, row, s.bank, entry, from, to); break;
    default: lay_over<Under, Base, 3>(r, row, s.bank, entry, from, to); break;
    }
}

template <bool Under>
void find_sources(row_sources& r, const mix_setup& m, int y, int from, int to) {
    const int backdrop = m.count - 1;
    lay_entry<Under, true>(r, video.layers[LAYER_BACKDROP].pixels[y], m.layers[backdrop], backdrop, from, to);
    for (int i = backdrop - 1; i >= 0; --i) {
        const layer_record& layer = video.layers[m.layer_slot[i]];
        if (!layer.row_empty[y]) lay_entry<Under, false>(r, layer.pixels[y], m.layers[i], i, from, to);
    }
}

// Clamps each biased lane to 0..31 and places the components.
[[gnu::always_inline]] inline uint32_t pack(uint32_t c) {
    const int32_t red = std::clamp(static_cast<int32_t>(c & 0x7F) - 32, 0, 31);
    const int32_t green = std::clamp(static_cast<int32_t>((c >> 10) & 0x7F) - 32, 0, 31);
    const int32_t blue = std::clamp(static_cast<int32_t>((c >> 20) & 0x7F) - 32, 0, 31);
    return static_cast<uint32_t>(red << 19 | green << 11 | blue << 3);
}

void pack_row(const uint32_t* __restrict colour, uint32_t* __restrict out, int from, int to) {
    const int blocks = (to - from) / BLOCK;
    for (int b = 0; b < blocks; ++b) {
        const uint32_t* in = colour + from + b * BLOCK;
        uint32_t* at = out + from + b * BLOCK;
        for (int k = 0; k < BLOCK; ++k) at[k] = pack(in[k]);
    }
    for (int x = from + blocks * BLOCK; x < to; ++x) out[x] = pack(colour[x]);
}

// With one offset for every source and no blending, each palette entry has
// one output pixel, converted once a frame.
uint32_t palette_packed[0x4000];

void pack_palette(uint32_t offset) {
    const uint32_t* __restrict lanes = palette_lanes;
    uint32_t* __restrict out = palette_packed;
    for (int i = 0; i < 0x4000; ++i) out[i] = pack(lanes[i] + offset);
}

}  // namespace

void mix_layers(unsigned layer_mask) {
    const clip_rect& c = video.clip;
    mix_setup m;
    build_lists(layer_mask, m);
    convert_palette();
    const uint8_t flips = orb_board.sprite_latched[2];
    const uint16_t(*sprite_frame)[ORB_VIDEO_COLUMNS] = video.sprite_frames[video.sprite_frame_index & 1];
    const uint32_t colour_bits = (1u << m.split.shift) - 1;
    const uint32_t shadow_pen = colour_bits & 0x3FFE;
    const uint32_t keep = static_cast<uint32_t>(7 - m.blend_level);
    const uint32_t take = static_cast<uint32_t>(m.blend_level + 1);
    const auto blend = [keep, take](uint32_t top, uint32_t under) {
        // (top * (7 - x) + under * (x + 1)) >> 3 in every lane; the bias
        // comes out unchanged (32 * 8 / 8) and flooring matches an
        // arithmetic shift of the unbiased value.
        return ((top * keep + under * take) >> 3) & lanes(0x7F);
    };
    const uint32_t sprite_offset = m.offsets[m.sprites[0].offset_set];  // the same for every group
    uint8_t top_key[7], sprite_key[16], blend_of[7];
    uint8_t blends_with[7][8] = {};  // entry t blends with entry u under it
    for (int i = 0; i < m.count; ++i) {
        top_key[i] = m.layers[i].key;
        blend_of[i] = m.layers[i].blend_mask;
        for (int u = 0; u < m.count; ++u)
            blends_with[i][u] = (m.layers[i].blend_mask >> m.layers[u].source) & 1;
    }
    for (int g = 0; g <= m.split.mask; ++g) sprite_key[g] = m.sprites[g].key;
    bool uniform = !m.any_blend;
    for (int i = 0; i < m.count; ++i) uniform &= m.offset_of[i] == sprite_offset;
    if (uniform) pack_palette(sprite_offset);
    const int from = c.x_min;
    const int to = c.x_max + 1;

    static row_sources r;
    // A sprite pixel's group and colour value, whether it shows, and whether
    // a walk that meets its entry sets the shadow flag: for a shadow pen, or
    // with bit 15 clear when 0x61004C bit 2 says so.
    struct sprite_pixel {
        int g;
        uint32_t value;
        bool opaque, shadow;
    };
    const auto classify = [&](uint32_t p) {
        const uint32_t value = p & colour_bits & 0x3FFF;
        const bool empty = (p & 0x7FFF) == 0x7FFF;
        const bool opaque = !empty && (value & 0x3FFE) != shadow_pen;
        return sprite_pixel{static_cast<int>((p >> m.split.shift) & m.split.mask), value, opaque,
                            (!empty && !opaque) || (!(p & 0x8000) && m.shadow_clear15)};
    };
    const auto sprite_colour = [&](const sprite_pixel& sp) {
        return lanes_of(palette_index(m.sprites[sp.g], sp.value)) + sprite_offset;
    };
    // Halving the biased lanes halves the bias too: put 16 back.
    const auto shadowed = [](uint32_t colour) { return ((colour >> 1) & lanes(0x3F)) + lanes(16); };

    // The colour at column x of the current row where sprite pixel p covers
    // it, from `layers`, the colour of the layers alone there. A sprite that
    // is not opaque leaves that colour as it is.
    const auto covered = [&](int x, uint32_t p, uint32_t layers) {
        const int t = r.top[x];
        const int g = static_cast<int>((p >> m.split.shift) & m.split.mask);
        // The walks meet the sprite entry only above the top layer or, when
        // that one blends, between it and the layer under it.
        const bool first_walk = sprite_key[g] > top_key[t];
        if (!first_walk && !(blend_of[t] && sprite_key[g] > top_key[r.under[x]])) return layers;
        const sprite_pixel sp = classify(p);
        uint32_t colour = layers;
        if (first_walk) {
            if (sp.opaque) colour = sprite_colour(sp);
        } else if (sp.opaque) {
            // The second walk: an opaque sprite is the blend candidate.
            const source_entry& s = m.layers[t];
            colour = lanes_of(r.top_index[x]) + m.offset_of[t];
            if ((s.blend_mask >> SOURCE_SPRITES) & 1 && (s.group_mask >> (m.split.base | g)) & 1)
                colour = blend(colour, sprite_colour(sp));
        }
        return sp.shadow ? shadowed(colour) : colour;
    };

    alignas(16) uint16_t mirrored[ORB_VIDEO_COLUMNS];
    alignas(16) uint32_t colour[ORB_VIDEO_COLUMNS];
    for (int y = c.y_min; y <= c.y_max; ++y) {
        const uint16_t* sprite_row = sprite_frame[(flips & 2) ? c.y_max - y + c.y_min : y];
        if (flips & 1) {
            for (int x = from; x < to; ++x) mirrored[x] = sprite_row[c.x_max - x + c.x_min];
            sprite_row = mirrored;
        }
        // Calls f(x, p) for each column x whose sprite pixel p is not 0xFFFF
        // (that one neither shows nor shadows).
        const auto each_covered = [&](auto f) {
            for (int x = from; x < to;) {
                // Sixteen columns at a time while none is covered.
                if (x + 16 <= to) {
                    uint64_t w[4];
                    std::memcpy(w, sprite_row + x, 32);
                    if ((w[0] & w[1] & w[2] & w[3]) == ~0ull) {
                        x += 16;
                        continue;
                    }
                }
                const int end = std::min(x + 16, to);
                for (; x < end; ++x)
                    if (sprite_row[x] != 0xFFFF) f(x, sprite_row[x]);
            }
        };
        uint32_t* out = video.frame[y];

        if (uniform) {
            find_sources<false>(r, m, y, from, to);
            for (int x = from; x < to; ++x) out[x] = palette_packed[r.top_index[x]];
            // Without blending a sprite matters only where the first walk
            // meets it, above the top layer.
            each_covered([&](int x, uint32_t p) {
                if (sprite_key[(p >> m.split.shift) & m.split.mask] <= top_key[r.top[x]]) return;
                const sprite_pixel sp = classify(p);
                if (!sp.shadow) {
                    if (sp.opaque) out[x] = palette_packed[palette_index(m.sprites[sp.g], sp.value)];
                    return;
                }
                out[x] =
                    pack(shadowed(sp.opaque ? sprite_colour(sp) : lanes_of(r.top_index[x]) + sprite_offset));
            });
            continue;
        }
        // First every pixel as if no sprite covered it: the top layer, blended
        // with the one under it when its mask says so; then the covered ones.
        if (m.any_blend) {
            find_sources<true>(r, m, y, from, to);
            for (int x = from; x < to; ++x) {
                const int t = r.top[x];
                const int u = r.under[x];
                const uint32_t col = lanes_of(r.top_index[x]) + m.offset_of[t];
                colour[x] = blends_with[t][u] ? blend(col, lanes_of(r.under_index[x]) + m.offset_of[u]) : col;
            }
        } else {
            find_sources<false>(r, m, y, from, to);
            for (int x = from; x < to; ++x) colour[x] = lanes_of(r.top_index[x]) + m.offset_of[r.top[x]];
        }
        each_covered([&](int x, uint32_t p) { colour[x] = covered(x, p, colour[x]); });
        pack_row(colour, out, from, to);
    }
}

uint16_t orb_video_tile_pen_color(int layer, int colour, int pen) {
    const uint16_t r = mixer_reg(MIX_LAYER0 + 1 + (layer & 3));
    const source_entry s{bank_of(r), 0, 0, 0, 0, shift_of(r), OFFSET_NONE};
    const uint32_t v = ((static_cast<uint32_t>(colour) << 4) & 0x1FF0) | (pen & 0xF);
    return orb_board.palette[palette_index(s, v)];
}

uint16_t orb_video_sprite_pixel_color(uint16_t pixel) {
    const grouping split = groupings[mixer_reg(MIX_SPRITES) & 15];
    const int group = ((pixel >> split.shift) & split.mask) | split.base;
    const uint16_t r = mixer_reg(MIX_GROUP0 + group);
    const source_entry s{sprite_bank(group), 0, 0, SOURCE_SPRITES, 0, shift_of(r), OFFSET_NONE};
    return orb_board.palette[palette_index(s, pixel & ((1u << split.shift) - 1) & 0x3FFF)];
}
