// Enemy type 7 (watch, aimed attack, volley), its projectiles, and the props'
// area-change guard, run by the object runner on the real pools with the
// generic AI stood in.
#include <algorithm>
#include <deque>

#include "game/continuations.h"
#include "game/actors/tables.h"
#include "tests/game/ai_stand_ins.h"

namespace {

constexpr uint32_t kIdleState = GameRoutineTest::kTestEntry[3];

class VolleyTest : public AiTest {
protected:
    void SetUp() override {
        AiTest::SetUp();
        fake(kIdleState);
        fake(sub_07A68D /* stun */, [] { orb_write8(cpu.reg[20] + object_record::state, 20); });
        fake(sub_07A70C /* defeat */);
        fake(sub_06978D /* bar */, [this] { bar_name = r(0); });
        fake(sub_06925A /* random */, [this] {
            cpu.reg[0] = randoms.empty() ? 0 : randoms.front();
            if (!randoms.empty()) randoms.pop_front();
        });
        fake(sub_08921C /* direction */, [this] {
            aimed_from_y = s16(r(20) + object_record::world_y);
            cpu.reg[0] = direction;
        });
        const uint32_t states[27] = {continuation::volley_start,
                                     kIdleState,
                                     continuation::volley_pose,
                                     entry::sub_07A50F /* wait */,
                                     continuation::volley_turn,
                                     continuation::volley_aim,
                                     continuation::volley_aimed_attack,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     kIdleState,
                                     continuation::volley_stun,
                                     continuation::stun_countdown,
                                     kIdleState,
                                     continuation::volley_round1_start,
                                     continuation::volley_round1,
                                     continuation::volley_round2,
                                     continuation::volley_round3,
                                     continuation::volley_defeat};
        for (uint32_t s = 0; s < 27; ++s) plant32(rom::volley_states + 4 * s, states[s]);
        for (uint32_t t = 0; t < 4; ++t) {
            plant8(rom::volley_chosen_states + t, static_cast<uint8_t>(4 + t));   // chosen states
            plant8(rom::volley_step_timer + t, static_cast<uint8_t>(3));          // step timer
            plant8(rom::volley_rest_timer + t, static_cast<uint8_t>(60 + t));     // rest
            plant8(rom::volley_aim_strength + t, static_cast<uint8_t>(30 + t));   // aimed strength
            plant8(rom::volley_shot_strength + t, static_cast<uint8_t>(50 + t));  // projectile strength
            plant8(rom::volley_strength + t, static_cast<uint8_t>(90 + t));       // volley 1 strength
        }
        plant8(0x07AD6E + 7, 2);  // landing state of type 7
        for (uint32_t i = 0; i < 8; ++i) {
            const uint32_t e = rom::volley_shots + 12 * i;
            plant32(e, 0x136000 + 16 * i);
            plant16(e + 4, 0x8001);
            plant16(e + 6, static_cast<uint16_t>(10 * i));
            plant16(e + 8, static_cast<uint16_t>(-4 * static_cast<int>(i)));
            plant8(e + 10, static_cast<uint8_t>(i));
            plant8(e + 11, static_cast<uint8_t>(-1));
        }
        rank(1);
        enemy = actor(0x8001);
        orb_write8(enemy + object_record::type, 7);  // as its start state sets it
        orb_write32(enemy + object_record::routine, entry::sub_07F3EE);
        put(enemy, 800, 1200);
    }

    void enter(uint8_t state, uint8_t timer) const {
        orb_write8(enemy + object_record::state, state);
        orb_write8(enemy + 56, timer);
    }
    static std::vector<uint32_t> shots() { return running(entry::sub_07F70B); }

    uint32_t enemy = 0;
    std::deque<uint32_t> randoms;
    uint32_t bar_name = 0;
    uint16_t direction = 0;
    int aimed_from_y = 0;
};

TEST_F(VolleyTest, StartSetsTypeBarAndSound) {
    orb_write8(enemy + 62, 5);
    pass();
    EXPECT_EQ(ram8(enemy + object_record::type), 7);
    EXPECT_EQ(ram8(enemy + 62), 0);
    EXPECT_EQ(state_of(enemy), 1);
    EXPECT_EQ(bar_name, 15u);
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0x90});
    EXPECT_EQ(calls(sub_07A523 /* place */), 0);
    EXPECT_EQ(reaction_r10, rom::volley_stun_frames);
    EXPECT_EQ(reaction_r11, rom::volley_hit_states);
}

