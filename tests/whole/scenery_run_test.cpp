// A one-player game on the synthetic ROM set in stage 4 area 1, the scenery
// area: the player breaks a prop with blows and knocks another away, the
// passers-by play their scenes and leave, the camera waits at a gate while
// they play (the indicator hiding its icon) and then goes on, and the
// stage event raises a background layer, pins its camera to the playfield
// and wipes it away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/play_script.h"
#include "game/actors/vars.h"
#include "game/engine/object.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

using whole_run::frames_of;
using whole_run::queued;

constexpr uint32_t kPlayerScore = var::player_records + player_record::score;  // slot 0's record
constexpr uint32_t kCameraX = var::playfield_camera + camera_record::x;
constexpr uint32_t kLayerCameraX = var::layer_camera + camera_record::x,
                   kLayerCameraY = var::layer_camera + camera_record::y;
constexpr uint32_t kLayerWord = var::video_shadow + video_reg::layer_off;
constexpr uint32_t kWipePosition = var::video_shadow + video_reg::wipe_position;
constexpr uint32_t kWipeEnd = var::video_shadow + video_reg::wipe_extent;
constexpr uint32_t kMixerNbg3 = var::mixer_shadow + mixer_reg::nbg3_priority;
using whole_run::kPool128;
using whole_run::kPool64;

constexpr uint64_t kFrames = 2600;
constexpr uint64_t kAreaPoke = 844;  // after stage 1's intro, before its first area starts
constexpr uint64_t kZoomFrom = 2540, kZoomTo = 2570;

// Coins, start and the character taken as in the other runs of play; then,
// once stage 1's intro has run, the stage byte set to 4 (no input leads
// there), so that the first area started is stage 4's. Three punches at the prop on the right, a step left
// and a punch at the prop on the left, then the walk to the right.
std::string script() {
    std::string s = play_script::coin_and_start() + "760 press button1\n";
    s += play_script::poke(kAreaPoke, var::stage, 4);
    s += "900 press button1\n920 press button1\n940 press button1\n";
    s += "970 press left1 2\n990 press button1\n";
    s += "1040 hold right1\n";
    // The area change cannot be played through with a slot in play (its
    // player routines have no translated code): its flag is set by hand for
    // 30 frames, with the playfield at half size, to see what zooms with it.
    s += play_script::poke(kZoomFrom, var::game_flags + 1, 0x0A);
    s += play_script::poke(kZoomFrom, var::nbg0_zoom + 1, 0x01);
    s += play_script::poke(kZoomTo, var::game_flags + 1, 0x02);
    s += play_script::poke(kZoomTo, var::nbg0_zoom + 1, 0x02);
    return s;
}

whole_run::options scenery_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 240);
    o.watch = {{var::ingame_state, 1},
               {var::stage, 1},
               {var::area, 1},
               {var::live_enemy_count, 1},
               {kPlayerScore, 4},
               {kCameraX, 2},
               {kLayerCameraX, 2},
               {kLayerCameraY, 2},
               {var::camera_script_hold, 1},
               {kLayerWord, 2},
               {kWipePosition, 2},
               {kWipeEnd, 2},
               {kMixerNbg3, 2},
               {var::game_flags, 4},
               {var::nbg0_zoom, 2}};
    for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
        for (uint32_t b = 1; b < 34; ++b) o.watch.push_back({ring + b, 1});
    o.watch_pool(kPool128, {{ob::flags, 2},
                            {ob::state, 1},
                            {ob::type, 1},
                            {ob::routine, 4},
                            {ob::screen_x, 2},
                            {ob::world_x, 2},
                            {ob::height, 2},
                            {ob::score_value, 2},
                            {prop_record::counter, 2},
                            {ob::energy, 2}});
    o.watch_pool(kPool64, {{ob::state, 1}, {ob::routine, 4}, {ob::owner, 2}});
    return o;
}

const whole_reach::listed kReach("scenery", [] { return scenery_options(1); });

const whole_run::outcome& scenery_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "scenery", scenery_options(1));
}

// The frame stage 4 area 1 started in.
uint64_t area_start(const whole_run::outcome& out) {
    return out.first_frame_with(var::area, 1, var::stage, 4);
}

// The 128-byte objects whose routine was `routine` in `frame`.
std::vector<uint32_t> running(const whole_run::outcome& out, uint32_t routine, uint64_t frame) {
    return out.objects_with(kPool128, ob::routine, routine, frame);
}

