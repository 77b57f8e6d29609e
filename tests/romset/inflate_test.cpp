#include "romset/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "tests/support/romset_fixture.h"

namespace {

using romset_fixture::bytes;
using romset_fixture::random_like;
using romset_fixture::text_like;

// Writes DEFLATE bit fields: plain fields least significant bit first,
// Huffman codes most significant bit first.
class bit_writer {
public:
    bit_writer& bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) bit((value >> i) & 1);
        return *this;
    }
    bit_writer& code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) bit((code >> i) & 1);
        return *this;
    }
    // Fixed-code literal/length symbol.
    bit_writer& fixed(int symbol) {
        if (symbol < 144) return code(0x30 + symbol, 8);
        if (symbol < 256) return code(0x190 + symbol - 144, 9);
        if (symbol < 280) return code(symbol - 256, 7);
        return code(0xC0 + symbol - 280, 8);
    }
    const bytes& data() const { return out_; }

private:
    void bit(uint32_t b) {
        if (used_ == 0) out_.push_back(0);
        out_.back() |= uint8_t(b << used_);
        used_ = (used_ + 1) & 7;
    }
    bytes out_;
    int used_ = 0;
};

// Canonical codes for `lengths`, as a dynamic block defines them.
std::vector<uint32_t> canonical(const std::vector<int>& lengths) {
    int counts[16] = {};
    for (int l : lengths) ++counts[l];
    counts[0] = 0;
    uint32_t next[16] = {};
    uint32_t code = 0;
    for (int l = 1; l < 16; ++l) {
        code = (code + counts[l - 1]) << 1;
        next[l] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s]) codes[s] = next[lengths[s]]++;
    return codes;
}

// A dynamic block header: the code-length code (lengths by symbol 0-18), then
// `sequence` of code-length symbols with their extra bits.
struct dynamic_header {
    int literal_count = 257;
    int distance_count = 1;
    std::vector<int> code_length_lengths = std::vector<int>(19, 0);
    int code_length_count = 19;
    struct item {
        int symbol;
        uint32_t extra = 0;
    };
    std::vector<item> sequence;

    std::vector<uint32_t> write(bit_writer& w, bool final) const {
        static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        w.bits(final, 1).bits(2, 2);
        w.bits(literal_count - 257, 5).bits(distance_count - 1, 5).bits(code_length_count - 4, 4);
        for (int i = 0; i < code_length_count; ++i) w.bits(code_length_lengths[order[i]], 3);
        const auto codes = canonical(code_length_lengths);
        static const int extra_bits[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};
        for (const auto& it : sequence) {
            w.code(codes[it.symbol], code_length_lengths[it.symbol]);
            w.bits(it.extra, extra_bits[it.symbol]);
        }
        return codes;
    }
};

bool inflates_to(const bytes& stream, const bytes& expected) {
    bytes out(expected.size());
    return inflate_raw(stream.data(), stream.size(), out.data(), out.size()) == 1 && out == expected;
}

int inflate_into(const bytes& stream, size_t size) {
    bytes out(size);
    return inflate_raw(stream.data(), stream.size(), out.data(), size);
}

// Every zlib level and strategy over data of several kinds and sizes decodes
// exactly, and a destination one byte short or long fails.
TEST(InflateRoundTrip, ZlibStreamsOfEveryLevelDecodeExactly) {
    struct kind {
        const char* name;
        bytes (*make)(size_t);
    };
    const kind kinds[] = {
        {"text", text_like}, {"random", random_like}, {"zeros", [](size_t n) { return bytes(n, 0); }}};
    const size_t sizes[] = {0, 1, 2, 258, 259, 4096, 65535, 65536, 70001};
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE, Z_FILTERED};
    for (const auto& k : kinds) {
        for (size_t size : sizes) {
            const bytes data = k.make(size);
            for (int level = 0; level <= 9; ++level) {
                for (int strategy : strategies) {
                    if (level == 0 && strategy != Z_DEFAULT_STRATEGY) continue;
                    SCOPED_TRACE(std::string(k.name) + " size " + std::to_string(size) + " level " +
                                 std::to_string(level) + " strategy " + std::to_string(strategy));
                    const bytes stream = romset_fixture::deflate_raw(data, level, strategy);
                    ASSERT_TRUE(inflates_to(stream, data));
                    EXPECT_EQ(inflate_into(stream, size + 1), 0);
                    if (size > 0) {
                        EXPECT_EQ(inflate_into(stream, size - 1), 0);
                    }
                }
            }
        }
    }
}

