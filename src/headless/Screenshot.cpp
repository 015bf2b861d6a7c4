#include "headless/Screenshot.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/files/AtomicFile.h"
#include "headless/HeadlessDisplay.h"

bool WriteScreenshot(const HeadlessDisplay& display, const std::string& path, std::string& error,
                     const PictureRect* area) {
  PictureRect part{0, 0, display.BackWidth(), std::min(display.BackHeight(), display.frameRows)};
  if (area) {
    if (area->x < 0 || area->y < 0 || area->x + area->width > part.width || area->y + area->height > part.height) {
      error = "no picture to write";
      return false;
    }
    part = *area;
  }
  const int width = part.width;
  const int height = part.height;
  if (width <= 0 || height <= 0) {
    error = "no picture to write";
    return false;
  }
  std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t pixel = display.BackPixelRgb(part.x + x, part.y + y);
      png_byte* out = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      out[0] = static_cast<png_byte>(pixel >> 16);
      out[1] = static_cast<png_byte>(pixel >> 8);
      out[2] = static_cast<png_byte>(pixel);
    }
  }

  std::vector<std::uint8_t> png;
  if (!EncodeRgbPng(rgb.data(), width, height, png, error)) {
    error = "cannot encode '" + path + "': " + error;
    return false;
  }
  // Written whole under a temporary name and renamed: a failure leaves no
  // partial picture behind.
  const Result written = WriteFileAtomically(path, png, LinkPolicy::kReplaceLink);
  if (!written) error = written.Log();
  return static_cast<bool>(written);
}

bool EncodeRgbPng(const std::uint8_t* rgb, int width, int height, std::vector<std::uint8_t>& png, std::string& error) {
  if (width <= 0 || height <= 0) {
    error = "no picture to write";
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  // Encoded in memory: once to learn the size, once into the buffer.
  png_alloc_size_t size = 0;
  bool ok = png_image_write_to_memory(&image, nullptr, &size, 0, rgb, width * 3, nullptr) != 0;
  png.assign(size, 0);
  ok = ok && png_image_write_to_memory(&image, png.data(), &size, 0, rgb, width * 3, nullptr) != 0;
  if (!ok) error = image.message;
  png_image_free(&image);
  if (ok) {
    png.resize(size);
  } else {
    png.clear();
  }
  return ok;
}
