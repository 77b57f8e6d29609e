// Hits: a target found by a collision test (or struck by a player) is marked
// hit, loses energy, credits points to the attacker's owner up to the score
// cap, gets a reaction code, and a short spark shows where the boxes met.
// Register use: R20 the attacker, R18 the target, R16 the strength (low
// half), R15 the target's hit-box entry, R2/R3 and R4/R5 the attacker's x and
// vertical spans as the vertical test family builds them.
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kSparkScript = 0x131957;
constexpr uint32_t kScoreCap = 99999999;
constexpr uint32_t kLastReactionRow = 9;
constexpr uint32_t kOtherReactionRow = 7;  // the row of every kind above 9

uint16_t s16_max(uint32_t a, uint32_t b) {
    return static_cast<int16_t>(a) > static_cast<int16_t>(b) ? static_cast<uint16_t>(a)
                                                             : static_cast<uint16_t>(b);
}
uint16_t s16_min(uint32_t a, uint32_t b) {
    return static_cast<int16_t>(a) < static_cast<int16_t>(b) ? static_cast<uint16_t>(a)
                                                             : static_cast<uint16_t>(b);
}

// The middle of where the attacker's span lo .. hi meets the entry's span at
// `at`, halved with an arithmetic shift. The bounds are added in 32 bits: two
// positions right of 16,383 would overflow a 16-bit sum.
uint16_t middle_of_overlap(uint32_t lo, uint32_t hi, uint32_t at) {
    const int32_t sum = int32_t{static_cast<int16_t>(s16_max(lo, orb_read16(at)))} +
                        int32_t{static_cast<int16_t>(s16_min(hi, orb_read16(at + 2)))};
    return static_cast<uint16_t>(sum >> 1);
}

}  // namespace

// Hit effect of the vertical family: a spark where the boxes met when R16's
// low half is non-zero (none when the 64-byte pool is empty), then the
// reaction code and the hit (sub_08852B). In: R20, R18, R16, R15, R2-R5.
// Changes R6-R9, R19, R21.
void sub_0884AD() {
    ROUTINE_ENTRY(0x0884AD);
    test<uint16_t>(cpu.reg[16]);
    if (eq()) goto L_088528;
    // The 64-byte allocation made inline: the return address goes first and
    // the caller's R0 above it, where sub_088C85 takes it back from.
    push(0x0884C0);
    push(cpu.reg[0]);
    cpu.reg[0] = 32;
    cpu.reg[19] = var::free_stack_64;
    sub_088C85();
    if (!v60_returned_to(0x0884C0, 0x0884BB)) return;
    if (eq()) goto L_088528;
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_0885A4);
    orb_write16(cpu.reg[21] + object_record::world_x,
                middle_of_overlap(cpu.reg[2], cpu.reg[3], cpu.reg[15] + hitbox_entry::x_from));
    orb_write16(cpu.reg[21] + object_record::height,
                static_cast<uint16_t>(
                    -middle_of_overlap(cpu.reg[4], cpu.reg[5], cpu.reg[15] + hitbox_entry::vertical_from)));
    orb_write16(cpu.reg[21] + object_record::world_y,
                static_cast<uint16_t>(s16_max(orb_read16(cpu.reg[20] + object_record::world_y),
                                              orb_read16(cpu.reg[18] + object_record::world_y)) +
                                      4));
    if (!call(sub_088CA5, 0x088528, 0x088523)) return;
L_088528:
    sub_08852B();
}

// Writes the target's reaction code, then applies the hit (sub_088556): row =
// the attacker's attack kind (kinds above 9 use row 7), column = 1 when the
// target is mirrored + 2 when the attacker is. In: R20, R18, R16. Changes R6-R9.
void sub_08852B() {
    ROUTINE_ENTRY(0x08852B);
    cpu.reg[6] = load_zx8(cpu.reg[20] + object_record::attack_kind);
    cmp<uint8_t>(cpu.reg[6], kLastReactionRow);
    if (higher()) cpu.reg[6] = kOtherReactionRow;
    cpu.reg[6] *= 4;
    if (test_bit(cpu.reg[18], object_flag::mirror_x)) cpu.reg[6] += 1;
    if (test_bit(cpu.reg[20], object_flag::mirror_x)) cpu.reg[6] += 2;
    orb_write8(cpu.reg[18] + object_record::hit_reaction, orb_read8(rom::hit_reaction_table + cpu.reg[6]));
    sub_088556();
}

