// The game paths that end a run because their continuation has no translated
// code: each is reached on purpose in a whole-program run, which must end
// with status 3, the runtime's message naming the guest addresses and the
// frame, and the EEPROM saved first although the run never reached an
// autosave or a normal shut-down.
//
// Every run starts the same way, on inputs alone: a coin and player 1's
// button join a game from the title, the button takes a character, and the
// stage intro, the first area and the character's appearance follow. Each
// case then adds the inputs, or the pokes standing in for what the data set
// has no way to raise (an enemy's hits, the area's end, the fourth stage,
// a special that needs button 2), that lead to its path.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "game/actors/vars.h"
#include "game/engine/object.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/play_script.h"
#include "tests/support/synthetic_rom.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;
namespace br = backup_record;

// ---- the EEPROM the runs start from ----

// The CRC of a settings record, the record being its first byte.
uint16_t record_crc(const uint8_t* record) { return whole_run::backup_crc(record + br::flip_screen); }

constexpr uint32_t kSavesBefore = 5;

uint16_t get16(const std::vector<uint8_t>& v, size_t at) { return uint16_t(v[at] | v[at + 1] << 8); }
uint32_t get32(const std::vector<uint8_t>& v, size_t at) {
    return get16(v, at) | uint32_t(get16(v, at + 2)) << 16;
}

// Two slots on one coin chute, a coin a credit, one credit to start and to
// continue, button 1 joins, difficulty 3, 300 energy. The primary copy is
// intact; the spare's CRC no longer matches (its difficulty byte differs),
// so the game's start-up rewrites the EEPROM: dirty from the first frame,
// with the first autosave due only at frame 600.
std::vector<uint8_t> starting_eeprom(bool chute_per_player = false) {
    auto image = whole_run::settings_eeprom([chute_per_player](uint8_t* record) {
        record[br::save_count] = kSavesBefore;
        record[br::chute_per_player] = chute_per_player ? 1 : 0;
    });
    image[br::spare + br::difficulty] ^= 1;
    return image;
}

// ---- the runs ----

// Shared by every case: a coin and player 1's button join a game from the
// title, the same button takes a character, the stage intro and the area's
// start run, and the character appears (frames 309 to 436); the cases act
// while it appears, the controller already running.
constexpr const char* kIntoPlay =
    "100 press coin1\n"
    "+30 press button1\n"
    "140 press button1\n";

using play_script::poke;

// Slot 0 out at frame 340: energy 0 and the last frame of the defeat.
const std::string kSlot0Out = poke(340, var::player_records + ob::energy, 0x00) +
                              poke(340, var::player_records + ob::energy + 1, 0x00) +
                              poke(340, var::player_records + player_record::state_timer, 0x01) +
                              poke(340, var::player_records + ob::state, 0x13);

struct ending {
    const char* name;
    std::string script;   // what leads to the path after the common start
    const char* message;  // regular expression of the runtime's lines; (\d+) = the frame
    uint32_t watched;     // a guest value the path passes through on the way...
    int bytes;            // ... its width (0 = none) ...
    uint64_t value;       // ... and its value at the last frame end before the run ended
    bool next_frame;      // the run ends in the frame right after it took that value
    // The EEPROM gives each player a coin chute of his own (credits into
    // energy during play); the frames before the path then differ from the
    // other cases'.
    bool chute_per_player = false;
};

constexpr const char* kUnwoundAt0635E5 =
    "The task started at FFFFF0 came to its end at 0635E5 \\(frame (\\d+)\\)\n"
    "The last call that came back past its caller: from 0600E7, to 0635E5 instead of 0600EA\n";

