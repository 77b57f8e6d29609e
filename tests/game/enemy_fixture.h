// A fixture for the enemy routines: one enemy from the real 128-byte pool on
// the ring, a kind's enemy_state_record in ROM with small tables, four player
// records, the playfield camera at 0, and a terrain of blocked points in place
// of the terrain map.
#pragma once
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "board/machine.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace enemy_fixture {

constexpr uint32_t kRecord = 0x120000;         // the kind's enemy_state_record
constexpr uint32_t kStateRoutines = 0x120100;  // 8 entries
constexpr uint32_t kAnimationSet = 0x120200;
constexpr uint32_t kPatternScripts = 0x120240;
constexpr uint32_t kIdle = 0x120300;
constexpr uint32_t kVelocities = 0x120400;
constexpr uint32_t kRankBytes = 0x120500;
constexpr uint32_t kThresholds = 0x120600;
constexpr uint32_t kValues = 0x120700;
constexpr uint32_t kBoxes = 0x120800;
constexpr uint32_t kAttacks = 0x120900;
constexpr uint32_t kOffsets = 0x120A00;
constexpr uint32_t kParams = 0x120B00;
// Animation scripts (each with its own frames after its table).
constexpr uint32_t kAppearScript = 0x121000;
constexpr uint32_t kSeekScript = 0x121100;
constexpr uint32_t kWalkScript = 0x121200;
constexpr uint32_t kMeleeScript = 0x121300;
constexpr uint32_t kLeapScript = 0x121400;
constexpr uint32_t kIdleScript = 0x121500;
constexpr uint32_t kLowIdleScript = 0x121600;

// World units per step of the fixture's direction velocities.
constexpr int kStep = 8;

inline uint16_t u16(int v) { return static_cast<uint16_t>(v); }
inline uint32_t player(int slot) { return var::player_records + 0x100u * static_cast<uint32_t>(slot); }

