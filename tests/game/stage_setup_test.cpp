#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "board/machine.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/routines.h"
#include "runtime/guest.h"
#include "tests/support/game_harness.h"

namespace {

// ROM tables.

constexpr uint32_t kDescriptor = 0x100000;
constexpr uint32_t kSourceBase = var::decomp_job + decomp_field::source_base;

class StageSetUp : public GameRoutineTest {
protected:
    void SetUp() override {
        GameRoutineTest::SetUp();
        init_objects();
        orb_write8(hw::io_direction, 0xC8);  // ports D, G and H are outputs, as at start-up
        // No game bits (not the demo) and no system bits, as start-up leaves them.
        orb_write32(var::game_flags, 0);
        orb_write32(var::system_flags, 0);
        fake(sub_0896A0 /* queue palette list */, [this] { palettes_.push_back(cpu.reg[19]); });
        fake(sub_0852B1 /* apply camera */, [this] {
            applied_.push_back({cpu.reg[15], cpu.reg[0], cpu.reg[11]});
            cpu.reg[11] += 4;
        });
    }
    static void mixer_words(uint16_t value) {
        for (uint32_t i = 0; i < 4; ++i) orb_write16(var::area_mixer_words + 2 * i, value);
    }
    struct applied {
        uint32_t camera, scroll_index, page_picks;
        bool operator==(const applied&) const = default;
    };
    std::vector<uint32_t> palettes_;
    std::vector<applied> applied_;
};

TEST_F(StageSetUp, SceneSetUpFromItsDescriptor) {
    plant32(kDescriptor, 0x123456);
    for (uint32_t i = 0; i < 4; ++i) plant8(kDescriptor + 4 + i, static_cast<uint8_t>(0x11 * (i + 1)));
    const uint8_t nibbles[4] = {0x05, 0x0A, 0x30, 0x00};
    for (uint32_t i = 0; i < 4; ++i) plant8(kDescriptor + 8 + i, nibbles[i]);
    plant16(kDescriptor + 12, 2);
    plant32(kDescriptor + 14, 0x140000);
    mixer_words(0xABCF);
    orb_write16(var::layer_control, 0xFFFF);
    orb_write8(hw::port_h, 0x80);
    for (uint32_t k = 0; k < 4; ++k) orb_write32(var::camera_records + 64 * k + 4, 0x00400040);
    cpu.reg[19] = kDescriptor;
    ASSERT_TRUE(run(sub_085046));
    EXPECT_EQ(ram32(var::decomp_job), 0x123456u);
    EXPECT_EQ(ram32(kSourceBase), rom::graphics_source);
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ram8(var::page_picks + 4 * i), 0x11 * (i + 1)) << i;
        EXPECT_EQ(ram16(var::area_mixer_words + 2 * i), 0xABC0 | nibbles[i]) << i;
        EXPECT_EQ(ram32(var::camera_records + 64 * i + 4), 0u) << i;
    }
    EXPECT_EQ(ram16(var::layer_control), 0xFBFF);
    EXPECT_EQ(ram8(hw::port_h), 0x81) << "bit 0 set, the others kept";
    EXPECT_EQ(ram32(var::system_flags), 1u << 2 | 1u << 12);
    EXPECT_EQ(palettes_, std::vector<uint32_t>{0x140000});
}

TEST_F(StageSetUp, LayerModesOfScenesAndStages) {
    const struct {
        uint8_t scene, stage;  // the index for each, or 0xFF for none
        bool layer_bit, port_bit;
    } cases[] = {{0, 0, false, false},
                 {0xFF, 4, false, false},
                 {1, 1, true, false},
                 {2, 2, false, true},
                 {3, 3, true, true}};
    orb_write8(var::stage, 1);
    plant32(rom::stage_descriptor_table + 4, kDescriptor);
    for (const auto& c : cases) {
        for (int which = 0; which < 2; ++which) {
            const uint8_t index = which ? c.stage : c.scene;
            if (index == 0xFF) continue;
            SCOPED_TRACE(testing::Message() << (which ? "stage mode " : "scene mode ") << int(index));
            orb_write16(var::layer_control, c.layer_bit ? 0x0000 : 0xFFFF);
            orb_write8(hw::port_h, c.port_bit ? 0x00 : 0xFF);
            if (which) {
                plant8(rom::stage_modes + 1, index);
                ASSERT_TRUE(run(sub_085118));
            } else {
                plant16(kDescriptor + 12, index);
                cpu.reg[19] = kDescriptor;
                ASSERT_TRUE(run(sub_085046));
            }
            EXPECT_EQ(ram16(var::layer_control), c.layer_bit ? 0x0400 : 0xFBFF);
            EXPECT_EQ(ram8(hw::port_h), c.port_bit ? 0x01 : 0xFE);
        }
    }
}

