// A fixture for running translated game routines one at a time on a clean
// board: a program region the test fills, stand-ins for routines that are not
// written yet, and helpers for objects and work RAM.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "runtime/v60.h"

class GameRoutineTest : public ::testing::Test {
protected:
    // A return address where no routine starts; run() pushes it and expects
    // the routine to come back there.
    static constexpr uint32_t kSentinel = 0xFEED00;
    static constexpr uint32_t kMainStack = 0x20FF00;
    static constexpr uint32_t kInterruptStack = 0x210000;
    static constexpr uint32_t kWorkRamBase = 0x208000;

    void SetUp() override;
    void TearDown() override;

    // ---- the program region (2 MB, zero until planted) ----
    void plant8(uint32_t address, uint8_t value);
    void plant16(uint32_t address, uint16_t value);
    void plant32(uint32_t address, uint32_t value);

    // ---- running ----
    // Runs one routine as a guest call from the sentinel; true when it came
    // back there with SP where it was.
    bool run(v60_routine routine);
    // Runs an interrupt handler as interrupt entry does: PSW and the sentinel
    // pushed on the interrupt stack; true when it returned there with SP and
    // the stack selection restored.
    bool run_handler(v60_routine handler);
    // A guest call from inside a stand-in (say, an object routine that unlinks
    // itself); fails the test when the routine does not come back.
    static void call_routine(v60_routine routine);

    // ---- stand-ins for routines that are not written yet ----
    // The stand-in runs body (if any) and returns like a guest routine. Planting
    // one for a written routine fails the test: the real routine runs there.
    void fake(uint32_t address, std::function<void()> body = {});
    void fake_all(std::initializer_list<uint32_t> addresses);
    int calls(uint32_t address) const;
    // Addresses of the stand-ins in the order they ran.
    const std::vector<uint32_t>& call_log() const { return log_; }

    // ---- work RAM and objects ----
    static uint32_t r(int n) { return cpu.reg[n]; }
    static uint8_t ram8(uint32_t address);
    static uint16_t ram16(uint32_t address);
    static uint32_t ram32(uint32_t address);
    // Object pools initialised by the game's own routine.
    void init_objects();
    // A new object from a pool (sub_088C57, sub_088C67 or sub_088C77) with its
    // routine set, linked at the tail of the ring; returns its address.
    static uint32_t spawn(uint32_t routine, v60_routine allocator);
    // The ring from the head stored in memory, following next links.
    static std::vector<uint32_t> ring();

    std::vector<uint8_t> rom_;

private:
    static bool stand_in(uint32_t address);
    static GameRoutineTest* current_;
    std::map<uint32_t, std::function<void()>> fakes_;
    std::map<uint32_t, int> calls_;
    std::vector<uint32_t> log_;
};
