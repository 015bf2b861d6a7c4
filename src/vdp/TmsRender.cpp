// The older modes the chip keeps from the TMS9918 (register 0 bit 2 clear):
// Graphics I, Graphics II, Text and Multicolor, their sprites, and the fixed
// sixteen colours they are shown in. The frame holds TMS colour numbers 0-15
// on these lines; ShownColours hands the host the table that turns them into
// colours, in the same format as colour RAM, so the host converts both alike.
#include <cstring>

#include "vdp/PatternRow.h"
#include "vdp/Video.h"

namespace {

constexpr int kTmsSpriteCount = 32;
constexpr int kTmsSpritesPerLine = 4;
constexpr std::uint8_t kTmsSpriteListEnd = 0xD0;
constexpr std::uint8_t kFifthSpriteFlag = 0x40;
constexpr std::uint8_t kCollisionFlag = 0x20;
constexpr int kEarlyClockShift = 32;  // attribute byte 3 bit 7 moves a sprite this far left

// The sixteen TMS colours as the Master System's chip shows them, in colour
// RAM's --BBGGRR form: its 2-bit levels only come near the TMS9918's own
// colours. Colour 0, transparent, is black where it shows as the backdrop.
// A TMS9918 of its own (the SG-1000's) shows its real colours instead.
constexpr std::uint8_t kTmsMasterColours[16] = {
    0x00, 0x00, 0x08, 0x0C, 0x10, 0x30, 0x01, 0x3C, 0x02, 0x03, 0x05, 0x0F, 0x04, 0x33, 0x15, 0x3F,
};

// The TMS9918's own colours, as 8-bit red, green and blue: the chip's
// published luminance and colour-difference levels turned into RGB.
constexpr std::uint8_t kTmsChipRgb[16][3] = {
    {0, 0, 0},       {0, 0, 0},       {33, 200, 66},   {94, 220, 120},  {84, 85, 237},    {125, 118, 252},
    {212, 82, 77},   {66, 235, 245},  {252, 85, 84},   {255, 121, 120}, {212, 193, 84},   {230, 206, 128},
    {33, 176, 59},   {201, 91, 186},  {204, 204, 204}, {255, 255, 255},
};

// The table given to the host: the sixteen colours twice over (indexes 16-31
// never occur in these modes, but the host reads 32 entries), as one byte a
// colour for the Master System or one ----BBBBGGGGRRRR word for the Game
// Gear, each 2-bit level widened to the same 4-bit one (0, 5, 10, 15).
struct TmsColourTables {
  std::uint8_t master[Video::kColourRamSize];
  std::uint8_t gameGear[Video::kColourRamSize];
  std::uint8_t chip[Video::kColourRamSize];  // the TMS9918's own, as colour words
};

constexpr TmsColourTables MakeTmsColourTables() {
  TmsColourTables tables{};
  for (int index = 0; index < 32; ++index) {
    const int value = kTmsMasterColours[index & 15];
    const int r = (value & 3) * 5, g = ((value >> 2) & 3) * 5, b = ((value >> 4) & 3) * 5;
    tables.master[index] = static_cast<std::uint8_t>(value);
    tables.gameGear[index * 2] = static_cast<std::uint8_t>(g << 4 | r);
    tables.gameGear[index * 2 + 1] = static_cast<std::uint8_t>(b);
    const auto level = [](int eight) { return (eight * 15 + 127) / 255; };
    const std::uint8_t* rgb = kTmsChipRgb[index & 15];
    tables.chip[index * 2] = static_cast<std::uint8_t>(level(rgb[1]) << 4 | level(rgb[0]));
    tables.chip[index * 2 + 1] = static_cast<std::uint8_t>(level(rgb[2]));
  }
  return tables;
}

constexpr TmsColourTables kTmsColours = MakeTmsColourTables();

// Eight pixels from a 1-bit pattern byte: set bits in `front`, clear bits in
// `back`. A spread byte is 0 or 1, so the products never carry.
inline std::uint64_t TwoColourRow(std::uint8_t bits, std::uint8_t front, std::uint8_t back) {
  const std::uint64_t set = pattern_row::kSpread.bytes[bits];
  return set * front + (set ^ pattern_row::EveryByte(1)) * back;
}

// A pattern byte with each pixel doubled, for magnified sprites.
struct DoubledTable {
  std::uint16_t bits[256];
};

constexpr DoubledTable MakeDoubledTable() {
  DoubledTable table{};
  for (int byte = 0; byte < 256; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      if ((byte >> bit) & 1) table.bits[byte] = static_cast<std::uint16_t>(table.bits[byte] | 3 << (2 * bit));
    }
  }
  return table;
}

