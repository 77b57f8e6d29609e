// The four player slots: the slot runner, the slots' power-on state, joining
// with the credits of each coin layout, play start, the chain from waiting
// through placement, set-up and appearance, the continue countdown, leaving
// play, the bookkeeping of joins and play times, credits turned into energy
// during play, the energy drain and the controller's input fetch.
#include <initializer_list>

#include "game/continuations.h"
#include "game/routines.h"
#include "game/engine/states.h"
#include "game/engine/vars.h"
#include "game/flow/players.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;
using namespace players;

namespace {

uint32_t& r(int n) { return cpu.reg[n]; }

// ROM tables.
constexpr uint32_t kJoinPort = 0x063EAE;       // per slot, to the I/O register at a join
constexpr uint32_t kLeavePort = 0x063EB2;      // per slot, when it leaves
constexpr uint32_t kCompanions = 0x063E0C;     // 4 bytes per character
constexpr uint32_t kTerrainStates = 0x063EA6;  // two bounds of the controller state
constexpr uint32_t kPlacedStates = 0x063EA8;

constexpr uint32_t kWorkRam = 0x208000;  // credit records by their low byte
constexpr uint32_t kPressed = var::player_inputs + input_block::pressed;
constexpr uint8_t kStartButton = 0x40;
constexpr uint8_t kButtons = 0x30;
constexpr uint16_t kMostEnergy = 30000;
constexpr uint8_t kFirstDrain = 60;
constexpr uint8_t kDrainPeriod = 180;
constexpr uint8_t kOutFrames = 127;
constexpr uint32_t kMirror = 0x7C;  // a bookkeeping field's mirror lies this much higher

uint32_t credits_of(uint32_t rec) { return kWorkRam + orb_read8(rec + player_record::credit_offset); }
bool placed_area() { return game_flag_set(game_flag::placed_objects); }
bool flag(uint32_t rec, unsigned bit) { return test_bit(rec + object_record::flags, bit); }
uint32_t join_time(uint32_t slot) { return var::join_times + 8 * slot; }
uint32_t camera() { return orb_read32(var::camera_pointer); }

void copy_time(uint32_t from, uint32_t to) {
    for (uint32_t i = 0; i < 5; ++i) orb_write8(to + i, orb_read8(from + i));
}

// The states of the out-of-play routine.
namespace out_state {
constexpr uint8_t leaving = 0;
constexpr uint8_t credit_line = 1;  // 127 frames, then idle
constexpr uint8_t game_ended = 2;   // the last slot out: idle at the game over's end
}  // namespace out_state

// A slot goes idle: its credit record's bonus units are dropped.
void go_idle(uint32_t rec) {
    orb_write8(credits_of(rec) + credit_record::bonus_units, 0);
    orb_write32(rec + object_record::routine, entry::sub_063514 /* idle */);
    orb_write8(rec + object_record::state, 0);
}

bool routine_is(uint32_t rec, uint32_t routine) {
    cmp<uint32_t>(orb_read32(rec + object_record::routine), routine);
    return eq();
}

// The band of a play time: half minutes up to 4:59, then 5-9 minutes, then
// longer.
uint32_t play_band(uint32_t time) {
    const uint8_t minutes = orb_read8(time + time_record::minutes);
    if (orb_read16(time + time_record::days) != 0 || orb_read8(time + time_record::hours) != 0 ||
        minutes >= 10)
        return 11;
    if (minutes >= 5) return 10;
    return 2u * minutes + (orb_read8(time + time_record::seconds) >= 30 ? 1 : 0);
}

}  // namespace

// Slot runner, once a frame: copies hit-box table A, calls every slot's
// routine (the highest slot first; 2, 3 or 4 slots by player_count) with
// R20 = its record, then copies hit-box table B for the other objects and
// empties it.
void sub_0633C0() {
    ROUTINE_ENTRY(0x0633C0);
    if (!call(sub_087FD6, 0x0633C5, 0x0633C0)) return;
    uint32_t first = 0;
    const uint8_t count = orb_read8(var::backup_primary + backup_record::player_count);
    switch (count) {
    case 0: first = 1; break;
    case 1: first = 2; break;
    case 2:
    case 3: first = 3; break;
    default: v60_unknown_jump(0x0633D0 + 3u * count, 0x0633CD);
    }
    for (uint32_t slot = first + 1; slot-- > 0;) {
        r(20) = record(slot);
        if (!call_at(orb_read32(r(20) + object_record::routine), 0x0633E5, 0x0633E0)) return;
    }
    const uint32_t entries = orb_read8(var::hitbox_table_b) + 1u;
    move_halfwords(var::hitbox_table_b, var::hitbox_copy_b, entries * hitbox_entry::size / 2);
    orb_write8(var::hitbox_table_b, 0);
    ret();
}

