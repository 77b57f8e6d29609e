// A one-player game on the synthetic ROM set meets the crowd of stage 2 area
// 1: an enemy of every kind the spawn generator sets up, each with its
// score, its energy for one player, its state record and its companion,
// and the parts, overlays, afterimages and boss bar its kind brings. The
// player punches into the crowd: the kinds that take the platform enemies'
// hit reaction (0 to 8) are beaten for their points and counted in the
// tally; the others reel from each hit (a swing back, or their entrance
// again) and come back for more. Kinds 9, 11, 13 and 14 and those of 19 to
// 36 whose entrance is short (21, 23 to 25, 27 to 32 and 35) are beaten,
// kinds 23 to 25 throwing a piece as they go, kinds 13 and 14 losing their
// overlay; the rest still stand when the area is won, and kind 12, out of
// reach, is never hit. The kinds 19 to 36 come in by their scripted
// entrances, each as its spawn data says; when kind 4, the boss record's
// enemy, has gone the area is won and those of them still standing vanish.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "tests/support/crowd_script.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

using whole_run::frames_of;
using whole_run::queued;

constexpr uint32_t kGameFlagsHigh = var::game_flags + 1;      // bit 7: the wave gate (a boss record spawned)
constexpr uint32_t kSystemFlagsHigh = var::system_flags + 1;  // bit 3: the area is won
constexpr uint32_t kPlayerScore = var::player_records + player_record::score;  // slot 0's record
using whole_run::kPool128;
using whole_run::kPool64;
namespace ob = object_record;

constexpr uint64_t kFrames = crowd_script::kFrames;
constexpr uint8_t kGrowingKind = 12;
constexpr uint64_t kStageTwoPoke = crowd_script::kStageTwoPoke;

whole_run::options crowd_options(int slices) {
    whole_run::options o = whole_run::run_options(crowd_script::text(), kFrames, 300, slices, 240);
    o.watch = {{var::ingame_state, 1}, {var::stage, 1},     {var::area, 1},       {var::live_enemy_count, 1},
               {kPlayerScore, 4},      {kGameFlagsHigh, 1}, {kSystemFlagsHigh, 1}};
    for (uint32_t c = 0; c < 16; ++c) o.watch.push_back({var::tally_records + 2 * c, 2});
    for (uint32_t c = 0; c < 8; ++c) o.watch.push_back({var::boss_bar_name + 2 * c, 2});
    for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
        for (uint32_t b = 1; b < 34; ++b) o.watch.push_back({ring + b, 1});
    o.watch_pool(kPool128, {{ob::flags, 2},
                            {ob::state, 2},
                            {ob::routine, 4},
                            {ob::owner, 2},
                            {ob::world_x, 2},
                            {ob::world_y, 2},
                            {ob::height, 2},
                            {ob::score_value, 2},
                            {ob::energy, 2},
                            {ob::state_record, 4},
                            {actors::first_part_size, 2}});
    o.watch_pool(kPool64, {{ob::routine, 4}, {ob::owner, 2}});
    return o;
}

const whole_reach::listed kReach("crowd", [] { return crowd_options(1); });

const whole_run::outcome& crowd_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "crowd", crowd_options(1));
}

// The enemies of the crowd by kind (kind 9 twice, through both its entries):
// score, base energy (one player: difficulty factor 1) and state record, as
// the set-ups give them.
struct kind {
    uint8_t number;
    uint16_t score, energy;
    uint32_t record;
};
const std::vector<kind> kKinds = {
    {0, 4000, 110, rom::kind0_state_record},    {1, 5000, 320, rom::kind1_state_record},
    {2, 5000, 220, rom::kind2_state_record},    {3, 5000, 260, rom::kind3_state_record},
    {4, 50000, 380, rom::kind4_state_record},   {5, 5000, 270, rom::kind5_state_record},
    {6, 5000, 300, rom::kind6_state_record},    {7, 3000, 140, rom::kind7_state_record},
    {8, 1000, 100, rom::kind8_state_record},    {9, 5000, 360, rom::kind9_state_record},
    {9, 5000, 360, rom::kind9_state_record},    {11, 4000, 80, rom::kind11_state_record},
    {12, 15000, 400, rom::kind12_state_record}, {13, 20000, 360, rom::kind13_state_record},
    {14, 20000, 300, rom::kind14_state_record}, {19, 100, 60, rom::kind19_state_record},
    {20, 80, 50, rom::kind20_state_record},     {21, 160, 70, rom::kind21_state_record},
    {22, 200, 70, rom::kind22_state_record},    {23, 160, 60, rom::kind23_state_record},
    {24, 400, 120, rom::kind24_state_record},   {25, 320, 100, rom::kind25_state_record},
    {26, 320, 80, rom::kind26_state_record},    {27, 400, 10, rom::kind27_state_record},
    {28, 200, 40, rom::kind28_state_record},    {29, 100, 20, rom::kind29_state_record},
    {30, 300, 60, rom::kind30_state_record},    {31, 600, 120, rom::kind31_state_record},
    {32, 600, 80, rom::kind32_state_record},    {33, 800, 120, rom::kind33_state_record},
    {34, 400, 70, rom::kind34_state_record},    {35, 300, 50, rom::kind35_state_record},
    {36, 500, 90, rom::kind36_state_record},
};

