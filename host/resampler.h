// Turns each game frame's mix (about 932 stereo frames at the sound board's
// rate) into exactly 800 stereo frames at 48,000 Hz, by linear interpolation.
#pragma once
#include <cstdint>

constexpr int HOST_OUT_FRAMES = 800;
// The sound board mixes one stereo frame every 288 of its 16,107,950 ticks a
// second, 55,930.38 a second: the step takes that exact rate, so a block of
// 800 output frames reads exactly what one game frame brings.
constexpr double HOST_MIX_RATE = 16'107'950.0 / 288;
constexpr double HOST_RESAMPLE_STEP = HOST_MIX_RATE / 48000;

struct host_mixed_buffer {
    double step;        // input frames per output frame
    double position;    // read position, in input frames from the first buffered one
    int16_t* frames;    // stereo pairs, left first
    uint64_t count;     // buffered stereo frames
    uint64_t capacity;  // in stereo frames
};

// Appends a frame's mix; returns false when memory runs out (nothing is lost
// that was buffered before).
bool host_mixed_append(host_mixed_buffer& mixed, const int16_t* samples, uint64_t frames);
// Produces the 800 output frames, scaled by volume and clipped, and drops the
// input frames the read position has passed, keeping the one under it so the
// next block interpolates on from there. A block that runs out of input holds
// the last frame, and the next block starts on that frame: no shortfall is
// carried into later blocks. Unread input beyond one frame's worth
// (800 × step) is dropped too, so a source slightly faster than the step
// cannot build up delay.
void host_resample(host_mixed_buffer& mixed, double volume, int16_t out[HOST_OUT_FRAMES * 2]);
void host_mixed_free(host_mixed_buffer& mixed);
