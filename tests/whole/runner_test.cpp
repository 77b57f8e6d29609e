// The whole-run support's own limit: a run is stopped by the processor time
// it has used, so a busy machine that gives it a small share of a processor
// for minutes does not end it, while a run that never ends is still ended.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "tests/support/whole_run.h"

namespace {

TEST(WholeRunner, StopsARunThatNeverEndsAfterItsProcessorTime) {
    // The synthetic set's attract loop, with no frame limit: it runs until
    // something stops it.
    whole_run::runner runner(IRONBELL_PROBE_EXE);
    whole_run::options o;
    o.every = 60;
    o.seconds = 2;
    const whole_run::outcome r = runner.run(o);
    EXPECT_EQ(r.status, 128 + SIGKILL) << r.err;
    EXPECT_NE(r.err.find("(the run was stopped after 2 s of processor time)"), std::string::npos) << r.err;
    // The kernel checks the limit at its scheduler ticks and counts a busy
    // machine's time a little differently from what wait4 reports: the run
    // used most of its 2 s, and far more than a kill at its start would leave.
    EXPECT_GE(r.processor_seconds, 1.0);
    EXPECT_FALSE(r.checkpoints.empty()) << "the run made frames until it was stopped";
}

}  // namespace
