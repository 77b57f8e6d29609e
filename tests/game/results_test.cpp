#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/game/flow_fixture.h"

namespace {

constexpr uint32_t kPlaces = 0x09E800, kEnergyTable = 0x09E900, kCategoryList = 0x09EA00;
constexpr uint32_t kOrigin0 = 0x31F800;  // slot s at + 0x20 s

uint32_t record(uint32_t slot) { return var::player_records + 0x100 * slot; }
uint32_t tally(uint32_t slot) { return var::tally_records + 32 * slot; }

class Results : public FlowObjectTest {
protected:
    void SetUp() override {
        FlowObjectTest::SetUp();
        orb_write8(var::backup_primary + backup_record::player_count, 1);  // 3 slots, base 2
        orb_write8(var::stage, 2);
        for (uint32_t s = 0; s < 4; ++s) orb_write8(var::player_presses + s, 0);  // no button pressed
        plant8(rom::results_position_bases + 1, 2);
        for (uint32_t s = 0; s < 4; ++s) {
            plant32(rom::results_players + 4 * s, record(s));
            plant32(rom::results_portraits + 4 * s, 0x130000 + s);
            plant16(rom::results_text_origins + 2 * (2 + s), static_cast<uint16_t>(0xF800 + 0x20 * s));
            plant32(rom::results_headings + 4 * s, 0x09EB00 + 4 * s);
            text(0x09EB00 + 4 * s, std::string("P") + static_cast<char>('1' + s));
            plant16(kPlaces + 6 * s, static_cast<uint16_t>(40 + 100 * s));
            plant16(kPlaces + 6 * s + 2, 150);
            plant16(kPlaces + 6 * s + 4, static_cast<uint16_t>(10 + s));
            const uint16_t energy_by_rank[] = {100, 50, 25, 10};
            plant16(kEnergyTable + 2 * s, energy_by_rank[s]);
        }
        plant32(rom::results_places + 4, kPlaces);
        plant8(rom::heading_attribute, 0x30);
        line(rom::count_label, 0x80, 0x31, "X", rom::count_number_offset, 0x84);
        line(rom::bonus_label, 0x180, 0x32, "BONUS", rom::bonus_number_offset, 0x18C);
        line(rom::energy_line_label, 0x280, 0x33, "LIFE", rom::energy_number_offset, 0x28A);
        plant32(rom::energy_bonuses + 4, kEnergyTable);
        fake(sub_0631FD /* player factor */, [] { cpu.reg[1] = (cpu.reg[1] & ~0xFFu) | 1; });
        plant32(rom::results_categories + 4, kCategoryList);
        categories({3, 0, 5});
        for (uint32_t n = 0; n < 8; ++n) {
            plant16(rom::icon_offsets + 4 * n, static_cast<uint16_t>(8 * n));
            plant16(rom::icon_offsets + 4 * n + 2, static_cast<uint16_t>(-4));
        }
        plant16(rom::bonus_icon_offset, 60);
        plant16(rom::bonus_icon_offset_y, static_cast<uint16_t>(-20));
        // Big digits: limits 10^n - 1, weights 10^(k - 1), glyph g: lower 0x0A00 + g, upper 0x0B00 + g.
        uint32_t p = 1;
        for (uint32_t n = 0; n <= 10; ++n, p *= 10)
            plant32(rom::digit_limits + 4 * n, n == 10 ? 0xFFFFFFFF : p - 1);
        p = 1;
        for (uint32_t k = 1; k <= 10; ++k, p *= 10) plant32(rom::digit_weights + 4 * k, p);
        for (uint32_t g = 0; g <= 10; ++g) {
            plant16(rom::lower_glyph_cells + 4 * g, static_cast<uint16_t>(0x0A00 + g));
            plant16(rom::lower_glyph_cells + 4 * g + 2, static_cast<uint16_t>(0x0B00 + g));
        }
    }
    void text(uint32_t at, const std::string& s) {
        for (uint32_t i = 0; i < s.size(); ++i) plant8(at + i, static_cast<uint8_t>(s[i]));
    }
    void line(uint32_t at, uint16_t offset, uint8_t attribute, const std::string& label, uint32_t number_at,
              uint16_t number) {
        plant16(at, offset);
        plant8(at + 2, attribute);
        text(at + 3, label);
        plant16(number_at, number);
    }
    void categories(std::vector<uint8_t> list) {
        for (uint32_t i = 0; i < list.size(); ++i) plant8(kCategoryList + i, list[i]);
        plant8(kCategoryList + static_cast<uint32_t>(list.size()), 0x80);
    }
    static void player(uint32_t slot, uint16_t defeated, uint16_t category10, uint32_t score = 0,
                       int16_t energy = 200) {
        // The player's tally starts with nothing defeated in any category.
        for (uint32_t i = 0; i < 32; ++i) orb_write8(tally(slot) + i, 0);
        orb_write16(record(slot), 1);
        orb_write8(record(slot) + player_record::slot, static_cast<uint8_t>(slot));
        orb_write8(record(slot) + player_record::character, static_cast<uint8_t>(slot));
        orb_write32(record(slot) + player_record::score, score);
        orb_write16(record(slot) + object_record::energy, static_cast<uint16_t>(energy));
        orb_write16(record(slot) + player_record::shown_energy, static_cast<uint16_t>(energy));
        orb_write16(tally(slot) + 2 * 3, defeated);  // all in category 3
        orb_write16(tally(slot) + 20, category10);
    }
    uint32_t controller() { return spawn(entry::sub_084708, sub_088C57); }
    // The objects the controller made, by kind.
    static uint32_t portrait(uint32_t c, uint32_t slot) { return orb_read32(c + 64 + 4 * slot); }
    static uint32_t sequencer(uint32_t c, uint32_t slot) { return orb_read32(c + 80 + 4 * slot); }
    // Runs frames until the sequencer reaches a state (at most 400 frames).
    void until(uint32_t object, uint8_t wanted) {
        for (int n = 0; n < 400 && state(object) != wanted; ++n) frame();
        ASSERT_EQ(state(object), wanted);
    }
    static std::string cells(uint32_t at, int count) {
        std::string s;
        for (int i = 0; i < count; ++i) {
            const uint16_t cell = orb_read16(at + 2 * i);
            s += cell == 0 ? '.' : static_cast<char>(cell & 0xFF);
        }
        return s;
    }
};

// ---- stage bonus, rank and energy bonus ----

TEST_F(Results, TheStageBonusIsCappedAndAddedToTheScore) {
    struct row {
        uint16_t defeated, category10;
        uint32_t score, bonus, new_score;
    };
    for (const row& c : {row{12, 40, 1000, 12800, 13800}, row{29, 60, 0, 30000, 30000},
                         row{66, 0, 0, 30000, 30000}, row{30, 0, 5, 30000, 30005},
                         row{12, 40, 99990000, 12800, 99999999}, row{12, 40, 0xFFFFFF00u, 12800, 99999999}}) {
        SCOPED_TRACE(c.defeated);
        init_objects();
        const uint32_t ctl = controller();
        player(1, c.defeated, c.category10, c.score);
        const uint32_t seq = spawn(kTestEntry[0], sub_088C67);
        orb_write8(seq + 3, 1);
        orb_write16(seq + object_record::owner, static_cast<uint16_t>(ctl));
        orb_write32(seq + 72, record(1));
        cpu.reg[20] = seq;
        ASSERT_TRUE(run(sub_084B9A));
        ASSERT_TRUE(run(sub_084BBB));
        ASSERT_TRUE(run(sub_084BE3));
        EXPECT_EQ(ram16(seq + 64), c.defeated);
        EXPECT_EQ(ram16(seq + 68), c.bonus);
        EXPECT_EQ(ram32(record(1) + player_record::score), c.new_score);
        EXPECT_EQ(ram16(ctl + 128 + 2), c.bonus);
    }
}

TEST_F(Results, TheDefeatedCountSumsTenCategoriesAndCategoryTenStopsAtAThousand) {
    const uint32_t seq = spawn(kTestEntry[0], sub_088C67);
    orb_write8(seq + 3, 2);
    for (uint32_t n = 0; n < 16; ++n) orb_write16(tally(2) + 2 * n, static_cast<uint16_t>(n + 1));
    orb_write16(tally(2) + 20, 1500);
    cpu.reg[20] = seq;
    ASSERT_TRUE(run(sub_084B9A));
    ASSERT_TRUE(run(sub_084BBB));
    EXPECT_EQ(ram16(seq + 64), 55);
    EXPECT_EQ(ram16(seq + 66), 1000);
}

TEST_F(Results, AFullScreenForTwoPlayersEndsTheWait) {
    player(0, 12, 40);
    player(2, 5, 0);
    const uint32_t ctl = controller();
    frame();
    EXPECT_EQ(ram8(ctl + 54), 2) << "players whose results must come out";
    EXPECT_EQ(ram32(var::palette_queue + 4), rom::results_palette);
    const uint32_t s0 = sequencer(ctl, 0), s1 = sequencer(ctl, 1), s2 = sequencer(ctl, 2);
    EXPECT_EQ(ring().size(), 1u + 3 * 2 + 1);
    EXPECT_EQ(state(s1), 1) << "slot 1 is not in play";
    EXPECT_EQ(cells(kOrigin0 + 0x20, 2), "P2") << "its heading still shows";
    EXPECT_EQ(ram16(kOrigin0), 0x3000 | 'P');
    EXPECT_EQ(ram16(ctl + 128), 12800);
    EXPECT_EQ(ram16(ctl + 132), 5000);
    EXPECT_EQ(state(portrait(ctl, 1)), 1);
    EXPECT_EQ(state(portrait(ctl, 0)), 2);
    EXPECT_EQ(ram16(portrait(ctl, 2) + object_record::screen_x), 240);
    EXPECT_EQ(ram16(portrait(ctl, 2) + object_record::height), 12);

    orb_write32(var::system_flags, 1u << 3);  // the fade still runs
    frames(5);
    EXPECT_EQ(state(s0), 2);
    orb_write32(var::system_flags, 0);
    until(s0, 4);
    EXPECT_EQ(cells(kOrigin0 + 0x80, 1), "X");
    EXPECT_EQ(ram16(kOrigin0 + 0x84), 0x0B0A) << "count 40 in 3 digits: blank, 4, 0";
    EXPECT_EQ(ram16(kOrigin0 + 0x86), 0x0B04);
    EXPECT_EQ(ram16(kOrigin0 + 0x88 + 128), 0x0A00);
    until(s0, 6);
    EXPECT_EQ(cells(kOrigin0 + 0x180, 5), "BONUS");
    const int bonus_glyphs[] = {10, 1, 2, 8, 0, 0};
    for (uint32_t k = 0; k < 6; ++k)
        EXPECT_EQ(ram16(kOrigin0 + 0x18C + 2 * k), 0x0B00 + bonus_glyphs[k]) << k;
    until(s0, 7);
    EXPECT_EQ(cells(kOrigin0 + 0x280, 4), "LIFE");
    EXPECT_EQ(ram16(record(0) + object_record::energy), 300) << "rank 0";
    EXPECT_EQ(ram16(record(0) + player_record::shown_energy), 300);
    EXPECT_EQ(ram16(record(2) + object_record::energy), 250) << "rank 1";
    EXPECT_EQ(ram16(s0 + 70), 100);

    orb_write8(var::player_presses + 0, 0x10);  // too early: nothing
    until(s0, 8);
    EXPECT_EQ(ram16(var::flow_countdown), 300);
    EXPECT_EQ(ram8(ctl + 54), 0);
    orb_write8(var::player_presses + 0, 0);
    frame();
    EXPECT_EQ(ram16(var::flow_countdown), 300);
    orb_write8(var::player_presses + 2, 0x20);
    frame();
    EXPECT_EQ(ram16(var::flow_countdown), 1);
    EXPECT_EQ(state(s2), 8);

    frame();
    EXPECT_EQ(state(portrait(ctl, 0)), 4) << "the best stays";
    EXPECT_EQ(state(portrait(ctl, 2)), 5) << "the other falls";
    int sounds_cc = 0;
    for (const sound& s : sounds) sounds_cc += s.code == 0xCC;
    EXPECT_EQ(sounds_cc, 2 * 4) << "two lines, the bonus icon and one category icon each";
}

TEST_F(Results, EqualBonusesShareRankZeroAndAfterTheLastStageThereIsNoEnergyLine) {
    struct row {
        uint8_t stage;
        int energy;
    };
    for (const row& c : {row{2, 300}, row{4, 200}}) {
        SCOPED_TRACE(c.stage);
        init_objects();
        for (uint32_t a = hw::text_layer; a < 0x31FF00; a += 4) orb_write32(a, 0);
        orb_write8(var::stage, c.stage);
        plant32(rom::results_categories + 4 * (c.stage - 1u), kCategoryList);
        player(0, 7, 0);
        player(1, 7, 0);
        const uint32_t ctl = controller();
        frame();
        const uint32_t s0 = sequencer(ctl, 0);
        until(s0, 5);
        while (state(s0) == 5) frame();
        EXPECT_EQ(state(s0), c.stage == 4 ? 7 : 6) << "the bonus line's frame";
        until(s0, 8);
        EXPECT_EQ(cells(kOrigin0 + 0x280, 4), c.stage == 4 ? "...." : "LIFE");
        for (uint32_t s : {0u, 1u}) {
            EXPECT_EQ(ram16(record(s) + object_record::energy), c.energy);
            EXPECT_EQ(ram16(record(s) + player_record::shown_energy), c.energy);
        }
        frames(2);
        EXPECT_EQ(state(portrait(ctl, 0)), 4);
        EXPECT_EQ(state(portrait(ctl, 1)), 4);
        frame();
        EXPECT_EQ(listed_in(portrait(ctl, 0), frame_no) + listed_in(portrait(ctl, 1), frame_no), 2);
    }
}

TEST_F(Results, CategoryIconsAppearByListPositionAndSkipEmptyCategories) {
    player(1, 0, 0);
    orb_write16(tally(1) + 2 * 3, 2);
    orb_write16(tally(1) + 2 * 5, 1);
    const uint32_t seq = spawn(kTestEntry[0], sub_088C67);
    fake(kTestEntry[0]);
    orb_write8(seq + 3, 1);
    cpu.reg[20] = seq;
    ASSERT_TRUE(run(sub_084D27));
    EXPECT_EQ(r(1), 3u) << "three list entries";
    const std::vector<uint32_t> objects = ring();
    ASSERT_EQ(objects.size(), 3u);
    const uint32_t a = objects[1], b = objects[2];
    EXPECT_EQ(ram8(a + 3), 3);
    EXPECT_EQ(ram8(b + 3), 5);
    EXPECT_EQ(ram16(tally(1) + 6), 1) << "taken down by one";
    EXPECT_EQ(ram16(tally(1) + 10), 0);
    frame();
    EXPECT_EQ(ram16(a + object_record::screen_x), 140);
    EXPECT_EQ(ram16(b + object_record::screen_x), 148) << "icon number 1";
    EXPECT_EQ(ram16(b + object_record::screen_y), 146);
    EXPECT_EQ(ram16(b + object_record::height), 129);
    EXPECT_EQ(shown_frames, (std::vector<uint8_t>{3, 5}));
    frames(70);
    EXPECT_EQ(sounds, (std::vector<sound>{{'A', 0xCC, 2}, {'A', 0xCC, 66}}))
        << "position 2 waits 64 frames more";
    EXPECT_EQ(listed_in(b, 65), 0);
    EXPECT_EQ(listed_in(b, 66), 1);
}

TEST_F(Results, PortraitsFallStretchingUntilOffTheScreen) {
    player(0, 1, 0);
    player(1, 0, 0);
    const uint32_t ctl = controller();
    frame();
    const uint32_t p = portrait(ctl, 1);
    ASSERT_GE(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], 0x130000u);
    orb_write16(p + 100, 0xFC00 | 0x3F4);
    orb_write16(p + 102, 0xA800 | 6);
    orb_write16(ctl + 128 + 2, 0);
    orb_write8(ctl + 54, 0);
    frames(3);  // state 3, the choice, then the first fall
    ASSERT_EQ(state(p), 5);
    EXPECT_EQ(ram16(p + object_record::screen_y), 151);
    EXPECT_EQ(ram16(p + 100), 0xFC00 | 0x3FA);
    EXPECT_EQ(ram16(p + 102), 0xA800 | 2);
    frame();
    EXPECT_EQ(ram16(p + object_record::screen_y), 153);
    EXPECT_EQ(ram16(p + 100), 0xFC00 | 0x3FF) << "0x3FF in place of 0";
    EXPECT_EQ(ram16(p + 102), 0xA800) << "not below 0";
    int frames_left = 0;
    while (state(p) == 5 && frames_left < 100) {
        frame();
        ++frames_left;
    }
    EXPECT_EQ(state(p), 1);
    EXPECT_EQ(listed_in(p, frame_no), 0);
}

