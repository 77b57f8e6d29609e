// The stage intro: a controller that creates the stage's intro actors, loads
// the intro palette and sound, and moves the in-game flow from its state 13 to
// 14 when its countdown ends or a player in play presses a button; and the
// actors, which wait for state 13 and then appear, grow, fly in on an arc,
// play a sound sequence or print the stage's title.
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

// Object fields of the intro actors beyond the common head.
constexpr uint32_t kSoundPointer = 20;  // 32-bit, sound sequence
constexpr uint32_t kStepX = 39;         // s8
constexpr uint32_t kStepY = 40;         // s8
constexpr uint32_t kCountdown = 54;     // 16-bit (8-bit for the sound actor's first wait)
constexpr uint32_t kRecord = 66;        // 32-bit ROM record
constexpr uint32_t kLimitX = 72;        // s16; the controller keeps the slots in play here (8-bit)
constexpr uint32_t kLimitY = 74;
constexpr uint32_t kGrowX = 102;  // low 10 bits grow by the x step up to kLimitX
constexpr uint32_t kGrowY = 100;  // ... by the y step up to kLimitY

uint32_t stage_index() { return orb_read8(var::stage) - 1u; }

// The intro objects' states.
namespace controller_state {
constexpr uint8_t setup = 0, wait_intro = 1, countdown = 2, done = 3;
}  // namespace controller_state
namespace banner_state {
constexpr uint8_t setup = 0, wait_intro = 1, shown = 2, setup_again = 3;
}  // namespace banner_state
// The growing, delayed and arc actors'.
namespace actor_state {
constexpr uint8_t setup = 0, wait_intro = 1, delay = 2, running = 3;
}  // namespace actor_state
namespace sound_state {
constexpr uint8_t setup = 0, first_delay = 1, next = 2, waiting = 3, done = 4;
}  // namespace sound_state
namespace text_state {
constexpr uint8_t setup = 0, delay = 1, printed = 2;
}  // namespace text_state

bool intro_running() { return orb_read8(var::ingame_state) == flow_state::stage_intro; }

// The head of an actor's ROM record (+66): its script into R19, then its
// delay and screen position. Returns the record.
uint32_t read_record_head(uint32_t object) {
    const uint32_t record = orb_read32(object + kRecord);
    r(19) = orb_read32(record);
    orb_write16(object + kCountdown, orb_read16(record + 4));
    orb_write16(object + object_record::screen_x, orb_read16(record + 6));
    orb_write16(object + object_record::screen_y, orb_read16(record + 8));
    return record;
}

// The low 10 bits of a part word grow by a signed step up to a signed limit;
// the top 6 bits stay.
void grow(uint32_t word, uint32_t step, uint32_t limit) {
    const uint16_t value = orb_read16(word);
    uint16_t low = add<uint16_t>(value & 0x3FF, step);
    cmp<uint16_t>(low, limit);
    if (greater()) low = static_cast<uint16_t>(limit);
    orb_write16(word, static_cast<uint16_t>((value & 0xFC00) | (low & 0x3FF)));
}

}  // namespace

// Intro controller: creates the stage's actors, then ends the flow's wait.
// In: R20 = the controller (256 bytes, never listed).
void sub_089800() {
    ROUTINE_ENTRY(0x089800);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == controller_state::wait_intro) goto L_08984E;
    if (state == controller_state::countdown) goto L_089858;
    if (state == controller_state::done) {
        ret();
        return;
    }
    if (state != controller_state::setup) v60_unknown_jump(0x08980C + 3 * state, 0x089809);

    orb_write16(self + object_record::flags, 1);
    set_state(self, controller_state::wait_intro);
    orb_write16(self + kCountdown, orb_read16(rom::intro_countdowns + 2 * stage_index()));
    r(19) = orb_read32(rom::intro_palettes + 4 * stage_index());
    r(8) = 0;
    if (!call(sub_0896AC, 0x08982A, 0x089826)) return;
    r(1) = orb_read32(rom::intro_actor_lists + 4 * stage_index());
    r(2) = load_zx8(r(1));
    r(1) += 1;
    while (r(2) != 0) {
        // An empty pool creates no more actors.
        if (!call(sub_088C57, 0x089835, 0x089831)) return;
        if (eq()) break;
        if (!call(sub_088CA5, 0x08983A, 0x089836)) return;
        orb_write32(r(21) + object_record::routine, orb_read32(r(1)));
        orb_write16(r(21) + object_record::owner, static_cast<uint16_t>(self));
        r(1) += 4;
        r(2) -= 1;
    }
    orb_write8(self + kLimitX, orb_read8(var::game_flags));
    r(0) = load_zx8(rom::intro_sounds + orb_read8(var::stage));
    if (!call(sub_088F98, 0x08984B, 0x089847)) return;
    ret();
    return;

