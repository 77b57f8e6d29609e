// A one-player game on the synthetic ROM set played in stage 3, whose first
// area holds five platform enemies of the generic AI (AI types 1 to 4): the
// hopper and the brawler walk their segments, jump between them and attack
// with ground strikes, high jumps and jumps back; the leaper leaps onto the
// player's spot; the vaulter, hit as its leap rises, flies back home; the
// thrower throws an object that flies out and comes back. The player beats
// each of them in turn, for its score and its tally. A second run walks on
// to the area's right part and meets the two enemies with pieces there; a
// third on to the area's right end, where the volley enemy (the archer)
// waits with a third enemy with pieces; a fourth plays the first again but
// strikes the hopper as its high jump leaves the ground, and it is knocked
// back in the air.
//
// In all four runs two pokes stand in for what the data cannot raise:
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
#include <string>
#include <utility>
#include <vector>

#include "game/actors/vars.h"
#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "tests/support/play_script.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

constexpr uint32_t kPlayerX = var::player_records + ob::world_x;
constexpr uint32_t kPlayerEnergy = var::player_records + ob::energy;
constexpr uint32_t kPlayerScore = var::player_records + player_record::score;
// The 128-byte objects; of each, the fields the checks follow.
using whole_run::kPool128;

constexpr uint64_t kFrames = 2400;
constexpr uint64_t kAreaStart = 665;  // the area's enemies are set up

std::string punches(uint64_t from, uint64_t to) {
    std::string s;
    for (uint64_t f = from; f < to; f += 16) s += play_script::at(f, "press button1");
    return s;
}

// Stage 3; then blows in place (the
// leapers come), a walk left to the brawler and blows, walks right (the
// thrower's objects cut some short) to the hopper and blows, a walk back
// left to the thrower and blows.
// The vertical words of table B's entries `first` to `last` set to the span
// of a standing body (28 pixels above the ground to 2 below) as the area
// starts.
std::string vertical_words(uint32_t first, uint32_t last) {
    std::string s;
    for (uint32_t entry = first; entry <= last; ++entry) {
        const uint32_t vertical = var::hitbox_table_b + 16 * entry + 12;
        const uint8_t span[4] = {0x90, 0xFF, 0x08, 0x00};  // -112 .. 8 world units
        for (uint32_t i = 0; i < 4; ++i) s += play_script::poke(690, vertical + i, span[i]);
    }
    return s;
}

// Coins, start, the character taken, stage 3 and the vertical words: the
// start of the runs.
std::string into_stage3() {
    std::string s = play_script::coin_and_start() + "500 press button1\n";
    s += play_script::poke(568, var::stage, 2);
    return s + vertical_words(1, 6);
}

std::string script() {
    std::string s = into_stage3();
    s += punches(700, 1100) + play_script::at(1100, "press left1 35") + punches(1145, 1500);
    for (uint64_t f = 1500; f < 2100; f += 60) s += play_script::at(f, "press right1 12");
    for (uint64_t f : {1900, 1950, 2000}) s += play_script::at(f, "press right1 6");
    return s + punches(2050, 2150) + play_script::at(2150, "press left1 24") + punches(2184, 2400);
}

// The runs of this file, by name (the run made once per process, and the
// reach test's) and their options for a number of time slices.
whole_run::options generic_ai_options(int slices);
whole_run::options knockback_options(int slices);
whole_run::options pieces_options(int slices);
whole_run::options archer_options(int slices);

struct generic_run {
    const char* name;
    whole_run::options (*options)(int slices);
};
constexpr generic_run kMainRun{"generic_ai", generic_ai_options},
    kKnockbackRun{"generic_ai_knockback", knockback_options}, kPiecesRun{"generic_ai_pieces", pieces_options},
    kArcherRun{"generic_ai_archer", archer_options};

// The reach test makes each of them again.
const bool kListed = [] {
    for (const generic_run* run : {&kMainRun, &kKnockbackRun, &kPiecesRun, &kArcherRun})
        whole_reach::listed(run->name, [run] { return run->options(1); });
    return true;
}();

const whole_run::outcome& made(const generic_run& run) {
    return whole_run::run_once(IRONBELL_PROBE_EXE, run.name, run.options(1));
}

// Empty when the run made with one time slice and those made with 7 and
// 1,000 slices per stretch all match `expected`.
std::string slicing(const generic_run& run, const char* expected) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    return whole_run::slicing_mismatches(expected, made(run),
                                         [&](int slices) { return r.run(run.options(slices)); });
}

whole_run::options generic_ai_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 240);
    o.watch = {
        {var::stage, 1}, {var::live_enemy_count, 1}, {kPlayerX, 2}, {kPlayerEnergy, 2}, {kPlayerScore, 4}};
    for (uint32_t category = 0; category < 6; ++category)
        o.watch.push_back({var::tally_records + 2 * category, 2});
    o.watch_pool(kPool128,
                 {{ob::flags, 2}, {ob::state, 2}, {ob::world_x, 2}, {ob::world_y, 2}, {ob::energy, 2}});
    return o;
}

// The five, by AI type and start x, with their energy, score and tally
// category.
struct kind {
    const char* name;
    uint8_t type;
    uint16_t x, energy, score;
    uint32_t tally;
};
constexpr kind kHopper{"hopper", 1, 1100, 24, 1000, 2}, kLeaper{"leaper", 2, 160, 16, 2000, 4},
    kVaulter{"vaulter", 2, 700, 16, 2000, 4}, kThrower{"thrower", 3, 1160, 16, 2500, 1},
    kBrawler{"brawler", 4, 400, 24, 1500, 3};
constexpr kind kFive[] = {kHopper, kLeaper, kVaulter, kThrower, kBrawler};

// The first 128-byte object whose type byte turned to `k.type` with the
// kind's energy and start x: the enemy its spawn set up. 0 when none did.
struct found {
    uint32_t object = 0;
    uint64_t frame = 0;
};
found enemy(const whole_run::outcome& out, const kind& k) {
    for (const auto& c : out.pool_changes(kPool128, ob::state)) {
        const uint32_t o = c.address - ob::state;
        if ((c.value >> 8) == k.type && out.value_at(o + ob::energy, c.frame) == k.energy &&
            out.value_at(o + ob::world_x, c.frame) == k.x)
            return {o, c.frame};
    }
    return {};
}

// The states an object went through from `from` on, in order, each once per
// stay.
std::vector<uint64_t> states(const whole_run::outcome& out, uint32_t object, uint64_t from = 0) {
    std::vector<uint64_t> v;
    for (const auto& c : out.changes)
        if (c.address == object + ob::state && c.frame >= from && (v.empty() || v.back() != (c.value & 0xFF)))
            v.push_back(c.value & 0xFF);
    return v;
}
bool passes(const std::vector<uint64_t>& seen, std::vector<uint64_t> run) {
    return std::search(seen.begin(), seen.end(), run.begin(), run.end()) != seen.end();
}
// The first frame from `from` on at which the object is in `state`; 0 if never.
uint64_t first_in(const whole_run::outcome& out, uint32_t object, uint64_t state, uint64_t from = 0) {
    for (const auto& c : out.changes)
        if (c.address == object + ob::state && c.frame >= from && (c.value & 0xFF) == state) return c.frame;
    return 0;
}

