#pragma once
// The scripted one-player game on the synthetic ROM set, shared by the play
// run's test and the frame benchmark.
//
// Coin, join with button 1 (the default join option), take the first place,
// then play: blows on the enemy that comes up from the right, down and left
// to the one pacing below and blows on it, a walk right that scrolls the
// camera, a jump, a walk back and forth; then the player stands. With the
// camera still, the progress watcher sends its enemy some 900 frames later,
// which comes up to the player and swings at it until the energy is gone
// (the script no longer hits back). The two defeated enemies are worth 5,600
// points, which take the lowest default ranking entry's place; the area
// change with fade is asked for while the slot counts down, and the initials
// "ACE" are entered: right (A), button; right, right (C), button; E is the
// next choice, button; the fourth position is on "end", button.
#include <cstdint>
#include <cstdio>
#include <string>

#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"

namespace play_script {

// The script's moments (frames).
constexpr uint64_t kStand = 2900;        // the last walk is over: the player stands
constexpr uint64_t kAreaRequest = 4480;  // an area change with fade asked for
constexpr uint64_t kInitials = 5490;     // initials entry starts
constexpr uint64_t kFrames = 6400;

// Work RAM it writes.
constexpr uint32_t kEnergy = var::player_records + object_record::energy;  // slot 0's

inline std::string poke(uint64_t frame, uint32_t address, uint8_t value) {
    char line[64];
    std::snprintf(line, sizeof line, "%llu poke %06X %02X\n", static_cast<unsigned long long>(frame), address,
                  value);
    return line;
}
inline std::string at(uint64_t frame, const std::string& action) {
    return std::to_string(frame) + " " + action + "\n";
}

// How the runs of play begin: two coins, start, and button 1 for the first
// character, from frame 200 on.
inline std::string coin_and_start() {
    return "200 press coin1\n+20 press coin1\n+40 press start1\n+120 press button1\n";
}

// A script written press by press: each press at the running frame `f`,
// the next ten frames later.
struct presses {
    std::string script;
    uint64_t f = 0;
    void at(uint64_t frame, const char* what) {
        f = frame;
        press(what);
    }
    void press(const char* what, int times = 1) {
        for (int i = 0; i < times; ++i) {
            script += std::to_string(f) + " press " + what + "\n";
            f += 10;
        }
    }
};

inline std::string text() {
    std::string s = at(60, "press coin1") + at(120, "press button1") + at(180, "press button1");
    for (uint64_t f = 480; f < 940; f += 16) s += at(f, "press button1");
    s += at(960, "press down1 20") + at(1000, "press left1 30");
    for (uint64_t f = 1040; f < 1120; f += 16) s += at(f, "press button1");
    s += at(1200, "hold right1") + at(1600, "release right1") + at(1800, "press left1 100") +
         at(2000, "press up1 20");
    for (uint64_t f = 2200; f < kStand; f += 200) s += at(f, f % 400 ? "press right1 40" : "press left1 40");
    s += poke(kAreaRequest, var::system_flags + 2, 0x02);  // system_flags bit 17: an area change with fade
    const char* initials[] = {"press right1 2", "press button1", "press right1 2", "press right1 2",
                              "press button1",  "press button1", "press button1"};
    uint64_t f = kInitials + 20;
    for (const char* a : initials) {
        s += at(f, a);
        f += 10;
    }
    return s;
}

}  // namespace play_script
