// The scanline renderer: background with scrolling, flips, palettes and
// priority, then sprites, then the backdrop borders.
#include <cstring>

#include "vdp/PatternRow.h"
#include "vdp/Video.h"

namespace {

constexpr int kAddressMask = Video::kVramSize - 1;

}  // namespace

void Video::RenderLine(int L) {
  if (L < 0 || L >= kHeight) return;
  std::uint8_t* frameRow = frame + L * kWidth;
  std::uint8_t* priorityRow = priority + L * kWidth;
  const std::uint8_t backdrop = static_cast<std::uint8_t>(16 + (regs[7] & 0x0F));

  // Display off, or outside the Game Gear's 144 lines: backdrop only.
  if (!(regs[1] & 0x40) || (gameGear && (L < 24 || L > 167))) {
    std::memset(frameRow, backdrop, kWidth);
    return;
  }

  int hScroll = (L < 16 && (regs[0] & 0x40)) ? 0 : regs[8];
  // The name table is 28 rows (224 lines) high, and the vertical scroll
  // wraps at 223, so one pixel row is skipped where the wrap happens.
  int y = L + regs[9];
  if (y > 223) y -= 223;
  // With the left column blanked, the whole picture moves 4 pixels left and
  // the borders below cover 4 pixels at each side.
  int off = (regs[0] & 0x20) ? -4 : 0;

  // Background: draw the 32 columns unscrolled, then rotate them into place.
  std::uint8_t colourRow[kWidth];
  std::uint8_t tilePriorityRow[kWidth];
  // A name-table entry is a little-endian word: pattern number in bits 0-8,
  // then horizontal flip, vertical flip, palette and priority. Entries that
  // come back within a row (sky, floors, checkerboards) are decoded once: a
  // small table keyed by the entry's low bits keeps the latest decodes.
  const std::uint8_t* nameRow = vram + ((regs[2] & 0x0E) << 10) + (y >> 3) * 64;
  const int rowInTile = y & 7;
  unsigned recentEntry[8];
  std::uint64_t recentColour[8];
  std::uint64_t recentFront[8];
  std::memset(recentEntry, 0xFF, sizeof recentEntry);  // matches no entry
  for (int column = 0; column < 32; ++column) {
    const unsigned entry = nameRow[column * 2] | nameRow[column * 2 + 1] << 8;
    const unsigned slot = entry & 7;
    if (recentEntry[slot] != entry) {
      recentEntry[slot] = entry;
      const int patternRow = (entry & 0x0400) ? 7 - rowInTile : rowInTile;
      const unsigned patternAddress = ((entry & 0x01FF) << 5) + patternRow * 4;
      const std::uint64_t pixels = DecodePatternRow(vram + patternAddress, (entry & 0x0200) != 0);
      recentColour[slot] = (entry & 0x0800) ? pixels | pattern_row::EveryByte(16) : pixels;
      recentFront[slot] = (entry & 0x1000) ? pixels : 0;
    }
    StorePatternRow(colourRow + column * 8, recentColour[slot]);
    StorePatternRow(tilePriorityRow + column * 8, recentFront[slot]);
  }
  int shift = (hScroll + off) & 0xFF;
  std::memcpy(frameRow + shift, colourRow, static_cast<std::size_t>(kWidth - shift));
  std::memcpy(frameRow, colourRow + (kWidth - shift), static_cast<std::size_t>(shift));
  std::memcpy(priorityRow + shift, tilePriorityRow, static_cast<std::size_t>(kWidth - shift));
  std::memcpy(priorityRow, tilePriorityRow + (kWidth - shift), static_cast<std::size_t>(shift));

  if (hideSprites) return;

  DrawSprites(L, off - ((regs[0] & 0x08) ? 8 : 0));

  if (gameGear) {
    // The Game Gear shows the 160 x 144 window in the middle of the frame.
    std::memset(frameRow, backdrop, 48);
    std::memset(frameRow + 208, backdrop, 48);
  } else if (regs[0] & 0x20) {
    std::memset(frameRow, backdrop, 4);
    std::memset(frameRow + 252, backdrop, 4);
  }
}

void Video::DrawSprites(int L, int xOffset) {
  std::uint8_t* frameRow = frame + L * kWidth;
  const std::uint8_t* priorityRow = priority + L * kWidth;
  const std::uint8_t* attributes = vram + spriteTable;
  const int height = (regs[1] & 0x02) ? 16 : 8;
  const int patternBase = (regs[6] & 0x04) << 11;

  int count = 0;
  while (count < 64 && attributes[count] != 0xD0) ++count;

  // Last to first, so that lower-numbered sprites end up on top.
  for (int sprite = count - 1; sprite >= 0; --sprite) {
    int y = attributes[sprite];
    if (y > 239) y -= 256;  // 0xF0-0xFF are the lines just above the top
    if (L < y || L >= y + height) continue;
    int x0 = attributes[128 + sprite * 2] + xOffset;
    int number = attributes[129 + sprite * 2];
    // Rows 8-15 of a 16-line sprite come from the next pattern number; past
    // the end of video RAM they wrap to its start.
    int rowAddress = (patternBase + number * 32 + (L - y) * 4) & kAddressMask;
    std::uint64_t packed = DecodePatternRow(vram + rowAddress, false);
    if (packed == 0) continue;
    std::uint8_t pixels[8];
    StorePatternRow(pixels, packed);
    for (int i = 0; i < 8; ++i) {
      int x = x0 + i;
      if (pixels[i] == 0 || x < 0 || x >= kWidth) continue;
      if (priorityRow[x] == 0) frameRow[x] = static_cast<std::uint8_t>(pixels[i] + 16);
    }
  }
}
