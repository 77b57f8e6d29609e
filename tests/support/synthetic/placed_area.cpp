// Synthetic ROM data: stage 2 area 2, an area with placed objects (an even
// area), where the spawn generator spawns by window: a record spawns once it
// lies within the box around the camera, wherever the camera has been.
//
// The generator picks window spawning at its start from game_flags bit 12,
// which the in-game flow sets for the even areas it starts (and after a zoom
// change of area, or from a demo's set-up row); the spawn list itself cannot
// choose the mode. No run reaches an even area on inputs (each change of
// area ends the run), so the placed-area run sets the stage and area bytes
// before the stage's first area starts; the run ends when the player's
// appearance hands over to the controller of placed-object areas.
//
// Two records: the stalker (spawn type 1, kind 3) inside the window from
// the start, and one far beyond its right edge, which never spawns. The
// area places two objects, a chain of two rectangles in group 0 beside the
// player's start.
//
// Also here: stage 1 area 2's placed list, one rectangle, for the run ending
// that starts that area; and the placed lists of every other stage and area,
// one empty list, so that the other areas and the demo that place objects
// place none.
#include <array>
#include <cstdint>

#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic/stage_areas.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// ---- addresses the routines read ----
constexpr uint32_t kPlacedLists = 0x133022;  // s16 per stage to its table: s16 per area to its list
constexpr uint32_t kStage2Area2 = 6;         // that index for stage 2 area 2

// Routines the tables name.
// sub_066200 spawn generator

// ---- where our own tables go ----
constexpr uint32_t kPlacedAreas = 0x13302E;        // beside the stage table: s16 per area 0-4
constexpr uint32_t kNoPlaced = 0x133038;           // the end byte alone
constexpr uint32_t kStage2PlacedAreas = 0x13303A;  // stage 2's: s16 per area 0-4
constexpr uint32_t kArea2Placed = 0x133044;        // two entries of 12 bytes, the end byte
constexpr uint32_t kStage1PlacedAreas = 0x13305E;  // stage 1's: s16 per area 0-4
constexpr uint32_t kStage1Area2Placed = 0x133068;  // one entry of 12 bytes, the end byte
constexpr uint32_t kData = 0x116040;               // after stage 2's tables by area
constexpr uint32_t kDataEnd = 0x116100;

// ---- values ----
constexpr uint8_t kSpawnStalker = 1;
constexpr uint16_t kInsideX = 900, kFarX = 9000, kY = 600;

void put_spawn(rom_builder& rom, uint32_t a, uint8_t type, uint16_t x, uint16_t y) {
    const char* what = "placed area spawn record";
    rom.put8(a, type, what);
    rom.put8(a + 1, kAnyPlayerCount, what);
    rom.put16(a + 2, 0, what);
    rom.put16(a + 4, x, what);
    rom.put16(a + 6, y, what);
    rom.put16(a + 8, 0, what);
}

}  // namespace

void plant_placed_area(rom_builder& rom) {
    // Placed objects only in stage 2 area 2: every other stage's offset leads
    // to one table of areas whose every offset leads to the end byte.
    for (uint32_t stage = 0; stage < 6; ++stage) {
        const uint32_t at = kPlacedLists + 2 * stage;
        const uint32_t areas = stage == 1   ? kStage1PlacedAreas
                               : stage == 2 ? kStage2PlacedAreas
                                            : kPlacedAreas;
        rom.put16(at, uint16_t(areas - at), "placed lists by stage");
    }
    for (uint32_t area = 0; area < 5; ++area) {
        uint32_t at = kPlacedAreas + 2 * area;
        rom.put16(at, uint16_t(kNoPlaced - at), "placed lists by area: none");
        at = kStage2PlacedAreas + 2 * area;
        rom.put16(at, uint16_t((area == 2 ? kArea2Placed : kNoPlaced) - at), "stage 2 placed lists by area");
        at = kStage1PlacedAreas + 2 * area;
        rom.put16(at, uint16_t((area == 2 ? kStage1Area2Placed : kNoPlaced) - at),
                  "stage 1 placed lists by area");
    }
    rom.put8(kNoPlaced, 0xFF, "placed list: none");
    // Group, link-in mode, link-out mode, extra byte, then x1, y1, x2, y2:
    // the first heads the chain and links on to the second, which closes it.
    const char* what = "stage 2 area 2 placed objects";
    const std::array<uint8_t, 4> first = {0, 1, 0, 0}, second = {0, 0, 1, 0};
    const std::array<uint16_t, 4> left = {760, 520, 840, 680}, right = {880, 520, 960, 680};
    rom.put_bytes(kArea2Placed, first, what);
    rom.put_bytes(kArea2Placed + 12, second, what);
    for (uint32_t i = 0; i < 4; ++i) {
        rom.put16(kArea2Placed + 4 + 2 * i, left[i], what);
        rom.put16(kArea2Placed + 16 + 2 * i, right[i], what);
    }
    rom.put8(kArea2Placed + 24, 0xFF, what);
    // Stage 1 area 2 (the even-area run ending starts it): one rectangle on its
    // own, linked to nothing, in group 0.
    const char* stage1_what = "stage 1 area 2 placed object";
    rom.put_bytes(kStage1Area2Placed, std::array<uint8_t, 4>{0, 2, 2, 0}, stage1_what);
    const std::array<uint16_t, 4> lone = {400, 480, 560, 640};
    for (uint32_t i = 0; i < 4; ++i) rom.put16(kStage1Area2Placed + 4 + 2 * i, lone[i], stage1_what);
    rom.put8(kStage1Area2Placed + 12, 0xFF, stage1_what);

    block b(rom, kData, kDataEnd, "placed area");
    // One 256-byte object, the spawn generator; no 128- or 64-byte ones.
    const uint32_t objects = put_object_list(b, {entry::sub_066200}, {}, {}, "stage 2 area 2 objects");
    b.align(2);
    const uint32_t list = b.take(21);
    put_spawn(rom, list, kSpawnStalker, kInsideX, kY);
    put_spawn(rom, list + 10, kSpawnStalker, kFarX, kY);
    rom.put8(list + 20, 0x80, "placed area spawn list end");
    stage_areas::plant_area(rom, stage_areas::kStage2, 2, objects, list);
    rom.put32(rom::camera_script_table + 4 * kStage2Area2, rom.program32(rom::camera_script_table),
              "camera scripts: stage 2 area 2");
    rom.put16(rom::player_start_y + 2 * kStage2Area2, kY, "player start y: stage 2 area 2");
}

}  // namespace synthetic
