// Cameras: the scroll words and map-page picks of the four layers, the follow
// of the players within the limits that a per-area camera script opens gate
// by gate, the scripted move at an area's end, the screen shake, and the
// camera controller object that runs them once a frame.
#include "game/routines.h"
#include "game/actors/vars.h"
#include "game/engine/common.h"
#include "game/engine/states.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

// ROM tables.

// The controller's jump table of states: 3-byte branches, nine of them.
constexpr uint32_t kStateJump = 0x085969;
constexpr uint32_t kStateTable = 0x08596C;

// The player record byte the follow reads beside follow_weight.
constexpr uint32_t kFollowIndex = 38;  // its low 4 bits pick the vertical offset

constexpr uint32_t kLayer2 = var::camera_records + 2 * camera_record::size;
constexpr uint32_t kLayer3 = var::camera_records + 3 * camera_record::size;

constexpr uint16_t kScriptWait = 90;  // frames before the first limits block
constexpr uint32_t kStep = 4;         // a camera moves one pixel per axis and frame

// A signed 16-bit position in world units as pixels (arithmetic shift).
uint32_t pixels(uint32_t field) {
    return static_cast<uint32_t>(static_cast<int16_t>(orb_read16(field)) >> 2);
}

// A follow step toward lower values: the field moves by 4 when it then stays
// at or above its limit. The signed 16-bit values are compared in 32 bits, so
// a step near the end of the range does not wrap round to the other end.
void step_down(uint32_t field, uint32_t limit) {
    const uint32_t moved = sx16(orb_read16(field)) - kStep;
    cmp<uint32_t>(moved, sx16(orb_read16(limit)));
    if (greater_equal()) orb_write16(field, static_cast<uint16_t>(moved));
}

// ... and toward higher values, staying at or below its limit.
void step_up(uint32_t field, uint32_t limit) {
    const uint32_t moved = sx16(orb_read16(field)) + kStep;
    cmp<uint32_t>(moved, sx16(orb_read16(limit)));
    if (less_equal()) orb_write16(field, static_cast<uint16_t>(moved));
}

// The players' midpoint in pixels from two bounds in world units: the two
// 16-bit values are added in 32 bits, so players far right do not wrap it.
uint32_t midpoint(uint32_t high, uint32_t low) { return sha<uint32_t>(sx16(high) + sx16(low), 0xFD); }

// Compares the players' vertical midpoint (R5, R6) with the camera's anchor
// row; the flags tell the way: not equal to move, less to move up.
void compare_vertical(uint32_t anchor) {
    cmp<uint32_t>(midpoint(cpu.reg[5], cpu.reg[6]), pixels(cpu.reg[15] + camera_record::y) + anchor);
}

// A 10-byte limits block into the camera R15 and the script's two bytes.
void copy_limits(uint32_t block) {
    const uint32_t camera = cpu.reg[15];
    orb_write16(camera + camera_record::x_min, orb_read16(block));
    orb_write16(camera + camera_record::y_min, orb_read16(block + 2));
    orb_write16(camera + camera_record::x_max, orb_read16(block + 4));
    orb_write16(camera + camera_record::y_max, orb_read16(block + 6));
    orb_write8(var::camera_script_hold, orb_read8(block + 8));
    orb_write8(var::camera_script_byte, orb_read8(block + 9));
}

// One axis of the scripted move: 4 toward the target, down when the axis
// is at or above it; an axis off its target clears the reached mark.
void move_axis(uint32_t field, uint32_t target) {
    const uint16_t value = orb_read16(field);
    cmp<uint16_t>(value, orb_read16(target));
    if (eq()) return;
    const bool down = greater_equal();
    orb_write8(var::camera_target_reached, 0);
    orb_write16(field, static_cast<uint16_t>(down ? value - kStep : value + kStep));
}

