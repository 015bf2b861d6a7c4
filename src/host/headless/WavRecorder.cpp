#include "host/headless/WavRecorder.h"

#include <algorithm>
#include <iterator>
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
void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void Put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
}  // namespace

std::vector<std::uint8_t> WavRecorder::WavFile() const {
  auto dataSize = static_cast<std::uint32_t>(samples.size());
  std::uint8_t header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                             'f', 'm', 't', ' ', 0, 0, 0, 0, 0, 0, 0, 0,
                             0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0,
                             'd', 'a', 't', 'a', 0, 0, 0, 0};
  Put32(header + 4, 36 + dataSize + (dataSize & 1));
  Put32(header + 16, 16);           // size of the format chunk
  Put16(header + 20, 1);            // PCM
  Put16(header + 22, 1);            // mono
  Put32(header + 24, kSampleRate);  // samples per second
  Put32(header + 28, kSampleRate);  // bytes per second
  Put16(header + 32, 1);            // block alignment
  Put16(header + 34, 8);            // bits per sample
  Put32(header + 40, dataSize);
  std::vector<std::uint8_t> out(sizeof header + samples.size() + (dataSize & 1), 0);
  std::copy(std::begin(header), std::end(header), out.begin());
  std::copy(samples.begin(), samples.end(), out.begin() + sizeof header);
  return out;  // an odd data chunk keeps its zero pad byte
}
