#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "game/routines.h"
#include "tests/support/game_harness.h"

namespace {

constexpr uint32_t kRegs = hw::video_regs;
constexpr uint32_t kShadow = var::video_shadow;
constexpr uint32_t kCameras = var::camera_records;
constexpr uint16_t kMarker = 0xEEEE;

class VideoSetUp : public GameRoutineTest {
protected:
    static void fill(uint32_t from, uint32_t to, uint16_t value = kMarker) {
        for (uint32_t a = from; a < to; a += 2) orb_write16(a, value);
    }
    // The first address in [from, to) whose halfword is not value, or to.
    static uint32_t first_other(uint32_t from, uint32_t to, uint16_t value) {
        for (uint32_t a = from; a < to; a += 2)
            if (ram16(a) != value) return a;
        return to;
    }
    void plant_video_defaults() {
        plant16(0x060AAA, 0xB0A5);
        for (uint32_t i = 0; i < 71; ++i)
            plant16(rom::video_defaults + 2 * i, static_cast<uint16_t>(0x4000 + i));
    }
};

TEST_F(VideoSetUp, LayerResetClearsVideoRamLoadsPatternsAndTheRegisters) {
    const struct {
        uint8_t flip;
        uint16_t control;
    } cases[] = {{0, 0x00A5}, {1, 0x02A5}, {0x80, 0x02A5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.flip));
        SetUp();
        plant_video_defaults();
        for (uint32_t i = 0; i < 6144; ++i)
            plant16(rom::text_patterns + 2 * i, static_cast<uint16_t>(i * 7 + 1));
        fill(hw::video_ram, 0x320000);
        orb_write8(var::backup_image + backup_record::flip_screen, c.flip);
        ASSERT_TRUE(run(sub_0608A8));
        EXPECT_EQ(first_other(hw::video_ram, hw::text_patterns, 0), hw::text_patterns) << "video RAM cleared";
        EXPECT_EQ(first_other(hw::text_layer, 0x31FF00, 0), 0x31FF00u) << "text layer cleared";
        bool patterns = true;
        for (uint32_t i = 0; i < 6144 && patterns; ++i)
            patterns = ram16(hw::text_patterns + 2 * i) == static_cast<uint16_t>(i * 7 + 1);
        EXPECT_TRUE(patterns) << "text patterns from ROM";
        EXPECT_EQ(ram16(kRegs), c.control);
        EXPECT_EQ(ram16(kShadow), c.control);
        EXPECT_EQ(ram16(kRegs + 2), 0x4000);
        EXPECT_EQ(ram16(kShadow + 0x8E), 0x4000 + 70);
        EXPECT_EQ(first_other(kRegs + 0x90, kRegs + 0x100, kMarker), kRegs + 0x100)
            << "registers past the block kept";
        TearDown();
    }
}

TEST_F(VideoSetUp, ShadowResetRestoresCamerasAndRegisters) {
    plant_video_defaults();
    fill(kCameras, kCameras + 256);
    fill(var::video_shadow, 0x208300, 0xFFFF);
    fill(kRegs, kRegs + 0x100, 0xFFFF);
    ASSERT_TRUE(run(sub_0608DF));
    for (uint32_t k = 0; k < 4; ++k) {
        const uint32_t record = kCameras + 64 * k;
        EXPECT_EQ(ram32(record), 0x00060AA6u) << "camera " << k;
        EXPECT_EQ(first_other(record + 4, record + 16, 0), record + 16) << "camera " << k;
        EXPECT_EQ(ram16(record + 16), kMarker) << "camera " << k << ": the rest kept";
    }
    EXPECT_EQ(ram16(kRegs), 0x0FFF) << "bits 12-15 cleared, wide screen off";
    EXPECT_EQ(ram16(kShadow), 0x0FFF);
    for (uint32_t i = 0; i < 71; ++i) {
        EXPECT_EQ(ram16(kRegs + 2 + 2 * i), 0x4000 + i) << "register " << i + 1;
        EXPECT_EQ(ram16(kShadow + 2 + 2 * i), 0x4000 + i) << "shadow " << i + 1;
    }
    EXPECT_EQ(ram16(kRegs + 0x90), 0xFFFF);
    EXPECT_EQ(ram16(kShadow + 0x90), 0xFFFF);
}

TEST_F(VideoSetUp, VideoRamClearLeavesTheRegistersAlone) {
    fill(hw::video_ram, 0x320000);
    ASSERT_TRUE(run(sub_060931));
    EXPECT_EQ(first_other(hw::video_ram, kRegs, 0), kRegs);
    EXPECT_EQ(first_other(kRegs, 0x320000, kMarker), 0x320000u);
}

