// Text output: strings, text records and hexadecimal digits into the text
// layer's cells (attribute in the high byte, character in the low byte, 0 =
// empty), erasing printed lines, and packed decimal for number displays.
#include "game/routines.h"
#include "game/engine/common.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kTextLayerBytes = 3840;

uint32_t& r(int n) { return cpu.reg[n]; }

// The cell address a text record or line pointer names by its low half.
uint32_t cell_at(uint32_t pointer) { return hw::text_page + orb_read16(pointer); }

}  // namespace

// Clears the text layer: every cell of 0x31F000-0x31FEFF empty.
void sub_060942() {
    ROUTINE_ENTRY(0x060942);
    engine::clear_words(hw::text_layer, hw::text_layer + kTextLayerBytes);
    ret();
}

// Text record with 8-bit characters: its cell, then its attribute and string.
// In: R19 = the record. Out: as sub_0889D2.
void sub_0889C2() {
    ROUTINE_ENTRY(0x0889C2);
    r(18) = cell_at(r(19));
    r(19) += 2;
    sub_0889CC();
}

// An attribute byte followed by its string. In: R19, R18 = the first cell.
void sub_0889CC() {
    ROUTINE_ENTRY(0x0889CC);
    r(9) = load_zx8(r(19));
    r(19) += 1;
    sub_0889CF();
}

// Print with the attribute in R9's low byte (moved to bits 8-15).
void sub_0889CF() {
    ROUTINE_ENTRY(0x0889CF);
    r(9) = (r(9) & 0xFF) << 8;
    sub_0889D2();
}

// Prints a 0-terminated string, one cell per character.
// In: R19 = the string, R18 = the first cell, R9 bits 8-15 = the attribute.
// Out: R19 one past the 0, R18 past the last cell written; Z set.
void sub_0889D2() {
    ROUTINE_ENTRY(0x0889D2);
    for (;;) {
        const uint8_t c = test<uint8_t>(orb_read8(r(19)));
        r(19) += 1;
        if (eq()) break;
        orb_write16(r(18), static_cast<uint16_t>((r(9) & 0xFF00) | c));
        r(18) += 2;
    }
    ret();
}

// Erases the printed line whose first cell the 16-bit word at R19 names.
void sub_088A0B() {
    ROUTINE_ENTRY(0x088A0B);
    r(18) = cell_at(r(19));
    sub_088A15();
}

// Erases a printed line: the first cell always, then every cell up to the
// first one whose character is 0. In: R18 = the first cell. Out: R18 at that
// empty cell.
void sub_088A15() {
    ROUTINE_ENTRY(0x088A15);
    do {
        orb_write16(r(18), 0);
        r(18) += 2;
        test<uint8_t>(orb_read8(r(18)));
    } while (ne());
    ret();
}

// Text record with 16-bit codes: its cell, its attribute, then codes up to a
// 0 word, each ORed with the attribute. In: R19 = the record. Out: R19 past
// the 0 word, R18 past the last cell, R9 = the attribute << 8; Z set.
void sub_088A20() {
    ROUTINE_ENTRY(0x088A20);
    r(18) = cell_at(r(19));
    r(9) = load_zx8(r(19) + 2) << 8;
    r(19) += 3;
    for (;;) {
        const uint16_t code = test<uint16_t>(orb_read16(r(19)));
        r(19) += 2;
        if (eq()) break;
        orb_write16(r(18), static_cast<uint16_t>(code | r(9)));
        r(18) += 2;
    }
    ret();
}

// Two hexadecimal digits of R0's low byte. In: R1 bits 8-15 = attribute,
// R11 = the first cell.
void sub_088A5A() {
    ROUTINE_ENTRY(0x088A5A);
    r(0) &= 0xFF;
    r(2) = 2;
    sub_088A79();
}

// Eight hexadecimal digits of R0. In: R1, R11 as sub_088A79.
void sub_088A76() {
    ROUTINE_ENTRY(0x088A76);
    r(2) = 8;
    sub_088A79();
}

// Prints R2 hexadecimal digits of R0, right to left from the cell at
// R11 + 2 × (R2 − 1): the lowest digit always, higher ones while the value
// left is not 0, blank cells after that, so leading zeros do not show.
// In: R0 = value, R1 bits 8-15 = attribute, R2 = digit count, R11 = first
// cell. Out: R2 = 0, R11 two below the first cell, R0 the value shifted out.
void sub_088A79() {
    ROUTINE_ENTRY(0x088A79);
    r(11) += 2 * (r(2) - 1);
    bool blank = false;
    while (r(2) != 0) {
        if (blank) {
            orb_write16(r(11), 0);
        } else {
            const uint32_t d = r(0) & 15;
            const uint32_t c = d < 10 ? '0' + d : 'A' + (d - 10);
            orb_write16(r(11), static_cast<uint16_t>((r(1) & 0xFF00) | c));
            r(0) = shl<uint32_t>(r(0), static_cast<uint32_t>(-4));
            blank = eq();
        }
        r(11) -= 2;
        r(2) -= 1;
    }
    ret();
}

// Packed decimal: the low eight decimal digits of R0 into R0, units in bits
// 0-3; when the value has more, the next two digits go into R1's low byte
// (the higher one kept to 4 bits). Z and S follow the last quotient.
// In: R0 = value. Out: R0, R1 low byte; R2 = the last quotient, R3 the last
// remainder.
void sub_088AC3() {
    ROUTINE_ENTRY(0x088AC3);
    r(2) = r(0);
    r(0) = 0;
    for (int digit = 0; digit < 8; ++digit) {
        r(3) = 0;
        v60_divux(10, 2, 0);
        r(0) |= r(3) << (4 * digit);
        if (eq()) {
            ret();
            return;
        }
    }
    r(3) = 0;
    v60_divux(10, 2, 0);
    set8(r(1), (r(2) << 4) | r(3));
    ret();
}
