// The scanline renderer: background with scrolling, flips, palettes and
// priority, then sprites, then the backdrop borders.
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vdp/PatternRow.h"
#include "vdp/Video.h"

namespace {

constexpr int kAddressMask = Video::kVramSize - 1;
constexpr int kSpriteCount = 64;
constexpr int kSpritesPerLine = 8;  // the chip fetches at most 8 sprites a line
constexpr std::uint8_t kSpriteListEnd = 0xD0;  // a Y of 0xD0 ends the table (192-line mode)
constexpr std::uint8_t kOverflowFlag = 0x40;
constexpr std::uint8_t kCollisionFlag = 0x20;

// A sprite row's opaque pixels as bits, pixel i at bit i, indexed by the OR
// of its four plane bytes (where bit 7 is pixel 0); zoomed, each pixel takes
// two bits.
struct OpaqueTables {
  std::uint16_t bits[2][256];
};

constexpr OpaqueTables MakeOpaqueTables() {
  OpaqueTables tables{};
  for (int planes = 0; planes < 256; ++planes) {
    for (int pixel = 0; pixel < 8; ++pixel) {
      if (!((planes >> (7 - pixel)) & 1)) continue;
      tables.bits[0][planes] = static_cast<std::uint16_t>(tables.bits[0][planes] | 1 << pixel);
      tables.bits[1][planes] = static_cast<std::uint16_t>(tables.bits[1][planes] | 3 << (2 * pixel));
    }
  }
  return tables;
}

constexpr OpaqueTables kOpaque = MakeOpaqueTables();

// 0xFF in each byte of the word that is not zero, 0x00 in the others.
inline std::uint64_t NonZeroBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t high = (((word & kLow7) + kLow7) | word) & ~kLow7;
  return (high >> 7) * 0xFF;
}

// Replaces the bytes of the 8 at `at` that are clear in `kept` with those of
// `bytes`.
inline void MergeWord(std::uint8_t* at, std::uint64_t kept, std::uint64_t bytes) {
  std::uint64_t word;
  std::memcpy(&word, at, sizeof word);
  word = (word & kept) | (bytes & ~kept);
  std::memcpy(at, &word, sizeof word);
}

// Fills a line of kWidth bytes with sixteen plain stores, written out: the
// string instruction a memset (or a loop of stores) of this size compiles to
// takes longer to start than these take to run, and it ran on every line.
inline void FillRow(std::uint8_t* row, std::uint8_t value) {
#if defined(__SSE2__)
  const __m128i bytes = _mm_set1_epi8(static_cast<char>(value));
  [row, bytes]<std::size_t... kPart>(std::index_sequence<kPart...>) {
    (_mm_storeu_si128(reinterpret_cast<__m128i*>(row + kPart * 16), bytes), ...);
  }(std::make_index_sequence<Video::kWidth / 16>{});
#else
  std::memset(row, value, Video::kWidth);
#endif
}

// A sprite's lines: 8 or 16, doubled when zoomed (register 1 bits 1 and 0).
int SpriteHeight(std::uint8_t mode) { return ((mode & 0x02) ? 16 : 8) << (mode & 0x01); }

// The sprites that cover line L, in table order, as bits (sprite n at bit
// n), up to the list's end. A sprite's top row is on the line after its Y,
// counted modulo 256, so Y = 0xFF starts on line 0 and Y = 0xF8..0xFE reach
// in from the top: row (L - Y - 1) modulo 256 is below `height`.
inline std::uint64_t SpritesCovering(const std::uint8_t* yTable, int L, int height, bool listEnds) {
  std::uint64_t covering = 0;
  std::uint64_t ends = 0;
#if defined(__SSE2__)
  const __m128i lineAbove = _mm_set1_epi8(static_cast<char>(L - 1));
  const __m128i lastRow = _mm_set1_epi8(static_cast<char>(height - 1));
  const __m128i listEnd = _mm_set1_epi8(static_cast<char>(kSpriteListEnd));
  for (int part = 0; part < 4; ++part) {
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(yTable + part * 16));
    const __m128i row = _mm_sub_epi8(lineAbove, y);
    const __m128i inside = _mm_cmpeq_epi8(_mm_min_epu8(row, lastRow), row);
    covering |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(inside))} << (part * 16);
    ends |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(y, listEnd)))} << (part * 16);
  }
#else
  for (int sprite = 0; sprite < kSpriteCount; ++sprite) {
    const int y = yTable[sprite];
    if (((L - y - 1) & 0xFF) < height) covering |= std::uint64_t{1} << sprite;
    if (y == kSpriteListEnd) ends |= std::uint64_t{1} << sprite;
  }
#endif
  // Everything from the first end marker on is ignored; taller pictures
  // have no end marker.
  if (ends != 0 && listEnds) covering &= (std::uint64_t{1} << std::countr_zero(ends)) - 1;
  return covering;
}

}  // namespace

