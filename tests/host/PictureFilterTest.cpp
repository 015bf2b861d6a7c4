#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "headless/HeadlessDisplay.h"
#include "host/display/FramePresenter.h"
#include "host/display/PictureFilter.h"

namespace {

TEST(PictureFilter, MixingKeepsEachChannelToItself) {
  struct Case {
    int depth;
    bool is565;
    std::uint32_t a, b, mixed;
  };
  const Case cases[] = {
      {32, false, 0xFF0000, 0x00FF01, 0x7F7F00},  // no channel's bit runs into the next
      {32, false, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},  // white stays white
      {32, false, 0x030303, 0x010101, 0x020202},
      {16, true, 0xF800, 0x07FF, 0x7BEF},         // 5-6-5
      {16, true, 0xFFFF, 0xFFFF, 0xFFFF},
      {16, false, 0x7C00, 0x03FF, 0x3DEF},        // 5-5-5
      {16, false, 0x7FFF, 0x7FFF, 0x7FFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MixPixels(c.a, c.b, c.depth, c.is565), c.mixed) << std::hex << c.a << " " << c.b << " " << c.depth;
  }
  for (PictureFilter filter : {PictureFilter::kNone, PictureFilter::kSmooth, PictureFilter::kScanlines,
                               PictureFilter::kLcd}) {
    EXPECT_EQ(PictureFilterFromName(PictureFilterName(filter)), filter);
  }
  EXPECT_EQ(PictureFilterFromName("blur"), PictureFilter::kNone);
  EXPECT_EQ(PictureFilterFromName(nullptr), PictureFilter::kNone);
}

// The Game Gear's slow screen through the presenter: the first frame shows
// as it is, then each shows the mean of itself and the one before, at every
// depth; a Master System picture is never mixed.
TEST(PictureFilter, LcdGhostingMixesGameGearFramesWithTheOneBefore) {
  struct Case {
    int depth;
    bool is565;
  };
  std::vector<std::uint8_t> frame(256 * 192, 0);
  // Game Gear colour RAM: colour 0 black, colour 1 white (12-bit, little-endian).
  const std::uint8_t cram[64] = {0x00, 0x00, 0xFF, 0x0F};
  for (const Case c : {Case{32, false}, Case{24, false}, Case{16, true}, Case{16, false}}) {
    SCOPED_TRACE(c.depth);
    HeadlessDisplay display(c.depth, c.is565, 3);
    LogCapture quiet;
    display.CreateBackSurface(256, 192);
    FramePresenter presenter(&display);
    presenter.lcdGhosting = true;
    frame[0] = 1;  // white
    presenter.Present(frame.data(), cram, true);
    const std::uint32_t white = display.BackPixelRgb(0, 0);
    EXPECT_EQ(white, 0xFFFFFFu);
    frame[0] = 0;  // black now: half the light of the frame before
    presenter.Present(frame.data(), cram, true);
    const std::uint32_t half = display.BackPixelRgb(0, 0);
    EXPECT_GT(half & 0xFF, 0x60u);
    EXPECT_LT(half & 0xFF, 0x90u);
    presenter.Present(frame.data(), cram, true);
    EXPECT_EQ(display.BackPixelRgb(0, 0), 0u) << "two black frames";
    frame[0] = 2;  // in the Master System's colour RAM, white (0xFF)
    presenter.Present(frame.data(), cram, false);
    EXPECT_EQ(display.BackPixelRgb(0, 0), 0xFFFFFFu) << "a Master System picture is not mixed";
    frame[0] = 0;
  }
}

// Scanlines: the row as it is, and under it the same at 3/4 of its light,
// channel by channel, in every format.
TEST(PictureFilter, ScanlinesDarkenEverySecondRow) {
  struct Case {
    int depth;
    bool is565;
    std::uint32_t pixel, dark;
  };
  const Case cases[] = {
      {32, false, 0xFFFFFF, 0xBEBEBE}, {32, false, 0x800001, 0x600000}, {16, true, 0xFFFF, 0xB5D6},
      {16, false, 0x7FFF, 0x5AD6},     {24, false, 0xFFFFFF, 0xBFBFBF},
  };
  for (const Case& c : cases) {
    const int bytes = BackBytesPerPixel(c.depth);
    std::uint8_t from[8] = {}, bright[8] = {}, dark[8] = {};
    for (int x = 0; x < 2; ++x) {
      for (int b = 0; b < bytes; ++b) from[x * bytes + b] = static_cast<std::uint8_t>(c.pixel >> (8 * b));
    }
    DarkenedRow(from, bright, dark, 2, c.depth, c.is565);
    std::uint32_t shown = 0;
    for (int b = 0; b < bytes; ++b) shown |= static_cast<std::uint32_t>(dark[bytes + b]) << (8 * b);
    EXPECT_EQ(shown, c.dark) << std::hex << c.pixel << " at " << std::dec << c.depth;
    EXPECT_EQ(std::memcmp(from, bright, 2 * bytes), 0);
  }
}

// The shades laid over one axis of the stretched picture, as a row of
// marks: '#' as drawn, '.' darkened. Odd sizes give console pixels of
// unequal spans, each shaded as a whole; too small a window gets nothing.
TEST(PictureFilter, ShadesFollowEachConsolePixelsSpan) {
  struct Case {
    const char* name;
    PictureFilter filter;
    ShadeAxis axis;
    int shown, console;
    const char* marks;  // nullptr: nothing darkened (false)
  };
  const Case cases[] = {
      {"scanlines at twice", PictureFilter::kScanlines, ShadeAxis::kRows, 8, 4, "#.#.#.#."},
      {"scanlines at four times", PictureFilter::kScanlines, ShadeAxis::kRows, 8, 2, "##..##.."},
      {"scanlines, spans of 2, 3 and 2", PictureFilter::kScanlines, ShadeAxis::kRows, 7, 3, "#.##.#."},
      {"scanlines below twice", PictureFilter::kScanlines, ShadeAxis::kRows, 5, 3, nullptr},
      {"scanlines leave the columns", PictureFilter::kScanlines, ShadeAxis::kColumns, 8, 2, nullptr},
      {"grid at three times", PictureFilter::kLcd, ShadeAxis::kColumns, 9, 3, "##.##.##."},
      {"grid, spans of 3, 2 and 3", PictureFilter::kLcd, ShadeAxis::kRows, 8, 3, "##.#.##."},
      {"sharp pixels", PictureFilter::kNone, ShadeAxis::kRows, 8, 4, nullptr},
      {"smooth scaling", PictureFilter::kSmooth, ShadeAxis::kRows, 8, 4, nullptr},
      {"no console pixels", PictureFilter::kLcd, ShadeAxis::kRows, 8, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> shades(static_cast<std::size_t>(c.shown) + 1, 7);  // one guard byte
    EXPECT_EQ(FilterShades(c.filter, c.axis, c.shown, c.console, shades.data()), c.marks != nullptr);
    std::string marks;
    for (int i = 0; i < c.shown; ++i) marks += shades[static_cast<std::size_t>(i)] == 255 ? '#' : '.';
    EXPECT_EQ(marks, c.marks ? c.marks : std::string(static_cast<std::size_t>(c.shown), '#'));
    EXPECT_EQ(shades.back(), 7) << "nothing written past the end";
  }
  // A full-screen height that is no multiple of the picture's: every one
  // of the 192 lines has its lower rows darkened, none its top row.
  std::vector<std::uint8_t> rows(1079);
  ASSERT_TRUE(FilterShades(PictureFilter::kScanlines, ShadeAxis::kRows, 1079, 192, rows.data()));
  int gaps = 0;
  for (std::size_t i = 1; i < rows.size(); ++i) gaps += rows[i - 1] != 255 && rows[i] == 255;
  EXPECT_EQ(gaps + 1, 192);
  EXPECT_EQ(rows.front(), 255);
  EXPECT_NE(rows.back(), 255);
  EXPECT_EQ(FilterShades(PictureFilter::kLcd, ShadeAxis::kRows, 0, 192, nullptr), false) << "no screen pixels";
}

}  // namespace
