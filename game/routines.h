// Declarations of every translated routine, expanded from the routine list,
// and what the rest of the project may ask about that list.
#pragma once
#include <cstdint>

#define ROUTINE(address, name, written) void name();
#include "game/routines.def"
#undef ROUTINE

// Rows of the routine list and how many of them are not written yet.
uint64_t game_routine_count();
uint64_t game_unwritten_count();
// True when the routine at this guest entry address is written; false for an
// unwritten row and for an address that starts no routine.
bool game_routine_written(uint32_t address);

// A routine that is not written yet calls this with its own entry address:
// it ends the run with the message of a computed call to a missing address.
void game_unwritten(uint32_t address);

// Empty in the product. A test binary may set it to run stand-ins for routines
// that are not written yet: it gets the unwritten routine's address and
// returns true when it ran a stand-in in the routine's place.
extern bool (*game_stand_in)(uint32_t address);
