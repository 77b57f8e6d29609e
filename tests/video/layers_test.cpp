// Tile, text, bitmap and backdrop layers, checked pixel by pixel in their
// layer records against a map whose every point tells where it lies.
#include <functional>

#include "tests/video/video_fixture.h"

namespace {

// Page numbers used for the 2 x 2 map of a tile layer.
constexpr uint8_t kPages[4] = {10, 11, 12, 13};

class TileLayerTest : public VideoTest {
protected:
    void SetUp() override {
        VideoTest::SetUp();
        // Tile 0 (every map entry lands on it: the tile count is 16 and the
        // entries' low nibble is 0): pen (c + r) % 15 + 1, never 0.
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) set_tile_pen(0, c, r, (c + r) % 15 + 1);
    }

    // Every entry's colour number names its tile column, tile row (2 bits)
    // and page position, so a layer pixel identifies its map point.
    static uint16_t model(uint32_t mx, uint32_t my) {
        mx &= 1023;
        my &= 511;
        const uint32_t colour =
            ((mx >> 4) & 31) | ((my >> 4) & 3) << 5 | ((mx >> 9) & 1) << 7 | ((my >> 8) & 1) << 8;
        return static_cast<uint16_t>(colour << 4 | (((mx & 15) + (my & 15)) % 15 + 1));
    }

    static void fill_map(int k) {
        vreg(0x40 + 4 * k, static_cast<uint16_t>(kPages[0] | kPages[1] << 8));
        vreg(0x42 + 4 * k, static_cast<uint16_t>(kPages[2] | kPages[3] << 8));
        for (int p = 0; p < 4; ++p)
            for (uint32_t ty = 0; ty < 16; ++ty)
                for (uint32_t tx = 0; tx < 32; ++tx) {
                    const uint32_t mx = tx * 16 + (p & 1) * 512;
                    const uint32_t my = ty * 16 + (p >> 1) * 256;
                    vram16(kPages[p] * 1024u + (ty * 32 + tx) * 2,
                           static_cast<uint16_t>(model(mx, my) & 0x1FF0));
                }
    }

    // Compares the whole shown layer with the model at the given map points.
    static void expect_layer(int layer, const std::function<uint32_t(int)>& map_x,
                             const std::function<uint32_t(int)>& map_y) {
        const clip_rect& c = video.clip;
        for (int y = c.y_min; y <= c.y_max; ++y)
            for (int x = c.x_min; x <= c.x_max; ++x) {
                const uint16_t want = model(map_x(x), map_y(y));
                if (layer_px(layer, x, y) != want) {
                    ADD_FAILURE() << "layer " << layer << " at (" << x << ", " << y << "): got 0x" << std::hex
                                  << layer_px(layer, x, y) << ", want 0x" << want << " (map " << std::dec
                                  << (map_x(x) & 1023) << ", " << (map_y(y) & 511) << ")";
                    return;
                }
            }
    }
};

struct ScrollCase {
    const char* name;
    std::function<void(int k)> setup;
    std::function<uint32_t(int)> map_x;
    std::function<uint32_t(int)> map_y;
};

// x_max is 415 and y_max 223 in these tests.
const ScrollCase kScrollCases[] = {
    {"plain", [](int) {}, [](int x) { return x; }, [](int y) { return y; }},
    {"scroll",
     [](int k) {
         VideoTest::vreg(0x12 + 8 * k, 100);
         VideoTest::vreg(0x16 + 8 * k, 50);
     },
     [](int x) { return x + 100; }, [](int y) { return y + 50; }},
    {"centre", [](int k) { VideoTest::vreg(0x30 + 4 * k, 30); }, [](int x) { return x - 30; },
     [](int y) { return y; }},
    {"x wraps from 1023 to 0 across pages", [](int k) { VideoTest::vreg(0x12 + 8 * k, 1000); },
     [](int x) { return x + 1000; }, [](int y) { return y; }},
    {"y wraps from 511 to 0", [](int k) { VideoTest::vreg(0x16 + 8 * k, 500); }, [](int x) { return x; },
     [](int y) { return y + 500; }},
    {"layer flip mirrors both axes",
     [](int k) { VideoTest::vreg(0x00, static_cast<uint16_t>(0x8000 | 1 << k)); },
     [](int x) { return 415 - x; }, [](int y) { return 223 - y; }},
    {"bit 8 limits the layer flip to x",
     [](int k) { VideoTest::vreg(0x00, static_cast<uint16_t>(0x8100 | 1 << k)); },
     [](int x) { return 415 - x; }, [](int y) { return y; }},
    {"screen flip with layer flip and bit 8: only vertical",
     [](int k) { VideoTest::vreg(0x00, static_cast<uint16_t>(0x8300 | 1 << k)); }, [](int x) { return x; },
     [](int y) { return 223 - y; }},
    {"screen flip", [](int) { VideoTest::vreg(0x00, 0x8200); }, [](int x) { return 415 - x; },
     [](int y) { return 223 - y; }},
};