// The frame stage 2 area 1 started in (the area byte turned 1 in stage 2).
uint64_t area_start(const whole_run::outcome& out) {
    return out.first_frame_with(var::area, 1, var::stage, 2);
}

// The enemies the set-ups made, in the order of kKinds: the 128-byte
// objects marked as enemies in the frame the area started, taken by their
// type byte (the kind) in object order. 0 where none was found.
std::vector<uint32_t> enemies(const whole_run::outcome& out, uint64_t start) {
    std::multimap<uint8_t, uint32_t> by_kind;
    for (uint32_t i = 0; i < kPool128.count; ++i) {
        const uint32_t o = kPool128.object(i);
        if (out.value_at(o + ob::flags, start) & (1u << object_flag::enemy))
            by_kind.emplace(uint8_t(out.value_at(o + ob::state, start) >> 8), o);
    }
    std::vector<uint32_t> found;
    for (const kind& k : kKinds) {
        const auto it = by_kind.find(k.number);
        found.push_back(it == by_kind.end() ? 0 : it->second);
        if (it != by_kind.end()) by_kind.erase(it);
    }
    EXPECT_TRUE(by_kind.empty()) << by_kind.size() << " enemies of no kind of the crowd";
    return found;
}

// The frame an object's energy first reached 0 after `from`; 0 if never.
uint64_t beaten(const whole_run::outcome& out, uint32_t o, uint64_t from) {
    for (const auto& c : out.changes)
        if (c.address == o + ob::energy && c.frame > from && c.value == 0) return c.frame;
    return 0;
}

// The 128- or 64-byte objects whose routine was `routine` in `frame`.
std::vector<uint32_t> running(const whole_run::outcome& out, const whole_run::pool& p, uint32_t routine,
                              uint64_t frame) {
    return out.objects_with(p, ob::routine, routine, frame);
}

// The tests of what the crowd's enemies do: the run, the frame the area
// started in and the enemies found then, in the order of kKinds.
class CrowdRunEnemies : public ::testing::Test {
protected:
    void SetUp() override {
        start = area_start(out);
        ASSERT_GT(start, kStageTwoPoke);
        found = enemies(out, start);
        ASSERT_EQ(found.size(), kKinds.size());
    }
    const whole_run::outcome& out = crowd_run();
    uint64_t start = 0;
    std::vector<uint32_t> found;
};

TEST(CrowdRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = crowd_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST_F(CrowdRunEnemies, EveryKindIsSetUpWithItsScoreEnergyAndStateRecord) {
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const kind& k = kKinds[i];
        const uint32_t o = found[i];
        ASSERT_NE(o, 0u) << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(o + ob::score_value, start), k.score) << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(o + ob::energy, start), k.energy) << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(o + ob::state_record, start), k.record) << "kind " << int(k.number);
    }
    // Each counts as a live enemy from its set-up, kinds 7 and 8 as three.
    EXPECT_EQ(out.value_at(var::live_enemy_count, start - 1), 0u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, start), kKinds.size() + 4);
}

TEST_F(CrowdRunEnemies, EachEnemyBringsItsCompanionAndItsKindsChildren) {
    // One companion per enemy, its owner the enemy.
    std::multiset<uint32_t> owners;
    for (uint32_t c : running(out, kPool64, entry::sub_077BD6, start))
        owners.insert(kHigh | uint32_t(out.value_at(c + ob::owner, start)));
    for (size_t i = 0; i < kKinds.size(); ++i)
        EXPECT_EQ(owners.count(found[i]), 1u) << "kind " << int(kKinds[i].number);

    // Kind 2's three parts, the overlays of kinds 5 and 6 and of 13 and 14.
    EXPECT_EQ(running(out, kPool128, entry::sub_06C4B8, start).size(), 3u);
    EXPECT_EQ(running(out, kPool128, entry::sub_071A49, start).size(), 2u);
    EXPECT_EQ(running(out, kPool128, entry::sub_0703E6, start).size(), 2u);
    // Afterimage spawners of kinds 6, 21, 25 and 26, then their afterimages.
    EXPECT_EQ(running(out, kPool64, entry::sub_0696C6, start).size(), 4u);
    EXPECT_GE(running(out, kPool128, entry::sub_069755, start + 12).size(), 4u);
}

