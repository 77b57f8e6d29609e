#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "board/machine.h"
#include "game/operator/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"
#include "tests/game/operator_model.h"
#include "tests/support/game_harness.h"

namespace {

using namespace operator_model;

// Distinct data bytes so that a byte from the wrong place shows.
std::vector<uint8_t> pattern(uint8_t seed) {
    std::vector<uint8_t> data(kDataBytes);
    for (uint32_t i = 0; i < kDataBytes; ++i) data[i] = static_cast<uint8_t>(seed + 7 * i);
    return data;
}

class Bookkeeping : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        defaults_ = pattern(0x40);
        for (uint32_t i = 0; i < kDataBytes; ++i) plant8(rom::bookkeeping_defaults + i, defaults_[i]);
    }
    // The primary and the mirror both hold `data`, and the check value is valid.
    static ::testing::AssertionResult holds(const std::vector<uint8_t>& data) {
        if (auto r = same_bytes(bytes_at(kData, kDataBytes), data); !r) return r << " (primary)";
        if (auto r = same_bytes(bytes_at(kMirror, kDataBytes), data); !r) return r << " (mirror)";
        if (orb_read16(kBlock) != check_value_at(kData))
            return ::testing::AssertionFailure() << "the stored check value does not match";
        return ::testing::AssertionSuccess();
    }
    std::vector<uint8_t> defaults_;
};

TEST_F(Bookkeeping, CheckValueOfSixtyTwoHalfwords) {
    const struct {
        const char* name;
        uint16_t (*halfword)(uint32_t i);
        uint16_t expected;
    } cases[] = {
        {"zeros", [](uint32_t) -> uint16_t { return 0; }, 0x5F3B},
        {"1 to 62", [](uint32_t i) -> uint16_t { return static_cast<uint16_t>(i + 1); }, 0x73B7},
        {"all ones", [](uint32_t) -> uint16_t { return 0xFFFF; }, 0x3444},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t i = 0; i < 62; ++i) orb_write16(kData + 2 * i, c.halfword(i));
        orb_write16(kData + 124, 0xBEEF);  // the first halfword past the data counts for nothing
        cpu.reg[0] = 0xABCD0000;
        cpu.reg[2] = kData;
        ASSERT_TRUE(run(sub_0610F5));
        EXPECT_EQ(r(0), 0xABCD0000u | c.expected) << "the high half of R0 stays";
        orb_write16(kBlock, 0);
        ASSERT_TRUE(run(sub_0610CF));
        EXPECT_EQ(ram16(kBlock), c.expected);
    }
}

