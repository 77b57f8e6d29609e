#include "host/resampler.h"

#include <cstdlib>
#include <cstring>

bool host_mixed_append(host_mixed_buffer& m, const int16_t* samples, uint64_t frames) {
    const uint64_t needed = m.count + frames;
    if (needed > m.capacity) {
        const uint64_t capacity = needed * 2;
        auto* grown = static_cast<int16_t*>(std::realloc(m.frames, capacity * 2 * sizeof(int16_t)));
        if (!grown) return false;
        m.frames = grown;
        m.capacity = capacity;
    }
    if (frames) std::memcpy(m.frames + m.count * 2, samples, frames * 2 * sizeof(int16_t));
    m.count = needed;
    return true;
}

static int16_t scale_and_clip(double value, double volume) {
    const double v = value * volume;
    if (v > 32767.0) return 32767;
    if (v < -32768.0) return -32768;
    return static_cast<int16_t>(v);  // toward zero
}

// Drops the first `frames` buffered frames; the rest moves to the front.
static void drop_front(host_mixed_buffer& m, uint64_t frames) {
    if (frames < m.count)
        std::memmove(m.frames, m.frames + frames * 2, (m.count - frames) * 2 * sizeof(int16_t));
    m.count -= frames;
}

void host_resample(host_mixed_buffer& m, double volume, int16_t out[HOST_OUT_FRAMES * 2]) {
    const uint64_t n = m.count;
    double q = m.position;
    for (int i = 0; i < HOST_OUT_FRAMES; ++i, q += m.step) {
        double left = 0, right = 0;
        if (n > 0) {
            const uint64_t h = static_cast<uint64_t>(q);
            if (h + 1 >= n) {  // at or past the last frame: hold it
                const uint64_t last = h >= n ? n - 1 : h;
                left = m.frames[last * 2];
                right = m.frames[last * 2 + 1];
            } else {
                const double t = q - static_cast<double>(h);
                const double l0 = m.frames[h * 2], l1 = m.frames[h * 2 + 2];
                const double r0 = m.frames[h * 2 + 1], r1 = m.frames[h * 2 + 3];
                left = l0 + (l1 - l0) * t;
                right = r0 + (r1 - r0) * t;
            }
        }
        out[i * 2] = scale_and_clip(left, volume);
        out[i * 2 + 1] = scale_and_clip(right, volume);
    }
    m.position = q;
    const uint64_t d = static_cast<uint64_t>(m.position);
    if (d >= n) {
        // The block ran out of input (the first frame brings 797 frames where
        // a block reads 932, a frame may bring none) and held the last frame.
        // The read position's overshoot is dropped, not carried on: carried,
        // it would make every later block skip that many input frames at its
        // start and hold its last one for as long at its end. The next block
        // starts on the frame this one held and runs from it into the new mix.
        drop_front(m, n ? n - 1 : 0);
        m.position = 0;
    } else if (d > 0) {
        // The frame under the position stays: the next block's first output
        // frames interpolate between it and the new mix.
        drop_front(m, d);
        m.position -= static_cast<double>(d);
    }
    // Input beyond one frame's worth (the output queue holds the rest of the
    // latency allowed) is dropped from the front. At the board's exact rate
    // the unread input stays within a frame of where the first block left
    // it, so this is a last resort for a step that is not the source's rate.
    const uint64_t bound = static_cast<uint64_t>(m.step * HOST_OUT_FRAMES);
    if (m.count > bound) drop_front(m, m.count - bound);
}

void host_mixed_free(host_mixed_buffer& m) {
    std::free(m.frames);
    m = {};
}
