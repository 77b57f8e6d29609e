#pragma once
// The whole runs the reach test makes again, to find which of the game's
// routines they enter together. Each run test file lists its runs with one
// line beside the options it makes them with, e.g.
//
//   const whole_reach::listed kReach("attract", [] { return attract_options(1); });
//
// The reach test sees every run listed by the files of its test binary.
#include <functional>
#include <string>
#include <vector>

#include "tests/support/whole_run.h"

namespace whole_reach {

// Makes a run, or runs that follow each other (one handing the next its
// EEPROM file), on a runner of its own; gives what each of them saw.
using maker = std::function<std::vector<whole_run::outcome>(whole_run::runner&)>;

struct listed_run {
    std::string name;
    maker make;
};

// Every run listed so far, in the order the files listed them.
const std::vector<listed_run>& listed_runs();

// Lists one run: by its options (one run with one time slice), or by a maker.
struct listed {
    listed(std::string name, std::function<whole_run::options()> options);
    listed(std::string name, maker make);
};

}  // namespace whole_reach
