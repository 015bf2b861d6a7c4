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
#include "host/files/AtomicFile.h"

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
  // Through a temporary file renamed into place (a device is written in
  // place): every write, the sync and the close are checked.
  TemporaryFile file;
  std::string message;
  if (file.Open(path, message) && file.Write(bytes.data(), bytes.size(), message) && file.Commit(message)) return true;
  error = file.Reason() != 0 ? std::strerror(file.Reason()) : message;
  return false;
}
