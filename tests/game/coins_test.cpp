#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "board/machine.h"
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"
#include "tests/game/operator_model.h"
#include "tests/support/game_harness.h"

namespace {

using namespace operator_model;
namespace br = backup_record;
namespace cr = credit_record;

// Released edges of the system inputs.
constexpr uint8_t kService = 0x01, kChute1 = 0x04, kChute2 = 0x08, kChute3 = 0x40, kChute4 = 0x80;

struct coin_settings {
    uint8_t per_credit = 1, chute1 = 1, chute2 = 1, bonus = 0;
    uint8_t players = 0;  // player_count
    bool per_player = false;
    bool free_play = false;
};

uint32_t rec(uint32_t n) { return var::credit_records + 8 * n; }

class Coins : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        sounds_.clear();
        vblank_ = 0;
        fake(sub_088F98 /* sound queue: ring A: queues R0's low byte */, [this] {
            sounds_.push_back({vblank_, static_cast<uint8_t>(r(0))});
        });
        write_valid_block(std::vector<uint8_t>(kDataBytes, 0));
        // What the start-up's RAM clear leaves in the coin variables: credit
        // layout 0, no credits or coin units in any record, no meter pulses or
        // coin and service sounds still to give, the settings bytes the
        // application writes only in some layouts at 0, meter bits off.
        orb_write8(var::coin_mode, 0);
        for (uint32_t i = 0; i < 4 * cr::size; ++i) orb_write8(var::credit_records + i, 0);
        for (uint32_t i = 0; i < 3; ++i) {
            orb_write8(var::coin_meter_1 + i, 0);
            orb_write8(var::coin_meter_2 + i, 0);
        }
        orb_write8(var::coin_sound_pending, 0);
        orb_write8(var::service_sound_pending, 0);
        orb_write8(var::free_play_active, 0);
        orb_write8(var::same_chute_units, 0);
        orb_write32(var::coin_setting_copy, 0);
        orb_write8(var::output_port_shadow, 0);
    }

    // The settings in the primary backup record, applied as at start-up.
    void apply(const coin_settings& s) {
        const uint32_t p = var::backup_primary;
        orb_write8(p + br::coins_per_credit, s.per_credit);
        orb_write8(p + br::chute1_units, s.chute1);
        orb_write8(p + br::chute2_units, s.chute2);
        orb_write8(p + br::bonus_period, s.bonus);
        orb_write8(p + br::player_count, s.players);
        orb_write8(p + br::chute_per_player, s.per_player ? 0xFF : 0);
        orb_write8(p + br::free_play, s.free_play ? 0xFF : 0);
        ASSERT_TRUE(run(sub_060CCE));
    }

    // One vblank of the coin handler with these released edges.
    void vblank(uint8_t released = 0) {
        ++vblank_;
        orb_write8(var::system_releases, released);
        ASSERT_TRUE(run(sub_060D76));
    }
    void vblanks(int n) {
        for (int i = 0; i < n; ++i) vblank();
    }

    int sounds(uint8_t code) const {
        int n = 0;
        for (const auto& s : sounds_) n += s.second == code;
        return n;
    }

    std::vector<std::pair<int, uint8_t>> sounds_;  // (vblank, code)
    int vblank_ = 0;
};

