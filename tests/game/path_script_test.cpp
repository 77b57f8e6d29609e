#include <gtest/gtest.h>

#include <cstdio>

#include "tests/game/path_fixture.h"

namespace {

using namespace path_fixture;

class PathScript : public PathTest {
protected:
    // A path object set up (not on a routine of its own) at (400, 400).
    void start() {
        object_ = path_object(kIdle);
        cpu.reg[20] = object_;
        ASSERT_TRUE(run(sub_07D203));
    }
    void step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            cpu.reg[20] = object_;
            ASSERT_TRUE(run(sub_07D252));
        }
    }
    int x() const { return x_of(object_); }
    int y() const { return y_of(object_); }
    uint8_t mode() const { return ram8(object_ + path_object::path_mode); }
    int vx() const { return static_cast<int8_t>(ram8(object_ + path_object::path_velocity_x)); }
    int vy() const { return static_cast<int8_t>(ram8(object_ + path_object::path_velocity_y)); }
    uint32_t object_ = 0;
};

TEST_F(PathScript, SetUpCountsTheObjectAndReadsTheHeader) {
    shot_list({25, 7, 0x8000, 1});
    orb_write8(var::live_enemy_count, 3);
    start();
    EXPECT_EQ(state_of(object_), 1);
    EXPECT_EQ(ram16(object_ + object_record::flags), 1);
    EXPECT_EQ(live(), 4);
    EXPECT_EQ(ram16(object_ + object_record::height), 128);
    EXPECT_EQ(ram32(object_ + path_object::path_script_start), kScript);
    EXPECT_EQ(ram32(object_ + path_object::path_cursor), kScript);
    EXPECT_EQ(ram32(object_ + path_object::shot_list_start), kShots);
    EXPECT_EQ(ram32(object_ + path_object::shot_list_cursor), kShots + 2);
    EXPECT_EQ(ram16(object_ + path_object::shot_delay), 25);
    EXPECT_EQ(mode(), 0);
}

TEST_F(PathScript, TimedEntriesMoveByRoundedQuarterPixelsAndAccelerate) {
    entry(0, 9, 9);   // frame count 0: read past in the same frame
    entry(3, 1, -1);  // 4 and -4 quarter pixels: (v + 2) >> 2 = 1 and -1
    entry(2, 0, 0, 3, -3);
    command(0);
    start();
    step();
    EXPECT_EQ(vx(), 4) << "the zero-frame entry is passed over";
    EXPECT_EQ(x(), 401);
    EXPECT_EQ(y(), 399);
    step(2);
    EXPECT_EQ(x(), 403);
    EXPECT_EQ(y(), 397);
    // Third entry: velocity 0, then +3/-3 per frame before the move.
    step();
    EXPECT_EQ(vx(), 3);
    EXPECT_EQ(vy(), -3);
    EXPECT_EQ(x(), 404);  // (3 + 2) >> 2 = 1
    EXPECT_EQ(y(), 396);  // (-3 + 2) >> 2 = -1, arithmetic
    step();
    EXPECT_EQ(x(), 406);  // (6 + 2) >> 2
    EXPECT_EQ(y(), 395);  // (-6 + 2) >> 2
    step();
    EXPECT_EQ(state_of(object_), 6);
    EXPECT_TRUE(ram16(object_ + object_record::flags) >> object_flag::defeated & 1);
}

TEST_F(PathScript, OscillationOffsetsAreAmplitudeTimesWaveOver4096) {
    // A quarter period per frame: the phases read 256, 512, 768, 0 ...
    entry(4, 0, 0, 0, 0, 40, -24, 256, 512);
    command(0);
    start();
    step();
    EXPECT_EQ(x(), 400 + (40 * wave(256) >> 12));
    EXPECT_EQ(y(), 400 + (-24 * wave(512) >> 12));
    step();
    EXPECT_EQ(x(), 400 + (40 * wave(512) >> 12));
    EXPECT_EQ(y(), 400 + (-24 * wave(0) >> 12));
    step();
    EXPECT_EQ(x(), 400 - 40);
    EXPECT_EQ(ram16(object_ + path_object::path_angle_x), 768);
    step();
    EXPECT_EQ(ram16(object_ + path_object::path_angle_x), 0) << "kept in 0..1023";
}

TEST_F(PathScript, NewEntryContinuesTheOscillationUnlessTheVerticalByteIs0x80) {
    const struct {
        const char* name;
        int second_vy;
        int expected_x;
    } cases[] = {
        // Re-centred: base = position - offset(phase 256, amplitude 20) = 440 - 20.
        {"re-centred", 0, 440 - 20 + (20 * wave(512) >> 12)},
        // Not re-centred: the base is the position, so the next move jumps by
        // the new amplitude's offset.
        {"kept", 0x80, 440 + (20 * wave(512) >> 12)},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        at_ = kScript;
        entry(1, 0, 0, 0, 0, 40, 0, 256, 0);  // ends at x 440, phase 256
        entry(5, 0, k.second_vy, 0, 0, 20, 0, 256, 0);
        command(0);
        start();
        step();
        ASSERT_EQ(x(), 440);
        step();
        EXPECT_EQ(x(), k.expected_x);
    }
}

