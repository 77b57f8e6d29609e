#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/actors/tables.h"
#include "game/engine/states.h"
#include "tests/game/dressing_fixture.h"

namespace {

// ---- zoomed placement ----

class ZoomedPlacement : public DressingTest {
protected:
    uint32_t object_at(int16_t x, int16_t y) {
        const uint32_t o = actor(1);
        orb_write16(o + object_record::screen_x, static_cast<uint16_t>(x));
        orb_write16(o + object_record::screen_y, static_cast<uint16_t>(y));
        cpu.reg[20] = o;
        EXPECT_TRUE(run(sub_0797C0));
        return o;
    }
};

TEST_F(ZoomedPlacement, OffsetsFromTheScreenCentre) {
    const uint32_t o = object_at(200, 50);
    EXPECT_EQ(s16(o + passer_by::zoom_dx), 40);
    EXPECT_EQ(s16(o + passer_by::zoom_dy), -62);
}

TEST_F(ZoomedPlacement, FullSizeGivesTheStartPositionAndHalfSizeTheDoubledOne) {
    const struct { int16_t x, y; } points[] = {{200, 50}, {120, 50}, {-63, 223}, {383, -20}, {160, 112}};
    for (const auto& p : points) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        const uint32_t o = object_at(p.x, p.y);
        orb_write16(o + object_record::screen_x, 0);
        orb_write16(o + object_record::screen_y, 0);
        orb_write16(var::nbg0_zoom, 0x200);
        ASSERT_TRUE(run(sub_079828));
        EXPECT_EQ(s16(o + object_record::screen_x), p.x);
        EXPECT_EQ(s16(o + object_record::screen_y), p.y);
        for (uint32_t f : {passer_by::zoom_dx, passer_by::zoom_dy})
            orb_write16(o + f, static_cast<uint16_t>(2 * s16(o + f)));
        orb_write16(var::nbg0_zoom, 0x100);
        ASSERT_TRUE(run(sub_079828));
        EXPECT_EQ(s16(o + object_record::screen_x), p.x);
        EXPECT_EQ(s16(o + object_record::screen_y), p.y);
    }
}

TEST_F(ZoomedPlacement, ScalesTheFirstPartAndListsByHeight) {
    const struct {
        uint16_t zoom;
        uint8_t width, height;
        uint16_t drawn_height, drawn_width;  // low 10 bits
    } cases[] = {
        {0x200, 32, 48, 48, 128},  // full size: height as is, width x 4
        {0x100, 32, 48, 24, 64},
        {0x180, 33, 47, 35, 99},               // (47 x 384 + 256) >> 9 = 35, (33 x 384 + 64) >> 7 = 99
        {0x3FF, 255, 255, 510, 2038 & 0x3FF},  // wider than 10 bits: cut
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.zoom);
        const uint32_t o = object_at(100, 100);
        orb_write16(o + object_record::height, 40);
        orb_write8(o + passer_by::part_source_width, k.width);
        orb_write8(o + passer_by::part_source_height, k.height);
        orb_write16(o + passer_by::part_height, 0xFC00 | 0x3FF);
        orb_write16(o + passer_by::part_width, 0xA800 | 0x155);
        orb_write16(var::nbg0_zoom, k.zoom);
        for (uint32_t a = var::display_buckets; a < var::display_buckets + 1024; a += 2) orb_write16(a, 0);
        cpu.reg[20] = o;
        ASSERT_TRUE(run(sub_0797DB));
        EXPECT_EQ(ram16(o + passer_by::part_height), 0xFC00 | k.drawn_height);
        EXPECT_EQ(ram16(o + passer_by::part_width), 0xA800 | k.drawn_width);
        EXPECT_EQ(bucket(40), static_cast<uint16_t>(o));
    }
}

// ---- camera indicator ----

