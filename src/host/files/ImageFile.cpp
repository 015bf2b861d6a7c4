#include "host/files/ImageFile.h"

#include <cerrno>

#include "host/files/FileRead.h"

bool ReadImageFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t minimum) {
  FileRead read = ReadRegularFile(path, kImageMaxBytes, bytes);
  if (read.error == EFBIG) {
    error = "'" + path + "': more than " + std::to_string(kImageMaxPages) + " pages (" + std::to_string(read.size) +
            " bytes); a cartridge holds at most " + std::to_string(kImageMaxBytes) + " bytes with its header";
    return false;
  }
  if (read.error != 0) {
    error = read.reason;
    return false;
  }
  if (bytes.size() < minimum) {
    error = "'" + path + "': too small (" + std::to_string(bytes.size()) + " bytes); a cartridge holds at least " +
            (minimum >= kImagePageSize ? "one " + std::to_string(kImagePageSize) + "-byte page" : std::string("a byte"));
    bytes.clear();
    return false;
  }
  return true;
}

std::uint64_t ImageMinimum(ConsoleKind chosen, const std::string& path) {
  const ConsoleKind kind = chosen == ConsoleKind::kFromImage ? ConsoleKindOfName(path.c_str()) : chosen;
  return kind == ConsoleKind::kSg1000 || kind == ConsoleKind::kSc3000 ? kOlderImageMinimum : kImagePageSize;
}