// The values a watched field took after `from`, with their frames.
std::vector<std::pair<uint64_t, uint64_t>> changes_of(const whole_run::outcome& out, uint32_t address,
                                                      uint64_t from, uint64_t to = kFrames) {
    std::vector<std::pair<uint64_t, uint64_t>> v;
    for (const auto& c : out.changes_in(address, from + 1, to)) v.push_back({c.frame, c.value});
    return v;
}

// The first frame after `from` in which the object's flags lost bit 0.
uint64_t gone(const whole_run::outcome& out, uint32_t o, uint64_t from) {
    for (const auto& [frame, value] : changes_of(out, o + ob::flags, from))
        if ((value & 1) == 0) return frame;
    return 0;
}

TEST(SceneryRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = scenery_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

TEST(SceneryRun, ABreakablePropBreaksUnderBlowsForItsScore) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    // The two props by the player's start: the breakable (prop type 0, 16
    // energy, 500 points) to the right.
    const auto props = running(out, entry::sub_0815F6, start);
    ASSERT_EQ(props.size(), 1u);
    const uint32_t p = props[0];
    EXPECT_EQ(out.value_at(p + ob::world_x, start), 744u);
    EXPECT_EQ(out.value_at(p + ob::energy, start), 16u);
    EXPECT_EQ(out.value_at(p + ob::score_value, start), 500u);
    // Two blows: 8 energy each; the first scores 10, the beating one the
    // prop's 500.
    const auto energy = changes_of(out, p + ob::energy, start, start + 100);
    ASSERT_EQ(energy.size(), 2u);
    EXPECT_EQ(energy[0].second, 8u);
    EXPECT_EQ(energy[1].second, 0u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(
            out.value_at(kPlayerScore, energy[i].first) - out.value_at(kPlayerScore, energy[i].first - 1),
            i == 0 ? 10u : 500u);
    // Each blow sounds the prop type's hit sound.
    const auto a = queued(out, var::sound_ring_a);
    EXPECT_EQ(frames_of(a, 0x50, start), (std::vector<uint64_t>{energy[0].first, energy[1].first}));
    // Beaten, it breaks into pieces (its animation runs out: state 3), waits
    // 30 frames (4) and blinks (5) before it goes.
    const auto states = changes_of(out, p + ob::state, energy[1].first);
    ASSERT_GE(states.size(), 3u);
    EXPECT_EQ(states[0].second, 3u);
    EXPECT_EQ(states[1].second, 4u);
    EXPECT_EQ(states[2].second, 5u);
    EXPECT_EQ(out.value_at(p + ob::flags, states[0].first) & (1u << object_flag::alive), 0u);
    EXPECT_NE(out.value_at(p + ob::routine, states[2].first + 31), entry::sub_0815F6)
        << "freed after its blink";
}

TEST(SceneryRun, AKnockAwayPropFliesOffBouncingFromTheBlowThatBeatsIt) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    const auto props = running(out, entry::sub_081732, start);
    ASSERT_EQ(props.size(), 1u);
    const uint32_t p = props[0];
    EXPECT_EQ(out.value_at(p + ob::world_x, start), 560u);
    // One blow of the player, who turned left to it, beats it (8 energy) for
    // 300 points.
    const auto energy = changes_of(out, p + ob::energy, start, start + 200);
    ASSERT_EQ(energy.size(), 1u);
    EXPECT_EQ(energy[0].second, 0u);
    const uint64_t hit = energy[0].first;
    EXPECT_EQ(out.value_at(kPlayerScore, hit) - out.value_at(kPlayerScore, hit - 1), 300u);
    // It flies left, away from the player, 10 a frame, until it leaves the
    // screen's range; then it goes.
    EXPECT_EQ(out.value_at(p + ob::state, hit + 1), 3u);
    const int x1 = int(out.value_at(p + ob::world_x, hit + 2)),
              x2 = int(out.value_at(p + ob::world_x, hit + 3));
    EXPECT_EQ(x2 - x1, -10);
    uint64_t left = 0;
    for (const auto& [frame, value] : changes_of(out, p + ob::state, hit))
        if (value == 4 && !left) left = frame;
    ASSERT_GT(left, hit);
    EXPECT_LT(int16_t(out.value_at(p + ob::screen_x, left)), -63);
    // It bounces on the way: sound 151 when it lands, in its 49th step (its
    // speed 24 down to -24); it is off the screen before the next.
    const auto bounces = frames_of(queued(out, var::sound_ring_a), 151, hit);
    ASSERT_EQ(bounces.size(), 1u);
    EXPECT_EQ(bounces[0], hit + 49);
    EXPECT_LE(bounces.back(), left);
    EXPECT_EQ(frames_of(queued(out, var::sound_ring_a), 0x51, start), (std::vector<uint64_t>{hit}));
}

