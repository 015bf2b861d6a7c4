#include "host/conversion/ColourConversion.h"

#include <cstring>

namespace {

// The nearest value of `bits` bits to an 8-bit component.
constexpr std::uint32_t Narrow(std::uint32_t component, int bits) {
  const std::uint32_t top = (1u << bits) - 1;
  return (component * top + 127) / 255;
}

}  // namespace

PixelFormat PixelFormatFor(int depth, bool is565) {
  if (depth == 16) return is565 ? PixelFormat::Rgb565 : PixelFormat::Rgb555;
  return PixelFormat::Rgb32;
}

std::uint32_t ColourRgb(const std::uint8_t* colourRam, int index, bool gameGear) {
  std::uint32_t r, g, b;
  if (gameGear) {
    const std::uint32_t low = colourRam[(index & 31) * 2];
    const std::uint32_t high = colourRam[(index & 31) * 2 + 1];
    r = (low & 0x0F) * 17;
    g = (low >> 4) * 17;
    b = (high & 0x0F) * 17;
  } else {
    const std::uint32_t value = colourRam[index & 31];
    r = (value & 3) * 85;
    g = ((value >> 2) & 3) * 85;
    b = ((value >> 4) & 3) * 85;
  }
  return r << 16 | g << 8 | b;
}

std::uint32_t ColourPixel(std::uint32_t rgb, PixelFormat format) {
  const std::uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  switch (format) {
    case PixelFormat::Rgb555: return Narrow(r, 5) << 10 | Narrow(g, 5) << 5 | Narrow(b, 5);
    case PixelFormat::Rgb565: return Narrow(r, 5) << 11 | Narrow(g, 6) << 5 | Narrow(b, 5);
    case PixelFormat::Rgb32: break;
  }
  return rgb;
}

void ConvertPalette(const std::uint8_t* colourRam, bool gameGear, PixelFormat format, std::uint32_t (&palette)[32]) {
  for (int index = 0; index < 32; ++index) palette[index] = ColourPixel(ColourRgb(colourRam, index, gameGear), format);
}

void StorePixel(std::uint8_t* at, int bytesPerPixel, std::uint32_t pixel) {
  if (bytesPerPixel == 2) {
    const std::uint16_t value = static_cast<std::uint16_t>(pixel);
    std::memcpy(at, &value, 2);
  } else if (bytesPerPixel == 4) {
    std::memcpy(at, &pixel, 4);
  } else {
    at[0] = static_cast<std::uint8_t>(pixel);
    at[1] = static_cast<std::uint8_t>(pixel >> 8);
    at[2] = static_cast<std::uint8_t>(pixel >> 16);
  }
}
