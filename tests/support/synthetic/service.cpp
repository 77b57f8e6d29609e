// Synthetic ROM data: service.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_service(rom_builder& rom) { (void)rom; }

}  // namespace synthetic
