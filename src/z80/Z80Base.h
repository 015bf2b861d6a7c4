#pragma once

// The unprefixed instruction set. The same switch serves the DD and FD
// prefixes: with kMode IX or IY, HL becomes IX/IY, H and L become its
// halves and (HL) becomes (IX+d); every opcode that does not name them runs
// exactly as without the prefix. Included by Z80Execute.h.

template <class Derived>
template <int kMode, int kDst, int kSrc>
void Z80Executor<Derived>::Load8() {
  if constexpr (kDst == 6 && kSrc == 6) {
    Halt();  // 0x76 sits where LD (HL),(HL) would be
  } else if constexpr (kSrc == 6) {
    // LD r,(IX+d) loads the plain H or L, never a half of IX.
    const uint16_t address = MemoryOperand<kMode>();
    SetReg<kHL, kDst>(Read(address));
  } else if constexpr (kDst == 6) {
    const uint16_t address = MemoryOperand<kMode>();
    Write(address, Reg<kHL, kSrc>());
  } else {
    SetReg<kMode, kDst>(Reg<kMode, kSrc>());
  }
}

template <class Derived>
template <int kMode, int kReg>
void Z80Executor<Derived>::IncReg() {
  if constexpr (kReg == 6) {
    const uint16_t address = MemoryOperand<kMode>();
    Write(address, Inc8(Read(address)));
  } else {
    SetReg<kMode, kReg>(Inc8(Reg<kMode, kReg>()));
  }
}

template <class Derived>
template <int kMode, int kReg>
void Z80Executor<Derived>::DecReg() {
  if constexpr (kReg == 6) {
    const uint16_t address = MemoryOperand<kMode>();
    Write(address, Dec8(Read(address)));
  } else {
    SetReg<kMode, kReg>(Dec8(Reg<kMode, kReg>()));
  }
}

template <class Derived>
template <int kMode, int kReg>
void Z80Executor<Derived>::LoadImmediate() {
  if constexpr (kReg == 6) {
    const uint16_t address = MemoryOperand<kMode>();  // the displacement comes first
    Write(address, Fetch());
  } else {
    SetReg<kMode, kReg>(Fetch());
  }
}

// Eight consecutive opcodes that differ only in the register code of their
// low three bits: ACTION(k, r) for r = 0..7 at base + r.
#define Z80_CASES8(base, ACTION, k)           \
  case (base) + 0: ACTION(k, 0); break;       \
  case (base) + 1: ACTION(k, 1); break;       \
  case (base) + 2: ACTION(k, 2); break;       \
  case (base) + 3: ACTION(k, 3); break;       \
  case (base) + 4: ACTION(k, 4); break;       \
  case (base) + 5: ACTION(k, 5); break;       \
  case (base) + 6: ACTION(k, 6); break;       \
  case (base) + 7: ACTION(k, 7); break;

#define Z80_LOAD8(dst, src) Load8<kMode, dst, src>()
#define Z80_ALU(op, src) Alu<op>(Operand<kMode, src>())

