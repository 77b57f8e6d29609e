// The serial EEPROM behind the I/O chip's port D (DI, CLK, CS) and port F bit 7 (DO).
#pragma once
#include <cstdint>

struct orb_eeprom_engine {
    uint32_t state;      // 0 idle, 1 selected, 2 command, 3 reading, 4 write data, 5 busy
    uint32_t kind;       // 0 READ, 1 WRITE, 2 ERASE, 3 EWDS, 4 EWEN, 5 WRAL, 6 ERAL
    uint32_t address;
    uint32_t bit_count;
    uint32_t shift;
    uint32_t command;
    uint8_t cs;
    uint8_t clk;
    uint8_t di;
    uint8_t protect;
    uint64_t ready_at;
    uint8_t eeprom_dirty;
};