TEST(InflateRoundTrip, OneMegabyteMembersDecodeExactly) {
    const size_t size = 0x100000;
    for (const bytes& data : {text_like(size), random_like(size), romset_fixture::member_bytes(9, size)}) {
        for (int level : {0, 1, 6, 9}) {
            SCOPED_TRACE("level " + std::to_string(level));
            const bytes stream = romset_fixture::deflate_raw(data, level);
            ASSERT_TRUE(inflates_to(stream, data));
            EXPECT_EQ(inflate_into(stream, size + 1), 0);
            EXPECT_EQ(inflate_into(stream, size - 1), 0);
        }
    }
}

TEST(InflateRoundTrip, EveryTruncationOfAStreamFails) {
    const bytes data = text_like(3000);
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
        const bytes stream = romset_fixture::deflate_raw(data, 9, strategy);
        for (size_t cut = 0; cut < stream.size(); ++cut) {
            const bytes prefix(stream.begin(), stream.begin() + long(cut));
            ASSERT_EQ(inflate_into(prefix, data.size()), 0) << "cut at " << cut;
        }
    }
}

TEST(InflateRoundTrip, BytesAfterTheFinalBlockAreNotRead) {
    const bytes data = text_like(500);
    bytes stream = romset_fixture::deflate_raw(data, 6);
    stream.insert(stream.end(), {0xFF, 0x00, 0x13, 0x37});
    EXPECT_TRUE(inflates_to(stream, data));
}

TEST(InflateStoredBlocks, EmptyFinalBlockFitsOnlySizeZero) {
    const bytes stream = {0x01, 0x00, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(inflate_raw(stream.data(), stream.size(), nullptr, 0), 1);
    EXPECT_EQ(inflate_into(stream, 1), 0);
}

TEST(InflateStoredBlocks, LengthChecks) {
    // Header bits 1 0 0 (final, stored), padding, LEN, NLEN, data.
    const bytes good = {0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c'};
    EXPECT_TRUE(inflates_to(good, {'a', 'b', 'c'}));
    const bytes mismatch = {0x01, 0x03, 0x00, 0xFC, 0xFE, 'a', 'b', 'c'};
    EXPECT_EQ(inflate_into(mismatch, 3), 0);
    const bytes short_data = {0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b'};
    EXPECT_EQ(inflate_into(short_data, 3), 0);
    const bytes short_header = {0x01, 0x03, 0x00, 0xFC};
    EXPECT_EQ(inflate_into(short_header, 3), 0);
    EXPECT_EQ(inflate_into(good, 2), 0);  // no room for the block
}

TEST(InflateStoredBlocks, StoredBlockAfterBitsOfAFixedBlockStartsOnTheNextByte) {
    bit_writer w;
    w.bits(0, 1).bits(1, 2).fixed('x').fixed(256);  // fixed block, not final
    w.bits(1, 1).bits(0, 2);                        // final stored block
    bytes stream = w.data();
    stream.insert(stream.end(), {0x02, 0x00, 0xFD, 0xFF, 'y', 'z'});
    EXPECT_TRUE(inflates_to(stream, {'x', 'y', 'z'}));
}

TEST(InflateFixedBlocks, DistanceOneLength258RepeatsTheLastByte) {
    bit_writer w;
    w.bits(1, 1).bits(1, 2).fixed('q');
    w.fixed(285).code(0, 5);  // length 258, distance symbol 0 = distance 1
    w.fixed(256);
    EXPECT_TRUE(inflates_to(w.data(), bytes(259, 'q')));
}

TEST(InflateFixedBlocks, OverlappingCopyRepeatsAPattern) {
    bit_writer w;
    w.bits(1, 1).bits(1, 2).fixed('a').fixed('b').fixed('c');
    w.fixed(265).bits(1, 1).code(2, 5);  // length 11 + 1 = 12, distance 3
    w.fixed(256);
    EXPECT_TRUE(
        inflates_to(w.data(), {'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c'}));
}

TEST(InflateFaults, FixedBlockFaults) {
    struct fault {
        const char* what;
        void (*write)(bit_writer&);
        size_t size;
    };
    const fault faults[] = {
        {"block type 3", [](bit_writer& w) { w.bits(1, 1).bits(3, 2).bits(0, 16); }, 0},
        {"distance code 30",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed(257).code(30, 5).fixed(256); }, 4},
        {"distance code 31",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed(257).code(31, 5).fixed(256); }, 4},
        {"literal/length symbol 286",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed(286).code(0, 5).fixed(256); }, 4},
        {"literal/length symbol 287",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed(287).code(0, 5).fixed(256); }, 4},
        {"distance before the output's start",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed(257).code(1, 5).fixed(256); }, 4},
        {"copy past the destination",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed(258).code(0, 5).fixed(256); }, 4},
        {"literal past the destination",
         [](bit_writer& w) { w.bits(1, 1).bits(1, 2).fixed('a').fixed('b').fixed(256); }, 1},
        {"no final block", [](bit_writer& w) { w.bits(0, 1).bits(1, 2).fixed('a').fixed(256); }, 1},
    };
    for (const auto& f : faults) {
        bit_writer w;
        f.write(w);
        EXPECT_EQ(inflate_into(w.data(), f.size), 0) << f.what;
    }
    // The cases above fail only for their fault: the same shape decodes.
    bit_writer ok;
    ok.bits(1, 1).bits(1, 2).fixed('a').fixed(257).code(0, 5).fixed(256);
    EXPECT_TRUE(inflates_to(ok.data(), {'a', 'a', 'a', 'a'}));
}

