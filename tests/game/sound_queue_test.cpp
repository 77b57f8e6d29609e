#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kCommandA = hw::sound_command;
constexpr uint32_t kCommandB = hw::sound_command_b;
constexpr uint8_t kNothing = 0x77;  // left in the command bytes to see a hand-off

class SoundQueues : public GameRoutineTest {
protected:
    // Start-up state the queues read: play (no demo), both rings empty with
    // the byte past their slots clear.
    void SetUp() override {
        GameRoutineTest::SetUp();
        demo(false, 0);
        for (uint32_t ring : {var::sound_ring_a, var::sound_ring_b})
            for (uint32_t i = 0; i < sound_ring::slots + 32 + 1; ++i) orb_write8(ring + i, 0);
    }
    void queue(v60_routine enqueue, uint8_t code) {
        cpu.reg[0] = 0xABCDEF00u | code;
        ASSERT_TRUE(run(enqueue));
        EXPECT_EQ(r(0), 0xABCDEF00u | code) << "R0 kept";
    }
    // The codes that reach a command byte over n hand-offs (kNothing when none).
    std::vector<uint8_t> hand_offs(int n, uint32_t command) {
        std::vector<uint8_t> seen;
        for (int i = 0; i < n; ++i) {
            orb_write8(kCommandA, kNothing);
            orb_write8(kCommandB, kNothing);
            EXPECT_TRUE(run(sub_09F6E2));
            seen.push_back(ram8(command));
        }
        return seen;
    }
    void demo(bool on, uint8_t sound) {
        orb_write32(var::game_flags, on ? 1u << 8 : 0);
        orb_write8(var::backup_image + backup_record::demo_sound, sound);
    }
};

TEST_F(SoundQueues, ResetSendsCodeZeroOnceAndSwitchesTheOutput) {
    const struct {
        const char* name;
        bool demo;
        uint8_t demo_sound;
        uint8_t port_d_after;
    } cases[] = {
        {"play", false, 0, 0xF8},
        {"demo with attract sound", true, 1, 0xF8},
        {"silent demo", true, 0, 0xF0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ASSERT_TRUE(run(sub_0609F3));  // port D an output, the sound board running
        orb_write8(hw::io_control, 0x80);
        orb_write8(hw::port_d, 0xF8);
        demo(c.demo, c.demo_sound);
        orb_write32(var::sound_ring_a, 0xFFFF0507);
        orb_write8(0x2091A2, 0x55);
        orb_write8(var::shared_ram_flag, 0x55);
        orb_write32(var::sound_ring_b, 0x99990302);
        ASSERT_TRUE(run(sub_088F58));
        EXPECT_EQ(ram32(var::sound_ring_a), 0x100u);
        EXPECT_EQ(ram8(0x2091A2), 0);
        EXPECT_EQ(ram8(var::shared_ram_flag), 0);
        EXPECT_EQ(orb_board.io.cnt, 0x84) << "bit 2: the sound board runs";
        EXPECT_EQ(orb_board.io.port_latches[3], c.port_d_after);
        EXPECT_EQ(ram32(var::sound_ring_b), 0x99990302u) << "ring B untouched";
        EXPECT_EQ(hand_offs(2, kCommandA), (std::vector<uint8_t>{0x00, kNothing}));
        TearDown();
    }
}

TEST_F(SoundQueues, CodesReachTheSoundBoardOnePerHandOffInOrder) {
    for (uint8_t code : {0x81, 0x02, 0x9E}) queue(sub_088F98, code);
    for (uint8_t code : {0x40, 0x41}) queue(sub_088FD7, code);
    EXPECT_EQ(hand_offs(4, kCommandA), (std::vector<uint8_t>{0x81, 0x02, 0x9E, kNothing}));
    SetUp();
    for (uint8_t code : {0x40, 0x41}) queue(sub_088FD7, code);
    queue(sub_088F98, 0x81);
    EXPECT_EQ(hand_offs(3, kCommandB), (std::vector<uint8_t>{0x40, 0x41, kNothing}));
}

TEST_F(SoundQueues, IndicesWrapFrom31To0) {
    orb_write8(var::sound_ring_a + sound_ring::read, 30);
    orb_write8(var::sound_ring_a + sound_ring::write, 30);
    for (uint8_t code : {1, 2, 3}) queue(sub_088F98, code);
    EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::write), 1);
    EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::slots + 31), 2);
    EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::slots + 0), 3);
    EXPECT_EQ(hand_offs(4, kCommandA), (std::vector<uint8_t>{1, 2, 3, kNothing}));
    EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::read), 1);
}

TEST_F(SoundQueues, AThirtySecondPendingCodeEmptiesTheRing) {
    for (int i = 0; i < 31; ++i) queue(sub_088FD7, static_cast<uint8_t>(i + 1));
    EXPECT_EQ(hand_offs(1, kCommandB), std::vector<uint8_t>{1}) << "31 codes wait";
    SetUp();
    for (int i = 0; i < 32; ++i) queue(sub_088FD7, static_cast<uint8_t>(i + 1));
    EXPECT_EQ(hand_offs(1, kCommandB), std::vector<uint8_t>{kNothing});
    EXPECT_EQ(ram8(var::sound_ring_b + sound_ring::write), ram8(var::sound_ring_b + sound_ring::read));
    EXPECT_EQ(ram8(var::sound_ring_b + sound_ring::slots + 31), 32);
    EXPECT_EQ(ram8(var::sound_ring_b + sound_ring::slots + 32), 0) << "nothing past the slots";
}

TEST_F(SoundQueues, DemoPlayFiltersTheCodes) {
    const struct {
        const char* name;
        bool demo;
        uint8_t demo_sound, code;
        bool passes_a, passes_b;
    } cases[] = {
        {"play: everything", false, 0, 0x46, true, true},
        {"silent demo: 0xA5", true, 0, 0xA5, true, false},
        {"silent demo: allowed code", true, 0, 0x47, false, false},
        {"demo: allowed code", true, 1, 0x47, true, true},
        {"demo: the code beside it", true, 1, 0x46, false, false},
        {"demo: same bit, other word", true, 1, 0x67, false, false},
        {"demo: 0xA5 not in the bitmap", true, 0x80, 0xA5, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (v60_routine enqueue : {sub_088F98, sub_088FD7}) {
            const bool a = enqueue == sub_088F98;
            SetUp();
            // Bitmap bits only for code 0x47 (word 2, bit 7) in both rings.
            plant32(rom::demo_codes_a + 8, 1u << 7);
            plant32(rom::demo_codes_b + 8, 1u << 7);
            demo(c.demo, c.demo_sound);
            queue(enqueue, c.code);
            const uint32_t ring = a ? var::sound_ring_a : var::sound_ring_b;
            EXPECT_EQ(ram8(ring + sound_ring::write), (a ? c.passes_a : c.passes_b) ? 1 : 0)
                << (a ? "ring A" : "ring B");
            TearDown();
        }
    }
}

}  // namespace
