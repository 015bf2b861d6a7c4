#include "host/files/BatteryFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "debug/DebugConsole.h"
#include "host/files/AtomicFile.h"
#include "host/files/FileRead.h"
#include "host/i18n/SystemError.h"
#include "host/i18n/Translate.h"

namespace {

// The same file for every name: the same canonical path, or (both existing)
// the same device and inode, which also catches hard links.
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ignored;
  std::filesystem::path canonicalA = std::filesystem::weakly_canonical(a, ignored);
  std::filesystem::path canonicalB = std::filesystem::weakly_canonical(b, ignored);
  if (!canonicalA.empty() && canonicalA == canonicalB) return true;
  struct stat infoA, infoB;
  return ::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0 && infoA.st_dev == infoB.st_dev &&
         infoA.st_ino == infoB.st_ino;
}

}  // namespace

Result BatteryPathFor(const std::string& imagePath, std::string& batteryPath) {
  if (Result length = CheckPathLength(imagePath); !length) return length;
  // The extension must be in the file's own name: "saves.d/game" is no
  // "saves" image with a ".d/g" extension.
  std::size_t length = imagePath.size();
  bool extension = length >= 4 && imagePath[length - 4] == '.' &&
                   imagePath.find('/', length - 3) == std::string::npos;
  std::string candidate = (extension ? imagePath.substr(0, length - 4) : imagePath) + ".sav";
  if (Result length = CheckPathLength(candidate); !length) return length;
  if (SameFile(imagePath, candidate) || SameFile(imagePath, ResolveLinks(candidate))) {
    return Reason{"the battery file of '" + imagePath + "' would be the image itself ('" + candidate +
                      "'), and saving would destroy it; rename the image (for example to .sms or .gg)",
                  Format(Tr("la sauvegarde de « %s » serait l'image elle-même (« %s ») et l'écraserait : "
                            "renommez l'image (en .sms ou .gg par exemple)"),
                         imagePath.c_str(), candidate.c_str())};
  }
  batteryPath = std::move(candidate);
  return {};
}

BatteryFile::BatteryFile(std::string path, const FileOps& ops) : path(std::move(path)), ops(&ops) {}

BatteryFile::~BatteryFile() {
  if (lockDescriptor >= 0) ::close(lockDescriptor);  // closing releases the flock
}

void BatteryFile::Lock() {
  if (lockTried) return;
  lockTried = true;
  // Beside the file the link points at, so every name of one battery file
  // shares one lock.
  std::string lockPath = ResolveLinks(path);
  if (lockPath.empty()) lockPath = path;
  lockPath += ".lock";
  int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (descriptor < 0) {
    // A folder that takes no new file takes no save either; the save reports it.
    LogPrintf("Battery lock %s cannot be made (%s).\n", lockPath.c_str(), LoggedSystemError(errno).c_str());
    return;
  }
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    ::close(descriptor);
    heldElsewhere = true;
    LogPrintf("tavrin: battery file '%s' is in use by another run; this run will not save it.\n", path.c_str());
    return;
  }
  lockDescriptor = descriptor;
}

bool BatteryFile::Load(std::uint8_t* ram) {
  std::memset(ram, 0xFF, kRamSize);
  extra.clear();
  unreadable = false;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    struct stat link;
    if (::lstat(path.c_str(), &link) != 0) return true;  // no battery file yet: blank RAM
  }
  Lock();
  std::vector<std::uint8_t> bytes;
  FileRead read = ReadRegularFile(path, kMaxFileSize, bytes);
  if (read.error == ENOENT) return true;  // a dangling link: the first save makes its file
  if (read.error != 0) {
    unreadable = true;
    unreadableReason = read.reason;
    LogPrintf("User Ram file %s cannot be read; it will be left as it is.\n", read.reason.log.c_str());
    return false;
  }
  std::size_t used = std::min(bytes.size(), kRamSize);
  if (used > 0) std::memcpy(ram, bytes.data(), used);  // an empty file has no data pointer
  if (bytes.size() < kRamSize) {
    LogPrintf("User Ram file holds %zu of %zu bytes; the rest starts blank.\n", bytes.size(), kRamSize);
  } else if (bytes.size() > kRamSize) {
    extra.assign(bytes.begin() + kRamSize, bytes.end());
    LogPrintf("User Ram file holds %zu bytes past the %zu the cartridge uses; they are kept as they are.\n",
              extra.size(), kRamSize);
  }
  LogPrintf("Loaded User Ram.\n");
  return true;
}

BatteryFile::SaveResult BatteryFile::Save(const std::uint8_t* ram, Reason& error) {
  if (unreadable) {
    error = {"not saving over " + unreadableReason.log + " (it could not be read, so it is left as it is)",
             Format(Tr("pas de sauvegarde par-dessus %s (il n'a pas pu être lu, il reste tel quel)"),
                    unreadableReason.shown.c_str())};
    return SaveResult::kRefused;
  }
  Lock();
  if (heldElsewhere) {
    error = {"not saving '" + path + "': another run holds it",
             Format(Tr("pas de sauvegarde de « %s » : une autre instance le tient"), path.c_str())};
    return SaveResult::kHeldByAnotherRun;
  }
  std::vector<std::uint8_t> bytes(ram, ram + kRamSize);
  bytes.insert(bytes.end(), extra.begin(), extra.end());
  if (Result written = WriteFileAtomically(path, bytes, LinkPolicy::kFollowLink, *ops); !written) {
    error = written.Why();
    return SaveResult::kFailed;
  }
  if (!extra.empty()) LogPrintf("Saved User Ram; the %zu bytes after it are kept unchanged.\n", extra.size());
  return SaveResult::kSaved;
}

bool BatteryFile::TakeHeldNotice() {
  if (!heldElsewhere || heldNoticeTaken) return false;
  heldNoticeTaken = true;
  return true;
}
