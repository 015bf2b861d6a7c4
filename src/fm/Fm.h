#pragma once

#include <cstdint>

#include "psg/Psg.h"
#include "psg/StepTable.h"

// The YM2413 FM synthesiser of the Japanese Master System (and of the Mark
// III's FM add-on): nine two-operator channels, or six and five rhythm
// instruments, fifteen built-in instruments and one the program defines.
//
// The chip makes one sample every 72 of its clocks; its clock is the
// processor's. The console hands it the writes to its address and data ports
// with the processor cycle (within the frame) of each, and closes the frame
// with EndFrame; the chip's samples are then resampled into 48 kHz output as
// band-limited steps, the way the PSG draws its own output, so both meet in
// the same emulated time. While every operator is silent the chip only
// counts time forward.
//
// The whole state lives in fixed-size integer fields inside the object: no
// allocation, nothing thrown, saved field by field (Serialize).
class Fm {
 public:
  static constexpr int kSampleRate = Psg::kSampleRate;
  static constexpr std::uint32_t kCyclesPerSample = 72;
  static constexpr std::uint32_t kMaxFrameCycles = Psg::kMaxFrameCycles;
  static constexpr int kMaxFrameSamples = Psg::kMaxFrameSamples;
  static constexpr int kChannels = 9;
  static constexpr int kOperators = 18;

  Fm();

  // Power-on: every register 0, every operator silent. The clock is kept.
  void Reset();

  // Processor (and chip) clock in Hz, clamped as the PSG's.
  void SetClock(std::uint32_t cpuClockHz);

  // Port 0xF0 chooses a register, port 0xF1 writes it, `cycle` processor
  // cycles into the frame (same rules as Psg::Write). The chip's limits on
  // how soon a write may follow another are not modelled.
  void WriteAddress(std::uint8_t value) { address = value; }
  void WriteData(std::uint32_t cycle, std::uint8_t value);

  // Renders up to frameCycles and makes the frame's samples readable.
  void EndFrame(std::uint32_t frameCycles);
  const std::int16_t* Samples() const { return samples; }
  int SampleCount() const { return sampleCount; }
  // The last frame's samples were all 0 and nothing was rendered for them:
  // the chip was silent and its output had settled.
  bool SilentFrame() const { return silentFrame; }

  template <class Archive>
  void Serialize(Archive& a);
  // Puts every field of a loaded state back in range and rebuilds what is
  // derived from the registers.
  void Sanitize();

  // Registers and operators, for debuggers and tests.
  std::uint8_t Register(int index) const { return regs[index & 0x3F]; }
  std::uint8_t Address() const { return address; }
  // Envelope attenuation of operator 0-17 (channel * 2, + 1 for the
  // carrier), 0 (full) to 127 (silent) in 0.375 dB steps.
  int EnvelopeLevel(int op) const { return ops[op].level; }
  // Any operator sounding.
  bool Sounding() const { return sounding; }

 private:
  enum Stage : std::uint8_t { kAttack, kDecay, kSustain, kRelease, kOff };

  struct Operator {
    std::uint32_t phase;  // 19 bits: one turn of the wave
    std::uint8_t stage;
    std::uint8_t level;   // envelope, 0-127
    std::uint8_t keyed;   // key line as last seen
  };

  // Derived from the registers (rebuilt after every write and after loading).
  struct Voice {
    std::uint32_t increment;  // phase step per sample
    std::uint8_t rate[4];     // attack, decay, sustain, release: 0-63
    std::uint8_t sustainLevel;
    std::uint16_t attenuation;  // total level or volume plus level key scaling, 0.375 dB steps
    bool am, vibrato, halfSine;
    std::uint8_t feedback;  // 0: none, else shift 9 - FB
  };

  void Render(std::uint32_t toCycle);
  std::int32_t Sample();
  bool RhythmSounding() const;
  std::int32_t RhythmSample();
  void Store(int reg, std::uint8_t value);
  void UpdateVoices();
  void UpdateKeys();
  bool KeyLine(int op) const;
  const std::uint8_t* Patch(int channel) const;
  void StepEnvelope(Operator& o, const Voice& v);
  std::int32_t Output(const Operator& o, const Voice& v, std::int32_t phaseIndex) const;
  std::uint32_t PhaseStep(const Voice& v) const;
  void AddStep(std::uint32_t cycle, std::int32_t delta);
  void UpdatePositions();
  bool Rhythm() const { return (regs[0x0E] & 0x20) != 0; }

  // Registers, the address latch and the operators.
  std::uint8_t regs[0x40] = {};
  std::uint8_t address = 0;
  Operator ops[kOperators] = {};
  std::int16_t feedback[kChannels][2] = {};  // the modulator's last two outputs
  std::uint32_t egCounter = 0;
  std::uint32_t amCounter = 0;  // 0 .. kAmPeriod - 1
  std::uint32_t pmCounter = 0;
  std::uint32_t noise = 1;      // 23-bit shift register of the rhythm instruments

  // Emulated time and output, as the PSG keeps them.
  std::uint32_t clock = Psg::kDefaultClock;
  std::uint32_t sampleFraction = 0;
  std::uint32_t renderedCycle = 0;
  std::uint32_t nextSampleCycle = 0;
  std::uint32_t writeLimit = kMaxFrameCycles;
  std::int32_t lastOutput = 0;
  std::int32_t deltas[kMaxFrameSamples + psg::kStepTaps] = {};
  psg::StepExtent stepExtent{kMaxFrameSamples + psg::kStepTaps};
  std::int64_t integrator = 0;
  std::int16_t samples[kMaxFrameSamples] = {};
  int sampleCount = 0;

  // Derived, not saved.
  Voice voices[kOperators] = {};
  bool sounding = false;
  bool stepped = false;      // a step was drawn since the last EndFrame
  bool settled = false;      // the output's sum had come to rest at the last EndFrame
  bool silentFrame = false;
  int amDepth = 0;  // this sample's amplitude modulation and vibrato position
  int pmStep = 0;
  std::uint64_t cycleSpan = 0;
  std::uint64_t frameStart = 0;
};

template <class Archive>
void Fm::Serialize(Archive& a) {
  a.Field(regs);
  a.Field(address);
  for (Operator& o : ops) {
    a.Field(o.phase);
    a.Field(o.stage);
    a.Field(o.level);
    a.Field(o.keyed);
  }
  a.Field(feedback);
  a.Field(egCounter);
  a.Field(amCounter);
  a.Field(pmCounter);
  a.Field(noise);
  a.Field(clock);
  a.Field(sampleFraction);
  a.Field(renderedCycle);
  a.Field(nextSampleCycle);
  a.Field(writeLimit);
  a.Field(lastOutput);
  psg::SerializeSteps(a, deltas, stepExtent);
  a.Field(integrator);
}