TEST_F(Coins, SettingsApplication) {
    const struct {
        const char* name;
        coin_settings s;
        uint8_t mode, same, free;
        bool copies;
    } cases[] = {
        {"2 players sharing, chutes alike", {2, 3, 3, 4, 0, false, false}, 0, 0xFF, 0, true},
        {"4 players sharing, chutes unlike", {2, 3, 1, 4, 2, false, false}, 2, 0, 0, true},
        {"2 players, a chute each", {1, 1, 2, 0, 0, true, false}, 3, 0, 0, true},
        {"4 players, a chute each", {1, 1, 2, 0, 2, true, false}, 5, 0, 0, true},
        {"free play", {2, 3, 3, 0xFF, 1, false, true}, 1, 0, 0xFF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        orb_write8(var::backup_primary + br::difficulty, 5);
        for (uint32_t n = 0; n < 4; ++n)
            orb_write16(var::saved_credits + 2 * n, static_cast<uint16_t>(0x0102 + n));
        for (uint32_t n = 0; n < 4; ++n) orb_write32(rec(n), 0xFFFFFFFF);
        orb_write8(0x208148, 0x5A);
        apply(c.s);
        EXPECT_EQ(ram8(var::difficulty_rank), 5);
        EXPECT_EQ(ram8(var::coin_mode), c.mode);
        EXPECT_EQ(ram8(var::same_chute_units), c.same);
        EXPECT_EQ(ram8(var::free_play_active), c.free);
        EXPECT_EQ(ram32(var::coin_setting_copy),
                  c.copies ? (c.s.per_credit | c.s.chute1 << 8 | c.s.chute2 << 16 | uint32_t{c.s.bonus} << 24)
                           : 0u);
        for (uint32_t n = 0; n < 4; ++n) {
            EXPECT_EQ(ram16(rec(n)), 0x0102 + n) << "credits and coin units of record " << n;
            EXPECT_EQ(ram16(rec(n) + 2), 0xFFFF) << "bonus and added stay as the RAM clear leaves them";
        }
        EXPECT_EQ(ram8(0x208148), 0x5A) << "no DIP copy";
        TearDown();
    }
}

TEST_F(Coins, OneCoinMakesEveryCreditItsUnitsAllow) {
    fake(sub_061034 /* attract exit */);
    apply({1, 3, 1, 0});
    vblank(kChute1);
    vblanks(3);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 3);
    EXPECT_EQ(ram8(rec(0) + cr::coin_units), 0);
    EXPECT_EQ(ram8(rec(0) + cr::credit_added), 3);
    EXPECT_EQ(calls(sub_061034 /* attract exit */), 3);
    EXPECT_EQ(sounds(0xA5), 1);
    ASSERT_GE(sounds_.size(), 1u);
    EXPECT_EQ(sounds_.front().first, 2) << "queued on the next vblank";
    EXPECT_EQ(ram16(var::coin_credits), 3);
    EXPECT_EQ(ram16(var::coin_count), 1);
    EXPECT_EQ(ram16(var::coin_credits + var::bookkeeping_mirror_offset), 3) << "mirror";
    EXPECT_EQ(ram16(kBlock), check_value_at(kData));
}

TEST_F(Coins, CreditsStopAtNine) {
    apply({1, 3, 1, 0});
    orb_write8(rec(0) + cr::credits, 8);
    vblank(kChute1);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 9);
    EXPECT_EQ(ram8(rec(0) + cr::coin_units), 0) << "units past the cap are dropped";
    EXPECT_EQ(ram16(var::coin_credits), 1);

    // At 9 a coin is counted and metered but makes no sound or credit.
    orb_write8(rec(0) + cr::coin_units, 2);
    orb_write8(rec(0) + cr::bonus_units, 1);
    vblanks(20);  // the first coin's sound and meter pulse are over
    sounds_.clear();
    vblank(kChute1);
    const uint8_t meter_bit = ram8(var::output_port_shadow) & 1;
    vblanks(2);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 9);
    EXPECT_EQ(ram8(rec(0) + cr::coin_units), 0);
    EXPECT_EQ(ram8(rec(0) + cr::bonus_units), 0);
    EXPECT_EQ(ram16(var::coin_count), 2);
    EXPECT_EQ(ram16(var::coin_credits), 1);
    EXPECT_EQ(meter_bit, 1);
    EXPECT_TRUE(sounds_.empty());

    // A service credit at 9 only clears the units.
    orb_write8(rec(0) + cr::coin_units, 2);
    vblank(kService);
    vblanks(2);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 9);
    EXPECT_EQ(ram8(rec(0) + cr::coin_units), 0);
    EXPECT_EQ(ram16(var::service_credits), 0);
    EXPECT_TRUE(sounds_.empty());
}

