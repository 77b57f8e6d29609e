// Service test pages: the input test, the colour test, the two bookkeeping
// pages with their time printers, and the bookkeeping reset.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/service.h"
#include "game/operator/vars.h"
#include "game/operator/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

using service::blink_cursor;
using service::kCursorMark;
using entry::sub_08B04A /* main menu */;
using service::service_pressed;
using service::test_pressed;
using service::text_cell;

// Input test.
constexpr uint32_t kServiceIndicator = 0x31FBA2;
constexpr uint32_t kTestIndicator = 0x31FBBA;

// Colour test.
constexpr uint32_t kBackdropColour = 0x609C00;  // colour 0 of palette 224, alternate layout
constexpr uint32_t kFirstBar = 0x31F208;

// Bookkeeping.
constexpr uint32_t kResetNoLine = 0x31F622;  // row 12; the yes line is row 18
constexpr uint32_t kResetLineToggle = 0x0F00;

// The cell of text-layer row and column.
constexpr uint32_t cell_at(uint32_t row, uint32_t column) { return hw::text_layer + (row * 64 + column) * 2; }

// The test switch coming up this frame (bit 1 of the releases).
bool test_released() {
    bit_flags(orb_read8(var::system_releases), 1);
    return carry();
}

void set_screen(uint32_t routine) { orb_write32(var::service_screen, routine); }

// An indicator is two cells side by side: lit 0x0411 0x0412, dark 0x0013 0x0014.
void draw_indicator(uint32_t cell, bool pressed) {
    orb_write16(cell, pressed ? 0x0411 : 0x0013);
    orb_write16(cell + 2, pressed ? 0x0412 : 0x0014);
}

void fill_cells(uint32_t first, uint32_t count, uint32_t step, uint16_t value) {
    for (uint32_t i = 0; i < count; ++i) orb_write16(first + i * step, value);
}

// A page's parked copy of service_flags: the first page of a two-page test
// forces auto-run on (so the message says the page goes on by itself), the
// second puts the operator's setting back.
void park_flags_and_force_auto_run() {
    orb_write8(var::service_cursor, orb_read8(var::service_flags));
    orb_write8(var::service_flags,
               logic<uint8_t>(orb_read8(var::service_flags) | 1u << service_flag::auto_run));
}
void restore_flags() { orb_write8(var::service_flags, orb_read8(var::service_cursor)); }

// Bookkeeping page 1, chute lines (rows 5 to 8): the coins of a chute that is
// shown, added into R3 and set up in R0 and R10 for the decimal print, or the
// line of one that is not, set up in R10 and R0 for greying.
void chute_count(uint32_t chute) {
    cpu.reg[0] = load_zx16(var::coin_count + 2 * chute);
    cpu.reg[3] = add<uint32_t>(cpu.reg[3], cpu.reg[0]);
    cpu.reg[10] = cell_at(5 + chute, 30);
}
void grey_chute(uint32_t chute) {
    cpu.reg[10] = cell_at(5 + chute, 12);
    set8(cpu.reg[0], 0x0E);
}

}  // namespace