// One shake step on the playfield camera: y += the step's offset, without
// limits; the step counts on and wraps to 0 after 15, which ends the shake.
void shake_step() {
    const uint8_t step = orb_read8(var::camera_shake_step);
    const uint32_t field = orb_read32(var::camera_pointer) + camera_record::y;
    orb_write16(field, static_cast<uint16_t>(orb_read16(field) + orb_read16(rom::shake_offsets + 2u * step)));
    orb_write8(var::camera_shake_step, (step + 1) & 15);
}

// The controller counts itself as a live enemy while layers 2 and 3 scroll in.
void count_enemies(int8_t change) {
    orb_write8(var::live_enemy_count,
               add<uint8_t>(orb_read8(var::live_enemy_count), static_cast<uint32_t>(change)));
}

}  // namespace

// Applies one camera: the scroll words and page picks from the position of
// the previous application, then x and y become the applied position.
// In: R15 camera, R0 halfword index of its scroll words, R11 page picks.
// Out: R11 advanced by 4.
void sub_0852B1() {
    ROUTINE_ENTRY(0x0852B1);
    if (!call(sub_0852BE, 0x0852B4, 0x0852B1)) return;
    if (!call(sub_0852EF, 0x0852B7, 0x0852B4)) return;
    orb_write32(cpu.reg[15] + camera_record::applied_x, orb_read32(cpu.reg[15] + camera_record::x));
    ret();
}

// Scroll words of a camera: x scroll (applied_x >> 2) & 0x1FF at R25 + 2 × R0,
// y scroll (applied_y >> 2) & 0xFF 4 bytes on; both logical shifts of the
// unsigned word, so the layers wrap every 512 and 256 pixels.
// In: R15 camera, R0 halfword index.
void sub_0852BE() {
    ROUTINE_ENTRY(0x0852BE);
    const uint32_t camera = cpu.reg[15];
    const uint32_t words = cpu.reg[25] + 2 * cpu.reg[0];
    orb_write16(words, (orb_read16(camera + camera_record::applied_x) >> 2) & 0x1FF);
    orb_write16(words + 4, (orb_read16(camera + camera_record::applied_y) >> 2) & 0xFF);
    ret();
}

// Page picks of a camera: the page numbers of the map pages at the applied
// position, right of it, below it and below right, taken from the map header
// without wrap (past the last column or row they read the next header bytes).
// In: R15 camera, R11 destination. Out: R11 advanced by 4.
void sub_0852EF() {
    ROUTINE_ENTRY(0x0852EF);
    const uint32_t camera = cpu.reg[15];
    const uint32_t pages = orb_read32(camera + camera_record::map_header) + 2;
    const uint8_t width = orb_read8(pages - 2);
    const uint8_t column = (orb_read16(camera + camera_record::applied_x) >> 11) & 0x1F;
    const uint8_t row = (orb_read16(camera + camera_record::applied_y) >> 10) & 0x3F;
    const uint8_t here = static_cast<uint8_t>(row * width + column);
    const uint8_t below = static_cast<uint8_t>(here + width);
    orb_write8(cpu.reg[11], orb_read8(pages + here));
    orb_write8(cpu.reg[11] + 1, orb_read8(pages + here + 1));
    orb_write8(cpu.reg[11] + 2, orb_read8(pages + below));
    orb_write8(cpu.reg[11] + 3, orb_read8(pages + below + 1));
    cpu.reg[11] += 4;
    ret();
}

// Follow step up: y -= 4 when that stays at or above y_min. In: R15 camera.
void sub_08532C() {
    ROUTINE_ENTRY(0x08532C);
    step_down(cpu.reg[15] + camera_record::y, cpu.reg[15] + camera_record::y_min);
    ret();
}

// Follow step down: y += 4 when that stays at or below y_max. In: R15 camera.
void sub_08533F() {
    ROUTINE_ENTRY(0x08533F);
    step_up(cpu.reg[15] + camera_record::y, cpu.reg[15] + camera_record::y_max);
    ret();
}

