#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kPlacedLists = 0x133022;
constexpr uint32_t kList = 0x133100;

struct entry {
    uint8_t group, link_in, link_out, extra;
    int16_t x1, y1, x2, y2;
};

uint16_t link(uint32_t object, uint32_t field) { return orb_read16(object + field); }

class PlacedObjects : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        // Stage 2, area 4: the offsets lead from the table to kList.
        orb_write8(var::stage, 2);
        orb_write8(var::area, 4);
        const uint32_t p = kPlacedLists + 4, s = 0x133080, q = s + 8;
        plant16(p, static_cast<uint16_t>(s - p));
        plant16(q, static_cast<uint16_t>(kList - q));
    }
    void list(const std::vector<entry>& entries) {
        uint32_t at = kList;
        for (const entry& e : entries) {
            plant8(at, e.group);
            plant8(at + 1, e.link_in);
            plant8(at + 2, e.link_out);
            plant8(at + 3, e.extra);
            plant16(at + 4, static_cast<uint16_t>(e.x1));
            plant16(at + 6, static_cast<uint16_t>(e.y1));
            plant16(at + 8, static_cast<uint16_t>(e.x2));
            plant16(at + 10, static_cast<uint16_t>(e.y2));
            at += 12;
        }
        plant8(at, 0xFF);
    }
    // The placed objects of the ring (after the group-clearing object).
    static std::vector<uint32_t> placed() {
        std::vector<uint32_t> r = ring();
        if (r.empty()) {
            ADD_FAILURE() << "no group-clearing object on the ring";
            return {};
        }
        EXPECT_EQ(orb_read32(r[0] + object_record::routine), ::entry::sub_087A3A);
        return std::vector<uint32_t>(r.begin() + 1, r.end());
    }
};

TEST_F(PlacedObjects, AListThatStartsWithTheEndCreatesNothing) {
    list({});
    ASSERT_TRUE(run(sub_08787D));
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_64), 200);
}

TEST_F(PlacedObjects, EntriesBecomeObjectsChainedIntoARing) {
    list({{0x13, 1, 0, 0xA1, 10, 20, 30, 40},
          {0x02, 0, 0, 0xA2, -5, 6, -7, 8},
          {0x03, 0, 1, 0xA3, 1, 2, 3, 4}});
    ASSERT_TRUE(run(sub_08787D));
    const std::vector<uint32_t> objects = placed();
    ASSERT_EQ(objects.size(), 3u);
    const uint32_t a = objects[0], b = objects[1], c = objects[2];
    for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const uint32_t o = objects[i];
        EXPECT_EQ(ram32(o + object_record::routine), ::entry::sub_087A55);
        EXPECT_EQ(ram8(o + object_record::state), 0);
        EXPECT_EQ(ram8(o + placed_object::index), i);
        EXPECT_EQ(ram16(var::placed_objects + 2 * i), o & 0xFFFF);
        EXPECT_EQ(ram8(o + placed_object::extra), 0xA1 + i);
    }
    EXPECT_EQ(ram8(a + placed_object::group), 0x13);
    EXPECT_EQ(ram8(a + placed_object::link_in), 1);
    EXPECT_EQ(ram8(c + placed_object::link_out), 1);
    EXPECT_EQ(static_cast<int16_t>(ram16(b + placed_object::x1)), -5);
    EXPECT_EQ(static_cast<int16_t>(ram16(b + placed_object::y2)), 8);
    // a → b → c → a, and back.
    EXPECT_EQ(link(a, placed_object::link_next), b & 0xFFFF);
    EXPECT_EQ(link(b, placed_object::link_next), c & 0xFFFF);
    EXPECT_EQ(link(c, placed_object::link_next), a & 0xFFFF);
    EXPECT_EQ(link(a, placed_object::link_prev), c & 0xFFFF);
    EXPECT_EQ(link(b, placed_object::link_prev), a & 0xFFFF);
    EXPECT_EQ(link(c, placed_object::link_prev), b & 0xFFFF);
}

TEST_F(PlacedObjects, ALastObjectLinkingOutByMode0PointsAtItself) {
    list({{0, 2, 3, 0, 0, 0, 0, 0}, {0, 3, 0, 0, 0, 0, 0, 0}});
    ASSERT_TRUE(run(sub_08787D));
    const std::vector<uint32_t> objects = placed();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(link(objects[0], placed_object::link_next), objects[1] & 0xFFFF);
    EXPECT_EQ(link(objects[1], placed_object::link_prev), objects[0] & 0xFFFF);
    EXPECT_EQ(link(objects[1], placed_object::link_next), objects[1] & 0xFFFF);
    EXPECT_EQ(link(objects[0], placed_object::link_prev), 0) << "link-in mode 2 links nothing";
}

TEST_F(PlacedObjects, CreationStopsWhenThePoolRunsOut) {
    list({{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}});
    orb_write16(var::free_stack_64, 3);
    ASSERT_TRUE(run(sub_08787D));
    EXPECT_EQ(placed().size(), 2u);
    EXPECT_EQ(ram16(var::free_stack_64), 0);
}

TEST_F(PlacedObjects, LinkModesThatDoNothing) {
    for (uint8_t mode : {0x02, 0x80, 0xFF}) {
        SCOPED_TRACE(int(mode));
        orb_write16(0x207000 + placed_object::link_next, 0x1111);
        orb_write16(0x207040 + placed_object::link_prev, 0x2222);
        cpu.reg[2] = cpu.reg[0] = mode;
        cpu.reg[11] = 0x207000;
        cpu.reg[21] = 0x207040;
        cpu.reg[12] = 0x207080;
        ASSERT_TRUE(run(sub_087946));
        ASSERT_TRUE(run(sub_08796A));
        EXPECT_EQ(ram16(0x207000 + placed_object::link_next), 0x1111);
        EXPECT_EQ(ram16(0x207040 + placed_object::link_prev), 0x2222);
        EXPECT_EQ(r(12), 0x207080u);
    }
}

