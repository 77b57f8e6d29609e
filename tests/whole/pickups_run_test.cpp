// A one-player game on the synthetic ROM set meets stage 3 area 3: a
// scripted flyer follows its path and drops shells, an energy pickup and a
// score pickup lie on the player's way, a rider carrier brings its rider and
// sets it down, and a pickup carrier flies its path, shooting, and leaves a
// score pickup where its path ends, its shots flying at the player; a plain
// carrier waits for the player in x, another drifts until it is level with
// the player in depth, then darts out of the area and is removed. The
// player walks right, taking the pickups, each of which flies to the
// player's panel. A second run walks on: a second rider carrier comes down
// beside the player and is beaten, and the camera-triggered enemy's set-up
// ends the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <map>
#include <regex>
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
#include "tests/support/synthetic_rom.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

using whole_run::queued;

constexpr uint32_t kPlayerX = var::player_records + ob::world_x, kPlayerY = var::player_records + ob::world_y,
                   kPlayerEnergy = var::player_records + ob::energy,
                   kPlayerScore = var::player_records + player_record::score;
using whole_run::kPool128;

constexpr uint64_t kFrames = 1800;
// The area's x 0: where the boss descriptor's area records start the
// playfield camera (x positions below are the area's, from there).
constexpr int kOriginX = 0x4000;
constexpr uint64_t kAreaPoke = 844;  // after stage 1's intro, before its first area starts

// Coins, start and the character taken as in the other runs of play; then,
// once stage 1's intro has run, the stage byte set to 3, the area byte to 2
// (the area start counts it on to 3) and the stage descriptor pointer to the
// boss run's descriptor, which has area records 0-3 (no input leads to
// stage 3 area 3: the synthetic set has one stage of scenery); then the
// player walks right in four stretches, to each of the pickups, the last up
// to the plain carrier.
std::string script() {
    std::string s = play_script::coin_and_start() + "760 press button1\n";
    s += play_script::poke(kAreaPoke, var::stage, 3) + play_script::poke(kAreaPoke, var::area, 2);
    for (uint32_t i = 0; i < 4; ++i)
        s += play_script::poke(kAreaPoke, var::stage_descriptor_pointer + i,
                               (synthetic::boss_stage_descriptor >> (8 * i)) & 0xFF);
    s += "950 press right1 20\n1100 press right1 12\n1250 press right1 15\n1400 press right1 15\n";
    return s;
}

whole_run::options pickups_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 240);
    o.watch = {{var::ingame_state, 1},     {var::stage, 1},   {var::area, 1},
               {var::live_enemy_count, 1}, {kPlayerX, 2},     {kPlayerY, 2},
               {kPlayerEnergy, 2},         {kPlayerScore, 4}, {var::camera_pointer, 4}};
    for (uint32_t c = 0; c < 4; ++c)
        o.watch.push_back({var::camera_records + camera_record::size * c + camera_record::x, 2});
    for (uint32_t e = 0; e <= kPool128.count; ++e) o.watch.push_back({var::free_stack_128 + 2 * e, 2});
    for (uint32_t c = 0; c < 8; ++c) o.watch.push_back({var::boss_bar_name + 2 * c, 2});
    for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
        for (uint32_t b = 1; b < 34; ++b) o.watch.push_back({ring + b, 1});
    o.watch_pool(kPool128, {{ob::flags, 2},
                            {ob::state, 2},
                            {ob::routine, 4},
                            {ob::partner, 2},
                            {ob::screen_x, 2},
                            {ob::screen_y, 2},
                            {ob::world_x, 2},
                            {ob::world_y, 2},
                            {ob::energy, 2}});
    return o;
}

const whole_reach::listed kReach("pickups", [] { return pickups_options(1); });

const whole_run::outcome& pickups_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "pickups", pickups_options(1));
}

