// A one-player game on the synthetic ROM set meets the set-piece boss of
// stage 4 area 3 and the stationary attacker that stands with it. The
// player punches into them: two weak enemies fall first, then the attacker
// is beaten, and the boss's body is worn down through its bar while its
// parts cycle through their phases and the music rises at every fifth one;
// beaten, the parts leave the screen, the area is won and the music fades.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/play_script.h"
#include "game/actors/vars.h"
#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "tests/support/synthetic_rom.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

using whole_run::frames_of;
using whole_run::queued;

namespace ob = object_record;
namespace sp = set_piece_record;
constexpr uint32_t kPlayerScore = var::player_records + player_record::score,
                   kPlayerEnergy = var::player_records + ob::energy,
                   kPlayerState = var::player_records + ob::state;
using whole_run::kPool128;
using whole_run::kPool256;
using whole_run::kPool64;

constexpr uint64_t kFrames = 2700;
constexpr int kPunches = 75;
constexpr uint64_t kPokes = 844;  // after stage 1's intro, before its first area starts

// Coins, start and the character taken as in the other runs of play; then,
// once stage 1's intro has run, the stage byte set to 4, the area byte to 2
// (the area start counts it on to 3) and the stage descriptor pointer to
// stage 4's (no input leads there: the synthetic set has one stage of
// scenery, and an area change with a player in play ends the run); then a
// punch every 16 frames into the set piece.
std::string script() {
    std::string s = play_script::coin_and_start() + "760 press button1\n";
    s += play_script::poke(kPokes, var::stage, 4) + play_script::poke(kPokes, var::area, 2);
    for (uint32_t i = 0; i < 4; ++i)
        s += play_script::poke(kPokes, var::stage_descriptor_pointer + i,
                               (synthetic::boss_stage_descriptor >> (8 * i)) & 0xFF);
    for (int i = 0; i < kPunches; ++i) s += std::to_string(880 + 16 * i) + " press button1\n";
    return s;
}

whole_run::options boss_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 300);
    o.watch = {{var::ingame_state, 1},
               {var::stage, 1},
               {var::area, 1},
               {var::game_flags, 4},
               {var::system_flags, 4},
               {var::live_enemy_count, 1},
               {kPlayerScore, 4},
               {kPlayerEnergy, 2},
               {kPlayerState, 1},
               {hw::music_level, 1},
               {var::player_records + ob::world_x, 2}};
    for (uint32_t c = 0; c < 16; ++c) o.watch.push_back({var::tally_records + 2 * c, 2});
    for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
        for (uint32_t b = 1; b < 34; ++b) o.watch.push_back({ring + b, 1});
    for (uint32_t c = 0; c < 8; ++c) o.watch.push_back({var::boss_bar_name + 2 * c, 2});
    for (uint32_t c = 0; c < 22; ++c) o.watch.push_back({var::boss_bar_cells + 2 * c, 2});
    o.watch_pool(kPool256, {{ob::flags, 2},
                            {ob::state, 2},
                            {ob::routine, 4},
                            {ob::energy, 2},
                            {ob::score_value, 2},
                            {sp::phase, 1},
                            {sp::phase_timer, 1},
                            {sp::flash_timer, 1},
                            {sp::cycle, 1}});
    o.watch_pool(kPool128,
                 {{ob::flags, 2}, {ob::state, 2}, {ob::routine, 4}, {ob::energy, 2}, {sp::countdown, 1}});
    // The 64-byte objects: the fader's level and the boss bar's energy shown.
    o.watch_pool(
        kPool64,
        {{ob::routine, 4}, {ob::owner, 2}, {ob::state, 1}, {sp::countdown, 1}, {enemy_child::bar_energy, 2}});
    return o;
}

const whole_reach::listed kReach("boss", [] { return boss_options(1); });

const whole_run::outcome& boss_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "boss", boss_options(1));
}

