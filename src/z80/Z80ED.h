#pragma once

// The ED instruction set: port I/O through C, 16-bit arithmetic with carry,
// 16-bit loads through memory, interrupt control, I and R, the decimal
// rotates and the block instructions. Second bytes that are not listed are
// logged (when trapBadOps is set) and skipped. Included by Z80Execute.h.

template <class Derived>
void Z80Executor<Derived>::ExecED() {
  const uint8_t op = Fetch();
  Charge(cyclesED[op]);

  // Flag sets of the block instructions, after HL, DE and BC have moved.
  // Bits 5 and 3 come from bits 1 and 3 of a sum that is never stored.
  // LDI, LDD: S, Z and C kept; P/V says BC is not 0; the sum is A + byte.
  const auto loadFlags = [this](uint8_t value) {
    const unsigned n = A() + value;
    SetF((F() & (kFlagS | kFlagZ | kFlagC)) | (n & 0x08) | ((n << 4) & 0x20) |
         (c.bc.w != 0 ? kFlagPV : 0));
  };
  // CPI, CPD: S, Z and H of A - byte; C kept; the sum is A - byte - H.
  const auto compareFlags = [this](uint8_t value) {
    const unsigned a = A();
    const unsigned r = a - value;
    const unsigned half = (a ^ value ^ r) & kFlagH;
    const unsigned n = r - (half >> 4);
    SetF(Carry() | (zsTable[r & 0xFF] & ~kFlagXY) | half | (n & 0x08) | ((n << 4) & 0x20) |
         (c.bc.w != 0 ? kFlagPV : 0) | kFlagN);
    return (r & 0xFF) == 0;
  };
  // INI, IND, OUTI, OUTD: S, Z, 5 and 3 of the decremented B; N is bit 7 of
  // the byte moved; H and C are the carry out of `sum` (the byte plus C+1,
  // C-1 or the new L); P/V is the parity of (sum & 7) ^ B.
  const auto ioFlags = [this](uint8_t value, unsigned sum) {
    const uint8_t b = c.bc.Hi();
    SetF(zsTable[b] | ((value >> 6) & kFlagN) | (sum > 0xFF ? (kFlagH | kFlagC) : 0) |
         (zspTable[(sum & 7) ^ b] & kFlagPV));
  };
  // A repeating block instruction stopped at the end of a period has run an
  // iteration that repeats: NMOS parts then take bits 5 and 3 from the high
  // byte of pc (now the ED byte's address), and INxR / OTxR also change P/V
  // and H as below. These are measurements of real parts published long
  // after the classic documentation; CMOS and clone parts are unverified.
  const auto repeatingFlags = [this]() {
    SetF((F() & ~kFlagXY) | ((c.pc >> 8) & kFlagXY));
  };
  const auto repeatingIoFlags = [this](uint8_t value) {
    const uint8_t b = c.bc.Hi();
    uint8_t f = static_cast<uint8_t>((F() & ~kFlagXY) | ((c.pc >> 8) & kFlagXY));
    const auto flipParity = [&f](int bits) { f ^= (zspTable[bits & 7] & kFlagPV) ^ kFlagPV; };
    if (f & kFlagC) {
      f &= static_cast<uint8_t>(~kFlagH);
      if (value & 0x80) {
        flipParity(b - 1);
        if ((b & 0x0F) == 0x00) f |= kFlagH;
      } else {
        flipParity(b + 1);
        if ((b & 0x0F) == 0x0F) f |= kFlagH;
      }
    } else {
      flipParity(b);
    }
    SetF(f);
  };
  const auto step = [](Z80Pair& pair, int direction) {
    pair.w = static_cast<uint16_t>(pair.w + direction);
  };
  // The address of the ED byte plus one, which a repeating iteration
  // leaves in memptr.
  const auto repeatAddress = [this]() { return static_cast<uint16_t>(c.pc - 1); };
  const auto outC = [this](uint8_t value) {
    Out(c.bc.Lo(), value);
    c.memptr = static_cast<uint16_t>(c.bc.w + 1);
  };
  // LD (nn),rr and LD rr,(nn) leave nn plus one in memptr.
  const auto store16 = [this](uint16_t value) {
    const uint16_t address = Fetch16();
    Write16(address, value);
    c.memptr = static_cast<uint16_t>(address + 1);
  };
  const auto load16 = [this]() {
    const uint16_t address = Fetch16();
    c.memptr = static_cast<uint16_t>(address + 1);
    return Read16(address);
  };

  switch (op) {
    // IN r,(C) and OUT (C),r. The port is C alone; memptr is BC plus one.
#define Z80_IN(reg)                                       \
  {                                                       \
    c.memptr = static_cast<uint16_t>(c.bc.w + 1);         \
    const uint8_t value = In(c.bc.Lo());                  \
    SetReg<kHL, reg>(value);                              \
    SetF(Carry() | zspTable[value]);                      \
    break;                                                \
  }
    case 0x40: Z80_IN(0)
    case 0x48: Z80_IN(1)
    case 0x50: Z80_IN(2)
    case 0x58: Z80_IN(3)
    case 0x60: Z80_IN(4)
    case 0x68: Z80_IN(5)
    case 0x78: Z80_IN(7)
#undef Z80_IN
    case 0x70:  // IN F,(C): flags only
      c.memptr = static_cast<uint16_t>(c.bc.w + 1);
      SetF(Carry() | zspTable[In(c.bc.Lo())]);
      break;
    case 0x41: outC(c.bc.Hi()); break;
    case 0x49: outC(c.bc.Lo()); break;
    case 0x51: outC(c.de.Hi()); break;
    case 0x59: outC(c.de.Lo()); break;
    case 0x61: outC(c.hl.Hi()); break;
    case 0x69: outC(c.hl.Lo()); break;
    case 0x79: outC(A()); break;
    case 0x71: outC(0); break;  // OUT (C),0: the NMOS part drives 0

    case 0x42: Sbc16(c.bc.w); break;
    case 0x52: Sbc16(c.de.w); break;
    case 0x62: Sbc16(c.hl.w); break;
    case 0x72: Sbc16(c.sp); break;
    case 0x4A: Adc16(c.bc.w); break;
    case 0x5A: Adc16(c.de.w); break;
    case 0x6A: Adc16(c.hl.w); break;
    case 0x7A: Adc16(c.sp); break;

    case 0x43: store16(c.bc.w); break;
    case 0x53: store16(c.de.w); break;
    case 0x63: store16(c.hl.w); break;
    case 0x73: store16(c.sp); break;
    case 0x4B: c.bc.w = load16(); break;
    case 0x5B: c.de.w = load16(); break;
    case 0x6B: c.hl.w = load16(); break;
    case 0x7B: c.sp = load16(); break;

    case 0x44: {  // NEG: 0 - A
      const uint8_t value = A();
      SetA(0);
      Alu<2>(value);
      break;
    }
    // RETN and RETI: IFF1 gets IFF2 back. RETI does it too, so an NMI
    // handler that ends with RETI still gives the interrupted program its
    // interrupts back.
    case 0x45:
    case 0x4D:
      c.iff = static_cast<uint8_t>((c.iff & ~kIff1) | ((c.iff & kIff2) ? kIff1 : 0));
      Return();
      break;
    case 0x46: c.iff = static_cast<uint8_t>(c.iff & ~(kIffMode1 | kIffMode2)); break;
    case 0x56: c.iff = static_cast<uint8_t>((c.iff & ~kIffMode2) | kIffMode1); break;
    case 0x5E: c.iff = static_cast<uint8_t>((c.iff & ~kIffMode1) | kIffMode2); break;
    case 0x47: c.i = A(); break;
    case 0x4F: break;  // LD R,A: the refresh register is not kept
    // LD A,I and LD A,R: P/V shows IFF2, so that an NMI handler can find
    // out whether interrupts were enabled when it was called.
    case 0x57:
      SetA(c.i);
      SetF(Carry() | zsTable[c.i] | ((c.iff & kIff2) ? kFlagPV : 0));
      break;
    case 0x5F: {  // LD A,R: a value that moves as the program runs
      const uint8_t r = static_cast<uint8_t>(0u - static_cast<uint32_t>(c.cyclesLeft));
      SetA(r);
      SetF(Carry() | zsTable[r] | ((c.iff & kIff2) ? kFlagPV : 0));
      break;
    }
    case 0x67: {  // RRD
      const uint8_t m = Read(c.hl.w);
      const uint8_t a = A();
      Write(c.hl.w, static_cast<uint8_t>(((a & 0x0F) << 4) | (m >> 4)));
      SetA(static_cast<uint8_t>((a & 0xF0) | (m & 0x0F)));
      SetF(Carry() | zspTable[A()]);
      c.memptr = static_cast<uint16_t>(c.hl.w + 1);
      break;
    }
    case 0x6F: {  // RLD
      const uint8_t m = Read(c.hl.w);
      const uint8_t a = A();
      Write(c.hl.w, static_cast<uint8_t>((m << 4) | (a & 0x0F)));
      SetA(static_cast<uint8_t>((a & 0xF0) | (m >> 4)));
      SetF(Carry() | zspTable[A()]);
      c.memptr = static_cast<uint16_t>(c.hl.w + 1);
      break;
    }

    // ---- Block instructions, one step ----
    case 0xA0:
    case 0xA8: {  // LDI, LDD
      const int d = op == 0xA0 ? 1 : -1;
      const uint8_t value = Read(c.hl.w);
      Write(c.de.w, value);
      step(c.hl, d);
      step(c.de, d);
      step(c.bc, -1);
      loadFlags(value);
      break;
    }
    case 0xA1:
    case 0xA9: {  // CPI, CPD: memptr counts with HL
      const int d = op == 0xA1 ? 1 : -1;
      const uint8_t value = Read(c.hl.w);
      step(c.hl, d);
      step(c.bc, -1);
      c.memptr = static_cast<uint16_t>(c.memptr + d);
      compareFlags(value);
      break;
    }
    case 0xA2:
    case 0xAA: {  // INI, IND: memptr is BC plus or minus one, before B counts
      const int d = op == 0xA2 ? 1 : -1;
      c.memptr = static_cast<uint16_t>(c.bc.w + d);
      const uint8_t value = In(c.bc.Lo());
      Write(c.hl.w, value);
      step(c.hl, d);
      c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
      ioFlags(value, value + ((c.bc.Lo() + d) & 0xFF));
      break;
    }
    case 0xA3:
    case 0xAB: {  // OUTI, OUTD: memptr is BC plus or minus one, after B counts
      const int d = op == 0xA3 ? 1 : -1;
      const uint8_t value = Read(c.hl.w);
      step(c.hl, d);
      Out(c.bc.Lo(), value);
      c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
      c.memptr = static_cast<uint16_t>(c.bc.w + d);
      ioFlags(value, value + c.hl.Lo());
      break;
    }

    // ---- Block instructions, repeating ----
    // Each iteration sets the flags and memptr as its one-step form would,
    // except that an iteration that repeats leaves the ED address plus one
    // in memptr. Only the last iteration's flags remain,
    // so they are computed once, after the loop, where that is simpler.
    case 0xB0:
    case 0xB8: {  // LDIR, LDDR
      const int d = op == 0xB0 ? 1 : -1;
      uint8_t value = 0;
      const bool finished = RepeatBlock([&] {
        value = Read(c.hl.w);
        Write(c.de.w, value);
        step(c.hl, d);
        step(c.de, d);
        step(c.bc, -1);
        if (c.bc.w == 0) return true;
        c.memptr = repeatAddress();
        return false;
      });
      loadFlags(value);
      if (!finished) repeatingFlags();
      break;
    }
    case 0xB1:
    case 0xB9: {  // CPIR, CPDR
      const int d = op == 0xB1 ? 1 : -1;
      const bool finished = RepeatBlock([&] {
        const uint8_t value = Read(c.hl.w);
        step(c.hl, d);
        step(c.bc, -1);
        const bool found = compareFlags(value);
        if (found || c.bc.w == 0) {
          c.memptr = static_cast<uint16_t>(c.memptr + d);
          return true;
        }
        c.memptr = repeatAddress();
        return false;
      });
      MarkFlagsWritten();  // the flags came before the iteration's charge
      if (!finished) repeatingFlags();
      break;
    }
    case 0xB2:
    case 0xBA: {  // INIR, INDR
      const int d = op == 0xB2 ? 1 : -1;
      uint8_t value = 0;
      const bool finished = RepeatBlock([&] {
        c.memptr = static_cast<uint16_t>(c.bc.w + d);
        value = In(c.bc.Lo());
        Write(c.hl.w, value);
        step(c.hl, d);
        c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
        if (c.bc.Hi() == 0) return true;
        c.memptr = repeatAddress();
        return false;
      });
      ioFlags(value, value + ((c.bc.Lo() + d) & 0xFF));
      if (!finished) repeatingIoFlags(value);
      break;
    }
    case 0xB3:
    case 0xBB: {  // OTIR, OTDR
      const int d = op == 0xB3 ? 1 : -1;
      uint8_t value = 0;
      const bool finished = RepeatBlock([&] {
        value = Read(c.hl.w);
        step(c.hl, d);
        Out(c.bc.Lo(), value);
        c.bc.SetHi(static_cast<uint8_t>(c.bc.Hi() - 1));
        c.memptr = static_cast<uint16_t>(c.bc.w + d);
        if (c.bc.Hi() == 0) return true;
        c.memptr = repeatAddress();
        return false;
      });
      ioFlags(value, value + c.hl.Lo());
      if (!finished) repeatingIoFlags(value);
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
