// The period loop, interrupt acceptance, HALT, EI/DI timing and reset.

#include <gtest/gtest.h>

#include "TestCpu.h"
#include "z80/Z80Execute.h"

TEST(RunLoop, PeriodsAndCycleCarry) {
  {
    SCOPED_TRACE("228 cycles of NOPs: 57 instructions, then Loop once");
    TestCpu cpu;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 57);
    EXPECT_EQ(cpu.loopCalls, 1);
    EXPECT_EQ(cpu.cyclesLeft, 228);
  }
  {
    SCOPED_TRACE("an 11-cycle instruction with 3 left overshoots to -8, reloaded to 220");
    TestCpu cpu;
    cpu.memory[0] = 0x34;  // INC (HL), 11 cycles
    cpu.cyclesLeft = 3;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 1);
    EXPECT_EQ(cpu.cyclesLeft, 220);
  }
  {
    SCOPED_TRACE("at least one instruction even with nothing left");
    TestCpu cpu;
    cpu.cyclesLeft = -50;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 1);
    EXPECT_EQ(cpu.cyclesLeft, 174);
  }
  {
    SCOPED_TRACE("the Loop hook sees the reloaded counter");
    TestCpu cpu;
    cpu.Run();
    ASSERT_EQ(cpu.events.back().hook, TestCpu::Hook::Loop);
    EXPECT_EQ(cpu.cyclesAtEvent.back(), 228);
  }
}

TEST(RunLoop, ConstructionAndReset) {
  Z80Core bare;  // on a bus whose memory reads 0 and whose Loop asks for nothing
  EXPECT_EQ(bare.sp, 0xF000);
  EXPECT_EQ(bare.cyclesLeft, 0);
  bare.cyclesPerLine = 228;
  bare.Reset();
  EmptyBus empty;
  bare.RunWith(empty);
  EXPECT_EQ(bare.pc, 57);

  TestCpu cpu;
  cpu.af = 0x1234;
  cpu.bc = cpu.de = cpu.hl = cpu.ix = cpu.iy = 0x5555;
  cpu.af2 = cpu.bc2 = cpu.de2 = cpu.hl2 = 0xAAAA;
  cpu.pc = 0x4321;
  cpu.sp = 0x1000;
  cpu.iff = kIff1 | kIff2 | kIffMode2 | kIffHalted;
  cpu.i = 0x12;
  cpu.cyclesPerLine = 200;
  cpu.cyclesLeft = -7;
  cpu.userId = 0x77;
  cpu.trapBadOps = 1;
  cpu.Reset();
  EXPECT_EQ(cpu.af.w | cpu.bc.w | cpu.de.w | cpu.hl.w | cpu.ix.w | cpu.iy.w, 0);
  EXPECT_EQ(cpu.af2.w | cpu.bc2.w | cpu.de2.w | cpu.hl2.w, 0);
  EXPECT_EQ(cpu.pc, 0);
  EXPECT_EQ(cpu.sp, 0xF000);
  EXPECT_EQ(cpu.iff, 0);
  EXPECT_EQ(cpu.i, 0);
  EXPECT_EQ(cpu.cyclesLeft, 200);
  EXPECT_EQ(cpu.cyclesPerLine, 200);
  EXPECT_EQ(cpu.userId, 0x77u);
  EXPECT_EQ(cpu.trapBadOps, 1);
}

