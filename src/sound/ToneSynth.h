#pragma once

#include <cstdint>
#include <span>

// The synthesiser that plays the PSG's channel states: three square-wave tone
// channels and one noise channel, mixed into unsigned 8-bit mono samples with
// silence at 128. It is portable state plus two operations; whoever owns a
// sound output (a device thread on the desktop, emulated time headless) feeds
// it channel messages between buffer fills.

// Samples in one wave buffer, and the width of the mix.
inline constexpr int SoundBufferSamples = 256;
inline constexpr int SoundChannelCount = 4;

// Thread message that carries one channel change to the sound output:
// wParam = channel 0-3, lParam = SetChannelParam(frequency, volume).
inline constexpr uint32_t MSG_SET_CHANNEL = 0x1002;

// The synthesis state of one sound output.
struct SynthState {
  int32_t outputRate = 0;                       // samples per second; 0 = closed
  int32_t chanFreq[SoundChannelCount] = {};     // Hz, 0 = silent
  int32_t chanVolume[SoundChannelCount] = {};   // 0-255
  uint32_t phase[SoundChannelCount] = {};       // one channel cycle is 0x10000
  uint32_t noiseShift = 1;                      // noise shift register
  int32_t mixBuffer[SoundBufferSamples] = {};   // zero between fills
};

// Starts a fresh output at `rate` samples per second: channels silent, phases
// zero, noise register 1.
void SynthOpen(SynthState& state, int32_t rate);

// The lParam of MSG_SET_CHANNEL: (frequency << 8) + volume in the low 8 bits.
int32_t SetChannelParam(int frequency, int volume);

// Applies one MSG_SET_CHANNEL. Frequencies above half the output rate are
// silenced. A channel number outside 0-3 is ignored.
void SynthSetChannel(SynthState& state, uint32_t channel, int32_t param);

// Fills `samples` (any length) with the next samples of the output. No
// allocation; works through mixBuffer in runs of SoundBufferSamples.
void SynthFill(SynthState& state, std::span<uint8_t> samples);
