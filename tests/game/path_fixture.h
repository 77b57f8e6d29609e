// A fixture for the path-scripted actors: real pools and runner, rank tier 2
// (difficulty_rank 0x2F), a sine wave_table, small scripts and shot lists
// written into ROM, and stand-ins for the guards, hit reactions and effects
// other parts of the game provide. Animation starts and steps are stand-ins
// too: a test sets frame_duration and frame_index where it matters.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/actor_fixture.h"

namespace path_fixture {

constexpr uint32_t kHeader = 0x130000;
constexpr uint32_t kScript = 0x130100;
constexpr uint32_t kShots = 0x130400;
constexpr int kRankTier = 2;

inline uint32_t player(int slot) { return var::player_records + 0x100u * static_cast<uint32_t>(slot); }
inline int16_t wave(int i) {
    return static_cast<int16_t>(std::lround(4096.0 * std::sin(i * 2 * M_PI / 1024)));
}

class PathTest : public ActorTest {
protected:
    void SetUp() override {
        ActorTest::SetUp();
        orb_write8(var::difficulty_rank, 0x2F);
        for (int i = 0; i < 1280; ++i) plant16(rom::wave_table + 2 * i, static_cast<uint16_t>(wave(i)));
        fake(sub_07AA8D /* area guard */, body_fn([] {
                 if (!(ram32(var::game_flags) & 1u << game_flag::area_change)) return ended::by_return;
                 guest::pop();  // back past the object routine
                 orb_write8(var::live_enemy_count, static_cast<uint8_t>(ram8(var::live_enemy_count) - 1));
                 call_routine(sub_088CD3);
                 sub_088D0C();
                 return ended::already;
             }));
        fake_all({sub_07AA53 /* camera window */, sub_07A980 /* generic hit */, sub_07B615 /* short effect */,
                  sub_061F06 /* anim start */, sub_061FB6 /* anim tick */, sub_06200F /* show frame */,
                  sub_08814E /* boxes to table b */, sub_077B88 /* companion */,
                  sub_07AB3F /* active area */});
        fake(sub_06978D /* boss bar */, [this] { bars_.push_back(r(0)); });
        // Touch tests: the players named in touching_ are hit (or only touched).
        fake(sub_08834C /* hit players */, [this] { touch(true); });
        fake(sub_088185 /* hit effect players */, [this] { touch(true); });
        fake(sub_088347 /* touch players */, [this] { touch(false); });
        for (int s = 0; s < 4; ++s) {
            orb_write8(player(s) + player_record::slot, static_cast<uint8_t>(s));
            orb_write16(player(s) + object_record::world_x, 0x7000);
            orb_write16(player(s) + object_record::world_y, 0x7000);
        }
        plant32(kHeader, kScript);
        plant32(kHeader + 4, kShots);
        no_shots();
    }

    // The collision stand-in: bit 10 of the tester when it touches anyone;
    // a hit marks each touched player with bit 8 and the tester's owner.
    void touch(bool hit) {
        const uint32_t tester = r(20);
        uint32_t flags = ram32(tester);
        flags &= ~(1u << object_flag::touched);
        tests_.push_back({tester, r(10), r(16)});
        for (int s : touching_) {
            flags |= 1u << object_flag::touched;
            if (hit) {
                orb_write32(player(s), ram32(player(s)) | 1u << object_flag::hit);
                orb_write16(player(s) + object_record::last_attacker, ram16(tester + object_record::owner));
            }
        }
        orb_write32(tester, flags);
    }

    // Script building, from kScript on.
    void entry(uint16_t control, int vx = 0, int vy = 0, int ax = 0, int ay = 0, int amp_x = 0, int amp_y = 0,
               uint16_t step_x = 0, uint16_t step_y = 0) {
        plant16(at_, control);
        plant8(at_ + 2, static_cast<uint8_t>(vx));
        plant8(at_ + 3, static_cast<uint8_t>(vy));
        plant8(at_ + 4, static_cast<uint8_t>(ax));
        plant8(at_ + 5, static_cast<uint8_t>(ay));
        plant16(at_ + 6, static_cast<uint16_t>(amp_x));
        plant16(at_ + 8, static_cast<uint16_t>(amp_y));
        plant16(at_ + 10, step_x);
        plant16(at_ + 12, step_y);
        at_ += 14;
    }
    void command(uint16_t c) {
        plant16(at_, 0x8000);
        plant16(at_ + 2, c);
        at_ += 4;
    }
    void shot_list(const std::vector<uint16_t>& words) {
        for (size_t i = 0; i < words.size(); ++i) plant16(kShots + 2 * static_cast<uint32_t>(i), words[i]);
    }
    void no_shots() { shot_list({0x8000, 0}); }

    // A path object on the ring with the given routine, at (x, y).
    uint32_t path_object(uint32_t routine, int x = 400, int y = 400, uint32_t data = kHeader) {
        const uint32_t o = spawn(routine, sub_088C67);
        orb_write32(o + object_record::data_pointer, data);
        orb_write16(o + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(o + object_record::world_y, static_cast<uint16_t>(y));
        return o;
    }

    static int x_of(uint32_t o) { return s16(o + object_record::world_x); }
    static int y_of(uint32_t o) { return s16(o + object_record::world_y); }
    static uint8_t state_of(uint32_t o) { return ram8(o + object_record::state); }
    static uint8_t live() { return ram8(var::live_enemy_count); }
    static uint16_t free128() { return ram16(var::free_stack_128); }
    static void set_game_flag(unsigned bit) {
        orb_write32(var::game_flags, ram32(var::game_flags) | 1u << bit);
    }
    // Objects on the ring running routine.
    static std::vector<uint32_t> running(uint32_t routine) {
        std::vector<uint32_t> found;
        for (uint32_t o : ring())
            if (ram32(o + object_record::routine) == routine) found.push_back(o);
        return found;
    }

    struct Test {
        uint32_t tester, box, strength;
    };
    std::vector<int> touching_;
    std::vector<Test> tests_;
    std::vector<uint32_t> bars_;
    uint32_t at_ = kScript;
};

}  // namespace path_fixture
