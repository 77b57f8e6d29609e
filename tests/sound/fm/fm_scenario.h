// Replays register-write scenarios on the FM chip with a host that keeps
// time in input clocks, fires timers on sample boundaries and records every
// call the chip makes.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace orbfm_test {

struct scenario_command {
    enum kind_t { generate, write, read } kind;
    uint32_t value;  // sample count, or port for write/read
    uint8_t data;    // written byte
    int line;        // 1-based script line
};

// Parses a scenario script ("S n", "W port byte", "R port", '#' comments).
// Returns an empty string on success, else "name:line: problem" and leaves
// out unchanged.
std::string parse_scenario(std::istream& in, const std::string& name, std::vector<scenario_command>& out);

struct scenario_result {
    std::vector<int32_t> samples;    // left, right per sample
    std::vector<int> sample_line;    // script line that produced each sample
    std::vector<std::string> reads;  // "<samples> <port> <HH>"
    std::vector<std::string> calls;  // "<samples> <event> <args>"
};

scenario_result run_scenario(const std::vector<scenario_command>& commands);

}  // namespace orbfm_test
