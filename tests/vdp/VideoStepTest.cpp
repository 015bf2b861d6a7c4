#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "VideoRig.h"

namespace {

TEST(VideoStep, VCounterByLine) {
  struct Case {
    int line;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {1, 0x01}, {191, 0xBF}, {192, 0xC0}, {218, 0xDA}, {219, 0xD5},
      {220, 0xD6}, {261, 0xFF}, {0, 0x00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("line " + std::to_string(c.line));
    VideoRig rig;
    rig.StepTo(c.line);
    EXPECT_EQ(rig.video->line, c.line);
    EXPECT_EQ(rig.video->ReadVCounter(), c.expected);
  }
}

TEST(VideoStep, VCounterSecondFrameRepeats) {
  VideoRig rig;
  rig.StepTo(0);
  for (int line = 1; line < 262; ++line) {
    rig.video->StepLine();
    std::uint8_t expected = static_cast<std::uint8_t>(line <= 218 ? line : line - 6);
    ASSERT_EQ(rig.video->ReadVCounter(), expected) << "line " << line;
  }
}

TEST(VideoStep, HCounterByElapsedCycles) {
  struct Case {
    int elapsed;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {0, 0}, {3, 0}, {4, 3}, {100, 75}, {152, 114}, {155, 114}, {156, 73}, {159, 73},
      {160, 76}, {227, 124}, {228, 127}, {240, 136},
  };
  VideoRig rig;
  for (const Case& c : cases) {
    SCOPED_TRACE("elapsed " + std::to_string(c.elapsed));
    EXPECT_EQ(rig.video->ReadHCounter(228, 228 - c.elapsed), c.expected);
  }
}

// The requests of one whole frame, line by line, starting at line 0 of the
// second frame (the first frame after a reset starts with line 1).
struct FrameScript {
  const char* name;
  std::uint8_t reg0;
  std::uint8_t reg1;
  std::uint8_t reg10;
  bool readStatusOnRequest;  // acknowledge every request like an interrupt handler
  bool halfPairBeforeLine193;
  std::set<int> expectedLines;
};

std::set<int> Range(int first, int last, int step = 1) {
  std::set<int> lines;
  for (int l = first; l <= last; l += step) lines.insert(l);
  return lines;
}

TEST(VideoStep, InterruptRequestsOverAFrame) {
  // Unread requests stay up: the frame request from 193 to the end of the
  // frame and on into the next (line 0 is the last step here).
  std::set<int> frameOnwards = Range(193, 261);
  frameOnwards.insert(0);
  std::set<int> lineOnwards = Range(100, 261);
  lineOnwards.insert(0);
  const FrameScript cases[] = {
      {"frame interrupt, never acknowledged: every line from 193 on", 0x00, 0x20, 0xFF, false, false, frameOnwards},
      {"frame interrupt, acknowledged: line 193 only", 0x00, 0x20, 0xFF, true, false, {193}},
      {"frame interrupt disabled: nothing", 0x00, 0x00, 0xFF, false, false, {}},
      {"half control pair blocks the frame interrupt", 0x00, 0x20, 0xFF, false, true, {}},
      {"line interrupt N=0 and frame, never acknowledged: every line", 0x10, 0x20, 0x00, false, false,
       Range(0, 261)},
      {"line interrupt N=100, never acknowledged: from 100 on", 0x10, 0x00, 100, false, false, lineOnwards},
      {"line interrupt N=0 alone: every line 0-192", 0x10, 0x00, 0x00, true, false, Range(0, 192)},
      {"line interrupt N=4: line 4 then every 5 lines", 0x10, 0x00, 0x04, true, false, Range(4, 192, 5)},
      {"line interrupt N=100", 0x10, 0x00, 100, true, false, {100}},
      {"line interrupt on 192 delays the frame interrupt to 194", 0x10, 0x20, 192, true, false, {192, 194}},
      {"line flag set but line interrupts disabled", 0x00, 0x00, 0x00, false, false, {}},
  };
  for (const FrameScript& c : cases) {
    SCOPED_TRACE(c.name);
    VideoRig rig;
    rig.SetRegister(0, c.reg0);
    rig.SetRegister(1, c.reg1);
    rig.SetRegister(10, c.reg10);
    rig.StepTo(0);
    rig.video->ReadStatus();
    std::set<int> got;
    for (int step = 0; step < 262; ++step) {
      if (c.halfPairBeforeLine193 && rig.video->line == 192) rig.video->WriteControl(0x00);
      std::uint16_t request = rig.video->StepLine();
      int line = rig.video->line;
      if (request == 0x38) {
        got.insert(line);
        if (c.readStatusOnRequest) rig.video->ReadStatus();
      } else {
        ASSERT_EQ(request, 0xFFFF) << "line " << line;
      }
    }
    EXPECT_EQ(got, c.expectedLines);
  }
}

TEST(VideoStep, StatusFlags) {
  VideoRig rig;
  rig.SetRegister(0, 0x00);  // no line requests, so line 192 reaches the end of its step
  rig.SetRegister(10, 0x00);  // the line counter expires on every line all the same
  rig.StepTo(192);
  EXPECT_EQ(rig.video->status & 0x80, 0x80) << "frame flag reaches status at the end of line 192's step";
  std::uint8_t first = rig.video->ReadStatus();
  EXPECT_EQ(first & 0x9F, 0x9F);
  EXPECT_EQ(first & 0x40, 0) << "the line interrupt's request is not in the status";
  EXPECT_EQ(rig.video->ReadStatus(), 0x1F) << "a read clears the flags, bits 0-4 stay";
}

TEST(VideoStep, EndOfFrameOnLine191) {
  VideoRig rig;
  rig.StepTo(190);
  EXPECT_FALSE(rig.video->frameDone);
  rig.video->StepLine();
  EXPECT_TRUE(rig.video->frameDone);
}

}  // namespace
