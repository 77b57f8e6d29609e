// The platform enemies' shared pieces: the code that several AI types' state
// tables name by an address inside another routine (not routines of their
// own, reached only as the last act of a state dispatch), and small field
// helpers of the actions.
#pragma once
#include <cstdint>

#include "board/machine.h"
#include "game/actors/vars.h"
#include "game/engine/vars.h"
#include "game/flow/vars.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

// Start code at 0x07A4F5: on the ground, the next state, a new decision time,
// the start animation, then the wait. In: R20 = the enemy.
void ai_start_code();
// Stun countdown at 0x07A6A0: the stun's last frame makes the enemy tangible
// and takes the landing state. In: R20 = the enemy.
void ai_stun_countdown();

namespace platform_ai {

// The nibble index of the small per-type byte tables: bits 4 to 7 of byte +6.
inline uint32_t nibble(uint32_t o) { return orb_read8(o + 6) >> 4; }
inline uint32_t owner_of(uint32_t o) { return linked(o, object_record::owner); }
// The current segment entry of the enemy's platform list.
inline uint32_t segment(uint32_t o) {
    return orb_read32(o + platform_enemy::ai_platforms) + orb_read8(o + platform_enemy::ai_segment);
}

inline void add_state(uint32_t o, uint32_t n) {
    orb_write8(o + object_record::state, guest::add<uint8_t>(orb_read8(o + object_record::state), n));
}
// velocity_y + 1, the new value read signed.
inline int8_t speed_up(uint32_t o) {
    const uint8_t v = guest::inc<uint8_t>(orb_read8(o + object_record::velocity_y));
    orb_write8(o + object_record::velocity_y, v);
    return static_cast<int8_t>(v);
}
// The 16-bit field += the signed byte at speed.
inline void move_by(uint32_t o, uint32_t field, uint32_t speed) {
    orb_write16(o + field, guest::add<uint16_t>(orb_read16(o + field), guest::sx8(orb_read8(o + speed))));
}

// A watch's interval: ai_attack_timer - 1; false while it stays above 0
// (signed), else the timer is left at 0 and the watch probes this frame.
inline bool watch_due(uint32_t o) {
    count_down8_sets_flags(o + platform_enemy::ai_attack_timer);
    if (guest::greater()) return false;
    orb_write8(o + platform_enemy::ai_attack_timer, 0);
    return true;
}

// Word +100 of the first copied part (a size field in its low 10 bits) grows
// by 6, or becomes 0x3FF when the low 10 bits of the sum come to 0, ORed
// over its own top 6 bits: the shrink of a defeat and of type 3's object.
inline void widen_part(uint32_t o) {
    const uint16_t w = orb_read16(o + platform_enemy::part_word2);
    uint16_t s = static_cast<uint16_t>(w + 6);
    if ((s & 0x3FF) == 0) s = 0x3FF;
    orb_write16(o + platform_enemy::part_word2, static_cast<uint16_t>((w & 0xFC00) | s));
}

}  // namespace platform_ai
