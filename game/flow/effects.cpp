// Small playfield objects: two that wait for a player's body to touch them,
// then play a second animation with a sound and strike the players they
// overlap on one frame of it, and one that drifts across the playfield at a
// random speed and removes itself once it has left the screen. Each removes
// itself at once while an area change is under way.
#include "game/flow/tables.h"
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

constexpr uint8_t kTouchSound = 0xEB;

// The set-up the three share: the object is its own owner, so that no body
// entry is passed over as its owner's.
void set_up(uint32_t object, uint8_t type) {
    orb_write16(object + object_record::owner, static_cast<uint16_t>(object));
    orb_write8(object + object_record::type, type);
    orb_write16(object + object_record::flags, 1);
    orb_write16(object + object_record::height, 0);
}

// The strike's attack kind into the object, its strength into R16.
void load_strike(uint32_t object) {
    const uint16_t word = orb_read16(rom::strike_word);
    orb_write8(object + object_record::attack_kind, static_cast<uint8_t>(word >> 12));
    r(16) = word & 0xFFF;
}

// The effect objects' states, the places of their ROM tables' entries.
// The touch-triggered objects.
namespace touch_state {
constexpr uint8_t setup = 0, waiting = 1, touched = 2;
}  // namespace touch_state
// The drifting object.
namespace drift_state {
constexpr uint8_t setup = 0, coming_in = 1, crossing = 2;
}  // namespace drift_state

}  // namespace

// Touch-triggered object, type 55, tested against the players' bodies with
// their height. In: R20 = the object.
void sub_0770E0() {
    ROUTINE_ENTRY(0x0770E0);
    const uint32_t object = r(20);
    uint32_t target = 0;
    if (test_bit(var::game_flags, game_flag::area_change)) goto L_077180;
    target = orb_read32(rom::touch55_states + 4 * load_zx8(object + object_record::state));
    if (target == 0x077123) goto L_077123;
    if (target == 0x077154) goto L_077154;
    if (target != 0x077100) v60_unknown_jump(target, 0x0770F0);

    // L_077100: set-up.
    set_up(object, 55);
    orb_write8(object + object_record::state, touch_state::waiting);
    r(19) = rom::touch55_waiting_script;
    if (!call(sub_061F67, 0x07711F, 0x07711A)) return;

L_077123:  // waiting for a touch
    if (!call(sub_061FB6, 0x077128, 0x077123)) return;
    r(10) = rom::touch55_box;
    if (!call(sub_088180, 0x077134, 0x07712F)) return;
    if (clear_bit(object, object_flag::touched)) {
        r(19) = rom::touch55_triggered_script;
        if (!call(sub_061F67, 0x07713F, 0x07713A)) return;
        r(0) = kTouchSound;
        if (!call(sub_088F98, 0x077146, 0x077141)) return;
        orb_write8(object + object_record::state, touch_state::touched);
        goto L_077154;
    }
    if (!call(sub_062044, 0x077150, 0x07714B)) return;
    sub_0620CD();
    return;

L_077154:  // triggered: strikes on frame 1, removed when the animation stops
    if (!call(sub_061FB6, 0x077159, 0x077154)) return;
    if (orb_read8(object + object_record::frame_index) == 1) {
        load_strike(object);
        r(10) = rom::strike55_box;
        if (!call(sub_088185, 0x077170, 0x07716B)) return;
    }
    if (orb_read8(object + object_record::frame_duration) == 0) goto L_077180;
    if (!call(sub_062044, 0x07717B, 0x077176)) return;
    sub_0620CD();
    return;

L_077180:  // removal
    clear_bit(object, object_flag::alive);
    if (!call(sub_088CD3, 0x07718A, 0x077185)) return;
    sub_088D0C();
}

