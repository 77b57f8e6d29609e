// Tables of the program ROM that the game flow and the players read, named once
// by their guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- boss_bar ----

// ---- character_select ----

// ---- effects ----

// ---- indicators ----

// ---- ingame ----

// ---- modes ----

// ---- panels ----

// ---- placed_objects ----

// ---- player ----

// ---- player_attacks ----

// ---- presentation ----

// ---- rank ----

// ---- ranking ----

// ---- results ----

// ---- slots ----

// ---- stage_intro ----

// ---- stage_setup ----

// ---- title ----

}  // namespace rom
