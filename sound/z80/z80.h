// The sound board's Z80, run in slices of any cycle budget. Every access is
// performed first and charged after; a charge that leaves the budget at 0 or
// below suspends the instruction right there, and the next execute_run
// continues from the stored execution state word without repeating the access.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <string>

#include "sound/z80/device.h"

namespace orbs {

static_assert(std::endian::native == std::endian::little, "register halves assume a little-endian host");

extern const char* const Z80;

class z80_device : public cpu_device, public z80_daisy_chain_interface {
public:
    z80_device(const machine_config& config, const char* tag, device_t* owner, uint32_t clock);
    ~z80_device() override = default;

    enum : uint8_t {
        EVENT_BUSRQ = 0x01,
        EVENT_NMI = 0x02,
        EVENT_IRQ = 0x04,
        EVENT_HALT = 0x08,
        EVENT_AFTER_EI = 0x10,
    };
    enum : int { INPUT_LINE_IRQ0 = 0, INPUT_LINE_WAIT = 1, INPUT_LINE_BUSRQ = 2, INPUT_LINE_NMI = 32 };
    static constexpr uint32_t BETWEEN_INSTRUCTIONS = 0xFFFF00;

    // device_t
    void device_start() override;
    void device_reset() override;
    void device_validity_check(validity_checker&) const override {}
    void device_pre_save() override;
    void device_post_load() override;

    // cpu_device
    bool cpu_is_interruptible() const override { return true; }
    uint32_t execute_min_cycles() const override { return 1; }
    uint32_t execute_max_cycles() const override { return 16; }
    uint32_t execute_default_irq_vector(int) const override { return 0xFF; }
    bool execute_input_edge_triggered(int line) const override { return line == INPUT_LINE_NMI; }
    void execute_run() override;
    void execute_set_input(int line, int state) override;
    void state_import(const device_state_entry& entry) override;
    void state_export(const device_state_entry& entry) override;
    void state_string_export(const device_state_entry& entry, std::string& text) const override;
    std::unique_ptr<util::disasm_interface> create_disassembler() override;

    std::vector<std::pair<int, const space_config*>> memory_space_config() const override;

    // Bus operations; a derived device may replace one kind of access.
    virtual uint8_t data_read(uint16_t address);
    virtual void data_write(uint16_t address, uint8_t value);
    virtual uint8_t stack_read(uint16_t address);
    virtual void stack_write(uint16_t address, uint8_t value);
    virtual uint8_t opcode_read();
    virtual uint8_t arg_read();

    void halt() {
        if (!halted) {
            pending_events |= EVENT_HALT;
            halted = 1;
        }
    }
    void leave_halt() {
        if (halted) {
            pending_events &= ~EVENT_HALT;
            halted = 0;
        }
    }
    void ei() {
        iff1 = iff2 = 1;
        pending_events |= EVENT_AFTER_EI;
    }
    void exx();
    void illegal_1() {}
    void illegal_2() {}

    // Flags and ALU (the flag source bytes stand in for F).
    uint8_t get_f() const;
    void set_f(uint8_t f);
    void add_a(uint8_t v);
    void adc_a(uint8_t v);
    void sub_a(uint8_t v);
    void sbc_a(uint8_t v);
    void and_a(uint8_t v);
    void or_a(uint8_t v);
    void xor_a(uint8_t v);
    void cp(uint8_t v);
    void inc(uint8_t& r);
    void dec(uint8_t& r);
    void neg();
    void daa();
    void rlca();
    void rrca();
    void rla();
    void rra();
    uint8_t rlc(uint8_t v);
    uint8_t rrc(uint8_t v);
    uint8_t rl(uint8_t v);
    uint8_t rr(uint8_t v);
    uint8_t sla(uint8_t v);
    uint8_t sra(uint8_t v);
    uint8_t sll(uint8_t v);
    uint8_t srl(uint8_t v);
    void bit(int n, uint8_t v);
    void bit_hl(int n, uint8_t v);
    void bit_xy(int n, uint8_t v);
    static uint8_t res(int n, uint8_t v) { return uint8_t(v & ~(1u << n)); }
    static uint8_t set(int n, uint8_t v) { return uint8_t(v | (1u << n)); }
    void block_io_interrupted_flags();

    // Even parity of v (true for 0), by folding rather than a table.
    static bool parity_even(uint8_t v) {
        unsigned p = v ^ (v >> 4);
        p ^= p << 2;
        p ^= p >> 1;
        return !(p & 4);
    }

