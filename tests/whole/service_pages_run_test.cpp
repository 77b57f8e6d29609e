// The service pages the settings walk leaves alone, on the synthetic ROM set:
// service credits up to the cap from the attract screens, then the test
// switch; the bookkeeping shows the service credits; the game settings are
// opened, one setting changed and changed back, and left unchanged; then
// every game setting but the difficulty, the chute and start-credit settings
// and every coin setting are changed, and the coin settings page is opened
// again with one chute per player; the input test follows the join option;
// the mode is left saving. The EEPROM file then holds every change, and the
// next start plays by them.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/play_script.h"
#include "tests/support/synthetic/service_layout.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

using namespace synthetic::service_layout;

// Work RAM, shared RAM and video RAM the run follows.
constexpr uint32_t kCreditRecord1 = var::credit_records + credit_record::size;

// Backup record fields the pages edit.
namespace br = backup_record;

using whole_run::backup_crc;

uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// The control script, one press every ten frames, with the frames the checks
// look at (each a few frames after the press that made what it checks).
struct pages_walk : play_script::presses {
    uint64_t credits_given = 0;      // the service credits are in
    uint64_t bookkeeping_shown = 0;  // bookkeeping page 1 on screen
    uint64_t demo_off = 0;           // first visit: demo sound switched off
    uint64_t demo_on = 0;            // ... and on again
    uint64_t bare_left = 0;          // first visit left
    uint64_t game_edited = 0;        // second visit: every line but the difficulty changed
    uint64_t start_credits = 0;      // coin and credit page: two credits to start
    uint64_t free_play = 0;          // coin and credit page: the free-play preset
    uint64_t free_play_coins = 0;    // coin settings page under free play
    uint64_t free_play_kept = 0;     // ... coins per credit changed
    uint64_t free_play_ended = 0;    // ... the bonus stepped off the free-play marker
    uint64_t coin_edited = 0;        // coin settings: every line changed
    uint64_t per_player = 0;         // coin and credit page: one chute per player
    uint64_t coin_greyed = 0;        // coin settings again, chute 2 greyed
    uint64_t chute_line = 0;         // its cursor on line 2
    uint64_t skipped = 0;            // ... and one press further
    uint64_t coin_left = 0;          // the coin and credit page left
    uint64_t input_shown = 0;        // the input test
    uint64_t left = 0;               // the exit line chosen

    // The frame a few frames after the last press.
    uint64_t now() const { return f - 5; }

    pages_walk() {
        // Ten service credits from the attract screens: nine credits, the tenth
        // finds the cap.
        at(100, "service");
        press("service", 9);
        credits_given = f;
        // The test switch; the menu starts on its exit line.
        at(400, "test");
        // Bookkeeping (line 7): page 1, page 2, back to the menu.
        press("service", 8);
        press("test");
        bookkeeping_shown = now();
        press("test", 2);
        // Game settings (line 5), first visit: demo sound (line 2) off and on
        // again, then left.
        press("service", 8);
        press("test");
        press("service", 3);
        press("test");
        demo_off = now();
        press("test");
        demo_on = now();
        press("service", 4);
        press("test");
        bare_left = now();
        // Second visit: start energy, demo sound, screen flip, players and join
        // option each one step (lines 1 to 5), then left.
        press("test");
        press("service", 2);
        for (int line = 1; line <= 5; ++line) {
            press("test");
            press("service");
        }
        game_edited = f - 15;
        press("test");
        // Coin and credit (line 6): two credits to start (line 1); the presets
        // stepped through to the last, free play (line 2); the coin settings
        // page (line 3): coins per credit (line 0), bonus twice, the first ending
        // free play (line 1), chute 1 units (line 2), chute 2 units twice (line
        // 3); back.
        press("service");
        press("test");
        press("service", 2);
        press("test");
        start_credits = now();
        press("service");
        press("test", kPresetCount - 1);
        free_play = now();
        press("service");
        press("test");
        free_play_coins = now();
        press("service");
        press("test");
        free_play_kept = now();
        press("service");
        press("test");
        free_play_ended = now();
        press("test");
        press("service");
        press("test");
        press("service");
        press("test", 2);
        coin_edited = now();
        press("service");
        press("test");
        // One chute per player (line 0), then the coin settings again: its
        // cursor passes from line 2 to line 4; back, leave.
        press("service", 2);
        press("test");
        per_player = now();
        press("service", 3);
        press("test");
        coin_greyed = now();
        press("service", 3);
        chute_line = now();
        press("service");
        skipped = now();
        press("test");
        press("service");
        press("test");
        coin_left = now();
        // Input test (line 2), left with the test switch.
        press("service", 6);
        press("test");
        input_shown = now();
        press("test");
        // Exit (line 9), saving.
        press("service", 7);
        left = f;
        press("test");
    }
};

