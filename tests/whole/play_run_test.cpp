// A one-player game on the synthetic ROM set: a coin, a join, the character
// select, stage 1 area 1 played with scripted inputs (both enemies of the
// area hit until defeated, walking, a jump), the player's energy taken by the
// swings of the enemy the progress watcher sends while the player stands, the
// continue countdown left to run out while the area changes with no slot in
// play (the second area's player indicator lit for the countdown, a drifting
// object crossing the screen), the ranking with initials entered, game over,
// the score-ranking screen and back to the title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
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
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace ob = object_record;

// Work RAM the run follows.
constexpr uint32_t kCredits = var::credit_records + credit_record::credits;  // the shared record's
constexpr uint32_t kHitBits = var::player_records + ob::flags + 1;  // flags bits 8 (hit) and 9 (defeated)
constexpr uint32_t kRoutine = var::player_records + ob::routine;
using play_script::kEnergy;
constexpr uint32_t kScore = var::player_records + player_record::score;
constexpr uint32_t kCameraX = var::playfield_camera + camera_record::x;
constexpr uint64_t kWatchersKind = 58;
constexpr uint32_t kRankingEntry3 = var::ranking_tables + 3 * ranking_entry::size;  // character 0's table
constexpr uint32_t kRankingInitials3 = kRankingEntry3 + ranking_entry::initials;
// Text cells (attribute over character) of slot 0's panel and the continue.
constexpr uint32_t kNameCell = hw::text_layer + 0x004;     // row 0, column 2: name, then messages
constexpr uint32_t kEnergyUnits = hw::text_layer + 0x090;  // row 1, column 8: last digit of the energy
constexpr uint32_t kHeadingCell = hw::text_layer + 0x620;  // row 12, column 16
constexpr uint32_t kBigTens = var::continue_area;          // two cells each
constexpr uint32_t kBigUnits = var::continue_area + 4;
constexpr uint32_t kGameOverCell = hw::text_layer + 0x61E;  // row 12, column 15
// The ranking page in video RAM: character 0's block, entry 3's initials.
constexpr uint32_t kPageInitials3 = hw::video_ram + 0x400 + 128 * 4 + 2 * 22;

// The 128-byte objects: the fields of the second area's objects the run
// follows (an indicator's blink count and colour word), and the attack
// pattern of the watcher's enemy.
using whole_run::kPool128;
// The indicator's fields are its routine's own (game/flow/indicators.cpp).
constexpr uint32_t kIndicatorBlink = 54, kIndicatorColour = 110;

// Frames whose pictures the run writes: the panel in play, the continue
// countdown, the initials entered.
constexpr uint64_t kPanelPicture = 1000;
constexpr uint64_t kContinuePicture = 4600;
constexpr uint64_t kInitialsPicture = 5600;

whole_run::options play_options(int slices) {
    whole_run::options o =
        whole_run::run_options(play_script::text(), play_script::kFrames, 600, slices, 300);
    o.watch = {{var::game_mode, 2}, {var::ingame_state, 1},
               {var::stage, 2},     {kCredits, 1},
               {kRoutine, 4},       {kEnergy, 2},
               {kHitBits, 1},       {kScore, 4},
               {kCameraX, 2},       {var::live_enemy_count, 1},
               {kRankingEntry3, 4}, {kRankingInitials3, 4},
               {kNameCell, 2},      {kEnergyUnits, 2},
               {kHeadingCell, 2},   {kBigTens, 4},
               {kBigUnits, 4},      {kGameOverCell, 2},
               {kPageInitials3, 4}};
    o.pictures = {kPanelPicture, kContinuePicture, kInitialsPicture};
    o.watch_pool(kPool128, {{ob::flags, 2},
                            {ob::state, 1},
                            {ob::type, 1},
                            {ob::routine, 4},
                            {ob::world_x, 2},
                            {kIndicatorBlink, 1},
                            {kIndicatorColour, 2},
                            {ob::attack_pattern, 1}});
    return o;
}

const whole_reach::listed kReach("play", [] { return play_options(1); });

const whole_run::outcome& play_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "play", play_options(1));
}

