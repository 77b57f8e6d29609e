// Any program, any slicing: the accesses, their ticks and the final state of
// a sliced run equal those of one long slice. The input is the memory image
// (from address 0) followed by nothing else; slice budgets come from the
// image's own bytes so that a case replays exactly.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "tests/sound/z80/z80_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    z80test::z80_machine whole, sliced;
    for (size_t k = 0; k < whole.memory.size(); ++k) whole.memory[k] = data[k % size];
    sliced.memory = whole.memory;
    const uint64_t total = 20'000;
    whole.run(int32_t(total));
    whole.finish();
    size_t k = 0;
    // The last slice ends where the long one does.
    while (sliced.given < total)
        sliced.run(int32_t(std::min<uint64_t>(1 + data[k++ % size] % 7, total - sliced.given)));
    sliced.finish();
    if (whole.events != sliced.events || whole.state_text() != sliced.state_text() ||
        whole.hooks != sliced.hooks)
        std::abort();
    return 0;
}
