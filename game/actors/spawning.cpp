// Spawn-list generators and the progress watcher. A generator walks its
// area's spawn list once a frame, keeping one counter per record (armed, the
// live object, done, or a delay before re-arming), and spawns a record's
// object when the camera sweeps over its trigger X (scrolling areas) or when
// the record comes inside a box around the camera (placed-object areas). When
// a boss record's object is gone it raises the area-won bit. In scrolling
// areas a watcher counts the frames in which the camera makes no progress and
// sends a kind-58 enemy at a stalling player.
#include "game/continuations.h"
#include "game/actors/common.h"
#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kWindowLabel = 0x06626C;  // the passes' loop heads, returned to by the record handlers
constexpr uint32_t kSweepLabel = 0x0662BB;
constexpr uint16_t kWindowMargin = 160;
constexpr uint16_t kWindowWidth = 1600;   // camera X - 160 .. camera X + 1440
constexpr uint16_t kWindowHeight = 1216;  // camera Y - 160 .. camera Y + 1056
constexpr uint8_t kBossSound = 0x84;
constexpr uint8_t kBossMusic = 0x90;

constexpr uint16_t kProgressLimit = 320;
constexpr uint16_t kPatience = 900;  // frames per live enemy (plus one) before a staller
constexpr uint8_t kMaxStallers = 2;
constexpr uint8_t kStallerDefeatSound = 0xF5;

constexpr uint32_t kPlayers = 4;

// The progress watcher's states: 0 restarts the count, 1 counts.
namespace watcher_state {
constexpr uint8_t restart = 0, counting = 1;
}  // namespace watcher_state

// The playfield camera's X or Y word.
uint16_t camera_word(uint32_t field) { return orb_read16(orb_read32(var::camera_pointer) + field); }

// The first shrink-away of the vanish, without rising: the first copied
// sprite part, once per part, loses 4 of its size (not below 0) and moves its
// other size field on by 10; the top 6 bits of both stay. Returns the sum of
// the new sizes.
uint16_t shrink_first_part(uint32_t object) {
    const uint32_t size_field = object + object_record::copied_parts + 7;   // +102
    const uint32_t other_field = object + object_record::copied_parts + 5;  // +100
    uint16_t sum = 0;
    for (uint8_t n = orb_read8(object + object_record::copied_parts); n != 0; --n) {
        const uint16_t w = orb_read16(size_field);
        uint16_t size = sub<uint16_t>(w & 0x3FF, 4);
        if (less()) size = 0;
        orb_write16(size_field, logic<uint16_t>((w & 0xFC00) | size));
        const uint16_t o = orb_read16(other_field);
        orb_write16(other_field, logic<uint16_t>(add<uint16_t>(o & 0x3FF, 10) | (o & 0xFC00)));
        sum = add<uint16_t>(sum, size);
    }
    return sum;
}

// Z clear when a player can be stalling: some slot in play and none of the
// four records running the out-of-play routine.
void players_in_play() {
    uint16_t flags = 0;
    for (uint32_t n = 0; n < kPlayers; ++n) {
        const uint32_t player = var::player_records + player_record::size * n;
        cmp<uint32_t>(orb_read32(player + object_record::routine), continuation::out_of_play);
        if (eq()) {
            cpu.z = 1;
            return;
        }
        flags = logic<uint16_t>(flags | orb_read16(player + object_record::flags));
    }
    bit_flags(flags, 0);
}

// A pass's loop head: one record fewer left; unless it is the last, the
// loop head's label goes on the stack for its handler's return. True for the
// last record.
bool begin_record(uint32_t label) {
    set8(cpu.reg[9], dec<uint8_t>(cpu.reg[9]));
    if (eq()) return true;
    push(label);
    return false;
}

// After a record's handler: true, with the next record and counter, when the
// handler came back to the loop head; false when the pass is over.
bool next_record(bool last, uint32_t label) {
    if (last || !at_label(label)) return false;
    cpu.reg[10] += spawn_record::size;
    cpu.reg[11] += 2;
    return true;
}

}  // namespace

// ---- generators ----

