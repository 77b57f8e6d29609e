// Synthetic ROM data: sound.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_sound(rom_builder& rom) { (void)rom; }

}  // namespace synthetic
