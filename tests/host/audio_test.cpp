// The sound card's side of the host against a simulated card: an hour of
// frames through the real queueing and pacing code, the card pulling 1,024
// frames at a time on a clock of its own, the host's clock and sleeps
// simulated too; the format the host asks for; and the end of the sound at
// quit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <numbers>
#include <vector>

#include "host/audio.h"
#include "host/resampler.h"

namespace {

constexpr uint64_t kFrequency = 1'000'000'000;  // counter ticks a second: nanoseconds
constexpr uint64_t kMs = kFrequency / 1000;
constexpr uint64_t kSpin = 20'000;        // what one look at the counter costs
constexpr uint64_t kOversleep = 100'000;  // what a sleep takes beyond the time asked
constexpr uint32_t kPull = 4096;          // bytes: 1,024 stereo frames
constexpr SDL_AudioDeviceID kDevice = 7;

// A sound card behind the host's calls. It pulls 1,024 frames whenever its
// own clock, `ppm` fast or slow against the host's, says they are due, from
// the moment it is started; a pull that finds less plays silence for the rest.
struct SimCard {
    double pull_period;  // host ticks between pulls
    double next_pull = 0;
    uint64_t now = 0;  // the host's clock
    bool opened = false, playing = false, closed = false;
    uint64_t waiting = 0;  // bytes in the queue
    bool keep = false;     // keep the samples: what was queued, what was played
    std::deque<int16_t> queue{};
    std::vector<int16_t> played{};
    uint64_t pulls = 0, underruns = 0, silent_bytes = 0, first_underrun = 0;
    uint64_t blocks = 0, other_queued = 0;  // 3,200-byte blocks and other queue calls
    uint64_t before_blocks = 0;             // bytes queued before the first block
    uint64_t waiting_at_close = 0, closed_at = 0;
    // What the host asked the device to be.
    SDL_AudioSpec asked{};
    const char* asked_name = "unset";
    int asked_capture = -1, asked_changes = -1;
    bool obtained_given = true;

    explicit SimCard(double ppm) : pull_period(double(kFrequency) * 1024 / 48000 / (1 + ppm * 1e-6)) {}

