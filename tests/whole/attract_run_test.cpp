// The attract cycle on the synthetic ROM set: from boot through the title,
// the presentation scene, the demo and the score-ranking screen back to the
// title, with nothing pressed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "game/engine/object.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

// Player 1's record: energy and world x; its state, the enemy it holds and
// its hold byte.
constexpr uint32_t kPlayer1Energy = var::player_records + ob::energy;
constexpr uint32_t kPlayer1X = var::player_records + ob::world_x;
constexpr uint32_t kPlayer1State = var::player_records + ob::state,
                   kPlayer1Held = var::player_records + player_record::held_object,
                   kPlayer1Holding = var::player_records + player_record::holding;
// Text-layer cells the synthetic set prints to (row r, column c at
// hw::text_layer + 128r + 2c): the first title text, the presentation text's two
// lines, and on the ranking page row 1: the first row label, the last digit
// of the best score and its first initial.
constexpr uint32_t kTitleCell = hw::text_layer + 128 * 8 + 2 * 12;
constexpr uint32_t kSceneLine1 = hw::text_layer + 128 * 12 + 2 * 8;
constexpr uint32_t kSceneLine2 = kSceneLine1 + 128;
constexpr uint32_t kRankLabel = hw::text_layer + 128 * 1 + 2 * 4;
constexpr uint32_t kRankScoreFirst = hw::text_layer + 128 * 1 + 2 * 13;  // "50000" in cells 13-17
constexpr uint32_t kRankInitial = hw::text_layer + 128 * 1 + 2 * 22;
// Where the demo's input stream starts, and how many words it holds.
constexpr uint64_t kDemoStream = 0x13C000;
constexpr uint64_t kDemoStreamWords = 1400;
// The title's background scene time planted in the set.
constexpr uint64_t kTitleSceneTime = 480;
// The title objects: NBG0's zoom word, the blend level word and NBG0's
// off bit in the shadows; the cell of the logo's closing text (row 24,
// column 15); the object pools, of each object its routine and screen place.
constexpr uint32_t kBlend = var::mixer_shadow + mixer_reg::blend;
constexpr uint32_t kLayerOff = var::video_shadow + video_reg::layer_off;
constexpr uint32_t kClosingCell = hw::text_layer + 128 * 24 + 2 * 15;
// Of each object the checks follow its routine, its screen place (x, then y: one 32-bit watch),
// its flags and its energy.
// The first character's throw, planted with the moves.
constexpr uint64_t kThrowStrength = 16, kThrowCost = 4;

constexpr uint64_t kFrames = 2760;
// Frames whose pictures the run writes: the title, the presentation scene
// with both its lines, the score-ranking page.
constexpr uint64_t kTitlePicture = 100;
constexpr uint64_t kPresentationPicture = 900;
constexpr uint64_t kRankingPicture = 2660;

uint16_t mode(uint8_t m, uint8_t sub) { return static_cast<uint16_t>(sub << 8 | m); }

whole_run::options attract_options(int slices) {
    whole_run::options o = whole_run::run_options("", kFrames, 300, slices, 240);
    o.watch = {{var::game_mode, 2},
               {var::ingame_state, 1},
               {var::game_flags, 4},
               {var::demo_index, 1},
               {var::presentation_index, 1},
               {var::demo_input_pointer, 4},
               {var::demo_inputs, 4},
               {kPlayer1Energy, 2},
               {kPlayer1X, 2},
               {kTitleCell, 2},
               {kSceneLine1, 2},
               {kSceneLine2, 2},
               {kRankLabel, 2},
               {kRankScoreFirst, 2},
               {kRankInitial, 2},
               {var::nbg0_zoom, 2},
               {kBlend, 2},
               {kLayerOff, 2},
               {kClosingCell, 2},
               {kPlayer1State, 1},
               {kPlayer1Held, 4},
               {kPlayer1Holding, 1}};
    o.watch_pool(whole_run::kPool256, {{ob::routine, 4}, {ob::screen_x, 4}});
    o.watch_pool(whole_run::kPool128, {{ob::routine, 4}, {ob::screen_x, 4}, {ob::flags, 2}, {ob::energy, 2}});
    o.pictures = {kTitlePicture, kPresentationPicture, kRankingPicture};
    return o;
}

