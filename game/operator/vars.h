// Variables of the operator functions (backup settings, coins and credits,
// bookkeeping, service menu and test pages), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

// ---- backup settings, loaded from the EEPROM at start ----
constexpr uint32_t flip_screen = 0x20910A;  // 8-bit, backup_record.flip_screen: not 0 = picture flipped

}  // namespace var
