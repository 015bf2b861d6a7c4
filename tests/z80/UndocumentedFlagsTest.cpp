// Flag bits 5 and 3, BIT's P/V, memptr and LD A,I's view of IFF2, as the
// silicon sets them: the facts the instruction exercisers check.

#include <gtest/gtest.h>

#include "TestCpu.h"

TEST(UndocumentedFlags, BitTests) {
  CheckInstructionTable({
      {"BIT 7,A set: S, bits 5 and 3 from A", {0xCB, 0x7F}, {.a = 0xA8}, {}, {.f = 0xB8}, {}, 8},
      {"BIT 3,B clear: Z with P/V, carry kept", {0xCB, 0x58}, {.f = 0x01, .bc = 0x2000}, {}, {.f = 0x75}, {}, 8},
      {"BIT 5,B set: neither S nor P/V", {0xCB, 0x68}, {.f = 0xC5, .bc = 0x2000}, {}, {.f = 0x31}, {}, 8},
      // LD A,(27FF) leaves 2800 in memptr.
      {"BIT 0,(HL): bits 5 and 3 from memptr", {0x3A, 0xFF, 0x27, 0xCB, 0x46}, {.hl = 0x4000}, {}, {.f = 0x7C}, {}, 25},
      {"BIT 0,(IX+5): from the high byte of IX+5", {0xDD, 0xCB, 0x05, 0x46}, {.ix = 0x27FE}, {}, {.f = 0x7C}, {}, 20},
      {"BIT 7,(IY-1) set", {0xFD, 0xCB, 0xFF, 0x7E}, {.iy = 0x0A00}, {{0x09FF, 0x80}}, {.f = 0x98}, {}, 20},
  });
}

TEST(UndocumentedFlags, BitsFiveAndThree) {
  CheckInstructionTable({
      {"CP n: from the operand, not the result", {0xFE, 0x28}, {.a = 0x00}, {}, {.f = 0xBB}, {}, 7},
      {"SCF: from A | F", {0x37}, {.a = 0x20, .f = 0x08}, {}, {.f = 0x29}, {}, 4},
      // After an instruction that wrote F, Q = F cancels F's bits: A alone.
      {"SCF after CP: from A alone", {0xFE, 0x28, 0x37}, {.a = 0x00}, {}, {.f = 0x81}, {}, 11},
      {"SCF after CP and a NOP: from A | F", {0xFE, 0x28, 0x00, 0x37}, {.a = 0x00}, {}, {.f = 0xA9}, {}, 15},
      {"CCF after CP: from A alone, H the old carry", {0xFE, 0x28, 0x3F}, {.a = 0x00}, {}, {.f = 0x90}, {}, 11},
      {"CCF: from A | F, H from the old carry", {0x3F}, {.a = 0x08, .f = 0x21}, {}, {.f = 0x38}, {}, 4},
      {"RLD: from the new A", {0xED, 0x6F}, {.a = 0x20, .hl = 0x4000}, {{0x4000, 0x08}}, {.f = 0x20}, {{0x4000, 0x80}}, 18},
      {"ADC HL,DE: from the high byte", {0xED, 0x5A}, {.de = 0x1800, .hl = 0x1000}, {}, {.f = 0x28, .hl = 0x2800}, {}, 15},
      {"ADD IX,BC: from the high byte, S Z P/V kept", {0xDD, 0x09}, {.f = 0xC4, .bc = 0x0008, .ix = 0x0800}, {}, {.f = 0xCC, .ix = 0x0808}, {}, 15},
      {"LDI: bit 3 from A + byte", {0xED, 0xA0}, {.a = 0x01, .bc = 0x0002, .de = 0x5000, .hl = 0x4000},
       {{0x4000, 0x07}}, {.f = 0x0C, .bc = 0x0001, .de = 0x5001, .hl = 0x4001}, {{0x5000, 0x07}}, 16},
      // 10 - 02 = 0E with a half borrow: bits 1 and 3 of 0D.
      {"CPI: from A - byte - H", {0xED, 0xA1}, {.a = 0x10, .bc = 0x0002, .hl = 0x4000}, {{0x4000, 0x02}},
       {.f = 0x1E, .bc = 0x0001, .hl = 0x4001}, {}, 16},
      // 81 + the new L, F1, carries; (172 & 7) ^ B = 06 has even parity.
      {"OUTI: N from bit 7, H and C from byte + L", {0xED, 0xA3}, {.bc = 0x05BF, .hl = 0x40F0}, {{0x40F0, 0x81}},
       {.f = 0x17, .bc = 0x04BF, .hl = 0x40F1}, {}, 16},
      {"EI, then LD A,I reads IFF2", {0xFB, 0xED, 0x57}, {}, {}, {.f = 0x44, .iff = 0x41}, {}, 13},
      {"DI, then LD A,R reads IFF2", {0xF3, 0xED, 0x5F}, {.iff = 0x41}, {}, {.a = 0x08, .f = 0x08, .iff = 0x00}, {}, 13},
  });
}

