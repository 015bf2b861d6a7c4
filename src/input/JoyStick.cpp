#include "input/JoyStick.h"

#include <cstdio>

namespace {

// A stick counts as pushed only well past the centre of its 0-65535 range.
constexpr int32_t AxisLow = 0x2000;
constexpr int32_t AxisHigh = 0xE000;

void Press(uint8_t& port, int bit) { port = static_cast<uint8_t>(port & ~(1u << bit)); }

}  // namespace

bool JoyStick::Init(InputSource* input) {
  std::fputs("JoyStick:Init()\n", stdout);
  std::fflush(stdout);
  port00 = 0xFF;
  portDC = 0xFF;
  portDD = 0xFF;
  hotkeys = 0;
  for (KeyBinding& binding : keyMap) binding = KeyBinding{};
  for (const DefaultBinding& binding : DefaultKeyBindings) keyMap[binding.scanCode].action = binding.action;
  source = input;
  if (source == nullptr) return false;
  return source->Open();
}

void JoyStick::Shutdown() {
  std::fputs("JoyStick::Shutdown\n", stdout);
  std::fflush(stdout);
  if (source != nullptr) source->Close();
  source = nullptr;
}

void JoyStick::ReadKeys() {
  uint8_t keys[KeyboardKeyCount];
  if (source != nullptr && source->ReadKeyboard(keys)) {
    for (int k = 0; k < KeyboardKeyCount; ++k) keyMap[k].down = keys[k] != 0 ? 1 : 0;
  } else {
    // No keyboard: nothing is held (never keys left over from an earlier frame).
    for (KeyBinding& binding : keyMap) binding.down = 0;
  }
}

void JoyStick::ApplyJoystick1(const JoystickState& state, int& pause) {
  if (state.y < AxisLow) Press(portDC, 0);
  if (state.y > AxisHigh) Press(portDC, 1);
  if (state.x < AxisLow) Press(portDC, 2);
  if (state.x > AxisHigh) Press(portDC, 3);
  if (state.buttons[0]) Press(portDC, 4);
  if (state.buttons[1]) Press(portDC, 5);
  if (state.buttons[2]) Press(port00, 7);
  if (state.buttons[3]) pause = 1;
}

void JoyStick::ApplyJoystick2(const JoystickState& state, int& pause) {
  // Pad 2's lines straddle the two ports; its button 2 has no function.
  if (state.y < AxisLow) Press(portDC, 6);
  if (state.y > AxisHigh) Press(portDC, 7);
  if (state.x < AxisLow) Press(portDD, 0);
  if (state.x > AxisHigh) Press(portDD, 1);
  if (state.buttons[0]) Press(portDD, 2);
  if (state.buttons[1]) Press(portDD, 3);
  if (state.buttons[3]) pause = 1;
}

void JoyStick::ApplyAction(int32_t action, int& pause) {
  if (action >= Pad1Up && action <= Pad2Down) {
    Press(portDC, action - Pad1Up);
  } else if (action >= Pad2Left && action <= Pad2Button2) {
    Press(portDD, action - Pad2Left);
  } else if (action == ToggleFrameRate) {
    hotkeys |= HotkeyFrameRate;
  } else if (action == ToggleSprites) {
    hotkeys |= HotkeySprites;
  } else if (action == ResetButton) {
    Press(portDD, 4);
  } else if (action == Pause) {
    pause = 1;
  } else if (action == Start) {
    Press(port00, 7);
  }
}

int JoyStick::Update() {
  port00 = 0xFF;
  portDC = 0xFF;
  portDD = 0xFF;
  hotkeys = 0;
  int pause = 0;

  ReadKeys();

  if (source != nullptr) {
    for (int index = 0; index < JoystickMax; ++index) {
      JoystickState state;
      const JoystickRead result = source->ReadJoystick(index, state);
      if (result == JoystickRead::Failed) return 0;
      if (result != JoystickRead::Read) continue;
      if (index == 0) {
        ApplyJoystick1(state, pause);
      } else {
        ApplyJoystick2(state, pause);
      }
    }
  }

  for (const KeyBinding& binding : keyMap) {
    if (binding.down) ApplyAction(binding.action, pause);
  }
  return pause;
}
