#include <gtest/gtest.h>

#include <string>

#include "LogCapture.h"
#include "VideoRig.h"
#include "video/HostMessageBox.h"
#include "video/MillisecondClock.h"

namespace {

std::uint32_t fakeNow = 0;
std::uint32_t FakeClock() { return fakeNow; }

// Installs the fake clock (at the given time) for the life of a test case.
struct FakeClockScope {
  explicit FakeClockScope(std::uint32_t now) {
    fakeNow = now;
    SetMillisecondClock(&FakeClock);
  }
  ~FakeClockScope() { SetMillisecondClock(nullptr); }
};

TEST(FramePresent, ConvertsThroughColoursAtEveryDepth) {
  struct Case {
    const char* name;
    int depth;
    bool is565;
    bool gameGear;
    std::uint8_t colourByte;  // written to colour 3 (both bytes in Game Gear mode)
    std::uint32_t expectedPixel;  // raw host pixel read back
  };
  const Case cases[] = {
      {"16 555: 0x30 gives 0x0018", 16, false, false, 0x30, 0x0018},
      {"16 555: white", 16, false, false, 0x3F, 0x6318},
      {"16 565: white", 16, true, false, 0x3F, 0xC618},
      {"24: 0x1B as bytes 40 80 C0", 24, false, false, 0x1B, 0xC08040},
      {"32: 0x03", 32, false, false, 0x03, 0x00C00000},
      {"8-bit desktop handled as 32", 8, false, false, 0x0C, 0x0000C000},
      {"GG 32: 0xFF", 32, false, true, 0xFF, 0x00E0E0E0},
      {"GG 16 565: 0xFF", 16, true, true, 0xFF, 0xE71C},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int padding : {0, 12}) {
      SCOPED_TRACE("pitch padding " + std::to_string(padding));
      VideoRig rig(c.depth, c.is565, padding);
      rig.video->gameGear = c.gameGear;
      if (c.gameGear) {
        rig.WriteColour(6, c.colourByte);
        rig.WriteColour(7, c.colourByte);
      } else {
        rig.WriteColour(3, c.colourByte);
      }
      std::memset(rig.video->frame, 0, sizeof rig.video->frame);
      // A diagonal of colour 3 over a picture of colour 0, and both corners.
      for (int y = 0; y < 192; ++y) rig.video->frame[y * 256 + y] = 3;
      rig.video->frame[255] = 3;
      rig.video->frame[191 * 256 + 255] = 3;
      rig.video->EndFrame();
      ASSERT_EQ(rig.display.presentCount, 1);
      for (int y = 0; y < 192; ++y) {
        ASSERT_EQ(rig.display.BackPixel(y, y), c.expectedPixel) << "diagonal at line " << y;
        ASSERT_EQ(rig.display.BackPixel(y + 1, y), 0u) << "beside the diagonal at line " << y;
      }
      EXPECT_EQ(rig.display.BackPixel(255, 0), c.expectedPixel);
      EXPECT_EQ(rig.display.BackPixel(255, 191), c.expectedPixel);
      // Padding bytes at the end of each row stay untouched.
      int rowBytes = 256 * BackBytesPerPixel(c.depth);
      for (int y = 0; y < 192 && padding > 0; ++y) {
        for (int b = rowBytes; b < rig.display.BackPitch(); ++b) {
          ASSERT_EQ(rig.display.BackBits()[y * rig.display.BackPitch() + b], 0) << "padding of line " << y;
        }
      }
    }
  }
}

TEST(FramePresent, Depth24ByteOrder) {
  VideoRig rig(24);
  rig.WriteColour(0, 0x1B);
  std::memset(rig.video->frame, 0, sizeof rig.video->frame);
  rig.video->EndFrame();
  const std::uint8_t* bits = rig.display.BackBits();
  EXPECT_EQ(bits[0], 0x40);
  EXPECT_EQ(bits[1], 0x80);
  EXPECT_EQ(bits[2], 0xC0);
  EXPECT_EQ(bits[3 * 49151 + 2], 0xC0);
  EXPECT_EQ(rig.display.BackPixelRgb(10, 10), 0x00C08040u);
}

