#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/files/AtomicFile.h"
#include "host/files/Result.h"

// Streams a recording to a RIFF WAV file (PCM, 16-bit, mono, 48,000 Hz) as
// it runs: samples go to a temporary file beside the target, Finish writes
// the sizes into the header and renames it into place, Abort (or destroying
// an unfinished writer) removes it. No partial file is left under the name.
class WavWriter {
 public:
  static constexpr int kSampleRate = 48000;
  static constexpr int kHeaderBytes = 44;
  // RIFF counts in 32 bits: the data may not take the file past 4 GB.
  static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

  // Whether `frames` frames at `framesPerSecond` fit one WAV file; a
  // failure with a clear line, to check before anything runs.
  static Result CheckLength(std::uint64_t frames, double framesPerSecond);

  // Writes through `ops` (which must outlive the writer).
  explicit WavWriter(const FileOps& ops = SystemFileOps()) : file(ops) {}

  Result Open(const std::string& path);
  Result Append(const std::int16_t* samples, std::size_t count);
  Result Finish();
  void Abort();

  std::uint64_t DataBytes() const { return dataBytes; }

 private:
  TemporaryFile file;
  std::uint64_t dataBytes = 0;
};
