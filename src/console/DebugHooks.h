#pragma once

#include <cstdint>

class Console;

// What a debugger sees of a running console. While a console has hooks
// (Console::SetDebugHooks), its frames run on a second instantiation of the
// interpreter that asks StopBeforeInstruction before every instruction and
// reports the accesses the `watching` bits ask for; without hooks the frame
// runs on the plain interpreter, which has no check of any kind.
//
// The reports come as the access happens, in the middle of an instruction:
// a debugger that wants to stop on one remembers it and answers true at the
// next StopBeforeInstruction, so the console always stops between two
// instructions, in a state that runs on exactly as it would have.
class DebugHooks {
 public:
  // Which reports to make.
  static constexpr std::uint32_t kWatchReads = 1;       // data reads (not instruction bytes)
  static constexpr std::uint32_t kWatchWrites = 2;
  static constexpr std::uint32_t kWatchPorts = 4;
  static constexpr std::uint32_t kWatchVideo = 8;       // registers, video RAM, colour RAM
  static constexpr std::uint32_t kWatchInterrupts = 16;
  std::uint32_t watching = 0;

  virtual ~DebugHooks() = default;

  // Before each instruction, with the processor's pc on it. True stops the
  // console there (RunFrame returns early and Console::Stopped() is true).
  virtual bool StopBeforeInstruction(const Console&) { return false; }
  virtual void MemoryRead(std::uint16_t, std::uint8_t) {}
  virtual void MemoryWrite(std::uint16_t, std::uint8_t) {}
  virtual void PortIn(std::uint8_t, std::uint8_t) {}
  virtual void PortOut(std::uint8_t, std::uint8_t) {}
  virtual void VideoRegister(int, std::uint8_t) {}
  // A write through the data port: to colour RAM (`colours`) or video RAM.
  virtual void VideoMemory(bool, std::uint16_t, std::uint8_t) {}
  // An interrupt taken (0x0066: the NMI), with pc where it came.
  virtual void InterruptTaken(std::uint16_t, std::uint16_t) {}
  // The program asked the debug console to suspend emulation.
  virtual void SuspendRequested() {}
};
