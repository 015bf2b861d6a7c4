// The VDP as the processor sees it: creation and reset, the control and data
// ports, status and the two counters.
#include <cstring>

#include "vdp/PatternRow.h"
#include "vdp/Video.h"

namespace {

constexpr std::uint8_t kRegisterResetValues[11] = {
    0x36, 0xA0, 0x00, 0x00, 0x00, 0xFF, 0xFB, 0x00, 0x00, 0x00, 0xFF,
};

constexpr std::uint16_t kAddressMask = 0x3FFF;

}  // namespace

void Video::SetTiming(const Timing& timing) {
  linesPerFrame = timing.linesPerFrame;
  for (int k = 0; k < 3; ++k) lastLineBeforeJump[k] = timing.lastLineBeforeJump[k];
  pal = timing.Pal();
  if (line >= linesPerFrame) line = 0;
}

void Video::Reset() {
  std::memset(vram, 0xFF, sizeof vram);
  VramReplaced();
  std::memset(frame, 0, sizeof frame);
  std::memset(priority, 0, sizeof priority);
  std::memset(cram, 0, sizeof cram);  // black until the program writes colours

  if (tms9918) {
    // The TMS9918 clears its registers at reset: display and interrupt off.
    std::memset(regs, 0, sizeof regs);
  } else {
    std::memcpy(regs, kRegisterResetValues, sizeof kRegisterResetValues);
  }
  vCounter = 0;
  code = 0;
  status = tms9918 ? 0 : 0x1F;
  lineInterruptPending = false;
  readBuffer = 0;
  address = 0;
  latch = 0;
  secondByte = false;
  frameDone = false;
  line = 0;
  lineCounter = 0;
  pictureLines = kHeight;
  frameHeight = kHeight;
  spriteTable = 0x3F00;
}

void Video::WriteControl(std::uint8_t value) {
  if (!secondByte) {
    latch = value;
    secondByte = true;
    return;
  }
  secondByte = false;

  if (tms9918) {
    // Bit 7 set writes register (value & 7); otherwise bit 6 tells a write
    // set-up from a read set-up (which fetches ahead).
    if (value & 0x80) {
      regs[value & 0x07] = latch;
      return;
    }
    code = (value >> 6) & 1;
    address = static_cast<std::uint16_t>(((value & 0x3F) << 8) | latch);
    if (code == 0) {
      readBuffer = vram[address];
      address = (address + 1) & kAddressMask;
    }
    return;
  }

  if ((value & 0xF0) == 0x80) {
    // Register write: the latched byte goes to register (value & 0x0F).
    int reg = value & 0x0F;
    regs[reg] = latch;
    if (reg == 5) spriteTable = static_cast<std::uint16_t>((regs[5] & 0x7E) << 7);
    return;
  }

  // Address set-up. Second bytes 0x90-0xBF land here too, as code 2.
  code = value >> 6;
  address = static_cast<std::uint16_t>(((value & 0x3F) << 8) | latch);
  if (code == 0) {
    readBuffer = vram[address];
    address = (address + 1) & kAddressMask;
  }
}

void Video::WriteData(std::uint8_t value) {
  secondByte = false;
  if (code == 3) {
    WriteColour(value);
  } else {
    vram[address] = value;
    vramWritten |= std::uint64_t{1} << (address >> 8);
    decodedFrom[address] = value;
    const int row = address >> 2;
    StoreDecodedRow(row, ReplacePlane(decodedRows[row], address & 3, value));
  }
  address = (address + 1) & kAddressMask;
}

void Video::VramReplaced() {
  vramWritten = ~std::uint64_t{0};
  // A state loaded for rewind or run-ahead differs from the running one in a
  // few rows, so only the 64-byte blocks that changed are looked at row by row.
  constexpr int kBlock = 64;
  for (int at = 0; at < kVramSize; at += kBlock) {
    std::uint64_t changed = 0;
    for (int word = 0; word < kBlock; word += 8) {
      std::uint64_t now;
      std::uint64_t then;
      std::memcpy(&now, vram + at + word, sizeof now);
      std::memcpy(&then, decodedFrom + at + word, sizeof then);
      changed |= now ^ then;
    }
    if (changed == 0) continue;
    for (int row = at / 4; row < (at + kBlock) / 4; ++row) {
      if (std::memcmp(vram + row * 4, decodedFrom + row * 4, 4) != 0) {
        StoreDecodedRow(row, DecodePatternRow(vram + row * 4));
      }
    }
    std::memcpy(decodedFrom + at, vram + at, kBlock);
  }
}

void Video::StoreDecodedRow(int row, std::uint64_t pixels) {
  const int upsideDown = row ^ 7;  // row 7 - r of the same pattern
  decodedRows[row] = pixels;
  decodedRows[kPatternRows + row] = MirrorPatternRow(pixels);
  decodedRows[2 * kPatternRows + upsideDown] = pixels;
  decodedRows[3 * kPatternRows + upsideDown] = MirrorPatternRow(pixels);
}

std::uint8_t Video::ReadStatus() {
  lastRead = status;
  status &= 0x1F;
  lineInterruptPending = false;
  secondByte = false;
  return lastRead;
}

std::uint8_t Video::ReadData() {
  secondByte = false;
  if (code != 3) {
    // The port hands out the byte fetched ahead and fetches the next.
    lastRead = readBuffer;
    readBuffer = vram[address];
  }
  address = (address + 1) & kAddressMask;
  return lastRead;
}

std::uint8_t Video::ReadVCounter() const { return vCounter; }

std::uint8_t Video::ReadHCounter(std::int32_t cyclesPerLine, std::int32_t cyclesLeft) const {
  // Three pixel clocks to two processor cycles, counted in pairs of pixels;
  // past 233 the counter jumps back by 87 (the blanking jump of the real chip).
  std::int32_t elapsed = cyclesPerLine - cyclesLeft;
  std::int32_t p = (elapsed / 4) * 6;
  if (p > 233) p -= 87;
  return static_cast<std::uint8_t>(p >> 1);
}
