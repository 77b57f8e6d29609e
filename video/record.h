// The renderer's one record and the steps of a frame, shared by the files of
// the video library only.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "video/video.h"

// SSE2 intrinsics where they pay; IRONBELL_PORTABLE_VIDEO (a CMake option)
// builds the plain C++ that stands beside each of them.
#if defined(__SSE2__) && !defined(IRONBELL_PORTABLE_VIDEO)
#define VIDEO_SSE2 1
#include <emmintrin.h>
#endif

// A layer's pixels: 0 transparent, else palette number << 4 | pen.
struct layer_record {
    uint16_t pixels[ORB_VIDEO_ROWS][ORB_VIDEO_COLUMNS];
    uint8_t row_empty[ORB_VIDEO_ROWS];  // every shown pixel of the row is 0
};

struct clip_rect {
    int32_t x_min, x_max, y_min, y_max;
};

// Clip-window runs: per row a set number, per set the x edges x_min, ...,
// x_max + 1. Edges are 16-bit, so a window edge that went negative under
// screen flip compares as a large value.
constexpr int CLIP_SET_COUNT = 256;
constexpr int CLIP_MAX_EDGES = 16;
constexpr int CLIP_ROW_SETS = 32;  // first per-row set (row y uses 32 + y)
struct clip_run_sets {
    uint8_t set_of_row[256];
    uint16_t edges[CLIP_SET_COUNT][CLIP_MAX_EDGES];
    uint8_t edge_count[CLIP_SET_COUNT];
    uint32_t set_count;
};

enum : int {
    LAYER_TEXT = 0,
    LAYER_NBG0 = 1,
    LAYER_BITMAP = 5,
    LAYER_BACKDROP = 7,
};

struct video_record {
    const uint8_t* tile_rom;
    uint32_t tile_count;
    const uint8_t* sprite_rom;
    uint32_t sprite_word_count;
    uint32_t sprite_bank_count;
    clip_rect clip;
    layer_record layers[8];
    uint16_t sprite_frames[2][ORB_VIDEO_ROWS][ORB_VIDEO_COLUMNS];
    int32_t sprite_frame_index;
    uint32_t frame[ORB_VIDEO_ROWS][ORB_VIDEO_COLUMNS];
    clip_run_sets clip_runs;
};

extern video_record video;

// A 16-bit little-endian word of video RAM at a byte offset (wrapped to 128 KB).
inline uint16_t vram_word(uint32_t offset) {
    offset &= 0x1FFFE;
    return static_cast<uint16_t>(orb_board.video_ram[offset] | orb_board.video_ram[offset + 1] << 8);
}
// The video register at guest 0x31FF00 + offset.
inline uint16_t video_reg(uint32_t offset) { return vram_word(0x1FF00 + offset); }

// Mixer register at guest 0x610000 + 2 * index.
inline uint16_t mixer_reg(int index) { return orb_board.mixer_regs[index & 0x3F]; }

// v modulo a non-zero count, without a division when the count is a power of
// two (as the real regions are).
inline uint32_t wrap_to(uint32_t v, uint32_t count) {
    return (count & (count - 1)) == 0 ? v & (count - 1) : v % count;
}

// Sign-extends the low `bits` bits of v.
inline int32_t sign_extend(uint32_t v, int bits) {
    const uint32_t m = 1u << (bits - 1);
    v &= (m << 1) - 1;
    return static_cast<int32_t>(v ^ m) - static_cast<int32_t>(m);
}

// Layers (layers.cpp).
void draw_zoomed_layer(int k);
void draw_scrolled_layer(int k);
void draw_text_layer();
void draw_bitmap_layer();
void draw_backdrop();
void report_tile_pages(int k);

// Clip windows (clip.cpp): builds `video.clip_runs` and returns the first run's
// state (1 draw, 0 blank). `selection` is a mask of windows 0 to 4.
int find_clip_runs(bool enable, int outside, unsigned selection);

// Mixer (mixer.cpp): writes the shown rectangle of `video.frame`.
void mix_layers(unsigned layer_mask);

// Sprite engine (sprites.cpp): walks the latched list into a sprite frame.
void draw_sprite_list(uint16_t (*target)[ORB_VIDEO_COLUMNS]);
