// Helpers over an enemy's enemy_state_record: the attack pattern chosen by
// rank, the pattern's box, hit frame, value and attack test, the rank byte;
// the direction code and its velocities, the steering toward a target point,
// the animation that follows the motion, and the next approach offset.
#include <initializer_list>

#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint8_t kTowardGreaterX = 4, kTowardLesserX = 8, kTowardGreaterY = 1, kTowardLesserY = 2;
constexpr uint8_t kXPart = kTowardGreaterX | kTowardLesserX;
constexpr uint8_t kYPart = kTowardGreaterY | kTowardLesserY;
constexpr int16_t kScreenLeft = -16;  // outside -16..415 a steering enemy goes twice as fast
constexpr int16_t kScreenRight = 415;
constexpr int16_t kLowEnergy = 50;
constexpr uint8_t kApproachFrames = 240;

using self::field;
uint32_t table(uint32_t name) { return actors::state_table(cpu.reg[20], name); }
uint32_t pattern() { return orb_read8(field(object_record::attack_pattern)); }

// The list a per-rank table of s16 offsets (relative to the table) names.
uint32_t rank_list(uint32_t name) {
    const uint32_t offsets = table(name);
    return offsets + load_sx16(offsets + 2 * actors::rank_tier());
}

// The entry of a 6-byte pattern table for the enemy's attack pattern.
uint32_t pattern_entry_of(uint32_t name) { return table(name) + pattern_entry::size * pattern(); }

// Offset word k of the running frame table, signed.
int16_t frame_word(uint32_t frame_table, int index) {
    return static_cast<int16_t>(orb_read16(frame_table + 2 * static_cast<uint32_t>(index)));
}

}  // namespace

// Chooses the attack pattern: the index of the first byte of the rank tier's
// threshold list that is not below a random byte. The list ends with 0xFF,
// its only bound. In: R20. Out: attack_pattern.
void sub_0692A1() {
    ROUTINE_ENTRY(0x0692A1);
    const uint32_t list = rank_list(enemy_state_record::pattern_thresholds);
    if (!call(sub_06925A, 0x0692B5, 0x0692B0)) return;
    const uint8_t b = static_cast<uint8_t>(cpu.reg[0]);
    uint32_t index = 0;
    for (;; ++index) {
        cmp<uint8_t>(orb_read8(list + index), b);
        if (no_carry()) break;
    }
    orb_write8(field(object_record::attack_pattern), static_cast<uint8_t>(index));
    ret();
}

// Tests the attack pattern's box against the players (collision mode 1, flag
// only): the box stored in the entry when its flag has bit 7 set, else the
// box of 16-bit words the entry points at. In: R20. Out: flags bit 10.
void sub_0692C7() {
    ROUTINE_ENTRY(0x0692C7);
    const uint32_t entry = pattern_entry_of(enemy_state_record::pattern_boxes);
    bit_flags(orb_read8(entry + pattern_entry::flag), 7);
    if (carry()) {
        cpu.reg[10] = entry + pattern_entry::box;
        sub_088180();
        return;
    }
    cpu.reg[10] = orb_read32(entry + pattern_entry::box);
    cpu.reg[12] = 1;
    sub_0882B2();
}

// Out: R0 = the rank byte of the current rank tier. In: R20.
void sub_0692EC() {
    ROUTINE_ENTRY(0x0692EC);
    cpu.reg[0] = load_zx8(table(enemy_state_record::rank_bytes) + actors::rank_tier());
    ret();
}

// Out: R0 = the hit frame of the attack pattern. In: R20.
void sub_0692FE() {
    ROUTINE_ENTRY(0x0692FE);
    cpu.reg[0] = load_zx8(pattern_entry_of(enemy_state_record::pattern_attacks) + pattern_entry::hit_frame);
    ret();
}

// The attack test of the pattern, hitting every player its box touches with
// strength R16 (collision mode 0, flags bit 10 when one was touched). With
// bit 7 of the entry's flag byte b clear: R0 low byte := -b and the box of
// 16-bit words the entry points at; set: R0 low byte := b and the box stored
// in the entry. R0 survives the test. In: R20, R16, attack_kind.
void sub_069313() {
    ROUTINE_ENTRY(0x069313);
    const uint32_t entry = pattern_entry_of(enemy_state_record::pattern_attacks);
    const uint8_t b = orb_read8(entry + pattern_entry::flag);
    test<uint8_t>(b);
    if (!negative()) {
        set8(cpu.reg[0], neg<uint8_t>(b));
        push(cpu.reg[0]);
        cpu.reg[10] = orb_read32(entry + pattern_entry::box);
        if (!call(sub_0882AF, 0x069335, 0x069330)) return;
    } else {
        set8(cpu.reg[0], b);
        push(cpu.reg[0]);
        cpu.reg[10] = entry + pattern_entry::box;
        if (!call(sub_088185, 0x069345, 0x069340)) return;
    }
    cpu.reg[0] = pop();
    ret();
}