std::vector<std::pair<uint32_t, int>> watches() {
    std::vector<std::pair<uint32_t, int>> w = {
        {var::game_mode, 2},
        {var::coin_mode, 1},
        {var::same_chute_units, 1},
        {var::coin_setting_copy, 4},
        {var::credit_records, 4},
        {kCreditRecord1, 4},
        {var::service_request, 1},
        {var::service_flags, 1},
        {var::service_menu_index, 1},
        {var::service_cursor, 1},
        {var::service_screen, 4},
        {var::service_credits, 2},
        {hw::layer_control, 2},
        {var::backup_primary + br::flip_screen, 1},
        {var::backup_primary + br::player_count, 8},
        {var::backup_primary + br::free_play, 3},
        {var::backup_primary + br::start_energy, 2},
        {var::saved_credits, 2},
    };
    for (uint32_t b = 1; b < 34; ++b) w.push_back({var::sound_ring_a + b, 1});
    // Text cells of the pages, row by row.
    const std::pair<int, int> cells[] = {
        // bookkeeping: service credits, total credits
        {12, 29},
        {12, 24},
        {13, 29},
        // game settings: energy, demo sound, flip, players, join
        {9, 28},
        {9, 29},
        {9, 30},
        {11, 15},
        {11, 16},
        {11, 17},
        {13, 26},
        {13, 27},
        {15, 27},
        {17, 29},
        {19, 27},
        // coin and credit: chutes, start credits, item, greyed runs
        {4, 20},
        {6, 25},
        {6, 33},
        {8, 32},
        {8, 33},
        {9, 15},
        {9, 16},
        {14, 4},
        {14, 19},
        {9, 19},
        // coin settings: bonus, units, the coins-to-credits rows, chute 2 cells of line 2
        {8, 14},
        {8, 15},
        {8, 16},
        {8, 17},
        {11, 32},
        {11, 38},
        {17, 32},
        {17, 38},
        {13, 3},
        {13, 4},
        {13, 5},
        {13, 6},
        {13, 8},
        {13, 9},
        {13, 12},
        {13, 16},
        {19, 4},
        {19, 8},
        {19, 12},
        {19, 16},
        {10, 14},
        {10, 15},
        {16, 3},
        {17, 15},
        {20, 2},
        // input test: the start line
        {6, 4},
    };
    for (auto [row, col] : cells) w.push_back({cell_address(row, col), 2});
    return w;
}

constexpr uint64_t kFrames = 2000;

whole_run::options walk_options(int slices) {
    whole_run::options o = whole_run::run_options(pages_walk().script, kFrames, 200, slices, 240);
    o.watch = watches();
    return o;
}

// The start after the walk, on the EEPROM file the walk left: a coin in
// chute 2.
whole_run::options again_options(const std::vector<uint8_t>& eeprom) {
    whole_run::options again = whole_run::run_options("100 press coin2\n", 160, 160, 1, 60);
    again.eeprom = eeprom;
    again.watch = {{var::coin_mode, 1},      {var::same_chute_units, 1}, {var::coin_setting_copy, 4},
                   {var::credit_records, 4}, {kCreditRecord1, 4},        {hw::layer_control, 2}};
    return again;
}

const whole_reach::listed kReach("service pages", [](whole_run::runner& r) {
    std::vector<whole_run::outcome> out{r.run(walk_options(1))};
    if (out[0].eeprom) out.push_back(r.run(again_options(*out[0].eeprom)));
    return out;
});

const whole_run::outcome& walk_run() {
    return whole_run::run_once(IRONBELL_PROBE_EXE, "service pages", walk_options(1));
}

