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
        if (log) events.push_back({now(), cpu.fetching ? bus_access::fetch : bus_access::read, uint16_t(a), v});
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
    cpu.device_start();
    cpu.device_reset();
    cpu.cycle_budget = 0;
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

void z80_machine::load(uint16_t address, const std::vector<uint8_t>& bytes) {
    for (size_t k = 0; k < bytes.size(); ++k) memory[uint16_t(address + k)] = bytes[k];
}

}  // namespace z80test
