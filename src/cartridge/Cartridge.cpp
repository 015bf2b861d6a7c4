#include "cartridge/Cartridge.h"

#include <array>
#include <cstring>
#include <new>

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

bool Cartridge::Load(const std::uint8_t* bytes, std::size_t size, const Logger& log) {
  if (bytes == nullptr) size = 0;
  const std::size_t pages = size / kPageSize;
  const std::size_t headerLength = size - pages * kPageSize;
  if (pages == 0) {
    log.Printf("Cart is too small: %zu bytes, a cartridge holds at least one 16384-byte page.\r\n", size);
    return false;
  }
  if (headerLength > 0) log.Printf("Skipping %zu byte header.\r\n", headerLength);
  if (pages > static_cast<std::size_t>(kMaxPages)) {
    // Running the first megabyte of a larger image would only fail later
    // and in stranger ways; the mapper cannot reach more.
    log.Printf("Cart is too big!\n");
    log.Printf("Cart has %zu pages; a cartridge holds at most %d.\r\n", pages, kMaxPages);
    return false;
  }

  std::unique_ptr<std::uint8_t[]> pagesRead(new (std::nothrow) std::uint8_t[pages * kPageSize]);
  if (!pagesRead) {
    log.Printf("Cart needs more memory than there is.\r\n");
    return false;
  }
  std::memcpy(pagesRead.get(), bytes + headerLength, pages * kPageSize);

  rom = std::move(pagesRead);
  pageCount = static_cast<int>(pages);
  int span = 1;
  while (span < pageCount) span <<= 1;
  bankMask = static_cast<std::uint8_t>(span - 1);
  crc = ::Crc32(rom.get(), pages * kPageSize);
  // A 24-page image has the only page count whose old mask (one less than
  // the count) left pages out; the line is kept for those who look for it.
  if (pageCount == 24) log.Printf("Cart Limit Changed\n");
  return true;
}

void Cartridge::Unload() {
  rom.reset();
  pageCount = 0;
  bankMask = 0;
  crc = 0;
}
