// A one-player game on the synthetic ROM set played in stage 3, whose first
// area holds four platform enemies of the generic AI (AI types 1 to 4): the
// hopper and the brawler walk their segments, jump between them and attack
// with ground strikes, high jumps and jumps back; the leaper leaps onto the
// player's spot; the thrower throws an object that flies out and comes
// back. The player beats each of them in turn, for its score and its tally.
//
// Two pokes stand in for what the data cannot raise:
// - the stage: the flow resets the stage to 0 and advances it by one as a
//   game starts, so stage 3 is reached by setting the stage variable to 2
//   between the two (the poke of frame 568 lands in frame 569, after the
//   reset and before the advance of frame 570);
// - the players' blows test the vertical words of the hit-box entries, which
//   the platform enemies' flat registration leaves as they were: in a busier
//   area other enemies' bodies leave them there, in this one nothing does,
//   so the vertical words of the first six entries of table B are set to the
//   span of a standing body (28 pixels above the ground to 2 below) once, as
//   the area starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/play_script.h"
#include "tests/support/whole_run.h"

namespace {

constexpr uint32_t kStage = 0x20800C;
constexpr uint32_t kLiveEnemies = 0x20C14C;
constexpr uint32_t kPlayer = 0x20A000;  // slot 0's record
constexpr uint32_t kPlayerX = kPlayer + 32;
constexpr uint32_t kPlayerEnergy = kPlayer + 64;
constexpr uint32_t kPlayerScore = kPlayer + 140;
constexpr uint32_t kTally = 0x208400;  // slot 0's counters by category
constexpr uint32_t kTableB = 0x20A900;  // hit-box table B: 16-byte entries after its header
// The 128-byte objects; of each, the fields the checks follow.
constexpr uint32_t kObjects128 = 0x201000;
constexpr uint32_t kObjectCount = 124;
constexpr uint32_t kFlags = 0, kStateType = 2, kWorldX = 32, kWorldY = 34, kEnergy = 64;

constexpr uint64_t kFrames = 2400;
constexpr uint64_t kAreaStart = 665;  // the area's enemies are set up

std::string punches(uint64_t from, uint64_t to) {
  std::string s;
  for (uint64_t f = from; f < to; f += 16) s += play_script::at(f, "press button1");
  return s;
}

// Coins, start, the character taken; stage 3; then blows in place (the
// leaper comes), a walk left to the brawler and blows, a walk right to the
// hopper and blows, short walks on to the thrower and blows.
std::string script() {
  std::string s = "200 press coin1\n+20 press coin1\n+40 press start1\n+120 press button1\n500 press button1\n";
  s += play_script::poke(568, kStage, 2);
  for (uint32_t entry = 1; entry <= 6; ++entry) {
    const uint32_t vertical = kTableB + 16 * entry + 12;
    const uint8_t span[4] = {0x90, 0xFF, 0x08, 0x00};  // -112 .. 8 world units
    for (uint32_t i = 0; i < 4; ++i) s += play_script::poke(690, vertical + i, span[i]);
  }
  s += punches(700, 1100) + play_script::at(1100, "press left1 30") + punches(1140, 1700) +
       play_script::at(1700, "press right1 75") + punches(1785, 2000);
  for (uint64_t f : {2000, 2050, 2100, 2150}) s += play_script::at(f, "press right1 8");
  return s + punches(2210, 2400);
}

whole_run::options generic_ai_options(int slices) {
  whole_run::options o;
  o.script = script();
  o.frames = kFrames;
  o.every = 300;
  o.slices = slices;
  o.seconds = 240;
  o.watch = {{kStage, 1}, {kLiveEnemies, 1}, {kPlayerX, 2}, {kPlayerEnergy, 2}, {kPlayerScore, 4}};
  for (uint32_t category = 0; category < 6; ++category) o.watch.push_back({kTally + 2 * category, 2});
  for (uint32_t i = 0; i < kObjectCount; ++i) {
    const uint32_t o128 = kObjects128 + 128 * i;
    for (auto [field, bytes] : {std::pair{kFlags, 2}, {kStateType, 2}, {kWorldX, 2}, {kWorldY, 2}, {kEnergy, 2}})
      o.watch.push_back({o128 + field, bytes});
  }
  return o;
}

const whole_run::outcome& generic_ai_run() {
  return whole_run::run_once(IRONBELL_PROBE_EXE, "generic_ai", generic_ai_options(1));
}

// The four, by AI type, with their energy, score and tally category.
struct kind {
  const char* name;
  uint8_t type;
  uint16_t energy, score;
  uint32_t tally;
};
constexpr kind kHopper{"hopper", 1, 24, 1000, 2}, kLeaper{"leaper", 2, 16, 2000, 4},
    kThrower{"thrower", 3, 16, 2500, 1}, kBrawler{"brawler", 4, 24, 1500, 3};
constexpr kind kFour[] = {kHopper, kLeaper, kThrower, kBrawler};

// The first 128-byte object whose type byte turned to `k.type` with the
// kind's energy: the enemy its spawn set up. 0 when none did.
struct found {
  uint32_t object = 0;
  uint64_t frame = 0;
};
found enemy(const whole_run::outcome& out, const kind& k) {
  for (const auto& c : out.changes) {
    if (c.address < kObjects128 || (c.address - kObjects128) % 128 != kStateType) continue;
    const uint32_t o = c.address - kStateType;
    if ((c.value >> 8) == k.type && out.value_at(o + kEnergy, c.frame) == k.energy) return {o, c.frame};
  }
  return {};
}

// The states an object went through from `from` on, in order, each once per
// stay.
std::vector<uint64_t> states(const whole_run::outcome& out, uint32_t object, uint64_t from = 0) {
  std::vector<uint64_t> v;
  for (const auto& c : out.changes)
    if (c.address == object + kStateType && c.frame >= from && (v.empty() || v.back() != (c.value & 0xFF)))
      v.push_back(c.value & 0xFF);
  return v;
}
bool passes(const std::vector<uint64_t>& seen, std::vector<uint64_t> run) {
  return std::search(seen.begin(), seen.end(), run.begin(), run.end()) != seen.end();
}
// The first frame from `from` on at which the object is in `state`; 0 if never.
uint64_t first_in(const whole_run::outcome& out, uint32_t object, uint64_t state, uint64_t from = 0) {
  for (const auto& c : out.changes)
    if (c.address == object + kStateType && c.frame >= from && (c.value & 0xFF) == state) return c.frame;
  return 0;
}

TEST(GenericAiRun, EndsCleanlyAtItsFrameLimit) {
  const auto& out = generic_ai_run();
  EXPECT_EQ(out.status, 0) << out.err;
}

TEST(GenericAiRun, StageThreeOpensWithItsFourPlatformEnemies) {
  const auto& out = generic_ai_run();
  EXPECT_EQ(out.values_of(kStage), (std::vector<uint64_t>{0, 2, 3})) << "the poke, then the flow's advance";
  for (const kind& k : kFour) {
    const found e = enemy(out, k);
    ASSERT_NE(e.object, 0u) << k.name;
    EXPECT_EQ(e.frame, kAreaStart) << k.name << " set up as the area starts";
  }
  EXPECT_EQ(out.value_at(kLiveEnemies, kAreaStart - 1), 0u);
  EXPECT_EQ(out.value_at(kLiveEnemies, kAreaStart), 4u);
}

// The hopper waits and walks its upper segment, drops to the lower one with
// the low jump, and attacks a player near it with its high jump (rise,
// falling watch) and its ground strike (wind-up, blow, recovery).
TEST(GenericAiRun, TheHopperWalksJumpsDownAndAttacks) {
  const auto& out = generic_ai_run();
  const found hopper = enemy(out, kHopper);
  ASSERT_NE(hopper.object, 0u);
  const auto seen = states(out, hopper.object);
  EXPECT_TRUE(passes(seen, {9, 10, 1, 2})) << "low jump, flight, landing";
  EXPECT_TRUE(passes(seen, {24, 25, 26, 1})) << "high jump";
  EXPECT_TRUE(passes(seen, {19, 20, 21, 22, 1})) << "ground strike";
  EXPECT_TRUE(passes(seen, {5, 6})) << "walk left";
  // The low jump lands on the lower segment's floor (y 600) from the upper
  // one (560).
  const uint64_t jump = first_in(out, hopper.object, 9);
  ASSERT_NE(jump, 0u);
  EXPECT_EQ(out.value_at(hopper.object + kWorldY, jump - 1), 560u);
  const uint64_t landed = first_in(out, hopper.object, 1, jump);
  ASSERT_NE(landed, 0u);
  EXPECT_EQ(out.value_at(hopper.object + kWorldY, landed), 600u);
}

// The brawler (type 4, the same routine with the other attack set) answers
// a player near it with its high jump and its strike from above, and with
// its jump back, which turns it round before it leaves the ground.
TEST(GenericAiRun, TheBrawlerJumpsBackAndStrikesFromAbove) {
  const auto& out = generic_ai_run();
  const found brawler = enemy(out, kBrawler);
  ASSERT_NE(brawler.object, 0u);
  const auto seen = states(out, brawler.object);
  EXPECT_TRUE(passes(seen, {15, 16, 17, 18, 1})) << "jump back";
  EXPECT_TRUE(passes(seen, {24, 25, 26, 27, 1})) << "high jump with its strike";
  // The watch picks the jump back in one frame, the jump starts in the next.
  const uint64_t back = first_in(out, brawler.object, 15);
  ASSERT_NE(back, 0u);
  const uint64_t facing_before = out.value_at(brawler.object + kFlags, back) & 0x40;
  EXPECT_NE(out.value_at(brawler.object + kFlags, back + 1) & 0x40, facing_before) << "turned round";
}

// The leaper waits at its home point until the player is about to strike
// within its reach, winds up, leaps and lands on the spot the player stood
// on.
TEST(GenericAiRun, TheLeaperLandsOnThePlayersSpot) {
  const auto& out = generic_ai_run();
  const found leaper = enemy(out, kLeaper);
  ASSERT_NE(leaper.object, 0u);
  EXPECT_EQ(out.value_at(leaper.object + kWorldX, kAreaStart), 160u) << "home";
  const uint64_t windup = first_in(out, leaper.object, 15);
  ASSERT_NE(windup, 0u);
  const uint64_t landed = first_in(out, leaper.object, 1, windup);
  ASSERT_NE(landed, 0u);
  EXPECT_TRUE(passes(states(out, leaper.object, windup), {15, 16, 17, 1}));
  EXPECT_EQ(out.value_at(leaper.object + kWorldX, landed), out.value_at(kPlayerX, windup));
  EXPECT_EQ(out.value_at(leaper.object + kWorldY, landed), 600u);
}

// The thrower throws every 130 frames (90 of waiting, the throw, 20 of
// recovery); its object flies through the player's place and back.
TEST(GenericAiRun, TheThrowerThrowsOnItsInterval) {
  const auto& out = generic_ai_run();
  const found thrower = enemy(out, kThrower);
  ASSERT_NE(thrower.object, 0u);
  std::vector<uint64_t> throws;
  for (const auto& c : out.changes)
    if (c.address == thrower.object + kStateType && (c.value & 0xFF) == 11) throws.push_back(c.frame);
  ASSERT_GE(throws.size(), 5u);
  for (size_t i = 1; i < throws.size(); ++i) EXPECT_EQ(throws[i] - throws[i - 1], 130u) << i;
  EXPECT_TRUE(passes(states(out, thrower.object), {11, 12, 13, 14, 1, 2}));
  // Its first object hits the player standing 130 pixels away: 10 energy.
  const uint64_t first = throws.front();
  uint64_t hit = 0;
  for (uint64_t f : out.frames_of(kPlayerEnergy))
    if (f > first && out.value_at(kPlayerEnergy, f - 1) - out.value_at(kPlayerEnergy, f) == 10) {
      hit = f;
      break;
    }
  ASSERT_NE(hit, 0u);
  EXPECT_LT(hit, first + 60);
}

// Every one of the four is stunned by the blows that do not beat it,
// beaten by the last for its score, counted in its tally category, pops up
// and falls off the screen; then the area holds no live enemy.
TEST(GenericAiRun, EachIsBeatenForItsScoreAndTally) {
  const auto& out = generic_ai_run();
  uint64_t expected_score = 0;
  for (const kind& k : kFour) {
    const found e = enemy(out, k);
    ASSERT_NE(e.object, 0u) << k.name;
    std::vector<uint64_t> energy, frames;
    for (const auto& c : out.changes)
      if (c.address == e.object + kEnergy && c.frame >= e.frame) {
        energy.push_back(c.value);
        frames.push_back(c.frame);
      }
    ASSERT_GE(energy.size(), 3u) << k.name;
    EXPECT_EQ(energy.back(), 0u) << k.name;
    const uint64_t defeat = frames.back();
    // Each blow scores 10, the last the enemy's score instead.
    for (size_t h = 1; h + 1 < frames.size(); ++h)
      EXPECT_EQ(out.value_at(kPlayerScore, frames[h]) - out.value_at(kPlayerScore, frames[h] - 1), 10u) << k.name;
    EXPECT_EQ(out.value_at(kPlayerScore, defeat) - out.value_at(kPlayerScore, defeat - 1), k.score) << k.name;
    expected_score += 10 * (energy.size() - 2) + k.score;
    EXPECT_EQ(out.value_at(kTally + 2 * k.tally, defeat) - out.value_at(kTally + 2 * k.tally, defeat - 1), 1u)
        << k.name;
    // A blow on the ground stuns it; the defeat pops it up, it falls and
    // is taken away (flags cleared).
    EXPECT_TRUE(passes(states(out, e.object, e.frame), {k.type == 1 || k.type == 4 ? 30u : 4u}))
        << k.name << " stunned";
    uint64_t removal = 0;
    for (const auto& c : out.changes)
      if (c.address == e.object + kFlags && c.frame > defeat && c.value == 0) {
        removal = c.frame;
        break;
      }
    ASSERT_NE(removal, 0u) << k.name << " taken away";
    EXPECT_GT(removal, defeat + 8) << k.name << ": the fall takes a while";
    EXPECT_EQ(out.value_at(kLiveEnemies, removal - 1) - out.value_at(kLiveEnemies, removal), 1u) << k.name;
  }
  EXPECT_EQ(out.value_at(kPlayerScore, kFrames), expected_score);
  EXPECT_EQ(out.value_at(kTally + 2, kFrames), 1u);
  EXPECT_EQ(out.value_at(kTally + 4, kFrames), 1u);
  EXPECT_EQ(out.value_at(kTally + 6, kFrames), 1u);
  EXPECT_EQ(out.value_at(kTally + 8, kFrames), 1u);
  EXPECT_EQ(out.value_at(kLiveEnemies, kFrames), 0u);
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 8E3B791B2F015E3D 590269F589455F66 4373718C6256B1C8 323F1854711E56EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 AD79383F0E56DEF4 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8FF15177F3D18471 A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 26230730460DC325 0B01689CE3088FBE F47D2ED0E7466638 E9EE9E284A8DEAD4 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 41045F6E48D6B86C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 19CCFDE683561573 A5E332065071A9BA B2FC4EAB2E2E7A04 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0416E2AB7FF27B16
900 DD1A3A9AFABAD325 06F8DCDB7091C435 AE9EB7FE378601FA 23AB644F693051CB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E289091A3D7BCE87 B93A0C83CE3B6325 B93A0C83CE3B6325 BA06FF64C593FD65 DE6CFAFF0317FA46 FECAD8065538893B F1484C2D4A1DA778 B93A0C83CE3B6325 A961CC5FA4CB720A B93A0C83CE3B6325 B93A0C83CE3B6325 0F1479D1E23577C2
1200 2C27156CA6189025 06B7BA4885AE0719 5B2F880F7F680540 369BF95AB49A15B4 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7E8BF432F473F73C B93A0C83CE3B6325 B93A0C83CE3B6325 05C31732EB6AB936 392B1DD1A5DCA544 711E8B54EB88BB78 F031F791EE6F91F1 B93A0C83CE3B6325 6FDAE80409564382 B93A0C83CE3B6325 B93A0C83CE3B6325 FD87D2303DFB5151
1500 C710F3BB01A7CB25 C51E4C888F3113BD 2E68672DF43DA623 80B333305138D355 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0E192D8048A36724 B93A0C83CE3B6325 B93A0C83CE3B6325 FA19F3ABAAA3E120 56076C1DDD59667F B2ED931E8A6D981F 548FCB9AB523DB8A B93A0C83CE3B6325 E258F85C52213ED3 B93A0C83CE3B6325 B93A0C83CE3B6325 AEDC1215830F1CC8
1800 41AABBDE9AE24925 2353F2EAE9EA6F77 07043842EDD2DF90 EF64358B72DE643B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 3752B95E77025B5F B93A0C83CE3B6325 B93A0C83CE3B6325 E78BC3B97CC98DAE 8377DE11FE126907 74F2A914489F2531 A5B3110AB836B9F9 B93A0C83CE3B6325 CD78F6663D161647 B93A0C83CE3B6325 B93A0C83CE3B6325 F0010D243C2AFB88
2100 DF917CF0FB0B6B25 71EB5FBD37D3A9F0 505DB3271EC264EA 43787F1985AE9468 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E76ED9D17EC0CC57 B93A0C83CE3B6325 B93A0C83CE3B6325 8DBEA76EC9105A1F A62C644C41D854AF C852AB2CBAAE1DA8 455568F2EEB9C28F B93A0C83CE3B6325 41E7CAB71F9C9BC3 B93A0C83CE3B6325 B93A0C83CE3B6325 8C09916E8F8D63B2
2400 26230730460DC325 33586D09F33EB58F 69AA4BB6547014F0 BC6FA7F220EE2E92 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C17B08E9374A25C3 B93A0C83CE3B6325 B93A0C83CE3B6325 A940F1F1D42FDA9C 9FAE14D5E0CD2D87 0E84320A28E628BD 0DF165D4FB3F4130 B93A0C83CE3B6325 CE923055D7CB264D B93A0C83CE3B6325 B93A0C83CE3B6325 9594DA8B59887EF0
)";

TEST(GenericAiRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
  whole_run::runner r(IRONBELL_PROBE_EXE);
  EXPECT_EQ(whole_run::slicing_mismatches(kExpected, generic_ai_run(),
                                          [&](int slices) { return r.run(generic_ai_options(slices)); }),
            "");
}

}  // namespace