TEST_F(CrowdRunEnemies, BossBarsShowOneAtATimeAndABeatenBossesBarDrains) {
    std::map<uint32_t, size_t> entry_of;
    for (size_t i = 0; i < kKinds.size(); ++i) entry_of[found[i]] = i;
    // A bar object of each of the nine bosses (kinds 1, 6 to 9, 12 to 14)
    // from the set-up: one shows its boss's energy, the others wait; a bar
    // drains from the frame its boss is beaten, and when it has gone the
    // next waiting one takes its turn.
    // sub_0697D7 waiting, sub_06988C showing, sub_069975 draining
    EXPECT_EQ(running(out, kPool64, entry::sub_0697D7, start).size(), 8u);
    EXPECT_EQ(running(out, kPool64, entry::sub_06988C, start).size(), 1u);
    struct turn {
        uint64_t from;
        uint8_t kind;
        uint32_t boss;
        uint64_t drain;  // the frame it began to drain, 0 if not
    };
    std::vector<turn> turns;
    for (uint32_t i = 0; i < kPool64.count; ++i) {
        const uint32_t bar = kPool64.object(i);
        auto begin = [&](uint64_t frame) {
            const uint32_t owner = kHigh | uint32_t(out.value_at(bar + ob::owner, frame));
            ASSERT_TRUE(entry_of.count(owner)) << "a bar of no enemy of the crowd";
            turns.push_back({frame, kKinds[entry_of[owner]].number, owner, 0});
        };
        uint64_t was = out.value_at(bar + ob::routine, start);
        bool mine = was == entry::sub_06988C;  // this bar has the turn
        if (mine) begin(start);
        for (const auto& c : out.changes) {
            if (c.address != bar + ob::routine || c.frame <= start) continue;
            if (was == entry::sub_0697D7 && (c.value == entry::sub_06988C || c.value == entry::sub_069975)) {
                begin(c.frame);
                mine = true;
            }
            if (mine && c.value == entry::sub_069975 && turns.back().drain == 0) turns.back().drain = c.frame;
            if (c.value != entry::sub_06988C && c.value != entry::sub_069975) mine = false;
            was = c.value;
        }
    }
    std::sort(turns.begin(), turns.end(), [](const turn& a, const turn& b) { return a.from < b.from; });
    // Kind 1's bar first, draining once it is beaten; then those of kinds
    // 6, 7, 8 and 9, each beaten while it waited, drain as soon as they have
    // their turn (the others still wait when the run ends).
    std::vector<uint8_t> kinds;
    for (const turn& t : turns) kinds.push_back(t.kind);
    EXPECT_EQ(kinds, (std::vector<uint8_t>{1, 6, 7, 8, 9}));
    // Each bar shows its boss's name from the data.
    const std::map<uint8_t, std::string> kNames = {{1, "GRUNT"},  {6, "TWIN"},  {7, "HULK"},
                                                   {8, "BRUTE"},  {9, "SPIKE"}, {12, "WARDEN"},
                                                   {13, "TITAN"}, {14, "GIANT"}};
    for (const turn& t : turns)
        EXPECT_EQ(out.cell_text(var::boss_bar_name, 8, t.from), kNames.at(t.kind)) << "kind " << int(t.kind);
    for (size_t i = 1; i < turns.size(); ++i)
        EXPECT_GT(turns[i].from, turns[i - 1].drain) << "a turn after the last bar drained";
    for (const turn& t : turns) {
        const uint64_t defeat = beaten(out, t.boss, start);
        ASSERT_GT(defeat, start) << "kind " << int(t.kind);
        EXPECT_EQ(t.drain, std::max(defeat, t.from)) << "kind " << int(t.kind);
    }
}

