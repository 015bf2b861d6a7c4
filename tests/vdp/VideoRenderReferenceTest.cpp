#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "VideoRig.h"

namespace {

// The older (TMS9918) modes, register 0 bit 2 clear, one pixel at a time
// from the mode's tables: frame bytes are TMS colours 0-15, a colour 0 the
// backdrop of register 7.
void ReferenceTmsLine(Video& v, int L) {
  std::uint8_t* frame = v.frame + L * 256;
  const std::uint8_t* regs = v.regs;
  const int backdrop = regs[7] & 0x0F;
  auto shown = [&](int colour) { return static_cast<std::uint8_t>(colour ? colour : backdrop); };
  for (int x = 0; x < 256; ++x) frame[x] = static_cast<std::uint8_t>(backdrop);
  if (!(regs[1] & 0x40)) return;
  const bool text = regs[1] & 0x10, multicolor = regs[1] & 0x08, graphics2 = regs[0] & 0x02;
  const int names = (regs[2] & 0x0F) * 0x400;
  if (text) {
    for (int x = 8; x < 248; ++x) {
      const int column = (x - 8) / 6;
      const int name = v.vram[names + (L / 8) * 40 + column];
      int bits = v.vram[(regs[4] & 7) * 0x800 + name * 8 + L % 8];
      if (multicolor || graphics2) bits = 0xF0;  // no mode of its own: bars
      frame[x] = (bits & (0x80 >> ((x - 8) % 6))) ? shown(regs[7] >> 4) : static_cast<std::uint8_t>(backdrop);
    }
  } else {
    for (int x = 0; x < 256; ++x) {
      const int name = v.vram[names + (L / 8) * 32 + x / 8];
      // Graphics II: the third's 256 patterns and colours, the numbers' high
      // bits masked by registers 4 and 3.
      const int number = graphics2 ? (L / 64) * 256 + name : name;
      const int pattern = graphics2 ? (regs[4] & 4) * 0x800 + (number & ((regs[4] & 3) * 256 + 255)) * 8
                                    : (regs[4] & 7) * 0x800 + number * 8;
      int colour;
      if (multicolor) {
        const int byte = v.vram[pattern + (L / 8) % 4 * 2 + (L / 4) % 2];
        colour = (x % 8 < 4) ? byte >> 4 : byte & 15;
      } else {
        const int colours = graphics2 ? v.vram[(regs[3] & 0x80) * 0x40 + (number & ((regs[3] & 0x7F) * 8 + 7)) * 8 + L % 8]
                                      : v.vram[regs[3] * 0x40 + name / 8];
        colour = (v.vram[pattern + L % 8] & (0x80 >> (x % 8))) ? colours >> 4 : colours & 15;
      }
      frame[x] = shown(colour);
    }
    // Sprites: the first four covering the line up to Y 0xD0; a fifth sets
    // bit 6 and its number (else the last looked at goes to bits 0-4).
    const int attributes = (regs[5] & 0x7F) * 0x80;
    const int size = (regs[1] & 0x02) ? 16 : 8;
    const int magnify = (regs[1] & 0x01) ? 2 : 1;
    std::vector<int> onLine;
    int last = 31;
    int fifth = -1;
    for (int n = 0; n < 32; ++n) {
      const int y = v.vram[attributes + n * 4];
      if (y == 0xD0) {
        last = n;
        break;
      }
      if ((L - y - 1 + 256) % 256 >= size * magnify) continue;
      if (onLine.size() == 4 && fifth < 0) {
        fifth = last = n;
        if (v.spriteLimit) break;
      }
      onLine.push_back(n);
    }
    if (!(v.status & 0x40)) v.status = static_cast<std::uint8_t>((v.status & 0xE0) | last | (fifth >= 0 ? 0x40 : 0));
    std::vector<std::vector<bool>> set(onLine.size(), std::vector<bool>(256, false));
    for (std::size_t k = 0; k < onLine.size(); ++k) {
      const int a = attributes + onLine[k] * 4;
      const int row = (L - v.vram[a] - 1 + 256) % 256 / magnify;
      const int number = size == 16 ? v.vram[a + 2] & 0xFC : v.vram[a + 2];
      const int left = v.vram[a + 1] - ((v.vram[a + 3] & 0x80) ? 32 : 0);
      for (int i = 0; i < size * magnify; ++i) {
        const int column = i / magnify;
        // 16 x 16: patterns n and n + 1 on the left, n + 2 and n + 3 on the right.
        const int address = (regs[6] & 7) * 0x800 + number * 8 + (column / 8) * 16 + row;
        const int x = left + i;
        if (x >= 0 && x < 256 && (v.vram[address] & (0x80 >> (column % 8)))) set[k][x] = true;
      }
    }
    for (int x = 0; x < 256; ++x) {
      int count = 0;
      for (std::size_t k = 0; k < onLine.size() && k < 4; ++k) count += set[k][x];
      if (count > 1) v.status |= 0x20;
    }
    if (!v.hideSprites) {
      for (std::size_t k = onLine.size(); k-- > 0;) {
        const int colour = v.vram[attributes + onLine[k] * 4 + 3] & 15;
        for (int x = 0; x < 256; ++x) {
          if (set[k][x] && colour != 0) frame[x] = static_cast<std::uint8_t>(colour);
        }
      }
    }
  }
  if (v.gameGear) {
    for (int x = 0; x < 256; ++x) {
      if (L < 24 || L > 167 || x < 48 || x >= 208) frame[x] = static_cast<std::uint8_t>(backdrop);
    }
  }
}

// The renderer written the slow, obvious way: one pixel and one bit at a
// time. The real renderer keeps decoded rows and stores whole rows into
// place; on any scene both must give the same frame and priority bytes.
void ReferenceLine(Video& v, int L) {
  if (!(v.regs[0] & 0x04)) {
    ReferenceTmsLine(v, L);
    return;
  }
  std::uint8_t* frame = v.frame + L * 256;
  std::uint8_t* priority = v.priority + L * 256;
  const std::uint8_t* regs = v.regs;
  std::uint8_t backdrop = static_cast<std::uint8_t>(16 + (regs[7] & 0x0F));
  if (!(regs[1] & 0x40)) {
    for (int x = 0; x < 256; ++x) frame[x] = backdrop;
    return;
  }
  int hScroll = (L < 16 && (regs[0] & 0x40)) ? 0 : regs[8];
  int nameTable = (regs[2] & 0x0E) << 10;
  // Outside the Game Gear's 144 lines only the sprites are looked at.
  const bool outside = v.gameGear && (L < 24 || L > 167);
  for (int j = 0; j < 32 && !outside; ++j) {
    // Column j lands on screen tile (j + hScroll / 8) modulo 32; with the
    // vertical lock on, tiles 24-31 are not scrolled vertically.
    const bool locked = (regs[0] & 0x80) && ((j + (hScroll >> 3)) & 31) >= 24;
    int y = locked ? L : (L + regs[9]) % 224;
    int entry = nameTable + (y >> 3) * 64 + j * 2;
    int number = v.vram[entry];
    int flags = v.vram[entry + 1];
    int row = (flags & 0x04) ? 7 - (y & 7) : (y & 7);
    int address = number * 32 + row * 4 + ((flags & 0x01) ? 0x2000 : 0);
    for (int i = 0; i < 8; ++i) {
      int mask = 0x80 >> i;
      int colour = 0;
      for (int plane = 0; plane < 4; ++plane) {
        if (v.vram[address + plane] & mask) colour += 1 << plane;
      }
      int x = (j * 8 + hScroll + ((flags & 0x02) ? 7 - i : i)) & 0xFF;
      frame[x] = static_cast<std::uint8_t>((flags & 0x08) ? colour + 16 : colour);
      priority[x] = static_cast<std::uint8_t>((flags & 0x10) ? colour : 0);
    }
  }
  // Sprites: those whose rows cover the line, a sprite's top row being on
  // the line after its Y (modulo 256); more than 8 set the overflow flag and
  // only the first 8 are drawn and collide (all are drawn with the limit off).
  const int zoom = (regs[1] & 0x01) ? 2 : 1;
  const int height = ((regs[1] & 0x02) ? 16 : 8) * zoom;
  const int shift = (regs[0] & 0x08) ? 8 : 0;
  const int patterns = (regs[6] & 0x04) << 11;
  std::vector<int> onLine;
  for (int n = 0; n < 64 && v.vram[v.spriteTable + n] != 0xD0; ++n) {
    int top = (v.vram[v.spriteTable + n] + 1) % 256;
    for (int r = 0; r < height; ++r) {
      if ((top + r) % 256 == L) onLine.push_back(n);
    }
  }
  if (onLine.size() > 8) v.status |= 0x40;
  // colour[k][x]: sprite onLine[k]'s colour at the chip's pixel x.
  std::vector<std::vector<int>> colour(onLine.size(), std::vector<int>(256, 0));
  for (std::size_t k = 0; k < onLine.size(); ++k) {
    int n = onLine[k];
    int row = ((L - v.vram[v.spriteTable + n] - 1 + 256) % 256) / zoom;
    int number = v.vram[v.spriteTable + 129 + 2 * n];
    if (regs[1] & 0x02) number &= 0xFE;  // 16 lines: an even pattern, then the odd one
    int address = patterns + number * 32 + row * 4;
    for (int i = 0; i < 8 * zoom; ++i) {
      int x = v.vram[v.spriteTable + 128 + 2 * n] - shift + i;
      if (x < 0 || x > 255) continue;
      for (int plane = 0; plane < 4; ++plane) {
        if (v.vram[(address + plane) & 0x3FFF] & (0x80 >> (i / zoom))) colour[k][x] += 1 << plane;
      }
    }
  }
  for (int x = 0; x < 256; ++x) {
    int opaque = 0;
    for (std::size_t k = 0; k < onLine.size() && k < 8; ++k) opaque += colour[k][x] != 0;
    if (opaque > 1) v.status |= 0x20;
  }
  if (outside) {
    for (int x = 0; x < 256; ++x) frame[x] = backdrop;
    return;
  }
  if (v.hideSprites) return;
  std::size_t drawn = v.spriteLimit ? std::min<std::size_t>(onLine.size(), 8) : onLine.size();
  for (std::size_t k = drawn; k-- > 0;) {
    for (int x = 0; x < 256; ++x) {
      if (colour[k][x] != 0 && priority[x] == 0) frame[x] = static_cast<std::uint8_t>(colour[k][x] + 16);
    }
  }
  if (v.gameGear) {
    for (int x = 0; x < 48; ++x) frame[x] = backdrop;
    for (int x = 208; x < 256; ++x) frame[x] = backdrop;
  } else if (regs[0] & 0x20) {
    for (int x = 0; x < 8; ++x) frame[x] = backdrop;
  }
}

// Gives the reference renderer's chip the scene the real one draws.
void CopyScene(const Video& v, Video& r) {
  std::memcpy(r.vram, v.vram, sizeof v.vram);
  std::memcpy(r.regs, v.regs, sizeof v.regs);
  r.spriteTable = v.spriteTable;
}

TEST(VideoRenderReference, RandomScenesMatchPixelByPixel) {
  std::mt19937 random(20261208);
  for (int scene = 0; scene < 60; ++scene) {
    SCOPED_TRACE("scene " + std::to_string(scene));
    VideoRig rig;
    VideoRig reference;
    Video& v = *rig.video;
    // Video RAM is written through the data port here, so the renderer's
    // decoded rows are the ones the port kept current.
    rig.SetAddress(1, 0);
    for (int i = 0; i < Video::kVramSize; ++i) v.WriteData(static_cast<std::uint8_t>(random()));
    for (int r = 0; r < 11; ++r) rig.SetRegister(r, static_cast<std::uint8_t>(random()));
    // Mostly display on, so that the scenes have something to compare; one
    // scene in three in the older modes (register 0 bit 2 clear, the rest of
    // the mode bits at random).
    if (scene % 8 != 0) rig.SetRegister(1, static_cast<std::uint8_t>(v.regs[1] | 0x40));
    rig.SetRegister(0, static_cast<std::uint8_t>(scene % 3 == 2 ? v.regs[0] & ~0x04 : v.regs[0] | 0x04));
    v.gameGear = scene % 5 == 1;
    v.hideSprites = scene % 7 == 3;
    v.spriteLimit = scene % 4 != 2;
    // Sprites mostly on screen; sometimes a list end somewhere.
    for (int n = 0; n < 64; ++n) {
      std::uint8_t y = static_cast<std::uint8_t>(random() % 200);
      if (y == 0xD0) y = 0;
      if (random() % 6 == 0) y = static_cast<std::uint8_t>(0xF0 + random() % 16);
      rig.WriteVram(v.spriteTable + n, y);
    }
    if (scene % 3 == 0) rig.WriteVram(static_cast<int>(v.spriteTable + random() % 64), 0xD0);
    for (auto& byte : v.frame) byte = static_cast<std::uint8_t>(random() % 32);
    for (auto& byte : v.priority) byte = static_cast<std::uint8_t>(random() % 16);

    Video& r = *reference.video;
    CopyScene(v, r);
    std::memcpy(r.frame, v.frame, sizeof v.frame);
    std::memcpy(r.priority, v.priority, sizeof v.priority);
    r.gameGear = v.gameGear;
    r.hideSprites = v.hideSprites;
    r.spriteLimit = v.spriteLimit;

    for (int L = 0; L < 192; ++L) {
      v.RenderLine(L);
      ReferenceLine(r, L);
      ASSERT_EQ(v.status, r.status) << "status after line " << L;
    }
    for (int i = 0; i < Video::kFrameSize; ++i) {
      ASSERT_EQ(v.frame[i], r.frame[i]) << "frame at x " << i % 256 << ", line " << i / 256;
      ASSERT_EQ(v.priority[i], r.priority[i]) << "priority at x " << i % 256 << ", line " << i / 256;
    }
  }
}

// Every horizontal scroll, with and without the blank left column, and
// sprites at every X (0xD0 ends the list after eight): the tile that wraps
// from the right edge to the left and the sprites that straddle either edge
// are where whole-word stores could go wrong.
TEST(VideoRenderReference, EveryScrollAndSpriteXMatches) {
  std::mt19937 random(7);
  VideoRig rig;
  VideoRig reference;
  Video& v = *rig.video;
  Video& r = *reference.video;
  for (auto& byte : v.vram) byte = static_cast<std::uint8_t>(random());
  rig.SetRegister(1, 0x40);
  rig.SetRegister(2, 0x0E);
  rig.SetRegister(5, 0x7F);
  rig.SetRegister(6, 0x00);
  for (int n = 0; n < 8; ++n) v.vram[v.spriteTable + n] = static_cast<std::uint8_t>(n * 20);
  v.vram[v.spriteTable + 8] = 0xD0;
  for (int scroll = 0; scroll < 256; ++scroll) {
    SCOPED_TRACE("scroll " + std::to_string(scroll));
    // Mode 4; blank left column, or sprites moved 8 left; every fourth with
    // the vertical lock and a vertical scroll.
    rig.SetRegister(0, static_cast<std::uint8_t>(((scroll & 1) ? 0x24 : 0x0C) | ((scroll & 2) ? 0x80 : 0)));
    rig.SetRegister(9, static_cast<std::uint8_t>((scroll & 2) ? scroll * 7 : 0));
    rig.SetRegister(8, static_cast<std::uint8_t>(scroll));
    for (int n = 0; n < 8; ++n) v.vram[v.spriteTable + 128 + n * 2] = static_cast<std::uint8_t>(scroll + n * 33);
    CopyScene(v, r);
    v.VramReplaced();  // written directly above
    for (int L = 0; L < 192; L += 5) {
      v.RenderLine(L);
      ReferenceLine(r, L);
      ASSERT_EQ(v.status, r.status) << "status after line " << L;
      ASSERT_EQ(0, std::memcmp(v.frame + L * 256, r.frame + L * 256, 256)) << "frame line " << L;
      ASSERT_EQ(0, std::memcmp(v.priority + L * 256, r.priority + L * 256, 256)) << "priority line " << L;
    }
  }
}

// A loaded state or a test writes video RAM directly; VramReplaced must pick
// up every changed byte, however few, wherever they fall.
TEST(VideoRenderReference, DirectWritesAreDrawnAfterVramReplaced) {
  std::mt19937 random(99);
  VideoRig rig;
  VideoRig reference;
  Video& v = *rig.video;
  Video& r = *reference.video;
  rig.SetAddress(1, 0);
  for (int i = 0; i < Video::kVramSize; ++i) v.WriteData(static_cast<std::uint8_t>(random()));
  rig.SetRegister(1, 0x40);
  rig.SetRegister(2, 0x0E);
  rig.SetRegister(5, 0x7F);
  v.vram[0x3F00] = 0xD0;  // no sprites: the background shows every pattern row it names
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int changes = 1 + round % 5;
    for (int k = 0; k < changes; ++k) v.vram[random() % 0x3800] = static_cast<std::uint8_t>(random());
    v.VramReplaced();
    CopyScene(v, r);
    for (int L = 0; L < 192; ++L) {
      v.RenderLine(L);
      ReferenceLine(r, L);
    }
    ASSERT_EQ(0, std::memcmp(v.frame, r.frame, sizeof v.frame));
  }
}

}  // namespace
