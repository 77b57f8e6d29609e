#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kTester = var::objects_128;  // 128-byte objects: they have energy
constexpr uint32_t kTargetA = 0x201080;
constexpr uint32_t kTargetB = 0x201100;
constexpr uint32_t kTargetC = 0x201180;
constexpr uint32_t kOwner = 0x20A100;  // a player record: score at +140
constexpr uint32_t kBoxList = 0x0A0000;
constexpr uint32_t kBoxData = 0x0A1000;

// x from, x to, depth from, depth to, vertical from, vertical to.
using spans = std::array<int, 6>;

class HitBoxes : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        // Start-up state the tests read: the four hit-box tables empty (a
        // header of zeros), the targets with no flags, the owner's score 0.
        for (uint32_t table :
             {var::hitbox_table_a, var::hitbox_copy_a, var::hitbox_table_b, var::hitbox_copy_b})
            for (uint32_t i = 0; i < 16; i += 4) orb_write32(table + i, 0);
        for (uint32_t object : {kTargetA, kTargetB, kTargetC}) orb_write16(object + object_record::flags, 0);
        orb_write32(kOwner + player_record::score, 0);
    }
    static void place(uint32_t object, int x, int y, int height = 0, uint16_t flags = 0) {
        orb_write16(object + object_record::flags, flags);
        orb_write16(object + object_record::world_x, static_cast<uint16_t>(x));
        orb_write16(object + object_record::world_y, static_cast<uint16_t>(y));
        orb_write16(object + object_record::height, static_cast<uint16_t>(height));
        cpu.reg[20] = object;
    }
    // A box list in ROM: its count (given, or the number of boxes), then 4 bytes a box.
    void plant_boxes(uint32_t object, std::vector<std::array<int, 4>> boxes, int count = -1) {
        plant8(kBoxList, static_cast<uint8_t>(count < 0 ? boxes.size() : count));
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t k = 0; k < 4; ++k)
                plant8(kBoxList + 1 + 4 * i + k, static_cast<uint8_t>(boxes[i][k]));
        orb_write32(object + object_record::hitbox_data, kBoxList);
    }
    // Entry `index` of a table, its count raised to cover it.
    static void put_entry(uint32_t table, uint32_t index, uint32_t object, spans s) {
        const uint32_t at = table + 16 * (index + 1);
        orb_write32(at, object);
        for (uint32_t i = 0; i < 6; ++i) orb_write16(at + 4 + 2 * i, static_cast<uint16_t>(s[i]));
        if (orb_read8(table) < index + 1) orb_write8(table, static_cast<uint8_t>(index + 1));
    }
    static spans entry(uint32_t table, uint32_t index) {
        spans s;
        for (uint32_t i = 0; i < 6; ++i)
            s[i] = static_cast<int16_t>(ram16(table + 16 * (index + 1) + 4 + 2 * i));
        return s;
    }
    static uint32_t entry_object(uint32_t table, uint32_t index) { return ram32(table + 16 * (index + 1)); }
    static std::vector<uint8_t> bytes(uint32_t from, uint32_t count) {
        std::vector<uint8_t> v;
        for (uint32_t i = 0; i < count; ++i) v.push_back(ram8(from + i));
        return v;
    }
    static void fill(uint32_t from, uint32_t count, uint8_t seed) {
        for (uint32_t i = 0; i < count; ++i) orb_write8(from + i, static_cast<uint8_t>(seed + 7 * i));
    }
    static uint16_t flags(uint32_t object) { return ram16(object + object_record::flags); }
    // Box data at kBoxData: 4 bytes, or 4 halfwords.
    void plant_box_bytes(std::array<int, 4> b) {
        for (uint32_t i = 0; i < 4; ++i) plant8(kBoxData + i, static_cast<uint8_t>(b[i]));
    }
    void plant_box_words(std::array<int, 4> b) {
        for (uint32_t i = 0; i < 4; ++i) plant16(kBoxData + 2 * i, static_cast<uint16_t>(b[i]));
    }
    // A target with energy, a score value, and the tester's owner.
    static void target(uint32_t object, int energy, uint16_t score_value = 100, uint16_t flags = 0) {
        orb_write16(object + object_record::flags, flags);
        orb_write16(object + object_record::energy, static_cast<uint16_t>(energy));
        orb_write16(object + object_record::score_value, score_value);
        orb_write8(object + object_record::hit_reaction, 0x77);
    }
    static void tester(int x, int y, int height = 0, uint16_t flags = 0) {
        place(kTester, x, y, height, flags);
        orb_write16(kTester + object_record::owner, static_cast<uint16_t>(kOwner));
        orb_write8(kTester + object_record::attack_kind, 1);
        cpu.reg[20] = kTester;
        cpu.reg[10] = kBoxData;
    }
    static int16_t energy(uint32_t object) {
        return static_cast<int16_t>(ram16(object + object_record::energy));
    }
};

