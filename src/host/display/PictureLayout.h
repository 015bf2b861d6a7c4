#pragma once

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

// The Master System shows its whole 256 x 192 frame; the Game Gear's screen
// is a 160 x 144 window of it (columns 48-207, lines 24-167).
constexpr PictureRect kMasterSystemPicture{0, 0, 256, 192};
constexpr PictureRect kGameGearPicture{48, 24, 160, 144};
inline PictureRect VisiblePicture(bool gameGear) { return gameGear ? kGameGearPicture : kMasterSystemPicture; }

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
