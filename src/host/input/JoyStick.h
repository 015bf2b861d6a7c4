#pragma once

#include <cstdint>

#include "console/FrameInput.h"
#include "host/input/Bindings.h"
#include "host/input/InputSource.h"
#include "host/input/KeyAction.h"

// Bits of JoyStick::hotkeys.
inline constexpr uint8_t kHotkeyFrameRate = 0x01;  // frame-rate display toggle
inline constexpr uint8_t kHotkeySprites = 0x02;    // sprite layer toggle

// The console's controllers as the host's keyboard and joysticks drive them.
// Once per frame Update turns the held keys and sticks into the frame's
// controls (both pads, Start, Pause, Reset) and the emulator hotkeys pressed
// since the last frame (each toggles once per press, however long it is held).
class JoyStick {
 public:
  // Writes "JoyStick:Init()" to standard output, idles the port bytes, binds
  // the seventeen keys, then opens the host's devices through `input` (kept,
  // not owned, until Shutdown). Returns the result of opening; false with no
  // source.
  bool Init(InputSource* input);

  // Reads the keyboard and up to two joysticks and rewrites `controls` and
  // `hotkeys`. When a joystick poll fails the update stops there and the
  // frame's controls are those gathered so far, without pause.
  void Update();

  // Binds the keys of `table` in place of those of Init: the console's
  // inputs and the frame-rate and sprite toggles (the desktop's other
  // hotkeys are read by the desktop).
  void SetKeys(const KeyTable& table);

  // Writes "JoyStick::Shutdown" to standard output and closes the devices.
  void Shutdown();

  KeyBinding keyMap[kKeyboardKeyCount];
  InputSource* source = nullptr;
  FrameInput controls;        // the controls held, as of the last Update
  // The ports' pointers the host gives, taken into `controls` by Update;
  // their motion goes to that frame only.
  PointerInput pointer[2];
  uint8_t hotkeys = 0;        // Hotkey* bits pressed since the Update before
  uint8_t hotkeysHeld = 0;    // Hotkey* bits held at the last Update
  // An SC-3000 runs: the keys of ScKeyMap type on its keyboard as well.
  bool sc3000Keyboard = false;
  // The two lines of Init and Shutdown go to the log instead of standard
  // output: a headless run's standard output is the program's own (its
  // debug console text), and test jobs read it.
  bool bannersToLog = false;

 private:
  void Banner(const char* line) const;
  void ReadKeys();
  void ApplyJoystick1(const JoystickState& state);
  void ApplyJoystick2(const JoystickState& state);
  void ApplyAction(int32_t action, uint8_t& held);
  void ApplyPadControls(uint32_t bits, uint8_t& held);
};
