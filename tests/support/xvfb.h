#pragma once
// Helpers of the real-window tests: an Xvfb server of the test's own, a game
// that the test moves on frame by frame while it looks at the window,
// screenshots, shell commands' output and fields of xwininfo's report.
//
// Nothing here waits for a fixed time: a loaded machine may take seconds to
// start the server, to show the window or to take a screenshot, so each step
// waits for what it needs (the server's word that it accepts connections,
// the window's map, the dump of the frames the test let the game make).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/resampler.h"

namespace xvfb {

// The standard output of a shell command.
inline std::string capture(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// The number after `name` in `text`, -1 when it is not there.
inline int field(const std::string& text, const std::string& name) {
    const auto at = text.find(name);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size());
}

// The whole content of a file (a program's standard error), empty when it
// cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts argv_text[0] with exactly this environment in `cwd`, its standard
// error into `err`. The child keeps this process's descriptors that are not
// marked close-on-exec.
inline pid_t spawn(const std::vector<std::string>& argv_text, const std::vector<std::string>& env_text,
                   const std::filesystem::path& cwd, const std::filesystem::path& err) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(120);
        if (!std::freopen(err.c_str(), "w", stderr)) _exit(121);
        std::vector<std::string> a(argv_text), e(env_text);
        std::vector<char*> argv, envp;
        for (auto& s : a) argv.push_back(s.data());
        for (auto& s : e) envp.push_back(s.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        execve(argv[0], argv.data(), envp.data());
        _exit(122);
    }
    return pid;
}

// `env` with the sanitizers' options of this process added, so that a game
// built with them reports as the test asks.
inline std::vector<std::string> with_sanitizer_options(std::vector<std::string> env) {
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* v = std::getenv(keep)) env.push_back(std::string(keep) + "=" + v);
    return env;
}

// An Xvfb server of this test alone. It picks the first display number that
// no other server holds (-displayfd) and says it only once it accepts
// connections, so the test never talks to another test's or a leftover
// server, and never to one that is still starting. It never resets: by
// default a server starts afresh whenever its last client leaves (each
// xwininfo of a search), which on a loaded machine takes it seconds (its GL
// and keymap set up again), and drops a client that connected meanwhile.
class server {
public:
    // `dir` gets the server's standard error (xvfb.txt).
    explicit server(const std::filesystem::path& dir) : err_(dir / "xvfb.txt") {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return;
        fcntl(ends[1], F_SETFD, 0);  // the server's end stays open across its exec
        pid_ = spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0", "1024x768x24",
                      "-nolisten", "tcp", "-noreset"},
                     {"PATH=/usr/bin:/bin"}, dir, err_);
        close(ends[1]);
        // The number and a newline, or nothing when the server ends first.
        std::string number;
        char c = 0;
        while (read(ends[0], &c, 1) == 1 && c != '\n') number += c;
        close(ends[0]);
        if (!number.empty() && c == '\n') display_ = ":" + number;
    }
    ~server() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    server(const server&) = delete;
    server& operator=(const server&) = delete;

    // ":N", empty when the server did not start.
    const std::string& display() const { return display_; }
    // Why it did not: what the server printed.
    std::string problem() const { return "Xvfb did not start: " + read_file(err_); }

private:
    std::filesystem::path err_;
    pid_t pid_ = -1;
    std::string display_;
};

// The game's sound dump (IRONBELL_SOUND_RAW) of each frame: 800 stereo
// 16-bit frames.
constexpr size_t kDumpBytesPerFrame = HOST_OUT_FRAMES * 2 * sizeof(int16_t);

