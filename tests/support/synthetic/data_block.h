#pragma once
// What the files of the synthetic set plant their own tables with: a cursor
// through a block of free bytes, sprite parts and their pictures, frame
// definitions with their hit boxes, and animation scripts.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/synthetic_rom.h"

namespace synthetic {

// A cursor through our own data: each table takes the next free bytes.
// `name` says whose data it is, for the error when a table runs past `end`.
class block {
 public:
  block(rom_builder& rom, uint32_t start, uint32_t end, const char* name)
      : rom_(rom), at_(start), end_(end), name_(name) {}
  uint32_t here() const { return at_; }
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

// A picture for `part`: rows of `pen`, the top quarter in `head`.
inline void put_picture(rom_builder& rom, uint32_t pixels, uint16_t width, uint16_t height, uint8_t pen,
                        uint8_t head) {
  for (uint16_t y = 0; y < height; ++y) {
    const uint8_t p = y < height / 4 ? head : pen;
    for (uint16_t x = 0; x < width / 2; ++x) rom.sprite8(pixels + y * (width / 2) + x, uint8_t(p << 4 | p));
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

// An animation script: its duration byte, an offset word per frame (each
// frame after the script), then the end word (-1 stop, -2 from the start
// again). Returns its size.
inline uint32_t put_script(rom_builder& rom, uint32_t a, uint8_t duration, const std::vector<uint32_t>& frames,
                           int16_t end, const char* what) {
  rom.put8(a, duration, what);
  uint32_t e = a + 1;
  for (uint32_t f : frames) {
    if (f <= e || f - e > 0x7FFF) throw std::logic_error(std::string(what) + ": frame out of reach");
    rom.put16(e, static_cast<uint16_t>(f - e), what);
    e += 2;
  }
  rom.put16(e, static_cast<uint16_t>(end), what);
  return e + 2 - a;
}

}  // namespace synthetic
