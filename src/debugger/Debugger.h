#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "console/DebugHooks.h"
#include "debugger/Disassembler.h"
#include "debugger/Symbols.h"

class Console;

// A place in the program: a processor address, or, with a page, an offset in
// one ROM page wherever the mapper shows it (only while it is shown).
struct CodePlace {
  std::uint16_t address = 0;
  std::int32_t page = -1;  // -1: the processor address itself
};

// What to watch. Addresses are a range, first to last inclusive; for the
// video chip the register number, the video RAM or colour RAM address.
struct Watchpoint {
  enum class Kind : std::uint8_t { kRead, kWrite, kPortIn, kPortOut, kVideoRegister, kVram, kCram, kInterrupt };
  Kind kind = Kind::kWrite;
  std::uint16_t first = 0;
  std::uint16_t last = 0xFFFF;
  std::int32_t page = -1;  // memory by ROM page: offsets within that page
};

// One instruction as it was about to run, for the history a debugger keeps
// of the last instructions before a stop.
struct HistoryEntry {
  std::uint64_t cycle = 0;  // cycles since power-on
  std::uint16_t pc = 0, af = 0, bc = 0, de = 0, hl = 0, ix = 0, iy = 0, sp = 0;
  std::uint8_t bytes[4] = {};  // the instruction's bytes (and what follows it)
  std::int32_t page = -1;      // the ROM page at pc, -1 when none
};

// The debugger of one console: breakpoints, watchpoints and stepping on the
// console's debug hooks, with symbols to name places. It stops the console
// between two instructions; the host then looks (registers, Describe) and
// resumes by running frames again, after choosing how far (Continue, Step...).
class Debugger final : public DebugHooks {
 public:
  explicit Debugger(Console& console);
  ~Debugger() override;
  Debugger(const Debugger&) = delete;
  Debugger& operator=(const Debugger&) = delete;

  SymbolTable symbols;

  void AddBreakpoint(CodePlace place);
  void RemoveBreakpoint(CodePlace place);
  void AddWatchpoint(const Watchpoint& watch);
  void ClearAll();
  const std::vector<CodePlace>& Breakpoints() const { return breakpoints; }

  // How far the next run goes. Each takes effect from the next RunFrame.
  void Continue();               // to a breakpoint or a watchpoint
  void StepInstruction();        // one instruction (into calls and interrupts)
  void StepOver();               // a call, restart or repeating block as one
  void StepOut();                // until the current routine has returned
  void RunTo(CodePlace place);   // to a place (and any breakpoint before it)
  void RunToNextLine();          // to the first instruction of the next scanline
  void RunToNextFrame();         // to the end of the frame (RunFrame returns, not stopped)

  // Why the console stopped last ("breakpoint at Main+$3", ...); empty
  // while it has not.
  const std::string& StopReason() const { return reason; }

  // One line per instruction before it runs, to this sink: the address
  // (with its label), the instruction, the cycles run since power-on, and
  // the registers. Empty: no trace.
  void SetTrace(std::function<void(std::string_view line)> sink) { trace = std::move(sink); }

  // The last kHistorySize instructions reached, in a ring kept while on (off
  // by default: it costs each instruction a copy of the registers). The
  // newest is the instruction the console stopped before, when it stopped.
  static constexpr int kHistorySize = 256;
  void KeepHistory(bool on) {
    keepHistory = on;
    historyCount = 0;
  }
  int HistoryCount() const { return historyCount; }
  // 0 is the newest entry, HistoryCount() - 1 the oldest.
  const HistoryEntry& History(int back) const {
    return history[(historyNext - 1 - back + 2 * kHistorySize) % kHistorySize];
  }
  // An entry as a trace line: address, label, instruction, cycle, registers.
  std::string HistoryLine(const HistoryEntry& entry) const;

  // `label+offset` or `$1234` for an address as the console maps it now.
  std::string NameOf(std::uint16_t address) const;
  // The instruction at an address, with labels.
  Disassembly DisassembleAt(std::uint16_t address) const;
  // The stop as a person reads it: reason, registers, the instructions from
  // pc on, the top of the stack.
  std::string Describe() const;
  // The registers on one line.
  std::string Registers() const;

  // ---- DebugHooks ----
  bool StopBeforeInstruction(const Console&) override;
  void MemoryRead(std::uint16_t address, std::uint8_t value) override;
  void MemoryWrite(std::uint16_t address, std::uint8_t value) override;
  void PortIn(std::uint8_t port, std::uint8_t value) override;
  void PortOut(std::uint8_t port, std::uint8_t value) override;
  void VideoRegister(int reg, std::uint8_t value) override;
  void VideoMemory(bool colours, std::uint16_t address, std::uint8_t value) override;
  void InterruptTaken(std::uint16_t request, std::uint16_t from) override;
  void SuspendRequested() override;

 private:
  enum class Mode : std::uint8_t { kRun, kStep, kUntilPlace, kUntilOut, kUntilLine };
  bool AtPlace(const CodePlace& place, std::uint16_t pc) const;
  void Watch(Watchpoint::Kind kind, std::uint16_t address, std::uint8_t value, const char* what);
  void UpdateWatching();
  std::string TraceLine() const;
  void Record(std::uint16_t pc);
  // A block instruction (LDIR, CPDR, OTIR...) at the address, which runs
  // again from its own address until its count ends.
  bool RepeatsAt(std::uint16_t address) const;

  Console& console;
  std::vector<CodePlace> breakpoints;
  std::vector<Watchpoint> watchpoints;
  // One bit per processor address that any breakpoint may stop at, so the
  // check before each instruction is one look-up.
  std::vector<std::uint8_t> breakMap;
  Mode mode = Mode::kRun;
  CodePlace until;
  std::uint16_t startSp = 0;
  std::uint16_t instructionAt = 0;  // the instruction running now
  std::uint64_t startLine = 0;
  std::string pendingStop;  // a watchpoint hit: stop before the next instruction
  std::string reason;
  std::function<void(std::string_view)> trace;
  bool keepHistory = false;
  int historyCount = 0;
  int historyNext = 0;
  HistoryEntry history[kHistorySize];
};