constexpr DoubledTable kDoubled = MakeDoubledTable();

// A line's place in the pattern modes and the colour a transparent (0)
// colour shows instead.
struct TmsLine {
  const std::uint8_t* vram;
  const std::uint8_t* regs;
  std::uint8_t* row;
  int L;
  std::uint8_t backdrop;

  int TileRow() const { return L >> 3; }
  int LineInTile() const { return L & 7; }
  const std::uint8_t* Names(int columns) const { return vram + ((regs[2] & 0x0F) << 10) + TileRow() * columns; }
  std::uint8_t Opaque(int colour) const { return static_cast<std::uint8_t>(colour != 0 ? colour : backdrop); }
};

// Text: 40 columns of 6 pixels between 8-pixel borders, patterns' bits 7-2
// in register 7's two colours; no sprites. With M2 or M3 as well (no mode of
// its own) every column shows the same 4-pixel bar, as the TMS9918 is
// reported to; unverified on this chip.
void DrawTextLine(const TmsLine& line, bool bars) {
  const std::uint8_t front = line.Opaque(line.regs[7] >> 4);
  const std::uint8_t* names = line.Names(40);
  const int patternBase = (line.regs[4] & 0x07) << 11;
  std::memset(line.row, line.backdrop, 8);
  for (int column = 0; column < 40; ++column) {
    const std::uint8_t bits = bars ? 0xF0 : line.vram[patternBase + names[column] * 8 + line.LineInTile()];
    // Eight pixels stored, the next column's overwriting the last two.
    StorePatternRow(line.row + 8 + column * 6, TwoColourRow(bits & 0xFC, front, line.backdrop));
  }
  std::memset(line.row + 248, line.backdrop, 8);
}

// Graphics II splits the screen in thirds of 256 patterns and colours each;
// register 4 bits 0-1 and register 3 bits 0-6 are masks on the pattern's and
// the colour's address bits, the tables' bases are register 4 bit 2 and
// register 3 bit 7. The other pattern modes use neither thirds nor masks.
struct PatternTable {
  int third;
  int base;
  int mask;
};

PatternTable PatternTableOf(const TmsLine& line, bool m3) {
  if (!m3) return {0, (line.regs[4] & 0x07) << 11, 0xFF};
  return {(line.TileRow() >> 3) << 8, (line.regs[4] & 0x04) << 11, (line.regs[4] & 0x03) << 8 | 0xFF};
}

// Multicolor: each name's pattern gives two 4 x 4 blocks a byte (high nibble
// left), rows of names taking bytes 0-1, 2-3, 4-5, 6-7 in turn. With M3 too,
// patterns are found as Graphics II finds them (the TMS9918's reported
// behaviour; unverified on this chip).
void DrawMulticolorLine(const TmsLine& line, const PatternTable& patterns) {
  const std::uint8_t* names = line.Names(32);
  const int byteInPattern = (line.TileRow() & 3) * 2 + ((line.L >> 2) & 1);
  const std::uint64_t left = pattern_row::kSpread.bytes[0xF0];
  const std::uint64_t right = pattern_row::kSpread.bytes[0x0F];
  for (int column = 0; column < 32; ++column) {
    const int pattern = (patterns.third | names[column]) & patterns.mask;
    const std::uint8_t colours = line.vram[patterns.base + pattern * 8 + byteInPattern];
    StorePatternRow(line.row + column * 8, left * line.Opaque(colours >> 4) + right * line.Opaque(colours & 0x0F));
  }
}