TEST_F(CrowdRunEnemies, KindsOnThePlatformHitReactionAreBeatenForTheirPointsAndTally) {
    // Kinds 0 to 8 are beaten, fall and are removed; each defeat counts in
    // the tally category of its AI type.
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const kind& k = kKinds[i];
        if (k.number > 8) continue;
        const uint32_t o = found[i];
        const uint64_t defeat = beaten(out, o, start);
        ASSERT_GT(defeat, start) << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(o + ob::flags, kFrames) & (1u << object_flag::alive), 0u)
            << "kind " << int(k.number) << " removed";
        // One category per AI type for the whole game: 0 and 3 are stage 1's,
        // 1, 2 and 4 to 6 stage 3's generic-AI enemies', 7 and 8 the crowd's own.
        constexpr uint32_t kCategoryOfType[9] = {0, 2, 4, 1, 3, 5, 6, 11, 12};
        const uint32_t category = kCategoryOfType[k.number];
        EXPECT_EQ(out.value_at(var::tally_records + 2 * category, defeat - 1), 0u)
            << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(var::tally_records + 2 * category, kFrames), 1u) << "kind " << int(k.number);
    }
    // The player's score moves with the hits: in each frame that lowers
    // enemies' energy, 10 points per enemy hit and the kind's score for each
    // one beaten.
    std::map<uint64_t, uint64_t> expected;
    std::map<uint32_t, uint16_t> score_of;
    for (size_t i = 0; i < kKinds.size(); ++i) score_of[found[i]] = kKinds[i].score;
    for (const auto& c : out.pool_changes(kPool128, ob::energy, start + 1)) {
        const uint32_t o = c.address - ob::energy;
        if (!score_of.count(o)) continue;
        if (out.value_at(o + ob::state, c.frame - 1) == 0) continue;  // a new object in the place
        expected[c.frame] += c.value == 0 ? score_of[o] : 10;
    }
    ASSERT_GE(expected.size(), 10u);
    for (const auto& [frame, points] : expected)
        EXPECT_EQ(out.value_at(kPlayerScore, frame) - out.value_at(kPlayerScore, frame - 1), points)
            << "frame " << frame;
}

// The frame kind 4, the boss record's enemy, was gone (its flags bit 0
// clear): the frame the area is won. 0 if never.
uint64_t boss_gone(const whole_run::outcome& out, const std::vector<uint32_t>& found, uint64_t start) {
    for (size_t i = 0; i < kKinds.size(); ++i)
        if (kKinds[i].number == 4)
            for (const auto& c : out.changes)
                if (c.address == found[i] + ob::flags && c.frame > start &&
                    !(c.value & (1u << object_flag::alive)))
                    return c.frame;
    return 0;
}

// The frames in which an enemy's energy went down after `from`, with the
// energy left.
std::vector<std::pair<uint64_t, uint64_t>> hits(const whole_run::outcome& out, uint32_t o, uint64_t from) {
    std::vector<std::pair<uint64_t, uint64_t>> v;
    for (const auto& c : out.changes)
        if (c.address == o + ob::energy && c.frame > from) v.push_back({c.frame, c.value});
    return v;
}

// The first frame after `from` whose state byte differs from `state`; 0 if none.
uint64_t leaves_state(const whole_run::outcome& out, uint32_t o, uint64_t from, uint8_t state) {
    for (const auto& c : out.changes)
        if (c.address == o + ob::state && c.frame > from && (c.value & 0xFF) != state) return c.frame;
    return 0;
}

TEST_F(CrowdRunEnemies, KindsAbove8ReelFromEachHitAndComeBackUntilBeaten) {
    const uint64_t won = boss_gone(out, found, start);
    ASSERT_GT(won, start);
    // A hit that leaves energy clears the hit mark and makes the enemy
    // untouchable in state 19: kinds 9 to 14 swing back there and seek again
    // (state 2), kinds 19 to 36 come in again by their entrance and stand
    // (state 1), touchable again either way. The beating hit makes it fall
    // away (state 7), and it is counted off once off the screen.
    std::set<uint8_t> beaten_kinds;
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const kind& k = kKinds[i];
        if (k.number <= 8 || k.number == kGrowingKind) continue;
        const uint32_t o = found[i];
        const std::string what = "kind " + std::to_string(k.number);
        const auto h = hits(out, o, start);
        ASSERT_FALSE(h.empty()) << what;
        for (const auto& [frame, energy] : h) {
            if (energy == 0) {
                beaten_kinds.insert(k.number);
                EXPECT_EQ(out.value_at(o + ob::state, frame) & 0xFF, 7u) << what;
                EXPECT_EQ(frame, h.back().first) << what << ": the last hit";
                continue;
            }
            EXPECT_EQ(out.value_at(o + ob::state, frame) & 0xFF, 19u) << what << " hit in frame " << frame;
            EXPECT_EQ(
                out.value_at(o + ob::flags, frame) & (1u << object_flag::hit | 1u << object_flag::intangible),
                1u << object_flag::intangible)
                << what << ": untouchable, unmarked";
            const uint64_t back = leaves_state(out, o, frame, 19);
            if (back == 0 || back > won) continue;  // still reeling when the area was won
            EXPECT_EQ(out.value_at(o + ob::state, back) & 0xFF, k.number <= 14 ? 2u : 1u) << what;
            EXPECT_EQ(out.value_at(o + ob::flags, back) & (1u << object_flag::intangible), 0u)
                << what << ": touchable again";
        }
    }
    // Kinds 9, 11, 13 and 14 come back fast enough to be beaten (kind 12 is
    // left out above), as do those of 19 to 36 whose entrance is short; the
    // others still stand when the area is won.
    EXPECT_EQ(beaten_kinds, (std::set<uint8_t>{9, 11, 13, 14, 21, 23, 24, 25, 27, 28, 29, 30, 31, 32, 35}));
}

