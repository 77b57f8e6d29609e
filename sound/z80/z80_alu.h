// Flag rules of the Z80. Each flag lives in a source byte from which it is
// read on demand; F is composed only when a program or a caller needs it.
#pragma once

namespace orbs {

inline uint8_t z80_device::get_f() const {
    return uint8_t((flag_s & 0x80) | (flag_z == 0 ? 0x40 : 0) | (flag_xy & 0x28) | (flag_h & 0x10) |
                   (parity_even(flag_pv) ? 0x04 : 0) | (flag_n << 1) | flag_c);
}

inline void z80_device::set_f(uint8_t f) {
    flag_s = f;
    flag_z = (f & 0x40) ? 0 : 1;
    flag_xy = f;
    flag_h = f;
    flag_pv = (f & 0x04) ? 0 : 1;
    flag_n = (f >> 1) & 1;
    flag_c = f & 1;
}

inline void z80_device::add8(uint8_t v, unsigned carry) {
    unsigned a = A(), t = a + v + carry;
    flag_h = uint8_t((a & 0x0F) + (v & 0x0F) + carry);
    flag_pv = ((a ^ t) & (v ^ t) & 0x80) ? 0 : 1;
    flag_c = uint8_t(t >> 8);
    flag_n = 0;
    flag_s = flag_z = flag_xy = A() = uint8_t(t);
    q_latch = 0;
}

inline void z80_device::sub8(uint8_t v, unsigned carry) {
    unsigned a = A(), t = (a - v - carry) & 0xFFFF;
    flag_h = uint8_t((a & 0x0F) - (v & 0x0F) - carry);
    flag_pv = ((a ^ v) & (a ^ t) & 0x80) ? 0 : 1;
    flag_c = (t >> 8) & 1;
    flag_n = 1;
    flag_s = flag_z = flag_xy = A() = uint8_t(t);
    q_latch = 0;
}

inline void z80_device::add_a(uint8_t v) { add8(v, 0); }
inline void z80_device::adc_a(uint8_t v) { add8(v, flag_c); }
inline void z80_device::sub_a(uint8_t v) { sub8(v, 0); }
inline void z80_device::sbc_a(uint8_t v) { sub8(v, flag_c); }

inline void z80_device::cp(uint8_t v) {
    uint8_t a = A();
    sub8(v, 0);
    A() = a;
    // Bits 5 and 3 come from the operand, not from the difference.
    flag_xy = v;
}

inline void z80_device::and_a(uint8_t v) {
    szp(A() &= v);
    flag_h = 0x10;
    flag_n = flag_c = 0;
    q_latch = 0;
}

inline void z80_device::or_a(uint8_t v) {
    szp(A() |= v);
    flag_h = flag_n = flag_c = 0;
    q_latch = 0;
}

inline void z80_device::xor_a(uint8_t v) {
    szp(A() ^= v);
    flag_h = flag_n = flag_c = 0;
    q_latch = 0;
}

inline void z80_device::inc(uint8_t& reg) {
    uint8_t v = ++reg;
    flag_s = flag_z = flag_xy = v;
    flag_h = (v & 0x0F) == 0 ? 0x10 : 0;
    flag_pv = v == 0x80 ? 0 : 1;
    flag_n = 0;
    q_latch = 0;
}

inline void z80_device::dec(uint8_t& reg) {
    uint8_t v = --reg;
    flag_s = flag_z = flag_xy = v;
    flag_h = (v & 0x0F) == 0x0F ? 0x10 : 0;
    flag_pv = v == 0x7F ? 0 : 1;
    flag_n = 1;
    q_latch = 0;
}

inline void z80_device::neg() {
    uint8_t a = A(), v = uint8_t(0 - a);
    flag_s = flag_z = flag_xy = v;
    flag_h = uint8_t(0 - (a & 0x0F));
    flag_pv = a == 0x80 ? 0 : 1;
    flag_n = 1;
    flag_c = a != 0;
    A() = v;
    q_latch = 0;
}

inline void z80_device::daa() {
    uint8_t a = A();
    bool low = (flag_h & 0x10) || (a & 0x0F) > 9;
    uint8_t carry = (flag_c || a > 0x99) ? 1 : 0;
    uint8_t adjust = uint8_t((low ? 0x06 : 0) | (carry ? 0x60 : 0));
    uint8_t v = flag_n ? uint8_t(a - adjust) : uint8_t(a + adjust);
    szp(v);
    flag_h = a ^ v;
    flag_c = carry;
    A() = v;
    q_latch = 0;
}

inline void z80_device::rlca() {
    uint8_t a = A();
    flag_c = a >> 7;
    flag_xy = A() = uint8_t((a << 1) | (a >> 7));
    flag_h = flag_n = 0;
    q_latch = 0;
}

inline void z80_device::rrca() {
    uint8_t a = A();
    flag_c = a & 1;
    flag_xy = A() = uint8_t((a >> 1) | (a << 7));
    flag_h = flag_n = 0;
    q_latch = 0;
}

inline void z80_device::rla() {
    uint8_t a = A();
    flag_xy = A() = uint8_t((a << 1) | flag_c);
    flag_c = a >> 7;
    flag_h = flag_n = 0;
    q_latch = 0;
}

inline void z80_device::rra() {
    uint8_t a = A();
    flag_xy = A() = uint8_t((a >> 1) | (flag_c << 7));
    flag_c = a & 1;
    flag_h = flag_n = 0;
    q_latch = 0;
}

#define ORBS_Z80_SHIFT(name, result, carry)      \
    inline uint8_t z80_device::name(uint8_t v) { \
        uint8_t res_ = uint8_t(result);          \
        flag_c = uint8_t(carry);                 \
        szp(res_);                               \
        flag_h = flag_n = 0;                     \
        q_latch = 0;                             \
        return res_;                             \
    }
ORBS_Z80_SHIFT(rlc, (v << 1) | (v >> 7), v >> 7)
ORBS_Z80_SHIFT(rrc, (v >> 1) | (v << 7), v & 1)
ORBS_Z80_SHIFT(rl, (v << 1) | flag_c, v >> 7)
ORBS_Z80_SHIFT(rr, (v >> 1) | (flag_c << 7), v & 1)
ORBS_Z80_SHIFT(sla, v << 1, v >> 7)
ORBS_Z80_SHIFT(sra, (v >> 1) | (v & 0x80), v & 1)
ORBS_Z80_SHIFT(sll, (v << 1) | 1, v >> 7)
ORBS_Z80_SHIFT(srl, v >> 1, v & 1)
#undef ORBS_Z80_SHIFT

inline void z80_device::bit(int n, uint8_t v) {
    flag_s = flag_z = flag_pv = uint8_t(v & (1u << n));
    flag_xy = v;
    flag_h = 0x10;
    flag_n = 0;
    q_latch = 0;
}

// BIT n,(HL) shows bits 5 and 3 of the hidden WZ register.
inline void z80_device::bit_hl(int n, uint8_t v) {
    bit(n, v);
    flag_xy = hi(wz);
}

// BIT n,(IX+d) shows bits 5 and 3 of the indexed address's high byte.
inline void z80_device::bit_xy(int n, uint8_t v) {
    bit(n, v);
    flag_xy = hi(ea);
}

// ADD HL,ss and ADD IX/IY,ss: S, Z and P/V are kept.
inline void z80_device::add16(uint16_t& d, uint16_t v) {
    unsigned t = unsigned(d) + v;
    flag_xy = uint8_t(t >> 8);
    flag_h = uint8_t((d ^ v ^ t) >> 8);
    flag_n = 0;
    flag_c = uint8_t(t >> 16);
    d = uint16_t(t);
    q_latch = 0;
}

}  // namespace orbs
