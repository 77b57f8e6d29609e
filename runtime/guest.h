// Helpers for translated routines only. A translated routine carries out its
// guest instructions one by one on `cpu` and the bus; these keep each
// instruction to one readable line.
#pragma once
#include <cstdint>
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
inline void cmp(uint32_t a, uint32_t b) { sub<T>(a, b); }
template <typename T>
inline T inc(uint32_t a) { return add<T>(a, 1); }
template <typename T>
inline T dec(uint32_t a) { return sub<T>(a, 1); }
template <typename T>
inline T neg(uint32_t a) { return sub<T>(0, a); }

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

// Shifts by a signed count: positive shifts left, negative right. CY is the
// last bit shifted out (0 for a count of 0); OV is 0.
template <typename T>
inline T shl(uint32_t a, int count) {  // logical
    constexpr int bits = sizeof(T) * 8;
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
inline T sha(uint32_t a, int count) {  // arithmetic
    using S = std::make_signed_t<T>;
    constexpr int bits = sizeof(T) * 8;
    if (count >= 0) return shl<T>(a, count);
    const S x = static_cast<S>(static_cast<T>(a));
    const int n = -count < bits ? -count : bits;
    const uint8_t cy = (x >> (n - 1)) & 1;
    const T r = static_cast<T>(n < bits ? x >> n : x >> (bits - 1));
    set_zs(r);
    cpu.ov = 0;
    cpu.cy = cy;
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

// ---- block moves ----

// MOVCUH with equal lengths: count halfwords upward; R27 and R28 are left at
// the ends of the destination and the source. Changes no flag.
inline void move_halfwords(uint32_t src, uint32_t dst, uint32_t count) {
    v60_move_string(src, count, dst, count, 2, 0, 0);
}

// ---- branch conditions ----

inline bool eq() { return cpu.z; }
inline bool ne() { return !cpu.z; }
inline bool carry() { return cpu.cy; }          // lower, unsigned
inline bool no_carry() { return !cpu.cy; }      // not lower, unsigned
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