TEST_F(PlacedObjects, LinkModesOutsideTheTableEndTheRun) {
    cpu.reg[2] = 5;
    EXPECT_EXIT(run(sub_087946), ::testing::ExitedWithCode(3),
                "Jump from 08794D to 08795F has no translated target");
    cpu.reg[0] = 0x7F;
    EXPECT_EXIT(run(sub_08796A), ::testing::ExitedWithCode(3),
                "Jump from 087971 to 087AF1 has no translated target");
}

TEST_F(PlacedObjects, GroupClearingEmptiesEveryGroupHeader) {
    for (uint32_t g = 0; g < 16; ++g) orb_write32(var::placed_groups + 64 * g, 0xFFFFFFFF);
    ASSERT_TRUE(run(sub_087A3A));
    for (uint32_t g = 0; g < 16; ++g) {
        EXPECT_EQ(ram16(var::placed_groups + 64 * g), 0) << g;
        EXPECT_EQ(ram16(var::placed_groups + 64 * g + 2), 0xFFFF) << g;
    }
}

class PlacedObject : public PlacedObjects {
protected:
    void SetUp() override {
        PlacedObjects::SetUp();
        orb_write32(var::game_flags, 1u << game_flag::placed_objects);
        orb_write32(var::camera_pointer, var::playfield_camera);
        object_ = spawn(::entry::sub_087A55, sub_088C77);
        orb_write8(object_ + placed_object::group, 0x35);  // group 5
        // Every group list empty, as each frame's pass leaves them.
        for (uint32_t i = 0; i < 16 * 64; ++i) orb_write8(var::placed_groups + i, 0);
        corners(2000, 1500, 1000, 1800);
        camera(1000, 1500);
    }
    void corners(int16_t x1, int16_t y1, int16_t x2, int16_t y2) const {
        const int16_t v[4] = {x1, y1, x2, y2};
        for (uint32_t i = 0; i < 4; ++i)
            orb_write16(object_ + placed_object::x1 + 2 * i, static_cast<uint16_t>(v[i]));
    }
    static void camera(int16_t x, int16_t y) {
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(x));
        orb_write16(var::playfield_camera + camera_record::y, static_cast<uint16_t>(y));
    }
    void frame() {
        cpu.reg[20] = object_;
        ASSERT_TRUE(run(sub_087A55));
    }
    static uint32_t group(uint32_t g) { return var::placed_groups + 64 * g; }
    static int16_t s16(uint32_t a) { return static_cast<int16_t>(orb_read16(a)); }
    uint32_t object_ = 0;
};

TEST_F(PlacedObject, FirstFrameSetsUpTheWindowAndRegisters) {
    frame();
    EXPECT_EQ(ram8(object_ + object_record::state), 1);
    EXPECT_EQ(ram16(object_) & 1, 1);
    EXPECT_EQ(ram32(object_ + placed_object::group_list), group(5));
    const struct {
        uint32_t field;
        int16_t value;
    } window[] = {{placed_object::max_x, 2000},        {placed_object::min_x, 1000},
                  {placed_object::max_y, 1800},        {placed_object::min_y, 1500},
                  {placed_object::window_max_x, 2320}, {placed_object::window_min_x, -600},
                  {placed_object::window_max_y, 2120}, {placed_object::window_min_y, 284}};
    for (const auto& w : window) EXPECT_EQ(s16(object_ + w.field), w.value) << w.field;
    EXPECT_EQ(ram8(group(5)), 1);
    EXPECT_EQ(ram16(group(5) + 2), object_ & 0xFFFF);
}

TEST_F(PlacedObject, TheWindowEdgesAreInside) {
    frame();
    const struct {
        int16_t x, y;
        bool inside;
    } cases[] = {{-600, 284, true},   {-601, 284, false}, {2320, 2120, true},
                 {2321, 2120, false}, {0, 283, false},    {0, 2121, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        orb_write16(group(5), 0);
        camera(c.x, c.y);
        frame();
        EXPECT_EQ(ram8(group(5)), c.inside ? 1 : 0);
    }
}

TEST_F(PlacedObject, AGroupListTakes31) {
    for (int i = 0; i < 32; ++i) frame();
    EXPECT_EQ(ram8(group(5)), 31);
    EXPECT_EQ(ram16(group(5) + 62), object_ & 0xFFFF);
    EXPECT_EQ(ram16(group(6)), 0) << "nothing past the list";
}

TEST_F(PlacedObject, RetiresOnFlagsBit11) {
    frame();
    orb_write16(object_, ram16(object_) | 1u << 11);
    orb_write8(object_ + placed_object::retire_mark, 0x55);
    orb_write16(group(5), 0);
    frame();
    EXPECT_EQ(ram8(object_ + object_record::state), 2);
    EXPECT_EQ(ram16(object_) & 1, 0);
    EXPECT_EQ(ram8(object_ + placed_object::retire_mark), 0);
    EXPECT_EQ(ram8(group(5)), 0);
    frame();
    EXPECT_EQ(ram8(group(5)), 0) << "state 2 does nothing";
}

TEST_F(PlacedObject, LeavesWhenTheAreaNoLongerUsesPlacedObjects) {
    orb_write32(var::game_flags, 0);
    const uint16_t free = ram16(var::free_stack_64);
    frame();
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram16(var::free_stack_64), free + 1);
    EXPECT_EQ(ram16(var::free_stack_64 + 2 * (free + 1)), object_ & 0xFFFF);
}

}  // namespace