// The values a watched address took, each run of equal values once.
std::vector<uint64_t> sequence(const whole_run::outcome& out, uint32_t address) {
    std::vector<uint64_t> v = out.values_of(address);
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// The frame of the defeating hit: hit and defeated bits both set.
uint64_t defeat_frame(const whole_run::outcome& out) { return out.first_frame(kHitBits, 0x03); }

TEST(PlayRun, TheGameGoesFromTheTitleThroughPlayToTheRankingScreenAndBack) {
    const auto& out = play_run();
    ASSERT_EQ(out.status, 0) << out.err;
    std::vector<uint64_t> modes;
    for (uint64_t w : out.values_of(var::game_mode))
        if (modes.empty() || modes.back() != (w & 0xFF)) modes.push_back(w & 0xFF);
    EXPECT_EQ(modes, (std::vector<uint64_t>{3, 15, 12, 3}))
        << "title, the game, the ranking screen, the title";
    // Stage and area (stage in the low byte): character select, stage 1's
    // intro, area 1, area 2 while nobody plays, the game-over screen.
    EXPECT_EQ(sequence(out, var::stage),
              (std::vector<uint64_t>{0x0000, 0x0200, 0x0000, 0x0001, 0x0101, 0x0201, 0x0300, 0x0000}));
}

TEST(PlayRun, TheCoinBuysOneCreditAndTheJoinSpendsIt) {
    const auto& out = play_run();
    EXPECT_EQ(sequence(out, kCredits), (std::vector<uint64_t>{0, 1, 0}));
    EXPECT_EQ(out.value_at(kCredits, 130), 0u);
}

// The slot's routines: idle, waiting for play, placement, set-up, appearance,
// the controller, the continue countdown, the ranking, out, idle again.
TEST(PlayRun, TheSlotGoesThroughItsChain) {
    const auto& out = play_run();
    EXPECT_EQ(
        sequence(out, kRoutine),
        (std::vector<uint64_t>{entry::sub_063514, entry::sub_0638B4, entry::sub_0638C6, entry::sub_063955,
                               entry::sub_0639CB, entry::sub_063EB6, entry::sub_063799, entry::sub_08A3D6,
                               entry::sub_063818, entry::sub_063514}));
    // The countdown lasts 1,260 frames after the defeat's blink.
    const uint64_t countdown = out.first_frame(kRoutine, entry::sub_063799);
    EXPECT_EQ(out.first_frame(kRoutine, entry::sub_08A3D6) - countdown, 1260u);
}

// Both enemies are hit and defeated: each blow scores 10, each defeat the
// enemy's own points instead; the live count falls from 2 to 0 as they go
// (a later enemy sent by the progress watcher comes and goes on its own).
TEST(PlayRun, BlowsScoreAndBothEnemiesAreDefeated) {
    const auto& out = play_run();
    const auto scores = sequence(out, kScore);
    ASSERT_GE(scores.size(), 3u);
    EXPECT_TRUE(std::is_sorted(scores.begin(), scores.end()));
    int blows = 0, defeats = 0;
    for (size_t i = 1; i < scores.size(); ++i) (scores[i] - scores[i - 1] == 10 ? blows : defeats) += 1;
    EXPECT_EQ(defeats, 2);
    EXPECT_GE(blows, 20);
    EXPECT_EQ(scores.back(), 5600u);
    const auto live = sequence(out, var::live_enemy_count);
    ASSERT_GE(live.size(), 4u);
    EXPECT_EQ(std::vector<uint64_t>(live.begin(), live.begin() + 4), (std::vector<uint64_t>{0, 2, 1, 0}));
    EXPECT_GT(out.value_at(kCameraX, play_script::kStand), 0u) << "the walk right scrolled the camera";
}

// Energy: the start energy at the join, one point less every 180 frames of
// controller time; once the player stands, each landed swing of the
// watcher's enemy takes its strength of 100 and marks the player hit, and
// the last one takes the rest and marks it defeated too. No swing lands
// while the player walks.
TEST(PlayRun, EnemySwingsTakeTheEnergyUntilItIsGone) {
    const auto& out = play_run();
    const auto frames = out.frames_of(kEnergy);
    const auto energy = out.values_of(kEnergy);
    ASSERT_GE(energy.size(), 3u);
    EXPECT_EQ(energy[0], 0u);
    EXPECT_EQ(energy[1], 400u);
    std::vector<uint64_t> hits;
    for (size_t i = 2; i < energy.size(); ++i) {
        const uint64_t bits = out.value_at(kHitBits, frames[i]);
        if (energy[i] == energy[i - 1] - 1) {
            EXPECT_EQ(bits, 0u) << "a drain step at frame " << frames[i];
            continue;
        }
        hits.push_back(frames[i]);
        if (energy[i - 1] > 100) {
            EXPECT_EQ(energy[i], energy[i - 1] - 100) << frames[i];
            EXPECT_EQ(bits, 0x01u) << "hit, not defeated, at frame " << frames[i];
        } else {
            EXPECT_EQ(energy[i], 0u) << frames[i];
            EXPECT_EQ(bits, 0x03u) << "hit and defeated at frame " << frames[i];
            EXPECT_EQ(i + 1, energy.size()) << "the energy stays gone";
        }
    }
    ASSERT_EQ(hits.size(), 4u)
        << "380 energy left: three swings of 100, the fourth takes the last 80 or less";
    EXPECT_GT(hits.front(), play_script::kStand);
    EXPECT_EQ(hits.back(), defeat_frame(out));
    // The defeat leads to the continue countdown.
    EXPECT_GT(out.first_frame(kRoutine, entry::sub_063799), defeat_frame(out));
}

// The watcher's enemy has two attack patterns, alike but for the form of
// their boxes (inline bytes, or 16-bit words the pattern entry names): the
// swings that take the energy land under both.
TEST(PlayRun, SwingsOfBothAttackPatternsLand) {
    const auto& out = play_run();
    uint32_t enemy = 0;
    for (const auto& c : out.pool_changes(kPool128, ob::type))
        if (c.value == kWatchersKind) {
            enemy = c.address - ob::type;
            break;
        }
    ASSERT_NE(enemy, 0u) << "the watcher's enemy came";
    const auto frames = out.frames_of(kEnergy);
    const auto energy = out.values_of(kEnergy);
    ASSERT_EQ(frames.size(), energy.size());
    std::vector<uint64_t> patterns;
    for (size_t i = 2; i < energy.size(); ++i)
        if (energy[i] + 1 < energy[i - 1] || energy[i] == 0)
            patterns.push_back(out.value_at(enemy + ob::attack_pattern, frames[i]));
    ASSERT_EQ(patterns.size(), 4u);
    EXPECT_NE(std::find(patterns.begin(), patterns.end(), 0u), patterns.end())
        << "a swing with its box inline";
    EXPECT_NE(std::find(patterns.begin(), patterns.end(), 1u), patterns.end())
        << "a swing with its box in words";
}

// The panel shows the character's name and the rolling energy; once the
// energy is gone, the slot's message, the continue heading and the seconds
// left in big digits from 20 down to 0, which go when the countdown ends.
TEST(PlayRun, ThePanelAndTheContinueCountdownAreShown) {
    const auto& out = play_run();
    EXPECT_EQ(out.value_at(kNameCell, 1000), 0x0200u | 'R');
    EXPECT_EQ(out.value_at(kEnergyUnits, 1000), 0x0300u | ('0' + out.value_at(kEnergy, 1000) % 10));
    const uint64_t countdown = out.first_frame(kRoutine, entry::sub_063799);
    EXPECT_EQ(out.value_at(kNameCell, countdown), 0x0400u | 'O');
    EXPECT_EQ(out.value_at(kHeadingCell, countdown), 0x0500u | 'C');
    std::vector<uint64_t> shown;
    for (const auto& c : out.changes) {
        if (c.address != kBigUnits || c.frame <= countdown || c.value == 0) continue;
        const uint64_t tens = out.value_at(kBigTens, c.frame) & 0xFF;
        shown.push_back((tens ? tens - '0' : 0) * 10 + (c.value & 0xFF) - '0');
    }
    std::vector<uint64_t> seconds;
    for (int n = 20; n >= 0; --n) seconds.push_back(uint64_t(n));
    EXPECT_EQ(shown, seconds);
    EXPECT_EQ(out.value_at(kBigUnits, out.first_frame(kRoutine, entry::sub_08A3D6)), 0u);
}

// The same in the picture: the panel's name and energy (six digits after
// the label, leading zeros blank) over the stage's tiles, the slot's message
// with the continue headings, and the ranking row with the initials entered.
TEST(PlayRun, TextsShowInThePicture) {
    const auto& out = play_run();
    whole_run::keep_pictures(out, "play", IRONBELL_ARTEFACTS);
    ASSERT_EQ(out.value_at(kRoutine, kPanelPicture), entry::sub_063EB6) << "slot 0 plays";
    char energy[16];
    std::snprintf(energy, sizeof energy, "E%6u", unsigned(out.value_at(kEnergy, kPanelPicture)));
    EXPECT_EQ(whole_run::shown_text(out, kPanelPicture, 0, 2, 3), "RED");
    EXPECT_EQ(whole_run::shown_text(out, kPanelPicture, 1, 2, 7), energy);

    // Behind the panel, the stage's tiles: a row of the wall and one of the
    // floor, each not one colour and the same again one 16-pixel tile further
    // on (no figure stands that high or that low).
    ASSERT_EQ(out.pictures.count(kPanelPicture), 1u);
    const auto& panel = out.pictures.at(kPanelPicture);
    for (int y : {40, 223}) {
        int repeats = 0, changes = 0;
        for (int x = 0; x + 16 < panel.width; ++x) {
            repeats += panel.at(x, y) == panel.at(x + 16, y);
            changes += panel.at(x, y) != panel.at(x + 1, y);
        }
        EXPECT_EQ(repeats, panel.width - 16) << "row " << y;
        EXPECT_GE(changes, panel.width / 16) << "row " << y << " is not one colour";
    }

    ASSERT_EQ(out.value_at(kRoutine, kContinuePicture), entry::sub_063799) << "slot 0 counts down";
    EXPECT_EQ(whole_run::shown_text(out, kContinuePicture, 0, 2, 3), "OUT");
    EXPECT_EQ(whole_run::shown_text(out, kContinuePicture, 12, 16, 8), "CONTINUE");
    EXPECT_EQ(whole_run::shown_text(out, kContinuePicture, 13, 14, 12), "PRESS BUTTON");

    ASSERT_EQ(out.value_at(kRankingInitials3, kInitialsPicture), uint64_t('A' | 'C' << 8 | 'E' << 16));
    EXPECT_EQ(whole_run::shown_text(out, kInitialsPicture, 0, 2, 7), "4TH ACE");
}

// The in-game flow: the area change with fade runs its states 26-31 and
// returns to play while nobody plays; the game ends through the game-over
// states 50-57.
TEST(PlayRun, TheAreaChangesWithNoSlotInPlayAndTheGameEnds) {
    const auto& out = play_run();
    const auto states = sequence(out, var::ingame_state);
    auto find = [&](std::vector<uint64_t> run) {
        return std::search(states.begin(), states.end(), run.begin(), run.end()) != states.end();
    };
    EXPECT_TRUE(find({0, 1, 2, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}))
        << "select, stage set-up, intro, area start, play";
    EXPECT_TRUE(find({20, 27, 28, 29, 30, 31, 20})) << "the area change with fade";
    EXPECT_TRUE(find({20, 50, 51, 52, 53, 54, 55, 56, 57, 0})) << "game over";
    EXPECT_EQ(out.value_at(kGameOverCell, out.first_frame(var::ingame_state, flow_state::game_over_wait_in)),
              0x0500u | 'G')
        << "the game-over screen's first line";
    EXPECT_GT(out.first_frame(var::stage, 0x0201), out.first_frame(kRoutine, entry::sub_063799));
    EXPECT_LT(out.first_frame(var::stage, 0x0201), out.first_frame(kRoutine, entry::sub_08A3D6));
}

// The play's score takes the lowest default entry's place in its character's table
// with the initials entered.
TEST(PlayRun, TheRankingEntryHoldsTheScoreAndTheInitials) {
    const auto& out = play_run();
    EXPECT_EQ(out.value_at(kRankingEntry3, defeat_frame(out)), 4000u) << "the lowest default entry";
    EXPECT_EQ(out.value_at(kRankingEntry3, play_script::kFrames), 5600u);
    EXPECT_EQ(out.value_at(kRankingInitials3, play_script::kFrames), uint64_t('A' | 'C' << 8 | 'E' << 16));
    // The score-ranking screen that follows draws them on its page.
    const uint64_t page = out.value_at(kPageInitials3, out.first_frame(var::game_mode, 0x0C0C));
    EXPECT_EQ(page & 0xFF, uint64_t('A'));
    EXPECT_EQ(page >> 16 & 0xFF, uint64_t('C'));
}

// The checkpoints are the same with the sound board's time cut into 1, 7 and
// 1,000 slices per stretch, and match the recorded table.
constexpr const char* kExpected = R"(
600 827B38EBCBF67B25 538B0BC4F1A3295B C6507E541CEC27F0 F87D78A4088767AB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 23F60871C94BFC41 B93A0C83CE3B6325 B93A0C83CE3B6325 7D0C567D1A30CE87 1E3E4B923474FF33 35416BB77D1AD586 1EA81DBB30EE3586 B93A0C83CE3B6325 9ADA8D4AFD0DBE77 B93A0C83CE3B6325 B93A0C83CE3B6325 508A03F279BF34EB
1200 AE2898AF51AF9D65 496DC0CDE6861856 F9170C8BF35CB8A2 03ED338233DB6A26 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0629B7D12DFEEA8C B93A0C83CE3B6325 B93A0C83CE3B6325 2A12CB1774D18FA9 19FBDB1860AEB899 E4800855CB719F08 73DB1AE842323D49 B93A0C83CE3B6325 CB62CA7164AFD425 B93A0C83CE3B6325 B93A0C83CE3B6325 AF536B80399E906D
1800 D89FE052659B6F25 064BF922C52124CB C3B8EC1E743EA42D 4517014D23DA4767 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A7EF342D0B9D5DCB B93A0C83CE3B6325 B93A0C83CE3B6325 B559AAF9C1FB745F 63B46E1321D26AC9 3BDC58C906AED358 E8EE17CF69B6124F B93A0C83CE3B6325 4FB309DD06895B52 B93A0C83CE3B6325 B93A0C83CE3B6325 ECD4136F937D80B5
2400 5D7740EC9A3E27A5 0F017D131BBD2A93 3C1AFADE4054F718 04CC2AC4F106A95D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B52696AFC17F0B1B B93A0C83CE3B6325 B93A0C83CE3B6325 335FBC75B71EF4AD E4662638C1E738BE 3BDC58C906AED358 406AB1929117BF96 B93A0C83CE3B6325 0E7544DD3EEB57F6 B93A0C83CE3B6325 B93A0C83CE3B6325 342F109A866E49AF
3000 5D7740EC9A3E27A5 45C595877B9064DB DB22256652EDC1E3 34F642EE1AC181B2 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 5A42F89DF3E65FBC B93A0C83CE3B6325 B93A0C83CE3B6325 800743B7D0168233 FA4973BFC5F4FCB9 3BDC58C906AED358 A714B27C60BC3CA7 B93A0C83CE3B6325 1238681B5B784164 B93A0C83CE3B6325 B93A0C83CE3B6325 96841FEB9AB10EAD
3600 5D7740EC9A3E27A5 4060D9A4BB9124D7 F6560B283340B9EB 34F642EE1AC181B2 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 498AEC26B67C8D00 B93A0C83CE3B6325 B93A0C83CE3B6325 800743B7D0168233 CB4579049FA39E9B 3BDC58C906AED358 AF75A5C7F909A4B9 B93A0C83CE3B6325 1238681B5B784164 B93A0C83CE3B6325 B93A0C83CE3B6325 96841FEB9AB10EAD
4200 5D7740EC9A3E27A5 35D2B9B0DDDB8F52 3DBB99F9980FBB24 5025263A0A00F84E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 86F371C75BB3D566 B93A0C83CE3B6325 B93A0C83CE3B6325 1034B8ECBEB80DC7 065094F15FED4C87 D4399FB55084AD85 790A9E20759A45B1 B93A0C83CE3B6325 CA3E14F9E87070F0 B93A0C83CE3B6325 B93A0C83CE3B6325 B2B1E2D60240796B
4800 78951DF869CF6E15 57D1C75C47D2C39E 15CA7EE4BBA4EDD2 69CC2DBF5DD5320D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 AA21C81D362C1F4D B93A0C83CE3B6325 B93A0C83CE3B6325 375A81F743A5C4FF F0AB8876BD470504 FF21AE2AF4937AF5 CE99B1782B601ACC B93A0C83CE3B6325 A099678C5045C2AB B93A0C83CE3B6325 B93A0C83CE3B6325 BADB53FFD35FBE62
5400 3361AFB9A2D03995 F4B71A27D79963C3 701E6E55B44B4045 69CC2DBF5DD5320D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 F5C943253A81E675 B93A0C83CE3B6325 B93A0C83CE3B6325 375A81F743A5C4FF CFF68719DE020656 81DEF95C95FBF7E6 9C788369492CC0A4 B93A0C83CE3B6325 A099678C5045C2AB B93A0C83CE3B6325 B93A0C83CE3B6325 BADB53FFD35FBE62
6000 B11AC151FF863955 C6AA9E3AC7A4B3B5 075705FB44D6DE4F 0203E530FC62929D B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 7FCEA8436751CA9C B93A0C83CE3B6325 B93A0C83CE3B6325 375A81F743A5C4FF CAAE799FE052BBA2 C2B24DA8B15A576E 8F1A07D27A20B945 B93A0C83CE3B6325 A099678C5045C2AB B93A0C83CE3B6325 B93A0C83CE3B6325 B22512D12A87FD30
)";

