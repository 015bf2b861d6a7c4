#pragma once

#include <cstdint>
#include <string>

class HeadlessDisplay;

// Writes the display's back surface, as the player would see it, to a PNG
// file (8-bit RGB). False with a reason in `error` on any failure.
bool WriteScreenshot(const HeadlessDisplay& display, const std::string& path, std::string& error);