TEST_F(PathScript, VelocityByte0x80KeepsTheVelocity) {
    entry(1, 2, 3);
    entry(1, 0x80, 0x80);
    entry(1, 0x80, 1);
    command(0);
    start();
    step();
    step();
    EXPECT_EQ(vx(), 8);
    EXPECT_EQ(vy(), 12);
    step();
    EXPECT_EQ(vx(), 8);
    EXPECT_EQ(vy(), 4);
}

TEST_F(PathScript, CommandOneRepeatsTheEntryBeforeItForEver) {
    entry(2, 1, 0);
    command(1);
    start();
    step(50);
    EXPECT_EQ(x(), 450);
    EXPECT_EQ(state_of(object_), 1);
}

TEST_F(PathScript, CommandTwoRestartsKeepingPhasesAndVelocities) {
    entry(1, 0x80, 0x80, 4, 0, 0, 0, 100, 0);  // accelerates from what it has
    command(2);
    start();
    step(3);
    EXPECT_EQ(vx(), 12);
    EXPECT_EQ(ram16(object_ + path_object::path_angle_x), 300);
    EXPECT_EQ(ram32(object_ + path_object::path_cursor), kScript + 2);
}

TEST_F(PathScript, EndCommandsSetBitNineAndStateSix) {
    for (uint16_t c : {0, 3}) {
        SCOPED_TRACE(c);
        at_ = kScript;
        entry(1);
        command(c);
        start();
        step(2);
        EXPECT_EQ(state_of(object_), 6);
        EXPECT_TRUE(ram16(object_ + object_record::flags) >> object_flag::defeated & 1);
    }
}

TEST_F(PathScript, WaitModesMatchAPlayerWithin0To31OfOwnPlus16InAnySlot) {
    const struct {
        const char* name;
        uint16_t mode;
        uint32_t axis;
        int player_position;
        bool met;
    } cases[] = {
        {"x, 16 to the right: own + 16 - p = 0", 3, object_record::world_x, 416, true},
        {"x, 15 to the left: 31", 3, object_record::world_x, 385, true},
        {"x, 16 to the left: 32", 3, object_record::world_x, 384, false},
        {"x, 17 to the right: -1", 3, object_record::world_x, 417, false},
        {"y, level", 4, object_record::world_y, 400, true},
        {"y, far", 4, object_record::world_y, 500, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        at_ = kScript;
        entry(static_cast<uint16_t>(0x4000 | k.mode), 1, 0);
        entry(3, 2, 0);
        command(0);
        // Slot 3 is out of play (flags 0) and still counts.
        orb_write16(player(3) + k.axis, static_cast<uint16_t>(k.player_position));
        start();
        step();
        if (k.met) {
            EXPECT_EQ(x(), 402) << "the wait ends and the next entry moves in the same frame";
            EXPECT_EQ(mode(), 1);
        } else {
            EXPECT_EQ(x(), 401) << "waiting still moves by the wait entry";
            EXPECT_EQ(mode(), k.mode);
        }
        orb_write16(player(3) + k.axis, 0x7000);
    }
}

TEST_F(PathScript, ModeTwoReadsTheCommandAtTheCursor) {
    plant16(kScript, 0x4002);
    plant16(kScript + 2, 3);
    start();
    step();
    EXPECT_EQ(state_of(object_), 6);
}

using PathScriptDeathTest = PathScript;

TEST_F(PathScriptDeathTest, UnknownCommandModeSixAndBadModesEndTheRun) {
    at_ = kScript;
    command(4);
    start();
    EXPECT_EXIT(step(), ::testing::ExitedWithCode(3), "has no translated target");
    // A timed word read in mode 5 raises the mode to 6.
    at_ = kScript;
    entry(0x4005);
    entry(3);
    start();
    EXPECT_EXIT(step(), ::testing::ExitedWithCode(3), "has no translated target");
    // A mode word above 6 takes the step through its jump table past the end.
    for (const uint8_t m : {7, 0x40, 0xFF}) {
        SCOPED_TRACE(int(m));
        at_ = kScript;
        entry(0x4000 | m);
        entry(3);
        start();
        char message[80];
        std::snprintf(message, sizeof message,
                      "^Jump from 07D258 to %06X has no translated target \\(frame 0\\)\n$",
                      0x07D25C + 3 * m);
        EXPECT_EXIT(step(), ::testing::ExitedWithCode(3), message);
    }
}

TEST_F(PathScript, RemovalCountsOffUnlinksAndFrees) {
    start();
    orb_write8(var::live_enemy_count, 2);
    const uint16_t before = free128();
    cpu.reg[20] = object_;
    ASSERT_TRUE(run(sub_07CFB2));
    EXPECT_EQ(live(), 1);
    EXPECT_EQ(free128(), before + 1);
    EXPECT_FALSE(on_ring(object_));
}

}  // namespace
