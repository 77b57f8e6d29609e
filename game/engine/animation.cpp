// Animation: an object's script chooses its current frame definition, shown
// by pointer into ROM or copied into the object, and one tick a frame steps it.
//
// A script is a duration byte and a table of signed offset words after it; an
// entry k at table + 2k names the frame definition at its own address plus its
// value. A frame definition is a part count, that many 16-byte sprite parts,
// then the frame's hit-box list.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kPartSize = 16;

// The frame definition an entry names, its offset read unsigned (entry 0 is
// always a frame offset, whatever its value).
uint32_t frame_at(uint32_t entry) { return entry + load_zx16(entry); }

// Pointer mode: the frame, and its hit-box list after the parts.
void point_at_frame(uint32_t object, uint32_t frame) {
    orb_write32(object + object_record::frame, frame);
    orb_write32(object + object_record::hitbox_data, frame + 1 + kPartSize * load_zx8(frame));
}

// The start every mode shares: index 0, duration and timer from the script's
// duration byte, the offset table after it. Returns the table.
uint32_t start_script(uint32_t object, uint32_t script) {
    orb_write8(object + object_record::frame_index, 0);
    const uint8_t duration = orb_read8(script);
    orb_write8(object + object_record::frame_duration, duration);
    orb_write8(object + object_record::frame_timer, duration);
    const uint32_t table = script + 1;
    orb_write32(object + object_record::frame_table, table);
    return table;
}

}  // namespace

// Starts an animation script by the object's mode: pointer mode (0), copy
// mode (1, 2), or pointer mode after setting mode 0 (3). Any other mode has no
// case in the guest's jump table and ends the run.
// In: R20 = the object, R19 = the script.
void sub_061F06() {
    ROUTINE_ENTRY(0x061F06);
    const uint32_t mode = load_zx8(cpu.reg[20] + object_record::anim_mode);
    switch (mode) {
    case 0: sub_061F35(); return;
    case 1:
    case 2: sub_061F6C(); return;
    case 3: sub_061F30(); return;
    default: v60_unknown_jump(0x061F0F + 3 * mode, 0x061F0C);
    }
}

// Installs a frame definition by the object's mode: by pointer (0), copied
// (1, 2); mode 3 sets mode 0 and starts R19 as a script. Other modes end the
// run. In: R20 = the object, R19 = the frame definition.
void sub_061F1B() {
    ROUTINE_ENTRY(0x061F1B);
    const uint32_t mode = load_zx8(cpu.reg[20] + object_record::anim_mode);
    switch (mode) {
    case 0:
        point_at_frame(cpu.reg[20], cpu.reg[19]);
        ret();
        return;
    case 1:
    case 2: sub_061F86(); return;
    case 3: sub_061F30(); return;
    default: v60_unknown_jump(0x061F24 + 3 * mode, 0x061F21);
    }
}

// Sets pointer mode and starts a script. In: R20 = the object, R19 = the script.
void sub_061F30() {
    ROUTINE_ENTRY(0x061F30);
    orb_write8(cpu.reg[20] + object_record::anim_mode, anim_mode::pointer);
    sub_061F35();
}

// Starts a script in pointer mode: frame and hit-box list of entry 0.
// In: R20 = the object, R19 = the script. Out: R19 = the frame definition.
void sub_061F35() {
    ROUTINE_ENTRY(0x061F35);
    const uint32_t table = start_script(cpu.reg[20], cpu.reg[19]);
    cpu.reg[19] = frame_at(table);
    point_at_frame(cpu.reg[20], cpu.reg[19]);
    ret();
}

// Sets copy mode and starts a script. In: R20 = the object, R19 = the script.
void sub_061F67() {
    ROUTINE_ENTRY(0x061F67);
    orb_write8(cpu.reg[20] + object_record::anim_mode, anim_mode::copy);
    sub_061F6C();
}

