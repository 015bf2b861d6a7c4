#include "host/files/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

class Descriptor {
 public:
  explicit Descriptor(int value) : value(value) {}
  ~Descriptor() {
    if (value >= 0) ::close(value);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return value; }

 private:
  int value;
};

FileRead Failed(const std::string& path, int error, const std::string& why) {
  FileRead result;
  result.error = error;
  result.reason = Quoted(path) + ": " + why;
  return result;
}

// The reason a file that is not a regular file is refused.
std::string Kind(mode_t mode) {
  if (S_ISDIR(mode)) return "is a folder";
  if (S_ISFIFO(mode)) return "is a pipe, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  return "not a regular file";
}

}  // namespace

std::string DescribePathError(const std::string& path, int error) {
  return Quoted(path) + ": " + (error == EISDIR ? "is a folder" : std::strerror(error));
}

bool CheckPathLength(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "empty file name";
    return false;
  }
  if (path.size() >= kPathMax) {
    error = "path is " + std::to_string(path.size()) + " characters long, longer than the system's limit of " +
            std::to_string(kPathMax - 1) + ": '" + path.substr(0, 60) + "...'";
    return false;
  }
  return true;
}

FileRead ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  std::string lengthError;
  if (!CheckPathLength(path, lengthError)) {
    FileRead result;
    result.error = ENAMETOOLONG;
    result.reason = lengthError;
    return result;
  }
  // Look before opening: opening some devices already does something.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return Failed(path, errno, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Failed(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, Kind(info.st_mode));

  // O_NONBLOCK: should the path have been swapped for a pipe since, the open
  // does not wait for a writer; fstat then refuses it.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) return Failed(path, errno, std::strerror(errno));
  if (::fstat(file.get(), &info) != 0) return Failed(path, errno, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Failed(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, Kind(info.st_mode));

  const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
  if (size > limit) {
    FileRead result = Failed(path, EFBIG, "larger than " + std::to_string(limit) + " bytes");
    result.size = size;
    return result;
  }
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) {
      int error = errno;
      bytes.clear();
      return Failed(path, error, std::string("read error: ") + std::strerror(error));
    }
    if (got == 0) {
      bytes.clear();
      return Failed(path, EIO, "read error: the file shrank while being read");
    }
    done += static_cast<std::size_t>(got);
  }
  FileRead result;
  result.size = size;
  return result;
}
