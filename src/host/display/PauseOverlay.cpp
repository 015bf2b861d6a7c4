#include "host/display/PauseOverlay.h"

#include <cstddef>
#include <cstring>

#include "host/i18n/Translate.h"
#include "host/conversion/ColourConversion.h"

namespace {

// Letters 4 pixels wide and 8 tall (bit 3 is the leftmost column; row 6 is
// the base line, row 7 holds descenders), only those the line uses in
// French and English. '-' stands for the long dash; a letter the table lacks
// is left blank.
struct Glyph {
  char letter;
  std::uint8_t rows[8];
};
constexpr Glyph kGlyphs[] = {
    {'P', {0xE, 0x9, 0x9, 0xE, 0x8, 0x8, 0x8, 0x0}}, {'a', {0x0, 0x0, 0x6, 0x1, 0x7, 0x9, 0x7, 0x0}},
    {'u', {0x0, 0x0, 0x9, 0x9, 0x9, 0xB, 0x5, 0x0}}, {'s', {0x0, 0x0, 0x7, 0x8, 0x6, 0x1, 0xE, 0x0}},
    {'e', {0x0, 0x0, 0x6, 0x9, 0xF, 0x8, 0x7, 0x0}}, {'c', {0x0, 0x0, 0x7, 0x8, 0x8, 0x8, 0x7, 0x0}},
    {'l', {0xC, 0x4, 0x4, 0x4, 0x4, 0x4, 0xE, 0x0}}, {'i', {0x4, 0x0, 0xC, 0x4, 0x4, 0x4, 0xE, 0x0}},
    {'q', {0x0, 0x0, 0x7, 0x9, 0x9, 0x7, 0x1, 0x1}}, {'z', {0x0, 0x0, 0xF, 0x2, 0x4, 0x8, 0xF, 0x0}},
    {'p', {0x0, 0x0, 0xE, 0x9, 0x9, 0xE, 0x8, 0x8}}, {'o', {0x0, 0x0, 0x6, 0x9, 0x9, 0x9, 0x6, 0x0}},
    {'r', {0x0, 0x0, 0xB, 0xC, 0x8, 0x8, 0x8, 0x0}}, {'n', {0x0, 0x0, 0xE, 0x9, 0x9, 0x9, 0x9, 0x0}},
    {'t', {0x0, 0x4, 0xE, 0x4, 0x4, 0x4, 0x3, 0x0}}, {'-', {0x0, 0x0, 0x0, 0x0, 0xF, 0x0, 0x0, 0x0}},
    {'d', {0x1, 0x1, 0x7, 0x9, 0x9, 0x9, 0x7, 0x0}}, {'k', {0x8, 0x8, 0x9, 0xA, 0xC, 0xA, 0x9, 0x0}},
};
constexpr int kAdvance = 5;

// The line in the player's language, read once a frame it is drawn on.
const char* Text() {
  // TRANSLATORS: drawn over the paused picture in a tiny font that has only
  // the letters of "Pause - cliquez pour continuer" and "Paused - click to
  // continue"; keep it under 32 characters.
  return Tr("Pause - cliquez pour continuer");
}

const std::uint8_t* RowsOf(char letter) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == letter) return glyph.rows;
  }
  return nullptr;  // a space
}

void Store(std::uint8_t* at, int bytesPerPixel, std::uint32_t pixel) {
  if (bytesPerPixel == 3) {
    at[0] = static_cast<std::uint8_t>(pixel);
    at[1] = static_cast<std::uint8_t>(pixel >> 8);
    at[2] = static_cast<std::uint8_t>(pixel >> 16);
  } else if (bytesPerPixel == 2) {
    const std::uint16_t value = static_cast<std::uint16_t>(pixel);
    std::memcpy(at, &value, 2);
  } else {
    std::memcpy(at, &pixel, 4);
  }
}

// Halves every channel of one pixel: a shift, with the bit each channel
// passes to its lower neighbour masked off.
void Dim(std::uint8_t* at, int bytesPerPixel, PixelFormat format) {
  if (bytesPerPixel == 3) {
    for (int i = 0; i < 3; ++i) at[i] = static_cast<std::uint8_t>(at[i] >> 1);
  } else if (bytesPerPixel == 2) {
    std::uint16_t value;
    std::memcpy(&value, at, 2);
    value = static_cast<std::uint16_t>((value >> 1) & (format == PixelFormat::Rgb565 ? 0x7BEF : 0x3DEF));
    std::memcpy(at, &value, 2);
  } else {
    std::uint32_t value;
    std::memcpy(&value, at, 4);
    value = (value >> 1) & 0x7F7F7F;
    std::memcpy(at, &value, 4);
  }
}

}  // namespace

int PauseTextWidth() { return static_cast<int>(std::strlen(Text())) * kAdvance - 1; }

void DrawPauseOverlay(const SurfaceLock& lock, int depth, bool is565, const PictureRect& area, const char* line) {
  const int bytesPerPixel = BackBytesPerPixel(depth);
  if (!lock.bits || area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0) return;
  if (lock.pitch < (area.x + area.width) * bytesPerPixel) return;
  const PixelFormat format = PixelFormatFor(depth, is565);
  auto pixelAt = [&](int x, int y) {
    return lock.bits + static_cast<std::ptrdiff_t>(y) * lock.pitch + static_cast<std::ptrdiff_t>(x) * bytesPerPixel;
  };
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) Dim(pixelAt(x, y), bytesPerPixel, format);
  }

  const std::uint32_t white = ColourPixel(0xFFFFFF, format);
  const std::uint32_t black = ColourPixel(0x000000, format);
  const char* text = line ? line : Text();
  const int length = static_cast<int>(std::strlen(text));
  const int left = area.x + (area.width - (length * kAdvance - 1)) / 2;
  const int top = area.y + (area.height - 8) / 2;
  // The shadow first, one pixel down and right, then the letters over it.
  for (int pass = 0; pass < 2; ++pass) {
    const int shift = pass == 0 ? 1 : 0;
    for (int i = 0; i < length; ++i) {
      const std::uint8_t* rows = RowsOf(text[i]);
      if (!rows) continue;
      for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 4; ++column) {
          if (!(rows[row] & (0x8 >> column))) continue;
          const int x = left + i * kAdvance + column + shift;
          const int y = top + row + shift;
          if (x < area.x || x >= area.x + area.width || y < area.y || y >= area.y + area.height) continue;
          Store(pixelAt(x, y), bytesPerPixel, pass == 0 ? black : white);
        }
      }
    }
  }
}
