// Flag and cycle tables: spot checks, and DAA against decimal arithmetic.

#include <gtest/gtest.h>

#include "TestCpu.h"
#include "z80/Z80Tables.h"

TEST(Tables, DaaSpotChecks) {
  struct Row {
    const char* name;
    int a, carry, half, subtract;
    uint8_t newA, newF;
  };
  const std::vector<Row> rows = {
      {"3C after add", 0x3C, 0, 0, 0, 0x42, 0x14},
      {"9A after add", 0x9A, 0, 0, 0, 0x00, 0x55},
      {"0F after subtract: bit 3 from the result", 0x0F, 0, 0, 1, 0x09, 0x0E},
      {"99 with carry", 0x99, 1, 0, 0, 0xF9, 0xAD},
      {"15 after subtract with H", 0x15, 0, 1, 1, 0x0F, 0x1E},
      {"00 with carry: bit 5 from the result", 0x00, 1, 0, 0, 0x60, 0x25},
      {"45 untouched, odd parity", 0x45, 0, 0, 0, 0x45, 0x00},
      {"A0 after add wraps with carry", 0xA0, 0, 0, 0, 0x00, 0x45},
      {"FA after subtract with C and H", 0xFA, 1, 1, 1, 0x94, 0x83},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const uint16_t entry = daaTable[row.a | row.carry << 8 | row.half << 9 | row.subtract << 10];
    EXPECT_EQ(entry >> 8, row.newA);
    EXPECT_EQ(entry & 0xFF, row.newF);
  }
}

// ADD/SUB of two decimal bytes followed by DAA gives the decimal result and
// the decimal carry, for every pair: the way programs use DAA for scores.
TEST(Tables, DaaCorrectsEveryDecimalSumAndDifference) {
  TestCpu cpu;
  cpu.cyclesPerLine = 0;
  cpu.Load(0x0000, {0x80, 0x27});  // ADD A,B ; DAA
  cpu.Load(0x0010, {0x90, 0x27});  // SUB B ; DAA
  auto bcd = [](int v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); };
  int failures = 0;
  for (int x = 0; x < 100 && failures < 5; ++x) {
    for (int y = 0; y < 100 && failures < 5; ++y) {
      for (const bool subtract : {false, true}) {
        cpu.pc = subtract ? 0x0010 : 0x0000;
        cpu.af = static_cast<uint16_t>(bcd(x) << 8);
        cpu.bc = static_cast<uint16_t>(bcd(y) << 8);
        cpu.cyclesLeft = 5;  // two instructions
        cpu.Run();
        const int expected = subtract ? (x - y + 100) % 100 : (x + y) % 100;
        const bool carry = subtract ? x < y : x + y >= 100;
        if (cpu.af.Hi() != bcd(expected) || (cpu.af.Lo() & kFlagC) != carry) {
          ADD_FAILURE() << x << (subtract ? " - " : " + ") << y << " gave A=" << std::hex << int(cpu.af.Hi())
                        << " F=" << int(cpu.af.Lo());
          ++failures;
        }
      }
    }
  }
}

TEST(Tables, FlagAndCycleTableSpotChecks) {
  struct Row {
    const char* name;
    int actual, expected;
  };
  const std::vector<Row> rows = {
      {"zsTable[0]", zsTable[0], 0x40},
      {"zsTable[80]", zsTable[0x80], 0x80},
      {"zsTable[7F]: bits 5 and 3", zsTable[0x7F], 0x28},
      {"zspTable[0]", zspTable[0], 0x44},
      {"zspTable[FF]", zspTable[0xFF], 0xAC},
      {"zspTable[01]", zspTable[0x01], 0x00},
      {"zspTable[03]", zspTable[0x03], 0x04},
      {"cyclesBase NOP", cyclesBase[0x00], 4},
      {"cyclesBase LD (nn),HL", cyclesBase[0x22], 16},
      {"cyclesBase EX (SP),HL", cyclesBase[0xE3], 19},
      {"cyclesBase CALL nn", cyclesBase[0xCD], 17},
      {"cyclesBase prefixes", cyclesBase[0xCB] + cyclesBase[0xDD] + cyclesBase[0xED] + cyclesBase[0xFD], 0},
      {"cyclesCB register", cyclesCB[0x11], 8},
      {"cyclesCB BIT (HL)", cyclesCB[0x46], 12},
      {"cyclesCB SET (HL)", cyclesCB[0xFE], 15},
      {"cyclesED LDIR charges per iteration", cyclesED[0xB0], 0},
      {"cyclesED unrecognised", cyclesED[0x77], 8},
      {"cyclesED ED ED", cyclesED[0xED], 4},
      {"cyclesXY plain NOP", cyclesXY[0x00], 8},
      {"cyclesXY CB", cyclesXY[0xCB], 0},
      {"cyclesXY HALT", cyclesXY[0x76], 19},
      {"cyclesXYCB BIT", cyclesXYCB[0x47], 20},
      {"cyclesXYCB RES", cyclesXYCB[0xBE], 23},
      {"cyclesXYCB unrecognised", cyclesXYCB[0xC0], 8},
  };
  for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected) << row.name;
  for (int op = 0; op < 256; ++op) {
    const bool prefix = op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD;
    if (!prefix) {
      EXPECT_GE(cyclesBase[op], 4) << "cyclesBase " << op;
    }
    if (op != 0xCB) {
      EXPECT_GE(cyclesXY[op], 4) << "cyclesXY " << op;
    }
    EXPECT_GE(cyclesCB[op], 8) << "cyclesCB " << op;
    EXPECT_GE(cyclesXYCB[op], 8) << "cyclesXYCB " << op;
    if ((op & 0xF4) != 0xB0) {
      EXPECT_GE(cyclesED[op], 4) << "cyclesED " << op;
    }
  }
}