// Routines the checks know the objects by.
// sub_083106 controller, sub_083118 controller done, sub_08312C body, sub_083278 first part, sub_0833F8
// second part, sub_083502 fader, sub_0837C2 attacker, sub_06988C bar showing, sub_069975 bar draining,
// sub_08254E child effect, sub_07B615 short effect, sub_08595F camera controller
constexpr uint8_t kPhaseFrames[6] = {30, 30, 30, 60, 30, 60};
constexpr uint8_t kFadeStart = 175, kFadeEnd = 176;
constexpr unsigned kAreaWon = 1u << system_flag::area_won;
constexpr uint32_t kBodyTally = 13, kAttackerTally = 10;

// The frame stage 4 area 3 started in.
uint64_t area_start(const whole_run::outcome& out) {
    return out.first_frame_with(var::area, 3, var::stage, 4);
}

// The objects of a pool whose routine was `routine` in `frame`.
std::vector<uint32_t> running(const whole_run::outcome& out, const whole_run::pool& p, uint32_t routine,
                              uint64_t frame) {
    return out.objects_with(p, ob::routine, routine, frame);
}

// The frames after `from` in which a watched value became `value`.
std::vector<uint64_t> became(const whole_run::outcome& out, uint32_t address, uint64_t value,
                             uint64_t from = 0) {
    std::vector<uint64_t> v;
    for (const auto& c : out.changes)
        if (c.address == address && c.value == value && c.frame > from) v.push_back(c.frame);
    return v;
}

uint64_t first(const std::vector<uint64_t>& v) { return v.empty() ? 0 : v.front(); }

// The set piece's objects, as the area's first frame made them.
struct set_piece {
    uint64_t start = 0;
    uint32_t controller = 0, body = 0, first = 0, second = 0, fader = 0, attacker = 0, bar = 0;
};

set_piece find_set_piece(const whole_run::outcome& out) {
    set_piece s;
    s.start = area_start(out);
    auto one = [&](const whole_run::pool& p, uint32_t routine) {
        const auto v = running(out, p, routine, s.start);
        EXPECT_EQ(v.size(), 1u) << std::hex << routine;
        return v.empty() ? 0 : v.front();
    };
    s.controller = one(kPool128, entry::sub_083106);
    s.attacker = one(kPool128, entry::sub_0837C2);
    s.body = one(kPool256, entry::sub_08312C);
    s.first = one(kPool256, entry::sub_083278);
    s.second = one(kPool256, entry::sub_0833F8);
    s.fader = one(kPool64, entry::sub_083502);
    s.bar = one(kPool64, entry::sub_06988C);
    return s;
}

// The frame the body's energy reached 0.
uint64_t body_beaten(const whole_run::outcome& out, const set_piece& s) {
    return first(became(out, s.body + ob::energy, 0, s.start));
}

