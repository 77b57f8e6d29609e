// The animated title: the pieces that fly, fall or spring into place after
// the fade in, a still picture, the zooming logo on NBG0 with its colour
// blend, the hidden-sequence watcher, the squash sprite and the title object.
// Every one removes itself once the mode is no longer the title's.
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// Set-up tables by title type t.
constexpr uint32_t kRevisionCell = 0x31F0C6;  // row 1, column 35
constexpr uint32_t kBlendBits = 0x1799;

// Object fields of this file's own use.
constexpr uint32_t kX8 = 32;  // type 3: x in eighths of a pixel; +34 y (quarters for type 7)
constexpr uint32_t kY8 = 34;
constexpr uint32_t kStepX = 39;  // signed bytes
constexpr uint32_t kStepY = 40;
constexpr uint32_t kZoomStep = 41;  // the logo's next zoom step
constexpr uint32_t kTimer = 54;     // 16-bit; two byte counters in the logo's last states
constexpr uint32_t kDivider = 55;
constexpr uint32_t kSequencePointer = 72;
constexpr uint32_t kPartHeight = 100;  // words 2 and 3 of the first copied part
constexpr uint32_t kPartWidth = 102;

using self::field;
using self::set_state;

// The title objects' states: every piece is set up in 0, waits for the fade
// in 1 and for its own delay in 2.
namespace accelerating_state {
constexpr uint8_t setup = 0, wait_fade = 1, delay = 2, start = 3, accelerate = 4;
}  // namespace accelerating_state
namespace falling_state {
constexpr uint8_t setup = 0, wait_fade = 1, delay = 2, falling = 3, landed = 4;
}  // namespace falling_state
namespace flying_state {
constexpr uint8_t setup = 0, wait_fade = 1, delay = 2, flight = 3;
}  // namespace flying_state
// The still picture.
namespace still_state {
constexpr uint8_t setup = 0, wait_fade = 1, delay = 2, shown = 3;
}  // namespace still_state
namespace title_object_state {  // the title's first phase
constexpr uint8_t setup = 0, shown = 1;
}  // namespace title_object_state
// The zooming logo.
namespace logo_state {
constexpr uint8_t setup = 0, wait_fade = 1, delay = 2, first_shrink = 3, second_picture = 4,
                  second_shrink = 5, pause_start = 6, pause = 7, blend_down = 8, blend_up = 9;
}  // namespace logo_state

// The 16-bit timer - n; true when it reached 0.
bool timer_down(uint32_t n = 1) {
    orb_write16(field(kTimer), sub<uint16_t>(orb_read16(field(kTimer)), n));
    return eq();
}

void set_video(uint32_t reg, uint16_t value) { orb_write16(var::video_shadow + reg, value); }
void or_mixer(uint32_t reg, uint16_t bits) {
    orb_write16(var::mixer_shadow + reg, logic<uint16_t>(orb_read16(var::mixer_shadow + reg) | bits));
}
void and_mixer(uint32_t reg, uint16_t mask) {
    orb_write16(var::mixer_shadow + reg, logic<uint16_t>(orb_read16(var::mixer_shadow + reg) & mask));
}
void blend_level(uint32_t level) {
    orb_write16(var::mixer_shadow + mixer_reg::blend,
                logic<uint16_t>((orb_read16(var::mixer_shadow + mixer_reg::blend) & 0xF8FF) | level << 8));
    set_bit(var::system_flags, system_flag::mixer_upload);
}

// (field & 0x3FF) + delta, with the field's top six bits kept.
void add_low10(uint32_t offset, uint32_t delta) {
    const uint16_t w = orb_read16(field(offset));
    orb_write16(field(offset), logic<uint16_t>(add<uint16_t>(w & 0x3FF, delta) | (w & 0xFC00)));
}

}  // namespace

