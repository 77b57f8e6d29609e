// Clip windows seen through a fully opaque NBG2: the drawn columns of a row
// are the runs the windows leave.
#include <utility>
#include <vector>

#include "tests/video/video_fixture.h"

namespace {

using Runs = std::vector<std::pair<int, int>>;  // drawn [from, to) columns

struct Window {
    int r;
    uint16_t left, top, right, bottom;
};

class ClipTest : public VideoTest {
public:
    void SetUp() override {
        VideoTest::SetUp();
        fill_tile(0, 1);  // every map entry of NBG2 is tile 0, all pen 1
        only_layers(1u << 3);
    }

    static void set_window(const Window& w) {
        const uint32_t base = 0x60 + 8 * static_cast<uint32_t>(w.r);
        vreg(base, w.left);
        vreg(base + 2, w.top);
        vreg(base + 4, w.right);
        vreg(base + 6, w.bottom);
    }

    // NBG2's clip controls: enable 0x31FF02 bit 13, outside state bit 8,
    // selection nibble 2 of 0x31FF06.
    static void nbg2_clip(bool enable, int outside, unsigned selection) {
        vreg(0x02, static_cast<uint16_t>((vreg_get(0x02) & ~0x2100) | (enable ? 0x2000 : 0) |
                                         (outside ? 0x100 : 0)));
        vreg(0x06, static_cast<uint16_t>(selection << 8));
    }

