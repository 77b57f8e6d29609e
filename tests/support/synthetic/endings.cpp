// Synthetic ROM data: what the run-ending paths need that no other area plants.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_endings(rom_builder& rom) {
  // Attack-object type routines (32-bit by object type): the kinds the player
  // controller launches are types 4-7 (character + 4): the first
  // character's and the fourth's the projectile, the second's the beam, the
  // third's the sweep; each lives on after its first run.
  const uint32_t kinds[4] = {0x07836B, 0x077D29, 0x078179, 0x07836B};
  for (uint32_t type = 4; type < 8; ++type)
    rom.put32(0x07859C + 4 * type, kinds[type - 4], "attack-object type routines, the launched kinds");
}

}  // namespace synthetic
