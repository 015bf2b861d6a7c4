#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "VideoRig.h"

namespace {

// The renderer written the slow, obvious way: one pixel and one bit at a
// time. The real renderer decodes rows through tables and rotates whole rows
// into place; on any scene both must give the same frame and priority bytes.
void ReferenceLine(Video& v, int L) {
  std::uint8_t* frame = v.frame + L * 256;
  std::uint8_t* priority = v.priority + L * 256;
  const std::uint8_t* regs = v.regs;
  std::uint8_t backdrop = static_cast<std::uint8_t>(16 + (regs[7] & 0x0F));
  if (!(regs[1] & 0x40) || (v.gameGear && (L < 24 || L > 167))) {
    for (int x = 0; x < 256; ++x) frame[x] = backdrop;
    return;
  }
  int hScroll = (L < 16 && (regs[0] & 0x40)) ? 0 : regs[8];
  int y = L + regs[9];
  if (y > 223) y -= 223;
  int off = (regs[0] & 0x20) ? -4 : 0;
  int nameTable = (regs[2] & 0x0E) << 10;
  for (int j = 0; j < 32; ++j) {
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
      int x = (j * 8 + hScroll + off + ((flags & 0x02) ? 7 - i : i)) & 0xFF;
      frame[x] = static_cast<std::uint8_t>((flags & 0x08) ? colour + 16 : colour);
      priority[x] = static_cast<std::uint8_t>((flags & 0x10) ? colour : 0);
    }
  }
  if (v.hideSprites) return;
  int count = 0;
  while (count < 64 && v.vram[v.spriteTable + count] != 0xD0) ++count;
  int height = (regs[1] & 0x02) ? 16 : 8;
  int spriteOff = off - ((regs[0] & 0x08) ? 8 : 0);
  int patterns = (regs[6] & 0x04) << 11;
  for (int n = count - 1; n >= 0; --n) {
    int sy = v.vram[v.spriteTable + n];
    if (sy > 239) sy -= 256;
    if (!(sy <= L && L < sy + height)) continue;
    int sx = v.vram[v.spriteTable + 128 + 2 * n];
    int number = v.vram[v.spriteTable + 129 + 2 * n];
    int address = patterns + number * 32 + (L - sy) * 4;
    for (int i = 0; i < 8; ++i) {
      int colour = 0;
      for (int plane = 0; plane < 4; ++plane) {
        if (v.vram[(address + plane) & 0x3FFF] & (0x80 >> i)) colour += 1 << plane;
      }
      int x = sx + i + spriteOff;
      if (colour != 0 && x >= 0 && x <= 255 && priority[x] == 0) frame[x] = static_cast<std::uint8_t>(colour + 16);
    }
  }
  if (v.gameGear) {
    for (int x = 0; x < 48; ++x) frame[x] = backdrop;
    for (int x = 208; x < 256; ++x) frame[x] = backdrop;
  } else if (regs[0] & 0x20) {
    for (int x = 0; x < 4; ++x) frame[x] = backdrop;
    for (int x = 252; x < 256; ++x) frame[x] = backdrop;
  }
}

TEST(VideoRenderReference, RandomScenesMatchPixelByPixel) {
  std::mt19937 random(20261208);
  for (int scene = 0; scene < 60; ++scene) {
    SCOPED_TRACE("scene " + std::to_string(scene));
    VideoRig rig;
    VideoRig reference;
    Video& v = *rig.video;
    for (auto& byte : v.vram) byte = static_cast<std::uint8_t>(random());
    for (int r = 0; r < 11; ++r) rig.SetRegister(r, static_cast<std::uint8_t>(random()));
    // Mostly display on, so that the scenes have something to compare.
    if (scene % 8 != 0) rig.SetRegister(1, static_cast<std::uint8_t>(v.regs[1] | 0x40));
    v.gameGear = scene % 5 == 1;
    v.hideSprites = scene % 7 == 3;
    // Sprites mostly on screen; sometimes a list end somewhere.
    for (int n = 0; n < 64; ++n) {
      std::uint8_t y = static_cast<std::uint8_t>(random() % 200);
      if (y == 0xD0) y = 0;
      if (random() % 6 == 0) y = static_cast<std::uint8_t>(0xF0 + random() % 16);
      v.vram[v.spriteTable + n] = y;
    }
    if (scene % 3 == 0) v.vram[v.spriteTable + random() % 64] = 0xD0;
    for (auto& byte : v.frame) byte = static_cast<std::uint8_t>(random() % 32);
    for (auto& byte : v.priority) byte = static_cast<std::uint8_t>(random() % 16);

    Video& r = *reference.video;
    std::memcpy(r.vram, v.vram, sizeof v.vram);
    std::memcpy(r.regs, v.regs, sizeof v.regs);
    std::memcpy(r.frame, v.frame, sizeof v.frame);
    std::memcpy(r.priority, v.priority, sizeof v.priority);
    r.spriteTable = v.spriteTable;
    r.gameGear = v.gameGear;
    r.hideSprites = v.hideSprites;

    for (int L = 0; L < 192; ++L) {
      v.RenderLine(L);
      ReferenceLine(r, L);
    }
    for (int i = 0; i < Video::kFrameSize; ++i) {
      ASSERT_EQ(v.frame[i], r.frame[i]) << "frame at x " << i % 256 << ", line " << i / 256;
      ASSERT_EQ(v.priority[i], r.priority[i]) << "priority at x " << i % 256 << ", line " << i / 256;
    }
  }
}

}  // namespace