TEST_F(Results, TheTitleGraphicAndTheTallyClearing) {
    const uint32_t title = spawn(entry::sub_084B18, sub_088C67);
    orb_write16(title + 110, 0xF801);
    orb_write16(title + 126, 0x0802);
    frame();
    EXPECT_EQ(scripts, (std::vector<uint32_t>{rom::split_script}));
    EXPECT_EQ(ram16(title + object_record::screen_x), 159);
    EXPECT_EQ(ram16(title + object_record::height), 0xFFA0);
    EXPECT_EQ(ram16(title + 110), 0xFFB0);
    EXPECT_EQ(ram16(title + 126), 0x0FB0);
    EXPECT_EQ(listed_in(title, 1), 1);

    for (uint32_t a = 0x2083FC; a < 0x208484; a += 4) orb_write32(a, 0xFFFFFFFF);
    orb_write8(record(2) + player_record::slot, 2);
    cpu.reg[20] = record(2);
    ASSERT_TRUE(run(sub_084CFE));
    EXPECT_EQ(ram32(0x20843C), 0xFFFFFFFFu);
    for (uint32_t a = 0x208440; a < 0x208460; a += 4) EXPECT_EQ(ram32(a), 0u);
    EXPECT_EQ(ram32(0x208460), 0xFFFFFFFFu);
    ASSERT_TRUE(run(sub_084CE2));
    for (uint32_t a = var::tally_records; a < 0x208480; a += 4) EXPECT_EQ(ram32(a), 0u);
    EXPECT_EQ(ram32(0x2083FC), 0xFFFFFFFFu);
    EXPECT_EQ(ram32(0x208480), 0xFFFFFFFFu);
}

