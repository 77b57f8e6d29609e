#include <gtest/gtest.h>

#include <string>

#include "game/actors/tables.h"
#include "game/continuations.h"
#include "game/engine/states.h"
#include "tests/game/actor_fixture.h"

namespace {

class EnemyChildren : public ActorTest {
protected:
    // An enemy on the ring (its own routine idle), alive.
    uint32_t enemy(uint16_t flags = 0x8001) {
        const uint32_t e = actor(flags);
        orb_write16(e + object_record::world_x, 800);
        orb_write16(e + object_record::world_y, 400);
        orb_write16(e + object_record::height, 40);
        return e;
    }
    uint32_t call_on(v60_routine routine, uint32_t object) {
        cpu.reg[20] = object;
        EXPECT_TRUE(run(routine));
        return r(21);
    }
};

// ---- boss bar ----

using EnemyBossBar = EnemyChildren;

TEST_F(EnemyBossBar, StepFromTheEnergyIn16Bits) {
    const struct {
        int16_t energy;
        uint16_t step;
    } cases[] = {{490, 183}, {2048, 0}, {0, 0}, {100, 38}, {2045, 761}, {2047, 0}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.energy);
        const uint32_t e = enemy();
        orb_write16(e + object_record::energy, static_cast<uint16_t>(k.energy));
        cpu.reg[0] = 3;
        cpu.reg[1] = 1;
        const uint32_t bar = call_on(sub_069799, e);
        EXPECT_EQ(ram16(bar + enemy_child::bar_energy), static_cast<uint16_t>(k.energy));
        EXPECT_EQ(ram16(bar + enemy_child::bar_step), k.step);
    }
}