// Accelerating piece (type 3, a 256-byte object): moves in eighths of a pixel
// with a velocity that each animation frame accelerates, until its animation
// comes back to frame 0. In: R20 = the object.
void sub_0774AC() {
    ROUTINE_ENTRY(0x0774AC);
    if (!call(sub_077AE5, 0x0774AF, 0x0774AC)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case accelerating_state::setup:
        orb_write8(field(object_record::type), 3);
        if (!call(sub_077614, 0x0774CB, 0x0774C8)) return;
        orb_write16(field(kX8), shl<uint16_t>(orb_read16(field(object_record::screen_x)), 3));
        orb_write16(field(kY8), shl<uint16_t>(orb_read16(field(object_record::screen_y)), 3));
        ret();
        return;
    case accelerating_state::wait_fade: sub_077660(); return;
    case accelerating_state::delay:
        if (!timer_down()) {
            ret();
            return;
        }
        set_state(accelerating_state::start);
        [[fallthrough]];
    case accelerating_state::start:
        if (!call(sub_061FB6, 0x0774E5, 0x0774E2)) return;
        cpu.reg[0] = load_zx8(field(object_record::frame_index));
        test<uint8_t>(cpu.reg[0]);
        if (ne()) set_state(accelerating_state::accelerate);
        goto L_077500;
    case accelerating_state::accelerate:
        if (!call(sub_061FB6, 0x0774F5, 0x0774F2)) return;
        cpu.reg[0] = load_zx8(field(object_record::frame_index));
        test<uint8_t>(cpu.reg[0]);
        if (eq()) {
            sub_077AEF();
            return;
        }
        goto L_077500;
    default: v60_unknown_jump(0x0774B9 + 3 * cpu.reg[0], 0x0774B6);
    }
L_077500:
    // Move with the accelerations of frame index R0.
    cpu.reg[19] = rom::title_accelerations + 2 * cpu.reg[0];
    orb_write8(field(kStepX), add<uint8_t>(orb_read8(field(kStepX)), orb_read8(cpu.reg[19])));
    orb_write16(field(kX8), add<uint16_t>(orb_read16(field(kX8)), load_sx8(field(kStepX))));
    orb_write8(field(kStepY), add<uint8_t>(orb_read8(field(kStepY)), orb_read8(cpu.reg[19] + 1)));
    orb_write16(field(kY8), add<uint16_t>(orb_read16(field(kY8)), load_sx8(field(kStepY))));
    orb_write16(field(object_record::screen_x), shl<uint16_t>(orb_read16(field(kX8)), 0xFD));
    orb_write16(field(object_record::screen_y), shl<uint16_t>(orb_read16(field(kY8)), 0xFD));
    sub_062094();
}

// Falling piece (type 7): falls in quarter pixels with a gravity of 2 and
// lands at y 800 (screen y 200), where its animation starts. In: R20.
void sub_077558() {
    ROUTINE_ENTRY(0x077558);
    if (!call(sub_077ACE, 0x07755B, 0x077558)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case falling_state::setup:
        orb_write8(field(object_record::type), 7);
        if (!call(sub_077614, 0x07757D, 0x07757A)) return;
        orb_write16(field(kY8), shl<uint16_t>(orb_read16(field(object_record::screen_y)), 2));
        ret();
        return;
    case falling_state::wait_fade: sub_077660(); return;
    case falling_state::delay:
        if (!timer_down()) {
            ret();
            return;
        }
        set_state(falling_state::falling);
        [[fallthrough]];
    case falling_state::falling:
        orb_write8(field(kStepY), add<uint8_t>(orb_read8(field(kStepY)), 2));
        orb_write16(field(kY8), add<uint16_t>(orb_read16(field(kY8)), load_sx8(field(kStepY))));
        cmp<uint16_t>(orb_read16(field(kY8)), 800);
        if (greater_equal()) {
            set_state(falling_state::landed);
            orb_write16(field(kY8), 800);
        }
        orb_write16(field(object_record::screen_y), shl<uint16_t>(orb_read16(field(kY8)), 0xFE));
        sub_062094();
        return;
    case falling_state::landed:
        if (!call(sub_061FB6, 0x0775C3, 0x0775C0)) return;
        sub_062094();
        return;
    default: v60_unknown_jump(0x077565 + 3 * cpu.reg[0], 0x077562);
    }
}

// Entry of a flying piece of type 0: the type, the flying routine, and its
// first step in this frame. In: R20 = the object.
void sub_0775D1() {
    ROUTINE_ENTRY(0x0775D1);
    orb_write8(cpu.reg[20] + object_record::type, 0);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0775F9);
    sub_0775F9();
}

// The same for type 1.
void sub_0775DF() {
    ROUTINE_ENTRY(0x0775DF);
    orb_write8(cpu.reg[20] + object_record::type, 1);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0775F9);
    sub_0775F9();
}

// The same for type 2.
void sub_0775ED() {
    ROUTINE_ENTRY(0x0775ED);
    orb_write8(cpu.reg[20] + object_record::type, 2);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0775F9);
    sub_0775F9();
}

