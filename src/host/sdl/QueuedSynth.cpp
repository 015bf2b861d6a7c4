#include "host/sdl/QueuedSynth.h"

#include <chrono>

std::int64_t SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

QueuedSynth::QueuedSynth(std::int32_t rate, Clock stampClock)
    : clock(stampClock ? stampClock : SteadyNanoseconds) {
  SynthOpen(synth, rate);
}

bool QueuedSynth::PushOrKeep(std::uint32_t channel, std::int32_t param, std::int64_t now) {
  if (queue.Push(Message{channel, param, now})) return true;
  // Full: keep the latest state of the channel and send it later. Only the
  // last state before a fill is ever heard, so nothing audible is lost.
  if (channel < SoundChannelCount) {
    if (!(heldMask & (1u << channel))) heldSince[channel] = now;
    heldParam[channel] = param;
    heldMask |= 1u << channel;
  }
  ++queueFull;
  return false;
}

void QueuedSynth::ChannelUpdate(int channel, int frequency, int volume) {
  const std::int64_t now = clock();
  for (std::uint32_t held = 0; held < SoundChannelCount && heldMask; ++held) {
    if (!(heldMask & (1u << held))) continue;
    if (!queue.Push(Message{held, heldParam[held], heldSince[held]})) break;
    heldMask &= ~(1u << held);
  }
  const auto target = static_cast<std::uint32_t>(channel);
  if (target < SoundChannelCount && (heldMask & (1u << target))) {
    // An older state of this channel is still held back: replace it, so the
    // order of changes to one channel is kept.
    heldParam[target] = SetChannelParam(frequency, volume);
    return;
  }
  PushOrKeep(target, SetChannelParam(frequency, volume), now);
}

void QueuedSynth::Fill(std::span<std::uint8_t> samples, std::int64_t aheadNs) {
  const std::int64_t now = clock();
  Message message;
  while (queue.Pop(message)) {
    SynthSetChannel(synth, message.channel, message.param);
    const std::int64_t delay = now - message.postedNs + aheadNs;
    ++measured;
    totalNs += delay;
    if (delay > maxNs) maxNs = delay;
  }
  SynthFill(synth, samples);
}

QueuedSynth::DelayFigures QueuedSynth::Delay() const {
  DelayFigures figures;
  figures.changes = measured;
  figures.meanMs = measured ? static_cast<double>(totalNs) / static_cast<double>(measured) / 1e6 : 0;
  figures.maxMs = static_cast<double>(maxNs) / 1e6;
  figures.queueFull = queueFull;
  return figures;
}
