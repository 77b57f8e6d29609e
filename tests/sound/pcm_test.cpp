// The RF5C68 on its own: registers, wave window, playback and output stage,
// over a wave memory and a stream the test owns.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "sound/pcm.h"

namespace {

using orbs::rf5c164_device;
using orbs::rf5c68_device;

class Rf5c68 : public ::testing::Test {
protected:
    std::array<uint8_t, 0x10000> wave{};
    int updates = 0;
    rf5c68_device chip{orbs::g_machine_config, "pcm", nullptr, 12'500'000};

    void wire(rf5c68_device& c) {
        c.spaces[0].read = [this](uint32_t a) { return wave[a & 0xFFFF]; };
        c.spaces[0].write = [this](uint32_t a, uint8_t v) { wave[a & 0xFFFF] = v; };
        c.stream.update = [this] { ++updates; };
        c.device_start();
    }

    void SetUp() override {
        wave.fill(0xFF);
        wire(chip);
    }

    // Renders n samples the way the sound board asks for them: left, right, ...
    static std::vector<int32_t> render(rf5c68_device& c, int n) {
        c.stream.sample_count = n;
        c.stream.left.assign(static_cast<size_t>(n), 0);
        c.stream.right.assign(static_cast<size_t>(n), 0);
        c.sound_stream_update(c.stream);
        std::vector<int32_t> out;
        for (size_t j = 0; j < static_cast<size_t>(n); ++j) {
            out.push_back(c.stream.left[j]);
            out.push_back(c.stream.right[j]);
        }
        return out;
    }
    std::vector<int32_t> render(int n) { return render(chip, n); }
    std::vector<int32_t> left(int n) {
        std::vector<int32_t> all = render(n), l;
        for (size_t j = 0; j < all.size(); j += 2) l.push_back(all[j]);
        return l;
    }

    // Sets up channel ch (left level only unless pan says otherwise).
    static void setup(rf5c68_device& c, int ch, uint8_t start, uint16_t step, uint8_t pan = 0x0F,
                      uint16_t loop = 0, uint8_t envelope = 0xFF) {
        c.rf5c68_w(7, static_cast<uint8_t>(0xC0 | ch));
        c.rf5c68_w(0, envelope);
        c.rf5c68_w(1, pan);
        c.rf5c68_w(2, static_cast<uint8_t>(step));
        c.rf5c68_w(3, static_cast<uint8_t>(step >> 8));
        c.rf5c68_w(4, static_cast<uint8_t>(loop));
        c.rf5c68_w(5, static_cast<uint8_t>(loop >> 8));
        c.rf5c68_w(6, start);
    }
    void setup(int ch, uint8_t start, uint16_t step, uint8_t pan = 0x0F, uint16_t loop = 0,
               uint8_t envelope = 0xFF) {
        setup(chip, ch, start, step, pan, loop, envelope);
    }
    void fill(uint32_t at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) wave[at++ & 0xFFFF] = b;
    }
    // Wave address of a channel (the 16 bits fetched).
    uint32_t position(int ch) const { return (chip.channels[ch].address >> 11) & 0xFFFF; }
};

// A sample byte of magnitude m: positive with bit 7 set.
constexpr int32_t unit(int32_t m) { return (m * 15 * 255) >> 5; }
constexpr int32_t out10(int32_t v) { return v & ~0x3F; }