class CameraIndicator : public DressingTest {
protected:
    void SetUp() override {
        DressingTest::SetUp();
        plant8(rom::hold_icons + 0, 0);  // no icon
        plant8(rom::hold_icons + 1, 2);
        plant32(rom::icon_scripts + 8, 0x0A0000);
        plant_script(0x0A0000, 1, true);
        orb_write8(var::camera_script_hold, 1);
        indicator_ = spawn(entry::sub_079924 /* indicator */, sub_088C67);
    }
    // Frames shown (#) and hidden (.) over n passes.
    std::string blink(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            pass();
            s += bucket(351) == static_cast<uint16_t>(indicator_) ? '#' : '.';
        }
        return s;
    }
    uint32_t indicator_ = 0;
};

TEST_F(CameraIndicator, BlinksSixteenOnSixteenOffAtItsPlace) {
    EXPECT_EQ(blink(64),
              std::string(16, '#') + std::string(16, '.') + std::string(16, '#') + std::string(16, '.'));
    EXPECT_EQ(s16(indicator_ + object_record::screen_x), 272);
    EXPECT_EQ(s16(indicator_ + object_record::screen_y), 56);
    EXPECT_EQ(ram8(indicator_ + object_record::anim_mode), anim_mode::pointer);
}

TEST_F(CameraIndicator, NothingDuringAnAreaChange) {
    set_game_flag(game_flag::area_change, true);
    EXPECT_EQ(blink(3), "...");
    EXPECT_EQ(ram8(indicator_ + object_record::state), indicator_state::setup);
}

TEST_F(CameraIndicator, HiddenWithoutAnIconAndSoundedTwiceWhenItReturns) {
    blink(3);
    orb_write8(var::camera_script_hold, 0);
    EXPECT_EQ(blink(5), ".....");
    EXPECT_EQ(ram8(indicator_ + object_record::state), indicator_state::no_icon);
    const uint16_t free = free_64();
    orb_write8(var::camera_script_hold, 1);
    pass();  // the icon is back: state 1, the sound object made and run
    EXPECT_EQ(ram8(indicator_ + object_record::state), indicator_state::shown);
    EXPECT_EQ(free_64(), free - 1);
    EXPECT_EQ(sounds(var::sound_ring_a), std::vector<uint8_t>{0xAC});
    std::vector<int> sounded;
    for (int frame = 1; frame <= 40; ++frame) {
        const auto before = sounds(var::sound_ring_a).size();
        pass();
        if (sounds(var::sound_ring_a).size() > before) sounded.push_back(frame);
    }
    EXPECT_EQ(sounded, std::vector<int>{31});
    EXPECT_EQ(sounds(var::sound_ring_a), (std::vector<uint8_t>{0xAC, 0xAC}));
    EXPECT_EQ(free_64(), free);
    EXPECT_EQ(ring().size(), 1u);
    EXPECT_EQ(blink(16).substr(0, 1), "#");
}

// With no 64-byte object free the icon comes back without its sound and no
// other object is written.
TEST_F(CameraIndicator, AnEmptyPoolGivesNoSoundObject) {
    blink(3);
    orb_write8(var::camera_script_hold, 0);
    pass();
    while (free_64() != 0) ASSERT_TRUE(run(sub_088C77));
    std::vector<uint8_t> before;
    for (uint32_t a = var::object_area; a < var::objects_64 + 200 * 64; ++a) before.push_back(ram8(a));
    orb_write8(var::camera_script_hold, 1);
    cpu.reg[21] = var::objects_64;  // a stale object in R21
    pass();
    EXPECT_EQ(ram8(indicator_ + object_record::state), indicator_state::shown);
    EXPECT_EQ(ram8(indicator_ + object_record::enemy_timer), 0);
    for (uint32_t a = var::object_area; a < var::objects_64 + 200 * 64; ++a) {
        if (a >= indicator_ && a < indicator_ + 128) continue;
        ASSERT_EQ(ram8(a), before[a - var::object_area]) << std::hex << a;
    }
    EXPECT_TRUE(sounds(var::sound_ring_a).empty());
}