// The camera controller's routine, once a frame: the shake, then its state.
// 0 takes the partner object, 1 runs the camera script until the camera has
// left the area's start, 2 scrolls layers 2 and 3 in, 3 runs the script with
// layers 2 and 3 kept below the playfield, 4 follows behind the last gate
// until the area is won, 5 moves the camera to the area's end, 6 waits and
// asks for the area change, 7 waits for it and then frees the controller.
// States 0 to 5 end in the common tail: layer 0 copies the playfield camera,
// the partner runs, every camera is applied and the players are placed.
// In: R20 the controller.
void sub_08595F() {
    ROUTINE_ENTRY(0x08595F);
    if (!call(sub_08705E, 0x085964, 0x08595F)) return;
    {
        const uint8_t state = orb_read8(cpu.reg[20] + object_record::state);
        switch (state) {
        case camera_state::setup:
        case camera_state::setup_again:  // the table's ninth branch goes to state 0
            break;
        case camera_state::leave_start: goto L_0859B8;
        case camera_state::layers_in: goto L_0859E5;
        case camera_state::layered: goto L_085A25;
        case camera_state::last_gate: goto L_085A4B;
        case camera_state::to_area_end: goto L_085A71;
        case camera_state::ask_change: goto L_085A86;
        case camera_state::wait_change: goto L_085AB6;
        default: v60_unknown_jump(kStateTable + 3u * state, kStateJump);
        }
    }
    // State 0: the script from its start, and the partner object.
    orb_write8(cpu.reg[20] + camera_controller::script_step, 0);
    if (!call(sub_088C67, 0x085994, 0x08598F)) return;
    if (eq()) {
        // The 128-byte pool is empty: no partner. The guest would adopt the
        // object R21 still names and run its routine every frame; instead
        // the controller goes on alone and the common tail skips the call.
        orb_write16(cpu.reg[20] + object_record::partner, 0);
    } else {
        orb_write32(cpu.reg[21] + object_record::routine, entry::sub_0810CE /* partner */);
        orb_write16(cpu.reg[21] + object_record::owner, static_cast<uint16_t>(cpu.reg[20]));
        orb_write16(cpu.reg[20] + object_record::partner, static_cast<uint16_t>(cpu.reg[21]));
    }
L_0859B8:  // state 1
    cmp<uint16_t>(orb_read16(var::playfield_camera + camera_record::x), 64);
    if (less()) {
        cpu.reg[15] = var::playfield_camera;
        if (!call(sub_086BDF, 0x0859CB, 0x0859C6)) return;
        goto L_085AF0;
    }
    next_state_sets_flags(cpu.reg[20]);
    count_enemies(1);
    set8(cpu.reg[0], 0xE8);
    if (!call(sub_088F98, 0x0859E5, 0x0859E0)) return;
L_0859E5:  // state 2
    orb_write16(kLayer2 + camera_record::x, sub<uint16_t>(orb_read16(kLayer2 + camera_record::x), 28));
    orb_write16(kLayer3 + camera_record::x, sub<uint16_t>(orb_read16(kLayer3 + camera_record::x), 28));
    cmp<uint16_t>(orb_read16(kLayer2 + camera_record::x), 512);
    if (less()) {
        orb_write16(kLayer2 + camera_record::x, 0);
        orb_write16(kLayer3 + camera_record::x, 0);
        next_state_sets_flags(cpu.reg[20]);
        count_enemies(-1);
        set8(cpu.reg[0], 0xE9);
        if (!call(sub_088F98, 0x085A25, 0x085A20)) return;
    }
L_085A25:  // state 3
    cpu.reg[15] = var::playfield_camera;
    if (!call(sub_086BDF, 0x085A30, 0x085A2B)) return;
    cpu.reg[15] = kLayer2;
    if (!call(sub_086F1C, 0x085A3B, 0x085A36)) return;
    cpu.reg[15] = kLayer3;
    if (!call(sub_086F1C, 0x085A46, 0x085A41)) return;
    goto L_085AF0;
L_085A4B:  // state 4
    cpu.reg[15] = var::playfield_camera;
    if (!test_bit(var::system_flags, system_flag::area_won)) {
        if (!call(sub_086C9B, 0x085A5F, 0x085A5A)) return;
        goto L_085AF0;
    }
    cpu.reg[10] = rom::move_target;
    if (!call(sub_086F8B, 0x085A71, 0x085A6C)) return;
L_085A71:  // state 5
    cpu.reg[15] = var::playfield_camera;
    if (!call(sub_0868D2, 0x085A7C, 0x085A77)) return;
    if (!call(sub_086E9B, 0x085A81, 0x085A7C)) return;
    goto L_085AF0;
L_085A86:  // state 6
    {
        const uint32_t timer = cpu.reg[20] + camera_controller::timer;
        orb_write16(timer, dec<uint16_t>(orb_read16(timer)));
    }
    if (eq()) {
        clear_bit(var::system_flags, system_flag::area_won);
        set_bit(var::system_flags, system_flag::area_change_by_zoom);
        clear_bit(var::game_flags, game_flag::wave_gate);
        next_state_sets_flags(cpu.reg[20]);
    }
    if (!call(sub_063C2C, 0x085AB5, 0x085AB0)) return;
    ret();
    return;
L_085AB6:  // state 7
    if (!test_bit(var::game_flags, game_flag::area_change)) {
        if (!call(sub_063C2C, 0x085AC9, 0x085AC4)) return;
        ret();
        return;
    }
    if (!call(sub_088CD3, 0x085ACF, 0x085ACA)) return;
    {
        const uint16_t count = inc<uint16_t>(orb_read16(var::free_stack_64));
        orb_write16(var::free_stack_64, count);
        orb_write16(var::free_stack_64 + 2u * count, static_cast<uint16_t>(cpu.reg[20]));
    }
    ret();
    return;
L_085AF0:  // common tail of states 0 to 5
    cpu.reg[15] = var::camera_records;
    if (!call(sub_086985, 0x085AFB, 0x085AF6)) return;
    test<uint16_t>(orb_read16(cpu.reg[20] + object_record::partner));
    if (ne()) {
        push(cpu.reg[20]);
        set16(cpu.reg[20], orb_read16(cpu.reg[20] + object_record::partner));
        if (!call_at(orb_read32(cpu.reg[20] + object_record::routine), 0x085B0D, 0x085B0A)) return;
        cpu.reg[20] = pop();
    }
    if (!call(sub_086E28, 0x085B14, 0x085B0F)) return;
    if (!call(sub_063C2C, 0x085B19, 0x085B14)) return;
    ret();
}