// Generator start: counts the area's records up to the first type byte with
// bit 7, clears their counters and takes the camera X; a placed-object area
// gets the window pass, any other a progress watcher and the sweep pass. The
// first pass runs at once. An empty list ends the generator.
// In: R20 = the generator (a 256-byte object).
void sub_066200() {
    ROUTINE_ENTRY(0x066200);
    const uint32_t generator = cpu.reg[20];
    orb_write16(generator + object_record::flags, 0);
    if (!call(sub_06640E, 0x066209, 0x066205)) return;
    cpu.reg[0] = 0;
    for (cpu.reg[1] = cpu.reg[10];; cpu.reg[1] += spawn_record::size) {
        test<uint8_t>(orb_read8(cpu.reg[1] + spawn_record::type));
        if (negative()) break;
        set8(cpu.reg[0], inc<uint8_t>(cpu.reg[0]));
    }
    orb_write8(generator + spawn_generator::count, test<uint8_t>(cpu.reg[0]));
    if (eq()) {
        sub_0663E0();
        return;
    }
    for (uint32_t n = 0; n < (cpu.reg[0] & 0xFF); ++n)
        orb_write16(generator + spawn_generator::counters + 2 * n, 0);
    orb_write16(generator + spawn_generator::last_x, camera_word(camera_record::x));
    if (test_bit(var::game_flags, game_flag::placed_objects)) {
        orb_write32(generator + object_record::routine, entry::sub_06623F /* window pass */);
        sub_06623F();
        return;
    }
    if (!call(sub_06AC8A, 0x066235, 0x066231)) return;
    orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06628B /* sweep pass */);
    sub_06628B();
}

// Window pass: a record spawns while it lies inside the window around the
// camera; a respawn delay waits at 0xFFFF until its record is outside. Each
// record's handler returns to the loop head (0x06626C) but the last, which
// returns to the object runner. Ends the generator when the area is won.
// In: R20 = the generator. Uses R9 = records left, R10 = record, R11 = its
// counter, R0/R1 = the window's corner.
void sub_06623F() {
    ROUTINE_ENTRY(0x06623F);
    if (test_bit(var::system_flags, system_flag::area_won)) {
        sub_0663E0();
        return;
    }
    if (!call(sub_06640E, 0x06624F, 0x06624B)) return;
    cpu.reg[11] = cpu.reg[20] + spawn_generator::counters;
    cpu.reg[9] = orb_read8(cpu.reg[20] + spawn_generator::count);
    for (;;) {
        // L_06626C
        set16(cpu.reg[0], sub<uint16_t>(camera_word(camera_record::x), kWindowMargin));
        set16(cpu.reg[1], sub<uint16_t>(camera_word(camera_record::y), kWindowMargin));
        const bool last = begin_record(kWindowLabel);
        const uint16_t counter = orb_read16(cpu.reg[11]);
        if (counter == spawn_counter::armed) {
            if (!call(sub_0663EC, 0x066279, 0x066275)) return;
            if (eq())
                sub_0662E2();
            else
                ret();
        } else if (counter < spawn_counter::done) {
            cpu.reg[12] = var::object_area | counter;
            sub_066378();
        } else if (counter == spawn_counter::done) {
            ret();
        } else if (counter != 0xFFFF) {
            orb_write16(cpu.reg[11], inc<uint16_t>(counter));
            ret();
        } else {
            if (!call(sub_0663EC, 0x066285, 0x066281)) return;
            if (ne()) orb_write16(cpu.reg[11], spawn_counter::armed);
            ret();
        }
        if (!next_record(last, kWindowLabel)) return;
    }
}

// Sweep pass: a record spawns when its trigger X lies between the camera X of
// the last pass and the current one, both included, whichever way the camera
// went; a respawn delay re-arms when it wraps to 0. Each record's handler
// returns to the loop head (0x0662BB) but the last, which returns to the
// object runner. Ends the generator when the area is won.
// In: R20 = the generator. Uses R9, R10, R11 as the window pass; R2 = the
// lower X, R3 = the distance swept.
void sub_06628B() {
    ROUTINE_ENTRY(0x06628B);
    if (test_bit(var::system_flags, system_flag::area_won)) {
        sub_0663E0();
        return;
    }
    if (!call(sub_06640E, 0x06629B, 0x066297)) return;
    const uint32_t generator = cpu.reg[20];
    cpu.reg[0] = camera_word(camera_record::x);
    cpu.reg[1] = orb_read16(generator + spawn_generator::last_x);
    const uint16_t moved = sub<uint16_t>(cpu.reg[0], cpu.reg[1]);
    if (less()) {
        cpu.reg[2] = cpu.reg[0];
        cpu.reg[3] = neg<uint16_t>(moved);
    } else {
        cpu.reg[2] = cpu.reg[1];
        cpu.reg[3] = moved;
    }
    orb_write16(generator + spawn_generator::last_x, static_cast<uint16_t>(cpu.reg[0]));
    cpu.reg[11] = generator + spawn_generator::counters;
    cpu.reg[9] = orb_read8(generator + spawn_generator::count);
    for (;;) {
        // L_0662BB
        const bool last = begin_record(kSweepLabel);
        const uint16_t counter = orb_read16(cpu.reg[11]);
        if (counter == spawn_counter::armed) {
            cmp<uint16_t>(sub<uint16_t>(orb_read16(cpu.reg[10] + spawn_record::trigger_x), cpu.reg[2]),
                          cpu.reg[3]);
            if (not_higher())
                sub_0662E2();
            else
                ret();
        } else if (counter < spawn_counter::done) {
            cpu.reg[12] = var::object_area | counter;
            sub_066378();
        } else if (counter == spawn_counter::done) {
            ret();
        } else {
            orb_write16(cpu.reg[11], inc<uint16_t>(counter));
            ret();
        }
        if (!next_record(last, kSweepLabel)) return;
    }
}

