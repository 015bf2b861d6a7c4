#include "host/display/PictureFilter.h"

#include <cstring>

namespace {
constexpr const char* kNames[] = {"none", "smooth", "scanlines", "lcd"};
// How much light a darkened screen pixel keeps, out of 255: a scanline's
// gap is deep, the LCD's lines between cells faint (fainter still at two
// screen pixels a cell, where every second line is one).
constexpr std::uint8_t kScanlineShade = 150;
constexpr std::uint8_t kGridShade = 190;
constexpr std::uint8_t kNarrowGridShade = 215;
}  // namespace

const char* PictureFilterName(PictureFilter filter) {
  const int index = static_cast<int>(filter);
  return index >= 0 && index < 4 ? kNames[index] : kNames[0];
}

PictureFilter PictureFilterFromName(const char* name) {
  for (int index = 0; name && index < 4; ++index) {
    if (std::strcmp(name, kNames[index]) == 0) return static_cast<PictureFilter>(index);
  }
  return PictureFilter::kNone;
}

bool FilterShades(PictureFilter filter, ShadeAxis axis, int shown, int console, std::uint8_t* shades) {
  if (shown <= 0) return false;
  std::memset(shades, 255, static_cast<std::size_t>(shown));
  const bool scanlines = filter == PictureFilter::kScanlines && axis == ShadeAxis::kRows;
  if ((!scanlines && filter != PictureFilter::kLcd) || console <= 0 || shown < 2 * console) return false;
  // Screen pixel i shows console pixel (2i + 1) * console / (2 * shown),
  // the one under its centre, as nearest sampling picks it; each run of
  // screen pixels showing the same console pixel is shaded as a whole.
  auto consolePixel = [&](int i) {
    return static_cast<int>((2LL * i + 1) * console / (2LL * shown));
  };
  int start = 0;
  while (start < shown) {
    const int pixel = consolePixel(start);
    int end = start + 1;
    while (end < shown && consolePixel(end) == pixel) ++end;
    const int span = end - start;
    if (scanlines) {
      std::memset(shades + start + (span + 1) / 2, kScanlineShade, static_cast<std::size_t>(span / 2));
    } else if (span >= 2) {
      shades[end - 1] = span == 2 ? kNarrowGridShade : kGridShade;
    }
    start = end;
  }
  return true;
}

std::uint32_t MixPixels(std::uint32_t a, std::uint32_t b, int depth, bool is565) {
  // The channels' low bits: those a shift right would carry into the
  // channel below.
  const std::uint32_t low = depth == 16 ? (is565 ? 0x0821u : 0x0421u) : 0x010101u;
  const std::uint32_t whole = depth == 16 ? (is565 ? 0xFFFFu : 0x7FFFu) : 0xFFFFFFu;
  const std::uint32_t keep = ~low & whole;
  return (((a & keep) >> 1) + ((b & keep) >> 1) + (a & b & low)) & whole;
}

void LcdGhosting::Apply(const SurfaceLock& lock, int depth, bool is565, int rows) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  if (!lock.bits || lock.pitch < kWidth * bytesPerPixel || rows <= 0 || rows > kMaxHeight) return;
  if (!previous) previous = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(kWidth) * kMaxHeight * 4);
  const bool mix = primed && primedDepth == depth && primedRows == rows;
  // As MixPixels, with the masks worked out once.
  const std::uint32_t low = depth == 16 ? (is565 ? 0x0821u : 0x0421u) : 0x010101u;
  const std::uint32_t whole = depth == 16 ? (is565 ? 0xFFFFu : 0x7FFFu) : 0xFFFFFFu;
  const std::uint32_t keep = ~low & whole;
  const std::size_t rowBytes = static_cast<std::size_t>(kWidth) * bytesPerPixel;
  for (int y = 0; y < rows; ++y) {
    std::uint8_t* line = lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch;
    std::uint8_t* kept = previous.get() + static_cast<std::size_t>(y) * rowBytes;
    if (!mix) {
      std::memcpy(kept, line, rowBytes);
      continue;
    }
    if (bytesPerPixel == 4) {
      // Through word arrays, which the compiler turns into vector code.
      std::uint32_t now[kWidth], before[kWidth];
      std::memcpy(now, line, sizeof now);
      std::memcpy(before, kept, sizeof before);
      std::memcpy(kept, now, sizeof now);
      for (int x = 0; x < kWidth; ++x) now[x] = (((now[x] & keep) >> 1) + ((before[x] & keep) >> 1) + (now[x] & before[x] & low)) & whole;
      std::memcpy(line, now, sizeof now);
    } else if (bytesPerPixel == 2) {
      std::uint16_t now[kWidth], before[kWidth];
      std::memcpy(now, line, sizeof now);
      std::memcpy(before, kept, sizeof before);
      std::memcpy(kept, now, sizeof now);
      for (int x = 0; x < kWidth; ++x) {
        now[x] = static_cast<std::uint16_t>((((now[x] & keep) >> 1) + ((before[x] & keep) >> 1) + (now[x] & before[x] & low)) & whole);
      }
      std::memcpy(line, now, sizeof now);
    } else {
      // Three bytes a pixel: each byte is a channel of its own.
      for (std::size_t i = 0; i < rowBytes; ++i) {
        const std::uint8_t now = line[i];
        line[i] = static_cast<std::uint8_t>((now + kept[i]) >> 1);
        kept[i] = now;
      }
    }
  }
  primed = true;
  primedDepth = depth;
  primedRows = rows;
}

void DarkenedRow(const std::uint8_t* from, std::uint8_t* bright, std::uint8_t* dark, int width, int depth,
                 bool is565) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  const std::size_t bytes = static_cast<std::size_t>(width) * bytesPerPixel;
  std::memcpy(bright, from, bytes);
  if (bytesPerPixel == 3) {
    for (std::size_t i = 0; i < bytes; ++i) dark[i] = static_cast<std::uint8_t>((from[i] * 3) >> 2);
    return;
  }
  const std::uint32_t low = depth == 16 ? (is565 ? 0x0821u : 0x0421u) : 0x010101u;
  const std::uint32_t whole = depth == 16 ? (is565 ? 0xFFFFu : 0x7FFFu) : 0xFFFFFFu;
  const std::uint32_t keep = ~low & whole;
  // A half and a quarter of each channel: neither runs into the next.
  auto darker = [&](std::uint32_t pixel) {
    const std::uint32_t half = (pixel & keep) >> 1;
    return half + ((half & keep) >> 1);
  };
  if (bytesPerPixel == 4) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t pixel;
      std::memcpy(&pixel, from + x * 4, 4);
      pixel = darker(pixel);
      std::memcpy(dark + x * 4, &pixel, 4);
    }
  } else {
    for (int x = 0; x < width; ++x) {
      std::uint16_t pixel;
      std::memcpy(&pixel, from + x * 2, 2);
      pixel = static_cast<std::uint16_t>(darker(pixel));
      std::memcpy(dark + x * 2, &pixel, 2);
    }
  }
}
