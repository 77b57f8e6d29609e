// Fixture for the sound board: the real board record with its Z80 link, a
// sound ROM the test fills with a hand-assembled program, and the sound board
// rebuilt from its start state before every test.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "board/machine.h"
#include "sound/orbsound.h"
#include "sound/orbsound_state.h"

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
            EXPECT_TRUE(displacement >= -128 && displacement <= 127) << target;
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

class SoundBoardTest : public ::testing::Test {
protected:
    static inline std::vector<uint8_t> sound_rom = std::vector<uint8_t>(0x400000);
    static inline std::vector<uint8_t> program_rom = std::vector<uint8_t>(0x200000);

    void SetUp() override {
        sound_board_to_start_state();
        std::fill(sound_rom.begin(), sound_rom.end(), 0);  // all NOPs
        std::memset(&orb_board, 0, sizeof orb_board);
        orb_board.sound_rom = sound_rom.data();
        orb_board.log = [](const char* text) { board_log().emplace_back(text); };
        board_log().clear();
        // The host's order: attach, then initialise the board.
        orbs_attach();
        orb_init(program_rom.data());
    }

    void TearDown() override {
        orbs_log_writes(nullptr);
        if (m_log_file) std::fclose(m_log_file);
        std::free(m_log_text);
    }

    static std::vector<std::string>& board_log() {
        static std::vector<std::string> lines;
        return lines;
    }

    static void release() { orbsound::on_sound_reset(false); }
    static orbs::sound_cpu& z80() { return *orbsound::g_z80; }
    static orbsound::fm_chip& fm(int i) { return *orbsound::g_fm[i]; }
    static orbsound::pcm_chip& pcm() { return *orbsound::g_pcm; }

    // Starts logging chip writes into memory.
    void start_log() {
        m_log_file = open_memstream(&m_log_text, &m_log_size);
        orbs_log_writes(m_log_file);
    }
    std::string log_text() {
        std::fflush(m_log_file);
        return std::string(m_log_text, m_log_size);
    }

    // Frames of the mix at the last frame end.
    static uint64_t mix_frames() {
        uint64_t n = 0;
        orbs_frame_mix(&n);
        return n;
    }

private:
    std::FILE* m_log_file = nullptr;
    char* m_log_text = nullptr;
    size_t m_log_size = 0;
};
