// Enemy types 5 and 6: the body with its follower and attack pieces, run by
// the object runner on the real pools with the generic AI stood in.
#include "game/actors/tables.h"
#include "tests/game/ai_stand_ins.h"

namespace {

constexpr uint32_t kData = 0x130000;  // direction byte, then the platform list
constexpr uint32_t kList = kData + 1;
constexpr uint32_t kNumbers = 0x131000;  // attack box numbers of variant 0
constexpr uint32_t kIdleState = GameRoutineTest::kTestEntry[3];
constexpr int kLeft = 100, kRight = 400;
constexpr uint8_t kDir = 2;

class TwoPieceTest : public AiTest {
protected:
    void SetUp() override {
        AiTest::SetUp();
        fake(kIdleState);
        const uint32_t states[25] = {
            entry::sub_07DDB5, kIdleState,        kIdleState,        entry::sub_07DE44, entry::sub_07DE52,
            entry::sub_07DE8C, entry::sub_07DE9A, entry::sub_07DE16, kIdleState,        kIdleState,
            kIdleState,        entry::sub_07DF92, entry::sub_07DFA5, entry::sub_07DFAE, entry::sub_07DFDB,
            entry::sub_07DED4, entry::sub_07DF0A, entry::sub_07DF38, entry::sub_07DF7A, entry::sub_07E031,
            entry::sub_07E034, entry::sub_07E048, entry::sub_07E05A, entry::sub_07DFEF, entry::sub_07E017};
        for (uint32_t s = 0; s < 25; ++s) plant32(rom::two_piece_states + 4 * s, states[s]);
        plant8(kData, kDir);
        plant16(kList + 4, kLeft);
        plant16(kList + 6, kRight);
        plant16(rom::two_piece_steps_right + 4 * kDir, 30);  // right: dx 30, dy 2
        plant16(rom::two_piece_steps_right + 4 * kDir + 2, 2);
        plant16(rom::two_piece_steps_left + 4 * kDir, static_cast<uint16_t>(-30));
        plant16(rom::two_piece_steps_left + 4 * kDir + 2, static_cast<uint16_t>(-2));
        for (uint32_t t = 0; t < 4; ++t) {
            plant8(rom::two_piece_strengths + t, static_cast<uint8_t>(10 + t));  // strengths, variant 0
            plant8(rom::two_piece_landing_strength + t, static_cast<uint8_t>(70 + t));  // landing
        }
        // The reload and approach tables overlap a byte apart: at rank 2
        // the reload reads 0x07E922 and the approach value 0x07E923.
        plant8(0x07E922, 22);
        plant8(0x07E923, 42);
        plant8(0x07E907, 2);
        plant32(0x07E598, kNumbers);
        rank(2);
    }