TEST(PickupsRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = pickups_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

// The frame stage 3 area 3 started in (the area byte turned 3 in stage 3).
uint64_t area_start(const whole_run::outcome& out) {
    return out.first_frame_with(var::area, 3, var::stage, 3);
}

// The 128-byte objects whose routine was `routine` in `frame`.
std::vector<uint32_t> running(const whole_run::outcome& out, uint32_t routine, uint64_t frame) {
    return out.objects_with(kPool128, ob::routine, routine, frame);
}

// The frames in which an object took up `routine` (it did not run it in the
// frame before, or ran it in another state than its first).
std::vector<std::pair<uint64_t, uint32_t>> births(const whole_run::outcome& out, uint32_t routine,
                                                  uint64_t from) {
    std::vector<std::pair<uint64_t, uint32_t>> v;
    for (uint32_t i = 0; i < kPool128.count; ++i) {
        const uint32_t o = kPool128.object(i);
        std::vector<uint64_t> frames = out.frames_of(o + ob::routine);
        for (uint64_t f : out.frames_of(o + ob::state)) frames.push_back(f);
        std::sort(frames.begin(), frames.end());
        frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
        for (uint64_t f : frames) {
            if (f <= from || out.value_at(o + ob::routine, f) != routine) continue;
            const bool was = out.value_at(o + ob::routine, f - 1) == routine;
            const bool restarted =
                (out.value_at(o + ob::state, f) & 0xFF) < (out.value_at(o + ob::state, f - 1) & 0xFF);
            if (!was || restarted) v.push_back({f, o});
        }
    }
    std::sort(v.begin(), v.end());
    return v;
}

int16_t s16(uint64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// Whether the 128-byte object at `o` is on the free stack at the end of
// `frame`.
bool is_free(const whole_run::outcome& out, uint32_t o, uint64_t frame) {
    const uint64_t count = out.value_at(var::free_stack_128, frame);
    for (uint32_t e = 1; e <= count && e <= kPool128.count; ++e)
        if (out.value_at(var::free_stack_128 + 2 * e, frame) == (o & 0xFFFF)) return true;
    return false;
}

// sub_07C57E flyer, sub_07C6A0 turret, sub_07C77C flash, sub_07C7FD shell, sub_07CB0C item, sub_07CE1C item
// carrier, sub_07CFC2 attachment, sub_07D041 shot, sub_08425C rider carrier, sub_0844B2 rider, sub_07A278
// pacer

TEST(PickupsRun, TheAreaSetsUpItsFlyerPickupsAndCarriers) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    // One flyer with its turret, two pickups, a rider carrier with its rider,
    // three pickup carriers with their attachments (the rider carrier's
    // attached part runs the same routine).
    EXPECT_EQ(running(out, entry::sub_07C57E, start).size(), 1u);
    EXPECT_EQ(running(out, entry::sub_07C6A0, start).size(), 1u);
    EXPECT_EQ(running(out, entry::sub_07CB0C, start).size(), 2u);
    EXPECT_EQ(running(out, entry::sub_08425C, start).size(), 1u);
    EXPECT_EQ(running(out, entry::sub_0844B2, start).size(), 1u);
    EXPECT_EQ(running(out, entry::sub_07CE1C, start).size(), 3u);
    EXPECT_EQ(running(out, entry::sub_07CFC2, start).size(), 4u);
    // The flyer with its energy and points, counted with the four carriers
    // and the rider (which appears as soon as its carrier flies: here its
    // carrier is in its window, state 2, from the area's first frame).
    const auto flyer = running(out, entry::sub_07C57E, start);
    ASSERT_EQ(flyer.size(), 1u);
    EXPECT_EQ(out.value_at(flyer[0] + ob::energy, start), 100u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, start - 1), 0u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, start), 7u);
}

// The flyer's boss bar (the only one of the area) shows the flyer's name
// from the data once it takes its turn, and keeps it while the flyer flies.
TEST(PickupsRun, TheFlyersBarShowsItsName) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    uint64_t shown = 0;
    for (uint64_t f : out.frames_of(var::boss_bar_name))
        if (f >= start && out.value_at(var::boss_bar_name, f) != 0) {
            shown = f;
            break;
        }
    ASSERT_GT(shown, 0u) << "no name shown";
    EXPECT_EQ(out.cell_text(var::boss_bar_name, 8, shown), "FLYER");
    EXPECT_EQ(out.cell_text(var::boss_bar_name, 8, kFrames), "FLYER");
}

