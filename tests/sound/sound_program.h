// Support for running the sound board in tests and benchmarks: a way back to
// its start state, a tiny Z80 assembler and a small hand-assembled sound
// program written with it.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

#include "sound/orbsound_state.h"

// Puts every item of the sound board back to its program-start value.
inline void sound_board_to_start_state() {
    using namespace orbsound;
    g_pcm.reset();
    g_fm[1].reset();
    g_fm[0].reset();
    g_z80.reset();
    g_model = timing_model{};
    for (auto& fifo : g_fm_samples) fifo = samples{};
    g_pcm_samples = samples{};
    g_mix.clear();
    g_frame_samples_hash = 0;
    g_write_log = nullptr;
    std::memset(g_executed, 0, sizeof g_executed);
    g_z80_cycles = 0;
    g_time = g_slice_start = 0;
    g_slice_budget = 0;
    g_running = false;
    g_vector = 0xFF;
    g_z80_held = true;
    g_now_override = NO_TIME;
}

// A tiny Z80 assembler: bytes at an origin, labels, and relative jumps
// patched once every label is known.
class z80_asm {
public:
    explicit z80_asm(uint16_t origin = 0) : m_pc(origin) {}
    z80_asm& org(uint16_t address) {
        m_pc = address;
        return *this;
    }
    z80_asm& db(std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) m_bytes[m_pc++] = b;
        return *this;
    }
    z80_asm& label(const std::string& name) {
        m_labels[name] = m_pc;
        return *this;
    }
    // JR-style instruction (opcode, then a displacement to `target`).
    z80_asm& jr(uint8_t opcode, const std::string& target) {
        m_bytes[m_pc++] = opcode;
        m_fixups[m_pc] = target;
        m_bytes[m_pc++] = 0;
        return *this;
    }
    uint16_t here() const { return m_pc; }
    uint16_t at(const std::string& name) const { return m_labels.at(name); }
    void load(uint8_t* rom) const {
        for (const auto& [address, target] : m_fixups) {
            const int displacement = int(m_labels.at(target)) - int(address + 1);
            if (displacement < -128 || displacement > 127) throw std::out_of_range("jump to " + target);
            rom[address] = static_cast<uint8_t>(displacement);
        }
        for (const auto& [address, byte] : m_bytes)
            if (!m_fixups.count(address)) rom[address] = byte;
    }

private:
    uint16_t m_pc;
    std::map<uint16_t, uint8_t> m_bytes;
    std::map<std::string, uint16_t> m_labels;
    std::map<uint16_t, std::string> m_fixups;
};