// The start-up check: good primary, repaired from the mirror, or the defaults.
TEST_F(Bookkeeping, StartUpCheckKeepsRepairsOrLoadsDefaults) {
    const std::vector<uint8_t> good = pattern(0x11);
    const struct {
        const char* name;
        void (*damage)();
        bool from_defaults;
    } cases[] = {
        {"good primary, stale mirror", [] { orb_write8(kMirror + 5, 0xEE); }, false},
        {"one primary byte changed, mirror intact", [] { orb_write8(kData + 40, 0xEE); }, false},
        {"primary and mirror both changed",
         [] {
             orb_write8(kData + 40, 0xEE);
             orb_write8(kMirror + 3, 0xEE);
         },
         true},
        {"all zero, as after board initialisation",
         [] {
             for (uint32_t a = kBlock; a < kBlock + 0x100; ++a) orb_write8(a, 0);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_valid_block(good);
        c.damage();
        orb_write8(hw::shared_ram_last, 0x5A);
        ASSERT_TRUE(run(sub_061077));
        EXPECT_TRUE(holds(c.from_defaults ? defaults_ : good));
        EXPECT_EQ(ram8(hw::shared_ram_last), 0x5A) << "the sound program's flag is not block data";
    }
}

TEST_F(Bookkeeping, VerifyDuringPlayLoadsDefaultsOnAnyChange) {
    const std::vector<uint8_t> good = pattern(0x11);
    write_valid_block(good);
    orb_write8(kMirror + 9, 0xEE);  // the mirror is not looked at
    ASSERT_TRUE(run(sub_0610E1));
    EXPECT_EQ(ram8(kMirror + 9), 0xEE) << "a good block is left alone";
    write_valid_block(good);
    orb_write8(kData + 40, 0xEE);
    ASSERT_TRUE(run(sub_0610E1));
    EXPECT_TRUE(holds(defaults_)) << "the intact mirror is not used during play";
}

TEST_F(Bookkeeping, ResetAndClearedCredits) {
    write_valid_block(pattern(0x11));
    ASSERT_TRUE(run(sub_06109C));
    EXPECT_TRUE(holds(defaults_));

    std::vector<uint8_t> expected = pattern(0x11);
    write_valid_block(expected);
    for (uint32_t i = 0x72; i < 0x7A; ++i) expected[i] = 0;  // 0x701F74-0x701F7B
    ASSERT_TRUE(run(sub_061055));
    EXPECT_TRUE(holds(expected));
}

// Counters add in 16 bits and wrap, the mirror following, the check valid.
TEST_F(Bookkeeping, CountersWrapAndKeepTheMirror) {
    const struct {
        const char* name;
        v60_routine routine;
        uint16_t before;
        uint32_t amount;  // R9
        uint16_t after;
    } cases[] = {
        {"one", sub_060F72, 41, 0xFFFFFFFF, 42},
        {"one at 65,535", sub_060F72, 0xFFFF, 0, 0},
        {"R9's low half", sub_060F7B, 100, 0x00030004, 104},
        {"wrapping", sub_060F7B, 0xFFFE, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> data = pattern(0x11);
        data[4] = static_cast<uint8_t>(c.before);  // coin count of chute 1, 0x701F06
        data[5] = static_cast<uint8_t>(c.before >> 8);
        write_valid_block(data);
        cpu.reg[7] = var::coin_count;
        cpu.reg[9] = c.amount;
        ASSERT_TRUE(run(c.routine));
        data[4] = static_cast<uint8_t>(c.after);
        data[5] = static_cast<uint8_t>(c.after >> 8);
        EXPECT_TRUE(holds(data));
        EXPECT_EQ(r(9), c.amount);
    }
}

struct time_value {
    uint8_t s, m, h;
    uint16_t days;
    bool operator==(const time_value&) const = default;
};

void PrintTo(const time_value& t, std::ostream* out) {
    *out << "day " << t.days << " " << int{t.h} << ":" << int{t.m} << ":" << int{t.s};
}

void write_time(uint32_t at, time_value t) {
    orb_write8(at, t.s);
    orb_write8(at + 1, t.m);
    orb_write8(at + 2, t.h);
    orb_write16(at + 3, t.days);
}

time_value read_time(uint32_t at) {
    return {orb_read8(at), orb_read8(at + 1), orb_read8(at + 2), orb_read16(at + 3)};
}

// Records at odd addresses, as the block holds them (the days unaligned).
constexpr uint32_t kTimeA = 0x208301, kTimeB = 0x208311;

// Addition B += A carries at 60, 60 and 24 and stops at day 9,999; the
// difference B = A - B borrows and never goes below zero.
TEST_F(Bookkeeping, TimeArithmetic) {
    const struct {
        const char* name;
        v60_routine routine;
        time_value a, b, result;
    } cases[] = {
        {"+ a second at the end of day 255", sub_089050, {1, 0, 0, 0}, {59, 59, 23, 255}, {0, 0, 0, 256}},
        {"+ a second at the end of day 9999", sub_089050, {1, 0, 0, 0}, {59, 59, 23, 9999}, {0, 0, 0, 9999}},
        {"+ carries in every unit", sub_089050, {30, 45, 20, 3}, {40, 20, 5, 10}, {10, 6, 2, 14}},
        {"+ to day 9998", sub_089050, {0, 0, 0, 5000}, {0, 0, 0, 4998}, {0, 0, 0, 9998}},
        {"+ to day 10000", sub_089050, {0, 0, 0, 5000}, {0, 0, 0, 5000}, {0, 0, 0, 9999}},
        {"- borrows from the day", sub_08909C, {10, 0, 0, 1}, {20, 0, 0, 0}, {50, 59, 23, 0}},
        {"- borrows in every unit", sub_08909C, {5, 30, 12, 7}, {6, 31, 13, 2}, {59, 58, 22, 4}},
        {"- A a second earlier", sub_08909C, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}},
        {"- A a day earlier", sub_08909C, {30, 10, 10, 3}, {30, 10, 10, 4}, {0, 0, 0, 0}},
        {"- equal", sub_08909C, {30, 10, 10, 3}, {30, 10, 10, 3}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_time(kTimeA, c.a);
        write_time(kTimeB, c.b);
        orb_write8(kTimeB + 5, 0x77);
        cpu.reg[10] = kTimeA;
        cpu.reg[11] = kTimeB;
        ASSERT_TRUE(run(c.routine));
        EXPECT_EQ(read_time(kTimeB), c.result);
        EXPECT_EQ(read_time(kTimeA), c.a) << "A stays";
        EXPECT_EQ(ram8(kTimeB + 5), 0x77);
    }
}

// Longest and shortest play: a strictly longer or shorter play (days left out)
// replaces the record; the empty shortest record takes the first play.
TEST_F(Bookkeeping, PlayRecordsKeepTheLongestAndShortest) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t record;
        time_value before, play;
        bool replaced;
    } cases[] = {
        {"longer by a second", sub_08917A, var::longest_play, {10, 5, 0, 0}, {11, 5, 0, 0}, true},
        {"equal to the longest", sub_08917A, var::longest_play, {10, 5, 1, 0}, {10, 5, 1, 9}, false},
        {"shorter than the longest", sub_08917A, var::longest_play, {10, 5, 1, 0}, {59, 4, 1, 0}, false},
        {"more minutes, fewer seconds", sub_08917A, var::longest_play, {50, 5, 0, 0}, {0, 6, 0, 0}, true},
        {"an hour more", sub_08917A, var::longest_play, {59, 59, 0, 0}, {0, 0, 1, 0}, true},
        {"empty shortest", sub_089145, var::shortest_play, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 30, 2, 0}, true},
        {"shorter", sub_089145, var::shortest_play, {20, 1, 0, 0}, {19, 1, 0, 0}, true},
        {"equal to the shortest", sub_089145, var::shortest_play, {20, 1, 0, 0}, {20, 1, 0, 5}, false},
        {"longer than the shortest", sub_089145, var::shortest_play, {20, 1, 0, 0}, {0, 2, 0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> data = pattern(0x11);
        const uint32_t offset = c.record - kData;
        const uint8_t before[4] = {c.before.s, c.before.m, c.before.h, static_cast<uint8_t>(c.before.days)};
        for (uint32_t i = 0; i < 4; ++i) data[offset + i] = before[i];
        write_valid_block(data);
        write_time(kTimeA, c.play);
        cpu.reg[10] = kTimeA;
        ASSERT_TRUE(run(c.routine));
        if (c.replaced) {
            const uint8_t play[4] = {c.play.s, c.play.m, c.play.h, static_cast<uint8_t>(c.play.days)};
            for (uint32_t i = 0; i < 4; ++i) data[offset + i] = play[i];
        }
        EXPECT_TRUE(holds(data));
    }
}

}  // namespace
