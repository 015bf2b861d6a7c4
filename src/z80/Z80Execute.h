#pragma once

#include <cstdint>
#include <type_traits>

#include "z80/Z80Core.h"
#include "z80/Z80Tables.h"

// The instruction interpreter. It is a template over the bus whose hooks it
// calls, bound statically so they can be inlined (Z80Core::RunWith and
// RunWithStops). The instruction sets live in Z80Base.h, Z80CB.h, Z80ED.h
// and Z80Index.h, included at the end.
//
// The executor is a short-lived view of one processor: it holds nothing but
// a reference, so all state stays in the Z80Core record, where the hooks can
// see it (the video chip reads cyclesLeft in the middle of an instruction).
template <class Derived>
class Z80Executor {
 public:
  Z80Executor(Z80Core& cpu, Derived& bus) : c(cpu), b(bus) {}

  // One period: instructions until cyclesLeft is used up, the reload, the
  // Loop hook and the acceptance of its request. Always inlined into the
  // caller's line loop (RunWith): a call per scanline and the hooks' calls
  // it then keeps cost a plain frame 2 % of its instructions.
  [[gnu::always_inline]] inline void RunPeriod() { RunPeriodOf<false>(false); }
  bool RunPeriodStoppable(bool resume) { return RunPeriodOf<true>(resume); }

 private:
  template <bool kAsks>
  [[gnu::always_inline]] inline bool RunPeriodOf(bool resume);
  // Which register stands in for HL: plain, or after the DD / FD prefixes.
  static constexpr int kHL = 0;
  static constexpr int kIX = 1;
  static constexpr int kIY = 2;

  Z80Core& c;  // registers and counters
  Derived& b;  // memory, ports and the per-period hook
  // cyclesLeft just after this period's last EI. The counter only falls
  // within a period, so it still holds this value at the period's end only
  // when EI was the last instruction.
  int32_t cyclesLeftAfterEi = INT32_MIN;

  // ---- Hooks ----
  uint8_t Read(uint16_t address) {
    return b.ReadMem(address);
  }
  void Write(uint16_t address, uint8_t value) {
    b.WriteMem(address, value);
  }
  // Ports are 8 bits wide here: B or A never become the high byte.
  uint8_t In(uint8_t port) {
    return b.InPort(port);
  }
  void Out(uint8_t port, uint8_t value) {
    b.OutPort(port, value);
  }
  void CallPatch() {
    b.Patch();
  }
  uint16_t CallLoop() {
    return b.Loop();
  }

