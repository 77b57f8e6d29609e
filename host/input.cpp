// Input mapping and hot keys: SDL events, keyboard and game controllers to the
// board's active-low input bytes.
#include <cstring>

#include "board/machine.h"
#include "host/script.h"
#include "host/settings.h"
#include "host/shell.h"

namespace {

struct key_binding {
    SDL_Scancode key;
    uint8_t control;
};

constexpr uint8_t at(host_input input, int player) { return uint8_t(input * 4 + player); }

// By physical key position, whatever the layout.
constexpr key_binding keyboard_map[] = {
    {SDL_SCANCODE_UP, at(HOST_UP, 0)},        {SDL_SCANCODE_DOWN, at(HOST_DOWN, 0)},
    {SDL_SCANCODE_LEFT, at(HOST_LEFT, 0)},    {SDL_SCANCODE_RIGHT, at(HOST_RIGHT, 0)},
    {SDL_SCANCODE_Z, at(HOST_BUTTON1, 0)},    {SDL_SCANCODE_SPACE, at(HOST_BUTTON1, 0)},
    {SDL_SCANCODE_X, at(HOST_BUTTON2, 0)},    {SDL_SCANCODE_5, at(HOST_COIN, 0)},
    {SDL_SCANCODE_1, at(HOST_START, 0)},

    {SDL_SCANCODE_W, at(HOST_UP, 1)},         {SDL_SCANCODE_S, at(HOST_DOWN, 1)},
    {SDL_SCANCODE_A, at(HOST_LEFT, 1)},       {SDL_SCANCODE_D, at(HOST_RIGHT, 1)},
    {SDL_SCANCODE_Q, at(HOST_BUTTON1, 1)},    {SDL_SCANCODE_E, at(HOST_BUTTON2, 1)},
    {SDL_SCANCODE_6, at(HOST_COIN, 1)},       {SDL_SCANCODE_2, at(HOST_START, 1)},

    {SDL_SCANCODE_I, at(HOST_UP, 2)},         {SDL_SCANCODE_K, at(HOST_DOWN, 2)},
    {SDL_SCANCODE_J, at(HOST_LEFT, 2)},       {SDL_SCANCODE_L, at(HOST_RIGHT, 2)},
    {SDL_SCANCODE_U, at(HOST_BUTTON1, 2)},    {SDL_SCANCODE_O, at(HOST_BUTTON2, 2)},
    {SDL_SCANCODE_3, at(HOST_START, 2)},

    {SDL_SCANCODE_KP_8, at(HOST_UP, 3)},      {SDL_SCANCODE_KP_5, at(HOST_DOWN, 3)},
    {SDL_SCANCODE_KP_4, at(HOST_LEFT, 3)},    {SDL_SCANCODE_KP_6, at(HOST_RIGHT, 3)},
    {SDL_SCANCODE_KP_7, at(HOST_BUTTON1, 3)}, {SDL_SCANCODE_KP_9, at(HOST_BUTTON2, 3)},
    {SDL_SCANCODE_4, at(HOST_START, 3)},

    {SDL_SCANCODE_9, HOST_SERVICE},           {SDL_SCANCODE_F2, HOST_TEST},
};

// Bit of a player byte cleared by each input (coin and start live elsewhere).
constexpr uint8_t player_bits[] = {0x20, 0x10, 0x80, 0x40, 0x01, 0x02, 0, 0};

constexpr int16_t kStickDeadZone = 12000;

uint8_t controls[HOST_CONTROLS];

void toggle_full_screen() {
    const bool windowed = !(SDL_GetWindowFlags(host.window) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    settings.full_screen = windowed ? 1 : 0;
    SDL_SetWindowFullscreen(host.window, windowed ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    settings_save();
}

void toggle_smooth() {
    settings.smooth = settings.smooth ? 0 : 1;
    SDL_SetTextureScaleMode(host.texture, settings.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    settings_save();
}

host_pad_state read_pad(SDL_GameController* pad) {
    host_pad_state s{};
    s.axis_x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    s.axis_y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    auto held = [pad](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
    s.up = held(SDL_CONTROLLER_BUTTON_DPAD_UP);
    s.down = held(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    s.left = held(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    s.right = held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    s.a = held(SDL_CONTROLLER_BUTTON_A);
    s.b = held(SDL_CONTROLLER_BUTTON_B);
    s.start = held(SDL_CONTROLLER_BUTTON_START);
    s.back = held(SDL_CONTROLLER_BUTTON_BACK);
    return s;
}

}  // namespace

void host_input_keyboard(const uint8_t* keys, uint8_t c[HOST_CONTROLS]) {
    for (const key_binding& k : keyboard_map)
        if (keys[k.key]) c[k.control] = 1;
}

void host_input_pad(int player, const host_pad_state& pad, uint8_t c[HOST_CONTROLS]) {
    if (pad.axis_x < -kStickDeadZone || pad.left) c[at(HOST_LEFT, player)] = 1;
    if (pad.axis_x > kStickDeadZone || pad.right) c[at(HOST_RIGHT, player)] = 1;
    if (pad.axis_y < -kStickDeadZone || pad.up) c[at(HOST_UP, player)] = 1;
    if (pad.axis_y > kStickDeadZone || pad.down) c[at(HOST_DOWN, player)] = 1;
    if (pad.a) c[at(HOST_BUTTON1, player)] = 1;
    if (pad.b) c[at(HOST_BUTTON2, player)] = 1;
    if (pad.start) c[at(HOST_START, player)] = 1;
    if (pad.back && player < 2) c[at(HOST_COIN, player)] = 1;  // players 3 and 4 have no coin
}

void host_input_compose(const uint8_t c[HOST_CONTROLS], uint8_t io_inputs[8]) {
    constexpr int player_byte[4] = {ORB_INPUT_P1, ORB_INPUT_P2, ORB_INPUT_P3, ORB_INPUT_P4};
    for (int player = 0; player < 4; ++player) {
        uint8_t byte = 0xFF;
        for (int input = HOST_UP; input <= HOST_BUTTON2; ++input)
            if (c[input * 4 + player]) byte &= uint8_t(~player_bits[input]);
        io_inputs[player_byte[player]] = byte;
    }
    uint8_t system = 0xFF;
    if (c[HOST_SERVICE]) system &= ~0x01;
    if (c[HOST_TEST]) system &= ~0x02;
    if (c[at(HOST_COIN, 0)]) system &= ~0x04;
    if (c[at(HOST_COIN, 1)]) system &= ~0x08;
    if (c[at(HOST_START, 0)]) system &= ~0x10;
    if (c[at(HOST_START, 1)]) system &= ~0x20;
    io_inputs[ORB_INPUT_SYSTEM] = system;
    uint8_t starts = 0xFF;
    if (c[at(HOST_START, 2)]) starts &= ~0x01;
    if (c[at(HOST_START, 3)]) starts &= ~0x02;
    io_inputs[ORB_INPUT_START34] = starts;
}

void host_input_event(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT: host.quit_requested = 1; break;
    case SDL_KEYDOWN:
        if (e.key.repeat) break;
        if (e.key.keysym.sym == SDLK_ESCAPE)
            host.quit_requested = 1;
        else if (e.key.keysym.sym == SDLK_F11 ||
                 (e.key.keysym.sym == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT)))
            toggle_full_screen();
        else if (e.key.keysym.sym == SDLK_F3)
            toggle_smooth();
        break;
    case SDL_CONTROLLERDEVICEADDED:
        for (auto& slot : host.controllers) {
            if (!slot) {
                slot = SDL_GameControllerOpen(e.cdevice.which);
                break;
            }
        }
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        for (auto& slot : host.controllers) {
            if (slot && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(slot)) == e.cdevice.which) {
                SDL_GameControllerClose(slot);
                slot = nullptr;
            }
        }
        break;
    default: break;
    }
}

void on_controls_update() {
    const uint8_t* keys = SDL_GetKeyboardState(nullptr);
    SDL_Event e;
    while (SDL_PollEvent(&e)) host_input_event(e);
    if (host.script) {
        orb_script_apply(host.script, orb_board.frame_count);
        return;
    }
    host_input_keyboard(keys, controls);
    for (int player = 0; player < 4; ++player)
        if (host.controllers[player]) host_input_pad(player, read_pad(host.controllers[player]), controls);
    host_input_compose(controls, orb_board.io.io_inputs);
    std::memset(controls, 0, sizeof controls);
}
