// ROM and RAM self test: signatures of the program and data ROMs against the
// words at the top of the address space, and rotating-pattern tests of video,
// sprite, palette, work and shared RAM, with 19 results on the page.
#include <array>

#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/operator/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kSignatures = 0xFFFFF8;  // program ROM words mirrored at the top
constexpr uint32_t kWorkRam = 0x200000;
constexpr uint32_t kProgressCell = 0x31FC9C;
constexpr uint32_t kProgressLength = 11;

// One step of the signature: the bookkeeping block's check-value step.
uint16_t signature_step(uint16_t s, uint16_t h) {
    s = logic<uint16_t>(s ^ h);
    s = shl<uint16_t>(s, static_cast<uint32_t>(-1));
    if (carry()) s = logic<uint16_t>(s ^ 0x8810);
    return s;
}

void set_results(uint32_t first, uint32_t count, uint8_t status) {
    for (uint32_t i = 0; i < count; ++i) orb_write8(var::self_test_results + first + i, status);
}

// An item that ran counts 1 up (testing → good) and 1 more when it failed.
void judge(uint32_t item, bool bad) {
    const uint32_t at = var::self_test_results + item;
    orb_write8(at, inc<uint8_t>(orb_read8(at)));
    if (bad) orb_write8(at, inc<uint8_t>(orb_read8(at)));
}

// The items of one RAM test, each failing on its own group of error bits.
template <std::size_t N>
void judge_bits(uint32_t first, uint32_t error, const std::array<uint16_t, N>& masks) {
    for (std::size_t i = 0; i < N; ++i) {
        test<uint16_t>(error & masks[i]);
        judge(first + static_cast<uint32_t>(i), ne());
    }
}

// Copies `longs` 32-bit words upward.
void copy_longs(uint32_t from, uint32_t to, uint32_t longs) {
    for (uint32_t i = 0; i < longs; ++i) orb_write32(to + 4 * i, orb_read32(from + 4 * i));
}

// The RAM tests' pattern sequence: after each element the pattern rotates
// left by one, and by one more for every listed power of two that the address
// after the element is a multiple of, so neighbouring blocks never hold the
// same patterns.
template <typename T, std::size_t N>
T next_pattern(T p, uint32_t after, const std::array<uint32_t, N>& multiples) {
    p = rot<T>(p, 1);
    for (uint32_t m : multiples)
        if ((after & (m - 1)) == 0) p = rot<T>(p, 1);
    return p;
}

template <typename T>
T read_element(uint32_t a) {
    if constexpr (sizeof(T) == 1)
        return orb_read8(a);
    else
        return orb_read16(a);
}

template <typename T>
void write_element(uint32_t a, T value) {
    if constexpr (sizeof(T) == 1)
        orb_write8(a, value);
    else
        orb_write16(a, value);
}

// Write pass: `count` elements from `start`, the sequence from `seed`.
template <typename T, std::size_t N>
void write_patterns(uint32_t start, uint32_t count, T seed, const std::array<uint32_t, N>& multiples) {
    T p = seed;
    for (uint32_t a = start, i = 0; i < count; ++i) {
        write_element<T>(a, p);
        a += sizeof(T);
        p = next_pattern<T>(p, a, multiples);
    }
}

// Read pass: the same sequence compared; at the first difference, the bits
// that differ (the element read again), else 0.
template <typename T, std::size_t N>
uint32_t check_patterns(uint32_t start, uint32_t count, T seed, const std::array<uint32_t, N>& multiples) {
    T p = seed;
    for (uint32_t a = start, i = 0; i < count; ++i) {
        cmp<T>(read_element<T>(a), p);
        if (ne()) return logic<T>(read_element<T>(a) ^ p);
        a += sizeof(T);
        p = next_pattern<T>(p, a, multiples);
    }
    return 0;
}

