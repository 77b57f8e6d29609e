// A one-player game on the synthetic ROM set whose play ends while its slot
// counts down for a continue: in stage 3 area 2 the spawn generator's only
// boss record (its flags byte negative) sets up a drifting object with its
// parameter byte; once the object has crossed the screen and gone, the area
// is won and the play is over, so the countdown stops at once, the slot
// leaves without its leaving message, and the game is over; the attract
// cycle's score-ranking screen follows.
//
// A second run plays the same area in the attract cycle's demo, which with
// the four-slot setting has no player: once the drifting object has gone and
// the area is won, the camera controller asks for the area change by zoom,
// which the in-game flow takes with no slot in play or out, on to area 3.
//
// A third run is the second with the area change by terrain asked for by a
// poke while area 2 plays: the area goes on to 3 with the playfield zoomed
// out and back in.
//
// Pokes of the first run stand in for what the data of one stage cannot
// raise (the second has none):
// - the player's defeat (energy 0 and the last frame of the defeat, as the
//   run endings poke it): the hits an enemy would land;
// - the stage byte, 3: the synthetic game has one stage of scenery, and no
//   input clears it;
// - the area change with fade (system_flags bit 17): no translated routine
//   raises it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/engine/object.h"
#include "game/engine/states.h"
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

constexpr uint32_t kRoutine = var::player_records + ob::routine,
                   kTimer = var::player_records + player_record::timer;
constexpr uint32_t kMessageCell = hw::text_layer + 4;  // slot 0's name and message cell
using whole_run::kPool128;

constexpr uint64_t kFrames = 900;

std::string script() {
    using play_script::poke;
    return "100 press coin1\n+30 press button1\n140 press button1\n" +
           poke(340, var::player_records + ob::energy, 0x00) +
           poke(340, var::player_records + ob::energy + 1, 0x00) +
           poke(340, var::player_records + player_record::state_timer, 0x01) +
           poke(340, var::player_records + ob::state, 0x13) + poke(340, var::stage, 0x03) +
           poke(350, var::system_flags + 2, 0x02);
}

whole_run::options play_over_options(int slices) {
    whole_run::options o = whole_run::run_options(script(), kFrames, 300, slices, 120);
    o.watch = {{var::game_mode, 2},  {var::ingame_state, 1}, {var::stage, 2},
               {var::game_flags, 4}, {var::system_flags, 4}, {kRoutine, 4},
               {kTimer, 2},          {kMessageCell, 2},      {hw::sound_command, 1}};
    o.watch_pool(kPool128,
                 {{ob::flags, 2}, {ob::state, 1}, {ob::type, 1}, {ob::routine, 4}, {ob::world_x, 2}});
    return o;
}

const whole_reach::listed kReach("play_over", [] { return play_over_options(1); });

const whole_run::outcome& play_over_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "play_over", play_over_options(1));
}

// The first frame a watched word had `bit` set.
uint64_t first_with_bit(const whole_run::outcome& out, uint32_t address, unsigned bit) {
    for (const auto& c : out.changes)
        if (c.address == address && (c.value >> bit & 1)) return c.frame;
    return 0;
}

// The 128-byte object whose routine became `routine` at or after `from`.
uint32_t object_running(const whole_run::outcome& out, uint32_t routine, uint64_t from) {
    for (const auto& c : out.pool_changes(kPool128, ob::routine, from))
        if (c.value == routine) return c.address - ob::routine;
    return 0;
}

