#include "desktop/DesktopBindings.h"

#include <map>
#include <string>

#include "host/session/Session.h"
#include "desktop/BindingSettings.h"
#include "desktop/DesktopPlay.h"
#include "desktop/DesktopSettings.h"
#include "desktop/MenuCommands.h"
#include "host/settings/Settings.h"
#include "debug/DebugConsole.h"
#include "desktop/gtk/KeysDialog.h"
#include "desktop/sdl/KeyTranslation.h"
#include "desktop/sdl/SdlInput.h"

namespace {

SdlInput* padInput = nullptr;
DesktopPlay* desktopPlay = nullptr;
KeyTable keys = KeyTable::Defaults();
std::map<std::string, PadChoice> padChoices;
// The pads shown in the dialog, by slot: their GUIDs and defaults.
std::string dialogGuids[2];
PadTable dialogDefaults[2];

constexpr std::uint32_t kEveryPadControl = []() {
  std::uint32_t bits = 0;
  for (int control = 0; control < kControlCount; ++control) {
    if (PadBinds(static_cast<Control>(control))) bits |= 1u << control;
  }
  return bits;
}();

void Apply() {
  if (padInput) padInput->SetPadChoices(padChoices);
  if (desktopPlay) desktopPlay->SetKeys(keys);
  if (activeSession) activeSession->input.SetKeys(keys);
}

void SaveSettings() {
  SettingsFile* file = DesktopSettings();
  if (!file || !file->CanSave()) return;
  std::string error;
  if (!file->Save(error)) LogPrintf("tavrin: settings not saved: %s\n", error.c_str());
}

void KeysChanged(const KeyTable& table) {
  keys = table;
  Apply();
  if (SettingsFile* file = DesktopSettings()) {
    // The defaults are kept as no entries at all.
    file->values.keyBindings = keys == KeyTable::Defaults() ? SettingsGroup{} : KeyTableToSettings(keys);
  }
  SaveSettings();
}

void PadChanged(int slot, const PadTable& table) {
  if (slot < 0 || slot > 1 || dialogGuids[slot].empty()) return;
  const std::string& guid = dialogGuids[slot];
  const bool defaults = table == dialogDefaults[slot];
  if (defaults) {
    padChoices.erase(guid);
  } else {
    padChoices[guid] = PadChoice{table, kEveryPadControl};
  }
  Apply();
  if (SettingsFile* file = DesktopSettings()) {
    if (defaults) {
      file->values.padBindings.erase(guid);
    } else {
      file->values.padBindings[guid] = PadTableToSettings(table);
    }
  }
  SaveSettings();
}

int HeldInputs(int slot, PadInput* out, int max) { return padInput ? padInput->HeldInputs(slot, out, max) : 0; }

}  // namespace

void LoadDesktopBindings(const Settings& values) {
  std::string problems;
  keys = KeyTableFromSettings(values.keyBindings, problems);
  if (!problems.empty()) LogPrintf("tavrin: settings [keys]: %s; left out\n", problems.c_str());
  padChoices.clear();
  for (const auto& [guid, saved] : values.padBindings) {
    problems.clear();
    padChoices[guid] = PadChoiceFromSettings(saved, problems);
    if (!problems.empty()) LogPrintf("tavrin: settings [pad %s]: %s; left out\n", guid.c_str(), problems.c_str());
  }
  Apply();
}

void SetBindingsTargets(SdlInput* input, DesktopPlay* play) {
  padInput = input;
  desktopPlay = play;
  Apply();
}

void OpenDesktopKeysDialog() {
  KeysDialogSetup setup;
  setup.keys = keys;
  for (int slot = 0; slot < 2; ++slot) {
    KeysDialogPad& pad = setup.pads[slot];
    dialogGuids[slot].clear();
    pad.present = padInput && padInput->PadInfo(slot, dialogGuids[slot], pad.name, pad.table, pad.defaults);
    dialogDefaults[slot] = pad.defaults;
  }
  setup.keyName = KeyName;
  setup.heldInputs = HeldInputs;
  setup.keysChanged = KeysChanged;
  setup.padChanged = PadChanged;
  setup.closed = MenuFocusGame;
  OpenKeysDialog(setup);
}
