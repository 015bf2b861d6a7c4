#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "headless/HeadlessDisplay.h"
#include "host/conversion/ColourConversion.h"
#include "host/display/FramePresenter.h"
#include "host/conversion/PixelConversion.h"

namespace {

// Every level a colour RAM entry can hold, read back as 8-bit components at
// depth 32 and as the nearest 5- or 6-bit value at depth 16.
TEST(ColourConversion, LevelsSpanTheWholeRange) {
  struct Case {
    const char* name;
    bool gameGear;
    std::vector<std::uint8_t> entry;  // bytes of colour 0
    std::uint32_t rgb;
    std::uint32_t rgb565;
    std::uint32_t rgb555;
  };
  const Case cases[] = {
      {"black", false, {0x00}, 0x000000, 0x0000, 0x0000},
      {"white", false, {0x3F}, 0xFFFFFF, 0xFFFF, 0x7FFF},
      {"red levels 1", false, {0x01}, 0x550000, 10u << 11, 10u << 10},
      {"green level 2", false, {0x08}, 0x00AA00, 42u << 5, 21u << 5},
      {"blue level 3", false, {0x30}, 0x0000FF, 31u, 31u},
      {"Game Gear white", true, {0xFF, 0x0F}, 0xFFFFFF, 0xFFFF, 0x7FFF},
      {"Game Gear red 1", true, {0x01, 0x00}, 0x110000, 2u << 11, 2u << 10},
      {"Game Gear green 15 blue 7", true, {0xF0, 0x07}, 0x00FF77, 63u << 5 | 14u, 31u << 5 | 14u},
      {"Game Gear high nibble of blue ignored", true, {0x00, 0xF0}, 0x000000, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t cram[64] = {};
    std::memcpy(cram, c.entry.data(), c.entry.size());
    const std::uint32_t rgb = ColourRgb(cram, 0, c.gameGear);
    EXPECT_EQ(rgb, c.rgb);
    EXPECT_EQ(ColourPixel(rgb, PixelFormat::Rgb565), c.rgb565);
    EXPECT_EQ(ColourPixel(rgb, PixelFormat::Rgb555), c.rgb555);
  }
}

TEST(ColourConversion, GameGearKeepsSixteenDistinctLevels) {
  std::uint8_t cram[64] = {};
  for (int level = 0; level < 16; ++level) {
    cram[0] = static_cast<std::uint8_t>(level);
    EXPECT_EQ(ColourRgb(cram, 0, true) >> 16, static_cast<std::uint32_t>(level * 17));
  }
}

// A diagonal in colour 1 over colour 0, presented at every depth: the pixels
// land where they belong, row padding is never written.
TEST(FramePresenter, ConvertsAtEveryDepthWithinTheRows) {
  struct Case {
    int depth;
    bool is565;
    std::uint32_t expected;  // the host pixel of colour 1 = white
  };
  const Case cases[] = {{32, false, 0xFFFFFF}, {24, false, 0xFFFFFF}, {16, true, 0xFFFF}, {16, false, 0x7FFF}};
  std::vector<std::uint8_t> frame(256 * 192, 0);
  for (int y = 0; y < 192; ++y) frame[y * 256 + y] = 1;
  frame[255] = frame[191 * 256 + 255] = 1;
  std::uint8_t cram[64] = {0x00, 0x3F};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    HeadlessDisplay display(c.depth, c.is565, 3);
    LogCapture quiet;
    display.CreateBackSurface(256, 192);
    FramePresenter presenter(&display);
    presenter.Present(frame.data(), cram, false);
    ASSERT_EQ(display.presentCount, 1);
    for (int y = 0; y < 192; ++y) {
      ASSERT_EQ(display.BackPixel(y, y), c.expected) << y;
      ASSERT_EQ(display.BackPixel(y + 1, y), 0u) << y;
    }
    EXPECT_EQ(display.BackPixel(255, 191), c.expected);
    const int rowBytes = 256 * BackBytesPerPixel(c.depth);
    for (int y = 0; y < 192; ++y) {
      for (int b = rowBytes; b < display.BackPitch(); ++b) ASSERT_EQ(display.BackBits()[y * display.BackPitch() + b], 0);
    }
  }
}

// Every index byte (0-255, masked to the 32 colours) at every column of a
// row, in both colour RAM layouts: each converted pixel is the colour its
// index names, whichever conversion loop the processor gets.
TEST(FramePresenter, ConvertsEveryIndexToItsColour) {
  struct Case {
    const char* name;
    int depth;
    bool is565;
    bool gameGear;
  };
  const Case cases[] = {{"32 bits", 32, false, false}, {"32 bits, Game Gear", 32, false, true},
                        {"5-6-5", 16, true, false},    {"5-5-5, Game Gear", 16, false, true},
                        {"24 bits", 24, false, false}};
  std::vector<std::uint8_t> frame(256 * 192);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 256; ++x) frame[y * 256 + x] = static_cast<std::uint8_t>(x * 7 + y * 13);
  }
  std::uint8_t cram[64];
  for (int i = 0; i < 64; ++i) cram[i] = static_cast<std::uint8_t>(i * 37 + 11);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int bytes = BackBytesPerPixel(c.depth);
    const int pitch = 256 * bytes + 8;
    std::vector<std::uint8_t> surface(static_cast<std::size_t>(pitch) * 192, 0xAB);
    SurfaceLock lock;
    lock.bits = surface.data();
    lock.pitch = pitch;
    FramePresenter::Convert(frame.data(), cram, c.gameGear, lock, c.depth, c.is565);
    const PixelFormat format = PixelFormatFor(c.depth, c.is565);
    for (int y = 0; y < 192; ++y) {
      const std::uint8_t* row = surface.data() + y * pitch;
      for (int x = 0; x < 256; ++x) {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, row + x * bytes, static_cast<std::size_t>(bytes));
        const int index = frame[y * 256 + x] & 31;
        ASSERT_EQ(pixel, ColourPixel(ColourRgb(cram, index, c.gameGear), format)) << x << "," << y;
      }
      for (int b = 256 * bytes; b < pitch; ++b) ASSERT_EQ(row[b], 0xAB) << y;
    }
  }
}

