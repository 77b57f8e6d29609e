// The screens of the game flow that neither the attract cycle nor the play
// run shows, in one run on the synthetic ROM set: the typed notice, the
// hidden sequence on the title, presentation scenes 1 to 4, the slot-reset
// mode with a game joined from it, stage 1's intro with all its actors, and
// the results screen after stage 1 with every line, icon and bonus.
//
// Pokes stand in for what the program itself never does or the data of one
// stage cannot raise, each at a frame the run reaches on its own:
// - the mode word: nothing in the program writes modes 0, 6, 18 and 24, and
//   the next presentation scene comes only after a demo and a ranking
//   screen; so the notice (24) is poked on the title, scenes 1-4 each by
//   restarting mode 21's sub-mode while the previous scene shows, and the
//   slot reset (18) while scene 4 shows;
// - `system_flags` bit 8 (stage cleared): no routine of stage 1 raises it;
//   the byte holding it (bits 8-15) is written whole, at a frame of play
//   with none of its other bits pending;
// - the tallies of slots 0 and 1 (the enemies of every category a stage
//   clear counts) and slot 1's in-play bit: a second player can join only
//   during a game, whose join has no translated code, so slot 1 is put in
//   play while the stage-clear fade runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/engine/object.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

constexpr uint32_t kRevision = var::backup_primary + backup_record::revision;
constexpr uint32_t kCredits = var::credit_records + credit_record::credits;  // the shared record's
// Slot records: routine, energy, score, shown energy; flags of slot 1.
constexpr uint32_t kSlot0 = var::player_records, kSlot1 = var::player_records + player_record::size;
// The object pools: of each object its state and type, its routine, its
// screen place and (256 bytes) the size words of its first copied part.
using whole_run::kPool128;
using whole_run::kPool256;
constexpr uint32_t kPartWords = ob::copied_parts + 1 + 2 * 2;  // words 2 and 3 of the first copied part

// Text cells: row r, column c at hw::text_layer + 128r + 2c.
constexpr uint32_t cell(uint32_t row, uint32_t column) { return hw::text_layer + 128 * row + 2 * column; }
// The notice's first and last records (6 cells right on the wide screen).
constexpr uint32_t kNoticeFirst = cell(4, 23), kNoticeLast = cell(10, 12);
constexpr uint32_t kNoticeCursor = cell(10, 26);  // after "FOR TESTS ONLY"
// The hidden sequence's text and the revision's two hexadecimal digits.
constexpr uint32_t kSequenceText = cell(1, 26), kRevisionDigits = cell(1, 35);
// The presentation text's three rows.
constexpr uint32_t kSceneLine = cell(12, 8);
// Stage 1's title, two rows.
constexpr uint32_t kStageTitle = cell(10, 15);
// The results of slots 0 and 1 from their text origins (row 4, columns 2
// and 22): heading, count line (mark, 3 big digits two cells right), bonus
// line (label, 6 big digits six cells right), energy line (label, 3 big
// digits five cells right); the big digits' upper row holds the digits.
constexpr uint32_t kOrigin[2] = {cell(4, 2), cell(4, 22)};
constexpr uint32_t kCountLine = 2 * 128, kCountDigits = 2 * 128 + 4;
constexpr uint32_t kBonusLine = 5 * 128, kBonusDigits = 5 * 128 + 12;
constexpr uint32_t kEnergyLine = 8 * 128, kEnergyDigits = 8 * 128 + 10;

// The script's moments: the notice of mode 0 (a coin and button 1 pressed
// meanwhile, which it offers no join), the back-to-title mode 6 poked on the
// title, then everything else from the title's restart, kShift frames on.
constexpr uint64_t kNoticeZero = 60, kCoin = 200, kNoJoin = 230, kBackToTitle = 522;
constexpr uint64_t kShift = 523;
constexpr uint64_t kNotice = 60 + kShift;
constexpr uint64_t kWrongPress = 780 + kShift, kSequence = 800 + kShift;
constexpr uint64_t kScenes[4] = {1330 + kShift, 1530 + kShift, 1730 + kShift, 1930 + kShift};
constexpr uint64_t kSlotReset = 2150 + kShift;
constexpr uint64_t kJoin = 2230 + kShift;
constexpr uint64_t kTallies = 2590 + kShift, kStageClear = 2600 + kShift, kSecondPlayer = 2601 + kShift;
constexpr uint64_t kButton = 3050 + kShift;
constexpr uint64_t kFrames = 3054 + kShift;

