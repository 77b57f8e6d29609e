// The companion: a 64-byte object that draws a ground sprite under its parent
// for the parent's whole life, sized from the parent's sprite (or from the
// playfield zoom during an area change), and listed in two depth buckets so
// that both of its fixed part sets are drawn every frame.
#include "game/actors/common.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kFixedParts = 0x13164E;  // part count, then the first part set
constexpr uint32_t kStateTable = 0x077BF2;
constexpr uint32_t kStateJump = 0x077BEF;
constexpr uint16_t kFirstKey = static_cast<uint16_t>(-126);
constexpr uint16_t kSecondKey = static_cast<uint16_t>(-124);

enum : uint8_t { kFollowing = 0, kAreaChange = 1, kPlacedObjects = 2, kRelease = 3 };

// Mirror bits 6 and 7 from the parent, the other bits kept.
void copy_mirror(uint32_t object, uint32_t parent) {
    constexpr uint32_t kMirrorBits = flag_mask(object_flag::mirror_x, object_flag::mirror_y);
    const uint16_t mirror = logic<uint16_t>(orb_read16(parent + object_record::flags) & kMirrorBits);
    orb_write16(object + object_record::flags,
                logic<uint16_t>((orb_read16(object + object_record::flags) & ~kMirrorBits) | mirror));
}

// The X offset: the creator's base plus the parent's first-part X offset.
void take_x_offset(uint32_t object, uint32_t parent) {
    orb_write16(object + companion_record::x_offset,
                add<uint16_t>(orb_read16(object + companion_record::x_offset_base),
                              orb_read16(parent + companion_record::parent_x_offset)));
}

}  // namespace

// Companion spawn: a 64-byte object at the tail of the ring, following the
// parent, its offsets from the creator's data and its part sizes from the
// first fixed part set. In: R20 = the parent, R10 = its companion data (two
// words: X offset base, Y offset). Out: R21 = the companion, Z clear; Z set
// and R21 unchanged when the 64-byte pool is empty. R10 ends at the first
// part of the fixed set.
void sub_077B88() {
    ROUTINE_ENTRY(0x077B88);
    if (!call(sub_088C77, 0x077B8D, 0x077B88)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x077B94, 0x077B8F)) return;
    const uint32_t object = cpu.reg[21];
    orb_write32(object + object_record::routine, entry::sub_077BD6);
    orb_write8(object + object_record::state, kFollowing);
    orb_write16(object + object_record::height, 0);
    orb_write8(object + object_record::anim_mode, anim_mode::fixed_a);
    orb_write16(object + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write16(object + companion_record::x_offset_base, orb_read16(cpu.reg[10]));
    orb_write16(object + companion_record::y_offset, orb_read16(cpu.reg[10] + 2));
    cpu.reg[10] = kFixedParts + 1;
    orb_write16(object + companion_record::source_width, orb_read16(cpu.reg[10] + 2));
    orb_write16(object + companion_record::part_width, orb_read16(cpu.reg[10] + 6));
    orb_write16(object + companion_record::part_height, orb_read16(cpu.reg[10] + 4));
    ret();
}

