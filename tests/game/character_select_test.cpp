#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

uint32_t rec(uint32_t slot) { return var::player_records + 0x100 * slot; }
uint8_t places_free() { return orb_read8(var::character_places_free); }

class CharacterSelect : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        fake(sub_061F06 /* animation start */);
        fake(sub_088F98 /* sound a */, [this] { sounds_.push_back(cpu.reg[0] & 0xFF); });
        // What the game's start-up leaves, planted: no game or system bits,
        // empty player records, no input sampled and empty display buckets.
        for (uint32_t i = 0; i < 1024; ++i) orb_write8(var::display_buckets + i, 0);
        orb_write16(var::display_count, 0);
        // Layout 0: a two-slot cabinet with the panels unshifted.
        orb_write8(var::backup_primary + backup_record::player_count, 0);
        orb_write8(var::panel_layout_shift, 0);
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        for (uint32_t i = 0; i < 4 * 256; ++i) orb_write8(var::player_records + i, 0);
        for (uint32_t i = 0; i < 24; ++i) orb_write8(var::player_inputs + i, 0);
        for (uint32_t n = 0; n < 4; ++n) {
            plant16(rom::cursor_players + 2 * n,
                    static_cast<uint16_t>(0x2000 + 0x100 * n));  // cursor n: slot n
            orb_write8(rec(n) + 129, static_cast<uint8_t>(n));
            plant16(rom::cursor_positions + 4 * n, static_cast<uint16_t>(40 + 64 * n));
            plant16(rom::cursor_positions + 4 * n + 2, 150);
        }
        // Layout 0: places 0-4 show characters 3, 2, 1, 0, 0; layout 3: 0, 1, 2, 3.
        const uint8_t layout0[5] = {3, 2, 1, 0, 0}, layout3[5] = {0, 1, 2, 3, 0};
        for (uint32_t p = 0; p < 5; ++p) {
            plant8(rom::place_characters + p, layout0[p]);
            plant8(rom::place_characters + 15 + p, layout3[p]);
        }
        for (uint32_t c = 0; c < 4; ++c) plant8(rom::taken_sounds + c, static_cast<uint8_t>(0xC0 + c));
        controller_ = spawn(entry::sub_062B7D, sub_088C57);
    }

    // A cursor of this type on the ring, owned by the controller, running.
    uint32_t cursor(uint8_t type, uint8_t place, uint8_t state = 1) {
        const uint32_t c = spawn(entry::sub_062C06 /* cursor */, sub_088C67);
        orb_write8(c + 3, type);
        orb_write16(c + 12, static_cast<uint16_t>(controller_));
        orb_write8(c + 2, state);
        orb_write8(c + 76, place);
        orb_write16(c + 54, 0xFFFF);
        return c;
    }
    void open_selection(uint8_t free = 15) {
        orb_write16(var::flow_countdown, 1200);
        orb_write16(controller_, 1);
        orb_write8(controller_ + 2, 1);
        orb_write8(var::character_places_free, free);
    }
    void frame() { ASSERT_TRUE(run(sub_088B00)); }

    uint32_t controller_ = 0;
    std::vector<uint32_t> sounds_;
};

TEST_F(CharacterSelect, ControllerOpensThePlacesAndCreatesTheListedObjects) {
    plant8(rom::select_objects, 2);
    plant32(0x06301D, kTestEntry[0]);
    plant8(0x063021, 4);
    plant32(0x063022, kTestEntry[1]);
    plant8(0x063026, 1);
    fake(kTestEntry[0]);
    fake(kTestEntry[1]);
    orb_write8(var::character_places_free, 0);
    cpu.reg[20] = controller_;
    ASSERT_TRUE(run(sub_062B7D));
    EXPECT_EQ(places_free(), 15);
    EXPECT_EQ(ram16(controller_), 1);
    EXPECT_EQ(ram8(controller_ + 2), 1);
    const std::vector<uint32_t> objects = ring();
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(ram32(objects[1] + 4), kTestEntry[0]);
    EXPECT_EQ(ram8(objects[1] + 3), 4);
    EXPECT_EQ(ram32(objects[2] + 4), kTestEntry[1]);
    EXPECT_EQ(ram8(objects[2] + 3), 1);
    EXPECT_EQ(ram16(objects[2] + 12), static_cast<uint16_t>(controller_));
}

// An empty pool ends the set-up: nothing links the last object twice.
TEST_F(CharacterSelect, ControllerStopsCreatingAtAnEmptyPool) {
    plant8(rom::select_objects, 3);
    for (uint32_t i = 0; i < 3; ++i) plant32(0x06301D + 5 * i, kTestEntry[i]);
    orb_write16(var::free_stack_128, 1);
    cpu.reg[20] = controller_;
    ASSERT_TRUE(run(sub_062B7D));
    const std::vector<uint32_t> objects = ring();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(ram32(objects[1] + 4), kTestEntry[0]);
    EXPECT_EQ(ram16(var::active_count), 2);
}

