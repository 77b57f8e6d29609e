// Shared set-up of the renderer tests: a fresh board with an identity palette
// (entry i holds i, so each output pixel names the palette index the mixer
// chose), every mixer register 0, the display on, and small synthetic tile and
// sprite regions. A failing test leaves a PNG of its picture in the build
// tree's test-artefacts folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "board/machine.h"
#include "tests/video/png_writer.h"
#include "video/record.h"
#include "video/video.h"

class VideoTest : public ::testing::Test {
public:
    static constexpr int kTiles = 16;

    std::vector<uint8_t> program = std::vector<uint8_t>(0x200000, 0);
    std::vector<uint8_t> tiles = std::vector<uint8_t>(kTiles * 128, 0);
    std::vector<uint8_t> sprites = std::vector<uint8_t>(0x10000, 0);

    void SetUp() override {
        orb_board.callbacks.frame = nullptr;
        orb_board.callbacks.sprites = nullptr;
        orb_init(program.data());
        restart_video();
        for (int i = 0; i < 0x4000; ++i) orb_board.palette[i] = static_cast<uint16_t>(i & 0x7FFF);
        for (auto& r : orb_board.mixer_regs) r = 0;
        orb_board.io.cnt |= 2;  // display on
    }

    void TearDown() override {
        if (!HasFailure()) return;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name() + ".png";
        for (char& ch : name)
            if (ch == '/') ch = '_';
        std::error_code ignored;
        std::filesystem::create_directories(IRONBELL_ARTEFACTS, ignored);
        const std::string path = std::string(IRONBELL_ARTEFACTS) + "/" + name;
        int width = 0;
        const uint32_t* frame = orb_video_frame(&width);
        if (write_png(path, frame, width, ORB_VIDEO_ROWS, ORB_VIDEO_COLUMNS))
            std::printf("picture of the failed test: %s\n", path.c_str());
    }

    void restart_video() { orb_video_init(tiles.data(), tiles.size(), sprites.data(), sprites.size()); }

    // Video RAM and registers.
    static void vram16(uint32_t offset, uint16_t v) {
        orb_board.video_ram[offset & 0x1FFFF] = static_cast<uint8_t>(v);
        orb_board.video_ram[(offset + 1) & 0x1FFFF] = static_cast<uint8_t>(v >> 8);
    }
    static void vreg(uint32_t offset, uint16_t v) { vram16(0x1FF00 + offset, v); }
    static uint16_t vreg_get(uint32_t offset) { return video_reg(offset); }
    static void set_vreg_bits(uint32_t offset, uint16_t bits) { vreg(offset, vreg_get(offset) | bits); }
    static void mixer(int r, uint16_t v) { orb_board.mixer_regs[r] = v; }

    // Mixer register numbers.
    static constexpr int MIX_LAYER0 = 0x10, MIX_BACKDROP = 0x16, MIX_MASK0 = 0x18, MIX_OFFSET = 0x1F,
                         MIX_OFFSET_A = 0x20, MIX_OFFSET_B = 0x23, MIX_SPRITES = 0x26, MIX_BLEND = 0x27;

    // Only the layers in `drawn` (bit i = layer i as in the layer mask) draw.
    static void only_layers(unsigned drawn) {
        static constexpr int off_bit[6] = {4, 0, 1, 2, 3, 5};
        uint16_t off = 0;
        for (int i = 0; i < 6; ++i)
            if (!(drawn & (1u << i))) off = static_cast<uint16_t>(off | 1u << off_bit[i]);
        vreg(0x02, static_cast<uint16_t>((vreg_get(0x02) & 0xFFC0) | off));
    }

    // Tile region: pixel (c, r) of a tile.
    void set_tile_pen(uint32_t tile, int c, int r, int pen) {
        static constexpr int byte_of_column[16] = {0, 0, 2, 2, 1, 1, 3, 3, 4, 4, 6, 6, 5, 5, 7, 7};
        uint8_t& b = tiles[tile * 128 + static_cast<uint32_t>(r) * 8 + byte_of_column[c]];
        b = (c & 1) ? static_cast<uint8_t>((b & 0xF0) | pen) : static_cast<uint8_t>((b & 0x0F) | pen << 4);
    }
    void fill_tile(uint32_t tile, int pen) {
        for (int r = 0; r < 16; ++r)
            for (int c = 0; c < 16; ++c) set_tile_pen(tile, c, r, pen);
    }

    // Sprite region word (big-endian) and sprite list entry.
    void sprite_word(uint32_t index, uint32_t v) {
        for (uint32_t i = 0; i < 4; ++i) sprites[index * 4 + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
    }
    static void sprite_entry(uint32_t n, std::initializer_list<uint16_t> words) {
        uint32_t k = 0;
        for (uint16_t w : words) {
            const uint32_t offset = (n * 16 + k++ * 2) & 0x1FFFF;
            orb_board.sprite_ram[offset] = static_cast<uint8_t>(w);
            orb_board.sprite_ram[offset + 1] = static_cast<uint8_t>(w >> 8);
        }
    }
    static void end_list(uint32_t n) { sprite_entry(n, {0xC000}); }

    // The sprite frame the engine drew last (the back frame).
    static uint16_t drawn_sprite(int x, int y) {
        return video.sprite_frames[(video.sprite_frame_index ^ 1) & 1][y][x];
    }
    static uint16_t shown_sprite(int x, int y) {
        return video.sprite_frames[video.sprite_frame_index & 1][y][x];
    }
    // Fills the shown sprite frame with one value.
    static void fill_shown_sprites(uint16_t v) {
        auto& f = video.sprite_frames[video.sprite_frame_index & 1];
        std::fill(&f[0][0], &f[0][0] + ORB_VIDEO_ROWS * ORB_VIDEO_COLUMNS, v);
    }

    // The output pixel at (x, y) decoded back into a palette index (identity
    // palette), and the components of a pixel.
    static uint32_t pixel(int x, int y) { return video.frame[y][x]; }
    static int index_at(int x, int y) {
        const uint32_t p = pixel(x, y);
        return static_cast<int>(((p >> 19) & 31) | ((p >> 11) & 31) << 5 | ((p >> 3) & 31) << 10);
    }
    static uint32_t rgb(int r, int g, int b) {
        return static_cast<uint32_t>(r) << 19 | static_cast<uint32_t>(g) << 11 |
               static_cast<uint32_t>(b) << 3;
    }
    static uint16_t layer_px(int layer, int x, int y) { return video.layers[layer].pixels[y][x]; }
};
