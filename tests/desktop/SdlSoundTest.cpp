#include <gtest/gtest.h>

#include "desktop/sdl/SdlSound.h"

namespace {

// The rate control: a long queue plays the next frame a little faster (more
// input per output sample, so fewer samples join the queue), a short one a
// little slower, never by more than 0.2 %, which no ear hears as pitch.
TEST(SdlSound, RateControlSteersTheQueueTowardItsTarget) {
  struct Case {
    int queued;
    double low, high;
  };
  const Case cases[] = {
      {SdlSound::kTargetSamples, 1.0, 1.0},
      {SdlSound::kTargetSamples * 3 / 2, 1.0005, 1.0015},
      {SdlSound::kTargetSamples / 2, 0.9985, 0.9995},
      {SdlSound::kTargetSamples * 100, 1.002, 1.002},
      {0, 0.998, 0.998},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.queued);
    const double ratio = SdlSound::RatioFor(c.queued);
    EXPECT_GE(ratio, c.low - 1e-12);
    EXPECT_LE(ratio, c.high + 1e-12);
  }
}

}  // namespace

// The volume scales each sample toward zero; 0 % (or muted) is silence.
TEST(SdlSound, LevelScalesSamples) {
  struct Case {
    int sample, level, expected;
  };
  for (const Case& c : {Case{32767, 100, 32767}, Case{-32768, 100, -32768}, Case{-32768, 50, -16384},
                        Case{1001, 25, 250}, Case{-1001, 75, -750}, Case{12345, 0, 0}}) {
    EXPECT_EQ(SdlSound::AtLevel(c.sample, c.level), c.expected) << c.sample << " at " << c.level;
  }
}
