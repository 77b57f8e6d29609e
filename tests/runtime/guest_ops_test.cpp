// The translated code's instruction helpers against a separate model that
// works one bit or one step at a time: shifts and rotates by the guest's signed
// count byte, multiply, divide and remainder, extending loads, bit operations
// on registers and bit fields in memory. 8-bit operations are checked for
// every operand; wider ones on their edges and a fixed run of random values.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "board/machine.h"
#include "runtime/guest.h"
#include "runtime/v60.h"

namespace {

struct flags {
    uint8_t z, s, ov, cy;
    bool operator==(const flags&) const = default;
};
flags now() { return {cpu.z, cpu.s, cpu.ov, cpu.cy}; }
std::string show(const flags& f) {
    return "Z" + std::to_string(f.z) + " S" + std::to_string(f.s) + " OV" + std::to_string(f.ov) + " CY" +
           std::to_string(f.cy);
}

struct outcome {
    uint32_t value;
    flags f;
};

// A fixed sequence of test values, edge cases first.
template <typename T>
std::vector<uint32_t> samples(int random_count) {
    constexpr T top = T(1) << (sizeof(T) * 8 - 1);
    std::vector<uint32_t> v = {0,
                               1,
                               2,
                               3,
                               T(top - 1),
                               top,
                               T(top + 1),
                               T(~T(0)),
                               T(~T(0) - 1),
                               0x55,
                               0xAA,
                               T(0x5555555555555555ull),
                               T(0xAAAAAAAAAAAAAAAAull)};
    uint32_t state = 12345;
    for (int i = 0; i < random_count; ++i) {
        state = state * 1664525u + 1013904223u;
        v.push_back(static_cast<T>(state ^ (state >> 13)));
    }
    return v;
}

// ---- the model: one bit position at a time ----

template <typename T>
outcome model_shift(uint32_t a, int count, bool arithmetic, flags before) {
    constexpr int bits = sizeof(T) * 8;
    constexpr uint64_t top = uint64_t{1} << (bits - 1), mask = (top << 1) - 1;
    uint64_t v = static_cast<T>(a);
    uint8_t cy = 0, ov = 0;
    for (int i = 0; i < count; ++i) {
        cy = (v & top) != 0;
        const uint64_t next = (v << 1) & mask;
        ov |= arithmetic && ((next ^ v) & top) != 0;
        v = next;
    }
    for (int i = 0; i < -count; ++i) {
        cy = v & 1;
        v = (v >> 1) | (arithmetic ? (v & top) : 0);
    }
    return {static_cast<uint32_t>(v), {uint8_t(v == 0), uint8_t((v & top) != 0), ov, cy}};
    (void)before;
}

template <typename T>
outcome model_rotate(uint32_t a, int count, bool through_carry, flags before) {
    constexpr int bits = sizeof(T) * 8;
    constexpr uint64_t top = uint64_t{1} << (bits - 1), mask = (top << 1) - 1;
    uint64_t v = static_cast<T>(a);
    uint8_t cy = through_carry ? before.cy : 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t out = (v & top) != 0;
        v = ((v << 1) & mask) | (through_carry ? cy : out);
        cy = out;
    }
    for (int i = 0; i < -count; ++i) {
        const uint8_t out = v & 1;
        v = (v >> 1) | ((through_carry ? cy : out) ? top : 0);
        cy = out;
    }
    return {static_cast<uint32_t>(v), {uint8_t(v == 0), uint8_t((v & top) != 0), 0, cy}};
}

// Runs op with the flags set to `before` and gives its result and flags.
outcome measure(const std::function<uint32_t()>& op, flags before) {
    cpu.z = before.z;
    cpu.s = before.s;
    cpu.ov = before.ov;
    cpu.cy = before.cy;
    const uint32_t value = op();
    return {value, now()};
}

template <typename T>
void check_shifts_and_rotates(const std::vector<uint32_t>& values) {
    const flags before_set{1, 1, 1, 1}, before_clear{0, 0, 0, 0};
    int failures = 0;
    for (uint32_t a : values)
        for (int count_byte = 0; count_byte < 256; ++count_byte) {
            const int count = static_cast<int8_t>(count_byte);
            for (const flags& before : {before_set, before_clear}) {
                const struct {
                    const char* name;
                    outcome got, want;
                } cases[] = {
                    {"shl", measure([&] { return uint32_t(guest::shl<T>(a, count_byte)); }, before),
                     model_shift<T>(a, count, false, before)},
                    {"sha", measure([&] { return uint32_t(guest::sha<T>(a, count_byte)); }, before),
                     model_shift<T>(a, count, true, before)},
                    {"rot", measure([&] { return uint32_t(guest::rot<T>(a, count_byte)); }, before),
                     model_rotate<T>(a, count, false, before)},
                    {"rotc", measure([&] { return uint32_t(guest::rotc<T>(a, count_byte)); }, before),
                     model_rotate<T>(a, count, true, before)},
                };
                for (const auto& c : cases)
                    if (c.got.value != c.want.value || !(c.got.f == c.want.f)) {
                        ADD_FAILURE() << c.name << " " << sizeof(T) * 8 << "-bit of " << std::hex << a
                                      << " by count byte " << count_byte << ": got " << c.got.value << " "
                                      << show(c.got.f) << ", want " << c.want.value << " " << show(c.want.f);
                        if (++failures > 10) return;
                    }
            }
        }
}

