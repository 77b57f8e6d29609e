// The FUSE core tests: registers, memory, T-states and the tick of every
// memory and port access, for all 1,356 cases.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tests/sound/z80/z80_fixture.h"
#include "tests/support/testdata.h"

namespace {

using namespace z80test;

struct fuse_regs {
    unsigned af, bc, de, hl, af2, bc2, de2, hl2, ix, iy, sp, pc, wz;
    unsigned i, r, iff1, iff2, im, halted, tstates;
};

struct fuse_case {
    std::string name;
    fuse_regs regs{};
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> memory;
};

struct fuse_result {
    std::vector<bus_event> events;
    fuse_regs regs{};
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> memory;
};

bool read_regs(std::istream& in, fuse_regs& g) {
    in >> std::hex >> g.af >> g.bc >> g.de >> g.hl >> g.af2 >> g.bc2 >> g.de2 >> g.hl2 >> g.ix >> g.iy >>
        g.sp >> g.pc >> g.wz >> g.i >> g.r >> std::dec >> g.iff1 >> g.iff2 >> g.im >> g.halted >> g.tstates;
    return bool(in);
}

std::vector<std::pair<uint16_t, std::vector<uint8_t>>> read_memory_lines(std::istream& in) {
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> blocks;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line == "-1") break;
        std::istringstream ls(line);
        std::string word;
        ls >> word;
        uint16_t address = uint16_t(std::stoul(word, nullptr, 16));
        std::vector<uint8_t> bytes;
        while (ls >> word && word != "-1") bytes.push_back(uint8_t(std::stoul(word, nullptr, 16)));
        blocks.emplace_back(address, bytes);
    }
    return blocks;
}

std::vector<fuse_case> load_inputs() {
    std::ifstream in(IRONBELL_TESTDATA "/z80/fuse/tests.in");
    std::vector<fuse_case> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        fuse_case c;
        c.name = line;
        if (!read_regs(in, c.regs)) break;
        std::getline(in, line);  // rest of the register line
        c.memory = read_memory_lines(in);
        cases.push_back(std::move(c));
    }
    return cases;
}

std::map<std::string, fuse_result> load_expected() {
    std::ifstream in(IRONBELL_TESTDATA "/z80/fuse/tests.expected");
    std::map<std::string, fuse_result> results;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        fuse_result r;
        std::string name = line;
        // Events are indented; the register lines are not.
        while (in.peek() == ' ') {
            std::getline(in, line);
            std::istringstream ls(line);
            uint64_t time;
            std::string type, address, value;
            ls >> time >> type >> address >> value;
            if (type == "MC" || type == "PC") continue;  // contention of another machine
            bus_access kind = type == "MR"   ? bus_access::read
                              : type == "MW" ? bus_access::write
                              : type == "PR" ? bus_access::in
                                             : bus_access::out;
            r.events.push_back({time, kind, uint16_t(std::stoul(address, nullptr, 16)),
                                uint8_t(std::stoul(value, nullptr, 16))});
        }
        read_regs(in, r.regs);
        std::getline(in, line);
        r.memory = read_memory_lines(in);
        results[name] = std::move(r);
    }
    return results;
}

// FUSE stamps each access at the end of its memory cycle, and a port access
// one cycle into its I/O cycle; the log here holds the tick it started at.
bus_event as_fuse(const bus_event& e) {
    bus_event f = e;
    switch (e.kind) {
    case bus_access::fetch:
        f.tick += 4;
        f.kind = bus_access::read;
        break;
    case bus_access::read:
    case bus_access::write: f.tick += 3; break;
    case bus_access::in:
    case bus_access::out: f.tick += 1; break;
    }
    return f;
}

// Known differences: after HALT pc stays past the opcode; WZ of IN B,(C) and
// IN C,(C) is taken after the register write, and a repeating INIR, INDR,
// OTIR or OTDR leaves WZ alone.
const std::set<std::string> halt_pc_cases = {"76"};
// FUSE does not log the displacement read of a relative jump that is not
// taken; the core makes that read.
const std::set<std::string> untaken_jump_cases = {"10", "20_2", "28_1", "30_2", "38_1"};
// FUSE predates the flags of an interrupted block instruction: bits 5 and 3
// from the instruction address, and for the I/O kinds the H and P/V fix-up.
const std::map<std::string, unsigned> block_flag_cases = {
    {"edb9_2", 0x28}, {"edb2_1", 0x3C}, {"edb3_1", 0x3C}, {"edbb_1", 0x3C}};
const std::set<std::string> wz_cases = {"ed40",   "ed48", "edb2",   "edb2_1", "edb3",
                                        "edb3_1", "edba", "edba_1", "edbb",   "edbb_1"};

