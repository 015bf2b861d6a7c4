// Frames run for a debugger: the interpreter bound to a bus that reports
// accesses to the debugger's hooks and asks it before each instruction
// whether to stop. The plain frame (ConsoleFrame.cpp) never comes here.
#include "console/Console.h"
#include "z80/Z80Execute.h"

// The console's hooks with the debugger's reports around them. The
// reports the hooks do not watch cost one test of a flag each.
class DebugBus {
 public:
  DebugBus(Console& owner, DebugHooks& debugger) : console(owner), hooks(debugger) {}

  std::uint8_t FetchMem(std::uint16_t address) { return console.ReadMem(address); }
  std::uint8_t ReadMem(std::uint16_t address) {
    const std::uint8_t value = console.ReadMem(address);
    if (hooks.watching & DebugHooks::kWatchReads) hooks.MemoryRead(address, value);
    return value;
  }
  void WriteMem(std::uint16_t address, std::uint8_t value) {
    if (hooks.watching & DebugHooks::kWatchWrites) hooks.MemoryWrite(address, value);
    console.WriteMem(address, value);
  }
  std::uint8_t InPort(std::uint16_t port) {
    const std::uint8_t value = console.InPort(port);
    if (hooks.watching & DebugHooks::kWatchPorts) hooks.PortIn(static_cast<std::uint8_t>(port), value);
    return value;
  }
  void OutPort(std::uint16_t port, std::uint8_t value) {
    if (hooks.watching & DebugHooks::kWatchPorts) hooks.PortOut(static_cast<std::uint8_t>(port), value);
    if (hooks.watching & DebugHooks::kWatchVideo) ReportVideo(port, value);
    console.OutPort(port, value);
    if (port == 0xFC && console.sdsc.TakeSuspend()) hooks.SuspendRequested();
  }
  void Patch() { console.Patch(); }
  std::uint16_t Loop() { return console.LoopOutOfLine(); }
  bool StopBeforeInstruction() { return hooks.StopBeforeInstruction(console); }
  void InterruptTaken(std::uint16_t request) {
    if (hooks.watching & DebugHooks::kWatchInterrupts) hooks.InterruptTaken(request, console.cpu.pc);
  }

 private:
  // What a video port write is about to do, from the chip's state before it.
  // The SG-1000 family decodes the chip at 0x80-0xBF by A0 alone; the Master
  // System answers 0xBE (data) and 0xBD, 0xBF (control).
  void ReportVideo(std::uint16_t port, std::uint8_t value) {
    const Video& video = console.video;
    const bool sg = console.SgFamily();
    const bool control = sg ? (port & 0xC1) == 0x81 : port == 0xBD || port == 0xBF;
    const bool data = sg ? (port & 0xC1) == 0x80 : port == 0xBE;
    if (control) {
      // The TMS9918 alone takes any second byte with bit 7 set as a
      // register number (0-7).
      if (video.secondByte && video.tms9918 && (value & 0x80)) hooks.VideoRegister(value & 0x07, video.latch);
      else if (video.secondByte && !video.tms9918 && (value & 0xF0) == 0x80) hooks.VideoRegister(value & 0x0F, video.latch);
    } else if (data) {
      if (video.code == 3 && !video.tms9918) {
        hooks.VideoMemory(true, static_cast<std::uint16_t>(video.address & (video.gameGear ? 0x3F : 0x1F)), value);
      } else {
        hooks.VideoMemory(false, video.address, value);
      }
    }
  }

  Console& console;
  DebugHooks& hooks;
};

void Console::RunFrameStoppable(const FrameInput& input) {
  // Hooks taken away while a frame was stopped: it finishes unwatched.
  DebugHooks none;
  DebugBus bus(*this, debugHooks != nullptr ? *debugHooks : none);
  const bool resume = stopped;
  if (resume) {
    pendingInput = input;
  } else {
    BeginFrame(input);
  }
  stopped = false;
  bool resuming = resume;
  while (lineInFrame < timing.linesPerFrame) {
    if (!cpu.RunWithStops(bus, resuming)) {
      stopped = true;
      return;
    }
    resuming = false;
  }
  FinishFrame();
}

std::int32_t Console::RomPageAt(std::uint16_t address) const {
  if (!cartridge.Loaded() || !cartridgeShown) return -1;
  return cartridge.PageShown(readPage[address >> 13] + (address & 0x1FFF), address & 0x3FFF);
}
