// Synthetic ROM data: what the run-ending paths need that no other area plants.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_endings(rom_builder& rom) {
  // Attack-object type routines (32-bit by object type): the kinds the player
  // controller launches are types 4-7 (character + 4); each is the
  // projectile, which lives on after its first run.
  for (uint32_t type = 4; type < 8; ++type)
    rom.put32(0x07859C + 4 * type, 0x07836B, "attack-object type routines, the launched kinds");
}

}  // namespace synthetic
