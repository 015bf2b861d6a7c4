#pragma once

// The mouse as the paddle and the sports pad take it.
//
// The paddle's knob turns through its whole travel across the window: 0 at
// the left edge, 255 at the right one, whatever the window's size (the
// picture's own width would leave a Game Gear's paddle a third of its
// travel).
int PaddleFromColumn(int windowX, int windowWidth);

// The sports pad's ball reports motion in the console picture's pixels: the
// pointer's motion in the window is scaled down by the picture's size on
// screen (so the ball feels the same at any window size), the fraction is
// carried to the next motion, and a frame's motion is held to the pad's
// range of -128 to 127 a read.
class SportsPadMotion {
 public:
  static constexpr int kMin = -128;
  static constexpr int kMax = 127;
  // Motion of `windowDelta` window points, where `pictureWidth` console
  // pixels take `shownWidth` points; returns the console pixels moved.
  int Take(int windowDelta, int pictureWidth, int shownWidth);

 private:
  long long carry = 0;  // in console pixels times shownWidth
};
