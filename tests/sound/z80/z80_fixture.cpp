#include "tests/sound/z80/z80_fixture.h"

#include <cstdio>

namespace z80test {

std::string describe(const bus_event& e) {
    static const char* const names[] = {"fetch", "read", "write", "in", "out"};
    char text[64];
    std::snprintf(text, sizeof text, "%llu %s %04X %02X", static_cast<unsigned long long>(e.tick),
                  names[int(e.kind)], e.address, e.value);
    return text;
}

z80_machine::z80_machine() {
    cpu.spaces[0].read = [this](uint32_t a) {
        uint8_t v = memory[a & 0xFFFF];
        if (log)
            events.push_back({now(), cpu.fetching ? bus_access::fetch : bus_access::read, uint16_t(a), v});
        return v;
    };
    cpu.spaces[0].write = [this](uint32_t a, uint8_t v) {
        memory[a & 0xFFFF] = v;
        if (log) events.push_back({now(), bus_access::write, uint16_t(a), v});
    };
    cpu.spaces[2].read = [this](uint32_t a) {
        uint8_t v = uint8_t(a >> 8);
        if (log) events.push_back({now(), bus_access::in, uint16_t(a), v});
        return v;
    };
    cpu.spaces[2].write = [this](uint32_t a, uint8_t v) {
        if (log) events.push_back({now(), bus_access::out, uint16_t(a), v});
    };
    cpu.instruction_hook = [this](uint32_t pc) { hooks.emplace_back(now(), uint16_t(pc)); };
    cpu.device_start();
    cpu.device_reset();
    cpu.cycle_budget = 0;
}

bool z80_machine::run_until_hook(uint16_t pc, int32_t budget, int max_slices) {
    for (int k = 0; k < max_slices; ++k) {
        size_t seen = hooks.size();
        run(budget);
        for (size_t h = seen; h < hooks.size(); ++h)
            if (hooks[h].second == pc) return true;
    }
    return false;
}

std::string z80_machine::state_text() {
    auto& c = cpu;
    char text[320];
    std::snprintf(
        text, sizeof text,
        "AF=%02X%02X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X PC=%04X WZ=%04X AF'=%04X BC'=%04X "
        "DE'=%04X HL'=%04X I=%02X R=%02X/%02X IFF=%d%d IM=%d halted=%d q=%02X/%02X ev=%02X state=%06X",
        c.A(), c.get_f(), c.bc, c.de, c.hl, c.ix, c.iy, c.sp, c.pc, c.wz, c.af2, c.bc2, c.de2, c.hl2, c.i,
        c.r, c.r2, c.iff1, c.iff2, c.im, c.halted, c.q_latch_prev, c.q_latch, c.pending_events, c.exec_state);
    return text;
}

void z80_machine::acknowledge_with(int value) {
    cpu.irq_acknowledge = [this, value] {
        ++acknowledges;
        return value;
    };
}

int z80_machine::run(int32_t budget) {
    int32_t before = budget;
    given += uint64_t(budget);
    cpu.cycle_budget = budget;
    cpu.execute_run();
    cpu.total_cycles += uint64_t(int64_t(before) - cpu.cycle_budget);
    given = given - uint64_t(budget) + uint64_t(int64_t(before) - cpu.cycle_budget);
    // Keep ticks continuous: what was overspent is now part of the past.
    int spent = before - cpu.cycle_budget;
    cpu.cycle_budget = 0;
    return spent;
}

void z80_machine::finish() {
    // A halted processor never comes back between instructions: its re-fetch
    // counts as done once both halves are charged.
    for (int guard = 0; guard < 1'000'000; ++guard) {
        if (cpu.exec_state == orbs::z80_device::BETWEEN_INSTRUCTIONS) return;
        if (cpu.halted && cpu.exec_state == 0xFFFF23) return;
        // A budget of 0 runs the instruction up to its next charge only.
        run(0);
    }
}

int z80_machine::run_one() {
    uint64_t before = given;
    run(1);
    finish();
    return int(given - before);
}

void z80_machine::load(uint16_t address, const std::vector<uint8_t>& bytes) {
    for (size_t k = 0; k < bytes.size(); ++k) memory[uint16_t(address + k)] = bytes[k];
}

}  // namespace z80test
