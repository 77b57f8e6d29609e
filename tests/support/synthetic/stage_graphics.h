#pragma once
// Where the synthetic set keeps the decompression job that fills stage 1's
// two map pages (video RAM pages 0 and 1) with its floor and wall tiles:
// named by the stage descriptor and by the demo's graphics table, planted
// with the tiles themselves by plant_graphics.
#include <cstdint>

namespace synthetic::stage_graphics {

// Entries {stream offset from rom::graphics_source, 1 KB block}, then 0xFFFF.
constexpr uint32_t kJobList = 0x10B400;

}  // namespace synthetic::stage_graphics
