// Hit boxes: every frame the players' bodies are entered in table A and the
// bodies of the other objects on screen in table B, and attacks and probes are
// tested against those tables in two families: flat boxes on the ground
// plane, and boxes with a vertical axis whose depth is a single point.
//
// Box sizes in ROM are pixels; positions are world units (a quarter pixel),
// so every start and size is multiplied by 4. All arithmetic is 16-bit.
// Register use: R20 the object that registers or tests (the tester), R10 its
// box data, R12 the test mode, R16 the hit strength, R15 the table and then
// its entries as they are walked, R18 the object of the entry in hand.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// The room of the tables: entries beyond it would land on what follows.
constexpr uint32_t kRoomA = 4;
constexpr uint32_t kRoomB = 47;
constexpr uint32_t kDepthA = 48;  // depth half-range of a player's body
constexpr uint32_t kDepthB = 64;

struct span {
    uint16_t lo, hi;
};

// One axis of a box around base: start s and size z give base + 4s .. base +
// 4s + 4z, mirrored base - (4s + 4z) .. base - 4s.
span axis(uint32_t start, uint32_t size, bool mirrored, uint32_t base) {
    const uint16_t near = static_cast<uint16_t>(start * 4);
    const uint16_t far = static_cast<uint16_t>(near + size * 4);
    if (mirrored) return {static_cast<uint16_t>(base - far), static_cast<uint16_t>(base - near)};
    return {static_cast<uint16_t>(base + near), static_cast<uint16_t>(base + far)};
}

bool mirrored(unsigned bit) { return (orb_read16(cpu.reg[20] + object_record::flags) >> bit) & 1; }

void write_span(uint32_t at, span s) {
    orb_write16(at, s.lo);
    orb_write16(at + 2, s.hi);
}

// An entry's interval [f, t] (at `at`) against lo .. hi: they overlap when the
// 16-bit differences f - hi and t - lo differ in sign, that is f < hi and
// t >= lo for ordered intervals. With lo = hi = y it is the point test f < y <= t.
bool overlaps(uint32_t at, uint32_t lo, uint32_t hi) {
    const uint16_t before = static_cast<uint16_t>(orb_read16(at) - hi);
    const uint16_t after = static_cast<uint16_t>(orb_read16(at + 2) - lo);
    return ((before ^ after) & 0x8000) != 0;
}

// Enters the boxes of R20's current frame in the table at R19 after the
// entries already there: per box, the count byte += 1 and an entry naming R20
// with its x span, then what `rest` writes from the box's second pair.
// A list of no boxes enters nothing (a loop that counts down after its body
// would make 256 passes of it), and the table's room is kept: boxes that do
// not fit are dropped rather than written over the header of the table's
// copy that follows it. Changes R0, R1, R3.
template <typename Rest>
void enter_boxes(uint32_t room, Rest rest) {
    cpu.reg[1] = orb_read32(cpu.reg[20] + object_record::hitbox_data);
    cpu.reg[0] = load_zx8(cpu.reg[1]);
    cpu.reg[1] += 1;
    cpu.reg[3] = cpu.reg[19] + hitbox_entry::size * (orb_read8(cpu.reg[19]) + 1u);
    for (; cpu.reg[0] != 0; --cpu.reg[0]) {
        const uint8_t count = orb_read8(cpu.reg[19]);
        if (count >= room) break;
        orb_write8(cpu.reg[19], static_cast<uint8_t>(count + 1));
        orb_write32(cpu.reg[3] + hitbox_entry::object, cpu.reg[20]);
        write_span(cpu.reg[3] + hitbox_entry::x_from,
                   axis(load_sx8(cpu.reg[1]), orb_read8(cpu.reg[1] + 1), mirrored(object_flag::mirror_x),
                        orb_read16(cpu.reg[20] + object_record::world_x)));
        rest(cpu.reg[3], load_sx8(cpu.reg[1] + 2), orb_read8(cpu.reg[1] + 3));
        cpu.reg[1] += 4;
        cpu.reg[3] += hitbox_entry::size;
    }
}

