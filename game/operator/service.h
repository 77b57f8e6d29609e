// Pieces every service-mode page shares: the switch edges, the text-cell
// addresses of its tables, the blinking cursor and cell colours.
#pragma once
#include <cstdint>

#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

namespace service {

constexpr uint16_t kCursorMark = 0x0A7F;
constexpr uint16_t kBlankCell = 0x0020;

// Edges of the system inputs this frame: bit 0 the service switch (moves a
// cursor), bit 1 the test switch (selects or leaves).
inline bool service_pressed() { return guest::test_bit(var::system_presses, 0); }
inline bool test_pressed() { return guest::test_bit(var::system_presses, 1); }

// Tables and texts hold the low half of a cell; the text layer is at 0x31xxxx.
inline uint32_t text_cell(uint32_t low) { return 0x310000 | (low & 0xFFFF); }

// A settings page's cursor-line table holds offsets from 0x31F000, added in
// 16 bits.
inline uint32_t cursor_line_cell(uint32_t table, uint32_t line) {
    return text_cell(0xF000 + orb_read16(table + 2 * line));
}

// The routine or text list at entry `index` of a ROM table of u32 addresses.
inline uint32_t table_entry(uint32_t table, uint32_t index) { return orb_read32(table + 4 * index); }

// Bits 9 to 15 of a cell take `colour` (given as the attribute byte).
inline void colour_cell(uint32_t cell, uint8_t colour) {
    orb_write16(cell, guest::logic<uint16_t>((orb_read16(cell) & 0x01FF) | colour << 8));
}

// The blink step that closes every menu loop: the mark at the cursor cell
// shows 11 frames (timer 10 down past 0) and hides 6 (timer 5).
inline void blink_cursor() {
    const uint8_t t = guest::dec<uint8_t>(orb_read8(var::service_blink_timer));
    orb_write8(var::service_blink_timer, t);
    if (!guest::negative()) return;
    orb_write8(var::service_blink_timer, 5);
    const uint32_t cell = orb_read32(var::service_blink_cell);
    const uint16_t v = guest::logic<uint16_t>(orb_read16(cell) ^ kCursorMark);
    orb_write16(cell, v);
    if (guest::ne()) orb_write8(var::service_blink_timer, guest::shl<uint8_t>(5, 1));
}

// The first half of unmarking a line: the mark goes; R10 := the first cell of
// the line's text, which the caller recolours with the colour in R0's low byte.
inline void unmark_cursor_cell(uint8_t colour) {
    cpu.reg[10] = orb_read32(var::service_blink_cell);
    orb_write16(cpu.reg[10], 0);
    cpu.reg[10] += 4;
    guest::set8(cpu.reg[0], colour);
}

// The next line of a page with `lines` lines, the last wrapping to 0.
inline uint8_t next_line(uint32_t address, uint8_t lines) {
    uint8_t line = guest::inc<uint8_t>(orb_read8(address));
    guest::cmp<uint8_t>(line, lines);
    if (guest::no_carry()) line = 0;
    orb_write8(address, line);
    return line;
}

// Compares the backup fields named by a 0-terminated list of offsets with the
// copy last saved; true at the first that differs (the settings changed).
inline bool settings_differ(uint32_t list) {
    for (cpu.reg[19] = list;; ++cpu.reg[19]) {
        const uint8_t offset = guest::test<uint8_t>(orb_read8(cpu.reg[19]));
        if (guest::eq()) return false;
        const uint32_t field = var::backup_image + offset;
        guest::cmp<uint8_t>(orb_read8(field), orb_read8(field + backup_record::spare));
        if (guest::ne()) return true;
    }
}

}  // namespace service
