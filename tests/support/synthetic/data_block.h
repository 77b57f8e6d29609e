#pragma once
// What the files of the synthetic set plant their own tables with: a cursor
// through a block of free bytes, sprite parts and their pictures, frame
// definitions with their hit boxes, animation scripts, palettes and object
// lists.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/synthetic_rom.h"

namespace synthetic {

// The flags of an ordinary spawn record: it spawns for 1 to 4 players
// (bits 1-4).
inline constexpr uint8_t kAnyPlayerCount = 0x1E;

// A cursor through our own data: each table takes the next free bytes.
// `name` says whose data it is, for the error when a table runs past `end`.
class block {
public:
    block(rom_builder& rom, uint32_t start, uint32_t end, const char* name)
        : rom_(rom), at_(start), end_(end), name_(name) {}
    uint32_t here() const { return at_; }
    rom_builder& rom() { return rom_; }
    // Little-endian values of one width, one after the other, from the next
    // free byte whatever its alignment (tables read a byte at a time, or
    // words after an odd count byte).
    template <typename T>
    uint32_t packed(std::initializer_list<T> data, const char* what) {
        const uint32_t start = take(uint32_t(sizeof(T) * data.size()));
        uint32_t a = start;
        for (T v : data) {
            if constexpr (sizeof(T) == 1) rom_.put8(a, static_cast<uint8_t>(v), what);
            if constexpr (sizeof(T) == 2) rom_.put16(a, static_cast<uint16_t>(v), what);
            if constexpr (sizeof(T) == 4) rom_.put32(a, static_cast<uint32_t>(v), what);
            a += sizeof(T);
        }
        return start;
    }
    uint32_t bytes(std::initializer_list<uint8_t> data, const char* what) {
        const uint32_t start = take(uint32_t(data.size()));
        uint32_t a = start;
        for (uint8_t v : data) rom_.put8(a++, v, what);
        return start;
    }
    uint32_t words(std::initializer_list<uint16_t> data, const char* what) {
        align(2);
        const uint32_t start = take(2 * uint32_t(data.size()));
        uint32_t a = start;
        for (uint16_t v : data) rom_.put16(a, v, what), a += 2;
        return start;
    }
    uint32_t longs(std::initializer_list<uint32_t> data, const char* what) {
        align(4);
        const uint32_t start = take(4 * uint32_t(data.size()));
        uint32_t a = start;
        for (uint32_t v : data) rom_.put32(a, v, what), a += 4;
        return start;
    }
    uint32_t text(const char* s, const char* what) {
        const uint32_t start = at_;
        const std::string_view v(s);
        take(uint32_t(v.size()) + 1);
        rom_.put_text(start, v, what);
        return start;
    }
    uint32_t take(uint32_t n) {
        const uint32_t start = at_;
        at_ += n;
        if (at_ > end_) throw std::logic_error(std::string(name_) + " data runs past its block");
        return start;
    }
    void align(uint32_t n) { at_ = (at_ + n - 1) / n * n; }

private:
    rom_builder& rom_;
    uint32_t at_, end_;
    const char* name_;
};

// A sprite part of `width` x `height` pixels (width a multiple of 8) from
// the 4-bit picture at sprite ROM byte `pixels`, anchored at its bottom
// centre, in the colour group `colour`.
inline std::array<uint16_t, 8> part(uint32_t pixels, uint16_t width, uint16_t height, uint16_t colour) {
    const uint32_t word = pixels / 4;
    const uint16_t address_high = static_cast<uint16_t>(((word >> 16) & 0xF) << 12);
    const uint16_t bank = (word >> 20) & 1 ? 0x0800 : 0;
    return {0x0004,
            static_cast<uint16_t>((height << 8) | ((width / 8) << 1)),
            static_cast<uint16_t>(address_high | height),
            static_cast<uint16_t>(bank | width),
            0,
            0,
            static_cast<uint16_t>(word & 0xFFFF),
            colour};
}

// One 16 x 16 sprite picture, 4 bits a pixel, at this 32-bit word address of
// the sprite graphics (bank 0), planted with the attract data.
inline constexpr uint16_t kSpriteWord = 0xF000;

// A part of that picture in the layout of a draw entry: 16 x 16 pixels
// anchored at its centre, offset (dx, dy) from the object's screen position,
// colours 0-15 of the sprites' palette bank.
inline std::array<uint16_t, 8> picture_part(int16_t dx, int16_t dy) {
    return {0x0000,
            0x1004,  // 16 rows of 2 words (16 pixels)
            16,      // destination height
            16,      // destination width
            static_cast<uint16_t>(dy),
            static_cast<uint16_t>(dx),
            kSpriteWord,
            0x0000};
}

// A frame definition of parts of that picture, for an object nothing
// hit-tests (no hit-box list follows): a part count, then a part at (x, dy)
// for each x in `dx`. Returns its size.
inline uint32_t put_picture_frame(rom_builder& rom, uint32_t a, const std::vector<int16_t>& dx, int16_t dy,
                                  const char* what) {
    rom.put8(a, static_cast<uint8_t>(dx.size()), what);
    uint32_t e = a + 1;
    for (int16_t x : dx)
        for (uint16_t w : picture_part(x, dy)) rom.put16(e, w, what), e += 2;
    return e - a;
}

// A picture for `part`: rows of `pen`, the top quarter in `head`.
inline void put_picture(rom_builder& rom, uint32_t pixels, uint16_t width, uint16_t height, uint8_t pen,
                        uint8_t head) {
    for (uint16_t y = 0; y < height; ++y) {
        const uint8_t p = y < height / 4 ? head : pen;
        for (uint16_t x = 0; x < width / 2; ++x)
            rom.sprite8(pixels + y * (width / 2) + x, uint8_t(p << 4 | p));
    }
}

// A hit box: start and size along the horizontal axis, then along the
// vertical (or depth) axis.
struct box {
    int8_t start_a;
    uint8_t size_a;
    int8_t start_c;
    uint8_t size_c;
};

inline void put_box(rom_builder& rom, uint32_t a, const box& x, const char* what) {
    rom.put8(a, static_cast<uint8_t>(x.start_a), what);
    rom.put8(a + 1, x.size_a, what);
    rom.put8(a + 2, static_cast<uint8_t>(x.start_c), what);
    rom.put8(a + 3, x.size_c, what);
}

// A frame definition: one part, then its hit-box list. Returns its size.
inline uint32_t put_frame(rom_builder& rom, uint32_t a, const std::array<uint16_t, 8>& p,
                          const std::vector<box>& boxes, const char* what) {
    rom.put8(a, 1, what);
    for (int w = 0; w < 8; ++w) rom.put16(a + 1 + 2 * w, p[w], what);
    uint32_t b = a + 17;
    rom.put8(b++, static_cast<uint8_t>(boxes.size()), what);
    for (const box& x : boxes) put_box(rom, b, x, what), b += 4;
    return b - a;
}

// The same in the block's next free bytes; returns its address.
inline uint32_t put_frame(block& b, const std::array<uint16_t, 8>& p, const std::vector<box>& boxes,
                          const char* what) {
    const uint32_t a = b.take(1 + 16 + 1 + 4 * static_cast<uint32_t>(boxes.size()));
    put_frame(b.rom(), a, p, boxes, what);
    return a;
}

// The same in the block's next free bytes; returns its address.
inline uint32_t put_picture_frame(block& b, const std::vector<int16_t>& dx, int16_t dy, const char* what) {
    const uint32_t a = b.take(1 + 16 * static_cast<uint32_t>(dx.size()));
    put_picture_frame(b.rom(), a, dx, dy, what);
    return a;
}

// An animation script: its duration byte, an offset word per frame (each
// frame after its entry; entry 0 is read unsigned, the others signed), then
// the `tail` words (the end word: -1 stop, -2 from the start again).
// Returns its size.
inline uint32_t put_tailed_script(rom_builder& rom, uint32_t a, uint8_t duration,
                                  const std::vector<uint32_t>& frames, std::initializer_list<int16_t> tail,
                                  const char* what) {
    rom.put8(a, duration, what);
    uint32_t e = a + 1;
    for (uint32_t f : frames) {
        if (f <= e || f - e > (e == a + 1 ? 0xFFFFu : 0x7FFFu))
            throw std::logic_error(std::string(what) + ": frame out of reach");
        rom.put16(e, static_cast<uint16_t>(f - e), what);
        e += 2;
    }
    for (int16_t code : tail) rom.put16(e, static_cast<uint16_t>(code), what), e += 2;
    return e - a;
}

inline uint32_t put_script(rom_builder& rom, uint32_t a, uint8_t duration,
                           const std::vector<uint32_t>& frames, int16_t end, const char* what) {
    return put_tailed_script(rom, a, duration, frames, {end}, what);
}

// The same in the block's next free bytes; returns its address.
inline uint32_t put_script(block& b, uint8_t duration, const std::vector<uint32_t>& frames, int16_t end,
                           const char* what) {
    const uint32_t a = b.take(1 + 2 * static_cast<uint32_t>(frames.size()) + 2);
    put_script(b.rom(), a, duration, frames, end, what);
    return a;
}

// A script with no end word, for frames its animation never runs past.
inline uint32_t put_open_script(rom_builder& rom, uint32_t a, uint8_t duration,
                                const std::vector<uint32_t>& frames, const char* what) {
    return put_tailed_script(rom, a, duration, frames, {}, what);
}

// A palette block: byte offset into palette RAM, count, then colours made
// from `seed`.
inline void put_palette(rom_builder& rom, uint32_t a, uint16_t offset, uint16_t count, uint16_t seed,
                        const char* what) {
    rom.put16(a, offset, what);
    rom.put16(a + 2, count, what);
    for (uint16_t i = 0; i < count; ++i)
        rom.put16(a + 4 + 2u * i, static_cast<uint16_t>(seed * (i + 1) * 0x0421u & 0x7FFF), what);
}

// The same in the block's next free bytes; returns its address.
inline uint32_t put_palette(block& b, uint16_t offset, uint16_t count, uint16_t seed, const char* what) {
    const uint32_t a = b.take(4 + 2u * count);
    put_palette(b.rom(), a, offset, count, seed, what);
    return a;
}

// An object list: the routines of the 256-byte, 128-byte and 64-byte
// objects, each group after its count byte.
inline uint32_t put_object_list(block& b, std::initializer_list<uint32_t> big,
                                std::initializer_list<uint32_t> mid, std::initializer_list<uint32_t> small,
                                const char* what) {
    const uint32_t start = b.here();
    for (auto group : {big, mid, small}) {
        b.bytes({static_cast<uint8_t>(group.size())}, what);
        b.packed(group, what);
    }
    return start;
}

}  // namespace synthetic
