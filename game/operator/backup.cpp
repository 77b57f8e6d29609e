// The operator settings in the serial EEPROM: two CRC-guarded copies of the
// settings record in the backup image, loaded and repaired at start-up and
// saved after the service mode changed them, through the game's own
// bit-by-bit protocol on I/O port D (DI, CLK, CS) and port F bit 7 (DO).
#include "game/routines.h"
#include "game/hardware.h"
#include "game/operator/tables.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kSettingsHalfwords = 22;
constexpr uint32_t kRecordHalfwords = 32;
constexpr uint32_t kSignature = 0x41544F4B;  // "KOTA" as it lies in memory
constexpr uint16_t kVersion = 0x8101;
constexpr uint16_t kRevision = 1;
constexpr uint32_t kCrcBytes = 54;  // +0x0A..+0x3F

// Port D lines and the commands of the EEPROM.
constexpr uint32_t kDI = 0x80, kCLK = 0x40, kCS = 0x20, kOtherBits = 0x1F;
constexpr uint32_t kRead = 0x80, kWrite = 0x40, kWriteEnable = 0x30, kWriteDisable = 0x00;
constexpr uint32_t kWords = 64;

// A record the game can use: its header, its CRC (crc, worked out by the
// caller) and settings that every editor, preset and default keeps to. A
// record that passes its CRC with settings out of these bounds was edited by
// hand; used, it would index tables past their ends or divide by zero.
bool intact(uint32_t record, uint16_t crc) {
    if (orb_read32(record + backup_record::signature) != kSignature) return false;
    if (orb_read16(record + backup_record::version) != kVersion) return false;
    if (orb_read16(record + backup_record::revision) != kRevision) return false;
    if (orb_read16(record + backup_record::crc) != crc) return false;
    const uint16_t energy = orb_read16(record + backup_record::start_energy);
    return orb_read8(record + backup_record::player_count) <= 2 &&
           orb_read8(record + backup_record::coins_per_credit) != 0 &&
           orb_read8(record + backup_record::coin_item) <= 26 &&
           orb_read8(record + backup_record::difficulty) <= 7 && energy >= 200 && energy <= 600;
}

void copy_settings_default() {
    move_halfwords(rom::backup_default_settings, var::backup_primary + backup_record::settings,
                   kSettingsHalfwords);
}

// The port-D byte in R2 with the three EEPROM lines replaced; the coin-meter
// bits keep what the port held when the transfer opened.
void lines(uint32_t set) { cpu.reg[2] = (cpu.reg[2] & ~(kDI | kCLK | kCS)) | set; }

}  // namespace

// Ends a save from the service mode: write disable, interrupts enabled again.
void sub_089343() {
    ROUTINE_ENTRY(0x089343);
    if (!call(sub_0895D7, 0x089346, 0x089343)) return;
    cpu.reg[4] = kWriteDisable;
    if (!call(sub_089587, 0x08934F, 0x08934C)) return;
    enable_interrupts();
    ret();
}