TEST(PickupsRun, TheFlyerFollowsItsPathAndDropsShells) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, 0u);
    const auto flyers = running(out, entry::sub_07C57E, start);
    ASSERT_EQ(flyers.size(), 1u);
    const uint32_t flyer = flyers[0];
    // 90 frames left at 2 units a frame from x 1000, 90 back, and again; its
    // depth swings 32 units either side of 180 (the wave's amplitude 8).
    int min_y = 1 << 16, max_y = -(1 << 16);
    for (uint64_t f = start; f < kFrames; ++f) {
        const uint64_t t = (f - start + 1) % 180;
        const int x = kOriginX + (t <= 90 ? 1000 - 2 * int(t) : 820 + 2 * int(t - 90));
        ASSERT_EQ(s16(out.value_at(flyer + ob::world_x, f)), x) << "frame " << f;
        const int y = s16(out.value_at(flyer + ob::world_y, f));
        min_y = std::min(min_y, y), max_y = std::max(max_y, y);
    }
    EXPECT_EQ(min_y, 148);
    EXPECT_EQ(max_y, 212);
    // Its turret rides it, flashing each time its animation starts over.
    EXPECT_EQ(running(out, entry::sub_07C6A0, kFrames).size(), 1u);
    EXPECT_GE(births(out, entry::sub_07C77C, start).size(), 10u);
    // Shells: each starts where the flyer is, falls toward the front for at
    // most 30 frames and bursts.
    const auto shells = births(out, entry::sub_07C7FD, start);
    ASSERT_GE(shells.size(), 10u);
    for (const auto& [born, shell] : shells) {
        if (born + 40 > kFrames) continue;
        // Its first step: 2 units ahead of the flyer, the way the flyer faces.
        EXPECT_EQ(std::abs(s16(out.value_at(shell + ob::world_x, born)) -
                           s16(out.value_at(flyer + ob::world_x, born))),
                  2)
            << "frame " << born;
        uint64_t burst = 0;
        for (uint64_t f = born; f <= born + 30 && !burst; ++f)
            if ((out.value_at(shell + ob::state, f) & 0xFF) == 2) burst = f;
        ASSERT_GT(burst, born) << "the shell of frame " << born << " bursts";
        for (uint64_t f = born + 1; f < burst; ++f)
            EXPECT_GT(s16(out.value_at(shell + ob::world_y, f)),
                      s16(out.value_at(shell + ob::world_y, f - 1)))
                << "frame " << f;
    }
    // A burst that reaches the player takes 6 of its energy.
    bool hurt = false;
    for (uint64_t f : out.frames_of(kPlayerEnergy)) {
        if (f <= start || s16(out.value_at(kPlayerEnergy, f - 1)) - s16(out.value_at(kPlayerEnergy, f)) != 6)
            continue;
        for (const auto& [born, shell] : shells)
            if (born < f && f <= born + 40 && (out.value_at(shell + ob::state, f) & 0xFF) == 2 &&
                (out.value_at(shell + ob::flags, f) & (1u << object_flag::touched)))
                hurt = true;
    }
    EXPECT_TRUE(hurt);
}

// A pickup taken: its frame (the item's alive bit cleared), the player's
// energy and score then, and the item's flight.
struct taken {
    uint64_t frame;
    uint32_t item;
};
std::vector<taken> pickups_taken(const whole_run::outcome& out, uint64_t start) {
    std::vector<taken> v;
    for (uint32_t i = 0; i < kPool128.count; ++i) {
        const uint32_t o = kPool128.object(i);
        for (uint64_t f : out.frames_of(o + ob::state))
            if (f > start && out.value_at(o + ob::routine, f) == entry::sub_07CB0C &&
                (out.value_at(o + ob::state, f) & 0xFF) == 2)
                v.push_back({f, o});
    }
    std::sort(v.begin(), v.end(), [](const taken& a, const taken& b) { return a.frame < b.frame; });
    return v;
}

TEST(PickupsRun, PickupsGiveEnergyAndScoreAndFlyToThePanel) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, 0u);
    const auto got = pickups_taken(out, start);
    // The energy pickup, the score pickup and the one the carrier left, as
    // the player walks right to each.
    ASSERT_EQ(got.size(), 3u);
    const int energy_gain =
        s16(out.value_at(kPlayerEnergy, got[0].frame)) - s16(out.value_at(kPlayerEnergy, got[0].frame - 1));
    EXPECT_EQ(energy_gain, 40);
    EXPECT_EQ(out.value_at(kPlayerScore, got[0].frame), out.value_at(kPlayerScore, got[0].frame - 1));
    EXPECT_EQ(out.value_at(kPlayerScore, got[1].frame) - out.value_at(kPlayerScore, got[1].frame - 1), 5000u);
    EXPECT_EQ(out.value_at(kPlayerScore, got[2].frame) - out.value_at(kPlayerScore, got[2].frame - 1), 300u);
    EXPECT_EQ(out.value_at(kPlayerScore, kFrames), 5300u);
    // Sound 167 as each is taken.
    const auto a = queued(out, var::sound_ring_a);
    for (const taken& t : got) {
        bool sounded = false;
        for (auto [it, end] = a.equal_range(t.frame); it != end; ++it) sounded |= it->second == 167;
        EXPECT_TRUE(sounded) << "frame " << t.frame;
    }
    // Each flies on screen to slot 0's panel (24, 12), nearer every frame,
    // and goes (stops moving) once it is within the squared distance 40.
    for (const taken& t : got) {
        const uint32_t o = t.item;
        auto distance = [&](uint64_t f) {
            const int dx = 24 - s16(out.value_at(o + ob::screen_x, f)),
                      dy = 12 - s16(out.value_at(o + ob::screen_y, f));
            return dx * dx + dy * dy;
        };
        auto moved = [&](uint64_t f) {
            return out.value_at(o + ob::screen_x, f) != out.value_at(o + ob::screen_x, f - 1) ||
                   out.value_at(o + ob::screen_y, f) != out.value_at(o + ob::screen_y, f - 1);
        };
        EXPECT_GT(distance(t.frame), 40 * 40) << "frame " << t.frame;
        uint64_t last = t.frame + 1;
        while (last < t.frame + 300 && moved(last + 1)) ++last;
        for (uint64_t f = t.frame + 2; f <= last; ++f)
            EXPECT_LT(distance(f), distance(f - 1)) << "frame " << f;
        EXPECT_LT(last, t.frame + 100) << "the flight of frame " << t.frame << " ends";
        EXPECT_LE(distance(last), 40) << "frame " << last;
        EXPECT_GT(distance(last - 1), 40) << "frame " << last;
        EXPECT_EQ(out.value_at(o + ob::routine, last), entry::sub_07CB0C);
    }
}

