// Variables of the game flow and the players (modes, attract cycle, player
// slots and records, panels, results and ranking), named once. Absolute guest
// addresses; see game/engine/vars.h for the conventions.
#pragma once
#include <cstdint>

namespace var {

constexpr uint32_t player_records = 0x20A000;  // 4 player records of 256 bytes, slot 0 first

}  // namespace var

// Fields of a player record beyond the common object head.
namespace player_record {
constexpr uint32_t hit_pending = 159;  // 8-bit, non-zero while an enemy holds the player
}  // namespace player_record

// player_record.flags bits the enemies read.
namespace player_bit {
constexpr unsigned in_play = 0;
constexpr unsigned untouchable = 2;
}  // namespace player_bit