    void pull() {
        ++pulls;
        const uint64_t taken = std::min<uint64_t>(waiting, kPull);
        if (taken < kPull) {
            if (underruns++ == 0) first_underrun = now;
            silent_bytes += kPull - taken;
        }
        waiting -= taken;
        if (keep) {
            for (uint64_t i = 0; i < taken / 2; ++i) played.push_back(queue[i]);
            queue.erase(queue.begin(), queue.begin() + long(taken / 2));
            played.insert(played.end(), (kPull - taken) / 2, 0);
        }
    }
    void advance(uint64_t to) {
        while (playing && !closed && next_pull <= double(to)) {
            now = uint64_t(next_pull);
            pull();
            next_pull += pull_period;
        }
        now = to;
    }
};

SimCard* card = nullptr;

const host_audio_calls kSimCalls = {
    [](const char* name, int capture, const SDL_AudioSpec* desired, SDL_AudioSpec* obtained, int changes) {
        card->asked = *desired;
        card->asked_name = name;
        card->asked_capture = capture;
        card->asked_changes = changes;
        card->obtained_given = obtained != nullptr;
        card->opened = true;
        return kDevice;
    },
    [](SDL_AudioDeviceID id, int paused) {
        EXPECT_EQ(id, kDevice);
        if (!paused && !card->playing) {
            card->playing = true;
            card->next_pull = double(card->now);  // the first pull comes at once
        }
    },
    [](SDL_AudioDeviceID) { return Uint32(card->waiting); },
    [](SDL_AudioDeviceID id, const void* data, Uint32 bytes) {
        EXPECT_EQ(id, kDevice);
        EXPECT_FALSE(card->closed);
        card->waiting += bytes;
        (bytes == HOST_BLOCK_BYTES ? card->blocks : card->other_queued) += 1;
        if (card->blocks == 0) card->before_blocks += bytes;
        if (card->keep) {
            const auto* s = static_cast<const int16_t*>(data);
            card->queue.insert(card->queue.end(), s, s + bytes / 2);
        }
        return 0;
    },
    [](SDL_AudioDeviceID id) {
        EXPECT_EQ(id, kDevice);
        card->closed = true;
        card->waiting_at_close = card->waiting;
        card->closed_at = card->now;
    },
    [] {
        card->advance(card->now + kSpin);
        return Uint64(card->now);
    },
    [] { return Uint64(kFrequency); },
    [](Uint32 ms) { card->advance(card->now + ms * kMs + kOversleep); },
};

// Puts the card behind the host's calls for one test.
struct OnCard {
    host_audio_calls saved = host_calls;
    explicit OnCard(SimCard& c) {
        card = &c;
        host_calls = kSimCalls;
    }
    ~OnCard() {
        host_calls = saved;
        card = nullptr;
    }
};

// What a run heard and how the host ran it.
struct Figures {
    uint64_t frames = 0, underruns = 0, dropped = 0, refills = 0, start_up_underruns = 0;
    double silence_ms = 0, first_underrun_s = 0, first_drop_s = -1;
    uint32_t median_level = 0, max_level = 0, min_level = 0;
    double lowest = 0, highest = 0, largest_change = 0;  // the correction
    double seconds = 0;                                  // on the host's clock
    std::vector<uint32_t> levels{};                      // what each block found waiting
    std::vector<uint64_t> starts{};                      // when each frame began, on the host's clock
};

void print(const char* what, const Figures& f) {
    std::printf(
        "%s: %.0f s, %llu underruns (%.1f ms silent, first at %.1f s), %llu blocks thrown away "
        "(first at %.1f s), %llu refills; level median %u, max %u, min %u bytes; correction "
        "%+.4f %% to %+.4f %%, at most %.5f %% a frame; %llu underruns before the first frame\n",
        what, f.seconds, (unsigned long long)f.underruns, f.silence_ms, f.first_underrun_s,
        (unsigned long long)f.dropped, f.first_drop_s, (unsigned long long)f.refills, f.median_level,
        f.max_level, f.min_level, f.lowest * 100, f.highest * 100, f.largest_change * 100,
        (unsigned long long)f.start_up_underruns);
}

// The host's frames against the card: each frame takes `work` of the host's
// time (plus a stall when `stall` says so), then its block is queued and the
// host paces, as the end of every game frame does.
template <typename Stall>
Figures play(SimCard& c, uint64_t frames, uint64_t work, Stall stall) {
    const OnCard on(c);
    host_audio audio;
    EXPECT_TRUE(host_audio_open(audio));
    c.advance(c.now + 300 * kMs);  // the rest of the start-up
    host_pace_start(audio);
    const uint64_t start = c.now;
    // A device started at its opening may have played the start-up's
    // silence; what counts is what it plays from the first frame on.
    const uint64_t start_up_underruns = c.underruns;
    c.underruns = c.silent_bytes = 0;
    const int16_t block[HOST_BLOCK_BYTES / 2] = {};
    Figures f;
    std::vector<uint32_t>& levels = f.levels;
    levels.reserve(frames);
    f.starts.reserve(frames);
    double before = 0;
    uint64_t dropped = 0;
    for (uint64_t frame = 1; frame <= frames; ++frame) {
        f.starts.push_back(c.now);
        c.advance(c.now + work + stall(frame));
        levels.push_back(uint32_t(c.waiting));
        host_audio_queue_block(audio, block);
        if (audio.blocks_dropped != dropped && f.first_drop_s < 0)
            f.first_drop_s = double(c.now - start) / kFrequency;
        dropped = audio.blocks_dropped;
        f.lowest = std::min(f.lowest, audio.correction);
        f.highest = std::max(f.highest, audio.correction);
        f.largest_change = std::max(f.largest_change, std::abs(audio.correction - before));
        before = audio.correction;
        host_pace(audio);
    }
    f.frames = frames;
    f.start_up_underruns = start_up_underruns;
    f.seconds = double(c.now - start) / kFrequency;
    f.underruns = c.underruns;
    f.silence_ms = double(c.silent_bytes) / 192.0;
    f.first_underrun_s = c.underruns ? double(c.first_underrun - start) / kFrequency : 0;
    f.dropped = audio.blocks_dropped;
    f.refills = audio.refills;
    auto sorted = levels;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    f.median_level = sorted[sorted.size() / 2];
    f.max_level = *std::max_element(levels.begin(), levels.end());
    f.min_level = *std::min_element(levels.begin(), levels.end());
    return f;
}

constexpr uint64_t kHour = 216'000;  // game frames
constexpr uint64_t kWork = 2 * kMs;  // a frame's work

// An hour of play on cards 100 and 1,000 ppm fast and slow, with and without
// a 30 ms stall of the host every 30 s: from the first frame on no pull finds
// the queue short, no block is thrown away, the latency stays low, and the
// frame period moves by at most 0.5 % and smoothly.
TEST(SoundCard, AnHourOfPlayOnACardOfItsOwnClockHasNoGapAndNoCut) {
    struct Case {
        double ppm;
        bool stalls;
    };
    const Case cases[] = {{100, false}, {-100, false}, {1000, false}, {-1000, false},
                          {100, true},  {-100, true},  {1000, true},  {-1000, true}};
    for (const Case& k : cases) {
        char what[64];
        std::snprintf(what, sizeof what, "card %+g ppm%s", k.ppm, k.stalls ? ", 30 ms stalls" : "");
        SCOPED_TRACE(what);
        SimCard c(k.ppm);
        const Figures f = play(c, kHour, kWork,
                               [&](uint64_t frame) { return k.stalls && frame % 1800 == 0 ? 30 * kMs : 0; });
        print(what, f);
        EXPECT_EQ(f.underruns, 0u) << "first at " << f.first_underrun_s << " s";
        EXPECT_EQ(f.dropped, 0u) << "first at " << f.first_drop_s << " s";
        EXPECT_EQ(f.refills, 0u);
        EXPECT_EQ(c.blocks, kHour) << "every frame's block reached the card";
        EXPECT_LE(f.median_level, 12'800u);
        EXPECT_LT(f.max_level, 19'200u);
        EXPECT_GE(f.lowest, -0.005);
        EXPECT_LE(f.highest, 0.005);
        EXPECT_LE(f.largest_change, 0.0001) << "the frame period swings from one frame to the next";
        // The frame clock follows the card: an hour of the card's time, to
        // within the latency.
        const double card_seconds = 3600 / (1 + k.ppm * 1e-6);
        EXPECT_NEAR(f.seconds, card_seconds, 0.1);
    }
}

// What follows a stall of `stall_ms` in frame 601 of 1,200: one gap, the
// stall's own, and one refill; then every block is queued, none thrown away,
// no frame runs in a burst to catch up, and within a second the level is
// back in the band. `underruns_then` is what the card counted by the end of
// the stall.
void expect_one_gap_then_steady(const SimCard& c, const Figures& f, uint64_t underruns_then,
                                uint64_t stall_ms) {
    EXPECT_GT(underruns_then, 0u) << "the stall itself empties the queue";
    EXPECT_EQ(c.underruns, underruns_then) << "a gap after the stall";
    EXPECT_EQ(f.refills, 1u);
    EXPECT_EQ(f.dropped, 0u);
    EXPECT_EQ(c.blocks, 1200u) << "every frame's block reached the card";
    // The wall clock's schedule moved by the stall; the game's time did not.
    const double stalled = double(stall_ms) / 1000;
    EXPECT_NEAR(f.seconds, 20.0 + stalled, 20.0 * 0.0025 + 0.01);
    ASSERT_EQ(f.starts.size(), 1200u);
    EXPECT_GE(f.starts[601] - f.starts[600], stall_ms * kMs);
    for (size_t i = 602; i < f.starts.size(); ++i) {
        ASSERT_GE(f.starts[i] - f.starts[i - 1], 15 * kMs) << "frame " << i + 1 << " ran in a burst";
        ASSERT_LE(f.starts[i] - f.starts[i - 1], 19 * kMs) << "frame " << i + 1 << " ran late";
    }
    ASSERT_EQ(f.levels.size(), 1200u);
    EXPECT_EQ(f.levels[600], 0u) << "the block after the stall finds the queue dry";
    // Within a second the level is back where it was, and stays in the band:
    // enough for the next stall, never near the limit.
    std::vector<uint32_t> after(f.levels.begin() + 601 + 60, f.levels.end());
    for (size_t i = 0; i < after.size(); ++i) {
        ASSERT_GE(after[i], 4096u) << "frame " << i + 61 << " after the stall";
        ASSERT_LT(after[i], 14'000u) << "frame " << i + 61 << " after the stall";
    }
    std::nth_element(after.begin(), after.begin() + long(after.size() / 2), after.end());
    EXPECT_NEAR(after[after.size() / 2], HOST_QUEUE_TARGET, 1024);
}

// A stall longer than the queue leaves one gap, the stall's own: the next
// block finds the queue dry and refills it, and from there the sound plays on
// without further gaps. The frame clock resumes from the present, so the
// frames the stall held up do not run at once to overfill the queue, and no
// block is left out or thrown away.
TEST(SoundCard, AStallLongerThanTheQueueLeavesOneGapAndRefillsAtOnce) {
    for (const uint64_t stall_ms : {100u, 200u}) {
        SCOPED_TRACE(std::to_string(stall_ms) + " ms stall");
        SimCard c(-100);
        uint64_t underruns_then = 0;
        const Figures f = play(c, 600 + 600, kWork, [&](uint64_t frame) -> uint64_t {
            if (frame == 601) return stall_ms * kMs;
            // The pulls up to the end of the stall are its own gap.
            if (frame == 602) underruns_then = c.underruns;
            return 0;
        });
        print(stall_ms == 100 ? "100 ms stall" : "200 ms stall", f);
        expect_one_gap_then_steady(c, f, underruns_then, stall_ms);
    }
}

// A stall of more than a quarter second: the frame clock resumes from the
// present, and the sound from one refill.
TEST(SoundCard, AfterAStallOfSecondsTheClockAndTheSoundResumeFromThePresent) {
    SimCard c(100);
    uint64_t underruns_then = 0;
    const Figures f = play(c, 1200, kWork, [&](uint64_t frame) -> uint64_t {
        if (frame == 602) underruns_then = c.underruns;
        return frame == 601 ? 2000 * kMs : 0;
    });
    print("2 s stall", f);
    expect_one_gap_then_steady(c, f, underruns_then, 2000);
}

// Without a device the frame clock is the host's alone: a frame every 1/60 s
// of the counter (whole ticks), and a host more than a quarter second behind
// resumes from the present.
TEST(SoundCard, WithoutADeviceFramesAreDueEverySixtiethOfASecond) {
    SimCard c(0);
    const OnCard on(c);
    host_audio audio;  // no device
    host_pace_start(audio);
    const uint64_t start = audio.next_frame;
    for (int frame = 1; frame <= 600; ++frame) {
        c.advance(c.now + kWork);
        host_pace(audio);
        ASSERT_EQ(audio.next_frame, start + uint64_t(frame) * (kFrequency / 60));
        ASSERT_GE(c.now, audio.next_frame);
        ASSERT_LT(c.now, audio.next_frame + 2 * kSpin);
    }
    c.advance(c.now + kFrequency);  // a second's stall
    const uint64_t back = c.now;
    host_pace(audio);
    EXPECT_EQ(audio.next_frame, back + kSpin) << "resumes from the present";
    EXPECT_EQ(c.pulls, 0u);
}

// What the host asks of SDL: the default playback device at 48,000 Hz,
// signed 16-bit little-endian, two channels, 1,024-frame buffers, the queue
// rather than a callback, and no changes allowed (SDL converts whatever the
// card is). The device opens paused and holds the target level of silence
// when the first block starts it.
TEST(SoundCard, TheHostAsksForFortyEightKilohertzSixteenBitStereo) {
    SimCard c(0);
    const OnCard on(c);
    host_audio audio;
    ASSERT_TRUE(host_audio_open(audio));
    ASSERT_TRUE(c.opened);
    EXPECT_EQ(c.asked.freq, 48000);
    EXPECT_EQ(c.asked.format, AUDIO_S16LSB);
    EXPECT_EQ(int(c.asked.channels), 2);
    EXPECT_EQ(c.asked.samples, 1024);
    EXPECT_EQ(c.asked.callback, nullptr);
    EXPECT_EQ(c.asked.userdata, nullptr);
    EXPECT_EQ(c.asked_name, nullptr) << "the default device";
    EXPECT_EQ(c.asked_capture, 0);
    EXPECT_EQ(c.asked_changes, 0);
    EXPECT_FALSE(c.obtained_given);
    EXPECT_EQ(audio.device, kDevice);
    EXPECT_FALSE(c.playing);
    EXPECT_EQ(c.waiting, HOST_QUEUE_TARGET + 2048);
    const int16_t block[HOST_BLOCK_BYTES / 2] = {};
    host_audio_queue_block(audio, block);
    EXPECT_TRUE(c.playing);
    EXPECT_EQ(c.waiting, HOST_QUEUE_TARGET + 2048 + HOST_BLOCK_BYTES);
}

// A device that cannot be had leaves a silent run: no device, nothing queued.
TEST(SoundCard, ADeviceThatDoesNotOpenLeavesASilentRun) {
    SimCard c(0);
    const OnCard on(c);
    host_calls.open = [](const char*, int, const SDL_AudioSpec*, SDL_AudioSpec*, int) {
        return SDL_AudioDeviceID(0);
    };
    host_audio audio;
    EXPECT_FALSE(host_audio_open(audio));
    EXPECT_EQ(audio.device, 0u);
    EXPECT_EQ(c.waiting, 0u);
    host_audio_close(audio, nullptr);
    EXPECT_FALSE(c.closed);
}

// Quitting while a tone plays: what was queued plays out, the tone then
// fades, and the card's last pull is silence, so the close cuts nothing and
// no sample jumps by more than the tone itself moves.
TEST(SoundCard, QuittingWhileATonePlaysFadesOutWithoutAClick) {
    SimCard c(0);
    c.keep = true;
    const OnCard on(c);
    host_audio audio;
    ASSERT_TRUE(host_audio_open(audio));
    host_pace_start(audio);
    const double w = 2 * std::numbers::pi * 1000 / 48000, amplitude = 20000;
    uint64_t made = 0;
    int16_t block[HOST_BLOCK_BYTES / 2];
    auto next_block = [&] {
        for (int i = 0; i < HOST_OUT_FRAMES; ++i, ++made) {
            block[2 * i] = int16_t(std::lround(amplitude * std::sin(w * double(made))));
            block[2 * i + 1] = int16_t(std::lround(amplitude * std::cos(w * double(made))));
        }
    };
    for (int frame = 0; frame < 120; ++frame) {
        c.advance(c.now + kWork);
        next_block();
        host_audio_queue_block(audio, block);
        host_pace(audio);
    }
    ASSERT_GT(c.waiting, 0u);
    next_block();
    const uint64_t quit_at = c.now;
    host_audio_close(audio, block);
    ASSERT_TRUE(c.closed);
    EXPECT_EQ(c.waiting_at_close, 0u) << "bytes left unplayed in the queue";
    EXPECT_LT(c.closed_at - quit_at, 200 * kMs) << "the quit waits too long";
    EXPECT_EQ(audio.device, 0u);
    // Everything queued was played: the pre-fill, 120 blocks, the fade.
    const size_t first = c.before_blocks / 2, tone = first + 120 * HOST_BLOCK_BYTES / 2;
    ASSERT_GE(c.played.size(), tone + 240 * 2);
    const double largest_step = amplitude * w * 1.1;
    for (size_t i = first + 2; i < c.played.size(); ++i)
        ASSERT_LE(std::abs(c.played[i] - c.played[i - 2]), largest_step)
            << "a click at sample " << i << " of " << c.played.size();
    // The tone is still there just before the fade, and the last pull that
    // played is silence.
    EXPECT_GT(std::abs(c.played[tone - 1]) + std::abs(c.played[tone - 2]), 10000);
    ASSERT_GE(c.played.size(), tone + kPull / 2);
    for (size_t i = c.played.size() - kPull / 2; i < c.played.size(); ++i) ASSERT_EQ(c.played[i], 0) << i;
}

}  // namespace