TEST_F(TileLayerTest, ScrolledAndZoomedLayersReadTheMapAsScrolledAndFlipped) {
    for (int k = 0; k < 4; ++k)
        for (const ScrollCase& tc : kScrollCases) {
            SCOPED_TRACE(std::string(tc.name) + ", NBG" + std::to_string(k));
            SetUp();
            fill_map(k);
            if (k < 2) vreg(0x50 + 4 * k, 0x200);  // 1:1
            tc.setup(k);
            only_layers(1u << (k + 1));
            orb_video_draw_frame();
            expect_layer(k + 1, tc.map_x, tc.map_y);
        }
}

TEST_F(TileLayerTest, LineScrollTablesOfTheScrolledLayers) {
    struct Case {
        const char* name;
        uint16_t line_bits;  // for NBG2; NBG3 uses the next bit of each pair
        bool per_line_x, per_line_y;
    };
    const Case cases[] = {
        {"x per line", 0x01, true, false},
        {"y per line", 0x04, false, true},
        {"both", 0x05, true, true},
        {"the clip-window bit cancels both", 0x15, false, false},
    };
    for (int k = 2; k < 4; ++k)
        for (const Case& tc : cases) {
            SCOPED_TRACE(std::string(tc.name) + ", NBG" + std::to_string(k));
            SetUp();
            fill_map(k);
            const int block = 3;
            const uint16_t bits = static_cast<uint16_t>(tc.line_bits << (k - 2));
            vreg(0x04, static_cast<uint16_t>(block << 10 | bits));
            vreg(0x12 + 8 * k, 4);
            vreg(0x16 + 8 * k, 5);
            const uint32_t x_table = block * 2048 + (k == 2 ? 0 : 512);
            const uint32_t y_table = block * 2048 + (k == 2 ? 1024 : 1536);
            for (uint32_t r = 0; r < 256; ++r) {
                vram16(x_table + r * 2, static_cast<uint16_t>(0xFC00 | (r * 3)));  // bits above 9 ignored
                vram16(y_table + r * 2, static_cast<uint16_t>(2 * r + 7));
            }
            only_layers(1u << (k + 1));
            orb_video_draw_frame();
            // Each row takes its own x start, so check rows one at a time.
            for (int y = 0; y < ORB_VIDEO_ROWS; ++y) {
                const uint32_t my = tc.per_line_y ? 2 * y + 7 + 5 : y + 5;
                const uint32_t sx = 4 + (tc.per_line_x ? 3 * y : 0);
                for (int x = 0; x <= 415; ++x)
                    if (layer_px(k + 1, x, y) != model(sx + x, my)) {
                        ADD_FAILURE() << "at (" << x << ", " << y << ")";
                        y = ORB_VIDEO_ROWS;
                        break;
                    }
            }
        }
}