TEST_F(EnemyBossBar, EntriesSetSubjectAndVariant) {
    const struct {
        const char* name;
        v60_routine entry;
        uint32_t r0, r1;
        uint8_t type, state;
    } cases[] = {
        {"subject given", sub_06978D, 16, 0x1102, 16, 0},
        {"own kind, variant 0", sub_069792, 99, 0x1102, 13, 0},
        {"own kind, variant given", sub_069795, 99, 0x1102, 13, 2},
        {"both given", sub_069799, 15, 0x1101, 15, 1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t e = enemy();
        orb_write8(e + object_record::type, 13);
        cpu.reg[0] = k.r0;
        cpu.reg[1] = k.r1;
        const uint32_t bar = call_on(k.entry, e);
        EXPECT_EQ(bar & 0xFFFFC0, bar) << "a 64-byte object";
        EXPECT_GE(bar, var::objects_64);
        ASSERT_GE(ring().size(), 1u);
        EXPECT_EQ(ring().back(), bar);
        EXPECT_EQ(ram8(bar + object_record::type), k.type);
        EXPECT_EQ(ram8(bar + object_record::state), k.state);
        EXPECT_EQ(ram16(bar + object_record::owner), static_cast<uint16_t>(e));
        EXPECT_EQ(ram32(bar + object_record::routine), entry::sub_0697D7);
    }
}

TEST_F(EnemyBossBar, AnEmptyPoolMakesNothing) {
    const uint32_t e = enemy();
    orb_write16(var::free_stack_64, 0);
    const auto before = ring();
    call_on(sub_069792, e);
    EXPECT_TRUE(cpu.z);
    EXPECT_EQ(ring(), before);
}

// ---- afterimages ----

class Afterimage : public EnemyChildren {
protected:
    void SetUp() override {
        EnemyChildren::SetUp();
        enemy_ = enemy(0x8041 | 1u << 8);  // mirrored, and a bit the image does not take
        orb_write8(enemy_ + object_record::anim_mode, 2);
        orb_write8(enemy_ + object_record::copied_parts, 3);
        for (uint32_t i = 0; i < 32; ++i) orb_write8(enemy_ + 96 + i, static_cast<uint8_t>(0x40 + i));
        spawner_ = call_on(sub_0696A7, enemy_);
    }
    // The 128-byte objects on the ring other than the enemy.
    std::vector<uint32_t> images() const {
        std::vector<uint32_t> list;
        for (uint32_t o : ring())
            if (o != enemy_ && o != spawner_) list.push_back(o);
        return list;
    }
    uint32_t enemy_ = 0, spawner_ = 0;
};

TEST_F(Afterimage, SpawnerIsA64ByteObjectOfTheEnemy) {
    ASSERT_GE(ring().size(), 1u);
    EXPECT_EQ(ring().back(), spawner_);
    EXPECT_EQ(ram16(spawner_ + object_record::owner), static_cast<uint16_t>(enemy_));
    EXPECT_EQ(ram8(spawner_ + object_record::enemy_timer), 4);
    EXPECT_EQ(ram32(spawner_ + object_record::routine), entry::sub_0696C6);
}

TEST_F(Afterimage, OneEveryFourFramesFromTheFourth) {
    std::string made;
    for (int f = 1; f <= 12; ++f) {
        pass();
        made += std::to_string(images().size());
    }
    EXPECT_EQ(made, "000111122223");
}

TEST_F(Afterimage, CopiesTheEnemyAndBlinksTwelveFramesWhereItWasMade) {
    pass(4);
    ASSERT_EQ(images().size(), 1u);
    const uint32_t image = images()[0];
    EXPECT_EQ(ram16(image + object_record::owner), static_cast<uint16_t>(enemy_));
    EXPECT_EQ(ram16(image + object_record::flags), 0x0040) << "mirror bit only";
    EXPECT_EQ(ram16(image + object_record::world_x), 800);
    EXPECT_EQ(ram16(image + object_record::height), 40);
    EXPECT_EQ(ram8(image + object_record::anim_mode), 2);
    EXPECT_EQ(ram8(image + object_record::copied_parts), 3);
    for (uint32_t i = 0; i < 32; ++i) ASSERT_EQ(ram8(image + 96 + i), 0x40 + i) << "byte " << 96 + i;
    EXPECT_EQ(ram32(image + object_record::frame), image + object_record::copied_parts);
    EXPECT_FALSE(flag(image, object_flag::listed)) << "not listed in its first frame";

    // The enemy turns and moves on; the image stays as it was made.
    orb_write16(enemy_ + object_record::flags, 0x8001);
    orb_write16(enemy_ + object_record::world_x, 2000);
    orb_write8(spawner_ + object_record::enemy_timer, 100);  // no more images
    std::string shown;
    for (int f = 1; f <= 12; ++f) {
        pass();
        if (!on_ring(image)) {
            shown += 'x';
            break;
        }
        shown += flag(image, object_flag::listed) ? 's' : '-';
        EXPECT_TRUE(flag(image, object_flag::mirror_x));
        EXPECT_EQ(ram16(image + object_record::world_x), 800);
    }
    EXPECT_EQ(shown, "-s-s-s-s-s-x");
}

TEST_F(Afterimage, ASpawnerWhoseEnemyDiesAtOnceMakesNoneAndFreesItself) {
    orb_write16(enemy_ + object_record::flags, 0x8000);
    const uint16_t free64 = ram16(var::free_stack_64), free128 = ram16(var::free_stack_128);
    pass();
    EXPECT_FALSE(on_ring(spawner_));
    EXPECT_EQ(ram16(var::free_stack_64), free64 + 1);
    EXPECT_EQ(ram16(var::free_stack_64 + 2 * (free64 + 1)), static_cast<uint16_t>(spawner_));
    EXPECT_EQ(ram16(var::free_stack_128), free128);
}

TEST_F(Afterimage, AnEmptyPoolStillWaitsFourFrames) {
    orb_write16(var::free_stack_128, 0);
    pass(4);
    EXPECT_TRUE(images().empty());
    EXPECT_EQ(ram8(spawner_ + object_record::enemy_timer), 4);
}

// ---- kind 2's parts ----

constexpr uint32_t kPartScript = 0x060500;

class Kind2Part : public EnemyChildren {
protected:
    void SetUp() override {
        EnemyChildren::SetUp();
        plant32(rom::kind2_part_states, continuation::kind2_part_standing);
        plant32(rom::kind2_part_states + 4, continuation::kind2_part_zoomed);
        plant_animation(kPartScript, kPartScript + 0x10, {1, 2, 3, 4});
        const uint32_t entry = rom::kind2_part_entries + 12;  // part 1
        plant32(entry, kPartScript);
        plant16(entry + 4, static_cast<uint16_t>(-30));
        plant16(entry + 6, 16);
        plant16(entry + 8, 100);
        plant16(entry + 10, 0x0444);
        fake(sub_0797C0 /* zoom start */);
        fake(sub_0797DB /* zoomed place */);
        enemy_ = enemy();
        part_ = call_on(sub_06C43D, enemy_);
    }
    uint32_t enemy_ = 0, part_ = 0;
};

TEST_F(Kind2Part, SpawnNamesItsEntry) {
    const struct {
        v60_routine entry;
        uint32_t index;
    } cases[] = {{sub_06C438, 0}, {sub_06C43D, 1}, {sub_06C442, 2}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.index);
        const uint32_t p = call_on(k.entry, enemy_);
        ASSERT_GE(ring().size(), 1u);
        EXPECT_EQ(ring().back(), p);
        EXPECT_EQ(ram16(p + object_record::flags), 0);
        EXPECT_EQ(ram16(p + object_record::owner), static_cast<uint16_t>(enemy_));
        EXPECT_EQ(ram32(p + object_record::next_script), rom::kind2_part_entries + 12 * k.index);
        EXPECT_EQ(ram32(p + object_record::routine), entry::sub_06C46F);
    }
}

