// Sound board speed: the hand-assembled sound program with all six channels
// of both FM chips keyed and eight PCM channels looping, run against board
// time as the board drives it (a few time_passes calls and one frame end per
// video frame). One iteration is 60 emulated seconds.
#include <benchmark/benchmark.h>

#include <vector>

#include "board/machine.h"
#include "sound/orbsound.h"
#include "tests/sound/sound_program.h"

namespace {

using namespace orbsound;

std::vector<uint8_t> g_sound_rom(0x400000);
std::vector<uint8_t> g_program_rom(0x200000);

void fm_reg(int chip, uint32_t r, uint8_t v) {
    fm_write(chip, r & 0x100 ? 2 : 0, static_cast<uint8_t>(r));
    fm_write(chip, r & 0x100 ? 3 : 1, v);
}

// Every channel of both chips sounding, with mixed algorithms and feedback.
void key_all_fm_channels() {
    for (int chip = 0; chip < 2; ++chip) {
        for (uint32_t c = 0; c < 6; ++c) {
            const uint32_t base = (c >= 3 ? 0x100 : 0) + c % 3;
            for (uint32_t slot : {0x0u, 0x4u, 0x8u, 0xCu}) {
                const uint32_t o = base + slot;
                fm_reg(chip, 0x30 + o, static_cast<uint8_t>(1 + slot / 4));
                fm_reg(chip, 0x40 + o, static_cast<uint8_t>(0x10 + slot));
                fm_reg(chip, 0x50 + o, 0x1F);
                fm_reg(chip, 0x60 + o, 0x85);
                fm_reg(chip, 0x70 + o, 0x00);
                fm_reg(chip, 0x80 + o, 0x2F);
            }
            fm_reg(chip, 0xB0 + base, static_cast<uint8_t>(((c + 1) % 8) << 3 | (c + chip) % 8));
            fm_reg(chip, 0xB4 + base, 0xC0 | 0x11);
            fm_reg(chip, 0xA4 + base, static_cast<uint8_t>((c + 2) << 3 | 2));
            fm_reg(chip, 0xA0 + base, static_cast<uint8_t>(0x40 + 0x17 * c));
            fm_reg(chip, 0x28, static_cast<uint8_t>(0xF0 | (c >= 3 ? 4 + c - 3 : c)));
        }
    }
}

void BM_SoundBoardSixtySeconds(benchmark::State& state) {
    sound_board_to_start_state();
    sound_program().load(g_sound_rom.data());
    std::memset(&orb_board, 0, sizeof orb_board);
    orb_board.sound_rom = g_sound_rom.data();
    orbs_attach();
    orb_init(g_program_rom.data());
    key_all_fm_channels();
    on_sound_reset(false);

    uint64_t frame = 0;
    for (auto _ : state) {
        for (int f = 0; f < 60 * 60; ++f, ++frame) {
            // The board's frame clock calls at least three times per frame.
            const uint64_t t0 = orb_frame_start(frame), t1 = orb_frame_start(frame + 1);
            on_time_passes(orb_line_start(frame, 224));
            on_time_passes(t0 + (t1 - t0) / 2);
            on_time_passes(t1);
            orbs_end_frame(t1);
            benchmark::DoNotOptimize(orbs_frame_mix(nullptr));
        }
    }
    // Seconds of one core per emulated second, shown in ms by the unit suffix.
    state.counters["cpu_per_emulated_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 60,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["z80_cycles"] = static_cast<double>(orbs_z80_cycles());
}
BENCHMARK(BM_SoundBoardSixtySeconds)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