std::string run_case(const fuse_case& c, const fuse_result& want) {
    z80_machine m;
    for (size_t k = 0; k < m.memory.size(); ++k) m.memory[k] = "\xDE\xAD\xBE\xEF"[k % 4];
    for (auto& [address, bytes] : c.memory) m.load(address, bytes);
    auto before = m.memory;
    auto& cpu = m.cpu;
    const fuse_regs& g = c.regs;
    cpu.af = uint16_t(g.af);
    cpu.set_f(uint8_t(g.af));
    cpu.bc = uint16_t(g.bc), cpu.de = uint16_t(g.de), cpu.hl = uint16_t(g.hl);
    cpu.af2 = uint16_t(g.af2), cpu.bc2 = uint16_t(g.bc2), cpu.de2 = uint16_t(g.de2),
    cpu.hl2 = uint16_t(g.hl2);
    cpu.ix = uint16_t(g.ix), cpu.iy = uint16_t(g.iy), cpu.sp = uint16_t(g.sp), cpu.pc = uint16_t(g.pc);
    cpu.wz = uint16_t(g.wz);
    cpu.i = uint8_t(g.i), cpu.r = uint8_t(g.r), cpu.r2 = uint8_t(g.r & 0x80);
    cpu.iff1 = uint8_t(g.iff1), cpu.iff2 = uint8_t(g.iff2), cpu.im = uint8_t(g.im);
    if (g.halted) cpu.halt();
    // The instruction before each case is taken not to have written F.
    cpu.q_latch = 0x28;

    m.run(int32_t(g.tstates));
    m.finish();

    std::ostringstream err;
    std::vector<bus_event> got;
    for (auto& e : m.events) got.push_back(as_fuse(e));
    if (untaken_jump_cases.count(c.name)) {
        size_t k = 0;
        while (k < got.size() && k < want.events.size() && got[k] == want.events[k]) ++k;
        if (k < got.size() && got[k].kind == bus_access::read) got.erase(got.begin() + long(k));
    }
    if (got != want.events) {
        err << "events differ:\n  got:";
        for (size_t k = 0; k < got.size() && k < 40; ++k) err << " [" << describe(got[k]) << "]";
        err << "\n  want:";
        for (auto& e : want.events) err << " [" << describe(e) << "]";
        err << "\n";
    }
    const fuse_regs& w = want.regs;
    auto check = [&](const char* name, unsigned have, unsigned expect) {
        if (have != expect) err << name << " " << std::hex << have << " want " << expect << std::dec << "\n";
    };
    unsigned f_mask = block_flag_cases.count(c.name) ? ~block_flag_cases.at(c.name) : ~0u;
    check("AF", unsigned(cpu.A() << 8 | cpu.get_f()) & f_mask, w.af & f_mask);
    check("BC", cpu.bc, w.bc);
    check("DE", cpu.de, w.de);
    check("HL", cpu.hl, w.hl);
    check("AF'", cpu.af2, w.af2);
    check("BC'", cpu.bc2, w.bc2);
    check("DE'", cpu.de2, w.de2);
    check("HL'", cpu.hl2, w.hl2);
    check("IX", cpu.ix, w.ix);
    check("IY", cpu.iy, w.iy);
    check("SP", cpu.sp, w.sp);
    check("PC", cpu.pc, halt_pc_cases.count(c.name) ? uint16_t(w.pc + 1) : w.pc);
    if (!wz_cases.count(c.name)) check("WZ", cpu.wz, w.wz);
    check("I", cpu.i, w.i);
    check("R", unsigned((cpu.r & 0x7F) | cpu.r2), w.r);
    check("IFF1", cpu.iff1, w.iff1);
    check("IFF2", cpu.iff2, w.iff2);
    check("IM", cpu.im, w.im);
    check("halted", cpu.halted, w.halted);
    check("tstates", unsigned(m.given), w.tstates);
    auto expected = before;
    for (auto& [address, bytes] : want.memory)
        for (size_t k = 0; k < bytes.size(); ++k) expected[uint16_t(address + k)] = bytes[k];
    for (size_t a = 0; a < expected.size(); ++a)
        if (m.memory[a] != expected[a]) {
            err << "memory " << std::hex << a << " is " << int(m.memory[a]) << " want " << int(expected[a])
                << std::dec << "\n";
            break;
        }
    return err.str();
}

TEST(Z80Fuse, EveryCaseMatchesRegistersMemoryAndAccessTicks) {
    IRONBELL_NEEDS_TESTDATA("z80/fuse/tests.in");
    IRONBELL_NEEDS_TESTDATA("z80/fuse/tests.expected");
    auto inputs = load_inputs();
    auto expected = load_expected();
    ASSERT_EQ(inputs.size(), 1356u) << "cannot read " IRONBELL_TESTDATA "/z80/fuse/tests.in";
    int failures = 0;
    for (const auto& c : inputs) {
        auto it = expected.find(c.name);
        ASSERT_NE(it, expected.end()) << c.name;
        std::string problem = run_case(c, it->second);
        if (!problem.empty()) {
            ++failures;
            ADD_FAILURE() << "case " << c.name << ":\n" << problem;
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
