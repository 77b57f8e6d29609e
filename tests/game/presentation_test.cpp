#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "board/machine.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/object_passes.h"
#include "tests/support/game_harness.h"

namespace {

class Actors : public ObjectPasses {
protected:
    void SetUp() override {
        ObjectPasses::SetUp();
        listed_.clear();
        orb_write8(var::game_mode, game_mode::presentation);
        fake_all({sub_061F06 /* start script */, sub_061FB6 /* tick */, sub_06200F /* show frame */});
        fake(sub_062094 /* list */, [this] { listed_[r(20)].push_back(frame_); });
        // Print: cells (attribute << 8 | character) from R18; R19 one past the 0.
        printed_.clear();
        fake(sub_0889CF /* print */, [this] {
            printed_.push_back(frame_);
            for (uint8_t c; (c = orb_read8(cpu.reg[19]++)) != 0; cpu.reg[18] += 2)
                orb_write16(cpu.reg[18], static_cast<uint16_t>((cpu.reg[9] & 0xFF) << 8 | c));
        });
    }

    // A presentation actor as the mode machine makes it.
    static uint32_t actor(uint32_t routine, uint8_t scene, uint32_t owner = 0) {
        const uint32_t o = spawn(routine, sub_088C57);
        orb_write8(o + object_record::type, scene);
        orb_write16(o + object_record::owner, static_cast<uint16_t>(owner));
        return o;
    }

    std::map<uint32_t, std::vector<int>> listed_;  // frames in which each object was listed
    std::vector<int> printed_;                     // frames in which a line was printed
};

std::vector<int> frames(int first, int last) {
    std::vector<int> v;
    for (int f = first; f <= last; ++f) v.push_back(f);
    return v;
}

// The fade is first seen finished in frame F = 4: the parts move in F + 29 to
// F + 48, and in F + 49 the split sprite is gone and the drop-in falls.
TEST_F(Actors, SplitSpriteOpensThenDropInSpritesFall) {
    plant32(rom::drop_scripts + 4 * 2, 0x140000);
    plant16(rom::drop_places + 6 * 2, 50);
    plant16(rom::drop_places + 6 * 2 + 2, static_cast<uint16_t>(-100));
    plant16(rom::drop_places + 6 * 2 + 4, 30);
    const uint32_t split = actor(entry::sub_081CB5 /* split */, 2);
    const uint32_t drop = actor(entry::sub_081D57 /* drop in */, 2, split);
    std::vector<int16_t> drop_y;
    fake(sub_062094 /* list */, [&] {
        listed_[r(20)].push_back(frame_);
        if (r(20) == drop) drop_y.push_back(static_cast<int16_t>(ram16(drop + object_record::screen_y)));
    });
    orb_write16(split + 106, 1000);
    orb_write16(split + 122, 2000);
    set_fade(true);
    passes(3);
    set_fade(false);
    std::map<int, std::pair<int, int>> parts;  // frame: the two x offsets
    for (int f = 4; f <= 4 + 62; ++f) {
        pass();
        parts[f] = {ram16(split + 106), ram16(split + 122)};
    }
    constexpr int F = 4;
    EXPECT_EQ(listed_[split], frames(1, F + 48));
    EXPECT_EQ(parts[F + 28], std::make_pair(1000, 2000));
    EXPECT_EQ(parts[F + 29], std::make_pair(1000 - 8, 2000 + 8));
    EXPECT_EQ(parts[F + 48], std::make_pair(1000 - 160, 2000 + 160));
    EXPECT_EQ(ram8(split + object_record::state), 4);
    EXPECT_EQ(ring(), std::vector<uint32_t>{drop});
    EXPECT_EQ(ram16(var::free_stack_256 + 2 * ram16(var::free_stack_256)), static_cast<uint16_t>(split));
    // The drop-in: at its place in its first frame, hidden until F + 49, then
    // -92, -84, ..., -4 and 0 from its 13th falling frame.
    std::vector<int> expected_frames = {1};
    for (int f = F + 49; f <= 4 + 62; ++f) expected_frames.push_back(f);
    EXPECT_EQ(listed_[drop], expected_frames);
    ASSERT_EQ(drop_y.size(), 15u);
    EXPECT_EQ(drop_y[0], -100);
    EXPECT_EQ(drop_y[1], -92);
    EXPECT_EQ(drop_y[12], -4);
    EXPECT_EQ(drop_y[13], 0);
    EXPECT_EQ(drop_y[14], 0);
    EXPECT_EQ(ram16(drop + object_record::screen_x), 50);
    EXPECT_EQ(ram16(drop + object_record::height), 30);
}

TEST_F(Actors, DropInWhoseOwnerHasGoneFallsFromItsSecondFrame) {
    const uint32_t owner = actor(kTestEntry[0], 0);
    fake(kTestEntry[0]);
    orb_write8(owner + object_record::state, 4);
    const uint32_t drop = actor(entry::sub_081D57 /* drop in */, 0, owner);
    plant16(rom::drop_places + 2, 8);  // scene 0: y 8
    pass();
    EXPECT_EQ(calls(sub_061FB6 /* tick */), 1) << "one animation tick";
    EXPECT_EQ(ram8(drop + object_record::state), 2);
    pass();
    EXPECT_EQ(ram16(drop + object_record::screen_y), 0);
    EXPECT_EQ(ram8(drop + object_record::state), 3);
    EXPECT_EQ(listed_[drop], frames(1, 2));
}

TEST_F(Actors, TextWriterPrintsALineEverySecondFrameAfter150) {
    const char text[] = "AB\0CD\0E\0\x80";
    for (uint32_t i = 0; i < sizeof text; ++i) plant8(0x0E0000 + i, static_cast<uint8_t>(text[i]));
    plant32(rom::presentation_texts + 4 * 1, 0x0E0000);
    plant16(rom::presentation_first_cell, 0xF104);
    plant8(rom::presentation_text_attributes + 1, 0x22);
    const uint32_t writer = actor(entry::sub_081E2A /* writer */, 1);
    passes(160);
    EXPECT_EQ(printed_, (std::vector<int>{151, 153, 155}));
    EXPECT_EQ(ram16(0x31F104), 0x2241);
    EXPECT_EQ(ram16(0x31F106), 0x2242);
    EXPECT_EQ(ram16(0x31F184), 0x0043);
    EXPECT_EQ(ram16(0x31F204), 0x0045);
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_256 + 24), static_cast<uint16_t>(writer));
    EXPECT_TRUE(listed_.empty()) << "never listed";
}

