#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "board/machine.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/object_passes.h"
#include "tests/support/game_harness.h"

namespace {

struct listing {
    int frame;
    uint32_t object;
    int16_t x, y, key;
    bool operator==(const listing&) const = default;
};

class TitleObjects : public ObjectPasses {
protected:
    void SetUp() override {
        ObjectPasses::SetUp();
        listed_.clear();
        orb_write8(var::game_mode, game_mode::title);
        // No fade running and the title's first sub-mode, as the title
        // screen's start leaves them.
        orb_write32(var::system_flags, 0);
        orb_write8(var::game_submode, 0);
        fake_all({sub_061F06 /* start script */, sub_061FB6 /* tick */, sub_0896A9 /* queue palette */,
                  sub_0889C2 /* print record */, sub_088A5A /* print hex 2 */, sub_06196A /* end text */});
        fake(sub_062094 /* list */, [this] {
            const uint32_t o = r(20);
            listed_.push_back({frame_, o, static_cast<int16_t>(ram16(o + object_record::screen_x)),
                               static_cast<int16_t>(ram16(o + object_record::screen_y)),
                               static_cast<int16_t>(ram16(o + object_record::height))});
        });
    }

    // Type t's tables: timer, position, steps.
    void plant_type(uint32_t t, uint16_t timer, int16_t x, int16_t y, int8_t dx = 0, int8_t dy = 0) {
        plant16(rom::title_timers + 2 * t, timer);
        plant16(rom::title_positions + 4 * t, static_cast<uint16_t>(x));
        plant16(0x077B2E + 4 * t, static_cast<uint16_t>(y));
        plant8(rom::title_steps + 2 * t, static_cast<uint8_t>(dx));
        plant8(0x077B4D + 2 * t, static_cast<uint8_t>(dy));
        plant32(rom::title_scripts + 4 * t, 0x130000 + t);
    }
    std::vector<listing> listed_by(uint32_t object) const {
        std::vector<listing> out;
        for (const auto& l : listed_)
            if (l.object == object) out.push_back(l);
        return out;
    }

    std::vector<listing> listed_;
};

// ---- pieces ----

TEST_F(TitleObjects, FlyingPieceWithDelayOneFliesFromTheFrameTheFadeEnds) {
    plant_type(1, 1, 100, 50, 2, -1);
    const uint32_t piece = spawn(entry::sub_0775DF /* flying 1 */, sub_088C67);
    set_fade(true);
    passes(3);
    EXPECT_EQ(ram8(piece + object_record::type), 1);
    EXPECT_EQ(ram32(piece + object_record::routine), entry::sub_0775F9);
    EXPECT_TRUE(listed_.empty()) << "invisible while the fade runs";
    set_fade(false);
    passes(151);
    const auto l = listed_by(piece);
    ASSERT_EQ(l.size(), 149u);
    EXPECT_EQ(l.front(), (listing{4, piece, 102, 49, -96}));
    EXPECT_EQ(l.back(), (listing{152, piece, 100 + 2 * 149, 50 - 149, -96}));
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_128), 124) << "back in the 128-byte pool";
}

TEST_F(TitleObjects, FallingPieceLandsExactlyAtScreenY200) {
    plant_type(7, 2, 40, 150, 0, 30);  // y 600 in quarters, falling fast
    const uint32_t piece = spawn(entry::sub_077558 /* falling */, sub_088C67);
    passes(1);
    EXPECT_EQ(ram16(piece + 34), 600);
    // No fade: the wait takes the first step of the delay of 2, and the fall
    // starts in frame 3 with speeds 32, 34, ...: 632, 666, 702, 740, 780,
    // then 822 lands at 800.
    passes(8);
    std::vector<int16_t> ys;
    for (const auto& l : listed_by(piece)) ys.push_back(l.y);
    EXPECT_EQ(ys, (std::vector<int16_t>{158, 166, 175, 185, 195, 200, 200}));
    EXPECT_EQ(ram16(piece + 34), 800);
    EXPECT_EQ(ram16(piece + object_record::screen_x), 40);
    EXPECT_EQ(calls(sub_061FB6 /* tick */), 1) << "the landed piece animates";
}

