#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/input/Bindings.h"

// "Touches…": a modal dialog listing every control (both pads, Start, Pause,
// Reset, the hotkeys) with its key and the inputs of each pad plugged in.
// Clicking a cell waits for a key, or a pad button, stick or hat push, which
// becomes the binding (Escape gives up). A key or input already bound to
// another control of the same column is taken from it: that control is left
// without one, marked, and named on the status line. "Par défaut" brings the
// built-in bindings back. Every change is handed over at once.
//
// The dialog does not block: it lives while the program's loop goes on
// pumping events, so the pads keep being read for the capture.

struct KeysDialogPad {
  bool present = false;
  std::string name;
  PadTable table;     // in use
  PadTable defaults;  // what "Par défaut" restores
};

struct KeysDialogSetup {
  KeyTable keys;
  KeysDialogPad pads[2];
  // The name a player reads for a key ("Right", "D").
  std::function<std::string(std::uint8_t pcScanCode)> keyName;
  // The inputs held now on the pad in `slot` (0 or 1), at most `max`.
  std::function<int(int slot, PadInput* out, int max)> heldInputs;
  // A binding changed: the keyboard's table, or a pad's, as it now is.
  std::function<void(const KeyTable& keys)> keysChanged;
  std::function<void(int slot, const PadTable& table)> padChanged;
  // The player closed the dialog.
  std::function<void()> closed;
};

// The dialog's owner keeps one of these; the dialog's widgets reach it
// through their user data.
class KeysDialog {
 public:
  KeysDialog();
  ~KeysDialog();
  KeysDialog(const KeysDialog&) = delete;
  KeysDialog& operator=(const KeysDialog&) = delete;

  // Opens the dialog over the active window; one at a time (a second call
  // brings the open one forward).
  void Open(const KeysDialogSetup& setup);
  // Closes it if open (without a change, and without `closed`).
  void Close();

  // The widgets and the capture under way, in KeysDialog.cpp.
  struct Parts;

 private:
  std::unique_ptr<Parts> parts;
};

// The name of a control as the dialog lists it ("Plein écran").
std::string ControlLabel(Control control);