constexpr std::array<uint32_t, 5> kByteLaneMultiples = {16, 128, 1024, 8192, 65536};
constexpr std::array<uint32_t, 8> kNibbleMultiples = {8, 32, 128, 512, 2048, 8192, 32768, 131072};
constexpr std::array<uint32_t, 4> kByteMultiples = {8, 64, 512, 4096};

constexpr std::array<uint16_t, 4> kNibbles = {0xF000, 0x0F00, 0x00F0, 0x000F};
constexpr std::array<uint16_t, 2> kBytes = {0xFF00, 0x00FF};
constexpr std::array<uint16_t, 1> kAnyBit = {0x00FF};

// One pass of a RAM test over R0 bytes from R10 (halfwords or bytes by T),
// the sequence seeded by R2: true when every element read back; else R0 is
// the bits that differed.
template <typename T, std::size_t N>
bool good_pass(const std::array<uint32_t, N>& multiples) {
    const uint32_t count = sizeof(T) == 1 ? cpu.reg[0] : cpu.reg[0] >> 1;
    const T seed = static_cast<T>(cpu.reg[2]);
    write_patterns<T>(cpu.reg[10], count, seed, multiples);
    const uint32_t error = check_patterns<T>(cpu.reg[10], count, seed, multiples);
    if (!error) return true;
    cpu.reg[0] = error;
    return false;
}

// The RAM tests leave through the return address they keep in R11.
void leave_ram_test() { v60_jump(cpu.reg[11]); }

}  // namespace