// ---- registration ----

// The fixture of every registration: world x 1,000, world y 500, height 40,
// box start 2 size 4, start -5 size 3.
TEST_F(HitBoxes, RegistrationWritesTheBodyAroundTheObject) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t table;
        uint16_t flags;
        spans expected;
        bool vertical_written;
    } cases[] = {
        {"table A", sub_08800A, var::hitbox_table_a, 0, {1008, 1024, 452, 548, -60, -48}, true},
        {"table A, mirrored x",
         sub_08800A,
         var::hitbox_table_a,
         1u << object_flag::mirror_x,
         {976, 992, 452, 548, -60, -48},
         true},
        {"table A, mirrored vertical",
         sub_08800A,
         var::hitbox_table_a,
         1u << object_flag::mirror_y,
         {1008, 1024, 452, 548, -32, -20},
         true},
        {"table B",
         sub_088134,
         var::hitbox_table_b,
         1u << object_flag::listed,
         {1008, 1024, 436, 564, -60, -48},
         true},
        {"table B, flat",
         sub_08814E,
         var::hitbox_table_b,
         1u << object_flag::listed,
         {1008, 1024, 480, 492, 0x5555, 0x5555},
         false},
        {"table B, flat, mirrored",
         sub_08814E,
         var::hitbox_table_b,
         1u << object_flag::listed | 1u << object_flag::mirror_x | 1u << object_flag::mirror_y,
         {976, 992, 508, 520, 0x5555, 0x5555},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        place(kTester, 1000, 500, 40, c.flags);
        plant_boxes(kTester, {{2, 4, -5, 3}});
        put_entry(c.table, 1, 0, {0, 0, 0, 0, 0x5555, 0x5555});  // stale contents beyond the count
        orb_write8(c.table, 1);
        ASSERT_TRUE(run(c.routine));
        EXPECT_EQ(ram8(c.table), 2);
        EXPECT_EQ(entry_object(c.table, 1), kTester);
        spans expected = c.expected;
        if (!c.vertical_written) expected[4] = expected[5] = static_cast<int16_t>(0x5555);
        EXPECT_EQ(entry(c.table, 1), expected);
        TearDown();
    }
}

TEST_F(HitBoxes, EachBoxOfTheListTakesTheNextEntry) {
    place(kTester, 0, 0, 0, 1u << object_flag::listed);
    plant_boxes(kTester, {{1, 1, 0, 1}, {2, 1, 0, 1}, {3, 1, 0, 1}});
    orb_write8(var::hitbox_table_b, 5);
    ASSERT_TRUE(run(sub_088134));
    EXPECT_EQ(ram8(var::hitbox_table_b), 8);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entry_object(var::hitbox_table_b, 5 + i), kTester);
        EXPECT_EQ(entry(var::hitbox_table_b, 5 + i)[0], 4 * static_cast<int>(i + 1));
    }
}

