#pragma once

#include <cstdint>

#include "timing/Timing.h"

// The Game Gear's own screen is a 160 x 144 window (columns 48-207, lines
// 24-167) of the 256 x 192 frame: the renderers, the picture layout and the
// libretro core all read it from here.
inline constexpr int kGameGearScreenX = 48;
inline constexpr int kGameGearScreenY = 24;
inline constexpr int kGameGearScreenWidth = 160;
inline constexpr int kGameGearScreenHeight = 144;

// The console's video display processor as the processor sees it: register
// file, 16 KB video RAM, colour RAM as the program wrote it, status, V and H
// counters and the line-interrupt counter; plus the scanline renderer, which
// draws colour indexes into `frame`. Turning those into host pixels is the
// host's business. Mode 4, the Master System's tile mode, is drawn by
// VideoRender.cpp; the older TMS9918 modes by TmsRender.cpp.
class Video {
 public:
  static constexpr int kWidth = 256;
  static constexpr int kHeight = 192;     // the usual picture; mode 4 can also show 224 or 240 lines
  static constexpr int kMaxHeight = 240;
  static constexpr int kVramSize = 0x4000;
  static constexpr int kFrameSize = kWidth * kMaxHeight;
  static constexpr int kColourCount = 32;
  static constexpr int kColourRamSize = 64;  // the Game Gear's 32 two-byte entries
  static constexpr std::uint16_t kNoInterrupt = 0xFFFF;
  static constexpr std::uint16_t kMaskableInterrupt = 0x0038;

  // The frame's length, the V counter's jumps and whether 240-line pictures
  // exist come from the timing.
  void SetTiming(const Timing& timing);
  // The lines the picture has under the present registers: 224 in mode 4
  // with register 0 bit 1 and register 1 bit 4 set, 240 with register 1
  // bit 3 instead on a PAL console, otherwise 192 (always on the Game Gear).
  int PictureLines() const {
    if ((regs[0] & 0x06) != 0x06 || gameGear || tms9918) return kHeight;
    const int extra = regs[1] & 0x18;
    if (extra == 0x10) return 224;
    if (extra == 0x08 && pal) return 240;
    return kHeight;
  }
  // Power-on state: memories filled, registers, counters and colours reset.
  void Reset();

  void WriteControl(std::uint8_t value);  // out to ports 0xBD, 0xBF
  void WriteData(std::uint8_t value);     // out to port 0xBE
  std::uint8_t ReadStatus();              // in from ports 0xBD, 0xBF
  std::uint8_t ReadData();                // in from port 0xBE
  std::uint8_t ReadVCounter() const;      // in from port 0x7E
  // In from port 0x7F: the horizontal position within the line, worked out
  // from the processor's cycle budget for the line and what is left of it.
  std::uint8_t ReadHCounter(std::int32_t cyclesPerLine, std::int32_t cyclesLeft) const;
  // A data-port write while the access code is 3.
  void WriteColour(std::uint8_t value);