// Flying piece: set up by its type, waits for the fade and its own delay,
// then flies in a straight line for 149 frames. In: R20.
void sub_0775F9() {
    ROUTINE_ENTRY(0x0775F9);
    if (!call(sub_077ACE, 0x0775FC, 0x0775F9)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case flying_state::setup: sub_077614(); return;
    case flying_state::wait_fade: sub_077660(); return;
    case flying_state::delay: sub_07766B(); return;
    case flying_state::flight: sub_07767B(); return;
    default: v60_unknown_jump(0x077608 + 3 * cpu.reg[0], 0x077605);
    }
}

// Set-up by title type: timer, position, steps and script from the type's
// tables; the frame's parts are copied into the object. Not listed.
// In: R20, its type byte.
void sub_077614() {
    ROUTINE_ENTRY(0x077614);
    self::next_state_sets_flags();
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    cpu.reg[0] = load_zx8(field(object_record::type));
    orb_write16(field(kTimer), orb_read16(rom::title_timers + 2 * cpu.reg[0]));
    orb_write16(field(object_record::screen_x), orb_read16(rom::title_positions + 4 * cpu.reg[0]));
    orb_write16(field(object_record::screen_y), orb_read16(rom::title_positions + 4 * cpu.reg[0] + 2));
    orb_write16(field(object_record::height), 0xFFA0);
    orb_write8(field(kStepX), orb_read8(rom::title_steps + 2 * cpu.reg[0]));
    orb_write8(field(kStepY), orb_read8(rom::title_steps + 2 * cpu.reg[0] + 1));
    cpu.reg[19] = orb_read32(rom::title_scripts + 4 * cpu.reg[0]);
    sub_061F06();
}

// Shared wait: nothing while a fade runs; then on into the countdown in the
// same frame. In: R20.
void sub_077660() {
    ROUTINE_ENTRY(0x077660);
    if (test_bit(var::system_flags, system_flag::fade_running)) {
        ret();
        return;
    }
    self::next_state_sets_flags();
    sub_07766B();
}

// Shared countdown of the flying pieces: at 0 the flight starts in the same
// frame with 150 on the timer. In: R20.
void sub_07766B() {
    ROUTINE_ENTRY(0x07766B);
    if (!timer_down()) {
        ret();
        return;
    }
    self::next_state_sets_flags();
    orb_write16(field(kTimer), 150);
    sub_07767B();
}

// Shared flight: one step of the signed byte steps each frame, listed, until
// the timer runs out and the piece goes back to the 128-byte pool. In: R20.
void sub_07767B() {
    ROUTINE_ENTRY(0x07767B);
    if (timer_down()) {
        if (!call(sub_088CD3, 0x077688, 0x077685)) return;
        sub_088D0C();
        return;
    }
    orb_write16(field(object_record::screen_x),
                add<uint16_t>(orb_read16(field(object_record::screen_x)), load_sx8(field(kStepX))));
    orb_write16(field(object_record::screen_y),
                add<uint16_t>(orb_read16(field(object_record::screen_y)), load_sx8(field(kStepY))));
    sub_062094();
}

// Still picture (type 4's tables): shown from the end of its delay after the
// fade. In: R20.
void sub_077697() {
    ROUTINE_ENTRY(0x077697);
    if (!call(sub_077ACE, 0x07769A, 0x077697)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case still_state::setup:
        set_state(still_state::wait_fade);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        cpu.reg[0] = 4;
        orb_write16(field(kTimer), orb_read16(rom::title_timers + 2 * cpu.reg[0]));
        orb_write16(field(object_record::screen_x), orb_read16(rom::title_positions + 4 * cpu.reg[0]));
        orb_write16(field(object_record::screen_y), orb_read16(rom::title_positions + 4 * cpu.reg[0] + 2));
        orb_write16(field(object_record::height), 0xFFC0);
        cpu.reg[19] = orb_read32(rom::title_scripts + 4 * cpu.reg[0]);
        sub_061F06();
        return;
    case still_state::wait_fade:
        if (test_bit(var::system_flags, system_flag::fade_running)) {
            ret();
            return;
        }
        set_state(still_state::delay);
        [[fallthrough]];
    case still_state::delay:
        if (!timer_down()) {
            ret();
            return;
        }
        set_state(still_state::shown);
        sub_062094();
        return;
    case still_state::shown: sub_062094(); return;
    default: v60_unknown_jump(0x0776A4 + 3 * cpu.reg[0], 0x0776A1);
    }
}

