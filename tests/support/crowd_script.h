#pragma once
// The scripted game of stage 2's crowd on the synthetic ROM set, shared by the
// crowd run's test and the frame benchmark (the busiest scene the set makes:
// one enemy of every kind a spawn list sets up, with their companions,
// children and afterimages, in front of the tile layers).
//
// Coins, start and the character taken as in the other runs of play; then,
// once stage 1's intro has run, the stage byte set to 2 (no input leads to
// stage 2: the synthetic set has one stage of scenery), so that the first
// area started is stage 2's; then a punch every 20 frames into the crowd.
#include <cstdint>
#include <string>

#include "game/engine/vars.h"
#include "tests/support/play_script.h"

namespace crowd_script {

constexpr uint64_t kFrames = 2200;
constexpr int kPunches = 50;
constexpr uint64_t kStageTwoPoke = 844;  // after stage 1's intro, before its first area starts

inline std::string text() {
    std::string s = play_script::coin_and_start() + "760 press button1\n";
    s += play_script::poke(kStageTwoPoke, var::stage, 0x02);
    for (int i = 0; i < kPunches; ++i) s += std::to_string(880 + 20 * i) + " press button1\n";
    return s;
}

}  // namespace crowd_script
