#include <gtest/gtest.h>

#include "host/input/PointerMotion.h"

namespace {

TEST(PointerMotion, PaddleSpansTheWindowAndTheSportsPadMovesInPicturePixels) {
  // The paddle: both edges reach the ends of the travel at any width; the
  // middle is the middle; outside the window holds the nearest end.
  struct Column {
    int x, width, knob;
  } columns[] = {{0, 512, 0},   {511, 512, 255}, {256, 512, 128}, {0, 320, 0},    {319, 320, 255},
                 {-40, 320, 0}, {900, 320, 255}, {5, 1, 0x80},    {100, 1920, 13}};
  for (const Column& c : columns) EXPECT_EQ(PaddleFromColumn(c.x, c.width), c.knob) << c.x << " of " << c.width;

  // The sports pad at twice the size: two window points make one pixel, the
  // odd point waits for the next motion, either way.
  SportsPadMotion twice;
  EXPECT_EQ(twice.Take(3, 256, 512), 1);
  EXPECT_EQ(twice.Take(1, 256, 512), 1);
  EXPECT_EQ(twice.Take(-5, 256, 512), -2);
  EXPECT_EQ(twice.Take(-1, 256, 512), -1);
  // At the picture's own size it is the window's motion, held to the range.
  SportsPadMotion once;
  EXPECT_EQ(once.Take(40, 160, 160), 40);
  EXPECT_EQ(once.Take(900, 160, 160), SportsPadMotion::kMax);
  EXPECT_EQ(once.Take(-900, 160, 160), SportsPadMotion::kMin);
  EXPECT_EQ(once.Take(7, 0, 160), 0);
}

}  // namespace
