#pragma once

#include <cstdint>

// Waiting for the vertical blank makes presenting smooth, but a monitor that
// refreshes more slowly than the console's 59.92 frames a second (a 50 Hz
// television mode, a 30 Hz remote desktop) would then hold every frame back
// and slow the game down. The guard watches how long each present waited:
// when most presents of a window of frames wait longer than a whole console
// frame, vsync is costing speed and should be turned off.
class VsyncGuard {
 public:
  static constexpr int kWindow = 60;           // presents looked at together
  static constexpr int kSlowNeeded = 40;       // slow ones that condemn vsync
  static constexpr std::int64_t kFrameNs = 16688154;  // one console frame

  // Records one present's wait. True when vsync should go (told once).
  bool PresentTook(std::int64_t ns) {
    if (givenUp) return false;
    if (ns > kFrameNs) ++slow;
    if (++seen < kWindow) return false;
    const bool drop = slow >= kSlowNeeded;
    seen = 0;
    slow = 0;
    givenUp = drop;
    return drop;
  }

 private:
  int seen = 0;
  int slow = 0;
  bool givenUp = false;
};
