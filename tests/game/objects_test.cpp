#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

// A test entry stands in as the objects' routine.
constexpr uint32_t kRoutine = GameRoutineTest::kTestEntry[0];

class Objects : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        ran_.clear();
        for (uint32_t i = 0; i < 256; ++i) plant8(rom::object_template + i, static_cast<uint8_t>(i ^ 0xA5));
        init_objects();
    }
    // Every object whose routine runs is noted; the test may act on it.
    void record_runs(std::function<void(uint32_t object)> act = {}) {
        fake(kRoutine, [this, act] {
            ran_.push_back(cpu.reg[20]);
            if (act) act(cpu.reg[20]);
        });
    }
    std::vector<uint32_t> ran_;
};

TEST_F(Objects, InitialisationFreesEveryObject) {
    EXPECT_EQ(ram16(var::free_stack_256), 12);
    EXPECT_EQ(ram16(var::free_stack_128), 124);
    EXPECT_EQ(ram16(var::free_stack_64), 200);
    EXPECT_EQ(ram16(var::free_stack_256 + 2), 0x0400);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * 124), 0x4D80);
    EXPECT_EQ(ram16(var::free_stack_64 + 2), 0x4E00);
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram32(var::active_head), var::object_area);
    EXPECT_EQ(ram32(var::active_tail), var::object_area);
    EXPECT_EQ(r(22), var::object_area);
    EXPECT_EQ(r(24), var::object_area);
    ASSERT_TRUE(run(sub_088B2D));  // the re-initialisation is the same
    EXPECT_EQ(ram16(var::free_stack_64), 200);
}

TEST_F(Objects, FirstAllocationIsThePoolsHighestObjectFilledFromTheTemplate) {
    const struct {
        const char* name;
        v60_routine allocator;
        uint32_t object, size, stack;
        uint16_t count_after;
    } cases[] = {
        {"256 bytes", sub_088C57, 0x200F00, 256, var::free_stack_256, 11},
        {"128 bytes", sub_088C67, 0x204D80, 128, var::free_stack_128, 123},
        {"64 bytes", sub_088C77, 0x207FC0, 64, var::free_stack_64, 199},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        orb_write8(c.object + c.size, 0x77);  // the next byte in memory stays
        cpu.reg[0] = 0x12345678;
        cpu.cy = cpu.s = cpu.ov = 1;
        ASSERT_TRUE(run(c.allocator));
        EXPECT_EQ(r(21), c.object);
        EXPECT_EQ(r(19), c.stack);
        EXPECT_EQ(r(0), 0x12345678u);
        EXPECT_FALSE(cpu.z || cpu.s || cpu.ov || cpu.cy);
        EXPECT_EQ(ram16(c.stack), c.count_after);
        for (uint32_t i = 0; i < c.size; ++i)
            ASSERT_EQ(ram8(c.object + i), static_cast<uint8_t>(i ^ 0xA5)) << "byte " << i;
        EXPECT_EQ(ram8(c.object + c.size), 0x77);
        EXPECT_EQ(ram16(var::active_count), 0) << "allocation does not link";
        TearDown();
    }
}

TEST_F(Objects, EmptyPoolSetsZAndKeepsR21AndR0) {
    std::set<uint32_t> taken;
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(run(sub_088C57));
        taken.insert(r(21));
    }
    EXPECT_EQ(taken.size(), 12u);
    EXPECT_EQ(*taken.begin(), var::objects_256);
    cpu.reg[21] = 0xDEADBEEF;
    cpu.reg[0] = 0x00C0FFEE;
    cpu.s = cpu.ov = cpu.cy = 1;
    ASSERT_TRUE(run(sub_088C57));
    EXPECT_TRUE(cpu.z);
    EXPECT_FALSE(cpu.s || cpu.ov || cpu.cy);
    EXPECT_EQ(r(21), 0xDEADBEEFu);
    EXPECT_EQ(r(0), 0x00C0FFEEu);
    EXPECT_EQ(ram16(var::free_stack_256), 0);
}

TEST_F(Objects, ReleasedObjectIsTheNextOneTaken) {
    ASSERT_TRUE(run(sub_088C67));
    const uint32_t first = r(21);
    ASSERT_TRUE(run(sub_088C67));
    cpu.reg[20] = first;
    ASSERT_TRUE(run(sub_088D0C));
    EXPECT_EQ(ram16(var::free_stack_128), 123);
    ASSERT_TRUE(run(sub_088C67));
    EXPECT_EQ(r(21), first);
}

