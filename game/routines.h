// Declarations of every translated routine, expanded from the routine list,
// and what the rest of the project may ask about that list.
#pragma once
#include <cstdint>

#include "runtime/v60.h"

#define ROUTINE_NAME(address, name) void name();
#include "game/routine_names.def"
#undef ROUTINE_NAME

// Rows of the routine list and how many of them are not written yet.
uint64_t game_routine_count();
uint64_t game_unwritten_count();
// True when the routine at this guest entry address is written; false for an
// unwritten row and for an address that starts no routine.
bool game_routine_written(uint32_t address);

// A routine that is not written yet calls this with its own entry address:
// it ends the run with the message of a computed call to a missing address.
[[noreturn]] void game_unwritten(uint32_t address);

// The first line of every routine, written or not: ROUTINE_ENTRY(0x088B00);
// with the routine's own entry address. In the product it only notes where
// the guest is (one store, for the runtime's report of a run that stops
// making progress). In the build the game's tests use, a test may also put a
// stand-in in any routine's place: the hook runs it and says so, and the
// routine then returns at once without running its own body.
#ifdef IRONBELL_GAME_SEAM
extern bool (*game_seam)(uint32_t address);
#define ROUTINE_ENTRY(address) \
    v60_where = (address);     \
    if (game_seam && game_seam(address)) return; else (void)0
#else
#define ROUTINE_ENTRY(address) v60_where = (address)
#endif