TEST_F(Kind2Part, StandsByTheEnemyUntilAnAreaChangeHasEnded) {
    pass();
    EXPECT_EQ(s16(part_ + object_record::world_x), 770);
    EXPECT_EQ(s16(part_ + object_record::world_y), 416);
    EXPECT_EQ(s16(part_ + object_record::height), 40 + 16 + 100) << "the Y offset lifts it too";
    EXPECT_EQ(ram16(part_ + object_record::next_script), 0x0444);
    EXPECT_EQ(ram8(part_ + object_record::anim_mode), 1);
    EXPECT_EQ(ram32(part_ + object_record::routine), entry::sub_06C4B8);
    EXPECT_TRUE(flag(part_, object_flag::listed));

    // The enemy goes: the part stays.
    orb_write16(enemy_ + object_record::flags, 0);
    orb_write16(enemy_ + object_record::world_x, 0);
    pass(3);
    EXPECT_TRUE(on_ring(part_));
    EXPECT_EQ(s16(part_ + object_record::world_x), 770);

    orb_write32(var::game_flags, 1u << game_flag::area_change);
    pass();
    EXPECT_EQ(ram8(part_ + object_record::state), 1);
    EXPECT_EQ(ram16(part_ + object_record::height), 0x0444);
    EXPECT_EQ(calls(sub_0797C0 /* zoom start */), 1);
    EXPECT_EQ(calls(sub_0797DB /* zoomed place */), 1) << "drawn zoomed in the same frame";
    pass(2);
    EXPECT_EQ(calls(sub_0797DB /* zoomed place */), 3);
    EXPECT_EQ(calls(sub_0797C0 /* zoom start */), 1);

    const uint16_t count = ram16(var::free_stack_128);
    orb_write32(var::game_flags, 0);
    pass();
    EXPECT_FALSE(on_ring(part_));
    EXPECT_EQ(ram16(var::free_stack_128), count + 1);
    EXPECT_EQ(calls(sub_0797DB /* zoomed place */), 3);
}