void DrawGraphicsTwoLine(const TmsLine& line, const PatternTable& patterns) {
  const std::uint8_t* names = line.Names(32);
  const int colourBase = (line.regs[3] & 0x80) << 6;
  const int colourMask = (line.regs[3] & 0x7F) << 3 | 0x07;
  for (int column = 0; column < 32; ++column) {
    const int name = patterns.third | names[column];
    const std::uint8_t bits = line.vram[patterns.base + (name & patterns.mask) * 8 + line.LineInTile()];
    const std::uint8_t colours = line.vram[colourBase + (name & colourMask) * 8 + line.LineInTile()];
    StorePatternRow(line.row + column * 8,
                    TwoColourRow(bits, line.Opaque(colours >> 4), line.Opaque(colours & 0x0F)));
  }
}

// Graphics I: one colour byte for each group of 8 patterns.
void DrawGraphicsOneLine(const TmsLine& line, const PatternTable& patterns) {
  const std::uint8_t* names = line.Names(32);
  const std::uint8_t* colourTable = line.vram + line.regs[3] * 64;
  for (int column = 0; column < 32; ++column) {
    const int name = names[column];
    const std::uint8_t bits = line.vram[patterns.base + name * 8 + line.LineInTile()];
    const std::uint8_t colours = colourTable[name >> 3];
    StorePatternRow(line.row + column * 8,
                    TwoColourRow(bits, line.Opaque(colours >> 4), line.Opaque(colours & 0x0F)));
  }
}

// The sprites that cover a line, in table order: the first four (all of
// them with the limit off), the fifth's number if there is one (else -1), and
// the last sprite looked at (the end marker's, or 31).
struct TmsLineSprites {
  int onLine[kTmsSpriteCount];
  int found = 0;
  int fifth = -1;
  int lastLooked = kTmsSpriteCount - 1;
};

TmsLineSprites SelectTmsSprites(const std::uint8_t* attributes, int L, int height, bool spriteLimit) {
  TmsLineSprites sprites;
  for (int sprite = 0; sprite < kTmsSpriteCount; ++sprite) {
    const std::uint8_t y = attributes[sprite * 4];
    if (y == kTmsSpriteListEnd) {
      sprites.lastLooked = sprite;
      break;
    }
    // The top row is on the line after Y, modulo 256.
    if (((L - y - 1) & 0xFF) >= height) continue;
    if (sprites.found == kTmsSpritesPerLine && sprites.fifth < 0) {
      sprites.fifth = sprite;
      sprites.lastLooked = sprite;
      // Whoever turned the limit off sees the rest too; the flags stay the chip's.
      if (spriteLimit) break;
    }
    sprites.onLine[sprites.found++] = sprite;
  }
  return sprites;
}

// Each sprite's pixels on a line, pixel 0 at bit width - 1, and its left edge.
struct TmsSpriteRows {
  std::uint32_t bits[kTmsSpriteCount];
  int left[kTmsSpriteCount];
  int width;
};

// Whether set bits of two of the first four sprites meet on one pixel of
// the screen, whatever their colours.
bool TmsSpritesCollide(const TmsSpriteRows& rows, int found) {
  std::uint64_t taken[4] = {};
  const int checked = found < kTmsSpritesPerLine ? found : kTmsSpritesPerLine;
  for (int k = 0; k < checked; ++k) {
    for (int i = 0; i < rows.width; ++i) {
      const int x = rows.left[k] + i;
      if (x < 0 || x >= Video::kWidth || !((rows.bits[k] >> (rows.width - 1 - i)) & 1)) continue;
      const std::uint64_t bit = std::uint64_t{1} << (x & 63);
      if (taken[x >> 6] & bit) return true;
      taken[x >> 6] |= bit;
    }
  }
  return false;
}

}  // namespace

const std::uint8_t* Video::ShownColours() const {
  if (tms9918) return kTmsColours.chip;
  if (!tmsColours) return cram;
  return gameGear ? kTmsColours.gameGear : kTmsColours.master;
}