TEST(Interrupts, Acceptance) {
  struct Row {
    const char* name;
    uint8_t iff;
    uint8_t i;
    uint8_t opcode;  // the period's one instruction, at 0x1233
    uint16_t request;
    uint16_t pc;     // expected
    uint16_t sp;
    uint8_t iffAfter;
  };
  const std::vector<Row> rows = {
      {"none", kIff1 | kIffMode1, 0, 0x00, kNoInterrupt, 0x1234, 0xF000, kIff1 | kIffMode1},
      {"mode 1 with IFF1 set: both flip-flops cleared", kIff1 | kIff2 | kIffMode1, 0, 0x00, 0x0038, 0x0038, 0xEFFE, kIffMode1},
      {"mode 1 with IFF1 clear: dropped", kIffMode1, 0, 0x00, 0x0038, 0x1234, 0xF000, kIffMode1},
      {"IFF2 alone does not let it in", kIff2 | kIffMode1, 0, 0x00, 0x0038, 0x1234, 0xF000, kIff2 | kIffMode1},
      {"NMI with IFF1 clear: taken, IFF2 cleared", kIff2, 0, 0x00, kNmiRequest, 0x0066, 0xEFFE, 0},
      {"NMI with IFF1 set", kIff1 | kIffMode1, 0, 0x00, kNmiRequest, 0x0066, 0xEFFE, kIff2 | kIffMode1},
      {"mode 2 reads the vector at I:request&FE", kIff1 | kIffMode2, 0x12, 0x00, 0x00FF, 0x5678, 0xEFFE, kIffMode2},
      {"mode 2 vector at FFFF wraps", kIff1 | kIffMode2, 0xFF, 0x00, 0x00FF, 0x9ABC, 0xEFFE, kIffMode2},
      {"mode 0 with 0x38 acts as mode 1", kIff1, 0, 0x00, 0x0038, 0x0038, 0xEFFE, 0},
      {"mode 0 jumps to the request", kIff1, 0, 0x00, 0x0010, 0x0010, 0xEFFE, 0},
      {"DI as the period's last instruction", kIff1 | kIff2 | kIffMode1, 0, 0xF3, 0x0038, 0x1234, 0xF000, kIffMode1},
      {"HALT: the pushed address is past the HALT", kIff1 | kIffMode1, 0, 0x76, 0x0038, 0x0038, 0xEFFE, kIffMode1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestCpu cpu;
    cpu.pc = 0x1233;
    cpu.memory[0x1233] = row.opcode;
    cpu.memory[0x12FE] = 0x78;
    cpu.memory[0x12FF] = 0x56;
    cpu.memory[0xFFFE] = 0xBC;
    cpu.memory[0xFFFF] = 0x9A;
    cpu.iff = row.iff;
    cpu.i = row.i;
    cpu.cyclesLeft = 1;
    cpu.requests = {row.request};
    cpu.Run();
    EXPECT_EQ(cpu.pc, row.pc);
    EXPECT_EQ(cpu.sp, row.sp);
    EXPECT_EQ(cpu.iff, row.iffAfter);
    if (row.sp == 0xEFFE) {
      EXPECT_EQ(cpu.memory[0xEFFF], 0x12) << "high byte of the return address at sp - 1";
      EXPECT_EQ(cpu.memory[0xEFFE], 0x34);
    }
  }
}

// EI lets a maskable interrupt in only after the next instruction: when EI
// ends the period, that instruction runs before the request is looked at.
TEST(Interrupts, EiEndingThePeriodRunsOneMoreInstructionFirst) {
  struct Row {
    const char* name;
    uint8_t next;       // the instruction after EI, at 0x1234
    uint16_t request;
    uint16_t pc;        // expected
    uint16_t returnTo;  // pushed, or 0 when nothing was taken
    uint8_t iffAfter;
  };
  const Row rows[] = {
      {"NOP runs, then the interrupt", 0x00, 0x0038, 0x0038, 0x1235, kIffMode1},
      {"HALT halts, then the interrupt returns past it", 0x76, 0x0038, 0x0038, 0x1235, kIffMode1},
      {"DI runs: no interrupt", 0xF3, 0x0038, 0x1235, 0, kIffMode1},
      {"no request: nothing more runs", 0x00, kNoInterrupt, 0x1234, 0, kIff1 | kIff2 | kIffMode1},
      {"an NMI does not wait", 0x00, kNmiRequest, 0x0066, 0x1234, kIff2 | kIffMode1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestCpu cpu;
    cpu.Load(0x1233, {0xFB, row.next});
    cpu.pc = 0x1233;
    cpu.iff = kIffMode1;
    cpu.cyclesLeft = 1;
    cpu.requests = {row.request};
    cpu.Run();
    EXPECT_EQ(cpu.pc, row.pc);
    EXPECT_EQ(cpu.iff, row.iffAfter);
    EXPECT_EQ(cpu.sp, row.returnTo ? 0xEFFE : 0xF000);
    if (row.returnTo) {
      EXPECT_EQ(cpu.memory[0xEFFE] | cpu.memory[0xEFFF] << 8, row.returnTo);
    }
  }
  {
    SCOPED_TRACE("EI earlier in the period: taken at its end as before");
    TestCpu cpu;
    cpu.Load(0x1233, {0xFB, 0x00});
    cpu.pc = 0x1233;
    cpu.iff = kIffMode1;
    cpu.cyclesLeft = 5;  // EI (4) and the NOP both run in the period
    cpu.requests = {0x0038};
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0038);
    EXPECT_EQ(cpu.memory[0xEFFE] | cpu.memory[0xEFFF] << 8, 0x1235);
  }
}

TEST(Interrupts, DroppedRequestIsNotRemembered) {
  TestCpu cpu;
  cpu.iff = kIffMode1;
  cpu.Load(0, {0x00, 0xFB});  // NOP, then EI in the next period
  cpu.cyclesLeft = 1;
  cpu.requests = {0x0038, kNoInterrupt};
  cpu.Run();
  EXPECT_EQ(cpu.pc, 1);
  cpu.cyclesLeft = 1;
  cpu.Run();  // EI runs; Loop asks for nothing now
  EXPECT_EQ(cpu.pc, 2);
  EXPECT_EQ(cpu.sp, 0xF000);
  EXPECT_EQ(cpu.iff, kIff1 | kIff2 | kIffMode1);
}

TEST(Interrupts, HaltGivesUpEachPeriodUntilAnInterrupt) {
  TestCpu cpu;
  cpu.iff = kIff1 | kIffMode1;
  cpu.Load(0x0200, {0x00, 0x76});  // NOP, HALT
  cpu.pc = 0x0200;
  cpu.Run();
  EXPECT_EQ(cpu.pc, 0x0201) << "pc stays on the HALT";
  EXPECT_EQ(cpu.iff & kIffHalted, kIffHalted);
  EXPECT_EQ(cpu.cyclesLeft, 228) << "the rest of the period is given up";
  for (int period = 0; period < 3; ++period) {
    cpu.events.clear();
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0201);
    EXPECT_EQ(cpu.cyclesLeft, 228);
    // One fetch of the HALT per period, then Loop.
    ASSERT_EQ(cpu.events.size(), 2u);
    EXPECT_EQ(cpu.events[0], (TestCpu::Event{TestCpu::Hook::Read, 0x0201, 0x76}));
  }
  cpu.requests = {0x0038};
  cpu.Run();
  EXPECT_EQ(cpu.pc, 0x0038);
  EXPECT_EQ(cpu.iff & kIffHalted, 0);
  EXPECT_EQ(cpu.memory[0xEFFF], 0x02);
  EXPECT_EQ(cpu.memory[0xEFFE], 0x02) << "return to the byte after the HALT";
  EXPECT_EQ(cpu.loopCalls, 5);
}