std::string poke(uint64_t frame, uint32_t address, unsigned value) {
    char line[64];
    std::snprintf(line, sizeof line, "%llu poke %06X %02X\n", static_cast<unsigned long long>(frame), address,
                  value);
    return line;
}
std::string at(uint64_t frame, const std::string& action) {
    return std::to_string(frame) + " " + action + "\n";
}

// Tallies by category of the two slots: slot 0 has 12 defeated over eight
// categories (none in 1 and 6) and a category-10 count of 40, slot 1 30
// defeated (0, 1 and 2) and a count of 5.
constexpr unsigned kTally0[11] = {3, 0, 2, 1, 1, 2, 0, 1, 1, 1, 40};
constexpr unsigned kTally1[11] = {10, 10, 10, 0, 0, 0, 0, 0, 0, 0, 5};

std::string script() {
    std::string s =
        poke(kNoticeZero, var::game_submode, 0) + poke(kNoticeZero, var::game_mode, game_mode::typed_notice);
    s += at(kCoin, "press coin1") + at(kNoJoin, "press button1");
    s += poke(kBackToTitle, var::game_submode, 0) +
         poke(kBackToTitle, var::game_mode, game_mode::back_to_title);
    s += poke(kNotice, var::game_submode, 0) + poke(kNotice, var::game_mode, game_mode::typed_notice_again);
    // A wrong first press, then up, down, right, left, up.
    s += at(kWrongPress, "press left1 2");
    const char* sequence[] = {"press up1 2", "press down1 2", "press right1 2", "press left1 2",
                              "press up1 2"};
    for (int i = 0; i < 5; ++i) s += at(kSequence + 10 * i, sequence[i]);
    for (uint64_t f : kScenes) s += poke(f, var::game_submode, 0);
    s += poke(kSlotReset, var::game_submode, 0) + poke(kSlotReset, var::game_mode, game_mode::slot_reset);
    s += at(kJoin, "press button1") + at(kJoin + 10, "press button1");  // the credit of the coin above
    for (uint32_t n = 0; n < 11; ++n) {
        if (kTally0[n]) s += poke(kTallies, var::tally_records + 2 * n, kTally0[n]);
        if (kTally1[n]) s += poke(kTallies, var::tally_records + 32 + 2 * n, kTally1[n]);
    }
    s += poke(kStageClear, var::system_flags + 1, 0x01);
    s += poke(kSecondPlayer, kSlot1, 0x01);
    s += at(kButton, "press button1");
    return s;
}

whole_run::options flow_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 300);
    o.watch = {{var::game_mode, 2},
               {kCredits, 1},
               {var::flow_countdown, 2},
               {var::ingame_state, 1},
               {var::presentation_index, 1},
               {hw::layer_control, 2},
               {kRevision, 2},
               {kNoticeFirst, 4},
               {kNoticeLast, 2},
               {kNoticeCursor, 2},
               {kSequenceText, 2},
               {kRevisionDigits, 4},
               {kSceneLine, 2},
               {kSceneLine + 128, 2},
               {kSceneLine + 256, 2},
               {kStageTitle, 4},
               {kStageTitle + 128, 4}};
    for (uint32_t slot : {kSlot0, kSlot1})
        for (auto [field, bytes] : {std::pair{ob::routine, 4},
                                    {ob::energy, 2},
                                    {player_record::score, 4},
                                    {player_record::shown_energy, 2}})
            o.watch.push_back({slot + field, bytes});
    for (uint32_t origin : kOrigin) {
        o.watch.push_back({origin, 2});
        o.watch.push_back({origin + kCountLine, 2});
        o.watch.push_back({origin + kCountDigits, 6});
        o.watch.push_back({origin + kBonusLine, 2});
        o.watch.push_back({origin + kBonusDigits, 8});
        o.watch.push_back({origin + kBonusDigits + 8, 4});
        o.watch.push_back({origin + kEnergyLine, 2});
        o.watch.push_back({origin + kEnergyDigits, 6});
    }
    o.watch_pool(kPool256, {{ob::state, 2}, {ob::routine, 4}, {ob::screen_x, 4}, {kPartWords, 4}});
    o.watch_pool(kPool128, {{ob::state, 2}, {ob::routine, 4}, {ob::screen_x, 4}});
    return o;
}

