#include "host/files/CartridgeFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "debug/DebugConsole.h"

namespace {

// An image is at most 64 pages of 16 KB plus a header shorter than a page.
constexpr std::size_t kMaxImageSize = 64 * 0x4000 + 0x3FFF;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading. Anything else (a folder, a device, a
// pipe that would block until someone writes to it) is refused with errno
// set, so no path can hang or confuse the loader.
File OpenRegularFile(const char* path, struct stat& info) {
  int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    errno = EISDIR;
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "rb");
  if (!file) ::close(descriptor);
  return File(file);
}

}  // namespace

bool ReadCartridgeImage(const char* path, std::vector<std::uint8_t>& bytes, std::string* reason) {
  if (!path) path = "";
  if (std::strlen(path) > kMaxPathLength || BatteryFileName(path).empty()) {
    // A cut path would name some other image's battery file.
    LogPrintf("Cart path is too long (at most %d characters with its .sav name): %.200s...\r\n",
              static_cast<int>(kMaxPathLength), path);
    if (reason) *reason = "the path is too long";
    return false;
  }
  struct stat info;
  File file = OpenRegularFile(path, info);
  if (!file) {
    const int error = errno;
    LogPrintf("file error\r\n");
    LogPrintf("  %s: %s\r\n", path, std::strerror(error));
    if (reason) *reason = error == EISDIR ? "it is not a regular file" : std::strerror(error);
    return false;
  }
  const std::size_t length = static_cast<std::size_t>(info.st_size);
  // Too big is left for the console to refuse with its own line; reading
  // stops well past the limit so a huge file costs nothing.
  const std::size_t wanted = length > kMaxImageSize ? kMaxImageSize + 1 : length;
  bytes.resize(wanted);
  if (std::fread(bytes.data(), 1, wanted, file.get()) != wanted) {
    const int error = std::ferror(file.get()) ? errno : 0;
    LogPrintf("Cart read error.\r\n");
    if (reason) *reason = error ? std::string("read error: ") + std::strerror(error) : "the file ended early";
    return false;
  }
  if (length > kMaxImageSize) bytes.resize(length > 65 * 0x4000 ? 65 * 0x4000 : length);
  return true;
}

std::string BatteryFileName(const char* imagePath) {
  const std::size_t length = std::strlen(imagePath);
  const std::size_t stem = (length >= 4 && imagePath[length - 4] == '.') ? length - 4 : length;
  if (stem + 4 > kMaxPathLength) return std::string();
  return std::string(imagePath, stem) + ".sav";
}

void BatteryFile::Attach(const char* imagePath, std::uint8_t* ram, std::size_t ramSize) {
  path = BatteryFileName(imagePath);
  locked = false;
  struct stat info;
  File battery = OpenRegularFile(path.c_str(), info);
  if (battery) {
    const std::size_t got = std::fread(ram, 1, ramSize, battery.get());
    if (std::ferror(battery.get())) {
      std::memset(ram, 0xFF, ramSize);
      locked = true;
      LogPrintf("User Ram file %s cannot be read; it will be left as it is.\n", path.c_str());
    } else {
      if (got < ramSize) LogPrintf("User Ram file holds %zu of %zu bytes; the rest starts blank.\n", got, ramSize);
      LogPrintf("Loaded User Ram.\n");
    }
  } else if (errno != ENOENT) {
    locked = true;
    LogPrintf("User Ram file %s cannot be read (%s); it will be left as it is.\n", path.c_str(), std::strerror(errno));
  }
}

bool BatteryFile::Save(const std::uint8_t* ram, std::size_t ramSize) {
  if (path.empty() || locked) {
    LogPrintf("User Ram Save Error.\n");
    return false;
  }
  // Write a complete new file beside the old one and only then rename it over,
  // so a crash, a full disk or a failed write never costs the previous save.
  const std::string temporary = path + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  bool written = out != nullptr;
  if (written) {
    written = std::fwrite(ram, 1, ramSize, out) == ramSize && std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    written = (std::fclose(out) == 0) && written;
    written = written && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) std::remove(temporary.c_str());
  }
  if (!written) {
    LogPrintf("User Ram Save Error.\n");
    return false;
  }
  LogPrintf("Saved User Ram.\n");
  return true;
}
