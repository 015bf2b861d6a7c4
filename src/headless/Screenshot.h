#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/display/PictureLayout.h"

class HeadlessDisplay;

// Writes the display's back surface, as the player would see it, to a PNG
// file (8-bit RGB): the whole surface, or only `area` of it when given (an
// area that does not fit the surface writes nothing). False with a reason in
// `error` on any failure.
bool WriteScreenshot(const HeadlessDisplay& display, const std::string& path, std::string& error,
                     const PictureRect* area = nullptr);

// Encodes 8-bit RGB pixels (`height` rows of `width` * 3 bytes, top row
// first) as the bytes of a PNG file. False with a reason in `error`.
bool EncodeRgbPng(const std::uint8_t* rgb, int width, int height, std::vector<std::uint8_t>& png, std::string& error);