// Starts a script in copy mode: entry 0's parts copied into the object.
// In: R20 = the object, R19 = the script.
void sub_061F6C() {
    ROUTINE_ENTRY(0x061F6C);
    const uint32_t table = start_script(cpu.reg[20], cpu.reg[19]);
    cpu.reg[19] = frame_at(table);
    sub_061F86();
}

// Copies a frame definition into the object (128 or 256 bytes): its part
// count at +95 and the parts from +96, a word at a time; the frame is then the
// copy and the hit-box list stays in ROM after the parts. A count of 0 copies
// no part (the guest's loop would run 256 times; such frames do not occur).
// In: R20 = the object, R19 = the frame definition. Out: R19 = its hit-box list.
void sub_061F86() {
    ROUTINE_ENTRY(0x061F86);
    const uint32_t object = cpu.reg[20];
    const uint32_t copy = object + object_record::copied_parts;
    orb_write32(object + object_record::frame, copy);
    const uint8_t count = orb_read8(cpu.reg[19]);
    orb_write8(copy, count);
    cpu.reg[19] += 1;
    for (uint32_t i = 0; i < kPartSize * count; i += 4)
        orb_write32(copy + 1 + i, orb_read32(cpu.reg[19] + i));
    cpu.reg[19] += kPartSize * count;
    orb_write32(object + object_record::hitbox_data, cpu.reg[19]);
    ret();
}

// One animation tick: nothing while the duration is 0; otherwise the timer
// counts down and, when its old value was not 2 to 127 (read signed), the
// script steps to its next entry: a frame offset, -1 stop (the frame stays),
// -2 back to entry 0, -3 chain to the script address after it, 0 or -4 chain
// to the object's next script. Other entries end the run.
// In: R20 = the object. Out: R19 = the entry's address, or as the routine
// that installed the frame or started the script.
void sub_061FB6() {
    ROUTINE_ENTRY(0x061FB6);
    const uint32_t object = cpu.reg[20];
    test<uint8_t>(orb_read8(object + object_record::frame_duration));
    if (eq()) {
        ret();
        return;
    }
    orb_write8(object + object_record::frame_timer,
               dec<uint8_t>(orb_read8(object + object_record::frame_timer)));
    if (greater()) {
        ret();
        return;
    }
    orb_write8(object + object_record::frame_timer, orb_read8(object + object_record::frame_duration));
    const uint8_t index = inc<uint8_t>(orb_read8(object + object_record::frame_index));
    orb_write8(object + object_record::frame_index, index);
    cpu.reg[19] = orb_read32(object + object_record::frame_table) + 2u * index;
    const uint16_t entry = test<uint16_t>(orb_read16(cpu.reg[19]));
    if (greater()) {
        cpu.reg[19] += entry;
        sub_061F1B();
        return;
    }
    // The guest's jump table is indexed by the negated entry.
    const uint32_t command = static_cast<uint16_t>(-entry);
    switch (command) {
    case 0:
    case 4:
        cpu.reg[19] = orb_read32(object + object_record::next_script);
        sub_061F06();
        return;
    case 1:
        orb_write8(object + object_record::frame_duration, 0);
        orb_write8(object + object_record::frame_index, 0);
        ret();
        return;
    case 2:
        orb_write8(object + object_record::frame_index, 0);
        sub_06200F();
        return;
    case 3:
        cpu.reg[19] = orb_read32(cpu.reg[19] + 2);
        sub_061F06();
        return;
    default: v60_unknown_jump(0x061FE3 + 3 * command, 0x061FE0);
    }
}

// Installs the frame of the current entry (read unsigned) by the object's
// mode. In: R20 = the object. Out: R19 = the frame definition, or as sub_061F1B.
void sub_06200F() {
    ROUTINE_ENTRY(0x06200F);
    const uint32_t object = cpu.reg[20];
    const uint32_t entry =
        orb_read32(object + object_record::frame_table) + 2u * orb_read8(object + object_record::frame_index);
    cpu.reg[19] = frame_at(entry);
    sub_061F1B();
}
