#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/hardware.h"
#include "game/operator/tables.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/service_stand_ins.h"
#include "tests/support/game_harness.h"

namespace {

using namespace service_test;

constexpr uint32_t kSignatureWords = 0x0FFFF8;  // seen at 0xFFFFF8 through the mirror

// The bookkeeping check-value step, written out once more.
uint16_t step(uint16_t s, uint16_t h) {
    s ^= h;
    const bool out = s & 1;
    s >>= 1;
    return out ? static_cast<uint16_t>(s ^ 0x8810) : s;
}

uint16_t rotl16(uint16_t v, unsigned n) {
    n &= 15;
    return n ? static_cast<uint16_t>(v << n | v >> (16 - n)) : v;
}
uint8_t rotl8(uint8_t v, unsigned n) {
    n &= 7;
    return n ? static_cast<uint8_t>(v << n | v >> (8 - n)) : v;
}

class SelfTest : public GameRoutineTest {
protected:
    uint16_t rom16(uint32_t a) const { return static_cast<uint16_t>(rom_[a] | rom_[a + 1] << 8); }

    uint16_t signature(uint32_t start, uint32_t bytes) const {
        uint16_t s = 1;
        for (uint32_t a = start; a < start + bytes; a += 2) s = step(s, rom16(a));
        return s;
    }

    // The even and odd byte lanes of 4-byte groups.
    std::array<uint16_t, 2> lane_signatures(uint32_t start, uint32_t bytes) const {
        uint16_t even = 1, odd = 1;
        for (uint32_t a = start; a < start + bytes; a += 4) {
            even = step(even, static_cast<uint16_t>(rom_[a + 2] << 8 | rom_[a]));
            odd = step(odd, static_cast<uint16_t>(rom_[a + 3] << 8 | rom_[a + 1]));
        }
        return {even, odd};
    }

    void plant_good_signatures() {
        plant16(kSignatureWords, signature(0x060000, 0x20000));
        plant16(kSignatureWords + 2, signature(0x080000, 0x1FFF8));
        const auto lanes = lane_signatures(0x100000, 0x40000);
        plant16(kSignatureWords + 4, lanes[0]);
        plant16(kSignatureWords + 6, lanes[1]);
    }

