#pragma once

#include <cstdint>
#include <memory>

#include "host/display/Display.h"

// The filters a player may lay over the picture, drawn by the display:
// sharp pixels and smooth scaling are its scaling alone; the scanlines and
// the LCD grid are shades it lays over the stretched picture (FilterShades),
// once the window has at least two screen pixels for a console pixel. The
// Game Gear's slow screen (LcdGhosting) is the presenter's, a choice of its
// own, since a player may want it without the grid.
enum class PictureFilter : std::uint8_t { kNone, kSmooth, kScanlines, kLcd };

// "none", "smooth", "scanlines", "lcd" and back; an unknown name is kNone.
const char* PictureFilterName(PictureFilter filter);
PictureFilter PictureFilterFromName(const char* name);

// The Game Gear's screen keeps a trace of the frame before: each pixel of
// the converted picture becomes the mean of itself and the same pixel of the
// previous frame as the console drew it. The previous frame lives in one
// buffer, made at the first frame and kept (nothing is allocated per frame).
class LcdGhosting {
 public:
  static constexpr int kWidth = 256;
  static constexpr int kMaxHeight = 240;

  // Mixes `rows` rows of 256 pixels of `lock` (depth 16 as 5-6-5 or 5-5-5,
  // 24 or 32) with the previous frame, keeping this frame's own pixels for
  // the next. The first frame, and the first after a change of depth or
  // height or after Forget, is shown as it is.
  void Apply(const SurfaceLock& lock, int depth, bool is565, int rows);
  // The next frame starts afresh (a new image, the filter turned on again).
  void Forget() { primed = false; }

 private:
  std::unique_ptr<std::uint8_t[]> previous;  // kWidth * kMaxHeight * 4 bytes
  bool primed = false;
  int primedDepth = 0;
  int primedRows = 0;
};

// The mean of two pixels of the same format, channel by channel (rounded
// down): the halves of both with the bit each channel would pass to its
// lower neighbour masked off, and the bit both lose added back.
std::uint32_t MixPixels(std::uint32_t a, std::uint32_t b, int depth, bool is565);

// The shades a filter lays over `shown` screen pixels along one axis of a
// picture `console` pixels long (its rows, or its columns), as the display
// stretches it with nearest sampling: 255 where the picture shows as drawn,
// less where it is darkened. The scanlines darken the lower half (rounded
// down) of each console line's rows; the LCD grid darkens the last row and
// the last column of each console pixel. Nothing is darkened along an axis
// with fewer than two screen pixels for each console pixel, nor along the
// columns for the scanlines. False (and `shades` all 255) when nothing is
// darkened: the display then lays nothing over that axis.
enum class ShadeAxis : std::uint8_t { kRows, kColumns };
bool FilterShades(PictureFilter filter, ShadeAxis axis, int shown, int console, std::uint8_t* shades);

// The scanlines: a row of `width` pixels written as it is to `bright` and
// at 3/4 of its light to `dark` (the row under it in a picture twice as
// tall), in the back surface's formats.
void DarkenedRow(const std::uint8_t* from, std::uint8_t* bright, std::uint8_t* dark, int width, int depth,
                 bool is565);
