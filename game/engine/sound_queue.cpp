// Sound command queues: two rings of 32 one-byte codes that game code fills
// and the vblank handler empties, one code per ring per frame, into the RAM
// shared with the sound board. During the attract demo the codes pass a ROM
// bitmap and the attract-sound setting.
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "game/hardware.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint8_t kAlwaysHeard = 0xA5;  // passes ring A's demo filter unconditionally
constexpr unsigned kSoundEnable = 3;    // port D bit: the sound board's output

// The demo filter: true when the code may be queued.
bool demo_allows(uint32_t bitmap, uint8_t code) {
    if (!test_bit(var::game_flags, game_flag::demo_play)) return true;
    test<uint8_t>(orb_read8(var::backup_image + backup_record::demo_sound));
    if (eq()) return false;
    bit_flags(orb_read32(bitmap + 4u * ((code >> 5) & 7)), code & 31);
    return carry();
}

// Appends a code. There is no full test: a 32nd pending code brings the write
// index round to the read index, and the ring looks empty.
void append(uint32_t ring, uint8_t code) {
    const uint8_t w = orb_read8(ring + sound_ring::write);
    orb_write8(ring + sound_ring::slots + w, code);
    orb_write8(ring + sound_ring::write, logic<uint8_t>((w + 1) & 31));
}

// Hands the oldest pending code of a ring to the sound board.
void hand_off(uint32_t ring, uint32_t to) {
    const uint8_t r = orb_read8(ring + sound_ring::read);
    cmp<uint8_t>(r, orb_read8(ring + sound_ring::write));
    if (eq()) return;
    orb_write8(to, orb_read8(ring + sound_ring::slots + r));
    orb_write8(ring + sound_ring::read, logic<uint8_t>((r + 1) & 31));
}

}  // namespace

// Sound reset: ring A holds one code 0 (sent at the next vblank), the sound
// board runs, the shared RAM's last byte is cleared, and the sound output is
// switched on unless the demo plays with the attract sound off. Ring B is left
// as it is.
void sub_088F58() {
    ROUTINE_ENTRY(0x088F58);
    orb_write32(var::sound_ring_a, 0x100);
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) | 1u << 2));
    orb_write8(hw::port_d, logic<uint8_t>(orb_read8(hw::port_d) & ~(1u << kSoundEnable)));
    orb_write8(var::sound_ring_a + sound_ring::slots + 32, 0);
    orb_write8(hw::shared_ram_last, 0);
    if (test_bit(var::game_flags, game_flag::demo_play)) {
        test<uint8_t>(orb_read8(var::backup_image + backup_record::demo_sound));
        if (eq()) {
            ret();
            return;
        }
    }
    orb_write8(hw::port_d, logic<uint8_t>(orb_read8(hw::port_d) | 1u << kSoundEnable));
    ret();
}

// Queues a sound code on ring A; in the demo, 0xA5 always passes.
// In: R0 low byte = the code.
void sub_088F98() {
    ROUTINE_ENTRY(0x088F98);
    const uint8_t code = static_cast<uint8_t>(cpu.reg[0]);
    if (code == kAlwaysHeard || demo_allows(rom::demo_codes_a, code)) append(var::sound_ring_a, code);
    ret();
}

// Queues a sound code on ring B, with the demo filter and no exception.
// In: R0 low byte = the code.
void sub_088FD7() {
    ROUTINE_ENTRY(0x088FD7);
    const uint8_t code = static_cast<uint8_t>(cpu.reg[0]);
    if (demo_allows(rom::demo_codes_b, code)) append(var::sound_ring_b, code);
    ret();
}

// Sound hand-off (vblank): at most one code per ring reaches the sound board,
// ring A first; the rest wait in order.
void sub_09F6E2() {
    ROUTINE_ENTRY(0x09F6E2);
    hand_off(var::sound_ring_a, hw::sound_command);
    hand_off(var::sound_ring_b, hw::sound_command_b);
    ret();
}
