#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Decodes one row of an 8 x 8 tile: four bit-plane bytes give eight 4-bit
// colours, pixel i taking the bit of mask 0x80 >> i from each plane. The
// result is eight colour bytes packed so that copying it to memory puts
// pixel 0 first. A table spreads each plane byte's bits over eight bytes, so
// a row costs four look-ups instead of 32 bit tests.
namespace pattern_row {

constexpr int BytePosition(int pixel) {
  return std::endian::native == std::endian::little ? pixel : 7 - pixel;
}

struct SpreadTables {
  std::uint64_t plain[256];    // pixel i = bit (7 - i): the leftmost pixel from bit 7
  std::uint64_t flipped[256];  // pixel i = bit i: the row mirrored
};

constexpr SpreadTables MakeSpreadTables() {
  SpreadTables tables{};
  for (int byte = 0; byte < 256; ++byte) {
    std::uint64_t plain = 0;
    std::uint64_t flipped = 0;
    for (int pixel = 0; pixel < 8; ++pixel) {
      std::uint64_t shift = static_cast<std::uint64_t>(BytePosition(pixel)) * 8;
      plain |= static_cast<std::uint64_t>((byte >> (7 - pixel)) & 1) << shift;
      flipped |= static_cast<std::uint64_t>((byte >> pixel) & 1) << shift;
    }
    tables.plain[byte] = plain;
    tables.flipped[byte] = flipped;
  }
  return tables;
}

inline constexpr SpreadTables kSpread = MakeSpreadTables();

// Every byte of the packed row holds the same value.
constexpr std::uint64_t EveryByte(std::uint8_t value) { return 0x0101010101010101ull * value; }

}  // namespace pattern_row

// planes points at the row's four plane bytes. Each spread byte is 0 or 1, so
// shifting the whole word by 1-3 bits never carries into the next pixel.
inline std::uint64_t DecodePatternRow(const std::uint8_t* planes, bool flip) {
  const std::uint64_t* table = flip ? pattern_row::kSpread.flipped : pattern_row::kSpread.plain;
  return table[planes[0]] | table[planes[1]] << 1 | table[planes[2]] << 2 | table[planes[3]] << 3;
}

inline void StorePatternRow(std::uint8_t* destination, std::uint64_t pixels) {
  std::memcpy(destination, &pixels, sizeof pixels);
}
