#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/flow/tables.h"
#include "game/hardware.h"
#include "game/operator/tables.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

// The game from reset on a fixture program region: the vector table, the
// interrupt controller's reset table, and stand-ins for the callees.
class Boot : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        const uint32_t handlers[] = {entry::int_vblank_start, entry::int_vblank_end, entry::int_sound,
                                     entry::int_timer0, entry::int_timer1};
        for (uint32_t n = 0; n < 5; ++n) plant32(0x09F100 + 4 * n, handlers[n]);
        // Vector numbers 0-4, byte 5, mask (every source on), pending, timer counts.
        plant_controller_table(0x060098);
        fake_all({sub_0609F3 /* io set up */,
                  sub_089389 /* backup data */,
                  sub_0609D3 /* mixer set up */,
                  sub_089674 /* fixed palettes */,
                  sub_060978 /* sprite header */,
                  sub_0608A8 /* layers */,
                  sub_061077 /* bookkeeping check */,
                  sub_060CCE /* settings */,
                  sub_08A1F2 /* ranking tables */,
                  sub_088F58 /* sound rings */,
                  sub_063402 /* player records */,
                  sub_0604CF /* player inputs */,
                  sub_060480 /* system inputs */,
                  sub_060148 /* mode machine */,
                  sub_0633C0 /* player slots */,
                  sub_062121 /* sprite list */,
                  sub_09F6E2 /* sound hand off */,
                  sub_060D76 /* coins */,
                  sub_0610E1 /* bookkeeping verify */,
                  sub_0610CF /* check value store */,
                  sub_08973C /* fade step */,
                  sub_0896CB /* palette drain */,
                  sub_0609AA /* sprite list reset */,
                  sub_060942 /* text clear */,
                  sub_088F98 /* sound a */});
        // The service palette continues after the block it copies.
        fake(sub_0896F1 /* palette block */, [] { cpu.reg[27] = 0x600040; });
    }

    // Vector numbers 0-4, byte 5, mask (every source on), pending, timer counts.
    void plant_controller_table(uint32_t at, uint8_t mask = 0) {
        const uint8_t controller[12] = {0, 1, 2, 3, 4, 0, mask, 0x00, 50, 0, 57, 0};
        for (uint32_t i = 0; i < 12; ++i) plant8(at + i, controller[i]);
    }

    // Runs the game from reset (or another entry) until `frames` frames are
    // counted; on_frame sees each counted frame first.
    void run_frames(uint64_t frames, uint32_t entry = 0xFFFFFFF0) {
        stop_at_ = frames;
        cpu.psw = V60_PSW_IS;
        cpu.reg[V60_SP] = 0;
        cpu.pc = entry;
        program_frame_done = frame_done;
        program_run();
        EXPECT_EQ(cpu.frames, frames);
    }

    static inline std::function<void(uint64_t)> on_frame;

    void TearDown() override {
        on_frame = nullptr;
        GameRoutineTest::TearDown();
    }

private:
    static void frame_done() {
        if (on_frame) on_frame(cpu.frames);
        if (cpu.frames >= stop_at_) program_stop();
    }
    static inline uint64_t stop_at_ = 0;
};

