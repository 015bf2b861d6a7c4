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

// The WAV file is the command line's (--audio): its failures are said in
// the log's words.
bool Written(const Result& result, std::string& error) {
  if (!result) error = result.Log();
  return static_cast<bool>(result);
}

}  // namespace

bool WavWriter::CheckLength(std::uint64_t frames, double framesPerSecond, std::string& error) {
  // One extra sample a frame covers rounding in whoever feeds the writer.
  double samples = std::ceil(static_cast<double>(frames) * (kSampleRate / framesPerSecond)) + static_cast<double>(frames);
  double bytes = samples * 2;
  if (bytes <= static_cast<double>(kMaxDataBytes)) return true;
  auto maxFrames = static_cast<std::uint64_t>(static_cast<double>(kMaxDataBytes) / 2 / (kSampleRate / framesPerSecond + 1));
  error = "--audio cannot record " + std::to_string(frames) + " frames: a WAV file holds at most 4 GB, " +
          std::to_string(maxFrames) + " frames of 16-bit " + std::to_string(kSampleRate) + " Hz sound";
  return false;
}

bool WavWriter::Open(const std::string& path, std::string& error) {
  dataBytes = 0;
  if (Result opened = file.Open(path); !opened) {
    error = opened.Log();
    return false;
  }
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
  return Written(file.Write(header, sizeof header), error);  // sizes stay 0 until Finish
}

bool WavWriter::Append(const std::int16_t* samples, std::size_t count, std::string& error) {
  if (!file.IsOpen()) {
    error = "no WAV file is open";
    return false;
  }
  if (count * 2 > kMaxDataBytes - dataBytes) {
    error = "cannot write '" + file.Target() + "': a WAV file holds at most 4 GB";
    Abort();
    return false;
  }
  // Little-endian on disk whatever the host's order, a block at a time.
  std::uint8_t bytes[2048];
  while (count > 0) {
    std::size_t block = std::min(count, sizeof bytes / 2);
    for (std::size_t i = 0; i < block; ++i) Put16(&bytes[i * 2], static_cast<std::uint16_t>(samples[i]));
    if (!Written(file.Write(bytes, block * 2), error)) return false;
    dataBytes += block * 2;
    samples += block;
    count -= block;
  }
  return true;
}

bool WavWriter::Finish(std::string& error) {
  if (!file.IsOpen()) {
    error = "no WAV file is open";
    return false;
  }
  std::uint8_t size[4];
  Put32(size, static_cast<std::uint32_t>(dataBytes + kHeaderBytes - 8));
  if (!Written(file.WriteAt(4, size, 4), error)) return false;
  Put32(size, static_cast<std::uint32_t>(dataBytes));
  if (!Written(file.WriteAt(40, size, 4), error)) return false;
  return Written(file.Commit(), error);
}

void WavWriter::Abort() { file.Abort(); }
