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

// ---- decompress ----

// ---- direction ----

// ---- hitboxes ----

// ---- hits ----

// ---- input ----

// ---- interrupts ----

// ---- objects ----

// ---- palette ----

// ---- sound_queue ----

// ---- sprite_list ----

// ---- terrain ----

// ---- text ----

// ---- video_setup ----

}  // namespace rom
