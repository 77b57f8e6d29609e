// The Z80's execution engine: construction, reset, input lines, the bus
// operations and the entry that resumes from the execution state word.
#include "sound/z80/z80.h"

#include "sound/z80/z80_disasm.h"

namespace orbs {

const char* const Z80 = "z80";

z80_device::z80_device(const machine_config& config, const char* tag, device_t* owner, uint32_t clock)
    : z80_device(config, Z80, tag, owner, clock) {}

z80_device::z80_device(const machine_config& config, device_type type, const char* tag, device_t* owner,
                       uint32_t clock)
    : cpu_device(config, type, tag, owner, clock) {}

void z80_device::device_start() {
    pending_events = 0;
    instruction_pc = pc = sp = af = bc = de = hl = wz = 0;
    ix = iy = 0xFFFF;
    af2 = bc2 = de2 = hl2 = 0;
    r = r2 = iff1 = iff2 = halted = im = i = 0;
    nmi_line = irq_line = 0;
    wait_line = busrq_line = 0;
    bus_released = 0;
    ea = 0;
    // F reads 0x40: Z set, everything else clear.
    flag_s = flag_z = flag_xy = flag_h = flag_n = flag_c = 0;
    flag_pv = 1;
    q_latch_prev = q_latch = 0;
    state_ir = 0;
    cycles = &cycle_budget;
    m_args = accessor(spaces[0]);
    m_opcodes = accessor(spaces[0]);
    m_data = accessor(spaces[0]);
    m_io = accessor(spaces[2]);
    // The accessors stand in for the bus operations unless a derived device
    // replaced them; sound_cpu replaces none.
    m_direct = typeid(*this) == typeid(z80_device) || typeid(*this) == typeid(sound_cpu);
}

void z80_device::device_reset() {
    pending_events &= ~(EVENT_NMI | EVENT_AFTER_EI | EVENT_HALT);
    halted = 0;
    pc = 0;
    wz = 0;
    r = r2 = 0;
    iff1 = iff2 = 0;
    i = 0;
    exec_state = BETWEEN_INSTRUCTIONS;
}

void z80_device::execute_set_input(int line, int state) {
    switch (line) {
    case INPUT_LINE_IRQ0:
        irq_line = uint8_t(state);
        if (irq_line)
            pending_events |= EVENT_IRQ;
        else
            pending_events &= ~EVENT_IRQ;
        break;
    case INPUT_LINE_WAIT: wait_line = state; break;
    case INPUT_LINE_BUSRQ:
        if (busrq_line == 0 && state != 0) pending_events |= EVENT_BUSRQ;
        busrq_line = state;
        break;
    case INPUT_LINE_NMI:
        // An edge before the first slice has run is lost.
        if (nmi_line == 0 && state != 0 && total_cycles != 0) pending_events |= EVENT_NMI;
        nmi_line = uint8_t(state);
        break;
    default: break;
    }
}

std::vector<std::pair<int, const space_config*>> z80_device::memory_space_config() const {
    return {{0, &m_program_config}, {2, &m_io_config}};
}

std::unique_ptr<util::disasm_interface> z80_device::create_disassembler() {
    return std::make_unique<z80_disassembler>();
}

uint8_t z80_device::data_read(uint16_t address) { return m_data.read_interruptible(address); }
void z80_device::data_write(uint16_t address, uint8_t value) { m_data.write_interruptible(address, value); }
uint8_t z80_device::stack_read(uint16_t address) { return data_read(address); }
void z80_device::stack_write(uint16_t address, uint8_t value) { data_write(address, value); }
uint8_t z80_device::opcode_read() { return m_opcodes.read_interruptible(pc); }
uint8_t z80_device::arg_read() { return m_args.read_interruptible(pc); }

bool z80_device::dispatch(uint32_t state) {
    unsigned op = (state >> 8) & 0xFF, step = state & 0xFF;
    switch (state >> 16) {
    case 0x00: return exec_main(op, step);
    case 0xCB: return exec_cb(op, step);
    case 0xDD: return exec_dd(op, step);
    case 0xED: return exec_ed(op, step);
    case 0xFD: return exec_fd(op, step);
    case 0xFE: return exec_xycb(op, step);
    default: return bad_step();
    }
}

void z80_device::execute_run() {
    if (wait_line) {
        // WAIT stalls the processor wherever it stands, even mid-instruction.
        cycle_budget = 0;
        return;
    }
    uint32_t state = exec_state;
    if ((state >> 16) == 0xFF) {
        run_from_boundary(state & 0xFF);
        return;
    }
    if (!dispatch(state)) return;
    exec_state = BETWEEN_INSTRUCTIONS;
    run_from_boundary(0);
}

}  // namespace orbs
