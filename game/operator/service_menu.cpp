// The service mode's frame: entry, the per-frame dispatch through
// service_screen, the main menu with its cursor and auto-run, the exit that
// saves changed settings, the service palette, line marking and the blinking
// message.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/service.h"
#include "game/operator/vars.h"
#include "game/operator/tables.h"
#include "runtime/guest.h"

using namespace guest;
using namespace service;

namespace {

constexpr uint32_t kMenuLines = 10;
constexpr uint32_t kExitLine = 9;

uint32_t menu_line_cell(uint32_t line) { return 0x31F214 + 256 * line; }

uint32_t auto_run_bit() { return orb_read8(var::service_flags) & 1; }

}  // namespace

// Enters the service mode: with interrupts masked and the display off, resets
// the layers, sprites and palettes, drops a pending decompression and a
// running fade, clears the mixer words and the demo flag, silences the music
// and installs the main menu.
void sub_08AFB4() {
    ROUTINE_ENTRY(0x08AFB4);
    disable_interrupts();
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) & ~2u));
    orb_write8(hw::io_unused, 0x1F);
    if (!call(sub_0608A8, 0x08AFC8, 0x08AFC5)) return;
    if (!call(sub_0609AA, 0x08AFCB, 0x08AFC8)) return;
    if (!call(sub_08C37A, 0x08AFCE, 0x08AFCB)) return;
    orb_write32(var::decomp_job, 0);
    clear_bit(var::system_flags, system_flag::fade_running);
    for (uint32_t a = hw::mixer_regs + 0x40; a <= hw::mixer_regs + 0x4A; a += 2) orb_write16(a, 0);
    orb_write8(var::service_flags, 0);
    orb_write8(var::service_menu_index, kExitLine);
    clear_bit(var::game_flags, 8);
    orb_write8(hw::music_level, 0xFF);
    cpu.reg[0] = 0;
    if (!call(sub_088F98, 0x08B02C, 0x08B029)) return;
    orb_write32(var::service_screen, entry::sub_08B04A /* main menu */);
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) | 2));
    enable_interrupts();
    ret();
}

// Runs this frame's service screen: a jump to the routine in service_screen.
void sub_08B046() {
    ROUTINE_ENTRY(0x08B046);
    v60_jump(orb_read32(var::service_screen));
}

// Main-menu entry, reached whenever a page is left: with auto-run on, the
// next line's page starts on the next frame; at line 9 (and without auto-run)
// the menu is drawn with the cursor on the current line and its loop runs.
void sub_08B04A() {
    ROUTINE_ENTRY(0x08B04A);
    if (test_bit(var::service_flags, service_flag::auto_run)) {
        const uint8_t line = inc<uint8_t>(orb_read8(var::service_menu_index));
        orb_write8(var::service_menu_index, line);
        cmp<uint8_t>(line, kExitLine);
        if (ne()) {
            orb_write32(var::service_screen, table_entry(rom::menu_routines, line));
            ret();
            return;
        }
    }
    if (!call(sub_060942, 0x08B063, 0x08B060)) return;
    if (!call(sub_08C51D, 0x08B066, 0x08B063)) return;
    cpu.reg[10] = rom::menu_text;
    if (!call(sub_08C494, 0x08B06F, 0x08B06C)) return;
    cpu.reg[10] = table_entry(rom::auto_run_texts, auto_run_bit());
    if (!call(sub_08C494, 0x08B07B, 0x08B078)) return;
    cpu.reg[10] = rom::footer_text;
    if (!call(sub_08C494, 0x08B084, 0x08B081)) return;
    cpu.reg[10] = menu_line_cell(orb_read8(var::service_menu_index));
    if (!call(sub_08C451, 0x08B08D, 0x08B08A)) return;
    orb_write32(var::service_screen, entry::sub_08B093 /* menu loop */);
    sub_08B093();
}

// Main-menu loop, each frame: the service switch moves the cursor down (9
// wraps to 0), the test switch starts the line's page on the next frame, and
// the cursor blinks.
void sub_08B093() {
    ROUTINE_ENTRY(0x08B093);
    if (service_pressed()) {
        test<uint8_t>(orb_read8(var::service_menu_index));
        unmark_cursor_cell(eq() ? 0x02 : 0x00);  // line 0's text has a colour of its own
        if (!call(sub_08C50C, 0x08B0B3, 0x08B0B0)) return;
        const uint8_t line = next_line(var::service_menu_index, kMenuLines);
        cpu.reg[10] = menu_line_cell(line);
        if (!call(sub_08C451, 0x08B0D3, 0x08B0D0)) return;
    }
    if (test_pressed())
        orb_write32(var::service_screen, table_entry(rom::menu_routines, orb_read8(var::service_menu_index)));
    blink_cursor();
    ret();
}

// Main-menu line 0: switches auto-run and shows its new state on the line.
void sub_08B129() {
    ROUTINE_ENTRY(0x08B129);
    not_bit(var::service_flags, service_flag::auto_run);
    cpu.reg[10] = table_entry(rom::auto_run_texts, auto_run_bit());
    if (!call(sub_08C494, 0x08B13F, 0x08B13C)) return;
    // The reprint has overwritten the highlight.
    cpu.reg[10] = orb_read32(var::service_blink_cell) + 4;
    cpu.reg[0] = 0x0A;
    if (!call(sub_08C50C, 0x08B14D, 0x08B14A)) return;
    orb_write32(var::service_screen, entry::sub_08B093 /* menu loop */);
    ret();
}

