// FM engine speed: one chip, six channels keyed with mixed algorithms and
// feedback, LFO on with AM and PM. One iteration is one output sample.
#include <benchmark/benchmark.h>

#include "sound/fm/ym3438.h"

namespace {

class quiet_host : public orbfm::fm_interface {
public:
    void ymfm_set_timer(uint32_t, int32_t) override {}
    void ymfm_set_busy_end(uint32_t) override {}
    bool ymfm_is_busy() override { return false; }
    void ymfm_update_irq(bool) override {}
};

void reg(orbfm::ym3438& chip, uint32_t r, uint8_t v) {
    chip.write(r & 0x100 ? 2 : 0, static_cast<uint8_t>(r));
    chip.write(r & 0x100 ? 3 : 1, v);
}

void BM_FmSixChannels(benchmark::State& state) {
    quiet_host host;
    orbfm::ym3438 chip(host);
    chip.reset();
    reg(chip, 0x22, 0x08 | 3);  // LFO on
    static constexpr uint8_t kAlg[6] = {0, 2, 4, 5, 6, 7};
    for (uint32_t c = 0; c < 6; ++c) {
        uint32_t base = (c >= 3 ? 0x100 : 0) + c % 3;
        for (uint32_t slot : {0x0u, 0x4u, 0x8u, 0xCu}) {
            uint32_t o = base + slot;
            reg(chip, 0x30 + o, static_cast<uint8_t>(0x10 * (slot / 4) + 1 + slot / 4));
            reg(chip, 0x40 + o, static_cast<uint8_t>(0x08 + slot));
            reg(chip, 0x50 + o, 0x5F);
            reg(chip, 0x60 + o, static_cast<uint8_t>((slot & 4 ? 0x80 : 0) | 0x05));
            reg(chip, 0x70 + o, 0x00);  // no sustain decay: the notes keep sounding
            reg(chip, 0x80 + o, 0x2F);
        }
        reg(chip, 0xB0 + base, static_cast<uint8_t>(((c + 2) % 8) << 3 | kAlg[c]));
        reg(chip, 0xB4 + base, static_cast<uint8_t>(0xC0 | ((c % 4) << 4) | (c + 1)));
        reg(chip, 0xA4 + base, static_cast<uint8_t>((c + 2) << 3 | 2));
        reg(chip, 0xA0 + base, static_cast<uint8_t>(0x40 + 0x17 * c));
        reg(chip, 0x28, static_cast<uint8_t>(0xF0 | (c >= 3 ? 4 + c - 3 : c)));
    }
    orbfm::fm_output out;
    for (auto _ : state) {
        chip.generate(&out, 1);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FmSixChannels);

}  // namespace
