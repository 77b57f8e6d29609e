// Start-up, the host's side of every frame, and shut-down.
#include "host/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/machine.h"
#include "host/eeprom_file.h"
#include "host/script.h"
#include "host/settings.h"
#include "romset/rom_set.h"
#include "runtime/v60.h"
#include "sound/sound_reference.h"
#include "video/video.h"

host_shell host;
host_observer_hooks host_observers;

namespace {

constexpr const char* kTitle = "Ironbell: The Arcade Game";
constexpr uint32_t kQueueLimit = 19199;  // bytes: fewer than six blocks wait

// The narrow screen's width, which the window starts at; the picture's rows
// are ORB_VIDEO_COLUMNS wide, of which the wide screen shows all.
constexpr int kNarrowWidth = 320;

// Processor seconds one game frame may take before the run is taken for hung
// (a real frame takes a few milliseconds).
constexpr unsigned kHungFrameSeconds = 5;

constexpr const char* kUsage = "usage: ironbell [--script FILE] [--frames N]";

// Whether the file opens for reading; a FIFO opens at once instead of waiting
// for a writer (the loader then refuses it with its name).
bool file_opens(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// A frame count: decimal digits only, without a sign, that fit 64 bits.
bool parse_frames(const char* text, uint64_t& frames) {
    if (!*text) return false;
    uint64_t value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(*c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    frames = value;
    return true;
}

enum class command_line { run, help, refused };

// Reads the options; refused, with the usage line printed, on anything else.
// An option given twice is refused: which of its values was meant is not known.
command_line parse_command_line(int argc, char** argv, const char** script_path) {
    auto refuse = [](const std::string& what) {
        std::fprintf(stderr, "ironbell: %s; %s\n", what.c_str(), kUsage);
        return command_line::refused;
    };
    bool frames_seen = false;
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s\n", kUsage);
            return command_line::help;
        } else if (std::strcmp(argv[i], "--script") == 0) {
            if (*script_path) return refuse("--script is given twice");
            if (!has_value) return refuse("--script needs a file name");
            *script_path = argv[++i];
        } else if (std::strcmp(argv[i], "--frames") == 0) {
            if (frames_seen) return refuse("--frames is given twice");
            frames_seen = true;
            if (!has_value) return refuse("--frames needs a number of frames");
            if (!parse_frames(argv[++i], host.frames_wanted))
                return refuse(std::string("--frames takes a whole number of frames, not '") + argv[i] + "'");
        } else {
            return refuse(std::string("unknown argument '") + argv[i] + "'");
        }
    }
    return command_line::run;
}

// The video drivers of SDL that show nothing. SDL falls back to one of them
// when it finds no display, and the window then opens unseen.
bool shows_nothing(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Where the search for the ROM set ended, and why there.
struct rom_choice {
    bool named = false;     // by IRONBELL_ROM
    bool fallback = false;  // nothing found: rom/irnbell.zip, untested
};

rom_choice find_rom_set(char* path, size_t size, const char* base, const char* pref) {
    const char* named = std::getenv("IRONBELL_ROM");
    if (named && *named) {
        std::snprintf(path, size, "%s", named);
        return {true, false};
    }
    std::snprintf(path, size, "%sirnbell.zip", base);
    if (file_opens(path)) return {};
    if (*pref) {
        std::snprintf(path, size, "%sirnbell.zip", pref);
        if (file_opens(path)) return {};
    }
    std::snprintf(path, size, "rom/%s", "irnbell.zip");
    return {false, true};
}

// The third line of a ROM set failure: the file and what is wrong with it.
std::string rom_set_reason(const char* path, const rom_choice& choice, const std::string& reason,
                           const char* base, const char* pref) {
    if (choice.named) return std::string("IRONBELL_ROM=") + path + ": " + reason;
    if (choice.fallback && ::access(path, F_OK) != 0) {
        std::string where = std::string("no irnbell.zip beside the executable (") + base + ")";
        if (*pref) where += std::string(", in ") + pref;
        return where + " or in rom/ of the working folder";
    }
    return std::string(path) + ": " + reason;
}

SDL_ScaleMode scale_mode() { return settings.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest; }

int scaled(double scale, int size) { return static_cast<int>(scale * size); }

void load_eeprom_file() {
    if (!host.eeprom_path[0]) return;  // no preferences folder: nothing is kept
    uint16_t words[64];
    std::string ignored;
    if (host_eeprom_load(host.eeprom_path, words, ignored))
        std::memcpy(orb_board.eeprom, words, sizeof words);
    else if (!ignored.empty())
        std::fprintf(stderr, "%s: not used (%s); the EEPROM starts blank\n", host.eeprom_path,
                     ignored.c_str());
}

void pace() {
    const uint64_t f = SDL_GetPerformanceFrequency();
    const uint64_t now = SDL_GetPerformanceCounter();
    if (now > host.next_frame + f / 60 + f / 4)
        host.next_frame = now;  // far behind: resume from the present
    else
        host.next_frame += f / 60;
    for (;;) {
        const uint64_t counter = SDL_GetPerformanceCounter();
        if (counter >= host.next_frame) break;
        const uint64_t remaining = (host.next_frame - counter) * 1000 / f;
        if (remaining > 2) SDL_Delay(static_cast<uint32_t>(remaining - 1));
    }
}

void trace_sound(const int16_t* mix, uint64_t frames) {
    if (!std::getenv("IRONBELL_SOUND_TRACE") || program_frames() % 60 != 0) return;
    int peak = 0;
    for (uint64_t i = 0; i < frames * 2; ++i) {
        const int v = std::abs(static_cast<int>(mix[i]));
        if (v > peak) peak = v;
    }
    std::fprintf(stderr, "sound: frame %llu, %zu samples at %u Hz, peak %d\n",
                 static_cast<unsigned long long>(program_frames()), static_cast<size_t>(frames),
                 game_sound_rate(), peak);
}

// A closed terminal ends the run as a window close does, so a changed EEPROM
// is saved (SDL turns SIGINT and SIGTERM into a quit event by itself).
volatile std::sig_atomic_t hung_up = 0;

void on_hang_up(int) { hung_up = 1; }

void catch_hang_up() {
    struct sigaction previous {};
    if (::sigaction(SIGHUP, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
        return;  // started under nohup: the hang-up stays ignored
    struct sigaction action {};
    action.sa_handler = on_hang_up;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGHUP, &action, nullptr);
}

// The sound dump. A FIFO is opened without waiting for a reader (with none
// the run goes on without the dump), then written like a file, so a slow
// reader gets every byte.
void open_sound_dump(const char* path) {
    if (!*path) return;  // empty counts as unset, as it does for IRONBELL_ROM
    host.sound_raw_path = path;
    host.sound_raw_written = 0;
    host.sound_raw = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (host.sound_raw < 0) {
        const int error = errno;
        struct stat status;
        if (error == ENXIO && ::stat(path, &status) == 0 && S_ISFIFO(status.st_mode))
            std::fprintf(stderr, "IRONBELL_SOUND_RAW=%s: no program reads this FIFO; no sound dump\n", path);
        else
            std::fprintf(stderr, "IRONBELL_SOUND_RAW=%s: cannot be created (%s); no sound dump\n", path,
                         std::strerror(error));
        return;
    }
    const int flags = ::fcntl(host.sound_raw, F_GETFL);
    if (flags >= 0) ::fcntl(host.sound_raw, F_SETFL, flags & ~O_NONBLOCK);
}

// Appends the frame's output block to the dump. A failed write (a full disk,
// a reader that went away) is said once; the dump ends there, the game goes on.
void write_sound_dump() {
    const auto* at = reinterpret_cast<const uint8_t*>(host.out);
    size_t left = sizeof host.out;
    while (left > 0) {
        const ssize_t n = ::write(host.sound_raw, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::fprintf(stderr,
                         "IRONBELL_SOUND_RAW=%s: cannot be written (%s); the sound dump ends after "
                         "%llu bytes\n",
                         host.sound_raw_path, n < 0 ? std::strerror(errno) : "no byte was taken",
                         static_cast<unsigned long long>(host.sound_raw_written));
            ::close(host.sound_raw);
            host.sound_raw = -1;
            return;
        }
        at += n;
        left -= static_cast<size_t>(n);
        host.sound_raw_written += static_cast<uint64_t>(n);
    }
}

void shut_down() {
    host_save_eeprom_if_dirty();
    if (host.sound_raw >= 0 && ::close(host.sound_raw) != 0)
        std::fprintf(stderr,
                     "IRONBELL_SOUND_RAW=%s: cannot be written (%s); the sound dump may "
                     "be incomplete\n",
                     host.sound_raw_path, std::strerror(errno));
    host.sound_raw = -1;
    if (host.audio) SDL_CloseAudioDevice(host.audio);
    for (auto& pad : host.controllers) {
        if (pad) SDL_GameControllerClose(pad);
        pad = nullptr;
    }
    orb_script_free(host.script);
    host.script = nullptr;
    host_mixed_free(host.mixed);
    SDL_Quit();
}

}  // namespace

int fail(const char* message, const char* detail, const std::string& reason) {
    std::string text = std::string(message) + "\n" + detail;
    if (!reason.empty()) text += "\n" + reason;
    std::fprintf(stderr, "%s\n", text.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kTitle, text.c_str(), nullptr);
    return 1;
}

void on_log(const char*) {}

// Settings problems go to SDL's log; they never stop the run.
static void settings_log(const char* text) { SDL_Log("%s", text); }

void on_irq_changed(int level) { program_irq_line(level & 0xFF); }

void on_frame_shown() {
    orb_video_draw_frame();
    int width = kNarrowWidth;
    const void* pixels = orb_video_frame(&width);
    SDL_UpdateTexture(host.texture, nullptr, pixels, ORB_VIDEO_COLUMNS * 4);
    SDL_RenderSetLogicalSize(host.renderer, width, ORB_VIDEO_ROWS);
    SDL_RenderClear(host.renderer);
    const SDL_Rect source{0, 0, width, ORB_VIDEO_ROWS};
    SDL_RenderCopy(host.renderer, host.texture, &source, nullptr);
    SDL_RenderPresent(host.renderer);
}

void host_save_eeprom_if_dirty() {
    if (!orb_board.eeprom_state.eeprom_dirty || !host.eeprom_path[0]) return;
    // The flag is cleared only once the file is safely in place; otherwise the
    // next save point tries again.
    std::string reason;
    if (host_eeprom_save(host.eeprom_path, orb_board.eeprom, reason))
        orb_board.eeprom_state.eeprom_dirty = 0;
    else
        std::fprintf(stderr, "%s: the EEPROM cannot be saved (%s); it is tried again later\n",
                     host.eeprom_path, reason.c_str());
}

void host_apply_settings() {
    SDL_SetTextureScaleMode(host.texture, scale_mode());
    const bool full = SDL_GetWindowFlags(host.window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (full != (settings.full_screen != 0))
        SDL_SetWindowFullscreen(host.window, settings.full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!(settings.scale == host.shown_scale)) {  // a NaN on either side counts as a change
        host.shown_scale = settings.scale;
        SDL_SetWindowSize(host.window, scaled(settings.scale, kNarrowWidth),
                          scaled(settings.scale, ORB_VIDEO_ROWS));
    }
}

void on_frame_done() {
    if (host.quit_requested || hung_up) {
        program_stop();
        return;
    }
    game_sound_end_frame(orb_board.now);
    uint64_t frames = 0;
    const int16_t* mix = game_sound_frame_mix(&frames);
    trace_sound(mix, frames);
    host_mixed_append(host.mixed, mix, frames);
    host_resample(host.mixed, settings.volume, host.out);
    if (host.sound_raw >= 0) write_sound_dump();
    if (host.audio && SDL_GetQueuedAudioSize(host.audio) <= kQueueLimit)
        SDL_QueueAudio(host.audio, host.out, sizeof host.out);
    if (host_observers.frame_done) host_observers.frame_done();
    if (host.frames_wanted && program_frames() >= host.frames_wanted) {
        program_stop();
        return;
    }
    if (program_frames() % 600 == 0) host_save_eeprom_if_dirty();
    if (program_frames() % 30 == 0 && settings_reread()) host_apply_settings();
    if (!host_observers.unpaced) pace();
}

int host_main(int argc, char** argv) {
    const char* script_path = nullptr;
    switch (parse_command_line(argc, argv, &script_path)) {
    case command_line::run: break;
    case command_line::help: return 0;
    case command_line::refused: return 1;
    }
    if (script_path) {
        char problem[2048] = "";
        host.script = orb_script_load(script_path, problem, sizeof problem);
        if (!host.script) return fail("The control script cannot be read.", problem);
    }

    catch_hang_up();
    // A dump reader that goes away is a failed write, not the end of the game.
    std::signal(SIGPIPE, SIG_IGN);

    // Audio starts on its own, so a machine without an audio back-end still runs (silently).
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER) != 0)
        return fail("SDL could not start.", SDL_GetError());
    const bool audio_started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;

    // A run without a picture is one the user asked for by naming the driver.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (const char* driver = SDL_GetCurrentVideoDriver(); shows_nothing(driver) && !(asked && *asked)) {
        const std::string reason = std::string("SDL found no display and took its video driver '") + driver +
                                   "', which shows nothing; SDL_VIDEODRIVER=dummy runs without a picture on "
                                   "purpose.";
        return fail(
            "No display was found.",
            "Ironbell shows its picture in a window: start it in a desktop session, or set DISPLAY to "
            "the display to use.",
            reason);
    }

