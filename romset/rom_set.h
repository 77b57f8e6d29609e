#pragma once
// The user's ROM set (a zip archive or a folder of 20 member files), checked
// member by member and assembled into the four ROM regions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

inline constexpr size_t game_program_size = 0x200000;
inline constexpr size_t game_tiles_size = 0x400000;
inline constexpr size_t game_sprites_size = 0x800000;
inline constexpr size_t game_sound_size = 0x400000;

// Zero at program start; written once by a successful load, read afterwards.
extern uint8_t game_program[game_program_size];  // guest ROM 0x000000-0x1FFFFF
extern uint8_t game_tiles[game_tiles_size];
extern uint8_t game_sprites[game_sprites_size];
extern uint8_t game_sound[game_sound_size];  // the sound board's ROM

struct rom_member {
    const char* name;
    uint32_t crc;  // expected CRC-32; meaningful only when crc_known
    bool crc_known;
    uint32_t size;
};

inline constexpr size_t rom_member_count = 20;
using rom_member_table = std::array<rom_member, rom_member_count>;

// The member table of the supported ROM set, in assembly order. Its CRC-32
// values are not known, so every member is recognised by name and size.
extern const rom_member_table game_rom_members;

// Loads the archive or folder at `path`, checking members against `files`
// (whose names and sizes must be those of game_rom_members; an entry of
// another size can never be filled). Result: null when all members were
// found and the regions are filled; otherwise "not a .zip" or
// "no <name> (or not this version of it)", and the regions are untouched.
// On a failure, `reason` (when given) says what was wrong, naming the member
// and its fault: "part07.rom is 524,287 bytes, 524,288 expected", "there is
// no such file or folder", "not a .zip: ...". An archive is mapped, not read,
// so a huge file costs nothing before it is refused; a FIFO or a device at
// `path` is refused without waiting for it.
const char* game_rom_set_load(const char* path, const rom_member_table& files, std::string* reason = nullptr);

// The zip CRC-32 (reflected polynomial 0xEDB88320).
uint32_t rom_crc32(const uint8_t* data, size_t size);

// Reads a regular file whole. Null when it cannot be opened, is not a regular
// file, is empty, or cannot be read in full.
std::unique_ptr<uint8_t[]> read_whole(const char* path, size_t& size);

// One buffer per member table entry: empty, or the member's verified bytes.
using rom_slot = std::unique_ptr<uint8_t[]>;

// Why the walk failed or left members out: why it stopped (the archive's
// structural fault, or a member named twice), and for each table entry the
// fault of the last entry of the archive that was taken for it (by CRC-32
// and size, or by name) and refused.
struct rom_walk_notes {
    std::string stopped;
    std::array<std::string, rom_member_count> members;
};

// Walks a zip archive held in memory and fills the empty slots of the members
// it recognises. Result: null, "not a .zip" for a fault of the archive's
// structure, or "no <name> (or not this version of it)" for a member known by
// name (no known CRC-32) that the archive holds twice, in any sub-folders;
// either way the walk stops at once. `slots` has one entry per file.
const char* rom_zip_walk(const uint8_t* archive, size_t size, std::span<const rom_member> files,
                         std::span<rom_slot> slots, rom_walk_notes* notes = nullptr);