const ending kEndings[] = {
    // A second player puts a coin in and presses button 1 while slot 0 plays.
    {"JoinDuringPlay", "340 press coin1\n350 press button2\n", kUnwoundAt0635E5, var::credit_records, 1, 1,
     false},  // the second coin counted as a credit
    // The player is out (energy 0 and the last frame of the defeat, standing
    // for the hits an enemy would land) and continues with a coin and button 1.
    {"ContinueDuringPlay", kSlot0Out + "360 press coin1\n380 press button1\n", kUnwoundAt0635E5,
     var::player_records + ob::routine, 4, entry::sub_063799, false},  // the continue countdown
    // The same after a press of button 1 with no credit (the join's coin is
    // spent): the countdown is cut to the start of its current second.
    {"ContinueWithoutCredit", kSlot0Out + "360 press button1\n380 press coin1\n400 press button1\n",
     kUnwoundAt0635E5, var::player_records + player_record::timer, 2, 1162,
     false},  // the countdown (cut at 360, below)
    // The three area changes, each requested by its system_flags bit as the
    // terrain, the camera or an area's end would.
    {"AreaChangeByTerrain", poke(340, var::system_flags + 1, 0x02),
     "No translated code starts at 063A0A \\(frame (\\d+)\\)\n", 0, 0, 0, false},
    {"AreaChangeByZoom", poke(340, var::system_flags + 1, 0x04),
     "No translated code starts at 063A88 \\(frame (\\d+)\\)\n", 0, 0, 0, false},
    {"AreaChangeWithFade", poke(340, var::system_flags + 2, 0x02),
     "No translated code starts at 063B91 \\(frame (\\d+)\\)\n", var::ingame_state, 1,
     flow_state::fade_change_area, true},  // faded out
    // The last stage cleared (stage 4 and the clear request poked): results,
    // their 1200-frame wait cut short, then the ending.
    {"Ending",
     poke(340, var::stage, 0x04) + poke(340, var::system_flags + 1, 0x01) +
         poke(390, var::flow_countdown, 0x02) + poke(390, var::flow_countdown + 1, 0x00),
     "No translated code starts at 063805 \\(frame (\\d+)\\)\n", var::ingame_state, 1, flow_state::ending,
     true},
    // The game ends (system_flags bit 7) while a slot still plays, on a menu
    // scene (stage 0).
    {"GameOverAtStageZero",
     poke(340, var::stage, 0x00) + poke(340, var::area, 0x00) + poke(340, var::system_flags, 0x80),
     "No translated code starts at 08A3C9 \\(frame (\\d+)\\)\n", var::ingame_state, 1, flow_state::game_over,
     true},
    // The area marked as one with placed objects (game_flags bit 12) after its
    // start and before the player is placed: the appearance hands over to that
    // area's controller in the set-up's frame.
    {"PlacedObjectArea", poke(306, var::game_flags + 1, 0x10),
     "The task started at FFFFF0 came to its end at 0651D1 \\(frame (\\d+)\\)\n"
     "The last call that came back past its caller: from 0600E7, to 0651D1 instead of 0600EA\n",
     var::player_records + ob::routine, 4, entry::sub_063955, true},  // the set-up, next after placement
    // Stage 2's area 2, a placed-object area (the stage and area bytes set
    // before the first area starts: every change of area ends a run, so no
    // input reaches an even area). Its spawn generator spawns by window:
    // the stalker inside the window around the camera is set up, counted as
    // a live enemy, and the record beyond it waits; then the player's
    // appearance hands over to the placed-object areas' controller.
    {"WindowSpawnsInAPlacedObjectArea", poke(303, var::stage, 0x02) + poke(303, var::area, 0x01),
     "The task started at FFFFF0 came to its end at 0651D1 \\(frame (\\d+)\\)\n"
     "The last call that came back past its caller: from 0600E7, to 0651D1 instead of 0600EA\n",
     var::live_enemy_count, 1, 1, false},  // the stalker, the one live enemy
    // The same through the start of an even area, with its placed objects and
    // its object list (the player indicators' starter, two touch objects and
    // the drifting object): the area byte set to 1 before the first area
    // starts, which makes it area 2. The zoom change that leads to an even
    // area in play first gives every slot in play an area-change routine
    // with no translated code, so no run plays into one. The players have a
    // coin chute each: the credits-into-energy check runs for the slot in
    // play every frame from the area start; slot 0 takes its credits from
    // chute 2, the first for the join, the second into energy.
    {"EvenAreaStart", std::string("110 press coin2\n200 press coin2\n") + poke(303, var::area, 0x01),
     "The task started at FFFFF0 came to its end at 0651D1 \\(frame (\\d+)\\)\n"
     "The last call that came back past its caller: from 0600E7, to 0651D1 instead of 0600EA\n",
     var::player_records + ob::energy, 2, 600, false, true},  // the second coin turned into energy
    // The special's launch state (the control script has no button 2 to
    // start the special with): the object is launched, runs its first frame
    // and ends the run on its second.
    {"SpecialLaunchesAnObject", poke(340, var::player_records + ob::state, 0x16),
     "No translated code starts at 07807D \\(frame (\\d+)\\)\n", var::player_records + ob::state, 1, 23,
     true},  // launched
    // The same object, the first character's carried box, hits the stalker
    // beside the player at once (energy and points, no reaction): the hit
    // scores in the launch frame, the run ends in the next.
    {"CarriedBoxScoresItsHit", poke(340, var::player_records + ob::state, 0x16),
     "No translated code starts at 07807D \\(frame (\\d+)\\)\n", var::player_records + player_record::score,
     4, 10, true},
    // The fourth character's special (the character poked as the beam's and
    // the sweep's below), the wave, placed beside the player: its first box
    // (16-bit words, grown to its first size) hits the stalker with the hit
    // effect, which scores.
    {"SpecialLaunchesAWave",
     poke(340, var::player_records + player_record::character, 0x03) +
         poke(340, var::player_records + ob::state, 0x16),
     "No translated code starts at 07820E \\(frame (\\d+)\\)\n", var::player_records + player_record::score,
     4, 10, true},
    // The same from the special's first state (its effect, its strike, then
    // the launch), with the second character (a beam: its fragments run
    // their first frame beside it) and the third (a sweep that follows the
    // player's animation).
    {"SpecialLaunchesABeam",
     poke(340, var::player_records + player_record::character, 0x01) +
         poke(340, var::player_records + ob::state, 0x14),
     "No translated code starts at 077D29 \\(frame (\\d+)\\)\n", var::player_records + ob::state, 1, 23,
     true},
    {"SpecialLaunchesASweep",
     poke(340, var::player_records + player_record::character, 0x02) +
         poke(340, var::player_records + ob::state, 0x14),
     "No translated code starts at 078179 \\(frame (\\d+)\\)\n", var::player_records + ob::state, 1, 23,
     true},
    // States no branch table holds, as damaged work RAM would give them: the
    // in-game flow's and the player controller's.
    {"InGameStateOutOfRange", poke(340, var::ingame_state, 0x3B),
     "Jump from 06224F to 062303 has no translated target \\(frame (\\d+)\\)\n", 0, 0, 0, false},
    {"PlayerStateOutOfRange", poke(340, var::player_records + ob::state, 0x3B),
     "Jump from 063F5D to 064011 has no translated target \\(frame (\\d+)\\)\n", 0, 0, 0, false},
};

