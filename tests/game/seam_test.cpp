// The harness's seam: stand-ins for any routine, the tests' own entries, and
// the checks that keep a routine from unwinding past the frame that called it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

using Seam = GameRoutineTest;

// Every routine of the table starts by asking the seam with its own entry
// address, so a stand-in planted there runs in its place.
TEST_F(Seam, EveryRoutineGivesWayToAStandInAtItsOwnAddress) {
    for (uint64_t i = 0; i < v60_code_entry_count; ++i) {
        const v60_code_entry& row = v60_code_entries[i];
        SCOPED_TRACE(testing::Message() << std::hex << row.address);
        fake(row.address, [] { cpu.reg[7] = 0x5EA5; });
        cpu.reg[7] = 0;
        ASSERT_TRUE(run(row.function));
        EXPECT_EQ(r(7), 0x5EA5u);
        EXPECT_EQ(calls(row.address), 1);
    }
}

// A stand-in named by the routine itself sits at the routine's entry, the
// address its entry:: name holds, and is counted under either.
TEST_F(Seam, AStandInNamedByItsRoutineSitsAtTheRoutinesEntry) {
    static_assert(entry::sub_088CA5 == 0x088CA5);
    EXPECT_EQ(entry_of(sub_088CA5), entry::sub_088CA5);
    EXPECT_EQ(entry_of(test_entry_3), kTestEntry[3]);
    fake(sub_088CA5, [] { cpu.reg[3] = 0x33; });
    cpu.reg[3] = 0;
    ASSERT_TRUE(run(sub_088CA5));
    EXPECT_EQ(r(3), 0x33u);
    EXPECT_EQ(calls(sub_088CA5), 1);
    EXPECT_EQ(calls(entry::sub_088CA5), 1);
}

// A routine replaced for one test, then the real one again.
TEST_F(Seam, ReplacesARoutineForOneTestOnly) {
    init_objects();
    ASSERT_TRUE(run(sub_088C77));
    const uint32_t object = r(21);
    fake(0x088CA5, [] { cpu.reg[3] = 0x33; });
    cpu.reg[20] = object;
    ASSERT_TRUE(run(sub_088CA5));
    EXPECT_EQ(r(3), 0x33u);
    EXPECT_EQ(ram16(var::active_count), 0) << "the real link did not run";

    TearDown();
    SetUp();
    init_objects();
    ASSERT_TRUE(run(sub_088C77));
    cpu.reg[20] = r(21);
    cpu.reg[3] = 0;
    ASSERT_TRUE(run(sub_088CA5));
    EXPECT_EQ(calls(0x088CA5), 0);
    EXPECT_EQ(ram16(var::active_count), 1) << "the real routine linked the object";
}

// Without a stand-in of its own, a tests' entry ends the run as a computed
// call to a missing address does, whether it is reached by name or through
// the table; a stand-in planted at another address does not catch it.
TEST_F(Seam, TestEntriesAreComputedCallTargetsOnlyStandInsAnswer) {
    fake(kTestEntry[3], [] { cpu.reg[9] = 9; });
    guest::push(0xFEED20);
    v60_call(kTestEntry[3]);
    EXPECT_EQ(cpu.pc, 0xFEED20u);
    EXPECT_EQ(r(9), 9u);
    cpu.frames = 42;
    EXPECT_EXIT(test_entry_0(), ::testing::ExitedWithCode(3),
                "^No translated code starts at FE0000 \\(frame 42\\)\n$");
    EXPECT_EXIT(v60_call(kTestEntry[4]), ::testing::ExitedWithCode(3),
                "^No translated code starts at FE0004 \\(frame 42\\)\n$");
    fake(kTestEntry[4] + 1);
    EXPECT_EXIT(v60_call(0x01000000 | kTestEntry[4]), ::testing::ExitedWithCode(3),
                "^No translated code starts at FE0004 \\(frame 42\\)\n$");
}

// An object routine calls a guard that drops its own return address and
// returns, as many guest routines end an object's frame early: the guard's
// caller returns at once, and the runner goes on with the next object.
TEST_F(Seam, AGuardThatLeavesEarlyEndsOnlyItsObjectsFrame) {
    constexpr uint32_t kObjectRoutine = kTestEntry[0], kGuard = kTestEntry[1];
    init_objects();
    std::vector<uint32_t> ran, past_guard;
    fake(kGuard, [] {
        guest::pop();
        guest::ret();
        return ended::already;
    });
    fake(kObjectRoutine, [&] {
        ran.push_back(r(20));
        if (!try_call(test_entry_1)) return ended::already;
        past_guard.push_back(r(20));
        return ended::by_return;
    });
    const uint32_t a = spawn(kObjectRoutine, sub_088C77);
    const uint32_t b = spawn(kObjectRoutine, sub_088C77);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ran, (std::vector<uint32_t>{a, b}));
    EXPECT_TRUE(past_guard.empty());
}

// The same guard written as a stand-in that forgets it already left: its
// extra pop takes the runner's frame, and the harness says so.
TEST_F(Seam, AStandInThatUnwindsPastItsFrameFailsTheTest) {
    fake(kTestEntry[1], [] {
        guest::pop();
        guest::ret();
    });
    EXPECT_NONFATAL_FAILURE(run(test_entry_1), "unwound past its own frame");
    EXPECT_EQ(cpu.reg[V60_SP], kMainStack) << "run() puts the stack back";
}

}  // namespace
