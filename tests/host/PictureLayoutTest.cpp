#include <gtest/gtest.h>

#include <vector>

#include "LogCapture.h"
#include "headless/HeadlessDisplay.h"
#include "host/display/FramePresenter.h"
#include "host/display/PauseOverlay.h"
#include "host/display/PictureLayout.h"

namespace {

TEST(PictureLayout, ThePictureKeepsItsShapeCentredBetweenBlackBars) {
  struct Case {
    const char* name;
    int clientWidth, clientHeight, pictureWidth, pictureHeight;
    bool whole;
    PictureRect expected;
  };
  const Case cases[] = {
      {"exact double", 512, 384, 256, 192, false, {0, 0, 512, 384}},
      {"wide: bars left and right", 900, 400, 256, 192, false, {183, 0, 533, 400}},
      {"tall: bars above and below", 300, 600, 256, 192, false, {0, 187, 300, 225}},
      {"whole scales round down", 900, 400, 256, 192, true, {194, 8, 512, 384}},
      {"whole scales below one picture still fit", 200, 100, 256, 192, true, {33, 0, 133, 100}},
      {"Game Gear at twice", 320, 288, 160, 144, true, {0, 0, 320, 288}},
      {"no client area", 0, 0, 256, 192, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PictureRect got = PictureViewport(c.clientWidth, c.clientHeight, c.pictureWidth, c.pictureHeight, c.whole);
    EXPECT_EQ(got, c.expected) << got.x << "," << got.y << " " << got.width << "x" << got.height;
  }
}

TEST(PictureLayout, TheLargestScaleWhoseWindowFitsTheWorkArea) {
  struct Case {
    int pictureWidth, pictureHeight, frameWidth, frameHeight, workWidth, workHeight, wanted, expected;
  };
  const Case cases[] = {
      {256, 192, 0, 0, 1280, 1024, 4, 4},   {256, 192, 10, 30, 1280, 768, 4, 3},
      {256, 192, 10, 30, 1280, 1024, 2, 2}, {256, 192, 10, 30, 200, 100, 4, 1},  // never below one
      {160, 144, 2, 24, 1280, 600, 4, 4},   {160, 144, 2, 24, 1280, 599, 4, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.workWidth << "x" << c.workHeight << " wanted " << c.wanted);
    EXPECT_EQ(LargestFittingScale(c.pictureWidth, c.pictureHeight, c.frameWidth, c.frameHeight, c.workWidth,
                                  c.workHeight, c.wanted),
              c.expected);
  }
}

// A white frame presented paused: inside the visible picture every pixel is
// dimmed white, a letter (white) or its shadow (black); outside it nothing
// changes. At every depth.
// The mouse's point in the window as the light gun's aim on the frame.
TEST(PictureLayout, AWindowPointIsAFramePoint) {
  struct Case {
    const char* name;
    int clientX, clientY;
    PictureRect view, picture;
    bool inside;
    int x, y;
  };
  const Case cases[] = {
      {"top left at scale 2", 10, 20, {10, 20, 512, 384}, kMasterSystemPicture, true, 0, 0},
      {"last pixel at scale 2", 521, 403, {10, 20, 512, 384}, kMasterSystemPicture, true, 255, 191},
      {"in the black bar to the left", 9, 100, {10, 20, 512, 384}, kMasterSystemPicture, false, -7, -7},
      {"just past the right edge", 522, 100, {10, 20, 512, 384}, kMasterSystemPicture, false, -7, -7},
      {"a Game Gear's window at scale 3", 30, 60, {0, 0, 480, 432}, kGameGearPicture, true, 58, 44},
      {"stretched to a shape not its own", 100, 100, {0, 0, 300, 300}, kMasterSystemPicture, true, 85, 64},
      {"an empty view", 0, 0, {0, 0, 0, 0}, kMasterSystemPicture, false, -7, -7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int x = -7, y = -7;
    EXPECT_EQ(FramePointAt(c.clientX, c.clientY, c.view, c.picture, x, y), c.inside);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

TEST(PauseOverlay, DimsTheVisiblePictureAndWritesTheLineOverIt) {
  struct Case {
    int depth;
    bool is565;
    bool gameGear;
  };
  const Case cases[] = {{32, false, false}, {24, false, false}, {16, true, false}, {16, false, false}, {32, false, true}};
  std::vector<std::uint8_t> frame(256 * 192, 1);
  std::uint8_t cram[64] = {0x00, 0x3F, 0xFF, 0x0F};  // colour 1 white (both consoles)
  ASSERT_LE(PauseTextWidth(), kGameGearPicture.width);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.depth << (c.is565 ? " 565" : "") << (c.gameGear ? " Game Gear" : ""));
    HeadlessDisplay display(c.depth, c.is565);
    LogCapture quiet;
    display.CreateBackSurface(256, 192);
    display.picture = VisiblePicture(c.gameGear);
    FramePresenter presenter(&display);
    presenter.paused = true;
    presenter.Present(frame.data(), cram, c.gameGear);
    int letters = 0, shadows = 0, dimmed = 0, untouched = 0;
    const PictureRect& area = display.picture;
    for (int y = 0; y < 192; ++y) {
      for (int x = 0; x < 256; ++x) {
        const std::uint32_t rgb = display.BackPixelRgb(x, y);
        const bool inside = x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
        if (!inside) {
          untouched += rgb == 0xFFFFFF;
          continue;
        }
        letters += rgb == 0xFFFFFF;
        shadows += rgb == 0;
        const int red = static_cast<int>(rgb >> 16), green = static_cast<int>(rgb >> 8 & 0xFF), blue = static_cast<int>(rgb & 0xFF);
        dimmed += red >= 0x70 && red <= 0x80 && green >= 0x70 && green <= 0x80 && blue >= 0x70 && blue <= 0x80;
      }
    }
    EXPECT_EQ(letters + shadows + dimmed, area.width * area.height);
    EXPECT_GT(letters, 150);
    EXPECT_GT(shadows, 100);
    EXPECT_EQ(untouched, 256 * 192 - area.width * area.height);
  }
}

}  // namespace
