// Fixed tables of the FM engine.
#pragma once

#include <array>
#include <cstdint>

namespace orbfm {

// Quarter-wave log-sine: round(-log2(sin((2i + 1) π / 1024)) × 256).
extern const std::array<uint16_t, 256> kLogSin;
// Exponent: round(1024 × 2^((255 - j) / 256)).
extern const std::array<uint16_t, 256> kExp;

}  // namespace orbfm
