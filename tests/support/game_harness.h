// A fixture for running translated game routines one at a time on a clean
// board: a program region the test fills, stand-ins that take the place of any
// routine (written or not) for one test, and helpers for objects and work RAM.
// Work RAM and the registers start from a fixed non-zero pattern, not zeros:
// a test plants every byte and register the routine reads, a 0 included.
//
// Game tests link the build of the game in which every routine's entry
// (ROUTINE_ENTRY) asks this fixture first, and whose table has the test
// entries below: addresses no game routine has, for fixture object routines
// and computed-call targets, answered only by stand-ins.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <type_traits>
#include <vector>

#include "game/routines.h"
#include "runtime/v60.h"

class GameRoutineTest : public ::testing::Test {
public:
    // A return address where no routine starts; run() pushes it and expects
    // the routine to come back there.
    static constexpr uint32_t kSentinel = 0xFEED00;
    static constexpr uint32_t kMainStack = 0x20FF00;
    static constexpr uint32_t kInterruptStack = 0x210000;
    static constexpr uint32_t kWorkRamBase = 0x208000;
    // Pushed before the sentinel: a routine that unwinds past its own frame
    // returns here instead, and run() fails.
    static constexpr uint32_t kCanary = 0xFEED04;
    // What work RAM and the registers hold before a test plants them.
    static constexpr uint8_t kPattern[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    static constexpr uint32_t pattern_register(int n) { return 0xDEADBEC0 + static_cast<uint32_t>(n); }
    // The tests' own entry points (test_entry_0 to test_entry_7).
    static constexpr uint32_t kTestEntry[8] = {entry::test_entry_0, entry::test_entry_1, entry::test_entry_2,
                                               entry::test_entry_3, entry::test_entry_4, entry::test_entry_5,
                                               entry::test_entry_6, entry::test_entry_7};

protected:
    void SetUp() override;
    void TearDown() override;

    // ---- the program region (2 MB, zero until planted) ----
    void plant8(uint32_t address, uint8_t value);
    void plant16(uint32_t address, uint16_t value);
    void plant32(uint32_t address, uint32_t value);

    // ---- running ----
    // Runs one routine as a guest call from the sentinel; true when it came
    // back there with SP where it was. A routine that returns past the
    // sentinel (it popped more than its own frame) fails the test.
    bool run(v60_routine routine);
    // Runs an interrupt handler as interrupt entry does: PSW and the sentinel
    // pushed on the interrupt stack; true when it returned there with SP and
    // the stack selection restored.
    bool run_handler(v60_routine handler);
    // A guest call from inside a stand-in (say, an object routine that unlinks
    // itself); fails the test when the routine does not come back.
    static void call_routine(v60_routine routine);
    // A guest call from inside a stand-in that may come back elsewhere: true
    // when it came back. On false the stand-in's body ends with
    // `return ended::already`, as a guest routine returns at once.
    static bool try_call(v60_routine routine);

    // ---- stand-ins: any routine, written or not, for the length of a test ----
    // How a stand-in's body ended. By default the stand-in then returns like a
    // guest routine, popping its return address. A body that has left the
    // routine itself (it dropped its own return address and returned past it,
    // or a call it made came back elsewhere) returns ended::already, and the
    // stand-in returns at once without popping.
    enum class ended { by_return, already };
    using body_fn = std::function<ended()>;
    // The stand-in at address runs body (if any) in the routine's place.
    void fake(uint32_t address, body_fn body);
    template <typename F>
    requires std::is_void_v<std::invoke_result_t<F>>
    void fake(uint32_t address, F body) {
        fake(address, body_fn([body] {
                 body();
                 return ended::by_return;
             }));
    }
    void fake(uint32_t address) { fake(address, body_fn{}); }
    void fake_all(std::initializer_list<uint32_t> addresses);
    int calls(uint32_t address) const;
    // The same by the routine itself (fake(sub_07B615, ...)): its entry
    // address comes from the table of translated routines.
    static uint32_t entry_of(v60_routine routine);
    void fake(v60_routine routine, body_fn body) { fake(entry_of(routine), std::move(body)); }
    template <typename F>
    requires std::is_void_v<std::invoke_result_t<F>>
    void fake(v60_routine routine, F body) { fake(entry_of(routine), std::move(body)); }
    void fake(v60_routine routine) { fake(entry_of(routine), body_fn{}); }
    void fake_all(std::initializer_list<v60_routine> routines);
    int calls(v60_routine routine) const { return calls(entry_of(routine)); }
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
    std::map<uint32_t, body_fn> fakes_;
    std::map<uint32_t, int> calls_;
    std::vector<uint32_t> log_;
};
