#include "host/headless/WavStream.h"

#include <cerrno>
#include <cstring>

namespace {

void Put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

void Header(std::uint8_t (&header)[44], int sampleRate, std::uint32_t dataBytes) {
  std::memcpy(header, "RIFF", 4);
  Put32(header + 4, 36 + dataBytes);
  std::memcpy(header + 8, "WAVEfmt ", 8);
  Put32(header + 16, 16);
  Put16(header + 20, 1);   // PCM
  Put16(header + 22, 1);   // mono
  Put32(header + 24, static_cast<std::uint32_t>(sampleRate));
  Put32(header + 28, static_cast<std::uint32_t>(sampleRate) * 2);
  Put16(header + 32, 2);
  Put16(header + 34, 16);
  std::memcpy(header + 36, "data", 4);
  Put32(header + 40, dataBytes);
}

}  // namespace

WavStream::~WavStream() {
  if (file) std::fclose(file);
}

bool WavStream::Open(const std::string& filePath, int sampleRate, std::string& error) {
  path = filePath;
  file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::uint8_t header[44];
  Header(header, sampleRate, 0);
  failed = std::fwrite(header, 1, sizeof header, file) != sizeof header;
  rate = sampleRate;
  return true;
}

bool WavStream::Append(const std::int16_t* samples, int count) {
  if (!file || failed || count <= 0) return !failed;
  std::uint8_t bytes[2 * 2048];
  while (count > 0) {
    const int chunk = count < 2048 ? count : 2048;
    for (int i = 0; i < chunk; ++i) Put16(bytes + 2 * i, static_cast<std::uint16_t>(samples[i]));
    if (std::fwrite(bytes, 2, static_cast<std::size_t>(chunk), file) != static_cast<std::size_t>(chunk)) failed = true;
    dataBytes += static_cast<std::uint64_t>(chunk) * 2;
    samples += chunk;
    count -= chunk;
  }
  return !failed;
}

bool WavStream::Finish(std::string& error) {
  if (!file) return false;
  std::uint8_t header[44];
  Header(header, rate, static_cast<std::uint32_t>(dataBytes));
  if (!failed && (std::fseek(file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, file) != sizeof header)) {
    failed = true;
  }
  const int errorNumber = errno;
  if (std::fclose(file) != 0) failed = true;
  file = nullptr;
  if (failed) error = "cannot write '" + path + "': " + std::strerror(errorNumber);
  return !failed;
}