// The frames before the paths part: the same for every case, whatever its
// time slicing.
const char* const kCommonCheckpoints = R"(
100 317D699BB65C72F5 1478C71826EC9FB2 89658A48DB5F6BCE 323F1854711E56EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 BC812AE64476BB86 EA530513EDD69537 9D3D0D0AB21F51BD B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 069516E9CC0B40CE
200 6EF60BD3001C351D EA19035CD894F4A7 C922840279FC6FBF DFB7A1EAF95DBF82 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 41045F6E48D6B86C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 ABAEE71A5BD299B4 843F07CCA2365428 F3B81C8846662934 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 2F1228B7A50AC7F0
300 95A87BCE28D2F58D 314543A76CD5D255 7D5F8FF3DA9E9066 D0CF85843595810A B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 41045F6E48D6B86C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8666733265BC846A 0BDBB47E52EE190A F3B81C8846662934 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 1E33756C6A551E62
)";

whole_run::options ending_options(const ending& e, int slices) {
    // 590 frames: the run ends before the first autosave at frame 600.
    whole_run::options o = whole_run::run_options(std::string(kIntoPlay) + e.script, 590, 100, slices, 120);
    o.eeprom = starting_eeprom(e.chute_per_player);
    o.watch = {{var::game_mode, 1}, {var::game_flags, 1}};
    if (e.bytes) o.watch.push_back({e.watched, e.bytes});
    return o;
}

