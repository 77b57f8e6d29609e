// The execution engine: suspension at any access, resumption, prefixes, the
// Q latch seen by SCF, input lines, and slice invariance over a long program.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/sound/z80/z80_fixture.h"

namespace {

using namespace z80test;
using orbs::z80_device;

TEST(Z80Slices, BudgetOfOneStopsAfterHalfTheFetch) {
    z80_machine m;
    m.load(0, {0x3C});  // INC A
    EXPECT_EQ(m.run(1), 2);
    EXPECT_EQ(m.cpu.exec_state, 0xFFFF25u);
    ASSERT_EQ(m.hooks.size(), 1u);
    // The rest of the fetch, then INC A without reading the opcode again or
    // calling the hook for it.
    m.run(3);
    EXPECT_EQ(m.cpu.A(), 1);
    ASSERT_EQ(m.events.size(), 2u);
    EXPECT_EQ(m.events[0], (bus_event{0, bus_access::fetch, 0x0000, 0x3C}));
    EXPECT_EQ(m.events[1], (bus_event{4, bus_access::fetch, 0x0001, 0x00}));
    ASSERT_EQ(m.hooks.size(), 2u);
    EXPECT_EQ(m.hooks[1].second, 0x0001);
}

TEST(Z80Slices, InstructionsStopBetweenTheirOwnCycles) {
    {
        SCOPED_TRACE("INC BC with one cycle left after its fetch");
        z80_machine m;
        m.load(0, {0x03});
        m.run(5);
        EXPECT_EQ(m.cpu.exec_state, 0x000301u);
        EXPECT_EQ(m.cpu.bc, 0);
        m.run(10);
        EXPECT_EQ(m.cpu.bc, 1);
    }
    {
        SCOPED_TRACE("ADD HL,BC changes HL, WZ and F only after its seventh internal cycle");
        z80_machine m;
        m.load(0, {0x09});
        m.cpu.hl = 0x0FFF, m.cpu.bc = 0x0001;
        m.run(5);
        EXPECT_EQ(m.cpu.exec_state, 0x000901u);
        m.run(2);
        EXPECT_EQ(m.cpu.exec_state, 0x000903u);
        EXPECT_EQ(m.cpu.hl, 0x0FFF);
        EXPECT_EQ(m.cpu.wz, 0);
        m.run(4);
        EXPECT_EQ(m.cpu.exec_state, 0x000907u);
        EXPECT_EQ(m.cpu.hl, 0x0FFF);
        m.run(1);
        EXPECT_EQ(m.cpu.hl, 0x1000);
        EXPECT_EQ(m.cpu.wz, 0x1000);
    }
    {
        SCOPED_TRACE("LD (HL),n whose write spends the budget ends between instructions");
        z80_machine m;
        m.load(0, {0x36, 0x55});
        m.cpu.hl = 0x4000;
        EXPECT_EQ(m.run(9), 10);
        EXPECT_EQ(m.cpu.exec_state, z80_device::BETWEEN_INSTRUCTIONS);
        EXPECT_EQ(m.memory[0x4000], 0x55);
    }
    {
        SCOPED_TRACE("LD A,(HL) writes A when it resumes, with the byte already read");
        z80_machine m;
        m.load(0, {0x7E});
        m.cpu.hl = 0x4000;
        m.memory[0x4000] = 0x99;
        EXPECT_EQ(m.run(5), 7);  // a memory access with budget 1 leaves it at -2
        EXPECT_EQ(m.cpu.exec_state, 0x007E02u);
        EXPECT_EQ(m.cpu.A(), 0);
        m.memory[0x4000] = 0x11;
        m.run(1);
        EXPECT_EQ(m.cpu.A(), 0x99);
        int reads = 0;
        for (auto& e : m.events) reads += e.address == 0x4000;
        EXPECT_EQ(reads, 1);
    }
}

TEST(Z80Slices, WaitStallsEvenInsideAnInstruction) {
    z80_machine m;
    m.load(0, {0x7E});
    m.run(5);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_WAIT, 1);
    EXPECT_EQ(m.run(7), 7);
    EXPECT_EQ(m.cpu.exec_state, 0x007E02u);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_WAIT, 0);
    m.run(1);
    EXPECT_EQ(m.cpu.exec_state, 0x000025u | 0xFFFF00u);
}