// The companion's routine, once a frame. State 0 follows the parent and is
// drawn while the parent shows; 1 (area change) takes its size from the
// playfield zoom and the parent's screen position; 2 (placed-object area)
// waits undrawn; 3 releases it. It releases itself as soon as the parent's
// flags lose bit 0. A state above 3 has no routine and ends the run.
// In: R20 = the companion. Out: R10 = the parent.
void sub_077BD6() {
    ROUTINE_ENTRY(0x077BD6);
    const uint32_t object = cpu.reg[20];
    cpu.reg[10] = linked(object, object_record::owner);
    const uint32_t parent = cpu.reg[10];
    if (!test_bit(parent + object_record::flags, object_flag::alive)) goto L_077CFE;
    {
        const uint8_t state = orb_read8(object + object_record::state);
        switch (state) {
        case kFollowing: break;
        case kAreaChange: goto L_077C3E;
        case kPlacedObjects: goto L_077C6E;
        case kRelease: goto L_077CFE;
        default: v60_unknown_jump(kStateTable + 3u * state, kStateJump);
        }
    }
    // State 0: following.
    if (test_bit(var::game_flags, game_flag::placed_objects)) {
        orb_write8(object + object_record::state, kPlacedObjects);
        ret();
        return;
    }
    if (test_bit(var::game_flags, game_flag::area_change)) {
        orb_write8(object + object_record::state, kAreaChange);
        goto L_077C3E;
    }
    if (test_bit(parent + object_record::flags, object_flag::hidden)) {
        ret();
        return;
    }
    if (!test_bit(parent + object_record::flags, object_flag::listed)) {
        ret();
        return;
    }
    goto L_077C88;

L_077C3E:  // state 1: area change
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        if (test_bit(var::game_flags, game_flag::placed_objects)) {
            orb_write8(object + object_record::state, kPlacedObjects);
            ret();
            return;
        }
        orb_write8(object + object_record::state, kFollowing);
        goto L_077C88;
    }
    {
        // Sizes from the zoom (0x200 full size): the width byte Z x w >> 7,
        // the height byte (Z - 256) x h >> 8, negative below 0x100.
        const uint32_t zoom = load_zx16(var::nbg0_zoom);
        orb_write8(object + companion_record::part_width,
                   static_cast<uint8_t>(shl<uint32_t>(
                       mulu<uint32_t>(zoom, load_zx8(object + companion_record::source_width)), 0xF9)));
        orb_write8(object + companion_record::part_height,
                   static_cast<uint8_t>(sha<uint32_t>(
                       mul<uint32_t>(zoom - 256, load_zx8(object + companion_record::source_height)), 0xF8)));
        orb_write16(object + object_record::screen_x, orb_read16(parent + object_record::screen_x));
        orb_write16(object + object_record::screen_y, orb_read16(parent + object_record::screen_y));
        take_x_offset(object, parent);
        copy_mirror(object, parent);
    }
    goto L_077CC6;

L_077C6E:  // state 2: placed-object area
    if (test_bit(var::game_flags, game_flag::area_change)) {
        orb_write8(object + object_record::state, kAreaChange);
    } else if (!test_bit(var::game_flags, game_flag::placed_objects)) {
        orb_write8(object + object_record::state, kFollowing);
    }
    ret();
    return;

L_077C88:  // follow: the parent's ground position, 16 pixels wider than its first part
    orb_write16(object + object_record::world_x, orb_read16(parent + object_record::world_x));
    orb_write16(object + object_record::world_y, orb_read16(parent + object_record::world_y));
    {
        const uint16_t width = add<uint16_t>(orb_read16(orb_read32(parent + object_record::frame) + 7), 16);
        orb_write16(
            object + companion_record::part_width,
            logic<uint16_t>((orb_read16(object + companion_record::part_width) & 0xFC00) | (width & 0x3FF)));
    }
    take_x_offset(object, parent);
    copy_mirror(object, parent);
    if (!call(sub_062044, 0x077CC1, 0x077CBC)) return;

L_077CC6:  // display: listed under two keys, one per fixed part set
    if (test_bit(object + object_record::flags, object_flag::hidden)) {
        ret();
        return;
    }
    cpu.reg[0] = sx16(kFirstKey);
    if (!call(sub_0620DC, 0x077CDC, 0x077CD7)) return;
    if (!test_bit(object + object_record::flags, object_flag::listed)) {
        ret();
        return;
    }
    cpu.reg[0] = sx16(kSecondKey);
    sub_062106();
    return;

L_077CFE:  // release: unlinked, pushed on the 64-byte pool's free stack
    if (!call(sub_088CD3, 0x077D03, 0x077CFE)) return;
    actors::push_free_64(cpu.reg[20]);
    ret();
}
