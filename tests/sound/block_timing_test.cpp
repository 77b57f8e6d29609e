// The instruction hook and the block-timing model: the timing file, block
// costs, repeats, hand-taken interrupts, parking at the idle loop.
#include <cstdio>
#include <fstream>

#include "tests/sound/sound_fixture.h"

namespace {

using namespace orbsound;

class BlockTiming : public SoundBoardTest {
protected:
    std::string write_file(const std::string& text) {
        const std::string path = ::testing::TempDir() + "timing_" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        std::ofstream(path) << text;
        return path;
    }
    // The file is read at once and removed, so no test leaves one behind.
    bool use(const std::string& text) {
        const std::string path = write_file(text);
        const bool used = orbs_use_timing(path.c_str());
        std::remove(path.c_str());
        return used;
    }
    const block_timing& block(uint16_t at) { return g_model.blocks.at(at); }
    // The Z80 calls its hook with its own PC, just before the fetch.
    static void hook(uint16_t pc) {
        z80().pc = pc;
        on_instruction(pc);
    }
};

TEST_F(BlockTiming, FileWithoutBlocksLeavesTheModelOff) {
    EXPECT_FALSE(use("loop 1A0\nirq 0x38\nrepeat 2F\n\nnoise 12\n"));
    EXPECT_FALSE(g_model.enabled);
    EXPECT_EQ(g_model.loop_pc, 0x1A0);
    EXPECT_EQ(g_model.irq_pc, 0x38);
    EXPECT_EQ(g_model.repeats.count(0x2F), 1u);
    EXPECT_FALSE(orbs_use_timing((::testing::TempDir() + "no/such/file").c_str()));
    EXPECT_EQ(g_model.loop_pc, 0x1A0);
}

TEST_F(BlockTiming, BlockLinesAndTheirFields) {
    EXPECT_TRUE(
        use("block 1A0 12 1A8 2 5\n"
            "block 200 7 20C 3 -4\n"
            "block 0x200 9 0x210 2 6\n"    // replaces the line before
            "block 300 15\n"               // missing fields are 0
            "block 400 x 40C 2 5\n"        // unreadable: it and the rest are 0
            "block 11234 3 1FFFF 258 1\n"  // addresses and length keep their low bits
            "loop 1A0\nloop 1B0\n"));
    EXPECT_TRUE(g_model.enabled);
    const struct {
        uint16_t at;
        int32_t cycles;
        uint16_t branch;
        uint8_t length;
        int32_t extra;
    } cases[] = {{0x1A0, 12, 0x1A8, 2, 5},
                 {0x200, 9, 0x210, 2, 6},
                 {0x300, 15, 0, 0, 0},
                 {0x400, 0, 0, 0, 0},
                 {0x1234, 3, 0xFFFF, 2, 1}};
    for (const auto& c : cases) {
        const block_timing& b = block(c.at);
        EXPECT_EQ(b.cycles, c.cycles) << std::hex << c.at;
        EXPECT_EQ(b.branch_pc, c.branch) << std::hex << c.at;
        EXPECT_EQ(b.branch_length, c.length) << std::hex << c.at;
        EXPECT_EQ(b.taken_extra, c.extra) << std::hex << c.at;
    }
    EXPECT_EQ(g_model.loop_pc, 0x1B0);
    // A second file adds to the first.
    EXPECT_TRUE(use("block 500 1 0 0 0\n"));
    EXPECT_EQ(g_model.blocks.size(), 6u);
}

TEST_F(BlockTiming, BlocksChargeAtTheirStartAndTakenBranchesExtra) {
    ASSERT_TRUE(use("block 1A0 12 1A8 2 5\nblock 1AA 1 0 0 0\nblock 1C0 2 0 0 0\nrepeat 1B0\n"));
    g_model.target = ~0ull;
    const struct {
        uint16_t pc;
        uint64_t time;
    } steps[] = {
        {0x1A0, 24},                // block start: 12 cycles
        {0x1A4, 24},                // inside: nothing
        {0x1A8, 24},                // the closing branch
        {0x1AA, 26},                // fell through: only the next block's 1 cycle
        {0x1A0, 50},                // again
        {0x1A8, 50},  {0x1C0, 64},  // branch taken: 10 ticks, then 4
        {0x1B0, 64},                // a repeating instruction: first pass is free
        {0x1B0, 106},               // each repeat 42
        {0x1B0, 148},
    };
    for (const auto& s : steps) {
        hook(s.pc);
        EXPECT_EQ(g_model.time, s.time) << std::hex << s.pc;
    }
}

TEST_F(BlockTiming, InterruptsAreTakenByHandAtBlockStarts) {
    sound_rom[0x0150] = 0xFB;  // EI
    ASSERT_TRUE(use("block 100 3 0 0 0\nblock 200 5 0 0 0\nirq 200\n"));
    g_model.target = ~0ull;
    z80().sp = 0x8000;
    z80().iff1 = z80().iff2 = 1;
    on_sound_irq(true, 2);
    EXPECT_EQ(z80().irq_line, 0) << "the Z80's own input stays low in this mode";

    hook(0x0150);  // EI just ran: no interrupt at the next block start
    hook(0x0100);
    EXPECT_EQ(z80().pc, 0x100);
    EXPECT_EQ(g_model.time, 6u);

    z80().iff1 = 0;  // disabled: none either
    hook(0x0100);
    EXPECT_EQ(z80().pc, 0x100);

    z80().iff1 = 1;
    hook(0x0100);
    EXPECT_EQ(z80().pc, 0x200);
    EXPECT_EQ(z80().sp, 0x7FFE);
    EXPECT_EQ(z80().iff1 + z80().iff2, 0);
    EXPECT_EQ(g_model.block_start, 12u + 26u) << "26 ticks before the handler's block";
    EXPECT_EQ(g_model.time, 12u + 26u + 10u);
}

TEST_F(BlockTiming, InterruptPushesTheInterruptedAddress) {
    ASSERT_TRUE(use("block 120 3 0 0 0\nirq 38\n"));
    g_model.target = ~0ull;
    z80().sp = 0xF000;
    z80().iff1 = 1;
    on_sound_irq(true, 0);
    hook(0x120);
    EXPECT_EQ(orb_board.shared_ram[0x0FFF], 0x01);
    EXPECT_EQ(orb_board.shared_ram[0x0FFE], 0x20);
    EXPECT_EQ(z80().pc, 0x38);
}

TEST_F(BlockTiming, ParksAtTheIdleLoopButNotStraightAfterReti) {
    sound_rom[0x0180] = 0xED;
    sound_rom[0x0181] = 0x4D;  // RETI
    ASSERT_TRUE(use("block 100 10 0 0 0\nloop 100\n"));
    g_model.target = 4;
    g_model.time = 10;
    g_running = true;
    z80().cycle_budget = g_slice_budget = 100;
    z80().cut_cycles = 0;
    hook(0x0180);
    hook(0x0100);  // RETI into the loop: no park
    EXPECT_FALSE(g_model.parked);
    EXPECT_EQ(g_model.time, 30u);
    hook(0x0100);
    EXPECT_TRUE(g_model.parked);
    EXPECT_TRUE(g_model.done);
    EXPECT_EQ(g_model.last_pc, 0x100) << "the loop instruction is seen afresh on resuming";
    EXPECT_EQ(z80().cycle_budget, 0);
    EXPECT_EQ(z80().cut_cycles, 100);
    EXPECT_EQ(g_slice_budget, 0);
    g_running = false;
}

TEST_F(BlockTiming, HeldZ80FollowsBoardTimeAndTimersFire) {
    ASSERT_TRUE(use("block 0 4 0 0 0\n"));
    arm_timer_a(0, 0xFF);
    on_time_passes(5000);
    EXPECT_EQ(g_model.time, 5000u);
    EXPECT_EQ(g_time, 5000u);
    EXPECT_EQ(fm(0).timer_end[0], 5760u);
    EXPECT_EQ(orbs_z80_cycles(), 0u);
}

// The sound program with costs for its set-up, idle loop and handler.
class BlockTimedProgram : public BlockTiming {
protected:
    void SetUp() override {
        BlockTiming::SetUp();
        const z80_asm p = sound_program();
        p.load(sound_rom.data());
        char text[200];
        std::snprintf(text, sizeof text,
                      "block 0 900 0 0 0\nblock %X 12 %X 2 0\nblock %X 150 0 0 0\nloop %X\nirq %X\n",
                      p.at("idle"), p.at("idle"), p.at("handler"), p.at("idle"), p.at("handler"));
        ASSERT_TRUE(use(text));
        release();
    }
};

TEST_F(BlockTimedProgram, RunsToTheIdleLoopAndParks) {
    start_log();
    for (uint64_t f = 1; f <= 30; ++f) {
        const uint64_t t = orb_frame_start(f);
        on_time_passes(t);
        ASSERT_TRUE(g_model.parked) << "frame " << f;
        ASSERT_GE(g_model.time, t);
        EXPECT_EQ(g_time, t);
        orbs_end_frame(t);
    }
    // The timer interrupts were taken by hand: one handler pass per period.
    const uint64_t periods = orb_frame_start(30) / (200 * 288);
    EXPECT_NEAR(double(orb_board.shared_ram[0]), double(periods), 1.0);
    EXPECT_TRUE(board_log().empty());
}

TEST_F(BlockTimedProgram, LeavingTheParkRefetchesWithoutSteppingRBack) {
    on_time_passes(100'000);
    ASSERT_TRUE(g_model.parked);
    EXPECT_EQ(z80().exec_state, 0xFFFF25u) << "parked in the first half of the loop's fetch";
    const uint8_t r = z80().r;
    // One more pass of the loop (12 cycles) reaches the new target: one fetch.
    on_time_passes(g_model.time + 1);
    ASSERT_TRUE(g_model.parked);
    EXPECT_EQ(uint8_t(z80().r - r), 1) << "R counts exactly the fetches that completed";
}

TEST_F(BlockTimedProgram, SameOutputHoweverTimeIsCut) {
    std::vector<uint64_t> hashes[2];
    std::string logs[2];
    for (int run = 0; run < 2; ++run) {
        if (run) {
            TearDown();
            SetUp();
        }
        start_log();
        const int calls = run ? 7 : 1;
        for (uint64_t f = 0; f < 30; ++f) {
            const uint64_t t0 = orb_frame_start(f), t1 = orb_frame_start(f + 1);
            for (int k = 1; k <= calls; ++k) on_time_passes(t0 + (t1 - t0) * uint64_t(k) / uint64_t(calls));
            orbs_end_frame(t1);
            hashes[run].push_back(orbs_frame_samples_hash());
        }
        logs[run] = log_text();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_EQ(logs[0], logs[1]);
}

TEST_F(BlockTiming, HaltedOrWaitingZ80DoesNotHangTheRun) {
    sound_rom[0] = 0xFB;  // EI
    sound_rom[1] = 0x76;  // HALT: this mode never raises the interrupt input
    ASSERT_TRUE(use("block 0 4 0 0 0\nloop 100\n"));
    arm_timer_a(0, 0xFF);
    release();
    on_time_passes(268'465);
    EXPECT_TRUE(z80().halted);
    EXPECT_EQ(g_model.time, 268'465u);
    EXPECT_EQ(g_time, 268'465u);
    EXPECT_GT(fm(0).timer_end[0], 268'465u) << "the FM timers went on firing";
    ASSERT_EQ(board_log().size(), 1u);
    EXPECT_NE(board_log()[0].find("halted"), std::string::npos) << board_log()[0];
    on_time_passes(2 * 268'465);
    EXPECT_EQ(g_model.time, 2 * 268'465u);
    EXPECT_EQ(board_log().size(), 1u) << "reported once";

    on_sound_reset(true);
    on_sound_reset(false);
    z80().execute_set_input(orbs::z80_device::INPUT_LINE_WAIT, 1);
    on_time_passes(3 * 268'465);
    EXPECT_EQ(g_model.time, 3 * 268'465u);
    EXPECT_EQ(board_log().size(), 1u);
}

TEST_F(BlockTiming, ExecutedBitmapIsKeptInBothModes) {
    on_instruction(0x1234);
    ASSERT_TRUE(use("block 0 4 0 0 0\n"));
    on_instruction(0xFFFF);
    on_sound_reset(false);
    on_sound_reset(true);
    EXPECT_EQ(orbs_executed()[0x1234 >> 3], 1 << 4);
    EXPECT_EQ(orbs_executed()[0x1FFF], 0x80);
    EXPECT_EQ(g_model.last_pc, -1) << "a Z80 reset forgets the previous instruction";
}

}  // namespace