TEST(GenericAiRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = made(kMainRun);
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST(GenericAiRun, StageThreeOpensWithItsFivePlatformEnemies) {
    const auto& out = made(kMainRun);
    EXPECT_EQ(out.values_of(var::stage), (std::vector<uint64_t>{0, 2, 3}))
        << "the poke, then the flow's advance";
    for (const kind& k : kFive) {
        const found e = enemy(out, k);
        ASSERT_NE(e.object, 0u) << k.name;
        EXPECT_EQ(e.frame, kAreaStart) << k.name << " set up as the area starts";
    }
    EXPECT_EQ(out.value_at(var::live_enemy_count, kAreaStart - 1), 0u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, kAreaStart), 5u);
}

// The hopper waits and walks its upper segment, drops to the lower one with
// the low jump and goes back up with the high jump, and attacks a player
// near it with its high jump (rise, falling watch, strike from above) and
// its ground strike (wind-up, blow).
TEST(GenericAiRun, TheHopperWalksJumpsBetweenItsSegmentsAndAttacks) {
    const auto& out = made(kMainRun);
    const found hopper = enemy(out, kHopper);
    ASSERT_NE(hopper.object, 0u);
    const auto seen = states(out, hopper.object);
    EXPECT_TRUE(passes(seen, {9, 10, 1, 2})) << "low jump, flight, landing";
    EXPECT_TRUE(passes(seen, {7, 8, 10, 1, 2})) << "high jump, rise, flight, landing";
    EXPECT_TRUE(passes(seen, {24, 25, 26, 27, 1})) << "high jump with its strike";
    EXPECT_TRUE(passes(seen, {19, 20, 21})) << "ground strike";
    EXPECT_TRUE(passes(seen, {5, 6})) << "walk left";
    EXPECT_TRUE(passes(seen, {3, 4})) << "walk right";
    // The low jump lands on the lower segment's floor (y 600) from the upper
    // one (560).
    const uint64_t jump = first_in(out, hopper.object, 9);
    ASSERT_NE(jump, 0u);
    EXPECT_EQ(out.value_at(hopper.object + ob::world_y, jump - 1), 560u);
    const uint64_t landed = first_in(out, hopper.object, 1, jump);
    ASSERT_NE(landed, 0u);
    EXPECT_EQ(out.value_at(hopper.object + ob::world_y, landed), 600u);
    // The high jump takes it back up to 560.
    const uint64_t up = first_in(out, hopper.object, 7);
    ASSERT_NE(up, 0u);
    EXPECT_EQ(out.value_at(hopper.object + ob::world_y, up - 1), 600u);
    const uint64_t back = first_in(out, hopper.object, 1, up);
    ASSERT_NE(back, 0u);
    EXPECT_EQ(out.value_at(hopper.object + ob::world_y, back), 560u);
}

// The brawler (type 4, the same routine with the other attack set) answers
// a player near it with its high jump and its strike from above, and with
// its jump back, which turns it round before it leaves the ground.
TEST(GenericAiRun, TheBrawlerJumpsBackAndStrikesFromAbove) {
    const auto& out = made(kMainRun);
    const found brawler = enemy(out, kBrawler);
    ASSERT_NE(brawler.object, 0u);
    const auto seen = states(out, brawler.object);
    EXPECT_TRUE(passes(seen, {15, 16, 17, 18, 1})) << "jump back";
    EXPECT_TRUE(passes(seen, {24, 25, 26, 27, 1})) << "high jump with its strike";
    // The watch picks the jump back in one frame, the jump starts in the next.
    const uint64_t back = first_in(out, brawler.object, 15);
    ASSERT_NE(back, 0u);
    const uint64_t facing_before =
        out.value_at(brawler.object + ob::flags, back) & (1u << object_flag::mirror_x);
    EXPECT_NE(out.value_at(brawler.object + ob::flags, back + 1) & (1u << object_flag::mirror_x),
              facing_before)
        << "turned round";
}

// The leaper waits at its home point until the player is about to strike
// within its reach, winds up, leaps and lands on the spot the player stood
// on.
TEST(GenericAiRun, TheLeaperLandsOnThePlayersSpot) {
    const auto& out = made(kMainRun);
    const found leaper = enemy(out, kLeaper);
    ASSERT_NE(leaper.object, 0u);
    EXPECT_EQ(out.value_at(leaper.object + ob::world_x, kAreaStart), 160u) << "home";
    const uint64_t windup = first_in(out, leaper.object, 15);
    ASSERT_NE(windup, 0u);
    const uint64_t landed = first_in(out, leaper.object, 1, windup);
    ASSERT_NE(landed, 0u);
    EXPECT_TRUE(passes(states(out, leaper.object, windup), {15, 16, 17, 1}));
    EXPECT_EQ(out.value_at(leaper.object + ob::world_x, landed), out.value_at(kPlayerX, windup));
    EXPECT_EQ(out.value_at(leaper.object + ob::world_y, landed), 600u);
}

// The vaulter, hit in the first frames of its leap's rise, turns back with
// its steps reversed and comes down at its home point, where it starts
// again.
TEST(GenericAiRun, TheVaulterHitInItsRiseFliesBackHome) {
    const auto& out = made(kMainRun);
    const found vaulter = enemy(out, kVaulter);
    ASSERT_NE(vaulter.object, 0u);
    const uint64_t rise = first_in(out, vaulter.object, 16);
    ASSERT_NE(rise, 0u);
    EXPECT_TRUE(passes(states(out, vaulter.object, rise), {16, 12, 1})) << "rise, hit, return, home";
    const uint64_t home = first_in(out, vaulter.object, 1, rise);
    ASSERT_NE(home, 0u);
    EXPECT_LT(out.value_at(vaulter.object + ob::energy, home), kVaulter.energy) << "hit";
    EXPECT_EQ(out.value_at(vaulter.object + ob::world_x, home), 700u);
    EXPECT_EQ(out.value_at(vaulter.object + ob::world_y, home), 800u);
    EXPECT_EQ(out.value_at(vaulter.object + ob::flags, home) &
                  (1u << object_flag::airborne | 1u << object_flag::intangible),
              0u)
        << "on the ground and tangible";
}

