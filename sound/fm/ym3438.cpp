#include "sound/fm/ym3438.h"

#include <cmath>
#include <numbers>

#include "sound/fm/fm_tables.h"

namespace orbfm {

namespace {

std::array<uint16_t, 256> make_log_sin() {
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        double s = std::sin((2.0 * i + 1.0) * std::numbers::pi / 1024.0);
        t[i] = static_cast<uint16_t>(std::lround(-std::log2(s) * 256.0));
    }
    return t;
}

std::array<uint16_t, 256> make_exp() {
    std::array<uint16_t, 256> t{};
    for (int j = 0; j < 256; ++j)
        t[j] = static_cast<uint16_t>(std::lround(1024.0 * std::exp2((255 - j) / 256.0)));
    return t;
}

// Envelope increments per rate and step index. Rates below 48 step by 0 or
// 1 in one of four patterns; 48-59 double a base of 1, 2 or 4 in a second
// set of patterns; 60-63 always add 8.
constexpr std::array<std::array<uint8_t, 8>, 64> make_increments() {
    constexpr uint8_t low[4][8] = {{0, 1, 0, 1, 0, 1, 0, 1},
                                   {0, 1, 0, 1, 1, 1, 0, 1},
                                   {0, 1, 1, 1, 0, 1, 1, 1},
                                   {0, 1, 1, 1, 1, 1, 1, 1}};
    constexpr uint8_t high[4][8] = {{0, 0, 0, 0, 0, 0, 0, 0},
                                    {0, 0, 0, 1, 0, 0, 0, 1},
                                    {0, 1, 0, 1, 0, 1, 0, 1},
                                    {0, 1, 1, 1, 0, 1, 1, 1}};
    std::array<std::array<uint8_t, 8>, 64> t{};
    for (int rate = 0; rate < 64; ++rate) {
        for (int i = 0; i < 8; ++i) {
            uint8_t v = 0;
            if (rate < 2)
                v = 0;
            else if (rate < 6)
                v = low[0][i];
            else if (rate < 8)
                v = low[2][i];
            else if (rate < 48)
                v = low[rate % 4][i];
            else if (rate < 60)
                v = static_cast<uint8_t>((1 << ((rate - 48) / 4)) * (1 + high[rate % 4][i]));
            else
                v = 8;
            t[rate][i] = v;
        }
    }
    return t;
}

constexpr auto kIncrements = make_increments();
static_assert(kIncrements[7][3] == 1 && kIncrements[7][4] == 0);
static_assert(kIncrements[49][3] == 2 && kIncrements[53][7] == 4 && kIncrements[59][0] == 4);
static_assert(kIncrements[59][1] == 8 && kIncrements[48][7] == 1 && kIncrements[62][0] == 8);

// Detune in phase-step units per keycode and DT & 3.
constexpr uint8_t kDetune[32][4] = {
    {0, 0, 1, 2},   {0, 0, 1, 2},   {0, 0, 1, 2},   {0, 0, 1, 2},   {0, 1, 2, 2},   {0, 1, 2, 3},
    {0, 1, 2, 3},   {0, 1, 2, 3},   {0, 1, 2, 4},   {0, 1, 3, 4},   {0, 1, 3, 4},   {0, 1, 3, 5},
    {0, 2, 4, 5},   {0, 2, 4, 6},   {0, 2, 4, 6},   {0, 2, 5, 7},   {0, 2, 5, 8},   {0, 3, 6, 8},
    {0, 3, 6, 9},   {0, 3, 7, 10},  {0, 4, 8, 11},  {0, 4, 8, 12},  {0, 4, 9, 13},  {0, 5, 10, 14},
    {0, 5, 11, 16}, {0, 6, 12, 17}, {0, 6, 13, 19}, {0, 7, 14, 20}, {0, 8, 16, 22}, {0, 8, 16, 22},
    {0, 8, 16, 22}, {0, 8, 16, 22}};

// PM: two right shifts of the top seven fnum bits per PMS (0-5) and |PM|;
// a shift of 7 contributes nothing.
struct shift_pair {
    uint8_t a, b;
};
constexpr shift_pair kPmShifts[6][8] = {{{7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}},
                                        {{7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 2}, {7, 2}, {7, 2}, {7, 2}},
                                        {{7, 7}, {7, 7}, {7, 7}, {7, 2}, {7, 2}, {7, 2}, {1, 7}, {1, 7}},
                                        {{7, 7}, {7, 7}, {7, 2}, {7, 2}, {1, 7}, {1, 7}, {1, 2}, {1, 2}},
                                        {{7, 7}, {7, 7}, {7, 2}, {1, 7}, {1, 7}, {1, 7}, {1, 2}, {0, 7}},
                                        {{7, 7}, {7, 7}, {1, 7}, {1, 2}, {0, 7}, {0, 7}, {0, 2}, {0, 1}}};

// LFO: samples per step of the low counter byte, per rate.
constexpr uint32_t kLfoLimit[8] = {109, 78, 72, 68, 63, 45, 9, 6};

// Register slot offsets of op1..op4 (algorithm order).
constexpr uint32_t kSlot[4] = {0x0, 0x8, 0x4, 0xC};

// Channel-3 special mode: low-byte register of op1..op4's own frequency
// (the block/high byte sits 4 above).
constexpr uint32_t kSpecialFreq[4] = {0xA9, 0xAA, 0xA8, 0xA2};

constexpr uint32_t phase_step(uint32_t fnum, uint32_t block, int32_t detune, uint32_t mul,
                              int32_t pm_adjust) {
    uint32_t f = (fnum * 2 + static_cast<uint32_t>(pm_adjust)) & 0xFFF;
    uint32_t s = (f << block) >> 2;
    // A negative detune at the lowest frequencies wraps within 17 bits.
    s = (s + static_cast<uint32_t>(detune)) & 0x1FFFF;
    return (s * mul) >> 1;
}
static_assert(phase_step(0, 0, -2, 2, 0) == 0x1FFFE);

int32_t pm_adjust(uint32_t fnum, uint32_t pms, int32_t raw_pm) {
    uint32_t top = fnum >> 4;
    uint32_t mag = static_cast<uint32_t>(raw_pm < 0 ? -raw_pm : raw_pm);
    const shift_pair& sp = kPmShifts[pms > 5 ? 5 : pms][mag];
    int32_t base = static_cast<int32_t>((top >> sp.a) + (top >> sp.b));
    if (pms == 6)
        base *= 2;
    else if (pms == 7)
        base *= 4;
    int32_t adj = base >> 2;
    return raw_pm < 0 ? -adj : adj;
}

inline int32_t clamp_channel(int32_t v) { return v < -257 ? -257 : (v > 256 ? 256 : v); }

}  // namespace

