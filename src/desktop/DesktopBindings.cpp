#include "desktop/DesktopBindings.h"

#include <string>
#include <utility>

#include "debug/DebugConsole.h"
#include "desktop/BindingSettings.h"
#include "desktop/DesktopPlay.h"
#include "desktop/DesktopSettings.h"
#include "desktop/gtk/KeysDialog.h"
#include "desktop/sdl/KeyTranslation.h"
#include "desktop/sdl/SdlInput.h"
#include "host/session/Session.h"
#include "host/settings/Settings.h"

namespace {

constexpr std::uint32_t kEveryPadControl = []() {
  std::uint32_t bits = 0;
  for (int control = 0; control < kControlCount; ++control) {
    if (PadBinds(static_cast<Control>(control))) bits |= 1u << control;
  }
  return bits;
}();

}  // namespace

void DesktopBindings::Apply() {
  if (padInput) padInput->SetPadChoices(padChoices);
  if (desktopPlay) desktopPlay->SetKeys(keys);
  session.input.SetKeys(keys);
}

void DesktopBindings::KeysChanged(const KeyTable& table) {
  keys = table;
  Apply();
  if (SettingsFile* file = settings.File()) {
    // The defaults are kept as no entries at all.
    file->values.keyBindings = keys == KeyTable::Defaults() ? SettingsGroup{} : KeyTableToSettings(keys);
  }
  settings.Save();
  if (keysChanged) keysChanged();
}

void DesktopBindings::PadChanged(int slot, const PadTable& table) {
  if (slot < 0 || slot > 1 || dialogGuids[slot].empty()) return;
  const std::string& guid = dialogGuids[slot];
  const bool defaults = table == dialogDefaults[slot];
  if (defaults) {
    padChoices.erase(guid);
  } else {
    padChoices[guid] = PadChoice{table, kEveryPadControl};
  }
  Apply();
  if (SettingsFile* file = settings.File()) {
    if (defaults) {
      file->values.padBindings.erase(guid);
    } else {
      file->values.padBindings[guid] = PadTableToSettings(table);
    }
  }
  settings.Save();
}

void DesktopBindings::Load(const Settings& values) {
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

void DesktopBindings::SetTargets(SdlInput* input, DesktopPlay* play) {
  padInput = input;
  desktopPlay = play;
  Apply();
}

void DesktopBindings::OpenKeysDialog(std::function<void()> closed) {
  KeysDialogSetup setup;
  setup.keys = keys;
  for (int slot = 0; slot < 2; ++slot) {
    KeysDialogPad& pad = setup.pads[slot];
    dialogGuids[slot].clear();
    pad.present = padInput && padInput->PadInfo(slot, dialogGuids[slot], pad.name, pad.table, pad.defaults);
    dialogDefaults[slot] = pad.defaults;
  }
  setup.keyName = ShownKeyName;
  setup.heldInputs = [this](int slot, PadInput* out, int max) {
    return padInput ? padInput->HeldInputs(slot, out, max) : 0;
  };
  setup.keysChanged = [this](const KeyTable& table) { KeysChanged(table); };
  setup.padChanged = [this](int slot, const PadTable& table) { PadChanged(slot, table); };
  setup.closed = std::move(closed);
  dialog.Open(setup);
}