  // Advances one scanline: draws the picture's lines, marks the frame done
  // after its last, and returns the interrupt request (kMaskableInterrupt or
  // kNoInterrupt). Defined in vdp/VideoStep.h.
  [[gnu::always_inline]] inline std::uint16_t StepLine();
  // Draws scanline L (0-239) into frame and priority. Kept out of line:
  // inlined into the console's frame loop it takes the interpreter's
  // registers, and a frame costs 5 % more instructions.
  [[gnu::noinline]] void RenderLine(int L);
  // The colours the frame's indexes stand for, in colour RAM's format: the
  // colour RAM in mode 4, the fixed TMS colours when the last line drawn was
  // in one of the older modes.
  const std::uint8_t* ShownColours() const;
  // Decodes every pattern row again from vram after a direct write.
  void VramReplaced();
  bool frameDone = false;      // set after the picture's last line; the frame driver clears it
  bool hideSprites = false;    // skip drawing sprites (and the borders); a host's choice; flags still set
  // At most 8 sprites a line, as the chip draws them; false draws every
  // sprite on the line (the status flags stay as the chip sets them).
  bool spriteLimit = true;
  bool gameGear = false;       // Game Gear colours and 160 x 144 window
  // A TMS9918 of its own (the SG-1000's and SC-3000's chip): only the older
  // modes, eight registers, no colour RAM, no line interrupt, and its own
  // colours, which ShownColours gives as colour words (----BBBBGGGGRRRR).
  // Set before Reset.
  bool tms9918 = false;
  // Written through the data port, video RAM keeps the renderer's decoded
  // pattern rows current. Whoever writes it directly (a loaded state, a
  // test) calls VramReplaced() before the next line is drawn.
  std::uint8_t vram[kVramSize] = {};
  // 256-byte pages of vram written since the console last took its changes
  // (bookkeeping for rewind snapshots, never saved).
  std::uint64_t vramWritten = ~std::uint64_t{0};
  std::uint8_t frame[kFrameSize] = {};     // colour indexes 0-31, row-major, frameHeight rows
  std::uint8_t priority[kFrameSize] = {};  // background colour where its tile has priority, else 0
  // Colour RAM as written: 32 bytes of --BBGGRR on the Master System, 32
  // little-endian words of ----BBBBGGGGRRRR on the Game Gear.
  std::uint8_t cram[kColourRamSize] = {};
  std::uint8_t regs[16] = {};
  std::uint8_t vCounter = 0;
  std::uint8_t code = 0;       // access code of the last address set-up, 0-3
  // 0x80 frame, 0x40 sprite overflow (a ninth sprite on a line), 0x20 sprite
  // collision; bits 0-4 read as 1. A status read clears the three flags.
  std::uint8_t status = 0;
  // The line interrupt's request: internal to the chip, not in the status,
  // but cleared by a status read all the same.
  bool lineInterruptPending = false;
  std::uint16_t address = 0;   // 14 bits
  std::uint8_t latch = 0;      // first byte of a control-port pair
  std::uint8_t readBuffer = 0; // read-ahead byte for data-port reads
  bool secondByte = false;     // the next control byte completes a pair
  std::uint8_t lastRead = 0;   // value of the last status or data read
  int line = 0;                // current scanline, 0 to linesPerFrame - 1
  int lineCounter = 0;         // line-interrupt down-counter
  int linesPerFrame = kNtscTiming.linesPerFrame;
  int lastLineBeforeJump[3] = {kNtscTiming.lastLineBeforeJump[0], kNtscTiming.lastLineBeforeJump[1],
                               kNtscTiming.lastLineBeforeJump[2]};
  bool pal = false;                    // a PAL console: 240-line pictures exist
  int pictureLines = kHeight;          // the present line's picture height (PictureLines)
  int frameHeight = kHeight;           // lines of the last whole picture in frame
  std::uint16_t spriteTable = 0x3F00;  // (reg5 & 0x7E) << 7
  bool framePending = false;           // frame flag latched on the line after the picture

 private:
  // Every 4-byte row of video RAM decoded into eight colour bytes, pixel 0
  // first in memory (any row may be a pattern's: patterns span the whole
  // 16 KB), in the four ways a name-table entry can show it. Row r of pattern
  // p, shown with the entry's flip bits f (bit 0 horizontal, bit 1 vertical),
  // is decodedRows[(f << 12) | (p << 3) | r], so the entry's low 11 bits and
  // the line's row in the tile index it directly. Kept current by WriteData;
  // decodedFrom holds the bytes they were decoded from, so that VramReplaced
  // decodes only what a direct write changed. All zeros decode to all zeros.
  static constexpr int kPatternRows = kVramSize / 4;
  void StoreDecodedRow(int row, std::uint64_t pixels);
  std::uint64_t decodedRows[4 * kPatternRows] = {};
  std::uint8_t decodedFrom[kVramSize] = {};
  // Draws line L's sprites (into frame only when draw is set) and sets the
  // overflow and collision flags. covering has bit n set for each sprite n on
  // the line; chipShift is the sprite shift of register 0 bit 3 (0 or -8).
  void DrawSprites(int L, std::uint64_t covering, int chipShift, bool draw);
  // Line L in Graphics I, Graphics II, Text or Multicolor (register 0 bit 2
  // clear), and its TMS sprites (drawn into frame only when draw is set).
  void RenderTmsLine(int L);
  void TmsSprites(int L, bool draw);
  bool tmsColours = false;  // the last line drawn holds TMS colour numbers
};
