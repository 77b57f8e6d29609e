// The benchmark's routine as the product builds game code.
#include "bench/guest_call_routines.h"
#include "game/routines.h"
#include "runtime/guest.h"

void bench_routine_product() {
    ROUTINE_ENTRY(0x088B2D);
    cpu.reg[1] = guest::add<uint32_t>(cpu.reg[1], 1);
    guest::ret();
}