const whole_reach::listed kReach("flow", [] { return flow_options(1); });

const whole_run::outcome& flow_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "flow", flow_options(1));
}

uint16_t mode(uint8_t m, uint8_t sub) { return static_cast<uint16_t>(sub << 8 | m); }

TEST(FlowRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = flow_run();
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.checkpoints.size(), kFrames / 300) << out.err;
}

// The objects of the pools whose routine field holds `routine` at frame
// `at`, in address order.
std::vector<uint32_t> objects_with(const whole_run::outcome& out, uint32_t routine, uint64_t at) {
    auto v = out.objects_with(kPool256, ob::routine, routine, at);
    const auto small = out.objects_with(kPool128, ob::routine, routine, at);
    v.insert(v.end(), small.begin(), small.end());
    return v;
}
uint8_t state_at(const whole_run::outcome& out, uint32_t object, uint64_t frame) {
    return static_cast<uint8_t>(out.value_at(object + ob::state, frame));
}
uint8_t type_at(const whole_run::outcome& out, uint32_t object, uint64_t frame) {
    return static_cast<uint8_t>(out.value_at(object + ob::state, frame) >> 8);
}
int16_t x_of(uint64_t screen) { return static_cast<int16_t>(screen & 0xFFFF); }
int16_t y_of(uint64_t screen) { return static_cast<int16_t>(screen >> 16); }

// The characters of `n` text cells from a watched value (attribute bytes
// dropped, a blank cell as ' ').
std::string cells(uint64_t value, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        const char ch = static_cast<char>(value >> (16 * i) & 0xFF);
        s += ch ? ch : ' ';
    }
    return s;
}

// The notice in mode 0 types as in mode 24 but offers no join: the coin is
// counted, button 1 starts nothing; the title follows. Mode 6, poked on the
// title, returns to the title's start in one frame, clearing the text layer.
TEST(FlowRun, TheNoticeOfModeZeroOffersNoJoinAndModeSixGoesBackToTheTitle) {
    const auto& out = flow_run();
    std::vector<uint64_t> modes;
    for (const auto& c : out.changes_in(var::game_mode, kNoticeZero, kShift + 2)) modes.push_back(c.value);
    EXPECT_EQ(modes, (std::vector<uint64_t>{mode(0, 0), mode(0, 3), mode(0, 6), mode(0, 9), mode(3, 0),
                                            mode(3, 3), mode(3, 6), mode(6, 0), mode(3, 0), mode(3, 3)}));
    EXPECT_EQ(out.first_frame(var::game_mode, mode(0, 0)), kNoticeZero + 1);
    EXPECT_EQ(out.first_frame(var::game_mode, mode(6, 0)), kBackToTitle + 1);
    EXPECT_EQ(out.first_frame(var::game_mode, mode(3, 0), kBackToTitle), kShift + 1);
    EXPECT_EQ(out.value_at(hw::layer_control, kNoticeZero + 2) & 0x8000, 0x8000u) << "the wide screen";
    EXPECT_EQ(out.value_at(kNoticeFirst, kNoticeZero + 2) & 0xFFFF, 0x0200u | 'N');
    EXPECT_EQ(out.value_at(kCredits, kNoJoin), 1u) << "the coin counted";
    EXPECT_EQ(out.value_at(kCredits, kJoin - 1), 1u) << "and kept";
    EXPECT_EQ(out.value_at(kCredits, kJoin + 3), 0u) << "spent by the join from the slot reset";
    EXPECT_TRUE(out.changes_in(kSlot0 + ob::routine, 2, kJoin).empty()) << "every slot idle until the join";
}