TEST_F(CharacterSelect, OnePlayerChoosesAndTheCountdownEndsTwoFramesLater) {
    plant8(rom::select_objects, 1);
    plant32(0x06301D, entry::sub_062C06 /* cursor */);
    plant8(0x063021, 0);
    orb_write16(rec(0), 1);
    orb_write16(var::flow_countdown, 1200);  // as the flow enters the screen
    frame();                                 // set-up; the cursor starts in the same pass
    const std::vector<uint32_t> objects = ring();
    ASSERT_EQ(objects.size(), 2u);
    const uint32_t c = objects[1];
    EXPECT_EQ(ram8(c + 2), 1);
    EXPECT_EQ(ram8(controller_ + 72), 1);
    orb_write16(var::flow_countdown, 1199);
    frame();
    EXPECT_EQ(ram16(0x31F244), 0x0631);
    EXPECT_EQ(ram16(0x31F246), 0x0639) << "19 seconds";
    orb_write16(var::flow_countdown, 1200);
    frame();
    EXPECT_EQ(ram16(0x31F244), 0x0632);
    EXPECT_EQ(ram16(0x31F246), 0x0630) << "20 seconds";
    orb_write8(var::player_inputs + 16, 0x10);
    frame();  // taken
    orb_write8(var::player_inputs + 16, 0);
    EXPECT_EQ(ram8(c + 2), 2);
    EXPECT_EQ(ram8(rec(0) + 149), 3) << "place 0 shows character 3";
    EXPECT_EQ(places_free(), 0b1110);
    EXPECT_EQ(sounds_, (std::vector<uint32_t>{0xC3}));
    frame();  // the cursor counts itself out
    EXPECT_EQ(ram8(c + 2), 3);
    EXPECT_NE(ram16(var::flow_countdown), 0);
    frame();  // the controller sees it
    EXPECT_EQ(ram16(var::flow_countdown), 0);
    EXPECT_EQ(ram16(controller_), 0);
    EXPECT_EQ(ram8(controller_ + 2), 2);
}

TEST_F(CharacterSelect, HeldRightMovesAtOnceThenEvery32FramesSkippingTakenPlaces) {
    orb_write16(rec(0), 1);
    open_selection(0b1011);  // place 2 taken
    const uint32_t c = cursor(0, 0);
    orb_write8(var::player_inputs + 8, 0x04);
    std::vector<int> moves;
    uint8_t last = 0;
    for (int frame = 1; frame <= 70; ++frame) {
        cpu.reg[20] = c;
        ASSERT_TRUE(run(sub_062C06));
        if (ram8(c + 76) != last) moves.push_back(frame), last = ram8(c + 76);
    }
    EXPECT_EQ(moves, (std::vector<int>{1, 33, 65}));
    EXPECT_EQ(last, 0) << "0, 1, 3, then round to 0";
    EXPECT_EQ(static_cast<int16_t>(ram16(c + 16)), 40);
}

TEST_F(CharacterSelect, HeldLeftStepsDownToAFreePlace) {
    orb_write16(rec(0), 1);
    open_selection(0b0101);
    const uint32_t c = cursor(0, 2);
    orb_write8(var::player_inputs + 8, 0x08);
    cpu.reg[20] = c;
    ASSERT_TRUE(run(sub_062C06));
    EXPECT_EQ(ram8(c + 76), 0);
}

// With no place free the searches look one turn and give back the place they
// started from (the guest looked on for ever): the right step starts one
// place on, the left step stays.
TEST_F(CharacterSelect, NoFreePlaceEndsTheSearchesAfterOneTurn) {
    orb_write16(rec(0), 1);
    open_selection(0);
    const uint32_t c = cursor(0, 2);
    const struct { uint8_t held, place; } steps[] = {{0x04, 3}, {0x08, 3}};
    for (const auto& step : steps) {
        orb_write8(var::player_inputs + 8, step.held);
        orb_write16(c + 54, 0xFFFF);
        cpu.reg[20] = c;
        ASSERT_TRUE(run(sub_062C06));
        EXPECT_EQ(ram8(c + 76), step.place) << int(step.held);
    }
    cpu.reg[9] = 1;
    ASSERT_TRUE(run(sub_062E4F));
    EXPECT_EQ(r(9), 1u);
}

TEST_F(CharacterSelect, TimeOutTakesThePlaceUnderTheCursorOrTheNextUpward) {
    orb_write16(rec(0), 1);
    orb_write16(rec(1), 1);
    open_selection(0b1101);  // place 1 taken
    const uint32_t a = cursor(0, 1), b = cursor(1, 3);
    orb_write16(controller_, 0);  // closed
    cpu.reg[20] = a;
    ASSERT_TRUE(run(sub_062C06));
    cpu.reg[20] = b;
    ASSERT_TRUE(run(sub_062C06));
    EXPECT_EQ(ram8(a + 76), 2);
    EXPECT_EQ(ram8(b + 76), 3);
    EXPECT_EQ(ram8(a + 2), 2);
    EXPECT_EQ(ram8(b + 2), 2);
    EXPECT_EQ(places_free(), 0b0001);
    EXPECT_EQ(ram8(rec(0) + 149), 1);
    EXPECT_EQ(ram8(rec(1) + 149), 0);
}

