// The frame driver: which layers draw, in what order, and the renderer's
// entry points for the host and the board.
#include <algorithm>
#include <cstring>

#include "video/record.h"

video_record video;
orb_video_tile_observer_fn orb_video_tile_observer = nullptr;
orb_video_sprite_observer_fn orb_video_sprite_observer = nullptr;

void orb_video_init(const uint8_t* tiles, uint64_t tiles_size, const uint8_t* sprites,
                    uint64_t sprites_size) {
    std::memset(&video, 0, sizeof video);
    video.tile_rom = tiles;
    video.tile_count = static_cast<uint32_t>(tiles_size / 128);
    video.sprite_rom = sprites;
    video.sprite_word_count = static_cast<uint32_t>(sprites_size / 4);
    video.sprite_bank_count = static_cast<uint32_t>(sprites_size >> 22);
    video.clip = {0, 319, 0, ORB_VIDEO_ROWS - 1};
    orb_board.callbacks.frame = orb_video_draw_frame;
    orb_board.callbacks.sprites = orb_video_sprites;
}

void orb_video_draw_frame() {
    const uint16_t control = video_reg(0x00);
    video.clip = {0, (control & 0x8000) ? 415 : 319, 0, ORB_VIDEO_ROWS - 1};
    const clip_rect& c = video.clip;

    // Display enable is bit 1 of the I/O chip's CNT register.
    if (!(orb_board.io.cnt & 2)) {
        for (int y = 0; y < ORB_VIDEO_ROWS; ++y) std::fill(video.frame[y], video.frame[y] + c.x_max + 1, 0u);
        return;
    }

    // Two layer-off words with different bit orders, and for NBG2/NBG3 a
    // third switch in the control word.
    const uint16_t off = video_reg(0x02);
    const uint16_t off2 = video_reg(0x8E);
    unsigned mask = 0;
    for (int k = 0; k < 4; ++k) {
        if ((off >> k) & 1 || (off2 >> (k + 1)) & 1) continue;
        if (k >= 2 && (control >> (10 + k)) & 1) continue;
        if (k < 2) {
            draw_zoomed_layer(k);
        } else {
            draw_scrolled_layer(k);
        }
        report_tile_pages(k);
        mask |= 1u << (LAYER_NBG0 + k);
    }
    if (!((off >> 4) & 1) && !(off2 & 1)) {
        draw_text_layer();
        mask |= 1u << LAYER_TEXT;
    }
    if (!((off >> 5) & 1) && !((off2 >> 5) & 1)) {
        draw_bitmap_layer();
        mask |= 1u << LAYER_BITMAP;
    }
    draw_backdrop();
    mix_layers(mask);
}

const uint32_t* orb_video_frame(int* width) {
    if (width) *width = video.clip.x_max + 1;
    return &video.frame[0][0];
}

uint64_t orb_video_frame_hash() {
    uint64_t hash = ORB_FNV_OFFSET;
    for (int y = 0; y < ORB_VIDEO_ROWS; ++y)
        for (int x = 0; x <= video.clip.x_max; ++x) {
            const uint32_t p = video.frame[y][x];
            const uint8_t bytes[3] = {static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8),
                                      static_cast<uint8_t>(p >> 16)};
            hash = orb_fnv1a(hash, bytes, 3);
        }
    return hash;
}

void orb_video_sprites(bool clear, bool draw) {
    if (clear) {
        auto& shown = video.sprite_frames[video.sprite_frame_index & 1];
        std::fill(&shown[0][0], &shown[0][0] + ORB_VIDEO_ROWS * ORB_VIDEO_COLUMNS, uint16_t{0xFFFF});
    }
    if (draw) {
        video.sprite_frame_index ^= 1;
        draw_sprite_list(video.sprite_frames[(video.sprite_frame_index ^ 1) & 1]);
    }
}
