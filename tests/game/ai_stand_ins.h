// A fixture for enemies built on the generic enemy AI: the real pools and
// object runner, with stand-ins for the AI's guards, hit reaction, set-up,
// decision and actions (their contracts as the enemies' callers give them),
// a counting model of the animation routines, and the box tests recorded.
#pragma once
#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/actor_fixture.h"

class AiTest : public ActorTest {
protected:
    struct BoxTest {
        uint32_t object, box, strength;
        bool applies;  // a hit test, not a probe
    };

    void SetUp() override {
        ActorTest::SetUp();
        boxes.clear();
        touch = false;
        fake(sub_07AA8D /* guard area */);
        fake(sub_07AA53 /* guard window */);
        fake(sub_07A980 /* hit reaction */, [this] { reaction_r10 = r(10), reaction_r11 = r(11); });
        // Set-up: the platform list from +16, next state, counted.
        fake(sub_07A49A /* set up */, [] {
            const uint32_t e = cpu.reg[20];
            orb_write32(e + 72, orb_read32(e + 16));
            orb_write8(e + object_record::state,
                       static_cast<uint8_t>(orb_read8(e + object_record::state) + 1));
            orb_write8(var::live_enemy_count, static_cast<uint8_t>(orb_read8(var::live_enemy_count) + 1));
        });
        // Place: listed (flags bit 5), as the real list step sets it.
        fake(sub_07A523 /* place */,
             [] { orb_write16(cpu.reg[20], orb_read16(cpu.reg[20]) | 1u << object_flag::listed); });
        fake(sub_07A9D7 /* walk length */, [this] { orb_write8(cpu.reg[20] + 54, walk_length); });
        fake(sub_07A81E /* decision */, [] { orb_write8(cpu.reg[20] + object_record::state, 2); });
        fake(sub_07A50F /* wait */);
        fake(sub_07B615 /* short effect */);
        // Animations: the script into +20, frame 0, running; every anim_hold
        // ticks one frame on, stopping at the last of anim_frames.
        fake(sub_061F06 /* start */, [this] {
            orb_write32(cpu.reg[20] + object_record::frame, cpu.reg[19]);
            orb_write8(cpu.reg[20] + object_record::frame_index, 0);
            orb_write8(cpu.reg[20] + object_record::frame_duration, 1);
            orb_write8(cpu.reg[20] + object_record::frame_timer, anim_hold);
        });
        fake(sub_061FB6 /* tick */, [this] {
            const uint32_t e = cpu.reg[20];
            if (orb_read8(e + object_record::frame_duration) == 0) return;
            const uint8_t timer = orb_read8(e + object_record::frame_timer);
            if (timer > 1) {
                orb_write8(e + object_record::frame_timer, static_cast<uint8_t>(timer - 1));
                return;
            }
            orb_write8(e + object_record::frame_timer, anim_hold);
            const uint8_t index = static_cast<uint8_t>(orb_read8(e + object_record::frame_index) + 1);
            orb_write8(e + object_record::frame_index, index);
            if (index + 1 >= anim_frames) orb_write8(e + object_record::frame_duration, 0);
        });
        auto record = [this](bool flag_touch) {
            boxes.push_back({r(20), r(10), r(16), !flag_touch});
            if (flag_touch && touch) orb_write16(r(20), orb_read16(r(20)) | 1u << object_flag::touched);
        };
        fake(sub_088347 /* probe */, [record] { record(true); });
        fake(sub_08834C /* hit test */, [record] { record(false); });
        fake(sub_088431 /* hit test words */, [record] { record(false); });
    }

    // Leaves exactly n objects in the 128-byte pool.
    static void free_128(uint16_t n) { orb_write16(var::free_stack_128, n); }
    static void rank(uint8_t tier) { orb_write8(var::difficulty_rank, static_cast<uint8_t>(tier << 4)); }
    static uint8_t state_of(uint32_t o) { return ram8(o + object_record::state); }
    static int16_t x_of(uint32_t o) { return s16(o + object_record::world_x); }
    static int16_t y_of(uint32_t o) { return s16(o + object_record::world_y); }
    static void put(uint32_t o, int x, int y) {
        orb_write16(o + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(o + object_record::world_y, static_cast<uint16_t>(y));
    }
    // The objects on the ring running a routine, in ring order.
    static std::vector<uint32_t> running(uint32_t routine) {
        std::vector<uint32_t> found;
        for (uint32_t o : ring())
            if (ram32(o + object_record::routine) == routine) found.push_back(o);
        return found;
    }
    std::vector<BoxTest> tests_of(uint32_t box, int applies = -1) const {
        std::vector<BoxTest> found;
        for (const BoxTest& b : boxes)
            if (b.box == box && (applies < 0 || b.applies == (applies != 0))) found.push_back(b);
        return found;
    }

    std::vector<BoxTest> boxes;
    bool touch = false;
    uint8_t walk_length = 50;
    int anim_frames = 4;
    uint8_t anim_hold = 1;
    uint32_t reaction_r10 = 0, reaction_r11 = 0;
};
