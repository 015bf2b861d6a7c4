#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The header Sega's cartridges carry at the end of their first 8, 16 or
// 32 KB: "TMR SEGA", two reserved bytes, the checksum, the product code and
// version, and a last byte whose high nibble is the region code and low
// nibble the checksummed size. The console's own boot program reads the
// region code (an export console refuses a Japanese cartridge); here it
// tells which console an image was made for.
struct RomHeader {
  // Where the header was found: 0x7FF0, 0x3FF0 or 0x1FF0 of the image.
  std::uint32_t offset = 0;
  std::uint16_t checksum = 0;     // little-endian word at +0x0A
  std::uint32_t productCode = 0;  // five BCD digits, as the digits read (e.g. 0x27011)
  std::uint8_t version = 0;       // low nibble of +0x0E
  std::uint8_t regionCode = 0;    // high nibble of +0x0F
  std::uint8_t sizeCode = 0;      // low nibble of +0x0F

  // 3: Master System, Japan; 4: Master System, export; 5: Game Gear, Japan;
  // 6: Game Gear, export; 7: Game Gear, international.
  bool Japanese() const { return regionCode == 3 || regionCode == 5; }
  bool GameGear() const { return regionCode >= 5 && regionCode <= 7; }
};

// The header of an image as read from its file: a copier header (whatever
// precedes the last whole 16 KB page, as Cartridge::Load skips it) is left
// out, then 0x7FF0, 0x3FF0 and 0x1FF0 are tried in that order. Nothing when
// no "TMR SEGA" is at any of them.
std::optional<RomHeader> ReadRomHeader(const std::uint8_t* bytes, std::size_t size);
