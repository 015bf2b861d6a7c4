// End of frame on the host: the frame-rate figure, and the conversion of the
// indexed frame into the back surface through the colour RAM.
#include "host/display/FramePresenter.h"

#include <algorithm>

#include "host/conversion/ColourConversion.h"
#include "host/dialogs/HostFailure.h"
#include "host/display/PauseOverlay.h"
#include "host/conversion/PixelConversion.h"

namespace {

// Digits 0-9, 8 x 8, top row first; bit 0x80 is the leftmost pixel.
constexpr std::uint8_t kDigitGlyphs[10][8] = {
    {0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00},
    {0x00, 0x08, 0x18, 0x08, 0x08, 0x08, 0x1C, 0x00},
    {0x00, 0x7E, 0x02, 0x3E, 0x40, 0x40, 0x7E, 0x00},
    {0x00, 0x7E, 0x02, 0x0E, 0x02, 0x02, 0x7E, 0x00},
    {0x00, 0x0C, 0x14, 0x24, 0x7E, 0x04, 0x04, 0x00},
    {0x00, 0x7E, 0x40, 0x7C, 0x02, 0x02, 0x7E, 0x00},
    {0x00, 0x7E, 0x40, 0x7E, 0x42, 0x42, 0x7E, 0x00},
    {0x00, 0x7E, 0x02, 0x04, 0x08, 0x10, 0x20, 0x00},
    {0x00, 0x7E, 0x42, 0x7E, 0x42, 0x42, 0x7E, 0x00},
    {0x00, 0x7E, 0x42, 0x7E, 0x02, 0x02, 0x02, 0x00},
};


}  // namespace

void FramePresenter::Present(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
                             const std::uint16_t* colours, int height) {
  // Without a back surface (the host could not make one) there is nothing to
  // draw into or present.
  if (!display || !display->HasSurfaces()) return;
  const int rows = colours ? kHeight : std::clamp(height, kHeight, kMaxHeight);
  display->frameRows = rows;
  PictureRect& shown = display->picture;
  if (shown.x == 0 && shown.y == 0 && shown.width == kWidth) shown.height = rows;
  if (!display->LockBackBuffer(lockDesc)) {
    ReportHostFailure(display->messageBox, "Back Lock");
    return;
  }
  Convert(frame, colourRam, gameGear, lockDesc, display->depth, display->is565 != 0, colours, rows);
  if (lcdGhosting && gameGear) {
    ghosting.Apply(lockDesc, display->depth, display->is565 != 0, rows);
  } else {
    ghosting.Forget();
  }
  if (paused) DrawPauseOverlay(lockDesc, display->depth, display->is565 != 0, display->picture, pauseLine);
  if (showFrameRate) {
    // In the visible picture's top-left corner (the Game Gear shows less).
    SurfaceLock corner = lockDesc;
    const PictureRect& picture = display->picture;
    if (corner.bits && picture.x >= 0 && picture.y >= 0 && picture.x + 24 <= kWidth && picture.y + 8 <= rows) {
      corner.bits += static_cast<std::ptrdiff_t>(picture.y) * corner.pitch +
                     static_cast<std::ptrdiff_t>(picture.x) * BackBytesPerPixel(display->depth);
    }
    DrawFrameRate(corner, display->depth, display->is565 != 0, frameRate);
  }
  if (sign != PlaySign::None) {
    const PictureRect& picture = display->picture;
    OnScreenNote::DrawLabel(lockDesc, display->depth, display->is565 != 0, picture.x + picture.width - 22,
                            picture.y + 2, sign == PlaySign::Rewind ? "<<" : ">>");
  }
  note.Draw(lockDesc, display->depth, display->is565 != 0, clock(), display->picture);
  if (!display->UnlockBackBuffer()) {
    ReportHostFailure(display->messageBox, "Back Unlock");
    return;
  }
  display->Present();
}

void FramePresenter::Convert(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
                             const SurfaceLock& lock, int depth, bool is565, const std::uint16_t* colours,
                             int height) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  // A lock that hands back no memory, or rows too short for the picture,
  // gets nothing written rather than a write past its end.
  if (!lock.bits || lock.pitch < kWidth * bytesPerPixel) return;
  if (colours) {
    ConvertColourWordRows({colours, kWidth, lock.bits, lock.pitch, kWidth, kHeight, bytesPerPixel},
                          PixelFormatFor(depth, is565));
    return;
  }
  std::uint32_t palette[32];
  ConvertPalette(colourRam, gameGear, PixelFormatFor(depth, is565), palette);
  ConvertPixelRows({frame, kWidth, lock.bits, lock.pitch, kWidth, std::clamp(height, 0, kMaxHeight), bytesPerPixel},
                   palette);
}

void FramePresenter::DrawFrameRate(const SurfaceLock& lock, int depth, bool is565, int rate) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  if (!lock.bits || lock.pitch < kWidth * bytesPerPixel) return;
  if (rate < 0) rate = 0;
  if (rate > 999) rate = 999;  // three digits are all there is room for
  const PixelFormat format = PixelFormatFor(depth, is565);
  const std::uint32_t white = ColourPixel(0xFFFFFF, format);
  const std::uint32_t black = ColourPixel(0x000000, format);
  const int digits[3] = {rate / 100, (rate / 10) % 10, rate % 10};
  auto lit = [&](int row, int column) {
    return row >= 0 && row < 8 && column >= 0 && column < 24 &&
           (kDigitGlyphs[digits[column / 8]][row] & (0x80 >> (column % 8))) != 0;
  };
  // The glyphs' first row and column are blank: the shadow, one pixel down
  // and right, stays inside the 24 x 8 corner.
  for (int row = 0; row < 8; ++row) {
    std::uint8_t* line = lock.bits + static_cast<std::ptrdiff_t>(row) * lock.pitch;
    for (int column = 0; column < 24; ++column) {
      if (lit(row, column)) {
        StorePixel(line + column * bytesPerPixel, bytesPerPixel, white);
      } else if (lit(row - 1, column - 1)) {
        StorePixel(line + column * bytesPerPixel, bytesPerPixel, black);
      }
    }
  }
}