// Zooming logo on tile layer NBG0: hidden for its delay, two pictures that
// shrink to 1:1, a pause, then the colour blend down on NBG2 and up on NBG0;
// at the end the layer's pages and the blend bits are cleared, a text is
// printed and the object ends. Never listed as a sprite. In: R20.
void sub_077707() {
    ROUTINE_ENTRY(0x077707);
    if (!call(sub_077ACE, 0x07770A, 0x077707)) return;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case logo_state::setup:
        set_state(logo_state::wait_fade);
        orb_write16(field(kTimer), orb_read16(rom::title_timers + 2 * 5));
        orb_write16(var::video_shadow + video_reg::layer_off,
                    logic<uint16_t>(orb_read16(var::video_shadow + video_reg::layer_off) | 1));
        set_video(video_reg::nbg0_zoom, 0x0FF0);
        set_video(video_reg::nbg0_centre_x, 160);
        set_video(video_reg::nbg0_centre_y, 56);
        set_video(video_reg::nbg0_scroll_x, 160);
        set_video(video_reg::nbg0_scroll_y, 56);
        orb_write32(var::video_shadow + video_reg::nbg0_pages, 0x03030303);
        set_bit(var::system_flags, system_flag::video_upload_all);
        ret();
        return;
    case logo_state::wait_fade: sub_077660(); return;
    case logo_state::delay:
        if (!timer_down()) {
            ret();
            return;
        }
        set_state(logo_state::first_shrink);
        orb_write16(var::video_shadow + video_reg::layer_off,
                    logic<uint16_t>(orb_read16(var::video_shadow + video_reg::layer_off) & ~1u));
        orb_write16(field(kTimer), 0x9E0);
        [[fallthrough]];
    case logo_state::first_shrink:
        timer_down(96);
        cmp<uint16_t>(orb_read16(field(kTimer)), 608);
        if (less_equal()) set_state(logo_state::second_picture);
        set_video(video_reg::nbg0_zoom, orb_read16(field(kTimer)));
        set_bit(var::system_flags, system_flag::video_upload_all);
        ret();
        return;
    case logo_state::second_picture:
        // From 512 the squares 1, 4, 9, ... add up past 4096 after 22 terms.
        set_state(logo_state::second_shrink);
        orb_write32(var::video_shadow + video_reg::nbg0_pages, 0x02020202);
        orb_write16(field(kTimer), 4307);
        orb_write8(field(kZoomStep), 22);
        [[fallthrough]];
    case logo_state::second_shrink:
        cpu.reg[1] = load_zx8(field(kZoomStep));
        timer_down(mulu<uint16_t>(cpu.reg[1], cpu.reg[1]));
        orb_write8(field(kZoomStep), dec<uint8_t>(cpu.reg[1]));
        cmp<uint16_t>(orb_read16(field(kTimer)), 512);
        if (less_equal()) set_state(logo_state::pause_start);
        set_video(video_reg::nbg0_zoom, orb_read16(field(kTimer)));
        set_bit(var::system_flags, system_flag::video_upload_all);
        ret();
        return;
    case logo_state::pause_start:
        set_state(logo_state::pause);
        orb_write16(field(kTimer), 60);
        [[fallthrough]];
    case logo_state::pause:
        if (!timer_down()) {
            ret();
            return;
        }
        or_mixer(mixer_reg::nbg2_mix, kBlendBits);
        or_mixer(mixer_reg::blend, 0x0700);
        set_bit(var::system_flags, system_flag::mixer_upload);
        orb_write32(var::video_shadow + video_reg::nbg2_pages, 0x01010101);
        set_bit(var::system_flags, system_flag::video_upload_all);
        orb_write8(field(kTimer), 7);
        orb_write8(field(kDivider), 0);
        set_state(logo_state::blend_down);
        ret();
        return;
    case logo_state::blend_down:
        // One blend step every 4 frames: levels 6 down to 0 on NBG2, then the
        // blend bits move to NBG0.
        orb_write8(field(kDivider), logic<uint8_t>((orb_read8(field(kDivider)) + 1) & 3));
        if (ne()) {
            ret();
            return;
        }
        cpu.reg[1] = dec<uint8_t>(orb_read8(field(kTimer)));
        orb_write8(field(kTimer), static_cast<uint8_t>(cpu.reg[1]));
        if (greater_equal()) {
            blend_level(cpu.reg[1]);
            ret();
            return;
        }
        and_mixer(mixer_reg::nbg2_mix, static_cast<uint16_t>(~kBlendBits));
        or_mixer(mixer_reg::nbg0_mix, kBlendBits);
        set_bit(var::system_flags, system_flag::mixer_upload);
        orb_write16(field(kTimer), 0);
        set_state(logo_state::blend_up);
        ret();
        return;
    case logo_state::blend_up:
        // Levels 1 to 7 on NBG0, then the end.
        orb_write8(field(kDivider), logic<uint8_t>((orb_read8(field(kDivider)) + 1) & 3));
        if (ne()) {
            ret();
            return;
        }
        cpu.reg[1] = logic<uint8_t>((orb_read8(field(kTimer)) + 1) & 7);
        orb_write8(field(kTimer), static_cast<uint8_t>(cpu.reg[1]));
        if (ne()) {
            blend_level(cpu.reg[1]);
            ret();
            return;
        }
        orb_write32(var::video_shadow + video_reg::nbg0_pages, 0);
        set_bit(var::system_flags, system_flag::video_upload_all);
        and_mixer(mixer_reg::nbg0_mix, static_cast<uint16_t>(~kBlendBits));
        set_bit(var::system_flags, system_flag::mixer_upload);
        if (!call(sub_06196A, 0x0778C3, 0x0778C0)) return;
        if (!call(sub_088CD3, 0x0778D3, 0x0778D0)) return;
        sub_088D0C();
        return;
    default: v60_unknown_jump(0x077714 + 3 * cpu.reg[0], 0x077711);
    }
}

