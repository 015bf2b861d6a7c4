#include <gtest/gtest.h>

#include "desktop/FrameRateMeter.h"

namespace {

// Frames run at a steady pace, then the figure read: it is the pace of the
// last half second, whatever ran before (a long normal run, then fast-forward).
TEST(FrameRateMeter, ShowsThePaceOfTheLastHalfSecond) {
  struct Case {
    const char* name;
    double firstSeconds, firstRate;  // a run before
    double seconds, rate;            // then this pace
    int expected;
  };
  const Case cases[] = {
      {"normal speed", 0, 0, 2, 60, 60},
      {"fast after a minute of normal", 60, 60, 1, 480, 480},
      {"normal after fast", 5, 480, 1, 60, 60},
      {"under half a second", 0, 0, 0.4, 60, 0},
  };
  for (const Case& c : cases) {
    FrameRateMeter meter;
    std::int64_t now = 0;
    meter.Restart(now);
    auto run = [&](double seconds, double rate) {
      const int frames = static_cast<int>(seconds * rate);
      for (int frame = 0; frame < frames; ++frame) {
        now += static_cast<std::int64_t>(1e9 / rate);
        meter.Add(1, now);
      }
    };
    run(c.firstSeconds, c.firstRate);
    run(c.seconds, c.rate);
    EXPECT_NEAR(meter.Rate(), c.expected, 1) << c.name;
  }
}

// A pause is not counted: after Restart the next span starts afresh.
TEST(FrameRateMeter, APauseIsLeftOut) {
  FrameRateMeter meter;
  meter.Restart(0);
  for (int frame = 1; frame <= 30; ++frame) meter.Add(1, frame * 16'666'667LL);  // half a second at 60
  const std::int64_t resumed = 30 * 16'666'667LL + 10'000'000'000LL;             // ten seconds later
  meter.Restart(resumed);
  for (int frame = 1; frame <= 30; ++frame) meter.Add(1, resumed + frame * 16'666'667LL);
  EXPECT_NEAR(meter.Rate(), 60, 1);
}

}  // namespace
