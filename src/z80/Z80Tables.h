#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

// Cycle and flag tables of the Z80, all built at compile time.

// Flag bits of F.
inline constexpr uint8_t kFlagS = 0x80;
inline constexpr uint8_t kFlagZ = 0x40;
inline constexpr uint8_t kFlagH = 0x10;
inline constexpr uint8_t kFlagPV = 0x04;
inline constexpr uint8_t kFlagN = 0x02;
inline constexpr uint8_t kFlagC = 0x01;
// Bits 5 and 3 (called Y and X): no instruction documents them, but the
// silicon sets them on every flag-writing instruction, mostly from bits 5
// and 3 of the result; the exceptions are noted where they are computed.
inline constexpr uint8_t kFlagXY = 0x28;

using CycleTable = std::array<uint8_t, 256>;

// T-states of each unprefixed opcode, the shorter count for conditional
// branches (a taken branch pays the difference as it executes). The prefixes
// cost 0 here because their own tables charge the whole instruction.
inline constexpr CycleTable cyclesBase = {
    // x0 x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    4,  10, 7,  6,  4,  4,  7,  4,  4,  11, 7,  6,  4,  4,  7,  4,   // 0x
    8,  10, 7,  6,  4,  4,  7,  4,  12, 11, 7,  6,  4,  4,  7,  4,   // 1x
    7,  10, 16, 6,  4,  4,  7,  4,  7,  11, 16, 6,  4,  4,  7,  4,   // 2x
    7,  10, 13, 6,  11, 11, 10, 4,  7,  11, 13, 6,  4,  4,  7,  4,   // 3x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 4x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 5x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 6x
    7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4,   // 7x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 8x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // 9x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // Ax
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,   // Bx
    5,  10, 10, 10, 10, 11, 7,  11, 5,  10, 10, 0,  10, 17, 7,  11,  // Cx
    5,  10, 10, 11, 10, 11, 7,  11, 5,  4,  10, 11, 10, 0,  7,  11,  // Dx
    5,  10, 10, 19, 10, 11, 7,  11, 5,  4,  10, 4,  10, 0,  7,  11,  // Ex
    5,  10, 10, 4,  10, 11, 7,  11, 5,  6,  10, 4,  10, 0,  7,  11,  // Fx
};

// After CB: 8 on a register, 12 for BIT n,(HL), 15 for the other (HL) forms.
inline constexpr CycleTable cyclesCB = [] {
  CycleTable t{};
  for (int op = 0; op < 256; ++op) {
    if ((op & 7) != 6) t[op] = 8;
    else t[op] = (op >= 0x40 && op < 0x80) ? 12 : 15;
  }
  return t;
}();

// After ED, the whole instruction with its ED byte. The repeating block
// instructions charge 21 per iteration as they run, so they hold 0 here.
// Every byte fetched costs at least 4, so an unrecognised pair costs 8 and
// the dropped first ED of ED ED costs 4: a program made of such bytes still
// uses up its period and lets Run return.
inline constexpr CycleTable cyclesED = [] {
  CycleTable t{};
  for (auto& entry : t) entry = 8;
  for (int r = 0; r < 8; ++r) {
    t[0x40 + r * 8] = 12;  // IN r,(C) and IN F,(C)
    t[0x41 + r * 8] = 12;  // OUT (C),r, and OUT (C),0 for r = 6
  }
  for (int ss = 0; ss < 4; ++ss) {
    t[0x42 + ss * 16] = 15;  // SBC HL,ss
    t[0x4A + ss * 16] = 15;  // ADC HL,ss
    t[0x43 + ss * 16] = 20;  // LD (nn),ss
    t[0x4B + ss * 16] = 20;  // LD ss,(nn)
  }
  t[0x44] = 8;  // NEG
  t[0x46] = 8;  // IM 0
  t[0x56] = 8;  // IM 1
  t[0x5E] = 8;  // IM 2
  t[0x47] = 9;  // LD I,A
  t[0x4F] = 9;  // LD R,A
  t[0x57] = 9;  // LD A,I
  t[0x5F] = 9;  // LD A,R
  t[0x45] = 14;  // RETN
  t[0x4D] = 14;  // RETI
  t[0x67] = 18;  // RRD
  t[0x6F] = 18;  // RLD
  for (int op = 0xA0; op <= 0xA8; op += 8) {
    for (int k = 0; k < 4; ++k) {
      t[op + k] = 16;         // LDI CPI INI OUTI / LDD CPD IND OUTD
      t[op + 0x10 + k] = 0;   // the repeating forms
    }
  }
  t[0xED] = 4;  // ED ED: the first ED is dropped
  t[0xFE] = 8;  // ED FE: the patch hook
  return t;
}();

