// A one-player game on the synthetic ROM set whose play ends while its slot
// counts down for a continue: in stage 3 area 2 the spawn generator's only
// boss record (its flags byte negative) sets up a drifting object with its
// parameter byte; once the object has crossed the screen and gone, the area
// is won and the play is over, so the countdown stops at once, the slot
// leaves without its leaving message, and the game is over; the attract
// cycle's score-ranking screen follows.
//
// Pokes stand in for what the data of one stage cannot raise:
// - the player's defeat (energy 0 and the last frame of the defeat, as the
//   run endings poke it): the hits an enemy would land;
// - the stage byte, 3: the synthetic game has one stage of scenery, and no
//   input clears it;
// - the area change with fade (system_flags bit 17): no translated routine
//   raises it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/synthetic_rom.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

constexpr uint32_t kModeWord = 0x208000;  // game mode, sub-mode
constexpr uint32_t kIngameState = 0x208004;
constexpr uint32_t kStageArea = 0x20800C;  // stage, area
constexpr uint32_t kGameFlags = 0x208008, kSystemFlags = 0x208010;
constexpr uint32_t kRecord = 0x20A000;  // slot 0's player record
constexpr uint32_t kRoutine = kRecord + 4, kTimer = kRecord + 74;
constexpr uint32_t kMessageCell = 0x31F004;  // slot 0's name and message cell
constexpr uint32_t kRingACommand = 0x700000;
constexpr uint32_t kPool128 = 0x201000, kCount128 = 124;
constexpr uint32_t kFlags = 0, kState = 2, kType = 3, kObjectRoutine = 4, kWorldX = 32;

constexpr unsigned kAreaWon = 11, kGameEnded = 7, kPlayOver = 14;

constexpr uint64_t kFrames = 900;

std::string script() {
  return "100 press coin1\n+30 press button1\n140 press button1\n"
         "340 poke 20A040 00\n340 poke 20A041 00\n340 poke 20A037 01\n340 poke 20A002 13\n"
         "340 poke 20800C 03\n"
         "350 poke 208012 02\n";
}

whole_run::options play_over_options(int slices) {
  whole_run::options o;
  o.script = script();
  o.frames = kFrames;
  o.every = 300;
  o.slices = slices;
  o.seconds = 120;
  o.watch = {{kModeWord, 2},  {kIngameState, 1}, {kStageArea, 2},  {kGameFlags, 4}, {kSystemFlags, 4},
             {kRoutine, 4},   {kTimer, 2},       {kMessageCell, 2}, {kRingACommand, 1}};
  for (uint32_t i = 0; i < kCount128; ++i)
    for (auto [field, bytes] : {std::pair{kFlags, 2}, {kState, 1}, {kType, 1}, {kObjectRoutine, 4}, {kWorldX, 2}})
      o.watch.push_back({kPool128 + 128 * i + field, bytes});
  return o;
}

const whole_reach::listed kReach("play_over", [] { return play_over_options(1); });

const whole_run::outcome& play_over_run() {
  return whole_run::run_once(IRONBELL_PROBE_EXE, "play_over", play_over_options(1));
}

uint64_t first_frame(const whole_run::outcome& out, uint32_t address, uint64_t value) {
  for (const auto& c : out.changes)
    if (c.address == address && c.value == value) return c.frame;
  return 0;
}

// The first frame a watched word had `bit` set.
uint64_t first_with_bit(const whole_run::outcome& out, uint32_t address, unsigned bit) {
  for (const auto& c : out.changes)
    if (c.address == address && (c.value >> bit & 1)) return c.frame;
  return 0;
}

// The 128-byte object whose routine became `routine` at or after `from`.
uint32_t object_running(const whole_run::outcome& out, uint32_t routine, uint64_t from) {
  for (const auto& c : out.changes)
    if (c.frame >= from && c.value == routine && c.address >= kPool128 &&
        c.address < kPool128 + 128 * kCount128 && (c.address - kPool128) % 128 == kObjectRoutine)
      return c.address - kObjectRoutine;
  return 0;
}

TEST(PlayOverRun, EndsCleanlyAtItsFrameLimit) {
  const auto& out = play_over_run();
  EXPECT_EQ(out.status, 0) << out.err;
}

