#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

#include "game/continuations.h"
#include "board/machine.h"
#include "game/actors/tables.h"
#include "game/engine/states.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

// ROM tables.
constexpr uint32_t kPlacedLists = 0x133022;

constexpr uint32_t kObjectRoutine = GameRoutineTest::kTestEntry[0];

uint32_t player(uint32_t n) { return var::player_records + 256 * n; }

class Flow : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        fake_all({sub_0608DF /* video shadows */, sub_060942 /* clear text */, sub_0609AA /* sprite list */,
                  sub_0896A0 /* queue palette list */, sub_089692 /* stage palette */,
                  sub_084CE2 /* tally reset */, sub_087786 /* terrain map */, sub_068FD2 /* enemy reset */,
                  sub_0852B1 /* apply camera */, sub_088626 /* zoom out */, sub_08865E /* zoom in */,
                  sub_08878F /* zoom reset */, sub_0886E1 /* centred */, sub_0634A7 /* reset slots */});
        fake(sub_060953 /* clear video */, [this] { clear_video_r9_.push_back(cpu.reg[9]); });
        fake(sub_0887CF /* move camera */, [this] { move_camera_r9_.push_back(cpu.reg[9]); });
        fake(sub_0896A9 /* queue palette */, [this] { palettes_.push_back(cpu.reg[19]); });
        fake(sub_088F98 /* queue sound */, [this] { sounds_.push_back(static_cast<uint8_t>(cpu.reg[0])); });
        fake(sub_088A20 /* print */, [this] { texts_.push_back(cpu.reg[19]); });
        fake(sub_0877D1 /* terrain test */,
             [this] { cpu.z = !blocked_x_.count(static_cast<int16_t>(cpu.reg[3])); });
        // Every stage's and area's placed list is the empty one.
        for (uint32_t s = 0; s < 8; ++s) plant16(kPlacedLists + 2 * s, static_cast<uint16_t>(0x20 - 2 * s));
        for (uint32_t a = 0; a < 8; ++a)
            plant16(kPlacedLists + 0x20 + 2 * a, static_cast<uint16_t>(0x20 - 2 * a));
        plant8(kPlacedLists + 0x40, 0xFF);
        // What the game's start-up leaves, planted: no game, system or frame
        // bits, no rank event pending, no player in play, an empty palette
        // queue and empty sound rings.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        orb_write8(var::rank_events, 0);
        orb_write32(var::palette_queue, 0);
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 34; ++i) {
            orb_write8(var::sound_ring_a + i, 0);
            orb_write8(var::sound_ring_b + i, 0);
        }
        for (uint32_t n = 0; n < 4; ++n)
            plant16(rom::target_player_offsets + 2 * n, static_cast<uint16_t>(0x2000 + 0x100 * n));
    }

    static void state(uint8_t s) { orb_write8(var::ingame_state, s); }
    static uint8_t state() { return ram8(var::ingame_state); }
    void step() { ASSERT_TRUE(run(sub_062246)); }
    static bool flag(uint32_t address, unsigned bit) { return (ram32(address) >> bit) & 1; }
    static void fade_running(bool on) {
        const uint32_t f = ram32(var::system_flags);
        orb_write32(var::system_flags, on ? f | 8u : f & ~8u);
    }
    static void in_play(uint32_t n) { orb_write16(player(n) + object_record::flags, 1); }

    // The object list of stage s, area a: one group of n 64-byte objects.
    void object_list(uint8_t s, uint8_t a, uint8_t n) {
        const uint32_t areas = 0x110000 + 0x100 * s, list = 0x118000 + 0x100 * s + 0x20 * a;
        plant32(rom::object_list_table + 4 * s, areas);
        plant32(areas + 4 * a, list);
        plant8(list + 2, n);
        for (uint32_t i = 0; i < n; ++i) plant32(list + 3 + 4 * i, kObjectRoutine);
    }

    std::vector<uint32_t> clear_video_r9_, move_camera_r9_, palettes_, texts_;
    std::vector<uint8_t> sounds_;
    std::set<int16_t> blocked_x_;
};