// ---- big numbers ----

TEST_F(Results, BigNumbersBlankLeadingZerosAndKeepTheirDigitCount) {
    struct row {
        uint32_t value, minimum;
        std::vector<int> glyphs;
    };
    for (const row& c :
         {row{0, 1, {0}}, row{0, 3, {10, 10, 0}}, row{12800, 6, {10, 1, 2, 8, 0, 0}},
          row{1234567, 3, {1, 2, 3, 4, 5, 6, 7}}, row{4294967295u, 1, {4, 2, 9, 4, 9, 6, 7, 2, 9, 5}},
          row{4100000000u, 1, {4, 1, 0, 0, 0, 0, 0, 0, 0, 0}}}) {
        SCOPED_TRACE(c.value);
        // A limit of entry 10 the value exceeds: the count stops at 10.
        plant32(rom::digit_limits + 40, 4000000000u);
        for (uint32_t a = hw::text_layer; a < 0x31F200; a += 2) orb_write16(a, 0xEEEE);
        cpu.reg[0] = c.value;
        cpu.reg[1] = c.minimum;
        cpu.reg[10] = 0x31F010;
        ASSERT_TRUE(run(sub_061899));
        const uint32_t n = static_cast<uint32_t>(c.glyphs.size());
        for (uint32_t k = 0; k < n; ++k) {
            EXPECT_EQ(ram16(0x31F010 + 2 * k), 0x0B00 + c.glyphs[k]) << k;
            EXPECT_EQ(ram16(0x31F090 + 2 * k), 0x0A00 + c.glyphs[k]) << k;
        }
        EXPECT_EQ(ram16(0x31F010 + 2 * n), 0xEEEE);
        EXPECT_EQ(ram16(0x31F00E), 0xEEEE);
        EXPECT_EQ(r(10), 0x31F010 + 2 * n);
    }
}

TEST_F(Results, AZeroDigitWeightEndsTheRunWithTheDivisionMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    plant32(rom::digit_weights + 8, 0);
    cpu.reg[0] = 500;
    cpu.reg[1] = 3;
    cpu.reg[10] = 0x31F010;
    EXPECT_EXIT(run(sub_061899), ::testing::ExitedWithCode(3), "V60 division by zero \\(frame 0\\)");
}

TEST_F(Results, AStateWithoutACaseEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const uint32_t seq = spawn(entry::sub_0849DB, sub_088C67);
    orb_write8(seq + object_record::state, 9);
    EXPECT_EXIT(frame(), ::testing::ExitedWithCode(3), "Jump from 0849E4 to 084A02 has no translated target");
}

}  // namespace
