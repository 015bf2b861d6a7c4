#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// What the player can bind: the console's inputs (both pads, Start, Pause,
// Reset) and the desktop's hotkeys. The keyboard binds one key to each; a
// pad binds up to kPadInputsPerControl of its buttons, axes and hats. On a
// pad the Pad1 controls mean "this pad's" (the console pad of the port it is
// plugged into) and the Pad2 ones are unused.
enum class Control : std::uint8_t {
  Pad1Up, Pad1Down, Pad1Left, Pad1Right, Pad1Button1, Pad1Button2,
  Pad2Up, Pad2Down, Pad2Left, Pad2Right, Pad2Button1, Pad2Button2,
  Start, Pause, Reset,
  FrameRate, Sprites, Fullscreen, Screenshot, Mute, Rewind, FastForward,
  Slot1, Slot2, Slot3, Slot4, Slot5, Slot6, Slot7, Slot8, Slot9,
  // The emulator's own pause (not the console's Pause button): a key only.
  EmulatorPause,
};
inline constexpr int kControlCount = 32;
inline constexpr int kPadControlFirstShared = static_cast<int>(Control::Start);

inline constexpr std::uint32_t ControlBit(Control control) { return 1u << static_cast<int>(control); }
inline constexpr Control SlotControl(int slot) { return static_cast<Control>(static_cast<int>(Control::Slot1) + slot - 1); }
// Whether a pad binds `control` (the Pad2 rows and the emulator's pause are
// a keyboard's only).
inline constexpr bool PadBinds(Control control) {
  return (control < Control::Pad2Up || control >= Control::Start) && control != Control::EmulatorPause;
}

// The names kept in the settings file: "pad1-up", "start", "slot-3" for the
// keyboard; "up", "button-1" for a pad's own directions and buttons.
const char* KeyControlName(Control control);
const char* PadControlName(Control control);  // nullptr for the Pad2 controls
bool KeyControlFromName(std::string_view name, Control& control);
bool PadControlFromName(std::string_view name, Control& control);

// The keyboard's bindings: a PC scan code for each control, 0 for none.
struct KeyTable {
  std::array<std::uint8_t, kControlCount> scan{};

  // Today's keys: arrows, Z, X for pad 1; I, K, J, L, Q, W for pad 2; S
  // Start, P Pause, R Reset, F frame rate, Space sprites, F11 full screen,
  // F12 screenshot, M mute, Backspace rewind, Tab fast-forward, F1-F9 slots,
  // Pause/Break the emulator's pause.
  static KeyTable Defaults();
  std::uint8_t Of(Control control) const { return scan[static_cast<int>(control)]; }
  // Binds `key` (0 unbinds) to `control`. A key bound elsewhere is taken from
  // that control, which is left without one: the control robbed, or -1.
  int Bind(Control control, std::uint8_t key);
  bool operator==(const KeyTable&) const = default;
};

// One input of a pad, as SDL's joystick layer numbers them.
struct PadInput {
  enum Kind : std::uint8_t { None, Button, AxisMinus, AxisPlus, Hat };
  Kind kind = None;
  std::uint8_t index = 0;  // button, axis or hat number
  std::uint8_t hat = 0;    // one of SDL's hat bits: 1 up, 2 right, 4 down, 8 left
  bool operator==(const PadInput&) const = default;
};

// "button 3", "axis 1+", "axis 0-", "hat 0 up"; empty for None.
std::string FormatPadInput(const PadInput& input);
// The reverse; false (input untouched) for anything else.
bool ParsePadInput(std::string_view text, PadInput& input);

inline constexpr int kPadInputsPerControl = 2;
using PadInputs = std::array<PadInput, kPadInputsPerControl>;

// One pad's bindings.
struct PadTable {
  std::array<PadInputs, kControlCount> inputs{};

  // A raw joystick as the desktop has always read it: axes 0 and 1 or hat 0
  // steer, buttons 0 and 1 are the pad's buttons, 2 Start, 3 Pause.
  static PadTable RawDefaults();
  const PadInputs& Of(Control control) const { return inputs[static_cast<int>(control)]; }
  // Binds `input` alone to `control`, taking it from the control that had it
  // (the one robbed, or -1). A control a pad does not bind is refused (-2).
  int Bind(Control control, const PadInput& input);
  bool operator==(const PadTable&) const = default;
};

// A pad's bindings as the player left them: the controls whose bits are in
// `given` take the table's inputs, the others the pad's own defaults (which
// lose the inputs the given ones took).
struct PadChoice {
  PadTable table;
  std::uint32_t given = 0;
  PadTable Over(const PadTable& defaults) const;
};

// "hat 0 up, axis 1-" and back; unreadable parts are skipped and counted in
// `bad`.
std::string FormatPadInputs(const PadInputs& inputs);
PadInputs ParsePadInputs(std::string_view text, int& bad);

// A PC scan code from a Linux input key code (what X and Wayland report,
// less 8, as the key's hardware code); 0 for a key the PC set lacks.
std::uint8_t PcScanCodeFromLinux(int code);
