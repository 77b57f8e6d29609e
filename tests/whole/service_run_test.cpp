// The operator's service mode on the synthetic ROM set: coins and a join for
// the bookkeeping, then the test switch, every settings page walked, the
// difficulty and the coin setting changed, the bookkeeping read, and the mode
// left saving; the EEPROM file then holds the change and the next start reads
// it back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "tests/support/play_script.h"
#include "tests/support/synthetic/service_layout.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

namespace br = backup_record;

using namespace synthetic::service_layout;

// Work RAM and shared RAM the run follows.
constexpr uint32_t kCredits = var::credit_records + credit_record::credits;  // record 0's
constexpr uint32_t kBackupDifficulty = var::backup_primary + backup_record::difficulty;

using whole_run::backup_crc;

uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// The control script, one press every ten frames from the test switch on,
// with the frames the checks look at.
struct service_walk : play_script::presses {
    uint64_t game_page_edited = 0;   // game settings shown after the difficulty edit
    uint64_t bookkeeping_shown = 0;  // bookkeeping page 1 on screen
    uint64_t self_tested = 0;        // the self test's page after its run
    uint64_t input_held = 0;         // input test, button 1 of player 1 held
    uint64_t auto_bookkeeping = 0;   // bookkeeping page 1 again, after the self test
    uint64_t left = 0;               // the exit line chosen

    service_walk() {
        // Two coins, then player 1 joins with button 1 (the join option is off).
        at(100, "coin1");
        at(130, "coin1");
        at(400, "button1");
        // The test switch during the game; the menu starts on its exit line.
        at(600, "test");
        // Sound test (line 3): play the first music line once, leave.
        press("service", 4);
        press("test");
        press("service");
        press("test");
        press("service", 3);
        press("test");
        // Game settings (line 5): difficulty one step up, every line passed, leave.
        press("service", 2);
        press("test");
        press("service");
        press("test");
        game_page_edited = f;
        press("service", 6);
        press("test");
        // Coin and credit (line 6): the next coin preset, then the coin details
        // page: one more coin per credit; back, leave.
        press("service");
        press("test");
        press("service", 3);
        press("test");
        press("service");
        press("test");
        press("service");
        press("test");
        press("service", 4);
        press("test");
        press("service");
        press("test");
        // Bookkeeping (line 7): page 1, page 2, back to the menu.
        press("service");
        press("test");
        bookkeeping_shown = f;
        f += 20;
        press("test", 2);
        // Auto-run on (line 0), then from line 1 every page in turn, each left
        // with the test switch: self test, input test (button 1 held a while),
        // sound test, colour test (two pages), game settings, coin and credit,
        // bookkeeping (two pages), bookkeeping reset (answered yes, then its
        // message page); the menu comes back on its exit line.
        press("service", 3);
        press("test");
        press("service");
        press("test");
        self_tested = f - 2;
        press("test");
        script += std::to_string(f - 8) + " hold button1\n";
        input_held = f - 1;
        script += std::to_string(f) + " release button1\n";
        press("test", 6);
        auto_bookkeeping = f - 2;
        press("test", 2);
        press("service");
        press("test", 2);
        // Exit (line 9), saving.
        left = f;
        press("test");
    }
};

// Preset 1 is what the coin preset step gives from the default preset 0; one
// step of the coins-per-credit editor then adds one coin.
constexpr auto kPreset1 = kPresets[1];
constexpr uint8_t kNewCoinsPerCredit = uint8_t(kPreset1[0] + 1);
constexpr uint8_t kNewDifficulty = uint8_t(kDefaultSettings[br::difficulty - br::settings] + 1);

std::vector<std::pair<uint32_t, int>> watches() {
    std::vector<std::pair<uint32_t, int>> w = {
        {var::game_mode, 2},
        {var::difficulty_rank, 1},
        {var::coin_setting_copy, 4},
        {kCredits, 1},
        {var::service_request, 1},
        {kBackupDifficulty, 1},
        {var::coin_credits, 2},
        {var::coin_count, 2},
        {var::join_count, 2},
        {var::new_play_count, 2},
        {var::self_test_results, 8},
        {var::self_test_results + 8, 8},
        {var::self_test_results + 16, 3},
        {var::service_flags, 1},
        {var::service_menu_index, 1},
    };
    // Text cells: the difficulty on the game page, the bookkeeping counts.
    for (auto [row, col] : {std::pair{5, 30},
                            {5, 28},
                            {5, 29},
                            {6, 29},
                            {7, 12},
                            {9, 24},
                            {9, 29},
                            {11, 29},
                            {12, 29},
                            {13, 29},
                            {15, 24},
                            {15, 28},
                            {15, 29},
                            {11, 16},
                            {11, 17},
                            {11, 28},
                            {6, 4}})
        w.push_back({cell_address(row, col), 2});
    return w;
}

