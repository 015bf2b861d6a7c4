// Repeating block instructions: cycles per iteration, the refund, and
// stopping at the end of a period to resume in the next.

#include <gtest/gtest.h>

#include "TestCpu.h"
#include "z80/Z80Tables.h"

namespace {

// Cycles the instruction at kCodeAt cost, read from the counter that the
// fetch of the following instruction saw.
int32_t CostUntilFetchOf(const TestCpu& cpu, uint16_t next, int32_t start) {
  for (std::size_t k = 0; k < cpu.events.size(); ++k) {
    const TestCpu::Event& e = cpu.events[k];
    if (e.hook == TestCpu::Hook::Read && e.address == next) return start - cpu.cyclesAtEvent[k];
  }
  return -1;
}

}  // namespace

TEST(BlockInstructions, CompleteWithinOnePeriod) {
  {
    SCOPED_TRACE("LDIR of 3 bytes costs 3 x 21 - 5");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB0});
    cpu.Load(0x4000, {1, 2, 3});
    cpu.pc = kCodeAt;
    cpu.hl = 0x4000;
    cpu.de = 0x5000;
    cpu.bc = 3;
    cpu.af.SetLo(0xFF);
    cpu.cyclesLeft = 100;
    cpu.memory[kCodeAt + 2] = 0x76;
    cpu.Run();
    EXPECT_EQ(CostUntilFetchOf(cpu, kCodeAt + 2, 100), 58);
    EXPECT_EQ(cpu.bc.w, 0);
    EXPECT_EQ(cpu.hl.w, 0x4003);
    EXPECT_EQ(cpu.de.w, 0x5003);
    EXPECT_EQ(cpu.af.Lo(), 0xE1) << "H, P/V and N clear; S, Z, C kept; bit 5 from bit 1 of A + 3";
    EXPECT_EQ(cpu.memory[0x5000], 1);
    EXPECT_EQ(cpu.memory[0x5002], 3);
  }
  {
    SCOPED_TRACE("CPIR finds the byte at the second position");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB1, 0x76});
    cpu.Load(0x4000, {0x11, 0x42, 0x42});
    cpu.pc = kCodeAt;
    cpu.af = 0x4200;
    cpu.hl = 0x4000;
    cpu.bc = 10;
    cpu.cyclesLeft = 100;
    cpu.Run();
    EXPECT_EQ(CostUntilFetchOf(cpu, kCodeAt + 2, 100), 37);
    EXPECT_EQ(cpu.hl.w, 0x4002);
    EXPECT_EQ(cpu.bc.w, 8);
    EXPECT_EQ(cpu.af.Lo(), 0x46);
  }
  {
    SCOPED_TRACE("CPDR runs out of BC without a match");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB9, 0x76});
    cpu.pc = kCodeAt;
    cpu.af = 0x4201;
    cpu.hl = 0x4001;
    cpu.bc = 2;
    cpu.cyclesLeft = 100;
    cpu.Run();
    EXPECT_EQ(CostUntilFetchOf(cpu, kCodeAt + 2, 100), 37);
    EXPECT_EQ(cpu.hl.w, 0x3FFF);
    EXPECT_EQ(cpu.bc.w, 0);
    EXPECT_EQ(cpu.af.Lo(), 0x23) << "N, carry kept, P/V clear, bit 5 from bit 1 of 42 - 0";
  }
  {
    SCOPED_TRACE("OTIR with B = 2");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB3, 0x76});
    cpu.Load(0x4000, {0xAA, 0xBB});
    cpu.pc = kCodeAt;
    cpu.hl = 0x4000;
    cpu.bc = 0x02BE;
    cpu.af.SetLo(0x01);
    cpu.cyclesLeft = 100;
    cpu.Run();
    EXPECT_EQ(CostUntilFetchOf(cpu, kCodeAt + 2, 100), 37);
    EXPECT_EQ(cpu.bc.w, 0x00BE);
    EXPECT_EQ(cpu.hl.w, 0x4002);
    EXPECT_EQ(cpu.af.Lo(), 0x46) << "N from bit 7 of BB; P/V from BB + L";
  }
  {
    SCOPED_TRACE("INDR with B = 3");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xBA, 0x76});
    cpu.pc = kCodeAt;
    cpu.hl = 0x4002;
    cpu.bc = 0x0310;
    cpu.inputs[0x10] = 0x5A;
    cpu.cyclesLeft = 100;
    cpu.Run();
    EXPECT_EQ(CostUntilFetchOf(cpu, kCodeAt + 2, 100), 58);
    EXPECT_EQ(cpu.bc.w, 0x0010);
    EXPECT_EQ(cpu.hl.w, 0x3FFF);
    EXPECT_EQ(cpu.memory[0x4000], 0x5A);
    EXPECT_EQ(cpu.memory[0x4002], 0x5A);
    EXPECT_EQ(cpu.af.Lo(), 0x40);
  }
}

