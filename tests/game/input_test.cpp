#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

class Inputs : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        // Masks for 2, 3 and 4 players, at an odd address as in ROM.
        plant32(rom::player_masks, 0x0000FFFF);
        plant32(rom::player_masks + 4, 0x00FFFFFF);
        plant32(rom::player_masks + 8, 0xFFFFFFFF);
        orb_write8(var::backup_image + backup_record::player_count, 2);
        // Start-up state: play, and nothing held before in the system byte or
        // in either player block.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_inputs, 0);
        clear_block(var::player_inputs);
        clear_block(var::demo_inputs);
    }
    // An input block with no sample yet (six words).
    static void clear_block(uint32_t block) {
        for (uint32_t i = 0; i <= input_block::released; i += 4) orb_write32(block + i, 0);
    }
    static void ports(uint8_t system, uint8_t dip, uint8_t group) {
        orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = system;
        orb_board.io.io_inputs[ORB_INPUT_DIP] = dip;
        orb_board.io.io_inputs[ORB_INPUT_START34] = group;
    }
    static void players(uint8_t p1, uint8_t p2, uint8_t p3, uint8_t p4) {
        orb_board.io.io_inputs[ORB_INPUT_P1] = p1;
        orb_board.io.io_inputs[ORB_INPUT_P2] = p2;
        orb_board.io.io_inputs[ORB_INPUT_P3] = p3;
        orb_board.io.io_inputs[ORB_INPUT_P4] = p4;
    }
    static uint32_t word(uint32_t block, uint32_t field) { return ram32(block + field); }
};

TEST_F(Inputs, SystemByteTakesEachPortBitToItsPlace) {
    const struct {
        uint8_t system, dip, group, current;
    } cases[] = {
        {0xFF, 0xFF, 0xFF, 0x00},  // nothing pressed
        {0xFE, 0xFF, 0xFF, 0x01},  // service
        {0xFD, 0xFF, 0xFF, 0x02},  // test
        {0xC3, 0xFF, 0xFF, 0x3C},  // coins 1 and 2, starts 1 and 2
        {0x3F, 0xFF, 0xFF, 0x00},  // bits 6 and 7 of the system port mean nothing
        {0xFF, 0xEF, 0xFF, 0x01},  // DIP bit 4 low joins bit 0
        {0xFF, 0xDF, 0xFF, 0x02},  // DIP bit 5 low joins bit 1
        {0xFE, 0xEF, 0xFF, 0x01},  // both sources of bit 0 at once
        {0xFF, 0x30, 0xFF, 0x00},  // the other DIP bits mean nothing
        {0xFF, 0xFF, 0xFB, 0x40},  // coin 3
        {0xFF, 0xFF, 0xF7, 0x80},  // coin 4
        {0xFF, 0xFF, 0xFC, 0x00},  // starts 3 and 4 are the players' business
        {0x00, 0x00, 0x00, 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << int(c.system) << " " << int(c.dip) << " " << int(c.group));
        SetUp();
        ports(c.system, c.dip, c.group);
        ASSERT_TRUE(run(sub_060480));
        EXPECT_EQ(ram8(var::system_inputs), c.current);
        EXPECT_EQ(ram8(var::system_inputs + 1), 0);
        EXPECT_EQ(ram8(var::system_inputs + 2), c.current) << "pressed";
        EXPECT_EQ(ram8(var::system_inputs + 3), 0) << "released";
        TearDown();
    }
}

TEST_F(Inputs, TestSwitchShowsOnePressAndOneRelease) {
    // Test held for calls 1 to 3, let go from call 4; coin 1 held throughout.
    const bool held[] = {false, true, true, true, false, false};
    const uint8_t want_pressed[] = {0x04, 0x02, 0, 0, 0, 0};
    const uint8_t want_released[] = {0, 0, 0, 0, 0x02, 0};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ports(held[i] ? 0xF9 : 0xFB, 0xFF, 0xFF);
        ASSERT_TRUE(run(sub_060480));
        EXPECT_EQ(ram8(var::system_inputs), held[i] ? 0x06 : 0x04);
        EXPECT_EQ(ram8(var::system_inputs + 1), i == 0 ? 0 : (held[i - 1] ? 0x06 : 0x04));
        EXPECT_EQ(ram8(var::system_presses), want_pressed[i]);
        EXPECT_EQ(ram8(var::system_inputs + 3), want_released[i]);
    }
}

TEST_F(Inputs, PlayerBytesFromTheirPortsAndStarts) {
    // Each port byte, and the start in its own port, as a player byte.
    const struct {
        uint8_t port;
        bool start;
        uint8_t player;
    } cases[] = {
        {0xFF, false, 0x00}, {0xFE, false, 0x10}, {0xFD, false, 0x20}, {0xEF, false, 0x01},
        {0xDF, false, 0x02}, {0xBF, false, 0x04}, {0x7F, false, 0x08}, {0xF3, false, 0x00},
        {0xFF, true, 0x40},  {0x00, true, 0x7F},
    };
    for (int player = 0; player < 4; ++player) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "player " << player + 1 << " port " << std::hex << int(c.port)
                                            << (c.start ? " start" : ""));
            SetUp();
            std::array<uint8_t, 4> p{0xFF, 0xFF, 0xFF, 0xFF};
            p[player] = c.port;
            players(p[0], p[1], p[2], p[3]);
            uint8_t system = 0xFF, group = 0xFF;
            if (c.start && player < 2) system = static_cast<uint8_t>(~(0x10 << player));
            if (c.start && player >= 2) group = static_cast<uint8_t>(~(1 << (player - 2)));
            ports(system, 0xFF, group);
            ASSERT_TRUE(run(sub_0604CF));
            EXPECT_EQ(word(var::player_inputs, input_block::newest), uint32_t{c.player} << (8 * player));
            TearDown();
        }
    }
}

