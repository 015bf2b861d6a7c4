#include "debugger/VideoPictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "vdp/Video.h"

namespace {

// Mode 4: tile 1's top row in colour 1 (red in the first palette, blue in
// the second), shown by name table entries 0 and 33 (the second through the
// second palette); the table scrolled 8 right and 16 up; nine sprites of
// tile 1 on lines 50-57.
std::unique_ptr<Video> Mode4Scene() {
  auto video = std::make_unique<Video>();
  std::uint8_t* r = video->regs;
  r[0] = 0x04;
  r[1] = 0x40;
  r[2] = 0xFF;  // names at 0x3800
  r[5] = 0xFF;  // sprites at 0x3F00
  r[6] = 0xFB;
  r[8] = 8;
  r[9] = 16;
  video->cram[1] = 0x03;
  video->cram[17] = 0x30;
  video->vram[32] = 0xFF;  // tile 1, row 0, plane 0
  video->vram[0x3800] = 1;
  video->vram[0x3800 + 66] = 1;
  video->vram[0x3800 + 67] = 0x08;
  for (int i = 0; i < 9; ++i) {
    video->vram[0x3F00 + i] = 49;
    video->vram[0x3F80 + i * 2] = static_cast<std::uint8_t>(i * 8);
    video->vram[0x3F81 + i * 2] = 1;
  }
  video->vram[0x3F09] = 0xD0;
  return video;
}

// Graphics I on the SG-1000's chip: pattern 1's top row set, white on black.
std::unique_ptr<Video> TmsScene() {
  auto video = std::make_unique<Video>();
  video->tms9918 = true;
  std::uint8_t* r = video->regs;
  r[1] = 0x40;
  r[2] = 0x0E;  // names at 0x3800
  r[3] = 0x80;  // colours at 0x2000
  r[5] = 0x7F;
  r[7] = 0x04;
  video->vram[8] = 0xFF;
  video->vram[0x2000] = 0xF1;
  video->vram[0x3800] = 1;
  video->vram[0x3F80] = 0xD0;
  return video;
}

TEST(VideoPictures, PicturesOfKnownMemories) {
  const std::unique_ptr<Video> mode4 = Mode4Scene();
  const std::unique_ptr<Video> tms = TmsScene();
  const VideoView m = ViewOf(*mode4);
  const VideoView t = ViewOf(*tms);
  const std::uint32_t tmsWhite = TileSetPicture(t, 1).At(8, 0);
  struct Case {
    const char* name;
    RgbPicture picture;
    int x, y;
    std::uint32_t colour;
  };
  const Case cases[] = {
      {"tile set, first palette", TileSetPicture(m, 0), 8, 0, 0xFF0000},
      {"tile set, second palette", TileSetPicture(m, 1), 8, 0, 0x0000FF},
      {"tile set, empty row", TileSetPicture(m, 0), 8, 1, 0x000000},
      {"name table entry", NameTablePicture(m), 0, 0, 0xFF0000},
      {"name table entry, second palette", NameTablePicture(m), 8, 8, 0x0000FF},
      {"window's left edge", NameTablePicture(m), 248, 100, kWindowColour},
      {"window's top", NameTablePicture(m), 100, 16, kWindowColour},
      {"window's bottom", NameTablePicture(m), 100, 16 + 191, kWindowColour},
      {"below the window", NameTablePicture(m), 100, 16 + 192, 0x000000},
      {"palette, colour 1", PalettePicture(m), 16 + 3, 3, 0xFF0000},
      {"palette, colour 17", PalettePicture(m), 16 + 3, 16 + 3, 0x0000FF},
      {"TMS pattern, plain", TileSetPicture(t, 0), 8, 0, 0xFFFFFF},
      {"TMS pattern, its colours, background", TileSetPicture(t, 1), 8, 1, 0x000000},
      {"TMS name table", NameTablePicture(t), 0, 0, tmsWhite},
  };
  for (const Case& c : cases) EXPECT_EQ(c.picture.At(c.x, c.y), c.colour) << c.name;
  EXPECT_NE(tmsWhite, 0u);
  EXPECT_EQ(TileSetPicture(m, 0).height, 128);
  EXPECT_EQ(NameTablePicture(m).height, 224);
  EXPECT_EQ(PaletteText(m).substr(0, 12), "00:00  01:03");

  // The ninth sprite on lines 50-57 is past the limit on all eight.
  const std::vector<SpriteInfo> sprites = Sprites(m);
  ASSERT_EQ(sprites.size(), 9u);
  EXPECT_EQ(sprites[0].y, 50);
  EXPECT_EQ(sprites[7].droppedLines, 0);
  EXPECT_EQ(sprites[8].droppedLines, 8);
  EXPECT_EQ(sprites[8].firstDropped, 50);

  // A click on tile 1: its address, the entries and sprites that show it.
  EXPECT_EQ(TileAt(m, 9, 2), 1);
  EXPECT_EQ(TileAddress(m, 1), 32);
  EXPECT_EQ(TileAddress(t, 1), 8);
  const TileUses uses = UsesOfTile(m, 1);
  EXPECT_EQ(uses.entries, (std::vector<int>{0, 33}));
  EXPECT_EQ(uses.sprites.size(), 9u);
  EXPECT_EQ(UsesOfTile(t, 1).entries, (std::vector<int>{0}));
}

}  // namespace