TEST(GuestShiftsAndRotates, EveryByteByEveryCount) {
    std::vector<uint32_t> all;
    for (uint32_t a = 0; a < 256; ++a) all.push_back(a);
    check_shifts_and_rotates<uint8_t>(all);
}

TEST(GuestShiftsAndRotates, HalfwordsAndWordsBySampledCounts) {
    check_shifts_and_rotates<uint16_t>(samples<uint16_t>(60));
    check_shifts_and_rotates<uint32_t>(samples<uint32_t>(60));
}

TEST(GuestShiftsAndRotates, CountByteIsSigned) {
    EXPECT_EQ(guest::shl<uint32_t>(0x100, 0xFC), 0x10u) << "0xFC shifts right by 4";
    EXPECT_EQ(guest::sha<uint16_t>(0x8000, 0xFF), 0xC000u);
    EXPECT_EQ(guest::shl<uint32_t>(0x100, -4), 0x10u) << "a negative int reads the same";
    EXPECT_EQ(guest::rot<uint8_t>(0x81, 0x7F), guest::rot<uint8_t>(0x81, 7));
}

// ---- multiply and divide ----

template <typename T>
void check_mul_div(const std::vector<uint32_t>& as, const std::vector<uint32_t>& bs) {
    using S = std::make_signed_t<T>;
    constexpr int64_t smin = std::numeric_limits<S>::min(), smax = std::numeric_limits<S>::max();
    constexpr uint64_t umax = std::numeric_limits<T>::max();
    int failures = 0;
    for (uint32_t a : as)
        for (uint32_t b : bs) {
            const int64_t x = static_cast<S>(static_cast<T>(a)), y = static_cast<S>(static_cast<T>(b));
            const uint64_t ux = static_cast<T>(a), uy = static_cast<T>(b);
            const flags before{0, 0, 1, 1};
            auto zs = [](uint64_t r, uint8_t ov, uint8_t cy) {
                const T t = static_cast<T>(r);
                return flags{uint8_t(t == 0), uint8_t(t >> (sizeof(T) * 8 - 1)), ov, cy};
            };
            struct row {
                const char* name;
                outcome got, want;
            };
            std::vector<row> rows;
            const int64_t p = x * y;
            rows.push_back({"mul",
                            measure([&] { return uint32_t(guest::mul<T>(a, b)); }, before),
                            {static_cast<T>(p), zs(static_cast<uint64_t>(p), p < smin || p > smax, 1)}});
            const uint64_t up = ux * uy;
            rows.push_back({"mulu",
                            measure([&] { return uint32_t(guest::mulu<T>(a, b)); }, before),
                            {static_cast<T>(up), zs(up, up > umax, 1)}});
            if (y != 0) {
                const bool over = x == smin && y == -1;
                const int64_t q = over ? x : x / y, m = over ? 0 : x - (x / y) * y;
                rows.push_back({"div",
                                measure([&] { return uint32_t(guest::div<T>(a, b)); }, before),
                                {static_cast<T>(q), zs(static_cast<uint64_t>(q), over, 1)}});
                rows.push_back({"rem",
                                measure([&] { return uint32_t(guest::rem<T>(a, b)); }, before),
                                {static_cast<T>(m), zs(static_cast<uint64_t>(m), 0, 1)}});
                rows.push_back({"divu",
                                measure([&] { return uint32_t(guest::divu<T>(a, b)); }, before),
                                {static_cast<T>(ux / uy), zs(ux / uy, 0, 1)}});
                rows.push_back({"remu",
                                measure([&] { return uint32_t(guest::remu<T>(a, b)); }, before),
                                {static_cast<T>(ux % uy), zs(ux % uy, 0, 1)}});
            }
            for (const row& c : rows)
                if (c.got.value != c.want.value || !(c.got.f == c.want.f)) {
                    ADD_FAILURE() << c.name << " " << sizeof(T) * 8 << "-bit " << std::hex << a << ", " << b
                                  << ": got " << c.got.value << " " << show(c.got.f) << ", want "
                                  << c.want.value << " " << show(c.want.f);
                    if (++failures > 10) return;
                }
        }
}

TEST(GuestMultiplyDivide, EveryPairOfBytes) {
    std::vector<uint32_t> all;
    for (uint32_t a = 0; a < 256; ++a) all.push_back(a);
    check_mul_div<uint8_t>(all, all);
}

TEST(GuestMultiplyDivide, HalfwordsAndWordsOnEdgesAndSamples) {
    check_mul_div<uint16_t>(samples<uint16_t>(200), samples<uint16_t>(200));
    check_mul_div<uint32_t>(samples<uint32_t>(200), samples<uint32_t>(200));
}