TEST_F(Coins, EveryBonusPeriodOfUnitsEarnsOneMore) {
    apply({2, 1, 1, 4});
    for (int coin = 1; coin <= 8; ++coin) {
        vblank(kChute1);
        if (coin == 4) {
            EXPECT_EQ(ram8(rec(0) + cr::credits), 2);
            EXPECT_EQ(ram8(rec(0) + cr::coin_units), 1);
        }
    }
    EXPECT_EQ(ram8(rec(0) + cr::credits), 5);
    EXPECT_EQ(ram8(rec(0) + cr::coin_units), 0);
    EXPECT_EQ(ram8(rec(0) + cr::bonus_units), 0);
    EXPECT_EQ(ram16(var::coin_credits), 5);
}

// In the shared layouts chute 2 goes first; with unlike values it pulses
// meter 2. At 8 credits, chute 2 (2 units) makes the ninth credit, so chute
// 1's coin meets the cap: one coin sound, not two.
TEST_F(Coins, SharedLayoutHandlesChuteTwoFirst) {
    apply({2, 1, 2, 0});
    orb_write8(rec(0) + cr::credits, 8);
    vblank(kChute1 | kChute2);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 9);
    EXPECT_EQ(ram8(rec(0) + cr::coin_units), 0);
    EXPECT_EQ(ram8(var::coin_sound_pending), 1);
    EXPECT_EQ(ram16(var::coin_count), 1);
    EXPECT_EQ(ram16(var::coin_count + 2), 1);
    EXPECT_EQ(ram8(var::output_port_shadow) & 3, 3) << "both meters pulse";
}

TEST_F(Coins, ChuteValuesAndMetersByLayout) {
    const struct {
        const char* name;
        coin_settings s;
        uint8_t released;
        uint8_t record;
        uint8_t units;    // coin units the coin left on its record
        uint8_t counter;  // element of the bookkeeping coin counts
        uint8_t meter_bits;
    } cases[] = {
        {"shared, chute 2 unlike", {9, 1, 2, 0, 1}, kChute2, 0, 2, 1, 2},
        {"shared, chute 2 alike", {9, 3, 3, 0, 1}, kChute2, 0, 3, 1, 1},
        {"a chute each, chute 2", {9, 1, 2, 0, 0, true}, kChute2, 1, 1, 1, 1},
        {"3 chutes, chute 3", {9, 1, 2, 0, 1, true}, kChute3, 2, 1, 2, 1},
        {"4 chutes, chute 4", {9, 1, 2, 0, 2, true}, kChute4, 3, 1, 3, 1},
        {"2 chutes, chute 3 not wired", {9, 1, 2, 0, 0, true}, kChute3, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        apply(c.s);
        vblank(c.released);
        uint32_t units = 0;
        for (uint32_t n = 0; n < 4; ++n) units += ram8(rec(n) + cr::coin_units);
        EXPECT_EQ(ram8(rec(c.record) + cr::coin_units), c.units);
        EXPECT_EQ(units, c.units) << "no other record gains";
        EXPECT_EQ(ram16(var::coin_count + 2 * c.counter), c.units ? 1 : 0);
        EXPECT_EQ(ram8(var::output_port_shadow) & 3, c.meter_bits);
        TearDown();
    }
}

TEST_F(Coins, ServiceReleaseCreditsEveryRecordOfTheLayout) {
    apply({1, 1, 1, 0, 2, true});  // mode 5
    orb_write8(var::game_mode, game_mode::demo);
    orb_write8(var::game_submode, 4);
    vblank(kService);
    for (uint32_t n = 0; n < 4; ++n) {
        EXPECT_EQ(ram8(rec(n) + cr::credits), 1) << "record " << n;
        EXPECT_EQ(ram8(rec(n) + cr::credit_added), 1) << "record " << n;
    }
    EXPECT_EQ(ram16(var::service_credits), 4);
    EXPECT_EQ(ram16(var::coin_credits), 0);
    EXPECT_EQ(ram8(var::game_mode), game_mode::title) << "a credit in the demo restarts the title";
    EXPECT_EQ(ram8(var::game_submode), 0);
    vblanks(5);
    const std::vector<std::pair<int, uint8_t>> expected = {{2, 0xAD}, {3, 0xAD}, {4, 0xAD}, {5, 0xAD}};
    EXPECT_EQ(sounds_, expected);

    // A shared layout credits record 0 only.
    SetUp();
    apply({1, 1, 1, 0, 1});
    vblank(kService);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 1);
    EXPECT_EQ(ram8(rec(1) + cr::credits), 0);
    EXPECT_EQ(ram16(var::service_credits), 1);
}