// The whole self test, in one go with interrupts off: each group of items is
// shown as testing, run and judged. Video, sprite RAM and the palette are
// rebuilt afterwards; work RAM and shared RAM are saved in video RAM around
// their tests and put back. Ends in the page loop that waits for the test
// switch.
void sub_08B159() {
    ROUTINE_ENTRY(0x08B159);
    if (!call(sub_060942, 0x08B15C, 0x08B159)) return;
    set_results(0, 19, 0);
    orb_write8(var::shared_ram_flag, 0xFF);
    disable_interrupts();

    // Program ROM, two halves.
    set_results(0, 1, 1);
    if (!call(sub_08B429, 0x08B180, 0x08B17D)) return;
    cpu.reg[10] = 0x060000;
    cpu.reg[0] = 0x20000;
    if (!call(sub_08C53C, 0x08B190, 0x08B18D)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(kSignatures));
    judge(0, ne());
    set_results(1, 1, 1);
    if (!call(sub_08B429, 0x08B1A8, 0x08B1A5)) return;
    cpu.reg[10] = 0x080000;
    cpu.reg[0] = 0x1FFF8;
    if (!call(sub_08C53C, 0x08B1B8, 0x08B1B5)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(kSignatures + 2));
    judge(1, ne());

    // Data ROM: even and odd byte lanes.
    set_results(2, 2, 1);
    if (!call(sub_08B429, 0x08B1D8, 0x08B1D5)) return;
    cpu.reg[10] = 0x100000;
    cpu.reg[0] = 0x40000;
    if (!call(sub_08C559, 0x08B1E8, 0x08B1E5)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(kSignatures + 4));
    judge(2, ne());
    cmp<uint16_t>(cpu.reg[1], orb_read16(kSignatures + 6));
    judge(3, ne());

    // Video RAM, then the layers set up again.
    set_results(4, 4, 1);
    if (!call(sub_08B429, 0x08B218, 0x08B215)) return;
    cpu.reg[10] = hw::video_ram;
    cpu.reg[0] = 0x20000;
    if (!call(sub_08C641, 0x08B228, 0x08B225)) return;
    judge_bits(4, cpu.reg[0], kNibbles);
    if (!call(sub_0608A8, 0x08B248, 0x08B245)) return;

    // Sprite RAM, then an empty sprite list.
    set_results(8, 4, 1);
    if (!call(sub_08B429, 0x08B258, 0x08B255)) return;
    cpu.reg[10] = hw::sprite_ram;
    cpu.reg[0] = 0x20000;
    if (!call(sub_08C641, 0x08B268, 0x08B265)) return;
    judge_bits(8, cpu.reg[0], kNibbles);
    if (!call(sub_0609AA, 0x08B288, 0x08B285)) return;

    // Palette RAM in two halves, the service palette back after each.
    set_results(12, 2, 1);
    if (!call(sub_08B429, 0x08B298, 0x08B295)) return;
    cpu.reg[10] = hw::palette;
    cpu.reg[0] = 0x4000;
    if (!call(sub_08C59F, 0x08B2A8, 0x08B2A5)) return;
    judge_bits(12, cpu.reg[0], kBytes);
    if (!call(sub_08C37A, 0x08B2C8, 0x08B2C5)) return;
    set_results(14, 2, 1);
    if (!call(sub_08B429, 0x08B2D8, 0x08B2D5)) return;
    cpu.reg[10] = hw::palette + 0x4000;
    cpu.reg[0] = 0x4000;
    if (!call(sub_08C59F, 0x08B2E8, 0x08B2E5)) return;
    judge_bits(14, cpu.reg[0], kBytes);
    if (!call(sub_08C37A, 0x08B308, 0x08B305)) return;

    // Work RAM, the stack and these results included: saved in video RAM
    // around the test, which itself keeps off the stack.
    set_results(16, 2, 1);
    if (!call(sub_08B429, 0x08B318, 0x08B315)) return;
    copy_longs(kWorkRam, hw::video_ram, 0x4000);
    cpu.reg[10] = kWorkRam;
    cpu.reg[0] = 0x10000;
    if (!call(sub_08C59F, 0x08B338, 0x08B335)) return;
    copy_longs(hw::video_ram, kWorkRam, 0x4000);
    judge_bits(16, cpu.reg[0], kBytes);
    if (!call(sub_0608A8, 0x08B368, 0x08B365)) return;
    if (!call(sub_08C37A, 0x08B36B, 0x08B368)) return;

    // Shared RAM but its last byte, the bookkeeping block included, saved the
    // same way.
    set_results(18, 1, 1);
    if (!call(sub_08B429, 0x08B378, 0x08B375)) return;
    copy_longs(hw::sound_command, hw::video_ram, 0x800);
    cpu.reg[10] = hw::sound_command;
    cpu.reg[0] = 0x1FFF;
    if (!call(sub_08C715, 0x08B398, 0x08B395)) return;
    copy_longs(hw::video_ram, hw::sound_command, 0x800);
    judge_bits(18, cpu.reg[0], kAnyBit);
    if (!call(sub_0608A8, 0x08B3C8, 0x08B3C5)) return;
    if (!call(sub_08C37A, 0x08B3CB, 0x08B3C8)) return;
    if (!call(sub_08B429, 0x08B3CE, 0x08B3CB)) return;

    enable_interrupts();
    orb_write8(var::shared_ram_flag, 0);
    if (!call(sub_08C403, 0x08B3E0, 0x08B3DD)) return;
    orb_write32(var::service_screen, entry::sub_08B416 /* self test loop */);
    sub_08B416();
}

// ROM signature. In: R10 start, R0 length in bytes. Out: R0's low half the
// signature of R0 / 2 halfwords; R10 past the range.
void sub_08C53C() {
    ROUTINE_ENTRY(0x08C53C);
    uint16_t s = 1;
    for (uint32_t n = cpu.reg[0] >> 1; n != 0; --n) {
        s = signature_step(s, orb_read16(cpu.reg[10]));
        cpu.reg[10] += 2;
    }
    set16(cpu.reg[0], s);
    ret();
}

