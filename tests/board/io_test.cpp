// The I/O chip as the guest reaches it through 0xC00000.
#include <cstring>

#include "tests/board/link_fixture.h"

namespace {

using IoChip = BoardLinkTest;
using Strings = std::vector<std::string>;

// Distinct input bytes so every register shows where it reads from.
constexpr uint8_t kInputs[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};

void plant_inputs() { std::memcpy(orb_board.io.io_inputs, kInputs, sizeof kInputs); }

TEST_F(IoChip, RegisterMapAfterReset) {
    plant_inputs();
    struct Case {
        uint32_t offset;
        uint8_t expected;
    };
    const Case cases[] = {
        {0x00, 0x11}, {0x02, 0x22}, {0x04, 0x33}, {0x06, 0xFF},  // A, B, C, D
        {0x08, 0x44},                                            // E: system
        {0x0A, 0xD5},                // F: DIP 0x55 with bit 7 from the idle EEPROM (1)
        {0x0C, 0xFF}, {0x0E, 0xFF},  // G, H
        {0x10, 'K'},  {0x12, 'O'},  {0x14, 'T'},  {0x16, 'A'},
        {0x18, 0x00}, {0x1A, 0x00}, {0x1C, 0x00}, {0x1E, 0x00},  // CNT, direction
        {0x20, 0xFF}, {0x3E, 0xFF}, {0x58, 0xFF}, {0x5E, 0xFF},
        {0x60, 0x66}, {0x62, 0x77}, {0x64, 0x88},  // players 3, 4, starts 3 and 4
        {0x66, 0x9B}, {0x68, 0xFF}, {0x74, 0xFF}, {0x7E, 0xFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(io_read(c.offset), c.expected) << "offset " << std::hex << c.offset;
        // The 128 bytes repeat through the megabyte; odd bytes and the high
        // half of a word are 0xFF.
        EXPECT_EQ(orb_read8(0xCFFF80 + c.offset), c.expected) << "mirror " << std::hex << c.offset;
        EXPECT_EQ(orb_read8(kIo + c.offset + 1), 0xFF) << "odd " << std::hex << c.offset;
        EXPECT_EQ(orb_read16(kIo + c.offset), 0xFF00 | c.expected) << "word " << std::hex << c.offset;
    }
}

TEST_F(IoChip, OutputPortsReadTheirLatch) {
    plant_inputs();
    for (int n = 0; n < 8; ++n) {
        const uint32_t offset = static_cast<uint32_t>(n) * 2;
        const uint8_t input_value = io_read(offset);
        const auto latch = static_cast<uint8_t>(0xA0 + n);
        io_write(offset, latch);
        EXPECT_EQ(io_read(offset), input_value) << "port " << n << " as input";
        io_write(0x1E, static_cast<uint8_t>(1u << n));
        EXPECT_EQ(io_read(offset), latch) << "port " << n << " as output";
        io_write(0x1E, 0);
    }
    // Port D's latch 0xA3 raised CS while D was an output; turning it back to
    // an input dropped the lines again.
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_IDLE);
    EXPECT_EQ(orb_board.eeprom_state.cs, 0);
}

TEST_F(IoChip, ReadOnlyAndUnusedOffsetsIgnoreWrites) {
    plant_inputs();
    io_write(0x1E, 0x88);  // make D and H outputs so stray port effects would show
    io_write(0x0E, 0x01);
    const orb_io_block io_before = orb_board.io;
    const orb_eeprom_engine eeprom_before = orb_board.eeprom_state;
    const uint32_t ignored[] = {0x10, 0x12, 0x14, 0x16, 0x18, 0x1A, 0x20, 0x3E, 0x58, 0x5E, 0x68, 0x74, 0x7E};
    for (uint32_t offset : ignored) {
        io_write(offset, 0x00);
        io_write(offset, 0xFF);
    }
    // Odd bytes of every register are ignored too.
    for (uint32_t offset = 1; offset < 0x80; offset += 2) io_write(offset, 0x00);
    EXPECT_EQ(std::memcmp(&orb_board.io, &io_before, sizeof io_before), 0);
    EXPECT_EQ(std::memcmp(&orb_board.eeprom_state, &eeprom_before, sizeof eeprom_before), 0);
    EXPECT_TRUE(take_events().empty());
}

TEST_F(IoChip, CntBitTwoDrivesTheSoundReset) {
    struct Step {
        uint8_t value;
        Strings calls;
    };
    const Step steps[] = {
        {0x84, {"sound_reset 0"}}, {0x84, {}}, {0x86, {}},  // only bit 2 matters
        {0x80, {"sound_reset 1"}}, {0x00, {}}, {0x04, {"sound_reset 0"}},
    };
    for (const auto& s : steps) {
        io_write(0x1C, s.value);
        EXPECT_EQ(take_events(), s.calls) << "CNT " << std::hex << int{s.value};
        EXPECT_EQ(io_read(0x1C), s.value);
        EXPECT_EQ(io_read(0x18), s.value);
    }
}

TEST_F(IoChip, ResetHoldsTheSoundBoardAndKeepsInputsAndCounters) {
    plant_inputs();
    orb_board.io.counter_x[0] = 0x123;
    // The game's own set-up of the chip.
    io_write(0x1C, 0x84);
    io_write(0x1E, 0xC8);
    io_write(0x06, 0xF0);
    io_write(0x0E, 0x01);
    io_write(0x66, 0x93);
    io_write(0x60, 0x12);
    io_write(0x40, 0);
    ASSERT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_SELECTED);
    ASSERT_EQ(orb_board.io.tile_bank, 1);
    take_events();