TEST(SceneryRun, PassersByPlayTheirScenesAndLeave) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    // Types 49, 52 and 53 with the area; type 51 stands; each counts as a
    // live enemy but type 51.
    std::map<uint32_t, uint32_t> actor;
    for (uint32_t r : {entry::sub_069A9E, entry::sub_069CC1, entry::sub_069DB0, entry::sub_069C3C}) {
        const auto v = running(out, r, start);
        ASSERT_EQ(v.size(), 1u) << std::hex << r;
        actor[r] = v[0];
    }
    EXPECT_EQ(out.value_at(var::live_enemy_count, start), 3u);
    // Their children: type 49's part, type 52's struck object, type 53's gun,
    // type 51's companion.
    for (uint32_t r : {entry::sub_069F31, entry::sub_079718, entry::sub_07285D, entry::sub_07966D})
        EXPECT_EQ(running(out, r, start).size(), 1u) << std::hex << r;
    // Type 53's gun fires shots while it flies.
    size_t shots = 0;
    for (uint64_t f = start; f < start + 150; ++f)
        shots = std::max(shots, running(out, entry::sub_07299F, f).size());
    EXPECT_GE(shots, 1u);
    // Type 52 strikes its object (sound 0xAE on ring B); the object sounds
    // 0xCD and goes after blinking.
    const auto b = queued(out, var::sound_ring_b);
    const auto a = queued(out, var::sound_ring_a);
    const auto strike = frames_of(b, 0xAE, start);
    ASSERT_EQ(strike.size(), 1u);
    EXPECT_GE(strike[0], start + 120);
    const auto struck = frames_of(a, 0xCD, start);
    ASSERT_EQ(struck.size(), 1u);
    EXPECT_GE(struck[0], strike[0]);
    // Type 53 sounds its engine and halts with 0xD8.
    EXPECT_EQ(frames_of(a, 0xD8, start).size(), 1u);
    // Each of 49, 52 and 53 walks or flies off and goes; type 51 stays.
    for (uint32_t r : {entry::sub_069A9E, entry::sub_069CC1, entry::sub_069DB0})
        EXPECT_GT(gone(out, actor[r], start), start) << std::hex << r;
    EXPECT_EQ(out.value_at(actor[entry::sub_069C3C] + ob::flags, kFrames) & (1u << object_flag::alive), 1u);
    // Type 50 comes in as the camera passes X 1000, waits its 900 frames,
    // releases its effect and leaves: no live enemy is left.
    uint64_t came = 0;
    for (const auto& [frame, value] : changes_of(out, var::live_enemy_count, start))
        if (value == 1 && out.value_at(var::live_enemy_count, frame - 1) == 0) came = frame;
    ASSERT_GT(came, start);
    EXPECT_GE(out.value_at(kCameraX, came), 1000u);
    EXPECT_EQ(running(out, entry::sub_069B78, came).size(), 1u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, kFrames), 0u);
}

TEST(SceneryRun, TheCameraWaitsAtItsGateWhilePassersByPlayAndTheIndicatorSaysSo) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    // The hold turns 0 when the camera reaches the gate at X 512 with
    // passers-by about, and 1 again in the frame the last has gone.
    uint64_t wait = 0, open = 0;
    for (const auto& [frame, value] : changes_of(out, var::camera_script_hold, start + 100)) {
        if (value == 0 && !wait) wait = frame;
        if (value == 1 && wait && !open) open = frame;
    }
    ASSERT_GT(wait, start);
    ASSERT_GT(open, wait);
    EXPECT_EQ(out.value_at(kCameraX, wait), 512u);
    EXPECT_EQ(out.value_at(kCameraX, open - 1), 512u);
    EXPECT_GT(out.value_at(var::live_enemy_count, wait), 0u);
    EXPECT_EQ(out.value_at(var::live_enemy_count, open - 1), 0u);
    // The indicator (a 64-byte object) blinks its icon while the camera may
    // go on, hides it (state 3) at the gate, and shows it again with sound
    // 0xAC twice, 31 frames apart.
    uint32_t indicator = 0;
    for (uint32_t i = 0; i < kPool64.count; ++i)
        if (out.value_at(kPool64.object(i) + ob::routine, start + 200) == entry::sub_079924)
            indicator = kPool64.object(i);
    ASSERT_NE(indicator, 0u);
    EXPECT_EQ(out.value_at(indicator + ob::state, wait + 20), 3u);
    const auto sounds = frames_of(queued(out, var::sound_ring_a), 0xAC, open);
    ASSERT_GE(sounds.size(), 2u);
    EXPECT_EQ(sounds[0], open);
    EXPECT_EQ(sounds[1] - sounds[0], 31u);
    std::vector<uint64_t> states;
    for (const auto& [frame, value] : changes_of(out, indicator + ob::state, open - 1, open + 40))
        states.push_back(value);
    EXPECT_EQ(states, (std::vector<uint64_t>{1, 2, 1}));
}