// Out: R0 = the u16 value of the attack pattern in the rank tier's list. In: R20.
void sub_069348() {
    ROUTINE_ENTRY(0x069348);
    cpu.reg[0] = load_zx16(rank_list(enemy_state_record::pattern_values) + 2 * pattern());
    ret();
}

// Steering toward a target point: the velocities of the direction toward it,
// with any axis whose step would reach or pass the target dropped; when the
// terrain blocks the step, a Y-only and then an X-only try; twice the speed
// off screen. In: R1, R2 = the target's X, Y; R3, R4 = the enemy's; R20.
// Out: velocity_x, velocity_y; R0 = the direction index used (0 = stopped).
void sub_069393() {
    ROUTINE_ENTRY(0x069393);
    const uint32_t tx = cpu.reg[1], ty = cpu.reg[2], px = cpu.reg[3], py = cpu.reg[4];
    uint8_t c1;
    uint32_t dx, dy;
    if (!call(sub_06946D, 0x0693A5, 0x0693A0)) return;
    c1 = static_cast<uint8_t>(cpu.reg[0]);
    if (!call(sub_06948F, 0x0693AD, 0x0693A8)) return;
    // Overshoot trim: the code toward the target less one step.
    set16(cpu.reg[1], tx - cpu.reg[6]);
    set16(cpu.reg[2], ty - cpu.reg[7]);
    if (!call(sub_06946D, 0x0693BD, 0x0693B8)) return;
    cpu.reg[0] = c1 & cpu.reg[0];
    if (!call(sub_06948F, 0x0693C5, 0x0693C0)) return;
    dx = cpu.reg[6];
    dy = cpu.reg[7];
    if (test_bit(field(object_record::flags), object_flag::free_move)) goto L_069440;
    set16(cpu.reg[3], px + dx);
    set16(cpu.reg[4], py + dy);
    if (!call(sub_0877D1, 0x0693D5, 0x0693D0)) return;
    if (eq()) goto L_069440;
    // A Y-only try when the direction has an X part, then an X-only try when
    // it has a Y part: the part kept is trimmed toward the target as before.
    for (const uint8_t keep : {kYPart, kXPart}) {
        if (!(c1 & (kXPart | kYPart) & ~keep)) continue;
        cpu.reg[0] = c1 & keep;
        if (!call(sub_06948F, 0x0693E5, 0x0693E0)) return;
        set16(cpu.reg[1], tx - cpu.reg[6]);
        set16(cpu.reg[2], ty - cpu.reg[7]);
        set16(cpu.reg[3], px);
        set16(cpu.reg[4], py);
        if (!call(sub_06946D, 0x0693ED, 0x0693E8)) return;
        cpu.reg[0] = c1 & cpu.reg[0] & keep;
        if (!call(sub_06948F, 0x0693F5, 0x0693F0)) return;
        dx = cpu.reg[6];
        dy = cpu.reg[7];
        set16(cpu.reg[3], px + dx);
        set16(cpu.reg[4], py + dy);
        if (!call(sub_0877D1, 0x0693FD, 0x0693F8)) return;
        if (eq()) goto L_069440;
    }
    dx = dy = 0;
    cpu.reg[0] = 0;
L_069440:
    {
        const uint16_t screen_x = orb_read16(field(object_record::screen_x));
        cmp<uint16_t>(screen_x, static_cast<uint16_t>(kScreenLeft));
        const bool off_left = less();
        cmp<uint16_t>(screen_x, static_cast<uint16_t>(kScreenRight));
        if (off_left || greater()) {
            dx = add<uint8_t>(dx, dx);
            dy = add<uint8_t>(dy, dy);
        }
    }
    orb_write8(field(object_record::velocity_x), static_cast<uint8_t>(dx));
    orb_write8(field(object_record::velocity_y), static_cast<uint8_t>(dy));
    ret();
}

