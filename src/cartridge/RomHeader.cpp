#include "cartridge/RomHeader.h"

#include <cstring>

#include "cartridge/Cartridge.h"

namespace {

constexpr std::uint8_t kSignature[8] = {'T', 'M', 'R', ' ', 'S', 'E', 'G', 'A'};
constexpr std::uint32_t kPlaces[] = {0x7FF0, 0x3FF0, 0x1FF0};
constexpr std::size_t kHeaderLength = 16;

}  // namespace

std::optional<RomHeader> ReadRomHeader(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr) return std::nullopt;
  if (size >= static_cast<std::size_t>(Cartridge::kPageSize)) {
    const std::size_t copierHeader = size % Cartridge::kPageSize;
    bytes += copierHeader;
    size -= copierHeader;
  }
  for (const std::uint32_t place : kPlaces) {
    if (place + kHeaderLength > size) continue;
    const std::uint8_t* at = bytes + place;
    if (std::memcmp(at, kSignature, sizeof kSignature) != 0) continue;
    RomHeader header;
    header.offset = place;
    header.checksum = static_cast<std::uint16_t>(at[10] | at[11] << 8);
    // The product code's BCD digits: byte 12 the last two, byte 13 the two
    // before, and the high nibble of byte 14 the first.
    header.productCode = static_cast<std::uint32_t>(at[14] >> 4) << 16 | static_cast<std::uint32_t>(at[13]) << 8 | at[12];
    header.version = at[14] & 0x0F;
    header.regionCode = at[15] >> 4;
    header.sizeCode = at[15] & 0x0F;
    return header;
  }
  return std::nullopt;
}
