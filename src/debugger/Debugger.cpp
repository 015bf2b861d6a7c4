#include "debugger/Debugger.h"

#include <algorithm>
#include <cstdio>

#include "console/Console.h"

namespace {

std::string Hex16(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "$%04X", value & 0xFFFF);
  return text;
}

const char* KindName(Watchpoint::Kind kind) {
  switch (kind) {
    case Watchpoint::Kind::kRead: return "read";
    case Watchpoint::Kind::kWrite: return "write";
    case Watchpoint::Kind::kPortIn: return "port in";
    case Watchpoint::Kind::kPortOut: return "port out";
    case Watchpoint::Kind::kVideoRegister: return "video register";
    case Watchpoint::Kind::kVram: return "video RAM write";
    case Watchpoint::Kind::kCram: return "colour RAM write";
    case Watchpoint::Kind::kInterrupt: return "interrupt";
  }
  return "";
}

}  // namespace

Debugger::Debugger(Console& owner) : console(owner), breakMap(0x10000 / 8) { console.SetDebugHooks(this); }

Debugger::~Debugger() {
  if (console.GetDebugHooks() == this) console.SetDebugHooks(nullptr);
}

void Debugger::AddBreakpoint(CodePlace place) {
  breakpoints.push_back(place);
  // A page's breakpoint may come up in any slot the page is mapped into.
  for (unsigned slot = 0; slot < (place.page >= 0 ? 3u : 1u); ++slot) {
    const unsigned address = place.page >= 0 ? (slot << 14) | (place.address & 0x3FFF) : place.address;
    breakMap[address >> 3] = static_cast<std::uint8_t>(breakMap[address >> 3] | (1 << (address & 7)));
  }
}

void Debugger::RemoveBreakpoint(CodePlace place) {
  std::erase_if(breakpoints, [&](const CodePlace& p) { return p.address == place.address && p.page == place.page; });
  std::fill(breakMap.begin(), breakMap.end(), 0);
  std::vector<CodePlace> kept;
  kept.swap(breakpoints);
  for (const CodePlace& p : kept) AddBreakpoint(p);
}

void Debugger::AddWatchpoint(const Watchpoint& watch) {
  watchpoints.push_back(watch);
  UpdateWatching();
}

void Debugger::ClearAll() {
  breakpoints.clear();
  watchpoints.clear();
  std::fill(breakMap.begin(), breakMap.end(), 0);
  UpdateWatching();
}

void Debugger::UpdateWatching() {
  std::uint32_t bits = 0;
  for (const Watchpoint& w : watchpoints) {
    switch (w.kind) {
      case Watchpoint::Kind::kRead: bits |= kWatchReads; break;
      case Watchpoint::Kind::kWrite: bits |= kWatchWrites; break;
      case Watchpoint::Kind::kPortIn:
      case Watchpoint::Kind::kPortOut: bits |= kWatchPorts; break;
      case Watchpoint::Kind::kVideoRegister:
      case Watchpoint::Kind::kVram:
      case Watchpoint::Kind::kCram: bits |= kWatchVideo; break;
      case Watchpoint::Kind::kInterrupt: bits |= kWatchInterrupts; break;
    }
  }
  watching = bits;
}

void Debugger::Continue() { mode = Mode::kRun; }

void Debugger::StepInstruction() { mode = Mode::kStep; }

void Debugger::StepOver() {
  const Disassembly d = DisassembleAt(console.cpu.pc);
  if (!d.isCall && !RepeatsAt(console.cpu.pc)) {
    mode = Mode::kStep;
    return;
  }
  RunTo(CodePlace{static_cast<std::uint16_t>(console.cpu.pc + d.length), -1});
}

void Debugger::StepOut() {
  mode = Mode::kUntilOut;
  startSp = console.cpu.sp;
}

void Debugger::RunTo(CodePlace place) {
  mode = Mode::kUntilPlace;
  until = place;
}

void Debugger::RunToNextLine() {
  mode = Mode::kUntilLine;
  startLine = console.FrameCount() * static_cast<std::uint64_t>(console.timing.linesPerFrame) +
              static_cast<std::uint64_t>(console.lineInFrame);
}

void Debugger::RunToNextFrame() {
  // Runs as Continue; the frame's end returns from RunFrame unstopped.
  mode = Mode::kRun;
}

bool Debugger::AtPlace(const CodePlace& place, std::uint16_t pc) const {
  if (place.page < 0) return place.address == pc;
  return (place.address & 0x3FFF) == (pc & 0x3FFF) && console.RomPageAt(pc) == place.page;
}

