// What the runtime does with a run that stops making progress: a reset entry
// reached from inside the game, calls that nest without end, a frame that
// never ends. On the test guest.
#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include "runtime/guest.h"
#include "runtime/tasks.h"
#include "tests/support/board_fixture.h"
#include "tests/support/test_guest.h"

namespace {

using namespace test_guest;

class Watchdog : public BoardFixture {
protected:
    // Runs the test guest from `entry` on a task of its own, as the host does.
    void run_from(uint32_t entry) {
        cpu.pc = entry;
        program_run();
    }
};

TEST_F(Watchdog, RoutineAtFindsTheRoutineWhoseRangeHoldsTheAddress) {
    const struct {
        uint32_t address, routine;
    } cases[] = {
        {kIdleLoop, kIdleLoop},   {kPoll, kIdleLoop},     {kVblank - 1, kIdleLoop},
        {kRestarter, kRestarter}, {0x001604, kRestarter}, {kReset - 1, kSpinner},
        {0xFFFFFF, kReset},       {0x000000, kIdleLoop},  {0xFF001604, kRestarter},
    };
    for (const auto& c : cases)
        EXPECT_EQ(v60_routine_at(c.address), c.routine) << std::hex << "address " << c.address;
}

// Entered again from inside itself, a reset entry starts over on the other of
// two stacks instead of nesting: every second run stands at the same native
// address, however many runs there are.
TEST_F(Watchdog, AResetEntryReachedFromInsideTheGameStartsOverWithoutNesting) {
    orb_write32(kRestarts, 0);
    orb_write32(kRestartLimit, 2000);
    const uint32_t sp = 0x20FF00;
    cpu.reg[V60_SP] = sp;
    run_from(kRestarter);
    ASSERT_EQ(orb_read32(kRestarts), 2000u);
    ASSERT_NE(restarter_frame(0), restarter_frame(1));
    for (uint32_t run = 2; run < 2000; ++run)
        ASSERT_EQ(restarter_frame(run), restarter_frame(run - 2)) << "run " << run;
    EXPECT_EQ(cpu.reg[V60_SP], sp - 4 * 1999) << "the guest's own stack is the guest's business";
}

// Called straight from the host's own context there is no other stack: the
// entry runs in place. It returns on the host's task, leaves the processor
// where it was, and a run afterwards starts from reset as any run does.
TEST_F(Watchdog, AResetEntryOutsideAnyTaskRunsInPlace) {
    host_task_record* host = host_task_main();
    cpu.pc = 0x123456;
    const unsigned tasks = host_task_count();
    v60_restart_task(kRestarter);
    EXPECT_EQ(host_task_current(), host);
    EXPECT_EQ(host_task_count(), tasks);
    EXPECT_EQ(cpu.pc, 0x123456u) << "nothing was started elsewhere";

    static uint64_t stop_after;
    stop_after = 3;
    orb_board.callbacks.irq_changed = [](int level) { program_irq_line(level); };
    orb_init(program.data());
    program_reset();
    program_frame_done = [] {
        if (program_frames() >= stop_after) program_stop();
    };
    program_run();
    EXPECT_EQ(host_task_current(), host);
    EXPECT_EQ(program_frames(), 3u);
    EXPECT_EQ(orb_read32(kVblankCount), 3u);
}

TEST_F(Watchdog, CallsThatNestWithoutEndEndTheRunAtTheStackGuard) {
    EXPECT_EXIT(
        {
            program_watchdog(60);
            run_from(kNester);
        },
        ::testing::ExitedWithCode(3),
        "The guest's calls nest deeper than the native stack holds, in the routine at 001700 "
        "\\(last seen at 001700, frame 0\\)\n");
}

// The call a routine makes last decides where the report says it is: here the
// spinner's own call site, after each call to the incrementer returned.
TEST_F(Watchdog, AFrameThatNeverEndsEndsTheRunNamingItsRoutine) {
    EXPECT_EXIT(
        {
            program_watchdog(1);
            run_from(kSpinner);
        },
        ::testing::ExitedWithCode(3),
        "Frame 1 has not ended after 1 s: the guest loops in the routine at 001800 \\(last seen "
        "at 001804\\)\n");
}

// Armed again and again (as a run after run does), the watch still hands a
// fault that is not its stacks' to the handler that was there before it.
void previous_handler(int, siginfo_t*, void*) {
    const char line[] = "the previous handler\n";
    const ssize_t ignored = write(STDERR_FILENO, line, sizeof line - 1);
    (void)ignored;
    _exit(7);
}

TEST_F(Watchdog, AFaultOfItsOwnStillReachesThePreviousHandlerAfterArmingAgain) {
    EXPECT_EXIT(
        {
            struct sigaction action {};
            action.sa_sigaction = previous_handler;
            action.sa_flags = SA_SIGINFO;
            sigemptyset(&action.sa_mask);
            sigaction(SIGSEGV, &action, nullptr);
            program_watchdog(60);
            program_watchdog(0);
            program_watchdog_ms(500);
            raise(SIGSEGV);
        },
        ::testing::ExitedWithCode(7), "the previous handler\n");
}

// A limit in milliseconds ends the frame as a limit in seconds does, and says
// so in its own unit.
TEST_F(Watchdog, ALimitInMillisecondsEndsAFrameThatNeverEndsInItsOwnUnit) {
    EXPECT_EXIT(
        {
            program_watchdog_ms(50);
            run_from(kSpinner);
        },
        ::testing::ExitedWithCode(3),
        "Frame 1 has not ended after 50 ms: the guest loops in the routine at 001800 \\(last "
        "seen at 001804\\)\n");
}

// Under a limit of milliseconds, frames that end keep the run going however
// long it is: the ticks that find a new frame start the count again. The run
// lasts ten limits of the thread's processor time, forty ticks, each frame far
// shorter than one. The limit is the fuzz target's: a tighter one would take a
// stall of the machine (counted as the thread's time in a virtual machine) for
// a hung frame.
uint64_t thread_ns() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return uint64_t(now.tv_sec) * 1'000'000'000 + uint64_t(now.tv_nsec);
}

