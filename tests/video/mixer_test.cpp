// The mixer on hand-set layer pixels and sprite-frame pixels, with the
// identity palette: the output names the palette index chosen, or shows the
// blended, offset and shadowed components.
#include <functional>

#include "tests/video/video_fixture.h"

namespace {

class MixerTest : public VideoTest {
public:
    void SetUp() override {
        VideoTest::SetUp();
        video.clip = {0, 415, 0, 223};
        for (auto& layer : video.layers) {
            for (auto& row : layer.pixels) std::fill(std::begin(row), std::end(row), uint16_t{0});
            std::fill(std::begin(layer.row_empty), std::end(layer.row_empty), uint8_t{0});
        }
        fill_shown_sprites(0xFFFF);
        backdrop(0x0123);
    }

    static void fill_layer(int i, uint16_t v) {
        for (auto& row : video.layers[i].pixels) std::fill(std::begin(row), std::end(row), v);
    }
    static void backdrop(uint16_t v) { fill_layer(LAYER_BACKDROP, v); }
    // Priority, bank and colour shift of layer i.
    static void layer_reg(int i, int priority, int bank = 0, int shift = 0) {
        mixer(MIX_LAYER0 + i, static_cast<uint16_t>(shift << 8 | bank << 4 | priority));
    }
    static void group_reg(int g, int priority, int bank = 0, int shift = 0) {
        mixer(g, static_cast<uint16_t>(shift << 8 | bank << 4 | priority));
    }
    static uint32_t mix_at(unsigned mask, int x = 10, int y = 10) {
        mix_layers(mask);
        return pixel(x, y);
    }
    static int index_of(unsigned mask) {
        mix_layers(mask);
        return index_at(10, 10);
    }
    // The packed colour of a palette index with the identity palette.
    static uint32_t colour(int index) { return rgb(index & 31, (index >> 5) & 31, (index >> 10) & 31); }
};

constexpr unsigned ALL = 0x3F;

TEST_F(MixerTest, PriorityOrder) {
    struct Case {
        const char* name;
        std::function<void()> setup;
        unsigned mask;
        int want;
    };
    const Case cases[] = {
        {"priority 0 takes no part even when drawn", [] { fill_layer(0, 0x21); }, ALL, 0x123},
        {"sprites over the backdrop when every layer is at priority 0",
         [] {
             fill_layer(0, 0x21);
             fill_shown_sprites(0x8042);
             group_reg(1, 1);
         },
         ALL, 0x42},
        {"text above NBG0 at the same priority",
         [] {
             fill_layer(0, 0x21);
             fill_layer(1, 0x31);
             layer_reg(0, 4);
             layer_reg(1, 4);
         },
         ALL, 0x21},
        {"sprites above text and NBG0 at the same priority",
         [] {
             fill_layer(0, 0x21);
             fill_layer(1, 0x31);
             layer_reg(0, 4);
             layer_reg(1, 4);
             fill_shown_sprites(0x8042);
             group_reg(1, 4);
         },
         ALL, 0x42},
        {"sprite group at priority 0 is behind the backdrop",
         [] {
             fill_shown_sprites(0x8042);
             group_reg(1, 0);
         },
         ALL, 0x123},
        {"higher priority wins",
         [] {
             fill_layer(0, 0x21);
             fill_layer(2, 0x31);
             layer_reg(0, 4);
             layer_reg(2, 5);
         },
         ALL, 0x31},
        {"NBG3 above the bitmap at the same priority",
         [] {
             fill_layer(5, 0x51);
             fill_layer(4, 0x41);
             layer_reg(5, 2);
             layer_reg(4, 2);
         },
         ALL, 0x41},
        {"a transparent pixel falls through",
         [] {
             fill_layer(3, 0x2000);  // only bit 13: 0 once masked to 13 bits
             fill_layer(4, 0x41);
             layer_reg(3, 9);
             layer_reg(4, 2);
         },
         ALL, 0x41},
        {"a layer off this frame is ignored",
         [] {
             fill_layer(3, 0x33);
             layer_reg(3, 9);
         },
         ALL & ~(1u << 3), 0x123},
        {"row_empty rows read as transparent",
         [] {
             fill_layer(3, 0x33);
             layer_reg(3, 9);
             video.layers[3].row_empty[10] = 1;
         },
         ALL, 0x123},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        SetUp();
        tc.setup();
        EXPECT_EQ(index_of(tc.mask), tc.want);
    }
}

TEST_F(MixerTest, ColourIndexFormula) {
    struct Case {
        uint16_t value;
        int bank, shift;
        int want;
    };
    const Case cases[] = {
        {0x1234, 0, 0, 0x1234},  {0x1234, 0, 1, 0x0914},  // (0x91A & 0xFFF0) + 4
        {0x1234, 5, 3, 0x1644},                           // 0x240 + 5 * 1024 + 4
        {0x1FFF, 15, 0, 0x1BFF},                          // wraps at 16,384
        {0xE005, 0, 0, 0x0005},                           // layer values keep 13 bits
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(::testing::Message()
                     << std::hex << tc.value << " bank " << tc.bank << " shift " << tc.shift);
        fill_layer(2, tc.value);
        layer_reg(2, 3, tc.bank, tc.shift);
        EXPECT_EQ(index_of(ALL), tc.want);
        EXPECT_EQ(orb_video_tile_pen_color(1, tc.value >> 4, tc.value & 15), tc.want & 0x7FFF)
            << "look-up for outside callers (12-4 colour bits)";
    }
    // The backdrop's value 0 is a real colour: its bank's first entry.
    backdrop(0);
    mixer(MIX_BACKDROP, 3 << 4);
    layer_reg(2, 0);
    EXPECT_EQ(index_of(ALL), 3 * 1024);
}

TEST_F(MixerTest, SpriteGroupingRows) {
    struct Row {
        int shift, mask, base;
    };
    // The sixteen rows of 0x61004C bits 3-0.
    const Row rows[16] = {{14, 0, 1}, {14, 1, 2},  {13, 3, 4}, {12, 7, 8}, {14, 1, 0}, {13, 3, 0},
                          {12, 7, 0}, {11, 15, 0}, {14, 1, 0}, {13, 3, 0}, {12, 7, 0}, {11, 15, 0},
                          {13, 1, 0}, {12, 3, 0},  {11, 7, 0}, {10, 15, 0}};
    for (int row = 0; row < 16; ++row)
        for (uint16_t p : {uint16_t{0xDA53}, uint16_t{0x8123}, uint16_t{0xF7A1}}) {
            SCOPED_TRACE(::testing::Message() << "row " << row << " pixel 0x" << std::hex << p);
            const uint16_t sprites = static_cast<uint16_t>(9 << 4 | row);
            mixer(MIX_SPRITES, sprites);  // bank 9 for all sprites when bits 1-0 are both set
            for (int g = 0; g < 16; ++g) group_reg(g, 1, g, g & 3);
            fill_shown_sprites(p);
            const Row& r = rows[row];
            const int group = ((p >> r.shift) & r.mask) | r.base;
            const int value = p & ((1 << r.shift) - 1) & 0x3FFF;
            const int bank = (row & 3) == 3 ? 9 : group;  // bits 1-0 both set: one bank for all
            const int shift = group & 3;
            const int want = (((value >> shift) & 0xFFF0) + bank * 1024 + (value & 15)) & 0x3FFF;
            EXPECT_EQ(index_of(ALL), want);
            EXPECT_EQ(orb_video_sprite_pixel_color(p), want);
        }
}

TEST_F(MixerTest, BlendLevels) {
    // Text (top, R 20 G 4 B 6) blends with NBG0 below (R 4 G 28 B 0).
    const int want[8][3] = {{18, 7, 5},  {16, 10, 4}, {14, 13, 3}, {12, 16, 3},
                            {10, 19, 2}, {8, 22, 1},  {6, 25, 0},  {4, 28, 0}};
    fill_layer(0, 20 | 4 << 5 | 6 << 10);
    fill_layer(1, 4 | 28 << 5);
    layer_reg(0, 5);
    layer_reg(1, 4);
    mixer(MIX_MASK0 + 0, 1 << (6 + 1));  // text blends with NBG0
    for (int x = 0; x < 8; ++x) {
        SCOPED_TRACE(x);
        mixer(MIX_BLEND, static_cast<uint16_t>(0x800 | x << 8));
        EXPECT_EQ(mix_at(ALL), rgb(want[x][0], want[x][1], want[x][2]));
    }
    mixer(MIX_BLEND, 0x700);  // blending off: the masks count as 0
    EXPECT_EQ(mix_at(ALL), rgb(20, 4, 6));
    mixer(MIX_BLEND, 0xF00);
    mixer(MIX_MASK0 + 0, 1 << (6 + 7));  // blends with the backdrop only: NBG0 is the candidate, no blend
    EXPECT_EQ(mix_at(ALL), rgb(20, 4, 6));
    fill_layer(1, 0);  // now the backdrop is the candidate
    EXPECT_EQ(mix_at(ALL), colour(0x123));
}

TEST_F(MixerTest, SpriteGroupMaskModes) {
    struct Case {
        int mode, n, group;
        bool blends;
    };
    const Case cases[] = {
        {0, 3, 3, true},  {0, 3, 2, false},  {0, 3, 4, false}, {1, 3, 0, true},  {1, 3, 3, true},
        {1, 3, 4, false}, {2, 3, 2, false},  {2, 3, 3, true},  {2, 3, 15, true}, {3, 3, 0, true},
        {3, 3, 15, true}, {0, 15, 15, true}, {1, 15, 9, true}, {2, 0, 0, true},
    };
    mixer(MIX_SPRITES, 11);   // shift 11, 16 groups
    mixer(MIX_BLEND, 0xF00);  // level 7: a blend shows the candidate alone
    fill_layer(0, 0x0401);
    layer_reg(0, 5);
    for (int g = 0; g < 16; ++g) group_reg(g, 3);
    for (const Case& tc : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << tc.mode << " n " << tc.n << " group " << tc.group);
        mixer(MIX_MASK0 + 0, static_cast<uint16_t>(1 << (6 + 6) | tc.mode << 4 | tc.n));
        fill_shown_sprites(static_cast<uint16_t>(0x8000 | tc.group << 11 | 0x0055));
        EXPECT_EQ(mix_at(ALL), tc.blends ? colour(0x55) : colour(0x401));
    }
}