    // A body of the type with its pieces started; returns it.
    uint32_t body(uint32_t spawn_routine = entry::sub_07DCE0) {
        const uint32_t b = actor(0x8001);
        orb_write32(b + object_record::routine, spawn_routine);
        orb_write32(b + 16, kData);
        put(b, 200, 500);
        pass();
        return b;
    }
    static uint32_t piece(uint32_t b, uint32_t routine) {
        for (uint32_t o : running(routine))
            if ((var::object_area | ram16(o + object_record::owner)) == b) return o;
        return 0;
    }
    static void enter(uint32_t b, uint8_t state, uint8_t timer = 9) {
        orb_write8(b + object_record::state, state);
        orb_write8(b + 56, timer);
    }
};

TEST_F(TwoPieceTest, StartTakesDirectionListAndPiecesWhileObjectsAreFree) {
    for (uint16_t free : {2, 1, 0}) {
        SCOPED_TRACE(free);
        SetUp();
        const uint32_t b = actor(0x8001);
        orb_write32(b + object_record::routine, entry::sub_07DCF3);
        orb_write32(b + 16, kData);
        free_128(free);
        pass();
        EXPECT_EQ(ram8(b + object_record::type), 6);
        EXPECT_EQ(ram8(b + 88), 1);
        EXPECT_EQ(ram32(b + object_record::routine), entry::sub_07DD04);
        EXPECT_EQ(ram8(b + 38), kDir);
        EXPECT_EQ(ram32(b + 16), kList);
        EXPECT_EQ(ram32(b + 72), kList);
        EXPECT_EQ(ram8(b + object_record::state), 1);
        EXPECT_EQ(ram8(b + 56), 22);
        EXPECT_EQ(ram8(var::live_enemy_count), 1);
        const uint32_t follower = piece(b, entry::sub_07E0B0), attacker = piece(b, entry::sub_07E11E);
        EXPECT_EQ(follower != 0, free >= 1);
        EXPECT_EQ(attacker != 0, free >= 2);
        if (attacker) {
            EXPECT_EQ(ram8(attacker + object_record::type), 1);
            EXPECT_EQ(ram16(b + object_record::partner), static_cast<uint16_t>(attacker));
        }
        EXPECT_EQ(calls(sub_07A523 /* place */), 0);
    }
}

// A walk stops on its platform limit with state 1; otherwise it steps on.
TEST_F(TwoPieceTest, WalksClampToThePlatformLimits) {
    struct Case {
        uint8_t state;
        int x;
        uint8_t length;
        int want_x, want_y;
        uint8_t want_state;  // 2: the decision ran
    } cases[] = {
        {3, 380, 50, kRight, 500, 1}, {3, 300, 50, 330, 502, 4}, {3, 300, 1, 330, 502, 2},
        {5, 120, 50, kLeft, 500, 1},  {5, 200, 50, 170, 498, 6}, {5, 200, 1, 170, 498, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        SetUp();
        walk_length = c.length;
        const uint32_t b = body();
        enter(b, c.state);
        put(b, c.x, 500);
        pass();
        EXPECT_EQ(x_of(b), c.want_x);
        EXPECT_EQ(y_of(b), c.want_y);
        EXPECT_EQ(state_of(b), c.want_state);
        EXPECT_EQ(ram8(b + 89), c.state == 3 ? 255 : 0);
    }
}

// At timer 0 with no player in the box the check runs again every frame and
// the walk goes on; a touch sends the body to the jump and skips the step.
TEST_F(TwoPieceTest, ApproachCheckRepeatsUntilAPlayerIsInTheBox) {
    const uint32_t b = body();
    enter(b, 4, 0);
    put(b, 200, 500);
    pass(3);
    EXPECT_EQ(tests_of(rom::two_piece_approach_box).size(), 3u);
    EXPECT_EQ(ram8(b + 56), 0);
    EXPECT_EQ(x_of(b), 290);
    touch = true;
    pass();
    EXPECT_EQ(state_of(b), 15);
    EXPECT_EQ(ram8(b + 56), 42);
    EXPECT_EQ(x_of(b), 290);
    // A running timer only counts down.
    enter(b, 4, 5);
    pass();
    EXPECT_EQ(ram8(b + 56), 4);
    EXPECT_EQ(tests_of(rom::two_piece_approach_box).size(), 4u);
}

// The jump turns the body, rises and lands on the y it started from with
// the landing hit of its rank.
TEST_F(TwoPieceTest, JumpLandsWhereItStartedFacingTheOtherWay) {
    const uint32_t b = body();
    enter(b, 15);
    put(b, 250, 480);
    int highest = 480;
    for (int i = 0; i < 100 && (i == 0 || state_of(b) != 1); ++i) {
        pass();
        highest = std::min<int>(highest, y_of(b));
        EXPECT_TRUE(flag(b, object_flag::airborne) || state_of(b) == 1);
    }
    EXPECT_EQ(state_of(b), 1);
    EXPECT_EQ(y_of(b), 480);
    EXPECT_EQ(x_of(b), 250);
    EXPECT_LT(highest, 480 - 200);
    EXPECT_TRUE(flag(b, object_flag::mirror_x));
    const auto landing = tests_of(rom::two_piece_approach_box);
    ASSERT_EQ(landing.size(), 1u);
    EXPECT_EQ(landing[0].strength, 72u);
    EXPECT_EQ(ram8(b + 56), 22);
}

// The strike hits once, at frame index 1, after its wind-up.
TEST_F(TwoPieceTest, StrikeHitsOnceAtFrameOne) {
    const uint32_t b = body();
    enter(b, 11, 3);
    std::vector<int> hit_frames;
    for (int i = 0; i < 12; ++i) {
        const size_t before = tests_of(rom::two_piece_probe_boxes, 1).size();
        pass();
        if (tests_of(rom::two_piece_probe_boxes, 1).size() > before)
            hit_frames.push_back(ram8(b + object_record::frame_index));
    }
    ASSERT_EQ(hit_frames.size(), 1u);
    EXPECT_EQ(hit_frames[0], 1);
    EXPECT_EQ(tests_of(rom::two_piece_probe_boxes, 1)[0].strength, 12u);
    EXPECT_EQ(ram32(b + object_record::frame), rom::two_piece_strike_animation);
    EXPECT_EQ(state_of(b), 1);
}

TEST_F(TwoPieceTest, PartZeroFlashesWhileTheStunTimerRuns) {
    const uint32_t b = body();
    for (uint8_t stun : {0, 3}) {
        orb_write8(b + 57, stun);
        orb_write16(b + 110, 0xA85F);
        enter(b, 1);
        pass();
        EXPECT_EQ(ram16(b + 110), stun ? 0xAC70 : 0xAA00);
    }
}

// The knock-down fall flashes both parts every frame whatever +57 holds and
// lands on +90 with state 1 and bits 2 and 13 cleared.
TEST_F(TwoPieceTest, KnockDownFallFlashesBothPartsAndLands) {
    const uint32_t b = body();
    enter(b, 21);
    orb_write8(b + 57, 0);
    orb_write16(b + 90, 500);
    put(b, 200, 470);
    orb_write8(b + 40, static_cast<uint8_t>(-4));
    orb_write16(b, ram16(b) | 1u << object_flag::intangible | 1u << object_flag::airborne);
    int frames = 0;
    while (frames < 50 && (frames == 0 || state_of(b) != 1)) {
        orb_write16(b + 110, 0x0800);
        orb_write16(b + 126, 0x0800);
        pass();
        ++frames;
        EXPECT_EQ(ram16(b + 110), 0x0C70);
        EXPECT_EQ(ram16(b + 126), 0x0C70);
    }
    EXPECT_EQ(state_of(b), 1);
    EXPECT_EQ(y_of(b), 500);
    EXPECT_FALSE(flag(b, object_flag::intangible));
    EXPECT_FALSE(flag(b, object_flag::airborne));
}

// The attack piece enters its boxes in table B naming the body, only when the
// body was listed this frame.
TEST_F(TwoPieceTest, AttackPieceBoxesCountAsTheBodys) {
    const uint32_t b = body();
    const uint32_t a = piece(b, entry::sub_07E11E);
    ASSERT_NE(a, 0u);
    plant8(0x132000, 1);
    plant8(0x132001, static_cast<uint8_t>(-2));
    plant8(0x132002, 4);
    plant8(0x132003, static_cast<uint8_t>(-1));
    plant8(0x132004, 2);
    orb_write32(b + object_record::hitbox_data, 0x133000);
    for (bool listed : {true, false}) {
        SCOPED_TRACE(listed);
        const uint16_t bit = 1u << object_flag::listed;
        orb_write16(b, listed ? ram16(b) | bit : ram16(b) & ~bit);
        orb_write32(a + object_record::hitbox_data, 0x132000);
        orb_write16(var::hitbox_table_b, 0);
        enter(b, 1);
        pass();
        ASSERT_EQ(ram8(var::hitbox_table_b), listed ? 1 : 0);
        if (listed) {
            EXPECT_EQ(ram32(var::hitbox_table_b + hitbox_entry::size), b);
        }
        EXPECT_EQ(ram32(b + object_record::hitbox_data), 0x133000u);
    }
}

// Probe, attack boxes by frame and direction, attack end reloading the body.
TEST_F(TwoPieceTest, AttackPieceProbesAttacksAndReloadsTheBody) {
    const uint32_t b = body();
    const uint32_t a = piece(b, entry::sub_07E11E);
    ASSERT_NE(a, 0u);
    plant8(kNumbers + 16 * 2 + kDir, 5);
    plant8(kNumbers + 16 * 6 + kDir, 7);
    plant32(rom::two_piece_idle_animations + 4 * kDir, 0x135100);
    anim_frames = 8;
    enter(b, 1, 3);
    touch = true;
    pass();
    EXPECT_TRUE(tests_of(rom::two_piece_probe_boxes).empty());  // the body's timer runs: no probe
    enter(b, 1, 0);
    pass();
    EXPECT_EQ(tests_of(rom::two_piece_probe_boxes).size(), 1u);
    EXPECT_EQ(state_of(a), 2);
    touch = false;
    for (int i = 0; i < 8 && state_of(a) != 1; ++i) pass();
    EXPECT_EQ(state_of(a), 1);
    const auto hits = tests_of(rom::two_piece_attack_boxes + 4 * 5);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].object, a);
    EXPECT_EQ(hits[0].strength, 12u);
    EXPECT_EQ(tests_of(rom::two_piece_attack_boxes + 4 * 7).size(), 1u);
    EXPECT_TRUE(tests_of(rom::two_piece_attack_boxes).empty());  // number 0: no box
    EXPECT_EQ(ram8(b + 56), 22);
    EXPECT_EQ(ram32(a + object_record::frame), 0x135100u);
}

