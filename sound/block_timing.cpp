// The instruction hook and the block-timing model. In this mode the Z80's
// time is not the interpreter's cycle count but a sum of per-block costs from
// a timing file; the Z80 runs until it reaches its idle loop at or after the
// requested instant and is parked there, and interrupts are taken by hand at
// block starts.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "board/machine.h"
#include "sound/orbsound.h"
#include "sound/orbsound_state.h"

namespace orbsound {

namespace {

constexpr uint64_t REPEAT_TICKS = 42;     // one more pass of a repeating instruction
constexpr uint64_t INTERRUPT_TICKS = 26;  // a hand-taken interrupt
constexpr int32_t MODEL_SLICE_CYCLES = 0x100000;
// One slice is far more interpreter time than a frame needs; a call that has
// not parked after this many slices never will.
constexpr int MODEL_SLICE_LIMIT = 16;
constexpr uint8_t OP_EI = 0xFB;

uint64_t ticks(int32_t cycles) { return static_cast<uint64_t>(int64_t{cycles} * int64_t{TICKS_PER_CYCLE}); }

void park(timing_model& m, int32_t prev) {
    orbs::sound_cpu& z80 = *g_z80;
    // Seen afresh when the Z80 resumes at the idle loop.
    m.last_pc = prev;
    m.done = true;
    m.parked = true;
    m.block = nullptr;
    // The slice ends at the opcode fetch that follows; the rest is not run.
    const int32_t rest = std::max(z80.cycle_budget, 0);
    z80.cycle_budget -= rest;
    z80.cut_cycles += rest;
    g_slice_budget -= rest;
}

void take_interrupt(timing_model& m) {
    orbs::sound_cpu& z80 = *g_z80;
    while (z80.iff1 && m.last_opcode != OP_EI && m.irq_level) {
        z80.sp = static_cast<uint16_t>(z80.sp - 1);
        orb_z80_write(z80.sp, static_cast<uint8_t>(z80.pc >> 8));
        z80.sp = static_cast<uint16_t>(z80.sp - 1);
        orb_z80_write(z80.sp, static_cast<uint8_t>(z80.pc));
        m.last_opcode = 0;
        z80.iff1 = z80.iff2 = 0;
        z80.pc = m.irq_pc;
        m.time += INTERRUPT_TICKS;
        fire_timers(m.time);
    }
}

// The Z80 cannot reach its idle loop: halted (this mode never raises its
// interrupt input), held on WAIT, or simply never arriving there in time.
void give_up(timing_model& m, uint64_t t) {
    if (!m.stall_reported) {
        const orbs::sound_cpu& z80 = *g_z80;
        orb_log("sound: Z80 did not reach its idle loop %04X (PC %04X%s%s); block-timing run stopped at %llu",
                m.loop_pc, z80.pc, z80.halted ? ", halted" : "", z80.wait_line ? ", WAIT held" : "",
                static_cast<unsigned long long>(t));
        m.stall_reported = true;
    }
    // Time and the FM timers go on as they do while the Z80 is held.
    fire_timers(t);
    m.time = std::max(m.time, t);
}

// Reads one field of a timing-file line; a missing or unreadable field is 0,
// and the stream's failure makes every later field 0 as well.
long long field(std::istringstream& in, bool hex) {
    long long v = 0;
    if (hex)
        in >> std::hex >> v;
    else
        in >> std::dec >> v;
    return in ? v : 0;
}

}  // namespace

void on_instruction(uint32_t address) {
    const auto pc = static_cast<uint16_t>(address);
    g_executed[pc >> 3] |= static_cast<uint8_t>(1u << (pc & 7));
    timing_model& m = g_model;
    if (!m.enabled) return;
    orbs::sound_cpu& z80 = *g_z80;

    const int32_t prev = m.last_pc;
    m.last_pc = pc;
    if (pc == prev && m.repeats.count(pc)) {
        m.time += REPEAT_TICKS;
        return;
    }
    const auto here = m.blocks.find(pc);
    if (here == m.blocks.end()) {
        m.last_opcode = orb_z80_read(pc);
        return;
    }

    // The closing branch of the block being left was taken, not fallen through.
    if (m.block && m.block->branch_pc == prev &&
        pc != static_cast<uint16_t>(m.block->branch_pc + m.block->branch_length))
        m.time += ticks(m.block->taken_extra);

    bool after_reti = false;
    if (prev != -1) {
        const auto p = static_cast<uint16_t>(prev);
        after_reti = orb_z80_read(p) == 0xED && orb_z80_read(static_cast<uint16_t>(p + 1)) == 0x4D;
    }
    if (!after_reti && pc == m.loop_pc && m.time >= m.target) {
        park(m, prev);
        return;
    }

    fire_timers(m.time);
    take_interrupt(m);

    m.block_start = m.time;
    const auto entered = m.blocks.find(z80.pc);
    if (entered != m.blocks.end()) {
        m.block = &entered->second;
        m.time += ticks(m.block->cycles);
    } else {
        m.block = nullptr;
    }
    m.last_opcode = orb_z80_read(pc);
}

void model_time_passes(uint64_t t) {
    timing_model& m = g_model;
    orbs::sound_cpu& z80 = *g_z80;
    if (g_z80_held) {
        fire_timers(t);
        m.time = std::max(m.time, t);
        g_time = std::max(g_time, t);
        return;
    }
    if (m.parked) {
        if (t <= m.time) {
            g_time = std::max(g_time, t);
            return;
        }
        // Fetch the idle-loop instruction again. The park stopped that fetch
        // after its first half, before R counts it, so R stays as it is.
        m.parked = false;
        z80.pc = m.loop_pc;
        z80.exec_state = orbs::z80_device::BETWEEN_INSTRUCTIONS;
    }
    m.target = t;
    m.done = false;
    for (int slices = 0; !m.done; ++slices) {
        if (slices == MODEL_SLICE_LIMIT || z80.halted || z80.wait_line) {
            give_up(m, t);
            break;
        }
        g_slice_start = m.time;
        run_slice(MODEL_SLICE_CYCLES);
    }
    if (m.done) m.stall_reported = false;
    g_time = std::max(g_time, t);
}

void model_z80_reset() {
    g_model.parked = false;
    g_model.last_pc = -1;
    g_model.last_opcode = 0;
    g_model.block = nullptr;
}

}  // namespace orbsound

using namespace orbsound;

bool orbs_use_timing(const char* path) {
    std::ifstream file(path);
    if (!file) return false;
    timing_model& m = g_model;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "loop") {
            m.loop_pc = static_cast<uint16_t>(field(in, true));
        } else if (kind == "irq") {
            m.irq_pc = static_cast<uint16_t>(field(in, true));
        } else if (kind == "repeat") {
            m.repeats.insert(static_cast<uint16_t>(field(in, true)));
        } else if (kind == "block") {
            const auto start = static_cast<uint16_t>(field(in, true));
            block_timing b;
            b.cycles = static_cast<int32_t>(field(in, false));
            b.branch_pc = static_cast<uint16_t>(field(in, true));
            b.branch_length = static_cast<uint8_t>(field(in, false));
            b.taken_extra = static_cast<int32_t>(field(in, false));
            m.blocks[start] = b;
        }
    }
    m.enabled = !m.blocks.empty();
    return m.enabled;
}