// Spawn attempt. A boss record (flags 0 or negative) opens the wave gate and
// queues its two sounds; any other needs the gate open when it has bit 5,
// raises the wave lock when it has bit 6 (even if it then fails), and needs
// the bit whose number is the difficulty factor (never for factor 0; the
// flags are read as the low byte of a 32-bit word). The new 128-byte object
// gets the type's routine, the record's position and its spawn data; an empty
// pool leaves the record armed. In: R10 = the record, R11 = its counter.
void sub_0662E2() {
    ROUTINE_ENTRY(0x0662E2);
    test<uint8_t>(orb_read8(cpu.reg[10] + spawn_record::flags));
    if (less_equal()) {
        set_bit(var::game_flags, game_flag::wave_gate);
        cpu.reg[0] = kBossSound;
        if (!call(sub_088F98, 0x0662F5, 0x0662F0)) return;
        cpu.reg[0] = kBossMusic;
        if (!call(sub_088F98, 0x0662FF, 0x0662FA)) return;
    } else {
        const uint8_t flags = orb_read8(cpu.reg[10] + spawn_record::flags);
        if ((flags >> spawn_record::after_boss) & 1) {
            if (!test_bit(var::game_flags, game_flag::wave_gate)) {
                ret();
                return;
            }
        }
        if ((flags >> spawn_record::wave_lock) & 1) set_bit(var::enemy_flags, enemy_flag::wave_lock);
        cpu.reg[0] = orb_read8(rom::difficulty_factor_table + orb_read8(var::game_flags));
        test<uint8_t>(cpu.reg[0]);
        if (eq() || !test_bit(cpu.reg[10] + spawn_record::flags, cpu.reg[0])) {
            ret();
            return;
        }
    }
    if (!call(sub_088C67, 0x066341, 0x06633C)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x066348, 0x066343)) return;
    const uint32_t object = cpu.reg[21], record = cpu.reg[10];
    orb_write16(cpu.reg[11], static_cast<uint16_t>(object));
    orb_write32(object + object_record::routine,
                orb_read32(rom::spawn_routine_table + 4u * orb_read8(record + spawn_record::type)));
    orb_write16(object + object_record::world_x, orb_read16(record + spawn_record::world_x));
    orb_write16(object + object_record::world_y, orb_read16(record + spawn_record::world_y));
    cpu.reg[0] = load_zx16(record + spawn_record::data_offset);
    if (test<uint16_t>(cpu.reg[0]) != 0)
        orb_write32(object + object_record::data_pointer, record + spawn_record::data_offset + cpu.reg[0]);
    ret();
}

// Live-object check: the record's object is gone once the flags of whatever
// object now lives at its address have bit 0 clear. A boss record then ends
// the area (and play, for a negative flags byte), a wave-lock record releases
// the lock, and the counter becomes the respawn delay or done.
// In: R10 = the record, R11 = its counter, R12 = the object.
void sub_066378() {
    ROUTINE_ENTRY(0x066378);
    if (test_bit(cpu.reg[12] + object_record::flags, object_flag::alive)) {
        ret();
        return;
    }
    const uint8_t flags = orb_read8(cpu.reg[10] + spawn_record::flags);
    test<uint8_t>(flags);
    if (less_equal()) {
        if (negative()) set_bit(var::game_flags, game_flag::play_over);
        set_bit(var::system_flags, system_flag::area_won);
    }
    if ((flags >> spawn_record::wave_lock) & 1) clear_bit(var::enemy_flags, enemy_flag::wave_lock);
    orb_write16(cpu.reg[11],
                (flags >> spawn_record::respawn) & 1 ? spawn_counter::respawn_delay : spawn_counter::done);
    ret();
}

