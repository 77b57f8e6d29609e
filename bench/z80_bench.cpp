// Emulated Z80 cycles per second on ZEXDOC's workload: slices of 100,000
// cycles, the CP/M stand-in on the instruction hook, RAM behind function
// objects as on the sound board.
#include <benchmark/benchmark.h>

#include "tests/sound/z80/zexdoc_runner.h"

namespace {

void BM_Z80Zexdoc(benchmark::State& state) {
    uint64_t cycles = 0;
    for (auto _ : state) {
        auto result =
            z80test::run_zexdoc(IRONBELL_TESTDATA "/z80/zexdoc/zexdoc.com", uint64_t(state.range(0)));
        if (!result.loaded) {
            state.SkipWithError("zexdoc.com not found");
            return;
        }
        cycles += result.cycles;
    }
    state.counters["cycles_per_second"] = benchmark::Counter(double(cycles), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Z80Zexdoc)->Arg(2'000'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
