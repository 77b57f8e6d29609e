// The character-select screen: a selection controller that opens the four
// places, creates the portraits and cursors and shows the seconds left; the
// place markers (portraits that change colour once taken); one cursor per
// player that moves over the free places and takes one; and the lookups
// between places and characters.
#include "game/routines.h"
#include "game/engine/vars.h"
#include "game/flow/players.h"
#include "game/flow/vars.h"
#include "game/flow/tables.h"
#include "runtime/guest.h"

using namespace guest;
using namespace players;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

constexpr uint16_t kSelectionTime = 1200;
constexpr uint32_t kCountdownCell = 0x31F244;
constexpr uint32_t kWorkRam = 0x208000;  // the player records by their offset from it

// Selection controller and marker fields beyond the object head.
constexpr uint32_t kTicks = 54;        // controller: counts every frame
constexpr uint32_t kChoosing = 72;     // controller: cursors still choosing
constexpr uint32_t kPlace = 76;        // marker and cursor: its place
constexpr uint32_t kPartColour = 110;  // marker: colour word of its first copied part
constexpr uint32_t kRepeat = 54;       // cursor: right repeat, then left at +55

// The layout of places: player_count, plus 3 with the panel layout shift.
uint32_t layout() {
    return setting8(backup_record::player_count) + (orb_read8(var::panel_layout_shift) != 0 ? 3u : 0u);
}

bool place_free(uint32_t place) { return test_bit(var::game_flags, game_flag::places_free + (place & 3)); }

// Screen position from a table of {x, y} halfwords.
void set_screen_position(uint32_t object, uint32_t table, uint32_t index) {
    orb_write16(object + object_record::screen_x, orb_read16(table + 4 * index));
    orb_write16(object + object_record::screen_y, orb_read16(table + 4 * index + 2));
}

// The selection objects' states.
namespace controller_state {
constexpr uint8_t open = 0, choosing = 1, closed = 2, open_again = 3;
}  // namespace controller_state
namespace cursor_state {
constexpr uint8_t wait_play = 0, choosing = 1, taken = 2, chosen = 3, chosen_too = 4;
}  // namespace cursor_state
// The place marker.
namespace marker_state {
constexpr uint8_t setup = 0, open = 1, closed = 2;
}  // namespace marker_state

}  // namespace

// Queues the select screen's palette as a plain block. Nothing calls it.
void sub_062B70() {
    ROUTINE_ENTRY(0x062B70);
    r(19) = rom::menu_palette;
    sub_0896A9();
}

// Selection controller. State 0 (and 3) opens the selection: every place
// free, and one linked 128-byte object per row of the ROM list, owned by the
// controller. State 1 shows the seconds left while cursors choose, zeroes the
// countdown once none does, and closes when it is 0. In: R20 = controller.
//
// The set-up stops at the first row that finds the pool empty: the guest
// linked and filled the previous object again there.
void sub_062B7D() {
    ROUTINE_ENTRY(0x062B7D);
    const uint32_t self = r(20);
    orb_write8(self + kTicks, inc<uint8_t>(orb_read8(self + kTicks)));
    const uint8_t state = orb_read8(self + object_record::state);
    switch (state) {
    case controller_state::open:
    case controller_state::open_again:
        orb_write16(self + object_record::flags, 1);
        orb_write8(self + object_record::state, controller_state::choosing);
        orb_write8(self + kChoosing, 0);
        orb_write8(var::character_places_free, 15);
        r(17) = load_zx8(rom::select_objects);
        for (r(18) = rom::select_objects + 1; r(17) != 0; r(18) += 5, --r(17)) {
            if (!call(sub_088C67, 0x062BC0, 0x062BBB)) return;
            if (eq()) break;
            if (!call(sub_088CA5, 0x062BC8, 0x062BC3)) return;
            orb_write32(r(21) + object_record::routine, orb_read32(r(18)));
            orb_write8(r(21) + object_record::type, orb_read8(r(18) + 4));
            orb_write16(r(21) + object_record::owner, static_cast<uint16_t>(self));
        }
        ret();
        return;
    case controller_state::choosing:
        {
            const uint16_t left = test<uint16_t>(orb_read16(var::flow_countdown));
            if (ne()) {
                test<uint8_t>(orb_read8(self + kChoosing));
                if (ne()) {
                    r(0) = sx16(div<uint16_t>(left, 60));
                    if (!call(sub_088AC3, 0x062BF0, 0x062BEB)) return;
                    r(1) = 0x600;
                    r(11) = kCountdownCell;
                    sub_088A5A();
                    return;
                }
                orb_write16(var::flow_countdown, 0);
            }
            orb_write16(self + object_record::flags, 0);
            orb_write8(self + object_record::state, controller_state::closed);
            ret();
            return;
        }
    case controller_state::closed: ret(); return;
    default: v60_unknown_jump(0x062B90 + 3u * state, 0x062B8D);
    }
}

