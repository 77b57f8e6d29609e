// Base fixture for tests that run guest code or drive the board: resets the
// board (clearing its callbacks) over a program region the test owns, resets
// the processor state and sets R25 and SP as the game has them.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "board/machine.h"
#include "runtime/v60.h"

class BoardFixture : public ::testing::Test {
protected:
    static constexpr uint32_t kSentinel = 0x00FEED;  // return address no routine uses
    std::vector<uint8_t> program = std::vector<uint8_t>(0x200000, 0);

    void SetUp() override {
        std::memset(&orb_board, 0, sizeof orb_board);
        orb_init(program.data());
        program_reset();
        program_frame_done = nullptr;
        cpu.reg[25] = 0x208000;
        cpu.reg[V60_SP] = 0x20FF00;
    }

    // Plants bytes in the program region at a guest address.
    void plant(uint32_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) program[address++ & 0x1FFFFF] = b;
    }
    void plant32(uint32_t address, uint32_t value) {
        for (int i = 0; i < 4; ++i) program[(address + i) & 0x1FFFFF] = uint8_t(value >> (8 * i));
    }

    // Runs a routine as a guest call from a sentinel return address and
    // checks that it came back there with the stack balanced.
    void run(v60_routine routine) {
        const uint32_t sp = cpu.reg[V60_SP];
        cpu.reg[V60_SP] -= 4;
        orb_write32(cpu.reg[V60_SP], kSentinel);
        routine();
        EXPECT_EQ(cpu.pc, kSentinel) << "the routine did not return to its caller";
        EXPECT_EQ(cpu.reg[V60_SP], sp) << "the routine left the stack unbalanced";
    }
};