// The thrower throws every 240 frames (200 of waiting, the throw, 20 of
// recovery); its object flies through the player's place and back.
TEST(GenericAiRun, TheThrowerThrowsOnItsInterval) {
    const auto& out = made(kMainRun);
    const found thrower = enemy(out, kThrower);
    ASSERT_NE(thrower.object, 0u);
    std::vector<uint64_t> throws;
    for (const auto& c : out.changes)
        if (c.address == thrower.object + ob::state && (c.value & 0xFF) == 11) throws.push_back(c.frame);
    ASSERT_GE(throws.size(), 5u);
    for (size_t i = 1; i < throws.size(); ++i) EXPECT_EQ(throws[i] - throws[i - 1], 240u) << i;
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

// Every one of the five is stunned by the blows that do not beat it,
// beaten by the last for its score, counted in its tally category, pops up
// and falls off the screen; then the area holds no live enemy.
TEST(GenericAiRun, EachIsBeatenForItsScoreAndTally) {
    const auto& out = made(kMainRun);
    uint64_t expected_score = 0;
    for (const kind& k : kFive) {
        const found e = enemy(out, k);
        ASSERT_NE(e.object, 0u) << k.name;
        std::vector<uint64_t> energy, frames;
        for (const auto& c : out.changes)
            if (c.address == e.object + ob::energy && c.frame >= e.frame) {
                energy.push_back(c.value);
                frames.push_back(c.frame);
            }
        ASSERT_GE(energy.size(), 3u) << k.name;
        EXPECT_EQ(energy.back(), 0u) << k.name;
        const uint64_t defeat = frames.back();
        // Each blow scores 10, the last the enemy's score instead.
        for (size_t h = 1; h + 1 < frames.size(); ++h)
            EXPECT_EQ(out.value_at(kPlayerScore, frames[h]) - out.value_at(kPlayerScore, frames[h] - 1), 10u)
                << k.name;
        EXPECT_EQ(out.value_at(kPlayerScore, defeat) - out.value_at(kPlayerScore, defeat - 1), k.score)
            << k.name;
        expected_score += 10 * (energy.size() - 2) + k.score;
        EXPECT_EQ(out.value_at(var::tally_records + 2 * k.tally, defeat) -
                      out.value_at(var::tally_records + 2 * k.tally, defeat - 1),
                  1u)
            << k.name;
        // A blow on the ground stuns it (the vaulter's first blow came in the
        // air: see its own test); the defeat pops it up, it falls and is taken
        // away (flags cleared).
        if (&k != &kFive[2]) {
            EXPECT_TRUE(passes(states(out, e.object, e.frame), {k.type == 1 || k.type == 4 ? 30u : 4u}))
                << k.name << " stunned";
        }
        uint64_t removal = 0;
        for (const auto& c : out.changes)
            if (c.address == e.object + ob::flags && c.frame > defeat && c.value == 0) {
                removal = c.frame;
                break;
            }
        ASSERT_NE(removal, 0u) << k.name << " taken away";
        EXPECT_GT(removal, defeat + 8) << k.name << ": the fall takes a while";
        EXPECT_EQ(
            out.value_at(var::live_enemy_count, removal - 1) - out.value_at(var::live_enemy_count, removal),
            1u)
            << k.name;
    }
    EXPECT_EQ(out.value_at(kPlayerScore, kFrames), expected_score);
    EXPECT_EQ(out.value_at(var::tally_records + 2, kFrames), 1u);
    EXPECT_EQ(out.value_at(var::tally_records + 4, kFrames), 1u);
    EXPECT_EQ(out.value_at(var::tally_records + 6, kFrames), 1u);
    EXPECT_EQ(out.value_at(var::tally_records + 8, kFrames), 2u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, kFrames), 0u);
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 9E6ADFF6376AE40D 9D20AB3FE199C69B 91A616FE392442B8 858C352D7ED7717D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C23B77BAEF00FBBC D70BCB4923161F8E B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 2ADCF67114E38EFC
900 01C32BBBAA34F13D 340F0CEAFECD59CA 91B2C5BC1E1C0860 A92C26BC561E68EA B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 24DEE76819CD44ED B93A0C83CE3B6325 B93A0C83CE3B6325 5C48421D1A3FB2F3 AD4394A1CF58DE9C 68DD6DE85339BF0E 80A9CB7FE0A01B83 B93A0C83CE3B6325 7EDE300E81941668 B93A0C83CE3B6325 B93A0C83CE3B6325 DA8B5B6C725A0792
1200 32DED3864552BC7D ED5B5A2AE2E7E1E6 275C9C8B44783EC5 901E45CF822C5F74 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F4646F659B63B6C9 B93A0C83CE3B6325 B93A0C83CE3B6325 1E61F034C35A98ED D8287621910C3D5F C35C729277A3F49A E34FCFF037E96100 B93A0C83CE3B6325 5015D8EE0F25FE61 B93A0C83CE3B6325 B93A0C83CE3B6325 77FCAC8B655BAA17
1500 D85F81B5E7CA625D AD6C2BBC56BDF1EA E19CEE94A05A2DE9 9A62316BDF6C2AEE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0D0E3CD5D2750A16 B93A0C83CE3B6325 B93A0C83CE3B6325 DF70EEBE084EBC27 3875CABC69792697 3A50622C975EC730 8562376ADE5989BC B93A0C83CE3B6325 FF0A3AFFC3E7E247 B93A0C83CE3B6325 B93A0C83CE3B6325 EF9C5E20B217046C
1800 6ACCC41FA272DA55 DF3C952D9EA24D73 DDF1C4C170A831FF D913D46E83D5A0B6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 2A585CFFA533EE1A B93A0C83CE3B6325 B93A0C83CE3B6325 BBAF6899C41E935A 073BAAA9919B5B5F 6D2B0D712F844DD3 2F6DBDB9A76B39B8 B93A0C83CE3B6325 EE412264D109FC46 B93A0C83CE3B6325 B93A0C83CE3B6325 A8A3D1CE185002E2
2100 9331E4C57D3E3F6D 722A66B215EB6495 2D05AEE6402B4059 B90254274FE74DC5 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 697B491DF34468E0 B93A0C83CE3B6325 B93A0C83CE3B6325 9CDD649F6A969C40 31C31F637EF2AF6F C23ADCDA0F27F340 A30D33A108A12FB0 B93A0C83CE3B6325 219EF52A660E9607 B93A0C83CE3B6325 B93A0C83CE3B6325 EBB8B491B70B3E8D
2400 CB4D432B1A55861D AF3A57AC91EE2994 2E80CE764FA370C5 9DFF134494A173C7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F267D6082FFB0247 B93A0C83CE3B6325 B93A0C83CE3B6325 E0FD23773E8AFAA9 5E0B936D66C5DAAE C178C4D85AA915D0 E12A7F7A11502F8E B93A0C83CE3B6325 A6BB89375E13BBB4 B93A0C83CE3B6325 B93A0C83CE3B6325 93F524318F59554C
)";

