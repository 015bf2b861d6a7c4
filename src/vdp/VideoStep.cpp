// The per-scanline step: counters, drawing, and the two interrupt windows.
#include "vdp/Video.h"

std::uint16_t Video::StepLine() {
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

  if (line > 192) {
    // Frame interrupt window: a level, asked for on every line 193-223 while
    // the flag is set; never while a control pair is half written.
    if (line < 224 && (status & 0x80) && (regs[1] & 0x20) && !secondByte) return kMaskableInterrupt;
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
    if (lineInterruptPending && (regs[0] & 0x10)) return kMaskableInterrupt;
  }

  if (framePending) {
    status |= 0x80;
    framePending = false;
  }
  return kNoInterrupt;
}