    // A relative XDG_DATA_HOME is to be ignored (it would name a folder under
    // wherever the game was started): the preferences go under HOME then.
    if (const char* data_home = std::getenv("XDG_DATA_HOME"); data_home && data_home[0] != '/')
        ::unsetenv("XDG_DATA_HOME");
    char* base = SDL_GetBasePath();
    char* pref = SDL_GetPrefPath("", "IronBell");
    const std::string pref_error = pref ? "" : SDL_GetError();
    // Without a preferences folder nothing is kept, rather than the settings
    // and the EEPROM landing in whatever folder the program was started from.
    char settings_path[1024] = "";
    host.eeprom_path[0] = '\0';
    if (pref) {
        std::snprintf(settings_path, sizeof settings_path, "%sirnbell.ini", pref);
        std::snprintf(host.eeprom_path, sizeof host.eeprom_path, "%sirnbell.eeprom", pref);
    }
    char rom_path[1024];
    const char* base_text = base ? base : "";
    const char* pref_text = pref ? pref : "";
    const rom_choice choice = find_rom_set(rom_path, sizeof rom_path, base_text, pref_text);
    std::string reason;
    const bool loaded = game_rom_set_load(rom_path, game_rom_members, &reason) == nullptr;
    if (!loaded) reason = rom_set_reason(rom_path, choice, reason, base_text, pref_text);
    SDL_free(base);
    SDL_free(pref);
    if (!loaded)
        return fail("The ROM set is missing or incomplete.",
                    "Put your own Kestrel irnbell.zip beside the executable (or in rom/), or set "
                    "IRONBELL_ROM.",
                    reason);
    if (!pref)
        std::fprintf(stderr,
                     "The preferences folder cannot be had (%s): the settings and the EEPROM are "
                     "not kept in this run.\n",
                     pref_error.c_str());

