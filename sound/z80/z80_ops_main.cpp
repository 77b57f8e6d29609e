// Unprefixed instructions, and their IX and IY forms after DD and FD.
#include "sound/z80/z80_ops_shared.h"

namespace orbs {

namespace {

// Opcodes that a DD or FD prefix turns into an index form (CB included);
// every other byte runs as the unprefixed instruction.
constexpr bool xy_affected(unsigned op) {
    unsigned x = op >> 6, y = (op >> 3) & 7, z = op & 7;
    if (op == 0x76) return false;
    if (x == 1) return y == 4 || y == 5 || y == 6 || z == 4 || z == 5 || z == 6;
    if (x == 2) return z == 4 || z == 5 || z == 6;
    if (x == 0) {
        if (z == 1 && (op & 8)) return true;  // ADD HL,rr
        // 21-2E name HL, H or L, except DAA and JR Z.
        return (op >= 0x21 && op <= 0x2E && op != 0x27 && op != 0x28) || op == 0x34 || op == 0x35 ||
               op == 0x36;
    }
    return op == 0xE1 || op == 0xE3 || op == 0xE5 || op == 0xE9 || op == 0xF9 || op == 0xCB;
}

constexpr int count_affected() {
    int n = 0;
    for (unsigned op = 0; op < 256; ++op) n += xy_affected(op);
    return n;
}
// 84 index forms plus LD IXh,IXh and LD IXl,IXl, which do nothing.
static_assert(count_affected() == 86);

}  // namespace

bool z80_device::redispatch_main(unsigned op, unsigned step) {
    if (step) return bad_step();
    exec_state = op << 8;
    return exec_main(op, 0);
}

template <unsigned OP, int X>
bool z80_device::op_main(unsigned step) {
    constexpr unsigned x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7, p = y >> 1, q = y & 1;
    if constexpr (X != 0 && !xy_affected(OP)) {
        return redispatch_main(OP, step);
    } else if constexpr (x == 1) {
        if constexpr (OP == 0x76) {
            Z_BEGIN
            halt();
            Z_END
        } else if constexpr (z == 6 && X == 0) {  // LD r,(HL)
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(hl);
            Z_MEM(2)
            reg8<y>() = tmp_lo();
            Z_END
        } else if constexpr (z == 6) {  // LD r,(IX+d)
            Z_BEGIN
            Z_INDEXED_ADDRESS()
            Z_BEFORE(8)
            tmp_lo() = rd_mem(ea);
            Z_MEM(9)
            reg8<y>() = tmp_lo();
            Z_END
        } else if constexpr (y == 6 && X == 0) {  // LD (HL),r
            Z_BEGIN
            Z_BEFORE(1)
            wr_mem(hl, reg8<z>());
            Z_MEM_LAST();
            Z_END
        } else if constexpr (y == 6) {  // LD (IX+d),r
            Z_BEGIN
            Z_INDEXED_ADDRESS()
            Z_BEFORE(8)
            wr_mem(ea, reg8<z>());
            Z_MEM_LAST();
            Z_END
        } else {  // LD r,r'
            Z_BEGIN
            reg8<y, X>() = reg8<z, X>();
            Z_END
        }
    } else if constexpr (x == 2) {
        if constexpr (z == 6 && X == 0) {
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(hl);
            Z_MEM(2)
            alu<y>(tmp_lo());
            Z_END
        } else if constexpr (z == 6) {
            Z_BEGIN
            Z_INDEXED_ADDRESS()
            Z_BEFORE(8)
            tmp_lo() = rd_mem(ea);
            Z_MEM(9)
            alu<y>(tmp_lo());
            Z_END
        } else {
            Z_BEGIN
            alu<y>(reg8<z, X>());
            Z_END
        }
    } else if constexpr (x == 0) {
        if constexpr (OP == 0x00) {
            Z_BEGIN
            Z_END
        } else if constexpr (OP == 0x08) {  // EX AF,AF'
            Z_BEGIN
            lo(af) = get_f();
            std::swap(af, af2);
            set_f(lo(af));
            Z_END
        } else if constexpr (OP == 0x10) {  // DJNZ e
            Z_BEGIN
            Z_INT(1)
            if (--B()) {
                Z_RELATIVE_JUMP(3)
            } else {
                Z_SKIP_ARG(10)
            }
            Z_END
        } else if constexpr (z == 0) {  // JR e, JR cc,e
            Z_BEGIN
            if (OP == 0x18 || cond<int(y) - 4>()) {
                Z_RELATIVE_JUMP(2)
            } else {
                Z_SKIP_ARG(9)
            }
            Z_END
        } else if constexpr (z == 1 && q == 0) {  // LD rr,nn
            Z_BEGIN
            Z_READ_NN(2)
            reg16<p, X>() = tmp;
            Z_END
        } else if constexpr (z == 1) {  // ADD HL,rr
            Z_BEGIN
            Z_INT(1) Z_INT(2) Z_INT(3) Z_INT(4) Z_INT(5) Z_INT(6) Z_INT(7) wz = uint16_t(idx<X>() + 1);
            add16(idx<X>(), reg16<p, X>());
            Z_END
        } else if constexpr (OP == 0x02 || OP == 0x12) {  // LD (BC),A / LD (DE),A
            Z_BEGIN
            Z_BEFORE(1)
            wr_mem(reg16<p>(), A());
            Z_MEM(2)
            wz = uint16_t(((reg16<p>() + 1) & 0xFF) | (A() << 8));
            Z_END
        } else if constexpr (OP == 0x0A || OP == 0x1A) {  // LD A,(BC) / LD A,(DE)
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(reg16<p>());
            Z_MEM(2)
            A() = tmp_lo();
            wz = uint16_t(reg16<p>() + 1);
            Z_END
        } else if constexpr (OP == 0x22) {  // LD (nn),HL
            return store_pair_direct<2, X>(step);
        } else if constexpr (OP == 0x2A) {  // LD HL,(nn)
            return load_pair_direct<2, X>(step);
        } else if constexpr (OP == 0x32) {  // LD (nn),A
            Z_BEGIN
            Z_READ_NN_TO_EA()
            Z_BEFORE(5)
            wr_mem(ea, A());
            Z_MEM(6)
            wz = uint16_t(((ea + 1) & 0xFF) | (A() << 8));
            Z_END
        } else if constexpr (OP == 0x3A) {  // LD A,(nn)
            Z_BEGIN
            Z_READ_NN_TO_EA()
            Z_BEFORE(5)
            tmp_lo() = rd_mem(ea);
            Z_MEM(6)
            A() = tmp_lo();
            wz = uint16_t(ea + 1);
            Z_END
        } else if constexpr (z == 3) {  // INC rr, DEC rr
            Z_BEGIN
            Z_INT(1) Z_INT(2) if constexpr (q == 0) reg16<p, X>()++;
            else reg16<p, X>()--;
            Z_END
        } else if constexpr ((z == 4 || z == 5) && y == 6 && X == 0) {  // INC (HL), DEC (HL)
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_mem(hl);
            Z_MEM(2)
            Z_INT(3)
            inc_dec<z>(tmp_lo());
            Z_BEFORE(4)
            wr_mem(hl, tmp_lo());
            Z_MEM_LAST();
            Z_END
        } else if constexpr ((z == 4 || z == 5) && y == 6) {  // INC (IX+d), DEC (IX+d)
            Z_BEGIN
            Z_INDEXED_ADDRESS()
            Z_BEFORE(8)
            tmp_lo() = rd_mem(ea);
            Z_MEM(9)
            Z_INT(10)
            inc_dec<z>(tmp_lo());
            Z_BEFORE(11)
            wr_mem(ea, tmp_lo());
            Z_MEM_LAST();
            Z_END
        } else if constexpr (z == 4 || z == 5) {  // INC r, DEC r
            Z_BEGIN
            inc_dec<z>(reg8<y, X>());
            Z_END
        } else if constexpr (z == 6 && y == 6 && X == 0) {  // LD (HL),n
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_arg();
            Z_MEM(2)
            pc++;
            Z_BEFORE(3)
            wr_mem(hl, tmp_lo());
            Z_MEM_LAST();
            Z_END
        } else if constexpr (z == 6 && y == 6) {  // LD (IX+d),n
            Z_BEGIN
            Z_DISPLACEMENT()
            Z_BEFORE(3)
            tmp_lo() = rd_arg();
            Z_MEM(4)
            pc++;
            Z_INT(5) Z_INT(6) Z_BEFORE(7) wr_mem(ea, tmp_lo());
            Z_MEM_LAST();
            Z_END
        } else if constexpr (z == 6) {  // LD r,n
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_arg();
            Z_MEM(2)
            pc++;
            reg8<y, X>() = tmp_lo();
            Z_END
        } else {
            Z_BEGIN
            if constexpr (y == 0)
                rlca();
            else if constexpr (y == 1)
                rrca();
            else if constexpr (y == 2)
                rla();
            else if constexpr (y == 3)
                rra();
            else if constexpr (y == 4)
                daa();
            else if constexpr (y == 5) {
                // CPL leaves the Q latch alone.
                flag_xy = A() = uint8_t(~A());
                flag_h = 0x10;
                flag_n = 1;
            } else {
                // SCF and CCF: bits 5 and 3 come from A alone when the
                // previous instruction wrote F, else from F OR A.
                flag_xy = uint8_t((flag_xy & q_latch_prev) | A());
                if constexpr (y == 6) {
                    flag_h = 0;
                    flag_c = 1;
                } else {
                    flag_h = uint8_t(flag_c << 4);
                    flag_c ^= 1;
                }
                flag_n = 0;
                q_latch = 0;
            }
            Z_END
        }
    } else {                     // x == 3
        if constexpr (z == 0) {  // RET cc
            Z_BEGIN
            Z_INT(1)
            if (cond<y>()) {
                Z_POP_TMP(3)
                pc = wz = tmp;
            }
            Z_END
        } else if constexpr (z == 1 && q == 0) {  // POP
            Z_BEGIN
            Z_POP_TMP(2)
            if constexpr (p == 3) {
                A() = tmp_hi();
                set_f(tmp_lo());
            } else {
                reg16<p, X>() = tmp;
            }
            Z_END
        } else if constexpr (OP == 0xC9) {  // RET
            Z_BEGIN
            Z_POP_TMP(2)
            pc = wz = tmp;
            Z_END
        } else if constexpr (OP == 0xD9) {
            Z_BEGIN
            exx();
            Z_END
        } else if constexpr (OP == 0xE9) {  // JP (HL): WZ unchanged
            Z_BEGIN
            pc = idx<X>();
            Z_END
        } else if constexpr (OP == 0xF9) {  // LD SP,HL
            Z_BEGIN
            Z_INT(1) Z_INT(2) sp = idx<X>();
            Z_END
        } else if constexpr (z == 2 || OP == 0xC3) {  // JP cc,nn and JP nn
            Z_BEGIN
            if (OP == 0xC3 || cond<y>()) {
                Z_READ_NN(2)
                pc = wz = tmp;
            } else {
                Z_READ_NN(6)
                wz = tmp;
            }
            Z_END
        } else if constexpr (OP == 0xCB && X == 0) {
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_opcode();
            Z_FETCH(2)
            pc++;
            r++;
            q_shift();
            exec_state = 0xCB0000u | (unsigned(tmp_lo()) << 8);
            return exec_cb(tmp_lo(), 0);
            Z_END
        } else if constexpr (OP == 0xCB) {  // DD CB d op
            Z_BEGIN
            Z_DISPLACEMENT()
            Z_BEFORE(3)
            tmp_lo() = rd_arg();
            Z_MEM(4)
            pc++;
            Z_INT(5) Z_INT(6) exec_state = 0xFE0000u | (unsigned(tmp_lo()) << 8);
            return exec_xycb(tmp_lo(), 0);
            Z_END
        } else if constexpr (OP == 0xD3) {  // OUT (n),A
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_arg();
            Z_MEM(2)
            pc++;
            port = uint16_t((A() << 8) | tmp_lo());
            Z_BEFORE(3)
            wr_io(port, A());
            Z_IO(4)
            wz = uint16_t(((port + 1) & 0xFF) | (A() << 8));
            Z_END
        } else if constexpr (OP == 0xDB) {  // IN A,(n)
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_arg();
            Z_MEM(2)
            pc++;
            port = uint16_t((A() << 8) | tmp_lo());
            Z_BEFORE(3)
            tmp_lo() = rd_io(port);
            Z_IO(4)
            A() = tmp_lo();
            wz = uint16_t(port + 1);
            Z_END
        } else if constexpr (OP == 0xE3) {  // EX (SP),HL
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_stack(sp);
            Z_MEM(2)
            Z_BEFORE(3)
            tmp_hi() = rd_stack(uint16_t(sp + 1));
            Z_MEM(4)
            Z_INT(5)
            Z_BEFORE(6)
            wr_stack(uint16_t(sp + 1), idx_h<X>());
            Z_MEM(7)
            Z_BEFORE(8)
            wr_stack(sp, idx_l<X>());
            Z_MEM(9)
            idx<X>() = tmp;
            Z_INT(10) Z_INT(11) wz = idx<X>();
            Z_END
        } else if constexpr (OP == 0xEB) {
            Z_BEGIN
            std::swap(de, hl);
            Z_END
        } else if constexpr (OP == 0xF3) {
            Z_BEGIN
            iff1 = iff2 = 0;
            Z_END
        } else if constexpr (OP == 0xFB) {
            Z_BEGIN
            ei();
            Z_END
        } else if constexpr (z == 4 || OP == 0xCD) {  // CALL cc,nn and CALL nn
            Z_BEGIN
            if (OP == 0xCD || cond<y>()) {
                Z_READ_NN(2)
                ea = tmp;
                Z_INT(5)
                wz = ea;
                sp--;
                Z_BEFORE(6)
                wr_stack(sp, hi(pc));
                Z_MEM(7)
                sp--;
                Z_BEFORE(8)
                wr_stack(sp, lo(pc));
                Z_MEM(9)
                pc = ea;
            } else {
                Z_READ_NN(11)
                wz = tmp;
            }
            Z_END
        } else if constexpr (z == 5 && q == 0) {  // PUSH
            Z_BEGIN
            Z_INT(1)
            sp--;
            Z_BEFORE(2)
            wr_stack(sp, p == 3 ? A() : hi(reg16<p, X>()));
            Z_MEM(3)
            sp--;
            Z_BEFORE(4)
            wr_stack(sp, p == 3 ? get_f() : lo(reg16<p, X>()));
            Z_MEM_LAST();
            Z_END
        } else if constexpr (OP == 0xDD || OP == 0xED || OP == 0xFD) {  // prefixes
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_opcode();
            Z_FETCH(2)
            pc++;
            r++;
            q_shift();
            exec_state = (OP << 16) | (unsigned(tmp_lo()) << 8);
            if constexpr (OP == 0xDD)
                return exec_dd(tmp_lo(), 0);
            else if constexpr (OP == 0xFD)
                return exec_fd(tmp_lo(), 0);
            else
                return exec_ed(tmp_lo(), 0);
            Z_END
        } else if constexpr (z == 6) {  // ALU A,n
            Z_BEGIN
            Z_BEFORE(1)
            tmp_lo() = rd_arg();
            Z_MEM(2)
            pc++;
            alu<y>(tmp_lo());
            Z_END
        } else {  // RST p
            static_assert(z == 7);
            Z_BEGIN
            Z_INT(1)
            sp--;
            Z_BEFORE(2)
            wr_stack(sp, hi(pc));
            Z_MEM(3)
            sp--;
            Z_BEFORE(4)
            wr_stack(sp, lo(pc));
            Z_MEM(5)
            pc = wz = OP & 0x38;
            Z_END
        }
    }
}

void z80_device::exx() {
    std::swap(bc, bc2);
    std::swap(de, de2);
    std::swap(hl, hl2);
}

#define Z_MAIN_CASE(n) \
    case (n): return op_main<(n), X>(step);
template <int X>
bool z80_device::exec_index_group(unsigned op, unsigned step) {
    switch (op) { Z_CASES_256(Z_MAIN_CASE) }
    return bad_step();
}

bool z80_device::exec_main(unsigned op, unsigned step) { return exec_index_group<0>(op, step); }
bool z80_device::exec_dd(unsigned op, unsigned step) { return exec_index_group<1>(op, step); }
bool z80_device::exec_fd(unsigned op, unsigned step) { return exec_index_group<2>(op, step); }

}  // namespace orbs
