// The control script of the benchmark's run: two coins and a join, the
// character select (taken when its time runs out), then stage 1 played for
// the rest of the 3,600 frames: walking right and left in turns and
// attacking every 20 frames.
#pragma once

#include <string>

inline std::string bench_frame_script() {
    std::string s =
        "100 press coin1\n"
        "130 press coin1\n"
        "160 press button1\n"
        "400 hold right1\n";
    for (int f = 460; f < 3600; f += 20) {
        s += std::to_string(f) + " press button1\n";
        if (f % 600 == 300) s += std::to_string(f) + " release right1\n" + std::to_string(f + 1) + " hold left1\n";
        if (f % 600 == 0) s += std::to_string(f) + " release left1\n" + std::to_string(f + 1) + " hold right1\n";
    }
    return s;
}