// Input test: draws the page for the layout chosen by the player count, the
// chute setting and the join option, keeps the layout's descriptor lists and
// runs the press-wait loop in the same frame.
void sub_08B47C() {
    ROUTINE_ENTRY(0x08B47C);
    if (!call(sub_060942, 0x08B47F, 0x08B47C)) return;
    cpu.reg[10] = rom::input_test_text;
    if (!call(sub_08C494, 0x08B488, 0x08B485)) return;
    const uint32_t record = var::backup_primary;
    cpu.reg[19] = load_zx8(record + backup_record::player_count);
    test<uint8_t>(orb_read8(record + backup_record::chute_per_player));
    if (ne()) cpu.reg[19] += 3;
    test<uint8_t>(orb_read8(record + backup_record::join_option));
    if (ne()) cpu.reg[19] += 6;
    cpu.reg[19] = rom::input_layouts + (cpu.reg[19] << 4);
    // Each list is named by an offset from the field that holds it.
    cpu.reg[10] = cpu.reg[19] + 2 + load_zx16(cpu.reg[19] + 2);
    if (!call(sub_08C494, 0x08B4B3, 0x08B4B0)) return;
    cpu.reg[10] = cpu.reg[19] + 4 + load_zx16(cpu.reg[19] + 4);
    set16(cpu.reg[12], orb_read16(cpu.reg[19]));
    if (!call(sub_08C4B7, 0x08B4C1, 0x08B4BE)) return;
    cpu.reg[10] = cpu.reg[19] + 6 + load_zx16(cpu.reg[19] + 6);
    if (!call(sub_08C494, 0x08B4CF, 0x08B4CC)) return;
    orb_write32(var::input_test_lists, cpu.reg[19] + 8);
    test<uint8_t>(orb_read8(record + backup_record::join_option));
    if (eq()) {
        // Without the join option its line, 14 rows up and one column right
        // of the base, does not apply.
        cpu.reg[10] = text_cell(orb_read16(cpu.reg[19]) - 0x06FE);
        set8(cpu.reg[0], 0x0E);
        if (!call(sub_08C50C, 0x08B4E9, 0x08B4E6)) return;
    }
    if (!call(sub_08C403, 0x08B4ED, 0x08B4EA)) return;
    set_screen(entry::sub_08B4F8);
    sub_08B4F8();
}

// Input test, until the test switch goes down: indicators, then the message.
void sub_08B4F8() {
    ROUTINE_ENTRY(0x08B4F8);
    if (!call(sub_08B523, 0x08B4FB, 0x08B4F8)) return;
    if (test_pressed()) set_screen(entry::sub_08B50D);
    sub_08B520();
}

// Input test, until the test switch comes up again: the page stays, with the
// test indicator lit, while the switch is held.
void sub_08B50D() {
    ROUTINE_ENTRY(0x08B50D);
    if (!call(sub_08B523, 0x08B510, 0x08B50D)) return;
    if (test_released()) set_screen(entry::sub_08B04A /* main menu */);
    sub_08B520();
}

// Draws every indicator of the input test: both descriptor lists of the
// layout, then the service and test switches, each lit by its own bit of port
// E or by the matching DIP switch (port F bits 4 and 5).
void sub_08B523() {
    ROUTINE_ENTRY(0x08B523);
    cpu.reg[11] = hw::io_ports;
    cpu.reg[12] = orb_read32(orb_read32(var::input_test_lists));
    if (!call(sub_08B592, 0x08B536, 0x08B533)) return;
    cpu.reg[12] = orb_read32(orb_read32(var::input_test_lists) + 4);
    if (!call(sub_08B592, 0x08B546, 0x08B543)) return;
    set8(cpu.reg[0], shl<uint8_t>(orb_read8(hw::port_f), static_cast<uint32_t>(-4)));
    set8(cpu.reg[0], logic<uint8_t>(cpu.reg[0] & 0x0F));
    set8(cpu.reg[0], logic<uint8_t>(cpu.reg[0] & orb_read8(hw::system_port)));
    bit_flags(cpu.reg[0], 0);
    draw_indicator(kServiceIndicator, !carry());
    bit_flags(cpu.reg[0], 1);
    draw_indicator(kTestIndicator, !carry());
    ret();
}

// Draws the indicators of one descriptor list. In: R12 the list (4-byte
// entries: u16 cell, I/O register offset, bit; a u16 0 ends it), R11 the I/O
// chip. An input is pressed while its bit reads 0. Out: R12 on the end mark.
void sub_08B592() {
    ROUTINE_ENTRY(0x08B592);
    for (;;) {
        const uint16_t at = test<uint16_t>(orb_read16(cpu.reg[12]));
        if (eq()) break;
        const uint32_t value = orb_read32(cpu.reg[11] + orb_read8(cpu.reg[12] + 2));
        bit_flags(value, orb_read8(cpu.reg[12] + 3));
        draw_indicator(text_cell(at), !carry());
        cpu.reg[12] += 4;
    }
    ret();
}

