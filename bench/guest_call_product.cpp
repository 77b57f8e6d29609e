// The benchmark's routine as the product builds game code.
#include "bench/guest_call_routines.h"
#include "game/routines.h"
#include "runtime/guest.h"

// The game's marks of entered routines: the benchmark links the test guest's
// table, not the game's.
uint8_t game_entered[game_list::kGameRows + 1];

void bench_routine_product() {
    ROUTINE_ENTRY(0x088B2D);
    cpu.reg[1] = guest::add<uint32_t>(cpu.reg[1], 1);
    guest::ret();
}
