#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "z80/Z80Core.h"

// A processor with 64 KB of flat memory and 256 input ports on its own bus,
// which records every hook call with the cycle counter it saw.
class TestCpu : public Z80Core {
 public:
  enum class Hook { Read, Write, In, Out, Patch, Loop };

  struct Event {
    Hook hook;
    uint16_t address = 0;  // memory address or port
    uint8_t value = 0;     // byte read or written
    bool operator==(const Event& other) const {
      return hook == other.hook && address == other.address && value == other.value;
    }
  };

  TestCpu() {
    log = DebugConsoleLogger();
    cyclesPerLine = 228;
    Reset();
  }

  // One period (Z80Core::RunWith with this bus).
  void Run();

  // The bus.
  void WriteMem(uint16_t address, uint8_t value) {
    Record({Hook::Write, address, value});
    memory[address] = value;
  }
  uint8_t ReadMem(uint16_t address) {
    Record({Hook::Read, address, memory[address]});
    return memory[address];
  }
  void OutPort(uint16_t port, uint8_t value) { Record({Hook::Out, port, value}); }
  uint8_t InPort(uint16_t port) {
    const uint8_t value = inputs[port & 0xFF];
    Record({Hook::In, port, value});
    return value;
  }
  void Patch() { Record({Hook::Patch}); }
  uint16_t Loop() {
    Record({Hook::Loop});
    ++loopCalls;
    if (requests.empty()) return kNoInterrupt;
    const uint16_t request = requests.front();
    requests.pop_front();
    return request;
  }

  void Load(uint16_t at, const std::vector<uint8_t>& bytes) {
    for (uint8_t byte : bytes) memory[at++] = byte;
  }

  // Events seen so far, without the Loop calls, and the counters they saw.
  std::vector<Event> Traffic() const {
    std::vector<Event> result;
    for (const Event& event : events) {
      if (event.hook != Hook::Loop) result.push_back(event);
    }
    return result;
  }

  std::array<uint8_t, 65536> memory{};
  std::array<uint8_t, 256> inputs{};
  std::deque<uint16_t> requests;  // what Loop returns, in turn; then none
  std::vector<Event> events;
  std::vector<int32_t> cyclesAtEvent;  // cyclesLeft when each event happened
  int loopCalls = 0;

 private:
  void Record(Event event) {
    events.push_back(event);
    cyclesAtEvent.push_back(cyclesLeft);
  }
};

// The same processor run through the debugger's stoppable loop: it stops
// before every `stopEvery`-th instruction it is asked about.
class StoppingTestCpu : public TestCpu {
 public:
  // One period, resumed after each stop; returns how many stops it made.
  int RunStopping();
  bool StopBeforeInstruction() { return ++asked % stopEvery == 0; }

  int stopEvery = 7;
  long asked = 0;
};

// A bus with nothing on it: memory reads 0 (NOP), writes and ports do
// nothing, Loop asks for nothing.
struct EmptyBus {
  void WriteMem(uint16_t, uint8_t) {}
  uint8_t ReadMem(uint16_t) { return 0; }
  void OutPort(uint16_t, uint8_t) {}
  uint8_t InPort(uint16_t) { return 0; }
  void Patch() {}
  uint16_t Loop() { return kNoInterrupt; }
};

inline std::ostream& operator<<(std::ostream& out, const TestCpu::Event& event) {
  static const char* const names[] = {"Read", "Write", "In", "Out", "Patch", "Loop"};
  char text[48];
  std::snprintf(text, sizeof text, "%s(%04X,%02X)", names[static_cast<int>(event.hook)],
                event.address, event.value);
  return out << text;
}

// A register set in which every field may be left out. Left out in a
// "before" set: 0 (sp 0xF000). Left out in an "after" set: unchanged.
struct Regs {
  std::optional<uint8_t> a = {}, f = {};
  std::optional<uint16_t> bc = {}, de = {}, hl = {}, ix = {}, iy = {}, sp = {}, pc = {};
  std::optional<uint16_t> af2 = {}, bc2 = {}, de2 = {}, hl2 = {};
  std::optional<uint8_t> iff = {}, i = {};
};

// One instruction-level case: code at 0x0100, registers and memory before,
// registers, memory and cycles after. pc after defaults to the end of the code.
struct InstructionCase {
  const char* name;
  std::vector<uint8_t> code;
  Regs before;
  std::vector<std::pair<uint16_t, uint8_t>> memoryBefore;
  Regs after;
  std::vector<std::pair<uint16_t, uint8_t>> memoryAfter;
  int cycles;
};

inline constexpr uint16_t kCodeAt = 0x0100;

// Runs the case's first instruction alone (a one-cycle period with no
// reload) and checks everything it promises, reporting the row by name.
void CheckInstruction(const InstructionCase& row);
void CheckInstructionTable(const std::vector<InstructionCase>& rows);