TEST_F(TileLayerTest, ZoomStepsAndCentreRule) {
    struct Case {
        uint16_t zoom;
        uint32_t step;  // 12.20 map pixels per screen pixel
        uint16_t centre;
        int32_t centre_value;
    };
    const Case cases[] = {
        {0x200, 0x100000, 0x1FF, -1},   // 1:1 takes a 9-bit signed centre
        {0x100, 0x200000, 0x1FF, 511},  // any other zoom a 10-bit one
        {0x400, 0x080000, 0x3FF, -1},  {0x080, 0x400000, 0x010, 16},
        {0x000, 0x400000, 0x000, 0},  // below 0x80 counts as 0x80
        {0x040, 0x400000, 0x000, 0},   {0xFFF, 131104, 0x005, 5},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(::testing::Message() << "zoom 0x" << std::hex << tc.zoom);
        SetUp();
        fill_map(0);
        vreg(0x50, tc.zoom);
        vreg(0x30, tc.centre);
        vreg(0x32, 0);
        vreg(0x12, 0x40);    // x scroll
        vreg(0x10, 0x8000);  // x fraction 0x80 << 12
        only_layers(1u << 1);
        orb_video_draw_frame();
        const uint32_t origin = 0x40u << 20 | 0x80u << 12;
        expect_layer(
            1, [&](int x) { return (origin + static_cast<uint32_t>(x - tc.centre_value) * tc.step) >> 20; },
            [&](int y) { return (static_cast<uint32_t>(y) * tc.step) >> 20; });
    }
}

TEST_F(TileLayerTest, SeparateVerticalZoomAndFraction) {
    fill_map(1);
    vreg(0x00, 0xC000);  // 416 wide, separate vertical zoom
    vreg(0x54, 0x200);
    vreg(0x56, 0x100);
    vreg(0x1E, 3);       // NBG1 y scroll
    vreg(0x1C, 0xFF00);  // NBG1 y fraction: bits 7-1 only
    only_layers(1u << 2);
    orb_video_draw_frame();
    const uint32_t origin_y = 3u << 20 | 0xFEu << 12;
    expect_layer(
        2, [](int x) { return x; },
        [&](int y) { return (origin_y + static_cast<uint32_t>(y) * 0x200000) >> 20; });
}

TEST_F(VideoTest, TileEntryBitsAndTileBank) {
    // A 4 MB tile region so that the bank reaches distinct tiles.
    tiles.assign(0x400000, 0);
    restart_video();
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) set_tile_pen(0x12, c, r, c == 0 && r == 0 ? 9 : 0);
    set_tile_pen(0x2012, 0, 0, 3);
    set_tile_pen(0x4012, 0, 0, 4);
    set_tile_pen(0x6012, 0, 0, 5);
    // NBG2 over page 0 only, entry at tile (0, 0).
    struct Case {
        const char* name;
        uint16_t entry;
        uint16_t control;  // 0x31FF00
        uint8_t io_bank;
        int x, y;
        uint16_t want;
    };
    const Case cases[] = {
        {"colour number is entry bits 12-4", 0x0012, 0x8000, 0, 0, 0, 0x0019},
        {"horizontal mirror reads column 15 - c", 0x4012, 0x8000, 0, 15, 0, 0x0019},
        {"vertical mirror reads row 15 - r", 0x8012, 0x8000, 0, 0, 15, 0x0019},
        {"bank bit 0 from the control word", 0x0012, 0x8400, 0, 0, 0, 0x0013},
        {"bank bit 1 from the I/O chip", 0x0012, 0x8000, 1, 0, 0, 0x0014},
        {"both bank bits", 0x0012, 0x8400, 3, 0, 0, 0x0015},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        std::fill(orb_board.video_ram, orb_board.video_ram + 0x20000, uint8_t{0});
        vreg(0x00, tc.control);
        orb_board.io.tile_bank = tc.io_bank;
        only_layers(1u << 3);
        vram16(0, tc.entry);
        orb_video_draw_frame();
        EXPECT_EQ(layer_px(3, tc.x, tc.y), tc.want);
    }
    // Colour number 0 with a non-zero pen is still opaque.
    set_tile_pen(0x0002, 0, 0, 7);
    vram16(0, 0x0002);
    vreg(0x00, 0x8000);
    orb_board.io.tile_bank = 0;
    orb_video_draw_frame();
    EXPECT_EQ(layer_px(3, 0, 0), 7);
}