const std::array<uint16_t, 256> kLogSin = make_log_sin();
const std::array<uint16_t, 256> kExp = make_exp();

namespace {

// The wave tables expanded for speed: the log-sine over a half wave (the
// mirror of the second quarter folded in) and the exponent with its shift
// folded in, indexed by the whole log-domain total.
constexpr uint32_t kMaxTotal = 2137 + 4 * 0x3FF;

struct wave_tables {
    uint16_t half_sin[512];
    uint16_t power[kMaxTotal + 1];
};

wave_tables make_wave_tables() {
    wave_tables t{};
    for (uint32_t p = 0; p < 512; ++p) t.half_sin[p] = kLogSin[(p & 0x100) ? 0xFF - (p & 0xFF) : p];
    for (uint32_t total = 0; total <= kMaxTotal; ++total)
        t.power[total] = static_cast<uint16_t>((4u * kExp[total & 0xFF]) >> (total >> 8));
    return t;
}

const wave_tables kWave = make_wave_tables();

// One operator's wave at 10-bit phase p and final attenuation e: the
// log-sine of the half wave, the attenuation added in the log domain, back
// through the exponent, and the sign from phase bit 9.
inline int32_t op_wave(uint32_t p, uint32_t e) {
    int32_t mag = kWave.power[kWave.half_sin[p & 0x1FF] + (e << 2)];
    int32_t sign = -static_cast<int32_t>((p >> 9) & 1);
    return (mag ^ sign) - sign;
}

}  // namespace

