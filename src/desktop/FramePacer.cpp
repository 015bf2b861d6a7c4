#include "desktop/FramePacer.h"

#include <chrono>

namespace {
std::int64_t SteadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

FramePacer::FramePacer(Clock pacerClock, const Timing& timing)
    : clock(pacerClock ? pacerClock : SteadyNow), pace(timing) {
  Restart();
}

void FramePacer::UseTiming(const Timing& timing) {
  if (timing.CyclesPerFrame() == pace.CyclesPerFrame() && timing.clockHz == pace.clockHz) return;
  pace = timing;
  Restart();
}

std::int64_t FramePacer::FrameEnd(std::int64_t n, const Timing& timing) {
  // n x cycles per frame / clock seconds (59736 / 3579545 on NTSC),
  // exactly, in whole nanoseconds.
  const __int128 numerator = static_cast<__int128>(n) * timing.CyclesPerFrame() * 1000000000;
  return static_cast<std::int64_t>(numerator / timing.clockHz);
}

void FramePacer::Restart() {
  origin = clock();
  framesSinceOrigin = 0;
}

std::int64_t FramePacer::FrameDone() {
  ++framesSinceOrigin;
  const std::int64_t due = origin + FrameEnd(framesSinceOrigin, pace);
  const std::int64_t now = clock();
  if (now - due > FrameEnd(kMaxLagFrames, pace)) {
    // Far behind: running flat out to catch up would only fast-forward.
    ++restarts;
    Restart();
    return 0;
  }
  return due > now ? due - now : 0;
}