// Kind 12 grows in: in the frame after its set-up it stands at the start
// spot (640 right of the camera, at X 0, on the area's start line, Y 600),
// untouchable, its picture's size field (the part's width, 24) shrunk to
// its remainder by 4 (0) and grown by 4 that frame; 4 more each frame
// until, 24 / 4 = 6 frames on, it is whole, touchable and standing (state
// 1). Its box lies out of everyone's reach: it stays there untouched.
TEST_F(CrowdRunEnemies, KindTwelveGrowsInAtTheStartSpot) {
    size_t i = 0;
    while (i < kKinds.size() && kKinds[i].number != kGrowingKind) ++i;
    ASSERT_LT(i, kKinds.size());
    const uint32_t o = found[i];
    EXPECT_EQ(out.value_at(o + ob::state, start) & 0xFF, 0u);
    EXPECT_EQ(out.value_at(o + ob::world_x, start + 1), 640u);
    EXPECT_EQ(out.value_at(o + ob::world_y, start + 1), 600u);
    for (uint64_t n = 1; n <= 6; ++n) {
        EXPECT_EQ(out.value_at(o + actors::first_part_size, start + n) & 0x3FF, 4 * n) << "frame " << n;
        EXPECT_EQ(out.value_at(o + ob::flags, start + n) & (1u << object_flag::intangible),
                  n < 6 ? 1u << object_flag::intangible : 0u)
            << "frame " << n;
        EXPECT_EQ(out.value_at(o + ob::state, start + n) & 0xFF, n < 6 ? 0u : 1u) << "frame " << n;
    }
    EXPECT_EQ(out.value_at(o + actors::first_part_size, kFrames) & 0x3FF, 24u);
    EXPECT_TRUE(hits(out, o, start).empty());
    EXPECT_EQ(out.value_at(o + ob::world_x, kFrames), 640u);
}

// Kinds 22 to 26 throw a piece in the frame they are beaten: it flies 10
// a frame away from where the enemy faced, and goes once off the screen.
// The overlays of kinds 13 and 14 go in the frame their enemy goes.
TEST_F(CrowdRunEnemies, BeatenEnemiesLoseTheirPiecesAndOverlays) {
    // sub_073832 piece first, sub_073848 piece
    int pieces = 0;
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const kind& k = kKinds[i];
        if (k.number < 22 || k.number > 26) continue;
        const uint32_t o = found[i];
        const uint64_t defeat = beaten(out, o, start);
        if (defeat == 0) continue;
        ++pieces;
        std::vector<uint32_t> thrown;
        for (uint32_t p : running(out, kPool128, entry::sub_073848, defeat))
            if ((kHigh | out.value_at(p + ob::owner, defeat)) == o &&
                out.value_at(p + ob::routine, defeat - 1) != entry::sub_073848)
                thrown.push_back(p);
        ASSERT_EQ(thrown.size(), 1u) << "kind " << int(k.number);
        const uint32_t p = thrown[0];
        EXPECT_TRUE(running(out, kPool128, entry::sub_073832, defeat - 1).empty());
        const int16_t step =
            int16_t(out.value_at(p + ob::world_x, defeat + 2) - out.value_at(p + ob::world_x, defeat + 1));
        EXPECT_EQ(std::abs(step), 10) << "kind " << int(k.number);
        uint64_t last = 0;
        for (const auto& c : out.changes)
            if (c.address == p + ob::world_x && c.frame > defeat &&
                out.value_at(p + ob::routine, c.frame) == entry::sub_073848)
                last = c.frame;
        // It stops moving (freed) once past the screen's right edge (X 1280 with
        // the camera at 0).
        EXPECT_LT(last, kFrames) << "kind " << int(k.number);
        EXPECT_GE(int16_t(out.value_at(p + ob::world_x, last)), 1280) << "kind " << int(k.number);
    }
    EXPECT_EQ(pieces, 3);  // kinds 23, 24 and 25
    // Overlays of kinds 13 and 14.
    // sub_0703E6 overlay, sub_070460 overlay removal
    const auto overlays = running(out, kPool128, entry::sub_0703E6, start);
    ASSERT_EQ(overlays.size(), 2u);
    for (uint32_t v : overlays) {
        const uint32_t enemy = kHigh | uint32_t(out.value_at(v + ob::owner, start));
        uint64_t gone = 0;
        for (const auto& c : out.changes)
            if (c.address == enemy + ob::flags && c.frame > start &&
                !(c.value & (1u << object_flag::alive))) {
                gone = c.frame;
                break;
            }
        ASSERT_GT(gone, start);
        EXPECT_EQ(out.value_at(v + ob::routine, gone - 1), entry::sub_0703E6);
        EXPECT_EQ(out.value_at(v + ob::routine, gone), entry::sub_070460);
    }
}

