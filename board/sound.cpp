// Sound-board link: only what the interrupt controller needs to link; the
// Z80's memory map and ports come next.
#include "board/machine.h"

void orb_sound_signal_irq(int) {}
void orb_sound_clear_irq(int) {}
