// Synthetic ROM data: the sound board's program.
#include "tests/sound/sound_program.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

// The small test sound program (PCM square waves on eight channels, one FM
// note on both chips, FM timer A as its interrupt), with a handler of its own
// that follows the game: on every timer tick it sets the FM note's pitch on
// chip 0 from the last command byte of ring A (shared RAM 0x700000, Z80
// 0xE000) and on chip 1 from ring B (0x700010, Z80 0xE010), so the sound
// heard depends on the commands the game sends. While ring A's last command
// is kRaiseCommand, every tick also raises the main processor's sound
// interrupt (an OUT to port 0xC4). The test costs the same 36 cycles whatever
// the command (three turns of the idle loop's 12), so after any other command
// the idle loop meets the next tick at the same cycle as it would without it.
void plant_sound(rom_builder& rom) {
    z80_asm p = sound_program();
    p.org(0x0100).db({0x80, 0x02});  // vector 0 -> 0280
    p.org(0x0280).db({
        0xF5,                                                     // PUSH AF
        0x3E, 0x27, 0xD3, 0x80, 0x3E,          0x15, 0xD3, 0x81,  // reset flag A, keep it running
        0x3E, 0xA4, 0xD3, 0x80, 0xD3,          0x90,              // frequency high byte, both chips
        0x3E, 0x22, 0xD3, 0x81, 0xD3,          0x91,              // block 4
        0x3E, 0xA0, 0xD3, 0x80, 0xD3,          0x90,              // frequency low byte ...
        0x3A, 0x00, 0xE0, 0xD3, 0x81,                             // ... chip 0 from ring A
        0x3A, 0x10, 0xE0, 0xD3, 0x91,                             // ... chip 1 from ring B
        0x3A, 0x00, 0xE0, 0xFE, kRaiseCommand,                    // ring A's command the raising one?
        0x20, 0x02, 0xD3, 0xC4,                                   // JR NZ / OUT (C4),A: raise it
        0x00,                                                     // NOP
        0xF1, 0xFB, 0xED, 0x4D,                                   // POP AF / EI / RETI
    });
    std::vector<uint8_t> image(0x10000, 0);
    p.load(image.data());
    rom.sound_bytes(0, std::span<const uint8_t>(image.data(), 0xA000));
}

}  // namespace synthetic