TEST_F(CrowdRunEnemies, WhenTheBossRecordsEnemyIsGoneTheAreaIsWonAndTheKindsAbove18Vanish) {
    // Kind 4's record is a boss record: its spawn closes the wave gate, with
    // sounds 0x84 and 0x90.
    EXPECT_EQ(out.value_at(kGameFlagsHigh, start - 1) & 0x80, 0u);
    EXPECT_EQ(out.value_at(kGameFlagsHigh, start) & 0x80, 0x80u);
    const auto a = queued(out, var::sound_ring_a);
    EXPECT_EQ(frames_of(a, 0x84, start - 1), std::vector<uint64_t>{start});
    EXPECT_EQ(frames_of(a, 0x90, start - 1), std::vector<uint64_t>{start});
    // Kind 4 is the last enemy the player beats; in the frame after it is
    // gone the generator finds it so and the area is won.
    const uint64_t won = boss_gone(out, found, start);
    ASSERT_GT(won, start);
    EXPECT_EQ(out.value_at(kSystemFlagsHigh, won) & 0x08, 0u);
    EXPECT_EQ(out.value_at(kSystemFlagsHigh, won + 1) & 0x08, 0x08u);
    // In that frame every enemy of kind 0 or above 18 still there (kinds
    // 19, 20, 22, 26, 33, 34 and 36; the others are beaten) is sent to
    // vanish: no longer alive, it stays where it stands, each one 6 frames
    // after the one before is counted off and then shrinks, rising, until it
    // is freed. The kinds 9 to 14 still there (kind 12) carry on.
    std::vector<uint32_t> vanishing;
    std::set<uint8_t> vanishing_kinds;
    for (size_t i = 0; i < kKinds.size(); ++i) {
        const kind& k = kKinds[i];
        const uint32_t o = found[i];
        if (beaten(out, o, start) != 0) continue;  // its place may hold another object by now
        if (k.number >= 1 && k.number <= 18) {
            EXPECT_NE(out.value_at(o + ob::routine, won + 1), entry::sub_06A265) << "kind " << int(k.number);
            continue;
        }
        vanishing.push_back(o);
        vanishing_kinds.insert(k.number);
        EXPECT_EQ(out.value_at(o + ob::flags, won + 1) & (1u << object_flag::alive), 0u)
            << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(o + ob::routine, won + 1), entry::sub_06A265) << "kind " << int(k.number);
        EXPECT_EQ(out.value_at(o + ob::world_x, kFrames), out.value_at(o + ob::world_x, won))
            << "kind " << int(k.number);
        uint64_t peak = 0;
        for (const auto& c : out.changes)
            if (c.address == o + ob::height && c.frame > won) peak = std::max<uint64_t>(peak, c.value);
        EXPECT_GT(peak, 0u) << "kind " << int(k.number) << ": rises as it shrinks";
    }
    EXPECT_EQ(vanishing_kinds, (std::set<uint8_t>{19, 20, 22, 26, 33, 34, 36}));
    // Each is counted off as its wait ends (its vanish state turns 1): the
    // first at once, then one every 6 frames.
    std::vector<uint64_t> counted, expected;
    for (uint32_t o : vanishing)
        for (const auto& c : out.changes)
            if (c.address == o + ob::state && c.frame > won && (c.value & 0xFF) == 1) {
                counted.push_back(c.frame);
                break;
            }
    std::sort(counted.begin(), counted.end());
    for (uint64_t n = 0; n < vanishing.size(); ++n) expected.push_back(won + 1 + 6 * n);
    EXPECT_EQ(counted, expected);
    EXPECT_EQ(out.value_at(var::live_enemy_count, won + 1 + 6 * (vanishing.size() - 1)) + 1,
              out.value_at(var::live_enemy_count, won + 6 * (vanishing.size() - 1)));
}

