// Unrecognised instructions: the log lines word for word, what is skipped,
// and that programs made of such bytes still give each period back.

#include <gtest/gtest.h>

#include <string>

#include "LogCapture.h"
#include "TestCpu.h"

TEST(Unrecognized, MessagesWordForWord) {
  struct Row {
    const char* name;
    uint16_t at;
    std::vector<uint8_t> code;
    uint8_t trapBadOps;
    uint32_t userId;
    std::string log;
    uint16_t pcAfter;
    int cycles;
  };
  const std::vector<Row> rows = {
      {"ED 77 at 1234", 0x1234, {0xED, 0x77}, 1, 0,
       "[Z80 0] Unrecognized instruction: ED 77 at PC=1234\n", 0x1236, 8},
      {"ED 77 silent without trapBadOps", 0x1234, {0xED, 0x77}, 0, 0, "", 0x1236, 8},
      {"userId in hexadecimal", 0x0100, {0xED, 0x00}, 1, 0xBEEF,
       "[Z80 BEEF] Unrecognized instruction: ED 00 at PC=0100\n", 0x0102, 8},
      {"ED FF", 0xFFFE, {0xED, 0xFF}, 1, 0,
       "[Z80 0] Unrecognized instruction: ED FF at PC=FFFE\n", 0x0000, 8},
      {"no mirror of NEG", 0x0100, {0xED, 0x4C}, 1, 0,
       "[Z80 0] Unrecognized instruction: ED 4C at PC=0100\n", 0x0102, 8},
      {"OUT (C),0 is recognised", 0x0100, {0xED, 0x71}, 1, 0, "", 0x0102, 12},
      {"DD ED", 0x0100, {0xDD, 0xED}, 1, 0,
       "[Z80 0] Unrecognized instruction: DD ED at PC=0100\n", 0x0102, 4},
      {"DD ED silent without trapBadOps", 0x0100, {0xDD, 0xED}, 0, 0, "", 0x0102, 4},
      {"FD ED is logged whatever trapBadOps holds", 0x0100, {0xFD, 0xED}, 0, 5,
       "Unrecognized instruction: FD ED at PC=0100\n", 0x0102, 4},
      {"DD CB 03 C0", 0x0100, {0xDD, 0xCB, 0x03, 0xC0}, 1, 0,
       "[Z80 0] Unrecognized instruction: DD CB 03 C0 at PC=0100\n", 0x0104, 8},
      {"FD CB FE 01", 0x2000, {0xFD, 0xCB, 0xFE, 0x01}, 1, 0x1F,
       "[Z80 1F] Unrecognized instruction: FD CB FE 01 at PC=2000\n", 0x2004, 8},
      {"FD CB silent without trapBadOps", 0x2000, {0xFD, 0xCB, 0xFE, 0x01}, 0, 0, "", 0x2004, 8},
      {"recognised ED 4F logs nothing", 0x0100, {0xED, 0x4F}, 1, 0, "", 0x0102, 9},
      {"recognised DD 7F logs nothing", 0x0100, {0xDD, 0x7F}, 1, 0, "", 0x0102, 8},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LogCapture log;
    TestCpu cpu;
    cpu.cyclesPerLine = 0;
    cpu.trapBadOps = row.trapBadOps;
    cpu.userId = row.userId;
    cpu.Load(row.at, row.code);
    cpu.pc = row.at;
    cpu.af = 0x1234;
    cpu.cyclesLeft = 1;
    cpu.Run();
    EXPECT_EQ(log.text(), row.log);
    EXPECT_EQ(cpu.pc, row.pcAfter);
    EXPECT_EQ(1 - cpu.cyclesLeft, row.cycles);
    EXPECT_EQ(cpu.af.w, 0x1234) << "nothing else changes";
    for (const TestCpu::Event& e : cpu.events) EXPECT_NE(e.hook, TestCpu::Hook::Write);
  }
}

// Every fetched prefix or opcode byte costs at least 4 cycles, so a program
// made only of prefixes, dropped prefixes or unrecognised pairs still spends
// its period and lets Run return; a prefixed jump to itself too.
TEST(Unrecognized, ProgramsOfOddBytesStillEndEachPeriod) {
  struct Row {
    const char* name;
    std::vector<uint8_t> pattern;  // repeated over all of memory
    int cyclesPerStep;  // one instruction, or one dropped prefix (0: not uniform)
    int bytesPerStep;   // how far pc moves per step (0: a loop on itself)
  };
  const std::vector<Row> rows = {
      {"DD 18 FD: prefixed jump to itself", {0xDD, 0x18, 0xFD}, 16, 0},
      // DD 18 FE jumps onto its own 18 byte, a plain JR to itself.
      {"DD 18 FE", {0xDD, 0x18, 0xFE}, 0, 0},
      {"ED 00 pairs", {0xED, 0x00}, 8, 2},
      {"ED ED: each dropped ED", {0xED}, 4, 1},
      {"DD DD: each dropped DD", {0xDD}, 4, 1},
      {"FD DD alternating: each dropped prefix", {0xFD, 0xDD}, 4, 1},
      {"DD ED chain: the byte after ED is the next DD", {0xDD, 0xED}, 4, 2},
      {"DD CB d op unrecognised", {0xDD, 0xCB, 0x00, 0x00}, 8, 4},
      {"DD 00", {0xDD, 0x00}, 8, 2},
      {"ED FE patch calls", {0xED, 0xFE}, 8, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LogCapture quiet;
    TestCpu cpu;
    for (std::size_t k = 0; k < cpu.memory.size(); ++k) cpu.memory[k] = row.pattern[k % row.pattern.size()];
    cpu.pc = 0;
    for (int period = 0; period < 200; ++period) cpu.Run();
    EXPECT_EQ(cpu.loopCalls, 200);
    if (row.bytesPerStep == 0) {
      EXPECT_LT(cpu.pc, row.pattern.size()) << "still looping in place";
    }
    if (row.cyclesPerStep == 0) continue;
    const int steps = (228 + row.cyclesPerStep - 1) / row.cyclesPerStep;
    // After the first period alone: whole steps until the counter ran out.
    TestCpu first;
    for (std::size_t k = 0; k < first.memory.size(); ++k) first.memory[k] = row.pattern[k % row.pattern.size()];
    first.Run();
    EXPECT_EQ(first.cyclesLeft, 228 - steps * row.cyclesPerStep + 228);
    EXPECT_EQ(first.pc, (steps * row.bytesPerStep) % 65536);
  }
}
