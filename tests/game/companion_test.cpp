#include <gtest/gtest.h>

#include "tests/game/actor_fixture.h"

namespace {

constexpr uint32_t kData = 0x060100;        // a parent's companion data
constexpr uint32_t kFixedParts = 0x13164E;  // count, then the first part
constexpr uint32_t kParentFrame = 0x060200;

class Companion : public ActorTest {
protected:
    void SetUp() override {
        ActorTest::SetUp();
        plant16(kData, 0x0123);
        plant16(kData + 2, 0x0456);
        plant8(kFixedParts, 2);
        plant16(kFixedParts + 3, 0x2418);  // word 1: height 0x24, width 0x18
        plant16(kFixedParts + 5, 0x8007);  // word 2
        plant16(kFixedParts + 7, 0xA805);  // word 3: top bits 0xA800
        plant16(kParentFrame + 7, 40);     // the parent's first part is 40 wide
        parent_ = actor(0x0021);           // alive and listed
        orb_write32(parent_ + object_record::frame, kParentFrame);
        orb_write16(parent_ + object_record::world_x, 800);
        orb_write16(parent_ + object_record::world_y, 400);
        orb_write16(parent_ + companion_record::parent_x_offset, 0x0010);
    }

    uint32_t make() {
        cpu.reg[20] = parent_;
        cpu.reg[10] = kData;
        EXPECT_TRUE(run(sub_077B88));
        return r(21);
    }
    uint8_t state(uint32_t c) const { return ram8(c + object_record::state); }

    uint32_t parent_ = 0;
};

TEST_F(Companion, SpawnFillsItFromTheCreatorsDataAndTheFixedParts) {
    const uint32_t c = make();
    EXPECT_EQ(c, 0x207FC0u) << "the first 64-byte object";
    EXPECT_FALSE(cpu.z);
    EXPECT_EQ(r(10), 0x13164Fu);
    ASSERT_GE(ring().size(), 1u);
    EXPECT_EQ(ring().back(), c);
    EXPECT_EQ(ram32(c + object_record::routine), entry::sub_077BD6 /* companion */);
    EXPECT_EQ(ram8(c + object_record::state), 0);
    EXPECT_EQ(ram16(c + object_record::height), 0);
    EXPECT_EQ(ram8(c + object_record::anim_mode), 3);
    EXPECT_EQ(ram16(c + object_record::owner), static_cast<uint16_t>(parent_));
    EXPECT_EQ(ram16(c + companion_record::x_offset_base), 0x0123);
    EXPECT_EQ(ram16(c + companion_record::y_offset), 0x0456);
    EXPECT_EQ(ram16(c + companion_record::source_width), 0x2418);
    EXPECT_EQ(ram16(c + companion_record::part_height), 0x8007);
    EXPECT_EQ(ram16(c + companion_record::part_width), 0xA805);
}

TEST_F(Companion, AnEmptyPoolMakesNothingAndKeepsR21) {
    orb_write16(var::free_stack_64, 0);
    cpu.reg[21] = 0x12345678;
    const auto before = ring();
    make();
    EXPECT_TRUE(cpu.z);
    EXPECT_EQ(r(21), 0x12345678u);
    EXPECT_EQ(ring(), before);
}

TEST_F(Companion, FollowsTheParentAndIsListedUnderTwoKeys) {
    const uint32_t c = make();
    orb_write16(parent_ + object_record::flags, 0x00E1);  // alive, listed, mirrored both ways
    pass();
    EXPECT_EQ(ram16(c + object_record::world_x), 800);
    EXPECT_EQ(ram16(c + object_record::world_y), 400);
    EXPECT_EQ(s16(c + object_record::screen_x), 200);
    EXPECT_EQ(s16(c + object_record::screen_y), 100) << "on the ground line: height 0";
    EXPECT_EQ(ram16(c + companion_record::part_width), 0xA800 | 56) << "16 wider than the parent's part";
    EXPECT_EQ(ram16(c + companion_record::x_offset), 0x0133);
    EXPECT_EQ(ram16(c + object_record::flags) & 0xC0, 0xC0);
    EXPECT_EQ(ram16(0x208704), static_cast<uint16_t>(c)) << "key -126";
    EXPECT_EQ(ram16(0x208708), static_cast<uint16_t>(c)) << "key -124";
    EXPECT_EQ(ram16(var::display_count), 2);

    orb_write16(parent_ + object_record::flags, 0x0021);  // turned back
    pass();
    EXPECT_EQ(ram16(c + object_record::flags) & 0xC0, 0);
}

TEST_F(Companion, WidthWrapsInItsTenBits) {
    const struct {
        uint16_t part_width, expected;
    } cases[] = {{0, 16}, {0x3F8, 0x008}, {0x7F0, 0x000}, {100, 116}};
    const uint32_t c = make();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.part_width);
        orb_write16(c + companion_record::part_width, 0xFC00);  // the top bits stay
        orb_write32(parent_ + object_record::frame, 0x208F00);  // a frame in RAM this time
        orb_write16(0x208F07, k.part_width);
        pass();
        EXPECT_EQ(ram16(c + companion_record::part_width), 0xFC00 | k.expected);
    }
}

