// The sprite list: its set-up at boot, objects placed on screen through a
// camera, culled and linked into depth buckets, and the list built from the
// buckets once a frame, back to front, into one of two lists in sprite RAM.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// Boot values of the sprite-control registers and the list header.
constexpr uint32_t kControlBytes = 0x060A86;  // registers 0, 2, 3, 4, 5, 6
constexpr uint32_t kListHeader = 0x060A8E;    // entry 0 and the first half of entry 1

// Modes 3 and 4 draw these part sets in turn, with words 2 to 5 from the object.
constexpr uint32_t kFixedPartsA = 0x13164E;
constexpr uint32_t kFixedPartsB = 0x13165F;
constexpr uint32_t kFixedWord2 = 52;
constexpr uint32_t kFixedWord3 = 54;
constexpr uint32_t kFixedY = 56;
constexpr uint32_t kFixedX = 58;

constexpr uint32_t kBucketCount = 512;
constexpr int16_t kKeyFirst = -128, kKeyEnd = 352;    // keys listed: -128 to 351
constexpr int16_t kLeftEdge = -256, kRightEnd = 576;  // screen x listed: -256 to 575
constexpr uint32_t kPartSize = 16;

bool flag(uint32_t object, unsigned bit) { return (orb_read32(object + object_record::flags) >> bit) & 1; }

uint16_t negated_if(bool mirrored, uint16_t offset) {
    return mirrored ? static_cast<uint16_t>(-offset) : offset;
}

void put_entry(uint32_t at, const uint16_t (&w)[8]) {
    for (uint32_t k = 0; k < 8; ++k) orb_write16(at + 2 * k, w[k]);
}

// The parts of the object's frame, placed at its screen position; its mirror
// bits flip each part and its offsets. A count of 0 lists nothing (the guest's
// loop would run 256 times; such frames do not occur). Returns the new write
// position.
uint32_t list_frame(uint32_t at, uint32_t object) {
    const bool mirror_x = flag(object, object_flag::mirror_x);
    const bool mirror_y = flag(object, object_flag::mirror_y);
    const uint16_t x = orb_read16(object + object_record::screen_x);
    const uint16_t y = orb_read16(object + object_record::screen_y);
    const uint32_t frame = orb_read32(object + object_record::frame);
    const uint8_t count = orb_read8(frame);
    for (uint32_t part = frame + 1; part < frame + 1 + kPartSize * count;
         part += kPartSize, at += kPartSize) {
        uint16_t w[8];
        for (uint32_t k = 0; k < 8; ++k) w[k] = orb_read16(part + 2 * k);
        w[0] ^= (mirror_x ? 0x40 : 0) | (mirror_y ? 0x80 : 0);
        w[4] = static_cast<uint16_t>(y + negated_if(mirror_y, w[4]));
        w[5] = static_cast<uint16_t>(x + negated_if(mirror_x, w[5]));
        put_entry(at, w);
    }
    return at;
}

// A fixed part set: words 0, 1, 6 and 7 from each part, the size words and
// the offsets from the object, the offsets mirrored by its owner's bits.
uint32_t list_fixed(uint32_t at, uint32_t object, uint32_t set) {
    const uint32_t owner = kHigh | orb_read16(object + object_record::owner);
    const uint16_t x =
        static_cast<uint16_t>(orb_read16(object + object_record::screen_x) +
                              negated_if(flag(owner, object_flag::mirror_x), orb_read16(object + kFixedX)));
    const uint16_t y =
        static_cast<uint16_t>(orb_read16(object + object_record::screen_y) +
                              negated_if(flag(owner, object_flag::mirror_y), orb_read16(object + kFixedY)));
    const uint8_t count = orb_read8(set);
    for (uint32_t part = set + 1; part < set + 1 + kPartSize * count; part += kPartSize, at += kPartSize) {
        const uint16_t w[8] = {orb_read16(part),
                               orb_read16(part + 2),
                               orb_read16(object + kFixedWord2),
                               orb_read16(object + kFixedWord3),
                               y,
                               x,
                               orb_read16(part + 12),
                               orb_read16(part + 14)};
        put_entry(at, w);
    }
    return at;
}

}  // namespace