TEST(PlayOverRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = play_over_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

// The slot counts down in stage 3 area 2, whose generator sets up the
// drifting object of its boss record: in from the left with its parameter
// byte, at its random speed, shown, and gone once it has left the screen.
TEST(PlayOverRun, TheBossRecordsDriftingObjectCrossesTheScreenAndGoes) {
    const auto& out = play_over_run();
    const uint64_t area2 = out.first_frame(var::stage, 0x0203);
    ASSERT_GT(area2, 0u);
    EXPECT_EQ(out.value_at(kRoutine, area2), entry::sub_063799) << "slot 0 counts down";
    const uint32_t d = object_running(out, entry::sub_077270, area2);
    ASSERT_NE(d, 0u);
    const uint64_t set_up = out.frames_of(d + ob::routine).back();
    EXPECT_EQ(set_up, area2) << "set up by the generator's first pass";
    EXPECT_EQ(out.value_at(d + ob::type, set_up), 57u);
    const int16_t x0 = int16_t(out.value_at(d + ob::world_x, set_up));
    const int v = int16_t(out.value_at(d + ob::world_x, set_up + 1)) - x0;
    EXPECT_GE(v, 13);
    EXPECT_LE(v, 16);
    EXPECT_EQ(x0, 640 - 79 * v) << "coming in to pass x 640 80 steps after its set-up";
    const auto states = out.values_of(d + ob::state);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 2u) << "it was shown";
    const auto flags = out.frames_of(d + ob::flags);
    ASSERT_FALSE(flags.empty());
    const uint64_t gone = flags.back();
    EXPECT_EQ(out.value_at(d + ob::flags, gone) & (1u << object_flag::alive), 0u) << "removed itself";
    EXPECT_GT(int16_t(out.value_at(d + ob::world_x, gone)), 320 * 4) << "past the screen's right edge";
}

// Its going wins the area and ends the play in the generator's next pass;
// the countdown stops at once, far from its end, the slot goes to the
// ranking (no place for a score of 0) and out, and with the play over its
// leaving message is not shown; the game is over and the score-ranking
// screen follows.
TEST(PlayOverRun, ThePlayEndsTheCountdownAtOnceAndTheSlotLeavesWithoutItsMessage) {
    const auto& out = play_over_run();
    const uint64_t area2 = out.first_frame(var::stage, 0x0203);
    const uint32_t d = object_running(out, entry::sub_077270, area2);
    ASSERT_NE(d, 0u);
    const uint64_t gone = out.frames_of(d + ob::flags).back();
    const uint64_t over = first_with_bit(out, var::game_flags, game_flag::play_over);
    EXPECT_EQ(over, gone + 1);
    EXPECT_EQ(first_with_bit(out, var::system_flags, system_flag::area_won), over);

    const uint64_t ranking = out.first_frame(kRoutine, entry::sub_08A3D6);
    EXPECT_EQ(ranking, over + 1) << "the countdown stopped";
    EXPECT_GT(out.value_at(kTimer, over), 600u) << "with more than ten seconds to go";
    EXPECT_EQ(out.first_frame(kRoutine, entry::sub_063818), ranking + 1) << "no ranking place for 0 points";
    for (uint64_t f = ranking; f <= ranking + 10; ++f)
        EXPECT_EQ(out.value_at(kMessageCell, f), 0u) << "no leaving message at frame " << f;
    EXPECT_EQ(first_with_bit(out, var::system_flags, system_flag::game_ended), ranking + 2)
        << "the last slot out ends the game";

    std::vector<uint64_t> states = out.values_of(var::ingame_state);
    states.erase(std::unique(states.begin(), states.end()), states.end());
    const std::vector<uint64_t> game_over = {20, 50, 51, 52, 53, 54, 55, 56, 57, 0};
    EXPECT_NE(std::search(states.begin(), states.end(), game_over.begin(), game_over.end()), states.end());
    EXPECT_EQ(out.value_at(var::game_mode, kFrames) & 0xFF, 12u) << "on to the score-ranking screen";
}

// The area's music is the command after which the sound board raises the
// main processor's sound interrupt; its handler runs and the game goes on.
TEST(PlayOverRun, TheAreasMusicRingsTheSoundInterrupt) {
    const auto& out = play_over_run();
    EXPECT_GT(out.first_frame(hw::sound_command, synthetic::kRaiseCommand), 0u);
    EXPECT_TRUE(std::binary_search(out.entered.begin(), out.entered.end(), entry::int_sound));
}

// ---- the playerless demo ----

// The run endings' settings with four player slots.
std::vector<uint8_t> four_slot_eeprom() {
    return whole_run::settings_eeprom([](uint8_t* record) { record[0x10] = 2; });
}

constexpr uint64_t kDemoFrames = 1500;
using whole_run::kPool64;
constexpr uint16_t kUpperLayersOff = 0x3000;