const whole_reach::listed kReach("run endings", [](whole_run::runner& r) {
    std::vector<whole_run::outcome> out;
    for (const ending& e : kEndings) out.push_back(r.run(ending_options(e, 1)));
    return out;
});

class RunEndings : public ::testing::TestWithParam<size_t> {};

TEST_P(RunEndings, EndsWithItsMessageAfterSavingTheEeprom) {
    const ending& e = kEndings[GetParam()];
    static constexpr int kSlices[] = {1, 7, 1000};
    whole_run::runner r(IRONBELL_PROBE_EXE);
    const auto out = r.run(ending_options(e, kSlices[GetParam() % 3]));

    EXPECT_EQ(out.status, 3) << out.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out.err, m, std::regex(e.message))) << out.err;
    const uint64_t frame = std::stoull(m[1].str());
    EXPECT_GT(frame, 306u) << "in play";
    EXPECT_LT(frame, 590u) << "before the frame limit and the autosave";

    // A game was started by the join from the title: game mode 15, slot 0.
    EXPECT_EQ(out.values_of(var::game_mode), (std::vector<uint64_t>{3, 15})) << out.err;
    const auto slots = out.values_of(var::game_flags);
    ASSERT_FALSE(slots.empty());
    EXPECT_EQ(slots.back() & 0x0F, 1u) << "slot 0 in play to the end";
    if (e.bytes) {
        const auto values = out.values_of(e.watched);
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(values.back(), e.value) << std::hex << e.watched;
        // Frame numbers count finished frames: the frame that ends the run is
        // the one after the last frame end seen.
        if (e.next_frame) {
            EXPECT_EQ(out.frames_of(e.watched).back(), frame);
        }
    }
    // The frames before the paths part are every case's (from the same EEPROM).
    if (!e.chute_per_player) {
        auto cps = out.checkpoints;
        cps.erase(std::remove_if(cps.begin(), cps.end(), [](const auto& c) { return c.frame > 300; }),
                  cps.end());
        auto expected = whole_run::parse_checkpoints(kCommonCheckpoints);
        expected.erase(std::remove_if(expected.begin(), expected.end(),
                                      [frame](const auto& c) { return c.frame >= frame; }),
                       expected.end());
        EXPECT_EQ(whole_run::first_difference(expected, cps), "") << whole_run::format_checkpoints(cps);
    }

    // The start-up's repair was saved on the way out: the spare copied from
    // the primary, the save counted, the settings kept.
    ASSERT_TRUE(out.eeprom.has_value()) << "no EEPROM file";
    const auto& ee = *out.eeprom;
    ASSERT_EQ(ee.size(), 128u);
    EXPECT_TRUE(std::equal(ee.begin(), ee.begin() + br::spare, ee.begin() + br::spare)) << "spare repaired";
    EXPECT_EQ(get32(ee, br::save_count), kSavesBefore + 1);
    EXPECT_EQ(get16(ee, br::crc), record_crc(ee.data()));
    EXPECT_EQ(ee[br::difficulty], 3);
    EXPECT_EQ(get16(ee, br::start_energy), 300);
}

const ending& ending_named(const char* name) {
    return *std::find_if(std::begin(kEndings), std::end(kEndings),
                         [name](const ending& c) { return std::string(c.name) == name; });
}

