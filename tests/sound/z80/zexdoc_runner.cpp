#include "tests/sound/z80/zexdoc_runner.h"

#include <array>
#include <fstream>
#include <iterator>
#include <vector>

#include "sound/z80/z80.h"

namespace z80test {

zexdoc_result run_zexdoc(const std::string& com_path, uint64_t max_cycles, int32_t slice_cycles) {
    zexdoc_result result;
    std::ifstream in(com_path, std::ios::binary);
    std::vector<uint8_t> program((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return result;
    if (program.empty() || program.size() > 0x10000 - 0x100) return result;
    result.loaded = true;

    auto memory = std::make_unique<std::array<uint8_t, 0x10000>>();
    auto& mem = *memory;
    mem.fill(0);
    std::copy(program.begin(), program.end(), mem.begin() + 0x100);
    mem[0x0000] = 0x76;  // HALT, should the hook ever miss the exit
    mem[0x0005] = 0xC9;  // RET
    mem[0x0006] = 0x00;  // stack top 0xC900
    mem[0x0007] = 0xC9;

    orbs::z80_device cpu(orbs::g_machine_config, "z80", nullptr, 8'053'975);
    cpu.spaces[0].read = [&mem](uint32_t a) { return mem[a & 0xFFFF]; };
    cpu.spaces[0].write = [&mem](uint32_t a, uint8_t v) { mem[a & 0xFFFF] = v; };
    cpu.spaces[2].read = [](uint32_t) { return uint8_t(0xFF); };
    cpu.spaces[2].write = [](uint32_t, uint8_t) {};
    cpu.instruction_hook = [&](uint32_t pc) {
        if (pc == 0x0005) {
            if (cpu.C() == 2) {
                if (cpu.E() != '\r') result.console += char(cpu.E());
            } else if (cpu.C() == 9) {
                for (uint16_t a = cpu.de; mem[a] != '$'; ++a)
                    if (mem[a] != '\r') result.console += char(mem[a]);
            }
            // Return to the caller.
            cpu.pc = uint16_t(mem[cpu.sp] | (mem[uint16_t(cpu.sp + 1)] << 8));
            cpu.sp = uint16_t(cpu.sp + 2);
        } else if (pc == 0x0000) {
            result.finished = true;
            cpu.cycle_budget = 0;
        }
    };
    cpu.device_start();
    cpu.device_reset();
    cpu.pc = 0x0100;
    cpu.sp = 0xC900;

    while (!result.finished && result.cycles < max_cycles) {
        cpu.cycle_budget = slice_cycles;
        cpu.execute_run();
        result.cycles += uint64_t(int64_t(slice_cycles) - cpu.cycle_budget);
    }
    return result;
}

}  // namespace z80test