// Three coins in one vblank (one on each of three chutes): meter 1 pulses at
// vblanks 1, 14 and 27, each time on for 6 and off for 7.
TEST_F(Coins, MeterPulsesOnceEveryThirteenVblanks) {
    apply({1, 1, 1, 0, 1, true});  // mode 4, one meter
    std::vector<int> on;
    for (int v = 1; v <= 45; ++v) {
        vblank(v == 1 ? kChute1 | kChute2 | kChute3 : 0);
        if (ram8(var::output_port_shadow) & 1) on.push_back(v);
    }
    std::vector<int> expected;
    for (int start : {1, 14, 27})
        for (int v = start; v < start + 6; ++v) expected.push_back(v);
    EXPECT_EQ(on, expected);
    EXPECT_EQ(ram8(var::coin_meter_2 + 2), 0) << "meter 2 never asked";
}

// The standing credits follow the records every vblank, with the check value
// and the mirror.
TEST_F(Coins, SavedCreditsFollowTheRecords) {
    apply({2, 1, 1, 0, 1, true});
    vblank(kChute2);
    orb_write8(rec(2) + cr::credits, 7);  // the join routine's doing, say
    vblank();
    const uint16_t expected[4] = {0, 0x0100, 7, 0};
    for (uint32_t n = 0; n < 4; ++n) {
        EXPECT_EQ(ram16(var::saved_credits + 2 * n), expected[n]) << "record " << n;
        EXPECT_EQ(ram16(var::saved_credits + var::bookkeeping_mirror_offset + 2 * n), expected[n])
            << "mirror of record " << n;
    }
    EXPECT_EQ(ram16(kBlock), check_value_at(kData));
}

TEST_F(Coins, FreePlayLeavesEverythingAlone) {
    apply({1, 1, 1, 0, 0, false, true});
    orb_write8(var::coin_sound_pending, 1);
    vblank(kChute1 | kService);
    EXPECT_EQ(ram8(rec(0) + cr::credits), 0);
    EXPECT_TRUE(sounds_.empty());
    EXPECT_EQ(ram16(var::coin_count), 0);
    EXPECT_EQ(ram8(var::coin_meter_1 + 2), 0);
}

TEST_F(Coins, CreditsRestartTheTitleOnlyOutsideTheGame) {
    const struct {
        uint8_t mode;
        bool restarts;
    } cases[] = {{0, false},  {2, false},  {3, true},  {9, true},   {12, true},   {13, false},
                 {15, false}, {20, false}, {21, true}, {22, false}, {0x80, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << int{c.mode});
        orb_write8(var::game_mode, c.mode);
        orb_write8(var::game_submode, 5);
        ASSERT_TRUE(run(sub_061034));
        EXPECT_EQ(ram8(var::game_mode), c.restarts ? 3 : c.mode);
        EXPECT_EQ(ram8(var::game_submode), c.restarts ? 0 : 5);
    }
}

TEST_F(Coins, UnknownLayoutEndsTheRun) {
    apply({1, 1, 1, 0});
    orb_write8(var::coin_mode, 7);
    vblank();  // nothing released: no jump on the layout
    EXPECT_EXIT(vblank(kChute1), ::testing::ExitedWithCode(3),
                "Jump from 060E38 to 060E50 has no translated target \\(frame 0\\)");
    EXPECT_EXIT(vblank(kService), ::testing::ExitedWithCode(3),
                "Jump from 060DB0 to 060DC8 has no translated target \\(frame 0\\)");
}

}  // namespace
