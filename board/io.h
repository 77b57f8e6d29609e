// The I/O chip at guest 0xC00000: eight ports, CNT, the player-3/4 group and
// the analog counters. The bus hands it the offset A & 0x7E and the low byte.
#pragma once
#include <cstdint>

struct orb_io_block {
    uint8_t port_latches[8];   // output latch of ports A to H
    uint8_t direction;         // bit n set: port n is an output
    uint8_t cnt;               // bit 2: the sound board runs (0 holds it in reset)
    uint8_t tile_bank;         // port H's output while it is an output, else 0
    uint8_t group_register;    // register 3 of the second group (offset 0x66)
    uint8_t group_latches[3];  // last bytes written to group registers 0 to 2
    uint8_t io_inputs[8];      // active-low input bytes written by the host
    uint16_t counter_x[4];
    uint16_t counter_y[4];
    uint16_t latched_x[4];
    uint16_t latched_y[4];
};

// Indices into io_inputs.
enum : int {
    ORB_INPUT_P1 = 0,
    ORB_INPUT_P2 = 1,
    ORB_INPUT_PORT_C = 2,
    ORB_INPUT_SYSTEM = 3,
    ORB_INPUT_DIP = 4,
    ORB_INPUT_P3 = 5,
    ORB_INPUT_P4 = 6,
    ORB_INPUT_START34 = 7,
};

uint8_t orb_io_read(uint32_t offset);
void orb_io_write(uint32_t offset, uint8_t value);
void orb_io_reset();
