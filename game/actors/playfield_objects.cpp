// Objects tied to the playfield layer rather than the world: the zoomed
// placement that keeps an object in step with the playfield while an area
// change zooms it about the screen centre, the camera indicator fixed on the
// screen with its sound object, the stage-event object that raises a
// background layer, pins its camera to the playfield's and wipes it away, and
// the decorations that cross from that layer into the playfield or zoom with
// it.
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint16_t kCentreX = 160;
constexpr uint16_t kCentreY = 112;

// Indicator.
constexpr uint32_t kIndicatorStates = 0x079931;  // branch table, 3 bytes a state
constexpr uint16_t kIndicatorX = 272;
constexpr uint16_t kIndicatorY = 56;
constexpr uint16_t kTopKey = 351;
constexpr uint32_t kSoundStates = 0x0799CF;
constexpr uint8_t kIconSound = 0xAC;

// Stage events.
constexpr uint32_t kEventStates = 0x0810D5;  // branch table, 3 bytes a state
constexpr uint16_t kLayerFrom = 1024;
constexpr uint16_t kWipeFrom = 2688;
constexpr uint16_t kLayerOffsetX = 384;
constexpr uint16_t kLayerOffsetY = 768;
constexpr uint16_t kWipeOffsetY = 576;
constexpr uint16_t kWipeStart = static_cast<uint16_t>(-192);
constexpr uint16_t kWipeCount = 96;
constexpr uint16_t kWipeDone = 223;
constexpr unsigned kWipeBit = 14;  // of the video shadow's layer word
constexpr uint32_t kLayerWord = var::video_shadow + 2;

// Decorations.
constexpr uint32_t kAreaDecorationStates = 0x0812D4;
constexpr uint32_t kLayerDecorationStates = 0x081329;

// The states of the indicator's sound object, the places of its branch
// table's entries; the other objects' are in game/engine/states.h.
namespace sound_state {
constexpr uint8_t setup = 0, waiting = 1;
}  // namespace sound_state

uint8_t controller_state() { return orb_read8(orb_read32(var::area_controller) + object_record::state); }
uint32_t camera() { return orb_read32(var::camera_pointer); }

void set_system_flag(unsigned bit) {
    orb_write32(var::system_flags, orb_read32(var::system_flags) | 1u << bit);
}

// (offset × zoom + round) >> shift, signed 32-bit.
uint32_t scaled(uint32_t offset, uint32_t zoom, uint32_t round, int shift) {
    const uint32_t product = add<uint32_t>(mul<uint32_t>(offset, zoom), round);
    return sha<uint32_t>(product, static_cast<uint32_t>(-shift));
}

void place_layer_camera(uint16_t x, uint16_t y) {
    orb_write16(var::layer_camera + camera_record::x, x);
    orb_write16(var::layer_camera + camera_record::y, y);
}

}  // namespace

// ---- zoomed placement ----

// Start of a zoom: the object's screen position as offsets from the screen
// centre (160, 112). In: R20 = the object.
void sub_0797C0() {
    ROUTINE_ENTRY(0x0797C0);
    const uint32_t object = cpu.reg[20];
    orb_write16(object + passer_by::zoom_dx,
                sub<uint16_t>(orb_read16(object + object_record::screen_x), kCentreX));
    orb_write16(object + passer_by::zoom_dy,
                sub<uint16_t>(orb_read16(object + object_record::screen_y), kCentreY));
    ret();
}

// Zoomed display, ending the object's frame: its screen position from the
// offsets and the playfield zoom, the first copied sprite part's drawn height
// and width scaled from its source size (bits 10-15 kept), then listed by
// its height without the world placement. In: R20 = the object.
void sub_0797DB() {
    ROUTINE_ENTRY(0x0797DB);
    if (!call(sub_079828, 0x0797E0, 0x0797DB)) return;
    const uint32_t object = cpu.reg[20];
    const uint32_t zoom = load_zx16(var::nbg0_zoom);
    cpu.reg[0] = scaled(load_zx8(object + passer_by::part_source_height), zoom, 256, 9);
    insert_bits(object + passer_by::part_height, 0, 10, cpu.reg[0]);
    cpu.reg[0] = scaled(load_zx8(object + passer_by::part_source_width), zoom, 64, 7);
    insert_bits(object + passer_by::part_width, 0, 10, cpu.reg[0]);
    sub_062094();
}