// No script: the attract cycle runs to its first demo with the four-slot
// setting, whose rows have the demos play stage 3 area 2 with no player.
whole_run::options demo_options(int slices) {
    whole_run::options o = whole_run::run_options("", kDemoFrames, 500, slices, 180);
    o.eeprom = four_slot_eeprom();
    o.watch = {{var::game_mode, 2},    {var::ingame_state, 1}, {var::stage, 2},        {var::game_flags, 4},
               {var::system_flags, 4}, {var::nbg0_zoom, 2},    {var::layer_control, 2}};
    o.watch_pool(kPool128, {{ob::flags, 2}, {ob::routine, 4}, {ob::world_x, 2}});
    o.watch_pool(kPool64, {{ob::state, 1}, {ob::routine, 4}});
    return o;
}

const whole_reach::listed kReachDemo("playerless_demo", [] { return demo_options(1); });

const whole_run::outcome& demo_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "playerless_demo", demo_options(1));
}

TEST(PlayerlessDemoRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = demo_run();
    EXPECT_EQ(out.status, 0) << out.err;
}

// The demo plays stage 3 area 2 with no slot; the drifting object of its
// boss record crosses and goes, and the area is won; the camera controller
// makes its scripted move (to where it stands), waits 90 frames and asks
// for the area change by zoom, which the in-game flow takes with no slot in
// play or out: the playfield zooms out to half size, area 3 (a placed-object
// area) is set up, and the zoom and the layers come back as they were.
TEST(PlayerlessDemoRun, TheWonAreaChangesByZoomWithNobodyInPlay) {
    const auto& out = demo_run();
    const uint64_t start = out.first_frame(var::stage, 0x0203);
    ASSERT_GT(start, 0u);
    EXPECT_EQ(out.value_at(var::game_mode, start) & 0xFF, 9u) << "the demo";
    EXPECT_EQ(out.value_at(var::game_flags, start) & 0x10F, 1u << game_flag::demo_play) << "no slot plays";

    const uint32_t d = object_running(out, entry::sub_077270, start);
    ASSERT_NE(d, 0u);
    const uint64_t gone = out.frames_of(d + ob::flags).back();
    EXPECT_EQ(out.value_at(d + ob::flags, gone) & (1u << object_flag::alive), 0u);
    const uint64_t won = first_with_bit(out, var::system_flags, system_flag::area_won);
    EXPECT_EQ(won, gone + 1);

    // The camera controller: waiting for the area to be won (4), the move (5),
    // the 90 frames' wait (6), then waiting for the area change (7), after
    // which it frees itself.
    const auto controllers = out.objects_with(kPool64, ob::routine, entry::sub_08595F, start);
    ASSERT_FALSE(controllers.empty());
    const uint32_t controller = controllers.front();
    const auto states = out.values_of(controller + ob::state);
    const auto state_frames = out.frames_of(controller + ob::state);
    ASSERT_EQ(states.size(), state_frames.size());
    std::vector<uint64_t> after_win;
    uint64_t waited = 0, asked = 0;
    for (size_t i = 0; i < states.size(); ++i)
        if (state_frames[i] >= won && (after_win.empty() || after_win.back() != 7)) {
            after_win.push_back(states[i]);
            if (states[i] == 6) waited = state_frames[i];
            if (states[i] == 7) asked = state_frames[i];
        }
    EXPECT_EQ(after_win, (std::vector<uint64_t>{5, 6, 7}));
    EXPECT_EQ(asked, waited + 90);
    EXPECT_EQ(first_with_bit(out, var::system_flags, system_flag::area_change_by_zoom), asked);

    // The in-game flow: the request taken (23), the zoom out (24) by 8 a frame
    // to half size, then area 3 and play (20).
    EXPECT_EQ(out.first_frame(var::ingame_state, flow_state::zoom_change_out), asked + 1);
    std::vector<uint64_t> zooms;
    for (const auto& c : out.changes)
        if (c.address == var::nbg0_zoom && c.frame > asked && c.frame <= asked + 40) zooms.push_back(c.value);
    ASSERT_GE(zooms.size(), 33u);
    for (size_t i = 0; i < 32; ++i) EXPECT_EQ(zooms[i], 0x1F8u - 8 * i) << i;
    const uint64_t area3 = out.first_frame(var::stage, 0x0303);
    ASSERT_GT(area3, asked);
    EXPECT_EQ(out.value_at(var::nbg0_zoom, area3 - 1), 0x100u) << "half size";
    EXPECT_EQ(out.value_at(var::ingame_state, area3), flow_state::play);
    EXPECT_EQ(out.value_at(var::game_flags, area3) >> game_flag::placed_objects & 1, 1u)
        << "an area with placed objects";
    EXPECT_EQ(out.value_at(var::nbg0_zoom, area3), 0x200u) << "the zoom back to 1:1";
    EXPECT_EQ(out.value_at(var::layer_control, area3 - 1) & kUpperLayersOff, kUpperLayersOff)
        << "centred mode";
    EXPECT_EQ(out.value_at(var::layer_control, area3) & kUpperLayersOff, 0u) << "the upper layers back on";
    EXPECT_EQ(out.value_at(var::system_flags, area3) >> system_flag::area_won & 1, 0u);
    EXPECT_EQ(out.value_at(var::game_flags, area3) >> game_flag::area_change & 1, 0u);
}

