#include "host/files/BiosFile.h"

#include <cerrno>

#include "console/Console.h"
#include "host/files/FileRead.h"

bool ReadBiosFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  const FileRead read = ReadRegularFile(path, Console::kMaxBiosSize, bytes);
  if (read.error == EFBIG) {
    error = "'" + path + "': " + std::to_string(read.size) + " bytes; a boot program holds at most " +
            std::to_string(Console::kMaxBiosSize);
    return false;
  }
  if (read.error != 0) {
    error = read.reason.log;
    return false;
  }
  if (bytes.empty()) {
    error = "'" + path + "': empty";
    return false;
  }
  return true;
}
