#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// One row of an 8 x 8 tile: four bit-plane bytes give eight 4-bit colours,
// pixel i taking the bit of mask 0x80 >> i from each plane. Decoded, the row
// is eight colour bytes packed so that copying it to memory puts pixel 0
// first. A table spreads each plane byte's bits over eight bytes, so a plane
// costs one look-up instead of eight bit tests, and a plane written alone
// can be put into an already decoded row.
namespace pattern_row {

constexpr int BytePosition(int pixel) {
  return std::endian::native == std::endian::little ? pixel : 7 - pixel;
}

struct SpreadTable {
  std::uint64_t bytes[256];  // pixel i = bit (7 - i): the leftmost pixel from bit 7
};

constexpr SpreadTable MakeSpreadTable() {
  SpreadTable table{};
  for (int byte = 0; byte < 256; ++byte) {
    std::uint64_t spread = 0;
    for (int pixel = 0; pixel < 8; ++pixel) {
      std::uint64_t shift = static_cast<std::uint64_t>(BytePosition(pixel)) * 8;
      spread |= static_cast<std::uint64_t>((byte >> (7 - pixel)) & 1) << shift;
    }
    table.bytes[byte] = spread;
  }
  return table;
}

inline constexpr SpreadTable kSpread = MakeSpreadTable();

// Every byte of the packed row holds the same value.
constexpr std::uint64_t EveryByte(std::uint8_t value) { return 0x0101010101010101ull * value; }

}  // namespace pattern_row

// planes points at the row's four plane bytes. Each spread byte is 0 or 1, so
// shifting the whole word by 1-3 bits never carries into the next pixel.
inline std::uint64_t DecodePatternRow(const std::uint8_t* planes) {
  const std::uint64_t* table = pattern_row::kSpread.bytes;
  return table[planes[0]] | table[planes[1]] << 1 | table[planes[2]] << 2 | table[planes[3]] << 3;
}

// The decoded row with plane `plane` (0-3) replaced by `bits`.
inline std::uint64_t ReplacePlane(std::uint64_t pixels, int plane, std::uint8_t bits) {
  const std::uint64_t planeBits = pattern_row::EveryByte(1) << plane;
  return (pixels & ~planeBits) | pattern_row::kSpread.bytes[bits] << plane;
}

// The row mirrored left to right: pixel i becomes pixel 7 - i.
inline std::uint64_t MirrorPatternRow(std::uint64_t pixels) { return __builtin_bswap64(pixels); }

inline void StorePatternRow(std::uint8_t* destination, std::uint64_t pixels) {
  std::memcpy(destination, &pixels, sizeof pixels);
}