// Table B takes an object listed on screen this frame while its count byte
// is below 47; the test is made once per object.
bool table_b_takes_r20() {
    if (!test_bit(cpu.reg[20], object_flag::listed)) return false;
    cmp<uint8_t>(orb_read8(var::hitbox_table_b), kRoomB);
    return carry();
}

// The start of every test: the touched bit cleared; true when the table at
// R15 holds no entries, so that nothing is built or walked and R10 stays.
bool nothing_to_test() {
    clear_bit(cpu.reg[20], object_flag::touched);
    test<uint8_t>(orb_read8(cpu.reg[15]));
    return eq();
}

// The tester's box from R10: x span into R2/R3 around world x (mirror bit 6),
// the second span into R4/R5 around second_base (mirror bit 7). Box data of 4
// bytes (s8 start, u8 size per axis) or of 4 halfwords (s16 each); R10 moves past it.
void read_tester_box(bool words, uint32_t second_base) {
    const uint32_t at = cpu.reg[10];
    uint32_t v[4];
    for (uint32_t i = 0; i < 4; ++i)
        v[i] = words ? load_sx16(at + 2 * i) : (i & 1) ? load_zx8(at + i) : load_sx8(at + i);
    const span x =
        axis(v[0], v[1], mirrored(object_flag::mirror_x), orb_read16(cpu.reg[20] + object_record::world_x));
    const span second = axis(v[2], v[3], mirrored(object_flag::mirror_y), second_base);
    set16(cpu.reg[2], x.lo);
    set16(cpu.reg[3], x.hi);
    set16(cpu.reg[4], second.lo);
    set16(cpu.reg[5], second.hi);
    cpu.reg[10] += words ? 8 : 4;
}

// The vertical family's box: vertical span = second pair - height, and the
// depth as the point R1 = world y.
void read_vertical_box(bool words) {
    read_tester_box(words, static_cast<uint32_t>(-orb_read16(cpu.reg[20] + object_record::height)));
    cpu.reg[1] = load_sx16(cpu.reg[20] + object_record::world_y);
}

// The entry at R15, R18 := its object: true when it counts for the tester.
// It is passed over when it belongs to the tester's owner, when its object is
// intangible or already hit (and, in the vertical family, has bit 4 set), or
// at the first axis that does not meet the tester's box.
bool entry_counts(bool vertical) {
    cpu.reg[18] = orb_read32(cpu.reg[15] + hitbox_entry::object);
    cmp<uint16_t>(cpu.reg[18], orb_read16(cpu.reg[20] + object_record::owner));
    if (eq()) return false;
    if (test_bit(cpu.reg[18], object_flag::intangible) || test_bit(cpu.reg[18], object_flag::hit))
        return false;
    if (!vertical)
        return overlaps(cpu.reg[15] + hitbox_entry::depth_from, cpu.reg[4], cpu.reg[5]) &&
               overlaps(cpu.reg[15] + hitbox_entry::x_from, cpu.reg[2], cpu.reg[3]);
    if (test_bit(cpu.reg[18], object_flag::held)) return false;
    return overlaps(cpu.reg[15] + hitbox_entry::depth_from, cpu.reg[1], cpu.reg[1]) &&
           overlaps(cpu.reg[15] + hitbox_entry::x_from, cpu.reg[2], cpu.reg[3]) &&
           overlaps(cpu.reg[15] + hitbox_entry::vertical_from, cpu.reg[4], cpu.reg[5]);
}

// The fallback of the vertical family: with the table at R15 empty, the copy
// of table A is tested at half the strength, rounded up.
void fall_back_to_copy_a() {
    test<uint8_t>(orb_read8(cpu.reg[15]));
    if (ne()) return;
    cpu.reg[15] = var::hitbox_copy_a;
    set16(cpu.reg[16], static_cast<uint16_t>(cpu.reg[16] + 1) >> 1);
}

}  // namespace

