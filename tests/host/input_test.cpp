// Keyboard and controllers to the six active-low input bytes; hot keys.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "board/machine.h"
#include "host/script.h"
#include "host/settings.h"
#include "host/shell.h"

namespace {

struct Bytes {
    uint8_t p1, p2, system, p3, p4, starts;
};

Bytes compose(const uint8_t controls[HOST_CONTROLS]) {
    uint8_t io[8];
    std::memset(io, 0xAA, sizeof io);
    host_input_compose(controls, io);
    EXPECT_EQ(io[ORB_INPUT_PORT_C], 0xAA) << "port C is not the host's";
    EXPECT_EQ(io[ORB_INPUT_DIP], 0xAA) << "the DIP switches are not the host's";
    return {io[0], io[1], io[3], io[5], io[6], io[7]};
}

TEST(InputMapping, KeysByScancode) {
    struct Case {
        SDL_Scancode key;
        Bytes expected;
    };
    const Case cases[] = {
        {SDL_SCANCODE_UP, {0xDF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_SPACE, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_X, {0xFD, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_A, {0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_D, {0xFF, 0xBF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_5, {0xFF, 0xFF, 0xFB, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_6, {0xFF, 0xFF, 0xF7, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_1, {0xFF, 0xFF, 0xEF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_2, {0xFF, 0xFF, 0xDF, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_9, {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_F2, {0xFF, 0xFF, 0xFD, 0xFF, 0xFF, 0xFF}},
        {SDL_SCANCODE_K, {0xFF, 0xFF, 0xFF, 0xEF, 0xFF, 0xFF}},
        {SDL_SCANCODE_O, {0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 0xFF}},
        {SDL_SCANCODE_3, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}},
        {SDL_SCANCODE_KP_4, {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF}},
        {SDL_SCANCODE_KP_9, {0xFF, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF}},
        {SDL_SCANCODE_4, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFD}},
        {SDL_SCANCODE_RETURN, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        uint8_t keys[SDL_NUM_SCANCODES] = {};
        uint8_t controls[HOST_CONTROLS] = {};
        keys[c.key] = 1;
        host_input_keyboard(keys, controls);
        Bytes got = compose(controls);
        EXPECT_EQ(std::memcmp(&got, &c.expected, sizeof got), 0)
            << SDL_GetScancodeName(c.key) << ": " << std::hex << int(got.p1) << " " << int(got.p2) << " "
            << int(got.system) << " " << int(got.p3) << " " << int(got.p4) << " " << int(got.starts);
    }
}

TEST(InputMapping, NothingHeldReadsAllOnesAndOppositesClearBoth) {
    uint8_t controls[HOST_CONTROLS] = {};
    Bytes idle = compose(controls);
    for (uint8_t b : {idle.p1, idle.p2, idle.system, idle.p3, idle.p4, idle.starts}) EXPECT_EQ(b, 0xFF);
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    keys[SDL_SCANCODE_UP] = keys[SDL_SCANCODE_DOWN] = 1;
    host_input_keyboard(keys, controls);
    EXPECT_EQ(compose(controls).p1, 0xCF);
    // Everything at once still leaves the unused bits set.
    std::memset(controls, 1, sizeof controls);
    Bytes all = compose(controls);
    EXPECT_EQ(all.p1, 0x0C);
    EXPECT_EQ(all.system, 0xC0);
    EXPECT_EQ(all.starts, 0xFC);
}

TEST(InputMapping, ControllersCombineWithKeys) {
    struct Case {
        int player;
        host_pad_state pad;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, {-12001, 0}, 0x7F},                                     // stick left
        {0, {-12000, 12000}, 0xFF},                                 // exactly at the edge: centred
        {1, {0, 12001}, 0xEF},                                      // stick down
        {2, {0, 0, true}, 0xDF},                                    // D-pad up
        {3, {0, 0, false, false, false, true}, 0xBF},               // D-pad right
        {0, {0, 0, false, false, false, false, true, true}, 0xFC},  // A and B
    };
    for (const Case& c : cases) {
        uint8_t controls[HOST_CONTROLS] = {};
        host_input_pad(c.player, c.pad, controls);
        uint8_t io[8];
        host_input_compose(controls, io);
        const int byte[4] = {0, 1, 5, 6};
        EXPECT_EQ(io[byte[c.player]], c.expected) << "player " << c.player + 1;
    }
    // BACK is coin for players 1 and 2 only; START is start for all.
    uint8_t controls[HOST_CONTROLS] = {};
    host_pad_state back{};
    back.back = true;
    back.start = true;
    for (int p = 0; p < 4; ++p) host_input_pad(p, back, controls);
    uint8_t io[8];
    host_input_compose(controls, io);
    EXPECT_EQ(io[ORB_INPUT_SYSTEM], 0xC3);
    EXPECT_EQ(io[ORB_INPUT_START34], 0xFC);
    // A key and a pad of the same player combine.
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    keys[SDL_SCANCODE_W] = 1;
    uint8_t both[HOST_CONTROLS] = {};
    host_input_keyboard(keys, both);
    host_pad_state left{};
    left.left = true;
    host_input_pad(1, left, both);
    host_input_compose(both, io);
    EXPECT_EQ(io[ORB_INPUT_P2], 0x5F);
}

SDL_Event key(SDL_Keycode sym, int repeat = 0, Uint16 mod = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    e.key.repeat = uint8_t(repeat);
    e.key.keysym.mod = mod;
    return e;
}

class HotKeys : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }
    void SetUp() override {
        host = {};
        host.window = SDL_CreateWindow("t", 0, 0, 320, 224, 0);
        ASSERT_NE(host.window, nullptr);
        host.renderer = SDL_CreateRenderer(host.window, -1, SDL_RENDERER_SOFTWARE);
        host.texture =
            SDL_CreateTexture(host.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 416, 224);
        settings_path = ::testing::TempDir() + "ironbell_hotkeys.ini";
        std::remove(settings_path.c_str());
        settings_open(settings_path.c_str());
    }
    void TearDown() override {
        SDL_DestroyWindow(host.window);
        std::remove(settings_path.c_str());
    }
    std::string settings_path;
};

TEST_F(HotKeys, QuitSmoothAndRepeats) {
    host_input_event(key(SDLK_ESCAPE, 1));
    EXPECT_EQ(host.quit_requested, 0) << "a key repeat is ignored";
    host_input_event(key(SDLK_ESCAPE));
    EXPECT_EQ(host.quit_requested, 1);

    const int smooth = settings.smooth;
    host_input_event(key(SDLK_F3));
    EXPECT_NE(settings.smooth, smooth);
    host_input_event(key(SDLK_F3, 1));
    EXPECT_NE(settings.smooth, smooth) << "a repeat of F3 does not toggle back";

    const int full = settings.full_screen;
    host_input_event(key(SDLK_RETURN));
    host_input_event(key(SDLK_KP_ENTER, 0, KMOD_LALT));
    EXPECT_EQ(settings.full_screen, full) << "Return without Alt and keypad Enter do nothing";
    host_input_event(key(SDLK_RETURN, 0, KMOD_RALT));
    EXPECT_NE(settings.full_screen, full);
    host_input_event(key(SDLK_F11));
    EXPECT_EQ(settings.full_screen, full);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    host.quit_requested = 0;
    host_input_event(quit);
    EXPECT_EQ(host.quit_requested, 1);
}

TEST_F(HotKeys, AScriptTakesPrecedenceOverKeysAndControllers) {
    const std::string path = ::testing::TempDir() + "ironbell_precedence.script";
    std::ofstream(path) << "100 hold button1\n";
    char problem[256] = "";
    host.script = orb_script_load(path.c_str(), problem, sizeof problem);
    ASSERT_NE(host.script, nullptr) << problem;
    orb_board.frame_count = 100;
    std::memset(orb_board.io.io_inputs, 0xFF, sizeof orb_board.io.io_inputs);
    orb_board.io.io_inputs[ORB_INPUT_P2] = 0x00;
    on_controls_update();
    EXPECT_EQ(orb_board.io.io_inputs[ORB_INPUT_P1], 0xFE) << "the script's input reached the game";
    EXPECT_EQ(orb_board.io.io_inputs[ORB_INPUT_P2], 0x00) << "the keyboard did not write the bytes";
    orb_script_free(host.script);
    host.script = nullptr;
    on_controls_update();
    EXPECT_EQ(orb_board.io.io_inputs[ORB_INPUT_P2], 0xFF) << "without a script the host writes them";
    std::remove(path.c_str());
}

}  // namespace