// Cursor of one player. Waits until its player plays and the selection is
// open; then moves over the free places and takes one with a button (or the
// free place under it when the time runs out); then stays, listed steadily.
// In: R20 = cursor. Uses R10 = its player record, R11 = the controller.
void sub_062C06() {
    ROUTINE_ENTRY(0x062C06);
    const uint32_t self = r(20);
    const uint8_t type = orb_read8(self + object_record::type);
    r(10) = kWorkRam;
    set16(r(10), add<uint16_t>(r(10), orb_read16(rom::cursor_players + 2 * type)));
    r(11) = kHigh | orb_read16(self + object_record::owner);
    const uint8_t state = orb_read8(self + object_record::state);
    switch (state) {
    case cursor_state::wait_play:
        if (!test_bit(r(10) + object_record::flags, object_flag::alive) ||
            !test_bit(r(11) + object_record::flags, object_flag::alive)) {
            ret();
            return;
        }
        orb_write8(self + object_record::state, cursor_state::choosing);
        orb_write8(self + object_record::anim_mode, anim_mode::copy);
        orb_write8(r(11) + kChoosing, inc<uint8_t>(orb_read8(r(11) + kChoosing)));
        orb_write8(self + kPlace, type);
        orb_write16(self + kRepeat, 0);
        orb_write16(var::flow_countdown, kSelectionTime);
        set_screen_position(self, rom::cursor_positions, type);
        orb_write16(self + object_record::height, 0);
        r(19) = orb_read32(rom::cursor_scripts + 4 * type);
        sub_061F06();
        return;
    case cursor_state::choosing:
        r(9) = load_zx8(self + kPlace);
        if (!test_bit(r(11) + object_record::flags, object_flag::alive)) {
            if (!call(sub_062E4F, 0x062C80, 0x062C7B)) return;
            sub_062E2A();
            return;
        }
        sub_062DE5();
        return;
    case cursor_state::taken:
        orb_write8(r(11) + kChoosing, dec<uint8_t>(orb_read8(r(11) + kChoosing)));
        orb_write16(self + kRepeat, 0);
        orb_write8(self + object_record::state, cursor_state::chosen);
        orb_write16(self + object_record::screen_x,
                    orb_read16(rom::cursor_positions + 4 * orb_read8(self + kPlace)));
        sub_0620CD();
        return;
    case cursor_state::chosen:
    case cursor_state::chosen_too:  // set by nothing; taken as chosen
        sub_0620CD();
        return;
    default: v60_unknown_jump(0x062C20 + 3u * state, 0x062C1D);
    }
}

// Place marker: a character's portrait at a fixed position; once its place
// is taken its colour word moves on by 160. Marker 4 never closes.
// In: R20 = marker.
void sub_062CCF() {
    ROUTINE_ENTRY(0x062CCF);
    const uint32_t self = r(20);
    const uint8_t state = orb_read8(self + object_record::state);
    switch (state) {
    case marker_state::setup:
        {
            const uint8_t type = orb_read8(self + object_record::type);
            orb_write8(self + object_record::state, type == 4 ? marker_state::closed : marker_state::open);
            orb_write8(self + object_record::anim_mode, anim_mode::copy);
            orb_write8(self + kPlace, type);
            set_screen_position(self, rom::marker_positions, type);
            orb_write16(self + object_record::height, 0);
            if (!call(sub_062E62, 0x062D10, 0x062D0B)) return;
            r(19) = orb_read32(rom::select_portraits + 4 * r(0));
            sub_061F06();
            return;
        }
    case marker_state::open:
        if (!place_free(orb_read8(self + kPlace))) {
            orb_write8(self + object_record::state, marker_state::closed);
            orb_write16(self + kPartColour, add<uint16_t>(orb_read16(self + kPartColour), 160));
        }
        [[fallthrough]];
    case marker_state::closed:
        r(0) = sx8(static_cast<uint8_t>(-125));
        sub_0620DC();
        return;
    default: v60_unknown_jump(0x062CE0 + 3u * state, 0x062CDD);
    }
}

