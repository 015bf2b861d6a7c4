#pragma once

#include <map>
#include <string>

#include "host/input/Bindings.h"

// The bindings as the settings file keeps them: [keys] maps a control's name
// to a key's name ("pad1-right=Right", "rewind=Backspace"; empty: no key);
// [pad <GUID>] maps a pad control's name to its inputs ("up=hat 0 up, axis 1-").
// Entries that cannot be read are left out and named in `problems`.
using SettingsGroup = std::map<std::string, std::string>;

// The defaults with the saved entries over them. A key saved for two
// controls stays with the last of them, and the other is named a problem.
KeyTable KeyTableFromSettings(const SettingsGroup& saved, std::string& problems);
// Every control, bound or not.
SettingsGroup KeyTableToSettings(const KeyTable& table);

PadChoice PadChoiceFromSettings(const SettingsGroup& saved, std::string& problems);
// Every control a pad binds.
SettingsGroup PadTableToSettings(const PadTable& table);
