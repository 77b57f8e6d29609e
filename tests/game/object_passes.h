// A fixture for object routines run as the game runs them: one pass of the
// object runner per frame over the real pools, frames counted from 1, and the
// fade bit the routines wait on set by hand.
#pragma once
#include <gtest/gtest.h>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

// Sets or clears system_flags bit 3 (a fade is running).
inline void set_fade(bool running) {
    const uint32_t f = orb_read32(var::system_flags), bit = 1u << system_flag::fade_running;
    orb_write32(var::system_flags, running ? f | bit : f & ~bit);
}

class ObjectPasses : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        frame_ = 0;
    }

    void pass() {
        ++frame_;
        ASSERT_TRUE(run(sub_088B00));
    }
    void passes(int n) {
        for (int i = 0; i < n; ++i) pass();
    }

    int frame_ = 0;
};