TEST(Interrupts, IndexedHaltAndNmiNesting) {
  {
    SCOPED_TRACE("DD 76 halts on the 76 byte; an NMI returns past it");
    TestCpu cpu;
    cpu.Load(0x0300, {0xDD, 0x76});
    cpu.pc = 0x0300;
    cpu.cyclesLeft = 1;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0301);
    EXPECT_EQ(cpu.iff, kIffHalted);
    cpu.requests = {kNmiRequest};
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0066);
    EXPECT_EQ(cpu.memory[0xEFFE], 0x02);
    EXPECT_EQ(cpu.memory[0xEFFF], 0x03);
  }
  {
    SCOPED_TRACE("an NMI inside the NMI routine is taken; RETN restores IFF1");
    TestCpu cpu;
    cpu.iff = kIff1;
    cpu.memory[0x0066] = 0x00;
    cpu.cyclesLeft = 1;
    cpu.requests = {kNmiRequest, kNmiRequest};
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0066);
    EXPECT_EQ(cpu.iff, kIff2);
    cpu.cyclesLeft = 1;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0066);
    EXPECT_EQ(cpu.sp, 0xEFFC);
    EXPECT_EQ(cpu.iff, 0) << "IFF1 was clear at the second NMI";
    cpu.Load(0x0066, {0xED, 0x45});  // RETN
    cpu.cyclesLeft = 1;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0067);
    EXPECT_EQ(cpu.iff, 0);
  }
  {
    SCOPED_TRACE("RETN after an NMI taken with IFF1 set gives IFF1 back");
    TestCpu cpu;
    cpu.iff = kIff1;
    cpu.Load(0x0066, {0xED, 0x45});
    cpu.cyclesLeft = 1;
    cpu.requests = {kNmiRequest};
    cpu.Run();
    cpu.cyclesLeft = 1;
    cpu.Run();
    EXPECT_EQ(cpu.pc, 0x0001);
    EXPECT_EQ(cpu.iff, kIff1 | kIff2);
  }
}
