// The sound board: a Z80 running the sound program against board time, two
// YM3438 FM chips and an RF5C68 PCM chip, mixed once per video frame into
// signed 16-bit stereo at the FM sample rate.
#pragma once

#include <cstdint>
#include <cstdio>

extern "C" {

// Builds the sound board (or rebuilds its chips) and installs its eight
// callbacks in the board record.
void orbs_attach();
// Runs the sound board to board tick t and mixes the samples of the frame
// that ends there.
void orbs_end_frame(uint64_t t);
// The last frame's mix, left and right interleaved; stores the number of
// stereo frames through `frames` when it is not null. Valid until the next
// orbs_end_frame; may be null when the mix is empty.
const int16_t* orbs_frame_mix(uint64_t* frames);
// Stereo frames per second of the mix.
unsigned orbs_mix_rate();
// Reads a block-timing file; true when the block-timing mode is now on.
bool orbs_use_timing(const char* path);

// Diagnostics for comparing runs.
uint64_t orbs_frame_samples_hash();
uint64_t orbs_state_hash();
// Logs every chip write of the Z80 to `file` (owned by the caller); null
// switches the log off.
void orbs_log_writes(std::FILE* file);
uint64_t orbs_z80_cycles();
// One bit per Z80 address: an instruction has started there.
const uint8_t* orbs_executed();

}  // extern "C"
