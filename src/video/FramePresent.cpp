// End of frame: the frame-rate figure, and the conversion of the indexed
// frame into the host's back surface through the colour table.
#include <cstring>

#include "video/DxCheck.h"
#include "video/MillisecondClock.h"
#include "video/Video.h"

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

void DrawDigit(std::uint8_t* frame, unsigned digit, int left) {
  for (int row = 0; row < 8; ++row) {
    std::uint8_t bits = kDigitGlyphs[digit][row];
    for (int column = 0; column < 8; ++column) {
      frame[row * Video::kWidth + left + column] = (bits & (0x80 >> column)) ? 1 : 0;
    }
  }
}

}  // namespace

void Video::DrawFrameRate() {
  std::uint32_t seconds = (MillisecondsNow() - startTime) / 1000u;
  if (seconds == 0) seconds = 1;
  std::uint32_t rate = static_cast<std::uint32_t>(frameCount) / seconds;
  if (rate > 999) rate = 999;  // three digits are all there is room for
  DrawDigit(frame, rate / 100, 0);
  DrawDigit(frame, (rate % 100) / 10, 8);
  DrawDigit(frame, rate % 10, 16);
}

void Video::EndFrame() {
  ++frameCount;
  if (showFrameRate) DrawFrameRate();
  frameDone = true;

  // Without a back surface (the host could not make one) there is nothing to
  // draw into or present.
  if (!display || !display->HasSurfaces()) return;
  if (DxCheck(display->LockBack(lockDesc), "Back Lock")) return;
  ConvertFrame(lockDesc, display->depth);
  if (DxCheck(display->UnlockBack(), "Back Unlock")) return;
  display->Present();
}

void Video::ConvertFrame(const SurfaceLock& lock, int depth) const {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  // A lock that hands back no memory, or rows too short for the picture,
  // gets nothing written rather than a write past its end.
  if (!lock.bits || lock.pitch < kWidth * bytesPerPixel) return;

  for (int y = 0; y < kHeight; ++y) {
    const std::uint8_t* source = frame + y * kWidth;
    std::uint8_t* destination = lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch;
    if (bytesPerPixel == 2) {
      std::uint16_t row[kWidth];
      for (int x = 0; x < kWidth; ++x) row[x] = static_cast<std::uint16_t>(colours[source[x] & 0x1F]);
      std::memcpy(destination, row, sizeof row);
    } else if (bytesPerPixel == 4) {
      std::uint32_t row[kWidth];
      for (int x = 0; x < kWidth; ++x) row[x] = colours[source[x] & 0x1F];
      std::memcpy(destination, row, sizeof row);
    } else {
      // Three bytes a pixel: blue, green, red.
      for (int x = 0; x < kWidth; ++x) {
        std::uint32_t pixel = colours[source[x] & 0x1F];
        destination[x * 3] = static_cast<std::uint8_t>(pixel);
        destination[x * 3 + 1] = static_cast<std::uint8_t>(pixel >> 8);
        destination[x * 3 + 2] = static_cast<std::uint8_t>(pixel >> 16);
      }
    }
  }
}