TEST_F(TitleObjects, AcceleratingPieceMovesByFrameIndexAndLeavesAtFrameZero) {
    plant_type(3, 1, 20, 10, 4, 0);
    plant8(rom::title_accelerations + 2 * 1, 8);  // frame 1: x + 8, y - 2 eighths per frame per frame
    plant8(0x077B5B + 2 * 1, 0xFE);
    plant8(rom::title_accelerations + 2 * 2, 0);
    plant8(0x077B5B + 2 * 2, 16);
    const uint8_t frames[] = {1, 1, 2, 0};
    fake(sub_061FB6 /* tick */,
         [&] { orb_write8(r(20) + object_record::frame_index, frames[calls(sub_061FB6 /* tick */) - 1]); });
    const uint32_t piece = spawn(entry::sub_0774AC /* accelerating */, sub_088C57);
    pass();
    EXPECT_EQ(ram8(piece + object_record::type), 3);
    EXPECT_EQ(ram16(piece + 32), 160);
    EXPECT_EQ(ram16(piece + 34), 80);
    pass();  // the fade has ended: delay 1 runs out and takes one flying step
    listed_.clear();
    const uint16_t free_before = ram16(var::free_stack_256);
    passes(4);
    const auto l = listed_by(piece);
    // x: 160 + 12, + 20, + 20; y: 80 - 2, - 4, + 12 (eighths).
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], (listing{3, piece, (160 + 12) >> 3, (80 - 2) >> 3, -96}));
    EXPECT_EQ(l[2], (listing{5, piece, (160 + 12 + 20 + 20) >> 3, (80 - 2 - 4 + 12) >> 3, -96}));
    EXPECT_EQ(ram16(var::free_stack_256), free_before + 1);
    EXPECT_EQ(ram16(var::free_stack_256 + 2 * (free_before + 1)), static_cast<uint16_t>(piece));
}

TEST_F(TitleObjects, StillPictureShowsAfterItsDelay) {
    plant_type(4, 3, 70, 80);
    const uint32_t picture = spawn(entry::sub_077697 /* still */, sub_088C67);
    set_fade(true);
    passes(2);
    set_fade(false);
    passes(4);
    const auto l = listed_by(picture);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0], (listing{5, picture, 70, 80, -64}));
}

// ---- logo ----