TEST_F(CharacterSelect, OfTwoCursorsOnOnePlaceTheFirstToPressTakesIt) {
    orb_write16(rec(0), 1);
    orb_write16(rec(1), 1);
    open_selection();
    orb_write8(controller_ + 72, 2);
    const uint32_t b = cursor(1, 1), a = cursor(0, 1);  // b runs first
    orb_write8(var::player_inputs + 16 + 0, 0x20);
    frame();
    orb_write8(var::player_inputs + 16 + 0, 0);
    EXPECT_EQ(ram8(a + 2), 2);
    EXPECT_EQ(ram8(b + 76), 1) << "not yet";
    frame();
    EXPECT_EQ(ram8(b + 76), 2);
    EXPECT_EQ(ram8(b + 2), 1);
}

TEST_F(CharacterSelect, MarkersChangeColourOnceTheirPlaceIsTaken) {
    open_selection(0b1101);
    for (uint32_t i = 0; i < 5; ++i) {
        plant16(rom::marker_positions + 4 * i, static_cast<uint16_t>(10 * i));
        plant16(rom::marker_positions + 4 * i + 2, 99);
    }
    const uint32_t taken = spawn(entry::sub_062CCF /* marker */, sub_088C67),
                   open = spawn(entry::sub_062CCF /* marker */, sub_088C67),
                   fifth = spawn(entry::sub_062CCF /* marker */, sub_088C67);
    orb_write8(taken + 3, 1);
    orb_write8(open + 3, 0);
    orb_write8(fifth + 3, 4);
    for (uint32_t m : {taken, open, fifth}) orb_write16(m + 110, 0x0100);
    for (int i = 0; i < 3; ++i) {
        for (uint32_t m : {taken, open, fifth}) {
            cpu.reg[20] = m;
            ASSERT_TRUE(run(sub_062CCF));
        }
    }
    EXPECT_EQ(ram16(taken + 110), 0x0100 + 160) << "once";
    EXPECT_EQ(ram8(taken + 2), 2);
    EXPECT_EQ(ram16(open + 110), 0x0100);
    EXPECT_EQ(ram8(open + 2), 1);
    EXPECT_EQ(ram8(fifth + 2), 2);
    EXPECT_EQ(ram16(fifth + 110), 0x0100);
    EXPECT_EQ(ram16(taken + 16), 10);
    EXPECT_EQ(calls(sub_061F06 /* animation start */), 3);
}

TEST_F(CharacterSelect, LookupsFollowTheLayout) {
    for (uint32_t c = 0; c < 4; ++c) {
        plant8(rom::character_places + c, static_cast<uint8_t>(3 - c));
        plant8(rom::character_places + 4 * 4 + c, static_cast<uint8_t>(c));
    }
    const uint32_t c = cursor(0, 1);
    const struct {
        uint8_t players, shift;
        uint32_t character, place_of_2;
    } cases[] = {{0, 0, 2, 1}, {0, 1, 1, 0}, {1, 5, 1, 2}};
    plant8(rom::place_characters + 5 + 1, 1);   // layout 1, place 1
    plant8(rom::place_characters + 20 + 1, 1);  // layout 4, place 1
    for (const auto& k : cases) {
        SCOPED_TRACE(int(k.players) * 10 + k.shift);
        orb_write8(var::backup_primary + backup_record::player_count, k.players);
        orb_write8(var::panel_layout_shift, k.shift);
        cpu.reg[20] = c;
        ASSERT_TRUE(run(sub_062E62));
        EXPECT_EQ(r(0), k.character);
        orb_write8(rec(0) + 149, 2);
        cpu.reg[20] = rec(0);
        ASSERT_TRUE(run(sub_062E7E));
        EXPECT_EQ(r(0), k.place_of_2);
    }
}

TEST_F(CharacterSelect, ChosenCursorsStayListedAndStateFiveEndsTheRun) {
    const uint32_t c = cursor(0, 1, 4);
    orb_write16(c + 18, 100);
    cpu.reg[20] = c;
    ASSERT_TRUE(run(sub_062C06));
    EXPECT_TRUE(ram16(c) & 0x20) << "state 4 as state 3: listed";
    orb_write8(c + 2, 5);
    EXPECT_EXIT(sub_062C06(), testing::ExitedWithCode(3),
                "^Jump from 062C1D to 062C2F has no translated target");
}

TEST_F(CharacterSelect, PalettePresetQueuesTheScreensBlock) {
    fake(sub_0896A9, [] { EXPECT_EQ(cpu.reg[19], rom::menu_palette); });
    ASSERT_TRUE(run(sub_062B70));
    EXPECT_EQ(calls(sub_0896A9), 1);
}

}  // namespace