TEST_F(Inputs, PlayerCountSettingMasksAbsentPlayers) {
    const uint32_t want[] = {0x00007F7F, 0x007F7F7F, 0x7F7F7F7F};
    for (uint8_t setting = 0; setting < 3; ++setting) {
        SCOPED_TRACE(int(setting));
        SetUp();
        orb_write8(var::backup_image + backup_record::player_count, setting);
        players(0, 0, 0, 0);
        ports(0, 0xFF, 0);
        ASSERT_TRUE(run(sub_0604CF));
        EXPECT_EQ(word(var::player_inputs, input_block::newest), want[setting]);
        TearDown();
    }
}

TEST_F(Inputs, PlayerEdgesLagTheNewestSampleByOneCall) {
    // Player 1 button 1 is in the samples of calls 1 to 3, player 2's down in
    // those of calls 0 to 4; each shows as current one call later.
    orb_write32(var::player_inputs + input_block::mask, 0xFFFFFFFF);
    const bool button[] = {false, true, true, true, false, false};
    struct After {
        uint32_t current, pressed, released;
    };
    const After want[] = {
        {0x0000, 0, 0}, {0x0100, 0x0100, 0}, {0x0110, 0x0010, 0},
        {0x0110, 0, 0}, {0x0110, 0, 0},      {0x0100, 0, 0x0010},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        players(button[i] ? 0xFE : 0xFF, i <= 4 ? 0xEF : 0xFF, 0xFF, 0xFF);
        ports(0xFF, 0xFF, 0xFF);
        cpu.reg[1] = cpu.reg[2] = 0xDEAD;
        ASSERT_TRUE(run(sub_0604CF));
        const uint32_t b = var::player_inputs;
        EXPECT_EQ(word(b, input_block::current), want[i].current);
        EXPECT_EQ(word(b, input_block::previous), i == 0 ? 0 : want[i - 1].current);
        EXPECT_EQ(word(b, input_block::pressed), want[i].pressed);
        EXPECT_EQ(word(b, input_block::released), want[i].released);
        EXPECT_EQ(r(0), ~want[i].current);
        EXPECT_EQ(r(1), want[i].pressed);
        EXPECT_EQ(r(2), want[i].released);
    }
    EXPECT_EQ(word(var::player_inputs, input_block::mask), 0xFFFFFEEFu)
        << "the mask lost every bit a sample had, and only those";
}

TEST_F(Inputs, MaskWordOnlyEverLosesBits) {
    const uint32_t samples[] = {0x00000001, 0x80000000, 0x00000000, 0x00010001, 0x00000000};
    const uint32_t block = 0x208180;
    clear_block(block);
    orb_write32(block + input_block::mask, 0x8000FF0F);
    uint32_t want = 0x8000FF0F, newest = 0;
    for (uint32_t s : samples) {
        cpu.reg[0] = s;
        cpu.reg[3] = block;
        ASSERT_TRUE(run(sub_06057A));
        want &= ~newest;  // the sample before this one
        newest = s;
        EXPECT_EQ(word(block, input_block::mask), want);
        EXPECT_EQ(word(block, input_block::newest), s);
    }
}

TEST_F(Inputs, DemoStreamAdvancesOneWordPerCallWhileThePortsStillCount) {
    constexpr uint32_t kStream = 0x070000;
    const uint32_t stream[] = {0x00000011, 0x00000022, 0x00000044};
    for (uint32_t i = 0; i < 3; ++i) plant32(kStream + 4 * i, stream[i]);
    orb_write32(var::demo_input_pointer, kStream);
    orb_write32(var::game_flags, 1u << 8);
    players(0xFE, 0xFF, 0xFF, 0xFF);
    ports(0xFF, 0xFF, 0xFF);
    for (uint32_t i = 0; i < 3; ++i) ASSERT_TRUE(run(sub_0604CF));
    EXPECT_EQ(ram32(var::demo_input_pointer), kStream + 12);
    EXPECT_EQ(word(var::demo_inputs, input_block::newest), stream[2]);
    EXPECT_EQ(word(var::demo_inputs, input_block::current), stream[1]);
    EXPECT_EQ(word(var::demo_inputs, input_block::previous), stream[0]);
    EXPECT_EQ(word(var::demo_inputs, input_block::pressed), 0x22u);
    EXPECT_EQ(word(var::player_inputs, input_block::newest), 0x10u);
    EXPECT_EQ(word(var::player_inputs, input_block::current), 0x10u);

    orb_write32(var::game_flags, ~(1u << 8));
    ASSERT_TRUE(run(sub_0604CF));
    EXPECT_EQ(ram32(var::demo_input_pointer), kStream + 12) << "out of demo play the stream stays put";
}

}  // namespace