// ---- the area change by terrain ----

// The playerless demo again, with the area change by terrain asked for while
// stage 3 area 2 plays: system_flags bit 9 (system_flags' second byte is 0 then),
// which no translated routine raises and no ROM table names.
constexpr uint64_t kTerrainPoke = 1300, kTerrainFrames = 1360;

whole_run::options terrain_options(int slices) {
    whole_run::options o = demo_options(slices);
    o.frames = kTerrainFrames;
    o.every = 340;
    o.script = play_script::poke(kTerrainPoke, var::system_flags + 1, 0x02);
    o.watch.push_back({var::nbg1_zoom, 2});
    return o;
}

const whole_reach::listed kReachTerrain("playerless_demo_terrain", [] { return terrain_options(1); });

const whole_run::outcome& terrain_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "playerless_demo_terrain", terrain_options(1));
}

// A poke lands at the end of the frame after its own; the request is taken
// in the frame after that: the area goes on to 3 (not one with placed
// objects), and the playfield zooms out to half size about the screen's
// centre with the upper layers off; it zooms back in by 8 a frame, and once
// at 1:1 play goes on with the upper layers on again. (The scroll words the
// zoom back un-centres are written from the cameras again before the frame
// ends, so the run sees no trace of it.)
TEST(PlayerlessDemoTerrainRun, TheAreaChangesByTerrainAndThePlayfieldZoomsOutAndBack) {
    const auto& out = terrain_run();
    EXPECT_EQ(out.status, 0) << out.err;
    const uint64_t raised = kTerrainPoke + 1, taken = raised + 1;
    ASSERT_EQ(out.value_at(var::stage, raised), 0x0203u);
    EXPECT_EQ(out.value_at(var::ingame_state, raised), flow_state::play);
    EXPECT_EQ(out.value_at(var::system_flags, raised) >> system_flag::area_change_by_terrain & 1, 1u);
    EXPECT_EQ(out.value_at(var::system_flags, taken) >> system_flag::area_change_by_terrain & 1, 0u)
        << "taken";
    EXPECT_EQ(out.value_at(var::stage, taken), 0x0303u);
    EXPECT_EQ(out.value_at(var::ingame_state, taken), flow_state::terrain_zoom_in);
    EXPECT_EQ(out.value_at(var::game_flags, taken) >> game_flag::placed_objects & 1, 0u);
    EXPECT_EQ(out.value_at(var::nbg0_zoom, taken), 0x100u) << "half size";
    EXPECT_EQ(out.value_at(var::nbg1_zoom, taken), 0x100u);
    EXPECT_EQ(out.value_at(var::layer_control, taken) & kUpperLayersOff, kUpperLayersOff) << "centred mode";

    std::vector<uint64_t> zooms;
    for (const auto& c : out.changes)
        if (c.address == var::nbg0_zoom && c.frame > taken) zooms.push_back(c.value);
    ASSERT_EQ(zooms.size(), 32u);
    for (size_t i = 0; i < zooms.size(); ++i) EXPECT_EQ(zooms[i], 0x108u + 8 * i) << i;

    uint64_t back = 0;
    for (const auto& c : out.changes)
        if (c.address == var::ingame_state && c.frame > taken && c.value == flow_state::play)
            back = back ? back : c.frame;
    ASSERT_GT(back, taken);
    EXPECT_EQ(back, taken + 33) << "one frame after the zoom reached 1:1";
    EXPECT_EQ(out.value_at(var::nbg0_zoom, back), 0x200u);
    EXPECT_EQ(out.value_at(var::nbg1_zoom, back), 0x200u);
    EXPECT_EQ(out.value_at(var::layer_control, back) & kUpperLayersOff, 0u) << "the upper layers back on";
    EXPECT_TRUE(std::binary_search(out.entered.begin(), out.entered.end(), entry::sub_08865E));
}

