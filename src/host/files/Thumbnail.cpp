#include "host/files/Thumbnail.h"

#include <algorithm>

#include "host/files/AtomicFile.h"
#include "host/files/FileRead.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'T', 'V', 'T', 'N'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 7;

}  // namespace

Thumbnail ShrinkPicture(const std::uint8_t* rgb, int width, int height) {
  Thumbnail thumbnail;
  if (!rgb || width <= 0 || height <= 0) return thumbnail;
  const int factor = std::max({1, (width + kThumbnailMaxWidth - 1) / kThumbnailMaxWidth,
                               (height + kThumbnailMaxHeight - 1) / kThumbnailMaxHeight});
  thumbnail.width = width / factor;
  thumbnail.height = height / factor;
  if (thumbnail.Empty()) return Thumbnail{};
  thumbnail.rgb.resize(static_cast<std::size_t>(thumbnail.width) * thumbnail.height * 3);
  for (int y = 0; y < thumbnail.height; ++y) {
    for (int x = 0; x < thumbnail.width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy) {
          for (int dx = 0; dx < factor; ++dx) {
            sum += rgb[(static_cast<std::size_t>(y * factor + dy) * width + (x * factor + dx)) * 3 + channel];
          }
        }
        thumbnail.rgb[(static_cast<std::size_t>(y) * thumbnail.width + x) * 3 + channel] =
            static_cast<std::uint8_t>(sum / (factor * factor));
      }
    }
  }
  return thumbnail;
}

std::string ThumbnailPath(const std::string& statePath) { return statePath + ".thumb"; }

Result WriteThumbnail(const std::string& path, const Thumbnail& thumbnail) {
  std::vector<std::uint8_t> bytes(kMagic, kMagic + 4);
  bytes.push_back(kVersion);
  bytes.push_back(static_cast<std::uint8_t>(thumbnail.width));
  bytes.push_back(static_cast<std::uint8_t>(thumbnail.height));
  bytes.insert(bytes.end(), thumbnail.rgb.begin(), thumbnail.rgb.end());
  return WriteFileAtomically(path, bytes, LinkPolicy::kFollowLink);
}

bool ReadThumbnail(const std::string& path, Thumbnail& thumbnail) {
  thumbnail = Thumbnail{};
  constexpr std::uint64_t kLargest = kHeaderBytes + kThumbnailMaxWidth * kThumbnailMaxHeight * 3;
  std::vector<std::uint8_t> bytes;
  if (ReadRegularFile(path, kLargest, bytes).error != 0 || bytes.size() < kHeaderBytes) return false;
  if (!std::equal(kMagic, kMagic + 4, bytes.begin()) || bytes[4] != kVersion) return false;
  const int width = bytes[5];
  const int height = bytes[6];
  if (width == 0 || height == 0 || width > kThumbnailMaxWidth || height > kThumbnailMaxHeight) return false;
  if (bytes.size() != kHeaderBytes + static_cast<std::size_t>(width) * height * 3) return false;
  thumbnail.width = width;
  thumbnail.height = height;
  thumbnail.rgb.assign(bytes.begin() + kHeaderBytes, bytes.end());
  return true;
}