// Start-up load: reads the EEPROM into the backup image and makes sure the
// primary record is usable. An intact primary stays, and a spare with a bad
// CRC is rewritten from it (the spare's words first, see sub_089478); an
// intact spare replaces a primary that is not; with neither, a foreign
// signature gets the whole default record (saved without counting), a wrong
// version or revision or damaged contents get the settings default (saved
// with counting).
void sub_089389() {
    ROUTINE_ENTRY(0x089389);
    const uint32_t primary = var::backup_primary, spare = var::backup_spare;
    if (!call(sub_089439, 0x08938C, 0x089389)) return;
    cpu.reg[4] = primary + backup_record::flip_screen;
    if (!call(sub_08954D, 0x089395, 0x089392)) return;
    if (intact(primary, static_cast<uint16_t>(cpu.reg[0]))) {
        cpu.reg[4] = spare + backup_record::flip_screen;
        if (!call(sub_08954D, 0x0893A7, 0x0893A4)) return;
        cmp<uint16_t>(cpu.reg[0], orb_read16(spare + backup_record::crc));
        if (eq()) {
            ret();
            return;
        }
        sub_089474();
        return;
    }
    cpu.reg[4] = spare + backup_record::flip_screen;
    if (!call(sub_08954D, 0x0893BF, 0x0893BC)) return;
    if (intact(spare, static_cast<uint16_t>(cpu.reg[0]))) {
        move_halfwords(spare, primary, kRecordHalfwords);
        sub_089474();
        return;
    }
    cmp<uint32_t>(orb_read32(primary + backup_record::signature), kSignature);
    if (ne()) {
        move_halfwords(rom::backup_default_record, primary, kRecordHalfwords);
        sub_089478();
        return;
    }
    cmp<uint16_t>(orb_read16(primary + backup_record::version), kVersion);
    if (ne()) {
        orb_write16(primary + backup_record::version, kVersion);
        orb_write16(primary + backup_record::revision, kRevision);
    } else {
        cmp<uint16_t>(orb_read16(primary + backup_record::revision), kRevision);
        if (ne()) orb_write16(primary + backup_record::revision, kRevision);
    }
    copy_settings_default();
    sub_089474();
}

// Reads the 64 EEPROM words into the backup image.
void sub_089439() {
    ROUTINE_ENTRY(0x089439);
    if (!call(sub_0895D7, 0x08943C, 0x089439)) return;
    cpu.reg[5] = var::backup_image;
    for (cpu.reg[4] = kRead; cpu.reg[4] < kRead + kWords; ++cpu.reg[4]) {
        if (!call(sub_0894B1, 0x08944D, 0x08944A)) return;
        orb_write16(cpu.reg[5], static_cast<uint16_t>(cpu.reg[0]));
        cpu.reg[5] += 2;
    }
    ret();
}

// Service exit's save: with counting, then write disable and interrupts on.
void sub_08946D() {
    ROUTINE_ENTRY(0x08946D);
    if (!call(sub_089474, 0x089470, 0x08946D)) return;
    sub_089343();
}

// Save with counting: the save count goes up first, so it is inside the CRC.
void sub_089474() {
    ROUTINE_ENTRY(0x089474);
    const uint32_t count = var::backup_primary + backup_record::save_count;
    orb_write32(count, inc<uint32_t>(orb_read32(count)));
    sub_089478();
}

// Save: the primary's CRC stored, the primary copied over the spare, and all
// 64 words written. Leaves the EEPROM write-enabled, interrupts disabled.
//
// The copy that the EEPROM holds damaged is written first: a spare whose CRC
// fails (the start-up repair of a damaged spare) before the primary, else the
// primary first, words 0 to 63. The new CRC (word 4) goes out before the new
// save count (words 30 and 31), so a copy is unusable while it is half
// written; with the damaged copy first, the intact one stays whole until the
// other is complete, and a power cut after any word leaves one that holds.
void sub_089478() {
    ROUTINE_ENTRY(0x089478);
    // The spare's check, with the routine's own CRC call, before it is
    // overwritten.
    cpu.reg[4] = var::backup_spare + backup_record::flip_screen;
    if (!call(sub_08954D, 0x089481, 0x08947E)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(var::backup_spare + backup_record::crc));
    const uint32_t first = eq() ? 0 : kWords / 2;
    cpu.reg[4] = var::backup_primary + backup_record::flip_screen;
    if (!call(sub_08954D, 0x089481, 0x08947E)) return;
    orb_write16(var::backup_primary + backup_record::crc, static_cast<uint16_t>(cpu.reg[0]));
    move_halfwords(var::backup_primary, var::backup_spare, kRecordHalfwords);
    if (!call(sub_0895D7, 0x089493, 0x089490)) return;
    cpu.reg[4] = kWriteEnable;
    if (!call(sub_089587, 0x089498, 0x089495)) return;
    if (!call(sub_0895D7, 0x08949B, 0x089498)) return;
    cpu.reg[5] = var::backup_image + 2 * first;
    cpu.reg[6] = kWrite + first;
    for (uint32_t n = 0; n < kWords; ++n) {
        if (cpu.reg[6] == kWrite + kWords) {  // the spare done, on to the primary
            cpu.reg[5] = var::backup_image;
            cpu.reg[6] = kWrite;
        }
        cpu.reg[4] = cpu.reg[6];
        cpu.reg[0] = orb_read16(cpu.reg[5]);
        if (!call(sub_0894E4, 0x0894A9, 0x0894A6)) return;
        cpu.reg[5] += 2;
        ++cpu.reg[6];
    }
    // Either way the registers end as a save in word order leaves them, after
    // word 63: nothing that runs after the save sees which half went first.
    cpu.reg[4] = kWrite + kWords - 1;
    cpu.reg[5] = var::backup_image + 2 * kWords;
    cpu.reg[6] = kWrite + kWords;
    ret();
}