TEST_F(VideoSetUp, BlockClearsRunDownFromR9) {
    const struct {
        uint32_t r9;
        std::vector<uint32_t> blocks;  // offsets of the 1 KB blocks cleared
    } cases[] = {
        {0x0C00, {0x000, 0x400, 0x800, 0xC00}},
        {0x0500, {0x100, 0x500}},
        {0x0300, {0x300}},
        {0xFFFF0400, {0x000, 0x400}},  // only the low half counts
        {0x8400, {0x8400}},            // a negative offset clears once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.r9);
        SetUp();
        fill(hw::video_ram, 0x310000);
        cpu.reg[9] = c.r9;
        ASSERT_TRUE(run(sub_060953));
        std::vector<uint32_t> cleared;
        for (uint32_t offset = 0; offset < 0x10000; offset += 0x100) {
            const uint32_t a = hw::video_ram + offset;
            if (first_other(a, a + 0x100, 0) == a + 0x100)
                cleared.push_back(offset);
            else
                EXPECT_EQ(first_other(a, a + 0x100, kMarker), a + 0x100) << "partly cleared at " << offset;
        }
        std::vector<uint32_t> want;
        for (uint32_t b : c.blocks)
            for (uint32_t q = 0; q < 4; ++q) want.push_back(b + 0x100 * q);
        EXPECT_EQ(cleared, want);
        TearDown();
    }
}

TEST_F(VideoSetUp, MixerDefaultsGoToRegistersShadowAndPendingImage) {
    for (uint32_t i = 0; i < 40; ++i) plant16(rom::mixer_defaults + 2 * i, static_cast<uint16_t>(0x0100 + i));
    fill(hw::mixer_regs, 0x610080);
    ASSERT_TRUE(run(sub_0609D3));
    for (uint32_t i = 0; i < 40; ++i) {
        EXPECT_EQ(ram16(hw::mixer_regs + 2 * i), 0x0100 + i) << i;
        EXPECT_EQ(ram16(var::mixer_shadow + 2 * i), 0x0100 + i) << i;
        EXPECT_EQ(ram16(var::mixer_pending + 2 * i), 0x0100 + i) << i;
    }
    EXPECT_EQ(ram16(0x610050), kMarker);
}

TEST_F(VideoSetUp, IoChipAndSpriteBlockSetUp) {
    ASSERT_TRUE(run(sub_0609F3));
    const auto& io = orb_board.io;
    EXPECT_EQ(io.cnt, 0x84);
    EXPECT_EQ(io.direction, 0xC8);
    EXPECT_EQ(io.port_latches[3], 0xF0);
    EXPECT_EQ(io.port_latches[6], 0x00);
    EXPECT_EQ(io.port_latches[7], 0x00);
    EXPECT_EQ(io.group_register, 0x93);

    plant32(0x060B3A, 3);
    for (uint16_t i = 0; i < 4; ++i) plant16(0x060B3E + 2 * i, static_cast<uint16_t>(0xA000 + i));
    ASSERT_TRUE(run(sub_060A1D));
    EXPECT_EQ(ram16(hw::sprite_block), 0xA000);
    EXPECT_EQ(ram16(0x408004), 0xA002);
    EXPECT_EQ(ram16(0x408006), 0) << "three halfwords only";
}

class CentredLayers : public VideoSetUp {
protected:
    void SetUp() override {
        VideoSetUp::SetUp();
        // Entries -1 to 19; entry d's words carry d in their top byte.
        for (uint32_t d = 0xFFFFFFFF; d != 20; ++d) {
            plant32(rom::area_page_words + 8 * d, 0x01000000u * d + 0x11);
            plant32(rom::area_page_words + 8 * d + 4, 0x01000000u * d + 0x22);
        }
        // Start-up state the routines read: play with no game or system bits
        // set, and sound ring A empty.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        for (uint32_t i = 0; i < sound_ring::slots + 32; ++i) orb_write8(var::sound_ring_a + i, 0);
    }
    static void cameras(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
        orb_write16(kCameras + 4, x0);
        orb_write16(kCameras + 6, y0);
        orb_write16(kCameras + 64 + 4, x1);
        orb_write16(kCameras + 64 + 6, y1);
    }
    static std::vector<uint16_t> words(uint32_t at, int n, uint32_t step = 2) {
        std::vector<uint16_t> out;
        for (int i = 0; i < n; ++i) out.push_back(ram16(at + step * i));
        return out;
    }
    static void where(uint8_t stage, uint8_t area) {
        orb_write8(var::stage, stage);
        orb_write8(var::area, area);
    }
};

TEST_F(CentredLayers, EnteringScrollsAboutTheCentreAndLoadsThePages) {
    cameras(2044, 4 * 100, 0xFFFC, 4 * 600);  // -4 quarter pixels: 0x1FF after the mask
    orb_write16(kShadow, 0x0201);
    orb_write32(var::game_flags, 0);
    orb_write32(var::system_flags, 0);
    where(2, 3);
    cpu.reg[9] = 1;
    ASSERT_TRUE(run(sub_0886E1));
    EXPECT_EQ(words(var::scroll_words, 4, 4), (std::vector<uint16_t>{671, 212, 671, 88 + 112}));
    EXPECT_EQ(words(var::layer_centres, 4), (std::vector<uint16_t>{160, 112, 160, 112}));
    EXPECT_EQ(ram16(kShadow), 0x3201) << "NBG2 and NBG3 off";
    EXPECT_EQ(ram32(var::game_flags), 1u << 11);
    EXPECT_EQ(ram32(var::system_flags), 1u << 2);
    EXPECT_EQ(ram32(var::page_picks), 0x07000011u) << "entry (2 - 1) * 5 + 3 - 1 = 7";
    EXPECT_EQ(ram32(0x208244), 0x07000022u);
}