// Colour test, page 1: a frame round the screen and four bars of 32 colour
// codes (red, green, blue and grey ramps), the backdrop black. A test press in
// this very frame goes straight on to page 2.
void sub_08B6EC() {
    ROUTINE_ENTRY(0x08B6EC);
    if (!call(sub_060942, 0x08B6EF, 0x08B6EC)) return;
    orb_write16(kBackdropColour, 0);
    cpu.reg[10] = rom::colour_test_text;
    if (!call(sub_08C494, 0x08B6FE, 0x08B6FB)) return;
    fill_cells(cell_at(0, 1), 38, 2, 0x0C15);
    fill_cells(cell_at(27, 1), 38, 2, 0x0C15);
    fill_cells(cell_at(1, 0), 26, 128, 0x0C16);
    fill_cells(cell_at(1, 39), 26, 128, 0x0C16);
    orb_write16(cell_at(0, 0), 0x0C17);
    orb_write16(cell_at(0, 39), 0x0C18);
    orb_write16(cell_at(27, 0), 0x0C19);
    orb_write16(cell_at(27, 39), 0x0C1A);
    cpu.reg[10] = kFirstBar;
    cpu.reg[0] = 0x1001;
    if (!call(sub_08B881, 0x08B763, 0x08B760)) return;
    cpu.reg[0] = 0x1002;
    if (!call(sub_08B881, 0x08B76C, 0x08B769)) return;
    cpu.reg[0] = 0x1003;
    if (!call(sub_08B881, 0x08B775, 0x08B772)) return;
    cpu.reg[0] = 0x1004;
    if (!call(sub_08B881, 0x08B77E, 0x08B77B)) return;
    park_flags_and_force_auto_run();
    if (!call(sub_08C403, 0x08B791, 0x08B78E)) return;
    set_screen(test_pressed() ? entry::sub_08B7B8 : entry::sub_08B7A4);
    sub_08C41D();
}

// Colour test, page 1 loop: page 2 on the test press; the message blinks.
void sub_08B7A4() {
    ROUTINE_ENTRY(0x08B7A4);
    if (test_pressed()) set_screen(entry::sub_08B7B8);
    sub_08C41D();
}

// Colour test, page 2: a grid over the whole screen inside page 1's corners,
// the operator's auto-run setting back, and the page-2 loop in the same frame.
void sub_08B7B8() {
    ROUTINE_ENTRY(0x08B7B8);
    fill_cells(cell_at(0, 1), 38, 2, 0x0C1D);
    fill_cells(cell_at(27, 1), 38, 2, 0x0C1E);
    fill_cells(cell_at(1, 0), 26, 128, 0x0C1B);
    fill_cells(cell_at(1, 39), 26, 128, 0x0C1C);
    for (uint32_t row = 1; row <= 26; ++row) fill_cells(cell_at(row, 1), 38, 2, 0x0C1F);
    cpu.reg[10] = rom::colour_grid_text;
    if (!call(sub_08C494, 0x08B81F, 0x08B81C)) return;
    restore_flags();
    if (!call(sub_08C403, 0x08B82F, 0x08B82C)) return;
    bit_flags(orb_read8(var::service_flags), service_flag::auto_run);
    orb_write16(carry() ? cell_at(25, 34) : cell_at(25, 32), 0);
    set_screen(entry::sub_08B85E);
    sub_08B85E();
}

// Colour test, page 2 loop: the test press clears the page, gives the
// backdrop its service colour back and returns to the menu.
void sub_08B85E() {
    ROUTINE_ENTRY(0x08B85E);
    if (test_pressed()) {
        if (!call(sub_060942, 0x08B869, 0x08B866)) return;
        orb_write16(kBackdropColour, 0x0733);
        set_screen(entry::sub_08B04A /* main menu */);
    }
    sub_08C41D();
}

// One colour bar: 32 columns of 5 cells from R10, the value in R0 growing by
// one colour code (0x0200) per column. Out: R10's low half 5 rows further
// down, where the next bar starts.
void sub_08B881() {
    ROUTINE_ENTRY(0x08B881);
    for (uint32_t column = 0; column < 32; ++column) {
        fill_cells(cpu.reg[10] + column * 2, 5, 128, static_cast<uint16_t>(cpu.reg[0]));
        set16(cpu.reg[0], add<uint16_t>(cpu.reg[0], 0x0200));
    }
    set16(cpu.reg[10], add<uint16_t>(cpu.reg[10], 0x0280));
    ret();
}

