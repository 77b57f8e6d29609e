#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/machine.h"
#include "game/engine/states.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/object_passes.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kPlayerCount = var::backup_primary + backup_record::player_count;

class ModeMachine : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        // The settings' player count: 0, the cabinet's two player slots.
        orb_write8(kPlayerCount, 0);
        palettes_.clear();
        fake_all({sub_063536 /* join */, sub_062246 /* in game flow */, sub_0608DF /* video shadows */,
                  sub_0611A2 /* credit counts */, sub_061384 /* prompts */, sub_0615C4 /* chute prompt */,
                  sub_085046 /* scene set up */, sub_088BED /* spawn list */, sub_08A6A0 /* ranking page */});
        fake(sub_0896A9 /* queue palette */, [this] { palettes_.push_back(r(19)); });
        // Text: the layer cleared; a text_record printed and R19 left behind it.
        fake(sub_060942 /* clear text */, [] {
            for (uint32_t a = hw::text_layer; a < hw::text_layer + 3840; a += 2) orb_write16(a, 0);
        });
        fake(sub_0889C2 /* print record */, [] {
            cpu.reg[19] += 3;
            while (orb_read8(cpu.reg[19]++) != 0) {
            }
        });
    }

    void mode_word(uint8_t mode, uint8_t submode) {
        orb_write8(var::game_mode, mode);
        orb_write8(var::game_submode, submode);
    }
    static std::pair<int, int> mode() { return {ram8(var::game_mode), ram8(var::game_submode)}; }

    static bool fading() { return ram32(var::system_flags) & (1u << system_flag::fade_running); }

    // Runs the mode machine once.
    void step() { ASSERT_TRUE(run(sub_060148)); }
    // Runs it until the sub-mode (or mode) changes; the number of calls.
    int steps_in_submode(int limit = 5000) {
        const auto at = mode();
        int n = 0;
        while (mode() == at && n < limit) {
            step();
            ++n;
        }
        return n;
    }

    std::vector<uint32_t> palettes_;
};

// ---- join check and slot reset ----

TEST_F(ModeMachine, JoinCheckOffersTheSlotsOfThePlayerCountHighestFirst) {
    const struct {
        uint8_t players;
        std::vector<uint32_t> slots;
    } cases[] = {{0, {1, 0}}, {1, {2, 1, 0}}, {2, {3, 2, 1, 0}}, {3, {3, 2, 1, 0}}};
    for (const auto& c : cases) {
        std::vector<std::pair<uint32_t, uint32_t>> offered;
        fake(sub_063536 /* join */, [&] { offered.push_back({r(20), r(15)}); });
        orb_write8(kPlayerCount, c.players);
        ASSERT_TRUE(run(sub_0634D4));
        std::vector<std::pair<uint32_t, uint32_t>> expected;
        for (uint32_t slot : c.slots)
            expected.push_back({var::player_records + 0x100 * slot, entry::sub_0635B4});
        EXPECT_EQ(offered, expected) << "player count " << int(c.players);
    }
}

TEST_F(ModeMachine, JoinIsOfferedInEveryModeButZeroAndTheGame) {
    const struct {
        uint8_t mode, submode;
        bool offered;
    } cases[] = {{0, 6, false}, {15, 0, false}, {3, 3, true},  {6, 0, true}, {9, 3, true},
                 {12, 3, true}, {18, 3, true},  {21, 3, true}, {24, 6, true}};
    for (const auto& c : cases) {
        const int before = calls(sub_063536 /* join */);
        mode_word(c.mode, c.submode);
        orb_write16(var::flow_countdown, 100);
        set_fade(true);
        step();
        EXPECT_EQ(calls(sub_063536 /* join */) - before, c.offered ? 2 : 0) << "mode " << int(c.mode);
    }
}

TEST_F(ModeMachine, AJoinDuringTheAttractScreensStartsTheGameInTheSameCall) {
    fake(sub_063536 /* join */, [this] {
        if (r(20) == 0x20A100) orb_write16(var::game_mode, game_mode::game);  // slot 1's play start
    });
    mode_word(21, 3);
    set_fade(true);
    step();
    EXPECT_EQ(calls(sub_063536 /* join */), 2) << "slot 0 is still offered";
    EXPECT_EQ(calls(sub_062246 /* in game flow */), 1);
    EXPECT_EQ(calls(sub_061384 /* prompts */), 0) << "the presentation step did not run";
}