TEST_F(Actors, TextWriterOfASceneWithoutTextLeavesAtOnce) {
    actor(entry::sub_081E2A /* writer */, 3);
    pass();
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_256), 12);
    EXPECT_EQ(calls(sub_0889CF /* print */), 0);
}

// Each presentation actor goes in the first frame the mode is no longer 21,
// back on the 256-byte free stack.
TEST_F(Actors, PresentationActorsLeaveWithTheScene) {
    plant32(rom::presentation_texts, 0x0E0000);
    const uint32_t split = actor(entry::sub_081CB5 /* split */, 0);
    const uint32_t drop = actor(entry::sub_081D57 /* drop in */, 0, split);
    const uint32_t writer = actor(entry::sub_081E2A /* writer */, 0);
    pass();
    listed_.clear();
    orb_write8(var::game_mode, game_mode::demo);
    pass();
    EXPECT_TRUE(ring().empty());
    EXPECT_TRUE(listed_.empty());
    EXPECT_EQ(ram16(var::free_stack_256), 12);
    EXPECT_EQ(ram16(var::free_stack_256 + 20), static_cast<uint16_t>(split));
    EXPECT_EQ(ram16(var::free_stack_256 + 22), static_cast<uint16_t>(drop));
    EXPECT_EQ(ram16(var::free_stack_256 + 24), static_cast<uint16_t>(writer));
}

TEST_F(Actors, RankingSpritesShowTheirOwnFrameWhileTheRankingLasts) {
    orb_write8(var::game_mode, game_mode::ranking_screen);
    plant16(rom::ranking_places + 4 * 2, 120);
    plant16(rom::ranking_places + 4 * 2 + 2, 64);
    std::vector<uint32_t> shown;  // frame index at the frame install
    fake(sub_06200F /* show frame */, [&] { shown.push_back(ram8(r(20) + object_record::frame_index)); });
    std::vector<uint32_t> sprites;
    for (uint8_t k = 0; k < 4; ++k) {
        sprites.push_back(spawn(entry::sub_08A364 /* ranking */, sub_088C67));
        orb_write8(sprites.back() + object_record::type, k);
    }
    passes(2);
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ram16(sprites[2] + object_record::screen_x), 120);
    EXPECT_EQ(ram16(sprites[2] + object_record::screen_y), 64);
    EXPECT_EQ(ram16(sprites[2] + object_record::height), 0xFF80);
    EXPECT_EQ(calls(sub_061FB6 /* tick */), 0);
    for (uint32_t s : sprites) EXPECT_EQ(listed_[s], frames(1, 2));
    orb_write8(var::game_mode, game_mode::title);
    pass();
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(ram16(var::free_stack_128), 124);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * 124), static_cast<uint16_t>(sprites[3]));
}

