#include "host/files/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/files/FileOps.h"
#include "host/files/FileRead.h"

namespace {

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Permissions for a new file: the replaced file's, else what the umask lets
// a newly created file have (mkstemp alone would give 0600).
mode_t ModeFor(const std::string& target) {
  struct stat info;
  if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char buffer[PATH_MAX];
    ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
    if (length < 0) return current;
    std::string link(buffer, static_cast<std::size_t>(length));
    current = (link.front() == '/') ? link : FolderOf(current) + "/" + link;
  }
  return {};
}

bool TemporaryFile::Fail(const std::string& what, int error, std::string& message) {
  message = "cannot write '" + target + "': " + what + std::strerror(error);
  Abort();
  reason = error;
  return false;
}

bool TemporaryFile::Open(const std::string& targetPath, std::string& error) {
  Abort();
  reason = 0;
  target = targetPath;
  if (!CheckPathLength(target, error)) return false;
  // A character device named as the target itself (/dev/full, /dev/null)
  // is written in place: a file renamed over it would replace the device
  // node, and the bytes would never reach the device. Links, pipes and
  // anything else are replaced as before (a damaged copy gets repaired).
  struct stat info;
  if (::lstat(target.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
    int opened = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) return Fail("", errno, error);
    descriptor = opened;
    inPlace = true;
    return true;
  }
  // The target's name plus a unique suffix, so a file left by a kill names
  // the file it was for; a short hidden name when that would be too long.
  std::string name = BaseName(target).size() + 7 <= NAME_MAX ? target + ".XXXXXX"
                                                             : FolderOf(target) + "/.tavrin-XXXXXX";
  if (name.size() >= kPathMax) name = FolderOf(target) + "/.tavrin-XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  int made = ops->makeTemporary(buffer.data());
  if (made < 0) return Fail("", errno, error);
  descriptor = made;
  temporary = buffer.data();
  if (::fchmod(descriptor, ModeFor(target)) != 0) return Fail("", errno, error);
  return true;
}

bool TemporaryFile::Write(const void* bytes, std::size_t count, std::string& error) {
  const auto* at = static_cast<const std::uint8_t*>(bytes);
  while (count > 0) {
    ssize_t done = ops->write(descriptor, at, count);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return Fail("", done == 0 ? ENOSPC : errno, error);
    at += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

bool TemporaryFile::WriteAt(std::uint64_t offset, const void* bytes, std::size_t count, std::string& error) {
  if (::lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) < 0) return Fail("", errno, error);
  if (!Write(bytes, count, error)) return false;
  if (::lseek(descriptor, 0, SEEK_END) < 0) return Fail("", errno, error);
  return true;
}

bool TemporaryFile::Commit(std::string& error) {
  if (inPlace) {
    // Most devices refuse fsync (EINVAL); their bytes are
    // handed over once written. A failed close still fails the write.
    const bool synced = ops->sync(descriptor) == 0 || errno == EINVAL || errno == EROFS;
    const int syncError = errno;
    const int closing = ::close(descriptor);
    const int closeError = errno;
    descriptor = -1;
    inPlace = false;
    if (!synced) return Fail("", syncError, error);
    if (closing != 0) return Fail("", closeError, error);
    return true;
  }
  if (ops->sync(descriptor) != 0) return Fail("", errno, error);
  int closing = ::close(descriptor);
  descriptor = -1;
  if (closing != 0) return Fail("", errno, error);
  if (ops->rename(temporary.c_str(), target.c_str()) != 0) return Fail("", errno, error);
  temporary.clear();
  // The rename is only durable once the folder's entry is on disk. The new
  // file is in place either way, so a folder that cannot be synced (some
  // file systems refuse) is not a failed write.
  int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ops->sync(folder);
    ::close(folder);
  }
  return true;
}

void TemporaryFile::Abort() {
  if (descriptor >= 0) ::close(descriptor);
  descriptor = -1;
  inPlace = false;
  if (!temporary.empty()) ::unlink(temporary.c_str());
  temporary.clear();
}

bool WriteFileAtomically(const std::string& path, const std::uint8_t* bytes, std::size_t count, LinkPolicy links,
                         std::string& error, const FileOps& ops) {
  std::string target = links == LinkPolicy::kFollowLink ? ResolveLinks(path) : path;
  if (target.empty()) {
    error = "cannot write '" + path + "': " + std::strerror(ELOOP);
    return false;
  }
  TemporaryFile file(ops);
  if (!file.Open(target, error) || !file.Write(bytes, count, error) || !file.Commit(error)) {
    if (target != path) error += " (through the link '" + path + "')";
    return false;
  }
  return true;
}
