#include "sound/PSG.h"

namespace {

// Tone frequency from the 10-bit period: the chip divides its 3.58 MHz clock
// by 32 per period step.
constexpr int32_t ToneClock = 111861;
// Periods this short give tones far above hearing; they are treated as silence.
constexpr int32_t HighestTone = 15000;
// Noise frequencies for rates 0-2 (clock / 512, / 1024, / 2048); rate 3 follows tone 2.
constexpr int32_t NoiseFreq[3] = {6991, 3495, 1747};

}  // namespace

void PSG::Reset(ChannelSink newSink) {
  for (int k = 0; k < 4; ++k) {
    freq[k] = 0;
    volume[k] = 0;
  }
  toneLatch = 0;
  pending = 0;
  deferred = 0;
  noiseRate = NoNoiseRate;
  sink = newSink;
  for (int k = 0; k < 4; ++k) {
    if (sink != nullptr) sink(k, 0, 0);
  }
}

void PSG::Deliver(int channel) {
  if (deferred != 0) {
    pending = static_cast<uint8_t>(pending | (1u << channel));
  } else if (sink != nullptr) {
    sink(channel, freq[channel], volume[channel]);
  }
}

void PSG::Write(uint8_t value) {
  if (value & 0x80) {
    WriteLatch(value);
  } else {
    WriteData(value);
  }
}

void PSG::WriteLatch(uint8_t value) {
  switch (value & 0xF0) {
    case 0x80:
    case 0xA0:
    case 0xC0:
      // Tone period latch: the low four bits wait for the next data byte.
      toneLatch = value;
      return;
    case 0x90:
    case 0xB0:
    case 0xD0:
    case 0xF0: {
      const int channel = (value - 0x90) >> 5;
      // Attenuation 0 is loudest; the scale is kept linear.
      const int32_t newVolume = (15 - (value & 0x0F)) * 16;
      if (newVolume == volume[channel]) return;
      volume[channel] = newVolume;
      Deliver(channel);
      return;
    }
    default: {  // 0xE0, noise control; the noise-type bit (bit 2) is not modelled
      const uint8_t rate = value & 3;
      if (rate == noiseRate) return;
      noiseRate = rate;
      freq[3] = rate == 3 ? freq[2] : NoiseFreq[rate];
      Deliver(3);
      return;
    }
  }
}

void PSG::WriteData(uint8_t value) {
  if ((toneLatch & 0xC0) == 0) return;  // no tone latch since reset
  const int32_t period = ((value & 0x3F) << 4) | (toneLatch & 0x0F);
  int32_t f = ToneClock / (period + 1);
  if (f > HighestTone) f = 0;
  const int channel = (toneLatch - 0x80) >> 5;
  if (f == freq[channel]) return;
  if (channel == 2 && noiseRate == 3) {
    // Noise at rate 3 is clocked by tone 2, so it follows every change of it.
    freq[3] = f;
    Deliver(3);
  }
  freq[channel] = f;
  Deliver(channel);
}

void PSG::Flush(int mode) {
  if (deferred != 0 && pending != 0 && sink != nullptr) {
    for (int k = 0; k < 4; ++k) {
      if (pending & (1u << k)) sink(k, freq[k], volume[k]);
    }
  }
  pending = 0;
  if (mode != FlushKeep) deferred = mode;
}
