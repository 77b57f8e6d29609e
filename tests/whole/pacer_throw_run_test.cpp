// A one-player game on the synthetic ROM set in stage 1 area 1, where the
// player walks up from the start line towards the top of the playfield and
// waits there: the pacer, walking its segment below, finds the player in its
// throwing probe, winds up and throws an object that flies out at the
// player's depth and into the player, who loses the throw's strength. No
// other run walks a player up there: the pacer throws in this run only.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "tests/support/play_script.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

constexpr uint32_t kPlayerX = var::player_records + ob::world_x, kPlayerY = var::player_records + ob::world_y,
                   kPlayerEnergy = var::player_records + ob::energy;
// The 128-byte objects and the 64-byte objects; of each, the fields the
// checks follow.
using whole_run::kPool128;
using whole_run::kPool64;

constexpr uint64_t kFrames = 900;
constexpr uint64_t kWalkUp = 700;  // 25 frames up at 8 units a frame: from 600 to 400
// sub_07A3DA thrown; the thrown object's routine
constexpr uint16_t kPacerY = 720, kPacerEnergy = 24;
constexpr uint8_t kThrowStates[] = {15, 16, 17, 18};
constexpr uint64_t kWindup = 12;  // frames of the throw's wind-up
constexpr int16_t kStep = 6, kOffsetX = 64, kOffsetY = -296;
constexpr uint16_t kStrength = 6;  // energy a thrown object takes

// Coins, start, the character taken, the stage's first button; then, in
// area 1, a walk up from the start line into the pacer's throwing probe,
// where the player stands.
std::string script() {
    return play_script::coin_and_start() + "500 press button1\n" + std::to_string(kWalkUp) +
           " press up1 25\n";
}

whole_run::options throw_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 240);
    o.watch = {{kPlayerX, 2}, {kPlayerY, 2}, {kPlayerEnergy, 2}, {var::free_stack_64, 2}};
    o.watch_pool(kPool128,
                 {{ob::flags, 2}, {ob::state, 2}, {ob::world_x, 2}, {ob::world_y, 2}, {ob::energy, 2}});
    o.watch_pool(kPool64, {{ob::routine, 4}, {ob::owner, 2}, {ob::world_x, 2}, {ob::world_y, 2}});
    return o;
}

const whole_run::outcome& throw_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "pacer_throw", throw_options(1));
}
const whole_reach::listed kReach("pacer_throw", [] { return throw_options(1); });

// The pacer: the 128-byte object whose type byte turned to 0 with the
// pacer's energy on its segment's floor. 0 when none did.
uint32_t pacer(const whole_run::outcome& out) {
    for (const auto& c : out.pool_changes(kPool128, ob::state, 600)) {
        const uint32_t o = c.address - ob::state;
        if ((c.value >> 8) == 0 && out.value_at(o + ob::energy, c.frame) == kPacerEnergy &&
            out.value_at(o + ob::world_y, c.frame) == kPacerY)
            return o;
    }
    return 0;
}

// The first 64-byte object given the thrown object's routine, and when.
struct thrown {
    uint32_t object = 0;
    uint64_t frame = 0;
};
thrown first_thrown(const whole_run::outcome& out) {
    for (const auto& c : out.pool_changes(kPool64, ob::routine))
        if (c.value == entry::sub_07A3DA) return {c.address - ob::routine, c.frame};
    return {};
}