TEST_F(HitBoxes, RegistrationConditions) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t table;
        uint16_t flags;
        uint16_t count;
        bool registers;
    } cases[] = {
        {"A: intangible", sub_08800A, var::hitbox_table_a, 1u << object_flag::intangible, 0, false},
        {"A: tangible", sub_08800A, var::hitbox_table_a, 0, 0, true},
        {"B: not listed", sub_088134, var::hitbox_table_b, 0, 0, false},
        {"B: listed, count 46", sub_088134, var::hitbox_table_b, 1u << object_flag::listed, 46, true},
        {"B: listed, count 47", sub_088134, var::hitbox_table_b, 1u << object_flag::listed, 47, false},
        {"B flat: not listed", sub_08814E, var::hitbox_table_b, 0, 0, false},
        {"B flat: count 47", sub_08814E, var::hitbox_table_b, 1u << object_flag::listed, 47, false},
        {"B flat: listed, count 10", sub_08814E, var::hitbox_table_b, 1u << object_flag::listed, 10, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        place(kTester, 100, 100, 0, c.flags);
        plant_boxes(kTester, {{0, 2, 0, 2}});
        orb_write16(c.table, c.count);
        const auto before = bytes(c.table, 0x300);
        ASSERT_TRUE(run(c.routine));
        if (c.registers) {
            EXPECT_EQ(ram16(c.table), c.count + 1);
            EXPECT_EQ(entry_object(c.table, c.count), kTester);
        } else {
            EXPECT_EQ(bytes(c.table, 0x300), before);
        }
        TearDown();
    }
}

// The count is the header's first byte, the byte the slot runner clears: a
// stray second header byte does not close table B.
TEST_F(HitBoxes, TableBsRoomIsTestedOnItsCountByte) {
    for (const uint8_t count : {0, 46}) {
        SCOPED_TRACE(testing::Message() << "count " << int{count});
        SetUp();
        place(kTester, 100, 100, 0, 1u << object_flag::listed);
        plant_boxes(kTester, {{0, 2, 0, 2}});
        orb_write8(var::hitbox_table_b, count);
        orb_write8(var::hitbox_table_b + 1, 0x01);
        ASSERT_TRUE(run(sub_088134));
        EXPECT_EQ(ram8(var::hitbox_table_b), count + 1);
        EXPECT_EQ(ram8(var::hitbox_table_b + 1), 0x01);
        EXPECT_EQ(entry_object(var::hitbox_table_b, count), kTester);
        TearDown();
    }
}

TEST_F(HitBoxes, CopyOfTableAIsTakenAndTableAEmptied) {
    fill(var::hitbox_table_a, 0x100, 3);
    orb_write8(var::hitbox_table_a, 4);
    const auto a = bytes(var::hitbox_table_a, 80);
    const auto after_copy = bytes(var::hitbox_copy_a + 80, 0x20);
    ASSERT_TRUE(run(sub_087FD6));
    EXPECT_EQ(bytes(var::hitbox_copy_a, 80), a);
    EXPECT_EQ(bytes(var::hitbox_copy_a + 80, 0x20), after_copy);
    EXPECT_EQ(ram8(var::hitbox_table_a), 0);
    EXPECT_EQ(bytes(var::hitbox_table_a + 1, 15), std::vector<uint8_t>(a.begin() + 1, a.begin() + 16));
}

// The room of the tables is kept: a box that does not fit is dropped, and
// nothing past a table is ever written.
TEST_F(HitBoxes, RegistrationKeepsTheTablesRoom) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t table, room;
        uint8_t count;
        int boxes;
        uint8_t count_after;
    } cases[] = {
        {"A: fifth box dropped", sub_08800A, var::hitbox_table_a, 4, 3, 2, 4},
        {"A: full", sub_08800A, var::hitbox_table_a, 4, 4, 1, 4},
        {"B: 3 boxes at 46", sub_088134, var::hitbox_table_b, 47, 46, 3, 47},
        {"B flat: 3 boxes at 46", sub_08814E, var::hitbox_table_b, 47, 46, 3, 47},
        {"B: refused at 47", sub_088134, var::hitbox_table_b, 47, 47, 3, 47},
        {"A: a list of 0 boxes", sub_08800A, var::hitbox_table_a, 4, 1, 0, 1},
        {"B: a list of 0 boxes", sub_088134, var::hitbox_table_b, 47, 1, 0, 1},
        {"B flat: a list of 0 boxes", sub_08814E, var::hitbox_table_b, 47, 1, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        place(kTester, 100, 100, 0, 1u << object_flag::listed);
        plant_boxes(kTester, std::vector<std::array<int, 4>>(c.boxes, {1, 2, 3, 4}));
        orb_write8(c.table, c.count);
        const uint32_t past = c.table + 16 * (c.room + 1);
        fill(past, 0x40, 9);
        const auto beyond = bytes(past, 0x40);
        ASSERT_TRUE(run(c.routine));
        EXPECT_EQ(ram8(c.table), c.count_after);
        EXPECT_EQ(bytes(past, 0x40), beyond) << "written past the table";
        for (uint32_t i = c.count; i < c.count_after; ++i) EXPECT_EQ(entry_object(c.table, i), kTester);
        TearDown();
    }
}

