#pragma once

#include <cstdint>

// Receives every change of a channel: channel 0-3 (3 is noise), frequency in
// Hz (0 = silent) and volume 0-240.
using ChannelSink = void (*)(int channel, int frequency, int volume);

// How PSG::Flush treats later changes.
enum FlushMode : int {
  FlushImmediate = 0,  // deliver every change at once from now on
  FlushDeferred = 1,   // collect changes until the next flush (any value but 0 and 2)
  FlushKeep = 2,       // keep the current setting
};

// The SN76489 sound chip as the console's port 0x7E/0x7F sees it. It makes no
// samples: it decodes the byte stream into four channel states (frequency and
// volume) and hands every change of a channel to its sink.
class PSG {
 public:
  // A noise rate that no noise-control byte carries: after reset the first
  // noise-control byte always takes effect.
  static constexpr uint8_t NoNoiseRate = 0xFF;

  // Installs the sink and silences the chip: the sink hears (k, 0, 0) for
  // channels 0 to 3 in order.
  void Reset(ChannelSink newSink);

  // One byte written by the processor to the sound port.
  void Write(uint8_t value);

  // Delivers collected changes (ascending channel order) and sets how later
  // changes are delivered; see FlushMode.
  void Flush(int mode);

  int32_t freq[4] = {};
  int32_t volume[4] = {};
  int32_t deferred = 0;
  uint8_t noiseRate = NoNoiseRate;
  uint8_t toneLatch = 0;
  uint8_t pending = 0;
  ChannelSink sink = nullptr;

 private:
  void Deliver(int channel);
  void WriteLatch(uint8_t value);
  void WriteData(uint8_t value);
};
