#include "app/DemoImage.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "DemoCartridge.h"

namespace {

bool MakeFolders(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    std::string prefix = path.substr(0, at);
    if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool HoldsDemo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return bytes.size() == DemoCartridgeSize() &&
         std::memcmp(bytes.data(), DemoCartridgeData(), bytes.size()) == 0;
}

bool WriteDemo(const std::string& path) {
  std::string temporary = path + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(DemoCartridgeData(), 1, DemoCartridgeSize(), out) == DemoCartridgeSize();
  ok = std::fclose(out) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

}  // namespace

std::string InstallDemoImage(std::string& error) {
  std::vector<std::string> folders;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) folders.push_back(std::string(data) + "/tavrin");
  if (const char* home = std::getenv("HOME"); home && *home) folders.push_back(std::string(home) + "/.local/share/tavrin");
  const char* tmp = std::getenv("TMPDIR");
  folders.push_back(std::string(tmp && *tmp ? tmp : "/tmp") + "/tavrin");

  for (const std::string& folder : folders) {
    std::string path = folder + "/demo.sms";
    if (HoldsDemo(path)) return path;
    if (MakeFolders(folder) && WriteDemo(path)) return path;
  }
  error = "no folder could take the built-in demo cartridge";
  return {};
}