TEST_F(Boot, StartsUpInOrderThenRunsOneGamePassPerVblank) {
    for (uint32_t i = 0; i < 16; ++i) plant8(0x060088 + i, static_cast<uint8_t>(i));
    plant32(0x060B3A, 2);  // a two-halfword block for sprite RAM
    plant16(0x060B3E, 0x1234);
    plant16(0x060B40, 0x5678);
    uint16_t vblanks_at_1 = 0, vblanks_at_11 = 0;
    uint8_t passes_at_1 = 0, passes_at_11 = 0;
    on_frame = [&](uint64_t frame) {
        if (frame == 1) vblanks_at_1 = ram16(var::vblank_count), passes_at_1 = ram8(var::frame_counter);
        if (frame == 11) vblanks_at_11 = ram16(var::vblank_count), passes_at_11 = ram8(var::frame_counter);
    };
    run_frames(11);
    EXPECT_EQ(vblanks_at_11 - vblanks_at_1, 10);
    EXPECT_EQ(passes_at_11 - passes_at_1, 10);
    EXPECT_EQ(calls(sub_060148 /* mode machine */), 10);

    const std::vector<uint32_t> start_up = {entry::sub_0609F3 /* io set up */,
                                            entry::sub_089389 /* backup data */,
                                            entry::sub_0609D3 /* mixer set up */,
                                            entry::sub_089674 /* fixed palettes */,
                                            entry::sub_060978 /* sprite header */,
                                            entry::sub_0608A8 /* layers */,
                                            entry::sub_061077 /* bookkeeping check */,
                                            entry::sub_060CCE /* settings */,
                                            entry::sub_08A1F2 /* ranking tables */,
                                            entry::sub_088F58 /* sound rings */,
                                            entry::sub_063402 /* player records */,
                                            entry::sub_0604CF /* player inputs */,
                                            entry::sub_0604CF /* player inputs */,
                                            entry::sub_0604CF /* player inputs */,
                                            entry::sub_060480 /* system inputs */,
                                            entry::sub_060480 /* system inputs */,
                                            entry::sub_060480 /* system inputs */};
    ASSERT_GE(call_log().size(), start_up.size());
    EXPECT_EQ(std::vector<uint32_t>(call_log().begin(), call_log().begin() + start_up.size()), start_up);
    // Then per frame: the vblank handler's callees, then the game pass; the
    // run stops inside the frame sync of frame 11.
    const std::vector<uint32_t> vblank = {entry::sub_060480 /* system inputs */,
                                          entry::sub_060D76 /* coins */,
                                          entry::sub_09F6E2 /* sound hand off */};
    const std::vector<uint32_t> pass = {
        entry::sub_0604CF /* player inputs */, entry::sub_060148 /* mode machine */,
        entry::sub_0633C0 /* player slots */, entry::sub_062121 /* sprite list */};
    std::vector<uint32_t> frames;
    for (int frame = 1; frame <= 11; ++frame) {
        frames.insert(frames.end(), vblank.begin(), vblank.end());
        if (frame <= 10) frames.insert(frames.end(), pass.begin(), pass.end());
    }
    EXPECT_EQ(std::vector<uint32_t>(call_log().begin() + start_up.size(), call_log().end()), frames);

    EXPECT_EQ(orb_board.unmapped_writes, 16u) << "the 16 bytes for 0xE00000 reach no device";
    EXPECT_EQ(orb_read16(hw::sprite_block), 0x1234);
    EXPECT_EQ(orb_read16(0x408002), 0x5678);
    EXPECT_EQ(ram16(var::game_mode), game_mode::title);
    EXPECT_EQ(v60_read_privileged(V60_SBR), rom::vector_base);
    EXPECT_EQ(v60_read_privileged(2), 0x20FE00u);
    EXPECT_EQ(cpu.reg[25], 0x208000u);
    EXPECT_TRUE(cpu.psw & V60_PSW_IE);
    EXPECT_GT(ram32(var::timer0_count), 0u) << "timer 0 runs meanwhile";
}

