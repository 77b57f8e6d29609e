// The instruction boundary: NMI, maskable interrupts in modes 0, 1 and 2,
// the EI delay, HALT, and acceptance across any slice boundary.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sound/z80/z80_fixture.h"

namespace {

using namespace z80test;
using orbs::z80_device;

// NOPs from 0x0100 with the stack at 0x8000 and interrupts enabled.
void enable(z80_machine& m, int mode) {
    m.cpu.pc = 0x0100;
    m.cpu.sp = 0x8000;
    m.cpu.im = uint8_t(mode);
    m.cpu.iff1 = m.cpu.iff2 = 1;
}

struct irq_case {
    const char* what;
    int mode;
    bool acknowledge;
    int value;
    uint64_t cycles;
    uint16_t pc;
    bool pushed;
};

TEST(Z80Interrupts, AcceptanceTakesTheCyclesOfItsMode) {
    const irq_case cases[] = {
        {"mode 1", 1, true, 0x55, 13, 0x0038, true},
        {"mode 2", 2, true, 0x1234, 19, 0x5678, true},
        {"mode 0, empty acknowledge", 0, false, 0, 13, 0x0038, true},
        {"mode 0, RST 38h", 0, true, 0xFF, 13, 0x0038, true},
        {"mode 0, RST 10h", 0, true, 0xD7, 13, 0x0010, true},
        {"mode 0, nothing on the bus", 0, true, 0x00, 2, 0x0100, false},
        {"mode 0, CALL", 0, true, 0xCD1234, 19, 0x1234, true},
        {"mode 0, JP", 0, true, 0xC31234, 12, 0x1234, false},
        {"mode 0, unknown byte", 0, true, 0x12, 2, 0x0100, false},
    };
    for (const auto& c : cases) {
        z80_machine m;
        enable(m, c.mode);
        m.cpu.i = 0x12;
        m.memory[0x1234] = 0x78, m.memory[0x1235] = 0x56;
        if (c.acknowledge) m.acknowledge_with(c.value);
        m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
        m.run(int32_t(c.cycles) + 1);
        ASSERT_FALSE(m.hooks.empty()) << c.what;
        EXPECT_EQ(m.hooks[0], std::make_pair(c.cycles, c.pc)) << c.what;
        EXPECT_EQ(m.acknowledges, c.acknowledge ? 1 : 0) << c.what;
        EXPECT_EQ(m.cpu.iff1 | m.cpu.iff2, 0) << c.what;
        EXPECT_EQ(m.cpu.wz, c.pc) << c.what;
        EXPECT_EQ(m.cpu.sp, c.pushed ? 0x7FFE : 0x8000) << c.what;
        if (c.pushed) {
            EXPECT_EQ(m.memory[0x7FFF] << 8 | m.memory[0x7FFE], 0x0100) << c.what;
        }
    }
}

TEST(Z80Interrupts, ModeTwoTableAddressUsesOnlyTheLowByteAndWraps) {
    z80_machine m;
    enable(m, 2);
    m.cpu.i = 0xFF;
    m.acknowledge_with(0xFF);
    m.memory[0xFFFF] = 0x34, m.memory[0x0000] = 0x12;
    m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    m.run(20);
    ASSERT_GE(m.hooks.size(), 1u);
    EXPECT_EQ(m.hooks[0], std::make_pair(uint64_t(19), uint16_t(0x1234)));
}

TEST(Z80Interrupts, ModeZeroEiEnablesAgainAfterOneInstruction) {
    z80_machine m;
    enable(m, 0);
    m.acknowledge_with(0xFB);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    m.run(17);
    ASSERT_GE(m.hooks.size(), 2u);
    EXPECT_EQ(m.hooks[0], std::make_pair(uint64_t(6), uint16_t(0x0100)));
    EXPECT_EQ(m.hooks[1], std::make_pair(uint64_t(16), uint16_t(0x0101)));
    EXPECT_EQ(m.acknowledges, 2);
}

TEST(Z80Interrupts, InstructionAfterEiRunsFirst) {
    z80_machine m;
    enable(m, 1);
    m.cpu.iff1 = m.cpu.iff2 = 0;
    m.load(0x0100, {0xFB, 0x00, 0x00});
    m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    m.run(10);
    EXPECT_TRUE(m.cpu.pc >= 0x0100 && m.cpu.pc <= 0x0103) << "held while disabled";
    ASSERT_TRUE(m.run_until_hook(0x0038));
    ASSERT_EQ(m.hooks.size(), 3u);
    EXPECT_EQ(m.hooks[1], std::make_pair(uint64_t(4), uint16_t(0x0101)));
    EXPECT_EQ(m.hooks[2], std::make_pair(uint64_t(21), uint16_t(0x0038)));
    EXPECT_EQ(m.memory[0x7FFE], 0x02);
}

TEST(Z80Interrupts, NmiTakesElevenCyclesAndWinsOverIrq) {
    z80_machine m;
    enable(m, 1);
    m.cpu.total_cycles = 1;
    m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_NMI, 1);
    m.run(12);
    ASSERT_GE(m.hooks.size(), 1u);
    EXPECT_EQ(m.hooks[0], std::make_pair(uint64_t(11), uint16_t(0x0066)));
    EXPECT_EQ(m.cpu.iff1, 0);
    EXPECT_EQ(m.cpu.iff2, 1);
    EXPECT_EQ(m.cpu.wz, 0x0066);
    EXPECT_FALSE(m.cpu.pending_events & z80_device::EVENT_NMI);
    m.run(40);
    EXPECT_EQ(m.acknowledges, 0) << "the IRQ waits for RETN or EI";
}

