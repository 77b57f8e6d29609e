// Any program region runs the game, in this process, for up to 120 frames
// without a crash, a sanitizer report or a hang: a run either reaches its
// last frame or ends where the runtime ends a run that cannot go on (its
// fatal line, which here comes back to the target instead of exiting).
//
// Input: a kind byte (zeros, ones, noise, the synthetic set with flipped
// bytes), a 32-bit seed, then any number of flips, each a 24-bit index into
// the program ROM's own bytes and a mask to exclusive-or there.
//
// Made to run a few dozen inputs a second, each from the same fresh state:
// - a frame that has not ended after 20 ms of processor time is hung (the
//   longest frame of the synthetic set, its first, takes under 4 ms here,
//   sanitizers included), where the game itself allows seconds;
// - the picture is drawn once, from where the run ended, instead of at every
//   vblank (a drawing costs as much as forty frames of the game);
// - the sound board is not attached: its processor, the costliest part of a
//   frame, runs the same synthetic program whatever the region holds, and
//   what the game gives it are bytes in the RAM they share, which the board
//   keeps either way;
// - the region is made straight in the program's place, and the board, the
//   processor and the renderer start afresh for each input, so that an input
//   does the same alone as after any other.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "board/machine.h"
#include "romset/rom_set.h"
#include "runtime/v60.h"
#include "tests/support/region_kinds.h"
#include "video/video.h"

namespace {

constexpr uint64_t kFrames = 120;
constexpr unsigned kHungMilliseconds = 20;

void to_cpu(int level) { program_irq_line(level & 0xFF); }

void stop_at_limit() {
    if (program_frames() >= kFrames) program_stop();
}

// The runtime's fatal line is out: go back to the target, leaving the run.
void back_to_target() { program_stop(); }

// The synthetic set's graphics ROM, loaded once as the host loads it.
void load_once() {
    static bool loaded = false;
    if (loaded) return;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("region_fuzz." + std::to_string(getpid()));
    synthetic::synthetic_set().write_folder(folder);
    std::string reason;
    if (game_rom_set_load(folder.c_str(), game_rom_members, &reason)) {
        std::fprintf(stderr, "region_fuzz: %s\n", reason.c_str());
        std::abort();
    }
    std::filesystem::remove_all(folder);
    orb_board.eeprom_instant = 1;
    orb_board.callbacks.irq_changed = to_cpu;
    loaded = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    load_once();
    const auto kind = region_kinds::kind(data[0] % region_kinds::kinds);
    const uint32_t seed =
        uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
    std::vector<region_kinds::flip_at> flips;
    for (size_t i = 5; i + 4 <= size; i += 4)
        flips.push_back(
            {uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 | uint32_t(data[i + 2]) << 16, data[i + 3]});
    region_kinds::assemble_region(kind, seed, flips, std::span<uint8_t>(game_program, game_program_size));

    orb_video_init(game_tiles, 0x400000, game_sprites, 0x800000);
    orb_board.callbacks.frame = nullptr;  // no picture at each vblank: one at the end
    orb_init(game_program);
    program_reset();
    program_frame_done = stop_at_limit;
    program_fatal_hook = back_to_target;
    program_watchdog_ms(kHungMilliseconds);
    program_run();
    program_watchdog_ms(0);
    orb_video_draw_frame();
    return 0;
}
