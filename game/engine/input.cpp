// Input sampling: the system inputs in the vblank handler, the player inputs
// once a frame (and the attract demo's recorded ones), each shifted through a
// block of samples with pressed and released edges. The ports are active low,
// the blocks active high.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "game/hardware.h"
#include "game/engine/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// A player byte from its active-low port: directions (port bits 4-7) to bits
// 0-3, buttons (port bits 0-1) to bits 4-5, the start to bit 6.
uint32_t player_byte(uint8_t port, uint8_t start_pressed) {
    const uint32_t held = static_cast<uint8_t>(~port);
    return (held >> 4) | (held & 3) << 4 | (start_pressed & 1u) << 6;
}

}  // namespace

// System inputs: service, test, coins and starts into 0x208110 with the
// previous byte and both edges. Bits 0 and 1 also take the DIP port's bits 4
// and 5; bits 6 and 7 are the coins of the second group.
void sub_060480() {
    ROUTINE_ENTRY(0x060480);
    const uint8_t system = static_cast<uint8_t>(~orb_read8(hw::system_port));
    const uint8_t dip = static_cast<uint8_t>(~orb_read8(hw::port_f));
    const uint8_t group = static_cast<uint8_t>(~orb_read8(hw::start34_port));
    const uint8_t now = static_cast<uint8_t>((system & 0x3F) | ((dip >> 4) & 3) | ((group << 4) & 0xC0));
    const uint32_t block = var::system_inputs;
    const uint8_t old = orb_read8(block);
    orb_write8(block, now);
    orb_write8(block + 1, old);
    orb_write8(block + 2, logic<uint8_t>(now & ~old));
    orb_write8(block + 3, logic<uint8_t>(old & ~now));
    ret();
}

// Player inputs: in demo play the recorded stream's next word goes through
// the demo block first; then the four player bytes from the ports, absent
// players masked off by the player-count setting, through the live block.
void sub_0604CF() {
    ROUTINE_ENTRY(0x0604CF);
    if (test_bit(var::game_flags, game_flag::demo_play)) {
        const uint32_t stream = orb_read32(var::demo_input_pointer);
        cpu.reg[0] = orb_read32(stream);
        orb_write32(var::demo_input_pointer, stream + 4);
        cpu.reg[3] = var::demo_inputs;
        if (!call(sub_06057A, 0x0604EF, 0x0604EC)) return;
    }
    const uint8_t p3 = orb_read8(hw::player3_port);
    const uint8_t p4 = orb_read8(hw::player4_port);
    const uint8_t starts34 = static_cast<uint8_t>(~orb_read8(hw::start34_port));
    const uint8_t p1 = orb_read8(hw::player1_port);
    const uint8_t p2 = orb_read8(hw::player2_port);
    const uint8_t starts12 = static_cast<uint8_t>(~orb_read8(hw::system_port));
    cpu.reg[0] = player_byte(p1, starts12 >> 4) | player_byte(p2, starts12 >> 5) << 8 |
                 player_byte(p3, starts34) << 16 | player_byte(p4, starts34 >> 1) << 24;
    const uint32_t players = orb_read8(var::backup_image + backup_record::player_count);
    cpu.reg[0] = logic<uint32_t>(cpu.reg[0] & orb_read32(rom::player_masks + 4 * players));
    cpu.reg[3] = var::player_inputs;
    sub_06057A();
}

// Shifts a new sample through an input block: the newest word moves to
// current, current to previous, and the edges follow from those two; the mask
// word loses the bits of the sample that was newest until now.
// In: R0 = the sample, R3 = the block. Out: R0 = NOT the new current word,
// R1 = pressed, R2 = released.
void sub_06057A() {
    ROUTINE_ENTRY(0x06057A);
    const uint32_t block = cpu.reg[3];
    cpu.reg[1] = orb_read32(block + input_block::newest);
    orb_write32(block + input_block::newest, cpu.reg[0]);
    cpu.reg[0] = logic<uint32_t>(~cpu.reg[1]);
    orb_write32(block + input_block::mask,
                logic<uint32_t>(orb_read32(block + input_block::mask) & cpu.reg[0]));
    cpu.reg[2] = orb_read32(block + input_block::current);
    orb_write32(block + input_block::current, cpu.reg[1]);
    orb_write32(block + input_block::previous, cpu.reg[2]);
    const uint32_t current = cpu.reg[1], previous = cpu.reg[2];
    cpu.reg[1] = logic<uint32_t>(current & ~previous);
    cpu.reg[2] = logic<uint32_t>(previous & cpu.reg[0]);
    orb_write32(block + input_block::pressed, cpu.reg[1]);
    orb_write32(block + input_block::released, cpu.reg[2]);
    ret();
}
