#pragma once

#include <cstdint>

// Placeholder until the sound chip lands: takes writes, renders silence.
class Psg {
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr int kMaxFrameSamples = 1024;
  void Reset() { fraction = 0; }
  void SetClock(std::uint32_t cpuClockHz) { clock = cpuClockHz; }
  void Write(std::uint32_t, std::uint8_t value) { last = value; }
  void EndFrame(std::uint32_t frameCycles) {
    const std::uint64_t total = fraction + static_cast<std::uint64_t>(frameCycles) * kSampleRate;
    count = static_cast<int>(total / clock);
    fraction = total % clock;
    for (int i = 0; i < count; ++i) samples[i] = 0;
  }
  const std::int16_t* Samples() const { return samples; }
  int SampleCount() const { return count; }
  template <class Archive>
  void Serialize(Archive& a) { a.Field(fraction); a.Field(last); }
  void Sanitize() { fraction %= clock; }

 private:
  std::uint32_t clock = 3579545;
  std::uint64_t fraction = 0;
  std::uint8_t last = 0;
  std::int16_t samples[kMaxFrameSamples] = {};
  int count = 0;
};
