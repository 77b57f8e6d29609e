// Synthetic ROM data: the player's moves, played by the attract cycle's
// second demo (demo number 1) on stage 1 area 1 with the second character.
//
// The first demo walks, punches and once throws the enemy it grabs (the
// first character's grab animation and throw are planted here too); no
// control script can press button 2 (jump), so the second demo's recorded
// inputs carry the moves a player would make: a jump, a jump attack while
// rising, the air special at the top of a jump (the second character's is
// the arc), a grab of the enemy in reach and a throw, and, while an enemy
// holds the player, the struggle that shortens the hold. Only a run that
// plays through the attract cycle twice reaches this demo (the attract run
// ends during the first).
#include <cmath>
#include <cstdint>
#include <vector>

#include "game/actors/tables.h"
#include "game/flow/tables.h"
#include "tests/support/synthetic/data_block.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

constexpr uint32_t kStreamWords = 1400;  // the demo's 1,200 frames and its fades

// Input bits of player 1 (the low byte of each stream word; down 0x01 and up
// 0x02 are not held in the demo).
constexpr uint32_t kRight = 0x04, kLeft = 0x08, kButton1 = 0x10, kButton2 = 0x20;

// Stream frames [from, to) with these bits held.
struct span {
    uint32_t from, to, bits;
};

// The recorded inputs, by stream frame (0 = the demo's first frame).
const std::vector<span> kMoves = {
    {20, 21, kButton2},  // a jump
    {80, 81, kButton2},
    {84, 85, kButton1},  // a jump attack while rising
    {140, 141, kButton2},
    {160, 161, kButton1},  // a jump, button 1 at its top: the arc
    {260, 340, kRight},    // to the enemy
    {340, 341, kButton1},
    {350, 351, kButton1},  // a blow, the grab
    {360, 361, kButton1},  // the throw
    // Held (from stream frame 420): struggling, a new direction every
    // other frame.
    {430, 431, kLeft},
    {432, 433, kRight},
    {434, 435, kLeft},
    {436, 437, kRight},
    {438, 439, kLeft},
    {440, 441, kRight},
    {442, 443, kLeft},
    {444, 445, kRight},
    {446, 447, kLeft},
    {448, 449, kRight},
    {450, 451, kLeft},
    {452, 453, kRight},
    {454, 455, kLeft},
    {456, 457, kRight},
    {458, 459, kLeft},
    {460, 461, kRight},
    {462, 463, kLeft},
    {464, 465, kRight},
    {466, 467, kLeft},
    {468, 469, kRight},
};

// Angles of the arc special (1,024 to a turn; the sine table has 1,280
// entries, the cosine being the sine a quarter turn on) and its radius.
// The second character plays the demo (the demo's character row).
constexpr uint32_t kCharacter = 1;
constexpr uint32_t kGrabScript = 0x13F800;  // its grab animation, then the frame
constexpr uint16_t kArcStart = 0x100, kArcEnd = 0x2C0, kArcRadius = 256;

}  // namespace

void plant_moves(rom_builder& rom) {
    for (uint32_t f = 0; f < kStreamWords; ++f) {
        uint32_t bits = 0;
        for (const span& s : kMoves)
            if (f >= s.from && f < s.to) bits |= s.bits;
        rom.put32(kSecondDemoStream + 4 * f, bits, "second demo input stream");
    }
    // The grab of the second character: six steps of 4 frames, then stopped
    // (the throw strikes at step 3), each showing one 16 x 16 figure frame
    // with its body box, as the play data's figures.
    constexpr uint8_t kSteps = 6;
    const uint32_t frame = kGrabScript + 1 + 2 * kSteps + 2;
    put_script(rom, kGrabScript, 4, std::vector<uint32_t>(kSteps, frame), -1, "grab animation");
    put_frame(rom, frame, {0x0000, 0x1004, 16, 16, static_cast<uint16_t>(-16), 0, 0x0000, 0x0010},
              {{-8, 16, -4, 8}}, "grab frame");
    // Every character grabs and throws the same way: strength 16, costing 4
    // energy (the second in the moves demo, the first in the other runs of
    // play; the third and fourth as anyone playing the set picks them).
    for (uint32_t c = 0; c < 4; ++c) {
        rom.put32(rom::grab_anim + 4 * c, kGrabScript, "player grab animations");
        rom.put16(rom::throw_strength + 2 * c, 16, "throw strengths");
        rom.put8(rom::throw_cost + c, 4, "throw energy costs");
    }
    // The jump attack and the second character's air special cost 2 and 6.
    rom.put8(rom::jump_attack_cost + kCharacter, 2, "jump attack energy cost: second character");
    rom.put8(rom::air_special_cost + kCharacter, 6, "air special energy cost: second character");
    // The second character's air special is the arc (state 35); it launches
    // no object.
    rom.put8(rom::top_state + kCharacter, 35, "state of button 1 at the top of a jump: second character");
    rom.put16(rom::arc_start, kArcStart, "arc special: start angle");
    rom.put16(rom::arc_end, kArcEnd, "arc special: end angle");
    rom.put16(rom::arc_radius, kArcRadius, "arc special: radius");
    rom.put32(rom::arc_object + 4 * kCharacter, 0,
              "arc special: launched routine of the second character (none)");
    // Sine in 1.14 fixed point, a turn of 1,024 steps. The one table serves
    // the arc special here and the path scripts' waves and directions of the
    // pickups' area (pickups.cpp), which plants no table of its own.
    for (uint32_t i = 0; i < 1280; ++i)
        rom.put16(
            rom::wave_table + 2 * i,
            static_cast<uint16_t>(static_cast<int16_t>(std::lround(16384.0 * std::sin(i * M_PI / 512.0)))),
            "sine table: the arc special's angles and the path scripts' waves");
}

}  // namespace synthetic