// The notice poked on the title types its records one character a frame on
// the wide screen, 6 cells right of their places, with the cursor behind the
// last character; the cursor then blinks every 6 frames for 360 frames, and
// the fade out returns to the title on the 320-pixel screen.
TEST(FlowRun, TheTypedNoticeIsTypedOnTheWideScreen) {
    const auto& out = flow_run();
    const uint64_t start = out.first_frame(var::game_mode, mode(24, 0));
    ASSERT_EQ(start, kNotice + 1);
    const uint64_t typing = out.first_frame(var::game_mode, mode(24, 3), start);
    const uint64_t blinking = out.first_frame(var::game_mode, mode(24, 6), start);
    const uint64_t fading = out.first_frame(var::game_mode, mode(24, 9), start);
    const uint64_t title = out.first_frame(var::game_mode, mode(3, 0), start);
    EXPECT_EQ(typing, start + 1);
    // "NOTICE", "THIS SET IS MADE UP", "FOR TESTS ONLY": the first character
    // of each record comes in the frame its record starts.
    EXPECT_EQ(blinking - typing, 6u + 19 + 14);
    EXPECT_EQ(fading - blinking, 360u);
    EXPECT_EQ(title, fading + 1);
    EXPECT_EQ(out.value_at(hw::layer_control, start) & 0x8000, 0u);
    EXPECT_EQ(out.value_at(hw::layer_control, typing) & 0x8000, 0x8000u);
    EXPECT_EQ(out.value_at(hw::layer_control, fading) & 0x8000, 0x8000u);
    EXPECT_EQ(out.value_at(hw::layer_control, title) & 0x8000, 0u);
    // The first record's first character with its attribute, the cursor cell
    // after it; then its next character over the cursor.
    EXPECT_EQ(out.value_at(kNoticeFirst, typing), 0x005F0000u | 0x0200 | 'N');
    EXPECT_EQ(out.value_at(kNoticeFirst, typing + 1) & 0xFFFF, 0x0200u | 'N');
    EXPECT_EQ(out.value_at(kNoticeFirst, typing + 1) >> 16, 0x0200u | 'O');
    EXPECT_EQ(out.value_at(kNoticeLast, blinking), 'F') << "the last record has attribute 0";
    // The cursor: on after the last character, then off and on every 6 frames.
    const auto cursor = out.changes_in(kNoticeCursor, blinking - 1, fading - 1);
    ASSERT_GE(cursor.size(), 60u);
    EXPECT_EQ(cursor.front().value, 0x5Fu);
    for (size_t i = 1; i < cursor.size(); ++i) {
        EXPECT_EQ(cursor[i].frame - cursor[i - 1].frame, i == 1 ? 1u : 6u) << i;
        EXPECT_EQ(cursor[i].value, i % 2 ? 0u : 0x5Fu) << i;
    }
    EXPECT_EQ(out.value_at(kNoticeFirst, title), 0u) << "the text layer is cleared";
}

// On the title's background scene player 1 enters the hidden sequence after
// one wrong press: the watcher prints its text and the settings revision's
// low byte in hexadecimal (leading zero blank) once the last press is in.
TEST(FlowRun, TheHiddenSequenceShowsTheRevision) {
    const auto& out = flow_run();
    const uint64_t shown = out.first_frame(kSequenceText, 0x0500 | 'R');
    ASSERT_NE(shown, 0u);
    EXPECT_GT(shown, kSequence + 40);
    EXPECT_LE(shown, kSequence + 43);
    const unsigned revision = out.value_at(kRevision, shown) & 0xFF;
    const char* hex = "0123456789ABCDEF";
    const uint64_t high = revision >> 4 ? uint64_t(hex[revision >> 4]) : 0;
    EXPECT_EQ(out.value_at(kRevisionDigits, shown), high | uint64_t(hex[revision & 15]) << 16);
    const auto watcher = objects_with(out, entry::sub_077971, shown);
    ASSERT_EQ(watcher.size(), 1u);
    EXPECT_EQ(out.value_at(watcher[0] + ob::routine, shown), entry::sub_077971);
    EXPECT_EQ(out.value_at(watcher[0] + ob::routine, shown - 1), entry::sub_07792B);
}

