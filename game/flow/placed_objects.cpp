// Placed objects: rectangles of the playfield, created from the area's placed
// list and chained by their link modes, that register themselves in their
// group's list every frame while the playfield camera is near them; and the
// object that empties the group lists before them each frame.
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kPlacedLists = 0x133022;  // signed offsets: by stage, then by area
constexpr uint8_t kEnd = 0xFF;
constexpr uint32_t kEntrySize = 12;
constexpr uint8_t kNoMode = 0xFF;

// Link-mode dispatch: a sign test, then a table of 3-byte branches.
constexpr uint32_t kLinkOutJump = 0x08794D;
constexpr uint32_t kLinkOutTable = 0x087950;
constexpr uint32_t kLinkInJump = 0x087971;
constexpr uint32_t kLinkInTable = 0x087974;

// Window margins in world units: 80 pixels beyond the 320 × 224 screen.
constexpr int16_t kRightMargin = 320;
constexpr int16_t kLeftMargin = 1600;
constexpr int16_t kBottomMargin = 320;
constexpr int16_t kTopMargin = 1216;

// Entry of a placed list.
namespace placed_entry {
constexpr uint32_t group = 0;
constexpr uint32_t link_in = 1;
constexpr uint32_t link_out = 2;
constexpr uint32_t extra = 3;
constexpr uint32_t corners = 4;  // x1, y1, x2, y2
}  // namespace placed_entry

uint32_t relative(uint32_t address) { return address + load_sx16(address); }

int16_t s16(uint32_t address) { return static_cast<int16_t>(orb_read16(address)); }

// A placed object's states.
namespace placed_state {
constexpr uint8_t setup = 0, active = 1, retired = 2;
}  // namespace placed_state

}  // namespace

// Placed objects of the current stage and area. A list that starts with the
// end byte creates nothing; otherwise the group-clearing object first, then
// one 64-byte object per entry until the end byte or an empty pool, each
// linked out from the previous one and in by its own mode; the last one's
// link-out runs once more with itself as both. Registers: R10 the list,
// R11 previous, R12 chain head, R21 new, R2 and R0 link-out and link-in modes,
// R3 the running index, R13 the next placed_objects slot.
void sub_08787D() {
    ROUTINE_ENTRY(0x08787D);
    cpu.reg[10] = relative(relative(kPlacedLists + 2u * orb_read8(var::stage)) + 2u * orb_read8(var::area));
    if (orb_read8(cpu.reg[10]) == kEnd) {
        ret();
        return;
    }
    if (!call(sub_088C77, 0x087894, 0x087890)) return;
    if (ne()) {
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_087A3A /* group clearing */);
        orb_write8(cpu.reg[21] + object_record::state, 0);
        if (!call(sub_088CA5, 0x08789C, 0x087898)) return;
    }
    set8(cpu.reg[2], kNoMode);
    cpu.reg[3] = 0;
    cpu.reg[13] = var::placed_objects;
    while (orb_read8(cpu.reg[10]) != kEnd) {
        if (!call(sub_088C77, 0x0878A4, 0x0878A0)) return;
        if (eq()) break;
        orb_write16(cpu.reg[13], static_cast<uint16_t>(cpu.reg[21]));
        cpu.reg[13] += 2;
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_087A55 /* placed */);
        orb_write8(cpu.reg[21] + object_record::state, placed_state::setup);
        orb_write8(cpu.reg[21] + placed_object::index, static_cast<uint8_t>(cpu.reg[3]));
        cpu.reg[3] += 1;
        orb_write8(cpu.reg[21] + placed_object::group, orb_read8(cpu.reg[10] + placed_entry::group));
        orb_write8(cpu.reg[21] + placed_object::link_in, orb_read8(cpu.reg[10] + placed_entry::link_in));
        orb_write8(cpu.reg[21] + placed_object::link_out, orb_read8(cpu.reg[10] + placed_entry::link_out));
        orb_write8(cpu.reg[21] + placed_object::extra, orb_read8(cpu.reg[10] + placed_entry::extra));
        for (uint32_t i = 0; i < 4; ++i)
            orb_write16(cpu.reg[21] + placed_object::x1 + 2 * i,
                        orb_read16(cpu.reg[10] + placed_entry::corners + 2 * i));
        orb_write16(cpu.reg[21] + placed_object::link_prev, 0);
        orb_write16(cpu.reg[21] + placed_object::link_next, 0);
        if (!call(sub_088CA5, 0x0878AC, 0x0878A8)) return;
        if (!call(sub_087946, 0x0878B4, 0x0878B0)) return;
        set8(cpu.reg[0], orb_read8(cpu.reg[10] + placed_entry::link_in));
        if (!call(sub_08796A, 0x0878BC, 0x0878B8)) return;
        cpu.reg[11] = cpu.reg[21];
        set8(cpu.reg[2], orb_read8(cpu.reg[10] + placed_entry::link_out));
        cpu.reg[10] += kEntrySize;
    }
    cpu.reg[21] = cpu.reg[11];
    if (!call(sub_087946, 0x0878C4, 0x0878C0)) return;
    ret();
}