// Power-on: every slot idle with its index and owner; then each slot's credit
// record by coin_mode (one shared record, or one per player from the highest
// record down). Modes above 6 have no case.
void sub_063402() {
    ROUTINE_ENTRY(0x063402);
    for (uint32_t slot = 4; slot-- > 0;) {
        const uint32_t rec = record(slot);
        orb_write16(rec + object_record::flags, 0);
        orb_write32(rec + object_record::routine, entry::sub_063514 /* idle */);
        orb_write8(rec + player_record::slot, static_cast<uint8_t>(slot));
        orb_write16(rec + object_record::owner, static_cast<uint16_t>(rec));
    }
    static constexpr uint8_t kShared[] = {0xA0, 0xA0, 0xA0, 0xA0};
    static constexpr uint8_t kTwo[] = {0xA8, 0xA0};
    static constexpr uint8_t kThree[] = {0xB0, 0xA8, 0xA0};
    static constexpr uint8_t kFour[] = {0xB8, 0xB0, 0xA8, 0xA0};
    const uint8_t mode = orb_read8(var::coin_mode);
    const uint8_t* offsets = nullptr;
    uint32_t slots = 0;
    switch (mode) {
    case 0:
    case 1:
    case 2:
    case 6: offsets = kShared, slots = 4; break;
    case 3: offsets = kTwo, slots = 2; break;
    case 4: offsets = kThree, slots = 3; break;
    case 5: offsets = kFour, slots = 4; break;
    default: v60_unknown_jump(0x063440 + 3u * mode, 0x06343D);
    }
    for (uint32_t slot = 0; slot < slots; ++slot)
        orb_write8(record(slot) + player_record::credit_offset, offsets[slot]);
    ret();
}

// The join routine with play start as its continuation. Nothing calls it.
void sub_06350B() {
    ROUTINE_ENTRY(0x06350B);
    r(15) = entry::sub_0635B4 /* play start */;
    sub_063536();
}

// Idle slot: in a game whose play runs, shows the slot's prompt and credit
// line and offers the join (a join during play has no translated
// continuation). In: R20 = record.
void sub_063514() {
    ROUTINE_ENTRY(0x063514);
    if (orb_read8(var::game_mode) != game_mode::game || !game_flag_set(game_flag::play_running)) {
        ret();
        return;
    }
    if (!call(sub_061498, 0x063528, 0x063523)) return;
    if (!call(sub_061275, 0x063530, 0x06352B)) return;
    r(15) = continuation::join_in_play;
    sub_063536();
}

// Join: a press of the join button (buttons 1-2, or start with the join
// option) in free play, or with the price in the slot's credit record (signed
// compare; the continue price while continuing), installs R15 as the slot's
// routine and goes there at once. A continuing player short of credits gets
// the countdown cut to the start of its second; with nobody in play and no
// credits anywhere, every continuing slot does. Nothing while the game has
// ended or the play is over. In: R20 = record, R15 = continuation.
void sub_063536() {
    ROUTINE_ENTRY(0x063536);
    const uint32_t self = r(20);
    if (test_bit(var::system_flags, system_flag::game_ended) || game_flag_set(game_flag::play_over)) {
        ret();
        return;
    }
    {
        const uint8_t mask = setting8(backup_record::join_option) != 0 ? kStartButton : kButtons;
        if ((orb_read8(kPressed + slot_of(self)) & mask) == 0) {
            ret();
            return;
        }
    }
    if (test<uint8_t>(orb_read8(var::free_play_active)) != 0) goto L_0635AA;
    {
        const bool continuing = flag(self, player_bit::continuing);
        const uint8_t price =
            setting8(continuing ? backup_record::continue_credits : backup_record::start_credits);
        const uint32_t credits = credits_of(self);
        const uint8_t held = orb_read8(credits);
        cmp<uint8_t>(held, price);
        if (greater_equal()) {
            orb_write8(credits, sub<uint8_t>(held, price));
            orb_write8(credits + credit_record::bonus_units, 0);
            goto L_0635AA;
        }
        if (!continuing) {
            ret();
            return;
        }
    }
    for (uint32_t n = 0; n < 4; ++n) {
        if (flag(record(n), object_flag::alive)) {
            sub_063DF9();
            return;
        }
    }
    for (uint32_t n = 0; n < 4; ++n) {
        if (test<uint8_t>(orb_read8(var::credit_records + credit_record::size * n)) != 0) {
            ret();
            return;
        }
    }
    for (uint32_t n = 0; n < 4; ++n) {
        if (!routine_is(record(n), entry::sub_063799 /* continue */)) continue;
        push(r(20));
        r(20) = record(n);
        if (!call(sub_063DF9, 0x0635A0, 0x06359B)) return;
        r(20) = pop();
    }
    ret();
    return;
L_0635AA:
    orb_write32(self + object_record::routine, r(15));
    v60_jump(r(15));
}

