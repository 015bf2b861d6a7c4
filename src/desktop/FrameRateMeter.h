#pragma once

#include <cstdint>

// The frame-rate figure: console frames emulated per second, measured over
// spans of half a second of running time, so it follows fast-forward (every
// frame run counts, shown or not) and slow stretches within a moment.
// Pauses are left out by Restart.
class FrameRateMeter {
 public:
  static constexpr std::int64_t kSpanNs = 500'000'000;

  // Counting starts again at `nowNs` (steady clock); the figure shown stays
  // until the next span is over.
  void Restart(std::int64_t nowNs);
  // `frames` console frames have been run by `nowNs`.
  void Add(int frames, std::int64_t nowNs);
  // Frames per second over the last whole span; 0 before the first.
  int Rate() const { return rate; }

 private:
  std::int64_t spanStart = 0;
  std::int64_t spanFrames = 0;
  int rate = 0;
};
