#include "host/input/JoyStick.h"

#include <cstdio>
#include <iterator>

#include "debug/DebugConsole.h"
#include "host/input/ScKeyMap.h"

namespace {

// A stick counts as pushed only well past the centre of its 0-65535 range.
constexpr int32_t kAxisLow = 0x2000;
constexpr int32_t kAxisHigh = 0xE000;

// The pad bits in the order of the key actions Pad1Up..Pad1Button2.
constexpr uint8_t kPadBits[6] = {kPadUp, kPadDown, kPadLeft, kPadRight, kPadButton1, kPadButton2};

void Press(uint8_t& pad, uint8_t bit) { pad = static_cast<uint8_t>(pad | bit); }

void ApplyStick(const JoystickState& state, uint8_t& pad) {
  if (state.y < kAxisLow) Press(pad, kPadUp);
  if (state.y > kAxisHigh) Press(pad, kPadDown);
  if (state.x < kAxisLow) Press(pad, kPadLeft);
  if (state.x > kAxisHigh) Press(pad, kPadRight);
  if (state.buttons[0]) Press(pad, kPadButton1);
  if (state.buttons[1]) Press(pad, kPadButton2);
}

}  // namespace

void JoyStick::Banner(const char* line) const {
  if (bannersToLog) {
    LogPrintf("%s", line);
    return;
  }
  std::fputs(line, stdout);
  std::fflush(stdout);
}

bool JoyStick::Init(InputSource* input) {
  Banner("JoyStick:Init()\n");
  controls = FrameInput{};
  hotkeys = 0;
  hotkeysHeld = 0;
  for (KeyBinding& binding : keyMap) binding = KeyBinding{};
  for (const DefaultBinding& binding : kDefaultKeyBindings) keyMap[binding.scanCode].action = binding.action;
  source = input;
  if (source == nullptr) return false;
  return source->Open();
}

void JoyStick::SetKeys(const KeyTable& table) {
  // The key actions in the order of the controls Pad1Up..Sprites.
  static constexpr KeyAction kActions[] = {
      Pad1Up, Pad1Down, Pad1Left, Pad1Right, Pad1Button1, Pad1Button2, Pad2Up, Pad2Down, Pad2Left,
      Pad2Right, Pad2Button1, Pad2Button2, Start, Pause, ResetButton, ToggleFrameRate, ToggleSprites,
  };
  for (KeyBinding& binding : keyMap) binding.action = NoAction;
  for (int control = 0; control < static_cast<int>(std::size(kActions)); ++control) {
    const std::uint8_t key = table.scan[control];
    if (key != 0) keyMap[key].action = kActions[control];
  }
}

void JoyStick::Shutdown() {
  Banner("JoyStick::Shutdown\n");
  if (source != nullptr) source->Close();
  source = nullptr;
}

void JoyStick::ReadKeys() {
  uint8_t keys[kKeyboardKeyCount];
  if (source != nullptr && source->ReadKeyboard(keys)) {
    for (int k = 0; k < kKeyboardKeyCount; ++k) keyMap[k].down = keys[k] != 0 ? 1 : 0;
  } else {
    // No keyboard: nothing is held (never keys left over from an earlier frame).
    for (KeyBinding& binding : keyMap) binding.down = 0;
  }
}

void JoyStick::ApplyJoystick1(const JoystickState& state) {
  ApplyStick(state, controls.pad[0]);
  if (state.buttons[2]) controls.start = true;
  if (state.buttons[3]) controls.pause = true;
}

void JoyStick::ApplyJoystick2(const JoystickState& state) {
  // Pad 2's button 3 has no function; its button 4 pauses too.
  ApplyStick(state, controls.pad[1]);
  if (state.buttons[3]) controls.pause = true;
}

void JoyStick::ApplyAction(int32_t action, uint8_t& held) {
  if (action >= Pad1Up && action <= Pad1Button2) {
    Press(controls.pad[0], kPadBits[action - Pad1Up]);
  } else if (action >= Pad2Up && action <= Pad2Button2) {
    Press(controls.pad[1], kPadBits[action - Pad2Up]);
  } else if (action == ToggleFrameRate) {
    held |= kHotkeyFrameRate;
  } else if (action == ToggleSprites) {
    held |= kHotkeySprites;
  } else if (action == ResetButton) {
    controls.reset = true;
  } else if (action == Pause) {
    controls.pause = true;
  } else if (action == Start) {
    controls.start = true;
  }
}

void JoyStick::ApplyPadControls(uint32_t bits, uint8_t& held) {
  if (bits & ControlBit(Control::Start)) controls.start = true;
  if (bits & ControlBit(Control::Pause)) controls.pause = true;
  if (bits & ControlBit(Control::Reset)) controls.reset = true;
  if (bits & ControlBit(Control::FrameRate)) held |= kHotkeyFrameRate;
  if (bits & ControlBit(Control::Sprites)) held |= kHotkeySprites;
}

void JoyStick::Update() {
  controls = FrameInput{};
  for (int port = 0; port < 2; ++port) {
    controls.pointer[port] = pointer[port];
    pointer[port].dx = pointer[port].dy = 0;
  }
  uint8_t held = 0;

  ReadKeys();

  bool failed = false;
  if (source != nullptr) {
    for (int index = 0; index < kJoystickMax && !failed; ++index) {
      JoystickState state;
      const JoystickRead result = source->ReadJoystick(index, state);
      if (result == JoystickRead::Failed) {
        failed = true;
        break;
      }
      if (result != JoystickRead::Read) continue;
      if (index == 0) {
        ApplyJoystick1(state);
      } else {
        ApplyJoystick2(state);
      }
      ApplyPadControls(state.held, held);
    }
  }

  if (!failed) {
    for (int scan = 0; scan < kKeyboardKeyCount; ++scan) {
      const KeyBinding& binding = keyMap[scan];
      if (!binding.down) continue;
      // While the SC-3000 types, a typing key drives only its pad line.
      const bool padAction = binding.action >= Pad1Up && binding.action <= Pad2Button2;
      if (sc3000Keyboard && !padAction && TypesOnSc3000(static_cast<uint8_t>(scan))) continue;
      ApplyAction(binding.action, held);
    }
    if (sc3000Keyboard) {
      uint8_t keys[kKeyboardKeyCount];
      for (int scan = 0; scan < kKeyboardKeyCount; ++scan) keys[scan] = keyMap[scan].down;
      PressScKeys(keys, controls);
      if (keys[kScResetScanCode]) controls.pause = true;
    }
  } else {
    controls.pause = false;
  }
  hotkeys = static_cast<uint8_t>(held & ~hotkeysHeld);
  hotkeysHeld = held;
}