// After DD or FD: the whole instruction, prefix included. The index forms
// have their own counts; every other opcode runs as its unprefixed self and
// costs 4 for the prefix plus its unprefixed count. CB holds 0 because
// cyclesXYCB charges the whole four-byte form; a second prefix (DD, FD) is
// dropped for 4, and DD ED / FD ED cost 4 before the byte after ED runs.
inline constexpr CycleTable cyclesXY = [] {
  CycleTable t{};
  for (int op = 0; op < 256; ++op) t[op] = static_cast<uint8_t>(4 + cyclesBase[op]);
  auto set = [&t](std::initializer_list<int> ops, uint8_t cycles) {
    for (int op : ops) t[op] = cycles;
  };
  set({0x09, 0x19, 0x29, 0x39}, 15);
  set({0x21}, 14);
  set({0x22, 0x2A}, 20);
  set({0x23, 0x2B}, 10);
  set({0x24, 0x25, 0x2C, 0x2D, 0x26, 0x2E}, 9);
  set({0x34, 0x35}, 23);
  set({0x36}, 19);
  set({0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E}, 19);
  set({0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x77}, 19);
  set({0x76}, 19);
  set({0x44, 0x45, 0x4C, 0x4D, 0x54, 0x55, 0x5C, 0x5D, 0x7C, 0x7D}, 9);
  for (int op = 0x60; op <= 0x6F; ++op) {
    if (op != 0x66 && op != 0x6E) t[op] = 9;
  }
  for (int alu = 0; alu < 8; ++alu) {
    t[0x84 + alu * 8] = 9;
    t[0x85 + alu * 8] = 9;
    t[0x86 + alu * 8] = 19;
  }
  set({0xE1}, 14);
  set({0xE5}, 15);
  set({0xE3}, 23);
  set({0xE9}, 8);
  set({0xF9}, 10);
  set({0xCB}, 0);
  set({0xDD, 0xFD, 0xED}, 4);
  return t;
}();

// Last byte of DD CB d op / FD CB d op: 23 for the rotates, shifts, RES and
// SET on (IX+d), 20 for BIT, and 8 (the two prefix bytes) for the forms that
// are not executed.
inline constexpr CycleTable cyclesXYCB = [] {
  CycleTable t{};
  for (int op = 0; op < 256; ++op) {
    if (op >= 0x40 && op < 0x80) t[op] = 20;
    else if ((op & 7) == 6) t[op] = 23;
    else t[op] = 8;
  }
  return t;
}();

// S, Z and bits 5 and 3 of an 8-bit result.
inline constexpr std::array<uint8_t, 256> zsTable = [] {
  std::array<uint8_t, 256> t{};
  for (int v = 0; v < 256; ++v) {
    t[v] = static_cast<uint8_t>((v & (kFlagS | kFlagXY)) | (v == 0 ? kFlagZ : 0));
  }
  return t;
}();

// S, Z, P/V (even parity) and bits 5 and 3 of an 8-bit result.
inline constexpr std::array<uint8_t, 256> zspTable = [] {
  std::array<uint8_t, 256> t{};
  for (int v = 0; v < 256; ++v) {
    int ones = 0;
    for (int bit = 0; bit < 8; ++bit) ones += (v >> bit) & 1;
    t[v] = static_cast<uint8_t>(zsTable[v] | ((ones & 1) == 0 ? kFlagPV : 0));
  }
  return t;
}();

// DAA: index A + 0x100*C + 0x200*H + 0x400*N; entry is new A << 8 | new F.
inline constexpr std::array<uint16_t, 2048> daaTable = [] {
  std::array<uint16_t, 2048> t{};
  for (int index = 0; index < 2048; ++index) {
    const int a = index & 0xFF;
    const bool carry = index & 0x100;
    const bool half = index & 0x200;
    const bool subtract = index & 0x400;
    int correction = 0;
    bool newCarry = false;
    if (half || (a & 0x0F) > 9) correction += 0x06;
    if (carry || a > 0x99) {
      correction += 0x60;
      newCarry = true;
    }
    const int result = (subtract ? a - correction : a + correction) & 0xFF;
    const bool newHalf = subtract ? (half && (a & 0x0F) < 6) : ((a & 0x0F) > 9);
    const int flags = zspTable[result] | (newHalf ? kFlagH : 0) | (subtract ? kFlagN : 0) |
                      (newCarry ? kFlagC : 0);
    t[index] = static_cast<uint16_t>((result << 8) | flags);
  }
  return t;
}();