TEST(PickupsRun, TheRiderCarrierSetsItsRiderDown) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, 0u);
    const auto carriers = running(out, entry::sub_08425C, start);
    const auto riders = running(out, entry::sub_0844B2, start);
    ASSERT_EQ(carriers.size(), 1u);
    ASSERT_EQ(riders.size(), 1u);
    const uint32_t carrier = carriers[0], rider = riders[0];
    EXPECT_EQ(kHigh | uint32_t(out.value_at(carrier + ob::partner, start)), rider);
    EXPECT_EQ(kHigh | uint32_t(out.value_at(rider + ob::partner, start)), carrier);
    // In its window at once: it jumps 320 units right of where it was set
    // (760, 440) and flies left 3 units a frame for 100 frames, its rider on
    // it 56 units up.
    for (uint64_t f = start; f < start + 100; ++f) {
        const int x = kOriginX + 760 + 320 - 3 * int(f - start);
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, f)), x) << "frame " << f;
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, f)), 440) << "frame " << f;
        EXPECT_EQ(s16(out.value_at(rider + ob::world_x, f)), x) << "frame " << f;
        EXPECT_EQ(s16(out.value_at(rider + ob::world_y, f)), 440 - 56) << "frame " << f;
        EXPECT_EQ(out.value_at(rider + ob::routine, f), entry::sub_0844B2) << "frame " << f;
    }
    // Then it sets the rider down: a platform enemy of AI type 0 with the
    // pacer's energy, where the carrier stopped; the carrier stays (state 3)
    // while its rider lives.
    const uint64_t down = start + 100;
    EXPECT_EQ(out.value_at(rider + ob::routine, down), entry::sub_07A278);
    EXPECT_EQ(out.value_at(rider + ob::state, down) >> 8, 0u);
    EXPECT_EQ(s16(out.value_at(rider + ob::world_x, down)), kOriginX + 760 + 320 - 300);
    EXPECT_EQ(s16(out.value_at(rider + ob::world_y, down)), 440 - 56);
    EXPECT_EQ(out.value_at(rider + ob::energy, down), 24u);
    EXPECT_EQ(out.value_at(carrier + ob::state, down) & 0xFF, 3u);
    EXPECT_EQ(out.value_at(carrier + ob::state, kFrames) & 0xFF, 3u);
    EXPECT_EQ(out.value_at(rider + ob::routine, kFrames), entry::sub_07A278);
}

// The pickup carrier that stood at area x `x` in the area's first frame (0:
// none).
uint32_t carrier_from(const whole_run::outcome& out, uint64_t start, int x) {
    for (uint32_t c : running(out, entry::sub_07CE1C, start))
        if (s16(out.value_at(c + ob::world_x, start)) == kOriginX + x) return c;
    return 0;
}