// Play start, a join from the attract screens: the presses of all slots are
// spent, every slot and the game flags reset, the game mode begins with a
// fade out; this slot waits for play. A new player starts with its slot's
// character and a clear score; a continue counts for the rank. The start
// energy, in the per-chute layouts times one more than the chute's remaining
// credits, which all turn into energy. In: R20 = record.
//
// The slot reset called first clears every record's flags, this one's
// continuing bit with them, and the join writes only the flags' low byte: the
// test that follows finds the bit clear and always takes the new player's
// branch. The continuing branch stays as the guest has it, unreachable
// through this reset.
void sub_0635B4() {
    ROUTINE_ENTRY(0x0635B4);
    orb_write32(kPressed, 0);
    if (!call(sub_0634A7, 0x0635C0, 0x0635BB)) return;
    {
        const uint32_t self = r(20);
        const uint8_t slot = slot_of(self);
        orb_write16(var::game_mode, game_mode::game);
        orb_write8(var::ingame_state, flow_state::select_start);
        orb_write8(var::fade_preset, 0);
        set_bit(var::system_flags, system_flag::fade_running);
        orb_write32(self + object_record::routine, entry::sub_0638B4 /* wait for play */);
        orb_write8(self + object_record::flags, 7);
        orb_write8(self + object_record::state, 0);
        set_bit(var::game_flags, slot);
        orb_write8(self + player_record::join_byte, 0);
        r(1) = slot;
    }
    if (!call(sub_0636AC, 0x063600, 0x0635FB)) return;
    {
        const uint32_t self = r(20);
        const uint8_t slot = slot_of(self);
        orb_write8(hw::io_unused, orb_read8(kJoinPort + slot));
        if (!clear_bit(self + object_record::flags, player_bit::continuing)) {
            orb_write8(self + player_record::character, slot);
            orb_write8(self + player_record::plays, 0);
            orb_write32(self + player_record::score, 0);
            r(7) = var::new_play_count;
            if (!call(sub_060F72, 0x063630, 0x06362B)) return;
        } else {
            orb_write8(hw::io_unused, orb_read8(kJoinPort + slot));
            set_bit(var::rank_events, 0);
        }
    }
    {
        const uint32_t self = r(20);
        const uint16_t start = setting16(backup_record::start_energy);
        orb_write8(self + player_record::plays, inc<uint8_t>(orb_read8(self + player_record::plays)));
        orb_write16(self + object_record::energy, start);
        if (setting8(backup_record::chute_per_player) != 0) {
            const uint32_t credits = credits_of(self);
            const uint8_t held = orb_read8(credits);
            orb_write8(self + player_record::converted_credits, held);
            orb_write16(self + object_record::energy, mulu<uint16_t>(start, held + 1u));
            orb_write8(credits, 0);
        }
        orb_write16(self + player_record::shown_energy, start);
        orb_write8(self + player_record::drain_timer, kFirstDrain);
    }
    ret();
}