TEST_F(ModeMachine, SlotResetClearsFlagsAndMakesEverySlotIdle) {
    orb_write32(var::game_flags, 0xFFFFFFFF);
    for (uint32_t n = 0; n < 4; ++n) {
        const uint32_t rec = var::player_records + 0x100 * n;
        orb_write32(rec, 0xFFFFFFFF);
        orb_write32(rec + 4, entry::sub_0638B4);
        orb_write8(rec + 148, 255);
    }
    // The play start calls the reset with its own record in R20 and goes on
    // with it afterwards.
    cpu.reg[20] = 0x20A100;
    ASSERT_TRUE(run(sub_0634A7));
    EXPECT_EQ(cpu.reg[20], 0x20A100u) << "the caller's record";
    EXPECT_EQ(ram32(var::game_flags), 0u);
    for (uint32_t n = 0; n < 4; ++n) {
        const uint32_t rec = var::player_records + 0x100 * n;
        // The flags go as one 32-bit store, which takes the state and type
        // bytes at +2 and +3 with them; nothing else writes the state.
        EXPECT_EQ(ram32(rec), 0u) << n;
        EXPECT_EQ(ram8(rec + 148), 0) << n;
        EXPECT_EQ(ram32(rec + 4), entry::sub_063514) << n;
    }
}

// The play start resets every slot first and then sets up its own record:
// the reset must leave R20 on that record.
TEST_F(ModeMachine, PlayStartAfterTheRealSlotResetSetsUpItsOwnRecord) {
    auto rec = [](uint32_t n) { return var::player_records + 0x100 * n; };
    orb_write16(var::backup_primary + backup_record::start_energy, 100);
    for (uint32_t n = 0; n < 4; ++n) orb_write8(rec(n) + 129, uint8_t(n));
    const uint32_t past = ram32(0x20A400 + 4);
    cpu.reg[20] = rec(1);
    ASSERT_TRUE(run(sub_0635B4));
    EXPECT_EQ(ram32(rec(1) + 4), entry::sub_0638B4);
    EXPECT_EQ(ram16(rec(1)), 7);
    EXPECT_EQ(ram32(var::game_flags), 0x2u);
    for (uint32_t slot : {0u, 2u, 3u}) EXPECT_EQ(ram32(rec(slot) + 4), entry::sub_063514) << slot;
    EXPECT_EQ(ram32(0x20A400 + 4), past) << "nothing written past the four records";
}

// ---- title ----

TEST_F(ModeMachine, TitleBuildsItsScreenWithTheDisplayOffUntilTheNextFrame) {
    orb_write8(hw::io_control, 0x86);
    plant16(rom::title_texts, 0xF004);  // two text records, then the end
    plant8(0x06075C, 1);
    plant8(0x06075D, 'A');
    plant16(0x06075F, 0xF084);
    plant8(0x060761, 2);
    plant8(0x060762, 'B');
    mode_word(3, 0);
    step();
    EXPECT_EQ(orb_read8(hw::io_control) & 2, 0) << "display off";
    EXPECT_EQ(mode(), std::make_pair(3, 3));
    EXPECT_EQ(calls(sub_0889C2 /* print record */), 2);
    EXPECT_EQ(palettes_, std::vector<uint32_t>{rom::title_palette});
    EXPECT_EQ(ram16(var::flow_countdown), 180);
    EXPECT_TRUE(fading());
    EXPECT_EQ(ram8(var::fade_preset), 3);
    ASSERT_EQ(ring().size(), 1u);
    EXPECT_EQ(ram32(ring()[0] + object_record::routine), entry::sub_077A83 /* title object */);
    EXPECT_GE(ring()[0], var::objects_128) << "a 128-byte object";
    step();
    EXPECT_EQ(orb_read8(hw::io_control) & 2, 2) << "display on again";
    EXPECT_EQ(mode(), std::make_pair(3, 6));
}

TEST_F(ModeMachine, TitleCountsItsTimeOnlyOnceTheFadeHasEnded) {
    mode_word(3, 6);
    orb_write16(var::flow_countdown, 180);
    set_fade(true);
    for (int i = 0; i < 10; ++i) step();
    EXPECT_EQ(ram16(var::flow_countdown), 180);
    set_fade(false);
    EXPECT_EQ(10 + steps_in_submode(), 190);
    EXPECT_EQ(mode(), std::make_pair(3, 9));
    EXPECT_EQ(ram8(var::fade_preset), 0);
    EXPECT_TRUE(fading());
}

