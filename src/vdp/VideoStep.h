#pragma once

// The per-scanline step: counters, drawing, and the two interrupt windows.
// Defined in a header and always inlined: it runs once a line, and the
// console's frame loop keeps it in line (a call a line costs a plain frame
// about 1 % of its instructions). Include it where StepLine is called.
#include "vdp/Video.h"

inline std::uint16_t Video::StepLine() {
  vCounter = static_cast<std::uint8_t>(vCounter + 1);
  ++line;
  if (line == linesPerFrame) {
    line = 0;
    vCounter = 0;
  }
  // The V counter jumps back after 0xDA so that it still fits in a byte and
  // reaches 0xFF on the last line of the frame.
  if (vCounter == vCounterJumpLine && line == vCounterJumpLine) {
    vCounter = static_cast<std::uint8_t>(vCounterJumpLine - linesPerFrame);
  }

  // The chip's interrupt output is a level: each source is asked for on
  // every line, in any part of the frame, from when it is raised until a
  // status read clears it, so a program that enables interrupts late still
  // gets the one it missed. The frame source is held back while a control
  // pair is half written.
  const bool frameAsserted = (status & 0x80) && (regs[1] & 0x20) && !secondByte;
  // The TMS9918 has no line interrupt.
  const bool lineInterrupts = (regs[0] & 0x10) && !tms9918;
  const bool lineAsserted = lineInterruptPending && lineInterrupts;
  if (line > 192) {
    if (frameAsserted) return kMaskableInterrupt;
  } else {
    if (line <= 191) RenderLine(line);
    if (line == 191) frameDone = true;
    if (line == 192) framePending = true;
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
