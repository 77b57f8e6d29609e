#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/frames.h"
#include "tests/support/game_harness.h"

namespace {

// Scripts at 0x040000 (entries to frames A and B), 0x042000 (entry 0 to C)
// and 0x044000 (entry 0 to D).
constexpr uint32_t kScript = 0x040000, kTable = kScript + 1;
constexpr uint32_t kChained = 0x042000, kNext = 0x044000;
constexpr uint32_t kFrameA = 0x041000, kFrameB = 0x041100, kFrameC = 0x043000, kFrameD = 0x045000;

class Animation : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        plant_frame(kFrameA, parts(0xA0, 2));
        plant_frame(kFrameB, parts(0xB0, 3));
        plant_frame(kFrameC, parts(0xC0, 1));
        plant_frame(kFrameD, parts(0xD0, 2));
        plant_script(kChained, 7, {offset_to(kChained + 1, kFrameC)});
        plant_script(kNext, 9, {offset_to(kNext + 1, kFrameD)});
        object_ = new_object();
        orb_write32(object_ + object_record::next_script, kNext);
    }

    static uint16_t offset_to(uint32_t entry, uint32_t frame) { return static_cast<uint16_t>(frame - entry); }

    void plant_script(uint32_t at, uint8_t duration, const std::vector<uint16_t>& entries) {
        plant8(at, duration);
        for (std::size_t k = 0; k < entries.size(); ++k)
            plant16(at + 1 + 2 * static_cast<uint32_t>(k), entries[k]);
    }

    void set_mode(uint8_t mode) { orb_write8(object_ + object_record::anim_mode, mode); }
    uint8_t field(uint32_t offset) const { return ram8(object_ + offset); }

    bool start(v60_routine routine, uint32_t script) {
        cpu.reg[20] = object_;
        cpu.reg[19] = script;
        return run(routine);
    }
    bool tick() {
        cpu.reg[20] = object_;
        return run(sub_061FB6);
    }

    // The object shows this ROM frame, by pointer or as its own copy.
    void expect_shows(uint32_t frame, bool copied) {
        const uint8_t count = ram8(frame);
        EXPECT_EQ(ram32(object_ + object_record::hitbox_data), frame + 1 + 16u * count);
        if (!copied) {
            EXPECT_EQ(ram32(object_ + object_record::frame), frame);
            return;
        }
        const uint32_t copy = object_ + object_record::copied_parts;
        EXPECT_EQ(ram32(object_ + object_record::frame), copy);
        EXPECT_EQ(ram8(copy), count);
        for (uint32_t i = 0; i < 16u * count; ++i)
            ASSERT_EQ(ram8(copy + 1 + i), ram8(frame + 1 + i)) << "copied byte " << i;
    }

    uint32_t object_ = 0;
};

TEST_F(Animation, EveryStartRoutineSetsIndexTimerTableAndFrameByItsMode) {
    const struct {
        const char* name;
        v60_routine routine;
        uint8_t mode_before, mode_after;
        bool copied;
    } cases[] = {
        {"sub_061F06, mode 0", sub_061F06, 0, 0, false},
        {"sub_061F06, mode 1", sub_061F06, 1, 1, true},
        {"sub_061F06, mode 2", sub_061F06, 2, 2, true},
        {"sub_061F06, mode 3", sub_061F06, 3, 0, false},
        {"sub_061F30", sub_061F30, 2, 0, false},
        {"sub_061F35 keeps the mode", sub_061F35, 1, 1, false},
        {"sub_061F67", sub_061F67, 0, 1, true},
        {"sub_061F6C keeps the mode", sub_061F6C, 2, 2, true},
    };
    plant_script(kScript, 5, {offset_to(kTable, kFrameA)});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set_mode(c.mode_before);
        orb_write8(object_ + object_record::frame_index, 7);
        orb_write8(object_ + object_record::frame_timer, 99);
        orb_write8(object_ + object_record::copied_parts, 0x55);
        ASSERT_TRUE(start(c.routine, kScript));
        EXPECT_EQ(field(object_record::anim_mode), c.mode_after);
        EXPECT_EQ(field(object_record::frame_index), 0);
        EXPECT_EQ(field(object_record::frame_duration), 5);
        EXPECT_EQ(field(object_record::frame_timer), 5);
        EXPECT_EQ(ram32(object_ + object_record::frame_table), kTable);
        expect_shows(kFrameA, c.copied);
        if (!c.copied) {
            EXPECT_EQ(field(object_record::copied_parts), 0x55) << "nothing copied";
        }
    }
}

