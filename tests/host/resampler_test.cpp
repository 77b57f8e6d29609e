// The sound resampler: what a listener hears of a sine fed in the sound
// board's real per-frame counts, and its arithmetic against a plain model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "board/machine.h"
#include "host/resampler.h"

namespace {

constexpr double kRate = 16'107'950.0 / 288;  // the sound board's rate: 55,930.38 Hz
constexpr double kStep = HOST_RESAMPLE_STEP;

// The board's real per-frame counts: game frame n (from 1) ends at line 224 of
// board frame n - 1, and its mix holds the FM samples (one per 288 board
// ticks) due by then that the frame before did not: 797 first, then 932 or 933.
uint64_t samples_due(uint64_t frame) { return (orb_line_start(frame - 1, 224) + 287) / 288; }
uint64_t board_samples(uint64_t frame) {
    return samples_due(frame) - (frame > 1 ? samples_due(frame - 1) : 0);
}

// A run of blocks over a stereo sine (left A·sin, right A·cos) at the board's
// rate, one block a game frame, each frame bringing `count(frame)` frames of
// the sine where the one before stopped.
struct SineRun {
    double hz, amplitude = 20000;
    std::vector<int16_t> out{};  // every block, stereo

    SineRun(double frequency, int blocks, const std::function<uint64_t(uint64_t)>& count) : hz(frequency) {
        host_mixed_buffer mixed{};
        mixed.step = kStep;
        uint64_t made = 0;
        std::vector<int16_t> mix;
        int16_t block[HOST_OUT_FRAMES * 2];
        for (uint64_t frame = 1; frame <= uint64_t(blocks); ++frame) {
            mix.clear();
            for (uint64_t i = count(frame); i > 0; --i, ++made) {
                const double phase = 2 * std::numbers::pi * hz * double(made) / kRate;
                mix.push_back(int16_t(std::lround(amplitude * std::sin(phase))));
                mix.push_back(int16_t(std::lround(amplitude * std::cos(phase))));
            }
            EXPECT_TRUE(host_mixed_append(mixed, mix.data(), mix.size() / 2));
            host_resample(mixed, 1.0, block);
            out.insert(out.end(), block, block + HOST_OUT_FRAMES * 2);
        }
        host_mixed_free(mixed);
    }
};

// One channel of blocks [from, to) against the best-fitting sine of the run's
// frequency at 48,000 Hz (its phase is the resampler's delay): the signal to
// noise ratio, the worst output frame (a skipped input frame shifts the phase
// of all that follows), and the frames that repeat the one before while the
// sine moved by more than `moved`.
struct Heard {
    double snr_db = 0, worst = 0;
    size_t worst_frame = 0, held = 0, first_held = 0;
};

Heard listen(const SineRun& run, int channel, size_t from, size_t to, double moved) {
    const double w = 2 * std::numbers::pi * run.hz / 48000.0;
    const size_t first = from * HOST_OUT_FRAMES, end = to * HOST_OUT_FRAMES;
    auto y = [&](size_t j) { return double(run.out[2 * j + size_t(channel)]); };
    double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0;
    for (size_t j = first; j < end; ++j) {
        const double s = std::sin(w * double(j - first)), c = std::cos(w * double(j - first));
        ss += s * s, cc += c * c, sc += s * c, ys += y(j) * s, yc += y(j) * c;
    }
    const double det = ss * cc - sc * sc, a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
    auto ideal = [&](size_t j) {
        return a * std::sin(w * double(j - first)) + b * std::cos(w * double(j - first));
    };
    Heard h;
    double signal = 0, noise = 0;
    for (size_t j = first; j < end; ++j) {
        const double e = y(j) - ideal(j);
        signal += ideal(j) * ideal(j), noise += e * e;
        if (std::abs(e) > h.worst) h.worst = std::abs(e), h.worst_frame = j;
        if (j > first && y(j) == y(j - 1) && std::abs(ideal(j) - ideal(j - 1)) > moved) {
            if (h.held == 0) h.first_held = j;
            ++h.held;
        }
    }
    h.snr_db = 10 * std::log10(signal / noise);
    return h;
}

// What linear interpolation itself gives up: its error grows with the square
// of the frequency (about A·ω²/8 at worst, ω per input frame), so a 440 Hz
// sine comes through at about 80 dB and a 5 kHz one at about 38 dB. A block
// that skips or holds even one frame costs far more than that.
struct Quality {
    double hz, snr_db, worst;
};
constexpr Quality kQualities[] = {{440, 70, 12}, {5000, 35, 900}};

void expect_clean(const SineRun& run, size_t from, size_t to, const Quality& q) {
    for (int channel = 0; channel < 2; ++channel) {
        const Heard h = listen(run, channel, from, to, 2 * q.worst);
        const size_t at = h.worst_frame;
        EXPECT_GE(h.snr_db, q.snr_db)
            << q.hz << " Hz, channel " << channel << ", blocks " << from << " to " << to;
        EXPECT_LE(h.worst, q.worst) << q.hz << " Hz, channel " << channel << ": worst at block "
                                    << at / HOST_OUT_FRAMES << " frame " << at % HOST_OUT_FRAMES;
        EXPECT_EQ(h.held, 0u) << q.hz << " Hz, channel " << channel << ": first held at block "
                              << h.first_held / HOST_OUT_FRAMES << " frame "
                              << h.first_held % HOST_OUT_FRAMES;
    }
}

// From the second block on (the first frame's 797 cannot fill a block) a
// sine comes out whole: no frame held, none skipped, one constant delay.
TEST(ResamplerSound, ASineComesOutWholeInTheBoardsFrameCounts) {
    for (const Quality& q : kQualities) {
        const SineRun run(q.hz, 300, board_samples);
        expect_clean(run, 1, 300, q);
    }
}

// A frame that brings no samples or too few leaves a hold in its own block;
// the very next block plays the sine on from where it held, whole again.
TEST(ResamplerSound, AnEmptyOrShortFrameRecoversWithinOneBlock) {
    struct Case {
        const char* what;
        uint64_t frame, count;
    };
    const Case cases[] = {{"no samples", 100, 0}, {"a short frame", 150, 400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Quality& q : kQualities) {
            const SineRun run(
                q.hz, 300, [&](uint64_t frame) { return frame == c.frame ? c.count : board_samples(frame); });
            // Block frame - 1 is the frame's own; the next one plays whole.
            expect_clean(run, 1, c.frame - 1, q);
            expect_clean(run, c.frame, 300, q);
        }
    }
}

// The model: a vector of frames, a read position, a running-sum step; a block
// that runs out of input leaves the position on the last frame.
struct Model {
    double step, position = 0;
    std::vector<int16_t> frames{};  // interleaved

