#pragma once

#include <cstdint>
#include <vector>

#include "sound/SoundOutput.h"
#include "sound/ToneSynth.h"

class Machine;

// The headless sound output: it plays the channel changes into a sample
// stream in emulated time instead of on a device. One buffer of 256 samples
// is filled per 256/22050 s of processor cycles, and every change is applied
// between two buffer fills, at the buffer boundary where it was made; the
// same cartridge and input therefore always give the same samples.
class WavRecorder final : public SoundOutput {
 public:
  static constexpr int kSampleRate = 22050;
  static constexpr std::uint64_t kCpuClock = 3579545;  // processor cycles per second

  // Records against the machine's cycle count; `expectedFrames` sizes the
  // sample store up front so recording does not allocate as it goes.
  WavRecorder(const Machine& machine, int expectedFrames);

  void ChannelUpdate(int channel, int frequency, int volume) override;
  // Fills every buffer that ended by the machine's current cycle.
  void CatchUp();

  const std::vector<std::uint8_t>& Samples() const { return samples; }
  // The samples as a RIFF WAV file: PCM, unsigned 8-bit, mono, 22050 Hz.
  std::vector<std::uint8_t> WavFile() const;

 private:
  const Machine& machine;
  SynthState synth;
  std::uint64_t buffersDone = 0;
  std::vector<std::uint8_t> samples;
};
