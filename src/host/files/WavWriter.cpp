#include "host/files/WavWriter.h"

#include <cmath>
#include <algorithm>
#include <cstring>

namespace {

void Put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, static_cast<std::uint16_t>(value));
  Put16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

// The WAV file is the command line's (--audio): its own failures are said in
// the log's words alone.
Result WavWriter::CheckLength(std::uint64_t frames, double framesPerSecond) {
  // One extra sample a frame covers rounding in whoever feeds the writer.
  double samples = std::ceil(static_cast<double>(frames) * (kSampleRate / framesPerSecond)) + static_cast<double>(frames);
  double bytes = samples * 2;
  if (bytes <= static_cast<double>(kMaxDataBytes)) return {};
  auto maxFrames = static_cast<std::uint64_t>(static_cast<double>(kMaxDataBytes) / 2 / (kSampleRate / framesPerSecond + 1));
  return LogReason("--audio cannot record " + std::to_string(frames) + " frames: a WAV file holds at most 4 GB, " +
                   std::to_string(maxFrames) + " frames of 16-bit " + std::to_string(kSampleRate) + " Hz sound");
}

Result WavWriter::Open(const std::string& path) {
  dataBytes = 0;
  if (Result opened = file.Open(path); !opened) return opened;
  std::uint8_t header[kHeaderBytes] = {};
  std::memcpy(header, "RIFF", 4);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);                 // format chunk size
  Put16(header + 20, 1);                  // PCM
  Put16(header + 22, 1);                  // mono
  Put32(header + 24, kSampleRate);
  Put32(header + 28, kSampleRate * 2);    // bytes per second
  Put16(header + 32, 2);                  // bytes per sample frame
  Put16(header + 34, 16);                 // bits per sample
  std::memcpy(header + 36, "data", 4);
  return file.Write(header, sizeof header);  // sizes stay 0 until Finish
}

Result WavWriter::Append(const std::int16_t* samples, std::size_t count) {
  if (!file.IsOpen()) return LogReason("no WAV file is open");
  if (count * 2 > kMaxDataBytes - dataBytes) {
    Reason why = LogReason("cannot write '" + file.Target() + "': a WAV file holds at most 4 GB");
    Abort();
    return why;
  }
  // Little-endian on disk whatever the host's order, a block at a time.
  std::uint8_t bytes[2048];
  while (count > 0) {
    std::size_t block = std::min(count, sizeof bytes / 2);
    for (std::size_t i = 0; i < block; ++i) Put16(&bytes[i * 2], static_cast<std::uint16_t>(samples[i]));
    if (Result written = file.Write(bytes, block * 2); !written) return written;
    dataBytes += block * 2;
    samples += block;
    count -= block;
  }
  return {};
}

Result WavWriter::Finish() {
  if (!file.IsOpen()) return LogReason("no WAV file is open");
  std::uint8_t size[4];
  Put32(size, static_cast<std::uint32_t>(dataBytes + kHeaderBytes - 8));
  if (Result written = file.WriteAt(4, size, 4); !written) return written;
  Put32(size, static_cast<std::uint32_t>(dataBytes));
  if (Result written = file.WriteAt(40, size, 4); !written) return written;
  return file.Commit();
}

void WavWriter::Abort() { file.Abort(); }
