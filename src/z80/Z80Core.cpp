#include "z80/Z80Core.h"

#include "z80/Z80Execute.h"

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

void Z80Core::WriteMem(uint16_t, uint8_t) {}
uint8_t Z80Core::ReadMem(uint16_t) { return 0; }
void Z80Core::OutPort(uint16_t, uint8_t) {}
uint8_t Z80Core::InPort(uint16_t) { return 0; }
void Z80Core::Patch() {}
uint16_t Z80Core::Loop() { return kNoInterrupt; }

void Z80Core::Run() { Z80Executor<Z80Core>(*this, *this).RunPeriod(); }