bool Debugger::RepeatsAt(std::uint16_t address) const {
  // LDIR, CPIR, INIR, OTIR and the D forms: ED B0-B3, B8-BB.
  return console.Peek(address) == 0xED && (console.Peek(static_cast<std::uint16_t>(address + 1)) & 0xF4) == 0xB0;
}

void Debugger::Record(std::uint16_t pc) {
  HistoryEntry& e = history[historyNext];
  const Z80Core& c = console.cpu;
  e.cycle = console.FrameCount() * static_cast<std::uint64_t>(console.timing.CyclesPerFrame()) + console.CyclesIntoFrame();
  e.pc = pc;
  e.af = c.af.w;
  e.bc = c.bc.w;
  e.de = c.de.w;
  e.hl = c.hl.w;
  e.ix = c.ix.w;
  e.iy = c.iy.w;
  e.sp = c.sp;
  for (int i = 0; i < 4; ++i) e.bytes[i] = console.Peek(static_cast<std::uint16_t>(pc + i));
  e.page = console.RomPageAt(pc);
  historyNext = (historyNext + 1) % kHistorySize;
  if (historyCount < kHistorySize) ++historyCount;
}

bool Debugger::StopBeforeInstruction(const Console&) {
  const std::uint16_t pc = console.cpu.pc;
  // A block instruction's next round comes back to its own address: a
  // breakpoint there stops when the line is reached, not at each round. (A
  // stop skips this call for the instruction it stopped before, whose pc is
  // then still instructionAt: its rounds after the stop do not stop either.)
  const bool nextRound = pc == instructionAt && RepeatsAt(pc);
  instructionAt = pc;
  if (trace) trace(TraceLine());
  if (keepHistory) Record(pc);
  std::string why;
  if (!pendingStop.empty()) {
    why.swap(pendingStop);
  } else if (((breakMap[pc >> 3] >> (pc & 7)) & 1) && !nextRound) {
    for (const CodePlace& place : breakpoints) {
      if (AtPlace(place, pc)) {
        why = "breakpoint at " + NameOf(pc);
        break;
      }
    }
  }
  if (why.empty()) {
    switch (mode) {
      case Mode::kRun: break;
      case Mode::kStep: why = "step"; break;
      case Mode::kUntilPlace:
        if (AtPlace(until, pc)) why = "reached " + NameOf(pc);
        break;
      case Mode::kUntilOut:
        if (console.cpu.sp > startSp) why = "returned to " + NameOf(pc);
        break;
      case Mode::kUntilLine: {
        const std::uint64_t line = console.FrameCount() * static_cast<std::uint64_t>(console.timing.linesPerFrame) +
                                   static_cast<std::uint64_t>(console.lineInFrame);
        if (line != startLine) why = "next line";
        break;
      }
    }
  }
  if (why.empty()) return false;
  reason = std::move(why);
  mode = Mode::kRun;
  return true;
}

void Debugger::Watch(Watchpoint::Kind kind, std::uint16_t address, std::uint8_t value, const char* what) {
  for (const Watchpoint& w : watchpoints) {
    if (w.kind != kind) continue;
    std::uint16_t at = address;
    if (w.page >= 0) {
      // By ROM page: the offset within the page, while that page is shown.
      if (console.RomPageAt(address) != w.page) continue;
      at = address & 0x3FFF;
    }
    if (at < w.first || at > w.last) continue;
    char text[96];
    std::snprintf(text, sizeof text, "%s %s of $%02X", KindName(kind), what, value);
    pendingStop = std::string(text) + " by the instruction at " + NameOf(instructionAt);
    return;
  }
}

void Debugger::MemoryRead(std::uint16_t address, std::uint8_t value) {
  Watch(Watchpoint::Kind::kRead, address, value, ("at " + NameOf(address)).c_str());
}
void Debugger::MemoryWrite(std::uint16_t address, std::uint8_t value) {
  Watch(Watchpoint::Kind::kWrite, address, value, ("at " + NameOf(address)).c_str());
}
void Debugger::PortIn(std::uint8_t port, std::uint8_t value) {
  char what[16];
  std::snprintf(what, sizeof what, "$%02X", port);
  Watch(Watchpoint::Kind::kPortIn, port, value, what);
}
void Debugger::PortOut(std::uint8_t port, std::uint8_t value) {
  char what[16];
  std::snprintf(what, sizeof what, "$%02X", port);
  Watch(Watchpoint::Kind::kPortOut, port, value, what);
}
void Debugger::VideoRegister(int reg, std::uint8_t value) {
  Watch(Watchpoint::Kind::kVideoRegister, static_cast<std::uint16_t>(reg), value, std::to_string(reg).c_str());
}
void Debugger::VideoMemory(bool colours, std::uint16_t address, std::uint8_t value) {
  Watch(colours ? Watchpoint::Kind::kCram : Watchpoint::Kind::kVram, address, value, ("at " + Hex16(address)).c_str());
}
void Debugger::InterruptTaken(std::uint16_t request, std::uint16_t from) {
  Watch(Watchpoint::Kind::kInterrupt, request, 0, ("from " + NameOf(from)).c_str());
  if (!pendingStop.empty()) pendingStop = (request == kNmiRequest ? "NMI" : "interrupt") + pendingStop.substr(9);
}
void Debugger::SuspendRequested() { pendingStop = "the program asked to stop at " + NameOf(console.cpu.pc); }