// A literal/length code that is incomplete (the pattern 11 has no symbol)
// decodes data that uses only its assigned codes, and fails on the gap.
TEST(InflateDynamicBlocks, IncompleteCodeIsAcceptedUntilItsGapIsMet) {
    dynamic_header h;
    h.code_length_lengths[18] = 1;
    h.code_length_lengths[1] = 2;
    h.code_length_lengths[2] = 2;
    h.code_length_count = 18;  // up to symbol 1 in the transmitted order
    // 'A' (65) length 1, end of block length 2; distance 0 length 1.
    h.sequence = {{18, 65 - 11}, {1}, {18, 127}, {18, 52 - 11}, {2}, {1}};
    bit_writer good;
    h.write(good, true);
    good.code(0, 1).code(0, 1).code(0, 1).code(2, 2);  // A A A, end of block
    EXPECT_TRUE(inflates_to(good.data(), {'A', 'A', 'A'}));

    bit_writer gap;
    h.write(gap, true);
    gap.code(0, 1).code(3, 2).code(2, 2);
    EXPECT_EQ(inflate_into(gap.data(), 2), 0);
}

TEST(InflateDynamicBlocks, DefinitionFaults) {
    struct fault {
        const char* what;
        dynamic_header header;
    };
    std::vector<fault> faults;
    {
        dynamic_header h;  // three codes of length 1
        h.code_length_lengths[16] = h.code_length_lengths[17] = h.code_length_lengths[18] = 1;
        faults.push_back({"over-subscribed code-length code", h});
    }
    {
        dynamic_header h;
        h.code_length_lengths[16] = 1;
        h.code_length_lengths[8] = 1;
        h.code_length_count = 5;
        h.sequence = {{16, 0}};
        faults.push_back({"leading repeat code 16", h});
    }
    {
        dynamic_header h;
        h.literal_count = 287;
        faults.push_back({"287 literal/length lengths", h});
    }
    {
        dynamic_header h;
        h.distance_count = 31;
        faults.push_back({"31 distance lengths", h});
    }
    {
        dynamic_header h;  // zeros run past HLIT + HDIST
        h.code_length_lengths[18] = 1;
        h.code_length_lengths[1] = 1;
        h.sequence = {{18, 127}, {18, 127}, {18, 11}};
        faults.push_back({"repeat past the end", h});
    }
    {
        dynamic_header h;  // every length 0: no end-of-block code
        h.code_length_lengths[18] = 1;
        h.code_length_lengths[1] = 1;
        h.sequence = {{18, 127}, {18, 109}};
        faults.push_back({"no end-of-block code", h});
    }
    {
        dynamic_header h;  // literals 0 and 1 and the end of block, all of length 1
        h.code_length_lengths[18] = 1;
        h.code_length_lengths[1] = 2;
        h.code_length_lengths[0] = 2;
        h.sequence = {{1}, {1}, {18, 127}, {18, 105}, {1}, {0}};
        faults.push_back({"over-subscribed literal/length code", h});
    }
    for (const auto& f : faults) {
        bit_writer w;
        f.header.write(w, true);
        w.bits(0, 32);
        EXPECT_EQ(inflate_into(w.data(), 0), 0) << f.what;
    }
}

}  // namespace