// Bookkeeping, page 1: coins, credits, joins, times and the game-time share.
// A test press in this very frame goes straight on to page 2.
void sub_08BF92() {
    ROUTINE_ENTRY(0x08BF92);
    if (!call(sub_060942, 0x08BF95, 0x08BF92)) return;
    cpu.reg[10] = rom::bookkeeping_text_1;
    if (!call(sub_08C494, 0x08BF9E, 0x08BF9B)) return;
    if (!call(sub_08C007, 0x08BFA1, 0x08BF9E)) return;
    park_flags_and_force_auto_run();
    if (!call(sub_08C403, 0x08BFB1, 0x08BFAE)) return;
    set_screen(test_pressed() ? entry::sub_08BFD0 : entry::sub_08BFBC);
    sub_08C41D();
}

// Bookkeeping, page 1 loop: page 2 on the test press; the message blinks.
void sub_08BFBC() {
    ROUTINE_ENTRY(0x08BFBC);
    if (test_pressed()) set_screen(entry::sub_08BFD0);
    sub_08C41D();
}

// Bookkeeping, page 2: the play-length histogram and the scores, the
// operator's auto-run setting back. A test press in this very frame returns to
// the menu.
void sub_08BFD0() {
    ROUTINE_ENTRY(0x08BFD0);
    if (!call(sub_060942, 0x08BFD3, 0x08BFD0)) return;
    cpu.reg[10] = rom::bookkeeping_text_2;
    if (!call(sub_08C494, 0x08BFDC, 0x08BFD9)) return;
    if (!call(sub_08C19B, 0x08BFDF, 0x08BFDC)) return;
    restore_flags();
    if (!call(sub_08C403, 0x08BFE8, 0x08BFE5)) return;
    set_screen(test_pressed() ? entry::sub_08B04A /* main menu */ : entry::sub_08BFF4);
    sub_08C41D();
}

// Bookkeeping, page 2 loop: the menu on the test press; the message blinks.
void sub_08BFF4() {
    ROUTINE_ENTRY(0x08BFF4);
    if (test_pressed()) set_screen(entry::sub_08B04A /* main menu */);
    sub_08C41D();
}

