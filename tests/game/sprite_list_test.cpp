#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/game/frames.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kListA = 0x400020, kListB = 0x410020;
constexpr uint32_t kFixedA = 0x13164E, kFixedB = 0x13165F;

uint16_t u16(int v) { return static_cast<uint16_t>(v); }
uint32_t bucket(int key) { return var::display_bucket_zero + 2 * static_cast<uint32_t>(key); }

class SpriteList : public FrameTest {
protected:
    // Start-up state the list reads: play with no game or system bits, the
    // screen not flipped, the display buckets empty and nothing counted.
    void SetUp() override {
        FrameTest::SetUp();
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        orb_write8(var::flip_screen, 0);
        for (uint32_t i = 0; i < 1024; i += 2) orb_write16(var::display_buckets + i, 0);
        orb_write16(var::display_count, 0);
    }
    // An object at a screen position showing a ROM frame in mode 0.
    uint32_t object_showing(uint32_t frame, int x, int y) {
        const uint32_t object = new_object();
        orb_write32(object + object_record::frame, frame);
        place(object, x, y);
        return object;
    }
    static void place(uint32_t object, int x, int y) {
        orb_write16(object + object_record::screen_x, u16(x));
        orb_write16(object + object_record::screen_y, u16(y));
    }
    static void set_flag(uint32_t object, unsigned bit) {
        orb_write32(object, orb_read32(object) | 1u << bit);
    }
    static bool flag(uint32_t object, unsigned bit) { return (orb_read32(object) >> bit) & 1; }

    // A listing attempt; the key's high half is noise the routines ignore.
    bool link(uint32_t object, int key, v60_routine routine = sub_0620DC) {
        cpu.reg[20] = object;
        cpu.reg[0] = 0xABCD0000u | u16(key);
        return run(routine);
    }
    bool build() { return run(sub_062121); }

    // The entries from `at` up to the end entry (at most 64).
    static std::vector<part> entries(uint32_t at) {
        std::vector<part> list;
        for (; list.size() < 64 && orb_read16(at) != 0xFFFF; at += 16) {
            part w;
            for (uint32_t k = 0; k < 8; ++k) w[k] = orb_read16(at + 2 * k);
            list.push_back(w);
        }
        return list;
    }

    // The list at `at` holds exactly these entries, then the end entry.
    static void expect_list(uint32_t at, const std::vector<part>& want) {
        for (std::size_t n = 0; n < want.size(); ++n)
            for (uint32_t k = 0; k < 8; ++k) {
                const uint32_t a = at + 16 * static_cast<uint32_t>(n) + 2 * k;
                ASSERT_EQ(orb_read16(a), want[n][k])
                    << std::hex << "entry " << n << " word " << k << " at " << a;
            }
        EXPECT_EQ(orb_read16(at + 16 * static_cast<uint32_t>(want.size())), 0xFFFF) << "the end entry";
    }

    // A part as listed at a screen position, its offsets added.
    static part at_screen(part w, int x, int y) {
        w[4] = u16(y + static_cast<int16_t>(w[4]));
        w[5] = u16(x + static_cast<int16_t>(w[5]));
        return w;
    }

    // Parts with small signed offsets in w4 (y) and w5 (x).
    static std::vector<part> offset_parts(uint8_t tag, int count) {
        std::vector<part> list = parts(tag, count);
        for (int p = 0; p < count; ++p) {
            list[p][4] = u16(3 * p - 4);
            list[p][5] = u16(8 - 5 * p);
        }
        return list;
    }
};

TEST_F(SpriteList, WorldToScreenInPixelsThroughTheCamera) {
    const struct {
        int world_x, world_y, height, camera_x, camera_y;
        bool placed_objects;
        int screen_x, screen_y;
    } cases[] = {
        {402, 800, 40, 3, 0, false, 100, 190},  // each coordinate shifted before the difference
        {402, 800, 40, 3, 0, true, 100, 200},   // the height left out
        {-5, -5, -5, 0, 0, false, -2, 0},       // arithmetic shifts: -5 >> 2 = -2
        {0, 0, 0, -4, 7, false, 1, -1},
        {0x7FFF, -0x8000, 0, -0x8000, 0x7FFF, false, 0x1FFF + 0x2000, -0x2000 - 0x1FFF},
    };
    const uint32_t camera = var::camera_records + 64;
    orb_write32(var::camera_pointer, camera);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.world_x << ", " << c.world_y << " height " << c.height);
        const uint32_t object = new_object();
        orb_write16(object + object_record::world_x, u16(c.world_x));
        orb_write16(object + object_record::world_y, u16(c.world_y));
        orb_write16(object + object_record::height, u16(c.height));
        orb_write16(camera + camera_record::x, u16(c.camera_x));
        orb_write16(camera + camera_record::y, u16(c.camera_y));
        orb_write32(var::game_flags, c.placed_objects ? 1u << 12 : 0);
        cpu.reg[20] = object;
        ASSERT_TRUE(run(sub_062044));
        EXPECT_EQ(r(10), camera);
        EXPECT_EQ(ram16(object + object_record::screen_x), u16(c.screen_x));
        EXPECT_EQ(ram16(object + object_record::screen_y), u16(c.screen_y));
    }
}

