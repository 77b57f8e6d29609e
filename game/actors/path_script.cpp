// The path-script interpreter that moves the flyers and carriers: 14-byte
// entries of velocity, acceleration and a two-axis oscillation for a number
// of frames, waits for a player to line up, loops, restarts and ends; and the
// removal of a path object. Each routine runs with R20 = the object.
#include "game/actors/common.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/routines.h"
#include "game/actors/tables.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kModeTable = 0x07D25C;     // the step's jump table by path_mode
constexpr uint32_t kCommandTable = 0x07D2F2;  // ... and by command word
constexpr uint16_t kPhaseMask = 0x3FF;
constexpr uint8_t kKeep = 0x80;  // a start velocity byte that keeps the velocity
constexpr int16_t kPathHeight = 128;
constexpr uint16_t kLineUp = 32;  // a player within 0..31 of own + 16
constexpr uint16_t kLineUpBias = 16;

using self::field;

// The 14-byte entry's control word at the cursor's position: 0x80 in a byte
// of the pair keeps that velocity; others become quarter pixels (8 bits).
void start_velocity(uint32_t at, uint32_t name) {
    orb_write8(field(name), static_cast<uint8_t>(shl<uint8_t>(orb_read8(at), 2)));
}

// base += (velocity + 2) >> 2: quarter pixels rounded to whole ones.
void advance_base(uint32_t base, uint32_t velocity) {
    const uint32_t step = sha<uint32_t>(add<uint32_t>(load_sx8(field(velocity)), 2), 0xFE);
    orb_write16(field(base), add<uint16_t>(orb_read16(field(base)), step));
}

// The mode-3 and mode-4 wait: true when a player record (slots 0 to 3, in
// play or not) has its word at +axis within 0..31 of the object's + 16.
bool player_lined_up(uint32_t axis) {
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const uint32_t player = var::player_records + player_record::size * slot;
        const uint16_t gap =
            sub<uint16_t>(add<uint16_t>(orb_read16(field(axis)), kLineUpBias), orb_read16(player + axis));
        cmp<uint16_t>(gap, kLineUp);
        if (carry()) return true;
    }
    return false;
}

}  // namespace

// Removes the running path object: live_enemy_count - 1, unlink, free.
// In: R20.
void sub_07CFB2() {
    ROUTINE_ENTRY(0x07CFB2);
    orb_write8(var::live_enemy_count, dec<uint8_t>(orb_read8(var::live_enemy_count)));
    if (!call(sub_088CD3, 0x07CFBD, 0x07CFBA)) return;
    sub_088D0C();
}

// Set-up of a path object: the next state, alive (low half of flags 1),
// counted, height 128, copy-mode animation; script and shot list from the
// header at the data pointer, the first shot delay from the list's first
// word; mode 0, the per-type byte +56, the stun and the phases cleared. The
// first entry sets velocities, frames and the oscillation centre. In: R20.
void sub_07D203() {
    ROUTINE_ENTRY(0x07D203);
    orb_write8(field(object_record::state), inc<uint8_t>(orb_read8(field(object_record::state))));
    orb_write16(field(object_record::flags), 1);
    orb_write8(var::live_enemy_count, inc<uint8_t>(orb_read8(var::live_enemy_count)));
    orb_write16(field(object_record::height), kPathHeight);
    orb_write8(field(object_record::anim_mode), anim_mode::copy);
    const uint32_t header = orb_read32(field(object_record::data_pointer));
    const uint32_t script = orb_read32(header + path_script_header::first_entry);
    orb_write32(field(path_object::path_script_start), script);
    orb_write32(field(path_object::path_cursor), script);
    const uint32_t shots = orb_read32(header + path_script_header::shot_list);
    orb_write32(field(path_object::shot_list_start), shots);
    orb_write16(field(path_object::shot_delay), orb_read16(shots));
    orb_write32(field(path_object::shot_list_cursor), shots + 2);
    orb_write8(field(path_object::path_mode), 0);
    orb_write8(field(path_object::contact_cooldown), 0);
    orb_write8(field(path_object::stun_timer), 0);
    orb_write16(field(path_object::path_angle_x), 0);
    orb_write16(field(path_object::path_angle_y), 0);
    ret();
}

