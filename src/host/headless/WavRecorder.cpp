#include "host/headless/WavRecorder.h"

#include <span>

#include "machine/Machine.h"

WavRecorder::WavRecorder(const Machine& recordedMachine, int expectedFrames)
    : machine(recordedMachine) {
  SynthOpen(synth, kSampleRate);
  // 59736 cycles a frame, rounded up to whole buffers, plus one spare.
  std::uint64_t cycles = static_cast<std::uint64_t>(expectedFrames > 0 ? expectedFrames : 0) * 59736;
  samples.reserve(static_cast<std::size_t>(cycles * kSampleRate / kCpuClock) + 2 * SoundBufferSamples);
}

void WavRecorder::CatchUp() {
  // Buffer n ends at cycle (n + 1) * 256 * clock / rate.
  std::uint64_t cycles = machine.EmulatedCycles();
  std::uint64_t due = cycles * kSampleRate / (kCpuClock * SoundBufferSamples);
  while (buffersDone < due) {
    std::size_t at = samples.size();
    samples.resize(at + SoundBufferSamples);
    SynthFill(synth, std::span<std::uint8_t>(samples.data() + at, SoundBufferSamples));
    ++buffersDone;
  }
}

void WavRecorder::ChannelUpdate(int channel, int frequency, int volume) {
  CatchUp();
  SynthSetChannel(synth, static_cast<std::uint32_t>(channel), SetChannelParam(frequency, volume));
}

namespace {
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }
}  // namespace

std::vector<std::uint8_t> WavRecorder::WavFile() const {
  std::vector<std::uint8_t> out;
  auto dataSize = static_cast<std::uint32_t>(samples.size());
  out.reserve(44 + samples.size() + 1);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataSize + (dataSize & 1));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);            // PCM
  Put16(out, 1);            // mono
  Put32(out, kSampleRate);  // samples per second
  Put32(out, kSampleRate);  // bytes per second
  Put16(out, 1);            // block alignment
  Put16(out, 8);            // bits per sample
  PutTag(out, "data");
  Put32(out, dataSize);
  out.insert(out.end(), samples.begin(), samples.end());
  if (dataSize & 1) out.push_back(0);  // chunks are padded to even length
  return out;
}
