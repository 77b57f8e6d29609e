// Between two instructions: bus request, NMI, maskable interrupts in modes 0,
// 1 and 2, the HALT idle loop, the instruction hook and the opcode fetch. Like
// an instruction, the boundary can stop at any access and resume there.
#include "sound/z80/z80.h"

namespace orbs {

namespace {
constexpr uint32_t boundary_step(unsigned step) { return 0xFFFF00u | step; }
}  // namespace

// Charges c cycles and, when that spends the budget, stores group-0xFF step n
// and leaves the boundary; n is also where the resumed call continues.
#define B_CHARGE(c, n)                 \
    cycle_budget -= (c);               \
    if (cycle_budget <= 0) {           \
        exec_state = boundary_step(n); \
        return false;                  \
    }                                  \
    [[fallthrough]];                   \
    case n:

#define B_PUSH(byte, n)   \
    sp--;                 \
    wr_stack(sp, (byte)); \
    B_CHARGE(cycles_memory, n)

void z80_device::run_from_boundary(unsigned entry) {
    switch (entry) {
    case 0x00: break;
    case 0x25: goto fetch_second_half;
    case 0x26: goto fetch_done;
    default:
        if (!boundary_events(entry)) return;
        goto fetch;
    }
    for (;;) {
        if (cycle_budget <= 0) {
            exec_state = BETWEEN_INSTRUCTIONS;
            return;
        }
        if (pending_events && !boundary_events(0)) return;
    fetch:
        instruction_pc = pc;
        if (instruction_hook) instruction_hook(pc);
        tmp_lo() = rd_opcode();
        cycle_budget -= cycles_opcode - 2;
        if (cycle_budget <= 0) {
            exec_state = boundary_step(0x25);
            return;
        }
    fetch_second_half:
        cycle_budget -= 2;
        if (cycle_budget <= 0) {
            exec_state = boundary_step(0x26);
            return;
        }
    fetch_done:
        pc++;
        r++;
        q_shift();
        exec_state = unsigned(tmp_lo()) << 8;
        if (!exec_main(tmp_lo(), 0)) return;
    }
}

// The slow path of the boundary. Returns true to go on to the hook and the
// fetch, false when execute_run must return.
bool z80_device::boundary_events(unsigned step) {
    switch (step) {
    case 0x00: break;
    case 0x01:
    case 0x03:
    case 0x05:
        if (!accept_nmi(step)) return false;
        goto after_acceptance;
    case 0x06:
    case 0x07:
    case 0x09:
    case 0x0B:
    case 0x0D:
    case 0x0F:
    case 0x10:
    case 0x12:
    case 0x14:
    case 0x15:
    case 0x17:
    case 0x19:
    case 0x1A:
    case 0x1B:
    case 0x1D:
    case 0x1F:
    case 0x20:
        if (!accept_irq(step)) return false;
        goto after_acceptance;
    case 0x22: goto halt_second_half;
    case 0x23: goto halt_done;
    default:
        // A step the boundary never stores: start it afresh.
        exec_state = BETWEEN_INSTRUCTIONS;
        if (cycle_budget <= 0) return false;
        if (!pending_events) return true;
        break;
    }
    for (;;) {
        if (busrq_line) {
            bus_released = 1;
            cycle_budget = 0;
            exec_state = BETWEEN_INSTRUCTIONS;
            return false;
        }
        pending_events &= ~EVENT_BUSRQ;
        bus_released = 0;
        if (pending_events & EVENT_NMI) {
            if (!accept_nmi(0)) return false;
        } else if (irq_line && iff1 && !(pending_events & EVENT_AFTER_EI)) {
            if (!accept_irq(0)) return false;
        }
    after_acceptance:
        // The instruction after EI always runs before an IRQ is taken.
        pending_events &= ~EVENT_AFTER_EI;
        if (!halted) return true;
        // HALT re-fetch: the byte is read but not executed, pc stays.
        tmp_lo() = rd_opcode();
        cycle_budget -= cycles_opcode - 2;
        if (cycle_budget <= 0) {
            exec_state = boundary_step(0x22);
            return false;
        }
    halt_second_half:
        cycle_budget -= 2;
        if (cycle_budget <= 0) {
            exec_state = boundary_step(0x23);
            return false;
        }
    halt_done:
        r++;
        q_shift();
    }
}

bool z80_device::accept_nmi(unsigned step) {
    switch (step) {
    case 0:
        leave_halt();
        r++;
        iff1 = 0;
        B_CHARGE(5, 0x01)
        B_PUSH(hi(pc), 0x03)
        B_PUSH(lo(pc), 0x05)
        pc = wz = 0x0066;
        pending_events &= ~EVENT_NMI;
        return true;
    default: return true;
    }
}

bool z80_device::accept_irq(unsigned step) {
    switch (step) {
    case 0:
        leave_halt();
        r++;
        iff1 = iff2 = 0;
        vector = irq_acknowledge ? uint32_t(irq_acknowledge()) : 0xFFu;
        B_CHARGE(2, 0x06)
        if (im == 2) {
            B_CHARGE(5, 0x07)
            B_PUSH(hi(pc), 0x09)
            B_PUSH(lo(pc), 0x0B)
            vector = (unsigned(i) << 8) | (vector & 0xFF);
            tmp_lo() = rd_mem(uint16_t(vector));
            B_CHARGE(cycles_memory, 0x0D)
            tmp_hi() = rd_mem(uint16_t(vector + 1));
            B_CHARGE(cycles_memory, 0x0F)
            pc = tmp;
        } else if (im == 1) {
            B_CHARGE(5, 0x10)
            B_PUSH(hi(pc), 0x12)
            B_PUSH(lo(pc), 0x14)
            pc = 0x0038;
        } else if (vector == 0) {
            // Nothing on the bus: only the acknowledge cycles.
        } else if (((vector >> 16) & 0xFF) == 0xCD) {
            B_CHARGE(11, 0x15)
            B_PUSH(hi(pc), 0x17)
            B_PUSH(lo(pc), 0x19)
            pc = uint16_t(vector);
        } else if (((vector >> 16) & 0xFF) == 0xC3) {
            B_CHARGE(10, 0x1A)
            pc = uint16_t(vector);
        } else if ((vector & 0xC7) == 0xC7) {
            B_CHARGE(5, 0x1B)
            B_PUSH(hi(pc), 0x1D)
            B_PUSH(lo(pc), 0x1F)
            pc = uint16_t(vector & 0x38);
        } else if (vector == 0xFB) {
            B_CHARGE(4, 0x20)
            ei();
        }
        wz = pc;
        return true;
    default: return true;
    }
}

}  // namespace orbs
