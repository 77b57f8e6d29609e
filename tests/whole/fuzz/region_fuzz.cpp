// Any program region runs the game, in this process, for up to 120 frames
// without a crash, a sanitizer report or a hang: a run either reaches its
// last frame or ends where the runtime ends a run that cannot go on (its
// fatal line, which here comes back to the target instead of exiting).
//
// Input: a kind byte (zeros, ones, noise, the synthetic set with flipped
// bytes), a 32-bit seed, then any number of flips, each a 24-bit index into
// the program ROM's own bytes and a mask to exclusive-or there.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "board/machine.h"
#include "romset/rom_set.h"
#include "runtime/v60.h"
#include "sound/sound_reference.h"
#include "tests/support/region_kinds.h"
#include "video/video.h"

namespace {

constexpr uint64_t kFrames = 120;
constexpr unsigned kHungSeconds = 1;

void to_cpu(int level) { program_irq_line(level & 0xFF); }

void stop_at_limit() {
    game_sound_end_frame(orb_board.now);
    uint64_t samples = 0;
    game_sound_frame_mix(&samples);
    if (program_frames() >= kFrames) program_stop();
}

// The runtime's fatal line is out: go back to the target, leaving the run.
void back_to_target() { program_stop(); }

// The synthetic set's graphics and sound ROM, loaded once as the host loads it.
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
    orb_board.irq_changed = to_cpu;
    orb_board.sound_rom = game_sound;
    orb_video_init(game_tiles, 0x400000, game_sprites, 0x800000);
    game_sound_attach();
    loaded = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    load_once();
    const auto kind = region_kinds::kind(data[0] % region_kinds::kinds);
    const uint32_t seed = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 |
                          uint32_t(data[4]) << 24;
    synthetic::rom_builder rom = region_kinds::region(kind, seed);
    for (size_t i = 5; i + 4 <= size; i += 4)
        region_kinds::flip(rom, uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 |
                                    uint32_t(data[i + 2]) << 16,
                           data[i + 3]);
    region_kinds::assemble_program(rom, std::span<uint8_t>(game_program, game_program_size));

    orb_init(game_program);
    program_reset();
    program_frame_done = stop_at_limit;
    program_fatal_hook = back_to_target;
    program_watchdog(kHungSeconds);
    program_run();
    program_watchdog(0);
    return 0;
}
