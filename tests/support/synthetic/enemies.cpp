// Synthetic ROM data: enemies.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_enemies(rom_builder& rom) { (void)rom; }

}  // namespace synthetic