// ---------------------------------------------------------------- engine

fm_engine::fm_engine(fm_interface& intf) : m_intf(intf) { m_intf.m_engine = this; }

fm_engine::~fm_engine() {
    if (m_intf.m_engine == this) m_intf.m_engine = nullptr;
}

void fm_engine::reset() {
    m_flags = 0;
    set_irq_from_flags();
    m_regs.fill(0);
    for (uint32_t r : {0x0B4u, 0x0B5u, 0x0B6u, 0x1B4u, 0x1B5u, 0x1B6u}) m_regs[r] = 0xC0;
    for (auto& bank : m_latch)
        for (auto& l : bank) l = latch{0, false};
    m_modified = true;
    mode_write(0);
    for (auto& ch : m_ch) {
        ch.fb0 = ch.fb1 = ch.op1_out = 0;
        for (auto& op : ch.op) {
            op.phase = 0;
            op.att = 0x3FF;
            op.state = RELEASE;
            op.ssg_inv = false;
            op.key_on = false;
            op.key_req = false;
            op.csm_req = false;
        }
    }
}

void fm_engine::write(uint32_t reg, uint8_t data) {
    reg &= 0x1FF;
    // Any register write, even one that changes nothing, makes the next
    // sample re-derive every operator's parameters and key state.
    m_modified = true;
    uint32_t low = reg & 0xFF;
    if (reg == 0x27) {
        m_regs[reg] = data;
        mode_write(data);
        return;
    }
    if (low >= 0xA0 && low <= 0xAF) {
        frequency_write(reg, data);
        return;
    }
    if (low >= 0xB8 && low <= 0xBF) return;
    m_regs[reg] = data;
    if (reg == 0x28) {
        uint32_t chnum = data & 3;
        if (chnum == 3) return;
        if (data & 4) chnum += 3;
        for (int k = 0; k < kOperators; ++k) m_ch[chnum].op[k].key_req = (data >> (4 + k)) & 1;
    }
}

// The high frequency byte goes through a latch shared by the bank's
// channels and only lands, together with the low byte, when the low byte
// is written; a low byte with nothing latched is dropped.
void fm_engine::frequency_write(uint32_t reg, uint8_t data) {
    uint32_t low = reg & 0xFF;
    if ((low & 3) == 3) return;
    latch& l = m_latch[reg >> 8][(low >> 3) & 1];
    if (low & 4) {
        l.value = data & 0x3F;
        l.pending = true;
        return;
    }
    if (!l.pending) return;
    m_regs[reg] = data;
    m_regs[reg + 4] = l.value;
    l.pending = false;
}

uint8_t fm_engine::status() const { return m_flags; }

void fm_engine::set_irq_from_flags() {
    bool level = (m_flags & 3) != 0;
    if (level != m_irq) {
        m_irq = level;
        m_intf.ymfm_update_irq(level);
    }
}

void fm_engine::arm_timer_a() {
    uint32_t ta = (static_cast<uint32_t>(m_regs[0x24]) << 2) | (m_regs[0x25] & 3);
    m_intf.ymfm_set_timer(0, static_cast<int32_t>((1024 - ta) * kClocksPerSample));
}

// Timer B counts in steps of 16 samples on a free-running prescaler, so the
// first period after a load ends at the next multiple of 16 samples.
void fm_engine::arm_timer_b(uint32_t adjust) {
    uint32_t period = 16 * (256 - static_cast<uint32_t>(m_regs[0x26])) - adjust;
    m_intf.ymfm_set_timer(1, static_cast<int32_t>(period * kClocksPerSample));
}

void fm_engine::mode_write(uint8_t data) {
    m_flags &= static_cast<uint8_t>(~((data >> 4) & 3));
    set_irq_from_flags();
    if (data & 2) {
        if (!m_timer_running[1]) {
            arm_timer_b(m_samples % 16);
            m_timer_running[1] = true;
        }
    } else {
        m_intf.ymfm_set_timer(1, -1);
        m_timer_running[1] = false;
    }
    if (data & 1) {
        if (!m_timer_running[0]) {
            arm_timer_a();
            m_timer_running[0] = true;
        }
    } else {
        m_intf.ymfm_set_timer(0, -1);
        m_timer_running[0] = false;
    }
}