TEST_F(SpriteList, FixedCameraIsTheFourthRecord) {
    constexpr uint32_t kFourth = var::layer_camera;
    orb_write32(var::camera_pointer, var::camera_records);
    orb_write16(kFourth + camera_record::x, 40);
    orb_write16(kFourth + camera_record::y, 80);
    const uint32_t object = new_object();
    cpu.reg[20] = object;
    ASSERT_TRUE(run(sub_06203D));
    EXPECT_EQ(r(10), kFourth);
    EXPECT_EQ(ram16(object + object_record::screen_x), u16(-10));
    EXPECT_EQ(ram16(object + object_record::screen_y), u16(-20));
}

TEST_F(SpriteList, CullBoundsOfKeyAndScreenX) {
    const struct {
        const char* name;
        int key, x;
        bool hidden, listed;
    } cases[] = {
        {"key 351", 351, 0, false, true},        {"key 352", 352, 0, false, false},
        {"key -128", -128, 0, false, true},      {"key -129", -129, 0, false, false},
        {"x -256", 0, -256, false, true},        {"x -257", 0, -257, false, false},
        {"x 575", 0, 575, false, true},          {"x 576", 0, 576, false, false},
        {"key 0x7FFF", 0x7FFF, 0, false, false}, {"key -0x8000", -0x8000, 0, false, false},
        {"hidden", 10, 100, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t object = object_showing(0x050000, c.x, 30000);  // y is not tested
        set_flag(object, object_flag::listed);
        if (c.hidden) set_flag(object, object_flag::hidden);
        ASSERT_TRUE(link(object, c.key));
        EXPECT_EQ(flag(object, object_flag::listed), c.listed) << "bit 5 cleared at every attempt";
        EXPECT_EQ(ram16(var::display_count), c.listed ? 1 : 0);
        if (c.listed) {
            EXPECT_EQ(ram16(bucket(c.key)), u16(object));
        }
        for (uint32_t a = var::display_buckets; a < var::display_buckets + 1024; a += 2) {
            if (a == bucket(c.key)) continue;
            ASSERT_EQ(ram16(a), 0) << std::hex << a;
        }
        TearDown();
        SetUp();
    }
}

TEST_F(SpriteList, LaterLinkHeadsTheChainAndEachLinkIsCounted) {
    const uint32_t a = object_showing(0x050000, 0, 0), b = object_showing(0x050000, 0, 0);
    orb_write16(a + object_record::display_link, 0x1234);
    ASSERT_TRUE(link(a, 10));
    ASSERT_TRUE(link(b, 10));
    EXPECT_EQ(ram16(bucket(10)), u16(b));
    EXPECT_EQ(ram16(b + object_record::display_link), u16(a));
    EXPECT_EQ(ram16(a + object_record::display_link), 0) << "the bucket's old head, none";
    EXPECT_EQ(ram16(var::display_count), 2);
    EXPECT_TRUE(flag(a, object_flag::listed));
    EXPECT_TRUE(flag(b, object_flag::listed));
}

TEST_F(SpriteList, SameKeyTwiceLinksOnceAndTwoKeysListTwice) {
    plant_frame(0x050000, offset_parts(0xA0, 1));
    const uint32_t a = object_showing(0x050000, 20, 30);
    ASSERT_TRUE(link(a, 10));
    ASSERT_TRUE(link(a, 10));
    EXPECT_EQ(ram16(var::display_count), 1);
    EXPECT_EQ(ram16(bucket(10)), u16(a));
    EXPECT_EQ(ram16(a + object_record::display_link), 0);
    EXPECT_FALSE(flag(a, object_flag::listed)) << "the second attempt cleared it and linked nothing";

    ASSERT_TRUE(link(a, 20));
    EXPECT_EQ(ram16(var::display_count), 2);
    orb_write32(var::sprite_list_pointer, kListB);
    ASSERT_TRUE(build());
    const part listed = at_screen(offset_parts(0xA0, 1)[0], 20, 30);
    expect_list(kListA, {listed, listed});
}

TEST_F(SpriteList, KeysOfHeightAndGroundLine) {
    const struct {
        const char* name;
        v60_routine routine;
        int screen_y, height;
        bool placed_objects;
        int key;  // 1000: not listed
    } cases[] = {
        {"height", sub_062094, 0, 300, false, 300},
        {"negative height", sub_062094, 0, -100, false, -100},
        {"height beyond the buckets", sub_062094, 0, 400, false, 1000},
        {"ground line", sub_0620CD, 100, 40, false, 110},
        {"ground line with placed objects", sub_0620CD, 100, 40, true, 110},
        {"ground line, negative", sub_0620CD, -20, -9, false, -23},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t object = object_showing(0x050000, 0, c.screen_y);
        orb_write16(object + object_record::height, u16(c.height));
        orb_write32(var::game_flags, c.placed_objects ? 1u << 12 : 0);
        cpu.reg[20] = object;
        ASSERT_TRUE(run(c.routine));
        EXPECT_EQ(static_cast<int16_t>(r(0)), c.key == 1000 ? c.height : c.key);
        if (c.key == 1000) {
            EXPECT_EQ(ram16(var::display_count), 0);
        } else {
            EXPECT_EQ(ram16(bucket(c.key)), u16(object));
        }
        TearDown();
        SetUp();
    }
}

// An object already further down its bucket's chain is not linked again; a
// second link would close the chain into a loop the builder never leaves.
TEST_F(SpriteList, ObjectAlreadyOnTheChainIsNotLinkedAgain) {
    plant_frame(0x050000, offset_parts(0xA0, 1));
    plant_frame(0x050100, offset_parts(0xB0, 2));
    const uint32_t x = object_showing(0x050000, 10, 10), y = object_showing(0x050100, 40, 40);
    const part px = at_screen(offset_parts(0xA0, 1)[0], 10, 10);
    const std::vector<part> ys = offset_parts(0xB0, 2);
    const part py0 = at_screen(ys[0], 40, 40), py1 = at_screen(ys[1], 40, 40);

    ASSERT_TRUE(link(x, 10, sub_062106));
    ASSERT_TRUE(link(y, 10, sub_062106));
    ASSERT_TRUE(link(x, 10, sub_062106));
    // Checked before the builder runs: a loop would keep it from returning.
    ASSERT_EQ(ram16(bucket(10)), u16(y));
    ASSERT_EQ(ram16(y + object_record::display_link), u16(x));
    ASSERT_EQ(ram16(x + object_record::display_link), 0);
    EXPECT_EQ(ram16(var::display_count), 2);
    EXPECT_TRUE(flag(x, object_flag::listed)) << "left as the first link set it";
    orb_write32(var::sprite_list_pointer, kListB);
    ASSERT_TRUE(build());
    expect_list(kListA, {py0, py1, px});

    // X at 10, Y at 20, X at 20 (X now leads to Y), then Y at 10: the chain of
    // 10 reaches Y through X.
    ASSERT_TRUE(link(x, 10, sub_062106));
    ASSERT_TRUE(link(y, 20, sub_062106));
    ASSERT_TRUE(link(x, 20, sub_062106));
    ASSERT_TRUE(link(y, 10, sub_062106));
    ASSERT_EQ(ram16(bucket(10)), u16(x));
    ASSERT_EQ(ram16(bucket(20)), u16(x));
    ASSERT_EQ(ram16(x + object_record::display_link), u16(y));
    ASSERT_EQ(ram16(y + object_record::display_link), 0);
    EXPECT_EQ(ram16(var::display_count), 3);
    ASSERT_TRUE(build());
    expect_list(kListB, {px, py0, py1, px, py0, py1});
}

TEST_F(SpriteList, BuilderDoesNothingWhileSwitchedOff) {
    const uint32_t object = object_showing(0x050000, 0, 0);
    ASSERT_TRUE(link(object, 5));
    orb_write32(var::sprite_list_pointer, kListB);
    orb_write16(kListA, 0x1234);
    orb_write32(var::system_flags, 1u << 6);
    ASSERT_TRUE(build());
    EXPECT_EQ(ram32(var::sprite_list_pointer), kListB);
    EXPECT_EQ(ram16(kListA), 0x1234);
    EXPECT_EQ(ram16(bucket(5)), u16(object));
    EXPECT_EQ(ram16(var::display_count), 1);
    EXPECT_EQ(ram32(var::system_flags), 1u << 6);
}

TEST_F(SpriteList, ListsAlternateBetweenAAndB) {
    ASSERT_TRUE(run(sub_0609AA));
    EXPECT_EQ(ram32(var::sprite_list_pointer), kListB);
    orb_write16(kListA, 0x1234);
    ASSERT_TRUE(build());
    EXPECT_EQ(ram32(var::sprite_list_pointer), kListA);
    EXPECT_EQ(ram16(kListA), 0xFFFF) << "with nothing listed, one end entry";
    EXPECT_TRUE(ram32(var::system_flags) & 1u << 4);
    orb_write16(kListB, 0x1234);
    ASSERT_TRUE(build());
    EXPECT_EQ(ram32(var::sprite_list_pointer), kListB);
    EXPECT_EQ(ram16(kListB), 0xFFFF);
}

// Three objects in two buckets, in modes 0, 1 (parts copied) and 5, and one
// frame without parts: lower keys first, and in a bucket the object linked
// first comes last.
TEST_F(SpriteList, BuildsBackToFrontWordForWord) {
    plant_frame(0x050000, offset_parts(0xA0, 2));
    plant_frame(0x050100, offset_parts(0xB0, 1));
    plant_frame(0x050200, offset_parts(0xC0, 3));
    plant_frame(0x050300, {});
    const uint32_t a = object_showing(0x050000, 100, 50);
    const uint32_t b = object_showing(0x050100, 30, 60);
    const uint32_t c = new_object();
    place(c, -20, 200);
    orb_write8(c + object_record::anim_mode, 1);
    cpu.reg[20] = c;
    cpu.reg[19] = 0x050200;
    ASSERT_TRUE(run(sub_061F86));
    orb_write8(b + object_record::anim_mode, 5);
    const uint32_t empty = object_showing(0x050300, 0, 0);

    ASSERT_TRUE(link(a, 40));
    ASSERT_TRUE(link(empty, 40));
    ASSERT_TRUE(link(b, 40));
    ASSERT_TRUE(link(c, -5));
    orb_write32(var::sprite_list_pointer, kListB);
    ASSERT_TRUE(build());

    const auto pa = offset_parts(0xA0, 2), pb = offset_parts(0xB0, 1), pc = offset_parts(0xC0, 3);
    expect_list(kListA, {at_screen(pc[0], -20, 200), at_screen(pc[1], -20, 200), at_screen(pc[2], -20, 200),
                         at_screen(pb[0], 30, 60), at_screen(pa[0], 100, 50), at_screen(pa[1], 100, 50)});
    EXPECT_TRUE(ram32(var::system_flags) & 1u << 4);
    EXPECT_EQ(ram16(var::display_count), 0);
    for (uint32_t at = var::display_buckets; at < var::display_buckets + 1024; at += 2)
        ASSERT_EQ(ram16(at), 0) << std::hex << "bucket at " << at;
}

TEST_F(SpriteList, MirrorBitsFlipPartsAndOffsets) {
    std::vector<part> frame = parts(0xA0, 2);
    frame[0][0] = 0x0041;  // horizontal flip already set, vertical not
    frame[1][0] = 0x0082;
    frame[0][4] = frame[1][4] = 4;
    frame[0][5] = frame[1][5] = 8;
    plant_frame(0x050000, frame);
    const struct {
        const char* name;
        bool mirror_x, mirror_y;
        uint16_t w0[2];
        int x, y;
    } cases[] = {
        {"none", false, false, {0x0041, 0x0082}, 108, 54},
        {"horizontal", true, false, {0x0001, 0x00C2}, 92, 54},
        {"vertical", false, true, {0x00C1, 0x0002}, 108, 46},
        {"both", true, true, {0x0081, 0x0042}, 92, 46},
    };
    orb_write32(var::sprite_list_pointer, kListB);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t object = object_showing(0x050000, 100, 50);
        if (c.mirror_x) set_flag(object, object_flag::mirror_x);
        if (c.mirror_y) set_flag(object, object_flag::mirror_y);
        ASSERT_TRUE(link(object, 0));
        ASSERT_TRUE(build());
        std::vector<part> want = frame;
        for (int p = 0; p < 2; ++p) {
            want[p][0] = c.w0[p];
            want[p][4] = u16(c.y);
            want[p][5] = u16(c.x);
        }
        expect_list(ram32(var::sprite_list_pointer), want);
    }
}