// End of the scripted move: when the previous move step found the camera on
// its target, the controller goes to its next state, the area change starts
// (system_flags bit 14), the controller's timer is set to 90, the players
// are placed, and the controller's frame ends here: the return goes past the
// controller to its caller. Otherwise nothing. In: R20 the controller.
void sub_0868D2() {
    ROUTINE_ENTRY(0x0868D2);
    test<uint8_t>(orb_read8(var::camera_target_reached));
    if (eq()) {
        ret();
        return;
    }
    next_state_sets_flags(cpu.reg[20]);
    set_bit(var::system_flags, system_flag::area_changing);
    // Only the low byte: the word was counted down to 0 by the script.
    orb_write8(cpu.reg[20] + camera_controller::timer, 90);
    if (!call(sub_063C2C, 0x0868F5, 0x0868F0)) return;
    pop();  // our own return address
    ret();
}

// Copies x and y of the playfield camera (camera_pointer) into camera R15.
void sub_086985() {
    ROUTINE_ENTRY(0x086985);
    const uint32_t playfield = orb_read32(var::camera_pointer);
    orb_write16(cpu.reg[15] + camera_record::x, orb_read16(playfield + camera_record::x));
    orb_write16(cpu.reg[15] + camera_record::y, orb_read16(playfield + camera_record::y));
    ret();
}