// The renderer's hot loop, kept in one piece with its lambdas like the
// processor's opcode switches: split into an object or a member of its own,
// the same instructions ran 4 to 8 % slower (video_bench), from where the
// compiler then placed the line's arrays.
void Video::RenderLine(int L) {
  // The older modes are drawn apart, so that mode 4 pays one test a line.
  if (!(regs[0] & 0x04) || tms9918) {
    RenderTmsLine(L);
    return;
  }
  tmsColours = false;
  if (L < 0 || L >= kMaxHeight) return;
  std::uint8_t* frameRow = frame + L * kWidth;
  std::uint8_t* priorityRow = priority + L * kWidth;
  const std::uint8_t backdrop = static_cast<std::uint8_t>(16 + (regs[7] & 0x0F));

  const int spriteShift = (regs[0] & 0x08) ? -8 : 0;

  // Display off, or outside the Game Gear's 144 lines: backdrop only. The
  // Game Gear's chip still works through its sprites there, flags and all.
  if (!(regs[1] & 0x40) || (gameGear && (L < kGameGearScreenY || L >= kGameGearScreenY + kGameGearScreenHeight))) {
    FillRow(frameRow, backdrop);
    if (regs[1] & 0x40) {
      const std::uint64_t covering = SpritesCovering(vram + spriteTable, L, SpriteHeight(regs[1]), pictureLines == kHeight);
      if (covering != 0) DrawSprites(L, covering, spriteShift, false);
    }
    return;
  }

  int hScroll = (L < 16 && (regs[0] & 0x40)) ? 0 : regs[8];
  // In 192-line pictures the name table is 28 rows (224 lines) high at
  // (register 2 & 0x0E) << 10 and the vertical scroll wraps modulo 224; in
  // taller ones it is 32 rows high at ((register 2 & 0x0C) << 10) + 0x700
  // and wraps modulo 256.
  int y = L + regs[9];
  const std::uint8_t* nameTable;
  if (pictureLines == kHeight) {
    if (y >= 224) y -= 224;
    nameTable = vram + ((regs[2] & 0x0E) << 10);
  } else {
    y &= 0xFF;
    nameTable = vram + ((regs[2] & 0x0C) << 10) + 0x700;
  }

  // Background. Column c of the name table lands at x = 8c + shift (modulo
  // 256), so screen tile k (x from 8k + fine) shows column k - shift / 8; the
  // last screen tile runs past x = 255 by `fine` pixels, which wrap to x = 0.
  // A name-table entry is a little-endian word: pattern number in bits 0-8,
  // then horizontal flip, vertical flip, palette and priority.
  const int shift = hScroll & 0xFF;
  const int fine = shift & 7;
  // A name-table row's entries twice over, so that the 32 columns from any
  // starting one follow each other without wrapping.
  auto loadRow = [&](int row, std::uint16_t* entries) {
    const std::uint8_t* nameRow = nameTable + row * 64;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(entries, nameRow, 32 * sizeof entries[0]);
    } else {
      for (int column = 0; column < 32; ++column) {
        entries[column] = static_cast<std::uint16_t>(nameRow[column * 2] | nameRow[column * 2 + 1] << 8);
      }
    }
    std::memcpy(entries + 32, entries, 32 * sizeof entries[0]);
    unsigned all = 0;
    for (int column = 0; column < 32; ++column) all |= entries[column];
    return all;
  };
  std::uint16_t entries[64];
  unsigned allEntries = loadRow(y >> 3, entries);
  const std::uint16_t* screenEntries = entries + ((32 - (shift >> 3)) & 31);
  const unsigned rowInTile = static_cast<unsigned>(y & 7);
  // With register 0 bit 7 set, screen tiles 24-31 ignore the vertical
  // scroll: they show the line's own row.
  const bool locked = (regs[0] & 0x80) && y != L;
  std::uint16_t lockedEntries[64];
  const std::uint16_t* lockedScreen = lockedEntries + ((32 - (shift >> 3)) & 31);
  const unsigned lockedRowInTile = static_cast<unsigned>(L & 7);
  if (locked) allEntries |= loadRow(L >> 3, lockedEntries);

  // One tile's eight pixels on this line: the colours (palette bit added)
  // and the colours again where the tile has priority, else zeros. The flips
  // pick the decoded row; palette and priority are applied as masks, not
  // branches: on busy screens they change from tile to tile, and a branch on
  // them would be guessed wrong.
  struct TilePixels {
    std::uint64_t colour;
    std::uint64_t front;
  };
  auto tilePixels = [&](unsigned entry, unsigned row) {
    const std::uint64_t shown = decodedRows[(entry & 0x07FF) << 3 | row];
    const std::uint64_t paletteMask = 0 - std::uint64_t{(entry >> 11) & 1};
    const std::uint64_t frontMask = 0 - std::uint64_t{(entry >> 12) & 1};
    return TilePixels{shown | (pattern_row::EveryByte(16) & paletteMask), shown & frontMask};
  };

  // Screen tile k's pixels: kLocked sends tiles 24-31 to the locked row.
  auto screenTile = [&]<bool kLocked>(int k) {
    if (kLocked && k >= 24) return tilePixels(lockedScreen[k], lockedRowInTile);
    return tilePixels(screenEntries[k], rowInTile);
  };
  // kFront: some tile of the row has priority, so the priority row is drawn
  // with the colours; otherwise it is cleared in one go.
  auto drawTiles = [&]<bool kFront, bool kLocked>() {
    std::uint8_t* colourOut = frameRow + fine;
    std::uint8_t* frontOut = priorityRow + fine;
    for (int k = 0; k < 31; ++k) {
      const TilePixels tile = screenTile.template operator()<kLocked>(k);
      StorePatternRow(colourOut + k * 8, tile.colour);
      if constexpr (kFront) StorePatternRow(frontOut + k * 8, tile.front);
    }
    if constexpr (!kFront) FillRow(priorityRow, 0);
    const TilePixels last = screenTile.template operator()<kLocked>(31);
    const std::uint64_t front = kFront ? last.front : 0;
    if (fine == 0) {
      StorePatternRow(frameRow + 248, last.colour);
      if constexpr (kFront) StorePatternRow(priorityRow + 248, front);
    } else if constexpr (std::endian::native == std::endian::little) {
      // Pixels 0 to 7 - fine end the line, the others start it: two words
      // merged with what tiles 30 and 0 left there.
      const int keep = fine * 8;
      const std::uint64_t kept = (std::uint64_t{1} << keep) - 1;
      MergeWord(frameRow + 248, kept, last.colour << keep);
      MergeWord(frameRow, ~kept, last.colour >> (64 - keep));
      if constexpr (kFront) {
        MergeWord(priorityRow + 248, kept, front << keep);
        MergeWord(priorityRow, ~kept, front >> (64 - keep));
      }
    } else {
      std::uint8_t colours[8];
      std::uint8_t fronts[8];
      StorePatternRow(colours, last.colour);
      StorePatternRow(fronts, front);
      for (int i = 0; i < 8; ++i) {
        const int x = (248 + fine + i) & 0xFF;
        frameRow[x] = colours[i];
        priorityRow[x] = fronts[i];
      }
    }
  };
  if (locked) {
    if (allEntries & 0x1000) {
      drawTiles.template operator()<true, true>();
    } else {
      drawTiles.template operator()<false, true>();
    }
  } else if (allEntries & 0x1000) {
    drawTiles.template operator()<true, false>();
  } else {
    drawTiles.template operator()<false, false>();
  }

  const std::uint64_t covering = SpritesCovering(vram + spriteTable, L, SpriteHeight(regs[1]), pictureLines == kHeight);
  if (covering != 0) DrawSprites(L, covering, spriteShift, !hideSprites);
  if (hideSprites) return;

  if (gameGear) {
    // The Game Gear shows the 160 x 144 window in the middle of the frame.
    std::memset(frameRow, backdrop, kGameGearScreenX);
    std::memset(frameRow + kGameGearScreenX + kGameGearScreenWidth, backdrop, kGameGearScreenX);
  } else if (regs[0] & 0x20) {
    // The blank left column: the first 8 pixels in the backdrop colour, over
    // tiles and sprites alike; nothing else moves.
    std::memset(frameRow, backdrop, 8);
  }
}

