// The sound resampler against a plain model of its arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "host/resampler.h"

namespace {

// The model: a vector of frames, a read position, a running-sum step.
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
                    if (h >= n) v = frames[(n - 1) * 2 + ch];
                    else if (h + 1 == n) v = frames[h * 2 + ch];
                    else v = frames[h * 2 + ch] + (frames[(h + 1) * 2 + ch] - frames[h * 2 + ch]) * (q - double(h));
                }
                v *= volume;
                out.push_back(v > 32767.0 ? 32767 : v < -32768.0 ? -32768 : int16_t(std::trunc(v)));
            }
            q += step;
        }
        position = q;
        size_t d = size_t(position);
        if (d > 0) {
            size_t k = std::min(d, n);
            frames.erase(frames.begin(), frames.begin() + long(k * 2));
            position -= double(k);
        }
        return out;
    }
};

TEST(Resampler, MatchesTheModelOverManyFrames) {
    std::mt19937 rng(7);
    for (double volume : {1.0, 0.5, 2.0, 0.0}) {
        host_mixed_buffer mixed{};
        mixed.step = 55930 / 48000.0;
        Model model{mixed.step};
        for (int frame = 0; frame < 200; ++frame) {
            // 932 or 933 frames a game frame, sometimes none, sometimes short.
            size_t count = frame % 17 == 5 ? 0 : frame % 13 == 3 ? 400 : 932 + frame % 2;
            std::vector<int16_t> mix(count * 2);
            for (auto& s : mix) s = int16_t(rng());
            int16_t out[1600];
            ASSERT_TRUE(host_mixed_append(mixed, mix.data(), count));
            host_resample(mixed, volume, out);
            auto expected = model.block(mix, volume);
            for (int i = 0; i < 1600; ++i)
                ASSERT_EQ(out[i], expected[i]) << "volume " << volume << " frame " << frame << " sample " << i;
            ASSERT_EQ(mixed.count, model.frames.size() / 2);
            ASSERT_EQ(mixed.position, model.position);
        }
        host_mixed_free(mixed);
    }
}

TEST(Resampler, EmptyMixIsSilenceAndShortMixHoldsTheLastFrame) {
    host_mixed_buffer mixed{};
    mixed.step = 55930 / 48000.0;
    int16_t out[1600];
    host_resample(mixed, 1.0, out);
    for (int16_t s : out) ASSERT_EQ(s, 0);
    EXPECT_GT(mixed.position, 900.0) << "a position beyond the buffer keeps its remainder";
    host_mixed_free(mixed);
    mixed.step = 55930 / 48000.0;
    const int16_t two[] = {100, -100, 200, -200};
    host_mixed_append(mixed, two, 2);
    host_resample(mixed, 1.0, out);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1598], 200);
    EXPECT_EQ(out[1599], -200);
    EXPECT_EQ(mixed.count, 0u) << "the position passed both frames";
    host_mixed_free(mixed);
}

// The board's real per-frame counts: the FM samples (one per 288 ticks) due
// by the end of each frame of 16,107,950 / 60 ticks.
uint64_t board_samples(uint64_t frame) {
    const uint64_t end = frame * 16'107'950 / 60;
    const uint64_t before = (frame - 1) * 16'107'950 / 60;
    return end / 288 - before / 288;
}

// An hour of play: the unread input stays within one frame's samples of where
// it started, and the first frames sound exactly as before the bound existed.
TEST(Resampler, AnHourOfTheBoardsRateBuildsNoDelay) {
    host_mixed_buffer mixed{};
    mixed.step = 55930 / 48000.0;
    Model model{mixed.step};
    std::vector<int16_t> mix(2000);
    for (size_t i = 0; i < mix.size(); ++i) mix[i] = int16_t((i * 7919) % 20000 - 10000);
    int16_t out[1600];
    uint64_t start = 0, largest = 0;
    for (uint64_t frame = 1; frame <= 216'000; ++frame) {
        const uint64_t count = board_samples(frame);
        ASSERT_TRUE(host_mixed_append(mixed, mix.data(), count));
        host_resample(mixed, 1.0, out);
        if (frame == 1) start = mixed.count;
        largest = std::max(largest, mixed.count);
        if (frame <= 3600) {  // the first minute, against the plain arithmetic
            auto expected = model.block(std::vector<int16_t>(mix.begin(), mix.begin() + long(count * 2)), 1.0);
            for (int i = 0; i < 1600; ++i) ASSERT_EQ(out[i], expected[i]) << "frame " << frame;
        }
    }
    EXPECT_LE(largest, start + 932) << "more than one frame's samples of delay";
    EXPECT_GE(largest, start + 900) << "the board's rate should have built some up";
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
