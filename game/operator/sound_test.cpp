// The sound test page: three lines of sound codes played one by one from ROM
// lists, and a leave line.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/operator/service.h"
#include "game/operator/vars.h"
#include "game/operator/tables.h"
#include "runtime/guest.h"

using namespace guest;
using namespace service;

namespace {

constexpr uint8_t kLines = 4;
constexpr uint8_t kLeaveLine = 3;

uint32_t line_cell(uint32_t line) { return 0x31F51C + 256 * line; }

}  // namespace

// Sound test entry (main-menu line 3): draws the page with the cursor on the
// leave line and every position at the start of its list, then runs the loop.
void sub_08B5B7() {
    ROUTINE_ENTRY(0x08B5B7);
    if (!call(sub_060942, 0x08B5BA, 0x08B5B7)) return;
    cpu.reg[10] = rom::sound_test_text;
    if (!call(sub_08C494, 0x08B5C3, 0x08B5C0)) return;
    cpu.reg[10] = rom::footer_text;
    if (!call(sub_08C494, 0x08B5CC, 0x08B5C9)) return;
    orb_write8(var::service_cursor, kLeaveLine);
    cpu.reg[10] = line_cell(kLeaveLine);
    if (!call(sub_08C451, 0x08B5DB, 0x08B5D8)) return;
    for (uint32_t i = 0; i < 3; ++i) orb_write8(var::sound_test_positions + i, 0);
    if (!call(sub_08B649, 0x08B5EB, 0x08B5E8)) return;
    orb_write32(var::service_screen, entry::sub_08B5F5 /* loop */);
    sub_08B5F5();
}

// Sound test loop, each frame: the service switch moves the cursor, the test
// switch silences the sound and runs the line's routine, the cursor blinks.
void sub_08B5F5() {
    ROUTINE_ENTRY(0x08B5F5);
    if (service_pressed()) {
        unmark_cursor_cell(0x00);
        if (!call(sub_08C50C, 0x08B609, 0x08B606)) return;
        cpu.reg[10] = line_cell(next_line(var::service_cursor, kLines));
        if (!call(sub_08C451, 0x08B61D, 0x08B61A)) return;
        if (!call(sub_08B649, 0x08B620, 0x08B61D)) return;
    }
    if (test_pressed()) {
        cpu.reg[0] = 0;
        if (!call(sub_088F98, 0x08B62B, 0x08B628)) return;
        if (!call_at(table_entry(rom::sound_test_lines, orb_read8(var::service_cursor)), 0x08B636, 0x08B633))
            return;
        if (!call(sub_08B649, 0x08B639, 0x08B636)) return;
    }
    blink_cursor();
    ret();
}

// Prints the three positions in two cells each (columns 24 and 25 of rows
// 10, 12 and 14).
void sub_08B649() {
    ROUTINE_ENTRY(0x08B649);
    for (uint32_t i = 0; i < 3; ++i) {
        const uint32_t cell = 0x31F530 + 256 * i;
        orb_write16(cell, kBlankCell);
        orb_write16(cell + 2, kBlankCell);
        cpu.reg[0] = orb_read8(var::sound_test_positions + i);
        cpu.reg[10] = cell + 4;
        if (!call(sub_08C4EE, 0x08B673, 0x08B670)) return;
    }
    ret();
}

// Plays the next code of the cursor's line: codes from 0x80 go to ring A,
// lower ones to ring B as their complement; the list's 0 only takes the
// position back to the start.
void sub_08B6A0() {
    ROUTINE_ENTRY(0x08B6A0);
    const uint32_t line = orb_read8(var::service_cursor);
    const uint32_t position = var::sound_test_positions + line;
    const uint8_t p = orb_read8(position);
    cpu.reg[0] = orb_read8(table_entry(rom::sound_lists, line) + p);
    test<uint8_t>(cpu.reg[0]);
    if (eq()) {
        orb_write8(position, 0);
        ret();
        return;
    }
    orb_write8(position, inc<uint8_t>(p));
    test<uint8_t>(cpu.reg[0]);
    if (negative()) {
        if (!call(sub_088F98, 0x08B6CB, 0x08B6C8)) return;
    } else {
        set8(cpu.reg[0], logic<uint8_t>(~cpu.reg[0]));
        if (!call(sub_088FD7, 0x08B6D5, 0x08B6D2)) return;
    }
    ret();
}

// Leaves the sound test: the sound stops, the main menu comes back.
void sub_08B6DA() {
    ROUTINE_ENTRY(0x08B6DA);
    cpu.reg[0] = 0;
    if (!call(sub_088F98, 0x08B6DF, 0x08B6DC)) return;
    orb_write32(var::service_screen, entry::sub_08B04A /* main menu */);
    ret();
}
