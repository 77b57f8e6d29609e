// Child effects: short-lived sprites that stick to an owner object. A type
// picks an entry of the effect table (animation, start delay, lifetime, sound,
// and how it shows: follow, blink or pulse); the effect follows its owner
// until its lifetime runs out, its owner leaves play or an area change starts.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kEntrySize = 16;
constexpr uint32_t kStateTable = 0x082577;
constexpr uint32_t kStateJump = 0x082574;
constexpr uint32_t kCommandTable = 0x08262E;
constexpr uint32_t kCommandJump = 0x08262B;
constexpr uint16_t kDepthKey = 350;
constexpr uint32_t kCharacterByte = 149;   // on a player record: 0 plays no effect sound
constexpr unsigned kPlayerRecordBit = 15;  // low halves of the player records (0xA000 up)

// The table entry's fields, as read through +72: first relative to the entry's
// header (lifetime at +6), then to its offsets (X offset at +10).
namespace effect_entry {
constexpr uint32_t script = 0;
constexpr uint32_t first_frame = 4;
constexpr uint32_t delay = 5;
constexpr uint32_t header = 6;
// from the header
constexpr uint32_t lifetime = 0;
constexpr uint32_t sound = 2;
constexpr uint32_t command = 3;
constexpr uint32_t offsets = 4;
// from the offsets
constexpr uint32_t x_offset = 0;
constexpr uint32_t y_offset = 2;
constexpr uint32_t pulse_step = 4;
constexpr uint32_t pulse_period = 5;
}  // namespace effect_entry

enum : uint8_t { kSetUp = 0, kDelay = 1, kFollow = 2, kBlink = 3, kPulse = 4, kSetUpAgain = 5 };
enum : uint8_t { kCommandFollow = 0, kCommandBlink = 1, kCommandPulse = 2, kCommandThree = 3 };

// The blink's toggle: hidden for 4 frames, then shown for 8.
void blink_toggle(uint32_t effect) {
    orb_write8(effect + child_effect_record::countdown, 4);
    not_bit(effect + object_record::flags, object_flag::hidden);
    if (!test_bit(effect + object_record::flags, object_flag::hidden))
        orb_write8(effect + child_effect_record::countdown, 8);
}

// A size field of the first copied part: its low 10 bits replaced, the top 6
// bits kept, so a large value never spills into them.
void put_size(uint32_t field, uint32_t value) {
    orb_write16(field, logic<uint16_t>((orb_read16(field) & 0xFC00) | (value & 0x3FF)));
}

}  // namespace

// Child effect spawn with the caller as owner. In: R0 low byte = type, R20 =
// the owner and caller. Out: as sub_0824F3 (R10 low half = the owner).
void sub_0824F0() {
    ROUTINE_ENTRY(0x0824F0);
    set16(cpu.reg[10], cpu.reg[20]);
    sub_0824F3();
}

// Child effect spawn: a 128-byte object at the tail of the ring with its type
// and owner. A caller that is an enemy (flags bit 15) gets flags bit 11, the
// mark of a live effect that the effect's removal clears on the owner.
// In: R0 low byte = type, R10 low half = the owner, R20 = the caller.
// Out: R21 = the effect, Z clear (unless the caller's flags are 0); Z set
// when the 128-byte pool is empty and nothing was made.
void sub_0824F3() {
    ROUTINE_ENTRY(0x0824F3);
    if (!call(sub_088C67, 0x0824F8, 0x0824F3)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0824FF, 0x0824FA)) return;
    const uint32_t effect = cpu.reg[21];
    orb_write32(effect + object_record::routine, entry::sub_08254E);
    orb_write8(effect + object_record::type, static_cast<uint8_t>(cpu.reg[0]));
    orb_write16(effect + object_record::owner, static_cast<uint16_t>(cpu.reg[10]));
    const uint32_t caller = cpu.reg[20] + object_record::flags;
    test<uint16_t>(orb_read16(caller));
    if (negative())
        orb_write16(caller, logic<uint16_t>(orb_read16(caller) | 1u << object_flag::effect_lives));
    ret();
}

