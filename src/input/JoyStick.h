#pragma once

#include <cstdint>

#include "input/InputSource.h"
#include "input/KeyAction.h"

// Bits of JoyStick::hotkeys.
inline constexpr uint8_t HotkeyFrameRate = 0x01;  // frame-rate display toggle
inline constexpr uint8_t HotkeySprites = 0x02;    // sprite layer toggle

// The console's controllers as the host's keyboard and joysticks drive them.
// Once per frame Update turns the held keys and sticks into the active-low
// bytes the controller ports return (a bit reads 0 while its control is
// pressed), the emulator hotkeys, and a pause request.
class JoyStick {
 public:
  // Writes "JoyStick:Init()" to standard output, idles the port bytes, binds
  // the seventeen keys, then opens the host's devices through `input` (kept,
  // not owned, until Shutdown). Returns the result of opening; false with no
  // source.
  bool Init(InputSource* input);

  // Reads the keyboard and up to two joysticks and rewrites portDC, portDD,
  // port00 and hotkeys. Returns nonzero while a pause input is held. When a
  // joystick poll fails the update stops there and returns 0.
  int Update();

  // Writes "JoyStick::Shutdown" to standard output and closes the devices.
  void Shutdown();

  uint8_t portDD = 0xFF;   // port 0xDD/0xC1; bits 6-7 are the nationalisation lines
  KeyBinding keyMap[KeyboardKeyCount];
  InputSource* source = nullptr;
  uint8_t port00 = 0xFF;   // port 0x00; bit 7 is the Game Gear Start button
  uint8_t portDC = 0xFF;   // port 0xDC/0xC0
  uint8_t hotkeys = 0;

 private:
  void ReadKeys();
  void ApplyJoystick1(const JoystickState& state, int& pause);
  void ApplyJoystick2(const JoystickState& state, int& pause);
  void ApplyAction(int32_t action, int& pause);
};
