#include "desktop/identity/AppIdentity.h"

#include <png.h>

#include <cstddef>

// The icon's PNG file, written into the build folder by CMake.
extern const unsigned char kAppIconPng[];
extern const std::size_t kAppIconPngSize;

namespace {

AppIconPixels Decode() {
  AppIconPixels icon;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, kAppIconPng, kAppIconPngSize)) return icon;
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return icon;
  }
  icon.width = static_cast<int>(image.width);
  icon.height = static_cast<int>(image.height);
  icon.rgba = std::move(rgba);
  return icon;
}

}  // namespace

const AppIconPixels& AppIcon() {
  static const AppIconPixels icon = Decode();
  return icon;
}
