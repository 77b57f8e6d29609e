// The host's door to the sound board.
#pragma once

#include <cstdint>

extern "C" {

void game_sound_attach();
void game_sound_end_frame(uint64_t board_time);
const int16_t* game_sound_frame_mix(uint64_t* frames);
unsigned game_sound_rate();

}  // extern "C"