// Which pieces show by the body's state.
TEST_F(TwoPieceTest, PiecesShowHideAndLeaveByTheBodysState) {
    struct Case {
        uint8_t state;
        bool follower, attacker, gone;
    } cases[] = {{1, true, true, false},   {10, true, true, false},   {11, false, true, false},
                 {12, false, true, false}, {13, false, false, false}, {22, false, false, false},
                 {23, false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.state});
        SetUp();
        for (uint32_t s = 0; s < 25; ++s)
            if (s) plant32(rom::two_piece_states + 4 * s, kIdleState);
        const uint32_t b = body();
        const uint32_t f = piece(b, entry::sub_07E0B0), a = piece(b, entry::sub_07E11E);
        ASSERT_NE(a, 0u);
        enter(b, c.state);
        orb_write16(f, ram16(f) & ~(1u << object_flag::listed));
        orb_write16(a, ram16(a) & ~(1u << object_flag::listed));
        pass();
        EXPECT_EQ(on_ring(f), !c.gone);
        EXPECT_EQ(on_ring(a), !c.gone);
        if (c.gone) continue;
        EXPECT_EQ(flag(f, object_flag::listed), c.follower);
        EXPECT_EQ(flag(a, object_flag::listed), c.attacker);
    }
}

// The defeat makes effect 6 and frees the body 10 frames later, count - 1.
TEST_F(TwoPieceTest, DefeatMakesTheEffectAndLeavesTenFramesLater) {
    const uint32_t b = body();
    enter(b, 23);
    pass();
    ASSERT_EQ(running(entry::sub_07B615 /* short effect */).size(), 1u);
    const uint32_t effect = running(entry::sub_07B615 /* short effect */)[0];
    EXPECT_EQ(ram8(effect + object_record::type), 6);
    EXPECT_EQ(ram16(effect + object_record::owner), static_cast<uint16_t>(b));
    pass(8);
    EXPECT_TRUE(on_ring(b));
    EXPECT_EQ(ram8(var::live_enemy_count), 1);
    pass();
    EXPECT_FALSE(on_ring(b));
    EXPECT_EQ(ram8(var::live_enemy_count), 0);
}

TEST_F(TwoPieceTest, StopAndWaitTakesTheMirrorBitsAndWaits) {
    plant16(rom::two_piece_mirror_bits + 2 * kDir, 0x0040);
    plant32(rom::two_piece_wait_animations + 4 * kDir, 0x135000);
    const uint32_t b = body();
    orb_write16(b, ram16(b) | 1u << object_flag::airborne);
    enter(b, 7);
    pass();
    EXPECT_EQ(state_of(b), 8);
    EXPECT_TRUE(flag(b, object_flag::mirror_x));
    EXPECT_FALSE(flag(b, object_flag::airborne));
    EXPECT_EQ(ram32(b + object_record::frame), 0x135000u);
    EXPECT_EQ(calls(sub_07A50F /* wait */), 1);
}

TEST_F(TwoPieceTest, UnwrittenStateEndsTheRun) {
    EXPECT_EXIT(
        {
            plant32(rom::two_piece_states + 4, 0x07FFF0);
            body();
            pass();
        },
        ::testing::ExitedWithCode(3), "07FFF0");
}

}  // namespace
