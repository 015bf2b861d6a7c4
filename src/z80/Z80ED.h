#pragma once

// The ED instruction set: port I/O through C, 16-bit arithmetic with carry,
// 16-bit loads through memory, interrupt control, I and R, the decimal
// rotates and the block instructions. Second bytes that are not listed are
// logged (when trapBadOps is set) and skipped. Included by Z80Execute.h.

template <class Derived>
void Z80Executor<Derived>::ExecED() {
  const uint8_t op = Fetch();
  Charge(cyclesED[op]);

  // Flag sets of the block instructions.
  constexpr uint8_t kKeptByLoad = kFlagS | kFlagZ | kFlagC | kFlagXY;
  const auto compareFlags = [this](uint8_t value) {
    const unsigned a = A();
    const unsigned r = a - value;
    SetF(Carry() | zsTable[r & 0xFF] | ((a ^ value ^ r) & kFlagH) | (c.bc.w != 0 ? kFlagPV : 0) |
         kFlagN);
    return (r & 0xFF) == 0;
  };
  const auto ioFlags = [this]() { SetF(c.bc.Hi() == 0 ? (kFlagZ | kFlagN) : kFlagN); };
  const auto step = [](Z80Pair& pair, int direction) {
    pair.w = static_cast<uint16_t>(pair.w + direction);
  };

  switch (op) {
    // IN r,(C) and OUT (C),r. The port is C alone.
#define Z80_IN(reg)                           \
  {                                           \
    const uint8_t value = In(c.bc.Lo());      \
    SetReg<kHL, reg>(value);                  \
    SetF(Carry() | zspTable[value]);          \
    break;                                    \
  }
    case 0x40: Z80_IN(0)
    case 0x48: Z80_IN(1)
    case 0x50: Z80_IN(2)
    case 0x58: Z80_IN(3)
    case 0x60: Z80_IN(4)
    case 0x68: Z80_IN(5)
    case 0x78: Z80_IN(7)
#undef Z80_IN
    case 0x70: SetF(Carry() | zspTable[In(c.bc.Lo())]); break;  // IN F,(C): flags only
    case 0x41: Out(c.bc.Lo(), c.bc.Hi()); break;
    case 0x49: Out(c.bc.Lo(), c.bc.Lo()); break;
    case 0x51: Out(c.bc.Lo(), c.de.Hi()); break;
    case 0x59: Out(c.bc.Lo(), c.de.Lo()); break;
    case 0x61: Out(c.bc.Lo(), c.hl.Hi()); break;
    case 0x69: Out(c.bc.Lo(), c.hl.Lo()); break;
    case 0x79: Out(c.bc.Lo(), A()); break;

    case 0x42: Sbc16(c.bc.w); break;
    case 0x52: Sbc16(c.de.w); break;
    case 0x62: Sbc16(c.hl.w); break;
    case 0x72: Sbc16(c.sp); break;
    case 0x4A: Adc16(c.bc.w); break;
    case 0x5A: Adc16(c.de.w); break;
    case 0x6A: Adc16(c.hl.w); break;
    case 0x7A: Adc16(c.sp); break;

    case 0x43: Write16(Fetch16(), c.bc.w); break;
    case 0x53: Write16(Fetch16(), c.de.w); break;
    case 0x63: Write16(Fetch16(), c.hl.w); break;
    case 0x73: Write16(Fetch16(), c.sp); break;
    case 0x4B: c.bc.w = Read16(Fetch16()); break;
    case 0x5B: c.de.w = Read16(Fetch16()); break;
    case 0x6B: c.hl.w = Read16(Fetch16()); break;
    case 0x7B: c.sp = Read16(Fetch16()); break;

    case 0x44: {  // NEG: 0 - A
      const uint8_t value = A();
      SetA(0);
      Alu<2>(value);
      break;
    }
    case 0x45:  // RETN: IFF1 gets IFF2 back
      c.iff = static_cast<uint8_t>((c.iff & ~kIff1) | ((c.iff & kIff2) ? kIff1 : 0));
      c.pc = Pop();
      break;
    case 0x4D: c.pc = Pop(); break;  // RETI
    case 0x46: c.iff = static_cast<uint8_t>(c.iff & ~(kIffMode1 | kIffMode2)); break;
    case 0x56: c.iff = static_cast<uint8_t>((c.iff & ~kIffMode2) | kIffMode1); break;
    case 0x5E: c.iff = static_cast<uint8_t>((c.iff & ~kIffMode1) | kIffMode2); break;
    case 0x47: c.i = A(); break;
    case 0x4F: break;  // LD R,A: the refresh register is not kept
    case 0x57:
      SetA(c.i);
      SetF(Carry() | zsTable[c.i] | ((c.iff & kIff1) ? kFlagPV : 0));
      break;
    case 0x5F: {  // LD A,R: a value that moves as the program runs
      const uint8_t r = static_cast<uint8_t>(0u - static_cast<uint32_t>(c.cyclesLeft));
      SetA(r);
      SetF(Carry() | zsTable[r] | ((c.iff & kIff1) ? kFlagPV : 0));
      break;
    }
    case 0x67: {  // RRD
      const uint8_t m = Read(c.hl.w);
      const uint8_t a = A();
      Write(c.hl.w, static_cast<uint8_t>(((a & 0x0F) << 4) | (m >> 4)));
      SetA(static_cast<uint8_t>((a & 0xF0) | (m & 0x0F)));
      SetF(Carry() | zspTable[A()]);
      break;
    }
    case 0x6F: {  // RLD
      const uint8_t m = Read(c.hl.w);
      const uint8_t a = A();
      Write(c.hl.w, static_cast<uint8_t>((m << 4) | (a & 0x0F)));
      SetA(static_cast<uint8_t>((a & 0xF0) | (m >> 4)));
      SetF(Carry() | zspTable[A()]);
      break;
    }

    // ---- Block instructions, one step ----
    case 0xA0:
    case 0xA8: {  // LDI, LDD
      const int d = op == 0xA0 ? 1 : -1;
      Write(c.de.w, Read(c.hl.w));
      step(c.hl, d);
      step(c.de, d);
      step(c.bc, -1);
      SetF((F() & kKeptByLoad) | (c.bc.w != 0 ? kFlagPV : 0));
      break;
    }
    case 0xA1:
    case 0xA9: {  // CPI, CPD
      const uint8_t value = Read(c.hl.w);
      step(c.hl, op == 0xA1 ? 1 : -1);
      step(c.bc, -1);
      compareFlags(value);
      break;
    }
    case 0xA2:
    case 0xAA: {  // INI, IND
      const uint8_t value = In(c.bc.Lo());
      Write(c.hl.w, value);
      step(c.hl, op == 0xA2 ? 1 : -1);
      c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
      ioFlags();
      break;
    }
    case 0xA3:
    case 0xAB: {  // OUTI, OUTD
      const uint8_t value = Read(c.hl.w);
      step(c.hl, op == 0xA3 ? 1 : -1);
      Out(c.bc.Lo(), value);
      c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
      ioFlags();
      break;
    }

    // ---- Block instructions, repeating ----
    case 0xB0:
    case 0xB8: {  // LDIR, LDDR
      const int d = op == 0xB0 ? 1 : -1;
      const bool finished = RepeatBlock([&] {
        Write(c.de.w, Read(c.hl.w));
        step(c.hl, d);
        step(c.de, d);
        step(c.bc, -1);
        return c.bc.w == 0;
      });
      SetF((F() & kKeptByLoad) | (finished ? 0 : kFlagPV));
      break;
    }
    case 0xB1:
    case 0xB9: {  // CPIR, CPDR
      const int d = op == 0xB1 ? 1 : -1;
      RepeatBlock([&] {
        const uint8_t value = Read(c.hl.w);
        step(c.hl, d);
        step(c.bc, -1);
        const bool found = compareFlags(value);
        return found || c.bc.w == 0;
      });
      break;
    }
    case 0xB2:
    case 0xBA: {  // INIR, INDR
      const int d = op == 0xB2 ? 1 : -1;
      RepeatBlock([&] {
        const uint8_t value = In(c.bc.Lo());
        Write(c.hl.w, value);
        step(c.hl, d);
        c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
        ioFlags();
        return c.bc.Hi() == 0;
      });
      break;
    }
    case 0xB3:
    case 0xBB: {  // OTIR, OTDR
      const int d = op == 0xB3 ? 1 : -1;
      RepeatBlock([&] {
        const uint8_t value = Read(c.hl.w);
        step(c.hl, d);
        Out(c.bc.Lo(), value);
        c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
        ioFlags();
        return c.bc.Hi() == 0;
      });
      break;
    }

    case 0xED: c.pc = static_cast<uint16_t>(c.pc - 1); break;  // the second ED starts anew
    case 0xFE: CallPatch(); break;

    default:
      if (c.trapBadOps) {
        const uint16_t at = static_cast<uint16_t>(c.pc - 2);
        const uint8_t opcode = Read(static_cast<uint16_t>(c.pc - 1));
        c.log.Printf("[Z80 %lX] Unrecognized instruction: ED %02X at PC=%04X\n",
                  static_cast<unsigned long>(c.userId), static_cast<unsigned>(opcode),
                  static_cast<unsigned>(at));
      }
      break;
  }
}