void fm_engine::engine_timer_expired(uint32_t tnum) {
    uint8_t mode = m_regs[0x27];
    if (tnum == 0 && (mode & 4)) {
        m_flags |= 1;
        set_irq_from_flags();
    } else if (tnum == 1 && (mode & 8)) {
        m_flags |= 2;
        set_irq_from_flags();
    }
    // CSM: every timer-A expiry keys channel 3 on, whether or not the
    // flag is enabled.
    if (tnum == 0 && (mode >> 6) == 2) {
        for (auto& op : m_ch[2].op) op.csm_req = true;
        m_modified = true;
    }
    if (tnum == 0)
        arm_timer_a();
    else
        arm_timer_b(0);
}

// ---------------------------------------------------------------- prepare

void fm_engine::prepare() {
    bool lfo_on = (m_regs[0x22] & 8) != 0;
    m_any_ssg = false;
    for (int c = 0; c < kChannels; ++c) {
        channel_state& ch = m_ch[c];
        uint32_t reg = (c >= 3 ? 0x100 : 0) + c % 3;
        uint8_t fb_alg = m_regs[0xB0 + reg];
        uint8_t pan = m_regs[0xB4 + reg];
        uint32_t fb = (fb_alg >> 3) & 7;
        ch.fb_shift = static_cast<uint8_t>(fb ? 10 - fb : 0);
        ch.alg = fb_alg & 7;
        ch.left = (pan & 0x80) != 0;
        ch.right = (pan & 0x40) != 0;
        static constexpr uint8_t kAmShift[4] = {7, 3, 1, 0};
        ch.am_shift = kAmShift[(pan >> 4) & 3];
        ch.pms = pan & 7;
        ch.pm = lfo_on && ch.pms != 0;
        ch.pm_for = kNoPm;
        bool active = false;
        for (int k = 0; k < kOperators; ++k) {
            prepare_operator(ch, c, k);
            const op_state& op = ch.op[k];
            active |= !(op.state == RELEASE && op.att >= 0x380);
        }
        ch.active = active;
    }
    m_modified = false;
    m_prepare_count = 0;
}