// Screen position from the offsets about the screen centre at the playfield
// zoom (0x200 = full size). In: R20 = the object.
void sub_079828() {
    ROUTINE_ENTRY(0x079828);
    const uint32_t object = cpu.reg[20];
    const uint32_t zoom = load_zx16(var::nbg0_zoom);
    cpu.reg[0] = scaled(load_sx16(object + passer_by::zoom_dx), zoom, 256, 9);
    orb_write16(object + object_record::screen_x, add<uint16_t>(cpu.reg[0], kCentreX));
    cpu.reg[0] = scaled(load_sx16(object + passer_by::zoom_dy), zoom, 256, 9);
    orb_write16(object + object_record::screen_y, add<uint16_t>(cpu.reg[0], kCentreY));
    ret();
}

// ---- camera indicator ----

// The camera indicator at screen (272, 56), on top of everything: the icon
// the camera script holds (ROM 0x079ED4), blinking 16 frames on and 16 off;
// hidden while the icon is 0, and when one comes back a sound object plays
// 0xAC twice. Nothing at all during an area change. Branch-table states 0 to
// 3. In: R20 = the indicator.
void sub_079924() {
    ROUTINE_ENTRY(0x079924);
    const uint32_t object = cpu.reg[20];
    if (test_bit(var::game_flags, game_flag::area_change)) {
        ret();
        return;
    }
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == indicator_state::shown) goto L_079952;
        if (state == indicator_state::hidden) goto L_07998E;
        if (state == indicator_state::no_icon) goto L_0799A2;
        if (state != indicator_state::setup) v60_unknown_jump(kIndicatorStates + 3u * state, 0x07992E);
    }
    orb_write8(object + object_record::state, indicator_state::shown);
    orb_write8(object + object_record::anim_mode, anim_mode::pointer);
    orb_write16(object + object_record::screen_x, kIndicatorX);
    orb_write16(object + object_record::screen_y, kIndicatorY);

L_079952:  // state 1: shown
    {
        const uint8_t count =
            logic<uint8_t>(inc<uint8_t>(orb_read8(object + object_record::enemy_timer)) & 0xF);
        orb_write8(object + object_record::enemy_timer, count);
        if (eq()) orb_write8(object + object_record::state, indicator_state::hidden);
    }
    cpu.reg[0] = load_zx8(rom::hold_icons + orb_read8(var::camera_script_hold));
    test<uint8_t>(cpu.reg[0]);
    if (eq()) {
        orb_write8(object + object_record::state, indicator_state::no_icon);
        ret();
        return;
    }
    cpu.reg[19] = orb_read32(rom::icon_scripts + 4u * cpu.reg[0]);
    if (!call(sub_061F06, 0x079983, 0x07997E)) return;
    cpu.reg[0] = kTopKey;
    sub_0620DC();
    return;

L_07998E:  // state 2: hidden
    {
        const uint8_t count =
            logic<uint8_t>(inc<uint8_t>(orb_read8(object + object_record::enemy_timer)) & 0xF);
        orb_write8(object + object_record::enemy_timer, count);
        if (eq()) orb_write8(object + object_record::state, indicator_state::shown);
    }
    ret();
    return;

L_0799A2:  // state 3: no icon
    test<uint8_t>(orb_read8(rom::hold_icons + orb_read8(var::camera_script_hold)));
    if (eq()) {
        ret();
        return;
    }
    orb_write8(object + object_record::state, indicator_state::shown);
    orb_write8(object + object_record::enemy_timer, 0);
    // Only with a free 64-byte object: on an empty pool the icon comes back
    // without its sound rather than writing through a stale R21.
    if (!call(sub_088C77, 0x0799B8, 0x0799B3)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x0799BF, 0x0799BA)) return;
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_0799C8 /* indicator sound */);
    ret();
}