// Modes 3 and 4 take the two fixed part sets in turn, the size words and the
// offsets from the object, the offsets mirrored by the owner's bits only.
TEST_F(SpriteList, FixedPartSetsAlternate) {
    // The sets lie back to back: A's one part ends where B's count stands.
    plant_frame(kFixedA, parts(0xA0, 1));
    plant_frame(kFixedB, parts(0xB0, 2));
    const uint32_t owner = new_object();
    const uint32_t object = object_showing(0x050000, 50, 70);
    set_flag(object, object_flag::mirror_y);  // its own bits change nothing
    orb_write16(object + object_record::owner, u16(owner));
    orb_write8(object + object_record::anim_mode, 3);
    orb_write16(object + 52, 0x2222);
    orb_write16(object + 54, 0x3333);
    orb_write16(object + 56, 6);
    orb_write16(object + 58, u16(-10));
    auto fixed = [](const part& p, int x, int y) {
        return part{p[0], p[1], 0x2222, 0x3333, u16(y), u16(x), p[6], p[7]};
    };
    orb_write32(var::sprite_list_pointer, kListB);

    set_flag(owner, object_flag::mirror_x);
    ASSERT_TRUE(link(object, 0));
    ASSERT_TRUE(build());
    expect_list(kListA, {fixed(parts(0xA0, 1)[0], 60, 76)});
    EXPECT_EQ(ram8(object + object_record::anim_mode), 4);

    orb_write32(owner, 1u << object_flag::mirror_y);
    ASSERT_TRUE(link(object, 0));
    ASSERT_TRUE(build());
    const auto b = parts(0xB0, 2);
    expect_list(kListB, {fixed(b[0], 40, 64), fixed(b[1], 40, 64)});
    EXPECT_EQ(ram8(object + object_record::anim_mode), 3);
}