// Ends the generator: unlinked, and its address pushed back on the 256-byte
// pool's free stack. In: R20 = the generator.
void sub_0663E0() {
    ROUTINE_ENTRY(0x0663E0);
    if (!call(sub_088CD3, 0x0663E5, 0x0663E0)) return;
    const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_256));
    orb_write16(var::free_stack_256, count);
    orb_write16(var::free_stack_256 + 2u * count, static_cast<uint16_t>(cpu.reg[20]));
    ret();
}

// Window test of a record's world position, both ends included.
// In: R10 = the record, R0 low = camera X - 160, R1 low = camera Y - 160.
// Out: Z set when inside.
void sub_0663EC() {
    ROUTINE_ENTRY(0x0663EC);
    cmp<uint16_t>(sub<uint16_t>(orb_read16(cpu.reg[10] + spawn_record::world_x), cpu.reg[0]), kWindowWidth);
    if (higher()) {
        cpu.z = 0;
        ret();
        return;
    }
    cmp<uint16_t>(sub<uint16_t>(orb_read16(cpu.reg[10] + spawn_record::world_y), cpu.reg[1]), kWindowHeight);
    cpu.z = !higher();
    ret();
}

// The current area's spawn list. Out: R10 = the list, from the stage's table
// of per-area lists.
void sub_06640E() {
    ROUTINE_ENTRY(0x06640E);
    cpu.reg[10] = orb_read32(rom::spawn_list_table + 4u * orb_read8(var::stage));
    cpu.reg[10] = orb_read32(cpu.reg[10] + 4u * orb_read8(var::area));
    ret();
}

// ---- progress watcher ----

// Starts the watcher: a 128-byte object on the ring, restarting in its first
// frame; nothing when the pool is empty. In: R20 = the generator.
void sub_06AC8A() {
    ROUTINE_ENTRY(0x06AC8A);
    if (!call(sub_088C67, 0x06AC8F, 0x06AC8A)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x06AC96, 0x06AC91)) return;
    orb_write16(cpu.reg[21] + object_record::flags, 0);
    orb_write8(cpu.reg[21] + object_record::state, watcher_state::restart);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_06ACB8 /* watcher */);
    ret();
}

// The watcher's routine. Once the wave gate opens it hands over to its
// closing routine; while the wave lock holds it waits. Otherwise it counts
// the frames in which the camera has gone less than 320 since the restart, no
// player slot is out and fewer than two stallers live, and sends a kind-58
// enemy after 900 frames for each enemy (plus one) alive at most since the
// restart; anything else restarts the count. In: R20 = the watcher.
void sub_06ACB8() {
    ROUTINE_ENTRY(0x06ACB8);
    const uint32_t watcher = cpu.reg[20];
    if (test_bit(var::game_flags, game_flag::wave_gate)) {
        orb_write32(watcher + object_record::routine, entry::sub_06AD8A /* watcher closing */);
        ret();
        return;
    }
    if (test_bit(var::enemy_flags, enemy_flag::wave_lock)) {
        ret();
        return;
    }
    if (orb_read8(watcher + object_record::state) == watcher_state::restart) {
        orb_write16(watcher + progress_watcher::frames, 0);
        orb_write16(watcher + progress_watcher::progress, 0);
        orb_write8(watcher + progress_watcher::peak, 0);
        orb_write8(watcher + object_record::state, watcher_state::counting);
    }
    const uint8_t live = orb_read8(var::live_enemy_count);
    cmp<uint8_t>(orb_read8(watcher + progress_watcher::peak), live);
    if (carry()) orb_write8(watcher + progress_watcher::peak, live);
    cmp<uint8_t>(orb_read8(watcher + progress_watcher::stallers), kMaxStallers);
    if (carry()) {
        players_in_play();
        if (ne()) {
            cpu.reg[0] = camera_word(camera_record::x);
            const uint16_t delta = sub<uint16_t>(cpu.reg[0], orb_read16(watcher + progress_watcher::last_x));
            orb_write16(watcher + progress_watcher::last_x, static_cast<uint16_t>(cpu.reg[0]));
            const uint16_t progress = add<uint16_t>(orb_read16(watcher + progress_watcher::progress), delta);
            cmp<uint16_t>(progress, kProgressLimit);
            if (carry()) {
                orb_write16(watcher + progress_watcher::progress, progress);
                const uint16_t frames = inc<uint16_t>(orb_read16(watcher + progress_watcher::frames));
                orb_write16(watcher + progress_watcher::frames, frames);
                const uint16_t limit =
                    mulu<uint16_t>(kPatience, add<uint16_t>(orb_read8(watcher + progress_watcher::peak), 1));
                cmp<uint16_t>(frames, limit);
                if (carry()) {
                    ret();
                    return;
                }
                if (!call(sub_06AD9C, 0x06AD7D, 0x06AD79)) return;
            }
        }
    }
    orb_write8(cpu.reg[20] + object_record::state, watcher_state::restart);
    ret();
}