void fm_engine::prepare_operator(channel_state& ch, int chnum, int opnum) {
    op_state& op = ch.op[opnum];
    uint32_t bank = chnum >= 3 ? 0x100 : 0;
    uint32_t c = static_cast<uint32_t>(chnum % 3);
    uint32_t opreg = bank + c + kSlot[opnum];

    uint32_t freq_lo = bank + 0xA0 + c;
    if (chnum == 2 && (m_regs[0x27] & 0xC0)) freq_lo = kSpecialFreq[opnum];
    uint8_t hi = m_regs[freq_lo + 4];
    op.fnum = static_cast<uint16_t>(((hi & 7) << 8) | m_regs[freq_lo]);
    op.block = (hi >> 3) & 7;
    uint32_t f11 = (op.fnum >> 10) & 1, f10 = (op.fnum >> 9) & 1;
    uint32_t f9 = (op.fnum >> 8) & 1, f8 = (op.fnum >> 7) & 1;
    uint32_t n = (f11 & (f10 | f9 | f8)) | ((f11 ^ 1) & f10 & f9 & f8);
    uint32_t keycode = op.block * 4u + f11 * 2 + n;

    uint8_t dt_mul = m_regs[0x30 + opreg];
    uint32_t dt = (dt_mul >> 4) & 7;
    int32_t detune = kDetune[keycode][dt & 3];
    op.detune = static_cast<int8_t>((dt & 4) ? -detune : detune);
    uint32_t mul = dt_mul & 15;
    op.mul = static_cast<uint8_t>(mul ? mul * 2 : 1);
    op.step = phase_step(op.fnum, op.block, op.detune, op.mul, 0);

    op.tl8 = static_cast<uint16_t>((m_regs[0x40 + opreg] & 0x7F) << 3);
    uint8_t ks_ar = m_regs[0x50 + opreg];
    uint8_t am_dr = m_regs[0x60 + opreg];
    uint8_t sr = m_regs[0x70 + opreg] & 31;
    uint8_t sl_rr = m_regs[0x80 + opreg];
    uint8_t ssg = m_regs[0x90 + opreg];
    uint32_t ksr = keycode >> (3 - (ks_ar >> 6));
    auto rate = [ksr](uint32_t raw) -> uint8_t {
        if (raw == 0) return 0;
        uint32_t r = raw + ksr;
        return static_cast<uint8_t>(r > 63 ? 63 : r);
    };
    op.rate[ATTACK] = rate(2u * (ks_ar & 31));
    op.rate[DECAY] = rate(2u * (am_dr & 31));
    op.rate[SUSTAIN] = rate(2u * sr);
    op.rate[RELEASE] = rate(4u * (sl_rr & 15) + 2);
    uint32_t sl = sl_rr >> 4;
    op.sustain = static_cast<uint16_t>(sl == 15 ? 0x3E0 : sl * 32);
    op.am_mask = (am_dr & 0x80) ? 0xFFFF : 0;
    op.ssg = (ssg & 8) ? static_cast<uint8_t>(8 | (ssg & 7)) : 0;

    bool wanted = op.key_req || op.csm_req;
    if (wanted != op.key_on) {
        op.key_on = wanted;
        if (wanted)
            start_attack(op, true);
        else
            start_release(op);
    }
    op.csm_req = false;
    // Without SSG-EG the inversion is off; clearing it here, after the key
    // change has used it, spares a store per operator and sample.
    if (!op.ssg) op.ssg_inv = false;
    m_any_ssg |= op.ssg != 0;
}

// ---------------------------------------------------------------- envelope

void fm_engine::start_attack(op_state& op, bool key_on) {
    if (op.state == ATTACK) return;
    op.state = ATTACK;
    if (key_on) {
        op.ssg_inv = (op.ssg & 8) && (op.ssg & 4);
        op.phase = 0;
    }
    if (op.rate[ATTACK] >= 62) op.att = 0;
}

void fm_engine::start_release(op_state& op) {
    if (op.state == RELEASE) return;
    op.state = RELEASE;
    if (op.ssg_inv) {
        op.att = static_cast<uint16_t>((0x200 - op.att) & 0x3FF);
        op.ssg_inv = false;
    }
}

void fm_engine::clock_ssg(op_state& op) {
    if (!(op.att & 0x200)) return;
    uint32_t mode = op.ssg & 7;
    if (mode & 1) {
        op.ssg_inv = ((mode >> 2) ^ (mode >> 1)) & 1;
        if (op.state != ATTACK) op.att = op.ssg_inv ? 0x200 : 0x3FF;
    } else {
        op.ssg_inv ^= (mode >> 1) & 1;
        if (op.state == DECAY || op.state == SUSTAIN) start_attack(op, false);
        if (!(mode & 2)) op.phase = 0;
    }
    if (op.state == RELEASE) op.att = 0x3FF;
}

void fm_engine::clock_envelope(op_state& op) {
    if (op.state == ATTACK && op.att == 0) op.state = DECAY;
    if (op.state == DECAY && op.att >= op.sustain) op.state = SUSTAIN;
    uint32_t rate = op.rate[op.state];
    uint32_t sh = rate >> 2;
    uint32_t t = m_eg_ticks;
    uint32_t index = t & 7;
    if (sh < 11) {
        // Slow rates step only on every 2^(11 - sh)-th tick.
        uint32_t s = 11 - sh;
        if (t & ((1u << s) - 1)) return;
        index = (t >> s) & 7;
    }
    int32_t inc = kIncrements[rate][index];
    int32_t att = op.att;
    if (op.state == ATTACK) {
        // Rates 62 and 63 act only when the attack starts.
        if (rate < 62) att += (-(att + 1) * inc) >> 4;
    } else {
        if (!op.ssg)
            att += inc;
        else if (att < 0x200)
            att += 4 * inc;
        if (att >= 0x400) att = 0x3FF;
    }
    op.att = static_cast<uint16_t>(att);
}

