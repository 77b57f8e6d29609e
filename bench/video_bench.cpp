// Renderer speed on a worst-case scene: 416 wide, every layer on (zoomed NBG0
// and NBG1, line-scrolled NBG2 and NBG3, text, 8-bit bitmap), clip windows on,
// blending on for every layer, and 300 sprites of 64 x 64.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "board/machine.h"
#include "video/video.h"

namespace {

void vreg(uint32_t offset, uint16_t v) {
    orb_board.video_ram[0x1FF00 + offset] = static_cast<uint8_t>(v);
    orb_board.video_ram[0x1FF01 + offset] = static_cast<uint8_t>(v >> 8);
}
void sprite_word(uint32_t n, int k, uint16_t v) {
    orb_board.sprite_ram[n * 16 + static_cast<uint32_t>(k) * 2] = static_cast<uint8_t>(v);
    orb_board.sprite_ram[n * 16 + static_cast<uint32_t>(k) * 2 + 1] = static_cast<uint8_t>(v >> 8);
}

struct Scene {
    std::vector<uint8_t> program = std::vector<uint8_t>(0x200000, 0);
    std::vector<uint8_t> tiles = std::vector<uint8_t>(0x400000);
    std::vector<uint8_t> sprites = std::vector<uint8_t>(0x800000);

    Scene() {
        std::mt19937 rng(7);
        for (auto& b : tiles) b = static_cast<uint8_t>(rng() | 0x11);      // every pen non-zero
        for (auto& b : sprites) b = static_cast<uint8_t>((rng() & 0xEE) | 0x11);  // no 15 pens: no row ends early
        orb_init(program.data());
        orb_video_init(tiles.data(), tiles.size(), sprites.data(), sprites.size());
        orb_board.io.cnt |= 2;
        for (auto& b : orb_board.video_ram) b = static_cast<uint8_t>(rng());
        for (auto& p : orb_board.palette) p = static_cast<uint16_t>(rng());

        vreg(0x00, 0x8800);  // 416 wide, 8-bit bitmap
        vreg(0x02, 0xF800);  // clip windows enabled for every layer, outside state 0
        vreg(0x04, 0x0400 | 0x000F);      // line scroll x and y for NBG2 and NBG3, table block 1
        vreg(0x06, 0xFFFF);               // every window selected
        for (int r = 0; r < 5; ++r) {     // windows covering most of the screen
            vreg(0x60 + 8 * r, static_cast<uint16_t>(r * 10));
            vreg(0x62 + 8 * r, 0);
            vreg(0x64 + 8 * r, static_cast<uint16_t>(300 + r * 20));
            vreg(0x66 + 8 * r, 223);
        }
        vreg(0x50, 0x180);  // zoom
        vreg(0x54, 0x2A0);
        vreg(0x5E, 0x8200);
        vreg(0x8E, 0);
        for (int i = 0; i < 6; ++i) {
            orb_board.mixer_regs[0x10 + i] = static_cast<uint16_t>(1 + i);
            orb_board.mixer_regs[0x18 + i] = static_cast<uint16_t>(0xFF << 6 | 0x30);  // blend with all
        }
        for (int g = 0; g < 16; ++g) orb_board.mixer_regs[g] = 4;
        orb_board.mixer_regs[0x26] = 0x0B;
        orb_board.mixer_regs[0x27] = 0x0B00;  // blending on, level 3

        // 300 sprites of 64 x 64 (4 bits a pixel: 8 words a row).
        for (uint32_t n = 0; n < 300; ++n) {
            const uint16_t x = static_cast<uint16_t>((n * 37) % 400);
            const uint16_t y = static_cast<uint16_t>((n * 53) % 210);
            const uint16_t words[8] = {0x000A, 64 << 8 | 8 << 1, 64, 64, y, x, static_cast<uint16_t>(n * 512),
                                       static_cast<uint16_t>(n << 4)};
            for (int k = 0; k < 8; ++k) sprite_word(n, k, words[k]);
        }
        sprite_word(300, 0, 0xC000);
        orb_board.sprite_latched[6] = 1;
        orb_video_sprites(true, true);
        orb_video_sprites(true, true);
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void BM_VideoDrawFrame(benchmark::State& state) {
    scene();
    for (auto _ : state) orb_video_draw_frame();
}
BENCHMARK(BM_VideoDrawFrame)->Unit(benchmark::kMillisecond);

void BM_VideoSpriteList(benchmark::State& state) {
    scene();
    for (auto _ : state) orb_video_sprites(true, true);
}
BENCHMARK(BM_VideoSpriteList)->Unit(benchmark::kMillisecond);

// One whole frame as the board runs it: the sprite update and the picture.
void BM_VideoWholeFrame(benchmark::State& state) {
    scene();
    for (auto _ : state) {
        orb_video_sprites(true, true);
        orb_video_draw_frame();
    }
}
BENCHMARK(BM_VideoWholeFrame)->Unit(benchmark::kMillisecond);

}  // namespace
