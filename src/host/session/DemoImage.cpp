#include "host/session/DemoImage.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "DemoCartridge.h"
#include "host/files/AtomicFile.h"
#include "host/files/FileRead.h"

namespace {

bool MakeFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    std::string prefix = path.substr(0, at);
    if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Read as the loader reads images: a regular file only (a pipe would hang
// start-up) and no longer than the demo (a link to /dev/zero never ends).
bool HoldsDemo(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  return ReadRegularFile(path, DemoCartridgeSize(), bytes).error == 0 && bytes.size() == DemoCartridgeSize() &&
         std::memcmp(bytes.data(), DemoCartridgeData(), bytes.size()) == 0;
}

// Anything else under the name (a changed copy, a pipe, a link) is replaced
// by a fresh copy, whole or not at all.
bool WriteDemo(const std::string& path) {
  return static_cast<bool>(WriteFileAtomically(path, static_cast<const std::uint8_t*>(DemoCartridgeData()),
                                               DemoCartridgeSize(), LinkPolicy::kReplaceLink));
}

}  // namespace

Result InstallDemoImage(std::string& path) {
  std::vector<std::string> folders;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) folders.push_back(std::string(data) + "/tavrin");
  if (const char* home = std::getenv("HOME"); home && *home) folders.push_back(std::string(home) + "/.local/share/tavrin");
  const char* tmp = std::getenv("TMPDIR");
  folders.push_back(std::string(tmp && *tmp ? tmp : "/tmp") + "/tavrin");

  for (const std::string& folder : folders) {
    path = folder + "/demo.sms";
    if (HoldsDemo(path)) return {};
    if (MakeFolders(folder) && WriteDemo(path)) return {};
  }
  path.clear();
  return LogReason("no folder could take the built-in demo cartridge");
}
