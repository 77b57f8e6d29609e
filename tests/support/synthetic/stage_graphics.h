#pragma once
// Where the synthetic set keeps the decompression job that fills stage 1's
// two map pages (video RAM pages 0 and 1) with its floor and wall tiles:
// named by the stage descriptor and by the demo's graphics table, planted
// with the tiles themselves by plant_graphics.
#include <cstdint>

#include "game/flow/tables.h"

namespace synthetic::stage_graphics {

constexpr uint32_t kJobList = 0x10B400;     // entries {stream offset, 1 KB block}, then 0xFFFF
constexpr uint32_t kSourceBase = rom::graphics_source;  // the streams' offsets count from here

}  // namespace synthetic::stage_graphics
