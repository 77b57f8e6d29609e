// YM3438 FM synthesis: six 4-operator channels, two timers, the DAC of
// channel 6 and the chip's 9-bit output stage. One sample is 144 input
// clocks. The chip knows nothing of the board around it: it reports timers,
// busy time and its interrupt output through an fm_interface the owner
// implements, and the owner calls back engine_timer_expired when a timer
// it armed has run out.
#pragma once

#include <array>
#include <cstdint>

namespace orbfm {

class fm_engine;

// One stereo output sample, left then right.
struct fm_output {
    int32_t data[2];
};

// What the chip asks of its owner. Durations are in input clocks.
class fm_interface {
public:
    virtual ~fm_interface() = default;

    // Arms timer tnum (0 = A, 1 = B) to expire after duration_in_clocks;
    // a negative duration stops it.
    virtual void ymfm_set_timer(uint32_t tnum, int32_t duration_in_clocks) = 0;
    // The chip is busy for the given clocks from now.
    virtual void ymfm_set_busy_end(uint32_t clocks) = 0;
    virtual bool ymfm_is_busy() = 0;
    // The interrupt output changed.
    virtual void ymfm_update_irq(bool asserted) = 0;

    // The engine built over this interface; it takes timer expiries.
    fm_engine* engine() const { return m_engine; }

private:
    friend class fm_engine;
    fm_engine* m_engine = nullptr;
};

// The synthesis engine: register file, timers, envelopes, phases, LFO.
class fm_engine {
public:
    static constexpr int kChannels = 6;
    static constexpr int kOperators = 4;
    static constexpr uint32_t kClocksPerSample = 144;
    static constexpr uint32_t kBusyClocks = 192;

    explicit fm_engine(fm_interface& intf);
    fm_engine(const fm_engine&) = delete;
    fm_engine& operator=(const fm_engine&) = delete;
    ~fm_engine();

    void reset();
    // Writes one FM register: 0x000-0x0FF bank 0, 0x100-0x1FF bank 1.
    void write(uint32_t reg, uint8_t data);
    // Timer flags: bit 0 timer A, bit 1 timer B (the chip adds busy).
    uint8_t status() const;
    // Timer tnum armed through ymfm_set_timer has run out.
    void engine_timer_expired(uint32_t tnum);

    // Advances one sample and adds each computed channel's result
    // (-257..256) to the sides its pan selects. skip_channel6 leaves
    // channel 6 out, its feedback frozen.
    void clock_and_output(int32_t& left, int32_t& right, bool skip_channel6);

    uint8_t reg(uint32_t r) const { return m_regs[r & 0x1FF]; }
    fm_interface& intf() { return m_intf; }

private:
    enum eg_state : uint8_t { ATTACK, DECAY, SUSTAIN, RELEASE };
    static constexpr int32_t kNoPm = 99;

    // Operators start silent, in release, until reset or a key-on.
    struct op_state {
        uint32_t phase = 0;    // accumulator; bits 19..10 are the 10-bit phase
        uint32_t step = 0;     // phase step at the current PM value
        uint16_t att = 0x3FF;  // 0 loud .. 0x3FF silent
        uint16_t tl8 = 0;      // total level << 3
        uint16_t sustain = 0;  // sustain level as an attenuation
        uint16_t fnum = 0;     // 11 bits
        uint16_t am_mask = 0;  // all ones when AM applies, else 0
        uint8_t block = 0;
        uint8_t state = RELEASE;
        uint8_t rate[4] = {};  // effective rate per envelope state
        uint8_t ssg = 0;       // 0 = off, else 8 | mode
        uint8_t mul = 1;       // multiple × 2 (MUL 0 = 1)
        int8_t detune = 0;
        bool ssg_inv = false;
        bool key_on = false;
        bool key_req = false;
        bool csm_req = false;
    };

    struct channel_state {
        op_state op[kOperators];
        int32_t fb0 = 0, fb1 = 0;  // feedback history
        int32_t op1_out = 0;       // last op1 output
        uint8_t fb_shift = 0;      // 10 - FB, or 0 for no feedback
        uint8_t alg = 0;
        uint8_t am_shift = 7;
        uint8_t pms = 0;
        bool pm = false;         // phase steps follow the LFO
        int32_t pm_for = kNoPm;  // PM value the steps were made for
        bool left = false, right = false;
        bool active = false;
    };

    void mode_write(uint8_t data);
    void frequency_write(uint32_t reg, uint8_t data);
    void set_irq_from_flags();
    void arm_timer_a();
    void arm_timer_b(uint32_t adjust);
    void prepare();
    void prepare_operator(channel_state& ch, int chnum, int opnum);
    void clock_lfo();
    void clock_ssg(op_state& op);
    void clock_envelope(op_state& op);
    void update_pm_steps(channel_state& ch);
    void start_attack(op_state& op, bool key_on);
    void start_release(op_state& op);
    int32_t compute_channel(channel_state& ch, bool sum_wanted);
    uint32_t op_attenuation(const op_state& op, uint32_t am_offset) const;

    fm_interface& m_intf;
    std::array<uint8_t, 512> m_regs{};
    channel_state m_ch[kChannels];
    struct latch {
        uint8_t value;
        bool pending;
    };
    latch m_latch[2][2]{};   // [bank][0 = A0-A7, 1 = A8-AF]
    uint32_t m_samples = 0;  // samples since construction (mod 16 used)
    uint32_t m_prepare_count = 0;
    bool m_modified = true;
    bool m_any_ssg = false;  // some operator has SSG-EG enabled
    uint32_t m_eg_sub = 0;
    uint32_t m_eg_ticks = 0;
    uint32_t m_lfo_counter = 0;
    uint32_t m_lfo_am = 0x3F;
    int32_t m_lfo_pm = 0;
    uint8_t m_flags = 0;
    bool m_irq = false;
    bool m_timer_running[2]{};
};

// The chip as seen on its four ports: address/data for bank 0 and bank 1,
// plus the DAC that can replace channel 6.
class ym3438 {
public:
    explicit ym3438(fm_interface& intf);

    void reset();
    // Offset 0 returns the status; 1-3 read 0.
    uint8_t read(uint32_t offset);
    // Offsets 0/2 latch a bank 0/1 address, 1/3 write data to that bank.
    void write(uint32_t offset, uint8_t data);
    // Produces numsamples output samples.
    void generate(fm_output* output, uint32_t numsamples = 1);

private:
    fm_engine m_fm;
    uint32_t m_address = 0;
    uint32_t m_dac = 0;  // 9 bits, two's complement
    bool m_dac_enable = false;
};

}  // namespace orbfm
