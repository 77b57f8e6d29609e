// Helpers for translated routines only. A translated routine carries out its
// guest instructions one by one on `cpu` and the bus; these keep each
// instruction to one readable line.
#pragma once
#include <cstdint>
#include <limits>
#include <type_traits>

#include "board/machine.h"
#include "runtime/v60.h"

namespace guest {

// ---- registers ----

inline uint32_t& sp() { return cpu.reg[V60_SP]; }

// Byte and halfword results replace only the low bits of a register.
inline void set8(uint32_t& reg, uint32_t value) { reg = (reg & ~0xFFu) | (value & 0xFF); }
inline void set16(uint32_t& reg, uint32_t value) { reg = (reg & ~0xFFFFu) | (value & 0xFFFF); }

inline uint32_t sx8(uint32_t v) { return static_cast<uint32_t>(static_cast<int8_t>(v)); }
inline uint32_t sx16(uint32_t v) { return static_cast<uint32_t>(static_cast<int16_t>(v)); }

// Extending loads write all 32 bits of their register and change no flag.
inline uint32_t load_sx8(uint32_t address) { return sx8(orb_read8(address)); }
inline uint32_t load_sx16(uint32_t address) { return sx16(orb_read16(address)); }
inline uint32_t load_zx8(uint32_t address) { return orb_read8(address); }
inline uint32_t load_zx16(uint32_t address) { return orb_read16(address); }

// ---- stack ----

inline void push(uint32_t value) {
    sp() -= 4;
    orb_write32(sp(), value);
}

inline uint32_t pop() {
    uint32_t value = orb_read32(sp());
    sp() += 4;
    return value;
}

// PUSHM and POPM of R[low] to R[high]: the highest register goes first, so
// R[low] ends on top, and pop_range takes them back in the opposite order.
inline void push_range(int low, int high) {
    for (int r = high; r >= low; --r) push(cpu.reg[r]);
}

inline void pop_range(int low, int high) {
    for (int r = low; r <= high; ++r) cpu.reg[r] = pop();
}

// ---- flags, per class of instruction and width (uint8_t, uint16_t, uint32_t) ----

// All four flags at once, as the guest's own stores of a flag word leave them.
inline void set_flags(uint8_t z, uint8_t s, uint8_t ov, uint8_t cy) {
    cpu.z = z;
    cpu.s = s;
    cpu.ov = ov;
    cpu.cy = cy;
}

template <typename T>
constexpr T top_bit = static_cast<T>(T(1) << (sizeof(T) * 8 - 1));

template <typename T>
inline void set_zs(T r) {
    cpu.z = r == 0;
    cpu.s = (r & top_bit<T>) != 0;
}

// add, increment: carry out of the top bit, signed overflow.
template <typename T>
inline T add(uint32_t a, uint32_t b) {
    const T x = static_cast<T>(a), y = static_cast<T>(b), r = static_cast<T>(x + y);
    set_zs(r);
    cpu.ov = ((~(x ^ y) & (x ^ r)) & top_bit<T>) != 0;
    cpu.cy = r < x;
    return r;
}

// add with carry in.
template <typename T>
inline T addc(uint32_t a, uint32_t b) {
    const T x = static_cast<T>(a), y = static_cast<T>(b);
    const T r = static_cast<T>(x + y + cpu.cy);
    const bool carry = cpu.cy ? r <= x : r < x;
    set_zs(r);
    cpu.ov = ((~(x ^ y) & (x ^ r)) & top_bit<T>) != 0;
    cpu.cy = carry;
    return r;
}

// subtract, compare, decrement: CY is the borrow (a below b, unsigned).
template <typename T>
inline T sub(uint32_t a, uint32_t b) {
    const T x = static_cast<T>(a), y = static_cast<T>(b), r = static_cast<T>(x - y);
    set_zs(r);
    cpu.ov = (((x ^ y) & (x ^ r)) & top_bit<T>) != 0;
    cpu.cy = x < y;
    return r;
}

// subtract with borrow in.
template <typename T>
inline T subc(uint32_t a, uint32_t b) {
    const T x = static_cast<T>(a), y = static_cast<T>(b);
    const T r = static_cast<T>(x - y - cpu.cy);
    const bool borrow = cpu.cy ? x <= y : x < y;
    set_zs(r);
    cpu.ov = (((x ^ y) & (x ^ r)) & top_bit<T>) != 0;
    cpu.cy = borrow;
    return r;
}

template <typename T>
inline void cmp(uint32_t a, uint32_t b) {
    sub<T>(a, b);
}
template <typename T>
inline T inc(uint32_t a) {
    return add<T>(a, 1);
}
template <typename T>
inline T dec(uint32_t a) {
    return sub<T>(a, 1);
}
template <typename T>
inline T neg(uint32_t a) {
    return sub<T>(0, a);
}

// test and flag-setting moves: OV = CY = 0.
template <typename T>
inline T test(uint32_t a) {
    const T r = static_cast<T>(a);
    set_zs(r);
    cpu.ov = 0;
    cpu.cy = 0;
    return r;
}

// and, or, xor, not: OV = 0, CY keeps its value.
template <typename T>
inline T logic(uint32_t result) {
    const T r = static_cast<T>(result);
    set_zs(r);
    cpu.ov = 0;
    return r;
}

// ---- shifts and rotates ----
//
// The guest gives a shift or rotate count as a signed byte: 1 to 127 go left,
// -1 to -128 go right (a count byte 0xFC shifts right by 4). The helpers take
// the count as the guest gives it and use only its low byte.
//
// Choices the instruction descriptions leave open, made once here:
// - CY is the last bit shifted or rotated out; for a count of 0 it is 0 after
//   a shift or a plain rotate, and keeps its value after a rotate through
//   carry (the carry is then part of the value that did not move).
// - A count beyond the width shifts every bit out: the result is 0 (or all
//   sign bits for an arithmetic shift right), and CY is the bit that left last,
//   0 once the count passes the width.
// - OV is 0 after every shift and rotate, except an arithmetic shift left
//   whose result does not equal the value times 2^count (a bit that differs
//   from the result's sign was shifted out or into the sign).
// - neg is a subtraction from 0: CY is set for every value but 0, OV for the
//   most negative value only.
inline int shift_count(uint32_t count) { return static_cast<int8_t>(count); }

template <typename T>
inline T shl(uint32_t a, uint32_t count_byte) {  // logical
    constexpr int bits = sizeof(T) * 8;
    const int count = shift_count(count_byte);
    const T x = static_cast<T>(a);
    T r = x;
    uint8_t cy = 0;
    if (count > 0) {
        cy = count <= bits ? (x >> (bits - count)) & 1 : 0;
        r = count < bits ? static_cast<T>(x << count) : 0;
    } else if (count < 0) {
        const int n = -count;
        cy = n <= bits ? (x >> (n - 1)) & 1 : 0;
        r = n < bits ? static_cast<T>(x >> n) : 0;
    }
    set_zs(r);
    cpu.ov = 0;
    cpu.cy = cy;
    return r;
}

template <typename T>
inline T sha(uint32_t a, uint32_t count_byte) {  // arithmetic
    using S = std::make_signed_t<T>;
    constexpr int bits = sizeof(T) * 8;
    const int count = shift_count(count_byte);
    const S x = static_cast<S>(static_cast<T>(a));
    if (count >= 0) {
        const T r = shl<T>(a, count_byte);
        // The top count + 1 bits must all equal the sign for the value to survive.
        const bool fits =
            count < bits ? (x >> (bits - 1 - count)) == 0 || (x >> (bits - 1 - count)) == -1 : x == 0;
        cpu.ov = !fits;
        return r;
    }
    const int n = -count < bits ? -count : bits;
    const uint8_t cy = (x >> (n - 1)) & 1;
    const T r = static_cast<T>(n < bits ? x >> n : x >> (bits - 1));
    set_zs(r);
    cpu.ov = 0;
    cpu.cy = cy;
    return r;
}

// Rotate: bits leaving one end enter at the other; CY is the last bit that
// went round (for a count of 0, CY = 0).
template <typename T>
inline T rot(uint32_t a, uint32_t count_byte) {
    constexpr int bits = sizeof(T) * 8;
    const int count = shift_count(count_byte);
    const T x = static_cast<T>(a);
    const int n = ((count % bits) + bits) % bits;  // the same rotation to the left
    const T r = n ? static_cast<T>(x << n | x >> (bits - n)) : x;
    set_zs(r);
    cpu.ov = 0;
    if (count > 0)
        cpu.cy = r & 1;  // the bit that went round last now sits at the bottom
    else if (count < 0)
        cpu.cy = (r >> (bits - 1)) & 1;  // ... or at the top
    else
        cpu.cy = 0;
    return r;
}

// Rotate through carry: the value and CY rotate together as one of width + 1
// bits, CY standing above the top bit.
template <typename T>
inline T rotc(uint32_t a, uint32_t count_byte) {
    constexpr int bits = sizeof(T) * 8;
    const int count = shift_count(count_byte);
    uint64_t wide = (uint64_t{cpu.cy} << bits) | static_cast<T>(a);  // bits + 1 bits
    const int n = ((count % (bits + 1)) + bits + 1) % (bits + 1);
    if (n) wide = ((wide << n) | (wide >> (bits + 1 - n))) & ((uint64_t{2} << bits) - 1);
    const T r = static_cast<T>(wide);
    set_zs(r);
    cpu.ov = 0;
    cpu.cy = (wide >> bits) & 1;
    return r;
}

// ---- multiply and divide (the result has the operands' width) ----
//
// Z and S come from the result. OV: the product does not fit the width
// (signed for mul, unsigned for mulu); the one signed quotient that does not
// fit (the most negative value divided by -1, whose result is the dividend);
// 0 for remainders and unsigned quotients. CY keeps its value. A divisor of 0
// ends the run with the runtime's division message.
[[noreturn]] inline void division_by_zero() {
    v60_fatal("V60 division by zero (frame %llu)\n", static_cast<unsigned long long>(cpu.frames));
}

template <typename T>
inline T mul(uint32_t a, uint32_t b) {  // signed
    using S = std::make_signed_t<T>;
    const int64_t p = int64_t{static_cast<S>(static_cast<T>(a))} * static_cast<S>(static_cast<T>(b));
    const T r = static_cast<T>(p);
    set_zs(r);
    cpu.ov = p != static_cast<S>(r);
    return r;
}

template <typename T>
inline T mulu(uint32_t a, uint32_t b) {
    const uint64_t p = uint64_t{static_cast<T>(a)} * static_cast<T>(b);
    const T r = static_cast<T>(p);
    set_zs(r);
    cpu.ov = p != r;
    return r;
}

// a / b and a % b, truncated toward zero; a remainder has the dividend's sign.
template <typename T>
inline T div(uint32_t a, uint32_t b) {  // signed
    using S = std::make_signed_t<T>;
    const S x = static_cast<S>(static_cast<T>(a)), y = static_cast<S>(static_cast<T>(b));
    if (y == 0) division_by_zero();
    const bool overflow = y == -1 && x == std::numeric_limits<S>::min();
    const T r = overflow ? static_cast<T>(x) : static_cast<T>(x / y);
    set_zs(r);
    cpu.ov = overflow;
    return r;
}

template <typename T>
inline T divu(uint32_t a, uint32_t b) {
    const T x = static_cast<T>(a), y = static_cast<T>(b);
    if (y == 0) division_by_zero();
    const T r = static_cast<T>(x / y);
    set_zs(r);
    cpu.ov = 0;
    return r;
}

template <typename T>
inline T rem(uint32_t a, uint32_t b) {  // signed
    using S = std::make_signed_t<T>;
    const S x = static_cast<S>(static_cast<T>(a)), y = static_cast<S>(static_cast<T>(b));
    if (y == 0) division_by_zero();
    const T r = y == -1 ? T{0} : static_cast<T>(x % y);
    set_zs(r);
    cpu.ov = 0;
    return r;
}

template <typename T>
inline T remu(uint32_t a, uint32_t b) {
    const T x = static_cast<T>(a), y = static_cast<T>(b);
    if (y == 0) division_by_zero();
    const T r = static_cast<T>(x % y);
    set_zs(r);
    cpu.ov = 0;
    return r;
}

// Bit test (and the test-and-set/clear forms): CY = the old bit, Z = its opposite.
inline void bit_flags(uint32_t value, unsigned bit) {
    cpu.cy = (value >> (bit & 31)) & 1;
    cpu.z = !cpu.cy;
}

// Bit instructions on a 32-bit word in memory (TEST1, SET1, CLR1): flags as
// bit_flags, and the result is the old bit, so `if (clear_bit(a, 0))` reads as
// the guest's test-and-clear followed by a branch on carry.
inline bool test_bit(uint32_t address, unsigned bit) {
    bit_flags(orb_read32(address), bit);
    return cpu.cy;
}

inline bool set_bit(uint32_t address, unsigned bit) {
    const uint32_t value = orb_read32(address);
    bit_flags(value, bit);
    orb_write32(address, value | 1u << (bit & 31));
    return cpu.cy;
}

inline bool clear_bit(uint32_t address, unsigned bit) {
    const uint32_t value = orb_read32(address);
    bit_flags(value, bit);
    orb_write32(address, value & ~(1u << (bit & 31)));
    return cpu.cy;
}

inline bool not_bit(uint32_t address, unsigned bit) {
    const uint32_t value = orb_read32(address);
    bit_flags(value, bit);
    orb_write32(address, value ^ 1u << (bit & 31));
    return cpu.cy;
}

// The same on a register.
inline bool reg_set_bit(uint32_t& reg, unsigned bit) {
    bit_flags(reg, bit);
    reg |= 1u << (bit & 31);
    return cpu.cy;
}

inline bool reg_clear_bit(uint32_t& reg, unsigned bit) {
    bit_flags(reg, bit);
    reg &= ~(1u << (bit & 31));
    return cpu.cy;
}

inline bool reg_not_bit(uint32_t& reg, unsigned bit) {
    bit_flags(reg, bit);
    reg ^= 1u << (bit & 31);
    return cpu.cy;
}

// ---- bit fields in memory (EXTBFZ, EXTBFS, INSBF) ----
//
// A field of length 1 to 32 bits (0 reads as 0 and writes nothing) starts offset bits (signed, either side)
// from bit 0 of the byte at address; bits count upward through the bytes, as
// little-endian memory lays them out. No flag changes.
inline uint64_t field_window(uint32_t address, int32_t offset, uint32_t& first, int& shift) {
    first = address + static_cast<uint32_t>(offset >> 3);
    shift = offset & 7;
    uint64_t w = 0;
    for (int i = 0; i < 5; ++i) w |= uint64_t{orb_read8(first + i)} << (8 * i);
    return w;
}

inline uint32_t extract_bits(uint32_t address, int32_t offset, uint32_t length) {
    uint32_t first;
    int shift;
    const uint64_t w = field_window(address, offset, first, shift);
    const uint64_t mask = (uint64_t{1} << length) - 1;
    return static_cast<uint32_t>((w >> shift) & mask);
}

inline uint32_t extract_bits_signed(uint32_t address, int32_t offset, uint32_t length) {
    if (length == 0) return 0;
    const uint32_t v = extract_bits(address, offset, length);
    const uint32_t sign = 1u << (length - 1);
    return (v ^ sign) - sign;
}

// Writes only the bytes the field touches.
inline void insert_bits(uint32_t address, int32_t offset, uint32_t length, uint32_t value) {
    uint32_t first;
    int shift;
    uint64_t w = field_window(address, offset, first, shift);
    const uint64_t mask = ((uint64_t{1} << length) - 1) << shift;
    w = (w & ~mask) | ((uint64_t{value} << shift) & mask);
    const int bytes = (shift + static_cast<int>(length) + 7) / 8;
    for (int i = 0; i < bytes; ++i) orb_write8(first + i, static_cast<uint8_t>(w >> (8 * i)));
}

// ---- block moves ----

// MOVCUH with equal lengths: count halfwords upward; R27 and R28 are left at
// the ends of the destination and the source. Changes no flag.
inline void move_halfwords(uint32_t src, uint32_t dst, uint32_t count) {
    v60_move_string(src, count, dst, count, 2, 0, 0);
}

// ---- branch conditions ----

inline bool eq() { return cpu.z; }
inline bool ne() { return !cpu.z; }
inline bool carry() { return cpu.cy; }      // lower, unsigned
inline bool no_carry() { return !cpu.cy; }  // not lower, unsigned
inline bool higher() { return !(cpu.cy | cpu.z); }
inline bool not_higher() { return cpu.cy | cpu.z; }
inline bool negative() { return cpu.s; }
inline bool positive() { return !cpu.s; }
inline bool overflow() { return cpu.ov; }
inline bool no_overflow() { return !cpu.ov; }
inline bool less() { return cpu.s ^ cpu.ov; }
inline bool less_equal() { return (cpu.s ^ cpu.ov) | cpu.z; }
inline bool greater() { return !((cpu.s ^ cpu.ov) | cpu.z); }
inline bool greater_equal() { return !(cpu.s ^ cpu.ov); }

// ---- control transfer ----

// A guest call to a known routine: push the return address, run it, and tell
// whether the guest came back there. On false the caller returns at once.
//
// Call sites: every call and call_at names two literal guest addresses, the
// return address (the instruction after the call) and the call's own address,
// and makes the call inside the body of the routine that holds it, never from
// a helper. The call lies inside its routine's range (from its entry up to the
// next routine's entry), the return address after the call and inside that
// range too; so it is never a routine's entry (a branch into another routine is
// a tail call, not a call) nor one of the return labels that frames compare the
// PC with (0x000057, 0x060057, 0x06626C, 0x0662BB). A game test checks every
// site in the tree against the routine list.
inline bool call(v60_routine routine, uint32_t return_address, uint32_t from) {
    push(return_address);
    routine();
    return v60_returned_to(return_address, from);
}

// A computed call (the target read from memory or a register).
inline bool call_at(uint32_t target, uint32_t return_address, uint32_t from) {
    push(return_address);
    v60_call(target);
    return v60_returned_to(return_address, from);
}

// A transfer that pushed a return label of the routine's own: true when the
// guest came back to that label.
inline bool at_label(uint32_t label) { return cpu.pc == label; }

// Guest return: the caller checks where it went.
inline void ret() { cpu.pc = pop(); }

// Return from an interrupt: PC, then PSW (switching back from the interrupt stack).
inline void reti() {
    cpu.pc = pop();
    v60_write_psw(pop());
}

// PSW bit 18: interrupts are taken only where the idle loop polls for them.
inline void enable_interrupts() { v60_write_psw(v60_read_psw() | V60_PSW_IE); }
inline void disable_interrupts() { v60_write_psw(v60_read_psw() & ~V60_PSW_IE); }

}  // namespace guest
