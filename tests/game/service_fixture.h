// A fixture for the service-mode pages: stand-ins for the routines of other
// areas they call (text layer clear, layer and sprite resets, palette block,
// sound rings, backup save, saved-credits clear), planted text lists and
// menu tables, and frame-by-frame switch presses.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace service_test {

constexpr uint32_t kBackup = var::backup_image;
constexpr uint32_t kSpare = var::backup_image + backup_record::spare;
constexpr uint8_t kPressService = 1, kPressTest = 2;

// A text cell by row and column.
constexpr uint32_t cell(uint32_t row, uint32_t column) { return hw::text_layer + row * 128 + column * 2; }

class ServiceTest : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        fake(sub_060942 /* text clear */, [] {
            for (uint32_t a = hw::text_layer; a < 0x31FF00; a += 2) orb_write16(a, 0);
        });
        fake_all({sub_0608A8 /* layers */, sub_0609AA /* sprite list reset */});
        fake(sub_0896F1 /* palette block */, [] { cpu.reg[27] = 0x600040; });  // a block of 32 colours from 0
        fake(sub_088F98 /* sound a */, [this] { ring_a.push_back(cpu.reg[0] & 0xFF); });
        fake(sub_088FD7 /* sound b */, [this] { ring_b.push_back(cpu.reg[0] & 0xFF); });
        // Saving counts the save in the image first.
        fake(sub_08946D /* save backup */, [] {
            const uint32_t count = kBackup + backup_record::save_count;
            orb_write32(count, orb_read32(count) + 1);
        });
        fake(sub_061055 /* clear saved credits */, [] {
            for (uint32_t a = var::saved_credits; a < 0x701F7C; ++a) orb_write8(a, 0);
            for (uint32_t a = 0x701FF0; a < 0x701FF8; ++a) orb_write8(a, 0);
        });
        next_text_ = 0x0E0000;
    }

    // A text list of one entry per (cell, bytes) pair; returns its address.
    // Bytes 0x80 and up are colour bytes.
    using text_entries = std::initializer_list<std::pair<uint16_t, std::string>>;
    uint32_t plant_text(text_entries entries) {
        const uint32_t at = next_text_;
        next_text_ = plant_text_here(at, entries);
        return at;
    }
    // The same at a given address; returns the address after the list.
    uint32_t plant_text_here(uint32_t at, text_entries entries) {
        uint32_t a = at;
        for (const auto& [low, bytes] : entries) {
            plant16(a, low);
            a += 2;
            for (char c : bytes) plant8(a++, static_cast<uint8_t>(c));
            plant8(a++, 0);
        }
        plant16(a, 0);
        return a + 2;
    }
    // A list somewhere, and its address at `pointer`.
    void plant_text_at(uint32_t pointer, text_entries entries) { plant32(pointer, plant_text(entries)); }

    // One frame of the service loop: the edges the vblank sampled, then the
    // dispatch.
    void frame(uint8_t presses = 0) {
        orb_write8(var::system_presses, presses);
        ASSERT_TRUE(run(sub_08B046));
    }
    void screen(uint32_t routine) { orb_write32(var::service_screen, routine); }
    static uint32_t screen() { return orb_read32(var::service_screen); }

    // Cells from a text cell on.
    static std::vector<uint16_t> cells(uint32_t from, int count) {
        std::vector<uint16_t> out;
        for (int i = 0; i < count; ++i) out.push_back(orb_read16(from + 2 * i));
        return out;
    }
    // The characters of the run of non-empty cells from a cell.
    static std::string text_at(uint32_t from) {
        std::string out;
        for (uint16_t c; (c = orb_read16(from)) & 0x1FF; from += 2) out += static_cast<char>(c & 0xFF);
        return out;
    }
    static uint8_t colour(uint32_t at) { return orb_read16(at) >> 8; }
    static uint8_t setting(uint32_t field) { return orb_read8(kBackup + field); }
    static void set_setting(uint32_t field, uint8_t v) { orb_write8(kBackup + field, v); }

    std::vector<uint8_t> ring_a, ring_b;

private:
    uint32_t next_text_ = 0;
};

}  // namespace service_test