// Join bookkeeping: the power-on time becomes the slot's join time, the joins
// are counted (with the check value and the mirror) and the drain ticks start
// at 0. In: R20 = record, R1 = slot.
void sub_0636AC() {
    ROUTINE_ENTRY(0x0636AC);
    copy_time(var::power_on_time, join_time(r(1) & 0xFF));
    r(7) = var::join_count;
    if (!call(sub_060F72, 0x0636D0, 0x0636CB)) return;
    orb_write16(r(20) + player_record::drain_ticks, 0);
    ret();
}

// Leave bookkeeping: the join time becomes the play time, which is added to
// the total (mirrored), offered to the longest and shortest plays and counted
// in its band of the play-length histogram. In: R20 = record.
void sub_063722() {
    ROUTINE_ENTRY(0x063722);
    const uint8_t slot = slot_of(r(20));
    orb_write8(hw::io_unused, orb_read8(kLeavePort + slot));
    r(10) = var::power_on_time;
    r(11) = join_time(slot);
    if (!call(sub_08909C, 0x063740, 0x06373B)) return;
    r(10) = join_time(slot);
    r(11) = var::play_time;
    if (!call(sub_089050, 0x063748, 0x063743)) return;
    if (!call(sub_0610CF, 0x063750, 0x06374B)) return;
    copy_time(var::play_time, var::play_time + kMirror);
    r(10) = join_time(slot);
    if (!call(sub_08917A, 0x063768, 0x063763)) return;
    r(10) = join_time(slot);
    if (!call(sub_089145, 0x063770, 0x06376B)) return;
    r(7) = var::play_histogram + 2 * play_band(join_time(slot));
    if (!call(sub_060F72, 0x063790, 0x06378B)) return;
    ret();
}

// Continue countdown, each frame until the game ends: the continue texts and
// a join offer (continuing); at 0 the slot goes to the ranking, the continue
// area goes when no slot counts down any more, and the energy-out message is
// erased. In: R20 = record.
void sub_063799() {
    ROUTINE_ENTRY(0x063799);
    if (!game_flag_set(game_flag::play_over) && !test_bit(var::system_flags, system_flag::game_ended)) {
        set_bit(var::game_flags, game_flag::slot_out);
        const uint16_t left = dec<uint16_t>(orb_read16(r(20) + player_record::timer));
        orb_write16(r(20) + player_record::timer, left);
        if (ne()) {
            if (!call(sub_061704, 0x0637B5, 0x0637B0)) return;
            if (!call(sub_0617E2, 0x0637BD, 0x0637B8)) return;
            r(1) = slot_of(r(20));
            if (!call(sub_061281, 0x0637C5, 0x0637C0)) return;
            set_bit(r(20) + object_record::flags, player_bit::continuing);
            r(15) = continuation::join_in_play;
            sub_063536();
            return;
        }
    }
    if (!call(sub_062F86, 0x0637DD, 0x0637D8)) return;
    orb_write32(r(20) + object_record::routine, entry::sub_08A3D6 /* ranking */);
    orb_write8(r(20) + object_record::state, 0);
    {
        bool counting = false;
        for (uint32_t n = 0; n < 4; ++n)
            counting = counting || routine_is(record(n), entry::sub_063799 /* continue */);
        if (!counting && !call(sub_061741, 0x0637F5, 0x0637F0)) return;
    }
    r(19) = rom::energy_out;
    if (!call(sub_06179F, 0x063805, 0x063800)) return;
    sub_088A15();
}

// Out of play. State 0: the leaving message, the tally cleared, the slot's
// game bit cleared; the last slot out ends the game (state 2), the others go
// on at once in state 1, showing the credit line 127 frames before going
// idle. State 2 goes idle at in-game state 56. In: R20 = record.
void sub_063818() {
    ROUTINE_ENTRY(0x063818);
    set_bit(var::game_flags, game_flag::slot_out);
    const uint8_t state = orb_read8(r(20) + object_record::state);
    switch (state) {
    case out_state::leaving:
        orb_write8(r(20) + object_record::state, out_state::credit_line);
        clear_bit(r(20) + object_record::flags, player_bit::continuing);
        orb_write8(r(20) + player_record::hold_time, kOutFrames);
        if (!call(sub_06177C, 0x063838, 0x063833)) return;
        if (!call(sub_084CFE, 0x063840, 0x06383B)) return;
        clear_bit(var::game_flags, slot_of(r(20)));
        if ((orb_read8(var::game_flags) & 15) == 0) {
            orb_write8(r(20) + object_record::state, out_state::game_ended);
            set_bit(var::system_flags, system_flag::game_ended);
            ret();
            return;
        }
        [[fallthrough]];
    case out_state::credit_line:
        if ((orb_read8(var::game_flags) & 15) == 0) {
            orb_write8(r(20) + object_record::state, out_state::game_ended);
            ret();
            return;
        }
        {
            const uint8_t left = dec<uint8_t>(orb_read8(r(20) + player_record::hold_time));
            orb_write8(r(20) + player_record::hold_time, left);
            if (eq()) {
                go_idle(r(20));
                ret();
                return;
            }
        }
        r(1) = slot_of(r(20));
        if (!call(sub_061281, 0x063880, 0x06387B)) return;
        ret();
        return;
    case out_state::game_ended:
        if (orb_read8(var::ingame_state) == flow_state::game_over_wait_out) go_idle(r(20));
        ret();
        return;
    default: v60_unknown_jump(0x063822 + 3u * state, 0x06381F);
    }
}