// The indicator's sound object (64 bytes): 0xAC now and again 31 frames
// later, when it gives itself back to its pool. In: R20 = the sound object.
void sub_0799C8() {
    ROUTINE_ENTRY(0x0799C8);
    const uint32_t object = cpu.reg[20];
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == sound_state::waiting) goto L_0799E6;
        if (state != sound_state::setup) v60_unknown_jump(kSoundStates + 3u * state, 0x0799CC);
    }
    orb_write8(object + object_record::state, sound_state::waiting);
    orb_write16(object + object_record::enemy_timer, 0);
    cpu.reg[0] = kIconSound;
    if (!call(sub_088F98, 0x0799E6, 0x0799E1)) return;

L_0799E6:  // state 1
    {
        const uint8_t count =
            logic<uint8_t>(inc<uint8_t>(orb_read8(object + object_record::enemy_timer)) & 0x1F);
        orb_write8(object + object_record::enemy_timer, count);
        if (ne()) {
            ret();
            return;
        }
    }
    cpu.reg[0] = kIconSound;
    if (!call(sub_088F98, 0x079A00, 0x0799FB)) return;
    if (!call(sub_088CD3, 0x079A05, 0x079A00)) return;
    actors::push_free_64(cpu.reg[20]);
    ret();
}

// ---- stage events ----

// The stage-event object, called by the area's camera controller once a
// frame (not on the ring). From the controller's state 3 on: at camera X 1024
// the background layer NBG3 is raised to priority 8 and its camera follows
// the playfield's at (-384, +768); at 2688 it falls away behind a wipe of 96
// steps and is switched back. At the controller's state 7 or more it gives
// itself back to the 128-byte pool. Branch-table states 0 to 5.
// In: R20 = the stage-event object.
void sub_0810CE() {
    ROUTINE_ENTRY(0x0810CE);
    const uint32_t object = cpu.reg[20];
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == event_state::wait_camera) goto L_081112;
        if (state == event_state::follow) goto L_08113E;
        if (state == event_state::wipe) goto L_0811BD;
        if (state == event_state::switched_back) goto L_081250;
        if (state == event_state::done) goto L_081292;
        if (state != event_state::setup) v60_unknown_jump(kEventStates + 3u * state, 0x0810D2);
    }
    cmp<uint8_t>(controller_state(), camera_state::layered);
    if (ne()) {
        ret();
        return;
    }
    orb_write8(object + object_record::state, event_state::wait_camera);

L_081112:  // state 1: waiting for the layer's camera position
    cmp<uint16_t>(orb_read16(camera() + camera_record::x), kLayerFrom);
    if (less()) {
        ret();
        return;
    }
    {
        const uint32_t word = var::mixer_shadow + mixer_reg::nbg3_priority;
        orb_write16(word, logic<uint16_t>((orb_read16(word) & 0xFFF0u) | 8));
    }
    set_system_flag(system_flag::mixer_upload);

L_08113E:  // state 2: the layer follows the playfield
    cmp<uint16_t>(orb_read16(camera() + camera_record::x), kWipeFrom);
    if (less()) {
        place_layer_camera(sub<uint16_t>(orb_read16(camera() + camera_record::x), kLayerOffsetX),
                           add<uint16_t>(orb_read16(camera() + camera_record::y), kLayerOffsetY));
        ret();
        return;
    }
    orb_write8(object + object_record::state, inc<uint8_t>(orb_read8(object + object_record::state)));
    orb_write16(object + stage_event::wipe_speed, kWipeStart);
    set_bit(kLayerWord, kWipeBit);
    orb_write16(var::video_shadow + video_reg::wipe_position, 0);
    orb_write16(var::video_shadow + video_reg::wipe_extent, kWipeCount);
    set_system_flag(system_flag::video_upload_all);