  // ---- Fetching and the stack ----
  // A bus may tell instruction bytes from data reads (a debugger's read
  // watchpoints see only the data) by offering FetchMem.
  static constexpr bool kFetchHook = requires(Derived& bus) { bus.FetchMem(uint16_t{}); };
  uint8_t Fetch() {
    uint8_t value;
    if constexpr (kFetchHook) value = b.FetchMem(c.pc);
    else value = Read(c.pc);
    c.pc = static_cast<uint16_t>(c.pc + 1);
    return value;
  }
  uint16_t Fetch16() {
    const uint8_t low = Fetch();
    const uint8_t high = Fetch();
    return static_cast<uint16_t>(low | (high << 8));
  }
  void Skip(int bytes) { c.pc = static_cast<uint16_t>(c.pc + bytes); }
  void JumpRelative(uint8_t displacement) {
    c.pc = static_cast<uint16_t>(c.pc + static_cast<int8_t>(displacement));
  }
  // Absolute jumps, calls and returns: the target also goes to memptr.
  void Jump(uint16_t target) { c.pc = c.memptr = target; }
  void Return() { Jump(Pop()); }
  // LD A,(rr) and LD A,(nn) leave the address plus one in memptr; the
  // stores leave A over the low byte of the address plus one.
  void LoadA(uint16_t address) {
    SetA(Read(address));
    c.memptr = static_cast<uint16_t>(address + 1);
  }
  void StoreA(uint16_t address) {
    Write(address, A());
    c.memptr = static_cast<uint16_t>((A() << 8) | ((address + 1) & 0xFF));
  }
  uint16_t Read16(uint16_t address) {
    const uint8_t low = Read(address);
    const uint8_t high = Read(static_cast<uint16_t>(address + 1));
    return static_cast<uint16_t>(low | (high << 8));
  }
  void Write16(uint16_t address, uint16_t value) {
    Write(address, static_cast<uint8_t>(value));
    Write(static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value >> 8));
  }
  void Push(uint16_t value) {
    c.sp = static_cast<uint16_t>(c.sp - 1);
    Write(c.sp, static_cast<uint8_t>(value >> 8));
    c.sp = static_cast<uint16_t>(c.sp - 1);
    Write(c.sp, static_cast<uint8_t>(value));
  }
  uint16_t Pop() {
    const uint8_t low = Read(c.sp);
    const uint8_t high = Read(static_cast<uint16_t>(c.sp + 1));
    c.sp = static_cast<uint16_t>(c.sp + 2);
    return static_cast<uint16_t>(low | (high << 8));
  }
  void Charge(int cycles) { c.cyclesLeft -= cycles; }

  // A repeating block instruction (LDIR, CPIR, INIR, OTIR and their
  // decrementing forms) runs as many iterations as the period allows, 21
  // cycles apiece; `iteration` does one and says whether the instruction is
  // finished, in which case 5 cycles come back. If the period ends first, pc
  // goes back to the ED byte so the next period resumes from the registers.
  // Returns whether the instruction finished.
  template <class Iteration>
  bool RepeatBlock(Iteration iteration) {
    for (;;) {
      const bool finished = iteration();
      Charge(21);
      if (finished) {
        Charge(-5);
        return true;
      }
      if (c.cyclesLeft <= 0) {
        c.pc = static_cast<uint16_t>(c.pc - 2);
        return false;
      }
    }
  }

  // ---- A and F ----
  uint8_t A() const { return c.af.Hi(); }
  void SetA(uint8_t value) { c.af.SetHi(value); }
  uint8_t F() const { return c.af.Lo(); }
  void SetF(int value) {
    c.af.SetLo(static_cast<uint8_t>(value));
    MarkFlagsWritten();
  }
  // The instruction running now wrote F: Q takes it (see flagsWrittenAt).
  // Called after the instruction's last charge.
  void MarkFlagsWritten() { c.flagsWrittenAt = static_cast<uint32_t>(c.cyclesLeft); }
  // Bits 5 and 3 for SCF and CCF: from (Q xor F) or A, where Q is F when
  // the instruction before wrote F (so F's own bits cancel) and 0 otherwise.
  int ScfBits() const {
    const bool q = c.flagsWrittenAt == static_cast<uint32_t>(c.cyclesLeft + cyclesBase[0x37]);
    return ((q ? 0 : F()) | A()) & kFlagXY;
  }
  // A period's reload moves cyclesLeft; the Q stamp moves with it.
  void Reload(int32_t cycles) {
    c.cyclesLeft += cycles;
    c.flagsWrittenAt += static_cast<uint32_t>(cycles);
  }
  int Carry() const { return c.af.Lo() & kFlagC; }

  // ---- Arithmetic and flags ----
  // The eight accumulator operations in opcode order:
  // ADD, ADC, SUB, SBC, AND, XOR, OR, CP.
  template <int kOp>
  void Alu(uint8_t value) {
    const unsigned a = A();
    const unsigned v = value;
    if constexpr (kOp == 0 || kOp == 1) {
      const unsigned r = a + v + (kOp == 1 ? Carry() : 0);
      SetF(zsTable[r & 0xFF] | ((a ^ v ^ r) & kFlagH) | ((((a ^ r) & (v ^ r)) & 0x80) >> 5) |
           ((r >> 8) & kFlagC));
      SetA(static_cast<uint8_t>(r));
    } else if constexpr (kOp == 2 || kOp == 3 || kOp == 7) {
      const unsigned r = a - v - (kOp == 3 ? Carry() : 0);
      // CP takes bits 5 and 3 from the operand, not from the discarded result.
      const int sz = kOp == 7 ? (zsTable[r & 0xFF] & ~kFlagXY) | (v & kFlagXY) : zsTable[r & 0xFF];
      SetF(sz | ((a ^ v ^ r) & kFlagH) | ((((a ^ v) & (a ^ r)) & 0x80) >> 5) | kFlagN |
           ((r >> 8) & kFlagC));
      if constexpr (kOp != 7) SetA(static_cast<uint8_t>(r));
    } else if constexpr (kOp == 4) {
      const uint8_t r = static_cast<uint8_t>(a & v);
      SetF(zspTable[r] | kFlagH);
      SetA(r);
    } else if constexpr (kOp == 5) {
      const uint8_t r = static_cast<uint8_t>(a ^ v);
      SetF(zspTable[r]);
      SetA(r);
    } else {
      const uint8_t r = static_cast<uint8_t>(a | v);
      SetF(zspTable[r]);
      SetA(r);
    }
  }
  uint8_t Inc8(uint8_t value) {
    const uint8_t r = static_cast<uint8_t>(value + 1);
    SetF(Carry() | zsTable[r] | ((r & 0x0F) == 0 ? kFlagH : 0) | (r == 0x80 ? kFlagPV : 0));
    return r;
  }
  uint8_t Dec8(uint8_t value) {
    const uint8_t r = static_cast<uint8_t>(value - 1);
    SetF(Carry() | kFlagN | zsTable[r] | ((r & 0x0F) == 0x0F ? kFlagH : 0) |
         (r == 0x7F ? kFlagPV : 0));
    return r;
  }
  // The 16-bit sums take bits 5 and 3 from the high byte of the result and
  // leave the left operand plus one in memptr.
  // ADD HL,ss (and ADD IX/IY,ss): S, Z and P/V survive.
  uint16_t Add16(uint16_t left, uint16_t right) {
    const unsigned r = static_cast<unsigned>(left) + right;
    c.memptr = static_cast<uint16_t>(left + 1);
    SetF((F() & (kFlagS | kFlagZ | kFlagPV)) | ((r >> 8) & kFlagXY) |
         (((left ^ right ^ r) >> 8) & kFlagH) | (r >> 16));
    return static_cast<uint16_t>(r);
  }
  void Adc16(uint16_t value) {
    const unsigned h = c.hl.w;
    const unsigned r = h + value + Carry();
    c.memptr = static_cast<uint16_t>(h + 1);
    SetF(((r >> 8) & (kFlagS | kFlagXY)) | ((r & 0xFFFF) == 0 ? kFlagZ : 0) |
         (((h ^ value ^ r) >> 8) & kFlagH) | ((((h ^ r) & (value ^ r)) & 0x8000) >> 13) |
         ((r >> 16) & kFlagC));
    c.hl.w = static_cast<uint16_t>(r);
  }
  void Sbc16(uint16_t value) {
    const unsigned h = c.hl.w;
    const unsigned r = h - value - Carry();
    c.memptr = static_cast<uint16_t>(h + 1);
    SetF(((r >> 8) & (kFlagS | kFlagXY)) | ((r & 0xFFFF) == 0 ? kFlagZ : 0) |
         (((h ^ value ^ r) >> 8) & kFlagH) | ((((h ^ value) & (h ^ r)) & 0x8000) >> 13) | kFlagN |
         ((r >> 16) & kFlagC));
    c.hl.w = static_cast<uint16_t>(r);
  }
  // The CB rotates and shifts in opcode order:
  // RLC, RRC, RL, RR, SLA, SRA, SLL (shift left, bit 0 set), SRL.
  uint8_t Rotate(int kind, uint8_t value) {
    unsigned r;
    int out;
    switch (kind & 7) {
      case 0: r = (value << 1) | (value >> 7); out = value >> 7; break;
      case 1: r = (value >> 1) | (value << 7); out = value & 1; break;
      case 2: r = (value << 1) | Carry(); out = value >> 7; break;
      case 3: r = (value >> 1) | (Carry() << 7); out = value & 1; break;
      case 4: r = value << 1; out = value >> 7; break;
      case 5: r = (value >> 1) | (value & 0x80); out = value & 1; break;
      case 6: r = (value << 1) | 1; out = value >> 7; break;
      default: r = value >> 1; out = value & 1; break;
    }
    const uint8_t result = static_cast<uint8_t>(r);
    SetF(zspTable[result] | out);
    return result;
  }
  // BIT n: Z and P/V when the bit is clear, S only for bit 7 set, H set,
  // C kept. Bits 5 and 3 come from `xy`: the register tested, or for a
  // memory operand the high byte of memptr.
  void TestBit(int bit, uint8_t value, uint8_t xy) {
    const int tested = value & (1 << bit);
    SetF(Carry() | kFlagH | (tested ? (tested & kFlagS) : (kFlagZ | kFlagPV)) | (xy & kFlagXY));
  }
  // Condition codes in opcode order: NZ, Z, NC, C, PO, PE, P, M.
  template <int kCondition>
  bool Condition() const {
    const uint8_t f = F();
    if constexpr (kCondition == 0) return !(f & kFlagZ);
    else if constexpr (kCondition == 1) return f & kFlagZ;
    else if constexpr (kCondition == 2) return !(f & kFlagC);
    else if constexpr (kCondition == 3) return f & kFlagC;
    else if constexpr (kCondition == 4) return !(f & kFlagPV);
    else if constexpr (kCondition == 5) return f & kFlagPV;
    else if constexpr (kCondition == 6) return !(f & kFlagS);
    else return f & kFlagS;
  }

  // ---- Operands by their encoding ----
  // Register codes 0-7: B, C, D, E, H, L, (HL), A. After DD / FD, codes 4
  // and 5 name the halves of IX / IY and (HL) becomes (IX+d).
  template <int kMode>
  Z80Pair& IndexPair() {
    if constexpr (kMode == kIX) return c.ix;
    else if constexpr (kMode == kIY) return c.iy;
    else return c.hl;
  }
  template <int kMode, int kReg>
  uint8_t Reg() {
    static_assert(kReg != 6, "memory operand");
    if constexpr (kReg == 0) return c.bc.Hi();
    else if constexpr (kReg == 1) return c.bc.Lo();
    else if constexpr (kReg == 2) return c.de.Hi();
    else if constexpr (kReg == 3) return c.de.Lo();
    else if constexpr (kReg == 4) return IndexPair<kMode>().Hi();
    else if constexpr (kReg == 5) return IndexPair<kMode>().Lo();
    else return c.af.Hi();
  }
  template <int kMode, int kReg>
  void SetReg(uint8_t value) {
    static_assert(kReg != 6, "memory operand");
    if constexpr (kReg == 0) c.bc.SetHi(value);
    else if constexpr (kReg == 1) c.bc.SetLo(value);
    else if constexpr (kReg == 2) c.de.SetHi(value);
    else if constexpr (kReg == 3) c.de.SetLo(value);
    else if constexpr (kReg == 4) IndexPair<kMode>().SetHi(value);
    else if constexpr (kReg == 5) IndexPair<kMode>().SetLo(value);
    else c.af.SetHi(value);
  }
  // The address of the memory operand: HL, or IX/IY plus the signed
  // displacement byte fetched here (which memptr keeps).
  template <int kMode>
  uint16_t MemoryOperand() {
    if constexpr (kMode == kHL) {
      return c.hl.w;
    } else {
      const int8_t displacement = static_cast<int8_t>(Fetch());
      c.memptr = static_cast<uint16_t>(IndexPair<kMode>().w + displacement);
      return c.memptr;
    }
  }
  template <int kMode, int kReg>
  uint8_t Operand() {
    if constexpr (kReg == 6) return Read(MemoryOperand<kMode>());
    else return Reg<kMode, kReg>();
  }

  // ---- Instruction helpers shared by the plain and indexed sets ----
  template <int kMode, int kDst, int kSrc>
  void Load8();
  template <int kMode, int kReg>
  void IncReg();
  template <int kMode, int kReg>
  void DecReg();
  template <int kMode, int kReg>
  void LoadImmediate();

  // ---- Instruction sets ----
  // Exec is always inlined into its callers (the period loop, and the DD /
  // FD sets): left to itself GCC inlined it only where the whole frame loop
  // was visible, and a call per instruction cost the processor benchmark and
  // the libretro module a third of their speed.
  template <int kMode>
  [[gnu::always_inline]] inline void Exec(uint8_t op);  // unprefixed, or after DD / FD (Z80Base.h)
  void ExecCB();          // Z80CB.h
  void ExecED();          // Z80ED.h
  template <int kMode>
  void ExecIndex();       // DD / FD (Z80Index.h)
  template <int kMode>
  void ExecIndexCB();     // DD CB / FD CB (Z80Index.h)
  template <int kMode>
  void ReportIndexED();   // DD ED / FD ED (Z80Index.h)

  void Halt() {
    c.iff = static_cast<uint8_t>(c.iff | kIffHalted);
    c.pc = static_cast<uint16_t>(c.pc - 1);  // stay on the HALT opcode
    c.cyclesLeft = 0;                        // and give up the rest of the period
  }
  void AcceptInterrupt(uint16_t request);
};