TEST(BossRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = boss_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST(BossRun, TheSetPieceStandsUpWithItsBodyPartsFaderAndBar) {
    const auto& out = boss_run();
    const set_piece s = find_set_piece(out);
    ASSERT_GT(s.start, kPokes);
    ASSERT_NE(s.body, 0u);
    ASSERT_NE(s.bar, 0u);
    // The boss record's spawn: the wave gate and its two sounds on ring A.
    EXPECT_TRUE(out.value_at(var::game_flags, s.start) & (1u << game_flag::wave_gate));
    const auto a = queued(out, var::sound_ring_a);
    EXPECT_EQ(frames_of(a, 0x84, s.start - 1), std::vector<uint64_t>{s.start});
    EXPECT_EQ(frames_of(a, 0x90, s.start - 1), std::vector<uint64_t>{s.start});
    // The body: type 5, 490 energy, 10000 points, in its moving state.
    EXPECT_EQ(out.value_at(s.body + ob::state, s.start), 0x0501u);
    EXPECT_EQ(out.value_at(s.body + ob::energy, s.start), 490u);
    EXPECT_EQ(out.value_at(s.body + ob::score_value, s.start), 10000u);
    // Its bar: the name and a full bar of 22 cells; the bar object follows it.
    EXPECT_EQ(kHigh | uint32_t(out.value_at(s.bar + ob::owner, s.start)), s.body);
    EXPECT_EQ(out.cell_text(var::boss_bar_name, 8, s.start), "OVERLORD");
    EXPECT_EQ(out.value_at(var::boss_bar_cells, s.start), 0x1176u);
    for (uint32_t c = 1; c < 21; ++c)
        EXPECT_EQ(out.value_at(var::boss_bar_cells + 2 * c, s.start), 0x117Bu) << c;
    EXPECT_EQ(out.value_at(var::boss_bar_cells + 42, s.start), 0x117Fu);
    // The attacker: 100 energy, 600 points.
    EXPECT_EQ(out.value_at(s.attacker + ob::energy, s.start), 100u);
}

TEST(BossRun, ThePartsCycleThroughSixPhasesAndTheMusicRisesInTheFifth) {
    const auto& out = boss_run();
    const set_piece s = find_set_piece(out);
    ASSERT_NE(s.first, 0u);
    const uint64_t beaten = body_beaten(out, s);
    ASSERT_GT(beaten, s.start);
    // The phases while the fight lasts: 0 to 5 for their lengths, the cycle
    // number one up each time round (phase 6 shows for one frame between).
    std::vector<std::pair<uint64_t, uint64_t>> phases;  // frame, phase
    for (const auto& c : out.changes)
        if (c.address == s.first + sp::phase && c.frame >= s.start && c.frame < beaten)
            phases.push_back({c.frame, c.value});
    ASSERT_GE(phases.size(), 20u);
    uint64_t expected = 1, cycles = 0;
    for (size_t i = 0; i + 1 < phases.size(); ++i) {
        const auto [frame, phase] = phases[i];
        ASSERT_EQ(phase, expected) << "frame " << frame;
        const uint64_t length = phases[i + 1].first - frame;
        if (phase == 6) {
            EXPECT_EQ(length, 1u) << "frame " << frame;
            EXPECT_EQ(out.value_at(s.first + sp::cycle, frame + 1), (cycles + 2) & 3) << "frame " << frame;
            ++cycles;
        } else {
            // Phase 0 counts from the frame of phase 6 before it.
            EXPECT_EQ(length, kPhaseFrames[phase] - (phase == 0 ? 1u : 0u)) << "frame " << frame;
        }
        expected = phase == 6 ? 0 : phase + 1;
    }
    EXPECT_GE(cycles, 3u);
    // The second part shows from phase 2, attacks in phase 3 while the body is
    // hidden, and waits again from phase 4.
    for (const auto& [frame, phase] : phases) {
        if (phase == 2) {
            EXPECT_EQ(out.value_at(s.second + ob::state, frame) & 0xFF, 1u) << "frame " << frame;
        }
        if (phase == 3) {
            EXPECT_EQ(out.value_at(s.second + ob::state, frame) & 0xFF, 2u) << "frame " << frame;
            EXPECT_TRUE(out.value_at(s.body + ob::flags, frame) & (1u << object_flag::hidden))
                << "frame " << frame;
        }
        if (phase == 4) {
            EXPECT_EQ(out.value_at(s.second + ob::state, frame) & 0xFF, 0u) << "frame " << frame;
            EXPECT_FALSE(out.value_at(s.body + ob::flags, frame) & (1u << object_flag::hidden))
                << "frame " << frame;
        }
    }
    // Ring B: code 175 and the music at full level as phase 5 begins, code
    // 176 as it ends.
    const auto b = queued(out, var::sound_ring_b);
    std::vector<uint64_t> rise, fall;
    for (const auto& [frame, phase] : phases) {
        if (phase == 5) rise.push_back(frame);
        if (phase == 6) fall.push_back(frame);
    }
    ASSERT_FALSE(rise.empty());
    std::vector<uint64_t> rose = frames_of(b, kFadeStart, s.start), ended = frames_of(b, kFadeEnd, s.start);
    rose.resize(std::min(rose.size(), rise.size()));
    ended.resize(std::min(ended.size(), fall.size()));
    EXPECT_EQ(rose, rise);
    EXPECT_EQ(ended, fall);
    EXPECT_EQ(out.value_at(hw::music_level, rise.front()), 0xFFu);
    EXPECT_EQ(out.value_at(hw::music_level, rise.front() - 1), 0u);
}

TEST(BossRun, ThePunchesDrainTheBarUntilTheBodyIsBeaten) {
    const auto& out = boss_run();
    const set_piece s = find_set_piece(out);
    ASSERT_NE(s.body, 0u);
    const uint64_t beaten = body_beaten(out, s);
    ASSERT_GT(beaten, s.start);
    // Every punch that lands takes energy, scores 10 (the defeat 10000) and
    // sounds 0xCA; after each the body flashes untouchable for 6 frames.
    std::vector<uint64_t> hits;
    for (const auto& c : out.changes)
        if (c.address == s.body + ob::energy && c.frame > s.start) hits.push_back(c.frame);
    ASSERT_GE(hits.size(), 30u);
    const auto a = queued(out, var::sound_ring_a);
    for (uint64_t f : hits) {
        const uint64_t points = f == beaten ? 10000 : 10;
        EXPECT_GE(out.value_at(kPlayerScore, f) - out.value_at(kPlayerScore, f - 1), points) << "frame " << f;
        const auto sounded = frames_of(a, 0xCA, f);
        ASSERT_FALSE(sounded.empty()) << "frame " << f;
        EXPECT_LE(sounded.front(), f + 1) << "frame " << f;
    }
    const uint64_t hit = hits.front();
    EXPECT_EQ(out.value_at(s.body + ob::state, hit) & 0xFF, 3u);
    EXPECT_EQ(first(became(out, s.body + ob::state, 0x0501, hit)), hit + 5);
    // The bar's shown energy falls one a frame towards the body's, and the
    // bar cells go down with it; from the defeat the bar drains and is gone.
    const uint64_t shown_before = out.value_at(s.bar + enemy_child::bar_energy, hit);
    EXPECT_EQ(out.value_at(s.bar + enemy_child::bar_energy, hit + 1), shown_before - 1);
    EXPECT_EQ(out.value_at(s.bar + enemy_child::bar_energy, hit - 1), 490u);
    EXPECT_NE(out.value_at(var::boss_bar_cells + 42, beaten - 1), 0x117Fu) << "the right end has drained";
    EXPECT_EQ(out.value_at(s.bar + ob::routine, beaten - 1), entry::sub_06988C);
    EXPECT_EQ(out.value_at(s.bar + ob::routine, beaten), entry::sub_069975);
    uint64_t gone = 0;
    for (uint64_t f = beaten; f < kFrames && !gone; ++f)
        if (out.value_at(var::boss_bar_cells, f) == 0) gone = f;
    ASSERT_GT(gone, beaten);
    EXPECT_EQ(out.cell_text(var::boss_bar_name, 8, gone), "");
    // The defeat counted in the boss's tally category.
    EXPECT_EQ(out.value_at(var::tally_records + 2 * kBodyTally, beaten - 1), 0u);
    EXPECT_EQ(out.value_at(var::tally_records + 2 * kBodyTally, beaten), 1u);
}

TEST(BossRun, BeatenTheBossLeavesTheAreaIsWonAndTheMusicFadesOut) {
    const auto& out = boss_run();
    const set_piece s = find_set_piece(out);
    ASSERT_NE(s.first, 0u);
    const uint64_t beaten = body_beaten(out, s);
    ASSERT_GT(beaten, s.start);
    // The body's defeat: a short effect, a 10-frame countdown, then the
    // controller's bit 9; the controller counts the set piece off and the
    // area's camera controller moves on a state.
    EXPECT_EQ(out.value_at(s.body + ob::state, beaten) & 0xFF, 5u);
    EXPECT_FALSE(running(out, kPool128, entry::sub_07B615, beaten).empty());
    const uint64_t counted = first(became(out, s.body + ob::state, 0x0506, beaten));
    EXPECT_EQ(counted, beaten + 9);
    EXPECT_EQ(first(became(out, s.controller + ob::routine, entry::sub_083118, beaten)), counted + 1);
    EXPECT_EQ(out.value_at(var::live_enemy_count, counted + 1),
              out.value_at(var::live_enemy_count, counted) - 1);
    const auto cameras = running(out, kPool64, entry::sub_08595F, counted);
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(out.value_at(cameras[0] + ob::state, counted) & 0xFF,
              (out.value_at(cameras[0] + ob::state, counted - 1) & 0xFF) + 1);
    // The second part leaves at once; the first plays its exit: 120 frames in
    // place, the move to the screen's (160, 160), 250 frames with its child
    // effect, the rise off the top; then the area is won.
    const uint64_t exit = first(became(out, s.first + ob::state, 6, beaten));
    ASSERT_GT(exit, counted);
    const uint64_t move = first(became(out, s.first + ob::state, 7, exit));
    EXPECT_EQ(move, exit + 119);
    const uint64_t hold = first(became(out, s.first + ob::state, 8, move));
    ASSERT_GT(hold, move);
    const auto effects = running(out, kPool128, entry::sub_08254E, hold);
    EXPECT_FALSE(effects.empty());
    const uint64_t rise = first(became(out, s.first + ob::state, 9, hold));
    EXPECT_EQ(rise, hold + 249);
    const uint64_t won = first(became(out, var::system_flags, kAreaWon, rise - 1));
    ASSERT_GT(won, rise);
    EXPECT_FALSE(out.value_at(var::system_flags, won - 1) & kAreaWon);
    // The music: code 176 as the exit begins, code 175 as the rise begins, the
    // level 254 down to 1 a frame apart; then the fader is gone, leaving 1.
    const auto b = queued(out, var::sound_ring_b);
    EXPECT_FALSE(frames_of(b, kFadeEnd, exit - 1).empty());
    EXPECT_EQ(first(frames_of(b, kFadeEnd, beaten)), exit - 1);
    EXPECT_EQ(frames_of(b, kFadeStart, rise), std::vector<uint64_t>{rise});
    for (uint64_t k = 0; k < 254; ++k) EXPECT_EQ(out.value_at(hw::music_level, rise + k), 254 - k) << k;
    EXPECT_EQ(out.value_at(hw::music_level, kFrames), 1u);
    EXPECT_EQ(out.value_at(s.fader + sp::countdown, rise + 254), 0u);  // the frame it gives itself back
    EXPECT_EQ(out.frames_of(hw::music_level).back(), rise + 253);
}

TEST(BossRun, TheWeakEnemiesFallFirstThenTheAttackerIsBeaten) {
    const auto& out = boss_run();
    const set_piece s = find_set_piece(out);
    ASSERT_NE(s.attacker, 0u);
    const uint64_t beaten = body_beaten(out, s);
    ASSERT_GT(beaten, s.start);
    // The attacker rests 90 frames, winds up, attacks and recovers, round
    // after round, until the punches beat it for its 600 points and tally.
    const uint64_t wound = first(became(out, s.attacker + ob::state, 3, s.start));
    EXPECT_EQ(wound, s.start + 89);
    const uint64_t down = first(became(out, s.attacker + ob::energy, 0, s.start));
    ASSERT_GT(down, s.start);
    EXPECT_EQ(out.value_at(kPlayerScore, down) - out.value_at(kPlayerScore, down - 1), 610u);
    EXPECT_EQ(out.value_at(s.attacker + ob::state, down) & 0xFF, 6u);
    EXPECT_EQ(out.value_at(var::tally_records + 2 * kAttackerTally, down), 1u);
    EXPECT_EQ(out.value_at(var::tally_records + 2 * kAttackerTally, down - 1), 0u);
    // The body takes its first punch only once the weak enemies are down.
    const uint64_t first_hit = first([&] {
        std::vector<uint64_t> v;
        for (const auto& c : out.changes)
            if (c.address == s.body + ob::energy && c.frame > s.start) v.push_back(c.frame);
        return v;
    }());
    ASSERT_GT(first_hit, s.start);
    for (uint32_t i = 0; i < kPool128.count; ++i) {
        const uint32_t o = kPool128.object(i);
        if ((out.value_at(o + ob::state, s.start) >> 8) != 0 ||
            !(out.value_at(o + ob::flags, s.start) & (1u << object_flag::enemy)))
            continue;
        EXPECT_EQ(out.value_at(o + ob::energy, first_hit), 0u) << std::hex << o;
    }
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 34BD08EDCCD6E48D E68C70E9E472A8E6 023631DB6E0FD8E5 90C6FC7C6E7EFB7F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 25CCF1B94A4AAF36 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 49D3BB20ECCE0A39 FC878BE381A0CAA1 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 B52018915AC023A1
900 A01D873344B84BB5 9B0B3A1C2687D9ED 3B3490AC770F41AD C434E0663BBF4B86 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 AC74ABE5F8B3D47D B93A0C83CE3B6325 B93A0C83CE3B6325 ED99344180C4DFF3 165E595B110A0CDB 055CE2BA34F8EF2B B859F8D70708ACBB B93A0C83CE3B6325 B5094533F289E968 B93A0C83CE3B6325 B93A0C83CE3B6325 2E08461C11256487
1200 16A875F1A6BA7A25 A00F997F0A2A1012 85CB349D885F7C55 61AA79AAF3E7B66A B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 43520CE10F83AA38 B93A0C83CE3B6325 B93A0C83CE3B6325 0D09F1A966F51F32 AA6E9688F2DDC312 B278C0856C95564B 78FFDA8065D3DF3A B93A0C83CE3B6325 C191A9C318C88D45 B93A0C83CE3B6325 B93A0C83CE3B6325 BED546729217858D
1500 16A875F1A6BA7A25 EE48FBEC4586E90B 8B7C155E30A1E031 DE47479AB93E03BE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 87D108A634131FE2 B93A0C83CE3B6325 B93A0C83CE3B6325 A910811EB42016B4 E2065F334E059C0B 48E63D27C851D803 8943AEDA1D9DCB8D B93A0C83CE3B6325 C191A9C318C88D45 B93A0C83CE3B6325 B93A0C83CE3B6325 35F0DD6126DFF402
1800 16A875F1A6BA7A25 8AB277C0DF5CBEE3 93A4256210EB8FCE 89998D5CD021A56D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 D7D494CBBABB7D23 B93A0C83CE3B6325 B93A0C83CE3B6325 1FD35CE3CBCB0828 08B9F2A13343B361 272624694E6CF0FB 9CB615D4D98566F4 B93A0C83CE3B6325 C191A9C318C88D45 B93A0C83CE3B6325 B93A0C83CE3B6325 2DD258458EBA63DB
2100 16A875F1A6BA7A25 FE05EAC9763819D1 5ABD5B34D7ED9E28 B12C5C65B17B19E7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 FA2C1BB8DBEF25D2 B93A0C83CE3B6325 B93A0C83CE3B6325 9CD44E7047FF93C5 069508E457EE9DCC 65939B607B241B35 0E7E1FAFB9B66A47 B93A0C83CE3B6325 38582D029140C4AD B93A0C83CE3B6325 B93A0C83CE3B6325 2072D9C6934BF527
2400 16A875F1A6BA7A25 15A4A93C6E5B5C12 8A5DA1B8197118A7 EF9FF824CE71FF45 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A768F01834C54012 B93A0C83CE3B6325 B93A0C83CE3B6325 0F9FC5F18516400B 2B51A835D0EDFCFB 7C0F6EAC354EF286 88F937F785954C40 B93A0C83CE3B6325 38582D029140C4AD B93A0C83CE3B6325 B93A0C83CE3B6325 2072D9C6934BF527
2700 16A875F1A6BA7A25 DE4F38F909CBC764 BC9B0842C8019E36 9A64AB02A4701B85 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F4A8D7E4A6AB9F31 B93A0C83CE3B6325 B93A0C83CE3B6325 7F0DE25293B87B0C C2F72F11563B835C 7C0F6EAC354EF286 D2CF90EB3172219A B93A0C83CE3B6325 F2F3745E3E624E5A B93A0C83CE3B6325 B93A0C83CE3B6325 3C9690AA719CC773
)";

TEST(BossRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, boss_run(),
                                            [&](int slices) { return r.run(boss_options(slices)); }),
              "");
}

}  // namespace