TEST_F(Boot, TestSwitchEntersServiceModeAtTheNextPass) {
    // The press shows in the system inputs sampled by the fifth vblank.
    fake(sub_060480 /* system inputs */,
         [] { orb_write8(var::system_presses, orb_read16(var::vblank_count) == 4 ? 2 : 0); });
    std::vector<int> coins_by_frame;
    on_frame = [&](uint64_t) { coins_by_frame.push_back(calls(sub_060D76 /* coins */)); };
    run_frames(10);
    EXPECT_EQ(ram8(var::service_request), 0xFF);
    EXPECT_EQ(calls(sub_060148 /* mode machine */), 4) << "the pass after the press runs no mode machine";
    EXPECT_EQ(ram8(var::frame_counter), 4);
    // Entered once (one palette), then four service frames: the first draws
    // the main menu (one text clear) and runs its loop, the others run the loop.
    EXPECT_EQ(calls(sub_0896F1 /* palette block */), 1);
    EXPECT_EQ(calls(sub_060942 /* text clear */), 1);
    EXPECT_EQ(ram32(var::service_screen), entry::sub_08B093) << "the main-menu loop";
    EXPECT_EQ(ram8(var::service_blink_timer), 10 - 3) << "the cursor blink counted three more frames";
    // The coin handling stops from the vblank that saw the press on; the
    // handler reads the service request once, before the test-switch check.
    EXPECT_EQ(coins_by_frame, (std::vector<int>{1, 2, 3, 4, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(ram16(var::vblank_count), 10) << "the vblank work goes on in service mode";
}

// The clear stops below the stacks: 0x20FBFF is its last byte.
TEST_F(Boot, RamClearEndsBelowTheStacks) {
    for (uint32_t a : {0x200000u, 0x20FBFCu, 0x20FBFFu, 0x20FC00u, 0x20FD00u}) orb_write8(a, 0xA5);
    ASSERT_TRUE(run(sub_060886));
    EXPECT_EQ(ram8(0x200000), 0);
    EXPECT_EQ(ram8(0x20FBFC), 0);
    EXPECT_EQ(ram8(0x20FBFF), 0);
    EXPECT_EQ(ram8(0x20FC00), 0xA5) << "the first byte above the clear";
    EXPECT_EQ(ram8(0x20FD00), 0xA5) << "the level stacks' region";
}

TEST_F(Boot, LeavingServiceModeReinitialisesAndFadesIn) {
    plant32(rom::menu_routines + 4 * 9, entry::sub_08C35C);  // the main menu's exit line
    bool pressed = false;  // once: work RAM, vblank_count with it, starts again
    fake(sub_060480 /* system inputs */, [&] {
        // The test switch enters the service mode, and again in its first
        // frame picks the menu's line 9, so that the second frame leaves.
        const bool enter = !pressed && orb_read16(var::vblank_count) == 1;
        const bool pick =
            orb_read8(var::service_request) && orb_read32(var::service_screen) == entry::sub_08B04A;
        pressed |= enter;
        orb_write8(var::system_presses, enter || pick ? 2 : 0);
    });
    run_frames(8);
    EXPECT_EQ(calls(sub_060942 /* text clear */), 1) << "the menu was drawn once";
    EXPECT_EQ(calls(sub_0609F3 /* io set up */), 2) << "the whole start-up runs again";
    EXPECT_EQ(ram8(var::service_menu_index), 0)
        << "work RAM is cleared again (the service entry set the menu line)";
    EXPECT_EQ(ram8(var::fade_preset), 3);
    EXPECT_TRUE(ram32(var::system_flags) & (1u << system_flag::fade_running));
    EXPECT_GT(calls(sub_08973C /* fade step */), 0);
    EXPECT_EQ(ram16(var::game_mode), game_mode::title);
    // Frames 1 and 8 bracket: a pass after frame 1, service mode from frame 2
    // to 4, passes again after frames 5, 6 and 7.
    EXPECT_EQ(calls(sub_060148 /* mode machine */), 1 + 3);
}

// A job of one stream: a literal, then a reference that repeats it 256 times.
bool time_moved_with_a_job = false;

TEST_F(Boot, DecompressionJobEndsBeforeBoardTimeMoves) {
    plant16(0x110000, 0x0010);
    plant16(0x110002, 5);
    plant16(0x110004, 0xFFFF);
    const uint8_t stream[] = {0x55, 0x00, 'G', 0xFF, 0xF8, 0x01, 0xFF, 0xF8, 0xFF, 0, 0, 0};
    for (uint32_t i = 0; i < sizeof stream; ++i) plant8(rom::graphics_source + 0x10 + i, stream[i]);
    uint64_t started_frame = 0;
    bool done_by_next_pass = false;
    fake(sub_060148 /* mode machine */, [&] {
        if (calls(sub_060148 /* mode machine */) == 2) {
            orb_write32(var::decomp_job, 0x110000);
            orb_write32(var::decomp_job + decomp_field::source_base, rom::graphics_source);
            started_frame = cpu.frames;
        }
        if (calls(sub_060148 /* mode machine */) == 3)
            done_by_next_pass = ram32(var::decomp_job) == 0 && cpu.frames == started_frame + 1;
    });
    time_moved_with_a_job = false;
    orb_board.callbacks.time_passes = [](uint64_t) {
        time_moved_with_a_job |= orb_read32(var::decomp_job) != 0;
    };
    run_frames(5);
    EXPECT_FALSE(time_moved_with_a_job);
    EXPECT_TRUE(done_by_next_pass);
    for (uint32_t i = 0; i < 257; ++i) ASSERT_EQ(ram8(hw::video_ram + 5 * 1024 + i), 'G') << "byte " << i;
    EXPECT_EQ(ram8(hw::video_ram + 5 * 1024 + 257), 0);
    EXPECT_EQ(calls(sub_060148 /* mode machine */), 4) << "frames go on after the job";
}

// A routine that replaces its return address with 0x060057 restarts the game
// from reset's loop; any other address no frame expects ends the run.
TEST_F(Boot, ReturnToTheResetLabelRestartsTheGame) {
    fake(sub_0609F3 /* io set up */, [this] {
        if (calls(sub_0609F3 /* io set up */) == 1) orb_write32(cpu.reg[V60_SP], 0x060057);
    });
    run_frames(2);
    EXPECT_EQ(calls(sub_0609F3 /* io set up */), 2);
    EXPECT_EQ(calls(sub_089389 /* backup data */), 1) << "the first start ended at the restart";
    EXPECT_EQ(calls(sub_060148 /* mode machine */), 1);
}

// The twin at the bottom of ROM takes its tables from 0x000088 and 0x000098
// and restarts at 0x000057.
TEST_F(Boot, BottomOfRomEntryStartsTheSameWay) {
    plant_controller_table(0x000098, 0x02);  // this one masks the vblank-end source
    fake(sub_0609F3 /* io set up */, [this] {
        if (calls(sub_0609F3 /* io set up */) == 1) orb_write32(cpu.reg[V60_SP], 0x000057);
    });
    run_frames(3, 0);
    EXPECT_EQ(calls(sub_0609F3 /* io set up */), 2);
    EXPECT_EQ(ram16(var::vblank_count), 3);
    EXPECT_EQ(orb_board.int_control[6], 0x02) << "the mask came from 0x00009E";
}

// A zero vector sends the first interrupt to the bottom-of-ROM entry, which
// starts the game over as the guest's stack reload would: every second start
// stands at the same native stack address instead of one game deeper.
TEST_F(Boot, AZeroVectorRestartsTheGameWithoutNestingIt) {
    plant32(0x09F100, 0x000000);  // vblank start
    plant_controller_table(0x000098);
    std::vector<const void*> frames;
    fake(sub_0609F3 /* io set up */, [&frames] {
        frames.push_back(__builtin_frame_address(0));
        if (frames.size() == 500) program_stop();
    });
    run_frames(0);
    ASSERT_EQ(frames.size(), 500u);
    EXPECT_EQ(ram16(var::vblank_count), 0) << "no handler ever ran";
    for (size_t i = 3; i < frames.size(); ++i) ASSERT_EQ(frames[i], frames[i - 2]) << "start " << i;
}

TEST_F(Boot, ReturnToAnUnknownAddressEndsTheRun) {
    fake(sub_0609F3 /* io set up */, [] { orb_write32(cpu.reg[V60_SP], 0x123456); });
    EXPECT_EXIT(run_frames(2), ::testing::ExitedWithCode(3),
                "The task started at FFFFF0 came to its end at 123456 \\(frame 0\\)\n"
                "The last call that came back past its caller: from 0600A4, to 123456 instead of 0600A7");
}

using FrameSync = GameRoutineTest;

TEST_F(FrameSync, PendingJobWithTheFrameReadyEndsTheFrameWithoutAStep) {
    fake(sub_087660 /* decompress step */);
    orb_write32(var::decomp_job, 1);
    orb_write32(var::system_flags, 0x11);
    ASSERT_TRUE(run(sub_0603DA));
    EXPECT_EQ(calls(sub_087660 /* decompress step */), 0);
    EXPECT_EQ(cpu.frames, 1u);
    EXPECT_EQ(ram32(var::system_flags), 0x10u);
    EXPECT_EQ(orb_board.now, 0u);
}

// A frame that never ends is reported at the last call that came back in its
// routine: the frame sync runs one decompression step (the call at 0603E2),
// whose end of the job sends it to wait for a frame-ready bit that no
// interrupt sets (interrupts are off).
TEST_F(FrameSync, AHangIsReportedAtTheLastCallThatCameBack) {
    fake(sub_087660 /* decompress step */, [] { orb_write32(var::decomp_job, 0); });
    orb_write32(var::decomp_job, 1);
    orb_write32(var::system_flags, 0);
    EXPECT_EXIT(
        {
            program_watchdog_ms(100);
            cpu.pc = entry::sub_0603DA;
            program_run();
        },
        ::testing::ExitedWithCode(3),
        "Frame 1 has not ended after 100 ms: the guest loops in the routine at 0603DA \\(last seen at "
        "0603E2\\)\n");
}

}  // namespace
