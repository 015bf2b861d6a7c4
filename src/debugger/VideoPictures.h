#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Video;

// What a debugger shows of the video chip, as pictures and tables: the tile
// set, the name table with the visible window drawn over it, the palette,
// the sprites and where a tile is used. Made from the chip's memories and
// registers alone, into plain RGB buffers, for any window toolkit (or a test)
// to show.

// The chip's state the pictures read.
struct VideoView {
  const std::uint8_t* vram = nullptr;     // 16 KB
  const std::uint8_t* regs = nullptr;     // 16 registers
  const std::uint8_t* colours = nullptr;  // what colour indexes stand for (colour RAM, or the TMS colours)
  bool colourWords = false;               // `colours` holds words of ----BBBBGGGGRRRR, else --BBGGRR bytes
  bool mode4 = true;                      // the Master System's mode 4; else a TMS9918 mode
  int lines = 192;                        // the picture's height: 192, 224 or 240
  bool gameGearScreen = false;            // only the 160 x 144 window is seen
};
VideoView ViewOf(const Video& video);

// An RGB picture, three bytes a pixel, row by row.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  void Resize(int w, int h);
  void Set(int x, int y, std::uint32_t colour);  // 0xRRGGBB
  std::uint32_t At(int x, int y) const;
};

// The patterns, 32 to a row of 8 x 8 cells. Mode 4: 512 tiles (256 x 128)
// through the first (`palette` 0) or second sixteen colours. TMS modes: 256
// patterns (768 in Graphics II) in white on black (0), or in the colours the
// colour table gives them (1).
RgbPicture TileSetPicture(const VideoView& view, int palette);
// The tile under a point of the tile set picture, -1 when none.
int TileAt(const VideoView& view, int x, int y);
// Where a tile's pattern lies in video RAM.
std::uint16_t TileAddress(const VideoView& view, int tile);

// The whole name table as the chip would draw its background (256 x 224 in
// mode 4, 256 x 256 in its taller pictures, 256 x 192 in the TMS modes),
// with the part a player sees, after scrolling, outlined in kWindowColour.
inline constexpr std::uint32_t kWindowColour = 0xFF00FF;
RgbPicture NameTablePicture(const VideoView& view);

// The colours, 16 to a row of 16 x 16 squares (256 x 32; the TMS modes'
// sixteen make one row), and their raw values as text.
RgbPicture PalettePicture(const VideoView& view);
std::string PaletteText(const VideoView& view);

// The sprites the chip looks at (up to the end marker), with the lines on
// which they are past the per-line limit (8 in mode 4, 4 in the TMS modes)
// and so not drawn.
struct SpriteInfo {
  int index = 0;
  int x = 0;
  int y = 0;        // the first line it covers
  int pattern = 0;
  int height = 8;
  int droppedLines = 0;      // lines on which it is past the limit
  int firstDropped = -1;     // the first of them, -1 when none
};
std::vector<SpriteInfo> Sprites(const VideoView& view);

// The name table entries (row * 32 + column) and sprites that show a tile.
struct TileUses {
  std::vector<int> entries;
  std::vector<int> sprites;
};
TileUses UsesOfTile(const VideoView& view, int tile);