TEST_F(Kind2Part, AnUnknownStateEntryEndsTheRun) {
    pass();
    orb_write8(part_ + object_record::state, 2);
    plant32(rom::kind2_part_states + 8, 0x06C500);
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 06C4C3 to 06C500 has no translated target");
}

// ---- overlays ----

constexpr uint32_t kRunning = 0x060600;  // the enemy's scripts
constexpr uint32_t kOther = 0x060640;

struct overlay_family {
    const char* name;
    v60_routine spawn;
    uint32_t script, list, first, removal;
    int16_t dx, dx_mirrored, dh;
};

const overlay_family kFamilies[] = {
    {"kinds 13/14", sub_0703B4, rom::big_overlay_script, rom::big_overlay_scripts, entry::sub_0703D2,
     entry::sub_070460, 0, 0, 12},
    {"kinds 5/6", sub_071A0C, rom::side_overlay_script, rom::side_overlay_scripts, entry::sub_071A2A,
     entry::sub_071AC7, 140, -140, 80},
};

class Overlay : public EnemyChildren {
protected:
    void prepare(const overlay_family& f) {
        plant_animation(f.script, f.script + 0x10, {7, 7, 7, 7}, 2);
        plant_animation(f.script + 0x40, f.script + 0x50, {8, 8, 8, 8});
        // The overlay's script moves on to a second frame after 2 frames.
        plant16(f.script + 3, static_cast<uint16_t>(f.script + 0x50 - (f.script + 3)));
        plant16(f.script + 5, 0xFFFE);
        plant32(f.list, kRunning - 0x100);
        plant32(f.list + 4, kRunning);
        plant32(f.list + 8, 0x80000000);
        plant32(f.list + 12, kOther);  // after the end: not looked at
        enemy_ = enemy();
        orb_write32(enemy_ + object_record::frame_table, kRunning + 1);
        overlay_ = call_on(f.spawn, enemy_);
    }
    uint32_t enemy_ = 0, overlay_ = 0;
};

TEST_F(Overlay, ShowsOnlyDuringListedScriptsAndFreezesOtherwise) {
    for (const auto& f : kFamilies) {
        SCOPED_TRACE(f.name);
        SetUp();
        prepare(f);
        EXPECT_EQ(ram16(overlay_ + object_record::flags), 1);
        EXPECT_EQ(ram32(overlay_ + object_record::routine), f.first);
        pass();
        EXPECT_EQ(ram8(overlay_ + object_record::anim_mode), 1);
        EXPECT_EQ(ram16(overlay_ + object_record::flags) & ~0x20u, 1u);
        EXPECT_TRUE(flag(overlay_, object_flag::listed));
        EXPECT_EQ(s16(overlay_ + object_record::world_x), 800 + f.dx);
        EXPECT_EQ(s16(overlay_ + object_record::world_y), 396);
        EXPECT_EQ(s16(overlay_ + object_record::height), 40 + f.dh);

        orb_write16(enemy_ + object_record::flags, 0x8041);  // mirrored
        pass();
        EXPECT_EQ(s16(overlay_ + object_record::world_x), 800 + f.dx_mirrored);
        EXPECT_EQ(ram16(overlay_ + object_record::flags) & ~0x20u, 0x41u);
        const uint8_t index = ram8(overlay_ + object_record::frame_index);

        for (uint32_t script : {kOther, 0u}) {  // not listed; nor is one past the list's end
            orb_write32(enemy_ + object_record::frame_table, script + 1);
            orb_write16(enemy_ + object_record::world_x, 1600);
            pass(3);
            EXPECT_TRUE(flag(overlay_, object_flag::hidden));
            EXPECT_EQ(ram8(overlay_ + object_record::frame_index), index) << "frozen";
            EXPECT_EQ(s16(overlay_ + object_record::world_x), 800 + f.dx_mirrored);
        }

        orb_write32(enemy_ + object_record::frame_table, kRunning - 0x100 + 1);
        pass();
        EXPECT_FALSE(flag(overlay_, object_flag::hidden));
        EXPECT_EQ(s16(overlay_ + object_record::world_x), 1600 + f.dx_mirrored);
        TearDown();
    }
}

