// Assembly of the sound board, its scheduler against board time, the FM and
// PCM glue, the frame-end mix and the diagnostics.
#include "sound/orbsound.h"

#include <algorithm>
#include <bit>

#include "board/machine.h"
#include "sound/orbsound_state.h"

namespace orbsound {

// Owners of memory, in construction order (destroyed in reverse at exit).
timing_model g_model;
std::unique_ptr<orbs::sound_cpu> g_z80;
samples g_fm_samples[2];
samples g_pcm_samples;
std::vector<int16_t> g_mix;
std::unique_ptr<fm_chip> g_fm[2];
std::unique_ptr<pcm_chip> g_pcm;

uint64_t g_frame_samples_hash = 0;
std::FILE* g_write_log = nullptr;
uint8_t g_executed[8192];
uint64_t g_z80_cycles = 0;

uint64_t g_time = 0;
uint64_t g_slice_start = 0;
int32_t g_slice_budget = 0;
bool g_running = false;
uint8_t g_vector = 0xFF;
bool g_z80_held = true;
uint64_t g_now_override = NO_TIME;

namespace {

orbs::machine_config g_config;

// 12,500,000 / (16,107,950 × 384) reduced by their common factor 800. Working
// on the quotient and remainder of t keeps the product inside 64 bits for every
// tick, where the plain t × 12,500,000 would wrap after about 25 hours of board
// time and leave the chip silent for as long again.
constexpr uint64_t PCM_NUM = 15'625;
constexpr uint64_t PCM_DEN = 7'731'816;
static_assert(PCM_NUM * 800 == PCM_CLOCK && PCM_DEN * 800 == ORB_TICKS_PER_SECOND * 384);

constexpr uint64_t MAX_SLICE_TICKS = uint64_t{1} << 30;

// Sample hashes read each value's bytes least significant first.
static_assert(std::endian::native == std::endian::little);

void wire_z80(orbs::sound_cpu& z80) {
    z80.spaces[0].read = [](uint32_t a) { return orb_z80_read(static_cast<uint16_t>(a)); };
    z80.spaces[0].write = [](uint32_t a, uint8_t v) { orb_z80_write(static_cast<uint16_t>(a), v); };
    z80.spaces[2].read = [](uint32_t p) { return orb_z80_in(static_cast<uint8_t>(p)); };
    z80.spaces[2].write = [](uint32_t p, uint8_t v) { orb_z80_out(static_cast<uint8_t>(p), v); };
    z80.irq_acknowledge = [] { return static_cast<int>(g_vector); };
    z80.instruction_hook = [](uint32_t pc) { on_instruction(pc); };
}

}  // namespace

uint64_t pcm_due(uint64_t t) {
    return t / PCM_DEN * PCM_NUM + (t % PCM_DEN * PCM_NUM + PCM_DEN - 1) / PCM_DEN;
}

// ---------------------------------------------------------------- scheduler

uint64_t sound_now() {
    if (g_now_override != NO_TIME) return g_now_override;
    if (g_model.enabled) return g_running ? g_model.block_start : g_model.time;
    if (g_running) {
        const auto spent = static_cast<int32_t>(static_cast<uint32_t>(g_slice_budget) -
                                                static_cast<uint32_t>(g_z80->cycle_budget));
        return g_slice_start + static_cast<uint64_t>(int64_t{spent} * int64_t{TICKS_PER_CYCLE});
    }
    return g_time;
}

int32_t run_slice(int32_t budget) {
    orbs::sound_cpu& z80 = *g_z80;
    g_slice_budget = budget;
    z80.cycle_budget = budget;
    z80.cut_cycles = 0;
    g_running = true;
    // A held WAIT line spends the whole slice without a bus cycle.
    if (z80.wait_line)
        z80.cycle_budget = 0;
    else
        z80.execute_run();
    g_running = false;
    const int32_t spent = budget - z80.cycle_budget;
    z80.total_cycles += static_cast<uint32_t>(spent);
    g_z80_cycles += static_cast<uint32_t>(spent - z80.cut_cycles);
    return spent;
}

void on_time_passes(uint64_t t) {
    if (g_model.enabled) {
        model_time_passes(t);
        return;
    }
    while (g_time < t) {
        // A slice's budget is a signed 32-bit cycle count: a far instant is
        // reached in several slices, which give the same result as one.
        uint64_t stop = std::min(t, g_time + MAX_SLICE_TICKS);
        for (const auto& fm : g_fm)
            if (fm) stop = std::min(stop, fm->earliest_end());
        if (stop > g_time) {
            if (g_z80_held) {
                g_time = stop;
            } else {
                g_slice_start = g_time;
                const auto budget = static_cast<int32_t>((stop - g_time + 1) / TICKS_PER_CYCLE);
                const int32_t spent = run_slice(budget);
                g_time += static_cast<uint64_t>(spent - g_z80->cut_cycles) * TICKS_PER_CYCLE;
            }
        }
        fire_timers(g_time);
    }
}

void fire_timers(uint64_t t) {
    if (!g_fm[0] || !g_fm[1]) return;
    for (;;) {
        const uint64_t m0 = g_fm[0]->earliest_end();
        const uint64_t m1 = g_fm[1]->earliest_end();
        if (std::min(m0, m1) > t) return;
        fm_chip& fm = m1 < m0 ? *g_fm[1] : *g_fm[0];
        const uint64_t limit = fm.earliest_end();
        do {
            const uint32_t tnum = fm.timer_end[1] < fm.timer_end[0] ? 1 : 0;
            const uint64_t end = fm.timer_end[tnum];
            fm.timer_end[tnum] = NO_TIME;
            // The samples up to the expiry come before its effect.
            fm_catch_up(fm, fm_due(end));
            // A timer the expiry re-arms counts from its own end, so periodic
            // timers keep an exact period however late they are noticed.
            g_now_override = end;
            fm.engine()->engine_timer_expired(tnum);
            g_now_override = NO_TIME;
        } while (fm.earliest_end() <= limit);
    }
}

void on_sound_irq(bool asserted, uint8_t vector) {
    g_vector = vector;
    if (g_model.enabled) {
        g_model.irq_level = asserted;
        return;
    }
    if (g_z80) g_z80->execute_set_input(orbs::z80_device::INPUT_LINE_IRQ0, asserted ? 1 : 0);
}

void on_sound_reset(bool held) {
    if (held && !g_z80_held && g_z80) {
        g_z80->device_reset();
        model_z80_reset();
    }
    g_z80_held = held;
}

// ---------------------------------------------------------------- FM glue

fm_chip::fm_chip(int chip_index) : index(chip_index), chip(*this) {}

void fm_chip::ymfm_set_timer(uint32_t tnum, int32_t duration_in_clocks) {
    if (duration_in_clocks < 0) {
        timer_end[tnum & 1] = NO_TIME;
        return;
    }
    const uint64_t now = sound_now();
    const uint64_t end = now + static_cast<uint64_t>(duration_in_clocks) * TICKS_PER_CYCLE;
    timer_end[tnum & 1] = end;
    if (!g_running || g_now_override != NO_TIME || g_model.enabled) return;

    // Armed inside a slice: cut the slice so the Z80 stops at (or just after)
    // the expiry and its interrupt lands on the right cycle.
    const uint64_t planned_end = g_slice_start + static_cast<uint64_t>(g_slice_budget) * TICKS_PER_CYCLE;
    if (end >= planned_end) return;
    const int64_t needed = end > now ? static_cast<int64_t>((end - now + 1) / TICKS_PER_CYCLE) : 0;
    const int64_t excess = int64_t{g_z80->cycle_budget} - needed;
    if (excess <= 0) return;
    const auto cut = static_cast<int32_t>(excess);
    g_z80->cycle_budget -= cut;
    g_slice_budget -= cut;
    g_z80->cut_cycles += cut;
}

void fm_chip::ymfm_set_busy_end(uint32_t clocks) {
    busy_end = sound_now() + uint64_t{clocks} * TICKS_PER_CYCLE;
}

bool fm_chip::ymfm_is_busy() { return busy_end > sound_now(); }

void fm_chip::ymfm_update_irq(bool asserted) {
    // Only chip 0's interrupt output is wired, as source id 0.
    if (index != 0) return;
    if (asserted)
        orb_sound_signal_irq(0);
    else
        orb_sound_clear_irq(0);
}

void fm_catch_up(fm_chip& fm, uint64_t n) {
    samples& fifo = g_fm_samples[fm.index];
    while (fm.samples_generated < n) {
        orbfm::fm_output out;
        fm.chip.generate(&out, 1);
        fifo.data.push_back(out.data[0]);
        fifo.data.push_back(out.data[1]);
        ++fm.samples_generated;
    }
}

uint8_t fm_read(int chip, int port) { return g_fm[chip]->chip.read(static_cast<uint32_t>(port)); }

void fm_write(int chip, int port, uint8_t value) {
    fm_chip& fm = *g_fm[chip];
    fm_catch_up(fm, fm_due(sound_now()));
    log_write(chip == 0 ? "fm0" : "fm1", static_cast<unsigned>(port), value);
    fm.chip.write(static_cast<uint32_t>(port), value);
}

void log_write(const char* row, unsigned reg, uint8_t value) {
    if (!g_write_log) return;
    std::fprintf(g_write_log, "%llu %s %X %02X\n", static_cast<unsigned long long>(sound_now()), row, reg,
                 value);
}

// ---------------------------------------------------------------- PCM glue

pcm_chip::pcm_chip(const orbs::machine_config& config)
    : rf5c68_device(config, orbs::RF5C68, "rfsnd", nullptr, PCM_CLOCK, 10) {
    spaces[0].read = [](uint32_t a) { return orb_board.pcm_ram[a & 0xFFFF]; };
    spaces[0].write = [](uint32_t a, uint8_t v) { orb_board.pcm_ram[a & 0xFFFF] = v; };
    stream.update = [this] { catch_up_to(pcm_due(sound_now())); };
}

void pcm_chip::catch_up_to(uint64_t due) {
    if (samples_generated >= due) return;
    const auto n = static_cast<int32_t>(due - samples_generated);
    stream.sample_count = n;
    stream.left.assign(static_cast<size_t>(n), 0);
    stream.right.assign(static_cast<size_t>(n), 0);
    sound_stream_update(stream);
    std::vector<int32_t>& fifo = g_pcm_samples.data;
    fifo.reserve(fifo.size() + 2 * static_cast<size_t>(n));
    for (int32_t j = 0; j < n; ++j) {
        fifo.push_back(stream.left[static_cast<size_t>(j)]);
        fifo.push_back(stream.right[static_cast<size_t>(j)]);
    }
    samples_generated = due;
}

void pcm_write(int reg, uint8_t value) {
    log_write("pcm", static_cast<unsigned>(reg), value);
    g_pcm->rf5c68_w(static_cast<uint32_t>(reg), value);
}

uint8_t pcm_memory_read(int offset) { return g_pcm->rf5c68_mem_r(static_cast<uint32_t>(offset)); }

void pcm_memory_write(int offset, uint8_t value) {
    log_write("pcm_memory", static_cast<unsigned>(offset), value);
    g_pcm->rf5c68_mem_w(static_cast<uint32_t>(offset), value);
}

// ---------------------------------------------------------------- frame end

uint64_t take(samples& fifo, uint64_t count, uint64_t hash, std::vector<int32_t>& out) {
    const uint64_t want = count - fifo.taken;
    const uint64_t have = fifo.data.size() / 2;
    const auto values = static_cast<std::ptrdiff_t>(2 * std::min(want, have));
    out.assign(fifo.data.begin(), fifo.data.begin() + values);
    fifo.data.erase(fifo.data.begin(), fifo.data.begin() + values);
    fifo.taken += static_cast<uint64_t>(values / 2);
    return orb_fnv1a(hash, out.data(), out.size() * sizeof(int32_t));
}

void mix(const std::vector<int32_t>& fm0, const std::vector<int32_t>& fm1, const std::vector<int32_t>& pcm,
         std::vector<int16_t>& out) {
    const uint64_t n = std::min(fm0.size(), fm1.size()) / 2;
    const uint64_t m = pcm.size() / 2;
    out.resize(2 * n);
    // PCM frame floor(i × m / n) is held across the output frames, without
    // interpolation; the product is kept as a running sum.
    uint64_t pcm_pos = 0;
    for (uint64_t i = 0; i < n; ++i, pcm_pos += m) {
        const uint64_t j = m ? pcm_pos / n : 0;
        for (uint64_t ch = 0; ch < 2; ++ch) {
            const auto fm_sum = static_cast<int32_t>(static_cast<uint32_t>(fm0[2 * i + ch]) +
                                                     static_cast<uint32_t>(fm1[2 * i + ch]));
            const double fm_term = static_cast<double>(fm_sum) * 0.3;
            const double pcm_term = m ? static_cast<double>(pcm[2 * j + ch]) * 0.4 : 0.0;
            const double v = fm_term + pcm_term;
            int16_t s;
            if (v >= 32767.0)
                s = 32767;
            else if (v > -32768.0)
                s = static_cast<int16_t>(v);  // truncated toward zero, never rounded
            else
                s = -32768;
            out[2 * i + ch] = s;
        }
    }
}

}  // namespace orbsound