// The callback retries every frame while the candidate is out of play, hit
// or untouchable; then it takes the player and a state by random & 3.
TEST_F(VolleyTest, IdleCallbackRetriesUntilTheCandidateCanBeTargeted) {
    const uint32_t candidate = var::player_records + 0x200;
    for (uint16_t flags : {0x0000, 0x0101, 0x0005}) {
        SCOPED_TRACE(flags);
        orb_write16(candidate, flags);
        orb_write8(enemy + 56, 1);
        orb_write8(enemy + object_record::state, 3);
        randoms = {0x12345200};
        cpu.reg[20] = enemy;
        ASSERT_TRUE(run(sub_07F7B7));
        EXPECT_EQ(ram8(enemy + 56), 1);
        EXPECT_EQ(ram32(enemy + 86), 0u);
        EXPECT_EQ(state_of(enemy), 3);
    }
    orb_write16(candidate, 0x0001);
    randoms = {0x12345200, 0x00000006};
    ASSERT_TRUE(run(sub_07F7B7));
    EXPECT_EQ(ram32(enemy + 86), candidate);
    EXPECT_EQ(ram8(enemy + 56), 3);
    EXPECT_EQ(state_of(enemy), 6);
    // A running timer only counts down.
    orb_write8(enemy + 56, 5);
    ASSERT_TRUE(run(sub_07F7B7));
    EXPECT_EQ(ram8(enemy + 56), 4);
}

// The turn aims from 128 units above the body and faces by bit 9 of
// direction + 256; the aim takes octant ((dir + 64) >> 7) & 7 and its boxes
// hit through the halfword tester every frame of the attack.
TEST_F(VolleyTest, TurnAimsFromAboveAndAttacksInTheOctant) {
    struct Case {
        uint16_t dir;
        uint8_t octant;
        bool mirrored;
    } cases[] = {{0, 0, true},    {63, 0, true},   {64, 1, true},
                 {300, 2, false}, {700, 5, false}, {960, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        SetUp();
        plant8(rom::volley_octant_boxes + 3 * c.octant, 2);
        plant8(rom::volley_octant_boxes + 3 * c.octant + 1, 0x81);
        plant8(rom::volley_octant_boxes + 3 * c.octant + 2, 3);
        plant32(rom::volley_aim_animations + 4 * c.octant, 0x135900 + c.octant);
        orb_write32(enemy + 86, var::player_records);
        direction = c.dir;
        enter(4, 2);
        pass();
        EXPECT_EQ(aimed_from_y, 1200 - 128);
        EXPECT_EQ(y_of(enemy), 1200);
        EXPECT_EQ(ram16(enemy + 90), c.dir);
        EXPECT_EQ(flag(enemy, object_flag::mirror_x), c.mirrored);
        EXPECT_EQ(ram32(enemy + object_record::frame), 0x135B62u);
        pass();  // the aim's timer runs out: octant and its animation
        EXPECT_EQ(state_of(enemy), 6);
        EXPECT_EQ(ram8(enemy + 92), c.octant);
        EXPECT_EQ(ram32(enemy + object_record::frame), 0x135900u + c.octant);
        pass(3);  // step timer 3: two frames of attack, then rest
        ASSERT_EQ(tests_of(rom::volley_aim_boxes + 8).size(), 2u);
        EXPECT_EQ(tests_of(rom::volley_aim_boxes + 24).size(), 2u);
        EXPECT_EQ(tests_of(rom::volley_aim_boxes + 8)[0].strength, 31u);
        EXPECT_EQ(state_of(enemy), 1);
        EXPECT_EQ(ram8(enemy + 56), 61);
    }
}

// Each stun adds 1; at 2 the next pose runs the volley: eight projectiles
// from the entries, sound 206, count cleared, state 1 at its end.
TEST_F(VolleyTest, TwoStunsBringTheVolley) {
    enter(19, 0);
    pass();
    EXPECT_EQ(ram8(enemy + 62), 1);
    EXPECT_EQ(calls(sub_07A68D /* stun */), 1);
    orb_write8(enemy + 57, 1);
    orb_write16(enemy, ram16(enemy) | 1u << object_flag::intangible);
    pass();  // the stun countdown
    EXPECT_EQ(state_of(enemy), 2);
    EXPECT_FALSE(flag(enemy, object_flag::intangible));
    enter(19, 0);
    pass();
    EXPECT_EQ(ram8(enemy + 62), 2);
    enter(2, 3);
    pass();
    EXPECT_EQ(state_of(enemy), 23);
    EXPECT_EQ(ram8(enemy + 62), 0);
    EXPECT_TRUE(flag(enemy, object_flag::intangible));
    ASSERT_EQ(tests_of(0x07F866, 1).size(), 1u);  // the box of frame index 1
    EXPECT_EQ(tests_of(0x07F866, 1)[0].strength, 91u);
    for (int i = 0; i < 8 && shots().empty(); ++i) pass();
    const auto fired = shots();
    ASSERT_EQ(fired.size(), 8u);
    for (uint32_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const uint32_t s = fired[i];
        EXPECT_EQ(ram8(s + 3), i);
        EXPECT_EQ(ram16(s + object_record::owner), static_cast<uint16_t>(enemy));
        EXPECT_EQ(ram32(s + object_record::frame), 0x136000u + 16 * i);
        EXPECT_EQ(ram16(s) & ~(1u << object_flag::listed), 0x8001);
        EXPECT_EQ(x_of(s), static_cast<int>(800 + 10 * i + i));  // it flew one step already
        EXPECT_EQ(y_of(s), static_cast<int>(1200 - 4 * i - 1));
        EXPECT_EQ(s16(s + object_record::height), 224);
    }
    const auto codes = sounds(var::sound_ring_a);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0xCE), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0xF2), 4);
    pass(3);
    EXPECT_EQ(state_of(enemy), 1);
    EXPECT_FALSE(flag(enemy, object_flag::intangible));
    EXPECT_EQ(ram8(enemy + 56), 61);
}