// The codes queued on ring A, by frame: read from the slots between the write
// index before and after each of its moves.
std::vector<std::pair<uint64_t, uint8_t>> queued_on_ring_a(const whole_run::outcome& out) {
    std::vector<std::pair<uint64_t, uint8_t>> codes;
    uint64_t before = 0;
    for (const auto& c : out.changes) {
        if (c.address != var::sound_ring_a + 1) continue;
        for (uint64_t w = before; w != c.value; w = (w + 1) & 31)
            codes.push_back({c.frame, uint8_t(out.value_at(var::sound_ring_a + 2 + uint32_t(w), c.frame))});
        before = c.value;
    }
    return codes;
}

uint64_t text_at(const whole_run::outcome& out, int row, int col, uint64_t frame) {
    return out.value_at(cell_address(row, col), frame);
}

uint64_t setting_at(const whole_run::outcome& out, uint32_t field, uint64_t frame) {
    // The watches cover the record in pieces; each piece's value holds its
    // bytes little-endian from its first address.
    struct piece {
        uint32_t first;
        int bytes;
    };
    for (const piece p :
         {piece{br::flip_screen, 1}, {br::player_count, 8}, {br::free_play, 3}, {br::start_energy, 2}})
        if (field >= p.first && field < p.first + uint32_t(p.bytes))
            return out.value_at(var::backup_primary + p.first, frame) >> 8 * (field - p.first) & 0xFF;
    ADD_FAILURE() << "record byte +" << std::hex << field << " is not watched";
    return 0;
}

struct cell_case {
    int row, col;
    uint16_t value;
    const char* what;
};

void expect_cells(const whole_run::outcome& out, uint64_t frame, std::initializer_list<cell_case> cells) {
    for (const auto& c : cells)
        EXPECT_EQ(text_at(out, c.row, c.col, frame), c.value) << c.what << ", frame " << frame;
}

TEST(ServicePagesRun, EndsCleanlyAtItsFrameLimit) {
    const auto& out = walk_run();
    ASSERT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.checkpoints.size(), kFrames / 200);
}

// Each press of the service switch on the attract screens gives a credit,
// sounds, and sends the attract sequence back to the title; the tenth finds
// nine credits and gives none. The bookkeeping page shows the nine.
TEST(ServicePagesRun, ServiceCreditsStopAtTheCapAndTheBookkeepingShowsThem) {
    const auto& out = walk_run();
    const pages_walk w;
    // Credits 9, no coin or bonus units, the credit-added mark of a service
    // credit.
    EXPECT_EQ(out.value_at(var::credit_records, w.credits_given), 0x01000009u);
    EXPECT_EQ(out.value_at(var::service_credits, w.credits_given), 9u);
    EXPECT_EQ(out.value_at(var::saved_credits, w.credits_given), 9u) << "saved credits";

    std::vector<uint64_t> sounded;
    for (auto [frame, code] : queued_on_ring_a(out))
        if (code == 0xAD) sounded.push_back(frame);
    ASSERT_EQ(sounded.size(), 9u);
    std::vector<uint64_t> titles;
    for (uint64_t f : out.frames_of(var::game_mode))
        if (f > 100 && f < w.credits_given && out.value_at(var::game_mode, f) == 3) titles.push_back(f);
    ASSERT_EQ(titles.size(), 9u) << "one return to the title per credit";
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_GT(sounded[i], titles[i]) << "credit " << i + 1;
        EXPECT_LT(sounded[i], titles[i] + 10) << "credit " << i + 1;
    }

    expect_cells(out, w.bookkeeping_shown,
                 {{12, 29, 0x0439, "service credits: 9"},
                  {12, 24, 0x0A53, "service credits: plural mark"},
                  {13, 29, 0x0439, "credits in total: 9"}});
}