TEST_F(Flow, CharacterSelectStartsTheSceneWhenTheFadeIsDone) {
    for (uint32_t i = 0; i < 5; ++i) orb_write8(var::power_on_time + i, static_cast<uint8_t>(0x11 * (i + 1)));
    orb_write8(hw::io_control, 0x86);
    object_list(0, 2, 2);
    for (uint8_t s : {flow_state::select_start, flow_state::select_again}) {
        SCOPED_TRACE(s);
        state(s);
        fade_running(true);
        step();
        EXPECT_EQ(state(), s) << "waits for the fade";
        fade_running(false);
        sounds_.clear();
        palettes_.clear();
        step();
        EXPECT_EQ(state(), s + 1);
        for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(ram8(var::game_start_time + i), 0x11 * (i + 1));
        EXPECT_EQ(ram8(hw::io_control), 0x84);
        EXPECT_TRUE(flag(var::system_flags, 13));
        EXPECT_EQ(ram8(var::stage), 0);
        EXPECT_EQ(ram8(var::area), 2);
        EXPECT_EQ(ram16(var::flow_countdown), 1200);
        EXPECT_EQ(palettes_, std::vector<uint32_t>{rom::menu_palette});
        EXPECT_EQ(sounds_, std::vector<uint8_t>{0x8E});
        EXPECT_EQ(ring().size(), 2u) << "the objects were reset, then the scene's spawned";
    }
}

TEST_F(Flow, SelectionLasts1201FramesThenTheShortWait60) {
    state(flow_state::select_choose);
    orb_write16(var::flow_countdown, 1200);
    int frames = 0;
    while (state() == flow_state::select_choose && frames < 5000) {
        step();
        ++frames;
    }
    EXPECT_EQ(frames, 1201);
    EXPECT_EQ(ram16(var::flow_countdown), 60);
    frames = 0;
    while (state() == flow_state::select_pause && frames < 5000) {
        step();
        ++frames;
    }
    EXPECT_EQ(frames, 60);
    EXPECT_EQ(state(), flow_state::select_fade_out);
}

TEST_F(Flow, States2And9RunTheFollowingStepInTheSameFrame) {
    state(flow_state::select_display_on);
    step();
    EXPECT_EQ(state(), flow_state::select_choose) << "2 turns the display on, 3 finds the fade done";
    EXPECT_EQ(ram8(hw::io_control) & 2, 2);

    state(flow_state::next_stage);
    orb_write8(var::stage, 1);
    orb_write8(var::area, 3);
    fade_running(true);
    step();
    EXPECT_EQ(state(), flow_state::stage_start) << "10 waits for the fade";
    EXPECT_EQ(ram8(var::area), 0);
    EXPECT_EQ(sounds_, std::vector<uint8_t>{0});

    state(flow_state::next_stage);
    fade_running(false);
    orb_write32(var::game_flags, 1u << 9 | 1u << 14);
    step();
    EXPECT_EQ(state(), flow_state::stage_fade_in);
    EXPECT_EQ(ram8(var::stage), 2);
    EXPECT_EQ(ram32(var::game_flags), 0u);
    EXPECT_EQ(calls(sub_084CE2 /* tally reset */), 1);
}

TEST_F(Flow, ClearingTheLastStageLeadsToTheEnding) {
    state(flow_state::stage_start);
    orb_write8(var::stage, 4);
    step();
    EXPECT_EQ(ram8(var::stage), 5);
    EXPECT_TRUE(flag(var::system_flags, 7));
    EXPECT_EQ(state(), flow_state::ending);
    EXPECT_EQ(calls(sub_084CE2 /* tally reset */), 0);
}

TEST_F(Flow, AreaStartSetsUpByParity) {
    plant8(rom::area_port_bytes + 2, 0x5A);
    plant8(rom::area_music + 5 + 0, 0x61);  // stage 2, area 1
    plant8(rom::area_music + 5 + 1, 0x62);  // stage 2, area 2
    const struct {
        uint8_t area_before;
        bool placed;
        uint8_t music;
    } cases[] = {{0, false, 0x61}, {1, true, 0x62}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.area_before);
        state(flow_state::area_start);
        orb_write8(var::stage, 2);
        orb_write8(var::area, c.area_before);
        orb_write32(var::game_flags, c.placed ? 0 : 1u << 12);
        sounds_.clear();
        const int terrain = calls(sub_087786 /* terrain map */);
        step();
        EXPECT_EQ(state(), flow_state::area_fade_in);
        EXPECT_EQ(ram8(var::area), c.area_before + 1);
        EXPECT_EQ(flag(var::game_flags, 12), c.placed);
        EXPECT_EQ(calls(sub_087786 /* terrain map */) - terrain, c.placed ? 0 : 1);
        EXPECT_EQ(ram16(var::rank_timer), 1800) << "rank set up";
        EXPECT_EQ(sounds_, std::vector<uint8_t>{c.music});
    }
}

