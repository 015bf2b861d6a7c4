#include "host/files/StateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "console/Console.h"
#include "console/SaveState.h"

namespace {

// Well above any state's size: a larger file is refused before it is read.
constexpr std::size_t kLargestState = 1u << 20;

}  // namespace

bool ReadStateFile(const std::string& path, Console& console, std::string& error) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    error = "not a regular file";
    return false;
  }
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  if (size > kLargestState) {
    ::close(descriptor);
    error = "too large for a save state";
    return false;
  }
  std::vector<std::uint8_t> bytes(size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(descriptor, bytes.data() + got, size - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(descriptor);
  if (got != size) {
    error = "read error";
    return false;
  }
  const StateError result = LoadState(console, bytes.data(), bytes.size());
  if (result != StateError::None) {
    error = StateErrorText(result);
    return false;
  }
  return true;
}

bool WriteStateFile(const std::string& path, const Console& console, std::string& error) {
  std::vector<std::uint8_t> bytes(StateSize(console));
  const StateError result = SaveState(console, bytes.data(), bytes.size());
  if (result != StateError::None) {
    error = StateErrorText(result);
    return false;
  }
  std::string temporary = path + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) {
    error = std::strerror(errno);
    return false;
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(descriptor, bytes.data() + written, bytes.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  bool ok = written == bytes.size() && ::fsync(descriptor) == 0;
  const int writeError = errno;
  ok = (::close(descriptor) == 0) && ok;
  // mkstemp makes the file private; a state is as readable as any file.
  ::chmod(temporary.c_str(), 0644);
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    error = std::strerror(writeError ? writeError : errno);
    std::remove(temporary.c_str());
  }
  return ok;
}
