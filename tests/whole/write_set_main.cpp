// Writes the synthetic ROM set into the folder named on the command line, for
// running the game or the probe on it by hand.
#include <cstdio>
#include <exception>

#include "tests/support/synthetic_rom.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_synthetic_set FOLDER\n");
        return 1;
    }
    try {
        synthetic::synthetic_set().write_folder(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