TEST_F(VideoTest, TextLayerCellsCharactersAndFlip) {
    vreg(0x5C, 2 << 4 | 3);  // map base 2, character bank 3
    // Cell (15, 5) = character 0x101, colour 0x45; map x 120-127, y 40-47.
    vram16(2 * 4096 + (5 * 64 + 15) * 2, static_cast<uint16_t>(0x45 << 9 | 0x101));
    const uint32_t pattern = 3 * 16384 + 0x101 * 32;
    orb_board.video_ram[pattern + 1 * 4 + 0] = 0xA0;  // row 1, x 0 = pen 10, x 1 = pen 0
    orb_board.video_ram[pattern + 1 * 4 + 3] = 0x0C;  // row 1, x 7 = pen 12
    only_layers(1u << 0);
    orb_video_draw_frame();
    EXPECT_EQ(layer_px(0, 120, 41), 0x45 << 4 | 10);
    EXPECT_EQ(layer_px(0, 121, 41), 0);
    EXPECT_EQ(layer_px(0, 127, 41), 0x45 << 4 | 12);
    EXPECT_EQ(video.layers[0].row_empty[41], 0);
    vreg(0x00, 0x8200);  // screen flip: pixel (x, y) reads (511 - x, 255 - y)
    orb_video_draw_frame();
    EXPECT_EQ(layer_px(0, 511 - 120, 255 - 41), 0x45 << 4 | 10);
    EXPECT_EQ(layer_px(0, 511 - 127, 255 - 41), 0x45 << 4 | 12);
}

TEST_F(VideoTest, BitmapLayerModes) {
    struct Case {
        const char* name;
        bool eight_bit;
        uint16_t palette;
        uint16_t scroll_x, scroll_y;
        int x, y;
        uint16_t want;
    };
    // 4-bit: pixel (bx, by) is nibble bx & 3 of word by * 128 + bx / 4.
    // 8-bit: byte by * 512 + bx.
    const Case cases[] = {
        {"4-bit nibble order", false, 0x12, 0, 0, 2, 3, 0x0120 | 0x6},
        {"4-bit scroll", false, 0x12, 1, 2, 1, 1, 0x0120 | 0x6},
        {"4-bit base keeps bits 15-4", false, 0xFFF, 0, 0, 2, 3, 0xFFF6},
        {"8-bit base keeps bits 15-8", true, 0x0AB, 0, 0, 7, 5, 0x0A00 | 0x9C},
        {"8-bit zero byte is transparent with a base", true, 0x0AB, 0, 0, 8, 5, 0},
        {"8-bit y wraps at 256", true, 0x0AB, 0, 256, 7, 5, 0x0A00 | 0x9C},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        std::fill(orb_board.video_ram, orb_board.video_ram + 0x1FF00, uint8_t{0});
        vram16((3 * 128 + 0) * 2, 0x0600);  // 4-bit: (2, 3) = nibble 2 = 6
        orb_board.video_ram[5 * 512 + 7] = 0x9C;
        vreg(0x00, static_cast<uint16_t>(0x8000 | (tc.eight_bit ? 0x800 : 0)));
        vreg(0x88, tc.scroll_x);
        vreg(0x8A, tc.scroll_y);
        vreg(0x8C, tc.palette);
        only_layers(1u << 5);
        orb_video_draw_frame();
        EXPECT_EQ(layer_px(5, tc.x, tc.y), tc.want);
    }
}

TEST_F(VideoTest, BackdropBlockRampAndFlip) {
    struct Case {
        uint16_t reg, control;
        int y;
        uint16_t want;
    };
    const Case cases[] = {
        {0x1A05, 0x8000, 0, 0x1A00},  // block only
        {0x1A05, 0x8000, 100, 0x1A00},
        {0x9A05, 0x8000, 0, 0x1A05},  // ramp: (reg + y) & 0x1FF in the block
        {0x9A05, 0x8000, 100, 0x1A00 | 0x69},
        {0x9BFF, 0x8000, 1, 0x1A00},    // wraps inside 9 bits
        {0x9A05, 0x8200, 223, 0x1A05},  // flipped: the ramp runs upward
        {0x9A05, 0x8200, 0, 0x1A00 | (0x05 + 223)},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(::testing::Message() << "reg 0x" << std::hex << tc.reg << " y " << std::dec << tc.y);
        vreg(0x5E, tc.reg);
        vreg(0x00, tc.control);
        orb_video_draw_frame();
        EXPECT_EQ(layer_px(7, 0, tc.y), tc.want);
        EXPECT_EQ(layer_px(7, 415, tc.y), tc.want);
    }
}

}  // namespace