    static Runs drawn(int layer, int y) {
        Runs runs;
        for (int x = video.clip.x_min; x <= video.clip.x_max; ++x) {
            if (!layer_px(layer, x, y)) continue;
            if (!runs.empty() && runs.back().second == x) {
                ++runs.back().second;
            } else {
                runs.push_back({x, x + 1});
            }
        }
        return runs;
    }
};

std::string show(const Runs& runs) {
    std::string s;
    for (auto [a, b] : runs) s += "[" + std::to_string(a) + "," + std::to_string(b) + ") ";
    return s;
}

TEST_F(ClipTest, WindowsCutRunsOutOfTheLayer) {
    struct Case {
        const char* name;
        uint16_t control;  // 0x31FF00
        std::vector<Window> windows;
        bool enable;
        int outside;
        unsigned selection;
        int y;
        Runs want;
    };
    const Case cases[] = {
        {"enable clear draws the whole row", 0x8000, {{0, 10, 0, 19, 255}}, false, 0, 1, 5, {{0, 416}}},
        {"outside 0, no window on the row: blank", 0x8000, {{0, 10, 20, 19, 30}}, true, 0, 1, 5, {}},
        {"outside 0: inside only", 0x8000, {{0, 10, 20, 19, 30}}, true, 0, 1, 25, {{10, 20}}},
        {"outside 1: everywhere but inside",
         0x8000,
         {{0, 10, 20, 19, 30}},
         true,
         1,
         1,
         25,
         {{0, 10}, {20, 416}}},
        {"unselected windows do not count",
         0x8000,
         {{0, 10, 0, 19, 255}, {1, 40, 0, 49, 255}},
         true,
         0,
         2,
         25,
         {{40, 50}}},
        {"touching windows merge",
         0x8000,
         {{0, 10, 0, 19, 255}, {1, 20, 0, 29, 255}},
         true,
         0,
         3,
         25,
         {{10, 30}}},
        {"overlapping windows merge",
         0x8000,
         {{0, 10, 0, 39, 255}, {3, 20, 0, 29, 255}},
         true,
         0,
         9,
         25,
         {{10, 40}}},
        {"separate windows",
         0x8000,
         {{0, 10, 0, 19, 255}, {1, 30, 0, 39, 255}},
         true,
         1,
         3,
         25,
         {{0, 10}, {20, 30}, {40, 416}}},
        {"flip mirrors x", 0x8200, {{0, 0, 0, 9, 255}}, true, 0, 1, 25, {{406, 416}}},
        {"flip mirrors y", 0x8200, {{0, 0, 0, 9, 9}}, true, 0, 1, 0, {}},
        {"flip mirrors y (covered row)", 0x8200, {{0, 0, 0, 9, 9}}, true, 0, 1, 223, {{406, 416}}},
        {"right edge beyond the screen is clamped",
         0x0000,
         {{0, 300, 0, 400, 255}},
         true,
         0,
         1,
         25,
         {{300, 320}}},
        {"window beyond the right edge: outside 1",
         0x8000,
         {{0, 500, 0, 510, 255}},
         true,
         1,
         1,
         25,
         {{0, 416}}},
        {"window beyond the right edge: outside 0", 0x8000, {{0, 500, 0, 510, 255}}, true, 0, 1, 25, {}},
        {"bottom 255 reaches row 223", 0x8000, {{0, 10, 200, 19, 255}}, true, 0, 1, 223, {{10, 20}}},
        {"flipped left edge 511 runs to the row's end and absorbs windows to its right",
         0x8200,
         {{0, 511, 0, 100, 255}, {1, 10, 0, 20, 255}, {2, 300, 0, 310, 255}},
         true,
         0,
         7,
         25,
         {{105, 116}, {315, 416}}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        SetUp();
        vreg(0x00, tc.control);
        for (const Window& w : tc.windows) set_window(w);
        nbg2_clip(tc.enable, tc.outside, tc.selection);
        orb_video_draw_frame();
        EXPECT_EQ(show(drawn(3, tc.y)), show(tc.want));
        EXPECT_EQ(video.layers[3].row_empty[tc.y], tc.want.empty());
    }
}

TEST_F(ClipTest, TouchingWindowsShareOneRunInTheSet) {
    set_window({0, 10, 0, 19, 255});
    set_window({1, 20, 0, 29, 255});
    EXPECT_EQ(find_clip_runs(true, 0, 3), 0);
    const clip_run_sets& runs = video.clip_runs;
    ASSERT_EQ(runs.edge_count[3], 4);
    EXPECT_EQ(runs.edges[3][0], 0);
    EXPECT_EQ(runs.edges[3][1], 10);
    EXPECT_EQ(runs.edges[3][2], 30);
    EXPECT_EQ(runs.edges[3][3], 320);  // video.clip is 320 wide until a frame is drawn
    EXPECT_EQ(runs.set_of_row[100], 3);
}

TEST_F(ClipTest, PerLineWindowEdgesFromTheLineTables) {
    const uint32_t block = 2;
    for (int r = 2; r <= 3; ++r) {
        SCOPED_TRACE(r);
        SetUp();
        vreg(0x04, static_cast<uint16_t>(block << 10 | (r == 2 ? 0x10 : 0x20)));
        set_window({r, 0, 0, 0, 255});  // only its rows count; x comes from the tables
        const uint32_t left = block * 1024 + (r == 2 ? 0 : 256);
        const uint32_t right = left + 512;
        for (uint32_t row = 0; row < 256; ++row) {
            vram16((left + row) * 2, static_cast<uint16_t>(0xFE00 | (50 + row)));  // bits above 8 ignored
            vram16((right + row) * 2, static_cast<uint16_t>(59 + row));
        }
        vram16((left + 10) * 2, 0xFFFF);   // row 10: window off
        vram16((right + 11) * 2, 0xFFFF);  // row 11: window off
        vram16((left + 12) * 2, 80);       // row 12: left beyond right, off
        vram16((right + 12) * 2, 70);
        nbg2_clip(true, 0, 1u << r);
        orb_video_draw_frame();
        EXPECT_EQ(show(drawn(3, 5)), show({{55, 65}}));
        EXPECT_EQ(show(drawn(3, 10)), show({}));
        EXPECT_EQ(show(drawn(3, 11)), show({}));
        EXPECT_EQ(show(drawn(3, 12)), show({}));
        EXPECT_EQ(show(drawn(3, 13)), show({{63, 73}}));
        // Flipped: row y reads table row 223 - y, edges mirror.
        vreg(0x00, 0x8200);
        orb_video_draw_frame();
        EXPECT_EQ(show(drawn(3, 223 - 5)), show({{415 - 64, 415 - 54}}));
        EXPECT_EQ(show(drawn(3, 223 - 10)), show({}));
    }
}

// A flipped window whose left edge lies beyond the screen gives a right edge
// below 0, kept as a large 16-bit value. Blanking that run must stop at the
// shown width: columns beyond it and the next layer's memory stay untouched.
TEST_F(ClipTest, WrappedEdgeBlanksOnlyTheShownColumns) {
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k == 0 ? "320 wide" : "416 wide");
        SetUp();
        const uint16_t control = k == 0 ? 0x0200 : 0x8200;
        const int x_max = k == 0 ? 319 : 415;
        vreg(0x00, control);
        set_window({0, 511, 0, 100, 255});
        nbg2_clip(true, 1, 1);
        for (auto& row : video.layers[3].pixels) std::fill(std::begin(row), std::end(row), uint16_t{0xBEEF});
        for (auto& row : video.layers[4].pixels) std::fill(std::begin(row), std::end(row), uint16_t{0xBEEF});
        orb_video_draw_frame();
        for (int y = 0; y < ORB_VIDEO_ROWS; ++y) {
            ASSERT_EQ(show(drawn(3, y)), show({{0, x_max - 100}})) << "row " << y;
            for (int x = x_max + 1; x < ORB_VIDEO_COLUMNS; ++x) ASSERT_EQ(layer_px(3, x, y), 0xBEEF);
            for (int x = 0; x < ORB_VIDEO_COLUMNS; ++x) ASSERT_EQ(layer_px(4, x, y), 0xBEEF);
        }
    }
}

