// The attract cycle on the synthetic ROM set: from boot through the title,
// the presentation scene, the demo and the score-ranking screen back to the
// title, with nothing pressed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/whole_run.h"

namespace {

constexpr uint32_t kModeWord = 0x208000;  // game_mode, then game_submode
constexpr uint32_t kIngameState = 0x208004;
constexpr uint32_t kGameFlags = 0x208008;
constexpr uint32_t kDemoIndex = 0x20800E;
constexpr uint32_t kPresentationIndex = 0x20800F;
constexpr uint32_t kDemoInputPointer = 0x208020;
// Text-layer cells the synthetic set prints to (row r, column c at
// 0x31F000 + 128r + 2c): the first title text, the presentation text's two
// lines, and on the ranking page row 1: the first row label, the last digit
// of the best score and its first initial.
constexpr uint32_t kTitleCell = 0x31F000 + 128 * 8 + 2 * 12;
constexpr uint32_t kSceneLine1 = 0x31F000 + 128 * 12 + 2 * 8;
constexpr uint32_t kSceneLine2 = kSceneLine1 + 128;
constexpr uint32_t kRankLabel = 0x31F000 + 128 * 1 + 2 * 4;
constexpr uint32_t kRankScoreFirst = 0x31F000 + 128 * 1 + 2 * 13;  // "50000" in cells 13-17
constexpr uint32_t kRankInitial = 0x31F000 + 128 * 1 + 2 * 22;
// Where the demo's input stream starts, and how many words it holds.
constexpr uint64_t kDemoStream = 0x13C000;
constexpr uint64_t kDemoStreamWords = 1400;
// The title's background scene time planted in the set.
constexpr uint64_t kTitleSceneTime = 120;

constexpr uint64_t kFrames = 2400;

uint16_t mode(uint8_t m, uint8_t sub) { return static_cast<uint16_t>(sub << 8 | m); }

whole_run::options attract_options(int slices) {
  whole_run::options o;
  o.frames = kFrames;
  o.every = 300;
  o.slices = slices;
  o.seconds = 240;
  o.watch = {{kModeWord, 2},       {kIngameState, 1}, {kGameFlags, 4},  {kDemoIndex, 1},
             {kPresentationIndex, 1}, {kDemoInputPointer, 4}, {kTitleCell, 2}, {kSceneLine1, 2},
             {kSceneLine2, 2},     {kRankLabel, 2},   {kRankScoreFirst, 2}, {kRankInitial, 2}};
  return o;
}

// One run with one time slice, shared by the tests that read what it saw.
const whole_run::outcome& attract_run() {
  static std::optional<whole_run::outcome> out;
  if (!out) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    out = r.run(attract_options(1));
  }
  return *out;
}

// The frame at which the mode word first took `value` at or after `from`.
uint64_t frame_of(const whole_run::outcome& out, uint16_t value, uint64_t from = 0) {
  for (const auto& c : out.changes)
    if (c.address == kModeWord && c.value == value && c.frame >= from) return c.frame;
  ADD_FAILURE() << "mode word " << std::hex << value << " never seen from frame " << std::dec << from;
  return 0;
}

// The value `address` held at the end of `frame`.
uint64_t value_at(const whole_run::outcome& out, uint32_t address, uint64_t frame) {
  uint64_t v = 0;
  for (const auto& c : out.changes)
    if (c.address == address && c.frame <= frame) v = c.value;
  return v;
}

TEST(AttractRun, EndsCleanlyAtItsFrameLimit) {
  const auto& out = attract_run();
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.checkpoints.size(), kFrames / 300) << out.err;
}

// Title (3) → presentation (21) → demo (9) → ranking (12) → title, each
// mode through its sub-modes in steps of 3.
TEST(AttractRun, ModesFollowTheAttractCycle) {
  const auto& out = attract_run();
  const std::vector<uint64_t> expected = {
      mode(3, 0),  mode(3, 3),  mode(3, 6),  mode(3, 9),  mode(3, 12), mode(3, 15), mode(3, 18),
      mode(21, 0), mode(21, 3), mode(21, 6),
      mode(9, 0),  mode(9, 3),  mode(9, 6),
      mode(12, 0), mode(12, 3), mode(12, 6), mode(12, 9), mode(12, 12), mode(12, 15),
      mode(3, 0),  mode(3, 3),  mode(3, 6)};
  auto seen = out.values_of(kModeWord);
  ASSERT_GE(seen.size(), expected.size()) << out.err;
  seen.resize(expected.size());
  EXPECT_EQ(seen, expected);
}

