#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A WAV file written as the samples come: 16-bit signed mono PCM. The header's
// sizes are filled in by Finish.
class WavStream {
 public:
  ~WavStream();
  bool Open(const std::string& path, int sampleRate, std::string& error);
  bool Append(const std::int16_t* samples, int count);
  bool Finish(std::string& error);

 private:
  std::FILE* file = nullptr;
  std::string path;
  std::uint64_t dataBytes = 0;
  bool failed = false;
  int rate = 0;
};