// A repeating instruction cut off by the end of the period: bits 5 and 3
// from the high byte of its address; INxR and OTxR also rework P/V and H.
TEST(UndocumentedFlags, RepeatingIterationCutOff) {
  struct Row {
    const char* name;
    uint16_t at;
    uint8_t opcode, input;
    uint16_t bc;
    uint8_t f;
    uint16_t memptr;
  };
  const std::vector<Row> rows = {
      {"LDIR", 0x2800, 0xB0, 0x00, 0x0005, 0x2C, 0x2801},
      {"CPIR", 0x0800, 0xB1, 0x00, 0x0005, 0x0E, 0x0801},
      // INxR and OTxR, like LDxR, leave the ED address plus one in memptr.
      {"INIR without carry: P/V flips with parity of B", 0x0800, 0xB2, 0x90, 0x0310, 0x0A, 0x0801},
      {"INIR with carry and bit 7: P/V from B - 1, H clear", 0x0800, 0xB2, 0xF8, 0x0310, 0x0B, 0x0801},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestCpu cpu;
    cpu.Load(row.at, {0xED, row.opcode});
    cpu.pc = row.at;
    cpu.af = 0x0100;  // A = 01: CPIR sees 01 - 00 with no match
    cpu.bc = row.bc;
    cpu.hl = 0x4000;
    cpu.de = 0x5000;
    cpu.inputs[0x10] = row.input;
    cpu.cyclesPerLine = 0;
    cpu.cyclesLeft = 21;  // one iteration
    cpu.Run();
    EXPECT_EQ(cpu.pc, row.at);
    EXPECT_EQ(cpu.af.Lo(), row.f);
    EXPECT_EQ(cpu.memptr, row.memptr);
  }
}

TEST(UndocumentedFlags, Memptr) {
  struct Row {
    const char* name;
    std::vector<uint8_t> code;
    uint8_t a;
    uint16_t bc, hl, ix;
    uint16_t memptr;  // expected; 0xABCD before each row
  };
  // SP = 4000, where 34 12 waits to be popped or exchanged.
  const std::vector<Row> rows = {
      {"LD A,(nn)", {0x3A, 0x34, 0x12}, 0, 0, 0, 0, 0x1235},
      {"LD (nn),A: A over the low byte plus one", {0x32, 0xFF, 0x12}, 0x56, 0, 0, 0, 0x5600},
      {"LD (BC),A", {0x02}, 0x77, 0x40FF, 0, 0, 0x7700},
      {"JP nn", {0xC3, 0x34, 0x12}, 0, 0, 0, 0, 0x1234},
      {"RET", {0xC9}, 0, 0, 0, 0, 0x1234},
      {"EX (SP),HL: the new HL", {0xE3}, 0, 0, 0, 0, 0x1234},
      {"ADD HL,BC: HL plus one", {0x09}, 0, 0x0001, 0x1FFF, 0, 0x2000},
      {"IN A,(n): A:n plus one", {0xDB, 0xFE}, 0x12, 0, 0, 0, 0x12FF},
      {"IN B,(C): BC plus one", {0xED, 0x40}, 0, 0x12DC, 0, 0, 0x12DD},
      {"RLD: HL plus one", {0xED, 0x6F}, 0, 0, 0x40FF, 0, 0x4100},
      {"LD A,(IX-2)", {0xDD, 0x7E, 0xFE}, 0, 0, 0, 0x4001, 0x3FFF},
      {"CPI counts up", {0xED, 0xA1}, 0, 0x0002, 0x4000, 0, 0xABCE},
      {"INI: BC plus one, before B counts", {0xED, 0xA2}, 0, 0x0210, 0x4000, 0, 0x0211},
      {"OUTD: BC minus one, after B counts", {0xED, 0xAB}, 0, 0x02BF, 0x4000, 0, 0x01BE},
      {"LDIR that repeats once: its address plus one", {0xED, 0xB0}, 0, 0x0002, 0x4000, 0, 0x0101},
      {"LDIR of one byte leaves it", {0xED, 0xB0}, 0, 0x0001, 0x4000, 0, 0xABCD},
      // A = 0, so Z is clear: NZ holds, Z does not.
      {"JP Z,nn not taken: nn all the same", {0xCA, 0x34, 0x12}, 0, 0, 0, 0, 0x1234},
      {"CALL Z,nn not taken: nn all the same", {0xCC, 0x34, 0x12}, 0, 0, 0, 0, 0x1234},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestCpu cpu;
    cpu.Load(kCodeAt, row.code);
    cpu.Load(0x4000, {0x34, 0x12});
    cpu.pc = kCodeAt;
    cpu.af = static_cast<uint16_t>(row.a << 8);
    cpu.bc = row.bc;
    cpu.de = 0x5000;
    cpu.hl = row.hl;
    cpu.ix = row.ix;
    cpu.sp = 0x4000;
    cpu.memptr = 0xABCD;
    cpu.cyclesPerLine = 0;
    cpu.cyclesLeft = 1;
    for (int k = 0; k < 2 && cpu.pc == kCodeAt; ++k) cpu.Run();  // LDIR may come back once
    EXPECT_NE(cpu.pc, kCodeAt);
    EXPECT_EQ(cpu.memptr, row.memptr);
  }
}