TEST(PickupsRun, TheItemCarrierShootsAndLeavesAScorePickupWhereItsPathEnds) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, 0u);
    const uint32_t carrier = carrier_from(out, start, 1239);  // a unit along its path already
    ASSERT_NE(carrier, 0u);
    // 140 frames left along the player's line, a unit a frame from x 1240.
    for (uint64_t f = start; f < start + 140; ++f) {
        ASSERT_EQ(out.value_at(carrier + ob::routine, f), entry::sub_07CE1C) << "frame " << f;
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, f)), kOriginX + 1240 - int(f - start + 1))
            << "frame " << f;
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, f)), 720) << "frame " << f;
    }
    // Its shots start from it and fly at the player (a random player in
    // play: slot 0's alone here), along the player's line, nearer each frame.
    const auto shots = births(out, entry::sub_07D041, start);
    ASSERT_GE(shots.size(), 2u);
    EXPECT_LT(shots[1].first, start + 140);
    for (const auto& [born, shot] : shots) {
        if (born >= start + 140) continue;
        EXPECT_LT(s16(out.value_at(shot + ob::world_x, born)), s16(out.value_at(carrier + ob::world_x, born)))
            << "frame " << born;
        EXPECT_GT(s16(out.value_at(shot + ob::world_x, born)),
                  s16(out.value_at(carrier + ob::world_x, born)) - 16)
            << "frame " << born;
        for (uint64_t f = born + 1; f < born + 5; ++f) {
            ASSERT_EQ(out.value_at(shot + ob::routine, f), entry::sub_07D041) << "frame " << f;
            EXPECT_EQ(s16(out.value_at(shot + ob::world_y, f)), 720) << "frame " << f;
            EXPECT_LT(
                std::abs(s16(out.value_at(shot + ob::world_x, f)) - s16(out.value_at(kPlayerX, f))),
                std::abs(s16(out.value_at(shot + ob::world_x, f - 1)) - s16(out.value_at(kPlayerX, f - 1))))
                << "frame " << f;
        }
    }
    // At the path's end it is counted off and becomes a pickup where it stands.
    const uint64_t end = start + 141;
    EXPECT_EQ(out.value_at(carrier + ob::routine, end), entry::sub_07CB0C);
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, end)), kOriginX + 1100);
    EXPECT_EQ(out.value_at(var::live_enemy_count, end), out.value_at(var::live_enemy_count, end - 1) - 1);
}

TEST(PickupsRun, ThePlainCarrierWaitsForThePlayerInXThenComesToTheFront) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, 0u);
    const uint32_t carrier = carrier_from(out, start, 1110);
    ASSERT_NE(carrier, 0u);
    // It stands at (1110, 600) until the player is within 16 units left of it
    // or 15 right (x + 16 - player x in 0..31).
    uint64_t met = 0;
    for (uint64_t f = start; f < kFrames && !met; ++f)
        if (s16(out.value_at(carrier + ob::world_y, f)) != 600) met = f;
    ASSERT_GT(met, start);
    for (uint64_t f = start; f < met; ++f)
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, f)), kOriginX + 1110) << "frame " << f;
    const int gap = kOriginX + 1110 + 16 - s16(out.value_at(kPlayerX, met));
    EXPECT_GE(gap, 0);
    EXPECT_LT(gap, 32);
    EXPECT_GE(kOriginX + 1110 + 16 - s16(out.value_at(kPlayerX, met - 2)), 32)
        << "the player came up just now";
    // Then it starts to the front, 2 units a frame.
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, met)), 602);
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, met)), kOriginX + 1110);
}

