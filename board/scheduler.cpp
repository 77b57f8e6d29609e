// Interrupt controller, the two one-shot timers and the three-phase frame clock.
#include "board/machine.h"

namespace {

constexpr uint64_t kOff = ~0ull;

void report_line() {
    if (orb_board.callbacks.irq_changed) orb_board.callbacks.irq_changed(orb_irq_asserted());
}

bool deadline_on(uint64_t d) { return d != 0 && d != kOff; }

void recompute_next_deadline() {
    uint64_t next = kOff;
    if (deadline_on(orb_board.timer0_deadline)) next = orb_board.timer0_deadline;
    if (deadline_on(orb_board.timer1_deadline) && orb_board.timer1_deadline < next)
        next = orb_board.timer1_deadline;
    orb_board.next_deadline = next;
}

// A 12-bit count from a timer's two bytes, as they now stand.
unsigned timer_count(unsigned low_byte) {
    return ((orb_board.int_control[low_byte + 1] << 8) & 0xF00) | orb_board.int_control[low_byte];
}

void start_timer(int timer) {
    unsigned count = timer_count(timer == 0 ? 8 : 10);
    if (count == 0) return;  // a running timer keeps its deadline
    if (timer == 0) {
        orb_board.timer0_deadline = orb_board.now + count * 2048ull;
    } else {
        // 256 periods of a 3.125 MHz clock per count, rounded up to whole ticks.
        constexpr uint64_t num = ORB_TICKS_PER_SECOND * 256, den = 3'125'000;
        orb_board.timer1_deadline = orb_board.now + (count * num + den - 1) / den;
    }
    recompute_next_deadline();
}

void fire(uint64_t& deadline, unsigned source) {
    deadline = 0;
    recompute_next_deadline();
    orb_board.int_control[7] |= static_cast<uint8_t>(1u << source);
    report_line();
}

}  // namespace

int orb_irq_asserted() { return (orb_board.int_control[7] & ~orb_board.int_control[6] & 0x1F) != 0; }

uint8_t orb_irq_acknowledge() {
    unsigned active = orb_board.int_control[7] & ~orb_board.int_control[6] & 0x1F;
    for (unsigned n = 0; n < 5; ++n)
        if (active & (1u << n)) return orb_board.int_control[n];
    return 0;
}

void orb_signal_irq(unsigned n) {
    if (n <= 4) orb_board.int_control[7] |= static_cast<uint8_t>(1u << n);
    report_line();
}

void int_control_write(unsigned index, uint8_t value) {
    auto& ic = orb_board.int_control;
    index &= 0xF;
    if (index >= 12) {  // not stored: interrupts the sound board's Z80
        ++orb_board.sound_irq_writes;
        orb_sound_signal_irq(1);
        return;
    }
    if (index == 7) {
        ic[7] &= value;  // acknowledge by writing the source's bit as 0
        report_line();
        return;
    }
    ic[index] = value;
    if (index == 6)
        report_line();
    else if (index == 8 || index == 9)
        start_timer(0);
    else if (index == 10 || index == 11)
        start_timer(1);
}

void orb_run_timers() {
    const uint64_t now = orb_board.now;
    if (deadline_on(orb_board.timer0_deadline) && now >= orb_board.timer0_deadline)
        fire(orb_board.timer0_deadline, 3);
    if (deadline_on(orb_board.timer1_deadline) && now >= orb_board.timer1_deadline)
        fire(orb_board.timer1_deadline, 4);
}

uint64_t orb_next_timer() { return orb_board.next_deadline; }

uint64_t orb_frame_start(uint64_t n) { return n * ORB_TICKS_PER_SECOND / 60; }

uint64_t orb_line_start(uint64_t n, int line) {
    return (n * 262 + static_cast<uint64_t>(line)) * ORB_TICKS_PER_SECOND / ORB_LINES_PER_SECOND;
}

void orb_vblank_start() {
    if (orb_board.callbacks.frame) orb_board.callbacks.frame();
    if (orb_board.callbacks.controls_update) orb_board.callbacks.controls_update();
    orb_signal_irq(0);
    orb_board.frame_phase = 1;
}

void orb_vblank_end() {
    orb_signal_irq(1);
    orb_board.frame_phase = 2;
}

void orb_sprite_update() {
    auto& b = orb_board;
    bool clear, draw;
    bool automatic = false;
    if (!(b.sprite_control[3] & 2)) {
        uint32_t c = b.sprite_countdown--;
        if (c == 0) {
            automatic = true;
            b.sprite_control[0] = 3;
            b.sprite_countdown = b.sprite_control[3] & 1;
        }
    }
    if (automatic) {
        clear = draw = true;
    } else {
        clear = (b.sprite_control[0] & 2) != 0;
        draw = (b.sprite_control[0] & 1) != 0;
    }
    if (draw) {
        for (int i = 0; i < 8; ++i) b.sprite_latched[i] = b.sprite_control[i];
        b.sprite_status ^= 1;
        ++b.sprite_updates;
    }
    b.sprite_control[0] = 0;
    if (b.callbacks.sprites) b.callbacks.sprites(clear, draw);
}

void orb_wait() {
    auto& b = orb_board;
    const uint64_t n = b.frame_count;
    uint64_t target;
    switch (b.frame_phase) {
    case 0: target = orb_line_start(n, 224); break;
    case 1: target = orb_frame_start(n + 1); break;
    default: target = orb_frame_start(n + 1) + ORB_SPRITE_UPDATE_DELAY; break;
    }
    if (b.callbacks.time_passes) b.callbacks.time_passes(b.next_deadline < target ? b.next_deadline : target);
    if (b.next_deadline <= target) {
        b.now = b.next_deadline;
        orb_run_timers();
        return;
    }
    b.now = target;
    switch (b.frame_phase) {
    case 0: orb_vblank_start(); break;
    case 1: orb_vblank_end(); break;
    default:
        orb_sprite_update();
        ++b.frame_count;
        b.frame_phase = 0;
        break;
    }
}