TEST_F(MixerTest, ColourOffsetSelection) {
    struct Case {
        bool mode, bit, set_a;
        int set;  // 0 A, 1 B, 2 none
    };
    const Case cases[] = {
        {false, true, false, 2},  {false, true, true, 2},  {true, false, false, 2}, {true, false, true, 0},
        {false, false, false, 1}, {false, false, true, 0}, {true, true, false, 1},  {true, true, true, 0},
    };
    const int a[3] = {3, -2, 1}, b[3] = {-5, 7, 0};
    for (int source = 0; source < 3; ++source)
        for (const Case& tc : cases) {
            SCOPED_TRACE(::testing::Message()
                         << (source == 0   ? "layer"
                             : source == 1 ? "sprites"
                                           : "backdrop")
                         << " mode " << tc.mode << " bit " << tc.bit << " A " << tc.set_a);
            SetUp();
            mixer(MIX_OFFSET_A + 0, 3);
            mixer(MIX_OFFSET_A + 1, 0x3E);    // -2 in 6 bits
            mixer(MIX_OFFSET_A + 2, 0xFFC1);  // bits above 5 ignored: 1
            mixer(MIX_OFFSET_B + 0, 0x3B);    // -5
            mixer(MIX_OFFSET_B + 1, 7);
            mixer(MIX_OFFSET_B + 2, 0);
            const uint16_t v = 10 | 10 << 5;  // red 10, green 10, blue 0
            uint16_t control = tc.mode ? 0x8000 : 0;
            if (source == 0) {
                fill_layer(2, v);
                layer_reg(2, 3);
                mixer(MIX_MASK0 + 2, tc.set_a ? 0x4000 : 0);
                if (tc.bit) control |= 1 << 2;
            } else if (source == 1) {
                fill_shown_sprites(0x8000 | v);
                group_reg(1, 3);  // grouping row 0: every pixel in group 1
                mixer(MIX_SPRITES, tc.set_a ? 0x8000 : 0);
                if (tc.bit) control |= 1 << 6;
            } else {
                backdrop(v);
                if (tc.set_a) control |= 0x4000;
                if (tc.bit) control |= 1 << 8;
            }
            mixer(MIX_OFFSET, control);
            const int* o = tc.set == 0 ? a : tc.set == 1 ? b : nullptr;
            const int r = 10 + (o ? o[0] : 0), g = 10 + (o ? o[1] : 0), bl = o ? o[2] : 0;
            EXPECT_EQ(mix_at(ALL), rgb(r, g, std::max(bl, 0)));
        }
}

