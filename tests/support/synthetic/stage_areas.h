#pragma once
// The tables of object lists and spawn lists by area of the stages whose
// areas are planted by files of their own (stage 2: crowd.cpp area 1,
// placed_area.cpp area 2; stage 3: generic_ai.cpp area 1, pickups.cpp area
// 3; stage 4: scenery.cpp area 1, boss.cpp area 3). A
// stage's two tables by area stand at fixed addresses: each file plants the
// shared rows (the same values from either) and then its own area's row.
#include <cstdint>
#include <initializer_list>

#include "game/actors/tables.h"
#include "game/flow/tables.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic::stage_areas {

inline constexpr uint32_t kStage1ObjectAreas = rom::object_list_table + 4;  // stage 1's row: u32 per area 0-2

struct stage {
    uint32_t number;
    uint32_t object_areas;  // u32 per area 0-4: its object list
    uint32_t spawn_areas;   // u32 per area 0-4: its spawn list
    uint32_t no_objects;    // no objects of any size (3 counts of 0)
    uint32_t no_spawns;     // a spawn list that is only its end mark
    // Areas 0-2 no file plants take stage 1's object lists (its intro and
    // empty area 2) rather than none.
    bool stage1_objects;
    // The areas (bit n for area n) that files plant.
    uint8_t planted_areas;
};

// Stage 2: its intro and areas 3 and 4 are empty.
inline constexpr stage kStage2{2, 0x116000, 0x116014, 0x116028, 0x11602B, false, 0x06};
// Stage 3 is stage 1 over again but for its areas: its intro runs stage 1's
// object list; area 2 is the play-over area (endings.cpp); area 4 (a
// placed-object area no run plays) has no objects.
inline constexpr stage kStage3{3, 0x12D040, 0x12D054, 0x12D068, 0x12D06B, true, 0x0A};
// Stage 4's unplanted areas (0, the intro; 2 and 4, placed-object areas no
// run can play) are empty.
inline constexpr stage kStage4{4, 0x12D000, 0x12D014, 0x12D028, 0x12D02B, false, 0x0A};

// The stage's rows in the game's tables, and the areas no file plants.
inline void plant_shared(rom_builder& rom, const stage& s) {
    const char* objects_what = s.stage1_objects ? "a stage's object lists by area: unplanted areas"
                                                : "a stage's object lists by area: empty areas";
    const char* spawns_what = "a stage's spawn lists by area: empty areas";
    rom.put32(rom::object_list_table + 4 * s.number, s.object_areas, "object lists: a stage planted by area");
    rom.put32(rom::spawn_list_table + 4 * s.number, s.spawn_areas,
              "spawn list table: a stage planted by area");
    for (uint8_t i = 0; i < 3; ++i) rom.put8(s.no_objects + i, 0, "a stage's objects by area: none");
    rom.put8(s.no_spawns, 0x80, "a stage's spawn lists by area: empty");
    for (uint32_t area = 0; area < 5; ++area) {
        if (s.planted_areas >> area & 1) continue;
        const uint32_t stage1 = rom.program32(kStage1ObjectAreas);
        const uint32_t objects =
            s.stage1_objects && area < 3 ? rom.program32(stage1 + 4 * area) : s.no_objects;
        // Stage 3 area 2 is the play-over area of the run-ending data.
        const bool play_over = s.number == 3 && area == 2;
        rom.put32(s.object_areas + 4 * area, play_over ? kPlayOverObjects : objects,
                  play_over ? "stage 3 object lists by area: the play-over area" : objects_what);
        rom.put32(s.spawn_areas + 4 * area, play_over ? kPlayOverSpawns : s.no_spawns,
                  play_over ? "stage 3 spawn lists by area: the play-over area" : spawns_what);
    }
}

// One area's own lists.
inline void plant_area(rom_builder& rom, const stage& s, uint32_t area, uint32_t objects, uint32_t spawns) {
    plant_shared(rom, s);
    rom.put32(s.object_areas + 4 * area, objects, "a stage's object lists by area");
    rom.put32(s.spawn_areas + 4 * area, spawns, "a stage's spawn lists by area");
}

}  // namespace synthetic::stage_areas