// Under PM the phase steps follow the LFO's PM value, which changes at
// most every 20 samples: recompute them only when it does.
void fm_engine::update_pm_steps(channel_state& ch) {
    if (ch.pm_for == m_lfo_pm) return;
    ch.pm_for = m_lfo_pm;
    for (auto& op : ch.op)
        op.step = phase_step(op.fnum, op.block, op.detune, op.mul, pm_adjust(op.fnum, ch.pms, m_lfo_pm));
}

void fm_engine::clock_lfo() {
    if (!(m_regs[0x22] & 8)) {
        m_lfo_counter = 0;
        m_lfo_am = 0x3F;
        m_lfo_pm = 0;
        return;
    }
    uint32_t s = m_lfo_counter & 0xFF;
    m_lfo_counter += 1;
    if (s >= kLfoLimit[m_regs[0x22] & 7]) m_lfo_counter += 257 - s;
    uint32_t am = (m_lfo_counter >> 8) & 0x3F;
    if (!(m_lfo_counter & 0x4000)) am ^= 0x3F;
    m_lfo_am = am;
    int32_t p = static_cast<int32_t>((m_lfo_counter >> 10) & 7);
    if (m_lfo_counter & 0x2000) p ^= 7;
    m_lfo_pm = (m_lfo_counter & 0x4000) ? -p : p;
}

// ---------------------------------------------------------------- output

uint32_t fm_engine::op_attenuation(const op_state& op, uint32_t am_offset) const {
    uint32_t e = op.att;
    e = op.ssg_inv ? (0x200 - e) & 0x3FF : e;
    e += am_offset & op.am_mask;
    e += op.tl8;
    e = e > 0x3FF ? 0x3FF : e;
    // An operator whose own envelope is nearly silent is cut to nothing;
    // full attenuation gives exactly 0 out of the wave.
    return op.att > 0x380 ? 0x3FF : e;
}

int32_t fm_engine::compute_channel(channel_state& ch, bool sum_wanted) {
    uint32_t am = (m_lfo_am * 2) >> ch.am_shift;
    auto out = [&](int k, int32_t mod) -> int32_t {
        const op_state& op = ch.op[k];
        uint32_t p = ((op.phase >> 10) + static_cast<uint32_t>(mod)) & 0x3FF;
        return op_wave(p, op_attenuation(op, am));
    };
    int32_t fb = ch.fb_shift ? (ch.fb0 + ch.fb1) >> ch.fb_shift : 0;
    int32_t o1 = out(0, fb);
    ch.op1_out = o1;
    if (!sum_wanted) return 0;
    int32_t o2, o3, o4;
    switch (ch.alg) {
    case 0:
        o2 = out(1, o1 >> 1);
        o3 = out(2, o2 >> 1);
        o4 = out(3, o3 >> 1);
        return o4 >> 5;
    case 1:
        o2 = out(1, 0);
        o3 = out(2, (o1 + o2) >> 1);
        o4 = out(3, o3 >> 1);
        return o4 >> 5;
    case 2:
        o2 = out(1, 0);
        o3 = out(2, o2 >> 1);
        o4 = out(3, (o1 + o3) >> 1);
        return o4 >> 5;
    case 3:
        o2 = out(1, o1 >> 1);
        o3 = out(2, 0);
        o4 = out(3, (o2 + o3) >> 1);
        return o4 >> 5;
    case 4:
        o2 = out(1, o1 >> 1);
        o3 = out(2, 0);
        o4 = out(3, o3 >> 1);
        return clamp_channel((o4 >> 5) + (o2 >> 5));
    case 5:
        o2 = out(1, o1 >> 1);
        o3 = out(2, o1 >> 1);
        o4 = out(3, o1 >> 1);
        return clamp_channel(clamp_channel((o4 >> 5) + (o2 >> 5)) + (o3 >> 5));
    case 6:
        o2 = out(1, o1 >> 1);
        o3 = out(2, 0);
        o4 = out(3, 0);
        return clamp_channel(clamp_channel((o4 >> 5) + (o2 >> 5)) + (o3 >> 5));
    default:
        o2 = out(1, 0);
        o3 = out(2, 0);
        o4 = out(3, 0);
        return clamp_channel(clamp_channel(clamp_channel((o4 >> 5) + (o1 >> 5)) + (o2 >> 5)) + (o3 >> 5));
    }
}

