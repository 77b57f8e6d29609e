// A one-player game on the synthetic ROM set in stage 4 area 1, the scenery
// area: the player breaks a prop with blows and knocks another away, the
// passers-by play their scenes and leave, the camera waits at a gate while
// they play (the indicator hiding its icon) and then goes on, and the
// stage event raises a background layer, pins its camera to the playfield
// and wipes it away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

constexpr uint32_t kInGameState = 0x208004;
constexpr uint32_t kStage = 0x20800C, kArea = 0x20800D;
constexpr uint32_t kLiveEnemies = 0x20C14C;
constexpr uint32_t kPlayerScore = 0x20A000 + 140;  // slot 0's record
constexpr uint32_t kCameraX = 0x208344;            // the playfield camera's x
constexpr uint32_t kLayerCameraX = 0x2083C4, kLayerCameraY = 0x2083C6;
constexpr uint32_t kCameraHold = 0x2082B5;
constexpr uint32_t kLayerWord = 0x208202, kWipePosition = 0x20827A, kWipeEnd = 0x20827E;
constexpr uint32_t kMixerNbg3 = 0x208B28;
// The two sound rings: read and write indices, then 32 code slots.
constexpr uint32_t kRingA = 0x209180, kRingB = 0x209200;
constexpr uint32_t kObjects128 = 0x201000, kCount128 = 124;
constexpr uint32_t kObjects64 = 0x204E00, kCount64 = 200;
// Fields of an object the checks follow.
constexpr uint32_t kFlags = 0, kState = 2, kType = 3, kRoutine = 4, kOwner = 12, kScreenX = 16, kWorldX = 32,
                   kHeight = 36, kScore = 52, kTimer = 54, kEnergy = 64;

constexpr uint64_t kFrames = 2500;
constexpr uint64_t kAreaPoke = 844;  // after stage 1's intro, before its first area starts

// Coins, start and the character taken as in the other runs of play; then,
// once stage 1's intro has run, the stage byte set to 4 (no input leads
// there), so that the first area started is stage 4's. Three punches at the prop on the right, a step left and a punch
// at the prop on the left, then the walk to the right.
std::string script() {
  std::string s = "200 press coin1\n+20 press coin1\n+40 press start1\n+120 press button1\n760 press button1\n";
  s += std::to_string(kAreaPoke) + " poke 20800C 04\n";
  s += "900 press button1\n920 press button1\n940 press button1\n";
  s += "970 press left1 2\n990 press button1\n";
  s += "1040 hold right1\n";
  return s;
}

whole_run::options scenery_options(int slices) {
  whole_run::options o;
  o.script = script();
  o.frames = kFrames;
  o.every = 300;
  o.slices = slices;
  o.seconds = 240;
  o.watch = {{kInGameState, 1}, {kStage, 1},       {kArea, 1},         {kLiveEnemies, 1},  {kPlayerScore, 4},
             {kCameraX, 2},     {kLayerCameraX, 2}, {kLayerCameraY, 2}, {kCameraHold, 1},   {kLayerWord, 2},
             {kWipePosition, 2}, {kWipeEnd, 2},     {kMixerNbg3, 2}};
  for (uint32_t ring : {kRingA, kRingB})
    for (uint32_t b = 1; b < 34; ++b) o.watch.push_back({ring + b, 1});
  for (uint32_t i = 0; i < kCount128; ++i) {
    const uint32_t a = kObjects128 + 128 * i;
    for (auto [field, bytes] : {std::pair{kFlags, 2}, {kState, 1}, {kType, 1}, {kRoutine, 4}, {kScreenX, 2},
                                {kWorldX, 2}, {kHeight, 2}, {kScore, 2}, {kTimer, 2}, {kEnergy, 2}})
      o.watch.push_back({a + field, bytes});
  }
  for (uint32_t i = 0; i < kCount64; ++i) {
    const uint32_t a = kObjects64 + 64 * i;
    o.watch.push_back({a + kState, 1});
    o.watch.push_back({a + kRoutine, 4});
    o.watch.push_back({a + kOwner, 2});
  }
  return o;
}

const whole_reach::listed kReach("scenery", [] { return scenery_options(1); });

const whole_run::outcome& scenery_run() {
  return whole_run::run_once(IRONBELL_PROBE_EXE, "scenery", scenery_options(1));
}

TEST(SceneryRun, EndsCleanlyAtItsFrameLimit) {
  const auto& out = scenery_run();
  EXPECT_EQ(out.status, 0) << out.err;
}

}  // namespace