// The self test's last screen, each frame: back to the main menu on the test
// switch; the message blinks.
void sub_08B416() {
    ROUTINE_ENTRY(0x08B416);
    if (test_pressed()) orb_write32(var::service_screen, entry::sub_08B04A /* main menu */);
    sub_08C41D();
}

// Draws the self-test page and the state of its 19 items, each in four cells
// of its status's colour.
void sub_08B429() {
    ROUTINE_ENTRY(0x08B429);
    cpu.reg[10] = rom::self_test_text;
    if (!call(sub_08C494, 0x08B432, 0x08B42F)) return;
    for (uint32_t item = 0; item < 19; ++item) {
        cpu.reg[18] = text_cell(orb_read16(rom::self_test_cells + 2 * item));
        cpu.reg[19] = rom::status_texts + 6 * orb_read8(var::self_test_results + item);
        const uint32_t attribute = orb_read8(cpu.reg[19]) << 8;
        for (uint32_t i = 1; i <= 4; ++i, cpu.reg[18] += 2)
            orb_write16(cpu.reg[18], attribute | orb_read8(cpu.reg[19] + i));
    }
    ret();
}

// Blinks the message (the input test's loop ends this way).
void sub_08B520() {
    ROUTINE_ENTRY(0x08B520);
    sub_08C41D();
}

// Main-menu line 9: leaves the service mode, saving the backup image first
// when a settings page changed something; the display goes off.
void sub_08C35C() {
    ROUTINE_ENTRY(0x08C35C);
    if (clear_bit(var::service_flags, service_flag::settings_changed))
        if (!call(sub_08946D, 0x08C36B, 0x08C368)) return;
    orb_write8(var::service_request, 0);
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) & ~2u));
    ret();
}

// The service palette: every entry 0x0733, the palette block from ROM, then
// after it 32 palettes of red, green, blue and grey ramps; and text characters
// 1 to 4 as solid blocks of colours 1 to 4.
void sub_08C37A() {
    ROUTINE_ENTRY(0x08C37A);
    // Through the alternate-layout view, as the guest fills it.
    for (uint32_t a = hw::palette_alternate; a < hw::palette_alternate + 0x8000; a += 2)
        orb_write16(a, 0x0733);
    cpu.reg[19] = rom::service_palette;
    if (!call(sub_0896F1, 0x08C39D, 0x08C39A)) return;
    // Past the block's end in the normal layout; colour 0 of each palette is skipped.
    cpu.reg[18] = (cpu.reg[27] & ~0x8000u) + 2;
    for (uint32_t k = 0; k < 32; ++k, cpu.reg[18] += 32) {
        orb_write16(cpu.reg[18], k);
        orb_write16(cpu.reg[18] + 2, k << 5);
        orb_write16(cpu.reg[18] + 4, k << 10);
        orb_write16(cpu.reg[18] + 6, k + (k << 5) + (k << 10));
    }
    for (uint32_t n = 1; n <= 4; ++n)
        for (uint32_t i = 0; i < 32; i += 4) orb_write32(hw::text_patterns + 32 * n + i, n * 0x11111111u);
    ret();
}

// Chooses the blinking message by auto-run and restarts the blink so that the
// next step shows it.
void sub_08C403() {
    ROUTINE_ENTRY(0x08C403);
    orb_write32(var::service_blink_cell, table_entry(rom::message_texts, auto_run_bit()));
    orb_write8(var::service_blink_timer, 0);
    ret();
}

// One blink step of the message whose text list is in service_blink_cell:
// shown 21 frames, hidden 11. Hiding erases the first entry's run only.
void sub_08C41D() {
    ROUTINE_ENTRY(0x08C41D);
    orb_write8(var::service_blink_timer, dec<uint8_t>(orb_read8(var::service_blink_timer)));
    if (!negative()) {
        ret();
        return;
    }
    cpu.reg[10] = orb_read32(var::service_blink_cell);
    cpu.reg[18] = text_cell(orb_read16(cpu.reg[10]));
    test<uint16_t>(orb_read16(cpu.reg[18]));
    if (ne()) {
        do {
            orb_write16(cpu.reg[18], 0);
            cpu.reg[18] += 2;
            test<uint16_t>(orb_read16(cpu.reg[18]));
        } while (ne());
        orb_write8(var::service_blink_timer, 10);
        ret();
        return;
    }
    if (!call(sub_08C494, 0x08C444, 0x08C441)) return;
    orb_write8(var::service_blink_timer, 20);
    ret();
}

// Marks a line. In: R10 its cursor cell; the text from R10 + 4 turns 0x0A and
// the mark shows at the next blink step.
void sub_08C451() {
    ROUTINE_ENTRY(0x08C451);
    orb_write32(var::service_blink_cell, cpu.reg[10]);
    orb_write8(var::service_blink_timer, 0);
    cpu.reg[10] += 4;
    cpu.reg[0] = 0x0A;
    sub_08C50C();
}

// Unmarks the current line with colour 0.
void sub_08C482() {
    ROUTINE_ENTRY(0x08C482);
    set8(cpu.reg[0], 0);
    sub_08C485();
}

// Unmarks the current line. In: R0 low byte the colour its text gets back.
void sub_08C485() {
    ROUTINE_ENTRY(0x08C485);
    unmark_cursor_cell(static_cast<uint8_t>(cpu.reg[0]));
    sub_08C50C();
}
