// Actors of the presentation scenes (split sprite, drop-in sprites, text
// writer), the score-ranking screen's sprites, and the effect emitter with its
// particles.
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// Object fields of this file's own use.
constexpr uint32_t kCounter = 54;        // 8-bit (split sprite), 16-bit (text writer, emitter)
constexpr uint32_t kParticleIndex = 55;  // emitter, 0 to 15
constexpr uint32_t kFirstPartX = 106;    // x offsets of the first two copied parts
constexpr uint32_t kSecondPartX = 122;
constexpr uint32_t kLine = 128;  // text writer: next line, its cell, its attribute
constexpr uint32_t kLineCell = 132;
constexpr uint32_t kLineAttribute = 136;

using self::field;
using self::set_state;
// The scene objects' states.
namespace split_state {
constexpr uint8_t setup = 0, wait_fade = 1, wait = 2, split = 3, gone = 4;
}  // namespace split_state
// The drop-in sprite.
namespace drop_state {
constexpr uint8_t setup = 0, hidden = 1, falling = 2, landed = 3;
}  // namespace drop_state
namespace text_state {
constexpr uint8_t setup = 0, wait = 1, printing = 2;
}  // namespace text_state
// The ranking sprites, the effect emitter and its particles.
namespace shown_state {
constexpr uint8_t setup = 0, shown = 1;
}  // namespace shown_state

void place(uint32_t x, uint32_t y, uint32_t key) {
    orb_write16(field(object_record::screen_x), static_cast<uint16_t>(x));
    orb_write16(field(object_record::screen_y), static_cast<uint16_t>(y));
    orb_write16(field(object_record::height), static_cast<uint16_t>(key));
}

// Presentation actors leave the 256-byte pool's way: pushed on its free stack
// by hand, as nothing releases that pool.
void push_on_256_pool() {
    const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_256));
    orb_write16(var::free_stack_256, count);
    orb_write16(var::free_stack_256 + 2u * count, static_cast<uint16_t>(cpu.reg[20]));
}

// True while the mode is the presentation scene.
bool in_presentation() {
    cmp<uint8_t>(orb_read8(var::game_mode), game_mode::presentation);
    return eq();
}

}  // namespace

// Split sprite: waits for the fade in and 29 more frames, moves its first two
// parts 8 pixels apart a frame for 20 frames, then removes itself in state 4
// (the drop-in sprites watch for that). In: R20 = the object.
void sub_081CB5() {
    ROUTINE_ENTRY(0x081CB5);
    if (!in_presentation()) goto L_081CC0;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case split_state::setup:
        set_state(split_state::wait_fade);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        cpu.reg[19] = rom::split_script;
        if (!call(sub_061F06, 0x081CED, 0x081CEA)) return;
        place(159, 0, 224);
        [[fallthrough]];
    case split_state::wait_fade:
        if (test_bit(var::system_flags, system_flag::fade_running)) goto L_list;
        set_state(split_state::wait);
        orb_write8(field(kCounter), 30);
        [[fallthrough]];
    case split_state::wait:
        orb_write8(field(kCounter), dec<uint8_t>(orb_read8(field(kCounter))));
        if (greater()) goto L_list;
        set_state(split_state::split);
        orb_write8(field(kCounter), 21);
        [[fallthrough]];
    case split_state::split:
        orb_write8(field(kCounter), dec<uint8_t>(orb_read8(field(kCounter))));
        if (!greater()) {
            set_state(split_state::gone);
            goto L_081CC0;
        }
        orb_write16(field(kFirstPartX), sub<uint16_t>(orb_read16(field(kFirstPartX)), 8));
        orb_write16(field(kSecondPartX), add<uint16_t>(orb_read16(field(kSecondPartX)), 8));
        goto L_list;
    default: v60_unknown_jump(0x081CD5 + 3 * cpu.reg[0], 0x081CD1);
    }
L_list:
    sub_062094();
    return;
L_081CC0:
    if (!call(sub_088CD3, 0x081CC3, 0x081CC0)) return;
    push_on_256_pool();
    ret();
}