// Boot set-up of the sprite engine: control registers 0 and 2 to 6 from ROM,
// register 2's two frame-mirror bits flipped with a flipped screen (register 1
// stays as it is), then the list reset.
void sub_060978() {
    ROUTINE_ENTRY(0x060978);
    orb_write8(hw::sprite_control, orb_read8(kControlBytes));
    uint8_t mirror = orb_read8(kControlBytes + 1);
    test<uint8_t>(orb_read8(var::flip_screen));
    if (ne()) mirror = logic<uint8_t>(mirror ^ 3);
    orb_write8(hw::sprite_control + 2 * 2, mirror);
    for (uint32_t n = 3; n <= 6; ++n)
        orb_write8(hw::sprite_control + 2 * n, orb_read8(kControlBytes + n - 1));
    sub_0609AA();
}

// Sprite list reset: the header from ROM, the pointer at list B (so that the
// next list goes to A) and list B left empty.
void sub_0609AA() {
    ROUTINE_ENTRY(0x0609AA);
    for (uint32_t i = 0; i < 24; i += 4) orb_write32(hw::sprite_ram + i, orb_read32(kListHeader + i));
    orb_write32(var::sprite_list_pointer, hw::sprite_list_b);
    orb_write16(hw::sprite_list_b, 0xFFFF);
    ret();
}

// Places the object with the fourth camera record. In: R20 = the object.
// Out: R10 = the camera record.
void sub_06203D() {
    ROUTINE_ENTRY(0x06203D);
    cpu.reg[10] = var::camera_records + 3 * camera_record::size;
    sub_062049();
}

// Places the object with the playfield's camera. In: R20 = the object.
// Out: R10 = the camera record.
void sub_062044() {
    ROUTINE_ENTRY(0x062044);
    cpu.reg[10] = orb_read32(var::camera_pointer);
    sub_062049();
}

// World to screen: each coordinate in pixels less the camera's, both taken
// from quarter pixels by an arithmetic shift; the height lifts screen y except
// in areas of placed objects. In: R20 = the object, R10 = the camera record.
void sub_062049() {
    ROUTINE_ENTRY(0x062049);
    const uint32_t object = cpu.reg[20], camera = cpu.reg[10];
    const uint16_t x = sub<uint16_t>(sha<uint16_t>(orb_read16(object + object_record::world_x), 0xFE),
                                     sha<uint16_t>(orb_read16(camera + camera_record::x), 0xFE));
    orb_write16(object + object_record::screen_x, x);
    uint16_t y = sub<uint16_t>(sha<uint16_t>(orb_read16(object + object_record::world_y), 0xFE),
                               sha<uint16_t>(orb_read16(camera + camera_record::y), 0xFE));
    if (!test_bit(var::game_flags, game_flag::placed_objects))
        y = sub<uint16_t>(y, sha<uint16_t>(orb_read16(object + object_record::height), 0xFE));
    orb_write16(object + object_record::screen_y, y);
    ret();
}

// Lists the object with its height as the depth key. In: R20 = the object.
// Out: R0 = the key.
void sub_062094() {
    ROUTINE_ENTRY(0x062094);
    cpu.reg[0] = load_sx16(cpu.reg[20] + object_record::height);
    sub_0620DC();
}

// Lists the object with its ground line on screen as the depth key: screen y
// plus a quarter of the height, even where screen y leaves the height out.
// In: R20 = the object. Out: R0 low half = the key.
void sub_0620CD() {
    ROUTINE_ENTRY(0x0620CD);
    const uint32_t object = cpu.reg[20];
    cpu.reg[0] = load_sx16(object + object_record::screen_y);
    set16(cpu.reg[0],
          add<uint16_t>(cpu.reg[0], sha<uint16_t>(orb_read16(object + object_record::height), 0xFE)));
    sub_0620DC();
}