TEST_F(ModeMachine, TitleBackgroundSceneStartsItsTimeAndCountsItInTheSameFrame) {
    plant16(0x077B28, 0x1234);
    mode_word(3, 12);
    set_fade(false);  // the scene's fade in has ended
    step();
    EXPECT_EQ(ram16(var::flow_countdown), 0x1233);
    EXPECT_EQ(mode(), std::make_pair(3, 15));
    EXPECT_EQ(calls(sub_061384 /* prompts */), 2);
    EXPECT_EQ(calls(sub_0615C4 /* chute prompt */), 2);
    EXPECT_EQ(calls(sub_0611A2 /* credit counts */), 1);
}

TEST_F(ModeMachine, TitleBackgroundSceneIsBuiltAfterTheFadeOut) {
    mode_word(3, 9);
    orb_write8(var::stage, 5);
    orb_write8(var::area, 6);
    std::vector<uint32_t> scene;
    fake(sub_085046 /* scene set up */, [&] { scene.push_back(r(19)); });
    set_fade(true);
    step();
    EXPECT_EQ(calls(sub_085046 /* scene set up */), 0) << "waits while the fade runs";
    set_fade(false);
    step();
    EXPECT_EQ(scene, std::vector<uint32_t>{rom::title_scene});
    EXPECT_EQ(palettes_, std::vector<uint32_t>{rom::scene_palette});
    EXPECT_EQ(ram8(var::stage), 0);
    EXPECT_EQ(ram8(var::area), 0);
    EXPECT_EQ(calls(sub_088BED /* spawn list */), 1);
    EXPECT_EQ(mode(), std::make_pair(3, 12));
    EXPECT_EQ(ram8(var::fade_preset), 3);
}

// ---- presentation scene ----

class Presentation : public ModeMachine {
protected:
    // Scene `index` with an actor list of `count` routines (test entries).
    void plant_scene(uint8_t index, uint32_t count) {
        plant32(rom::presentation_palettes + 4 * index, 0x0A0000 + index);
        plant32(rom::presentation_actor_lists + 4 * index, 0x0B0000);
        plant32(0x0B0000, count);
        for (uint32_t i = 0; i < count; ++i) plant32(0x0B0004 + 4 * i, kTestEntry[i % 8]);
        orb_write8(var::presentation_index, index);
        mode_word(21, 0);
    }
};

TEST_F(Presentation, BuildsTheFirstActorThenTheListedOnes) {
    plant_scene(1, 2);
    step();
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 3u);
    for (uint32_t o : objects) EXPECT_TRUE(o >= var::objects_256 && o < var::objects_128) << std::hex << o;
    EXPECT_EQ(ram32(objects[0] + object_record::routine), entry::sub_081CB5 /* split sprite */);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(ram32(objects[i] + object_record::routine), kTestEntry[i - 1]);
        EXPECT_EQ(ram16(objects[i] + object_record::owner), static_cast<uint16_t>(objects[0]));
        EXPECT_EQ(ram8(objects[i] + object_record::type), 1);
    }
    EXPECT_EQ(palettes_, (std::vector<uint32_t>{0x0A0001, rom::presentation_second_palette}));
    EXPECT_EQ(ram8(var::presentation_index), 2);
    EXPECT_EQ(ram16(var::flow_countdown), 480);
    EXPECT_EQ(mode(), std::make_pair(21, 3));
    EXPECT_EQ(ram8(var::fade_preset), 3);
}

TEST_F(Presentation, FiveScenesTakeTurns) {
    for (const auto& [index, next] : std::vector<std::pair<uint8_t, uint8_t>>{{0, 1}, {3, 4}, {4, 0}}) {
        init_objects();
        plant_scene(index, 0);
        step();
        EXPECT_EQ(ram8(var::presentation_index), next) << int(index);
    }
}

// A list longer than the pool stops at its end: every object once on a
// closed ring.
TEST_F(Presentation, ALongListFillsThePoolAndLinksNothingTwice) {
    plant_scene(0, 12);
    step();
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 12u);
    EXPECT_EQ(std::set<uint32_t>(objects.begin(), objects.end()).size(), 12u);
    EXPECT_EQ(ram16(var::free_stack_256), 0);
    for (size_t i = 0; i < objects.size(); ++i) {
        const uint32_t next = objects[(i + 1) % objects.size()];
        EXPECT_EQ(var::object_area | ram16(objects[i] + object_record::next), next) << i;
        EXPECT_EQ(var::object_area | ram16(next + object_record::prev), objects[i]) << i;
    }
}

