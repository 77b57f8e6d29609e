// Tables of the program ROM that the engine reads (scripts, frame lists, palettes,
// direction and decompression data), named once by their guest addresses. Every
// area keeps its own header; one namespace `rom` spans them, so a name given
// twice does not compile. The synthetic set plants its data at these names.
#pragma once
#include <cstdint>

namespace rom {

// ---- animation ----

// ---- boot ----

// ---- camera ----
inline constexpr uint32_t camera_script_table = 0x08731A;  // 32-bit camera script per stage and area

// ---- decompress ----

// ---- direction ----
inline constexpr uint32_t octant_base = 0x089290;  // 8 halfwords
inline constexpr uint32_t octant_sign = 0x0892A0;  // 8 signed halfwords
inline constexpr uint32_t arctangent = 0x100A00;  // 257 bytes, by ratio 0 to 256

// ---- hitboxes ----

// ---- hits ----
inline constexpr uint32_t hit_points_table = 0x088611;  // halfwords by attack kind, at an odd address

// ---- input ----

// ---- interrupts ----

// ---- objects ----

// ---- palette ----

// ---- sound_queue ----

// ---- sprite_list ----

// ---- terrain ----

// ---- text ----

// ---- video_setup ----
inline constexpr uint32_t text_patterns = 0x100F02;  // 6,144 halfwords

}  // namespace rom
