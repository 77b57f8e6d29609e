// The whole game's frame: the real host frame cycle over the real game on the
// synthetic ROM set, headless (SDL's dummy drivers), with video and sound, for
// two scripted runs: the play run (tests/support/play_script.h) and stage 2's
// crowd (tests/support/crowd_script.h), the busiest scene the set makes. Each
// repetition runs in a
// child process of its own (the host owns global state and ends its run by
// leaving), so every run starts from a fresh board and an empty preferences
// folder.
//
// The figure is milliseconds of one core per game frame: the CPU time of the
// thread that runs the game, from the first guest instruction to the last
// frame, divided by the frames run. The host paces itself to 60 frames a
// second; the benchmark turns that off through the observers' switch, which
// the game itself never sets, so the run goes as fast as it can (the pacing's
// sleeps and its last milliseconds of polling would otherwise count as the
// game's) while the product keeps its pacing.
//
// Counters: ms_per_frame (CPU), wall_ms_per_frame, and the shares of
//   video  drawing the picture (the renderer's frame) and the sprite updates;
//   sound  the sound board catching up with board time (time_passes) and its
//          end of frame (rendering the chips, mixing);
//   host   the host's own part of the frame callbacks: handing the picture
//          to SDL (a software renderer under the dummy driver), resampling
//          and queueing the sound, its upkeep;
//   game   the rest: the translated game code, the runtime and the board.
// The renderer's frame and the sound board's end of frame are called by the
// host directly; this binary is linked with those two calls wrapped (see
// bench/CMakeLists.txt), so the host's code stays as the product has it.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/crowd_script.h"
#include "tests/support/play_script.h"
#include "board/machine.h"
#include "host/shell.h"
#include "runtime/v60.h"
#include "tests/support/romset_fixture.h"
#include "tests/support/synthetic_rom.h"

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

// The scenes, by the benchmark's first argument.
struct scene {
    const char* script_file;
    uint64_t frames;
};
constexpr scene kScenes[] = {{"play.txt", play_script::kFrames}, {"crowd.txt", crowd_script::kFrames}};
constexpr unsigned kChildSeconds = 600;  // a run stuck inside a frame is killed

// What the child measured, sent to the parent through a pipe.
struct report {
    uint64_t frames = 0;
    double cpu_seconds = 0, wall_seconds = 0;
    double video_seconds = 0, sound_seconds = 0, host_seconds = 0;
    int finished = 0;
};

// ---- the child's side: observers around the board's and the host's callbacks

report measured;
int report_fd = -1;
clock_type::time_point wall_start;
double cpu_start = 0;
void (*frame_callback)() = nullptr;
void (*sprites_callback)(bool, bool) = nullptr;
orb_time_passes_fn time_passes_callback = nullptr;
void (*frame_done_callback)() = nullptr;

double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double since(clock_type::time_point from) {
    return std::chrono::duration<double>(clock_type::now() - from).count();
}

void timed_frame() {
    const auto t = clock_type::now();
    frame_callback();
    measured.host_seconds += since(t);  // the draw inside it moves to video below
}

void timed_sprites(bool clear, bool draw) {
    const auto t = clock_type::now();
    sprites_callback(clear, draw);
    measured.video_seconds += since(t);
}

void timed_time_passes(uint64_t until) {
    const auto t = clock_type::now();
    time_passes_callback(until);
    measured.sound_seconds += since(t);
}

void timed_frame_done() {
    const auto t = clock_type::now();
    frame_done_callback();
    measured.host_seconds += since(t);  // the sound's end of frame moves to sound below
}

}  // namespace

// The linker's wraps of the host's direct calls.
extern "C" {
void __real__Z20orb_video_draw_framev();
void __real_game_sound_end_frame(uint64_t board_time);

void __wrap__Z20orb_video_draw_framev() {
    const auto t = clock_type::now();
    __real__Z20orb_video_draw_framev();
    const double spent = since(t);
    measured.video_seconds += spent;
    measured.host_seconds -= spent;
}

void __wrap_game_sound_end_frame(uint64_t board_time) {
    const auto t = clock_type::now();
    __real_game_sound_end_frame(board_time);
    const double spent = since(t);
    measured.sound_seconds += spent;
    measured.host_seconds -= spent;
}
}