using namespace orbsound;

// ---------------------------------------------------------------- API

void orbs_attach() {
    {
        auto z80 = std::make_unique<orbs::sound_cpu>(g_config, "z80", nullptr, Z80_CLOCK);
        z80->cut_cycles = 0;
        g_z80 = std::move(z80);
    }
    wire_z80(*g_z80);
    g_z80->device_start();
    g_z80->device_reset();

    for (int i = 0; i < 2; ++i) {
        auto fm = std::make_unique<fm_chip>(i);
        // A rebuilt chip carries on its FIFO's count, so the next catch-up
        // renders from where the old chip stopped instead of from tick 0.
        fm->samples_generated = g_fm_samples[i].total();
        fm->chip.reset();
        g_fm[i] = std::move(fm);
    }

    {
        auto pcm = std::make_unique<pcm_chip>(g_config);
        pcm->samples_generated = g_pcm_samples.total();
        g_pcm = std::move(pcm);
    }
    g_pcm->device_start();

    auto& b = orb_board;
    b.callbacks.fm_read = fm_read;
    b.callbacks.fm_write = fm_write;
    b.callbacks.pcm_write = pcm_write;
    b.callbacks.pcm_memory_read = pcm_memory_read;
    b.callbacks.pcm_memory_write = pcm_memory_write;
    b.callbacks.time_passes = on_time_passes;
    b.callbacks.sound_irq = on_sound_irq;
    b.callbacks.sound_reset = on_sound_reset;

    g_time = b.now;
    g_model.time = b.now;
}