TEST_F(Flow, PlayRunsTheScheduleFirstAndAGameEndGoesToGameOver) {
    state(flow_state::play);
    orb_write16(var::rank_timer, 100);
    orb_write32(var::system_flags, 1u << 7 | 1u << 8);
    step();
    EXPECT_EQ(ram16(var::rank_timer), 99);
    EXPECT_EQ(state(), flow_state::game_over);
    EXPECT_EQ(ram8(var::fade_preset), 0);
    EXPECT_TRUE(flag(var::system_flags, 3));
    EXPECT_TRUE(flag(var::system_flags, 8)) << "left for the next frame";
}

TEST_F(Flow, ARankRestartEndsOnlyTheScheduleForTheFrame) {
    state(flow_state::play);
    orb_write8(var::rank_events, 1u << 3);
    orb_write16(var::rank_timer, 5);
    orb_write8(var::stage, 1);
    orb_write8(var::area, 1);
    orb_write32(var::system_flags, 1u << 9);
    step();
    EXPECT_EQ(ram16(var::rank_timer), 1800);
    EXPECT_EQ(state(), flow_state::terrain_zoom_in) << "play went on to the area change";
}

TEST_F(Flow, FinalAreaPaletteFollowsTheStagePalette) {
    state(flow_state::area_start);
    orb_write8(var::stage, 4);
    orb_write8(var::area, 4);
    std::vector<uint32_t> lists;
    fake(sub_0896A0 /* queue palette list */, [&lists] { lists.push_back(cpu.reg[19]); });
    step();
    EXPECT_EQ(lists, std::vector<uint32_t>{0x121234});
    const auto& log = call_log();
    const auto stage_palette = std::find(log.begin(), log.end(), entry::sub_089692 /* stage palette */);
    const auto final_palette = std::find(log.begin(), log.end(), entry::sub_0896A0 /* queue palette list */);
    ASSERT_NE(stage_palette, log.end());
    EXPECT_LT(stage_palette, final_palette);
}

TEST_F(Flow, PlayRequests) {
    const struct {
        const char* name;
        uint32_t game_flags, system_flags;
        uint8_t state_after;
        uint32_t game_flags_after, system_flags_after;  // under the mask below
    } cases[] = {
        {"stage cleared", 0, 1u << 8, 32, 0, 1u << 3},
        {"a slot went out: stage clear waits, the fade request does not", 1u << 13, 1u << 8 | 1u << 17, 27, 0,
         1u << 8 | 1u << 12},
        {"a slot went out: both area changes wait", 1u << 13, 1u << 9 | 1u << 10, 20, 0, 1u << 9 | 1u << 10},
        {"zoom change", 0, 1u << 10, 24, 0, 0},
        {"fade change", 1u << 9, 1u << 17, 27, 1u << 9, 1u << 12},
    };
    const uint32_t mask = 1u << 3 | 1u << 8 | 1u << 9 | 1u << 10 | 1u << 12 | 1u << 14 | 1u << 17;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state(flow_state::play);
        orb_write32(var::game_flags, c.game_flags);
        orb_write32(var::system_flags, c.system_flags);
        step();
        EXPECT_EQ(state(), c.state_after);
        EXPECT_EQ(ram32(var::game_flags) & (1u << 9 | 1u << 13), c.game_flags_after);
        EXPECT_EQ(ram32(var::system_flags) & mask, c.system_flags_after);
    }
}