// The cursor's step while choosing: on to a free place, then a button takes
// it, right or left held moves at once and then every 32 frames (skipping
// taken places), nothing held resets both repeat counters to 0xFF. The cursor
// shows 16 frames and hides 16 by the controller's frame count.
// In: R9 = place, R10 = player record, R20 = cursor, R11 = controller.
//
// The left step looks at most one turn of four places: with none free the
// cursor stays where it was (the guest kept looking).
void sub_062DE5() {
    ROUTINE_ENTRY(0x062DE5);
    if (!call(sub_062E4F, 0x062DEA, 0x062DE6)) return;
    {
        const uint32_t self = r(20);
        const uint8_t slot = slot_of(r(10));
        const uint8_t pressed = orb_read8(var::player_inputs + input_block::pressed + slot);
        const uint8_t held = orb_read8(var::player_inputs + input_block::current + slot);
        if (pressed & 0x30) {
            if (!call(sub_062E2A, 0x062E00, 0x062DFB)) return;
        } else if (held & 0x04) {
            const uint8_t count = inc<uint8_t>(orb_read8(self + kRepeat)) & 31;
            orb_write8(self + kRepeat, count);
            if (count == 0) {
                r(9) = (r(9) + 1) & 3;
                if (!call(sub_062E4F, 0x062E0C, 0x062E08)) return;
            }
        } else if (held & 0x08) {
            const uint8_t count = inc<uint8_t>(orb_read8(self + kRepeat + 1)) & 31;
            orb_write8(self + kRepeat + 1, count);
            if (count == 0) {
                uint32_t place = r(9);
                for (int step = 0; step < 4; ++step) {
                    place = (place - 1) & 3;
                    if (place_free(place)) {
                        r(9) = place;
                        break;
                    }
                }
            }
        } else {
            orb_write16(self + kRepeat, 0xFFFF);
        }
    }
    orb_write8(r(20) + kPlace, static_cast<uint8_t>(r(9)));
    orb_write16(r(20) + object_record::screen_x, orb_read16(rom::cursor_positions + 4 * (r(9) & 0xFF)));
    r(11) = kHigh | orb_read16(r(20) + object_record::owner);
    if (orb_read8(r(11) + kTicks) & 0x10) {
        ret();
        return;
    }
    sub_0620CD();
}

// Takes place R9 for the cursor's player: the place closes, the player gets
// its character, that character's sound plays and the cursor's state moves
// on. In: R9 = place, R10 = player record, R20 = cursor.
void sub_062E2A() {
    ROUTINE_ENTRY(0x062E2A);
    orb_write8(r(20) + kPlace, static_cast<uint8_t>(r(9)));
    clear_bit(var::game_flags, game_flag::places_free + (r(9) & 3));
    if (!call(sub_062E62, 0x062E3A, 0x062E35)) return;
    orb_write8(r(10) + player_record::character, static_cast<uint8_t>(r(0)));
    r(0) = load_zx8(rom::taken_sounds + (r(0) & 0xFF));
    if (!call(sub_088F98, 0x062E48, 0x062E43)) return;
    orb_write8(r(20) + object_record::state, inc<uint8_t>(orb_read8(r(20) + object_record::state)));
    ret();
}

// The first free place at R9 or after it, counting up modulo 4. At most one
// turn is searched: with no place free R9 comes back as it was (the guest
// kept looking). In/out: R9.
void sub_062E4F() {
    ROUTINE_ENTRY(0x062E4F);
    for (int step = 0; step < 4; ++step) {
        if (place_free(r(9))) break;
        r(9) = (r(9) + 1) & 3;
    }
    ret();
}

// The character at the place of a marker or cursor. In: R20. Out: R0.
void sub_062E62() {
    ROUTINE_ENTRY(0x062E62);
    r(0) = load_zx8(rom::place_characters + 5 * layout() + orb_read8(r(20) + kPlace));
    ret();
}

// The place of a player's character. In: R20 = player record. Out: R0.
void sub_062E7E() {
    ROUTINE_ENTRY(0x062E7E);
    r(0) =
        load_zx8(rom::character_places + 4 * (layout() & 0x7F) + orb_read8(r(20) + player_record::character));
    ret();
}