// The first visit of the game settings switches the demo sound off and on
// again: the page shows each state, and leaving marks nothing changed.
TEST(ServicePagesRun, ASettingChangedBackLeavesNothingToSave) {
    const auto& out = walk_run();
    const pages_walk w;
    EXPECT_EQ(setting_at(out, br::demo_sound, w.demo_off), 0x00u);
    expect_cells(out, w.demo_off, {{13, 26, 'O', "demo sound: OFF"}, {13, 27, 'F', "demo sound: OFF"}});
    EXPECT_EQ(setting_at(out, br::demo_sound, w.demo_on), 0xFFu);
    expect_cells(out, w.demo_on, {{13, 26, 'O', "demo sound: ON"}, {13, 27, 'N', "demo sound: ON"}});
    // The default start energy with its bar, the default players.
    expect_cells(out, w.demo_on,
                 {{9, 28, 0x0434, "energy: 400"},
                  {9, 29, 0x0430, "energy: 400"},
                  {9, 30, 0x0430, "energy: 400"},
                  {17, 29, 0x0432, "players: 2"}});
    EXPECT_EQ(out.value_at(var::service_flags, w.bare_left), 0u);
    EXPECT_EQ(out.value_at(var::service_screen, w.bare_left), entry::sub_08B093) << "back at the main menu";
}

// The second visit steps every game setting but the difficulty: each value
// changes in the record in use and on the page; the screen flip turns the
// picture at once. Leaving marks the settings changed.
TEST(ServicePagesRun, EachGameSettingsEditorChangesItsValueOnThePage) {
    const auto& out = walk_run();
    const pages_walk w;
    const uint64_t at = w.game_edited;
    EXPECT_EQ(setting_at(out, br::start_energy, at) | setting_at(out, br::start_energy + 1, at) << 8, 450u);
    EXPECT_EQ(setting_at(out, br::demo_sound, at), 0x00u);
    EXPECT_EQ(setting_at(out, br::flip_screen, at), 0xFFu);
    EXPECT_EQ(setting_at(out, br::player_count, at), 1u) << "three players";
    EXPECT_EQ(setting_at(out, br::join_option, at), 0xFFu);
    expect_cells(out, at,
                 {{9, 28, 0x0434, "energy: 450"},
                  {9, 29, 0x0435, "energy: 450"},
                  {9, 30, 0x0430, "energy: 450"},
                  {11, 15, 0x0400 | '=', "energy bar"},
                  {13, 27, 'F', "demo sound: OFF"},
                  {15, 27, 'N', "screen flip: ON"},
                  {17, 29, 0x0433, "players: 3"},
                  {19, 27, 'N', "join option: ON"}});
    // The picture flips with the press, and stays flipped from then on.
    EXPECT_EQ(out.values_of(hw::layer_control), (std::vector<uint64_t>{0, 0x0200}));
    const auto flipped = out.frames_of(hw::layer_control);
    ASSERT_EQ(flipped.size(), 2u);
    EXPECT_GT(flipped[1], w.bare_left);
    EXPECT_LT(flipped[1], at);
    EXPECT_EQ(out.value_at(var::service_flags, at + 20), 0x04u);
}

