#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "debug/DebugConsole.h"
#include "machine/Machine.h"

namespace {

constexpr std::size_t kMaxPathLength = Machine::kPathCapacity - 1;

// The battery RAM file's name: the image's path without a three-letter
// extension, plus ".sav" (game.sms gives game.sav, game.sc gives game.sc.sav).
// False when the name would not fit the path buffer.
bool BatteryFileName(const char* imagePath, char (&name)[Machine::kPathCapacity]) {
  std::size_t length = std::strlen(imagePath);
  std::size_t stem = (length >= 4 && imagePath[length - 4] == '.') ? length - 4 : length;
  if (stem + 4 > kMaxPathLength) return false;
  std::memcpy(name, imagePath, stem);
  std::memcpy(name + stem, ".sav", 5);
  return true;
}

// A Game Gear image is named *.gg in any mix of case.
bool IsGameGearPath(const char* path) {
  std::size_t length = std::strlen(path);
  if (length < 3 || path[length - 3] != '.') return false;
  auto isG = [](char c) { return c == 'g' || c == 'G'; };
  return isG(path[length - 2]) && isG(path[length - 1]);
}

void LogRegion(std::uint8_t code) {
  switch (code & 0xF0) {
    case 0x50: LogPrintf("Japan\n"); break;
    case 0x60: LogPrintf("Japan/USA/Europe\n"); break;
    case 0x70: LogPrintf("USA/Europe\n"); break;
    default: LogPrintf("Unknown: %02X\n", code & 0xF0); break;
  }
}

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

bool Machine::LoadCart(const char* path) {
  if (!path) path = "";
  char saveName[kPathCapacity];
  if (std::strlen(path) > kMaxPathLength || !BatteryFileName(path, saveName)) {
    // A cut path would name some other image's battery file.
    LogPrintf("Cart path is too long (at most %d characters with its .sav name): %.200s...\r\n",
              static_cast<int>(kMaxPathLength), path);
    return false;
  }

  struct stat info;
  File file = OpenRegularFile(path, info);
  if (!file) {
    LogPrintf("file error\r\n");
    return false;
  }

  long length = static_cast<long>(info.st_size);
  long pages = length / kPageSize;
  long headerLength = length - pages * kPageSize;
  if (pages == 0) {
    LogPrintf("Cart is too small: %ld bytes, a cartridge holds at least one 16384-byte page.\r\n",
              length);
    return false;
  }
  if (headerLength > 0) {
    LogPrintf("Skipping %ld byte header.\r\n", headerLength);
    std::fseek(file.get(), headerLength, SEEK_SET);
  }
  if (pages > kMaxPages) {
    LogPrintf("Cart is too big!\n");
    pages = kMaxPages;
  }

  // Read the whole image before touching the machine, so a failed read leaves
  // the image that was running in place.
  std::unique_ptr<std::uint8_t[]> pagesRead(new (std::nothrow) std::uint8_t[pages * kPageSize]);
  if (!pagesRead) {
    LogPrintf("Cart needs more memory than there is.\r\n");
    return false;
  }
  std::size_t wanted = static_cast<std::size_t>(pages) * kPageSize;
  if (std::fread(pagesRead.get(), 1, wanted, file.get()) != wanted) {
    LogPrintf("Cart read error.\r\n");
    return false;
  }
  file.reset();

  // The image being replaced keeps its battery: RAM it mapped since the last
  // save is written to its own file first.
  if (userRamDirty) SaveUserRam();

  romData = std::move(pagesRead);
  pageCount = static_cast<std::int32_t>(pages);
  for (int i = 0; i < kMaxPages; ++i) {
    romPage[i] = i < pageCount ? romData.get() + static_cast<std::size_t>(i) * kPageSize : nullptr;
  }
  // The mapper keeps as many bank bits as the next power of two needs; a bank
  // past the last page then wraps onto the pages that exist (see Bank).
  pageMask = static_cast<std::uint8_t>(std::bit_ceil(static_cast<unsigned>(pageCount)) - 1);
  LogPrintf("Loaded %s, %d pages.\r\n", path, pageCount);

  if (IsGameGearPath(path)) {
    LogPrintf("Game Gear Mode: ");
    video.gameGear = true;
    LogRegion(romPage[Bank(1)][0x3FFF]);
  } else {
    video.gameGear = false;
  }

  // Both consoles keep their battery RAM beside the image.
  std::memcpy(fileName, path, std::strlen(path) + 1);
  userRamDirty = false;
  userRamFileLocked = false;
  std::memset(userRamStore, 0xFF, sizeof userRamStore);
  struct stat batteryInfo;
  File battery = OpenRegularFile(saveName, batteryInfo);
  if (battery) {
    std::size_t got = std::fread(userRam[0], 1, kPageSize, battery.get());
    if (got == kPageSize) got += std::fread(userRam[1], 1, kPageSize, battery.get());
    if (std::ferror(battery.get())) {
      std::memset(userRamStore, 0xFF, sizeof userRamStore);
      userRamFileLocked = true;
      LogPrintf("User Ram file %s cannot be read; it will be left as it is.\n", saveName);
    } else {
      if (got < static_cast<std::size_t>(kUserRamSize)) {
        LogPrintf("User Ram file holds %zu of %d bytes; the rest starts blank.\n", got, kUserRamSize);
      }
      LogPrintf("Loaded User Ram.\n");
    }
  } else if (errno != ENOENT) {
    userRamFileLocked = true;
    LogPrintf("User Ram file %s cannot be read (%s); it will be left as it is.\n", saveName,
              std::strerror(errno));
  }

  return true;
}

void Machine::SaveUserRam() {
  char saveName[kPathCapacity];
  if (fileName[0] == '\0' || !BatteryFileName(fileName, saveName) || userRamFileLocked) {
    LogPrintf("User Ram Save Error.\n");
    return;
  }
  // Write a complete new file beside the old one and only then rename it over,
  // so a crash, a full disk or a failed write never costs the previous save.
  std::string temporary = std::string(saveName) + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  bool written = out != nullptr;
  if (written) {
    written = std::fwrite(userRam[0], 1, kPageSize, out) == static_cast<std::size_t>(kPageSize) &&
              std::fwrite(userRam[1], 1, kPageSize, out) == static_cast<std::size_t>(kPageSize) &&
              std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    written = (std::fclose(out) == 0) && written;
    written = written && std::rename(temporary.c_str(), saveName) == 0;
    if (!written) std::remove(temporary.c_str());
  }
  if (!written) {
    LogPrintf("User Ram Save Error.\n");
    return;
  }
  userRamDirty = false;
  LogPrintf("Saved User Ram.\n");
}