TEST_F(Watchdog, FramesThatEndKeepARunGoingUnderALimitInMilliseconds) {
    static constexpr unsigned kLimitMs = 20;
    static uint64_t stop_at_ns;
    orb_board.callbacks.irq_changed = [](int level) { program_irq_line(level); };
    orb_init(program.data());
    program_frame_done = [] {
        if (program_frames() % 1024 == 0 && thread_ns() >= stop_at_ns) program_stop();
    };
    const uint64_t start_ns = thread_ns();
    stop_at_ns = start_ns + 10 * uint64_t{kLimitMs} * 1'000'000;
    program_watchdog_ms(kLimitMs);
    program_run();
    program_watchdog_ms(0);
    EXPECT_GE(thread_ns() - start_ns, 10 * uint64_t{kLimitMs} * 1'000'000);
    EXPECT_GT(program_frames(), 10'000u);
}

// The watch counts the guest's time only: what the host does on its own task
// before a run starts (here, as an in-process host may, a long set-up) and
// after it stops is no frame of the guest's, however long the limit has run
// out meanwhile.
void spend_host_time(uint64_t ns) {
    const uint64_t until = thread_ns() + ns;
    while (thread_ns() < until) {
    }
}

TEST_F(Watchdog, TheHostsOwnTimeBeforeAndAfterARunIsNoHungFrame) {
    static uint64_t stop_after;
    orb_board.callbacks.irq_changed = [](int level) { program_irq_line(level); };
    program_frame_done = [] {
        if (program_frames() >= stop_after) program_stop();
    };
    program_watchdog_ms(1);
    for (int run = 1; run <= 3; ++run) {
        spend_host_time(50'000'000);
        orb_init(program.data());
        program_reset();
        stop_after = 3;
        program_run();
        EXPECT_EQ(program_frames(), 3u) << "run " << run;
    }
    spend_host_time(50'000'000);
    program_watchdog_ms(0);
    spend_host_time(10'000'000);  // a tick still on its way finds the watch off
}

// A frame that ends in time keeps the run going, and the host's save runs
// before a hung run ends.
bool saved = false;
void note_save() {
    saved = true;
    std::fprintf(stderr, "saved\n");
}

TEST_F(Watchdog, FramesThatEndKeepTheRunGoingAndAHungRunSavesFirst) {
    static uint64_t stop_after;
    orb_board.callbacks.irq_changed = [](int level) { program_irq_line(level); };
    orb_init(program.data());
    program_frame_done = [] {
        if (program_frames() >= stop_after) program_stop();
    };
    program_watchdog(1);
    stop_after = 3;
    program_run();
    program_watchdog(0);
    EXPECT_EQ(program_frames(), 3u);
    EXPECT_EXIT(
        {
            program_fatal_hook = note_save;
            program_watchdog(1);
            run_from(kSpinner);
        },
        ::testing::ExitedWithCode(3), "has not ended after 1 s.*\nsaved\n");
}

// A tick can land while the game switches between its tasks (a guest that
// resets itself does so all the time), and while it makes or renews one. A
// host whose save goes back to its own context (the fuzz target does) must
// not start a switch inside that one, and the run must leave its tasks whole:
// after every hung run, a run that restarts three times and stops itself
// still does (it could not, with the game's task taken for the spare one),
// and no task is made beyond the two that every run uses in turn.
TEST_F(Watchdog, AHungRunThatSwitchesTasksEndsCleanlyIntoTheHost) {
    static int ended;
    ended = 0;
    program_fatal_hook = [] {
        ++ended;
        program_stop();
    };
    const auto restart_from_reset = [this](uint32_t limit) {
        orb_write32(kRestarts, 0);
        orb_write32(kRestartLimit, limit);
        // Each start pushes a word: from here down the guest's stack meets
        // none of the test's words before the program ROM, which ignores it.
        cpu.reg[V60_SP] = 0x208000;
        run_from(kRestarter);
    };
    const unsigned tasks_before = host_task_count();
    for (int run = 1; run <= 150; ++run) {
        program_watchdog_ms(1);
        restart_from_reset(0xFFFFFFFF);
        program_watchdog_ms(0);
        ASSERT_EQ(ended, run) << orb_read32(kRestarts) << " restarts";
        ASSERT_GE(orb_read32(kRestarts), 1u) << "run " << run;

        restart_from_reset(3);
        ASSERT_EQ(orb_read32(kRestarts), 3u) << "after hung run " << run;
        ASSERT_EQ(ended, run) << "after hung run " << run;
    }
    program_fatal_hook = nullptr;
    EXPECT_LE(host_task_count() - tasks_before, 2u);
}

}  // namespace
