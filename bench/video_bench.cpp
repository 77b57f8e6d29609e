// Renderer speed on two scenes. The worst case: 416 wide, every layer on
// (zoomed NBG0 and NBG1, line-scrolled NBG2 and NBG3, text, 8-bit bitmap),
// clip windows on, blending on for every layer, and 300 sprites of 64 x 64.
// A typical game scene: two line-scrolled layers, the text layer, the
// backdrop and 60 sprites of 32 x 32, without blending.
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

// The graphics regions, shared by both scenes: every tile pen non-zero but
// for tile 0, which is blank; no sprite pen is 15, so no row ends early.
struct Regions {
    std::vector<uint8_t> program = std::vector<uint8_t>(0x200000, 0);
    std::vector<uint8_t> tiles = std::vector<uint8_t>(0x400000);
    std::vector<uint8_t> sprites = std::vector<uint8_t>(0x800000);
    std::mt19937 rng{7};  // continues into the worst-case scene's RAM

    Regions() {
        for (auto& b : tiles) b = static_cast<uint8_t>(rng() | 0x11);
        for (auto& b : sprites) b = static_cast<uint8_t>((rng() & 0xEE) | 0x11);
        std::fill(tiles.begin(), tiles.begin() + 128, uint8_t{0});
        orb_init(program.data());
    }
};

Regions& regions() {
    static Regions r;
    return r;
}

// Starts the renderer afresh on the regions with the display on and every
// mixer register 0; returns the generator for the scene's RAM.
std::mt19937 fresh_renderer() {
    Regions& r = regions();
    orb_video_init(r.tiles.data(), r.tiles.size(), r.sprites.data(), r.sprites.size());
    orb_board.io.cnt |= 2;
    for (auto& m : orb_board.mixer_regs) m = 0;
    return r.rng;
}

// A list of `count` square sprites of `size` pixels (4 bits a pixel), sprite
// n at x = n * x_step % x_wrap and y = n * y_step % y_wrap, each with its own
// graphics and colour; then the two updates that make it the shown frame.
void sprite_list(uint32_t count, uint16_t size, uint32_t x_step, uint32_t x_wrap, uint32_t y_step,
                 uint32_t y_wrap) {
    const auto words_across = static_cast<uint16_t>(size / 8);
    for (uint32_t n = 0; n < count; ++n) {
        const auto x = static_cast<uint16_t>((n * x_step) % x_wrap);
        const auto y = static_cast<uint16_t>((n * y_step) % y_wrap);
        const uint16_t words[8] = {0x000A,
                                   static_cast<uint16_t>(size << 8 | words_across << 1),
                                   size,
                                   size,
                                   y,
                                   x,
                                   static_cast<uint16_t>(n * size * words_across),
                                   static_cast<uint16_t>(n << 4)};
        for (int k = 0; k < 8; ++k) sprite_word(n, k, words[k]);
    }
    sprite_word(count, 0, 0xC000);
    orb_board.sprite_latched[6] = 1;
    orb_video_sprites(true, true);
    orb_video_sprites(true, true);
}

