// A fixture for the platform enemies: a platform list of three segments, one
// AI type's ROM tables, the playfield camera at the origin, demo-mode random
// numbers from random_state, and stand-ins for the animation, the box tests,
// the box registration and the sound queue that record what they were asked.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/v60.h"
#include "tests/game/object_passes.h"

namespace pe = platform_enemy;

namespace platform_test {

constexpr uint32_t kRandomState = var::random_state;

// The platform list: segments at 4 (x 100..600, floor 400), 10 (500..1200,
// floor 300) and 16 (1100..1800, floor 200); the enemy starts on 10; the
// window runs from the first segment's left word to the last one's right.
constexpr uint32_t kList = 0x120000;
struct segment {
    int16_t left, right, floor;
};
constexpr segment kSegments[3] = {{100, 600, 400}, {500, 1200, 300}, {1100, 1800, 200}};

// One AI type's tables point here.
constexpr uint32_t kConditions = 0x121000;
constexpr uint32_t kNextStates = 0x121100;
constexpr uint32_t kIdle = GameRoutineTest::kTestEntry[0];
constexpr uint32_t kAnimStart = 0x122000, kAnimWalk = 0x122100, kAnimDefeat = 0x122200, kAnimJump = 0x122300,
                   kAnimFall = 0x122400, kAnimStun = 0x122500, kAnimKnockback = 0x122600;
constexpr int16_t kMargins[4] = {-2000, 2000, -1000, 1000};
constexpr uint16_t kEnergy = 77, kScore = 150, kSpeed = 4;
constexpr uint8_t kLanding = 2, kHitSound = 0x9C, kCategory = 5;

class PlatformEnemies : public ObjectPasses {
protected:
    void SetUp() override {
        ObjectPasses::SetUp();
        orb_write32(var::camera_pointer, var::playfield_camera);
        orb_write32(var::game_flags, 1u << game_flag::demo_play);
        // An area in play at the lowest rank tier: no area won, no enemy
        // counted or sent to vanish, no player in play, the playfield camera
        // at the origin, empty display chains and sound rings.
        orb_write32(var::system_flags, 0);
        orb_write32(kRandomState, 0);  // the demo's generator from a zero seed
        orb_write8(var::difficulty_rank, 0);
        orb_write8(var::live_enemy_count, 0);
        orb_write8(var::vanish_stagger, 0);
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 64; ++i) orb_write8(var::playfield_camera + i, 0);
        for (uint32_t k = 0; k < 512; ++k) orb_write16(var::display_buckets + 2 * k, 0);
        orb_write16(var::display_count, 0);
        for (uint32_t i = 0; i < 34; ++i) orb_write8(var::sound_ring_a + i, 0);
        for (uint32_t i = 0; i < 34; ++i) orb_write8(var::sound_ring_b + i, 0);
        plant8(kList + 0, 16);
        plant8(kList + 1, 10);
        plant8(kList + 2, 0);  // word 0: the first segment's left X
        plant8(kList + 3, 7);  // word 7: the last segment's right X
        for (uint32_t k = 0; k < 3; ++k) {
            plant16(kList + 4 + 6 * k, static_cast<uint16_t>(kSegments[k].left));
            plant16(kList + 6 + 6 * k, static_cast<uint16_t>(kSegments[k].right));
            plant16(kList + 8 + 6 * k, static_cast<uint16_t>(kSegments[k].floor));
        }
        fake(sub_06925A /* random */, [this] {
            if (!randoms_.empty()) {
                cpu.reg[0] = randoms_.front();
                randoms_.pop_front();
                return;
            }
            cpu.reg[0] = seeded_random();
        });
        fake(sub_061F06 /* start animation */, [this] {
            started_.push_back(r(19));
            orb_write8(r(20) + object_record::frame_duration, 1);
            orb_write8(r(20) + object_record::frame_index, 0);
        });
        fake(sub_061FB6 /* tick */, [this] {
            if (tick_) tick_(r(20));
        });
        fake(sub_08814E /* register boxes */);
        for (uint32_t box : {entry::sub_08842C /* box flag: halfword box, no effect */,
                             entry::sub_088431 /* box hit: halfword box, hits */,
                             entry::sub_08834C /* box bytes hit */, entry::sub_088347 /* box bytes flag */})
            fake(box, [this, box] {
                const uint32_t o = r(20);
                orb_write32(o, orb_read32(o) & ~(1u << object_flag::touched));
                probes_.push_back({box, r(10), r(16), orb_read32(o)});
                if (touch_ && touch_(box, r(10))) orb_write32(o, orb_read32(o) | 1u << object_flag::touched);
            });
        fake(sub_088F98 /* sound */, [this] { sounds_.push_back(static_cast<uint8_t>(r(0))); });
        fake(kIdle);
    }