TEST_F(SpriteList, ModeWithoutATargetEndsTheRun) {
    cpu.frames = 8;
    const uint32_t object = object_showing(0x050000, 0, 0);
    orb_write8(object + object_record::anim_mode, 6);
    ASSERT_TRUE(link(object, 0));
    EXPECT_EXIT(build(), ::testing::ExitedWithCode(3),
                "^Jump from 062170 to 062185 has no translated target \\(frame 8\\)\n$");
}

TEST_F(SpriteList, BootSetUpFromRom) {
    const uint8_t bytes[6] = {0x11, 0x26, 0x33, 0x44, 0x55, 0x66};  // registers 0, 2, 3, 4, 5, 6
    for (uint32_t i = 0; i < 6; ++i) plant8(0x060A86 + i, bytes[i]);
    for (uint32_t i = 0; i < 24; ++i) plant8(0x060A8E + i, static_cast<uint8_t>(0xC0 + i));
    for (uint8_t flip : {0, 1, 0x80}) {
        SCOPED_TRACE(int{flip});
        orb_write8(var::flip_screen, flip);
        orb_write8(hw::sprite_control + 2, 0x5A);
        orb_write16(hw::sprite_ram + 24, 0x7777);
        ASSERT_TRUE(run(sub_060978));
        EXPECT_EQ(orb_board.sprite_control[0], 0x11);
        EXPECT_EQ(orb_board.sprite_control[1], 0x5A) << "register 1 is not written";
        EXPECT_EQ(orb_board.sprite_control[2], flip ? 0x25 : 0x26);
        for (int n = 3; n <= 6; ++n) EXPECT_EQ(orb_board.sprite_control[n], bytes[n - 1]) << "register " << n;
        for (uint32_t i = 0; i < 24; ++i)
            ASSERT_EQ(ram8(hw::sprite_ram + i), 0xC0 + i) << "header byte " << i;
        EXPECT_EQ(ram16(hw::sprite_ram + 24), 0x7777);
        EXPECT_EQ(ram32(var::sprite_list_pointer), kListB);
        EXPECT_EQ(ram16(kListB), 0xFFFF);
    }
}

}  // namespace