// Cull and link: the listed bit is cleared at every attempt; a hidden object,
// a key outside -128 to 351 or a screen x outside -256 to 575 is not listed
// (nothing limits y). In: R20 = the object, R0 low half = the depth key.
void sub_0620DC() {
    ROUTINE_ENTRY(0x0620DC);
    const uint32_t flags = cpu.reg[20] + object_record::flags;
    clear_bit(flags, object_flag::listed);
    if (test_bit(flags, object_flag::hidden)) {
        ret();
        return;
    }
    cmp<uint16_t>(cpu.reg[0], static_cast<uint16_t>(kKeyFirst));
    if (less()) {
        ret();
        return;
    }
    cmp<uint16_t>(cpu.reg[0], kKeyEnd);
    if (greater_equal()) {
        ret();
        return;
    }
    const uint16_t x = orb_read16(cpu.reg[20] + object_record::screen_x);
    cmp<uint16_t>(x, static_cast<uint16_t>(kLeftEdge));
    if (less()) {
        ret();
        return;
    }
    cmp<uint16_t>(x, kRightEnd);
    if (greater_equal()) {
        ret();
        return;
    }
    sub_062106();
}

// Links the object at the head of the bucket of its depth key, counts it and
// marks it listed. In: R20 = the object, R0 low half = the key (signed).
//
// An object already on the bucket's chain is left as it is, wherever it
// stands: linking it again would point it back into the chain ahead of itself,
// a loop the list builder never leaves. (The chain can reach it through an
// object that was itself linked again under another key.)
void sub_062106() {
    ROUTINE_ENTRY(0x062106);
    const uint32_t object = cpu.reg[20];
    const uint32_t bucket = var::display_bucket_zero + 2 * sx16(cpu.reg[0]);
    for (uint16_t on_chain = orb_read16(bucket); on_chain != 0;
         on_chain = orb_read16((kHigh | on_chain) + object_record::display_link)) {
        cmp<uint16_t>(on_chain, object);
        if (eq()) {
            ret();
            return;
        }
    }
    orb_write16(object + object_record::display_link, orb_read16(bucket));
    orb_write16(bucket, static_cast<uint16_t>(object));
    orb_write16(var::display_count, inc<uint16_t>(orb_read16(var::display_count)));
    set_bit(object + object_record::flags, object_flag::listed);
    ret();
}

// Builds this frame's sprite list, unless the sprite switch-off bit is set:
// the other list of the two becomes the write position; the buckets are
// walked from key -128 up, each emptied as it is taken and its chain listed
// head first; the list ends with an end entry and is marked ready for the
// vblank handler. Modes other than 0 to 5 end the run.
// Uses R18 = the write position, R20 = the object being listed, R27 and R28
// as the bucket search leaves them.
void sub_062121() {
    ROUTINE_ENTRY(0x062121);
    if (test_bit(var::system_flags, system_flag::sprite_switch_off)) {
        ret();
        return;
    }
    not_bit(var::sprite_list_pointer, 16);
    cpu.reg[18] = orb_read32(var::sprite_list_pointer);
    test<uint16_t>(orb_read16(var::display_count));
    if (ne()) {
        uint32_t bucket = var::display_buckets;
        uint32_t left = kBucketCount;
        for (;;) {
            v60_search_halfwords(bucket, left, 0, 0);
            cmp<uint32_t>(cpu.reg[27], left);
            if (eq()) break;
            bucket = cpu.reg[28];
            left -= cpu.reg[27] + 1;
            cpu.reg[20] = kHigh | orb_read16(bucket);
            orb_write16(bucket, 0);
            bucket += 2;
            do {
                const uint32_t object = cpu.reg[20];
                const uint32_t mode = load_zx8(object + object_record::anim_mode);
                switch (mode) {
                case 0:
                case 1:
                case 2:
                case 5: cpu.reg[18] = list_frame(cpu.reg[18], object); break;
                case anim_mode::fixed_a:
                    orb_write8(object + object_record::anim_mode, anim_mode::fixed_b);
                    cpu.reg[18] = list_fixed(cpu.reg[18], object, kFixedPartsA);
                    break;
                case anim_mode::fixed_b:
                    orb_write8(object + object_record::anim_mode, anim_mode::fixed_a);
                    cpu.reg[18] = list_fixed(cpu.reg[18], object, kFixedPartsB);
                    break;
                default: v60_unknown_jump(0x062173 + 3 * mode, 0x062170);
                }
                set16(cpu.reg[20], test<uint16_t>(orb_read16(object + object_record::display_link)));
            } while (ne());
        }
        orb_write16(var::display_count, 0);
    }
    orb_write16(cpu.reg[18], 0xFFFF);
    set_bit(var::system_flags, system_flag::sprite_list_ready);
    ret();
}