TEST_F(StageSetUp, LayerModesOutsideTheirTablesEndTheRun) {
    plant16(kDescriptor + 12, 4);
    cpu.reg[19] = kDescriptor;
    EXPECT_EXIT(run(sub_085046), ::testing::ExitedWithCode(3),
                "Jump from 085094 to 0850AA has no translated target");
    orb_write8(var::stage, 2);
    plant8(rom::stage_modes + 2, 5);
    EXPECT_EXIT(run(sub_085118), ::testing::ExitedWithCode(3),
                "Jump from 08514C to 08515E has no translated target");
}

TEST_F(StageSetUp, StageGraphicsFromTheDescriptorOrTheDemo) {
    orb_write8(var::stage, 2);
    plant32(rom::stage_descriptor_table + 8, kDescriptor);
    plant32(kDescriptor, 0x111111);
    plant32(kDescriptor + 4, 0x222222);
    plant32(rom::stage_palette_blocks + 8, 0x150000);
    plant32(rom::demo_graphics + 4, 0x100200);
    plant32(0x100200, 0x333333);
    plant32(0x100204, 0x444444);
    ASSERT_TRUE(run(sub_085118));
    EXPECT_EQ(ram32(var::stage_descriptor_pointer), kDescriptor);
    EXPECT_EQ(ram32(var::decomp_job), 0x111111u);
    EXPECT_EQ(ram32(kSourceBase), 0x222222u);
    EXPECT_TRUE(ram32(var::system_flags) & 1u << 2);
    EXPECT_EQ(palettes_, std::vector<uint32_t>{0x150000});

    orb_write32(var::game_flags, 1u << 8);
    orb_write8(var::demo_index, 1);
    ASSERT_TRUE(run(sub_085118));
    EXPECT_EQ(ram32(var::decomp_job), 0x333333u);
    EXPECT_EQ(ram32(kSourceBase), 0x444444u);
}

class AreaSetUp : public StageSetUp {
protected:
    void SetUp() override {
        StageSetUp::SetUp();
        orb_write32(var::stage_descriptor_pointer, kDescriptor);
        orb_write8(var::stage, 1);
        orb_write8(var::area, 1);
        plant8(kDescriptor + 8 + 1, 3);  // area 1's playfield is camera record 1
        const uint32_t record = kDescriptor + 16 + 36;
        plant32(record, 0x0CAFE0);
        for (uint32_t k = 0; k < 4; ++k) {
            plant32(record + 4 + 8 * k, 0x120000 + k);
            plant16(record + 8 + 8 * k, static_cast<uint16_t>(100 + k));
            plant16(record + 10 + 8 * k, static_cast<uint16_t>(200 + k));
        }
        for (uint32_t i = 0; i < 71; ++i)
            plant16(rom::video_defaults + 2 * i, static_cast<uint16_t>(0x7000 + i));
        for (uint32_t i = 0; i < 4; ++i) plant8(rom::area_mixer_nibbles + i, static_cast<uint8_t>(i + 1));
        orb_write8(var::camera_script_hold, 9);
        orb_write32(var::area_controller, 0x12345678);
    }
};

TEST_F(AreaSetUp, CamerasControllerAndMixerFromTheAreaRecord) {
    mixer_words(0xFFFF);
    ASSERT_TRUE(run(sub_0851BC));
    EXPECT_EQ(ram8(var::camera_script_hold), 0);
    for (uint32_t i = 0; i < 71; ++i) ASSERT_EQ(ram16(var::video_shadow + 2 + 2 * i), 0x7000 + i) << i;
    ASSERT_EQ(ring(), std::vector<uint32_t>{0x207FC0});
    EXPECT_EQ(ram32(0x207FC0 + object_record::routine), 0x0CAFE0u);
    EXPECT_EQ(ram8(0x207FC0 + 45), 1);
    EXPECT_EQ(ram32(var::area_controller), 0x207FC0u);
    std::vector<applied> expected;
    for (uint32_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const uint32_t camera = var::camera_records + 64 * k;
        EXPECT_EQ(ram32(camera + camera_record::map_header), 0x120000 + k);
        EXPECT_EQ(ram16(camera + camera_record::x), 100 + k);
        EXPECT_EQ(ram16(camera + camera_record::applied_x), 100 + k);
        EXPECT_EQ(ram16(camera + camera_record::y), 200 + k);
        EXPECT_EQ(ram16(camera + camera_record::applied_y), 200 + k);
        expected.push_back({camera, 0x109 + 4 * k, var::page_picks + 4 * k});
    }
    EXPECT_EQ(applied_, expected);
    EXPECT_EQ(ram32(var::camera_pointer), var::playfield_camera);
    EXPECT_EQ(ram32(var::playfield_camera_copy), var::playfield_camera);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(ram16(var::area_mixer_words + 2 * i), 0xFFF0 | (i + 1)) << i;
    EXPECT_EQ(ram32(var::system_flags), 1u << 2 | 1u << 12);
    EXPECT_TRUE(palettes_.empty());
}

