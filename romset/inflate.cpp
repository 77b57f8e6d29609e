// A small, strict raw DEFLATE decoder. The whole stream and the whole output
// are in memory, so the output buffer doubles as the sliding window. Huffman
// codes are canonical and are decoded one bit at a time from the per-length
// counts; no lookup tables are built and nothing is allocated.

#include "romset/inflate.h"

#include <cstring>

namespace {

constexpr int max_bits = 15;       // longest code DEFLATE allows
constexpr int max_literals = 288;  // literal/length symbols of the fixed code
constexpr int max_dynamic_literals = 286;
constexpr int max_distances = 30;
constexpr int code_length_codes = 19;

struct state {
    const uint8_t* source;
    size_t source_length;
    size_t source_position;
    uint32_t bit_buffer;
    int32_t bit_count;
    uint8_t* destination;
    size_t destination_size;
    size_t destination_position;
};

// Canonical Huffman code: counts per length, then the used symbols ordered by
// length and by value within a length.
struct huffman {
    uint16_t counts[max_bits + 1];
    uint16_t symbols[max_literals];
};

constexpr uint16_t length_base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t length_extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t distance_base[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t distance_extra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the lengths of the code-length code.
constexpr uint8_t length_order[code_length_codes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                     11, 4,  12, 3, 13, 2, 14, 1, 15};

// Takes the next `n` bits (n <= 16), first bit least significant. False when
// the input ends first.
inline bool take_bits(state& s, int n, uint32_t& value) {
    while (s.bit_count < n) {
        if (s.source_position == s.source_length) return false;
        s.bit_buffer |= uint32_t(s.source[s.source_position++]) << s.bit_count;
        s.bit_count += 8;
    }
    value = s.bit_buffer & ((1u << n) - 1);
    s.bit_buffer >>= n;
    s.bit_count -= n;
    return true;
}

// One Huffman-coded symbol, or -1 when the input ends or no code of up to 15
// bits matches (an incomplete code leaves some patterns unassigned).
int decode(state& s, const huffman& h) {
    int code = 0;
    int first = 0;
    int index = 0;
    for (int length = 1; length <= max_bits; ++length) {
        if (s.bit_count == 0) {
            if (s.source_position == s.source_length) return -1;
            s.bit_buffer = s.source[s.source_position++];
            s.bit_count = 8;
        }
        code |= int(s.bit_buffer & 1);
        s.bit_buffer >>= 1;
        --s.bit_count;
        const int count = h.counts[length];
        if (code - count < first) return h.symbols[index + (code - first)];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

// Builds a code from `count` lengths (0 = unused symbol). Result 0 when the
// lengths are over-subscribed; incomplete codes are accepted.
int build_codes(huffman& h, const uint16_t* lengths, int count) {
    for (auto& c : h.counts) c = 0;
    for (int symbol = 0; symbol < count; ++symbol) ++h.counts[lengths[symbol]];
    int left = 1;
    for (int length = 1; length <= max_bits; ++length) {
        left = left * 2 - h.counts[length];
        if (left < 0) return 0;
    }
    uint16_t offsets[max_bits + 1];
    offsets[1] = 0;
    for (int length = 1; length < max_bits; ++length)
        offsets[length + 1] = uint16_t(offsets[length] + h.counts[length]);
    for (int symbol = 0; symbol < count; ++symbol)
        if (lengths[symbol] != 0) h.symbols[offsets[lengths[symbol]]++] = uint16_t(symbol);
    return 1;
}

// Decodes one block's symbols. Result 1 at the end-of-block symbol, 0 on any
// fault.
int copy_symbols(state& s, const huffman& literals, const huffman& distances) {
    for (;;) {
        const int symbol = decode(s, literals);
        if (symbol < 0) return 0;
        if (symbol < 256) {
            if (s.destination_position == s.destination_size) return 0;
            s.destination[s.destination_position++] = uint8_t(symbol);
            continue;
        }
        if (symbol == 256) return 1;
        if (symbol > 285) return 0;  // 286 and 287 exist only in the fixed code

        uint32_t extra = 0;
        const int length_symbol = symbol - 257;
        if (!take_bits(s, length_extra[length_symbol], extra)) return 0;
        const size_t length = length_base[length_symbol] + extra;

        const int distance_symbol = decode(s, distances);
        if (distance_symbol < 0 || distance_symbol > 29) return 0;
        if (!take_bits(s, distance_extra[distance_symbol], extra)) return 0;
        const size_t distance = distance_base[distance_symbol] + extra;

        if (distance > s.destination_position) return 0;
        if (length > s.destination_size - s.destination_position) return 0;
        uint8_t* to = s.destination + s.destination_position;
        const uint8_t* from = to - distance;
        if (distance >= length) {
            std::memcpy(to, from, length);
        } else {
            // Overlapping copy: a distance shorter than the length repeats the
            // last `distance` bytes, so it must go byte by byte.
            for (size_t i = 0; i < length; ++i) to[i] = from[i];
        }
        s.destination_position += length;
    }
}

int stored_block(state& s) {
    // A stored block starts on a byte boundary: drop the rest of this byte.
    s.bit_buffer = 0;
    s.bit_count = 0;
    if (s.source_length - s.source_position < 4) return 0;
    const uint8_t* p = s.source + s.source_position;
    const unsigned length = unsigned(p[0]) | unsigned(p[1]) << 8;
    const unsigned complement = unsigned(p[2]) | unsigned(p[3]) << 8;
    if ((length ^ complement) != 0xFFFF) return 0;
    s.source_position += 4;
    if (s.source_length - s.source_position < length) return 0;
    if (s.destination_size - s.destination_position < length) return 0;
    if (length != 0) {
        std::memcpy(s.destination + s.destination_position, s.source + s.source_position, length);
    }
    s.source_position += length;
    s.destination_position += length;
    return 1;
}

struct fixed_tables {
    huffman literals;
    huffman distances;
};

fixed_tables build_fixed() {
    fixed_tables t{};
    uint16_t lengths[max_literals];
    int symbol = 0;
    for (; symbol < 144; ++symbol) lengths[symbol] = 8;
    for (; symbol < 256; ++symbol) lengths[symbol] = 9;
    for (; symbol < 280; ++symbol) lengths[symbol] = 7;
    for (; symbol < max_literals; ++symbol) lengths[symbol] = 8;
    build_codes(t.literals, lengths, max_literals);
    // Only 30 of the 32 five-bit patterns carry a distance: 30 and 31 decode
    // to nothing.
    for (symbol = 0; symbol < max_distances; ++symbol) lengths[symbol] = 5;
    build_codes(t.distances, lengths, max_distances);
    return t;
}

int fixed_block(state& s) {
    static const fixed_tables fixed = build_fixed();  // built on the first fixed block
    return copy_symbols(s, fixed.literals, fixed.distances);
}

int dynamic_block(state& s) {
    uint32_t literal_count = 0;
    uint32_t distance_count = 0;
    uint32_t code_length_count = 0;
    if (!take_bits(s, 5, literal_count) || !take_bits(s, 5, distance_count) ||
        !take_bits(s, 4, code_length_count))
        return 0;
    literal_count += 257;
    distance_count += 1;
    code_length_count += 4;
    if (literal_count > max_dynamic_literals || distance_count > max_distances) return 0;

    uint16_t lengths[max_dynamic_literals + max_distances] = {};
    for (uint32_t i = 0; i < code_length_count; ++i) {
        uint32_t length = 0;
        if (!take_bits(s, 3, length)) return 0;
        lengths[length_order[i]] = uint16_t(length);
    }
    huffman lengths_code;
    if (!build_codes(lengths_code, lengths, code_length_codes)) return 0;

    const uint32_t total = literal_count + distance_count;
    uint32_t index = 0;
    while (index < total) {
        const int symbol = decode(s, lengths_code);
        if (symbol < 0) return 0;
        if (symbol < 16) {
            lengths[index++] = uint16_t(symbol);
            continue;
        }
        uint16_t length = 0;
        uint32_t repeat = 0;
        if (symbol == 16) {
            if (index == 0) return 0;  // nothing to repeat yet
            length = lengths[index - 1];
            if (!take_bits(s, 2, repeat)) return 0;
            repeat += 3;
        } else if (symbol == 17) {
            if (!take_bits(s, 3, repeat)) return 0;
            repeat += 3;
        } else {
            if (!take_bits(s, 7, repeat)) return 0;
            repeat += 11;
        }
        if (index + repeat > total) return 0;
        while (repeat-- > 0) lengths[index++] = length;
    }
    if (lengths[256] == 0) return 0;  // no way to end the block

    huffman literals;
    huffman distances;
    if (!build_codes(literals, lengths, int(literal_count))) return 0;
    if (!build_codes(distances, lengths + literal_count, int(distance_count))) return 0;
    return copy_symbols(s, literals, distances);
}

}  // namespace

int inflate_raw(const uint8_t* source, size_t source_length, uint8_t* destination, size_t destination_size) {
    state s{source, source_length, 0, 0, 0, destination, destination_size, 0};
    for (;;) {
        uint32_t last = 0;
        uint32_t type = 0;
        if (!take_bits(s, 1, last) || !take_bits(s, 2, type)) return 0;
        int ok = 0;
        switch (type) {
        case 0: ok = stored_block(s); break;
        case 1: ok = fixed_block(s); break;
        case 2: ok = dynamic_block(s); break;
        default: return 0;
        }
        if (!ok) return 0;
        if (last) return s.destination_position == s.destination_size ? 1 : 0;
    }
}
