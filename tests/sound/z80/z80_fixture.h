// A bare Z80 on 64 KB of RAM and an I/O space, with a log of every access:
// the tick it happened at (cycles charged before it), its kind, address and
// value. Port reads return the high byte of the port address.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/z80/z80.h"

namespace z80test {

enum class bus_access : uint8_t { fetch, read, write, in, out };

struct bus_event {
    uint64_t tick;
    bus_access kind;
    uint16_t address;
    uint8_t value;
    bool operator==(const bus_event&) const = default;
};

std::string describe(const bus_event& e);

// Replaces the opcode fetch so that fetches can be told from other reads;
// this also takes the engine through its virtual bus operations.
class logging_cpu : public orbs::z80_device {
public:
    logging_cpu() : z80_device(orbs::g_machine_config, "z80", nullptr, 8'053'975) {}
    uint8_t opcode_read() override {
        fetching = true;
        uint8_t v = z80_device::opcode_read();
        fetching = false;
        return v;
    }
    bool fetching = false;
};

class z80_machine {
public:
    z80_machine();

    // Runs one slice with the given budget; returns the cycles it spent.
    int run(int32_t budget);
    // Runs the next instruction alone; returns its cycles.
    int run_one();
    // Completes the instruction in progress without starting another.
    void finish();
    uint64_t now() const { return given - uint64_t(int64_t(cpu.cycle_budget)); }
    void load(uint16_t address, const std::vector<uint8_t>& bytes);
    // Runs slices of the given budget until the hook is called with pc.
    bool run_until_hook(uint16_t pc, int32_t budget = 1, int max_slices = 100000);
    // Registers and hidden state as text, for comparing two runs.
    std::string state_text();
    // Installs an acknowledge callback returning value, counting its calls.
    void acknowledge_with(int value);

    logging_cpu cpu;
    std::array<uint8_t, 0x10000> memory{};
    std::vector<bus_event> events;
    // (tick, pc) of every instruction-hook call.
    std::vector<std::pair<uint64_t, uint16_t>> hooks;
    int acknowledges = 0;
    bool log = true;
    uint64_t given = 0;
};

}  // namespace z80test
