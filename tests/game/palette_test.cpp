#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kPalette = hw::palette;
constexpr uint32_t kRecords = 0x070000;
constexpr uint32_t kColourOffsets = 0x208B40;

class Palettes : public GameRoutineTest {
protected:
    // An empty palette queue: the count, the 64 job words and the word after
    // them clear.
    void SetUp() override {
        GameRoutineTest::SetUp();
        for (uint32_t i = 0; i < 66; ++i) orb_write32(var::palette_queue + 4 * i, 0);
    }
    // A palette block: offset, count, colours.
    void plant_block(uint32_t at, uint16_t offset, const std::vector<uint16_t>& colours) {
        plant16(at, offset);
        plant16(at + 2, static_cast<uint16_t>(colours.size()));
        for (std::size_t i = 0; i < colours.size(); ++i)
            plant16(at + 4 + 2 * static_cast<uint32_t>(i), colours[i]);
    }
    static std::vector<uint16_t> palette(uint32_t offset, int n) {
        std::vector<uint16_t> out;
        for (int i = 0; i < n; ++i) out.push_back(ram16(kPalette + offset + 2 * i));
        return out;
    }
    void queue(v60_routine routine, uint32_t record) {
        cpu.reg[19] = record;
        ASSERT_TRUE(run(routine));
    }
};

TEST_F(Palettes, A65thJobIsDroppedAndTheFirst64ApplyInOrder) {
    // Job k writes colour k + 1 to entries k and k + 1, so each job's second
    // colour is overwritten by the next job when the order holds.
    for (uint32_t k = 0; k < 65; ++k) {
        const uint16_t colour = static_cast<uint16_t>(k + 1);
        plant_block(kRecords + 16 * k, static_cast<uint16_t>(2 * k), {colour, colour});
    }
    for (uint32_t k = 0; k < 65; ++k) queue(sub_0896A9, kRecords + 16 * k);
    EXPECT_EQ(ram32(var::palette_queue), 64u);
    EXPECT_EQ(ram32(var::palette_queue + 4 * 64), kRecords + 16 * 63) << "the last job kept";
    EXPECT_EQ(ram32(var::palette_queue + 4 * 65), 0u) << "nothing past the 64 jobs";
    ASSERT_TRUE(run(sub_0896CB));
    EXPECT_EQ(ram32(var::palette_queue), 0u);
    std::vector<uint16_t> want;
    for (uint16_t k = 0; k < 64; ++k) want.push_back(static_cast<uint16_t>(k + 1));
    want.push_back(64);  // job 63's second colour; the dropped job would have made it 65
    want.push_back(0);
    EXPECT_EQ(palette(0, 66), want);
}

TEST_F(Palettes, BlockListsAndBlocksShareTheQueue) {
    // A list of two entries: set 0x20 on three rows from 0x100, and a set with
    // no rows.
    const uint32_t list = kRecords + 0x100;
    plant16(list, 2);
    const uint16_t entries[] = {0x20, 0x100, 3, 0x40, 0x400, 0};
    for (uint32_t i = 0; i < 6; ++i) plant16(list + 2 + 2 * i, entries[i]);
    std::vector<uint16_t> set;
    for (uint16_t i = 0; i < 16; ++i) {
        set.push_back(static_cast<uint16_t>(0x7C00 + i));
        plant16(rom::colour_sets + 0x20 + 2 * i, set.back());
        plant16(rom::colour_sets + 0x40 + 2 * i, 0x1111);
    }
    plant_block(kRecords, 0x0F0, {0x0001, 0x0002});
    queue(sub_0896A0, list);
    queue(sub_0896A9, kRecords);
    EXPECT_EQ(ram32(var::palette_queue + 4), list | 0x80000000u);
    EXPECT_EQ(ram32(var::palette_queue + 8), kRecords);
    EXPECT_EQ(r(8), 0u);
    ASSERT_TRUE(run(sub_0896CB));
    for (uint32_t row = 0; row < 3; ++row) EXPECT_EQ(palette(0x100 + 32 * row, 16), set) << "row " << row;
    EXPECT_EQ(palette(0x160, 16), std::vector<uint16_t>(16, 0)) << "three rows only";
    EXPECT_EQ(palette(0x400, 16), std::vector<uint16_t>(16, 0)) << "a row count of 0 writes nothing";
    EXPECT_EQ(palette(0x0F0, 3), (std::vector<uint16_t>{1, 2, 0}));
}

TEST_F(Palettes, ABlockCopiedAtOnceLeavesR27AtItsEnd) {
    plant_block(kRecords, 0x40, {5, 6, 7, 8, 9});
    cpu.reg[19] = kRecords;
    ASSERT_TRUE(run(sub_0896F1));
    EXPECT_EQ(palette(0x40, 6), (std::vector<uint16_t>{5, 6, 7, 8, 9, 0}));
    EXPECT_EQ(r(27), kPalette + 0x40 + 10);
}

