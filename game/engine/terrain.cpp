// The terrain map: one bit per 64 x 64 world-unit cell of the playfield,
// expanded at an area's start from the area's ROM list of row patterns, and
// the test of a point against it.
#include "game/routines.h"
#include "game/engine/common.h"
#include "game/engine/vars.h"
#include "game/engine/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kRowPatterns = 0x132F66;  // 32-bit pattern of 32 cells, by list byte

// The map header of the playfield camera: width, then height, in pages.
uint32_t map_header() { return orb_read32(orb_read32(var::camera_pointer) + camera_record::map_header); }

}  // namespace

// Expands the terrain map of the current stage and area: for each of the
// 16 × H rows, W list bytes each pick a 32-bit pattern of 32 cells. An area
// without a list leaves the map as it was; nothing else clears it.
void sub_087786() {
    ROUTINE_ENTRY(0x087786);
    const uint32_t header = map_header();
    uint32_t list = area_table_entry(rom::terrain_lists);
    test<uint32_t>(list);
    if (eq()) {
        ret();
        return;
    }
    const uint32_t width = orb_read8(header);
    const uint32_t rows = 16u * orb_read8(header + 1);
    uint32_t cells = var::terrain_map;
    for (uint32_t row = 0; row < rows; ++row) {
        for (uint32_t column = 0; column < width; ++column) {
            orb_write32(cells, orb_read32(kRowPatterns + 4u * orb_read8(list++)));
            cells += 4;
        }
    }
    ret();
}

// Terrain test of the point (R3, R4) in world units: cell n = (y / 64) ×
// (W × 32) + x / 64 in unsigned 16-bit arithmetic on the low halves. Out: Z
// set when the cell's bit is 0 (free), R8 = n & 7, R9 = n / 8. A negative x
// is reported as a set cell without a look at the map (R8, R9 unchanged).
void sub_0877D1() {
    ROUTINE_ENTRY(0x0877D1);
    bit_flags(cpu.reg[3], 15);
    if (ne()) {
        ret();
        return;
    }
    const uint16_t per_row = static_cast<uint16_t>(orb_read8(map_header()) * 32);
    const uint16_t n =
        static_cast<uint16_t>((cpu.reg[4] & 0xFFFF) / 64 * per_row + (cpu.reg[3] & 0xFFFF) / 64);
    cpu.reg[8] = n & 7;
    cpu.reg[9] = n / 8;
    bit_flags(orb_read8(var::terrain_map + cpu.reg[9]), cpu.reg[8]);
    ret();
}

// Out: R9 = W × 32 (cells per map row), R10 = the terrain map.
void sub_08784E() {
    ROUTINE_ENTRY(0x08784E);
    cpu.reg[9] = orb_read8(map_header()) * 32u;
    cpu.reg[10] = var::terrain_map;
    ret();
}