TEST(SceneryRun, TheStageEventRaisesPinsAndWipesTheBackgroundLayer) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    // From camera X 1024 the layer's priority is 8 and its camera follows the
    // playfield camera 384 left of it and 768 below.
    uint64_t raised = 0;
    for (const auto& [frame, value] : changes_of(out, kMixerNbg3, start))
        if ((value & 15) == 8 && !raised) raised = frame;
    ASSERT_GT(raised, start);
    EXPECT_GE(out.value_at(kCameraX, raised), 1024u);
    EXPECT_LT(out.value_at(kCameraX, raised - 1), 1024u + 8);
    const uint64_t f = raised + 100;
    EXPECT_EQ(out.value_at(kLayerCameraX, f), out.value_at(kCameraX, f) - 384);
    EXPECT_EQ(out.value_at(kLayerCameraY, f), 768u);
    // From X 2688 the wipe: bit 14 of the layer word, the end word 96, the
    // position counting to 96; then both back (223) and the layer camera at 0.
    uint64_t wipe = 0, done = 0;
    for (const auto& [frame, value] : changes_of(out, kWipeEnd, start)) {
        if (value == 96 && !wipe) wipe = frame;
        if (value == 223 && wipe && !done) done = frame;
    }
    ASSERT_GT(wipe, raised);
    ASSERT_GT(done, wipe);
    EXPECT_GE(out.value_at(kCameraX, wipe), 2688u);
    EXPECT_EQ(out.value_at(kLayerWord, wipe) & 0x4000, 0x4000u);
    EXPECT_EQ(out.value_at(kLayerWord, done) & 0x4000, 0u);
    EXPECT_EQ(done - wipe, 1u + 48 + 96 + 1);
    EXPECT_EQ(out.value_at(kLayerCameraX, done), 0u);
    EXPECT_EQ(out.value_at(kLayerCameraY, done), 0u);
}

TEST(SceneryRun, LayerDecorationsCrossIntoThePlayfieldFrame) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    const auto layer = running(out, entry::sub_081322, start);
    ASSERT_EQ(layer.size(), 2u);
    uint64_t wipe = 0;
    for (const auto& [frame, value] : changes_of(out, kWipeEnd, start))
        if (value == 96 && !wipe) wipe = frame;
    ASSERT_GT(wipe, start);
    // In the playfield frame (state 3), 384 further right than set up (at
    // 1000 and 700).
    std::vector<uint64_t> xs;
    for (uint32_t d : layer) {
        EXPECT_EQ(out.value_at(d + ob::state, wipe - 1), 3u);
        xs.push_back(out.value_at(d + ob::world_x, wipe - 1));
    }
    std::sort(xs.begin(), xs.end());
    EXPECT_EQ(xs, (std::vector<uint64_t>{700 + 384, 1000 + 384}));
    // The decorations that zoom at an area change stand (state 1) until one.
    const auto area = running(out, entry::sub_0812CD, start + 1);
    ASSERT_EQ(area.size(), 2u);
    for (uint32_t d : area) EXPECT_EQ(out.value_at(d + ob::state, kZoomFrom), 1u);
}

TEST(SceneryRun, AtAnAreaChangeTypeFiftyOneAndTheDecorationsZoomWithThePlayfield) {
    const auto& out = scenery_run();
    const uint64_t start = area_start(out);
    ASSERT_GT(start, kAreaPoke);
    const auto type51 = running(out, entry::sub_069C3C, start);
    const auto companion = running(out, entry::sub_07966D, start);
    const auto area = running(out, entry::sub_0812CD, start + 1);
    ASSERT_EQ(type51.size(), 1u);
    ASSERT_EQ(companion.size(), 1u);
    ASSERT_EQ(area.size(), 2u);
    // The area-change flag, set by the poke, is seen in the next frame: type
    // 51, its companion and the decorations take their zoomed display.
    const uint64_t zoom = kZoomFrom + 1;
    ASSERT_EQ(out.value_at(var::game_flags, zoom) & 0x800, 0x800u);
    ASSERT_EQ(out.value_at(var::nbg0_zoom, zoom), 0x100u);
    for (uint32_t o : {type51[0], companion[0], area[0], area[1]}) {
        EXPECT_EQ(out.value_at(o + ob::state, zoom - 1), 1u) << std::hex << o;
        EXPECT_EQ(out.value_at(o + ob::state, zoom + 1), 2u) << std::hex << o;
    }
    // Type 51 doubled its offsets from the screen centre: at half size it
    // keeps its place on the screen.
    EXPECT_EQ(out.value_at(type51[0] + ob::screen_x, zoom + 5),
              out.value_at(type51[0] + ob::screen_x, zoom - 1));
    // The decorations, which do not double theirs, move halfway to the centre.
    for (uint32_t d : area) {
        const int before = int16_t(out.value_at(d + ob::screen_x, zoom - 1)) - 160;
        const int during = int16_t(out.value_at(d + ob::screen_x, zoom + 5)) - 160;
        EXPECT_NEAR(during, before / 2, 1) << std::hex << d;
    }
}

