#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VideoRig.h"

namespace {

// One step of a port script: what the processor does and, for reads, the
// byte it must get back.
struct PortOp {
  enum Kind { Control, Data, ReadData, ReadStatus, Poke } kind;
  int value;        // byte written, expected byte read, or (Poke) address
  int extra = 0;    // (Poke) byte stored at that address
};

struct PortCase {
  const char* name;
  std::vector<PortOp> ops;
  int expectAddress;  // -1: not checked
  int expectCode;     // -1: not checked
};

TEST(VideoPorts, ScriptsThroughControlAndDataPorts) {
  const PortCase cases[] = {
      {"register write keeps code and address",
       {{PortOp::Control, 0x34}, {PortOp::Control, 0x52}, {PortOp::Control, 0x0F}, {PortOp::Control, 0x81}},
       0x1234, 1},
      {"second byte 0x90 is code 2 with an address, data goes to VRAM",
       {{PortOp::Control, 0x00}, {PortOp::Control, 0x90}, {PortOp::Data, 0xAB},
        {PortOp::Control, 0x00}, {PortOp::Control, 0x10}, {PortOp::ReadData, 0xAB}},
       0x1002, 0},
      {"read set-up prefetches: reads return A, A+1, A+2",
       {{PortOp::Poke, 0x0200, 0x11}, {PortOp::Poke, 0x0201, 0x22}, {PortOp::Poke, 0x0202, 0x33},
        {PortOp::Control, 0x00}, {PortOp::Control, 0x02},
        {PortOp::ReadData, 0x11}, {PortOp::ReadData, 0x22}, {PortOp::ReadData, 0x33}},
       0x0204, 0},
      {"write set-up then read returns the stale read-ahead byte",
       {{PortOp::Poke, 0x0100, 0x5A}, {PortOp::Poke, 0x0300, 0x77},
        {PortOp::Control, 0x00}, {PortOp::Control, 0x01},  // read set-up: buffer = 0x5A
        {PortOp::Control, 0x00}, {PortOp::Control, 0x43},  // write set-up at 0x0300
        {PortOp::ReadData, 0x5A}, {PortOp::ReadData, 0x77}},
       0x0302, 1},
      {"data write at 0x3FFF wraps to 0x0000",
       {{PortOp::Control, 0xFF}, {PortOp::Control, 0x7F}, {PortOp::Data, 0x01}, {PortOp::Data, 0x02},
        {PortOp::Control, 0xFF}, {PortOp::Control, 0x3F}, {PortOp::ReadData, 0x01}, {PortOp::ReadData, 0x02}},
       0x0002, 0},
      {"read set-up at 0x3FFF wraps its prefetch increment",
       {{PortOp::Poke, 0x3FFF, 0x9C}, {PortOp::Poke, 0x0000, 0x3D},
        {PortOp::Control, 0xFF}, {PortOp::Control, 0x3F}, {PortOp::ReadData, 0x9C}, {PortOp::ReadData, 0x3D}},
       0x0002, 0},
      {"data write clears a half-written control pair",
       {{PortOp::Control, 0x00}, {PortOp::Control, 0x41}, {PortOp::Control, 0x99}, {PortOp::Data, 0x66},
        {PortOp::Control, 0x00}, {PortOp::Control, 0x01}, {PortOp::ReadData, 0x66}},
       0x0102, 0},
      {"status read clears a half-written control pair",
       {{PortOp::Control, 0x55}, {PortOp::ReadStatus, 0x1F}, {PortOp::Control, 0x34}, {PortOp::Control, 0x52}},
       0x1234, 1},
      {"code 3 read returns the last read value and only advances",
       {{PortOp::Poke, 0x0000, 0x42}, {PortOp::Control, 0x00}, {PortOp::Control, 0x00}, {PortOp::ReadData, 0x42},
        {PortOp::Control, 0x05}, {PortOp::Control, 0xC0}, {PortOp::ReadData, 0x42}, {PortOp::ReadData, 0x42}},
       0x0007, 3},
      {"code 3 read after a status read returns the status",
       {{PortOp::ReadStatus, 0x1F}, {PortOp::Control, 0x00}, {PortOp::Control, 0xC0}, {PortOp::ReadData, 0x1F}},
       0x0001, 3},
  };

  for (const PortCase& c : cases) {
    SCOPED_TRACE(c.name);
    VideoRig rig;
    Video& v = *rig.video;
    for (const PortOp& op : c.ops) {
      switch (op.kind) {
        case PortOp::Control: v.WriteControl(static_cast<std::uint8_t>(op.value)); break;
        case PortOp::Data: v.WriteData(static_cast<std::uint8_t>(op.value)); break;
        case PortOp::ReadData: EXPECT_EQ(v.ReadData(), op.value); break;
        case PortOp::ReadStatus: EXPECT_EQ(v.ReadStatus(), op.value); break;
        case PortOp::Poke: v.vram[op.value] = static_cast<std::uint8_t>(op.extra); break;
      }
    }
    if (c.expectAddress >= 0) {
      EXPECT_EQ(v.address, c.expectAddress);
    }
    if (c.expectCode >= 0) {
      EXPECT_EQ(v.code, c.expectCode);
    }
    EXPECT_LT(v.address, 0x4000);
  }
}

TEST(VideoPorts, RegisterWrites) {
  struct Case {
    const char* name;
    int reg;
    std::uint8_t value;
    std::uint16_t expectSpriteTable;
  };
  const Case cases[] = {
      {"register 5 moves the sprite table", 5, 0x7F, 0x3F00},
      {"register 5 ignores bits 0 and 7", 5, 0x81, 0x0000},
      {"register 5 middle value", 5, 0x36, 0x1B00},
      {"register 11 is stored, sprite table untouched", 11, 0x12, 0x3F00},
      {"register 15 is stored, sprite table untouched", 15, 0x34, 0x3F00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VideoRig rig;
    std::uint8_t before[16];
    std::memcpy(before, rig.video->regs, sizeof before);
    rig.SetRegister(c.reg, c.value);
    EXPECT_EQ(rig.video->regs[c.reg], c.value);
    EXPECT_EQ(rig.video->spriteTable, c.expectSpriteTable);
    for (int r = 0; r < 16; ++r) {
      if (r != c.reg) {
        EXPECT_EQ(rig.video->regs[r], before[r]) << "register " << r;
      }
    }
  }
}

TEST(VideoPorts, ResetState) {
  VideoRig rig;
  Video& v = *rig.video;
  v.WriteControl(0x12);  // leave a half pair and other state behind
  v.vram[5] = 0;
  v.Reset();
  const std::uint8_t expectRegs[11] = {0x36, 0xA0, 0x00, 0x00, 0x00, 0xFF, 0xFB, 0x00, 0x00, 0x00, 0xFF};
  for (int r = 0; r < 11; ++r) EXPECT_EQ(v.regs[r], expectRegs[r]) << "register " << r;
  EXPECT_EQ(v.vram[5], 0xFF);
  EXPECT_FALSE(v.secondByte);
  EXPECT_EQ(v.status, 0x1F);
  EXPECT_EQ(v.spriteTable, 0x3F00);
  EXPECT_EQ(v.line, 0);
  EXPECT_EQ(v.ReadVCounter(), 0);
}

}  // namespace
