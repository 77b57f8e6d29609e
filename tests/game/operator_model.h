// What the operator tests compare against: the bookkeeping block's check
// value worked out on the host, a valid block built from given data, and
// byte-for-byte comparison that names the first offset that differs.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <sstream>
#include <vector>

#include "board/machine.h"
#include "game/operator/vars.h"

namespace operator_model {

constexpr uint32_t kBlock = var::bookkeeping_block;
constexpr uint32_t kData = var::bookkeeping_data;
constexpr uint32_t kMirror = var::bookkeeping_mirror;
constexpr uint32_t kDataBytes = 124;

// Start at 1; per halfword: XOR it in, shift right one, XOR 0x8810 when a 1
// fell out.
inline uint16_t check_value(const std::vector<uint16_t>& halfwords) {
    uint16_t c = 1;
    for (uint16_t h : halfwords) {
        c ^= h;
        const bool out = c & 1;
        c >>= 1;
        if (out) c ^= 0x8810;
    }
    return c;
}

inline uint16_t check_value_at(uint32_t address) {
    std::vector<uint16_t> halfwords;
    for (uint32_t i = 0; i < kDataBytes / 2; ++i) halfwords.push_back(orb_read16(address + 2 * i));
    return check_value(halfwords);
}

// The data written into the primary and the mirror with a matching check value.
inline void write_valid_block(const std::vector<uint8_t>& data) {
    for (uint32_t i = 0; i < kDataBytes; ++i) {
        orb_write8(kData + i, data[i]);
        orb_write8(kMirror + i, data[i]);
    }
    orb_write16(kBlock, check_value_at(kData));
}

inline std::vector<uint8_t> bytes_at(uint32_t address, uint32_t count) {
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < count; ++i) out.push_back(orb_read8(address + i));
    return out;
}

// The first offset at which the two differ, if any.
inline std::optional<uint32_t> first_difference(const std::vector<uint8_t>& a,
                                                const std::vector<uint8_t>& b) {
    for (uint32_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return i;
    if (a.size() != b.size()) return static_cast<uint32_t>(std::min(a.size(), b.size()));
    return std::nullopt;
}

// Equal bytes, or the first offset that differs with both values.
inline ::testing::AssertionResult same_bytes(const std::vector<uint8_t>& actual,
                                             const std::vector<uint8_t>& expected) {
    const auto at = first_difference(actual, expected);
    if (!at) return ::testing::AssertionSuccess();
    std::ostringstream text;  // built first: each piece given to an AssertionResult is formatted apart
    text << std::hex << "first difference at offset 0x" << *at;
    if (*at < actual.size() && *at < expected.size())
        text << ": 0x" << int{actual[*at]} << " where 0x" << int{expected[*at]} << " was expected";
    else
        text << ": sizes " << actual.size() << " and " << expected.size();
    return ::testing::AssertionFailure() << text.str();
}

}  // namespace operator_model
