#pragma once

#include <cstdint>

// The host's keyboard and joysticks as the input part reads them. The desktop
// host implements it on its input library (device enumeration, acquiring,
// fallbacks and error reports are its business); ScriptedInput implements it
// for tests and headless runs.

inline constexpr int kKeyboardKeyCount = 256;
inline constexpr int kJoystickMax = 2;
inline constexpr int kJoystickButtonCount = 32;

// One joystick's state: axes on the range 0-65535 (centre 0x8000), buttons
// numbered from 0, nonzero while pressed.
struct JoystickState {
  int32_t x = 0x8000;
  int32_t y = 0x8000;
  uint8_t buttons[kJoystickButtonCount] = {};
  // Controls beyond the stick and buttons 0-1 that the pad's bindings press
  // (Start, Pause, Reset and the hotkeys, as ControlBit bits of Bindings.h).
  uint32_t held = 0;
};

// Outcome of polling one joystick in a frame.
enum class JoystickRead {
  Read,     // state filled in
  NotRead,  // absent, or being reacquired: skip it this frame
  Failed,   // a reported failure: the input update ends for this frame
};

class InputSource {
 public:
  virtual ~InputSource() = default;

  // Creates the devices (keyboard, up to kJoystickMax joysticks) and logs the
  // joysticks found. False at the first failure; devices made so far stay
  // until Close.
  virtual bool Open() = 0;
  // Releases whatever Open created.
  virtual void Close() = 0;

  // The keyboard state indexed by PC scan code, nonzero while held. False
  // when there is no keyboard to read.
  virtual bool ReadKeyboard(uint8_t (&keys)[kKeyboardKeyCount]) = 0;
  // Polls joystick `index` (0 or 1).
  virtual JoystickRead ReadJoystick(int index, JoystickState& state) = 0;
};
