// A fixture for the flow's display objects: real object pools and runner,
// stand-ins for the animation, placement, listing and sound routines of the
// engine that record what they were asked, and frame-by-frame running.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace engine_routine {
enum : uint32_t {
    kStartByMode = 0x061F06,
    kStartPointer = 0x061F30,
    kStartCopy = 0x061F67,
    kTick = 0x061FB6,
    kShowFrame = 0x06200F,
    kPlace = 0x062044,
    kListByHeight = 0x062094,
    kListByGround = 0x0620CD,
    kList = 0x0620DC,
    kSoundA = 0x088F98,
    kSoundB = 0x088FD7,
};
}  // namespace engine_routine

class FlowObjectTest : public GameRoutineTest {
protected:
    struct sound {
        char ring;
        uint8_t code;
        int frame;
        bool operator==(const sound&) const = default;
    };
    struct listing {
        uint32_t object;
        int16_t key;
        int frame;
    };

    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        using namespace engine_routine;
        fake(kSoundA, [this] { sounds.push_back({'A', static_cast<uint8_t>(cpu.reg[0]), frame_no}); });
        fake(kSoundB, [this] { sounds.push_back({'B', static_cast<uint8_t>(cpu.reg[0]), frame_no}); });
        for (uint32_t start : {kStartByMode, kStartPointer, kStartCopy})
            fake(start, [this] { scripts.push_back(cpu.reg[19]); });
        fake(kTick, [this] { ++ticks; });
        fake(kShowFrame,
             [this] { shown_frames.push_back(orb_read8(cpu.reg[20] + object_record::frame_index)); });
        fake(kPlace);
        // Listing: the key asked for, and the listed bit as the engine leaves it.
        auto list = [this](int16_t key) {
            const uint32_t o = cpu.reg[20];
            listings.push_back({o, key, frame_no});
            const uint32_t flags = orb_read32(o);
            orb_write32(
                o, list_on_screen ? flags | 1u << object_flag::listed : flags & ~(1u << object_flag::listed));
        };
        fake(kListByHeight,
             [this, list] { list(static_cast<int16_t>(orb_read16(cpu.reg[20] + object_record::height))); });
        fake(kListByGround, [list] { list(0x7FFF); });
        fake(kList, [list] { list(static_cast<int16_t>(cpu.reg[0])); });
    }

    // One frame of the object runner.
    void frame() {
        ++frame_no;
        ASSERT_TRUE(run(sub_088B00));
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }
    // Listings of an object in a frame.
    int listed_in(uint32_t object, int frame) const {
        int n = 0;
        for (const listing& l : listings) n += l.object == object && l.frame == frame;
        return n;
    }

    static uint8_t state(uint32_t object) { return orb_read8(object + object_record::state); }

    std::vector<sound> sounds;
    std::vector<uint32_t> scripts;
    std::vector<uint8_t> shown_frames;
    std::vector<listing> listings;
    int ticks = 0;
    int frame_no = 0;
    bool list_on_screen = true;
};
