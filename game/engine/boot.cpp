// Boot: the reset entries, start-up, the main loop and the frame sync.
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/common.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/engine/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kInterruptStack = 0x210000;
constexpr uint32_t kMainStack = 0x20FF00;
constexpr uint32_t kLevelStacks = 0x20FE00;
constexpr uint32_t kWorkRamBase = 0x208000;

// The reset tables go out a byte at a time, two bytes per pass: the interrupt
// controller takes each of its registers as a byte of its own.
void copy_byte_pairs(uint32_t src, uint32_t dst, uint32_t count) {
    for (uint32_t i = 0; i < count; i += 2) {
        orb_write8(dst + i, orb_read8(src + i));
        orb_write8(dst + i + 1, orb_read8(src + i + 1));
    }
}

// The start shared by both reset entries; they differ only in where their
// tables and their return label lie (base 0x060000 for `reset`, 0 for the copy
// at the bottom of ROM).
void start_game(uint32_t base) {
    v60_load_privileged(V60_SBR, rom::vector_base);
    sp() = kInterruptStack;
    cpu.reg[25] = kWorkRamBase;
    copy_byte_pairs(base + 0x88, hw::no_device, 16);
    copy_byte_pairs(base + 0x98, hw::int_controller, 12);
    // Leave the interrupt stack through an interrupt return to our own label:
    // PSW 0 selects level 0 with interrupts off.
    const uint32_t label = base + 0x57;
    push(0);
    push(label);
    reti();
    // The game restarts itself by returning to the label.
    do {
        sp() = kMainStack;
        v60_load_privileged(2, kLevelStacks);
        v60_load_privileged(3, kLevelStacks);
        v60_load_privileged(4, kLevelStacks);
        cpu.reg[0] = 0;
        sub_0600A4();  // entered by a jump: no return address
    } while (at_label(label));
}

}  // namespace

// The reset code's twin at the bottom of ROM, with its tables at 0x000088 and
// its return label 0x000057. Nothing calls it; reached through a zero vector
// or routine address it drops what ran before, as the guest's stack reload
// does, instead of nesting the game inside it.
void sub_000000() {
    ROUTINE_ENTRY(0x000000);
    v60_restart_task(0x000000);
    start_game(0x000000);
}

// Game main: start-up, then one game frame per pass of the main loop, and the
// service mode when the test switch asks for it. Never returns in a normal run.
void sub_0600A4() {
    ROUTINE_ENTRY(0x0600A4);
    if (!call(sub_0603F7, 0x0600A7, 0x0600A4)) return;
    orb_write8(hw::int_pending, 0);
    orb_write8(hw::int_byte5, 0);
    orb_write16(var::game_mode, game_mode::title);  // the title, sub-mode 0
L_0600B9:
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) | 2));
    enable_interrupts();
    orb_write16(hw::timer1_count, 57);
L_0600CB:
    if (!call(sub_0603DA, 0x0600CE, 0x0600CB)) return;
    if (!call(sub_0604CF, 0x0600D1, 0x0600CE)) return;
    if (!call(sub_09F6D1, 0x0600D4, 0x0600D1)) return;
    cmp<uint8_t>(orb_read8(var::service_request), 0);
    if (ne()) goto L_0600F6;
    orb_write8(var::frame_counter, inc<uint8_t>(orb_read8(var::frame_counter)));
    if (!call(sub_060148, 0x0600E7, 0x0600E4)) return;
    if (!call(sub_0633C0, 0x0600EA, 0x0600E7)) return;
    if (!call(sub_088B00, 0x0600ED, 0x0600EA)) return;
    if (!call(sub_062121, 0x0600F0, 0x0600ED)) return;
    goto L_0600CB;