    std::vector<int16_t> block(const std::vector<int16_t>& mix, double volume) {
        frames.insert(frames.end(), mix.begin(), mix.end());
        const size_t n = frames.size() / 2;
        std::vector<int16_t> out;
        double q = position;
        for (int i = 0; i < 800; ++i) {
            for (int ch = 0; ch < 2; ++ch) {
                double v = 0;
                if (n) {
                    size_t h = size_t(q);
                    if (h >= n)
                        v = frames[(n - 1) * 2 + ch];
                    else if (h + 1 == n)
                        v = frames[h * 2 + ch];
                    else
                        v = frames[h * 2 + ch] +
                            (frames[(h + 1) * 2 + ch] - frames[h * 2 + ch]) * (q - double(h));
                }
                v *= volume;
                out.push_back(v > 32767.0 ? 32767 : v < -32768.0 ? -32768 : int16_t(std::trunc(v)));
            }
            q += step;
        }
        position = q;
        const size_t d = size_t(position);
        const size_t k = d >= n ? (n ? n - 1 : 0) : d;
        frames.erase(frames.begin(), frames.begin() + long(k * 2));
        position = d >= n ? 0 : position - double(k);
        const size_t bound = size_t(step * 800);
        if (frames.size() / 2 > bound) frames.erase(frames.begin(), frames.end() - long(bound * 2));
        return out;
    }
};

TEST(Resampler, MatchesTheModelOverManyFrames) {
    std::mt19937 rng(7);
    for (double volume : {1.0, 0.5, 2.0, 0.0}) {
        host_mixed_buffer mixed{};
        mixed.step = kStep;
        Model model{mixed.step};
        for (int frame = 0; frame < 200; ++frame) {
            // 932 or 933 frames a game frame, sometimes none, sometimes short,
            // now and then two frames' worth.
            size_t count = frame % 17 == 5   ? 0
                           : frame % 13 == 3 ? 400
                           : frame % 29 == 8 ? 1864
                                             : 932 + frame % 2;
            std::vector<int16_t> mix(count * 2);
            for (auto& s : mix) s = int16_t(rng());
            int16_t out[1600];
            ASSERT_TRUE(host_mixed_append(mixed, mix.data(), count));
            host_resample(mixed, volume, out);
            auto expected = model.block(mix, volume);
            for (int i = 0; i < 1600; ++i)
                ASSERT_EQ(out[i], expected[i])
                    << "volume " << volume << " frame " << frame << " sample " << i;
            ASSERT_EQ(mixed.count, model.frames.size() / 2);
            ASSERT_EQ(mixed.position, model.position);
        }
        host_mixed_free(mixed);
    }
}

TEST(Resampler, EmptyMixIsSilenceAndShortMixHoldsTheLastFrame) {
    host_mixed_buffer mixed{};
    mixed.step = kStep;
    int16_t out[1600];
    host_resample(mixed, 1.0, out);
    for (int16_t s : out) ASSERT_EQ(s, 0);
    EXPECT_EQ(mixed.position, 0.0) << "nothing of the empty block is carried on";
    const int16_t two[] = {100, -100, 200, -200};
    host_mixed_append(mixed, two, 2);
    host_resample(mixed, 1.0, out);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1598], 200);
    EXPECT_EQ(out[1599], -200);
    EXPECT_EQ(mixed.count, 1u) << "the held frame stays";
    EXPECT_EQ(mixed.position, 0.0);
    // The next block starts where this one held and runs into the new mix.
    const std::vector<int16_t> loud(2 * 932, 1000);
    host_mixed_append(mixed, loud.data(), 932);
    host_resample(mixed, 1.0, out);
    EXPECT_EQ(out[0], 200);
    EXPECT_EQ(out[1], -200);
    EXPECT_EQ(out[2], 1000);
    EXPECT_EQ(out[1598], 1000);
    host_mixed_free(mixed);
}