// The coin and credit page and its coin settings page: every editor's value
// on the page, the coins-to-credits rows with their fractions, then one chute
// per player greying what it makes moot and the cursor passing over the
// chute 2 line. Leaving with changes drops the saved credits.
TEST(ServicePagesRun, CoinEditorsShowTheirValuesAndOneChutePerPlayerGreysChuteTwo) {
    const auto& out = walk_run();
    const pages_walk w;
    EXPECT_EQ(setting_at(out, br::start_credits, w.start_credits), 2u);
    expect_cells(out, w.start_credits,
                 {{4, 20, 'S', "chutes: SHARED"},
                  {6, 25, 0x0432, "to start: 2"},
                  {6, 33, 0x0453, "to start: plural mark"},
                  {8, 33, 0x0431, "preset 1"},
                  {9, 15, 'A', "chute A line"},
                  {14, 4, 'C', "chute B line"}});

    const uint64_t edited = w.coin_edited;
    EXPECT_EQ(setting_at(out, br::coins_per_credit, edited), 2u);
    EXPECT_EQ(setting_at(out, br::bonus_period, edited), 2u);
    EXPECT_EQ(setting_at(out, br::chute1_units, edited), 2u);
    EXPECT_EQ(setting_at(out, br::chute2_units, edited), 3u);
    EXPECT_EQ(setting_at(out, br::coin_item, edited), 26u) << "no preset";
    EXPECT_EQ(setting_at(out, br::free_play, edited), 0u);
    // Two units a coin with a unit more every two: 3, 6, 9, 12 units for 1 to
    // 4 coins at two a credit; three units a coin: 4, 9, 13, 18.
    expect_cells(out, edited,
                 {{8, 15, 0x0432, "bonus: 2"},
                  {8, 17, 'U', "bonus: UNITS"},
                  {11, 32, 0x0432, "chute A: 2 units"},
                  {11, 38, 0x0453, "chute A: plural mark"},
                  {17, 32, 0x0433, "chute B: 3 units"},
                  {17, 38, 0x0453, "chute B: plural mark"},
                  {13, 3, 0x0020, "chute A, 1 coin: no tens"},
                  {13, 4, 0x0A31, "chute A, 1 coin: 1"},
                  {13, 5, 0x0A80, "chute A, 1 coin: and 1"},
                  {13, 6, 0x0A88, "chute A, 1 coin: over 2"},
                  {13, 8, 0x0A33, "chute A, 2 coins: 3"},
                  {13, 9, 0x0020, "chute A, 2 coins: no fraction"},
                  {13, 12, 0x0A34, "chute A, 3 coins: 4"},
                  {13, 16, 0x0A36, "chute A, 4 coins: 6"},
                  {19, 4, 0x0A32, "chute B, 1 coin: 2"},
                  {19, 8, 0x0A34, "chute B, 2 coins: 4"},
                  {19, 12, 0x0A36, "chute B, 3 coins: 6"},
                  {19, 16, 0x0A39, "chute B, 4 coins: 9"},
                  {16, 3, 'C', "chute B heading"}});

    EXPECT_EQ(setting_at(out, br::chute_per_player, w.per_player), 0xFFu);
    expect_cells(out, w.per_player,
                 {{4, 20, 'P', "chutes: PER PLAYER"},
                  {8, 32, 0x0432, "no preset: item 27"},
                  {8, 33, 0x0437, "no preset: item 27"},
                  {9, 15, 0x0E00 | 'A', "chute A line greyed"},
                  {14, 4, 0x0E00 | 'C', "chute B line greyed"},
                  {14, 19, 0x0000, "chute B description erased"}});

    expect_cells(out, w.coin_greyed,
                 {{16, 3, 0x0E00 | 'C', "chute B heading greyed"},
                  {17, 15, 0x0E00 | 'P', "chute B units greyed"},
                  {20, 2, 0x0E00 | 'C', "credits row heading greyed"},
                  {19, 4, 0x0E32, "chute B row greyed"},
                  {13, 4, 0x0A31, "chute A row as it was"}});
    EXPECT_EQ(out.value_at(var::service_cursor, w.coin_greyed), 4u);
    EXPECT_EQ(out.value_at(var::service_cursor, w.chute_line), 2u);
    expect_cells(out, w.chute_line,
                 {{10, 14, 0x0E00, "chute 2 cells of line 2 greyed"},
                  {10, 15, 0x0E00, "chute 2 cells of line 2 greyed"}});
    EXPECT_EQ(out.value_at(var::service_cursor, w.skipped), 4u) << "line 3 passed over";

    // Leaving: the settings marked changed, the saved credits dropped.
    EXPECT_EQ(out.value_at(var::service_flags, w.coin_left), 0x04u);
    EXPECT_EQ(out.value_at(var::saved_credits, w.coin_left), 0u);
    EXPECT_EQ(out.value_at(var::saved_credits, w.per_player), 9u);
}

