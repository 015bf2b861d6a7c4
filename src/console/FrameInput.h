#pragma once

#include <cstdint>

// The controls held during one frame, as the host maps its keys and pads:
// active-high bits, one byte per control pad.
inline constexpr std::uint8_t kPadUp = 0x01;
inline constexpr std::uint8_t kPadDown = 0x02;
inline constexpr std::uint8_t kPadLeft = 0x04;
inline constexpr std::uint8_t kPadRight = 0x08;
inline constexpr std::uint8_t kPadButton1 = 0x10;
inline constexpr std::uint8_t kPadButton2 = 0x20;

// What a pointing device (the mouse, a front end's light gun) gives for one
// controller port during a frame: where it points on the console's 256 x 192
// picture (any value: off the picture is allowed), how far it moved since the
// last frame in the host's pixels, and its buttons. The peripheral plugged
// into the port reads what it needs: the light gun x, y and trigger, the
// paddle x and its button, the sports pad the motion and both buttons.
struct PointerInput {
  int x = -1;
  int y = -1;
  int dx = 0;
  int dy = 0;
  bool button1 = false;  // the light gun's trigger; the paddle's and the sports pad's first button
  bool button2 = false;  // the sports pad's second button
};

// The SC-3000's keyboard is a matrix of seven rows the 8255 scans (an
// eighth row is the two pads), each of twelve keys: bits 0-7 read through
// the chip's port A, bits 8-11 through port B. A key is its row * 16 + its
// bit; ScKeyName in console/Keyboard.h gives each its name.
inline constexpr int kKeyboardRows = 7;
inline constexpr int kKeyboardColumns = 12;

struct FrameInput {
  std::uint8_t pad[2] = {};  // kPad* bits of pad 1 and pad 2
  // SC-3000 keys held, active high: row r's bit c is key r * 16 + c.
  std::uint16_t keyboard[kKeyboardRows] = {};
  PointerInput pointer[2];   // the pointer of port 1 and port 2
  bool start = false;        // the Game Gear's Start button
  bool pause = false;        // the Master System's Pause button (an NMI when pressed)
  bool reset = false;        // the Master System's Reset button (a readable line)
};

// What the controller ports read for these controls, all lines active low:
// port 0xDC holds pad 1's six lines and pad 2's up and down; port 0xDD pad
// 2's other four lines, the reset button, an unused line read high, and the
// two nationalisation lines (high here; the console drives them); port 0x00
// bit 7 is the Game Gear's Start.
struct ControllerPorts {
  std::uint8_t dc;
  std::uint8_t dd;
  std::uint8_t gg;
};

constexpr ControllerPorts PortsFor(const FrameInput& input) {
  const unsigned pad1 = input.pad[0] & 0x3Fu;
  const unsigned pad2 = input.pad[1] & 0x3Fu;
  const unsigned dc = pad1 | (pad2 & 0x03u) << 6;
  const unsigned dd = (pad2 >> 2) | (input.reset ? 0x10u : 0u);
  return {static_cast<std::uint8_t>(~dc), static_cast<std::uint8_t>(~dd), static_cast<std::uint8_t>(input.start ? 0x7F : 0xFF)};
}
