// The game's executable with an observer: the real host frame cycle over the
// real game, writing what a whole-program test checks to a file.
//
//   IRONBELL_PROBE_OUT     the file that receives the lines below (required)
//   IRONBELL_PROBE_EVERY   checkpoint every N game frames (default 300)
//   IRONBELL_PROBE_SLICES  cut each stretch of board time the sound board is
//                          given into this many equal calls (default 1)
//   IRONBELL_PROBE_HUNG    processor seconds a frame may take before the run
//                          ends as hung (default: the game's own limit)
//   IRONBELL_PROBE_WATCH   guest addresses to follow every frame, as
//                          ADDRESS:BYTES pairs in hexadecimal:decimal, comma
//                          separated (e.g. 208000:2,208A40:4)
//   IRONBELL_PROBE_PICTURES game frames whose picture is written, comma
//                          separated, each as picture-FRAME.ppm (binary PPM,
//                          the shown width by 224 rows) in the folder of the
//                          IRONBELL_PROBE_OUT file
//   IRONBELL_PROBE_MIX     a file that receives each game frame's mix as the
//                          host's resampler gets it: its count of stereo
//                          frames (32 bits), then the frames (signed 16-bit,
//                          left first), host byte order
//
// Frames are not paced to 60 a second: they run as fast as they come.
//
// Lines, one per event, fields separated by spaces, numbers in hexadecimal
// except frame numbers:
//   C FRAME VIDEO RAM SOUND P0 ... P15   checkpoint: hash of the last picture,
//                                        of work RAM, of every sound block since
//                                        the previous checkpoint, then of each
//                                        4 KB page of work RAM
//   W FRAME ADDRESS VALUE                a watched value, at the first frame and
//                                        whenever it changes
//   E ADDRESS ...                        the last line, as the run ends (normally
//                                        or through the runtime's fatal line):
//                                        the entry address of every routine
//                                        entered in the run, in list order
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/routines.h"
#include "host/shell.h"
#include "runtime/v60.h"
#include "sound/sound_reference.h"
#include "video/video.h"