class Emitter : public Actors {
protected:
    void SetUp() override {
        Actors::SetUp();
        // Each particle's script runs `life` ticks; the first particle seen
        // records its type.
        fake(sub_061FB6 /* tick */, [this] {
            const uint32_t o = r(20);
            if (!ticks_.count(o)) types_.push_back(ram8(o + object_record::type));
            orb_write8(o + object_record::frame_duration, ++ticks_[o] < life_ ? 1 : 0);
            if (!ram8(o + object_record::frame_duration)) ticks_.erase(o);
        });
    }
    std::map<uint32_t, int> ticks_;
    std::vector<uint32_t> types_;
    int life_ = 3;
};

TEST_F(Emitter, ParticlesTakeTheSixteenPositionsInTurn) {
    plant16(rom::particle_places + 4 * 5, 33);
    plant16(rom::particle_places + 4 * 5 + 2, 44);
    const uint32_t emitter = spawn(entry::sub_08A876 /* emitter */, sub_088C67);
    passes(6);
    ASSERT_GE(ring().size(), 1u);
    const uint32_t sixth = ring().back();
    EXPECT_EQ(ram8(sixth + object_record::type), 5);
    EXPECT_EQ(ram32(sixth + object_record::routine), entry::sub_08A8DD /* particle */);
    EXPECT_EQ(ram16(sixth + object_record::screen_x), 33);
    EXPECT_EQ(ram16(sixth + object_record::screen_y), 44);
    EXPECT_EQ(ram16(sixth + object_record::height), 224);
    passes(12);
    std::vector<uint32_t> expected;
    for (int i = 0; i < 18; ++i) expected.push_back(i % 16);
    EXPECT_EQ(types_, expected);
    EXPECT_EQ(listed_[emitter], frames(1, 18));
    EXPECT_EQ(ring().size(), 1u + 2) << "a three-frame script: the last two particles";
    EXPECT_EQ(ram8(emitter + 55), 18 % 16);
}

TEST_F(Emitter, AParticleWithAStoppedScriptNeverShows) {
    life_ = 1;
    const uint32_t emitter = spawn(entry::sub_08A876 /* emitter */, sub_088C67);
    passes(3);
    EXPECT_EQ(listed_.size(), 1u) << "only the emitter";
    EXPECT_EQ(ring(), std::vector<uint32_t>{emitter});
    EXPECT_EQ(ram16(var::free_stack_128), 123);
}

TEST_F(Emitter, AnEmptyPoolLinksNothing) {
    const uint32_t emitter = spawn(entry::sub_08A876 /* emitter */, sub_088C67);
    pass();
    const auto before = ring();
    orb_write16(var::free_stack_128, 0);
    ASSERT_GE(before.size(), 1u);
    cpu.reg[21] = before.back();  // the stale R21 an empty pool leaves
    pass();
    EXPECT_EQ(ring(), before);
    EXPECT_EQ(var::object_area | ram16(before.back() + object_record::next), emitter)
        << "the ring stays closed";
    EXPECT_EQ(ram8(before.back() + object_record::type), 0) << "the stale R21 is not written";
    EXPECT_EQ(ram8(emitter + 55), 2) << "the index still advances";
}

TEST_F(Actors, AStateBeyondItsTableEndsTheRun) {
    const struct {
        uint32_t routine;
        uint8_t mode, state;
        const char* message;
    } cases[] = {
        {entry::sub_081CB5 /* split */, 21, 4, "Jump from 081CD1 to 081CE1 has no translated target"},
        {entry::sub_081D57 /* drop in */, 21, 4, "Jump from 081D73 to 081D83 has no translated target"},
        {entry::sub_081E2A /* writer */, 21, 3, "Jump from 081E46 to 081E53 has no translated target"},
        {entry::sub_08A364 /* ranking */, 12, 2, "Jump from 08A36C to 08A376 has no translated target"},
        {entry::sub_08A876 /* emitter */, 21, 2, "Jump from 08A87E to 08A888 has no translated target"},
        {entry::sub_08A8DD /* particle */, 21, 2, "Jump from 08A8E5 to 08A8EF has no translated target"},
    };
    for (const auto& c : cases) {
        init_objects();
        orb_write8(var::game_mode, c.mode);
        const uint32_t o = spawn(c.routine, sub_088C57);
        orb_write8(o + object_record::state, c.state);
        EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), c.message);
    }
}

}  // namespace
