#include "debugger/VideoPictures.h"

#include <algorithm>
#include <cstdio>

#include "host/conversion/ColourConversion.h"
#include "vdp/Video.h"

namespace {

constexpr int kMode4Sprites = 64;
constexpr int kTmsSprites = 32;
constexpr std::uint8_t kSpriteListEnd = 0xD0;

enum class TmsMode { kGraphics1, kGraphics2, kText, kMulticolour };

TmsMode ModeOf(const VideoView& v) {
  if (v.regs[1] & 0x10) return TmsMode::kText;
  if (v.regs[1] & 0x08) return TmsMode::kMulticolour;
  if (v.regs[0] & 0x02) return TmsMode::kGraphics2;
  return TmsMode::kGraphics1;
}

std::uint8_t Vram(const VideoView& v, int address) { return v.vram[address & (Video::kVramSize - 1)]; }

std::uint32_t Colour(const VideoView& v, int index) { return ColourRgb(v.colours, index & 31, v.colourWords); }

// A TMS colour number (0 transparent: the backdrop's).
std::uint32_t TmsColour(const VideoView& v, int colour) {
  return Colour(v, (colour & 15) != 0 ? colour & 15 : v.regs[7] & 15);
}

// Mode 4 pixel `x` of row `r` of tile `tile`: 0-15.
int Mode4Pixel(const VideoView& v, int tile, int r, int x) {
  const int at = (tile & 511) * 32 + r * 4;
  const int bit = 7 - x;
  return ((Vram(v, at) >> bit) & 1) | ((Vram(v, at + 1) >> bit) & 1) << 1 | ((Vram(v, at + 2) >> bit) & 1) << 2 |
         ((Vram(v, at + 3) >> bit) & 1) << 3;
}

int TmsPatternBase(const VideoView& v) {
  return ModeOf(v) == TmsMode::kGraphics2 ? (v.regs[4] & 0x04) << 11 : (v.regs[4] & 0x07) << 11;
}

int TmsPatternCount(const VideoView& v) { return ModeOf(v) == TmsMode::kGraphics2 ? 768 : 256; }

// The colour byte (foreground high, background low) of row `r` of pattern `p`.
std::uint8_t TmsColours(const VideoView& v, int p, int r) {
  switch (ModeOf(v)) {
    case TmsMode::kGraphics2: return Vram(v, ((v.regs[3] & 0x80) << 6) + p * 8 + r);
    case TmsMode::kGraphics1: return Vram(v, (v.regs[3] << 6) + (p & 255) / 8);
    default: return v.regs[7];
  }
}

int Mode4NameBase(const VideoView& v) {
  return v.lines > 192 ? ((v.regs[2] & 0x0C) << 10) | 0x700 : (v.regs[2] & 0x0E) << 10;
}
int Mode4Rows(const VideoView& v) { return v.lines > 192 ? 32 : 28; }

// The outline of a w x h rectangle at (x, y) on a picture it wraps around.
void Outline(RgbPicture& p, int x, int y, int w, int h) {
  for (int i = 0; i < w; ++i) {
    p.Set((x + i) % p.width, y % p.height, kWindowColour);
    p.Set((x + i) % p.width, (y + h - 1) % p.height, kWindowColour);
  }
  for (int j = 0; j < h; ++j) {
    p.Set(x % p.width, (y + j) % p.height, kWindowColour);
    p.Set((x + w - 1) % p.width, (y + j) % p.height, kWindowColour);
  }
}

}  // namespace

VideoView ViewOf(const Video& video) {
  VideoView v;
  v.vram = video.vram;
  v.regs = video.regs;
  v.mode4 = !video.tms9918 && (video.regs[0] & 0x04);
  v.colours = v.mode4 ? video.cram : video.ShownColours();
  v.colourWords = video.gameGear || video.tms9918;
  v.lines = video.PictureLines();
  v.gameGearScreen = video.gameGear;
  return v;
}

void RgbPicture::Resize(int w, int h) {
  width = w;
  height = h;
  rgb.assign(static_cast<std::size_t>(w) * h * 3, 0);
}

void RgbPicture::Set(int x, int y, std::uint32_t colour) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  std::uint8_t* at = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  at[0] = static_cast<std::uint8_t>(colour >> 16);
  at[1] = static_cast<std::uint8_t>(colour >> 8);
  at[2] = static_cast<std::uint8_t>(colour);
}