TEST_F(Presentation, EndsInTheDemoOnceTheFadeOutHasEnded) {
    mode_word(21, 3);
    orb_write16(var::flow_countdown, 480);
    set_fade(false);
    EXPECT_EQ(steps_in_submode(), 480);
    EXPECT_EQ(mode(), std::make_pair(21, 6));
    step();
    EXPECT_EQ(mode(), std::make_pair(21, 6)) << "the fade out runs";
    set_fade(false);
    step();
    EXPECT_EQ(mode(), std::make_pair(9, 0));
    EXPECT_EQ(palettes_, std::vector<uint32_t>{rom::scene_palette});
    EXPECT_TRUE(ram32(var::system_flags) & (1u << system_flag::mixer_take_pending));
}

// ---- demo ----

TEST_F(ModeMachine, DemoRunsTheInGameFlowAfterEveryStepAndOnceMoreAtItsEnd) {
    orb_write8(kPlayerCount, 1);
    orb_write8(var::demo_index, 6);
    plant32(rom::demo_streams + 4, 0x0C0000);
    plant32(0x0C0000 + 4 * 2, 0x0D1234);
    std::vector<int> flow_submodes;
    fake(sub_062246 /* in game flow */, [&] { flow_submodes.push_back(ram8(var::game_submode)); });
    mode_word(9, 0);
    step();
    EXPECT_EQ(ram32(var::demo_input_pointer), 0x0D1234u);
    EXPECT_TRUE(ram32(var::game_flags) & (1u << 8));
    EXPECT_EQ(ram8(var::ingame_state), flow_state::demo_setup);
    EXPECT_EQ(ram16(var::flow_countdown), 1200);
    EXPECT_EQ(calls(sub_060942 /* clear text */), 1);
    EXPECT_EQ(mode(), std::make_pair(9, 3));
    EXPECT_EQ(calls(sub_062246 /* in game flow */), 1);
    step();  // the fade in still runs
    set_fade(false);
    const int counted = steps_in_submode();
    EXPECT_EQ(counted, 1200);
    EXPECT_EQ(calls(sub_062246 /* in game flow */), 2 + counted);
    step();  // the fade out runs
    set_fade(false);
    step();
    EXPECT_EQ(mode(), std::make_pair(12, 0));
    EXPECT_EQ(calls(sub_062246 /* in game flow */), 2 + counted + 2)
        << "once a frame, the last before the mode change";
    ASSERT_GE(flow_submodes.size(), 1u);
    EXPECT_EQ(flow_submodes.back(), 6);
    EXPECT_TRUE(ram32(var::system_flags) & (1u << system_flag::mixer_take_pending));
}

// ---- score-ranking screen ----

TEST_F(ModeMachine, RankingScreenRevealsTheMaskedRowsThenReturnsToTheTitle) {
    plant32(rom::reveal_mask, 5);  // rows 0 and 2
    for (uint32_t a = 0x300400; a < 0x300400 + 28 * 128; a += 2) orb_write16(a, static_cast<uint16_t>(a));
    orb_write32(var::game_flags, 1u << 8);
    mode_word(12, 0);
    step();
    EXPECT_EQ(ram32(var::game_flags), 0u);
    EXPECT_EQ(calls(sub_08A6A0 /* ranking page */), 1);
    EXPECT_EQ(palettes_, std::vector<uint32_t>{rom::menu_palette});
    const auto objects = ring();
    ASSERT_EQ(objects.size(), 4u);
    for (uint32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(ram32(objects[k] + object_record::routine), entry::sub_08A364 /* ranking sprite */);
        EXPECT_EQ(ram8(objects[k] + object_record::type), k);
        EXPECT_GE(objects[k], var::objects_128);
    }
    EXPECT_EQ(mode(), std::make_pair(12, 3));
    set_fade(false);
    step();
    EXPECT_EQ(ram16(var::ranking_reveal_counter), 60);
    EXPECT_EQ(steps_in_submode(), 60);
    EXPECT_EQ(steps_in_submode(), 57) << "s = 0 ... 56";
    EXPECT_EQ(ram16(var::ranking_reveal_counter), 240);
    EXPECT_EQ(ram32(var::ranking_reveal_source), 0x300400u + 28 * 128);
    EXPECT_EQ(ram32(var::ranking_reveal_dest), hw::text_layer + 28 * 128);
    for (uint32_t row = 0; row < 28; ++row) {
        for (uint32_t b = 0; b < 128; b += 2) {
            const bool copied = (row == 0 || row == 2) && b < 80;
            const uint32_t cell = hw::text_layer + 128 * row + b;
            ASSERT_EQ(ram16(cell), copied ? ram16(0x300400 + 128 * row + b) : 0) << std::hex << cell;
        }
    }
    EXPECT_EQ(steps_in_submode(), 240);
    EXPECT_EQ(mode(), std::make_pair(12, 15));
    EXPECT_EQ(ram8(var::fade_preset), 0);
    step();
    EXPECT_EQ(mode(), std::make_pair(12, 15));
    set_fade(false);
    step();
    EXPECT_EQ(mode(), std::make_pair(3, 0));
    EXPECT_EQ(ram16(hw::text_layer), 0) << "the text layer is cleared";
}