// The watcher after the wave gate opened: freed in the first frame its count
// of live stallers is 0. In: R20 = the watcher.
void sub_06AD8A() {
    ROUTINE_ENTRY(0x06AD8A);
    if (test<uint8_t>(orb_read8(cpu.reg[20] + progress_watcher::stallers)) != 0) {
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x06AD96, 0x06AD92)) return;
    sub_088D0C();
}

// Sends a staller: a 128-byte object on the ring naming the watcher as its
// partner, with kind 58's set-up as its routine; nothing when the pool is
// empty. In: R20 = the watcher.
void sub_06AD9C() {
    ROUTINE_ENTRY(0x06AD9C);
    if (!call(sub_088C67, 0x06ADA1, 0x06AD9C)) return;
    if (eq()) {
        ret();
        return;
    }
    if (!call(sub_088CA5, 0x06ADA8, 0x06ADA3)) return;
    orb_write16(cpu.reg[21] + object_record::partner, static_cast<uint16_t>(cpu.reg[20]));
    orb_write16(cpu.reg[21] + object_record::flags, 0);
    orb_write32(cpu.reg[21] + object_record::routine, entry::sub_06ADBB /* staller setup */);
    ret();
}

// A staller's routine: at its defeat the defeat sound and the flying piece
// once, then the plain routine. In: R20 = the staller.
void sub_06AEA4() {
    ROUTINE_ENTRY(0x06AEA4);
    if (test_bit(cpu.reg[20] + object_record::flags, object_flag::defeated)) {
        cpu.reg[0] = kStallerDefeatSound;
        if (!call(sub_088F98, 0x06AEB3, 0x06AEAE)) return;
        if (!call(sub_0737D9, 0x06AEBA, 0x06AEB5)) return;
        orb_write32(cpu.reg[20] + object_record::routine, entry::sub_06AEDA /* staller */);
    }
    sub_06AEDA();
}

// A staller fights while the wave gate and the wave lock are closed and a
// player can be stalling; otherwise it stops, stops being alive and shrinks
// away. In: R20 = the staller.
void sub_06AEDA() {
    ROUTINE_ENTRY(0x06AEDA);
    const uint32_t staller = cpu.reg[20];
    if (!test_bit(var::game_flags, game_flag::wave_gate) &&
        !test_bit(var::enemy_flags, enemy_flag::wave_lock)) {
        players_in_play();
        if (ne()) {
            sub_06A1DA();
            return;
        }
    }
    orb_write8(staller + object_record::velocity_x, 0);
    orb_write8(staller + object_record::velocity_y, 0);
    clear_bit(staller + object_record::flags, object_flag::alive);
    orb_write32(staller + object_record::routine, entry::sub_06AF40 /* staller shrink */);
    sub_06AF40();
}

// A staller shrinking away without rising; when gone it counts itself off
// the watcher's stallers and frees itself (live_enemy_count is not its
// business). In: R20 = the staller.
void sub_06AF40() {
    ROUTINE_ENTRY(0x06AF40);
    if (shrink_first_part(cpu.reg[20]) != 0) {
        sub_069130();
        return;
    }
    // The watcher is named by the low half of +14 in the object area: the
    // high half of the work-RAM base is replaced, not added to.
    cpu.reg[10] = (cpu.reg[25] & 0xFFFF0000u) | orb_read16(cpu.reg[20] + object_record::partner);
    orb_write8(cpu.reg[10] + progress_watcher::stallers,
               dec<uint8_t>(orb_read8(cpu.reg[10] + progress_watcher::stallers)));
    if (!call(sub_088CD3, 0x06AF9F, 0x06AF9B)) return;
    sub_088D0C();
}