// Touch-triggered object, type 56, tested against the players' flat boxes;
// while waiting it is removed once it leaves the active window. In: R20.
void sub_0771A2() {
    ROUTINE_ENTRY(0x0771A2);
    const uint32_t object = r(20);
    uint32_t target = 0;
    if (test_bit(var::game_flags, game_flag::area_change)) goto L_077250;
    target = orb_read32(rom::touch56_states + 4 * load_zx8(object + object_record::state));
    if (target == 0x0771E7) goto L_0771E7;
    if (target == 0x077222) goto L_077222;
    if (target != 0x0771C4) v60_unknown_jump(target, 0x0771B4);

    // L_0771C4: set-up.
    set_up(object, 56);
    orb_write8(object + object_record::state, touch_state::waiting);
    r(19) = rom::touch56_waiting_script;
    if (!call(sub_061F67, 0x0771E3, 0x0771DE)) return;

L_0771E7:  // waiting for a touch, inside the active window
    if (!call(sub_07AB3F, 0x0771EC, 0x0771E7)) return;
    if (!test_bit(object, object_flag::alive)) goto L_077250;
    if (!call(sub_061FB6, 0x0771F5, 0x0771F0)) return;
    r(10) = rom::touch56_box;
    if (!call(sub_088347, 0x077200, 0x0771FB)) return;
    if (clear_bit(object, object_flag::touched)) {
        r(19) = rom::touch56_triggered_script;
        if (!call(sub_061F67, 0x07720B, 0x077206)) return;
        r(0) = kTouchSound;
        if (!call(sub_088F98, 0x077212, 0x07720D)) return;
        orb_write8(object + object_record::state, touch_state::touched);
        goto L_077222;
    }
    if (!call(sub_062044, 0x07721D, 0x077218)) return;
    sub_062094();
    return;

L_077222:  // triggered: strikes on frame 1, removed when the animation stops
    if (!call(sub_061FB6, 0x077227, 0x077222)) return;
    if (orb_read8(object + object_record::frame_index) == 1) {
        load_strike(object);
        r(10) = rom::strike56_box;
        if (!call(sub_08834C, 0x07723E, 0x077239)) return;
    }
    if (orb_read8(object + object_record::frame_duration) == 0) goto L_077250;
    if (!call(sub_062044, 0x07724B, 0x077246)) return;
    sub_062094();
    return;

L_077250:  // removal
    clear_bit(object, object_flag::alive);
    if (!call(sub_088CD3, 0x07725A, 0x077255)) return;
    sub_088D0C();
}

// Drifting object, type 57: set up from a parameter byte whose address its
// creator left in +16 (0 stays, 1 from the left, 2 from the right, by the ROM
// direction table), it comes in, crosses the screen and is removed once it is
// no longer listed. In: R20 = the object.
void sub_077270() {
    ROUTINE_ENTRY(0x077270);
    const uint32_t object = r(20);
    uint32_t target = 0;
    if (test_bit(var::game_flags, game_flag::area_change)) goto L_077330;
    target = orb_read32(rom::drifter_states + 4 * load_zx8(object + object_record::state));
    if (target == 0x077304) goto L_077304;
    if (target == 0x07730D) goto L_07730D;
    if (target != 0x077290) v60_unknown_jump(target, 0x077280);

    // L_077290: set-up with a speed of 13 to 16 quarter pixels a frame.
    set_up(object, 57);
    r(19) = rom::drifting_script;
    if (!call(sub_061F67, 0x0772A4, 0x07729F)) return;
    if (!call(sub_06925A, 0x0772A9, 0x0772A4)) return;
    {
        const uint32_t speed = (r(0) & 3) + 13;
        const uint32_t parameter = load_zx8(orb_read32(object + object_record::data_pointer));
        const uint32_t direction = orb_read32(rom::drifter_directions + 4 * parameter);
        uint32_t step = 0, offset = 0;
        if (direction == 0x0772E0) {
            step = speed;
            offset = 0u - 80 * speed;
        } else if (direction == 0x0772EA) {
            set_bit(object, object_flag::mirror_x);
            step = 0u - speed;
            offset = 80 * speed;
        } else if (direction != 0x0772D8) {
            v60_unknown_jump(direction, 0x0772C6);
        }
        // The start lies 80 frames of travel before the creator's position.
        orb_write8(object + 39, static_cast<uint8_t>(step));
        orb_write16(object + object_record::world_x,
                    add<uint16_t>(orb_read16(object + object_record::world_x), offset));
        orb_write8(object + object_record::state, drift_state::coming_in);
    }

L_077304:  // coming in: on screen once it was listed
    if (test_bit(object, object_flag::listed)) {
        orb_write8(object + object_record::state, drift_state::crossing);
        goto L_07730D;
    }
    goto L_077314;

L_07730D:  // on screen: gone once it is no longer listed
    if (!test_bit(object, object_flag::listed)) goto L_077330;

L_077314:  // one step of the drift
    if (!call(sub_061FB6, 0x077319, 0x077314)) return;
    orb_write16(object + object_record::world_x,
                add<uint16_t>(orb_read16(object + object_record::world_x), load_sx8(object + 39)));
    if (!call(sub_062044, 0x07732B, 0x077326)) return;
    sub_0620CD();
    return;

L_077330:  // removal
    clear_bit(object, object_flag::alive);
    if (!call(sub_088CD3, 0x07733A, 0x077335)) return;
    sub_088D0C();
}
