#include "tests/support/synthetic_rom.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace synthetic {

namespace {

std::string hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", v);
    return text;
}

}  // namespace

rom_builder::rom_builder() {
    for (size_t i = 0; i < rom_member_count; ++i) members_[i].assign(game_rom_members[i].size, 0);
    for (size_t i = 0; i < owners_.size(); ++i) owners_[i].assign(members_[i].size(), nullptr);
}

// The inverse of the program region's assembly: part01 and part02 each fill
// half a megabyte four times over; parts 3 and 4 interleave byte by byte
// from 0x100000 and show again at 0x180000.
rom_builder::place rom_builder::program_place(uint32_t address) {
    if (address < 0x080000) return {0, address & 0x1FFFF};
    if (address < 0x100000) return {1, address & 0x1FFFF};
    if (address < 0x200000 && (address & 0x40000) == 0) {
        const uint32_t o = address & 0x3FFFF;
        return {size_t(2 + (o & 1)), o >> 1};
    }
    throw std::out_of_range("synthetic ROM: no program ROM byte lies at " + hex(address));
}

void rom_builder::claim(place p, uint8_t value, const char* what, uint32_t address) {
    uint8_t& byte = members_[p.member][p.offset];
    const char*& owner = owners_[p.member][p.offset];
    if (owner && byte != value)
        throw std::logic_error("synthetic ROM: " + std::string(what) + " at " + hex(address) + " overlaps " +
                               owner);
    byte = value;
    if (!owner) owner = what;
}

void rom_builder::put8(uint32_t address, uint8_t value, const char* what) {
    claim(program_place(address), value, what, address);
}

void rom_builder::put16(uint32_t address, uint16_t value, const char* what) {
    put8(address, uint8_t(value), what);
    put8(address + 1, uint8_t(value >> 8), what);
}

void rom_builder::put32(uint32_t address, uint32_t value, const char* what) {
    put16(address, uint16_t(value), what);
    put16(address + 2, uint16_t(value >> 16), what);
}

void rom_builder::put_bytes(uint32_t address, std::span<const uint8_t> data, const char* what) {
    for (size_t i = 0; i < data.size(); ++i) put8(address + uint32_t(i), data[i], what);
}

void rom_builder::put_text(uint32_t address, std::string_view text, const char* what, bool terminate) {
    for (size_t i = 0; i < text.size(); ++i) put8(address + uint32_t(i), uint8_t(text[i]), what);
    if (terminate) put8(address + uint32_t(text.size()), 0, what);
}

void rom_builder::damage8(uint32_t address, uint8_t value) {
    const place p = program_place(address);
    members_[p.member][p.offset] = value;
}

uint8_t rom_builder::program8(uint32_t address) const {
    address &= 0xFFFFFF;
    if (address >= 0x200000 || (address >= 0x100000 && (address & 0x40000))) return 0;
    const place p = program_place(address);
    return members_[p.member][p.offset];
}

uint16_t rom_builder::program16(uint32_t address) const {
    return uint16_t(program8(address) | program8(address + 1) << 8);
}

uint32_t rom_builder::program32(uint32_t address) const {
    return uint32_t(program16(address)) | uint32_t(program16(address + 2)) << 16;
}

void rom_builder::tile8(uint32_t offset, uint8_t value) {
    if (offset >= game_tiles_size) throw std::out_of_range("synthetic ROM: tile offset " + hex(offset));
    members_[8 + (offset & 3)][offset >> 2] = value;
}

void rom_builder::sprite8(uint32_t offset, uint8_t value) {
    if (offset >= game_sprites_size) throw std::out_of_range("synthetic ROM: sprite offset " + hex(offset));
    members_[12 + (offset & 7)][offset >> 3] = value;
}

// Sound ROM: part05 fills the first megabyte four times over; parts 6 to 8
// fill one megabyte each, twice over.
void rom_builder::sound8(uint32_t offset, uint8_t value) {
    if (offset >= game_sound_size) throw std::out_of_range("synthetic ROM: sound offset " + hex(offset));
    if (offset < 0x100000)
        members_[4][offset & 0x3FFFF] = value;
    else
        members_[4 + (offset >> 20)][offset & 0x7FFFF] = value;
}

void rom_builder::sound_bytes(uint32_t offset, std::span<const uint8_t> data) {
    for (size_t i = 0; i < data.size(); ++i) sound8(offset + uint32_t(i), data[i]);
}

void rom_builder::write_folder(const std::filesystem::path& folder) const {
    std::filesystem::create_directories(folder);
    for (size_t i = 0; i < rom_member_count; ++i) {
        std::ofstream out(folder / game_rom_members[i].name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(members_[i].data()), std::streamsize(members_[i].size()));
        if (!out)
            throw std::runtime_error("synthetic ROM: cannot write " +
                                     (folder / game_rom_members[i].name).string());
    }
}

uint16_t rom_signature(std::span<const uint16_t> halfwords) {
    uint16_t s = 1;
    for (uint16_t h : halfwords) {
        s ^= h;
        const bool low = s & 1;
        s >>= 1;
        if (low) s ^= 0x8810;
    }
    return s;
}

void plant_signatures(rom_builder& rom) {
    auto words = [&](uint32_t from, uint32_t bytes, uint32_t stride) {
        std::vector<uint16_t> out;
        for (uint32_t a = from; a < from + bytes; a += stride)
            out.push_back(uint16_t(rom.program8(a) | rom.program8(a + stride / 2) << 8));
        return out;
    };
    // Program ROM halves as little-endian halfwords (the second without the
    // signatures themselves); the data ROM's even and odd byte lanes, each
    // taken as halfwords of two bytes of its lane.
    rom.put16(0x09FFF8, rom_signature(words(0x060000, 0x20000, 2)), "ROM signature 0");
    rom.put16(0x09FFFA, rom_signature(words(0x080000, 0x1FFF8, 2)), "ROM signature 1");
    rom.put16(0x09FFFC, rom_signature(words(0x100000, 0x40000, 4)), "ROM signature 2");
    rom.put16(0x09FFFE, rom_signature(words(0x100001, 0x40000, 4)), "ROM signature 3");
}

const rom_builder& synthetic_set() {
    static const rom_builder rom = [] {
        rom_builder r;
        plant_boot(r);
        plant_attract(r);
        plant_play(r);
        plant_enemies(r);
        plant_crowd(r);
        plant_placed_area(r);
        plant_boss(r);
        plant_moves(r);
        plant_scenery(r);
        plant_pickups(r);
        plant_service(r);
        plant_sound(r);
        plant_endings(r);
        plant_graphics(r);
        plant_stage_clear(r);
        plant_generic_ai(r);
        plant_volley(r);
        plant_signatures(r);
        return r;
    }();
    return rom;
}

}  // namespace synthetic
