// The attract cycle on the synthetic ROM set.
#include <gtest/gtest.h>

#include "tests/support/whole_run.h"

namespace {

TEST(AttractRun, TheSyntheticSetStartsTheProgram) {
  whole_run::runner r(IRONBELL_PROBE_EXE);
  whole_run::options o;
  o.frames = 60;
  o.every = 30;
  o.seconds = 20;
  o.watch = {{0x208000, 2}};
  const auto out = r.run(o);
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.checkpoints.size(), 2u) << out.err;
}

}  // namespace