TEST_F(Rf5c68, StartsDisabledAndStoppedAtTheRateOfItsClock) {
    EXPECT_EQ(chip.stream.sample_rate, 32'552u);
    EXPECT_EQ(chip.output_bits, 10);
    rf5c164_device wide(orbs::g_machine_config, "pcm16", nullptr, 12'500'000);
    EXPECT_EQ(wide.output_bits, 16);
    EXPECT_EQ(chip.chip_enable, 0);
    for (const auto& ch : chip.channels) {
        EXPECT_EQ(ch.enable, 0);
        EXPECT_EQ(ch.address, 0u);
    }
    ASSERT_EQ(chip.memory_space_config().size(), 1u);
    EXPECT_EQ(chip.memory_space_config()[0].first, 0);
}

TEST_F(Rf5c68, DisabledChipLeavesZerosAndMovesNoChannel) {
    fill(0, {0xC0, 0xC0, 0xC0, 0xC0});
    setup(0, 0, 0x0800);
    chip.rf5c68_w(8, 0xFE);
    chip.rf5c68_w(7, 0x40);  // chip off
    EXPECT_EQ(render(4), std::vector<int32_t>(8, 0));
    EXPECT_EQ(chip.channels[0].address, 0u);
}

TEST_F(Rf5c68, Register7SelectsAChannelOrTheWaveBank) {
    struct Case {
        uint8_t value;
        uint8_t enable, select;
        uint16_t bank;
    };
    // Before each case: channel 2 selected, bank 0x2000, chip off.
    const Case cases[] = {
        {0xC3, 1, 3, 0x2000},  // bit 6: channel select, bank kept
        {0x85, 1, 2, 0x5000},  // bit 6 clear: bank, select kept
        {0x40, 0, 0, 0x2000},  // chip off, channel 0
        {0xFD, 1, 5, 0x2000},  // bits 3-5 do not reach the select
        {0xBA, 1, 2, 0xA000},  // bits 4-5 do not reach the bank
    };
    for (const Case& c : cases) {
        chip.rf5c68_w(7, 0x42);
        chip.rf5c68_w(7, 0x02);
        chip.rf5c68_w(7, c.value);
        EXPECT_EQ(chip.chip_enable, c.enable) << std::hex << int(c.value);
        EXPECT_EQ(chip.channel_select, c.select) << std::hex << int(c.value);
        EXPECT_EQ(chip.wave_bank, c.bank) << std::hex << int(c.value);
    }
}

TEST_F(Rf5c68, ChannelRegistersReachTheSelectedChannelOnly) {
    setup(5, 0x12, 0xABCD, 0x3C, 0x4567, 0x80);
    const auto& ch = chip.channels[5];
    EXPECT_EQ(ch.envelope, 0x80);
    EXPECT_EQ(ch.pan, 0x3C);
    EXPECT_EQ(ch.step, 0xABCD);
    EXPECT_EQ(ch.loop_start, 0x4567);
    EXPECT_EQ(ch.start, 0x12);
    EXPECT_EQ(ch.address, 0x1200u << 11);  // stopped: follows its start page
    EXPECT_EQ(chip.channels[4].step, 0);
    // Offsets above 8 still catch the stream up but change nothing.
    const int before = updates;
    rf5c68_device copy_of_state = chip;
    chip.rf5c68_w(9, 0x55);
    EXPECT_EQ(updates, before + 1);
    EXPECT_EQ(std::memcmp(copy_of_state.channels, chip.channels, sizeof chip.channels), 0);
}

TEST_F(Rf5c68, Register8StartsAndStopsChannels) {
    for (int ch = 0; ch < 8; ++ch) setup(ch, static_cast<uint8_t>(0x10 + ch), 0x0800);
    fill(0x1000, {0x80, 0x80, 0x80});
    chip.rf5c68_w(8, 0x00);  // all run, from their start pages
    for (const auto& ch : chip.channels) EXPECT_EQ(ch.enable, 1);
    chip.rf5c68_w(7, 0x80);
    render(2);
    EXPECT_EQ(position(0), 0x1002u);

    chip.rf5c68_w(8, 0xFE);  // channel 0 runs on; 1-7 stop and rewind
    EXPECT_EQ(chip.channels[0].enable, 1);
    EXPECT_EQ(position(0), 0x1002u);
    for (int ch = 1; ch < 8; ++ch) {
        EXPECT_EQ(chip.channels[ch].enable, 0);
        EXPECT_EQ(position(ch), 0x1000u + 0x100u * ch);
    }

    chip.rf5c68_w(8, 0xFF);  // all stop, each back to its start page
    for (int ch = 0; ch < 8; ++ch) {
        EXPECT_EQ(chip.channels[ch].enable, 0);
        EXPECT_EQ(chip.channels[ch].address, (0x10u + ch) << 19);
    }
}

TEST_F(Rf5c68, Register6MovesOnlyAStoppedChannel) {
    setup(0, 0x00, 0x0800);
    chip.rf5c68_w(6, 0x12);
    EXPECT_EQ(chip.channels[0].address, 0x1200u << 11);  // fraction 0
    chip.rf5c68_w(8, 0xFE);
    chip.rf5c68_w(6, 0x34);  // running: start only
    EXPECT_EQ(chip.channels[0].start, 0x34);
    EXPECT_EQ(position(0), 0x1200u);
}

TEST_F(Rf5c68, ReadsBackTheWaveAddressByteByByte) {
    chip.channels[0].address = (0x1234u << 11) | 0x7FF;
    chip.channels[3].address = 0xABCDu << 11;
    const struct {
        uint32_t offset;
        uint8_t value;
    } cases[] = {{0, 0x34}, {1, 0x12}, {16, 0x34}, {17, 0x12}, {6, 0xCD}, {7, 0xAB}};
    for (const auto& c : cases) {
        const int before = updates;
        EXPECT_EQ(chip.rf5c68_r(c.offset), c.value) << c.offset;
        EXPECT_EQ(updates, before + 1) << "a register read catches the stream up";
    }
}

TEST_F(Rf5c68, StepDecidesHowOftenEachByteIsFetched) {
    fill(0x0000, {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88});
    const struct {
        uint16_t step;
        std::vector<int32_t> magnitudes;
    } cases[] = {
        {0x0800, {1, 2, 3, 4}},
        {0x0400, {1, 1, 2, 2}},
        {0x1000, {1, 3, 5, 7}},
        {0x0C00, {1, 2, 4, 5}},  // 1.5 bytes per sample
    };
    chip.rf5c68_w(7, 0x80);
    for (const auto& c : cases) {
        setup(0, 0, c.step);
        chip.rf5c68_w(8, 0xFF);
        chip.rf5c68_w(8, 0xFE);
        std::vector<int32_t> expected;
        for (int32_t m : c.magnitudes) expected.push_back(out10(unit(m)));
        chip.rf5c68_w(7, 0x80);
        EXPECT_EQ(left(4), expected) << std::hex << c.step;
    }
}

TEST_F(Rf5c68, WaveAddressWrapsToZero) {
    fill(0xFFFE, {0x81, 0x82});
    fill(0x0000, {0x83});
    setup(0, 0xFF, 0x0800);
    chip.channels[0].address = 0xFFFEu << 11;
    chip.rf5c68_w(8, 0xFE);
    chip.rf5c68_w(7, 0x80);
    EXPECT_EQ(left(3), (std::vector<int32_t>{out10(unit(1)), out10(unit(2)), out10(unit(3))}));
    EXPECT_EQ(position(0), 0x0001u);
}

TEST_F(Rf5c68, LoopMarkerJumpsToTheLoopAddress) {
    fill(0x0100, {0x81, 0x82, 0xFF});
    fill(0x0200, {0x85, 0x86});
    setup(0, 0x01, 0x0800, 0x0F, 0x0200);
    chip.rf5c68_w(8, 0xFE);
    chip.rf5c68_w(7, 0x80);
    // The marker is never played: the loop byte takes its sample.
    EXPECT_EQ(left(5), (std::vector<int32_t>{out10(unit(1)), out10(unit(2)), out10(unit(5)), out10(unit(6)),
                                             out10(unit(5))}));
}

TEST_F(Rf5c68, MarkerAtTheLoopAddressSilencesTheChannelButKeepsItRunning) {
    // Nothing loaded yet: the whole memory reads as markers.
    setup(0, 0x01, 0x0800, 0x0F, 0x0340);
    setup(1, 0x00, 0x0800, 0x0F);
    fill(0x0000, {0x81, 0x81, 0x81, 0x81});
    chip.rf5c68_w(8, 0xFC);
    chip.rf5c68_w(7, 0x80);
    EXPECT_EQ(left(4), std::vector<int32_t>(4, out10(unit(1))));  // channel 1 alone
    EXPECT_EQ(chip.channels[0].enable, 1);
    EXPECT_EQ(chip.channels[0].address, 0x0340u << 11);
    EXPECT_EQ(chip.rf5c68_r(0), 0x40);
    EXPECT_EQ(chip.rf5c68_r(1), 0x03);
    // Loading the loop address brings it back at the next update.
    fill(0x0340, {0x82});
    EXPECT_EQ(left(1), std::vector<int32_t>{out10(unit(1) + unit(2))});
}

TEST_F(Rf5c68, OutputStageMasksThenClamps) {
    struct Case {
        uint8_t sample;
        int channels;
        int32_t ten_bit, sixteen_bit;
    };
    const Case cases[] = {
        {0x80, 1, 0, 0},              // +0
        {0x00, 1, 0, 0},              // -0
        {0x7F, 1, -15'232, -15'180},  // -127 at full scale; masked toward minus infinity
        {0xFE, 1, 15'040, 15'060},    // +126, the largest positive
        {0xFE, 8, 32'767, 32'767},    // clamped after the mask, not 0x7FC0
        {0x7F, 8, -32'768, -32'768},
        {0x01, 1, -128, -119},  // -(1 × 3825 >> 5), masked down
    };
    rf5c164_device wide(orbs::g_machine_config, "pcm16", nullptr, 12'500'000);
    wire(wide);
    for (const Case& c : cases) {
        wave.fill(c.sample);
        for (rf5c68_device* d : {static_cast<rf5c68_device*>(&chip), static_cast<rf5c68_device*>(&wide)}) {
            for (int ch = 0; ch < 8; ++ch) setup(*d, ch, 0, 0x0800, 0xFF);
            d->rf5c68_w(8, static_cast<uint8_t>(0xFF << c.channels));
            d->rf5c68_w(7, 0x80);
        }
        const auto narrow_out = render(chip, 1);
        const auto wide_out = render(wide, 1);
        EXPECT_EQ(narrow_out, (std::vector<int32_t>{c.ten_bit, c.ten_bit})) << std::hex << int(c.sample);
        EXPECT_EQ(wide_out, (std::vector<int32_t>{c.sixteen_bit, c.sixteen_bit}))
            << std::hex << int(c.sample);
    }
}

TEST_F(Rf5c68, OppositeSignsCancelAndPanSplitsTheSides) {
    fill(0x0000, {0xC5});
    fill(0x0100, {0x45});
    setup(0, 0x00, 0, 0x3A);
    setup(1, 0x01, 0, 0x3A);
    chip.rf5c68_w(8, 0xFC);
    chip.rf5c68_w(7, 0x80);
    EXPECT_EQ(render(1), (std::vector<int32_t>{0, 0}));
    chip.rf5c68_w(8, 0xFE);
    const int32_t l = ((0x45 * 10 * 255) >> 5) & ~0x3F;
    const int32_t r = ((0x45 * 3 * 255) >> 5) & ~0x3F;
    EXPECT_EQ(render(1), (std::vector<int32_t>{l, r}));
}

TEST_F(Rf5c68, WaveWindowReachesTheBankedAddress) {
    chip.rf5c68_w(7, 0x03);  // bank 0x3000, chip off
    int before = updates;
    chip.rf5c68_mem_w(0x123, 0x55);
    EXPECT_EQ(wave[0x3123], 0x55);
    EXPECT_EQ(updates, before + 1) << "a wave write catches the stream up first";
    before = updates;
    EXPECT_EQ(chip.rf5c68_mem_r(0x123), 0x55);
    EXPECT_EQ(updates, before) << "a wave read changes nothing";
}

TEST_F(Rf5c68, EveryChangeCatchesUpBeforeItLands) {
    // The owner's catch-up sees the registers as they were before the write.
    uint8_t seen = 0;
    chip.stream.update = [&] { seen = chip.channels[0].envelope; };
    setup(0, 0, 0x0800);
    chip.rf5c68_w(0, 0x42);
    EXPECT_EQ(seen, 0xFF);
    chip.stream.update = nullptr;  // an empty update is skipped
    chip.rf5c68_w(0, 0x43);
    EXPECT_EQ(chip.channels[0].envelope, 0x43);
}

}  // namespace