    // Register halves (little-endian host).
    static uint8_t& hi(uint16_t& w) { return reinterpret_cast<uint8_t*>(&w)[1]; }
    static uint8_t& lo(uint16_t& w) { return reinterpret_cast<uint8_t*>(&w)[0]; }
    uint8_t& A() { return hi(af); }
    uint8_t& B() { return hi(bc); }
    uint8_t& C() { return lo(bc); }
    uint8_t& D() { return hi(de); }
    uint8_t& E() { return lo(de); }
    uint8_t& H() { return hi(hl); }
    uint8_t& L() { return lo(hl); }
    uint8_t& tmp_lo() { return lo(tmp); }
    uint8_t& tmp_hi() { return hi(tmp); }

    // Per-device access costs.
    uint8_t cycles_opcode = 4;
    uint8_t cycles_memory = 3;
    uint8_t cycles_io = 4;

    // Register file and hidden state.
    uint8_t pending_events = 0;
    uint16_t instruction_pc = 0;
    uint16_t pc = 0;
    uint16_t sp = 0;
    uint16_t af = 0;
    uint16_t bc = 0, de = 0, hl = 0;
    uint16_t ix = 0xFFFF, iy = 0xFFFF;
    uint16_t wz = 0;
    uint16_t af2 = 0, bc2 = 0, de2 = 0, hl2 = 0;
    uint8_t r = 0;
    uint8_t r2 = 0;
    uint8_t iff1 = 0, iff2 = 0;
    uint8_t halted = 0;
    uint8_t im = 0;
    uint8_t i = 0;
    uint8_t nmi_line = 0;
    uint8_t irq_line = 0;
    int32_t wait_line = 0;
    int32_t busrq_line = 0;
    uint8_t bus_released = 0;
    uint16_t ea = 0;
    uint8_t flag_s = 0, flag_z = 0, flag_xy = 0, flag_h = 0, flag_pv = 1, flag_n = 0, flag_c = 0;
    uint8_t q_latch_prev = 0;
    uint8_t q_latch = 0;
    int32_t cycle_budget = 0;
    uint32_t vector = 0;
    uint16_t tmp = 0;
    uint16_t port = 0;
    uint32_t exec_state = BETWEEN_INSTRUCTIONS;
    uint16_t state_ir = 0;

    // Written only by the scheduler and the block-timing model.
    uint64_t total_cycles = 0;
    int32_t cut_cycles;

protected:
    z80_device(const machine_config& config, device_type type, const char* tag, device_t* owner,
               uint32_t clock);

private:
    // Between instructions: the boundary, then fetch and dispatch, until the
    // budget is spent. `entry` is a stored group-0xFF step.
    void run_from_boundary(unsigned entry);
    // Returns true to go on to the fetch, false when the call must return.
    bool boundary_events(unsigned step);
    bool accept_nmi(unsigned step);
    bool accept_irq(unsigned step);

    // Group handlers: true when the instruction ended and the boundary follows.
    bool exec_main(unsigned op, unsigned step);
    bool exec_cb(unsigned op, unsigned step);
    bool exec_ed(unsigned op, unsigned step);
    bool exec_dd(unsigned op, unsigned step);
    bool exec_fd(unsigned op, unsigned step);
    bool exec_xycb(unsigned op, unsigned step);
    bool dispatch(uint32_t state);
    bool redispatch_main(unsigned op, unsigned step);