// After the area change with fade, area 2's objects: the indicators of both
// slots, of which slot 0's lights in the countdown's colour every frame it
// counts down and slot 1's (not in play) never; the two touch objects
// waiting with no player to touch them; and the drifting object, which comes
// in from the left at its random speed, is shown, and removes itself once it
// has left the screen on the right.
TEST(PlayRun, TheSecondAreaLightsTheCountdownIndicatorAndADrifterCrossesTheScreen) {
    const auto& out = play_run();
    const uint64_t area2 = out.first_frame(var::stage, 0x0201);
    ASSERT_GT(area2, 0u);
    auto with_routine = [&](uint32_t routine) {
        return out.objects_with(kPool128, ob::routine, routine, area2);
    };
    const auto indicators = with_routine(entry::sub_084FA6);
    ASSERT_EQ(indicators.size(), 2u);
    for (uint32_t a : indicators) {
        if (out.value_at(a + ob::type, area2) == 1) {
            for (uint64_t f : out.frames_of(a + kIndicatorBlink))
                EXPECT_LE(f, area2) << "slot 1 is not in play";
            continue;
        }
        EXPECT_EQ(out.value_at(a + kIndicatorColour, area2) & 0x7FF, 0x170u) << "the countdown's colour";
        // Counted every frame from the area's start while slot 0 counts down.
        const uint64_t ranking = out.first_frame(kRoutine, entry::sub_08A3D6);
        for (uint64_t f = area2; f < ranking; ++f)
            EXPECT_EQ(out.value_at(a + kIndicatorBlink, f), (f - area2 + 1) & 0xFF) << "frame " << f;
        EXPECT_EQ(out.value_at(a + kIndicatorBlink, ranking + 10), out.value_at(a + kIndicatorBlink, ranking))
            << "dark once the countdown is over";
    }
    for (uint32_t routine : {entry::sub_0770E0, entry::sub_0771A2}) {
        const auto touch = with_routine(routine);
        ASSERT_EQ(touch.size(), 1u);
        EXPECT_EQ(out.value_at(touch[0] + ob::type, area2), routine == entry::sub_0770E0 ? 55u : 56u);
        EXPECT_EQ(out.frames_of(touch[0] + ob::state).back(), area2) << "waiting from its first frame on";
    }
    const auto drifters = with_routine(entry::sub_077270);
    ASSERT_EQ(drifters.size(), 1u);
    const uint32_t d = drifters[0];
    const int16_t x0 = int16_t(out.value_at(d + ob::world_x, area2));
    const int v = int16_t(out.value_at(d + ob::world_x, area2 + 1)) - x0;
    EXPECT_GE(v, 13);
    EXPECT_LE(v, 16);
    EXPECT_EQ(x0, -79 * v) << "in from 80 steps left of its place";
    const auto states = out.values_of(d + ob::state);
    const auto flags = out.values_of(d + ob::flags);
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states.back(), 2u) << "shown on screen";
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(flags.back() & 1, 0u) << "removed itself";
    const uint64_t gone = out.frames_of(d + ob::flags).back();
    const int16_t x_gone = int16_t(out.value_at(d + ob::world_x, gone));
    // The frame it was first not shown it left without a step.
    EXPECT_EQ(x_gone, x0 + int(gone - 1 - area2) * v) << "a step a frame to the end";
    EXPECT_GT(x_gone, int16_t(out.value_at(kCameraX, gone)) + 320 * 4) << "off the screen's right edge";
}

TEST(PlayRun, CheckpointsMatchTheirTableWithAnyTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kExpected, play_run(),
                                            [&](int slices) { return r.run(play_options(slices)); }),
              "");
}

}  // namespace