// The frame-rate glyphs, top row first, bit 0x80 leftmost.
constexpr std::uint8_t kGlyphs[10][8] = {
    {0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00}, {0x00, 0x08, 0x18, 0x08, 0x08, 0x08, 0x1C, 0x00},
    {0x00, 0x7E, 0x02, 0x3E, 0x40, 0x40, 0x7E, 0x00}, {0x00, 0x7E, 0x02, 0x0E, 0x02, 0x02, 0x7E, 0x00},
    {0x00, 0x0C, 0x14, 0x24, 0x7E, 0x04, 0x04, 0x00}, {0x00, 0x7E, 0x40, 0x7C, 0x02, 0x02, 0x7E, 0x00},
    {0x00, 0x7E, 0x40, 0x7E, 0x42, 0x42, 0x7E, 0x00}, {0x00, 0x7E, 0x02, 0x04, 0x08, 0x10, 0x20, 0x00},
    {0x00, 0x7E, 0x42, 0x7E, 0x42, 0x42, 0x7E, 0x00}, {0x00, 0x7E, 0x42, 0x7E, 0x02, 0x02, 0x02, 0x00},
};

std::string ReadFigure(const Video& v) {
  std::string digits;
  for (int d = 0; d < 3; ++d) {
    int found = -1;
    for (int g = 0; g < 10 && found < 0; ++g) {
      bool same = true;
      for (int row = 0; row < 8 && same; ++row) {
        for (int col = 0; col < 8 && same; ++col) {
          int expected = (kGlyphs[g][row] & (0x80 >> col)) ? 1 : 0;
          same = v.frame[row * 256 + d * 8 + col] == expected;
        }
      }
      if (same) found = g;
    }
    digits += found < 0 ? '?' : static_cast<char>('0' + found);
  }
  return digits;
}

TEST(FramePresent, FrameRateFigure) {
  struct Case {
    const char* name;
    int framesBefore;           // frames counted before this one
    std::uint32_t elapsedMs;    // since the reset
    const char* expected;
  };
  const Case cases[] = {
      {"600 frames in 10.5 s: 10 whole seconds", 599, 10500, "060"},
      {"first second shows the frames so far", 4, 500, "005"},
      {"exactly one second", 59, 1000, "060"},
      {"1999 ms still counts one second", 119, 1999, "120"},
      {"three different digits", 12344, 100000, "123"},
      {"987 per second", 986, 999, "987"},
      {"1000 per second shows 999", 999, 999, "999"},
      {"a huge rate shows 999", 5000000, 1000, "999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClockScope clock(1000000);
    VideoRig rig;
    rig.video->showFrameRate = true;
    rig.video->frameCount = c.framesBefore;
    fakeNow = 1000000 + c.elapsedMs;
    rig.video->EndFrame();
    EXPECT_EQ(ReadFigure(*rig.video), c.expected);
  }
}

TEST(FramePresent, FrameRateClockWrapsLikeAMillisecondTimer) {
  FakeClockScope clock(0xFFFFFC18u);  // 1000 ms before the counter wraps
  VideoRig rig;
  rig.video->showFrameRate = true;
  rig.video->frameCount = 119;
  fakeNow = 1000;  // two seconds later, after the wrap
  rig.video->EndFrame();
  EXPECT_EQ(ReadFigure(*rig.video), "060");
}

TEST(FramePresent, FigureOnlyWhenAsked) {
  VideoRig rig;
  std::memset(rig.video->frame, 7, sizeof rig.video->frame);
  rig.video->EndFrame();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 24; ++x) ASSERT_EQ(rig.video->frame[y * 256 + x], 7) << x << "," << y;
  }
  rig.video->showFrameRate = true;
  rig.video->EndFrame();
  EXPECT_EQ(rig.video->frame[8 * 256], 7) << "line 8 is below the figure";
  EXPECT_EQ(rig.video->frame[24], 7) << "x 24 is right of the figure";
  EXPECT_NE(ReadFigure(*rig.video), "???");
}

std::string boxes;
void RecordBox(const char* text, const char* caption) { boxes += std::string(caption) + ":" + text + ";"; }