// Hit-box table A is copied as it stands (header and 4 entries) and emptied.
// Changes R27 and R28 (the string move's ends).
void sub_087FD6() {
    ROUTINE_ENTRY(0x087FD6);
    move_halfwords(var::hitbox_table_a, var::hitbox_copy_a, 40);
    orb_write8(var::hitbox_table_a, 0);
    ret();
}

// Registers a player's body in table A unless it is intangible: x from the
// first pair, depth world y - 48 .. world y + 48, vertical from the second
// pair minus the height. In: R20. Changes R0, R1, R3, R6, R19.
void sub_08800A() {
    ROUTINE_ENTRY(0x08800A);
    if (test_bit(cpu.reg[20], object_flag::intangible)) {
        ret();
        return;
    }
    cpu.reg[19] = var::hitbox_table_a;
    cpu.reg[6] = kDepthA;
    sub_08801B();
}

// Enters R20's boxes in the table at R19 with the depth world y - R6 .. world
// y + R6 and the vertical span second pair - height. Table A keeps to its 4
// entries, table B to its 47. In: R19, R6, R20. Changes R0, R1, R3.
void sub_08801B() {
    ROUTINE_ENTRY(0x08801B);
    const uint32_t room = cpu.reg[19] == var::hitbox_table_a ? kRoomA : kRoomB;
    enter_boxes(room, [](uint32_t entry, uint32_t start, uint32_t size) {
        const uint16_t y = orb_read16(cpu.reg[20] + object_record::world_y);
        write_span(entry + hitbox_entry::depth_from,
                   {static_cast<uint16_t>(y - cpu.reg[6]), static_cast<uint16_t>(y + cpu.reg[6])});
        write_span(entry + hitbox_entry::vertical_from,
                   axis(start, size, mirrored(object_flag::mirror_y),
                        static_cast<uint32_t>(-orb_read16(cpu.reg[20] + object_record::height))));
    });
    ret();
}

// Registers the body of an object listed on screen in table B as sub_08800A
// does, with the depth world y - 64 .. world y + 64. In: R20. Changes R0, R1,
// R3, R6, R19.
void sub_088134() {
    ROUTINE_ENTRY(0x088134);
    if (!table_b_takes_r20()) {
        ret();
        return;
    }
    cpu.reg[19] = var::hitbox_table_b;
    cpu.reg[6] = kDepthB;
    sub_08801B();
}

// Registers flat boxes of an object listed on screen in table B: x from the
// first pair, depth = world y + the second pair (mirror bit 7); the vertical
// words are not written. In: R20. Changes R0, R1, R3, R19.
void sub_08814E() {
    ROUTINE_ENTRY(0x08814E);
    if (!table_b_takes_r20()) {
        ret();
        return;
    }
    cpu.reg[19] = var::hitbox_table_b;
    enter_boxes(kRoomB, [](uint32_t entry, uint32_t start, uint32_t size) {
        write_span(entry + hitbox_entry::depth_from, axis(start, size, mirrored(object_flag::mirror_y),
                                                          orb_read16(cpu.reg[20] + object_record::world_y)));
    });
    ret();
}

// Vertical family, bytes at R10, the copy of table B (or the copy of table A
// at half strength when it is empty), hit effect on every target (mode 0).
void sub_088171() {
    ROUTINE_ENTRY(0x088171);
    cpu.reg[12] = 0;
    cpu.reg[15] = var::hitbox_copy_b;
    sub_0881AC();
}

// Vertical family, bytes at R10, table A, flag only (mode 1).
void sub_088180() {
    ROUTINE_ENTRY(0x088180);
    cpu.reg[12] = 1;
    sub_088188();
}

// Vertical family, bytes at R10, table A, hit effect (mode 0).
void sub_088185() {
    ROUTINE_ENTRY(0x088185);
    cpu.reg[12] = 0;
    sub_088188();
}

// Vertical family, bytes at R10, table A, mode in R12.
void sub_088188() {
    ROUTINE_ENTRY(0x088188);
    cpu.reg[15] = var::hitbox_table_a;
    sub_08818D();
}