// Entry 0 is a frame offset whatever its value: 0xFFFF is not a stop.
TEST_F(Animation, FirstEntryIsReadUnsigned) {
    plant_script(kScript, 1, {0xFFFF});
    plant_frame(kTable + 0xFFFF, parts(0xE0, 4));
    ASSERT_TRUE(start(sub_061F30, kScript));
    expect_shows(kTable + 0xFFFF, false);
    EXPECT_EQ(ram32(object_ + object_record::hitbox_data), kTable + 0xFFFF + 1 + 64);
}

TEST_F(Animation, CopyLeavesTheBytesAfterThePartsAlone) {
    orb_write8(object_ + 96 + 32, 0x77);
    cpu.reg[20] = object_;
    cpu.reg[19] = kFrameA;
    ASSERT_TRUE(run(sub_061F86));
    expect_shows(kFrameA, true);
    EXPECT_EQ(ram8(object_ + 96 + 32), 0x77);
    EXPECT_EQ(r(19), kFrameA + 33) << "left at the hit-box list";
}

// A part count of 0 lies outside the data: such a frame has no parts to copy
// and its hit-box list follows the count.
TEST_F(Animation, FrameWithoutPartsCopiesNothing) {
    constexpr uint32_t kEmpty = 0x046000;
    plant_frame(kEmpty, {});
    for (uint8_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        set_mode(mode);
        orb_write8(object_ + object_record::copied_parts, 0x55);
        orb_write32(object_ + 96, 0xCAFEF00D);
        cpu.reg[20] = object_;
        cpu.reg[19] = kEmpty;
        ASSERT_TRUE(run(sub_061F1B));
        EXPECT_EQ(ram32(object_ + object_record::hitbox_data), kEmpty + 1);
        EXPECT_EQ(ram32(object_ + object_record::frame), mode ? object_ + 95 : kEmpty);
        EXPECT_EQ(field(object_record::copied_parts), mode ? 0 : 0x55) << "the count byte 0 is stored";
        EXPECT_EQ(ram32(object_ + 96), 0xCAFEF00Du);
    }
}