// ROM signatures of the two byte lanes of a 32-bit-wide ROM pair. In: R10
// start, R0 length in bytes. Out: R0 the signature of bytes 0 and 2 of every
// 4 (byte 2 high), R1 of bytes 1 and 3 (byte 3 high).
void sub_08C559() {
    ROUTINE_ENTRY(0x08C559);
    uint16_t even = 1, odd = 1;
    for (uint32_t n = cpu.reg[0] >> 2; n != 0; --n) {
        const uint32_t a = cpu.reg[10];
        even = signature_step(even, static_cast<uint16_t>(orb_read8(a + 2) << 8 | orb_read8(a)));
        odd = signature_step(odd, static_cast<uint16_t>(orb_read8(a + 3) << 8 | orb_read8(a + 1)));
        cpu.reg[10] += 4;
    }
    cpu.reg[0] = even;
    cpu.reg[1] = odd;
    ret();
}

// RAM test by halfwords, judged per byte lane (seeds 0x0101 to 0x8080, 8
// passes). In: R10 start, R0 length in bytes. Out: R0 the bits that differed
// at the first bad halfword, 0 when good. It keeps off the stack, which may lie
// in the RAM under test: the return address is taken into R11 at once and the
// test leaves through it.
void sub_08C59F() {
    ROUTINE_ENTRY(0x08C59F);
    cpu.reg[11] = pop();
    cpu.reg[2] = 0x0101;
    do {
        if (!good_pass<uint16_t>(kByteLaneMultiples)) return leave_ram_test();
        if (!call(sub_08C7A2, 0x08C61B, 0x08C618)) return;
        set16(cpu.reg[2], rot<uint16_t>(cpu.reg[2], 1));
    } while (!carry());
    cpu.reg[0] = 0;
    leave_ram_test();
}

// RAM test by halfwords, judged per 4-bit group (seeds 0x1111 to 0x8888, 4
// passes). Registers and return as sub_08C59F.
void sub_08C641() {
    ROUTINE_ENTRY(0x08C641);
    cpu.reg[11] = pop();
    cpu.reg[2] = 0x1111;
    do {
        if (!good_pass<uint16_t>(kNibbleMultiples)) return leave_ram_test();
        if (!call(sub_08C7A2, 0x08C6EF, 0x08C6EC)) return;
        set16(cpu.reg[2], rot<uint16_t>(cpu.reg[2], 1));
    } while (!carry());
    cpu.reg[0] = 0;
    leave_ram_test();
}

// RAM test by bytes (seeds 0x01 to 0x80, 8 passes). In: R10 start, R0 length
// in bytes. Out: R0 the bits that differed at the first bad byte, 0 when good.
// Return as sub_08C59F.
void sub_08C715() {
    ROUTINE_ENTRY(0x08C715);
    cpu.reg[11] = pop();
    cpu.reg[2] = 0x01;
    do {
        if (!good_pass<uint8_t>(kByteMultiples)) return leave_ram_test();
        if (!call(sub_08C7A2, 0x08C78D, 0x08C78A)) return;
        set8(cpu.reg[2], rot<uint8_t>(cpu.reg[2], 1));
    } while (!carry());
    cpu.reg[0] = 0;
    leave_ram_test();
}

// Progress message of the RAM tests, shown and erased on alternate passes.
// In: R21's low byte, complemented here: the message shows when that leaves 0.
void sub_08C7A2() {
    ROUTINE_ENTRY(0x08C7A2);
    set8(cpu.reg[21], logic<uint8_t>(~cpu.reg[21]));
    cpu.reg[18] = kProgressCell;
    if (ne()) {
        for (uint32_t i = 0; i < kProgressLength; ++i) orb_write16(cpu.reg[18] + 2 * i, 0);
    } else {
        cpu.reg[19] = rom::progress_text;
        for (uint32_t i = 0; i < kProgressLength; ++i) {
            orb_write8(cpu.reg[18]++, orb_read8(cpu.reg[19]++));
            orb_write8(cpu.reg[18]++, 6);
        }
    }
    ret();
}
