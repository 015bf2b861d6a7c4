// The region code in a cartridge's "TMR SEGA" header: where it is looked
// for, and what its value tells.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cartridge/RomHeader.h"

namespace {

std::vector<std::uint8_t> ImageWithHeader(std::size_t size, std::size_t at, std::uint8_t last) {
  std::vector<std::uint8_t> image(size, 0xFF);
  if (at + 16 <= size) {
    std::memcpy(image.data() + at, "TMR SEGA", 8);
    image[at + 10] = 0x34;
    image[at + 11] = 0x12;
    image[at + 12] = 0x11;
    image[at + 13] = 0x70;
    image[at + 14] = 0x23;
    image[at + 15] = last;
  }
  return image;
}

TEST(RomHeader, FoundWhereTheBootProgramLooks) {
  struct Case {
    const char* name;
    std::size_t size;
    std::size_t at;  // where the header is written (past the end: none)
    std::uint8_t last;
    bool found;
    std::uint32_t offset;
    bool japanese;
    bool gameGear;
  };
  const Case cases[] = {
      {"32 KB, SMS export", 0x8000, 0x7FF0, 0x4C, true, 0x7FF0, false, false},
      {"32 KB, SMS Japan", 0x8000, 0x7FF0, 0x3C, true, 0x7FF0, true, false},
      {"16 KB at 0x3FF0, GG Japan", 0x4000, 0x3FF0, 0x5B, true, 0x3FF0, true, true},
      {"16 KB at 0x1FF0, GG export", 0x4000, 0x1FF0, 0x6A, true, 0x1FF0, false, true},
      {"128 KB, GG international", 0x20000, 0x7FF0, 0x7F, true, 0x7FF0, false, true},
      {"512-byte copier header before 32 KB", 0x8200, 0x81F0, 0x3C, true, 0x7FF0, true, false},
      {"no signature", 0x8000, 0x10000, 0x3C, false, 0, false, false},
      {"16 KB image: 0x7FF0 is past its end", 0x4000, 0x10000, 0x3C, false, 0, false, false},
      {"too small for any place", 0x100, 0x10000, 0x3C, false, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> image = ImageWithHeader(c.size, c.at, c.last);
    const std::optional<RomHeader> header = ReadRomHeader(image.data(), image.size());
    ASSERT_EQ(header.has_value(), c.found);
    if (!c.found) continue;
    EXPECT_EQ(header->offset, c.offset);
    EXPECT_EQ(header->Japanese(), c.japanese);
    EXPECT_EQ(header->GameGear(), c.gameGear);
    EXPECT_EQ(header->regionCode, c.last >> 4);
    EXPECT_EQ(header->sizeCode, c.last & 0x0F);
    EXPECT_EQ(header->checksum, 0x1234);
    EXPECT_EQ(header->productCode, 0x27011u);
    EXPECT_EQ(header->version, 3);
  }
  EXPECT_FALSE(ReadRomHeader(nullptr, 0x8000).has_value());
}

}  // namespace
