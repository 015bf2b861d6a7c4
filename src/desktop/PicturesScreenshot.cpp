#include "desktop/PicturesScreenshot.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "headless/Screenshot.h"
#include "host/conversion/ColourConversion.h"
#include "host/display/PictureLayout.h"
#include "host/i18n/Translate.h"

namespace {

// More shots than this within one millisecond means something is wrong.
constexpr int kMaxSuffix = 1000;

// What a system error did to `path`.
Reason SystemError(const std::string& path, int error) { return AboutPath(path, SystemReason(error)); }

bool WriteAll(int descriptor, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

std::string PicturesScreenshotFolder() {
  const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
  std::string folder = pictures && *pictures ? pictures : std::string(g_get_home_dir()) + "/Pictures";
  return folder + "/Tavrin";
}

std::string ScreenshotFileName(std::chrono::system_clock::time_point when, const std::string& image) {
  std::string game = image.substr(image.find_last_of('/') + 1);
  if (const std::size_t dot = game.rfind('.'); dot != std::string::npos && dot > 0) game.erase(dot);
  for (char& c : game) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
        c == '"' || c == '<' || c == '>' || c == '|') {
      c = '_';
    }
  }
  if (game.empty() || game[0] == '.') game.insert(0, "tavrin");
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char name[64];
  std::snprintf(name, sizeof name, "-%04d%02d%02d-%02d%02d%02d-%03d.png", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis < 0 ? millis + 1000 : millis));
  return game + name;
}

Result SaveScreenshotInFolder(const std::uint8_t* rgb, int width, int height, const std::string& folder,
                              std::chrono::system_clock::time_point when, std::string& path,
                              const std::string& image) {
  path.clear();
  std::vector<std::uint8_t> png;
  if (Result encoded = EncodeRgbPng(rgb, width, height, png); !encoded) return encoded;
  if (g_mkdir_with_parents(folder.c_str(), 0755) != 0) return SystemError(folder, errno);
  // The picture is written and synced under a temporary name, then given its
  // name with link(), which fails rather than replace a file already there:
  // no shot ever overwrites another, even one another run takes at once.
  std::string temporary = folder + "/.tavrin-shot-XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return SystemError(folder, errno);
  const bool written = WriteAll(descriptor, png) && ::fsync(descriptor) == 0;
  const int writeError = errno;
  ::fchmod(descriptor, 0644);
  ::close(descriptor);
  if (!written) {
    ::unlink(temporary.c_str());
    return SystemError(temporary, writeError);
  }
  const std::string name = ScreenshotFileName(when, image);
  const std::string stem = folder + "/" + name.substr(0, name.size() - 4);
  Reason failed;
  for (int suffix = 1; suffix <= kMaxSuffix; ++suffix) {
    const std::string candidate = suffix == 1 ? stem + ".png" : stem + "-" + std::to_string(suffix) + ".png";
    if (::link(temporary.c_str(), candidate.c_str()) == 0) {
      path = candidate;
      break;
    }
    if (errno == EPERM || errno == EOPNOTSUPP) {
      // A file system without hard links (FAT on a memory card): the name is
      // checked first, then taken by rename.
      struct stat there;
      if (::lstat(candidate.c_str(), &there) == 0) continue;
      if (::rename(temporary.c_str(), candidate.c_str()) == 0) {
        path = candidate;
      } else {
        failed = SystemError(candidate, errno);
      }
      break;
    }
    if (errno != EEXIST) {
      failed = SystemError(candidate, errno);
      break;
    }
  }
  ::unlink(temporary.c_str());
  if (path.empty()) {
    if (failed.Empty()) {
      failed = Reason{"'" + stem + ".png': too many screenshots of that name",
                      Format(Tr("« %s.png » : trop de captures de ce nom"), stem.c_str())};
    }
    return failed;
  }
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

Result SaveScreenshotToPictures(const std::uint8_t* rgb, int width, int height, std::string& path,
                                const std::string& image) {
  return SaveScreenshotInFolder(rgb, width, height, PicturesScreenshotFolder(), std::chrono::system_clock::now(),
                                path, image);
}

std::vector<std::uint8_t> ConsolePictureRgb(const std::uint8_t* frame, const std::uint8_t* colourRam, bool gameGear,
                                            int& width, int& height, const std::uint16_t* colours,
                                            int frameHeight) {
  PictureRect area = VisiblePicture(gameGear);
  // A Master System frame of mode 4's taller pictures is shown whole.
  if (!gameGear && !colours && (frameHeight == 224 || frameHeight == 240)) area.height = frameHeight;
  width = area.width;
  height = area.height;
  std::uint32_t palette[32];
  for (int index = 0; index < 32; ++index) palette[index] = ColourRgb(colourRam, index, gameGear);
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* out = rgb.data();
  for (int y = area.y; y < area.y + height; ++y) {
    for (int x = area.x; x < area.x + width; ++x) {
      const std::uint32_t pixel = colours ? ColourWordRgb(colours[y * 256 + x]) : palette[frame[y * 256 + x] & 31];
      *out++ = static_cast<std::uint8_t>(pixel >> 16);
      *out++ = static_cast<std::uint8_t>(pixel >> 8);
      *out++ = static_cast<std::uint8_t>(pixel);
    }
  }
  return rgb;
}