namespace {

FILE* out = nullptr;
FILE* mix_out = nullptr;
uint64_t every = 300;
uint64_t slices = 1;
orb_time_passes_fn sound_time_passes = nullptr;
uint64_t sliced_until = 0;
uint64_t sound_hash = 0;

struct watch {
    uint32_t address;
    int size;
    uint64_t last;
    bool seen;
};
std::vector<watch> watches;

std::set<uint64_t> picture_frames;
std::string picture_folder;

// The picture last drawn, as 8-bit red, green and blue.
void write_picture(uint64_t frame) {
    int width = 0;
    const uint32_t* pixels = orb_video_frame(&width);
    const std::string path = picture_folder + "picture-" + std::to_string(frame) + ".ppm";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d 224\n255\n", width);
    std::vector<uint8_t> row(3 * size_t(width));
    for (int y = 0; y < 224; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[416 * y + x];
            row[3 * x] = uint8_t(p >> 16);
            row[3 * x + 1] = uint8_t(p >> 8);
            row[3 * x + 2] = uint8_t(p);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

bool parse_frames(const char* text) {
    while (text && *text) {
        char* end = nullptr;
        const unsigned long long frame = std::strtoull(text, &end, 10);
        if (end == text) return false;
        picture_frames.insert(frame);
        if (*end == ',')
            ++end;
        else if (*end)
            return false;
        text = end;
    }
    return true;
}

uint64_t fnv(uint64_t hash, const uint8_t* data, size_t size) { return orb_fnv1a(hash, data, size); }
constexpr uint64_t kFnvStart = ORB_FNV_OFFSET;

void sliced_time_passes(uint64_t until) {
    if (until > sliced_until) {
        const uint64_t from = sliced_until;
        for (uint64_t k = 1; k < slices; ++k) sound_time_passes(from + (until - from) * k / slices);
        sliced_until = until;
    }
    sound_time_passes(until);
}

unsigned hung_seconds = 0;

void started() {
    if (hung_seconds) program_watchdog(hung_seconds);
    if (slices > 1 && orb_board.callbacks.time_passes) {
        sound_time_passes = orb_board.callbacks.time_passes;
        sliced_until = orb_board.now;
        orb_board.callbacks.time_passes = sliced_time_passes;
    }
    sound_hash = kFnvStart;
}

void write_mix() {
    uint64_t frames = 0;
    const int16_t* mix = game_sound_frame_mix(&frames);
    const auto count = static_cast<uint32_t>(frames);
    std::fwrite(&count, sizeof count, 1, mix_out);
    if (count) std::fwrite(mix, 2 * sizeof(int16_t), count, mix_out);
}

void frame_done() {
    const uint64_t frame = program_frames();
    if (mix_out) write_mix();
    sound_hash = fnv(sound_hash, reinterpret_cast<const uint8_t*>(host.out), sizeof host.out);
    for (auto& w : watches) {
        uint64_t v = 0;
        for (int i = w.size - 1; i >= 0; --i) v = v << 8 | orb_read8(w.address + uint32_t(i));
        if (!w.seen || v != w.last)
            std::fprintf(out, "W %llu %06X %llX\n", static_cast<unsigned long long>(frame), w.address,
                         static_cast<unsigned long long>(v));
        w.seen = true;
        w.last = v;
    }
    if (picture_frames.count(frame)) write_picture(frame);
    if (frame % every == 0) {
        const uint8_t* ram = orb_board.work_ram;
        std::fprintf(out, "C %llu %016llX %016llX %016llX", static_cast<unsigned long long>(frame),
                     static_cast<unsigned long long>(orb_video_frame_hash()),
                     static_cast<unsigned long long>(fnv(kFnvStart, ram, sizeof orb_board.work_ram)),
                     static_cast<unsigned long long>(sound_hash));
        for (size_t page = 0; page < sizeof orb_board.work_ram; page += 0x1000)
            std::fprintf(out, " %016llX",
                         static_cast<unsigned long long>(fnv(kFnvStart, ram + page, 0x1000)));
        std::fputc('\n', out);
        sound_hash = kFnvStart;
    }
    std::fflush(out);
    if (mix_out) std::fflush(mix_out);
}

void write_entered() {
    std::fputc('E', out);
    for (uint64_t row = 0; row < game_routine_count(); ++row)
        if (game_entered[row]) std::fprintf(out, " %06X", game_routine_address(row));
    std::fputc('\n', out);
    std::fflush(out);
}

bool parse_watches(const char* text) {
    while (text && *text) {
        char* end = nullptr;
        const unsigned long address = std::strtoul(text, &end, 16);
        if (*end != ':') return false;
        const long size = std::strtol(end + 1, &end, 10);
        if (size < 1 || size > 8) return false;
        watches.push_back({static_cast<uint32_t>(address), static_cast<int>(size), 0, false});
        if (*end == ',')
            ++end;
        else if (*end)
            return false;
        text = end;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = std::getenv("IRONBELL_PROBE_OUT");
    if (!path || !(out = std::fopen(path, "w"))) {
        std::fprintf(stderr, "probe: IRONBELL_PROBE_OUT must name a file that can be written\n");
        return 2;
    }
    if (const char* e = std::getenv("IRONBELL_PROBE_EVERY")) every = std::strtoull(e, nullptr, 10);
    if (const char* s = std::getenv("IRONBELL_PROBE_SLICES")) slices = std::strtoull(s, nullptr, 10);
    if (const char* h = std::getenv("IRONBELL_PROBE_HUNG"))
        hung_seconds = static_cast<unsigned>(std::strtoul(h, nullptr, 10));
    if (every == 0 || slices == 0 || !parse_watches(std::getenv("IRONBELL_PROBE_WATCH")) ||
        !parse_frames(std::getenv("IRONBELL_PROBE_PICTURES"))) {
        std::fprintf(stderr, "probe: bad IRONBELL_PROBE_EVERY, _SLICES, _WATCH or _PICTURES\n");
        return 2;
    }
    if (const char* m = std::getenv("IRONBELL_PROBE_MIX"); m && !(mix_out = std::fopen(m, "wb"))) {
        std::fprintf(stderr, "probe: IRONBELL_PROBE_MIX must name a file that can be written\n");
        return 2;
    }
    // exit() runs it on every way out that is not a signal: the end of
    // host_main and the runtime's fatal line alike.
    std::atexit(write_entered);
    const std::string out_path = path;
    picture_folder = out_path.substr(0, out_path.find_last_of('/') + 1);
    host_observers.started = started;
    host_observers.frame_done = frame_done;
    host_observers.unpaced = true;
    return host_main(argc, argv);
}
