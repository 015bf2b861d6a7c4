#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "VideoRig.h"

namespace {

struct ColourCase {
  const char* name;
  int depth;
  bool is565;
  bool gameGear;
  std::vector<std::pair<int, std::uint8_t>> writes;  // colour address, byte
  int entry;
  std::uint32_t expected;
};

TEST(VideoColour, ConvertsToHostPixels) {
  const ColourCase cases[] = {
      // Master System, --BBGGRR.
      {"MS 32: white", 32, false, false, {{0, 0x3F}}, 0, 0x00C0C0C0},
      {"MS 32: red", 32, false, false, {{1, 0x03}}, 1, 0x00C00000},
      {"MS 32: green", 32, false, false, {{2, 0x0C}}, 2, 0x0000C000},
      {"MS 32: blue", 32, false, false, {{3, 0x30}}, 3, 0x000000C0},
      {"MS 32: top bits above bit 5 ignored", 32, false, false, {{4, 0xC1}}, 4, 0x00400000},
      {"MS 24: 0x1B", 24, false, false, {{5, 0x1B}}, 5, 0x00C08040},
      {"MS 16 555: blue", 16, false, false, {{0, 0x30}}, 0, 0x0018},
      {"MS 16 555: red", 16, false, false, {{0, 0x03}}, 0, 0x6000},
      {"MS 16 555: green", 16, false, false, {{0, 0x0C}}, 0, 0x0300},
      {"MS 16 555: white", 16, false, false, {{31, 0x3F}}, 31, 0x6318},
      {"MS 16 565: red", 16, true, false, {{0, 0x03}}, 0, 0xC000},
      {"MS 16 565: green", 16, true, false, {{0, 0x0C}}, 0, 0x0600},
      {"MS 16 565: blue", 16, true, false, {{0, 0x30}}, 0, 0x0018},
      {"MS 16 565: one of each", 16, true, false, {{0, 0x15}}, 0, 0x4208},
      {"MS: address 0x25 is entry 5", 32, false, false, {{0x25, 0x03}}, 5, 0x00C00000},
      {"MS 8-bit desktop handled as 32", 8, false, false, {{0, 0x3F}}, 0, 0x00C0C0C0},
      // Game Gear, even byte GGGGRRRR, odd byte ----BBBB, top three bits kept.
      {"GG 32: blue then red/green", 32, false, true, {{1, 0x0F}, {0, 0xFF}}, 0, 0x00E0E0E0},
      {"GG 32: red/green then blue keeps both", 32, false, true, {{2, 0xFF}, {3, 0x0F}}, 1, 0x00E0E0E0},
      {"GG 32: even write keeps blue", 32, false, true, {{1, 0x0F}, {0, 0x00}}, 0, 0x000000E0},
      {"GG 32: odd write keeps red and green", 32, false, true, {{0, 0xFF}, {1, 0x00}}, 0, 0x00E0E000},
      {"GG 32: lowest component bit dropped", 32, false, true, {{0, 0x11}, {1, 0x01}}, 0, 0x00000000},
      {"GG 32: red 0x6 green 0xA blue 0xC", 32, false, true, {{62, 0xA6}, {63, 0x0C}}, 31, 0x0060A0C0},
      {"GG 24: 0x1B style mix", 24, false, true, {{4, 0x4C}, {5, 0x02}}, 2, 0x00C04020},
      {"GG 16 555: white", 16, false, true, {{0, 0xFF}, {1, 0x0F}}, 0, 0x739C},
      {"GG 16 555: red only", 16, false, true, {{0, 0x0F}}, 0, 0x7000},
      {"GG 16 555: blue then green keeps blue", 16, false, true, {{1, 0x0F}, {0, 0xF0}}, 0, 0x039C},
      {"GG 16 565: white", 16, true, true, {{0, 0xFF}, {1, 0x0F}}, 0, 0xE71C},
      {"GG 16 565: green only", 16, true, true, {{0, 0xF0}}, 0, 0x0700},
      {"GG: address 0x41 is the blue of entry 0", 32, false, true, {{0x41, 0x0F}}, 0, 0x000000E0},
  };

  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.name);
    VideoRig rig(c.depth, c.is565);
    rig.video->gameGear = c.gameGear;
    for (auto [address, value] : c.writes) rig.WriteColour(address, value);
    EXPECT_EQ(rig.video->colours[c.entry], c.expected);
  }
}

TEST(VideoColour, AddressMaskingAndIncrement) {
  struct Case {
    const char* name;
    bool gameGear;
    int start;
    int writes;
    std::uint16_t expectAddress;
    int wrappedEntry;  // entry written by the last write
  };
  const Case cases[] = {
      {"MS: after colour 31 the address is 32", false, 31, 1, 32, 31},
      {"MS: the write after colour 31 goes to entry 0", false, 31, 2, 1, 0},
      {"MS: address 0x3FFF masks to 31", false, 0x3FFF, 1, 32, 31},
      {"GG: after byte 63 the address is 64", true, 63, 1, 64, 31},
      {"GG: the byte after 63 is entry 0's red/green", true, 63, 2, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VideoRig rig(32);
    rig.video->gameGear = c.gameGear;
    rig.SetAddress(3, static_cast<std::uint16_t>(c.start));
    for (int i = 0; i < c.writes; ++i) rig.video->WriteData(0x03 | 0x0F);
    EXPECT_EQ(rig.video->address, c.expectAddress);
    EXPECT_NE(rig.video->colours[c.wrappedEntry], 0u);
  }
}

TEST(VideoColour, ResetBlacksAllColours) {
  VideoRig rig(32);
  for (int i = 0; i < 32; ++i) rig.WriteColour(i, 0x3F);
  rig.video->Reset();
  for (int i = 0; i < 32; ++i) EXPECT_EQ(rig.video->colours[i], 0u) << "entry " << i;
}

}  // namespace
