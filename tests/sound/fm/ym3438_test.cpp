#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "sound/fm/fm_tables.h"
#include "sound/fm/ym3438.h"
#include "tests/sound/fm/fm_scenario.h"
#include "tests/support/testdata.h"

namespace {

using orbfm_test::scenario_command;

const std::string kFmData = std::string(IRONBELL_TESTDATA) + "/fm/";

std::vector<std::string> read_lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<int32_t> read_samples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int32_t> values(bytes.size() / 4);
    for (size_t i = 0; i < values.size(); ++i) {
        const auto* b = reinterpret_cast<const unsigned char*>(&bytes[i * 4]);
        values[i] =
            static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                 (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
    }
    return values;
}

uint64_t fnv1a(const std::vector<int32_t>& samples) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (int32_t s : samples) {
        uint32_t u = static_cast<uint32_t>(s);
        for (int i = 0; i < 4; ++i) {
            h ^= (u >> (8 * i)) & 0xFF;
            h *= 0x100000001b3ull;
        }
    }
    return h;
}

// manifest.tsv: name -> FNV-1a hash of the output, as written there.
std::map<std::string, std::string> manifest_hashes() {
    std::map<std::string, std::string> hashes;
    for (const std::string& line : read_lines(kFmData + "manifest.tsv")) {
        std::istringstream f(line);
        std::string name, samples, bytes, hash;
        if (f >> name >> samples >> bytes >> hash) hashes[name] = hash;
    }
    return hashes;
}

// Reports the first line where two logs part, or their length difference.
void expect_same_lines(const std::vector<std::string>& want, const std::vector<std::string>& got,
                       const std::string& what) {
    size_t n = std::min(want.size(), got.size());
    for (size_t i = 0; i < n; ++i) {
        if (want[i] != got[i]) {
            ADD_FAILURE() << what << " line " << i + 1 << ": expected \"" << want[i] << "\", got \"" << got[i]
                          << "\"";
            return;
        }
    }
    EXPECT_EQ(want.size(), got.size()) << what << ": line counts differ after " << n << " equal lines";
}

class ScenarioReplay : public testing::TestWithParam<const char*> {};

TEST_P(ScenarioReplay, MatchesReferenceOutputReadsAndCalls) {
    const std::string name = GetParam();
    IRONBELL_NEEDS_TESTDATA("fm/scenarios/" + name + ".txt");
    IRONBELL_NEEDS_TESTDATA("fm/expected/" + name + ".out");
    IRONBELL_NEEDS_TESTDATA("fm/manifest.tsv");
    std::ifstream script(kFmData + "scenarios/" + name + ".txt");
    ASSERT_TRUE(script) << "missing scenario " << name;
    std::vector<scenario_command> commands;
    std::string error = orbfm_test::parse_scenario(script, name, commands);
    ASSERT_EQ(error, "");

    orbfm_test::scenario_result got = orbfm_test::run_scenario(commands);
    std::vector<int32_t> want = read_samples(kFmData + "expected/" + name + ".out");
    ASSERT_FALSE(want.empty()) << "missing expected output of " << name;

    size_t n = std::min(want.size(), got.samples.size());
    for (size_t i = 0; i < n; ++i) {
        if (want[i] != got.samples[i]) {
            ADD_FAILURE() << name << ": first difference at sample " << i / 2 << " ("
                          << (i % 2 ? "right" : "left") << "): expected " << want[i] << ", got "
                          << got.samples[i] << "; produced by script line " << got.sample_line[i / 2];
            break;
        }
    }
    EXPECT_EQ(want.size(), got.samples.size()) << name << ": sample counts differ";

    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(got.samples)));
    EXPECT_EQ(manifest_hashes()[name], hash) << name << ": output hash";

    expect_same_lines(read_lines(kFmData + "expected/" + name + ".reads"), got.reads, name + " reads");
    expect_same_lines(read_lines(kFmData + "expected/" + name + ".calls"), got.calls, name + " calls");
}

INSTANTIATE_TEST_SUITE_P(AllScenarios, ScenarioReplay,
                         testing::Values("01_silence", "02_algorithms", "03_feedback", "04_detune_multiple",
                                         "05_ksr", "06_envelope", "07_ssg_eg", "08_lfo_am", "09_lfo_pm",
                                         "10_ch3_special", "11_csm", "12_timers", "13_dac", "14_pan_latch"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string("s") + info.param;
                         });

