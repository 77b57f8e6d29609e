// Calls, jumps and returns by guest address, on the test guest's table.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/guest.h"
#include "tests/support/board_fixture.h"
#include "tests/support/test_guest.h"

namespace {

using namespace test_guest;

class ControlTransfer : public BoardFixture {};

TEST_F(ControlTransfer, TableIsStrictlyAscending) {
    ASSERT_GT(v60_code_entry_count, 0u);
    for (uint64_t i = 1; i < v60_code_entry_count; ++i)
        EXPECT_LT(v60_code_entries[i - 1].address, v60_code_entries[i].address);
}

TEST_F(ControlTransfer, LookupFindsRowsByTheLow24Bits) {
    EXPECT_NE(v60_lookup(kIncrementR0), nullptr);
    EXPECT_EQ(v60_lookup(0x1000000 + kIncrementR0), v60_lookup(kIncrementR0));
    EXPECT_EQ(v60_lookup(kReset)->address, 0xFFFFF0u);
    EXPECT_EQ(v60_lookup(kIncrementR0 + 1), nullptr);
    EXPECT_EQ(v60_lookup(0), nullptr);
    EXPECT_EQ(v60_lookup(0xFFFFFF), nullptr);
}

TEST_F(ControlTransfer, CallRunsTheRoutine) {
    cpu.reg[0] = 41;
    guest::push(0x000777);
    v60_call(0x1000000 + kIncrementR0);
    EXPECT_EQ(cpu.reg[0], 42u);
    EXPECT_EQ(cpu.pc, 0x000777u);
    EXPECT_TRUE(v60_returned_to(0x000777, 0x000770));
}

TEST_F(ControlTransfer, CallBetweenRowsEndsTheRun) {
    cpu.frames = 77;
    EXPECT_EXIT(v60_call(kIncrementR0 + 2), ::testing::ExitedWithCode(3),
                "^No translated code starts at 001502 \\(frame 77\\)\n$");
    EXPECT_EXIT(v60_call(0xFFFFF8), ::testing::ExitedWithCode(3),
                "No translated code starts at FFFFF8 \\(frame 77\\)");
}

TEST_F(ControlTransfer, ACalleeThatSkipsItsCallerUnwindsToTheLabelFrame) {
    run(v60_lookup(kLabelFrame)->function);
    EXPECT_EQ(orb_read8(kMarks), 1) << "the label frame goes on; the skipped caller does not";
}

TEST_F(ControlTransfer, JumpWithoutRoutineLeavesTheFullTarget) {
    v60_jump(0x12345678);
    EXPECT_EQ(cpu.pc, 0x12345678u);
    EXPECT_FALSE(v60_returned_to(0x00345678, 0x000100)) << "the top byte differs";
    cpu.reg[0] = 1;
    guest::push(0x000900);
    v60_jump(kIncrementR0);
    EXPECT_EQ(cpu.reg[0], 2u);
    EXPECT_EQ(cpu.pc, 0x000900u);
}

TEST_F(ControlTransfer, UnknownJumpTableIndex) {
    cpu.frames = 3;
    EXPECT_EXIT(v60_unknown_jump(0x1001234, 0x061000), ::testing::ExitedWithCode(3),
                "^Jump from 061000 to 001234 has no translated target \\(frame 3\\)\n$");
}

TEST_F(ControlTransfer, ATaskThatRunsOutPrintsBothLines) {
    cpu.pc = kLostCaller;
    cpu.frames = 5;
    EXPECT_EXIT(run_task(), ::testing::ExitedWithCode(3),
                "^The task started at 001300 came to its end at 00ABCD \\(frame 5\\)\n"
                "The last call that came back past its caller: from 001304, to 00ABCD instead "
                "of 001308\n$");
}

// The trace switch is read once per process, so these run in a fresh one.
TEST(ControlTransferTrace, TracesOnlyFrames1000To1012) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("IRONBELL_TRACE_CALLS", "", 1);
            static std::vector<uint8_t> rom(0x200000);
            orb_init(rom.data());
            program_reset();
            cpu.reg[V60_SP] = 0x20FF00;
            cpu.frames = 5;
            // A failed check outside the window records quietly.
            guest::push(0x000123);
            v60_call(kIncrementR0);
            v60_returned_to(0x000124, 0x000120);
            cpu.frames = 999;
            guest::push(0x000123);
            v60_call(kIncrementR0);
            cpu.frames = 1000;
            guest::push(0x000456);
            v60_call(kIncrementR0);
            v60_returned_to(0x000456, 0x000450);  // a good check prints nothing
            v60_returned_to(0x000457, 0x000450);
            v60_jump(0x000999);
            cpu.frames = 1013;
            v60_jump(0x000999);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "^call frame 1000 target 001500 sp 0020FEFC top 00000456\n"
        "return frame 1000 from 000450 expected 000457 actual 000456 sp 0020FF00\n"
        "jump frame 1000 target 000999 \\(no code\\) sp 0020FF00 top 00000000\n$");
}

}  // namespace
