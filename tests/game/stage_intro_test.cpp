#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/machine.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "tests/game/flow_fixture.h"

namespace {

constexpr uint32_t kActorList = 0x09A000;
constexpr uint32_t kTitleRecord = 0x09B000;

class StageIntro : public FlowObjectTest {
protected:
    void SetUp() override {
        FlowObjectTest::SetUp();
        orb_write8(var::stage, 2);
        orb_write8(var::ingame_state, flow_state::stage_wait_in);
        plant16(rom::intro_countdowns + 2, 5);       // countdown of stage 2
        plant32(rom::intro_palettes + 4, 0x123456);  // its palette job
        plant32(rom::intro_actor_lists + 4, kActorList);
        plant8(rom::intro_sounds + 2, 0x55);  // its sound
        fake(kTestEntry[0]);
        fake(kTestEntry[1]);
        fake(kTestEntry[2]);
    }
    void actors(std::vector<uint32_t> routines) {
        plant8(kActorList, static_cast<uint8_t>(routines.size()));
        for (uint32_t i = 0; i < routines.size(); ++i) plant32(kActorList + 1 + 4 * i, routines[i]);
    }
    uint32_t actor(uint32_t routine) { return spawn(routine, sub_088C57); }
    void press(uint32_t slot, uint8_t bits) { orb_write8(var::player_presses + slot, bits); }
};

TEST_F(StageIntro, TheControllerCreatesTheStageActorsAndQueuesItsPaletteAndSound) {
    actors({kTestEntry[0], kTestEntry[1]});
    orb_write32(var::game_flags, 0x4005);
    const uint32_t controller = actor(entry::sub_089800);
    frame();
    const std::vector<uint32_t> objects = ring();
    ASSERT_EQ(objects.size(), 3u);
    for (uint32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(ram32(objects[1 + i] + object_record::routine), kTestEntry[i]);
        EXPECT_EQ(ram16(objects[1 + i] + object_record::owner), static_cast<uint16_t>(controller));
    }
    EXPECT_EQ(calls(kTestEntry[0]), 1) << "the new actors run in the same pass";
    EXPECT_EQ(ram16(controller), 1);
    EXPECT_EQ(ram16(controller + 54), 5);
    EXPECT_EQ(ram8(controller + 72), 0x05);
    EXPECT_EQ(ram32(var::palette_queue), 1u);
    EXPECT_EQ(ram32(var::palette_queue + 4), 0x123456u);
    EXPECT_EQ(sounds, (std::vector<sound>{{'A', 0x55, 1}}));
}

TEST_F(StageIntro, AnEmptyPoolEndsTheActorCreation) {
    actors({kTestEntry[0], kTestEntry[1], kTestEntry[2]});
    const uint32_t controller = actor(entry::sub_089800);
    while (ram16(var::free_stack_256) > 1) actor(kTestEntry[3]);
    fake(kTestEntry[3]);
    frame();
    EXPECT_EQ(ram16(var::free_stack_256), 0);
    EXPECT_EQ(calls(kTestEntry[0]), 1);
    EXPECT_EQ(calls(kTestEntry[1]) + calls(kTestEntry[2]), 0);
    EXPECT_EQ(state(controller), 1);
    EXPECT_EQ(sounds.size(), 1u) << "the set-up goes on to its sound";
}

TEST_F(StageIntro, TheCountdownEndsTheWaitInItsNthFrame) {
    actors({});
    const uint32_t controller = actor(entry::sub_089800);
    frames(3);
    EXPECT_EQ(ram8(var::ingame_state), flow_state::stage_wait_in) << "waits for state 13";
    EXPECT_EQ(ram16(controller + 54), 5);
    orb_write8(var::ingame_state, flow_state::stage_intro);
    for (int n = 1; n <= 5; ++n) {
        frame();
        EXPECT_EQ(ram8(var::ingame_state), n < 5 ? flow_state::stage_intro : flow_state::intro_fade_out)
            << "frame " << n << " of state 2";
    }
    EXPECT_EQ(state(controller), 3);
    frames(3);
    EXPECT_EQ(ram8(var::ingame_state), flow_state::intro_fade_out) << "once";
}

TEST_F(StageIntro, OnlyASlotInPlayTheFrameBeforeEndsItWithAButton) {
    struct row {
        uint32_t slot;
        uint8_t bits;
        bool ends;
    };
    for (const row& c : {row{1, 0x10, true}, row{1, 0x20, true}, row{1, 0x40, false}, row{2, 0x10, false}}) {
        SCOPED_TRACE(c.slot * 256 + c.bits);
        init_objects();
        orb_write8(var::ingame_state, flow_state::stage_intro);
        orb_write32(var::game_flags, 0x2);
        actors({});
        const uint32_t controller = actor(entry::sub_089800);
        frames(2);                                         // set-up, then the first frame of state 2
        orb_write32(var::game_flags, 0x2 | 1u << c.slot);  // slot 2 joins now
        press(c.slot, c.bits);
        frame();
        EXPECT_EQ(ram8(var::ingame_state), c.ends ? flow_state::intro_fade_out : flow_state::stage_intro);
        press(c.slot, 0);
        EXPECT_EQ(state(controller), c.ends ? 3 : 2);
    }
    // The slot that joined is in play the next frame.
    press(2, 0x10);
    frame();
    EXPECT_EQ(ram8(var::ingame_state), flow_state::intro_fade_out);
}

TEST_F(StageIntro, TheSoundSequencePlaysItsListOnRingB) {
    struct row {
        std::vector<uint8_t> list;
        std::vector<sound> want;
    };
    for (const row& c :
         {row{{5, 0, 0x41, 3, 0, 0x42, 0, 0}, {{'A', 0x90, 6}, {'B', 0x41, 11}, {'B', 0x42, 15}}},
          row{{0, 0, 0x41}, {{'A', 0x90, 6}}}}) {
        init_objects();
        sounds.clear();
        frame_no = 0;
        for (uint32_t i = 0; i < c.list.size(); ++i) plant8(rom::intro_sound_sequence + i, c.list[i]);
        const uint32_t object = actor(entry::sub_089D23);
        frames(30);
        EXPECT_EQ(sounds, c.want);
        EXPECT_EQ(state(object), 4);
        EXPECT_TRUE(listings.empty());
    }
}

TEST_F(StageIntro, TheArcActorSnapsToItsEndAndShowsFrameSeven) {
    plant16(rom::intro_arc_delay, 2);    // delay
    plant16(rom::intro_arc_start_x, 0);  // x, y in quarter pixels
    plant16(rom::intro_arc_start_y, 400);
    plant8(rom::intro_arc_step_x, 10);  // steps
    plant8(rom::intro_arc_step_y, 5);
    plant16(rom::intro_arc_end_x, 200);  // end
    plant16(rom::intro_arc_end_y, 300);
    const uint32_t object = actor(entry::sub_089BBF);
    frames(2);
    EXPECT_EQ(scripts, (std::vector<uint32_t>{rom::intro_arc_script}));
    EXPECT_EQ(ram16(object + object_record::height), 64);
    EXPECT_TRUE(listings.empty()) << "nothing shown while it waits";
    int x = 0, y = 400, dx = 10, dy = 5;
    for (int n = 0; n < 5; ++n) {  // x: 11, 23, 36, 50, 65
        frame();
        x += ++dx;
        y += --dy;
        EXPECT_EQ(ram16(object + object_record::screen_x), x >> 2);
        EXPECT_EQ(ram16(object + object_record::screen_y), y >> 2);
        EXPECT_EQ(state(object), 2);
    }
    frame();  // 81 reaches 200 - 128
    EXPECT_EQ(state(object), 3);
    EXPECT_EQ(ram16(object + object_record::world_x), 200);
    EXPECT_EQ(ram16(object + object_record::world_y), 300);
    EXPECT_EQ(ram16(object + object_record::screen_x), 50);
    EXPECT_EQ(ram16(object + object_record::screen_y), 75);
    EXPECT_EQ(shown_frames, (std::vector<uint8_t>{7}));
    frame();
    EXPECT_EQ(ram16(object + object_record::world_x), 200) << "it stays";
    EXPECT_EQ(listed_in(object, 9), 1);
}

TEST_F(StageIntro, GrowingActorsStopAtTheirLimitsKeepingTheTopBits) {
    const uint32_t record = rom::growing_actor_b;
    plant32(record, 0x133333);
    plant16(record + 4, 1);  // delay
    plant16(record + 6, 40);
    plant16(record + 8, 50);
    plant8(record + 10, 100);   // x step
    plant8(record + 11, 60);    // y step
    plant16(record + 12, 300);  // x limit
    plant16(record + 14, 100);  // y limit
    const uint32_t object = actor(entry::sub_0899B9);
    orb_write16(object + 100, 0xFC00);
    orb_write16(object + 102, 0xA800);
    frame();
    EXPECT_EQ(ram32(object + object_record::routine), entry::sub_0899DB);
    EXPECT_EQ(ram32(object + 66), record);
    EXPECT_EQ(scripts, (std::vector<uint32_t>{0x133333}));
    EXPECT_EQ(ram16(object + object_record::screen_x), 40);
    EXPECT_EQ(ram16(object + object_record::height), 288);
    orb_write8(var::ingame_state, flow_state::stage_intro);
    const uint16_t want_x[] = {100, 200, 300, 300}, want_y[] = {60, 100, 100, 100};
    for (int n = 0; n < 4; ++n) {
        frame();
        EXPECT_EQ(ram16(object + 102), 0xA800 | want_x[n]) << n;
        EXPECT_EQ(ram16(object + 100), 0xFC00 | want_y[n]) << n;
    }
    EXPECT_EQ(listings.size(), 4u) << "listed from the first growth on";
}

TEST_F(StageIntro, BannerDelayedSpriteAndTitleAppearWhenTheirTimeComes) {
    plant32(rom::delayed_sprite, 0x134444);
    plant16(rom::delayed_sprite + 4, 2);
    plant16(rom::intro_title_delays + 2, 2);  // title delay of stage 2
    plant32(rom::intro_titles + 4, kTitleRecord);
    plant16(kTitleRecord, 0xF100);
    plant8(kTitleRecord + 2, 0x12);
    plant8(kTitleRecord + 3, 2);
    const std::string lines("AB\0C\0", 5);
    for (uint32_t i = 0; i < lines.size(); ++i) plant8(kTitleRecord + 4 + i, static_cast<uint8_t>(lines[i]));
    const uint32_t banner = actor(entry::sub_0898B1), sprite = actor(entry::sub_089A9C),
                   title = actor(entry::sub_089D95);
    frames(2);
    EXPECT_EQ(listed_in(banner, 1) + listed_in(banner, 2), 2) << "the banner shows at once";
    EXPECT_EQ(ram16(banner + object_record::height), 0xFFC0);
    EXPECT_EQ(ram16(banner + object_record::screen_x), 159);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(ram16(0x31F100), 0) << "the title's delay runs";
    orb_write8(var::ingame_state, flow_state::stage_intro);
    frame();
    EXPECT_EQ(ticks, 1) << "one banner tick";
    EXPECT_EQ(listed_in(sprite, 3), 0);
    EXPECT_EQ(ram16(0x31F100), 0x1241);
    frame();
    EXPECT_EQ(listed_in(sprite, 4), 1) << "after its delay of 2";
    EXPECT_EQ(ram16(sprite + object_record::height), 320);
    EXPECT_EQ(ram16(0x31F102), 0x1242);
    EXPECT_EQ(ram16(0x31F180), 0x1243);
    EXPECT_EQ(state(title), 2);
    frame();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(listed_in(banner, 5) + listed_in(sprite, 5), 2);
}

TEST_F(StageIntro, AStateWithoutACaseEndsTheRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const uint32_t controller = actor(entry::sub_089800);
    orb_write8(controller + object_record::state, 4);
    cpu.reg[20] = controller;
    EXPECT_EXIT(run(sub_089800), ::testing::ExitedWithCode(3),
                "Jump from 089809 to 089818 has no translated target");
}

}  // namespace