TEST_F(HitBoxes, NoBoxCountFromRomWritesPastATable) {
    const struct {
        v60_routine routine;
        uint32_t table, room;
    } routines[] = {{sub_08800A, var::hitbox_table_a, 4},
                    {sub_088134, var::hitbox_table_b, 47},
                    {sub_08814E, var::hitbox_table_b, 47}};
    for (const auto& r : routines) {
        for (int boxes : {0, 1, 2, 5, 47, 48, 255}) {
            for (uint32_t count : {0u, 1u, r.room - 1, r.room}) {
                SCOPED_TRACE(testing::Message() << "table " << std::hex << r.table << std::dec << ", "
                                                << boxes << " boxes at count " << count);
                SetUp();
                place(kTester, 0, 0, 0, 1u << object_flag::listed);
                plant_boxes(kTester, std::vector<std::array<int, 4>>(boxes, {1, 1, 1, 1}));
                orb_write8(r.table, static_cast<uint8_t>(count));
                const uint32_t past = r.table + 16 * (r.room + 1);
                fill(past, 0x100, 5);
                const auto beyond = bytes(past, 0x100);
                ASSERT_TRUE(run(r.routine));
                EXPECT_EQ(bytes(past, 0x100), beyond);
                EXPECT_EQ(ram8(r.table), std::min<uint32_t>(count + boxes, r.room));
                TearDown();
            }
        }
    }
}

// ---- collision tests ----

// Entry x 100..200 against tester boxes given as word data (start and size,
// times 4), flat family; depth always overlapping.
TEST_F(HitBoxes, IntervalsOverlapWhenTheEntryStartsBeforeTheBoxEndsAndEndsAtOrAfterItsStart) {
    const struct {
        int start, size;  // × 4
        bool overlaps;
    } cases[] = {
        {50, 25, true},    // 200..300: the entry ends where the box starts
        {0, 25, false},    // 0..100: the entry starts where the box ends
        {1, 25, true},     // 4..104
        {25, 25, true},    // 100..200
        {-10, 100, true},  // -40..360, around the entry
        {51, 10, false},   // 204..244
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "box " << 4 * c.start << ".." << 4 * (c.start + c.size));
        SetUp();
        tester(0, 0);
        plant_box_words({c.start, c.size, -1, 2});
        put_entry(var::hitbox_table_a, 0, kTargetA, {100, 200, -50, 50, 0, 0});
        ASSERT_TRUE(run(sub_08842C));
        EXPECT_EQ((flags(kTester) & (1u << object_flag::touched)) != 0, c.overlaps);
        TearDown();
    }
}

// The vertical family tests the depth as the point world y: f < y <= t.
TEST_F(HitBoxes, DepthPointCountsAboveTheStartUpToTheEnd) {
    for (const auto& [y, inside] : std::vector<std::pair<int, bool>>{
             {99, false}, {100, false}, {101, true}, {200, true}, {201, false}}) {
        SCOPED_TRACE(testing::Message() << "world y " << y);
        SetUp();
        tester(0, y, 10);
        plant_box_bytes({-2, 4, -2, 4});  // x -8..8, vertical -18..-2
        put_entry(var::hitbox_table_a, 0, kTargetA, {-100, 100, 100, 200, -100, 100});
        ASSERT_TRUE(run(sub_088180));
        EXPECT_EQ((flags(kTester) & (1u << object_flag::touched)) != 0, inside);
        TearDown();
    }
}

TEST_F(HitBoxes, MirroredTesterBoxIsReflectedAroundItsWorldX) {
    for (const auto& [mirror, touches] :
         std::vector<std::pair<uint16_t, bool>>{{0, false}, {1u << object_flag::mirror_x, true}}) {
        SCOPED_TRACE(mirror ? "mirrored" : "not mirrored");
        SetUp();
        tester(1000, 0, 0, mirror);
        plant_box_bytes({2, 4, -1, 2});  // 1008..1024, or 976..992 mirrored
        put_entry(var::hitbox_table_a, 0, kTargetA, {980, 990, -10, 10, 0, 0});
        ASSERT_TRUE(run(sub_088347));
        EXPECT_EQ((flags(kTester) & (1u << object_flag::touched)) != 0, touches);
        TearDown();
    }
}

