// Interrupt handlers: vblank start (shadow uploads, inputs, coins, sound,
// sprite list), vblank end, sound, the two timers, and the test-switch check.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// The mixer shadow goes up as 31 words from its start and 2 from +0x4C.
void upload_mixer(uint32_t shadow) {
    move_halfwords(shadow, hw::mixer_regs, 31);
    move_halfwords(shadow + 0x4C, hw::mixer_regs + 0x4C, 2);
}

void acknowledge(uint8_t value) { orb_write8(hw::int_pending, value); }

// Adds one to the counter byte; when it reaches the limit it goes back to 0
// and the result says to carry into the next one.
bool count_up(uint32_t address, uint8_t limit) {
    const uint8_t value = inc<uint8_t>(orb_read8(address));
    orb_write8(address, value);
    cmp<uint8_t>(value, limit);
    if (carry()) return false;
    orb_write8(address, 0);
    return true;
}

// One second more of power-on time, carrying at 60 seconds, 60 minutes and 24
// hours into a 16-bit day count that is not limited here.
void advance_power_on_time() {
    const uint32_t t = var::power_on_time;
    if (!count_up(t + time_record::seconds, 60)) return;
    if (!count_up(t + time_record::minutes, 60)) return;
    if (!count_up(t + time_record::hours, 24)) return;
    orb_write16(t + time_record::days, inc<uint16_t>(orb_read16(t + time_record::days)));
}

}  // namespace

// Vblank start: steps a running fade, uploads the flagged mixer and video
// shadows, drains the palette queue, samples the system inputs, checks the
// test switch and runs the coins outside the service mode, sends the queued
// sound commands, selects the new sprite list and marks the frame ready.
void int_vblank_start() {
    ROUTINE_ENTRY(0x09F500);
    push_range(0, 28);
    if (test_bit(var::system_flags, system_flag::fade_running)) {
        if (!call(sub_08973C, 0x09F513, 0x09F510)) return;
        move_halfwords(var::mixer_shadow + 0x3E, hw::mixer_regs + 0x3E, 7);
    }
    if (clear_bit(var::system_flags, system_flag::mixer_upload)) upload_mixer(var::mixer_shadow);
    if (clear_bit(var::system_flags, system_flag::mixer_take_pending)) {
        move_halfwords(var::mixer_pending, var::mixer_shadow, 31);
        move_halfwords(var::mixer_pending + 0x4C, var::mixer_shadow + 0x4C, 2);
        upload_mixer(var::mixer_pending);
    }
    if (clear_bit(var::system_flags, system_flag::video_upload_all)) {
        move_halfwords(var::video_shadow, hw::video_regs, 72);
    } else {
        move_halfwords(var::video_shadow + 0x10, hw::video_regs + 0x10, 16);
        move_halfwords(var::video_shadow + 0x40, hw::video_regs + 0x40, 8);
    }
    test<uint32_t>(orb_read32(var::palette_queue));
    if (ne() && !call(sub_0896CB, 0x09F5A3, 0x09F5A0)) return;
    if (!call(sub_060480, 0x09F5A6, 0x09F5A3)) return;
    cmp<uint8_t>(orb_read8(var::service_request), 0);
    if (eq()) {
        if (!call(sub_09F6D1, 0x09F5B0, 0x09F5AD)) return;
        cmp<uint8_t>(orb_read8(var::free_play_active), 0);
        if (eq()) {
            if (!call(sub_060D76, 0x09F5BA, 0x09F5B7)) return;
            orb_write8(hw::port_d, orb_read8(var::output_port_shadow));
        }
    }
    if (!call(sub_09F6E2, 0x09F5C7, 0x09F5C4)) return;
    if (!test_bit(var::system_flags, system_flag::sprite_switch_off) &&
        clear_bit(var::system_flags, system_flag::sprite_list_ready)) {
        const uint32_t list = orb_read32(var::sprite_list_pointer);
        orb_write16(hw::sprite_list_select, static_cast<uint16_t>(0xA000 | ((list >> 4) & 0xFFFF)));
    }
    acknowledge(0xFE);
    orb_write16(var::vblank_count, inc<uint16_t>(orb_read16(var::vblank_count)));
    set_bit(var::system_flags, system_flag::frame_ready);
    pop_range(0, 28);
    reti();
}

// Vblank end: acknowledged, nothing else.
void int_vblank_end() {
    ROUTINE_ENTRY(0x09F610);
    acknowledge(0xFD);
    reti();
}

// Sound board: acknowledged, nothing else.
void int_sound() {
    ROUTINE_ENTRY(0x09F61C);
    acknowledge(0xFB);
    reti();
}

// Timer 0: counted and restarted.
void int_timer0() {
    ROUTINE_ENTRY(0x09F628);
    orb_write32(var::timer0_count, inc<uint32_t>(orb_read32(var::timer0_count)));
    orb_write16(hw::timer0_count, 50);
    acknowledge(0xF7);
    reti();
}

// Timer 1: restarted for about a quarter second; outside the service mode
// every fourth one verifies the bookkeeping block, advances its power-on time
// by a second, stores the block's check value and copies the time to the
// mirror.
void int_timer1() {
    ROUTINE_ENTRY(0x09F640);
    orb_write16(hw::timer1_count, 0x0BE6);
    cmp<uint8_t>(orb_read8(var::service_request), 0);
    if (ne()) goto L_09F6B0;
    orb_write8(var::timer1_phase, logic<uint8_t>(inc<uint8_t>(orb_read8(var::timer1_phase)) & 3));
    if (ne()) goto L_09F6B0;
    push_range(0, 3);
    if (!call(sub_0610E1, 0x09F66A, 0x09F667)) return;
    advance_power_on_time();
    if (!call(sub_0610CF, 0x09F69A, 0x09F697)) return;
    orb_write32(var::power_on_time_mirror, orb_read32(var::power_on_time));
    orb_write32(var::power_on_time_mirror + 4, orb_read32(var::power_on_time + 4));
    pop_range(0, 3);
L_09F6B0:
    acknowledge(0xEF);
    reti();
}

// Unused vectors: the test-switch check, left with a plain return (the PSW
// stays on the interrupt stack).
void int_default() {
    ROUTINE_ENTRY(0x09F6BC);
    sub_09F6D1();
}
void int_nmi() {
    ROUTINE_ENTRY(0x09F6C8);
    sub_09F6D1();
}

// Test switch: a new press (bit 1 of the system presses) asks for the service
// mode. Out: R0 low byte = the presses.
void sub_09F6D1() {
    ROUTINE_ENTRY(0x09F6D1);
    set8(cpu.reg[0], orb_read8(var::system_presses));
    bit_flags(cpu.reg[0], 1);
    if (carry()) orb_write8(var::service_request, 0xFF);
    ret();
}
