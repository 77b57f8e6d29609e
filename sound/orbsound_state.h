// The sound board's own state and glue, shared by its units (assembly and
// scheduler, block-timing model) and open to its tests. Nothing outside the
// sound board uses it; the host goes through orbsound.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "sound/fm/ym3438.h"
#include "sound/pcm.h"
#include "sound/z80/z80.h"

namespace orbsound {

// Board ticks: one Z80 cycle and one FM clock are 2 ticks, one FM sample 288.
constexpr uint64_t TICKS_PER_CYCLE = 2;
constexpr uint64_t TICKS_PER_FM_SAMPLE = 288;
constexpr uint64_t NO_TIME = ~uint64_t{0};
constexpr uint32_t Z80_CLOCK = 8'053'975;
constexpr uint32_t PCM_CLOCK = 12'500'000;
constexpr unsigned MIX_RATE = 55'930;

// FM samples due by tick t.
constexpr uint64_t fm_due(uint64_t t) { return (t + TICKS_PER_FM_SAMPLE - 1) / TICKS_PER_FM_SAMPLE; }
// PCM samples due by tick t: ceil(t × 12,500,000 / (16,107,950 × 384)).
uint64_t pcm_due(uint64_t t);

// One chip's output FIFO: stereo frames, left then right, and the count of
// frames the frame end has taken so far.
struct samples {
    std::vector<int32_t> data;
    uint64_t taken = 0;
    uint64_t total() const { return taken + data.size() / 2; }
};

class fm_chip : public orbfm::fm_interface {
public:
    explicit fm_chip(int chip_index);
    ~fm_chip() override = default;

    void ymfm_set_timer(uint32_t tnum, int32_t duration_in_clocks) override;
    void ymfm_set_busy_end(uint32_t clocks) override;
    bool ymfm_is_busy() override;
    void ymfm_update_irq(bool asserted) override;

    uint64_t earliest_end() const { return timer_end[0] < timer_end[1] ? timer_end[0] : timer_end[1]; }

    int index;
    orbfm::ym3438 chip;
    uint64_t samples_generated = 0;
    uint64_t timer_end[2] = {NO_TIME, NO_TIME};
    uint64_t busy_end = 0;
};

class pcm_chip : public orbs::rf5c68_device {
public:
    explicit pcm_chip(const orbs::machine_config& config);
    ~pcm_chip() override = default;

    // Renders every sample due before `due` and appends it to the PCM FIFO.
    void catch_up_to(uint64_t due);

    uint64_t samples_generated = 0;
};

struct block_timing {
    int32_t cycles = 0;
    uint16_t branch_pc = 0;
    uint8_t branch_length = 0;
    int32_t taken_extra = 0;
};

struct timing_model {
    bool enabled = false;
    std::map<uint16_t, block_timing> blocks;
    std::set<uint16_t> repeats;
    uint16_t loop_pc = 0;
    uint16_t irq_pc = 0;
    uint64_t time = 0;
    uint64_t block_start = 0;
    uint64_t target = 0;
    bool done = false;
    bool parked = false;
    bool irq_level = false;
    int32_t last_pc = -1;
    uint8_t last_opcode = 0;
    const block_timing* block = nullptr;
    // A call that ran out of slices without parking has been reported.
    bool stall_reported = false;
};

// Module state, constructed in this order and destroyed in reverse.
extern timing_model g_model;
extern std::unique_ptr<orbs::sound_cpu> g_z80;
extern samples g_fm_samples[2];
extern samples g_pcm_samples;
extern std::vector<int16_t> g_mix;
extern std::unique_ptr<fm_chip> g_fm[2];
extern std::unique_ptr<pcm_chip> g_pcm;

extern uint64_t g_frame_samples_hash;
extern std::FILE* g_write_log;
extern uint8_t g_executed[8192];
extern uint64_t g_z80_cycles;

// Scheduler.
extern uint64_t g_time;
extern uint64_t g_slice_start;
extern int32_t g_slice_budget;
extern bool g_running;
extern uint8_t g_vector;
extern bool g_z80_held;
extern uint64_t g_now_override;

uint64_t sound_now();
void on_time_passes(uint64_t t);
void fire_timers(uint64_t t);
void on_sound_irq(bool asserted, uint8_t vector);
void on_sound_reset(bool held);

// FM and PCM glue (the board's chip callbacks).
void fm_catch_up(fm_chip& chip, uint64_t n);
uint8_t fm_read(int chip, int port);
void fm_write(int chip, int port, uint8_t value);
void pcm_write(int reg, uint8_t value);
uint8_t pcm_memory_read(int offset);
void pcm_memory_write(int offset, uint8_t value);
void log_write(const char* row, unsigned reg, uint8_t value);

// Frame end: moves the FIFO's frames up to `count` into `out` and returns the
// FNV-1a 64 hash carried on over their bytes.
uint64_t take(samples& fifo, uint64_t count, uint64_t hash, std::vector<int32_t>& out);
void mix(const std::vector<int32_t>& fm0, const std::vector<int32_t>& fm1, const std::vector<int32_t>& pcm,
         std::vector<int16_t>& out);

// Block-timing model.
void on_instruction(uint32_t pc);
void model_time_passes(uint64_t t);
void model_z80_reset();
// Runs one slice of `budget` cycles; returns the cycles spent (cut included).
int32_t run_slice(int32_t budget);

}  // namespace orbsound
