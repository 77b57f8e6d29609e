// Synthetic ROM data: what the run-ending paths need that no other area plants.
#include "tests/support/synthetic_rom.h"

namespace synthetic {

void plant_endings(rom_builder& rom) {
  // Player-input masks, one 32-bit word per player-count setting (2, 3, 4
  // slots): a player byte per slot, all eight bits kept for the players the
  // setting has, the others cleared.
  rom.put32(0x06060F, 0x0000FFFF, "player-input mask, 2 slots");
  rom.put32(0x060613, 0x00FFFFFF, "player-input mask, 3 slots");
  rom.put32(0x060617, 0xFFFFFFFF, "player-input mask, 4 slots");
  // Attack-object type routines (32-bit by object type): the kinds the player
  // controller launches are types 4-7 (character + 4); each is the
  // projectile, which lives on after its first run.
  for (uint32_t type = 4; type < 8; ++type)
    rom.put32(0x07859C + 4 * type, 0x07836B, "attack-object type routines, the launched kinds");
}

}  // namespace synthetic
