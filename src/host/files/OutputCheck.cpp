#include "host/files/OutputCheck.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "host/files/FileRead.h"

namespace {

struct Identity {
  std::string canonical;
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
};

Identity IdentityOf(const std::string& path) {
  Identity identity;
  std::error_code ignored;
  identity.canonical = std::filesystem::weakly_canonical(path, ignored).string();
  if (identity.canonical.empty()) identity.canonical = path;
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) {
    identity.exists = true;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
  }
  return identity;
}

bool Same(const Identity& a, const Identity& b) {
  if (a.canonical == b.canonical) return true;
  return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

}  // namespace

// Both are the command line's checks: their lines are the log's alone.
Result CheckOutputs(const std::string& imagePath, const std::string& batteryPath,
                    const std::vector<OutputFile>& outputs) {
  struct Named {
    std::string what;
    Identity identity;
  };
  std::vector<Named> taken;
  taken.push_back({"the cartridge image '" + imagePath + "'", IdentityOf(imagePath)});
  if (!batteryPath.empty()) taken.push_back({"the battery file '" + batteryPath + "'", IdentityOf(batteryPath)});
  for (const OutputFile& output : outputs) {
    if (output.path.empty()) continue;
    Identity identity = IdentityOf(output.path);
    for (const Named& other : taken) {
      if (Same(identity, other.identity)) {
        return LogReason(output.option + " '" + output.path + "' is " + other.what + "; it would be overwritten");
      }
    }
    taken.push_back({"the file of " + output.option + " '" + output.path + "'", identity});
  }
  return {};
}

Result CheckOutputWritable(const std::string& path) {
  if (Result length = CheckPathLength(path); !length) return length;
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat info;
  int problem = 0;
  if (::stat(folder.c_str(), &info) != 0) {
    problem = errno;
  } else if (!S_ISDIR(info.st_mode)) {
    problem = ENOTDIR;
  } else if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    problem = errno;
  } else if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    problem = EISDIR;
  }
  if (problem != 0) return LogReason("cannot write " + DescribePathError(path, problem).log);
  return {};
}