namespace {

// The sprites the chip fetches for a line, in table order: the address of
// each one's pattern row (a multiple of 4: the row's first plane) and its
// number. Aligned to a cache line: placed anywhere on the stack, the lists
// cost the renderer 5 % (video_bench) for the same instructions.
struct alignas(64) LineSprites {
  std::uint16_t rowAddress[kSpriteCount];
  std::uint8_t number[kSpriteCount];
  int count = 0;
};

// How registers 1 and 6 shape a line's sprites.
struct SpriteShape {
  int zoom;         // each sprite pixel doubled both ways
  int width;        // 8, or 16 zoomed
  int patternBase;  // register 6 bit 2: the upper or lower 8 KB
  int numberMask;   // a 16-line sprite ignores bit 0 of its pattern number
};

LineSprites SelectSprites(const std::uint8_t* attributes, int L, std::uint64_t covering, const SpriteShape& shape) {
  LineSprites sprites;
  for (; covering != 0; covering &= covering - 1) {
    const int sprite = std::countr_zero(covering);
    const int row = (L - attributes[sprite] - 1) & 0xFF;
    // Rows 0-7 of a 16-line sprite come from its even pattern, rows 8-15
    // from the odd one after it.
    const int number = attributes[129 + sprite * 2] & shape.numberMask;
    sprites.number[sprites.count] = static_cast<std::uint8_t>(sprite);
    sprites.rowAddress[sprites.count] =
        static_cast<std::uint16_t>((shape.patternBase + number * 32 + (row >> shape.zoom) * 4) & kAddressMask);
    ++sprites.count;
  }
  return sprites;
}

// Whether opaque pixels of two of the first eight sprites meet on one of the
// chip's 256 pixels, whether or not they end up drawn.
bool SpritesCollide(const std::uint8_t* vram, const std::uint8_t* attributes, const LineSprites& sprites,
                    const SpriteShape& shape, int chipShift) {
  std::uint64_t taken[6] = {};  // chip pixel x at bit x + 64
  const int checked = sprites.count < kSpritesPerLine ? sprites.count : kSpritesPerLine;
  for (int k = 0; k < checked; ++k) {
    const std::uint8_t* planes = vram + sprites.rowAddress[k];
    std::uint32_t bits = kOpaque.bits[shape.zoom][planes[0] | planes[1] | planes[2] | planes[3]];
    const int x0 = attributes[128 + sprites.number[k] * 2] + chipShift;  // -8 to 255
    if (x0 < 0) bits &= ~0u << -x0;
    if (x0 > Video::kWidth - shape.width) bits &= (1u << (Video::kWidth - x0)) - 1;
    const int at = x0 + 64;
    const int shift = at & 63;
    const std::uint64_t low = std::uint64_t{bits} << shift;
    const std::uint64_t high = shift ? std::uint64_t{bits} >> (64 - shift) : 0;
    std::uint64_t* word = taken + (at >> 6);
    if ((word[0] & low) | (word[1] & high)) return true;
    word[0] |= low;
    word[1] |= high;
  }
  return false;
}

// Draws the sprites last to first, so that lower-numbered ones end up on
// top: opaque sprite pixels where the background has no priority.
void MergeSprites(const std::uint64_t* decodedRows, const std::uint8_t* attributes, const LineSprites& sprites,
                  const SpriteShape& shape, int chipShift, std::uint8_t* frameRow, const std::uint8_t* priorityRow) {
  for (int k = sprites.count - 1; k >= 0; --k) {
    const std::uint64_t packed = decodedRows[sprites.rowAddress[k] >> 2];
    if (packed == 0) continue;
    const int x0 = attributes[128 + sprites.number[k] * 2] + chipShift;
    if (shape.zoom == 0 && x0 >= 0 && x0 <= Video::kWidth - 8) {
      // The common case, eight whole pixels on screen: merged as one word.
      std::uint64_t under;
      std::uint64_t front;
      std::memcpy(&under, frameRow + x0, sizeof under);
      std::memcpy(&front, priorityRow + x0, sizeof front);
      const std::uint64_t take = NonZeroBytes(packed) & ~NonZeroBytes(front);
      StorePatternRow(frameRow + x0, (under & ~take) | ((packed + pattern_row::EveryByte(16)) & take));
      continue;
    }
    std::uint8_t pixels[8];
    StorePatternRow(pixels, packed);
    for (int i = 0; i < shape.width; ++i) {
      const std::uint8_t colour = pixels[i >> shape.zoom];
      const int x = x0 + i;
      if (colour == 0 || x < 0 || x >= Video::kWidth) continue;
      if (priorityRow[x] == 0) frameRow[x] = static_cast<std::uint8_t>(colour + 16);
    }
  }
}

}  // namespace

void Video::DrawSprites(int L, std::uint64_t covering, int chipShift, bool draw) {
  const std::uint8_t* attributes = vram + spriteTable;
  const int zoom = regs[1] & 0x01;
  const SpriteShape shape{zoom, 8 << zoom, (regs[6] & 0x04) << 11, (regs[1] & 0x02) ? 0xFE : 0xFF};

  // A ninth sprite on the line sets the overflow flag; the chip draws only
  // the first eight.
  std::uint64_t beyond = covering;
  for (int k = 0; k < kSpritesPerLine; ++k) beyond &= beyond - 1;  // all but the first eight
  if (beyond != 0) {
    status |= kOverflowFlag;
    if (spriteLimit) covering &= ~beyond;
  }
  const LineSprites sprites = SelectSprites(attributes, L, covering, shape);
  // Once the collision flag is up (until the next status read) there is
  // nothing more to find.
  if (sprites.count > 1 && !(status & kCollisionFlag) && SpritesCollide(vram, attributes, sprites, shape, chipShift)) {
    status |= kCollisionFlag;
  }
  if (draw) MergeSprites(decodedRows, attributes, sprites, shape, chipShift, frame + L * kWidth, priority + L * kWidth);
}