// Reads one word: the command, then 18 samples of DO, one per clock. The
// first is the EEPROM's dummy 0, the next 16 are the data from bit 15 down,
// the last is dropped. In: R4 = command. Out: R0 = the word.
void sub_0894B1() {
    ROUTINE_ENTRY(0x0894B1);
    if (!call(sub_089587, 0x0894B4, 0x0894B1)) return;
    lines(kCS);
    cpu.reg[0] = 0;
    for (cpu.reg[3] = 18; cpu.reg[3] != 0; --cpu.reg[3]) {
        if (!call(sub_0895EE, 0x0894BD, 0x0894BA)) return;
        cpu.reg[1] = load_zx8(cpu.reg[12]);
        cpu.reg[0] = cpu.reg[0] << 1 | (cpu.reg[1] >> 7 & 1);
        cpu.reg[2] |= kCLK;
        if (!call(sub_0895EE, 0x0894CB, 0x0894C8)) return;
        cpu.reg[2] &= ~kCLK;
    }
    cpu.reg[2] &= kOtherBits;
    if (!call(sub_0895EE, 0x0894DD, 0x0894DA)) return;
    cpu.reg[0] = logic<uint32_t>(cpu.reg[0] >> 1 & 0xFFFF);
    ret();
}

// Writes one word and waits, without limit, until the EEPROM reports ready.
// In: R4 = command, R0 low 16 bits = the word.
void sub_0894E4() {
    ROUTINE_ENTRY(0x0894E4);
    if (!call(sub_089587, 0x0894E7, 0x0894E4)) return;
    for (cpu.reg[3] = 16; cpu.reg[3] != 0; --cpu.reg[3]) {
        set16(cpu.reg[0], shl<uint16_t>(cpu.reg[0], 1));
        lines(kCS | (carry() ? kDI : 0));
        if (!call(sub_0895EE, 0x0894F3, 0x0894F0)) return;
        cpu.reg[2] |= kCLK;
        if (!call(sub_0895EE, 0x0894FB, 0x0894F8)) return;
    }
    // Two clocks deselected start the programming.
    for (cpu.reg[3] = 2; cpu.reg[3] != 0; --cpu.reg[3]) {
        cpu.reg[2] &= kOtherBits;
        if (!call(sub_0895EE, 0x089507, 0x089504)) return;
        cpu.reg[2] |= kCLK;
        if (!call(sub_0895EE, 0x08950D, 0x08950A)) return;
    }
    cpu.reg[2] = (cpu.reg[2] & ~kDI) | kCS;
    do {
        if (!call(sub_0895EE, 0x089519, 0x089516)) return;
        cpu.reg[1] = load_zx8(cpu.reg[12]);
        cpu.reg[2] ^= kCLK;
        if (!call(sub_0895EE, 0x089527, 0x089524)) return;
        bit_flags(cpu.reg[1], 7);
    } while (!carry());
    cpu.reg[2] &= kOtherBits;
    if (!call(sub_0895EE, 0x08953F, 0x08953C)) return;
    ret();
}

