#include "debugger/Debugger.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/SaveState.h"

namespace {

std::vector<std::uint8_t> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const char* path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::unique_ptr<Console> ProbeConsole() {
  auto console = std::make_unique<Console>();
  const std::vector<std::uint8_t> image = ReadBytes(CART_DEBUG_PROBE);
  EXPECT_TRUE(console->LoadCartridge(image.data(), image.size(), "debug_probe.sms"));
  console->Reset();
  return console;
}

// Runs frames until the debugger stops the console; false after `frames`
// frames without a stop.
bool RunToStop(Console& console, int frames = 4) {
  for (int i = 0; i < frames; ++i) {
    console.RunFrame(FrameInput{});
    if (console.Stopped()) return true;
  }
  return false;
}

std::uint16_t Address(const Debugger& debugger, const char* label) {
  const std::optional<Symbol> symbol = debugger.symbols.Resolve(label);
  EXPECT_TRUE(symbol) << label;
  return symbol ? symbol->address : 0;
}

// Each kind of stop on the probe cartridge: where the processor is left and
// what the reason says.
TEST(Debugger, BreakpointsAndWatchpoints) {
  using Kind = Watchpoint::Kind;
  struct Case {
    const char* name;
    const char* breakAt;  // a label, or nullptr for the watchpoint
    std::int32_t page;
    Watchpoint watch;
    const char* stopsAt;  // where pc is left
    const char* reason;   // the start of the reason
  };
  const Case cases[] = {
      {"breakpoint by label", "Work", -1, {}, "Work", "breakpoint at Work"},
      {"breakpoint by ROM page", "Leaf", 0, {}, "Leaf", "breakpoint at Leaf"},
      {"write", nullptr, -1, {Kind::kWrite, 0xC010, 0xC010, -1}, "Work+$4", "write at Counter of $00 by the instruction at Work+$3"},
      {"read", nullptr, -1, {Kind::kRead, 0xC010, 0xC010, -1}, "Work+$4", "read at Counter of $FF by the instruction at Work+$3"},
      {"read by ROM page", nullptr, -1, {Kind::kRead, 0x00A4, 0x00A4, 0}, "Main+$27", "read at Message of $63"},
      {"port out", nullptr, -1, {Kind::kPortOut, 0xBE, 0xBE, -1}, "Main+$14", "port out $BE of $5A"},
      {"port in", nullptr, -1, {Kind::kPortIn, 0xBF, 0xBF, -1}, "FrameInterrupt+$3", "port in $BF"},
      {"video register", nullptr, -1, {Kind::kVideoRegister, 1, 1, -1}, "Main+$8", "video register 1 of $20"},
      {"video RAM", nullptr, -1, {Kind::kVram, 0x10, 0x10, -1}, "Main+$14", "video RAM write at $0010 of $5A"},
      {"colour RAM", nullptr, -1, {Kind::kCram, 3, 3, -1}, "Main+$20", "colour RAM write at $0003 of $3F"},
      {"interrupt", nullptr, -1, {Kind::kInterrupt, 0, 0xFFFF, -1}, "FrameInterrupt", "interrupt from "},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Console> console = ProbeConsole();
    Debugger debugger(*console);
    ASSERT_TRUE(debugger.symbols.Parse(ReadText(CART_DEBUG_PROBE_SYM)));
    if (c.breakAt) {
      debugger.AddBreakpoint(CodePlace{Address(debugger, c.breakAt), c.page});
    } else {
      debugger.AddWatchpoint(c.watch);
    }
    ASSERT_TRUE(RunToStop(*console)) << c.name;
    EXPECT_EQ(debugger.NameOf(console->cpu.pc), c.stopsAt) << c.name;
    EXPECT_EQ(debugger.StopReason().rfind(c.reason, 0), 0u) << c.name << ": " << debugger.StopReason();
  }
}

// Stepping from a breakpoint on `call Leaf` in Work.
TEST(Debugger, Stepping) {
  struct Case {
    const char* name;
    void (Debugger::*step)();
    const char* stopsAt;
  };
  const Case cases[] = {
      {"instruction", &Debugger::StepInstruction, "Leaf"},
      {"over", &Debugger::StepOver, "Work+$7"},
      {"out", &Debugger::StepOut, "MainLoop+$3"},
      {"continue", &Debugger::Continue, "Work+$4"},  // the same breakpoint, one round later
  };
  for (const Case& c : cases) {
    std::unique_ptr<Console> console = ProbeConsole();
    Debugger debugger(*console);
    ASSERT_TRUE(debugger.symbols.Parse(ReadText(CART_DEBUG_PROBE_SYM)));
    debugger.AddBreakpoint(CodePlace{Address(debugger, "Work+4"), -1});
    ASSERT_TRUE(RunToStop(*console));
    const std::uint64_t cycles = console->CyclesIntoFrame();
    (debugger.*c.step)();
    ASSERT_TRUE(RunToStop(*console)) << c.name;
    EXPECT_EQ(debugger.NameOf(console->cpu.pc), c.stopsAt) << c.name;
    EXPECT_GT(console->CyclesIntoFrame(), cycles) << c.name;
  }

  // To the next line, and to a place.
  std::unique_ptr<Console> console = ProbeConsole();
  Debugger debugger(*console);
  ASSERT_TRUE(debugger.symbols.Parse(ReadText(CART_DEBUG_PROBE_SYM)));
  debugger.StepInstruction();
  ASSERT_TRUE(RunToStop(*console));
  const int line = console->lineInFrame;
  debugger.RunToNextLine();
  ASSERT_TRUE(RunToStop(*console));
  EXPECT_EQ(console->lineInFrame, line + 1);
  debugger.RunTo(CodePlace{Address(debugger, "Leaf"), -1});
  ASSERT_TRUE(RunToStop(*console));
  EXPECT_EQ(debugger.NameOf(console->cpu.pc), "Leaf");
  // A reset starts a new frame: the stopped one is forgotten.
  console->Reset();
  EXPECT_FALSE(console->Stopped());
  EXPECT_EQ(console->cpu.pc, 0);
}

// A console stopped before every instruction, interrupts and all, ends its
// frames in the very state of one that never stopped.
TEST(Debugger, StoppingLosesNothing) {
  std::unique_ptr<Console> plain = ProbeConsole();
  std::unique_ptr<Console> stepped = ProbeConsole();
  Debugger debugger(*stepped);
  int stops = 0;
  for (int frame = 0; frame < 3; ++frame) {
    plain->RunFrame(FrameInput{});
    do {
      debugger.StepInstruction();
      stepped->RunFrame(FrameInput{});
      stops += stepped->Stopped() ? 1 : 0;
    } while (stepped->Stopped());
    ASSERT_EQ(stepped->FrameCount(), plain->FrameCount());
    std::vector<std::uint8_t> a(StateSize(*plain)), b(StateSize(*stepped));
    ASSERT_EQ(SaveState(*plain, a.data(), a.size()), StateError::None);
    ASSERT_EQ(SaveState(*stepped, b.data(), b.size()), StateError::None);
    ASSERT_EQ(a, b) << "frame " << frame;
    ASSERT_EQ(std::vector<std::uint8_t>(plain->Frame(), plain->Frame() + Video::kFrameSize),
              std::vector<std::uint8_t>(stepped->Frame(), stepped->Frame() + Video::kFrameSize));
  }
  EXPECT_GT(stops, 10000);
  EXPECT_EQ(stepped->sdsc.Text(), "count=255\n");  // work RAM starts filled with $FF
}

// A breakpoint on a block instruction stops when the line is reached, not
// at each round; the history holds the instructions that led to a stop.
TEST(Debugger, BlockInstructionStopsOnceAndHistory) {
  {
  std::unique_ptr<Console> console = ProbeConsole();
  Debugger debugger(*console);
  ASSERT_TRUE(debugger.symbols.Parse(ReadText(CART_DEBUG_PROBE_SYM)));
  const std::uint16_t otir = static_cast<std::uint16_t>(Address(debugger, "Main") + 0x27);
  ASSERT_EQ(debugger.DisassembleAt(otir).text, "otir");
  debugger.AddBreakpoint(CodePlace{otir, -1});
  ASSERT_TRUE(RunToStop(*console));
  EXPECT_EQ(console->cpu.bc.Hi(), 13);  // before the first round
  debugger.Continue();
  EXPECT_FALSE(RunToStop(*console)) << "stopped again at " << debugger.NameOf(console->cpu.pc) << " with B="
                                    << int(console->cpu.bc.Hi());
  EXPECT_EQ(console->sdsc.Text().substr(0, 6), "count=");
  }

  std::unique_ptr<Console> console = ProbeConsole();
  Debugger traced(*console);
  ASSERT_TRUE(traced.symbols.Parse(ReadText(CART_DEBUG_PROBE_SYM)));
  traced.KeepHistory(true);
  traced.AddBreakpoint(CodePlace{Address(traced, "Leaf"), -1});
  ASSERT_TRUE(RunToStop(*console));
  ASSERT_GE(traced.HistoryCount(), 3);
  EXPECT_EQ(traced.History(0).pc, console->cpu.pc);  // the instruction stopped before
  EXPECT_EQ(traced.HistoryLine(traced.History(1)).rfind("009E Work+$4: call Leaf", 0), 0u)
      << traced.HistoryLine(traced.History(1));
  EXPECT_EQ(traced.HistoryLine(traced.History(2)).rfind("009D Work+$3: inc (hl)", 0), 0u);
}

}  // namespace