TEST_F(Flow, TerrainChangeRunsAtOnceAndInstallsInPlaySlotsOnly) {
    state(flow_state::play);
    orb_write8(var::stage, 1);
    orb_write8(var::area, 1);
    orb_write32(var::game_flags, 1u << 9 | 1u << 12);
    orb_write32(var::system_flags, 1u << 9);
    in_play(0);
    in_play(2);
    orb_write32(player(1) + object_record::routine, entry::sub_0633C0);
    orb_write8(player(2) + object_record::state, player_state::jump_top);
    step();
    EXPECT_EQ(state(), flow_state::terrain_zoom_in);
    EXPECT_EQ(ram8(var::area), 2);
    EXPECT_FALSE(flag(var::system_flags, 9));
    EXPECT_FALSE(flag(var::game_flags, 12));
    EXPECT_EQ(ram32(player(0) + object_record::routine), 0x063A0Au);
    EXPECT_EQ(ram32(player(2) + object_record::routine), 0x063A0Au);
    EXPECT_EQ(ram8(player(2) + object_record::state), player_state::start);
    EXPECT_EQ(ram32(player(1) + object_record::routine), entry::sub_0633C0);
    EXPECT_EQ(ram32(player(3) + object_record::routine), 0u);
    EXPECT_EQ(calls(sub_088626 /* zoom out */), 1);
    EXPECT_TRUE(cpu.psw & V60_PSW_IE) << "interrupts on again";
}

TEST_F(Flow, ZoomChangeTakes32StepsThenTheNextPlacedArea) {
    state(flow_state::play);
    orb_write8(var::stage, 1);
    orb_write8(var::area, 1);
    orb_write32(var::system_flags, 1u << 10);
    step();
    EXPECT_EQ(state(), flow_state::zoom_change_out);
    EXPECT_EQ(ram16(var::nbg0_zoom), 512);
    EXPECT_EQ(ram16(var::nbg1_zoom), 512);
    EXPECT_EQ(sounds_, std::vector<uint8_t>{0x9F});
    EXPECT_EQ(move_camera_r9_, std::vector<uint32_t>{1});
    EXPECT_EQ(calls(sub_0886E1 /* centred */), 1);
    int frames = 0;
    while (ram16(var::nbg0_zoom) != 256 && frames < 100) {
        orb_write32(var::system_flags, 0);
        step();
        ++frames;
        ASSERT_TRUE(flag(var::system_flags, 2));
        ASSERT_EQ(state(), flow_state::zoom_change_out);
    }
    EXPECT_EQ(frames, 32);
    EXPECT_EQ(ram16(var::nbg1_zoom), 256);
    step();
    EXPECT_EQ(state(), flow_state::play);
    EXPECT_EQ(ram8(var::area), 2);
    EXPECT_TRUE(flag(var::game_flags, 12));
    EXPECT_TRUE(flag(var::game_flags, 9));
    EXPECT_EQ(calls(sub_08878F /* zoom reset */), 1);
    for (uint32_t n = 0; n < 4; ++n) EXPECT_EQ(ram32(player(n) + object_record::routine), 0u) << n;
}

TEST_F(Flow, TerrainZoomComesBackIn) {
    state(flow_state::terrain_zoom_in);
    orb_write8(var::stage, 1);
    orb_write8(var::area, 1);
    orb_write16(var::nbg0_zoom, 256);
    orb_write16(var::nbg1_zoom, 256);
    int frames = 0;
    while (state() == flow_state::terrain_zoom_in && frames < 100) {
        step();
        ++frames;
    }
    EXPECT_EQ(frames, 33);
    EXPECT_EQ(ram16(var::nbg1_zoom), 512);
    EXPECT_EQ(calls(sub_08865E /* zoom in */), 1);
    EXPECT_TRUE(flag(var::game_flags, 9));
}

TEST_F(Flow, ResultsObjectIsLinkedWhenThePoolHasRoom) {
    state(flow_state::results);
    step();
    EXPECT_EQ(state(), flow_state::results_wait_in);
    ASSERT_EQ(ring(), std::vector<uint32_t>{0x200F00});
    EXPECT_EQ(ram32(0x200F00 + object_record::routine), entry::sub_084708);
    EXPECT_EQ(sounds_, std::vector<uint8_t>{0xB8});
    EXPECT_EQ(ram8(var::fade_preset), 3);

    // With the object system left as it is and no 256-byte object free,
    // nothing is linked and nothing written.
    fake(sub_088B2D);
    orb_write16(var::free_stack_256, 0);
    const uint16_t count = ram16(var::active_count);
    state(flow_state::results);
    step();
    EXPECT_EQ(state(), flow_state::results_wait_in);
    EXPECT_EQ(ram16(var::active_count), count);
}