// Vertical family with bytes at R10 on the table at R15: the touched bit
// cleared, then the box built and the table walked when it holds entries.
void sub_08818D() {
    ROUTINE_ENTRY(0x08818D);
    if (nothing_to_test()) {
        ret();
        return;
    }
    sub_0881B7();
}

// Vertical family, bytes at R10, table B or the fallback, mode 2.
void sub_08819A() {
    ROUTINE_ENTRY(0x08819A);
    cpu.reg[12] = 2;
    sub_0881A7();
}

// Vertical family, bytes at R10, table B or the fallback, mode 0.
void sub_0881A4() {
    ROUTINE_ENTRY(0x0881A4);
    cpu.reg[12] = 0;
    sub_0881A7();
}

// Vertical family, bytes at R10, table B or the fallback, mode in R12.
void sub_0881A7() {
    ROUTINE_ENTRY(0x0881A7);
    cpu.reg[15] = var::hitbox_table_b;
    sub_0881AC();
}

// Vertical family, bytes at R10, on the table at R15 or, when it is empty, on
// the copy of table A with R16's low half := ((R16 + 1) mod 65536) >> 1.
void sub_0881AC() {
    ROUTINE_ENTRY(0x0881AC);
    fall_back_to_copy_a();
    sub_08818D();
}

// The vertical family's box from the 4 bytes at R10 (R10 += 4): R2/R3 x from
// and to, R4/R5 vertical from and to, R1 the depth point; then the walk.
void sub_0881B7() {
    ROUTINE_ENTRY(0x0881B7);
    read_vertical_box(false);
    sub_088207();
}

// The vertical family's walk over the table at R15 (count non-zero). A
// counting entry sets the touched bit with R18 = its object; then by R12:
// mode 0 the hit effect, mode 1 nothing more, mode 6 the walk stops there,
// mode 2 stops there only at a target with bit 15 set and bit 13 clear and
// otherwise clears the touched bit again. Other modes walk every entry.
// Out: R18 = the last entry's object, or the one that stopped the walk.
void sub_088207() {
    ROUTINE_ENTRY(0x088207);
    cpu.reg[0] = load_zx8(cpu.reg[15]);
L_08820C:
    cpu.reg[15] += hitbox_entry::size;
    if (!entry_counts(true)) goto L_088296;
    set_bit(cpu.reg[20], object_flag::touched);
    bit_flags(cpu.reg[12], 1);
    if (carry()) goto L_08826E;
    bit_flags(cpu.reg[12], 0);
    if (carry()) goto L_088296;
    if (!call(sub_0884AD, 0x08826B, 0x088268)) return;
    goto L_088296;
L_08826E:
    bit_flags(cpu.reg[12], 2);
    if (carry()) {
        ret();
        return;
    }
    if (!test_bit(cpu.reg[18], object_flag::airborne) && test_bit(cpu.reg[18], object_flag::enemy)) {
        ret();
        return;
    }
    clear_bit(cpu.reg[20], object_flag::touched);
L_088296:
    cpu.reg[0] = dec<uint32_t>(cpu.reg[0]);
    if (ne()) goto L_08820C;
    ret();
}

// Vertical family, halfwords at R10, the copy of table B (or the copy of
// table A at half strength when it is empty), mode 0.
void sub_0882A0() {
    ROUTINE_ENTRY(0x0882A0);
    cpu.reg[12] = 0;
    cpu.reg[15] = var::hitbox_copy_b;
    fall_back_to_copy_a();
    sub_0882B7();
}

// Vertical family, halfwords at R10, table A, mode 0.
void sub_0882AF() {
    ROUTINE_ENTRY(0x0882AF);
    cpu.reg[12] = 0;
    sub_0882B2();
}

// Vertical family, halfwords at R10, table A, mode in R12.
void sub_0882B2() {
    ROUTINE_ENTRY(0x0882B2);
    cpu.reg[15] = var::hitbox_table_a;
    sub_0882B7();
}