TEST_F(MixerTest, ShadowsAndClampAfterHalving) {
    struct Case {
        const char* name;
        uint16_t sprites_reg;  // 0x61004C
        uint16_t sprite;       // every sprite-frame pixel
        bool text_on_top;      // text at priority 5 above the sprites (priority 3)
        bool text_blends;      // text's blend mask includes the sprites
        uint32_t want;
    };
    // Backdrop R 12 G 20 B 2; text R 6 G 8 B 5; sprite colour 0x0055 (R 21 G 2).
    const uint16_t bd = 12 | 20 << 5 | 2 << 10;
    const uint16_t text = 6 | 8 << 5 | 5 << 10;  // layer values keep 13 bits
    const Case cases[] = {
        {"0xFFFF is transparent and never shadows", 0x0004, 0xFFFF, false, false, rgb(12, 20, 2)},
        {"0x7FFF shadows what lies below with bit 2", 0x0004, 0x7FFF, false, false, rgb(6, 10, 1)},
        {"0x7FFF without bit 2 does not", 0x0000, 0x7FFF, false, false, rgb(12, 20, 2)},
        {"shadow pen: bits 10-1 set with shift 11", 0x000B, 0x87FE, false, false, rgb(6, 10, 1)},
        {"shadow pen with bit 0 set too", 0x000B, 0x87FF, false, false, rgb(6, 10, 1)},
        {"opaque sprite with bit 15 clear is halved", 0x0004, 0x0055, false, false, rgb(10, 1, 0)},
        {"opaque sprite with bit 15 set is not", 0x0004, 0x8055, false, false, rgb(21, 2, 0)},
        {"a blending top layer over a shadowing sprite is halved", 0x0004, 0x0055, true, true, rgb(3, 4, 2)},
        {"a top layer without blend mask is not", 0x0004, 0x0055, true, false, rgb(6, 8, 5)},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        SetUp();
        backdrop(bd);
        fill_shown_sprites(tc.sprite);
        mixer(MIX_SPRITES, tc.sprites_reg);
        for (int g = 0; g < 16; ++g) group_reg(g, 3);
        if (tc.text_on_top) {
            fill_layer(0, text);
            layer_reg(0, 5);
            // Blend with the sprites, but with the group mask of group 15 only: no blend happens.
            mixer(MIX_BLEND, 0x800);
            if (tc.text_blends) mixer(MIX_MASK0, static_cast<uint16_t>(1 << (6 + 6) | 15));
        }
        EXPECT_EQ(mix_at(ALL), tc.want);
    }

    // Offsets drive components out of range; the clamp comes after halving.
    SetUp();
    backdrop(2 | 30 << 5 | 0 << 10);
    mixer(MIX_OFFSET_B + 0, 0x3B);  // red -5
    mixer(MIX_OFFSET_B + 1, 7);     // green +7
    mixer(MIX_OFFSET_B + 2, 0x3F);  // blue -1
    mixer(MIX_SPRITES, 0x0004);
    fill_shown_sprites(0x7FFF);
    for (int g = 0; g < 16; ++g) group_reg(g, 3);
    EXPECT_EQ(mix_at(ALL), rgb(0, 18, 0));  // (-3 >> 1) = -2 -> 0, 37 >> 1 = 18, -1 >> 1 = -1 -> 0
    fill_shown_sprites(0xFFFF);
    EXPECT_EQ(mix_at(ALL), rgb(0, 31, 0));
}

TEST_F(MixerTest, LatchedFlipBitsMirrorTheSpriteFrame) {
    group_reg(1, 3);
    auto& shown = video.sprite_frames[video.sprite_frame_index & 1];
    shown[3][5] = 0x8077;
    struct Case {
        uint8_t flips;
        int x, y;
    };
    for (const Case& tc : {Case{0, 5, 3}, Case{1, 410, 3}, Case{2, 5, 220}, Case{3, 410, 220}}) {
        SCOPED_TRACE(tc.flips);
        orb_board.sprite_latched[2] = tc.flips;
        mix_layers(ALL);
        EXPECT_EQ(index_at(tc.x, tc.y), 0x77);
    }
}

}  // namespace
