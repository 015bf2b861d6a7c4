#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/files/Thumbnail.h"

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> head, std::size_t pixels, std::size_t extra = 0) {
  std::vector<std::uint8_t> bytes;
  for (int byte : head) bytes.push_back(static_cast<std::uint8_t>(byte));
  bytes.resize(bytes.size() + pixels * 3 + extra, 0x40);
  return bytes;
}

// A state's picture comes back as written; a sidecar file that is anything
// else (damaged, from elsewhere, or made to be large) is refused whole.
TEST(Thumbnail, ComesBackAsWrittenAndAnythingElseIsRefused) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavrin-thumb-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "demo.sms.state1.thumb").string();

  // A Master System picture: a left half red, a right half blue.
  std::vector<std::uint8_t> picture(256 * 192 * 3);
  for (int y = 0; y < 192; ++y) {
    for (int x = 0; x < 256; ++x) picture[(y * 256 + x) * 3 + (x < 128 ? 0 : 2)] = 0xFF;
  }
  const Thumbnail small = ShrinkPicture(picture.data(), 256, 192);
  ASSERT_EQ(small.width, 64);
  ASSERT_EQ(small.height, 48);
  EXPECT_EQ(small.rgb[0], 0xFF);                     // top left red
  EXPECT_EQ(small.rgb[(47 * 64 + 63) * 3 + 2], 0xFF);  // bottom right blue
  const Thumbnail gameGear = ShrinkPicture(picture.data(), 160, 144);
  EXPECT_TRUE(gameGear.width <= kThumbnailMaxWidth && gameGear.height <= kThumbnailMaxHeight);
  ASSERT_TRUE(WriteThumbnail(path, small));
  Thumbnail read;
  ASSERT_TRUE(ReadThumbnail(path, read));
  EXPECT_EQ(read.width, 64);
  EXPECT_EQ(read.height, 48);
  EXPECT_EQ(read.rgb, small.rgb);

  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"a header cut short", Bytes({'T', 'V', 'T', 'N', 1, 2}, 0)},
      {"another magic", Bytes({'T', 'V', 'T', 'X', 1, 2, 2}, 4)},
      {"another version", Bytes({'T', 'V', 'T', 'N', 2, 2, 2}, 4)},
      {"no width", Bytes({'T', 'V', 'T', 'N', 1, 0, 2}, 0)},
      {"too wide", Bytes({'T', 'V', 'T', 'N', 1, 65, 2}, 130)},
      {"too tall", Bytes({'T', 'V', 'T', 'N', 1, 2, 49}, 98)},
      {"a pixel short", Bytes({'T', 'V', 'T', 'N', 1, 2, 2}, 3)},
      {"a byte after the pixels", Bytes({'T', 'V', 'T', 'N', 1, 2, 2}, 4, 1)},
      {"the largest header with a megabyte after it", Bytes({'T', 'V', 'T', 'N', 1, 64, 48}, 64 * 48, 1 << 20)},
  };
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
    Thumbnail refused;
    EXPECT_FALSE(ReadThumbnail(path, refused)) << c.what;
    EXPECT_TRUE(refused.Empty() && refused.rgb.empty()) << c.what;
  }
  // None at all (a state saved before pictures were kept), and a folder.
  std::filesystem::remove(path);
  Thumbnail none;
  EXPECT_FALSE(ReadThumbnail(path, none));
  std::filesystem::create_directories(path);
  EXPECT_FALSE(ReadThumbnail(path, none));
  std::filesystem::remove_all(folder);
}

}  // namespace
