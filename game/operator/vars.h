// Variables of the operator functions (backup settings, coins and credits,
// bookkeeping, service menu and test pages), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {}  // namespace var