void orbs_end_frame(uint64_t t) {
    if (!g_pcm) return;  // nothing attached: no chips, no samples
    on_time_passes(t);
    const uint64_t last = fm_due(t);
    fm_catch_up(*g_fm[0], last);
    fm_catch_up(*g_fm[1], last);
    const uint64_t due = pcm_due(t);
    g_pcm->catch_up_to(due);

    // Reused between frames: only their contents belong to one frame end.
    static std::vector<int32_t> fm0_frames, fm1_frames, pcm_frames;
    uint64_t h = take(g_fm_samples[0], last, ORB_FNV_OFFSET, fm0_frames);
    h = take(g_fm_samples[1], last, h, fm1_frames);
    h = take(g_pcm_samples, due, h, pcm_frames);
    g_frame_samples_hash = h;
    mix(fm0_frames, fm1_frames, pcm_frames, g_mix);
}

const int16_t* orbs_frame_mix(uint64_t* frames) {
    if (frames) *frames = g_mix.size() / 2;
    return g_mix.data();
}

unsigned orbs_mix_rate() { return MIX_RATE; }

uint64_t orbs_frame_samples_hash() { return g_frame_samples_hash; }

uint64_t orbs_state_hash() {
    // Shared-RAM offsets 0x1E00-0x1EFF (the Z80's stack page) stay out of it.
    uint64_t h = orb_fnv1a(ORB_FNV_OFFSET, orb_board.shared_ram, 0x1E00);
    h = orb_fnv1a(h, orb_board.shared_ram + 0x1F00, 0x100);
    return orb_fnv1a(h, orb_board.pcm_ram, sizeof orb_board.pcm_ram);
}

void orbs_log_writes(std::FILE* file) { g_write_log = file; }

uint64_t orbs_z80_cycles() { return g_z80_cycles; }

const uint8_t* orbs_executed() { return g_executed; }