// Stepping the presets onto the last one sets free play, which the coin
// settings page shows as its bonus and which keeps the preset through a coin
// field's edit; the bonus editor on the free-play marker ends free play and
// leaves no bonus and no preset.
TEST(ServicePagesRun, TheFreePlayPresetAndTheBonusEditorThatEndsIt) {
    const auto& out = walk_run();
    const pages_walk w;
    EXPECT_EQ(setting_at(out, br::coin_item, w.free_play), uint64_t(kPresetCount - 1));
    EXPECT_EQ(setting_at(out, br::free_play, w.free_play), 0xFFu);
    EXPECT_EQ(setting_at(out, br::coins_per_credit, w.free_play), 1u);
    EXPECT_EQ(setting_at(out, br::bonus_period, w.free_play), 0xFFu);
    EXPECT_EQ(setting_at(out, br::chute1_units, w.free_play), 1u);
    EXPECT_EQ(setting_at(out, br::chute2_units, w.free_play), 1u);
    expect_cells(out, w.free_play,
                 {{8, 32, 0x0432, "preset 26"}, {8, 33, 0x0436, "preset 26"}, {9, 19, 'F', "FREE PLAY"}});
    expect_cells(out, w.free_play_coins, {{8, 14, 'F', "bonus: FREE PLAY"}});

    EXPECT_EQ(setting_at(out, br::coins_per_credit, w.free_play_kept), 2u);
    EXPECT_EQ(setting_at(out, br::coin_item, w.free_play_kept), uint64_t(kPresetCount - 1))
        << "the preset stays";

    EXPECT_EQ(setting_at(out, br::bonus_period, w.free_play_ended), 0u);
    EXPECT_EQ(setting_at(out, br::free_play, w.free_play_ended), 0u);
    EXPECT_EQ(setting_at(out, br::coin_item, w.free_play_ended), 26u);
    expect_cells(out, w.free_play_ended, {{8, 16, 'N', "bonus: NONE"}});
}

// With the join option on, the input test's start line applies.
TEST(ServicePagesRun, TheInputTestFollowsTheJoinOption) {
    const auto& out = walk_run();
    const pages_walk w;
    EXPECT_EQ(out.value_at(var::service_screen, w.input_shown), entry::sub_08B4F8);
    EXPECT_EQ(text_at(out, 6, 4, w.input_shown), uint64_t('S'));
}

// The exit saves every change: the EEPROM file holds them, the game starts
// again at the title by them (three players, one chute each, the new coin
// values, the picture flipped), the credits gone; the next start from the
// file plays by them: a chute 2 coin credits player 2's record.
TEST(ServicePagesRun, LeavingSavesEveryChangeAndTheNextStartPlaysByThem) {
    const auto& out = walk_run();
    const pages_walk w;
    EXPECT_EQ(out.values_of(var::service_request), (std::vector<uint64_t>{0, 0xFF, 0}));
    EXPECT_GT(out.frames_of(var::service_request).back(), w.left);
    EXPECT_EQ(out.value_at(var::coin_mode, kFrames), 4u);
    EXPECT_EQ(out.value_at(var::same_chute_units, kFrames), 0u);
    EXPECT_EQ(out.value_at(var::coin_setting_copy, kFrames), 0x02030202u);
    EXPECT_EQ(out.value_at(var::credit_records, kFrames), 0u);
    EXPECT_EQ(out.value_at(var::service_credits, kFrames), 9u) << "the bookkeeping keeps its counts";
    EXPECT_EQ(out.value_at(hw::layer_control, kFrames), 0x0200u);

    ASSERT_TRUE(out.eeprom);
    const auto& e = *out.eeprom;
    ASSERT_EQ(e.size(), 128u);
    EXPECT_EQ(std::vector<uint8_t>(e.begin(), e.begin() + 64), std::vector<uint8_t>(e.begin() + 64, e.end()));
    EXPECT_EQ(std::string(e.begin(), e.begin() + 4), "KOTA");
    EXPECT_EQ(le16(e, br::crc), backup_crc(&e[br::flip_screen]));
    EXPECT_EQ(le16(e, br::save_count) | le16(e, br::save_count + 2) << 16, 1u) << "saved once";
    EXPECT_EQ(e[br::flip_screen], 0xFF);
    struct changed {
        uint32_t at;
        uint8_t value;
    };
    const changed changes[] = {
        {br::player_count, 1}, {br::chute_per_player, 0xFF}, {br::coins_per_credit, 2},
        {br::chute1_units, 2}, {br::chute2_units, 3},        {br::bonus_period, 2},
        {br::demo_sound, 0},   {br::start_credits, 2},       {br::join_option, 0xFF},
        {br::coin_item, 26},   {br::start_energy, 0xC2},     {br::start_energy + 1, 0x01}};
    for (uint32_t i = br::settings; i < br::save_count; ++i) {
        uint8_t expected = kDefaultSettings[i - br::settings];
        for (const auto& c : changes)
            if (c.at == i) expected = c.value;
        EXPECT_EQ(e[i], expected) << "record byte +" << std::hex << i;
    }

    whole_run::runner r(IRONBELL_PROBE_EXE);
    const auto next = r.run(again_options(e));
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.values_of(var::coin_mode), (std::vector<uint64_t>{4}));
    EXPECT_EQ(next.values_of(var::coin_setting_copy), (std::vector<uint64_t>{0x02030202}));
    EXPECT_EQ(next.values_of(hw::layer_control), (std::vector<uint64_t>{0x0200}));
    // Two units and the bonus unit of the first two make one credit and a unit
    // over, on record 1 (player 2's chute); record 0 stays empty.
    EXPECT_EQ(next.value_at(kCreditRecord1, 160), 0x01000101u);
    EXPECT_EQ(next.value_at(var::credit_records, 160), 0u);
    ASSERT_TRUE(next.eeprom);
    EXPECT_EQ(*next.eeprom, e);
}