const whole_reach::listed kReach("attract", [] { return attract_options(1); });

// One run with one time slice, shared by the tests that read what it saw; it
// dumps its sound too.
const whole_run::outcome& attract_run() {
    whole_run::options o = attract_options(1);
    o.sound = true;
    return whole_run::run_once(IRONBELL_PROBE_EXE, "attract", o);
}

// The frame at which the mode word first took `value` at or after `from`.
uint64_t frame_of(const whole_run::outcome& out, uint16_t value, uint64_t from = 0) {
    if (const uint64_t f = out.first_frame(var::game_mode, value, from)) return f;
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
    const std::vector<uint64_t> expected = {mode(3, 0),  mode(3, 3),  mode(3, 6),   mode(3, 9),   mode(3, 12),
                                            mode(3, 15), mode(3, 18), mode(21, 0),  mode(21, 3),  mode(21, 6),
                                            mode(9, 0),  mode(9, 3),  mode(9, 6),   mode(12, 0),  mode(12, 3),
                                            mode(12, 6), mode(12, 9), mode(12, 12), mode(12, 15), mode(3, 0),
                                            mode(3, 3),  mode(3, 6)};
    auto seen = out.values_of(var::game_mode);
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

    EXPECT_EQ(out.value_at(var::presentation_index, presentation - 1), 0u);
    EXPECT_EQ(out.value_at(var::presentation_index, presentation + 1), 1u);
    EXPECT_EQ(out.value_at(var::demo_index, demo), 0u);
    EXPECT_EQ(out.value_at(var::demo_index, demo + 1), 1u);
    EXPECT_EQ(out.value_at(var::ingame_state, demo + 1), flow_state::play);
    EXPECT_TRUE(out.value_at(var::game_flags, demo + 1) & 0x100) << "demo flag";
    EXPECT_TRUE(out.value_at(var::game_flags, ranking - 1) & 0x100) << "demo flag";
    EXPECT_FALSE(out.value_at(var::game_flags, ranking + 1) & 0x100) << "demo flag";

    // The pointer is set in the demo's first frame (after that frame's inputs)
    // and moves one word in each following frame with the flag still set.
    std::vector<whole_run::change> steps;
    for (const auto& c : out.changes)
        if (c.address == var::demo_input_pointer && c.value != 0) steps.push_back(c);
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
    // presses button 1 at 80 and 90, then walks left; once, in the second
    // round, it presses button 1 again as it turns left (the throw).
    const struct {
        uint64_t n, sample;
    } samples[] = {{0, 0x04},   {79, 0x04},  {80, 0x10},  {81, 0x00},  {90, 0x10},  {99, 0x00}, {100, 0x08},
                   {104, 0x08}, {159, 0x08}, {160, 0x04}, {263, 0x08}, {264, 0x18}, {265, 0x08}};
    for (const auto& s : samples)
        EXPECT_EQ(out.value_at(var::demo_inputs, demo + 2 + s.n), s.sample) << "stream word " << s.n;

    // Player 1 plays: it starts with the demo's energy, 1,280, and follows the
    // recorded inputs (each reaches it a frame after it is sampled).
    EXPECT_EQ(out.value_at(kPlayer1Energy, demo + 1), 1280u);
    const auto x = [&](uint64_t n) { return static_cast<int16_t>(out.value_at(kPlayer1X, demo + 3 + n)); };
    EXPECT_GT(x(79), x(1)) << "walking right";
    EXPECT_LT(x(159), x(100)) << "walking left";
    EXPECT_LE(steps.back().value, kDemoStream + 4 * kDemoStreamWords) << "the demo read past its stream";
}