// With three free objects the volley makes three projectiles and runs the
// rest of its step as usual.
TEST_F(VolleyTest, VolleyWithFewObjectsFiresWhatIsFree) {
    enter(22, 1);
    pass();  // volley 1 ends at once: volley 2 with timer 3
    pass();
    free_128(3);
    pass();
    ASSERT_EQ(shots().size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(ram8(shots()[i] + 3), i);
    EXPECT_EQ(state_of(enemy), 25);
    EXPECT_EQ(ram8(enemy + 56), 2);
    const auto codes = sounds(var::sound_ring_a);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0xCE), 1);
    EXPECT_EQ(ram16(var::free_stack_128), 0);
}

// A projectile flies on after hits and is freed outside screen y -80..400
// or when it is not listed.
TEST_F(VolleyTest, ProjectileFliesOnUntilItLeavesTheBand) {
    struct Case {
        int y, step;
        uint16_t flags;
        int frames_alive;  // frames it is still on the ring after
    } cases[] = {
        {1700, 0, 0x8001, 3},   // stays
        {1780, 40, 0x8001, 1},  // screen y 399, then 409
        {-100, 0, 0x8001, 0},   // screen y -81
        {1000, 0, 0x8003, 0},   // hidden: never listed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        SetUp();
        plant8(rom::volley_shot_box_lists + 3 * 2, 1);
        plant8(rom::volley_shot_box_lists + 3 * 2 + 1, 4);
        const uint32_t shot = actor(c.flags);
        orb_write32(shot + object_record::routine, entry::sub_07F70B);
        orb_write8(shot + 3, 2);
        orb_write8(shot + object_record::state, 1);
        orb_write16(shot + object_record::height, 224);
        orb_write8(shot + 40, static_cast<uint8_t>(c.step));
        put(shot, 400, c.y);
        int alive = 0;
        for (int f = 0; f < 3; ++f) {
            pass();
            if (!on_ring(shot)) break;
            ++alive;
        }
        EXPECT_EQ(alive, c.frames_alive);
        ASSERT_EQ(tests_of(rom::volley_shot_boxes + 16).size(), static_cast<size_t>(c.frames_alive));
        if (c.frames_alive) {
            EXPECT_EQ(tests_of(rom::volley_shot_boxes + 16)[0].strength, 51u);
        }
    }
}

TEST_F(VolleyTest, DefeatSetsTheCameraControllersState) {
    const uint32_t controller = actor(0x0001, sub_088C77);
    orb_write32(var::area_controller, controller);
    enter(26, 0);
    pass();
    EXPECT_EQ(state_of(controller), 12);
    EXPECT_EQ(calls(sub_07A70C /* defeat */), 1);
}

TEST_F(VolleyTest, GenericActionsRunThroughTheRuntimeAndOthersEndTheRun) {
    enter(3, 0);
    pass();
    EXPECT_EQ(calls(sub_07A50F /* wait */), 1);
    EXPECT_EXIT(
        {
            plant32(rom::volley_states + 4 * 7, 0x07FFF0);
            enter(7, 0);
            pass();
        },
        ::testing::ExitedWithCode(3), "07FFF0");
}

// The props' guard: nothing with game_flags bit 11 clear; set, it frees the
// object, ends its caller's frame and leaves the count.
TEST_F(VolleyTest, AreaChangeGuardFreesTheObjectAndEndsTheFrame) {
    for (bool changing : {false, true}) {
        SCOPED_TRACE(changing);
        SetUp();
        bool went_on = false;
        fake(kTestEntry[5], body_fn([&went_on] {
                 if (!try_call(sub_07F113)) return ended::already;
                 went_on = true;
                 return ended::by_return;
             }));
        const uint32_t prop = actor(0x0001);
        orb_write32(prop + object_record::routine, kTestEntry[5]);
        orb_write8(var::live_enemy_count, 3);
        enter(1, 0);
        if (changing) orb_write32(var::game_flags, 1u << game_flag::area_change);
        const uint16_t free = ram16(var::free_stack_128);
        pass();
        EXPECT_EQ(went_on, !changing);
        EXPECT_EQ(on_ring(prop), !changing);
        EXPECT_EQ(ram16(var::free_stack_128), changing ? free + 1 : free);
        EXPECT_EQ(ram8(var::live_enemy_count), 3);
    }
}

}  // namespace
