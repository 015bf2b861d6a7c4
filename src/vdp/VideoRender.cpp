// The scanline renderer: background with scrolling, flips, palettes and
// priority, then sprites, then the backdrop borders.
#include <cstring>

#include "vdp/PatternRow.h"
#include "vdp/Video.h"

namespace {

constexpr int kAddressMask = Video::kVramSize - 1;

// Eight pixels that start `x` (249-255) pixels into a 256-pixel row: the
// first part ends the row, the rest starts it again.
inline void StoreSplitRow(std::uint8_t* row, int x, std::uint64_t pixels) {
  std::uint8_t bytes[8];
  StorePatternRow(bytes, pixels);
  const int head = Video::kWidth - x;
  std::memcpy(row + x, bytes, static_cast<std::size_t>(head));
  std::memcpy(row, bytes + head, static_cast<std::size_t>(8 - head));
}

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

  // Background: each tile row is decoded once into eight colour indexes and
  // stored straight at its scrolled place; the one tile a fine scroll cuts
  // in two wraps its right part round to the left edge.
  const std::uint8_t* nameRow = vram + ((regs[2] & 0x0E) << 10) + (y >> 3) * 64;
  const int rowInTile = y & 7;
  const int shift = (hScroll + off) & 0xFF;
  for (int column = 0; column < 32; ++column) {
    const unsigned number = nameRow[column * 2];
    const unsigned flags = nameRow[column * 2 + 1];
    const int patternRow = (flags & 0x04) ? 7 - rowInTile : rowInTile;
    const unsigned patternAddress = ((flags & 0x01) << 13) | (number << 5) | (patternRow << 2);
    const std::uint64_t pixels = DecodeTileRow(vram + patternAddress, (flags & 0x02) != 0);
    const std::uint64_t colour = pixels | (pattern_row::EveryByte(16) & (0 - static_cast<std::uint64_t>((flags >> 3) & 1)));
    const std::uint64_t front = pixels & (0 - static_cast<std::uint64_t>((flags >> 4) & 1));
    const int x = (column * 8 + shift) & 0xFF;
    if (x <= kWidth - 8) {
      StorePatternRow(frameRow + x, colour);
      StorePatternRow(priorityRow + x, front);
    } else {
      StoreSplitRow(frameRow, x, colour);
      StoreSplitRow(priorityRow, x, front);
    }
  }

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
