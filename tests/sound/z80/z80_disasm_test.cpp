// The disassembler: the text and result word of each listed example, and the
// length of every non-branching instruction against the core's PC advance.
#include <gtest/gtest.h>

#include <sstream>

#include "sound/z80/z80_disasm.h"
#include "tests/sound/z80/z80_fixture.h"

namespace {

using namespace z80test;

struct listing {
    std::string text;
    uint32_t result;
};

listing disassemble(uint32_t pc, const std::vector<uint8_t>& bytes) {
    static std::array<uint8_t, 0x10000> image;
    image.fill(0);
    for (size_t k = 0; k < bytes.size(); ++k) image[(pc + k) & 0xFFFF] = bytes[k];
    orbs::util::disasm_interface::data_buffer buffer{image.data(), 0xFFFF};
    orbs::z80_disassembler d;
    std::ostringstream out;
    uint32_t result = d.disassemble(out, pc, buffer, buffer);
    return {out.str(), result};
}

struct example {
    uint32_t pc;
    std::vector<uint8_t> bytes;
    const char* text;
    uint32_t result;
};

TEST(Z80Disassembler, Examples) {
    const example examples[] = {
        {0, {0x00}, "nop", 0x80000001},
        {0, {0xC2, 0x34, 0x12}, "jp   nz,$1234", 0x90000003},
        {0, {0xC3, 0x34, 0x12}, "jp   $1234", 0x80000003},
        {0, {0xCD, 0x00, 0x80}, "call $8000", 0xA0000003},
        {0, {0xC9}, "ret", 0xC0000001},
        {0, {0xC0}, "ret  nz", 0xD0000001},
        {0x0100, {0x10, 0xFE}, "djnz $0100", 0x90000002},
        {0xFFFE, {0x18, 0x05}, "jr   $0005", 0x80000002},
        {0, {0xDD, 0x36, 0x05, 0x7F}, "ld   (ix+$05),$7F", 0x80000004},
        {0, {0xFD, 0x7E, 0x80}, "ld   a,(iy-$80)", 0x80000003},
        {0, {0xDD, 0xCB, 0x10, 0x06}, "rlc  (ix+$10)", 0x80000004},
        {0, {0xDD, 0xCB, 0x10, 0x00}, "rlc  b=(ix+$10)", 0x80000004},
        {0, {0xFD, 0xCB, 0x01, 0xFF}, "set  a=7,(iy+$01)", 0x80000004},
        {0, {0xDD, 0xCB, 0x01, 0x46}, "bit  0,(ix+$01)", 0x80000004},
        {0, {0xDD, 0x00}, "db   $dd", 0x80000001},
        {0, {0xDD, 0xDD}, "db   $dd", 0x80000001},
        {0, {0xED, 0x00}, "db   $ed", 0x80000001},
        {0, {0xED, 0x4C}, "neg  *", 0x80000002},
        {0, {0xED, 0x44}, "neg", 0x80000002},
        {0, {0xED, 0xB0}, "ldir", 0xA0000002},
        {0, {0xED, 0x4D}, "reti", 0xC0000002},
        {0, {0xED, 0x70}, "in   0,(c)", 0x80000002},
        {0, {0xED, 0x71}, "out  (c),0", 0x80000002},
        {0, {0xED, 0x6B, 0x34, 0x12}, "ld   hl,($1234)", 0x80000004},
        {0, {0xFF}, "rst  $38", 0xA0000001},
        {0, {0xD3, 0xFE}, "out  ($FE),a", 0x80000002},
        {0, {0xA8}, "xor  b", 0x80000001},
        {0, {0xA0}, "and  b", 0x80000001},
        {0, {0x88}, "adc  a,b", 0x80000001},
        {0, {0x08}, "ex   af,af'", 0x80000001},
        {0, {0xDD, 0xE9}, "jp   (ix)", 0x80000002},
        {0, {0xDD, 0x65}, "ld   ixh,ixl", 0x80000002},
        {0, {0xFD, 0x66, 0x02}, "ld   h,(iy+$02)", 0x80000003},
        {0, {0xDD, 0xE3}, "ex   (sp),ix", 0x80000002},
        {0, {0xDD, 0xEB}, "db   $dd", 0x80000001},
        {0, {0xCB, 0x36}, "sll  (hl)", 0x80000002},
        {0, {0x76}, "halt", 0xA0000001},
    };
    for (const auto& e : examples) {
        auto got = disassemble(e.pc, e.bytes);
        EXPECT_EQ(got.text, e.text);
        EXPECT_EQ(got.result, e.result) << e.text;
    }
}

// Lengths against the core, for every instruction that does not branch.
TEST(Z80Disassembler, LengthEqualsTheCorePcAdvance) {
    std::vector<std::vector<uint8_t>> sequences;
    for (unsigned op = 0; op < 256; ++op) {
        sequences.push_back({uint8_t(op), 0x12, 0x34, 0x56});
        sequences.push_back({0xCB, uint8_t(op)});
        sequences.push_back({0xED, uint8_t(op), 0x34, 0x12});
        sequences.push_back({0xDD, uint8_t(op), 0x05, 0x12});
        sequences.push_back({0xFD, uint8_t(op), 0x05, 0x12});
        sequences.push_back({0xDD, 0xCB, 0x05, uint8_t(op)});
        sequences.push_back({0xFD, 0xCB, 0xFB, uint8_t(op)});
    }
    int compared = 0;
    for (const auto& bytes : sequences) {
        auto listed = disassemble(0x0100, bytes);
        if (listed.result & 0x70000000) continue;  // calls, returns, conditionals, repeats
        if (listed.text.rfind("jp", 0) == 0 || listed.text.rfind("jr", 0) == 0 ||
            listed.text.rfind("db", 0) == 0)
            continue;
        z80_machine m;
        m.load(0x0100, bytes);
        m.cpu.pc = 0x0100;
        m.cpu.sp = 0x8000;
        m.run_one();
        EXPECT_EQ(m.cpu.pc - 0x0100, int(listed.result & 0x0FFFFFFF)) << listed.text;
        ++compared;
    }
    EXPECT_GT(compared, 1200);
}

TEST(Z80Disassembler, Interface) {
    orbs::z80_disassembler d;
    EXPECT_EQ(d.opcode_alignment(), 1u);
    EXPECT_EQ(d.get_mnemonic_ed(0x44)->pattern, nullptr);
    EXPECT_STREQ(d.get_mnemonic_ed(0x4C)->pattern, "*");
}

}  // namespace