TEST(PacerThrowRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = throw_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

// Only the player who has walked up comes into the probe: the pacer,
// walking on screen below, throws once the player stands at 400 (the throw
// states 15 to 18 in turn: its wind-up, and the object leaving on the
// throw's frame 1).
TEST(PacerThrowRun, ThePacerThrowsOnceThePlayerHasWalkedUp) {
    const auto& out = throw_run();
    const uint32_t o = pacer(out);
    ASSERT_NE(o, 0u);
    const uint64_t up = out.first_frame(kPlayerY, 400);
    ASSERT_GT(up, kWalkUp);
    EXPECT_EQ(out.value_at(kPlayerY, kWalkUp), 600u);

    std::vector<uint64_t> at;
    for (uint8_t state : kThrowStates) {
        const uint64_t f = out.first_frame(o + ob::state, state, at.empty() ? 0 : at.back());
        ASSERT_NE(f, 0u) << "state " << int(state);
        at.push_back(f);
    }
    EXPECT_GT(at[0], up) << "no throw before the player stands in the probe";
    EXPECT_EQ(at[1], at[0] + 1);
    EXPECT_EQ(at[2], at[1] + kWindup - 1);  // counted down from the frame it starts
    EXPECT_GT(at[3], at[2]);
    // It stood still from the wind-up on.
    const uint64_t x = out.value_at(o + ob::world_x, at[0]);
    EXPECT_EQ(out.value_at(o + ob::world_x, at[3]), x);
    EXPECT_EQ(out.value_at(o + ob::world_y, at[3]), kPacerY);

    // The object leaves in the frame of state 18, its routine the thrown
    // object's, its owner the pacer, 16 pixels ahead of it (mirrored: to the
    // right, where it walked) at the player's depth.
    const thrown t = first_thrown(out);
    ASSERT_NE(t.object, 0u);
    EXPECT_EQ(t.frame, at[3]);
    EXPECT_EQ(out.value_at(t.object + ob::owner, t.frame), o & 0xFFFF);
    EXPECT_EQ(out.value_at(t.object + ob::world_x, t.frame), x + kOffsetX + kStep);
    EXPECT_EQ(out.value_at(t.object + ob::world_y, t.frame), uint16_t(kPacerY + kOffsetY));
}

// The object flies straight at 6 units a frame towards the player, and in
// the frame it reaches the player's body the player loses the throw's
// strength and the object goes back to its pool.
TEST(PacerThrowRun, TheThrownObjectFliesIntoThePlayerAndIsGone) {
    const auto& out = throw_run();
    const thrown t = first_thrown(out);
    ASSERT_NE(t.object, 0u);
    // Its flight: the x it takes frame after frame until it stops (the pool
    // hands the same object to later throws).
    std::vector<whole_run::change> xs;
    for (const auto& c : out.changes)
        if (c.address == t.object + ob::world_x && c.frame >= t.frame &&
            (xs.empty() || c.frame == xs.back().frame + 1))
            xs.push_back(c);
    ASSERT_GE(xs.size(), 3u);
    for (size_t i = 1; i < xs.size(); ++i) EXPECT_EQ(xs[i].value, xs[i - 1].value + kStep);
    const uint64_t hit = xs.back().frame;
    EXPECT_EQ(out.value_at(t.object + ob::world_y, hit), out.value_at(t.object + ob::world_y, t.frame))
        << "straight on";
    // The player's energy, unchanged while it flies, falls by the strength in
    // the frame it hits; the object moves no more and the pool has one free
    // object more than the frame before.
    EXPECT_EQ(out.value_at(kPlayerEnergy, hit - 1), out.value_at(kPlayerEnergy, t.frame - 1));
    EXPECT_EQ(out.value_at(kPlayerEnergy, hit), out.value_at(kPlayerEnergy, hit - 1) - kStrength);
    EXPECT_EQ(out.value_at(var::free_stack_64, hit), out.value_at(var::free_stack_64, hit - 1) + 1);
    EXPECT_LT(xs.back().value, out.value_at(kPlayerX, hit)) << "it met the player from the pacer's side";
    EXPECT_GT(hit, t.frame);
    EXPECT_LT(hit, kFrames);
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 8FDFDC10CBE38115 EEDB8C941851AE6E 91A616FE392442B8 858C352D7ED7717D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 BD50D997F2E15FD3 D70BCB4923161F8E B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 9774424C6137718E
900 202B868FD94723C5 3A78993C753A5C28 B75A7786BA5A1939 3C6F216961777ED0 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B65F89D3CCB12F45 B93A0C83CE3B6325 B93A0C83CE3B6325 0D0C18266954C94A 708331EA74451C6F 5E7CD5824D8B4EDB 417112A8933C12A5 B93A0C83CE3B6325 FD0B7E59D8CF397E B93A0C83CE3B6325 B93A0C83CE3B6325 01724E846AC915DD
)";

TEST(PacerThrowRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, throw_run(),
                                            [&](int slices) { return r.run(throw_options(slices)); }),
              "");
}

}  // namespace
