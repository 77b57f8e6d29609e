// Synthetic ROM data: boot.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_boot(rom_builder& rom) { (void)rom; }

}  // namespace synthetic