constexpr uint64_t kFrames = 1400;
// The main menu is on the screen, the cursor on its way to the sound test.
constexpr uint64_t kMenuPicture = 615;

whole_run::options walk_options(int slices) {
    whole_run::options o = whole_run::run_options(service_walk().script, kFrames, 200, slices, 240);
    o.watch = watches();
    const service_walk walk;
    o.pictures = {kMenuPicture, walk.game_page_edited + 5, walk.bookkeeping_shown};
    return o;
}

// The start after the walk, on the EEPROM file the walk left.
whole_run::options again_options(const std::vector<uint8_t>& eeprom) {
    whole_run::options again = whole_run::run_options("", 60, 60, 1, 60);
    again.eeprom = eeprom;
    again.watch = {{var::difficulty_rank, 1}, {var::coin_setting_copy, 4}, {kBackupDifficulty, 1}};
    return again;
}

const whole_reach::listed kReach("service", [](whole_run::runner& r) {
    std::vector<whole_run::outcome> out{r.run(walk_options(1))};
    if (out[0].eeprom) out.push_back(r.run(again_options(*out[0].eeprom)));
    return out;
});

// Checkpoints of the walk, the same for every slicing.
const char* const kWalkCheckpoints = R"(
200 317D699BB65C72F5 3087D9D18CF26A69 135B7DEE9DF7F069 323F1854711E56EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 85B340994E7A16DB A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 CD8F013D82D81C6E
400 937A0B378B8C9EDD A9D0B8974B6FA384 D8826623F44A711E 1995CCFB5A4F3745 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 746F8F717856B3BE B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 8ACFA50F299BF9FB A6C556F9AAA03E65 9D3D0D0AB21F51BD B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 D5D4CE81B5AF496A
600 34BD08EDCCD6E48D C9249E01DD75CBF5 756EA09AF953F381 33E09068F9E7F0A3 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 4EECAF797187F6D1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 CB00F44FDA92C4AD FC878BE381A0CAA1 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 EA1935F293C1F8BD
800 B721EFCD2013BA8D A787790C30CBDB90 A77E7019E7FFA9C2 0B0389112D327998 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 4EECAF797187F6D1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 56BB817C272269EE 6ED9C1A1E5F948E9 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 6F4159D4BD57AB94
1000 9A9EC71A0ADA8B95 EFD265B29BB9A66E D3B67E1104059600 0B0389112D327998 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 4EECAF797187F6D1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 C01B2DCB2493073E C12290680A9F4B82 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 E8D9582AE3FF5421
1200 B45CDF1F0320DCB5 028ABF548BBD5D7D 45DE5A44B7D13131 0B0389112D327998 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 4EECAF797187F6D1 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 136E05D7BF019E21 594E95BBD4CB51F6 B2FC4EAB2E2E7A04 B93A0C83CE3B6325 AC57B1B33797B542 B93A0C83CE3B6325 B93A0C83CE3B6325 A5B690B535BA5E95
1400 9D37780AE1388165 CB347207B4A3DCBB BA1305E74D49C247 323F1854711E56EB B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 EC58CCA594AC299E B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 3A95C4F1957AFCCC A9A935E1FDEB63DF 9D3D0D0AB21F51BD B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B93A0C83CE3B6325 B4B5CF5088E32B65
)";

