// The benchmark's routine as the game's tests build game code, with the seam
// in place and no stand-in planted.
#define IRONBELL_GAME_SEAM
#include "bench/guest_call_routines.h"
#include "game/routines.h"
#include "runtime/guest.h"

bool (*game_seam)(uint32_t address) = nullptr;

void bench_routine_seam() {
    ROUTINE_ENTRY(0x088B2D);
    cpu.reg[1] = guest::add<uint32_t>(cpu.reg[1], 1);
    guest::ret();
}