TEST_F(CameraIndicator, StatesOutsideTheTableEndTheRun) {
    orb_write8(indicator_ + object_record::state, 4);
    EXPECT_EXIT(pass(), ::testing::ExitedWithCode(3), "Jump from 07992E to 07993D has no translated target");
}

// ---- stage events ----

class StageEvents : public DressingTest {
protected:
    void SetUp() override {
        DressingTest::SetUp();
        controller_ = actor(1, sub_088C77);
        orb_write32(var::area_controller, controller_);
        ASSERT_TRUE(run(sub_088C67));
        event_ = r(21);
        orb_write16(var::mixer_shadow + mixer_reg::nbg3_priority, 0x1235);
        zero(var::layer_camera, 64);  // the layer's camera at the origin until an event moves it
    }
    void controller_state(uint8_t s) { orb_write8(controller_ + object_record::state, s); }
    void camera_at(int16_t x, int16_t y) {
        orb_write16(var::playfield_camera + camera_record::x, static_cast<uint16_t>(x));
        orb_write16(var::playfield_camera + camera_record::y, static_cast<uint16_t>(y));
    }
    // The controller's call of one frame.
    void frame() {
        cpu.reg[20] = event_;
        ASSERT_TRUE(run(sub_0810CE));
    }
    uint8_t state() const { return ram8(event_ + object_record::state); }
    static int16_t layer_x() { return s16(var::layer_camera + camera_record::x); }
    static int16_t layer_y() { return s16(var::layer_camera + camera_record::y); }
    static uint16_t wipe_position() { return ram16(var::video_shadow + video_reg::wipe_position); }
    static uint16_t wipe_extent() { return ram16(var::video_shadow + video_reg::wipe_extent); }
    static bool system_flag_set(unsigned bit) { return ram32(var::system_flags) >> bit & 1; }
    static void clear_system_flags() { orb_write32(var::system_flags, 0); }

    uint32_t controller_ = 0, event_ = 0;
};

TEST_F(StageEvents, WaitsForTheControllersState3) {
    camera_at(2000, 100);
    for (uint8_t s :
         {camera_state::setup, camera_state::leave_start, camera_state::layers_in, camera_state::last_gate}) {
        controller_state(s);
        frame();
        EXPECT_EQ(state(), event_state::setup);
    }
    EXPECT_EQ(ram16(var::mixer_shadow + mixer_reg::nbg3_priority), 0x1235);
    controller_state(camera_state::layered);
    frame();
    EXPECT_EQ(state(), event_state::wait_camera);
    EXPECT_EQ(ram16(var::mixer_shadow + mixer_reg::nbg3_priority), 0x1238);
}

TEST_F(StageEvents, RaisesTheLayerAndPinsItsCameraEveryFrame) {
    controller_state(camera_state::layered);
    camera_at(1023, 100);
    frame();
    EXPECT_EQ(state(), event_state::wait_camera);
    EXPECT_FALSE(system_flag_set(system_flag::mixer_upload));
    EXPECT_EQ(layer_x(), 0);
    for (int16_t x : {1024, 1500, 2687}) {
        SCOPED_TRACE(x);
        clear_system_flags();
        orb_write16(var::mixer_shadow + mixer_reg::nbg3_priority, 0x7773);
        camera_at(x, 200);
        frame();
        EXPECT_EQ(state(), event_state::wait_camera);
        EXPECT_EQ(ram16(var::mixer_shadow + mixer_reg::nbg3_priority), 0x7778);
        EXPECT_TRUE(system_flag_set(system_flag::mixer_upload));
        EXPECT_EQ(layer_x(), x - 384);
        EXPECT_EQ(layer_y(), 200 + 768);
    }
}

