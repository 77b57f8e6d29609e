// The object system: three pools with free stacks, allocation from a ROM
// template, the active ring with its runner's cursor, release, and the runner.
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// A free stack: its count, then entries 1 to count, so that the first object
// taken is the highest of the pool.
void fill_free_stack(uint32_t stack, uint32_t first, uint32_t size, uint16_t count) {
    orb_write16(stack, count);
    for (uint32_t i = 1; i <= count; ++i)
        orb_write16(stack + 2 * i, static_cast<uint16_t>(first + size * (i - 1)));
}

// The three allocators' shared front: R0 saved on the stack, the size in
// halfwords in R0, the pool's free stack in R19.
void allocate_from(uint32_t stack, uint32_t halfwords) {
    push(cpu.reg[0]);
    cpu.reg[0] = halfwords;
    cpu.reg[19] = stack;
    sub_088C85();
}

}  // namespace

// Object runner: calls every object's routine once, head to tail, with R20 =
// the object and R23 = the cursor. An object linked during the pass joins the
// tail and runs in it; one that unlinks itself hands the cursor on.
void sub_088B00() {
    ROUTINE_ENTRY(0x088B00);
    test<uint16_t>(orb_read16(var::active_count));
    if (eq()) {
        ret();
        return;
    }
    cpu.reg[22] = orb_read32(var::active_head);
    cpu.reg[23] = cpu.reg[24] = orb_read32(var::active_tail);
    do {
        set16(cpu.reg[23], orb_read16(cpu.reg[23] + object_record::next));
        cpu.reg[20] = cpu.reg[23];
        if (!call_at(orb_read32(cpu.reg[20] + object_record::routine), 0x088B20, 0x088B1C)) return;
        cmp<uint16_t>(cpu.reg[23], cpu.reg[24]);
    } while (ne());
    orb_write16(var::active_head, static_cast<uint16_t>(cpu.reg[22]));
    orb_write16(var::active_tail, static_cast<uint16_t>(cpu.reg[24]));
    ret();
}

// Object system re-initialisation: the same as sub_088B7C.
void sub_088B2D() {
    ROUTINE_ENTRY(0x088B2D);
    sub_088B7C();
}

// Object system initialisation: every object free, the ring empty.
// Out: R22 = R24 = 0x200000.
void sub_088B7C() {
    ROUTINE_ENTRY(0x088B7C);
    orb_write32(var::active_head, var::object_area);
    orb_write32(var::active_tail, var::object_area);
    cpu.reg[22] = cpu.reg[24] = var::object_area;
    fill_free_stack(var::free_stack_256, var::objects_256, 256, 12);
    fill_free_stack(var::free_stack_128, var::objects_128, 128, 124);
    fill_free_stack(var::free_stack_64, var::objects_64, 64, 200);
    orb_write16(var::active_count, 0);
    ret();
}

// Allocate a 256-byte object. Out: R21 = the object and Z clear, or Z set when
// the pool is empty (R21 unchanged). R0 preserved; R19 = the free stack.
void sub_088C57() {
    ROUTINE_ENTRY(0x088C57);
    allocate_from(var::free_stack_256, 128);
}

// Allocate a 128-byte object; as sub_088C57.
void sub_088C67() {
    ROUTINE_ENTRY(0x088C67);
    allocate_from(var::free_stack_128, 64);
}

// Allocate a 64-byte object; as sub_088C57.
void sub_088C77() {
    ROUTINE_ENTRY(0x088C77);
    allocate_from(var::free_stack_64, 32);
}

// Common allocator: takes the top entry of the free stack and fills the object
// from the ROM template; it is not linked.
// In: R19 = free stack, R0 = size in halfwords, the caller's R0 on top of the
// stack (above the return address). Out: R21 = the object, all flags clear;
// or Z alone set when the pool is empty, R21 unchanged. R0 restored.
void sub_088C85() {
    ROUTINE_ENTRY(0x088C85);
    const uint16_t count = orb_read16(cpu.reg[19]);
    if (count == 0) {
        set_flags(1, 0, 0, 0);
        cpu.reg[0] = pop();
        ret();
        return;
    }
    cpu.reg[21] = kHigh | orb_read16(cpu.reg[19] + 2u * count);
    orb_write16(cpu.reg[19], static_cast<uint16_t>(count - 1));
    v60_move_string(rom::object_template, cpu.reg[0], cpu.reg[21], cpu.reg[0], 2, 0, 0);
    cpu.reg[0] = pop();
    set_flags(0, 0, 0, 0);
    ret();
}

// Links an object at the tail of the active ring; the first one forms a ring
// of one. In: R21 = the object. Out: R24 (and R22 for the first) updated.
void sub_088CA5() {
    ROUTINE_ENTRY(0x088CA5);
    test<uint16_t>(orb_read16(var::active_count));
    if (eq()) {
        set16(cpu.reg[22], cpu.reg[21]);
        set16(cpu.reg[24], cpu.reg[21]);
        orb_write16(var::active_head, static_cast<uint16_t>(cpu.reg[21]));
    }
    const uint16_t object = static_cast<uint16_t>(cpu.reg[21]);
    orb_write16(cpu.reg[24] + object_record::next, object);
    orb_write16(cpu.reg[22] + object_record::prev, object);
    orb_write16(cpu.reg[21] + object_record::prev, static_cast<uint16_t>(cpu.reg[24]));
    orb_write16(cpu.reg[21] + object_record::next, static_cast<uint16_t>(cpu.reg[22]));
    set16(cpu.reg[24], cpu.reg[21]);
    orb_write16(var::active_tail, object);
    orb_write16(var::active_count, inc<uint16_t>(orb_read16(var::active_count)));
    ret();
}

// Unlinks an object from the active ring and sets the runner's cursor so that
// the pass goes on with the object that followed it: after a head removal the
// cursor is the removed object (its own links stay as they were), otherwise
// its predecessor. In: R20 = the object. Out: R22, R23, R24 updated.
void sub_088CD3() {
    ROUTINE_ENTRY(0x088CD3);
    orb_write16(var::active_count, dec<uint16_t>(orb_read16(var::active_count)));
    const uint32_t prev = linked(cpu.reg[20], object_record::prev);
    const uint32_t next = linked(cpu.reg[20], object_record::next);
    orb_write16(prev + object_record::next, static_cast<uint16_t>(next));
    orb_write16(next + object_record::prev, static_cast<uint16_t>(prev));
    cmp<uint16_t>(cpu.reg[20], cpu.reg[22]);
    if (eq()) {
        set16(cpu.reg[22], next);
        cpu.reg[23] = cpu.reg[20];
    } else {
        cmp<uint16_t>(cpu.reg[20], cpu.reg[24]);
        if (eq()) cpu.reg[24] = prev;
        cpu.reg[23] = prev;
    }
    ret();
}

// Releases a 128-byte object to its free stack. In: R20 = the object.
void sub_088D0C() {
    ROUTINE_ENTRY(0x088D0C);
    const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_128));
    orb_write16(var::free_stack_128, count);
    orb_write16(var::free_stack_128 + 2u * count, static_cast<uint16_t>(cpu.reg[20]));
    ret();
}