TEST_F(CrowdRunEnemies, KindsSoundAsTheyAreSetUpEnterAndAreBeaten) {
    const auto a = queued(out, var::sound_ring_a), b = queued(out, var::sound_ring_b);
    using frames = std::vector<uint64_t>;
    // At the set-ups: kind 4 on ring A, kind 11 and kind 9's two entries on
    // ring B.
    EXPECT_EQ(frames_of(a, 0x8C, start - 1), frames{start});
    EXPECT_EQ(frames_of(b, 0xAE, start - 1), frames{start});
    EXPECT_EQ(frames_of(b, 0x9A, start - 1), frames{start});
    EXPECT_EQ(frames_of(b, 0x9B, start - 1), frames{start});
    // Each of the 18 scripted entrances (kinds 19 to 36) starts with its
    // sound, in the frame after the set-up, and so does each entrance again
    // after a hit, in the frame after the hit; the defeats of kinds 19 to 26
    // sound 0xF5 on ring A.
    frames entrances(18, start + 1), defeats;
    for (size_t i = 0; i < kKinds.size(); ++i) {
        if (kKinds[i].number < 19) continue;
        for (const auto& [frame, energy] : hits(out, found[i], start)) {
            if (energy != 0) entrances.push_back(frame + 1);
            if (energy == 0 && kKinds[i].number <= 26) defeats.push_back(frame);
        }
    }
    std::sort(entrances.begin(), entrances.end());
    std::sort(defeats.begin(), defeats.end());
    EXPECT_EQ(frames_of(a, 0xF4, start - 1), entrances);
    EXPECT_EQ(frames_of(a, 0xF5, start - 1), defeats);
    EXPECT_EQ(defeats.size(), 4u);  // kinds 21, 23, 24 and 25
    // Kind 4's defeat sound once, kinds 7 and 8 one each, in the frame the
    // defeat is seen (the energy reaches 0 as the player's punch lands, before
    // the enemy runs); no hit of theirs had a reaction that sounds.
    auto defeat_of = [&](uint8_t number) {
        for (size_t i = 0; i < kKinds.size(); ++i)
            if (kKinds[i].number == number) return beaten(out, found[i], start);
        return uint64_t(0);
    };
    EXPECT_EQ(frames_of(b, 0xA9, start), frames{defeat_of(4)});
    frames b4 = {defeat_of(7), defeat_of(8)};
    std::sort(b4.begin(), b4.end());
    EXPECT_EQ(frames_of(b, 0xB4, start), b4);
    EXPECT_TRUE(frames_of(b, 0xB3, start).empty());
}