TEST_F(ClipTest, RowEmptyCountsOnlyTheShownWidth) {
    // Opaque tiles only from map column 320 on.
    fill_tile(0, 0);
    fill_tile(1, 2);
    vreg(0x48, 0);  // NBG2 pages all 0
    vreg(0x4A, 0);
    for (uint32_t ty = 0; ty < 16; ++ty)
        for (uint32_t tx = 20; tx < 32; ++tx) vram16((ty * 32 + tx) * 2, 1);
    vreg(0x00, 0x0000);  // 320 wide
    orb_video_draw_frame();
    EXPECT_EQ(video.layers[3].row_empty[0], 1);
    vreg(0x00, 0x8000);  // 416 wide
    orb_video_draw_frame();
    EXPECT_EQ(video.layers[3].row_empty[0], 0);
}

// A backward window (right < left) makes the following run cover columns a
// second time; the transparent ones must not be counted twice, or a row with
// opaque pixels would be taken for empty and hidden.
TEST_F(ClipTest, BackwardWindowDoesNotHideAnOpaqueRow) {
    only_layers(1u << 5);
    vreg(0x80, 200);  // bitmap window: left 200, right 99
    vreg(0x82, 0);
    vreg(0x84, 99);
    vreg(0x86, 255);
    vreg(0x02, static_cast<uint16_t>(vreg_get(0x02) | 0x8000 | 0x0400));  // enable, outside 1
    // 4-bit bitmap row 7: columns 300-399 pen 1 (100 opaque, 316 transparent).
    for (int x = 300; x < 400; x += 4) vram16((7 * 128 + static_cast<uint32_t>(x) / 4) * 2, 0x1111);
    mixer(MIX_LAYER0 + 5, 1);
    mixer(MIX_BACKDROP, 0);
    orb_video_draw_frame();
    EXPECT_EQ(video.layers[5].row_empty[7], 0);
    EXPECT_EQ(index_at(350, 7), 1);
    EXPECT_EQ(video.layers[5].row_empty[8], 1);
}

}  // namespace