TEST(GenericAiRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    EXPECT_EQ(slicing(kMainRun, kExpected), "");
}

// ---- the knock-back run: a blow as the hopper leaves the ground ----
//
// The same game as the run above to frame 2050; then the player's next blow
// comes 7 frames sooner (button 1 at 2059 rather than 2066), striking the
// hopper as it rises from its high jump at the player. Hit in the air, it
// is knocked back: intangible, it flies on along its jump's arc and comes
// down to its floor, tangible again. The run ends as it has landed.

constexpr uint64_t kKnockbackFrames = 2130;
constexpr uint64_t kT1Rise = 25, kT1KnockbackFall = 32, kT1Landing = 1;
constexpr uint16_t kLowerFloor = 600;  // the hopper's lower segment

std::string knockback_script() {
    std::string s = into_stage3();
    s += punches(700, 1100) + play_script::at(1100, "press left1 35") + punches(1145, 1500);
    for (uint64_t f = 1500; f < 2100; f += 60) s += play_script::at(f, "press right1 12");
    for (uint64_t f : {1900, 1950, 2000}) s += play_script::at(f, "press right1 6");
    return s + punches(2050, 2051) + punches(2059, kKnockbackFrames);
}

whole_run::options knockback_options(int slices) {
    whole_run::options o = generic_ai_options(slices);
    o.script = knockback_script();
    o.frames = kKnockbackFrames;
    return o;
}

TEST(GenericAiKnockbackRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = made(kKnockbackRun);
    EXPECT_EQ(out.status, 0) << out.err;
}

// The blow lands while the hopper rises, above its floor: the blow scores,
// and the hopper, intangible, falls back in the air (the knock-back's fall
// state) along its arc, still going up at first, and lands on its floor.
TEST(GenericAiKnockbackRun, TheHopperHitAsItRisesIsKnockedBackAndLands) {
    const auto& out = made(kKnockbackRun);
    const found h = enemy(out, kHopper);
    ASSERT_NE(h.object, 0u);
    std::vector<uint64_t> energy, frames;
    for (const auto& c : out.changes)
        if (c.address == h.object + ob::energy && c.frame > 2050) {
            energy.push_back(c.value);
            frames.push_back(c.frame);
        }
    ASSERT_EQ(energy.size(), 2u) << "the blow at 2058 and the one in the air";
    const uint64_t blow = frames[1];
    EXPECT_EQ(energy[0] - energy[1], 8u);
    EXPECT_EQ(out.value_at(kPlayerScore, blow) - out.value_at(kPlayerScore, blow - 1), 10u);
    // Before the blow: rising from its high jump, in the air above its floor.
    EXPECT_EQ(out.value_at(h.object + ob::state, blow - 1) & 0xFF, kT1Rise);
    EXPECT_EQ(out.value_at(h.object + ob::flags, blow - 1) & (1u << object_flag::airborne),
              1u << object_flag::airborne);
    const uint16_t y_at_blow = uint16_t(out.value_at(h.object + ob::world_y, blow));
    EXPECT_LT(y_at_blow, kLowerFloor);
    // Knocked back: the fall state, intangible, in the air.
    EXPECT_EQ(out.value_at(h.object + ob::state, blow) & 0xFF, kT1KnockbackFall);
    EXPECT_EQ(out.value_at(h.object + ob::flags, blow) & (1u << object_flag::intangible),
              1u << object_flag::intangible);
    const uint64_t landed = first_in(out, h.object, kT1Landing, blow);
    ASSERT_NE(landed, 0u);
    EXPECT_GT(landed - blow, 20u) << "a fall of some frames";
    // While it falls back the state holds; it still rises at first, then comes
    // down to its floor.
    const auto after = states(out, h.object, blow);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], kT1KnockbackFall);
    EXPECT_EQ(after[1], kT1Landing);
    uint16_t top = y_at_blow;
    for (uint64_t f = blow; f < landed; ++f) {
        const uint16_t y = uint16_t(out.value_at(h.object + ob::world_y, f));
        EXPECT_LT(y, kLowerFloor) << f;
        top = std::min(top, y);
    }
    EXPECT_LT(top, y_at_blow) << "still rising after the blow";
    EXPECT_EQ(out.value_at(h.object + ob::world_y, landed), kLowerFloor);
    EXPECT_EQ(out.value_at(h.object + ob::flags, landed) &
                  (1u << object_flag::airborne | 1u << object_flag::intangible),
              0u)
        << "tangible, on its floor";
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kKnockbackExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 9E6ADFF6376AE40D 9D20AB3FE199C69B 91A616FE392442B8 858C352D7ED7717D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C23B77BAEF00FBBC D70BCB4923161F8E B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 2ADCF67114E38EFC
900 01C32BBBAA34F13D 340F0CEAFECD59CA 91B2C5BC1E1C0860 A92C26BC561E68EA B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 24DEE76819CD44ED B93A0C83CE3B6325 B93A0C83CE3B6325 5C48421D1A3FB2F3 AD4394A1CF58DE9C 68DD6DE85339BF0E 80A9CB7FE0A01B83 B93A0C83CE3B6325 7EDE300E81941668 B93A0C83CE3B6325 B93A0C83CE3B6325 DA8B5B6C725A0792
1200 32DED3864552BC7D ED5B5A2AE2E7E1E6 275C9C8B44783EC5 901E45CF822C5F74 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F4646F659B63B6C9 B93A0C83CE3B6325 B93A0C83CE3B6325 1E61F034C35A98ED D8287621910C3D5F C35C729277A3F49A E34FCFF037E96100 B93A0C83CE3B6325 5015D8EE0F25FE61 B93A0C83CE3B6325 B93A0C83CE3B6325 77FCAC8B655BAA17
1500 D85F81B5E7CA625D AD6C2BBC56BDF1EA E19CEE94A05A2DE9 9A62316BDF6C2AEE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0D0E3CD5D2750A16 B93A0C83CE3B6325 B93A0C83CE3B6325 DF70EEBE084EBC27 3875CABC69792697 3A50622C975EC730 8562376ADE5989BC B93A0C83CE3B6325 FF0A3AFFC3E7E247 B93A0C83CE3B6325 B93A0C83CE3B6325 EF9C5E20B217046C
1800 6ACCC41FA272DA55 DF3C952D9EA24D73 DDF1C4C170A831FF D913D46E83D5A0B6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 2A585CFFA533EE1A B93A0C83CE3B6325 B93A0C83CE3B6325 BBAF6899C41E935A 073BAAA9919B5B5F 6D2B0D712F844DD3 2F6DBDB9A76B39B8 B93A0C83CE3B6325 EE412264D109FC46 B93A0C83CE3B6325 B93A0C83CE3B6325 A8A3D1CE185002E2
2100 137EFEAAC0B05B2D 33D889C8720D034C 55C8721F86B7EDA9 B90254274FE74DC5 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 3F20E5817A229507 B93A0C83CE3B6325 B93A0C83CE3B6325 53253AF203DB002D 92AE452DE6333CDF 9EC9D8DA99A68CE6 D5B155669E0F0099 B93A0C83CE3B6325 219EF52A660E9607 B93A0C83CE3B6325 B93A0C83CE3B6325 F586358AA1B9DB59
)";