// One frame along the script. Timed entries move the object; a frame count
// of 0, a wait that is met or a command reads on in the same frame. The end
// commands (0, 3) set flags bit 9 and state 6; command 1 repeats the entry
// before it, command 2 restarts the script keeping phases and velocities. A
// mode above 5 or an unknown command ends the run. In: R20. R10 = the cursor.
void sub_07D252() {
    ROUTINE_ENTRY(0x07D252);
    cpu.reg[10] = orb_read32(field(path_object::path_cursor));
L_07D25A:
    {
        const uint8_t mode = orb_read8(field(path_object::path_mode));
        switch (mode) {
        case 0:
        case 5: goto L_07D290;
        case 1: break;
        case 2: goto L_07D2E0;
        case 3:
            if (!call(sub_07D3A7, 0x07D27F, 0x07D27A)) return;
            goto L_07D2F8;
        case 4:
            if (!call(sub_07D3D0, 0x07D286, 0x07D281)) return;
            goto L_07D2F8;
        default: v60_unknown_jump(kModeTable + 3u * mode, 0x07D258);
        }
        const uint16_t frames = dec<uint16_t>(orb_read16(field(path_object::path_frames)));
        orb_write16(field(path_object::path_frames), frames);
        if (!negative()) goto L_07D2F8;
        orb_write8(field(path_object::path_mode), dec<uint8_t>(mode));
        cpu.reg[10] += path_params::next_entry;
    }
L_07D290:
    {
        const uint16_t word = orb_read16(cpu.reg[10]);
        cpu.reg[10] += 2;
        if (word & 0x8000) goto L_07D2E0;
        if (word & 0x4000) {
            orb_write8(field(path_object::path_mode), static_cast<uint8_t>(word));
        } else {
            orb_write16(field(path_object::path_frames), word & 0x3FFF);
            orb_write8(field(path_object::path_mode), inc<uint8_t>(orb_read8(field(path_object::path_mode))));
        }
        orb_write32(field(path_object::path_cursor), cpu.reg[10]);
        orb_write16(field(path_object::path_base_x), orb_read16(field(object_record::world_x)));
        orb_write16(field(path_object::path_base_y), orb_read16(field(object_record::world_y)));
        cmp<uint8_t>(orb_read8(cpu.reg[10] + path_params::velocity_x), kKeep);
        if (ne()) start_velocity(cpu.reg[10] + path_params::velocity_x, path_object::path_velocity_x);
        cmp<uint8_t>(orb_read8(cpu.reg[10] + path_params::velocity_y), kKeep);
        if (eq()) goto L_07D25A;
        start_velocity(cpu.reg[10] + path_params::velocity_y, path_object::path_velocity_y);
        // The oscillation goes on from where the object stands.
        if (!call(sub_07D33F, 0x07D2D0, 0x07D2CB)) return;
        orb_write16(field(path_object::path_base_x),
                    sub<uint16_t>(orb_read16(field(path_object::path_base_x)), cpu.reg[2]));
        orb_write16(field(path_object::path_base_y),
                    sub<uint16_t>(orb_read16(field(path_object::path_base_y)), cpu.reg[3]));
        goto L_07D25A;
    }
L_07D2E0:
    {
        const uint16_t command = orb_read16(cpu.reg[10]);
        switch (command) {
        case 0:
        case 3:
            set_bit(field(object_record::flags), object_flag::defeated);
            orb_write8(field(object_record::state), path_state::script_end);
            ret();
            return;
        case 1: cpu.reg[10] -= 16; break;
        case 2: cpu.reg[10] = orb_read32(field(path_object::path_script_start)); break;
        default: v60_unknown_jump(kCommandTable + 3u * command, 0x07D2EE);
        }
        orb_write8(field(path_object::path_mode), 0);
        goto L_07D290;
    }
L_07D2F8:
    {
        const uint32_t params = cpu.reg[10];
        orb_write8(field(path_object::path_velocity_x),
                   add<uint8_t>(orb_read8(field(path_object::path_velocity_x)),
                                orb_read8(params + path_params::accel_x)));
        orb_write8(field(path_object::path_velocity_y),
                   add<uint8_t>(orb_read8(field(path_object::path_velocity_y)),
                                orb_read8(params + path_params::accel_y)));
        orb_write16(field(path_object::path_angle_x), (orb_read16(field(path_object::path_angle_x)) +
                                                       orb_read16(params + path_params::phase_step_x)) &
                                                          kPhaseMask);
        orb_write16(field(path_object::path_angle_y), (orb_read16(field(path_object::path_angle_y)) +
                                                       orb_read16(params + path_params::phase_step_y)) &
                                                          kPhaseMask);
        advance_base(path_object::path_base_x, path_object::path_velocity_x);
        advance_base(path_object::path_base_y, path_object::path_velocity_y);
        if (!call(sub_07D33F, 0x07D333, 0x07D32E)) return;
        orb_write16(field(object_record::world_x),
                    add<uint16_t>(orb_read16(field(path_object::path_base_x)), cpu.reg[2]));
        orb_write16(field(object_record::world_y),
                    add<uint16_t>(orb_read16(field(path_object::path_base_y)), cpu.reg[3]));
        ret();
    }
}

// The oscillation offsets of the current phases. In: R20, R10 = the entry's
// parameter block. Out: R0, R1 = wave_table[path_angle_x], [path_angle_y];
// R2 = (amplitude x × R0) >> 12, R3 = (amplitude y × R1) >> 12.
void sub_07D33F() {
    ROUTINE_ENTRY(0x07D33F);
    cpu.reg[0] = load_sx16(rom::wave_table + 2u * orb_read16(field(path_object::path_angle_x)));
    cpu.reg[1] = load_sx16(rom::wave_table + 2u * orb_read16(field(path_object::path_angle_y)));
    cpu.reg[2] =
        sha<uint32_t>(mul<uint32_t>(load_sx16(cpu.reg[10] + path_params::amplitude_x), cpu.reg[0]), 0xF4);
    cpu.reg[3] =
        sha<uint32_t>(mul<uint32_t>(load_sx16(cpu.reg[10] + path_params::amplitude_y), cpu.reg[1]), 0xF4);
    ret();
}

// Mode 3: returns when no player lines up in X; otherwise the entry ends
// (sub_07D3F9). In: R20, R10 = the cursor.
void sub_07D3A7() {
    ROUTINE_ENTRY(0x07D3A7);
    if (player_lined_up(object_record::world_x)) {
        sub_07D3F9();
        return;
    }
    ret();
}

// Mode 4: the same in Y. In: R20, R10 = the cursor.
void sub_07D3D0() {
    ROUTINE_ENTRY(0x07D3D0);
    if (player_lined_up(object_record::world_y)) {
        sub_07D3F9();
        return;
    }
    ret();
}

// A met wait ends its entry: the step's return is dropped, mode 0, the
// cursor on the next control word, and the step reads on from there, so it
// returns straight to the object routine. In: R20, R10 = the cursor.
void sub_07D3F9() {
    ROUTINE_ENTRY(0x07D3F9);
    pop();
    orb_write8(field(path_object::path_mode), 0);
    cpu.reg[10] += path_params::next_entry;
    orb_write32(field(path_object::path_cursor), cpu.reg[10]);
    sub_07D252();
}