// Sequence watcher, first frame: its picture, the sequence pointer and the
// palette; then it watches. No mode check, not listed. In: R20.
void sub_0778EB() {
    ROUTINE_ENTRY(0x0778EB);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    cpu.reg[19] = rom::watcher_picture;
    if (!call(sub_061F06, 0x0778F3, 0x0778F0)) return;
    orb_write16(field(object_record::screen_x), 160);
    orb_write16(field(object_record::screen_y), 0);
    orb_write16(field(object_record::height), 0xFF80);
    orb_write32(field(kSequencePointer), rom::hidden_sequence);
    orb_write32(field(object_record::routine), entry::sub_07792B);
    cpu.reg[19] = rom::watcher_palette;
    sub_0896A9();
}

// Sequence watcher: follows player 1's presses through the hidden sequence; a
// wrong press starts it again (and is not taken as its first step). Once the
// whole sequence is in, prints its text and the settings revision. In: R20.
void sub_07792B() {
    ROUTINE_ENTRY(0x07792B);
    cpu.reg[0] = load_zx8(var::player1_presses);
    test<uint8_t>(cpu.reg[0]);
    if (ne()) {
        cpu.reg[19] = orb_read32(field(kSequencePointer));
        cmp<uint8_t>(cpu.reg[0], orb_read8(cpu.reg[19]));
        orb_write32(field(kSequencePointer), eq() ? cpu.reg[19] + 1 : rom::hidden_sequence);
    }
    test<uint8_t>(orb_read8(orb_read32(field(kSequencePointer))));
    if (eq()) {
        cpu.reg[19] = rom::hidden_sequence_text;
        if (!call(sub_0889C2, 0x077953, 0x077950)) return;
        cpu.reg[11] = kRevisionCell;
        cpu.reg[0] = load_zx16(var::backup_primary + backup_record::revision);
        cpu.reg[1] = 0;
        if (!call(sub_088A5A, 0x077963, 0x077960)) return;
        orb_write32(field(object_record::routine), entry::sub_077971);
    }
    sub_077971();
}

// Mode check, then listed with key = height. In: R20.
void sub_077971() {
    ROUTINE_ENTRY(0x077971);
    if (!call(sub_077ACE, 0x077974, 0x077971)) return;
    sub_062094();
}

// Squash sprite, first frame: 460 frames to wait.
void sub_0779A9() {
    ROUTINE_ENTRY(0x0779A9);
    orb_write16(cpu.reg[20] + kTimer, 460);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0779B7);
    sub_0779B7();
}