TEST(GenericAiKnockbackRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    EXPECT_EQ(slicing(kKnockbackRun, kKnockbackExpected), "");
}

// ---- the pieces run: the right part of the same area ----
//
// The player walks right through the area until the camera passes x 1600,
// where the two enemies with pieces (types 5 and 6 on the generic actions)
// enter, each with a follower piece and an attack piece; then the player
// strikes, walks on a little and strikes again. They wait, walk their
// segment, strike, jump at the player coming near, attack with their attack
// piece, are stunned by the blows and beaten, each leaving with its effect
// ten frames later.

constexpr uint32_t kCameraX = var::playfield_camera + camera_record::x;
constexpr uint64_t kPiecesFrames = 2400;
constexpr uint16_t kPiecesTrigger = 1600;
// sub_07E0B0 follower, sub_07E11E attack piece, sub_07B615 short effect

struct piece_kind {
    const char* name;
    uint8_t type;
    uint16_t x, score;
};
constexpr piece_kind kType5{"type 5", 5, 2500, 3000}, kType6{"type 6", 6, 2800, 3500};

whole_run::options pieces_options(int slices) {
    whole_run::options o = whole_run::run_options(
        into_stage3() + play_script::at(700, "hold right1") + play_script::at(1045, "release right1") +
            punches(1055, 1800) + play_script::at(1800, "press right1 30") + punches(1840, kPiecesFrames),
        kPiecesFrames, 300, slices, 240);
    o.watch = {{var::live_enemy_count, 1}, {kPlayerX, 2}, {kPlayerScore, 4}, {kCameraX, 2}};
    o.watch_pool(kPool128,
                 {{ob::flags, 2}, {ob::state, 2}, {ob::routine, 4}, {ob::world_x, 2}, {ob::energy, 2}});
    return o;
}

// The body of `k`: the 128-byte object whose type byte turned to k.type at
// k.x (the first such).
found body(const whole_run::outcome& out, const piece_kind& k) {
    for (const auto& c : out.pool_changes(kPool128, ob::state)) {
        const uint32_t o = c.address - ob::state;
        if ((c.value >> 8) == k.type && out.value_at(o + ob::world_x, c.frame) == k.x) return {o, c.frame};
    }
    return {};
}

// The objects that took `routine` at `frame`.
std::vector<uint32_t> installed(const whole_run::outcome& out, uint32_t routine, uint64_t frame) {
    std::vector<uint32_t> v;
    for (const auto& c : out.pool_changes(kPool128, ob::routine, frame, frame))
        if (c.value == routine) v.push_back(c.address - ob::routine);
    return v;
}

// Two enemies set up in one frame, the first in which the camera stood at
// `trigger` or beyond, and counted in.
void expect_entered_together(const whole_run::outcome& out, const found& a, const found& b,
                             uint16_t trigger) {
    EXPECT_EQ(a.frame, b.frame);
    EXPECT_LT(out.value_at(kCameraX, a.frame - 1), trigger);
    EXPECT_GE(out.value_at(kCameraX, a.frame), trigger);
    EXPECT_EQ(out.value_at(var::live_enemy_count, a.frame) - out.value_at(var::live_enemy_count, a.frame - 1),
              2u);
}