// Waits for the next stage: at in-game state 10 the slot waits for play.
void sub_06389E() {
    ROUTINE_ENTRY(0x06389E);
    if (orb_read8(var::ingame_state) == flow_state::stage_start)
        orb_write32(r(20) + object_record::routine, entry::sub_0638B4 /* wait for play */);
    ret();
}

// Waits for play: at in-game state 20 the slot is placed.
void sub_0638B4() {
    ROUTINE_ENTRY(0x0638B4);
    if (orb_read8(var::ingame_state) == flow_state::play)
        orb_write32(r(20) + object_record::routine, entry::sub_0638C6 /* place */);
    ret();
}

// Placement: 640 quarter pixels right of the camera; in a placed-object area
// 448 below its top and 64 high, else on the area's start line at height 0;
// both moved by the slot's offset. The character's script is next, started
// in animation mode 2. In: R20 = record.
void sub_0638C6() {
    ROUTINE_ENTRY(0x0638C6);
    {
        const uint32_t self = r(20);
        const uint8_t character = orb_read8(self + player_record::character);
        orb_write32(self + object_record::routine, entry::sub_063955 /* set up */);
        if (placed_area()) {
            r(10) = camera();
            orb_write32(self + object_record::next_script, orb_read32(rom::placed_scripts + 4 * character));
            orb_write16(self + object_record::world_x,
                        add<uint16_t>(orb_read16(r(10) + camera_record::x), 640));
            orb_write16(self + object_record::world_y,
                        add<uint16_t>(orb_read16(r(10) + camera_record::y), 448));
            orb_write16(self + object_record::height, 64);
        } else {
            orb_write32(self + object_record::next_script, orb_read32(rom::standing_anim + 4 * character));
            if (!call(sub_063D29, 0x063900, 0x0638FB)) return;
            orb_write16(r(20) + object_record::height, 0);
        }
    }
    if (!call(sub_063D51, 0x063910, 0x06390B)) return;
    {
        const uint32_t self = r(20);
        orb_write8(self + object_record::state, 0);
        orb_write8(self + object_record::anim_mode, 2);
        orb_write8(self + object_record::frame_index, 0);
        for (uint32_t field : {159u, 224u, 188u}) orb_write8(self + field, 0);
        r(10) = camera();
    }
    if (!call(sub_062049, 0x063940, 0x06393B)) return;
    r(19) = orb_read32(r(20) + object_record::next_script);
    sub_061F06();
}

// Set-up: facing set, the companion spawned, the character's animation
// started, untouchable while it appears; outside the demo the appearance
// effect (slot, + 4 in placed-object areas); then the first appearance step.
// In: R20 = record.
void sub_063955() {
    ROUTINE_ENTRY(0x063955);
    set_bit(r(20) + object_record::flags, object_flag::mirror_x);
    clear_bit(r(20) + object_record::flags, object_flag::held);
    r(10) = kCompanions + 4 * orb_read8(r(20) + player_record::character);
    if (!call(sub_077B88, 0x063968, 0x063963)) return;
    {
        const uint32_t self = r(20);
        const uint8_t character = orb_read8(self + player_record::character);
        orb_write8(self + player_record::hold_time, 0);
        if (placed_area()) {
            r(19) = orb_read32(rom::placed_scripts + 4 * character);
            orb_write16(self + player_record::placed_frame, 16);
        } else {
            r(19) = orb_read32(rom::standing_anim + 4 * character);
        }
    }
    if (!call(sub_061F06, 0x063990, 0x06398B)) return;
    {
        const uint32_t self = r(20);
        set_bit(self + object_record::flags, object_flag::intangible);
        orb_write32(self + object_record::routine, entry::sub_0639CB /* appearance */);
        orb_write8(self + 38, 0);
        orb_write8(self + 58, 0);
        orb_write8(self + player_record::followed, 255);
        if (!game_flag_set(game_flag::demo_play)) {
            r(0) = slot_of(self) + (placed_area() ? 4u : 0u);
            if (!call(sub_0824F0, 0x0639C0, 0x0639BB)) return;
        }
    }
    sub_0639CB();
}

