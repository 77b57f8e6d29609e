#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "board/machine.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kMixer = hw::mixer_regs;
constexpr uint32_t kVideoRegs = hw::video_regs;

class Handlers : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        fake_all({sub_060480 /* system inputs */, sub_09F6E2 /* sound hand off */, sub_060D76 /* coins */,
                  sub_0610E1 /* bookkeeping verify */, sub_0610CF /* check value store */,
                  sub_08973C /* fade step */, sub_0896CB /* palette drain */});
        // Start-up state the handlers read: play with no service request, no
        // free play or test switch press, no palette jobs, the vblank count
        // and the timer 1 phase at 0.
        orb_write8(var::service_request, 0);
        orb_write8(var::free_play_active, 0);
        orb_write8(var::system_presses, 0);
        orb_write32(var::palette_queue, 0);
        orb_write16(var::vblank_count, 0);
        orb_write8(var::timer1_phase, 0);
    }
    static uint32_t flags() { return ram32(var::system_flags); }
    static void set_flags(uint32_t value) { orb_write32(var::system_flags, value); }
};

// Distinct words in the shadows so that a word from the wrong place shows.
void fill_shadows() {
    for (uint32_t i = 0; i < 40; ++i) {
        orb_write16(var::mixer_shadow + 2 * i, static_cast<uint16_t>(0x1000 + i));
        orb_write16(var::mixer_pending + 2 * i, static_cast<uint16_t>(0x2000 + i));
    }
    for (uint32_t i = 0; i < 72; ++i)
        orb_write16(var::video_shadow + 2 * i, static_cast<uint16_t>(0x3000 + i));
}

bool mixer_uploaded_word(uint32_t i) { return i < 31 || i == 38 || i == 39; }
bool scroll_word(uint32_t i) { return (i >= 8 && i < 24) || (i >= 32 && i < 40); }