TEST(BlockInstructions, StopAtThePeriodEndAndResume) {
  {
    SCOPED_TRACE("LDIR of 100 bytes with 50 cycles left");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB0, 0x76});
    for (int k = 0; k < 100; ++k) cpu.memory[0x4000 + k] = static_cast<uint8_t>(k + 1);
    cpu.pc = kCodeAt;
    cpu.hl = 0x4000;
    cpu.de = 0x5000;
    cpu.bc = 100;
    cpu.cyclesLeft = 50;
    cpu.Run();
    EXPECT_EQ(cpu.pc, kCodeAt) << "back on the ED byte";
    EXPECT_EQ(cpu.bc.w, 97);
    EXPECT_EQ(cpu.af.Lo() & kFlagPV, kFlagPV);
    EXPECT_EQ(cpu.cyclesLeft, -13 + 228);
    int periods = 1;
    while (cpu.pc == kCodeAt && periods < 20) {
      cpu.Run();
      ++periods;
    }
    EXPECT_EQ(cpu.pc, kCodeAt + 2) << "stopped on the HALT after it";
    EXPECT_EQ(cpu.bc.w, 0);
    EXPECT_EQ(cpu.af.Lo() & kFlagPV, 0);
    EXPECT_EQ(cpu.hl.w, 0x4064);
    EXPECT_EQ(cpu.de.w, 0x5064);
    for (int k = 0; k < 100; ++k) ASSERT_EQ(cpu.memory[0x5000 + k], k + 1) << k;
    EXPECT_EQ(periods, 10);  // 50 + 215 + 8 * 228 cycles cover 100 x 21 - 5
  }
  {
    SCOPED_TRACE("CPDR interrupted by the period end, then the match");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB9, 0x76});
    cpu.memory[0x4000] = 0x42;
    cpu.pc = kCodeAt;
    cpu.af = 0x4200;
    cpu.hl = 0x4010;
    cpu.bc = 0x20;
    cpu.cyclesLeft = 30;
    cpu.Run();
    EXPECT_EQ(cpu.pc, kCodeAt);
    EXPECT_EQ(cpu.hl.w, 0x400E);
    EXPECT_EQ(cpu.bc.w, 0x1E);
    EXPECT_EQ(cpu.af.Lo(), 0x06) << "P/V and N";
    for (int period = 0; period < 5 && cpu.pc == kCodeAt; ++period) cpu.Run();
    EXPECT_EQ(cpu.pc, kCodeAt + 2);
    EXPECT_EQ(cpu.hl.w, 0x3FFF);
    EXPECT_EQ(cpu.bc.w, 0x0F);
    EXPECT_EQ(cpu.af.Lo(), 0x46);
  }
  {
    SCOPED_TRACE("an interrupt between two periods of an LDIR returns to it");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB0, 0x76});
    cpu.memory[0x0038] = 0xC9;  // RET
    cpu.pc = kCodeAt;
    cpu.iff = kIff1 | kIffMode1;
    cpu.hl = 0x4000;
    cpu.de = 0x5000;
    cpu.bc = 5;
    cpu.cyclesLeft = 21;
    cpu.requests = {0x0038};
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0038);
    EXPECT_EQ(cpu.memory[0xEFFE], 0x00);
    EXPECT_EQ(cpu.memory[0xEFFF], 0x01) << "the pushed address is the ED byte";
    cpu.Run();
    EXPECT_EQ(cpu.bc.w, 0);
    EXPECT_EQ(cpu.pc, kCodeAt + 2);
  }
  {
    SCOPED_TRACE("LDIR with BC = 0 copies 65536 bytes over many periods");
    TestCpu cpu;
    cpu.Load(kCodeAt, {0xED, 0xB0, 0x76});
    cpu.pc = kCodeAt;
    cpu.hl = 0x8000;
    cpu.de = 0x8000;
    cpu.bc = 0;
    int periods = 0;
    do {
      cpu.Run();
      ++periods;
    } while (cpu.pc == kCodeAt && periods < 10000);
    int writes = 0;
    for (const TestCpu::Event& e : cpu.events) writes += e.hook == TestCpu::Hook::Write;
    EXPECT_EQ(writes, 65536);
    EXPECT_EQ(cpu.bc.w, 0);
    EXPECT_EQ(cpu.pc, kCodeAt + 2);
    EXPECT_EQ(periods, (65536 * 21 - 5 + 227) / 228);
  }
}
