#pragma once

#include <cstdint>

// The console's timing, described once: the processor clock, the scanline and
// frame lengths in processor cycles and lines, and where the video chip's V
// counter jumps back so that a frame's lines still fit in one byte. Every
// part that needs a rate or a length reads it from here: the NTSC consoles
// (Japanese and export) have one, the PAL console the other.
struct Timing {
  std::uint32_t clockHz;      // processor cycles per second
  int cyclesPerLine;          // processor cycles per scanline
  int linesPerFrame;          // scanlines per frame, blanking included
  // For pictures of 192, 224 and 240 lines: the last line on which the V
  // counter still equals the line number (modulo 256); on the lines after
  // it the counter runs up to 0xFF at the frame's last line. 0: the
  // standard has no such picture (240 lines need a PAL console).
  int lastLineBeforeJump[3];

  constexpr std::uint32_t CyclesPerFrame() const {
    return static_cast<std::uint32_t>(cyclesPerLine) * static_cast<std::uint32_t>(linesPerFrame);
  }
  constexpr double FramesPerSecond() const { return static_cast<double>(clockHz) / CyclesPerFrame(); }
  constexpr bool Pal() const { return lastLineBeforeJump[2] != 0; }
};

// The NTSC consoles: 3,579,545 Hz, 228 cycles a line, 262 lines (59.92 frames
// a second); the V counter runs 0x00-0xDA, then 0xD5-0xFF with 192 lines,
// 0x00-0xEA, then 0xE5-0xFF with 224.
inline constexpr Timing kNtscTiming{3579545, 228, 262, {0xDA, 0xEA, 0}};
// The PAL console: 3,546,893 Hz, 228 cycles a line, 313 lines (49.70 frames
// a second); the V counter runs 0x00-0xF2, then 0xBA-0xFF with 192 lines,
// 0x00-0xFF, 0x00-0x02, then 0xCA-0xFF with 224, and 0x00-0xFF, 0x00-0x0A,
// then 0xD2-0xFF with 240.
inline constexpr Timing kPalTiming{3546893, 228, 313, {0xF2, 0x102, 0x10A}};

// Which console: the Japanese one (its nationalisation lines read high), the
// export NTSC one, or the export PAL one. kFromImage: the one the image's
// header names (a Japanese region code picks the Japanese console, anything
// else the export NTSC one).
enum class Region : std::uint8_t { kFromImage, kJapanese, kExport, kExportPal };

inline constexpr const Timing& TimingOf(Region region) {
  return region == Region::kExportPal ? kPalTiming : kNtscTiming;
}
