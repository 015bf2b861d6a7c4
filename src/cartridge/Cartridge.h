#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "debug/Logger.h"

// A cartridge as bytes: its ROM pages and its battery-backed RAM, and the
// banking rule that turns a mapper register value into a page. It knows
// nothing of files: the host reads the image and the battery file and hands
// the bytes over.
class Cartridge {
 public:
  static constexpr int kPageSize = 0x4000;
  static constexpr int kMaxPages = 64;
  static constexpr int kRamSize = 2 * kPageSize;  // two 16 KB pages of battery RAM

  // Takes an image: a copier header (whatever precedes the last whole page)
  // is skipped, and the rest is cut into 16 KB pages. Logs what it found.
  // False, with a log line and nothing changed, when the image is too small,
  // too big or cannot be held in memory.
  bool Load(const std::uint8_t* bytes, std::size_t size, const Logger& log);
  // Drops the image; the RAM is left alone.
  void Unload();

  int PageCount() const { return pageCount; }
  bool Loaded() const { return pageCount > 0; }
  // The page a mapper register value selects. Bank numbers are masked to the
  // next power of two at or above the page count; a masked number past the
  // last page wraps onto the pages that exist, so every page is reachable
  // whatever the image's size.
  int Bank(std::uint8_t value) const {
    const int bank = value & bankMask;
    return bank < pageCount ? bank : (pageCount > 0 ? bank % pageCount : 0);
  }
  // The bits of a mapper register value that take part in banking.
  std::uint8_t BankMask() const { return bankMask; }
  std::uint8_t* Page(int index) { return rom.get() + static_cast<std::size_t>(index) * kPageSize; }
  const std::uint8_t* Page(int index) const { return rom.get() + static_cast<std::size_t>(index) * kPageSize; }
  // CRC-32 of the pages (header excluded): names the image in save states.
  std::uint32_t Crc32() const { return crc; }

  // Battery-backed RAM: page 0 then page 1, back to back.
  std::uint8_t ram[kRamSize] = {};

 private:
  std::unique_ptr<std::uint8_t[]> rom;  // pageCount pages, back to back
  int pageCount = 0;
  std::uint8_t bankMask = 0;
  std::uint32_t crc = 0;
};

// CRC-32 (the polynomial of zip and PNG) of a byte string.
std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t crc = 0);