// Each scene lasts its own time: the title 180 frames after its fade in, the
// background scene the planted time (the frame that loads it counts once),
// the presentation 480, the demo 1200, the ranking screen 60 + 57 + 240.
TEST(AttractRun, ScenesLastTheirTimes) {
  const auto& out = attract_run();
  struct span {
    const char* what;
    uint16_t from, to;
    uint64_t frames;
  };
  const span spans[] = {
      {"title", mode(3, 6), mode(3, 9), 180},
      {"background scene", mode(3, 15), mode(3, 18), kTitleSceneTime - 1},
      {"presentation", mode(21, 3), mode(21, 6), 480},
      {"demo", mode(9, 3), mode(9, 6), 1200},
      {"ranking pause", mode(12, 6), mode(12, 9), 60},
      {"ranking reveal", mode(12, 9), mode(12, 12), 57},
      {"ranking shown", mode(12, 12), mode(12, 15), 240},
  };
  for (const auto& s : spans) {
    const uint64_t from = frame_of(out, s.from);
    EXPECT_EQ(frame_of(out, s.to, from) - from, s.frames) << s.what;
  }
}

// The demo: its set-up state 25 goes to play (20) in the frame it starts,
// with the demo flag set, the demo number advanced and one input word read
// per frame from the stream until the ranking screen clears the flag; the
// presentation index advances with its scene.
TEST(AttractRun, DemoPlaysItsRecordedInputs) {
  const auto& out = attract_run();
  const uint64_t demo = frame_of(out, mode(9, 0));
  const uint64_t ranking = frame_of(out, mode(12, 0), demo);
  const uint64_t presentation = frame_of(out, mode(21, 0));

  EXPECT_EQ(value_at(out, kPresentationIndex, presentation - 1), 0u);
  EXPECT_EQ(value_at(out, kPresentationIndex, presentation + 1), 1u);
  EXPECT_EQ(value_at(out, kDemoIndex, demo), 0u);
  EXPECT_EQ(value_at(out, kDemoIndex, demo + 1), 1u);
  EXPECT_EQ(value_at(out, kIngameState, demo + 1), 20u);
  EXPECT_TRUE(value_at(out, kGameFlags, demo + 1) & 0x100) << "demo flag";
  EXPECT_TRUE(value_at(out, kGameFlags, ranking - 1) & 0x100) << "demo flag";
  EXPECT_FALSE(value_at(out, kGameFlags, ranking + 1) & 0x100) << "demo flag";

  // The pointer is set in the demo's first frame (after that frame's inputs)
  // and moves one word in each following frame with the flag still set.
  std::vector<whole_run::change> steps;
  for (const auto& c : out.changes)
    if (c.address == kDemoInputPointer && c.value != 0) steps.push_back(c);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front().frame, demo + 1);
  EXPECT_EQ(steps.front().value, kDemoStream);
  for (size_t i = 1; i < steps.size(); ++i) {
    ASSERT_EQ(steps[i].frame, steps[i - 1].frame + 1) << "step " << i;
    ASSERT_EQ(steps[i].value, steps[i - 1].value + 4) << "step " << i;
  }
  EXPECT_EQ(steps.back().frame, ranking + 1);
  EXPECT_LE(steps.back().value, kDemoStream + 4 * kDemoStreamWords) << "the demo read past its stream";
}

// Texts reach the text layer: the title's records while the title shows
// (cleared when the background scene is built, printed again on return);
// the presentation text's first line with its scene attribute 150 frames
// after the scene is built, the second line two frames later with
// attribute 0; the ranking page's row once the reveal has copied it.
TEST(AttractRun, TextsReachTheTextLayer) {
  const auto& out = attract_run();
  const uint64_t title = frame_of(out, mode(3, 0));
  const uint64_t scene = frame_of(out, mode(3, 9));
  const uint64_t presentation = frame_of(out, mode(21, 0));
  const uint64_t reveal = frame_of(out, mode(12, 9));
  const uint64_t back = frame_of(out, mode(3, 0), reveal);

  // A value written in a frame's pass shows at the next frame's end.
  EXPECT_EQ(value_at(out, kTitleCell, title + 1), 0x0200u | 'S');
  EXPECT_EQ(value_at(out, kTitleCell, scene + 1), 0u);
  EXPECT_EQ(value_at(out, kTitleCell, back + 1), 0x0200u | 'S');

  EXPECT_EQ(value_at(out, kSceneLine1, presentation + 150), 0u);
  EXPECT_EQ(value_at(out, kSceneLine1, presentation + 151), 0x0200u | 'P');
  EXPECT_EQ(value_at(out, kSceneLine2, presentation + 152), 0u);
  EXPECT_EQ(value_at(out, kSceneLine2, presentation + 153), 'S');

  // Row 1 is revealed at step s = 2, the third frame of sub-mode 9.
  for (uint32_t cell : {kRankLabel, kRankScoreFirst, kRankInitial})
    EXPECT_EQ(value_at(out, cell, reveal + 2), 0u) << std::hex << cell;
  EXPECT_EQ(value_at(out, kRankLabel, reveal + 3), 0x0400u | '1');
  EXPECT_EQ(value_at(out, kRankScoreFirst, reveal + 3), '5');
  EXPECT_EQ(value_at(out, kRankInitial, reveal + 3), 0x0600u | 'A');
  EXPECT_EQ(value_at(out, kRankLabel, back), 0u) << "the title clears the text layer";
}

