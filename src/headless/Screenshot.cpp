#include "headless/Screenshot.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/files/AtomicFile.h"
#include "headless/HeadlessDisplay.h"

Result WriteScreenshot(const HeadlessDisplay& display, const std::string& path, const PictureRect* area) {
  PictureRect part{0, 0, display.BackWidth(), std::min(display.BackHeight(), display.frameRows)};
  if (area) {
    if (area->x < 0 || area->y < 0 || area->x + area->width > part.width || area->y + area->height > part.height) {
      return LogReason("no picture to write");
    }
    part = *area;
  }
  const int width = part.width;
  const int height = part.height;
  if (width <= 0 || height <= 0) return LogReason("no picture to write");
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
  if (const Result encoded = EncodeRgbPng(rgb.data(), width, height, png); !encoded) {
    return LogReason("cannot encode '" + path + "': " + encoded.Log());
  }
  // Written whole under a temporary name and renamed: a failure leaves no
  // partial picture behind.
  return WriteFileAtomically(path, png, LinkPolicy::kReplaceLink);
}

Result EncodeRgbPng(const std::uint8_t* rgb, int width, int height, std::vector<std::uint8_t>& png) {
  if (width <= 0 || height <= 0) return LogReason("no picture to write");
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
  const std::string message = ok ? std::string() : std::string(image.message);
  png_image_free(&image);
  if (!ok) {
    png.clear();
    return LogReason(message);
  }
  png.resize(size);
  return {};
}
