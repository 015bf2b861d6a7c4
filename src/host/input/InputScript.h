#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/FrameInput.h"
#include "host/files/Result.h"

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

// A controller port's pointer over ranges of frames, written
// [p2:]X,Y[:X2,Y2][+1][+2]@FROM[-TO]: it points at X,Y on the console's
// 256 x 192 picture (p2: for port 2), gliding in a straight line to X2,Y2
// by frame TO when given, with button 1 and button 2 held as said. The
// light gun aims there, the paddle stands at X, and the sports pad moves as
// the pointer moves from one frame to the next.
struct Aim {
  int port = 0;
  int x = 0, y = 0;
  int toX = 0, toY = 0;
  bool button1 = false;
  bool button2 = false;
  int from = 0;
  int to = 0;
};

class InputScript {
 public:
  // Adds one hold; a failure with a message when it cannot be read.
  Result Add(const std::string& text);
  // The keys held during `frame`, by scan code.
  std::vector<std::uint8_t> KeysAt(int frame) const;
  bool Empty() const { return holds.empty() && aims.empty(); }

  // Adds one aim; a failure with a message when it cannot be read.
  Result AddAim(const std::string& text);
  // The pointer of port `port` (0 or 1) during `frame`: nowhere (-1, -1)
  // with no button when no aim covers the frame; where the last aim given
  // for the frame says otherwise. Its motion is the change since the frame
  // before, when an aim covered that one too.
  PointerInput PointerAt(int port, int frame) const;

 private:
  std::vector<Hold> holds;
  std::vector<Aim> aims;
  // The aim covering `frame` for `port`, or null.
  const Aim* AimAt(int port, int frame) const;
};

// The scan code a control name is bound to, or -1 for an unknown name.
int ScanCodeForControl(const std::string& name);

// A frame number as the command line writes it: decimal digits only, so
// "010" is 10 and "0x10", "+5", " 5" and "-1" are refused.
bool ParseFrameNumber(const std::string& text, int& value);
