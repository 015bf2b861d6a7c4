#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/Console.h"
#include "host/files/AtomicFile.h"

// Streams a sound log to a VGM file (version 1.71): every write the PSG and
// the FM chip took, with its time in 44,100ths of a second as the format
// counts it, then a GD3 tag naming the image. Like the WAV writer, it writes
// beside the target and renames into place at Finish; Abort (or destroying
// an unfinished writer) leaves nothing under the name.
class VgmWriter {
 public:
  static constexpr std::uint32_t kSampleRate = 44100;
  static constexpr std::uint32_t kHeaderBytes = 0x100;

  // `clockHz` is the processor's clock, which both chips share.
  Result Open(const std::string& path, std::uint32_t clockHz);
  // One frame's writes (Console::SoundWrites) and the frame's length.
  Result AppendFrame(const Console::SoundWrite* writes, int count, std::uint32_t frameCycles);
  // Ends the data, adds the GD3 tag with `title` (UTF-8) as the game's and
  // the track's name, fills in the header and puts the file in place.
  Result Finish(const std::string& title);
  void Abort();
  bool IsOpen() const { return file.IsOpen(); }
  std::uint64_t Samples() const { return samples; }

 private:
  void WaitUntil(std::uint64_t sample);
  Result Flush();

  TemporaryFile file;
  std::vector<std::uint8_t> pending;
  std::uint32_t clock = 0;
  std::uint64_t cycles = 0;   // processor cycles of the frames appended
  std::uint64_t samples = 0;  // samples the waits so far cover
  std::uint64_t dataBytes = 0;
  bool fmUsed = false;
};
