// Text routines of the service pages: text lists with colour bytes, decimal
// numbers, plural marks, recolouring runs of cells, and the save count.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/operator/service.h"
#include "game/operator/vars.h"
#include "game/operator/tables.h"
#include "runtime/guest.h"

using namespace guest;
using namespace service;

namespace {

constexpr uint32_t kSaveCountEnd = 0x31FD40;

// Prints the entries of a text list at R10, each a u16 cell (relative to R12's
// low half when `relative`) and bytes up to a 0. A byte with bit 7 set gives
// the attribute (bits 8 to 15 of R0) its complement; any other byte is a
// character. R10 is left past the list's end.
void print_list(bool relative) {
    for (;;) {
        const uint16_t at = test<uint16_t>(orb_read16(cpu.reg[10]));
        cpu.reg[10] += 2;
        if (eq()) return;
        cpu.reg[18] = text_cell(relative ? cpu.reg[12] + at : at);
        for (;;) {
            set8(cpu.reg[0], orb_read8(cpu.reg[10]++));
            test<uint8_t>(cpu.reg[0]);
            if (eq()) break;
            if (negative()) {
                cpu.reg[0] = (cpu.reg[0] & ~0xFF00u) | (~cpu.reg[0] & 0xFF) << 8;
                continue;
            }
            orb_write16(cpu.reg[18], cpu.reg[0]);
            cpu.reg[18] += 2;
        }
    }
}

}  // namespace

// Prints the text list at R10 in the attribute of R0's bits 8 to 15, which
// the list's colour bytes change and which carries out of the call.
void sub_08C494() {
    ROUTINE_ENTRY(0x08C494);
    print_list(false);
    ret();
}

// Prints the relative text list at R10: each entry's u16 is an offset from the
// cell in R12's low half; an offset of 0 ends the list.
void sub_08C4B7() {
    ROUTINE_ENTRY(0x08C4B7);
    print_list(true);
    ret();
}

// Writes the plural mark, then the number. In: R0 the number, printed leftward
// from R10; R1 low byte the attribute; the mark 'S' (for R0 above 1, else an
// empty cell) goes at R10 + 2 × R2 (R2 signed).
void sub_08C4DE() {
    ROUTINE_ENTRY(0x08C4DE);
    const uint32_t at = cpu.reg[10] + 2 * cpu.reg[2];
    cmp<uint32_t>(cpu.reg[0], 1);
    orb_write16(at, (cpu.reg[1] & 0xFF) << 8 | (higher() ? 0x53 : 0x00));
    sub_08C4EE();
}

// Prints R0 in decimal, attribute 0x04, ending just left of R10; at least one
// digit, no leading zeros. Out: R10 on the first digit.
void sub_08C4EE() {
    ROUTINE_ENTRY(0x08C4EE);
    do {
        const uint32_t digit = remu<uint32_t>(cpu.reg[0], 10);
        cpu.reg[0] = divu<uint32_t>(cpu.reg[0], 10);
        cpu.reg[10] -= 2;
        orb_write16(cpu.reg[10], 0x0430 + digit);
        test<uint32_t>(cpu.reg[0]);
    } while (ne());
    ret();
}

// Takes the colour off the cells from R10 up to and including the first empty
// one.
void sub_08C501() {
    ROUTINE_ENTRY(0x08C501);
    uint16_t cell;
    do {
        cell = logic<uint16_t>(orb_read16(cpu.reg[10]) & 0x01FF);
        orb_write16(cpu.reg[10], cell);
        cpu.reg[10] += 2;
    } while (ne());
    ret();
}

// Colours the run of non-empty cells from R10 with R0's low byte; the empty
// cell that ends the run loses its colour bits.
void sub_08C50C() {
    ROUTINE_ENTRY(0x08C50C);
    const uint32_t colour = (cpu.reg[0] & 0xFF) << 8;
    for (;; cpu.reg[10] += 2) {
        const uint16_t cell = logic<uint16_t>(orb_read16(cpu.reg[10]) & 0x01FF);
        orb_write16(cpu.reg[10], cell);
        if (eq()) break;
        orb_write16(cpu.reg[10], cell | colour);
    }
    ret();
}

// While the service switch is held as the menu is drawn, shows how often the
// backup image has been saved.
void sub_08C51D() {
    ROUTINE_ENTRY(0x08C51D);
    if (!test_bit(var::system_inputs, 0)) {
        ret();
        return;
    }
    cpu.reg[10] = rom::save_count_label;
    if (!call(sub_08C494, 0x08C52A, 0x08C527)) return;
    cpu.reg[0] = orb_read32(var::backup_image + backup_record::save_count);
    cpu.reg[10] = kSaveCountEnd;
    sub_08C4EE();
}
