#include "host/files/BiosFile.h"

#include <cerrno>

#include "console/Console.h"
#include "host/files/FileRead.h"
#include "host/i18n/Translate.h"

Result ReadBiosFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  const FileRead read = ReadRegularFile(path, Console::kMaxBiosSize, bytes);
  if (read.error == EFBIG) {
    return AboutPath(path, {std::to_string(read.size) + " bytes; a boot program holds at most " +
                                std::to_string(Console::kMaxBiosSize),
                            Format(Tr("%llu octets : un programme de démarrage tient au plus %llu octets"),
                                   static_cast<unsigned long long>(read.size),
                                   static_cast<unsigned long long>(Console::kMaxBiosSize))});
  }
  if (read.error != 0) return read.reason;
  if (bytes.empty()) return AboutPath(path, {"empty", Tr("vide")});
  return {};
}
