#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "timing/Timing.h"
#include "host/files/Result.h"
#include "host/session/SampleSink.h"

// The desktop's sound output: SDL audio playing the console's samples, 16-bit
// signed mono at 48,000 Hz. Each frame's samples are queued on the emulation
// thread; the device plays the queue in small buffers. The console is paced
// by the frame clock, not by the device, so the two clocks drift apart
// slowly: a small rate control stretches or squeezes each frame's samples by
// a fraction of a percent to keep the queue near its target.
class SdlSound final : public SampleSink {
 public:
  static constexpr int kRate = 48000;
  static constexpr int kDeviceSamples = 256;  // 5.3 ms a device buffer
  static constexpr int kTargetSamples = 288;  // 6 ms queued in front of a new frame
  static constexpr int kMaxQueuedSamples = kTargetSamples + 2 * 802;  // beyond this the queue is dropped

  struct DelayFigures {
    double meanMs = 0;
    double maxMs = 0;
    long long frames = 0;
  };

  ~SdlSound() override;
  // Opens the default audio device. A failure, with the reason in SDL's
  // words, when there is none.
  Result Open();
  void Close();
  bool IsOpen() const { return device != 0; }

  void Samples(const std::int16_t* samples, int count) override;
  // Drops what is queued (the console stopped: pause, focus lost).
  void Flush();
  // The player's volume, 0-100 % of the console's level; muted plays
  // silence (queued as usual, so the queue keeps its length).
  void SetLevel(int volume, bool muted);
  // A sample at `level` percent (0-100), rounded toward zero.
  static std::int16_t AtLevel(int sample, int level) { return static_cast<std::int16_t>(sample * level / 100); }

  DelayFigures Delay() const;
  // The console's frame rate, for the delay figures (a frame's samples span
  // one frame): 59.92 by default, 49.70 on a PAL console.
  void SetFramesPerSecond(double fps) {
    if (fps > 0) frameMs = 1000.0 / fps;
  }
  // How far each frame's samples are stretched now (1.0 = not at all).
  double Ratio() const { return ratio; }

  // The rate control: the ratio a frame's samples are played at for a queue
  // of `queued` samples in front of them. Pure, for tests.
  static double RatioFor(int queued);

 private:
  SDL_AudioDeviceID device = 0;
  double ratio = 1.0;
  int level = 100;  // percent, 0 while muted
  double position = 0;  // fractional read position carried between frames
  std::int16_t previous = 0;
  std::int16_t buffer[4096] = {};
  double frameMs = 1000.0 / kNtscTiming.FramesPerSecond();
  double delaySum = 0;
  double delayMax = 0;
  long long frames = 0;
};