// Appearance, 128 frames: hidden every other four frames and untouchable;
// then the controller becomes the slot's routine. The controller runs every
// frame meanwhile (the placed-object areas' one has no translated routine).
// In: R20 = record.
void sub_0639CB() {
    ROUTINE_ENTRY(0x0639CB);
    const uint32_t self = r(20);
    clear_bit(self + object_record::flags, object_flag::hidden);
    uint8_t blink = inc<uint8_t>(orb_read8(self + player_record::hold_time));
    if (blink & 4) set_bit(self + object_record::flags, object_flag::hidden);
    blink = logic<uint8_t>(blink & 0x7F);
    orb_write8(self + player_record::hold_time, blink);
    if (blink == 0) {
        orb_write32(self + object_record::routine, entry::sub_063EB6 /* controller */);
        clear_bit(self + object_record::flags, object_flag::intangible);
    } else {
        set_bit(self + object_record::flags, object_flag::intangible);
    }
    if (placed_area()) {
        v60_jump(continuation::placed_object_controller);
        return;
    }
    sub_063EB6();
}

// The controller's inputs: R0 held, R1 pressed edges, R2 previous, R7 the
// mask word's byte ORed with the edges, each the slot's byte (of the demo
// copy in the demo); during an area change only R2, the others 0.
// In: R20 = record.
void sub_063BBA() {
    ROUTINE_ENTRY(0x063BBA);
    const uint32_t block = game_flag_set(game_flag::demo_play) ? var::demo_inputs : var::player_inputs;
    const uint8_t slot = slot_of(r(20));
    r(2) = load_zx8(block + input_block::previous + slot);
    if (test_bit(var::system_flags, system_flag::area_changing)) {
        r(0) = r(1) = r(7) = 0;
        ret();
        return;
    }
    r(0) = load_zx8(block + input_block::current + slot);
    r(1) = load_zx8(block + input_block::pressed + slot);
    r(7) = load_zx8(block + input_block::mask + slot) | r(1);
    ret();
}

// After the camera moved, for every slot in play: in the per-chute layouts
// (not in the demo, and only outside the controller's excluded states) energy
// used up below the converted credits books a leave, a join and a play, and
// one credit a frame turns into start energy while energy is below 30,000;
// then the slot is placed on screen and listed. R20 comes back as it was.
void sub_063C2C() {
    ROUTINE_ENTRY(0x063C2C);
    push(r(20));
    for (uint32_t slot = 0; slot < 4; ++slot) {
        r(20) = record(slot);
        if (!flag(r(20), object_flag::alive)) continue;
        if (!game_flag_set(game_flag::demo_play) && setting8(backup_record::chute_per_player) != 0) {
            r(19) = placed_area() ? kPlacedStates : kTerrainStates;
            if (!call(sub_063D0C, 0x063C60, 0x063C5B)) return;
            if (positive()) {
                const uint16_t start = setting16(backup_record::start_energy);
                const uint16_t used = static_cast<uint16_t>(orb_read16(r(20) + object_record::energy) - 1);
                const uint8_t held = start == 0 ? used & 0xFF : divu<uint16_t>(used, start) & 0xFF;
                cmp<uint8_t>(held, orb_read8(r(20) + player_record::converted_credits));
                if (carry()) {
                    orb_write8(r(20) + player_record::converted_credits, held);
                    if (!call(sub_063722, 0x063C80, 0x063C7B)) return;
                    r(1) = slot_of(r(20));
                    if (!call(sub_0636AC, 0x063C88, 0x063C83)) return;
                    orb_write8(r(20) + player_record::plays,
                               inc<uint8_t>(orb_read8(r(20) + player_record::plays)));
                }
                const uint16_t energy = orb_read16(r(20) + object_record::energy);
                cmp<uint16_t>(energy, kMostEnergy);
                if (less() && energy != 0) {
                    const uint32_t credits = credits_of(r(20));
                    const uint8_t left = test<uint8_t>(orb_read8(credits));
                    if (ne()) {
                        orb_write8(credits, dec<uint8_t>(left));
                        orb_write16(r(20) + object_record::energy, add<uint16_t>(energy, start));
                        orb_write8(r(20) + player_record::converted_credits,
                                   inc<uint8_t>(orb_read8(r(20) + player_record::converted_credits)));
                    }
                }
            }
        }
        r(10) = camera();
        if (!call(sub_062049, 0x063CA0, 0x063C9B)) return;
        if (placed_area()) {
            r(0) = load_sx16(r(20) + object_record::height);
            if (!call(sub_0620DC, 0x063CB0, 0x063CAB)) return;
        } else {
            if (!call(sub_0620CD, 0x063CB8, 0x063CB3)) return;
        }
    }
    r(20) = pop();
    ret();
}