// The press with no credit cuts the countdown once, from its 21st second
// to one frame before its 20th: the countdown runs on a frame at a time
// around it, and the later coin and press join.
TEST(RunEndingsCountdown, APressWithNoCreditCutsTheCountdownToTheStartOfItsSecond) {
    const ending& e = ending_named("ContinueWithoutCredit");
    whole_run::runner r(IRONBELL_PROBE_EXE);
    const auto out = r.run(ending_options(e, 1));
    ASSERT_EQ(out.status, 3) << out.err;
    const auto values = out.values_of(e.watched);
    const auto frames = out.frames_of(e.watched);
    ASSERT_EQ(values.size(), frames.size());
    std::vector<std::pair<uint64_t, uint64_t>> cuts;  // frame, value
    size_t start = 0;
    while (start < values.size() && values[start] != 1260) ++start;
    ASSERT_LT(start, values.size()) << "the countdown starts at 21 seconds";
    for (size_t i = start + 1; i < values.size(); ++i)
        if (values[i] + 1 != values[i - 1]) cuts.push_back({frames[i], values[i]});
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_EQ(cuts[0].second, 20u * 60 + 1);
    EXPECT_GE(cuts[0].first, 360u);
    EXPECT_LT(cuts[0].first, 380u) << "at the press, before the coin";
}