// The values of bookkeeping page 1. Numbers end in column 30 of their rows
// (times in column 34); only the chutes the coin setting has are shown and
// added, the others greyed.
void sub_08C007() {
    ROUTINE_ENTRY(0x08C007);
    cpu.reg[20] = var::bookkeeping_block;
    // R4: the chutes beyond the first two, less 3 when the chutes are shared.
    cpu.reg[4] = load_sx8(var::backup_primary + backup_record::player_count) - 3;
    test<uint8_t>(orb_read8(var::backup_primary + backup_record::chute_per_player));
    if (ne()) cpu.reg[4] += 3;
    cpu.reg[3] = 0;
    chute_count(0);
    if (!call(sub_08C4EE, 0x08C022, 0x08C01F)) return;
    chute_count(1);
    if (!call(sub_08C4EE, 0x08C034, 0x08C031)) return;
    cmp<uint32_t>(cpu.reg[4], 1);
    if (less()) {
        grey_chute(2);
        if (!call(sub_08C50C, 0x08C046, 0x08C043)) return;
    } else {
        chute_count(2);
        if (!call(sub_08C4EE, 0x08C05B, 0x08C058)) return;
    }
    cmp<uint32_t>(cpu.reg[4], 2);
    if (less()) {
        grey_chute(3);
        if (!call(sub_08C50C, 0x08C06D, 0x08C06A)) return;
    } else {
        chute_count(3);
        if (!call(sub_08C4EE, 0x08C082, 0x08C07F)) return;
    }
    // Counts carry their plural mark six cells left of their end.
    cpu.reg[1] = 0x0A;
    cpu.reg[2] = static_cast<uint32_t>(-6);
    cpu.reg[0] = cpu.reg[3];
    cpu.reg[10] = cell_at(9, 30);
    if (!call(sub_08C4DE, 0x08C09A, 0x08C097)) return;
    cpu.reg[0] = load_zx16(var::coin_credits);
    cpu.reg[10] = cell_at(11, 30);
    if (!call(sub_08C4DE, 0x08C0A9, 0x08C0A6)) return;
    cpu.reg[0] = load_zx16(var::service_credits);
    cpu.reg[10] = cell_at(12, 30);
    if (!call(sub_08C4DE, 0x08C0B8, 0x08C0B5)) return;
    cpu.reg[0] = add<uint32_t>(load_zx16(var::coin_credits), load_zx16(var::service_credits));
    cpu.reg[10] = cell_at(13, 30);
    if (!call(sub_08C4DE, 0x08C0CD, 0x08C0CA)) return;
    cpu.reg[0] = load_zx16(var::join_count);
    cpu.reg[10] = cell_at(15, 30);
    if (!call(sub_08C4DE, 0x08C0DC, 0x08C0D9)) return;
    cpu.reg[11] = var::power_on_time;
    cpu.reg[12] = cell_at(17, 34);
    if (!call(sub_08C253, 0x08C0EB, 0x08C0E8)) return;
    cpu.reg[11] = var::game_time;
    cpu.reg[12] = cell_at(18, 34);
    if (!call(sub_08C253, 0x08C0FA, 0x08C0F7)) return;
    // Average play: the summed play time over the joins, without days.
    cpu.reg[4] = load_zx16(var::join_count);
    test<uint32_t>(cpu.reg[4]);
    if (ne()) {
        cpu.reg[10] = var::play_time;
        if (!call(sub_08C273, 0x08C10C, 0x08C109)) return;
        cpu.reg[0] = divu<uint32_t>(cpu.reg[0], cpu.reg[4]);
        sp() -= 4;
        cpu.reg[10] = sp();
        if (!call(sub_08C2A1, 0x08C11B, 0x08C118)) return;
        cpu.reg[11] = sp();
        cpu.reg[12] = cell_at(19, 34);
        if (!call(sub_08C25F, 0x08C12A, 0x08C127)) return;
        sp() += 4;
    }
    cpu.reg[11] = var::longest_play;
    cpu.reg[12] = cell_at(20, 34);
    if (!call(sub_08C25F, 0x08C13C, 0x08C139)) return;
    // The shortest play is empty while bit 7 of its first byte is set, the
    // same test the record keeper makes.
    bit_flags(orb_read8(var::shortest_play), 7);
    if (!carry()) {
        cpu.reg[11] = var::shortest_play;
        cpu.reg[12] = cell_at(21, 34);
        if (!call(sub_08C25F, 0x08C153, 0x08C150)) return;
    }
    // Game-time share of the power-on time, in tenths of a percent.
    cpu.reg[10] = var::power_on_time;
    if (!call(sub_08C273, 0x08C15F, 0x08C15C)) return;
    cpu.reg[5] = test<uint32_t>(cpu.reg[0]);
    if (eq()) {
        ret();
        return;
    }
    cpu.reg[10] = var::game_time;
    if (!call(sub_08C273, 0x08C16E, 0x08C16B)) return;
    cpu.reg[0] = mulu<uint32_t>(cpu.reg[0], 1000);
    cpu.reg[0] = divu<uint32_t>(cpu.reg[0], cpu.reg[5]);
    orb_write16(cell_at(22, 30), 0x0430 + remu<uint32_t>(cpu.reg[0], 10));
    orb_write16(cell_at(22, 29), 0x042E);
    cpu.reg[0] = divu<uint32_t>(cpu.reg[0], 10);
    cpu.reg[10] = cell_at(22, 29);
    sub_08C4EE();
}

