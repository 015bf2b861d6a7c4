#pragma once

#include <cstdint>
#include <memory>

#include "host/display/Display.h"

// The filters a player may lay over the picture. Sharp pixels and smooth
// scaling are the display's scaling alone; scanlines (DarkenedRow) are the
// display's picture drawn twice as tall, every second row darker, shown once
// the window has at least two rows for a console line; the Game Gear's slow
// screen is done on the converted back surface.
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

// The scanlines: a row of `width` pixels written as it is to `bright` and
// at 3/4 of its light to `dark` (the row under it in a picture twice as
// tall), in the back surface's formats.
void DarkenedRow(const std::uint8_t* from, std::uint8_t* bright, std::uint8_t* dark, int width, int depth,
                 bool is565);