TEST_F(Animation, DurationSetsHowOftenTheScriptSteps) {
    const struct {
        uint8_t duration;
        std::vector<uint8_t> index_after_each_tick;
    } cases[] = {
        {3, {0, 0, 1, 1, 1, 2, 2, 2, 3}},   {2, {0, 1, 1, 2, 2, 3, 3, 4, 4}},
        {1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},   {127, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {128, {1, 2, 3, 4, 5, 6, 7, 8, 9}},  // the timer reads as negative
        {255, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, {0, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "duration " << int{c.duration});
        std::vector<uint16_t> entries;
        for (uint32_t k = 0; k < 12; ++k)
            entries.push_back(offset_to(kTable + 2 * k, k % 2 ? kFrameB : kFrameA));
        plant_script(kScript, c.duration, entries);
        ASSERT_TRUE(start(sub_061F30, kScript));
        std::vector<uint8_t> seen;
        for (std::size_t t = 0; t < c.index_after_each_tick.size(); ++t) {
            ASSERT_TRUE(tick());
            seen.push_back(field(object_record::frame_index));
        }
        EXPECT_EQ(seen, c.index_after_each_tick);
        const uint8_t index = seen.back();
        expect_shows(index % 2 ? kFrameB : kFrameA, false);
    }
}

// The script A, B, then the entry under test; ticks of duration 1 reach it at
// the second tick.
TEST_F(Animation, ScriptEntriesStopLoopAndChain) {
    struct expected {
        uint32_t frame;
        uint8_t duration, index;
        uint32_t table;
    };
    const expected stopped{kFrameB, 0, 0, kTable};
    const expected looped{kFrameA, 1, 0, kTable};
    const expected chained{kFrameC, 7, 0, kChained + 1};
    const expected next{kFrameD, 9, 0, kNext + 1};
    const struct {
        const char* name;
        uint16_t entry;
        uint8_t mode;
        expected then;
    } cases[] = {
        {"-1 stops", 0xFFFF, 0, stopped},
        {"-1 stops a copy", 0xFFFF, 1, stopped},
        {"-2 goes back to entry 0", 0xFFFE, 0, looped},
        {"-2 in copy mode", 0xFFFE, 2, looped},
        {"-3 chains to the address after it", 0xFFFD, 0, chained},
        {"-3 in copy mode", 0xFFFD, 1, chained},
        {"0 chains to the next script", 0x0000, 0, next},
        {"-4 chains to the next script", 0xFFFC, 0, next},
        {"-4 in copy mode", 0xFFFC, 2, next},
        {"a frame offset", offset_to(kTable + 4, kFrameA), 1, {kFrameA, 1, 2, kTable}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        plant_script(kScript, 1,
                     {offset_to(kTable, kFrameA), offset_to(kTable + 2, kFrameB), c.entry, 0, 0,
                      offset_to(kTable + 10, kFrameA)});
        plant32(kTable + 6, kChained);  // the address after -3
        set_mode(c.mode);
        ASSERT_TRUE(start(sub_061F06, kScript));
        ASSERT_TRUE(tick());
        expect_shows(kFrameB, c.mode != 0);
        ASSERT_TRUE(tick());
        EXPECT_EQ(field(object_record::anim_mode), c.mode);
        expect_shows(c.then.frame, c.mode != 0);
        EXPECT_EQ(field(object_record::frame_duration), c.then.duration);
        EXPECT_EQ(field(object_record::frame_index), c.then.index);
        EXPECT_EQ(ram32(object_ + object_record::frame_table), c.then.table);
        if (c.then.duration) continue;
        ASSERT_TRUE(tick());  // a stopped script stays stopped
        EXPECT_EQ(field(object_record::frame_index), 0);
        expect_shows(kFrameB, c.mode != 0);
    }
}

TEST_F(Animation, InstallingAFrameFollowsTheMode) {
    set_mode(0);
    ASSERT_TRUE(start(sub_061F1B, kFrameB));
    expect_shows(kFrameB, false);
    set_mode(2);
    ASSERT_TRUE(start(sub_061F1B, kFrameC));
    expect_shows(kFrameC, true);
    // Mode 3 takes R19 as a script and starts it in pointer mode.
    set_mode(3);
    ASSERT_TRUE(start(sub_061F1B, kChained));
    EXPECT_EQ(field(object_record::anim_mode), 0);
    EXPECT_EQ(ram32(object_ + object_record::frame_table), kChained + 1);
    EXPECT_EQ(field(object_record::frame_duration), 7);
    expect_shows(kFrameC, false);
}

// The current entry is read unsigned: 0x8000 lies forward, not back.
TEST_F(Animation, CurrentEntryIsInstalledByItsUnsignedOffset) {
    plant_script(kScript, 1, {offset_to(kTable, kFrameA), 0x8000});
    plant_frame(kTable + 2 + 0x8000, parts(0xF0, 1));
    ASSERT_TRUE(start(sub_061F30, kScript));
    orb_write8(object_ + object_record::frame_index, 1);
    cpu.reg[20] = object_;
    ASSERT_TRUE(run(sub_06200F));
    expect_shows(kTable + 2 + 0x8000, false);
}

TEST_F(Animation, ModesAndEntriesWithoutATargetEndTheRun) {
    cpu.frames = 5;
    plant_script(kScript, 1, {offset_to(kTable, kFrameA), 0xFFFB});
    ASSERT_TRUE(start(sub_061F30, kScript));
    EXPECT_EXIT(tick(), ::testing::ExitedWithCode(3),
                "^Jump from 061FE0 to 061FF2 has no translated target \\(frame 5\\)\n$");
    set_mode(4);
    EXPECT_EXIT(start(sub_061F06, kScript), ::testing::ExitedWithCode(3),
                "^Jump from 061F0C to 061F1B has no translated target \\(frame 5\\)\n$");
    EXPECT_EXIT(start(sub_061F1B, kFrameA), ::testing::ExitedWithCode(3),
                "^Jump from 061F21 to 061F30 has no translated target \\(frame 5\\)\n$");
}

}  // namespace