L_0811BD:  // state 3: the wipe
    cmp<uint16_t>(orb_read16(var::video_shadow + video_reg::wipe_position), kWipeCount);
    if (greater_equal()) {
        place_layer_camera(0, 0);
        orb_write8(object + object_record::state, event_state::switched_back);
        ret();
        return;
    }
    test<uint16_t>(orb_read16(object + stage_event::wipe_speed));
    if (positive()) {
        const uint32_t position = var::video_shadow + video_reg::wipe_position;
        orb_write16(position, inc<uint16_t>(orb_read16(position)));
    }
    {
        const uint16_t speed = add<uint16_t>(orb_read16(object + stage_event::wipe_speed), 4);
        orb_write16(object + stage_event::wipe_speed, speed);
        const uint16_t y = add<uint16_t>(orb_read16(camera() + camera_record::y), kWipeOffsetY);
        place_layer_camera(sub<uint16_t>(orb_read16(camera() + camera_record::x), kLayerOffsetX),
                           sub<uint16_t>(y, speed));
    }
    set_system_flag(system_flag::video_upload_all);
    ret();
    return;

L_081250:  // state 4: the layer switched back
    orb_write8(object + object_record::state, event_state::done);
    clear_bit(kLayerWord, kWipeBit);
    orb_write16(var::video_shadow + video_reg::wipe_position, 0);
    orb_write16(var::video_shadow + video_reg::wipe_extent, kWipeDone);
    set_system_flag(system_flag::video_upload_all);

L_081292:  // state 5: done
    cmp<uint8_t>(controller_state(), camera_state::wait_change);
    if (carry()) {
        ret();
        return;
    }
    sub_088D0C();
}

// ---- decorations ----

// Area-change decoration entry, record 0x081556: installs the routine and
// runs it. In: R20 = the decoration.
void sub_0812B2() {
    ROUTINE_ENTRY(0x0812B2);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0812CD /* area decoration */);
    cpu.reg[10] = rom::area_decoration_a;
    sub_0812CD();
}

// Area-change decoration entry, record 0x081560.
void sub_0812C1() {
    ROUTINE_ENTRY(0x0812C1);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_0812CD /* area decoration */);
    cpu.reg[10] = rom::area_decoration_b;
    sub_0812CD();
}

// Area-change decoration: set up from its record in the first frame (not
// drawn), then animated in the playfield until an area change starts; then
// shown zoomed, 128 below the ground, until the change ends, when it goes.
// Branch-table states 0 to 2. In: R20 = the decoration, R10 = its record
// (first frame only).
void sub_0812CD() {
    ROUTINE_ENTRY(0x0812CD);
    const uint32_t object = cpu.reg[20];
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == decoration_state::in_playfield) goto L_0812E5;
        if (state == decoration_state::zoomed) goto L_0812F9;
        if (state != decoration_state::setup) v60_unknown_jump(kAreaDecorationStates + 3u * state, 0x0812D1);
    }
    sub_081448();
    return;

L_0812E5:  // state 1: in the playfield
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        if (!call(sub_061FB6, 0x0812EA, 0x0812E5)) return;
        if (!call(sub_062044, 0x0812EF, 0x0812EA)) return;
        sub_0620CD();
        return;
    }
    orb_write8(object + object_record::state, decoration_state::zoomed);
    orb_write16(object + object_record::height, static_cast<uint16_t>(-128));
    if (!call(sub_0797C0, 0x0812F6, 0x0812F1)) return;

L_0812F9:  // state 2: zoomed
    if (test_bit(var::game_flags, game_flag::area_change)) {
        sub_0797DB();
        return;
    }
    if (!call(sub_088CD3, 0x081303, 0x0812FE)) return;
    sub_088D0C();
}