// One step of the area's camera script. Step 0 finds the script and starts a
// 90-frame wait (step 1), step 2 takes the first limits block, and step 3
// follows the players gate by gate: x_min follows x, and at a gate the
// camera holds while more enemies live than the gate's threshold for the
// number of players; then x_max opens to the next gate, or the end mark's
// final limits block is taken and the controller moves to its next state.
// In: R15 the playfield camera, R20 the controller.
void sub_086BDF() {
    ROUTINE_ENTRY(0x086BDF);
    switch (orb_read8(cpu.reg[20] + camera_controller::script_step)) {
    case 0: break;
    case 1: goto L_086BFE;
    case 2: goto L_086C13;
    case 3: goto L_086C2A;
    default: ret(); return;
    }
    orb_write32(cpu.reg[20] + camera_controller::script_pointer, area_table_entry(rom::camera_script_table));
    if (!call(sub_08702C, 0x086BF9, 0x086BF6)) return;
    orb_write8(cpu.reg[20] + camera_controller::script_step, 1);
L_086BFE:  // step 1: wait
    {
        const uint32_t timer = cpu.reg[20] + camera_controller::timer;
        orb_write16(timer, dec<uint16_t>(orb_read16(timer)));
    }
    if (eq()) orb_write8(cpu.reg[20] + camera_controller::script_step, 2);
    ret();
    return;
L_086C13:  // step 2: the first limits block
    {
        const uint32_t pointer = cpu.reg[20] + camera_controller::script_pointer;
        copy_limits(orb_read32(pointer));
        orb_write32(pointer, orb_read32(pointer) + 10);
        orb_write8(cpu.reg[20] + camera_controller::script_step, 3);
    }
    ret();
    return;
L_086C2A:  // step 3: gates
    {
        const uint32_t camera = cpu.reg[15];
        const uint16_t x = orb_read16(camera + camera_record::x);
        cmp<uint16_t>(x, orb_read16(camera + camera_record::x_min));
        if (greater()) orb_write16(camera + camera_record::x_min, x);
        orb_write8(var::camera_script_hold, 1);
        cmp<uint16_t>(x, orb_read16(orb_read32(cpu.reg[20] + camera_controller::script_pointer)));
    }
    if (less()) goto L_086C8E;
    orb_write8(var::camera_script_hold, 0);
    if (!call(sub_0631FD, 0x086C53, 0x086C4E)) return;
    {
        const uint32_t gate = orb_read32(cpu.reg[20] + camera_controller::script_pointer);
        cmp<uint8_t>(orb_read8(var::live_enemy_count), orb_read8(gate + 2 + (cpu.reg[1] & 0xFF)));
        if (higher()) {
            sub_086D27();
            return;
        }
        orb_write8(var::camera_script_hold, 1);
        const uint32_t pointer = cpu.reg[20] + camera_controller::script_pointer;
        orb_write32(pointer, gate + 6);
        const uint16_t next = orb_read16(gate + 6);
        if (next & 0x8000) {
            orb_write32(pointer, gate + 18);
            next_state_sets_flags(cpu.reg[20]);
            copy_limits(gate + 8);
            ret();
            return;
        }
        orb_write16(cpu.reg[15] + camera_record::x_max, next);
    }
L_086C8E:
    sub_086CAF();
}

// The follow behind the last gate (controller state 4): while more enemies
// live than the end's threshold for the number of players, vertical only;
// otherwise both axes. In: R15 camera, R20 the controller (its script
// pointer at the threshold array).
void sub_086C9B() {
    ROUTINE_ENTRY(0x086C9B);
    if (!call(sub_0631FD, 0x086CA0, 0x086C9D)) return;
    cmp<uint8_t>(
        orb_read8(var::live_enemy_count),
        orb_read8(orb_read32(cpu.reg[20] + camera_controller::script_pointer) + (cpu.reg[1] & 0xFF)));
    if (higher()) {
        sub_086D27();
        return;
    }
    sub_086CAF();
}

