// Synthetic ROM data: play.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_play(rom_builder& rom) { (void)rom; }

}  // namespace synthetic