// Scenes 1 to 4 come one after another, each started by the poke in the
// scene before: the index goes 2, 3, 4, 0; scene 1 has no text, its
// drop-in sprite starts below the top and stops at 0 at once; scene 2
// prints three lines (the first with its attribute 4), scene 3 one line
// (attribute 5), scene 4 two lines (attribute 6), 151, 153 and 155 frames
// after their set-up; scene 4's drop-in sprite falls from 200 pixels up.
TEST(FlowRun, PresentationScenesOneToFourShowTheirOwnTexts) {
    const auto& out = flow_run();
    uint64_t start[5] = {out.first_frame(var::game_mode, mode(21, 0))};
    for (int k = 1; k < 5; ++k) start[k] = out.first_frame(var::game_mode, mode(21, 0), kScenes[k - 1]);
    for (int k = 1; k < 5; ++k) {
        ASSERT_EQ(start[k], kScenes[k - 1] + 1) << "scene " << k;
        EXPECT_EQ(out.value_at(var::presentation_index, start[k] + 1), uint64_t((k + 1) % 5))
            << "scene " << k;
    }
    struct line {
        int scene, row;
        uint64_t after, cell;
    };
    const line lines[] = {{2, 0, 151, 0x0400 | 'S'}, {2, 1, 153, 'M'},          {2, 2, 155, 'L'},
                          {3, 0, 151, 0x0500 | 'S'}, {4, 0, 151, 0x0600 | 'F'}, {4, 1, 153, 'B'}};
    for (const auto& l : lines) {
        const uint32_t address = kSceneLine + 128 * l.row;
        EXPECT_EQ(out.value_at(address, start[l.scene] + l.after - 1), 0u) << l.scene << " " << l.row;
        EXPECT_EQ(out.value_at(address, start[l.scene] + l.after), l.cell) << l.scene << " " << l.row;
    }
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(out.value_at(kSceneLine + 128 * row, start[1] + 1), 0u)
            << "scene 1 starts on a clear text layer";
        for (const auto& c : out.changes_in(kSceneLine + 128 * row, start[1] + 1, start[2] - 1))
            EXPECT_EQ(c.value, 0u) << "scene 1 prints nothing, row " << row << ", frame " << c.frame;
    }
    EXPECT_EQ(out.value_at(kSceneLine + 128, start[4] - 1), 0u) << "scene 3 has one line";

    // Drop-in sprites: scene 1's at y 40, then 0 when it first falls;
    // scene 4's from -200 in steps of 8 to 0.
    auto drop_ys = [&](int k) {
        std::vector<int> ys;
        for (uint32_t o : objects_with(out, entry::sub_081D57, start[k] + 1))
            for (const auto& c :
                 out.changes_in(o + ob::screen_x, start[k] + 1, k < 4 ? start[k + 1] - 1 : kSlotReset))
                if (out.value_at(o + ob::routine, c.frame) == entry::sub_081D57) ys.push_back(y_of(c.value));
        return ys;
    };
    EXPECT_EQ(drop_ys(1), (std::vector<int>{40, 0}));
    std::vector<int> falling;
    for (int y = -200; y <= 0; y += 8) falling.push_back(y);
    EXPECT_EQ(drop_ys(4), falling);
    // Scene 2's emitter (from its actor list) sends a particle a frame at
    // its 16 places in turn.
    EXPECT_GE(objects_with(out, entry::sub_08A876, start[2] + 1).size(), 1u);
    std::vector<int> places;
    for (const auto& c : out.pool_changes(kPool128, ob::state, start[2] + 1, start[3] - 1))
        if (out.value_at(c.address - ob::state + ob::routine, c.frame) == entry::sub_08A8DD)
            places.push_back(int(c.value >> 8));
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    EXPECT_EQ(places.size(), 16u);
}

// The slot reset poked during scene 4 puts every slot idle and stays in its
// sub-mode 3 until a join: the coin and button 1 start the game from there
// in the frame of the press.
TEST(FlowRun, TheSlotResetHoldsUntilAJoinStartsTheGame) {
    const auto& out = flow_run();
    const uint64_t reset = out.first_frame(var::game_mode, mode(18, 0));
    ASSERT_EQ(reset, kSlotReset + 1);
    const uint64_t game = out.first_frame(var::game_mode, mode(15, 0), reset);
    EXPECT_EQ(out.first_frame(var::game_mode, mode(18, 3), reset), reset + 1);
    EXPECT_EQ(out.changes_in(var::game_mode, reset + 2, game - 1).size(), 0u) << "the mode stays";
    EXPECT_EQ(out.value_at(kSceneLine, reset + 1), 0u) << "the text layer is cleared";
    EXPECT_EQ(out.value_at(kSlot0 + ob::routine, game - 1), entry::sub_063514);
    EXPECT_EQ(out.value_at(kSlot0 + ob::routine, game), entry::sub_0638B4);
    EXPECT_EQ(game, kJoin + 3) << "button 1 pressed at the frame's end is seen in the next frame's inputs";
}

