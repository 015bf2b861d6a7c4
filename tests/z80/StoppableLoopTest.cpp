// The debugger's stoppable loop (Z80Core::RunWithStops), stopped and resumed
// every few instructions, must behave exactly like the console's RunWith.

#include <gtest/gtest.h>

#include "TestCpu.h"
#include "z80/Z80Execute.h"

namespace {

// A little of everything: arithmetic, a loop, LDIR, indexed access, a call,
// a block of DD/ED forms and an interrupt routine that returns with RETI.
const std::vector<uint8_t> kProgram = {
    0x31, 0x00, 0xF0,        // LD SP,F000
    0xED, 0x56,              // IM 1
    0xFB,                    // EI
    0x21, 0x00, 0x40,        // LD HL,4000
    0x11, 0x00, 0x50,        // LD DE,5000
    0x01, 0x40, 0x00,        // LD BC,0040
    0xED, 0xB0,              // LDIR
    0xDD, 0x21, 0x00, 0x50,  // LD IX,5000
    0x06, 0x20,              // LD B,20
    0xDD, 0x7E, 0x05,        // loop: LD A,(IX+5)
    0xCB, 0x3F,              // SRL A
    0x8C,                    // ADC A,H
    0x27,                    // DAA
    0xDD, 0x77, 0x10,        // LD (IX+10),A
    0xDD, 0x23,              // INC IX
    0xCD, 0x40, 0x01,        // CALL 0140
    0x10, 0xEF,              // DJNZ loop
    0x76,                    // HALT
    0x18, 0xFD,              // JR back to the HALT after an interrupt
};
const std::vector<uint8_t> kSubroutine = {
    0xED, 0x52,              // SBC HL,DE
    0xFD, 0xCB, 0x00, 0x16,  // RL (IY+0)
    0xC9,                    // RET
};
const std::vector<uint8_t> kInterrupt = {0xF5, 0xED, 0x5F, 0xF1, 0xFB, 0xED, 0x4D};  // PUSH AF, LD A,R, POP AF, EI, RETI

template <class Cpu>
void Prepare(Cpu& cpu) {
  cpu.Load(0x0100, kProgram);
  cpu.Load(0x0140, kSubroutine);
  cpu.Load(0x0038, kInterrupt);
  for (int k = 0; k < 0x80; ++k) cpu.memory[0x4000 + k] = static_cast<uint8_t>(k * 7);
  cpu.pc = 0x0100;
  cpu.iy = 0x6000;
}

}  // namespace

TEST(StoppableLoop, StoppedAndResumedMatchesThePlainLoop) {
  TestCpu plain;  // the plain loop
  StoppingTestCpu stopping;
  Prepare(plain);
  Prepare(stopping);
  int stops = 0;
  for (int period = 0; period < 40; ++period) {
    const uint16_t request = period % 3 == 2 ? 0x0038 : kNoInterrupt;
    plain.requests = {request};
    stopping.requests = {request};
    plain.Run();
    stops += stopping.RunStopping();
  }
  EXPECT_GT(stops, 40);
  EXPECT_EQ(plain.events, stopping.events);
  EXPECT_EQ(plain.cyclesAtEvent, stopping.cyclesAtEvent);
  EXPECT_EQ(plain.memory, stopping.memory);
  EXPECT_EQ(plain.af.w, stopping.af.w);
  EXPECT_EQ(plain.hl.w, stopping.hl.w);
  EXPECT_EQ(plain.ix.w, stopping.ix.w);
  EXPECT_EQ(plain.pc, stopping.pc);
  EXPECT_EQ(plain.iff, stopping.iff);
  EXPECT_EQ(plain.iff & kIffHalted, kIffHalted) << "the program ran to its HALT";
  EXPECT_EQ(plain.pc, 0x0128);
  EXPECT_EQ(plain.bc.Hi(), 0);
}

// A stop can fall between EI and the instruction after it, with the line's
// interrupt waiting for that instruction. The debugger may then go and the
// plain loop carry on: the interrupt is still taken after that instruction.
TEST(StoppableLoop, APlainRunAfterAStopTakesTheInterruptWaitingAfterEi) {
  const std::vector<uint8_t> program = {0xFB, 0x00, 0x00, 0x00};  // EI, NOP...
  TestCpu plain;
  StoppingTestCpu stopping;
  stopping.stopEvery = 2;  // lets EI run, stops before the instruction after it
  for (TestCpu* cpu : {static_cast<TestCpu*>(&plain), static_cast<TestCpu*>(&stopping)}) {
    cpu->Load(0x0100, program);
    cpu->pc = 0x0100;
    cpu->sp = 0xF000;
    cpu->cyclesLeft = 4;  // the period ends with EI
    cpu->requests = {0x0038};
  }
  plain.Run();
  ASSERT_FALSE(stopping.RunWithStops(stopping, false)) << "stopped after EI";
  stopping.Run();
  EXPECT_EQ(plain.pc, 0x0038);
  EXPECT_EQ(stopping.pc, plain.pc);
  EXPECT_EQ(stopping.sp, plain.sp);
  EXPECT_EQ(stopping.iff, plain.iff);
}
