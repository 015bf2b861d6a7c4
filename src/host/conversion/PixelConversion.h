#pragma once

#include <cstddef>
#include <cstdint>

#include "host/conversion/ColourConversion.h"

// Turns rows of colour indexes into host pixels through a 32-entry palette
// (from ConvertPalette). Indexes are masked to 0-31. Pixels are 2, 3 or 4
// bytes (3: blue, green, red). Where the processor has them (checked once at
// run time) whole vectors of pixels go at a time; the rest one by one.
struct PixelRows {
  const std::uint8_t* indexes;    // the first row's first index
  std::ptrdiff_t indexPitch;      // bytes from one row of indexes to the next
  std::uint8_t* pixels;           // the first row's first host pixel
  std::ptrdiff_t pixelPitch;      // bytes from one row of pixels to the next
  int width;                      // pixels a row
  int height;                     // rows
  int bytesPerPixel;              // 2, 3 or 4
};

void ConvertPixelRows(const PixelRows& rows, const std::uint32_t (&palette)[32]);

// Rows of colour words (----BBBBGGGGRRRR, as the console leaves a picture it
// cannot give as indexes) into host pixels of the given format.
struct ColourWordRows {
  const std::uint16_t* colours;   // the first row's first colour
  std::ptrdiff_t colourPitch;     // colours from one row to the next
  std::uint8_t* pixels;           // the first row's first host pixel
  std::ptrdiff_t pixelPitch;      // bytes from one row of pixels to the next
  int width;                      // pixels a row
  int height;                     // rows
  int bytesPerPixel;              // 2, 3 or 4
};

void ConvertColourWordRows(const ColourWordRows& rows, PixelFormat format);