std::uint32_t RgbPicture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  const std::uint8_t* at = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  return static_cast<std::uint32_t>(at[0]) << 16 | at[1] << 8 | at[2];
}

RgbPicture TileSetPicture(const VideoView& v, int palette) {
  RgbPicture p;
  const int count = v.mode4 ? 512 : TmsPatternCount(v);
  p.Resize(256, count / 32 * 8);
  for (int tile = 0; tile < count; ++tile) {
    const int left = tile % 32 * 8, top = tile / 32 * 8;
    for (int r = 0; r < 8; ++r) {
      if (v.mode4) {
        for (int x = 0; x < 8; ++x) p.Set(left + x, top + r, Colour(v, (palette & 1) * 16 + Mode4Pixel(v, tile, r, x)));
        continue;
      }
      const std::uint8_t bits = Vram(v, TmsPatternBase(v) + tile * 8 + r);
      const std::uint8_t colours = TmsColours(v, tile, r);
      for (int x = 0; x < 8; ++x) {
        const bool set = (bits >> (7 - x)) & 1;
        p.Set(left + x, top + r,
              palette == 0 ? (set ? 0xFFFFFF : 0x000000) : TmsColour(v, set ? colours >> 4 : colours & 15));
      }
    }
  }
  return p;
}

int TileAt(const VideoView& v, int x, int y) {
  if (x < 0 || y < 0 || x >= 256) return -1;
  const int tile = y / 8 * 32 + x / 8;
  return tile < (v.mode4 ? 512 : TmsPatternCount(v)) ? tile : -1;
}

std::uint16_t TileAddress(const VideoView& v, int tile) {
  return static_cast<std::uint16_t>(v.mode4 ? (tile & 511) * 32 : (TmsPatternBase(v) + tile * 8) & 0x3FFF);
}

RgbPicture NameTablePicture(const VideoView& v) {
  RgbPicture p;
  if (v.mode4) {
    const int rows = Mode4Rows(v), base = Mode4NameBase(v);
    p.Resize(256, rows * 8);
    for (int entry = 0; entry < rows * 32; ++entry) {
      const int word = Vram(v, base + entry * 2) | Vram(v, base + entry * 2 + 1) << 8;
      const int left = entry % 32 * 8, top = entry / 32 * 8;
      for (int r = 0; r < 8; ++r) {
        for (int x = 0; x < 8; ++x) {
          const int pixel = Mode4Pixel(v, word & 511, (word & 0x400) ? 7 - r : r, (word & 0x200) ? 7 - x : x);
          p.Set(left + x, top + r, Colour(v, ((word >> 11) & 1) * 16 + pixel));
        }
      }
    }
    // Register 8 moves the picture right, register 9 the table up.
    const int scrollX = v.regs[8], scrollY = v.regs[9] % p.height;
    if (v.gameGearScreen) {
      Outline(p, (kGameGearScreenX - scrollX + 256) % 256, (kGameGearScreenY + scrollY) % p.height,
              kGameGearScreenWidth, kGameGearScreenHeight);
    } else {
      Outline(p, (256 - scrollX) % 256, scrollY, 256, v.lines);
    }
    return p;
  }
  const TmsMode mode = ModeOf(v);
  const int columns = mode == TmsMode::kText ? 40 : 32, width = mode == TmsMode::kText ? 6 : 8;
  const int names = (v.regs[2] & 0x0F) << 10;
  p.Resize(columns * width, 192);
  for (int entry = 0; entry < columns * 24; ++entry) {
    const int row = entry / columns;
    const int name = Vram(v, names + entry);
    const int pattern = mode == TmsMode::kGraphics2 ? (row / 8) * 256 + name : name;
    for (int r = 0; r < 8; ++r) {
      const std::uint8_t bits = Vram(v, TmsPatternBase(v) + pattern * 8 + r);
      const std::uint8_t colours = TmsColours(v, pattern, r);
      for (int x = 0; x < width; ++x) {
        const bool set = (bits >> (7 - x)) & 1;
        p.Set(entry % columns * width + x, row * 8 + r, TmsColour(v, set ? colours >> 4 : colours & 15));
      }
    }
  }
  return p;
}