TEST_F(Flow, GameOverScreens) {
    const struct {
        uint8_t stage;
        uint8_t sound;
        std::vector<uint32_t> texts, palettes;
        uint32_t routine;
    } cases[] = {
        {2, 0x88, {0x062B11, 0x062B36}, {}, entry::sub_08A3D6},
        {0, 0x86, {0x062AC7, 0x062AEC}, {rom::scene_palette}, 0x08A3C9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stage);
        texts_.clear();
        sounds_.clear();
        palettes_.clear();
        clear_video_r9_.clear();
        state(flow_state::game_over);
        orb_write8(var::stage, c.stage);
        orb_write8(var::area, 4);
        orb_write32(var::game_flags, 1u << 9);
        in_play(1);
        cpu.reg[9] = 0x77;
        step();
        EXPECT_EQ(state(), flow_state::game_over_fade_in);
        EXPECT_EQ(ram8(var::stage), 0);
        EXPECT_EQ(ram8(var::area), c.stage ? 3 : 4);
        EXPECT_EQ(texts_, c.texts);
        EXPECT_EQ(palettes_, c.palettes);
        EXPECT_EQ(sounds_, (std::vector<uint8_t>{0, c.sound}));
        EXPECT_EQ(clear_video_r9_, std::vector<uint32_t>{4096});
        EXPECT_EQ(ram32(player(1) + object_record::routine), c.routine);
        EXPECT_FALSE(flag(var::game_flags, 9));
        EXPECT_TRUE(flag(var::system_flags, 13));
    }
}

TEST_F(Flow, GameOverWaitsForTheRankingToEnd) {
    state(flow_state::ranking);
    orb_write32(player(3) + object_record::routine, entry::sub_08A3D6);
    step();
    EXPECT_EQ(state(), flow_state::ranking);
    orb_write32(player(3) + object_record::routine, continuation::out_of_play);
    step();
    EXPECT_EQ(state(), flow_state::game_over_countdown);
}

TEST_F(Flow, EndOfGameAddsThePlayTimeToTheBookkeeping) {
    auto time = [](uint32_t at, uint8_t s, uint8_t m, uint8_t h, uint16_t d) {
        orb_write8(at, s);
        orb_write8(at + 1, m);
        orb_write8(at + 2, h);
        orb_write16(at + 3, d);
    };
    time(var::power_on_time, 20, 10, 0, 0);
    time(var::game_start_time, 50, 5, 0, 0);  // 4:30 of play
    time(var::game_time, 40, 58, 1, 0);
    fake(sub_0610F5 /* check value */, [] { cpu.reg[0] = 0xBEEF; });
    state(flow_state::game_end);
    orb_write8(var::stage, 3);
    orb_write8(var::area, 2);
    orb_write32(var::system_flags, 0xFFFF);
    orb_write32(var::game_flags, 1u << 14 | 1);
    cpu.reg[9] = 0;
    step();
    EXPECT_EQ(ram8(var::game_time), 10);
    EXPECT_EQ(ram8(var::game_time + 1), 3);
    EXPECT_EQ(ram8(var::game_time + 2), 2);
    EXPECT_EQ(ram16(var::game_time + 3), 0);
    EXPECT_EQ(ram16(var::bookkeeping_block), 0xBEEF);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(ram8(var::game_time_mirror + i), ram8(var::game_time + i)) << i;
    EXPECT_EQ(ram16(var::game_mode), game_mode::ranking_screen);
    EXPECT_EQ(state(), flow_state::select_start);
    EXPECT_EQ(ram32(var::system_flags), 0u);
    EXPECT_EQ(ram32(var::game_flags), 1u);
    EXPECT_EQ(ram8(var::stage), 0);
    EXPECT_EQ(ram8(var::area), 0);
    EXPECT_EQ(clear_video_r9_, std::vector<uint32_t>{4096});
    EXPECT_EQ(calls(sub_0634A7 /* reset slots */), 1);
}

