// The host shell's state and its entry points: start-up, the frame cycle,
// input mapping and hot keys. Only host/ includes SDL.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>

#include "host/audio.h"
#include "host/resampler.h"

struct script_record;

struct host_shell {
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    host_audio audio;  // its device 0: a silent run
    SDL_GameController* controllers[4];
    script_record* script;
    uint8_t quit_requested;
    uint64_t frames_wanted;  // 0: no limit
    host_mixed_buffer mixed;
    int16_t out[HOST_OUT_FRAMES * 2];
    int sound_raw = -1;          // the sound dump's file; -1: no dump
    const char* sound_raw_path;  // as IRONBELL_SOUND_RAW names it
    uint64_t sound_raw_written;  // bytes in the dump so far
    double shown_scale;
    char eeprom_path[1024];
};
extern host_shell host;

int host_main(int argc, char** argv);
// Observers a test program may install before host_main (null in the game):
// `started` once the board is wired and reset, just before the guest runs;
// `frame_done` at each end of frame, after the frame's sound is out and
// before the frame limit is checked. A test program may also turn the pacing
// off, so frames run as fast as they come.
struct host_observer_hooks {
    void (*started)() = nullptr;
    void (*frame_done)() = nullptr;
    bool unpaced = false;
};
extern host_observer_hooks host_observers;
// Reports a start-up failure: the message, its detail and, when given, a
// third line with the reason, on standard error and in a message box.
int fail(const char* message, const char* detail, const std::string& reason = {});

// Board and runtime callbacks.
void on_log(const char* text);
void on_irq_changed(int level);
void on_frame_shown();
void on_frame_done();
void on_controls_update();

// Input: the 34 control flags are input * 4 + player for the inputs below,
// then service and test.
enum host_input : int {
    HOST_UP,
    HOST_DOWN,
    HOST_LEFT,
    HOST_RIGHT,
    HOST_BUTTON1,
    HOST_BUTTON2,
    HOST_COIN,
    HOST_START,
};
constexpr int HOST_SERVICE = 32;
constexpr int HOST_TEST = 33;
constexpr int HOST_CONTROLS = 34;

struct host_pad_state {
    int16_t axis_x = 0, axis_y = 0;
    bool up = false, down = false, left = false, right = false;
    bool a = false, b = false, start = false, back = false;
};

void host_input_keyboard(const uint8_t* keys, uint8_t controls[HOST_CONTROLS]);
void host_input_pad(int player, const host_pad_state& pad, uint8_t controls[HOST_CONTROLS]);
// Writes the six bytes the host owns: players 1-4, system, starts 3 and 4.
void host_input_compose(const uint8_t controls[HOST_CONTROLS], uint8_t io_inputs[8]);
// One SDL event: quit, hot keys, controller hot-plug.
void host_input_event(const SDL_Event& event);
// The window's scale, full-screen state and smoothing follow the settings.
void host_apply_settings();
void host_save_eeprom_if_dirty();
