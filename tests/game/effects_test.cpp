#include <gtest/gtest.h>

#include <cstdint>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/routines.h"
#include "tests/game/flow_fixture.h"

namespace {

constexpr uint32_t kParameter = 0x20F000;  // the drifting object's parameter byte

struct kind {
    uint32_t routine, table;
    uint32_t states[3];
};
constexpr kind k55{entry::sub_0770E0, rom::touch55_states, {0x077100, 0x077123, 0x077154}};
constexpr kind k56{entry::sub_0771A2, rom::touch56_states, {0x0771C4, 0x0771E7, 0x077222}};
constexpr kind k57{entry::sub_077270, rom::drifter_states, {0x077290, 0x077304, 0x07730D}};

class EffectObjects : public FlowObjectTest {
protected:
    void SetUp() override {
        FlowObjectTest::SetUp();
        for (const kind& k : {k55, k56, k57})
            for (uint32_t s = 0; s < 3; ++s) plant32(k.table + 4 * s, k.states[s]);
        plant32(rom::drifter_directions, 0x0772D8);
        plant32(0x0772D0, 0x0772E0);
        plant32(0x0772D4, 0x0772EA);
        plant16(rom::strike_word, 0x5123);  // kind 5, strength 0x123
        fake(sub_07AB3F /* active area */);
        fake(sub_06925A /* random */, [] { cpu.reg[0] = 0xABCDEF03; });  // speed 16
        fake_all({sub_088180 /* touch test 55 */, sub_088185 /* strike 55 */, sub_088347 /* touch test 56 */,
                  sub_08834C /* strike 56 */});
    }
    uint32_t make(const kind& k) { return spawn(k.routine, sub_088C67); }
    // The animation stand-in leaves this frame index and duration at each tick.
    void animate(uint8_t index, uint8_t duration) {
        fake(sub_061FB6 /* tick */, [index, duration] {
            orb_write8(cpu.reg[20] + object_record::frame_index, index);
            orb_write8(cpu.reg[20] + object_record::frame_duration, duration);
        });
    }
    static bool released(uint32_t object) {
        return ram16(var::free_stack_128 + 2 * ram16(var::free_stack_128)) == static_cast<uint16_t>(object);
    }
};

TEST_F(EffectObjects, AnAreaChangeRemovesEachEvenInItsSetUpFrame) {
    for (const kind& k : {k55, k56, k57}) {
        SCOPED_TRACE(k.routine);
        const uint32_t object = make(k);
        orb_write32(object, 0xFFFF);
        orb_write32(var::game_flags, 1u << 11);
        frame();
        EXPECT_TRUE(ring().empty());
        EXPECT_EQ(ram16(var::free_stack_128), 124) << "back in its pool";
        EXPECT_TRUE(released(object));
        EXPECT_EQ(ram16(object) & 1, 0);
        EXPECT_TRUE(scripts.empty()) << "nothing else ran";
        orb_write32(var::game_flags, 0);
    }
}

TEST_F(EffectObjects, TouchStartsTheSecondScriptAndTheSoundThenStrikesOnFrameOne) {
    struct row {
        kind k;
        uint32_t touch, strike, first, second, touch_box, strike_box;
        uint32_t list;
    };
    for (const row& c : {row{k55, entry::sub_088180 /* touch test 55 */, entry::sub_088185 /* strike 55 */,
                             rom::touch55_waiting_script, rom::touch55_triggered_script, rom::touch55_box,
                             rom::strike55_box, entry::sub_0620CD /* list by ground */},
                         row{k56, entry::sub_088347 /* touch test 56 */, entry::sub_08834C /* strike 56 */,
                             rom::touch56_waiting_script, rom::touch56_triggered_script, rom::touch56_box,
                             rom::strike56_box, entry::sub_062094 /* list by height */}}) {
        SCOPED_TRACE(c.k.routine);
        init_objects();
        scripts.clear();
        sounds.clear();
        frame_no = 0;
        const uint32_t object = make(c.k);
        uint32_t touch_box = 0, strike_box = 0, strength = 0, kind_seen = 0;
        int strikes = 0;
        fake(c.touch, [&, this] {
            touch_box = cpu.reg[10];
            if (frame_no == 2) orb_write32(cpu.reg[20], orb_read32(cpu.reg[20]) | 1u << 10);
        });
        fake(c.strike, [&] {
            ++strikes;
            strike_box = cpu.reg[10];
            strength = cpu.reg[16];
            kind_seen = orb_read8(cpu.reg[20] + object_record::attack_kind);
        });
        animate(0, 5);
        frame();  // set-up and waiting
        EXPECT_EQ(ram16(object + object_record::owner), static_cast<uint16_t>(object));
        EXPECT_EQ(ram8(object + object_record::type), c.k.routine == k55.routine ? 55 : 56);
        EXPECT_EQ(ram16(object), 0x21) << "flags 1, and listed";
        EXPECT_EQ(state(object), 1);
        EXPECT_EQ(touch_box, c.touch_box);
        EXPECT_EQ(calls(c.list), 1);
        EXPECT_EQ(scripts, (std::vector<uint32_t>{c.first}));

        frame();  // touched: second script, sound, and the triggered step at once
        EXPECT_EQ(scripts, (std::vector<uint32_t>{c.first, c.second}));
        EXPECT_EQ(sounds, (std::vector<sound>{{'A', 0xEB, 2}}));
        EXPECT_EQ(state(object), 2);
        EXPECT_EQ(ram16(object) & (1u << 10), 0) << "the touch bit is cleared";
        EXPECT_EQ(strikes, 0) << "frame index 0";

        animate(1, 5);
        frame();
        EXPECT_EQ(strikes, 1);
        EXPECT_EQ(strike_box, c.strike_box);
        EXPECT_EQ(strength, 0x123u);
        EXPECT_EQ(kind_seen, 5u);

        animate(2, 0);  // the animation stops
        frame();
        EXPECT_EQ(strikes, 1);
        EXPECT_TRUE(ring().empty());
        EXPECT_TRUE(released(object));
    }
}

TEST_F(EffectObjects, TheFlatObjectLeavesWhenOutsideTheActiveWindow) {
    const uint32_t object = make(k56);
    fake(sub_07AB3F /* active area */, [] { orb_write32(cpu.reg[20], orb_read32(cpu.reg[20]) & ~1u); });
    frame();
    EXPECT_TRUE(ring().empty());
    EXPECT_TRUE(released(object));
    EXPECT_EQ(calls(sub_088347 /* touch test 56 */), 0);
}

TEST_F(EffectObjects, DriftingObjectStartsEightyFramesAwayAndLeavesOnceNoLongerListed) {
    struct row {
        uint8_t parameter;
        int start_x, step;
        bool mirrored;
    };
    for (const row& c :
         {row{1, 2000 - 1280, 16, false}, row{2, 2000 + 1280, -16, true}, row{0, 2000, 0, false}}) {
        SCOPED_TRACE(c.parameter);
        init_objects();
        frame_no = 0;
        const uint32_t object = make(k57);
        orb_write8(kParameter, c.parameter);
        orb_write32(object + object_record::screen_x, kParameter);
        orb_write16(object + object_record::world_x, 2000);
        list_on_screen = false;
        frame();  // set-up, then one move while coming in
        EXPECT_EQ(ram8(object + object_record::type), 57);
        EXPECT_EQ(static_cast<int8_t>(ram8(object + 39)), c.step);
        EXPECT_EQ(static_cast<int16_t>(ram16(object + object_record::world_x)), c.start_x + c.step);
        EXPECT_EQ((ram16(object) >> 6) & 1, c.mirrored ? 1 : 0);
        frame();
        EXPECT_EQ(state(object), 1) << "not yet listed: still coming in";
        list_on_screen = true;
        frame();
        frame();
        EXPECT_EQ(state(object), 2);
        EXPECT_EQ(static_cast<int16_t>(ram16(object + object_record::world_x)), c.start_x + 4 * c.step);
        list_on_screen = false;
        frame();  // moved, but no longer listed
        EXPECT_EQ(ring().size(), 1u);
        frame();
        EXPECT_TRUE(ring().empty());
        EXPECT_TRUE(released(object));
    }
}

TEST_F(EffectObjects, AnUnknownStateOrDirectionEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const uint32_t object = make(k55);
    orb_write8(object + object_record::state, 3);
    cpu.reg[20] = object;
    EXPECT_EXIT(run(sub_0770E0), ::testing::ExitedWithCode(3),
                "Jump from 0770F0 to 000000 has no translated target");
    orb_write8(object + object_record::state, 0);
    orb_write8(kParameter, 3);
    orb_write32(object + object_record::screen_x, kParameter);
    plant32(0x0772D8, 0x077300);
    EXPECT_EXIT(run(sub_077270), ::testing::ExitedWithCode(3),
                "Jump from 0772C6 to 077300 has no translated target");
}

}  // namespace
