// Synthetic ROM data: what the run-ending paths need that no other area plants.
#include <array>
#include <cstdint>

#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// The launched kinds' type routines.
constexpr uint32_t kCarried = 0x07807D, kBeam = 0x077D29, kSweep = 0x078179, kWave = 0x07820E;

// What the carried box (the first character's) and the wave (the fourth's)
// read in their first run.
constexpr uint32_t kAimedStrengths = 0x078EAF;   // u8 by character
constexpr uint32_t kPlacedStrengths = 0x078EB3;  // u8 by character
constexpr uint32_t kPlacedOffsets = 0x078600;    // s16 x, s16 height by character
constexpr uint32_t kCarriedBox = 0x078BC0;       // bytes: x start, size, depth start, size
constexpr uint32_t kCarriedMirror = 0x078BC4;    // u8 by direction code
constexpr uint32_t kCarriedOffsets = 0x078C24;   // s16 x, s16 y by direction code
constexpr uint32_t kCarriedAnimation = 0x12DCDF;
constexpr uint32_t kWaveBox = 0x077B74;          // bytes: x start, size, vertical start, size
constexpr uint32_t kWaveAnimation = 0x0929E3;
constexpr uint32_t kSparkPixels = 0x7E2000;      // the enemies' hit spark picture, 16 x 16

// Both kinds hit what stands 100 units (25 pixels) ahead of their player,
// where the stalker of stage 1 area 1 stands beside it.
constexpr int16_t kReach = 100;
constexpr uint8_t kStrength = 4;

// A one-frame looping animation at `script`, its frame right after it: the
// hit spark's picture, no body box of its own.
void put_one_frame_animation(rom_builder& rom, uint32_t script, const char* what) {
  const uint32_t frame = script + 5;
  put_script(rom, script, 8, {frame}, -2, what);
  put_frame(rom, frame, part(kSparkPixels, 16, 16, 0x0120), {{0, 1, 0, 1}}, what);
}

}  // namespace

void plant_endings(rom_builder& rom) {
  // Attack-object type routines (32-bit by object type): the kinds the player
  // controller launches are types 4-7 (character + 4): the first
  // character's the carried box, the second's the beam, the third's the
  // sweep, the fourth's the wave; each lives on after its first run.
  const std::array<uint32_t, 4> kinds = {kCarried, kBeam, kSweep, kWave};
  for (uint32_t type = 4; type < 8; ++type)
    rom.put32(0x07859C + 4 * type, kinds[type - 4], "attack-object type routines, the launched kinds");

  // The carried box: 16 x 16 pixels on the ground plane, kReach ahead of its
  // player by direction code (codes 0-15 facing greater x, 16-31 smaller x;
  // the ground states' codes), hitting with strength kStrength.
  rom.put8(kAimedStrengths + 0, kStrength, "aimed attack strength: first character");
  put_box(rom, kCarriedBox, {-8, 16, -8, 16}, "carried attack box");
  for (uint32_t code = 0; code < 32; ++code) {
    const bool ahead_right = code < 16;
    rom.put8(kCarriedMirror + code, ahead_right ? 1 : 0, "carried attack mirror by direction code");
    rom.put16(kCarriedOffsets + 4 * code, static_cast<uint16_t>(ahead_right ? kReach : -kReach),
              "carried attack offsets by direction code");
    rom.put16(kCarriedOffsets + 4 * code + 2, 0, "carried attack offsets by direction code");
  }
  put_one_frame_animation(rom, kCarriedAnimation, "carried attack animation");

  // The wave: placed kReach ahead of its player (the offset is negated for
  // a player facing greater x, whose mirror bit is set), on the ground (the
  // height offset makes up for the player's launch offset word +104, -16,
  // which counts 4 times), hitting with strength kStrength; its fixed box a
  // small one at its foot.
  rom.put8(kPlacedStrengths + 3, kStrength, "placed attack strength: fourth character");
  rom.put16(kPlacedOffsets + 4 * 3, static_cast<uint16_t>(-kReach), "placed attack offsets: fourth character");
  rom.put16(kPlacedOffsets + 4 * 3 + 2, 64, "placed attack offsets: fourth character");
  put_box(rom, kWaveBox, {-2, 4, -4, 4}, "wave attack box");
  put_one_frame_animation(rom, kWaveAnimation, "wave attack animation");
}

}  // namespace synthetic