TEST_F(Overlay, GoesTheFrameAfterItsEnemy) {
    for (const auto& f : kFamilies) {
        SCOPED_TRACE(f.name);
        SetUp();
        prepare(f);
        pass();
        orb_write16(enemy_ + object_record::flags, 0x8000);
        pass();
        EXPECT_TRUE(on_ring(overlay_));
        EXPECT_EQ(ram16(overlay_ + object_record::flags), 0);
        EXPECT_EQ(ram32(overlay_ + object_record::routine), f.removal);
        const uint16_t count = ram16(var::free_stack_128);
        pass();
        EXPECT_FALSE(on_ring(overlay_));
        EXPECT_EQ(ram16(var::free_stack_128), count + 1);
        TearDown();
    }
}

TEST_F(Overlay, TheKinds5And6OverlayHasACompanion) {
    plant16(rom::side_overlay_companion, 0x0022);
    plant16(0x071AEC, 0x0033);
    prepare(kFamilies[1]);
    pass();
    ASSERT_GE(ring().size(), 1u);
    const uint32_t companion = ring().back();
    EXPECT_EQ(ram32(companion + object_record::routine), entry::sub_077BD6);
    EXPECT_EQ(ram16(companion + object_record::owner), static_cast<uint16_t>(overlay_));
    EXPECT_EQ(ram16(companion + companion_record::x_offset_base), 0x0022);
    EXPECT_EQ(ram16(companion + companion_record::y_offset), 0x0033);
}

// ---- defeat and the flying piece ----

class FlyingPiece : public EnemyChildren {
protected:
    void SetUp() override {
        EnemyChildren::SetUp();
        plant_animation(rom::flying_piece_script, rom::flying_piece_script + 0x11, {5, 5, 5, 5});
        fake(sub_06A1DA /* dispatcher */);
    }
};

TEST_F(FlyingPiece, DefeatQueuesItsSoundOnceThenTheDispatcherRuns) {
    const uint32_t e = spawn(entry::sub_0736F4, sub_088C67);
    orb_write16(e + object_record::flags, 0x8001);
    pass();
    EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), 1);
    EXPECT_EQ(ring().size(), 1u);
    orb_write16(e + object_record::flags, 0x8201);
    pass();
    EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), 2);
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0xF5});
    EXPECT_EQ(ram32(e + object_record::routine), entry::sub_06A1DA /* dispatcher */);
    ASSERT_EQ(ring().size(), 2u);
    EXPECT_EQ(ram32(ring().back() + object_record::routine), entry::sub_073848)
        << "its first frame ran in the same pass";
    pass();
    EXPECT_EQ(calls(sub_06A1DA /* dispatcher */), 3);
    EXPECT_EQ(sounds(var::sound_ring_a).size(), 1u);
}

TEST_F(FlyingPiece, StartsAboveTheEnemyThrownTheWayItFaces) {
    const struct {
        uint16_t flags;
        int8_t vx;
    } cases[] = {{0x8201, 10}, {0x8241, -10}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.flags);
        const uint32_t e = enemy(k.flags);
        const uint32_t piece = call_on(sub_0737D9, e);
        ASSERT_GE(ring().size(), 1u);
        EXPECT_EQ(ring().back(), piece);
        EXPECT_EQ(ram16(piece + object_record::owner), static_cast<uint16_t>(e));
        EXPECT_EQ(s16(piece + object_record::world_x), 800);
        EXPECT_EQ(s16(piece + object_record::world_y), 404);
        EXPECT_EQ(s16(piece + object_record::height), 296);
        EXPECT_EQ(ram16(piece + object_record::flags), (k.flags & 0x40) | 1);
        EXPECT_EQ(static_cast<int8_t>(ram8(piece + object_record::velocity_x)), k.vx);
        EXPECT_EQ(ram8(piece + object_record::rise_speed), 30);
        EXPECT_EQ(ram32(piece + object_record::routine), entry::sub_073832);
    }
}

