// The attract cycle on the synthetic ROM set: from boot through the title,
// the presentation scene, the demo and the score-ranking screen back to the
// title, with nothing pressed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

constexpr uint32_t kModeWord = 0x208000;  // game_mode, then game_submode
constexpr uint32_t kIngameState = 0x208004;
constexpr uint32_t kGameFlags = 0x208008;
constexpr uint32_t kDemoIndex = 0x20800E;
constexpr uint32_t kPresentationIndex = 0x20800F;
constexpr uint32_t kDemoInputPointer = 0x208020;
constexpr uint32_t kDemoInputs = 0x208130;  // newest demo sample, player 1 in the low byte
// Player 1's record: energy and world x.
constexpr uint32_t kPlayer1Energy = 0x20A040;
constexpr uint32_t kPlayer1X = 0x20A020;
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
// Frames whose pictures the run writes: the title, the presentation scene
// with both its lines, the score-ranking page.
constexpr uint64_t kTitlePicture = 100;
constexpr uint64_t kPresentationPicture = 500;
constexpr uint64_t kRankingPicture = 2300;

uint16_t mode(uint8_t m, uint8_t sub) { return static_cast<uint16_t>(sub << 8 | m); }

whole_run::options attract_options(int slices) {
  whole_run::options o;
  o.frames = kFrames;
  o.every = 300;
  o.slices = slices;
  o.seconds = 240;
  o.watch = {{kModeWord, 2},       {kIngameState, 1}, {kGameFlags, 4},  {kDemoIndex, 1},
             {kPresentationIndex, 1}, {kDemoInputPointer, 4}, {kDemoInputs, 4}, {kPlayer1Energy, 2}, {kPlayer1X, 2}, {kTitleCell, 2}, {kSceneLine1, 2},
             {kSceneLine2, 2},     {kRankLabel, 2},   {kRankScoreFirst, 2}, {kRankInitial, 2}};
  o.pictures = {kTitlePicture, kPresentationPicture, kRankingPicture};
  return o;
}

const whole_reach::listed kReach("attract", [] { return attract_options(1); });

// One run with one time slice, shared by the tests that read what it saw.
const whole_run::outcome& attract_run() {
  return whole_run::run_once(IRONBELL_PROBE_EXE, "attract", attract_options(1));
}