// Layer decoration entry, record 0x08156A.
void sub_081308() {
    ROUTINE_ENTRY(0x081308);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_081322 /* layer decoration */);
    cpu.reg[10] = rom::layer_decoration_a;
    sub_081322();
}

// Layer decoration entry, record 0x081574.
void sub_081316() {
    ROUTINE_ENTRY(0x081316);
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_081322 /* layer decoration */);
    cpu.reg[10] = rom::layer_decoration_b;
    sub_081322();
}

// Layer decoration: drawn in the background layer's frame until it reaches
// screen X 160; there it waits, animated, for the camera controller's state
// 3, then crosses into the playfield's frame (+384, -1024, 256 lower) and
// goes once the camera reaches X 2688. Branch-table states 0 to 3.
// In: R20 = the decoration, R10 = its record (first frame only).
void sub_081322() {
    ROUTINE_ENTRY(0x081322);
    const uint32_t object = cpu.reg[20];
    {
        const uint8_t state = orb_read8(object + object_record::state);
        if (state == layer_decoration_state::in_layer) goto L_081350;
        if (state == layer_decoration_state::wait_controller) goto L_08136C;
        if (state == layer_decoration_state::in_playfield) goto L_0813C4;
        if (state != layer_decoration_state::setup)
            v60_unknown_jump(kLayerDecorationStates + 3u * state, 0x081326);
    }
    if (!call(sub_081448, 0x081341, 0x08133C)) return;
    if (!call(sub_06203D, 0x081346, 0x081341)) return;
    sub_0620CD();
    return;

L_081350:  // state 1: moving in the layer
    cmp<uint16_t>(orb_read16(object + object_record::screen_x), kCentreX);
    if (less()) {
        if (!call(sub_06203D, 0x08135F, 0x08135A)) return;
        sub_0620CD();
        return;
    }
    orb_write8(object + object_record::state, layer_decoration_state::wait_controller);

L_08136C:  // state 2: waiting for the controller
    cmp<uint8_t>(controller_state(), camera_state::layered);
    if (carry()) {
        if (!call(sub_061FB6, 0x08137E, 0x081379)) return;
        if (!call(sub_06203D, 0x081383, 0x08137E)) return;
        sub_0620CD();
        return;
    }
    orb_write8(object + object_record::state, layer_decoration_state::in_playfield);
    orb_write16(object + object_record::world_x,
                add<uint16_t>(orb_read16(object + object_record::world_x), kLayerOffsetX));
    orb_write16(object + object_record::world_y,
                sub<uint16_t>(orb_read16(object + object_record::world_y), 1024));
    orb_write16(object + object_record::height,
                sub<uint16_t>(orb_read16(object + object_record::height), 256));

L_0813C4:  // state 3: in the playfield
    cmp<uint16_t>(orb_read16(camera() + camera_record::x), kWipeFrom);
    if (greater_equal()) {
        if (!call(sub_088CD3, 0x0813D6, 0x0813D1)) return;
        sub_088D0C();
        return;
    }
    if (!call(sub_062044, 0x0813E0, 0x0813DB)) return;
    sub_0620CD();
}

// Decoration set-up: the next state, animation mode 1, the record's place
// (kept at +72 from its X word on) and animation. In: R20 = the decoration,
// R10 = its decoration_record.
void sub_081448() {
    ROUTINE_ENTRY(0x081448);
    const uint32_t object = cpu.reg[20], record = cpu.reg[10];
    orb_write8(object + object_record::state, inc<uint8_t>(orb_read8(object + object_record::state)));
    orb_write8(object + object_record::anim_mode, anim_mode::copy);
    orb_write32(object + passer_by::zoom_dx, record + decoration_record::world_x);
    orb_write16(object + object_record::world_x, orb_read16(record + decoration_record::world_x));
    orb_write16(object + object_record::world_y, orb_read16(record + decoration_record::world_y));
    orb_write16(object + object_record::height, orb_read16(record + decoration_record::height));
    cpu.reg[19] = orb_read32(record + decoration_record::animation);
    sub_061F06();
}