TEST_F(FlyingPiece, RisesFallsAndBouncesWithHalfTheSpeed) {
    const struct {
        int16_t height;
        int8_t rise;
        int16_t height_after;
        int8_t rise_after;
    } cases[] = {
        {100, 5, 105, 4}, {5, -20, 0, 10}, {10, -10, 0, 5}, {1, -31, 0, 15}, {0, 0, 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.height);
        const uint32_t piece = actor(0x0001);
        orb_write32(piece + object_record::routine, entry::sub_073848);
        orb_write32(piece + object_record::frame_table, rom::flying_piece_script + 1);
        orb_write16(piece + object_record::world_x, 400);
        orb_write16(piece + object_record::height, static_cast<uint16_t>(k.height));
        orb_write8(piece + object_record::velocity_x, static_cast<uint8_t>(-10));
        orb_write8(piece + object_record::rise_speed, static_cast<uint8_t>(k.rise));
        call_on(sub_073848, piece);
        EXPECT_EQ(s16(piece + object_record::world_x), 390);
        EXPECT_EQ(s16(piece + object_record::height), k.height_after);
        EXPECT_EQ(static_cast<int8_t>(ram8(piece + object_record::rise_speed)), k.rise_after);
    }
}

TEST_F(FlyingPiece, IsFreedOnceOffTheScreensColumns) {
    // At screen x 300 moving right (2.5 pixels a frame): still listed at 317,
    // freed at 320.
    const uint32_t e = enemy(0x8001);
    orb_write16(e + object_record::world_x, 1200);
    orb_write16(e + object_record::height, 0);
    const uint32_t piece = call_on(sub_0737D9, e);
    orb_write16(e + object_record::flags, 0);
    std::vector<int> xs;
    for (int f = 0; f < 12 && on_ring(piece); ++f) {
        pass();
        xs.push_back(s16(piece + object_record::screen_x));
        if (on_ring(piece)) {
            EXPECT_TRUE(flag(piece, object_flag::listed));
        }
    }
    EXPECT_FALSE(on_ring(piece));
    EXPECT_EQ(xs, (std::vector<int>{300, 302, 305, 307, 310, 312, 315, 317, 320}));

    // A negative screen x reads as off: freed in its first frame.
    orb_write16(e + object_record::world_x, static_cast<uint16_t>(-40));
    const uint32_t left = call_on(sub_0737D9, e);
    const uint16_t count = ram16(var::free_stack_128);
    pass();
    EXPECT_FALSE(on_ring(left));
    EXPECT_EQ(ram16(var::free_stack_128), count + 1);
}

// ---- scripted entrance ----

constexpr uint32_t kStateRecord = 0x060700;
constexpr uint32_t kAnimationSet = 0x060720;
constexpr uint32_t kEntranceAnimations = 0x060740;
constexpr uint32_t kEntranceScript = 0x060780;
constexpr uint32_t kScriptList = 0x0607C0;  // one entrance script per command, 4 bytes apart