// ---- typed notice, back to title, slot-reset mode ----

TEST_F(ModeMachine, NoticeTypesOneCharacterAFrameOnTheWideScreen) {
    const uint8_t text[] = {0x84, 0xF0, 0x12, 'A', 'B', 0, 0x00, 0xF1, 0x34, 'C', 0, 0, 0};
    for (uint32_t i = 0; i < sizeof text; ++i) plant8(rom::notice_text + i, text[i]);
    mode_word(24, 0);
    step();
    EXPECT_TRUE(orb_read16(hw::video_regs) & 0x8000);
    EXPECT_EQ(ram16(0x31F090), 0x1241) << "6 cells right of 0x31F084";
    EXPECT_EQ(ram16(0x31F092), 0x005F) << "the cursor";
    step();
    step();
    EXPECT_EQ(ram16(0x31F092), 0x1242);
    EXPECT_EQ(ram16(0x31F094), 0) << "erased at the record's end";
    EXPECT_EQ(ram16(0x31F10C), 0x3443) << "the next record typed at once";
    step();
    EXPECT_EQ(mode(), std::make_pair(24, 6));
    EXPECT_EQ(ram16(0x31F10E), 0);
    EXPECT_EQ(ram16(var::flow_countdown), 360);
    for (int i = 0; i < 6; ++i) step();
    EXPECT_EQ(ram16(0x31F10E), 0x005F) << "the cursor blinks every 6 frames";
    set_fade(false);
    EXPECT_EQ(6 + steps_in_submode(), 360);
    set_fade(false);
    step();
    EXPECT_EQ(mode(), std::make_pair(3, 0));
    EXPECT_FALSE(orb_read16(hw::video_regs) & 0x8000);
}

TEST_F(ModeMachine, BackToTitleAndSlotResetTakeOneFrame) {
    mode_word(6, 0);
    step();
    EXPECT_EQ(mode(), std::make_pair(3, 0));
    EXPECT_EQ(calls(sub_0608DF /* video shadows */), 1);
    spawn(kTestEntry[0], sub_088C67);
    orb_write8(0x20A302, 9);
    mode_word(18, 6);
    step();
    EXPECT_EQ(mode(), std::make_pair(18, 9));
    EXPECT_EQ(ram32(0x20A304), entry::sub_063514);
    EXPECT_EQ(ram8(0x20A302), 0);
    EXPECT_TRUE(ring().empty());
}

// ---- values outside the tables ----

TEST_F(ModeMachine, ValuesOutsideTheJumpTablesEndTheRun) {
    const struct {
        uint8_t mode, submode, players;
        const char* message;
    } cases[] = {
        {2, 0, 0, "Jump from 060160 to 06016A has no translated target \\(frame 7\\)"},
        {27, 0, 0, "Jump from 060160 to 0601B5 has no translated target"},
        {3, 24, 0, "Jump from 060208 to 0773A0 has no translated target"},
        {12, 21, 0, "Jump from 0602B4 to 08A26B has no translated target"},
        {21, 12, 0, "Jump from 0602EC to 081BFE has no translated target"},
        {3, 3, 4, "Jump from 0634DB to 0634EA has no translated target"},
    };
    cpu.frames = 7;
    for (const auto& c : cases) {
        orb_write8(kPlayerCount, c.players);
        mode_word(c.mode, c.submode);
        EXPECT_EXIT(run(sub_060148), ::testing::ExitedWithCode(3), c.message) << int(c.mode);
    }
}

// ---- the attract cycle from reset ----