TEST_F(HitBoxes, EntriesPassedOver) {
    const struct {
        const char* name;
        uint32_t object;
        uint16_t flags;
        bool flat_counts, vertical_counts;
    } cases[] = {
        {"another object", kTargetA, 0, true, true},
        {"the tester's owner", kOwner, 0, false, false},
        {"intangible", kTargetA, 1u << object_flag::intangible, false, false},
        {"already hit", kTargetA, 1u << object_flag::hit, false, false},
        {"bit 4", kTargetA, 1u << object_flag::held, true, false},
    };
    for (const auto& c : cases) {
        for (const bool vertical : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (vertical ? ", vertical" : ", flat"));
            SetUp();
            tester(0, 0);
            plant_box_bytes({-2, 4, -2, 4});
            orb_write16(c.object + object_record::flags, c.flags);
            put_entry(var::hitbox_table_a, 0, c.object, {-10, 10, -10, 10, -10, 10});
            ASSERT_TRUE(run(vertical ? sub_088180 : sub_088347));
            EXPECT_EQ((flags(kTester) & (1u << object_flag::touched)) != 0,
                      vertical ? c.vertical_counts : c.flat_counts);
            EXPECT_EQ(r(18), c.object) << "R18 names the entry handled";
            TearDown();
        }
    }
}

// R10 moves past the tester's box only when a table with entries is walked.
TEST_F(HitBoxes, BoxDataIsReadOnlyWhenATableHasEntries) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t table;  // the table the routine walks first
        uint32_t step;
    } cases[] = {
        {"flat bytes", sub_08834C, var::hitbox_table_a, 4},
        {"flat bytes, copy of B", sub_08833D, var::hitbox_copy_b, 4},
        {"flat words", sub_08842C, var::hitbox_table_a, 8},
        {"vertical bytes", sub_088180, var::hitbox_table_a, 4},
        {"vertical words", sub_0882B2, var::hitbox_table_a, 8},
        {"vertical bytes, fallback", sub_0881A4, var::hitbox_table_b, 4},
        {"vertical words, fallback", sub_0882A0, var::hitbox_copy_b, 8},
    };
    for (const auto& c : cases) {
        for (const bool entries : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (entries ? ", with entries" : ", empty"));
            SetUp();
            tester(0, 0, 0, 1u << object_flag::touched);
            cpu.reg[16] = 0;
            if (entries) put_entry(c.table, 0, kTargetA, {500, 600, 500, 600, 500, 600});
            ASSERT_TRUE(run(c.routine));
            EXPECT_EQ(r(10), kBoxData + (entries ? c.step : 0));
            EXPECT_EQ(flags(kTester) & (1u << object_flag::touched), 0)
                << "the touched bit is cleared by every test";
            TearDown();
        }
    }
}

class HitBoxModes : public HitBoxes {
protected:
    void SetUp() override {
        HitBoxes::SetUp();
        for (uint32_t k = 0; k < 16; ++k)
            plant16(rom::hit_points_table + 2 * k, static_cast<uint16_t>(10 + k));
        tester(0, 0, 0, 1u << object_flag::touched);
        plant_box_bytes({-2, 4, -2, 4});
        cpu.reg[16] = 5;
    }
    // Three entries: targets A, B, C, all touched by the box, with distinct energies.
    void three_targets(uint32_t table, uint16_t flags_a = 0, uint16_t flags_b = 0, uint16_t flags_c = 0) {
        target(kTargetA, 100, 100, flags_a);
        target(kTargetB, 200, 100, flags_b);
        target(kTargetC, 300, 100, flags_c);
        put_entry(table, 0, kTargetA, {-10, 10, -10, 10, -10, 10});
        put_entry(table, 1, kTargetB, {-10, 10, -10, 10, -10, 10});
        put_entry(table, 2, kTargetC, {-10, 10, -10, 10, -10, 10});
    }
    static uint16_t sparks_taken() { return static_cast<uint16_t>(200 - ram16(var::free_stack_64)); }
};