TEST(Z80Slices, UnknownStateWordsRunAsBetweenInstructions) {
    for (uint32_t state : {0xFFFF7Fu, 0x123401u, 0x000005u, 0xCB0003u, 0xED0009u}) {
        z80_machine m;
        m.cpu.exec_state = state;
        m.run(5);
        ASSERT_EQ(m.events.size(), 2u) << std::hex << state;
        EXPECT_EQ(m.events[0], (bus_event{0, bus_access::fetch, 0x0000, 0x00})) << std::hex << state;
        EXPECT_EQ(m.cpu.pc, 1) << std::hex << state;
    }
}

// A state word may also name the point before an access still to do (no
// suspension stores one): resuming there makes that access.
TEST(Z80Slices, StepsOfAnAccessStillToDoMakeTheAccess) {
    struct todo_case {
        const char* what;
        uint32_t state;
        bus_event first;
    };
    const todo_case cases[] = {
        {"LD A,(nn) before its data read", 0x003A05, {0, bus_access::read, 0x4000, 0x77}},
        {"LD (HL),B before its write", 0x007001, {0, bus_access::write, 0x5000, 0x12}},
        {"INC (IX+d) before its write", 0xDD340B, {0, bus_access::write, 0x4000, 0x77}},
        {"CB prefix before its fetch", 0x00CB01, {0, bus_access::fetch, 0x0000, 0x00}},
        {"RET before its second pop", 0x00C903, {0, bus_access::read, 0x8000, 0x00}},
        {"BIT 0,(HL) has no write to make", 0xCB4604, {0, bus_access::fetch, 0x0000, 0x00}},
    };
    for (const auto& c : cases) {
        z80_machine m;
        m.cpu.exec_state = c.state;
        m.cpu.ea = 0x4000, m.cpu.hl = 0x5000, m.cpu.B() = 0x12, m.cpu.sp = 0x8000;
        m.cpu.tmp = 0x0077;
        m.memory[0x4000] = 0x77;
        m.run(1);
        ASSERT_FALSE(m.events.empty()) << c.what;
        EXPECT_EQ(m.events[0], c.first) << c.what;
    }
}

struct timing_case {
    const char* what;
    std::vector<uint8_t> code;
    int cycles;
    int r;
};

TEST(Z80Timing, PrefixesAndBranchesCostWhatTheManualSays) {
    const timing_case cases[] = {
        {"DD 00", {0xDD, 0x00}, 8, 2},
        {"ED 00", {0xED, 0x00}, 8, 2},
        {"ED 77", {0xED, 0x77}, 8, 2},
        {"ED FF", {0xED, 0xFF}, 8, 2},
        {"DD 21 nn", {0xDD, 0x21, 0x34, 0x12}, 14, 2},
        {"DD DD 21 nn", {0xDD, 0xDD, 0x21, 0x34, 0x12}, 18, 3},
        {"DD 64", {0xDD, 0x64}, 8, 2},
        {"DD CB d 46", {0xDD, 0xCB, 0x01, 0x46}, 20, 2},
        {"DD CB d 06", {0xDD, 0xCB, 0x01, 0x06}, 23, 2},
        {"DD ED B0 runs as LDIR", {0xDD, 0xED, 0xB0}, 25, 3},
        {"JR NZ not taken (Z set)", {0x20, 0x10}, 7, 1},
        {"CALL NZ not taken", {0xC4, 0x00, 0x80}, 10, 1},
        {"RET NZ not taken", {0xC0}, 5, 1},
        {"DJNZ with B=0 wraps and jumps", {0x10, 0x00}, 13, 1},
        {"EX (SP),HL", {0xE3}, 19, 1},
        {"CB 46", {0xCB, 0x46}, 12, 2},
        {"CB C6", {0xCB, 0xC6}, 15, 2},
        {"ED B0 with BC=0 repeats", {0xED, 0xB0}, 21, 2},
    };
    for (const auto& c : cases) {
        z80_machine m;
        m.load(0, c.code);
        m.cpu.set_f(0x40);
        EXPECT_EQ(m.run_one(), c.cycles) << c.what;
        EXPECT_EQ(m.cpu.r, c.r) << c.what;
    }
}

TEST(Z80Timing, PrefixChainsPickTheLastIndexRegister) {
    const std::pair<std::vector<uint8_t>, bool> cases[] = {
        {{0xDD, 0xDD, 0x21, 0x34, 0x12}, false},
        {{0xFD, 0xDD, 0x21, 0x34, 0x12}, false},
        {{0xDD, 0xFD, 0x21, 0x34, 0x12}, true},
    };
    for (auto& [code, iy] : cases) {
        z80_machine m;
        m.load(0, code);
        EXPECT_EQ(m.run_one(), 18);
        EXPECT_EQ(iy ? m.cpu.iy : m.cpu.ix, 0x1234);
        EXPECT_EQ(iy ? m.cpu.ix : m.cpu.iy, 0xFFFF);
    }
}