TEST(PickupsRun, TheDartingCarrierWaitsForThePlayerInDepthThenLeavesTheArea) {
    const auto& out = pickups_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, 0u);
    const uint32_t carrier = carrier_from(out, start, 1300);
    ASSERT_NE(carrier, 0u);
    // It drifts back from 800 toward the player's line, a unit a frame, its x
    // kept, until it is level with the player in depth (own y + 16 - the
    // player's y in 0..31; the player is on its line, 720, by then).
    uint64_t met = 0;
    for (uint64_t f = start; f < kFrames && !met; ++f) {
        if (s16(out.value_at(carrier + ob::world_x, f)) != kOriginX + 1300) {
            met = f;
            break;
        }
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, f)), 800 - int(f - start + 1)) << "frame " << f;
    }
    ASSERT_GT(met, start);
    const int y = s16(out.value_at(carrier + ob::world_y, met));
    EXPECT_EQ(s16(out.value_at(kPlayerY, met)), 720);
    EXPECT_EQ(y + 16 - 720, 31) << "level with the player at the first frame it could be";
    // Then off to the right, 31 units a frame, in the same frame.
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, met)), kOriginX + 1300 + 31);
    uint64_t gone = 0;
    for (uint64_t f = met + 1; f < kFrames && !gone; ++f) {
        if (out.value_at(carrier + ob::routine, f) != entry::sub_07CE1C) {
            gone = f;
            break;
        }
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, f)),
                  s16(out.value_at(carrier + ob::world_x, f - 1)) + 31)
            << "frame " << f;
        EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, f)), y) << "frame " << f;
    }
    ASSERT_GT(gone, met);
    // Past the active stretch (2,560 units right of the playfield camera) it
    // loses its alive bit and takes the path objects' removal as its routine;
    // the removal counts it off the next frame, and its attachment goes with
    // it.
    const uint32_t camera = uint32_t(out.value_at(var::camera_pointer, gone));
    ASSERT_EQ((camera - var::camera_records) % camera_record::size, 0u);
    ASSERT_LT(camera - var::camera_records, 4u * camera_record::size);
    const int camera_x = s16(out.value_at(camera + camera_record::x, gone - 1));
    EXPECT_GE(s16(out.value_at(carrier + ob::world_x, gone - 1)), camera_x + 2560);
    EXPECT_LT(s16(out.value_at(carrier + ob::world_x, gone - 2)),
              s16(out.value_at(camera + camera_record::x, gone - 2)) + 2560);
    EXPECT_EQ(out.value_at(carrier + ob::routine, gone), entry::sub_07CFB2);
    EXPECT_EQ(out.value_at(carrier + ob::flags, gone) & (1u << object_flag::alive), 0u);
    EXPECT_FALSE(is_free(out, carrier, gone));
    EXPECT_TRUE(is_free(out, carrier, gone + 1));
    EXPECT_EQ(out.value_at(var::live_enemy_count, gone + 1), out.value_at(var::live_enemy_count, gone) - 1);
    // The attachment rode 16 units above it.
    uint32_t attachment = 0;
    for (uint32_t a : running(out, entry::sub_07CFC2, gone - 1))
        if (out.value_at(a + ob::world_x, gone - 1) == out.value_at(carrier + ob::world_x, gone - 1) &&
            s16(out.value_at(a + ob::world_y, gone - 1)) == y - 16)
            attachment = a;
    ASSERT_NE(attachment, 0u);
    EXPECT_FALSE(is_free(out, attachment, gone - 1));
    EXPECT_TRUE(is_free(out, attachment, gone + 1));
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 34BD08EDCCD6E48D E68C70E9E472A8E6 023631DB6E0FD8E5 90C6FC7C6E7EFB7F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 25CCF1B94A4AAF36 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 49D3BB20ECCE0A39 FC878BE381A0CAA1 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 B52018915AC023A1
900 25C8CC6D453A99F5 AB8ABF2B25BC9820 D4D20F4EE0080FB3 5A8A8EFC8266EA5F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 1E165991ACFE0C47 CCD0AFA17A7B4D27 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 256C71DDDAF3C823
1200 16A875F1A6BA7A25 5612EF3837072942 E6176CFBE9418651 3154B9A9748FE2EA B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 5E6E0C4DFD3006D1 B93A0C83CE3B6325 B93A0C83CE3B6325 2BC45B42E5DE8BDD 48F163BE59AEC33F C7AD69BC64E1604D 5CEF483A8F810DFE B93A0C83CE3B6325 EA6870F7F5EF13E5 B93A0C83CE3B6325 B93A0C83CE3B6325 E749A7C2C522D31C
1500 16A875F1A6BA7A25 24BC5E9522DA9D0E 64C18B4C89427124 C60CD1CF9ABA298F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EB49C9B9AB7B5401 B93A0C83CE3B6325 B93A0C83CE3B6325 FBC1CFA8D0C06BA0 2A9615ED896FAF0B C93353DC0A12E6C5 D005620FB50253A1 B93A0C83CE3B6325 036531267D727C7D B93A0C83CE3B6325 B93A0C83CE3B6325 04430B2C9C8C8DAB
1800 16A875F1A6BA7A25 F5D23EE71271F6AD 3E59352C53D8E169 FDEEA3961F49F993 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 50F458A3C1CDC105 B93A0C83CE3B6325 B93A0C83CE3B6325 E6A59AD62645362A FD4F928904C2EAA9 53C84CEB069B37C7 6260E3F8962528E3 B93A0C83CE3B6325 036531267D727C7D B93A0C83CE3B6325 B93A0C83CE3B6325 57325F0BFEB05E0C
)";

TEST(PickupsRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, pickups_run(),
                                            [&](int slices) { return r.run(pickups_options(slices)); }),
              "");
}

}  // namespace

// ---- the walk on: the second rider carrier and the camera-triggered enemy ----