void worst_scene() {
    std::mt19937 rng = fresh_renderer();
    for (auto& b : orb_board.video_ram) b = static_cast<uint8_t>(rng());
    for (auto& p : orb_board.palette) p = static_cast<uint16_t>(rng());

    vreg(0x00, 0x8800);            // 416 wide, 8-bit bitmap
    vreg(0x02, 0xF800);            // clip windows enabled for every layer, outside state 0
    vreg(0x04, 0x0400 | 0x000F);   // line scroll x and y for NBG2 and NBG3, table block 1
    vreg(0x06, 0xFFFF);            // every window selected
    for (int r = 0; r < 5; ++r) {  // windows covering most of the screen
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

    sprite_list(300, 64, 37, 400, 53, 210);  // 300 sprites of 64 x 64
}

// The typical scene: NBG2 and NBG3 scroll per line, NBG3 over a map with a
// third of its tiles blank, the text layer is mostly blank, the zoomed layers
// and the bitmap are off.
void typical_scene() {
    fresh_renderer();
    std::mt19937 rng(11);
    for (auto& b : orb_board.video_ram) b = static_cast<uint8_t>(rng());
    for (auto& p : orb_board.palette) p = static_cast<uint16_t>(rng());
    for (uint32_t r = 0; r < 0x90; r += 2) vreg(r, 0);
    vreg(0x00, 0x8000);           // 416 wide, no flip
    vreg(0x02, 0x0023);           // NBG0, NBG1 and the bitmap off; no clip windows
    vreg(0x04, 0x2000 | 0x000F);  // line scroll x and y for NBG2 and NBG3, table block 8
    vreg(0x8E, 0);
    vreg(0x48, 0x0100);  // NBG2 pages 0, 1, 2, 3
    vreg(0x4A, 0x0302);
    vreg(0x4C, 0x0504);  // NBG3 pages 4, 5, 6, 7
    vreg(0x4E, 0x0706);
    vreg(0x22, 37);  // scrolls and centres
    vreg(0x26, 11);
    vreg(0x2A, 300);
    vreg(0x2E, 90);
    vreg(0x38, 0);
    vreg(0x3C, 0);
    // Maps: NBG2 a solid playfield, NBG3 a foreground with a third of its
    // entries on the blank tile 0.
    for (uint32_t i = 0; i < 4 * 512; ++i) {
        const uint16_t entry = static_cast<uint16_t>(rng() & 0xDFFF);
        orb_board.video_ram[i * 2] = static_cast<uint8_t>(entry);
        orb_board.video_ram[i * 2 + 1] = static_cast<uint8_t>(entry >> 8);
        const uint16_t front = (rng() % 3 == 0) ? 0 : static_cast<uint16_t>(rng() & 0xDFFF);
        orb_board.video_ram[4096 + i * 2] = static_cast<uint8_t>(front);
        orb_board.video_ram[4096 + i * 2 + 1] = static_cast<uint8_t>(front >> 8);
    }
    // Line tables of block 8: gentle waves.
    for (uint32_t r = 0; r < 256; ++r) {
        const uint16_t table[4] = {static_cast<uint16_t>(r / 8 % 5), static_cast<uint16_t>(r / 16 % 3),
                                   static_cast<uint16_t>(r + 2), static_cast<uint16_t>(r + 7)};
        for (uint32_t t = 0; t < 4; ++t) {
            const uint32_t at = (8 * 1024 + t * 256 + r) * 2;
            orb_board.video_ram[at] = static_cast<uint8_t>(table[t]);
            orb_board.video_ram[at + 1] = static_cast<uint8_t>(table[t] >> 8);
        }
    }
    // Text: map at 0x10000, characters of bank 7 (0x1C000); only the top
    // two rows of cells (a score line) use a non-blank character.
    vreg(0x5C, 0x0107);
    for (uint32_t i = 0; i < 64 * 32; ++i) {
        const uint16_t cell = i < 128 ? static_cast<uint16_t>(0x0201 + (i % 40)) : 0x0200;
        orb_board.video_ram[0x10000 + i * 2] = static_cast<uint8_t>(cell);
        orb_board.video_ram[0x10000 + i * 2 + 1] = static_cast<uint8_t>(cell >> 8);
    }
    std::fill(orb_board.video_ram + 0x1C000, orb_board.video_ram + 0x1C020, uint8_t{0});  // character 0 blank
    vreg(0x5E, 0x0400);
    for (int i = 0; i < 6; ++i) {
        orb_board.mixer_regs[0x10 + i] = static_cast<uint16_t>(1 + i);
        orb_board.mixer_regs[0x18 + i] = 0;
    }
    orb_board.mixer_regs[0x10] = 14;  // text on top
    orb_board.mixer_regs[0x1F] = 0;
    for (int g = 0; g < 16; ++g) orb_board.mixer_regs[g] = 4;
    orb_board.mixer_regs[0x26] = 0x0B;
    orb_board.mixer_regs[0x27] = 0;  // no blending

    sprite_list(60, 32, 67, 390, 41, 200);  // 60 sprites of 32 x 32
}

void BM_VideoDrawFrame(benchmark::State& state) {
    worst_scene();
    for (auto _ : state) orb_video_draw_frame();
}
BENCHMARK(BM_VideoDrawFrame)->Unit(benchmark::kMillisecond);

void BM_VideoSpriteList(benchmark::State& state) {
    worst_scene();
    for (auto _ : state) orb_video_sprites(true, true);
}
BENCHMARK(BM_VideoSpriteList)->Unit(benchmark::kMillisecond);

// Whole frames as the board runs them: the sprite update and the picture.
void whole_frames(benchmark::State& state, void (*scene)()) {
    scene();
    for (auto _ : state) {
        orb_video_sprites(true, true);
        orb_video_draw_frame();
    }
}

void BM_VideoWholeFrame(benchmark::State& state) { whole_frames(state, worst_scene); }
BENCHMARK(BM_VideoWholeFrame)->Unit(benchmark::kMillisecond);

void BM_VideoTypicalFrame(benchmark::State& state) { whole_frames(state, typical_scene); }
BENCHMARK(BM_VideoTypicalFrame)->Unit(benchmark::kMillisecond);

}  // namespace