// Link-out step of the previous object P by its mode: 0 and 3 link P on to
// the new object N; 1 closes the chain (head back to P, P on to the head);
// 2 and 0x80 up do nothing; 4-0x7F have no branch.
// In: R2 low byte mode, R11 P, R12 head, R21 N.
void sub_087946() {
    ROUTINE_ENTRY(0x087946);
    const uint8_t mode = test<uint8_t>(cpu.reg[2]);
    if (!negative()) {
        switch (mode) {
        case 0:
        case 3:
            orb_write16(cpu.reg[11] + placed_object::link_next, static_cast<uint16_t>(cpu.reg[21]));
            break;
        case 1:
            orb_write16(cpu.reg[12] + placed_object::link_prev, static_cast<uint16_t>(cpu.reg[11]));
            orb_write16(cpu.reg[11] + placed_object::link_next, static_cast<uint16_t>(cpu.reg[12]));
            break;
        case 2: break;
        default: v60_unknown_jump(kLinkOutTable + 3u * mode, kLinkOutJump);
        }
    }
    ret();
}

// Link-in step of the new object N by its own mode: 0 and 3 link N back to
// the previous object P; 1 makes N the chain head; 2 and 0x80 up do nothing;
// 4-0x7F have no branch. In: R0 low byte mode, R11 P, R21 N. Out: R12.
void sub_08796A() {
    ROUTINE_ENTRY(0x08796A);
    const uint8_t mode = test<uint8_t>(cpu.reg[0]);
    if (!negative()) {
        switch (mode) {
        case 0:
        case 3:
            orb_write16(cpu.reg[21] + placed_object::link_prev, static_cast<uint16_t>(cpu.reg[11]));
            break;
        case 1: cpu.reg[12] = cpu.reg[21]; break;
        case 2: break;
        default: v60_unknown_jump(kLinkInTable + 3u * mode, kLinkInJump);
        }
    }
    ret();
}

// Group clearing, every frame before the placed objects: the count and bank
// of each of the 16 group lists back to 0.
void sub_087A3A() {
    ROUTINE_ENTRY(0x087A3A);
    for (uint32_t g = 0; g < 16; ++g) orb_write16(var::placed_groups + 64 * g, 0);
    ret();
}

// Placed object (R20). Outside placed-object areas it unlinks itself and
// goes back to the 64-byte pool. State 0 sets it up (window, group list) and
// goes on as state 1: while the playfield camera is inside the window, it
// adds itself to its group list (31 at most), or once retired (flags bit 11)
// it goes to state 2, which does nothing.
void sub_087A55() {
    ROUTINE_ENTRY(0x087A55);
    if (!test_bit(var::game_flags, game_flag::placed_objects)) {
        if (!call(sub_088CD3, 0x087A64, 0x087A60)) return;
        const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_64));
        orb_write16(var::free_stack_64, count);
        orb_write16(var::free_stack_64 + 2u * count, static_cast<uint16_t>(cpu.reg[20]));
        ret();
        return;
    }
    uint8_t state = orb_read8(cpu.reg[20] + object_record::state);
    if (state == placed_state::setup) {
        set_bit(cpu.reg[20] + object_record::flags, placed_object::active);
        if (!call(sub_087E9B, 0x087A6C, 0x087A68)) return;
        orb_write8(cpu.reg[20] + object_record::state, placed_state::active);
        orb_write32(cpu.reg[20] + placed_object::group_list,
                    var::placed_groups + 64u * (orb_read8(cpu.reg[20] + placed_object::group) & 15u));
        state = placed_state::active;
    }
    if (state == placed_state::active) {
        const uint32_t camera = orb_read32(var::camera_pointer);
        const int16_t x = s16(camera + camera_record::x), y = s16(camera + camera_record::y);
        const uint32_t object = cpu.reg[20];
        if (y >= s16(object + placed_object::window_min_y) &&
            y <= s16(object + placed_object::window_max_y) &&
            x >= s16(object + placed_object::window_min_x) &&
            x <= s16(object + placed_object::window_max_x)) {
            if (!test_bit(object + object_record::flags, placed_object::retired)) {
                const uint32_t list = orb_read32(object + placed_object::group_list);
                const uint8_t c = (orb_read8(list) + 1u) & 31u;
                if (c != 0) {
                    orb_write16(list + 2u * c + 512u * orb_read8(list + 1), static_cast<uint16_t>(object));
                    orb_write8(list, c);
                }
            } else {
                orb_write8(object + object_record::state, placed_state::retired);
                clear_bit(object + object_record::flags, placed_object::active);
                orb_write8(object + placed_object::retire_mark, 0);
            }
        }
    }
    ret();
}

// Activation window of the placed object R20: the rectangle's max and min
// x and y, and the camera positions from which it is within 80 pixels of
// the screen.
void sub_087E9B() {
    ROUTINE_ENTRY(0x087E9B);
    const uint32_t object = cpu.reg[20];
    const int16_t x1 = s16(object + placed_object::x1), x2 = s16(object + placed_object::x2);
    const int16_t y1 = s16(object + placed_object::y1), y2 = s16(object + placed_object::y2);
    const int16_t max_x = x1 > x2 ? x1 : x2, min_x = x1 > x2 ? x2 : x1;
    const int16_t max_y = y1 > y2 ? y1 : y2, min_y = y1 > y2 ? y2 : y1;
    orb_write16(object + placed_object::max_x, static_cast<uint16_t>(max_x));
    orb_write16(object + placed_object::min_x, static_cast<uint16_t>(min_x));
    orb_write16(object + placed_object::max_y, static_cast<uint16_t>(max_y));
    orb_write16(object + placed_object::min_y, static_cast<uint16_t>(min_y));
    orb_write16(object + placed_object::window_max_x, add<uint16_t>(max_x, kRightMargin));
    orb_write16(object + placed_object::window_min_x, sub<uint16_t>(min_x, kLeftMargin));
    orb_write16(object + placed_object::window_max_y, add<uint16_t>(max_y, kBottomMargin));
    orb_write16(object + placed_object::window_min_y, sub<uint16_t>(min_y, kTopMargin));
    ret();
}
