// Serial EEPROM: 64 words of 16 bits behind three input lines and one output.
#include <cstdio>
#include <cstdlib>

#include "board/machine.h"

namespace {

// Opcode 00 picks one of four commands by address bits 5-4.
constexpr uint32_t extended[4] = {ORB_EEPROM_EWDS, ORB_EEPROM_WRAL, ORB_EEPROM_ERAL, ORB_EEPROM_EWEN};

bool trace_enabled() {
    static const bool enabled = std::getenv("ORB_LOG_EEPROM") != nullptr;
    return enabled;
}

void trace(const char* what, uint32_t address, uint32_t value) {
    if (!trace_enabled()) return;
    std::fprintf(stderr, "eeprom %s %02X %04X frame %llu\n", what, address, value,
                 static_cast<unsigned long long>(orb_board.frame_count));
}

// Marks the contents changed and starts the busy time of the operation.
void start_busy(uint64_t ticks) {
    auto& e = orb_board.eeprom_state;
    e.ready_at = orb_board.now + (orb_board.eeprom_instant ? 0 : ticks);
    e.eeprom_dirty = 1;
    e.state = ORB_EEPROM_BUSY;
}

void eeprom_execute_command() {
    auto& e = orb_board.eeprom_state;
    e.bit_count = 0;
    uint32_t opcode = e.command >> 6;
    e.address = e.command & 0x3F;
    switch (opcode) {
    case 2: e.kind = ORB_EEPROM_READ; break;
    case 1: e.kind = ORB_EEPROM_WRITE; break;
    case 3: e.kind = ORB_EEPROM_ERASE; break;
    default:
        e.kind = extended[e.address >> 4];
        e.address = 0;
        break;
    }
    trace("command", e.address, e.kind);
    switch (e.kind) {
    case ORB_EEPROM_READ:
        e.shift = 0;
        e.state = ORB_EEPROM_READING;
        break;
    case ORB_EEPROM_WRITE:
    case ORB_EEPROM_WRAL:
        e.shift = 0;
        e.state = ORB_EEPROM_WRITE_DATA;
        break;
    case ORB_EEPROM_ERASE:
        if (e.protect) {
            e.state = ORB_EEPROM_IDLE;
            break;
        }
        orb_board.eeprom[e.address] = 0xFFFF;
        start_busy(ORB_EEPROM_ERASE_TICKS);
        break;
    case ORB_EEPROM_ERAL:
        if (e.protect) {
            e.state = ORB_EEPROM_IDLE;
            break;
        }
        for (auto& word : orb_board.eeprom) word = 0xFFFF;
        start_busy(ORB_EEPROM_ALL_TICKS);
        break;
    case ORB_EEPROM_EWDS:
        e.protect = 1;
        e.state = ORB_EEPROM_IDLE;
        break;
    default:  // EWEN
        e.protect = 0;
        e.state = ORB_EEPROM_IDLE;
        break;
    }
}

void eeprom_execute_write() {
    auto& e = orb_board.eeprom_state;
    if (e.protect) {
        e.state = ORB_EEPROM_IDLE;
        return;
    }
    const auto data = static_cast<uint16_t>(e.shift);
    trace("write", e.address, data);
    if (e.kind == ORB_EEPROM_WRITE) {
        orb_board.eeprom[e.address] = data;
        start_busy(ORB_EEPROM_WRITE_TICKS);
    } else {
        // WRAL can only clear bits: each word keeps what the data also has.
        for (auto& word : orb_board.eeprom) word &= data;
        start_busy(ORB_EEPROM_ALL_TICKS);
    }
}

// A rising CLK edge while CS is high. with_cs_rise: the edge came in the same
// port write that raised CS; the part does not take that as a start bit.
void clock_rise(bool with_cs_rise) {
    auto& e = orb_board.eeprom_state;
    switch (e.state) {
    case ORB_EEPROM_SELECTED:
        // Zeros before the start bit are skipped; a start bit is refused while
        // the last erase or write is still in progress.
        if (e.di && orb_board.now >= e.ready_at && !with_cs_rise) {
            e.command = 0;
            e.bit_count = 0;
            e.state = ORB_EEPROM_COMMAND;
        }
        break;
    case ORB_EEPROM_COMMAND:
        e.command = (e.command << 1) | e.di;
        if (++e.bit_count == 8) eeprom_execute_command();
        break;
    case ORB_EEPROM_READING:
        // A dummy 0 follows the command, then bits 15 to 0, then 1s; the
        // address does not advance. The low half starts as ones so that the
        // line stays high once the data bits have gone out.
        if (e.bit_count == 0)
            e.shift = static_cast<uint32_t>(orb_board.eeprom[e.address]) << 16 | 0xFFFF;
        else
            e.shift = (e.shift << 1) | 1;
        ++e.bit_count;
        break;
    case ORB_EEPROM_WRITE_DATA:
        e.shift = (e.shift << 1) | e.di;
        if (++e.bit_count == 16) eeprom_execute_write();
        break;
    default: break;  // idle or busy
    }
}

}  // namespace

void eeprom_write_lines(uint8_t di, uint8_t cs, uint8_t clk) {
    auto& e = orb_board.eeprom_state;
    e.di = di;
    if (cs != e.cs) {
        e.cs = cs;
        if (!cs) {
            // Deselecting abandons any command, read or write in progress.
            e.state = ORB_EEPROM_IDLE;
            e.clk = clk;
            return;
        }
        if (e.state == ORB_EEPROM_IDLE) e.state = ORB_EEPROM_SELECTED;
        if (clk != e.clk) {
            e.clk = clk;
            if (clk) clock_rise(true);
        }
        return;
    }
    if (clk != e.clk) {
        e.clk = clk;
        if (clk && cs) clock_rise(false);
    }
}

uint8_t eeprom_do() {
    const auto& e = orb_board.eeprom_state;
    switch (e.state) {
    case ORB_EEPROM_SELECTED: return orb_board.now >= e.ready_at ? 1 : 0;
    case ORB_EEPROM_READING: return static_cast<uint8_t>(e.shift >> 31);
    default: return 1;
    }
}