    orb_reset();
    EXPECT_EQ(take_events(), (Strings{"sound_reset 1", "irq_changed 0"}));
    const auto& io = orb_board.io;
    EXPECT_EQ(io.direction, 0);
    EXPECT_EQ(io.cnt, 0);
    EXPECT_EQ(io.tile_bank, 0);
    EXPECT_EQ(io.group_register, 0x9B);
    for (uint8_t latch : io.port_latches) EXPECT_EQ(latch, 0);
    EXPECT_EQ(io.group_latches[0], 0);
    EXPECT_EQ(std::memcmp(io.io_inputs, kInputs, sizeof kInputs), 0);
    EXPECT_EQ(io.counter_x[0], 0x123);
    EXPECT_EQ(io.latched_x[0], 0x123);
    EXPECT_EQ(orb_board.eeprom_state.state, ORB_EEPROM_IDLE);
    EXPECT_EQ(orb_board.eeprom_state.cs, 0);
    EXPECT_EQ(orb_board.eeprom_state.clk, 0);
    EXPECT_EQ(orb_board.eeprom_state.di, 0);
}

TEST_F(IoChip, PortHSetsTheTileBankOnlyAsAnOutput) {
    struct Step {
        uint32_t offset;
        uint8_t value;
        uint8_t tile_bank;
    };
    const Step steps[] = {
        {0x0E, 0x01, 0},                                    // input: only latched
        {0x1E, 0x80, 1},                                    // turning output shows the latch
        {0x0E, 0x00, 0}, {0x0E, 0x03, 3}, {0x1E, 0x81, 3},  // bit 7 unchanged: tile bank kept
        {0x1E, 0x00, 0},                                    // back to input
        {0x0E, 0x01, 0},
    };
    for (const auto& s : steps) {
        io_write(s.offset, s.value);
        EXPECT_EQ(orb_board.io.tile_bank, s.tile_bank)
            << std::hex << "write " << s.value << " to " << s.offset;
    }
}

