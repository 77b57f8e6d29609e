// Runs the ZEXDOC exerciser under a small CP/M stand-in built on the
// instruction hook: CALL 5 with C = 2 prints E, with C = 9 prints the text at
// DE up to '$'; a jump to 0x0000 ends the run.
#pragma once

#include <cstdint>
#include <string>

namespace z80test {

struct zexdoc_result {
    bool loaded = false;
    bool finished = false;
    std::string console;  // carriage returns dropped
    uint64_t cycles = 0;
};

// Runs until the program ends or max_cycles have run, in slices of
// slice_cycles.
zexdoc_result run_zexdoc(const std::string& com_path, uint64_t max_cycles, int32_t slice_cycles = 100'000);

}  // namespace z80test
