#include "headless/ScriptedInput.h"

#include <algorithm>
#include <iterator>

#include "debug/DebugConsole.h"

ScriptedInput::ScriptedInput(int attachedJoysticks)
    : attached(std::clamp(attachedJoysticks, 0, kAttachedMax)) {}

bool ScriptedInput::Open() {
  open = true;
  openedJoysticks = 0;
  if (!openResult) return false;
  LogPrintf("Joysticks attached:\n");
  for (int i = 0; i < attached; ++i) {
    LogPrintf("Scripted Joystick %d [Scripted Pad]\n", i + 1);
  }
  openedJoysticks = std::min(attached, kJoystickMax);
  for (int i = 0; i < openedJoysticks; ++i) {
    LogPrintf("Joypad %d: Scripted Joystick %d\n", i + 1, i + 1);
  }
  return true;
}

void ScriptedInput::Close() {
  open = false;
  openedJoysticks = 0;
}

bool ScriptedInput::ReadKeyboard(uint8_t (&out)[kKeyboardKeyCount]) {
  if (!open || !openResult || !keyboardPresent) return false;
  std::copy(std::begin(keys), std::end(keys), std::begin(out));
  return true;
}

JoystickRead ScriptedInput::ReadJoystick(int index, JoystickState& state) {
  if (index < 0 || index >= OpenedJoysticks()) return JoystickRead::NotRead;
  if (readResult[index] == JoystickRead::Read) state = sticks[index];
  return readResult[index];
}

void ScriptedInput::SetKey(uint8_t scanCode, bool down) { keys[scanCode] = down ? 0x80 : 0; }

void ScriptedInput::ReleaseAll() {
  std::fill(std::begin(keys), std::end(keys), 0);
  for (JoystickState& stick : sticks) stick = JoystickState{};
}

void ScriptedInput::SetAxes(int index, int32_t x, int32_t y) {
  if (index < 0 || index >= kJoystickMax) return;
  sticks[index].x = x;
  sticks[index].y = y;
}

void ScriptedInput::SetButton(int index, int button, bool down) {
  if (index < 0 || index >= kJoystickMax || button < 0 || button >= kJoystickButtonCount) return;
  sticks[index].buttons[button] = down ? 0x80 : 0;
}

void ScriptedInput::SetJoystickRead(int index, JoystickRead result) {
  if (index < 0 || index >= kJoystickMax) return;
  readResult[index] = result;
}
