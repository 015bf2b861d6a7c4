#pragma once

#include <cstdint>

#include "console/FrameInput.h"

// What can be plugged into a controller port besides the control pad.
enum class Peripheral : std::uint8_t {
  kPad,        // the control pad (the default)
  kLightGun,   // the Light Phaser: trigger on TL, light sensor on TH
  kPaddle,     // the Japanese paddle (HPD-200): an 8-bit position in two nibbles
  kSportsPad,  // the sports pad (SP-500): motion in four nibbles, read by toggling TH
  kGlasses,    // the 3-D glasses: no lines of their own; the port reads as empty
};

inline constexpr int kPeripheralCount = 5;

// The names the options and menus use: "pad", "lightgun", "paddle",
// "sportspad", "glasses".
const char* PeripheralName(Peripheral peripheral);
// False, with `peripheral` unchanged, for a name that is none of them.
bool PeripheralFromName(const char* name, Peripheral& peripheral);

// How the console shows a 3-D program's two pictures while the glasses are
// plugged in: only the frames drawn for the left eye, or each eye's latest
// frame mixed, the left in red and the right in green and blue.
enum class GlassesView : std::uint8_t { kLeftEye, kAnaglyph };

// One controller port's peripheral and the state it keeps between reads.
// Lines are active low, in the order the ports give them: bit 0 up, 1 down,
// 2 left, 3 right, 4 TL (button 1), 5 TR (button 2); TH apart.
struct PortDevice {
  Peripheral kind = Peripheral::kPad;
  std::uint8_t padLines = 0x3F;  // the pad's lines as of the last frame end
  PointerInput pointer;          // the pointer as of the last frame end
  // Paddle: the position, and the flip-flop choosing the nibble that shows
  // (false: the low nibble, TR low; true: the high nibble, TR high).
  std::uint8_t paddleValue = 0x80;
  bool paddleHigh = false;
  // Sports pad: motion gathered since the last read sequence began, the
  // motion being read, and the step of the sequence (0 X high, 1 X low,
  // 2 Y high, 3 Y low), advanced by each change of the TH output.
  int sportsGatheredX = 0;
  int sportsGatheredY = 0;
  std::int8_t sportsX = 0;
  std::int8_t sportsY = 0;
  std::uint8_t sportsStep = 3;
  bool thOutputHigh = true;  // the TH level the console drives, for the sports pad's edges

  // The six data lines, as a read sees them now. Reading the port that holds
  // the paddle's TR line flips its nibble afterwards (see Console::InPort).
  std::uint8_t DataLines() const;
  // Takes the frame's controls at frame end.
  void Latch(std::uint8_t pad, const PointerInput& frame);
  // The console drove TH to this level (the port's TH is an output).
  void DriveTh(bool high);
};