// In the demo's second round the first character grabs the enemy its walk
// has reached (button 1 touching it) and, with button 1 once more, throws
// it: the throw waits for the grab animation's third step, strikes the held
// enemy with the throw's strength and marks it hit, lets go, and the player
// stands again once the animation has stopped and its pause has run.
TEST(AttractRun, TheDemoPlayerGrabsTheEnemyItReachesAndThrowsIt) {
    const auto& out = attract_run();
    const uint64_t demo = frame_of(out, mode(9, 0));
    const uint64_t grab = out.first_frame(kPlayer1State, player_state::grab_hold, demo);
    ASSERT_GT(grab, 0u);
    const uint32_t enemy = uint32_t(out.value_at(kPlayer1Held, grab));
    ASSERT_GE(enemy, var::objects_128);
    ASSERT_LT(enemy, whole_run::kPool128.object(whole_run::kPool128.count));
    EXPECT_EQ(out.value_at(kPlayer1Holding, grab), 255u);
    EXPECT_EQ(out.value_at(enemy + ob::flags, grab) & (1u << object_flag::held), 1u << object_flag::held)
        << "held";
    // The press at stream word 264 reaches the player a frame after it is
    // sampled: the wind-up, paid for.
    const uint64_t wind_up = out.first_frame(kPlayer1State, player_state::throw_swing, grab);
    ASSERT_GT(wind_up, 0u);
    EXPECT_EQ(wind_up, demo + 2 + 264 + 1);
    EXPECT_EQ(out.value_at(kPlayer1Energy, wind_up - 1) - out.value_at(kPlayer1Energy, wind_up), kThrowCost);
    // The throw strikes at the grab animation's third step (4 frames each).
    const uint64_t thrown = out.first_frame(kPlayer1State, player_state::throw_follow, wind_up);
    ASSERT_GT(thrown, 0u) << "the throw never struck";
    EXPECT_EQ(thrown - wind_up, 12u);
    EXPECT_EQ(out.value_at(kPlayer1Holding, thrown), 0u);
    EXPECT_EQ(out.value_at(enemy + ob::energy, thrown - 1) - out.value_at(enemy + ob::energy, thrown),
              kThrowStrength);
    EXPECT_EQ(out.value_at(enemy + ob::flags, thrown) & (1u << object_flag::hit), 1u << object_flag::hit)
        << "hit";
    std::vector<uint64_t> states;
    for (const auto& c : out.changes)
        if (c.address == kPlayer1State && c.frame >= thrown && states.size() < 4) states.push_back(c.value);
    EXPECT_EQ(states, (std::vector<uint64_t>{55, 56, 57, 0}));
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

// The objects of every address whose routine field took `routine`.
std::vector<uint32_t> objects_with(const whole_run::outcome& out, uint32_t routine) {
    std::vector<uint32_t> v;
    for (const auto& c : out.changes)
        if (c.value == routine && c.address >= var::objects_256 &&
            c.address < whole_run::kPool128.object(whole_run::kPool128.count) &&
            c.address % 128 == ob::routine &&
            std::find(v.begin(), v.end(), c.address - ob::routine) == v.end())
            v.push_back(c.address - ob::routine);
    return v;
}
int16_t screen_x(uint64_t xy) { return static_cast<int16_t>(xy & 0xFFFF); }
int16_t screen_y(uint64_t xy) { return static_cast<int16_t>(xy >> 16); }

// The title's background scene plays every title object: the logo shows on
// NBG0 once its delay is over, its two pictures shrink to 1:1 by their
// steps, the blend runs down on NBG2 and up on NBG0, and its closing text
// is printed; the three flying pieces fly by their steps, the falling piece
// lands at y 200, the accelerating piece moves and goes, the sequence
// watcher stands at (160, 0) waiting, and the squash sprite appears 460
// frames after the scene was built, flattened 5 steps, and springs back to
// x 245.
TEST(AttractRun, TheTitleScenePlaysEveryTitleObject) {
    const auto& out = attract_run();
    const uint64_t built = frame_of(out, mode(3, 12));
    const uint64_t leaves = frame_of(out, mode(21, 0), built);

    // Zoom: 0x0FF0 while hidden, then 2432 ... 608 in steps of 96, then from
    // 4307 less 22², 21², ... down to 512.
    std::vector<uint64_t> zooms;
    for (const auto& c : out.changes)
        if (c.address == var::nbg0_zoom && c.frame >= built && c.frame < leaves) zooms.push_back(c.value);
    std::vector<uint64_t> expected = {0x0FF0};
    for (int z = 2432; z >= 608; z -= 96) expected.push_back(uint64_t(z));
    for (int z = 4307, k = 22; z > 512; --k) expected.push_back(uint64_t(z -= k * k));
    EXPECT_EQ(zooms, expected);
    EXPECT_EQ(expected.back(), 512u);
    // NBG0 is off while the logo waits, on from its first zoom step.
    EXPECT_EQ(out.value_at(kLayerOff, built) & 1, 1u);
    EXPECT_EQ(out.value_at(kLayerOff, leaves - 1) & 1, 0u);

    // Blend levels (bits 10-8): 7, then 6 down to 0, then 1 up to 7.
    std::vector<uint64_t> levels;
    for (const auto& c : out.changes)
        if (c.address == kBlend && c.frame >= built && c.frame < leaves &&
            (levels.empty() || levels.back() != (c.value >> 8 & 7)))
            levels.push_back(c.value >> 8 & 7);
    EXPECT_EQ(levels, (std::vector<uint64_t>{7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6, 7}));
    const uint64_t closing = out.frames_of(kClosingCell).empty() ? 0 : out.frames_of(kClosingCell).back();
    EXPECT_EQ(out.value_at(kClosingCell, leaves - 1), 0x0300u | 'P') << "the logo's closing text";
    EXPECT_GT(closing, built);

    // Flying pieces: each moved by its step from its table place.
    const auto pieces = objects_with(out, entry::sub_0775F9);
    ASSERT_EQ(pieces.size(), 3u);
    std::vector<std::pair<int, int>> steps;
    for (uint32_t o : pieces) {
        // The first two places of consecutive frames while the object flies.
        const auto frames = out.frames_of(o + ob::screen_x);
        const auto places = out.values_of(o + ob::screen_x);
        for (size_t i = 1; i < frames.size(); ++i)
            if (frames[i] == frames[i - 1] + 1 &&
                out.value_at(o + ob::routine, frames[i - 1]) == entry::sub_0775F9 &&
                out.value_at(o + ob::routine, frames[i]) == entry::sub_0775F9) {
                steps.push_back({screen_x(places[i]) - screen_x(places[i - 1]),
                                 screen_y(places[i]) - screen_y(places[i - 1])});
                break;
            }
    }
    std::sort(steps.begin(), steps.end());
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {1, 0}}));

    // The falling piece lands at screen y 200 and stays there.
    const auto falling = objects_with(out, entry::sub_077558);
    ASSERT_EQ(falling.size(), 1u);
    EXPECT_EQ(screen_y(out.value_at(falling[0] + ob::screen_x, leaves - 1)), 200);
    EXPECT_EQ(screen_x(out.value_at(falling[0] + ob::screen_x, leaves - 1)), 240);

    // The accelerating piece (a 256-byte object) moves from its place.
    const auto accelerating = objects_with(out, entry::sub_0774AC);
    ASSERT_EQ(accelerating.size(), 1u);
    EXPECT_GE(accelerating[0], var::objects_256);
    EXPECT_LT(accelerating[0], var::objects_128);
    EXPECT_GE(out.values_of(accelerating[0] + ob::screen_x).size(), 5u);

    // The watcher waits for its sequence at (160, 0).
    const auto watcher = objects_with(out, entry::sub_07792B);
    ASSERT_EQ(watcher.size(), 1u);
    EXPECT_EQ(out.value_at(watcher[0] + ob::screen_x, leaves - 1), 160u);
    EXPECT_EQ(out.value_at(watcher[0] + ob::routine, leaves - 1), entry::sub_07792B) << "nothing was entered";

    // The squash sprite: 230 (245 less 1 + 2 + ... + 5), then 5, 4, 3, 2, 1
    // pixels right, at y 176.
    const auto squash = objects_with(out, entry::sub_077A34);
    ASSERT_EQ(squash.size(), 1u);
    std::vector<int> xs;
    uint64_t shown = 0;
    for (const auto& c : out.changes)
        if (c.address == squash[0] + ob::screen_x && c.frame > built && c.frame < leaves) {
            if (xs.empty()) shown = c.frame;
            xs.push_back(screen_x(c.value));
            EXPECT_EQ(screen_y(c.value), 176);
        }
    EXPECT_EQ(xs, (std::vector<int>{230, 235, 239, 242, 244, 245}));
    EXPECT_EQ(shown - built, 459u);
}

