#pragma once

#include <cstdint>

#include "debug/Logger.h"

// One register pair of the Z80: a 16-bit value whose two halves are also
// 8-bit registers. `w` is the pair itself; Hi() and Lo() read the halves and
// SetHi() and SetLo() write them. Lo is the second-named register (F of AF,
// C of BC, L of HL, IXl of IX). Arithmetic done on a half never carries into
// the other half. A pair converts to and from uint16_t, so `cpu.hl = 0x4000`
// and `uint16_t x = cpu.hl` both work.
struct Z80Pair {
  uint16_t w = 0;

  constexpr Z80Pair() = default;
  constexpr Z80Pair(uint16_t value) : w(value) {}
  constexpr operator uint16_t() const { return w; }

  constexpr uint8_t Hi() const { return static_cast<uint8_t>(w >> 8); }
  constexpr uint8_t Lo() const { return static_cast<uint8_t>(w); }
  constexpr void SetHi(uint8_t value) { w = static_cast<uint16_t>((w & 0x00FF) | (value << 8)); }
  constexpr void SetLo(uint8_t value) { w = static_cast<uint16_t>((w & 0xFF00) | value); }
};

// Interrupt requests that the Loop hook returns. Any other value is a
// maskable request (the console's video chip asks for 0x0038).
inline constexpr uint16_t kNoInterrupt = 0xFFFF;
inline constexpr uint16_t kNmiRequest = 0x0066;
inline constexpr uint16_t kMaskableRequest = 0x0038;

// Bits of Z80Core::iff.
inline constexpr uint8_t kIff1 = 0x01;      // maskable interrupts accepted
inline constexpr uint8_t kIffMode1 = 0x02;  // interrupt mode 1
inline constexpr uint8_t kIffMode2 = 0x04;  // interrupt mode 2 (neither bit: mode 0)
inline constexpr uint8_t kIff2 = 0x40;      // set and cleared with IFF1 by EI, DI and interrupts;
                                            // an NMI keeps IFF1 here for RETN
inline constexpr uint8_t kIffHalted = 0x80; // stopped on a HALT opcode

// The Z80 processor: registers, interrupt state and cycle counter. It is a
// part of whatever it is built into, which is its bus: the bus provides, as
// plain member functions bound statically,
//   void WriteMem(uint16_t address, uint8_t value);
//   uint8_t ReadMem(uint16_t address);
//   void OutPort(uint16_t port, uint8_t value);  // port high byte always 0
//   uint8_t InPort(uint16_t port);               // port high byte always 0
//   void Patch();                                // called by the opcode ED FE
//   uint16_t Loop();                             // once per period; returns a request
//
// RunWith(bus) executes instructions until `cyclesLeft` is used up (each
// fetched opcode byte subtracts its table cost), reloads it with
// `cyclesPerLine`, calls Loop() once and accepts or drops the interrupt
// request Loop returns (after one more instruction when the period ended on
// EI, which lets maskable interrupts in only after the next instruction).
// One call is one period (a scanline on the console).
class Z80Core {
 public:
  Z80Core();
  Z80Core(const Z80Core&) = delete;
  Z80Core& operator=(const Z80Core&) = delete;

  // Runs one period with the hooks of `bus`. Defined in z80/Z80Execute.h:
  // include that header in the one source file that calls it.
  template <class Bus>
  [[gnu::always_inline]] inline void RunWith(Bus& bus);

  // RunWith for a debugger's bus, which also has `bool
  // StopBeforeInstruction()`: asked before each instruction, true stops the
  // processor there, in the middle of the period. Returns false after such a
  // stop; the next call, with `resume` true, finishes the period as if it had
  // never stopped. Optional hooks of such a bus: `FetchMem` for instruction
  // bytes (else ReadMem) and `InterruptTaken(request)`. Defined in
  // z80/Z80Execute.h.
  template <class Bus>
  bool RunWithStops(Bus& bus, bool resume);

  // Registers to their power-on values; halted state and interrupts cleared,
  // `cyclesLeft` reloaded from `cyclesPerLine`. `userId` and `trapBadOps`
  // are left alone.
  void Reset();

  Z80Pair af;  // A high, F low
  Z80Pair bc;
  Z80Pair de;
  Z80Pair hl;
  Z80Pair ix;
  Z80Pair iy;
  uint16_t pc = 0;
  uint16_t sp = 0;
  Z80Pair af2;  // the alternate set AF', BC', DE', HL'
  Z80Pair bc2;
  Z80Pair de2;
  Z80Pair hl2;
  uint8_t iff = 0;  // kIff* bits; all others stay 0
  uint8_t i = 0;    // interrupt vector register
  // The internal address latch (WZ, "MEMPTR"): the address the last
  // instruction that used it computed (jump targets, (IX+d), ...). Programs
  // see it only through bits 5 and 3 of F after BIT n,(HL) and BIT n,(IX+d).
  uint16_t memptr = 0;
  // Where the Q latch stands: cyclesLeft (as unsigned) at the end of the
  // last instruction that wrote F. SCF and CCF see Q = F only when that was
  // the instruction just before them; anything else left Q = 0. Kept in
  // step with cyclesLeft when a period reloads it.
  uint32_t flagsWrittenAt = 1;
  int32_t cyclesPerLine = 0;
  int32_t cyclesLeft = 0;     // may go negative by one instruction's overshoot
  // An interrupt accepted after the instruction that follows EI, kept here
  // while a debugger has stopped the processor before that instruction.
  uint16_t heldRequest = kNoInterrupt;
  uint32_t userId = 0;        // heads the processor's log messages; kept by Reset
  uint8_t trapBadOps = 0;     // nonzero: unrecognised instructions are logged; kept by Reset
  Logger log;                 // where those messages go; kept by Reset
};
