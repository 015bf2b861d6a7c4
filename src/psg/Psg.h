#pragma once

#include <cstdint>

#include "psg/StepTable.h"

// The SN76489 sound chip as built into the Sega consoles: three square-wave
// tone channels and one noise channel, clocked at the processor clock / 16.
//
// The console hands it each port write with the processor cycle (within the
// current frame) at which it happened, and closes every frame with EndFrame;
// the chip then renders that frame's stretch of emulated time into signed
// 16-bit mono samples at 48 kHz. Rendering is event-driven: it jumps from one
// flip-flop transition to the next, and draws every change of the output as a
// band-limited step, so high notes do not alias.
//
// The whole state lives in fixed-size integer fields inside the object: it
// can be copied, saved field by field (Serialize) and never allocates.
class Psg {
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr std::uint32_t kDefaultClock = 3579545;
  // Processor clocks SetClock accepts (slower clocks would need more samples
  // per frame than the buffer holds).
  static constexpr std::uint32_t kMinClock = 3000000;
  static constexpr std::uint32_t kMaxClock = 8000000;
  // Longest frame EndFrame renders; a PAL frame is 71,364 cycles.
  static constexpr std::uint32_t kMaxFrameCycles = 100000;
  // Samples of the longest frame at the slowest clock, plus one.
  static constexpr int kMaxFrameSamples =
      static_cast<int>((std::uint64_t{kMinClock} - 1 + std::uint64_t{kMaxFrameCycles} * kSampleRate) / kMinClock) + 1;

  Psg();

  // Power-on: every channel silent (attenuation 15), periods 0, tone 0's
  // register latched, shift register 0x8000, nothing pending in the output.
  // The clock is kept.
  void Reset();

  // Processor clock in Hz, clamped to [kMinClock, kMaxClock].
  void SetClock(std::uint32_t cpuClockHz);
  std::uint32_t Clock() const { return clock; }

  // A byte written to the sound port `cycle` processor cycles into the frame.
  // Cycles must not decrease within a frame; an earlier one is taken as the
  // time already rendered, and one past the previous frame's length is
  // clamped to it.
  void Write(std::uint32_t cycle, std::uint8_t value);

  // Renders up to frameCycles (at most kMaxFrameCycles) and makes the frame's
  // samples readable; the next frame's cycles start at 0. Over any run of
  // frames, exactly kSampleRate samples come out per second of cycles.
  void EndFrame(std::uint32_t frameCycles);

  const std::int16_t* Samples() const { return samples; }
  int SampleCount() const { return sampleCount; }

  // Every field needed to continue bit-identically, as integers. After
  // loading, call Sanitize.
  template <class Archive>
  void Serialize(Archive& a);

  // Clamps every register, counter and position into range, so that a state
  // loaded from any bytes renders without stepping outside the buffers.
  void Sanitize();

  // Registers and generator state, for debuggers and tests.
  int TonePeriod(int channel) const { return tonePeriod[channel]; }
  int Attenuation(int channel) const { return attenuation[channel]; }
  int NoiseControl() const { return noiseControl; }
  int LatchedRegister() const { return latch; }
  std::uint16_t ShiftRegister() const { return shiftRegister; }
  // Flip-flop of channel 0-3 (3 = noise) and how often it has flipped since
  // Reset (wrapping); the noise shifts on each of its flip-flop's rising edges.
  int FlipFlop(int channel) const { return flipFlop[channel]; }
  std::uint32_t Flips(int channel) const { return flips[channel]; }

 private:
  void Render(std::uint32_t toCycle);
  void Advance(int channel, std::uint32_t steps);  // without drawing
  void Flip(int channel, std::uint32_t cycle);
  void Shift();
  void Decode(std::uint8_t value);
  int Reload(int channel) const;
  bool Drawn(int channel) const;
  std::int32_t Contribution(int channel) const;
  void AddStep(std::uint32_t cycle, std::int32_t delta);
  std::int32_t Amplitude(int channel) const;
  void UpdatePositions();
  int PendingDeltas() const;

  // Registers.
  std::uint16_t tonePeriod[3] = {};
  std::uint8_t attenuation[4] = {};
  std::uint8_t noiseControl = 0;
  std::uint8_t latch = 0;  // register 0-7: channel * 2 + (1 for attenuation)

  // Generators: counters run down once per chip step (16 processor cycles)
  // and flip their flip-flop on reaching zero.
  std::uint16_t counter[4] = {};
  std::uint8_t flipFlop[4] = {};
  std::uint16_t shiftRegister = 0;
  std::uint32_t flips[4] = {};

  // Emulated time within the frame.
  std::uint32_t clock = kDefaultClock;
  std::uint32_t sampleFraction = 0;  // frame start's sample position past a whole sample, in 1/clock
  std::uint32_t renderedCycle = 0;
  std::uint32_t nextStepCycle = 0;  // cycle of the next chip step, in [renderedCycle, renderedCycle + 16)
  std::uint32_t writeLimit = kMaxFrameCycles;

  // Output: deltas waiting to be summed, the running sum (Q kStepUnitBits,
  // with a slow leak that removes the DC), the finished frame.
  std::int32_t deltas[kMaxFrameSamples + psg::kStepTaps] = {};
  psg::StepExtent stepExtent{kMaxFrameSamples + psg::kStepTaps};
  std::int64_t integrator = 0;
  std::int16_t samples[kMaxFrameSamples] = {};
  int sampleCount = 0;

  // Derived from clock and sampleFraction, not saved: samples per processor
  // cycle and the frame start's position past a whole sample, 32.32 fixed point.
  std::uint64_t cycleSpan = 0;
  std::uint64_t frameStart = 0;
};

template <class Archive>
void Psg::Serialize(Archive& a) {
  a.Field(tonePeriod);
  a.Field(attenuation);
  a.Field(noiseControl);
  a.Field(latch);
  a.Field(counter);
  a.Field(flipFlop);
  a.Field(shiftRegister);
  a.Field(flips);
  a.Field(clock);
  a.Field(sampleFraction);
  a.Field(renderedCycle);
  a.Field(nextStepCycle);
  a.Field(writeLimit);
  // The whole delta buffer, so that a state's size never depends on what
  // the chip was doing (only the tail of the last steps drawn is nonzero).
  psg::SerializeSteps(a, deltas, stepExtent);
  a.Field(integrator);
}
