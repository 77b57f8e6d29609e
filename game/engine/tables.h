// Tables of the program ROM that the engine reads (scripts, frame lists, palettes,
// direction and decompression data), named once by their guest addresses. Every
// area keeps its own header; one namespace `rom` spans them, so a name given
// twice does not compile. The synthetic set plants its data at these names.
#pragma once
#include <cstdint>

namespace rom {

// ---- boot ----
inline constexpr uint32_t vector_base = 0x09F000;

// ---- camera ----
inline constexpr uint32_t camera_script_table = 0x08731A;  // 32-bit camera script per stage and area
inline constexpr uint32_t shake_offsets = 0x0870A6;        // s16 added to y, by shake step
inline constexpr uint32_t move_target = 0x0872C6;          // s16 x, s16 y of the scripted move
inline constexpr uint32_t follow_y_offsets = 0x0872FA;     // s16, by player record +38 & 15

// ---- direction ----
inline constexpr uint32_t octant_base = 0x089290;  // 8 halfwords
inline constexpr uint32_t octant_sign = 0x0892A0;  // 8 signed halfwords
inline constexpr uint32_t arctangent = 0x100A00;   // 257 bytes, by ratio 0 to 256
inline constexpr uint32_t aim_offsets = 0x0892B0;  // 16 pairs of signed halfwords (x, y)

// ---- hits ----
inline constexpr uint32_t hit_points_table = 0x088611;    // halfwords by attack kind, at an odd address
inline constexpr uint32_t hit_reaction_table = 0x0885E9;  // bytes, row = attack kind (0-9) × 4 + column

// ---- input ----
inline constexpr uint32_t player_masks = 0x06060F;  // 32-bit mask by player-count setting

// ---- objects ----
inline constexpr uint32_t object_template = 0x088D58;

// ---- palette ----
inline constexpr uint32_t fade_presets = 0x0897E8;
inline constexpr uint32_t colour_sets = 0x1212CA;  // 16-colour sets the block lists name
// The fixed palettes start-up loads: the text colours, the title's
// background scene (also the demo's and the game over's), the tile colours.
inline constexpr uint32_t text_palette = 0x08E018;
inline constexpr uint32_t scene_palette = 0x08E21C;
inline constexpr uint32_t tile_palette = 0x123B9E;

// ---- sound_queue ----
inline constexpr uint32_t demo_codes_a = 0x089010;  // eight 32-bit words, a bit per code
inline constexpr uint32_t demo_codes_b = 0x089030;

// ---- terrain ----
inline constexpr uint32_t terrain_lists = 0x132992;  // 32-bit list per stage and area, 0 = none

// ---- video_setup ----
inline constexpr uint32_t text_patterns = 0x100F02;    // 6,144 halfwords
inline constexpr uint32_t area_page_words = 0x08880D;  // 8 bytes per stage and area, five areas a stage
inline constexpr uint32_t mixer_defaults = 0x060A36;   // 40 halfwords
inline constexpr uint32_t video_defaults = 0x060AAC;   // 71 halfwords for the registers after it

}  // namespace rom