TEST_F(TitleObjects, LogoZoomsTwoPicturesThenBlendsAndEnds) {
    plant16(0x077B26, 3);
    // The mixer as the title's start leaves it: no blend on any layer.
    for (uint32_t reg : {mixer_reg::nbg0_mix, mixer_reg::nbg2_mix, mixer_reg::blend})
        orb_write16(var::mixer_shadow + reg, 0);
    const uint32_t logo = spawn(entry::sub_077707 /* logo */, sub_088C67);
    set_fade(true);
    pass();
    EXPECT_EQ(ram16(var::nbg0_zoom), 0x0FF0);
    EXPECT_EQ(ram16(0x208202) & 1, 1) << "NBG0 off";
    EXPECT_EQ(ram32(var::page_picks), 0x03030303u);
    set_fade(false);
    std::vector<int> zooms;
    std::vector<int> levels;
    uint16_t blend = ram16(0x208B4E);
    int passes_run = 0;
    while (!ring().empty() && passes_run < 1000) {
        orb_write32(var::system_flags, 0);
        pass();
        ++passes_run;
        if (ram16(var::nbg0_zoom) != (zooms.empty() ? 0x0FF0 : zooms.back())) {
            zooms.push_back(ram16(var::nbg0_zoom));
            EXPECT_TRUE(ram32(var::system_flags) & (1u << system_flag::video_upload_all));
        }
        if (ram16(0x208B4E) != blend) {
            blend = ram16(0x208B4E);
            levels.push_back((blend >> 8) & 7);
            EXPECT_TRUE(ram32(var::system_flags) & (1u << system_flag::mixer_upload));
        }
    }
    ASSERT_TRUE(ring().empty());
    EXPECT_EQ(ram8(logo + object_record::state), 9) << "released from its last state";
    ASSERT_EQ(zooms.size(), 42u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(zooms[i], 2432 - 96 * i);
    EXPECT_EQ(std::vector<int>(zooms.begin() + 20, zooms.begin() + 23), (std::vector<int>{3823, 3382, 2982}));
    EXPECT_EQ(std::vector<int>(zooms.end() - 3, zooms.end()), (std::vector<int>{517, 513, 512}));
    EXPECT_EQ(levels, (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(ram16(0x208202) & 1, 0) << "NBG0 on";
    EXPECT_EQ(ram32(var::page_picks), 0u) << "NBG0's pages";
    EXPECT_EQ(ram32(0x208248), 0x01010101u);
    EXPECT_EQ(ram16(0x208B32) & 0x1799, 0);
    EXPECT_EQ(ram16(0x208B36) & 0x1799, 0);
    EXPECT_EQ(calls(sub_06196A /* end text */), 1);
    EXPECT_EQ(ram16(var::free_stack_128), 124);
    // The delay of 3 (its first step in the frame the fade ends, its last
    // with the first zoom), 20 + 22 zoom frames, 60 still, 32 + 32 blending.
    EXPECT_EQ(passes_run, 2 + 20 + 22 + 60 + 32 + 32);
    EXPECT_TRUE(listed_.empty()) << "the logo is a tile layer, never a sprite";
}

// ---- watcher, squash sprite, title object ----

TEST_F(TitleObjects, WatcherRestartsOnAWrongPressAndPrintsTheRevision) {
    const uint8_t sequence[] = {0x10, 0x20, 0x40, 0};
    for (uint32_t i = 0; i < 4; ++i) plant8(rom::hidden_sequence + i, sequence[i]);
    orb_write16(var::backup_primary + backup_record::revision, 0x0107);
    std::vector<uint32_t> hex;  // R0, R1, R11
    fake(sub_088A5A /* print hex 2 */, [&] { hex = {r(0), r(1), r(11)}; });
    std::vector<uint32_t> palettes;
    fake(sub_0896A9 /* queue palette */, [&] { palettes.push_back(r(19)); });
    const uint32_t watcher = spawn(entry::sub_0778EB /* watcher */, sub_088C67);
    pass();
    EXPECT_EQ(palettes, std::vector<uint32_t>{rom::watcher_palette});
    EXPECT_TRUE(listed_.empty()) << "not listed in its first frame";
    // 0x10, 0x20 count; a 0x10 where 0x40 belongs starts again and is not
    // taken as the first step; then 0x10, 0x20.
    for (uint8_t press : {0x10, 0x00, 0x20, 0x10}) {
        orb_write8(var::player_presses, press);
        pass();
    }
    EXPECT_EQ(ram32(watcher + 72), rom::hidden_sequence);
    for (uint8_t press : {0x10, 0x20}) {
        orb_write8(var::player_presses, press);
        pass();
    }
    EXPECT_EQ(calls(sub_0889C2 /* print record */), 0);
    EXPECT_EQ(ram32(watcher + 72), 0x07797Cu);
    EXPECT_EQ(ram32(watcher + object_record::routine), entry::sub_07792B);
    orb_write8(var::player_presses, 0x40);
    pass();
    EXPECT_EQ(calls(sub_0889C2 /* print record */), 1);
    EXPECT_EQ(hex, (std::vector<uint32_t>{0x0107, 0, 0x31F0C6}));
    EXPECT_EQ(ram32(watcher + object_record::routine), entry::sub_077971);
    passes(2);
    ASSERT_EQ(listed_by(watcher).size(), 9u) << "listed every frame after the first";
    EXPECT_EQ(listed_.back().key, -128);
}

TEST_F(TitleObjects, SquashSpriteSpringsBackIntoPlace) {
    fake(sub_061F06 /* start script */, [] {
        orb_write16(r(20) + 100, 0x2C00 | 12);  // height 12
        orb_write16(r(20) + 102, 0xA400 | 40);  // width 40
    });
    const uint32_t sprite = spawn(entry::sub_0779A9 /* squash */, sub_088C67);
    orb_write8(var::game_mode, game_mode::presentation);  // no mode check during the wait
    passes(459);
    EXPECT_EQ(ring().size(), 1u);
    orb_write8(var::game_mode, game_mode::title);
    passes(6);
    std::vector<int16_t> xs;
    for (const auto& l : listed_by(sprite)) xs.push_back(l.x);
    EXPECT_EQ(xs, (std::vector<int16_t>{235, 239, 242, 244, 245, 245}));
    ASSERT_GE(listed_.size(), 1u);
    EXPECT_EQ(listed_.front().frame, 460);
    EXPECT_EQ(listed_.front().y, 176);
    EXPECT_EQ(listed_.front().key, -64);
    EXPECT_EQ(ram16(sprite + 100), 0x2C00 | 12) << "back to its size";
    EXPECT_EQ(ram16(sprite + 102), 0xA400 | 40);
    EXPECT_EQ(ram32(sprite + object_record::routine), entry::sub_077A7A);
}

TEST_F(TitleObjects, FlatSquashSpriteCountsItsByteRound) {
    fake(sub_061F06 /* start script */, [] { orb_write16(r(20) + 100, 2); });
    const uint32_t sprite = spawn(entry::sub_0779A9 /* squash */, sub_088C67);
    passes(460);
    EXPECT_EQ(ram16(sprite + object_record::screen_x), 245);
    passes(255);
    EXPECT_EQ(ram32(sprite + object_record::routine), entry::sub_077A34);
    pass();
    EXPECT_EQ(ram32(sprite + object_record::routine), entry::sub_077A7A) << "after 256 frames";
}

TEST_F(TitleObjects, TitleObjectEndsFromSubModeTwelve) {
    const uint32_t title = spawn(entry::sub_077A83 /* title object */, sub_088C67);
    pass();
    EXPECT_EQ(listed_by(title), (std::vector<listing>{{1, title, 16, 0, -96}}));
    orb_write8(var::game_submode, 12);
    pass();
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(listed_.size(), 1u);
}

// Outside the title every object goes in the next pass before doing anything
// else; the squash sprite only after its wait, the watcher after its input step.
TEST_F(TitleObjects, LeavingTheTitleReleasesEveryObject) {
    plant_type(1, 5, 0, 0);
    plant_type(3, 5, 0, 0);
    plant_type(7, 5, 0, 0);
    plant_type(4, 5, 0, 0);
    plant16(0x077B26, 5);
    plant8(rom::hidden_sequence, 0x99);
    for (uint32_t routine : {entry::sub_0775DF /* flying 1 */, entry::sub_077558 /* falling */,
                             entry::sub_077697 /* still */, entry::sub_077707 /* logo */,
                             entry::sub_0778EB /* watcher */, entry::sub_077A83 /* title object */})
        spawn(routine, sub_088C67);
    const uint32_t accelerating = spawn(entry::sub_0774AC /* accelerating */, sub_088C57);
    const uint32_t squash = spawn(entry::sub_0779A9 /* squash */, sub_088C67);
    pass();
    const auto ticks = calls(sub_061FB6 /* tick */);
    listed_.clear();
    orb_write8(var::game_mode, game_mode::presentation);
    orb_write8(var::player_presses, 0x55);
    const uint16_t free256 = ram16(var::free_stack_256);
    pass();
    EXPECT_EQ(ring(), std::vector<uint32_t>{squash});
    EXPECT_TRUE(listed_.empty());
    EXPECT_EQ(calls(sub_061FB6 /* tick */), ticks);
    EXPECT_EQ(ram16(var::free_stack_128), 124 - 1);
    EXPECT_EQ(ram16(var::free_stack_256), free256 + 1);
    EXPECT_EQ(ram16(var::free_stack_256 + 2 * (free256 + 1)), static_cast<uint16_t>(accelerating));
    passes(457);
    EXPECT_EQ(ring(), std::vector<uint32_t>{squash});
    pass();
    EXPECT_TRUE(ring().empty());
    EXPECT_TRUE(listed_.empty());
}

// The 256-byte release leaves the free stack in R19 and its count in R9.
TEST_F(TitleObjects, TheTwoFiftySixByteReleaseLeavesTheStackAndCount) {
    const uint32_t piece = spawn(entry::sub_0774AC /* accelerating */, sub_088C57);
    orb_write8(var::game_mode, game_mode::demo);
    cpu.reg[20] = piece;
    ASSERT_TRUE(run(sub_0774AC));
    EXPECT_EQ(r(19), var::free_stack_256);
    EXPECT_EQ(r(9), 12u);
    EXPECT_EQ(ram16(var::free_stack_256 + 24), static_cast<uint16_t>(piece));
    EXPECT_TRUE(ring().empty());
}

TEST_F(TitleObjects, AStateOutsideItsTableEndsTheRun) {
    const struct {
        uint32_t routine;
        uint8_t state;
        const char* message;
    } cases[] = {
        {entry::sub_077707 /* logo */, 10, "Jump from 077711 to 077732 has no translated target"},
        {entry::sub_0774AC /* accelerating */, 5, "Jump from 0774B6 to 0774C8 has no translated target"},
        {entry::sub_0775F9, 4, "Jump from 077605 to 077614 has no translated target"},
    };
    for (const auto& c : cases) {
        init_objects();
        const uint32_t o =
            spawn(c.routine, c.routine == entry::sub_0774AC /* accelerating */ ? sub_088C57 : sub_088C67);
        orb_write8(o + object_record::state, c.state);
        EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), c.message);
    }
}

}  // namespace
