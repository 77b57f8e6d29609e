// Tables of the program ROM that the engine reads (scripts, frame lists, palettes,
// direction and decompression data), named once by their guest addresses. Every
// area keeps its own header; one namespace `rom` spans them, so a name given
// twice does not compile. The synthetic set plants its data at these names.
#pragma once
#include <cstdint>

namespace rom {

// ---- animation ----

// ---- boot ----
inline constexpr uint32_t vector_base = 0x09F000;

// ---- camera ----
inline constexpr uint32_t camera_scripts = 0x08731A;  // 32-bit camera script per stage and area

// ---- decompress ----

// ---- direction ----

// ---- hitboxes ----

// ---- hits ----

// ---- input ----
inline constexpr uint32_t player_masks = 0x06060F;  // 32-bit mask by player-count setting

// ---- interrupts ----

// ---- objects ----

// ---- palette ----
inline constexpr uint32_t colour_sets = 0x1212CA;  // 16-colour sets the block lists name
// The fixed palettes start-up loads: the text colours, the title's
// background scene (also the demo's and the game over's), the tile colours.
inline constexpr uint32_t text_palette = 0x08E018;
inline constexpr uint32_t scene_palette = 0x08E21C;
inline constexpr uint32_t tile_palette = 0x123B9E;

// ---- sound_queue ----

// ---- sprite_list ----

// ---- terrain ----
inline constexpr uint32_t terrain_lists = 0x132992;  // 32-bit list per stage and area, 0 = none

// ---- text ----

// ---- video_setup ----
inline constexpr uint32_t area_page_words = 0x08880D;  // 8 bytes per stage and area, five areas a stage
inline constexpr uint32_t mixer_defaults = 0x060A36;  // 40 halfwords
inline constexpr uint32_t video_defaults = 0x060AAC;  // 71 halfwords for the registers after it

}  // namespace rom
