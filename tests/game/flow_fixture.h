// A fixture for the flow's display objects: real object pools and runner,
// stand-ins for the animation, placement, listing and sound routines of the
// engine that record what they were asked, and frame-by-frame running.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

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
        // What the game's start-up leaves, planted: no game or frame bits, no
        // player in play, an empty palette queue, nothing listed.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        orb_write32(var::palette_queue, 0);
        orb_write16(var::display_count, 0);
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        fake(sub_088F98 /* sound a */, [this] {
            sounds.push_back({'A', static_cast<uint8_t>(cpu.reg[0]), frame_no});
        });
        fake(sub_088FD7 /* sound b */, [this] {
            sounds.push_back({'B', static_cast<uint8_t>(cpu.reg[0]), frame_no});
        });
        for (uint32_t start : {entry::sub_061F06 /* start by mode */, entry::sub_061F30 /* start pointer */,
                               entry::sub_061F67 /* start copy */})
            fake(start, [this] { scripts.push_back(cpu.reg[19]); });
        fake(sub_061FB6 /* tick */, [this] { ++ticks; });
        fake(sub_06200F /* show frame */,
             [this] { shown_frames.push_back(orb_read8(cpu.reg[20] + object_record::frame_index)); });
        fake(sub_062044 /* place */);
        // Listing: the key asked for, and the listed bit as the engine leaves it.
        auto list = [this](int16_t key) {
            const uint32_t o = cpu.reg[20];
            listings.push_back({o, key, frame_no});
            const uint32_t flags = orb_read32(o);
            orb_write32(
                o, list_on_screen ? flags | 1u << object_flag::listed : flags & ~(1u << object_flag::listed));
        };
        fake(sub_062094 /* list by height */,
             [this, list] { list(static_cast<int16_t>(orb_read16(cpu.reg[20] + object_record::height))); });
        fake(sub_0620CD /* list by ground */, [list] { list(0x7FFF); });
        fake(sub_0620DC /* list */, [list] { list(static_cast<int16_t>(cpu.reg[0])); });
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