// Child effect spawn owned by a player in play: from a random one of the four
// player records, the first in slot order (wrapping round) whose flags bit 0
// is set. In: R0 low byte = type, R20 = the caller. Out: as sub_0824F3; Z set
// and nothing made when no player is in play.
void sub_08251B() {
    ROUTINE_ENTRY(0x08251B);
    push(cpu.reg[0]);
    if (!call(sub_06925A, 0x082522, 0x08251D)) return;
    cpu.reg[10] = var::player_records + (cpu.reg[0] & 0x300);
    cpu.reg[0] = pop();
    cpu.reg[11] = 4;
    do {
        if (test_bit(cpu.reg[10] + object_record::flags, object_flag::alive)) {
            sub_0824F3();
            return;
        }
        cpu.reg[10] = var::player_records + ((cpu.reg[10] + 0x100) & 0x300);
        cpu.reg[11] = dec<uint32_t>(cpu.reg[11]);
    } while (ne());
    ret();
}

// The child effect's routine, once a frame. It goes at once when its owner
// has left play or an area change starts. State 0 sets up the entry's
// animation and start delay; 1 waits out the delay, then reads the entry's
// header (lifetime, sound, command) and goes on as 2 follow, 3 blink or
// 4 pulse; each of these follows the owner and is listed until the lifetime
// runs out. State 5 is the set-up again; a state above 5 ends the run.
//
// Command 3 follows like command 0. (It would set state 5, whose set-up
// leaves state 6, which has no routine: the run would end a frame later.)
// In: R20 = the effect. Uses R10 = the owner, R11 = the entry.
void sub_08254E() {
    ROUTINE_ENTRY(0x08254E);
    const uint32_t effect = cpu.reg[20];
    cpu.reg[10] = linked(effect, object_record::owner);
    const uint32_t owner = cpu.reg[10];
    if (test_bit(var::game_flags, game_flag::area_change)) goto L_082690;
    if (!test_bit(owner + object_record::flags, object_flag::alive)) goto L_082690;
    {
        const uint8_t state = orb_read8(effect + object_record::state);
        switch (state) {
        case kSetUp:
        case kSetUpAgain: break;
        case kDelay: goto L_0825BE;
        case kFollow: goto L_082658;
        case kBlink: goto L_08260E;
        case kPulse: goto L_082621;
        default: v60_unknown_jump(kStateTable + 3u * state, kStateJump);
        }
    }
    // Set-up: animation in copy mode, the entry's first frame, the delay.
    orb_write8(effect + object_record::state, inc<uint8_t>(orb_read8(effect + object_record::state)));
    cpu.reg[11] = rom::child_effect_table + kEntrySize * load_zx8(effect + object_record::type);
    orb_write8(effect + object_record::anim_mode, anim_mode::copy);
    cpu.reg[19] = orb_read32(cpu.reg[11] + effect_entry::script);
    if (!call(sub_061F06, 0x08259D, 0x082598)) return;
    orb_write8(effect + object_record::frame_index, orb_read8(cpu.reg[11] + effect_entry::first_frame));
    if (!call(sub_06200F, 0x0825AA, 0x0825A5)) return;
    orb_write8(effect + child_effect_record::delay, orb_read8(cpu.reg[11] + effect_entry::delay));
    orb_write32(effect + child_effect_record::entry, cpu.reg[11] + effect_entry::header);

L_0825BE:  // state 1: the start delay (0 counts 256 frames); not shown meanwhile
    orb_write8(effect + child_effect_record::delay,
               dec<uint8_t>(orb_read8(effect + child_effect_record::delay)));
    if (ne()) {
        ret();
        return;
    }
    cpu.reg[11] = orb_read32(effect + child_effect_record::entry);
    orb_write16(effect + child_effect_record::lifetime, orb_read16(cpu.reg[11] + effect_entry::lifetime));
    cpu.reg[0] = load_zx8(cpu.reg[11] + effect_entry::sound);
    test<uint8_t>(cpu.reg[0]);
    if (ne()) {
        // No sound for a player owner whose character byte is 0.
        bool heard = true;
        bit_flags(owner, kPlayerRecordBit);
        if (carry()) {
            test<uint8_t>(orb_read8(owner + kCharacterByte));
            heard = ne();
        }
        if (heard) {
            if (!call(sub_088FD7, 0x0825F4, 0x0825EF)) return;
        }
    }
    {
        const uint8_t command = orb_read8(cpu.reg[11] + effect_entry::command);
        orb_write32(effect + child_effect_record::entry, cpu.reg[11] + effect_entry::offsets);
        orb_write8(effect + object_record::state, static_cast<uint8_t>(kFollow + command));
        switch (command) {
        case kCommandFollow: goto L_082658;
        case kCommandBlink: blink_toggle(effect); goto L_082658;
        case kCommandPulse:
            {
                const uint32_t offsets = orb_read32(effect + child_effect_record::entry);
                orb_write8(effect + child_effect_record::scale_step,
                           orb_read8(offsets + effect_entry::pulse_step));
                const uint8_t period = orb_read8(offsets + effect_entry::pulse_period);
                orb_write8(effect + child_effect_record::period, period);
                orb_write8(effect + child_effect_record::scale, 16);
                orb_write8(effect + child_effect_record::countdown, period);
                goto L_082658;
            }
        case kCommandThree: orb_write8(effect + object_record::state, kFollow); goto L_082658;
        default: v60_unknown_jump(kCommandTable + 3u * command, kCommandJump);
        }
    }

L_08260E:  // state 3: blink
    orb_write8(effect + child_effect_record::countdown,
               dec<uint8_t>(orb_read8(effect + child_effect_record::countdown)));
    if (eq()) blink_toggle(effect);
    goto L_082658;

L_082621:  // state 4: pulse, the first part's sizes from the scale (16 = as drawn)
    {
        const uint8_t scale = add<uint8_t>(orb_read8(effect + child_effect_record::scale),
                                           orb_read8(effect + child_effect_record::scale_step));
        orb_write8(effect + child_effect_record::scale, scale);
        const uint32_t part = effect + object_record::copied_parts + 1;
        put_size(part + 6, (load_zx8(part + 2) * 4u * scale) >> 4);
        put_size(part + 4, (load_zx8(part + 3) * scale) >> 4);
        orb_write8(effect + child_effect_record::countdown,
                   dec<uint8_t>(orb_read8(effect + child_effect_record::countdown)));
        if (eq()) {
            orb_write8(effect + child_effect_record::scale_step,
                       neg<uint8_t>(orb_read8(effect + child_effect_record::scale_step)));
            orb_write8(effect + child_effect_record::countdown,
                       orb_read8(effect + child_effect_record::period));
        }
    }

L_082658:  // follow: count the lifetime, then the owner's position plus the offsets
    orb_write16(effect + child_effect_record::lifetime,
                dec<uint16_t>(orb_read16(effect + child_effect_record::lifetime)));
    if (eq()) goto L_082690;
    {
        const uint32_t offsets = orb_read32(effect + child_effect_record::entry);
        orb_write16(effect + object_record::world_x,
                    add<uint16_t>(orb_read16(owner + object_record::world_x),
                                  orb_read16(offsets + effect_entry::x_offset)));
        orb_write16(effect + object_record::world_y,
                    add<uint16_t>(orb_read16(owner + object_record::world_y),
                                  orb_read16(offsets + effect_entry::y_offset)));
        orb_write16(effect + object_record::height, orb_read16(owner + object_record::height));
    }
    if (!call(sub_062044, 0x082689, 0x082684)) return;
    cpu.reg[0] = kDepthKey;
    sub_0620DC();
    return;

L_082690:  // removal: the owner's live-effect mark goes with it
    {
        const uint32_t owner_flags = linked(effect, object_record::owner) + object_record::flags;
        test<uint16_t>(orb_read16(owner_flags));
        if (negative())
            orb_write16(owner_flags,
                        logic<uint16_t>(orb_read16(owner_flags) & ~(1u << object_flag::effect_lives)));
    }
    if (!call(sub_088CD3, 0x0826AE, 0x0826A9)) return;
    sub_088D0C();
}

// An empty routine: returns at once.
void sub_082E5D() {
    ROUTINE_ENTRY(0x082E5D);
    ret();
}
