#pragma once

// The per-scanline step: counters, drawing, and the two interrupt windows.
// Defined in a header and always inlined: it runs once a line, and the
// console's frame loop keeps it in line (a call a line costs a plain frame
// about 1 % of its instructions). Include it where StepLine is called.
#include "vdp/Video.h"

inline std::uint16_t Video::StepLine() {
  ++line;
  if (line == linesPerFrame) line = 0;
  // The picture's height follows the registers line by line, and with it
  // where the V counter jumps back so that it reaches 0xFF on the frame's
  // last line.
  const int lines = PictureLines();
  pictureLines = lines;
  const int jump = lastLineBeforeJump[lines == kHeight ? 0 : lines == 224 ? 1 : 2];
  vCounter = static_cast<std::uint8_t>(line <= jump ? line : line + 256 - linesPerFrame);

  // The chip's interrupt output is a level: each source is asked for on
  // every line, in any part of the frame, from when it is raised until a
  // status read clears it, so a program that enables interrupts late still
  // gets the one it missed. The frame source is held back while a control
  // pair is half written.
  const bool frameAsserted = (status & 0x80) && (regs[1] & 0x20) && !secondByte;
  // The TMS9918 has no line interrupt.
  const bool lineInterrupts = (regs[0] & 0x10) && !tms9918;
  const bool lineAsserted = lineInterruptPending && lineInterrupts;
  if (line > lines) {
    if (frameAsserted) return kMaskableInterrupt;
  } else {
    if (line < lines) RenderLine(line);
    if (line == lines - 1) {
      frameDone = true;
      frameHeight = lines;
    }
    if (line == lines) framePending = true;
    if (line == 0) lineCounter = regs[10];
    if (lineCounter != 0) {
      --lineCounter;
    } else {
      lineCounter = regs[10];
      lineInterruptPending = true;
    }
    if (lineInterruptPending && lineInterrupts) return kMaskableInterrupt;
    if (frameAsserted) return kMaskableInterrupt;  // from the last frame, never read
  }

  if (framePending) {
    status |= 0x80;
    framePending = false;
  }
  // A line request raised on an earlier line and not yet read.
  if (lineAsserted) return kMaskableInterrupt;
  return kNoInterrupt;
}
