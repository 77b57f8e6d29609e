// Direction maths: the direction from one point to another through an octant
// fold, a ratio in 1/256 steps and a ROM arctangent table.
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kAimSelect = 38;  // target byte whose low 4 bits pick the pair

int32_t s16(uint32_t v) { return static_cast<int16_t>(v); }

}  // namespace

// Direction from the running object to another object, aimed at the target's
// aim offset. In: R20 = the running object, R19 = the target. Out: as
// sub_08923F (R0-R3 hold its arguments).
void sub_08921C() {
    ROUTINE_ENTRY(0x08921C);
    const uint32_t aim = rom::aim_offsets + 4u * (orb_read8(cpu.reg[19] + kAimSelect) & 15);
    set16(cpu.reg[0], orb_read16(cpu.reg[19] + object_record::world_x) + orb_read16(aim));
    set16(cpu.reg[1], orb_read16(cpu.reg[19] + object_record::world_y) + orb_read16(aim + 2));
    set16(cpu.reg[2], orb_read16(cpu.reg[20] + object_record::world_x));
    set16(cpu.reg[3], orb_read16(cpu.reg[20] + object_record::world_y));
    sub_08923F();
}

// Direction of the vector from (R2, R3) to (R0, R1), low 16 bits of each:
// folded into an octant (bit 0: x negative, bit 1: y negative, bit 2: |x| below
// |y|), the shorter component over the longer in 1/256 steps looked up in the
// arctangent table, then unfolded with the octant's sign and base.
// Out: R0 low half = the direction, R2 = the octant; flags from the last add.
void sub_08923F() {
    ROUTINE_ENTRY(0x08923F);
    int16_t dx = static_cast<int16_t>(cpu.reg[0] - cpu.reg[2]);
    int16_t dy = static_cast<int16_t>(cpu.reg[1] - cpu.reg[3]);
    uint32_t octant = 0;
    if (dx < 0) {
        octant |= 1;
        dx = static_cast<int16_t>(-dx);
    }
    if (dy < 0) {
        octant |= 2;
        dy = static_cast<int16_t>(-dy);
    }
    int32_t major = dx, minor = dy;
    if (dx < dy) {
        octant |= 4;
        major = dy;
        minor = dx;
    }
    // The ratio stays a signed division: a component of -32768 does not fold
    // and gives a negative ratio, as on the guest.
    const int32_t ratio = major != 0 ? minor * 256 / major : 0;
    const uint32_t angle = orb_read8(rom::arctangent + static_cast<uint32_t>(ratio));
    const int32_t sign = s16(orb_read16(rom::octant_sign + 2 * octant));
    const uint32_t turned = static_cast<uint32_t>(static_cast<int32_t>(angle) * sign) & 0xFFFF;
    cpu.reg[2] = octant;
    set16(cpu.reg[0], add<uint16_t>(turned, orb_read16(rom::octant_base + 2 * octant)));
    ret();
}