TEST_F(Palettes, StagePaletteComesFromTheStageTable) {
    for (uint32_t s = 0; s < 4; ++s) plant32(0x0897D8 + 4 * s, kRecords + 0x100 * s);
    orb_write8(var::stage, 3);
    ASSERT_TRUE(run(sub_089692));
    EXPECT_EQ(ram32(var::palette_queue), 1u);
    EXPECT_EQ(ram32(var::palette_queue + 4), kRecords + 0x200) << "queued as a plain block";
}

TEST_F(Palettes, FixedPalettesLoadInTheirOrder) {
    // Each block overlaps the next one's first entry.
    plant_block(rom::text_palette, 0x20, {1, 1});
    plant_block(rom::scene_palette, 0x22, {2, 2});
    plant_block(rom::tile_palette, 0x24, {3, 3});
    ASSERT_TRUE(run(sub_089674));
    EXPECT_EQ(palette(0x20, 5), (std::vector<uint16_t>{1, 2, 3, 3, 0}));
    EXPECT_EQ(ram32(var::palette_queue), 0u) << "copied, not queued";
}

class Fades : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        // Six presets: level, step, target, channel mask, all different.
        for (uint8_t i = 0; i < 6; ++i) {
            plant8(rom::fade_presets + 4 * i, static_cast<uint8_t>(10 + i));
            plant8(rom::fade_presets + 4 * i + 1, static_cast<uint8_t>(1 + i));
            plant8(rom::fade_presets + 4 * i + 2, static_cast<uint8_t>(40 + i));
            plant8(rom::fade_presets + 4 * i + 3, static_cast<uint8_t>(0x80 | i));
        }
        orb_write32(var::system_flags, 1u << 3);
    }
    static void fade(uint8_t level, uint8_t step, uint8_t target, uint8_t preset, uint8_t channels) {
        orb_write8(var::fade_record, level);
        orb_write8(0x208015, step);
        orb_write8(0x208016, target);
        orb_write8(var::fade_preset, preset);
        orb_write8(0x208018, channels);
    }
};

TEST_F(Fades, PresetsLoadTheirRowAndStartRunning) {
    const struct {
        uint8_t preset, row;
    } cases[] = {{0, 0}, {3, 1}, {6, 2}, {9, 3}, {12, 4}, {15, 5}, {21, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.preset));
        SetUp();
        fade(0, 0, 0, c.preset, 0);
        ASSERT_TRUE(run(sub_08973C));
        EXPECT_EQ(ram8(var::fade_record), 10 + c.row + 1 + c.row) << "the loaded level, stepped once";
        EXPECT_EQ(ram8(0x208015), 1 + c.row);
        EXPECT_EQ(ram8(0x208016), 40 + c.row);
        EXPECT_EQ(ram8(var::fade_preset), 18);
        EXPECT_EQ(ram8(0x208018), 0x80 | c.row);
        EXPECT_EQ(ram8(0x208B3F), 0xC0);
        EXPECT_EQ(ram16(kColourOffsets), 11 + 2 * c.row);
        EXPECT_EQ(ram32(var::system_flags), 1u << 3);
        TearDown();
    }
}

TEST_F(Fades, ChannelMaskPicksTheColourOffsetWords) {
    const struct {
        uint8_t channels;
        bool written[3];
    } cases[] = {
        {0xA0, {true, true, false}},  {0xE0, {true, true, true}},    {0x40, {true, false, false}},
        {0x20, {true, false, false}}, {0x1F, {false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.channels));
        SetUp();
        for (uint32_t i = 0; i < 4; ++i) orb_write16(0x208B3E + 2 * i, 0x5555);
        fade(20, 3, 50, 18, c.channels);
        ASSERT_TRUE(run(sub_08973C));
        EXPECT_EQ(ram16(0x208B3E), 0xC055);
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(ram16(kColourOffsets + 2 * i), c.written[i] ? 23 : 0x5555) << i;
        TearDown();
    }
}

TEST_F(Fades, TheFadeEndsWhenTheLevelMeetsItsTarget) {
    const struct {
        const char* name;
        uint8_t level, step, target;
        int steps;
        uint8_t level_after;
        bool running;
    } cases[] = {
        {"step 0 at the target ends at once", 30, 0, 30, 1, 30, false},
        {"wraps modulo 64", 60, 8, 4, 1, 4, false},
        {"four steps to the target", 0, 16, 0, 4, 0, false},
        {"three of four", 0, 16, 0, 3, 48, true},
        {"a target the step never meets runs on", 0, 2, 33, 200, 16, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fade(c.level, c.step, c.target, 18, 0x80);
        for (int i = 0; i < c.steps; ++i) ASSERT_TRUE(run(sub_08973C));
        EXPECT_EQ(ram8(var::fade_record), c.level_after);
        EXPECT_EQ(ram16(kColourOffsets), c.level_after);
        EXPECT_EQ(ram32(var::system_flags), c.running ? 1u << 3 : 0u);
        TearDown();
    }
}

TEST_F(Fades, AnUnknownPresetEndsTheRun) {
    fade(0, 0, 0, 1, 0);
    EXPECT_EXIT(run(sub_08973C), ::testing::ExitedWithCode(3),
                "Jump from [0-9A-F]{6} to [0-9A-F]{6} has no translated target \\(frame 0\\)");
}

}  // namespace