TEST_F(Objects, FirstLinkFormsARingOfOne) {
    const uint32_t a = spawn(kRoutine, sub_088C77);
    EXPECT_EQ(ram16(a + object_record::prev), static_cast<uint16_t>(a));
    EXPECT_EQ(ram16(a + object_record::next), static_cast<uint16_t>(a));
    EXPECT_EQ(r(22), a);
    EXPECT_EQ(r(24), a);
    EXPECT_EQ(ram16(var::active_head), static_cast<uint16_t>(a));
    EXPECT_EQ(ram16(var::active_tail), static_cast<uint16_t>(a));
    EXPECT_EQ(ram16(var::active_count), 1);
}

TEST_F(Objects, RunnerCallsEveryObjectHeadToTail) {
    record_runs();
    const uint32_t a = spawn(kRoutine, sub_088C77);
    const uint32_t b = spawn(kRoutine, sub_088C67);
    const uint32_t c = spawn(kRoutine, sub_088C57);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ran_, (std::vector<uint32_t>{a, b, c}));
    EXPECT_EQ(ring(), (std::vector<uint32_t>{a, b, c}));
    EXPECT_EQ(ram16(c + object_record::next), static_cast<uint16_t>(a));
    EXPECT_EQ(ram16(a + object_record::prev), static_cast<uint16_t>(c));
}

TEST_F(Objects, RunnerWithAnEmptyRingCallsNothing) {
    record_runs();
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_TRUE(ran_.empty());
}

TEST_F(Objects, ObjectSpawnedDuringThePassRunsLastInIt) {
    uint32_t spawned = 0;
    record_runs([&](uint32_t) {
        if (ran_.size() == 1) spawned = spawn(kRoutine, sub_088C77);
    });
    const uint32_t a = spawn(kRoutine, sub_088C77);
    const uint32_t b = spawn(kRoutine, sub_088C77);
    cpu.reg[22] = cpu.reg[24] = 0;  // the runner takes the ring from memory
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ran_, (std::vector<uint32_t>{a, b, spawned}));
    EXPECT_EQ(ram16(var::active_tail), static_cast<uint16_t>(spawned));
    EXPECT_EQ(ring(), (std::vector<uint32_t>{a, b, spawned}));
}

TEST_F(Objects, SelfUnlinkHandsThePassOn) {
    const struct {
        const char* name;
        int remover;  // index of the object that unlinks itself
    } cases[] = {{"head", 0}, {"middle", 1}, {"tail", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        std::vector<uint32_t> objects;
        record_runs([&](uint32_t object) {
            if (object == objects[c.remover]) call_routine(sub_088CD3);
        });
        for (int i = 0; i < 3; ++i) objects.push_back(spawn(kRoutine, sub_088C77));
        ASSERT_TRUE(run(sub_088B00));
        EXPECT_EQ(ran_, objects) << "every object ran once";
        std::vector<uint32_t> left = objects;
        left.erase(left.begin() + c.remover);
        EXPECT_EQ(ring(), left);
        EXPECT_EQ(ram16(var::active_count), 2);
        ran_.clear();
        ASSERT_TRUE(run(sub_088B00));
        EXPECT_EQ(ran_, left) << "the next pass runs the rest in order";
        TearDown();
    }
}

TEST_F(Objects, OnlyObjectUnlinkingItselfEndsThePass) {
    record_runs([](uint32_t) { call_routine(sub_088CD3); });
    const uint32_t a = spawn(kRoutine, sub_088C77);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ran_, std::vector<uint32_t>{a});
    EXPECT_EQ(ram16(var::active_count), 0);
    ASSERT_TRUE(run(sub_088B00));
    EXPECT_EQ(ran_.size(), 1u) << "the next pass does nothing";
}

TEST_F(Objects, UnlinkSetsTheCursorAsTheRunnerNeedsIt) {
    const uint32_t a = spawn(kRoutine, sub_088C77);
    const uint32_t b = spawn(kRoutine, sub_088C77);
    const uint32_t c = spawn(kRoutine, sub_088C77);
    const struct {
        uint32_t object, cursor, head, tail;
    } cases[] = {{a, a, b, c}, {b, a, a, c}, {c, b, a, b}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << k.object);
        cpu.reg[22] = a;
        cpu.reg[24] = c;
        // Put the ring back together before each case.
        for (uint32_t o : {a, b, c}) orb_write16(o + object_record::next, o == a ? b : o == b ? c : a);
        for (uint32_t o : {a, b, c}) orb_write16(o + object_record::prev, o == a ? c : o == b ? a : b);
        orb_write16(var::active_count, 3);
        cpu.reg[20] = k.object;
        ASSERT_TRUE(run(sub_088CD3));
        EXPECT_EQ(r(23), k.cursor);
        EXPECT_EQ(r(22), k.head);
        EXPECT_EQ(r(24), k.tail);
        EXPECT_EQ(ram16(var::active_count), 2);
        EXPECT_EQ(ram16(k.object + object_record::next), static_cast<uint16_t>(k.object == a   ? b
                                                                               : k.object == b ? c
                                                                                               : a))
            << "the removed object keeps its own links";
    }
}

}  // namespace