TEST_F(AreaSetUp, FinalAreaTurnsItsLayerModeAndQueuesItsPalette) {
    orb_write8(var::stage, 4);
    orb_write8(var::area, 5);
    plant8(kDescriptor + 8 + 5, 4);
    orb_write16(var::layer_control, 0xFFFF);
    orb_write8(hw::port_h, 0xFF);
    plant8(rom::area_mixer_nibbles + 4 * 19, 0x0C);
    ASSERT_TRUE(run(sub_0851BC));
    EXPECT_EQ(ram16(var::layer_control), 0xFBFF);
    EXPECT_EQ(ram8(hw::port_h), 0xFE);
    EXPECT_EQ(palettes_, std::vector<uint32_t>{0x121234});
    EXPECT_EQ(ram32(var::camera_pointer), var::camera_records) << "selector 4: record 0";
    EXPECT_EQ(ram16(var::area_mixer_words) & 0xF, 0xC);
}

TEST_F(AreaSetUp, NoControllerWhenThe64BytePoolIsEmpty) {
    orb_write16(var::free_stack_64, 0);
    ASSERT_TRUE(run(sub_0851BC));
    EXPECT_EQ(ram16(var::active_count), 0);
    EXPECT_EQ(ram32(var::area_controller), 0x12345678u);
    EXPECT_EQ(applied_.size(), 4u) << "the cameras are still set up";
    EXPECT_EQ(ram32(var::camera_pointer), var::playfield_camera);
}

class ObjectListSpawn : public StageSetUp {
protected:
    // The list of stage 3, area 2: groups of 256-, 128- and 64-byte objects.
    void list(std::initializer_list<std::vector<uint32_t>> groups) {
        plant32(rom::object_list_table + 12, 0x110000);
        plant32(0x110000 + 8, 0x118000);
        uint32_t at = 0x118000;
        for (const auto& g : groups) {
            plant8(at++, static_cast<uint8_t>(g.size()));
            for (uint32_t routine : g) {
                plant32(at, routine);
                at += 4;
            }
        }
        orb_write8(var::stage, 3);
        orb_write8(var::area, 2);
    }
    static std::vector<uint32_t> routines() {
        std::vector<uint32_t> out;
        for (uint32_t o : ring()) out.push_back(ram32(o + object_record::routine));
        return out;
    }
};

TEST_F(ObjectListSpawn, OneObjectOfEachSizeOnFreshPools) {
    list({{kTestEntry[0]}, {kTestEntry[1]}, {kTestEntry[2]}});
    ASSERT_TRUE(run(sub_088BED));
    EXPECT_EQ(ring(), (std::vector<uint32_t>{0x200F00, 0x204D80, 0x207FC0}));
    EXPECT_EQ(routines(), (std::vector<uint32_t>{kTestEntry[0], kTestEntry[1], kTestEntry[2]}));
    EXPECT_EQ(ram16(var::active_head), 0x0F00);
    EXPECT_EQ(ram16(var::active_tail), 0x7FC0);
}

TEST_F(ObjectListSpawn, AnEmptyPoolSkipsTheRestOfItsGroup) {
    list({{kTestEntry[0], kTestEntry[1], kTestEntry[2]}, {kTestEntry[3], kTestEntry[4]}, {}});
    orb_write16(var::free_stack_256, 1);
    ASSERT_TRUE(run(sub_088BED));
    EXPECT_EQ(routines(), (std::vector<uint32_t>{kTestEntry[0], kTestEntry[3], kTestEntry[4]}));
    ASSERT_GE(ring().size(), 1u);
    EXPECT_EQ(ram16(var::active_tail), ring().back() & 0xFFFF);
}

}  // namespace