TEST_F(IoChip, PortDDrivesTheEepromLinesOnlyAsAnOutput) {
    const auto& e = orb_board.eeprom_state;
    io_write(0x06, 0xA0);  // DI and CS, but D is still an input
    EXPECT_EQ(e.cs, 0);
    EXPECT_EQ(e.state, ORB_EEPROM_IDLE);

    io_write(0x1E, 0x08);  // D turns output: its latch reaches the lines
    EXPECT_EQ(e.cs, 1);
    EXPECT_EQ(e.di, 1);
    EXPECT_EQ(e.clk, 0);
    EXPECT_EQ(e.state, ORB_EEPROM_SELECTED);

    io_write(0x1E, 0x09);  // bit 3 unchanged: nothing happens to the lines
    EXPECT_EQ(e.state, ORB_EEPROM_SELECTED);

    io_write(0x1E, 0x01);  // D turns input while selected: CS falls
    EXPECT_EQ(e.cs, 0);
    EXPECT_EQ(e.di, 0);
    EXPECT_EQ(e.state, ORB_EEPROM_IDLE);
}

TEST_F(IoChip, DipReadShowsTheEepromDataLine) {
    orb_board.io.io_inputs[ORB_INPUT_DIP] = 0xFF;
    EXPECT_EQ(io_read(0x0A), 0xFF);  // idle EEPROM
    orb_board.eeprom_state.state = ORB_EEPROM_SELECTED;
    orb_board.eeprom_state.ready_at = 10;
    EXPECT_EQ(io_read(0x0A), 0x7F);  // selected and busy
    orb_board.now = 10;
    EXPECT_EQ(io_read(0x0A), 0xFF);
    io_write(0x1E, 0x20);  // F as an output reads its latch, not the line
    EXPECT_EQ(io_read(0x0A), 0x00);
}

TEST_F(IoChip, AnalogChannelsCountMovementSinceTheirLatch) {
    auto& io = orb_board.io;
    for (int c = 0; c < 3; ++c) {
        io.counter_x[c] = static_cast<uint16_t>(0x123 + c);
        io.counter_y[c] = static_cast<uint16_t>(0xF456 + c);  // bits above 11 are dropped
    }
    EXPECT_EQ(io_read(0x48), 0x24);
    EXPECT_EQ(io_read(0x4A), 0x01);
    EXPECT_EQ(io_read(0x4C), 0x57);
    EXPECT_EQ(io_read(0x4E), 0x04);

    io_write(0x4E, 0x5A);  // any value, any offset of the channel latches it
    for (uint32_t offset = 0x48; offset < 0x50; offset += 2)
        EXPECT_EQ(io_read(offset), 0) << std::hex << offset;
    EXPECT_EQ(io_read(0x40), 0x23) << "channel 0 keeps its own latch";
    EXPECT_EQ(io_read(0x50), 0x25) << "channel 2 keeps its own latch";

    io.counter_x[1] -= 1;       // moved back by one
    io.counter_y[1] += 0x1000;  // a whole turn of the 12-bit count reads as no movement
    EXPECT_EQ(io_read(0x48), 0xFF);
    EXPECT_EQ(io_read(0x4A), 0x0F);
    EXPECT_EQ(io_read(0x4C), 0x00);
    EXPECT_EQ(io_read(0x4E), 0x00);
}

TEST_F(IoChip, SecondGroupRegisters) {
    plant_inputs();
    io_write(0x60, 0x01);
    io_write(0x62, 0x02);
    io_write(0x64, 0x03);
    EXPECT_EQ(orb_board.io.group_latches[0], 0x01);
    EXPECT_EQ(orb_board.io.group_latches[1], 0x02);
    EXPECT_EQ(orb_board.io.group_latches[2], 0x03);
    EXPECT_EQ(io_read(0x60), 0x66) << "the latches are never read back";
    EXPECT_EQ(io_read(0x62), 0x77);
    EXPECT_EQ(io_read(0x64), 0x88);
    io_write(0x66, 0x12);
    EXPECT_EQ(io_read(0x66), 0x12);
}

}  // namespace
