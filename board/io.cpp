// The I/O chip: eight ports under a direction register, CNT, the identification
// bytes, three analog counter channels and the second group for players 3 and 4.
#include "board/machine.h"

namespace {

constexpr uint8_t kIdentification[4] = {'K', 'O', 'T', 'A'};
constexpr int kPortD = 3;
constexpr int kPortH = 7;
constexpr uint8_t kGroupRegisterAtReset = 0x9B;

// Port D's output bits 7, 6 and 5 are the EEPROM's DI, CLK and CS.
void drive_eeprom(uint8_t port_d) {
    eeprom_write_lines((port_d >> 7) & 1, (port_d >> 5) & 1, (port_d >> 6) & 1);
}

uint8_t port_read(int n) {
    const auto& io = orb_board.io;
    if (io.direction & (1u << n)) return io.port_latches[n];
    switch (n) {
    case 0: return io.io_inputs[ORB_INPUT_P1];
    case 1: return io.io_inputs[ORB_INPUT_P2];
    case 2: return io.io_inputs[ORB_INPUT_PORT_C];
    case 4: return io.io_inputs[ORB_INPUT_SYSTEM];
    case 5:  // the EEPROM's data line takes the DIP byte's bit 7
        return static_cast<uint8_t>((io.io_inputs[ORB_INPUT_DIP] & 0x7F) | eeprom_do() << 7);
    default: return 0xFF;  // D, G and H have nothing behind them as inputs
    }
}

void port_write(int n, uint8_t value) {
    auto& io = orb_board.io;
    if (io.direction & (1u << n)) {
        if (n == kPortD)
            drive_eeprom(value);
        else if (n == kPortH)
            io.tile_bank = value;
    }
    io.port_latches[n] = value;
}

void direction_write(uint8_t v) {
    auto& io = orb_board.io;
    const uint8_t changed = io.direction ^ v;
    if (changed & (1u << kPortD)) {
        if (v & (1u << kPortD))
            drive_eeprom(io.port_latches[kPortD]);
        else
            eeprom_write_lines(0, 0, 0);
    }
    if (changed & (1u << kPortH)) io.tile_bank = (v & (1u << kPortH)) ? io.port_latches[kPortH] : 0;
    io.direction = v;
}

void cnt_write(uint8_t v) {
    auto& io = orb_board.io;
    if (((io.cnt ^ v) & 4) && orb_board.callbacks.sound_reset) orb_board.callbacks.sound_reset((v & 4) == 0);
    io.cnt = v;
}

// Channel c: +0/+2 the X count's low byte and top four bits, +4/+6 the Y count's;
// what reads is the 12-bit movement since the channel was last latched.
uint8_t analog_read(uint32_t offset) {
    const auto& io = orb_board.io;
    const uint32_t c = (offset - 0x40) / 8;
    const uint32_t field = offset & 7;
    const uint16_t current = field < 4 ? io.counter_x[c] : io.counter_y[c];
    const uint16_t latched = field < 4 ? io.latched_x[c] : io.latched_y[c];
    const uint32_t moved = static_cast<uint16_t>(current - latched) & 0xFFF;
    return static_cast<uint8_t>(field & 2 ? moved >> 8 : moved);
}

}  // namespace

uint8_t orb_io_read(uint32_t offset) {
    const auto& io = orb_board.io;
    offset &= 0x7E;
    if (offset < 0x10) return port_read(static_cast<int>(offset / 2));
    if (offset < 0x18) return kIdentification[(offset - 0x10) / 2];
    if (offset == 0x18 || offset == 0x1C) return io.cnt;
    if (offset == 0x1A || offset == 0x1E) return io.direction;
    if (offset >= 0x40 && offset < 0x58) return analog_read(offset);
    if (offset >= 0x60 && offset < 0x68) {
        const uint32_t reg = (offset / 2) & 3;
        return reg == 3 ? io.group_register : io.io_inputs[ORB_INPUT_P3 + reg];
    }
    return 0xFF;
}

void orb_io_write(uint32_t offset, uint8_t value) {
    auto& io = orb_board.io;
    offset &= 0x7E;
    if (offset < 0x10) {
        port_write(static_cast<int>(offset / 2), value);
    } else if (offset == 0x1C) {
        cnt_write(value);
    } else if (offset == 0x1E) {
        direction_write(value);
    } else if (offset >= 0x40 && offset < 0x58) {
        const uint32_t c = (offset - 0x40) / 8;  // any value latches the channel
        io.latched_x[c] = io.counter_x[c];
        io.latched_y[c] = io.counter_y[c];
    } else if (offset >= 0x60 && offset < 0x68) {
        const uint32_t reg = (offset / 2) & 3;
        if (reg == 3)
            io.group_register = value;
        else
            io.group_latches[reg] = value;
    }
}

void orb_io_reset() {
    auto& io = orb_board.io;
    io.group_register = kGroupRegisterAtReset;
    io.direction = 0;
    io.cnt = 0;  // every port an input, the sound board held in reset
    if (orb_board.callbacks.sound_reset) orb_board.callbacks.sound_reset(true);
    for (auto& latch : io.port_latches) latch = 0;
    for (auto& latch : io.group_latches) latch = 0;
    eeprom_write_lines(0, 0, 0);
    io.tile_bank = 0;
}