namespace {

constexpr uint32_t kRiderCarrierTally = var::tally_records + 2 * 14;

// The pickups run's inputs, then a longer walk right. When the camera
// passes x 700 a second rider carrier comes down beside the player, onto
// the player's line, and sets its rider down; the player, turned toward it
// by its first touch, beats it with blows: destroyed, it takes its rider
// with it and is removed. A last walk takes the camera to x 900, where the
// camera-triggered enemy comes; its set-up makes four objects whose routine
// (0x082C72) has no translated code, and the object runner's call of the
// first ends the run.
//
// One poke stands in for what the data cannot raise: the players' blows
// test the vertical words of the hit-box entries, which the carrier's and
// the generic AI's flat registration leave as they were, and nothing in
// this area writes them; so the vertical words of the first twelve entries
// of table B are set once, before the carrier comes, to the span of a
// standing body (28 pixels above the ground to 2 below), as the generic AI
// run does.
whole_run::options camera_enemy_options(int slices) {
    whole_run::options o = pickups_options(slices);
    o.script += "1500 press right1 50\n";
    for (uint32_t entry = 1; entry <= 12; ++entry) {
        const uint8_t span[4] = {0x90, 0xFF, 0x08, 0x00};  // -112 .. 8 world units
        for (uint32_t i = 0; i < 4; ++i)
            o.script += play_script::poke(1555, var::hitbox_table_b + 16 * entry + 12 + i, span[i]);
    }
    for (int i = 0; i < 15; ++i) o.script += std::to_string(1560 + 16 * i) + " press button1\n";
    o.script += "1850 press right1 60\n";
    o.frames = 2100;
    o.every = 300;
    o.seconds = 240;
    o.watch.push_back({kRiderCarrierTally, 2});
    return o;
}

const whole_reach::listed kReachCameraEnemy("pickups camera enemy", [] { return camera_enemy_options(1); });

const whole_run::outcome& camera_enemy_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "pickups camera enemy", camera_enemy_options(1));
}

// The checkpoint of the walk on (before it, the pickups run's), recorded
// once with one time slice.
constexpr const char* kWalkOnExpected = R"(
1800 16A875F1A6BA7A25 248DCE4902B1C446 0F5A33C2B18EA54A 6B92DD0872298AF9 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 722ACDCFAEC4B000 B93A0C83CE3B6325 B93A0C83CE3B6325 2B3E534D5D6035DD 6C416B2C3E04AE04 DFDD23B7C057A9A7 8B97F217B593AF32 B93A0C83CE3B6325 60CC8D32826A79C1 B93A0C83CE3B6325 B93A0C83CE3B6325 07E5ED98E75BADD3
)";

// The run ends with the runtime's message for the set-up's objects, in the
// frame the camera reaches x 900 and the enemy comes; its checkpoints are
// the pickups run's up to frame 1500 and then its own, whatever the time
// slicing.
TEST(PickupsCameraEnemyRun, EndsWhereTheEnemysSetUpMakesItsObjects) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    for (int slices : {1, 7, 1000}) {
        SCOPED_TRACE(slices);
        const whole_run::outcome fresh =
            slices == 1 ? whole_run::outcome{} : r.run(camera_enemy_options(slices));
        const whole_run::outcome& out = slices == 1 ? camera_enemy_run() : fresh;
        EXPECT_EQ(out.status, 3) << out.err;
        std::smatch m;
        ASSERT_TRUE(std::regex_search(out.err, m,
                                      std::regex("No translated code starts at 082C72 \\(frame (\\d+)\\)\n")))
            << out.err;
        const uint64_t frame = std::stoull(m[1].str());
        // Frames count finished frames: the run ended in the frame after the
        // last one seen, where the camera, 896 at its end, steps on to 900.
        const uint32_t camera = var::playfield_camera;  // the playfield camera of the area
        ASSERT_EQ(out.value_at(var::camera_pointer, frame), camera);
        EXPECT_EQ(out.frames_of(camera + camera_record::x).back(), frame);
        EXPECT_EQ(s16(out.value_at(camera + camera_record::x, frame)), kOriginX + 896);
        EXPECT_GT(frame, 1850u) << "on the last walk";
        EXPECT_TRUE(std::binary_search(out.entered.begin(), out.entered.end(), entry::sub_082B50))
            << "the enemy ran";
        auto expected = whole_run::parse_checkpoints(kExpected);
        expected.erase(
            std::remove_if(expected.begin(), expected.end(), [](const auto& c) { return c.frame > 1500; }),
            expected.end());
        for (const auto& c : whole_run::parse_checkpoints(kWalkOnExpected)) expected.push_back(c);
        EXPECT_EQ(whole_run::first_difference(expected, out.checkpoints), "")
            << whole_run::format_checkpoints(out.checkpoints);
    }
}