// The same texts in the picture itself, drawn with the set's font: the
// title's two lines, the presentation scene's, and the ranking page's first
// block's best entry (label, score, initials) and all four blocks' titles.
TEST(AttractRun, TextsShowInThePicture) {
    const auto& out = attract_run();
    whole_run::keep_pictures(out, "attract", IRONBELL_ARTEFACTS);
    ASSERT_EQ(out.value_at(var::game_mode, kTitlePicture) & 0xFF, 3u) << "the title shows";
    EXPECT_EQ(whole_run::shown_text(out, kTitlePicture, 8, 12, 15), "SYNTHETIC TITLE");
    EXPECT_EQ(whole_run::shown_text(out, kTitlePicture, 20, 10, 19), "NO GAME DATA INSIDE");
    EXPECT_EQ(whole_run::shown_text(out, kTitlePicture, 12, 8, 18), std::string(18, ' ')) << "nothing else";

    ASSERT_EQ(out.value_at(var::game_mode, kPresentationPicture) & 0xFF, 21u) << "the presentation shows";
    EXPECT_EQ(whole_run::shown_text(out, kPresentationPicture, 12, 8, 18), "PRESENTATION SCENE");
    EXPECT_EQ(whole_run::shown_text(out, kPresentationPicture, 13, 8, 11), "SECOND LINE");

    ASSERT_EQ(out.value_at(var::game_mode, kRankingPicture) & 0xFF, 12u) << "the ranking shows";
    const char* titles[4] = {"FIRST CHARACTER", "SECOND CHARACTER", "THIRD CHARACTER", "FOURTH CHARACTER"};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(whole_run::shown_text(out, kRankingPicture, 7 * c, 14, int(std::strlen(titles[c]))),
                  titles[c]);
    EXPECT_EQ(whole_run::shown_text(out, kRankingPicture, 1, 4, 21), "1ST      50000    AAA");
}

