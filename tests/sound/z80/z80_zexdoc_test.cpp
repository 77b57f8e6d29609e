// The ZEXDOC exerciser: every group must print OK and the console text must
// equal the reference. Several billion cycles: run from an optimised build.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/sound/z80/zexdoc_runner.h"
#include "tests/support/testdata.h"

namespace {

TEST(Z80Zexdoc, EveryGroupPassesAndTheConsoleMatches) {
    IRONBELL_NEEDS_TESTDATA("z80/zexdoc/zexdoc.com");
    IRONBELL_NEEDS_TESTDATA("z80/zexdoc/zexdoc.expected.txt");
    auto result = z80test::run_zexdoc(IRONBELL_TESTDATA "/z80/zexdoc/zexdoc.com", 60'000'000'000ull);
    ASSERT_TRUE(result.loaded) << "cannot read " IRONBELL_TESTDATA "/z80/zexdoc/zexdoc.com";
    EXPECT_TRUE(result.finished) << "still running after " << result.cycles << " cycles";
    std::ifstream in(IRONBELL_TESTDATA "/z80/zexdoc/zexdoc.expected.txt");
    std::stringstream expected;
    expected << in.rdbuf();
    std::string want = expected.str();
    // The program prints no line end after its last line.
    while (!want.empty() && want.back() == '\n') want.pop_back();
    std::string got = result.console;
    while (!got.empty() && got.back() == '\n') got.pop_back();
    EXPECT_EQ(got, want);
    std::cout << "ZEXDOC ran " << result.cycles << " cycles\n";
}

}  // namespace
