#include "host/audio.h"

#include <algorithm>

host_audio_calls host_calls = {
    SDL_OpenAudioDevice,  SDL_PauseAudioDevice,      SDL_GetQueuedAudioSize,      SDL_QueueAudio,
    SDL_CloseAudioDevice, SDL_GetPerformanceCounter, SDL_GetPerformanceFrequency, SDL_Delay,
};

namespace {

// The correction for a level averaged a whole target off; the limit is
// reached an eighth of the target (1,200 bytes) away. The queue itself
// integrates: at this gain a level off by some bytes is halved in under two
// seconds, far slower than the averaging. A card off by p leaves the level
// off by p / kGain of the target (1,000 ppm: 480 bytes).
constexpr double kGain = 0.02;

// The pre-fill is the target and half a pull, because a device's first pull
// comes as soon as it starts. A refill is the target itself: it is the level
// the block queued right after it finds, and as the frame clock resumes from
// the present, the next block finds about the same, so the rate control has
// nothing to make up.
constexpr uint32_t kStartLevel = HOST_QUEUE_TARGET + 2048;
constexpr uint32_t kRefillLevel = HOST_QUEUE_TARGET;
const uint8_t kSilence[kStartLevel] = {};

constexpr uint32_t kFadeFrames = 240;    // 5 ms at 48,000 Hz
constexpr uint32_t kDeviceBytes = 4096;  // one pull of the device: 1,024 stereo frames
constexpr uint32_t kBytesPerSecond = 192000;

void note_level(host_audio& a, uint32_t level) {
    a.level_sum -= a.levels[a.level_at];
    a.levels[a.level_at] = level;
    a.level_sum += level;
    a.level_at = (a.level_at + 1) % HOST_LEVEL_FRAMES;
    if (a.level_count < HOST_LEVEL_FRAMES) ++a.level_count;
    // 32 frames are 25 pulls of the device: their average holds none of the
    // saw-tooth that pulls of 4,096 bytes against blocks of 3,200 make.
    const double average = double(a.level_sum) / a.level_count;
    const double off = (average - HOST_QUEUE_TARGET) / HOST_QUEUE_TARGET;
    const double wanted = std::clamp(kGain * off, -HOST_CORRECTION_LIMIT, HOST_CORRECTION_LIMIT);
    a.correction += std::clamp(wanted - a.correction, -HOST_CORRECTION_STEP, HOST_CORRECTION_STEP);
}

}  // namespace

bool host_audio_open(host_audio& a) {
    a = {};
    SDL_AudioSpec want{};
    want.freq = 48000;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024;
    a.device = host_calls.open(nullptr, 0, &want, nullptr, 0);
    if (!a.device) return false;
    // A device opens paused: it starts with the first block, so its first
    // pulls find the target level waiting however long the start-up takes.
    host_calls.queue(a.device, kSilence, kStartLevel);
    return true;
}

void host_pace_start(host_audio& a) {
    a.next_frame = host_calls.counter();
    a.carry = 0;
}

void host_audio_queue_block(host_audio& a, const int16_t block[HOST_BLOCK_BYTES / 2]) {
    uint32_t level = host_calls.queued(a.device);
    const bool dry = level == 0 && a.playing;
    if (dry) {
        // The device has played the queue dry: the host stalled for longer
        // than the queue holds, and there is a gap already. Make it one gap,
        // rather than the several a queue refilled a block a frame would
        // leave. Running the frames the stall held up at once would only
        // overfill the refilled queue: the frame clock resumes from the
        // present instead, and every block is queued.
        host_calls.queue(a.device, kSilence, kRefillLevel);
        level = kRefillLevel;
        ++a.refills;
        a.resume = true;
    }
    if (level <= HOST_QUEUE_LIMIT)
        host_calls.queue(a.device, block, HOST_BLOCK_BYTES);
    else
        ++a.blocks_dropped;
    if (!a.playing) {
        host_calls.pause(a.device, 0);
        a.playing = true;
    }
    note_level(a, level);
}

void host_pace(host_audio& a) {
    const uint64_t f = host_calls.frequency();
    const uint64_t now = host_calls.counter();
    if (a.resume) {
        // Refilled after a stall: the due times it missed are dropped, and
        // the next frame is due a period from now, however long the stall.
        a.next_frame = now;
        a.carry = 0;
    }
    if (now > a.next_frame + f / 60 + f / 4) {
        a.next_frame = now;  // far behind: resume from the present
        a.carry = 0;
    } else if (!a.device) {
        a.next_frame += f / 60;
    } else {
        const double step = double(f / 60) * (1 + a.correction) + a.carry;
        const auto whole = static_cast<uint64_t>(step);
        a.carry = step - double(whole);
        a.next_frame += whole;
    }
    a.resume = false;
    for (;;) {
        const uint64_t counter = host_calls.counter();
        if (counter >= a.next_frame) break;
        const uint64_t remaining = (a.next_frame - counter) * 1000 / f;
        if (remaining > 2) host_calls.delay(static_cast<uint32_t>(remaining - 1));
    }
}

void host_audio_close(host_audio& a, const int16_t next[HOST_BLOCK_BYTES / 2]) {
    if (!a.device) return;
    if (a.playing) {
        // The fade, then silence to fill the device's last pull, so that the
        // last sound it plays is the fade's end and closing cuts nothing.
        int16_t tail[HOST_BLOCK_BYTES / 2 + kDeviceBytes / 2] = {};
        for (uint32_t i = 0; i < kFadeFrames; ++i) {
            const double gain = double(kFadeFrames - i) / kFadeFrames;
            tail[2 * i] = static_cast<int16_t>(next[2 * i] * gain);
            tail[2 * i + 1] = static_cast<int16_t>(next[2 * i + 1] * gain);
        }
        const uint32_t waiting = host_calls.queued(a.device);
        host_calls.queue(a.device, tail, sizeof tail);
        // The queue plays out (about a tenth of a second at the target level);
        // a device that stopped pulling is not waited for beyond that.
        const uint64_t f = host_calls.frequency();
        const uint64_t bytes = uint64_t(waiting) + sizeof tail;
        const uint64_t deadline = host_calls.counter() + f * bytes / kBytesPerSecond + f / 10;
        while (host_calls.queued(a.device) > 0 && host_calls.counter() < deadline) host_calls.delay(1);
        // The last pull, silence itself, is still playing in the device.
        host_calls.delay(kDeviceBytes * 1000 / kBytesPerSecond + 1);
    }
    host_calls.close(a.device);
    a.device = 0;
    a.playing = false;
}