TEST(Z80Interrupts, HaltIdlesFourCyclesAPassWithoutTheHook) {
    z80_machine m;
    m.load(0x0100, {0x76});
    m.cpu.pc = 0x0100;
    m.run(41);
    EXPECT_EQ(m.hooks.size(), 1u);
    EXPECT_EQ(m.cpu.pc, 0x0101);
    EXPECT_EQ(m.cpu.r, 1 + 9);
    ASSERT_EQ(m.events.size(), 11u);
    for (size_t k = 1; k < m.events.size(); ++k)
        EXPECT_EQ(m.events[k], (bus_event{4 * k, bus_access::fetch, 0x0101, 0x00}));
    EXPECT_EQ(m.cpu.exec_state, 0xFFFF22u);

    // An interrupt leaves HALT and pushes the byte after it.
    m.cpu.im = 1, m.cpu.iff1 = 1, m.cpu.sp = 0x8000;
    m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    ASSERT_TRUE(m.run_until_hook(0x0038));
    EXPECT_FALSE(m.cpu.halted);
    EXPECT_EQ(m.memory[0x7FFF] << 8 | m.memory[0x7FFE], 0x0101);
}

// Whatever budget splits an acceptance, the acknowledge callback is called
// once and the accesses land on the same ticks.
TEST(Z80Interrupts, AcceptanceResumesAcrossAnySliceBoundary) {
    auto prepare = [](z80_machine& m, int mode) {
        enable(m, mode);
        m.cpu.i = 0x12;
        m.memory[0x1234] = 0x78, m.memory[0x1235] = 0x56;
        m.acknowledge_with(mode == 0 ? 0xCD1234 : 0x1234);
        m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    };
    for (int mode : {0, 1, 2}) {
        uint16_t handler = mode == 1 ? 0x0038 : mode == 2 ? 0x5678 : 0x1234;
        z80_machine reference;
        prepare(reference, mode);
        reference.run(30);
        ASSERT_GE(reference.hooks.size(), 1u) << "mode " << mode;
        for (int32_t budget = 1; budget <= 20; ++budget) {
            z80_machine m;
            prepare(m, mode);
            m.run(budget);
            auto at_handler = [&] {
                return std::find_if(m.hooks.begin(), m.hooks.end(),
                                    [&](auto& h) { return h.second == handler; });
            };
            bool reached = at_handler() != m.hooks.end() || m.run_until_hook(handler);
            ASSERT_TRUE(reached) << "mode " << mode << " budget " << budget;
            EXPECT_EQ(m.acknowledges, 1) << "mode " << mode << " budget " << budget;
            EXPECT_EQ(*at_handler(), reference.hooks[0]) << "mode " << mode << " budget " << budget;
            ASSERT_LE(m.events.size(), reference.events.size() + 1)
                << "mode " << mode << " budget " << budget;
            for (size_t k = 0; k + 1 < m.events.size(); ++k)
                EXPECT_EQ(m.events[k], reference.events[k]) << "mode " << mode << " budget " << budget;
        }
    }
}

TEST(Z80Interrupts, AfterAcceptanceRHasRisenByTwoOnceTheHandlerIsFetched) {
    z80_machine m;
    enable(m, 1);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_IRQ0, 1);
    m.run(13 + 5);
    EXPECT_EQ(m.cpu.r, 2);
}

}  // namespace
