// The order of hook calls for multi-byte traffic, and the cycle counter the
// hooks see while an instruction runs.

#include <gtest/gtest.h>

#include <functional>

#include "TestCpu.h"

namespace {

using Hook = TestCpu::Hook;
using Event = TestCpu::Event;

Event R(uint16_t address, uint8_t value) { return {Hook::Read, address, value}; }
Event W(uint16_t address, uint8_t value) { return {Hook::Write, address, value}; }
Event In(uint16_t port, uint8_t value) { return {Hook::In, port, value}; }
Event Out(uint16_t port, uint8_t value) { return {Hook::Out, port, value}; }

struct HookCase {
  const char* name;
  std::vector<uint8_t> code;  // at 0x0100
  std::function<void(TestCpu&)> setUp;
  int32_t budget;  // cycles in the period; the period holds exactly this instruction
  std::vector<Event> expected;
};

}  // namespace

TEST(HookOrder, MultiByteTraffic) {
  const std::vector<HookCase> rows = {
      {"LD (nn),HL: operands, then low byte, then high byte", {0x22, 0x00, 0x50},
       [](TestCpu& c) { c.hl = 0xBEEF; }, 1,
       {R(0x100, 0x22), R(0x101, 0x00), R(0x102, 0x50), W(0x5000, 0xEF), W(0x5001, 0xBE)}},
      {"LD HL,(nn)", {0x2A, 0x00, 0x50},
       [](TestCpu& c) { c.memory[0x5000] = 0x11; c.memory[0x5001] = 0x22; }, 1,
       {R(0x100, 0x2A), R(0x101, 0x00), R(0x102, 0x50), R(0x5000, 0x11), R(0x5001, 0x22)}},
      {"LD (nn),DE through ED", {0xED, 0x53, 0x00, 0x50}, [](TestCpu& c) { c.de = 0x1234; }, 1,
       {R(0x100, 0xED), R(0x101, 0x53), R(0x102, 0x00), R(0x103, 0x50), W(0x5000, 0x34), W(0x5001, 0x12)}},
      {"PUSH BC: high byte first", {0xC5}, [](TestCpu& c) { c.bc = 0x1234; }, 1,
       {R(0x100, 0xC5), W(0xEFFF, 0x12), W(0xEFFE, 0x34)}},
      {"POP DE: low byte first", {0xD1},
       [](TestCpu& c) { c.sp = 0x4000; c.memory[0x4000] = 0x34; c.memory[0x4001] = 0x12; }, 1,
       {R(0x100, 0xD1), R(0x4000, 0x34), R(0x4001, 0x12)}},
      {"CALL: both operands read before the pushes", {0xCD, 0x34, 0x12}, nullptr, 1,
       {R(0x100, 0xCD), R(0x101, 0x34), R(0x102, 0x12), W(0xEFFF, 0x01), W(0xEFFE, 0x03)}},
      {"RST 08h", {0xCF}, nullptr, 1, {R(0x100, 0xCF), W(0xEFFF, 0x01), W(0xEFFE, 0x01)}},
      {"EX (SP),HL: read, write, read, write", {0xE3},
       [](TestCpu& c) { c.sp = 0x4000; c.hl = 0xABCD; c.memory[0x4000] = 0x34; c.memory[0x4001] = 0x12; }, 1,
       {R(0x100, 0xE3), R(0x4000, 0x34), W(0x4000, 0xCD), R(0x4001, 0x12), W(0x4001, 0xAB)}},
      {"EX (SP),IY in the same order", {0xFD, 0xE3},
       [](TestCpu& c) { c.sp = 0x4000; c.iy = 0xABCD; c.memory[0x4000] = 0x34; c.memory[0x4001] = 0x12; }, 1,
       {R(0x100, 0xFD), R(0x101, 0xE3), R(0x4000, 0x34), W(0x4000, 0xCD), R(0x4001, 0x12), W(0x4001, 0xAB)}},
      {"INC (HL): one read, one write", {0x34}, [](TestCpu& c) { c.hl = 0x4000; c.memory[0x4000] = 0x41; }, 1,
       {R(0x100, 0x34), R(0x4000, 0x41), W(0x4000, 0x42)}},
      {"RLC (HL)", {0xCB, 0x06}, [](TestCpu& c) { c.hl = 0x4000; c.memory[0x4000] = 0x80; }, 1,
       {R(0x100, 0xCB), R(0x101, 0x06), R(0x4000, 0x80), W(0x4000, 0x01)}},
      {"BIT 0,(HL) only reads", {0xCB, 0x46}, [](TestCpu& c) { c.hl = 0x4000; }, 1,
       {R(0x100, 0xCB), R(0x101, 0x46), R(0x4000, 0x00)}},
      {"LD (IX+d),n: displacement, value, write", {0xDD, 0x36, 0xFE, 0x55}, [](TestCpu& c) { c.ix = 0x1001; }, 1,
       {R(0x100, 0xDD), R(0x101, 0x36), R(0x102, 0xFE), R(0x103, 0x55), W(0x0FFF, 0x55)}},
      {"SET 0,(IX+d)", {0xDD, 0xCB, 0x03, 0xC6}, [](TestCpu& c) { c.ix = 0x4000; }, 1,
       {R(0x100, 0xDD), R(0x101, 0xCB), R(0x102, 0x03), R(0x103, 0xC6), R(0x4003, 0x00), W(0x4003, 0x01)}},
      {"OUT (n),A: port high byte 0", {0xD3, 0xBF}, [](TestCpu& c) { c.af.SetHi(0x55); }, 1,
       {R(0x100, 0xD3), R(0x101, 0xBF), Out(0x00BF, 0x55)}},
      {"IN A,(n): port high byte 0 whatever A holds", {0xDB, 0x7E},
       [](TestCpu& c) { c.af.SetHi(0x12); c.inputs[0x7E] = 0x99; }, 1,
       {R(0x100, 0xDB), R(0x101, 0x7E), In(0x007E, 0x99)}},
      {"IN B,(C): B never reaches the port", {0xED, 0x40}, [](TestCpu& c) { c.bc = 0x12DC; }, 1,
       {R(0x100, 0xED), R(0x101, 0x40), In(0x00DC, 0x00)}},
      {"OUT (C),A", {0xED, 0x79}, [](TestCpu& c) { c.bc = 0xFF7F; c.af.SetHi(0x9F); }, 1,
       {R(0x100, 0xED), R(0x101, 0x79), Out(0x007F, 0x9F)}},
      // As the silicon does: the target is read (into MEMPTR) all the same.
      {"JP NZ not taken still reads its target", {0xC2, 0x00, 0x20}, [](TestCpu& c) { c.af.SetLo(0x40); }, 1,
       {R(0x100, 0xC2), R(0x101, 0x00), R(0x102, 0x20)}},
      {"CALL NZ not taken still reads its target", {0xC4, 0x00, 0x20}, [](TestCpu& c) { c.af.SetLo(0x40); }, 1,
       {R(0x100, 0xC4), R(0x101, 0x00), R(0x102, 0x20)}},
      {"JR Z not taken reads no displacement", {0x28, 0x05}, nullptr, 1, {R(0x100, 0x28)}},
      {"DJNZ falling through reads no displacement", {0x10, 0x05}, [](TestCpu& c) { c.bc = 0x0100; }, 1,
       {R(0x100, 0x10)}},
      {"RET NZ not taken reads nothing", {0xC0}, [](TestCpu& c) { c.af.SetLo(0x40); }, 1, {R(0x100, 0xC0)}},
      {"JP (HL) reads nothing", {0xE9}, [](TestCpu& c) { c.hl = 0x4000; }, 1, {R(0x100, 0xE9)}},
      {"LDI: read, then write", {0xED, 0xA0},
       [](TestCpu& c) { c.hl = 0x4000; c.de = 0x5000; c.bc = 1; c.memory[0x4000] = 0x77; }, 1,
       {R(0x100, 0xED), R(0x101, 0xA0), R(0x4000, 0x77), W(0x5000, 0x77)}},
      {"LDIR of two bytes", {0xED, 0xB0},
       [](TestCpu& c) { c.hl = 0x4000; c.de = 0x5000; c.bc = 2; c.memory[0x4000] = 1; c.memory[0x4001] = 2; }, 37,
       {R(0x100, 0xED), R(0x101, 0xB0), R(0x4000, 1), W(0x5000, 1), R(0x4001, 2), W(0x5001, 2)}},
      {"INI: port, then memory", {0xED, 0xA2}, [](TestCpu& c) { c.hl = 0x4000; c.bc = 0x0210; c.inputs[0x10] = 0x66; }, 1,
       {R(0x100, 0xED), R(0x101, 0xA2), In(0x0010, 0x66), W(0x4000, 0x66)}},
      {"OTIR of two bytes", {0xED, 0xB3},
       [](TestCpu& c) { c.hl = 0x4000; c.bc = 0x02BE; c.memory[0x4000] = 7; c.memory[0x4001] = 8; }, 37,
       {R(0x100, 0xED), R(0x101, 0xB3), R(0x4000, 7), Out(0x00BE, 7), R(0x4001, 8), Out(0x00BE, 8)}},
      {"RRD: read, then write", {0xED, 0x67}, [](TestCpu& c) { c.hl = 0x4000; c.memory[0x4000] = 0x34; }, 1,
       {R(0x100, 0xED), R(0x101, 0x67), R(0x4000, 0x34), W(0x4000, 0x03)}},
      {"ED FE calls the patch hook", {0xED, 0xFE}, nullptr, 1,
       {R(0x100, 0xED), R(0x101, 0xFE), {Hook::Patch}}},
  };
  for (const HookCase& row : rows) {
    SCOPED_TRACE(row.name);
    TestCpu cpu;
    cpu.cyclesPerLine = 0;
    cpu.pc = kCodeAt;
    cpu.Load(kCodeAt, row.code);
    if (row.setUp) row.setUp(cpu);
    cpu.cyclesLeft = row.budget;
    cpu.Run();
    EXPECT_EQ(cpu.Traffic(), row.expected);
  }
}

