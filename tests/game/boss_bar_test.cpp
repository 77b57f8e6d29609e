#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/game/flow_fixture.h"

namespace {

constexpr uint32_t kNameCell = var::boss_bar_name, kBarCell = var::boss_bar_cells;
constexpr uint32_t kJobs = var::palette_queue + 4;

// What the 22 bar cells show: units per cell, or -1 for a code that does not
// belong in that cell.
std::vector<int> bar_cells() {
    std::vector<int> units;
    for (uint32_t i = 0; i < 22; ++i) {
        const int code = orb_read16(kBarCell + 2 * i);
        const int first = i == 0 ? 0x1173 : i == 21 ? 0x117C : 0x1177;
        const int most = i == 0 || i == 21 ? 3 : 4;
        units.push_back(code >= first && code <= first + most ? code - first : -1);
    }
    return units;
}
int bar_units() {
    int sum = 0;
    for (int u : bar_cells()) sum += u < 0 ? 1000 : u;
    return sum;
}

class BossBar : public FlowObjectTest {
protected:
    void SetUp() override {
        FlowObjectTest::SetUp();
        const std::string name("BOSS");
        plant16(rom::bar_names + 4, 0x0100);  // name 2: 0x100 past its own entry
        for (uint32_t i = 0; i < name.size(); ++i)
            plant8(0x069A06 + 0x100 + i, static_cast<uint8_t>(name[i]));
        plant8(rom::bar_portrait_frames + 2, 9);
        boss = spawn(kTestEntry[0], sub_088C57);
        fake(kTestEntry[0]);
    }
    // A bar as the enemy code creates it for a boss of this energy.
    uint32_t bar_for(uint16_t energy) {
        set_energy(energy);
        const uint32_t bar = spawn(entry::sub_0697D7, sub_088C77);
        orb_write8(bar + 2, 1);
        orb_write8(bar + 3, 2);
        orb_write16(bar + object_record::owner, static_cast<uint16_t>(boss));
        orb_write16(bar + 32, energy);
        orb_write16(bar + 34, static_cast<uint16_t>((energy * 32u + 85) % 65536 / 86));
        return bar;
    }
    void set_energy(uint16_t energy) { orb_write16(boss + object_record::energy, energy); }
    uint32_t boss = 0;
};

TEST_F(BossBar, SetUpDrawsNameFullBarPortraitAndPalettes) {
    const uint32_t bar = bar_for(86);
    frame();
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(ram16(kNameCell + 2 * i), std::string("BOSS")[i]);
    EXPECT_EQ(ram16(kBarCell), 0x1176);
    for (uint32_t i = 1; i <= 20; ++i) EXPECT_EQ(ram16(kBarCell + 2 * i), 0x117B);
    EXPECT_EQ(ram16(kBarCell + 42), 0x117F);
    EXPECT_EQ(scripts, (std::vector<uint32_t>{rom::bar_portrait}));
    EXPECT_EQ(calls(sub_061F30 /* start pointer */), 1) << "mode 0";
    EXPECT_EQ(shown_frames, (std::vector<uint8_t>{9}));
    EXPECT_EQ(ram16(bar + object_record::screen_x), 68);
    EXPECT_EQ(ram16(bar + object_record::screen_y), 32);
    EXPECT_EQ(ram32(var::palette_queue), 2u);
    EXPECT_EQ(ram32(kJobs), 0x069A92u);
    EXPECT_EQ(ram32(kJobs + 4), bar + 36);
    EXPECT_EQ(ram16(bar + 36), 0x9916);
    EXPECT_EQ(ram16(bar + 38), 1);
    EXPECT_EQ(ram32(bar + object_record::routine), entry::sub_06988C);
    EXPECT_EQ(ram32(var::enemy_flags) & 1, 1u);
    ASSERT_EQ(listings.size(), 1u) << "energy unchanged: the portrait is listed";
    EXPECT_EQ(listings[0].key, 351);
}

TEST_F(BossBar, ASecondBarWaitsUntilTheFirstIsErased) {
    orb_write32(var::enemy_flags, 0x3);
    const uint32_t bar = bar_for(86);
    frames(3);
    EXPECT_EQ(ram16(kBarCell), 0);
    EXPECT_EQ(ram32(bar + object_record::routine), entry::sub_0697D7);
    orb_write32(var::enemy_flags, 0x2);
    frame();
    EXPECT_EQ(ram16(kBarCell), 0x1176);
    EXPECT_EQ(ram32(var::enemy_flags), 0x3u);
}

TEST_F(BossBar, AHitIsRedrawnOneStepAFrameWhileTheColourFlashes) {
    const uint32_t bar = bar_for(86);
    frame();
    set_energy(76);
    for (int n = 1; n <= 10; ++n) {
        frame();
        EXPECT_EQ(ram16(bar + 32), 86 - n);
        EXPECT_EQ(bar_units(), 86 - n) << "one unit per point";
        EXPECT_EQ(ram16(bar + 42), n < 10 && n % 2 == 0 ? 0 : 0x100F) << "kept at rest";
        EXPECT_EQ(ram16(bar + 40), n < 10 ? ram16(bar + 42) : 0) << n;
    }
    const uint32_t jobs = ram32(var::palette_queue);
    frame();
    EXPECT_EQ(ram16(bar + 32), 76) << "at rest";
    EXPECT_EQ(ram32(var::palette_queue), jobs);
}

TEST_F(BossBar, TwoUnitsAPointEmptyTheRightEnd) {
    bar_for(43);  // step 16
    frame();
    set_energy(41);
    frame();
    EXPECT_EQ(bar_units(), 84);
    EXPECT_EQ(ram16(kBarCell + 42), 0x117D);
    frame();
    EXPECT_EQ(bar_units(), 82);
    EXPECT_EQ(ram16(kBarCell + 42), 0x117C);
    EXPECT_EQ(ram16(kBarCell + 40), 0x117A);
}

TEST_F(BossBar, ABarThatRunsOutIsErasedAndReturnsToItsPool) {
    const uint32_t bar = bar_for(3);
    orb_write16(bar + 34, 32);
    frame();
    set_energy(0);
    frame();
    EXPECT_EQ(ram32(bar + object_record::routine), entry::sub_069975);
    EXPECT_EQ(ram16(bar + 32), 2);
    EXPECT_EQ(bar_cells()[0], 2) << "n < 3: the left end alone";
    EXPECT_EQ(bar_units(), 2);
    frame();
    EXPECT_EQ(ram16(bar + 32), 1);
    EXPECT_EQ(bar_units(), 1);
    frame();
    for (uint32_t i = 0; i < 22; ++i) EXPECT_EQ(ram16(kBarCell + 2 * i), 0) << i;
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(ram16(kNameCell + 2 * i), 0) << i;
    EXPECT_EQ(ram32(var::enemy_flags) & 1, 0u);
    EXPECT_EQ(ring(), (std::vector<uint32_t>{boss}));
    EXPECT_EQ(ram16(var::free_stack_64), 200);
    EXPECT_EQ(ram16(var::free_stack_64 + 400), static_cast<uint16_t>(bar));
}

TEST_F(BossBar, StartsBeyondTheBarsRangeKeepToItsCells) {
    bar_for(2049);  // step 1
    frame();
    set_energy(2046);
    frame();
    EXPECT_EQ(bar_units(), 0);
    orb_write16(kBarCell + 44, 0xBEEF);
    frame();  // 2,047 × 32 units
    EXPECT_EQ(bar_units(), 86);
    EXPECT_EQ(ram16(kBarCell + 44), 0xBEEF) << "nothing past the bar";
}

// Starts of 0 and 2,046 to 2,048 give a step of 0 ((start × 32 + 85) kept to
// 16 bits, over 86): such a bar draws as one with a step of 1 does.
TEST_F(BossBar, AStepOfZeroDrawsAsAStepOfOne) {
    // The bar's cells after each frame: set-up, two hits of one point, then
    // the boss's energy at 0 and three frames of the drain.
    auto run_bar = [this](uint16_t start, bool step_one) {
        init_objects();
        boss = spawn(kTestEntry[0], sub_088C57);
        orb_write32(var::enemy_flags, 0);
        const uint32_t bar = bar_for(start);
        if (step_one) orb_write16(bar + 34, 1);
        std::vector<std::vector<int>> shown;
        for (int n = 0; n < 6; ++n) {
            if (n == 1 && start > 0) set_energy(static_cast<uint16_t>(start - 2));
            if (n == 3) set_energy(0);
            frame();
            shown.push_back(bar_cells());
        }
        return shown;
    };
    for (const uint16_t start : {0, 2046, 2047, 2048}) {
        SCOPED_TRACE(testing::Message() << "start energy " << start);
        const auto with_one = run_bar(start, true);
        const auto with_zero = run_bar(start, false);
        EXPECT_EQ(with_zero, with_one);
        for (const auto& cells : with_zero)
            for (int u : cells) EXPECT_GE(u, 0) << "every cell holds a code of the bar";
    }
}

// ---- player indicators ----

constexpr uint32_t kLayout = 0x09C000;

class PlayerIndicators : public FlowObjectTest {
protected:
    void SetUp() override {
        FlowObjectTest::SetUp();
        orb_write8(var::backup_primary + backup_record::player_count, 1);
        orb_write8(var::game_submode, 0);  // a submode that shows the indicators
        plant32(rom::indicator_layouts + 4, kLayout);
        for (uint32_t s = 0; s < 3; ++s) {
            plant16(kLayout + 4 * s, static_cast<uint16_t>(100 + s));
            plant16(kLayout + 4 * s + 2, static_cast<uint16_t>(200 + s));
        }
        plant16(rom::indicator_height, 0xFC12);
        plant16(rom::indicator_width, 0xFC34);
        for (uint32_t reason = 0; reason < 3; ++reason)
            plant16(rom::indicator_colours + 2 * reason, static_cast<uint16_t>(0xF801 + reason));
    }
    static uint32_t record(uint32_t slot) { return var::player_records + 0x100 * slot; }
    uint32_t start() { return spawn(entry::sub_084F08, sub_088C67); }
    // The indicators after the starter's frame.
    std::vector<uint32_t> started() {
        start();
        frame();
        return ring();
    }
    // Frames out of eight in which the indicator is listed, and its colour.
    int lit_of_eight(uint32_t indicator) {
        listings.clear();
        frames(8);
        int n = 0;
        for (const listing& l : listings) n += l.object == indicator && l.key == 351;
        return n;
    }
    static uint32_t colour(uint32_t indicator) { return ram16(indicator + 110) & 0x7FF; }
};

TEST_F(PlayerIndicators, TheStarterCreatesOnePerSlotAndFreesItself) {
    const uint32_t starter = start();
    frame();
    const std::vector<uint32_t> list = ring();
    ASSERT_EQ(list.size(), 3u);
    for (uint32_t s = 0; s < 3; ++s) {
        const uint32_t o = list[s];
        EXPECT_EQ(ram8(o + 3), s);
        EXPECT_EQ(ram32(o + 72), record(s));
        EXPECT_EQ(ram32(o + object_record::routine), entry::sub_084FA6) << "set up in the same pass";
        EXPECT_EQ(ram16(o + object_record::screen_x), 100 + s);
        EXPECT_EQ(ram16(o + object_record::screen_y), 200 + s);
        EXPECT_EQ(ram16(o + 100) & 0x3FF, 0x12u);
        EXPECT_EQ(ram16(o + 102) & 0x3FF, 0x34u);
    }
    EXPECT_EQ(scripts, (std::vector<uint32_t>{0x13183E, 0x13183E, 0x13183E}));
    EXPECT_EQ(ram16(var::free_stack_128), 121);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * 121), static_cast<uint16_t>(starter));
}

