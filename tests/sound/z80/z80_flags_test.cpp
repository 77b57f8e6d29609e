// Flag rules: the F compose/spread round trip and the ALU table.
#include <gtest/gtest.h>

#include "tests/sound/z80/z80_fixture.h"

namespace {

using namespace z80test;

TEST(Z80Flags, ComposeAfterSpreadGivesBackEveryF) {
    z80_machine m;
    for (unsigned f = 0; f < 256; ++f) {
        m.cpu.set_f(uint8_t(f));
        EXPECT_EQ(m.cpu.get_f(), f);
    }
}

TEST(Z80Flags, PowerOnFlagsReadAsZeroFlagOnly) {
    z80_machine m;
    EXPECT_EQ(m.cpu.get_f(), 0x40);
}

struct alu_case {
    const char* what;
    uint8_t a, f_in, v;
    void (*op)(orbs::z80_device&, uint8_t);
    uint8_t a_out, f_out;
};

void add(orbs::z80_device& c, uint8_t v) { c.add_a(v); }
void adc(orbs::z80_device& c, uint8_t v) { c.adc_a(v); }
void sub(orbs::z80_device& c, uint8_t v) { c.sub_a(v); }
void sbc(orbs::z80_device& c, uint8_t v) { c.sbc_a(v); }
void cp(orbs::z80_device& c, uint8_t v) { c.cp(v); }
void daa(orbs::z80_device& c, uint8_t) { c.daa(); }
void add_daa(orbs::z80_device& c, uint8_t v) { c.add_a(v), c.daa(); }
void sub_daa(orbs::z80_device& c, uint8_t v) { c.sub_a(v), c.daa(); }
void inc(orbs::z80_device& c, uint8_t) { c.inc(c.A()); }
void dec(orbs::z80_device& c, uint8_t) { c.dec(c.A()); }
void neg(orbs::z80_device& c, uint8_t) { c.neg(); }
void rla(orbs::z80_device& c, uint8_t) { c.rla(); }
void bit7(orbs::z80_device& c, uint8_t v) { c.bit(7, v); }
void bit0(orbs::z80_device& c, uint8_t v) { c.bit(0, v); }
void sll(orbs::z80_device& c, uint8_t v) { c.A() = c.sll(v); }

TEST(Z80Flags, ArithmeticTable) {
    const alu_case cases[] = {
        {"ADD 7F+01", 0x7F, 0x00, 0x01, add, 0x80, 0x94},
        {"ADD FF+01", 0xFF, 0x00, 0x01, add, 0x00, 0x51},
        {"ADD 80+80", 0x80, 0x00, 0x80, add, 0x00, 0x45},
        {"ADC FF+00+1", 0xFF, 0x01, 0x00, adc, 0x00, 0x51},
        {"SUB 00-01", 0x00, 0x00, 0x01, sub, 0xFF, 0xBB},
        {"SBC 00-00-1", 0x00, 0x01, 0x00, sbc, 0xFF, 0xBB},
        {"SUB 80-01", 0x80, 0x00, 0x01, sub, 0x7F, 0x3E},
        {"CP 10,28", 0x10, 0x00, 0x28, cp, 0x10, 0xBB},
        {"DAA 9A", 0x9A, 0x00, 0x00, daa, 0x00, 0x55},
        {"99+01 DAA", 0x99, 0x00, 0x01, add_daa, 0x00, 0x55},
        {"15-06 DAA", 0x15, 0x00, 0x06, sub_daa, 0x09, 0x0E},
        {"INC 7F", 0x7F, 0x00, 0x00, inc, 0x80, 0x94},
        {"INC keeps C", 0x7F, 0x01, 0x00, inc, 0x80, 0x95},
        {"DEC 80", 0x80, 0x01, 0x00, dec, 0x7F, 0x3F},
        {"NEG 80", 0x80, 0x00, 0x00, neg, 0x80, 0x87},
        {"NEG 00", 0x00, 0x01, 0x00, neg, 0x00, 0x42},
        {"RLA keeps Z", 0x80, 0x40, 0x00, rla, 0x00, 0x41},
        {"BIT 7 of 80", 0x00, 0x00, 0x80, bit7, 0x00, 0x90},
        {"BIT 0 of FE", 0x00, 0x01, 0xFE, bit0, 0x00, 0x7D},
        {"SLL 80", 0x00, 0x00, 0x80, sll, 0x01, 0x01},
        {"SLL FF", 0x00, 0x00, 0xFF, sll, 0xFF, 0xAD},
    };
    for (const auto& c : cases) {
        z80_machine m;
        m.cpu.A() = c.a;
        m.cpu.set_f(c.f_in);
        c.op(m.cpu, c.v);
        EXPECT_EQ(m.cpu.A(), c.a_out) << c.what;
        EXPECT_EQ(m.cpu.get_f(), c.f_out) << c.what;
    }
}

TEST(Z80Flags, BitTakesBits5And3FromTheirSource) {
    z80_machine m;
    m.cpu.bit(0, 0x28);
    EXPECT_EQ(m.cpu.get_f() & 0x28, 0x28) << "BIT n,r: the tested register";
    m.cpu.wz = 0x0800;
    m.cpu.bit_hl(0, 0xFF);
    EXPECT_EQ(m.cpu.get_f() & 0x28, 0x08) << "BIT n,(HL): high byte of WZ";
    m.cpu.ea = 0x2000;
    m.cpu.bit_xy(0, 0xFF);
    EXPECT_EQ(m.cpu.get_f() & 0x28, 0x20) << "BIT n,(IX+d): high byte of the address";
}

}  // namespace