TEST(ServiceRun, SettingsAreChangedSavedAndReadBack) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    const service_walk walk;
    const auto out = r.run(walk_options(1));
    ASSERT_EQ(out.status, 0) << out.err;

    // The play before the service mode left its counts: two coins of chute 1,
    // two credits from coins, one join of a new player.
    const uint64_t seen = walk.bookkeeping_shown;
    EXPECT_EQ(out.value_at(var::coin_count, seen), 2u);
    EXPECT_EQ(out.value_at(var::coin_credits, seen), 2u);
    EXPECT_EQ(out.value_at(var::join_count, seen), 1u);
    EXPECT_EQ(out.value_at(var::new_play_count, seen), 1u);

    // The game page shows the new difficulty (1-based) in the column before 31.
    EXPECT_EQ(out.value_at(cell_address(5, 30), walk.game_page_edited + 5), 0x0430u + kNewDifficulty + 1);

    // Bookkeeping page 1: numbers in attribute 4 end before column 30; a count
    // above 1 carries the plural mark six cells left of the number's end, in
    // attribute 0x0A; chutes 3 and 4 are greyed with two shared chutes.
    struct cell_case {
        int row, col;
        uint16_t value;
        const char* what;
    };
    const cell_case cells[] = {
        {5, 29, 0x0432, "chute 1 coins: 2"},       {5, 28, 0x0000, "chute 1 coins: one digit"},
        {6, 29, 0x0430, "chute 2 coins: 0"},       {7, 12, 0x0E00 | 'C', "chute 3 line greyed"},
        {9, 29, 0x0432, "coins in total: 2"},      {9, 24, 0x0A53, "coins in total: plural mark"},
        {11, 29, 0x0432, "credits from coins: 2"}, {12, 29, 0x0430, "service credits: 0"},
        {13, 29, 0x0432, "credits in total: 2"},   {15, 29, 0x0431, "joins: 1"},
        {15, 28, 0x0000, "joins: one digit"},      {15, 24, 0x0A00, "joins: no plural mark"},
    };
    // The same after the self test, which tests the shared RAM and restores it.
    for (uint64_t frame : {seen, walk.auto_bookkeeping})
        for (const auto& c : cells)
            EXPECT_EQ(out.value_at(cell_address(c.row, c.col), frame), c.value)
                << c.what << ", frame " << frame;

    // The pages in the picture itself: the menu's heading and lines, the game
    // page with the new difficulty, the bookkeeping page with its totals.
    whole_run::keep_pictures(out, "service", IRONBELL_ARTEFACTS);
    ASSERT_EQ(out.value_at(var::service_request, kMenuPicture), 0xFFu) << "the service mode runs";
    EXPECT_EQ(whole_run::shown_text(out, kMenuPicture, 1, 16, 7), "SERVICE");
    for (int i = 0; i < 10; ++i) {
        const std::string line = kMenuLines[i];
        EXPECT_EQ(whole_run::shown_text(out, kMenuPicture, 4 + 2 * i, 12, int(line.size())), line);
    }
    EXPECT_EQ(whole_run::shown_text(out, kMenuPicture, 4, 20, 4), " OFF") << "auto-run";
    EXPECT_EQ(whole_run::shown_text(out, kMenuPicture, 26, 4, 25), "SERVICE SWITCH: NEXT LINE");
    const uint64_t game_page = walk.game_page_edited + 5;
    EXPECT_EQ(whole_run::shown_text(out, game_page, 1, 14, 12), "GAME OPTIONS");
    EXPECT_EQ(whole_run::shown_text(out, game_page, 5, 4, 27),
              "DIFFICULTY                " + std::string(1, char('0' + kNewDifficulty + 1)));
    EXPECT_EQ(whole_run::shown_text(out, seen, 1, 14, 11), "BOOKKEEPING");
    EXPECT_EQ(whole_run::shown_text(out, seen, 9, 14, 16), "TOTAL COINS    2");
    EXPECT_EQ(whole_run::shown_text(out, seen, 15, 20, 10), "JOIN     1");

    // The self test finds every ROM and RAM good: the set carries the ROM
    // signature words over what it plants.
    const uint64_t results[3] = {out.value_at(var::self_test_results, walk.self_tested),
                                 out.value_at(var::self_test_results + 8, walk.self_tested),
                                 out.value_at(var::self_test_results + 16, walk.self_tested)};
    for (int item = 0; item < 19; ++item) {
        const uint64_t r = results[item / 8] >> (8 * (item % 8)) & 0xFF;
        EXPECT_EQ(r, 2u) << "item " << item;
    }

    // The input test lights player 1's button 1 while it is held, not player
    // 2's, and greys the start line with the join option off.
    const cell_case inputs[] = {
        {11, 16, 0x0411, "player 1 button 1: pressed"},
        {11, 17, 0x0412, "player 1 button 1: pressed, second cell"},
        {11, 28, 0x0013, "player 2 button 1: released"},
        {6, 4, 0x0E00 | 'S', "start line greyed"},
    };
    for (const auto& c : inputs)
        EXPECT_EQ(out.value_at(cell_address(c.row, c.col), walk.input_held), c.value) << c.what;

    // Auto-run went through every page and brought the menu back on its exit
    // line, auto-run still on and the settings marked changed.
    EXPECT_EQ(out.value_at(var::service_menu_index, walk.left), 9u);
    EXPECT_EQ(out.value_at(var::service_flags, walk.left), 0x05u);

    // Leaving ends the service request; the game starts again at the title with
    // the saved settings applied, and the changed coin settings dropped the
    // standing credit.
    const auto requests = out.values_of(var::service_request);
    ASSERT_EQ(requests, (std::vector<uint64_t>{0, 0xFF, 0})) << out.err;
    const uint64_t back = out.frames_of(var::service_request).back();
    EXPECT_GT(back, walk.left);
    EXPECT_EQ(out.value_at(var::game_mode, kFrames) & 0xFF, 3u);
    EXPECT_EQ(out.value_at(var::difficulty_rank, kFrames), kNewDifficulty);
    EXPECT_EQ(out.value_at(var::coin_setting_copy, kFrames),
              uint64_t(kNewCoinsPerCredit) | uint64_t(kPreset1[2]) << 8 | uint64_t(kPreset1[3]) << 16 |
                  uint64_t(kPreset1[1]) << 24);
    EXPECT_EQ(out.value_at(kCredits, kFrames), 0u);
    // The bookkeeping reset emptied the block, and it stays so: it lives in
    // the RAM shared with the sound board, which the re-initialisation keeps.
    for (uint32_t counter : {var::coin_count, var::coin_credits, var::join_count, var::new_play_count})
        EXPECT_EQ(out.value_at(counter, kFrames), 0u) << std::hex << counter;

    // The EEPROM file: two equal records, each with its CRC, the new settings
    // and the save count raised once by the exit (the first start wrote the
    // default record without counting).
    ASSERT_TRUE(out.eeprom);
    const auto& e = *out.eeprom;
    ASSERT_EQ(e.size(), 128u);
    EXPECT_EQ(std::vector<uint8_t>(e.begin(), e.begin() + 64), std::vector<uint8_t>(e.begin() + 64, e.end()));
    EXPECT_EQ(std::string(e.begin(), e.begin() + 4), "KOTA");
    EXPECT_EQ(le16(e, br::version), 0x8101);
    EXPECT_EQ(le16(e, br::revision), 1);
    EXPECT_EQ(le16(e, br::crc), backup_crc(&e[br::flip_screen]));
    EXPECT_EQ(le16(e, br::spare + br::crc), backup_crc(&e[br::spare + br::flip_screen]));
    EXPECT_EQ(e[br::difficulty], kNewDifficulty);
    EXPECT_EQ(e[br::coins_per_credit], kNewCoinsPerCredit);
    EXPECT_EQ(e[br::chute1_units], kPreset1[2]);
    EXPECT_EQ(e[br::chute2_units], kPreset1[3]);
    EXPECT_EQ(e[br::bonus_period], kPreset1[1]);
    EXPECT_EQ(e[br::coin_item], 26) << "a coin field edited by hand leaves no preset";
    EXPECT_EQ(e[br::free_play], 0) << "no free play";
    EXPECT_EQ(le16(e, br::save_count) | le16(e, br::save_count + 2) << 16, 1u);
    for (size_t i = br::settings; i < br::save_count; ++i) {
        if (i == br::coins_per_credit || i == br::chute1_units || i == br::chute2_units ||
            i == br::bonus_period || i == br::coin_item || i == br::difficulty)
            continue;
        EXPECT_EQ(e[i], kDefaultSettings[i - br::settings]) << "record byte +" << std::hex << i;
    }

    // The next start reads the file back: the settings variables show the
    // change from the first frame, and nothing is written.
    const auto next = r.run(again_options(e));
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.values_of(var::difficulty_rank), (std::vector<uint64_t>{kNewDifficulty}));
    EXPECT_EQ(next.values_of(kBackupDifficulty), (std::vector<uint64_t>{kNewDifficulty}));
    EXPECT_EQ(next.values_of(var::coin_setting_copy),
              (std::vector<uint64_t>{out.value_at(var::coin_setting_copy, kFrames)}));
    ASSERT_TRUE(next.eeprom);
    EXPECT_EQ(*next.eeprom, e);
}

// The CRC as the run checks it, on the vector that fixes it: 54 bytes 0x00 to
// 0x35 give 0x1342, 54 zero bytes give 0.
TEST(ServiceRun, TheCheckOfTheRunComputesTheBackupCrc) {
    uint8_t b[54];
    for (int i = 0; i < 54; ++i) b[i] = uint8_t(i);
    EXPECT_EQ(backup_crc(b), 0x1342);
    for (auto& x : b) x = 0;
    EXPECT_EQ(backup_crc(b), 0);
}

// The walk's checkpoints match the recorded table, and the same walk cut into
// 7 and 1,000 time slices per stretch of sound-board time gives them too.
TEST(ServiceRun, TheWalkIsTheSameInEveryTimeSlicing) {
    whole_run::runner r(IRONBELL_PROBE_EXE);
    const auto first = r.run(walk_options(1));
    EXPECT_EQ(whole_run::slicing_mismatches(kWalkCheckpoints, first,
                                            [&](int slices) { return r.run(walk_options(slices)); }),
              "");
}

}  // namespace