void Video::RenderTmsLine(int L) {
  tmsColours = true;
  if (L < 0 || L >= kHeight) return;
  const TmsLine line{vram, regs, frame + L * kWidth, L, static_cast<std::uint8_t>(regs[7] & 0x0F)};
  if (!(regs[1] & 0x40)) {
    std::memset(line.row, line.backdrop, kWidth);
    return;
  }

  // M1 (register 1 bit 4) picks Text, M2 (register 1 bit 3) Multicolor and
  // M3 (register 0 bit 1) Graphics II; none of them, Graphics I.
  const bool m1 = regs[1] & 0x10;
  const bool m2 = regs[1] & 0x08;
  const bool m3 = regs[0] & 0x02;
  if (m1) {
    DrawTextLine(line, m2 || m3);
  } else {
    const PatternTable patterns = PatternTableOf(line, m3);
    if (m2) {
      DrawMulticolorLine(line, patterns);
    } else if (m3) {
      DrawGraphicsTwoLine(line, patterns);
    } else {
      DrawGraphicsOneLine(line, patterns);
    }
    TmsSprites(L, !hideSprites);
  }

  if (gameGear) {
    // The Game Gear shows the 160 x 144 window in the middle of the frame.
    if (L < kGameGearScreenY || L >= kGameGearScreenY + kGameGearScreenHeight) {
      std::memset(line.row, line.backdrop, kWidth);
    } else {
      std::memset(line.row, line.backdrop, kGameGearScreenX);
      std::memset(line.row + kGameGearScreenX + kGameGearScreenWidth, line.backdrop, kGameGearScreenX);
    }
  }
}

void Video::TmsSprites(int L, bool draw) {
  const std::uint8_t* attributes = vram + ((regs[5] & 0x7F) << 7);
  const int patternBase = (regs[6] & 0x07) << 11;
  const bool large = regs[1] & 0x02;  // 16 x 16: four patterns, from a multiple of 4
  const int zoom = regs[1] & 0x01;     // each pixel doubled both ways

  // The chip takes the first four sprites that cover the line, in table
  // order, up to a Y of 0xD0. A fifth sets the fifth-sprite flag and puts
  // its number in status bits 0-4; until the flag is set those bits follow
  // the last sprite looked at.
  TmsSpriteRows rows;
  rows.width = (large ? 16 : 8) << zoom;
  const TmsLineSprites sprites = SelectTmsSprites(attributes, L, rows.width, spriteLimit);
  if (!(status & kFifthSpriteFlag)) {
    status = static_cast<std::uint8_t>((status & 0xE0) | sprites.lastLooked |
                                       (sprites.fifth >= 0 ? kFifthSpriteFlag : 0));
  }
  if (sprites.found == 0) return;

  for (int k = 0; k < sprites.found; ++k) {
    const std::uint8_t* sprite = attributes + sprites.onLine[k] * 4;
    const int row = ((L - sprite[0] - 1) & 0xFF) >> zoom;
    const int number = large ? sprite[2] & 0xFC : sprite[2];
    // Rows 8-15 of a large sprite are the next pattern's, which the address
    // reaches on its own; its right half is two patterns on.
    const std::uint8_t* pattern = vram + patternBase + number * 8 + row;
    std::uint32_t b = large ? std::uint32_t{pattern[0]} << 8 | pattern[16] : pattern[0];
    if (zoom) b = large ? std::uint32_t{kDoubled.bits[b >> 8]} << 16 | kDoubled.bits[b & 0xFF] : kDoubled.bits[b];
    rows.bits[k] = b;
    rows.left[k] = sprite[1] - ((sprite[3] & 0x80) ? kEarlyClockShift : 0);
  }
  if (!(status & kCollisionFlag) && TmsSpritesCollide(rows, sprites.found)) status |= kCollisionFlag;
  if (!draw) return;

  // Last to first, so that lower-numbered sprites end up on top; colour 0
  // draws nothing.
  std::uint8_t* row = frame + L * kWidth;
  for (int k = sprites.found - 1; k >= 0; --k) {
    const std::uint8_t colour = attributes[sprites.onLine[k] * 4 + 3] & 0x0F;
    if (colour == 0) continue;
    for (int i = 0; i < rows.width; ++i) {
      const int x = rows.left[k] + i;
      if (x >= 0 && x < kWidth && ((rows.bits[k] >> (rows.width - 1 - i)) & 1)) row[x] = colour;
    }
  }
}