TEST(Z80Timing, DjnzAndConditionalJumpsTouchWzOnlyWhenTaken) {
    z80_machine m;
    m.load(0, {0x06, 0x01, 0x10, 0x05, 0x20, 0x10});  // LD B,1; DJNZ; JR NZ
    m.cpu.set_f(0x40);
    m.run_one();
    EXPECT_EQ(m.run_one(), 8);
    EXPECT_EQ(m.cpu.B(), 0);
    EXPECT_EQ(m.cpu.wz, 0);
    EXPECT_EQ(m.run_one(), 7);
    EXPECT_EQ(m.cpu.wz, 0);
    m.cpu.pc = 4;
    m.cpu.set_f(0x00);
    EXPECT_EQ(m.run_one(), 12);
    EXPECT_EQ(m.cpu.pc, 0x16);
    EXPECT_EQ(m.cpu.wz, 0x16);
}

TEST(Z80Timing, WzOfPortAndDirectStores) {
    z80_machine m;
    m.load(0, {0xDB, 0x34, 0xD3, 0xFF, 0x02});  // IN A,(34h); OUT (FFh),A; LD (BC),A
    m.cpu.A() = 0x12;
    m.run_one();
    ASSERT_GE(m.events.size(), 3u);
    EXPECT_EQ(m.events[2], (bus_event{7, bus_access::in, 0x1234, 0x12}));
    EXPECT_EQ(m.cpu.wz, 0x1235);
    m.run_one();
    EXPECT_EQ(m.cpu.wz, 0x1200);
    m.cpu.bc = 0x40FF;
    m.run_one();
    EXPECT_EQ(m.cpu.wz, 0x1200);
}

// SCF takes bits 5 and 3 from A alone right after an instruction that wrote
// F, and from F OR A otherwise (prefixes count as not writing F).
TEST(Z80Flags, ScfSeesWhetherThePreviousInstructionWroteF) {
    const std::pair<std::vector<uint8_t>, uint8_t> cases[] = {
        {{0xFE, 0x28, 0x37}, 0x00},              // CP 28h; SCF
        {{0xFE, 0x28, 0x40, 0x37}, 0x28},        // CP 28h; LD B,B; SCF
        {{0xFE, 0x28, 0xDD, 0x37}, 0x28},        // CP 28h; DD SCF
        {{0xFE, 0x28, 0xCB, 0x80, 0x37}, 0x28},  // CP 28h; RES 0,B; SCF
        {{0xFE, 0x28, 0x08, 0x08, 0x37}, 0x28},  // CP 28h; EX AF,AF' twice; SCF
        {{0xFE, 0x28, 0xCB, 0x40, 0x37}, 0x00},  // BIT 0,B wrote F
    };
    for (auto& [code, xy] : cases) {
        z80_machine m;
        m.load(0, code);
        while (m.cpu.pc < code.size()) m.run_one();
        EXPECT_EQ(m.cpu.get_f() & 0x28, xy) << "program of " << code.size() << " bytes";
        EXPECT_EQ(m.cpu.get_f() & 1, 1);
    }
}

TEST(Z80Flags, ExAfTwiceAndPushPopKeepEveryBit) {
    z80_machine m;
    m.load(0, {0x08, 0x08, 0xF5, 0xC1});  // EX AF,AF' x2; PUSH AF; POP BC
    m.cpu.A() = 0x5A;
    m.cpu.set_f(0xD7);
    m.cpu.sp = 0x8000;
    for (int k = 0; k < 4; ++k) m.run_one();
    EXPECT_EQ(m.cpu.A(), 0x5A);
    EXPECT_EQ(m.cpu.get_f(), 0xD7);
    EXPECT_EQ(m.cpu.bc, 0x5AD7);
}

TEST(Z80Lines, NmiEdgeBeforeTheFirstSliceIsLost) {
    z80_machine m;
    m.cpu.execute_set_input(z80_device::INPUT_LINE_NMI, 1);
    EXPECT_FALSE(m.cpu.pending_events & z80_device::EVENT_NMI);
    m.run(4);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_NMI, 1);
    EXPECT_FALSE(m.cpu.pending_events & z80_device::EVENT_NMI) << "the level was already high";
    m.cpu.execute_set_input(z80_device::INPUT_LINE_NMI, 0);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_NMI, 1);
    EXPECT_TRUE(m.cpu.pending_events & z80_device::EVENT_NMI);
}

