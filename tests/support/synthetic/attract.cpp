// Synthetic ROM data: attract.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_attract(rom_builder& rom) { (void)rom; }

}  // namespace synthetic
