#include "TestCpu.h"

#include <gtest/gtest.h>

#include "z80/Z80Execute.h"

void TestCpu::Run() { RunWith(*this); }

int StoppingTestCpu::RunStopping() {
  int stops = 0;
  for (bool resume = false; !RunWithStops(*this, resume); resume = true) ++stops;
  return stops;
}

namespace {

uint16_t Or(const std::optional<uint16_t>& value, uint16_t fallback) { return value.value_or(fallback); }
uint8_t Or(const std::optional<uint8_t>& value, uint8_t fallback) { return value.value_or(fallback); }

}  // namespace

void CheckInstruction(const InstructionCase& row) {
  SCOPED_TRACE(row.name);
  TestCpu cpu;
  cpu.cyclesPerLine = 0;  // no reload: cyclesLeft shows what was charged
  cpu.Load(kCodeAt, row.code);
  for (const auto& [address, value] : row.memoryBefore) cpu.memory[address] = value;
  const Regs& b = row.before;
  cpu.af.SetHi(Or(b.a, 0));
  cpu.af.SetLo(Or(b.f, 0));
  cpu.bc = Or(b.bc, 0);
  cpu.de = Or(b.de, 0);
  cpu.hl = Or(b.hl, 0);
  cpu.ix = Or(b.ix, 0);
  cpu.iy = Or(b.iy, 0);
  cpu.sp = Or(b.sp, 0xF000);
  cpu.pc = Or(b.pc, kCodeAt);
  cpu.af2 = Or(b.af2, 0);
  cpu.bc2 = Or(b.bc2, 0);
  cpu.de2 = Or(b.de2, 0);
  cpu.hl2 = Or(b.hl2, 0);
  cpu.iff = Or(b.iff, 0);
  cpu.i = Or(b.i, 0);
  std::array<uint8_t, 65536> expectedMemory = cpu.memory;
  for (const auto& [address, value] : row.memoryAfter) expectedMemory[address] = value;

  // Run whole instructions, each alone in a one-cycle period, until pc
  // reaches its expected value (a dropped prefix is an instruction of its own).
  const uint16_t endPc = Or(row.after.pc, static_cast<uint16_t>(kCodeAt + row.code.size()));
  int cycles = 0;
  for (int step = 0; step < 4; ++step) {
    // A new period, as a reload would start it: the Q latch's stamp moves too.
    cpu.flagsWrittenAt += static_cast<uint32_t>(1 - cpu.cyclesLeft);
    cpu.cyclesLeft = 1;
    cpu.Run();
    cycles += 1 - cpu.cyclesLeft;
    if (cpu.pc == endPc) break;
  }

  const Regs& a = row.after;
  EXPECT_EQ(cpu.pc, endPc) << "pc";
  EXPECT_EQ(cpu.af.Hi(), Or(a.a, Or(b.a, 0))) << "A";
  EXPECT_EQ(cpu.af.Lo(), Or(a.f, Or(b.f, 0))) << "F";
  EXPECT_EQ(cpu.bc.w, Or(a.bc, Or(b.bc, 0))) << "BC";
  EXPECT_EQ(cpu.de.w, Or(a.de, Or(b.de, 0))) << "DE";
  EXPECT_EQ(cpu.hl.w, Or(a.hl, Or(b.hl, 0))) << "HL";
  EXPECT_EQ(cpu.ix.w, Or(a.ix, Or(b.ix, 0))) << "IX";
  EXPECT_EQ(cpu.iy.w, Or(a.iy, Or(b.iy, 0))) << "IY";
  EXPECT_EQ(cpu.sp, Or(a.sp, Or(b.sp, 0xF000))) << "SP";
  EXPECT_EQ(cpu.af2.w, Or(a.af2, Or(b.af2, 0))) << "AF'";
  EXPECT_EQ(cpu.bc2.w, Or(a.bc2, Or(b.bc2, 0))) << "BC'";
  EXPECT_EQ(cpu.de2.w, Or(a.de2, Or(b.de2, 0))) << "DE'";
  EXPECT_EQ(cpu.hl2.w, Or(a.hl2, Or(b.hl2, 0))) << "HL'";
  EXPECT_EQ(cpu.iff, Or(a.iff, Or(b.iff, 0))) << "iff";
  EXPECT_EQ(cpu.i, Or(a.i, Or(b.i, 0))) << "I";
  EXPECT_EQ(cycles, row.cycles) << "cycles";
  int shown = 0;
  for (int address = 0; address < 65536 && shown < 4; ++address) {
    if (cpu.memory[address] != expectedMemory[address]) {
      ADD_FAILURE() << "memory at " << std::hex << address << " is " << int(cpu.memory[address])
                    << ", expected " << int(expectedMemory[address]);
      ++shown;
    }
  }
}

void CheckInstructionTable(const std::vector<InstructionCase>& rows) {
  for (const InstructionCase& row : rows) CheckInstruction(row);
}