    settings_set_log(settings_log);
    settings_open(settings_path[0] ? settings_path : nullptr);
    host.shown_scale = settings.scale;
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (settings.full_screen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    host.window =
        SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         scaled(settings.scale, kNarrowWidth), scaled(settings.scale, ORB_VIDEO_ROWS), flags);
    if (host.window) {
        host.renderer = SDL_CreateRenderer(host.window, -1, SDL_RENDERER_ACCELERATED);
        if (!host.renderer) host.renderer = SDL_CreateRenderer(host.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (host.renderer)
        host.texture = SDL_CreateTexture(host.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                         ORB_VIDEO_COLUMNS, ORB_VIDEO_ROWS);
    if (!host.texture) return fail("The window could not be opened.", SDL_GetError());
    SDL_RenderSetIntegerScale(host.renderer, SDL_FALSE);
    SDL_SetTextureScaleMode(host.texture, scale_mode());
    // The picture's top byte is 0: draw it opaque, not as a transparent texture.
    SDL_SetTextureBlendMode(host.texture, SDL_BLENDMODE_NONE);

    if (audio_started) {
        SDL_AudioSpec want{};
        want.freq = 48000;
        want.format = AUDIO_S16LSB;
        want.channels = 2;
        want.samples = 1024;
        host.audio = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (host.audio) SDL_PauseAudioDevice(host.audio, 0);
    }

    orb_board.eeprom_instant = 1;
    orb_board.callbacks.irq_changed = on_irq_changed;
    orb_board.callbacks.controls_update = on_controls_update;
    orb_board.callbacks.log = on_log;
    orb_board.sound_rom = game_sound;
    orb_video_init(game_tiles, game_tiles_size, game_sprites, game_sprites_size);
    orb_board.callbacks.frame = on_frame_shown;
    game_sound_attach();
    host.mixed.step = game_sound_rate() / 48000.0;
    orb_init(game_program);
    load_eeprom_file();
    program_reset();
    program_frame_done = on_frame_done;
    // A run that ends on a fatal guest error still keeps its EEPROM changes.
    program_fatal_hook = host_save_eeprom_if_dirty;
    host.next_frame = SDL_GetPerformanceCounter();
    if (const char* raw = std::getenv("IRONBELL_SOUND_RAW")) open_sound_dump(raw);

    program_watchdog(kHungFrameSeconds);
    if (host_observers.started) host_observers.started();
    program_run();
    shut_down();
    return 0;
}
