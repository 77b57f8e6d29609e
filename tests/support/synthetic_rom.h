#pragma once
// A made-up ROM set for whole-program runs: a zero program region plus the
// least data the game needs to be played through, every table written here
// from its format alone. Nothing of any real ROM set is in it.
//
// Tables are planted by guest address (program ROM) or by region offset
// (tiles, sprites, sound). Each write names what it stands for; two tables
// that would claim the same ROM byte with different values (directly or
// through one of the program region's mirrors) stop the build with both
// names, so areas planted apart cannot overwrite each other unnoticed.
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "romset/rom_set.h"

namespace synthetic {

using bytes = std::vector<uint8_t>;

class rom_builder {
public:
    rom_builder();

    // Program ROM, guest 0x000000-0x1FFFFF; values are little-endian, as the
    // guest reads them. 0x140000-0x17FFFF and 0x1C0000-0x1FFFFF always read
    // zero and cannot be planted.
    void put8(uint32_t address, uint8_t value, const char* what);
    void put16(uint32_t address, uint16_t value, const char* what);
    void put32(uint32_t address, uint32_t value, const char* what);
    void put_bytes(uint32_t address, std::span<const uint8_t> data, const char* what);
    // The text's bytes, then a 0 byte when `terminate` is set.
    void put_text(uint32_t address, std::string_view text, const char* what, bool terminate = true);
    // For damaged regions only (robustness runs): the byte, through the
    // mirrors like put8, whatever any table planted there.
    void damage8(uint32_t address, uint8_t value);
    // The program region as the board will see it after assembly.
    uint8_t program8(uint32_t address) const;
    uint16_t program16(uint32_t address) const;
    uint32_t program32(uint32_t address) const;

    // Graphics and sound ROM, by offset into their regions.
    void tile8(uint32_t offset, uint8_t value);
    void sprite8(uint32_t offset, uint8_t value);
    void sound8(uint32_t offset, uint8_t value);
    void sound_bytes(uint32_t offset, std::span<const uint8_t> data);

    // The 20 member files, in the order of the product's member table.
    const std::array<bytes, rom_member_count>& members() const { return members_; }
    // Writes the members into `folder` (created when missing) under their names.
    void write_folder(const std::filesystem::path& folder) const;

private:
    struct place {
        size_t member;
        uint32_t offset;
    };
    static place program_place(uint32_t address);
    void claim(place p, uint8_t value, const char* what, uint32_t address);

    std::array<bytes, rom_member_count> members_;
    // Who planted each byte of the program members (parts 1 to 4).
    std::array<std::vector<const char*>, 4> owners_;
};

// Each area of the game plants its own tables (tests/support/synthetic/).
void plant_boot(rom_builder& rom);         // vectors, boot blocks, object template, palettes, fonts
void plant_attract(rom_builder& rom);      // title, presentation, demo, ranking
void plant_play(rom_builder& rom);         // coin-up to game over: select, stage 1, areas, panels
void plant_enemies(rom_builder& rom);      // the spawn list and its two enemy kinds
void plant_crowd(rom_builder& rom);        // stage 2 area 1: an enemy of every kind the generator sets up
void plant_placed_area(rom_builder& rom);  // stage 2 area 2: window spawning in a placed-object area
void plant_boss(rom_builder& rom);         // stage 4 area 3: the set-piece boss and the stationary attacker
// The boss run's stage descriptor, which the run names in place of stage 1's.
inline constexpr uint32_t boss_stage_descriptor = 0x12C400;
void plant_moves(rom_builder& rom);  // the second demo's inputs: jumps, the arc, a grab and a throw
// Where the second demo's recorded inputs start (planted by plant_moves).
constexpr uint32_t kSecondDemoStream = 0x13E000;
void plant_scenery(rom_builder& rom);  // stage 4 area 1: passers-by, props, decorations, the stage event
void plant_pickups(rom_builder& rom);  // stage 3 area 3: path-scripted flyer, pickups, carriers
void plant_service(rom_builder& rom);  // service pages, backup defaults
void plant_sound(rom_builder& rom);    // the sound board's program
// The sound command after which the sound board's program raises the main
// processor's sound interrupt at every tick (stage 1 area 2's music).
inline constexpr uint8_t kRaiseCommand = 0x7E;
void plant_endings(rom_builder& rom);  // what the run-ending paths need beyond the areas above
// Stage 1 area 2's object list (planted by plant_endings): the indicator
// starter and the three playfield effect objects.
inline constexpr uint32_t kEvenAreaObjects = 0x11A000;
// Stage 3 area 2's object and spawn lists (planted by plant_endings): the
// spawn generator and the indicators' starter; a drifting object on a boss
// record that ends the play once it has gone.
inline constexpr uint32_t kPlayOverObjects = 0x11B000;
inline constexpr uint32_t kPlayOverSpawns = 0x11B020;
// The demos' set-up rows for the four-slot setting (planted by
// plant_endings): stage 3 area 2 with no player.
inline constexpr uint32_t kPlayerlessDemoRows = 0x11B050;
void plant_graphics(rom_builder& rom);     // font, text colours, mixer and video defaults, tiles
void plant_stage_clear(rom_builder& rom);  // stage 1's intro actors, the results screen
void plant_generic_ai(rom_builder& rom);   // stage 3: platform enemies of AI types 1 to 4
void plant_volley(rom_builder& rom);       // stage 3 area 1's volley enemy (AI type 7)
// The volley enemy's spawn type (its record stands in stage 3 area 1's list).
inline constexpr uint8_t volley_spawn_type = 47;
// The self test's four ROM signature words (0x09FFF8-0x09FFFF, read by the
// game at 0xFFFFF8), over everything planted before: planted last.
void plant_signatures(rom_builder& rom);
// The self test's signature step over halfwords.
uint16_t rom_signature(std::span<const uint16_t> halfwords);

// Everything above, built once per process.
const rom_builder& synthetic_set();

}  // namespace synthetic
