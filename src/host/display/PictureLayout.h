#pragma once

#include "vdp/Video.h"

// Where the console's picture sits: the part of the 256 x 192 frame a player
// sees, how large the display window's client area is at a whole scale, and
// where the picture goes inside a client area of any size.

// A rectangle in pixels.
struct PictureRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PictureRect&) const = default;
};

// The Master System shows its whole frame; the Game Gear's screen is a
// window of it.
constexpr PictureRect kMasterSystemPicture{0, 0, Video::kWidth, Video::kHeight};
constexpr PictureRect kGameGearPicture{kGameGearScreenX, kGameGearScreenY, kGameGearScreenWidth, kGameGearScreenHeight};
inline PictureRect VisiblePicture(bool gameGear) { return gameGear ? kGameGearPicture : kMasterSystemPicture; }

// The width a picture `width` console pixels wide takes on screen, at the
// scale of its height: the same, or 8/7 of it (rounded) when the pixels are
// shown at the 8:7 shape a television gives them.
constexpr int ShownWidth(int width, bool pixelAspect) { return pixelAspect ? (width * 8 + 3) / 7 : width; }

// The largest whole scale (at most maxScale, at least 1) at which a picture
// of pictureWidth x pictureHeight plus the window's frame fits the work area.
int LargestFittingScale(int pictureWidth, int pictureHeight, int frameWidth, int frameHeight, int workWidth,
                        int workHeight, int maxScale);

// The picture's place in a client area: as large as fits with the picture's
// own shape, centred, the rest left black. With wholeScales the scale is
// rounded down to a whole number (when the client area holds at least one
// whole picture).
PictureRect PictureViewport(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                            bool wholeScales);

// The point of the 256 x 192 frame under a point of the client area, where
// the part `picture` of the frame is drawn over `view` (the mouse aiming the
// light gun). False, with x and y left alone, outside the picture.
bool FramePointAt(int clientX, int clientY, const PictureRect& view, const PictureRect& picture, int& x, int& y);
