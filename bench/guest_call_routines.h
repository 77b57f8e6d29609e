// Two copies of one small routine for the guest-call benchmark: one built as
// the product builds the game, one as the game's tests build it.
#pragma once

void bench_routine_product();
void bench_routine_seam();