// A window of the frame (the Game Gear's, or widths that leave a tail after
// the vector loops) converts each pixel and nothing past the row's end.
TEST(FramePresenter, ConvertsWindowsOfAnyWidth) {
  std::vector<std::uint8_t> frame(256 * 192);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 11 + i / 256);
  std::uint32_t palette[32];
  for (int i = 0; i < 32; ++i) palette[i] = 0x01020304u * static_cast<std::uint32_t>(i + 1);
  for (int bytes : {2, 3, 4}) {
    for (int width : {160, 47, 5}) {
      SCOPED_TRACE(std::to_string(bytes) + " bytes, width " + std::to_string(width));
      const int pitch = width * bytes + 3;
      std::vector<std::uint8_t> out(static_cast<std::size_t>(pitch) * 144, 0xAB);
      ConvertPixelRows({frame.data() + 24 * 256 + 48, 256, out.data(), pitch, width, 144, bytes}, palette);
      for (int y = 0; y < 144; ++y) {
        for (int x = 0; x < width; ++x) {
          std::uint32_t pixel = 0;
          std::memcpy(&pixel, &out[static_cast<std::size_t>(y * pitch + x * bytes)], static_cast<std::size_t>(bytes));
          const std::uint32_t want = palette[frame[(24 + y) * 256 + 48 + x] & 31] & (0xFFFFFFFFu >> (32 - 8 * bytes));
          ASSERT_EQ(pixel, want) << x << "," << y;
        }
        for (int b = width * bytes; b < pitch; ++b) ASSERT_EQ(out[static_cast<std::size_t>(y * pitch + b)], 0xAB) << y;
      }
    }
  }
}

TEST(FramePresenter, FrameRateFigureReadsOnAnyBackdrop) {
  for (std::uint8_t backdrop : {std::uint8_t{0x00}, std::uint8_t{0x3F}, std::uint8_t{0x15}}) {
    SCOPED_TRACE(int(backdrop));
    HeadlessDisplay display(32);
    LogCapture quiet;
    display.CreateBackSurface(256, 192);
    FramePresenter presenter(&display);
    presenter.showFrameRate = true;
    presenter.frameRate = 60;
    std::vector<std::uint8_t> frame(256 * 192, 0);
    std::uint8_t cram[64] = {backdrop};
    presenter.Present(frame.data(), cram, false);
    // "060": white strokes, each with a black shadow below and to the right,
    // over the picture left as it is.
    int white = 0;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 23; ++x) {
        if (display.BackPixelRgb(x, y) != 0xFFFFFF) continue;
        ++white;
        const std::uint32_t shadow = display.BackPixelRgb(x + 1, y + 1);
        EXPECT_TRUE(shadow == 0xFFFFFF || shadow == 0x000000) << x << "," << y;
      }
    }
    EXPECT_GT(white, 20);
    EXPECT_EQ(display.BackPixelRgb(0, 0), ColourRgb(cram, 0, false));
    EXPECT_EQ(display.BackPixelRgb(24, 0), ColourRgb(cram, 0, false));
    // The "0" and the "6" differ: the digits follow the figure.
    EXPECT_NE(display.BackPixelRgb(10, 3), display.BackPixelRgb(2, 3));
  }
}

TEST(FramePresenter, FailingStepsAreReportedAndNothingIsPresented) {
  struct Case {
    const char* name;
    bool failLock, failUnlock;
    int presents;
    const char* log;
  };
  const Case cases[] = {
      {"lock fails", true, false, 0, "Back Lock Error"},
      {"unlock fails", false, true, 0, "Back Unlock Error"},
      {"all well", false, false, 1, ""},
  };
  std::vector<std::uint8_t> frame(256 * 192, 0);
  std::uint8_t cram[64] = {};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessDisplay display(32);
    LogCapture log;
    display.CreateBackSurface(256, 192);
    display.failLock = c.failLock;
    display.failUnlock = c.failUnlock;
    FramePresenter(&display).Present(frame.data(), cram, false);
    EXPECT_EQ(display.presentCount, c.presents);
    EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
  }
  // No surfaces, or no display at all: nothing is locked or presented.
  HeadlessDisplay none(32);
  FramePresenter(&none).Present(frame.data(), cram, false);
  FramePresenter(nullptr).Present(frame.data(), cram, false);
  EXPECT_EQ(none.lockCount, 0);
}

}  // namespace
