#pragma once
// Where the synthetic service pages put their lines, and the backup defaults
// and coin presets they carry: shared by the ROM builder and the runs that
// read the pages back.
#include <array>
#include <cstdint>

#include "game/hardware.h"

namespace synthetic::service_layout {

// Low half of the text-layer address of a cell.
constexpr uint16_t cell(int row, int col) { return uint16_t(0xF000 + row * 128 + col * 2); }
// Full guest address of a cell.
constexpr uint32_t cell_address(int row, int col) { return hw::text_page | cell(row, col); }

constexpr int kCursorColumn = 2;  // cursor column of the settings pages
constexpr const char* kMenuLines[10] = {"AUTO RUN",    "SELF TEST",    "INPUTS",       "SOUNDS",
                                        "COLOURS",     "GAME OPTIONS", "COIN OPTIONS", "BOOKKEEPING",
                                        "CLEAR BOOKS", "EXIT"};
constexpr int kGameRows[7] = {5, 9, 13, 15, 17, 19, 23};
constexpr int kCreditRows[5] = {4, 6, 8, 22, 24};
constexpr int kCoinRows[5] = {6, 8, 10, 16, 24};

// Settings default, record bytes +0x10..+0x3B: two players sharing two
// chutes, one coin one credit, no bonus, demo sound on, one credit to start
// or continue, no free play, no join option, preset 0, difficulty 3, 400
// energy.
constexpr uint8_t kDefaultSettings[44] = {
    0x00, 0x00, 0x01, 0x01, 0x01, 0x00, 0xFF, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x03, 0x00, 0x90, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

// Coin presets (coins per credit, bonus period, chute-1 units, chute-2
// units); the last one is free play.
constexpr int kPresetCount = 26;
constexpr std::array<std::array<uint8_t, 4>, kPresetCount> make_presets() {
    std::array<std::array<uint8_t, 4>, kPresetCount> p{};
    for (int k = 0; k < kPresetCount - 1; ++k) {
        const uint8_t units = uint8_t(1 + k % 5);
        p[k] = {uint8_t(1 + k / 5), uint8_t(k % 7 == 6 ? 5 : 0), units, units};
    }
    p[kPresetCount - 1] = {0x80, 0, 0, 0};
    return p;
}
constexpr auto kPresets = make_presets();

}  // namespace synthetic::service_layout
