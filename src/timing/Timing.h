#pragma once

#include <cstdint>

// The console's timing, described once: the processor clock, the scanline and
// frame lengths in processor cycles and lines, and where the video chip's V
// counter jumps back so that a frame's lines still fit in one byte. Every
// part that needs a rate or a length reads it from here. A PAL console will
// be a second instance.
struct Timing {
  std::uint32_t clockHz;      // processor cycles per second
  int cyclesPerLine;          // processor cycles per scanline
  int linesPerFrame;          // scanlines per frame, blanking included
  int visibleLines;           // lines drawn; the frame is complete after the last
  int vCounterJumpLine;       // on this line the V counter jumps back by linesPerFrame

  constexpr std::uint32_t CyclesPerFrame() const {
    return static_cast<std::uint32_t>(cyclesPerLine) * static_cast<std::uint32_t>(linesPerFrame);
  }
  constexpr double FramesPerSecond() const { return static_cast<double>(clockHz) / CyclesPerFrame(); }
};

// The NTSC console: 3,579,545 Hz, 228 cycles a line, 262 lines (59.92 frames
// a second); the V counter runs 0x00-0xDA, then 0xD5-0xFF.
inline constexpr Timing kNtscTiming{3579545, 228, 262, 192, 219};
