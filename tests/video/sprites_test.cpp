// The sprite engine on lists written into sprite RAM and graphics written
// into a small synthetic sprite region; results read from the sprite frame.
#include <vector>

#include "tests/video/video_fixture.h"

namespace {

constexpr uint16_t LEFT_TOP = 0x000A;  // anchors: x and y unchanged

uint16_t w1_4bit(int words, int rows) { return static_cast<uint16_t>(rows << 8 | words << 1); }
uint16_t w1_8bit(int words, int rows) { return static_cast<uint16_t>(rows << 8 | words); }
uint16_t pos(int v) { return static_cast<uint16_t>(v & 0xFFF); }

class SpriteTest : public VideoTest {
public:
    void SetUp() override {
        VideoTest::SetUp();
        orb_video_sprites(true, false);  // frames start at 0; give the shown one 0xFFFF
        orb_video_sprites(false, true);
        orb_video_sprites(true, false);
    }

    // Latches the given sprite-control bytes and runs one clearing, drawing update.
    static void draw_list(uint8_t reg4 = 0, uint8_t reg5 = 0, uint8_t reg6 = 1) {
        orb_board.sprite_latched[4] = reg4;
        orb_board.sprite_latched[5] = reg5;
        orb_board.sprite_latched[6] = reg6;
        orb_video_sprites(true, true);
    }

    static std::vector<uint16_t> row(int y, int from, int to) {
        std::vector<uint16_t> v;
        for (int x = from; x < to; ++x) v.push_back(drawn_sprite(x, y));
        return v;
    }
    // First and last+1 column of row y that a sprite covers (-1, -1 if none).
    static std::pair<int, int> covered(int y) {
        int first = -1, last = -2;
        for (int x = 0; x < ORB_VIDEO_COLUMNS; ++x)
            if (drawn_sprite(x, y) != 0xFFFF) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last + 1};
    }
    // Replaces sprite RAM by the given entries (words from w0 on), the rest 0.
    static void write_list(const std::vector<std::vector<uint16_t>>& list) {
        std::fill(orb_board.sprite_ram, orb_board.sprite_ram + 0x20000, uint8_t{0});
        for (size_t n = 0; n < list.size(); ++n) {
            uint32_t k = 0;
            for (uint16_t w : list[n]) {
                orb_board.sprite_ram[n * 16 + k * 2] = static_cast<uint8_t>(w);
                orb_board.sprite_ram[n * 16 + k * 2 + 1] = static_cast<uint8_t>(w >> 8);
                ++k;
            }
        }
    }
    // A 4-bit sprite of `words` words by `rows` rows whose every pen is 1, at word 0.
    void solid_graphics(int words, int rows) {
        for (int i = 0; i < words * rows; ++i) sprite_word(static_cast<uint32_t>(i), 0x11111111);
    }
};