// Stage 1's intro: the flow waits in state 13 for the controller's 90
// frames; the title's two lines come 30 frames after the actors were made;
// the banner ticks at the intro's start; the two growing actors grow to their
// limits after their delays; the delayed sprite shows after its 40 frames;
// the arc actor flies in and ends at (300, 100) on frame 7; the sound
// sequence plays its two codes and ends.
TEST(FlowRun, TheStageIntroPlaysEveryActor) {
    const auto& out = flow_run();
    const uint64_t made = out.first_frame(var::ingame_state, flow_state::stage_fade_in,
                                          kJoin);  // states 9 and 10 share their last frame
    const uint64_t intro = out.first_frame(var::ingame_state, flow_state::stage_intro, kJoin);
    ASSERT_NE(intro, 0u);
    EXPECT_EQ(out.first_frame(var::ingame_state, flow_state::intro_fade_out, intro) - intro, 89u);
    EXPECT_EQ(out.value_at(kStageTitle, made + 30 - 1), 0u);
    EXPECT_EQ(cells(out.value_at(kStageTitle, made + 30), 2), "ST");
    EXPECT_EQ(out.value_at(kStageTitle, made + 30) & 0xFF00, 0x0600u);
    EXPECT_EQ(cells(out.value_at(kStageTitle + 128, made + 30), 2), "TH");

    auto one = [&](uint32_t routine) {
        const auto v = objects_with(out, routine, intro + 1);
        EXPECT_EQ(v.size(), 1u) << std::hex << routine;
        return v.empty() ? 0u : v[0];
    };
    const uint32_t banner = one(entry::sub_0898B1), delayed = one(entry::sub_089ABE),
                   arc = one(entry::sub_089BBF), sound = one(entry::sub_089D23);
    const auto growing = objects_with(out, entry::sub_0899DB, intro + 1);
    ASSERT_EQ(growing.size(), 2u);
    const uint64_t end =
        out.first_frame(var::ingame_state, flow_state::area_start, intro);  // the area start frees them
    EXPECT_EQ(state_at(out, banner, intro), 2);
    EXPECT_EQ(state_at(out, sound, end - 1), 4);
    EXPECT_EQ(out.first_frame(delayed + ob::state, 3, intro), intro + 39);
    // Part sizes: height in the low word, width in the high word.
    std::vector<uint64_t> sizes;
    for (uint32_t o : growing) sizes.push_back(out.value_at(o + kPartWords, end - 1));
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<uint64_t>{0x00200030, 0x00300020}));
    EXPECT_EQ(out.value_at(arc + ob::screen_x, end - 1), uint64_t(100) << 16 | 300);
    EXPECT_EQ(state_at(out, arc, end - 1), 3);
}

