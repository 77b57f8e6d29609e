// The mixer: per pixel, the first opaque source from the top of a priority
// list (layers, one sprite group, the backdrop), its palette colour, an
// optional blend with the next opaque source below, colour offsets and the
// sprite shadow, packed into the output picture.
#include <algorithm>
#include <array>

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
    {14, 0, 1}, {14, 1, 2}, {13, 3, 4}, {12, 7, 8}, {14, 1, 0},  {13, 3, 0},  {12, 7, 0},  {11, 15, 0},
    {14, 1, 0}, {13, 3, 0}, {12, 7, 0}, {11, 15, 0}, {13, 1, 0}, {12, 3, 0}, {11, 7, 0}, {10, 15, 0},
};

const uint16_t transparent_row[ORB_VIDEO_COLUMNS] = {};

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

// Clamped and placed components of the output pixel, by biased lane value.
template <int Shift>
constexpr std::array<uint32_t, 128> clamp_table() {
    std::array<uint32_t, 128> t{};
    for (int v = 0; v < 128; ++v) t[static_cast<size_t>(v)] = static_cast<uint32_t>(std::clamp(v - 32, 0, 31)) << Shift;
    return t;
}
constexpr auto clamp_red = clamp_table<19>();
constexpr auto clamp_green = clamp_table<11>();
constexpr auto clamp_blue = clamp_table<3>();

// One per sprite group: the sorted sources with the group's sprite entry
// inserted; `layer_slot` points each entry at the row it reads (-1 sprite).
struct source_list {
    source_entry entries[8];
    int8_t layer_slot[8];
    int count;
    int backdrop_at;
};

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

struct mix_setup {
    source_list lists[16];
    grouping split;
    uint32_t offsets[3];  // A, B, none: biased lanes
    int blend_level;
    bool shadow_clear15; // 0x61004C bit 2: bit 15 clear means shadowed
};

void build_lists(unsigned layer_mask, mix_setup& m) {
    const bool blending = (mixer_reg(MIX_BLEND) >> 11) & 1;
    const uint16_t control = mixer_reg(MIX_OFFSET_CONTROL);
    source_entry sorted[8];
    int8_t slot[8];
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
    sorted[n] = {bank_of(backdrop), 0, 0, SOURCE_BACKDROP, 8, shift_of(backdrop),
                 offset_set((control >> 8) & 1, (control >> 14) & 1)};
    slot[n++] = LAYER_BACKDROP;
    // Insertion sort, highest key first; keys are distinct.
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && sorted[j].key > sorted[j - 1].key; --j) {
            std::swap(sorted[j], sorted[j - 1]);
            std::swap(slot[j], slot[j - 1]);
        }

    const uint16_t sprites = mixer_reg(MIX_SPRITES);
    m.split = groupings[sprites & 15];
    const uint8_t sprite_offsets = offset_set((control >> 6) & 1, (sprites >> 15) & 1);
    for (int g = 0; g <= m.split.mask; ++g) {
        const int group = m.split.base | g;
        const uint16_t r = mixer_reg(MIX_GROUP0 + group);
        const source_entry sprite{sprite_bank(group), 0, 0, SOURCE_SPRITES,
                                  static_cast<uint8_t>((r & 15) << 3 | 7), shift_of(r), sprite_offsets};
        source_list& list = m.lists[g];
        list.count = 0;
        bool placed = false;
        for (int i = 0; i < n; ++i) {
            if (!placed && sorted[i].key < sprite.key) {
                list.entries[list.count] = sprite;
                list.layer_slot[list.count++] = -1;
                placed = true;
            }
            list.entries[list.count] = sorted[i];
            list.layer_slot[list.count++] = slot[i];
        }
        if (!placed) {
            list.entries[list.count] = sprite;
            list.layer_slot[list.count++] = -1;
        }
        for (int i = 0; i < list.count; ++i)
            if (list.layer_slot[i] == LAYER_BACKDROP) list.backdrop_at = i;
    }

    for (int s = 0; s < 2; ++s) {
        const auto lane = [s](int c) {
            return static_cast<uint32_t>(sign_extend(mixer_reg(MIX_OFFSET_A + 3 * s + c), 6) + 32);
        };
        m.offsets[s] = lane(0) | lane(1) << 10 | lane(2) << 20;
    }
    m.offsets[OFFSET_NONE] = LANE_BIAS;
    m.blend_level = (mixer_reg(MIX_BLEND) >> 8) & 7;
    m.shadow_clear15 = (sprites >> 2) & 1;
}

// The palette colour of a source's value plus its offsets, as biased lanes.
[[gnu::always_inline]] inline uint32_t colour_of(const mix_setup& m, const source_entry& s, uint32_t value) {
    const uint32_t e = orb_board.palette[palette_index(s, value)];
    return ((e & 0x1F) | (e & 0x3E0) << 5 | (e & 0x7C00) << 10) + m.offsets[s.offset_set];
}

