// The sound card's side of the host: the audio device, its queue, and the
// frame clock that follows the queue while a device is open. Every call to
// SDL's audio queue and clock goes through `host_calls`, which are SDL's own
// in the game; a test puts a simulated device and clock behind them.
#pragma once
#include <SDL.h>

#include <cstdint>

struct host_audio_calls {
    SDL_AudioDeviceID (*open)(const char* device, int capture, const SDL_AudioSpec* desired,
                              SDL_AudioSpec* obtained, int allowed_changes);
    void (*pause)(SDL_AudioDeviceID device, int paused);
    Uint32 (*queued)(SDL_AudioDeviceID device);
    int (*queue)(SDL_AudioDeviceID device, const void* data, Uint32 bytes);
    void (*close)(SDL_AudioDeviceID device);
    Uint64 (*counter)();
    Uint64 (*frequency)();
    void (*delay)(Uint32 milliseconds);
};
extern host_audio_calls host_calls;

// One frame's block: 800 stereo frames of 16-bit samples at 48,000 Hz.
constexpr uint32_t HOST_BLOCK_BYTES = 3200;
// A block is thrown away only when more than this waits already (fewer than
// six blocks, 100 ms): the last resort, which rate control keeps out of reach.
constexpr uint32_t HOST_QUEUE_LIMIT = 19199;
// The level the frame clock keeps the queue at, as each block finds it: three
// blocks, 50 ms. A 30 ms stall of the host never empties a queue this full
// (the device pulls 4,096 bytes at a time), and the latency stays low.
constexpr uint32_t HOST_QUEUE_TARGET = 9600;
// The frame period moves by at most this much either way: the game runs at
// most 0.25 % fast or slow, which no one sees or hears, and a card 2,500 ppm
// off (far more than sound cards are) is still followed. From one frame to
// the next it moves by at most HOST_CORRECTION_STEP, so no swing is seen.
constexpr double HOST_CORRECTION_LIMIT = 0.0025;
constexpr double HOST_CORRECTION_STEP = 0.00002;

constexpr int HOST_LEVEL_FRAMES = 32;  // frames the level is averaged over

struct host_audio {
    SDL_AudioDeviceID device = 0;             // 0: a silent run, paced on the clock alone
    bool playing = false;                     // the device starts with the first block
    uint64_t next_frame = 0;                  // counter value at which the next frame is due
    double carry = 0;                         // the fraction of a tick the due times carry
    double correction = 0;                    // the frame period's relative change
    uint32_t levels[HOST_LEVEL_FRAMES] = {};  // what the last blocks found waiting
    uint64_t level_sum = 0;
    int level_count = 0, level_at = 0;
    uint64_t blocks_dropped = 0;  // thrown away at the limit
    uint64_t refills = 0;         // times the queue was found dry and refilled
    bool resume = false;          // refilled: the next frame is due a period from the present
};

// Opens the default device for 48,000 Hz, signed 16-bit little-endian, two
// channels, 1,024-frame buffers, and queues silence up to the target level.
// The device stays paused until the first block. False: a silent run.
bool host_audio_open(host_audio& audio);
// The frame clock starts now.
void host_pace_start(host_audio& audio);
// Queues a frame's block, and from what it found waiting sets the frame
// clock's correction. A queue found dry (a stall longer than the queue) is
// refilled with silence to the target first, so the sound goes on from there
// without further gaps, and the block is queued after it as any other; the
// frame clock then resumes from the present rather than running the frames
// the stall held up at once.
void host_audio_queue_block(host_audio& audio, const int16_t block[HOST_BLOCK_BYTES / 2]);
// Waits until the next frame is due: every 1/60 s on the clock, the period
// moved by the correction while a device is open. Frames that are late run at
// once, to catch up. After a refill the clock resumes from the present: the
// next frame is due a period from now and the due times the stall missed are
// dropped, so the game's time does not change, only the wall clock's
// schedule, by the stall. A host more than a quarter second behind with no
// refill (a silent run, say) resumes from the present too, its next frame
// due at once.
void host_pace(host_audio& audio);
// Ends the sound without a click: `next` (the block that would have followed
// the last one queued) fades out over its first 5 ms, the queue plays out and
// the device closes.
void host_audio_close(host_audio& audio, const int16_t next[HOST_BLOCK_BYTES / 2]);
