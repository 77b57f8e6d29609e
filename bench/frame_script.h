// The control script of the benchmark's run: the attract cycle alone (no
// input), the game's own demonstration play included.
#pragma once

inline constexpr const char* bench_frame_script = "";