TEST_F(StageEvents, WipesTheLayerAwayAndSwitchesItBack) {
    controller_state(camera_state::layered);
    camera_at(2688, 200);
    orb_write16(var::video_shadow + 2, 0x0011);
    frame();  // state 1 runs the transition: to 2
    EXPECT_EQ(state(), event_state::follow);
    EXPECT_EQ(ram16(var::video_shadow + 2), 0x4011);
    EXPECT_EQ(wipe_extent(), 96);
    EXPECT_EQ(s16(event_ + stage_event::wipe_speed), -188);
    orb_write16(var::video_shadow + video_reg::wipe_position, 5);
    frame();  // and once more: to 3, the wipe started again
    EXPECT_EQ(state(), event_state::wipe);
    EXPECT_EQ(wipe_position(), 0);
    EXPECT_EQ(s16(event_ + stage_event::wipe_speed), -188);
    EXPECT_EQ(layer_x(), 2688 - 384);
    EXPECT_EQ(layer_y(), 200 + 576 + 188);
    int falling = 0;
    while (s16(event_ + stage_event::wipe_speed) < 0) {
        frame();
        ++falling;
    }
    EXPECT_EQ(falling, 47);  // 48 frames with the second transition
    EXPECT_EQ(wipe_position(), 0);
    int counting = 0;
    while (state() == event_state::wipe) {
        clear_system_flags();
        frame();
        if (state() == event_state::wipe) {
            ++counting;
            EXPECT_TRUE(system_flag_set(system_flag::video_upload_all));
        }
    }
    EXPECT_EQ(counting, 96);
    EXPECT_EQ(state(), event_state::switched_back);
    EXPECT_EQ(layer_x(), 0);
    EXPECT_EQ(layer_y(), 0);
    clear_system_flags();
    frame();
    EXPECT_EQ(state(), event_state::done);
    EXPECT_EQ(wipe_position(), 0);
    EXPECT_EQ(wipe_extent(), 223);
    EXPECT_EQ(ram16(var::video_shadow + 2), 0x0011);
    EXPECT_TRUE(system_flag_set(system_flag::video_upload_all));
}

TEST_F(StageEvents, State5GivesTheObjectBackFromControllerState7) {
    orb_write8(event_ + object_record::state, event_state::done);
    const uint16_t free = free_128();
    for (uint8_t s : {camera_state::layered, camera_state::to_area_end, camera_state::ask_change}) {
        controller_state(s);
        frame();
        EXPECT_EQ(free_128(), free);
    }
    controller_state(camera_state::wait_change);
    frame();
    EXPECT_EQ(free_128(), free + 1);
    EXPECT_EQ(ram16(var::free_stack_128 + 2 * (free + 1)), static_cast<uint16_t>(event_));
}

TEST_F(StageEvents, StatesOutsideTheTableEndTheRun) {
    orb_write8(event_ + object_record::state, 6);
    EXPECT_EXIT(frame(), ::testing::ExitedWithCode(3), "Jump from 0810D2 to 0810E7 has no translated target");
}

// ---- decorations ----

class Decorations : public DressingTest {
protected:
    void SetUp() override {
        DressingTest::SetUp();
        zero(var::layer_camera, 64);  // the layer at the origin: screen X is world X / 4
        controller_ = actor(1, sub_088C77);
        orb_write32(var::area_controller, controller_);
        plant_script(0x0B0000, 4, true);
        for (uint32_t record : {rom::area_decoration_a, rom::area_decoration_b, rom::layer_decoration_a,
                                rom::layer_decoration_b}) {
            plant32(record + decoration_record::animation, 0x0B0000);
            plant16(record + decoration_record::world_x, 640);  // screen X 160 with the layer at 0
            plant16(record + decoration_record::world_y, 800);
            plant16(record + decoration_record::height, 300);
        }
    }
    uint32_t controller_ = 0;
};

