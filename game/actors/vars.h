// Variables of the enemies and actors (spawning, enemy states, platform
// enemies, passers-by, props), named once. Absolute guest addresses; see
// game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t live_enemy_count = 0x20C14C;  // 8-bit, raised by every enemy set-up
constexpr uint32_t enemy_flags = 0x20C14E;       // 32-bit; bit 0 a boss bar is on screen

}  // namespace var