TEST_F(CentredLayers, PageEntryByStageAreaAndR9) {
    const struct {
        uint8_t stage, area;
        uint32_t r9, entry;
    } cases[] = {
        {2, 3, 1, 7},      {1, 1, 1, 0},          {3, 5, 2, 13},
        {4, 2, 0x102, 15}, {1, 1, 2, 0xFFFFFFFF},  // d = 255 is a signed byte: the entry below the table
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.stage) << "-" << int(c.area) << " R9 " << c.r9);
        SetUp();
        where(c.stage, c.area);
        cpu.reg[9] = c.r9;
        ASSERT_TRUE(run(sub_0887E6));
        EXPECT_EQ(ram32(var::page_picks), 0x01000000u * c.entry + 0x11);
        EXPECT_EQ(ram32(0x208244), 0x01000000u * c.entry + 0x22);
        TearDown();
    }
}

TEST_F(CentredLayers, LeavingUncentresAndRestoresTheLayers) {
    const uint16_t scrolls[] = {671, 5, 160, 623};
    for (uint32_t i = 0; i < 4; ++i) orb_write16(var::scroll_words + 4 * i, scrolls[i]);
    for (uint32_t i = 0; i < 4; ++i) orb_write16(var::layer_centres + 2 * i, 160);
    orb_write16(kShadow, 0xF2A5);
    orb_write16(var::nbg0_zoom, 0x100);
    orb_write16(var::nbg1_zoom, 0x100);
    orb_write32(var::game_flags, 1u << 11 | 1u << 8);
    orb_write32(var::system_flags, 1u << 11 | 1u << 3);
    ASSERT_TRUE(run(sub_08865E));
    EXPECT_EQ(words(var::scroll_words, 4, 4), (std::vector<uint16_t>{511, 405, 0, 511}));
    EXPECT_EQ(words(var::nbg0_zoom, 2, 4), (std::vector<uint16_t>{0x200, 0x200}));
    EXPECT_EQ(words(var::layer_centres, 4), (std::vector<uint16_t>{0, 0, 0, 0}));
    EXPECT_EQ(ram16(kShadow), 0xC2A5);
    EXPECT_EQ(ram32(var::game_flags), 1u << 8);
    EXPECT_EQ(ram32(var::system_flags), 1u << 3 | 1u << 2);
}

TEST_F(CentredLayers, ZoomBackWithoutUncentring) {
    orb_write16(var::nbg0_scroll_x, 671);
    orb_write16(var::layer_centres, 160);
    orb_write16(var::nbg0_zoom, 0x100);
    orb_write16(var::nbg1_zoom, 0x100);
    orb_write32(var::game_flags, 1u << 11);
    ASSERT_TRUE(run(sub_08878F));
    EXPECT_EQ(ram16(var::nbg0_scroll_x), 671);
    EXPECT_EQ(ram16(var::layer_centres), 0);
    EXPECT_EQ(words(var::nbg0_zoom, 2, 4), (std::vector<uint16_t>{0x200, 0x200}));
    EXPECT_EQ(ram32(var::game_flags), 0u);
    EXPECT_EQ(ram32(var::system_flags), 1u << 2);
}

TEST_F(CentredLayers, ZoomingOutQueuesItsSoundAndCentresWithTwoAreasBack) {
    cameras(0, 0, 0, 0);
    where(3, 4);
    ASSERT_TRUE(run(sub_088626));
    EXPECT_EQ(words(var::nbg0_zoom, 2, 4), (std::vector<uint16_t>{0x100, 0x100}));
    EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::write), 1);
    EXPECT_EQ(ram8(var::sound_ring_a + sound_ring::slots), 0x9E);
    EXPECT_EQ(r(9), 2u);
    EXPECT_EQ(ram32(var::page_picks), 0x01000000u * 12 + 0x11) << "entry (3 - 1) * 5 + 4 - 2";
    EXPECT_EQ(words(var::scroll_words, 4, 4), (std::vector<uint16_t>{160, 112, 160, 112}));
    EXPECT_EQ(ram32(var::game_flags), 1u << 11);
}

TEST_F(CentredLayers, CameraShiftOnlyAtStage4Area3) {
    const struct {
        uint8_t stage, area;
        uint16_t after;
    } cases[] = {{4, 3, 0xFD00}, {4, 2, 0x0100}, {3, 3, 0x0100}, {0, 0, 0x0100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.stage) << "-" << int(c.area));
        SetUp();
        where(c.stage, c.area);
        cameras(0x0100, 0x0100, 0x0100, 0x0100);
        ASSERT_TRUE(run(sub_0887CF));
        EXPECT_EQ(words(kCameras + 4, 2), (std::vector<uint16_t>{c.after, 0x0100}));
        EXPECT_EQ(ram16(kCameras + 64 + 4), 0x0100);
        TearDown();
    }
}

}  // namespace