// The values of bookkeeping page 2: the twelve play-length counts with bars
// scaled so the largest is 20 cells, the average score over new plays, the
// highest and the lowest score.
void sub_08C19B() {
    ROUTINE_ENTRY(0x08C19B);
    cpu.reg[20] = var::bookkeeping_block;
    // R3: the largest count, then the bar scale (20 cells in 16.16).
    cpu.reg[3] = 0;
    for (uint32_t band = 0; band < 12; ++band) {
        const uint32_t count = load_zx16(var::play_histogram + 2 * band);
        cmp<uint32_t>(count, cpu.reg[3]);
        if (higher()) cpu.reg[3] = count;
    }
    test<uint32_t>(cpu.reg[3]);
    if (ne()) cpu.reg[3] = divu<uint32_t>(0x140000, cpu.reg[3]);
    cpu.reg[19] = var::play_histogram;
    cpu.reg[12] = cell_at(6, 18);
    for (cpu.reg[6] = 12; cpu.reg[6] != 0; --cpu.reg[6]) {
        cpu.reg[0] = load_zx16(cpu.reg[19]);
        cpu.reg[10] = cpu.reg[12];
        if (!call(sub_08C4EE, 0x08C1D6, 0x08C1D3)) return;
        uint32_t length = mulu<uint32_t>(cpu.reg[3], load_zx16(cpu.reg[19]));
        length = shl<uint32_t>(add<uint32_t>(length, 0x8000), static_cast<uint32_t>(-16));
        fill_cells(cpu.reg[12], length, 2, 0x0403);
        cpu.reg[19] += 2;
        cpu.reg[12] += 128;
    }
    // Average score: the 48-bit total (overflow count above the 32-bit sum)
    // over the new plays.
    cpu.reg[0] = 0;
    cpu.reg[4] = load_zx16(var::new_play_count);
    test<uint32_t>(cpu.reg[4]);
    if (ne()) {
        cpu.reg[0] = orb_read32(var::score_total);
        cpu.reg[1] = load_zx16(var::score_overflow);
        v60_divux(cpu.reg[4], 0, 0);
    }
    cpu.reg[10] = cell_at(20, 32);
    if (!call(sub_08C4EE, 0x08C22E, 0x08C22B)) return;
    cpu.reg[0] = orb_read32(var::score_high);
    cpu.reg[10] = cell_at(21, 32);
    if (!call(sub_08C4EE, 0x08C23D, 0x08C23A)) return;
    cpu.reg[0] = test<uint32_t>(orb_read32(var::score_low));
    if (negative()) cpu.reg[0] = 0;
    cpu.reg[10] = cell_at(22, 32);
    sub_08C4EE();
}

// Prints the time_record at R11 with its days: hours, minutes and seconds as
// sub_08C25F does, then the day count ending 9 cells left of R12.
void sub_08C253() {
    ROUTINE_ENTRY(0x08C253);
    if (!call(sub_08C25F, 0x08C256, 0x08C253)) return;
    cpu.reg[0] = load_zx16(cpu.reg[11]);
    cpu.reg[10] = cpu.reg[12] - 18;
    sub_08C4EE();
}

// Prints the seconds, minutes and hours bytes at R11 ending at R12, R12 - 6
// and R12 - 12. Out: R11 on the day count.
void sub_08C25F() {
    ROUTINE_ENTRY(0x08C25F);
    cpu.reg[0] = load_zx8(cpu.reg[11]++);
    cpu.reg[10] = cpu.reg[12];
    if (!call(sub_08C4EE, 0x08C265, 0x08C262)) return;
    cpu.reg[0] = load_zx8(cpu.reg[11]++);
    cpu.reg[10] = cpu.reg[12] - 6;
    if (!call(sub_08C4EE, 0x08C26B, 0x08C268)) return;
    cpu.reg[0] = load_zx8(cpu.reg[11]++);
    cpu.reg[10] = cpu.reg[12] - 12;
    if (!call(sub_08C4EE, 0x08C271, 0x08C26E)) return;
    ret();
}

// In: R10 a time_record. Out: R0 = the time in seconds, days included.
void sub_08C273() {
    ROUTINE_ENTRY(0x08C273);
    cpu.reg[0] = load_zx16(cpu.reg[10] + time_record::days);
    cpu.reg[0] = add<uint32_t>(mulu<uint32_t>(cpu.reg[0], 24), load_zx8(cpu.reg[10] + time_record::hours));
    cpu.reg[0] = add<uint32_t>(mulu<uint32_t>(cpu.reg[0], 60), load_zx8(cpu.reg[10] + time_record::minutes));
    cpu.reg[0] = add<uint32_t>(mulu<uint32_t>(cpu.reg[0], 60), load_zx8(cpu.reg[10] + time_record::seconds));
    ret();
}