namespace {

void send_report() {
    if (report_fd < 0) return;
    measured.frames = program_frames();
    measured.cpu_seconds = thread_cpu_seconds() - cpu_start;
    measured.wall_seconds = since(wall_start);
    const ssize_t written = write(report_fd, &measured, sizeof measured);
    (void)written;
    close(report_fd);
    report_fd = -1;
}

void started() {
    auto& b = orb_board;
    frame_callback = b.callbacks.frame;
    sprites_callback = b.callbacks.sprites;
    time_passes_callback = b.callbacks.time_passes;
    frame_done_callback = program_frame_done;
    if (frame_callback) b.callbacks.frame = timed_frame;
    if (sprites_callback) b.callbacks.sprites = timed_sprites;
    if (time_passes_callback) b.callbacks.time_passes = timed_time_passes;
    if (frame_done_callback) program_frame_done = timed_frame_done;
    wall_start = clock_type::now();
    cpu_start = thread_cpu_seconds();
}

[[noreturn]] void run_child(const fs::path& folder, const scene& sc, int fd) {
    report_fd = fd;
    alarm(kChildSeconds);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("IRONBELL_ROM", (folder / "rom").c_str(), 1);
    setenv("HOME", (folder / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    // A run that ends the program (status 3) still reports what it measured.
    std::atexit(send_report);
    host_observers.started = started;
    host_observers.unpaced = true;
    const std::string script = (folder / sc.script_file).string();
    const std::string frames = std::to_string(sc.frames);
    const char* argv[] = {"ironbell", "--script", script.c_str(), "--frames", frames.c_str(), nullptr};
    const int status = host_main(5, const_cast<char**>(argv));
    measured.finished = status == 0 && program_frames() >= sc.frames;
    send_report();
    std::fflush(nullptr);
    _exit(status);
}

// ---- the parent's side

// The ROM set, the script and a working folder, written once for all runs.
// The folder belongs to the benchmark's own process: a child that leaves
// through exit() runs the static destructors too, and must not remove it.
const fs::path& bench_folder() {
    static const pid_t owner = getpid();
    static const struct owned {
        romset_fixture::temp_dir* dir = new romset_fixture::temp_dir;
        ~owned() {
            if (getpid() == owner) delete dir;
        }
    } folder;
    static const bool written = [] {
        const romset_fixture::temp_dir& dir = *folder.dir;
        synthetic::synthetic_set().write_folder(dir / "rom");
        std::ofstream(dir / kScenes[0].script_file) << play_script::text();
        std::ofstream(dir / kScenes[1].script_file) << crowd_script::text();
        fs::create_directories(dir / "home");
        return true;
    }();
    (void)written;
    return folder.dir->path();
}

// One run at the given window scale, from a fresh preferences folder (a blank
// EEPROM, default settings but the scale).
bool run_once(const scene& sc, int scale, report& r, std::string& why) {
    const fs::path& folder = bench_folder();
    fs::remove_all(folder / "data");
    fs::create_directories(folder / "data" / "IronBell");
    std::ofstream(folder / "data" / "IronBell" / "irnbell.ini") << "[video]\nscale = " << scale << "\n";
    int fds[2];
    if (pipe(fds) != 0) {
        why = "no pipe";
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        run_child(folder, sc, fds[1]);
    }
    close(fds[1]);
    r = report{};
    const ssize_t got = read(fds[0], &r, sizeof r);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != static_cast<ssize_t>(sizeof r)) {
        why = WIFSIGNALED(status) ? "the run was ended by signal " + std::to_string(WTERMSIG(status))
                                  : "the run reported nothing";
        return false;
    }
    if (!r.finished || r.frames == 0) {
        why = "the run stopped after " + std::to_string(r.frames) + " frames (exit status " +
              std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
        return r.frames > 0;  // still worth its figures, but flagged
    }
    return true;
}

void BM_GameFrame(benchmark::State& state) {
    report total;
    std::string problem;
    for (auto _ : state) {
        report r;
        std::string why;
        if (!run_once(kScenes[state.range(0)], static_cast<int>(state.range(1)), r, why)) {
            state.SkipWithError(why.c_str());
            return;
        }
        if (!why.empty()) problem = why;
        state.SetIterationTime(r.cpu_seconds);
        total.frames += r.frames;
        total.cpu_seconds += r.cpu_seconds;
        total.wall_seconds += r.wall_seconds;
        total.video_seconds += r.video_seconds;
        total.sound_seconds += r.sound_seconds;
        total.host_seconds += r.host_seconds;
    }
    if (total.frames == 0) return;
    const double frames = static_cast<double>(total.frames);
    const double wall = total.wall_seconds;
    const double game = wall - total.video_seconds - total.sound_seconds - total.host_seconds;
    state.counters["frames"] = frames / static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] = total.cpu_seconds * 1e3 / frames;
    state.counters["wall_ms_per_frame"] = wall * 1e3 / frames;
    state.counters["game_share"] = game / wall;
    state.counters["video_share"] = total.video_seconds / wall;
    state.counters["sound_share"] = total.sound_seconds / wall;
    state.counters["host_share"] = total.host_seconds / wall;
    if (!problem.empty()) state.SetLabel(problem);
}
// The arguments are the scene (0 the play run, 1 the crowd) and the window's
// scale: 3, the default, and 1. Under the dummy
// driver SDL draws with its software renderer, which stretches the picture
// to the window's size; with a real display the renderer is accelerated and
// the stretch costs the processor next to nothing, which scale 1 approaches.
BENCHMARK(BM_GameFrame)
    ->ArgNames({"scene", "scale"})
    ->Args({0, 3})
    ->Args({0, 1})
    ->Args({1, 3})
    ->Args({1, 1})
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