template <class Derived>
template <int kMode>
void Z80Executor<Derived>::Exec(uint8_t op) {
  Z80Pair& xy = IndexPair<kMode>();
  switch (op) {
    // ---- 0x00 - 0x3F ----
    case 0x00: break;
    case 0x01: c.bc.w = Fetch16(); break;
    case 0x11: c.de.w = Fetch16(); break;
    case 0x21: xy.w = Fetch16(); break;
    case 0x31: c.sp = Fetch16(); break;
    // memptr: the address plus one after a load; after a store of A, A
    // over the low byte of the address plus one.
    case 0x02: StoreA(c.bc.w); break;
    case 0x12: StoreA(c.de.w); break;
    case 0x0A: LoadA(c.bc.w); break;
    case 0x1A: LoadA(c.de.w); break;
    case 0x22: {
      const uint16_t address = Fetch16();
      Write16(address, xy.w);
      c.memptr = static_cast<uint16_t>(address + 1);
      break;
    }
    case 0x2A: {
      const uint16_t address = Fetch16();
      xy.w = Read16(address);
      c.memptr = static_cast<uint16_t>(address + 1);
      break;
    }
    case 0x32: StoreA(Fetch16()); break;
    case 0x3A: LoadA(Fetch16()); break;
    case 0x03: ++c.bc.w; break;
    case 0x13: ++c.de.w; break;
    case 0x23: ++xy.w; break;
    case 0x33: ++c.sp; break;
    case 0x0B: --c.bc.w; break;
    case 0x1B: --c.de.w; break;
    case 0x2B: --xy.w; break;
    case 0x3B: --c.sp; break;
    case 0x09: xy.w = Add16(xy.w, c.bc.w); break;
    case 0x19: xy.w = Add16(xy.w, c.de.w); break;
    case 0x29: xy.w = Add16(xy.w, xy.w); break;
    case 0x39: xy.w = Add16(xy.w, c.sp); break;
    case 0x04: IncReg<kMode, 0>(); break;
    case 0x0C: IncReg<kMode, 1>(); break;
    case 0x14: IncReg<kMode, 2>(); break;
    case 0x1C: IncReg<kMode, 3>(); break;
    case 0x24: IncReg<kMode, 4>(); break;
    case 0x2C: IncReg<kMode, 5>(); break;
    case 0x34: IncReg<kMode, 6>(); break;
    case 0x3C: IncReg<kMode, 7>(); break;
    case 0x05: DecReg<kMode, 0>(); break;
    case 0x0D: DecReg<kMode, 1>(); break;
    case 0x15: DecReg<kMode, 2>(); break;
    case 0x1D: DecReg<kMode, 3>(); break;
    case 0x25: DecReg<kMode, 4>(); break;
    case 0x2D: DecReg<kMode, 5>(); break;
    case 0x35: DecReg<kMode, 6>(); break;
    case 0x3D: DecReg<kMode, 7>(); break;
    case 0x06: LoadImmediate<kMode, 0>(); break;
    case 0x0E: LoadImmediate<kMode, 1>(); break;
    case 0x16: LoadImmediate<kMode, 2>(); break;
    case 0x1E: LoadImmediate<kMode, 3>(); break;
    case 0x26: LoadImmediate<kMode, 4>(); break;
    case 0x2E: LoadImmediate<kMode, 5>(); break;
    case 0x36: LoadImmediate<kMode, 6>(); break;
    case 0x3E: LoadImmediate<kMode, 7>(); break;
    case 0x07: {  // RLCA
      const uint8_t a = A();
      SetA(static_cast<uint8_t>((a << 1) | (a >> 7)));
      SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | (A() & kFlagXY) | (a >> 7));
      break;
    }
    case 0x0F: {  // RRCA
      const uint8_t a = A();
      SetA(static_cast<uint8_t>((a >> 1) | (a << 7)));
      SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | (A() & kFlagXY) | (a & 1));
      break;
    }
    case 0x17: {  // RLA
      const uint8_t a = A();
      SetA(static_cast<uint8_t>((a << 1) | Carry()));
      SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | (A() & kFlagXY) | (a >> 7));
      break;
    }
    case 0x1F: {  // RRA
      const uint8_t a = A();
      SetA(static_cast<uint8_t>((a >> 1) | (Carry() << 7)));
      SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | (A() & kFlagXY) | (a & 1));
      break;
    }
    case 0x08: {  // EX AF,AF'
      const Z80Pair swap = c.af;
      c.af = c.af2;
      c.af2 = swap;
      break;
    }
    case 0x10: {  // DJNZ e
      const uint8_t b = static_cast<uint8_t>(c.bc.Hi() - 1);
      c.bc.SetHi(b);
      if (b != 0) {
        JumpRelative(Fetch());
        c.memptr = c.pc;
        Charge(5);
      } else {
        Skip(1);
      }
      break;
    }
    case 0x18: JumpRelative(Fetch()); c.memptr = c.pc; break;
    case 0x20: if (Condition<0>()) { JumpRelative(Fetch()); c.memptr = c.pc; Charge(5); } else { Skip(1); } break;
    case 0x28: if (Condition<1>()) { JumpRelative(Fetch()); c.memptr = c.pc; Charge(5); } else { Skip(1); } break;
    case 0x30: if (Condition<2>()) { JumpRelative(Fetch()); c.memptr = c.pc; Charge(5); } else { Skip(1); } break;
    case 0x38: if (Condition<3>()) { JumpRelative(Fetch()); c.memptr = c.pc; Charge(5); } else { Skip(1); } break;
    case 0x27: {  // DAA
      const uint8_t f = F();
      const uint16_t entry = daaTable[A() | ((f & kFlagC) << 8) | ((f & kFlagH) << 5) | ((f & kFlagN) << 9)];
      c.af.w = entry;
      MarkFlagsWritten();
      break;
    }
    case 0x2F:  // CPL: bits 5 and 3 from the new A
      SetA(static_cast<uint8_t>(~A()));
      SetF((F() & (kFlagS | kFlagZ | kFlagPV | kFlagC)) | kFlagH | kFlagN | (A() & kFlagXY));
      break;
    // SCF and CCF: bits 5 and 3 from (Q xor F) or A, as on the console's
    // NMOS Z80 (ScfBits). CMOS and second-source parts may differ.
    case 0x37:  // SCF
      SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | ScfBits() | kFlagC);
      break;
    case 0x3F:  // CCF: H takes the old carry
      SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | ScfBits() | (Carry() << 4) | (Carry() ^ kFlagC));
      break;

    // ---- 0x40 - 0x7F: LD r,r' (0x76 is HALT) ----
    Z80_CASES8(0x40, Z80_LOAD8, 0)
    Z80_CASES8(0x48, Z80_LOAD8, 1)
    Z80_CASES8(0x50, Z80_LOAD8, 2)
    Z80_CASES8(0x58, Z80_LOAD8, 3)
    Z80_CASES8(0x60, Z80_LOAD8, 4)
    Z80_CASES8(0x68, Z80_LOAD8, 5)
    Z80_CASES8(0x70, Z80_LOAD8, 6)
    Z80_CASES8(0x78, Z80_LOAD8, 7)

    // ---- 0x80 - 0xBF: ALU A,r ----
    Z80_CASES8(0x80, Z80_ALU, 0)
    Z80_CASES8(0x88, Z80_ALU, 1)
    Z80_CASES8(0x90, Z80_ALU, 2)
    Z80_CASES8(0x98, Z80_ALU, 3)
    Z80_CASES8(0xA0, Z80_ALU, 4)
    Z80_CASES8(0xA8, Z80_ALU, 5)
    Z80_CASES8(0xB0, Z80_ALU, 6)
    Z80_CASES8(0xB8, Z80_ALU, 7)

    // ---- 0xC0 - 0xFF ----
    case 0xC6: Alu<0>(Fetch()); break;
    case 0xCE: Alu<1>(Fetch()); break;
    case 0xD6: Alu<2>(Fetch()); break;
    case 0xDE: Alu<3>(Fetch()); break;
    case 0xE6: Alu<4>(Fetch()); break;
    case 0xEE: Alu<5>(Fetch()); break;
    case 0xF6: Alu<6>(Fetch()); break;
    case 0xFE: Alu<7>(Fetch()); break;

    // Jumps, calls and returns leave their target in memptr. A JP cc or
    // CALL cc that is not taken still reads its target, and memptr keeps it.
    case 0xC0: if (Condition<0>()) { Return(); Charge(6); } break;
    case 0xC8: if (Condition<1>()) { Return(); Charge(6); } break;
    case 0xD0: if (Condition<2>()) { Return(); Charge(6); } break;
    case 0xD8: if (Condition<3>()) { Return(); Charge(6); } break;
    case 0xE0: if (Condition<4>()) { Return(); Charge(6); } break;
    case 0xE8: if (Condition<5>()) { Return(); Charge(6); } break;
    case 0xF0: if (Condition<6>()) { Return(); Charge(6); } break;
    case 0xF8: if (Condition<7>()) { Return(); Charge(6); } break;
    case 0xC9: Return(); break;

    case 0xC2: if (Condition<0>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xCA: if (Condition<1>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xD2: if (Condition<2>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xDA: if (Condition<3>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xE2: if (Condition<4>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xEA: if (Condition<5>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xF2: if (Condition<6>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xFA: if (Condition<7>()) Jump(Fetch16()); else c.memptr = Fetch16(); break;
    case 0xC3: Jump(Fetch16()); break;
    case 0xE9: c.pc = xy.w; break;  // JP (HL): no memory read

#define Z80_CALL_IF(cc)                \
  if (Condition<cc>()) {               \
    const uint16_t target = Fetch16(); \
    Push(c.pc);                        \
    Jump(target);                      \
    Charge(7);                         \
  } else {                             \
    c.memptr = Fetch16();              \
  }
    case 0xC4: Z80_CALL_IF(0) break;
    case 0xCC: Z80_CALL_IF(1) break;
    case 0xD4: Z80_CALL_IF(2) break;
    case 0xDC: Z80_CALL_IF(3) break;
    case 0xE4: Z80_CALL_IF(4) break;
    case 0xEC: Z80_CALL_IF(5) break;
    case 0xF4: Z80_CALL_IF(6) break;
    case 0xFC: Z80_CALL_IF(7) break;
#undef Z80_CALL_IF
    case 0xCD: {
      const uint16_t target = Fetch16();
      Push(c.pc);
      Jump(target);
      break;
    }
    case 0xC7: Push(c.pc); Jump(0x00); break;
    case 0xCF: Push(c.pc); Jump(0x08); break;
    case 0xD7: Push(c.pc); Jump(0x10); break;
    case 0xDF: Push(c.pc); Jump(0x18); break;
    case 0xE7: Push(c.pc); Jump(0x20); break;
    case 0xEF: Push(c.pc); Jump(0x28); break;
    case 0xF7: Push(c.pc); Jump(0x30); break;
    case 0xFF: Push(c.pc); Jump(0x38); break;

    case 0xC1: c.bc.w = Pop(); break;
    case 0xD1: c.de.w = Pop(); break;
    case 0xE1: xy.w = Pop(); break;
    case 0xF1: c.af.w = Pop(); break;  // all eight flag bits
    case 0xC5: Push(c.bc.w); break;
    case 0xD5: Push(c.de.w); break;
    case 0xE5: Push(xy.w); break;
    case 0xF5: Push(c.af.w); break;

    case 0xD3: {  // OUT (n),A; memptr as for LD (nn),A with nn = A:n
      const uint8_t port = Fetch();
      Out(port, A());
      c.memptr = static_cast<uint16_t>((A() << 8) | ((port + 1) & 0xFF));
      break;
    }
    case 0xDB: {  // IN A,(n): no flags; memptr is A:n plus one
      const uint8_t port = Fetch();
      c.memptr = static_cast<uint16_t>(((A() << 8) | port) + 1);
      SetA(In(port));
      break;
    }
    case 0xE3: {  // EX (SP),HL: read, write, read, write
      const uint8_t low = Read(c.sp);
      Write(c.sp, xy.Lo());
      const uint16_t next = static_cast<uint16_t>(c.sp + 1);
      const uint8_t high = Read(next);
      Write(next, xy.Hi());
      xy.w = static_cast<uint16_t>(low | (high << 8));
      c.memptr = xy.w;
      break;
    }
    case 0xD9: {  // EXX: always the plain HL
      Z80Pair swap = c.bc;
      c.bc = c.bc2;
      c.bc2 = swap;
      swap = c.de;
      c.de = c.de2;
      c.de2 = swap;
      swap = c.hl;
      c.hl = c.hl2;
      c.hl2 = swap;
      break;
    }
    case 0xEB: {  // EX DE,HL: always the plain HL
      const Z80Pair swap = c.de;
      c.de = c.hl;
      c.hl = swap;
      break;
    }
    case 0xF9: c.sp = xy.w; break;
    case 0xF3: c.iff = static_cast<uint8_t>(c.iff & ~(kIff1 | kIff2)); break;  // DI
    case 0xFB:  // EI: maskable interrupts from after the next instruction
      c.iff = static_cast<uint8_t>(c.iff | kIff1 | kIff2);
      cyclesLeftAfterEi = c.cyclesLeft;
      break;

    // ---- Prefixes ----
    case 0xCB:
      if constexpr (kMode == kHL) ExecCB();
      else ExecIndexCB<kMode>();
      break;
    case 0xED:
      if constexpr (kMode == kHL) ExecED();
      else ReportIndexED<kMode>();
      break;
    case 0xDD:
      if constexpr (kMode == kHL) ExecIndex<kIX>();
      else c.pc = static_cast<uint16_t>(c.pc - 1);  // a second prefix replaces the first
      break;
    case 0xFD:
      if constexpr (kMode == kHL) ExecIndex<kIY>();
      else c.pc = static_cast<uint16_t>(c.pc - 1);
      break;
  }
}

#undef Z80_LOAD8
#undef Z80_ALU
