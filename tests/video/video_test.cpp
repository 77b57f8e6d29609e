// The frame driver and the renderer's API: display enable, screen width,
// layer switches, the frame hash, the board's callbacks, and a robustness run
// over random video state.
#include <chrono>
#include <random>

#include "tests/video/video_fixture.h"

namespace {

class FrameTest : public VideoTest {
public:
    // Fills every layer with a sentinel value so that a layer that is not
    // redrawn can be told apart.
    static void stale_layers(uint16_t v) {
        for (auto& layer : video.layers) {
            for (auto& row : layer.pixels) std::fill(std::begin(row), std::end(row), v);
            std::fill(std::begin(layer.row_empty), std::end(layer.row_empty), uint8_t{0});
        }
    }
    // Independent FNV-1a over bytes 0-2 of each shown pixel.
    static uint64_t reference_hash(int width) {
        uint64_t h = 0xcbf29ce484222325ull;
        for (int y = 0; y < ORB_VIDEO_ROWS; ++y)
            for (int x = 0; x < width; ++x)
                for (int b = 0; b < 3; ++b) {
                    h ^= (video.frame[y][x] >> (8 * b)) & 0xFF;
                    h *= 0x100000001b3ull;
                }
        return h;
    }
};

TEST_F(FrameTest, DisplayOffGivesBlackAndDrawsNoLayer) {
    vreg(0x5E, 0x0600);  // backdrop colour 0x600: not black
    orb_video_draw_frame();
    ASSERT_NE(pixel(10, 10), 0u);
    stale_layers(0x0077);
    for (auto& row : video.frame) row[415] = 0x12345678;
    vreg(0x00, 0x0000);  // 320 wide
    orb_board.io.cnt &= ~2;
    orb_video_draw_frame();
    for (int y = 0; y < ORB_VIDEO_ROWS; ++y) {
        for (int x = 0; x < 320; ++x) ASSERT_EQ(pixel(x, y), 0u) << x << ", " << y;
        ASSERT_EQ(pixel(415, y), 0x12345678u) << "beyond the shown width nothing changes";
    }
    for (int i = 0; i < 8; ++i) EXPECT_EQ(layer_px(i, 5, 5), 0x0077) << "layer " << i;
    int width = 0;
    orb_video_frame(&width);
    EXPECT_EQ(width, 320);

    orb_board.io.cnt |= 2;
    orb_video_draw_frame();
    EXPECT_EQ(index_at(10, 10), 0x600);
}

TEST_F(FrameTest, WidthFollowsTheControlWordEachFrame) {
    int width = 0;
    EXPECT_EQ(orb_video_frame(&width), &video.frame[0][0]);
    EXPECT_EQ(orb_video_frame(nullptr), &video.frame[0][0]);
    vreg(0x5E, 0x0600);
    orb_video_draw_frame();
    orb_video_frame(&width);
    EXPECT_EQ(width, 416);
    EXPECT_EQ(orb_video_frame_hash(), reference_hash(416));
    const uint64_t wide = orb_video_frame_hash();

    for (auto& row : video.frame) std::fill(row + 320, row + 416, 0xABCDEFu);
    vreg(0x00, 0x0000);
    orb_video_draw_frame();
    orb_video_frame(&width);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(pixel(320, 0), 0xABCDEFu) << "columns beyond 320 keep stale values";
    EXPECT_EQ(orb_video_frame_hash(), reference_hash(320));
    EXPECT_NE(orb_video_frame_hash(), wide);
}

TEST_F(FrameTest, HashFeedsThreeBytesPerPixel) {
    // A picture with distinct bytes everywhere, including the unused top byte.
    for (int y = 0; y < ORB_VIDEO_ROWS; ++y)
        for (int x = 0; x < ORB_VIDEO_COLUMNS; ++x)
            video.frame[y][x] = static_cast<uint32_t>((y * 416 + x) * 2654435761u);
    video.clip.x_max = 415;
    EXPECT_EQ(orb_video_frame_hash(), reference_hash(416));
    video.clip.x_max = 319;
    EXPECT_EQ(orb_video_frame_hash(), reference_hash(320));
    const uint64_t before = orb_video_frame_hash();
    video.frame[0][0] ^= 0xFF000000u;  // byte 3 is not fed
    EXPECT_EQ(orb_video_frame_hash(), before);
}

TEST_F(FrameTest, LayerOffBits) {
    struct Case {
        const char* name;
        int layer;
        uint32_t reg;
        int bit;
    };
    const Case cases[] = {
        {"NBG0 by 0x31FF02", 1, 0x02, 0},   {"NBG0 by 0x31FF8E", 1, 0x8E, 1},
        {"NBG1 by 0x31FF02", 2, 0x02, 1},   {"NBG1 by 0x31FF8E", 2, 0x8E, 2},
        {"NBG2 by 0x31FF02", 3, 0x02, 2},   {"NBG2 by 0x31FF8E", 3, 0x8E, 3},
        {"NBG2 by 0x31FF00", 3, 0x00, 12},  {"NBG3 by 0x31FF02", 4, 0x02, 3},
        {"NBG3 by 0x31FF8E", 4, 0x8E, 4},   {"NBG3 by 0x31FF00", 4, 0x00, 13},
        {"text by 0x31FF02", 0, 0x02, 4},   {"text by 0x31FF8E", 0, 0x8E, 0},
        {"bitmap by 0x31FF02", 5, 0x02, 5}, {"bitmap by 0x31FF8E", 5, 0x8E, 5},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        SetUp();
        vreg(0x5E, 0x0600);
        for (int i = 0; i < 6; ++i) mixer(MIX_LAYER0 + i, 5);
        // Every layer is empty in video RAM, so a drawn layer comes out 0.
        set_vreg_bits(tc.reg, static_cast<uint16_t>(1u << tc.bit));
        stale_layers(0x0033);
        orb_video_draw_frame();
        for (int i = 0; i < 6; ++i) EXPECT_EQ(layer_px(i, 5, 5), i == tc.layer ? 0x0033 : 0) << "layer " << i;
        EXPECT_EQ(index_at(5, 5), 0x600) << "stale pixels of a layer that is off are not shown";
    }
    // Bits 12 and 13 of the control word do not switch NBG0 or NBG1 off.
    SetUp();
    set_vreg_bits(0x00, 0x3000);
    stale_layers(0x0033);
    orb_video_draw_frame();
    EXPECT_EQ(layer_px(1, 5, 5), 0);
    EXPECT_EQ(layer_px(2, 5, 5), 0);
    EXPECT_EQ(layer_px(3, 5, 5), 0x0033);
    EXPECT_EQ(layer_px(4, 5, 5), 0x0033);
}

TEST_F(FrameTest, EveryLayerOffStillShowsBackdropAndSprites) {
    only_layers(0);
    vreg(0x5E, 0x0600);
    for (int i = 0; i < 6; ++i) mixer(MIX_LAYER0 + i, 5);
    stale_layers(0x0033);
    mixer(0x01, 2);  // sprite group 1
    fill_shown_sprites(0xFFFF);
    video.sprite_frames[video.sprite_frame_index & 1][7][9] = 0x8044;
    orb_video_draw_frame();
    EXPECT_EQ(index_at(0, 0), 0x600);
    EXPECT_EQ(index_at(9, 7), 0x44);
}

int frames_drawn = 0;
void count_frame() {
    ++frames_drawn;
    orb_video_draw_frame();
}

TEST_F(FrameTest, BoardCallbacksDriveTheRenderer) {
    EXPECT_EQ(orb_board.callbacks.frame, &orb_video_draw_frame);
    EXPECT_EQ(orb_board.callbacks.sprites, &orb_video_sprites);
    // The host replaces the frame callback with its own, which draws.
    orb_board.callbacks.frame = count_frame;
    vreg(0x5E, 0x0600);
    orb_wait();  // line 224: frame
    EXPECT_EQ(frames_drawn, 1);
    EXPECT_EQ(index_at(0, 0), 0x600);
    const int index = video.sprite_frame_index;
    orb_wait();  // vblank end
    orb_wait();  // sprite update: automatic clear and draw flips the frames
    EXPECT_NE(video.sprite_frame_index, index);
    orb_board.callbacks.frame = nullptr;
}

struct Observed {
    int layer;
    uint16_t tile, colour;
};
std::vector<Observed> observed_tiles;
void observe_tile(int layer, uint16_t tile, uint16_t colour) {
    observed_tiles.push_back({layer, tile, colour});
}

TEST_F(FrameTest, TileObserverSeesEachDistinctPageOnce) {
    only_layers(1u << 2);    // NBG1 only
    vreg(0x44, 5 | 6 << 8);  // pages 5, 6, 5, 6: two distinct pages
    vreg(0x46, 5 | 6 << 8);
    vreg(0x00, 0x8400);                  // tile bank bit 0
    orb_board.io.tile_bank = 1;          // tile bank bit 1
    vram16(5 * 1024 + 3 * 2, 0xC123);    // page 5, entry 3
    vram16(6 * 1024 + 511 * 2, 0x1FFF);  // page 6, last entry
    orb_video_tile_observer = observe_tile;
    observed_tiles.clear();
    orb_video_draw_frame();
    orb_video_tile_observer = nullptr;
    ASSERT_EQ(observed_tiles.size(), 1024u);
    for (const Observed& o : observed_tiles) ASSERT_EQ(o.layer, 1);
    EXPECT_EQ(observed_tiles[3].tile, 0x6000 | 0x0123);
    EXPECT_EQ(observed_tiles[3].colour, 0x012);
    EXPECT_EQ(observed_tiles[1023].tile, 0x6000 | 0x1FFF);
    EXPECT_EQ(observed_tiles[1023].colour, 0x1FF);
    EXPECT_EQ(observed_tiles[0].tile, 0x6000);
}

// Random video RAM, sprite RAM, palette, registers and region sizes: every
// state must render without touching memory out of bounds (run it under
// AddressSanitizer) and without hanging.
TEST_F(FrameTest, RandomStatesRenderWithoutFault) {
    std::mt19937 rng(20261209);
    auto fill_random = [&](uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(rng());
    };
    std::vector<uint8_t> big_tiles(0x400000);
    std::vector<uint8_t> big_sprites(0x800000);
    fill_random(big_tiles.data(), 0x10000);
    fill_random(big_sprites.data(), 0x10000);
    const auto start = std::chrono::steady_clock::now();
    constexpr int kStates = 500;
    for (int state = 0; state < kStates; ++state) {
        if (state % 50 == 0) {
            // Regions: full size, tiny, or too small to hold one tile or word.
            switch (state / 50 % 3) {
            case 0:
                orb_video_init(big_tiles.data(), big_tiles.size(), big_sprites.data(), big_sprites.size());
                break;
            case 1: orb_video_init(tiles.data(), tiles.size(), sprites.data(), sprites.size()); break;
            default: orb_video_init(tiles.data(), 100, sprites.data(), 3); break;
            }
            fill_random(orb_board.video_ram, sizeof orb_board.video_ram);
            fill_random(orb_board.sprite_ram, sizeof orb_board.sprite_ram);
            fill_random(reinterpret_cast<uint8_t*>(orb_board.palette), sizeof orb_board.palette);
        }
        // Every state: new registers and a new head of the sprite list.
        fill_random(orb_board.video_ram + 0x1FF00, 0x100);
        fill_random(reinterpret_cast<uint8_t*>(orb_board.mixer_regs), sizeof orb_board.mixer_regs);
        fill_random(orb_board.sprite_latched, sizeof orb_board.sprite_latched);
        fill_random(orb_board.sprite_ram, 64 * 16);
        orb_board.io.tile_bank = static_cast<uint8_t>(rng());
        orb_board.io.cnt = static_cast<uint8_t>(rng() % 8 ? 2 : 0);
        const uint32_t what = rng();
        orb_video_sprites(what & 1, what & 2);
        orb_video_draw_frame();
        int width = 0;
        orb_video_frame(&width);
        ASSERT_TRUE(width == 320 || width == 416);
        (void)orb_video_frame_hash();
        (void)orb_video_tile_pen_color(static_cast<int>(rng()), static_cast<int>(rng()),
                                       static_cast<int>(rng()));
        (void)orb_video_sprite_pixel_color(static_cast<uint16_t>(rng()));
        uint32_t stray = 0;
        for (const auto& row : video.frame)
            for (uint32_t p : row) stray |= p & 0xFF070707u;
        ASSERT_EQ(stray, 0u) << "components are 5 bits, top byte 0";
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d random states in %.2f s\n", kStates, seconds);
}

// Thousands of random sprite lists and clip-window states, cheaper than whole
// frames: lists must stay inside sprite RAM and the frames, and every row's
// run set must be well formed.
TEST_F(FrameTest, RandomSpriteListsAndClipWindows) {
    std::mt19937 rng(7);
    auto fill_random = [&](uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(rng());
    };
    fill_random(sprites.data(), sprites.size());
    restart_video();
    fill_random(orb_board.sprite_ram, sizeof orb_board.sprite_ram);
    fill_random(orb_board.video_ram, sizeof orb_board.video_ram);
    for (int state = 0; state < 8000; ++state) {
        fill_random(orb_board.sprite_ram + (rng() & 0x1FFF) * 16, 256);
        fill_random(orb_board.sprite_latched, sizeof orb_board.sprite_latched);
        // Lists that start with a few plausible draw entries, not only noise.
        for (uint32_t n = 0; n < 4; ++n) orb_board.sprite_ram[n * 16 + 1] &= 0x3F;
        orb_video_sprites(rng() & 1, true);

        fill_random(orb_board.video_ram + 0x1FF00, 0x90);
        video.clip = {0, (rng() & 1) ? 415 : 319, 0, 223};
        find_clip_runs(true, static_cast<int>(rng() & 1), rng() & 0x1F);
        const clip_run_sets& runs = video.clip_runs;
        for (int y = 0; y < ORB_VIDEO_ROWS; ++y) {
            const int set = runs.set_of_row[y];
            ASSERT_LT(static_cast<uint32_t>(set), runs.set_count);
            const int n = runs.edge_count[set];
            ASSERT_GE(n, 2);
            ASSERT_LE(n, 12);
            ASSERT_EQ(runs.edges[set][0], 0);
            ASSERT_EQ(runs.edges[set][n - 1], video.clip.x_max + 1);
        }
    }
}

}  // namespace