// State-range test: with lo, hi the bytes at R19 and s the record's state,
// (lo - s) XOR (hi - s) as a byte. Out: S clear when s lies outside
// (lo, hi]. In: R19, R20.
void sub_063D0C() {
    ROUTINE_ENTRY(0x063D0C);
    const uint8_t s = orb_read8(r(20) + object_record::state);
    const uint8_t low = static_cast<uint8_t>(orb_read8(r(19)) - s);
    const uint8_t high = static_cast<uint8_t>(orb_read8(r(19) + 1) - s);
    logic<uint8_t>(low ^ high);
    ret();
}

// Start position: 640 quarter pixels right of the camera, on the start line
// of the stage and area. In: R20 = record.
void sub_063D29() {
    ROUTINE_ENTRY(0x063D29);
    r(10) = camera();
    orb_write16(r(20) + object_record::world_x, add<uint16_t>(orb_read16(r(10) + camera_record::x), 640));
    const uint32_t index = (orb_read8(var::stage) - 1u) * 5u + orb_read8(var::area) - 1u;
    orb_write16(r(20) + object_record::world_y, orb_read16(rom::player_start_y + 2 * index));
    ret();
}

// The slot's offset from the start position, by player_count. In: R20.
void sub_063D51() {
    ROUTINE_ENTRY(0x063D51);
    const uint32_t row = orb_read8(rom::offset_rows + setting8(backup_record::player_count)) + slot_of(r(20));
    for (uint32_t axis : {object_record::world_x, object_record::world_y}) {
        const uint32_t at = r(20) + axis;
        orb_write16(at, add<uint16_t>(orb_read16(at), orb_read16(rom::slot_offsets + 4 * row +
                                                                 (axis - object_record::world_x))));
    }
    ret();
}

// Energy drain: a tick every 180 frames (the first 60 after the join), one
// energy each, never below 1. In: R20 = record.
void sub_063D72() {
    ROUTINE_ENTRY(0x063D72);
    const uint32_t self = r(20);
    const uint8_t left = dec<uint8_t>(orb_read8(self + player_record::drain_timer));
    orb_write8(self + player_record::drain_timer, left);
    if (ne()) {
        ret();
        return;
    }
    orb_write16(self + player_record::drain_ticks,
                inc<uint16_t>(orb_read16(self + player_record::drain_ticks)));
    orb_write8(self + player_record::drain_timer, kDrainPeriod);
    const uint16_t energy = orb_read16(self + object_record::energy);
    cmp<uint16_t>(energy, 1);
    if (greater()) orb_write16(self + object_record::energy, dec<uint16_t>(energy));
    ret();
}

// Continue speed-up: the countdown goes to the start of its current second
// plus one frame. In: R20 = record.
void sub_063DF9() {
    ROUTINE_ENTRY(0x063DF9);
    const uint32_t at = r(20) + player_record::timer;
    const uint16_t seconds = divu<uint16_t>(orb_read16(at), 60);
    orb_write16(at, add<uint16_t>(mulu<uint16_t>(seconds, 60), 1));
    ret();
}
