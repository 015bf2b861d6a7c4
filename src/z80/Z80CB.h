#pragma once

// The CB instruction set: rotates and shifts, BIT, RES and SET on the eight
// register codes. All 256 opcodes exist. Included by Z80Execute.h.

template <class Derived>
void Z80Executor<Derived>::ExecCB() {
  const uint8_t op = Fetch();
  Charge(cyclesCB[op]);
  const int reg = op & 7;
  const int kind = (op >> 3) & 7;  // rotate kind or bit number
  const int group = op >> 6;       // 0 rotate/shift, 1 BIT, 2 RES, 3 SET

  if (reg == 6) {
    // (HL): one read, then one write for every group but BIT.
    const uint16_t address = c.hl.w;
    const uint8_t value = Read(address);
    switch (group) {
      case 0: Write(address, Rotate(kind, value)); break;
      case 1: TestBit(kind, value, static_cast<uint8_t>(c.memptr >> 8)); break;
      case 2: Write(address, static_cast<uint8_t>(value & ~(1 << kind))); break;
      default: Write(address, static_cast<uint8_t>(value | (1 << kind))); break;
    }
    return;
  }

  // A register: reach it through its pair and half.
  Z80Pair* pair;
  switch (reg) {
    case 0: case 1: pair = &c.bc; break;
    case 2: case 3: pair = &c.de; break;
    case 4: case 5: pair = &c.hl; break;
    default: pair = &c.af; break;
  }
  const bool high = reg == 7 || (reg & 1) == 0;  // B, D, H and A are high halves
  const uint8_t value = high ? pair->Hi() : pair->Lo();
  uint8_t result;
  switch (group) {
    case 0: result = Rotate(kind, value); break;
    case 1: TestBit(kind, value, value); return;
    case 2: result = static_cast<uint8_t>(value & ~(1 << kind)); break;
    default: result = static_cast<uint8_t>(value | (1 << kind)); break;
  }
  if (high) pair->SetHi(result);
  else pair->SetLo(result);
}