class Entrance : public EnemyChildren {
protected:
    void SetUp() override {
        EnemyChildren::SetUp();
        const uint32_t commands[] = {continuation::entrance_from_left,   continuation::entrance_from_right,
                                     continuation::entrance_drop,        continuation::entrance_from_front,
                                     continuation::entrance_camera_wait, continuation::entrance_timed_wait,
                                     continuation::entrance_end};
        for (uint32_t c = 0; c < 7; ++c) {
            plant32(rom::entrance_commands + 4 * c, commands[c]);
            plant32(kEntranceAnimations + 4 * c, kEntranceScript);
        }
        plant32(rom::entrance_commands + 28, 0x06DA00);  // an entry that names no step
        plant32(rom::entrance_steps, continuation::entrance_height_step);
        plant32(rom::entrance_steps + 4, continuation::entrance_camera_step);
        plant32(rom::entrance_steps + 8, continuation::entrance_timer_step);
        plant32(kStateRecord + 4, kAnimationSet);
        plant32(kAnimationSet, kEntranceAnimations);
        plant_animation(kEntranceScript, kEntranceScript + 0x10, {9, 9, 9, 9});
        // The mover as the framework gives it, reduced to the move itself.
        fake(sub_06912A /* mover: animation step and mover of the enemy framework */, [] {
            const uint32_t e = cpu.reg[20];
            orb_write16(e + object_record::world_x,
                        orb_read16(e + object_record::world_x) +
                            static_cast<int8_t>(orb_read8(e + object_record::velocity_x)));
            orb_write16(e + object_record::world_y,
                        orb_read16(e + object_record::world_y) +
                            static_cast<int8_t>(orb_read8(e + object_record::velocity_y)));
        });
        orb_write16(var::playfield_camera + camera_record::x, 0);
    }

    // An enemy in state 3 entering by the command, with a parameter.
    uint32_t entering(uint8_t command, uint16_t parameter = 0) {
        plant8(kScriptList + 4 * command, command);
        plant16(kScriptList + 4 * command + 1, parameter);
        const uint32_t e = enemy(0x8001);
        orb_write16(e + object_record::world_x, 2000);
        orb_write16(e + object_record::world_y, 600);
        orb_write16(e + object_record::height, 0);
        orb_write8(e + object_record::state, 3);
        orb_write8(e + object_record::last_state, 255);
        orb_write32(e + object_record::next_script, kScriptList + 4 * command);
        orb_write32(e + object_record::state_record, kStateRecord);
        return e;
    }
    // Frames of the state routine until the entrance ends (at most a limit).
    int frames_to_end(uint32_t e, int limit = 2000) {
        for (int f = 1; f <= limit; ++f) {
            call_on(sub_073716, e);
            if (ram8(e + object_record::state) != 3) return f;
        }
        return -1;
    }
    static bool ended(uint32_t e) {
        return ram8(e + object_record::state) == enemy_state::regroup &&
               ram8(e + object_record::velocity_x) == 0 && ram8(e + object_record::velocity_y) == 0 &&
               !flag(e, object_flag::intangible);
    }
};

TEST_F(Entrance, SetUpQueuesItsSoundAndStartsTheEntranceAnimation) {
    const uint32_t e = entering(0);
    call_on(sub_073716, e);
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0xF4});
    EXPECT_EQ(ram32(e + object_record::frame_table), kEntranceScript + 1);
    EXPECT_EQ(ram8(e + object_record::anim_mode), 1);
    EXPECT_TRUE(flag(e, object_flag::intangible));
    EXPECT_EQ(ram8(e + object_record::last_state), 3);
    EXPECT_EQ(calls(sub_06912A /* mover: animation step and mover of the enemy framework */), 1);
    call_on(sub_073716, e);
    EXPECT_EQ(sounds(var::sound_ring_a).size(), 1u) << "once";
}