// Drop-in sprite: shown at its place in its first frame, hidden until its
// owner (the split sprite) reaches state 4, then falls 8 pixels a frame until
// its screen Y is 0. In: R20 = the object; its type is the scene index.
void sub_081D57() {
    ROUTINE_ENTRY(0x081D57);
    if (!in_presentation()) goto L_081D62;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case drop_state::setup:
        set_state(drop_state::hidden);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        cpu.reg[0] = load_zx8(field(object_record::type));
        cpu.reg[19] = orb_read32(rom::drop_scripts + 4 * cpu.reg[0]);
        if (!call(sub_061F06, 0x081D93, 0x081D90)) return;
        cpu.reg[19] = rom::drop_places + 6 * cpu.reg[0];
        place(orb_read16(cpu.reg[19]), orb_read16(cpu.reg[19] + 2), orb_read16(cpu.reg[19] + 4));
        // The owner's state is read even from a freed record, which keeps it.
        cpu.reg[21] = kHigh | orb_read16(field(object_record::owner));
        cmp<uint8_t>(orb_read8(cpu.reg[21] + object_record::state), split_state::gone);
        if (greater_equal()) {
            set_state(drop_state::falling);
            if (!call(sub_061FB6, 0x081DC3, 0x081DC0)) return;
        }
        goto L_list;
    case drop_state::hidden:
        cpu.reg[21] = kHigh | orb_read16(field(object_record::owner));
        cmp<uint8_t>(orb_read8(cpu.reg[21] + object_record::state), split_state::gone);
        if (less()) {
            ret();
            return;
        }
        set_state(drop_state::falling);
        [[fallthrough]];
    case drop_state::falling:
        orb_write16(field(object_record::screen_y),
                    add<uint16_t>(orb_read16(field(object_record::screen_y)), 8));
        if (positive()) {
            orb_write16(field(object_record::screen_y), 0);
            set_state(drop_state::landed);
        }
        goto L_list;
    case drop_state::landed: goto L_list;
    default: v60_unknown_jump(0x081D77 + 3 * cpu.reg[0], 0x081D73);
    }
L_list:
    sub_062094();
    return;
L_081D62:
    if (!call(sub_088CD3, 0x081D65, 0x081D62)) return;
    push_on_256_pool();
    ret();
}

// Text writer: 150 frames after it starts, prints the scene's text one line
// every second frame, the first line with the scene's attribute and the rest
// with 0, each a row lower; it ends after the line followed by a byte with
// bit 7 set, or at once when the scene has no text. Never listed.
// In: R20 = the object; its type is the scene index.
void sub_081E2A() {
    ROUTINE_ENTRY(0x081E2A);
    if (!in_presentation()) goto L_081E35;
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case text_state::setup:
        set_state(text_state::wait);
        cpu.reg[0] = load_zx8(field(object_record::type));
        cpu.reg[19] = orb_read32(rom::presentation_texts + 4 * cpu.reg[0]);
        test<uint32_t>(cpu.reg[19]);
        if (eq()) goto L_081E35;
        orb_write32(field(kLine), cpu.reg[19]);
        orb_write32(field(kLineCell), 0x310000u | orb_read16(rom::presentation_first_cell));
        orb_write8(field(kLineAttribute), orb_read8(rom::presentation_text_attributes + cpu.reg[0]));
        orb_write16(field(kCounter), 150);
        [[fallthrough]];
    case text_state::wait:
        orb_write16(field(kCounter), dec<uint16_t>(orb_read16(field(kCounter))));
        if (ne()) {
            ret();
            return;
        }
        set_state(text_state::printing);
        [[fallthrough]];
    case text_state::printing:
        orb_write8(field(kCounter), logic<uint8_t>((orb_read8(field(kCounter)) + 1) & 1));
        if (ne()) {
            ret();
            return;
        }
        cpu.reg[19] = orb_read32(field(kLine));
        cpu.reg[18] = orb_read32(field(kLineCell));
        set8(cpu.reg[9], orb_read8(field(kLineAttribute)));
        if (!call(sub_0889CF, 0x081EA3, 0x081EA0)) return;
        if (orb_read8(cpu.reg[19]) & 0x80) goto L_081E35;
        orb_write32(field(kLine), cpu.reg[19]);
        orb_write32(field(kLineCell), orb_read32(field(kLineCell)) + 128);
        orb_write8(field(kLineAttribute), 0);
        ret();
        return;
    default: v60_unknown_jump(0x081E4A + 3 * cpu.reg[0], 0x081E46);
    }
