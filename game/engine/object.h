// The object record that every object of the three pools (and every player
// record) begins with: the common head, the enemy fields beyond it, the bits
// of its flags word, and the accessors the translated routines reach it by.
// The game and its tests share these names.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "runtime/guest.h"
#include "runtime/v60.h"

// The high half of every object's address (and of the player records'):
// objects name one another by the low halves.
inline constexpr uint32_t kHigh = 0x00200000;

// The common head of every object (and of the player records).
namespace object_record {
constexpr uint32_t flags = 0;      // 16-bit
constexpr uint32_t state = 2;      // 8-bit
constexpr uint32_t type = 3;       // 8-bit
constexpr uint32_t routine = 4;    // 32-bit guest address, called once a frame
constexpr uint32_t prev = 8;       // 16-bit low half
constexpr uint32_t next = 10;      // 16-bit low half
constexpr uint32_t owner = 12;     // 16-bit low half
constexpr uint32_t partner = 14;   // 16-bit low half
constexpr uint32_t screen_x = 16;  // s16
// +16 at birth, before the first placement writes screen_x and screen_y: the
// 32-bit address of the ROM data the spawner gives the object (spawn data, a
// path-script header, a pickup record, a prop's type byte).
constexpr uint32_t data_pointer = 16;
constexpr uint32_t screen_y = 18;     // s16
constexpr uint32_t frame = 20;        // 32-bit
constexpr uint32_t next_script = 24;  // 32-bit
constexpr uint32_t frame_table = 28;  // 32-bit
constexpr uint32_t world_x = 32;      // s16, quarter pixels
constexpr uint32_t world_y = 34;      // s16
constexpr uint32_t height = 36;       // s16
constexpr uint32_t frame_duration = 42;
constexpr uint32_t frame_timer = 43;
constexpr uint32_t anim_mode = 44;
constexpr uint32_t frame_index = 45;
constexpr uint32_t display_link = 46;  // 16-bit
constexpr uint32_t hitbox_data = 48;   // 32-bit
constexpr uint32_t score_value = 52;   // 16-bit
constexpr uint32_t attack_kind = 58;
constexpr uint32_t hit_reaction = 59;
constexpr uint32_t last_attacker = 60;  // 16-bit
constexpr uint32_t energy = 64;         // s16, 128- and 256-byte records
constexpr uint32_t copied_parts = 95;   // part count, then the parts copied in modes 1 and 2

// The enemy fields of a 128-byte object beyond the common head.
constexpr uint32_t enemy_tick = 38;      // 8-bit, frames moved; target re-pick when its low 4 bits are 0
constexpr uint32_t velocity_x = 39;      // s8 world units per frame
constexpr uint32_t velocity_y = 40;      // s8
constexpr uint32_t rise_speed = 41;      // 8-bit, added to the height while vanishing or leaping
constexpr uint32_t enemy_timer = 54;     // 8-bit
constexpr uint32_t approach_timer = 55;  // 8-bit
constexpr uint32_t substate = 56;        // 8-bit
constexpr uint32_t last_state = 57;      // 8-bit, differs from state in a state's first frame
constexpr uint32_t target_player =
    66;  // 16-bit low half of the target's player record (kind 2: its companion)
constexpr uint32_t state_record = 68;  // 32-bit ROM address of the kind's enemy_state_record
constexpr uint32_t target_distance =
    72;  // 32-bit squared distance to the chosen point: the claim, the smaller wins
constexpr uint32_t approach_dx = 76;     // s16
constexpr uint32_t approach_dy = 78;     // s16
constexpr uint32_t attack_pattern = 82;  // 8-bit
constexpr uint32_t target_slot = 83;   // 8-bit 0-7 (bit 0 the side), 0xFF none (set-ups write 255; the claims
                                       // pass over any value from 0x80 up)
constexpr uint32_t offset_index = 84;  // 8-bit, 0-15 into the approach offsets
}  // namespace object_record

// Bits of object_record.flags, one name each; a player record reads bit 13 as
// its own (player_bit::continuing).
namespace object_flag {
constexpr unsigned alive = 0;       // set with enemy by every enemy set-up; children end when it clears
constexpr unsigned hidden = 1;      // never drawn while set
constexpr unsigned intangible = 2;  // skipped by box tests and as a target
constexpr unsigned held = 4;        // an enemy a player holds; passed over by the vertical box tests
constexpr unsigned listed = 5;      // linked into a depth bucket this frame
constexpr unsigned mirror_x = 6;    // the facing
constexpr unsigned mirror_y = 7;
constexpr unsigned hit = 8;
constexpr unsigned defeated = 9;
constexpr unsigned touched = 10;       // the answer of every box test
constexpr unsigned effect_lives = 11;  // a child effect of the object lives
constexpr unsigned free_move = 12;     // moves without terrain tests
constexpr unsigned airborne = 13;
constexpr unsigned holds_player = 14;
constexpr unsigned enemy = 15;
}  // namespace object_flag

// The mask of the named flag bits, as the guest's masks and set-up words of
// the flags word hold them.
template <typename... Bits>
constexpr uint16_t flag_mask(Bits... bits) {
    return static_cast<uint16_t>(((1u << bits) | ...));
}

// The object another one names by the low half of its address in a field.
inline uint32_t linked(uint32_t object, uint32_t field) { return kHigh | orb_read16(object + field); }

// The small steps the translated routines take on an object, once each. A
// read or a plain store never changes a flag. A helper that steps a value
// says in its name what it does to the flags: `_sets_flags` leaves them as
// the guest's own increment or decrement does (a caller may test them
// after), `_keeps_flags` leaves them as they were.
inline uint8_t state_of(uint32_t object) { return orb_read8(object + object_record::state); }
inline void set_state(uint32_t object, uint8_t state) { orb_write8(object + object_record::state, state); }
// The state byte + 1 (INC.B).
inline void next_state_sets_flags(uint32_t object) {
    orb_write8(object + object_record::state, guest::inc<uint8_t>(state_of(object)));
}
// The byte at `address` - 1 (DEC.B), stored; true when it reached 0 (Z).
inline bool count_down8_sets_flags(uint32_t address) {
    orb_write8(address, guest::dec<uint8_t>(orb_read8(address)));
    return cpu.z;
}
// The halfword at `address` - 1 (DEC.H), stored; true when it reached 0 (Z).
inline bool count_down16_sets_flags(uint32_t address) {
    orb_write16(address, guest::dec<uint16_t>(orb_read16(address)));
    return cpu.z;
}
// A 16-bit field plus a delta (modulo 2^16).
inline void add16_keeps_flags(uint32_t address, uint32_t delta) {
    orb_write16(address, static_cast<uint16_t>(orb_read16(address) + delta));
}
// Mirror bit 6 set: the object faces right.
inline bool facing_right(uint32_t object) {
    return (orb_read16(object + object_record::flags) >> object_flag::mirror_x) & 1;
}

// Routines that run with R20 = the object in hand reach its fields here, and
// take the steps above on it.
namespace self {
inline uint32_t field(uint32_t name) { return cpu.reg[20] + name; }
inline uint8_t state() { return state_of(cpu.reg[20]); }
inline void set_state(uint8_t state) { ::set_state(cpu.reg[20], state); }
inline void next_state_sets_flags() { ::next_state_sets_flags(cpu.reg[20]); }
// The state byte + 1 by a plain store.
inline void next_state_keeps_flags() { ::set_state(cpu.reg[20], static_cast<uint8_t>(state() + 1)); }
inline bool facing_right() { return ::facing_right(cpu.reg[20]); }
}  // namespace self
