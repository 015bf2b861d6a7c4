#pragma once

#include <cstdint>

// Where a frame's sound samples go: the desktop's audio device, or the
// headless recorder. Samples are 16-bit signed mono at the console's rate.
class SampleSink {
 public:
  virtual ~SampleSink() = default;
  virtual void Samples(const std::int16_t* samples, int count) = 0;
};
