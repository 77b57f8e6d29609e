// Instruction bodies shared by more than one group.
#pragma once

#include "sound/z80/z80.h"
#include "sound/z80/z80_steps.h"

namespace orbs {

// LD (nn),rr: also the 20-cycle ED forms and LD (nn),IX / IY.
template <int P, int X>
bool z80_device::store_pair_direct(unsigned step) {
    Z_BEGIN
    Z_READ_NN_TO_EA()
    tmp = reg16<P, X>();
    Z_BEFORE(5)
    wr_mem(ea, tmp_lo());
    Z_MEM(6)
    Z_BEFORE(7)
    wr_mem(uint16_t(ea + 1), tmp_hi());
    Z_MEM(8)
    wz = uint16_t(ea + 1);
    Z_END
}

// LD rr,(nn): also the ED forms and LD IX / IY,(nn).
template <int P, int X>
bool z80_device::load_pair_direct(unsigned step) {
    Z_BEGIN
    Z_READ_NN_TO_EA()
    Z_BEFORE(5)
    tmp_lo() = rd_mem(ea);
    Z_MEM(6)
    Z_BEFORE(7)
    tmp_hi() = rd_mem(uint16_t(ea + 1));
    Z_MEM(8)
    reg16<P, X>() = tmp;
    wz = uint16_t(ea + 1);
    Z_END
}

// Rotate, shift, BIT, RES or SET on a byte in memory: (HL) in the CB group,
// (IX+d) and (IY+d) through ea in group 0xFE.
template <unsigned OP, bool INDEXED>
bool z80_device::bit_op_memory(unsigned step) {
    constexpr unsigned x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7;
    Z_BEGIN
    Z_BEFORE(1)
    tmp_lo() = rd_mem(INDEXED ? ea : hl);
    Z_MEM(2)
    Z_INT(3)
    if constexpr (x == 1) {
        if constexpr (INDEXED)
            bit_xy(y, tmp_lo());
        else
            bit_hl(y, tmp_lo());
    } else {
        if constexpr (x == 0)
            tmp_lo() = shift<y>(tmp_lo());
        else if constexpr (x == 2)
            tmp_lo() = res(y, tmp_lo());
        else
            tmp_lo() = set(y, tmp_lo());
        // The undocumented indexed forms also copy the result into a
        // register (H and L, never the index halves).
        if constexpr (INDEXED && z != 6) reg8<z>() = tmp_lo();
    }
    // BIT writes nothing back (its label is out of any step's reach).
    if (x != 1) {
        Z_BEFORE(x == 1 ? 0x100 : 4)
        wr_mem(INDEXED ? ea : hl, tmp_lo());
        Z_MEM_LAST();
    }
    Z_END
}

}  // namespace orbs