void fm_engine::clock_and_output(int32_t& left, int32_t& right, bool skip_channel6) {
    ++m_samples;
    // Changed registers take effect at the first sample after the write;
    // without writes the parameters are refreshed every 4097 samples.
    if (m_modified || m_prepare_count >= 4096)
        prepare();
    else
        ++m_prepare_count;

    bool eg_tick = false;
    if (++m_eg_sub == 3) {
        m_eg_sub = 0;
        ++m_eg_ticks;
        eg_tick = true;
    }
    clock_lfo();

    // Operators are independent of each other here, and the envelope step
    // never looks at the phase, so the envelope can come after the phase
    // advance; SSG-EG must come before both (it may restart the phase).
    for (auto& ch : m_ch) {
        ch.fb0 = ch.fb1;
        ch.fb1 = ch.op1_out;
        if (ch.pm) update_pm_steps(ch);
        if (m_any_ssg) {
            for (auto& op : ch.op)
                if (op.ssg) clock_ssg(op);
        }
        for (auto& op : ch.op) op.phase += op.step;
    }
    if (eg_tick)
        for (auto& ch : m_ch)
            for (auto& op : ch.op) clock_envelope(op);

    int channels = skip_channel6 ? kChannels - 1 : kChannels;
    for (int c = 0; c < channels; ++c) {
        channel_state& ch = m_ch[c];
        if (!ch.active) continue;
        int32_t v = compute_channel(ch, ch.left || ch.right);
        if (ch.left) left += v;
        if (ch.right) right += v;
    }
}

// ---------------------------------------------------------------- chip

ym3438::ym3438(fm_interface& intf) : m_fm(intf) {}

void ym3438::reset() { m_fm.reset(); }

uint8_t ym3438::read(uint32_t offset) {
    if ((offset & 3) != 0) return 0;
    uint8_t status = m_fm.status();
    if (m_fm.intf().ymfm_is_busy()) status |= 0x80;
    return status;
}

void ym3438::write(uint32_t offset, uint8_t data) {
    switch (offset & 3) {
    case 0: m_address = data; return;
    case 2: m_address = 0x100 | data; return;
    case 1:
        // A data write on the other bank's port is dropped without a trace.
        if (m_address & 0x100) return;
        if (m_address == 0x2A)
            m_dac = (m_dac & 1) | (static_cast<uint32_t>(data ^ 0x80) << 1);
        else if (m_address == 0x2B)
            m_dac_enable = (data & 0x80) != 0;
        else if (m_address == 0x2C)
            m_dac = (m_dac & 0x1FE) | ((data >> 3) & 1);
        else
            m_fm.write(m_address, data);
        break;
    default:
        if (!(m_address & 0x100)) return;
        m_fm.write(m_address, data);
        break;
    }
    m_fm.intf().ymfm_set_busy_end(fm_engine::kBusyClocks);
}

void ym3438::generate(fm_output* output, uint32_t numsamples) {
    for (uint32_t i = 0; i < numsamples; ++i) {
        int32_t left = 0, right = 0;
        if (m_dac_enable) {
            // The DAC replaces channel 6 and follows its pan bits.
            int32_t dac = static_cast<int32_t>(m_dac) - ((m_dac & 0x100) ? 0x200 : 0);
            uint8_t pan = m_fm.reg(0x1B6);
            if (pan & 0x80) left = dac;
            if (pan & 0x40) right = dac;
        }
        m_fm.clock_and_output(left, right, m_dac_enable);
        // The 9-bit sum scaled to the 16-bit range, no clamp.
        output[i].data[0] = left * 128 / 6;
        output[i].data[1] = right * 128 / 6;
    }
}

}  // namespace orbfm