TEST(GuestMultiplyDivide, DivisorZeroEndsTheRun) {
    cpu.frames = 7;
    EXPECT_EXIT(guest::divu<uint16_t>(5, 0x10000), ::testing::ExitedWithCode(3),
                "V60 division by zero \\(frame 7\\)")
        << "only the low 16 bits divide";
    EXPECT_EXIT(guest::rem<uint32_t>(5, 0), ::testing::ExitedWithCode(3), "V60 division by zero");
}

// ---- loads, register bits, bit fields ----

class GuestMemoryOps : public ::testing::Test {
protected:
    void SetUp() override {
        rom_.assign(0x200000, 0);
        orb_init(rom_.data());
        program_reset();
    }
    std::vector<uint8_t> rom_;
};

TEST_F(GuestMemoryOps, ExtendingLoadsWriteAllBitsAndNoFlag) {
    orb_write16(0x200010, 0x80F7);
    cpu.z = cpu.s = cpu.ov = cpu.cy = 1;
    EXPECT_EQ(guest::load_sx8(0x200010), 0xFFFFFFF7u);
    EXPECT_EQ(guest::load_zx8(0x200010), 0xF7u);
    EXPECT_EQ(guest::load_sx16(0x200010), 0xFFFF80F7u);
    EXPECT_EQ(guest::load_zx16(0x200010), 0x80F7u);
    EXPECT_EQ(guest::load_sx8(0x200011), 0xFFFFFF80u);
    EXPECT_EQ(now(), (flags{1, 1, 1, 1}));
}

TEST_F(GuestMemoryOps, BitOperationsOnRegistersAndMemory) {
    const struct {
        const char* name;
        bool (*op)(uint32_t&, unsigned);
        uint32_t before;
        unsigned bit;
        uint32_t after;
        bool old;
    } cases[] = {
        {"set clear bit", guest::reg_set_bit, 0x0, 31, 0x80000000, false},
        {"set set bit", guest::reg_set_bit, 0x1, 0, 0x1, true},
        {"clear set bit", guest::reg_clear_bit, 0xFFFFFFFF, 4, 0xFFFFFFEF, true},
        {"clear clear bit", guest::reg_clear_bit, 0x0, 4, 0x0, false},
        {"invert set bit", guest::reg_not_bit, 0x8, 3, 0x0, true},
        {"invert clear bit", guest::reg_not_bit, 0x0, 35, 0x8, false},  // the bit number wraps at 32
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t reg = c.before;
        cpu.s = cpu.ov = 1;
        EXPECT_EQ(c.op(reg, c.bit), c.old);
        EXPECT_EQ(reg, c.after);
        EXPECT_EQ(now(), (flags{uint8_t(!c.old), 1, 1, uint8_t(c.old)}));
    }
    orb_write32(0x200020, 0x00000100);
    EXPECT_TRUE(guest::not_bit(0x200020, 8));
    EXPECT_FALSE(guest::not_bit(0x200020, 9));
    EXPECT_EQ(orb_read32(0x200020), 0x00000200u);
}

// Bit fields against a bit-by-bit model over a 16-byte window of work RAM.
TEST_F(GuestMemoryOps, BitFieldsMatchABitByBitModel) {
    constexpr uint32_t base = 0x200100;
    uint32_t state = 99;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state ^ (state >> 16);
    };
    auto bit_at = [&](int n) { return (orb_read8(base + (n >> 3)) >> (n & 7)) & 1; };
    int failures = 0;
    for (int offset = -24; offset <= 48; ++offset)
        for (uint32_t length = 1; length <= 32; ++length) {
            uint8_t window[16];
            for (int i = 0; i < 16; ++i) orb_write8(base - 8 + i, window[i] = static_cast<uint8_t>(next()));
            uint32_t want = 0;
            for (uint32_t i = 0; i < length; ++i) want |= uint32_t(bit_at(offset + int(i))) << i;
            const uint32_t sign = 1u << (length - 1);
            cpu.z = cpu.s = cpu.ov = cpu.cy = 1;
            const uint32_t got = guest::extract_bits(base, offset, length);
            const uint32_t got_signed = guest::extract_bits_signed(base, offset, length);
            const uint32_t value = next();
            guest::insert_bits(base, offset, length, value);
            bool ok = got == want && got_signed == ((want ^ sign) - sign) && now() == (flags{1, 1, 1, 1});
            for (int n = -64; n < 64 && ok; ++n) {
                const bool inside = n >= offset && n < offset + int(length);
                const int old = (window[(n + 64) / 8] >> ((n + 64) & 7)) & 1;
                ok = bit_at(n) == (inside ? int((value >> (n - offset)) & 1) : old);
            }
            if (!ok) {
                ADD_FAILURE() << "offset " << offset << " length " << length << std::hex << ": got " << got
                              << ", want " << want;
                if (++failures > 10) return;
            }
        }
}

}  // namespace