L_08984E:  // waiting for the flow's intro state
    if (!intro_running()) {
        ret();
        return;
    }
    set_state(self, controller_state::countdown);

L_089858:  // counting down; a button of a slot that was in play ends it
    {
        const uint8_t was_in_play = orb_read8(self + kLimitX);
        orb_write8(self + kLimitX, orb_read8(var::game_flags));
        bool end = false;
        for (uint32_t slot = 0; slot < 4 && !end; ++slot)
            end = (was_in_play >> slot & 1) && (orb_read8(var::player_presses + slot) & 0x30);
        if (end || count_down16_sets_flags(self + kCountdown)) {
            orb_write8(var::ingame_state, static_cast<uint8_t>(orb_read8(var::ingame_state) + 1));
            set_state(self, controller_state::done);
        }
    }
    ret();
}

// Banner sprite: shown from its first frame, animated one tick when the
// intro starts. In: R20. A state of 3 starts it again as 0 does.
void sub_0898B1() {
    ROUTINE_ENTRY(0x0898B1);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == banner_state::wait_intro) goto L_089930;
    if (state == banner_state::shown) goto L_08994A;
    if (state != banner_state::setup && state != banner_state::setup_again)
        v60_unknown_jump(0x0898BD + 3 * state, 0x0898BA);

    r(19) = rom::banner_script;
    set_state(self, banner_state::wait_intro);
    orb_write8(self + object_record::anim_mode, 1);
    orb_write16(self + object_record::height, 0xFFC0);
    orb_write16(self + object_record::screen_x, 159);
    orb_write16(self + object_record::screen_y, 0);
    if (!call(sub_061F06, 0x08992C, 0x089928)) return;

L_089930:
    if (intro_running()) {
        set_state(self, banner_state::shown);
        if (!call(sub_061FB6, 0x089946, 0x089942)) return;
    }

L_08994A:
    sub_062094();
}

// Growing actor with its record at 0x089F2C.
void sub_089995() {
    ROUTINE_ENTRY(0x089995);
    orb_write32(r(20) + kRecord, rom::growing_actor_a);
    sub_0899DB();
}

// Growing actor with its record at 0x089F3C.
void sub_0899B9() {
    ROUTINE_ENTRY(0x0899B9);
    orb_write32(r(20) + kRecord, rom::growing_actor_b);
    sub_0899DB();
}

// Growing actor: after the intro starts and its delay runs out, the sizes of
// its first part grow each frame up to its limits. Record at +66: script,
// delay, x, y (16-bit), x and y steps (8-bit), x and y limits (16-bit).
void sub_0899DB() {
    ROUTINE_ENTRY(0x0899DB);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == actor_state::wait_intro) goto L_089A3C;
    if (state == actor_state::delay) goto L_089A48;
    if (state == actor_state::running) goto L_089A56;
    if (state != actor_state::setup) v60_unknown_jump(0x0899E7 + 3 * state, 0x0899E4);
    {
        const uint32_t record = read_record_head(self);
        orb_write8(self + kStepX, orb_read8(record + 10));
        orb_write8(self + kStepY, orb_read8(record + 11));
        orb_write16(self + kLimitX, orb_read16(record + 12));
        orb_write16(self + kLimitY, orb_read16(record + 14));
    }
    set_state(self, actor_state::wait_intro);
    orb_write32(self + object_record::routine, entry::sub_0899DB);
    orb_write8(self + object_record::anim_mode, 1);
    orb_write16(self + object_record::height, 288);
    if (!call(sub_061F06, 0x089A38, 0x089A34)) return;

