// Interrupt entry, frame hooks, the run API and host tasks, on the test guest.
#include <gtest/gtest.h>

#include "runtime/guest.h"
#include "runtime/tasks.h"
#include "tests/support/board_fixture.h"
#include "tests/support/test_guest.h"

namespace {

using namespace test_guest;

uint64_t stop_after;
uint32_t sp_at_stop;
void stop_at_limit() {
    if (program_frames() >= stop_after) {
        sp_at_stop = cpu.reg[V60_SP];
        program_stop();
    }
}

void to_cpu(int level) { program_irq_line(level); }

class Interrupts : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        orb_board.callbacks.irq_changed = to_cpu;
        orb_init(program.data());
        program_frame_done = stop_at_limit;
    }
};

TEST_F(Interrupts, TheTestGuestRunsExactlyNFrames) {
    stop_after = 10;
    program_run();
    EXPECT_EQ(program_frames(), 10u);
    EXPECT_EQ(orb_read32(kVblankCount), 10u);
    EXPECT_EQ(orb_read32(kLoopPasses), 9u) << "the tenth pass stopped inside its frame end";
    EXPECT_EQ(program_interrupts(), 10u);
    EXPECT_EQ(sp_at_stop, kMainStack) << "every handler returned the stack it found";
    EXPECT_EQ(cpu.privileged[V60_ISP], kInterruptStack);
    EXPECT_EQ(orb_board.frame_count, 9u);
    EXPECT_EQ(orb_board.frame_phase, 1u) << "stopped right after the tenth vblank start";

    // A second run starts the guest afresh from reset, on the first run's stack.
    orb_init(program.data());
    program_reset();
    stop_after = 3;
    program_run();
    EXPECT_EQ(program_frames(), 3u);
}

TEST_F(Interrupts, NothingIsTakenWhileInterruptsAreDisabled) {
    cpu.reg[V60_SP] = 0x20FF00;
    cpu.psw = 0;
    orb_write8(0xD00006, 0xFE);
    orb_signal_irq(0);
    ASSERT_EQ(cpu.irq_line, 1);
    v60_take_interrupts(kPoll);
    EXPECT_EQ(program_interrupts(), 0u);
    EXPECT_TRUE(orb_board.int_control[7] & 1) << "still pending";
}

TEST_F(Interrupts, TwoPendingInterruptsAreTakenInOneCall) {
    plant32(0x09F100, kVblank);          // vector 0: acknowledges source 0
    plant32(0x09F104, kAckAll);          // vector 1: acknowledges everything
    cpu.privileged[V60_SBR] = 0x09F123;  // the low 12 bits do not count
    orb_write8(0xD00000, 0);
    orb_write8(0xD00001, 1);
    orb_write8(0xD00007, 0);
    orb_write8(0xD00006, 0xFC);
    orb_signal_irq(1);
    orb_signal_irq(0);
    cpu.psw = V60_PSW_IE;
    cpu.privileged[V60_ISP] = kInterruptStack;
    cpu.reg[V60_SP] = 0x20FF00;
    v60_take_interrupts(kPoll);
    EXPECT_EQ(program_interrupts(), 2u);
    EXPECT_EQ(orb_read32(kVblankCount), 2u);
    EXPECT_EQ(orb_read8(kFrameFlags) & 1, 1) << "the vblank handler ran first";
    EXPECT_EQ(cpu.reg[V60_SP], 0x20FF00u);
    EXPECT_EQ(cpu.irq_line, 0);
    EXPECT_EQ(cpu.psw & V60_PSW_IE, V60_PSW_IE) << "the PSW came back from the stack";
    EXPECT_EQ(orb_read32(kInterruptStack - 8), kPoll) << "the poll address was pushed last";
}

TEST_F(Interrupts, FrameHooks) {
    program_frame_done = nullptr;
    cpu.frames = 4;
    v60_frame_end();
    EXPECT_EQ(cpu.frames, 5u);
    orb_write8(kFrameFlags, 1);
    v60_frame_wait(kFrameFlags);
    EXPECT_EQ(orb_board.now, 0u) << "bit 0 set: board time does not move";
    orb_write8(kFrameFlags, 0);
    v60_frame_wait(kFrameFlags);
    EXPECT_EQ(orb_board.now, 229528u);
}

TEST_F(Interrupts, AHandlerThatNeverReturnsToItsContextParksTasksUntilEight) {
    orb_write8(kHandlerSelect, 1);
    stop_after = 1000;
    EXPECT_EXIT(program_run(), ::testing::ExitedWithCode(3), "More than 8 tasks wait \\(frame 0\\)\n$");
}

int task_steps;
host_task_record* stepper;
void step_and_return() {
    for (;;) {
        ++task_steps;
        host_task_switch(host_task_main());
    }
}

TEST(HostTasks, SwitchKeepsEachNativeStack) {
    host_task_record* me = host_task_main();
    EXPECT_EQ(host_task_current(), me);
    stepper = host_task_create(step_and_return);
    task_steps = 0;
    host_task_switch(stepper);
    host_task_switch(stepper);
    EXPECT_EQ(task_steps, 2);
    EXPECT_EQ(host_task_current(), me);
    host_task_switch(me);  // to itself: returns at once
    EXPECT_EQ(task_steps, 2);
}

// What a signal handler asks for inside a hold waits for its release, and
// runs once; outside any hold and switch it runs at once. Renewing the
// running task is refused and changes nothing.
int settled_runs;
void note_settled() { ++settled_runs; }

TEST(HostTasks, AHoldKeepsAHandlersActionUntilItsRelease) {
    host_task_main();
    settled_runs = 0;
    host_task_when_settled(note_settled);
    EXPECT_EQ(settled_runs, 1);
    host_task_hold();
    host_task_hold();
    host_task_when_settled(note_settled);
    host_task_release();
    EXPECT_EQ(settled_runs, 1) << "an inner release leaves the outer hold";
    host_task_release();
    EXPECT_EQ(settled_runs, 2);
    EXPECT_FALSE(host_task_renew(host_task_current(), note_settled));
    EXPECT_EQ(host_task_current(), host_task_main());
}

void ends_at_once() {}

TEST(HostTasks, ATaskWhoseEntryReturnsEndsTheRun) {
    EXPECT_EXIT(
        {
            host_task_main();
            host_task_switch(host_task_create(ends_at_once));
        },
        ::testing::ExitedWithCode(3), "A task came to its end\n$");
}

}  // namespace
