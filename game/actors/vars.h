// Variables of the enemies and actors (spawning, enemy states, platform
// enemies, passers-by, props), named once. Absolute guest addresses; see
// game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t live_enemy_count = 0x20C14C;  // 8-bit, raised by every enemy set-up

}  // namespace var