// sub_08445B rider carrier removal

// The second rider carrier and the frame it came in: the one that took
// state 2 after frame 1500 (the first has been in state 3 since the area's
// early frames).
std::pair<uint32_t, uint64_t> second_rider_carrier(const whole_run::outcome& out) {
    for (uint32_t i = 0; i < kPool128.count; ++i) {
        const uint32_t o = kPool128.object(i);
        for (uint64_t f : out.frames_of(o + ob::state))
            if (f > 1500 && out.value_at(o + ob::routine, f) == entry::sub_08425C &&
                (out.value_at(o + ob::state, f) & 0xFF) == 2)
                return {o, f};
    }
    return {0, 0};
}

TEST(PickupsCameraEnemyRun, TheSecondRiderCarrierComesDownBesideThePlayerAndIsBeatenAndRemoved) {
    const auto& out = camera_enemy_run();
    const auto [carrier, came] = second_rider_carrier(out);
    ASSERT_NE(carrier, 0u);
    // It comes as the camera passes x 700: it jumps 264 toward the front
    // from where it waited (1350, 440) and flies one frame of 16 onto the
    // player's line, 34 units left of the player, where it sets its rider
    // down: the pacer, 56 units behind it.
    const uint32_t camera = var::playfield_camera;
    EXPECT_GE(s16(out.value_at(camera + camera_record::x, came)), kOriginX + 700);
    EXPECT_LT(s16(out.value_at(camera + camera_record::x, came - 2)), kOriginX + 700);
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, came)), 704);
    const uint64_t down = came + 1;
    EXPECT_EQ(out.value_at(carrier + ob::state, down) & 0xFF, 3u);
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_x, down)), kOriginX + 1350);
    EXPECT_EQ(s16(out.value_at(carrier + ob::world_y, down)), 720);
    EXPECT_EQ(s16(out.value_at(kPlayerX, down)), kOriginX + 1384);
    const uint32_t rider = kHigh | uint32_t(out.value_at(carrier + ob::partner, down));
    EXPECT_EQ(out.value_at(rider + ob::routine, down), entry::sub_07A278);
    EXPECT_EQ(s16(out.value_at(rider + ob::world_y, down)), 720 - 56);
    // The blows: the first takes 8 of its 14 (stunned, state 5, then back to
    // its wait), the second the rest: destroyed (6, then 7 with its effect).
    std::vector<std::pair<uint64_t, int>> energy;
    for (uint64_t f : out.frames_of(carrier + ob::energy))
        if (f > down) energy.push_back({f, s16(out.value_at(carrier + ob::energy, f))});
    ASSERT_EQ(energy.size(), 2u);
    EXPECT_EQ(energy[0].second, 6);
    EXPECT_EQ(out.value_at(carrier + ob::state, energy[0].first) & 0xFF, 5u);
    EXPECT_EQ(energy[1].second, 0);
    const uint64_t beaten = energy[1].first;
    EXPECT_EQ(out.value_at(carrier + ob::state, beaten) & 0xFF, 7u);
    EXPECT_EQ(out.value_at(kRiderCarrierTally, beaten), out.value_at(kRiderCarrierTally, beaten - 1) + 1);
    // 10 frames later (state 8) its rider is flagged beaten with it: it
    // leaves the pacer's states for its defeat; 30 frames after that the
    // carrier is cleared, counted off and freed.
    uint64_t wreck = 0;
    for (uint64_t f : out.frames_of(carrier + ob::state))
        if (!wreck && f > beaten && (out.value_at(carrier + ob::state, f) & 0xFF) == 8) wreck = f;
    EXPECT_EQ(wreck, beaten + 9);
    EXPECT_GE(out.value_at(rider + ob::state, wreck + 1) & 0xFF, 0x10u) << "the rider's defeat";
    const uint64_t removed = wreck + 30;
    EXPECT_EQ(out.value_at(carrier + ob::flags, removed - 1) & (1u << object_flag::alive), 1u);
    EXPECT_EQ(out.value_at(carrier + ob::flags, removed), 0u);
    EXPECT_FALSE(is_free(out, carrier, removed - 1));
    EXPECT_TRUE(is_free(out, carrier, removed));
    EXPECT_EQ(out.value_at(var::live_enemy_count, removed),
              out.value_at(var::live_enemy_count, removed - 1) - 1);
    EXPECT_TRUE(std::binary_search(out.entered.begin(), out.entered.end(), entry::sub_08445B));
}

}  // namespace
