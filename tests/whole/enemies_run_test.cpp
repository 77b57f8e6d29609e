// A one-player game on the synthetic ROM set meets the enemies of stage 1
// area 1: the stalker walks up beside the player and takes its punches until
// it is beaten, scoring, and falls away; the pacer walks its platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "game/actors/vars.h"
#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "tests/support/play_script.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

constexpr uint32_t kPlayerScore = var::player_records + player_record::score;
constexpr uint32_t kPlayerX = var::player_records + ob::world_x;
// The 128-byte objects; of each, the fields the checks follow.
using whole_run::kPool128;

constexpr uint64_t kFrames = 1560;
constexpr int kPunches = 42;

// Coins and start, the character taken, then a punch every 20 frames: the
// stalker comes to stand beside the player on the side the player faces.
std::string script() {
    std::string s = play_script::coin_and_start();
    for (int i = 0; i < kPunches; ++i) s += std::to_string(760 + 20 * i) + " press button1\n";
    return s;
}

whole_run::options enemies_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 240);
    o.watch = {{var::live_enemy_count, 1}, {kPlayerScore, 4}, {kPlayerX, 2}, {var::tally_records + 2, 2}};
    o.watch_pool(kPool128, {{ob::flags, 2}, {ob::state, 2}, {ob::world_x, 2}, {ob::energy, 2}});
    return o;
}

const whole_reach::listed kReach("enemies", [] { return enemies_options(1); });

const whole_run::outcome& enemies_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "enemies", enemies_options(1));
}

// The first 128-byte object whose type byte turned to `type` with `energy`:
// the enemy a spawn set up. 0 when none did.
struct found {
    uint32_t object = 0;
    uint64_t frame = 0;
};
found enemy(const whole_run::outcome& out, uint8_t type, uint16_t energy) {
    for (const auto& c : out.pool_changes(kPool128, ob::state)) {
        const uint32_t o = c.address - ob::state;
        if ((c.value >> 8) == type && out.value_at(o + ob::energy, c.frame) == energy) return {o, c.frame};
    }
    return {};
}

TEST(EnemiesRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = enemies_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST(EnemiesRun, BothKindsEnterWhenThePlayerArrives) {
    const auto& out = enemies_run();
    const found stalker = enemy(out, 3, 260), pacer = enemy(out, 0, 24);
    ASSERT_NE(stalker.object, 0u);
    ASSERT_NE(pacer.object, 0u);
    // Both count as live enemies from their set-up, in the frame the area
    // starts.
    EXPECT_EQ(stalker.frame, pacer.frame);
    EXPECT_EQ(out.value_at(var::live_enemy_count, stalker.frame - 1), 0u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, stalker.frame), 2u);

    // The pacer lives on and walks within its segment (64 to 1216).
    EXPECT_EQ(out.value_at(pacer.object + ob::flags, kFrames) & (1u << object_flag::alive), 1u);
    std::vector<uint64_t> xs;
    for (const auto& c : out.changes_in(pacer.object + ob::world_x, pacer.frame)) xs.push_back(c.value);
    ASSERT_GT(xs.size(), 10u) << "it walks";
    EXPECT_GE(*std::min_element(xs.begin(), xs.end()), 64u);
    EXPECT_LE(*std::max_element(xs.begin(), xs.end()), 1216u);
}