// Checkpoints of the run recorded once with one time slice; the runs with 7
// and 1,000 slices per stretch must match them.
constexpr const char* kExpected = R"(
300 317D699BB65C72F5 80BCCD80B5A537B3 CE897CE95129A389 CCCDD37F5F3BABF7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7DE98DD933B6A8EF B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 995E2DE63BFD4FFF A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E474F160EC0CB12A
600 34BD08EDCCD6E48D E68C70E9E472A8E6 023631DB6E0FD8E5 90C6FC7C6E7EFB7F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 25CCF1B94A4AAF36 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 49D3BB20ECCE0A39 FC878BE381A0CAA1 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 B52018915AC023A1
900 25C8CC6D453A99F5 B75F8431AA7923C8 D4D20F4EE0080FB3 5A8A8EFC8266EA5F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0595272B9F2D2959 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 5209199F281C3B97 CCD0AFA17A7B4D27 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 256C71DDDAF3C823
1200 5D96BBE5DC3EEDBD A9F0903D774AF2DD 067E1D4BB2543A00 A662939500CDB202 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C13C87272D139F64 B93A0C83CE3B6325 B93A0C83CE3B6325 F0FC94299F045E90 46BF0099CFA862F3 F0C36E82B7820DE3 2C125B83CAAC3E40 B93A0C83CE3B6325 7C523968A2E0E4D4 B93A0C83CE3B6325 B93A0C83CE3B6325 2285B809DEC8CC5E
1500 EC9A2098B1A575F5 26465FFDE3B2C291 29DFBCBE06C0D80D C225EDE8ACA01D31 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 12834D24865FD019 B93A0C83CE3B6325 B93A0C83CE3B6325 786FF585FD4A4D55 779294BBE5DE3F66 839FE20826C2587F 87687D5303EDE88D B93A0C83CE3B6325 7BD7370AC8B506A5 B93A0C83CE3B6325 B93A0C83CE3B6325 D65A615D1520EC78
1800 DDE25AF74862ECA5 A42F11FF1E1C0D4C F64AA07D3F652B15 6B22121F1D10D825 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 5CFD48BA3769CE96 B93A0C83CE3B6325 B93A0C83CE3B6325 B77A1137FF39640A ACF1AC8D731B25EC 839FE20826C2587F AF1E84C73D79B984 B93A0C83CE3B6325 6F43D52AF6612728 B93A0C83CE3B6325 B93A0C83CE3B6325 5EE5B569F023C60F
2100 CCC67E408A9B6F25 72B88B39C2B9ADCF F84AE3465DA4ECAA 13B5C0074EBF8BF5 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 DEB875565A0C152D B93A0C83CE3B6325 B93A0C83CE3B6325 B6FA9519E2BE1131 DD4A2E6DF18FD4CB 839FE20826C2587F F17FF448DB15E481 B93A0C83CE3B6325 7080E76CFF327886 B93A0C83CE3B6325 B93A0C83CE3B6325 6FCDC1703976501C
2400 CCC67E408A9B6F25 FD988A65E3F30684 F19BDAAFF404F335 0BC12415AC8C4A59 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A9E669EC9BF9F6CC B93A0C83CE3B6325 B93A0C83CE3B6325 116C16ABF7F61A0D 5C7089B6BD92390C DB0137E442998BAF ED44983F974588E1 B93A0C83CE3B6325 7080E76CFF327886 B93A0C83CE3B6325 B93A0C83CE3B6325 2DDFDCCC8B48AEAD
)";

TEST(SceneryRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, scenery_run(),
                                            [&](int slices) { return r.run(scenery_options(slices)); }),
              "");
}

}  // namespace