L_089A3C:
    if (!intro_running()) {
        ret();
        return;
    }
    set_state(self, actor_state::delay);

L_089A48:
    if (!count_down16_sets_flags(self + kCountdown)) {
        ret();
        return;
    }
    set_state(self, actor_state::running);

L_089A56:
    grow(self + kGrowY, load_sx8(self + kStepY), orb_read16(self + kLimitY));
    grow(self + kGrowX, load_sx8(self + kStepX), orb_read16(self + kLimitX));
    sub_062094();
}

// Delayed sprite with its record at 0x089EDC.
void sub_089A9C() {
    ROUTINE_ENTRY(0x089A9C);
    orb_write32(r(20) + kRecord, rom::delayed_sprite);
    sub_089ABE();
}

// Delayed sprite: shown once the intro has started and its delay has run
// out. Record at +66: script, delay, x, y.
void sub_089ABE() {
    ROUTINE_ENTRY(0x089ABE);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == actor_state::wait_intro) goto L_089B10;
    if (state == actor_state::delay) goto L_089B1C;
    if (state == actor_state::running) goto L_089B2A;
    if (state != actor_state::setup) v60_unknown_jump(0x089ACA + 3 * state, 0x089AC7);
    orb_write32(self + object_record::routine, entry::sub_089ABE);
    read_record_head(self);
    set_state(self, actor_state::wait_intro);
    orb_write8(self + object_record::anim_mode, 1);
    orb_write16(self + object_record::height, 320);
    if (!call(sub_061F06, 0x089B0C, 0x089B08)) return;

L_089B10:
    if (!intro_running()) {
        ret();
        return;
    }
    set_state(self, actor_state::delay);

L_089B1C:
    if (!count_down16_sets_flags(self + kCountdown)) {
        ret();
        return;
    }
    set_state(self, actor_state::running);

L_089B2A:
    sub_062094();
}

// Arc actor: after its delay it flies in, its x step growing and its y step
// shrinking by one a frame, until it comes within 128 quarter pixels of its
// end position, where it snaps there showing frame 7.
void sub_089BBF() {
    ROUTINE_ENTRY(0x089BBF);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == actor_state::wait_intro) goto L_089C0E;
    if (state == actor_state::delay) goto L_089C1C;
    if (state == actor_state::running) goto L_089CA6;
    if (state != actor_state::setup) v60_unknown_jump(0x089BCB + 3 * state, 0x089BC8);
    set_state(self, actor_state::wait_intro);
    orb_write8(self + object_record::anim_mode, 1);
    orb_write16(self + kCountdown, orb_read16(rom::intro_arc_delay));
    orb_write16(self + object_record::world_x, orb_read16(rom::intro_arc_start_x));
    orb_write16(self + object_record::world_y, orb_read16(rom::intro_arc_start_y));
    orb_write8(self + kStepX, orb_read8(rom::intro_arc_step_x));
    orb_write8(self + kStepY, orb_read8(rom::intro_arc_step_y));
    orb_write16(self + object_record::height, 64);
    r(19) = rom::intro_arc_script;
    if (!call(sub_061F06, 0x089C0A, 0x089C06)) return;
    ret();
    return;

L_089C0E:
    if (!count_down16_sets_flags(self + kCountdown)) {
        ret();
        return;
    }
    set_state(self, actor_state::delay);

L_089C1C:
    {
        const uint8_t step_x = inc<uint8_t>(orb_read8(self + kStepX));
        const uint8_t step_y = dec<uint8_t>(orb_read8(self + kStepY));
        orb_write8(self + kStepX, step_x);
        orb_write8(self + kStepY, step_y);
        const uint16_t x = add<uint16_t>(orb_read16(self + object_record::world_x), sx8(step_x));
        orb_write16(self + object_record::world_x, x);
        orb_write16(self + object_record::world_y,
                    add<uint16_t>(orb_read16(self + object_record::world_y), sx8(step_y)));
        cmp<uint16_t>(x, orb_read16(rom::intro_arc_end_x) - 128u);
        if (greater_equal()) {
            set_state(self, actor_state::running);
            orb_write16(self + object_record::world_x, orb_read16(rom::intro_arc_end_x));
            orb_write16(self + object_record::world_y, orb_read16(rom::intro_arc_end_y));
            orb_write8(self + object_record::frame_index, 7);
            if (!call(sub_06200F, 0x089C86, 0x089C82)) return;
        }
        orb_write16(self + object_record::screen_x,
                    sha<uint16_t>(orb_read16(self + object_record::world_x), 0xFE) & 0x3FFF);
        orb_write16(self + object_record::screen_y,
                    sha<uint16_t>(orb_read16(self + object_record::world_y), 0xFE) & 0x3FFF);
    }

