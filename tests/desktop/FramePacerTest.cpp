#include <gtest/gtest.h>

#include "desktop/FramePacer.h"

namespace {

std::int64_t now = 0;
std::int64_t FakeClock() { return now; }

TEST(FramePacer, FramesFallDueAtTheConsolesOwnRate) {
  struct Case {
    std::int64_t frames;
    std::int64_t endNs;
  };
  // 59736 cycles at 3579545 Hz: 16.688154 ms a frame, 59.92 a second.
  const Case cases[] = {
      {0, 0},
      {1, 16688154},
      {60, 1001289270},
      {3595, 59993915427},   // one minute's worth ends just inside the minute
      {215700, 3599634925667},  // an hour is still exact to the nanosecond: no drift
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    EXPECT_EQ(FramePacer::FrameEnd(c.frames), c.endNs);
  }
  EXPECT_NEAR(1e9 * 3595 / static_cast<double>(FramePacer::FrameEnd(3595)), 59.9227, 0.0001);
  // A PAL console's: 71364 cycles at 3546893 Hz, 49.70 a second.
  EXPECT_NEAR(1e9 * 2982 / static_cast<double>(FramePacer::FrameEnd(2982, kPalTiming)), 49.7014, 0.0001);
}

TEST(FramePacer, WaitsMakeUpForFastAndSlowFrames) {
  struct Step {
    const char* name;
    std::int64_t workNs;  // time the frame took to emulate
    std::int64_t waitNs;  // what the pacer then asks for
  };
  const Step steps[] = {
      {"quick frame waits out the rest", 2000000, 14688154},
      {"slow frame is due at once", 20000000, 0},
      // 3.3 ms late after frame 2; frame 3 ends at 50.064463 ms.
      {"next frame makes up the lateness", 1000000, 50064463 - (16688154 + 20000000 + 1000000)},
  };
  now = 5000;
  FramePacer pacer(FakeClock);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    now += step.workNs;
    const std::int64_t wait = pacer.FrameDone();
    EXPECT_EQ(wait, step.waitNs);
    now += wait;
  }
  EXPECT_EQ(pacer.Restarts(), 0);
}

TEST(FramePacer, FarBehindItStartsAgainInsteadOfRacing) {
  struct Case {
    const char* name;
    std::int64_t stallNs;
    std::int64_t restarts;
    std::int64_t nextWait;  // after a quick frame that follows
  };
  const Case cases[] = {
      {"five frames late: caught up", FramePacer::FrameEnd(6), 0, 0},
      {"seven frames late: restarted", FramePacer::FrameEnd(8), 1, 16688154 - 1000},
      {"a long stall (a dialog): restarted", 5000000000, 1, 16688154 - 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    now = 0;
    FramePacer pacer(FakeClock);
    now += c.stallNs;
    pacer.FrameDone();
    EXPECT_EQ(pacer.Restarts(), c.restarts);
    now += 1000;
    EXPECT_EQ(pacer.FrameDone(), c.nextWait);
  }
}

}  // namespace
