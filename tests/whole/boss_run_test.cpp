// A one-player game on the synthetic ROM set meets the set-piece boss of
// stage 4 area 3 and the stationary attacker that stands with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/synthetic_rom.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace {

constexpr uint32_t kInGameState = 0x208004;
constexpr uint32_t kStage = 0x20800C, kArea = 0x20800D;
constexpr uint32_t kGameFlags = 0x208008, kSystemFlags = 0x208010;
constexpr uint32_t kLiveEnemies = 0x20C14C;
constexpr uint32_t kPlayer = 0x20A000;
constexpr uint32_t kPlayerScore = kPlayer + 140, kPlayerEnergy = kPlayer + 64, kPlayerState = kPlayer + 2;
constexpr uint32_t kTallySlot0 = 0x208400;  // 16 counters by category
constexpr uint32_t kRingA = 0x209180, kRingB = 0x209200;
constexpr uint32_t kMusicLevel = 0x700012;
constexpr uint32_t kBarName = 0x31F096, kBarCells = 0x31F116;
constexpr uint32_t kObjects256 = 0x200400, kCount256 = 12;
constexpr uint32_t kObjects128 = 0x201000, kCount128 = 124;
constexpr uint32_t kObjects64 = 0x204E00, kCount64 = 200;
constexpr uint32_t kFlags = 0, kStateType = 2, kRoutine = 4, kOwner = 12, kWorldX = 32, kScore = 52, kByte54 = 54,
                   kByte55 = 55, kByte57 = 57, kEnergy = 64, kByte72 = 72;

constexpr uint64_t kFrames = 3600;
constexpr int kPunches = 150;
constexpr uint64_t kPokes = 844;  // after stage 1's intro, before its first area starts

std::string script() {
  std::string s = "200 press coin1\n+20 press coin1\n+40 press start1\n+120 press button1\n760 press button1\n";
  const std::string at = std::to_string(kPokes);
  s += at + " poke 20800C 04\n" + at + " poke 20800D 02\n";
  for (int i = 0; i < 4; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%s poke %06X %02X\n", at.c_str(), 0x2082A0 + i,
                  (synthetic::boss_stage_descriptor >> (8 * i)) & 0xFF);
    s += line;
  }
  for (int i = 0; i < kPunches; ++i) s += std::to_string(880 + 16 * i) + " press button1\n";
  return s;
}

whole_run::options boss_options(int slices) {
  whole_run::options o;
  o.script = script();
  o.frames = kFrames;
  o.every = 300;
  o.slices = slices;
  o.seconds = 300;
  o.watch = {{kInGameState, 1}, {kStage, 1},       {kArea, 1},         {kGameFlags, 4},  {kSystemFlags, 4},
             {kLiveEnemies, 1}, {kPlayerScore, 4}, {kPlayerEnergy, 2}, {kPlayerState, 1}, {kMusicLevel, 1},
             {kPlayer + kWorldX, 2}};
  for (uint32_t c = 0; c < 16; ++c) o.watch.push_back({kTallySlot0 + 2 * c, 2});
  o.watch.push_back({0x20A900, 1});
  for (uint32_t e = 0; e < 4; ++e)
    for (uint32_t w = 0; w < 16; w += 2) o.watch.push_back({0x20A910 + 16 * e + w, 2});
  for (uint32_t ring : {kRingA, kRingB})
    for (uint32_t b = 1; b < 34; ++b) o.watch.push_back({ring + b, 1});
  for (uint32_t c = 0; c < 8; ++c) o.watch.push_back({kBarName + 2 * c, 2});
  for (uint32_t c = 0; c < 22; ++c) o.watch.push_back({kBarCells + 2 * c, 2});
  for (uint32_t i = 0; i < kCount256; ++i) {
    const uint32_t a = kObjects256 + 256 * i;
    for (auto [field, bytes] : {std::pair{kFlags, 2}, {kStateType, 2}, {kRoutine, 4}, {kEnergy, 2}, {kByte54, 1},
                                {kByte55, 1}, {kByte57, 1}, {kByte72, 1}})
      o.watch.push_back({a + field, bytes});
  }
  for (uint32_t i = 0; i < kCount128; ++i) {
    const uint32_t a = kObjects128 + 128 * i;
    for (auto [field, bytes] : {std::pair{kFlags, 2}, {kStateType, 2}, {kRoutine, 4}, {kEnergy, 2}, {kByte54, 1}})
      o.watch.push_back({a + field, bytes});
  }
  for (uint32_t i = 0; i < kCount64; ++i) {
    const uint32_t a = kObjects64 + 64 * i;
    o.watch.push_back({a + kRoutine, 4});
    o.watch.push_back({a + kOwner, 2});
    o.watch.push_back({a + kStateType, 1});
    o.watch.push_back({a + kByte54, 1});
  }
  return o;
}

const whole_reach::listed kReach("boss", [] { return boss_options(1); });

const whole_run::outcome& boss_run() { return whole_run::run_once(IRONBELL_PROBE_EXE, "boss", boss_options(1)); }

TEST(BossRun, Explore) {
  const auto& out = boss_run();
  std::printf("status %d\n%s\n", out.status, out.err.c_str());
  const auto& rom = synthetic::synthetic_set();
  const uint32_t areas = rom.program32(0x06650C + 16), list = rom.program32(areas + 12);
  for (uint32_t a = list; a < list + 40; a += 10) {
    const uint32_t d = a + 8 + uint32_t(rom.program16(a + 8));
    std::printf("rec %06X type %d flags %d data %06X: %02X %02X cmd %08X\n", a, rom.program8(a), rom.program8(a + 1), d, rom.program8(d), rom.program8(d+1), rom.program32(0x06D956 + 4 * rom.program8(d)));
  }
  FILE* f = std::fopen("/tmp/w42boss/changes.txt", "w");
  for (const auto& c : out.changes) std::fprintf(f, "%llu %06X %llX\n", (unsigned long long)c.frame, c.address, (unsigned long long)c.value);
  std::fclose(f);
}

}  // namespace