// One period of instructions, then the interrupt the line asks for. With
// kAsks, a debugging bus is asked before each instruction whether to stop
// there. A stop leaves the period unfinished with everything it needs in the
// processor's record: the counter, the program counter, and an interrupt
// waiting for the instruction after EI (heldRequest). The next call, with
// `resume`, carries on from there, running the instruction it stopped before
// without asking again. A plain run after a stop (the debugger gone) takes
// the waiting interrupt up the same way.
template <class Derived>
template <bool kAsks>
[[gnu::always_inline]] inline bool Z80Executor<Derived>::RunPeriodOf(bool resume) {
  uint16_t request = c.heldRequest;
  bool stepAfterEi = request != kNoInterrupt;
  c.heldRequest = kNoInterrupt;
  [[maybe_unused]] bool ask = !resume;
  for (;;) {
    do {
      if constexpr (kAsks) {
        if (ask && b.StopBeforeInstruction()) {
          if (stepAfterEi) c.heldRequest = request;
          return false;
        }
        ask = true;
      }
      const uint8_t op = Fetch();
      Charge(cyclesBase[op]);
      Exec<kHL>(op);
    } while (c.cyclesLeft > 0);
    // A negative counter is the last instruction's overshoot, carried over.
    if (stepAfterEi) {
      Reload(c.cyclesPerLine);
      break;
    }
    const bool endsOnEi = c.cyclesLeft == cyclesLeftAfterEi;
    Reload(c.cyclesPerLine);
    request = CallLoop();
    if (request == kNoInterrupt) return true;
    if (request == kNmiRequest || !endsOnEi || !(c.iff & kIff1)) break;
    // EI lets maskable interrupts in only after the instruction that
    // follows it (so that EI; RETI returns before the next interrupt, and
    // EI; HALT halts first). That instruction runs now, once round the same
    // loop with the counter taken back below zero, and is charged to the new
    // period. It may be DI.
    Reload(-c.cyclesPerLine);
    stepAfterEi = true;
  }
  // A maskable request that meets IFF1 clear is dropped, not remembered.
  if (request == kNmiRequest || (c.iff & kIff1)) AcceptInterrupt(request);
  return true;
}