// In: R0 seconds, R10 three bytes. Writes seconds, minutes and hours there;
// the hours are not reduced to days (only their low byte is kept).
void sub_08C2A1() {
    ROUTINE_ENTRY(0x08C2A1);
    orb_write8(cpu.reg[10] + time_record::seconds, static_cast<uint8_t>(remu<uint32_t>(cpu.reg[0], 60)));
    const uint32_t minutes = divu<uint32_t>(cpu.reg[0], 60);
    orb_write8(cpu.reg[10] + time_record::minutes, static_cast<uint8_t>(remu<uint32_t>(minutes, 60)));
    orb_write8(cpu.reg[10] + time_record::hours, static_cast<uint8_t>(divu<uint32_t>(cpu.reg[0], 3600)));
    ret();
}

// Bookkeeping reset: asks no (row 12, where the cursor starts) or yes (row 18)
// and runs the choice loop in the same frame.
void sub_08C2BF() {
    ROUTINE_ENTRY(0x08C2BF);
    if (!call(sub_060942, 0x08C2C2, 0x08C2BF)) return;
    cpu.reg[10] = rom::bookkeeping_reset_text;
    if (!call(sub_08C494, 0x08C2CB, 0x08C2C8)) return;
    cpu.reg[10] = rom::footer_text;
    if (!call(sub_08C494, 0x08C2D4, 0x08C2D1)) return;
    cpu.reg[10] = kResetNoLine;
    if (!call(sub_08C451, 0x08C2DB, 0x08C2D8)) return;
    set_screen(entry::sub_08C2E2);
    sub_08C2E2();
}

// Bookkeeping reset loop: the service press moves the cursor between no and
// yes; the test press on yes resets the block to its defaults and shows that
// it is done, on no returns to the menu. The choice bit is clear either way.
void sub_08C2E2() {
    ROUTINE_ENTRY(0x08C2E2);
    if (service_pressed()) {
        cpu.reg[10] = orb_read32(var::service_blink_cell);
        orb_write16(cpu.reg[10], 0);
        cpu.reg[10] += 4;
        set8(cpu.reg[0], 0x00);
        if (!call(sub_08C50C, 0x08C2F3, 0x08C2F0)) return;
        orb_write8(var::service_flags,
                   logic<uint8_t>(orb_read8(var::service_flags) ^ 1u << service_flag::reset_choice));
        // The two lines lie 6 rows apart, at 0x31F622 and 0x31F922.
        cpu.reg[10] = logic<uint32_t>(orb_read32(var::service_blink_cell) ^ kResetLineToggle);
        if (!call(sub_08C451, 0x08C2FF, 0x08C2FC)) return;
    }
    if (test_pressed()) {
        const uint8_t flags = orb_read8(var::service_flags);
        bit_flags(flags, service_flag::reset_choice);
        orb_write8(var::service_flags, static_cast<uint8_t>(flags & ~(1u << service_flag::reset_choice)));
        if (!carry()) {
            set_screen(entry::sub_08B04A /* main menu */);
        } else {
            orb_write16(orb_read32(var::service_blink_cell), kCursorMark);
            if (!call(sub_06109C, 0x08C315, 0x08C312)) return;
            cpu.reg[10] = rom::bookkeeping_cleared_text;
            if (!call(sub_08C494, 0x08C31E, 0x08C31B)) return;
            cpu.reg[19] = rom::footer_text;
            if (!call(sub_088A0B, 0x08C327, 0x08C324)) return;
            if (!call(sub_08C403, 0x08C32A, 0x08C327)) return;
            set_screen(entry::sub_08C349);
            ret();
            return;
        }
    }
    blink_cursor();
    ret();
}

// After the reset: the menu on the test press; the message blinks.
void sub_08C349() {
    ROUTINE_ENTRY(0x08C349);
    if (test_pressed()) set_screen(entry::sub_08B04A /* main menu */);
    sub_08C41D();
}

// Prints the common footer of the menu pages.
void sub_08C3FB() {
    ROUTINE_ENTRY(0x08C3FB);
    cpu.reg[10] = rom::footer_text;
    sub_08C494();
}