TEST_F(Decorations, LayerDecorationWaitsAtTheMiddleThenCrossesIntoThePlayfield) {
    const struct {
        uint32_t entry;
        uint32_t record;
    } cases[] = {{entry::sub_081308, rom::layer_decoration_a}, {entry::sub_081316, rom::layer_decoration_b}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.entry);
        init_objects();
        fake(kIdle);
        controller_ = actor(1, sub_088C77);
        orb_write32(var::area_controller, controller_);
        orb_write16(var::playfield_camera + camera_record::x, 0);
        plant16(k.record + decoration_record::height, static_cast<uint16_t>(300 + k.entry % 7));
        const uint32_t d = spawn(k.entry, sub_088C67);
        pass();
        EXPECT_EQ(ram32(d + object_record::routine), entry::sub_081322);
        EXPECT_EQ(ram8(d + object_record::state), layer_decoration_state::in_layer);
        EXPECT_EQ(s16(d + object_record::screen_x), 160);
        EXPECT_TRUE(shown(d));
        pass();
        EXPECT_EQ(ram8(d + object_record::state), layer_decoration_state::wait_controller);
        const uint8_t index = ram8(d + object_record::frame_index);
        pass(3);
        EXPECT_EQ(ram8(d + object_record::state), layer_decoration_state::wait_controller);
        EXPECT_NE(ram8(d + object_record::frame_index), index);  // animating while it waits
        EXPECT_TRUE(shown(d));
        orb_write8(controller_ + object_record::state, camera_state::layered);
        pass();
        EXPECT_EQ(ram8(d + object_record::state), layer_decoration_state::in_playfield);
        EXPECT_EQ(s16(d + object_record::world_x), 640 + 384);
        EXPECT_EQ(s16(d + object_record::world_y), 800 - 1024);
        EXPECT_EQ(s16(d + object_record::height), 300 + static_cast<int>(k.entry % 7) - 256);
        EXPECT_EQ(s16(d + object_record::screen_x), 256);  // the playfield camera at 0
        orb_write16(var::playfield_camera + camera_record::x, 2687);
        pass();
        EXPECT_TRUE(on_ring(d));
        orb_write16(var::playfield_camera + camera_record::x, 2688);
        pass();
        EXPECT_FALSE(on_ring(d));
    }
}

TEST_F(Decorations, AreaChangeDecorationZoomsOnItsSecondFrameAndGoesAfter) {
    for (uint32_t entry : {entry::sub_0812B2, entry::sub_0812C1}) {
        SCOPED_TRACE(entry);
        init_objects();
        fake(kIdle);
        orb_write16(var::nbg0_zoom, 0x200);
        set_game_flag(game_flag::area_change, true);
        const uint32_t d = spawn(entry, sub_088C67);
        pass();
        EXPECT_EQ(ram32(d + object_record::routine), entry::sub_0812CD);
        EXPECT_EQ(ram8(d + object_record::state), decoration_state::in_playfield);
        EXPECT_EQ(s16(d + object_record::world_x), 640);
        EXPECT_FALSE(shown(d));
        pass();
        EXPECT_EQ(ram8(d + object_record::state), decoration_state::zoomed);
        EXPECT_EQ(s16(d + object_record::height), -128);
        EXPECT_EQ(bucket(-128), static_cast<uint16_t>(d));
        pass(3);
        EXPECT_EQ(bucket(-128), static_cast<uint16_t>(d));
        set_game_flag(game_flag::area_change, false);
        pass();
        EXPECT_FALSE(on_ring(d));
    }
}

TEST_F(Decorations, AreaChangeDecorationStandsInThePlayfieldUntilTheChange) {
    const uint32_t d = spawn(entry::sub_0812B2, sub_088C67);
    pass(2);
    EXPECT_EQ(ram8(d + object_record::state), decoration_state::in_playfield);
    EXPECT_EQ(s16(d + object_record::screen_x), 160);
    EXPECT_TRUE(shown(d));
    set_game_flag(game_flag::area_change, true);
    pass();
    EXPECT_EQ(s16(d + passer_by::zoom_dx), 0);
    EXPECT_EQ(bucket(-128), static_cast<uint16_t>(d));
}

}  // namespace
