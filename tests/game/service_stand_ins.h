// Stand-ins for the service mode's own text and screen routines, with the
// contracts the test pages rely on, and helpers to read the text layer back.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/tables.h"
#include "game/operator/vars.h"
#include "tests/support/game_harness.h"

namespace service_test {

enum : uint32_t {};

constexpr uint32_t kTextLayer = hw::text_layer;
constexpr uint32_t cell(uint32_t row, uint32_t column) { return kTextLayer + (row * 64 + column) * 2; }

inline void write_number(uint32_t value) {
    do {
        cpu.reg[10] -= 2;
        orb_write16(cpu.reg[10], static_cast<uint16_t>(0x0430 + value % 10));
        value /= 10;
    } while (value);
    cpu.reg[0] = 0;
}

// A text list: u16 cell (or offset from `base`), bytes up to 0; bytes with bit
// 7 set give the attribute their complement.
inline void write_list(bool relative, uint32_t base) {
    uint32_t attribute = (cpu.reg[0] >> 8) & 0xFF;
    for (;;) {
        const uint16_t at = orb_read16(cpu.reg[10]);
        cpu.reg[10] += 2;
        if (!at) break;
        uint32_t c = hw::text_page | ((relative ? base + at : at) & 0xFFFF);
        for (uint8_t b; (b = orb_read8(cpu.reg[10]++)) != 0;) {
            if (b & 0x80) {
                attribute = static_cast<uint8_t>(~b);
                continue;
            }
            orb_write16(c, static_cast<uint16_t>(attribute << 8 | b));
            c += 2;
        }
    }
    cpu.reg[0] = (cpu.reg[0] & ~0xFF00u) | attribute << 8;
}

inline void recolour(uint32_t at, uint8_t colour) {
    for (;; at += 2) {
        const uint16_t v = orb_read16(at) & 0x01FF;
        orb_write16(at, v);
        if (!v) break;
        orb_write16(at, static_cast<uint16_t>(v | colour << 8));
    }
}

// The page fixture: the text routines of the service frame answered by
// stand-ins that do what their callers expect.
class ServicePageTest : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        fake(sub_060942 /* clear text */, [] {
            for (uint32_t a = kTextLayer; a < 0x31FF00; a += 2) orb_write16(a, 0);
        });
        fake(sub_08C494 /* print list */, [] { write_list(false, 0); });
        fake(sub_08C4B7 /* print relative */, [] { write_list(true, cpu.reg[12]); });
        fake(sub_08C4EE /* number */, [] { write_number(cpu.reg[0]); });
        fake(sub_08C4DE /* plural number */, [] {
            const uint32_t mark = cpu.reg[0] > 1 ? 0x53 : 0x00;
            orb_write16(cpu.reg[10] + 2 * cpu.reg[2], static_cast<uint16_t>((cpu.reg[1] & 0xFF) << 8 | mark));
            write_number(cpu.reg[0]);
        });
        fake(sub_08C50C /* recolour */, [] { recolour(cpu.reg[10], static_cast<uint8_t>(cpu.reg[0])); });
        fake(sub_08C451 /* mark line */, [] {
            orb_write32(var::service_blink_cell, cpu.reg[10]);
            orb_write8(var::service_blink_timer, 0);
            recolour(cpu.reg[10] + 4, 0x0A);
        });
        fake(sub_08C403 /* choose message */, [] {
            orb_write32(var::service_blink_cell,
                        orb_read32((orb_read8(var::service_flags) & 1) ? 0x08DC23 : rom::message_texts));
            orb_write8(var::service_blink_timer, 0);
        });
        fake_all({sub_08C41D /* blink message */, sub_08B520 /* input test tail */});
    }

    // Plants a text list of one entry at `at`: the characters of `text` from
    // `cell_low`, in attribute `attribute`.
    uint32_t plant_list(uint32_t at, uint16_t cell_low, const std::string& text, uint8_t attribute = 0) {
        plant16(at, cell_low);
        uint32_t p = at + 2;
        plant8(p++, static_cast<uint8_t>(~attribute));
        for (char ch : text) plant8(p++, static_cast<uint8_t>(ch));
        plant8(p++, 0);
        plant16(p, 0);
        return p + 2;
    }

    // The characters of a run of cells (an empty cell reads as a space).
    static std::string row_text(uint32_t row, uint32_t from, uint32_t to) {
        std::string s;
        for (uint32_t c = from; c <= to; ++c) {
            const uint16_t v = orb_read16(cell(row, c)) & 0x1FF;
            s += v ? static_cast<char>(v) : ' ';
        }
        return s;
    }

    static void text_cells(std::vector<uint16_t>& out) {
        out.clear();
        for (uint32_t a = kTextLayer; a < 0x31FF00; a += 2) out.push_back(orb_read16(a));
    }

    // Compares the text layer with an expected image of it; the first
    // differing cell is named by its address.
    static ::testing::AssertionResult text_layer_is(const std::vector<uint16_t>& expected) {
        std::vector<uint16_t> actual;
        text_cells(actual);
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (actual[i] != expected[i])
                return ::testing::AssertionFailure()
                       << std::hex << "first difference at " << kTextLayer + 2 * i << ": " << actual[i]
                       << " instead of " << expected[i];
        return ::testing::AssertionSuccess();
    }

    static void press(uint8_t presses, uint8_t releases = 0) {
        orb_write8(var::system_presses, presses);
        orb_write8(var::system_releases, releases);
    }
    static uint32_t screen() { return orb_read32(var::service_screen); }
};

}  // namespace service_test