std::string Debugger::NameOf(std::uint16_t address) const {
  std::string label = symbols.Name(address, console.RomPageAt(address));
  return label.empty() ? Hex16(address) : label;
}

Disassembly Debugger::DisassembleAt(std::uint16_t address) const {
  std::uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = console.Peek(static_cast<std::uint16_t>(address + i));
  return Disassemble(bytes, address, [this](std::uint16_t a, bool exact) {
    return symbols.Name(a, console.RomPageAt(a), exact);
  });
}

std::string Debugger::Registers() const {
  const Z80Core& c = console.cpu;
  char text[160];
  const std::uint8_t f = c.af.Lo();
  std::snprintf(text, sizeof text,
                "AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X PC=%04X %c%c%c%c%c%c IFF=%d IM=%d",
                c.af.w, c.bc.w, c.de.w, c.hl.w, c.ix.w, c.iy.w, c.sp, c.pc, f & 0x80 ? 'S' : '-',
                f & 0x40 ? 'Z' : '-', f & 0x10 ? 'H' : '-', f & 0x04 ? 'P' : '-', f & 0x02 ? 'N' : '-',
                f & 0x01 ? 'C' : '-', (c.iff & kIff1) ? 1 : 0,
                (c.iff & kIffMode2) ? 2 : (c.iff & kIffMode1) ? 1 : 0);
  return text;
}

std::string Debugger::TraceLine() const {
  const std::uint16_t pc = console.cpu.pc;
  const Disassembly d = DisassembleAt(pc);
  const std::uint64_t cycles =
      console.FrameCount() * static_cast<std::uint64_t>(console.timing.CyclesPerFrame()) + console.CyclesIntoFrame();
  char head[64];
  std::snprintf(head, sizeof head, "%04X ", pc);
  std::string line = head;
  std::string label = symbols.Name(pc, console.RomPageAt(pc));
  if (!label.empty()) line += label + ": ";
  line += d.text;
  if (line.size() < 40) line.append(40 - line.size(), ' ');
  char tail[48];
  std::snprintf(tail, sizeof tail, " cycle=%llu ", static_cast<unsigned long long>(cycles));
  line += tail;
  line += Registers();
  return line;
}

std::string Debugger::HistoryLine(const HistoryEntry& e) const {
  const Disassembly d = Disassemble(e.bytes, e.pc, [&](std::uint16_t a, bool exact) {
    return symbols.Name(a, a == e.pc ? e.page : console.RomPageAt(a), exact);
  });
  char head[16];
  std::snprintf(head, sizeof head, "%04X ", e.pc);
  std::string line = head;
  const std::string label = symbols.Name(e.pc, e.page);
  if (!label.empty()) line += label + ": ";
  line += d.text;
  if (line.size() < 40) line.append(40 - line.size(), ' ');
  char tail[160];
  std::snprintf(tail, sizeof tail, " cycle=%llu AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X",
                static_cast<unsigned long long>(e.cycle), e.af, e.bc, e.de, e.hl, e.ix, e.iy, e.sp);
  return line + tail;
}

std::string Debugger::Describe() const {
  std::string text = "stopped: " + (reason.empty() ? std::string("not stopped") : reason) + "\n";
  text += Registers() + "\n";
  std::uint16_t at = console.cpu.pc;
  for (int i = 0; i < 6; ++i) {
    const Disassembly d = DisassembleAt(at);
    char head[16];
    std::snprintf(head, sizeof head, "%s%04X ", i == 0 ? "> " : "  ", at);
    std::string label = symbols.Name(at, console.RomPageAt(at), true);
    text += head + (label.empty() ? std::string() : label + ": ") + d.text + "\n";
    at = static_cast<std::uint16_t>(at + d.length);
  }
  text += "stack:";
  for (int i = 0; i < 8; i += 2) {
    const std::uint16_t a = static_cast<std::uint16_t>(console.cpu.sp + i);
    const unsigned word = console.Peek(a) | console.Peek(static_cast<std::uint16_t>(a + 1)) << 8;
    char item[16];
    std::snprintf(item, sizeof item, " %04X", word);
    text += item;
  }
  text += "\n";
  return text;
}
