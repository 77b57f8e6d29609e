#pragma once
// Stage 4's tables of object lists and spawn lists by area. Its areas are
// planted by files of their own (scenery.cpp: area 1; boss.cpp: area 3), so
// the two tables by area stand at fixed addresses: each file plants the
// shared rows (the same values from either) and then its own area's row.
#include <cstdint>

#include "tests/support/synthetic_rom.h"

namespace synthetic::stage4 {

inline constexpr uint32_t kStage = 4;
inline constexpr uint32_t kObjectAreas = 0x12D000;  // u32 per area 0-4: its object list
inline constexpr uint32_t kSpawnAreas = 0x12D014;   // u32 per area 0-4: its spawn list
inline constexpr uint32_t kNoObjects = 0x12D028;    // no objects of any size (3 counts of 0)
inline constexpr uint32_t kNoSpawns = 0x12D02B;     // a spawn list that is only its end mark
inline constexpr uint32_t kObjectListTable = 0x08DD98;  // u32 per stage -> u32 per area
inline constexpr uint32_t kSpawnListTable = 0x06650C;   // u32 per stage -> u32 per area

// The stage's rows in the game's tables, and the areas no file plants
// (0, the intro; 2 and 4, placed-object areas no run can play) as empty.
inline void plant_shared(rom_builder& rom) {
  rom.put32(kObjectListTable + 4 * kStage, kObjectAreas, "object lists: stage 4");
  rom.put32(kSpawnListTable + 4 * kStage, kSpawnAreas, "spawn list table: stage 4");
  for (uint8_t i = 0; i < 3; ++i) rom.put8(kNoObjects + i, 0, "stage 4 objects: none");
  rom.put8(kNoSpawns, 0x80, "stage 4 spawn list: empty");
  for (uint32_t area : {0u, 2u, 4u}) {
    rom.put32(kObjectAreas + 4 * area, kNoObjects, "stage 4 object lists by area: empty areas");
    rom.put32(kSpawnAreas + 4 * area, kNoSpawns, "stage 4 spawn lists by area: empty areas");
  }
}

// One area's own lists.
inline void plant_area(rom_builder& rom, uint32_t area, uint32_t objects, uint32_t spawns) {
  plant_shared(rom);
  rom.put32(kObjectAreas + 4 * area, objects, "stage 4 object lists by area");
  rom.put32(kSpawnAreas + 4 * area, spawns, "stage 4 spawn lists by area");
}

}  // namespace synthetic::stage4
