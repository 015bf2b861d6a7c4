#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "host/sdl/SpscQueue.h"
#include "sound/SoundOutput.h"
#include "sound/ToneSynth.h"

// A sound output that lives on two threads. The emulation thread hands every
// channel change to ChannelUpdate, which only pushes a message onto a
// lock-free queue; the audio device's thread calls Fill, which applies the
// waiting messages in order and then synthesises the next samples. Between
// the two nothing is shared but the queue, so neither side can stall the
// other.
//
// Each message carries the time it was posted, so Fill can measure how long
// a change takes to reach the speaker: the wait in the queue plus the audio
// the device still plays before the buffer being filled.
class QueuedSynth final : public SoundOutput {
 public:
  // Room for 1023 changes; a frame of music writes a few dozen at most.
  static constexpr std::size_t kQueueSlots = 1024;

  struct Message {
    std::uint32_t channel = 0;
    std::int32_t param = 0;      // SetChannelParam(frequency, volume)
    std::int64_t postedNs = 0;   // steady-clock time of the write
  };

  // What the delay measurement found: changes measured, their mean and
  // largest delay, and how many changes found the queue full (those are
  // kept per channel and sent with the next change, never lost).
  struct DelayFigures {
    std::int64_t changes = 0;
    double meanMs = 0;
    double maxMs = 0;
    std::int64_t queueFull = 0;
  };

  using Clock = std::int64_t (*)();  // nanoseconds on a steady clock

  // Starts silent at `rate` samples per second. `clock` stamps messages and
  // fills; nullptr uses the steady system clock.
  explicit QueuedSynth(std::int32_t rate, Clock clock = nullptr);

  // Emulation thread.
  void ChannelUpdate(int channel, int frequency, int volume) override;

  // Audio thread: applies every waiting change, then fills `samples`.
  // `aheadNs` is how much audio the device plays before these samples.
  void Fill(std::span<std::uint8_t> samples, std::int64_t aheadNs);

  // Read when the audio thread has stopped (or in tests).
  DelayFigures Delay() const;
  const SynthState& Synth() const { return synth; }

 private:
  bool PushOrKeep(std::uint32_t channel, std::int32_t param, std::int64_t now);

  Clock clock;
  SpscQueue<Message, kQueueSlots> queue;
  // Emulation-thread side: changes that found the queue full, latest per
  // channel, sent before the next change.
  std::int32_t heldParam[SoundChannelCount] = {};
  std::int64_t heldSince[SoundChannelCount] = {};
  unsigned heldMask = 0;
  std::int64_t queueFull = 0;
  // Audio-thread side.
  SynthState synth;
  std::int64_t measured = 0;
  std::int64_t totalNs = 0;
  std::int64_t maxNs = 0;
};

// The steady clock in nanoseconds.
std::int64_t SteadyNanoseconds();