// The slot counts down in stage 3 area 2, whose generator sets up the
// drifting object of its boss record: in from the left with its parameter
// byte, at its random speed, shown, and gone once it has left the screen.
TEST(PlayOverRun, TheBossRecordsDriftingObjectCrossesTheScreenAndGoes) {
  const auto& out = play_over_run();
  const uint64_t area2 = first_frame(out, kStageArea, 0x0203);
  ASSERT_GT(area2, 0u);
  EXPECT_EQ(out.value_at(kRoutine, area2), 0x063799u) << "slot 0 counts down";
  const uint32_t d = object_running(out, 0x077270, area2);
  ASSERT_NE(d, 0u);
  const uint64_t set_up = out.frames_of(d + kObjectRoutine).back();
  EXPECT_EQ(set_up, area2) << "set up by the generator's first pass";
  EXPECT_EQ(out.value_at(d + kType, set_up), 57u);
  const int16_t x0 = int16_t(out.value_at(d + kWorldX, set_up));
  const int v = int16_t(out.value_at(d + kWorldX, set_up + 1)) - x0;
  EXPECT_GE(v, 13);
  EXPECT_LE(v, 16);
  EXPECT_EQ(x0, 640 - 79 * v) << "coming in to pass x 640 80 steps after its set-up";
  const auto states = out.values_of(d + kState);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), 2u) << "it was shown";
  const auto flags = out.frames_of(d + kFlags);
  ASSERT_FALSE(flags.empty());
  const uint64_t gone = flags.back();
  EXPECT_EQ(out.value_at(d + kFlags, gone) & 1, 0u) << "removed itself";
  EXPECT_GT(int16_t(out.value_at(d + kWorldX, gone)), 320 * 4) << "past the screen's right edge";
}

// Its going wins the area and ends the play in the generator's next pass;
// the countdown stops at once, far from its end, the slot goes to the
// ranking (no place for a score of 0) and out, and with the play over its
// leaving message is not shown; the game is over and the score-ranking
// screen follows.
TEST(PlayOverRun, ThePlayEndsTheCountdownAtOnceAndTheSlotLeavesWithoutItsMessage) {
  const auto& out = play_over_run();
  const uint64_t area2 = first_frame(out, kStageArea, 0x0203);
  const uint32_t d = object_running(out, 0x077270, area2);
  ASSERT_NE(d, 0u);
  const uint64_t gone = out.frames_of(d + kFlags).back();
  const uint64_t over = first_with_bit(out, kGameFlags, kPlayOver);
  EXPECT_EQ(over, gone + 1);
  EXPECT_EQ(first_with_bit(out, kSystemFlags, kAreaWon), over);

  const uint64_t ranking = first_frame(out, kRoutine, 0x08A3D6);
  EXPECT_EQ(ranking, over + 1) << "the countdown stopped";
  EXPECT_GT(out.value_at(kTimer, over), 600u) << "with more than ten seconds to go";
  EXPECT_EQ(first_frame(out, kRoutine, 0x063818), ranking + 1) << "no ranking place for 0 points";
  for (uint64_t f = ranking; f <= ranking + 10; ++f)
    EXPECT_EQ(out.value_at(kMessageCell, f), 0u) << "no leaving message at frame " << f;
  EXPECT_EQ(first_with_bit(out, kSystemFlags, kGameEnded), ranking + 2) << "the last slot out ends the game";

  std::vector<uint64_t> states = out.values_of(kIngameState);
  states.erase(std::unique(states.begin(), states.end()), states.end());
  const std::vector<uint64_t> game_over = {20, 50, 51, 52, 53, 54, 55, 56, 57, 0};
  EXPECT_NE(std::search(states.begin(), states.end(), game_over.begin(), game_over.end()), states.end());
  EXPECT_EQ(out.value_at(kModeWord, kFrames) & 0xFF, 12u) << "on to the score-ranking screen";
}

// The area's music is the command after which the sound board raises the
// main processor's sound interrupt; its handler runs and the game goes on.
TEST(PlayOverRun, TheAreasMusicRingsTheSoundInterrupt) {
  const auto& out = play_over_run();
  EXPECT_GT(first_frame(out, kRingACommand, synthetic::kRaiseCommand), 0u);
  EXPECT_TRUE(std::binary_search(out.entered.begin(), out.entered.end(), 0x09F61Cu));
}

constexpr const char* kExpected = R"(
300 95A87BCE28D2F58D D8C7CD40B66CAB51 4F115CD43FDC4B40 D0CF85843595810A B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 41045F6E48D6B86C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8666733265BC846A 93465C964A3129A6 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 1E33756C6A551E62
600 8FC9C75AE68FB17D 3073D06D1860887E B293BB61793EB3D4 04D638537449A59D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 52CFFFE517A30E35 B93A0C83CE3B6325 B93A0C83CE3B6325 A0EC97705889DA6F 09D93C6D632E9947 2E9E99DF09DA55CE 73F8E55BFDA261A0 B93A0C83CE3B6325 C02B154CF86E582B B93A0C83CE3B6325 B93A0C83CE3B6325 E64DB186E775112A
900 B11AC151FF863955 69A97F24980488B0 5880ADA5F1926AAA 281FBA59474042C6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 3077739CF0B92510 B93A0C83CE3B6325 B93A0C83CE3B6325 A0EC97705889DA6F 219ED9024A5FF7BE 2E9E99DF09DA55CE B01F9F7C363D5EB9 B93A0C83CE3B6325 C02B154CF86E582B B93A0C83CE3B6325 B93A0C83CE3B6325 F7376B62A8EC7BBE
)";

TEST(PlayOverRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
  whole_run::runner r(IRONBELL_PROBE_EXE);
  EXPECT_EQ(whole_run::slicing_mismatches(kExpected, play_over_run(),
                                          [&](int slices) { return r.run(play_over_options(slices)); }),
            "");
}

}  // namespace