TEST(EnemiesRun, PunchesBeatTheStalkerForItsPoints) {
    const auto& out = enemies_run();
    const found stalker = enemy(out, 3, 260);
    ASSERT_NE(stalker.object, 0u);
    // It came to stand beside the player: 100 units to the right, stopping
    // short of a step that would reach its point.
    const auto hits_seen = out.changes_in(stalker.object + ob::energy, stalker.frame);
    ASSERT_GE(hits_seen.size(), 3u);
    const uint64_t first_hit = hits_seen[1].frame;
    const uint64_t gap =
        out.value_at(stalker.object + ob::world_x, first_hit) - out.value_at(kPlayerX, first_hit);
    EXPECT_GE(gap, 100u);
    EXPECT_LT(gap, 108u);

    // Its energy falls with every punch that lands, down to 0; each landed
    // punch but the last scores 10 points in the same frame, the last the
    // kind's 5000.
    std::vector<uint64_t> energy, hit_frames;
    for (const auto& c : hits_seen) {
        energy.push_back(c.value);
        hit_frames.push_back(c.frame);
    }
    EXPECT_EQ(energy.front(), 260u);
    EXPECT_EQ(energy.back(), 0u);
    EXPECT_TRUE(std::is_sorted(energy.rbegin(), energy.rend()) &&
                std::adjacent_find(energy.begin(), energy.end()) == energy.end())
        << "strictly falling";
    const size_t hits = energy.size() - 1;
    uint64_t expected_score = 0;
    for (size_t h = 1; h < energy.size(); ++h) {
        expected_score += h == hits ? 5000 : 10;
        EXPECT_EQ(out.value_at(kPlayerScore, hit_frames[h]), expected_score) << "hit " << h;
    }
    EXPECT_EQ(out.value_at(kPlayerScore, kFrames), expected_score);
    EXPECT_EQ(out.value_at(var::tally_records + 2, kFrames), 1u) << "one defeat in its category";

    // It pops up and falls off the screen: then its flags are cleared and it
    // no longer counts; the pacer is the one live enemy left.
    const uint64_t defeat = hit_frames.back();
    const auto flags = out.changes_in(stalker.object + ob::flags, defeat);
    ASSERT_FALSE(flags.empty());
    ASSERT_EQ(flags.back().value, 0u);
    const uint64_t removal = flags.back().frame;
    EXPECT_GT(removal, defeat + 8) << "the fall takes a while";
    EXPECT_LT(removal, defeat + 80);
    EXPECT_EQ(out.value_at(var::live_enemy_count, removal - 1), 2u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, removal), 1u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, kFrames), 1u);
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 34BD08EDCCD6E48D E68C70E9E472A8E6 023631DB6E0FD8E5 90C6FC7C6E7EFB7F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 25CCF1B94A4AAF36 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 49D3BB20ECCE0A39 FC878BE381A0CAA1 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 B52018915AC023A1
900 4C2BFDEEE9473D25 648694CE518A7119 63154C1AE8BF21B5 8B31A15FDCB04ADB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 AE9C02531D16CC3E B93A0C83CE3B6325 B93A0C83CE3B6325 806044C7F3A8CA53 6E4705358B37427E 1492BE3869FCFED3 2BB539C57E368F25 B93A0C83CE3B6325 9ADA8D4AFD0DBE77 B93A0C83CE3B6325 B93A0C83CE3B6325 87E54D6C15CE2FE1
1200 C20CCB5B3AE973E5 90B9E08984F7D441 09ADC5980C4A0958 8B31A15FDCB04ADB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 AD5630497B38DBA5 B93A0C83CE3B6325 B93A0C83CE3B6325 46397B6440ED8AEB EA3F0DC96A0D2D70 B6CA498EF7C57EF4 6145A7ECDD9E23CE B93A0C83CE3B6325 9ADA8D4AFD0DBE77 B93A0C83CE3B6325 B93A0C83CE3B6325 2E6BCD60C4692094
1500 4FE7816C3ABCA91D C7CD9EC515BF036F 284C8DFFA381E438 FCECA4020D537684 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 92C3E4655824F5AE B93A0C83CE3B6325 B93A0C83CE3B6325 54CF730ADC18467E F496BF445FB7C6F9 F93176F629E02303 9C2F06F5265AB09C B93A0C83CE3B6325 A107C7030151155C B93A0C83CE3B6325 B93A0C83CE3B6325 8C98D8EEDD2C4978
)";

TEST(EnemiesRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, enemies_run(),
                                            [&](int slices) { return r.run(enemies_options(slices)); }),
              "");
}

}  // namespace
