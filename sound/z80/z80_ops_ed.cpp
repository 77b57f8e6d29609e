// ED-prefixed instructions: 16-bit arithmetic with carry, I/O through port BC,
// the direct-address 16-bit loads, NEG, RETN, IM, the I and R loads, RRD and
// RLD, and the block instructions. Undefined ED opcodes cost their two fetches
// and do nothing else.
#include "sound/z80/z80_ops_shared.h"

namespace orbs {

namespace {
// F bits 5 and 3 of LDI and CPI: bit 1 and bit 3 of t.
constexpr uint8_t block_xy(unsigned t) { return uint8_t((t & 0x08) | ((t & 0x02) << 4)); }
}  // namespace

void z80_device::block_io_interrupted_flags() {
    flag_xy = hi(pc);
    unsigned b = B(), s;
    if (flag_c) {
        flag_h = 0;
        if (tmp_lo() & 0x80) {
            s = (b - 1) & 7;
            if ((b & 0x0F) == 0) flag_h = 0x10;
        } else {
            s = (b + 1) & 7;
            if ((b & 0x0F) == 0x0F) flag_h = 0x10;
        }
    } else {
        s = b & 7;
    }
    bool pv = parity_even(flag_pv) ^ !parity_even(uint8_t(s));
    flag_pv = pv ? 0 : 4;
}

template <unsigned OP>
bool z80_device::op_ed(unsigned step) {
    constexpr unsigned y = (OP >> 3) & 7, z = OP & 7, p = y >> 1, q = y & 1;
    if constexpr (OP >= 0x40 && OP <= 0x7F) {
        if constexpr (z == 0) {  // IN r,(C) and IN (C)
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_io(bc);
            Z_IO(2)
            if constexpr (y != 6) reg8<y>() = tmp_lo();
            szp(tmp_lo());
            flag_h = flag_n = 0;
            q_latch = 0;
            // Taken after the store: IN B,(C) and IN C,(C) see the new byte.
            wz = uint16_t(bc + 1);
            Z_END
        } else if constexpr (z == 1) {  // OUT (C),r and OUT (C),0
            Z_BEGIN
            if constexpr (y == 6)
                tmp_lo() = 0;
            else
                tmp_lo() = reg8<y>();
            Z_BEFORE(1)
            wr_io(bc, tmp_lo());
            Z_IO(2)
            wz = uint16_t(bc + 1);
            Z_END
        } else if constexpr (z == 2) {  // SBC HL,rr and ADC HL,rr
            Z_BEGIN
            Z_INT(1) Z_INT(2) Z_INT(3) Z_INT(4) Z_INT(5) Z_INT(6) Z_INT(7) {
                wz = uint16_t(hl + 1);
                unsigned h = hl, v = reg16<p>(), c = flag_c, t;
                bool overflow;
                if constexpr (q == 0) {
                    t = (h - v - c) & 0x1FFFF;
                    overflow = ((h ^ v) & (h ^ t) & 0x8000) != 0;
                    flag_n = 1;
                } else {
                    t = h + v + c;
                    overflow = ((h ^ t) & (v ^ t) & 0x8000) != 0;
                    flag_n = 0;
                }
                flag_s = flag_xy = uint8_t(t >> 8);
                flag_z = uint8_t((t >> 8) | (t & 0xFF));
                flag_h = uint8_t((h ^ v ^ t) >> 8);
                flag_pv = overflow ? 0 : 1;
                flag_c = (t >> 16) & 1;
                hl = uint16_t(t);
                q_latch = 0;
            }
            Z_END
        } else if constexpr (z == 3 && q == 0) {  // LD (nn),rr
            return store_pair_direct<p, 0>(step);
        } else if constexpr (z == 3) {  // LD rr,(nn)
            return load_pair_direct<p, 0>(step);
        } else if constexpr (z == 4) {
            Z_BEGIN
            neg();
            Z_END
        } else if constexpr (z == 5) {  // RETN; RETI behaves the same
            Z_BEGIN
            Z_POP_TMP(2)
            pc = wz = tmp;
            iff1 = iff2;
            Z_END
        } else if constexpr (z == 6) {
            Z_BEGIN
            im = (y & 3) == 2 ? 1 : (y & 3) == 3 ? 2 : 0;
            Z_END
        } else if constexpr (y <= 3) {  // LD I,A / LD R,A / LD A,I / LD A,R
            Z_BEGIN
            Z_INT(1)
            if constexpr (y == 0) {
                i = A();
            } else if constexpr (y == 1) {
                r = A();
                r2 = A() & 0x80;
            } else {
                if constexpr (y == 2)
                    A() = i;
                else
                    A() = uint8_t((r & 0x7F) | r2);
                flag_s = flag_z = flag_xy = A();
                flag_h = flag_n = 0;
                flag_pv = iff2 ? 0 : 1;
                q_latch = 0;
            }
            Z_END
        } else if constexpr (y == 4 || y == 5) {  // RRD, RLD
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(hl);
            Z_MEM(2)
            wz = uint16_t(hl + 1);
            Z_INT(3) Z_INT(4) Z_INT(5) Z_INT(6) tmp_hi() = tmp_lo();
            if constexpr (y == 4)
                tmp_lo() = uint8_t((A() << 4) | (tmp_hi() >> 4));
            else
                tmp_lo() = uint8_t((tmp_hi() << 4) | (A() & 0x0F));
            Z_BEFORE(7)
            wr_mem(hl, tmp_lo());
            Z_MEM(8)
            if constexpr (y == 4)
                A() = uint8_t((A() & 0xF0) | (tmp_hi() & 0x0F));
            else
                A() = uint8_t((A() & 0xF0) | (tmp_hi() >> 4));
            szp(A());
            flag_h = flag_n = 0;
            q_latch = 0;
            Z_END
        } else {
            Z_BEGIN
            Z_END
        }
    } else if constexpr (OP >= 0xA0 && OP <= 0xBB && (OP & 4) == 0) {
        constexpr unsigned kind = OP & 3;
        constexpr bool decrement = OP & 8, repeat = OP & 0x10;
        constexpr uint16_t delta = decrement ? 0xFFFF : 1;
        if constexpr (kind == 0) {  // LDI, LDD, LDIR, LDDR
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(hl);
            Z_MEM(2)
            Z_BEFORE(3)
            wr_mem(de, tmp_lo());
            Z_MEM(4)
            Z_INT(5) Z_INT(6) hl += delta;
            de += delta;
            bc--;
            flag_h = flag_n = 0;
            flag_pv = bc ? 0 : 1;
            flag_xy = block_xy(A() + tmp_lo());
            q_latch = 0;
            if (repeat && bc) {
                Z_INT(7) Z_INT(8) Z_INT(9) Z_INT(10) Z_INT(11) pc -= 2;
                wz = uint16_t(pc + 1);
                flag_xy = hi(pc);
            }
            Z_END
        } else if constexpr (kind == 1) {  // CPI, CPD, CPIR, CPDR
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(hl);
            Z_MEM(2)
            Z_INT(3) Z_INT(4) Z_INT(5) Z_INT(6) Z_INT(7) wz += delta;
            hl += delta;
            bc--;
            {
                uint8_t d = uint8_t(A() - tmp_lo());
                flag_s = flag_z = d;
                flag_h = uint8_t((A() & 0x0F) - (tmp_lo() & 0x0F));
                flag_n = 1;
                flag_pv = bc ? 0 : 1;
                flag_xy = block_xy(uint8_t(d - ((flag_h >> 4) & 1)));
                q_latch = 0;
            }
            if (repeat && bc && flag_z) {
                Z_INT(8) Z_INT(9) Z_INT(10) Z_INT(11) Z_INT(12) pc -= 2;
                wz = uint16_t(pc + 1);
                flag_xy = hi(pc);
            }
            Z_END
        } else {  // INI, IND, INIR, INDR and OUTI, OUTD, OTIR, OTDR
            Z_BEGIN
            Z_INT(1)
            // The two kinds differ only in the direction of their accesses;
            // both resume at steps 3 and 5.
            Z_BEFORE(2)
            if (kind == 2)
                tmp_lo() = rd_io(bc);
            else
                tmp_lo() = rd_mem(hl);
            cycle_budget -= kind == 2 ? cycles_io : cycles_memory;
            Z_STOP(3)
            // INI steps WZ from BC before the decrement, OUTI after it.
            if (kind == 2) wz = uint16_t(bc + delta);
            B()--;
            if (kind != 2) wz = uint16_t(bc + delta);
            Z_BEFORE(4)
            if (kind == 2)
                wr_mem(hl, tmp_lo());
            else
                wr_io(bc, tmp_lo());
            cycle_budget -= kind == 2 ? cycles_memory : cycles_io;
            Z_STOP(5)
            hl += delta;
            {
                unsigned k = tmp_lo();
                if constexpr (kind == 2)
                    k += uint8_t(C() + delta);
                else
                    k += L();
                szp(B());
                flag_h = k > 0xFF ? 0x10 : 0;
                flag_c = k > 0xFF;
                flag_pv = uint8_t((k & 7) ^ B());
                flag_n = tmp_lo() >> 7;
                q_latch = 0;
            }
            if (repeat && B()) {
                Z_INT(6) Z_INT(7) Z_INT(8) Z_INT(9) Z_INT(10) pc -= 2;
                block_io_interrupted_flags();
            }
            Z_END
        }
    } else {
        Z_BEGIN
        Z_END
    }
}

#define Z_ED_CASE(n) \
    case (n): return op_ed<(n)>(step);
bool z80_device::exec_ed(unsigned op, unsigned step) {
    switch (op) { Z_CASES_256(Z_ED_CASE) }
    return bad_step();
}

}  // namespace orbs