// Applies a hit: the target is marked hit and remembers the attacker's owner,
// loses R16 (low half) of its energy, and at 0 or below is defeated (energy
// 0, bit 9). The attacker's owner is credited the kind's points per hit, or
// the target's score_value for the defeat, capped at 99,999,999; a target
// whose score_value is 0 credits nothing. In: R20, R18, R16. Changes R6-R9.
void sub_088556() {
    ROUTINE_ENTRY(0x088556);
    set_bit(cpu.reg[18], object_flag::hit);
    orb_write16(cpu.reg[18] + object_record::last_attacker, orb_read16(cpu.reg[20] + object_record::owner));
    cpu.reg[6] = load_zx8(cpu.reg[20] + object_record::attack_kind);
    cpu.reg[7] = load_zx16(rom::hit_points_table + 2 * cpu.reg[6]);
    cpu.reg[8] = sub<uint16_t>(orb_read16(cpu.reg[18] + object_record::energy), cpu.reg[16]);
    orb_write16(cpu.reg[18] + object_record::energy, static_cast<uint16_t>(cpu.reg[8]));
    test<uint16_t>(cpu.reg[8]);
    if (greater()) goto L_088580;
    orb_write16(cpu.reg[18] + object_record::energy, 0);
    set_bit(cpu.reg[18], object_flag::defeated);
    cpu.reg[7] = load_zx16(cpu.reg[18] + object_record::score_value);
L_088580:
    test<uint16_t>(orb_read16(cpu.reg[18] + object_record::score_value));
    if (eq()) {
        ret();
        return;
    }
    cpu.reg[9] = kHigh;
    set16(cpu.reg[9], orb_read16(cpu.reg[20] + object_record::owner));
    cpu.reg[8] = add<uint32_t>(orb_read32(cpu.reg[9] + player_record::score), cpu.reg[7]);
    cmp<uint32_t>(cpu.reg[8], kScoreCap);
    if (higher()) cpu.reg[8] = kScoreCap;
    orb_write32(cpu.reg[9] + player_record::score, cpu.reg[8]);
    ret();
}

// Start routine of a hit spark: plays the spark's animation from this frame
// on. In: R20 = the spark.
void sub_0885A4() {
    ROUTINE_ENTRY(0x0885A4);
    orb_write16(cpu.reg[20] + object_record::flags, 0);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0885C6);
    orb_write8(cpu.reg[20] + object_record::state, 0);
    orb_write8(cpu.reg[20] + object_record::anim_mode, 0);
    cpu.reg[19] = kSparkScript;
    if (!call(sub_061F06, 0x0885C3, 0x0885BE)) return;
    sub_0885C6();
}

// A hit spark's frame: while its animation runs, one step, placed with the
// playfield camera and listed by its ground line (which ends the frame); once
// it has stopped, the spark unlinks itself and goes back to the 64-byte pool.
// In: R20 = the spark.
void sub_0885C6() {
    ROUTINE_ENTRY(0x0885C6);
    test<uint8_t>(orb_read8(cpu.reg[20] + object_record::frame_duration));
    if (eq()) goto L_0885D9;
    if (!call(sub_061FB6, 0x0885CF, 0x0885CA)) return;
    if (!call(sub_062044, 0x0885D4, 0x0885CF)) return;
    sub_0620CD();
    return;
L_0885D9:
    if (!call(sub_088CD3, 0x0885DE, 0x0885D9)) return;
    cpu.reg[6] = inc<uint16_t>(orb_read16(var::free_stack_64));
    orb_write16(var::free_stack_64, static_cast<uint16_t>(cpu.reg[6]));
    orb_write16(var::free_stack_64 + 2 * cpu.reg[6], static_cast<uint16_t>(cpu.reg[20]));
    ret();
}
