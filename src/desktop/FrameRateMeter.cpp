#include "desktop/FrameRateMeter.h"

void FrameRateMeter::Restart(std::int64_t nowNs) {
  spanStart = nowNs;
  spanFrames = 0;
}

void FrameRateMeter::Add(int frames, std::int64_t nowNs) {
  spanFrames += frames;
  const std::int64_t elapsed = nowNs - spanStart;
  if (elapsed < kSpanNs) return;
  // Rounded to the nearest frame a second.
  rate = static_cast<int>((spanFrames * 1'000'000'000 + elapsed / 2) / elapsed);
  Restart(nowNs);
}
