#pragma once

#include <functional>
#include <map>
#include <string>

#include "desktop/gtk/KeysDialog.h"
#include "host/input/Bindings.h"

class DesktopPlay;
class DesktopSettings;
class Session;
class SdlInput;
struct Settings;

// The desktop's key and pad bindings: read from the settings at start,
// changed through "Touches…", written back at each change and in effect at
// once on the keyboard (the console's controls and the desktop's hotkeys)
// and on the pads (by GUID, so each pad keeps its own wherever it is
// plugged in). The desktop program owns one, on its session and settings.
class DesktopBindings {
 public:
  DesktopBindings(Session& session, DesktopSettings& settings) : session(session), settings(settings) {}

  // Reads the bindings of `values`; an entry that cannot be read is left out,
  // with one log line for the keys and one for each pad.
  void Load(const Settings& values);
  // Where the bindings take effect (with the session's controls); applies
  // those read so far. nullptr: nowhere.
  void SetTargets(SdlInput* input, DesktopPlay* play);
  // "Touches…"; `closed` runs when the player closes it.
  void OpenKeysDialog(std::function<void()> closed);
  // Closes "Touches…" if it is open (without a change).
  void CloseKeysDialog() { dialog.Close(); }
  // The keyboard's bindings in effect.
  const KeyTable& Keys() const { return keys; }
  // Runs after the keyboard's bindings changed in "Touches…".
  std::function<void()> keysChanged;

 private:
  void Apply();
  void KeysChanged(const KeyTable& table);
  void PadChanged(int slot, const PadTable& table);

  Session& session;
  DesktopSettings& settings;
  SdlInput* padInput = nullptr;
  DesktopPlay* desktopPlay = nullptr;
  KeyTable keys = KeyTable::Defaults();
  std::map<std::string, PadChoice> padChoices;
  // The pads shown in the dialog, by slot: their GUIDs and defaults.
  std::string dialogGuids[2];
  PadTable dialogDefaults[2];
  KeysDialog dialog;
};