// Both-axis follow: the camera steps one pixel per axis toward the players'
// midpoint, within its limits. In terrain areas a running shake holds both
// axes; the vertical anchor is 176 there and 112 in placed-object areas.
// In: R15 camera.
void sub_086CAF() {
    ROUTINE_ENTRY(0x086CAF);
    cpu.reg[3] = sx16(0x8000);
    cpu.reg[4] = 0x7FFF;
    if (!call(sub_086DA9, 0x086CBE, 0x086CBB)) return;
    test<uint8_t>(cpu.reg[9]);
    if (eq()) goto L_086D26;
    {
        uint32_t anchor = 112;
        if (!test_bit(var::game_flags, game_flag::placed_objects)) {
            test<uint8_t>(orb_read8(var::camera_shake_step));
            if (ne()) goto L_086D26;
            anchor = 176;
        }
        compare_vertical(anchor);
    }
    if (ne()) {
        if (less()) {
            if (!call(sub_08532C, 0x086CED, 0x086CEA)) return;
        } else {
            if (!call(sub_08533F, 0x086CF3, 0x086CF0)) return;
        }
    }
    {
        const uint32_t camera = cpu.reg[15];
        cmp<uint32_t>(midpoint(cpu.reg[3], cpu.reg[4]), pixels(camera + camera_record::x) + 160);
        if (ne()) {
            if (less())
                step_down(camera + camera_record::x, camera + camera_record::x_min);
            else
                step_up(camera + camera_record::x, camera + camera_record::x_max);
        }
    }
L_086D26:
    ret();
}

// Vertical-only follow, anchor 176 in every area; nothing while a shake
// runs. In: R15 camera.
void sub_086D27() {
    ROUTINE_ENTRY(0x086D27);
    test<uint8_t>(orb_read8(var::camera_shake_step));
    if (ne()) goto L_086DA8;
    if (!call(sub_086DA9, 0x086D33, 0x086D30)) return;
    test<uint8_t>(cpu.reg[9]);
    if (eq()) goto L_086DA8;
    compare_vertical(176);
    if (ne()) {
        if (less()) {
            if (!call(sub_08532C, 0x086D51, 0x086D4E)) return;
        } else {
            if (!call(sub_08533F, 0x086D57, 0x086D54)) return;
        }
    }
L_086DA8:
    ret();
}

// Gathers the follow bounds over the four player records, slot 3 first:
// R5 = -32768 and R6 = 32767 before the y bounds, R9 = 0 before the mark.
// In: R3, R4 the x bounds so far. Out: R3 to R6 bounds, R9 low byte 0xFF
// when a record counted.
void sub_086DA9() {
    ROUTINE_ENTRY(0x086DA9);
    cpu.reg[5] = sx16(0x8000);
    cpu.reg[6] = 0x7FFF;
    cpu.reg[9] = 0;
    cpu.reg[19] = var::player_records + 0x300;
    if (!call(sub_086DD3, 0x086DBA, 0x086DB7)) return;
    cpu.reg[19] = var::player_records + 0x200;
    if (!call(sub_086DD3, 0x086DC2, 0x086DBF)) return;
    cpu.reg[19] = var::player_records + 0x100;
    if (!call(sub_086DD3, 0x086DCA, 0x086DC7)) return;
    cpu.reg[19] = var::player_records;
    if (!call(sub_086DD3, 0x086DD2, 0x086DCF)) return;
    ret();
}

// Adds one player to the follow bounds when its byte +148 is non-zero:
// R3 = max and R4 = min of world x, R5 = max and R6 = min of world y plus,
// in placed-object areas, its vertical offset; R9's low byte := 0xFF.
// All signed 16-bit. In: R19 the player record, R3 to R6, R9.
void sub_086DD3() {
    ROUTINE_ENTRY(0x086DD3);
    const uint32_t player = cpu.reg[19];
    test<uint8_t>(orb_read8(player + player_record::followed));
    if (eq()) {
        ret();
        return;
    }
    set8(cpu.reg[9], 0xFF);
    const uint16_t x = orb_read16(player + object_record::world_x);
    cmp<uint16_t>(x, cpu.reg[3]);
    if (greater()) set16(cpu.reg[3], x);
    cmp<uint16_t>(x, cpu.reg[4]);
    if (less()) set16(cpu.reg[4], x);
    uint16_t y = orb_read16(player + object_record::world_y);
    if (test_bit(var::game_flags, game_flag::placed_objects))
        y = add<uint16_t>(y,
                          orb_read16(rom::follow_y_offsets + 2u * (orb_read8(player + kFollowIndex) & 15)));
    cmp<uint16_t>(y, cpu.reg[5]);
    if (greater()) set16(cpu.reg[5], y);
    cmp<uint16_t>(y, cpu.reg[6]);
    if (less()) set16(cpu.reg[6], y);
    ret();
}