uint32_t pack(uint32_t colour) {
    return clamp_red[colour & 0x7F] | clamp_green[(colour >> 10) & 0x7F] | clamp_blue[(colour >> 20) & 0x7F];
}

enum class sprite_kind { opaque, empty, shadow_pen };

// One walk down a list from entry `from` over the row's pixels of each entry
// (null for the sprite entry): returns the index of the first opaque source
// (the backdrop always is) and its value; meeting the sprite entry sets the
// shadow flag.
[[gnu::always_inline]] inline int walk(const source_list& list, const uint16_t* const* rows, int from, int x,
                                       sprite_kind kind, uint32_t sprite_value, bool sprite_shadows, bool& shadow,
                                       uint32_t& value) {
    for (int i = from; i < list.count; ++i) {
        const uint16_t* row = rows[i];
        if (!row) {
            shadow = kind == sprite_kind::shadow_pen || sprite_shadows;
            if (kind == sprite_kind::opaque) {
                value = sprite_value;
                return i;
            }
            continue;
        }
        const uint32_t v = row[x] & 0x1FFFu;
        if (v || i == list.backdrop_at) {
            value = v;
            return i;
        }
    }
    return -1;  // unreachable: every list ends in the backdrop or the sprite after it
}

}  // namespace

void mix_layers(unsigned layer_mask) {
    const clip_rect& c = video.clip;
    mix_setup m;
    build_lists(layer_mask, m);
    const uint8_t flips = orb_board.sprite_latched[2];
    const uint16_t(*sprite_frame)[ORB_VIDEO_COLUMNS] = video.sprite_frames[video.sprite_frame_index & 1];
    const uint32_t colour_bits = (1u << m.split.shift) - 1;
    const uint32_t shadow_pen = colour_bits & 0x3FFE;

    for (int y = c.y_min; y <= c.y_max; ++y) {
        const uint16_t* layer_rows[8];
        for (int i = 0; i < 8; ++i) {
            const layer_record& layer = video.layers[i];
            layer_rows[i] = layer.row_empty[y] ? transparent_row : layer.pixels[y];
        }
        // Each list's entries point straight at their rows.
        const uint16_t* list_rows[16][8];
        for (int g = 0; g <= m.split.mask; ++g) {
            const source_list& list = m.lists[g];
            for (int i = 0; i < list.count; ++i)
                list_rows[g][i] = list.layer_slot[i] < 0 ? nullptr : layer_rows[list.layer_slot[i]];
        }
        const uint16_t* sprite_row = sprite_frame[(flips & 2) ? c.y_max - y + c.y_min : y];
        uint32_t* out = video.frame[y];
        for (int x = c.x_min; x <= c.x_max; ++x) {
            const uint32_t p = sprite_row[(flips & 1) ? c.x_max - x + c.x_min : x];
            const int g = static_cast<int>((p >> m.split.shift) & m.split.mask);
            const source_list& list = m.lists[g];
            const uint32_t sprite_value = p & colour_bits & 0x3FFF;
            sprite_kind kind = sprite_kind::opaque;
            if ((p & 0x7FFF) == 0x7FFF) {
                kind = sprite_kind::empty;
            } else if ((sprite_value & 0x3FFE) == shadow_pen) {
                kind = sprite_kind::shadow_pen;
            }
            const bool sprite_shadows = !(p & 0x8000) && m.shadow_clear15;

            bool shadow = false;
            uint32_t value = 0;
            const int top = walk(list, list_rows[g], 0, x, kind, sprite_value, sprite_shadows, shadow, value);
            const source_entry& s = list.entries[top];
            uint32_t colour = colour_of(m, s, value);
            if (s.blend_mask) {
                uint32_t below_value = 0;
                const int below =
                    walk(list, list_rows[g], top + 1, x, kind, sprite_value, sprite_shadows, shadow, below_value);
                if (below >= 0) {
                    const source_entry& b = list.entries[below];
                    const bool group_ok =
                        b.source != SOURCE_SPRITES || ((s.group_mask >> (m.split.base | g)) & 1);
                    if (((s.blend_mask >> b.source) & 1) && group_ok) {
                        // (top * (7 - x) + below * (x + 1)) >> 3 in every lane; the
                        // bias comes out unchanged (32 * 8 / 8) and flooring
                        // matches an arithmetic shift of the unbiased value.
                        const uint32_t under = colour_of(m, b, below_value);
                        colour = ((colour * static_cast<uint32_t>(7 - m.blend_level) +
                                   under * static_cast<uint32_t>(m.blend_level + 1)) >>
                                  3) &
                                 lanes(0x7F);
                    }
                }
            }
            // Halving the biased lane halves the bias too: put 16 back.
            if (shadow) colour = ((colour >> 1) & lanes(0x3F)) + lanes(16);
            out[x] = pack(colour);
        }
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