// An hour of play: the step is the board's exact rate, so the unread input
// stays where the first blocks left it (it does not creep toward the bound, and
// the bound never drops a frame), and the first minute sounds exactly as the
// plain arithmetic says.
TEST(Resampler, AnHourOfTheBoardsRateBuildsNoDelay) {
    EXPECT_DOUBLE_EQ(kStep * 48000, 55930.381944444445) << "the board's own rate, not a rounded one";
    host_mixed_buffer mixed{};
    mixed.step = kStep;
    Model model{mixed.step};
    std::vector<int16_t> mix(2000);
    for (size_t i = 0; i < mix.size(); ++i) mix[i] = int16_t((i * 7919) % 20000 - 10000);
    int16_t out[1600];
    uint64_t largest = 0, smallest = UINT64_MAX, brought = 0;
    double read = 0;  // input frames the blocks read, by the step
    for (uint64_t frame = 1; frame <= 216'000; ++frame) {
        const uint64_t count = board_samples(frame);
        brought += count;
        ASSERT_TRUE(host_mixed_append(mixed, mix.data(), count));
        host_resample(mixed, 1.0, out);
        if (frame > 1) read += kStep * 800;
        if (frame > 10) {
            largest = std::max(largest, mixed.count);
            smallest = std::min(smallest, mixed.count);
        }
        if (frame <= 3600) {  // the first minute, against the plain arithmetic
            auto expected =
                model.block(std::vector<int16_t>(mix.begin(), mix.begin() + long(count * 2)), 1.0);
            for (int i = 0; i < 1600; ++i) ASSERT_EQ(out[i], expected[i]) << "frame " << frame;
        }
    }
    EXPECT_LE(largest, smallest + 2) << "the unread input creeps";
    EXPECT_LT(largest, uint64_t(kStep * 800)) << "the bound was reached";
    // Every frame the board brought was read, bar the unread rest: none was
    // dropped at the bound. (The first block holds its last frame for the
    // frames it lacks and keeps it; the blocks after it read on from there.)
    EXPECT_NEAR(double(brought - mixed.count), read + 796, 1.5);
    host_mixed_free(mixed);
}

TEST(Resampler, VolumeTwoClipsInsteadOfWrapping) {
    host_mixed_buffer mixed{};
    mixed.step = 1.0;
    std::vector<int16_t> loud(2000);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = i % 2 ? -30000 : 30000;
    host_mixed_append(mixed, loud.data(), 1000);
    int16_t out[1600];
    host_resample(mixed, 2.0, out);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    host_mixed_free(mixed);
}

}  // namespace