TEST_F(Flow, DemoSetUpPlacesTheDemoPlayersAndLeavesTheRankAlone) {
    orb_write8(var::backup_primary + backup_record::player_count, 1);
    orb_write8(var::demo_index, 3);
    plant32(rom::demo_setups + 4, 0x100000);
    plant8(0x10000C, 2);
    plant8(0x10000D, 4);
    plant16(0x10000E, 0x0005);
    plant32(rom::demo_characters + 4, 0x100100);
    for (uint32_t n = 0; n < 4; ++n) plant8(0x10010C + n, static_cast<uint8_t>(n + 1));
    orb_write8(var::difficulty_rank, 0x44);
    orb_write8(var::rank_base, 0x40);
    orb_write16(var::rank_timer, 900);
    orb_write32(var::game_flags, 0x00100000);
    orb_write32(player(1) + object_record::routine, entry::sub_0633C0);
    state(flow_state::demo_setup);
    step();
    EXPECT_EQ(state(), flow_state::play);
    EXPECT_EQ(ram8(var::stage), 2);
    EXPECT_EQ(ram8(var::area), 4);
    EXPECT_EQ(ram32(var::game_flags), 0x00100105u);
    for (uint32_t n : {0u, 2u}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ram32(player(n) + object_record::routine), entry::sub_0638B4);
        EXPECT_EQ(ram16(player(n) + object_record::flags), 7);
        EXPECT_EQ(ram8(player(n) + object_record::state), player_state::start);
        EXPECT_EQ(ram8(player(n) + player_record::character), n + 1);
        EXPECT_EQ(ram16(player(n) + object_record::energy), 1280);
    }
    EXPECT_EQ(ram32(player(1) + object_record::routine), entry::sub_0633C0);
    EXPECT_EQ(ram8(var::demo_index), 0);
    EXPECT_EQ(calls(sub_060942 /* clear text */), 0) << "the text layer stays";
    EXPECT_EQ(calls(sub_089692 /* stage palette */), 1);
    for (int f = 0; f < 2000; ++f) step();
    EXPECT_EQ(state(), flow_state::play);
    EXPECT_EQ(ram8(var::difficulty_rank), 0x44);
    EXPECT_EQ(ram8(var::rank_base), 0x40);
    EXPECT_EQ(ram16(var::rank_timer), 900);
}

TEST_F(Flow, UnknownStateEndsTheRun) {
    state(flow_state::count);
    EXPECT_EXIT(run(sub_062246), ::testing::ExitedWithCode(3),
                "Jump from 06224F to 062303 has no translated target");
}

TEST_F(Flow, InstallChangesOnlySlotsInPlay) {
    for (uint32_t n = 0; n < 4; ++n) {
        orb_write32(player(n) + object_record::flags, n == 3 ? 0xFFFE : (n == 1 ? 0x8001 : 0));
        orb_write8(player(n) + object_record::state, player_state::falling);
    }
    cpu.reg[19] = 0x063805;
    cpu.reg[9] = 0x1204;
    ASSERT_TRUE(run(sub_063CC3));
    for (uint32_t n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ram32(player(n) + object_record::routine), n == 1 ? 0x063805u : 0u);
        EXPECT_EQ(ram8(player(n) + object_record::state), n == 1 ? 4 : player_state::falling);
    }
}

// ---- the target slots and points of play ----

class TargetSlots : public Flow {
protected:
    void SetUp() override {
        Flow::SetUp();
        for (uint32_t i = 0; i < 8; ++i) orb_write32(var::target_slot_distances + 4 * i, 0xFFFFFFFF);
        state(flow_state::play);
    }
    static uint32_t enemy(uint8_t slot, uint32_t claim, uint8_t state = enemy_state::slot_chosen,
                          uint16_t flags = 0x8001) {
        const uint32_t e = spawn(kObjectRoutine, sub_088C67);
        orb_write16(e + object_record::flags, flags);
        orb_write8(e + object_record::state, state);
        orb_write8(e + object_record::target_slot, slot);
        orb_write32(e + object_record::target_distance, claim);
        return e;
    }
    static uint32_t distance(unsigned i) { return ram32(var::target_slot_distances + 4 * i); }
    static uint32_t holder(unsigned i) { return kHigh | ram16(var::target_slot_holders + 2 * i); }
};

TEST_F(TargetSlots, FirstInRingOrderKeepsASlotOnEqualClaims) {
    const uint32_t a = enemy(1, 100), b = enemy(1, 100);
    step();
    EXPECT_EQ(holder(1), a);
    EXPECT_EQ(distance(1), 100u);
    EXPECT_EQ(ram8(a + object_record::state), enemy_state::slot_granted);
    EXPECT_EQ(ram8(b + object_record::state), enemy_state::slot_chosen);
}