// Each opcode byte's cost is deducted right after its fetch, so the hooks of
// an instruction see its table cycles already gone; a taken branch pays its
// surcharge afterwards.
TEST(HookOrder, CyclesSeenByHooks) {
  struct Row {
    const char* name;
    std::vector<uint8_t> code;
    std::function<void(TestCpu&)> setUp;
    std::vector<int32_t> expected;  // cyclesLeft at each non-Loop event, from 100
  };
  const std::vector<Row> rows = {
      {"LD (nn),HL", {0x22, 0x00, 0x50}, nullptr, {100, 84, 84, 84, 84}},
      {"LD (IX+d),n: nothing for the DD fetch", {0xDD, 0x36, 0x00, 0x55}, nullptr, {100, 100, 81, 81, 81}},
      {"CALL Z taken: surcharge after the pushes", {0xCC, 0x00, 0x20},
       [](TestCpu& c) { c.af.SetLo(0x40); }, {100, 90, 90, 90, 90}},
      {"OUT (C),B", {0xED, 0x41}, nullptr, {100, 100, 88}},
      {"SET 1,(IY+d)", {0xFD, 0xCB, 0x00, 0xCE}, nullptr, {100, 100, 100, 100, 77, 77}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestCpu cpu;
    cpu.pc = kCodeAt;
    cpu.Load(kCodeAt, row.code);
    cpu.memory[0x2000] = 0x76;  // HALT at the CALL target ends the period
    cpu.memory[kCodeAt + row.code.size()] = 0x76;
    if (row.setUp) row.setUp(cpu);
    cpu.cyclesLeft = 100;
    cpu.Run();
    std::vector<int32_t> seen;
    for (std::size_t k = 0; k < cpu.events.size() && seen.size() < row.expected.size(); ++k) {
      if (cpu.events[k].hook != Hook::Loop) seen.push_back(cpu.cyclesAtEvent[k]);
    }
    EXPECT_EQ(seen, row.expected);
  }
}