// The log-sine and exponent tables are built from their formulas; they must
// equal the tables printed in the fact sheet's appendices.
TEST(FmTables, LogSinAndExpMatchPublishedValues) {
    IRONBELL_NEEDS_TESTDATA("fm/BEHAVIOUR.md");
    std::vector<std::string> lines = read_lines(kFmData + "BEHAVIOUR.md");
    auto table_after = [&](const std::string& heading) {
        std::vector<int> values;
        bool in_section = false, in_block = false;
        for (const std::string& line : lines) {
            if (line.rfind("## ", 0) == 0) in_section = line.find(heading) != std::string::npos;
            if (!in_section) continue;
            if (line.rfind("```", 0) == 0) {
                if (in_block) break;
                in_block = true;
                continue;
            }
            if (!in_block) continue;
            std::istringstream f(line.substr(line.find(':') + 1));
            int v;
            while (f >> v) values.push_back(v);
        }
        return values;
    };
    std::vector<int> sin = table_after("Log-sine table");
    std::vector<int> exp = table_after("Exponent table");
    ASSERT_EQ(sin.size(), 256u);
    ASSERT_EQ(exp.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(orbfm::kLogSin[i], sin[i]) << "log-sine entry " << i;
        EXPECT_EQ(orbfm::kExp[i], exp[i]) << "exponent entry " << i;
    }
}

TEST(FmScenarioScript, MalformedLinesAreReportedWithTheirPosition) {
    struct bad_case {
        const char* text;
        const char* where;
    } cases[] = {
        {"S 10\nW 1 2A extra\n", "t:2:"},
        {"W 4 00\n", "t:1:"},
        {"W 1 1\n", "t:1:"},
        {"W 1 G0\n", "t:1:"},
        {"R\n", "t:1:"},
        {"S -3\n", "t:1:"},
        {"# ok\n\nX 1\n", "t:3:"},
    };
    for (const bad_case& c : cases) {
        std::istringstream in(c.text);
        std::vector<scenario_command> commands{{scenario_command::read, 0, 0, 7}};
        std::string error = orbfm_test::parse_scenario(in, "t", commands);
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << c.text << " -> " << error;
        EXPECT_EQ(commands.size(), 1u) << "a failed parse must leave the commands alone";
    }
    std::istringstream good("W 0 2a # comment\nS 3\n\nR 0\n");
    std::vector<scenario_command> commands;
    ASSERT_EQ(orbfm_test::parse_scenario(good, "t", commands), "");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].data, 0x2A);
    EXPECT_EQ(commands[1].value, 3u);
    EXPECT_EQ(commands[2].line, 4);
}

}  // namespace

namespace {

class silent_host : public orbfm::fm_interface {
public:
    int calls = 0;
    void ymfm_set_timer(uint32_t, int32_t) override { ++calls; }
    void ymfm_set_busy_end(uint32_t) override { ++calls; }
    bool ymfm_is_busy() override { return false; }
    void ymfm_update_irq(bool) override { ++calls; }
};

// The owner reaches the engine for timer expiries through its interface;
// the link lives exactly as long as the chip.
TEST(FmChip, EngineIsReachableThroughTheInterfaceWhileTheChipLives) {
    silent_host host;
    EXPECT_EQ(host.engine(), nullptr);
    {
        orbfm::ym3438 chip(host);
        ASSERT_NE(host.engine(), nullptr);
        chip.reset();
        host.engine()->engine_timer_expired(0);  // flags disabled: no IRQ
        EXPECT_EQ(chip.read(0), 0);
    }
    EXPECT_EQ(host.engine(), nullptr);
}

// Before its first reset a chip makes no calls and produces silence.
TEST(FmChip, FreshChipIsSilentAndQuiet) {
    silent_host host;
    orbfm::ym3438 chip(host);
    orbfm::fm_output out[64];
    chip.generate(out, 64);
    for (const auto& o : out) {
        EXPECT_EQ(o.data[0], 0);
        EXPECT_EQ(o.data[1], 0);
    }
    EXPECT_EQ(host.calls, 0);
}

}  // namespace
