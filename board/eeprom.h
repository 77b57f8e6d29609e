// The serial EEPROM behind the I/O chip's port D (DI, CLK, CS) and port F bit 7
// (DO): 64 words of 16 bits, driven one clock at a time like a 93C46 part.
#pragma once
#include <cstdint>

enum orb_eeprom_state_id : uint32_t {
    ORB_EEPROM_IDLE = 0,
    ORB_EEPROM_SELECTED = 1,  // CS high, waiting for the start bit
    ORB_EEPROM_COMMAND = 2,   // shifting in opcode and address
    ORB_EEPROM_READING = 3,
    ORB_EEPROM_WRITE_DATA = 4,
    ORB_EEPROM_BUSY = 5,  // an erase or write was carried out; lasts until CS falls
};

enum orb_eeprom_kind : uint32_t {
    ORB_EEPROM_READ = 0,
    ORB_EEPROM_WRITE = 1,
    ORB_EEPROM_ERASE = 2,
    ORB_EEPROM_EWDS = 3,
    ORB_EEPROM_EWEN = 4,
    ORB_EEPROM_WRAL = 5,
    ORB_EEPROM_ERAL = 6,
};

// Busy times in board ticks (all 0 while eeprom_instant is set).
constexpr uint64_t ORB_EEPROM_ERASE_TICKS = 16'107;  // about 1 ms
constexpr uint64_t ORB_EEPROM_WRITE_TICKS = 28'188;  // about 1.75 ms
constexpr uint64_t ORB_EEPROM_ALL_TICKS = 128'863;   // WRAL and ERAL, about 8 ms

struct orb_eeprom_engine {
    uint32_t state;      // orb_eeprom_state_id
    uint32_t kind;       // orb_eeprom_kind of the current command
    uint32_t address;    // word 0-63 (0 for EWDS, WRAL, ERAL, EWEN)
    uint32_t bit_count;  // bits received, or clocks given while reading
    uint32_t shift;      // data shift register; bit 31 is the output while reading
    uint32_t command;    // command shift register
    uint8_t cs;
    uint8_t clk;
    uint8_t di;
    uint8_t protect;    // 1 after EWDS: ERASE, ERAL, WRITE and WRAL are refused
    uint64_t ready_at;  // board time at which the last erase or write completes
    uint8_t eeprom_dirty;
};

// New levels (0 or 1) of the three input lines; the I/O chip calls this
// whenever port D's output may have changed.
void eeprom_write_lines(uint8_t di, uint8_t cs, uint8_t clk);
// The data output line as port F bit 7 shows it.
uint8_t eeprom_do();
