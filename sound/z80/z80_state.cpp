// Register-state access and save hooks: conversion between the execution
// forms (flag source bytes, R split into a count and a held bit 7, a state
// word that may stand mid-instruction) and plain register values.
#include "sound/z80/z80.h"

#include <cstdio>

namespace orbs {

namespace {

enum : int {
    STATE_GENPC = -1,
    STATE_GENPCBASE = -2,
    STATE_GENFLAGS = -3,
    Z80_F = 3,
    Z80_F_ALT = 10,
    Z80_R = 20,
    Z80_IR = 31,
};

std::string string_format(const char* format, char a, char b, char c, char d, char e, char f, char g,
                          char h) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, a, b, c, d, e, f, g, h);
    return buffer;
}

}  // namespace

void z80_device::state_export(const device_state_entry& entry) {
    switch (entry.index) {
    case Z80_F:
    case Z80_F_ALT: lo(af) = get_f(); break;
    case Z80_R:
    case Z80_IR: state_ir = uint16_t((i << 8) | (r & 0x7F) | (r2 & 0x80)); break;
    default: fatalerror("CPU_EXPORT_STATE() called for unexpected value\n");
    }
}

void z80_device::state_import(const device_state_entry& entry) {
    switch (entry.index) {
    case STATE_GENPCBASE: pc = instruction_pc; [[fallthrough]];
    case STATE_GENPC:
        // Restart at the written pc, abandoning a suspended instruction.
        instruction_pc = pc;
        pending_events &= ~EVENT_AFTER_EI;
        exec_state = BETWEEN_INSTRUCTIONS;
        break;
    case Z80_F:
    case Z80_F_ALT: set_f(lo(af)); break;
    case Z80_IR: i = hi(state_ir); [[fallthrough]];
    case Z80_R:
        r = lo(state_ir) & 0x7F;
        r2 = lo(state_ir) & 0x80;
        break;
    default: fatalerror("CPU_IMPORT_STATE() called for unexpected value\n");
    }
}

void z80_device::state_string_export(const device_state_entry& entry, std::string& text) const {
    if (entry.index != STATE_GENFLAGS) return;
    text =
        string_format("%c%c%c%c%c%c%c%c", (flag_s & 0x80) ? 'S' : '.', flag_z == 0 ? 'Z' : '.',
                      (flag_xy & 0x20) ? 'Y' : '.', (flag_h & 0x10) ? 'H' : '.', (flag_xy & 0x08) ? 'X' : '.',
                      parity_even(flag_pv) ? 'P' : '.', flag_n ? 'N' : '.', flag_c ? 'C' : '.');
}

void z80_device::device_pre_save() { lo(af) = get_f(); }

void z80_device::device_post_load() { set_f(lo(af)); }

}  // namespace orbs