    // A frame: the depth buckets empty as the sprite list leaves them (an
    // object already heading its bucket is not listed again), then one pass.
    void pass() {
        for (uint32_t k = 0; k < 512; ++k) orb_write16(var::display_buckets + 2 * k, 0);
        ObjectPasses::pass();
    }
    void passes(int n) {
        for (int i = 0; i < n; ++i) pass();
    }

    // The seeded generator of the demo, as the framework's contract gives it.
    static uint32_t seeded_random() {
        uint32_t x = orb_read32(kRandomState);
        if ((x & 0xFFFF) == 0) x ^= 0x2A6D365B;
        const uint32_t y = 25 * x;
        const uint32_t s = ((y & 0xFFFF) + (y >> 16)) & 0xFFFF;
        orb_write32(kRandomState, s << 16 | (y & 0xFFFF));
        return (x & 0xFFFF0000) | s;
    }

    // The tables of one AI type.
    void plant_type(uint8_t type, uint32_t callback = kIdle) {
        plant32(0x07AB88 + 4 * type, kConditions);
        plant32(0x07ABAC + 4 * type, kNextStates);
        plant32(0x07ABD0 + 4 * type, callback);
        const uint32_t animations[] = {kAnimStart, kAnimWalk, kAnimDefeat,   kAnimJump,
                                       kAnimFall,  kAnimStun, kAnimKnockback};
        for (uint32_t k = 0; k < 7; ++k) plant32(0x07ABF4 + 0x24 * k + 4 * type, animations[k]);
        for (uint32_t k = 0; k < 4; ++k)
            plant16(0x07ACF0 + 8 * type + 2 * k, static_cast<uint16_t>(kMargins[k]));
        plant16(0x07AD38 + 2 * type, kEnergy);
        plant16(0x07AD4A + 2 * type, kScore);
        plant16(0x07AD5C + 2 * type, kSpeed);
        plant8(0x07AD6E + type, kLanding);
        plant8(0x07AD77 + type, kHitSound);
        plant8(0x07AE11 + type, kCategory);
    }

    // An enemy on the ring as a spawner leaves it: its routine, its type and
    // the platform list in +16.
    uint32_t enemy(uint32_t routine, uint8_t type, int16_t x = 800, int16_t y = 300) {
        const uint32_t o = spawn(routine, sub_088C67);
        orb_write8(o + object_record::type, type);
        orb_write32(o + object_record::screen_x, kList);
        orb_write16(o + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(o + object_record::world_y, static_cast<uint16_t>(y));
        return o;
    }

    // An enemy past its set-up, standing on the middle segment in a state.
    uint32_t placed(uint32_t routine, uint8_t type, uint8_t state, int16_t x = 800, int16_t y = 300) {
        const uint32_t o = enemy(routine, type, x, y);
        orb_write32(o + pe::ai_platforms, kList);
        orb_write8(o + pe::ai_segment, 10);
        orb_write16(o + pe::ai_window_left, static_cast<uint16_t>(-4000));
        orb_write16(o + pe::ai_window_right, 4000);
        orb_write16(o + pe::ai_window_top, static_cast<uint16_t>(-4000));
        orb_write16(o + pe::ai_window_bottom, 4000);
        orb_write16(o + object_record::flags, 0x0001);
        orb_write8(o + object_record::state, state);
        orb_write8(o + object_record::enemy_timer, 100);
        orb_write8(o + pe::ai_attack_timer, 100);
        return o;
    }

    // The routine run as the object runner would, for one object.
    bool step(v60_routine routine, uint32_t o) {
        cpu.reg[20] = o;
        return run(routine);
    }

    static int16_t s16(uint32_t address) { return static_cast<int16_t>(ram16(address)); }
    static bool flag(uint32_t o, unsigned bit) { return (ram32(o) >> bit) & 1; }
    static void set_flag(uint32_t o, unsigned bit) { orb_write32(o, orb_read32(o) | 1u << bit); }
    int calls_of_box(uint32_t box) const {
        int n = 0;
        for (const auto& p : probes_) n += p.routine == box;
        return n;
    }

    struct probe {
        uint32_t routine, box, strength, flags;
    };
    std::deque<uint32_t> randoms_;
    std::vector<uint32_t> started_;
    std::vector<uint8_t> sounds_;
    std::vector<probe> probes_;
    std::function<void(uint32_t)> tick_;
    std::function<bool(uint32_t, uint32_t)> touch_;
};

}  // namespace platform_test
