#include "z80/Z80Core.h"

Z80Core::Z80Core() { Reset(); }

void Z80Core::Reset() {
  af = bc = de = hl = ix = iy = 0;
  af2 = bc2 = de2 = hl2 = 0;
  pc = 0;
  sp = 0xF000;
  iff = 0;
  i = 0;
  memptr = 0;
  cyclesLeft = cyclesPerLine;
  heldRequest = kNoInterrupt;
  flagsWrittenAt = static_cast<uint32_t>(cyclesLeft) + 1;  // no instruction has written F
}