// The results after stage 1 (two slots in play): per slot the heading, the
// count line with the category-10 count, an icon for each listed category
// the slot defeated, the stage bonus (12 x 1,000 + 40 x 20 = 12,800 for
// slot 0; 30 defeated cap slot 1's at 30,000) added to the score, and the
// energy bonus of the rank (slot 1 best: 100; slot 0 second: 60) added to
// the energy and the shown energy. Once both are out the flow waits 300
// frames, which button 1 cuts to 1; the best portrait stays and animates,
// the other falls off the screen.
TEST(FlowRun, TheResultsShowEveryLineAndBonus) {
    const auto& out = flow_run();
    const uint64_t results = out.first_frame(var::ingame_state, flow_state::results, kStageClear);
    ASSERT_NE(results, 0u);
    for (int slot = 0; slot < 2; ++slot) {
        const uint32_t origin = kOrigin[slot], record = slot ? kSlot1 : kSlot0;
        EXPECT_EQ(out.value_at(origin, kFrames), 0x0200u | 'P') << slot;
        EXPECT_EQ(out.value_at(origin + kCountLine, kFrames), 0x0300u | 'X') << slot;
        EXPECT_EQ(cells(out.value_at(origin + kCountDigits, kFrames), 3), slot ? "  5" : " 40");
        EXPECT_EQ(out.value_at(origin + kBonusLine, kFrames), 0x0400u | 'B') << slot;
        EXPECT_EQ(cells(out.value_at(origin + kBonusDigits, kFrames), 4) +
                      cells(out.value_at(origin + kBonusDigits + 8, kFrames), 2),
                  slot ? " 30000" : " 12800");
        EXPECT_EQ(out.value_at(origin + kEnergyLine, kFrames), 0x0500u | 'L') << slot;
        EXPECT_EQ(cells(out.value_at(origin + kEnergyDigits, kFrames), 3), slot ? "100" : " 60");
        const uint64_t bonus = slot ? 30000 : 12800, energy = slot ? 100 : 60;
        EXPECT_EQ(out.value_at(record + player_record::score, kFrames),
                  out.value_at(record + player_record::score, results - 1) + bonus)
            << slot;
        EXPECT_EQ(out.value_at(record + ob::energy, kFrames),
                  out.value_at(record + ob::energy, results - 1) + energy)
            << slot;
        EXPECT_EQ(out.value_at(record + player_record::shown_energy, kFrames),
                  out.value_at(record + player_record::shown_energy, results - 1) + energy)
            << slot;
    }
    // The lines come in order, 20 frames apart but for the icons' wait of
    // 7 x 32 + 20 frames.
    const uint64_t count = out.first_frame(kOrigin[0] + kCountLine, 0x0300 | 'X', results);
    EXPECT_EQ(out.first_frame(kOrigin[0] + kBonusLine, 0x0400 | 'B', results) - count, 20u + 7 * 32 + 20);
    EXPECT_EQ(out.first_frame(kOrigin[0] + kEnergyLine, 0x0500 | 'L', results) - count,
              20u + 7 * 32 + 20 + 20);

    // Icons by slot (the owner's type) and category, each appearing (state 2)
    // 32 frames per list position after the first.
    const int position[10] = {0, 1, 2, 3, -1, 4, 5, -1, 6, -1};
    std::vector<int> icons[2];
    const auto all = objects_with(out, entry::sub_0848BF, kFrames);
    uint64_t first = 0;
    for (uint32_t o : all) {
        const uint64_t shown =
            out.first_frame(o + ob::state, uint64_t(type_at(out, o, kFrames)) << 8 | 2, results);
        if (!first || shown < first) first = shown;
    }
    for (uint32_t o : all) {
        const int category = type_at(out, o, kFrames);
        const uint64_t shown = out.first_frame(o + ob::state, uint64_t(category) << 8 | 2, results);
        ASSERT_GE(category, 0);
        ASSERT_LT(category, 10);
        EXPECT_EQ(shown - first, uint64_t(32 * position[category])) << category;
        const int16_t x = x_of(out.value_at(o + ob::screen_x, kFrames));
        icons[x >= 80 ? 1 : 0].push_back(category);
    }
    for (auto& v : icons) std::sort(v.begin(), v.end());
    EXPECT_EQ(icons[0], (std::vector<int>{0, 2, 3, 5, 8}))
        << "slot 0: no icon for 1 and 6 (none) or 4, 7, 9 (unlisted)";
    EXPECT_EQ(icons[1], (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(objects_with(out, entry::sub_084962, kFrames).size(), 2u) << "a bonus icon a slot";
    EXPECT_EQ(objects_with(out, entry::sub_084B18, kFrames).size(), 1u) << "the title graphic";

    // The flow's wait: 300 once both are out, 1 at the button.
    const uint64_t out_all = out.first_frame(var::flow_countdown, 300, results);
    ASSERT_NE(out_all, 0u);
    EXPECT_EQ(out.first_frame(var::flow_countdown, 1, out_all), kButton + 3);
    EXPECT_EQ(out.value_at(var::ingame_state, kFrames), 36u)
        << "the results end; the run stops before stage 2";

    // Portraits: slot 1's animates (state 4), slot 0's falls and goes (state 1
    // once its y passes 256).
    const auto portraits = objects_with(out, entry::sub_0847BE, kFrames);
    ASSERT_EQ(portraits.size(), 2u);
    for (uint32_t o : portraits) {
        const int slot = type_at(out, o, kFrames);
        const uint64_t settled = out_all + 2;
        if (slot == 1) {
            EXPECT_EQ(state_at(out, o, settled), 4);
        } else {
            EXPECT_EQ(state_at(out, o, settled), 5);
            EXPECT_EQ(state_at(out, o, kFrames), 1);
            const auto places = out.values_of(o + ob::screen_x);
            ASSERT_GE(places.size(), 2u);
            EXPECT_GE(y_of(places.back()), 256);
        }
    }
}

// The checkpoints are the same with the sound board's time cut into 1, 7 and
// 1,000 slices per stretch, and match the recorded table.
constexpr const char* kExpected = R"(
300 9EA13CA5E5097CF5 531415B02AA13F24 B71A77EB03BB7266 DFCC2F4925104A85 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0FD4A7E3F15E66B5 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 04E5D4ACAF556F93 B93A0C83CE3B6325 B93A0C83CE3B6325 E7ECB8184E7A2C46
600 68F889A29910B8ED 9CCC4EE83C9C896D 4848373FD16BB847 DFCC2F4925104A85 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C11DA13A3CC27CD4 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 F7257C0616B26784 B93A0C83CE3B6325 B93A0C83CE3B6325 2BEFF781A754C295
900 ACA54EC0868B2605 503D1CDADD266AE0 0C41D724D76F43BE DFCC2F4925104A85 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 657A9B7BAF31F124 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 754ADF2B9506B110 B93A0C83CE3B6325 B93A0C83CE3B6325 B610E412D7FF21D4
1200 551FA7761238E86D 4788876B321E3DA2 2CA1E265DACEBE36 D544CBBF931B2338 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B4E469A5A5C22252 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 14917ACEE7B266CF 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 6DA71BE383FBFE23 B93A0C83CE3B6325 B93A0C83CE3B6325 73439BE716D1A8AB
1500 28A3BB13E854EC5D 8C6F1C0E3FCECD17 52E97EAE02D92933 00785C22CF9F3893 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 1D8078785DA19B53 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 835DFDF3DE978A19 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 6DA71BE383FBFE23 B93A0C83CE3B6325 B93A0C83CE3B6325 8BEE990EE1135C5A
1800 59C44365E443D11D 4CAEBADE3BBE3B9A B9668B82A22A88C6 4A3C3136D7281576 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 261A621978EBF6DB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F5F1552C374E2E64 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 6DA71BE383FBFE23 B93A0C83CE3B6325 B93A0C83CE3B6325 698020BD7CE562F7
2100 64730937F12724A5 D6190A8F27AE73A1 379B51E783A51EDC 11EB16404748A90C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 CAAA515868177B27 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 802BAECCCCACBEC5 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 6DA71BE383FBFE23 B93A0C83CE3B6325 B93A0C83CE3B6325 D45E5451D724933F
2400 0A3DC65906B0FB55 C310A9D92D3A4089 542DF7C240E71E96 3A104B91A010498D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0D14D2269D542012 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 43E466DAE7A223E6 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 6DA71BE383FBFE23 B93A0C83CE3B6325 B93A0C83CE3B6325 CED76663E345363C
2700 ED40DC4A6C4FC325 AB40D7772FFD8D03 5BF859C8CB309A6A 587621E08D8F2AB4 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0D14D2269D542012 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 274516DF06E8D152 6D7598A010D7745A 9D3D0D0AB21F51BD B93A0C83CE3B6325 6DA71BE383FBFE23 B93A0C83CE3B6325 B93A0C83CE3B6325 E6F99CCA73EBB52F
3000 26C7BF1224E33905 93AB9E05112ACB02 F7858B9475C9DCDA 344F7A3778D2730F B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 90E7E51D145DC53E B93A0C83CE3B6325 B93A0C83CE3B6325 8AF61DDF963C9EBF 6A48995240387DCF CB45A01F306CB244 1007286954BF440F B93A0C83CE3B6325 008E2CEBA719859A B93A0C83CE3B6325 B93A0C83CE3B6325 E5748F932A936157
3300 6896B67C3095952D 6014A1D812D39BCA C2FE2639200339A6 7067E1B9E892F362 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 114BA9F7FD3E9C12 B93A0C83CE3B6325 B93A0C83CE3B6325 465BC617DC36367A 54BE56BA8499BDC4 C95D97B512CE72AA F68B17ABA550306D B93A0C83CE3B6325 008E2CEBA719859A B93A0C83CE3B6325 B93A0C83CE3B6325 1ED96ACED802FC64
)";

TEST(FlowRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, flow_run(),
                                            [&](int slices) { return r.run(flow_options(slices)); }),
              "");
}

}  // namespace
