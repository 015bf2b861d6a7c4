#pragma once

// The DD and FD prefixes (IX and IY in place of HL) and their four-byte
// DD CB d op / FD CB d op forms. The opcode after the prefix runs through
// the unprefixed switch in IX or IY mode. Included by Z80Execute.h.

template <class Derived>
template <int kMode>
void Z80Executor<Derived>::ExecIndex() {
  const uint8_t op = Fetch();
  Charge(cyclesXY[op]);
  Exec<kMode>(op);
}

// DD ED / FD ED: the pair is logged and both bytes are consumed; the byte
// after ED is then fetched as a new unprefixed instruction.
template <class Derived>
template <int kMode>
void Z80Executor<Derived>::ReportIndexED() {
  const uint16_t at = static_cast<uint16_t>(c.pc - 2);
  if constexpr (kMode == kIX) {
    if (c.trapBadOps) {
      const uint8_t opcode = Read(static_cast<uint16_t>(c.pc - 1));
      c.log.Printf("[Z80 %lX] Unrecognized instruction: DD %02X at PC=%04X\n",
                static_cast<unsigned long>(c.userId), static_cast<unsigned>(opcode),
                static_cast<unsigned>(at));
    }
  } else {
    // The FD message has no identifier and is logged whatever trapBadOps says.
    const uint8_t opcode = Read(static_cast<uint16_t>(c.pc - 1));
    c.log.Printf("Unrecognized instruction: FD %02X at PC=%04X\n", static_cast<unsigned>(opcode),
              static_cast<unsigned>(at));
  }
}

template <class Derived>
template <int kMode>
void Z80Executor<Derived>::ExecIndexCB() {
  const int8_t displacement = static_cast<int8_t>(Fetch());
  const uint16_t address = static_cast<uint16_t>(IndexPair<kMode>().w + displacement);
  c.memptr = address;
  const uint8_t op = Fetch();
  Charge(cyclesXYCB[op]);
  const int bit = (op >> 3) & 7;

  if (op >= 0x40 && op < 0x80) {
    // BIT n,(IX+d): the register field is ignored, all eight encodings test.
    TestBit(bit, Read(address), static_cast<uint8_t>(address >> 8));
    return;
  }
  if ((op & 7) != 6) {
    // The forms that would also copy the result into a register are not run.
    if (c.trapBadOps) {
      const uint16_t at = static_cast<uint16_t>(c.pc - 4);
      const uint8_t shownDisplacement = Read(static_cast<uint16_t>(c.pc - 2));
      const uint8_t shownOpcode = Read(static_cast<uint16_t>(c.pc - 1));
      c.log.Printf(kMode == kIX ? "[Z80 %lX] Unrecognized instruction: DD CB %02X %02X at PC=%04X\n"
                             : "[Z80 %lX] Unrecognized instruction: FD CB %02X %02X at PC=%04X\n",
                static_cast<unsigned long>(c.userId), static_cast<unsigned>(shownDisplacement),
                static_cast<unsigned>(shownOpcode), static_cast<unsigned>(at));
    }
    return;
  }
  const uint8_t value = Read(address);
  uint8_t result;
  if (op < 0x40) result = Rotate(bit, value);
  else if (op < 0xC0) result = static_cast<uint8_t>(value & ~(1 << bit));
  else result = static_cast<uint8_t>(value | (1 << bit));
  Write(address, result);
}