class EnemyTest : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        plant_record();
        // An area in play at the lowest rank tier, out of the demo, with no
        // enemy sent to vanish yet.
        orb_write32(var::system_flags, 0);
        orb_write32(var::game_flags, 0);
        orb_write8(var::difficulty_rank, 0);
        orb_write8(var::vanish_stagger, 0);
        // The display chains of a frame not yet listed: every bucket empty.
        for (uint32_t a = var::display_buckets; a < var::display_buckets + 1024; a += 2) orb_write16(a, 0);
        orb_write16(var::display_count, 0);
        // No player in play, no enemy counted, the playfield camera at the
        // origin and both sound rings empty.
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 64; ++i) orb_write8(var::playfield_camera + i, 0);
        orb_write8(var::live_enemy_count, 0);
        for (uint32_t i = 0; i < 34; ++i) orb_write8(var::sound_ring_a + i, 0);
        for (uint32_t i = 0; i < 34; ++i) orb_write8(var::sound_ring_b + i, 0);
        for (uint32_t p = 0; p < 4; ++p)
            plant16(rom::target_player_offsets + 2 * p, static_cast<uint16_t>(0x2000 + 0x100 * p));
        orb_write32(var::camera_pointer, var::playfield_camera);
        blocked_.clear();
        tests_.clear();
        fake(sub_0877D1 /* terrain test */, [this] {
            const std::pair<int, int> point{static_cast<int16_t>(cpu.reg[3]),
                                            static_cast<int16_t>(cpu.reg[4])};
            tests_.push_back(point);
            cpu.z = !blocked_.count(point);
            cpu.cy = !cpu.z;
        });
        fake(sub_088134 /* boxes to table b */);
        // Every target point unusable until a test says otherwise.
        for (int p = 0; p < 4; ++p) target_point(p, 0, -1, -1);
        enemy = spawn(entry::sub_06A1DA, sub_088C67);
        make_enemy(enemy);
        cpu.reg[20] = enemy;
    }

    // A new enemy as a kind's set-up leaves it: flags 0x8001, state 0,
    // last_state and target_slot 255, the fixture's state record.
    void make_enemy(uint32_t object, uint8_t kind = 3) {
        orb_write16(object + object_record::flags, 0x8001);
        orb_write8(object + object_record::state, 0);
        orb_write8(object + object_record::type, kind);
        orb_write8(object + object_record::last_state, 255);
        orb_write8(object + object_record::target_slot, 255);
        orb_write32(object + object_record::state_record, kRecord);
        orb_write16(object + object_record::energy, 100);
    }

    void plant_record() {
        const uint32_t fields[] = {kStateRoutines, kAnimationSet, kIdle,  kVelocities, 0, kRankBytes,
                                   kThresholds,    kValues,       kBoxes, kAttacks,    0, kOffsets,
                                   kParams};
        for (uint32_t i = 0; i < 13; ++i) plant32(kRecord + 4 * i, fields[i]);
        for (uint32_t s = 0; s < 8; ++s) plant32(kStateRoutines + 4 * s, kTestEntry[s]);
        plant32(kAnimationSet + 0, kAppearScript);
        plant32(kAnimationSet + 4, kSeekScript);
        plant32(kAnimationSet + 8, kWalkScript);
        plant32(kAnimationSet + 16, kPatternScripts);
        plant32(kPatternScripts + 0, kMeleeScript);
        plant32(kPatternScripts + 4, kLeapScript);
        plant32(kIdle + 0, kIdleScript);
        plant32(kIdle + 4, kLowIdleScript);
        // Direction index = code; the velocities of each code one step along its axes.
        for (uint8_t code = 0; code <= 10; ++code) {
            plant8(rom::direction_map + code, code);
            const int dx = code & 4 ? kStep : code & 8 ? -kStep : 0;
            const int dy = code & 1 ? kStep : code & 2 ? -kStep : 0;
            plant8(kVelocities + 2 * code, static_cast<uint8_t>(dx));
            plant8(kVelocities + 2 * code + 1, static_cast<uint8_t>(dy));
        }
        plant_script(kAppearScript, 1, 2, 0x2400 | 42);
        plant_script(kSeekScript, 2, 2, 0x0800 | 16);
        plant_script(kWalkScript, 1, 4, 0x0800 | 16);
        plant_script(kMeleeScript, 2, 4, 0x0800 | 16);
        plant_script(kLeapScript, 4, 3, 0x0800 | 16);
        plant_script(kIdleScript, 3, 2, 0x0800 | 16);
        plant_script(kLowIdleScript, 3, 2, 0x0800 | 16);
    }

    // A script: duration byte, then `frames` offset words and -1, then the
    // frames (one part each whose word 3 is size_word and whose word 0 is
    // the frame's number).
    void plant_script(uint32_t at, uint8_t duration, int frames, uint16_t size_word) {
        plant8(at, duration);
        const uint32_t table = at + 1;
        const uint32_t first = table + 2 * static_cast<uint32_t>(frames + 1);
        for (int k = 0; k < frames; ++k) {
            const uint32_t word = table + 2 * static_cast<uint32_t>(k);
            const uint32_t frame = first + 18 * static_cast<uint32_t>(k);
            plant16(word, static_cast<uint16_t>(frame - word));
            plant8(frame, 1);
            plant16(frame + 1, static_cast<uint16_t>(k));
            plant16(frame + 1 + 4, 0x0400 | 100);  // word 2
            plant16(frame + 1 + 6, size_word);     // word 3
        }
        plant16(table + 2 * static_cast<uint32_t>(frames), 0xFFFF);
    }

    static void target_point(int p, int y, int x0, int x1) {
        const uint32_t entry = var::target_points + target_point_entry::size * static_cast<uint32_t>(p);
        orb_write16(entry + target_point_entry::y, u16(y));
        orb_write16(entry + target_point_entry::left_x, u16(x0));
        orb_write16(entry + target_point_entry::right_x, u16(x1));
    }

    static void put_player(int slot, int x, int y, uint16_t flags = 1) {
        orb_write16(player(slot) + object_record::flags, flags);
        orb_write16(player(slot) + object_record::world_x, u16(x));
        orb_write16(player(slot) + object_record::world_y, u16(y));
    }

    void position(int x, int y, int screen_x = 100) const {
        orb_write16(enemy + object_record::world_x, u16(x));
        orb_write16(enemy + object_record::world_y, u16(y));
        orb_write16(enemy + object_record::screen_x, u16(screen_x));
    }
    void velocity(int vx, int vy) const {
        orb_write8(enemy + object_record::velocity_x, static_cast<uint8_t>(vx));
        orb_write8(enemy + object_record::velocity_y, static_cast<uint8_t>(vy));
    }
    int world_x() const { return static_cast<int16_t>(ram16(enemy + object_record::world_x)); }
    int world_y() const { return static_cast<int16_t>(ram16(enemy + object_record::world_y)); }
    int height() const { return static_cast<int16_t>(ram16(enemy + object_record::height)); }
    int vx() const { return static_cast<int8_t>(ram8(enemy + object_record::velocity_x)); }
    int vy() const { return static_cast<int8_t>(ram8(enemy + object_record::velocity_y)); }
    uint8_t state() const { return ram8(enemy + object_record::state); }
    uint8_t substate() const { return ram8(enemy + object_record::substate); }
    uint8_t timer() const { return ram8(enemy + object_record::enemy_timer); }
    uint16_t flags() const { return ram16(enemy + object_record::flags); }
    bool flag(unsigned bit) const { return (flags() >> bit) & 1; }
    void set_flags16(uint16_t value) const { orb_write16(enemy + object_record::flags, value); }
    void enter(uint8_t state) const {
        orb_write8(enemy + object_record::state, state);
        orb_write8(enemy + object_record::last_state, 255);
    }

    // Demo mode with the generator at a state whose next number's low byte,
    // masked, is `value`: found by running the real generator.
    void seed_random(uint8_t mask, uint8_t value) {
        orb_write32(var::game_flags, orb_read32(var::game_flags) | 1u << game_flag::demo_play);
        for (uint32_t k = 1; k < 0x10000; ++k) {
            const uint32_t seed = k << 16 | 1;
            orb_write32(var::random_state, seed);
            EXPECT_TRUE(run(sub_06925A));
            if ((r(0) & mask) == value) {
                orb_write32(var::random_state, seed);
                return;
            }
        }
        ADD_FAILURE() << "no seed gives " << int{value};
    }

    // Runs one routine as the enemy's frame.
    bool frame(v60_routine routine) {
        cpu.reg[20] = enemy;
        return run(routine);
    }

    uint32_t enemy = 0;
    std::set<std::pair<int, int>> blocked_;
    std::vector<std::pair<int, int>> tests_;
};

}  // namespace enemy_fixture