    void scatter(uint32_t start, uint32_t bytes, uint32_t seed) {
        for (uint32_t a = start; a < start + bytes; a += 97) {
            seed = seed * 1664525u + 1013904223u;
            plant8(a, static_cast<uint8_t>(seed >> 24));
        }
    }
};

TEST_F(SelfTest, SignaturesOfAnAllZeroRange) {
    EXPECT_EQ(signature(0x060000, 0x20000), 0x4408);
    EXPECT_EQ(signature(0x080000, 0x1FFF8), 0x0004);
    cpu.reg[10] = 0x060000;
    cpu.reg[0] = 0x20000;
    ASSERT_TRUE(run(sub_08C53C));
    EXPECT_EQ(r(0) & 0xFFFF, 0x4408u);
    EXPECT_EQ(r(10), 0x080000u);
    cpu.reg[10] = 0x080000;
    cpu.reg[0] = 0x1FFF8;
    ASSERT_TRUE(run(sub_08C53C));
    EXPECT_EQ(r(0) & 0xFFFF, 0x0004u);
    cpu.reg[10] = 0x100000;
    cpu.reg[0] = 0x40000;
    ASSERT_TRUE(run(sub_08C559));
    EXPECT_EQ(r(0), 0x4408u);
    EXPECT_EQ(r(1), 0x4408u);
}

TEST_F(SelfTest, PlantedTablesChangeTheSignatures) {
    scatter(0x060000, 0x20000, 1);
    scatter(0x080000, 0x20000, 2);
    scatter(0x100000, 0x40000, 3);
    struct {
        uint32_t start, bytes;
    } ranges[] = {{0x060000, 0x20000}, {0x080000, 0x1FFF8}, {0x060010, 2}};
    for (const auto& c : ranges) {
        cpu.reg[10] = c.start;
        cpu.reg[0] = c.bytes;
        ASSERT_TRUE(run(sub_08C53C));
        EXPECT_EQ(r(0) & 0xFFFF, signature(c.start, c.bytes)) << std::hex << c.start;
    }
    EXPECT_NE(signature(0x060000, 0x20000), 0x4408);
    cpu.reg[10] = 0x100000;
    cpu.reg[0] = 0x40000;
    ASSERT_TRUE(run(sub_08C559));
    const auto lanes = lane_signatures(0x100000, 0x40000);
    EXPECT_EQ(r(0), lanes[0]);
    EXPECT_EQ(r(1), lanes[1]);
    EXPECT_NE(lanes[0], lanes[1]);
}

// ---- the RAM tests on their own ----

struct ram_test_case {
    const char* name;
    v60_routine routine;
    uint32_t start, bytes;
    bool bytewise;
    uint16_t last_seed;
    std::vector<uint32_t> multiples;
};

const ram_test_case kRamTests[] = {
    {"byte lanes", sub_08C59F, hw::video_ram, 0x4000, false, 0x8080, {16, 128, 1024, 8192, 65536}},
    // (below the progress message's cells, which the last pass's toggle writes)
    {"nibbles",
     sub_08C641,
     hw::video_ram,
     0x1F000,
     false,
     0x8888,
     {8, 32, 128, 512, 2048, 8192, 32768, 131072}},
    {"bytes", sub_08C715, 0x700000, 0x1FFF, true, 0x80, {8, 64, 512, 4096}},
};

// Memory that reads back holds the last pass's patterns, from the last seed
// with one extra rotation per rule met by the address after each element.
TEST_F(SelfTest, RamTestsLeaveTheLastPassPatterns) {
    for (const ram_test_case& c : kRamTests) {
        SCOPED_TRACE(c.name);
        orb_write8(hw::shared_ram_last, 0x5A);
        cpu.reg[10] = c.start;
        cpu.reg[0] = c.bytes;
        cpu.reg[21] = 0;
        ASSERT_TRUE(run(c.routine));
        EXPECT_EQ(r(0), 0u) << "good";
        EXPECT_EQ(r(11), kSentinel) << "the return address was taken into R11";
        const uint32_t width = c.bytewise ? 1 : 2;
        uint16_t p = c.last_seed;
        for (uint32_t a = c.start; a < c.start + c.bytes / width * width; a += width) {
            const uint16_t got = c.bytewise ? ram8(a) : ram16(a);
            ASSERT_EQ(got, p) << std::hex << "first difference at " << a;
            unsigned n = 1;
            for (uint32_t m : c.multiples) n += (a + width) % m == 0;
            p = c.bytewise ? rotl8(static_cast<uint8_t>(p), n) : rotl16(p, n);
        }
        EXPECT_EQ(ram8(hw::shared_ram_last), 0x5A) << "the shared RAM's last byte is never tested";
        // An even number of passes toggles the progress message back.
        EXPECT_EQ(r(21) & 0xFF, 0u);
    }
    // Work RAM's rule, seen in video RAM: after 0x301FFE, five places.
    cpu.reg[10] = hw::video_ram;
    cpu.reg[0] = 0x4000;
    ASSERT_TRUE(run(sub_08C59F));
    EXPECT_EQ(ram16(0x302000), rotl16(ram16(0x301FFE), 5));
    EXPECT_EQ(ram16(0x300010), rotl16(ram16(0x30000E), 2));
    EXPECT_EQ(ram16(0x300080), rotl16(ram16(0x30007E), 3));
}

struct error_case {
    const char* name;
    v60_routine routine;
    uint32_t bytes;
    uint16_t planted;
    uint32_t error;
};

// Pointed at ROM, where writes are ignored, each test reports the bits that
// differ at the first element, in whichever pass first differs.
TEST_F(SelfTest, RamTestsReportTheFirstDifference) {
    const error_case cases[] = {
        {"byte lanes, pass 1", sub_08C59F, 2, 0x0109, 0x0008},
        {"byte lanes, pass 2", sub_08C59F, 2, 0x0101, 0x0303},
        {"nibbles, pass 1", sub_08C641, 2, 0x1119, 0x0008},
        {"nibbles, pass 2", sub_08C641, 2, 0x1111, 0x3333},
        {"bytes, pass 1", sub_08C715, 1, 0x09, 0x08},
        {"bytes, pass 2", sub_08C715, 1, 0x01, 0x03},
    };
    for (const error_case& c : cases) {
        SCOPED_TRACE(c.name);
        plant16(0x010000, c.planted);
        cpu.reg[10] = 0x010000;
        cpu.reg[0] = c.bytes;
        const uint32_t sp0 = cpu.reg[V60_SP];
        ASSERT_TRUE(run(c.routine)) << "came back through R11";
        EXPECT_EQ(cpu.reg[V60_SP], sp0);
        EXPECT_EQ(r(11), kSentinel);
        EXPECT_EQ(r(0), c.error);
    }
}

TEST_F(SelfTest, ProgressMessageShowsOnAlternatePasses) {
    const char text[] = "RAM TESTING";
    for (uint32_t i = 0; i < 11; ++i) plant8(rom::progress_text + i, static_cast<uint8_t>(text[i]));
    orb_write16(0x31FC9C + 22, 0x1234);
    cpu.reg[21] = 0x12345600;
    ASSERT_TRUE(run(sub_08C7A2));
    EXPECT_EQ(r(21), 0x123456FFu);
    for (uint32_t i = 0; i < 11; ++i) EXPECT_EQ(ram16(0x31FC9C + 2 * i), 0) << i;
    ASSERT_TRUE(run(sub_08C7A2));
    EXPECT_EQ(r(21), 0x12345600u);
    for (uint32_t i = 0; i < 11; ++i) EXPECT_EQ(ram16(0x31FC9C + 2 * i), 0x0600 | text[i]) << i;
    EXPECT_EQ(ram16(0x31FC9C + 22), 0x1234) << "eleven cells only";
}

// ---- the whole test ----

class WholeSelfTest : public SelfTest {
protected:
    struct redraw {
        bool interrupts;
        uint8_t flag;
        std::array<uint8_t, 19> results;
    };
    std::vector<redraw> redraws_;