TEST_F(TargetSlots, ASmallerClaimTakesTheSlotAndTheOldHolderWaitsAgain) {
    const uint32_t a = enemy(4, 100);
    step();
    ASSERT_EQ(ram8(a + object_record::state), enemy_state::slot_granted);
    const uint32_t b = enemy(4, 0x90);
    step();
    EXPECT_EQ(holder(4), a) << "0x90 is not smaller than 100";
    orb_write32(b + object_record::target_distance, 50);
    step();
    EXPECT_EQ(holder(4), b);
    EXPECT_EQ(distance(4), 50u);
    EXPECT_EQ(ram8(a + object_record::state), enemy_state::slot_chosen);
    EXPECT_EQ(ram8(b + object_record::state), enemy_state::slot_granted);
}

TEST_F(TargetSlots, PromotionNeedsADistanceAboveZero) {
    const uint32_t a = enemy(0, 0);
    step();
    EXPECT_EQ(holder(0), a);
    EXPECT_EQ(distance(0), 0u);
    EXPECT_EQ(ram8(a + object_record::state), enemy_state::slot_chosen);
}

TEST_F(TargetSlots, AHolderThatStopsClaimingFreesTheSlotNextFrame) {
    const struct {
        const char* name;
        uint32_t field;
        uint16_t value;
    } cases[] = {{"claims no slot", object_record::target_slot, 0xFF},
                 {"lost flags bit 0", object_record::flags, 0x8000}};
    // An enemy with flags bit 15 claims again in the same frame's walk; the
    // second case therefore leaves the ring, so that only the refresh shows.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        init_objects();
        const uint32_t a = enemy(6, 40);
        step();
        ASSERT_EQ(holder(6), a);
        if (c.field == object_record::target_slot)
            orb_write8(a + c.field, static_cast<uint8_t>(c.value));
        else {
            orb_write16(a + c.field, c.value);
            orb_write16(var::active_count, 0);
        }
        step();
        EXPECT_EQ(distance(6), 0xFFFFFFFFu);
    }
}

TEST_F(TargetSlots, ClaimsAboveTheSignBitReadAsAFreeSlot) {
    enemy(2, 0x90000000);
    const uint32_t b = enemy(2, 0xA0000000);
    step();
    EXPECT_EQ(holder(2), b);
}

TEST_F(TargetSlots, TargetPointsBesideEachPlayer) {
    const struct {
        int16_t screen_x, world_x, world_y;
        bool playing;
        int16_t y, left, right;
    } cases[] = {
        {160, 1000, 500, true, 500, 800, 1200},
        {30, 1000, 600, true, 600, -1, 1200},   // the left point is off screen
        {290, 2000, 700, true, 700, 1800, -1},  // ... and the right one here
        {160, 3000, 800, true, 800, -1, 3200},  // marked terrain at 2800
    };
    blocked_x_.insert(2800);
    for (uint32_t n = 0; n < 4; ++n) {
        const auto& c = cases[n];
        orb_write16(player(n) + object_record::flags, 1);
        orb_write16(player(n) + object_record::screen_x, static_cast<uint16_t>(c.screen_x));
        orb_write16(player(n) + object_record::world_x, static_cast<uint16_t>(c.world_x));
        orb_write16(player(n) + object_record::world_y, static_cast<uint16_t>(c.world_y));
    }
    step();
    for (uint32_t n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const uint32_t e = var::target_points + 6 * n;
        EXPECT_EQ(static_cast<int16_t>(ram16(e)), cases[n].y);
        EXPECT_EQ(static_cast<int16_t>(ram16(e + 2)), cases[n].left);
        EXPECT_EQ(static_cast<int16_t>(ram16(e + 4)), cases[n].right);
    }
    // Out of play: both x -1, y kept.
    orb_write16(player(0) + object_record::flags, 0);
    orb_write16(player(0) + object_record::world_y, 999);
    step();
    EXPECT_EQ(ram16(var::target_points), 500);
    EXPECT_EQ(ram16(var::target_points + 2), 0xFFFF);
    EXPECT_EQ(ram16(var::target_points + 4), 0xFFFF);
}

}  // namespace

namespace {

// The routines the area changes, the ending and game over with stage 0
// install have no translated code: a slot that runs one ends the run.
TEST_F(Flow, InstalledContinuationsWithoutCodeEndTheRun) {
    for (uint32_t address : {0x063A0Au, 0x063A42u, 0x063A88u, 0x063A9Bu, 0x063B91u, 0x063805u, 0x08A3C9u}) {
        char message[64];
        std::snprintf(message, sizeof message, "No translated code starts at %06X", address);
        EXPECT_EXIT(v60_call(address), ::testing::ExitedWithCode(3), message);
    }
}

}  // namespace
