#include "SessionRig.h"

namespace {

class Programs : public SessionRig {};

TEST_F(Programs, AFrameInterruptHandlerSeesOneInterruptPerFrame) {
  // DI; IM 1; LD SP,0xDFF0; LD HL,0; LD (0xC000),HL;
  // VDP register 0 = 0x26 (line interrupt off), register 1 = 0x60 (display
  // and frame interrupt on); EI; loop: JR loop
  const std::vector<std::uint8_t> program = {
      0xF3, 0xED, 0x56, 0x31, 0xF0, 0xDF, 0x21, 0x00, 0x00, 0x22, 0x00, 0xC0,
      0x3E, 0x26, 0xD3, 0xBF, 0x3E, 0x80, 0xD3, 0xBF,
      0x3E, 0x60, 0xD3, 0xBF, 0x3E, 0x81, 0xD3, 0xBF, 0xFB, 0x18, 0xFE};
  // 0x38: PUSH AF; PUSH HL; IN A,(0xBF); LD HL,(0xC000); INC HL; LD (0xC000),HL;
  //       POP HL; POP AF; EI; RETI
  const std::vector<std::uint8_t> handler = {0xF5, 0xE5, 0xDB, 0xBF, 0x2A, 0x00, 0xC0, 0x23,
                                             0x22, 0x00, 0xC0, 0xE1, 0xF1, 0xFB, 0xED, 0x4D};
  for (int frames : {1, 10, 120}) {
    SCOPED_TRACE(frames);
    LoadProgram(program, 0x38, handler);
    RunFrames(frames);
    EXPECT_EQ(machine->ReadMem(0xC000) | machine->ReadMem(0xC001) << 8, frames);
  }
}

TEST_F(Programs, PollingTheVCounterSeesItsSequence) {
  // LD HL,0xC100; LD B,0xFE;
  // poll: IN A,(0x7E); CP B; JR Z,poll; LD B,A; LD (HL),A; INC L; JR NZ,poll; halt: JR halt
  LoadProgram({0x21, 0x00, 0xC1, 0x06, 0xFE, 0xDB, 0x7E, 0xB8, 0x28, 0xFB, 0x47, 0x77, 0x2C,
               0x20, 0xF6, 0x18, 0xFE});
  RunFrames(1);
  // The first 256 changes: 0x00..0xDA on lines 0-218, then the jump back to 0xD5.
  std::vector<int> seen;
  for (int i = 0; i < 256; ++i) seen.push_back(machine->ReadMem(static_cast<std::uint16_t>(0xC100 + i)));
  std::vector<int> expected;
  for (int v = 0x00; v <= 0xDA; ++v) expected.push_back(v);
  for (int v = 0xD5; v <= 0xFF; ++v) expected.push_back(v);
  expected.resize(256);
  EXPECT_EQ(seen, expected);
}


}  // namespace
