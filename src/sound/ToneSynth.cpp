#include "sound/ToneSynth.h"

#include <algorithm>
#include <iterator>
#include <cstddef>

namespace {

constexpr uint32_t PhaseCycle = 0x10000;
constexpr uint32_t PhaseHalf = 0x8000;
constexpr int32_t FullLevel = 32767;
// 32767 x 255 x 4 channels / 262144 stays below 128: no clipping needed.
constexpr int32_t MixDivisor = 262144;
constexpr int NoiseChannel = 3;

uint32_t PhaseStep(int32_t freq, int32_t rate) {
  return static_cast<uint32_t>((static_cast<uint64_t>(freq) << 16) / static_cast<uint64_t>(rate));
}

void MixTone(SynthState& state, int k, uint32_t step, int count) {
  const int32_t volume = state.chanVolume[k];
  uint32_t phase = state.phase[k];
  for (int s = 0; s < count; ++s) {
    const uint32_t next = phase + step;
    // Both halves high: +1, both low: -1, an edge inside the sample: 0.
    const int32_t highs = static_cast<int32_t>(((phase & PhaseHalf) >> 15) + ((next & PhaseHalf) >> 15));
    state.mixBuffer[s] += (highs * FullLevel - FullLevel) * volume;
    phase = next;
  }
  state.phase[k] = phase;
}

void MixNoise(SynthState& state, uint32_t step, int count) {
  const int32_t volume = state.chanVolume[NoiseChannel];
  uint32_t phase = state.phase[NoiseChannel];
  uint32_t shift = state.noiseShift;
  for (int s = 0; s < count; ++s) {
    phase += step;
    if (phase >= PhaseCycle) {
      // The register steps once per period of the noise frequency.
      phase &= PhaseCycle - 1;
      shift <<= 1;
      if (shift & 0x80000000u) shift ^= 0x08000001u;
    }
    const int32_t level = (shift & 1) ? FullLevel : -FullLevel;
    state.mixBuffer[s] += level * volume;
  }
  state.phase[NoiseChannel] = phase;
  state.noiseShift = shift;
}

void FillRun(SynthState& state, uint8_t* out, int count) {
  if (state.outputRate > 0) {
    for (int k = 0; k < SoundChannelCount; ++k) {
      // A silent channel keeps its phase where it is.
      if (state.chanFreq[k] <= 0 || state.chanVolume[k] == 0) continue;
      const uint32_t step = PhaseStep(state.chanFreq[k], state.outputRate);
      if (k == NoiseChannel) {
        MixNoise(state, step, count);
      } else {
        MixTone(state, k, step, count);
      }
    }
  }
  for (int s = 0; s < count; ++s) {
    out[s] = static_cast<uint8_t>(state.mixBuffer[s] / MixDivisor + 128);
    state.mixBuffer[s] = 0;
  }
}

}  // namespace

void SynthOpen(SynthState& state, int32_t rate) {
  state.outputRate = rate > 0 ? rate : 0;
  state.noiseShift = 1;
  for (int k = 0; k < SoundChannelCount; ++k) {
    state.chanFreq[k] = 0;
    state.chanVolume[k] = 0;
    state.phase[k] = 0;
  }
  std::fill(std::begin(state.mixBuffer), std::end(state.mixBuffer), 0);
}

int32_t SetChannelParam(int frequency, int volume) {
  return static_cast<int32_t>((static_cast<uint32_t>(frequency) << 8) + (static_cast<uint32_t>(volume) & 0xFF));
}

void SynthSetChannel(SynthState& state, uint32_t channel, int32_t param) {
  if (channel >= SoundChannelCount) return;
  state.chanVolume[channel] = param & 0xFF;
  const int32_t freq = param >> 8;
  // Above half the sample rate a square wave would only alias.
  state.chanFreq[channel] = freq > state.outputRate / 2 ? 0 : freq;
}

void SynthFill(SynthState& state, std::span<uint8_t> samples) {
  std::size_t done = 0;
  while (done < samples.size()) {
    const int count = static_cast<int>(std::min<std::size_t>(samples.size() - done, SoundBufferSamples));
    FillRun(state, samples.data() + done, count);
    done += static_cast<std::size_t>(count);
  }
}