RgbPicture PalettePicture(const VideoView& v) {
  RgbPicture p;
  const int count = v.mode4 ? 32 : 16;
  p.Resize(256, count / 16 * 16);
  for (int i = 0; i < count; ++i) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) p.Set(i % 16 * 16 + x, i / 16 * 16 + y, Colour(v, i));
    }
  }
  return p;
}

std::string PaletteText(const VideoView& v) {
  std::string text;
  const int count = v.mode4 ? 32 : 16;
  for (int i = 0; i < count; ++i) {
    char item[24];
    if (v.colourWords) {
      std::snprintf(item, sizeof item, "%02d:%03X", i, (v.colours[i * 2] | v.colours[i * 2 + 1] << 8) & 0xFFF);
    } else {
      std::snprintf(item, sizeof item, "%02d:%02X", i, v.colours[i]);
    }
    text += item;
    text += i % 8 == 7 ? "\n" : "  ";
  }
  return text;
}

std::vector<SpriteInfo> Sprites(const VideoView& v) {
  std::vector<SpriteInfo> sprites;
  const bool big = v.regs[1] & 0x02, zoomed = v.regs[1] & 0x01;
  if (v.mode4) {
    const int table = (v.regs[5] & 0x7E) << 7;
    for (int i = 0; i < kMode4Sprites; ++i) {
      const int y = Vram(v, table + i);
      if (v.lines == 192 && y == kSpriteListEnd) break;
      SpriteInfo s;
      s.index = i;
      s.y = y >= 0xF0 ? y + 1 - 256 : y + 1;  // the chip draws a sprite from the line after its Y
      s.x = Vram(v, table + 0x80 + i * 2) - ((v.regs[0] & 0x08) ? 8 : 0);
      s.pattern = Vram(v, table + 0x81 + i * 2) | ((v.regs[6] & 0x04) ? 0x100 : 0);
      if (big) s.pattern &= ~1;
      s.height = (big ? 16 : 8) * (zoomed ? 2 : 1);
      sprites.push_back(s);
    }
  } else {
    const int table = (v.regs[5] & 0x7F) << 7;
    for (int i = 0; i < kTmsSprites; ++i) {
      const int y = Vram(v, table + i * 4);
      if (y == kSpriteListEnd) break;
      SpriteInfo s;
      s.index = i;
      s.y = y >= 0xE1 ? y + 1 - 256 : y + 1;
      s.x = Vram(v, table + i * 4 + 1) - ((Vram(v, table + i * 4 + 3) & 0x80) ? 32 : 0);
      s.pattern = Vram(v, table + i * 4 + 2);
      if (big) s.pattern &= ~3;
      s.height = (big ? 16 : 8) * (zoomed ? 2 : 1);
      sprites.push_back(s);
    }
  }
  // The chip draws the first sprites of each line up to its limit.
  const int limit = v.mode4 ? 8 : 4;
  for (int line = 0; line < v.lines; ++line) {
    int shown = 0;
    for (SpriteInfo& s : sprites) {
      if (line < s.y || line >= s.y + s.height) continue;
      if (++shown <= limit) continue;
      if (s.firstDropped < 0) s.firstDropped = line;
      ++s.droppedLines;
    }
  }
  return sprites;
}

TileUses UsesOfTile(const VideoView& v, int tile) {
  TileUses uses;
  if (v.mode4) {
    const int base = Mode4NameBase(v);
    for (int entry = 0; entry < Mode4Rows(v) * 32; ++entry) {
      if (((Vram(v, base + entry * 2) | Vram(v, base + entry * 2 + 1) << 8) & 511) == tile) uses.entries.push_back(entry);
    }
  } else {
    const TmsMode mode = ModeOf(v);
    const int columns = mode == TmsMode::kText ? 40 : 32;
    const int names = (v.regs[2] & 0x0F) << 10;
    for (int entry = 0; entry < columns * 24; ++entry) {
      const int row = entry / columns;
      const int pattern = (mode == TmsMode::kGraphics2 ? (row / 8) * 256 : 0) + Vram(v, names + entry);
      if (pattern == tile) uses.entries.push_back(entry);
    }
  }
  const bool big = v.regs[1] & 0x02;
  const int span = big ? (v.mode4 ? 2 : 4) : 1;
  for (const SpriteInfo& s : Sprites(v)) {
    // The TMS modes' sprite patterns have a table of their own.
    if (v.mode4 && tile >= s.pattern && tile < s.pattern + span) uses.sprites.push_back(s.index);
  }
  return uses;
}