// What the start of area 2 sets up in its few frames before the run ends:
// the placed objects of its list (the synthetic set has none planted, so the
// area's list is read from empty ROM: one placed object after another on a
// rectangle at 0, 0 until the 64-byte pool runs out), each with its window;
// the object list's player indicators, one per slot at its place of the
// layout, the two touch objects waiting, and the drifting object moving
// right at its random speed from 80 steps left of its start; the area's
// music, after which the sound board rings the main processor's sound
// interrupt; and the second coin of chute 2, turned into start energy.
TEST(RunEndingsEvenArea, TheAreaStartSetsUpItsPlacedObjectsIndicatorsAndEffects) {
    const ending& e = ending_named("EvenAreaStart");
    whole_run::options o = ending_options(e, 1);
    constexpr uint32_t kSlot0Credits = var::credit_records + credit_record::size;
    o.watch_pool(whole_run::kPool128, {{ob::state, 1},
                                       {ob::type, 1},
                                       {ob::routine, 4},
                                       {ob::screen_x, 2},
                                       {ob::screen_y, 2},
                                       {ob::world_x, 2}});
    o.watch_pool(whole_run::kPool64, {{ob::state, 1},
                                      {ob::routine, 4},
                                      {placed_object::window_max_x, 2},
                                      {placed_object::window_min_x, 2},
                                      {placed_object::window_max_y, 2},
                                      {placed_object::window_min_y, 2}});
    o.watch.push_back({hw::sound_command, 1});
    o.watch.push_back({kSlot0Credits, 1});
    o.watch.push_back({var::area, 1});
    whole_run::runner r(IRONBELL_PROBE_EXE);
    const auto out = r.run(o);
    ASSERT_EQ(out.status, 3) << out.err;
    const auto ends = out.frames_of(var::area);
    ASSERT_FALSE(ends.empty());
    const uint64_t start = ends.back();  // the frame area 2 started
    ASSERT_EQ(out.value_at(var::area, start), 2u);
    uint64_t last = 0;  // the last frame end seen
    for (const auto& c : out.changes) last = std::max(last, c.frame);

    // The credit of the second coin became start energy at the area start.
    EXPECT_EQ(out.value_at(kSlot0Credits, start - 1), 1u);
    EXPECT_EQ(out.value_at(kSlot0Credits, start), 0u);
    EXPECT_EQ(out.value_at(var::player_records + ob::energy, start), 600u);

    // The 128-byte objects by routine at the last frame end.
    auto with_routine = [&](uint32_t routine) {
        std::vector<uint32_t> v;
        for (uint32_t i = 0; i < whole_run::kPool128.count; ++i)
            if (out.value_at(whole_run::kPool128.object(i) + ob::routine, last) == routine)
                v.push_back(whole_run::kPool128.object(i));
        return v;
    };
    const auto indicators = with_routine(entry::sub_084FA6);
    ASSERT_EQ(indicators.size(), 2u) << "one per slot of the two-slot setting";
    for (uint32_t a : indicators) {
        const uint64_t slot = out.value_at(a + ob::type, last);
        ASSERT_LT(slot, 2u);
        EXPECT_EQ(out.value_at(a + ob::screen_x, last), 40 + 240 * slot) << "slot " << slot;
        EXPECT_EQ(out.value_at(a + ob::screen_y, last), 40u);
    }
    for (auto [routine, type] : {std::pair{entry::sub_0770E0, 55u}, {entry::sub_0771A2, 56u}}) {
        const auto touch = with_routine(routine);
        ASSERT_EQ(touch.size(), 1u) << type;
        EXPECT_EQ(out.value_at(touch[0] + ob::type, last), type);
        EXPECT_EQ(out.value_at(touch[0] + ob::state, last), 1u) << "waiting for a touch";
    }
    const auto drifters = with_routine(entry::sub_077270);
    ASSERT_EQ(drifters.size(), 1u);
    const uint32_t drifter = drifters[0];
    EXPECT_EQ(out.value_at(drifter + ob::type, last), 57u);
    const auto routine_frames = out.frames_of(drifter + ob::routine);
    ASSERT_FALSE(routine_frames.empty());
    const uint64_t set_up = routine_frames.back();  // its first frame
    ASSERT_LT(set_up + 1, last);
    const int16_t x0 = int16_t(out.value_at(drifter + ob::world_x, set_up));
    const int v = int16_t(out.value_at(drifter + ob::world_x, set_up + 1)) - x0;
    EXPECT_GE(v, 13);
    EXPECT_LE(v, 16);
    EXPECT_EQ(x0, -79 * v) << "80 steps left of its start, one step made";
    for (uint64_t f = set_up + 1; f <= last; ++f)
        EXPECT_EQ(int16_t(out.value_at(drifter + ob::world_x, f)), x0 + int(f - set_up) * v) << "frame " << f;

    // The area's one placed object, a rectangle from (400, 480) to (560, 640),
    // in its state 1 with its window of camera places: its far corner plus
    // 320 and its near corner less 1,600 across, its far corner plus 320 and
    // its near corner less 1,216 down (within 80 pixels of the 320 x 224
    // screen).
    std::vector<uint32_t> placed;
    for (uint32_t i = 0; i < whole_run::kPool64.count; ++i)
        if (out.value_at(whole_run::kPool64.object(i) + ob::routine, last) == entry::sub_087A55)
            placed.push_back(whole_run::kPool64.object(i));
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(out.value_at(placed[0] + ob::state, last), 1u);
    EXPECT_EQ(int16_t(out.value_at(placed[0] + placed_object::window_max_x, last)), 560 + 320);
    EXPECT_EQ(int16_t(out.value_at(placed[0] + placed_object::window_min_x, last)), 400 - 1600);
    EXPECT_EQ(int16_t(out.value_at(placed[0] + placed_object::window_max_y, last)), 640 + 320);
    EXPECT_EQ(int16_t(out.value_at(placed[0] + placed_object::window_min_y, last)), 480 - 1216);

    // The area's music reached the sound board, which raised the main
    // processor's sound interrupt; its handler ran.
    EXPECT_EQ(out.value_at(hw::sound_command, last), synthetic::kRaiseCommand);
    EXPECT_TRUE(std::binary_search(out.entered.begin(), out.entered.end(), entry::int_sound));
}

INSTANTIATE_TEST_SUITE_P(Paths, RunEndings, ::testing::Range<size_t>(0, std::size(kEndings)),
                         [](const auto& info) { return std::string(kEndings[info.param].name); });

}  // namespace
