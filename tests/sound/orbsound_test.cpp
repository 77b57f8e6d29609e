// The sound board's scheduler, FM and PCM glue, frame end, mix and API.
#include <limits>

#include "sound/sound_reference.h"
#include "tests/sound/sound_fixture.h"

namespace {

using namespace orbsound;

// ---------------------------------------------------------------- scheduler

using SoundTiming = SoundBoardTest;

TEST_F(SoundTiming, SlicesRunWholeCyclesUpToTheInstant) {
    release();  // the ROM is all NOPs: 4 cycles each
    on_time_passes(1000);
    EXPECT_EQ(g_time, 1000u);
    EXPECT_EQ(orbs_z80_cycles(), 500u);
    // The last NOP's fetch is charged but its PC step waits for the next slice.
    EXPECT_EQ(z80().pc, 124);

    // An instant at or before the sound time changes nothing.
    for (uint64_t t : {uint64_t{0}, uint64_t{999}, uint64_t{1000}}) {
        on_time_passes(t);
        EXPECT_EQ(g_time, 1000u);
        EXPECT_EQ(orbs_z80_cycles(), 500u);
    }

    // One tick asks for one cycle; the opcode fetch's first half charges 2.
    on_time_passes(1001);
    EXPECT_EQ(g_time, 1004u);
    EXPECT_EQ(orbs_z80_cycles(), 502u);
    EXPECT_EQ(z80().exec_state, 0xFFFF25u);
}

TEST_F(SoundTiming, FarInstantIsReachedInSlicesThatFitTheBudget) {
    release();
    z80().execute_set_input(orbs::z80_device::INPUT_LINE_WAIT, 1);  // spends slices without running
    const uint64_t far = uint64_t{1} << 33;                         // more cycles than a 32-bit budget holds
    on_time_passes(far);
    EXPECT_EQ(g_time, far);
    EXPECT_EQ(orbs_z80_cycles(), far / 2);
}

TEST_F(SoundTiming, HeldZ80LetsTimeAndTimersPass) {
    arm_timer_a(0, 0xFF);  // timer A: 4 counts = 1152 ticks
    EXPECT_EQ(fm(0).timer_end[0], 1152u);
    on_time_passes(2400);
    EXPECT_EQ(g_time, 2400u);
    EXPECT_EQ(orbs_z80_cycles(), 0u);
    // Each expiry re-armed from its own end, not from where it was noticed.
    EXPECT_EQ(fm(0).timer_end[0], 3456u);
    EXPECT_EQ(fm_read(0, 0) & 1, 1);
    EXPECT_EQ(z80().pc, 0);
}

TEST_F(SoundTiming, EqualTimerEndsAllFireAtThatEnd) {
    for (int chip = 0; chip < 2; ++chip) {
        fm_write(chip, 0, 0x24);
        fm_write(chip, 1, 0xFC);  // timer A: 16 counts = 4608 ticks
        fm_write(chip, 0, 0x26);
        fm_write(chip, 1, 0xFF);  // timer B: 16 samples = 4608 ticks
        fm_write(chip, 0, 0x27);
        fm_write(chip, 1, 0x0F);
    }
    for (int chip = 0; chip < 2; ++chip) {
        EXPECT_EQ(fm(chip).timer_end[0], 4608u);
        EXPECT_EQ(fm(chip).timer_end[1], 4608u);
    }
    on_time_passes(4608);
    for (int chip = 0; chip < 2; ++chip) {
        EXPECT_EQ(fm(chip).timer_end[0], 9216u) << chip;
        EXPECT_EQ(fm(chip).timer_end[1], 9216u) << chip;
        EXPECT_EQ(fm_read(chip, 0) & 3, 3) << chip;
        EXPECT_EQ(fm(chip).samples_generated, 16u) << "caught up to the expiry first";
    }
}

TEST_F(SoundTiming, TimerArmedInsideASliceCutsIt) {
    // LD A,n / OUT (n),A pairs arming timer A for 1152 ticks, then NOPs.
    z80_asm p;
    p.db({0x3E, 0x24, 0xD3, 0x80, 0x3E, 0xFF, 0xD3, 0x81})      // 7+11+7+11 = 36 cycles
        .db({0x3E, 0x27, 0xD3, 0x80, 0x3E, 0x05, 0xD3, 0x81});  // the last OUT writes at cycle 68
    p.load(sound_rom.data());
    // Where the sound board stands when the first timer interrupt rises.
    static uint64_t raised_at, raised_now;
    raised_at = raised_now = 0;
    orb_board.callbacks.sound_irq = [](bool asserted, uint8_t vector) {
        if (asserted && !raised_at) {
            raised_at = g_time;
            raised_now = sound_now();
        }
        on_sound_irq(asserted, vector);
    };
    release();
    on_time_passes(100'000);
    EXPECT_EQ(raised_now, 1288u);
    EXPECT_GE(raised_at, 1288u) << "the slice ran up to the expiry";
    EXPECT_LT(raised_at, 1288u + 8) << "and no further than the NOP it was in";
    EXPECT_EQ(g_time, 100'000u);
    // Armed at tick 136, it ends at 1288 and then every 1152 ticks.
    EXPECT_EQ(fm_read(0, 0) & 1, 1);
    EXPECT_EQ(fm(0).timer_end[0], 1288u + 1152u * ((100'000 - 1288) / 1152 + 1));
    EXPECT_EQ(orbs_z80_cycles(), 50'000u) << "cut cycles count neither as time nor as run";
    EXPECT_GT(z80().total_cycles, orbs_z80_cycles()) << "the slices were cut";
}

TEST_F(SoundTiming, TimerEndingAfterTheSliceLeavesItAlone) {
    z80_asm p;
    p.db({0x3E, 0x24, 0xD3, 0x80, 0x3E, 0x00, 0xD3, 0x81})  // timer A: 1024 counts
        .db({0x3E, 0x27, 0xD3, 0x80, 0x3E, 0x05, 0xD3, 0x81});
    p.load(sound_rom.data());
    release();
    on_time_passes(1000);
    EXPECT_EQ(z80().cut_cycles, 0);
    EXPECT_EQ(g_time, 1000u);
    EXPECT_EQ(fm(0).timer_end[0], 136u + 1024u * 288u);
}

TEST_F(SoundTiming, WaitLineSpendsTheSliceWithoutRunning) {
    release();
    z80().execute_set_input(orbs::z80_device::INPUT_LINE_WAIT, 1);
    on_time_passes(1001);
    EXPECT_EQ(g_time, 1002u);
    EXPECT_EQ(orbs_z80_cycles(), 501u);
    EXPECT_EQ(z80().pc, 0);
}

TEST_F(SoundTiming, ResetLineResetsTheZ80OnlyOnARisingEdge) {
    z80().pc = 0x77;
    on_sound_reset(true);  // already held since attach
    EXPECT_EQ(z80().pc, 0x77);
    on_sound_reset(false);
    EXPECT_EQ(z80().pc, 0x77);
    on_sound_reset(true);
    EXPECT_EQ(z80().pc, 0);
    z80().pc = 0x55;
    on_sound_reset(true);
    EXPECT_EQ(z80().pc, 0x55);
    EXPECT_TRUE(g_z80_held);
}

TEST_F(SoundTiming, InterruptLevelAndVectorReachTheZ80) {
    EXPECT_EQ(z80().irq_acknowledge(), 255);
    on_sound_irq(true, 4);
    EXPECT_EQ(z80().irq_line, 1);
    EXPECT_EQ(z80().irq_acknowledge(), 4);
    on_sound_irq(false, 0);
    EXPECT_EQ(z80().irq_line, 0);
    EXPECT_EQ(g_vector, 0);
}

TEST_F(SoundTiming, OnlyChip0InterruptReachesTheZ80) {
    for (int chip : {1, 0}) {
        arm_timer_a(chip, 0xFF);
        on_time_passes(g_time + 1200);
        EXPECT_EQ(fm_read(chip, 0) & 1, 1);
        EXPECT_EQ(orb_board.sound_irq_regs.sound_irq_pending & 1, chip == 0 ? 1 : 0) << chip;
    }
    EXPECT_EQ(z80().irq_line, 1);
}

// ---------------------------------------------------------------- FM glue

using FmGlue = SoundBoardTest;

TEST_F(FmGlue, WriteRendersTheSamplesDueBeforeIt) {
    const struct {
        uint64_t tick;
        uint64_t samples;
    } cases[] = {{0, 0}, {0, 0}, {1, 1}, {288, 1}, {289, 2}, {289, 2}};
    for (const auto& c : cases) {
        g_time = c.tick;
        fm_write(0, 0, 0x22);
        EXPECT_EQ(fm(0).samples_generated, c.samples) << c.tick;
        EXPECT_EQ(g_fm_samples[0].data.size(), 2 * c.samples) << c.tick;
    }
    EXPECT_EQ(fm(1).samples_generated, 0u);
}

TEST_F(FmGlue, ReadRendersNothingAndLogsNothing) {
    start_log();
    g_time = 5000;
    fm_read(0, 0);
    fm_read(1, 1);
    EXPECT_EQ(fm(0).samples_generated, 0u);
    EXPECT_EQ(log_text(), "");
}

TEST_F(FmGlue, BusyEndsAtItsTick) {
    g_time = 1000;
    fm(0).ymfm_set_busy_end(32);
    g_time = 1063;
    EXPECT_TRUE(fm(0).ymfm_is_busy());
    g_time = 1064;
    EXPECT_FALSE(fm(0).ymfm_is_busy());
}

TEST_F(FmGlue, TimerDurations) {
    g_time = 500;
    fm(1).ymfm_set_timer(1, 10);
    EXPECT_EQ(fm(1).timer_end[1], 520u);
    fm(1).ymfm_set_timer(1, -1);
    EXPECT_EQ(fm(1).timer_end[1], NO_TIME);
    fm(1).ymfm_set_timer(0, 0);
    EXPECT_EQ(fm(1).timer_end[0], 500u);
    g_time = 600;
    fire_timers(600);
    EXPECT_EQ(fm(1).timer_end[0], 500u + 1024u * 288u) << "re-armed from its own end";
}

TEST_F(FmGlue, WritesAreLoggedWithTheirTick) {
    start_log();
    g_time = 1000;
    fm_write(1, 2, 0x05);
    fm_write(0, 1, 0xAB);
    EXPECT_EQ(log_text(), "1000 fm1 2 05\n1000 fm0 1 AB\n");
    orbs_log_writes(nullptr);
    fm_write(1, 2, 0x06);
    EXPECT_EQ(log_text(), "1000 fm1 2 05\n1000 fm0 1 AB\n");
}

// ---------------------------------------------------------------- PCM glue

using PcmGlue = SoundBoardTest;

unsigned __int128 exact_due(uint64_t t) {
    return (static_cast<unsigned __int128>(t) * 12'500'000 + 6'185'452'799) / 6'185'452'800;
}

TEST_F(PcmGlue, DueCountIsTheCeilingOfTheExactRatio) {
    const struct {
        uint64_t tick, due;
    } cases[] = {{0, 0}, {1, 1}, {494, 1}, {495, 2}, {990, 3}, {268'465, 543}};
    for (const auto& c : cases) EXPECT_EQ(pcm_due(c.tick), c.due) << c.tick;

    // Past the tick where t × 12,500,000 leaves 64 bits the count goes on rising.
    const uint64_t wrap = std::numeric_limits<uint64_t>::max() / 12'500'000;
    for (uint64_t t : {wrap - 1, wrap, wrap + 1, wrap + 7'731'816, 2 * wrap, uint64_t{1} << 62,
                       std::numeric_limits<uint64_t>::max()})
        EXPECT_EQ(pcm_due(t), static_cast<uint64_t>(exact_due(t))) << t;
    EXPECT_GT(pcm_due(wrap + 1000), pcm_due(wrap - 1000));
}

TEST_F(PcmGlue, VideoFramesCoverTheirShareOfSamples) {
    const uint64_t expected[] = {543, 543, 542, 543, 542, 543, 542, 543, 542, 543};
    for (uint64_t n = 0; n < 10; ++n)
        EXPECT_EQ(pcm_due(orb_frame_start(n + 1)) - pcm_due(orb_frame_start(n)), expected[n]) << n;
}

// Channel 0 playing a constant +64 at full level on both sides.
void play_constant() {
    std::memset(orb_board.pcm_ram, 0xC0, sizeof orb_board.pcm_ram);
    pcm_write(7, 0xC0);
    pcm_write(0, 0xFF);
    pcm_write(1, 0xFF);
    pcm_write(3, 0x08);
    pcm_write(8, 0xFE);
}

TEST_F(PcmGlue, RegisterWriteLandsOnTheSampleDueAtItsTick) {
    play_constant();
    g_time = 1000;  // due 3
    pcm_write(0, 0x00);
    g_time = 1000;
    pcm_write(0, 0x00);  // a second catch-up at the same tick renders nothing
    g_time = 2000;
    pcm_write(9, 0x00);  // register out of range: still catches up
    ASSERT_EQ(pcm().samples_generated, pcm_due(2000));
    const auto& out = g_pcm_samples.data;
    ASSERT_EQ(out.size(), 2 * pcm_due(2000));
    const int32_t loud = ((64 * 15 * 255) >> 5) & ~0x3F;
    for (size_t j = 0; j < out.size() / 2; ++j) EXPECT_EQ(out[2 * j], j < 3 ? loud : 0) << j;
}

TEST_F(PcmGlue, DisabledChipStillAppendsSilence) {
    g_time = 10'000;
    pcm_write(0, 0x12);
    EXPECT_EQ(pcm().samples_generated, pcm_due(10'000));
    EXPECT_EQ(g_pcm_samples.data, std::vector<int32_t>(2 * pcm_due(10'000), 0));
}

TEST_F(PcmGlue, Z80ReachesRegistersAndTheBankedWaveWindow) {
    start_log();
    g_time = 700;
    orb_z80_write(0xC007, 0x03);  // bank 0x3000, chip off
    orb_z80_write(0xD123, 0x55);
    EXPECT_EQ(orb_board.pcm_ram[0x3123], 0x55);
    EXPECT_EQ(orb_z80_read(0xD123), 0x55);
    const uint64_t rendered = pcm().samples_generated;
    for (uint16_t a = 0xC009; a <= 0xC00F; ++a) orb_z80_write(a, 0x80);
    EXPECT_EQ(pcm().chip_enable, 0);
    EXPECT_EQ(orb_z80_read(0xC007), 0);
    EXPECT_EQ(pcm().samples_generated, rendered);
    EXPECT_EQ(log_text(), "700 pcm 7 03\n700 pcm_memory 123 55\n");
}

// ---------------------------------------------------------------- frame end

using FrameMix = SoundBoardTest;

std::vector<int16_t> mixed(std::vector<int32_t> fm0, std::vector<int32_t> fm1, std::vector<int32_t> pcm) {
    std::vector<int16_t> out;
    mix(fm0, fm1, pcm, out);
    return out;
}

TEST_F(FrameMix, GainsTruncationAndClamp) {
    const struct {
        int32_t fm0, fm1;
        bool with_pcm;
        int32_t pcm;
        int16_t out;
    } cases[] = {
        {60, 40, true, 100, 70},
        {60, 40, false, 0, 30},
        {-4, -6, false, 0, -3},
        {109'000, 223, false, 0, 32'766},
        {110'000, 0, false, 0, 32'767},
        {-110'000, 0, false, 0, -32'768},
        {0, 0, true, -1, 0},
        {0, 0, true, 81'918, 32'767},
        {0, 0, true, -81'925, -32'768},
    };
    for (const auto& c : cases) {
        const auto out = mixed({c.fm0, 0}, {c.fm1, 0},
                               c.with_pcm ? std::vector<int32_t>{c.pcm, 0} : std::vector<int32_t>{});
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[0], c.out) << c.fm0 << " + " << c.fm1 << ", pcm " << c.pcm;
        EXPECT_EQ(out[1], 0);
    }
}

TEST_F(FrameMix, PcmFramesAreHeldAcrossTheOutputFrames) {
    std::vector<int32_t> fm(2 * 932, 0), pcm;
    for (int32_t j = 0; j < 542; ++j) pcm.insert(pcm.end(), {1000 + 50 * j, 0});
    const auto out = mixed(fm, fm, pcm);
    ASSERT_EQ(out.size(), 2u * 932);
    const auto from = [&](int32_t j) { return static_cast<int16_t>((1000 + 50 * j) * 0.4); };
    EXPECT_EQ(out[2 * 0], from(0));
    EXPECT_EQ(out[2 * 1], from(0));
    EXPECT_EQ(out[2 * 2], from(1));
    EXPECT_EQ(out[2 * 931], from(541));
}

TEST_F(FrameMix, NothingBeforeTheFirstFrameAndNothingForAnEmptyFrame) {
    EXPECT_EQ(orbs_frame_samples_hash(), 0u);
    EXPECT_EQ(mix_frames(), 0u);
    EXPECT_EQ(orbs_frame_mix(nullptr), orbs_frame_mix(nullptr));
    orbs_end_frame(0);
    EXPECT_EQ(mix_frames(), 0u);
    EXPECT_EQ(orbs_frame_samples_hash(), 0xcbf29ce484222325u);
    orbs_end_frame(268'465);
    EXPECT_EQ(mix_frames(), 933u);
    orbs_end_frame(268'465);
    EXPECT_EQ(mix_frames(), 0u);
    EXPECT_EQ(orbs_frame_samples_hash(), 0xcbf29ce484222325u);
}

TEST_F(FrameMix, SampleRenderedPastTheFrameGoesToTheNext) {
    play_constant();
    fm_write(0, 0, 0xB4);
    const uint64_t t = 268'465;  // 933 FM samples due
    g_time = t + 300;            // a write just past the frame end renders sample 933
    fm_write(0, 1, 0xC0);
    g_time = t;  // the frame end's own run finds the sound time where it is
    orbs_end_frame(t);
    EXPECT_EQ(mix_frames(), 933u);
    EXPECT_EQ(g_fm_samples[0].data.size(), 2u);
    EXPECT_EQ(g_fm_samples[0].taken, 933u);
    EXPECT_EQ(g_fm_samples[1].taken, 933u);
    EXPECT_EQ(g_pcm_samples.taken, 543u);
    orbs_end_frame(2 * t);
    EXPECT_EQ(mix_frames(), 932u);
    EXPECT_EQ(g_fm_samples[0].data.size(), 0u);
}

TEST_F(FrameMix, HashCoversEveryTakenByteInChipOrder) {
    const auto hash_of = [](std::vector<int32_t> a, std::vector<int32_t> b, std::vector<int32_t> p) {
        samples s0{std::move(a), 0}, s1{std::move(b), 0}, sp{std::move(p), 0};
        std::vector<int32_t> out;
        uint64_t h = take(s0, 2, 0xcbf29ce484222325ull, out);
        h = take(s1, 2, h, out);
        return take(sp, 1, h, out);
    };
    const uint64_t base = hash_of({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10});
    EXPECT_NE(hash_of({1, 2, 3, 4 + 256}, {5, 6, 7, 8}, {9, 10}), base);
    EXPECT_NE(hash_of({5, 6, 7, 8}, {1, 2, 3, 4}, {9, 10}), base);
    EXPECT_NE(hash_of({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 11}), base);

    // The bytes of each value, least significant first.
    uint64_t reference = 0xcbf29ce484222325ull;
    for (uint8_t byte : {0x01, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF})
        reference = (reference ^ byte) * 0x100000001b3ull;
    samples one{{1, -2}, 0};
    std::vector<int32_t> taken;
    EXPECT_EQ(take(one, 1, 0xcbf29ce484222325ull, taken), reference);

    // A FIFO short of frames gives what it has and owes the rest.
    samples fifo{{1, 2}, 10};
    std::vector<int32_t> out{7, 7, 7};
    take(fifo, 13, 0, out);
    EXPECT_EQ(out, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(fifo.taken, 11u);
}

TEST_F(FrameMix, FrameEndRunsTheBoardAndCountsFramesByTheFormulas) {
    release();
    uint64_t prev = 0;
    for (uint64_t n = 1; n <= 12; ++n) {
        const uint64_t t = orb_frame_start(n);
        orbs_end_frame(t);
        EXPECT_GE(g_time, t);
        EXPECT_EQ(mix_frames(), fm_due(t) - fm_due(prev)) << n;
        EXPECT_EQ(g_pcm_samples.taken, pcm_due(t));
        prev = t;
    }
}

// ---------------------------------------------------------------- assembly

using SoundAssembly = SoundBoardTest;

TEST_F(SoundAssembly, HostEntryPointsForward) {
    EXPECT_EQ(game_sound_rate(), 55'930u);
    EXPECT_EQ(orbs_mix_rate(), 55'930u);
    EXPECT_EQ(orb_board.callbacks.time_passes, &on_time_passes);
    EXPECT_EQ(orb_board.callbacks.sound_reset, &on_sound_reset);
    EXPECT_EQ(orb_board.callbacks.sound_irq, &on_sound_irq);
    game_sound_end_frame(288 * 10);
    uint64_t frames = 0;
    EXPECT_EQ(game_sound_frame_mix(&frames), orbs_frame_mix(nullptr));
    EXPECT_EQ(frames, 10u);
}

TEST_F(SoundAssembly, FrameEndBeforeAttachDoesNothing) {
    sound_board_to_start_state();
    orbs_end_frame(268'465);
    EXPECT_EQ(mix_frames(), 0u);
    EXPECT_EQ(orbs_frame_samples_hash(), 0u);
    EXPECT_EQ(orbs_mix_rate(), 55'930u);
}

TEST_F(SoundAssembly, StateHashSkipsTheStackPage) {
    const uint64_t base = orbs_state_hash();
    orb_board.shared_ram[0x1E00] = 1;
    orb_board.shared_ram[0x1EFF] = 1;
    EXPECT_EQ(orbs_state_hash(), base);
    for (size_t offset : {size_t{0}, size_t{0x1DFF}, size_t{0x1F00}, size_t{0x1FFF}}) {
        orb_board.shared_ram[offset] ^= 1;
        EXPECT_NE(orbs_state_hash(), base) << offset;
        orb_board.shared_ram[offset] ^= 1;
    }
    orb_board.pcm_ram[0xFFFF] = 0;
    EXPECT_NE(orbs_state_hash(), base);
}

TEST_F(SoundAssembly, Z80BusReachesTheBoardWithTruncatedAddresses) {
    // LD BC,1291 / LD A,2A / OUT (C),A / LD (E005),A
    z80_asm p;
    p.db({0x01, 0x91, 0x12, 0x3E, 0x2A, 0xED, 0x79, 0x32, 0x05, 0xE0});
    p.load(sound_rom.data());
    start_log();
    release();
    on_time_passes(2 * 40);
    EXPECT_EQ(log_text(), "50 fm1 1 2A\n");  // 10 + 7 + 8 cycles, then the write
    EXPECT_EQ(orb_board.shared_ram[5], 0x2A);
    EXPECT_EQ(z80().spaces[0].read(0x1E005), 0x2A);
    EXPECT_EQ(orbs_executed()[0], 0b1010'1001) << "instructions at 0, 3, 5 and 7";
}

TEST_F(SoundAssembly, SecondAttachKeepsCountsAndCarriesOnTheSamples) {
    release();
    orbs_end_frame(orb_frame_start(1));
    orbs_end_frame(orb_frame_start(2));
    const uint64_t cycles = orbs_z80_cycles();
    const uint8_t executed0 = orbs_executed()[0];
    orb_board.now = orb_frame_start(2);
    orbs_attach();
    EXPECT_EQ(orbs_z80_cycles(), cycles);
    EXPECT_EQ(orbs_executed()[0], executed0);
    EXPECT_FALSE(g_z80_held);
    EXPECT_EQ(g_time, orb_frame_start(2));
    // The rebuilt chips go on from the frame grid, not from tick 0.
    orbs_end_frame(orb_frame_start(3));
    EXPECT_EQ(mix_frames(), fm_due(orb_frame_start(3)) - fm_due(orb_frame_start(2)));
    EXPECT_EQ(g_pcm_samples.taken, pcm_due(orb_frame_start(3)));
    EXPECT_EQ(g_pcm_samples.data.size(), 0u);
    EXPECT_EQ(g_fm_samples[0].data.size(), 0u);
}

}  // namespace
