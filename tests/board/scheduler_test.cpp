// The frame clock, the timers and the interrupt controller.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/board_fixture.h"

namespace {

std::vector<std::string> events;
void on_time_passes(uint64_t until) { events.push_back("time " + std::to_string(until)); }
void on_frame() { events.push_back("frame " + std::to_string(orb_board.now)); }
void on_controls() { events.push_back("controls"); }
void on_sprites(bool clear, bool draw) {
    events.push_back(std::string("sprites ") + (clear ? "C" : "-") + (draw ? "D" : "-"));
}
void on_irq(int level) { events.push_back("irq " + std::to_string(level)); }

class Scheduler : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        events.clear();
    }
    void install() {
        orb_board.callbacks.time_passes = on_time_passes;
        orb_board.callbacks.frame = on_frame;
        orb_board.callbacks.controls_update = on_controls;
        orb_board.callbacks.sprites = on_sprites;
        orb_board.callbacks.irq_changed = on_irq;
    }
};

TEST_F(Scheduler, FirstFrameEventsAndCallbackOrder) {
    install();
    orb_wait();
    EXPECT_EQ(orb_board.now, 229528u);
    orb_wait();
    EXPECT_EQ(orb_board.now, 268465u);
    orb_wait();
    EXPECT_EQ(orb_board.now, 269270u);
    EXPECT_EQ(orb_board.frame_count, 1u);
    orb_wait();
    EXPECT_EQ(orb_board.now, 497993u);
    const std::vector<std::string> expected = {
        "time 229528", "frame 229528", "controls", "irq 0",  // line 224, vblank start (masked)
        "time 268465", "irq 0",                              // frame 1 starts: vblank end
        "time 269270", "sprites CD",                         // automatic sprite update
        "time 497993", "frame 497993", "controls", "irq 0",
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(orb_board.int_control[7] & 0x03, 0x03);
}

TEST_F(Scheduler, FrameAndLineFormulas) {
    EXPECT_EQ(orb_frame_start(1), 268465u);
    EXPECT_EQ(orb_frame_start(60), 16107950u);
    EXPECT_EQ(orb_line_start(0, 224), 229528u);
    EXPECT_EQ(orb_line_start(1, 224), 497993u);
    // Far into a run the formulas still hold without drift.
    const uint64_t n = 5'000'000'000ull;
    EXPECT_EQ(orb_frame_start(n), n * 16107950 / 60);
}

TEST_F(Scheduler, TimerDeadlines) {
    orb_board.now = 1000;
    struct Case {
        uint32_t address;
        uint16_t value;
        uint64_t timer0, timer1;
    };
    for (Case c : {Case{0xD0000A, 57, 0, 1000 + 75216}, Case{0xD0000A, 0x0BE6, 0, 1000 + 4019390},
                   Case{0xD00008, 50, 1000 + 102400, 0}}) {
        orb_board.timer0_deadline = orb_board.timer1_deadline = 0;
        orb_write16(c.address, c.value);
        EXPECT_EQ(orb_board.timer0_deadline, c.timer0) << std::hex << c.value;
        EXPECT_EQ(orb_board.timer1_deadline, c.timer1) << std::hex << c.value;
    }
    EXPECT_EQ(orb_board.next_deadline, 1000u + 102400);
}

TEST_F(Scheduler, ZeroCountLeavesARunningTimerRunning) {
    orb_write16(0xD00008, 50);
    const uint64_t deadline = orb_board.timer0_deadline;
    orb_write8(0xD00008, 0);
    orb_write8(0xD00009, 0);
    EXPECT_EQ(orb_board.timer0_deadline, deadline);
}

TEST_F(Scheduler, SixteenBitWriteStartsTheTimerTwiceAndTheSecondWins) {
    orb_write8(0xD00009, 0x01);  // an old high byte: the first start uses it
    orb_write16(0xD00008, 0x0032);
    EXPECT_EQ(orb_board.timer0_deadline, 50u * 2048);
}

TEST_F(Scheduler, TimerFiresBeforeAFrameEventAtTheSameInstant) {
    install();
    // Timer 0 due exactly at line 224 of frame 0.
    orb_board.timer0_deadline = 229528;
    orb_board.next_deadline = 229528;
    orb_wait();
    EXPECT_EQ(orb_board.now, 229528u);
    EXPECT_EQ(orb_board.frame_phase, 0u) << "the timer fired; the frame event is still due";
    EXPECT_EQ(orb_board.timer0_deadline, 0u);
    EXPECT_EQ(orb_board.next_deadline, ~0ull);
    EXPECT_TRUE(orb_board.int_control[7] & 0x08);
    orb_wait();
    EXPECT_EQ(orb_board.now, 229528u);
    EXPECT_EQ(orb_board.frame_phase, 1u);
    ASSERT_GE(events.size(), 1u);
    EXPECT_EQ(events.front(), "time 229528");
}

TEST_F(Scheduler, TimePassesGetsTheTimerDeadlineWhenItComesFirst) {
    install();
    orb_write16(0xD00008, 50);
    events.clear();
    orb_wait();
    ASSERT_GE(events.size(), 1u);
    EXPECT_EQ(events.front(), "time 102400");
    EXPECT_EQ(orb_board.now, 102400u);
}

TEST_F(Scheduler, BothTimersAtOnceRaiseThreeThenFour) {
    install();
    orb_board.int_control[6] = 0x00;
    orb_board.int_control[7] = 0x00;
    orb_board.timer0_deadline = orb_board.timer1_deadline = orb_board.next_deadline = 5000;
    events.clear();
    orb_wait();
    EXPECT_EQ(orb_board.int_control[7], 0x18);
    EXPECT_EQ(events, (std::vector<std::string>{"time 5000", "irq 1", "irq 1"}));
}

TEST_F(Scheduler, InterruptControllerPendingMaskAcknowledge) {
    install();
    orb_board.int_control[2] = 0x42;
    orb_write8(0xD00007, 0x05);  // pending = 0xFF & 0x05
    orb_write8(0xD00006, 0x01);
    EXPECT_EQ(orb_irq_acknowledge(), 0x42);
    EXPECT_EQ(orb_irq_asserted(), 1);
    orb_write8(0xD00007, 0xFB);
    EXPECT_EQ(orb_irq_asserted(), 0);
    EXPECT_EQ(orb_irq_acknowledge(), 0);
    events.clear();
    orb_write8(0xD00006, 0x01);  // no change of level: still reported
    orb_signal_irq(7);           // beyond the five sources: only reports
    EXPECT_EQ(events, (std::vector<std::string>{"irq 0", "irq 0"}));
    EXPECT_EQ(orb_board.int_control[7], 0x01);
    orb_signal_irq(4);
    ASSERT_GE(events.size(), 1u);
    EXPECT_EQ(events.back(), "irq 1");
}

TEST_F(Scheduler, SoundInterruptBytesAreNotStored) {
    const uint8_t before = orb_board.int_control[12];
    orb_write8(0xD0000C, 0x12);
    orb_write16(0xD0000E, 0x3456);
    EXPECT_EQ(orb_board.int_control[12], before);
    EXPECT_EQ(orb_board.sound_irq_writes, 3u);
}

TEST_F(Scheduler, SpriteUpdateModes) {
    install();
    struct Case {
        uint8_t reg3, reg0;
        const char* call;
        bool latched;
    };
    for (Case c : {Case{2, 0, "sprites --", false}, Case{2, 1, "sprites -D", true},
                   Case{2, 2, "sprites C-", false}, Case{0, 0, "sprites CD", true}}) {
        events.clear();
        orb_board.sprite_countdown = 0;
        orb_board.sprite_control[3] = c.reg3;
        orb_board.sprite_control[0] = c.reg0;
        const uint8_t status = orb_board.sprite_status;
        const uint32_t updates = orb_board.sprite_updates;
        orb_sprite_update();
        EXPECT_EQ(events, std::vector<std::string>{c.call});
        EXPECT_EQ(orb_board.sprite_status != status, c.latched);
        EXPECT_EQ(orb_board.sprite_updates - updates, c.latched ? 1u : 0u);
        EXPECT_EQ(orb_board.sprite_control[0], 0);
    }
    // Register 3 = 1: every second update is automatic; between, the game's request counts.
    orb_board.sprite_control[3] = 1;
    orb_board.sprite_countdown = 0;
    events.clear();
    for (int i = 0; i < 4; ++i) orb_sprite_update();
    EXPECT_EQ(events, (std::vector<std::string>{"sprites CD", "sprites --", "sprites CD", "sprites --"}));
    EXPECT_EQ(orb_board.sprite_latched[0], 3);
}

}  // namespace