TEST(FramePresent, FailuresSkipTheRestButStillFinishTheFrame) {
  struct Case {
    const char* name;
    std::uint32_t lockResult;
    std::uint32_t unlockResult;
    std::uint32_t blitResult;
    const char* expectedLog;
    const char* expectedBoxes;
    int expectedPresents;
    bool converted;
  };
  const Case cases[] = {
      {"all well", 0, 0, 0, "", "", 1, true},
      {"lost surface at lock", 0x887601C2u, 0, 0, "Back Lock Error[450]: Surface Lost\n", "Error:Back Lock;", 0,
       false},
      {"busy surface at unlock", 0, 0x887601AEu, 0, "Back Unlock Error[430]: Surface Busy\n", "Error:Back Unlock;",
       0, true},
      {"lost surface at blit", 0, 0, 0x887601C2u, "Blt Error[450]: Surface Lost\n", "Error:Blt;", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VideoRig rig(32);
    rig.display.lockResult = c.lockResult;
    rig.display.unlockResult = c.unlockResult;
    rig.display.blitResult = c.blitResult;
    rig.WriteColour(0, 0x3F);
    std::memset(rig.video->frame, 0, sizeof rig.video->frame);
    boxes.clear();
    SetHostMessageBox(&RecordBox);
    LogCapture log;
    rig.video->EndFrame();
    SetHostMessageBox(nullptr);
    EXPECT_EQ(log.text(), c.expectedLog);
    EXPECT_EQ(boxes, c.expectedBoxes);
    EXPECT_TRUE(rig.video->frameDone);
    EXPECT_EQ(rig.video->frameCount, 1);
    EXPECT_EQ(rig.display.presentCount, c.expectedPresents);
    EXPECT_EQ(rig.display.BackPixel(0, 0), c.converted ? 0x00C0C0C0u : 0u);
  }
}

TEST(FramePresent, NoSurfacesNoLockNoPresent) {
  HeadlessDisplay display(32);
  display.initResult = 0x80004005u;  // the host could not make its surfaces
  LogCapture log;
  auto video = std::make_unique<Video>();
  video->Create(&display);
  EXPECT_NE(log.text().find("DirectDrawCreate Error[16389]: Generic Error\n"), std::string::npos) << log.text();
  for (int i = 0; i < 262; ++i) video->StepLine();
  EXPECT_TRUE(video->frameDone);
  EXPECT_EQ(video->frameCount, 1);
  EXPECT_EQ(display.lockCount, 0);
  EXPECT_EQ(display.presentCount, 0);
  EXPECT_EQ(display.Present(), 0);
}

TEST(FramePresent, NoDisplayAtAll) {
  auto video = std::make_unique<Video>();
  video->Create(nullptr);
  video->WriteColour(0x3F);
  for (int i = 0; i < 262; ++i) video->StepLine();
  EXPECT_EQ(video->frameCount, 1);
  EXPECT_EQ(video->colours[0], 0x00C0C0C0u);
}

TEST(VideoCreate, OpensTheDisplayAndLogs) {
  struct Case {
    const char* name;
    int depth;
    bool is565;
    const char* expectedLog;
  };
  const Case cases[] = {
      {"32 bits", 32, false, "Creating Display\n  Display Depth: 32\n"},
      {"24 bits", 24, false, "Creating Display\n  Display Depth: 24\n"},
      {"32 bits never asks for a 16-bit layout", 32, true, "Creating Display\n  Display Depth: 32\n"},
      {"16 bits 5-5-5", 16, false, "Creating Display\n16bit 555 Display\n  Display Depth: 16\n"},
      {"16 bits 5-6-5", 16, true, "Creating Display\n16bit 565 Display\n  Display Depth: 16\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessDisplay display(c.depth, c.is565);
    LogCapture log;
    DisplayWindowHandle = nullptr;
    auto video = std::make_unique<Video>();
    video->gameGear = true;
    video->Create(&display);
    EXPECT_EQ(log.text(), c.expectedLog);
    EXPECT_EQ(display.caption, "Sega Master System");
    EXPECT_EQ(display.windowWidth, 512);
    EXPECT_EQ(display.windowHeight, 384);
    EXPECT_EQ(display.showCommand, 5);
    EXPECT_EQ(display.centreCount, 1);
    EXPECT_TRUE(display.active);
    EXPECT_NE(DisplayWindowHandle, nullptr);
    EXPECT_EQ(display.is565, c.is565 && c.depth == 16 ? 1 : 0);
    EXPECT_FALSE(video->gameGear);
    EXPECT_EQ(video->linesPerFrame, 262);
  }
}

}  // namespace
