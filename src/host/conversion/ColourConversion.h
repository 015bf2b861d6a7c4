#pragma once

#include <cstdint>

// Turns the console's raw colour RAM into host pixels. Master System entries
// are one byte, --BBGGRR, each 2-bit component spread over 0, 85, 170, 255;
// Game Gear entries are a little-endian word, ----BBBBGGGGRRRR, each 4-bit
// component spread over 0-255 in steps of 17. At 16 bits a pixel each
// component takes the nearest value 5 (or green's 6) bits can hold.
enum class PixelFormat { Rgb555, Rgb565, Rgb32 };

// The format the conversion writes for a desktop depth (16 needs the layout;
// 24 and 32 both use 0x00RRGGBB values, written as 3 or 4 bytes).
PixelFormat PixelFormatFor(int depth, bool is565);

// One colour as 8-bit components, 0x00RRGGBB.
std::uint32_t ColourRgb(const std::uint8_t* colourRam, int index, bool gameGear);

// A colour word of the console's (----BBBBGGGGRRRR) as 8-bit components.
constexpr std::uint32_t ColourWordRgb(std::uint16_t word) {
  return (word & 0x0Fu) * 17 << 16 | ((word >> 4) & 0x0Fu) * 17 << 8 | ((word >> 8) & 0x0Fu) * 17;
}

// One colour in the given format.
std::uint32_t ColourPixel(std::uint32_t rgb, PixelFormat format);

// Stores one host pixel of 2, 3 or 4 bytes (3: blue, green, red) at `at`.
void StorePixel(std::uint8_t* at, int bytesPerPixel, std::uint32_t pixel);

// All 32 colours in the given format.
void ConvertPalette(const std::uint8_t* colourRam, bool gameGear, PixelFormat format, std::uint32_t (&palette)[32]);