// Applies all four cameras, layer 0 first: scroll words at 0x208212 + 8k
// (R0 = 0x109 + 4k halfwords from R25) and page picks from 0x208240.
void sub_086E28() {
    ROUTINE_ENTRY(0x086E28);
    cpu.reg[15] = var::camera_records;
    cpu.reg[0] = (var::scroll_words - var::game_mode) / 2;
    cpu.reg[11] = var::page_picks;
    do {
        if (!call(sub_0852B1, 0x086E42, 0x086E3F)) return;
        cpu.reg[15] += camera_record::size;
        cpu.reg[0] += 4;
        cmp<uint32_t>(cpu.reg[15], var::camera_records + 4 * camera_record::size);
    } while (ne());
    ret();
}

// One step of the scripted move: each axis, x first, 4 toward its target;
// camera_target_reached is 0xFF when neither had to move, else 0.
// In: R15 camera.
void sub_086E9B() {
    ROUTINE_ENTRY(0x086E9B);
    orb_write8(var::camera_target_reached, 0xFF);
    move_axis(cpu.reg[15] + camera_record::x, cpu.reg[15] + camera_record::target_x);
    move_axis(cpu.reg[15] + camera_record::y, cpu.reg[15] + camera_record::target_y);
    ret();
}

// Keeps camera R15 448 world units (112 pixels) below the playfield camera.
void sub_086F1C() {
    ROUTINE_ENTRY(0x086F1C);
    const uint32_t playfield = orb_read32(var::camera_pointer);
    orb_write16(cpu.reg[15] + camera_record::y,
                static_cast<uint16_t>(orb_read16(playfield + camera_record::y) + 448));
    ret();
}

// Prepares the scripted move: x and y on whole pixels, the target from the
// two words at R10, the controller to its next state, the reached mark clear.
// In: R15 camera, R10 the target words, R20 the controller.
void sub_086F8B() {
    ROUTINE_ENTRY(0x086F8B);
    const uint32_t camera = cpu.reg[15];
    orb_write16(camera + camera_record::x, logic<uint16_t>(orb_read16(camera + camera_record::x) & ~3u));
    orb_write16(camera + camera_record::y, logic<uint16_t>(orb_read16(camera + camera_record::y) & ~3u));
    orb_write16(camera + camera_record::target_x, orb_read16(cpu.reg[10]));
    orb_write16(camera + camera_record::target_y, orb_read16(cpu.reg[10] + 2));
    next_state_sets_flags(cpu.reg[20]);
    orb_write8(var::camera_target_reached, 0);
    ret();
}

// The controller's timer := 90 and its next state. In: R20 the controller.
void sub_08702C() {
    ROUTINE_ENTRY(0x08702C);
    orb_write16(cpu.reg[20] + camera_controller::timer, kScriptWait);
    next_state_sets_flags(cpu.reg[20]);
    ret();
}

// Screen shake, once a frame: a request (system_flags bit 15) starts a
// 16-frame shake of the playfield camera's y, its first step in the
// request's frame; a request met at an odd step applies that step once more
// first. A running shake takes one step a frame.
void sub_08705E() {
    ROUTINE_ENTRY(0x08705E);
    if (clear_bit(var::system_flags, system_flag::shake_request)) {
        if (orb_read8(var::camera_shake_step) & 1) shake_step();
        orb_write8(var::camera_shake_step, 0);
    } else {
        test<uint8_t>(orb_read8(var::camera_shake_step));
        if (eq()) {
            ret();
            return;
        }
    }
    shake_step();
    ret();
}
