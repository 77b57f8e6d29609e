// Processor state, PSW with its stack switch, privileged registers and the
// flag setters and conditions of translated code.
#include <gtest/gtest.h>

#include "runtime/guest.h"
#include "tests/support/board_fixture.h"

namespace {

using namespace guest;

class ProcessorState : public BoardFixture {};

TEST_F(ProcessorState, ResetValues) {
    cpu.reg[3] = 7;
    cpu.frames = 9;
    program_reset();
    EXPECT_EQ(cpu.reg[3], 0u);
    EXPECT_EQ(cpu.frames, 0u);
    EXPECT_EQ(cpu.privileged[7], 0x70u);
    EXPECT_EQ(cpu.privileged[8], 0xE000u);
    EXPECT_EQ(cpu.privileged[9], 0x6000u);
    EXPECT_EQ(cpu.privileged[15], 0xF002u);
    EXPECT_EQ(cpu.privileged[5], 0u);
    EXPECT_EQ(cpu.psw, 0x10000000u);
    EXPECT_EQ(cpu.pc, 0xFFFFFFF0u);
}

TEST_F(ProcessorState, ReadPswMergesTheFlagBytes) {
    cpu.psw = 0x10040007;
    cmp<uint8_t>(0x00, 0x01);
    cpu.s = cpu.z = cpu.ov = 0;  // carry only
    EXPECT_EQ(v60_read_psw(), 0x10040008u);
    cpu.z = 1;
    cpu.s = 1;
    cpu.ov = 1;
    cpu.cy = 0;
    EXPECT_EQ(v60_read_psw(), 0x10040007u);
}

TEST_F(ProcessorState, WritePswSwitchesStacks) {
    cpu.psw = 0;  // level 0, on the level-0 stack
    cpu.reg[V60_SP] = 0x20FF00;
    cpu.privileged[V60_ISP] = 0x210000;
    v60_write_psw(0x10000000);  // onto the interrupt stack
    EXPECT_EQ(cpu.privileged[1], 0x20FF00u);
    EXPECT_EQ(cpu.reg[V60_SP], 0x210000u);
    cpu.reg[V60_SP] = 0x20FFF8;
    v60_write_psw(0);  // and back
    EXPECT_EQ(cpu.privileged[V60_ISP], 0x20FFF8u);
    EXPECT_EQ(cpu.reg[V60_SP], 0x20FF00u);

    v60_write_psw(V60_PSW_IE | 0xF);  // bit 18 and flags only: no stack moves
    EXPECT_EQ(cpu.reg[V60_SP], 0x20FF00u);
    EXPECT_EQ(cpu.privileged[1], 0x20FF00u);
    EXPECT_EQ(cpu.z + cpu.s + cpu.ov + cpu.cy, 4);

    cpu.privileged[3] = 0x20FE00;  // L2SP
    v60_write_psw(0x02000000);     // level 2 off the interrupt stack: switch
    EXPECT_EQ(cpu.reg[V60_SP], 0x20FE00u);
    EXPECT_EQ(cpu.privileged[1], 0x20FF00u);
    v60_write_psw(0x10000000);
    cpu.reg[V60_SP] = 0x123;
    v60_write_psw(0x13000000);  // IS set in both: a change of level moves nothing
    EXPECT_EQ(cpu.reg[V60_SP], 0x123u);
}

TEST_F(ProcessorState, LoadPrivileged) {
    v60_load_privileged(28, 0xABCD);
    EXPECT_EQ(v60_read_privileged(28), 0xABCDu);
    cpu.reg[V60_SP] = 0x1000;
    v60_load_privileged(0, 0x5000);
    EXPECT_EQ(cpu.reg[V60_SP], 0x1000u) << "loading a stack pointer leaves SP";
    cpu.frames = 0;
    EXPECT_EXIT(v60_load_privileged(29, 1), ::testing::ExitedWithCode(3),
                "^LDPR to privileged register 29 \\(frame 0\\)\n$");
    cpu.frames = 12;
    EXPECT_EXIT(v60_read_privileged(40), ::testing::ExitedWithCode(3),
                "^STPR from privileged register 40 \\(frame 12\\)\n$");
}

TEST_F(ProcessorState, PartialRegisterWrites) {
    uint32_t r = 0x00201234;
    set16(r, 0xABCDEF);
    EXPECT_EQ(r, 0x0020CDEFu);
    set8(r, 0x1FF);
    EXPECT_EQ(r, 0x0020CDFFu);
    EXPECT_EQ(sx8(0x80), 0xFFFFFF80u);
    EXPECT_EQ(sx16(0x7FFF), 0x7FFFu);
}

struct FlagCase {
    const char* what;
    uint32_t result;
    uint8_t z, s, ov, cy;
};

// Runs one flag setter from a known flag state and captures result and flags.
template <typename F>
FlagCase run_flags(const char* what, uint8_t cy_before, F op) {
    cpu.z = cpu.s = cpu.ov = 1;
    cpu.cy = cy_before;
    uint32_t r = op();
    return {what, r, cpu.z, cpu.s, cpu.ov, cpu.cy};
}

TEST_F(ProcessorState, FlagSettersPerClassAndWidth) {
    const FlagCase cases[][2] = {
        {run_flags("cmp8 0,1", 0,
                   [] {
                       cmp<uint8_t>(0x00, 0x01);
                       return 0u;
                   }),
         {"", 0, 0, 1, 0, 1}},
        {run_flags("cmp8 80,1", 1,
                   [] {
                       cmp<uint8_t>(0x80, 0x01);
                       return 0u;
                   }),
         {"", 0, 0, 0, 1, 0}},
        {run_flags("cmp16 equal", 1,
                   [] {
                       cmp<uint16_t>(0x1234, 0x1234);
                       return 0u;
                   }),
         {"", 0, 1, 0, 0, 0}},
        {run_flags("cmp32 signed less", 0,
                   [] {
                       cmp<uint32_t>(0xFFFFFFFF, 1);
                       return 0u;
                   }),
         {"", 0, 0, 1, 0, 0}},
        {run_flags("inc8 FF", 0, [] { return uint32_t(inc<uint8_t>(0xFF)); }), {"", 0, 1, 0, 0, 1}},
        {run_flags("inc8 7F", 1, [] { return uint32_t(inc<uint8_t>(0x7F)); }), {"", 0x80, 0, 1, 1, 0}},
        {run_flags("inc16 FFFF", 0, [] { return uint32_t(inc<uint16_t>(0xFFFF)); }), {"", 0, 1, 0, 0, 1}},
        {run_flags("inc32 7FFFFFFF", 0, [] { return inc<uint32_t>(0x7FFFFFFF); }),
         {"", 0x80000000, 0, 1, 1, 0}},
        {run_flags("dec8 1", 1, [] { return uint32_t(dec<uint8_t>(1)); }), {"", 0, 1, 0, 0, 0}},
        {run_flags("dec8 80", 1, [] { return uint32_t(dec<uint8_t>(0x80)); }), {"", 0x7F, 0, 0, 1, 0}},
        {run_flags("dec8 0", 0, [] { return uint32_t(dec<uint8_t>(0)); }), {"", 0xFF, 0, 1, 0, 1}},
        {run_flags("dec16 8000", 0, [] { return uint32_t(dec<uint16_t>(0x8000)); }),
         {"", 0x7FFF, 0, 0, 1, 0}},
        {run_flags("dec32 80000000", 0, [] { return dec<uint32_t>(0x80000000); }),
         {"", 0x7FFFFFFF, 0, 0, 1, 0}},
        {run_flags("add16 carry", 0, [] { return uint32_t(add<uint16_t>(0xFFFF, 2)); }), {"", 1, 0, 0, 0, 1}},
        {run_flags("add32 overflow", 0, [] { return add<uint32_t>(0x40000000, 0x40000000); }),
         {"", 0x80000000, 0, 1, 1, 0}},
        {run_flags("addc8 with carry", 1, [] { return uint32_t(addc<uint8_t>(0xFF, 0)); }),
         {"", 0, 1, 0, 0, 1}},
        {run_flags("subc8 with borrow", 1, [] { return uint32_t(subc<uint8_t>(5, 5)); }),
         {"", 0xFF, 0, 1, 0, 1}},
        {run_flags("neg16 8000", 0, [] { return uint32_t(neg<uint16_t>(0x8000)); }),
         {"", 0x8000, 0, 1, 1, 1}},
        {run_flags("test8 80", 1, [] { return uint32_t(test<uint8_t>(0x180)); }), {"", 0x80, 0, 1, 0, 0}},
        {run_flags("test32 0", 1, [] { return test<uint32_t>(0); }), {"", 0, 1, 0, 0, 0}},
        {run_flags("logic8 keeps CY", 1, [] { return uint32_t(logic<uint8_t>(0x0F & 0xF0)); }),
         {"", 0, 1, 0, 0, 1}},
        {run_flags("logic16 sign", 0, [] { return uint32_t(logic<uint16_t>(0x8001)); }),
         {"", 0x8001, 0, 1, 0, 0}},
        {run_flags("shl8 left 1", 0, [] { return uint32_t(shl<uint8_t>(0x81, 1)); }), {"", 0x02, 0, 0, 0, 1}},
        {run_flags("shl16 right 4", 0, [] { return uint32_t(shl<uint16_t>(0x8018, -4)); }),
         {"", 0x0801, 0, 0, 0, 1}},
        {run_flags("shl32 by 0", 1, [] { return shl<uint32_t>(0x80000000, 0); }),
         {"", 0x80000000, 0, 1, 0, 0}},
        {run_flags("sha8 right 1", 0, [] { return uint32_t(sha<uint8_t>(0x81, -1)); }),
         {"", 0xC0, 0, 1, 0, 1}},
        {run_flags("sha32 right 31", 0, [] { return sha<uint32_t>(0x80000000, -31); }),
         {"", 0xFFFFFFFF, 0, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        const FlagCase& got = c[0];
        const FlagCase& want = c[1];
        EXPECT_EQ(got.result, want.result) << got.what;
        EXPECT_EQ(got.z, want.z) << got.what << ": Z";
        EXPECT_EQ(got.s, want.s) << got.what << ": S";
        EXPECT_EQ(got.ov, want.ov) << got.what << ": OV";
        EXPECT_EQ(got.cy, want.cy) << got.what << ": CY";
    }
}

TEST_F(ProcessorState, BitTestKeepsSAndOv) {
    cpu.s = 1;
    cpu.ov = 1;
    bit_flags(0x10, 4);
    EXPECT_EQ(cpu.cy, 1);
    EXPECT_EQ(cpu.z, 0);
    bit_flags(0x10, 3);
    EXPECT_EQ(cpu.cy, 0);
    EXPECT_EQ(cpu.z, 1);
    EXPECT_EQ(cpu.s + cpu.ov, 2);
}

TEST_F(ProcessorState, ConditionsAfterCompares) {
    struct Case {
        uint32_t a, b;
        bool lt, le, gt, ge, lo, hi;
    };
    for (Case c : {Case{1, 2, true, true, false, false, true, false},
                   Case{2, 2, false, true, false, true, false, false},
                   Case{0xFFFFFFFF, 1, true, true, false, false, false, true},
                   Case{0x7FFFFFFF, 0x80000000, false, false, true, true, true, false}}) {
        cmp<uint32_t>(c.a, c.b);
        EXPECT_EQ(less(), c.lt) << c.a << " " << c.b;
        EXPECT_EQ(less_equal(), c.le) << c.a << " " << c.b;
        EXPECT_EQ(greater(), c.gt) << c.a << " " << c.b;
        EXPECT_EQ(greater_equal(), c.ge) << c.a << " " << c.b;
        EXPECT_EQ(carry(), c.lo) << c.a << " " << c.b;
        EXPECT_EQ(higher(), c.hi) << c.a << " " << c.b;
        EXPECT_EQ(eq(), c.a == c.b);
    }
}

}  // namespace
