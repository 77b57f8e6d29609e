// The video renderer: tile, text, bitmap and backdrop layers, the sprite
// engine and the mixer, turning the board's video state into one picture of
// 224 rows by 320 or 416 pixels per frame. The board calls it through its
// `frame` and `sprites` callbacks; the host reads the picture.
#pragma once
#include <cstdint>

constexpr int ORB_VIDEO_ROWS = 224;
constexpr int ORB_VIDEO_COLUMNS = 416;  // row pitch of every buffer, in pixels

// Starts the renderer on the tile region (16 x 16 tiles of 4 bits a pixel)
// and the sprite region (big-endian 32-bit words). Zeroes all renderer state
// and installs the board's `frame` and `sprites` callbacks.
void orb_video_init(const uint8_t* tiles, uint64_t tiles_size, const uint8_t* sprites, uint64_t sprites_size);

// Composes the current picture from video RAM, its registers, the shown
// sprite frame, the palette and the mixer registers.
void orb_video_draw_frame();

// The picture: 224 rows of 416 pixels (R << 19 | G << 11 | B << 3). `width`,
// when given, receives the shown width of the last frame drawn (320 or 416).
const uint32_t* orb_video_frame(int* width);

// FNV-1a over the shown pixels' bytes 0 to 2, row by row.
uint64_t orb_video_frame_hash();

// The sprite update: clear the shown sprite frame, and/or flip frames and draw
// the latched sprite list into the back frame.
void orb_video_sprites(bool clear, bool draw);

// Palette entries the mixer would use for a tile layer's colour and pen, and
// for a sprite-frame pixel.
uint16_t orb_video_tile_pen_color(int layer, int colour, int pen);
uint16_t orb_video_sprite_pixel_color(uint16_t pixel);

// Observer hooks for tools; empty in normal runs.
using orb_video_tile_observer_fn = void (*)(int layer, uint16_t tile, uint16_t colour);
using orb_video_sprite_observer_fn = void (*)(uint32_t address, int width_words, int height, bool eight_bit,
                                              bool all_ones_is_pen, const uint16_t* colours);
extern orb_video_tile_observer_fn orb_video_tile_observer;
extern orb_video_sprite_observer_fn orb_video_sprite_observer;
