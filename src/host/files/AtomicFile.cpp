#include "host/files/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/files/FileOps.h"
#include "host/files/FileRead.h"
#include "host/i18n/Translate.h"

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

Reason CannotWrite(const std::string& path, const Reason& why) {
  return {"cannot write '" + path + "': " + why.log,
          Format(Tr("impossible d'écrire « %s » : %s"), path.c_str(), why.shown.c_str())};
}

Result TemporaryFile::Fail(int error) {
  Result failed = CannotWrite(target, SystemReason(error));
  Abort();
  reason = error;
  return failed;
}

Result TemporaryFile::Open(const std::string& targetPath) {
  Abort();
  reason = 0;
  target = targetPath;
  if (Result length = CheckPathLength(target); !length) return length;
  // A character device named as the target itself (/dev/full, /dev/null)
  // is written in place: a file renamed over it would replace the device
  // node, and the bytes would never reach the device. Links, pipes and
  // anything else are replaced as before (a damaged copy gets repaired).
  struct stat info;
  if (::lstat(target.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
    int opened = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (opened < 0) return Fail(errno);
    descriptor = opened;
    inPlace = true;
    return {};
  }
  // The target's name plus a unique suffix, so a file left by a kill names
  // the file it was for; a short hidden name when that would be too long.
  std::string name = BaseName(target).size() + 7 <= NAME_MAX ? target + ".XXXXXX"
                                                             : FolderOf(target) + "/.tavrin-XXXXXX";
  if (name.size() >= kPathMax) name = FolderOf(target) + "/.tavrin-XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  int made = ops->makeTemporary(buffer.data());
  if (made < 0) return Fail(errno);
  descriptor = made;
  temporary = buffer.data();
  if (::fchmod(descriptor, ModeFor(target)) != 0) return Fail(errno);
  return {};
}

Result TemporaryFile::Write(const void* bytes, std::size_t count) {
  const auto* at = static_cast<const std::uint8_t*>(bytes);
  while (count > 0) {
    ssize_t done = ops->write(descriptor, at, count);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return Fail(done == 0 ? ENOSPC : errno);
    at += done;
    count -= static_cast<std::size_t>(done);
  }
  return {};
}

Result TemporaryFile::WriteAt(std::uint64_t offset, const void* bytes, std::size_t count) {
  if (::lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) < 0) return Fail(errno);
  if (Result written = Write(bytes, count); !written) return written;
  if (::lseek(descriptor, 0, SEEK_END) < 0) return Fail(errno);
  return {};
}

Result TemporaryFile::Commit() {
  if (inPlace) {
    // Most devices refuse fsync (EINVAL); their bytes are
    // handed over once written. A failed close still fails the write.
    const bool synced = ops->sync(descriptor) == 0 || errno == EINVAL || errno == EROFS;
    const int syncError = errno;
    const int closing = ::close(descriptor);
    const int closeError = errno;
    descriptor = -1;
    inPlace = false;
    if (!synced) return Fail(syncError);
    if (closing != 0) return Fail(closeError);
    return {};
  }
  if (ops->sync(descriptor) != 0) return Fail(errno);
  int closing = ::close(descriptor);
  descriptor = -1;
  if (closing != 0) return Fail(errno);
  if (ops->rename(temporary.c_str(), target.c_str()) != 0) return Fail(errno);
  temporary.clear();
  // The rename is only durable once the folder's entry is on disk. The new
  // file is in place either way, so a folder that cannot be synced (some
  // file systems refuse) is not a failed write.
  int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ops->sync(folder);
    ::close(folder);
  }
  return {};
}

void TemporaryFile::Abort() {
  if (descriptor >= 0) ::close(descriptor);
  descriptor = -1;
  inPlace = false;
  if (!temporary.empty()) ::unlink(temporary.c_str());
  temporary.clear();
}

Result WriteFileAtomically(const std::string& path, const std::uint8_t* bytes, std::size_t count, LinkPolicy links,
                           const FileOps& ops) {
  std::string target = links == LinkPolicy::kFollowLink ? ResolveLinks(path) : path;
  if (target.empty()) return CannotWrite(path, SystemReason(ELOOP));
  TemporaryFile file(ops);
  Result written = file.Open(target);
  if (written) written = file.Write(bytes, count);
  if (written) written = file.Commit();
  if (!written && target != path) {
    return Reason{written.Log() + " (through the link '" + path + "')",
                  Format(Tr("%s (par le lien « %s »)"), written.Shown().c_str(), path.c_str())};
  }
  return written;
}
