#pragma once

#include <array>
#include <cstdint>

// What a bound key does while it is held. The codes are fixed; 2 is unused.
enum KeyAction : int32_t {
  NoAction = 0,
  ToggleFrameRate = 1,  // hotkeys bit 0
  ToggleSprites = 3,    // hotkeys bit 1
  ResetButton = 4,      // portDD bit 4
  Pause = 5,            // pause request
  Pad1Up = 6,           // Pad1Up..Pad2Down clear portDC bit (code - 6)
  Pad1Down = 7,
  Pad1Left = 8,
  Pad1Right = 9,
  Pad1Button1 = 10,
  Pad1Button2 = 11,
  Pad2Up = 12,
  Pad2Down = 13,
  Pad2Left = 14,        // Pad2Left..Pad2Button2 clear portDD bit (code - 14)
  Pad2Right = 15,
  Pad2Button1 = 16,
  Pad2Button2 = 17,
  Start = 18,           // port00 bit 7 (Game Gear Start)
};

// One entry of the key map, indexed by PC keyboard scan code.
struct KeyBinding {
  uint8_t down = 0;     // nonzero while the key is held; rewritten every frame
  int32_t action = NoAction;
};

// A key and the action it is bound to.
struct DefaultBinding {
  uint8_t scanCode;
  KeyAction action;
};

// The seventeen keys the emulator binds, by scan code. A host that wants to
// press a console button (a scripted run, say) can look its key up here.
inline constexpr std::array<DefaultBinding, 17> kDefaultKeyBindings = {{
    {0xC8, Pad1Up},      {0xD0, Pad1Down},    {0xCB, Pad1Left},    {0xCD, Pad1Right},
    {0x2C, Pad1Button1}, {0x2D, Pad1Button2}, {0x17, Pad2Up},      {0x25, Pad2Down},
    {0x24, Pad2Left},    {0x26, Pad2Right},   {0x10, Pad2Button1}, {0x11, Pad2Button2},
    {0x13, ResetButton}, {0x1F, Start},       {0x19, Pause},       {0x21, ToggleFrameRate},
    {0x39, ToggleSprites},
}};

// The scan code bound to `action`, or -1 when no key carries it.
constexpr int ScanCodeFor(KeyAction action) {
  for (const DefaultBinding& binding : kDefaultKeyBindings) {
    if (binding.action == action) return binding.scanCode;
  }
  return -1;
}
