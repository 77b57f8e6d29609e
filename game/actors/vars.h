// Variables of the enemies and actors (spawning, enemy states, platform
// enemies, passers-by, props), named once. Absolute guest addresses; see
// game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {}  // namespace var
