// The bookkeeping block in the RAM shared with the sound board: its check
// value, the start-up and in-play checks with their repairs, the counters that
// keep the check value and the mirror in step, the cleared standing credits,
// and the time records with the longest and shortest plays.
#include <initializer_list>

#include "game/operator/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kMirror = 0x7C;  // a field's mirror lies this much higher
constexpr uint32_t kDataLongs = 31;
constexpr uint32_t kDataHalfwords = 62;

// Adds amount to a 16-bit counter and wraps, as the guest's halfword add does.
void add_to_counter(uint32_t field, uint32_t amount) {
    orb_write16(field, add<uint16_t>(orb_read16(field), amount));
}

// One unit of a time record: adds the other record's unit and a carry in;
// at the limit or above it takes the limit off and says to carry.
bool add_unit(uint32_t to, uint32_t from, uint8_t limit) {
    uint8_t value = add<uint8_t>(orb_read8(to), orb_read8(from));
    cmp<uint8_t>(value, limit);
    const bool carry_out = no_carry();
    if (carry_out) value = sub<uint8_t>(value, limit);
    orb_write8(to, value);
    return carry_out;
}

// Hours, minutes and seconds of two time records in that order, each a signed
// byte; the first that differs decides. Sets the flags of that compare.
void compare_play(uint32_t play, uint32_t record) {
    for (uint32_t field : {time_record::hours, time_record::minutes, time_record::seconds}) {
        cmp<uint8_t>(orb_read8(play + field), orb_read8(record + field));
        if (ne()) return;
    }
}

}  // namespace

// Counts one in a 16-bit bookkeeping field and its mirror, storing the check
// value between the two. In: R7 = the field.
void sub_060F72() {
    ROUTINE_ENTRY(0x060F72);
    add_to_counter(cpu.reg[7], 1);
    if (!call(sub_0610CF, 0x060F78, 0x060F75)) return;
    add_to_counter(cpu.reg[7] + kMirror, 1);
    ret();
}

// Adds R9's low 16 bits to a bookkeeping field and its mirror, storing the
// check value between the two. In: R7 = the field, R9 = the amount.
void sub_060F7B() {
    ROUTINE_ENTRY(0x060F7B);
    add_to_counter(cpu.reg[7], cpu.reg[9]);
    if (!call(sub_0610CF, 0x060F81, 0x060F7E)) return;
    add_to_counter(cpu.reg[7] + kMirror, cpu.reg[9]);
    ret();
}

// Clears the saved credits, then stores the check value, then clears their
// mirror.
void sub_061055() {
    ROUTINE_ENTRY(0x061055);
    orb_write32(var::saved_credits, 0);
    orb_write32(var::saved_credits + 4, 0);
    if (!call(sub_0610CF, 0x061063, 0x061060)) return;
    orb_write32(var::saved_credits + kMirror, 0);
    orb_write32(var::saved_credits + kMirror + 4, 0);
    ret();
}

// Start-up check: a good block refreshes the mirror; a bad block whose mirror
// matches the stored check value is restored from it; else the defaults.
void sub_061077() {
    ROUTINE_ENTRY(0x061077);
    cpu.reg[2] = var::bookkeeping_data;
    if (!call(sub_0610F5, 0x061080, 0x06107D)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(var::bookkeeping_block));
    if (eq()) {
        cpu.reg[2] = var::bookkeeping_data;
        cpu.reg[3] = var::bookkeeping_mirror;
        sub_0610C3();
        return;
    }
    cpu.reg[2] = var::bookkeeping_mirror;
    if (!call(sub_0610F5, 0x06108F, 0x06108C)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(var::bookkeeping_block));
    if (eq()) {
        cpu.reg[2] = var::bookkeeping_mirror;
        cpu.reg[3] = var::bookkeeping_data;
        sub_0610C3();
        return;
    }
    sub_06109C();
}

// Loads the ROM defaults into the block and its mirror, with the check value.
void sub_06109C() {
    ROUTINE_ENTRY(0x06109C);
    cpu.reg[2] = rom::bookkeeping_defaults;
    cpu.reg[3] = var::bookkeeping_data;
    if (!call(sub_0610C3, 0x0610AB, 0x0610A8)) return;
    cpu.reg[2] = var::bookkeeping_data;
    cpu.reg[3] = var::bookkeeping_mirror;
    sub_0610C3();
}

// Copies the 124 data bytes as 31 longs, then stores the check value.
// In: R2 = source, R3 = destination.
void sub_0610C3() {
    ROUTINE_ENTRY(0x0610C3);
    for (uint32_t i = 0; i < kDataLongs; ++i) orb_write32(cpu.reg[3] + 4 * i, orb_read32(cpu.reg[2] + 4 * i));
    sub_0610CF();
}

// Stores the check value of the block's data at its head. Out: R0 = it,
// R2 = the data.
void sub_0610CF() {
    ROUTINE_ENTRY(0x0610CF);
    cpu.reg[2] = var::bookkeeping_data;
    if (!call(sub_0610F5, 0x0610D8, 0x0610D5)) return;
    orb_write16(var::bookkeeping_block, static_cast<uint16_t>(cpu.reg[0]));
    ret();
}

