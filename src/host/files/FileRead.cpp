#include "host/files/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/i18n/Translate.h"

namespace {

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

FileRead Failed(const std::string& path, int error, const Reason& why) {
  FileRead result;
  result.error = error;
  result.reason = AboutPath(path, why);
  return result;
}

FileRead Failed(const std::string& path, int error) { return Failed(path, error, SystemReason(error)); }

Reason IsAFolder() { return {"is a folder", Tr("est un dossier")}; }

// The reason a file that is not a regular file is refused.
Reason Kind(mode_t mode) {
  if (S_ISDIR(mode)) return IsAFolder();
  if (S_ISFIFO(mode)) return {"is a pipe, not a regular file", Tr("est un tube, pas un fichier ordinaire")};
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return {"is a device, not a regular file", Tr("est un périphérique, pas un fichier ordinaire")};
  }
  if (S_ISSOCK(mode)) return {"is a socket, not a regular file", Tr("est une socket, pas un fichier ordinaire")};
  return {"not a regular file", Tr("n'est pas un fichier ordinaire")};
}

Reason ReadError(const Reason& why) {
  return {"read error: " + why.log, Format(Tr("erreur de lecture : %s"), why.shown.c_str())};
}

}  // namespace

Reason DescribePathError(const std::string& path, int error) {
  return AboutPath(path, error == EISDIR ? IsAFolder() : SystemReason(error));
}

Result CheckPathLength(const std::string& path) {
  if (path.empty()) return Reason{"empty file name", Tr("nom de fichier vide")};
  if (path.size() >= kPathMax) {
    const std::string start = path.substr(0, 60);
    return Reason{"path is " + std::to_string(path.size()) + " characters long, longer than the system's limit of " +
                      std::to_string(kPathMax - 1) + ": '" + start + "...'",
                  Format(Tr("le chemin a %zu caractères, plus que la limite du système, %zu : « %s… »"), path.size(),
                         kPathMax - 1, start.c_str())};
  }
  return {};
}

FileRead ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (Result length = CheckPathLength(path); !length) {
    FileRead result;
    result.error = ENAMETOOLONG;
    result.reason = length.Why();
    return result;
  }
  // Look before opening: opening some devices already does something.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return Failed(path, errno);
  if (!S_ISREG(info.st_mode)) return Failed(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, Kind(info.st_mode));

  // O_NONBLOCK: should the path have been swapped for a pipe since, the open
  // does not wait for a writer; fstat then refuses it.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) return Failed(path, errno);
  if (::fstat(file.get(), &info) != 0) return Failed(path, errno);
  if (!S_ISREG(info.st_mode)) return Failed(path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, Kind(info.st_mode));

  const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
  if (size > limit) {
    FileRead result = Failed(path, EFBIG,
                             {"larger than " + std::to_string(limit) + " bytes",
                              Format(Tr("plus de %llu octets"), static_cast<unsigned long long>(limit))});
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
      return Failed(path, error, ReadError(SystemReason(error)));
    }
    if (got == 0) {
      bytes.clear();
      return Failed(path, EIO, ReadError({"the file shrank while being read", Tr("le fichier a raccourci pendant sa lecture")}));
    }
    done += static_cast<std::size_t>(got);
  }
  FileRead result;
  result.size = size;
  return result;
}
