#include "app/Screenshot.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/headless/HeadlessDisplay.h"

bool WriteScreenshot(const HeadlessDisplay& display, const std::string& path, std::string& error,
                     const PictureRect* area) {
  PictureRect part{0, 0, display.BackWidth(), display.BackHeight()};
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

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  bool ok = png_image_write_to_stdio(&image, file, 0, rgb.data(), width * 3, nullptr) != 0;
  if (!ok) error = std::string("cannot encode '") + path + "': " + image.message;
  png_image_free(&image);
  if (std::fclose(file) != 0 && ok) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    ok = false;
  }
  return ok;
}
