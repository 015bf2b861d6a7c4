#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Controller buttons and keys held over ranges of frames, for scripted
// headless runs. A hold is written NAME[+NAME...]@FROM[-TO]: the named
// controls are held from frame FROM to frame TO inclusive (just frame FROM
// without TO). Frames count from 0 after reset; the console reads its
// controllers once a frame, at the end of the frame's last visible line.
//
// Names: up down left right 1 2 (pad 1), p2up p2down p2left p2right p2-1
// p2-2 (pad 2), start (Game Gear), pause, reset, framerate, sprites; and
// key:NAME, a PC key of the SC-3000's key map (key:A, key:Return, key:Page Up).
struct Hold {
  std::vector<std::uint8_t> scanCodes;
  int from = 0;
  int to = 0;
};

class InputScript {
 public:
  // Adds one hold; false with a message in `error` when it cannot be read.
  bool Add(const std::string& text, std::string& error);
  // The keys held during `frame`, by scan code.
  std::vector<std::uint8_t> KeysAt(int frame) const;
  bool Empty() const { return holds.empty(); }

 private:
  std::vector<Hold> holds;
};

// The scan code a control name is bound to, or -1 for an unknown name.
int ScanCodeForControl(const std::string& name);

// A frame number as the command line writes it: decimal digits only, so
// "010" is 10 and "0x10", "+5", " 5" and "-1" are refused.
bool ParseFrameNumber(const std::string& text, int& value);