constexpr const char* kDemoExpected = R"(
500 73BF2DE9240864A5 1403CA7B74CA42E2 4412F919435FA60A 00785C22CF9F3893 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 2DEA49F2EA25F164 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 778364B881DC0A42 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 05C477C34916B68B
1000 A203C07A2A426BCD 3370D12204488DE7 5ACD239353D93BDB B4B721887C2C2F68 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BD9A876451DF8B8 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 475893494EA5DB02 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 565E851E284F1D65
1500 ED40DC4A6C4FC325 80762E32D60D2AFF 08F117C2683DD32C C8224C73491F73D9 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0597C7E2156F0182 B93A0C83CE3B6325 B93A0C83CE3B6325 0C433A978FF8A9BD EAA3AE88D28F8401 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 892A04357FE7A2A9 B93A0C83CE3B6325 B93A0C83CE3B6325 CE63AA5051F13AD6
)";

TEST(PlayerlessDemoRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kDemoExpected, demo_run(),
                                            [&](int slices) { return r.run(demo_options(slices)); }),
              "");
}

constexpr const char* kExpected = R"(
300 95A87BCE28D2F58D D8C7CD40B66CAB51 38F1EBA1E67FB117 D0CF85843595810A B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 41045F6E48D6B86C B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8666733265BC846A 93465C964A3129A6 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 14B299E956A7E399 B93A0C83CE3B6325 B93A0C83CE3B6325 1E33756C6A551E62
600 8FC9C75AE68FB17D 5BD89F849A743838 B1BE1BA3224CC4CF 04D638537449A59D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 CB53FD84AF83592D B93A0C83CE3B6325 B93A0C83CE3B6325 ABD3B5C19A4ADC94 C13DD30945492714 2E9E99DF09DA55CE 73F8E55BFDA261A0 B93A0C83CE3B6325 C02B154CF86E582B B93A0C83CE3B6325 B93A0C83CE3B6325 110335D87B8EDA74
900 B11AC151FF863955 63E3235AAFB0EF47 252730771DD46D34 281FBA59474042C6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F2D0B985688D3041 B93A0C83CE3B6325 B93A0C83CE3B6325 ABD3B5C19A4ADC94 C73D58F9C1CD02F1 2E9E99DF09DA55CE B01F9F7C363D5EB9 B93A0C83CE3B6325 C02B154CF86E582B B93A0C83CE3B6325 B93A0C83CE3B6325 6765F788E47FD9DC
)";

TEST(PlayOverRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, play_over_run(),
                                            [&](int slices) { return r.run(play_over_options(slices)); }),
              "");
}

constexpr const char* kTerrainExpected = R"(
340 11849F228CE77FED BBC820F5A4909FB6 DCA2A3C35A28752E DDAE4E7E4C2C5669 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C24858BD45540E25 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 23F965E3B8DE926B 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 A5456DBEC1005351
680 B102275BA301B585 9F99245073AB592E 186161E94915BE50 A85F87976EE2A416 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BD9A876451DF8B8 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 08CAF37C558CCB18 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 248C841B7321DD88
1020 A203C07A2A426BCD F37EA22478AFB89D 103121997D64FE6D B4B721887C2C2F68 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BD9A876451DF8B8 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F1CC91BB8FE50678 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 565E851E284F1D65
1360 ED40DC4A6C4FC325 C1B1637582F37A12 D71A539ECC2676C8 DADC834D4EB00CEE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 3D80F892BF872438 B93A0C83CE3B6325 B93A0C83CE3B6325 CD3DB114EF89D72A 967214F541526CC9 1D2BAD43E0A0510B 9D3D0D0AB21F51BD B93A0C83CE3B6325 892A04357FE7A2A9 B93A0C83CE3B6325 B93A0C83CE3B6325 827FBC824AE64FE1
)";

TEST(PlayerlessDemoTerrainRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kTerrainExpected, terrain_run(),
                                            [&](int slices) { return r.run(terrain_options(slices)); }),
              "");
}

}  // namespace