// A game started with its sound dump into a FIFO that the test reads. The
// game writes each frame's block before it makes the next frame, and the
// pipe holds only a few frames' blocks, so the game never runs more than
// those few frames ahead of what the test has read: a picture stays on the
// screen until the test has looked at it, however slow the machine or the
// screenshot.
//
// The game shows its window on `display`, reads the ROM set at `rom`, keeps
// its preferences under `dir` (data/IronBell) and runs silent, on SDL's X11
// driver alone: a game that cannot reach the server ends at once ("SDL could
// not start."), where SDL would otherwise run it on without a window.
class held_game {
public:
    held_game(const std::vector<std::string>& argv, const std::string& display,
              const std::filesystem::path& rom, const std::filesystem::path& dir)
        : err_(dir / "game.txt") {
        const auto fifo = dir / "sound.fifo";
        // The reader is open before the game starts: the game opens the dump
        // without waiting and would run on without one otherwise.
        if (mkfifo(fifo.c_str(), 0600) == 0) dump_ = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (dump_ < 0) {
            problem_ = fifo.string() + ": " + std::strerror(errno) + "; the game was not started\n";
            return;
        }
        pid_ = spawn(
            argv,
            with_sanitizer_options({"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                    "HOME=" + dir.string(), "XDG_DATA_HOME=" + (dir / "data").string(),
                                    "IRONBELL_ROM=" + rom.string(), "IRONBELL_SOUND_RAW=" + fifo.string(),
                                    "PATH=/usr/bin:/bin"}),
            dir, err_);
    }
    ~held_game() {
        if (pid_ > 0) finish();
        if (dump_ >= 0) close(dump_);
    }
    held_game(const held_game&) = delete;
    held_game& operator=(const held_game&) = delete;

    // Whether the game is still running.
    bool running() {
        if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
        return pid_ > 0;
    }

    // Whether the game has made a frame that has not been read yet.
    bool frame_waits() const {
        pollfd p{dump_, POLLIN, 0};
        return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
    }

    // Lets the game make `frames` more frames; false when its run ended first.
    bool advance(int frames) {
        size_t want = static_cast<size_t>(frames) * kDumpBytesPerFrame;
        char buffer[1 << 16];
        while (want > 0) {
            // Until the game opens its end, a poll sees nothing; the look at the
            // game's process between polls notices a game that ended.
            pollfd p{dump_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                if (!running()) return false;
                continue;
            }
            const ssize_t n = read(dump_, buffer, std::min(want, sizeof buffer));
            if (n <= 0) return false;  // the game closed its dump: the run ended
            want -= static_cast<size_t>(n);
        }
        return true;
    }

    // Sends the game a TERM signal (the host then ends the run at the next
    // frame's end, as on a window close) and reads its dump until it gets
    // there; the wait status.
    int finish() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            while (advance(1)) {
            }
            waitpid(pid_, &status_, 0);
            pid_ = -1;
        }
        return status_;
    }

    // Whether the run ended with status 0.
    bool ended_cleanly() const { return pid_ < 0 && WIFEXITED(status_) && WEXITSTATUS(status_) == 0; }
    // What the game printed, or why it was not started.
    std::string err() const { return problem_ + read_file(err_); }

private:
    std::filesystem::path err_;
    std::string problem_;
    int dump_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
};

// xwininfo's report of the window named `name` once it is mapped; empty when
// the game ended first, or made a frame without it (the host maps its window
// before its first frame). It polls: the window comes when the game has
// started, which on a loaded machine takes what it takes.
inline std::string mapped_window(const std::string& display, const std::string& name, held_game& game) {
    for (;;) {
        const bool framed = game.frame_waits();
        const std::string info = capture("xwininfo -display " + display + " -name '" + name + "' 2>&1");
        if (info.find("Map State: IsViewable") != std::string::npos) return info;
        if (framed || !game.running()) return {};
        usleep(100 * 1000);
    }
}

// The window's place and size on the screen, from xwininfo's report.
struct window_area {
    int x, y, w, h;
    explicit window_area(const std::string& info)
        : x(field(info, "Absolute upper-left X:")),
          y(field(info, "Absolute upper-left Y:")),
          w(field(info, "Width:")),
          h(field(info, "Height:")) {}
    // ImageMagick's options that cut this area out of a screenshot.
    std::string crop() const {
        return " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" + std::to_string(x) + "+" +
               std::to_string(y) + " +repage";
    }
};

// Screenshots of the screen into `shot` until `shows()` finds in one what the
// test looks for; after each that it does not, the game makes `step` frames
// more. False when the run ended first; `shots` counts them.
template <class Shows>
bool shoot_until(const std::string& display, const std::filesystem::path& shot, held_game& game, int step,
                 int& shots, Shows shows) {
    for (;;) {
        capture("import -display " + display + " -window root " + shot.string() + " 2>&1");
        ++shots;
        if (shows()) return true;
        if (!game.advance(step)) return false;
    }
}

// What the server holds: the window tree, for a report when the window is
// not there.
inline std::string window_tree(const std::string& display) {
    return capture("xwininfo -display " + display + " -root -tree 2>&1");
}

}  // namespace xvfb
