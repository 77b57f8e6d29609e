// ED, CB and index-prefixed instructions: the researched flags of block
// instructions, the I and R loads, and the indexed forms' addresses and
// register copies.
#include <gtest/gtest.h>

#include "tests/sound/z80/z80_fixture.h"

namespace {

using namespace z80test;

TEST(Z80BlockAndIo, InReadsThroughBcAndSetsWzAfterTheStore) {
    z80_machine m;
    m.cpu.spaces[2].read = [](uint32_t) { return uint8_t(0x56); };
    m.load(0, {0xED, 0x40, 0xED, 0x70});  // IN B,(C); IN (C)
    m.cpu.bc = 0x1234;
    m.cpu.set_f(0x01);
    EXPECT_EQ(m.run_one(), 12);
    EXPECT_EQ(m.cpu.B(), 0x56);
    EXPECT_EQ(m.cpu.wz, 0x5635);
    EXPECT_EQ(m.cpu.get_f(), 0x05);  // P/V (four bits set), C kept
    uint16_t bc = m.cpu.bc;
    m.run_one();
    EXPECT_EQ(m.cpu.bc, bc) << "IN (C) changes F only";
}

TEST(Z80BlockAndIo, OutiAndIniUseBcOnEitherSideOfTheDecrement) {
    z80_machine m;
    m.load(0, {0xED, 0xA3, 0xED, 0xA2});
    m.cpu.bc = 0x0110;
    m.cpu.hl = 0x4000;
    m.run_one();
    ASSERT_GE(m.events.size(), 1u);
    EXPECT_EQ(m.events.back().address, 0x0010);
    EXPECT_EQ(m.events.back().kind, bus_access::out);
    EXPECT_EQ(m.cpu.wz, 0x0011);
    m.cpu.bc = 0x0110;
    m.run_one();
    ASSERT_GE(m.events.size(), 2u);
    EXPECT_EQ(m.events[m.events.size() - 2],
              (bus_event{m.events[m.events.size() - 2].tick, bus_access::in, 0x0110, 0x01}));
    EXPECT_EQ(m.cpu.wz, 0x0111);
}

TEST(Z80BlockAndIo, RepeatingInirTakesTheInterruptedFlags) {
    z80_machine m;
    m.cpu.spaces[2].read = [](uint32_t) { return uint8_t(0x05); };
    m.load(0x2000, {0xED, 0xB2});
    m.cpu.pc = 0x2000;
    m.cpu.bc = 0x04FE;
    m.cpu.hl = 0x4000;
    EXPECT_EQ(m.run_one(), 21);
    EXPECT_EQ(m.cpu.B(), 3);
    EXPECT_EQ(m.cpu.pc, 0x2000);
    // C set; P/V turned to 1 by the fix-up; H clear; bits 5 and 3 from 0x20.
    EXPECT_EQ(m.cpu.get_f(), 0x25);
    m.cpu.bc = 0x01FE;
    EXPECT_EQ(m.run_one(), 16);
    EXPECT_EQ(m.cpu.B(), 0);
    EXPECT_EQ(m.cpu.get_f() & 0x40, 0x40);
    EXPECT_EQ(m.cpu.pc, 0x2002);
}

TEST(Z80BlockAndIo, LdirAndCpirRepeatFromTheirOwnAddress) {
    z80_machine m;
    m.load(0x2800, {0xED, 0xB0});
    m.cpu.pc = 0x2800, m.cpu.hl = 0x4000, m.cpu.de = 0x5000, m.cpu.bc = 3;
    EXPECT_EQ(m.run_one(), 21);
    EXPECT_EQ(m.cpu.pc, 0x2800);
    EXPECT_EQ(m.cpu.wz, 0x2801);
    EXPECT_EQ(m.cpu.get_f() & 0x28, 0x28);
    m.run_one();
    EXPECT_EQ(m.run_one(), 16);
    EXPECT_EQ(m.cpu.pc, 0x2802);
    EXPECT_EQ(m.cpu.get_f() & 0x04, 0);

    z80_machine c;
    c.load(0, {0xED, 0xB1});
    c.memory[0x4000] = 0x11, c.memory[0x4001] = 0x42;
    c.cpu.A() = 0x42, c.cpu.hl = 0x4000, c.cpu.bc = 5;
    c.run_one();
    EXPECT_EQ(c.run_one(), 16);
    EXPECT_EQ(c.cpu.get_f() & 0x44, 0x44);  // Z and P/V
    EXPECT_EQ(c.cpu.pc, 2);
}

TEST(Z80BlockAndIo, LdirStoppedInsideItsRepeatTailFinishesTheSame) {
    auto setup = [](z80_machine& m) {
        m.load(0x1000, {0xED, 0xB0});
        m.cpu.pc = 0x1000, m.cpu.hl = 0x4000, m.cpu.de = 0x5000, m.cpu.bc = 2;
    };
    z80_machine whole, split;
    setup(whole);
    setup(split);
    whole.run(60);
    split.run(19);
    EXPECT_EQ(split.cpu.exec_state, 0xEDB009u);
    split.run(41);
    EXPECT_EQ(whole.state_text(), split.state_text());
    EXPECT_EQ(whole.events, split.events);
}

TEST(Z80BlockAndIo, LoadsOfIAndR) {
    z80_machine m;
    m.load(0, {0xED, 0x4F, 0xED, 0x5F});  // LD R,A; LD A,R
    m.cpu.A() = 0xFF;
    m.run_one();
    m.run_one();
    EXPECT_EQ(m.cpu.A(), 0x81);

    z80_machine i;
    i.load(0x0100, {0xED, 0x57});  // LD A,I
    i.cpu.pc = 0x0100, i.cpu.sp = 0x8000, i.cpu.im = 1;
    i.cpu.iff1 = i.cpu.iff2 = 1;
    i.cpu.i = 0x80;
    i.run_one();
    EXPECT_EQ(i.cpu.get_f() & 0x04, 0x04);
    i.cpu.execute_set_input(orbs::z80_device::INPUT_LINE_IRQ0, 1);
    i.run(14);
    EXPECT_EQ(i.cpu.pc, 0x0038);
    EXPECT_EQ(i.cpu.get_f() & 0x04, 0x04) << "acceptance leaves P/V as LD A,I set it";
}

TEST(Z80BlockAndIo, SbcHlHlAndRetn) {
    z80_machine m;
    m.load(0, {0xED, 0x62, 0xED, 0x45});
    m.cpu.hl = 0x1234;
    m.cpu.set_f(0x01);
    EXPECT_EQ(m.run_one(), 15);
    EXPECT_EQ(m.cpu.hl, 0xFFFF);
    EXPECT_EQ(m.cpu.get_f(), 0xBB);
    EXPECT_EQ(m.cpu.wz, 0x1235);
    m.cpu.sp = 0x8000;
    m.memory[0x8000] = 0x34, m.memory[0x8001] = 0x12;
    m.cpu.iff1 = 0, m.cpu.iff2 = 1;
    EXPECT_EQ(m.run_one(), 14);
    EXPECT_EQ(m.cpu.pc, 0x1234);
    EXPECT_EQ(m.cpu.wz, 0x1234);
    EXPECT_EQ(m.cpu.sp, 0x8002);
    EXPECT_EQ(m.cpu.iff1, 1);
}

TEST(Z80Indexed, DisplacementWrapsAndBitOpsCopyToRegisters) {
    z80_machine m;
    m.load(0, {0xDD, 0x7E, 0x01, 0xDD, 0xCB, 0x80, 0x00, 0xDD, 0xCB, 0x80, 0x84, 0xDD, 0xCB, 0x80, 0x86});
    m.cpu.ix = 0xFFFF;
    m.memory[0x0000] = 0xDD;
    m.run_one();
    EXPECT_EQ(m.cpu.A(), 0xDD) << "IX = FFFF, d = 1 reads 0000";
    EXPECT_EQ(m.cpu.wz, 0x0000);
    m.cpu.ix = 0x0000;
    m.memory[0xFF80] = 0x81;
    EXPECT_EQ(m.run_one(), 23);
    EXPECT_EQ(m.memory[0xFF80], 0x03);
    EXPECT_EQ(m.cpu.B(), 0x03) << "RLC (IX+d) also stores into B";
    m.run_one();
    EXPECT_EQ(m.memory[0xFF80], 0x02);
    EXPECT_EQ(m.cpu.H(), 0x02) << "RES 0,(IX+d) also stores into H";
    m.cpu.L() = 0x77;
    m.run_one();
    EXPECT_EQ(m.cpu.L(), 0x77);
}

TEST(Z80Indexed, BitTakesBits5And3FromTheAddress) {
    z80_machine m;
    m.load(0, {0xFD, 0xCB, 0x00, 0x5E, 0xFD, 0xCB, 0x00, 0x40});
    m.cpu.iy = 0x0800;
    m.memory[0x0800] = 0xFF;
    EXPECT_EQ(m.run_one(), 20);
    EXPECT_EQ(m.cpu.get_f() & 0x28, 0x08);
    EXPECT_EQ(m.run_one(), 20) << "every BIT row runs as its (IY+d) form";
}

TEST(Z80Indexed, AddIxAndExSpIx) {
    z80_machine m;
    m.load(0, {0xDD, 0x19, 0xDD, 0xE3});
    m.cpu.ix = 0x0FFF, m.cpu.de = 0x0001;
    m.cpu.set_f(0xC5);
    EXPECT_EQ(m.run_one(), 15);
    EXPECT_EQ(m.cpu.ix, 0x1000);
    EXPECT_EQ(m.cpu.get_f(), 0xD4);  // S, Z, P/V kept; H set; N, C, bits 5 and 3 clear
    EXPECT_EQ(m.cpu.wz, 0x1000);
    m.cpu.sp = 0xFFFF;
    m.memory[0xFFFF] = 0x34, m.memory[0x0000] = 0x12;
    EXPECT_EQ(m.run_one(), 23);
    EXPECT_EQ(m.cpu.ix, 0x1234);
    EXPECT_EQ(m.memory[0xFFFF], 0x00);
    EXPECT_EQ(m.memory[0x0000], 0x10);
    EXPECT_EQ(m.cpu.sp, 0xFFFF);
}

TEST(Z80Indexed, IndexedBitOperationStopsBetweenItsInternalCycles) {
    z80_machine m;
    m.load(0, {0xDD, 0xCB, 0x02, 0xC6});
    m.cpu.ix = 0x4000;
    m.run(8 + 3 + 3 + 1);
    EXPECT_EQ(m.cpu.exec_state, 0xDDCB05u);
    m.run(30);
    EXPECT_EQ(m.memory[0x4002], 0x01);
}

}  // namespace
