#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/display/PictureLayout.h"
#include "host/files/Result.h"

class HeadlessDisplay;

// Writes the display's back surface, as the player would see it, to a PNG
// file (8-bit RGB): the whole surface, or only `area` of it when given (an
// area that does not fit the surface writes nothing). A failure with its
// reason on any failure.
Result WriteScreenshot(const HeadlessDisplay& display, const std::string& path, const PictureRect* area = nullptr);

// Encodes 8-bit RGB pixels (`height` rows of `width` * 3 bytes, top row
// first) as the bytes of a PNG file. A failure with the reason (libpng's
// English words, shown as they are).
Result EncodeRgbPng(const std::uint8_t* rgb, int width, int height, std::vector<std::uint8_t>& png);