TEST_F(Handlers, VblankUploadsTheShadowsTheFlagsAskFor) {
    enum Source { kNone, kShadow, kPending };
    const struct {
        const char* name;
        uint32_t flags;
        Source mixer;
        bool all_video;
    } cases[] = {
        {"nothing flagged", 0, kNone, false},
        {"bit 12: mixer shadow", 1u << 12, kShadow, false},
        {"bit 13: pending image", 1u << 13, kPending, false},
        {"bits 12 and 13", 1u << 12 | 1u << 13, kPending, false},
        {"bit 2: every video word", 1u << 2, kNone, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fill_shadows();
        std::array<uint16_t, 64> mixer_before{};
        std::array<uint16_t, 72> video_before{};
        for (uint32_t i = 0; i < 64; ++i) mixer_before[i] = orb_read16(kMixer + 2 * i);
        for (uint32_t i = 0; i < 72; ++i) video_before[i] = orb_read16(kVideoRegs + 2 * i);
        set_flags(c.flags | 1u << 20);
        ASSERT_TRUE(run_handler(int_vblank_start));

        for (uint32_t i = 0; i < 40; ++i) {
            uint16_t want = mixer_before[i];
            if (c.mixer != kNone && mixer_uploaded_word(i))
                want = static_cast<uint16_t>((c.mixer == kShadow ? 0x1000 : 0x2000) + i);
            EXPECT_EQ(orb_read16(kMixer + 2 * i), want) << "mixer word " << i;
            const uint16_t shadow = c.mixer == kPending && mixer_uploaded_word(i) ? 0x2000 + i : 0x1000 + i;
            EXPECT_EQ(ram16(var::mixer_shadow + 2 * i), shadow) << "mixer shadow word " << i;
        }
        for (uint32_t i = 0; i < 72; ++i) {
            const uint16_t want =
                c.all_video || scroll_word(i) ? static_cast<uint16_t>(0x3000 + i) : video_before[i];
            EXPECT_EQ(orb_read16(kVideoRegs + 2 * i), want) << "video word " << i;
        }
        EXPECT_EQ(flags(), 1u << 20 | 1u << 0) << "the upload bits are cleared, the frame marked ready";
        EXPECT_EQ(ram16(var::vblank_count), 1);
        EXPECT_EQ(orb_board.int_control[7], 0xFE) << "source 0 acknowledged";
        TearDown();
    }
}

TEST_F(Handlers, VblankStepsARunningFadeAndKeepsItsBit) {
    fill_shadows();
    set_flags(1u << 3);
    ASSERT_TRUE(run_handler(int_vblank_start));
    EXPECT_EQ(calls(sub_08973C /* fade step */), 1);
    for (uint32_t i = 31; i < 38; ++i)
        EXPECT_EQ(orb_read16(kMixer + 2 * i), 0x1000 + i) << "mixer word " << i;
    EXPECT_EQ(orb_read16(kMixer + 2 * 30), 0xFFFF);
    EXPECT_EQ(flags(), 1u << 3 | 1u);
}

// The vblank's own services for real: inputs, sound hand-off, palette drain
// and fade step; only the coins of another area stand in.
class VblankServices : public GameRoutineTest {
protected:
    // Start-up state the services read: play, no service request or free
    // play, no input held before, both sound rings and the palette queue
    // empty, the seven mixer shadow words a fade uploads clear.
    void SetUp() override {
        GameRoutineTest::SetUp();
        orb_write32(var::game_flags, 0);
        orb_write8(var::service_request, 0);
        orb_write8(var::free_play_active, 0);
        orb_write32(var::system_inputs, 0);
        for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
            for (uint32_t i = 0; i < sound_ring::slots + 32; ++i) orb_write8(ring + i, 0);
        orb_write32(var::palette_queue, 0);
        for (uint32_t i = 0; i < 7; ++i) orb_write16(var::mixer_shadow + 0x3E + 2 * i, 0);
    }
};

TEST_F(VblankServices, EachVblankRunsEveryServiceOnce) {
    fake(sub_060D76 /* coins */);
    orb_board.io.io_inputs[ORB_INPUT_SYSTEM] = 0xFB;  // coin 1
    for (uint8_t code : {0x81, 0x82}) {
        cpu.reg[0] = code;
        ASSERT_TRUE(run(sub_088F98));
    }
    plant16(0x070000, 0x20);  // a palette block of one colour at entry 0x10
    plant16(0x070002, 1);
    plant16(0x070004, 0x7FFF);
    cpu.reg[19] = 0x070000;
    ASSERT_TRUE(run(sub_0896A9));
    plant32(0x0897F0, 0x80000408);  // preset 6: level 8, step 4, target 0, one channel
    orb_write8(var::fade_preset, 6);
    orb_write32(var::system_flags, 1u << 3);
    ASSERT_TRUE(run_handler(int_vblank_start));
    EXPECT_EQ(ram8(var::system_inputs), 0x04);
    EXPECT_EQ(ram8(var::system_presses), 0x04);
    EXPECT_EQ(ram8(hw::sound_command), 0x81) << "one code a vblank";
    EXPECT_EQ(ram16(0x600020), 0x7FFF);
    EXPECT_EQ(ram32(var::palette_queue), 0u);
    EXPECT_EQ(orb_read16(kMixer + 0x40), 12) << "the fade's level uploaded";
    EXPECT_EQ(orb_read16(kMixer + 0x3E), 0xC000);
    EXPECT_EQ(calls(sub_060D76 /* coins */), 1);
    ASSERT_TRUE(run_handler(int_vblank_start));
    EXPECT_EQ(ram8(hw::sound_command), 0x82);
    EXPECT_EQ(orb_read16(kMixer + 0x40), 16);
}

TEST_F(Handlers, VblankKeepsEveryRegisterItPushed) {
    for (int n = 0; n < 29; ++n) cpu.reg[n] = 0x01010101u * n;
    set_flags(1u << 12);  // the string moves use R27 and R28
    ASSERT_TRUE(run_handler(int_vblank_start));
    for (int n = 0; n < 29; ++n) EXPECT_EQ(r(n), 0x01010101u * n) << "R" << n;
}

TEST_F(Handlers, VblankRunsCoinsTestSwitchAndPaletteAsTheStateSays) {
    const struct {
        const char* name;
        uint8_t service, free_play, presses;
        uint32_t palette_jobs;
        int coin_calls;
        uint8_t service_after;
    } cases[] = {
        {"play", 0, 0, 0, 0, 1, 0},
        {"free play", 0, 1, 0, 0, 0, 0},
        {"test switch pressed", 0, 0, 2, 0, 1, 0xFF},
        {"service mode", 0xFF, 0, 2, 0, 0, 0xFF},
        {"palette jobs queued", 0, 0, 0, 3, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        orb_write8(var::service_request, c.service);
        orb_write8(var::free_play_active, c.free_play);
        orb_write8(var::system_presses, c.presses);
        orb_write32(var::palette_queue, c.palette_jobs);
        orb_write8(var::output_port_shadow, 0x5A);
        orb_board.io.port_latches[3] = 0;
        ASSERT_TRUE(run_handler(int_vblank_start));
        EXPECT_EQ(calls(sub_060D76 /* coins */), c.coin_calls);
        EXPECT_EQ(orb_board.io.port_latches[3], c.coin_calls ? 0x5A : 0x00)
            << "port D gets the shadow after the coins";
        EXPECT_EQ(ram8(var::service_request), c.service_after);
        EXPECT_EQ(calls(sub_0896CB /* palette drain */), c.palette_jobs ? 1 : 0);
        EXPECT_EQ(calls(sub_060480 /* system inputs */), 1);
        EXPECT_EQ(calls(sub_09F6E2 /* sound hand off */), 1);
        TearDown();
    }
}

TEST_F(Handlers, VblankSelectsTheNewSpriteListUnlessSwitchingIsOff) {
    const struct {
        uint32_t flags;
        uint16_t header;
        uint32_t flags_after;
    } cases[] = {
        {1u << 4, 0xA000 | 0x0123, 1u << 0},
        {0, 0, 1u << 0},
        {1u << 4 | 1u << 6, 0, 1u << 4 | 1u << 6 | 1u << 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        SetUp();
        orb_write32(var::sprite_list_pointer, 0x401230);
        set_flags(c.flags);
        ASSERT_TRUE(run_handler(int_vblank_start));
        EXPECT_EQ(orb_read16(hw::sprite_list_select), c.header);
        EXPECT_EQ(flags(), c.flags_after);
        TearDown();
    }
}

TEST_F(Handlers, OtherHandlersAcknowledgeTheirSource) {
    const struct {
        const char* name;
        v60_routine handler;
        uint8_t pending_after;
    } cases[] = {
        {"vblank end", int_vblank_end, 0xFD},
        {"sound", int_sound, 0xFB},
        {"timer 0", int_timer0, 0xF7},
        {"timer 1", int_timer1, 0xEF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ASSERT_TRUE(run_handler(c.handler));
        EXPECT_EQ(orb_board.int_control[7], c.pending_after);
        TearDown();
    }
}

TEST_F(Handlers, Timer0CountsAndRestarts) {
    orb_write32(var::timer0_count, 0xFFFF);
    ASSERT_TRUE(run_handler(int_timer0));
    ASSERT_TRUE(run_handler(int_timer0));
    EXPECT_EQ(ram32(var::timer0_count), 0x10001u);
    EXPECT_EQ(orb_board.int_control[8], 50);
    EXPECT_EQ(orb_board.int_control[9], 0);
    EXPECT_NE(orb_board.timer0_deadline, 0u);
}

struct ClockCase {
    uint8_t seconds, minutes, hours;
    uint16_t days;
    uint8_t seconds_after, minutes_after, hours_after;
    uint16_t days_after;
};

void plant_time(uint32_t at, uint8_t s, uint8_t m, uint8_t h, uint16_t d) {
    orb_write8(at, s);
    orb_write8(at + 1, m);
    orb_write8(at + 2, h);
    orb_write16(at + 3, d);
}

TEST_F(Handlers, EveryFourthTimer1AdvancesThePowerOnTime) {
    const ClockCase cases[] = {
        {0, 0, 0, 0, 1, 0, 0, 0},
        {58, 59, 23, 7, 59, 59, 23, 7},
        {59, 0, 0, 0, 0, 1, 0, 0},
        {59, 59, 0, 0, 0, 0, 1, 0},
        {59, 59, 23, 0x12FF, 0, 0, 0, 0x1300},
        {59, 59, 23, 0xFFFF, 0, 0, 0, 0},  // the day count is not limited here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.seconds) << ":" << int(c.minutes) << ":" << int(c.hours) << " day " << c.days);
        SetUp();
        const uint32_t t = var::power_on_time;
        plant_time(t, c.seconds, c.minutes, c.hours, c.days);
        orb_write8(t + 5, 0xA5);  // the next field rides along into the mirror
        std::vector<uint8_t> seconds_seen;
        fake(sub_0610E1 /* bookkeeping verify */, [&] { seconds_seen.push_back(ram8(t)); });
        fake(sub_0610CF /* check value store */, [&] { seconds_seen.push_back(ram8(t)); });
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(run_handler(int_timer1));
        EXPECT_EQ(ram8(t), c.seconds) << "three interrupts leave the time alone";
        EXPECT_EQ(ram8(var::timer1_phase), 3);
        for (int n = 0; n < 4; ++n) cpu.reg[n] = 0x11111111u * (n + 1);
        ASSERT_TRUE(run_handler(int_timer1));
        EXPECT_EQ(ram8(var::timer1_phase), 0);
        EXPECT_EQ(ram8(t), c.seconds_after);
        EXPECT_EQ(ram8(t + 1), c.minutes_after);
        EXPECT_EQ(ram8(t + 2), c.hours_after);
        EXPECT_EQ(ram16(t + 3), c.days_after);
        EXPECT_EQ(ram32(var::power_on_time_mirror), ram32(t));
        EXPECT_EQ(ram32(var::power_on_time_mirror + 4), ram32(t + 4));
        EXPECT_EQ(seconds_seen, (std::vector<uint8_t>{c.seconds, c.seconds_after}))
            << "verified before the step, check value stored after it";
        for (int n = 0; n < 4; ++n) EXPECT_EQ(r(n), 0x11111111u * (n + 1)) << "R" << n;
        EXPECT_EQ(orb_board.int_control[10], 0xE6);
        EXPECT_EQ(orb_board.int_control[11], 0x0B);
        TearDown();
    }
}

TEST_F(Handlers, Timer1StopsTheClockInServiceMode) {
    orb_write8(var::service_request, 0xFF);
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(run_handler(int_timer1));
    EXPECT_EQ(ram8(var::timer1_phase), 0);
    EXPECT_EQ(ram8(var::power_on_time), 0);
    EXPECT_EQ(calls(sub_0610E1 /* bookkeeping verify */), 0);
}

TEST_F(Handlers, TestSwitchCheckSetsTheServiceRequest) {
    const struct {
        uint8_t presses, service_after;
    } cases[] = {{0x00, 0}, {0x02, 0xFF}, {0xFD, 0}, {0xFF, 0xFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.presses));
        SetUp();
        cpu.reg[0] = 0x12345600;
        orb_write8(var::system_presses, c.presses);
        ASSERT_TRUE(run(sub_09F6D1));
        EXPECT_EQ(ram8(var::service_request), c.service_after);
        EXPECT_EQ(r(0), 0x12345600u | c.presses);
        TearDown();
    }
}

}  // namespace