// An NMI keeps IFF1 in IFF2 for RETN; a maskable interrupt (taken only
// with IFF1 set) clears both, as DI would.
template <class Derived>
void Z80Executor<Derived>::AcceptInterrupt(uint16_t request) {
  uint8_t iff = static_cast<uint8_t>(c.iff & ~(kIff1 | kIff2));
  if (request == kNmiRequest && (c.iff & kIff1)) iff = static_cast<uint8_t>(iff | kIff2);
  if (iff & kIffHalted) {
    c.pc = static_cast<uint16_t>(c.pc + 1);  // step past the HALT opcode
    iff = static_cast<uint8_t>(iff & ~kIffHalted);
  }
  c.iff = iff;
  if constexpr (requires(Derived& bus) { bus.InterruptTaken(uint16_t{}); }) b.InterruptTaken(request);
  Push(c.pc);
  if (request == kNmiRequest) {
    c.pc = kNmiRequest;
  } else if (iff & kIffMode2) {
    const uint16_t vector = static_cast<uint16_t>((c.i << 8) | (request & 0xFE));
    c.pc = Read16(vector);
  } else if (iff & kIffMode1) {
    c.pc = 0x0038;
  } else {
    c.pc = request;  // mode 0: the request is the address to call
  }
  c.memptr = c.pc;
}

template <class Bus>
void Z80Core::RunWith(Bus& bus) {
  Z80Executor<Bus>(*this, bus).RunPeriod();
}

template <class Bus>
bool Z80Core::RunWithStops(Bus& bus, bool resume) {
  return Z80Executor<Bus>(*this, bus).RunPeriodStoppable(resume);
}

#include "z80/Z80Base.h"
#include "z80/Z80CB.h"
#include "z80/Z80ED.h"
#include "z80/Z80Index.h"