TEST_F(SpriteTest, DirectColoursAndPens) {
    sprite_word(0, 0x12345678);
    sprite_word(1, 0x9ABCDE01);
    sprite_word(2, 0x1F111111);  // pen 15 inside a word is an ordinary pen
    sprite_word(3, 0x2222222F);  // ... but at the end of a word it ends the row
    sprite_entry(0, {LEFT_TOP, w1_4bit(2, 2), 2, 16, 50, 100, 0, 0x0130});
    end_list(1);
    draw_list();
    const std::vector<uint16_t> want0 = {0x8131, 0x8132, 0x8133, 0x8134, 0x8135, 0x8136, 0x8137, 0x8138,
                                         0x8139, 0x813A, 0x813B, 0x813C, 0x813D, 0x813E, 0xFFFF, 0x8131};
    EXPECT_EQ(row(50, 100, 116), want0);
    const std::vector<uint16_t> want1 = {0x8131, 0x813F, 0x8131, 0x8131, 0x8131, 0x8131, 0x8131, 0x8131,
                                         0x8132, 0x8132, 0x8132, 0x8132, 0x8132, 0x8132, 0x8132, 0xFFFF};
    EXPECT_EQ(row(51, 100, 116), want1);
    EXPECT_EQ(drawn_sprite(99, 50), 0xFFFF);
    EXPECT_EQ(drawn_sprite(116, 50), 0xFFFF);
    EXPECT_EQ(drawn_sprite(100, 52), 0xFFFF);

    // Bit 8: the all-ones pen is an ordinary pen and ends nothing.
    sprite_word(0, 0xF1111111);
    sprite_word(1, 0x1111111F);
    sprite_entry(0, {LEFT_TOP | 0x100, w1_4bit(2, 1), 1, 16, 50, 100, 0, 0x0130});
    draw_list();
    EXPECT_EQ(drawn_sprite(100, 50), 0x813F);
    EXPECT_EQ(drawn_sprite(115, 50), 0x813F);
    // Without it, a word ending in 15 ends the row even though columns remain.
    sprite_word(0, 0x1111111F);
    sprite_entry(0, {LEFT_TOP, w1_4bit(2, 1), 1, 16, 50, 100, 0, 0x0130});
    draw_list();
    EXPECT_EQ(covered(50), std::make_pair(100, 107));
}

TEST_F(SpriteTest, EightBitPixelsAndSpriteRamData) {
    sprite_word(0, 0x01FF8000);  // pens 0x01, 0xFF (first/last only is a marker), 0x80, 0x00
    sprite_word(1, 0xFF0203FF);  // 0xFF first: marker, not drawn; last 0xFF ends the row
    sprite_entry(0, {LEFT_TOP | 0x200, w1_8bit(2, 1), 1, 8, 10, 20, 0, 0x1234});
    end_list(1);
    draw_list();
    // 8-bit direct base keeps bits 14-8 of w7.
    const std::vector<uint16_t> want = {0x9201, 0x92FF, 0x9280, 0xFFFF, 0xFFFF, 0x9202, 0x9203, 0xFFFF};
    EXPECT_EQ(row(10, 20, 28), want);

    // Bit 10: words from sprite RAM, word (address & 0x7FFF) at byte offset * 4.
    const uint32_t at = 0x1000;
    orb_board.sprite_ram[at * 4 + 0] = 0x45;
    orb_board.sprite_ram[at * 4 + 1] = 0x60;
    orb_board.sprite_ram[at * 4 + 2] = 0x00;
    orb_board.sprite_ram[at * 4 + 3] = 0x07;
    sprite_entry(0,
                 {LEFT_TOP | 0x400, w1_4bit(1, 1), 1, 8, 10, 20, static_cast<uint16_t>(0x8000 | at), 0x0010});
    draw_list();
    const std::vector<uint16_t> want_ram = {0x8014, 0x8015, 0x8016, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x8017};
    EXPECT_EQ(row(10, 20, 28), want_ram);
}