// The attract cycle's sound (the set's FM note and PCM squares) runs on across
// the host's 800-frame output blocks: a block's first frame follows the last
// one of the block before as closely as frames inside a block follow each
// other, and no block ends in a hold its mix does not have.
TEST(AttractRun, SoundRunsOnAcrossOutputBlocks) {
    const auto& out = attract_run();
    ASSERT_EQ(out.sound.size(), kFrames * 1600) << out.err;
    ASSERT_EQ(out.mixes.size(), kFrames) << out.err;
    const whole_run::sound_seams seams = whole_run::seams_of(out);
    EXPECT_GT(seams.inside, 10.0) << "the run should have sound to hear";
    EXPECT_LE(seams.across, 1.5 * seams.inside)
        << "mean step across seams " << seams.across << ", inside blocks " << seams.inside;
    std::string held;
    for (size_t i = 0; i < seams.held_ends.size() && i < 10; ++i)
        held += " " + std::to_string(seams.held_ends[i]);
    EXPECT_TRUE(seams.held_ends.empty())
        << seams.held_ends.size() << " blocks end in a hold, in frames" << held;
}

// The checkpoints are the same with the sound board's time cut into 1, 7 and
// 1,000 slices per stretch, and match the recorded table.
constexpr const char* kExpected = R"(
300 1041CBA67B0179DD 4476C9943CFE618A D7EC3792D43067CB D5FB3EF6083E9B0F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 5B7662EEE39832B1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7150752FEF0E9D39 FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 75AF36CF46F94E59
600 48EBAAED2F51C715 AD7FCEDB95341DD3 6D2B40F13C034E3A 00785C22CF9F3893 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 66548191A5068AFE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7D92ADC91EE1F459 FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 35F5778931B305B3
900 A203C07A2A426BCD E449D55921C9AD38 9A9B68E386558373 B4B721887C2C2F68 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BD9A876451DF8B8 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7E67516356312ED5 FC7B8D42BBB8E6B3 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 F974374E14F9013D
1200 5A33895E8B18C94D 5AD7E27177251370 233355C0C6177648 C3C07577037F1CB1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 05CC01245C60B5E6 B93A0C83CE3B6325 B93A0C83CE3B6325 B57BC0093ACB6FEF A085A16231C6A72C FC7B8D42BBB8E6B3 D19B2C8B7744B874 B93A0C83CE3B6325 DF791E76C809DF36 B93A0C83CE3B6325 B93A0C83CE3B6325 14CA9D421B034B1C
1500 98E542CA304E2065 92E5B0BE5D14D2B3 0D9CA5070909E08F 7B40A9CE28213B77 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 D9483035DC361D63 B93A0C83CE3B6325 B93A0C83CE3B6325 1C4E4F8F0FEA45E2 814DE3D99DA1D98C FC7B8D42BBB8E6B3 04FA08AB7709BBA6 B93A0C83CE3B6325 0BD6814972C78ADD B93A0C83CE3B6325 B93A0C83CE3B6325 49D31F4C341A5C1C
1800 FBE4226FA62C21E5 795825BB75BFD5D6 B07075F4612C5435 EB88C06230AA28CD B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 6D013FFE8135CA75 B93A0C83CE3B6325 B93A0C83CE3B6325 7C830A16D875C1E2 9B5A535EF323041C FC7B8D42BBB8E6B3 D7B37F2AB6F57606 B93A0C83CE3B6325 D7EDF44899AFE0E7 B93A0C83CE3B6325 B93A0C83CE3B6325 D15C19E5DA3BB453
2100 FBE4226FA62C21E5 94E0E808732A9389 93E5BFECA5CBA0EE 0D18ED5DC71CD8F7 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C5D4264445719FA6 B93A0C83CE3B6325 B93A0C83CE3B6325 DA5FDE19FEB083CD E744A2855F051DBA FC7B8D42BBB8E6B3 7829F44ACFEEB77B B93A0C83CE3B6325 57831E1C31A0365B B93A0C83CE3B6325 B93A0C83CE3B6325 BCF4A5D37165AB89
2400 B11AC151FF863955 5ABDD475A8858F70 E060912E6CE3259E B4A037DA94AAAE02 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E7C2246B20BC46DE B93A0C83CE3B6325 B93A0C83CE3B6325 ECA972061142BEE4 1172EA467EA2E505 FC7B8D42BBB8E6B3 6A2E1E449FCDBED8 B93A0C83CE3B6325 4D109D08C93C3824 B93A0C83CE3B6325 B93A0C83CE3B6325 B12C80FB0AB239E7
2700 6CBE9C35EE24606D D09F618BCF80D181 6C8275E393DFAE89 B4A037DA94AAAE02 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E7C2246B20BC46DE B93A0C83CE3B6325 B93A0C83CE3B6325 ECA972061142BEE4 C734BEEB6798EA7C FC7B8D42BBB8E6B3 6A2E1E449FCDBED8 B93A0C83CE3B6325 4D109D08C93C3824 B93A0C83CE3B6325 B93A0C83CE3B6325 195A68D03E916FA7
)";

TEST(AttractRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, attract_run(),
                                            [&](int slices) { return r.run(attract_options(slices)); }),
              "");
}

}  // namespace
