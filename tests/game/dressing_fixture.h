// A fixture for the stage dressing (passers-by, playfield objects, props):
// the actors' fixture with the routines of other areas they call stood in
// (companions, the short effect, the area-change guard, the child effects,
// whose spawn marks an enemy caller with flags bit 11 as the real one does),
// and animation scripts of several frames.
#pragma once
#include <cstdint>
#include <vector>

#include "game/flow/vars.h"
#include "runtime/guest.h"
#include "tests/game/actor_fixture.h"

class DressingTest : public ActorTest {
protected:
    void SetUp() override {
        ActorTest::SetUp();
        fake_all({sub_077B88 /* companion */, sub_08251B /* player effect */, sub_07B615 /* short effect */});
        fake(sub_0824F0 /* effect */, [this] {
            effects_.push_back(static_cast<uint8_t>(r(0)));
            const uint32_t caller = r(20);
            const uint16_t flags = ram16(caller);
            if (flags & 0x8000)
                orb_write16(caller, static_cast<uint16_t>(flags | 1u << object_flag::effect_lives));
        });
        // The guard: at an area change the object unlinks itself, is freed and
        // returns past its caller.
        fake(sub_07F113 /* guard */, body_fn([] {
                 if (!(orb_read32(var::game_flags) >> game_flag::area_change & 1)) return ended::by_return;
                 call_routine(sub_088CD3);
                 call_routine(sub_088D0C);
                 guest::pop();
                 guest::ret();
                 return ended::already;
             }));
    }

    // A script of `frames` frames that stops after the last, or loops when
    // `loop`; all show one one-part frame near the end of the script's 4 KB
    // block (in reach of the script's 16-bit offsets).
    void plant_script(uint32_t script, int frames, bool loop = false, uint8_t duration = 1) {
        const uint32_t frame = (script | 0xFFF) - 0xFF;
        plant8(script, duration);
        for (int i = 0; i < frames; ++i) {
            const uint32_t at = script + 1 + 2 * i;
            plant16(at, static_cast<uint16_t>(frame - at));
        }
        plant16(script + 1 + 2 * frames, loop ? 0xFFFE : 0xFFFF);
        plant8(frame, 1);
        for (uint32_t k = 0; k < 8; ++k) plant16(frame + 1 + 2 * k, static_cast<uint16_t>(0x100 + k));
    }

    // True when the object is linked in some display bucket this frame.
    static bool shown(uint32_t object) {
        for (int key = -128; key < 384; ++key)
            for (uint16_t o = bucket(key); o != 0; o = ram16((kHigh | o) + object_record::display_link))
                if ((kHigh | o) == object) return true;
        return false;
    }
    static int16_t field16(uint32_t object, uint32_t offset) { return s16(object + offset); }
    static uint8_t live_enemies() { return ram8(var::live_enemy_count); }
    static uint16_t free_64() { return ram16(var::free_stack_64); }
    static uint16_t free_128() { return ram16(var::free_stack_128); }
    static void set_game_flag(unsigned bit, bool on) {
        const uint32_t f = orb_read32(var::game_flags);
        orb_write32(var::game_flags, on ? f | 1u << bit : f & ~(1u << bit));
    }
    static void clear_effect_bit(uint32_t object) {
        orb_write16(object, static_cast<uint16_t>(ram16(object) & ~(1u << object_flag::effect_lives)));
    }

    std::vector<uint8_t> effects_;
};