TEST_F(HitBoxModes, FlatFamilyAppliesHitsAtOnceOrOnlyFlags) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t table;
        bool words, hits;
    } cases[] = {
        {"bytes, hits", sub_08834C, var::hitbox_table_a, false, true},
        {"bytes, copy of B, hits", sub_08833D, var::hitbox_copy_b, false, true},
        {"bytes, flag only", sub_088347, var::hitbox_table_a, false, false},
        {"words, hits", sub_088431, var::hitbox_table_a, true, true},
        {"words, flag only", sub_08842C, var::hitbox_table_a, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.words) plant_box_words({-2, 4, -2, 4});
        three_targets(c.table, 0, 1u << object_flag::intangible);
        ASSERT_TRUE(run(c.routine));
        EXPECT_TRUE(flags(kTester) & (1u << object_flag::touched));
        EXPECT_EQ(r(18), kTargetC);
        EXPECT_EQ(energy(kTargetA), c.hits ? 95 : 100);
        EXPECT_EQ(energy(kTargetB), 200) << "intangible";
        EXPECT_EQ(energy(kTargetC), c.hits ? 295 : 300);
        EXPECT_EQ((flags(kTargetA) & (1u << object_flag::hit)) != 0, c.hits);
        EXPECT_EQ(ram32(kOwner + 140), c.hits ? 2 * 11u : 0u) << "kind 1 scores 11 a hit";
        EXPECT_EQ(ram8(kTargetA + object_record::hit_reaction), 0x77) << "no reaction code";
        EXPECT_EQ(sparks_taken(), 0) << "no spark";
        TearDown();
    }
}

TEST_F(HitBoxModes, CallersModeDecidesForTheFlatFamily) {
    for (const uint32_t mode : {0u, 1u, 0x80000000u}) {
        SCOPED_TRACE(testing::Message() << "R12 " << mode);
        SetUp();
        three_targets(var::hitbox_table_a);
        cpu.reg[12] = mode;
        ASSERT_TRUE(run(sub_08834F));
        EXPECT_EQ(energy(kTargetB), mode ? 195 : 200);
        SetUp();
        plant_box_words({-2, 4, -2, 4});
        three_targets(var::hitbox_table_a);
        cpu.reg[12] = mode;
        ASSERT_TRUE(run(sub_088434));
        EXPECT_EQ(energy(kTargetB), mode ? 195 : 200);
        TearDown();
    }
}

TEST_F(HitBoxModes, VerticalModes) {
    const struct {
        const char* name;
        uint32_t mode;
        uint16_t flags_a, flags_b, flags_c;
        bool touched;
        uint32_t last;  // R18 afterwards
        bool hit[3];    // energy taken, with a spark each
    } cases[] = {
        {"mode 0: every target", 0, 0, 0, 0, true, kTargetC, {true, true, true}},
        {"mode 0: an intangible one between",
         0,
         0,
         1u << object_flag::intangible,
         0,
         true,
         kTargetC,
         {true, false, true}},
        {"mode 1: flag only", 1, 0, 0, 0, true, kTargetC, {false, false, false}},
        {"mode 6: the first that counts",
         6,
         1u << object_flag::intangible,
         0,
         0,
         true,
         kTargetB,
         {false, false, false}},
        {"mode 2: stops at bit 15 without 13",
         2,
         1u << object_flag::enemy | 1u << object_flag::airborne,
         0,
         1u << object_flag::enemy,
         true,
         kTargetC,
         {false, false, false}},
        {"mode 2: stops at the first such",
         2,
         1u << object_flag::enemy,
         1u << object_flag::enemy,
         0,
         true,
         kTargetA,
         {false, false, false}},
        {"mode 2: none stops",
         2,
         1u << object_flag::enemy | 1u << object_flag::airborne,
         0,
         1u << object_flag::airborne,
         false,
         kTargetC,
         {false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        three_targets(var::hitbox_table_a, c.flags_a, c.flags_b, c.flags_c);
        cpu.reg[12] = c.mode;
        ASSERT_TRUE(run(sub_088188));
        EXPECT_EQ((flags(kTester) & (1u << object_flag::touched)) != 0, c.touched);
        EXPECT_EQ(r(18), c.last);
        const uint32_t targets[] = {kTargetA, kTargetB, kTargetC};
        int sparks = 0;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(energy(targets[i]), 100 * (i + 1) - (c.hit[i] ? 5 : 0)) << "target " << i;
            sparks += c.hit[i];
        }
        EXPECT_EQ(sparks_taken(), sparks);
        TearDown();
    }
}

// Each entry of the vertical family sets its mode (R12 = 0x55 before) or
// keeps the caller's (R12 = 0 before), and walks its table.
TEST_F(HitBoxModes, VerticalEntriesSetTheirModeAndTable) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t table;
        bool words;
        uint32_t r12, mode;
    } cases[] = {
        {"sub_088180", sub_088180, var::hitbox_table_a, false, 0x55, 1},
        {"sub_088185", sub_088185, var::hitbox_table_a, false, 0x55, 0},
        {"sub_0881A4", sub_0881A4, var::hitbox_table_b, false, 0x55, 0},
        {"sub_08819A", sub_08819A, var::hitbox_table_b, false, 0x55, 2},
        {"sub_088171", sub_088171, var::hitbox_copy_b, false, 0x55, 0},
        {"sub_0882AF", sub_0882AF, var::hitbox_table_a, true, 0x55, 0},
        {"sub_0882A0", sub_0882A0, var::hitbox_copy_b, true, 0x55, 0},
        {"sub_0881A7", sub_0881A7, var::hitbox_table_b, false, 0, 0},
        {"sub_0882B2", sub_0882B2, var::hitbox_table_a, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.words) plant_box_words({-2, 4, -2, 4});
        three_targets(c.table);
        cpu.reg[12] = c.r12;
        ASSERT_TRUE(run(c.routine));
        EXPECT_EQ(r(12), c.mode);
        EXPECT_EQ(energy(kTargetA), c.mode == 0 ? 95 : 100);
        EXPECT_EQ(energy(kTargetC), c.mode == 0 ? 295 : 300);
        TearDown();
    }
}

