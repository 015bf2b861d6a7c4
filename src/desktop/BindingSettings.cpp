#include "desktop/BindingSettings.h"

#include "desktop/sdl/KeyTranslation.h"

namespace {

void Note(std::string& problems, const std::string& what) {
  if (!problems.empty()) problems += ", ";
  problems += what;
}

}  // namespace

KeyTable KeyTableFromSettings(const SettingsGroup& saved, std::string& problems) {
  KeyTable table = KeyTable::Defaults();
  std::uint32_t given = 0;
  for (const auto& [name, keyName] : saved) {
    Control control;
    if (!KeyControlFromName(name, control)) {
      Note(problems, "'" + name + "' is no control");
      continue;
    }
    const std::uint8_t key = KeyFromName(keyName);
    if (key == 0 && !keyName.empty()) {
      Note(problems, name + ": '" + keyName + "' is no key");
      continue;
    }
    const int robbed = table.Bind(control, key);
    if (robbed >= 0 && (given & (1u << robbed))) {
      Note(problems, keyName + " bound twice, kept for " + name + ", not " +
                         KeyControlName(static_cast<Control>(robbed)));
    }
    given |= ControlBit(control);
  }
  return table;
}

SettingsGroup KeyTableToSettings(const KeyTable& table) {
  SettingsGroup group;
  for (int control = 0; control < kControlCount; ++control) {
    group[KeyControlName(static_cast<Control>(control))] = KeyName(table.scan[control]);
  }
  return group;
}

PadChoice PadChoiceFromSettings(const SettingsGroup& saved, std::string& problems) {
  PadChoice choice;
  for (const auto& [name, inputs] : saved) {
    Control control;
    if (!PadControlFromName(name, control)) {
      Note(problems, "'" + name + "' is no pad control");
      continue;
    }
    int bad = 0;
    const PadInputs read = ParsePadInputs(inputs, bad);
    if (bad) {
      Note(problems, name + ": '" + inputs + "' not all read");
      if (read == PadInputs{}) continue;
    }
    // An input saved for two controls stays with the last of them.
    for (const PadInput& input : read) {
      if (input.kind == PadInput::None) continue;
      for (int other = 0; other < kControlCount; ++other) {
        for (PadInput& had : choice.table.inputs[other]) {
          if (had == input && other != static_cast<int>(control)) {
            had = PadInput{};
            Note(problems, FormatPadInput(input) + " bound twice, kept for " + name);
          }
        }
      }
    }
    choice.table.inputs[static_cast<int>(control)] = read;
    choice.given |= ControlBit(control);
  }
  return choice;
}

SettingsGroup PadTableToSettings(const PadTable& table) {
  SettingsGroup group;
  for (int control = 0; control < kControlCount; ++control) {
    if (const char* name = PadControlName(static_cast<Control>(control))) {
      group[name] = FormatPadInputs(table.inputs[control]);
    }
  }
  return group;
}
