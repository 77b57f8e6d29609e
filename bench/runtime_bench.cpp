// What the runtime and the board cost: guest frames per second of the test
// guest's idle loop, and bus accesses.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/guest_call_routines.h"
#include "board/machine.h"
#include "runtime/guest.h"
#include "runtime/v60.h"

namespace {

uint64_t frames_to_run;
void stop_when_done() {
    if (program_frames() >= frames_to_run) program_stop();
}
void to_cpu(int level) { program_irq_line(level); }

void BM_IdleFrameLoop(benchmark::State& state) {
    static std::vector<uint8_t> rom(0x200000);
    for (auto _ : state) {
        orb_board.callbacks.irq_changed = to_cpu;
        orb_init(rom.data());
        program_reset();
        program_frame_done = stop_when_done;
        frames_to_run = 6000;
        program_run();
    }
    state.counters["board_frames_per_s"] =
        benchmark::Counter(double(state.iterations()) * 6000, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IdleFrameLoop)->Unit(benchmark::kMillisecond);

void BM_WorkRamReadWrite32(benchmark::State& state) {
    static std::vector<uint8_t> rom(0x200000);
    orb_init(rom.data());
    uint32_t a = 0;
    for (auto _ : state) {
        const uint32_t address = 0x200000 + (a & 0xFFFC);
        orb_write32(address, orb_read32(address) + 1);
        a += 4;
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_WorkRamReadWrite32);

void BM_PaletteWriteAlternate(benchmark::State& state) {
    static std::vector<uint8_t> rom(0x200000);
    orb_init(rom.data());
    uint32_t i = 0;
    for (auto _ : state) {
        orb_write16(0x608000 + ((i * 2) & 0x7FFE), uint16_t(i));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PaletteWriteAlternate);

// One guest call of a small routine through call(): push, the routine, its
// return, the check. The product's build and the tests' build (with the
// entry seam) side by side.
void guest_calls(benchmark::State& state, v60_routine routine) {
    static std::vector<uint8_t> rom(0x200000);
    orb_init(rom.data());
    program_reset();
    cpu.reg[V60_SP] = 0x20FF00;
    for (auto _ : state) {
        if (!guest::call(routine, 0x088B30, 0x088B2D)) state.SkipWithError("came back elsewhere");
        benchmark::DoNotOptimize(cpu.reg[1]);
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_GuestCallProduct(benchmark::State& state) { guest_calls(state, bench_routine_product); }
void BM_GuestCallSeamBuild(benchmark::State& state) { guest_calls(state, bench_routine_seam); }
BENCHMARK(BM_GuestCallProduct);
BENCHMARK(BM_GuestCallSeamBuild);

}  // namespace