// Vertical family with halfwords at R10 on the table at R15: the touched bit
// cleared, then the box built and the table walked when it holds entries.
void sub_0882B7() {
    ROUTINE_ENTRY(0x0882B7);
    if (nothing_to_test()) {
        ret();
        return;
    }
    sub_0882DC();
}

// The vertical family's box from the 4 signed halfwords at R10 (start and
// size of x, then of the vertical axis; R10 += 8), then the walk.
void sub_0882DC() {
    ROUTINE_ENTRY(0x0882DC);
    read_vertical_box(true);
    sub_088207();
}

// Flat family, bytes at R10, the copy of table B, applying hits (R12 low byte := 0xFF).
void sub_08833D() {
    ROUTINE_ENTRY(0x08833D);
    set8(cpu.reg[12], 0xFF);
    cpu.reg[15] = var::hitbox_copy_b;
    if (nothing_to_test()) {
        ret();
        return;
    }
    sub_088379();
}

// Flat family, bytes at R10, table A, flag only (R12 := 0).
void sub_088347() {
    ROUTINE_ENTRY(0x088347);
    cpu.reg[12] = 0;
    sub_08834F();
}

// Flat family, bytes at R10, table A, applying hits (R12 low byte := 0xFF).
void sub_08834C() {
    ROUTINE_ENTRY(0x08834C);
    set8(cpu.reg[12], 0xFF);
    sub_08834F();
}

// Flat family, bytes at R10, table A, mode in R12 (non-zero applies hits of
// strength R16). Out: flags bit 10 of R20 set when an entry counted.
void sub_08834F() {
    ROUTINE_ENTRY(0x08834F);
    cpu.reg[15] = var::hitbox_table_a;
    if (nothing_to_test()) {
        ret();
        return;
    }
    sub_088379();
}

// The flat family's box from the 4 bytes at R10 (R10 += 4): R2/R3 x from and
// to, R4/R5 depth from and to around world y; then the walk.
void sub_088379() {
    ROUTINE_ENTRY(0x088379);
    read_tester_box(false, orb_read16(cpu.reg[20] + object_record::world_y));
    sub_0883C5();
}

// The flat family's walk over the table at R15 (count non-zero): every entry
// that counts sets the touched bit with R18 = its object and, when R12 is
// non-zero, takes the hit at once (energy and points, no reaction, no spark).
// Out: R18 = the last entry's object.
void sub_0883C5() {
    ROUTINE_ENTRY(0x0883C5);
    cpu.reg[0] = load_zx8(cpu.reg[15]);
L_0883CA:
    cpu.reg[15] += hitbox_entry::size;
    if (!entry_counts(false)) goto L_088420;
    set_bit(cpu.reg[20], object_flag::touched);
    test<uint32_t>(cpu.reg[12]);
    if (eq()) goto L_088420;
    if (!call(sub_088556, 0x08841D, 0x08841A)) return;
L_088420:
    cpu.reg[0] = dec<uint32_t>(cpu.reg[0]);
    if (ne()) goto L_0883CA;
    ret();
}

// Flat family, halfwords at R10, table A, flag only (R12 := 0).
void sub_08842C() {
    ROUTINE_ENTRY(0x08842C);
    cpu.reg[12] = 0;
    sub_088434();
}

// Flat family, halfwords at R10, table A, applying hits (R12 := 0xFFFFFFFF).
void sub_088431() {
    ROUTINE_ENTRY(0x088431);
    cpu.reg[12] = 0xFFFFFFFF;
    sub_088434();
}

// Flat family, 4 signed halfwords at R10 (start and size of x, then of depth;
// R10 += 8), table A, mode in R12.
void sub_088434() {
    ROUTINE_ENTRY(0x088434);
    cpu.reg[15] = var::hitbox_table_a;
    if (nothing_to_test()) {
        ret();
        return;
    }
    read_tester_box(true, orb_read16(cpu.reg[20] + object_record::world_y));
    sub_0883C5();
}
