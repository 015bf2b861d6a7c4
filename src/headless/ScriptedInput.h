#pragma once

#include <cstdint>

#include "host/input/InputSource.h"

// An input source whose keys and joysticks a caller sets: the keyboard and
// joysticks of tests and of headless runs. Up to sixteen joysticks can be
// "attached"; like a real host, only the first two are opened and read.
class ScriptedInput : public InputSource {
 public:
  static constexpr int kAttachedMax = 16;

  // `attachedJoysticks` joysticks are reported when opened (clamped to 0-16).
  explicit ScriptedInput(int attachedJoysticks = 0);

  bool Open() override;
  void Close() override;
  bool ReadKeyboard(uint8_t (&keys)[kKeyboardKeyCount]) override;
  JoystickRead ReadJoystick(int index, JoystickState& state) override;

  // Holds or releases the key with this scan code.
  void SetKey(uint8_t scanCode, bool down);
  // Releases every key and centres every joystick with no button pressed.
  void ReleaseAll();
  // Sets the stick of joystick `index` (0 or 1); others are ignored.
  void SetAxes(int index, int32_t x, int32_t y);
  void SetButton(int index, int button, bool down);

  // Fault injection: what Open returns, whether a keyboard exists, and what
  // polling a joystick reports.
  void SetOpenResult(bool result) { openResult = result; }
  void SetKeyboardPresent(bool present) { keyboardPresent = present; }
  void SetJoystickRead(int index, JoystickRead result);

  bool IsOpen() const { return open; }
  int OpenedJoysticks() const { return open ? openedJoysticks : 0; }

 private:
  int attached;
  int openedJoysticks = 0;
  bool open = false;
  bool openResult = true;
  bool keyboardPresent = true;
  uint8_t keys[kKeyboardKeyCount] = {};
  JoystickState sticks[kJoystickMax];
  JoystickRead readResult[kJoystickMax] = {JoystickRead::Read, JoystickRead::Read};
};