// The sound program: sets up the interrupt controller and IM 2, fills a
// square wave into wave memory and loops it on all eight PCM channels at
// different pitches, plays one FM note on both FM chips, and runs FM timer A
// of chip 0 as its interrupt. The handler counts ticks in shared RAM and
// every 16th tick keys the FM note off or on and moves channel 7's pitch.
// The idle loop is at `idle`, the handler at `handler`.
inline z80_asm sound_program() {
    z80_asm p;
    p.db({0xF3})                                   // DI
        .db({0x31, 0x00, 0xFF})                    // LD SP,FF00
        .db({0xED, 0x5E})                          // IM 2
        .db({0x3E, 0x01, 0xED, 0x47})              // LD A,01 / LD I,A: table at 0100
        .db({0x3E, 0x00, 0xD3, 0xD0})              // line 0 follows source 0 (FM chip 0)
        .db({0x3E, 0xFF, 0xD3, 0xD1, 0xD3, 0xD2})  // lines 1 and 2 follow nothing
        .db({0x3E, 0x06, 0xD3, 0xD3})              // mask lines 1 and 2
        // Wave page 0: +64 for 128 bytes, -64 for 127, then the loop marker.
        .db({0x3E, 0x80, 0x32, 0x07, 0xC0})  // PCM on, wave bank 0
        .db({0x21, 0x00, 0xD0})              // LD HL,D000
        .label("fill")
        .db({0x7D, 0xE6, 0x80, 0xEE, 0xC0, 0x77, 0x2C})  // LD A,L / AND 80 / XOR C0 / LD (HL),A / INC L
        .jr(0x20, "fill")                                // JR NZ
        .db({0x2D, 0x36, 0xFF})                          // DEC L / LD (HL),FF
        // Channels 0-7: full envelope, pan 35, step (4 + channel) << 8, page 0.
        .db({0x06, 0xC0})  // LD B,C0
        .label("channel")
        .db({0x78, 0x32, 0x07, 0xC0})  // select channel B & 7
        .db({0x3E, 0xFF, 0x32, 0x00, 0xC0})
        .db({0x3E, 0x35, 0x32, 0x01, 0xC0})
        .db({0xAF, 0x32, 0x02, 0xC0, 0x32, 0x04, 0xC0, 0x32, 0x05, 0xC0, 0x32, 0x06, 0xC0})
        .db({0x78, 0xE6, 0x07, 0xC6, 0x04, 0x32, 0x03, 0xC0})
        .db({0x04, 0x78, 0xFE, 0xC8})  // INC B / LD A,B / CP C8
        .jr(0x20, "channel")
        .db({0xAF, 0x32, 0x08, 0xC0})  // all channels on
        // FM: (register, value) pairs from the table at 0400 up to register 0.
        .db({0x21, 0x00, 0x04})  // LD HL,0400
        .label("table")
        .db({0x56, 0x23, 0x5E, 0x23, 0x7A, 0xB7})  // LD D,(HL) / INC HL / LD E,(HL) / INC HL / LD A,D / OR A
        .jr(0x28, "done")                          // JR Z
        .db({0xCD, 0x00, 0x03})                    // CALL 0300
        .jr(0x18, "table")
        .label("done")
        .db({0xFB})  // EI
        .label("idle")
        .jr(0x18, "idle");

    p.org(0x0100).db({0x00, 0x02});  // vector 0 -> 0200

    p.org(0x0200)
        .label("handler")
        .db({0xF5, 0xC5})                                      // PUSH AF / PUSH BC
        .db({0x3E, 0x27, 0xD3, 0x80, 0x3E, 0x15, 0xD3, 0x81})  // reset flag A, keep it running
        .db({0x3A, 0x00, 0xE0, 0x3C, 0x32, 0x00, 0xE0})        // count ticks at E000
        .db({0xE6, 0x0F})                                      // AND 0F
        .jr(0x20, "skip")
        .db({0x3A, 0x01, 0xE0, 0xEE, 0xF0, 0x32, 0x01, 0xE0, 0x47})  // toggle key byte at E001
        .db({0x3E, 0x28, 0xD3, 0x80, 0x78, 0xD3, 0x81})              // key on/off channel 1
        .db({0x78, 0x07, 0xE6, 0x03, 0xC6, 0x04, 0x32, 0x03, 0xC0})  // channel 7 step 4 or 5
        .label("skip")
        .db({0xC1, 0xF1, 0xFB, 0xED, 0x4D});  // POP BC / POP AF / EI / RETI

    // Write register D = E on both FM chips.
    p.org(0x0300).db({0x7A, 0xD3, 0x80, 0xD3, 0x90, 0x7B, 0xD3, 0x81, 0xD3, 0x91, 0xC9});

    // Channel 1, algorithm 7 with operator 4 alone audible, timer A at 824.
    p.org(0x0400).db({0x22, 0x08,                                      // LFO on
                      0x30, 0x01, 0x34, 0x02, 0x38, 0x03, 0x3C, 0x01,  // multiples
                      0x40, 0x7F, 0x44, 0x7F, 0x48, 0x7F, 0x4C, 0x10,  // total levels
                      0x50, 0x1F, 0x54, 0x1F, 0x58, 0x1F, 0x5C, 0x1F,  // attack
                      0x60, 0x05, 0x64, 0x05, 0x68, 0x05, 0x6C, 0x05,  // decay
                      0x70, 0x02, 0x74, 0x02, 0x78, 0x02, 0x7C, 0x02,  // sustain rate
                      0x80, 0x2F, 0x84, 0x2F, 0x88, 0x2F, 0x8C, 0x2F,  // sustain level, release
                      0xB0, 0x07, 0xB4, 0xC0,                          // algorithm 7, both sides
                      0xA4, 0x22, 0xA0, 0x69,                          // block 4
                      0x24, 0xCE, 0x25, 0x00, 0x27, 0x15,              // timer A: 200 counts, flag on
                      0x28, 0xF0,                                      // key on
                      0x00});
    return p;
}