L_0600F6:
    if (!call(sub_08AFB4, 0x0600F9, 0x0600F6)) return;
    do {
        if (!call(sub_0603DA, 0x0600FC, 0x0600F9)) return;
        if (!call(sub_0604CF, 0x0600FF, 0x0600FC)) return;
        if (!call(sub_08B046, 0x060102, 0x0600FF)) return;
        cmp<uint8_t>(orb_read8(var::service_request), 0);
    } while (ne());
    // Leaving the service mode re-initialises everything and fades in.
    disable_interrupts();
    orb_write8(hw::io_control, logic<uint8_t>(orb_read8(hw::io_control) & ~2u));
    if (!call(sub_0603F7, 0x060117, 0x060114)) return;
    orb_write16(var::game_mode, game_mode::title);
    orb_write8(var::fade_preset, 3);
    set_bit(var::system_flags, system_flag::fade_running);
    goto L_0600B9;
}

// Frame sync (the idle loop): waits for the vblank handler's frame-ready bit,
// taking the interrupts that fall due meanwhile, then counts the frame. While
// a graphics decompression job is pending it runs the decompressor one output
// byte per pass in place of waiting, so the job ends before board time moves.
void sub_0603DA() {
    ROUTINE_ENTRY(0x0603DA);
L_0603DA:
    test<uint32_t>(orb_read32(var::decomp_job));
    if (ne()) goto L_0603E0;
L_0603E8:
    v60_frame_wait(var::system_flags);
    v60_take_interrupts(0x0603EF);
    // L_0603EF: interrupts return here.
    if (!clear_bit(var::system_flags, system_flag::frame_ready)) goto L_0603E8;
L_0603F4:
    v60_frame_end();
    ret();
    return;
L_0603E0:
    if (clear_bit(var::system_flags, system_flag::frame_ready)) goto L_0603F4;
    if (!call(sub_087660, 0x0603E5, 0x0603E2)) return;
    goto L_0603DA;
}

// Start-up: I/O set-up, work RAM cleared, then every subsystem initialised in
// order. Also run when the service mode is left.
void sub_0603F7() {
    ROUTINE_ENTRY(0x0603F7);
    orb_write8(hw::io_unused, 19);
    orb_write8(hw::io_unused, 0);
    orb_write8(hw::io_unused, 0);
    orb_write8(hw::io_unused, 31);
    if (!call(sub_060886, 0x060413, 0x060410)) return;
    if (!call(sub_0609F3, 0x060416, 0x060413)) return;
    if (!call(sub_089389, 0x060419, 0x060416)) return;
    if (!call(sub_0609D3, 0x06041C, 0x060419)) return;
    if (!call(sub_089674, 0x06041F, 0x06041C)) return;
    if (!call(sub_060978, 0x060422, 0x06041F)) return;
    move_halfwords(0x060B3E, hw::sprite_block, orb_read32(0x060B3A));
    if (!call(sub_0608A8, 0x060440, 0x06043D)) return;
    if (!call(sub_061077, 0x060443, 0x060440)) return;
    if (!call(sub_060CCE, 0x060446, 0x060443)) return;
    if (!call(sub_088B7C, 0x060449, 0x060446)) return;
    if (!call(sub_08A1F2, 0x06044C, 0x060449)) return;
    if (!call(sub_088F58, 0x06044F, 0x06044C)) return;
    if (!call(sub_063402, 0x060452, 0x06044F)) return;
    if (!call(sub_0604CF, 0x060455, 0x060452)) return;
    if (!call(sub_0604CF, 0x060458, 0x060455)) return;
    if (!call(sub_0604CF, 0x06045B, 0x060458)) return;
    if (!call(sub_060480, 0x06045E, 0x06045B)) return;
    if (!call(sub_060480, 0x060461, 0x06045E)) return;
    if (!call(sub_060480, 0x060464, 0x060461)) return;
    ret();
}

// Clears work RAM 0x200000-0x20FBFF, 16 bytes per pass; the stacks above it
// survive.
void sub_060886() {
    ROUTINE_ENTRY(0x060886);
    engine::clear_words(var::object_area, 0x20FC00);
    ret();
}

// Reset entry: vector base, stacks and the work-RAM base, the interrupt
// controller from ROM 0x060098, then the game, restarted whenever it returns
// to 0x060057. Never returns in a normal run. Reached other than as the first
// routine of the run, it starts over on a fresh native stack.
void reset() {
    ROUTINE_ENTRY(0xFFFFF0);
    v60_restart_task(0xFFFFF0);
    start_game(0x060000);
}
