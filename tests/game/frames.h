// Fixture frame definitions and objects for the animation and sprite-list
// tests: frames whose part words all differ, so that a wrong word, sign or
// order shows in a comparison.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

class FrameTest : public GameRoutineTest {
protected:
    using part = std::array<uint16_t, 8>;

    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
    }

    // Parts whose words differ from every other word of the test: word k of
    // part p of tag t is t << 8 | p << 4 | k (offsets w4, w5 given apart).
    static std::vector<part> parts(uint8_t tag, int count) {
        std::vector<part> list;
        for (int p = 0; p < count; ++p) {
            part w{};
            for (uint16_t k = 0; k < 8; ++k) w[k] = static_cast<uint16_t>(tag << 8 | p << 4 | k);
            list.push_back(w);
        }
        return list;
    }

    // A frame definition in ROM: the count, the parts, then a hit-box byte.
    void plant_frame(uint32_t at, const std::vector<part>& list) {
        plant8(at, static_cast<uint8_t>(list.size()));
        for (std::size_t p = 0; p < list.size(); ++p)
            for (uint32_t k = 0; k < 8; ++k)
                plant16(at + 1 + 16 * static_cast<uint32_t>(p) + 2 * k, list[p][k]);
        plant8(at + 1 + 16 * static_cast<uint32_t>(list.size()), 0xB0);
    }

    // A 128-byte object, not on the ring, its fields from the (zero) template.
    uint32_t new_object() {
        EXPECT_TRUE(run(sub_088C67));
        return r(21);
    }
};
