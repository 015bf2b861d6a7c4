#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "desktop/PicturesScreenshot.h"
#include "host/display/FramePresenter.h"

namespace {

std::vector<std::uint8_t> Decode(const std::string& path, int& width, int& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return rgb;
}

TEST(PicturesScreenshot, NamedByTimeNeverOverwrittenAndDecodesToThePixels) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-shots-" + std::to_string(::getpid())) / "Pictures" / "Tavrin";
  std::filesystem::remove_all(folder.parent_path().parent_path());
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  // 2024-03-05 06:07:08.009 UTC
  const auto when = std::chrono::system_clock::time_point(std::chrono::milliseconds(1709618828009LL));
  struct Case {
    int width;
    int height;
    const char* image;
    const char* name;
  };
  const Case cases[] = {
      {256, 192, "/games/Sonic (USA).sms", "Sonic (USA)-20240305-060708-009.png"},  // named after the game
      {256, 192, "", "tavrin-20240305-060708-009.png"},
      {160, 144, "", "tavrin-20240305-060708-009-2.png"},  // same moment: a suffix, the first one kept
      {256, 192, "/x/.hidden", "tavrin.hidden-20240305-060708-009.png"},
      {256, 192, "a:b|c.gg", "a_b_c-20240305-060708-009.png"},
  };
  std::vector<std::string> written;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(c.width) * c.height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + c.width);
    std::string path;
    const Result saved = SaveScreenshotInFolder(rgb.data(), c.width, c.height, folder.string(), when, path, c.image);
    ASSERT_TRUE(saved) << saved.Log();
    ASSERT_EQ(path, (folder / c.name).string());
    int width = 0;
    int height = 0;
    EXPECT_EQ(Decode(path, width, height), rgb);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    written.push_back(path);
  }
  // Only the pictures are left: no temporary file.
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
  EXPECT_EQ(files, written.size());

  // A folder that cannot be made is an error, not a crash.
  std::ofstream(folder / "file") << "x";
  std::string path;
  std::vector<std::uint8_t> rgb(256 * 192 * 3);
  const Result saved = SaveScreenshotInFolder(rgb.data(), 256, 192, (folder / "file" / "sub").string(), when, path);
  EXPECT_FALSE(saved);
  EXPECT_EQ(path, "");
  EXPECT_FALSE(saved.Shown().empty());
  ::unsetenv("TZ");
  ::tzset();
  std::filesystem::remove_all(folder.parent_path().parent_path());
}

}  // namespace

namespace {

// The desktop's shot holds the pixels the display shows: the frame converted
// at 32 bits, all of it on the Master System, the 160 x 144 window on the
// Game Gear.
TEST(PicturesScreenshot, ConsolePictureMatchesTheConvertedFrame) {
  std::vector<std::uint8_t> frame(256 * 192);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 31);
  std::uint8_t colourRam[64];
  for (int i = 0; i < 64; ++i) colourRam[i] = static_cast<std::uint8_t>(i * 37 + 11);
  struct Case {
    bool gameGear;
    int x, y, width, height;
  };
  for (const Case& c : {Case{false, 0, 0, 256, 192}, Case{true, 48, 24, 160, 144}}) {
    std::vector<std::uint32_t> surface(256 * 192);
    SurfaceLock lock;
    lock.bits = reinterpret_cast<std::uint8_t*>(surface.data());
    lock.pitch = 256 * 4;
    FramePresenter::Convert(frame.data(), colourRam, c.gameGear, lock, 32, false);
    int width = 0, height = 0;
    const std::vector<std::uint8_t> rgb = ConsolePictureRgb(frame.data(), colourRam, c.gameGear, width, height);
    ASSERT_EQ(width, c.width);
    ASSERT_EQ(height, c.height);
    ASSERT_EQ(rgb.size(), static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint32_t shown = surface[static_cast<std::size_t>(c.y + y) * 256 + c.x + x] & 0xFFFFFF;
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        ASSERT_EQ(static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]), shown)
            << (c.gameGear ? "Game Gear" : "Master System") << " at " << x << "," << y;
      }
    }
  }
}

}  // namespace
