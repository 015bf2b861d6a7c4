#include "host/files/ImageFile.h"

#include <cerrno>

#include "host/files/FileRead.h"
#include "host/i18n/Translate.h"

Reason TooSmall(std::uint64_t size, std::uint64_t minimum) {
  const auto bytes = static_cast<unsigned long long>(size);
  if (minimum >= kImagePageSize) {
    return {"too small (" + std::to_string(size) + " bytes); a cartridge holds at least one " +
                std::to_string(kImagePageSize) + "-byte page",
            Format(Tr("trop petit (%llu octets) : une cartouche tient au moins une page de %llu octets"), bytes,
                   static_cast<unsigned long long>(kImagePageSize))};
  }
  return {"too small (" + std::to_string(size) + " bytes); a cartridge holds at least a byte",
          Format(Tr("trop petit (%llu octets) : une cartouche tient au moins un octet"), bytes)};
}

Result ReadImageFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint64_t minimum) {
  FileRead read = ReadRegularFile(path, kImageMaxBytes, bytes);
  if (read.error == EFBIG) {
    const auto size = static_cast<unsigned long long>(read.size);
    return AboutPath(path, {"more than " + std::to_string(kImageMaxPages) + " pages (" + std::to_string(read.size) +
                                " bytes); a cartridge holds at most " + std::to_string(kImageMaxBytes) +
                                " bytes with its header",
                            Format(Tr("plus de %llu pages (%llu octets) : une cartouche tient au plus %llu octets "
                                      "avec son en-tête"),
                                   static_cast<unsigned long long>(kImageMaxPages), size,
                                   static_cast<unsigned long long>(kImageMaxBytes))});
  }
  if (read.error != 0) return read.reason;
  if (bytes.size() < minimum) {
    const std::size_t size = bytes.size();
    bytes.clear();
    return AboutPath(path, TooSmall(size, minimum));
  }
  return {};
}

std::uint64_t ImageMinimum(ConsoleKind chosen, const std::string& path) {
  const ConsoleKind kind = chosen == ConsoleKind::kFromImage ? ConsoleKindOfName(path.c_str()) : chosen;
  return kind == ConsoleKind::kSg1000 || kind == ConsoleKind::kSc3000 ? kOlderImageMinimum : kImagePageSize;
}