TEST_F(Entrance, JumpsInOverSixtyOneFramesAndMovesInSixty) {
    const struct {
        const char* name;
        uint8_t command;
        int16_t x_start, x_end, y_start, y_end;
        bool mirror;
    } cases[] = {
        {"from the left", 0, 2000 - 1220, 2000 - 20, 600, 600, true},
        {"from the right", 1, 2000 + 1220, 2000 + 20, 600, 600, false},
        {"from the front", 3, 2000, 2000, 600 + 915, 600 + 15, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t e = entering(k.command);
        call_on(sub_073716, e);
        EXPECT_EQ(s16(e + object_record::height), 30);
        EXPECT_EQ(s16(e + object_record::world_x), k.x_start + (k.x_end - k.x_start) / 60)
            << "one step from the start";
        EXPECT_EQ(s16(e + object_record::world_y), k.y_start + (k.y_end - k.y_start) / 60);
        EXPECT_EQ(flag(e, object_flag::mirror_x), k.mirror) << "the front entry at screen x 500 faces left";
        int frame = 1;
        for (; frame < 60; ++frame) call_on(sub_073716, e);
        EXPECT_EQ(ram8(e + object_record::state), 3);
        EXPECT_GT(s16(e + object_record::height), 0);
        call_on(sub_073716, e);
        EXPECT_TRUE(ended(e)) << "frame 61";
        EXPECT_EQ(s16(e + object_record::height), 0);
        EXPECT_EQ(s16(e + object_record::world_x), k.x_end);
        EXPECT_EQ(s16(e + object_record::world_y), k.y_end);
    }
}

TEST_F(Entrance, TheDropFromSevenEightyLandsInFrameForty) {
    const uint32_t e = entering(2);
    orb_write16(var::playfield_camera + camera_record::x, 1000);  // screen x 250: faces left
    EXPECT_EQ(frames_to_end(e), 40);
    EXPECT_TRUE(ended(e));
    EXPECT_FALSE(flag(e, object_flag::mirror_x));
    EXPECT_EQ(s16(e + object_record::world_x), 2000);

    const uint32_t left = entering(2);
    orb_write16(var::playfield_camera + camera_record::x, 2000);  // screen x 0: faces right
    call_on(sub_073716, left);
    EXPECT_EQ(s16(left + object_record::height), 780);
    EXPECT_TRUE(flag(left, object_flag::mirror_x));
}

TEST_F(Entrance, WaitsEndByCameraTimerOrAtOnce) {
    const struct {
        const char* name;
        uint8_t command;
        uint16_t parameter;
        int16_t camera_x;
        int frames;
    } cases[] = {
        {"camera already there", 4, 500, 500, 1},
        {"camera past it", 4, 500, 900, 1},
        {"camera never comes: 900 frames", 4, 500, 499, 900},
        {"timed wait", 5, 7, 0, 7},
        {"end command", 6, 0, 0, 1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(k.camera_x));
        const uint32_t e = entering(k.command, k.parameter);
        orb_write8(e + object_record::velocity_x, 5);
        EXPECT_EQ(frames_to_end(e), k.frames);
        EXPECT_TRUE(ended(e));
        EXPECT_EQ(s16(e + object_record::world_x), 2000);
    }
}

TEST_F(Entrance, TheCameraReachingTheMarkEndsTheWait) {
    const uint32_t e = entering(4, 300);
    for (int f = 0; f < 5; ++f) call_on(sub_073716, e);
    EXPECT_EQ(ram8(e + object_record::substate), 1);
    EXPECT_EQ(ram16(e + object_record::partner), 300);
    EXPECT_EQ(ram16(e + object_record::enemy_timer), 895);
    orb_write16(var::playfield_camera + camera_record::x, 300);
    call_on(sub_073716, e);
    EXPECT_TRUE(ended(e));
}

TEST_F(Entrance, TableEntriesWithoutAStepEndTheRun) {
    const uint32_t e = entering(7);
    EXPECT_EXIT(call_on(sub_073716, e), ::testing::ExitedWithCode(3),
                "Jump from 073752 to 06DA00 has no translated target");
    const uint32_t waiting = entering(5, 10);
    call_on(sub_073716, waiting);
    orb_write8(waiting + object_record::substate, 3);
    plant32(rom::entrance_steps + 12, continuation::entrance_end);
    EXPECT_EXIT(call_on(sub_073716, waiting), ::testing::ExitedWithCode(3),
                "Jump from 07372C to 06DA7B has no translated target");
}

}  // namespace
