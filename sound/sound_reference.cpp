#include "sound/sound_reference.h"

#include "sound/orbsound.h"

void game_sound_attach() { orbs_attach(); }
void game_sound_end_frame(uint64_t board_time) { orbs_end_frame(board_time); }
const int16_t* game_sound_frame_mix(uint64_t* frames) { return orbs_frame_mix(frames); }
unsigned game_sound_rate() { return orbs_mix_rate(); }