TEST_F(Companion, IsNotDrawnUnderAHiddenOrUnlistedParentNorWhenHiddenItself) {
    const struct {
        const char* name;
        uint16_t parent_flags, own_flags;
        bool moves;
    } cases[] = {
        {"parent hidden", 0x0023, 0, false},
        {"parent not listed", 0x0001, 0, false},
        {"hidden itself (kind 0)", 0x0021, 0x0002, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const uint32_t c = make();
        orb_write16(parent_ + object_record::flags, k.parent_flags);
        orb_write16(c + object_record::flags, k.own_flags);
        orb_write16(parent_ + object_record::world_x, 1000);
        pass();
        EXPECT_EQ(ram16(c + object_record::world_x), k.moves ? 1000 : 0);
        EXPECT_EQ(bucket(-126), 0);
        EXPECT_EQ(bucket(-124), 0);
        EXPECT_FALSE(flag(c, object_flag::listed));
        orb_write8(c + object_record::state, 3);  // release it for the next case
        pass();
    }
}

TEST_F(Companion, GoesWithItsParentAndIsTheNextAllocation) {
    const uint32_t c = make();
    pass();
    const uint16_t count = ram16(var::free_stack_64);
    orb_write16(parent_ + object_record::flags, 0x0020);
    pass();
    EXPECT_FALSE(on_ring(c));
    EXPECT_EQ(ram16(var::free_stack_64), count + 1);
    ASSERT_TRUE(run(sub_088C77));
    EXPECT_EQ(r(21), c);
}

TEST_F(Companion, PlacedObjectAreasAndAreaChangesSwitchItsState) {
    const uint32_t c = make();
    orb_write32(var::game_flags, 1u << 11 | 1u << 12);
    pass();
    EXPECT_EQ(state(c), 2);
    EXPECT_EQ(bucket(-126), 0);
    pass();
    EXPECT_EQ(state(c), 1);
    EXPECT_EQ(bucket(-126), 0) << "the switch ends the frame";

    // Scaling: sizes from the zoom, position from the parent's screen, drawn
    // even while the parent is hidden.
    orb_write16(parent_ + object_record::flags, 0x0003);
    orb_write16(parent_ + object_record::screen_x, 77);
    orb_write16(parent_ + object_record::screen_y, 55);
    const struct {
        uint16_t zoom;
        uint8_t width, height;
    } zooms[] = {{0x200, 4 * 0x18, 0x24}, {0x100, 2 * 0x18, 0}, {0x180, 3 * 0x18, 0x12}};
    for (const auto& z : zooms) {
        SCOPED_TRACE(z.zoom);
        orb_write16(var::nbg0_zoom, z.zoom);
        pass();
        EXPECT_EQ(state(c), 1);
        EXPECT_EQ(ram8(c + companion_record::part_width), z.width);
        EXPECT_EQ(ram8(c + companion_record::part_height), z.height);
        EXPECT_EQ(ram8(c + companion_record::part_width + 1), 0xA8) << "the high byte stays";
        EXPECT_EQ(s16(c + object_record::screen_x), 77);
        EXPECT_EQ(s16(c + object_record::screen_y), 55);
        EXPECT_EQ(ram16(c + companion_record::x_offset), 0x0133);
        EXPECT_EQ(bucket(-126), static_cast<uint16_t>(c));
        EXPECT_EQ(bucket(-124), static_cast<uint16_t>(c));
    }

    // Only bit 12: to state 2; both clear: state 0 and following at once.
    orb_write32(var::game_flags, 1u << 12);
    pass();
    EXPECT_EQ(state(c), 2);
    pass();
    EXPECT_EQ(state(c), 2) << "waits while bit 12 stays set";
    orb_write32(var::game_flags, 0);
    orb_write16(parent_ + object_record::flags, 0x0021);
    pass();
    EXPECT_EQ(state(c), 0);
    pass();
    EXPECT_EQ(ram16(c + object_record::world_x), 800);
    EXPECT_EQ(bucket(-126), static_cast<uint16_t>(c));

    // From state 1 with bit 11 gone and bit 12 clear: following in the same frame.
    orb_write32(var::game_flags, 1u << 11);
    pass();
    orb_write32(var::game_flags, 0);
    orb_write16(parent_ + object_record::world_x, 1200);
    pass();
    EXPECT_EQ(state(c), 0);
    EXPECT_EQ(ram16(c + object_record::world_x), 1200);
}

TEST_F(Companion, AStateAboveThreeEndsTheRun) {
    const uint32_t c = make();
    orb_write8(c + object_record::state, 4);
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 077BEF to 077BFE has no translated target");
}

}  // namespace
