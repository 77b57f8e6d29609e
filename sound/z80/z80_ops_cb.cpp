// CB-prefixed instructions, and the indexed bit operations DD CB d op and
// FD CB d op, which work on the address latched in ea.
#include "sound/z80/z80_ops_shared.h"

namespace orbs {

template <unsigned OP>
bool z80_device::op_cb(unsigned step) {
    constexpr unsigned x = OP >> 6, y = (OP >> 3) & 7, z = OP & 7;
    if constexpr (z != 6) {
        Z_BEGIN
        if constexpr (x == 0)
            reg8<z>() = shift<y>(reg8<z>());
        else if constexpr (x == 1)
            bit(y, reg8<z>());
        else if constexpr (x == 2)
            reg8<z>() = res(y, reg8<z>());
        else
            reg8<z>() = set(y, reg8<z>());
        Z_END
    } else {
        return bit_op_memory<OP, false>(step);
    }
}

template <unsigned OP>
bool z80_device::op_xycb(unsigned step) {
    constexpr unsigned x = OP >> 6, z = OP & 7;
    if constexpr (x == 1 && z != 6) {
        // Every BIT row runs as its (IX+d) form.
        exec_state = (exec_state & 0xFF00FFu) | (((OP & ~7u) | 6) << 8);
        return op_xycb<(OP & ~7u) | 6>(step);
    } else {
        return bit_op_memory<OP, true>(step);
    }
}

#define Z_CB_CASE(n) \
    case (n): return op_cb<(n)>(step);
bool z80_device::exec_cb(unsigned op, unsigned step) {
    switch (op) { Z_CASES_256(Z_CB_CASE) }
    return bad_step();
}

#define Z_XYCB_CASE(n) \
    case (n): return op_xycb<(n)>(step);
bool z80_device::exec_xycb(unsigned op, unsigned step) {
    switch (op) { Z_CASES_256(Z_XYCB_CASE) }
    return bad_step();
}

}  // namespace orbs
