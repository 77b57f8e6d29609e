// No program region crashes the host: the real game, through the real host
// frame cycle, on program regions no game was written for (all zeros, all
// ones, noise, the synthetic set with bytes flipped). Each run of up to 600
// frames ends with status 0, or with status 3 and one of the runtime's fatal
// lines; never a signal, a sanitizer report or a hang. A region on which the
// game loops inside one frame is named with the routine it loops in.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/region_kinds.h"
#include "tests/support/whole_run.h"

namespace {

using region_kinds::members;

// Every way the runtime ends a run that cannot go on, as its first line says.
const std::regex kFatalLine(
    "(No translated code starts at [0-9A-F]{6} \\(frame \\d+\\)"
    "|Jump from [0-9A-F]{6} to [0-9A-F]{6} has no translated target \\(frame \\d+\\)"
    "|The task started at [0-9A-F]{6} came to its end at [0-9A-F]{6} \\(frame \\d+\\)"
    "|V60 division by zero \\(frame \\d+\\)"
    "|(LDPR to|STPR from) privileged register \\d+ \\(frame \\d+\\)"
    "|More than 8 tasks wait \\(frame \\d+\\)"
    "|Frame \\d+ has not ended after \\d+ s: the guest loops in the routine at [0-9A-F]{6} "
    "\\(last seen at [0-9A-F]{6}\\)"
    "|The guest's calls nest deeper than the native stack holds, in the routine at [0-9A-F]{6} "
    "\\(last seen at [0-9A-F]{6}, frame \\d+\\))\n");

constexpr uint64_t kFrames = 600;
constexpr int kHungSeconds = 2;  // processor seconds; a real frame takes milliseconds

struct region_case {
    const char* name;
    region_kinds::kind kind;
    uint32_t seed;
    // For a region the game hangs on: the routine its frame loops in ("" when
    // the loop spans several routines).
    const char* hangs_in;
};

void PrintTo(const region_case& c, std::ostream* os) { *os << c.name; }

class Region : public ::testing::TestWithParam<region_case> {};

TEST_P(Region, RunEndsCleanly) {
    const region_case& c = GetParam();
    whole_run::runner runner(IRONBELL_PROBE_EXE, members(c.kind, c.seed));
    whole_run::options o = whole_run::run_options("", kFrames, kFrames, 1, 240);
    o.env["IRONBELL_PROBE_HUNG"] = std::to_string(kHungSeconds);
    const whole_run::outcome r = runner.run(o);

    // What each region did, for the record of which regions hang and where.
    std::printf("region %s: status %d%s%s", c.name, r.status, r.err.empty() ? "\n" : ": ", r.err.c_str());
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    if (r.status == 0) {
        ASSERT_EQ(r.checkpoints.size(), 1u) << "the run reached its last frame";
        EXPECT_EQ(r.checkpoints[0].frame, kFrames);
    } else {
        ASSERT_EQ(r.status, 3) << r.err;
        std::smatch line;
        EXPECT_TRUE(std::regex_search(r.err, line, kFatalLine)) << r.err;
    }
    if (c.hangs_in) {
        EXPECT_EQ(r.status, 3);
        EXPECT_NE(r.err.find(std::string("the guest loops in the routine at ") + c.hangs_in),
                  std::string::npos)
            << r.err;
    }
}

// The fixed seeds keep every run repeatable; the fuzz target explores beyond.
INSTANTIATE_TEST_SUITE_P(Kinds, Region,
                         ::testing::Values(
                             // Every vector is 0: each interrupt enters the bottom-of-ROM reset entry,
                             // which starts the game over, so no vblank handler ever ends a frame;
                             // the loop runs through the whole start-up.
                             region_case{"zeros", region_kinds::zeros, 0, ""},
                             // Start-up's sprite block count reads 0xFFFFFFFF: four thousand million
                             // halfwords to copy inside the first frame. Noise gives a count of
                             // that order too.
                             region_case{"ones", region_kinds::ones, 0, "0603F7"},
                             region_case{"noise1", region_kinds::noise, 1, "0603F7"},
                             region_case{"noise2", region_kinds::noise, 2, "0603F7"},
                             region_case{"noise3", region_kinds::noise, 3, "0603F7"},
                             region_case{"flipped1", region_kinds::flipped, 1, nullptr},
                             region_case{"flipped2", region_kinds::flipped, 2, nullptr},
                             region_case{"flipped3", region_kinds::flipped, 3, nullptr},
                             region_case{"flipped4", region_kinds::flipped, 4, nullptr},
                             region_case{"flipped5", region_kinds::flipped, 5, nullptr},
                             region_case{"flipped6", region_kinds::flipped, 6, nullptr},
                             region_case{"flipped7", region_kinds::flipped, 7, nullptr},
                             region_case{"flipped8", region_kinds::flipped, 8, nullptr}),
                         [](const ::testing::TestParamInfo<region_case>& info) {
                             return std::string(info.param.name);
                         });

// The kinds themselves: each seed gives its own region, the same one every time.
TEST(RegionKinds, EachSeedGivesItsOwnRepeatableRegion) {
    for (auto kind : {region_kinds::noise, region_kinds::flipped}) {
        const auto a = members(kind, 1), b = members(kind, 1), c = members(kind, 2);
        EXPECT_EQ(a, b);
        EXPECT_NE(a, c);
    }
    const auto& set = synthetic::synthetic_set().members();
    const auto flipped = members(region_kinds::flipped, 1);
    size_t differ = 0;
    for (size_t m = 0; m < 4; ++m)
        for (size_t i = 0; i < set[m].size(); ++i) differ += set[m][i] != flipped[m][i];
    EXPECT_GT(differ, 0u);
    EXPECT_LE(differ, size_t(region_kinds::kFlips));
    for (size_t m = 4; m < set.size(); ++m) EXPECT_EQ(set[m], flipped[m]) << "member " << m;
}

// The fuzz target's way to its region, straight on the assembled bytes, gives
// the region the ROM set gives, mirrors included: every kind, flips in each
// program ROM and an index past the end (which wraps), twice over (the kinds
// no seed changes are made once and then kept).
TEST(RegionKinds, TheRegionMadeInPlaceIsTheOneTheRomSetGives) {
    const region_kinds::flip_at flips[] = {{0x00010, 0x81}, {0x1FFFF, 0xFF}, {0x20000, 0x01},
                                           {0x3FFFE, 0x40}, {0x40000, 0x10}, {0x40001, 0x22},
                                           {0x7FFFF, 0x08}, {0x80011, 0x04}, {0x00010, 0x01}};
    const region_kinds::kind kinds[] = {region_kinds::zeros, region_kinds::ones, region_kinds::noise,
                                        region_kinds::flipped};
    for (int pass = 0; pass < 2; ++pass)
        for (auto kind : kinds)
            for (uint32_t seed : {1u, 2u, 3u}) {
                synthetic::rom_builder rom = region_kinds::region(kind, seed);
                for (const auto& f : flips) region_kinds::flip(rom, f.index, f.mask);
                std::vector<uint8_t> want(region_kinds::kRegionBytes), got(want.size(), 0x5A);
                region_kinds::assemble_program(rom, want);
                region_kinds::assemble_region(kind, seed, flips, got);
                uint32_t first = 0;
                while (first < want.size() && want[first] == got[first]) ++first;
                EXPECT_EQ(first, want.size()) << "kind " << int(kind) << " seed " << seed
                                              << ": first difference at " << std::hex << first;
            }
}

}  // namespace