// The direction code from (R3, R4) toward (R1, R2), low halves compared as
// signed: X part 4 (target greater) or 8 (less), plus Y part 1 (greater) or
// 2 (less); 0 on each axis where they are equal. Out: R0.
void sub_06946D() {
    ROUTINE_ENTRY(0x06946D);
    uint32_t code = 0;
    cmp<uint16_t>(cpu.reg[3], cpu.reg[1]);
    if (less())
        code |= kTowardGreaterX;
    else if (greater())
        code |= kTowardLesserX;
    cmp<uint16_t>(cpu.reg[4], cpu.reg[2]);
    if (less())
        code |= kTowardGreaterY;
    else if (greater())
        code |= kTowardLesserY;
    cpu.reg[0] = code;
    ret();
}

// The velocities of a direction code. In: R0 = the code, R20. Out: R0 = its
// direction index (ROM 0x0699BD); R6, R7 low halves = dx, dy of the kind's
// direction_velocities at that index, sign-extended from bytes.
void sub_06948F() {
    ROUTINE_ENTRY(0x06948F);
    cpu.reg[0] = load_zx8(rom::direction_map + cpu.reg[0]);
    const uint32_t pair = table(enemy_state_record::direction_velocities) + 2 * cpu.reg[0];
    set16(cpu.reg[6], load_sx8(pair));
    set16(cpu.reg[7], load_sx8(pair + 1));
    ret();
}

// The animation that follows the motion. Standing: the idle script (the
// second one below 50 energy) started when another runs, and ticked. Moving:
// the walk frame list, stepped forward or back by the direction of motion
// against the facing each time the frame timer runs out. In: R20.
void sub_0694A5() {
    ROUTINE_ENTRY(0x0694A5);
    const uint8_t vx = orb_read8(field(object_record::velocity_x));
    const uint8_t vy = orb_read8(field(object_record::velocity_y));
    if (vx == 0 && vy == 0) {
        cmp<uint16_t>(orb_read16(field(object_record::energy)), static_cast<uint16_t>(kLowEnergy));
        const uint32_t script = orb_read32(table(enemy_state_record::idle_animations) + (less() ? 4 : 0));
        if (orb_read32(field(object_record::frame_table)) != script + 1) {
            cpu.reg[19] = script;
            if (!call(sub_061F67, 0x0694C5, 0x0694C0)) return;
        }
        sub_061FB6();
        return;
    }
    {
        const uint32_t script =
            orb_read32(table(enemy_state_record::animation_set) + enemy_animation_set::walk);
        if (orb_read32(field(object_record::frame_table)) != script + 1) {
            cpu.reg[19] = script;
            if (!call(sub_061F67, 0x0694E5, 0x0694E0)) return;
        }
    }
    {
        const uint8_t timer = dec<uint8_t>(orb_read8(field(object_record::frame_timer)));
        orb_write8(field(object_record::frame_timer), timer);
        if (ne()) {
            ret();
            return;
        }
    }
    orb_write8(field(object_record::frame_timer), orb_read8(field(object_record::frame_duration)));
    {
        bool forward;
        if (vx != 0) {
            const bool moving_right = !(vx & 0x80);
            forward =
                test_bit(field(object_record::flags), object_flag::mirror_x) ? moving_right : !moving_right;
        } else {
            forward = !(vy & 0x80);
        }
        const uint32_t frame_table = orb_read32(field(object_record::frame_table));
        int index = orb_read8(field(object_record::frame_index));
        if (forward) {
            ++index;
            if (frame_word(frame_table, index) <= 0) index = 0;
        } else if (--index < 0) {
            index = 0;
            while (frame_word(frame_table, index + 1) > 0) ++index;
        }
        const uint32_t word = frame_table + 2 * static_cast<uint32_t>(index);
        cpu.reg[19] = word + load_sx16(word);
        if (!call(sub_061F1B, 0x069560, 0x06955B)) return;
        orb_write8(field(object_record::frame_index), static_cast<uint8_t>(index));
    }
    ret();
}

// The next approach offset: offset_index + 1 (mod 16) picks approach_dx and
// approach_dy from the kind's approach_offsets; approach_timer := 240. In: R20.
void sub_06A431() {
    ROUTINE_ENTRY(0x06A431);
    const uint8_t index = (orb_read8(field(object_record::offset_index)) + 1) & 15;
    orb_write8(field(object_record::offset_index), index);
    const uint32_t offsets = table(enemy_state_record::approach_offsets) + 4u * index;
    orb_write16(field(object_record::approach_dx), orb_read16(offsets));
    orb_write16(field(object_record::approach_dy), orb_read16(offsets + 2));
    orb_write8(field(object_record::approach_timer), kApproachFrames);
    ret();
}
