// Fixture for the sound board: the real board record with its Z80 link, a
// sound ROM the test fills with a hand-assembled program, and the sound board
// rebuilt from its start state before every test.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/machine.h"
#include "sound/orbsound.h"
#include "sound/orbsound_state.h"
#include "tests/sound/sound_program.h"

class SoundBoardTest : public ::testing::Test {
protected:
    static inline std::vector<uint8_t> sound_rom = std::vector<uint8_t>(0x400000);
    static inline std::vector<uint8_t> program_rom = std::vector<uint8_t>(0x200000);

    void SetUp() override {
        sound_board_to_start_state();
        std::fill(sound_rom.begin(), sound_rom.end(), 0);  // all NOPs
        std::memset(&orb_board, 0, sizeof orb_board);
        orb_board.sound_rom = sound_rom.data();
        orb_board.callbacks.log = [](const char* text) { board_log().emplace_back(text); };
        board_log().clear();
        // The host's order: attach, then initialise the board.
        orbs_attach();
        orb_init(program_rom.data());
    }

    void TearDown() override {
        orbs_log_writes(nullptr);
        if (m_log_file) std::fclose(m_log_file);
        std::free(m_log_text);
        m_log_file = nullptr;
        m_log_text = nullptr;
        m_log_size = 0;
    }

    static std::vector<std::string>& board_log() {
        static std::vector<std::string> lines;
        return lines;
    }

    static void release() { orbsound::on_sound_reset(false); }
    static orbs::sound_cpu& z80() { return *orbsound::g_z80; }
    static orbsound::fm_chip& fm(int i) { return *orbsound::g_fm[i]; }
    static orbsound::pcm_chip& pcm() { return *orbsound::g_pcm; }
    // Loads FM timer A with (high << 2) and starts it with its flag enabled.
    static void arm_timer_a(int chip, uint8_t high) {
        orbsound::fm_write(chip, 0, 0x24);
        orbsound::fm_write(chip, 1, high);
        orbsound::fm_write(chip, 0, 0x27);
        orbsound::fm_write(chip, 1, 0x05);
    }

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