TEST_F(CrowdRunEnemies, EachScriptedEntranceFollowsItsCommand) {
    // The kinds 19 to 36 take the commands in turn from their spawn data. In
    // the entrance's first frame (the one after the set-up, a step made):
    // the jumps start 1220 units to the side (from the left facing right) or
    // 915 in front, 30 up; the drop 780 up; the waits and the end in place.
    // The frames until the enemy stands (state 1) at the spot: a jump's arc
    // 61, the drop's fall 40, the camera wait (its mark, 0, already passed)
    // and the end 1, the timed wait its 40.
    constexpr int16_t kSpotX = 744, kSpotY = 600;
    struct command {
        int16_t x, y, height;
        bool from_left;
        uint64_t frames;
    };
    const command kCommands[7] = {
        {kSpotX - 1220 + 20, kSpotY, 30, true, 61},
        {kSpotX + 1220 - 20, kSpotY, 30, false, 61},
        {kSpotX, kSpotY, 780, false, 40},
        {kSpotX, kSpotY + 915 - 15, 30, false, 61},
        {kSpotX, kSpotY, 0, false, 1},
        {kSpotX, kSpotY, 0, false, 40},
        {kSpotX, kSpotY, 0, false, 1},
    };
    for (size_t i = 0; i < kKinds.size(); ++i) {
        if (kKinds[i].number < 19) continue;
        const command& c = kCommands[(kKinds[i].number - 19) % 7];
        const uint32_t o = found[i];
        const std::string what = "kind " + std::to_string(kKinds[i].number);
        EXPECT_EQ(int16_t(out.value_at(o + ob::world_x, start + 1)), c.x) << what;
        EXPECT_EQ(int16_t(out.value_at(o + ob::world_y, start + 1)), c.y) << what;
        EXPECT_EQ(int16_t(out.value_at(o + ob::height, start + 1)), c.height) << what;
        EXPECT_EQ((out.value_at(o + ob::flags, start + 1) & (1u << object_flag::mirror_x)) != 0, c.from_left)
            << what << ": facing";
        uint64_t stands = 0;
        for (const auto& ch : out.changes)
            if (ch.address == o + ob::state && ch.frame > start && (ch.value & 0xFF) != 0) {
                stands = ch.frame;
                break;
            }
        EXPECT_EQ(stands, start + c.frames) << what;
        EXPECT_EQ(out.value_at(o + ob::state, stands) & 0xFF, 1u) << what;
        EXPECT_EQ(out.value_at(o + ob::height, stands), 0u) << what << ": on the ground";
    }
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 34BD08EDCCD6E48D E68C70E9E472A8E6 023631DB6E0FD8E5 90C6FC7C6E7EFB7F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 25CCF1B94A4AAF36 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 49D3BB20ECCE0A39 FC878BE381A0CAA1 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 B52018915AC023A1
900 41E5A5CA5624B595 820210391830D8F1 DEFD1873F0AD3C1A C08AEAB312073130 B93A0C83CE3B6325 B93A0C83CE3B6325 436D6BED79664095 35CFA1759E1B063C B93A0C83CE3B6325 B93A0C83CE3B6325 173BB8FF840EC89A 861355FA2A7ED791 C4C571CE6A40FAC0 B3C57E0C9E2E03EF B93A0C83CE3B6325 8431358927C34E43 B93A0C83CE3B6325 B93A0C83CE3B6325 B5723D18B63728CF
1200 05857D72EEF82F4D 8D3E6567C4BA72CA 399F972B67C55D82 0A1B8128EDEBD1ED B93A0C83CE3B6325 B93A0C83CE3B6325 6D4B14E045611AC9 9A6E8F97B5A9CBB6 B93A0C83CE3B6325 941BBDACE93E6187 F65BB8A6CE958B0C FDA2A4F2937EA08A EF112C1470F1C4A8 4A69B71D4EEF1594 B93A0C83CE3B6325 38B646B69BA4BF1A B93A0C83CE3B6325 B93A0C83CE3B6325 27C4F11EA1DD99AE
1500 FA03F078A88E30C5 C072120771E26A02 62F6EF3634DA388C D4FCB176EFCB7AFB B93A0C83CE3B6325 B93A0C83CE3B6325 23D65B8D06C1B7EE FFF8FDF599F29A42 B93A0C83CE3B6325 AE221A8AAD53CB22 FA5DB2AAEE4A8545 7084EADD0131443B 1839FC3C3187AAF3 61377F3FD4DCB9C0 B93A0C83CE3B6325 969F0ADA052886E6 B93A0C83CE3B6325 B93A0C83CE3B6325 B92BA61C7D20CF81
1800 37CD4769394E4EDD 421B45CAA9470504 30372C8366EEB985 96F189AB920CF85C B93A0C83CE3B6325 B93A0C83CE3B6325 4AF738F93F75E658 30E725E3EBA3EDDA B93A0C83CE3B6325 4A2F568C57B8D82D 68857A777F8952B9 B023FC05731393FA 5FB4A0317B3DD23B 696ED7599325A490 B93A0C83CE3B6325 F5D161E2A08B00AC B93A0C83CE3B6325 B93A0C83CE3B6325 30CBE8A2B25B7536
2100 1305AFF0C8AD31AD ADF724196B4F17BC E2164A341834060D 38FB3F639248CBC6 B93A0C83CE3B6325 B93A0C83CE3B6325 B779ED1E29AC0197 98CD4CC3B4EA5E4D B93A0C83CE3B6325 4A2F568C57B8D82D 3B5FDAF9C1843459 6043031BC8BD6155 636BBA75533D8DB8 7B6E2DEF151755A0 B93A0C83CE3B6325 AAD74537959A3C5D B93A0C83CE3B6325 B93A0C83CE3B6325 C2DF397E14C3AACD
)";

TEST(CrowdRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, crowd_run(),
                                            [&](int slices) { return r.run(crowd_options(slices)); }),
              "");
}

}  // namespace