// CRC of the primary record. Out: R0.
void sub_089548() {
    ROUTINE_ENTRY(0x089548);
    cpu.reg[4] = var::backup_primary + backup_record::flip_screen;
    sub_08954D();
}

// CRC of a record's 54 bytes from +0x0A: the remainder of the bytes, most
// significant bit first, divided by x^16 + x^12 + x^5 + 1 with no bits
// appended, worked out in a 32-bit register with the bytes fed in at its
// bottom. In: R4 = the record's +0x0A. Out: R0 = the CRC.
void sub_08954D() {
    ROUTINE_ENTRY(0x08954D);
    const uint32_t at = cpu.reg[4];
    auto step = [] {
        cpu.reg[0] = shl<uint32_t>(cpu.reg[0], 1);
        if (carry()) cpu.reg[0] = logic<uint32_t>(cpu.reg[0] ^ 0x10210000);
    };
    cpu.reg[0] = static_cast<uint32_t>(orb_read8(at)) << 24 | orb_read8(at + 1) << 16 |
                 orb_read8(at + 2) << 8 | orb_read8(at + 3);
    for (uint32_t i = 3; i < kCrcBytes; ++i) {
        set8(cpu.reg[0], orb_read8(at + i));
        for (int bit = 0; bit < 8; ++bit) step();
    }
    for (int bit = 0; bit < 8; ++bit) step();
    cpu.reg[0] = shl<uint32_t>(cpu.reg[0], static_cast<uint32_t>(-16));
    ret();
}

// Sends one command: deselect, a clock, select, a clock with DI low, the start
// bit, then the 8 command bits from the top. CS and CLK are left high.
// In: R4 = command, R2 = port byte, R13 = port D. Out: R1 used up.
void sub_089587() {
    ROUTINE_ENTRY(0x089587);
    cpu.reg[1] = cpu.reg[4];
    cpu.reg[2] &= kOtherBits;
    if (!call(sub_0895EE, 0x08958F, 0x08958C)) return;
    cpu.reg[2] |= kCLK;
    if (!call(sub_0895EE, 0x089595, 0x089592)) return;
    lines(kCS);
    if (!call(sub_0895EE, 0x08959D, 0x08959A)) return;
    cpu.reg[2] |= kCLK;
    if (!call(sub_0895EE, 0x0895A3, 0x0895A0)) return;
    lines(kCS | kDI);
    if (!call(sub_0895EE, 0x0895AB, 0x0895A8)) return;
    cpu.reg[2] |= kCLK;
    if (!call(sub_0895EE, 0x0895B1, 0x0895AE)) return;
    for (cpu.reg[3] = 8; cpu.reg[3] != 0; --cpu.reg[3]) {
        set8(cpu.reg[1], shl<uint8_t>(cpu.reg[1], 1));
        lines(kCS | (carry() ? kDI : 0));
        if (!call(sub_0895EE, 0x0895C1, 0x0895BE)) return;
        cpu.reg[2] |= kCLK;
        if (!call(sub_0895EE, 0x0895C9, 0x0895C6)) return;
    }
    ret();
}

// Opens the port: R12 = port F, R13 = port D, R2 = port D's latch; interrupts
// off so that the vblank handler's port-D write cannot cut in.
void sub_0895D7() {
    ROUTINE_ENTRY(0x0895D7);
    cpu.reg[12] = hw::port_f;
    cpu.reg[13] = hw::port_d;
    cpu.reg[2] = load_zx8(hw::port_d);
    disable_interrupts();
    ret();
}

// Writes R2's low byte to the port at R13.
void sub_0895EE() {
    ROUTINE_ENTRY(0x0895EE);
    orb_write8(cpu.reg[13], static_cast<uint8_t>(cpu.reg[2]));
    ret();
}