// The frame at which the mode word first took `value` at or after `from`.
uint64_t frame_of(const whole_run::outcome& out, uint16_t value, uint64_t from = 0) {
  for (const auto& c : out.changes)
    if (c.address == kModeWord && c.value == value && c.frame >= from) return c.frame;
  ADD_FAILURE() << "mode word " << std::hex << value << " never seen from frame " << std::dec << from;
  return 0;
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
// per frame from the stream until the ranking screen clears the flag; player
// 1 plays by those inputs. The presentation index advances with its scene.
TEST(AttractRun, DemoPlaysItsRecordedInputs) {
  const auto& out = attract_run();
  const uint64_t demo = frame_of(out, mode(9, 0));
  const uint64_t ranking = frame_of(out, mode(12, 0), demo);
  const uint64_t presentation = frame_of(out, mode(21, 0));

  EXPECT_EQ(out.value_at(kPresentationIndex, presentation - 1), 0u);
  EXPECT_EQ(out.value_at(kPresentationIndex, presentation + 1), 1u);
  EXPECT_EQ(out.value_at(kDemoIndex, demo), 0u);
  EXPECT_EQ(out.value_at(kDemoIndex, demo + 1), 1u);
  EXPECT_EQ(out.value_at(kIngameState, demo + 1), 20u);
  EXPECT_TRUE(out.value_at(kGameFlags, demo + 1) & 0x100) << "demo flag";
  EXPECT_TRUE(out.value_at(kGameFlags, ranking - 1) & 0x100) << "demo flag";
  EXPECT_FALSE(out.value_at(kGameFlags, ranking + 1) & 0x100) << "demo flag";

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

  // Word n of the stream is the newest demo sample one frame after the
  // pointer was set plus n: in every 160 words player 1 walks right for 80,
  // presses button 1 at 80 and 90, then walks left.
  const struct {
    uint64_t n, sample;
  } samples[] = {{0, 0x04}, {79, 0x04}, {80, 0x10}, {81, 0x00}, {90, 0x10},
                 {99, 0x00}, {100, 0x08}, {159, 0x08}, {160, 0x04}};
  for (const auto& s : samples)
    EXPECT_EQ(out.value_at(kDemoInputs, demo + 2 + s.n), s.sample) << "stream word " << s.n;

  // Player 1 plays: it starts with the demo's energy, 1,280, and follows the
  // recorded inputs (each reaches it a frame after it is sampled).
  EXPECT_EQ(out.value_at(kPlayer1Energy, demo + 1), 1280u);
  const auto x = [&](uint64_t n) { return static_cast<int16_t>(out.value_at(kPlayer1X, demo + 3 + n)); };
  EXPECT_GT(x(79), x(1)) << "walking right";
  EXPECT_LT(x(159), x(100)) << "walking left";
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
  EXPECT_EQ(out.value_at(kTitleCell, title + 1), 0x0200u | 'S');
  EXPECT_EQ(out.value_at(kTitleCell, scene + 1), 0u);
  EXPECT_EQ(out.value_at(kTitleCell, back + 1), 0x0200u | 'S');

  EXPECT_EQ(out.value_at(kSceneLine1, presentation + 150), 0u);
  EXPECT_EQ(out.value_at(kSceneLine1, presentation + 151), 0x0200u | 'P');
  EXPECT_EQ(out.value_at(kSceneLine2, presentation + 152), 0u);
  EXPECT_EQ(out.value_at(kSceneLine2, presentation + 153), 'S');

  // Row 1 is revealed at step s = 2, the third frame of sub-mode 9.
  for (uint32_t cell : {kRankLabel, kRankScoreFirst, kRankInitial})
    EXPECT_EQ(out.value_at(cell, reveal + 2), 0u) << std::hex << cell;
  EXPECT_EQ(out.value_at(kRankLabel, reveal + 3), 0x0400u | '1');
  EXPECT_EQ(out.value_at(kRankScoreFirst, reveal + 3), '5');
  EXPECT_EQ(out.value_at(kRankInitial, reveal + 3), 0x0600u | 'A');
  EXPECT_EQ(out.value_at(kRankLabel, back), 0u) << "the title clears the text layer";
}

// The same texts in the picture itself, drawn with the set's font: the
// title's two lines, the presentation scene's, and the ranking page's first
// block's best entry (label, score, initials) and all four blocks' titles.
TEST(AttractRun, TextsShowInThePicture) {
  const auto& out = attract_run();
  whole_run::keep_pictures(out, "attract", IRONBELL_ARTEFACTS);
  ASSERT_EQ(out.value_at(kModeWord, kTitlePicture) & 0xFF, 3u) << "the title shows";
  EXPECT_EQ(whole_run::shown_text(out, kTitlePicture, 8, 12, 15), "SYNTHETIC TITLE");
  EXPECT_EQ(whole_run::shown_text(out, kTitlePicture, 20, 10, 19), "NO GAME DATA INSIDE");
  EXPECT_EQ(whole_run::shown_text(out, kTitlePicture, 12, 8, 18), std::string(18, ' ')) << "nothing else";

  ASSERT_EQ(out.value_at(kModeWord, kPresentationPicture) & 0xFF, 21u) << "the presentation shows";
  EXPECT_EQ(whole_run::shown_text(out, kPresentationPicture, 12, 8, 18), "PRESENTATION SCENE");
  EXPECT_EQ(whole_run::shown_text(out, kPresentationPicture, 13, 8, 11), "SECOND LINE");

  ASSERT_EQ(out.value_at(kModeWord, kRankingPicture) & 0xFF, 12u) << "the ranking shows";
  const char* titles[4] = {"FIRST CHARACTER", "SECOND CHARACTER", "THIRD CHARACTER", "FOURTH CHARACTER"};
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(whole_run::shown_text(out, kRankingPicture, 7 * c, 14, int(std::strlen(titles[c]))), titles[c]);
  EXPECT_EQ(whole_run::shown_text(out, kRankingPicture, 1, 4, 21), "1ST      50000    AAA");
}

// The checkpoints are the same with the sound board's time cut into 1, 7 and
// 1,000 slices per stretch, and match the recorded table.
constexpr const char* kExpected = R"(
300 B510D6E84D010835 7207D0BF31BB58B2 FFD29CC31AFAF8D9 651466FD58342661 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B0B75B333DED19A0 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 ADA7EBF7ACC767E3 FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 C4DACF90EECC0260
600 A203C07A2A426BCD 52E85A7703E15BAE D3BFD57B4FE242CF F198B06DD1E95C48 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 4B5411CCF8CD6CF6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 02AD026F895EA895 FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 94677CD10B58187D
900 009126944E59D78D 7CB61728E61AEE0B BF3EC8C8B1DCE104 FAB1BB4493892161 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A8DE214C6E881073 92681B8593592BD5 11A754A1B38D21F5 FD05C1C9FD6671B3 38130B2D79EF2B00 FC7B8D42BBB8E6B3 4CBE7DCF96F4DC81 3452B11651123A9D 4FEA8B9650B6F02B B93A0C83CE3B6325 B93A0C83CE3B6325 25054F90D6823132
1200 5F31D29583398605 FAEABF2D542BDFCB F8497CA696BA6208 6EF4E957BAF5ACBA B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 466CABB1A02AED1D 92681B8593592BD5 11A754A1B38D21F5 5B0919CE9BDA6B96 9FC54B002736F3C5 FC7B8D42BBB8E6B3 FBBB6890DED11D69 3452B11651123A9D 6B6191AD2BF389D8 B93A0C83CE3B6325 B93A0C83CE3B6325 E6E5F818A5EFD174
1500 C7A4B1ACE6D1CC65 7C5FD2FC4C0D95D9 72B5A55BFA1B76D2 106981383C97D97B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 017820515E2EF1B8 92681B8593592BD5 11A754A1B38D21F5 C884C4EB0F873263 55431780F6076A70 FC7B8D42BBB8E6B3 620783E8F8C8CB86 3452B11651123A9D B36BD95E4D329D09 B93A0C83CE3B6325 B93A0C83CE3B6325 EE14AEDE6E30EC94
1800 D89FE052659B6F25 CAC62127902838B0 C9FBE5ACAC266C60 166E6D3FCEEEB561 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 FAACB0F85CB33513 92681B8593592BD5 11A754A1B38D21F5 C884C4EB0F873263 C4E43C815D51A3A0 FC7B8D42BBB8E6B3 5CE612B5D30D7FDF 3452B11651123A9D ACB97BEDB369F024 B93A0C83CE3B6325 B93A0C83CE3B6325 AC1D41BC9B11D8B4
2100 7390947A1DACEC9D 48D300D248DF4597 E04656986382415C C6EC1FED413B6512 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 89B90403A559940A 92681B8593592BD5 11A754A1B38D21F5 C884C4EB0F873263 9D4AC16D34B94C95 FC7B8D42BBB8E6B3 B914E704B6C85C32 3452B11651123A9D B50B1665C970B28D B93A0C83CE3B6325 B93A0C83CE3B6325 51DA8E07FE429568
2400 317D699BB65C72F5 825CFBE5F08E36F2 524A07A281D65A98 B18396A58B142E87 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 FFB9D1DC8717F2E6 92681B8593592BD5 11A754A1B38D21F5 C884C4EB0F873263 DC9394958F42C89B FC7B8D42BBB8E6B3 B914E704B6C85C32 3452B11651123A9D B50B1665C970B28D B93A0C83CE3B6325 B93A0C83CE3B6325 699B05DE4FADB55A
)";

TEST(AttractRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
  whole_run::runner r(IRONBELL_PROBE_EXE);
  EXPECT_EQ(whole_run::slicing_mismatches(kExpected, attract_run(),
                                          [&](int slices) { return r.run(attract_options(slices)); }),
            "");
}

}  // namespace