// With the first table empty the copy of table A is tested with R16 halved,
// rounded up; when it holds entries the copy of A is left alone.
TEST_F(HitBoxModes, FallbackToTheCopyOfTableAAtHalfStrength) {
    const struct {
        const char* name;
        v60_routine routine;
        uint32_t first;
        bool words;
    } routines[] = {
        {"bytes, table B", sub_0881A4, var::hitbox_table_b, false},
        {"bytes, copy of B", sub_088171, var::hitbox_copy_b, false},
        {"words, copy of B", sub_0882A0, var::hitbox_copy_b, true},
    };
    const struct {
        uint32_t strength;
        uint32_t halved;
    } strengths[] = {{5, 3}, {1, 1}, {0xFFFF, 0}, {0xABCD0004, 0xABCD0002}};
    for (const auto& rt : routines) {
        for (const auto& s : strengths) {
            SCOPED_TRACE(testing::Message() << rt.name << ", strength " << std::hex << s.strength);
            SetUp();
            if (rt.words) plant_box_words({-2, 4, -2, 4});
            target(kTargetA, 100);
            put_entry(var::hitbox_copy_a, 0, kTargetA, {-10, 10, -10, 10, -10, 10});
            cpu.reg[16] = s.strength;
            ASSERT_TRUE(run(rt.routine));
            EXPECT_EQ(r(16), s.halved);
            EXPECT_EQ(energy(kTargetA), 100 - static_cast<int>(s.halved & 0xFFFF));
            EXPECT_TRUE(flags(kTargetA) & (1u << object_flag::hit));
            EXPECT_EQ(sparks_taken(), (s.halved & 0xFFFF) ? 1 : 0);
            // The first table with an entry that misses: the copy of A is not tested.
            SetUp();
            if (rt.words) plant_box_words({-2, 4, -2, 4});
            target(kTargetA, 100);
            put_entry(var::hitbox_copy_a, 0, kTargetA, {-10, 10, -10, 10, -10, 10});
            put_entry(rt.first, 0, kTargetB, {500, 600, -10, 10, -10, 10});
            cpu.reg[16] = s.strength;
            ASSERT_TRUE(run(rt.routine));
            EXPECT_EQ(r(16), s.strength);
            EXPECT_EQ(energy(kTargetA), 100);
            EXPECT_FALSE(flags(kTester) & (1u << object_flag::touched));
            TearDown();
        }
    }
}

}  // namespace