L_081E35:
    if (!call(sub_088CD3, 0x081E38, 0x081E35)) return;
    push_on_256_pool();
    ret();
}

// Ranking sprite k (its type): frame k of the ranking script for as long as
// the ranking screen lasts. In: R20 = the object.
void sub_08A364() {
    ROUTINE_ENTRY(0x08A364);
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case shown_state::setup:
        set_state(shown_state::shown);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        cpu.reg[0] = load_zx8(field(object_record::type));
        place(orb_read16(rom::ranking_places + 4 * cpu.reg[0]),
              orb_read16(rom::ranking_places + 4 * cpu.reg[0] + 2), 0xFF80);
        cpu.reg[19] = rom::ranking_script;
        if (!call(sub_061F06, 0x08A393, 0x08A390)) return;
        orb_write8(field(object_record::frame_index), static_cast<uint8_t>(cpu.reg[0]));
        if (!call(sub_06200F, 0x08A39B, 0x08A398)) return;
        [[fallthrough]];
    case shown_state::shown:
        cmp<uint8_t>(orb_read8(var::game_mode), game_mode::ranking_screen);
        if (eq()) {
            sub_062094();
            return;
        }
        if (!call(sub_088CD3, 0x08A3B3, 0x08A3B0)) return;
        sub_088D0C();
        return;
    default: v60_unknown_jump(0x08A370 + 3 * cpu.reg[0], 0x08A36C);
    }
}

// Effect emitter: a fixed sprite that creates one particle a frame, the
// particles taking the positions 0 to 15 in turn. In: R20 = the object.
void sub_08A876() {
    ROUTINE_ENTRY(0x08A876);
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case shown_state::setup:
        set_state(shown_state::shown);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        orb_write16(field(kCounter), 0);
        place(0, 0, 64);
        cpu.reg[19] = rom::emitter_script;
        if (!call(sub_061F06, 0x08A8A3, 0x08A8A0)) return;
        [[fallthrough]];
    case shown_state::shown:
        if (!call(sub_062094, 0x08A8AB, 0x08A8A8)) return;
        if (!call(sub_088C67, 0x08A8AE, 0x08A8AB)) return;
        // An empty pool leaves R21 as it was: nothing is linked or written.
        if (ne()) {
            if (!call(sub_088CA5, 0x08A8B5, 0x08A8B2)) return;
            orb_write32(cpu.reg[21] + object_record::routine, entry::sub_08A8DD /* particle */);
            orb_write8(cpu.reg[21] + object_record::type, orb_read8(field(kParticleIndex)));
        }
        orb_write8(field(kParticleIndex), logic<uint8_t>((orb_read8(field(kParticleIndex)) + 1) & 15));
        ret();
        return;
    default: v60_unknown_jump(0x08A882 + 3 * cpu.reg[0], 0x08A87E);
    }
}

// Effect particle j (its type): its script at position j, listed until the
// script stops, then back to the 128-byte pool. In: R20 = the object.
void sub_08A8DD() {
    ROUTINE_ENTRY(0x08A8DD);
    cpu.reg[0] = load_zx8(field(object_record::state));
    switch (cpu.reg[0]) {
    case shown_state::setup:
        set_state(shown_state::shown);
        orb_write8(field(object_record::anim_mode), anim_mode::copy);
        cpu.reg[0] = load_zx8(field(object_record::type));
        place(orb_read16(rom::particle_places + 4 * cpu.reg[0]),
              orb_read16(rom::particle_places + 4 * cpu.reg[0] + 2), 224);
        cpu.reg[19] = rom::particle_script;
        if (!call(sub_061F06, 0x08A903, 0x08A900)) return;
        [[fallthrough]];
    case shown_state::shown:
        if (!call(sub_061FB6, 0x08A90B, 0x08A908)) return;
        test<uint8_t>(orb_read8(field(object_record::frame_duration)));
        if (ne()) {
            sub_062094();
            return;
        }
        if (!call(sub_088CD3, 0x08A918, 0x08A915)) return;
        sub_088D0C();
        return;
    default: v60_unknown_jump(0x08A8E9 + 3 * cpu.reg[0], 0x08A8E5);
    }
}