// Checkpoints of the walk, the same for every slicing.
const char* const kWalkCheckpoints = R"(
200 317D699BB65C72F5 2F2956B7C562E2DD 9D635F3562987E4D 323F1854711E56EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 115651E779A664E6 02E0C4A4D6DF139A 9D3D0D0AB21F51BD B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 13C3357E46D0BE00
400 551FA7761238E86D 6C930F8278E21389 9277FA5E47D57AAE D544CBBF931B2338 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B4E469A5A5C22252 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 4B462B6848E3FF27 02E0C4A4D6DF139A 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 D67707DF0D3AAB0D
600 60E77ED6C007C655 010E97D245485639 95D73D932720B019 8E5B32BC9C688E7B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A737E0714F1FEB92 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 79C85E289602CDC7 1230FC8BAECAE150 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 91EE914BC63C5CCC
800 E6CBE910A0AC2395 C8D4568AB8D514E6 512566FB7FC7D627 8E5B32BC9C688E7B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A737E0714F1FEB92 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 9D2BA57F39FC9333 60772C815642B7CE 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 C7FD12EC47719DDD
1000 A1620E3E2D429E15 7467BFA3FC74102E 30CA4E42FBA69C90 8E5B32BC9C688E7B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A737E0714F1FEB92 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 358CCF1718EC9CB2 13CA15F71DF75BB5 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 A88300B78EC9E737
1200 553A724AA450BA75 2BF3559BF7EB6361 9B8E3791F5AA91D2 8E5B32BC9C688E7B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A737E0714F1FEB92 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 458D683DED50F6B8 73967770D154908D 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 F9B2FB164C1E74DA
1400 CD2A4BEA3DD3B055 9F01F662F7B16D9E 532184E009990D0C 8E5B32BC9C688E7B B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 A737E0714F1FEB92 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 DB5D889F8C66A77B 87D6EF70D1AEDAB8 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 2FE8A1EB42BE9A77
1600 467CEF40AD2A1765 495BF35663B6CA01 0A426B3EB4C00389 323F1854711E56EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 D26ACD404F15004E 2AF4BCE8144EEE5B E14FA27A9B25BAD5 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 9B2A5AFC8C4271B5
1800 DF49F0A01FEF05BD 9E2E2AE7754ABEA9 F65FF90B1BB1EB94 2A2A32F3C1E6DB40 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 E49E9CD67B08B5B6 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 92EBA4D062705526 2AF4BCE8144EEE5B E14FA27A9B25BAD5 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 831F7A39E6F9EA99
2000 49DC5DBDC6E53505 DB622E9FF7A05E47 21D3A892A46EDBD5 00785C22CF9F3893 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8A782279EC5C7EBE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 0BC0CB271EF018AB 2AF4BCE8144EEE5B E14FA27A9B25BAD5 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 FAB70D448C28B3E5
)";

TEST(ServicePagesRun, TheWalkIsTheSameInEveryTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    EXPECT_EQ(whole_run::slicing_mismatches(kWalkCheckpoints, walk_run(),
                                            [&](int slices) { return r.run(walk_options(slices)); }),
              "");
}

}  // namespace
