// The benchmark's run: the whole-game play run's script (coin, join,
// character select, stage 1 area 1 played with blows on both enemies, walks
// and a jump, the energy taken at frame 4,080, the area changed while the
// continue counts down, game over, initials entered, the ranking screen and
// back to the title), over its 6,400 frames. It follows the play run's test
// (tests/whole/play_run_test.cpp) line for line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

inline constexpr uint64_t bench_frames = 6400;

inline std::string bench_frame_script() {
    constexpr uint32_t record = 0x20A000;  // slot 0's player record
    constexpr uint32_t energy = record + 64;
    constexpr uint32_t ranking_entry3 = 0x208C18;  // character 0's table, entry 3: score
    constexpr uint64_t defeat = 4080, table_room = 4380, area_request = 4480, initials = 5450;
    const auto at = [](uint64_t frame, const std::string& action) {
        return std::to_string(frame) + " " + action + "\n";
    };
    const auto poke = [](uint64_t frame, uint32_t address, uint8_t value) {
        char line[64];
        std::snprintf(line, sizeof line, "%llu poke %06X %02X\n", static_cast<unsigned long long>(frame),
                      address, value);
        return std::string(line);
    };
    std::string s = at(60, "press coin1") + at(120, "press button1") + at(180, "press button1");
    for (uint64_t f = 480; f < 940; f += 16) s += at(f, "press button1");
    s += at(960, "press down1 20") + at(1000, "press left1 30");
    for (uint64_t f = 1040; f < 1120; f += 16) s += at(f, "press button1");
    s += at(1200, "hold right1") + at(1600, "release right1") + at(1700, "press button2") +
         at(1800, "press left1 100") + at(2000, "press up1 20");
    for (uint64_t f = 2200; f < 4000; f += 200) s += at(f, f % 400 ? "press right1 40" : "press left1 40");
    s += poke(defeat, energy, 0) + poke(defeat, energy + 1, 0) + poke(defeat, record + 1, 0x03);
    for (uint32_t i = 0; i < 4; ++i) s += poke(table_room, ranking_entry3 + i, 0);
    s += poke(area_request, 0x208012, 0x02);  // system_flags bit 17: an area change with fade
    const char* keys[] = {"press right1 2", "press button1", "press right1 2", "press right1 2",
                          "press button1",  "press button1", "press button1"};
    uint64_t f = initials + 20;
    for (const char* a : keys) {
        s += at(f, a);
        f += 10;
    }
    return s;
}