// The checkpoints are the same with the sound board's time cut into 1, 7 and
// 1,000 slices per stretch, and match the recorded table.
constexpr const char* kExpected = R"(
300 46094D9D06A059AD 76EADEF8F610259B FFD29CC31AFAF8D9 651466FD58342661 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F0D06E52D05E6DCE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F89C2DF338A19E44 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 87B7ECC881806850
600 26230730460DC325 B5BEADBD4195FC72 D3BFD57B4FE242CF 74252F0BEF6176EA B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E19CF57FFCCE4A4F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E41696F7763242D6 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 0322D00B12B2E5CD
900 26230730460DC325 33F730A4011C375F BF3EC8C8B1DCE104 3C7C2DA2DB0A4CC6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 965DB72354C43725 B93A0C83CE3B6325 B93A0C83CE3B6325 1D653F46E6ED6FBC 48B93DA8FF46159F 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 4B6235885B68408D B93A0C83CE3B6325 B93A0C83CE3B6325 AAA93FFB1CA9B539
1200 26230730460DC325 CE8E76386CE7DDCC F8497CA696BA6208 3C7C2DA2DB0A4CC6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 965DB72354C43725 B93A0C83CE3B6325 B93A0C83CE3B6325 1D653F46E6ED6FBC 7666877FCA1B231B 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 4B6235885B68408D B93A0C83CE3B6325 B93A0C83CE3B6325 6205C59A3CB31902
1500 26230730460DC325 32C6757D4DDC7696 72B5A55BFA1B76D2 3C7C2DA2DB0A4CC6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 965DB72354C43725 B93A0C83CE3B6325 B93A0C83CE3B6325 1D653F46E6ED6FBC 5F6C6F3D0256FFD1 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 4B6235885B68408D B93A0C83CE3B6325 B93A0C83CE3B6325 01048212A7DB3346
1800 26230730460DC325 09E6EFF7D3FC21C7 C9FBE5ACAC266C60 3C7C2DA2DB0A4CC6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 965DB72354C43725 B93A0C83CE3B6325 B93A0C83CE3B6325 1D653F46E6ED6FBC CCD2DAEFEA5BDFFD 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 4B6235885B68408D B93A0C83CE3B6325 B93A0C83CE3B6325 A25A7E339FCB0E2B
2100 4CBD989D1CA19135 F52ED8ABE7103FA8 E04656986382415C 748687592B054A3C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 9B3CF077CEFF1B15 B93A0C83CE3B6325 B93A0C83CE3B6325 1D653F46E6ED6FBC 2CE00C0D002F5152 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 4B6235885B68408D B93A0C83CE3B6325 B93A0C83CE3B6325 5D5CC0D317B632B9
2400 8E3B791B2F015E3D 7439D0912093E0AA 524A07A281D65A98 1641B646C16BDB01 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 5A2F2C52F927602A B93A0C83CE3B6325 B93A0C83CE3B6325 1D653F46E6ED6FBC ED4AC85D409A8734 544E3B5D7A3C9C9F 9D3D0D0AB21F51BD B93A0C83CE3B6325 4B6235885B68408D B93A0C83CE3B6325 B93A0C83CE3B6325 DA8CC78878A01CC3
)";

TEST(AttractRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
  const auto expected = whole_run::parse_checkpoints(kExpected);
  const auto& first = attract_run();
  EXPECT_EQ(whole_run::first_difference(expected, first.checkpoints), "")
      << "1 slice; seen:\n" << whole_run::format_checkpoints(first.checkpoints);
  whole_run::runner r(IRONBELL_PROBE_EXE);
  for (int slices : {7, 1000}) {
    const auto out = r.run(attract_options(slices));
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(whole_run::first_difference(expected, out.checkpoints), "")
        << slices << " slices; seen:\n" << whole_run::format_checkpoints(out.checkpoints);
  }
}

}  // namespace
