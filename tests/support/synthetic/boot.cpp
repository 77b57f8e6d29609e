// Synthetic ROM data: what start-up reads before the first frame.
#include "game/engine/tables.h"
#include "game/routines.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

// Interrupt vector numbers we give the controller's five sources; the
// vector of number n lies at SBR (rom::vector_base) + 0x100 + 4n.
constexpr uint8_t kVectorBase = 0x40;
constexpr uint32_t kHandlers[5] = {
    entry::int_vblank_start,  // vblank start
    entry::int_vblank_end,    // vblank end
    entry::int_sound,         // sound board
    entry::int_timer0,        // timer 0
    entry::int_timer1,        // timer 1
};

}  // namespace

void plant_boot(rom_builder& rom) {
    // Interrupt controller set-up copied by reset: five vector bytes, an unused
    // byte, the mask (nothing masked), the pending byte, timer 0's count (50
    // counts, re-armed by its handler) and timer 1's count (off until the main
    // loop starts it).
    for (uint8_t n = 0; n < 5; ++n) rom.put8(0x060098 + n, uint8_t(kVectorBase + n), "interrupt vectors");
    rom.put16(0x0600A0, 50, "timer 0 count");
    // Vector table: one handler per source.
    for (uint32_t n = 0; n < 5; ++n)
        rom.put32(rom::vector_base + 0x100 + 4 * (kVectorBase + n), kHandlers[n], "vector table");
}

}  // namespace synthetic