class AttractCycle : public ModeMachine {
protected:
    void SetUp() override {
        ModeMachine::SetUp();
        const uint32_t handlers[] = {entry::int_vblank_start, entry::int_vblank_end, entry::int_sound,
                                     entry::int_timer0, entry::int_timer1};
        for (uint32_t n = 0; n < 5; ++n) plant32(0x09F100 + 4 * n, handlers[n]);
        const uint8_t controller[12] = {0, 1, 2, 3, 4, 0, 0, 0x00, 50, 0, 57, 0};
        for (uint32_t i = 0; i < 12; ++i) plant8(0x060098 + i, controller[i]);
        fake_all({sub_0609F3 /* io set up */,
                  sub_089389 /* backup data */,
                  sub_0609D3 /* mixer set up */,
                  sub_089674 /* fixed palettes */,
                  sub_060978 /* sprite header */,
                  sub_0608A8 /* layers */,
                  sub_061077 /* bookkeeping check */,
                  sub_060CCE /* settings */,
                  sub_08A1F2 /* ranking tables */,
                  sub_088F58 /* sound rings */,
                  sub_063402 /* player records */,
                  sub_0604CF /* player inputs */,
                  sub_060480 /* system inputs */,
                  sub_09F6E2 /* sound hand off */,
                  sub_060D76 /* coins */,
                  sub_0610E1 /* bookkeeping verify */,
                  sub_0610CF /* check value store */,
                  sub_0896CB /* palette drain */,
                  sub_08AFB4 /* service enter */,
                  sub_08B046 /* service screen */,
                  sub_087660 /* decompress step */,
                  sub_062121 /* sprite list */});
        // Animation and listing: the objects' own fields are all that matter.
        fake_all({sub_061F06, sub_061FB6, sub_06200F, sub_062094});
        // A fade ends on its third step.
        fake(sub_08973C /* fade step */, [this] {
            if (++fade_steps_ % 3 == 0) set_fade(false);
        });
    }

    void TearDown() override {
        stop_ = nullptr;
        ModeMachine::TearDown();
    }

    // Runs from reset until `until` says stop at a frame's end (or the limit).
    void run_from_reset(std::function<bool()> until, uint64_t limit) {
        stop_ = std::move(until);
        limit_ = limit;
        cpu.psw = V60_PSW_IS;
        cpu.reg[V60_SP] = 0;
        cpu.pc = 0xFFFFFFF0;
        program_frame_done = [] {
            if (stop_() || cpu.frames >= limit_) program_stop();
        };
        program_run();
    }

    static inline std::function<bool()> stop_;
    static inline uint64_t limit_ = 0;
    int fade_steps_ = 0;
};

TEST_F(AttractCycle, TitlePresentationDemoRankingAndBackToTheTitle) {
    plant16(0x077B28, 2);
    std::vector<std::pair<int, int>> pairs;
    // The pass after a frame's end: the mode machine, then the slot runner.
    int mode_at_pass = 3, flow_calls_seen = 0;
    std::vector<std::pair<int, int>> flow_per_pass;  // (mode the pass began in, flow calls)
    fake(sub_0633C0 /* player slots */, [&] {
        flow_per_pass.push_back({mode_at_pass, calls(sub_062246 /* in game flow */) - flow_calls_seen});
        flow_calls_seen = calls(sub_062246 /* in game flow */);
        mode_at_pass = ram8(var::game_mode);
    });
    const std::vector<std::pair<int, int>> expected = {
        {3, 0}, {3, 3}, {3, 6}, {3, 9},  {3, 12}, {3, 15}, {3, 18}, {21, 0},  {21, 3},  {21, 6},
        {9, 0}, {9, 3}, {9, 6}, {12, 0}, {12, 3}, {12, 6}, {12, 9}, {12, 12}, {12, 15}, {3, 0}};
    run_from_reset(
        [&] {
            if (pairs.empty() || pairs.back() != mode()) pairs.push_back(mode());
            return pairs.size() >= expected.size();
        },
        20000);
    EXPECT_EQ(pairs, expected);
    std::printf("attract cycle: %llu frames\n", static_cast<unsigned long long>(cpu.frames));
    EXPECT_EQ(ram8(var::presentation_index), 1);
    int demo_passes = 0;
    for (const auto& [mode_before, flows] : flow_per_pass) {
        EXPECT_EQ(flows, mode_before == 9 ? 1 : 0) << "mode " << mode_before;
        demo_passes += mode_before == 9;
    }
    EXPECT_GT(demo_passes, 1200);
}

}  // namespace