// Squash sprite: after its wait (no mode check meanwhile) its first part shows
// flattened by J = height / 3 steps of 3 pixels and widened by 10 per step,
// J(J + 1)/2 pixels left of x 245. In: R20.
void sub_0779B7() {
    ROUTINE_ENTRY(0x0779B7);
    if (!timer_down()) {
        ret();
        return;
    }
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    cpu.reg[19] = rom::squash_picture;
    if (!call(sub_061F06, 0x0779C8, 0x0779C5)) return;
    cpu.reg[1] = orb_read16(field(kPartHeight)) & 0x3FF;
    cpu.reg[2] = divu<uint32_t>(cpu.reg[1], 3);
    add_low10(kPartHeight, static_cast<uint32_t>(-static_cast<int32_t>(3 * cpu.reg[2])));
    add_low10(kPartWidth, 10 * cpu.reg[2]);
    cpu.reg[3] = 245;
    for (cpu.reg[4] = 1; cpu.reg[4] <= cpu.reg[2]; ++cpu.reg[4])
        cpu.reg[3] = sub<uint16_t>(cpu.reg[3], cpu.reg[4]);
    orb_write16(field(object_record::screen_x), static_cast<uint16_t>(cpu.reg[3]));
    orb_write16(field(object_record::screen_y), 176);
    orb_write16(field(object_record::height), 0xFFC0);
    orb_write8(field(kTimer), static_cast<uint8_t>(cpu.reg[2]));
    orb_write32(field(object_record::routine), entry::sub_077A34);
    sub_077A7A();
}

// Squash sprite springing back: 3 pixels taller, 10 narrower and J, J - 1, ...
// pixels right per frame; then it stays. In: R20.
void sub_077A34() {
    ROUTINE_ENTRY(0x077A34);
    add_low10(kPartHeight, 3);
    add_low10(kPartWidth, static_cast<uint32_t>(-10));
    orb_write16(field(object_record::screen_x),
                add<uint16_t>(orb_read16(field(object_record::screen_x)), load_sx8(field(kTimer))));
    orb_write8(field(kTimer), dec<uint8_t>(orb_read8(field(kTimer))));
    if (eq()) orb_write32(field(object_record::routine), entry::sub_077A7A);
    sub_077A7A();
}

// Mode check, then listed with key = height. In: R20.
void sub_077A7A() {
    ROUTINE_ENTRY(0x077A7A);
    if (!call(sub_077ACE, 0x077A7D, 0x077A7A)) return;
    sub_062094();
}

// Title object of the title's first phase: ends from sub-mode 12 on. In: R20.
void sub_077A83() {
    ROUTINE_ENTRY(0x077A83);
    if (!call(sub_077ACE, 0x077A86, 0x077A83)) return;
    cmp<uint8_t>(orb_read8(var::game_submode), 12);
    if (no_carry()) {
        if (!call(sub_088CD3, 0x077A95, 0x077A92)) return;
        sub_088D0C();
        return;
    }
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case title_object_state::setup:
        set_state(title_object_state::shown);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        orb_write16(field(object_record::screen_x), 16);
        orb_write16(field(object_record::screen_y), 0);
        orb_write16(field(object_record::height), 0xFFA0);
        cpu.reg[19] = rom::title_picture;
        if (!call(sub_061F06, 0x077AB8, 0x077AB5)) return;
        sub_062094();
        return;
    case title_object_state::shown: sub_062094(); return;
    default: v60_unknown_jump(0x077A9F + 3 * cpu.reg[0], 0x077A9C);
    }
}

// Mode check of a 128-byte object: outside the title it unlinks the object,
// releases it, and ends the object's routine for this frame: it drops its own
// return address, so the release returns to the object runner and the caller,
// seeing a return that is not its own, returns at once. In: R20.
void sub_077ACE() {
    ROUTINE_ENTRY(0x077ACE);
    cmp<uint8_t>(orb_read8(var::game_mode), game_mode::title);
    if (eq()) {
        ret();
        return;
    }
    pop();
    if (!call(sub_088CD3, 0x077ADC, 0x077AD9)) return;
    sub_088D0C();
}

// The same for a 256-byte object (released through sub_077AEF).
void sub_077AE5() {
    ROUTINE_ENTRY(0x077AE5);
    cmp<uint8_t>(orb_read8(var::game_mode), game_mode::title);
    if (eq()) {
        ret();
        return;
    }
    pop();
    sub_077AEF();
}

// Unlinks R20 and pushes it on the 256-byte pool's free stack.
// Out: R19 = the free stack, R9 = its new count.
void sub_077AEF() {
    ROUTINE_ENTRY(0x077AEF);
    if (!call(sub_088CD3, 0x077AF2, 0x077AEF)) return;
    cpu.reg[19] = var::free_stack_256;
    cpu.reg[9] = inc<uint16_t>(orb_read16(cpu.reg[19]));
    orb_write16(cpu.reg[19], static_cast<uint16_t>(cpu.reg[9]));
    orb_write16(cpu.reg[19] + 2 * cpu.reg[9], static_cast<uint16_t>(cpu.reg[20]));
    ret();
}
