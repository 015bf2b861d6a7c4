#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "VideoRig.h"

namespace {

// A quiet scene: VRAM cleared, name table at 0x3800, sprite table at 0x3F00
// with no sprites, display on, backdrop colour index 16 + 5.
struct Scene : VideoRig {
  Scene() {
    std::memset(video->vram, 0, sizeof video->vram);
    SetRegister(0, 0x04);  // mode 4
    SetRegister(1, 0x40);
    SetRegister(2, 0x0E);
    SetRegister(5, 0x7E);
    SetRegister(6, 0x00);
    SetRegister(7, 0x05);
    video->vram[0x3F00] = 0xD0;
    // Pattern 1: every pixel of every row different, never colour 0.
    for (int r = 0; r < 8; ++r) {
      std::array<std::uint8_t, 8> row{};
      for (int i = 0; i < 8; ++i) row[i] = P1(r, i);
      PutPatternRow(video->vram, 32 + r * 4, row);
    }
    Solid(2, {0, 5, 0, 5, 0, 5, 0, 5});  // half transparent, for priority
    Solid(3, {9, 9, 9, 9, 9, 9, 9, 9});
    Solid(4, {12, 12, 12, 12, 12, 12, 12, 12});
    Solid(5, {0, 1, 2, 3, 4, 5, 6, 7});
  }
  // The scenes write video RAM directly.
  void RenderLineNow(int L) {
    video->VramReplaced();
    video->RenderLine(L);
  }
  static std::uint8_t P1(int r, int i) { return static_cast<std::uint8_t>((r * 3 + i) % 15 + 1); }
  void Solid(int pattern, std::array<std::uint8_t, 8> row, int base = 0) {
    for (int r = 0; r < 8; ++r) PutPatternRow(video->vram, base + pattern * 32 + r * 4, row);
  }
  void Tile(int row, int column, int number, std::uint8_t flags) {
    video->vram[0x3800 + row * 64 + column * 2] = static_cast<std::uint8_t>(number);
    video->vram[0x3800 + row * 64 + column * 2 + 1] = flags;
  }
  // top is the line of the sprite's first row (its Y byte is one less);
  // 0xD0 writes the end-of-table Y.
  void Sprite(int n, int top, int x, int pattern) {
    video->vram[0x3F00 + n] = static_cast<std::uint8_t>(top == 0xD0 ? top : top - 1);
    video->vram[0x3F80 + n * 2] = static_cast<std::uint8_t>(x);
    video->vram[0x3F81 + n * 2] = static_cast<std::uint8_t>(pattern);
  }
};

using Bytes = std::vector<std::uint8_t>;

Bytes RowOfP1(int r, bool flip = false, int add = 0, int from = 0, int to = 7) {
  Bytes out;
  for (int i = from; i <= to; ++i) out.push_back(static_cast<std::uint8_t>(Scene::P1(r, flip ? 7 - i : i) + add));
  return out;
}
Bytes Repeat(std::uint8_t value, int count) { return Bytes(static_cast<std::size_t>(count), value); }
Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct RenderCase {
  std::string name;
  std::function<void(Scene&)> setup;
  int line;
  int x;
  Bytes expected;
  bool readPriority = false;  // compare the priority buffer instead of frame
};

TEST(VideoRender, RowsOfSmallScenes) {
  const std::uint8_t backdrop = 21;
  const std::vector<RenderCase> cases = {
      // Background.
      {"plain tile, row 0", [](Scene& s) { s.Tile(0, 0, 1, 0); }, 0, 0, Join({RowOfP1(0), Repeat(0, 4)})},
      {"plain tile, row 5", [](Scene& s) { s.Tile(0, 0, 1, 0); }, 5, 0, RowOfP1(5)},
      {"horizontal flip", [](Scene& s) { s.Tile(0, 0, 1, 0x02); }, 0, 0, RowOfP1(0, true)},
      {"vertical flip", [](Scene& s) { s.Tile(0, 0, 1, 0x04); }, 1, 0, RowOfP1(6)},
      {"both flips", [](Scene& s) { s.Tile(0, 3, 1, 0x06); }, 0, 24, RowOfP1(7, true)},
      {"second palette", [](Scene& s) { s.Tile(0, 0, 1, 0x08); }, 0, 0, RowOfP1(0, false, 16)},
      {"pattern bit 8 reads from 0x2000",
       [](Scene& s) {
         s.Solid(1, {7, 7, 7, 7, 7, 7, 7, 7}, 0x2000);
         s.Tile(0, 0, 1, 0x01);
       },
       0, 0, Repeat(7, 8)},
      {"priority flag leaves the colour alone", [](Scene& s) { s.Tile(0, 0, 1, 0x10); }, 0, 0, RowOfP1(0)},
      {"priority buffer holds colours of priority tiles", [](Scene& s) { s.Tile(0, 0, 2, 0x18); s.Tile(0, 1, 3, 0); },
       0, 0, Join({Bytes{0, 5, 0, 5, 0, 5, 0, 5}, Repeat(0, 8)}), true},
      {"horizontal scroll 3 wraps column 31 to the left",
       [](Scene& s) {
         s.Tile(0, 0, 1, 0);
         s.Tile(0, 31, 1, 0);
         s.SetRegister(8, 3);
       },
       0, 0, Join({RowOfP1(0, false, 0, 5, 7), RowOfP1(0)})},
      {"scroll lock keeps lines 0-15 still",
       [](Scene& s) {
         s.Tile(1, 0, 1, 0);
         s.SetRegister(0, 0x44);
         s.SetRegister(8, 3);
       },
       15, 0, RowOfP1(7)},
      {"scroll lock ends at line 16",
       [](Scene& s) {
         s.Tile(2, 0, 1, 0);
         s.SetRegister(0, 0x44);
         s.SetRegister(8, 3);
       },
       16, 0, Join({Repeat(0, 3), RowOfP1(0)})},
      {"vertical scroll 33 wraps modulo 224: line 191 is tile row 0, pixel row 0",
       [](Scene& s) {
         s.Tile(0, 0, 1, 0);
         s.SetRegister(9, 33);
       },
       191, 0, RowOfP1(0)},
      {"vertical scroll lock: tiles 24-31 show the line's own row",
       [](Scene& s) {
         s.Tile(1, 23, 1, 0);
         s.Tile(0, 24, 1, 0);
         s.SetRegister(0, 0x84);
         s.SetRegister(9, 8);
       },
       0, 184, Join({RowOfP1(0), RowOfP1(0)})},
      {"vertical scroll 32: line 191 is tile row 27, pixel row 7",
       [](Scene& s) {
         s.Tile(27, 0, 1, 0);
         s.SetRegister(9, 32);
       },
       191, 0, RowOfP1(7)},
      {"vertical scroll 255: line 0 is 255 - 224, tile row 3, pixel row 7",
       [](Scene& s) {
         s.Tile(3, 0, 1, 0);
         s.SetRegister(9, 255);
       },
       0, 0, RowOfP1(7)},
      {"vertical scroll applies to every column",
       [](Scene& s) {
         s.Tile(1, 31, 1, 0);
         s.SetRegister(9, 8);
       },
       0, 248, RowOfP1(0)},
      {"left column blank: backdrop at 0-7, column 1 in place",
       [](Scene& s) {
         s.Tile(0, 0, 1, 0);
         s.Tile(0, 1, 1, 0x08);
         s.SetRegister(0, 0x24);
       },
       0, 0, Join({Repeat(backdrop, 8), RowOfP1(0, false, 16)})},
      {"left column blank: column 31 in place at 248-255",
       [](Scene& s) {
         s.Tile(0, 31, 1, 0);
         s.SetRegister(0, 0x24);
       },
       0, 248, RowOfP1(0)},
      {"hidden sprites: no borders, column 0 shows",
       [](Scene& s) {
         s.Tile(0, 0, 1, 0);
         s.SetRegister(0, 0x24);
         s.video->hideSprites = true;
       },
       0, 0, RowOfP1(0)},
      {"display off: whole row backdrop",
       [](Scene& s) {
         s.Tile(0, 0, 1, 0);
         s.Sprite(0, 0, 0, 3);
         s.video->vram[0x3F01] = 0xD0;
         s.SetRegister(1, 0x00);
       },
       0, 0, Repeat(backdrop, 256)},
      {"display off keeps the priority buffer",
       [](Scene& s) {
         s.Tile(0, 0, 2, 0x10);
         s.RenderLineNow(0);
         s.SetRegister(1, 0x00);
       },
       0, 0, Bytes{0, 5, 0, 5}, true},
      {"Game Gear: line 23 is backdrop", [](Scene& s) { s.video->gameGear = true; }, 23, 0, Repeat(backdrop, 256)},
      {"Game Gear: line 168 is backdrop", [](Scene& s) { s.video->gameGear = true; }, 168, 0, Repeat(backdrop, 256)},
      {"Game Gear: line 24 left border ends at 47", [](Scene& s) { s.video->gameGear = true; }, 24, 0,
       Join({Repeat(backdrop, 48), Repeat(0, 4)})},
      {"Game Gear: line 167 right border starts at 208", [](Scene& s) { s.video->gameGear = true; }, 167, 204,
       Join({Repeat(0, 4), Repeat(backdrop, 48)})},
      {"Game Gear with left blank: nothing moves, only its own borders",
       [](Scene& s) {
         s.video->gameGear = true;
         s.Tile(3, 6, 1, 0);
         s.SetRegister(0, 0x24);
       },
       24, 46, Join({Repeat(backdrop, 2), RowOfP1(0)})},
      {"Game Gear: sprites are covered by the border",
       [](Scene& s) {
         s.video->gameGear = true;
         s.Sprite(0, 30, 44, 3);
         s.video->vram[0x3F01] = 0xD0;
       },
       30, 44, Join({Repeat(backdrop, 4), Repeat(25, 4)})},

      // Sprites.
      {"sprite at X 250 shows pixels 250-255 only",
       [](Scene& s) {
         s.Sprite(0, 10, 250, 5);
         s.Sprite(1, 0xD0, 0, 0);
       },
       10, 248, Bytes{0, 0, 0, 17, 18, 19, 20, 21}},
      {"sprite at X 252: no wrap to the left edge",
       [](Scene& s) {
         s.Sprite(0, 10, 252, 3);
         s.Sprite(1, 0xD0, 0, 0);
       },
       10, 0, Repeat(0, 4)},
      {"8-pixel shift: X 4 shows pixels 4-7 at x 0-3",
       [](Scene& s) {
         s.Sprite(0, 10, 4, 5);
         s.Sprite(1, 0xD0, 0, 0);
         s.SetRegister(0, 0x0C);
       },
       10, 0, Bytes{20, 21, 22, 23, 0, 0}},
      {"left blank covers sprites at x 0-7 only",
       [](Scene& s) {
         s.Sprite(0, 10, 4, 3);
         s.Sprite(1, 0xD0, 0, 0);
         s.SetRegister(0, 0x24);
       },
       10, 0, Join({Repeat(backdrop, 8), Repeat(25, 4), Bytes{0}})},
      {"sprite starts on its Y line", [](Scene& s) { s.Sprite(0, 10, 0, 3); s.Sprite(1, 0xD0, 0, 0); }, 10, 0,
       Repeat(25, 8)},
      {"sprite not on the line above", [](Scene& s) { s.Sprite(0, 10, 0, 3); s.Sprite(1, 0xD0, 0, 0); }, 9, 0,
       Repeat(0, 8)},
      {"8-line sprite ends after 8 lines", [](Scene& s) { s.Sprite(0, 10, 0, 3); s.Sprite(1, 0xD0, 0, 0); }, 18,
       0, Repeat(0, 8)},
      {"16-line sprite reaches line Y+15, from the next pattern",
       [](Scene& s) {
         s.Sprite(0, 10, 0, 2);
         s.Sprite(1, 0xD0, 0, 0);
         s.SetRegister(1, 0x42);
       },
       25, 0, Repeat(25, 8)},
      {"top 8 lines above, 16 lines: line 0 shows row 8 (the odd pattern)",
       [](Scene& s) {
         s.Sprite(0, 0xF8, 16, 2);
         s.Sprite(1, 0xD0, 0, 0);
         s.SetRegister(1, 0x42);
       },
       0, 16, Repeat(25, 8)},
      {"16 lines ignore bit 0 of the number: 3 shows 2, then 3",
       [](Scene& s) {
         s.Sprite(0, 10, 0, 3);
         s.Sprite(1, 0xD0, 0, 0);
         s.SetRegister(1, 0x42);
       },
       10, 0, Bytes{0, 21, 0, 21, 0, 21, 0, 21}},
      {"top 8 lines above, 8 lines: nothing on line 0",
       [](Scene& s) {
         s.Sprite(0, 0xF8, 16, 3);
         s.Sprite(1, 0xD0, 0, 0);
       },
       0, 16, Repeat(0, 8)},
      {"sprite 0 covers sprite 1",
       [](Scene& s) {
         s.Sprite(0, 10, 0, 3);
         s.Sprite(1, 10, 0, 4);
         s.Sprite(2, 0xD0, 0, 0);
       },
       10, 0, Repeat(25, 8)},
      {"sprite 1 shows through sprite 0's transparent pixel",
       [](Scene& s) {
         s.Sprite(0, 10, 0, 5);
         s.Sprite(1, 10, 0, 4);
         s.Sprite(2, 0xD0, 0, 0);
       },
       10, 0, Bytes{28, 17, 18, 19, 20, 21, 22, 23}},
      {"sprite over a background tile",
       [](Scene& s) {
         s.Tile(1, 0, 1, 0);
         s.Sprite(0, 8, 2, 5);
         s.Sprite(1, 0xD0, 0, 0);
       },
       8, 0, Join({RowOfP1(0, false, 0, 0, 2), Bytes{17, 18, 19, 20, 21}})},
      {"priority tile hides sprites behind coloured pixels only",
       [](Scene& s) {
         s.Tile(1, 0, 2, 0x10);
         s.Sprite(0, 8, 0, 3);
         s.Sprite(1, 0xD0, 0, 0);
       },
       8, 0, Bytes{25, 5, 25, 5, 25, 5, 25, 5}},
      {"priority tile in the second palette",
       [](Scene& s) {
         s.Tile(1, 0, 2, 0x18);
         s.Sprite(0, 8, 0, 3);
         s.Sprite(1, 0xD0, 0, 0);
       },
       8, 0, Bytes{25, 21, 25, 21, 25, 21, 25, 21}},
      {"tile without priority lies under sprites",
       [](Scene& s) {
         s.Tile(1, 0, 2, 0x00);
         s.Sprite(0, 8, 0, 3);
         s.Sprite(1, 0xD0, 0, 0);
       },
       8, 0, Repeat(25, 8)},
      {"first Y 0xD0: no sprites",
       [](Scene& s) {
         s.Sprite(0, 0xD0, 0, 3);
         s.Sprite(1, 10, 0, 3);
         s.Sprite(2, 0xD0, 0, 0);
       },
       10, 0, Repeat(0, 8)},
      {"Y 0xD0 ends the list in the middle",
       [](Scene& s) {
         s.Sprite(0, 10, 0, 3);
         s.Sprite(1, 0xD0, 20, 3);
         s.Sprite(2, 10, 40, 3);
         s.Sprite(3, 0xD0, 0, 0);
       },
       10, 0, Join({Repeat(25, 8), Repeat(0, 40)})},
      {"64 sprites without 0xD0: sprite 63 is drawn",
       [](Scene& s) {
         for (int n = 0; n < 63; ++n) s.Sprite(n, 0xE0, 0, 3);
         s.Sprite(63, 10, 100, 4);
       },
       10, 100, Repeat(28, 8)},
      {"sprite patterns at 0x2000",
       [](Scene& s) {
         s.Solid(3, {13, 13, 13, 13, 13, 13, 13, 13}, 0x2000);
         s.SetRegister(6, 0x04);
         s.Sprite(0, 10, 0, 3);
         s.Sprite(1, 0xD0, 0, 0);
       },
       10, 0, Repeat(29, 8)},
      {"16-line sprite 255 at 0x2000: rows 8-15 from pattern 255, the last in VRAM",
       [](Scene& s) {
         PutPatternRow(s.video->vram, 0x3FE0, {14, 14, 14, 14, 14, 14, 14, 14});
         s.SetRegister(6, 0x04);
         s.SetRegister(1, 0x42);
         s.Sprite(0, 20, 0, 255);
         s.Sprite(1, 0xD0, 0, 0);
       },
       28, 0, Repeat(30, 8)},
      {"hidden sprites are not drawn",
       [](Scene& s) {
         s.Sprite(0, 10, 0, 3);
         s.Sprite(1, 0xD0, 0, 0);
         s.video->hideSprites = true;
       },
       10, 0, Repeat(0, 8)},
  };

  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    c.setup(scene);
    scene.RenderLineNow(c.line);
    const std::uint8_t* buffer = c.readPriority ? scene.video->priority : scene.video->frame;
    Bytes got(buffer + c.line * 256 + c.x, buffer + c.line * 256 + c.x + c.expected.size());
    EXPECT_EQ(got, c.expected);
  }
}

}  // namespace