TEST_F(SpriteTest, IndirectColoursAndTransparency) {
    sprite_word(0, 0x0123000F);  // pens 0 1 2 3 0 0 0 15
    // Colour table in entry 100 (16 words spread over entries 100 and 101).
    auto table = [](int k, uint16_t v) {
        orb_board.sprite_ram[100 * 16 + k * 2] = static_cast<uint8_t>(v);
        orb_board.sprite_ram[100 * 16 + k * 2 + 1] = static_cast<uint8_t>(v >> 8);
    };
    table(0, 0x0500);
    table(1, 0x0511);
    table(2, 0x7FFF);  // transparent under mask 0x7FFF
    table(3, 0x0533);
    table(15, 0x05FF);
    struct Case {
        const char* name;
        uint16_t w0_extra;
        uint8_t reg4, reg5;
        std::vector<uint16_t> want;
    };
    const Case cases[] = {
        {"pen 0 drawn only at a word's edge, the edge 15 a marker",
         0,
         0,
         0,
         {0x0500, 0x0511, 0xFFFF, 0x0533, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
        {"bit 8: pen 0 never drawn, 15 is a pen",
         0x100,
         0,
         0,
         {0xFFFF, 0x0511, 0xFFFF, 0x0533, 0xFFFF, 0xFFFF, 0xFFFF, 0x05FF}},
        {"register 5 bit 0 sets bit 15 (and the mask becomes 0x3FFF)",
         0,
         0,
         1,
         {0x8500, 0x8511, 0xFFFF, 0x8533, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
        {"mask 0x07FF hides values whose low 11 bits are all set",
         0x100,
         3,
         2,
         {0xFFFF, 0x0511, 0xFFFF, 0x0533, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        table(15, tc.reg4 == 3 ? 0x07FF : 0x05FF);  // all low bits set under the last mask
        sprite_entry(
            0, {static_cast<uint16_t>(LEFT_TOP | 0x2000 | tc.w0_extra), w1_4bit(1, 1), 1, 8, 10, 20, 0, 100});
        end_list(1);
        draw_list(tc.reg4, tc.reg5);
        EXPECT_EQ(row(10, 20, 28), tc.want);
    }
    // 8-bit indirect: table[e >> 4] with its low nibble cleared, or'ed with e & 15.
    sprite_word(0, 0x1F3C0000);
    table(1, 0x0ABC);
    table(3, 0x0DEF);
    sprite_entry(0, {LEFT_TOP | 0x2200, w1_8bit(1, 1), 1, 4, 10, 20, 0, 100});
    draw_list();
    EXPECT_EQ(row(10, 20, 24), (std::vector<uint16_t>{0x0ABF, 0x0DEC, 0xFFFF, 0x0500}));
}

TEST_F(SpriteTest, InlineColourTableOccupiesTwoEntries) {
    sprite_word(0, 0x11111111);
    // Draw entry with bits 12 and 13: the table is entries 1 and 2; entry 3 follows.
    sprite_entry(0, {LEFT_TOP | 0x3100, w1_4bit(1, 1), 1, 8, 10, 20, 0, 0});
    sprite_entry(1, {0x0000, 0x0777});                                        // table word 1 = 0x0777
    sprite_entry(3, {LEFT_TOP | 0x3100, w1_4bit(1, 1), 1, 0, 10, 40, 0, 0});  // width 0: draws nothing
    sprite_entry(4, {0x0000, 0x0888});
    sprite_entry(6, {LEFT_TOP | 0x2100, w1_4bit(1, 1), 1, 8, 10, 60, 0, 4});  // table at entry 4
    end_list(7);
    draw_list();
    EXPECT_EQ(drawn_sprite(20, 10), 0x0777);
    EXPECT_EQ(covered(10), std::make_pair(20, 68));
    EXPECT_EQ(drawn_sprite(40, 10), 0xFFFF);
    EXPECT_EQ(drawn_sprite(60, 10), 0x0888);
}

TEST_F(SpriteTest, Anchors) {
    solid_graphics(2, 16);
    struct Case {
        int code;
        int first_col;
        int first_row;
    };
    // A 16 x 16 sprite at (100, 50): 0 and 3 centre ((16 - 1) / 2 = 7), 1 right/bottom, 2 left/top.
    for (const Case& tc : {Case{0, 93, 43}, Case{3, 93, 43}, Case{1, 85, 35}, Case{2, 100, 50}}) {
        SCOPED_TRACE(tc.code);
        sprite_entry(0,
                     {static_cast<uint16_t>(tc.code | tc.code << 2), w1_4bit(2, 16), 16, 16, 50, 100, 0, 0});
        end_list(1);
        draw_list();
        EXPECT_EQ(covered(tc.first_row), std::make_pair(tc.first_col, tc.first_col + 16));
        EXPECT_EQ(covered(tc.first_row - 1), std::make_pair(-1, -1));
        EXPECT_EQ(covered(tc.first_row + 15).first, tc.first_col);
    }
}

TEST_F(SpriteTest, ZoomAndMirrorAgainstTheClip) {
    sprite_word(0, 0x12345678);
    sprite_word(1, 0x9ABCDE12);
    sprite_word(2, 0x11111111);
    sprite_word(3, 0x22222222);
    const auto pens = [](std::initializer_list<int> list) {
        std::vector<uint16_t> v;
        for (int p : list) v.push_back(p < 0 ? 0xFFFF : static_cast<uint16_t>(0x8000 | p));
        return v;
    };
    struct Case {
        const char* name;
        uint16_t w0;
        int dst_w, dst_h, x;
        int y_check;
        int from;
        std::vector<uint16_t> want;
    };
    const Case cases[] = {
        {"twice the size repeats each pixel", LEFT_TOP, 32, 2, 100, 50, 100, pens({1, 1, 2, 2, 3, 3, 4, 4})},
        {"half the size drops every other", LEFT_TOP, 8, 2, 100, 50, 100,
         pens({1, 3, 5, 7, 9, 11, 13, 1, -1})},
        {"mirrored", LEFT_TOP | 0x40, 16, 2, 100, 50, 108, pens({8, 7, 6, 5, 4, 3, 2, 1, -1})},
        {"left of the screen", LEFT_TOP, 16, 2, -4, 50, 0, pens({5, 6, 7, 8, 9})},
        {"mirrored, left of the screen", LEFT_TOP | 0x40, 16, 2, -4, 50, 0, pens({12, 11, 10, 9, 8})},
        {"right edge of a 320 screen", LEFT_TOP, 16, 2, 315, 50, 315, pens({1, 2, 3, 4, 5, -1})},
        {"mirrored at the right edge", LEFT_TOP | 0x40, 16, 2, 315, 50, 315, pens({2, 1, 14, 13, 12, -1})},
        {"vertical mirror", LEFT_TOP | 0x80, 16, 2, 100, 50, 100, pens({1, 1, 1, 1})},
        {"twice the height repeats rows", LEFT_TOP, 16, 4, 100, 51, 100, pens({1, 2, 3, 4})},
        {"twice the height, row 2", LEFT_TOP, 16, 4, 100, 52, 100, pens({1, 1, 1, 1})},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        sprite_entry(0, {tc.w0, w1_4bit(2, 2), static_cast<uint16_t>(tc.dst_h),
                         static_cast<uint16_t>(tc.dst_w), 50, pos(tc.x), 0, 0});
        end_list(1);
        draw_list(0, 0, 0);  // 320-wide default clip
        EXPECT_EQ(row(tc.y_check, tc.from, tc.from + static_cast<int>(tc.want.size())), tc.want);
        if (tc.from + static_cast<int>(tc.want.size()) > 320) {
            EXPECT_EQ(drawn_sprite(320, tc.y_check), 0xFFFF);
        }
    }
}

TEST_F(SpriteTest, WindowsJumpsAndOrigin) {
    solid_graphics(2, 16);
    struct Case {
        const char* name;
        std::vector<std::vector<uint16_t>> list;  // entries from 0
        int y;
        std::pair<int, int> want;
    };
    const uint16_t w1 = w1_4bit(2, 16);
    const Case cases[] = {
        {"clip window",
         {{0x5000 | 40, 60, 105, 108}, {LEFT_TOP, w1, 16, 16, 50, 100}, {0xC000}},
         50,
         {105, 109}},
        {"clip window rows",
         {{0x5000 | 55, 60, 0, 415}, {LEFT_TOP, w1, 16, 16, 50, 100}, {0xC000}},
         54,
         {-1, -1}},
        {"clip x_max beyond the screen is the screen's",
         {{0x5000, 400, 0, 2000}, {LEFT_TOP, w1, 16, 16, 50, 310}, {0xC000}},
         50,
         {310, 320}},
        {"clip y_max above 223 is 223",
         {{0x5000, 2000, 0, 300}, {LEFT_TOP, w1, 16, 16, 220, 100}, {0xC000}},
         223,
         {100, 116}},
        {"negative clip start is 0",
         {{0x5000 | 0xFF0, 100, pos(-20), 300}, {LEFT_TOP, w1, 16, 16, 50, 0xFFC}, {0xC000}},
         50,
         {0, 12}},
        {"exclusion window",
         {{0x6000, 0, 0, 0, 40, 60, 104, 107}, {LEFT_TOP, w1, 16, 16, 50, 100}, {0xC000}},
         50,
         {100, 116}},
        {"jump with origin",
         {{0xA000 | 5, 20, 30}, {}, {}, {}, {}, {LEFT_TOP | 0x30, w1, 16, 16, 50, 100}, {0xC000}},
         70,
         {130, 146}},
        {"jump keeps the origin off without bit 13",
         {{0x8000 | 5, 20, 30}, {}, {}, {}, {}, {LEFT_TOP | 0x30, w1, 16, 16, 50, 100}, {0xC000}},
         50,
         {100, 116}},
        {"origin only where the entry asks",
         {{0xA000 | 5, 20, 30}, {}, {}, {}, {}, {LEFT_TOP | 0x10, w1, 16, 16, 50, 100}, {0xC000}},
         50,
         {130, 146}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        write_list(tc.list);
        // Entries 1 to 4 of the jump cases would draw if walked: make them ends.
        if (tc.list.size() > 5)
            for (uint32_t n = 1; n < 5; ++n) end_list(n);
        draw_list(0, 0, 0);
        EXPECT_EQ(covered(tc.y), tc.want);
    }
}

TEST_F(SpriteTest, ExclusionWindowCutsAHole) {
    solid_graphics(2, 16);
    sprite_entry(0, {0x6000, 0, 0, 0, 52, 53, 104, 107});
    sprite_entry(1, {LEFT_TOP, w1_4bit(2, 16), 16, 16, 50, 100, 0, 0});
    end_list(2);
    draw_list();
    EXPECT_EQ(drawn_sprite(104, 51), 0x8001);
    EXPECT_EQ(drawn_sprite(103, 52), 0x8001);
    EXPECT_EQ(drawn_sprite(104, 52), 0xFFFF);
    EXPECT_EQ(drawn_sprite(107, 53), 0xFFFF);
    EXPECT_EQ(drawn_sprite(108, 53), 0x8001);
}

TEST_F(SpriteTest, RunawayListsStopAfter8192Entries) {
    solid_graphics(1, 1);
    struct Case {
        const char* name;
        std::vector<std::vector<uint16_t>> list;
    };
    const Case cases[] = {
        {"self jump", {{0x8000}}},
        {"draw and jump back", {{LEFT_TOP, w1_4bit(1, 1), 1, 8, 10, 20}, {0x8000}}},
        {"no end entry", {}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        write_list(tc.list);
        draw_list();  // returns
    }
    EXPECT_EQ(drawn_sprite(20, 10), 0xFFFF);  // the last case's zero entries draw nothing
}

TEST_F(SpriteTest, ShadowEntriesDarkenInsteadOfDrawing) {
    solid_graphics(2, 1);
    sprite_entry(0, {LEFT_TOP, w1_4bit(2, 1), 1, 16, 10, 100, 0, 0x0120});
    sprite_entry(1, {LEFT_TOP | 0x800, w1_4bit(2, 1), 1, 16, 10, 108, 0, 0});
    end_list(2);
    draw_list(0, 1);  // register 5 bit 0 enables shadows
    EXPECT_EQ(drawn_sprite(107, 10), 0x8121);
    EXPECT_EQ(drawn_sprite(108, 10), 0x0121);  // bit 15 cleared over a drawn sprite
    EXPECT_EQ(drawn_sprite(116, 10), 0x7FFF);  // over an empty pixel
    draw_list(0, 0);                           // without the enable the entry draws normally
    EXPECT_EQ(drawn_sprite(116, 10), 0x8001);
}

// A list reaches the picture two sprite updates after it is written: the first
// update draws it into the back frame, the second shows that frame.
TEST_F(SpriteTest, DoubleBufferAndTwoUpdateLatency) {
    restart_video();  // both frames 0 again, as after start-up
    solid_graphics(2, 1);
    mixer(0x01, 3);  // grouping row 0: every sprite pixel is in group 1
    vreg(0x02, 0x003F);
    vreg(0x8E, 0x003F);
    mixer(MIX_BACKDROP, 0);
    vreg(0x5E, 0x0A00);  // backdrop colour 0xA00
    auto write_list = [&](int x) {
        sprite_entry(0, {LEFT_TOP, w1_4bit(2, 1), 1, 16, 10, pos(x), 0, 0x0040});
        end_list(1);
    };
    write_list(100);
    orb_video_draw_frame();
    EXPECT_EQ(index_at(0, 0), 0) << "after start-up both frames hold opaque colour 0";

    orb_sprite_update();  // automatic: clears frame 0, shows frame 1 (still 0), draws into frame 0
    orb_video_draw_frame();
    EXPECT_EQ(index_at(0, 0), 0);
    EXPECT_EQ(index_at(100, 10), 0);

    write_list(200);
    orb_sprite_update();  // shows the list of the first update
    orb_video_draw_frame();
    EXPECT_EQ(index_at(0, 0), 0xA00);
    EXPECT_EQ(index_at(100, 10), 0x41);
    EXPECT_EQ(index_at(200, 10), 0xA00);

    orb_sprite_update();
    orb_video_draw_frame();
    EXPECT_EQ(index_at(100, 10), 0xA00);
    EXPECT_EQ(index_at(200, 10), 0x41);

    // Clear without draw: the shown frame loses its sprites, nothing flips.
    orb_board.sprite_control[3] = 2;  // manual mode
    orb_board.sprite_control[0] = 2;
    orb_sprite_update();
    orb_video_draw_frame();
    EXPECT_EQ(index_at(200, 10), 0xA00);
}

std::vector<uint32_t> observed_addresses;
std::vector<uint16_t> observed_colours;
void observe(uint32_t address, int width, int height, bool eight_bit, bool bit8, const uint16_t* colours) {
    observed_addresses.push_back(address);
    observed_addresses.push_back(static_cast<uint32_t>(width));
    observed_addresses.push_back(static_cast<uint32_t>(height));
    observed_addresses.push_back(eight_bit);
    observed_addresses.push_back(bit8);
    observed_colours.assign(colours, colours + 16);
}

TEST_F(SpriteTest, ObserverSeesEntriesFromTheGraphics) {
    sprites.assign(0x800000, 0);  // two banks
    restart_video();
    orb_video_sprite_observer = observe;
    observed_addresses.clear();
    sprite_entry(0, {LEFT_TOP | 0x100, w1_4bit(3, 5), 0x3000 | 5, 0x4800 | 24, 10, 20, 0x1234, 0x0560});
    sprite_entry(1,
                 {LEFT_TOP | 0x400, w1_4bit(3, 5), 5, 24, 10, 20, 0x1234, 0x0560});  // sprite RAM: not seen
    end_list(2);
    draw_list();
    orb_video_sprite_observer = nullptr;
    // Bank 3 taken modulo the two banks of an 8 MB region: 1.
    EXPECT_EQ(observed_addresses, (std::vector<uint32_t>{1u << 20 | 0x31234, 3, 5, 0, 1}));
    ASSERT_EQ(observed_colours.size(), 16u);
    EXPECT_EQ(observed_colours[0], 0x0560);
    EXPECT_EQ(observed_colours[15], 0x056F);
}

}  // namespace
