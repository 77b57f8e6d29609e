// Guest addresses inside routines that the game holds as data (an object's
// routine, a state table's entry, a register a routine leaves for its caller)
// but that start no row of the routine list, so they have no entry:: name.
// Each is named here once, for game code and tests alike.
#pragma once
#include <cstdint>

namespace continuation {

// A player record's routine while its slot is out of play; nothing stores it,
// but the in-play tests compare with it.
inline constexpr uint32_t out_of_play = 0x062D3A;
// Where a joining player's slot goes on once it is in play: no translated
// routine, the run ends there.
inline constexpr uint32_t join_in_play = 0x0635E5;
// The generic start code that several types' state tables reach (ai_start_code).
inline constexpr uint32_t start_code = 0x07A4F5;
// The countdown inside the generic stun action (ai_stun_countdown).
inline constexpr uint32_t stun_countdown = 0x07A6A0;

}  // namespace continuation