// In-play check: on a mismatch the ROM defaults replace the data and the
// mirror at once; the mirror is not consulted.
void sub_0610E1() {
    ROUTINE_ENTRY(0x0610E1);
    cpu.reg[2] = var::bookkeeping_data;
    if (!call(sub_0610F5, 0x0610EA, 0x0610E7)) return;
    cmp<uint16_t>(cpu.reg[0], orb_read16(var::bookkeeping_block));
    if (eq()) {
        ret();
        return;
    }
    sub_06109C();
}

// Check value of 62 halfwords: from 1, each halfword XORed in, then one shift
// right, XORing 0x8810 when a 1 falls out. In: R2 = the first halfword.
// Out: R0 low 16 bits = the value.
void sub_0610F5() {
    ROUTINE_ENTRY(0x0610F5);
    uint16_t c = 1;
    for (uint32_t i = 0; i < kDataHalfwords; ++i) {
        c = logic<uint16_t>(c ^ orb_read16(cpu.reg[2] + 2 * i));
        c = shl<uint16_t>(c, static_cast<uint32_t>(-1));
        if (carry()) c = logic<uint16_t>(c ^ 0x8810);
    }
    set16(cpu.reg[0], c);
    ret();
}

// Time addition B += A, carrying at 60 seconds, 60 minutes and 24 hours into
// the 16-bit day count, which stops at 9,999. In: R10 = A, R11 = B.
void sub_089050() {
    ROUTINE_ENTRY(0x089050);
    const uint32_t a = cpu.reg[10], b = cpu.reg[11];
    if (add_unit(b + time_record::seconds, a + time_record::seconds, 60))
        orb_write8(b + time_record::minutes, inc<uint8_t>(orb_read8(b + time_record::minutes)));
    if (add_unit(b + time_record::minutes, a + time_record::minutes, 60))
        orb_write8(b + time_record::hours, inc<uint8_t>(orb_read8(b + time_record::hours)));
    if (add_unit(b + time_record::hours, a + time_record::hours, 24))
        orb_write16(b + time_record::days, inc<uint16_t>(orb_read16(b + time_record::days)));
    uint16_t days = add<uint16_t>(orb_read16(b + time_record::days), orb_read16(a + time_record::days));
    cmp<uint16_t>(days, 9999);
    if (no_carry()) days = 9999;
    orb_write16(b + time_record::days, days);
    ret();
}

// Time difference B = A - B, borrowing through the units; a negative result
// is 0 days 0:00:00. In: R10 = A, R11 = B.
void sub_08909C() {
    ROUTINE_ENTRY(0x08909C);
    const uint32_t a = cpu.reg[10], b = cpu.reg[11];
    uint8_t borrow = 0;
    // One unit: A's minus the borrow minus B's, made good from the next unit
    // when the byte comes out negative.
    auto unit = [&](uint32_t field, uint8_t span) {
        uint8_t v = sub<uint8_t>(sub<uint8_t>(orb_read8(a + field), borrow), orb_read8(b + field));
        borrow = negative();
        if (borrow) v = add<uint8_t>(v, span);
        return v;
    };
    uint8_t s = unit(time_record::seconds, 60);
    uint8_t m = unit(time_record::minutes, 60);
    uint8_t h = unit(time_record::hours, 24);
    uint16_t d = sub<uint16_t>(sub<uint16_t>(orb_read16(a + time_record::days), borrow),
                               orb_read16(b + time_record::days));
    if (negative()) s = m = h = 0, d = 0;
    orb_write16(b + time_record::days, d);
    orb_write8(b + time_record::hours, h);
    orb_write8(b + time_record::minutes, m);
    orb_write8(b + time_record::seconds, s);
    ret();
}

// Shortest play: an empty record (bit 7 of its first byte) or a shorter play
// takes the play's first four bytes; then the check value, then the mirror.
// In: R10 = the play's time record.
void sub_089145() {
    ROUTINE_ENTRY(0x089145);
    bit_flags(orb_read8(var::shortest_play), 7);
    if (!carry()) {
        compare_play(cpu.reg[10], var::shortest_play);
        if (!less()) {
            ret();
            return;
        }
    }
    orb_write32(var::shortest_play, orb_read32(cpu.reg[10]));
    if (!call(sub_0610CF, 0x08916F, 0x08916C)) return;
    orb_write32(var::shortest_play + kMirror, orb_read32(cpu.reg[10]));
    ret();
}

// Longest play: only a strictly longer play replaces the record; then the
// check value, then the mirror. Days take no part. In: R10 = the play.
void sub_08917A() {
    ROUTINE_ENTRY(0x08917A);
    compare_play(cpu.reg[10], var::longest_play);
    if (!greater()) {
        ret();
        return;
    }
    orb_write32(var::longest_play, orb_read32(cpu.reg[10]));
    if (!call(sub_0610CF, 0x0891A3, 0x0891A0)) return;
    orb_write32(var::longest_play + kMirror, orb_read32(cpu.reg[10]));
    ret();
}