    // One handler per opcode: X selects HL (0), IX (1) or IY (2).
    template <unsigned OP, int X>
    bool op_main(unsigned step);
    template <unsigned OP>
    bool op_cb(unsigned step);
    template <unsigned OP>
    bool op_ed(unsigned step);
    template <unsigned OP>
    bool op_xycb(unsigned step);
    template <int X>
    bool exec_index_group(unsigned op, unsigned step);
    template <int P, int X>
    bool store_pair_direct(unsigned step);
    template <int P, int X>
    bool load_pair_direct(unsigned step);
    template <unsigned OP, bool INDEXED>
    bool bit_op_memory(unsigned step);
    template <int X>
    uint16_t& idx() {
        return X == 0 ? hl : X == 1 ? ix : iy;
    }
    template <int X>
    uint8_t& idx_h() {
        return hi(idx<X>());
    }
    template <int X>
    uint8_t& idx_l() {
        return lo(idx<X>());
    }
    // Registers by opcode field: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A; with X
    // non-zero H and L are the index halves.
    template <int R, int X = 0>
    uint8_t& reg8() {
        if constexpr (R == 0)
            return B();
        else if constexpr (R == 1)
            return C();
        else if constexpr (R == 2)
            return D();
        else if constexpr (R == 3)
            return E();
        else if constexpr (R == 4)
            return idx_h<X>();
        else if constexpr (R == 5)
            return idx_l<X>();
        else {
            static_assert(R == 7);
            return A();
        }
    }
    // Pairs by opcode field: 0 BC, 1 DE, 2 HL (or the index), 3 SP.
    template <int P, int X = 0>
    uint16_t& reg16() {
        if constexpr (P == 0)
            return bc;
        else if constexpr (P == 1)
            return de;
        else if constexpr (P == 2)
            return idx<X>();
        else
            return sp;
    }
    template <int CC>
    bool cond() const {
        if constexpr (CC == 0)
            return flag_z != 0;
        else if constexpr (CC == 1)
            return flag_z == 0;
        else if constexpr (CC == 2)
            return flag_c == 0;
        else if constexpr (CC == 3)
            return flag_c != 0;
        else if constexpr (CC == 4)
            return !parity_even(flag_pv);
        else if constexpr (CC == 5)
            return parity_even(flag_pv);
        else if constexpr (CC == 6)
            return !(flag_s & 0x80);
        else
            return (flag_s & 0x80) != 0;
    }
    template <int OPN>
    void alu(uint8_t v) {
        if constexpr (OPN == 0)
            add_a(v);
        else if constexpr (OPN == 1)
            adc_a(v);
        else if constexpr (OPN == 2)
            sub_a(v);
        else if constexpr (OPN == 3)
            sbc_a(v);
        else if constexpr (OPN == 4)
            and_a(v);
        else if constexpr (OPN == 5)
            xor_a(v);
        else if constexpr (OPN == 6)
            or_a(v);
        else
            cp(v);
    }
    template <int OPN>
    uint8_t shift(uint8_t v) {
        if constexpr (OPN == 0)
            return rlc(v);
        else if constexpr (OPN == 1)
            return rrc(v);
        else if constexpr (OPN == 2)
            return rl(v);
        else if constexpr (OPN == 3)
            return rr(v);
        else if constexpr (OPN == 4)
            return sla(v);
        else if constexpr (OPN == 5)
            return sra(v);
        else if constexpr (OPN == 6)
            return sll(v);
        else
            return srl(v);
    }
    // INC for opcode column 4, DEC for column 5.
    template <unsigned Z>
    void inc_dec(uint8_t& v) {
        if constexpr (Z == 4)
            inc(v);
        else
            dec(v);
    }
    void add16(uint16_t& d, uint16_t v);
    void add8(uint8_t v, unsigned carry);
    void sub8(uint8_t v, unsigned carry);
    void szp(uint8_t v) { flag_s = flag_z = flag_xy = flag_pv = v; }

    // A step that names no resume point: drop it, go on between instructions.
    bool bad_step() {
        exec_state = BETWEEN_INSTRUCTIONS;
        return true;
    }

    // Accesses without charging; the accessors are used directly unless a
    // derived device replaced the bus operation.
    uint8_t rd_opcode() { return m_direct ? m_opcodes.read_interruptible(pc) : opcode_read(); }
    uint8_t rd_arg() { return m_direct ? m_args.read_interruptible(pc) : arg_read(); }
    uint8_t rd_mem(uint16_t a) { return m_direct ? m_data.read_interruptible(a) : data_read(a); }
    void wr_mem(uint16_t a, uint8_t v) {
        if (m_direct)
            m_data.write_interruptible(a, v);
        else
            data_write(a, v);
    }
    uint8_t rd_stack(uint16_t a) { return m_direct ? m_data.read_interruptible(a) : stack_read(a); }
    void wr_stack(uint16_t a, uint8_t v) {
        if (m_direct)
            m_data.write_interruptible(a, v);
        else
            stack_write(a, v);
    }
    uint8_t rd_io(uint16_t a) { return m_io.read_interruptible(a); }
    void wr_io(uint16_t a, uint8_t v) { m_io.write_interruptible(a, v); }
    void q_shift() {
        q_latch_prev = q_latch;
        q_latch = 0x28;
    }

    using accessor = memory_access<16, 0, 0, 0>::specific;
    accessor m_args, m_opcodes, m_data, m_io;
    bool m_direct = false;
    space_config m_program_config, m_io_config;
};

// The sound board's Z80.
class sound_cpu : public z80_device {
public:
    using z80_device::z80_device;
    ~sound_cpu() override = default;
};

}  // namespace orbs

#include "sound/z80/z80_alu.h"
