#include "sound/z80/device.h"

#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace orbs {

const machine_config g_machine_config{};

void fatalerror(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    throw std::runtime_error(buffer);
}

}  // namespace orbs
