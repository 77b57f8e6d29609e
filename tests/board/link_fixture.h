// Fixture for the I/O chip, EEPROM and sound-link tests: a freshly initialised
// board whose callbacks record every call, in order, as text.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "board/machine.h"

class BoardLinkTest : public ::testing::Test {
protected:
    static constexpr uint32_t kIo = 0xC00000;

    static std::vector<std::string>& events() {
        static std::vector<std::string> list;
        return list;
    }

    template <typename... Args>
    static void note(const char* format, Args... args) {
        char text[64];
        std::snprintf(text, sizeof text, format, args...);
        events().emplace_back(text);
    }

    void SetUp() override {
        std::memset(&orb_board, 0, sizeof orb_board);
        orb_board.callbacks.irq_changed = [](int level) { note("irq_changed %d", level); };
        orb_board.callbacks.sound_reset = [](bool held) { note("sound_reset %d", held ? 1 : 0); };
        orb_board.callbacks.sound_irq = [](bool on, uint8_t vector) {
            note("sound_irq %d %d", on ? 1 : 0, vector);
        };
        orb_board.callbacks.fm_read = [](int chip, int reg) -> uint8_t {
            note("fm_read %d %d", chip, reg);
            return static_cast<uint8_t>(0x40 + chip * 4 + reg);
        };
        orb_board.callbacks.fm_write = [](int chip, int reg, uint8_t v) {
            note("fm_write %d %d %02X", chip, reg, v);
        };
        orb_board.callbacks.pcm_write = [](int reg, uint8_t v) { note("pcm_write %d %02X", reg, v); };
        orb_board.callbacks.pcm_memory_read = [](int offset) -> uint8_t {
            note("pcm_memory_read %03X", offset);
            return static_cast<uint8_t>(offset ^ 0x5A);
        };
        orb_board.callbacks.pcm_memory_write = [](int offset, uint8_t v) {
            note("pcm_memory_write %03X %02X", offset, v);
        };
        orb_board.sound_rom = sound_rom_region;
        orb_init(program_rom);
        events().clear();
    }

    // Byte access to an I/O chip register the way the guest makes it.
    static uint8_t io_read(uint32_t offset) { return orb_read8(kIo + offset); }
    static void io_write(uint32_t offset, uint8_t value) { orb_write8(kIo + offset, value); }

    static std::vector<std::string> take_events() {
        std::vector<std::string> list;
        list.swap(events());
        return list;
    }

    static inline uint8_t program_rom[0x200000];
    const uint8_t* sound_rom_region = nullptr;  // installed before orb_init, as the host does
};
