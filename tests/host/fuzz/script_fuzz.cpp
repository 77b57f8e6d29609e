// Any control script either loads or gives a problem text, without a crash, a
// hang or an access out of bounds; a loaded script applies for a few frames.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/machine.h"
#include "host/script.h"
#include "tests/host/fuzz/scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> program(0x200000, 0);
    const std::string& path = write_scratch_file(data, size);

    char problem[256];
    std::memset(problem, 'x', sizeof problem);
    script_record* script = orb_script_load(path.c_str(), problem, sizeof problem);
    if (!script) {
        if (std::memchr(problem, '\0', sizeof problem) == nullptr || problem[0] == '\0') std::abort();
        return 0;
    }
    orb_init(program.data());
    uint64_t last = script->items.empty() ? 0 : script->items.back().frame;
    if (last > 64) last = 64;
    for (uint64_t frame = 0; frame <= last + 4; ++frame) orb_script_apply(script, frame);
    orb_script_free(script);
    return 0;
}
