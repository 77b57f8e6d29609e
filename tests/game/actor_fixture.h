// A fixture for the actors' children: real object pools and runner, the
// playfield camera at the origin, and small ROM animations in copy mode.
#pragma once
#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

class ActorTest : public GameRoutineTest {
protected:
    // A test entry that does nothing: the routine of fixture parents.
    static constexpr uint32_t kIdle = kTestEntry[0];

    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        fake(kIdle);
        orb_write32(var::camera_pointer, var::playfield_camera);
        // What the game's start-up leaves, planted: no game or frame bits, no
        // player in play, no enemy counted, the playfield camera at the
        // origin, empty display buckets and sound rings.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        orb_write8(var::live_enemy_count, 0);
        zero(var::player_records, 4 * 256);
        zero(var::playfield_camera, 64);
        zero(var::display_buckets, 1024);
        orb_write16(var::display_count, 0);
        zero(var::sound_ring_a, 34);
        zero(var::sound_ring_b, 34);
    }

    static void zero(uint32_t address, uint32_t bytes) {
        for (uint32_t i = 0; i < bytes; ++i) orb_write8(address + i, 0);
    }

    // An object of the given pool on the ring, running kIdle, with flags.
    uint32_t actor(uint16_t flags, v60_routine pool = sub_088C67) {
        const uint32_t object = spawn(kIdle, pool);
        orb_write16(object + object_record::flags, flags);
        return object;
    }

    // One frame: the display buckets emptied (as the sprite list builder
    // leaves them), then one pass of the object runner.
    void pass(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            for (uint32_t a = var::display_buckets; a < var::display_buckets + 1024; a += 2)
                orb_write16(a, 0);
            ASSERT_TRUE(run(sub_088B00));
        }
    }

    bool on_ring(uint32_t object) const {
        for (uint32_t o : ring())
            if (o == object) return true;
        return false;
    }
    static bool flag(uint32_t object, unsigned bit) {
        return (ram16(object + object_record::flags) >> bit) & 1;
    }
    static int16_t s16(uint32_t address) { return static_cast<int16_t>(ram16(address)); }
    static uint16_t bucket(int key) { return ram16(var::display_bucket_zero + 2 * key); }

    // A one-frame animation script at `script` whose frame (at `frame`) has
    // one sprite part with the given words; the script loops on that frame.
    void plant_animation(uint32_t script, uint32_t frame, const std::vector<uint16_t>& words,
                         uint8_t duration = 1) {
        plant8(script, duration);
        plant16(script + 1, static_cast<uint16_t>(frame - (script + 1)));
        plant16(script + 3, 0xFFFE);
        plant8(frame, 1);
        for (uint32_t k = 0; k < 8; ++k) plant16(frame + 1 + 2 * k, k < words.size() ? words[k] : 0);
    }

    // Sound codes queued on a ring so far.
    static std::vector<uint8_t> sounds(uint32_t ring) {
        std::vector<uint8_t> codes;
        for (uint8_t i = ram8(ring + sound_ring::read); i != ram8(ring + sound_ring::write); i = (i + 1) & 31)
            codes.push_back(ram8(ring + sound_ring::slots + i));
        return codes;
    }
};