TEST(GenericAiPiecesRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = made(kPiecesRun);
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST(GenericAiPiecesRun, BothEnterWithTheirPiecesAsTheCameraPassesTheirTrigger) {
    const auto& out = made(kPiecesRun);
    const found five = body(out, kType5), six = body(out, kType6);
    ASSERT_NE(five.object, 0u);
    ASSERT_NE(six.object, 0u);
    expect_entered_together(out, five, six, kPiecesTrigger);
    for (const found& b : {five, six}) EXPECT_EQ(out.value_at(b.object + ob::energy, b.frame), 24u);
    // Each set-up takes a follower piece and an attack piece.
    EXPECT_EQ(installed(out, entry::sub_07E0B0, five.frame).size(), 2u);
    EXPECT_EQ(installed(out, entry::sub_07E11E, five.frame).size(), 2u);
}

// They wait and walk their segment (2300 to 2900) and strike: the body's
// strike winds up, hits on frame 1 of its animation and ends.
TEST(GenericAiPiecesRun, TheyWaitWalkAndStrike) {
    const auto& out = made(kPiecesRun);
    const found five = body(out, kType5), six = body(out, kType6);
    ASSERT_NE(five.object, 0u);
    ASSERT_NE(six.object, 0u);
    const auto s5 = states(out, five.object, five.frame), s6 = states(out, six.object, six.frame);
    EXPECT_TRUE(passes(s5, {1, 2})) << "stop and wait";
    EXPECT_TRUE(passes(s5, {5, 6}) || passes(s5, {3, 4})) << "type 5 walks";
    EXPECT_TRUE(passes(s6, {3, 4})) << "type 6 walks right";
    EXPECT_TRUE(passes(s6, {5, 6})) << "type 6 walks left";
    EXPECT_TRUE(passes(s6, {7, 8, 9, 10, 1})) << "strike";
    for (const found& b : {five, six}) {
        const uint64_t defeat = first_in(out, b.object, 24, b.frame);
        ASSERT_NE(defeat, 0u);
        for (const auto& c : out.changes)
            if (c.address == b.object + ob::world_x && c.frame > b.frame && c.frame <= defeat) {
                EXPECT_GE(c.value, 2300u);
                EXPECT_LE(c.value, 2900u);
            }
    }
}

// Blows stun them (the countdown state 20) until the last one beats them
// for their score; ten frames later the body is gone with its pieces, and
// a short effect stood where it fell.
// A player inside the approach box during a walk brings the jump in place
// (start, rise, descent with its landing hit, back to the wait); a player
// in the attack piece's probe while the body's attack timer has run out
// brings the piece's attack (start, attack frames, end).
TEST(GenericAiPiecesRun, TheyJumpAtAPlayerComingNearAndTheirAttackPieceStrikes) {
    const auto& out = made(kPiecesRun);
    const found six = body(out, kType6);
    ASSERT_NE(six.object, 0u);
    EXPECT_TRUE(passes(states(out, six.object, six.frame), {6, 15, 16, 17, 1})) << "jump";
    const auto attackers = installed(out, entry::sub_07E11E, six.frame);
    ASSERT_EQ(attackers.size(), 2u);
    bool attacked = false;
    for (uint32_t piece : attackers)
        attacked = attacked || passes(states(out, piece, six.frame), {1, 2, 3, 1});
    EXPECT_TRUE(attacked) << "an attack piece attacks";
}

TEST(GenericAiPiecesRun, EachIsStunnedThenBeatenAndLeavesWithItsEffect) {
    const auto& out = made(kPiecesRun);
    uint64_t expected = 0;
    for (const piece_kind& k : {kType5, kType6}) {
        const found b = body(out, k);
        ASSERT_NE(b.object, 0u) << k.name;
        const auto followers = installed(out, entry::sub_07E0B0, b.frame),
                   attackers = installed(out, entry::sub_07E11E, b.frame);
        ASSERT_EQ(followers.size(), 2u);
        ASSERT_EQ(attackers.size(), 2u);
        std::vector<uint64_t> energy, frames;
        for (const auto& c : out.changes)
            if (c.address == b.object + ob::energy && c.frame > b.frame) {
                energy.push_back(c.value);
                frames.push_back(c.frame);
            }
        ASSERT_GE(energy.size(), 2u) << k.name;
        EXPECT_EQ(energy.back(), 0u) << k.name;
        const uint64_t defeat = frames.back();
        EXPECT_EQ(out.value_at(kPlayerScore, defeat) - out.value_at(kPlayerScore, defeat - 1), k.score)
            << k.name;
        expected += k.score + 10 * (energy.size() - 1);
        EXPECT_TRUE(passes(states(out, b.object, b.frame), {20})) << k.name << " stunned";
        EXPECT_EQ(out.value_at(b.object + ob::state, defeat) & 0xFF, 24u) << k.name << " defeat countdown";
        // Gone ten frames after the defeat began (its flags cleared, counted off).
        uint64_t gone = 0;
        for (const auto& c : out.changes)
            if (c.address == b.object + ob::flags && c.frame > defeat && c.value == 0) {
                gone = c.frame;
                break;
            }
        EXPECT_EQ(gone, defeat + 9) << k.name;
        EXPECT_EQ(out.value_at(var::live_enemy_count, gone - 1) - out.value_at(var::live_enemy_count, gone),
                  1u)
            << k.name;
        EXPECT_EQ(installed(out, entry::sub_07B615, defeat).size(), 1u) << k.name << ": its effect";
    }
    EXPECT_EQ(out.value_at(kPlayerScore, kPiecesFrames), expected);
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kPiecesExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 9E6ADFF6376AE40D 9D20AB3FE199C69B 91A616FE392442B8 858C352D7ED7717D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C23B77BAEF00FBBC D70BCB4923161F8E B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 2ADCF67114E38EFC
900 B676738A3B1D39FD C4CADC7A6ADEC199 6B378848EBC8E9CF AD4F55866FA9411E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 52CD8AC84B803CE8 B93A0C83CE3B6325 B93A0C83CE3B6325 A27B57792C5A6433 89EC43356476CB8E EFD4758B12273CD0 B6F9595D4B79A9DF B93A0C83CE3B6325 3827F2B3FA14BFFB B93A0C83CE3B6325 B93A0C83CE3B6325 DED539E8378A3ECB
1200 034C780855E1AFA5 EB04F3F26094151C 0126E721B2997A21 D595AD2F1B326569 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 2C1618E5FFF94BD1 B93A0C83CE3B6325 B93A0C83CE3B6325 743F8530438B3392 04DC3EB993DE375A 3E5194521B28C166 1BC1458CBCD37208 B93A0C83CE3B6325 418CCB52EE8E9691 B93A0C83CE3B6325 B93A0C83CE3B6325 BC04EE6B68434A2E
1500 034C780855E1AFA5 2C34A2C2672A8B94 64F98FCF6D061002 DAA0C187149C6415 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 459F2B6203B67E1B B93A0C83CE3B6325 B93A0C83CE3B6325 A6A32AFCB7765E5E 773ECF56F713ED25 697574CEBAA14728 E96D9516C553027D B93A0C83CE3B6325 CF0EBAFAA5C39B40 B93A0C83CE3B6325 B93A0C83CE3B6325 9796249096A14681
1800 034C780855E1AFA5 8DCAD5DE00B2B6BB AF92657A1E6D1602 D44C22F88966034E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 2C771D93AA7EB440 B93A0C83CE3B6325 B93A0C83CE3B6325 270F0F2D75DD7BF2 70B06AE832C62305 AD0B2F0662286888 174BE2DF36940B94 B93A0C83CE3B6325 CF0EBAFAA5C39B40 B93A0C83CE3B6325 B93A0C83CE3B6325 5028817114271C77
2100 034C780855E1AFA5 A46F2BF3B607C5E3 957240CC3ED87E97 087FDC73FD2CBE64 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EB635FB721781EDC B93A0C83CE3B6325 B93A0C83CE3B6325 B064C3E150F0016C B43FF6012270B497 446D741C1BBDEDC4 968AF1DA981BE9C6 B93A0C83CE3B6325 12A8DA85E06C0951 B93A0C83CE3B6325 B93A0C83CE3B6325 E229AD19BC7EA5FA
2400 034C780855E1AFA5 ACD31409918F45D6 C7677273F06C9085 8CF2693E7CC388E2 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E22030C5922503C1 B93A0C83CE3B6325 B93A0C83CE3B6325 C4AEBDB322CD0BE4 D2B34BAF1339634F 9222DDA52ED720D4 3522DC1A48DE7372 B93A0C83CE3B6325 4F1F2C3F4C62F1E6 B93A0C83CE3B6325 B93A0C83CE3B6325 B101AEE21E0BFFA7
)";

TEST(GenericAiPiecesRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    EXPECT_EQ(slicing(kPiecesRun, kPiecesExpected), "");
}

// ---- the archer run: the area's right end ----
//
// The player walks right past the two-piece enemies to the area's right
// end, where the archer (the volley enemy, AI type 7) enters with a third
// two-piece enemy, and steps 24 pixels up (behind them). There it stands:
// the archer picks the player as its target, turns to it, aims and strikes;
// from frame 1506 the player punches. Every blow on the archer stuns it,
// and after two stuns it answers with its volley, whose eight projectiles
// fly out over the screen. The two-piece enemies, 24 pixels in front of the
// player, are out of reach of its blows on the ground; one jumping at the
// player passes through its reach in the air, is hit there and takes the
// knock-down fall to the floor it left.
//
// Besides the two pokes of the runs above, the vertical words of table B's
// entries 7 to 16 are set like those of entries 1 to 6: in this part of
// the area up to nine objects register boxes in the table.

constexpr uint32_t kPlayerY = var::player_records + ob::world_y;
constexpr uint64_t kArcherFrames = 2400;
constexpr uint16_t kArcherTrigger = 1900;
// sub_07F70B shot routine

std::string archer_script() {
    std::string s = into_stage3() + vertical_words(7, 16);
    s += play_script::at(700, "hold right1") + play_script::at(1150, "release right1");
    s += play_script::at(1160, "press up1 12");
    for (uint64_t f = 1506; f < kArcherFrames; f += 8) s += play_script::at(f, "press button1");
    return s;
}

whole_run::options archer_options(int slices) {
    whole_run::options o = whole_run::run_options(archer_script(), kArcherFrames, 300, slices, 240);
    o.watch = {{var::live_enemy_count, 1}, {kPlayerX, 2},     {kPlayerY, 2},
               {kPlayerEnergy, 2},         {kPlayerScore, 4}, {kCameraX, 2}};
    for (uint32_t c = 0; c < 8; ++c) o.watch.push_back({var::boss_bar_name + 2 * c, 2});
    o.watch_pool(kPool128, {{ob::flags, 2},
                            {ob::state, 2},
                            {ob::routine, 4},
                            {ob::world_x, 2},
                            {ob::world_y, 2},
                            {ob::energy, 2},
                            {volley_record::stun_count, 1},
                            {volley_record::aim, 2},
                            {volley_record::octant, 1},
                            {two_piece_record::part0_colour, 2},
                            {two_piece_record::part1_colour, 2}});
    return o;
}

constexpr piece_kind kArcher{"archer", 7, 2600, 5000}, kEscort{"escort", 6, 2560, 3500};

// The frames at which the object entered `state` (each stay once).
std::vector<uint64_t> entries(const whole_run::outcome& out, uint32_t object, uint64_t state) {
    std::vector<uint64_t> v;
    uint64_t last = ~0ull;
    for (const auto& c : out.changes)
        if (c.address == object + ob::state) {
            if ((c.value & 0xFF) == state && last != state) v.push_back(c.frame);
            last = c.value & 0xFF;
        }
    return v;
}

TEST(GenericAiArcherRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = made(kArcherRun);
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST(GenericAiArcherRun, TheArcherEntersWithAnEscortAsTheCameraPassesItsTrigger) {
    const auto& out = made(kArcherRun);
    const found archer = body(out, kArcher), escort = body(out, kEscort);
    ASSERT_NE(archer.object, 0u);
    ASSERT_NE(escort.object, 0u);
    expect_entered_together(out, archer, escort, kArcherTrigger);
    EXPECT_EQ(out.value_at(archer.object + ob::energy, archer.frame), 1000u);
    EXPECT_EQ(out.value_at(archer.object + ob::world_y, archer.frame), 504u);
}

// The archer's boss bar shows its name from the data as it enters (no
// other bar is waiting in the area), and keeps it to the run's end.
TEST(GenericAiArcherRun, ItsBarShowsItsName) {
    const auto& out = made(kArcherRun);
    const found archer = body(out, kArcher);
    ASSERT_NE(archer.object, 0u);
    uint64_t shown = 0;
    for (const auto& c : out.changes)
        if (c.address == var::boss_bar_name && c.value != 0) {
            shown = c.frame;
            break;
        }
    ASSERT_GT(shown, 0u) << "no name shown";
    EXPECT_GE(shown, archer.frame);
    EXPECT_LE(shown, archer.frame + 2);
    for (uint64_t f : {shown, kArcherFrames})
        EXPECT_EQ(out.cell_text(var::boss_bar_name, 8, f), "ARCHER") << "frame " << f;
}

// With the player standing 16 pixels right of it and 32 below its aiming
// point, the archer's direction is 180 (of 1,024 a turn), the down-right
// eighth: it faces right, aims, and its strike boxes of that eighth take 2
// energy a blow; then it rests and poses again.
TEST(GenericAiArcherRun, ItPicksThePlayerTurnsAimsAndStrikes) {
    const auto& out = made(kArcherRun);
    const found archer = body(out, kArcher);
    ASSERT_NE(archer.object, 0u);
    const auto turns = entries(out, archer.object, 3);
    ASSERT_FALSE(turns.empty());
    const uint64_t turn = turns.front();
    EXPECT_TRUE(passes(states(out, archer.object, turn), {3, 4, 5, 1, 2}));
    const uint64_t aim = first_in(out, archer.object, 4, turn);
    ASSERT_EQ(aim, turn + 1);
    EXPECT_EQ(out.value_at(archer.object + volley_record::aim, aim), 180u);
    EXPECT_NE(out.value_at(archer.object + ob::flags, aim) & (1u << object_flag::mirror_x), 0u)
        << "faces right";
    const uint64_t strike = first_in(out, archer.object, 5, turn);
    ASSERT_NE(strike, 0u);
    EXPECT_EQ(strike - aim, 29u) << "the aim's 30 frames, its first the turn's";
    EXPECT_EQ(out.value_at(archer.object + volley_record::octant, strike), 1u);
    const uint64_t rest = first_in(out, archer.object, 1, strike);
    ASSERT_NE(rest, 0u);
    EXPECT_LT(out.value_at(kPlayerEnergy, rest), out.value_at(kPlayerEnergy, strike - 1))
        << "the strike hits";
    for (uint64_t f = strike; f < rest; ++f) {
        const uint64_t before = out.value_at(kPlayerEnergy, f - 1), after = out.value_at(kPlayerEnergy, f);
        if (after != before) {
            EXPECT_EQ(before - after, 2u) << f;
        }
    }
}

// Two stuns, then at the next pose the volley: untouchable through its
// three steps, its stun count cleared; at the third step eight projectiles
// leave it, one for each direction, fly on by their steps (one strikes the
// player on its way out), and are gone once off the screen.
TEST(GenericAiArcherRun, AfterTwoStunsItAnswersWithAVolleyOfEightProjectiles) {
    const auto& out = made(kArcherRun);
    const found archer = body(out, kArcher);
    ASSERT_NE(archer.object, 0u);
    const auto volleys = entries(out, archer.object, 23);
    ASSERT_GE(volleys.size(), 2u);
    const uint64_t volley = volleys.front();
    EXPECT_EQ(entries(out, archer.object, 7).size() >= 2, true);
    EXPECT_EQ(out.value_at(archer.object + volley_record::stun_count, volley - 1), 2u);
    EXPECT_EQ(out.value_at(archer.object + volley_record::stun_count, volley), 0u);
    EXPECT_TRUE(passes(states(out, archer.object, volley), {23, 24, 25, 1}));
    const uint64_t third = first_in(out, archer.object, 25, volley),
                   after = first_in(out, archer.object, 1, volley);
    ASSERT_NE(third, 0u);
    ASSERT_NE(after, 0u);
    for (uint64_t f = volley; f < after; ++f)
        EXPECT_NE(out.value_at(archer.object + ob::flags, f) & (1u << object_flag::intangible), 0u)
            << "untouchable at " << f;
    EXPECT_EQ(out.value_at(archer.object + ob::flags, after) & (1u << object_flag::intangible), 0u);
    const auto shots = installed(out, entry::sub_07F70B, third);
    ASSERT_EQ(shots.size(), 8u);
    std::vector<uint64_t> indexes;
    for (uint32_t shot : shots) {
        indexes.push_back(out.value_at(shot + ob::state, third) >> 8);
        // It flies: its position changes frame after frame, then stops when it
        // has left the screen and was freed.
        uint64_t moves = 0, last = 0;
        for (const auto& c : out.changes)
            if ((c.address == shot + ob::world_x || c.address == shot + ob::world_y) && c.frame > third &&
                c.frame < volleys[1] && out.value_at(shot + ob::routine, c.frame) == entry::sub_07F70B &&
                c.frame != last) {
                ++moves;
                last = c.frame;
            }
        EXPECT_GE(moves, 20u) << std::hex << shot;
        EXPECT_LT(last, third + 200) << std::hex << shot << " gone";
    }
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (std::vector<uint64_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    // They fly in the frame they are launched, and one strikes the player
    // then (the third step itself has no box).
    EXPECT_EQ(out.value_at(kPlayerEnergy, third - 1) - out.value_at(kPlayerEnergy, third), 2u);
}

// The escort, jumping at the player, is hit while in the air: the blow
// takes 8 energy and brings the knock-down fall, which goes on from the
// jump's speed (still rising when hit) and ends on the floor the jump left
// (y 600), back in its wait; both its copied parts flash all the way down.
TEST(GenericAiArcherRun, ATwoPieceEnemyHitInTheAirTakesTheKnockDownFall) {
    const auto& out = made(kArcherRun);
    const found escort = body(out, kEscort);
    ASSERT_NE(escort.object, 0u);
    const uint64_t down = first_in(out, escort.object, 21, escort.frame);
    ASSERT_NE(down, 0u);
    EXPECT_TRUE(passes(states(out, escort.object, escort.frame), {16, 21, 1}));
    EXPECT_NE(out.value_at(escort.object + ob::flags, down - 1) & (1u << object_flag::airborne), 0u)
        << "airborne when hit";
    EXPECT_EQ(
        out.value_at(escort.object + ob::energy, down - 1) - out.value_at(escort.object + ob::energy, down),
        8u);
    EXPECT_LT(out.value_at(escort.object + ob::world_y, down), 600u);
    const uint64_t landed = first_in(out, escort.object, 1, down);
    ASSERT_NE(landed, 0u);
    EXPECT_EQ(out.value_at(escort.object + ob::world_y, landed), 600u);
    EXPECT_EQ(out.value_at(escort.object + ob::flags, landed) &
                  (1u << object_flag::airborne | 1u << object_flag::intangible),
              0u)
        << "on the ground and touchable";
    EXPECT_EQ(entries(out, escort.object, 21), std::vector<uint64_t>{down}) << "one stay in the fall";
    // Both copied parts flash through the fall.
    for (uint64_t f = down; f < landed; ++f)
        for (uint32_t colour : {two_piece_record::part0_colour, two_piece_record::part1_colour})
            EXPECT_EQ(out.value_at(escort.object + colour, f) & 0x7FF, 0x470u) << f;
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kArcherExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 9E6ADFF6376AE40D 9D20AB3FE199C69B 91A616FE392442B8 858C352D7ED7717D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C23B77BAEF00FBBC D70BCB4923161F8E B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 2ADCF67114E38EFC
900 B676738A3B1D39FD 48295A8656FA7D49 6B378848EBC8E9CF AD4F55866FA9411E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 52CD8AC84B803CE8 B93A0C83CE3B6325 B93A0C83CE3B6325 A27B57792C5A6433 89EC43356476CB8E EFD4758B12273CD0 0B05DD99EFAB4D9F B93A0C83CE3B6325 3827F2B3FA14BFFB B93A0C83CE3B6325 B93A0C83CE3B6325 DED539E8378A3ECB
1200 DDE25AF74862ECA5 96A7B52F372B0005 A8B55F01A338BBB3 38B6934C1B91E4B9 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 116389121C342DAD B93A0C83CE3B6325 B93A0C83CE3B6325 B56F782F2F23440F 5F2645501F6E5E03 EFD4758B12273CD0 8AA7BA34B3AB6DBB B93A0C83CE3B6325 7DCA6FBC163C2599 B93A0C83CE3B6325 B93A0C83CE3B6325 E73B9F698D6B4CAE
1500 DDE25AF74862ECA5 D25A0FBF97102D5F CA735665BD1E62FD B8A55D312F0A9B8E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C76C990C00FA0235 B93A0C83CE3B6325 B93A0C83CE3B6325 5FFFAA570A4F44CF 78F8E68ED2AE9A91 4506920F30F17ED4 D04792822F4A3491 B93A0C83CE3B6325 EC000D2D2F59E4D3 B93A0C83CE3B6325 B93A0C83CE3B6325 151228F4AF1F2FB1
1800 DDE25AF74862ECA5 E7C3EC973BFE4BF7 AAB898225DF4B604 5B2CDEFE75AB2B5C B93A0C83CE3B6325 B93A0C83CE3B6325 56E94D5778F57583 67905CDCCD84A5A6 B93A0C83CE3B6325 B93A0C83CE3B6325 6B6EAF7922976F6B F012282CEEA4D0C4 A44CC4B639D4A1A2 793539B044C3E8FB B93A0C83CE3B6325 EC000D2D2F59E4D3 B93A0C83CE3B6325 B93A0C83CE3B6325 D16B416F517C05DF
2100 DDE25AF74862ECA5 20DE1864931EFB90 89EAA66F485819B7 683B06FBCFC49370 B93A0C83CE3B6325 B93A0C83CE3B6325 9E945E4CFD7DA68D 279DCD0137181D1C B93A0C83CE3B6325 B93A0C83CE3B6325 8D44621E4FE2A6A1 7CB98E2B2477EB0E 3797B06CE80BB97B DD6CD868429430B9 B93A0C83CE3B6325 EC000D2D2F59E4D3 B93A0C83CE3B6325 B93A0C83CE3B6325 8E33350E8EA0F64B
2400 DDE25AF74862ECA5 1FEE2DC5DD7C89C5 84B797870DC777E7 C8DF8237ACD44741 B93A0C83CE3B6325 B93A0C83CE3B6325 8F009580F87B5A67 D3C76E849AF4F418 B93A0C83CE3B6325 B93A0C83CE3B6325 834FC2750DD51169 3799623636F53417 24DFD14853E734A9 02E28F4DC51F257C B93A0C83CE3B6325 EC000D2D2F59E4D3 B93A0C83CE3B6325 B93A0C83CE3B6325 BF30367D69FEA287
)";

TEST(GenericAiArcherRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    EXPECT_EQ(slicing(kArcherRun, kArcherExpected), "");
}

}  // namespace