TEST_F(PlayerIndicators, NoneInTheSubmodeWithBitZeroOrWhenThePoolRunsOut) {
    orb_write8(var::game_submode, 1);
    start();
    frame();
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_128), 124);

    orb_write8(var::game_submode, 0);
    start();
    while (ram16(var::free_stack_128) > 1) spawn(kTestEntry[1], sub_088C67);
    fake(kTestEntry[1]);
    frame();
    EXPECT_EQ(ram16(var::free_stack_128), 1) << "one indicator, then the starter freed";
    ASSERT_GE(ring().size(), 1u);
    EXPECT_EQ(ram32(ring().back() + object_record::routine), entry::sub_084FA6);
}

TEST_F(PlayerIndicators, ReasonAndBlinkFollowThePlayer) {
    struct row {
        const char* what;
        uint32_t routine;
        uint16_t flags;
        uint8_t state;
        int16_t energy;
        bool placed;
        int lit;
        uint32_t colour;
    };
    for (const row& c : {row{"energy 51", 0x063ABC, 1, 0, 51, false, 0, 0},
                         row{"energy 50", 0x063ABC, 1, 0, 50, false, 4, 3},
                         row{"continue countdown", entry::sub_063799, 0, 0, 500, false, 4, 1},
                         row{"special attack", 0x063ABC, 1, 21, 500, false, 4, 2},
                         row{"special attack in a placed area", 0x063ABC, 1, 23, 500, true, 0, 0},
                         row{"state 24", 0x063ABC, 1, 24, 30, false, 4, 3},
                         row{"not in play", 0x063ABC, 0, 21, 10, false, 0, 0}}) {
        SCOPED_TRACE(c.what);
        init_objects();
        orb_write32(record(0) + 4, c.routine);
        orb_write16(record(0), c.flags);
        orb_write8(record(0) + 2, c.state);
        orb_write16(record(0) + 64, static_cast<uint16_t>(c.energy));
        orb_write32(var::game_flags, c.placed ? 1u << 12 : 0);
        const auto indicators = started();
        ASSERT_GE(indicators.size(), 1u);
        const uint32_t indicator = indicators[0];
        orb_write16(indicator + 110, 0xA800);
        EXPECT_EQ(lit_of_eight(indicator), c.lit);
        EXPECT_EQ(colour(indicator), c.colour);
        EXPECT_EQ(ram16(indicator + 110) & 0xF800, 0xA800u);
    }
}

TEST_F(PlayerIndicators, PlayOverReleasesEachIndicator) {
    started();
    orb_write32(var::game_flags, 1u << 14);
    frame();
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_128), 124);
}

}  // namespace
