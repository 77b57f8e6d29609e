// Tables of the program ROM that the enemies and the other actors read, named
// once by their guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- behaviours ----

// ---- child_effects ----

// ---- companion ----

// ---- enemy_children ----

// ---- enemy_framework ----

// ---- enemy_helpers ----

// ---- enemy_setup ----

// ---- flyers ----

// ---- passers_by ----

// ---- path_script ----

// ---- pickups ----

// ---- platform_ai ----

// ---- platform_types ----

// ---- playfield_objects ----

// ---- props ----

// ---- set_piece ----

// ---- set_pieces ----

// ---- spawning ----

// ---- two_piece ----

// ---- volley ----

}  // namespace rom