TEST(Z80Lines, ResetLeavesHaltAndKeepsTheInterruptMode) {
    z80_machine m;
    m.load(0, {0x00, 0x76});
    m.cpu.im = 2;
    m.cpu.sp = 0x1234;
    m.run(20);
    EXPECT_TRUE(m.cpu.halted);
    m.cpu.device_reset();
    EXPECT_FALSE(m.cpu.halted);
    EXPECT_FALSE(m.cpu.pending_events & z80_device::EVENT_HALT);
    EXPECT_EQ(m.cpu.pc, 0);
    EXPECT_EQ(m.cpu.im, 2);
    EXPECT_EQ(m.cpu.sp, 0x1234);
    EXPECT_EQ(m.cpu.exec_state, z80_device::BETWEEN_INSTRUCTIONS);
}

TEST(Z80Lines, BusRequestLetsTheInstructionFinishThenHoldsTheBus) {
    z80_machine m;
    m.load(0, {0x3A, 0x00, 0x20, 0x00});  // LD A,(2000h); NOP
    m.run(5);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_BUSRQ, 1);
    EXPECT_EQ(m.run(20), 20);
    EXPECT_EQ(m.cpu.pc, 3);
    EXPECT_TRUE(m.cpu.bus_released);
    size_t seen = m.events.size();
    EXPECT_EQ(m.run(10), 10);
    EXPECT_EQ(m.events.size(), seen);
    m.cpu.execute_set_input(z80_device::INPUT_LINE_BUSRQ, 0);
    m.run(5);
    EXPECT_FALSE(m.cpu.bus_released);
    EXPECT_EQ(m.cpu.pc, 4);
}

// A random program of every group (block instructions and indexed bit
// operations included) gives the same accesses at the same ticks and the
// same final state however its slices fall.
TEST(Z80Slices, RandomBudgetsGiveTheSameTraceAndState) {
    std::mt19937 rng(12345);
    std::array<uint8_t, 0x10000> image{};
    for (auto& b : image) b = uint8_t(rng());
    const std::vector<std::vector<uint8_t>> snippets = {
        {0x01, 0x05, 0x00, 0xED, 0xB0},
        {0x01, 0x04, 0x00, 0xED, 0xB1},
        {0x01, 0x03, 0x00, 0xED, 0xB8},
        {0x06, 0x03, 0xED, 0xB2},
        {0x06, 0x03, 0xED, 0xBB},
        {0xDD, 0xCB, 0x05, 0xC6},
        {0xFD, 0xCB, 0xFE, 0x46},
        {0xDD, 0xCB, 0x01, 0x16},
        {0xDD, 0x34, 0x05},
        {0xFD, 0x36, 0x80, 0x12},
        {0xED, 0x67},
        {0xCB, 0x06},
        {0x31, 0x00, 0xC0},
        {0xED, 0x4A},
        {0xDD, 0xE3},
    };
    for (int k = 0; k < 3000; ++k) {
        const auto& s = snippets[rng() % snippets.size()];
        uint16_t at = uint16_t(rng());
        for (size_t j = 0; j < s.size(); ++j) image[uint16_t(at + j)] = s[j];
    }
    for (auto& b : image)
        if (b == 0x76) b = 0x00;  // no HALT

    const uint64_t total = 300'000;
    z80_machine whole, sliced;
    whole.memory = sliced.memory = image;
    whole.run(int32_t(total));
    whole.finish();
    // The last slice ends where the long one does.
    while (sliced.given < total) sliced.run(int32_t(std::min<uint64_t>(1 + rng() % 7, total - sliced.given)));
    sliced.finish();

    ASSERT_EQ(whole.events.size(), sliced.events.size());
    for (size_t k = 0; k < whole.events.size(); ++k)
        ASSERT_EQ(whole.events[k], sliced.events[k])
            << "access " << k << ": " << describe(whole.events[k]) << " vs " << describe(sliced.events[k]);
    EXPECT_EQ(whole.state_text(), sliced.state_text());
    EXPECT_EQ(whole.hooks, sliced.hooks);
    EXPECT_GT(whole.events.size(), 50'000u);
}

}  // namespace
