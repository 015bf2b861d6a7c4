#pragma once

class DesktopPlay;
class SdlInput;
struct Settings;

// The desktop's key and pad bindings: read from the settings at start,
// changed through "Touches…", written back at each change and in effect at
// once on the keyboard (the console's controls and the desktop's hotkeys)
// and on the pads (by GUID, so each pad keeps its own wherever it is
// plugged in).

// Reads the bindings of `values`; an entry that cannot be read is left out,
// with one log line for the keys and one for each pad.
void LoadDesktopBindings(const Settings& values);
// Where the bindings take effect (with the running session's controls);
// applies those read so far. nullptr: nowhere.
void SetBindingsTargets(SdlInput* input, DesktopPlay* play);
// "Touches…".
void OpenDesktopKeysDialog();