L_089CA6:
    if (!call(sub_061FB6, 0x089CAA, 0x089CA6)) return;
    sub_062094();
}

// Sound sequence: code 0x90 on ring A after 5 frames, then the ROM list at
// 0x089FF6 of {16-bit delay, 8-bit code} pairs on ring B, ended by a delay of 0.
void sub_089D23() {
    ROUTINE_ENTRY(0x089D23);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == sound_state::first_delay) goto L_089D3A;
    if (state == sound_state::next) goto L_089D55;
    if (state == sound_state::waiting) goto L_089D74;
    if (state == sound_state::done) {
        ret();
        return;
    }
    if (state != sound_state::setup) v60_unknown_jump(0x089D2F + 3 * state, 0x089D2C);
    set_state(self, sound_state::first_delay);
    orb_write8(self + kCountdown, 5);
    ret();
    return;

L_089D3A:
    orb_write8(self + kCountdown, dec<uint8_t>(orb_read8(self + kCountdown)));
    if (ne()) {
        ret();
        return;
    }
    set_state(self, sound_state::next);
    orb_write32(self + kSoundPointer, rom::intro_sound_sequence);
    r(0) = 0x90;
    if (!call(sub_088F98, 0x089D51, 0x089D4D)) return;

L_089D55:
    {
        const uint32_t pointer = orb_read32(self + kSoundPointer);
        const uint16_t delay = test<uint16_t>(orb_read16(pointer));
        if (eq()) {
            set_state(self, sound_state::done);
        } else {
            set_state(self, sound_state::waiting);
            orb_write32(self + kSoundPointer, pointer + 2);
            orb_write16(self + kCountdown, delay);
        }
    }
    ret();
    return;

L_089D74:
    if (!count_down16_sets_flags(self + kCountdown)) {
        ret();
        return;
    }
    set_state(self, sound_state::next);
    {
        const uint32_t pointer = orb_read32(self + kSoundPointer);
        r(0) = load_zx8(pointer);
        orb_write32(self + kSoundPointer, pointer + 1);
    }
    if (!call(sub_088FD7, 0x089D91, 0x089D8D)) return;
    ret();
}

// Title text: after the stage's delay, prints the stage's text record: a
// cell's low half, an attribute, a line count, then the lines, one text row
// (128 bytes) apart.
void sub_089D95() {
    ROUTINE_ENTRY(0x089D95);
    const uint32_t self = r(20);
    const uint32_t state = state_of(self);
    if (state == text_state::delay) goto L_089DB8;
    if (state == text_state::printed) {
        ret();
        return;
    }
    if (state != text_state::setup) v60_unknown_jump(0x089DA1 + 3 * state, 0x089D9E);
    set_state(self, text_state::delay);
    orb_write16(self + kCountdown, orb_read16(rom::intro_title_delays + 2 * stage_index()));
    ret();
    return;

L_089DB8:
    if (!count_down16_sets_flags(self + kCountdown)) {
        ret();
        return;
    }
    set_state(self, text_state::printed);
    r(19) = orb_read32(rom::intro_titles + 4 * stage_index());
    r(17) = hw::text_page | orb_read16(r(19));
    r(9) = load_zx8(r(19) + 2) << 8;
    r(2) = load_zx8(r(19) + 3);
    r(19) += 4;
    while (r(2) != 0) {
        r(18) = r(17);
        if (!call(sub_0889D2, 0x089DE4, 0x089DE0)) return;
        r(17) += 128;
        r(2) -= 1;
    }
    ret();
}
