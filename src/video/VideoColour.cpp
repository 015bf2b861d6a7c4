// Colour RAM writes: each one goes straight into the host pixel table in the
// display's format, every component's top bits at the top of its field.
#include "video/Video.h"

Video::PixelFormat Video::DisplayPixelFormat() const {
  if (display && display->depth == 16) return display->is565 ? PixelFormat::Rgb565 : PixelFormat::Rgb555;
  // 24 and 32 bits, and every depth the picture does not know, use 0x00RRGGBB.
  return PixelFormat::Rgb32;
}

void Video::WriteColour(std::uint8_t value) {
  PixelFormat format = DisplayPixelFormat();

  if (!gameGear) {
    // Master System: 32 entries of one byte, --BBGGRR, two bits a component.
    address &= 0x1F;
    std::uint32_t r = value & 3u;
    std::uint32_t g = (value >> 2) & 3u;
    std::uint32_t b = (value >> 4) & 3u;
    std::uint32_t pixel = 0;
    switch (format) {
      case PixelFormat::Rgb555: pixel = r << 13 | g << 8 | b << 3; break;
      case PixelFormat::Rgb565: pixel = r << 14 | g << 9 | b << 3; break;
      case PixelFormat::Rgb32: pixel = r << 22 | g << 14 | b << 6; break;
    }
    colours[address] = pixel;
    return;
  }

  // Game Gear: 32 entries of two bytes, even GGGGRRRR, odd ----BBBB; each
  // four-bit component keeps its top three bits.
  address &= 0x3F;
  std::uint32_t& entry = colours[address >> 1];
  std::uint32_t v = value;
  bool even = (address & 1) == 0;
  switch (format) {
    case PixelFormat::Rgb555:
      entry = even ? (entry & 0x001Fu) | (v & 0x0Eu) << 11 | (v & 0xE0u) << 2
                   : (entry & ~0x001Fu & 0xFFFFu) | (v & 0x0Eu) << 1;
      break;
    case PixelFormat::Rgb565:
      entry = even ? (entry & 0x001Fu) | (v & 0x0Eu) << 12 | (v & 0xE0u) << 3
                   : (entry & ~0x001Fu & 0xFFFFu) | (v & 0x0Eu) << 1;
      break;
    case PixelFormat::Rgb32:
      entry = even ? (entry & 0x0000FFu) | (v & 0x0Eu) << 20 | (v & 0xE0u) << 8
                   : (entry & 0xFFFF00u) | (v & 0x0Eu) << 4;
      break;
  }
}