    void SetUp() override {
        SelfTest::SetUp();
        fake_all({sub_060942 /* clear text */, sub_0608A8 /* layers */, sub_0609AA /* sprite list reset */,
                  sub_08C37A /* service palette */, sub_08C403 /* choose message */,
                  sub_08B416 /* self test loop */});
        fake(sub_08B429 /* self test page */, [this] {
            redraw d{(cpu.psw & V60_PSW_IE) != 0, orb_read8(var::shared_ram_flag), {}};
            for (uint32_t i = 0; i < 19; ++i) d.results[i] = orb_read8(var::self_test_results + i);
            redraws_.push_back(d);
        });
        guest::enable_interrupts();
    }

    std::array<uint8_t, 19> results() const {
        std::array<uint8_t, 19> r{};
        for (uint32_t i = 0; i < 19; ++i) r[i] = ram8(var::self_test_results + i);
        return r;
    }
};

std::array<uint8_t, 19> all(uint8_t v) {
    std::array<uint8_t, 19> r;
    r.fill(v);
    return r;
}

TEST_F(WholeSelfTest, GoodMemoryEndsWithEveryItemGoodAndRamAsBefore) {
    scatter(0x060000, 0x20000, 4);
    scatter(0x100000, 0x40000, 5);
    plant_good_signatures();
    // Work RAM and shared RAM full of data the test must give back.
    uint32_t seed = 7;
    for (uint32_t a = 0x200000; a < 0x20FE00; a += 2) {
        seed = seed * 1664525u + 1013904223u;
        orb_write16(a, static_cast<uint16_t>(seed >> 16));
    }
    for (uint32_t a = 0x700000; a < 0x702000; a += 2) {
        seed = seed * 1664525u + 1013904223u;
        orb_write16(a, static_cast<uint16_t>(seed >> 16));
    }
    std::vector<uint8_t> work(0x10000), shared(0x2000);
    for (uint32_t i = 0; i < work.size(); ++i) work[i] = ram8(0x200000 + i);
    for (uint32_t i = 0; i < shared.size(); ++i) shared[i] = ram8(0x700000 + i);
    const uint64_t now = orb_board.now, frames = cpu.frames;

    ASSERT_TRUE(run(sub_08B159));

    EXPECT_EQ(results(), all(2));
    // Work RAM as before, but for the results, service_screen and the stack
    // words below the caller's frame.
    for (uint32_t i = 0; i < work.size(); ++i) {
        const uint32_t a = 0x200000 + i;
        if ((a >= var::service_screen && a < var::service_screen + 4) ||
            (a >= var::self_test_results && a < var::self_test_results + 19) ||
            (a >= 0x20FE00 && a < 0x20FF00))
            continue;
        ASSERT_EQ(ram8(a), work[i]) << std::hex << "first difference at " << a;
    }
    for (uint32_t i = 0; i + 1 < shared.size(); ++i)
        ASSERT_EQ(ram8(0x700000 + i), shared[i]) << std::hex << "first difference at " << 0x700000 + i;
    EXPECT_EQ(ram8(var::shared_ram_flag), 0) << "the flag goes back to 0 at the end";

    ASSERT_EQ(redraws_.size(), 10u) << "one per group, and one at the end";
    for (const redraw& d : redraws_) {
        EXPECT_FALSE(d.interrupts);
        EXPECT_EQ(d.flag, 0xFF);
    }
    // Each group shows as testing (1) while the earlier ones are judged.
    const std::array<uint8_t, 19> second = {2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(redraws_[1].results, second);
    std::array<uint8_t, 19> eighth = all(2);
    eighth[16] = eighth[17] = 1;
    eighth[18] = 0;
    EXPECT_EQ(redraws_[7].results, eighth);
    EXPECT_EQ(redraws_[9].results, all(2));

    EXPECT_TRUE(cpu.psw & V60_PSW_IE) << "interrupts on again";
    EXPECT_EQ(ram32(var::service_screen), entry::sub_08B416);
    EXPECT_EQ(calls(sub_08B416 /* self test loop */), 1);
    EXPECT_EQ(calls(sub_08C403 /* choose message */), 1);
    EXPECT_EQ(calls(sub_0608A8 /* layers */), 3);
    EXPECT_EQ(calls(sub_0609AA /* sprite list reset */), 1);
    EXPECT_EQ(calls(sub_08C37A /* service palette */), 4);
    EXPECT_EQ(orb_board.now, now) << "no frame wait";
    EXPECT_EQ(cpu.frames, frames);
    EXPECT_EQ(orb_board.unmapped_writes, 0u);
}

TEST_F(WholeSelfTest, WrongSignatureWordsMarkOnlyTheirItems) {
    struct {
        uint32_t word;
        uint32_t item;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        plant_good_signatures();
        plant16(kSignatureWords + 2 * c.word,
                static_cast<uint16_t>(rom16(kSignatureWords + 2 * c.word) ^ 0x0100));
        ASSERT_TRUE(run(sub_08B159));
        std::array<uint8_t, 19> expected = all(2);
        expected[c.item] = 3;
        EXPECT_EQ(results(), expected);
    }
}

// Which item each error bit of each RAM test marks bad: the tests answer
// through stand-ins here, by the range they are given.
TEST_F(WholeSelfTest, ErrorBitsMarkTheirItems) {
    plant_good_signatures();
    struct {
        uint32_t start, error;
    } answers[] = {{hw::video_ram, 0x0100}, {hw::sprite_ram, 0x8001}, {hw::palette, 0x0080},
                   {0x604000, 0x0100},      {0x200000, 0x0008},       {0x700000, 0x0001}};
    auto answer = [answers] {
        for (const auto& a : answers)
            if (cpu.reg[10] == a.start) cpu.reg[0] = a.error;
    };
    fake(sub_08C59F, answer);
    fake(sub_08C641, answer);
    fake(sub_08C715, answer);
    ASSERT_TRUE(run(sub_08B159));
    const std::array<uint8_t, 19> expected = {2, 2, 2, 2,  // ROMs
                                              2, 3, 2, 2,  // video RAM: bits 8-11
                                              3, 2, 2, 3,  // sprite RAM: bits 12-15 and 0-3
                                              2, 3,        // palette, first half: low byte
                                              3, 2,        // second half: high byte
                                              2, 3,        // work RAM: bit 3 is the low byte
                                              3};
    EXPECT_EQ(results(), expected);
}

}  // namespace
