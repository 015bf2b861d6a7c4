#pragma once

#include <cstdint>

#include "timing/Timing.h"

// Keeps the console at its own frame rate from a steady clock, whatever the
// monitor's refresh: a frame is the timing's cycles per frame at its clock
// (228 x 262 cycles at 3,579,545 Hz, 59.92 frames per second, on an NTSC
// console; 228 x 313 at 3,546,893 Hz, 49.70, on a PAL one). Deadlines are counted from the last
// restart in whole frames, so a late wake-up is made up by the next wait and
// the rate does not drift.
class FramePacer {
 public:
  // Behind by more than this many frames (a stall, a dialog), the pacer
  // gives up on catching up and starts counting again from now.
  static constexpr std::int64_t kMaxLagFrames = 6;

  using Clock = std::int64_t (*)();  // nanoseconds, steady

  // nullptr uses the steady system clock.
  explicit FramePacer(Clock clock = nullptr, const Timing& timing = kNtscTiming);
  // Paces at this timing's rate from now on; a change restarts the count.
  void UseTiming(const Timing& timing);

  // Starts counting from now: the next frame is due one frame from now.
  void Restart();
  // Called when a frame has been emulated. Returns how long to wait, in
  // nanoseconds, before the next frame may start (0 when it is already due).
  std::int64_t FrameDone();

  // Nanoseconds from the last restart to the end of frame n after it.
  static std::int64_t FrameEnd(std::int64_t n, const Timing& timing = kNtscTiming);

  std::int64_t Restarts() const { return restarts; }

 private:
  Clock clock;
  Timing pace;
  std::int64_t origin = 0;
  std::int64_t framesSinceOrigin = 0;
  std::int64_t restarts = 0;
};
